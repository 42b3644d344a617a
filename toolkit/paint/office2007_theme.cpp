#include "toolkit/paint/office2007_theme.h"

#include <algorithm>
#include <vector>

#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/drawing/system_helpers.h"

using namespace TKCommandBars;

namespace TKPaintThemes {

namespace {
const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLabelLine = RGB(197, 197, 197);

void VerticalGradient(CDC* dc, const CRect& rect, COLORREF from, COLORREF to) {
  if (rect.IsRectEmpty()) return;
  CTKDrawHelpers::FillGradient(*dc, &rect, from, to, false);
}

// The gallery's scroll parts are drawn as the theme draws its images.
bool DrawImagePart(CTKOffice2007Image* image, CDC* dc, const CRect& rect, int part, int parts, const RECT& margins) {
  return CTKOffice2007Theme::DrawImagePart(image, *dc, rect, part, parts, margins);
}

void DrawCentred(CTKOffice2007Image* image, CDC* dc, const CRect& rect, const RECT& src) {
  CTKOffice2007Theme::DrawCentred(image, *dc, rect, src);
}

// A thumb up to this height shows no grip.
constexpr int kGripMinThumb = 13;
}  // namespace

// ---------------------------------------------------------------------------------------------
// The theme

CTKOffice2007Theme::CTKOffice2007Theme(CTKOffice2007ImageSet* set) : set_(set ? set : &GetOffice2007ImageSet()) {
  embossed_disabled_ = true;
  system_theme_selection_ = 0;
  themed_status_ = true;
  if (gallery_) gallery_->InternalRelease();
  gallery_ = new CTKControlGalleryOffice2007Theme(this);
  status_top_.SetStandardColors(RGB(221, 236, 254), RGB(199, 224, 255));
  status_bottom_.SetStandardColors(RGB(185, 213, 250), RGB(214, 232, 255));
}

CTKOffice2007Image* CTKOffice2007Theme::ImageNamed(const wchar_t* name) const { return set_->GetImage(name); }

bool CTKOffice2007Theme::DrawImagePart(CTKOffice2007Image* image, HDC dc, const RECT& rect, int part, int parts,
                                       const RECT& margins, bool transparent) {
  if (!image) return false;
  const RECT src = image->GetPartRect(part, parts);
  if (transparent)
    image->DrawTransparentColor(dc, rect, src, margins, kMagenta);
  else
    image->DrawWithSizingMargins(dc, rect, src, margins);
  return true;
}

void CTKOffice2007Theme::DrawCentred(CTKOffice2007Image* image, HDC dc, const RECT& rect, const RECT& src) {
  const int w = src.right - src.left, h = src.bottom - src.top;
  const int x = rect.left + (rect.right - rect.left - w) / 2, y = rect.top + (rect.bottom - rect.top - h) / 2;
  image->DrawTransparentColor(dc, RECT{x, y, x + w, y + h}, src, RECT{0, 0, 0, 0}, kMagenta);
}

void CTKOffice2007Theme::PaintCaptionBandImages(HDC dc, const RECT& band, int part) {
  CTKOffice2007Image* left = ImageNamed(L"FRAMETOPLEFT");
  CTKOffice2007Image* right = ImageNamed(L"FRAMETOPRIGHT");
  const RECT margins{0, 5, 0, 3};
  const int width = band.right - band.left;
  const int lw = left ? std::min<int>(left->GetWidth(), width) : 0;
  const int rw = right ? std::min<int>(right->GetWidth(), width - lw) : 0;
  DrawImagePart(ImageNamed(L"FRAMETOPCENTER"), dc, RECT{band.left + lw, band.top, band.right - rw, band.bottom}, part,
                2, margins, false);
  if (lw > 0) DrawImagePart(left, dc, RECT{band.left, band.top, band.left + lw, band.bottom}, part, 2, margins, false);
  if (rw > 0) DrawImagePart(right, dc, RECT{band.right - rw, band.top, band.right, band.bottom}, part, 2, margins, false);
}

void CTKOffice2007Theme::ReloadColorsAndFonts() {
  CTKOffice2003Theme::ReloadColorsAndFonts();
  // The caption font of the frames the theme draws.
  CSystemNonClientMetrics metrics;
  LOGFONTW caption = metrics.lfCaptionFont;
  caption.lfWeight = FW_NORMAL;
  BOOL smoothing = FALSE;
  UINT smoothingType = 0;
  if (::SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0) && smoothing &&
      ::SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &smoothingType, 0) && smoothingType == FE_FONTSMOOTHINGCLEARTYPE)
    caption.lfQuality = CLEARTYPE_NATURAL_QUALITY;
  if (vertical_face_configured_ && CTKDrawHelpers::IsFontInstalled(configured_face_.c_str()))
    lstrcpynW(caption.lfFaceName, configured_face_.c_str(), LF_FACESIZE);
  if (caption.lfHeight > -11 && caption.lfHeight < 0) caption.lfHeight = -11;
  if (caption_font_.IsStandard() || !caption_font_.GetSafeHandle()) {
    caption_font_.DeleteObject();
    caption_font_.CreateFontIndirect(&caption);
  }
  caption_height_ = std::max(::GetSystemMetrics(SM_CYCAPTION), 17);
  caption_metric_ = std::max(::GetSystemMetrics(SM_CYCAPTION) + 1, 18);
  ReadIniColors();
  BuildTintedGlyph();
  if (gallery_) gallery_->RefreshMetrics();
}

void CTKOffice2007Theme::ReadIniColors() {
  CTKOffice2007ImageSet& set = *set_;
  // A key the INI lacks keeps the colour it had: the value -1 would paint as white.
  auto read = [&set](const wchar_t* section, const wchar_t* key, COLORREF* target) {
    const COLORREF c = set.ColorFromIni(section, key);
    if (c == CLR_INVALID) return false;
    *target = c;
    return true;
  };
  auto entry = [&](const wchar_t* section, const wchar_t* key, int index) {
    COLORREF c;
    if (read(section, key, &c)) colors_[index].SetStandardValue(c);
  };
  auto gradient = [&](const wchar_t* section, const wchar_t* light, const wchar_t* dark,
                      CTKPaintManagerColorGradient& g, float factor) {
    COLORREF l = g.light.Color(), d = g.dark.Color();
    read(section, light, &l);
    read(section, dark, &d);
    g.SetStandardColors(l, d, factor);
  };
  COLORREF status_text = status_text_color_;
  if (read(L"StatusBar", L"StatusBarText", &status_text)) status_text_color_ = status_text;
  read(L"StatusBar", L"StatusBarShadow", &status_shadow_);
  gradient(L"StatusBar", L"StatusBarFaceTopLight", L"StatusBarFaceTopDark", status_top_, 0.5f);
  gradient(L"StatusBar", L"StatusBarFaceBottomLight", L"StatusBarFaceBottomDark", status_bottom_, 0.5f);
  gradient(L"Toolbar", L"DockBarFace", L"DockBarFace", dock_bar_, 0.5f);
  gradient(L"Toolbar", L"ToolbarFaceLight", L"ToolbarFaceDark", tool_bar_face_, 0.75f);
  COLORREF c;
  if (read(L"Toolbar", L"ToolbarFaceShadow", &c)) tool_bar_shadow_.SetStandardValue(c);
  gradient(L"Toolbar", L"ControlToolbarExpandLight", L"ControlToolbarExpandDark", expand_button_, 0.75f);
  gradient(L"Toolbar", L"ControlHighlightPopupedLight", L"ControlHighlightPopupedDark", popped_control_, 0.5f);
  checked_popped_.SetStandardFrom(popped_control_);
  gradient(L"Toolbar", L"MenuPopupExpandedGripperLight", L"MenuPopupExpandedGripperDark", expanded_gripper_, 0.5f);
  if (read(L"Toolbar", L"MenuPopupTearOffGripper", &c)) tear_off_gripper_.SetStandardValue(c);
  read(L"Toolbar", L"MenuBarText", &menu_bar_text_);
  entry(L"Toolbar", L"MenuPopupBorder", 43);
  entry(L"Toolbar", L"ToolbarGripper", 38);
  entry(L"Window", L"WindowFrame", 54);
  if (read(L"Toolbar", L"FloatingBarGripper", &c)) floating_caption_.SetStandardValue(c);
  if (read(L"Toolbar", L"FloatingBarGripperText", &c)) floating_caption_text_.SetStandardValue(c);
  entry(L"Toolbar", L"FloatingBarBorder", 61);
  entry(L"Workspace", L"AppWorkspace", 12);
  entry(L"Window", L"ButtonFace", 51);
  entry(L"Toolbar", L"ToolbarFace", 30);
  entry(L"Toolbar", L"ToolbarSeparator", 39);
  entry(L"Toolbar", L"ControlDisabledIcon", 40);
  read(L"Workspace", L"WorkspaceClientTop", &workspace_[0]);
  read(L"Workspace", L"WorkspaceClientMiddle", &workspace_[1]);
  read(L"Workspace", L"WorkspaceClientBottom", &workspace_[2]);
  entry(L"Window", L"HighlightSelected", 31);
  entry(L"Window", L"HighlightSelectedBorder", 32);
  entry(L"Window", L"HighlightPressed", 33);
  entry(L"Window", L"HighlightPressedBorder", 50);
  entry(L"Window", L"HighlightChecked", 36);
  entry(L"Window", L"HighlightCheckedBorder", 37);
  gradient(L"Window", L"HighlightSelectedLight", L"HighlightSelectedDark", selected_control_, 0.5f);
  gradient(L"Window", L"HighlightCheckedLight", L"HighlightCheckedDark", checked_control_, 0.5f);
  gradient(L"Window", L"HighlightPressedLight", L"HighlightPressedDark", pressed_control_, 0.5f);
  const wchar_t* borders[8] = {L"BorderActive0",   L"BorderActive1",   L"BorderActive2",   L"BorderActive3",
                               L"BorderInactive0", L"BorderInactive1", L"BorderInactive2", L"BorderInactive3"};
  for (int i = 0; i < 8; ++i) read(L"Window", borders[i], &border_[i]);
  read(L"Window", L"CaptionTextActive", &caption_text_[0]);
  read(L"Window", L"CaptionTextInActive", &caption_text_[1]);
  read(L"Window", L"CaptionTextActiveTitle", &caption_text_[2]);
  entry(L"Toolbar", L"ControlLabel", 56);
  entry(L"Toolbar", L"ControlEditBorder", 53);
  gradient(L"Toolbar", L"ControlDisabledIconLight", L"ControlDisabledIconDark", face_gradient_, 0.5f);
  // Fixed values of the look.
  scheme_color_ = 0;
  colors_[41].SetStandardValue(RGB(246, 246, 246));
  for (int i : {44, 45, 46, 47}) colors_[i].SetStandardValue(0);
  for (int i : {35, 58, 60}) colors_[i].SetStandardValue(RGB(141, 141, 141));
  colors_[52].SetStandardValue(tool_bar_shadow_.Color());
  scheme_colors_ = true;
}

int CTKOffice2007Theme::TextColorForState(const ItemState& s) {
  if (!s.selected && !s.pressed && !s.checked && !s.popped && s.enabled && s.bar_type == kMenuBar)
    return static_cast<int>(menu_bar_text_);
  return CTKOffice2003Theme::TextColorForState(s);
}

void CTKOffice2007Theme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  if (!s.enabled && !s.checked) return;
  const CTKPaintManagerColorGradient* face = nullptr;
  int border = 32;
  if (s.bar_type == kPopupBar && !s.checked) {
    if (!(s.selected || s.pressed)) return;
    FillAndFrame(dc, rect, 31, 32);
    return;
  }
  if (s.popped) {
    face = s.checked ? &checked_popped_ : &popped_control_;
    border = 43;
  } else if (s.pressed && (s.selected || s.pressed >= 2)) {
    face = &pressed_control_;
    border = 50;
  } else if (s.checked && s.selected) {
    face = &pressed_control_;
    border = 50;
  } else if (s.checked) {
    face = &checked_control_;
    border = 37;
  } else if (s.selected || s.pressed) {
    face = &selected_control_;
    border = 32;
  }
  if (!face) return;
  CTKDrawHelpers::FillColorGradient(*dc, &rect, *face, false);
  FillAndFrame(dc, rect, -1, border);
}

void CTKOffice2007Theme::PaintBarBackground(CDC* dc, CTKCommandBar* bar) {
  const CRect rect = bar->GetClientRect();
  if (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup) {
    FillAndFrame(dc, rect, 41, 43);
    return;
  }
  if (bar->GetType() == kMenuBar) {
    CTKDrawHelpers::FillColorGradient(*dc, &rect, dock_bar_, bar->IsVertical());
    return;
  }
  CTKDrawHelpers::FillColorGradient(*dc, &rect, tool_bar_face_, bar->IsVertical());
  // The shadow under (or beside) the bar.
  const COLORREF shadow = tool_bar_shadow_.Color();
  if (bar->IsVertical())
    dc->FillSolidRect(rect.right - 1, rect.top, 1, rect.Height(), shadow);
  else
    dc->FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, shadow);
}

void CTKOffice2007Theme::PaintDockArea(CDC* dc, const CRect& rect) {
  CTKDrawHelpers::FillColorGradient(*dc, &rect, dock_bar_, false);
}

void CTKOffice2007Theme::PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip) {
  if (besideGrip) return;
  dc->FillSolidRect(rect.right - 1, rect.top, 1, rect.bottom - 2 - rect.top, ResolveColor(39));
  dc->FillSolidRect(rect.right, rect.top, 1, rect.bottom - 2 - rect.top, kWhite);
}

void CTKOffice2007Theme::PaintSizeGrip(CDC* dc, const CRect& rect) {
  for (int pass = 0; pass < 2; ++pass) {
    for (int r = 0; r < 3; ++r) {
      for (int k = 0; k < 3 - r; ++k) {
        const int x = rect.right - 3 - 4 * k, y = rect.bottom - 3 - 4 * r;
        if (pass == 0)
          dc->FillSolidRect(x + 1, y + 1, 2, 2, kWhite);
        else
          dc->FillSolidRect(x, y, 2, 2, ResolveColor(39));
      }
    }
  }
}

void CTKOffice2007Theme::PaintStatusBackground(CDC* dc, const CRect& rect) {
  dc->FillSolidRect(rect.left, rect.top, rect.Width(), 1, status_shadow_);
  const CRect top(rect.left, rect.top + 1, rect.right, std::min<int>(rect.top + 9, rect.bottom));
  const CRect bottom(rect.left, top.bottom, rect.right, rect.bottom);
  CTKDrawHelpers::FillColorGradient(*dc, &top, status_top_, false);
  CTKDrawHelpers::FillColorGradient(*dc, &bottom, status_bottom_, false);
}

void CTKOffice2007Theme::PaintClientArea(CDC* dc, const CRect& rect, const CRect& excluded) {
  const int saved = ::SaveDC(*dc);
  ::IntersectClipRect(*dc, rect.left, rect.top, rect.right, rect.bottom);
  if (!excluded.IsRectEmpty()) ::ExcludeClipRect(*dc, excluded.left, excluded.top, excluded.right, excluded.bottom);
  int top = rect.top;
  if (CTKOffice2007Image* corner = ImageNamed(L"WORKSPACETOPLEFT")) {
    const SIZE size = corner->GetSize();
    const CRect band(rect.left, rect.top, rect.left + std::max<int>(size.cx, rect.Width()), rect.top + size.cy);
    corner->DrawWithSizingMargins(*dc, band, RECT{0, 0, size.cx, size.cy}, RECT{size.cx - 1, 0, 0, 0});
    top = band.bottom;
  }
  const int middle = top + (rect.bottom - top) * 2 / 3;
  VerticalGradient(dc, CRect(rect.left, top, rect.right, middle), workspace_[0], workspace_[1]);
  VerticalGradient(dc, CRect(rect.left, middle, rect.right, rect.bottom), workspace_[1], workspace_[2]);
  ::RestoreDC(*dc, saved);
}

void CTKOffice2007Theme::PaintCaptionButton(CDC* dc, const CRect& rect, int command, bool pressed, bool hot,
                                            bool enabled) {
  const int state = !enabled ? 3 : (hot && pressed) ? 2 : (hot || pressed) ? 1 : 0;
  if (enabled && (hot || pressed))
    DrawImagePart(ImageNamed(L"FRAMECAPTIONBUTTON"), *dc, rect, (hot && pressed) ? 1 : 0, 2, RECT{3, 3, 3, 3});
  const wchar_t* name = command == 61536 ? L"CLOSE" : command == 61472 ? L"MINIMIZE" : command == 61488 ? L"MAXIMIZE"
                                                                                                          : L"RESTORE";
  const int size = rect.Width() <= 14 ? 13 : rect.Width() <= 26 ? 17 : 23;
  wchar_t image_name[64];
  swprintf_s(image_name, L"FRAMECAPTION%s%i", name, size);
  CTKOffice2007Image* glyph = ImageNamed(image_name);
  if (!glyph) return;
  DrawCentred(glyph, *dc, rect, glyph->GetPartRect(state, 5));
}

void CTKOffice2007Theme::PaintWindowFrame(CDC* dc, const TKFrameInfo& f) {
  const int w = f.size.cx, h = f.size.cy, a = f.border;
  const COLORREF* colours = &border_[f.active ? 0 : 4];
  // The side columns from the caption's bottom down: 0, 1 and 2 their own colours, the rest 3.
  const int inner_bottom = h - a - (f.status_bar ? f.status_height + 1 : 0);
  for (int column = 0; column < a; ++column) {
    const COLORREF colour = colours[std::min(column, 3)];
    const int bottom = column == 0 ? h : inner_bottom;
    if (bottom <= f.caption_height) continue;
    dc->FillSolidRect(column, f.caption_height, 1, bottom - f.caption_height, colour);
    dc->FillSolidRect(w - 1 - column, f.caption_height, 1, bottom - f.caption_height, colour);
  }
  // The bottom border: its last line, and the rest above it inset by a pixel at each side.
  if (a > 1) dc->FillSolidRect(1, h - a, w - 2, a - 1, colours[3]);
  const COLORREF last = !f.active ? border_[4] : f.maximized ? border_[3] : border_[0];
  dc->FillSolidRect(0, h - 1, w, 1, last);
  PaintStatusBarBorders(dc, f);
  if (!f.draws_caption || f.caption_height <= 0) return;
  // The caption band, composed off the screen from its three images (0 active, 1 inactive).
  const CRect band(0, 0, w, f.caption_height);
  CTKOffice2007Image* left = ImageNamed(L"FRAMETOPLEFT");
  CTKOffice2007Image* right = ImageNamed(L"FRAMETOPRIGHT");
  CTKOffice2007Image* centre = ImageNamed(L"FRAMETOPCENTER");
  if (!left || !right || !centre) {
    dc->FillSolidRect(&band, colours[3]);
    PaintFrameSmallIcon(dc, f);
    return;
  }
  PaintCaptionBandImages(*dc, band, f.active ? 0 : 1);
  PaintFrameSmallIcon(dc, f);
}

void CTKOffice2007Theme::PaintFrameSmallIcon(CDC* dc, const TKFrameInfo& f) {
  HICON icon = f.window ? FrameSmallIcon(f.window) : nullptr;
  if (!icon) return;
  // From x = 7, centred in the caption below the frame's top border.
  const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
  const int top = f.border;
  const int y = top + std::max(0, (f.caption_height - top - cy) / 2);
  ::DrawIconEx(*dc, 7, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
}

void CTKOffice2007Theme::PaintStatusBarBorders(CDC* dc, const TKFrameInfo& f) {
  const int w = f.size.cx, h = f.size.cy, a = f.border;
  if (!f.status_bar || a < 2) return;
  // Beside the status bar the side borders continue its face: the leftmost columns of the
  // light strip on the left, of the dark strip on the right.
  const int top = h - a - f.status_height - 1, bottom = h - a;
  if (bottom > top) {
    struct Strip {
      const wchar_t* image;
      CRect at;
    } strips[] = {{L"STATUSBARLIGHT", CRect(1, top, a, bottom)}, {L"STATUSBARDARK", CRect(w - a, top, w - 1, bottom)}};
    for (const Strip& strip : strips) {
      CTKOffice2007Image* image = ImageNamed(strip.image);
      if (!image) continue;
      const SIZE size = image->GetSize();
      const CRect source(0, 0, std::min<int>(a - 1, size.cx), size.cy);
      image->DrawWithSizingMargins(*dc, strip.at, source, RECT{0, 0, 0, 0});
    }
  }
  if (a < 4) return;
  // The rounded lower corners (0 active, 1 inactive), at their own size.
  const int part = f.active ? 0 : 1;
  const struct {
    const wchar_t* image;
    bool left;
  } corners[] = {{L"FRAMEBOTTOMLEFT", true}, {L"FRAMEBOTTOMRIGHT", false}};
  for (const auto& c : corners) {
    CTKOffice2007Image* corner = ImageNamed(c.image);
    if (!corner) continue;
    const RECT source = corner->GetPartRect(part, 2);
    const int cw = source.right - source.left, ch = source.bottom - source.top;
    const int x = c.left ? 0 : w - cw;
    corner->DrawTransparentColor(*dc, CRect(x, h - ch, x + cw, h), source, RECT{0, 0, 0, 0}, kMagenta);
  }
}

HICON CTKOffice2007Theme::FrameSmallIcon(HWND window, bool dialogFrame) const {
  if (!window) return nullptr;
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE), ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  if ((ex & WS_EX_TOOLWINDOW) || !(style & WS_SYSMENU)) return nullptr;
  const bool dialog = dialogFrame || (ex & WS_EX_DLGMODALFRAME);
  if (HICON icon = TKWindowSmallIcon(window, dialog)) return icon;
  return dialog ? nullptr : ::LoadIconW(nullptr, MAKEINTRESOURCEW(32517));
}

HRGN CTKOffice2007Theme::WindowFrameRegion(bool maximized, int w, int h, bool statusBar, int borderWidth) {
  if (maximized) return nullptr;
  std::vector<RECT> rects = {{4, 0, w - 4, 1}, {2, 1, w - 2, 2}, {1, 2, w - 1, 3}, {1, 3, w - 1, 4}, {0, 4, w, h - 4}};
  if (statusBar && borderWidth > 3) {
    rects.push_back({1, h - 4, w - 1, h - 2});
    rects.push_back({2, h - 2, w - 2, h - 1});
    rects.push_back({4, h - 1, w - 4, h});
  } else {
    rects.push_back({0, h - 4, w, h});
  }
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rects.size());
  header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  header->rcBound = RECT{0, 0, w, h};
  memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

void CTKOffice2007Theme::PaintCaptionTitle(CDC* dc, const CRect& rect, const std::wstring& text, bool active) {
  HGDIOBJ old = dc->SelectObject(caption_font_.GetSafeHandle());
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(caption_text_[active ? 0 : 1]);
  CRect rc = rect;
  ::DrawTextW(*dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  dc->SelectObject(old);
}

// ---------------------------------------------------------------------------------------------
// The gallery

CTKControlGalleryOffice2007Theme::CTKControlGalleryOffice2007Theme(CTKOffice2007Theme* owner)
    : CTKControlGalleryPaintManager(owner), theme_(owner) {}

void CTKControlGalleryOffice2007Theme::RefreshMetrics() {
  CTKControlGalleryPaintManager::RefreshMetrics();
  scroll_width_ = hscroll_width_ = hscroll_height_ = vscroll_height_ = 17;
  up_height_ = 21;
  down_height_ = 19;
  column_width_ = 15;
  CTKOffice2007ImageSet* set = theme_->ImageSetOf();
  auto read = [set](const wchar_t* key, COLORREF* target) {
    const COLORREF c = set->ColorFromIni(L"Toolbar", key);
    if (c != CLR_INVALID) *target = c;
  };
  read(L"ControlGallerySelected", &selected_);
  read(L"ControlGalleryNormal", &normal_);
  read(L"ControlGalleryBorder", &border_colour_);
  border_ = border_colour_;
}

void CTKControlGalleryOffice2007Theme::PaintGalleryBack(CDC* dc, CTKControlGallery* gallery, const CRect& rect) {
  CTKCommandBar* bar = gallery->GetParent();
  COLORREF face;
  if (bar && bar->GetPosition() == kPopup)
    face = owner_->ResolveColor(41);
  else
    face = (gallery->GetSelected() && gallery->GetEnabled()) ? selected_ : normal_;
  dc->FillSolidRect(&rect, face);
  if (gallery->IsShowBorders()) {
    CBrush frame(border_colour_);
    dc->FrameRect(&rect, frame);
  }
  if (gallery->HasSeparatorLine()) dc->FillSolidRect(rect.left, rect.bottom - 2, rect.Width(), 1, kLabelLine);
}

void CTKControlGalleryOffice2007Theme::PaintGroupLabel(CDC* dc, CTKControlGallery* gallery, const CRect& rect,
                                                       const std::wstring& caption) {
  dc->FillSolidRect(&rect, owner_->ResolveColor(56));
  dc->FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, kLabelLine);
  HGDIOBJ old = dc->SelectObject(owner_->BarFontFor(gallery->GetParent(), true)->GetSafeHandle());
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(owner_->ResolveColor(44));
  CRect text(rect.left + 10, rect.top, rect.right - 10, rect.bottom);
  ::DrawTextW(*dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  dc->SelectObject(old);
}

void CTKControlGalleryOffice2007Theme::PaintInlineScroller(CDC* dc, CTKControlGallery* gallery) {
  CRect column = gallery->GetScrollBarRect();
  if (column.IsRectEmpty()) return;
  column.left = column.right - 15;
  const CRect up(column.left, column.top, column.right, column.top + up_height_);
  const CRect down(column.left, up.bottom, column.right, up.bottom + down_height_);
  const CRect more(column.left, down.bottom, column.right, column.bottom);
  const int limit = std::max(0, gallery->GetContentHeight() - gallery->GetItemsRect().Height());
  const bool enabled = gallery->GetEnabled();
  const int hot = gallery->GetHotPart();
  const bool gallery_hot = gallery->GetSelected() != 0;
  struct Button {
    const wchar_t* image;
    CRect rect;
    int part;
    bool able;
  } buttons[] = {{L"CONTROLGALLERYUP", up, CTKScrollBase::kPartUpArrow, gallery->GetScrollPos() > 0},
                 {L"CONTROLGALLERYDOWN", down, CTKScrollBase::kPartDownArrow, gallery->GetScrollPos() < limit},
                 {L"CONTROLGALLERYPOPUP", more, CTKScrollBase::kPartEnd, true}};
  for (const Button& b : buttons) {
    int part = 0;
    if (!enabled || !b.able)
      part = 4;
    else if (gallery->TrackedPartPressed() && gallery->TrackedPart() == b.part)
      part = 3;
    else if (hot == b.part)
      part = 2;
    else if (gallery_hot)
      part = 1;
    if (!DrawImagePart(theme_->ImageNamed(b.image), dc, b.rect, part, 5, RECT{2, 2, 2, 2})) {
      CTKControlGalleryPaintManager::PaintInlineScroller(dc, gallery);
      return;
    }
  }
}

void CTKControlGalleryOffice2007Theme::PaintPopupScroller(CDC* dc, CTKControlGallery* gallery) {
  const TKScrollBarGeometry& g = gallery->Geometry();
  // In a drop-down the light images, elsewhere the dark ones.
  const bool light = gallery->GetParent() && gallery->GetParent()->GetPosition() == kPopup;
  CTKOffice2007Image* back =
      theme_->ImageNamed(light ? L"CONTROLGALLERYSCROLLVERTICALLIGHT" : L"CONTROLGALLERYSCROLLVERTICALDARK");
  CTKOffice2007Image* arrows =
      theme_->ImageNamed(light ? L"CONTROLGALLERYSCROLLARROWSVERTICALLIGHT" : L"CONTROLGALLERYSCROLLARROWSVERTICALDARK");
  CTKOffice2007Image* thumb = theme_->ImageNamed(L"CONTROLGALLERYSCROLLTHUMBVERTICAL");
  if (!back || !arrows || !thumb || g.bar.IsRectEmpty()) {
    CTKControlGalleryPaintManager::PaintPopupScroller(dc, gallery);
    return;
  }
  const bool enabled = gallery->GetEnabled() && !g.thumb_fixed;
  const int pressed = gallery->TrackedPartPressed() ? gallery->TrackedPart() : 0;
  const int hot = gallery->GetHotPart();
  DrawImagePart(back, dc, g.bar, pressed == CTKScrollBase::kPartPageUp || pressed == CTKScrollBase::kPartPageDown,
                2, RECT{1, 0, 1, 0});
  auto state = [&](int part, int disabled) {
    if (!enabled) return disabled;
    if (pressed == part) return 2;
    return hot == part ? 1 : 0;
  };
  // The glyphs: a row per arrow state, the up arrow's column left of the down arrow's.
  CTKOffice2007Image* glyphs = theme_->ImageNamed(L"CONTROLGALLERYSCROLLARROWGLYPHS");
  const struct {
    CRect rect;
    int part, column;
  } buttons[] = {{CRect(g.bar.left, g.bar.top, g.bar.right, g.up_end), CTKScrollBase::kPartUpArrow, 0},
                 {CRect(g.bar.left, g.down_start, g.bar.right, g.bar.bottom), CTKScrollBase::kPartDownArrow, 1}};
  for (const auto& b : buttons) {
    const int s = state(b.part, 3);
    DrawImagePart(arrows, dc, b.rect, s, 4, RECT{3, 3, 3, 3});
    if (!glyphs) continue;
    RECT cell = glyphs->GetPartRect(s, 4);
    const int w = (cell.right - cell.left) / 2;
    cell.left += b.column * w;
    cell.right = cell.left + w;
    DrawCentred(glyphs, dc, b.rect, cell);
  }
  if (!enabled) return;
  const CRect thumb_rect(g.bar.left, g.thumb_top, g.bar.right, g.thumb_bottom);
  const int s = state(CTKScrollBase::kPartThumb, 0);
  DrawImagePart(thumb, dc, thumb_rect, s, 3, RECT{3, 3, 3, 3});
  // The grip only on a thumb tall enough to hold it.
  CTKOffice2007Image* grip = theme_->ImageNamed(L"CONTROLGALLERYSCROLLTHUMBGRIPPERVERTICAL");
  if (grip && thumb_rect.Height() > kGripMinThumb) DrawCentred(grip, dc, thumb_rect, grip->GetPartRect(s, 3));
}

}  // namespace TKPaintThemes
