#include "platform/appframe/string.h"

#include <algorithm>
#include <cwctype>
#include <vector>

CString::CString(const char* text) {
  if (!text || !*text) return;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return;
  text_.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, 0, text, -1, &text_[0], n);
  text_.resize(static_cast<size_t>(n - 1));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  size_t p = text_.find(ch, static_cast<size_t>(start));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const wchar_t* s, int start) const {
  if (!s || start < 0 || start > GetLength()) return -1;
  size_t p = text_.find(s, static_cast<size_t>(start));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(wchar_t ch) const {
  size_t p = text_.rfind(ch);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int count) const {
  count = std::max(0, std::min(count, GetLength()));
  return CString(text_.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first, int count) const {
  first = std::max(0, std::min(first, GetLength()));
  int rest = GetLength() - first;
  if (count < 0 || count > rest) count = rest;
  return CString(text_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::max(0, std::min(count, GetLength()));
  return CString(text_.substr(static_cast<size_t>(GetLength() - count)));
}

CString& CString::MakeUpper() {
  if (!text_.empty()) CharUpperBuffW(&text_[0], static_cast<DWORD>(text_.size()));
  return *this;
}

CString& CString::MakeLower() {
  if (!text_.empty()) CharLowerBuffW(&text_[0], static_cast<DWORD>(text_.size()));
  return *this;
}

CString& CString::Trim() {
  size_t first = 0;
  while (first < text_.size() && iswspace(text_[first])) ++first;
  size_t last = text_.size();
  while (last > first && iswspace(text_[last - 1])) --last;
  text_ = text_.substr(first, last - first);
  return *this;
}

int CString::Replace(const wchar_t* from, const wchar_t* to) {
  if (!from || !*from) return 0;
  std::wstring f(from), t(to ? to : L"");
  int count = 0;
  for (size_t p = text_.find(f); p != std::wstring::npos; p = text_.find(f, p + t.size())) {
    text_.replace(p, f.size(), t);
    ++count;
  }
  return count;
}

int CString::Remove(wchar_t ch) {
  size_t before = text_.size();
  text_.erase(std::remove(text_.begin(), text_.end(), ch), text_.end());
  return static_cast<int>(before - text_.size());
}

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < buffer.size()) {
      text_.assign(buffer.data(), static_cast<size_t>(n));
      return;
    }
    if (buffer.size() > (1u << 24)) {
      text_.clear();
      return;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool CString::LoadString(HINSTANCE module, UINT id) {
  const wchar_t* text = nullptr;
  int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || !text) return false;
  text_.assign(text, static_cast<size_t>(n));
  return true;
}

wchar_t* CString::GetBuffer(int min_length) {
  if (min_length < GetLength()) min_length = GetLength();
  text_.resize(static_cast<size_t>(min_length) + 1);
  return &text_[0];
}

void CString::ReleaseBuffer(int new_length) {
  if (new_length < 0) {
    size_t z = text_.find(L'\0');
    if (z != std::wstring::npos) text_.resize(z);
  } else if (static_cast<size_t>(new_length) <= text_.size()) {
    text_.resize(static_cast<size_t>(new_length));
  }
}

std::string CString::ToAnsi() const {
  if (text_.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text_.c_str(), GetLength(), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text_.c_str(), GetLength(), &out[0], n, nullptr, nullptr);
  return out;
}
