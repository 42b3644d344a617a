#include "toolkit/tabs/tab_colour_sets.h"

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/tabs/tab_pixels.h"

using CTKPM = CTKTabPaintManager;

namespace {

COLORREF Entry(int index) { return ColorByIndex(index); }
constexpr COLORREF kUnset = CLR_INVALID;
constexpr COLORREF kChecker = static_cast<COLORREF>(-2);

void FillChecker(HDC dc, const RECT& rect) {
  const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  KestrinWinNS::CScopedBitmap bits(CreateBitmap(8, 8, 1, 1, rows));
  KestrinWinNS::CScopedBrush brush(CreatePatternBrush(bits.Get()));
  const COLORREF old_text = SetTextColor(dc, Entry(COLOR_3DFACE));
  const COLORREF old_bk = SetBkColor(dc, Entry(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &rect, brush.Get());
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_bk);
}

// The 2003 look's tab face: from the face lightened toward white to the face, across the strip.
void FillLightenedFace(HDC dc, const RECT& rect, COLORREF face, bool vertical_strip) {
  const COLORREF light = CTKColorManager::MixColors(face, RGB(255, 255, 255), 300);
  CTKDrawHelpers::FillGradient(dc, &rect, light, face, vertical_strip);
}

}  // namespace

void TKFillFaceGradient(HDC dc, const RECT& rect, const CTKPaintManagerColorGradient& gradient, bool horizontal) {
  if (gradient.light.Color() == kChecker) {
    FillChecker(dc, rect);
    return;
  }
  CTKDrawHelpers::FillColorGradient(dc, &rect, gradient, horizontal);
}

// --- The base ---

bool CTKPM::CColorSet::IsSelected(const CTKTabManagerItem* item) const {
  return item && item->Manager() && item->Manager()->Selected() == item;
}
bool CTKPM::CColorSet::IsHot(const CTKTabManagerItem* item) const {
  return item && item->Manager() && item->Manager()->Hot() == item;
}
bool CTKPM::CColorSet::IsPressed(const CTKTabManagerItem* item) const {
  return item && item->Manager() && item->Manager()->Pressed() == item;
}

void CTKPM::CColorSet::ReloadLook() {
  RecomputeToolkitColors();
  header_face.SetStandardColor(Entry(15));
  autohide_face.SetStandardFrom(header_face);
  frame_border.SetStandardValue(Entry(16));
  control_face.SetStandardValue(Entry(15));
  further_face.SetStandardValue(Entry(15));
  button_highlight.SetStandardValue(Entry(20));
  selected_face.SetStandardValue(Entry(IsExcel() ? 5 : 15));
  hot_face.SetStandardValue(Entry(15));
  pressed_face.SetStandardValue(Entry(15));
  normal_face.SetStandardValue(Entry(15));
  normal_text.SetStandardValue(Entry(18));
  inactive_text.SetStandardValue(Entry(18));
  selected_text.SetStandardValue(Entry(18));
  hot_text.SetStandardValue(0x800000);
  disabled_text.SetStandardValue(Entry(17));
  selected_button_face.SetStandardColor(Entry(5));
  selected_button_border.SetStandardColor(Entry(13));
  tab_highlight.SetStandardValue(Entry(20));
  tab_shadow.SetStandardValue(Entry(16));
  tab_dark_shadow.SetStandardValue(Entry(21));
  tab_border.SetStandardValue(Entry(16));
  selected_tab_border.SetStandardValue(Entry(16));
  tab_inner_light.SetStandardValue(Entry(15));
  tab_inner_white.SetStandardValue(Entry(15));
  const COLORREF selected_group[6] = {Entry(18), Entry(16), Entry(18), kUnset, kUnset, kUnset};
  const COLORREF other_group[6] = {Entry(18), Entry(16), Entry(18), Entry(5), Entry(16), kUnset};
  for (int i = 0; i < 6; ++i) {
    excel[0][i].SetStandardValue(selected_group[i]);
    excel[1][i].SetStandardValue(other_group[i]);
  }
}

void CTKPM::CColorSet::ApplyTabTextColour(HDC dc, const CTKTabManagerItem* item) {
  COLORREF colour = normal_text.Color();
  const CTKTabManager* manager = item->Manager();
  if (!item->IsEnabled())
    colour = disabled_text.Color();
  else if (manager && !manager->IsActive())
    colour = inactive_text.Color();
  else if (IsSelected(item))
    colour = selected_text.Color();
  else if (IsHot(item))
    colour = hot_text.Color();
  SetTextColor(dc, colour);
}

void CTKPM::CColorSet::PaintHeaderFace(HDC dc, const RECT& rect, const CTKTabManager*) {
  if (header_face.light.Color() == kChecker) {
    FillChecker(dc, rect);
    return;
  }
  COLORREF from = header_face.light.Color(), to = header_face.dark.Color();
  if (painter && painter->reverse_gradient) std::swap(from, to);
  CTKDrawHelpers::FillGradient(dc, &rect, from, to, !HorizontalStrip());
}

void CTKPM::CColorSet::PaintPageFace(HDC dc, const RECT& rect, const CTKTabManager* manager) {
  const CTKTabManagerItem* selected = manager ? manager->Selected() : nullptr;
  const COLORREF face = selected ? ItemColourOf(selected) : selected_face.Color();
  CTKDrawHelpers::FillSolidRect(dc, rect, face);
}

void CTKPM::CColorSet::PaintButtonFace(HDC dc, RECT rect, const CTKTabManagerItem* item) {
  if (IsSelected(item)) {
    if (painter && painter->item_colours && item->Manager())
      CTKDrawHelpers::FillSolidRect(dc, rect, item->Manager()->ItemColourOf(item));
    else
      TKFillFaceGradient(dc, rect, selected_button_face, !HorizontalStrip());
    TKDraw3dRect(dc, rect, selected_button_border.light.Color(), selected_button_border.dark.Color());
    return;
  }
  // A raised separator at the tab's far end.
  if (HorizontalStrip()) {
    CTKDrawHelpers::FillSolidRect(dc, RECT{rect.right - 2, rect.top + 2, rect.right - 1, rect.bottom - 2}, Entry(16));
    CTKDrawHelpers::FillSolidRect(dc, RECT{rect.right - 1, rect.top + 2, rect.right, rect.bottom - 2}, Entry(20));
  } else {
    CTKDrawHelpers::FillSolidRect(dc, RECT{rect.left + 2, rect.bottom - 2, rect.right - 2, rect.bottom - 1}, Entry(16));
    CTKDrawHelpers::FillSolidRect(dc, RECT{rect.left + 2, rect.bottom - 1, rect.right - 2, rect.bottom}, Entry(20));
  }
}

COLORREF CTKPM::CColorSet::PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) {
  const COLORREF face = ItemColourOf(item);
  CTKDrawHelpers::FillSolidRect(dc, rect, face);
  return face;
}

void CTKPM::CColorSet::PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) {
  if (button->IsEnabled()) {
    if (button->IsPressed())
      TKDraw3dRect(dc, rect, Entry(16), Entry(20));
    else if (button->IsHot())
      TKDraw3dRect(dc, rect, Entry(20), Entry(16));
  }
  SetTextColor(dc, Entry(18));
}

COLORREF CTKPM::CColorSet::ItemColourOf(const CTKTabManagerItem* item) const {
  if (painter && painter->item_colours && item->Manager()) return item->Manager()->ItemColourOf(item);
  return IsSelected(item) ? selected_face.Color() : normal_face.Color();
}

// --- Default ---

void CColorSetDefault::ReloadLook() {
  CColorSet::ReloadLook();
  selected_button_face.light.SetStandardValue(kChecker);
  inactive_text.SetStandardValue(Entry(18));
  normal_text.SetStandardValue(Entry(18));
  selected_text.SetStandardValue(Entry(18));
  if (IsExcel()) {
    selected_face.SetStandardValue(Entry(15));
    normal_face.SetStandardValue(Entry(5));
    frame_border.SetStandardValue(Entry(18));
  }
}

// --- Visual Studio ---

void CColorSetVisualStudio::ReloadLook() {
  CColorSetDefault::ReloadLook();
  const bool plain = IsShape(CTKPM::kExcel) || IsShape(CTKPM::kStateButtons);
  if (!plain) header_face.SetStandardColor(Entry(48));
  if (IsShape(CTKPM::kVisualStudio)) {
    selected_text.SetStandardValue(Entry(49));
    hot_face.SetStandardValue(Entry(49));
  }
  CTKWinThemeWrapper theme;
  if (theme.IsThemeActive())
    autohide_face.SetStandardColor(Entry(15));
  else
    autohide_face.SetStandardColor(header_face.dark.Color());
}

void CColorSetVisualStudio::PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) {
  if (IsShape(CTKPM::kExcel) || IsShape(CTKPM::kStateButtons)) {
    CColorSetDefault::PaintNavButtonFace(dc, button, rect);
    return;
  }
  if (button->IsEnabled()) {
    if (button->IsPressed())
      TKDraw3dRect(dc, rect, Entry(18), Entry(15));
    else if (button->IsHot())
      TKDraw3dRect(dc, rect, Entry(15), Entry(18));
  }
  SetTextColor(dc, Entry(49));
}

// --- Office 2003 ---

void CColorSetOffice2003::ApplyPalette(int theme) {
  struct Palette {
    COLORREF frame, dark, shadow, white, sel_button, sel_border, header_light, header_dark, normal, selected, hot,
        autohide_light, autohide_dark, nav, pressed;
  };
  static const Palette palettes[3] = {
      {0x9C613B, 0x9A3500, 0xF1A675, 0xFFFFFF, 0x6FC0FF, 0x800000, 0xFADAC4, 0xFEFDFC, 0xF6C0A2, 0x73C2FF, 0xC9F0FF,
       0xF5BE9E, 0xFADAC4, 0x800000, 0x4B8EFE},
      {0x588060, 0x6B7760, 0x8CC2B0, 0xFFFFFF, 0x6FC0FF, 0x385D3F, 0xE4F1F2, 0xFEFEFC, 0xAADED0, 0x73C2FF, 0xC7F0FF,
       0xA7D9D9, 0xE4F1F2, 0x385D3F, 0x4B8EFE},
      {0x947C7C, 0x927476, 0xCEB9BA, 0xFFFFFF, 0x6FC0FF, 0x6F4B4B, 0xF7F3F3, 0xFEFEFC, 0xE6D9D9, 0x73C2FF, 0xC2EEFF,
       0xE5D7D7, 0xF7F3F3, 0x6F4B4B, 0x4B8EFE},
  };
  const Palette& p = palettes[theme - 1];
  frame_border.SetStandardValue(p.frame);
  selected_tab_border.SetStandardValue(p.frame);
  tab_dark_shadow.SetStandardValue(p.dark);
  tab_border.SetStandardValue(p.dark);
  tab_shadow.SetStandardValue(p.shadow);
  tab_inner_light.SetStandardValue(p.shadow);
  tab_inner_white.SetStandardValue(p.white);
  selected_button_face.SetStandardColor(p.sel_button);
  selected_button_border.SetStandardColor(p.sel_border);
  header_face.SetStandardColors(p.header_light, p.header_dark);
  normal_face.SetStandardValue(p.normal);
  selected_face.SetStandardValue(p.selected);
  hot_face.SetStandardValue(p.hot);
  autohide_face.SetStandardColors(p.autohide_light, p.autohide_dark);
  nav_frame.SetStandardValue(p.nav);
  pressed_face.SetStandardValue(p.pressed);
  palette = true;
}

void CColorSetOffice2003::FollowFrameBorder() {
  tab_border.SetStandardValue(frame_border.Color());
  selected_tab_border.SetStandardValue(frame_border.Color());
}

void CColorSetOffice2003::ReloadLook() {
  CColorSetDefault::ReloadLook();
  header_face.SetStandardColors(Entry(15), CTKColorManager::MixColors(Entry(15), Entry(5), 205));
  selected_button_face.SetStandardColor(Entry(36));
  selected_button_border.SetStandardColor(Entry(37));
  hot_face.SetStandardValue(Entry(36));
  pressed_face.SetStandardValue(Entry(33));
  hot_text.SetStandardValue(Entry(18));
  nav_frame.SetStandardValue(Entry(37));
  palette = false;
  const int theme = GetColorManagerInstance().GetSystemThemeInUse();
  if (painter && !painter->ThemeColoursOff() && theme >= 1 && theme <= 3)
    ApplyPalette(theme);
  else
    selected_face.SetStandardValue(Entry(36));
  FollowFrameBorder();
  if (IsShape(CTKPM::kStateButtons)) {
    autohide_face.SetStandardColor(Entry(15));
    header_face.SetStandardColor(Entry(15));
  }
}

COLORREF CColorSetOffice2003::PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) {
  COLORREF face = ItemColourOf(item);
  if (IsPressed(item))
    face = pressed_face.Color();
  else if (IsHot(item))
    face = hot_face.Color();
  FillLightenedFace(dc, rect, face, !HorizontalStrip());
  return face;
}

void CColorSetOffice2003::PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) {
  const bool pressed = button->IsEnabled() && button->IsPressed();
  const bool hot = button->IsEnabled() && button->IsHot() && !pressed;
  if (!pressed && !hot) {
    SetTextColor(dc, Entry(18));
    return;
  }
  if (palette) {
    if (pressed)
      CTKDrawHelpers::FillGradient(dc, &rect, 0x4B8EFE, 0x8BCFFF, false);
    else
      CTKDrawHelpers::FillGradient(dc, &rect, 0xC8F2FF, 0x97D4FF, false);
    TKDraw3dRect(dc, rect, nav_frame.Color(), nav_frame.Color());
    SetTextColor(dc, Entry(18));
    return;
  }
  const int fill = pressed ? 33 : 31, frame = pressed ? 50 : 32, text = pressed ? 47 : 45;
  CTKDrawHelpers::FillSolidRect(dc, rect, Entry(fill));
  TKDraw3dRect(dc, rect, Entry(frame), Entry(frame));
  SetTextColor(dc, Entry(text));
}

// --- Windows XP ---

void CColorSetWinXP::ReloadLook() {
  CColorSetDefault::ReloadLook();
  tab_theme.CloseTheme();
  toolbar_theme.CloseTheme();
  tab_theme.OpenTheme(nullptr, L"TAB");
  toolbar_theme.OpenTheme(nullptr, L"TOOLBAR");
  if (tab_theme.Theme()) {
    tab_highlight.SetStandardValue(kUnset);
    tab_shadow.SetStandardValue(kUnset);
    tab_dark_shadow.SetStandardValue(kUnset);
    COLORREF colour = 0;
    if (SUCCEEDED(tab_theme.GetThemeColor(9, 0, 3821, &colour))) further_face.SetStandardValue(colour);
  }
}

void CColorSetWinXP::PaintHeaderFace(HDC dc, const RECT& rect, const CTKTabManager* manager) {
  if (!tab_theme.Theme() || FAILED(tab_theme.DrawThemeBackground(dc, 9, 1, &rect, nullptr)))
    CColorSetDefault::PaintHeaderFace(dc, rect, manager);
}

void CColorSetWinXP::PaintHeaderExtra(HDC dc, const RECT& rect, const CTKTabManager*) {
  if (!tab_theme.Theme()) return;
  // The theme's tab panel has a rounded corner on the far side: keep its pixel out.
  switch (painter ? painter->position : CTKPM::kTop) {
    case CTKPM::kLeft: ExcludeClipRect(dc, rect.left, rect.bottom - 1, rect.left + 1, rect.bottom); break;
    case CTKPM::kBottom: ExcludeClipRect(dc, rect.right - 1, rect.bottom - 1, rect.right, rect.bottom); break;
    case CTKPM::kRight: ExcludeClipRect(dc, rect.right - 1, rect.bottom - 1, rect.right, rect.bottom); break;
    default: ExcludeClipRect(dc, rect.right - 1, rect.top, rect.right, rect.top + 1); break;
  }
}

COLORREF CColorSetWinXP::PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) {
  if (!tab_theme.Theme()) return CColorSetDefault::PaintTabFace(dc, rect, item);
  const int position = painter ? painter->position : CTKPM::kTop;
  const CTKTabManager* manager = item->Manager();
  const bool selected = IsSelected(item);
  int part = 5;
  if (item->Index() == 0)
    part = 6;
  else if (manager && item->Index() == manager->ItemCount() - 1 && !selected)
    part = 7;
  const int state = selected ? 3 : !IsHot(item) ? 1 : position == CTKPM::kTop ? 2 : 5;
  RECT r = rect;
  if (selected && position == CTKPM::kTop) r.bottom += 2;
  if (selected && position == CTKPM::kLeft) r.right += 1;
  if (position == CTKPM::kTop) {
    if (FAILED(tab_theme.DrawThemeBackground(dc, part, state, &r, nullptr)))
      return CColorSetDefault::PaintTabFace(dc, rect, item);
    return kUnset;
  }
  if (!PaintTurnedPart(dc, r, part, state, position)) return CColorSetDefault::PaintTabFace(dc, rect, item);
  return kUnset;
}

bool CColorSetWinXP::PaintTurnedPart(HDC dc, const RECT& rect, int part, int state, int position) {
  // The visual style only knows tabs standing on a top strip: the part is drawn that way and
  // turned to face the page.
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return true;
  const bool vertical = position == CTKPM::kLeft || position == CTKPM::kRight;
  const int upright_width = vertical ? height : width, upright_height = vertical ? width : height;
  void* upright_bits = nullptr;
  void* turned_bits = nullptr;
  KestrinWinNS::CScopedBitmap upright = KestrinWinNS::CreateDib32(upright_width, upright_height, &upright_bits);
  KestrinWinNS::CScopedBitmap turned = KestrinWinNS::CreateDib32(width, height, &turned_bits);
  if (!upright || !turned) return false;
  {
    KestrinWinNS::CBitmapDC draw(dc, upright.Get());
    const RECT all{0, 0, upright_width, upright_height};
    CTKDrawHelpers::FillSolidRect(draw.Get(), all, Entry(15));
    if (FAILED(tab_theme.DrawThemeBackground(draw.Get(), part, state, &all, nullptr))) return false;
  }
  GdiFlush();
  const TKTabPixels::Turn turn = position == CTKPM::kBottom ? TKTabPixels::Turn::kFlip
                                 : position == CTKPM::kLeft ? TKTabPixels::Turn::kTranspose
                                                            : TKTabPixels::Turn::kTransposeMirror;
  TKTabPixels::TurnPixels(static_cast<const uint32_t*>(upright_bits), upright_width, upright_height,
                          static_cast<uint32_t*>(turned_bits), turn);
  return DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(turned.Get()), 0, rect.left, rect.top, width,
                    height, DST_BITMAP) != FALSE;
}

void CColorSetWinXP::PaintButtonFace(HDC dc, RECT rect, const CTKTabManagerItem* item) {
  if (toolbar_theme.Theme() && IsSelected(item) &&
      SUCCEEDED(toolbar_theme.DrawThemeBackground(dc, 1, IsHot(item) ? 6 : 5, &rect, nullptr)))
    return;
  CColorSetDefault::PaintButtonFace(dc, rect, item);
}

void CColorSetWinXP::PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) {
  if (!toolbar_theme.Theme()) {
    CColorSetDefault::PaintNavButtonFace(dc, button, rect);
    return;
  }
  const int state = button->IsPressed() ? 3 : button->IsHot() ? 2 : 1;
  toolbar_theme.DrawThemeBackground(dc, 1, state, &rect, nullptr);
  SetTextColor(dc, Entry(18));
}

// --- Whidbey ---

void CColorSetWhidbey::ReloadLook() {
  const bool themed = painter && !painter->ThemeColoursOff();
  if (themed) {
    // Theme colours on: the Office 2003 rules in full.
    CColorSetOffice2003::ReloadLook();
    gradient_faces = true;
    return;
  }
  CColorSetOffice2003::ReloadLook();
  selected_face.SetStandardValue(Entry(5));
  selected_text.SetStandardValue(Entry(8));
  hot_face.SetStandardValue(Entry(36));
  pressed_face.SetStandardValue(Entry(33));
  hot_text.SetStandardValue(Entry(18));
  palette = false;
  gradient_faces = false;
  const int theme = GetColorManagerInstance().GetSystemThemeInUse();
  if (theme == 1 || theme == 2) {
    header_face.SetStandardColor(0xD5E2E4);
    gradient_faces = true;
  } else if (theme == 3) {
    normal_face.SetStandardValue(0xF8F5F5);
    header_face.SetStandardColor(0xEEEEEE);
    gradient_faces = true;
  }
  frame_border.SetStandardValue(Entry(57));
  selected_tab_border.SetStandardValue(Entry(57));
}

COLORREF CColorSetWhidbey::PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) {
  const COLORREF face = IsHot(item) ? hot_face.Color() : ItemColourOf(item);
  if (gradient_faces)
    FillLightenedFace(dc, rect, face, !HorizontalStrip());
  else
    CTKDrawHelpers::FillSolidRect(dc, rect, face);
  return face;
}

// --- Office 2007 ---

void CColorSetOffice2007::ReloadLook() {
  CColorSetOffice2003::ReloadLook();
  CTKOffice2007ImageSet& set = GetOffice2007ImageSet();
  if (set.HasIniText()) {
    auto read = [&set](const wchar_t* section, const wchar_t* key, std::initializer_list<CTKPaintManagerColor*> members) {
      const COLORREF c = set.ColorFromIni(section, key);
      if (c == CLR_INVALID) return;
      for (CTKPaintManagerColor* m : members) m->SetStandardValue(c);
    };
    read(L"TabManager", L"FrameBorder", {&frame_border, &selected_tab_border});
    read(L"TabManager", L"DarkShadow", {&tab_dark_shadow, &tab_border});
    read(L"TabManager", L"LightShadow", {&tab_shadow, &tab_inner_light});
    read(L"TabManager", L"HeaderFaceLight", {&header_face.light});
    read(L"TabManager", L"HeaderFaceDark", {&header_face.dark});
    read(L"TabManager", L"AutoHideFaceLight", {&autohide_face.light});
    read(L"TabManager", L"AutoHideFaceDark", {&autohide_face.dark});
    read(L"Window", L"ButtonFace", {&normal_face});
    read(L"Window", L"HighlightChecked", {&selected_face});
    read(L"Window", L"HighlightSelected", {&hot_face});
    read(L"Window", L"WindowFrame", {&nav_frame});
    tab_inner_white.SetStandardValue(0xFFFFFF);
    hot_text.SetStandardValue(0);
  } else {
    pressed_face.SetStandardValue(Entry(33));
    hot_text.SetStandardValue(Entry(18));
    ApplyPalette(1);
    FollowFrameBorder();
  }
  palette = true;
}
