#include "tray/skin_style.h"

#include <shlwapi.h>

#include "toolkit/skin/skin_manager.h"

namespace GuiNS {

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

const std::wstring& GetTempFolder() {
  static const std::wstring folder = [] {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    return (n == 0 || n > MAX_PATH) ? std::wstring() : std::wstring(path);
  }();
  return folder;
}

bool CSkinFileHolder::SetFolder(const wchar_t* path) {
  if (!path || !*path || !PathFileExistsW(path)) return false;
  m_folder = path;
  return true;
}

bool CSkinFileHolder::Load(CResourceSkinStyle* style) {
  m_style = style;
  m_loaded = false;
  if (!style || m_folder.empty()) return false;
  wchar_t path[MAX_PATH];
  lstrcpynW(path, m_folder.c_str(), MAX_PATH);
  if (!PathAppendW(path, style->GetStyleFileName())) return false;
  if (!PathFileExistsW(path)) return false;
  // The skin manager opens the skin file for its resources only: none of its code runs.
  CTKSkinManager* manager = GetSkinManager();
  if (!manager) return false;
  manager->SetSkinnedParts(CTKSkinManager::kOptionMetrics | CTKSkinManager::kOptionFrames |
                           CTKSkinManager::kOptionColors);
  m_loaded = manager->LoadSkinFile(path, style->GetIniFileName()) == 1;
  return m_loaded;
}

}  // namespace GuiNS
