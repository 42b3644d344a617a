#include "toolkit/skin/skin_resource_file.h"

#include "toolkit/skin/skin_image.h"
#include "toolkit/skin/skin_schema_default.h"

#include <cwchar>

namespace {

constexpr UINT kStyleStringId = 5000;

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The resource's bytes, or false when it is missing.
bool LockTextResource(HMODULE module, const wchar_t* name, const wchar_t** text, DWORD* bytes) {
  HRSRC resource = FindResourceW(module, name, L"TEXTFILE");
  if (!resource) return false;
  HGLOBAL handle = LoadResource(module, resource);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) return false;
  *text = static_cast<const wchar_t*>(data);
  *bytes = SizeofResource(module, resource);
  return true;
}

}  // namespace

CTKSkinManagerResourceFile::~CTKSkinManagerResourceFile() { CloseSkinSource(); }

std::wstring CTKSkinManagerResourceFile::ResourceName(const std::wstring& fileName) {
  std::wstring name = fileName;
  for (wchar_t& c : name) {
    if (c == L'.' || c == L'\\') c = L'_';
  }
  return name;
}

BOOL CTKSkinManagerResourceFile::OpenSkinSource(const std::wstring& path, const std::wstring& iniName) {
  CloseSkinSource();
  path_ = path;
  ini_name_ = iniName;
  if (path.empty()) return FALSE;

  if (!iniName.empty()) {
    const std::wstring file = path + L"\\" + iniName;
    if (IsExistingFile(file)) {
      text_file_.reset(_wfopen(file.c_str(), L"rt"));
      return text_file_ ? TRUE : FALSE;
    }
  }

  // The library is opened for its resources only: none of its code runs in this process.
  module_.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module_) module_.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module_) return FALSE;

  if (ini_name_.empty()) ReadDefaultIniName();

  const wchar_t* text = nullptr;
  DWORD bytes = 0;
  if (ini_name_.empty() || !LockTextResource(module_.Get(), ResourceName(ini_name_).c_str(), &text, &bytes)) return FALSE;
  cursor_ = text;
  end_ = text + bytes / sizeof(wchar_t);
  return TRUE;
}

bool CTKSkinManagerResourceFile::ReadDefaultIniName() {
  const wchar_t* text = nullptr;
  DWORD bytes = 0;
  if (!LockTextResource(module_.Get(), L"THEMES_INI", &text, &bytes)) return false;
  const std::wstring index(text, bytes / sizeof(wchar_t));
  const size_t marker = index.find(L"[File.");
  if (marker == std::wstring::npos) return false;
  const size_t start = marker + 6;
  const size_t close = index.find(L']', start);
  if (close == std::wstring::npos) return false;
  ini_name_ = index.substr(start, close - start) + L"_ini";
  return true;
}

BOOL CTKSkinManagerResourceFile::NextIniLine(std::wstring* line) {
  if (text_file_) {
    std::string narrow;
    int c;
    while ((c = fgetc(text_file_.get())) != EOF && c != '\n') narrow.push_back(static_cast<char>(c));
    if (c == EOF && narrow.empty()) {
      text_file_.reset();
      return FALSE;
    }
    line->clear();
    if (!narrow.empty()) {
      const int n = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
      line->resize(n);
      MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), &(*line)[0], n);
    }
    return TRUE;
  }
  if (!cursor_ || cursor_ >= end_) return FALSE;
  // The search stops at the end of the resource: a last line without CR is not delivered.
  const wchar_t* cr = wmemchr(cursor_, L'\r', end_ - cursor_);
  if (!cr) return FALSE;
  line->assign(cursor_, cr);
  cursor_ = cr + 1;
  if (cursor_ < end_ && *cursor_ == L'\n') ++cursor_;
  return TRUE;
}

void CTKSkinManagerResourceFile::CloseSkinSource() {
  text_file_.reset();
  cursor_ = end_ = nullptr;
  module_.Reset();
}

CTKSkinImage* CTKSkinManagerResourceFile::LoadSkinBitmap(const std::wstring& fileName) {
  auto image = std::make_unique<CTKSkinImage>();
  bool loaded = false;
  if (text_file_ || !module_) {
    const std::wstring full = path_ + L"\\" + fileName;
    loaded = !path_.empty() && IsExistingFile(full) && image->ReadFromFile(manager_, full.c_str());
  } else {
    loaded = image->ReadFromModule(manager_, module_.Get(), ResourceName(fileName).c_str());
  }
  return loaded ? image.release() : nullptr;
}

CTKSkinManagerSchema* CTKSkinManagerResourceFile::MakeSchemaForSkin() {
  wchar_t style[201] = {};
  // Without a library (folder form) the program's own resources are asked, which name no style.
  if (LoadStringW(module_.Get(), kStyleStringId, style, 201) > 0 && lstrcmpiW(style, L"Office 2007 Style") == 0)
    return new CTKSkinManagerSchemaOffice2007(manager_);
  return new CTKSkinManagerSchemaDefault(manager_);
}
