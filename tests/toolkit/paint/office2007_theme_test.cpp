#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/drawing/test_main.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/paint/office2007_theme.h"

using namespace TKCommandBars;
using TKPaintThemes::CTKOffice2007Theme;

namespace {

// The theme over the test's own image set (FULL_INI or PARTIAL_INI and the fixture bitmaps).
struct Theme {
  explicit Theme(const wchar_t* ini = L"FULL_INI") {
    EXPECT_TRUE(set.AttachResourceModule(::GetModuleHandleW(nullptr), ini, false));
    pm = new CTKOffice2007Theme(&set);
    pm->ReloadColorsAndFonts();
  }
  ~Theme() { pm->Release(); }
  void Use(const wchar_t* ini) {
    ASSERT_TRUE(set.AttachResourceModule(::GetModuleHandleW(nullptr), ini, false));
    pm->ReloadColorsAndFonts();
  }
  CTKOffice2007ImageSet set;
  CTKOffice2007Theme* pm;
};

// A bar window of a type and position, drawn by the theme.
struct Bar {
  Bar(CTKPaintManager* pm, int type, int position, int w = 100, int h = 26) {
    bar = new CTKCommandBar;
    bar->SetType(type);
    bar->SetPosition(position);
    bar->SetPaintManager(pm);
    bar->Create(nullptr, WS_POPUP, RECT{0, 0, w, h});
  }
  ~Bar() {
    bar->DestroyWindow();
    bar->Release();
  }
  CTKCommandBar* bar;
};

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGround = RGB(9, 9, 9);

TEST(Office2007Theme, DrawsByPixels) {
  Theme t;
  CTKOffice2007Theme& pm = *t.pm;
  using Draw = std::function<void(CDC*)>;
  auto state = [](int bar_type, bool selected, int pressed, int checked, bool enabled = true) {
    CTKPaintManager::ItemState s;
    s.bar_type = bar_type;
    s.selected = selected;
    s.pressed = pressed;
    s.checked = checked;
    s.enabled = enabled;
    return s;
  };
  Bar tool(&pm, kToolBar, kTop), menu(&pm, kMenuBar, kTop), popup(&pm, kPopupBar, kPopup);
  CTKControlGallery* gallery = new CTKControlGallery;
  CTKControlGalleryItems* items = new CTKControlGalleryItems;
  for (int i = 0; i < 30; ++i) items->AddItem(i + 1, L"");
  gallery->SetItems(items);
  items->Release();
  Bar holder(&pm, kToolBar, kTop, 200, 80);
  holder.bar->GetControls()->Add(gallery, 0);
  gallery->Release();
  const CRect gallery_rect(0, 0, 120, 60);

  struct Case {
    const char* element;
    const char* state;
    Draw draw;
    int x, y;
    COLORREF expected;
  } cases[] = {
      {"tool bar", "top row", [&](CDC* dc) { pm.PaintBarBackground(dc, tool.bar); }, 50, 0, RGB(230, 240, 250)},
      {"tool bar", "shadow line", [&](CDC* dc) { pm.PaintBarBackground(dc, tool.bar); }, 50, 25, RGB(77, 88, 99)},
      {"menu bar", "face", [&](CDC* dc) { pm.PaintBarBackground(dc, menu.bar); }, 50, 13, RGB(101, 111, 121)},
      {"popup bar", "face", [&](CDC* dc) { pm.PaintBarBackground(dc, popup.bar); }, 50, 13, RGB(246, 246, 246)},
      {"popup bar", "border", [&](CDC* dc) { pm.PaintBarBackground(dc, popup.bar); }, 0, 13, RGB(19, 20, 221)},
      {"button", "hot face", [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, true, 0, 0)); },
       10, 10, RGB(79, 80, 181)},
      {"button", "hot border", [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, true, 0, 0)); },
       0, 10, RGB(64, 65, 166)},
      {"button", "pressed face", [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, true, 1, 0)); },
       10, 10, RGB(85, 86, 187)},
      {"button", "pressed border",
       [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, true, 1, 0)); }, 19, 10,
       RGB(70, 71, 172)},
      {"button", "checked face", [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, false, 0, 1)); },
       10, 10, RGB(82, 83, 184)},
      {"button", "checked border",
       [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, false, 0, 1)); }, 10, 0,
       RGB(76, 77, 178)},
      {"button", "normal draws nothing",
       [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, false, 0, 0)); }, 10, 10, kGround},
      {"button", "disabled and hot draws nothing",
       [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kToolBar, true, 0, 0, false)); }, 10, 10,
       kGround},
      {"menu item", "hot face", [&](CDC* dc) { pm.PaintStateRect(dc, CRect(0, 0, 20, 20), state(kPopupBar, true, 0, 0)); },
       10, 10, RGB(61, 62, 163)},
      {"status bar", "shadow line", [&](CDC* dc) { pm.PaintStatusBackground(dc, CRect(0, 0, 100, 22)); }, 50, 0,
       RGB(11, 21, 131)},
      {"status bar", "top gradient", [&](CDC* dc) { pm.PaintStatusBackground(dc, CRect(0, 0, 100, 22)); }, 50, 1,
       RGB(200, 210, 220)},
      {"status bar", "bottom gradient", [&](CDC* dc) { pm.PaintStatusBackground(dc, CRect(0, 0, 100, 22)); }, 50, 9,
       RGB(150, 160, 170)},
      {"status pane", "edge line", [&](CDC* dc) { pm.PaintStatusPaneEdge(dc, CRect(0, 0, 40, 20), false); }, 39, 5,
       RGB(37, 38, 239)},
      {"status pane", "white beside it", [&](CDC* dc) { pm.PaintStatusPaneEdge(dc, CRect(0, 0, 40, 20), false); }, 40, 5,
       kWhite},
      {"status pane", "beside the grip: nothing",
       [&](CDC* dc) { pm.PaintStatusPaneEdge(dc, CRect(0, 0, 40, 20), true); }, 39, 5, kGround},
      {"size grip", "dot", [&](CDC* dc) { pm.PaintSizeGrip(dc, CRect(0, 0, 20, 20)); }, 17, 17, RGB(37, 38, 239)},
      {"size grip", "dot shadow", [&](CDC* dc) { pm.PaintSizeGrip(dc, CRect(0, 0, 20, 20)); }, 19, 19, kWhite},
      {"size grip", "third dot of the bottom row", [&](CDC* dc) { pm.PaintSizeGrip(dc, CRect(0, 0, 20, 20)); }, 9, 17,
       RGB(37, 38, 239)},
      {"size grip", "no third dot in the top row", [&](CDC* dc) { pm.PaintSizeGrip(dc, CRect(0, 0, 20, 20)); }, 9, 9,
       kGround},
      {"gallery", "normal face",
       [&](CDC* dc) {
         gallery->SetSelected(0);
         pm.GalleryPaintManager()->PaintGalleryBack(dc, gallery, gallery_rect);
       },
       50, 30, RGB(250, 251, 252)},
      {"gallery", "hot face",
       [&](CDC* dc) {
         gallery->SetSelected(1);
         pm.GalleryPaintManager()->PaintGalleryBack(dc, gallery, gallery_rect);
         gallery->SetSelected(0);
       },
       50, 30, RGB(240, 200, 100)},
      {"gallery", "border",
       [&](CDC* dc) {
         gallery->SetShowBorders(true);
         pm.GalleryPaintManager()->PaintGalleryBack(dc, gallery, gallery_rect);
         gallery->SetShowBorders(false);
       },
       0, 30, RGB(60, 70, 80)},
      {"gallery", "label face",
       [&](CDC* dc) { pm.GalleryPaintManager()->PaintGroupLabel(dc, gallery, CRect(0, 0, 100, 19), L""); }, 50, 5,
       RGB(43, 44, 245)},
      {"gallery", "label line",
       [&](CDC* dc) { pm.GalleryPaintManager()->PaintGroupLabel(dc, gallery, CRect(0, 0, 100, 19), L""); }, 50, 18,
       RGB(197, 197, 197)},
      {"workspace", "corner image", [&](CDC* dc) { pm.PaintClientArea(dc, CRect(0, 0, 100, 100)); }, 2, 2,
       RGB(5, 105, 205)},
      {"workspace", "corner image stretched along the top", [&](CDC* dc) { pm.PaintClientArea(dc, CRect(0, 0, 100, 100)); },
       95, 2, RGB(5, 105, 205)},
      {"workspace", "gradient below the image", [&](CDC* dc) { pm.PaintClientArea(dc, CRect(0, 0, 100, 100)); }, 50, 8,
       RGB(124, 125, 226)},
      {"workspace", "excluded rectangle untouched",
       [&](CDC* dc) { pm.PaintClientArea(dc, CRect(0, 0, 100, 100), CRect(40, 40, 60, 60)); }, 50, 50, kGround},
      {"caption button", "hot background",
       [&](CDC* dc) { pm.PaintCaptionButton(dc, CRect(0, 0, 20, 20), 61536, false, true, true); }, 1, 1,
       RGB(180, 90, 10)},
      {"caption button", "hot and pressed background",
       [&](CDC* dc) { pm.PaintCaptionButton(dc, CRect(0, 0, 20, 20), 61536, true, true, true); }, 1, 1,
       RGB(90, 180, 10)},
      {"caption button", "normal: no background",
       [&](CDC* dc) { pm.PaintCaptionButton(dc, CRect(0, 0, 20, 20), 61536, false, false, true); }, 1, 1, kGround},
      {"caption button", "14 wide: the 13-pixel close glyph, hot",
       [&](CDC* dc) { pm.PaintCaptionButton(dc, CRect(0, 0, 14, 14), 61536, false, true, true); }, 7, 7, RGB(2, 2, 2)},
      {"caption button", "15 wide: any other command takes the 17-pixel restore glyph, disabled",
       [&](CDC* dc) { pm.PaintCaptionButton(dc, CRect(0, 0, 15, 17), 1234, false, false, false); }, 7, 8,
       RGB(14, 14, 14)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.element) + ", " + c.state);
    Canvas canvas(120, 110, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    c.draw(&dc);
    dc.Detach();
    EXPECT_EQ(c.expected, canvas.At(c.x, c.y));
  }
}

TEST(Office2007Theme, GalleryScrollButtonsFromTheImageSet) {
  Theme t;
  Bar holder(t.pm, kToolBar, kTop, 200, 80);
  CTKControlGallery* gallery = new CTKControlGallery;
  CTKControlGalleryItems* items = new CTKControlGalleryItems;
  for (int i = 0; i < 30; ++i) items->AddItem(i + 1, L"");
  gallery->SetItems(items);
  items->Release();
  holder.bar->GetControls()->Add(gallery, 0);
  gallery->Release();
  CTKCommandBar* drop_down = new CTKCommandBar;
  gallery->SetCommandBar(drop_down);
  drop_down->Release();
  gallery->SetRect(CRect(0, 0, 120, 60));
  const int x = 120 - 7;
  struct Case {
    const char* name;
    int scroll, hot_part;
    bool gallery_hot;
    int y;
    COLORREF expected;
  } cases[] = {
      {"up at the top is disabled", 0, 0, false, 10, RGB(200, 200, 0)},
      {"down, normal", 0, 0, false, 21 + 9, RGB(0, 200, 0)},
      {"down, the gallery hot", 0, 0, true, 21 + 9, RGB(50, 200, 0)},
      {"down, the button hot", 0, CTKScrollBase::kPartDownArrow, true, 21 + 9, RGB(100, 200, 0)},
      {"up, scrolled", 40, 0, false, 10, RGB(200, 0, 0)},
      {"down at the end is disabled", 100000, 0, false, 21 + 9, RGB(200, 200, 50)},
      {"more, normal", 0, 0, false, 50, RGB(0, 0, 200)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gallery->SetScrollPos(c.scroll);
    gallery->SetHotPart(c.hot_part);
    gallery->SetSelected(c.gallery_hot ? 1 : 0);
    gallery->SetHotPart(c.hot_part);
    Canvas canvas(130, 70, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    t.pm->GalleryPaintManager()->PaintInlineScroller(&dc, gallery);
    dc.Detach();
    EXPECT_EQ(c.expected, canvas.At(x, c.y));
  }
  EXPECT_EQ(17, t.pm->GalleryPaintManager()->ScrollArrowSize());
  EXPECT_EQ(21, t.pm->GalleryPaintManager()->UpButtonHeight());
}

// A gallery without a drop-down, in a bar at `position`: it shows the scroll bar.
struct ScrolledGallery {
  ScrolledGallery(CTKPaintManager* pm, int position, int rows, int height)
      : holder(pm, position == kPopup ? kPopupBar : kToolBar, position, 200, 200) {
    gallery = new CTKControlGallery;
    CTKControlGalleryItems* items = new CTKControlGalleryItems;
    items->SetItemSize(CSize(100, 20));
    for (int i = 0; i < rows; ++i) items->AddItem(i + 1, L"");
    gallery->SetItems(items);
    items->Release();
    holder.bar->GetControls()->Add(gallery, 0);
    gallery->Release();
    gallery->SetRect(CRect(0, 0, 120, height));
  }
  // The scroll bar as the theme draws it.
  void Paint(CTKPaintManager* pm, Canvas& canvas) {
    CDC dc;
    dc.Attach(canvas.dc());
    pm->GalleryPaintManager()->PaintPopupScroller(&dc, gallery);
    dc.Detach();
  }
  Bar holder;
  CTKControlGallery* gallery;
};

TEST(Office2007Theme, GalleryScrollBarFromTheImageSet) {
  Theme t;
  // The fixture's parts (make_office2007_fixture.py): each state its own colour.
  const COLORREF light_arrow[4] = {RGB(10, 230, 230), RGB(20, 230, 230), RGB(30, 230, 230), RGB(40, 230, 230)};
  const COLORREF dark_arrow[4] = {RGB(10, 130, 130), RGB(20, 130, 130), RGB(30, 130, 130), RGB(40, 130, 130)};
  const COLORREF up_glyph[4] = {RGB(60, 1, 1), RGB(61, 1, 1), RGB(62, 1, 1), RGB(63, 1, 1)};
  const COLORREF down_glyph[4] = {RGB(60, 2, 2), RGB(61, 2, 2), RGB(62, 2, 2), RGB(63, 2, 2)};
  const COLORREF thumb[2] = {RGB(230, 10, 230), RGB(230, 20, 230)};
  const COLORREF grip[2] = {RGB(90, 9, 9), RGB(90, 19, 19)};
  enum Where { kUpArrow, kUpGlyph, kDownArrow, kDownGlyph, kTrack, kThumbEdge, kThumbMiddle };
  struct Case {
    const char* name;
    int position, rows, height, hot;
    bool enabled;
    Where where;
    COLORREF expected;
  } cases[] = {
      {"in a drop-down the light track", kPopup, 30, 120, 0, true, kTrack, RGB(230, 230, 10)},
      {"on a tool bar the dark track", kTop, 30, 120, 0, true, kTrack, RGB(130, 130, 10)},
      {"light arrows in a drop-down", kPopup, 30, 120, 0, true, kUpArrow, light_arrow[0]},
      {"dark arrows on a tool bar", kTop, 30, 120, 0, true, kDownArrow, dark_arrow[0]},
      {"a hot up arrow", kPopup, 30, 120, CTKScrollBase::kPartUpArrow, true, kUpArrow, light_arrow[1]},
      {"its glyph hot too", kPopup, 30, 120, CTKScrollBase::kPartUpArrow, true, kUpGlyph, up_glyph[1]},
      {"the down glyph from its own column", kPopup, 30, 120, 0, true, kDownGlyph, down_glyph[0]},
      {"a disabled gallery's arrows", kPopup, 30, 120, 0, false, kDownArrow, light_arrow[3]},
      {"and their glyphs", kPopup, 30, 120, 0, false, kUpGlyph, up_glyph[3]},
      {"a disabled gallery has no thumb", kPopup, 30, 120, 0, false, kThumbEdge, RGB(230, 230, 10)},
      {"the thumb", kPopup, 30, 120, 0, true, kThumbEdge, thumb[0]},
      {"a hot thumb", kPopup, 30, 120, CTKScrollBase::kPartThumb, true, kThumbEdge, thumb[1]},
      {"a tall thumb holds the grip", kPopup, 8, 120, 0, true, kThumbMiddle, grip[0]},
      {"in the thumb's state", kPopup, 8, 120, CTKScrollBase::kPartThumb, true, kThumbMiddle, grip[1]},
      {"a short thumb has none", kPopup, 200, 120, 0, true, kThumbMiddle, thumb[0]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScrolledGallery g(t.pm, c.position, c.rows, c.height);
    g.gallery->SetEnabled(c.enabled);
    g.gallery->UpdateGeometry();
    g.gallery->SetHotPart(c.hot);
    const TKScrollBarGeometry& geometry = g.gallery->Geometry();
    ASSERT_FALSE(geometry.bar.IsRectEmpty());
    const int x = geometry.bar.left + 2, mid = geometry.bar.CenterPoint().x;
    const int thumb_mid = (geometry.thumb_top + geometry.thumb_bottom) / 2;
    if (c.where == kThumbMiddle) {
      ASSERT_LT(geometry.thumb_bottom, geometry.down_start);
      EXPECT_EQ(c.rows == 8, geometry.thumb_bottom - geometry.thumb_top > 13);
    }
    const POINT at[] = {{x, geometry.bar.top + 2},
                        {mid, (geometry.bar.top + geometry.up_end) / 2},
                        {x, geometry.bar.bottom - 3},
                        {mid, (geometry.down_start + geometry.bar.bottom) / 2},
                        {x, geometry.down_start - 2},
                        {x, geometry.thumb_top + 1},
                        {mid, thumb_mid}};
    Canvas canvas(130, 200, kGround);
    g.Paint(t.pm, canvas);
    EXPECT_EQ(c.expected, canvas.At(at[c.where].x, at[c.where].y));
  }
}

// A plain, enabled control of a menu bar takes the image set's menu-bar text colour; any other
// state, and every control of another kind of bar, takes what the theme below it gives.
TEST(Office2007Theme, MenuBarTextColourForPlainEnabledMenuBarControls) {
  Theme t;
  CTKOffice2007Theme& pm = *t.pm;
  using State = CTKPaintManager::ItemState;
  struct Case {
    const char* what;
    State state;
    bool menu_text;
  };
  auto with = [](int type, std::function<void(State&)> change) {
    State s;
    s.bar_type = type;
    change(s);
    return s;
  };
  const Case cases[] = {
      {"plain on a menu bar", with(kMenuBar, [](State&) {}), true},
      {"selected", with(kMenuBar, [](State& s) { s.selected = true; }), false},
      {"pressed", with(kMenuBar, [](State& s) { s.pressed = 1; }), false},
      {"checked", with(kMenuBar, [](State& s) { s.checked = 1; }), false},
      {"popped", with(kMenuBar, [](State& s) { s.popped = true; }), false},
      {"disabled", with(kMenuBar, [](State& s) { s.enabled = false; }), false},
      {"plain on a tool bar", with(kToolBar, [](State&) {}), false},
      {"plain on a popup bar", with(kPopupBar, [](State&) {}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int below = pm.TKPaintThemes::CTKOffice2003Theme::TextColorForState(c.state);
    const int answer = pm.TextColorForState(c.state);
    if (c.menu_text) {
      EXPECT_EQ(RGB(16, 17, 218), pm.ResolveColor(answer));
      EXPECT_NE(pm.ResolveColor(below), pm.ResolveColor(answer));
    } else {
      EXPECT_EQ(below, answer);
    }
  }
}

TEST(Office2007Theme, AKeyMissingFromTheIniKeepsThePreviousColour) {
  Theme t;
  CTKOffice2007Theme& pm = *t.pm;
  // The base colour of index 30 as the theme's base gives it, before the INI.
  CTKOffice2007ImageSet empty;  // a module without INI text
  empty.AttachResourceModule(::GetModuleHandleW(L"kernel32.dll"), nullptr, false);
  ASSERT_FALSE(empty.HasIniText());
  CTKOffice2007Theme bare(&empty);
  bare.ReloadColorsAndFonts();
  const COLORREF base_face = bare.ResolveColor(30);
  const COLORREF base_selected_border = bare.ResolveColor(32);
  struct Case {
    const char* key;
    std::function<COLORREF()> read;
    COLORREF full, partial;
  } cases[] = {
      {"ToolbarFace (colour 30)", [&] { return pm.ResolveColor(30); }, RGB(34, 35, 236), base_face},
      {"HighlightSelectedBorder (colour 32)", [&] { return pm.ResolveColor(32); }, RGB(64, 65, 166),
       base_selected_border},
      {"MenuBarText", [&] { return pm.MenuBarTextColor(); }, RGB(16, 17, 218), RGB(16, 17, 218)},
      {"StatusBarShadow", [&] { return pm.StatusBarShadowColor(); }, RGB(11, 21, 131), RGB(11, 21, 131)},
      {"WorkspaceClientTop", [&] { return pm.WorkspaceColor(0); }, RGB(124, 125, 226), RGB(124, 125, 226)},
      {"ControlGalleryNormal",
       [&] { return static_cast<TKPaintThemes::CTKControlGalleryOffice2007Theme*>(pm.GalleryPaintManager())->NormalColor(); },
       RGB(250, 251, 252), RGB(250, 251, 252)},
      {"a key present in both (ToolbarSeparator, colour 39)", [&] { return pm.ResolveColor(39); }, RGB(37, 38, 239),
       RGB(37, 38, 239)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.full, c.read()) << c.key << " from the full INI";
  t.Use(L"PARTIAL_INI");
  for (const Case& c : cases) {
    EXPECT_EQ(c.partial, c.read()) << c.key << " from the INI without it";
    EXPECT_NE(CLR_INVALID, c.read()) << c.key;
  }
  // Drawn: the workspace below the corner image keeps its colour.
  Canvas canvas(100, 100, kGround);
  CDC dc;
  dc.Attach(canvas.dc());
  pm.PaintClientArea(&dc, CRect(0, 0, 100, 100));
  dc.Detach();
  EXPECT_EQ(RGB(124, 125, 226), canvas.At(50, 8));
}

TEST(Office2007Theme, TheFrameCaptionFontIsTheSystemsCaptionFontAtNormalWeightAndNotTiny) {
  Theme t;
  LOGFONTW font{};
  ASSERT_NE(0, ::GetObjectW(t.pm->FrameCaptionFont().GetSafeHandle(), sizeof(font), &font));
  EXPECT_EQ(FW_NORMAL, font.lfWeight);
  EXPECT_FALSE(font.lfHeight > -11 && font.lfHeight < 0) << font.lfHeight;
  NONCLIENTMETRICSW metrics{sizeof(metrics)};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  if (metrics.lfCaptionFont.lfHeight <= -11) EXPECT_EQ(metrics.lfCaptionFont.lfHeight, font.lfHeight);
}

TEST(Office2007Theme, FrameRegionAndThemeNumber) {
  Theme t;
  EXPECT_EQ(nullptr, t.pm->WindowFrameRegion(true, 100, 80, false, 4));
  struct Case {
    bool status_bar;
    int border;
    POINT inside, outside;
  } cases[] = {
      {false, 4, {0, 79}, {3, 0}},   // square bottom corners
      {true, 4, {1, 77}, {0, 79}},   // rounded bottom above a status bar
      {true, 3, {0, 79}, {1, 0}},    // a thin border keeps them square
  };
  for (const Case& c : cases) {
    KestrinWinNS::CScopedRegion region(t.pm->WindowFrameRegion(false, 100, 80, c.status_bar, c.border));
    ASSERT_TRUE(region.Get());
    EXPECT_TRUE(::PtInRegion(region.Get(), c.inside.x, c.inside.y)) << c.status_bar << c.border;
    EXPECT_FALSE(::PtInRegion(region.Get(), c.outside.x, c.outside.y)) << c.status_bar << c.border;
    EXPECT_TRUE(::PtInRegion(region.Get(), 4, 0));
  }
  CTKPaintManager* by_number = NewThemeByNumber(5);
  EXPECT_EQ(5, by_number->ThemeNumber());
  by_number->Release();
}

TEST(Office2007Theme, ProjectImageSetGivesEveryColour) {
  // The project's own image set, as the toolkit ships it.
  HMODULE module = ::LoadLibraryW(Office2007ModulePath().c_str());
  ASSERT_TRUE(module);
  CTKOffice2007ImageSet set;
  ASSERT_TRUE(set.AttachResourceModule(module, nullptr, true));
  CTKOffice2007Theme* pm = new CTKOffice2007Theme(&set);
  pm->ReloadColorsAndFonts();
  for (const wchar_t* key : {L"ToolbarFace", L"ToolbarFaceShadow", L"MenuBarText", L"ControlLabel"})
    EXPECT_NE(CLR_INVALID, set.ColorFromIni(L"Toolbar", key)) << key;
  for (const wchar_t* key : {L"HighlightSelected", L"BorderActive0", L"CaptionTextActive"})
    EXPECT_NE(CLR_INVALID, set.ColorFromIni(L"Window", key)) << key;
  for (const wchar_t* image : {L"WORKSPACETOPLEFT", L"CONTROLGALLERYUP", L"CONTROLGALLERYDOWN",
                               L"CONTROLGALLERYPOPUP", L"FRAMECAPTIONBUTTON", L"FRAMECAPTIONCLOSE13", L"STATUSBARLIGHT",
                               L"STATUSBARDARK", L"FRAMEBOTTOMLEFT", L"FRAMEBOTTOMRIGHT"})
    EXPECT_TRUE(pm->ImageNamed(image)) << image;
  EXPECT_EQ(set.ColorFromIni(L"Toolbar", L"ToolbarFace"), pm->ResolveColor(30));
  pm->Release();
}

TEST(Office2007Theme, ProjectImageSetDrawsTheCaptionBandGlyphsAndGalleryScrollBar) {
  HMODULE module = ::LoadLibraryW(Office2007ModulePath().c_str());
  ASSERT_TRUE(module);
  CTKOffice2007ImageSet set;
  ASSERT_TRUE(set.AttachResourceModule(module, nullptr, true));
  CTKOffice2007Theme* pm = new CTKOffice2007Theme(&set);
  pm->ReloadColorsAndFonts();
  // The caption band comes from its images: not the flat fill of border colour 3 that stands
  // in without them, and the inactive band apart from the active one.
  COLORREF band[2];
  for (int active = 0; active < 2; ++active) {
    Canvas canvas(200, 120, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    TKPaintThemes::TKFrameInfo frame;
    frame.size = CSize(200, 120);
    frame.border = 4;
    frame.caption_height = 26;
    frame.active = active != 0;
    pm->PaintWindowFrame(&dc, frame);
    dc.Detach();
    band[active] = canvas.At(100, 13);
    EXPECT_NE(pm->FrameBorderColor(active != 0, 3), band[active]) << active;
    EXPECT_NE(kGround, band[active]) << active;
  }
  EXPECT_NE(band[0], band[1]);
  // Every caption glyph: each command at each of the three sizes draws something.
  for (int command : {61536, 61472, 61488, 61728}) {
    for (int width : {14, 20, 30}) {
      Canvas canvas(40, 40, kWhite);
      CDC dc;
      dc.Attach(canvas.dc());
      pm->PaintCaptionButton(&dc, CRect(0, 0, width, width), command, false, false, true);
      dc.Detach();
      int drawn = 0;
      for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x) drawn += canvas.At(x, y) != kWhite;
      EXPECT_GE(drawn, 5) << command << " at " << width;
    }
  }
  // The gallery's scroll bar: light in a drop-down, dark elsewhere, neither the plain one.
  COLORREF track[2];
  for (int popup = 0; popup < 2; ++popup) {
    ScrolledGallery g(pm, popup ? kPopup : kTop, 30, 120);
    g.gallery->UpdateGeometry();
    const TKScrollBarGeometry& geometry = g.gallery->Geometry();
    Canvas canvas(130, 200, kGround);
    g.Paint(pm, canvas);
    track[popup] = canvas.At(geometry.bar.CenterPoint().x, geometry.down_start - 2);
    EXPECT_NE(kGround, track[popup]);
    EXPECT_NE(::GetSysColor(COLOR_SCROLLBAR), track[popup]);
    EXPECT_NE(canvas.At(geometry.bar.left + 2, geometry.bar.top + 2),
              canvas.At(geometry.bar.CenterPoint().x, (geometry.bar.top + geometry.up_end) / 2))
        << "the up arrow's glyph";
  }
  EXPECT_NE(track[0], track[1]);
  pm->Release();
}

}  // namespace

namespace {

TEST(Office2007Theme, WindowFrameBorderColumnsAndBottomLine) {
  Theme t;
  const COLORREF active[4] = {RGB(88, 89, 190), RGB(91, 92, 193), RGB(94, 95, 196), RGB(97, 98, 199)};
  const COLORREF inactive0 = RGB(100, 101, 202), inactive3 = RGB(109, 110, 211);
  struct Case {
    const char* name;
    int border;
    bool active, maximized, status_bar;
    int x, y;
    COLORREF expected;
  } cases[] = {
      {"3-pixel border, column 0", 3, true, false, false, 0, 50, active[0]},
      {"3-pixel border, column 2", 3, true, false, false, 2, 50, active[2]},
      {"3-pixel border, column 3 is the client's", 3, true, false, false, 3, 50, kGround},
      {"6-pixel border, column 3", 6, true, false, false, 3, 50, active[3]},
      {"6-pixel border, column 5", 6, true, false, false, 5, 50, active[3]},
      {"right side mirrors the left", 6, true, false, false, 199 - 1, 50, active[1]},
      {"bottom line, active", 6, true, false, false, 100, 119, active[0]},
      {"bottom line, maximised", 6, true, true, false, 100, 119, active[3]},
      {"bottom line, inactive", 6, false, false, false, 100, 119, inactive0},
      {"bottom border above the line, inactive", 6, false, false, false, 100, 116, inactive3},
      {"beside a status bar the light strip continues its face", 6, true, false, true, 2, 100, RGB(210, 60, 60)},
      {"and the dark strip on the right", 6, true, false, true, 200 - 3, 100, RGB(60, 60, 210)},
      {"column 0 runs down beside a status bar", 6, true, false, true, 0, 100, active[0]},
      {"the outer column on the right too", 6, true, false, true, 199, 100, active[0]},
      {"lower left corner above a status bar, active", 6, true, false, true, 0, 119, RGB(20, 200, 20)},
      {"lower left corner, inactive", 6, false, false, true, 1, 118, RGB(20, 120, 20)},
      {"lower right corner", 6, true, false, true, 199, 119, RGB(150, 20, 150)},
      {"no corners on a 3-pixel border", 3, true, false, true, 0, 119, active[0]},
      {"no corners without a status bar", 6, true, false, false, 0, 119, active[0]},
      {"caption band without its images: colour 3", 6, true, false, false, 100, 10, RGB(97, 98, 199)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(200, 120, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    TKPaintThemes::TKFrameInfo frame;
    frame.size = CSize(200, 120);
    frame.border = c.border;
    frame.caption_height = 24;
    frame.active = c.active;
    frame.maximized = c.maximized;
    frame.status_bar = c.status_bar;
    frame.status_height = 20;
    t.pm->PaintWindowFrame(&dc, frame);
    dc.Detach();
    EXPECT_EQ(c.expected, canvas.At(c.x, c.y));
  }
}

using ScopedIcon = KestrinWinNS::CScopedIcon;

HICON g_drag_icon = nullptr;
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_QUERYDRAGICON) return reinterpret_cast<LRESULT>(g_drag_icon);
  return ::DefWindowProcW(hwnd, msg, w, l);
}

TEST(Office2007Theme, FrameSmallIconTakesTheFirstIconTheFrameHas) {
  Theme t;
  ScopedIcon own = SolidIcon(16, RGB(200, 0, 0)), fromClass = SolidIcon(16, RGB(0, 200, 0)),
             dragged = SolidIcon(16, RGB(0, 0, 200));
  WNDCLASSEXW plain{sizeof(plain)};
  plain.lpfnWndProc = &FrameProc;
  plain.hInstance = ::GetModuleHandleW(nullptr);
  plain.lpszClassName = L"TK2007IconPlain";
  ::RegisterClassExW(&plain);
  WNDCLASSEXW withIcon = plain;
  withIcon.lpszClassName = L"TK2007IconClass";
  withIcon.hIconSm = fromClass.Get();
  ::RegisterClassExW(&withIcon);
  const HICON system = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32517));
  struct Case {
    const char* what;
    const wchar_t* cls;
    DWORD style, ex;
    bool setIcon;
    HICON drag;
    HICON expected;
  } cases[] = {
      {"a tool window has none", L"TK2007IconPlain", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, true, nullptr, nullptr},
      {"no system menu, none", L"TK2007IconPlain", WS_POPUP | WS_CAPTION, 0, true, nullptr, nullptr},
      {"the window's own", L"TK2007IconClass", WS_OVERLAPPEDWINDOW, 0, true, nullptr, own.Get()},
      {"else its class's", L"TK2007IconClass", WS_OVERLAPPEDWINDOW, 0, false, nullptr, fromClass.Get()},
      {"a dialog frame stops there", L"TK2007IconPlain", WS_OVERLAPPEDWINDOW, WS_EX_DLGMODALFRAME, false,
       dragged.Get(), nullptr},
      {"else the one offered for dragging", L"TK2007IconPlain", WS_OVERLAPPEDWINDOW, 0, false, dragged.Get(),
       dragged.Get()},
      {"else the system's", L"TK2007IconPlain", WS_OVERLAPPEDWINDOW, 0, false, nullptr, system},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_drag_icon = c.drag;
    HWND frame = ::CreateWindowExW(c.ex, c.cls, L"frame", c.style, 0, 0, 200, 100, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, frame);
    if (c.setIcon) ::SendMessageW(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(own.Get()));
    EXPECT_EQ(c.expected, t.pm->FrameSmallIcon(frame));
    ::DestroyWindow(frame);
  }
  g_drag_icon = nullptr;

  // The caption shows it from x = 7, centred below the top border.
  HWND frame = ::CreateWindowExW(0, L"TK2007IconPlain", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(own.Get()));
  Canvas canvas(200, 120, kGround);
  CDC dc;
  dc.Attach(canvas.dc());
  TKPaintThemes::TKFrameInfo info;
  info.size = CSize(200, 120);
  info.border = 4;
  info.caption_height = 30;
  info.window = frame;
  t.pm->PaintWindowFrame(&dc, info);
  dc.Detach();
  ::DestroyWindow(frame);
  const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
  const int top = 4 + (30 - 4 - cy) / 2;
  EXPECT_EQ(RGB(200, 0, 0), canvas.At(7, top));
  EXPECT_EQ(RGB(200, 0, 0), canvas.At(7 + cx - 1, top + cy - 1));
  EXPECT_NE(RGB(200, 0, 0), canvas.At(6, top));
}

}  // namespace
