#include "toolkit/commandbars/command_bar.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/accelerator_search.h"
#include "toolkit/commandbars/accessible.h"
#include "toolkit/commandbars/bar_tooltips.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/resource_manager.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKCommandBar, CControlBar)

namespace {
thread_local CTKCommandBar* t_current_bar = nullptr;
const wchar_t kBarClass[] = L"TKCommandBar";

void RegisterBarClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kBarClass;
  ::RegisterClassW(&wc);
  registered = true;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Update requests

void CCommandBarCmdUI::Enable(bool on) {
  m_bEnableChanged = true;
  if (m_pControl) m_pControl->SetEnabled(on);
}

void CCommandBarCmdUI::SetCheck(int check) {
  if (m_pControl) m_pControl->SetChecked(check);
}

void CCommandBarCmdUI::SetText(const wchar_t* text) {
  if (m_pControl && text) m_pControl->SetCaption(text);
}

// ---------------------------------------------------------------------------------------------

CTKCommandBar::CTKCommandBar() : controls_(new CTKControls(this)) { m_dwStyle = CBRS_GRIPPER; }

CTKCommandBar::~CTKCommandBar() {
  if (GetSafeHwnd()) ::DestroyWindow(GetSafeHwnd());
  if (tracking_) SetTrackingMode(0, false, false);
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  mouse->RemoveTrackedBar(this);
  if (mouse->HotBar() == this) mouse->SetHotBar(nullptr);
  CTKKeyboardManager::ThreadInstance()->RemoveClient(this);
  CTKHookManager::Instance().RemoveClient(this);
  if (t_current_bar == this) t_current_bar = nullptr;
  if (controls_->GetParent() == this) controls_->RemoveAll();
  controls_->InternalRelease();
  if (paint_manager_) paint_manager_->Release();
}

void CTKCommandBar::OnFinalRelease() { delete this; }

bool CTKCommandBar::Create(HWND parent, DWORD style, const RECT& rect, UINT id) {
  RegisterBarClass();
  if (!parent) style = (style & ~WS_CHILD) | WS_POPUP;
  if (!CreateEx(0, kBarClass, title_.c_str(), style | WS_CLIPSIBLINGS, rect, parent, id)) return false;
  animation_.Attach(this);
  return true;
}

CTKCommandBarManager* CTKCommandBar::GetCommandBarManager() const {
  for (const CTKCommandBar* bar = this; bar; bar = bar->GetParentBar())
    if (bar->manager_) return bar->manager_;
  return nullptr;
}

void CTKCommandBar::SetCommandBarManager(CTKCommandBarManager* manager) { manager_ = manager; }

CTKCommandBar* CTKCommandBar::GetRootParent() {
  CTKCommandBar* bar = this;
  while (bar->GetParentBar()) bar = bar->GetParentBar();
  return bar;
}

HWND CTKCommandBar::GetSite() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && manager->GetSite()) return manager->GetSite();
  if (GetSafeHwnd()) {
    HWND owner = ::GetWindow(GetSafeHwnd(), GW_OWNER);
    if (owner) return owner;
    HWND parent = ::GetParent(GetSafeHwnd());
    if (parent) return parent;
  }
  return nullptr;
}

HWND CTKCommandBar::GetOwnerSite() const {
  for (const CTKCommandBar* bar = this; bar; bar = bar->GetParentBar())
    if (bar->GetSafeHwnd()) {
      HWND owner = ::GetWindow(bar->GetSafeHwnd(), GW_OWNER);
      if (owner) return owner;
    }
  return GetSite();
}

CTKPaintManager* CTKCommandBar::GetPaintManager() const {
  if (paint_manager_) return paint_manager_;
  if (CTKCommandBarManager* manager = GetCommandBarManager()) return manager->GetPaintManager();
  const CTKCommandBar* root = this;
  while (root->GetParentBar()) root = root->GetParentBar();
  if (root != this && root->paint_manager_) return root->paint_manager_;
  return GlobalPaintManager();
}

void CTKCommandBar::SetPaintManager(CTKPaintManager* manager) {
  if (manager) manager->AddRef();
  if (paint_manager_) paint_manager_->Release();
  paint_manager_ = manager;
}

CTKImageManager* CTKCommandBar::GetImageManager() const {
  if (image_manager_) return image_manager_;
  if (CTKCommandBarManager* manager = GetCommandBarManager()) return manager->GetImageManager();
  return &CTKImageManager::Instance();
}

bool CTKCommandBar::IsRightToLeft() const {
  return GetSafeHwnd() && (::GetWindowLongPtrW(GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

bool CTKCommandBar::IsCustomizeMode() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  return manager && manager->IsCustomizeMode();
}

bool CTKCommandBar::IsKeyboardCuesVisible() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  return manager ? manager->IsKeyboardCuesShown() : true;
}

CSize CTKCommandBar::GetIconSize() const {
  if (icon_size_.cx > 0) return icon_size_;
  return CSize(16, 16);
}

CSize CTKCommandBar::GetButtonSize() const {
  if (button_size_.cx > 0) return button_size_;
  CSize icon = GetIconSize();
  return CSize(icon.cx + 6, icon.cy + 6);
}

CRect CTKCommandBar::GetBorders() const { return GetPaintManager()->BarBorderInsets(const_cast<CTKCommandBar*>(this)); }

CSize CTKCommandBar::LayoutControls(int length, DWORD flags, bool* wrapped) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CRect borders = GetBorders();
  CSize gripper = GetPaintManager()->PaintBarGripper(&dc, this, false);
  borders.left += gripper.cx;
  borders.top += gripper.cy;
  return controls_->CalcLayout(&dc, length, flags, borders, 0, wrapped);
}

// ---------------------------------------------------------------------------------------------
// Hot control, popups and tracking

bool CTKCommandBar::SetHotControl(int index, int how) {
  if (index == hot_) return false;
  tracking_callback_ = how != 0;
  if (!GetSafeHwnd()) return false;
  CTKControl* old = GetControl(hot_);
  if (old) {
    old->SetSelected(0);
    OnHotControlNotice(false, old);
  }
  hot_ = index;
  if (index == -1) {
    TKKillTimer(GetSafeHwnd(), kHoverTimer);
    return true;
  }
  CTKControl* control = GetControl(index);
  if (!control) {
    hot_ = -1;
    return false;
  }
  control->SetSelected(how > 1 ? how : (how == 1 ? 2 : 1));
  if (tracking_)
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, GetSafeHwnd(), OBJID_MENU, index + 1);
  t_current_bar = this;
  OnHotControlNotice(true, control);
  if (how == kHotMouse) {
    CTKMouseManager::ThreadInstance()->SetHotBar(this);
    if (hover_delay_) TKSetTimer(GetSafeHwnd(), kHoverTimer, kHoverDelay);
  }
  return true;
}

void CTKCommandBar::OnHotControlNotice(bool selected, CTKControl* control) {
  HWND site = GetSite();
  if (site) ::SendMessageW(site, kMsgHotControlChanged, reinterpret_cast<WPARAM>(selected ? control : nullptr), 0);
  TKShowControlPrompt(this, selected ? control : nullptr);
  if (!selected || !control) return;
  if (CTKCommandBarManager* manager = GetCommandBarManager()) {
    int help = control->GetHelpId();
    if (!help && control->GetAction()) help = control->GetAction()->GetHelpId();
    if (!help) help = control->GetID();
    manager->SetLastHelpId(help);
  }
  last_notice_ = control;
}

bool CTKCommandBar::SetPopupOpen(int index, bool byKeyboard) {
  if (index == expanded_) return false;
  if (CTKControl* open = GetControl(expanded_)) open->OnSetPopup(false);
  expanded_ = -1;
  if (index == -1) return true;
  CTKControl* control = GetControl(index);
  if (!control || !control->GetEnabled()) return false;
  SetTrackingMode(2, false, byKeyboard);
  // Marked expanded before it becomes hot, so that its selection does not open it twice.
  expanded_ = index;
  SetHotControl(index, byKeyboard ? kHotKeyForward : kHotMouse);
  if (!control->OnSetPopup(true)) {
    expanded_ = -1;
    return false;
  }
  return true;
}

bool CTKCommandBar::SetTrackingMode(int mode, bool selectFirst, bool keyboard) {
  if ((mode != 0) == (tracking_ != 0)) {
    tracking_ = mode;
    return false;
  }
  HWND hwnd = GetSafeHwnd();
  if (mode) {
    tracking_ = mode;
    if (type_ == kMenuBar && GetSite()) ::SendMessageW(GetSite(), kMsgTrackingStarted, reinterpret_cast<WPARAM>(this), 0);
    keyboard_entered_ = !selectFirst && !keyboard;
    tracking_callback_ = keyboard;
    if (hide_caret_) {
      caret_window_ = ::GetFocus();
      if (!caret_window_) caret_window_ = GetSite();
      if (caret_window_) ::HideCaret(caret_window_);
    }
    CTKMouseManager::ThreadInstance()->AddTrackedBar(this);
    CTKKeyboardManager::ThreadInstance()->AddClient(this);
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    if (selectFirst) SetHotControl(controls_->GetNext(-1, 1), kHotKeyForward);
  } else {
    tracking_ = 0;
    keyboard_entered_ = false;
    tracking_callback_ = false;
    CTKMouseManager::ThreadInstance()->RemoveTrackedBar(this);
    CTKKeyboardManager::ThreadInstance()->RemoveClient(this);
    SetPopupOpen(-1, false);
    if (selectFirst) SetHotControl(-1, kHotProgram);
    if (caret_window_) {
      ::ShowCaret(caret_window_);
      caret_window_ = nullptr;
    }
    OnRecalcLayout();
    if (hwnd) ::InvalidateRect(hwnd, nullptr, FALSE);
  }
  OnTrackingModeChanged();
  if (CTKCommandBarManager* manager = GetCommandBarManager()) manager->OnTrackingModeChanged(this, mode != 0);
  return true;
}

int CTKCommandBar::HitTestScreenPoint(POINT pt) const { return PointInBar(pt) ? 1 : -2; }

bool CTKCommandBar::PointInBar(POINT screen) const {
  if (!GetSafeHwnd() || !::IsWindowVisible(GetSafeHwnd())) return false;
  RECT rc;
  ::GetWindowRect(GetSafeHwnd(), &rc);
  return ::PtInRect(&rc, screen) != FALSE;
}

void CTKCommandBar::TrackHotAt(POINT client) {
  CTKControl* control = controls_->HitTest(client);
  if (control && control->GetIndex() != hot_) SetHotControl(control->GetIndex(), kHotMouse);
}

void CTKCommandBar::ResetState() {
  pending_ |= 1;
  hot_ = -1;
  expanded_ = -1;
}

void CTKCommandBar::Copy(const CTKCommandBar* source, bool deep) {
  CopyBarKeys(source);
  if (controls_->GetParent() == this) controls_->RemoveAll();
  controls_->InternalRelease();
  if (deep) {
    controls_ = source->controls_->Duplicate();
  } else {
    controls_ = source->controls_;
    controls_->InternalAddRef();
  }
  controls_->SetParent(this);
}

void CTKCommandBar::CopyBarKeys(const CTKCommandBar* source) {
  type_ = source->type_;
  position_ = source->position_;
  bar_id_ = source->bar_id_;
  flags_ = source->flags_;
  m_dwStyle = source->m_dwStyle;
  title_ = source->title_;
  icon_size_ = source->icon_size_;
  button_size_ = source->button_size_;
  text_below_icons_ = source->text_below_icons_;
  default_button_style_ = source->default_button_style_;
  customizable_ = source->customizable_;
  manager_ = source->manager_;
}

// ---------------------------------------------------------------------------------------------
// Menus and tool-bar resources

bool CTKCommandBar::LoadMenu(HMENU menu, bool removeAll) {
  if (!menu || !::IsMenu(menu)) return false;
  if (removeAll) controls_->RemoveAll();
  bool beginGroup = false;
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    if (!::GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) || (info.wID == 0 && !info.hSubMenu)) {
      beginGroup = true;
      continue;
    }
    CTKControl* control = controls_->AddMenuItem(menu, i);
    if (!control) continue;
    if (beginGroup) control->SetBeginGroup(true);
    beginGroup = false;
    if (info.fType & (MFT_RADIOCHECK | 0x60)) {
      control->SetStyle(control->GetStyle() | 0x80);
      if (info.fType & 0x20) control->SetBeginGroup(true);
    }
    if (!control->GetAction()) {
      if (info.fState & MFS_CHECKED) control->SetChecked(1);
      if (info.fState & MFS_DISABLED) control->SetEnabled(false);
    }
  }
  return true;
}

bool CTKCommandBar::LoadToolBar(UINT id, bool loadImages) {
  // The resource is read and its images loaded before the bar's controls are touched: a damaged
  // resource or a missing bitmap leaves the bar as it was.
  HMODULE module = ::GetModuleHandleW(nullptr);
  CTKToolBarResource toolbar;
  if (!ReadToolBarResourceOf(module, id, &toolbar)) return false;
  std::vector<UINT> ids;
  for (UINT cmd : toolbar.commands) {
    if (cmd != 0) ids.push_back(cmd);
  }
  if (loadImages) {
    if (!GetImageManager()->SetIconsFromBitmapId(module, MAKEINTRESOURCEW(id), ids.data(), static_cast<int>(ids.size()),
                                                 CSize(toolbar.width, toolbar.height), 0))
      return false;
    if (toolbar.width != 16) icon_size_ = CSize(toolbar.width, toolbar.height);
  }
  controls_->RemoveAll();
  bool group = false;
  for (UINT cmd : toolbar.commands) {
    if (cmd == 0) {
      group = true;
      continue;
    }
    CTKControl* control = controls_->Add(kButton, static_cast<int>(cmd));
    if (control && group) control->SetBeginGroup(true);
    group = false;
  }
  bar_id_ = id;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Keys

int CTKCommandBar::OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (hwnd == nullptr && message == WM_KEYDOWN) {
    int answer = OnHookKeyDown(static_cast<UINT>(wParam), lParam);
    return answer == kKeyPassOn ? kStop : (answer == kKeyHandled ? kConsumed : kGoOn);
  }
  return kGoOn;
}

int CTKCommandBar::FindAccelerator(UINT key, bool* ambiguous) const {
  *ambiguous = false;
  const int count = GetControlCount();
  if (count == 0) return -1;
  CTKAcceleratorSearch search(key);
  const int start = hot_ < 0 ? -1 : hot_;
  for (int n = 1; n <= count; ++n) search.Offer(GetControl((start + n) % count), true);
  CTKControl* found = search.GetFound();
  if (!found) return -1;
  *ambiguous = search.IsAmbiguous();
  return found->GetIndex();
}

int CTKCommandBar::OnHookKeyDown(UINT key, LPARAM data) {
  if (IsCustomizeMode()) return kKeyPassOn;
  if (ignore_input_ > 0) return kKeyHandled;
  HWND site = GetSite();
  if (site) {
    struct { UINT key; LPARAM data; } record{key, data};
    ::SendMessageW(site, kMsgKeyReached, reinterpret_cast<WPARAM>(&record), reinterpret_cast<LPARAM>(this));
  }
  CTKControl* hot = GetHotControl();
  if (hot && hot->WantsKeysWhileHot() && hot->OnHookKeyDown(key)) return kKeyHandled;
  if (!GetSafeHwnd()) return kKeyHandled;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_TAB:
      OnNavigate(shift ? kNavPrev : kNavNext);
      return kKeyHandled;
    case VK_RETURN:
      OnNavigate(kNavExecute);
      return kKeyHandled;
    case VK_ESCAPE:
      OnNavigate(kNavCancel);
      return kKeyHandled;
    case VK_SPACE:
      if (type_ == kMenuBar) {
        CTKMouseManager::ThreadInstance()->CloseTrackedBars();
        if (site) ::PostMessageW(site, WM_SYSCOMMAND, SC_KEYMENU, L' ');
        return kKeyHandled;
      }
      break;
    default:
      break;
  }
  HWND focus = ::GetFocus();
  if (focus && ::IsChild(GetSafeHwnd(), focus)) return kKeyPassOn;
  const bool horizontal = position_ == kTop || position_ == kBottom || position_ == kFloating ||
                          (type_ == kPopupBar && !IsVertical() && position_ != kPopup) || position_ == kUnplaced;
  const bool rtl = IsRightToLeft();
  int code = -1;
  switch (key) {
    case VK_LEFT:
      code = horizontal ? (rtl ? kNavNext : kNavPrev) : (rtl ? kNavExpand : kNavCollapse);
      break;
    case VK_RIGHT:
      code = horizontal ? (rtl ? kNavPrev : kNavNext) : (rtl ? kNavCollapse : kNavExpand);
      break;
    case VK_UP:
      code = horizontal ? kNavCollapse : kNavPrev;
      break;
    case VK_DOWN:
      code = horizontal ? kNavExpand : kNavNext;
      break;
    case VK_HOME:
      code = kNavFirst;
      break;
    case VK_END:
      code = kNavLast;
      break;
    default:
      break;
  }
  if (code >= 0) {
    OnNavigate(code);
    return kKeyHandled;
  }
  UINT ch = ::MapVirtualKeyW(key, 2);
  if (ch == 0) return kKeyHandled;
  // While keyboard tips show, letters pick tips.
  if (CTKCommandBarManager* manager = GetCommandBarManager())
    if (manager->AreKeyboardTipsShown()) {
      manager->FilterKeyboardTips(static_cast<wchar_t>(ch & 0xFFFF));
      return kKeyHandled;
    }
  if (::GetKeyState(VK_CONTROL) >= 0) {
    bool ambiguous = false;
    int found = FindAccelerator(key, &ambiguous);
    if (found >= 0) {
      SetHotControl(found, kHotKeyForward);
      if (!ambiguous) {
        if (CTKControl* control = GetControl(found)) control->OnUnderlineActivate();
      }
      return kKeyHandled;
    }
  }
  if (key != VK_SHIFT && key != VK_CONTROL) ::MessageBeep(0);
  return kKeyHandled;
}

bool CTKCommandBar::OnRowNavigate(int code) {
  CTKControl* hot = GetHotControl();
  if (!hot) return SetHotControl(controls_->GetNext(-1, 1), kHotKeyForward);
  if (hot->GetType() >= kPopupControl && hot->GetType() <= kSplitButtonPopup && !hot->GetEnabled()) return false;
  const int step = code == kNavExpand ? 1 : -1;
  const CRect hotRect = hot->GetRect();
  int i = hot_;
  int rowTop = -1;
  int best = -1, firstOfRow = -1;
  for (;;) {
    i = controls_->GetNext(i, step);
    if (i < 0 || i == hot_) return false;
    const CRect rc = GetControl(i)->GetRect();
    if (rc.IsRectEmpty()) continue;
    if (rowTop == -1) {
      if (rc.top == hotRect.top) continue;
      rowTop = rc.top;
    } else if (rc.top != rowTop) {
      break;
    }
    if (firstOfRow < 0 || rc.left < GetControl(firstOfRow)->GetRect().left) firstOfRow = i;
    if (rc.left <= hotRect.left && (best < 0 || rc.left > GetControl(best)->GetRect().left)) best = i;
  }
  int found = best >= 0 ? best : firstOfRow;
  if (found < 0) return false;
  return SetHotControl(found, code == kNavExpand ? kHotKeyForward : kHotKeyBackward);
}

bool CTKCommandBar::OnNavigate(int code) {
  const bool popupToolBar = type_ == kPopupBar && GetControlCount() && false;
  if (code == kNavCollapse && expanded_ == -1 && hot_ != -1 && (popupToolBar || !GetParentBar())) {
    CTKControl* hot = GetHotControl();
    if (hot->GetType() >= kPopupControl && hot->GetType() <= kSplitButtonPopup && hot->GetEnabled() && hot->GetCommandBar())
      code = kNavExpand;
  }
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && (code == kNavNext || code == kNavPrev)) manager->HideKeyboardTips();
  if (manager && code == kNavCancel && manager->KeyboardTipsBack()) return true;
  if ((code == kNavCollapse || code == kNavExpand) && expanded_ == -1 && position_ == kFloating)
    return OnRowNavigate(code);
  switch (code) {
    case kNavNext:
      return SetHotControl(controls_->GetNext(hot_, 1), kHotKeyForward);
    case kNavPrev:
      return SetHotControl(controls_->GetNext(hot_, -1), kHotKeyBackward);
    case kNavCollapse:
      if (expanded_ == -1) return false;
      SetPopupOpen(-1, true);
      return true;
    case kNavExpand: {
      CTKControl* hot = GetHotControl();
      if (!hot || hot_ == expanded_) return false;
      hot->SetSelected(2);
      return SetPopupOpen(hot_, true);
    }
    case kNavCancel: {
      CTKCommandBar* parent = GetParentBar();
      if (parent) parent->SetTrackingMode(2, false, true);
      SetTrackingMode(0, true, false);
      return true;
    }
    case kNavExecute: {
      CTKControl* hot = GetHotControl();
      if (!hot) return false;
      hot->SetSelected(2);
      hot->OnExecuteByKeyboard();
      return true;
    }
    case kNavFirst:
      return SetHotControl(controls_->GetNext(-1, 1), kHotKeyForward);
    case kNavLast:
      return SetHotControl(controls_->GetNext(-1, -1), kHotKeyBackward);
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Drawing, idle update and window messages

void CTKCommandBar::FillBackground(CDC* dc) { GetPaintManager()->PaintBarBackground(dc, this); }

void CTKCommandBar::PaintFaceAndBar(CDC* dc, const CRect& clip) {
  CRect client = GetClientRect();
  dc->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
  DrawCommandBar(dc, clip);
}

void CTKCommandBar::DrawCommandBar(CDC* dc, const CRect& clip) {
  CTKPaintManager* pm = GetPaintManager();
  FillBackground(dc);
  if (IsGripperVisible() || position_ == kFloating) pm->PaintBarGripper(dc, this, true);
  dc->SetBkMode(TRANSPARENT);
  bool first = true;
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->GetParent() != this || !control->IsVisible()) continue;
    if (control->GetBeginGroup() && !first) pm->PaintGroupSeparator(dc, control, this, true);
    first = false;
    CRect meet;
    if (meet.IntersectRect(control->GetRect(), clip)) {
      KestrinWinNS::CSelectObject font(*dc, pm->BarFontFor(this, false)->GetSafeHandle());
      control->Draw(dc);
    }
  }
  // The control selected for customizing: a double black frame.
  CTKCommandBarManager* manager = GetCommandBarManager();
  CTKControl* selected = manager && manager->IsCustomizeMode() ? manager->GetCustomizeSelection() : nullptr;
  if (selected && selected->GetParent() == this && selected->IsVisible()) {
    CRect frame = selected->GetRect();
    const HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    for (int ring = 0; ring < 2; ++ring, frame.DeflateRect(1, 1)) ::FrameRect(*dc, &frame, black);
  }
  DrawDropMarker(dc);
}

void CTKCommandBar::UpdateShortcuts() {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager || !manager->GetOptions().shortcuts_from_table) return;
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->IsVisible() && control->GetID() != 0) control->SetShortcutText(manager->GetShortcutText(control->GetID()));
  }
}

void CTKCommandBar::OnIdleUpdate() {
  if (!GetSafeHwnd() || !::IsWindowVisible(GetSafeHwnd())) return;
  HWND site = GetOwnerSite();
  UpdateControls(site ? CWnd::FromHandlePermanent(site) : nullptr, false);
}

void CTKCommandBar::OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) {
  if (!GetSafeHwnd() || !::IsWindowVisible(GetSafeHwnd())) return;
  // A bar whose manager names a site of its own asks that site; else the frame's route.
  CCmdTarget* route = target;
  if (CTKCommandBarManager* manager = GetCommandBarManager())
    if (manager->GetSite())
      if (CWnd* site = CWnd::FromHandlePermanent(manager->GetSite())) route = site;
  UpdateControls(route, disable_if_no_handler);
}

void CTKCommandBar::UpdateControls(CCmdTarget* target, bool disable_if_no_handler) {
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (!control->IsVisible() || control->GetID() == 0) continue;
    CCommandBarCmdUI ui;
    ui.m_pControl = control;
    ui.m_nID = static_cast<UINT>(control->GetID());
    ui.m_nIndex = static_cast<UINT>(i);
    if (target) ui.DoUpdate(target, disable_if_no_handler);
  }
  if (pending_ & 2) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  if (pending_ & 1) {
    CalcSize(GetClientRect().Width(), 0);
    ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
    // A docked bar's new size is the frame's to place: its layout runs at this idle.
    if (m_pDockSite && (m_dwStyle & CBRS_ALIGN_ANY) && !IsFloating()) m_pDockSite->DelayRecalcLayout();
  }
  pending_ = 0;
}

// ---------------------------------------------------------------------------------------------
// The frame's layout

void CTKCommandBar::SetBarStyle(DWORD style) {
  CControlBar::SetBarStyle(style);
  if (style & CBRS_FLOATING)
    position_ = kFloating;
  else if (style & CBRS_ALIGN_TOP)
    position_ = kTop;
  else if (style & CBRS_ALIGN_BOTTOM)
    position_ = kBottom;
  else if (style & CBRS_ALIGN_LEFT)
    position_ = kLeft;
  else if (style & CBRS_ALIGN_RIGHT)
    position_ = kRight;
}

CSize CTKCommandBar::CalcFixedLayout(bool stretch, bool horizontal) {
  // The length of the side the bar docks on: its parent's client area across the bar.
  int length = 32767;
  if (HWND parent = GetSafeHwnd() ? ::GetParent(GetSafeHwnd()) : nullptr) {
    RECT rc;
    ::GetClientRect(parent, &rc);
    length = horizontal ? rc.right - rc.left : rc.bottom - rc.top;
  }
  DWORD mode = LM_COMMIT | (horizontal ? LM_HORZ | LM_HORZDOCK : LM_VERTDOCK | LM_LENGTHY);
  if (stretch) mode |= LM_STRETCH;
  CSize size = CalcDynamicLayout(length, mode);
  // A stretched bar takes the whole side; the layout pass cuts it to the free length.
  if (stretch) {
    if (horizontal)
      size.cx = 32767;
    else
      size.cy = 32767;
  }
  if (mode & LM_COMMIT) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  return size;
}

CSize CTKCommandBar::CalcDynamicLayout(int length, DWORD mode) {
  DWORD flags = 0;
  if (!(mode & LM_HORZ)) flags |= CTKControls::kLayoutVertical;
  if (mode & LM_STRETCH) flags |= CTKControls::kLayoutStretch;
  if (mode & LM_MRUWIDTH) flags |= CTKControls::kLayoutRememberedWidth;
  if (mode & LM_COMMIT) flags |= CTKControls::kLayoutCommit;
  return CalcSize(length, flags);
}

// ---------------------------------------------------------------------------------------------
// Docking

CTKDockContext* CTKCommandBar::EnableDockContext() {
  if (!dock_context_) dock_context_.reset(new CTKDockContext(this));
  return dock_context_.get();
}

CSize CTKCommandBar::CalcDockedSize(int length, DWORD layout) {
  DWORD mode = layout & (LM_STRETCH | LM_COMMIT);
  if (layout & LM_VERTDOCK)
    mode |= LM_VERTDOCK | LM_LENGTHY;
  else
    mode |= LM_HORZ | LM_HORZDOCK;
  // A bar that may not wrap keeps its controls in one row, whatever the side's length.
  if (!(layout & (kLayoutWrapAllowed | LM_STRETCH))) length = 32767;
  return CalcDynamicLayout(std::max(length, 1), mode);
}

CSize CTKCommandBar::CalcFloatingSize(int length, DWORD layout) {
  if (length < 0) length = width_;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  // The caption lies above the controls, inside a 3-pixel border.
  CRect borders(3, 3, 3, 3);
  const int caption = position_ == kFloating ? GetPaintManager()->PaintBarGripper(&dc, this, false).cy : 0;
  if (caption > 0) borders.top = caption + 1;
  DWORD flags = (layout & LM_COMMIT) ? CTKControls::kLayoutCommit : 0;
  if (!(layout & LM_LENGTHY)) return controls_->CalcLayout(&dc, std::max(length, 1), flags, borders, 0);
  // A height: the narrowest width whose rows fit in it (one row when none does).
  const int height = length;
  int low = 1, high = std::max<int>(controls_->CalcLayout(&dc, 32767, 0, borders, 0).cx, 1);
  while (low < high) {
    const int mid = (low + high) / 2;
    if (controls_->CalcLayout(&dc, mid, 0, borders, 0).cy <= height)
      high = mid;
    else
      low = mid + 1;
  }
  return controls_->CalcLayout(&dc, low, flags, borders, 0);
}

void CTKCommandBar::Relayout() {
  if (!GetSafeHwnd()) return;
  if (position_ == kFloating) {
    CSize size = CalcFloatingSize(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    TKRecalcSiteLayout(GetSafeHwnd());
  }
  ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

bool CTKCommandBar::SizeTo(const CRect& screen, int edge) {
  HWND hwnd = GetSafeHwnd();
  if (!hwnd) return false;
  CRect rc = screen;
  if (HWND parent = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd) : nullptr)
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  ::SetWindowPos(hwnd, nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  OnRecalcLayout();
  return true;
}

void CTKCommandBar::OnPaint() {
  KestrinWinNS::CScopedPaintDC paint(GetSafeHwnd());
  const RECT& dirty = paint.Paint().rcPaint;
  if (animation_.GetWindow() && animation_.IsAnimationOn()) {
    animation_.PaintFromSnapshot(paint.Get(), dirty);
    return;
  }
  CRect client = GetClientRect();
  // The buffer is copied to the window when it goes, which is before the paint DC does.
  CTKBufferDC buffer(paint.Get(), client);
  PaintFaceAndBar(&buffer, CRect(dirty));
}

void CTKCommandBar::OnTimer(UINT_PTR id) {
  if (ignore_input_ > 0) return;
  if (id == kHoverTimer) {
    TKKillTimer(GetSafeHwnd(), kHoverTimer);
    if (CTKControl* hot = GetHotControl()) hot->OnMouseHover();
  } else if (id == kExpandTimer) {
    TKKillTimer(GetSafeHwnd(), kExpandTimer);
  }
}

void CTKCommandBar::OnLButtonDown(CPoint pt) {
  CTKControl* control = controls_->HitTest(pt);
  if (!control) return;
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (IsCustomizeMode()) {
    if (!control->IsCustomizeMode()) return;
    // The press selects the control for customizing; its press starts the customize drag.
    if (manager) manager->SetCustomizeSelection(control);
  } else if (type_ == kToolBar && manager && manager->GetOptions().quick_customize && IsCustomizable() &&
             ::GetKeyState(VK_MENU) < 0) {
    // Alt held: the control is dragged at once, in customize mode for the drag alone.
    AddRef();
    manager->SetCustomizeMode(true);
    manager->ClosePopups();
    SetPopupOpen(-1, false);
    SetHotControl(-1, kHotProgram);
    StartCustomizeDrag(control, pt);
    manager->SetCustomizeMode(false);
    Relayout();
    manager->ClosePopups();
    Release();
    return;
  }
  control->OnClick(false, pt);
}

void CTKCommandBar::OnLButtonUp(CPoint pt) {
  if (CTKControl* control = controls_->HitTest(pt)) control->OnLButtonUp(pt);
}

void CTKCommandBar::OnRButtonUp(CPoint pt) {
  CTKControl* control = controls_->HitTest(pt);
  HWND site = GetSite();
  if (site && ::SendMessageW(site, kMsgRightButtonUp, MAKEWPARAM(pt.x, pt.y), reinterpret_cast<LPARAM>(control)) == 1)
    return;
  if (control) control->OnRButtonUp(pt);
}

void CTKCommandBar::OnMouseMove(CPoint pt) {
  CTKControl* control = controls_->HitTest(pt);
  if (CTKControl* hot = GetHotControl()) hot->OnMouseMove(pt);
  int index = control ? control->GetIndex() : -1;
  if (index != hot_ && !(index == -1 && tracking_)) SetHotControl(index, kHotMouse);
  CTKMouseManager::ThreadInstance()->TrackMouseLeave(GetSafeHwnd());
}

void CTKCommandBar::OnMouseLeave() {
  if (!tracking_) SetHotControl(-1, kHotMouse);
}

void CTKCommandBar::OnBarDestroy() {
  if (drop_registry_) drop_registry_->UnregisterDropTarget(this);
  drop_registry_ = nullptr;
  drop_marker_.SetRectEmpty();
  if (tracking_) SetTrackingMode(0, false, false);
  if (dock_bar_) dock_bar_->Remove(this);
  CTKHookManager::Instance().RemoveClient(this);
}

LRESULT CTKCommandBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
  if ((message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK) || (message >= WM_KEYFIRST && message <= WM_KEYLAST))
    CTKToolTipContext::ThreadInstance().FilterBarMessage(this, GetSafeHwnd(), message, wparam, lparam, true);
  switch (message) {
    case WM_CREATE:
      // A control dragged in customize mode may be dropped on the bar (not on a bar whose position
      // word is 6, which takes no drops).
      if (position_ != 6) {
        if (CTKCommandBarManager* manager = GetCommandBarManager()) {
          manager->RegisterDropTarget(this);
          drop_registry_ = manager;
        }
      }
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      OnLButtonDown(pt);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (CTKControl* control = controls_->HitTest(pt)) control->OnLButtonDblClk(pt);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(pt);
      return 0;
    case WM_RBUTTONUP:
      OnRButtonUp(pt);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(pt);
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case WM_TIMER:
      if (animation_.OnTimer(static_cast<UINT_PTR>(wparam))) return 0;
      OnTimer(static_cast<UINT_PTR>(wparam));
      return 0;
    case WM_CAPTURECHANGED:
      // Wakes a press loop waiting for its next message: it ends when the capture is gone.
      ::PostMessageW(GetSafeHwnd(), WM_NULL, 0, 0);
      break;
    case WM_DESTROY:
      animation_.OnDestroy();
      OnBarDestroy();
      break;
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      if (CTKCommandBarAccessible::AnswerGetObject(this, wparam, lparam, &answer)) return answer;
      break;
    }
    default:
      break;
  }
  return CControlBar::WindowProc(message, wparam, lparam);
}
