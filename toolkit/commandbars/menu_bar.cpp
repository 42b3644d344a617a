#include "toolkit/commandbars/menu_bar.h"

#include <utility>
#include <vector>

#include "platform/appframe/app.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/mdi.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/resource_manager.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKMenuBar, CTKToolBar)

// ---------------------------------------------------------------------------------------------
// Document menus

CTKMenuBarMDIMenuInfo::CTKMenuBarMDIMenuInfo(UINT menuId, CTKControls* list) : id(menuId), controls(list) {
  controls->InternalAddRef();
}

CTKMenuBarMDIMenuInfo::~CTKMenuBarMDIMenuInfo() {
  // Controls no bar shows any more go with their record.
  if (!controls->GetParent() || controls->GetParent()->GetControls() != controls) {
    controls->RemoveAll();
    controls->SetParent(nullptr);
  }
  controls->InternalRelease();
}

CTKMenuBarMDIMenus::~CTKMenuBarMDIMenus() { RemoveAll(); }

CTKMenuBarMDIMenuInfo* CTKMenuBarMDIMenus::Find(UINT id) const {
  auto it = map_.find(id);
  return it == map_.end() ? nullptr : it->second;
}

void CTKMenuBarMDIMenus::Set(UINT id, CTKMenuBarMDIMenuInfo* info) {
  Remove(id);
  map_[id] = info;
}

void CTKMenuBarMDIMenus::Remove(UINT id) {
  auto it = map_.find(id);
  if (it == map_.end()) return;
  CTKMenuBarMDIMenuInfo* info = it->second;
  map_.erase(it);
  info->InternalRelease();
}

std::vector<CTKMenuBarMDIMenuInfo*> CTKMenuBarMDIMenus::Records() const {
  std::vector<CTKMenuBarMDIMenuInfo*> records;
  for (const auto& entry : map_) records.push_back(entry.second);
  return records;
}

void CTKMenuBarMDIMenus::RemoveAll() {
  while (!map_.empty()) Remove(map_.begin()->first);
}

// ---------------------------------------------------------------------------------------------
// The MDI child's controls

CTKMenuBar::CControlMDIButton::CControlMDIButton(int id, const wchar_t* glyph, UINT sysCommand) : command(sysCommand) {
  id_ = id;
  caption_ = glyph;
  flags_ |= 0x1B;
  width_ = 16;
  height_ = 16;
}

void CTKMenuBar::CControlMDIButton::OnExecute() {
  CTKMenuBar* bar = dynamic_cast<CTKMenuBar*>(parent_);
  if (!bar || !bar->mdi_client_) return;
  HWND child = reinterpret_cast<HWND>(::SendMessageW(bar->mdi_client_, WM_MDIGETACTIVE, 0, 0));
  if (child) ::PostMessageW(child, WM_SYSCOMMAND, command, 0);
}

void CTKMenuBar::CControlMDIButton::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(this);
  if (state.selected || state.pressed) pm->PaintStateRect(dc, rect_, state);
  // The image of the button's system command, in the text colour; the Marlett glyph without one.
  CTKImageManager* images = GetImageManager();
  if (CTKImageManagerIcon* icon = images->GetImage(command, 16)) {
    const CTKIconImage& glyph = icon->GetImageOfState(0);
    images->DrawSilhouette(*dc, rect_.left + (rect_.Width() - 16) / 2, rect_.top + (rect_.Height() - 16) / 2, glyph, 16,
                           16, pm->ItemTextColor(this));
    return;
  }
  CFont marlett;
  LOGFONTW lf{};
  lf.lfHeight = -::MulDiv(8, ::GetDeviceCaps(*dc, LOGPIXELSY), 72);
  lf.lfCharSet = SYMBOL_CHARSET;
  wcscpy_s(lf.lfFaceName, L"Marlett");
  marlett.CreateFontIndirect(&lf);
  KestrinWinNS::CSelectObject font(*dc, marlett.GetSafeHandle());
  dc->SetTextColor(pm->ItemTextColor(this));
  dc->SetBkMode(TRANSPARENT);
  CRect r = rect_;
  ::DrawTextW(*dc, caption_.c_str(), -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

CTKMenuBar::CControlMDISysMenuPopup::CControlMDISysMenuPopup() {
  id_ = kSysMenuId;
  caption_ = L"-";
  flags_ |= 0x18;
  width_ = 18;
  height_ = 18;
}

CTKMenuBar::CControlMDISysMenuPopup::~CControlMDISysMenuPopup() = default;

void CTKMenuBar::CControlMDISysMenuPopup::Draw(CDC* dc) {
  if (!icon) return;
  ::DrawIconEx(*dc, rect_.left + (rect_.Width() - 16) / 2, rect_.top + (rect_.Height() - 16) / 2, icon.Get(), 16, 16, 0,
               nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------------------------

CTKMenuBar::CTKMenuBar() : mdi_menus_(new CTKMenuBarMDIMenus) {
  type_ = kMenuBar;
  bar_id_ = 1;
  flags_ = 0x5F;
  show_hide_button_ = false;
}

CTKMenuBar::~CTKMenuBar() {
  CTKHookManager::Instance().RemoveClient(this);
  mdi_menus_->RemoveAll();
  mdi_menus_->InternalRelease();
}

HMENU CTKMenuBar::LoadMenuResource(UINT id) {
  HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  if (!menu) menu = ::LoadMenuW(GetToolkitResourceModule(), MAKEINTRESOURCEW(id));
  return menu;
}

bool CTKMenuBar::Reset(bool ask) {
  bool done = false;
  if (controls_->GetOriginalControls()) {
    done = CTKToolBar::Reset(ask);
  } else if (current_id_ != 0 && (!ask || ConfirmReset())) {
    // The menu is read into controls and not kept.
    KestrinWinNS::CScopedMenu menu(LoadMenuResource(current_id_));
    if (!menu) return false;
    if (tracking_) SetTrackingMode(0, true, false);
    hot_ = expanded_ = -1;
    done = LoadMenu(menu.Get(), true);
    if (done) FinishReset();
  }
  // The menu's controls came back without the document's caption buttons.
  if (done) RefreshMDIControls();
  return done;
}

bool CTKMenuBar::LoadMenuBar(UINT id) {
  KestrinWinNS::CScopedMenu menu(LoadMenuResource(id));
  if (!menu) return false;
  if (!LoadMenu(menu.Get(), true)) return false;
  // A frame that showed the menu loaded before shows the new one.
  if (frame_menu_ && frame_menu_ == loaded_menu_.Get()) frame_menu_ = nullptr;
  loaded_menu_ = std::move(menu);
  default_id_ = current_id_ = id;
  HookFrameWindows();
  // The caption-button images, for the document's buttons and its system menu.
  const UINT commands[] = {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};
  const wchar_t* bitmap = MAKEINTRESOURCEW(IDB_TK_MDI_BUTTONS);
  CTKImageManager* images = GetImageManager();
  if (!images->SetIconsFromBitmapId(GetToolkitResourceModule(), bitmap, commands, 4, SIZE{16, 16}, 0))
    images->SetIconsFromBitmapId(::GetModuleHandleW(nullptr), bitmap, commands, 4, SIZE{16, 16}, 0);
  HWND site = GetSite();
  if (site) {
    HMENU frameMenu = ::GetMenu(site);
    CFrameWnd* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(site));
    if (frameMenu) {
      frame_menu_ = frameMenu;
      ::SetMenu(site, nullptr);
      // The frame's own default menu stays the frame's to destroy; any other is the bar's now.
      if (!frame || frame->m_hMenuDefault != frameMenu) taken_menu_.Reset(frameMenu);
    } else if (frame) {
      frame_menu_ = frame->m_hMenuDefault;
    }
  }
  if (!frame_menu_) frame_menu_ = loaded_menu_.Get();
  shown_child_menu_ = frame_menu_;
  pending_ |= 1;
  return true;
}

void CTKMenuBar::HookFrameWindows() {
  HWND site = GetSite();
  if (!site) return;
  CTKHookManager::Instance().SetHook(site, this);
  CMDIFrameWnd* frame = dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(site));
  mdi_frame_ = frame != nullptr;
  mdi_client_ = frame ? frame->m_hWndMDIClient : nullptr;
  if (!mdi_client_) {
    // A frame of the system's own MDI shape: its MDI client child.
    for (HWND c = ::GetWindow(site, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      ::GetClassNameW(c, cls, 32);
      if (lstrcmpiW(cls, L"MDIClient") == 0) mdi_client_ = c;
    }
    mdi_frame_ = mdi_client_ != nullptr;
  }
  if (mdi_client_) CTKHookManager::Instance().SetHook(mdi_client_, this);
}

UINT CTKMenuBar::MenuIdFor(HMENU menu) const {
  if (!menu) return 0;
  if (menu == frame_menu_ || menu == loaded_menu_.Get()) return default_id_;
  if (CWinApp* app = CWinApp::GetApp())
    if (CDocTemplate* doc = app->FindDocTemplateForMenu(menu)) return doc->m_nIDResource;
  return 0;
}

void CTKMenuBar::SwitchMDIMenu(UINT id, HMENU menu) {
  if (id == 0 || current_id_ == 0 || id == current_id_) return;
  if (menu && ::GetMenuItemCount(menu) <= 0) return;
  CTKMenuBarMDIMenuInfo* mapped = mdi_menus_->Find(id);
  if (IsCustomizable() || mapped) {
    if (!menu && !mapped) return;
    // The controls shown now are kept under the current id.
    CTKMenuBarMDIMenuInfo* saved = mdi_menus_->Find(current_id_);
    if (!saved || saved->controls != controls_) mdi_menus_->Set(current_id_, new CTKMenuBarMDIMenuInfo(current_id_, controls_));
    if (tracking_) SetTrackingMode(0, true, false);
    hot_ = expanded_ = -1;
    CTKControls* next;
    if (mapped) {
      next = mapped->controls;
      next->InternalAddRef();
    } else {
      next = new CTKControls(this, controls_->GetManager());
    }
    controls_->InternalRelease();
    controls_ = next;
    controls_->SetParent(this);
    if (mapped) {
      if (!controls_->GetOriginalControls() && menu) controls_->CreateOriginalControls();
      if (id == default_id_) mdi_menus_->Remove(default_id_);
    } else {
      if (menu) LoadMenu(menu, true);
      controls_->CreateOriginalControls();
      mdi_menus_->Set(id, new CTKMenuBarMDIMenuInfo(id, controls_));
    }
  } else {
    LoadMenu(menu, true);
  }
  current_id_ = id;
  pending_ |= 1;
  OnRecalcLayout();
}

void CTKMenuBar::FillSysMenuPopup(CControlMDISysMenuPopup* control, HWND child) {
  HMENU menu = ::GetSystemMenu(child, FALSE);
  if (!menu || !::IsMenu(menu)) {
    controls_->Remove(control);
    return;
  }
  if (control->menu == menu && control->GetCommandBar()) return;
  control->menu = menu;
  HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, kMsgChildIcon, 0, 0));
  if (!icon) icon = reinterpret_cast<HICON>(::SendMessageW(child, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(::SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(child, GCLP_HICON));
  if (!icon) icon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  control->icon.Reset(static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, 16, 16, 0)));
  CTKPopupBar* popup = CTKPopupBar::CreatePopupBar(GetCommandBarManager());
  bool group = false;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    if (!::GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) {
      group = true;
      continue;
    }
    CTKControl* item = nullptr;
    if (info.wID >= 0xF000 && info.wID < 0xF1F0) {
      item = popup->GetControls()->Add(kButton, static_cast<int>(info.wID));
      if (!item) continue;
      item->SetFlags(item->GetFlags() | 8);
      wchar_t text[256] = {};
      ::GetMenuStringW(menu, i, text, 255, MF_BYPOSITION);
      item->SetCaption(text);
      std::wstring tip;
      if (GetResourceManagerInstance()->ReadStringResource(&tip, 0xEF00 + ((info.wID - 0xF000) / 16))) item->SetTooltip(tip);
      if (info.fState & MFS_DEFAULT) item->SetDefaultItem(true);
      if (info.fState & MFS_GRAYED) item->SetEnabled(false);
    } else {
      item = popup->GetControls()->AddMenuItem(menu, i);
    }
    if (item && group) item->SetBeginGroup(true);
    group = false;
  }
  control->SetCommandBar(popup);
  popup->Release();
  pending_ |= 1;
}

void CTKMenuBar::RefreshMDIControls() {
  if (!mdi_client_ || !::IsWindow(mdi_client_)) return;
  BOOL maximized = FALSE;
  HWND child = reinterpret_cast<HWND>(::SendMessageW(mdi_client_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  if (child != hooked_child_) {
    if (hooked_child_) CTKHookManager::Instance().RemoveHook(hooked_child_, this);
    hooked_child_ = child;
    if (child) CTKHookManager::Instance().SetHook(child, this);
  }
  // The framework keeps the frame without a menu: the active document's shared menu is shown.
  HMENU docMenu = nullptr;
  if (CMDIChildWnd* frame = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(child))) docMenu = frame->m_hMenuShared;
  if (!docMenu) docMenu = frame_menu_;
  if (docMenu && docMenu != shown_child_menu_) {
    shown_child_menu_ = docMenu;
    if (UINT id = MenuIdFor(docMenu)) SwitchMDIMenu(id, docMenu);
  }
  if (!GetSafeHwnd() || !visible_) return;
  const bool max = child && maximized;
  const LONG_PTR style = child ? ::GetWindowLongPtrW(child, GWL_STYLE) : 0;
  bool changed = false;

  CControlMDISysMenuPopup* sys = dynamic_cast<CControlMDISysMenuPopup*>(controls_->FindControl(kSysMenuId));
  if (max && (flags_ & 0x2000)) {
    if (!sys) {
      sys = new CControlMDISysMenuPopup;
      controls_->InsertAt(sys, 0);
      sys->Release();  // the bar's controls hold it
      changed = true;
    }
    FillSysMenuPopup(sys, child);
  } else if (sys) {
    controls_->Remove(sys);
    changed = true;
  }
  struct Button {
    int id;
    const wchar_t* glyph;
    UINT command;
    bool wanted;
  } buttons[] = {
      {kMinimizeId, L"0", SC_MINIMIZE, max && (style & WS_MINIMIZEBOX) && !(flags_ & 0x100)},
      {kRestoreId, L"2", SC_RESTORE, max && (style & WS_MAXIMIZEBOX) && !(flags_ & 0x200)},
      {kCloseId, L"r", SC_CLOSE, max && !(flags_ & 0x1000)},
  };
  bool same = true;
  for (const Button& b : buttons) same = same && ((controls_->FindControl(b.id) != nullptr) == b.wanted);
  if (!same) {
    for (const Button& b : buttons)
      if (CTKControl* c = controls_->FindControl(b.id)) controls_->Remove(c);
    for (const Button& b : buttons)
      if (b.wanted) controls_->InsertAt(new CControlMDIButton(b.id, b.glyph, b.command), -1)->Release();
    changed = true;
  }
  if (changed) {
    pending_ |= 1;
    OnRecalcLayout();
    ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  }
}

bool CTKMenuBar::OnAltKey() {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && manager->GetOptions().keyboard_tips) {
    manager->GiveKeyboardToBar(this);
    manager->ShowKeyboardTips(this, 1);
    return true;
  }
  if (manager) return manager->GiveKeyboardToBar(this);
  SetTrackingMode(1, false, true);
  SetHotControl(controls_->GetNext(-1, 1, false), kHotKeyForward);
  return true;
}

int CTKMenuBar::OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!hwnd) return CTKToolBar::OnHookMessage(hwnd, message, wParam, lParam, result);
  HWND self = GetSafeHwnd();
  if ((hwnd == hooked_child_ && (message == WM_SIZE || message == WM_WINDOWPOSCHANGED)) ||
      (hwnd == mdi_client_ && message >= WM_MDICREATE && message <= WM_MDIACTIVATE)) {
    if (self) ::PostMessageW(self, WM_TIMER, kRefreshTimer, 0);
    return kGoOn;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && hwnd == GetSite()) {
    CTKCommandBarManager* manager = GetCommandBarManager();
    if (!self || !visible_ || !::IsWindowVisible(self) || IsCustomizeMode()) return kGoOn;
    if (lParam == 0) {
      if ((manager && manager->GetKeyboardTipLevel() > 0) || ::GetKeyState(VK_SHIFT) < 0) return kGoOn;
      OnAltKey();
      result = 0;
      return kConsumed;
    }
    if (lParam == L' ') return kGoOn;  // Alt+Space: the window's own system menu
    const SHORT vk = ::VkKeyScanW(static_cast<wchar_t>(lParam));
    if (manager && vk != -1 && manager->OnFrameAcceleratorKey(static_cast<UINT>(vk & 0xFF))) {
      result = 0;
      return kConsumed;
    }
    return kGoOn;
  }
  if (message == WM_MDISETMENU && hwnd == mdi_client_) {
    HWND site = GetSite();
    if (self && visible_) {
      if (IsCustomizeMode()) {
        if (site) ::SetMenu(site, nullptr);
        return kGoOn;
      }
      if (!(::GetWindowLongPtrW(mdi_client_, GWL_STYLE) & 0x400)) {
        HMENU menu = wParam ? reinterpret_cast<HMENU>(wParam) : frame_menu_;
        shown_child_menu_ = menu;
        SwitchMDIMenu(MenuIdFor(menu), menu);
        if (site) ::SetMenu(site, nullptr);
        RefreshMDIControls();
        wParam = 0;
        result = 0;
        return kConsumed;
      }
    } else if (site && !::GetMenu(site)) {
      wParam = 0;
      result = 0;
      return kConsumed;
    }
  }
  return kGoOn;
}

void CTKMenuBar::Copy(const CTKCommandBar* source, bool deep) {
  CTKToolBar::Copy(source, deep);
  if (const CTKMenuBar* bar = dynamic_cast<const CTKMenuBar*>(source)) default_id_ = bar->default_id_;
}

LRESULT CTKMenuBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kRefreshTimer) {
    RefreshMDIControls();
    return 0;
  }
  if (message == WM_DESTROY) {
    CTKHookManager::Instance().RemoveClient(this);
    hooked_child_ = nullptr;
  }
  return CTKToolBar::WindowProc(message, wparam, lparam);
}
