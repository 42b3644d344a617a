// A menu handle with one owner. Sub-menus handed out by GetSubMenu belong to their parent menu.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/appframe/object.h"

class CMenu : public CObject {
  DECLARE_DYNAMIC(CMenu)
 public:
  CMenu() {}
  ~CMenu() override { DestroyMenu(); }

  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }
  HMENU GetSafeHmenu() const { return m_hMenu; }

  bool LoadMenu(HINSTANCE module, UINT id) { return Attach(::LoadMenuW(module, MAKEINTRESOURCEW(id))); }
  bool CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
  bool CreateMenu() { return Attach(::CreateMenu()); }
  // Takes ownership.
  bool Attach(HMENU menu);
  HMENU Detach();
  bool DestroyMenu();

  // A view of the sub-menu at `position` (owned by this menu), or null.
  CMenu* GetSubMenu(int position);
  int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
  UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
  UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
  UINT EnableMenuItem(UINT id, UINT flags) { return ::EnableMenuItem(m_hMenu, id, flags); }
  DWORD CheckMenuItem(UINT id, UINT flags) { return ::CheckMenuItem(m_hMenu, id, flags); }
  bool SetDefaultItem(UINT item, bool by_position = false) {
    return ::SetMenuDefaultItem(m_hMenu, item, by_position) != FALSE;
  }
  bool AppendMenu(UINT flags, UINT_PTR id = 0, const wchar_t* text = nullptr) {
    return ::AppendMenuW(m_hMenu, flags, id, text) != FALSE;
  }
  bool TrackPopupMenu(UINT flags, int x, int y, HWND owner) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, nullptr) != FALSE;
  }

 private:
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  bool owns_ = true;
  std::vector<std::unique_ptr<CMenu>> views_;
};
