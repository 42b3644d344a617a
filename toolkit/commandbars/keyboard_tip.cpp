#include "toolkit/commandbars/keyboard_tip.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/paint/paint_manager.h"

namespace {
const wchar_t kTipClass[] = L"TKKeyboardTip";

void RegisterTipClass() {
  WNDCLASSW wc{};
  if (::GetClassInfoW(::GetModuleHandleW(nullptr), kTipClass, &wc)) return;
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kTipClass;
  ::RegisterClassW(&wc);
}

using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
SetLayeredFn LayeredFunction() {
  static SetLayeredFn fn = reinterpret_cast<SetLayeredFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
  return fn;
}
}  // namespace

CTKCommandBarKeyboardTip::CTKCommandBarKeyboardTip(CTKCommandBarManager* manager, CTKControl* control,
                                                   CTKCommandBar* bar, const std::wstring& caption, POINT anchor,
                                                   int align, bool enabled)
    : manager_(manager), control_(control), bar_(bar), caption_(caption), anchor_(anchor), align_(align),
      enabled_(enabled) {}

bool CTKCommandBarKeyboardTip::CreateTip(HWND owner, HWND anchorWindow, bool rightToLeft) {
  RegisterTipClass();
  CTKPaintManager* pm = manager_->GetPaintManager();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  HGDIOBJ old = dc.SelectObject(pm->RegularFont().GetSafeHandle());
  RECT measure{0, 0, 0, 0};
  ::DrawTextW(dc, text_.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
  dc.SelectObject(old);
  const int width = std::max<int>(measure.right - measure.left + 6, 16);
  const int height = std::max<int>(measure.bottom - measure.top + 2, 15);
  POINT pt = anchor_;
  if (anchorWindow && (::GetWindowLongPtrW(anchorWindow, GWL_STYLE) & WS_CHILD)) ::ClientToScreen(anchorWindow, &pt);
  else if (anchorWindow) ::ClientToScreen(anchorWindow, &pt);
  int x = pt.x, y = pt.y;
  if (align_ & kCenterX)
    x -= width / 2;
  else if ((align_ & kRight) || rightToLeft)
    x -= width;
  if (align_ & kCenterY)
    y -= height / 2;
  else if (align_ & kBottom)
    y -= height;
  SetLayeredFn layered = LayeredFunction();
  const bool useLayered = layered != nullptr && enabled_;
  DWORD ex = WS_EX_TOOLWINDOW | (useLayered ? WS_EX_LAYERED : 0);
  if (!CreateEx(ex, kTipClass, text_.c_str(), WS_POPUP, RECT{x, y, x + width, y + height}, owner, 0)) return false;
  ::SetWindowPos(GetSafeHwnd(), nullptr, x, y, width, height, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (useLayered) layered(GetSafeHwnd(), 0, 150, LWA_ALPHA);
  return true;
}

LRESULT CTKCommandBarKeyboardTip::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    CPaintDC dc(GetSafeHwnd());
    CRect client = GetClientRect();
    manager_->GetPaintManager()->PaintAccessKeyTip(&dc, client, text_, enabled_);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return CWnd::WindowProc(message, wparam, lparam);
}
