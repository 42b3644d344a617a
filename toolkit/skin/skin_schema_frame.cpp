// The default schema's window frame: borders, caption with icon, text and caption buttons, the
// frame's border widths and the window region cut from the caption image's transparent corners.
#include <algorithm>
#include <string>

#include "platform/win/gdi.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_schema_default.h"

namespace {

// WINDOW parts.
enum {
  kCaption = 1, kSmallCaption = 2, kFrameLeft = 7, kFrameRight = 8, kFrameBottom = 9, kSmallFrameLeft = 10,
  kSmallFrameRight = 11, kSmallFrameBottom = 12, kCloseButton = 18,
};
enum { kBgType = 4001, kBorderColor = 3801, kSizingMargins = 3601, kTransparentColor = 3809 };
enum { kBgImage = 0, kBgBorderFill = 1 };
constexpr COLORREF kMagenta = RGB(255, 0, 255);
// Outside values taken from a skin are kept within these bounds.
constexpr int kMaxCaption = 400;
constexpr int kMaxMargin = 1000;

bool IsToolWindow(LONG exStyle) { return (exStyle & WS_EX_TOOLWINDOW) != 0; }

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

COLORREF SkinColor(CTKSkinManager* manager, int index) {
  const COLORREF c = manager->Metrics()->Color(index);
  return c == CLR_INVALID ? GetSysColor(index) : c;
}

// A 32-bit top-down bitmap in a memory DC, for reading back what was drawn.
class PixelBuffer {
 public:
  PixelBuffer(int width, int height) : width_(width), height_(height) {
    void* bits = nullptr;
    bitmap_ = KestrinWinNS::CreateDib32(width, height, &bits);
    bits_ = static_cast<const DWORD*>(bits);
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (dc_ && bitmap_) old_ = SelectObject(dc_.Get(), bitmap_.Get());
  }
  ~PixelBuffer() {
    if (old_) SelectObject(dc_.Get(), old_);
  }
  bool ok() const { return bits_ && old_; }
  HDC dc() const { return dc_.Get(); }
  COLORREF At(int x, int y) const {
    const DWORD p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_, height_;
  KestrinWinNS::CScopedBitmap bitmap_;
  KestrinWinNS::CScopedMemoryDC dc_;
  const DWORD* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

void AddRow(KestrinWinNS::CScopedRegion* region, int left, int y, int right) {
  KestrinWinNS::CScopedRegion row(CreateRectRgn(left, y, right, y + 1));
  if (!*region) {
    *region = std::move(row);
    return;
  }
  CombineRgn(region->Get(), region->Get(), row.Get(), RGN_OR);
}

HICON WindowIcon(HWND hwnd, LONG style, LONG exStyle) {
  HICON icon = TKWindowSmallIcon(hwnd, (style & DS_MODALFRAME) || (exStyle & WS_EX_DLGMODALFRAME));
  return icon ? icon : LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // the application icon
}

}  // namespace

RECT CTKSkinManagerSchema::ComputeFrameBorders(HWND hwnd) {
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, GetWindowLongW(hwnd, GWL_STYLE), FALSE, GetWindowLongW(hwnd, GWL_EXSTYLE));
  return RECT{-r.left, -r.top, r.right - 100, r.bottom - 100};
}

int CTKSkinManagerSchemaDefault::BorderCount(LONG style, LONG exStyle, bool withClientEdge) const {
  int count = (exStyle & WS_EX_WINDOWEDGE) ? 2 : (exStyle & WS_EX_STATICEDGE) ? 1 : 0;
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) ++count;
  if (style & WS_THICKFRAME) count += Clamp(manager_->Metrics()->BorderWidth(), 0, 50);
  if (withClientEdge && (exStyle & WS_EX_CLIENTEDGE)) count += 2;
  return count;
}

RECT CTKSkinManagerSchemaDefault::ComputeFrameBorders(HWND hwnd) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  CTKSkinManagerMetrics* m = manager_->Metrics();
  const bool caption = (style & WS_CAPTION) == WS_CAPTION;
  int captionHeight = IsToolWindow(ex) ? m->SmallCaptionHeight() : m->CaptionHeight();
  if (captionHeight <= 0) captionHeight = GetSystemMetrics(IsToolWindow(ex) ? SM_CYSMCAPTION : SM_CYCAPTION);
  captionHeight = Clamp(captionHeight, 0, kMaxCaption);
  if (caption && !(style & WS_CHILD) && IsZoomed(hwnd)) {
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, style & ~WS_CAPTION, FALSE, ex);
    const int d = -r.left;
    return RECT{d, captionHeight + d, d, d};
  }
  RECT b{0, caption ? captionHeight : 0, 0, 0};
  const int count = BorderCount(style, ex, false);
  b.left += count * m->CxBorder();
  b.right += count * m->CxBorder();
  b.top += count * m->CyBorder();
  b.bottom += count * m->CyBorder();
  if (ex & WS_EX_CLIENTEDGE) {
    b.left += m->CxEdge();
    b.right += m->CxEdge();
    b.top += m->CyEdge();
    b.bottom += m->CyEdge();
  }
  return b;
}

SIZE CTKSkinManagerSchemaDefault::CaptionButtonSize(int h) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"WINDOW");
  if (cls->GetEnum(kCloseButton, 0, kBgType, kBgImage) != kBgImage) return SIZE{h, h};
  SIZE frame{};
  if (!cls->MeasurePart(kCloseButton, 1, nullptr, 1, &frame) || frame.cy <= 0 || frame.cx <= 0) return SIZE{h, h};
  const int width = MulDiv(frame.cx - frame.cy, 4, frame.cy) + MulDiv(frame.cx, h, frame.cy);
  return SIZE{Clamp(width, 1, 4 * std::max(h, 1)), h};
}

int CTKSkinManagerSchemaDefault::PlaceCaptionButtons(HDC dc, CTKSkinObjectFrame* frame) {
  HWND hwnd = frame->Handle();
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  RECT window;
  GetWindowRect(hwnd, &window);
  const int width = window.right - window.left;
  const int count = BorderCount(style, ex, false);
  auto& buttons = frame->CaptionButtons();
  if (buttons.empty()) return width - count;
  const RECT borders = ComputeFrameBorders(hwnd);
  CTKSkinManagerMetrics* m = manager_->Metrics();
  int height = borders.top + caption_offset_ - count * m->CyBorder() - 5;
  if (ex & WS_EX_CLIENTEDGE) height -= 2;
  height = std::max(height, 1);
  const SIZE size = IsToolWindow(ex) ? SIZE{height, height} : CaptionButtonSize(height);
  int top = (borders.top - height) / 2;
  if (ex & (WS_EX_WINDOWEDGE | WS_EX_STATICEDGE)) top += 1;
  if (style & WS_THICKFRAME) top += (Clamp(m->BorderWidth(), 0, 50) + 1) / 2;
  if (ex & WS_EX_CLIENTEDGE) top -= 1;
  int right = width - count - 2;
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"WINDOW");
  for (size_t i = 0; i < buttons.size(); ++i) {
    CTKSkinObjectFrame::CCaptionButton& b = buttons[i];
    b.rect = RECT{right - size.cx, top, right, top + size.cy};
    right = b.rect.left - 2;
    if (!dc) continue;
    if (!cls->DrawBackground(dc, b.part, frame->ButtonState(i), b.rect)) {
      // No image for the button: the system's caption button in the button's state.
      UINT kind = b.command == SC_CLOSE ? DFCS_CAPTIONCLOSE
                  : b.command == SC_MAXIMIZE ? DFCS_CAPTIONMAX
                  : b.command == SC_CONTEXTHELP ? DFCS_CAPTIONHELP
                  : b.command == SC_MINIMIZE ? DFCS_CAPTIONMIN
                                             : DFCS_CAPTIONRESTORE;
      const int state = frame->ButtonState(i) & 3;
      if (state == 3) kind |= DFCS_PUSHED;
      if (!b.enabled) kind |= DFCS_INACTIVE;
      RECT r = b.rect;
      DrawFrameControl(dc, &r, DFC_CAPTION, kind);
    }
  }
  return buttons.back().rect.left;
}

void CTKSkinManagerSchemaDefault::PaintEdgesOnly(HDC dc, HWND hwnd, RECT rc) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  if (ex & WS_EX_WINDOWEDGE)
    SkinDrawFunctions::DrawEdge(manager_, dc, &rc, EDGE_RAISED, BF_RECT | BF_ADJUST);
  else if (ex & WS_EX_STATICEDGE)
    SkinDrawFunctions::DrawEdge(manager_, dc, &rc, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (ex & WS_EX_DLGMODALFRAME)) {
    const bool face = (style & WS_DLGFRAME) ||
                      (ex & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    const COLORREF color = SkinColor(manager_, face ? COLOR_BTNFACE : COLOR_WINDOWFRAME);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + 1}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top, rc.left + 1, rc.bottom}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, color);
    InflateRect(&rc, -1, -1);
  }
  if (style & WS_THICKFRAME) {
    const int band = Clamp(manager_->Metrics()->BorderWidth(), 0, 50);
    const COLORREF color = SkinColor(manager_, COLOR_BTNFACE);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + band}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.bottom - band, rc.right, rc.bottom}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top, rc.left + band, rc.bottom}, color);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.right - band, rc.top, rc.right, rc.bottom}, color);
    InflateRect(&rc, -band, -band);
  }
  if (ex & WS_EX_CLIENTEDGE) SkinDrawFunctions::DrawEdge(manager_, dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
}

void CTKSkinManagerSchemaDefault::PaintCaption(HDC dc, CTKSkinObjectFrame* frame, const RECT& strip, bool tool,
                                               int state) {
  HWND hwnd = frame->Handle();
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"WINDOW");
  const int part = tool ? kSmallCaption : kCaption;
  if (!cls->DrawBackground(dc, part, state, strip))
    SkinDrawFunctions::FillSolid(dc, strip, SkinColor(manager_, state == 1 ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
  CTKSkinManagerMetrics* m = manager_->Metrics();
  int captionHeight = tool ? m->SmallCaptionHeight() : m->CaptionHeight();
  if (captionHeight <= 0) captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  const int captionTop = std::max(0, static_cast<int>(strip.bottom) - captionHeight);
  const int left = BorderCount(style, ex, false) * m->CxBorder();
  int textLeft = left + 2;
  if (!tool && (style & WS_SYSMENU)) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const int y = captionTop + (static_cast<int>(strip.bottom) - captionTop - cy) / 2;
    if (HICON icon = WindowIcon(hwnd, style, ex)) DrawIconEx(dc, left + 2, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
    textLeft = left + 2 + cx + 3;
  }
  const int buttonsLeft = PlaceCaptionButtons(dc, frame);
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
  CTKFontDC font(dc, tool ? m->SmallCaptionFont() : m->CaptionFont());
  font.SetTextColor(SkinColor(manager_, state == 1 ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  const RECT textRect{textLeft, captionTop, buttonsLeft - 2, strip.bottom};
  if (textRect.right > textRect.left)
    cls->DrawPartText(dc, part, state, text.c_str(), DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX,
                      textRect);
}

void CTKSkinManagerSchemaDefault::PaintWindowFrame(HDC dc, CTKSkinObjectFrame* frame) {
  HWND hwnd = frame->Handle();
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  RECT window;
  GetWindowRect(hwnd, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  if ((style & WS_CAPTION) != WS_CAPTION) {
    PaintEdgesOnly(dc, hwnd, RECT{0, 0, w, h});
    return;
  }
  RECT b = ComputeFrameBorders(hwnd);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"WINDOW");
  CTKSkinManagerMetrics* m = manager_->Metrics();
  if (ex & WS_EX_CLIENTEDGE) {
    RECT edge{b.left - m->CxEdge(), b.top - m->CyEdge(), w - b.right + m->CxEdge(), h - b.bottom + m->CyEdge()};
    if (cls->GetEnum(0, 0, kBgType, kBgImage) == kBgBorderFill) {
      const COLORREF outer = cls->GetColor(0, 0, kBorderColor, SkinColor(manager_, COLOR_WINDOWFRAME));
      const COLORREF inner = SkinColor(manager_, frame->CountsAsDisabled() ? COLOR_BTNFACE : COLOR_WINDOW);
      for (COLORREF c : {outer, inner}) {
        SkinDrawFunctions::FillSolid(dc, RECT{edge.left, edge.top, edge.right, edge.top + 1}, c);
        SkinDrawFunctions::FillSolid(dc, RECT{edge.left, edge.bottom - 1, edge.right, edge.bottom}, c);
        SkinDrawFunctions::FillSolid(dc, RECT{edge.left, edge.top, edge.left + 1, edge.bottom}, c);
        SkinDrawFunctions::FillSolid(dc, RECT{edge.right - 1, edge.top, edge.right, edge.bottom}, c);
        InflateRect(&edge, -1, -1);
      }
    } else {
      SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_SUNKEN, BF_RECT);
    }
    b.left -= 2;
    b.top -= 2;
    b.right -= 2;
    b.bottom -= 2;
  }
  const bool tool = IsToolWindow(ex);
  const int state = frame->IsActive() ? 1 : 2;
  const COLORREF border = SkinColor(manager_, state == 1 ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
  const struct {
    int part;
    RECT rc;
  } sides[] = {
      {tool ? kSmallFrameLeft : kFrameLeft, RECT{0, b.top, b.left, h - b.bottom}},
      {tool ? kSmallFrameRight : kFrameRight, RECT{w - b.right, b.top, w, h - b.bottom}},
      {tool ? kSmallFrameBottom : kFrameBottom, RECT{0, h - b.bottom, w, h}},
  };
  for (const auto& side : sides) {
    if (side.rc.right <= side.rc.left || side.rc.bottom <= side.rc.top) continue;
    if (!cls->DrawBackground(dc, side.part, state, side.rc)) SkinDrawFunctions::FillSolid(dc, side.rc, border);
  }
  const RECT strip{0, 0, w, std::max(0, static_cast<int>(b.top))};
  if (strip.bottom <= 0 || w <= 0) return;
  CTKSectionLock lock(Lock());
  CTKBufferDCEx buffer(dc, strip);
  if (buffer.GetSafeHdc()) {
    // Transparent corners of the caption show what the window DC held.
    BitBlt(buffer, 0, 0, w, strip.bottom, dc, 0, 0, SRCCOPY);
    PaintCaption(buffer, frame, strip, tool, state);
  } else {
    PaintCaption(dc, frame, strip, tool, state);
  }
}

CTKSkinManagerSchemaDefault::FRAMEREGION* CTKSkinManagerSchemaDefault::FindFrameRegion(int captionHeight, bool tool,
                                                                                      int width) {
  for (auto& r : regions_) {
    if (r->captionHeight == captionHeight && r->toolWindow == tool && width >= r->leftMargin + r->rightMargin)
      return r.get();
  }
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"WINDOW");
  const int part = tool ? kSmallCaption : kCaption;
  if (cls->GetEnum(part, 1, kBgType, kBgImage) != kBgImage) return nullptr;
  const RECT margins = cls->GetRect(part, 1, kSizingMargins, RECT{});
  auto region = std::make_unique<FRAMEREGION>();
  region->captionHeight = captionHeight;
  region->toolWindow = tool;
  region->leftMargin = Clamp(margins.left, 0, kMaxMargin);
  region->rightMargin = Clamp(margins.right, 0, kMaxMargin);
  int scanWidth = region->leftMargin + region->rightMargin + 8;
  if (width < region->leftMargin + region->rightMargin) {
    // Narrower than the margins: a region for this width only.
    region->temporary = true;
    scanWidth = width;
    region->leftMargin = std::min(region->leftMargin, width);
    region->rightMargin = std::min(region->rightMargin, width - region->leftMargin);
  }
  if (scanWidth <= 0 || captionHeight <= 0) return nullptr;
  const COLORREF transparent = cls->GetColor(part, 1, kTransparentColor, kMagenta);
  PixelBuffer pixels(scanWidth, captionHeight);
  if (!pixels.ok()) return nullptr;
  const RECT all{0, 0, scanWidth, captionHeight};
  SkinDrawFunctions::FillSolid(pixels.dc(), all, transparent);
  if (!cls->DrawBackground(pixels.dc(), part, 1, all)) return nullptr;
  GdiFlush();
  const int rightStart = scanWidth - region->rightMargin;
  bool leading = true;
  for (int y = 0; y < captionHeight; ++y) {
    int x = 0;
    while (x < region->leftMargin && pixels.At(x, y) == transparent) ++x;
    if (x > 0) AddRow(&region->left, 0, y, x);
    int r = scanWidth;
    while (r > rightStart && pixels.At(r - 1, y) == transparent) --r;
    if (r < scanWidth) AddRow(&region->right, r - rightStart, y, region->rightMargin);
    if (leading) {
      for (int m = region->leftMargin; m < rightStart && leading; ++m) leading = pixels.At(m, y) == transparent;
      if (leading) ++region->transparentRows;
    }
  }
  if (region->temporary) {
    temporary_.reset(region.release());
    return temporary_.get();
  }
  regions_.push_back(std::move(region));
  return regions_.back().get();
}

HRGN CTKSkinManagerSchemaDefault::ComputeFrameRegion(CTKSkinObjectFrame* frame, int width, int height) {
  HWND hwnd = frame->Handle();
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  if (width <= 0 || height <= 0) return nullptr;
  if (IsZoomed(hwnd) && !(style & WS_CHILD)) {
    const int d = ComputeFrameBorders(hwnd).left;
    return CreateRectRgn(d, d, width - d, height - d);
  }
  const RECT borders = ComputeFrameBorders(hwnd);
  FRAMEREGION* r = FindFrameRegion(Clamp(borders.top, 0, kMaxCaption), IsToolWindow(ex), width);
  HRGN result = CreateRectRgn(0, 0, width, height);
  if (r && result) {
    if (r->left) CombineRgn(result, result, r->left.Get(), RGN_DIFF);
    if (r->right) {
      KestrinWinNS::CScopedRegion moved(CreateRectRgn(0, 0, 0, 0));
      CombineRgn(moved.Get(), r->right.Get(), nullptr, RGN_COPY);
      OffsetRgn(moved.Get(), width - r->rightMargin, 0);
      CombineRgn(result, result, moved.Get(), RGN_DIFF);
    }
    if (r->transparentRows > 0) {
      KestrinWinNS::CScopedRegion rows(CreateRectRgn(r->leftMargin, 0, width - r->rightMargin, r->transparentRows));
      CombineRgn(result, result, rows.Get(), RGN_DIFF);
    }
  }
  temporary_.reset();
  return result;
}

void CTKSkinManagerSchemaDefault::FreeFrameRegions() {
  regions_.clear();
  temporary_.reset();
}
