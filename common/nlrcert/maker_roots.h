// The maker's root certificates that seal certificates must chain to.
#pragma once

#include <windows.h>

namespace CryptoNS {

const int kMakerRootKeyCount = 3;
const DWORD kMakerRootKeySize = 270;
extern const BYTE kMakerRootKeys[kMakerRootKeyCount][kMakerRootKeySize];

// Name pairs of the maker's roots: a root's X.500 name holds both texts of one pair.
struct MakerRootName {
  const char* common_name;
  const char* organisation;
};
const int kMakerRootNameCount = 3;
extern const MakerRootName kMakerRootNames[kMakerRootNameCount];

}  // namespace CryptoNS
