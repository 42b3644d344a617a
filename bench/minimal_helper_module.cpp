// The yardstick helper object as a library of its own, loaded as the browser loads helpers.
#include <windows.h>
#include <objbase.h>

#include "bench/minimal_helper.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

STDAPI DllCanUnloadNow() { return KestrinComNS::CModuleLock::CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return KestrinComNS::GetClassObjectOf<bench::CMinimalHelper>(clsid, bench::kClsidMinimalHelper, riid, out);
}
