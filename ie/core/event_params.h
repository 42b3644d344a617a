// Parameters of browser events as they arrive through IDispatch::Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace ComHelpersNS {

// Parameter `index` in declaration order (COM passes them in reverse), with VARIANTs by
// reference followed to their value; null when missing.
const VARIANT* EventParam(const DISPPARAMS* params, UINT index);
// A text parameter in the ANSI code page; empty when it is missing or not text.
std::string ParamText(const DISPPARAMS* params, UINT index);
// A parameter converted to a 32-bit number; false when missing or not convertible.
bool ParamNumber(const DISPPARAMS* params, UINT index, LONG* value);

}  // namespace ComHelpersNS
