#include "toolkit/commandbars/popup_bar.h"

#include <algorithm>
#include <cstdlib>

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKPopupBar, CTKCommandBar)
IMPLEMENT_DYNCREATE(CTKPopupToolBar, CTKPopupBar)

namespace {
thread_local bool t_menus_expanded = false;
thread_local int t_drag_count = 0;

const wchar_t kPopupClass[] = L"TKPopupBar";
const wchar_t kPopupClassPlain[] = L"TKPopupBarNoSave";

// Raises a count for as long as it lives: every way out of a show puts the count back.
class CCountGuard {
 public:
  explicit CCountGuard(int& count) : count_(count) { ++count_; }
  ~CCountGuard() { --count_; }
  CCountGuard(const CCountGuard&) = delete;
  CCountGuard& operator=(const CCountGuard&) = delete;

 private:
  int& count_;
};

bool IsPopupBar(const CTKCommandBar* bar) { return bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup); }

// A control shows in the popup unless something other than the scrolling hides it.
bool ShowsIgnoringScroll(const CTKControl* control) {
  if (control->GetAction() && !control->GetAction()->IsVisible()) return false;
  return (control->GetHideFlags() & ~kHideScroll) == 0;
}
}  // namespace

bool TKMenusExpandedOnThread() { return t_menus_expanded; }
void TKSetMenusExpandedOnThread(bool on) { t_menus_expanded = on; }

// ---------------------------------------------------------------------------------------------
// The expand button

CTKPopupBar::CControlExpandButton::CControlExpandButton() {
  id_ = kExpandButtonId;
  type_ = kButton;
  flags_ = 90;
}

void CTKPopupBar::CControlExpandButton::OnClick(bool keyboard, CPoint pt) { OnExecute(); }

void CTKPopupBar::CControlExpandButton::OnExecute() {
  if (CTKPopupBar* bar = dynamic_cast<CTKPopupBar*>(parent_)) bar->ExpandBar();
}

// ---------------------------------------------------------------------------------------------

CTKPopupBar* CTKPopupBar::CreatePopupBar(CTKCommandBarManager* manager) {
  CTKPopupBar* bar = nullptr;
  CRuntimeClass* cls = manager ? manager->GetPopupBarClass() : nullptr;
  if (cls && cls->IsDerivedFrom(RUNTIME_CLASS(CTKPopupBar))) bar = static_cast<CTKPopupBar*>(cls->CreateObject());
  if (!bar) bar = new CTKPopupBar;
  bar->SetCommandBarManager(manager);
  return bar;
}

CTKPopupBar::CTKPopupBar() {
  type_ = kPopupBar;
  position_ = kPopup;
  SetGripperVisible(false);
  arrow_down_.timer = kTimerScrollDown;
  arrow_up_.timer = kTimerScrollUp;
}

CTKPopupBar::~CTKPopupBar() {
  if (torn_bar_) {
    torn_bar_->Release();
    torn_bar_ = nullptr;
  }
}

CTKPopupToolBar::CTKPopupToolBar() {
  type_ = kToolBar;
  position_ = kPopup;
  popup_width_ = 200;
}

CTKCommandBar* CTKPopupBar::GetParentBar() const { return parent_control_ ? parent_control_->GetParent() : nullptr; }

bool CTKPopupBar::IsBarVisible() const { return GetSafeHwnd() && ::IsWindowVisible(GetSafeHwnd()); }

CTKPopupEffects* CTKPopupBar::Effects() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  return manager ? manager->GetPopupEffects() : nullptr;
}

bool CTKPopupBar::CreatePopupWindow() {
  if (GetSafeHwnd()) return true;
  CTKCommandBarManager* manager = GetCommandBarManager();
  const bool savedBits = !manager || manager->GetOptions().saved_bits;
  const wchar_t* cls = savedBits ? kPopupClass : kPopupClassPlain;
  CTKDrawHelpers::RegisterDefProcClass(cls, savedBits ? (CS_SAVEBITS | CS_DBLCLKS) : CS_DBLCLKS, nullptr);
  DWORD ex = WS_EX_TOOLWINDOW;
  if (manager ? manager->GetOptions().right_to_left : false) ex |= WS_EX_LAYOUTRTL;
  HWND owner = GetSite();
  if (!owner && parent_control_ && parent_control_->GetParent()) owner = parent_control_->GetParent()->GetSite();
  return CreateEx(ex, cls, title_.c_str(), 0x86000100, RECT{0, 0, 0, 0}, owner, 0);
}

// ---------------------------------------------------------------------------------------------
// Placement

void CTKPopupBar::AdjustExcludeRect(CRect& rect, bool vertical) {}

void CTKPopupBar::UpdateExcludeAndDirection() {
  if (!parent_control_) return;
  CTKCommandBar* parent = parent_control_->GetParent();
  if (!parent || !parent->GetSafeHwnd()) return;
  direction_ = 0;
  if ((parent_control_->GetFlags() & 4) || IsRightToLeft()) direction_ |= kDirLeft;
  const bool parentPopup = IsPopupBar(parent);
  const int position = parent->GetPosition();
  auto beside = [&]() {
    const CTKPopupBar* popup = dynamic_cast<CTKPopupBar*>(parent);
    if (popup && parent->GetType() == kPopupBar && (popup->direction_ & kDirLeft)) direction_ = kDirLeft;
  };
  if ((parent->GetFlags() & 0x200000) && parentPopup) {
    direction_ |= kDirDrop;
  } else if (position == kRight) {
    direction_ = kDirLeft;
  } else if (position == kLeft || position == kPopup) {
    beside();
  } else if (parent->GetType() == kPopupBar && position == kFloating) {
    beside();
  } else {
    direction_ |= kDirDrop;
  }
  exclude_ = parent_control_->GetRect();
  const bool vertical = position == kLeft || position == kRight || position == kPopup ||
                        (parent->GetType() == kPopupBar && position == kFloating);
  if (parent_control_->GetType() == kComboBox && !parentPopup)
    direction_ |= kDirDrop;
  else
    AdjustExcludeRect(exclude_, vertical);
  ::MapWindowPoints(parent->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&exclude_), 2);
  exclude_.NormalizeRect();
  point_ = (direction_ & kDirDrop) ? POINT{exclude_.left, exclude_.bottom} : POINT{exclude_.right, exclude_.top};
}

CRect CTKPopupBar::CalcPopupRect(CSize size) {
  int cx = size.cx, cy = size.cy;
  CRect monitor, work;
  if (!exclude_.IsRectEmpty() || exclude_.Width() || exclude_.Height())
    TKGetMonitorAreas(static_cast<const RECT&>(exclude_), &monitor, &work);
  else
    TKGetMonitorAreas(point_, &monitor, &work);
  work.bottom -= 5;
  CTKCommandBarManager* manager = GetCommandBarManager();
  const bool flip = flip_ || (manager && manager->GetOptions().flip_popups);
  const bool wide = exclude_.Width() != 0, high = exclude_.Height() != 0;
  int x = point_.x, y = point_.y;
  bool scroll = false, columns = false;

  if (direction_ == (kDirLeft | kDirDrop) && wide)
    x = exclude_.right - cx;
  else if ((direction_ & kDirLeft) && wide)
    x = exclude_.left - cx;
  else if ((direction_ & kDirLeft) && !wide)
    x = x - cx;

  if (!high && work.bottom < y) {
    y -= cy;
  } else if (y + cy > work.bottom) {
    if (!high) {
      if (y < work.top + work.Height() / 2) y = work.bottom;
      y -= cy;
    } else if (direction_ & kDirDrop) {
      y = exclude_.top - cy;
      if (y < work.top) {
        if (flip) {
          // Beside the control instead, as far down as the work area allows.
          direction_ &= ~kDirDrop;
          if (parent_control_ && parent_control_->GetParent()) {
            exclude_ = parent_control_->GetRect();
            AdjustExcludeRect(exclude_, true);
            ::MapWindowPoints(parent_control_->GetParent()->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&exclude_), 2);
            exclude_.NormalizeRect();
          }
          x = (direction_ & kDirLeft) ? exclude_.left - cx : exclude_.right;
          y = work.bottom - cy;
        } else {
          // The larger side of the control, scrolled.
          scroll = true;
          if (exclude_.CenterPoint().y > work.CenterPoint().y) {
            y = work.top;
            cy = exclude_.top - work.top;
          } else {
            y = exclude_.bottom;
            cy = work.bottom - exclude_.bottom;
          }
        }
      }
    } else {
      y = work.bottom - cy;
    }
    if (y < work.top) y = work.top;
    if (y + cy > work.bottom) {
      if (flip && type_ == kPopupBar) {
        columns = true;
      } else {
        cy = work.bottom - y;
        scroll = true;
      }
    }
  }
  if (columns) {
    CSize again = CalcSize(work.Height(), kKeepState);
    cx = again.cx;
    cy = std::min<int>(again.cy, work.Height());
    if ((direction_ & kDirLeft) && wide) x = exclude_.left - cx;
    if (y + cy > work.bottom) y = work.bottom - cy;
  }

  if (x + cx > work.right) {
    if (!wide) {
      x = x > work.right ? x - cx : work.right - cx;
    } else {
      x = ((direction_ & kDirDrop) ? work.right : exclude_.left) - cx;
      direction_ |= kDirLeft;
    }
  }
  if (x < work.left) {
    if (wide) {
      x = (direction_ & kDirDrop) ? work.left : exclude_.right;
      direction_ &= ~kDirLeft;
    } else if (direction_ & kDirLeft) {
      x = work.left;
      direction_ &= ~kDirLeft;
    }
  }

  scrolling_ = scroll && type_ == kPopupBar;
  CRect result(x, y, x + cx, y + cy);
  popup_size_ = result.Size();
  if (scrolling_) {
    first_visible_ = 0;
    LayoutScrolling(true);
  } else {
    arrow_down_.rect.SetRectEmpty();
    arrow_up_.rect.SetRectEmpty();
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Size

void CTKPopupBar::UpdateRarelyUsed() {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager || manager->GetOptions().full_menus) {
    for (int i = 0; i < GetControlCount(); ++i) GetControl(i)->SetHideFlag(kHideExpand, false);
    expanded_all_ = true;
    show_expand_ = false;
    return;
  }
  if (TKMenusExpandedOnThread()) expanded_all_ = true;
  bool needed = false;
  std::vector<bool> rare(GetControlCount(), false);
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->GetParent() != this || control->GetID() == kExpandButtonId) continue;
    // A sub-menu without a command of its own is never counted as rarely used.
    const bool submenu = control->GetType() >= kPopupControl && control->GetType() <= kSplitButtonPopup &&
                         control->GetID() <= 0;
    const bool used = submenu || manager->IsCommandUsed(control->GetID());
    rare[i] = !used;
    if (!used && (control->GetHideFlags() & ~kHideExpand) == 0 &&
        (!control->GetAction() || control->GetAction()->IsVisible()))
      needed = true;
  }
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    control->SetHideFlag(kHideExpand, !expanded_all_ && needed && rare[i]);
  }
  show_expand_ = needed && !expanded_all_;
}

CSize CTKPopupBar::LayoutPopupControls(CDC* dc, int maxHeight) {
  CTKPaintManager* pm = GetPaintManager();
  const int separator = pm->PaintGroupSeparator(dc, nullptr, this, false).cy;
  struct Item {
    CTKControl* control;
    CSize size;
    int column;
    int top;
  };
  std::vector<Item> items;
  int x = 0, y = 0, column = 0, tallest = 0;
  std::vector<int> widths(1, 0);
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    control->SetHideFlag(kHideScroll, false);
    if (control->GetID() == kExpandButtonId && control->GetParent() == this) continue;
    if (!control->IsVisible()) {
      control->SetRect(CRect());
      continue;
    }
    CSize size = pm->PaintControl(dc, control, false);
    int gap = (control->GetBeginGroup() && y > 0) ? separator : 0;
    if (y > 0 && (y + gap + size.cy > maxHeight || StartsColumn(control))) {
      ++column;
      widths.push_back(0);
      y = 0;
      gap = 0;
    }
    items.push_back(Item{control, size, column, y + gap});
    y += gap + size.cy;
    tallest = std::max(tallest, y);
    widths[column] = std::max<int>(widths[column], size.cx);
  }
  std::vector<int> left(widths.size(), 0);
  for (size_t c = 1; c < widths.size(); ++c) left[c] = left[c - 1] + widths[c - 1];
  x = items.empty() ? 0 : left.back() + widths.back();
  const CRect b = layout_borders_;
  for (const Item& item : items) {
    CRect rc(left[item.column], item.top, left[item.column] + widths[item.column], item.top + item.size.cy);
    rc.OffsetRect(b.left, b.top);
    item.control->SetRect(rc);
    item.control->SetRowRect(rc);
    item.control->SetWrap(item.top == 0);
  }
  if (items.empty()) return CSize(23, 22);
  return CSize(x, tallest);
}

CSize CTKPopupToolBar::LayoutPopupControls(CDC* dc, int maxHeight) {
  width_ = popup_width_;
  CRect b = layout_borders_;
  CSize size = controls_->CalcLayout(dc, popup_width_, CTKControls::kLayoutGroupRows | CTKControls::kLayoutCommit | 0x2,
                                     b, 0);
  return CSize(size.cx - b.left - b.right, size.cy - b.top - b.bottom);
}

CSize CTKPopupBar::CalcSize(int length, DWORD mode) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKPaintManager* pm = GetPaintManager();
  KestrinWinNS::CSelectObject font(dc, pm->BarFontFor(this, false)->GetSafeHandle());
  max_height_ = length > 0 ? length : 32767;
  CRect b = borders_;
  int caption = 0;
  if (tear_off_) {
    caption = pm->PaintTearOffBand(&dc, CRect(), false, false).cy;
    b.top += caption;
  }
  CTKControl* expand = controls_->FindControl(kExpandButtonId);
  if (expand && expand->GetParent() != this) expand = nullptr;
  int expandHeight = 0;
  if (type_ == kPopupBar) {
    UpdateShortcuts();
    if (!(mode & kKeepState)) {
      for (int i = 0; i < GetControlCount(); ++i) {
        CTKControl* control = GetControl(i);
        if (control->GetParent() != this) continue;
        control->SetSelected(0);
        control->SetPressed(0);
      }
      UpdateRarelyUsed();
    }
    if (show_expand_) {
      expandHeight = 16;
      b.bottom += expandHeight;
      if (!expand) {
        expand = new CControlExpandButton;
        controls_->InsertAt(expand, -1);
        expand->Release();  // the popup's controls hold it
      }
      expand->SetHideFlags(0);
    } else if (expand) {
      expand->SetHideFlags(kHideShow);
    }
  }
  layout_borders_ = b;
  CSize inner = LayoutPopupControls(&dc, max_height_ - b.top - b.bottom);
  CSize size(inner.cx + b.left + b.right, inner.cy + b.top + b.bottom);
  if (expand && show_expand_ && type_ == kPopupBar)
    expand->SetRect(CRect(borders_.left, size.cy - borders_.bottom - expandHeight, size.cx - borders_.right,
                          size.cy - borders_.bottom));
  tear_off_rect_ = tear_off_ ? CRect(borders_.left, borders_.top, size.cx - borders_.right, borders_.top + caption) : CRect();
  popup_size_ = size;
  scrolling_ = false;
  return size;
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void CTKPopupBar::LayoutScrolling(bool downwards) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKPaintManager* pm = GetPaintManager();
  KestrinWinNS::CSelectObject font(dc, pm->BarFontFor(this, false)->GetSafeHandle());
  const int separator = pm->PaintGroupSeparator(&dc, nullptr, this, false).cy;
  const CRect b = layout_borders_;
  const int left = b.left, right = popup_size_.cx - b.right;
  const int top = b.top, bottom = popup_size_.cy - b.bottom;
  const int count = GetControlCount();
  auto candidate = [&](int i) {
    CTKControl* c = GetControl(i);
    return c->GetParent() == this && c->GetID() != kExpandButtonId && ShowsIgnoringScroll(c);
  };
  auto height = [&](int i) { return pm->PaintControl(&dc, GetControl(i), false).cy; };
  int firstCandidate = -1, lastCandidate = -1;
  for (int i = 0; i < count; ++i)
    if (candidate(i)) {
      if (firstCandidate < 0) firstCandidate = i;
      lastCandidate = i;
    }
  for (int i = 0; i < count; ++i)
    if (GetControl(i)->GetID() != kExpandButtonId) GetControl(i)->SetHideFlag(kHideScroll, true);
  arrow_up_.rect.SetRectEmpty();
  arrow_down_.rect.SetRectEmpty();
  if (firstCandidate < 0) return;
  std::vector<std::pair<int, CRect>> placed;
  if (downwards) {
    if (first_visible_ <= 1 || first_visible_ <= firstCandidate) first_visible_ = firstCandidate;
    int y = top;
    if (first_visible_ > firstCandidate) {
      arrow_up_.rect.SetRect(left, y, right, y + kScrollArrowHeight);
      y += kScrollArrowHeight;
    }
    int i = first_visible_;
    for (; i < count; ++i) {
      if (!candidate(i)) continue;
      const int gap = (!placed.empty() && GetControl(i)->GetBeginGroup()) ? separator : 0;
      const int h = height(i);
      if (!placed.empty() && y + gap + h > bottom - kScrollArrowHeight) break;
      placed.push_back({i, CRect(left, y + gap, right, std::min(y + gap + h, bottom))});
      y += gap + h;
    }
    after_last_ = placed.back().first + 1;
  } else {
    int last = after_last_ - 1;
    while (last > firstCandidate && !candidate(last)) --last;
    if (last > lastCandidate) last = lastCandidate;
    int y = bottom;
    if (last < lastCandidate) y -= kScrollArrowHeight;
    int i = last;
    for (; i >= 0; --i) {
      if (!candidate(i)) continue;
      const int h = height(i);
      const int gap = (GetControl(i)->GetBeginGroup() && i != firstCandidate) ? separator : 0;
      if (!placed.empty() && y - h - gap < top + kScrollArrowHeight && i != firstCandidate) break;
      if (!placed.empty() && y - h < top) break;
      placed.push_back({i, CRect(left, std::max(y - h, top), right, y)});
      y -= h + gap;
    }
    std::reverse(placed.begin(), placed.end());
    first_visible_ = placed.front().first;
    after_last_ = last + 1;
    if (first_visible_ == firstCandidate) {
      // Nothing left above: lay out from the top again so the column starts at the border.
      LayoutScrolling(true);
      return;
    }
    arrow_up_.rect.SetRect(left, top, right, top + kScrollArrowHeight);
  }
  for (const auto& p : placed) {
    CTKControl* c = GetControl(p.first);
    c->SetHideFlag(kHideScroll, false);
    c->SetRect(p.second);
    c->SetRowRect(p.second);
  }
  if (after_last_ - 1 < lastCandidate)
    arrow_down_.rect.SetRect(left, bottom - kScrollArrowHeight, right, bottom);
  if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

bool CTKPopupBar::ScrollStep(bool down) {
  if (!scrolling_) return false;
  if (down) {
    if (arrow_down_.rect.IsRectEmpty()) return false;
    int next = after_last_;
    while (next < GetControlCount() && !ShowsIgnoringScroll(GetControl(next))) ++next;
    if (next >= GetControlCount()) return false;
    after_last_ = next + 1;
    LayoutScrolling(false);
  } else {
    if (arrow_up_.rect.IsRectEmpty()) return false;
    int prev = first_visible_ - 1;
    while (prev > 0 && !ShowsIgnoringScroll(GetControl(prev))) --prev;
    if (prev < 0) return false;
    first_visible_ = prev;
    LayoutScrolling(true);
  }
  return true;
}

void CTKPopupBar::ScrollIntoView(int index) {
  if (!scrolling_ || index < 0) return;
  if (index < first_visible_) {
    first_visible_ = index;
    LayoutScrolling(true);
  } else if (index >= after_last_) {
    after_last_ = index + 1;
    LayoutScrolling(false);
  }
}

// ---------------------------------------------------------------------------------------------
// Showing

int CTKPopupBar::GetAnimationKind() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager || (GetSafeHwnd() && ::GetWindow(GetSafeHwnd(), GW_CHILD))) return 5;
  const int setting = manager->GetOptions().animation;
  if (setting == 0) {
    BOOL on = FALSE;
    if (!::SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0)) return 3;
    if (!on) return 5;
    BOOL fade = FALSE;
    return (::SystemParametersInfoW(SPI_GETMENUFADE, 0, &fade, 0) && fade) ? 4 : 3;
  }
  if (setting == 1) {
    const int pick = std::rand() % 3;
    return pick == 0 ? 4 : (pick == 1 ? 3 : 2);
  }
  return setting;
}

void CTKPopupBar::ShowWithEffects(const CRect& rect, const std::vector<CTKExpandBand>* expand, bool down) {
  HWND hwnd = GetSafeHwnd();
  CTKPopupEffects* effects = Effects();
  const int kind = (suppress_animation_ || IsCustomizeMode()) ? 5 : GetAnimationKind();
  if (effects && kind >= 2 && kind <= 4) {
    // The control shows itself open before the popup's frames start.
    if (parent_control_ && parent_control_->GetParent()) {
      parent_control_->RedrawParent();
      ::UpdateWindow(parent_control_->GetParent()->GetSafeHwnd());
    }
    if (HWND site = GetSite()) ::UpdateWindow(site);
    // What lies under the popup, then the popup drawn into a buffer: the effect goes from one
    // to the other.
    CDC screen, contents;
    KestrinWinNS::CScopedClientDC desktop_dc(nullptr);
    HDC desktop = desktop_dc.Get();
    screen.CreateCompatibleDC(nullptr);
    contents.CreateCompatibleDC(nullptr);
    CBitmap under, drawn;
    under.CreateCompatibleBitmap(desktop, rect.Width(), rect.Height());
    drawn.CreateCompatibleBitmap(desktop, rect.Width(), rect.Height());
    {
      KestrinWinNS::CSelectObject select_under(screen, under.GetSafeHandle());
      KestrinWinNS::CSelectObject select_drawn(contents, drawn.GetSafeHandle());
      ::BitBlt(screen, 0, 0, rect.Width(), rect.Height(), desktop, rect.left, rect.top, SRCCOPY);
      // In place (unpainted) before it is drawn: its background and borders follow its size.
      ::SetWindowPos(hwnd, HWND_TOPMOST, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOREDRAW);
      CRect client(0, 0, rect.Width(), rect.Height());
      // Drawn as its paint draws it: mirrored when the popup lays out right to left.
      CTKDrawHelpers::SetDCRightToLeft(contents, IsRightToLeft());
      PaintFaceAndBar(&contents, client);
      effects->AnimatePopup(this, &screen, &contents, rect, kind, expand, down);
    }
    ::InvalidateRect(hwnd, nullptr, FALSE);
  } else {
    ::SetWindowPos(hwnd, HWND_TOPMOST, rect.left, rect.top, rect.Width(), rect.Height(),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  ::UpdateWindow(hwnd);
}

bool CTKPopupBar::Popup(CTKControl* control, bool selectFirst) {
  // A show already under way on this popup is not started again.
  if (reentry_ > 0) return false;
  CCountGuard guard(reentry_);
  parent_control_ = control;
  if (!CreatePopupWindow()) {
    parent_control_ = nullptr;
    return false;
  }
  shown_flags_ &= ~1;
  HWND site = GetSite();
  if (site) ::SendMessageW(site, kMsgPopupOpening, 0, reinterpret_cast<LPARAM>(this));
  keyboard_opened_ = IsCustomizeMode() || selectFirst;
  expanded_all_ = false;
  show_expand_ = false;
  scrolling_ = false;
  UpdateExcludeAndDirection();
  CSize size = CalcSize(32767, 0);
  CRect rect = CalcPopupRect(size);
  // The control's bar may have gone while the site was told (it closed the menu, say).
  if (control && (!control->GetParent() || !control->GetParent()->GetSafeHwnd() || !GetSafeHwnd())) {
    if (GetSafeHwnd()) DestroyWindow();
    parent_control_ = nullptr;
    return false;
  }
  CTKCommandBar::SetTrackingMode(1, selectFirst, selectFirst);
  if (!tracking_ || !GetSafeHwnd()) {
    // Tracking ended before the popup showed.
    if (GetSafeHwnd()) DestroyWindow();
    parent_control_ = nullptr;
    return false;
  }
  ::NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, GetSafeHwnd(), OBJID_MENU, 0);
  ShowWithEffects(rect, nullptr, true);
  if (!control) CTKSoundThread::Instance().Request(CTKSoundThread::kPopup);
  if (shadow_ && position_ == kPopup)
    if (CTKPopupEffects* effects = Effects()) effects->ShowPopupShadow(this, exclude_);
  if (CTKPopupBar* parentPopup = dynamic_cast<CTKPopupBar*>(GetParentBar())) parentPopup->suppress_animation_ = 0;
  shown_flags_ |= 1;
  if (shown_flags_ & 2) {
    shown_flags_ &= ~2;
    if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  }
  return GetSafeHwnd() != nullptr;
}

bool CTKPopupBar::PopupAt(POINT pt, const CRect& exclude, bool selectFirst) {
  point_ = pt;
  exclude_ = exclude;
  // Without a control the caller's point and direction stand.
  return Popup(nullptr, selectFirst);
}

void CTKPopupBar::Relayout(const std::vector<const CTKControl*>& grown) {
  if (!GetSafeHwnd()) return;
  if (!exclude_.IsRectEmpty() || parent_control_) UpdateExcludeAndDirection();
  CSize size = CalcSize(max_height_ < 32767 ? max_height_ : 32767, 0);
  CRect rect = CalcPopupRect(size);
  CRect old;
  ::GetWindowRect(GetSafeHwnd(), &old);
  if (old == rect) {
    ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
    return;
  }
  CTKPopupEffects* effects = Effects();
  if (effects) effects->RemovePopupShadow(this);
  suppress_animation_ = 0;
  // The new contents in bands from the top: the border, then runs of controls that were shown
  // or have just been shown (each with the gap above it), then the rest. Columns and scrolling
  // have no such bands: the popup then opens anew.
  std::vector<CTKExpandBand> bands;
  int cursor = 0, column = -1;
  for (int i = 0; i < GetControlCount() && !scrolling_; ++i) {
    const CTKControl* control = GetControl(i);
    const CRect& rc = control->GetRect();
    if (control->GetParent() != this || !control->IsVisible() || rc.IsRectEmpty()) continue;
    if (column == -1) {
      column = rc.left;
      bands.push_back(CTKExpandBand{0, rc.top, false});
      cursor = rc.top;
    } else if (rc.left != column) {
      bands.clear();
      break;
    }
    const bool grows = std::find(grown.begin(), grown.end(), control) != grown.end();
    if (bands.back().grows == grows)
      bands.back().bottom = rc.bottom;
    else
      bands.push_back(CTKExpandBand{cursor, rc.bottom, grows});
    cursor = rc.bottom;
  }
  if (!bands.empty()) bands.push_back(CTKExpandBand{cursor, rect.Height(), false});
  // Unfolding grows downwards when the new bottom lies lower.
  ShowWithEffects(rect, bands.empty() ? nullptr : &bands, rect.bottom > old.bottom);
  CTKSoundThread::Instance().Request(CTKSoundThread::kPopup);
  if (effects && shadow_) effects->ShowPopupShadow(this, exclude_);
  ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

bool CTKPopupBar::ExpandBar() {
  if (!show_expand_ || expanded_all_) return false;
  expanded_all_ = true;
  TKKillTimer(GetSafeHwnd(), kTimerExpand);
  SetPopupOpen(-1, false);
  CTKCommandBar::SetHotControl(-1, kHotProgram);
  TKSetMenusExpandedOnThread(true);
  CTKCommandBarManager* manager = GetCommandBarManager();
  const bool tips = manager && manager->GetKeyboardTipOwner() == this;
  if (tips) manager->HideKeyboardTips();
  std::vector<const CTKControl*> grown;
  for (int i = 0; i < GetControlCount(); ++i)
    if (GetControl(i)->GetHideFlags() & kHideExpand) grown.push_back(GetControl(i));
  Relayout(grown);
  if (tips && GetSafeHwnd()) ::PostMessageW(GetSafeHwnd(), kMsgShowTipsAgain, 0, 0);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Tracking, hot control and keys

bool CTKPopupBar::SetTrackingMode(int mode, bool selectFirst, bool keyboard) {
  if (!CTKCommandBar::SetTrackingMode(mode, selectFirst, keyboard)) return false;
  if (mode) return true;
  HWND hwnd = GetSafeHwnd();
  if (hwnd) {
    ::NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, hwnd, OBJID_MENU, 0);
    for (UINT_PTR timer : {kTimerScrollDown, kTimerScrollUp, kTimerTearOff, kTimerExpand}) TKKillTimer(hwnd, timer);
    if (CTKPopupEffects* effects = Effects()) effects->RemovePopupShadow(this);
  }
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && manager->GetKeyboardTipOwner() == this) manager->HideKeyboardTips();
  HWND site = GetSite();
  CTKCommandBar* parent = GetParentBar();
  if (hwnd) {
    // Child windows (edit boxes, say) go back to the site before the popup goes.
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(hwnd, GW_CHILD)) {
      ::ShowWindow(child, SW_HIDE);
      ::SetParent(child, site);
    }
    DestroyWindow();
  }
  if (parent && parent_control_ && parent->GetExpandedIndex() == parent_control_->GetIndex())
    parent->SetPopupOpen(-1, false);
  if (site) ::SendMessageW(site, kMsgPopupClosed, 0, reinterpret_cast<LPARAM>(this));
  ::Sleep(1);
  parent_control_ = nullptr;
  shown_flags_ &= ~1;
  if (site) ::UpdateWindow(site);
  return true;
}

bool CTKPopupBar::SetHotControl(int index, int how) {
  if (!CTKCommandBar::SetHotControl(index, how)) return false;
  HWND hwnd = GetSafeHwnd();
  CTKControl* hot = GetControl(index);
  if (hot && hot->GetID() == kExpandButtonId && how == kHotMouse)
    TKSetTimer(hwnd, kTimerExpand, kExpandDelay);
  else if (hwnd)
    TKKillTimer(hwnd, kTimerExpand);
  if (hot && how != kHotMouse) ScrollIntoView(index);
  return true;
}

int CTKPopupBar::OnHookKeyDown(UINT key, LPARAM data) {
  if (show_expand_ && !expanded_all_ && key == VK_DOWN && !IsCustomizeMode()) {
    if (::GetKeyState(VK_CONTROL) < 0) {
      ExpandBar();
      return kKeyHandled;
    }
    const int next = controls_->GetNext(hot_, 1, true, false, true);
    if (hot_ >= 0 && next >= 0 && next <= hot_) {
      ExpandBar();
      return kKeyHandled;
    }
  }
  return CTKCommandBar::OnHookKeyDown(key, data);
}

bool CTKPopupBar::OnNavigate(int code) {
  switch (code) {
    case kNavNext:
    case kNavPrev: {
      CTKCommandBarManager* manager = GetCommandBarManager();
      if (manager) manager->HideKeyboardTips();
      const int step = code == kNavNext ? 1 : -1;
      return SetHotControl(controls_->GetNext(hot_, step, true, false, true), code == kNavNext ? kHotKeyForward : kHotKeyBackward);
    }
    case kNavFirst:
      return SetHotControl(controls_->GetNext(-1, 1, true, false, true), kHotKeyForward);
    case kNavLast:
      return SetHotControl(controls_->GetNext(-1, -1, true, false, true), kHotKeyBackward);
    default:
      return CTKCommandBar::OnNavigate(code);
  }
}

void CTKPopupBar::Copy(const CTKCommandBar* source, bool deep) {
  CTKCommandBar::Copy(source, deep);
  if (const CTKPopupBar* popup = dynamic_cast<const CTKPopupBar*>(source)) {
    tear_off_ = popup->tear_off_;
    tear_off_title_ = popup->tear_off_title_;
    tear_off_id_ = popup->tear_off_id_;
    tear_off_width_ = popup->tear_off_width_;
    borders_ = popup->borders_;
    shadow_ = popup->shadow_;
  }
}

void CTKPopupBar::SetTearOffPopup(const std::wstring& title, UINT barId, int width) {
  tear_off_ = barId != 0;
  tear_off_title_ = title;
  tear_off_id_ = barId;
  tear_off_width_ = width;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CTKPopupBar::DrawCommandBar(CDC* dc, const CRect& clip) {
  CTKCommandBar::DrawCommandBar(dc, clip);
  CTKPaintManager* pm = GetPaintManager();
  const COLORREF colour = pm->ResolveColor(18);
  for (const ScrollArrow* arrow : {&arrow_down_, &arrow_up_}) {
    if (arrow->rect.IsRectEmpty()) continue;
    dc->FillSolidRect(&arrow->rect, ::GetSysColor(COLOR_MENU));
    const CPoint c = arrow->rect.CenterPoint();
    const bool down = arrow == &arrow_down_;
    // A filled triangle of half-width 3.
    for (int row = 0; row < 4; ++row) {
      const int half = down ? 3 - row : row;
      const int y = c.y - 2 + row;
      dc->FillSolidRect(c.x - half, y, 2 * half + 1, 1, colour);
    }
  }
  if (tear_off_ && !tear_off_rect_.IsRectEmpty()) pm->PaintTearOffBand(dc, tear_off_rect_, tear_off_hot_, true);
  CTKControl* expand = controls_->FindControl(kExpandButtonId);
  if (expand && show_expand_ && expand->GetParent() == this) {
    CTKPaintManager::ItemState state = pm->StateOf(expand);
    pm->PaintSpecialButton(dc, expand->GetRect(), 1, state, false);
  }
}

// ---------------------------------------------------------------------------------------------
// Timers, mouse and the tear-off drag

void CTKPopupBar::OnTimerTick(UINT_PTR id) {
  HWND hwnd = GetSafeHwnd();
  POINT pt;
  TKGetCursorPos(&pt);
  ::ScreenToClient(hwnd, &pt);
  switch (id) {
    case kTimerScrollDown:
    case kTimerScrollUp: {
      ScrollArrow& arrow = id == kTimerScrollDown ? arrow_down_ : arrow_up_;
      if (!arrow.rect.PtInRect(pt) || !ScrollStep(id == kTimerScrollDown)) {
        TKKillTimer(hwnd, id);
        arrow.running = false;
      }
      break;
    }
    case kTimerTearOff: {
      const bool over = tear_off_rect_.PtInRect(pt) != FALSE;
      if (over != tear_off_hot_) {
        tear_off_hot_ = over;
        ::InvalidateRect(hwnd, &tear_off_rect_, FALSE);
      }
      if (!over) TKKillTimer(hwnd, kTimerTearOff);
      break;
    }
    case kTimerExpand: {
      TKKillTimer(hwnd, kTimerExpand);
      CTKControl* hot = GetHotControl();
      if (hot && hot->GetID() == kExpandButtonId) ExpandBar();
      break;
    }
    default:
      break;
  }
}

void CTKPopupBar::OnPopupMouseMove(CPoint pt) {
  HWND hwnd = GetSafeHwnd();
  for (ScrollArrow* arrow : {&arrow_down_, &arrow_up_}) {
    const bool over = !arrow->rect.IsRectEmpty() && arrow->rect.PtInRect(pt);
    if (over && !arrow->running) {
      arrow->running = TKSetTimer(hwnd, arrow->timer, kScrollPeriod) != 0;
    } else if (!over && arrow->running) {
      // Leaving the arrow stops its scrolling at once.
      TKKillTimer(hwnd, arrow->timer);
      arrow->running = false;
    }
  }
  if (tear_off_ && tear_off_rect_.PtInRect(pt) && !tear_off_hot_) {
    SetPopupOpen(-1, false);
    CTKCommandBar::SetHotControl(-1, kHotMouse);
    tear_off_hot_ = true;
    ::InvalidateRect(hwnd, &tear_off_rect_, FALSE);
    TKSetTimer(hwnd, kTimerTearOff, kTearOffPeriod);
  }
}

bool CTKPopupBar::TrackTearOff(POINT start) {
  HWND hwnd = GetSafeHwnd();
  if (!hwnd || !tear_off_ || IsCustomizeMode()) return false;
  ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)));
  ::SetCapture(hwnd);
  CCountGuard drag(t_drag_count);
  CRect caption = tear_off_rect_;
  ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&caption), 2);
  caption.NormalizeRect();
  caption.InflateRect(10, 10);
  CTKCommandBarManager* manager = GetCommandBarManager();
  POINT last = start;
  CTKToolBar* bar = nullptr;
  bool ownsBar = false;
  AddRef();
  MSG msg;
  for (;;) {
    if (TKNextLoopMessage(hwnd, msg) != CTKLoopWake::kMessage) break;
    if (msg.message == WM_LBUTTONUP || TKIsCancelMessage(msg)) break;
    if (msg.message == WM_PAINT) {
      ::DispatchMessageW(&msg);
      continue;
    }
    if (msg.message != WM_MOUSEMOVE) {
      if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)
        if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) ::DispatchMessageW(&msg);
      continue;
    }
    POINT pt = TKMessagePoint(msg);
    ::ClientToScreen(msg.hwnd, &pt);
    if (pt.x == last.x && pt.y == last.y) continue;
    last = pt;
    const bool inside = caption.PtInRect(pt) != FALSE;
    if (!inside && !bar) {
      ::ShowWindow(hwnd, SW_HIDE);
      if (manager) bar = manager->FindToolBar(tear_off_id_);
      if (!bar) {
        bar = manager ? manager->AddToolBar(tear_off_title_, tear_off_id_) : new CTKToolBar;
        ownsBar = manager == nullptr;
        if (!manager) {
          bar->SetTitle(tear_off_title_);
          bar->SetBarID(tear_off_id_);
          bar->SetPaintManager(GetPaintManager());
        }
        bar->SetWidth(std::max<int>(tear_off_width_, popup_size_.cx));
        for (int i = 0; i < GetControlCount(); ++i) {
          CTKControl* control = GetControl(i);
          if (control->GetID() == kExpandButtonId || control->IsTemporary()) continue;
          CTKControl* copy = bar->GetControls()->AddCopy(control);
          if (copy) copy->SetHideFlags(copy->GetHideFlags() & ~(kHideScroll | kHideExpand));
        }
      }
      bar->SetPosition(kFloating);
      bar->CreateToolBar(GetSite(), true);
      HWND site = GetSite();
      if (site) ::SendMessageW(site, kMsgTearOff, reinterpret_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(this));
      CSize size = bar->CalcFloatingLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
      ::SetWindowPos(bar->GetSafeHwnd(), HWND_TOP, pt.x - size.cx / 2, pt.y - 10, size.cx, size.cy,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
      bar->SetVisible(true);
    } else if (!inside && bar) {
      CRect rc;
      ::GetWindowRect(bar->GetSafeHwnd(), &rc);
      ::SetWindowPos(bar->GetSafeHwnd(), nullptr, pt.x - rc.Width() / 2, pt.y - 10, 0, 0,
                     SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
    } else if (inside && bar) {
      // Back over the caption: the popup returns and the bar is forgotten.
      ::ShowWindow(hwnd, SW_SHOWNA);
      bar->SetVisible(false);
      if (ownsBar) {
        if (bar->GetSafeHwnd()) bar->DestroyWindow();
        bar->Release();
      } else if (manager && bar->IsTemporary()) {
        manager->RemoveToolBar(bar);
      }
      bar = nullptr;
      ownsBar = false;
    }
  }
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  const bool torn = bar != nullptr;
  if (torn) {
    if (torn_bar_) torn_bar_->Release();
    torn_bar_ = bar;
    if (!ownsBar) torn_bar_->AddRef();
    if (manager)
      manager->ClosePopups();
    else
      CTKMouseManager::ThreadInstance()->CloseTrackedBars();
  }
  Release();
  return torn;
}

void CTKPopupBar::OnPopupLButtonDown(CPoint pt) {
  if (tear_off_ && tear_off_rect_.PtInRect(pt) && !IsCustomizeMode()) {
    POINT screen = pt;
    ::ClientToScreen(GetSafeHwnd(), &screen);
    TrackTearOff(screen);
  }
}

void CTKPopupBar::PaintPopup() {
  // Drawn into a 32-bit section first: the items' images blend into it in memory, and the
  // window gets one copy.
  KestrinWinNS::CScopedPaintDC paint(GetSafeHwnd());
  const HDC hdc = paint.Get();
  const RECT& dirty = paint.Paint().rcPaint;
  CRect client = GetClientRect();
  if (client.Width() > 0 && client.Height() > 0) {
    KestrinWinNS::CScopedBitmap section = KestrinWinNS::CreateDib32(client.Width(), client.Height());
    KestrinWinNS::CBitmapDC buffer_dc(hdc, section.Get());
    if (section && buffer_dc) {
      CDC buffer;
      buffer.Attach(buffer_dc.Get());
      ::SetLayout(buffer, ::GetLayout(hdc));
      PaintFaceAndBar(&buffer, CRect(dirty));
      ::BitBlt(hdc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, buffer, dirty.left,
               dirty.top, SRCCOPY);
    }
  }
}

LRESULT CTKPopupBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT:
      PaintPopup();
      return 0;
    case WM_TIMER:
      if (wparam >= kTimerScrollDown && wparam <= kTimerExpand) {
        OnTimerTick(static_cast<UINT_PTR>(wparam));
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      OnPopupMouseMove(pt);
      break;
    case WM_LBUTTONDOWN:
      if (tear_off_ && tear_off_rect_.PtInRect(pt)) {
        AddRef();
        OnPopupLButtonDown(pt);
        Release();
        return 0;
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (show_expand_ && !expanded_all_) {
        CTKControl* expand = controls_->FindControl(kExpandButtonId);
        if (expand && expand->GetRect().PtInRect(pt)) {
          ExpandBar();
          return 0;
        }
      }
      break;
    default:
      if (message == kMsgShowTipsAgain) {
        CTKCommandBarManager* manager = GetCommandBarManager();
        if (manager && !manager->AreKeyboardTipsShown() && tracking_) manager->ShowKeyboardTips(this, 1);
        return 0;
      }
      break;
  }
  return CTKCommandBar::WindowProc(message, wparam, lparam);
}
