// Entry and only export of KRSetupDll.dll.
#include <windows.h>

#include "setup/setup_framework.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  // The module handle finds the library's resources; stored again for each new thread.
  if (reason == DLL_PROCESS_ATTACH || reason == DLL_THREAD_ATTACH)
    SetupFrameworkNS::SetFrameworkModule(instance);
  return TRUE;
}

extern "C" HRESULT __cdecl CreateFramework(SetupFrameworkNS::ISetupReport* report,
                                           SetupFrameworkNS::ISetupFramework** framework) {
  return SetupFrameworkNS::CreateSetupFramework(report, framework);
}
