// A skin's source: a skin library (a resource-only module with the INI text and bitmaps as
// resources) or a folder with an 8-bit INI file and bitmap files. Both are read the same way.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/win/scoped_handle.h"

class CTKSkinManager;
class CTKSkinManagerSchema;
class CTKSkinImage;

// Where the schema pulls its INI lines from.
class CTKSkinIniSource {
 public:
  virtual ~CTKSkinIniSource() = default;
  virtual BOOL NextIniLine(std::wstring* line) = 0;
};

class CTKSkinManagerResourceFile : public CTKSkinIniSource {
 public:
  explicit CTKSkinManagerResourceFile(CTKSkinManager* manager) : manager_(manager) {}
  ~CTKSkinManagerResourceFile() override;
  CTKSkinManagerResourceFile(const CTKSkinManagerResourceFile&) = delete;
  CTKSkinManagerResourceFile& operator=(const CTKSkinManagerResourceFile&) = delete;

  virtual BOOL OpenSkinSource(const std::wstring& path, const std::wstring& iniName);
  BOOL NextIniLine(std::wstring* line) override;
  virtual void CloseSkinSource();
  // A new image owned by the caller, or none.
  virtual CTKSkinImage* LoadSkinBitmap(const std::wstring& fileName);
  // A new schema owned by the caller: the Office 2007 one when the library's style string says so.
  virtual CTKSkinManagerSchema* MakeSchemaForSkin();

  const std::wstring& SkinPath() const { return path_; }
  const std::wstring& IniName() const { return ini_name_; }
  HMODULE Module() const { return module_.Get(); }
  bool IsFolderForm() const { return text_file_ != nullptr; }

  // "." and "\" become "_": the resource name of a file name in the skin.
  static std::wstring ResourceName(const std::wstring& fileName);

 private:
  struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
  };

  bool ReadDefaultIniName();

  CTKSkinManager* manager_;
  std::wstring path_;
  std::wstring ini_name_;
  KestrinWinNS::CScopedLibrary module_;
  const wchar_t* cursor_ = nullptr;
  const wchar_t* end_ = nullptr;
  std::unique_ptr<FILE, FileCloser> text_file_;
};
