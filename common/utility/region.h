// Window regions stored as "RGN" resources (an RGNDATA record as ExtCreateRegion takes it).
#pragma once

#include <windows.h>

namespace UtilityClassesNS {

class CResourceHolder {
 public:
  CResourceHolder(HMODULE module, const char* type);
  ~CResourceHolder();
  // Releases a resource loaded before, then finds, loads and locks `name` of the holder's
  // type. Returns its data (null when missing) and its size.
  const void* LoadRgnResource(const char* name, DWORD* size, HGLOBAL* loaded = nullptr);
  void Free();

 private:
  CResourceHolder(const CResourceHolder&) = delete;
  CResourceHolder& operator=(const CResourceHolder&) = delete;

  HMODULE module_;
  const char* type_;
  HGLOBAL loaded_ = nullptr;
};

// True when a region was made from the "RGN" resource `name` (MAKEINTRESOURCE for numbers).
bool CreateRegionFromResource(HMODULE module, const char* name, HRGN* out);
// The same from the record's bytes.
bool CreateRegionFromData(const void* data, DWORD size, HRGN* out);

}  // namespace UtilityClassesNS
