// The building block of the scripted Gecko host: an XPCOM object of the component's own object
// base (atomic count; QueryInterface answers the interfaces a class lists and those they extend,
// ExtraInterface and Hides adjust it per object).
#pragma once

#include <windows.h>

#include "gecko/xpcom/interfaces.h"

namespace geckohost {

using kr::nsCOMPtr;
using kr::nsresult;

template <class First, class... Rest>
class CHostObject : public kr::CXPCOMObject<First, Rest...> {
 public:
  // A new object with one reference held by the returned pointer.
  template <class T, class... Args>
  static nsCOMPtr<T> Make(Args&&... args) {
    return nsCOMPtr<T>(new T(static_cast<Args&&>(args)...));
  }
};

// The text of a string object the component handed in, and an answer written into one.
inline std::wstring Read(const kr::nsAString& text) { return kr::CWideString::Read(text); }
inline std::string Read(const kr::nsACString& text) { return kr::CNarrowString::Read(text); }
inline nsresult Write(kr::nsAString& out, const std::wstring& text) {
  kr::CWideString::Write(out, text);
  return kr::NS_OK;
}
inline nsresult Write(kr::nsACString& out, const std::string& text) {
  kr::CNarrowString::Write(out, text);
  return kr::NS_OK;
}

}  // namespace geckohost
