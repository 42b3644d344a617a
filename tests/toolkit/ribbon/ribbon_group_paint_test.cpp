// Groups drawn in the ribbon under its theme: a group's caption and a collapsed group's button
// are the theme's own drawing of them, pixel for pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/ribbon/ribbon_fixed_group.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "tests/toolkit/ribbon/ribbon_test_theme.h"
#include "toolkit/ribbon/ribbon_group_popup.h"
#include "toolkit/ribbon/ribbon_tab.h"

namespace {

constexpr COLORREF kGround = RGB(255, 0, 255);
// The first state of "RIBBONGROUPQUICKACCESS" in the tests' image set (make_ribbon_images.py).
constexpr COLORREF kGroupQuickAccessFace = RGB(30, 0, 90);
// "POPUPBARFRAME", which stands in for the more popup's frame the test set lacks.
constexpr COLORREF kPopupBarFrame = RGB(170, 0, 90);

// The pixels where two canvases of one size differ.
int Differing(const Canvas& a, const Canvas& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.At(x, y) != b.At(x, y);
  return n;
}

class RibbonGroupPaint : public RibbonThemeTest<> {};

TEST_F(RibbonGroupPaint, AGroupsCaptionIsTheThemesGroupCaption) {
  for (bool option_button : {false, true}) {
    SCOPED_TRACE(option_button);
    RibbonFixture f;
    f.manager.SetPaintManager(theme_);
    auto* group = new FixedGroup;
    group->SetCaption(L"Clipboard");
    group->SetOptionButton(option_button);
    f.ribbon->AddGroup(f.home, group);
    group->AddButtons(2, 600);
    f.Layout(800);
    const RECT rect = group->Rect();
    const int caption_height = f.ribbon->GroupCaptionHeight();
    const int w = rect.right, h = rect.bottom;
    Canvas drawn(w, h, kGround), expected(w, h, kGround), blank(w, h, kGround);
    group->Draw(drawn.dc(), rect);
    theme_->PaintGroupCaption(expected.dc(), RECT{rect.left, rect.bottom - caption_height, rect.right, rect.bottom},
                              L"Clipboard", option_button);
    EXPECT_GT(Differing(expected, blank), 0);  // the caption is there
    EXPECT_EQ(0, Differing(drawn, expected));
  }
}

TEST_F(RibbonGroupPaint, ACollapsedGroupsButtonIsTheThemesCollapsedGroup) {
  struct Case {
    const char* what;
    int context_colour;
    bool selected;
  };
  const Case cases[] = {{"normal", 0, false}, {"selected", 0, true}, {"on a context tab", 3, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RibbonFixture f;
    f.manager.SetPaintManager(theme_);
    f.home->SetContextColour(c.context_colour);
    auto* button = new CTKRibbonGroupControlPopup(f.group);
    button->SetCaption(L"Font");
    f.ribbon->GetControls()->InsertAt(button, -1);
    button->Release();
    button->SetRect(CRect(4, 4, 64, 70));
    button->SetSelected(c.selected ? 1 : 0);
    Canvas drawn(70, 76, kGround), expected(70, 76, kGround);
    CDC dc;
    dc.Attach(drawn.dc());
    button->Draw(&dc);
    dc.Detach();
    CTKRibbonTheme::CCollapsedGroup face;
    face.rect = RECT{4, 4, 64, 70};
    face.context_colour = c.context_colour;
    face.selected = c.selected;
    face.caption = L"Font";
    theme_->PaintCollapsedGroup(expected.dc(), face);
    EXPECT_NE(kGround, expected.At(34, 8));  // the button's face is there
    EXPECT_EQ(0, Differing(drawn, expected));
  }
}

// A collapsed group's button copied into the quick-access bar is a small button there with the
// quick-access face; the bar stays as high as its buttons.
TEST_F(RibbonGroupPaint, ACollapsedGroupsButtonInTheQuickAccessBarIsASmallQuickAccessButton) {
  RibbonFixture f;
  f.manager.SetPaintManager(theme_);
  f.Layout();
  const int plain_height = f.ribbon->QuickAccessHeight();
  auto* button = new CTKRibbonGroupControlPopup(f.group);
  button->SetCaption(L"Font");
  ASSERT_TRUE(f.ribbon->CanJoinQuickAccess(button));
  CTKControl* copy = f.ribbon->AddToQuickAccess(button);
  button->Release();
  ASSERT_NE(nullptr, copy);
  f.Layout();
  const int side = theme_->Metrics().control_height;
  EXPECT_EQ(CSize(side, side), copy->GetRect().Size());
  EXPECT_EQ(plain_height, f.ribbon->QuickAccessHeight());
  const CRect rect = copy->GetRect();
  Canvas canvas(rect.right + 2, rect.bottom + 2, kGround);
  CDC dc;
  dc.Attach(canvas.dc());
  copy->Draw(&dc);
  dc.Detach();
  EXPECT_EQ(kGroupQuickAccessFace, canvas.At(rect.CenterPoint().x, rect.CenterPoint().y));
}

// The popup of the quick-access bar's more button is drawn with the theme's more-popup frame;
// under another paint manager it keeps the plain popup face.
TEST_F(RibbonGroupPaint, TheMorePopupHasTheThemesFrame) {
  for (bool ribbon_theme : {true, false}) {
    SCOPED_TRACE(ribbon_theme ? "ribbon theme" : "Office 2007 theme");
    RibbonFixture f(400, 600, true);
    auto* plain = new TKPaintThemes::CTKOffice2007Theme(&images_);
    plain->ReloadColorsAndFonts();
    f.manager.SetPaintManager(ribbon_theme ? static_cast<CTKPaintManager*>(theme_) : plain);
    f.AddQuickAccess(12, 40);
    f.Layout(400);
    CTKControl* more = f.ribbon->MoreButton();
    ASSERT_TRUE(more->IsVisible());
    f.ribbon->SetTrackingMode(1, false, false);
    ASSERT_TRUE(f.ribbon->SetPopupOpen(more->GetIndex(), false));
    auto* popup = dynamic_cast<CTKRibbonBar::CMorePopupToolBar*>(more->GetCommandBar());
    ASSERT_NE(nullptr, popup);
    const CRect client = popup->GetClientRect();
    ASSERT_GT(client.Width(), 8);
    ASSERT_GT(client.Height(), 8);
    Canvas canvas(client.Width(), client.Height(), kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    popup->FillBackground(&dc);
    dc.Detach();
    const COLORREF inside = canvas.At(client.Width() / 2, client.Height() - 2);
    if (ribbon_theme)
      EXPECT_EQ(kPopupBarFrame, inside);
    else
      EXPECT_EQ(plain->ResolveColor(41), inside);
    f.ribbon->SetPopupOpen(-1, false);
    f.ribbon->SetTrackingMode(0, false, false);
    f.manager.SetPaintManager(nullptr);
    plain->InternalRelease();
  }
}

}  // namespace
