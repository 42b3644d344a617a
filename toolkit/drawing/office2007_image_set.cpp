#include "toolkit/drawing/office2007_image_set.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/win/gdi.h"

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"

namespace {

std::wstring Trim(const std::wstring& s) {
  const size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return std::wstring();
  const size_t e = s.find_last_not_of(L" \t");
  return s.substr(b, e - b + 1);
}

std::wstring Underscored(std::wstring name, bool backslash) {
  for (wchar_t& c : name)
    if (c == L'.' || (backslash && c == L'\\')) c = L'_';
  return name;
}

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* out = reinterpret_cast<std::wstring*>(param);
  if (IS_INTRESOURCE(name))
    *out = L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
  else
    *out = name;
  return FALSE;
}

}  // namespace

// ---- image ----

CTKOffice2007Image::~CTKOffice2007Image() {}

SIZE CTKOffice2007Image::GetSize() const {
  BITMAP bm{};
  if (!bitmap_ || !GetObjectW(bitmap_.Get(), sizeof(bm), &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

RECT CTKOffice2007Image::GetPartRect(int i, int n) const {
  const SIZE size = GetSize();
  const int h = n > 0 ? size.cy / n : 0;
  return RECT{0, i * h, size.cx, (i + 1) * h};
}

void CTKOffice2007Image::FlipHorizontally() {
  if (!alpha_ || !bitmap_) return;
  std::vector<DWORD> px;
  int w = 0, h = 0;
  if (!ReadBitmapPixels(bitmap_.Get(), &px, &w, &h)) return;
  for (int y = 0; y < h; ++y)
    std::reverse(px.begin() + static_cast<size_t>(y) * w, px.begin() + static_cast<size_t>(y + 1) * w);
  HBITMAP flipped = MakeDibSection(w, h, px.data());
  if (!flipped) return;
  bitmap_.Reset(flipped);
  mirrored_ = !mirrored_;
}

void CTKOffice2007Image::DrawPart(HDC dc, const RECT& dest, HDC source, const RECT& src) {
  if (IsRectEmpty(&dest) || IsRectEmpty(&src)) return;
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (alpha_) {
    CTKImageManager::Instance().AlphaCopy(dc, dest, source, src);
  } else if (dw == sw && dh == sh) {
    BitBlt(dc, dest.left, dest.top, dw, dh, source, src.left, src.top, SRCCOPY);
  } else {
    StretchBlt(dc, dest.left, dest.top, dw, dh, source, src.left, src.top, sw, sh, SRCCOPY);
  }
}

void CTKOffice2007Image::DrawWithSizingMargins(HDC dc, const RECT& dest, const RECT& src, const RECT& margins) {
  CTKSectionLock lock(owner_->Lock());
  const int src_w = src.right - src.left, src_h = src.bottom - src.top;
  if (!bitmap_ || src_h < margins.top + margins.bottom) return;
  const int dest_w = dest.right - dest.left, dest_h = dest.bottom - dest.top;
  int left = margins.left, top = margins.top, right = margins.right, bottom = margins.bottom;
  if (dest_w == src_w) left = right = 0;
  if (dest_h == src_h) top = bottom = 0;
  SetStretchBltMode(dc, COLORONCOLOR);
  if (dest_w <= 0 || dest_h <= 0) return;

  const bool rtl = CTKDrawHelpers::IsDCRightToLeft(dc);
  if (alpha_ && mirror_for_rtl_ && mirrored_ != rtl) FlipHorizontally();
  CTKCompatibleDC source(dc, bitmap_.Get());
  if (rtl && !alpha_ && !mirror_for_rtl_) CTKDrawHelpers::SetDCRightToLeft(source, false);

  if (left == 0 && top == 0 && right == 0 && bottom == 0) {
    DrawPart(dc, dest, source, src);
    return;
  }
  int t = top, b = bottom;
  if (top + bottom > 0 && (dest_h <= top + bottom || src_h == top + bottom)) {
    t = MulDiv(dest_h, top, top + bottom);
    b = dest_h - t;
    if ((b & 1) != (bottom & 1)) ++b;
  }
  int l = left, r = right;
  if (left + right > 0 && (dest_w <= left + right || src_w == left + right)) {
    l = dest_w * left / (left + right);
    r = dest_w - l;
  }
  const int sx[4] = {src.left, src.left + left, src.right - right, src.right};
  const int sy[4] = {src.top, src.top + top, src.bottom - bottom, src.bottom};
  const int dx[4] = {dest.left, dest.left + l, dest.right - r, dest.right};
  const int dy[4] = {dest.top, dest.top + t, dest.bottom - b, dest.bottom};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      DrawPart(dc, RECT{dx[col], dy[row], dx[col + 1], dy[row + 1]}, source,
               RECT{sx[col], sy[row], sx[col + 1], sy[row + 1]});
}

void CTKOffice2007Image::DrawTransparentColor(HDC dc, const RECT& dest, const RECT& src, const RECT& margins,
                                              COLORREF key) {
  if (src.bottom - src.top < margins.top + margins.bottom) return;
  if (key == CLR_INVALID || alpha_) {
    DrawWithSizingMargins(dc, dest, src, margins);
    return;
  }
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0) return;
  KestrinWinNS::CScopedBitmap off(CreateCompatibleBitmap(dc, w, h));
  KestrinWinNS::CBitmapDC mem(dc, off.Get());
  const RECT local{0, 0, w, h};
  CTKDrawHelpers::FillSolidRect(mem.Get(), local, key);
  DrawWithSizingMargins(mem.Get(), local, src, margins);
  CTKImageManager::Instance().DrawTransparent(dc, dest, mem.Get(), local, key);
}

void CTKOffice2007Image::DrawBlended(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, COLORREF key,
                                     bool blend) {
  if (!blend) {
    DrawTransparentColor(dc, dest, src, margins, key);
    return;
  }
  if (alpha_) {
    DrawWithSizingMargins(dc, dest, src, margins);
    return;
  }
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0) return;
  // The key as it stands in the DIB's blue-green-red order.
  const DWORD key_pixel = key == CLR_INVALID ? 0xFFFFFFFF
                                             : (DWORD(GetRValue(key)) << 16) | (DWORD(GetGValue(key)) << 8) | GetBValue(key);
  std::vector<DWORD> px(static_cast<size_t>(w) * h, key == CLR_INVALID ? 0 : key_pixel);
  KestrinWinNS::CScopedBitmap dib(MakeDibSection(w, h, px.data()));
  if (!dib) return;
  KestrinWinNS::CScopedMemoryDC mem = KestrinWinNS::CreateMemoryDC(dc);
  const RECT local{0, 0, w, h};
  {
    KestrinWinNS::CSelectObject select(mem.Get(), dib.Get());
    DrawWithSizingMargins(mem.Get(), local, src, margins);
  }
  int rw = 0, rh = 0;
  ReadBitmapPixels(dib.Get(), &px, &rw, &rh);
  for (DWORD& p : px) p = (p & 0xFFFFFF) == key_pixel ? 0 : (p | 0xFF000000);
  KestrinWinNS::CScopedBitmap ready(MakeDibSection(w, h, px.data()));
  KestrinWinNS::CSelectObject select(mem.Get(), ready.Get());
  CTKImageManager::Instance().AlphaCopy(dc, dest, mem.Get(), local);
}

// ---- set ----

CTKOffice2007ImageSet& GetOffice2007ImageSet() {
  static CTKOffice2007ImageSet set;
  return set;
}

CTKOffice2007ImageSet::CTKOffice2007ImageSet() { AttachResourceModule(GetModuleHandleW(nullptr), nullptr, false); }

CTKOffice2007ImageSet::~CTKOffice2007ImageSet() {
  ClearCache();
}

bool CTKOffice2007ImageSet::AttachResourceModule(HMODULE module, const wchar_t* iniName, bool owns) {
  CTKSectionLock lock(lock_);
  ClearCache();
  if (owned_module_.Get() != module) owned_module_.Reset();
  module_ = module;
  if (owns && module && owned_module_.Get() != module) owned_module_.Reset(module);
  text_begin_ = text_end_ = nullptr;
  const bool named = iniName && *iniName;
  ini_name_ = Underscored(named ? iniName : L"OFFICE2007BLUE_INI", false);
  if (!module_) return false;
  HRSRC res = FindResourceW(module_, ini_name_.c_str(), L"TEXTFILE");
  if (!res && !named) {
    std::wstring first;
    EnumResourceNamesW(module_, L"TEXTFILE", &FirstName, reinterpret_cast<LONG_PTR>(&first));
    if (!first.empty()) {
      ini_name_ = first;
      res = FindResourceW(module_, ini_name_.c_str(), L"TEXTFILE");
    }
  }
  if (!res) return false;
  HGLOBAL data = LoadResource(module_, res);
  const auto* text = data ? static_cast<const wchar_t*>(LockResource(data)) : nullptr;
  if (!text) return false;
  text_begin_ = text;
  text_end_ = text + SizeofResource(module_, res) / sizeof(wchar_t);
  return true;
}

std::wstring CTKOffice2007ImageSet::ReadIniValue(const wchar_t* section, const wchar_t* key) const {
  if (!text_begin_ || !section || !key) return std::wstring();
  bool in_section = false, seen_section = false;
  const wchar_t* p = text_begin_;
  while (p < text_end_) {
    const wchar_t* cr = std::find(p, text_end_, L'\r');
    if (cr == text_end_) break;  // a last line without CR is not read
    std::wstring line(p, cr);
    p = cr + 1;
    if (p < text_end_ && *p == L'\n') ++p;
    const size_t comment = line.find(L';');
    if (comment != std::wstring::npos) line.erase(comment);
    line = Trim(line);
    if (line.empty()) continue;
    if (line[0] == L'[') {
      if (in_section) break;  // the first section of the name only
      const size_t close = line.find(L']');
      const std::wstring name = line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
      in_section = !seen_section && name == section;
      seen_section = seen_section || in_section;
      continue;
    }
    if (!in_section) continue;
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos || eq == 0) continue;
    if (Trim(line.substr(0, eq)) == key) return Trim(line.substr(eq + 1));
  }
  return std::wstring();
}

COLORREF CTKOffice2007ImageSet::ColorFromIni(const wchar_t* section, const wchar_t* key) const {
  const std::wstring value = ReadIniValue(section, key);
  if (value.empty()) return CLR_INVALID;
  int r = 0, g = 0, b = 0;
  swscanf(value.c_str(), L"%i %i %i", &r, &g, &b);
  return RGB(r & 0xFF, g & 0xFF, b & 0xFF);
}

CTKOffice2007Image* CTKOffice2007ImageSet::GetImage(const wchar_t* name) {
  CTKSectionLock lock(lock_);
  if (!module_ || !name || !*name) return nullptr;
  auto it = cache_.find(name);
  if (it != cache_.end()) return it->second.get();
  std::wstring resource = ReadIniValue(L"Images", name);
  if (resource.empty()) resource = name;
  resource = Underscored(resource, true);
  bool alpha = false;
  HBITMAP bitmap = CTKImageManager::LoadBitmapFromResource(module_, resource.c_str(), &alpha);
  if (!bitmap) return nullptr;
  auto image = std::make_unique<CTKOffice2007Image>(bitmap, alpha, this);
  CTKOffice2007Image* result = image.get();
  cache_[name] = std::move(image);
  return result;
}
