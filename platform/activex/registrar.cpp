#include "platform/activex/registrar.h"

#include <memory>

#include "platform/win/scoped_handle.h"

namespace KestrinAxNS {
namespace {

enum class KeyMode { kNormal, kNoRemove, kForceRemove, kDelete };

struct Value {
  std::wstring name;  // empty: the key's default value
  DWORD type = REG_SZ;
  std::wstring text;
  DWORD number = 0;
};

struct Key {
  KeyMode mode = KeyMode::kNormal;
  std::wstring name;
  bool has_default = false;
  Value default_value;
  std::vector<Value> values;
  std::vector<Key> keys;
};

struct Root {
  HKEY root = nullptr;
  std::vector<Key> keys;
};

bool SameWord(const std::wstring& a, const wchar_t* b) {
  // ASCII only, whatever the thread's locale says about letters.
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

struct Token {
  enum Kind { kEnd, kOpen, kClose, kEquals, kWord, kQuoted } kind = kEnd;
  std::wstring text;
};

class Parser {
 public:
  Parser(const std::wstring& script, const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
      : text_(script), replacements_(replacements) {}

  bool Parse(std::vector<Root>* roots) {
    Next();
    while (token_.kind != Token::kEnd) {
      Root root;
      if (token_.kind != Token::kWord || !(root.root = RootOf(token_.text))) return false;
      Next();
      if (!Expect(Token::kOpen) || !ParseKeys(&root.keys)) return false;
      roots->push_back(std::move(root));
    }
    return ok_;
  }

 private:
  static HKEY RootOf(const std::wstring& word) {
    if (SameWord(word, L"HKCR") || SameWord(word, L"HKEY_CLASSES_ROOT")) return HKEY_CLASSES_ROOT;
    if (SameWord(word, L"HKLM") || SameWord(word, L"HKEY_LOCAL_MACHINE")) return HKEY_LOCAL_MACHINE;
    if (SameWord(word, L"HKCU") || SameWord(word, L"HKEY_CURRENT_USER")) return HKEY_CURRENT_USER;
    return nullptr;
  }

  bool Expect(Token::Kind kind) {
    if (token_.kind != kind) return false;
    Next();
    return true;
  }

  bool IsName() const { return token_.kind == Token::kWord || token_.kind == Token::kQuoted; }

  // Keys up to and including the closing brace.
  bool ParseKeys(std::vector<Key>* keys) {
    while (token_.kind != Token::kClose) {
      Key key;
      if (!ParseKey(&key)) return false;
      keys->push_back(std::move(key));
    }
    Next();
    return ok_;
  }

  bool ParseKey(Key* key) {
    if (token_.kind == Token::kWord) {
      if (SameWord(token_.text, L"NoRemove")) key->mode = KeyMode::kNoRemove;
      else if (SameWord(token_.text, L"ForceRemove")) key->mode = KeyMode::kForceRemove;
      else if (SameWord(token_.text, L"Delete")) key->mode = KeyMode::kDelete;
      if (key->mode != KeyMode::kNormal) Next();
    }
    if (!IsName()) return false;
    key->name = token_.text;
    Next();
    if (token_.kind == Token::kEquals) {
      Next();
      if (!ParseValue(&key->default_value)) return false;
      key->has_default = true;
    }
    if (token_.kind != Token::kOpen) return true;
    Next();
    while (token_.kind != Token::kClose) {
      if (token_.kind == Token::kWord && SameWord(token_.text, L"val")) {
        Next();
        Value value;
        if (!IsName()) return false;
        value.name = token_.text;
        Next();
        if (!Expect(Token::kEquals) || !ParseValue(&value)) return false;
        key->values.push_back(std::move(value));
        continue;
      }
      Key child;
      if (!ParseKey(&child)) return false;
      key->keys.push_back(std::move(child));
    }
    Next();
    return ok_;
  }

  bool ParseValue(Value* value) {
    if (token_.kind != Token::kWord) return false;
    std::wstring kind = token_.text;
    Next();
    if (!IsName()) return false;
    value->text = token_.text;
    Next();
    if (SameWord(kind, L"s")) value->type = REG_SZ;
    else if (SameWord(kind, L"e")) value->type = REG_EXPAND_SZ;
    else if (SameWord(kind, L"d")) {
      value->type = REG_DWORD;
      return ParseNumber(value->text, &value->number);
    } else {
      return false;
    }
    return true;
  }

  // Decimal or 0x hexadecimal, read without the locale.
  static bool ParseNumber(const std::wstring& text, DWORD* out) {
    unsigned long long n = 0;
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) { base = 16; i = 2; }
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i) {
      wchar_t c = text[i];
      int digit;
      if (c >= L'0' && c <= L'9') digit = c - L'0';
      else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
      else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
      else return false;
      n = n * base + digit;
      if (n > 0xFFFFFFFFull) return false;
    }
    *out = static_cast<DWORD>(n);
    return true;
  }

  void Next() {
    token_ = Token();
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return;
    wchar_t c = text_[pos_];
    bool alone = pos_ + 1 >= text_.size() || IsSpace(text_[pos_ + 1]);
    if (alone && (c == L'{' || c == L'}' || c == L'=')) {
      token_.kind = c == L'{' ? Token::kOpen : c == L'}' ? Token::kClose : Token::kEquals;
      ++pos_;
      return;
    }
    std::wstring raw;
    if (c == L'\'') {
      token_.kind = Token::kQuoted;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size()) { ok_ = false; token_.kind = Token::kEnd; return; }
        if (text_[pos_] == L'\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\'') { raw += L'\''; pos_ += 2; continue; }
          ++pos_;
          break;
        }
        raw += text_[pos_++];
      }
    } else {
      token_.kind = Token::kWord;
      while (pos_ < text_.size() && !IsSpace(text_[pos_])) raw += text_[pos_++];
    }
    if (!Replace(raw, &token_.text)) { ok_ = false; token_.kind = Token::kEnd; }
  }

  bool Replace(const std::wstring& raw, std::wstring* out) const {
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != L'%') { *out += raw[i]; continue; }
      size_t end = raw.find(L'%', i + 1);
      if (end == std::wstring::npos) return false;
      std::wstring name = raw.substr(i + 1, end - i - 1);
      if (name.empty()) {
        *out += L'%';
      } else {
        bool found = false;
        for (const auto& r : replacements_) {
          if (SameWord(name, r.first.c_str())) { *out += r.second; found = true; break; }
        }
        if (!found) return false;
      }
      i = end;
    }
    return true;
  }

  const std::wstring& text_;
  const std::vector<std::pair<std::wstring, std::wstring>>& replacements_;
  size_t pos_ = 0;
  Token token_;
  bool ok_ = true;
};

using KestrinWinNS::CScopedRegKey;

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

HRESULT DeleteTree(HKEY parent, const std::wstring& name) {
  LONG e = RegDeleteTreeW(parent, name.c_str());
  if (e == ERROR_SUCCESS) e = RegDeleteKeyW(parent, name.c_str());
  return (e == ERROR_SUCCESS || e == ERROR_FILE_NOT_FOUND) ? S_OK : FromWin32(e);
}

HRESULT SetValue(HKEY key, const Value& value) {
  const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
  if (value.type == REG_DWORD)
    return FromWin32(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                    sizeof(value.number)));
  return FromWin32(RegSetValueExW(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()),
                                  static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))));
}

HRESULT RegisterKey(HKEY parent, const Key& key) {
  if (key.mode == KeyMode::kDelete) return DeleteTree(parent, key.name);
  if (key.mode == KeyMode::kForceRemove) {
    HRESULT hr = DeleteTree(parent, key.name);
    if (FAILED(hr)) return hr;
  }
  CScopedRegKey handle;
  HRESULT hr = FromWin32(RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                         handle.Receive(), nullptr));
  if (FAILED(hr)) return hr;
  if (key.has_default && FAILED(hr = SetValue(handle.Get(), key.default_value))) return hr;
  for (const Value& value : key.values) {
    if (FAILED(hr = SetValue(handle.Get(), value))) return hr;
  }
  for (const Key& child : key.keys) {
    if (FAILED(hr = RegisterKey(handle.Get(), child))) return hr;
  }
  return S_OK;
}

HRESULT UnregisterKey(HKEY parent, const Key& key) {
  if (key.mode == KeyMode::kDelete || key.mode == KeyMode::kForceRemove) return DeleteTree(parent, key.name);
  CScopedRegKey handle;
  LONG e = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, handle.Receive());
  if (e == ERROR_FILE_NOT_FOUND) return S_OK;
  if (e != ERROR_SUCCESS) return FromWin32(e);
  for (const Key& child : key.keys) {
    HRESULT hr = UnregisterKey(handle.Get(), child);
    if (FAILED(hr)) return hr;
  }
  if (key.mode == KeyMode::kNoRemove) return S_OK;
  for (const Value& value : key.values) RegDeleteValueW(handle.Get(), value.name.c_str());
  if (key.has_default) RegDeleteValueW(handle.Get(), nullptr);
  DWORD subkeys = 0, values = 0;
  e = RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
  if (e != ERROR_SUCCESS) return FromWin32(e);
  if (subkeys || values) return S_OK;  // something that is not ours lives here
  handle.Reset();
  e = RegDeleteKeyW(parent, key.name.c_str());
  return (e == ERROR_SUCCESS || e == ERROR_FILE_NOT_FOUND) ? S_OK : FromWin32(e);
}

}  // namespace

void CRegistrar::AddReplacement(const std::wstring& name, const std::wstring& value) {
  for (auto& r : replacements_) {
    if (r.first == name) { r.second = value; return; }
  }
  replacements_.emplace_back(name, value);
}

bool CRegistrar::Parses(const std::wstring& script) const {
  std::vector<Root> roots;
  return Parser(script, replacements_).Parse(&roots);
}

HRESULT CRegistrar::Run(const std::wstring& script, bool do_register) const {
  std::vector<Root> roots;
  if (!Parser(script, replacements_).Parse(&roots)) return DISP_E_EXCEPTION;
  for (const Root& root : roots) {
    for (const Key& key : root.keys) {
      HRESULT hr = do_register ? RegisterKey(root.root, key) : UnregisterKey(root.root, key);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT CRegistrar::RegisterResource(HMODULE module, UINT id, bool do_register) const {
  std::wstring script = LoadScriptResource(module, id);
  if (script.empty()) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  return Run(script, do_register);
}

std::wstring LoadScriptResource(HMODULE module, UINT id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
  if (!found) return std::wstring();
  HGLOBAL loaded = LoadResource(module, found);
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  int size = static_cast<int>(SizeofResource(module, found));
  if (!bytes || size <= 0) return std::wstring();
  int wide = MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0);
  std::wstring out(static_cast<size_t>(wide), L'\0');
  if (wide > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, size, &out[0], wide);
  return out;
}

}  // namespace KestrinAxNS
