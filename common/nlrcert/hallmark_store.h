// The registry hallmark store: downloaded seal certificates kept per control window.
#pragma once

#include <windows.h>

namespace CryptoNS {

// Certificates are written in REG_BINARY chunks of at most this many bytes.
const DWORD kHallmarkChunkSize = 16000;

// Writes one entry under HKCU "SOFTWARE\TorvanGroup\Dravix\Hallmarks\<sub_index>\<key_index>":
// "Validity", "Size" (when not 0), "Certificate_0000"..., "URL" and "Path" (each when given).
// Key index 0 writes nothing. False when a write failed; the values after it are not written.
bool SaveHallmarkToRegistry(int key_index, int validity, const BYTE* certificate, DWORD size,
                            const char* url, const char* path, int sub_index);

}  // namespace CryptoNS
