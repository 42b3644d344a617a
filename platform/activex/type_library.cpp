#include "platform/activex/type_library.h"

#include "platform/com/com_ptr.h"

namespace KestrinAxNS {
namespace {

bool ModulePath(HMODULE module, wchar_t (&path)[MAX_PATH]) {
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  return n > 0 && n < MAX_PATH;
}

}  // namespace

HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  wchar_t path[MAX_PATH];
  if (!ModulePath(module, path)) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path, REGKIND_NONE, out);
}

HRESULT RegisterModuleTypeLib(HMODULE module) {
  wchar_t path[MAX_PATH];
  if (!ModulePath(module, path)) return HRESULT_FROM_WIN32(GetLastError());
  KestrinComNS::CComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  return RegisterTypeLib(library, path, nullptr);
}

HRESULT UnregisterModuleTypeLib(HMODULE module) {
  KestrinComNS::CComPtr<ITypeLib> library;
  HRESULT hr = LoadModuleTypeLib(module, &library);
  if (FAILED(hr)) return hr;
  TLIBATTR* attr = nullptr;
  if (FAILED(hr = library->GetLibAttr(&attr))) return hr;
  TLIBATTR copy = *attr;
  library->ReleaseTLibAttr(attr);
  return UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
}

}  // namespace KestrinAxNS
