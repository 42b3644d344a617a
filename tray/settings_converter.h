// Brings a settings key written by older versions (every value a decimal text) to the current
// format (numbers as REG_DWORD) and records the settings version.
#pragma once

#include <windows.h>

#include "platform/win/scoped_handle.h"

namespace SettingsUtilsNS {

const DWORD kCurrentSettingsVersion = 2;

class CSettingsConverter {
 public:
  // Opens the user's settings key for reading and writing (nothing when it cannot).
  CSettingsConverter();
  virtual ~CSettingsConverter() {}

  // True when "SettingsVersion" is a REG_DWORD other than the current version.
  bool NeedsConversion();
  // Converts every value of the older format that is there and readable; a missing value,
  // or one that is not a text, is left as it is. Then records the current version; false only
  // when that cannot be written.
  bool Convert();

  bool IsOpen() const { return key_.IsValid(); }

 private:
  CSettingsConverter(const CSettingsConverter&) = delete;
  CSettingsConverter& operator=(const CSettingsConverter&) = delete;

  KestrinWinNS::CScopedRegKey key_;
};

// The values the older format kept as decimal texts, in conversion order.
extern const wchar_t* const kConvertedValueNames[16];

// A decimal text as the older format wrote it: leading blanks, an optional sign, digits up to
// the first other character; 0 when there is no digit.
LONG ParseOldDecimal(const wchar_t* text);

}  // namespace SettingsUtilsNS
