#include "common/web/web_text.h"

#include "platform/win/module.h"

namespace WebUtilsNS {

std::wstring Widen(const char* text) {
  std::wstring out;
  if (!text || !*text) return out;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return out;
  out.resize(n);
  MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
  out.resize(n - 1);
  return out;
}

std::string Narrow(const wchar_t* text, size_t length) {
  std::string out;
  if (!text || !length) return out;
  int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(n);
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

std::string LoadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  int n = LoadStringW(KestrinWinNS::CodeModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
  if (n <= 0 || !text) return std::string();
  return Narrow(text, n);
}

}  // namespace WebUtilsNS
