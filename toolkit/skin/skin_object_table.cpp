#include "toolkit/skin/skin_object_table.h"

#include <windows.h>

#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_object.h"
#include "toolkit/skin/skin_object_button.h"
#include "toolkit/skin/skin_object_combobox.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_object_header.h"
#include "toolkit/skin/skin_object_mdiclient.h"
#include "toolkit/skin/skin_object_menu.h"
#include "toolkit/skin/skin_object_progress.h"
#include "toolkit/skin/skin_object_scrollbar.h"
#include "toolkit/skin/skin_object_spin.h"
#include "toolkit/skin/skin_object_tab.h"
#include "toolkit/skin/skin_object_toolbar.h"
#include "toolkit/skin/skin_object_trackbar.h"

namespace {

template <typename T>
CTKSkinObject* Create() {
  return new T();
}

}  // namespace

std::wstring SkinClassKey(const wchar_t* className) {
  std::wstring s = className ? className : L"";
  if (!s.empty()) CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

std::map<std::wstring, CTKSkinObjectFactory> MakeSkinObjectTable() {
  struct Entry {
    const wchar_t* name;
    const wchar_t* alias;
    CTKSkinObjectFactory factory;
  };
  const Entry entries[] = {
      {L"ComboBox", L"ComboBoxEx32", &Create<CTKSkinObjectComboBox>},
      {L"Edit", L"SysDateTimePick32", &Create<CTKSkinObjectEdit>},
      {L"ListBox", L"ComboLBox", &Create<CTKSkinObjectListBox>},
      {L"ScrollBar", L"ATL:ScrollBar", &Create<CTKSkinObjectScrollBar>},
      {L"SysListView32", nullptr, &Create<CTKSkinObjectListView>},
      {L"SysHeader32", nullptr, &Create<CTKSkinObjectHeader>},
      {L"msctls_statusbar32", nullptr, &Create<CTKSkinObjectStatusBar>},
      {L"SysTreeView32", nullptr, &Create<CTKSkinObjectTreeView>},
      {L"msctls_progress32", nullptr, &Create<CTKSkinObjectProgress>},
      {L"msctls_trackbar32", nullptr, &Create<CTKSkinObjectTrackBar>},
      {L"SysTabControl32", nullptr, &Create<CTKSkinObjectTab>},
      {L"MDIClient", nullptr, &Create<CTKSkinObjectMDIClient>},
      {L"msctls_updown32", nullptr, &Create<CTKSkinObjectSpin>},
      {L"ToolbarWindow32", nullptr, &Create<CTKSkinObjectToolBar>},
      {L"Button", nullptr, &Create<CTKSkinObjectButton>},
      // The menu system of Vista and later draws its own popup menus.
      {L"#32768", nullptr, GetWindowsVersionInfo().IsVersionAtLeast(6, 0) ? nullptr : &Create<CTKSkinObjectMenu>},
      {L"SysPager", nullptr, nullptr},
  };
  std::map<std::wstring, CTKSkinObjectFactory> table;
  for (const Entry& e : entries) {
    table[SkinClassKey(e.name)] = e.factory;
    if (e.alias && table.find(SkinClassKey(e.alias)) == table.end()) table[SkinClassKey(e.alias)] = e.factory;
  }
  return table;
}

CTKSkinObject* MakeFrameSkinObject() { return new CTKSkinObjectFrame(L"WINDOW"); }
