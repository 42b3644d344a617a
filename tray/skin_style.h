// The skin of the tray program's dialogs: the style names the skin file and its colour variants;
// the holder finds the skin file in a folder and opens it as resources only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/scoped_handle.h"

namespace GuiNS {

class CResourceSkinStyle {
 public:
  virtual ~CResourceSkinStyle() {}
  virtual const wchar_t* GetStyleFileName() = 0;
  virtual const wchar_t* GetIniFileName() = 0;
  // The variant of a colour number; any other number gives the current INI name.
  virtual const wchar_t* GetIniFileNameForColour(int colour) = 0;
  // The INI name used when the skin is loaded.
  virtual const wchar_t* GetLoadIniFileName() { return GetIniFileName(); }
  // Makes the colour's variant the current one; false when there is none.
  virtual bool SelectColour(int colour) = 0;
};

class CVistaStyle : public CResourceSkinStyle {
 public:
  CVistaStyle() : m_iniName(L"NORMALDARKBLUE.INI") {}
  const wchar_t* GetStyleFileName() override { return L"Vista.tkstyles"; }
  const wchar_t* GetIniFileName() override { return m_iniName.c_str(); }
  const wchar_t* GetIniFileNameForColour(int colour) override;
  bool SelectColour(int colour) override;

  // The process's instance.
  static CVistaStyle* GetInstance();

 private:
  std::wstring m_iniName;
};

// The resource name of an INI file inside a skin library: "." and "\" become "_".
std::wstring SkinResourceName(const wchar_t* ini_name);

// The user's temp folder ("" when it cannot be found), looked up once per process.
const std::wstring& GetTempFolder();

class CSkinFileHolder {
 public:
  CSkinFileHolder() {}
  ~CSkinFileHolder();

  // Keeps the folder when it is not empty and exists.
  bool SetFolder(const wchar_t* path);
  // Opens the style's skin file in the folder as a resource library (its code never runs),
  // checks that it carries the style's INI text and applies it to every window of the process
  // through the skin manager. True when the skin manager loaded it.
  bool Load(CResourceSkinStyle* style);

  const std::wstring& GetFolder() const { return m_folder; }
  CResourceSkinStyle* GetStyle() const { return m_style; }
  bool IsSkinFound() const { return skin_.IsValid(); }
  HMODULE GetSkinModule() const { return skin_.Get(); }
  // The INI text of the loaded skin (UTF-16 as stored).
  std::wstring GetIniText() const;

 private:
  CSkinFileHolder(const CSkinFileHolder&) = delete;
  CSkinFileHolder& operator=(const CSkinFileHolder&) = delete;
  void Unload();

  std::wstring m_folder;
  CResourceSkinStyle* m_style = nullptr;   // not owned
  KestrinWinNS::CScopedLibrary skin_;      // the skin opened as resources
  std::wstring ini_resource_;
};

}  // namespace GuiNS
