#include "platform/appframe/menu.h"

#include <new>

IMPLEMENT_DYNAMIC(CMenu, CObject)

bool CMenu::Attach(HMENU menu) {
  DestroyMenu();
  m_hMenu = menu;
  owns_ = true;
  return menu != nullptr;
}

HMENU CMenu::Detach() {
  HMENU menu = m_hMenu;
  m_hMenu = nullptr;
  views_.clear();
  return menu;
}

bool CMenu::DestroyMenu() {
  views_.clear();
  if (!m_hMenu) return false;
  bool ok = owns_ ? ::DestroyMenu(m_hMenu) != FALSE : true;
  m_hMenu = nullptr;
  return ok;
}

CMenu* CMenu::GetSubMenu(int position) {
  HMENU sub = ::GetSubMenu(m_hMenu, position);
  if (!sub) return nullptr;
  for (auto& view : views_)
    if (view->m_hMenu == sub) return view.get();
  std::unique_ptr<CMenu> view(new (std::nothrow) CMenu);
  if (!view) return nullptr;
  view->m_hMenu = sub;
  view->owns_ = false;
  views_.push_back(std::move(view));
  return views_.back().get();
}
