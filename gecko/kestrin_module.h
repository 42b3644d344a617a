// The component module: NSGetModule hands the browser a generic module over the table of the
// three components, with a factory per component and the start-up category entry of the
// wrapper service.
#pragma once

#include "gecko/kestrin_interfaces.h"

namespace GeckoHelpersNS {

struct ModuleComponent {
  const char* description;
  kr::nsCID cid;
  const char* contract;
  // Makes a new object of the component (one reference owned by the caller), null when out of memory.
  kr::nsISupports* (*create)();
  // Register and unregister hooks (null: none).
  kr::nsresult (*registered)(kr::nsIComponentManager* manager);
  kr::nsresult (*unregistered)(kr::nsIComponentManager* manager);
};

extern const char kModuleName[];  // "KestrinModule"
const int kModuleVersion = 0x15000;
const ModuleComponent* GetModuleComponents(int* count);

}  // namespace GeckoHelpersNS

// The entry point the browser finds by name; C calling convention (the methods are __stdcall).
extern "C" kr::nsresult NSGetModule(kr::nsIComponentManager* manager, kr::nsIFile* location,
                                    kr::nsIModule** result);
