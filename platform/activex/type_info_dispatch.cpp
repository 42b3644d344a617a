#include "platform/activex/type_info_dispatch.h"

#include "platform/activex/type_library.h"
#include "platform/win/module.h"

namespace KestrinAxNS {

HRESULT CTypeInfoDispatch::Load() {
  if (info_) return S_OK;
  KestrinComNS::CComPtr<ITypeLib> library;
  HRESULT hr = LoadModuleTypeLib(KestrinWinNS::CodeModule(), &library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(iid_, &info_);
}

HRESULT CTypeInfoDispatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = SUCCEEDED(Load()) ? 1 : 0;
  return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  HRESULT hr = Load();
  if (FAILED(hr)) return hr;
  return info_.CopyTo(out);
}

HRESULT CTypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = Load();
  if (FAILED(hr)) return hr;
  return info_->GetIDsOfNames(names, count, ids);
}

HRESULT CTypeInfoDispatch::Invoke(IDispatch* self, DISPID dispid, REFIID riid, LCID, WORD flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = Load();
  if (FAILED(hr)) return hr;
  return info_->Invoke(self, dispid, flags, params, result, exception, arg_error);
}

}  // namespace KestrinAxNS
