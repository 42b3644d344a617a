// The add-on library's exports: the class factory of the helper object and the module's
// lock count. Registration comes with the library's other classes.
#include <windows.h>
#include <objbase.h>

#include "ie/kestrin_bho.h"
#include "platform/com/com_object.h"

extern "C" const CLSID CLSID_KestrinBho = {0x60F0F632, 0xE1EE, 0x4B8C,
                                           {0xA1, 0xC5, 0x73, 0x74, 0xA1, 0x90, 0xB5, 0xE7}};

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

STDAPI DllCanUnloadNow() { return KestrinComNS::CModuleLock::CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return KestrinComNS::GetClassObjectOf<KestrinIENS::CKestrinBho>(clsid, CLSID_KestrinBho, riid, out);
}

// Registration scripts and the type library come with the library's other classes.
STDAPI DllRegisterServer() { return E_NOTIMPL; }
STDAPI DllUnregisterServer() { return E_NOTIMPL; }
