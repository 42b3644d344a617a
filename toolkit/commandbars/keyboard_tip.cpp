#include "toolkit/commandbars/keyboard_tip.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/paint/paint_manager.h"

namespace {
const wchar_t kTipClass[] = L"TKKeyboardTip";
}  // namespace

CTKCommandBarKeyboardTip::CTKCommandBarKeyboardTip(CTKCommandBarManager* manager, CTKControl* control,
                                                   CTKCommandBar* bar, const std::wstring& caption, POINT anchor,
                                                   int align, bool enabled)
    : manager_(manager), control_(control), bar_(bar), caption_(caption), anchor_(anchor), align_(align),
      enabled_(enabled) {}

bool CTKCommandBarKeyboardTip::CreateTip(HWND owner, HWND anchorWindow, bool rightToLeft) {
  CTKDrawHelpers::RegisterDefProcClass(kTipClass, CS_SAVEBITS, nullptr);
  CTKPaintManager* pm = manager_->GetPaintManager();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  RECT measure{0, 0, 0, 0};
  {
    KestrinWinNS::CSelectObject font(dc, pm->RegularFont().GetSafeHandle());
    ::DrawTextW(dc, text_.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
  }
  const int width = std::max<int>(measure.right - measure.left + 6, 16);
  const int height = std::max<int>(measure.bottom - measure.top + 2, 15);
  POINT pt = anchor_;
  if (anchorWindow) ::ClientToScreen(anchorWindow, &pt);
  int x = pt.x, y = pt.y;
  if (align_ & kCenterX)
    x -= width / 2;
  else if ((align_ & kRight) || rightToLeft)
    x -= width;
  if (align_ & kCenterY)
    y -= height / 2;
  else if (align_ & kBottom)
    y -= height;
  const CTKPaintManager::SetLayeredWindowAttributesFn layered = pm->LayeredAttributesFunction();
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
