// Device contexts. A CDC made by CreateCompatibleDC deletes its DC; one that only wraps a DC
// (Attach) leaves it to its owner. CPaintDC, CClientDC and CWindowDC give back the DC they got.
#pragma once

#include <windows.h>

#include "platform/appframe/gdi.h"
#include "platform/appframe/object.h"
#include "platform/appframe/string.h"
#include "platform/appframe/types.h"

class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)
 public:
  CDC() {}
  ~CDC() override;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  // Wraps a DC owned elsewhere.
  bool Attach(HDC dc);
  HDC Detach();
  bool CreateCompatibleDC(HDC dc);
  // Deletes a DC this object made.
  bool DeleteDC();

  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
  HGDIOBJ SelectObject(const CGdiObject* object) { return ::SelectObject(m_hDC, object->GetSafeHandle()); }
  HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, ::GetStockObject(index)); }
  int SaveDC() { return ::SaveDC(m_hDC); }
  bool RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved) != FALSE; }

  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
  CPoint SetViewportOrg(int x, int y);
  CPoint GetViewportOrg() const;
  DWORD GetLayout() const { return ::GetLayout(m_hDC); }
  DWORD SetLayout(DWORD layout) { return ::SetLayout(m_hDC, layout); }

  void FillSolidRect(const RECT* rect, COLORREF colour);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
  void FillRect(const RECT* rect, HBRUSH brush) { ::FillRect(m_hDC, rect, brush); }
  void FrameRect(const RECT* rect, HBRUSH brush) { ::FrameRect(m_hDC, rect, brush); }
  void Draw3dRect(const RECT* rect, COLORREF top_left, COLORREF bottom_right);
  bool Rectangle(const RECT* r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom) != FALSE; }
  bool Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b) != FALSE; }
  bool Ellipse(const RECT* r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom) != FALSE; }
  bool Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count) != FALSE; }
  bool Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count) != FALSE; }
  CPoint MoveTo(int x, int y);
  bool LineTo(int x, int y) { return ::LineTo(m_hDC, x, y) != FALSE; }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  bool PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop) != FALSE; }
  bool BitBlt(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src, sx, sy, rop) != FALSE;
  }
  bool StretchBlt(int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, src, sx, sy, sw, sh, rop) != FALSE;
  }
  bool DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon) != FALSE; }

  bool TextOut(int x, int y, const wchar_t* text, int length = -1);
  int DrawText(const wchar_t* text, int length, RECT* rect, UINT format) {
    return ::DrawTextW(m_hDC, text, length, rect, format);
  }
  int DrawText(const CString& text, RECT* rect, UINT format) { return DrawText(text, text.GetLength(), rect, format); }
  CSize GetTextExtent(const wchar_t* text, int length = -1) const;
  bool GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics) != FALSE; }

  int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }
  int IntersectClipRect(const RECT* r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int ExcludeClipRect(const RECT* r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int SelectClipRgn(HRGN region) { return ::SelectClipRgn(m_hDC, region); }

 protected:
  HDC m_hDC = nullptr;
  bool owns_ = false;

 private:
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
};

class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)
 public:
  explicit CPaintDC(HWND window);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 private:
  HWND window_;
};

class CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)
 public:
  explicit CClientDC(HWND window);
  ~CClientDC() override;

 private:
  HWND window_;
};

class CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)
 public:
  explicit CWindowDC(HWND window);
  ~CWindowDC() override;

 private:
  HWND window_;
};
