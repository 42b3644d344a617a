// Scroll-bar layout and drawing of the default and Office 2007 schemas.
#include <algorithm>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_image.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_schema_default.h"

namespace {

// SCROLLBAR parts.
enum {
  kArrowBtn = 1, kThumbHorz = 2, kThumbVert = 3, kLowerTrackHorz = 4, kUpperTrackHorz = 5, kLowerTrackVert = 6,
  kUpperTrackVert = 7, kGripperHorz = 8, kGripperVert = 9,
};
enum { kImageCount = 2401 };
constexpr int kMinThumb = 8;

int Length(const RECT& r, bool vertical) { return vertical ? r.bottom - r.top : r.right - r.left; }

// A span [from, to) along the bar turned into a rectangle.
RECT Span(const RECT& bar, bool vertical, int from, int to) {
  if (to <= from) return RECT{};
  return vertical ? RECT{bar.left, bar.top + from, bar.right, bar.top + to}
                  : RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
}

COLORREF SkinColor(CTKSkinManager* manager, int index) {
  const COLORREF c = manager->Metrics()->Color(index);
  return c == CLR_INVALID ? GetSysColor(index) : c;
}

int ElementState(const CTKSkinScrollBarInfo& bar, int element, bool enabled) {
  if (!enabled) return 4;
  if (bar.pressed == element) return 3;
  if (bar.hot == element) return 2;
  return 1;
}

bool Enabled(HWND hwnd, const CTKSkinScrollBarInfo& bar) {
  return bar.HasRange() && (!bar.control || IsWindowEnabled(hwnd));
}

}  // namespace

bool CTKSkinScrollBarInfo::HasRange() const {
  const long long range = static_cast<long long>(info.nMax) - info.nMin + 1;
  return range > static_cast<long long>(info.nPage);
}

RECT CTKSkinScrollBarInfo::ElementRect(int element) const {
  const int len = Length(rect, vertical);
  const int thick = vertical ? rect.right - rect.left : rect.bottom - rect.top;
  if (len <= 0 || thick <= 0) return RECT{};
  const int arrow = std::min(thick, len / 2);
  const int track = len - 2 * arrow;
  if (element == kScrollFirstArrow) return Span(rect, vertical, 0, arrow);
  if (element == kScrollSecondArrow) return Span(rect, vertical, len - arrow, len);
  int thumbStart = arrow, thumbEnd = arrow;
  if (HasRange() && track >= kMinThumb) {
    const long long range = static_cast<long long>(info.nMax) - info.nMin + 1;
    int thumb = info.nPage ? static_cast<int>(track * static_cast<long long>(info.nPage) / range) : thick;
    thumb = std::min(std::max(thumb, kMinThumb), track);
    const long long last = static_cast<long long>(info.nMax) - std::max<long long>(static_cast<long long>(info.nPage) - 1, 0);
    const long long scrollable = last - info.nMin;
    const long long pos = std::min(std::max<long long>(info.nPos, info.nMin), std::max<long long>(last, info.nMin));
    const int offset = scrollable > 0 ? static_cast<int>((track - thumb) * (pos - info.nMin) / scrollable) : 0;
    thumbStart = arrow + offset;
    thumbEnd = thumbStart + thumb;
  }
  switch (element) {
    case kScrollTrackBefore:
      return Span(rect, vertical, arrow, thumbStart == thumbEnd ? len - arrow : thumbStart);
    case kScrollThumb:
      return Span(rect, vertical, thumbStart, thumbEnd);
    case kScrollTrackAfter:
      return thumbStart == thumbEnd ? RECT{} : Span(rect, vertical, thumbEnd, len - arrow);
    default:
      return RECT{};
  }
}

int CTKSkinScrollBarInfo::HitTest(POINT pt) const {
  if (!PtInRect(&rect, pt)) return kScrollNone;
  for (int element : {kScrollFirstArrow, kScrollSecondArrow, kScrollThumb, kScrollTrackBefore, kScrollTrackAfter}) {
    const RECT r = ElementRect(element);
    if (PtInRect(&r, pt)) return element;
  }
  return kScrollNone;
}

void CTKSkinManagerSchemaDefault::PaintScrollBarParts(HDC dc, HWND hwnd, const CTKSkinScrollBarInfo& bar) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"SCROLLBAR");
  const bool enabled = Enabled(hwnd, bar);
  const bool v = bar.vertical;
  const bool hoverFrames = cls->GetInt(kArrowBtn, 0, kImageCount, 1) == 20 && bar.mouseOver;
  auto paint = [&](int part, int state, const RECT& rc, bool button) {
    if (rc.right <= rc.left || rc.bottom <= rc.top) return;
    if (cls->DrawBackground(dc, part, state, rc)) return;
    // The skin has nothing for the part: flat colours of the skin.
    if (button) {
      RECT r = rc;
      SkinDrawFunctions::DrawEdge(manager_, dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    } else {
      SkinDrawFunctions::FillSolid(dc, rc, SkinColor(manager_, COLOR_SCROLLBAR));
    }
  };
  // Arrow states: up 1-4, down 5-8, left 9-12, right 13-16; hover frames 17-20.
  const int firstBase = v ? 0 : 8, secondBase = v ? 4 : 12;
  const int hover[2] = {v ? 17 : 19, v ? 18 : 20};
  const int arrows[2][2] = {{kScrollFirstArrow, firstBase}, {kScrollSecondArrow, secondBase}};
  for (int i = 0; i < 2; ++i) {
    int state = ElementState(bar, arrows[i][0], enabled);
    if (state == 1 && hoverFrames) state = hover[i] - arrows[i][1];
    paint(kArrowBtn, arrows[i][1] + state, bar.ElementRect(arrows[i][0]), true);
  }
  paint(v ? kLowerTrackVert : kLowerTrackHorz, ElementState(bar, kScrollTrackBefore, enabled),
        bar.ElementRect(kScrollTrackBefore), false);
  paint(v ? kUpperTrackVert : kUpperTrackHorz, ElementState(bar, kScrollTrackAfter, enabled),
        bar.ElementRect(kScrollTrackAfter), false);
  const RECT thumb = bar.ElementRect(kScrollThumb);
  if (enabled && thumb.right > thumb.left) {
    const int state = ElementState(bar, kScrollThumb, enabled);
    paint(v ? kThumbVert : kThumbHorz, state, thumb, true);
    if (Length(thumb, v) > (v ? 13 : 9)) cls->DrawBackground(dc, v ? kGripperVert : kGripperHorz, state, thumb);
  }
}

bool CTKSkinManagerSchemaOffice2007::IsDarkCorner(HWND hwnd) {
  HWND ancestor = GetParent(hwnd);
  while (ancestor && (GetWindowLongW(ancestor, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) ancestor = GetParent(ancestor);
  if (!ancestor) return false;
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(ancestor, &client);
  POINT corner{client.right, client.bottom};
  ClientToScreen(ancestor, &corner);
  const int size = manager_->Metrics()->ScrollWidth();
  return corner.x - window.right >= 0 && corner.x - window.right <= size && corner.y - window.bottom >= 0 &&
         corner.y - window.bottom <= size;
}

COLORREF CTKSkinManagerSchemaOffice2007::SizeBoxFillColor(HWND hwnd) {
  return IsDarkCorner(hwnd) ? RGB(121, 158, 207) : RGB(245, 245, 245);
}

void CTKSkinManagerSchemaOffice2007::PaintScrollBarParts(HDC dc, HWND hwnd, const CTKSkinScrollBarInfo& bar) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"SCROLLBAR");
  const bool v = bar.vertical;
  const bool dark = IsDarkCorner(hwnd);
  auto image = [&](const wchar_t* light, const wchar_t* darkName) { return cls->Images().GetImage(dark ? darkName : light); };
  CTKSkinImage* background = v ? image(L"OFFICE2007\\SCROLLVERTICALLIGHT.BMP", L"OFFICE2007\\SCROLLVERTICALDARK.BMP")
                               : image(L"OFFICE2007\\SCROLLHORIZONTALLIGHT.BMP", L"OFFICE2007\\SCROLLHORIZONTALDARK.BMP");
  if (!background || background->Height() < 2) {
    CTKSkinManagerSchemaDefault::PaintScrollBarParts(dc, hwnd, bar);
    return;
  }
  // The i-th of n frames stacked vertically.
  auto frame = [](CTKSkinImage* img, int i, int n) {
    const int h = img->Height() / n;
    return RECT{0, i * h, img->Width(), (i + 1) * h};
  };
  const RECT across = v ? RECT{1, 0, 1, 0} : RECT{0, 1, 0, 1};
  background->PaintImage(dc, bar.rect, frame(background, 0, 2), across, CLR_INVALID, kSizingStretch, FALSE);
  const bool enabled = Enabled(hwnd, bar);
  CTKSkinImage* arrows =
      v ? image(L"OFFICE2007\\SCROLLARROWSVERTICALLIGHT.BMP", L"OFFICE2007\\SCROLLARROWSVERTICALDARK.BMP")
        : image(L"OFFICE2007\\SCROLLARROWSHORIZONTALLIGHT.BMP", L"OFFICE2007\\SCROLLARROWSHORIZONTALDARK.BMP");
  CTKSkinImage* glyphs = cls->Images().GetImage(L"OFFICE2007\\SCROLLARROWGLYPHS.BMP");
  const bool showButtons = enabled && (bar.mouseOver || bar.pressed != kScrollNone);
  const int glyphBase[2] = {v ? 1 : 9, v ? 5 : 13};
  const int elements[2] = {kScrollFirstArrow, kScrollSecondArrow};
  for (int i = 0; i < 2; ++i) {
    const RECT area = bar.ElementRect(elements[i]);
    if (showButtons && arrows && arrows->Height() >= 4) {
      RECT button = area;
      if (v)
        InflateRect(&button, -1, 0);
      else
        InflateRect(&button, 0, -1);
      const int f = bar.pressed == elements[i] ? 3 : bar.hot == elements[i] ? 2 : 1;
      arrows->PaintImage(dc, button, frame(arrows, f, 4), RECT{3, 3, 3, 3}, CLR_INVALID, kSizingStretch, FALSE);
    }
    if (glyphs && glyphs->Height() >= 16) {
      const int g = glyphBase[i] + (enabled ? 0 : 3);
      const RECT src = frame(glyphs, g - 1, 16);
      const int w = src.right - src.left, h = src.bottom - src.top;
      const int x = area.left + (area.right - area.left - w) / 2, y = area.top + (area.bottom - area.top - h) / 2;
      glyphs->PaintImage(dc, RECT{x, y, x + w, y + h}, src, RECT{}, RGB(255, 0, 255), kSizingStretch, FALSE);
    }
  }
  for (int element : {kScrollTrackBefore, kScrollTrackAfter}) {
    if (bar.pressed == element)
      background->PaintImage(dc, bar.ElementRect(element), frame(background, 1, 2), across, CLR_INVALID,
                             kSizingStretch, FALSE);
  }
  const RECT thumb = bar.ElementRect(kScrollThumb);
  CTKSkinImage* thumbImage = cls->Images().GetImage(v ? L"OFFICE2007\\SCROLLTHUMBVERTICAL.BMP"
                                                       : L"OFFICE2007\\SCROLLTHUMBHORIZONTAL.BMP");
  if (enabled && thumbImage && thumbImage->Height() >= 3 && thumb.right > thumb.left) {
    const int f = bar.pressed == kScrollThumb ? 2 : bar.hot == kScrollThumb ? 1 : 0;
    thumbImage->PaintImage(dc, thumb, frame(thumbImage, f, 3), RECT{5, 5, 5, 5}, CLR_INVALID, kSizingStretch, FALSE);
    if (Length(thumb, v) > 10) cls->DrawBackground(dc, v ? kGripperVert : kGripperHorz, f + 1, thumb);
  }
}
