#include "common/textlink/text_link.h"

#include <string.h>

namespace UtilityClassesNS {

namespace {

const char kDefaultFace[] = "Arial";

int ScreenDpiY() {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

}  // namespace

CTextLink::CTextLink(DWORD link_id, DWORD behaviour, DWORD font_style, UINT text_format,
                     int point_size, COLORREF hover_colour, COLORREF normal_colour)
    : normal_colour_(normal_colour),
      hover_colour_(hover_colour),
      current_colour_(normal_colour),
      behaviour_(behaviour),
      text_format_(text_format),
      font_style_(font_style),
      link_id_(link_id) {
  int dpi = ScreenDpiY();
  normal_font_.Reset(MakeFont(point_size, dpi, FW_NORMAL, font_style, kDefaultFace));
  hover_font_.Reset(MakeFont(point_size, dpi, FW_NORMAL, font_style, kDefaultFace));
  current_font_ = normal_font_.Get();
}

CTextLink::~CTextLink() {
  if (attached_) DoDetach();
  delete[] text_;
}

HFONT CTextLink::MakeFont(int point_size, int dpi_y, int weight, DWORD style,
                          const char* face) const {
  LOGFONTA lf = {};
  lf.lfHeight = -MulDiv(point_size, dpi_y, 72);
  lf.lfWeight = weight;
  lf.lfItalic = (style & kItalic) ? TRUE : FALSE;
  lf.lfUnderline = (style & kUnderline) ? TRUE : FALSE;
  lf.lfStrikeOut = (style & kStrikeOut) ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

bool CTextLink::Attach(ILinkMessagesListener* listener) {
  if (!listener) return false;
  if (attached_) DoDetach();
  listener_ = listener;
  dc_.Acquire(listener->GetLinkWindow());
  attached_ = true;
  return true;
}

bool CTextLink::Detach() {
  if (!attached_) return false;
  DoDetach();
  return true;
}

void CTextLink::DoDetach() {
  dc_.Reset();
  listener_ = nullptr;
  attached_ = false;
}

bool CTextLink::SetRect(const RECT& rect) {
  layout_rect_ = rect;
  return Layout();
}

bool CTextLink::SetText(const char* text) {
  if (!text) return false;
  size_t n = strlen(text) + 1;
  char* copy = new char[n];
  memcpy(copy, text, n);
  delete[] text_;
  text_ = copy;
  Layout();
  return true;
}

bool CTextLink::SetFormat(UINT text_format) {
  text_format_ = text_format;
  return Layout();
}

void CTextLink::SetColour(int which, COLORREF colour) {
  if (which == kColourHover) {
    hover_colour_ = colour;
    if (hovered_ && (behaviour_ & kHoverColour)) current_colour_ = colour;
  } else if (which == kColourNormal) {
    normal_colour_ = colour;
    if (!hovered_) current_colour_ = colour;
  }
}

bool CTextLink::SetBehaviour(DWORD behaviour) {
  behaviour_ = behaviour;
  return true;
}

bool CTextLink::SetFont(int point_size, int weight, DWORD style, const char* face, bool hover) {
  if (!face) return false;
  int dpi = dc_ ? GetDeviceCaps(dc_.Get(), LOGPIXELSY) : ScreenDpiY();
  HFONT font = MakeFont(point_size, dpi, weight, style, face);
  if (!font) return false;
  if (hover) {
    if (current_font_ == hover_font_.Get()) current_font_ = font;
    hover_font_.Reset(font);
    if (hovered_ && (behaviour_ & kHoverFont)) current_font_ = font;
  } else {
    if (current_font_ == normal_font_.Get()) current_font_ = font;
    normal_font_.Reset(font);
    if (!hovered_) current_font_ = font;
  }
  Layout();
  return true;
}

void CTextLink::ResetLook() {
  hovered_ = false;
  ApplyLook(false);
}

void CTextLink::ApplyLook(bool hovered) {
  if (hovered) {
    if (behaviour_ & kHoverColour) current_colour_ = hover_colour_;
    if (behaviour_ & kHoverFont) current_font_ = hover_font_.Get();
  } else {
    current_colour_ = normal_colour_;
    current_font_ = normal_font_.Get();
  }
}

bool CTextLink::Layout() {
  if (!attached_ || !dc_) return false;
  draw_rect_ = layout_rect_;
  RECT calc = layout_rect_;
  {
    KestrinWinNS::CSelectObject font(dc_.Get(), current_font_);
    UINT format = (text_format_ & ~(UINT)(DT_CENTER | DT_VCENTER)) | DT_CALCRECT;
    DrawTextA(dc_.Get(), GetText(), -1, &calc, format);
  }
  text_width_ = calc.right - calc.left;
  text_height_ = calc.bottom - calc.top;

  draw_rect_.left = layout_rect_.left;
  draw_rect_.top = layout_rect_.top;
  draw_rect_.right = draw_rect_.left + text_width_;
  draw_rect_.bottom = draw_rect_.top + text_height_;
  if (text_format_ & DT_CENTER) {
    draw_rect_.left = layout_rect_.left + (layout_rect_.right - layout_rect_.left - text_width_) / 2;
    draw_rect_.right = draw_rect_.left + text_width_;
  }
  if (text_format_ & DT_VCENTER) {
    draw_rect_.top = layout_rect_.top + (layout_rect_.bottom - layout_rect_.top - text_height_) / 2;
    draw_rect_.bottom = draw_rect_.top + text_height_;
  }
  return true;
}

bool CTextLink::OnMouseMove(POINT pt) {
  Layout();
  bool hovered = PtInRect(&draw_rect_, pt) != FALSE;
  if (hovered != previous_hover_) {
    // Remember the new state before calling out, so the next move compares against it.
    previous_hover_ = hovered;
    return hovered ? OnHoverStart(pt) : OnHoverEnd(pt);
  }
  return hovered_;
}

bool CTextLink::OnLButtonDown() {
  buttons_ |= 1;
  if ((behaviour_ & kClickOnDown) && hovered_) return OnClick(1);
  return false;
}

bool CTextLink::OnLButtonUp() {
  bool clicked = false;
  if ((behaviour_ & kClickOnUp) && (buttons_ & 1) && hovered_) clicked = OnClick(1);
  buttons_ &= ~1u;
  return clicked;
}

bool CTextLink::OnRButtonDown() {
  bool clicked = false;
  if ((behaviour_ & kClickOnDown) && hovered_) clicked = OnClick(2);
  buttons_ |= 2;
  return clicked;
}

bool CTextLink::OnRButtonUp() {
  bool clicked = false;
  if ((behaviour_ & kClickOnUp) && (buttons_ & 2) && hovered_) clicked = OnClick(2);
  buttons_ = 0;
  return clicked;
}

bool CTextLink::Draw() {
  if (!dc_ || !text_) return false;
  KestrinWinNS::CSelectObject font(dc_.Get(), current_font_);
  int old_mode = SetBkMode(dc_.Get(), TRANSPARENT);
  COLORREF old_colour = SetTextColor(dc_.Get(), current_colour_);
  RECT r = draw_rect_;
  int drawn = DrawTextA(dc_.Get(), text_, -1, &r, text_format_);
  SetTextColor(dc_.Get(), old_colour);
  SetBkMode(dc_.Get(), old_mode);
  return drawn != 0;
}

bool CTextLink::OnClick(int button) {
  if (!attached_) return false;
  hovered_ = false;
  ApplyLook(false);
  listener_->OnLinkClicked(button, link_id_);
  return true;
}

bool CTextLink::OnHoverStart(POINT pt) {
  hovered_ = true;
  ApplyLook(true);
  if (attached_) listener_->OnLinkHoverStart(pt, link_id_);
  return true;
}

bool CTextLink::OnHoverEnd(POINT pt) {
  hovered_ = false;
  ApplyLook(false);
  if (attached_) listener_->OnLinkHoverEnd(pt, link_id_);
  return true;
}

}  // namespace UtilityClassesNS
