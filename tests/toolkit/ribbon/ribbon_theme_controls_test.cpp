// The ribbon look of the bars' controls read back by pixels from an image set of solid strips
// (make_ribbon_control_images.py): tool-bar and split buttons alone and in connected rows,
// check and radio marks, the drop-down glyph, combo and spin buttons, menu items and the
// status bar; the colours the look fixes; and the glowing texts on glass.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/drawing/test_main.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/control_edit.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;
using ItemState = CTKPaintManager::ItemState;

namespace {

// The images in the generator's order; state s of image k is drawn in Strip(k, s).
enum Image {
  kButtons22, kButtons50, kSpecialSingle, kSpecialLeft, kSpecialRight, kSpecialCenter, kSpecialSplitLeft,
  kSpecialSplitCenter, kSpecialDropDownRight, kSpecialDropDownCenter, kSplit22, kSplit50, kSplitDropDown22,
  kSplitDropDown50, kCheckBox, kRadioButton, kDropDownGlyph, kComboDropDown, kSpin, kMenuChecked, kMenuSelected22,
  kMenuSelected54, kMenuSelectedDisabled22, kMenuSelectedDisabled54, kMenuSplitDropDown, kMenuPopupGlyph,
  kStatusLight, kStatusDivider, kStatusDark, kStatusGripper
};
COLORREF Strip(int k, int s) { return RGB(5 + 8 * k, 20 * s, 170); }
constexpr COLORREF kGround = RGB(255, 255, 255);
constexpr int kNone = -1;

ItemState State(bool selected, int pressed, bool enabled, int checked, bool popped, int bar_type = kRibbonBar) {
  ItemState s;
  s.selected = selected;
  s.selection = selected ? 1 : 0;
  s.pressed = pressed;
  s.enabled = enabled;
  s.checked = checked;
  s.popped = popped;
  s.bar_type = bar_type;
  s.bar_position = bar_type == kPopupBar ? kPopup : kTop;
  return s;
}

// A DC of the paint manager's kind over a canvas.
class Wrapped {
 public:
  explicit Wrapped(const Canvas& canvas) { dc_.Attach(canvas.dc()); }
  ~Wrapped() { dc_.Detach(); }
  CDC* get() { return &dc_; }

 private:
  CDC dc_;
};

// A button or split button whose popup state a test sets.
class TestControl : public CTKControlButton {
 public:
  explicit TestControl(int type) { SetType(type); }
  bool GetPopuped() const override { return popped; }
  bool popped = false;
};

void SetState(CTKControl* control, bool selected, int pressed, bool enabled, int checked) {
  control->SetSelected(selected ? 1 : 0);
  control->SetPressed(pressed);
  control->SetEnabled(enabled);
  control->SetChecked(checked);
}

// A group whose controls stand side by side in one row at their own sizes.
class RowGroup : public CTKRibbonGroup {
 public:
  void BeginLayout(HDC) override {
    int x = 0;
    for (CControlPosition& record : Positions()) {
      const int w = record.control->GetWidth(), h = record.control->GetHeight();
      record.rect = RECT{x, 0, x + w, h};
      record.hidden = false;
      x += w;
    }
    width_ = x;
  }
  int CurrentWidth(HDC) override { return width_ + 8; }
  bool Reduce(HDC, int) override { return false; }

 private:
  int width_ = 0;
};

class RibbonLook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(GetModuleHandleW(nullptr), L"RIBBON_LOOK_INI", false));
    theme_.reset(new CTKRibbonTheme(&images_));
    theme_->ReloadColorsAndFonts();
  }
  void TearDown() override { theme_.release()->Release(); }

  CTKOffice2007ImageSet images_;
  std::unique_ptr<CTKRibbonTheme> theme_;
};

// ---------------------------------------------------------------------------------------------

// A tool-bar button's face by its state, in the short image below 33 pixels and the tall one
// from there: plain and disabled buttons have none, a pressed button away from the pointer is
// only lit, a checked one shows checked even while disabled.
TEST_F(RibbonLook, ToolBarButtonFacesByStateAndHeight) {
  struct Case {
    const char* name;
    ItemState state;
    int strip;
  };
  const Case cases[] = {
      {"plain", State(false, 0, true, 0, false), kNone},
      {"hot", State(true, 0, true, 0, false), 0},
      {"pressed", State(true, 1, true, 0, false), 1},
      {"pressed, pointer away", State(false, 1, true, 0, false), 0},
      {"pressed by the keyboard", State(false, 2, true, 0, false), 1},
      {"open", State(false, 0, true, 0, true), 1},
      {"checked", State(false, 0, true, 1, false), 3},
      {"indeterminate", State(false, 0, true, 2, false), 3},
      {"checked and hot", State(true, 0, true, 1, false), 2},
      {"checked and pressed", State(true, 1, true, 1, false), 2},
      {"disabled and hot", State(true, 0, false, 0, false), kNone},
      {"disabled and checked", State(false, 0, false, 1, false), 3},
  };
  for (int height : {22, 32, 33, 50}) {
    const int image = height < 33 ? kButtons22 : kButtons50;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << height << " high");
      Canvas canvas(60, 60, kGround);
      Wrapped dc(canvas);
      theme_->PaintStateRect(dc.get(), CRect(5, 5, 45, 5 + height), c.state);
      EXPECT_EQ(canvas.At(25, 5 + height / 2), c.strip == kNone ? kGround : Strip(image, c.strip));
      EXPECT_EQ(canvas.At(2, 2), kGround);
    }
  }
}

// Items of popup bars: the highlight of a selected item (its own image when disabled, the tall
// ones from 33 pixels) and the checked cell by enabled state.
TEST_F(RibbonLook, MenuItemFacesBySelectionCheckAndHeight) {
  struct Case {
    const char* name;
    ItemState state;
    int height;
    int image, strip;
  };
  const Case cases[] = {
      {"plain", State(false, 0, true, 0, false, kPopupBar), 22, kNone, 0},
      {"selected", State(true, 0, true, 0, false, kPopupBar), 22, kMenuSelected22, 0},
      {"selected, tall", State(true, 0, true, 0, false, kPopupBar), 40, kMenuSelected54, 0},
      {"selected, disabled", State(true, 0, false, 0, false, kPopupBar), 22, kMenuSelectedDisabled22, 0},
      {"selected, disabled, tall", State(true, 0, false, 0, false, kPopupBar), 54, kMenuSelectedDisabled54, 0},
      {"disabled", State(false, 0, false, 0, false, kPopupBar), 22, kNone, 0},
      {"checked", State(false, 0, true, 1, false, kPopupBar), 22, kMenuChecked, 0},
      {"checked and selected", State(true, 0, true, 1, false, kPopupBar), 22, kMenuChecked, 0},
      {"checked, disabled", State(false, 0, false, 1, false, kPopupBar), 22, kMenuChecked, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(80, 60, kGround);
    Wrapped dc(canvas);
    theme_->PaintStateRect(dc.get(), CRect(0, 0, 80, c.height), c.state);
    EXPECT_EQ(canvas.At(40, c.height / 2), c.image == kNone ? kGround : Strip(c.image, c.strip));
    EXPECT_EQ(canvas.At(40, c.height), kGround);
  }
}

// Check and radio marks at 13 x 13: disabled, pressed, hot or normal, then checked four
// strips on and, for check boxes only, indeterminate eight on.
TEST_F(RibbonLook, CheckAndRadioMarksByStateAndCheck) {
  struct Case {
    int state, checked;  // the base's mark state (1 normal, 2 hot, 3 pressed, 4 disabled)
    int check_strip, radio_strip;
  };
  const Case cases[] = {
      {1, 0, 0, 0}, {2, 0, 1, 1}, {3, 0, 2, 2}, {4, 0, 3, 3},
      {1, 1, 4, 4}, {2, 1, 5, 5}, {3, 1, 6, 6}, {4, 1, 7, 7},
      {1, 2, 8, 4}, {2, 2, 9, 5}, {3, 2, 10, 6}, {4, 2, 11, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " checked " << c.checked);
    for (bool radio : {false, true}) {
      Canvas canvas(30, 30, kGround);
      Wrapped dc(canvas);
      // A larger rectangle: the mark keeps its own 13 x 13 at the top left.
      const CSize size = radio ? theme_->PaintRadioBox(dc.get(), CRect(4, 4, 28, 28), true, c.state, c.checked)
                               : theme_->PaintCheckBox(dc.get(), CRect(4, 4, 28, 28), true, c.state, c.checked);
      EXPECT_EQ(size, CSize(13, 13));
      const COLORREF expected = radio ? Strip(kRadioButton, c.radio_strip) : Strip(kCheckBox, c.check_strip);
      EXPECT_EQ(canvas.At(4, 4), expected) << radio;
      EXPECT_EQ(canvas.At(16, 16), expected) << radio;
      EXPECT_EQ(canvas.At(17, 10), kGround) << radio;
      EXPECT_EQ(canvas.At(10, 17), kGround) << radio;
    }
  }
}

// The horizontal drop-down arrow is the glyph image in its 5 x 4 cell around the point; a
// vertical one keeps the base's triangle in the given colour.
TEST_F(RibbonLook, DropDownGlyphFillsItsCellAroundThePoint) {
  Canvas canvas(40, 30, kGround);
  Wrapped dc(canvas);
  theme_->PaintSmallArrow(dc.get(), CPoint(20, 10), false, RGB(1, 2, 3));
  for (int y = 8; y < 12; ++y)
    for (int x = 18; x < 23; ++x) EXPECT_EQ(canvas.At(x, y), Strip(kDropDownGlyph, 0)) << x << "," << y;
  for (POINT p : {POINT{17, 10}, POINT{23, 10}, POINT{20, 7}, POINT{20, 12}})
    EXPECT_EQ(canvas.At(p.x, p.y), kGround) << p.x << "," << p.y;

  Canvas turned(40, 30, kGround);
  Wrapped turned_dc(turned);
  theme_->PaintSmallArrow(turned_dc.get(), CPoint(20, 10), true, RGB(1, 2, 3));
  int triangle = 0, glyph = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      triangle += turned.At(x, y) == RGB(1, 2, 3);
      glyph += turned.At(x, y) == Strip(kDropDownGlyph, 0);
    }
  EXPECT_GT(triangle, 0);
  EXPECT_EQ(glyph, 0);
}

// A button with a drop-down arrow draws the arrow in the state of the button: selected, plain
// or disabled.
TEST_F(RibbonLook, AButtonsArrowTakesTheButtonsState) {
  struct Case {
    const char* name;
    bool selected, enabled;
    int face, glyph;
  };
  const Case cases[] = {{"plain", false, true, kNone, 0}, {"selected", true, true, 0, 1}, {"disabled", false, false, kNone, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTKControl* button = new TestControl(kButtonPopup);
    button->SetRect(CRect(0, 0, 60, 22));
    SetState(button, c.selected, 0, c.enabled, 0);
    Canvas canvas(60, 22, kGround);
    Wrapped dc(canvas);
    theme_->PaintControl(dc.get(), button, true);
    EXPECT_EQ(canvas.At(54, 11), Strip(kDropDownGlyph, c.glyph));
    EXPECT_EQ(canvas.At(30, 2), c.face == kNone ? kGround : Strip(kButtons22, c.face));
    button->Release();
    // Outside an item the arrow is plain again.
    Canvas after(40, 30, kGround);
    Wrapped after_dc(after);
    theme_->PaintSmallArrow(after_dc.get(), CPoint(20, 10), false, 0);
    EXPECT_EQ(after.At(20, 10), Strip(kDropDownGlyph, 0));
  }
}

// A split button outside connected rows: its command part and drop-down part each in its own
// state (pressing one part leaves the other lit; an open drop-down leaves the command plain),
// the tall images for tall buttons, and the glyph in the drop-down part.
TEST_F(RibbonLook, SplitButtonPartsByStateAndHeight) {
  struct Case {
    const char* name;
    bool selected;
    int pressed;
    bool enabled;
    int checked;
    bool popped;
    int command, dropdown, glyph;
  };
  const Case cases[] = {
      {"plain", false, 0, true, 0, false, kNone, kNone, 0},
      {"hot", true, 0, true, 0, false, 0, 0, 1},
      {"command pressed", true, 3, true, 0, false, 1, 0, 1},
      {"drop-down pressed", true, 4, true, 0, false, 0, 1, 1},
      {"open", true, 0, true, 0, true, kNone, 1, 1},
      {"checked", false, 0, true, 1, false, 3, 3, 0},
      {"disabled", false, 0, false, 0, false, kNone, kNone, 3},
  };
  for (int height : {22, 40}) {
    const bool tall = height >= 33;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << height << " high");
      auto* split = new TestControl(kSplitButtonPopup);
      split->SetRect(CRect(0, 0, 60, height));
      SetState(split, c.selected, c.pressed, c.enabled, c.checked);
      split->popped = c.popped;
      Canvas canvas(60, height, kGround);
      Wrapped dc(canvas);
      theme_->PaintSplitButton(dc.get(), split);
      // The drop-down part is the split width and a pixel (13) at the right.
      const int middle = height / 2;
      EXPECT_EQ(canvas.At(20, middle), c.command == kNone ? kGround : Strip(tall ? kSplit50 : kSplit22, c.command));
      EXPECT_EQ(canvas.At(46, middle), c.command == kNone ? kGround : Strip(tall ? kSplit50 : kSplit22, c.command));
      EXPECT_EQ(canvas.At(49, 3),
                c.dropdown == kNone ? kGround : Strip(tall ? kSplitDropDown50 : kSplitDropDown22, c.dropdown));
      EXPECT_EQ(canvas.At(53, middle), Strip(kDropDownGlyph, c.glyph));
      // Magenta is the parts' transparent colour.
      EXPECT_EQ(canvas.At(0, 0), kGround);
      EXPECT_EQ(canvas.At(47, 0), kGround);
      split->Release();
    }
  }
}

// The place of a control in its row: rows are the visible records with its top, ordered by
// their left edges.
TEST(RibbonLookRows, APlaceInItsRowFromItsNeighbours) {
  struct Record {
    RECT rect;
    bool hidden;
  };
  struct Case {
    const char* name;
    std::vector<Record> records;  // the control asked about is the first
    CTKRibbonTheme::ConnectedPlace place;
  };
  const Case cases[] = {
      {"alone", {{{0, 0, 20, 22}, false}}, CTKRibbonTheme::kConnectedSingle},
      {"first of two", {{{0, 0, 20, 22}, false}, {{20, 0, 40, 22}, false}}, CTKRibbonTheme::kConnectedLeft},
      {"last of two", {{{20, 0, 40, 22}, false}, {{0, 0, 20, 22}, false}}, CTKRibbonTheme::kConnectedRight},
      {"between", {{{20, 0, 40, 22}, false}, {{40, 0, 60, 22}, false}, {{0, 0, 20, 22}, false}},
       CTKRibbonTheme::kConnectedCenter},
      {"others in another row", {{{20, 0, 40, 22}, false}, {{0, 22, 20, 44}, false}, {{40, 22, 60, 44}, false}},
       CTKRibbonTheme::kConnectedSingle},
      {"a hidden neighbour", {{{0, 0, 20, 22}, false}, {{20, 0, 40, 22}, true}}, CTKRibbonTheme::kConnectedSingle},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RowGroup group;
    std::vector<CTKControl*> controls;
    for (const Record& r : c.records) {
      controls.push_back(new TestControl(kButton));
      CTKRibbonGroup::CControlPosition position;
      position.control = controls.back();
      position.rect = r.rect;
      position.hidden = r.hidden;
      group.Positions().push_back(position);
    }
    EXPECT_EQ(CTKRibbonTheme::ConnectedPlaceOf(group, controls.front()), c.place);
    for (CTKControl* control : controls) control->Release();
  }
}

// Buttons of a group whose controls form a connected row: each takes the image of its place in
// the row and always has a face; out of such a row the same buttons have the plain look.
class RibbonLookConnected : public RibbonLook {
 protected:
  void SetUp() override {
    RibbonLook::SetUp();
    row_ = new RowGroup;
    row_->SetConnectedRow(true);
    fixture_.ribbon->AddGroup(fixture_.home, row_);
    for (int i = 0; i < 3; ++i) {
      CTKControl* control = new TestControl(i == 2 ? kSplitButtonPopup : kButton);
      control->SetID(601 + i);
      control->SetWidth(40);
      control->SetHeight(22);
      fixture_.ribbon->AddGroupControl(row_, control);
      controls_.push_back(control);
      control->Release();
    }
    fixture_.Layout(800);
  }

  // Draws `control` as the theme does in its bar, on a canvas the size of the ribbon.
  void Draw(CTKControl* control, Canvas* canvas) {
    Wrapped dc(*canvas);
    theme_->PaintControl(dc.get(), control, true);
  }
  static POINT Centre(CTKControl* control) {
    const CRect r = control->GetRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  RibbonFixture fixture_;
  RowGroup* row_ = nullptr;
  std::vector<CTKControl*> controls_;
};

TEST_F(RibbonLookConnected, EachButtonTakesItsPlaceAndState) {
  for (CTKControl* control : controls_) ASSERT_FALSE(control->GetRect().IsRectEmpty());
  struct Case {
    const char* name;
    bool selected;
    int pressed;
    bool enabled;
    int checked;
    int strip;
  };
  const Case cases[] = {
      {"plain", false, 0, true, 0, 0},       {"hot", true, 0, true, 0, 1},
      {"pressed", true, 1, true, 0, 2},      {"checked", false, 0, true, 1, 3},
      {"checked and hot", true, 0, true, 1, 4}, {"disabled", false, 0, false, 0, 0},
      {"disabled and checked", false, 0, false, 1, 3},
  };
  const int places[] = {kSpecialLeft, kSpecialCenter};
  for (int i = 0; i < 2; ++i) {
    CTKControl* button = controls_[static_cast<size_t>(i)];
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "button " << i << " " << c.name);
      SetState(button, c.selected, c.pressed, c.enabled, c.checked);
      Canvas canvas(800, 200, kGround);
      Draw(button, &canvas);
      const POINT centre = Centre(button);
      EXPECT_EQ(canvas.At(centre.x, centre.y), Strip(places[i], c.strip));
      const CRect r = button->GetRect();
      EXPECT_EQ(canvas.At(r.left, r.top), kGround);  // the magenta corner
    }
    SetState(button, false, 0, true, 0);
  }
  // The split button ends the row: the centre command part and the right drop-down part.
  CTKControl* split = controls_[2];
  SetState(split, true, 0, true, 0);
  Canvas canvas(800, 200, kGround);
  Draw(split, &canvas);
  const CRect r = split->GetRect();
  EXPECT_EQ(canvas.At(r.left + 10, r.top + 11), Strip(kSpecialSplitCenter, 1));
  EXPECT_EQ(canvas.At(r.right - 4, r.top + 3), Strip(kSpecialDropDownRight, 1));
}

TEST_F(RibbonLookConnected, ALoneSplitButtonStartsAndEndsItsRow) {
  auto* alone = new RowGroup;
  alone->SetConnectedRow(true);
  fixture_.ribbon->AddGroup(fixture_.home, alone);
  auto* split = new TestControl(kSplitButtonPopup);
  split->SetID(611);
  split->SetWidth(40);
  split->SetHeight(22);
  fixture_.ribbon->AddGroupControl(alone, split);
  split->Release();
  fixture_.Layout(800);
  ASSERT_FALSE(split->GetRect().IsRectEmpty());
  SetState(split, true, 0, true, 0);
  Canvas canvas(800, 200, kGround);
  Draw(split, &canvas);
  const CRect r = split->GetRect();
  EXPECT_EQ(canvas.At(r.left + 10, r.top + 11), Strip(kSpecialSplitLeft, 1));
  EXPECT_EQ(canvas.At(r.right - 4, r.top + 3), Strip(kSpecialDropDownRight, 1));
}

TEST_F(RibbonLookConnected, OutOfAConnectedRowButtonsAreFlat) {
  row_->SetConnectedRow(false);
  CTKControl* button = controls_[1];
  for (bool hot : {false, true}) {
    SetState(button, hot, 0, true, 0);
    Canvas canvas(800, 200, kGround);
    Draw(button, &canvas);
    const POINT centre = Centre(button);
    EXPECT_EQ(canvas.At(centre.x, 2 + button->GetRect().top), hot ? Strip(kButtons22, 0) : kGround) << hot;
  }
}

// The combo box's drop-down button and the edit's spin pair, each part in its state.
TEST_F(RibbonLook, ComboButtonByState) {
  struct Case {
    const char* name;
    ItemState state;
    int strip;
  };
  const Case cases[] = {
      {"plain", State(false, 0, true, 0, false), 0},  {"selected", State(true, 0, true, 0, false), 1},
      {"pressed", State(true, 1, true, 0, false), 2}, {"open", State(true, 0, true, 0, true), 3},
      {"disabled", State(true, 0, false, 0, false), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(40, 30, kGround);
    Wrapped dc(canvas);
    theme_->PaintComboDropDownButton(dc.get(), CRect(10, 2, 25, 22), c.state);
    EXPECT_EQ(canvas.At(17, 12), Strip(kComboDropDown, c.strip));
    EXPECT_EQ(canvas.At(10, 2), kGround);  // the magenta corner
    EXPECT_EQ(canvas.At(25, 12), kGround);
  }
}

TEST_F(RibbonLook, SpinButtonsEachInTheirState) {
  struct Case {
    const char* name;
    int selected, pressed;
    bool enabled;
    int up, down;
  };
  const Case cases[] = {
      {"plain", 0, 0, true, 0, 0},          {"control selected", 1, 0, true, 1, 1},
      {"pointer on up", 3, 0, true, 2, 1},  {"pointer on down", 4, 0, true, 1, 2},
      {"up pressed", 3, 3, true, 3, 1},     {"down pressed", 4, 4, true, 1, 3},
      {"down held, pointer away", 1, 4, true, 1, 1}, {"disabled", 3, 3, false, 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(40, 30, kGround);
    Wrapped dc(canvas);
    theme_->PaintSpinButtons(dc.get(), CRect(10, 1, 27, 21), c.enabled, c.selected, c.pressed);
    EXPECT_EQ(canvas.At(18, 5), Strip(kSpin, c.up));
    EXPECT_EQ(canvas.At(18, 16), Strip(kSpin, 5 + c.down));
    EXPECT_EQ(canvas.At(18, 22), kGround);
  }
}

// A combo box and an edit with spin buttons in a bar of the theme ask it for their buttons: no
// system button covers the look.
TEST_F(RibbonLook, ComboAndSpinControlsDrawTheirButtonsThroughTheTheme) {
  RibbonFixture f(800, 600, true);  // the combo measures its button once it stands in a window
  f.ribbon->SetPaintManager(theme_.get());
  auto* row = new RowGroup;
  f.ribbon->AddGroup(f.home, row);
  auto* combo = new CTKControlComboBox;
  combo->SetID(621);
  combo->SetWidth(120);
  combo->SetHeight(22);
  f.ribbon->AddGroupControl(row, combo);
  combo->Release();
  auto* edit = new CTKControlEdit;
  edit->SetID(622);
  edit->SetWidth(120);
  edit->SetHeight(22);
  edit->ShowSpinButtons(true);
  f.ribbon->AddGroupControl(row, edit);
  edit->Release();
  f.Layout(800);
  ASSERT_FALSE(combo->GetRect().IsRectEmpty());
  ASSERT_FALSE(edit->GetRect().IsRectEmpty());
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    combo->SetEnabled(enabled);
    edit->SetEnabled(enabled);
    edit->SetSelected(3);
    edit->SetPressed(3);
    Canvas canvas(800, 200, kGround);
    Wrapped dc(canvas);
    combo->Draw(dc.get());
    edit->Draw(dc.get());
    const CRect c = combo->GetRect(), e = edit->GetRect();
    EXPECT_EQ(canvas.At(c.right - 5, (c.top + c.bottom) / 2), Strip(kComboDropDown, enabled ? 0 : 4));
    EXPECT_EQ(canvas.At(e.right - 9, e.top + 4), Strip(kSpin, enabled ? 3 : 4));
    // The down button shows the control selected.
    EXPECT_EQ(canvas.At(e.right - 9, e.bottom - 4), Strip(kSpin, enabled ? 6 : 9));
  }
}

// An enabled, unselected edit in a ribbon group has the set's "ControlEditNormal" behind its
// text, even a colour whose value is as small as an entry number of the colour table.
TEST_F(RibbonLook, AnEditsBackgroundIsTheSetsEditColourEvenWhenItIsDark) {
  constexpr COLORREF kEditNormal = RGB(40, 0, 0);  // make_ribbon_control_images.py
  RibbonFixture f(800, 600, true);
  f.ribbon->SetPaintManager(theme_.get());
  auto* row = new RowGroup;
  f.ribbon->AddGroup(f.home, row);
  auto* edit = new CTKControlEdit;
  edit->SetID(623);
  edit->SetWidth(120);
  edit->SetHeight(22);
  f.ribbon->AddGroupControl(row, edit);
  edit->Release();
  f.Layout(800);
  const CRect e = edit->GetRect();
  ASSERT_FALSE(e.IsRectEmpty());
  Canvas canvas(800, 200, kGround);
  Wrapped dc(canvas);
  edit->Draw(dc.get());
  EXPECT_EQ(canvas.At(e.CenterPoint().x, e.CenterPoint().y), kEditNormal);
  // What the edit window's own background takes.
  Canvas filled(4, 4, kGround);
  CTKDrawHelpers::FillSolidRect(filled.dc(), RECT{0, 0, 4, 4}, theme_->ResolveColor(theme_->EditAreaBackIndex(edit)));
  EXPECT_EQ(filled.At(1, 1), kEditNormal);
}

// A menu item's split part and sub-menu glyph, drawn at the right in the popup arrow's width.
TEST_F(RibbonLook, MenuSplitPartAndPopupGlyph) {
  struct Case {
    const char* name;
    ItemState state;
    int split, glyph;
  };
  const Case cases[] = {
      {"plain", State(false, 0, true, 0, false, kPopupBar), 0, 0},
      {"selected", State(true, 0, true, 0, false, kPopupBar), 1, 0},
      {"open", State(true, 0, true, 0, true, kPopupBar), 2, 0},
      {"disabled", State(false, 0, false, 0, false, kPopupBar), 0, 1},
  };
  const int arrow = theme_->PopupArrowWidth();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* item = new TestControl(kSplitButtonPopup);
    item->SetRect(CRect(0, 0, 120, 22));
    Canvas canvas(120, 22, kGround);
    Wrapped dc(canvas);
    theme_->PaintPopupSplitPart(dc.get(), item, c.state);
    EXPECT_EQ(canvas.At(120 - arrow + 1, 3), Strip(kMenuSplitDropDown, c.split));
    EXPECT_EQ(canvas.At(120 - arrow - 1, 3), kGround);
    Canvas glyph(120, 22, kGround);
    Wrapped glyph_dc(glyph);
    theme_->PaintSubmenuArrow(glyph_dc.get(), item, c.state);
    // The 4 x 7 glyph centred in the arrow's column and the row.
    const int x = 120 - arrow + (arrow - 4) / 2, y = (22 - 7) / 2;
    EXPECT_EQ(glyph.At(x, y), Strip(kMenuPopupGlyph, c.glyph));
    EXPECT_EQ(glyph.At(x + 3, y + 6), Strip(kMenuPopupGlyph, c.glyph));
    EXPECT_EQ(glyph.At(x - 1, y), kGround);
    EXPECT_EQ(glyph.At(x, y + 7), kGround);
    item->Release();
  }
}

// The status bar: light up to 3 pixels before the first pane's right edge, the divider at its
// own width, dark to the end; light all over without panes; the gripper in the corner.
TEST_F(RibbonLook, StatusBarPartsAroundTheFirstPane) {
  const RECT bar{0, 0, 200, 22};
  Canvas canvas(200, 22, kGround);
  theme_->PaintStatusBar(canvas.dc(), bar, 80);
  for (int x : {0, 76}) EXPECT_EQ(canvas.At(x, 11), Strip(kStatusLight, 0)) << x;
  for (int x : {77, 79}) EXPECT_EQ(canvas.At(x, 11), Strip(kStatusDivider, 0)) << x;
  for (int x : {80, 199}) EXPECT_EQ(canvas.At(x, 11), Strip(kStatusDark, 0)) << x;
  for (int y : {0, 21}) EXPECT_EQ(canvas.At(150, y), Strip(kStatusDark, 0)) << y;

  Canvas plain(200, 22, kGround);
  Wrapped dc(plain);
  theme_->PaintStatusBackground(dc.get(), CRect(0, 0, 200, 22));
  for (int x : {0, 100, 199}) EXPECT_EQ(plain.At(x, 11), Strip(kStatusLight, 0)) << x;

  // The 6 x 5 gripper with its bottom 4 pixels above the bar's, magenta corners transparent.
  Canvas grip(200, 22, kGround);
  Wrapped grip_dc(grip);
  theme_->PaintSizeGrip(grip_dc.get(), CRect(0, 0, 200, 22));
  EXPECT_EQ(grip.At(196, 15), Strip(kStatusGripper, 0));
  EXPECT_EQ(grip.At(199, 14), Strip(kStatusGripper, 0));
  EXPECT_EQ(grip.At(194, 13), kGround);
  EXPECT_EQ(grip.At(193, 15), kGround);
  EXPECT_EQ(grip.At(196, 12), kGround);
  EXPECT_EQ(grip.At(196, 18), kGround);
}

// The colour table's entries the look fixes whatever the set says, and the two it takes from
// the set's "Ribbon" colours.
TEST_F(RibbonLook, FixedAndRibbonColoursInTheBaseTable) {
  struct Case {
    int slot;
    COLORREF colour;
  };
  const Case cases[] = {
      {35, RGB(167, 167, 167)}, {43, RGB(134, 134, 134)}, {41, RGB(250, 250, 250)},
      {44, RGB(11, 22, 33)},    {45, RGB(44, 55, 66)},
  };
  for (int reload = 0; reload < 2; ++reload) {
    for (const Case& c : cases) EXPECT_EQ(theme_->ResolveColor(c.slot), c.colour) << c.slot << " reload " << reload;
    EXPECT_EQ(theme_->ExpandedGripperGradient().light.Color(), RGB(233, 238, 238));
    EXPECT_EQ(theme_->ExpandedGripperGradient().dark.Color(), RGB(233, 238, 238));
    theme_->ReloadColorsAndFonts();
  }
}

// The image set the toolkit ships carries every image of the control look, each a whole number
// of equally high strips, and a hot button shows a face from it.
TEST(RibbonLookShippedSet, CarriesEveryImageOfTheControlLook) {
  HMODULE module = ::LoadLibraryW(Office2007ModulePath().c_str());
  ASSERT_TRUE(module);
  CTKOffice2007ImageSet set;
  ASSERT_TRUE(set.AttachResourceModule(module, nullptr, true));
  struct Image {
    const wchar_t* name;
    int states;
  };
  const Image images[] = {
      {L"TOOLBARBUTTONS22", 4}, {L"TOOLBARBUTTONS50", 4}, {L"TOOLBARBUTTONSSPECIALSINGLE", 5},
      {L"TOOLBARBUTTONSSPECIALLEFT", 5}, {L"TOOLBARBUTTONSSPECIALRIGHT", 5}, {L"TOOLBARBUTTONSSPECIALCENTER", 5},
      {L"TOOLBARBUTTONSSPECIALSPLITLEFT", 5}, {L"TOOLBARBUTTONSSPECIALSPLITCENTER", 5},
      {L"TOOLBARBUTTONSSPECIALSPLITDROPDOWNRIGHT", 5}, {L"TOOLBARBUTTONSSPECIALSPLITDROPDOWNCENTER", 5},
      {L"TOOLBARBUTTONSSPLIT22", 4}, {L"TOOLBARBUTTONSSPLIT50", 4}, {L"TOOLBARBUTTONSSPLITDROPDOWN22", 4},
      {L"TOOLBARBUTTONSSPLITDROPDOWN50", 4}, {L"TOOLBARBUTTONCHECKBOX", 12}, {L"TOOLBARBUTTONRADIOBUTTON", 8},
      {L"TOOLBARBUTTONDROPDOWNGLYPH", 4}, {L"TOOLBARBUTTONSCOMBODROPDOWN", 5}, {L"TOOLBARBUTTONSPIN", 10},
      {L"MENUCHECKEDITEM", 2}, {L"MENUSELECTEDITEM22", 1}, {L"MENUSELECTEDITEM54", 1},
      {L"MENUSELECTEDDISABLEDITEM22", 1}, {L"MENUSELECTEDDISABLEDITEM54", 1}, {L"MENUSPLITDROPDOWN", 3},
      {L"MENUPOPUPGLYPH", 2}, {L"STATUSBARLIGHT", 1}, {L"STATUSBARDEVIDER", 1}, {L"STATUSBARDARK", 1},
      {L"STATUSBARGRIPPER", 1},
  };
  for (const Image& image : images) {
    CTKOffice2007Image* found = set.GetImage(image.name);
    ASSERT_TRUE(found) << testing::PrintToString(std::wstring(image.name));
    EXPECT_EQ(found->GetSize().cy % image.states, 0) << testing::PrintToString(std::wstring(image.name));
  }
  // The marks are 13 pixels square.
  EXPECT_EQ(set.GetImage(L"TOOLBARBUTTONCHECKBOX")->GetPartRect(0, 12).bottom, 13);
  EXPECT_EQ(set.GetImage(L"TOOLBARBUTTONRADIOBUTTON")->GetPartRect(0, 8).bottom, 13);
  auto* theme = new CTKRibbonTheme(&set);
  Canvas canvas(40, 30, kGround);
  theme->PaintToolBarButton(canvas.dc(), RECT{0, 0, 40, 22}, 0);
  EXPECT_NE(canvas.At(20, 11), kGround);
  theme->Release();
}

// ---------------------------------------------------------------------------------------------
// Glowing texts: the visual-styles functions answered by the test.

struct GlowCall {
  std::wstring class_list;
  int part = 0, state = 0;
  DWORD format = 0;
  DTTOPTS options{};
  RECT text{}, buffer{};
  std::wstring text_drawn;
  int updates = -1;  // EndBufferedPaint's update flag
};
std::vector<GlowCall> g_calls;
std::wstring g_opened;
HRESULT g_draw_result = S_OK;
RECT g_buffer{};

HTHEME WINAPI FakeOpen(HWND, LPCWSTR classes) {
  g_opened = classes;
  return reinterpret_cast<HTHEME>(0x5150);
}
HRESULT WINAPI FakeClose(HTHEME) { return S_OK; }
HPAINTBUFFER WINAPI FakeBegin(HDC dc, const RECT* rect, BP_BUFFERFORMAT, BP_PAINTPARAMS*, HDC* out) {
  g_buffer = *rect;
  *out = dc;
  return reinterpret_cast<HPAINTBUFFER>(0x6160);
}
HRESULT WINAPI FakeEnd(HPAINTBUFFER, BOOL update) {
  if (!g_calls.empty()) g_calls.back().updates = update;
  return S_OK;
}
HRESULT WINAPI FakeDrawText(HTHEME, HDC dc, int part, int state, LPCWSTR text, int count, DWORD format, LPRECT rect,
                            const DTTOPTS* options) {
  GlowCall call;
  call.class_list = g_opened;
  call.part = part;
  call.state = state;
  call.format = format;
  call.options = *options;
  call.text = *rect;
  call.buffer = g_buffer;
  call.text_drawn.assign(text, static_cast<size_t>(count));
  g_calls.push_back(call);
  return g_draw_result;
}
FARPROC Resolve(HMODULE, const char* name) {
  const std::string n = name;
  if (n == "OpenThemeData") return reinterpret_cast<FARPROC>(&FakeOpen);
  if (n == "CloseThemeData") return reinterpret_cast<FARPROC>(&FakeClose);
  if (n == "BeginBufferedPaint") return reinterpret_cast<FARPROC>(&FakeBegin);
  if (n == "EndBufferedPaint") return reinterpret_cast<FARPROC>(&FakeEnd);
  if (n == "DrawThemeTextEx") return reinterpret_cast<FARPROC>(&FakeDrawText);
  return nullptr;
}

class RibbonLookGlow : public RibbonLook {
 protected:
  void SetUp() override {
    RibbonLook::SetUp();
    g_calls.clear();
    g_opened.clear();
    g_draw_result = S_OK;
    CTKWinThemeWrapper::SetProcResolver(&Resolve);
    header_.rect = RECT{100, 0, 220, 30};
    header_.caption = L"Picture Tools";
    header_.colour = 2;
  }
  void TearDown() override {
    CTKWinThemeWrapper::SetProcResolver(nullptr);
    RibbonLook::TearDown();
  }
  static int Drawn(const Canvas& canvas) {
    int n = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) n += canvas.At(x, y) != kGround;
    return n;
  }

  CTKRibbonTabContextHeader header_;
};

// The header text glows on glass with the window's caption part, the active state, a glow of 8
// and the selected tab text colour, in a buffer 5 pixels wider on each side of its place.
TEST_F(RibbonLookGlow, HeaderTextGlowsOnGlass) {
  Canvas canvas(300, 40, kGround);
  theme_->PaintContextHeaderText(canvas.dc(), header_, 6, true, true);
  ASSERT_EQ(g_calls.size(), 1u);
  const GlowCall& call = g_calls[0];
  EXPECT_EQ(call.class_list, L"WINDOW");
  EXPECT_EQ(call.part, 1);
  EXPECT_EQ(call.state, 1);
  EXPECT_EQ(call.text_drawn, L"Picture Tools");
  EXPECT_EQ(call.options.iGlowSize, 8);
  EXPECT_EQ(call.options.dwFlags & (DTT_COMPOSITED | DTT_GLOWSIZE | DTT_TEXTCOLOR),
            static_cast<DWORD>(DTT_COMPOSITED | DTT_GLOWSIZE | DTT_TEXTCOLOR));
  EXPECT_EQ(call.options.crText, RGB(12, 34, 56));
  EXPECT_EQ(call.format & (DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_VCENTER),
            static_cast<DWORD>(DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_VCENTER));
  // 6 pixels in, the border less 2 lower; the buffer 5 pixels wider each side.
  EXPECT_EQ(call.text.left, 106);
  EXPECT_EQ(call.text.top, 4);
  EXPECT_EQ(call.text.right, 220);
  EXPECT_EQ(call.buffer.left, 101);
  EXPECT_EQ(call.buffer.right, 225);
  EXPECT_EQ(call.updates, TRUE);
  // The faked text function draws nothing: nothing else was drawn.
  EXPECT_EQ(Drawn(canvas), 0);
}

// Off glass, without a visual style, or when the glowing text fails, the text is drawn plainly
// (a failed buffer is dropped, not shown).
TEST_F(RibbonLookGlow, HeaderTextIsPlainOffGlassOrWithoutAStyle) {
  struct Case {
    const char* name;
    bool glass, style;
    HRESULT draw;
    size_t glow_calls;
  };
  const Case cases[] = {
      {"off glass", false, true, S_OK, 0},
      {"no visual style", true, false, S_OK, 0},
      {"glow fails", true, true, E_FAIL, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_calls.clear();
    g_draw_result = c.draw;
    if (!c.style) CTKWinThemeWrapper::SetProcResolver([](HMODULE, const char*) -> FARPROC { return nullptr; });
    Canvas canvas(300, 40, kGround);
    theme_->PaintContextHeaderText(canvas.dc(), header_, 6, true, c.glass);
    EXPECT_EQ(g_calls.size(), c.glow_calls);
    if (!g_calls.empty()) {
      EXPECT_EQ(g_calls[0].updates, FALSE);
    }
    int in_colour = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 300; ++x) {
        const COLORREF p = canvas.At(x, y);
        if (p == kGround) continue;
        EXPECT_GE(x, 105);  // the text starts 6 pixels in
        in_colour += p == RGB(12, 34, 56);
      }
    EXPECT_GT(in_colour, 0);
    CTKWinThemeWrapper::SetProcResolver(&Resolve);
  }
}

// The ribbon draws its context headers' captions glowing while the frame is on glass only.
TEST_F(RibbonLookGlow, TheRibbonsHeadersGlowWithComposition) {
  for (bool composition : {false, true}) {
    SCOPED_TRACE(composition);
    RibbonFixture f(800, 600, true);  // the headers are laid out by a ribbon with a window
    f.ribbon->SetPaintManager(theme_.get());
    f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(4, composition));
    CTKRibbonTab* tab = f.ribbon->InsertTab(2, L"Design");
    tab->SetContextColour(2);
    tab->SetContextCaption(L"Table Tools");
    const int row = f.ribbon->CaptionHeight();
    tab->SetRect(RECT{300, row, 360, row + 23});
    f.Layout(800);
    ASSERT_EQ(1, f.ribbon->ContextHeaders().Count());
    g_calls.clear();
    Canvas canvas(800, 200, kGround);
    Wrapped dc(canvas);
    f.ribbon->DrawCommandBar(dc.get(), CRect(0, 0, 800, 200));
    int header_glows = 0;
    for (const GlowCall& call : g_calls) header_glows += call.text_drawn == L"Table Tools";
    EXPECT_EQ(header_glows, composition ? 1 : 0);
  }
}

// The window's title glows through the same path: the caption part, active or inactive state,
// and no colour of its own.
TEST_F(RibbonLookGlow, TitleGlowsByActiveState) {
  for (bool active : {true, false}) {
    g_calls.clear();
    Canvas canvas(400, 30, kGround);
    CTKRibbonTheme::CCaptionInfo info;
    info.caption = RECT{0, 0, 400, 30};
    info.title = RECT{100, 4, 300, 27};
    info.text = L"Document1";
    info.companion = true;
    info.composition = true;
    info.active = active;
    theme_->PaintCaption(canvas.dc(), info);
    ASSERT_EQ(g_calls.size(), 1u) << active;
    EXPECT_EQ(g_calls[0].part, 1);
    EXPECT_EQ(g_calls[0].state, active ? 1 : 2);
    EXPECT_EQ(g_calls[0].options.dwFlags & DTT_TEXTCOLOR, 0u);
    EXPECT_EQ(g_calls[0].buffer.left, 95);
    EXPECT_EQ(g_calls[0].buffer.right, 305);
  }
}

}  // namespace
