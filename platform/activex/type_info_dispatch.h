// IDispatch of a dual interface through the type information in the type library of the
// module that holds this code: names, dispatch ids and calls go through oleaut32.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/com/com_ptr.h"

namespace KestrinAxNS {

class CTypeInfoDispatch {
 public:
  explicit CTypeInfoDispatch(REFIID iid) : iid_(iid) {}

  HRESULT GetTypeInfoCount(UINT* count);
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out);
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
  // `self`: the object's pointer of the dual interface.
  HRESULT Invoke(IDispatch* self, DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* arg_error);

 private:
  HRESULT Load();

  IID iid_;
  KestrinComNS::CComPtr<ITypeInfo> info_;
};

}  // namespace KestrinAxNS
