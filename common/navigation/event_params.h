// Parameters of browser events as they arrive through IDispatch::Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace ComHelpersNS {

// Parameter `index` in declaration order (COM passes them in reverse), with VARIANTs by
// reference followed to their value; null when missing.
const VARIANT* EventParam(const DISPPARAMS* params, UINT index);
// An address parameter as 8-bit text, never through a best-fit mapping of the code page: an
// address with a host as its ASCII text (UrlNS::NarrowPageAddress); empty when missing.
std::string ParamUrl(const DISPPARAMS* params, UINT index);
// A parameter converted to a 32-bit number; false when missing or not convertible.
bool ParamNumber(const DISPPARAMS* params, UINT index, LONG* value);

}  // namespace ComHelpersNS
