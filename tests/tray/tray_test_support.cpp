#include "tests/tray/tray_test_support.h"

#include "platform/win/scoped_handle.h"

namespace traytest {

namespace {
const wchar_t kKey[] = L"SOFTWARE\\TorvanGroup\\Dravix";
std::vector<std::function<void()>> g_steps;

void CALLBACK RunSteps(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::vector<std::function<void()>> steps;
  steps.swap(g_steps);
  for (auto& step : steps) step();
}
}  // namespace

void RunFromLoop(std::function<void()> step) {
  g_steps.push_back(std::move(step));
  SetTimer(nullptr, 0, 1, &RunSteps);
}

void DeleteSettingsKey() { RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }

bool SettingsKeyExists() {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  return true;
}

bool ValueExists(const wchar_t* name) {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  return RegQueryValueExW(key.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ReadDword(const wchar_t* name, DWORD* value, DWORD* type) {
  DWORD t = 0, size = sizeof(*value);
  LONG status = RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &t, value, &size);
  if (type) *type = t;
  return status == ERROR_SUCCESS && t == REG_DWORD;
}

bool ReadText(const wchar_t* name, std::wstring* text) {
  DWORD type = 0, size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
    return false;
  *text = buffer.data();
  return true;
}

std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> SnapshotSettingsKey() {
  std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    BYTE data[2048];
    DWORD name_size = 256, data_size = sizeof(data), type = 0;
    if (RegEnumValueW(key.Get(), i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
    values[name] = {type, std::vector<BYTE>(data, data + data_size)};
  }
  return values;
}

void WriteDword(const wchar_t* name, DWORD value) {
  KestrinWinNS::CScopedRegKey key;
  RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr);
  RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void WriteText(const wchar_t* name, const wchar_t* text) {
  KestrinWinNS::CScopedRegKey key;
  RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr);
  RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

}  // namespace traytest
