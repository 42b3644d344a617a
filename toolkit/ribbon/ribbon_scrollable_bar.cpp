#include "toolkit/ribbon/ribbon_scrollable_bar.h"

#include <algorithm>

#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kHideShow;

CTKRibbonScrollableBar::CControlGroupsScroll::CControlGroupsScroll(CTKRibbonScrollableBar* owner, bool left)
    : owner_(owner), left_(left) {
  SetFlags(kFlags);
  SetHideFlags(kHideShow);
}

void CTKRibbonScrollableBar::CControlGroupsScroll::OnExecute() {
  if (owner_) owner_->OnScrollButton(left_);
}

void CTKRibbonScrollableBar::CControlGroupsScroll::Draw(CDC* dc) {
  auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (!theme || !dc) return;
  const int state = GetPressed() ? 2 : GetSelected() ? 1 : 0;
  theme->PaintGroupScrollButton(dc->GetSafeHdc(), GetRect(), left_, state);
}

CTKRibbonScrollableBar::CTKRibbonScrollableBar()
    : left_(new CControlGroupsScroll(this, true)), right_(new CControlGroupsScroll(this, false)) {}

CTKRibbonScrollableBar::~CTKRibbonScrollableBar() {
  left_->InternalRelease();
  right_->InternalRelease();
}

void CTKRibbonScrollableBar::SetGroupsScroll(int offset, bool left_button, bool right_button) {
  scroll_offset_ = std::max(offset, 0);
  const RECT& band = groups_rect_;
  left_->SetHideFlags(left_button ? 0 : kHideShow);
  right_->SetHideFlags(right_button ? 0 : kHideShow);
  left_->SetRect(left_button ? CRect(band.left - 1, band.top, band.left - 1 + kButtonWidth, band.bottom) : CRect());
  right_->SetRect(right_button ? CRect(band.right + 1 - kButtonWidth, band.top, band.right + 1, band.bottom) : CRect());
}

void CTKRibbonScrollableBar::ScrollGroups(bool left) {
  scroll_offset_ = std::max(0, scroll_offset_ + (left ? -kScrollStep : kScrollStep));
  RelayoutGroups();
}

void CTKRibbonScrollableBar::EnsureVisible(const RECT& rect) {
  const bool left_shown = (left_->GetHideFlags() & kHideShow) == 0;
  const bool right_shown = (right_->GetHideFlags() & kHideShow) == 0;
  int offset = scroll_offset_;
  if (left_shown && rect.left - groups_rect_.left < kViewMargin)
    offset -= kViewMargin - (rect.left - groups_rect_.left);
  else if (right_shown && rect.right > groups_rect_.right)
    offset += rect.right - groups_rect_.right + kViewMargin;
  offset = std::max(offset, 0);
  if (offset == scroll_offset_) return;
  scroll_offset_ = offset;
  RelayoutGroups();
}

void CTKRibbonScrollableBar::HoldScrollButton(HWND window, bool left) {
  CControlGroupsScroll* button = left ? left_ : right_;
  if (!window || (button->GetHideFlags() & kHideShow)) return;
  SetCapture(window);
  button->SetPressed(1);
  ScrollGroups(left);
  const DWORD click = GetDoubleClickTime();
  DWORD delay = click * 4 / 5;
  DWORD last = TKGetTickCount();
  bool ended = false;
  while (!ended) {
    // The band's end hides the button: nothing is left to repeat.
    const bool can_repeat = (button->GetHideFlags() & kHideShow) == 0;
    DWORD timeout = INFINITE;
    if (can_repeat) {
      const DWORD passed = TKGetTickCount() - last;
      if (passed >= delay) {
        ScrollGroups(left);
        last = TKGetTickCount();
        delay = std::max<DWORD>(click / 10, 1);
        continue;
      }
      timeout = delay - passed;
    }
    MSG msg;
    const CTKLoopWake wake = TKNextLoopMessage(window, msg, timeout);
    if (wake == CTKLoopWake::kEnded) break;
    if (wake == CTKLoopWake::kTimeout) continue;
    if (TKIsCancelMessage(msg)) break;
    switch (msg.message) {
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
        ended = true;
        break;
      case WM_MOUSEMOVE:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        break;
    }
  }
  button->SetPressed(0);
  if (GetCapture() == window) ReleaseCapture();
}
