// A binary archive over a file: values in call order, counts in a compact form, classes by
// name and objects stored once (later references are written as indexes).
//
// Encodings:
//   count     WORD when below 0xFFFF, else WORD 0xFFFF and a DWORD
//   string    count of UTF-16 units, then the units
//   class     new: WORD 0xFFFF, WORD schema, WORD name length, the 8-bit name;
//             seen before: WORD 0x8000 | index
//   object    null: WORD 0; seen before: WORD index; new: its class, then its Serialize
// Classes and objects share one index space that starts at 1.
#pragma once

#include <windows.h>

#include <unordered_map>
#include <vector>

#include "platform/appframe/exception.h"
#include "platform/appframe/file.h"
#include "platform/appframe/object.h"
#include "platform/appframe/string.h"

class CArchive {
 public:
  enum Mode { store = 0, load = 1 };

  CArchive(CFile* file, UINT mode);
  ~CArchive();

  bool IsLoading() const { return loading_; }
  bool IsStoring() const { return !loading_; }
  CFile* GetFile() const { return file_; }
  void Flush() {}
  void Close() { file_ = nullptr; }

  // Raw bytes. Read returns the number read (short at the end of the file).
  UINT Read(void* buffer, UINT count);
  void Write(const void* buffer, UINT count);

  void WriteCount(DWORD_PTR count);
  DWORD_PTR ReadCount();
  void WriteString(const wchar_t* text);
  CString ReadString();

  void WriteClass(const CRuntimeClass* cls);
  // The class of the next class tag (throws badClass when it is unknown or, with `base`, not
  // derived from it); the stored schema goes to `schema` when given.
  const CRuntimeClass* ReadClass(const CRuntimeClass* base = nullptr, UINT* schema = nullptr);
  void WriteObject(const CObject* object);
  // A new object (owned by the caller) or one read earlier (owned by whoever took it then).
  CObject* ReadObject(const CRuntimeClass* base);
  // Enters an object as if stored or loaded here, so that later references point at it.
  void MapObject(const CObject* object);

  // The schema of the object being loaded by ReadObject.
  UINT m_nObjectSchema = 0xFFFFFFFF;

  CArchive& operator<<(BYTE v) { return Put(v); }
  CArchive& operator<<(WORD v) { return Put(v); }
  CArchive& operator<<(short v) { return Put(v); }
  CArchive& operator<<(int v) { return Put(static_cast<LONG>(v)); }
  CArchive& operator<<(LONG v) { return Put(v); }
  CArchive& operator<<(DWORD v) { return Put(v); }
  CArchive& operator<<(unsigned int v) { return Put(static_cast<DWORD>(v)); }
  CArchive& operator<<(LONGLONG v) { return Put(v); }
  CArchive& operator<<(ULONGLONG v) { return Put(v); }
  CArchive& operator<<(float v) { return Put(v); }
  CArchive& operator<<(double v) { return Put(v); }
  CArchive& operator<<(bool v) { return Put(static_cast<BYTE>(v ? 1 : 0)); }
  CArchive& operator<<(const CString& v) { WriteString(v); return *this; }
  CArchive& operator<<(const RECT& v) { return Put(v); }
  CArchive& operator<<(const SIZE& v) { return Put(v); }
  CArchive& operator<<(const POINT& v) { return Put(v); }
  CArchive& operator<<(const CObject* v) { WriteObject(v); return *this; }

  CArchive& operator>>(BYTE& v) { return Get(v); }
  CArchive& operator>>(WORD& v) { return Get(v); }
  CArchive& operator>>(short& v) { return Get(v); }
  CArchive& operator>>(int& v) { LONG l; Get(l); v = l; return *this; }
  CArchive& operator>>(LONG& v) { return Get(v); }
  CArchive& operator>>(DWORD& v) { return Get(v); }
  CArchive& operator>>(unsigned int& v) { DWORD d; Get(d); v = d; return *this; }
  CArchive& operator>>(LONGLONG& v) { return Get(v); }
  CArchive& operator>>(ULONGLONG& v) { return Get(v); }
  CArchive& operator>>(float& v) { return Get(v); }
  CArchive& operator>>(double& v) { return Get(v); }
  CArchive& operator>>(bool& v) { BYTE b; Get(b); v = b != 0; return *this; }
  CArchive& operator>>(CString& v) { v = ReadString(); return *this; }
  CArchive& operator>>(RECT& v) { return Get(v); }
  CArchive& operator>>(SIZE& v) { return Get(v); }
  CArchive& operator>>(POINT& v) { return Get(v); }

 private:
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  template <class T>
  CArchive& Put(const T& v) {
    Write(&v, sizeof(v));
    return *this;
  }
  template <class T>
  CArchive& Get(T& v) {
    if (Read(&v, sizeof(v)) != sizeof(v)) throw CArchiveException(CArchiveException::endOfFile);
    return *this;
  }
  void RequireStoring() const;
  void RequireLoading() const;
  DWORD NextIndex();
  const CRuntimeClass* ReadClassTag(WORD tag, const CRuntimeClass* base, UINT* schema);

  CFile* file_;
  bool loading_;
  DWORD next_index_ = 1;
  // Storing: what was written and its index.
  std::unordered_map<const void*, DWORD> stored_;
  // Loading: index -> class or object.
  struct Loaded {
    const CRuntimeClass* cls;
    CObject* object;
  };
  std::vector<Loaded> loaded_;
};
