#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appframe/dc.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/paint/default_theme.h"

using namespace TKCommandBars;

namespace {

// A gallery (no bar) with a collection of items; the rectangle is the items area unless the
// gallery shows borders or a scroll bar.
struct Gallery {
  Gallery() {
    gallery = new CTKControlGallery;
    items = new CTKControlGalleryItems;
    gallery->SetShowScrollBar(false);
    gallery->SetItems(items);
  }
  ~Gallery() {
    items->Release();
    gallery->Release();
  }
  // Items of the given widths (40 high unless said), captions "i<n>".
  void AddItems(std::initializer_list<int> widths, int height = 40) {
    for (int w : widths) {
      CTKControlGalleryItem* item = items->AddItem(items->GetCount() + 1, L"i" + std::to_wstring(items->GetCount()));
      item->SetSize(CSize(w, height));
    }
  }
  CTKControlGallery* gallery;
  CTKControlGalleryItems* items;
};

TEST(GalleryLayout, RowsAndLabelsTable) {
  struct Item {
    bool label;
    int width;
  };
  struct Case {
    const char* name;
    std::vector<Item> items;
    bool labels;
    int area_width;
    std::vector<RECT> expected;  // in content coordinates, area top-left (0, 0)
    int content;
  } cases[] = {
      {"three 40-pixel items in 100 pixels: two rows", {{false, 40}, {false, 40}, {false, 40}}, true, 100,
       {{0, 0, 40, 40}, {40, 0, 80, 40}, {0, 40, 40, 80}}, 80},
      {"exact fit stays on the row", {{false, 50}, {false, 50}}, true, 100, {{0, 0, 50, 40}, {50, 0, 100, 40}}, 40},
      {"width 0 takes the whole row", {{false, 0}, {false, 30}}, true, 100, {{0, 0, 100, 40}, {0, 40, 30, 80}}, 80},
      {"label heads a row 19 high, next row 20 below",
       {{true, 0}, {false, 40}, {false, 40}, {true, 0}, {false, 40}},
       true,
       100,
       {{0, 0, 100, 19}, {0, 20, 40, 60}, {40, 20, 80, 60}, {0, 60, 100, 79}, {0, 80, 40, 120}},
       120},
      {"hidden labels take no space", {{true, 0}, {false, 40}, {true, 0}, {false, 40}}, false, 100,
       {{0, 0, 0, 0}, {0, 0, 40, 40}, {0, 0, 0, 0}, {40, 0, 80, 40}}, 40},
      {"item wider than the area gets a row of its own", {{false, 30}, {false, 150}, {false, 30}}, true, 100,
       {{0, 0, 30, 40}, {0, 40, 150, 80}, {0, 80, 30, 120}}, 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gallery g;
    for (const Item& it : c.items) {
      if (it.label)
        g.items->AddLabel(L"group");
      else
        g.AddItems({it.width});
    }
    g.gallery->SetShowLabels(c.labels);
    g.gallery->SetRect(CRect(10, 5, 10 + c.area_width, 205));
    const auto& pos = g.gallery->Positions();
    ASSERT_EQ(c.expected.size(), pos.size());
    for (size_t i = 0; i < pos.size(); ++i) {
      CRect want(c.expected[i]);
      if (!want.IsRectEmpty()) want.OffsetRect(10, 5);
      EXPECT_EQ(want, pos[i].rect) << "item " << i;
    }
    EXPECT_EQ(c.content, g.gallery->GetContentHeight());
  }
}

TEST(GalleryLayout, ItemsAreaLosesBordersScrollColumnAndMargin) {
  Gallery g;
  g.gallery->SetShowBorders(true);
  g.gallery->SetShowScrollBar(true);
  g.gallery->SetMargin(CRect(2, 3, 4, 5));
  g.gallery->SetRect(CRect(0, 0, 200, 100));
  const int column = g.gallery->GetPaintManager()->GalleryPaintManager()->ScrollBarWidth();
  EXPECT_EQ(CRect(1 + 2, 1 + 3, 199 - column - 4, 99 - 5), g.gallery->GetItemsRect());
}

TEST(GalleryScrolling, PositionIsClampedTable) {
  struct Case {
    const char* name;
    int rows, set, expected;
  } cases[] = {
      {"past the end stops at content less area", 10, 1000, 400 - 100},
      {"negative stops at 0", 10, -50, 0},
      {"inside", 10, 120, 120},
      {"content shorter than the area stays 0", 2, 30, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gallery g;
    for (int i = 0; i < c.rows; ++i) g.AddItems({100});
    g.gallery->SetRect(CRect(0, 0, 100, 100));
    g.gallery->SetScrollPos(c.set);
    EXPECT_EQ(c.expected, g.gallery->GetScrollPos());
  }
}

TEST(GalleryScrolling, CommandsMoveByItemsAndPages) {
  Gallery g;
  g.items->SetItemSize(CSize(100, 40));
  for (int i = 0; i < 10; ++i) g.items->AddItem(i + 1, L"x");
  g.gallery->SetRect(CRect(0, 0, 100, 100));
  struct Step {
    int command, pos, expected;
  } steps[] = {
      {CTKScrollBase::kLineDown, 0, 40},  {CTKScrollBase::kPageDown, 0, 140}, {CTKScrollBase::kLineUp, 0, 100},
      {CTKScrollBase::kThumbTrack, 250, 250}, {7, 0, 300}, {CTKScrollBase::kPageUp, 0, 200}, {6, 0, 0},
  };
  for (const Step& s : steps) {
    g.gallery->OnScrollCommand(s.command, s.pos);
    EXPECT_EQ(s.expected, g.gallery->GetScrollPos()) << "command " << s.command;
  }
  g.gallery->OnMouseWheel(-WHEEL_DELTA);  // down three items
  EXPECT_EQ(120, g.gallery->GetScrollPos());
  g.gallery->OnMouseWheel(WHEEL_DELTA);
  EXPECT_EQ(0, g.gallery->GetScrollPos());
}

TEST(GalleryScrolling, EnsureVisibleBringsTheItemAndItsLabel) {
  Gallery g;
  g.items->AddLabel(L"first");                              // 0..19
  for (int i = 0; i < 4; ++i) g.AddItems({100}, 30);        // 20..140
  g.items->AddLabel(L"second");                             // 140..159
  for (int i = 0; i < 4; ++i) g.AddItems({100}, 30);        // 160..280
  g.gallery->SetRect(CRect(0, 0, 100, 100));
  g.gallery->EnsureVisible(9);  // bottom 280: scrolled so it meets the area's bottom
  EXPECT_EQ(180, g.gallery->GetScrollPos());
  g.gallery->EnsureVisible(6);  // top 160; its label at 140 fits with it
  EXPECT_EQ(140, g.gallery->GetScrollPos());
  g.gallery->SetScrollPos(300);
  g.gallery->EnsureVisible(4);  // top 110 bottom 140; label at 0 would not fit: the item's top
  EXPECT_EQ(110, g.gallery->GetScrollPos());
}

TEST(GalleryHitTest, FollowsTheScrollPositionAndSkipsLabels) {
  Gallery g;
  g.items->AddLabel(L"group");
  g.AddItems({50, 50, 50, 50});  // rows at 20 and 60
  g.gallery->SetRect(CRect(0, 0, 100, 50));
  CRect rc;
  EXPECT_EQ(-1, g.gallery->HitTestItem(CPoint(10, 10)));  // the label
  EXPECT_EQ(1, g.gallery->HitTestItem(CPoint(10, 25), &rc));
  EXPECT_EQ(CRect(0, 20, 50, 60), rc);
  g.gallery->SetScrollPos(40);
  EXPECT_EQ(3, g.gallery->HitTestItem(CPoint(10, 25), &rc));
  EXPECT_EQ(CRect(0, 20, 50, 60), rc);
  EXPECT_EQ(-1, g.gallery->HitTestItem(CPoint(10, 60)));  // outside the area
  g.gallery->SetEnabled(false);
  EXPECT_EQ(-1, g.gallery->HitTestItem(CPoint(10, 25)));
}

// A long gallery of mixed rows (labels, items of two heights, a whole-row item) scrolled to
// places that cut a row, a label or the gap under a label: every point of the area answers
// the item whose scrolled rectangle holds it, the rows above the view included in none.
TEST(GalleryHitTest, EveryPointOfAScrolledViewAnswersTheItemUnderItTable) {
  struct Case {
    const char* name;
    bool labels;
    int pos;
  } cases[] = {
      {"top", true, 0},
      {"a row cut in the middle", true, 333},
      {"a label cut", true, 5},
      {"the gap under a label", true, 19},
      {"far down", true, 900},
      {"labels hidden, a row cut", false, 333},
      {"labels hidden, far down", false, 871},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gallery g;
    for (int i = 0; i < 80; ++i) {
      if (i % 9 == 0) g.items->AddLabel(L"group");
      const int width = i % 13 == 5 ? 0 : 30 + (i * 7) % 31;
      g.AddItems({width}, i % 4 == 1 ? 45 : 30);
    }
    g.gallery->SetShowLabels(c.labels);
    g.gallery->SetRect(CRect(0, 0, 100, 90));
    g.gallery->SetScrollPos(c.pos);
    ASSERT_EQ(c.pos, g.gallery->GetScrollPos());
    const auto& positions = g.gallery->Positions();
    std::string wrong;
    for (int y = 0; y < 90; ++y)
      for (int x : {0, 29, 45, 70, 99}) {
        int expected = -1;
        for (int i = 0; i < static_cast<int>(positions.size()) && expected < 0; ++i) {
          CRect rc = positions[i].rect;
          rc.OffsetRect(0, -c.pos);
          if (!positions[i].item->IsLabel() && !rc.IsRectEmpty() && rc.PtInRect(CPoint(x, y))) expected = i;
        }
        const int got = g.gallery->HitTestItem(CPoint(x, y));
        if (got != expected && wrong.empty())
          wrong = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + std::to_string(got) + " for " +
                  std::to_string(expected);
      }
    EXPECT_EQ("", wrong);
  }
}

TEST(GalleryKeyboard, MovesTable) {
  // Rows of three 30-pixel items in a 100-pixel area: 0 1 2 / 3 4 5 / 6 7, with a label first.
  struct Case {
    const char* name;
    int from;  // index among the items (the label is index 0)
    UINT key;
    int expected;
    bool handled;
  } cases[] = {
      {"left on the first of a row wraps to its last", 1, VK_LEFT, 3, true},
      {"right on the last of a row wraps to its first", 3, VK_RIGHT, 1, true},
      {"right", 4, VK_RIGHT, 5, true},
      {"down keeps the column", 2, VK_DOWN, 5, true},
      {"down from the last row is refused", 7, VK_DOWN, 7, false},
      {"up keeps the column", 8, VK_UP, 5, true},
      {"home skips the label", 6, VK_HOME, 1, true},
      {"end", 2, VK_END, 8, true},
      {"tab does not wrap", 8, VK_TAB, 8, false},
      {"page down goes to the farthest within a page", 1, VK_NEXT, 8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gallery g;
    g.items->AddLabel(L"group");
    g.AddItems({30, 30, 30, 30, 30, 30, 30, 30}, 30);
    g.gallery->SetRect(CRect(0, 0, 100, 70));
    g.gallery->SelectItem(c.from);
    EXPECT_EQ(c.handled, g.gallery->OnHookKeyDown(c.key));
    EXPECT_EQ(c.expected, g.gallery->GetSelectedItem());
  }
}

TEST(GalleryKeyboard, LeftAndRightNeedTwoItemsAcross) {
  Gallery g;
  g.AddItems({60, 60});
  g.gallery->SetRect(CRect(0, 0, 100, 200));
  g.gallery->SelectItem(0);
  EXPECT_FALSE(g.gallery->OnHookKeyDown(VK_RIGHT));
  EXPECT_EQ(0, g.gallery->GetSelectedItem());
}

TEST(GalleryFind, ByTextTable) {
  Gallery g;
  for (const wchar_t* caption : {L"Red", L"Green", L"Blue", L"Grey", L"green"}) g.items->AddItem(1, caption);
  struct Case {
    const char* name;
    int start;
    const wchar_t* text;
    bool exact;
    int expected;
  } cases[] = {
      {"prefix from the start", -1, L"gr", false, 1},
      {"prefix after a match", 1, L"gr", false, 3},
      {"prefix wraps around", 4, L"re", false, 0},
      {"exact ignores case", 1, L"GREEN", true, 4},
      {"exact wraps to the start", 4, L"green", true, 1},
      {"longer than every caption", -1, L"Greenish", false, -1},
      {"empty text", -1, L"", false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, g.gallery->FindItem(c.start, c.text, c.exact));
  }
}

TEST(GalleryItems, AreSharedByTheGalleriesOfOneCommand) {
  CTKCommandBarManager manager;
  manager.EnableActions(true);
  CTKControls controls(nullptr, &manager);
  auto* first = new CTKControlGallery;
  auto* second = new CTKControlGallery;
  controls.Add(first, 500);
  controls.Add(second, 500);
  first->Release();
  second->Release();
  auto* items = new CTKControlGalleryItems;
  items->AddItem(1, L"one");
  items->AddItem(2, L"two");
  first->SetItems(items);
  items->Release();
  EXPECT_EQ(2, second->GetItemCount());
  EXPECT_EQ(L"two", second->GetItemText(1));
}

TEST(GalleryDrawing, ItemsByStateLabelsAndTheScrollBar) {
  TKPaintThemes::CTKDefaultTheme pm;
  pm.ReloadColorsAndFonts();
  SiteWindow site;
  TestBar* bar = new TestBar;
  bar->SetPaintManager(&pm);
  auto* gallery = new CTKControlGallery;
  bar->GetControls()->Add(gallery, 0);
  gallery->Release();
  auto* items = new CTKControlGalleryItems;
  items->SetItemSize(CSize(40, 30));
  items->AddLabel(L"");
  for (int i = 0; i < 12; ++i) items->AddItem(100 + i, L"");
  gallery->SetItems(items);
  items->Release();
  gallery->SetCheckedItem(102);
  gallery->SetRect(CRect(0, 0, 100, 80));  // items area 100 - scroll width across, two per row
  gallery->SelectItem(1);
  Canvas canvas(120, 90, RGB(1, 2, 3));
  CDC canvas_dc;
  canvas_dc.Attach(canvas.dc());
  CDC* dc = &canvas_dc;
  gallery->Draw(dc);
  const int column = pm.GalleryPaintManager()->ScrollBarWidth();
  struct Probe {
    const char* name;
    int x, y;
    COLORREF expected;
  } probes[] = {
      {"label face", 50, 8, pm.ResolveColor(56)},
      {"label line", 50, 18, pm.ResolveColor(52)},
      {"selected item", 20, 35, pm.ResolveColor(31 /* hot face */)},
      {"checked item (the face's pattern, same parity)", 21, 65, pm.ResolveColor(36)},
      {"plain item on the background", 60, 35, pm.ResolveColor(41)},
      {"outside the control", 110, 85, RGB(1, 2, 3)},
  };
  CTKPaintManager::ItemState hot;
  hot.selected = true;
  Canvas face(10, 10, pm.ResolveColor(41));
  CDC face_dc;
  face_dc.Attach(face.dc());
  pm.PaintStateRect(&face_dc, CRect(0, 0, 10, 10), hot);
  probes[2].expected = face.At(5, 5);
  CTKPaintManager::ItemState checked;
  checked.checked = 1;
  pm.PaintStateRect(&face_dc, CRect(0, 0, 10, 10), checked);
  probes[3].expected = face.At(5, 5);
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.expected, canvas.At(p.x, p.y));
  }
  // The scroll bar's thumb shows where the view is: scrolled one row, it moves down.
  const TKScrollBarGeometry before = gallery->Geometry();
  EXPECT_EQ(CRect(100 - column, 0, 100, 80), before.bar);
  gallery->OnScrollCommand(CTKScrollBase::kLineDown, 0);
  gallery->Draw(dc);
  EXPECT_GT(gallery->Geometry().thumb_top, before.thumb_top);
  // The label row is scrolled away: its place shows the first row's plain item.
  EXPECT_EQ(pm.ResolveColor(41), canvas.At(60, 8));
  bar->DestroyWindow();
  bar->Release();
}

// Scrolled down a long gallery to places that cut the row of the checked item at the top of
// the area, the visible part of that item still shows its face; at a place where its row is
// wholly above the area nothing of it is drawn.
TEST(GalleryDrawing, TheRowCutAtTheTopOfAScrolledViewIsDrawnTable) {
  TKPaintThemes::CTKDefaultTheme pm;
  pm.ReloadColorsAndFonts();
  SiteWindow site;
  TestBar* bar = new TestBar;
  bar->SetPaintManager(&pm);
  auto* gallery = new CTKControlGallery;
  bar->GetControls()->Add(gallery, 0);
  gallery->Release();
  auto* items = new CTKControlGalleryItems;
  items->SetItemSize(CSize(40, 30));
  items->AddLabel(L"");
  for (int i = 0; i < 60; ++i) items->AddItem(100 + i, L"");  // two a row: rows at 20, 50, 80, ...
  gallery->SetItems(items);
  items->Release();
  gallery->SetShowScrollBar(false);
  gallery->SetRect(CRect(0, 0, 80, 60));
  gallery->SetCheckedItem(100 + 2 * 20);  // the first item of the row at 20 + 20 * 30 = 620
  Canvas face(10, 10, pm.ResolveColor(41));
  CTKPaintManager::ItemState checked;
  checked.checked = 1;
  pm.PaintStateRect(face.cdc(), CRect(0, 0, 10, 10), checked);
  const COLORREF checked_face = face.At(5, 5);
  ASSERT_NE(pm.ResolveColor(41), checked_face);
  struct Case {
    const char* name;
    int pos;
    COLORREF expected;  // at (21, 1), the parity of (5, 5)
  } cases[] = {
      {"the row at the top", 620, checked_face},
      {"cut one pixel", 621, checked_face},
      {"cut to its last three pixels", 647, checked_face},
      {"wholly above", 650, pm.ResolveColor(41)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gallery->SetScrollPos(c.pos);
    ASSERT_EQ(c.pos, gallery->GetScrollPos());
    Canvas canvas(80, 60, RGB(1, 2, 3));
    gallery->Draw(canvas.cdc());
    EXPECT_EQ(c.expected, canvas.At(21, 1));
  }
  bar->DestroyWindow();
  bar->Release();
}

}  // namespace

namespace {

// A combo box on a bar whose drop-down is a gallery of four items.
struct GalleryDropDown : BarFixture {
  GalleryDropDown() : BarFixture(0) {
    combo = static_cast<CTKControlComboBox*>(bar->GetControls()->Add(kComboBox, 700));
    combo->SetDropDownListStyle(false);
    dropDown = new CTKControlComboBoxGalleryPopupBar;
    gallery = static_cast<CTKControlGallery*>(dropDown->GetControls()->Add(kGallery, 701));
    items = new CTKControlGalleryItems;
    items->SetItemSize(CSize(40, 20));
    for (const wchar_t* caption : {L"Red", L"Green", L"Blue", L"Grey"}) items->AddItem(items->GetCount() + 1, caption);
    gallery->SetItems(items);
    gallery->SetShowScrollBar(false);
    gallery->SetWidth(80);
    gallery->SetHeight(40);
    combo->SetDropDown(dropDown);
    bar->CalcSize(600, 0);
  }
  ~GalleryDropDown() {
    if (combo->IsFocused()) combo->TakeFocus(false);
    bar->SetPopupOpen(-1, false);
    items->Release();
    dropDown->Release();
  }
  CTKControlComboBox* combo;
  CTKControlComboBoxGalleryPopupBar* dropDown;
  CTKControlGallery* gallery;
  CTKControlGalleryItems* items;
};

}  // namespace

TEST(GalleryDropDown, TheCombosListOperationsMapOntoTheGallery) {
  GalleryDropDown f;
  EXPECT_EQ(f.combo, f.dropDown->GetCombo());
  EXPECT_EQ(nullptr, f.combo->GetList());
  EXPECT_EQ(f.gallery, f.dropDown->GetGallery());
  EXPECT_EQ(4, f.dropDown->GetCount());
  EXPECT_EQ(2, f.dropDown->FindStringExact(L"blue"));
  EXPECT_EQ(-1, f.dropDown->FindStringExact(L"Blu"));
  EXPECT_EQ(1, f.dropDown->FindString(L"gr"));
  EXPECT_EQ(L"Grey", f.dropDown->GetText(3));
  f.combo->SetCurSel(3);
  EXPECT_EQ(3, f.gallery->GetSelectedItem());
  EXPECT_EQ(L"Grey", f.combo->GetEditText());
}

TEST(GalleryDropDown, KeysMoveThroughTheGalleryEnterRunsTheComboTabIsRefusedEscapeCloses) {
  GalleryDropDown f;
  f.combo->SetEditText(L"Green");
  f.combo->TakeFocus(true);
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  ASSERT_TRUE(f.dropDown->IsTrackingMode());
  // Opening follows the text.
  EXPECT_EQ(1, f.gallery->GetSelectedItem());
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.dropDown->OnHookKeyDown(VK_RIGHT, 0));
  EXPECT_EQ(0, f.gallery->GetSelectedItem());  // Right wraps within the row of two
  EXPECT_EQ(L"Red", f.combo->GetEditText());
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.dropDown->OnHookKeyDown(VK_TAB, 0));
  EXPECT_EQ(0, f.gallery->GetSelectedItem());
  EXPECT_TRUE(f.combo->GetPopuped());
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.dropDown->OnHookKeyDown(VK_ESCAPE, 0));
  EXPECT_FALSE(f.combo->GetPopuped());

  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.dropDown->OnHookKeyDown(VK_DOWN, 0));
  EXPECT_EQ(2, f.gallery->GetSelectedItem());
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.dropDown->OnHookKeyDown(VK_RETURN, 0));
  EXPECT_FALSE(f.combo->GetPopuped());
  EXPECT_EQ(L"Blue", f.combo->GetEditText());
  EXPECT_EQ(std::vector<int>{700}, f.site.commands);
}
