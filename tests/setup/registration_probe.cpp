// A library with registration entries for the registration helper's test: registering counts
// up a machine value, unregistering fails.
#include <windows.h>

#include "platform/win/scoped_handle.h"

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\KestrinTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  DWORD count = 0, size = sizeof(count);
  RegQueryValueExW(key.Get(), L"Registered", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
  ++count;
  RegSetValueExW(key.Get(), L"Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() { return E_FAIL; }
