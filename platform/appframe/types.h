// Point, size and rectangle values with the arithmetic the drawing code keeps repeating.
#pragma once

#include <windows.h>

class CPoint : public POINT {
 public:
  CPoint() { x = 0; y = 0; }
  CPoint(int ix, int iy) { x = ix; y = iy; }
  CPoint(POINT p) { x = p.x; y = p.y; }
  void Offset(int dx, int dy) { x += dx; y += dy; }
  bool operator==(POINT p) const { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const { return !(*this == p); }
  CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
  CPoint operator-(POINT p) const { return CPoint(x - p.x, y - p.y); }
};

class CSize : public SIZE {
 public:
  CSize() { cx = 0; cy = 0; }
  CSize(int w, int h) { cx = w; cy = h; }
  CSize(SIZE s) { cx = s.cx; cy = s.cy; }
  bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(SIZE s) const { return !(*this == s); }
};

class CRect : public RECT {
 public:
  CRect() { ::SetRectEmpty(this); }
  CRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
  CRect(const RECT& r) { ::CopyRect(this, &r); }
  CRect(POINT p, SIZE s) { ::SetRect(this, p.x, p.y, p.x + s.cx, p.y + s.cy); }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
  void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
  void SetRectEmpty() { ::SetRectEmpty(this); }
  void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
  void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
  void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
  bool IntersectRect(const RECT& a, const RECT& b) { return ::IntersectRect(this, &a, &b) != FALSE; }
  bool UnionRect(const RECT& a, const RECT& b) { return ::UnionRect(this, &a, &b) != FALSE; }
  void NormalizeRect() {
    if (left > right) { LONG t = left; left = right; right = t; }
    if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
  }
  bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != FALSE; }
  bool operator!=(const RECT& r) const { return !(*this == r); }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};
