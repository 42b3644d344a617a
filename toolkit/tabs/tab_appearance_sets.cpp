#include "toolkit/tabs/tab_appearance_sets.h"

#include <algorithm>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/tabs/tab_colour_sets.h"

using CTKPM = CTKTabPaintManager;

namespace {

// A tab in its own frame: `u` runs along the strip from the tab's start, `v` across it from the
// outer edge (away from the page) toward the page. Outlines are given once in this frame and
// land turned for every position.
struct TabFrame {
  RECT r;
  int position;

  bool Vertical() const { return position == CTKPM::kLeft || position == CTKPM::kRight; }
  int Length() const { return Vertical() ? r.bottom - r.top : r.right - r.left; }
  int Thick() const { return Vertical() ? r.right - r.left : r.bottom - r.top; }
  POINT At(int u, int v) const {
    switch (position) {
      case CTKPM::kBottom: return POINT{r.left + u, r.bottom - 1 - v};
      case CTKPM::kLeft: return POINT{r.left + v, r.top + u};
      case CTKPM::kRight: return POINT{r.right - 1 - v, r.top + u};
      default: return POINT{r.left + u, r.top + v};
    }
  }
  // The pixels u0 <= u < u1, v0 <= v < v1.
  RECT Span(int u0, int v0, int u1, int v1) const {
    if (u1 <= u0 || v1 <= v0) return RECT{};
    const POINT a = At(u0, v0), b = At(u1 - 1, v1 - 1);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
  }
  void Fill(HDC dc, int u0, int v0, int u1, int v1, COLORREF c) const {
    if (static_cast<int>(c) == -1) return;
    const RECT s = Span(u0, v0, u1, v1);
    if (!IsRectEmpty(&s)) CTKDrawHelpers::FillSolidRect(dc, s, c);
  }
  // A line from (u0, v0) to (u1, v1), the end point excluded as LineTo does.
  void Line(HDC dc, int u0, int v0, int u1, int v1, COLORREF c) const {
    const POINT a = At(u0, v0), b = At(u1, v1);
    TKDrawLine(dc, a.x, a.y, b.x, b.y, c);
  }
  KestrinWinNS::CScopedRegion Region(const std::vector<POINT>& points) const {
    std::vector<POINT> mapped;
    mapped.reserve(points.size());
    for (const POINT& p : points) mapped.push_back(At(p.x, p.y));
    return KestrinWinNS::CScopedRegion(CreatePolygonRgn(mapped.data(), static_cast<int>(mapped.size()), WINDING));
  }
};

bool IsSelected(const CTKTabManagerItem* item) { return item->Manager() && item->Manager()->Selected() == item; }
bool IsHot(const CTKTabManagerItem* item) { return item->Manager() && item->Manager()->Hot() == item; }

// Grows `r` by `amount` at both ends along the strip.
RECT GrowAlong(RECT r, bool vertical, int before, int after) {
  if (vertical) {
    r.top -= before;
    r.bottom += after;
  } else {
    r.left -= before;
    r.right += after;
  }
  return r;
}

// Fills the polygon's inside with the colour set's face of the item; the face colour comes back.
COLORREF FillFacePolygon(HDC dc, const TabFrame& frame, const std::vector<POINT>& points,
                         CTKPM::CColorSet* colours, const CTKTabManagerItem* item) {
  KestrinWinNS::CScopedRegion region = frame.Region(points);
  RECT box{};
  GetRgnBox(region.Get(), &box);
  const int saved = SaveDC(dc);
  ExtSelectClipRgn(dc, region.Get(), RGN_AND);
  const COLORREF face = colours->PaintTabFace(dc, box, item);
  RestoreDC(dc, saved);
  return face;
}

}  // namespace

// --- The base ---

void CTKPM::CAppearanceSet::ReloadLook() {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  int height = 0;
  if (screen) {
    KestrinWinNS::CSelectObject select(screen.Get(), painter ? painter->NormalFont() : nullptr);
    SIZE size{};
    if (GetTextExtentPoint32W(screen.Get(), L" ", 1, &size)) height = size.cy;
  }
  button_height = height >= 15 ? height + 3 : 18;
}

RECT CTKPM::CAppearanceSet::HeaderArea(const RECT& control, const CTKTabManager* manager) const {
  const int rows = std::max(1, manager->Rows().Count());
  int thick = rows * button_height + (rows - 1) * row_spacing;
  if (painter->layout == kRotated) {
    for (int i = 0; i < manager->ItemCount(); ++i) thick = std::max(thick, manager->ItemAtIndex(i)->Length());
  }
  const RECT margin = HeaderIndent();
  thick += margin.top + margin.bottom;
  RECT r = control;
  switch (Position()) {
    case kLeft: r.right = std::min(control.right, control.left + thick); break;
    case kBottom: r.top = std::max(control.top, control.bottom - thick); break;
    case kRight: r.left = std::max(control.left, control.right - thick); break;
    default: r.bottom = std::min(control.bottom, control.top + thick); break;
  }
  return r;
}

RECT CTKPM::CAppearanceSet::PageArea(const RECT& control, const CTKTabManager* manager) const {
  const RECT header = HeaderArea(control, manager);
  RECT r = control;
  switch (Position()) {
    case kLeft: r.left = header.right - 1; break;
    case kBottom: r.bottom = header.top + 1; break;
    case kRight: r.right = header.left + 1; break;
    default: r.top = header.bottom - 1; break;
  }
  return r;
}

RECT CTKPM::CAppearanceSet::PageIndent() const { return painter->client_margin; }

int CTKPM::CAppearanceSet::TabLength(HDC dc, CTKTabManagerItem* item) {
  return painter->PaintOrMeasureTab(dc, item, RECT{}, false);
}

int CTKPM::CAppearanceSet::TabThickness(const CTKTabManager* manager) const {
  const RECT& m = painter->button_margin;
  int thick = m.top + m.bottom + button_height;
  SIZE button{};
  manager->QueryTabSizes(&button, nullptr, nullptr);
  thick = std::max<int>(thick, button.cy);
  if (painter->show_icons) {
    SIZE icon = painter->icon_size;
    const_cast<CTKTabManager*>(manager)->PaintItemIcon(nullptr, POINT{}, manager->Selected(), false, icon);
    thick = std::max<int>(thick, m.top + m.bottom + std::max(icon.cx, icon.cy) + 4);
  }
  return thick;
}

void CTKPM::CAppearanceSet::PaintStrip(CTKTabManager* manager, HDC dc, const RECT& rect) {
  painter->PaintStrip(manager, dc, rect);
}

RECT CTKPM::CAppearanceSet::PaintBackdrop(CTKTabManager* manager, HDC dc, const RECT& rect) {
  const RECT header = HeaderArea(rect, manager);
  CColorSet* colours = Colours();
  colours->PaintHeaderFace(dc, header, manager);
  if (manager->ItemCount() == 0) return header;
  RECT page = PageArea(rect, manager);
  DeflateRotated(page, PageIndent(), Position());
  const COLORREF frame = colours->frame_border.Color();
  if (painter->client_frame == 0) {
    colours->PaintPageFace(dc, page, manager);
    const COLORREF light = TKColourSet(colours->tab_highlight) ? colours->tab_highlight.Color() : frame;
    const COLORREF dark = TKColourSet(colours->tab_dark_shadow) ? colours->tab_dark_shadow.Color() : frame;
    TKDraw3dRect(dc, page, light, dark);
  } else if (painter->client_frame == 1) {
    switch (Position()) {
      case kLeft: CTKDrawHelpers::FillSolidRect(dc, RECT{page.left, page.top, page.left + 1, page.bottom}, frame); break;
      case kBottom: CTKDrawHelpers::FillSolidRect(dc, RECT{page.left, page.bottom - 1, page.right, page.bottom}, frame); break;
      case kRight: CTKDrawHelpers::FillSolidRect(dc, RECT{page.right - 1, page.top, page.right, page.bottom}, frame); break;
      default: CTKDrawHelpers::FillSolidRect(dc, RECT{page.left, page.top, page.right, page.top + 1}, frame); break;
    }
  }
  return header;
}

void CTKPM::CAppearanceSet::LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect) {
  if (painter->layout == kMultiRow)
    painter->LayoutMultiRow(manager, dc, rect);
  else
    painter->LayoutSingleRow(manager, dc, rect);
}

void CTKPM::CAppearanceSet::ShrinkToPage(CTKTabManager* manager, RECT& rect) {
  const int position = Position();
  DeflateRotated(rect, painter->control_margin, position);
  rect = PageArea(rect, manager);
  DeflateRotated(rect, PageIndent(), position);
  if (painter->client_frame == 0) {
    InflateRect(&rect, -2, -2);
  } else if (painter->client_frame == 1) {
    switch (position) {
      case kLeft: rect.left += 1; break;
      case kBottom: rect.bottom -= 1; break;
      case kRight: rect.right -= 1; break;
      default: rect.top += 1; break;
    }
  }
}

void CTKPM::CAppearanceSet::PaintPageFramePart(HDC dc, RECT& rect, int part) {
  CColorSet* colours = Colours();
  if (!painter->static_frame) {
    if (part == 1) InflateRect(&rect, 2, 2);
    if (part == 2 || part == 3) CTKDrawHelpers::FillSolidRect(dc, rect, colours->control_face.Color());
    return;
  }
  switch (part) {
    case 0: {
      RECT r = rect;
      TKDraw3dRect(dc, r, colours->tab_highlight.Color(), colours->frame_border.Color());
      InflateRect(&r, -1, -1);
      TKDraw3dRect(dc, r, ColorByIndex(COLOR_3DFACE), ColorByIndex(COLOR_3DSHADOW));
      break;
    }
    case 1: rect.top -= 1; break;
    case 2: CTKDrawHelpers::FillSolidRect(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, colours->control_face.Color()); break;
    case 3: CTKDrawHelpers::FillSolidRect(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, colours->control_face.Color()); break;
    default: break;
  }
}

void CTKPM::CAppearanceSet::PaintContent(HDC dc, CTKTabManagerItem* item, const RECT& rect) {
  painter->PaintOrMeasureTab(dc, item, rect, true);
}

// --- Property page ---

CAppearanceSetPropertyPage::CAppearanceSetPropertyPage() {
  header_margin = RECT{2, 3, 6, 0};
  number = CTKPM::kPropertyPage;
}

RECT CAppearanceSetPropertyPage::TabRedrawArea(const CTKTabManagerItem* item) const {
  RECT r = item->Rect();
  InflateRect(&r, 2, 2);
  return r;
}

RECT CAppearanceSetPropertyPage::PageIndent() const {
  RECT r = painter->client_margin;
  if (Colours() && Colours()->UsesSystemTheme() && painter->client_frame == 0) {
    r.right += 2;
    if (Position() == CTKPM::kTop || Position() == CTKPM::kLeft) r.bottom += 2;
  }
  return r;
}

void CAppearanceSetPropertyPage::PaintOutline(HDC dc, CTKTabManagerItem* item, bool with_face) {
  const bool selected = IsSelected(item);
  const int position = Position();
  RECT r = item->Rect();
  if (selected) {
    if (position == CTKPM::kTop) {
      r.left -= 2;
      r.top -= 2;
      r.right += 2;
    } else if (position == CTKPM::kLeft) {
      r.left -= 2;
      r.top -= 2;
      r.bottom += 2;
    } else {
      InflateRect(&r, 2, 2);
    }
  }
  const TabFrame f{r, position};
  const int L = f.Length(), T = f.Thick();
  // The selected tab of the row beside the page runs into it; the others stop at the page frame.
  const bool joins = selected && item->Row() == 0;
  const int inner = joins ? T : T - 1;
  CTKPM::CColorSet* colours = Colours();
  if (with_face) {
    const RECT face = f.Span(1, 1, L - 2, inner);
    colours->PaintTabFace(dc, face, item);
  }
  const COLORREF light = colours->tab_highlight.Color();
  const COLORREF dark = colours->tab_dark_shadow.Color();
  const COLORREF shadow = colours->tab_shadow.Color();
  f.Fill(dc, 0, 2, 1, inner, light);
  f.Fill(dc, 1, 1, 2, 2, light);
  f.Fill(dc, 2, 0, L - 2, 1, light);
  f.Fill(dc, L - 1, 2, L, inner, dark);
  f.Fill(dc, L - 2, 1, L - 1, 2, dark);
  f.Fill(dc, L - 2, 2, L - 1, inner, shadow);
}

void CAppearanceSetPropertyPage::PaintTab(HDC dc, CTKTabManagerItem* item) {
  PaintOutline(dc, item, true);
  PaintContent(dc, item, item->Rect());
}

CAppearanceSetPropertyPageSelected::CAppearanceSetPropertyPageSelected() { number = CTKPM::kPropertyPageSelected; }

void CAppearanceSetPropertyPageSelected::PaintTab(HDC dc, CTKTabManagerItem* item) {
  if (IsSelected(item) || IsHot(item)) PaintOutline(dc, item, true);
  PaintContent(dc, item, item->Rect());
}

// --- Flat ---

CAppearanceSetFlat::CAppearanceSetFlat() {
  header_margin = RECT{2, 2, 4, 0};
  number = CTKPM::kFlat;
}

void CAppearanceSetFlat::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const TabFrame f{item->Rect(), Position()};
  const int L = f.Length(), T = f.Thick();
  const RECT r = f.Span(0, 0, L - 1, IsSelected(item) ? T + 1 : T);
  CTKPM::CColorSet* colours = Colours();
  colours->PaintButtonFace(dc, r, item);
  TKDraw3dRect(dc, r, colours->button_highlight.Color(), colours->frame_border.Color());
  PaintContent(dc, item, item->Rect());
}

CAppearanceSetPropertyPageFlat::CAppearanceSetPropertyPageFlat() {
  header_margin = RECT{2, 2, 4, 0};
  number = CTKPM::kPropertyPageFlat;
}

RECT CAppearanceSetPropertyPageFlat::PageIndent() const { return painter->client_margin; }

void CAppearanceSetPropertyPageFlat::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const bool selected = IsSelected(item);
  const TabFrame f{item->Rect(), Position()};
  const int L = f.Length(), T = f.Thick();
  const int inner = selected && item->Row() == 0 ? T : T - 1;
  CTKPM::CColorSet* colours = Colours();
  colours->PaintTabFace(dc, f.Span(1, 1, L - 1, inner), item);
  const COLORREF light = TKColourSet(colours->tab_highlight) ? colours->tab_highlight.Color() : colours->button_highlight.Color();
  const COLORREF frame = colours->frame_border.Color();
  f.Fill(dc, 0, 0, 1, inner, light);
  f.Fill(dc, 1, 0, L - 1, 1, light);
  f.Fill(dc, L - 1, 0, L, inner, frame);
  PaintContent(dc, item, item->Rect());
}

// --- Property page 2003 and Visual Studio 2005 ---

CAppearanceSetPropertyPage2003::CAppearanceSetPropertyPage2003() {
  header_margin = RECT{2, 3, 6, 0};
  number = CTKPM::kPropertyPage2003;
}

RECT CAppearanceSetPropertyPage2003::HeaderIndent() const {
  RECT r = header_margin;
  r.left += button_height;
  return r;
}

RECT CAppearanceSetPropertyPage2003::PageIndent() const {
  RECT r = painter->client_margin;
  if (Colours() && Colours()->UsesSystemTheme() && painter->client_frame == 0) {
    r.right += 2;
    if (Position() == CTKPM::kTop || Position() == CTKPM::kLeft) r.bottom += 2;
  }
  return r;
}

RECT CAppearanceSetPropertyPage2003::TabRedrawArea(const CTKTabManagerItem* item) const {
  const TabFrame f{item->Rect(), Position()};
  return GrowAlong(item->Rect(), f.Vertical(), f.Thick(), 2);
}

std::vector<POINT> CAppearanceSetPropertyPage2003::FacePoints(int L, int T) const {
  const int s = Slant(T);
  return {{-s, T}, {0, 0}, {L - 1, 0}, {L - 1, T}};
}

void CAppearanceSetPropertyPage2003::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const bool selected = IsSelected(item);
  const TabFrame f{item->Rect(), Position()};
  const int L = f.Length(), T = f.Thick();
  CTKPM::CColorSet* colours = Colours();
  const std::vector<POINT> points = FacePoints(L, T);
  FillFacePolygon(dc, f, points, colours, item);
  COLORREF border = selected ? colours->selected_tab_border.Color() : colours->tab_border.Color();
  if (!selected && hot_border && IsHot(item)) border = colours->selected_button_border.dark.Color();
  if (static_cast<int>(border) == -1) border = colours->frame_border.Color();
  for (size_t i = 0; i + 1 < points.size(); ++i)
    f.Line(dc, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, border);
  if (selected) {
    const COLORREF white = TKColourSet(colours->tab_inner_white) ? colours->tab_inner_white.Color() : RGB(255, 255, 255);
    const int s = Slant(T);
    f.Line(dc, -s + 2, T, 1, 1, white);
    f.Line(dc, 1, 1, L - 2, 1, white);
  }
  PaintContent(dc, item, item->Rect());
}

CAppearanceSetVisualStudio2005::CAppearanceSetVisualStudio2005() {
  number = CTKPM::kVisualStudio2005;
  left_to_right = true;
}

RECT CAppearanceSetVisualStudio2005::HeaderIndent() const {
  RECT r = header_margin;
  r.left += button_height / 2;
  return r;
}

RECT CAppearanceSetVisualStudio2005::TabRedrawArea(const CTKTabManagerItem* item) const {
  const TabFrame f{item->Rect(), Position()};
  return GrowAlong(item->Rect(), f.Vertical(), f.Thick() / 2, f.Thick() / 2);
}

std::vector<POINT> CAppearanceSetVisualStudio2005::FacePoints(int L, int T) const {
  const int s = Slant(T);
  return {{-s, T}, {0, 2}, {1, 1}, {2, 0}, {L - 3, 0}, {L - 2, 1}, {L - 1, 2}, {L - 1, T}};
}

// --- State buttons ---

CAppearanceSetStateButtons::CAppearanceSetStateButtons() {
  header_margin = RECT{2, 2, 4, 2};
  number = CTKPM::kStateButtons;
}

void CAppearanceSetStateButtons::PaintTab(HDC dc, CTKTabManagerItem* item) {
  Colours()->PaintButtonFace(dc, item->Rect(), item);
  PaintContent(dc, item, item->Rect());
}

RECT CAppearanceSetStateButtons::PaintBackdrop(CTKTabManager* manager, HDC, const RECT& rect) {
  return HeaderArea(rect, manager);
}

// --- Visual Studio ---

CAppearanceSetVisualStudio::CAppearanceSetVisualStudio() {
  header_margin = RECT{4, 2, 4, 0};
  number = CTKPM::kVisualStudio;
}

void CAppearanceSetVisualStudio::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const TabFrame f{item->Rect(), Position()};
  const int L = f.Length(), T = f.Thick();
  CTKPM::CColorSet* colours = Colours();
  if (IsSelected(item)) {
    const RECT r = f.Span(0, 0, L, T + 1);
    colours->PaintTabFace(dc, r, item);
    TKDraw3dRect(dc, r, colours->button_highlight.Color(), colours->selected_text.Color());
  } else {
    f.Fill(dc, L - 1, 2, L, T - 2, colours->frame_border.Color());
  }
  PaintContent(dc, item, item->Rect());
}

// --- Excel ---

CAppearanceSetExcel::CAppearanceSetExcel() {
  header_margin = RECT{2, 3, 2, 0};
  number = CTKPM::kExcel;
}

RECT CAppearanceSetExcel::HeaderIndent() const {
  RECT r = header_margin;
  r.left += button_height / 2;
  r.right += button_height / 2;
  return r;
}

RECT CAppearanceSetExcel::TabRedrawArea(const CTKTabManagerItem* item) const {
  const TabFrame f{item->Rect(), Position()};
  return GrowAlong(item->Rect(), f.Vertical(), f.Thick() / 2, f.Thick() / 2);
}

void CAppearanceSetExcel::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const bool selected = IsSelected(item);
  const TabFrame f{item->Rect(), Position()};
  const int h = f.Thick();
  const int f2 = h / 2;
  const int shift = h / 4;
  const int left = -shift, right = f.Length() - shift;
  const int bottom = h - 1;
  const int top = bottom - 2 * f2;
  CTKPM::CColorSet* colours = Colours();
  const std::vector<POINT> face = {{left, bottom}, {left + f2, top}, {right, top}, {right + f2, bottom}};
  const COLORREF face_colour = FillFacePolygon(dc, f, face, colours, item);
  const CTKPaintManagerColor* group = colours->excel[selected ? 0 : 1];
  f.Line(dc, left + 1, bottom - 1, left + f2 + 1, top, group[3].Color());
  f.Line(dc, left + f2, top + 1, right, top + 1, group[3].Color());
  f.Line(dc, right - 1, top, right + f2 - 1, bottom, group[4].Color());
  f.Line(dc, left, bottom - 1, left + f2, top, group[0].Color());
  f.Line(dc, left + f2, top, right, top, group[0].Color());
  f.Line(dc, right, top, right + f2, bottom, group[2].Color());
  if (selected && static_cast<int>(face_colour) != -1) f.Line(dc, left, bottom, right + f2, bottom, face_colour);
  PaintContent(dc, item, item->Rect());
}

// --- Visio ---

CAppearanceSetVisio::CAppearanceSetVisio() {
  header_margin = RECT{0, 0, 0, 0};
  number = CTKPM::kVisio;
}

RECT CAppearanceSetVisio::PageFor(const CTKTabManager* manager, const RECT& control) const {
  const int count = manager->ItemCount();
  const int selected = manager->SelectedIndex();
  const int h = button_height;
  RECT page = control;
  page.top = control.top + (selected + 1) * h + 1;
  page.bottom = control.bottom - (count - 1 - selected) * h;
  if (page.bottom < page.top + h) page.bottom = page.top + h;
  if (painter->client_frame != 2) {
    if (selected == count - 1) page.bottom -= 1;
    page.left += 1;
    page.right -= 1;
  }
  return page;
}

void CAppearanceSetVisio::LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect) {
  RECT rc = rect;
  if (painter->static_frame) CTKPM::DeflateRotated(rc, RECT{2, 1, 2, 2}, CTKPM::kTop);
  const int count = manager->ItemCount();
  const int selected = manager->SelectedIndex();
  const int h = button_height;
  for (int i = 0; i < count; ++i) {
    CTKTabManagerItem* item = manager->ItemAtIndex(i);
    const int length = TabLength(dc, item);
    // A bar is as wide as the control; its caption starts at the bar's start.
    item->SetDesiredLength(length);
    item->SetLength(length);
    const int top = i <= selected ? rc.top + i * h : rc.bottom - (count - i) * h;
    item->SetRect(RECT{rc.left, top, rc.right, top + h});
  }
  manager->SetHeaderRect(RECT{});
  for (CTKTabManagerNavigateButton* button : manager->NavigateButtons()) button->Hide();
}

void CAppearanceSetVisio::ShrinkToPage(CTKTabManager* manager, RECT& rect) { rect = PageFor(manager, rect); }

RECT CAppearanceSetVisio::PaintBackdrop(CTKTabManager* manager, HDC dc, const RECT& rect) {
  CTKPM::CColorSet* colours = Colours();
  colours->PaintPageFace(dc, rect, manager);
  if (painter->client_frame != 2) TKDraw3dRect(dc, rect, colours->frame_border.Color(), colours->frame_border.Color());
  return RECT{};
}

void CAppearanceSetVisio::PaintTab(HDC dc, CTKTabManagerItem* item) {
  const RECT r = item->Rect();
  CTKPM::CColorSet* colours = Colours();
  colours->PaintTabFace(dc, r, item);
  TKDraw3dRect(dc, r, colours->tab_highlight.Color(), colours->frame_border.Color());
  const COLORREF grip = ColorByIndex(38);
  for (int y = r.top + 4; y + 1 < r.bottom - 3; y += 2)
    CTKDrawHelpers::FillSolidRect(dc, RECT{r.right - 10, y, r.right - 7, y + 1}, grip);
  RECT content = r;
  content.right -= 7 + 3;
  PaintContent(dc, item, content);
}
