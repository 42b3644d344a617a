#include "common/windowing/border_painter.h"

#include <string.h>

#include "platform/win/gdi.h"

namespace WindowingNS {

namespace {

enum Direction { kFullLeft, kFullRight, kFullTop, kFullBottom };

struct Triangle {
  POINT a, b, c;
};

// A 32-bit top-down DIB section selected into its own memory DC, all channels zero.
class Strip {
 public:
  Strip(HDC like, int width, int height) : width_(width), height_(height) {
    dc_.Reset(CreateCompatibleDC(like));
    void* bits = nullptr;
    bitmap_ = KestrinWinNS::CreateDib32(width, height, &bits);
    bits_ = static_cast<BYTE*>(bits);
    if (dc_ && bitmap_) {
      old_ = SelectObject(dc_.Get(), bitmap_.Get());
      memset(bits_, 0, (size_t)width * height * 4);
    }
  }
  ~Strip() {
    if (dc_ && old_) SelectObject(dc_.Get(), old_);
  }
  bool ok() const { return dc_ && bitmap_ && bits_; }
  HDC dc() const { return dc_.Get(); }
  BYTE* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  Strip(const Strip&) = delete;
  Strip& operator=(const Strip&) = delete;
  int width_, height_;
  KestrinWinNS::CScopedMemoryDC dc_;
  KestrinWinNS::CScopedBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  BYTE* bits_ = nullptr;
};

TRIVERTEX Vertex(int x, int y, COLORREF c, bool full) {
  TRIVERTEX v = {};
  v.x = x;
  v.y = y;
  if (full) {
    v.Red = (COLOR16)(GetRValue(c) << 8);
    v.Green = (COLOR16)(GetGValue(c) << 8);
    v.Blue = (COLOR16)(GetBValue(c) << 8);
    v.Alpha = 0xFF00;
  }
  return v;
}

// Fills the strip with a two-vertex gradient from the full colour (k pixels beyond the full
// side) to nothing at the opposite side.
void FillGradient(Strip& s, Direction dir, COLORREF colour, int k) {
  const int w = s.width(), h = s.height();
  TRIVERTEX v[2];
  ULONG mode;
  switch (dir) {
    case kFullLeft:
      v[0] = Vertex(-k, 0, colour, true), v[1] = Vertex(w, h, 0, false);
      mode = GRADIENT_FILL_RECT_H;
      break;
    case kFullRight:
      v[0] = Vertex(0, 0, 0, false), v[1] = Vertex(w + k, h, colour, true);
      mode = GRADIENT_FILL_RECT_H;
      break;
    case kFullTop:
      v[0] = Vertex(0, -k, colour, true), v[1] = Vertex(w, h, 0, false);
      mode = GRADIENT_FILL_RECT_V;
      break;
    default:
      v[0] = Vertex(0, 0, 0, false), v[1] = Vertex(w, h + k, colour, true);
      mode = GRADIENT_FILL_RECT_V;
      break;
  }
  GRADIENT_RECT r = {0, 1};
  GradientFill(s.dc(), v, 2, &r, 1, mode);
}

// Clears the mitre triangles so that two strips sharing a corner square split it along the
// diagonal.
void ClearTriangles(Strip& s, const Triangle* t, int count) {
  for (int i = 0; i < count; ++i) {
    TRIVERTEX v[3] = {Vertex(t[i].a.x, t[i].a.y, 0, false), Vertex(t[i].b.x, t[i].b.y, 0, false),
                      Vertex(t[i].c.x, t[i].c.y, 0, false)};
    GRADIENT_TRIANGLE tri = {0, 1, 2};
    GradientFill(s.dc(), v, 3, &tri, 1, GRADIENT_FILL_TRIANGLE);
  }
}

// Blends the strip (premultiplied colour and alpha) over what `target` shows at (x, y).
void Composite(HDC target, const Strip& s, int x, int y) {
  Strip under(target, s.width(), s.height());
  if (!under.ok()) return;
  BitBlt(under.dc(), 0, 0, s.width(), s.height(), target, x, y, SRCCOPY);
  GdiFlush();
  const size_t count = (size_t)s.width() * s.height();
  const BYTE* src = s.bits();
  BYTE* dst = under.bits();
  for (size_t i = 0; i < count; ++i, src += 4, dst += 4) {
    const double keep = 1.0 - src[3] / 255.0;
    for (int ch = 0; ch < 3; ++ch) {
      int value = (int)(dst[ch] * keep + src[ch]);
      dst[ch] = (BYTE)(value < 0 ? 0 : value > 255 ? 255 : value);
    }
  }
  BitBlt(target, x, y, s.width(), s.height(), under.dc(), 0, 0, SRCCOPY);
}

void Piece(HDC target, int x, int y, int width, int height, Direction dir, COLORREF colour,
           int k, const Triangle* t, int triangles) {
  if (width <= 0 || height <= 0) return;
  Strip s(target, width, height);
  if (!s.ok()) return;
  FillGradient(s, dir, colour, k);
  GdiFlush();
  ClearTriangles(s, t, triangles);
  GdiFlush();
  Composite(target, s, x, y);
}

}  // namespace

int BorderFadeOffset(int width) { return -2 * ((-20 * width) / 100); }

HFONT CreateCaptionFont(int text_size) {
  LOGFONTA lf = {};
  lf.lfHeight = text_size;
  lf.lfWeight = 800;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = FF_SWISS;
  lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

RECT CalcCaptionRect(HDC dc, const char* text, int text_size, int screen_width, int width) {
  RECT calc = {0, 0, 0, 0};
  {
    KestrinWinNS::CScopedFont font(CreateCaptionFont(text_size));
    KestrinWinNS::CSelectObject selected(dc, font.Get());
    DrawTextA(dc, text, -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  }
  const int tw = calc.right - calc.left, th = calc.bottom - calc.top;
  RECT r;
  r.left = screen_width / 2 - tw / 2 - width - 20;
  r.top = 0;
  r.right = screen_width / 2 + tw / 2 + width + 20;
  r.bottom = width + th;
  return r;
}

HRGN CreateBorderRegion(const BorderLook& look) {
  const int W = look.screen_width, H = look.screen_height, w = look.width;
  HRGN outer = CreateRectRgn(0, 0, W, H - 1);
  KestrinWinNS::CScopedRegion inner(CreateRectRgn(w, w, W - w, H - w - 1));
  CombineRgn(outer, outer, inner.Get(), RGN_XOR);
  if (look.with_caption) {
    KestrinWinNS::CScopedRegion tab(CreateRectRgn(look.caption.left, w, look.caption.right, look.caption.bottom));
    CombineRgn(outer, outer, tab.Get(), RGN_OR);
  }
  return outer;
}

void PaintBorder(HDC target, const BorderLook& look) {
  const int W = look.screen_width, H = look.screen_height, w = look.width;
  const int k = BorderFadeOffset(w);
  const COLORREF c = look.colour;

  {
    const Triangle t[] = {{{0, 0}, {w, 0}, {w, w}}, {{w, H - w}, {w, H}, {0, H}}};
    Piece(target, 0, 0, w, H, kFullLeft, c, k, t, 2);
  }
  if (!look.with_caption) {
    const Triangle t[] = {{{0, 0}, {w, w}, {0, w}}, {{W, 0}, {W, w}, {W - w, w}}};
    Piece(target, 0, 0, W, w, kFullTop, c, k, t, 2);
  } else {
    const int L = look.caption.left, R = look.caption.right, B = look.caption.bottom;
    const int cw = R - L, ch = B;
    {
      const Triangle t[] = {{{0, 0}, {w, 0}, {0, w}}, {{cw - w, 0}, {cw, 0}, {cw, w}}};
      Piece(target, L, B - w, cw, w, kFullTop, c, k, t, 2);
    }
    if (cw - 2 * w > 0 && ch - w > 0) {
      // The tab's body: grey fading downwards, half strength at its lower edge.
      Strip s(target, cw - 2 * w, ch - w);
      if (s.ok()) {
        TRIVERTEX v[2] = {Vertex(0, 0, RGB(150, 150, 150), true),
                          Vertex(cw - 2 * w, 2 * (ch - w), 0, false)};
        GRADIENT_RECT r = {0, 1};
        GradientFill(s.dc(), v, 2, &r, 1, GRADIENT_FILL_RECT_V);
        GdiFlush();
        Composite(target, s, L + w, 0);
      }
    }
    {
      const Triangle t[] = {{{0, 0}, {w, w}, {0, w}}, {{L + w, 0}, {L + w, w}, {L, w}}};
      Piece(target, 0, 0, L + w, w, kFullTop, c, k, t, 2);
    }
    {
      const Triangle t[] = {{{0, 0}, {w, w}, {0, w}},
                            {{W - R + w, 0}, {W - R + w, w}, {W - R, w}}};
      Piece(target, R - w, 0, W - R + w, w, kFullTop, c, k, t, 2);
    }
    {
      const Triangle t[] = {{{0, 0}, {w, 0}, {0, w}}, {{w, ch - w}, {w, ch}, {0, ch}}};
      Piece(target, L, 0, w, ch, kFullRight, c, k, t, 2);
    }
    {
      const Triangle t[] = {{{0, 0}, {w, 0}, {w, w}}, {{0, ch - w}, {w, ch}, {0, ch}}};
      Piece(target, R - w, 0, w, ch, kFullLeft, c, k, t, 2);
    }
    KestrinWinNS::CScopedFont font(CreateCaptionFont(look.text_size));
    KestrinWinNS::CSelectObject selected(target, font.Get());
    int old_mode = SetBkMode(target, TRANSPARENT);
    COLORREF old_colour = SetTextColor(target, c);
    if (old_colour != CLR_INVALID) {
      RECT r = look.caption;
      DrawTextA(target, look.text ? look.text : "", -1, &r,
                DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
      SetTextColor(target, old_colour);
    }
    SetBkMode(target, old_mode);
  }
  {
    const Triangle t[] = {{{0, 0}, {w, 0}, {0, w}}, {{0, H - w}, {w, H}, {0, H}}};
    Piece(target, W - w, 0, w, H, kFullRight, c, k, t, 2);
  }
  {
    const Triangle t[] = {{{0, 0}, {w, 0}, {0, w}}, {{W - w, 0}, {W, 0}, {W, w}}};
    Piece(target, 0, H - w, W, w, kFullBottom, c, k, t, 2);
  }
}

}  // namespace WindowingNS
