// GDI objects, each owned by one wrapper that deletes it. Attach takes ownership of a handle;
// Detach gives it back to the caller.
#pragma once

#include <windows.h>

#include "platform/appframe/object.h"

class CGdiObject : public CObject {
  DECLARE_DYNAMIC(CGdiObject)
 public:
  CGdiObject() {}
  ~CGdiObject() override { DeleteObject(); }

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }
  bool Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  // Deletes the object now (a stock object is only forgotten); true when one was held.
  bool DeleteObject();
  int GetObject(int size, void* buffer) const { return ::GetObjectW(m_hObject, size, buffer); }
  bool CreateStockObject(int index);

 protected:
  HGDIOBJ m_hObject = nullptr;
  bool stock_ = false;

 private:
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
};

class CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)
 public:
  CPen() {}
  CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
  bool CreatePen(int style, int width, COLORREF colour) { return Attach(::CreatePen(style, width, colour)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)
 public:
  CBrush() {}
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  bool CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
  bool CreateHatchBrush(int hatch, COLORREF colour) { return Attach(::CreateHatchBrush(hatch, colour)); }
  bool CreatePatternBrush(HBITMAP bitmap) { return Attach(::CreatePatternBrush(bitmap)); }
  bool CreateSysColorBrush(int index);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)
 public:
  bool CreateFontIndirect(const LOGFONTW* font) { return Attach(::CreateFontIndirectW(font)); }
  bool CreatePointFont(int tenths_of_point, const wchar_t* face, HDC dc = nullptr);
  bool GetLogFont(LOGFONTW* font) const { return GetObject(sizeof(*font), font) != 0; }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)
 public:
  bool LoadBitmap(HINSTANCE module, UINT id);
  bool CreateCompatibleBitmap(HDC dc, int width, int height) {
    return Attach(::CreateCompatibleBitmap(dc, width, height));
  }
  bool CreateBitmap(int width, int height, UINT planes, UINT bits, const void* data) {
    return Attach(::CreateBitmap(width, height, planes, bits, data));
  }
  // A top-down 32-bit DIB section; `bits` receives its pixels when given.
  bool Create32BitDIB(int width, int height, void** bits = nullptr);
  bool GetBitmap(BITMAP* info) const { return GetObject(sizeof(*info), info) != 0; }
  SIZE GetSize() const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
  DECLARE_DYNAMIC(CRgn)
 public:
  bool CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
  bool CreateRectRgnIndirect(const RECT* r) { return Attach(::CreateRectRgnIndirect(r)); }
  bool CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
    return Attach(::CreateRoundRectRgn(l, t, r, b, w, h));
  }
  bool CreatePolygonRgn(const POINT* points, int count, int mode) {
    return Attach(::CreatePolygonRgn(points, count, mode));
  }
  int CombineRgn(HRGN a, HRGN b, int mode) { return ::CombineRgn(*this, a, b, mode); }
  bool PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y) != FALSE; }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};
