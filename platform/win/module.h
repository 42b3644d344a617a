// The module (program or DLL) that holds this code: window classes are registered against it
// and resources of the code's own are loaded from it.
#pragma once

#include <windows.h>

namespace KestrinWinNS {

HMODULE CodeModule();

}  // namespace KestrinWinNS
