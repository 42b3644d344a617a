#include "tray/skin_style.h"

#include <shlwapi.h>

#include <utility>

#include "toolkit/skin/skin_manager.h"

namespace GuiNS {

#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif

const wchar_t* CVistaStyle::GetIniFileNameForColour(int colour) {
  switch (colour) {
    case 0: return L"NORMALBLACK.INI";
    case 1: return L"NORMALBLUE.INI";
    case 2: return L"NORMALSILVER.INI";
    case 3: return L"NORMAL_DARKBLUE.INI";
    default: return m_iniName.c_str();
  }
}

bool CVistaStyle::SelectColour(int colour) {
  const wchar_t* name = GetIniFileNameForColour(colour);
  if (!name) return false;
  m_iniName = name;
  return true;
}

CVistaStyle* CVistaStyle::GetInstance() {
  static CVistaStyle instance;
  return &instance;
}

std::wstring SkinResourceName(const wchar_t* ini_name) {
  std::wstring name(ini_name ? ini_name : L"");
  for (wchar_t& c : name)
    if (c == L'.' || c == L'\\') c = L'_';
  return name;
}

const std::wstring& GetTempFolder() {
  static const std::wstring folder = [] {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    return (n == 0 || n > MAX_PATH) ? std::wstring() : std::wstring(path);
  }();
  return folder;
}

CSkinFileHolder::~CSkinFileHolder() { Unload(); }

void CSkinFileHolder::Unload() {
  skin_.Reset();
  ini_resource_.clear();
}

bool CSkinFileHolder::SetFolder(const wchar_t* path) {
  if (!path || !*path || !PathFileExistsW(path)) return false;
  m_folder = path;
  return true;
}

bool CSkinFileHolder::Load(CResourceSkinStyle* style) {
  Unload();
  m_style = style;
  if (!style || m_folder.empty()) return false;
  wchar_t path[MAX_PATH];
  lstrcpynW(path, m_folder.c_str(), MAX_PATH);
  if (!PathAppendW(path, style->GetStyleFileName())) return false;
  if (!PathFileExistsW(path)) return false;
  // A skin file is a library of resources; anyone may write into the temp folder, so it is
  // mapped as data and images only: none of its code runs.
  KestrinWinNS::CScopedLibrary module(
      LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return false;
  std::wstring resource = SkinResourceName(style->GetLoadIniFileName());
  if (!FindResourceW(module.Get(), resource.c_str(), L"TEXTFILE")) return false;
  skin_ = std::move(module);
  ini_resource_ = resource;
  // From here on every window of the program draws in the skin.
  CTKSkinManager* manager = GetSkinManager();
  if (!manager) return false;
  manager->SetSkinnedParts(CTKSkinManager::kOptionMetrics | CTKSkinManager::kOptionFrames |
                           CTKSkinManager::kOptionColors);
  return manager->LoadSkinFile(path, style->GetIniFileName()) == 1;
}

std::wstring CSkinFileHolder::GetIniText() const {
  if (!skin_) return std::wstring();
  HRSRC found = FindResourceW(skin_.Get(), ini_resource_.c_str(), L"TEXTFILE");
  HGLOBAL loaded = found ? LoadResource(skin_.Get(), found) : nullptr;
  const wchar_t* text = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
  if (!text) return std::wstring();
  return std::wstring(text, SizeofResource(skin_.Get(), found) / sizeof(wchar_t));
}

}  // namespace GuiNS
