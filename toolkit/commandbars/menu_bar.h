// The tool bar that takes the place of a frame's menu: its controls come from a menu resource,
// it follows the frame through the hook manager (Alt, MDI activation, the frame's menu
// switches), keeps one set of controls per MDI document menu, and shows the maximized MDI
// child's system-menu icon and its minimize, restore and close buttons.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/tool_bar.h"

class CTKMenuBarMDIMenuInfo : public CCmdTarget {
 public:
  CTKMenuBarMDIMenuInfo(UINT id, CTKControls* controls);
  ~CTKMenuBarMDIMenuInfo() override;
  UINT id;
  CTKControls* controls;  // one reference
  std::wstring title, description;
  KestrinWinNS::CScopedIcon icon;
  bool changed = false;
};

class CTKMenuBarMDIMenus : public CCmdTarget {
 public:
  ~CTKMenuBarMDIMenus() override;
  CTKMenuBarMDIMenuInfo* Find(UINT id) const;
  void Set(UINT id, CTKMenuBarMDIMenuInfo* info);
  void Remove(UINT id);
  void RemoveAll();
  size_t GetCount() const { return map_.size(); }
  // The records in id order.
  std::vector<CTKMenuBarMDIMenuInfo*> Records() const;

 private:
  std::map<UINT, CTKMenuBarMDIMenuInfo*> map_;
};

class CTKMenuBar : public CTKToolBar {
  DECLARE_DYNCREATE(CTKMenuBar)

 public:
  enum { kCloseId = 9151, kRestoreId = 9152, kMinimizeId = 9153, kSysMenuId = 9154 };
  enum { kRefreshTimer = 12223 };

  // A caption button of the maximized MDI child: posts its system command to the child.
  class CControlMDIButton : public CTKControlButton {
   public:
    CControlMDIButton(int id, const wchar_t* glyph, UINT command);
    void OnExecute() override;
    void Draw(CDC* dc) override;
    UINT command;
  };
  // The maximized MDI child's icon; its popup lists the child's system menu.
  class CControlMDISysMenuPopup : public CTKControlPopup {
   public:
    CControlMDISysMenuPopup();
    ~CControlMDISysMenuPopup() override;
    void Draw(CDC* dc) override;
    HMENU menu = nullptr;
    KestrinWinNS::CScopedIcon icon;
  };

  CTKMenuBar();
  ~CTKMenuBar() override;

  // Loads the menu resource into the controls, hooks the site and takes its menu away.
  bool LoadMenuBar(UINT id);
  // Hooks the site and, for an MDI frame, its MDI client.
  void HookFrameWindows();
  // Shows the controls of the document menu `id` (filled from `menu` the first time).
  void SwitchMDIMenu(UINT id, HMENU menu);
  // The MDI child's controls (system menu, minimize, restore, close) as the active child is.
  void RefreshMDIControls();
  UINT GetDefaultMenuId() const { return default_id_; }
  UINT GetCurrentMenuId() const { return current_id_; }
  HMENU GetFrameMenu() const { return frame_menu_; }
  CTKMenuBarMDIMenus* GetMDIMenus() const { return mdi_menus_; }
  // Alt pressed alone in the frame: keyboard tips or keyboard tracking. True when taken.
  bool OnAltKey();

  // Puts the current menu's original controls back: the tool bar's reset when the controls keep
  // a reset copy, else the current menu resource read again. The MDI controls follow.
  bool Reset(bool ask) override;

  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  void Copy(const CTKCommandBar* source, bool deep) override;
  // The tool bar's keys, "ResourceId", then the controls of each document menu ("Count" and
  // sections "MDIMenu<n>"). Storing first switches back to the default menu.
  void DoPropExchange(CTKPropExchange* px) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  UINT MenuIdFor(HMENU menu) const;
  // The menu resource `id` from the program, else from the toolkit's resource module.
  static HMENU LoadMenuResource(UINT id);
  void FillSysMenuPopup(CControlMDISysMenuPopup* control, HWND child);

  CTKMenuBarMDIMenus* mdi_menus_;
  UINT default_id_ = 0, current_id_ = 0;
  // The menu the frame shows when no document has one of its own: the frame's menu taken away
  // from it, else the frame's default menu, else the loaded resource. Owned by one of the frame,
  // loaded_menu_ or taken_menu_.
  HMENU frame_menu_ = nullptr;
  KestrinWinNS::CScopedMenu loaded_menu_;  // the menu resource the controls came from
  KestrinWinNS::CScopedMenu taken_menu_;   // the frame's menu taken away, unless the frame destroys it itself
  bool mdi_frame_ = false;
  HWND mdi_client_ = nullptr;
  HWND hooked_child_ = nullptr;
  HMENU shown_child_menu_ = nullptr;
};
