#include "tray/settings_converter.h"

#include <cwctype>

namespace SettingsUtilsNS {

const wchar_t* const kConvertedValueNames[16] = {
    L"Blanking", L"BorderBrowser", L"BorderColour", L"Current_KRAIDA_State", L"BorderScreen",
    L"BorderTaskTray", L"BorderWidth", L"DisplayTextSize", L"ErrorOnFailedRevocationCheck", L"HotKeyKey",
    L"HotKeyMod", L"NextUpDate", L"Opacity", L"UseAudio", L"UseMov", L"KRAIDA_ValidatingFor"};

namespace {
const wchar_t kKeyPath[] = L"SOFTWARE\\TorvanGroup\\Dravix";
const wchar_t kVersionName[] = L"SettingsVersion";

// The value as text: REG_SZ or REG_EXPAND_SZ of whole characters ending in a terminator, at
// most 260 characters. False for anything else.
bool ReadText(HKEY key, const wchar_t* name, wchar_t (&text)[260]) {
  DWORD type = 0;
  DWORD size = sizeof(text);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0) return false;
  return text[size / sizeof(wchar_t) - 1] == L'\0';
}
}  // namespace

LONG ParseOldDecimal(const wchar_t* text) {
  while (iswspace(*text)) ++text;
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  unsigned long long value = 0;
  while (*text >= L'0' && *text <= L'9') {
    value = value * 10 + static_cast<unsigned>(*text++ - L'0');
    if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;   // saturate rather than wrap
  }
  DWORD bits = static_cast<DWORD>(value);
  return static_cast<LONG>(negative ? 0u - bits : bits);
}

CSettingsConverter::CSettingsConverter() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) key_.Reset(key);
}

bool CSettingsConverter::NeedsConversion() {
  if (!key_) return false;
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExW(key_.Get(), kVersionName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return false;
  return type == REG_DWORD && size == sizeof(value) && value != kCurrentSettingsVersion;
}

bool CSettingsConverter::Convert() {
  if (!key_) return false;
  for (const wchar_t* name : kConvertedValueNames) {
    wchar_t text[260];
    // Missing, or not a text of the older format (already a number, or damaged): keep it.
    if (!ReadText(key_.Get(), name, text)) continue;
    DWORD number = static_cast<DWORD>(ParseOldDecimal(text));
    RegSetValueExW(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }
  DWORD version = kCurrentSettingsVersion;
  return RegSetValueExW(key_.Get(), kVersionName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version),
                        sizeof(version)) == ERROR_SUCCESS;
}

}  // namespace SettingsUtilsNS
