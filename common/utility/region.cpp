#include "common/utility/region.h"

namespace UtilityClassesNS {

CResourceHolder::CResourceHolder(HMODULE module, const char* type) : module_(module), type_(type) {}

CResourceHolder::~CResourceHolder() { Free(); }

void CResourceHolder::Free() {
  if (loaded_) FreeResource(loaded_);
  loaded_ = nullptr;
}

const void* CResourceHolder::LoadRgnResource(const char* name, DWORD* size, HGLOBAL* loaded) {
  Free();
  if (size) *size = 0;
  if (loaded) *loaded = nullptr;
  HRSRC info = FindResourceA(module_, name, type_);
  if (!info) return nullptr;
  HGLOBAL handle = LoadResource(module_, info);
  if (!handle) return nullptr;
  if (loaded)
    *loaded = handle;
  else
    loaded_ = handle;
  if (size) *size = SizeofResource(module_, info);
  return LockResource(handle);
}

bool CreateRegionFromResource(HMODULE module, const char* name, HRGN* out) {
  if (!out) return false;
  *out = nullptr;
  CResourceHolder holder(module, "RGN");
  DWORD size = 0;
  const void* data = holder.LoadRgnResource(name, &size);
  return CreateRegionFromData(data, size, out);
}

bool CreateRegionFromData(const void* data, DWORD size, HRGN* out) {
  if (!out) return false;
  *out = nullptr;
  if (!data || size < sizeof(RGNDATAHEADER)) return false;
  // The record must hold every rectangle its header claims.
  const RGNDATAHEADER* header = static_cast<const RGNDATAHEADER*>(data);
  if (header->dwSize != sizeof(RGNDATAHEADER) || header->iType != RDH_RECTANGLES ||
      header->nCount > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT))
    return false;
  *out = ExtCreateRegion(nullptr, size, static_cast<const RGNDATA*>(data));
  return *out != nullptr;
}

}  // namespace UtilityClassesNS
