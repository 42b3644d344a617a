// A hyperlink-like piece of text drawn by its host window. The host gives it a rectangle,
// forwards its mouse messages and calls Draw while painting; the link measures and places
// its text, switches colour and font while the pointer is over it and reports clicks and
// hover changes to its listener. It never repaints by itself.
#pragma once

#include <windows.h>

#include "platform/win/gdi.h"
#include "platform/win/kept_dc.h"

namespace UtilityClassesNS {

class ILinkMessagesListener {
 public:
  virtual void OnLinkClicked(int button, DWORD link_id) = 0;  // 1 left, 2 right
  virtual void OnLinkHoverStart(POINT pt, DWORD link_id) = 0;
  virtual void OnLinkHoverEnd(POINT pt, DWORD link_id) = 0;
  virtual HWND GetLinkWindow() = 0;

 protected:
  ~ILinkMessagesListener() {}
};

class CTextLink {
 public:
  // Behaviour flags.
  enum {
    kHoverColour = 0x1,   // use the hover colour while hovered
    kHoverFont = 0x2,     // use the hover font while hovered
    kClickOnDown = 0x4,   // a button going down over the link is a click
    kClickOnUp = 0x8,     // a button released over the link after it went down there
  };
  // Font style bits.
  enum { kUnderline = 0x1, kItalic = 0x2, kStrikeOut = 0x4 };
  // Which colour SetColour changes.
  enum { kColourHover = 0, kColourNormal = 1 };

  CTextLink(DWORD link_id, DWORD behaviour, DWORD font_style, UINT text_format, int point_size,
            COLORREF hover_colour, COLORREF normal_colour);
  virtual ~CTextLink();

  virtual bool Attach(ILinkMessagesListener* listener);
  virtual bool Detach();
  virtual bool SetRect(const RECT& rect);
  virtual bool SetText(const char* text);
  virtual bool SetFormat(UINT text_format);
  virtual void SetColour(int which, COLORREF colour);
  virtual bool SetBehaviour(DWORD behaviour);
  virtual bool SetFont(int point_size, int weight, DWORD style, const char* face, bool hover);
  virtual void ResetLook();
  virtual bool OnMouseMove(POINT pt);
  virtual bool OnLButtonDown();
  virtual bool OnLButtonUp();
  virtual bool OnRButtonDown();
  virtual bool OnRButtonUp();
  virtual bool Draw();

  const RECT& GetDrawRect() const { return draw_rect_; }
  int GetTextWidth() const { return text_width_; }
  int GetTextHeight() const { return text_height_; }
  const char* GetText() const { return text_ ? text_ : ""; }
  bool IsHovered() const { return hovered_; }
  bool IsAttached() const { return attached_; }
  COLORREF GetCurrentColour() const { return current_colour_; }
  HFONT GetCurrentFont() const { return current_font_; }

 protected:
  virtual bool OnClick(int button);
  virtual bool OnHoverStart(POINT pt);
  virtual bool OnHoverEnd(POINT pt);
  virtual void ApplyLook(bool hovered);
  virtual void DoDetach();
  virtual bool Layout();

 private:
  CTextLink(const CTextLink&) = delete;
  CTextLink& operator=(const CTextLink&) = delete;

  HFONT MakeFont(int point_size, int dpi_y, int weight, DWORD style, const char* face) const;

  COLORREF normal_colour_;
  COLORREF hover_colour_;
  KestrinWinNS::CScopedFont normal_font_;
  KestrinWinNS::CScopedFont hover_font_;
  COLORREF current_colour_;
  HFONT current_font_ = nullptr;
  KestrinWinNS::CKeptClientDC dc_;  // of the listener's window while attached
  ILinkMessagesListener* listener_ = nullptr;
  RECT layout_rect_ = {};
  RECT draw_rect_ = {};
  int text_width_ = 0;
  int text_height_ = 0;
  char* text_ = nullptr;
  DWORD behaviour_;
  DWORD buttons_ = 0;  // bit 0 left, bit 1 right pressed inside
  UINT text_format_;
  DWORD font_style_;
  bool hovered_ = false;
  bool attached_ = false;
  bool previous_hover_ = false;
  DWORD link_id_;
};

}  // namespace UtilityClassesNS
