#include "ie/core/event_params.h"

#include <oleauto.h>

namespace ComHelpersNS {

const VARIANT* EventParam(const DISPPARAMS* params, UINT index) {
  if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
  const VARIANT* v = &params->rgvarg[params->cArgs - 1 - index];
  while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  return v;
}

std::string ParamText(const DISPPARAMS* params, UINT index) {
  const VARIANT* v = EventParam(params, index);
  if (!v) return std::string();
  BSTR text = nullptr;
  if (V_VT(v) == VT_BSTR)
    text = V_BSTR(v);
  else if (V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v))
    text = *V_BSTRREF(v);
  if (!text) return std::string();
  int wide = static_cast<int>(SysStringLen(text));
  int size = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, wide, &out[0], size, nullptr, nullptr);
  return out;
}

bool ParamNumber(const DISPPARAMS* params, UINT index, LONG* value) {
  const VARIANT* v = EventParam(params, index);
  if (!v) return false;
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(v), 0, VT_I4))) return false;
  *value = V_I4(&converted);
  return true;
}

}  // namespace ComHelpersNS
