// The ribbon bar's input and drawing: its window messages, the mouse on the caption, the tab
// row and the groups, the frame's messages it takes through its hook, keys and keyboard tips.
#include <algorithm>

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_caption_buttons.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;
using namespace TKRibbon;

namespace {
bool IsMaximized(HWND frame) { return frame && (::GetWindowLongPtrW(frame, GWL_STYLE) & WS_MAXIMIZE) != 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Mouse

bool CTKRibbonBar::OnRibbonLButtonDown(POINT pt) {
  if (const CTKRibbonTabContextHeader* header = ContextHeaderAt(pt)) {
    if (header->first) control_tab_->SelectItem(header->first);
    return true;
  }
  const int hit = HitTestCaption(pt);
  if (hit) {
    ClosePopups();
    if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
    HWND frame = FrameWindow();
    if (!frame || IsMaximized(frame)) return true;
    if (hit == HTCAPTION)
      ::SendMessageW(frame, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT && TKSystemCommandEnabled(frame, SC_SIZE))
      ::SendMessageW(frame, WM_SYSCOMMAND, 0xEFF7 + hit, 0);
    return true;
  }
  const RECT& row = TabRowRect();
  if (tabs_visible_ && PtInRect(&row, pt)) {
    ClosePopups();
    if (CTKTabManagerItem* item = control_tab_->ItemAt(pt)) {
      control_tab_->SelectItem(item);
      return true;
    }
  }
  return false;
}

bool CTKRibbonBar::OnRibbonLButtonDblClk(POINT pt) {
  if (HitTestCaption(pt) || ContextHeaderAt(pt)) {
    HWND frame = FrameWindow();
    if (!frame) return true;
    const LONG_PTR style = ::GetWindowLongPtrW(frame, GWL_STYLE);
    if (style & (WS_MAXIMIZE | WS_MINIMIZE))
      ::SendMessageW(frame, WM_SYSCOMMAND, SC_RESTORE | HTCAPTION, 0);
    else if ((style & WS_MAXIMIZEBOX) && TKSystemCommandEnabled(frame, SC_MAXIMIZE))
      ::SendMessageW(frame, WM_SYSCOMMAND, SC_MAXIMIZE | HTCAPTION, 0);
    return true;
  }
  CTKTabManagerItem* item = tabs_visible_ ? control_tab_->ItemAt(pt) : nullptr;
  if (item && item == CurrentTab() && allow_minimize_) {
    ChangeMinimizedState(!minimized_);
    return true;
  }
  return false;
}

bool CTKRibbonBar::OnRibbonRButtonDown(POINT pt) {
  if (IsCustomizeMode()) return false;
  if (tracking_) SetTrackingMode(0, true, false);
  SetHotControl(-1, kHotMouse);
  if (HitTestCaption(pt)) return true;
  POINT screen = pt;
  if (GetSafeHwnd()) ::ClientToScreen(GetSafeHwnd(), &screen);
  if (CTKControl* control = controls_->HitTest(CPoint(pt))) {
    ShowContextPopup(control, screen);
    return true;
  }
  CTKRibbonTab* tab = CurrentTab();
  CTKRibbonGroup* group = tab ? tab->Groups().GroupAtPoint(pt) : nullptr;
  if (group && group->CollapsedPopup() && pt.y >= group->Rect().bottom - GroupCaptionHeight())
    ShowContextPopup(group->CollapsedPopup(), screen);
  return true;
}

bool CTKRibbonBar::OnRibbonRButtonUp(POINT pt) {
  if (HitTestCaption(pt) != HTCAPTION) return false;
  HWND frame = FrameWindow();
  POINT screen = pt;
  if (GetSafeHwnd()) ::ClientToScreen(GetSafeHwnd(), &screen);
  if (frame) ::SendMessageW(frame, 0x313, 0, MAKELPARAM(screen.x, screen.y));
  return true;
}

void CTKRibbonBar::SetHotGroup(CTKRibbonGroup* group) {
  if (group == hot_group_) return;
  HWND hwnd = GetSafeHwnd();
  if (hwnd && hot_group_) ::InvalidateRect(hwnd, &hot_group_->Rect(), FALSE);
  hot_group_ = group;
  if (hwnd && group) ::InvalidateRect(hwnd, &group->Rect(), FALSE);
}

void CTKRibbonBar::OnRibbonMouseMove(POINT pt) {
  CTKRibbonTheme* theme = RibbonTheme();
  if (expanded_ < 0 && !IsCustomizeMode() && hot_ < 0) {
    CTKRibbonTab* tab = CurrentTab();
    CTKRibbonGroup* group = nullptr;
    if (tab && theme && theme->HotGroupsEnabled()) group = tab->Groups().GroupAtPoint(pt);
    if (group != hot_group_) {
      SetHotGroup(group);
      if (GetSafeHwnd()) CTKMouseManager::ThreadInstance()->TrackMouseLeave(GetSafeHwnd());
    }
  }
  control_tab_->TrackPointer(GetSafeHwnd(), pt);
}

void CTKRibbonBar::OnRibbonMouseLeave() {
  SetHotGroup(nullptr);
  control_tab_->TrackPointer(nullptr, POINT{-32000, -32000});
}

void CTKRibbonBar::OnTrackingModeChanged() {
  if (tracking_) OnRibbonMouseLeave();
}

void CTKRibbonBar::OnRibbonShowWindow(bool shown) {
  if (!frame_link_ || shown == ribbon_visible_) return;
  ribbon_visible_ = shown;
  frame_link_->RequestFrameRecalc(true);
}

// ---------------------------------------------------------------------------------------------
// Window messages

bool CTKRibbonBar::CreateToolBar(HWND site, bool floating) {
  if (!CTKMenuBar::CreateToolBar(site, floating)) return false;
  HookFrameWindows();
  return true;
}

LRESULT CTKRibbonBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  switch (message) {
    case WM_LBUTTONDOWN:
      if (OnRibbonLButtonDown(pt)) return 0;
      break;
    case WM_LBUTTONDBLCLK:
      if (OnRibbonLButtonDblClk(pt)) return 0;
      break;
    case WM_RBUTTONDOWN:
      if (OnRibbonRButtonDown(pt)) return 0;
      break;
    case WM_RBUTTONUP:
      if (OnRibbonRButtonUp(pt)) return 0;
      break;
    case WM_MOUSEMOVE: {
      const LRESULT result = CTKMenuBar::WindowProc(message, wparam, lparam);
      OnRibbonMouseMove(pt);
      return result;
    }
    case WM_MOUSELEAVE:
      OnRibbonMouseLeave();
      break;
    case WM_SHOWWINDOW:
      OnRibbonShowWindow(wparam != 0);
      break;
    case WM_SETCURSOR: {
      POINT cursor;
      ::GetCursorPos(&cursor);
      ::ScreenToClient(GetSafeHwnd(), &cursor);
      const int hit = HitTestCaption(cursor);
      if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
        HWND frame = FrameWindow();
        if (frame) return ::SendMessageW(frame, WM_SETCURSOR, reinterpret_cast<WPARAM>(frame), MAKELPARAM(hit, HIWORD(lparam)));
      }
      break;
    }
    case WM_NCHITTEST:
      if (frame_link_ && frame_link_->IsDesktopComposition()) {
        LRESULT answer = 0;
        HWND frame = FrameWindow();
        if (frame && CTKDwmFunctions::Instance().DefWindowProc(frame, message, wparam, lparam, &answer) == S_OK &&
            (answer == HTMINBUTTON || answer == HTMAXBUTTON || answer == HTCLOSE || answer == HTHELP))
          return HTTRANSPARENT;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wparam) >= kQuickAccessBelow && LOWORD(wparam) <= kQuickAccessAbove) {
        OnRibbonCommand(LOWORD(wparam), nullptr);
        return 0;
      }
      break;
    case kMsgControlNotify: {
      const int id = static_cast<int>(wparam);
      if (id == kRemoveFromQuickAccess || id == kAddToQuickAccess || id == kCustomiseQuickAccess || id == kToggleMinimized) {
        const NMTKCONTROL* record = reinterpret_cast<const NMTKCONTROL*>(lparam);
        return OnRibbonCommand(id, record ? record->control : nullptr) ? 1 : 0;
      }
      break;
    }
    case WM_SYSCOLORCHANGE:
      if (CTKRibbonTheme* theme = RibbonTheme()) theme->ReloadColorsAndFonts();
      control_tab_->RedrawParent();
      break;
    default:
      break;
  }
  return CTKMenuBar::WindowProc(message, wparam, lparam);
}

int CTKRibbonBar::OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (hwnd && hwnd == GetSite()) {
    if (message == kMsgControlNotify && !forwarding_customise_) {
      const int id = static_cast<int>(wParam);
      if (id == kRemoveFromQuickAccess || id == kAddToQuickAccess || id == kCustomiseQuickAccess || id == kToggleMinimized) {
        const NMTKCONTROL* record = reinterpret_cast<const NMTKCONTROL*>(lParam);
        OnRibbonCommand(id, record ? record->control : nullptr);
        result = 1;
        return kConsumed;
      }
    }
    if (message == WM_COMMAND && !forwarding_customise_ && LOWORD(wParam) >= kQuickAccessBelow &&
        LOWORD(wParam) <= kQuickAccessAbove) {
      OnRibbonCommand(LOWORD(wParam), nullptr);
      result = 0;
      return kConsumed;
    }
    if (tracking_ && message == WM_MOUSEWHEEL && expanded_ < 0) {
      const short delta = static_cast<short>(HIWORD(wParam));
      control_tab_->HandleWheel(delta);
      result = 0;
      return kConsumed;
    }
    if (tracking_ && message == WM_CONTEXTMENU && lParam == -1) {
      if (CTKControl* control = GetHotControl()) {
        const CRect& r = control->GetRect();
        POINT screen{r.left, r.bottom};
        ::ClientToScreen(GetSafeHwnd(), &screen);
        ShowContextPopup(control, screen);
        result = 0;
        return kConsumed;
      }
    }
  }
  return CTKMenuBar::OnHookMessage(hwnd, message, wParam, lParam, result);
}

// ---------------------------------------------------------------------------------------------
// Keys and keyboard tips

int CTKRibbonBar::OnHookKeyDown(UINT key, LPARAM data) {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (key == VK_MENU && CountTabs() > 0) {
    ClosePopups();
    SetTrackingMode(1, false, true);
    if (manager) manager->ShowKeyboardTips(this, 1);
    return kKeyHandled;
  }
  const wchar_t ch = static_cast<wchar_t>(::MapVirtualKeyW(key, 2) & 0xFFFF);
  if (ch && (!manager || !manager->AreKeyboardTipsShown())) {
    if (CTKRibbonTab* tab = TabByAccessKey(ch)) {
      ClosePopups();
      control_tab_->SelectItem(tab);
      SetTrackingMode(1, false, true);
      if (!minimized_ && manager) manager->ShowKeyboardTips(this, 2);
      return kKeyHandled;
    }
  }
  return CTKMenuBar::OnHookKeyDown(key, data);
}

bool CTKRibbonBar::CreateKeyboardTips(int level, std::vector<CTKCommandBarKeyboardTip*>* tips) {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager) return false;
  AppendTipWindows(manager, KeyTipsForLevel(level), tips);
  return true;
}

void CTKRibbonBar::AppendTipWindows(CTKCommandBarManager* manager, const std::vector<CKeyTip>& tips,
                                    std::vector<CTKCommandBarKeyboardTip*>* windows) {
  for (const CKeyTip& tip : tips) {
    auto* window = new CTKCommandBarKeyboardTip(manager, tip.control, nullptr, tip.text, tip.anchor, tip.style,
                                                tip.control ? tip.control->GetEnabled() : true);
    window->SetTipText(tip.text);
    window->SetData(reinterpret_cast<DWORD_PTR>(tip.tab));
    windows->push_back(window);
  }
}

bool CTKRibbonBar::ExecuteKeyboardTip(CTKCommandBarKeyboardTip* tip) {
  auto* tab = reinterpret_cast<CTKRibbonTab*>(tip->GetData());
  if (!tab || tip->GetControl() != control_tab_) return false;
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager) manager->HideKeyboardTips();
  control_tab_->SelectItem(tab);
  if (!minimized_ && manager) {
    SetTrackingMode(tracking_ ? tracking_ : 1, false, true);
    manager->ShowKeyboardTips(this, 2);
  } else if (manager) {
    // Minimized, the selection opened the tab's popup: its groups take the next tips.
    CTKCommandBar* popup = control_tab_->GetCommandBar();
    if (popup && control_tab_->GetPopuped() && popup->IsTrackingMode()) manager->ShowKeyboardTips(popup, 2);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CTKRibbonBar::PaintGroups(HDC dc, CTKRibbonTheme* theme, const CTKRibbonGroups& groups, const CTKRibbonGroup* hot,
                               int context_colour, const RECT& clip) {
  for (int g = 0; g < groups.Count(); ++g) {
    CTKRibbonGroup* group = groups.At(g);
    RECT meet;
    if (!group->CountsAsVisible() || !IntersectRect(&meet, &group->Rect(), &clip)) continue;
    if (theme) theme->PaintGroup(dc, group->Rect(), group == hot, context_colour != 0, group->IsCollapsed());
    group->Draw(dc, clip);
  }
}

void CTKRibbonBar::DrawCommandBar(CDC* dc, const CRect& clip) {
  CTKRibbonTheme* theme = RibbonTheme();
  const CRect client = GetClientRect();
  CTKRibbonTab* tab = CurrentTab();
  const bool groups_shown = tab && GroupsHeight() > 0;
  if (theme) {
    PaintCaptionBand(dc);
    // Only what meets the clip is drawn: a paint of the caption alone leaves the band be.
    RECT below_caption = client, meet;
    below_caption.top = caption_rect_.bottom;
    if (IntersectRect(&meet, &below_caption, &clip))
      theme->PaintRibbonBackground(dc->GetSafeHdc(), below_caption, groups_shown || quick_access_below_);
    if (groups_shown && IntersectRect(&meet, &GroupsRect(), &clip)) {
      theme->PaintGroupsBand(dc->GetSafeHdc(), GroupsRect(), tab->ContextColour());
      PaintGroups(dc->GetSafeHdc(), theme, tab->Groups(), hot_group_, tab->ContextColour(), clip);
    }
    for (int i = 0; i < context_headers_.Count(); ++i) {
      theme->PaintContextHeader(dc->GetSafeHdc(), context_headers_.At(i));
      theme->PaintContextHeaderText(dc->GetSafeHdc(), context_headers_.At(i), FrameBorder(), HasFrameCompanion(),
                                    frame_link_ && frame_link_->IsDesktopComposition());
    }
  } else {
    FillBackground(dc);
  }
  CTKPaintManager* pm = GetPaintManager();
  dc->SetBkMode(TRANSPARENT);
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    CRect meet;
    if (control->GetParent() != this || !control->IsVisible() || !meet.IntersectRect(control->GetRect(), clip)) continue;
    HGDIOBJ old = dc->SelectObject(pm->BarFontFor(this, false)->GetSafeHandle());
    control->Draw(dc);
    dc->SelectObject(old);
  }
}
