#include <gtest/gtest.h>

#include "platform/appframe/frame_messages.h"
#include "platform/appframe/ole_item.h"
#include "platform/win/scoped_resource.h"

namespace {

class CFakeItem : public COleClientItem {
 public:
  std::vector<Verb> verbs;
  std::vector<Verb> GetVerbs() const override { return verbs; }
  CString GetUserTypeName() const override { return L"Sheet"; }
};

CString ItemText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

TEST(OleItemTest, TheVerbMenuHasOneItemOrAPopupOfVerbs) {
  CFakeItem item;
  KestrinWinNS::CScopedMenu menu(CreatePopupMenu());
  // No verbs: a disabled "Object" entry.
  EXPECT_FALSE(item.AddVerbMenu(menu.Get(), 0, ID_OLE_VERB_FIRST, ID_OLE_VERB_LAST));
  EXPECT_EQ(CString(L"&Object"), ItemText(menu.Get(), 0));
  EXPECT_TRUE(GetMenuState(menu.Get(), 0, MF_BYPOSITION) & MF_GRAYED);
  DeleteMenu(menu.Get(), 0, MF_BYPOSITION);

  item.verbs = {{0, L"&Edit", 0}};
  EXPECT_TRUE(item.AddVerbMenu(menu.Get(), 0, ID_OLE_VERB_FIRST, ID_OLE_VERB_LAST));
  EXPECT_EQ(CString(L"&Edit Sheet &Object"), ItemText(menu.Get(), 0));
  EXPECT_EQ(ID_OLE_VERB_FIRST, GetMenuItemID(menu.Get(), 0));
  DeleteMenu(menu.Get(), 0, MF_BYPOSITION);

  // Many verbs: one popup entry, its items numbered from the first id and cut at the last.
  for (LONG i = 0; i < 20; ++i) item.verbs.push_back({i + 1, L"Verb", 0});
  EXPECT_TRUE(item.AddVerbMenu(menu.Get(), 0, ID_OLE_VERB_FIRST, ID_OLE_VERB_LAST));
  EXPECT_EQ(CString(L"Sheet &Object"), ItemText(menu.Get(), 0));
  HMENU popup = GetSubMenu(menu.Get(), 0);
  ASSERT_NE(nullptr, popup);
  EXPECT_EQ(16, GetMenuItemCount(popup));
  EXPECT_EQ(ID_OLE_VERB_FIRST, GetMenuItemID(popup, 0));
  EXPECT_EQ(ID_OLE_VERB_LAST, GetMenuItemID(popup, 15));
}

TEST(OleItemTest, ADocumentWithoutSelectionHasNoItem) {
  COleDocument document;
  EXPECT_EQ(nullptr, document.GetPrimarySelectedItem(nullptr));
  COleClientItem item;
  EXPECT_EQ(COleClientItem::emptyState, item.GetItemState());
  EXPECT_TRUE(item.GetVerbs().empty());
}

}  // namespace
