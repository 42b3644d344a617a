#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>
#include <vector>

#include "platform/appframe/dc.h"
#include "platform/appframe/frame_messages.h"
#include "platform/appframe/frame_wnd.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/resource_manager.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKToolBar, CTKCommandBar)

namespace {
const wchar_t kToolBarClass[] = L"TKToolBar";

// Bar Flags bits: overflow hides behind the expand button (else rows wrap); the bar stretches
// over its side.
const DWORD kBarHidesOverflow = 0x20;
const DWORD kBarStretches = 0x40;

// Posted by a floating bar to itself when its frame is deactivated: the bar hides when the
// frame has not become active again by then.
const UINT kMsgHideIfInactive = WM_APP + 1;

// The system's dialog window class.
const ULONG_PTR kDialogClassAtom = 0x8002;

// The focus lies in one of the framework's frame windows (a main or MDI frame, a child frame,
// a mini frame): the frame itself or a window inside it. A click on a bar then leaves the
// activation, and with it the focus, where it is: a view the bar sits in would otherwise take
// the focus as it hears of the click.
bool IsFocusInFrame() {
  HWND focus = ::GetFocus();
  if (!focus) return false;
  CWnd* wnd = CWnd::FromHandlePermanent(focus);
  if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return true;
  return CFrameWnd::GetParentFrameOf(focus) != nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The expand and hide buttons

CTKToolBar::CControlButtonExpand::CControlButtonExpand() {
  id_ = kExpandButtonId;
  type_ = kButtonPopup;
  flags_ = 28;
}

void CTKToolBar::CControlButtonExpand::SetRect(const CRect& rc) {
  CTKControl::SetRect(rc);
  hidden_ = false;
  if (!parent_) return;
  for (int i = 0; i < parent_->GetControlCount(); ++i)
    if (parent_->GetControl(i)->GetHideFlags() & kHideWrap) hidden_ = true;
}

bool CTKToolBar::CControlButtonExpand::OnSetPopup(bool open) {
  if (open && parent_) {
    CTKToolBar* bar = dynamic_cast<CTKToolBar*>(parent_);
    CTKPopupBar* popup = nullptr;
    if (HWND site = parent_->GetSite()) {
      struct { int kind; const wchar_t* caption; int id; CTKCommandBar* bar; } request{1, L"", id_, nullptr};
      ::SendMessageW(site, kMsgPopupBarRequest, 0, reinterpret_cast<LPARAM>(&request));
      popup = dynamic_cast<CTKPopupBar*>(request.bar);
      if (popup) popup->AddRef();
    }
    if (!popup) {
      popup = new CTKPopupToolBar;
      popup->SetCommandBarManager(parent_->GetCommandBarManager());
    }
    if (bar) bar->FillExpandPopup(popup);
    SetCommandBar(popup);
    popup->Release();
  }
  return CTKControlPopup::OnSetPopup(open);
}

void CTKToolBar::CControlButtonExpand::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(this);
  state.popped = GetPopuped();
  pm->PaintSpecialButton(dc, rect_, parent_ && parent_->GetPosition() == kFloating ? 3 : 0, state, hidden_);
}

CTKToolBar::CControlButtonHide::CControlButtonHide() {
  id_ = kHideButtonId;
  type_ = kButton;
  flags_ = 26;
}

void CTKToolBar::CControlButtonHide::OnExecute() {
  if (CTKToolBar* bar = dynamic_cast<CTKToolBar*>(parent_)) bar->SetVisible(false);
}

void CTKToolBar::CControlButtonHide::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  pm->PaintSpecialButton(dc, rect_, 2, pm->StateOf(this), false);
}

// ---------------------------------------------------------------------------------------------

CTKToolBar::CTKToolBar() {
  type_ = kToolBar;
  flags_ = 63;
  CTKDrawHelpers::RegisterDefProcClass(kToolBarClass, CS_DBLCLKS, nullptr);
}

CTKToolBar::~CTKToolBar() = default;

bool CTKToolBar::CreateToolBar(HWND site, bool floating) {
  HWND hwnd = GetSafeHwnd();
  if (!hwnd) {
    CTKCommandBarManager* manager = GetCommandBarManager();
    DWORD ex = (manager && manager->GetOptions().right_to_left) ? WS_EX_LAYOUTRTL : 0;
    const DWORD style = floating ? 0x86000100 : 0x46000100;
    CRect rect(0, 0, floating_size_.cx, floating_size_.cy);
    // A popup window takes no child id.
    if (!CreateEx(ex, kToolBarClass, title_.c_str(), style & ~WS_VISIBLE, rect, site, floating ? 0 : bar_id_)) return false;
    hwnd = GetSafeHwnd();
    ::ShowWindow(hwnd, visible_ ? SW_SHOWNA : SW_HIDE);
  }
  LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (floating) {
    ::ShowWindow(hwnd, SW_HIDE);
    ::SetParent(hwnd, nullptr);
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, (style | 0x80000100) & ~WS_CHILD);
    ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(site));
    position_ = kFloating;
  } else {
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, (style | WS_CHILD) & ~WS_POPUP);
    ::SetParent(hwnd, site);
    if (position_ == kFloating) position_ = kTop;
  }
  if (visible_) ::ShowWindow(hwnd, SW_SHOWNA);
  return true;
}

bool CTKToolBar::IsBarVisible() const {
  HWND hwnd = GetSafeHwnd();
  if (!hwnd || !visible_ || !::IsWindowVisible(hwnd)) return false;
  RECT rc;
  ::GetClientRect(hwnd, &rc);
  return !::IsRectEmpty(&rc);
}

void CTKToolBar::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible && tracking_) SetTrackingMode(0, true, false);
  visible_ = visible;
  if (HWND hwnd = GetSafeHwnd()) ::ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  OnRecalcLayout();
  if (HWND site = GetSite())
    ::SendMessageW(site, kMsgToolBarVisibility, reinterpret_cast<WPARAM>(this), visible ? 1 : 0);
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager) {
    manager->GetOptions().changed = true;
    if (!visible && temporary_) manager->RemoveToolBar(this);
  }
}

// ---------------------------------------------------------------------------------------------
// Sizes

CSize CTKToolBar::GetIconSize() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (icon_size_.cx > 0) return icon_size_;
  if (!manager) return CSize(16, 16);
  const CTKCommandBarOptions& options = manager->GetOptions();
  CSize size = options.toolbar_icon_size.cx > 0 ? options.toolbar_icon_size : CSize(16, 16);
  if (options.large_icons && button_size_.cx <= 0)
    size = options.large_icon_size.cx > 0 ? options.large_icon_size : CSize(size.cx * 2, size.cy * 2);
  return size;
}

CSize CTKToolBar::GetLargeIconSize() const {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager) return icon_size_.cx > 0 ? CSize(icon_size_.cx * 2, icon_size_.cy * 2) : CSize(32, 32);
  const CTKCommandBarOptions& options = manager->GetOptions();
  if (options.large_icon_size.cx > 0) return options.large_icon_size;
  CSize size = icon_size_.cx > 0 ? icon_size_ : (options.toolbar_icon_size.cx > 0 ? options.toolbar_icon_size : CSize(16, 16));
  return CSize(size.cx * 2, size.cy * 2);
}

CSize CTKToolBar::GetButtonSize() const {
  if (button_size_.cx > 0) return button_size_;
  CSize icon = GetIconSize();
  return CSize(icon.cx + 6, icon.cy + 6);
}

CRect CTKToolBar::GetBorders() const {
  if (position_ == kFloating)
    return CRect(kFloatingBorder, kFloatingBorder, kFloatingBorder, kFloatingBorder);
  CRect borders = GetPaintManager()->BarBorderInsets(const_cast<CTKToolBar*>(this));
  if (IsGripperVisible()) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CSize gripper = GetPaintManager()->PaintBarGripper(&dc, const_cast<CTKToolBar*>(this), false);
    borders.left += gripper.cx;
    borders.top += gripper.cy;
  }
  return borders;
}

CSize CTKToolBar::LayoutRows(CDC* dc, int length, DWORD flags, const CRect& extra, bool* wrapped) {
  CRect borders = GetBorders();
  borders.left += extra.left;
  borders.top += extra.top;
  borders.right += extra.right;
  borders.bottom += extra.bottom;
  return controls_->CalcLayout(dc, length, flags, borders, 0, wrapped);
}

CTKToolBar::CControlButtonExpand* CTKToolBar::GetExpandButton() const {
  return FindOwnControl<CControlButtonExpand>(kExpandButtonId);
}

CTKToolBar::CControlButtonHide* CTKToolBar::GetHideButton() const {
  return FindOwnControl<CControlButtonHide>(kHideButtonId);
}

CTKToolBar::CControlButtonExpand* CTKToolBar::FindOrCreateExpand() {
  CControlButtonExpand* expand = GetExpandButton();
  if (!expand) {
    expand = new CControlButtonExpand;
    controls_->InsertAt(expand, -1);
    expand->Release();  // the bar's controls hold it
  }
  expand->in_caption = false;
  expand->SetHideFlags(kHideShow);
  return expand;
}

CTKToolBar::CControlButtonHide* CTKToolBar::FindOrCreateHide() {
  CControlButtonHide* hide = GetHideButton();
  if (!hide) {
    hide = new CControlButtonHide;
    controls_->InsertAt(hide, -1);
    hide->Release();  // the bar's controls hold it
  }
  hide->SetHideFlags(kHideShow);
  return hide;
}

int CTKToolBar::GetWrappedCount() const {
  int count = 0;
  for (int i = 0; i < GetControlCount(); ++i)
    if (GetControl(i)->GetHideFlags() & kHideWrap) ++count;
  return count;
}

void CTKToolBar::ConsumePending(DWORD mode) {
  if ((mode & LM_COMMIT) && (pending_ & 1)) {
    pending_ &= ~1;
    if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  }
}

CSize CTKToolBar::CalcDockingLayout(int length, DWORD mode, int mruWidth) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  KestrinWinNS::CSelectObject font(dc, GetPaintManager()->BarFontFor(this, false)->GetSafeHandle());
  if (CControlButtonHide* hide = GetHideButton()) hide->SetHideFlags(kHideShow);
  CTKCommandBarManager* manager = GetCommandBarManager();
  const bool always = manager && manager->GetOptions().always_show_expand;
  const bool vertical = !(mode & LM_HORZDOCK) && !(mode & LM_HORZ);
  DWORD flags = vertical ? CTKControls::kLayoutVertical : 0;
  if (mode & LM_COMMIT) flags |= CTKControls::kLayoutCommit;
  if ((mode & LM_STRETCH) && (flags_ & kBarStretches)) flags |= CTKControls::kLayoutStretch;
  if (flags_ & kBarHidesOverflow) flags |= CTKControls::kLayoutHideOverflow;
  if ((mode & LM_MRUWIDTH) && mruWidth > 0) length = mruWidth;
  CSize size;
  if (show_expand_button_) {
    CControlButtonExpand* expand = FindOrCreateExpand();
    bool wrapped = false;
    if (!always && !(mode & LM_COMMIT)) {
      size = LayoutRows(&dc, length, flags, CRect(), nullptr);
      CSize least = LayoutRows(&dc, 1, flags, CRect(), nullptr);
      if (controls_->GetVisibleCount() > 1) {
        if (vertical)
          size.cy = std::max<int>(size.cy, least.cy + kExpandRoom);
        else
          size.cx = std::max<int>(size.cx, least.cx + kExpandRoom);
      }
    } else {
      if (!always) size = LayoutRows(&dc, length, flags, CRect(), &wrapped);
      if (always || GetWrappedCount() > 0) {
        CRect extra = vertical ? CRect(0, 0, 0, kExpandRoom) : CRect(0, 0, kExpandRoom, 0);
        size = LayoutRows(&dc, length, flags, extra, &wrapped);
        CRect borders = GetBorders();
        expand->SetHideFlags(0);
        if (vertical)
          expand->SetRect(CRect(borders.left, size.cy - borders.bottom - kExpandRoom, size.cx - borders.right,
                                size.cy - borders.bottom));
        else
          expand->SetRect(CRect(size.cx - borders.right - kExpandRoom, borders.top, size.cx - borders.right,
                                size.cy - borders.bottom));
      }
    }
  } else {
    size = LayoutRows(&dc, length, flags, CRect(), nullptr);
  }
  ConsumePending(mode);
  return size;
}

CSize CTKToolBar::CalcFloatingLayout(int length, DWORD mode) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKPaintManager* pm = GetPaintManager();
  KestrinWinNS::CSelectObject font(dc, pm->BarFontFor(this, false)->GetSafeHandle());
  const int oldPosition = position_;
  position_ = kFloating;
  const int caption = std::max<int>(pm->PaintBarGripper(&dc, this, false).cy - kFloatingBorder, 15);
  CControlButtonHide* hide = show_hide_button_ ? FindOrCreateHide() : nullptr;
  CTKCommandBarManager* manager = GetCommandBarManager();
  CControlButtonExpand* expand = (show_expand_button_ && manager) ? FindOrCreateExpand() : nullptr;
  if (length < 0) length = width_ < 0x7FFF ? width_ : 32767;
  CRect extra(0, caption + 1, 0, 0);
  DWORD flags = (mode & LM_COMMIT) ? CTKControls::kLayoutCommit : 0;
  CSize size = LayoutRows(&dc, length, flags, extra, nullptr);
  if (mode & LM_COMMIT) width_ = size.cx;
  int free = size.cx - kFloatingBorder;
  if (hide) {
    hide->SetHideFlags(0);
    hide->SetRect(CRect(free - caption, kFloatingBorder, free, kFloatingBorder + caption));
    free -= caption;
  }
  if (expand) {
    expand->in_caption = true;
    if (free - caption - kFloatingBorder > 0) {
      expand->SetHideFlags(0);
      expand->SetRect(CRect(free - caption, kFloatingBorder, free, kFloatingBorder + caption));
    }
  }
  position_ = oldPosition;
  ConsumePending(mode);
  return size;
}

CSize CTKToolBar::CalcSize(int length, DWORD mode) {
  // The command bar's own callers pass the controls' layout bits: turn them into the LM_ bits.
  DWORD lm = LM_COMMIT;
  if (IsVertical() && !(mode & CTKControls::kLayoutVertical) && GetSafeHwnd()) {
    mode |= CTKControls::kLayoutVertical;
    length = GetClientRect().Height();
  }
  if (mode & CTKControls::kLayoutVertical)
    lm |= LM_VERTDOCK;
  else
    lm |= LM_HORZ | LM_HORZDOCK;
  if (mode & CTKControls::kLayoutStretch) lm |= LM_STRETCH;
  return CalcDynamicLayout(length, lm);
}

CSize CTKToolBar::CalcDynamicLayout(int length, DWORD mode) {
  if (position_ == kFloating) return CalcFloatingLayout(length, mode);
  return CalcDockingLayout(length, mode, (mode & LM_MRUWIDTH) ? width_ : 0);
}

void CTKToolBar::OnRecalcLayout() {
  if (in_relayout_ || !GetSafeHwnd()) return;
  in_relayout_ = true;
  if (position_ == kFloating) {
    if (visible_) {
      CSize size = CalcFloatingLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
      ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  } else if (CTKCommandBarManager* manager = GetCommandBarManager()) {
    manager->RecalcFrameLayout(true);
  } else if (m_pDockSite) {
    m_pDockSite->DelayRecalcLayout();
  } else if (HWND parent = ::GetParent(GetSafeHwnd())) {
    RECT rc;
    ::GetClientRect(parent, &rc);
    ::SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
  }
  ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  in_relayout_ = false;
}

// ---------------------------------------------------------------------------------------------
// The expand popup

void CTKToolBar::FillExpandPopup(CTKPopupBar* popup) {
  popup->GetControls()->RemoveAll();
  popup->SetTitle(title_);
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (!(control->GetHideFlags() & kHideWrap) || control->GetID() == kExpandButtonId) continue;
    if (CTKControl* copy = popup->GetControls()->AddCopy(control))
      copy->SetHideFlags(copy->GetHideFlags() & ~kHideWrap);
  }
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && (manager->GetOptions().customize_entry || manager->IsCustomizeMode())) {
    CTKControl* entry = popup->GetControls()->Add(kPopupControl, kCustomizeEntryId);
    if (entry) {
      entry->SetFlags(8);
      entry->SetCaption(L"&Add or Remove Buttons");
      if (popup->GetControlCount() > 2) entry->SetBeginGroup(true);
    }
  }
  CRect client = GetClientRect();
  popup->SetPopupWidth(std::max<int>(client.Width(), 120));
}

// ---------------------------------------------------------------------------------------------
// Resources

bool CTKToolBar::LoadToolBar(UINT id, bool loadImages) { return LoadToolBar(nullptr, id, loadImages); }

bool CTKToolBar::LoadToolBar(HMODULE module, UINT id, bool loadImages) {
  if (!module) module = GetToolkitResourceModule();
  // The resource is read and checked, and its images loaded, before the bar is touched.
  CTKToolBarResource toolbar;
  if (!ReadToolBarResourceOf(module, id, &toolbar)) return false;
  std::vector<UINT> ids;
  for (UINT cmd : toolbar.commands)
    if (cmd != 0) ids.push_back(cmd);
  if (loadImages && !ids.empty()) {
    // The strip must hold an image for every button.
    KestrinWinNS::CScopedBitmap strip(
        static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip.IsValid()) return false;
    BITMAP info{};
    const bool read = ::GetObjectW(strip.Get(), sizeof(info), &info) != 0;
    if (!read || info.bmHeight < toolbar.height ||
        static_cast<long long>(info.bmWidth) < static_cast<long long>(toolbar.width) * static_cast<long long>(ids.size()))
      return false;
    if (!GetImageManager()->SetIconsFromBitmapId(module, MAKEINTRESOURCEW(id), ids.data(), static_cast<int>(ids.size()),
                                                 CSize(toolbar.width, toolbar.height), 0))
      return false;
    if (toolbar.width != 16) icon_size_ = CSize(toolbar.width, toolbar.height);
  }
  std::vector<UINT> list(toolbar.commands.begin(), toolbar.commands.end());
  SetButtons(list.data(), static_cast<int>(list.size()));
  bar_id_ = id;
  resource_module_ = module;
  // The buttons as loaded: what a reset puts back.
  controls_->CreateOriginalControls();
  return true;
}

bool CTKToolBar::SetButtons(const UINT* ids, int count) {
  controls_->RemoveAll();
  bool group = false;
  HWND site = GetSite();
  for (int i = 0; i < count; ++i) {
    if (ids[i] == 0) {
      group = true;
      continue;
    }
    TKControlRequest request{static_cast<int>(ids[i]), nullptr, kButton, this, nullptr, i, nullptr, 0};
    if (site) ::SendMessageW(site, kMsgMenuItemRequest, 0, reinterpret_cast<LPARAM>(&request));
    CTKControl* control = nullptr;
    if (request.control) {
      // The site keeps its own reference.
      request.control->AddRef();
      control = controls_->Add(request.control, request.id);
    } else {
      control = controls_->Add(request.type, request.id);
      if (control && request.style) control->SetStyle(request.style);
      if (control && request.type >= kPopupControl && request.type <= kSplitButtonPopup) control->SetHelpId(request.id);
    }
    if (control && group) control->SetBeginGroup(true);
    group = false;
  }
  pending_ |= 1;
  return true;
}

void CTKToolBar::Copy(const CTKCommandBar* source, bool deep) {
  CTKCommandBar::Copy(source, deep);
  if (const CTKToolBar* bar = dynamic_cast<const CTKToolBar*>(source)) {
    built_in_ = bar->built_in_;
    temporary_ = bar->temporary_;
    show_hide_button_ = bar->show_hide_button_;
  }
}

// ---------------------------------------------------------------------------------------------
// Reset

namespace {
CTKToolBar::QuestionFn g_question = nullptr;
}  // namespace

void CTKToolBar::SetQuestionFunction(QuestionFn fn) { g_question = fn; }

int CTKToolBar::Ask(const std::wstring& text, const wchar_t* caption, UINT type) const {
  HWND owner = GetSite();
  return g_question ? g_question(owner, text.c_str(), caption, type) : ::MessageBoxW(owner, text.c_str(), caption, type);
}

std::wstring CTKToolBar::WithTitle(const std::wstring& format) const {
  std::wstring text = format;
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, title_);
  return text;
}

bool CTKToolBar::ConfirmReset() const {
  std::wstring format;
  if (!GetResourceManagerInstance()->ReadStringResource(&format, IDS_TK_RESET_BAR) || format.empty())
    format = L"Reset the changes made to the '%s' toolbar?";
  return Ask(WithTitle(format), title_.c_str(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void CTKToolBar::FinishReset() {
  if (HWND site = GetSite()) ::SendMessageW(site, kMsgResetBar, 0, reinterpret_cast<LPARAM>(this));
  pending_ |= 1;
  OnIdleUpdate();
  OnRecalcLayout();
}

bool CTKToolBar::Reset(bool ask) {
  if (!built_in_ || !IsCustomizable() || bar_id_ == 0) return false;
  if (ask && !ConfirmReset()) return false;
  if (tracking_) SetTrackingMode(0, true, false);
  CTKControls* original = controls_->GetOriginalControls();
  if (original) {
    // The collection keeps its reset copy; its controls come back as copies.
    hot_ = expanded_ = -1;
    controls_->RemoveAll();
    for (int i = 0; i < original->GetCount(); ++i) controls_->AddCopy(original->GetAt(i));
  } else if (!LoadToolBar(resource_module_, bar_id_, true)) {
    return false;
  }
  FinishReset();
  return true;
}

// ---------------------------------------------------------------------------------------------

bool CTKToolBar::IsMovable() const {
  return GetSafeHwnd() && type_ != kPopupBar && (dock_bar_ || position_ == kFloating);
}

LRESULT CTKToolBar::OnFloatStatus(WPARAM flags) {
  HWND hwnd = GetSafeHwnd();
  if (!hwnd) return 0;
  // Only a shown floating bar follows its frame: a bar the user hid stays hidden.
  if (position_ == kFloating && visible_ && !(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) {
    if (flags & FS_HIDE)
      ::ShowWindow(hwnd, SW_HIDE);
    else if (flags & FS_SHOW)
      ::ShowWindow(hwnd, SW_SHOWNA);
    CTKCommandBarManager* manager = GetCommandBarManager();
    if (manager && manager->GetOptions().hide_floating_inactive) {
      if (flags & FS_DEACTIVATE) {
        // The notice comes while the frame is still the active window: look again once the
        // activation has moved.
        ::PostMessageW(hwnd, kMsgHideIfInactive, 0, 0);
      } else if (flags & FS_ACTIVATE) {
        HWND foreground = ::GetForegroundWindow();
        if (foreground && ::IsWindowVisible(foreground) && !(::GetWindowLongPtrW(foreground, GWL_STYLE) & WS_CHILD))
          ::ShowWindow(hwnd, SW_SHOWNA);
      }
    }
  }
  if (flags & (FS_ENABLE | FS_DISABLE)) ::EnableWindow(hwnd, (flags & FS_ENABLE) ? TRUE : FALSE);
  return (flags & FS_SYNCACTIVE) && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & 0x100) ? 1 : 0;
}

int CTKToolBar::OnHookKeyDown(UINT key, LPARAM data) {
  HWND hwnd = GetSafeHwnd();
  HWND parent = hwnd ? ::GetParent(hwnd) : nullptr;
  // A bar laid out directly in a frame (a ribbon, a menu bar) keeps Tab for its own controls.
  const bool in_dialog = parent && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) &&
                         ::GetClassLongPtrW(parent, GCW_ATOM) == kDialogClassAtom;
  if (key == VK_TAB && in_dialog && !GetDockContext() && !dock_bar_ && position_ != kFloating && type_ != kPopupBar &&
      !IsCustomizeMode()) {
    const bool back = ::GetKeyState(VK_SHIFT) < 0;
    SetTrackingMode(0, false, false);
    if (HWND next = ::GetNextDlgTabItem(parent, hwnd, back ? TRUE : FALSE)) ::SetFocus(next);
    return kKeyHandled;
  }
  return CTKCommandBar::OnHookKeyDown(key, data);
}

bool CTKToolBar::OverGripper() const {
  POINT pt;
  if (!::GetCursorPos(&pt) || !::ScreenToClient(GetSafeHwnd(), &pt)) return false;
  const CRect borders = GetBorders();
  const CRect client = GetClientRect();
  // The strip from 3 pixels inside the leading edge over the gripper and the border.
  const CRect strip = IsVertical() ? CRect(0, 3, client.right, 3 + borders.top)
                                   : CRect(3, 0, 3 + borders.left, client.bottom);
  return strip.PtInRect(pt) != FALSE;
}

// ---------------------------------------------------------------------------------------------

LRESULT CTKToolBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST:
      if (position_ == kFloating && !(::GetWindowLongPtrW(GetSafeHwnd(), GWL_STYLE) & WS_CHILD) && type_ != kPopupBar) {
        CRect rc;
        ::GetWindowRect(GetSafeHwnd(), &rc);
        rc.DeflateRect(kFloatingBorder, kFloatingBorder);
        POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        if (pt.y < rc.top) return HTTOP;
        if (pt.y >= rc.bottom) return HTBOTTOM;
        if (pt.x < rc.left) return HTLEFT;
        if (pt.x >= rc.right) return HTRIGHT;
        return HTCLIENT;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (position_ == kFloating || IsFocusInFrame() || IsCustomizeMode()) return MA_NOACTIVATE;
      break;
    case WM_FLOATSTATUS:
      return OnFloatStatus(wparam);
    case kMsgHideIfInactive: {
      HWND hwnd = GetSafeHwnd();
      CTKCommandBarManager* manager = GetCommandBarManager();
      if (position_ == kFloating && manager && manager->GetOptions().hide_floating_inactive &&
          ::GetAncestor(hwnd, GA_ROOTOWNER) != ::GetActiveWindow())
        ::ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Pressed where no control lies, a docked or floating bar follows the mouse; a double
      // click there toggles it between docked and floating.
      CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      if (!IsMovable() || controls_->HitTest(pt) || IsCustomizeMode()) break;
      if (message == WM_LBUTTONDBLCLK) {
        EnableDockContext()->ToggleDocking();
        return 0;
      }
      if (tracking_) SetTrackingMode(0, true, false);
      SetHotControl(-1);
      ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
      ::ClientToScreen(GetSafeHwnd(), &pt);
      EnableDockContext()->StartMove(pt);
      return 0;
    }
    case WM_NCLBUTTONDOWN:
      if (wparam >= HTLEFT && wparam <= HTBOTTOMRIGHT && IsMovable()) {
        ::SetWindowPos(GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        if (CTKCommandBarManager* manager = GetCommandBarManager()) manager->HideKeyboardTips();
        EnableDockContext()->StartResize(static_cast<int>(wparam),
                                         POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))});
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && position_ >= kTop && position_ <= kRight && IsCustomizable() &&
          (flags_ & 0xF) && OverGripper()) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)));
        return TRUE;
      }
      break;
    case WM_SIZE:
      if (GetSafeHwnd() && position_ == kFloating && !in_relayout_) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
      break;
    default:
      break;
  }
  return CTKCommandBar::WindowProc(message, wparam, lparam);
}
