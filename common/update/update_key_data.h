// The project's update key and the identity of the update-signing certificate
// (made by tools/updatefile/make-keys.sh).
#pragma once

namespace UpdateUtilsNS {

// Base64 text (lines of 76) of the PKCS#12 container, no password.
extern const char kUpdateKeyContainer[];
extern const unsigned kUpdateKeyContainerLength;
// 40 lower-case hexadecimal digits.
extern const char kUpdateSignerThumbprint[];

}  // namespace UpdateUtilsNS
