// Internet Explorer 5 and 6: one browser per frame; the padlock is a pane of the frame's
// status bar.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "common/subclass/bho_window_props.h"
#include "common/subclass/subclass_helper.h"
#include "common/utility/window_ids.h"
#include "platform/win/prop_subclass.h"

namespace SubclassUtilsNS {

using KestrinWinNS::CPropSubclass;

namespace {
const UINT kLeavePing = UtilityClassesNS::WindowIds::kMsgLeavePing;
const UINT kMinHeightPart = 6;
}  // namespace

// The status bar: the padlock pane's place, the pointer over it and leaving it.
struct COldIESubclassHelper::StatusBarSubclass {
  using Object = COldIESubclassHelper;
  static const char* OldProcProperty() { return kOldProcProp; }
  static const char* ObjectProperty() { return kHelperProp; }
  static bool OnMessage(COldIESubclassHelper* self, HWND, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT&) {
    switch (msg) {
      case WM_MOUSEMOVE: {
        int x = (short)LOWORD(lparam);
        if (self->owner_ && x > self->pane_.left && x < self->pane_.right) self->owner_->OnLockAreaHover(lparam);
        break;
      }
      case kLeavePing:
        if (self->owner_) self->owner_->OnLockAreaLeave();
        break;
      case SB_SETMINHEIGHT:
        self->UpdatePane(kMinHeightPart);
        break;
      case SB_SETICON:
        self->UpdatePane((UINT)wparam);
        break;
    }
    return false;
  }
};

// The page view: full screen and the focus.
struct COldIESubclassHelper::DocumentSubclass {
  using Object = COldIESubclassHelper;
  static const char* OldProcProperty() { return kOldProcProp; }
  static const char* ObjectProperty() { return kHelperProp; }
  static bool OnMessage(COldIESubclassHelper* self, HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (!self->owner_) return false;
    switch (msg) {
      case WM_SIZE: {
        RECT frame = {};
        if (self->frame_) GetWindowRect(self->frame_, &frame);
        auto full_screen = [](const RECT& r) {
          return r.left < 0 && r.top < 0 && r.right == GetSystemMetrics(SM_CXSCREEN) + 1 &&
                 r.bottom > GetSystemMetrics(SM_CYSCREEN);
        };
        bool was = full_screen(self->last_frame_rect_);
        self->last_frame_rect_ = frame;
        if (!was && full_screen(frame)) self->owner_->OnFullScreen(hwnd);
        break;
      }
      case WM_SETFOCUS:
        self->owner_->OnViewFocusGained();
        break;
      case WM_KILLFOCUS:
      case WM_MOUSEWHEEL:
        self->owner_->OnViewFocusLost();
        break;
    }
    return false;
  }
};

COldIESubclassHelper::COldIESubclassHelper(ISubclassOwner* owner) : CSubclassHelper(owner) {}

COldIESubclassHelper::~COldIESubclassHelper() { Unsubclass(); }

int COldIESubclassHelper::FindWindows() {
  if (!FindFrameAndWorker()) return 0;
  HWND rebar = FindWindowExA(worker_, nullptr, "ReBarWindow32", nullptr);
  if (!rebar) {
    HWND other = NextWorker(frame_, worker_);
    rebar = other ? FindWindowExA(other, nullptr, "ReBarWindow32", nullptr) : nullptr;
  }
  if (!status_bar_) status_bar_ = FindWindowExA(frame_, nullptr, "msctls_statusbar32", nullptr);
  if (!address_combo_ && rebar) address_combo_ = FindWindowExA(rebar, nullptr, "ComboBoxEx32", nullptr);
  HWND view = FindWindowExA(frame_, nullptr, "Shell DocObject View", nullptr);
  document_ = view ? FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr) : nullptr;
  return document_ ? 1 : 0;
}

int COldIESubclassHelper::Subclass() {
  if (!status_bar_done_) {
    if (status_bar_ && CPropSubclass<StatusBarSubclass>::Subclass(status_bar_, this)) status_bar_subclassed_ = 1;
    status_bar_done_ = true;
  }
  if (document_subclassed_) return 1;
  if (!document_) return 0;
  if (!CPropSubclass<DocumentSubclass>::Subclass(document_, this)) return 0;
  document_subclassed_ = 1;
  return 1;
}

void COldIESubclassHelper::Unsubclass() {
  if (status_bar_subclassed_ && status_bar_ && IsWindow(status_bar_))
    CPropSubclass<StatusBarSubclass>::Unsubclass(status_bar_);
  status_bar_subclassed_ = 0;
  status_bar_done_ = false;
  if (document_subclassed_ && document_ && IsWindow(document_)) CPropSubclass<DocumentSubclass>::Unsubclass(document_);
  document_subclassed_ = 0;
  document_ = nullptr;
}

void COldIESubclassHelper::SendLeavePing() {
  if (status_bar_) SendMessageA(status_bar_, kLeavePing, 0, 0);
}

bool COldIESubclassHelper::GetWatchedWindowRect(RECT* rect) {
  SetRectEmpty(rect);
  return status_bar_ && GetWindowRect(status_bar_, rect);
}

bool COldIESubclassHelper::GetLockArea(RECT* area) {
  *area = pane_;
  return true;
}

void COldIESubclassHelper::LockAreaToScreen(POINT* point) {
  if (frame_) ClientToScreen(frame_, point);
}

void COldIESubclassHelper::GetWatchState(WatchState* state) const {
  state->frame = frame_;
  state->watched = status_bar_;
  state->pane = pane_;
  state->from_toolbar = false;
}

// Runs before the status bar handles the message that changes part `part`: the padlock pane
// is the part before the last one.
void COldIESubclassHelper::UpdatePane(UINT part) {
  int count = (int)SendMessageA(status_bar_, SB_GETPARTS, 0, 0);
  if (count <= 0 || (UINT)count != part + 2) return;
  int* edges = new (std::nothrow) int[count];
  if (!edges) return;
  SendMessageA(status_bar_, SB_GETPARTS, count, reinterpret_cast<LPARAM>(edges));
  pane_.right = edges[part];
  pane_.left = part ? edges[part - 1] : 0;
  delete[] edges;
}

}  // namespace SubclassUtilsNS
