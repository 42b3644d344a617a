// The ribbon theme's frame parts: the caption band the ribbon draws (from the frame images, as
// glass with desktop composition, or a plain band without a frame), the window title on it,
// the caption buttons and the frame region through the Office 2007 frame drawing, the system
// button and the system menu's faces.
#include <algorithm>
#include <utility>

#include "platform/appframe/dc.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/ribbon/ribbon_theme.h"


namespace {

constexpr RECT kBandMargins{0, 5, 0, 3};
constexpr UINT kTitleFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

void DrawPlainTitle(HDC dc, const std::wstring& text, RECT rect, COLORREF colour) {
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old = SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kTitleFormat);
  SetTextColor(dc, old);
  SetBkMode(dc, mode);
}

}  // namespace

void CTKRibbonTheme::PaintCaption(HDC dc, const CCaptionInfo& info) {
  PaintCaptionBand(dc, info.caption, info.companion, info.composition, info.active);
  if (info.small_icon) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const int top = info.caption.top + info.frame_border;
    const int y = top + (info.caption.bottom - top - cy) / 2;
    DrawIconEx(dc, info.caption.left + 10, y, info.small_icon, cx, cy, 0, nullptr, DI_NORMAL);
  }
  PaintRibbonTitle(dc, info);
}

void CTKRibbonTheme::PaintCaptionBand(HDC dc, const RECT& band, bool companion, bool composition, bool active) {
  if (band.right <= band.left || band.bottom <= band.top) return;
  if (composition) {
    CTKDrawHelpers::FillSolidRect(dc, band, RGB(0, 0, 0));  // black is what the glass shows through
    return;
  }
  if (!companion) {
    DrawImage(dc, L"FRAMETOPCENTER", RECT{band.left, band.top - 1, band.right, band.bottom}, 2, 0, kBandMargins,
              false);
    return;
  }
  PaintCaptionBandImages(dc, band, active ? 0 : 1);
}

void CTKRibbonTheme::PaintRibbonTitle(HDC dc, const CCaptionInfo& info) {
  if (info.text.empty() || info.title.right <= info.title.left) return;
  RECT rect = info.title;
  if (info.maximized) OffsetRect(&rect, 0, info.frame_border / 2);
  KestrinWinNS::CSelectObject font(dc, FrameCaptionFont().GetSafeHandle());
  if (!info.composition) {
    CDC wrapped;
    wrapped.Attach(dc);
    PaintCaptionTitle(&wrapped, CRect(rect), info.text, info.active);
    return;
  }
  if (info.maximized) {
    DrawPlainTitle(dc, info.text, rect, RGB(255, 255, 255));
    return;
  }
  // Glowing text on glass; plain black without visual styles.
  if (!DrawGlowingText(dc, static_cast<HFONT>(FrameCaptionFont().GetSafeHandle()), info.text, rect,
                       info.maximized ? 5 : 1, info.active ? 1 : 2, CLR_INVALID, kTitleFormat))
    DrawPlainTitle(dc, info.text, rect, RGB(0, 0, 0));
}

bool CTKRibbonTheme::DrawGlowingText(HDC dc, HFONT font, const std::wstring& text, const RECT& rect, int part,
                                     int state, COLORREF colour, UINT format) {
  CTKWinThemeWrapper style;
  if (!style.OpenTheme(nullptr, L"WINDOW")) return false;
  // The buffer is a little wider than the text so that the glow is not cut.
  RECT area{rect.left - 5, rect.top, rect.right + 5, rect.bottom};
  BP_PAINTPARAMS params{};
  params.cbSize = sizeof(params);
  params.dwFlags = BPPF_ERASE;
  HDC buffer_dc = nullptr;
  HPAINTBUFFER buffer = style.BeginBufferedPaint(dc, &area, BPBF_TOPDOWNDIB, &params, &buffer_dc);
  if (!buffer || !buffer_dc) return false;
  HRESULT drawn = E_FAIL;
  {
    KestrinWinNS::CSelectObject buffer_font(buffer_dc, font);
    DTTOPTS options{};
    options.dwSize = sizeof(options);
    options.dwFlags = DTT_COMPOSITED | DTT_GLOWSIZE;
    options.iGlowSize = 8;
    if (colour != CLR_INVALID) {
      options.dwFlags |= DTT_TEXTCOLOR;
      options.crText = colour;
    }
    RECT text_rect = rect;
    drawn = style.DrawThemeTextEx(buffer_dc, part, state, text.c_str(), static_cast<int>(text.size()), format,
                                  &text_rect, &options);
  }
  // A buffer the text could not be drawn into is dropped; the caller draws plainly.
  style.EndBufferedPaint(buffer, SUCCEEDED(drawn));
  return SUCCEEDED(drawn);
}

void CTKRibbonTheme::PaintFrameCaptionButton(HDC dc, const RECT& rect, int command, bool selected, bool pressed,
                                             bool active) {
  CDC wrapped;
  wrapped.Attach(dc);
  PaintCaptionButton(&wrapped, CRect(rect), command, pressed, selected, active);
}

KestrinWinNS::CScopedRegion CTKRibbonTheme::FrameRegion(int w, int h, bool status_bar, int border) {
  return KestrinWinNS::CScopedRegion(WindowFrameRegion(false, w, h, status_bar, border));
}

void CTKRibbonTheme::PaintSystemButton(HDC dc, const RECT& rect, int state, HICON frame_icon) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  CTKOffice2007Image* image = nullptr;
  if (w > 54 && h > 54) image = ImageNamed(L"FRAMESYSTEMBUTTON52");
  if (!image) image = ImageNamed(L"FRAMESYSTEMBUTTON");
  if (image) DrawCentred(image, dc, rect, image->GetPartRect(std::clamp(state, 0, 2), 3));
  if (frame_icon)
    DrawIconEx(dc, (rect.left + rect.right - 33) / 2, (rect.top + rect.bottom - 31) / 2, frame_icon, 32, 32, 0,
               nullptr, DI_NORMAL);
}

void CTKRibbonTheme::PaintSystemMenu(HDC dc, const RECT& client, const RECT& borders) {
  DrawImage(dc, L"RIBBONSYSTEMMENU", client, 1, 0, borders, false);
}

void CTKRibbonTheme::PaintListCaptionEdges(HDC dc, const RECT& caption) {
  for (auto [y, key] : {std::pair<LONG, const wchar_t*>{caption.bottom - 6, L"RecentFileListEdgeShadow"},
                        {caption.bottom - 5, L"RecentFileListEdgeHighLight"}}) {
    const COLORREF colour = RibbonSectionColour(key);
    if (colour != CLR_INVALID) CTKDrawHelpers::FillSolidRect(dc, RECT{caption.left, y, caption.right, y + 1}, colour);
  }
}

void CTKRibbonTheme::PaintSystemMenuButton(HDC dc, const RECT& rect, bool selected) {
  DrawImage(dc, L"RIBBONSYSTEMMENUBUTTON", rect, 2, selected ? 1 : 0, RECT{2, 2, 2, 2}, true);
}
