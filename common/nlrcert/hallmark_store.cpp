#include "common/nlrcert/hallmark_store.h"

#include <stdio.h>

#include <string>

#include "common/utility/platform.h"

namespace CryptoNS {

bool SaveHallmarkToRegistry(int key_index, int validity, const BYTE* certificate, DWORD size,
                            const char* url, const char* path, int sub_index) {
  using UtilityClassesNS::WriteRegistryBinary;
  using UtilityClassesNS::WriteRegistryString;
  if (key_index == 0) return true;
  if (size != 0 && !certificate) return false;
  // The path function hands out one static buffer: keep a copy.
  const std::string key = UtilityClassesNS::GetHallmarkKeyPath(key_index, sub_index);
  char text[16];
  snprintf(text, sizeof(text), "%d", validity);
  if (!WriteRegistryString(HKEY_CURRENT_USER, key.c_str(), "Validity", text)) return false;
  if (size != 0) {
    snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(size));
    if (!WriteRegistryString(HKEY_CURRENT_USER, key.c_str(), "Size", text)) return false;
    DWORD offset = 0;
    for (int chunk = 0; offset < size; ++chunk) {
      DWORD length = size - offset < kHallmarkChunkSize ? size - offset : kHallmarkChunkSize;
      char name[32];
      snprintf(name, sizeof(name), "Certificate_%04d", chunk);
      if (!WriteRegistryBinary(HKEY_CURRENT_USER, key.c_str(), name, certificate + offset, length))
        return false;
      offset += length;
    }
  }
  if (url && !WriteRegistryString(HKEY_CURRENT_USER, key.c_str(), "URL", url)) return false;
  if (path && !WriteRegistryString(HKEY_CURRENT_USER, key.c_str(), "Path", path)) return false;
  return true;
}

}  // namespace CryptoNS
