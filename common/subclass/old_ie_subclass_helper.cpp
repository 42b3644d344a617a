// Internet Explorer 5 and 6: one browser per frame; the padlock is a pane of the frame's
// status bar.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "common/subclass/bho_window_props.h"
#include "common/subclass/subclass_helper.h"
#include "common/utility/window_ids.h"

namespace SubclassUtilsNS {

namespace {
const UINT kLeavePing = UtilityClassesNS::WindowIds::kMsgLeavePing;
const UINT kMinHeightPart = 6;
}  // namespace

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
    if (status_bar_ && SubclassWindow(status_bar_, StatusBarProc)) {
      SetPropA(status_bar_, kHelperProp, this);
      status_bar_subclassed_ = 1;
    }
    status_bar_done_ = true;
  }
  if (document_subclassed_) return 1;
  if (!document_) return 0;
  if (!SubclassWindow(document_, DocumentProc)) return 0;
  SetPropA(document_, kHelperProp, this);
  document_subclassed_ = 1;
  return 1;
}

void COldIESubclassHelper::Unsubclass() {
  if (status_bar_subclassed_ && status_bar_ && IsWindow(status_bar_)) {
    RestoreWindow(status_bar_);
    RemovePropA(status_bar_, kHelperProp);
  }
  status_bar_subclassed_ = 0;
  status_bar_done_ = false;
  if (document_subclassed_ && document_ && IsWindow(document_)) {
    RestoreWindow(document_);
    RemovePropA(document_, kHelperProp);
  }
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

LRESULT CALLBACK COldIESubclassHelper::StatusBarProc(HWND hwnd, UINT msg, WPARAM wparam,
                                                     LPARAM lparam) {
  WNDPROC old = OldProcOf(hwnd);
  COldIESubclassHelper* self = static_cast<COldIESubclassHelper*>(GetPropA(hwnd, kHelperProp));
  if (self) {
    switch (msg) {
      case WM_MOUSEMOVE: {
        int x = (short)LOWORD(lparam);
        if (self->owner_ && x > self->pane_.left && x < self->pane_.right)
          self->owner_->OnLockAreaHover(lparam);
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
  }
  return CallOldProc(old, hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK COldIESubclassHelper::DocumentProc(HWND hwnd, UINT msg, WPARAM wparam,
                                                    LPARAM lparam) {
  WNDPROC old = OldProcOf(hwnd);
  COldIESubclassHelper* self = static_cast<COldIESubclassHelper*>(GetPropA(hwnd, kHelperProp));
  if (self && self->owner_) {
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
  }
  return CallOldProc(old, hwnd, msg, wparam, lparam);
}

}  // namespace SubclassUtilsNS
