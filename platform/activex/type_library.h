// Registration of a module's type library (resource TYPELIB 1), through oleaut32.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace KestrinAxNS {

// Loads the type library bound into `module` and registers it with the module's path.
HRESULT RegisterModuleTypeLib(HMODULE module);
// Removes the registration of that library: its identity, version, locale and system kind are
// read from the library itself.
HRESULT UnregisterModuleTypeLib(HMODULE module);
// The type library of `module`, loaded without registering it.
HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** out);

}  // namespace KestrinAxNS
