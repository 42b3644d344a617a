// A UTF-16 text value with the operations the dialogs and the drawing code use.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

class CString {
 public:
  CString() {}
  CString(const wchar_t* text) : text_(text ? text : L"") {}
  CString(const wchar_t* text, int length) : text_(text ? std::wstring(text, length) : std::wstring()) {}
  CString(wchar_t ch, int repeat = 1) : text_(repeat > 0 ? repeat : 0, ch) {}
  // 8-bit text in the system's ANSI code page.
  explicit CString(const char* text);
  CString(const std::wstring& text) : text_(text) {}

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  operator const wchar_t*() const { return text_.c_str(); }
  const wchar_t* GetString() const { return text_.c_str(); }
  const std::wstring& str() const { return text_; }
  wchar_t GetAt(int i) const { return text_[static_cast<size_t>(i)]; }
  void SetAt(int i, wchar_t ch) { text_[static_cast<size_t>(i)] = ch; }
  wchar_t operator[](int i) const { return GetAt(i); }

  CString& operator=(const wchar_t* text) { text_ = text ? text : L""; return *this; }
  CString& operator+=(const CString& s) { text_ += s.text_; return *this; }
  CString& operator+=(const wchar_t* s) { if (s) text_ += s; return *this; }
  CString& operator+=(wchar_t ch) { text_ += ch; return *this; }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.text_ + b.text_); }
  friend CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
  friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.text_ == (b ? b : L""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

  int Compare(const wchar_t* s) const { return wcscmp(text_.c_str(), s ? s : L""); }
  int CompareNoCase(const wchar_t* s) const { return _wcsicmp(text_.c_str(), s ? s : L""); }
  // -1 when not found.
  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* s, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  CString Left(int count) const;
  CString Mid(int first, int count = -1) const;
  CString Right(int count) const;
  CString& MakeUpper();
  CString& MakeLower();
  CString& Trim();
  int Replace(const wchar_t* from, const wchar_t* to);
  int Remove(wchar_t ch);

  void Format(const wchar_t* format, ...);
  void FormatV(const wchar_t* format, va_list args);
  // A string resource of the module (true when it exists).
  bool LoadString(HINSTANCE module, UINT id);

  // Direct access for functions that fill a buffer: at least `min_length` characters and the
  // terminator; ReleaseBuffer takes the length up to the first zero (or the given length).
  wchar_t* GetBuffer(int min_length);
  void ReleaseBuffer(int new_length = -1);

  // The text in the ANSI code page (lossy for characters it lacks).
  std::string ToAnsi() const;

 private:
  std::wstring text_;
};
