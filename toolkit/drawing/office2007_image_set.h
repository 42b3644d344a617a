// The Office 2007 look: bitmaps and colours kept in a resource module, named by an INI text,
// each bitmap drawn stretched into any rectangle while its borders keep their size.
#pragma once

#include <windows.h>
#include "platform/win/gdi.h"

#include <map>
#include <memory>
#include <string>

#include "toolkit/drawing/system_helpers.h"

class CTKOffice2007ImageSet;

class CTKOffice2007Image {
 public:
  CTKOffice2007Image(HBITMAP bitmap, bool alpha, CTKOffice2007ImageSet* owner)
      : bitmap_(bitmap), alpha_(alpha), owner_(owner) {}
  virtual ~CTKOffice2007Image();
  CTKOffice2007Image(const CTKOffice2007Image&) = delete;
  CTKOffice2007Image& operator=(const CTKOffice2007Image&) = delete;

  SIZE GetSize() const;
  int GetWidth() const { return GetSize().cx; }
  // The i-th of n equal horizontal strips.
  RECT GetPartRect(int i, int n) const;
  bool IsAlpha() const { return alpha_; }
  bool IsMirrored() const { return mirrored_; }
  void SetMirrorForRightToLeft(bool on) { mirror_for_rtl_ = on; }
  void FlipHorizontally();
  HBITMAP Bitmap() const { return bitmap_.Get(); }

  void DrawPart(HDC dc, const RECT& dest, HDC source, const RECT& src);
  // margins: left, top, right, bottom of the source that keep their size.
  void DrawWithSizingMargins(HDC dc, const RECT& dest, const RECT& src, const RECT& margins);
  void DrawTransparentColor(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, COLORREF key);
  void DrawBlended(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, COLORREF key, bool blend);

 private:
  KestrinWinNS::CScopedBitmap bitmap_;
  bool alpha_;
  bool mirrored_ = false;
  bool mirror_for_rtl_ = false;
  CTKOffice2007ImageSet* owner_;
};

class CTKOffice2007ImageSet {
 public:
  CTKOffice2007ImageSet();
  virtual ~CTKOffice2007ImageSet();
  CTKOffice2007ImageSet(const CTKOffice2007ImageSet&) = delete;
  CTKOffice2007ImageSet& operator=(const CTKOffice2007ImageSet&) = delete;

  // An empty name means "OFFICE2007BLUE_INI" (and, when the module lacks it, its first
  // "TEXTFILE" resource); '.' in the name stands for '_'.
  bool AttachResourceModule(HMODULE module, const wchar_t* iniName, bool owns);
  bool HasIniText() const { return text_begin_ != nullptr; }
  HMODULE ResourceModule() const { return module_; }
  const std::wstring& IniName() const { return ini_name_; }

  std::wstring ReadIniValue(const wchar_t* section, const wchar_t* key) const;
  // "r g b" as RGB(r, g, b); CLR_INVALID when the value is empty.
  COLORREF ColorFromIni(const wchar_t* section, const wchar_t* key) const;

  CTKOffice2007Image* GetImage(const wchar_t* name);
  CTKSyncSection& Lock() { return lock_; }

 private:
  void ClearCache() { cache_.clear(); }

  std::wstring ini_name_;
  HMODULE module_ = nullptr;
  KestrinWinNS::CScopedLibrary owned_module_;  // module_ when the set was given it to keep
  const wchar_t* text_begin_ = nullptr;
  const wchar_t* text_end_ = nullptr;
  CTKSyncSection lock_;
  std::map<std::wstring, std::unique_ptr<CTKOffice2007Image>> cache_;
};

CTKOffice2007ImageSet& GetOffice2007ImageSet();
