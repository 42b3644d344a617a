#include "platform/appframe/gdi.h"
#include "platform/win/gdi.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

bool CGdiObject::Attach(HGDIOBJ object) {
  DeleteObject();
  m_hObject = object;
  return object != nullptr;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  stock_ = false;
  return object;
}

bool CGdiObject::DeleteObject() {
  if (!m_hObject) return false;
  if (!stock_) ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  stock_ = false;
  return true;
}

bool CGdiObject::CreateStockObject(int index) {
  bool ok = Attach(::GetStockObject(index));
  stock_ = ok;
  return ok;
}

bool CBrush::CreateSysColorBrush(int index) {
  // System colour brushes belong to the system: held like stock objects.
  bool ok = Attach(::GetSysColorBrush(index));
  stock_ = ok;
  return ok;
}

bool CFont::CreatePointFont(int tenths_of_point, const wchar_t* face, HDC dc) {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(tenths_of_point, ::GetDeviceCaps(dc ? dc : screen.Get(), LOGPIXELSY), 720);
  font.lfCharSet = DEFAULT_CHARSET;
  if (face) lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirect(&font);
}

bool CBitmap::LoadBitmap(HINSTANCE module, UINT id) {
  return Attach(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

bool CBitmap::Create32BitDIB(int width, int height, void** bits) {
  void* pixels = nullptr;
  bool ok = Attach(KestrinWinNS::CreateDib32(width, height, &pixels).Take());
  if (bits) *bits = ok ? pixels : nullptr;
  return ok;
}

SIZE CBitmap::GetSize() const {
  BITMAP info = {};
  SIZE size = {0, 0};
  if (GetBitmap(&info)) {
    size.cx = info.bmWidth;
    size.cy = info.bmHeight;
  }
  return size;
}
