// Where the caption buttons and the title go: which buttons a frame's style shows, their squares
// from the right edge, and the title kept clear of the quick-access bar and the buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "toolkit/ribbon/ribbon_caption_layout.h"

namespace {

constexpr int kWidth = 800, kCaption = 30, kBorder = 4;
// The buttons' squares: the band less the frame border above and 3 pixels below.
constexpr int kSide = kCaption - 3 - kBorder;

CTKRibbonCaptionLayout::CInputs Frame(DWORD style, DWORD ex_style = 0) {
  CTKRibbonCaptionLayout::CInputs in;
  in.caption = RECT{-kBorder, 0, kWidth + kBorder, kCaption};
  in.free = RECT{0, 0, kWidth, kCaption};
  in.frame_border = kBorder;
  in.style = style;
  in.ex_style = ex_style;
  in.title_width = 100;
  return in;
}

std::vector<int> Commands(const CTKRibbonCaptionLayout& layout) {
  std::vector<int> ids;
  for (const auto& b : layout.buttons) ids.push_back(b.command);
  return ids;
}

TEST(RibbonCaptionLayout, TheFrameStyleChoosesTheButtons) {
  struct Case {
    const char* name;
    DWORD style, ex_style;
    bool composition;
    std::vector<int> buttons;  // right to left
  };
  const DWORD normal = WS_OVERLAPPEDWINDOW;
  const Case cases[] = {
      {"normal frame", normal, 0, false, {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}},
      {"maximised frame", normal | WS_MAXIMIZE, 0, false, {SC_CLOSE, SC_RESTORE, SC_MINIMIZE}},
      {"tool window", normal, WS_EX_TOOLWINDOW, false, {SC_CLOSE}},
      {"no system menu", WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX, 0, false, {}},
      {"neither box", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, false, {SC_CLOSE}},
      {"maximize box only", WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, 0, false, {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}},
      {"maximised MDI child", WS_CHILD | normal | WS_MAXIMIZE, WS_EX_MDICHILD, false, {}},
      {"restored MDI child", WS_CHILD | normal, WS_EX_MDICHILD, false, {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}},
      {"composition draws its own", normal, 0, true, {}},
  };
  for (const Case& c : cases) {
    auto in = Frame(c.style, c.ex_style);
    in.composition = c.composition;
    const auto layout = CTKRibbonCaptionLayout::Place(in);
    EXPECT_EQ(Commands(layout), c.buttons) << c.name;
    // The free part ends where the buttons begin (100 pixels short with composition).
    const int used = c.composition ? CTKRibbonCaptionLayout::kSystemButtonsWidth
                                   : static_cast<int>(c.buttons.size()) * kSide;
    EXPECT_EQ(layout.free.right, kWidth - used) << c.name;
  }
}

TEST(RibbonCaptionLayout, ButtonsAreSquaresFromTheRightEdgeBelowTheBorder) {
  const auto layout = CTKRibbonCaptionLayout::Place(Frame(WS_OVERLAPPEDWINDOW));
  ASSERT_EQ(layout.buttons.size(), 3u);
  int right = kWidth;
  for (const auto& b : layout.buttons) {
    EXPECT_EQ(b.rect.right, right) << b.command;
    EXPECT_EQ(b.rect.right - b.rect.left, kSide) << b.command;
    EXPECT_EQ(b.rect.top, kBorder) << b.command;
    EXPECT_EQ(b.rect.bottom, kCaption - 3) << b.command;
    right = b.rect.left;
  }
  EXPECT_EQ(layout.free.top, kBorder);
  EXPECT_EQ(layout.free.bottom, kCaption - 3);
}

TEST(RibbonCaptionLayout, ButtonsAreEnabledByTheBoxesAndTheSystemMenu) {
  auto in = Frame(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  in.close_enabled = false;
  const auto layout = CTKRibbonCaptionLayout::Place(in);
  ASSERT_EQ(Commands(layout), (std::vector<int>{SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}));
  EXPECT_FALSE(layout.Find(SC_CLOSE)->enabled);
  EXPECT_FALSE(layout.Find(SC_MAXIMIZE)->enabled);
  EXPECT_TRUE(layout.Find(SC_MINIMIZE)->enabled);
}

TEST(RibbonCaptionLayout, TheTitleStaysBetweenTheQuickAccessBarAndTheButtons) {
  struct Case {
    const char* name;
    bool quick_access_above;
    int quick_access_right, customize_width, title_width;
    int left, right;  // the title's expected edges
  };
  const int buttons_left = kWidth - 3 * kSide;
  const int indent = -kBorder + CTKRibbonCaptionLayout::kTitleIndent;
  const int centre_width = buttons_left - indent;
  const Case cases[] = {
      // Short: centred between the indent and the buttons, 20 pixels wider than the text.
      {"short, no quick access", false, 0, 0, 100, indent + (centre_width - 120) / 2,
       indent + (centre_width - 120) / 2 + 120},
      {"short, clear of the quick-access bar", true, 120, 13, 100, indent + (centre_width - 120) / 2,
       indent + (centre_width - 120) / 2 + 120},
      // Centred it would run over the bar and its customise button: centred right of them.
      {"medium, over the bar", true, 200, 13, 500, 215, buttons_left},
      {"without a customise button 12 pixels are kept", true, 200, 0, 500, 212, buttons_left},
      // Too long for any room: cut to the space between the bar and the buttons.
      {"long", true, 150, 13, 2000, 165, buttons_left},
      {"long, no quick access", false, 0, 0, 2000, indent, buttons_left},
  };
  for (const Case& c : cases) {
    auto in = Frame(WS_OVERLAPPEDWINDOW);
    in.quick_access_above = c.quick_access_above;
    in.quick_access_right = c.quick_access_right;
    in.customize_width = c.customize_width;
    in.title_width = c.title_width;
    const auto layout = CTKRibbonCaptionLayout::Place(in);
    EXPECT_EQ(layout.title.left, c.left) << c.name;
    EXPECT_EQ(layout.title.right, c.right) << c.name;
    EXPECT_EQ(layout.title.top, kBorder) << c.name;
    if (c.quick_access_above) {
      EXPECT_GE(layout.title.left, layout.free.left) << c.name;
    }
    EXPECT_LE(layout.title.right, layout.Find(SC_MINIMIZE)->rect.left) << c.name;
  }
}

TEST(RibbonCaptionLayout, ANarrowBandLeavesNoTitleAndNoInvertedRectangles) {
  for (int width : {300, 120, 40, 0, -30}) {
    auto in = Frame(WS_OVERLAPPEDWINDOW);
    in.free.right = width;
    in.caption.right = width + kBorder;
    in.quick_access_above = true;
    in.quick_access_right = 100;
    in.customize_width = 13;
    const auto layout = CTKRibbonCaptionLayout::Place(in);
    EXPECT_LE(layout.title.left, layout.title.right) << width;
    EXPECT_LE(layout.free.left, layout.free.right) << width;
    EXPECT_GE(layout.title.left, layout.free.left) << width;
  }
}

}  // namespace
