// Internet Explorer 7 and 8: the frame holds the address toolbar that every tab shares; each
// tab has its own status bar and page view.
#include <windows.h>
#include <commctrl.h>

#include "common/subclass/bho_window_props.h"
#include "common/subclass/subclass_helper.h"
#include "common/utility/window_ids.h"
#include "platform/win/prop_subclass.h"

namespace SubclassUtilsNS {

using KestrinWinNS::CPropSubclass;

namespace {

const int kPadlockButtonIndex = 1;
const UINT kAddressRootPing = UtilityClassesNS::WindowIds::kMsgAddressRootPing;
const UINT kLeavePing = UtilityClassesNS::WindowIds::kMsgLeavePing;
const WPARAM kPadlockButtonId = 201;

// Process-wide: one browser per process, one toolbar layout.
RECT g_padlock_area = {};
volatile LONG g_toolbar_generation = 0;

}  // namespace

CIE7SubclassHelper::CIE7SubclassHelper(ISubclassOwner* owner, BrowserGeneration generation)
    : CSubclassHelper(owner) {
  InterlockedExchange(&g_toolbar_generation, static_cast<LONG>(generation));
}

CIE7SubclassHelper::~CIE7SubclassHelper() { Unsubclass(); }

RECT CIE7SubclassHelper::GetPadlockArea() { return g_padlock_area; }

bool CIE7SubclassHelper::RefreshPadlockArea(HWND toolbar) {
  if (g_toolbar_generation == static_cast<LONG>(BrowserGeneration::kIE8)) return true;  // the whole "Page Control" toolbar
  TBBUTTON button = {};
  if (!SendMessageA(toolbar, TB_GETBUTTON, kPadlockButtonIndex, reinterpret_cast<LPARAM>(&button)))
    return false;
  if ((button.fsState & TBSTATE_HIDDEN) || !(button.fsState & TBSTATE_ENABLED)) return false;
  RECT item = {};
  if (!SendMessageA(toolbar, TB_GETITEMRECT, kPadlockButtonIndex, reinterpret_cast<LPARAM>(&item)))
    return false;
  g_padlock_area = item;
  return true;
}

bool CIE7SubclassHelper::LockAreaOf(HWND toolbar, RECT* area) {
  if (!toolbar || IsRectEmpty(&g_padlock_area)) return false;
  if (!RefreshPadlockArea(toolbar)) return false;
  *area = g_padlock_area;
  return true;
}

int CIE7SubclassHelper::FindWindows() {
  if (!FindFrameAndWorker()) return 0;
  HWND rebar = FindWindowExA(worker_, nullptr, "ReBarWindow32", nullptr);
  if (!rebar) {
    HWND other = NextWorker(frame_, worker_);
    if (!other) other = NextWorker(worker_, nullptr);
    rebar = other ? FindWindowExA(other, nullptr, "ReBarWindow32", nullptr) : nullptr;
  }
  HWND address_root = rebar ? FindWindowExA(rebar, nullptr, "Address Band Root", nullptr) : nullptr;
  if (address_root) SendMessageA(address_root, kAddressRootPing, 0, 0);
  if (!address_toolbar_ && address_root) {
    address_toolbar_ = FindWindowExA(address_root, nullptr, "ToolbarWindow32",
                                     g_toolbar_generation == static_cast<LONG>(BrowserGeneration::kIE8) ? "Page Control" : nullptr);
    if (address_toolbar_) {
      GetClientRect(address_toolbar_, &g_padlock_area);
      RefreshPadlockArea(address_toolbar_);
    }
  }
  HWND tab = owner_->GetTabWindow();
  if (!status_bar_ && tab) status_bar_ = FindWindowExA(tab, nullptr, "msctls_statusbar32", nullptr);
  if (document_ || !tab) return 0;
  HWND view = FindWindowExA(tab, nullptr, "Shell DocObject View", nullptr);
  document_ = view ? FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr) : nullptr;
  return (view && document_ && IsWindow(document_)) ? 1 : 0;
}

// The tab's page view: full screen and the focus leaving the page.
struct CIE7SubclassHelper::DocumentSubclass {
  using Object = CIE7SubclassHelper;
  static const char* OldProcProperty() { return kOldProcProp; }
  static const char* ObjectProperty() { return kHelperProp; }
  static bool OnMessage(CIE7SubclassHelper* self, HWND hwnd, UINT msg, WPARAM, LPARAM lparam, LRESULT&) {
    if (!self->owner_) return false;
    switch (msg) {
      case WM_KILLFOCUS:
      case WM_MOUSEWHEEL:
        self->owner_->OnViewFocusLost();
        break;
      case WM_WINDOWPOSCHANGED: {
        if (!self->frame_ || !self->status_bar_) break;
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        int status_height = 0;
        if (IsWindowVisible(self->status_bar_)) {
          RECT client;
          GetClientRect(self->status_bar_, &client);
          status_height = client.bottom - client.top;
        }
        if (pos && pos->x == 0 && pos->y == 0 && pos->cx == GetSystemMetrics(SM_CXSCREEN) &&
            pos->cy == GetSystemMetrics(SM_CYSCREEN) - status_height)
          self->owner_->OnFullScreen(hwnd);
        break;
      }
    }
    return false;
  }
};

int CIE7SubclassHelper::Subclass() {
  if (address_toolbar_ && !toolbar_subclassed_) {
    toolbar_subclassed_ =
        CBhoWindowProps::GetInstance().SubclassShared(address_toolbar_, frame_);
  }
  if (document_subclassed_) return 1;
  if (!document_) return 0;
  if (!CPropSubclass<DocumentSubclass>::Subclass(document_, this)) return 0;
  document_subclassed_ = 1;
  return 1;
}

void CIE7SubclassHelper::Unsubclass() {
  // The toolbar goes back only when the last instance of the frame leaves.
  if (frame_ && address_toolbar_) CBhoWindowProps::GetInstance().ReleaseIfLast(frame_, address_toolbar_);
  toolbar_subclassed_ = false;
  if (document_subclassed_ && document_) {
    if (IsWindow(document_)) CPropSubclass<DocumentSubclass>::Unsubclass(document_);
  }
  document_subclassed_ = 0;
  document_ = nullptr;
}

void CIE7SubclassHelper::SendLeavePing() {
  if (address_toolbar_) SendMessageA(address_toolbar_, kLeavePing, 0, 0);
}

bool CIE7SubclassHelper::GetWatchedWindowRect(RECT* rect) {
  SetRectEmpty(rect);
  return address_toolbar_ && GetWindowRect(address_toolbar_, rect);
}

bool CIE7SubclassHelper::GetLockArea(RECT* area) { return LockAreaOf(address_toolbar_, area); }

void CIE7SubclassHelper::LockAreaToScreen(POINT* point) {
  if (address_toolbar_) ClientToScreen(address_toolbar_, point);
}

void CIE7SubclassHelper::GetWatchState(WatchState* state) const {
  state->frame = frame_;
  state->watched = address_toolbar_;
  state->from_toolbar = true;
}

const char* CIE7SubclassHelper::ToolbarSubclass::OldProcProperty() { return kOldProcProp; }

const char* CIE7SubclassHelper::ToolbarSubclass::ObjectProperty() { return kFrameProp; }

bool CIE7SubclassHelper::ToolbarSubclass::OnMessage(HWND frame, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                                    LRESULT& result) {
  if (msg != WM_MOUSEMOVE && msg != kLeavePing && msg != TB_HIDEBUTTON) return false;
  COwnerRef owner = CBhoWindowProps::GetInstance().GetBho(frame);
  if (!owner) return false;
  if (msg == WM_MOUSEMOVE) {
    int x = (short)LOWORD(lparam);
    if (RefreshPadlockArea(hwnd) && x > g_padlock_area.left && x < g_padlock_area.right)
      owner->OnLockAreaHoverInTab(lparam);
  } else if (msg == kLeavePing) {
    owner->OnLockAreaLeave();
  } else if (wparam == kPadlockButtonId && LOWORD(lparam) == 0) {
    // The button is being shown again: read its place once the toolbar has done so.
    result = CPropSubclass<ToolbarSubclass>::CallPrevious(hwnd, msg, wparam, lparam);
    RefreshPadlockArea(hwnd);
    return true;
  }
  return false;
}

}  // namespace SubclassUtilsNS
