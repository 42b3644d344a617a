// Kestrin.dll: the component library. Its only export is NSGetModule (kestrin_module.cpp).
#include <windows.h>

#include "common/log/log_helper.h"
#include "platform/win/worker_thread.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    // A task of the component's workers that throws is written to the component's log.
    KestrinWinNS::SetWorkerFaultLog(&LogHelperNS::LogWorkerFault);
  }
  return TRUE;
}
