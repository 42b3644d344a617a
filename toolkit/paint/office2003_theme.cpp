#include "toolkit/paint/office2003_theme.h"

#include <algorithm>
#include <cmath>

#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/drawing/draw_helpers.h"

using namespace TKCommandBars;

namespace TKPaintThemes {

namespace {

bool IsSideDocked(int position) { return position == kLeft || position == kRight; }
bool IsPopupBar(CTKCommandBar* bar) { return bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup); }
CRect ClientOf(CTKCommandBar* bar) { return bar && bar->GetSafeHwnd() ? bar->GetClientRect() : CRect(); }
COLORREF Mix(COLORREF a, COLORREF b, int weight) { return CTKColorManager::MixColors(a, b, weight); }

struct GradientRow {
  COLORREF light, dark;
  float factor;
};

// The colours of one system colour scheme.
struct SchemeColours {
  GradientRow dock_bar, tool_bar_face, popped_control, expand_button, expanded_gripper, checked_popped, face;
  COLORREF tool_bar_shadow, floating_caption, light_face, scheme, tear_off;
};

const SchemeColours kSchemes[3] = {
    // blue
    {{RGB(158, 190, 245), RGB(196, 218, 250), 0.5f}, {RGB(221, 236, 254), RGB(129, 169, 226), 0.75f},
     {RGB(227, 239, 255), RGB(147, 181, 231), 0.5f}, {RGB(117, 166, 241), RGB(0, 53, 145), 0.75f},
     {RGB(203, 221, 246), RGB(121, 161, 220), 0.5f}, {RGB(227, 239, 254), RGB(129, 169, 226), 0.5f},
     {RGB(233, 236, 242), RGB(97, 122, 172), 0.5f}, RGB(59, 97, 156), RGB(42, 102, 201), RGB(211, 211, 211),
     RGB(22, 30, 54), RGB(169, 199, 240)},
    // olive
    {{RGB(217, 217, 167), RGB(242, 241, 228), 0.5f}, {RGB(244, 247, 222), RGB(183, 198, 145), 0.3f},
     {RGB(236, 240, 213), RGB(194, 206, 159), 0.5f}, {RGB(176, 194, 140), RGB(96, 119, 107), 0.3f},
     {RGB(230, 230, 209), RGB(164, 180, 120), 0.3f}, {RGB(236, 240, 213), RGB(184, 198, 147), 0.5f},
     {RGB(243, 244, 240), RGB(131, 144, 113), 0.5f}, RGB(96, 128, 88), RGB(116, 134, 94), RGB(211, 211, 211),
     RGB(31, 34, 25), RGB(197, 212, 159)},
    // silver
    {{RGB(215, 215, 229), RGB(243, 243, 247), 0.5f}, {RGB(249, 249, 255), RGB(156, 155, 183), 0.75f},
     {RGB(233, 231, 241), RGB(186, 185, 205), 0.5f}, {RGB(179, 178, 200), RGB(118, 116, 146), 0.75f},
     {RGB(215, 215, 226), RGB(133, 131, 162), 0.5f}, {RGB(232, 232, 241), RGB(176, 174, 197), 0.5f},
     {RGB(247, 245, 249), RGB(122, 121, 153), 0.5f}, RGB(124, 124, 148), RGB(122, 121, 153), RGB(236, 234, 218),
     RGB(36, 32, 41), RGB(192, 192, 211)},
};

// Colour-table entries of the schemes: index, blue, olive, silver.
const struct {
  int index;
  COLORREF colour[3];
} kSchemeTable[] = {
    {53, {RGB(203, 225, 252), RGB(216, 227, 182), RGB(214, 211, 231)}},
    {51, {RGB(216, 231, 252), RGB(226, 231, 191), RGB(223, 223, 234)}},
    {52, {RGB(158, 190, 245), RGB(171, 192, 138), RGB(177, 176, 195)}},
    {12, {RGB(144, 153, 174), RGB(151, 160, 123), RGB(155, 154, 179)}},
    {56, {RGB(189, 211, 247), RGB(222, 227, 189), RGB(214, 215, 231)}},
    {30, {RGB(196, 219, 249), RGB(209, 222, 173), RGB(219, 218, 228)}},
    {31, {RGB(255, 238, 194), RGB(255, 238, 194), RGB(255, 238, 194)}},
    {32, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
    {37, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
    {50, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
    {33, {RGB(254, 128, 62), RGB(254, 128, 62), RGB(254, 128, 62)}},
    {36, {RGB(255, 192, 111), RGB(255, 192, 111), RGB(255, 192, 111)}},
    {38, {RGB(39, 65, 118), RGB(81, 94, 51), RGB(84, 84, 117)}},
    {39, {RGB(106, 140, 203), RGB(96, 128, 88), RGB(110, 109, 143)}},
    {40, {RGB(109, 150, 208), RGB(159, 174, 122), RGB(168, 167, 190)}},
    {41, {RGB(246, 246, 246), RGB(244, 244, 238), RGB(253, 250, 255)}},
    {43, {RGB(0, 45, 150), RGB(117, 141, 94), RGB(124, 124, 148)}},
    {47, {RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0)}},
};

void Set(CTKPaintManagerColorGradient& g, const GradientRow& row) { g.SetStandardColors(row.light, row.dark, row.factor); }

// The controls of a bar's first row (or column on side-docked bars) end here, plus one pixel;
// -1 without controls.
int FirstRowEnd(CTKCommandBar* bar, bool vertical) {
  int end = -1;
  bool first = true;
  for (int i = 0; i < bar->GetControlCount(); ++i) {
    CTKControl* control = bar->GetControl(i);
    if (control->GetParent() != bar || !control->IsVisible()) continue;
    if (!first && control->GetWrap()) break;
    first = false;
    end = std::max<int>(end, (vertical ? control->GetRect().right : control->GetRect().bottom) + 1);
  }
  return end;
}

}  // namespace

CTKOffice2003Theme::CTKOffice2003Theme() {
  faded_icons_ = false;
  icon_shadow_ = false;
  checked_control_.SetStandardColors(RGB(255, 213, 140), RGB(255, 173, 85), 0.5f);
  pressed_control_.SetStandardColors(RGB(254, 142, 75), RGB(255, 207, 139), 0.5f);
  selected_control_.SetStandardColors(RGB(255, 242, 200), RGB(255, 212, 151), 0.5f);
}

bool CTKOffice2003Theme::IsLowColor() const { return GetColorManagerInstance().IsLowColorDisplay(); }

// ---------------------------------------------------------------------------------------------
// Colours

void CTKOffice2003Theme::ReloadColorsAndFonts() {
  CTKOfficeTheme::ReloadColorsAndFonts();
  status_theme_.CloseTheme();
  status_theme_.OpenTheme(nullptr, L"STATUS");
  auto C = [this](int i) { return ResolveColor(i); };
  expanded_gripper_.SetStandardColors(Mix(C(5), C(42), 550), C(42));
  tool_bar_face_.SetStandardColors(Mix(C(15), C(5), 205), C(15));
  dock_bar_.SetStandardColors(C(15), Mix(C(15), C(5), 205));
  tear_off_gripper_.SetStandardValue(C(30));
  tool_bar_shadow_.SetStandardValue(C(30));
  floating_caption_.SetStandardValue(C(16));
  popped_control_.SetStandardColors(C(41), Mix(C(5), C(15), 550));
  checked_popped_.SetStandardFrom(popped_control_);
  expand_button_.SetStandardColors(Mix(C(51), C(16), 51), C(16));
  light_face_.SetStandardValue(Mix(C(15), C(5), 70));
  scheme_colors_ = false;
  if (IsLowColor()) {
    for (CTKPaintManagerColorGradient* g : {&tool_bar_face_, &dock_bar_, &popped_control_, &expand_button_})
      g->SetStandardColor(C(15));
  }
  const int scheme = EffectiveSchemeNumber();
  if (scheme >= 1 && scheme <= 3) {
    const SchemeColours& s = kSchemes[scheme - 1];
    Set(dock_bar_, s.dock_bar);
    Set(tool_bar_face_, s.tool_bar_face);
    Set(popped_control_, s.popped_control);
    Set(expand_button_, s.expand_button);
    Set(expanded_gripper_, s.expanded_gripper);
    Set(checked_popped_, s.checked_popped);
    Set(face_gradient_, s.face);
    tool_bar_shadow_.SetStandardValue(s.tool_bar_shadow);
    floating_caption_.SetStandardValue(s.floating_caption);
    light_face_.SetStandardValue(s.light_face);
    scheme_color_ = s.scheme;
    tear_off_gripper_.SetStandardValue(s.tear_off);
    for (const auto& entry : kSchemeTable) colors_[entry.index].SetStandardValue(entry.colour[scheme - 1]);
    scheme_colors_ = true;
    for (int index : {58, 60, 35}) colors_[index].SetStandardValue(RGB(141, 141, 141));
    colors_[61].SetStandardValue(floating_caption_.Color());
  }
  BuildTintedGlyph();
}

void CTKWhidbeyTheme::ReloadColorsAndFonts() {
  CTKOffice2003Theme::ReloadColorsAndFonts();
  auto C = [this](int i) { return ResolveColor(i); };
  if (IsLowColor())
    expand_button_.SetStandardColor(C(15));
  else
    expand_button_.SetStandardColors(Mix(C(5), C(15), 550), C(16));
  const int theme = GetColorManagerInstance().GetSystemThemeInUse();
  if (theme == 1 || theme == 2) {
    tool_bar_face_.SetStandardColors(RGB(250, 249, 245), RGB(192, 192, 168), 0.75f);
    if (theme == 1)
      expand_button_.SetStandardColors(RGB(238, 237, 234), RGB(152, 152, 126), 0.75f);
    else
      expand_button_.SetStandardColors(RGB(238, 237, 234), RGB(176, 172, 158), 0.75f);
    dock_bar_.SetStandardColors(RGB(229, 229, 215), RGB(244, 241, 231), 0.5f);
    tool_bar_shadow_.SetStandardValue(RGB(163, 163, 124));
    expanded_gripper_.SetStandardColor(RGB(204, 199, 186));
    checked_popped_.SetStandardFrom(tool_bar_face_);
    if (theme == 1) {
      face_gradient_.SetStandardColors(RGB(247, 245, 249), RGB(122, 121, 153), 0.5f);
    } else {
      face_gradient_.SetStandardColors(RGB(236, 233, 216), RGB(172, 168, 153), 0.5f);
      colors_[31].SetStandardValue(RGB(182, 198, 141));
      colors_[36].SetStandardValue(RGB(182, 198, 141));
      colors_[33].SetStandardValue(RGB(147, 160, 112));
      colors_[47].SetStandardValue(RGB(255, 255, 255));
    }
  } else if (theme == 3) {
    tool_bar_face_.SetStandardColors(RGB(243, 244, 250), RGB(153, 151, 181), 0.75f);
    expand_button_.SetStandardColors(RGB(179, 178, 200), RGB(118, 116, 146), 0.75f);
    dock_bar_.SetStandardColors(RGB(215, 215, 229), RGB(243, 243, 247), 0.5f);
    tool_bar_shadow_.SetStandardValue(RGB(124, 124, 148));
    expanded_gripper_.SetStandardColors(RGB(215, 215, 226), RGB(133, 131, 162), 0.5f);
    checked_popped_.SetStandardColors(RGB(232, 232, 241), RGB(176, 174, 197), 0.5f);
    face_gradient_.SetStandardColors(RGB(247, 245, 249), RGB(122, 121, 153), 0.5f);
    const struct {
      int index;
      COLORREF colour;
    } silver[] = {
        {60, RGB(141, 141, 141)}, {35, RGB(141, 141, 141)}, {31, RGB(255, 238, 194)}, {32, RGB(75, 75, 111)},
        {37, RGB(75, 75, 111)},   {50, RGB(75, 75, 111)},   {33, RGB(254, 128, 62)},  {36, RGB(255, 192, 111)},
        {47, RGB(0, 0, 0)},       {39, RGB(110, 109, 143)}, {38, RGB(84, 84, 117)},   {30, RGB(219, 218, 228)},
        {61, RGB(122, 121, 153)},
    };
    for (const auto& entry : silver) colors_[entry.index].SetStandardValue(entry.colour);
    tear_off_gripper_.SetStandardValue(RGB(192, 192, 211));
    floating_caption_.SetStandardValue(RGB(122, 121, 153));
  }
  BuildTintedGlyph();
}

int CTKOffice2003Theme::TintedGlyphIntensity(int x, int y) {
  // A disc shaded towards its lower right, in the steps of a soft ramp.
  static const int kLevels[] = {252, 234, 198, 180, 144, 126, 108, 90, 72, 54, 36, 18, 0};
  const double dx = x - 7.5, dy = y - 7.5;
  if (dx * dx + dy * dy > 6.5 * 6.5) return 255;
  const double dark = std::sqrt((x - 10.5) * (x - 10.5) + (y - 10.5) * (y - 10.5));
  const int step = std::clamp(static_cast<int>(dark * 12 / 10.8), 0, 12);
  return kLevels[12 - step];
}

void CTKOffice2003Theme::BuildTintedGlyph() {
  tinted_glyph_.Reset();
  const COLORREF light = checked_popped_.light.Color(), dark = checked_popped_.dark.Color();
  KestrinWinNS::CScopedClientDC screen(nullptr);
  if (!screen) return;
  KestrinWinNS::CScopedBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 16, 16));
  KestrinWinNS::CScopedMemoryDC memory = KestrinWinNS::CreateMemoryDC(screen.Get());
  if (!bitmap || !memory) return;
  {
    KestrinWinNS::CSelectObject select(memory.Get(), bitmap.Get());
    for (int i = 0; i < 256; ++i) {
      const int x = i / 16, y = i % 16;
      const int v = TintedGlyphIntensity(x, y);
      auto channel = [v](int d, int l) { return d - (d - l) * v / 255; };
      const COLORREF c = v == 255 ? RGB(0, 255, 0)
                                  : RGB(channel(GetRValue(dark), GetRValue(light)),
                                        channel(GetGValue(dark), GetGValue(light)),
                                        channel(GetBValue(dark), GetBValue(light)));
      ::SetPixel(memory.Get(), x, y, c);
    }
  }
  tinted_glyph_.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0));
  if (tinted_glyph_) ImageList_AddMasked(tinted_glyph_.Get(), bitmap.Get(), RGB(0, 255, 0));
}

// ---------------------------------------------------------------------------------------------
// Faces

void CTKOffice2003Theme::FillGradientFramed(CDC* dc, const CRect& rect, const CTKPaintManagerColorGradient& fill,
                                            bool horizontal, int frame) {
  CTKDrawHelpers::FillColorGradient(*dc, &rect, fill, horizontal);
  FillAndFrame(dc, rect, -1, frame);
}

void CTKOffice2003Theme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  const int position = s.bar_position;
  if (!scheme_colors_ || s.popped || position > kFloating) {
    CTKOfficeTheme::PaintStateRect(dc, rect, s);
    return;
  }
  const bool horizontal = IsSideDocked(position);
  auto face = [&](const CTKPaintManagerColorGradient& g, int frame) { FillGradientFramed(dc, rect, g, horizontal, frame); };
  if (s.enabled) {
    if (s.checked && !s.pressed) {
      if (s.selected)
        face(pressed_control_, 50);
      else if (s.checked == 2)
        FillAndFrame(dc, rect, 51, 50);
      else
        face(checked_control_, 37);
    } else if (s.pressed == 2 || s.pressed == 3 || (s.selected && s.pressed)) {
      face(pressed_control_, 50);
    } else if (s.selected || s.pressed == 1) {
      face(selected_control_, 32);
    }
    return;
  }
  if (s.selection == 2 || s.selection == 3)
    face(s.checked ? pressed_control_ : selected_control_, 50);
  else if (s.checked)
    face(checked_control_, 58);
}

// ---------------------------------------------------------------------------------------------
// Bars and dock areas

bool CTKOffice2003Theme::BarHasFrame(CTKCommandBar* bar) {
  return !IsFlatType(bar) && (bar->GetBarStyle() & CBRS_BORDER_ANY) != 0;
}

void CTKOffice2003Theme::PaintDockGradientBehind(CDC* dc, CTKCommandBar* bar, const CRect& client) {
  const int half = ::GetSystemMetrics(SM_CXFULLSCREEN) / 2;
  CRect span(client.left, client.top, client.left + std::max<int>(client.Width(), half), client.bottom);
  HWND window = bar->GetSafeHwnd();
  HWND parent = window ? ::GetParent(window) : nullptr;
  if (parent) {
    RECT parentClient{};
    ::GetClientRect(parent, &parentClient);
    POINT origin{0, 0};
    ::MapWindowPoints(parent, window, &origin, 1);
    span.left = origin.x;
    span.right = origin.x + std::max<int>(parentClient.right, half);
  }
  CTKDrawHelpers::FillColorGradient(*dc, &span, dock_bar_, true, &client);
}

void CTKOffice2003Theme::PaintDockArea(CDC* dc, const CRect& rect) {
  const int half = ::GetSystemMetrics(SM_CXFULLSCREEN) / 2;
  const CRect span(rect.left, rect.top, rect.left + std::max<int>(rect.Width(), half), rect.bottom);
  CTKDrawHelpers::FillColorGradient(*dc, &span, dock_bar_, true, &rect);
}

void CTKOffice2003Theme::PaintDockBarArea(CDC* dc, const CRect& rect, DWORD style) {
  if ((style & CBRS_RIGHT) == CBRS_RIGHT)
    dc->FillSolidRect(&rect, dock_bar_.dark.Color());
  else
    PaintDockArea(dc, rect);
}

void CTKOffice2003Theme::PaintDockedBar(CDC* dc, CTKCommandBar* bar, const CRect& client, bool vertical) {
  dc->FillSolidRect(&client, ResolveColor(15));
  // A bar at the right stands on its dock bar's dark colour; the others on the dock gradient.
  if (vertical && (bar->GetBarStyle() & CBRS_RIGHT) == CBRS_RIGHT)
    dc->FillSolidRect(&client, dock_bar_.dark.Color());
  else
    PaintDockGradientBehind(dc, bar, client);
  const CRect body = vertical ? CRect(client.left + 1, client.top + 3, client.right - 1, client.bottom)
                              : CRect(client.left + 3, client.top + 1, client.right, client.bottom - 1);
  if (body.IsRectEmpty()) return;
  const int end = FirstRowEnd(bar, vertical);
  const int saved = dc->SaveDC();
  CTKDrawHelpers::ExcludeCornerPixels(*dc, body);
  CRect face = body, rest = body;
  if (vertical) {
    face.right = end < 0 ? body.right : std::min<int>(end, body.right);
    rest.left = face.right;
  } else {
    face.bottom = end < 0 ? body.bottom : std::min<int>(end, body.bottom);
    rest.top = face.bottom;
  }
  CTKDrawHelpers::FillColorGradient(*dc, &face, tool_bar_face_, vertical);
  if (!rest.IsRectEmpty()) dc->FillSolidRect(&rest, tool_bar_face_.dark.Color());
  dc->RestoreDC(saved);
  const COLORREF shadow = tool_bar_shadow_.Color();
  if (vertical)
    dc->FillSolidRect(client.right - 1, client.top + 5, 1, client.Height() - 7, shadow);
  else
    dc->FillSolidRect(client.left + 5, client.bottom - 1, client.Width() - 7, 1, shadow);
}

void CTKOffice2003Theme::PaintFramedFloatingBar(CDC* dc, CTKCommandBar* bar, const CRect& client) {
  CTKOfficeTheme::PaintBarBackground(dc, bar);
  const int text = MeasureText(dc, &font_small_caption_, bar->GetTitle().empty() ? L"X" : bar->GetTitle()).cy;
  const int captionBottom = client.top + 2 + (text >= 15 ? text + 2 : 17);
  const CRect inner(client.left + 2, captionBottom, client.right - 2, client.bottom - 2);
  if (inner.IsRectEmpty()) return;
  CTKDrawHelpers::FillColorGradient(*dc, &inner, tool_bar_face_, false);
  // Each wrapped row of controls gets the gradient of its own.
  int top = -1, bottom = -1;
  auto paintRow = [&]() {
    CRect row(inner.left, std::max<int>(top, inner.top), inner.right, std::min<int>(bottom, inner.bottom));
    if (top >= 0 && !row.IsRectEmpty()) CTKDrawHelpers::FillColorGradient(*dc, &row, tool_bar_face_, false);
  };
  for (int i = 0; i < bar->GetControlCount(); ++i) {
    CTKControl* control = bar->GetControl(i);
    if (control->GetParent() != bar || !control->IsVisible()) continue;
    const CRect rc = control->GetRect();
    if (top >= 0 && control->GetWrap()) {
      paintRow();
      top = -1;
    }
    top = top < 0 ? rc.top : std::min<int>(top, rc.top);
    bottom = std::max<int>(bottom, rc.bottom);
  }
  paintRow();
  SetInnerCorners(dc, client, 2, 61);
}

void CTKOffice2003Theme::PaintBarBackground(CDC* dc, CTKCommandBar* bar) {
  const CRect client = ClientOf(bar);
  const int position = bar->GetPosition();
  if (IsPopupBar(bar) && position != kFloating) {
    FillAndFrame(dc, client, 41, 43);
    PaintPopupGutter(dc, bar);
    PaintPopupEdgeToControl(dc, bar, 41);
    return;
  }
  if (IsFlatType(bar)) {
    if (position == kFloating) {
      CTKOfficeTheme::PaintBarBackground(dc, bar);
      CRect inner = client;
      inner.DeflateRect(2, 2);
      PaintDockGradientBehind(dc, bar, inner);
      SetInnerCorners(dc, client, 2, 61);
    } else {
      PaintDockGradientBehind(dc, bar, client);
    }
    return;
  }
  if (position == kTop || position == kBottom) {
    PaintDockedBar(dc, bar, client, false);
  } else if (IsSideDocked(position)) {
    PaintDockedBar(dc, bar, client, true);
  } else if (position == kFloating && BarHasFrame(bar)) {
    PaintFramedFloatingBar(dc, bar, client);
  } else {
    CTKOfficeTheme::PaintBarBackground(dc, bar);
  }
}

void CTKOffice2003Theme::PaintGripDot(CDC* dc, int x, int y, int dark, int light) {
  dc->FillSolidRect(x + 1, y + 1, 2, 2, ResolveColor(light));
  dc->FillSolidRect(x, y, 2, 2, ResolveColor(dark));
}

CSize CTKOffice2003Theme::PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) {
  if (!bar || bar->GetPosition() == kFloating || IsPopupBar(bar))
    return CTKOfficeTheme::PaintBarGripper(dc, bar, draw);
  if (!bar->IsGripperVisible()) return CSize(0, 0);
  const CRect client = ClientOf(bar);
  if (IsSideDocked(bar->GetPosition())) {
    if (draw)
      for (int x = 8; x - 3 < client.Width() - 7; x += 4) PaintGripDot(dc, x - 3, 6, 38, 5);
    return CSize(0, 8);
  }
  if (draw)
    for (int y = 8; y - 3 < client.Height() - 7; y += 4) PaintGripDot(dc, 6, y - 3, 38, 5);
  return CSize(6, 0);
}

CSize CTKOffice2003Theme::PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) {
  const int h = control_height_ >= 19 ? control_height_ + 6 : 25;
  if (draw) {
    CRect area = ClientOf(bar);
    area.DeflateRect(3, 3);
    area.bottom = std::min<int>(area.bottom, area.top + h);
    // Held by the mouse (its bar moving), the gripper looks pressed.
    const CTKDockContext* context = bar ? bar->GetDockContext() : nullptr;
    if (!context || context->GetMode() != CTKDockContext::kModeMove)
      CTKDrawHelpers::FillColorGradient(*dc, &area, tool_bar_face_, false);
    else if (scheme_colors_)
      CTKDrawHelpers::FillColorGradient(*dc, &area, checked_control_, false);
    else
      dc->FillSolidRect(&area, ResolveColor(36));
    for (int y = area.top + 4; y < area.bottom - 5; y += 4) PaintGripDot(dc, 5, y, 38, 5);
  }
  return CSize(8, h);
}

CSize CTKOffice2003Theme::PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) {
  if (!bar || IsPopupBar(bar)) return CTKOfficeTheme::PaintGroupSeparator(dc, control, bar, draw);
  if (!draw || !control) return bar->GetPosition() == kFloating ? CSize(6, 0) : CSize(6, 6);
  const CRect rect = control->GetRect();
  const CRect client = ClientOf(bar);
  const bool vertical = IsSideDocked(bar->GetPosition());
  // A dark line with a light one beside it, across the bar when a new row or column begins.
  auto across = [&](int pos) {
    if (vertical) {
      ColumnLine(dc, pos, client.top + 4, client.bottom - 4, 39);
      if (!plain_separators_) ColumnLine(dc, pos + 1, client.top + 4, client.bottom - 4, 20);
    } else {
      RowLine(dc, client.left + 4, client.right - 4, pos, 39);
      if (!plain_separators_) RowLine(dc, client.left + 4, client.right - 4, pos + 1, 20);
    }
  };
  if (control->GetWrap()) {
    across(vertical ? control->GetRowRect().left - 4 : control->GetRowRect().top - 4);
  } else if (vertical) {
    RowLine(dc, rect.left + 4, rect.right - 4, rect.top - 4, 39);
    if (!plain_separators_) RowLine(dc, rect.left + 4, rect.right - 4, rect.top - 3, 20);
  } else {
    ColumnLine(dc, rect.left - 4, rect.top + 4, rect.bottom - 4, 39);
    if (!plain_separators_) ColumnLine(dc, rect.left - 3, rect.top + 4, rect.bottom - 4, 20);
  }
  return CSize(0, 0);
}

void CTKOffice2003Theme::PaintGutterFace(CDC* dc, const CRect& rect, bool expanded) {
  CTKDrawHelpers::FillColorGradient(*dc, &rect, expanded ? expanded_gripper_ : tool_bar_face_, true);
}

CRect CTKOffice2003Theme::BarBorderInsets(CTKCommandBar* bar) {
  if (bar && (bar->GetPosition() == kTop || bar->GetPosition() == kBottom) && !IsPopupBar(bar)) return CRect(4, 2, 2, 2);
  return CTKOfficeTheme::BarBorderInsets(bar);
}

CSize CTKOffice2003Theme::PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) {
  if (draw) {
    dc->FillSolidRect(&rect, ResolveColor(41));
    CRect inner = rect;
    inner.DeflateRect(1, 1);
    if (hot)
      FillAndFrame(dc, inner, 31, 32);
    else
      dc->FillSolidRect(&inner, tear_off_gripper_.Color());
    const int x = rect.left + rect.Width() / 2;
    const int half = rect.Width() / 2;
    const int d = half > 42 ? 32 : half - 10;
    for (int off = x - d + 3; off < x + d; off += 4) PaintGripDot(dc, off - 3, rect.top + 4, 38, 20);
  }
  return CSize(0, 9);
}

void CTKOffice2003Theme::PaintSizeGrip(CDC* dc, const CRect& rect) {
  if (status_theme_.IsThemeInUse()) {
    const CRect grip(rect.right - 18, rect.top, rect.right, rect.bottom);
    if (SUCCEEDED(status_theme_.DrawThemeBackground(*dc, 3, 0, &grip, nullptr))) return;
  }
  CTKOfficeTheme::PaintSizeGrip(dc, rect);
}

void CTKOffice2003Theme::PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& s,
                                            bool hiddenControls) {
  if (kind == 1) {
    PaintStateRect(dc, rect, s);
    if (tinted_glyph_) {
      const int x = rect.left + rect.Width() / 2 - 7, y = rect.top + (rect.Height() - 16) / 2;
      ImageList_Draw(tinted_glyph_.Get(), 0, *dc, x, y, ILD_NORMAL);
    }
    return;
  }
  if (kind != 0) {
    CTKOfficeTheme::PaintSpecialButton(dc, rect, kind, s, hiddenControls);
    return;
  }
  // The expand button at the end of a tool bar: tall on horizontal bars, wide on vertical ones.
  const bool vertical = rect.Width() > rect.Height();
  if (s.popped) {
    if (scheme_colors_)
      CTKDrawHelpers::FillColorGradient(*dc, &rect, pressed_control_, vertical);
    else
      dc->FillSolidRect(&rect, ResolveColor(36));
  } else if (s.selected) {
    if (scheme_colors_)
      CTKDrawHelpers::FillColorGradient(*dc, &rect, selected_control_, vertical);
    else
      dc->FillSolidRect(&rect, ResolveColor(31));
  } else {
    CTKDrawHelpers::FillColorGradient(*dc, &rect, expand_button_, vertical);
  }
  const COLORREF glyph = ResolveColor(s.selected && !s.popped ? 45 : 46);
  const COLORREF shadow = ResolveColor(20);
  for (int pass = 0; pass < 2; ++pass) {
    const int d = pass == 0 ? 1 : 0;
    const COLORREF c = pass == 0 ? shadow : glyph;
    if (!vertical) {
      const int x = rect.left + rect.Width() / 2 + d, bottom = rect.bottom + d;
      dc->FillSolidRect(x - 2, bottom - 10, 5, 1, c);
      CTKDrawHelpers::FillTriangle(*dc, POINT{x - 2, bottom - 7}, POINT{x + 2, bottom - 7}, POINT{x, bottom - 5}, c);
      if (hiddenControls)
        for (int cx : {rect.left + 3 + d, rect.left + 7 + d}) {
          const int y = rect.top + 5 + d;
          dc->FillSolidRect(cx, y, 2, 1, c);
          dc->FillSolidRect(cx + 1, y + 1, 2, 1, c);
          dc->FillSolidRect(cx, y + 2, 2, 1, c);
        }
    } else {
      const int y = rect.top + rect.Height() / 2 + d, right = rect.right + d;
      dc->FillSolidRect(right - 10, y - 2, 1, 5, c);
      CTKDrawHelpers::FillTriangle(*dc, POINT{right - 7, y - 2}, POINT{right - 7, y + 2}, POINT{right - 9, y}, c);
      if (hiddenControls)
        for (int cy : {rect.top + 3 + d, rect.top + 7 + d}) {
          const int x = rect.left + 5 + d;
          dc->FillSolidRect(x, cy, 1, 2, c);
          dc->FillSolidRect(x + 1, cy + 1, 1, 2, c);
          dc->FillSolidRect(x + 2, cy, 1, 2, c);
        }
    }
  }
}

}  // namespace TKPaintThemes
