#include "common/navigation/event_params.h"

#include <oleauto.h>

#include "common/url/page_address.h"

namespace ComHelpersNS {

const VARIANT* EventParam(const DISPPARAMS* params, UINT index) {
  if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
  const VARIANT* v = &params->rgvarg[params->cArgs - 1 - index];
  while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  return v;
}

std::string ParamUrl(const DISPPARAMS* params, UINT index) {
  const VARIANT* v = EventParam(params, index);
  if (!v) return std::string();
  BSTR text = nullptr;
  if (V_VT(v) == VT_BSTR)
    text = V_BSTR(v);
  else if (V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v))
    text = *V_BSTRREF(v);
  return text ? UrlNS::NarrowPageAddress(text, SysStringLen(text)) : std::string();
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
