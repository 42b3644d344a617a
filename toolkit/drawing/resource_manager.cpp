#include "toolkit/drawing/resource_manager.h"

#include <cstring>

#include <vector>

namespace {
HMODULE g_resource_module = nullptr;

// Each thread's manager is freed when the thread ends.
void WINAPI DeleteManager(void* manager) { delete static_cast<CTKResourceManager*>(manager); }

DWORD ManagerSlot() {
  static const DWORD slot = FlsAlloc(&DeleteManager);
  return slot;
}
}  // namespace

HMODULE GetToolkitResourceModule() { return g_resource_module ? g_resource_module : GetModuleHandleW(nullptr); }
void SetToolkitResourceModule(HMODULE module) { g_resource_module = module; }

CTKResourceManager* GetResourceManagerInstance() {
  const DWORD slot = ManagerSlot();
  if (slot == FLS_OUT_OF_INDEXES) {
    static CTKResourceManager shared;  // no slot to be had: one for the process
    return &shared;
  }
  auto* manager = static_cast<CTKResourceManager*>(FlsGetValue(slot));
  if (!manager) {
    manager = new CTKResourceManager;
    FlsSetValue(slot, manager);
  }
  return manager;
}

CTKResourceManager::~CTKResourceManager() { ReleaseResourceLibrary(); }

void CTKResourceManager::ReleaseResourceLibrary() {
  resource_library_.Reset();
}

bool CTKResourceManager::ReadStringResource(std::wstring* text, UINT id) {
  if (!text) return false;
  // Strings are kept in blocks of 16; the block's resource tells whether the module holds it.
  HMODULE module = GetToolkitResourceModule();
  if (!FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), MAKEINTRESOURCEW(6))) return false;
  const wchar_t* chars = nullptr;
  const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&chars), 0);
  if (length <= 0 || !chars) return false;
  text->assign(chars, static_cast<size_t>(length));
  return true;
}

bool CTKResourceManager::ReadMenuResource(HMENU* menu, UINT id) {
  if (!menu) return false;
  *menu = LoadMenuW(GetToolkitResourceModule(), MAKEINTRESOURCEW(id));
  return *menu != nullptr;
}

bool CTKResourceManager::ReadBitmapResource(HBITMAP* bitmap, UINT id) {
  if (!bitmap) return false;
  *bitmap = LoadBitmapW(GetToolkitResourceModule(), MAKEINTRESOURCEW(id));
  return *bitmap != nullptr;
}

HCURSOR CTKResourceManager::ReadCursorResource(UINT id) {
  return LoadCursorW(GetToolkitResourceModule(), MAKEINTRESOURCEW(id));
}

bool ParseToolBarResource(const void* data, size_t size, CTKToolBarResource* out) {
  // WORD version, width, height, item count; then one WORD command per item.
  const size_t kHeader = 4 * sizeof(WORD);
  if (!data || !out || size < kHeader) return false;
  WORD header[4];
  memcpy(header, data, kHeader);
  const WORD version = header[0], width = header[1], height = header[2], count = header[3];
  if (version != 1) return false;
  if (width == 0 || height == 0 || width > kMaxToolBarImage || height > kMaxToolBarImage) return false;
  if (count > (size - kHeader) / sizeof(WORD)) return false;
  const BYTE* items = static_cast<const BYTE*>(data) + kHeader;
  out->width = width;
  out->height = height;
  out->commands.resize(count);
  for (WORD i = 0; i < count; ++i) {
    WORD command;
    memcpy(&command, items + i * sizeof(WORD), sizeof(WORD));
    out->commands[i] = command;
  }
  return true;
}

bool ReadToolBarResourceOf(HMODULE module, UINT id, CTKToolBarResource* out) {
  if (!out) return false;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241));  // RT_TOOLBAR
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  return bytes && ParseToolBarResource(bytes, SizeofResource(module, found), out);
}

bool CTKResourceManager::ReadToolBarResource(CTKToolBarResource* toolbar, UINT id) {
  return ReadToolBarResourceOf(GetToolkitResourceModule(), id, toolbar);
}

HGLOBAL CTKResourceManager::FindInModules(const wchar_t* name, const wchar_t* type, HMODULE* found) {
  HMODULE modules[2] = {GetModuleHandleW(nullptr), GetToolkitResourceModule()};
  for (HMODULE module : modules) {
    if (HRSRC res = FindResourceW(module, name, type)) {
      if (found) *found = module;
      return LoadResource(module, res);
    }
  }
  return nullptr;
}

HGLOBAL CTKResourceManager::FindDialogResource(const wchar_t* name) {
  return FindInModules(name, MAKEINTRESOURCEW(5), nullptr);
}

const void* CTKResourceManager::LockDialogResource(UINT id) {
  HGLOBAL res = FindDialogResource(MAKEINTRESOURCEW(id));
  return res ? LockResource(res) : nullptr;
}

bool CTKResourceManager::ReadHtmlText(std::wstring* text, UINT id) {
  if (!text) return false;
  HMODULE module = nullptr;
  HGLOBAL res = FindInModules(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(23), &module);
  const char* bytes = res ? static_cast<const char*>(LockResource(res)) : nullptr;
  if (!bytes) return false;
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(23));
  const int size = static_cast<int>(SizeofResource(module, info));
  std::vector<wchar_t> buffer(static_cast<size_t>(size) * 2 + 2, L'\0');
  const int converted = size > 0 ? MultiByteToWideChar(CP_ACP, 0, bytes, size, buffer.data(), size * 2 + 1) : 0;
  if (converted <= 0) return false;
  text->assign(buffer.data());  // up to the first NUL
  return true;
}

HICON CTKResourceManager::ReadIconById(UINT id, SIZE size) { return ReadIconByName(MAKEINTRESOURCEW(id), size); }

HICON CTKResourceManager::ReadIconByName(const wchar_t* name, SIZE size) {
  HMODULE module = GetToolkitResourceModule();
  if (!module) return nullptr;
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size.cx, size.cy, LR_DEFAULTCOLOR));
}

HICON CTKResourceManager::MakeIconFromGroup(HMODULE module, const wchar_t* name, int cx, int cy) {
  HRSRC group = FindResourceW(module, name, MAKEINTRESOURCEW(14));
  HGLOBAL group_data = group ? LoadResource(module, group) : nullptr;
  auto* directory = group_data ? static_cast<BYTE*>(LockResource(group_data)) : nullptr;
  if (!directory) return nullptr;
  const int icon_id = LookupIconIdFromDirectoryEx(directory, TRUE, cx, cy, LR_DEFAULTCOLOR);
  if (icon_id <= 0) return nullptr;
  HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(icon_id), MAKEINTRESOURCEW(3));
  HGLOBAL icon_data = icon ? LoadResource(module, icon) : nullptr;
  auto* bits = icon_data ? static_cast<BYTE*>(LockResource(icon_data)) : nullptr;
  if (!bits) return nullptr;
  return CreateIconFromResourceEx(bits, SizeofResource(module, icon), TRUE, 0x30000, cx, cy, LR_DEFAULTCOLOR);
}

namespace {
struct LanguageSearch {
  LANGID found = 1033;
  bool done = false;
};

BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  auto* search = reinterpret_cast<LanguageSearch*>(param);
  if (language != 1033) {
    search->found = language;
    search->done = true;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, &OnLanguage, param);
  return !reinterpret_cast<LanguageSearch*>(param)->done;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  EnumResourceNamesW(module, type, &OnName, param);
  return !reinterpret_cast<LanguageSearch*>(param)->done;
}
}  // namespace

LANGID CTKResourceManager::DetectResourceLanguage(HMODULE module) {
  LanguageSearch search;
  EnumResourceTypesW(module ? module : GetModuleHandleW(nullptr), &OnType, reinterpret_cast<LONG_PTR>(&search));
  language_ = search.found;
  return language_;
}
