#include "platform/appframe/dc.h"

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::~CDC() { DeleteDC(); }

bool CDC::Attach(HDC dc) {
  DeleteDC();
  m_hDC = dc;
  owns_ = false;
  return dc != nullptr;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = nullptr;
  owns_ = false;
  return dc;
}

bool CDC::CreateCompatibleDC(HDC dc) {
  DeleteDC();
  m_hDC = ::CreateCompatibleDC(dc);
  owns_ = m_hDC != nullptr;
  return owns_;
}

bool CDC::DeleteDC() {
  if (!m_hDC) return false;
  bool ok = owns_ ? ::DeleteDC(m_hDC) != FALSE : true;
  m_hDC = nullptr;
  owns_ = false;
  return ok;
}

CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CPoint CDC::GetViewportOrg() const {
  POINT p = {0, 0};
  ::GetViewportOrgEx(m_hDC, &p);
  return CPoint(p);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF colour) {
  COLORREF old = ::SetBkColor(m_hDC, colour);
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
  RECT r = {x, y, x + cx, y + cy};
  FillSolidRect(&r, colour);
}

void CDC::Draw3dRect(const RECT* r, COLORREF top_left, COLORREF bottom_right) {
  int w = r->right - r->left, h = r->bottom - r->top;
  FillSolidRect(r->left, r->top, w - 1, 1, top_left);
  FillSolidRect(r->left, r->top, 1, h - 1, top_left);
  FillSolidRect(r->right - 1, r->top, 1, h, bottom_right);
  FillSolidRect(r->left, r->bottom - 1, w, 1, bottom_right);
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old = {0, 0};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old);
}

bool CDC::TextOut(int x, int y, const wchar_t* text, int length) {
  if (length < 0) length = lstrlenW(text);
  return ::TextOutW(m_hDC, x, y, text, length) != FALSE;
}

CSize CDC::GetTextExtent(const wchar_t* text, int length) const {
  if (length < 0) length = lstrlenW(text);
  SIZE size = {0, 0};
  ::GetTextExtentPoint32W(m_hDC, text, length, &size);
  return CSize(size);
}

CPaintDC::CPaintDC(HWND window) : window_(window) {
  m_hDC = ::BeginPaint(window, &m_ps);
}

CPaintDC::~CPaintDC() {
  if (m_hDC) ::EndPaint(window_, &m_ps);
  m_hDC = nullptr;
}

CClientDC::CClientDC(HWND window) : window_(window) { m_hDC = ::GetDC(window); }

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(window_, m_hDC);
  m_hDC = nullptr;
}

CWindowDC::CWindowDC(HWND window) : window_(window) { m_hDC = ::GetWindowDC(window); }

CWindowDC::~CWindowDC() {
  if (m_hDC) ::ReleaseDC(window_, m_hDC);
  m_hDC = nullptr;
}
