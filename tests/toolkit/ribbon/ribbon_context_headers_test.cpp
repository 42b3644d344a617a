// Context headers: runs of context tabs share a header, headers are at least 40 pixels wide
// and fit the free caption, the title moves aside, and what cannot fit is dropped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/ribbon/ribbon_context_headers.h"
#include "toolkit/ribbon/ribbon_control_tab.h"

namespace {

struct Tab {
  int left, right, colour;
  const wchar_t* caption;
};

struct Case {
  const char* name;
  std::vector<Tab> tabs;
  RECT free;
  RECT title;
  std::vector<RECT> headers;  // left and right of each; top 4 and bottom 30 always
  int title_left;
  bool dropped = false;  // the headers did not fit
};

constexpr int kCaptionTop = 0, kCaptionBottom = 30;

TEST(RibbonContextHeaders, BuildFitAndKeepClearOfTheTitle) {
  const Case cases[] = {
      {"one run", {{0, 50, 0, L""}, {50, 110, 1, L"Tools"}, {110, 170, 1, L"Tools"}}, {0, 0, 400, 30}, {300, 0, 380, 30},
       {{50, 0, 170, 0}}, 300},
      {"another caption", {{50, 110, 1, L"A"}, {110, 170, 1, L"B"}}, {0, 0, 400, 30}, {300, 0, 380, 30},
       {{50, 0, 110, 0}, {110, 0, 170, 0}}, 300},
      {"a normal tab ends the run", {{50, 110, 2, L"A"}, {110, 170, 0, L""}, {170, 230, 2, L"A"}}, {0, 0, 400, 30},
       {300, 0, 380, 30}, {{50, 0, 110, 0}, {170, 0, 230, 0}}, 300},
      {"no caption is no context", {{50, 110, 2, L""}}, {0, 0, 400, 30}, {300, 0, 380, 30}, {}, 300},
      {"narrow tab", {{100, 120, 3, L"X"}}, {0, 0, 400, 30}, {300, 0, 380, 30}, {{100, 0, 140, 0}}, 300},
      {"pushed back from the right", {{370, 390, 1, L"X"}}, {0, 0, 400, 30}, {0, 0, 0, 0}, {{360, 0, 400, 0}}, 0},
      {"overruns the left", {{100, 150, 1, L"A"}, {150, 170, 2, L"B"}}, {100, 0, 160, 30}, {0, 0, 0, 0}, {}, 0, true},
      {"title moves right", {{100, 200, 1, L"A"}}, {0, 0, 500, 30}, {150, 0, 250, 30}, {{100, 0, 200, 0}}, 200},
      {"headers give way left", {{300, 400, 1, L"A"}}, {0, 0, 450, 30}, {320, 0, 440, 30}, {{230, 0, 330, 0}}, 330},
      {"title moves left", {{200, 300, 1, L"A"}}, {0, 0, 500, 30}, {150, 0, 260, 30}, {{200, 0, 300, 0}}, 90},
      {"no room either side", {{60, 300, 1, L"A"}}, {0, 0, 320, 30}, {40, 0, 200, 30}, {}, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* row = new CTKRibbonControlTab(nullptr);
    for (const Tab& t : c.tabs) {
      CTKRibbonTab* tab = row->InsertTab(row->ItemCount(), L"tab");
      tab->SetRect(RECT{t.left, 30, t.right, 53});
      tab->SetContextColour(t.colour);
      tab->SetContextCaption(t.caption);
    }
    CTKRibbonContextHeaders headers;
    RECT title = c.title;
    EXPECT_EQ(headers.Build(*row, kCaptionTop, kCaptionBottom, c.free, title), !c.dropped);
    ASSERT_EQ(headers.Count(), static_cast<int>(c.headers.size()));
    for (int i = 0; i < headers.Count(); ++i) {
      EXPECT_EQ(headers.At(i).rect.left, c.headers[i].left) << i;
      EXPECT_EQ(headers.At(i).rect.right, c.headers[i].right) << i;
      EXPECT_EQ(headers.At(i).rect.top, kCaptionTop + 4);
      EXPECT_EQ(headers.At(i).rect.bottom, kCaptionBottom);
    }
    if (!c.headers.empty()) {
      EXPECT_EQ(title.left, c.title_left);
      EXPECT_EQ(title.right - title.left, c.title.right - c.title.left);
    }
    // Every tab links to the header over it, or to none when the headers were dropped.
    for (int i = 0; i < row->ItemCount(); ++i) {
      const CTKRibbonTabContextHeader* header = row->TabAt(i)->ContextHeader();
      if (!header) continue;
      EXPECT_FALSE(c.headers.empty());
      EXPECT_EQ(header->colour, row->TabAt(i)->ContextColour());
    }
    headers.Clear();
    row->InternalRelease();
  }
}

TEST(RibbonContextHeaders, HitTestFindsTheHeaderAndItsFirstTab) {
  auto* row = new CTKRibbonControlTab(nullptr);
  CTKRibbonTab* first = row->InsertTab(0, L"Design");
  CTKRibbonTab* second = row->InsertTab(1, L"Layout");
  first->SetRect(RECT{100, 30, 160, 53});
  second->SetRect(RECT{160, 30, 220, 53});
  for (CTKRibbonTab* tab : {first, second}) {
    tab->SetContextColour(5);
    tab->SetContextCaption(L"Table Tools");
  }
  CTKRibbonContextHeaders headers;
  RECT title{0, 0, 0, 0};
  ASSERT_TRUE(headers.Build(*row, 0, 30, RECT{0, 0, 600, 30}, title));
  const CTKRibbonTabContextHeader* hit = headers.HitTest(POINT{200, 10});
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->first, first);
  EXPECT_EQ(hit->last, second);
  EXPECT_EQ(second->ContextHeader(), hit);
  EXPECT_EQ(headers.HitTest(POINT{90, 10}), nullptr);
  EXPECT_EQ(headers.HitTest(POINT{200, 2}), nullptr);  // above the header's top
  headers.Clear();
  EXPECT_EQ(first->ContextHeader(), nullptr);
  row->InternalRelease();
}

}  // namespace
