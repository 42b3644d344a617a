// Owners of the COM value types: a BSTR freed with SysFreeString, a VARIANT cleared with
// VariantClear.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace KestrinComNS {

class CBstr {
 public:
  CBstr() = default;
  explicit CBstr(const wchar_t* text) : bstr_(text ? SysAllocString(text) : nullptr) {}
  CBstr(const wchar_t* text, UINT length) : bstr_(SysAllocStringLen(text, length)) {}
  CBstr(CBstr&& other) noexcept : bstr_(other.Take()) {}
  CBstr& operator=(CBstr&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  CBstr(const CBstr&) = delete;
  CBstr& operator=(const CBstr&) = delete;
  ~CBstr() { Reset(); }

  BSTR Get() const { return bstr_; }
  UINT Length() const { return SysStringLen(bstr_); }
  // Frees the string held and keeps `bstr` (owned from now on).
  void Reset(BSTR bstr = nullptr) {
    BSTR old = bstr_;
    bstr_ = bstr;
    if (old && old != bstr) SysFreeString(old);
  }
  // Hands the string on: the caller frees it.
  BSTR Take() {
    BSTR bstr = bstr_;
    bstr_ = nullptr;
    return bstr;
  }
  // For out-parameters: the string held is freed first.
  BSTR* Receive() {
    Reset();
    return &bstr_;
  }

 private:
  BSTR bstr_ = nullptr;
};

class CVariant {
 public:
  CVariant() { VariantInit(&value_); }
  CVariant(const CVariant&) = delete;
  CVariant& operator=(const CVariant&) = delete;
  ~CVariant() { VariantClear(&value_); }

  VARIANT* Get() { return &value_; }
  const VARIANT* Get() const { return &value_; }
  const VARIANT* operator->() const { return &value_; }
  // For out-parameters: the value held is cleared first.
  VARIANT* Receive() {
    VariantClear(&value_);
    return &value_;
  }
  // Hands the value on: the caller clears it.
  VARIANT Take() {
    VARIANT value = value_;
    VariantInit(&value_);
    return value;
  }

 private:
  VARIANT value_;
};

}  // namespace KestrinComNS
