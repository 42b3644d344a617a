#include "toolkit/drawing/prop_exchange.h"

#include <oleauto.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/appframe/exception.h"
#include "platform/appframe/file.h"

IMPLEMENT_DYNAMIC(CTKPropExchange, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKPropExchangeArchive, CTKPropExchange)
IMPLEMENT_DYNAMIC(CTKPropExchangeRegistry, CTKPropExchange)

namespace {

size_t SizeOfType(int type) {
  switch (type) {
    case CTKPropExchange::kShort: return sizeof(short);
    case CTKPropExchange::kInt: return sizeof(int);
    case CTKPropExchange::kFloat: return sizeof(float);
    case CTKPropExchange::kDouble: return sizeof(double);
    case CTKPropExchange::kCurrency: return sizeof(CY);
    case CTKPropExchange::kDate: return sizeof(DATE);
    case CTKPropExchange::kBool: return sizeof(BOOL);
    case CTKPropExchange::kByte: return sizeof(BYTE);
    case CTKPropExchange::kRect: return sizeof(RECT);
    case CTKPropExchange::kSize: return sizeof(SIZE);
    default: return 0;
  }
}

// Blobs kept as text: each byte as two letters, 'A' + low nibble then 'A' + high nibble.
CString BytesToText(const BYTE* data, DWORD size) {
  std::wstring text;
  text.reserve(static_cast<size_t>(size) * 2);
  for (DWORD i = 0; i < size; ++i) {
    text += static_cast<wchar_t>(L'A' + (data[i] & 0x0F));
    text += static_cast<wchar_t>(L'A' + (data[i] >> 4));
  }
  return CString(text);
}

bool IsNibbleLetter(wchar_t c) { return c >= L'A' && c <= L'P'; }

}  // namespace

// ---- base ----

void CTKPropExchange::CopyStateFrom(const CTKPropExchange& parent) {
  m_bLoading = parent.m_bLoading;
  m_nSchema = parent.m_nSchema;
  m_bSectionOption = parent.m_bSectionOption;
  m_bOptionA = parent.m_bOptionA;
  m_bOptionB = parent.m_bOptionB;
  m_bSection = true;
}

bool CTKPropExchange::OnBeforeTransfer() {
  m_bUsed = true;
  return true;
}

bool CTKPropExchange::TransferBlob(const wchar_t* name, BYTE** data, DWORD* size) {
  if (!data || !size) return false;
  if (IsStoring()) {
    CString text = BytesToText(*data, *data ? *size : 0);
    return TransferValue(name, kString, &text, nullptr);
  }
  CString text;
  const CString empty;
  if (!TransferValue(name, kString, &text, &empty)) return false;
  const int length = text.GetLength();
  if (length % 2 != 0) return false;
  const DWORD bytes = static_cast<DWORD>(length / 2);
  for (int i = 0; i < length; ++i)
    if (!IsNibbleLetter(text[i])) return false;
  BYTE* out = *data;
  if (out) {
    if (*size < bytes) return false;
  } else {
    out = static_cast<BYTE*>(std::malloc(bytes ? bytes : 1));
    if (!out) return false;
    *data = out;
  }
  for (DWORD i = 0; i < bytes; ++i)
    out[i] = static_cast<BYTE>((text[2 * i] - L'A') + 16 * (text[2 * i + 1] - L'A'));
  *size = bytes;
  return true;
}

bool CTKPropExchange::TransferClass(const wchar_t* name, const CRuntimeClass** cls, const CRuntimeClass* defaultClass) {
  if (!cls) return false;
  if (IsStoring()) {
    CString text(*cls ? CString((*cls)->m_lpszClassName) : CString());
    return TransferValue(name, kString, &text, nullptr);
  }
  CString text;
  const CString empty;
  if (!TransferValue(name, kString, &text, &empty)) return false;
  const CRuntimeClass* found = text.IsEmpty() ? nullptr : CRuntimeClass::FromName(text.GetString());
  *cls = found ? found : defaultClass;
  return true;
}

bool CTKPropExchange::TransferObjectClass(CObject** object, const CRuntimeClass* base) {
  if (!object) return false;
  if (IsStoring()) {
    const CRuntimeClass* cls = *object ? (*object)->GetRuntimeClass() : nullptr;
    return TransferClass(L"Class", &cls, nullptr);
  }
  const CRuntimeClass* cls = nullptr;
  if (!TransferClass(L"Class", &cls, nullptr) || !cls) return false;
  if (base && !cls->IsDerivedFrom(base)) return false;
  CObject* created = cls->CreateObject();
  if (!created) return false;
  *object = created;
  return true;
}

CArchive* CTKPropExchange::OpenArchive(const wchar_t* name) {
  if (IsStoring()) {
    auto* file = new CMemFile(1024);
    return new CArchive(file, CArchive::store);
  }
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!TransferBlob(name, &data, &size) || !data) return nullptr;
  if (size == 0) {
    std::free(data);
    return nullptr;
  }
  auto* file = new CMemFile(data, size, 1024);  // the file takes the bytes over
  return new CArchive(file, CArchive::load);
}

void CTKPropExchange::CloseArchive(const wchar_t* name, CArchive* archive) {
  if (!archive) return;
  auto* file = static_cast<CMemFile*>(archive->GetFile());
  if (archive->IsStoring() && file) {
    BYTE* bytes = const_cast<BYTE*>(file->GetData());
    DWORD size = static_cast<DWORD>(file->GetLength());
    TransferBlob(name, &bytes, &size);
  }
  delete archive;
  delete file;
}

void CTKPropExchange::WriteCount(DWORD count) {
  int value = static_cast<int>(count);
  PropExchangeInt(this, L"Count", &value, 0);
}

DWORD CTKPropExchange::ReadCount() {
  int value = 0;
  PropExchangeInt(this, L"Count", &value, 0);
  return static_cast<DWORD>(value);
}

bool CTKPropExchange::Write(const wchar_t* name, const void* data, DWORD size) {
  BYTE* bytes = static_cast<BYTE*>(const_cast<void*>(data));
  return TransferBlob(name, &bytes, &size);
}

DWORD CTKPropExchange::Read(const wchar_t* name, void* data, DWORD size) {
  BYTE* bytes = static_cast<BYTE*>(data);
  return TransferBlob(name, &bytes, &size) ? size : 0;
}

CTKPropExchangeEnumerator* CTKPropExchange::OpenEnumerator(const wchar_t* name) {
  return new CTKPropExchangeEnumerator(this, name);
}

void CTKPropExchange::TransferSchema() { PropExchangeInt(this, L"Schema", &m_nSchema, kCurrentSchema); }

// ---- enumerator ----

DWORD CTKPropExchangeEnumerator::StartEnumeration(DWORD count, bool compact) {
  if (compact) {
    if (px_->IsStoring())
      px_->WriteCount(count);
    else
      count = px_->ReadCount();
  } else {
    int value = static_cast<int>(count);
    PropExchangeInt(px_, L"Count", &value, 0);
    count = static_cast<DWORD>(value);
  }
  if (px_->IsLoading() && !px_->IsPlausibleCount(count)) throw CArchiveException(CArchiveException::badIndex);
  count_ = count;
  return count_ ? 1 : 0;
}

CTKPropExchange* CTKPropExchangeEnumerator::NextSection(DWORD& position) {
  if (position == 0 || position > count_) return nullptr;
  wchar_t name[300];
  _snwprintf(name, 300, L"%s%i", name_.GetString(), static_cast<int>(position - 1));
  name[299] = 0;
  position = position < count_ ? position + 1 : 0;
  return px_->OpenSection(name);
}

// ---- archive ----

CTKPropExchangeArchive::CTKPropExchangeArchive(CArchive& ar) : m_ar(ar) { m_bLoading = ar.IsLoading(); }

bool CTKPropExchangeArchive::TransferValue(const wchar_t*, int type, void* value, const void*) {
  if (!OnBeforeTransfer() || !value) return false;
  if (type == kString) {
    if (IsStoring())
      m_ar << *static_cast<CString*>(value);
    else
      m_ar >> *static_cast<CString*>(value);
    return true;
  }
  if (type == kVariant) return TransferVariant(static_cast<VARIANT*>(value));
  if (type == kBool) {
    // Stored as a 32-bit value, as the type is.
    if (IsStoring()) {
      m_ar << static_cast<LONG>(*static_cast<BOOL*>(value) ? 1 : 0);
    } else {
      LONG v = 0;
      m_ar >> v;
      *static_cast<BOOL*>(value) = v != 0;
    }
    return true;
  }
  const size_t size = SizeOfType(type);
  if (!size) return false;
  if (IsStoring()) {
    m_ar.Write(value, static_cast<UINT>(size));
  } else if (m_ar.Read(value, static_cast<UINT>(size)) != size) {
    throw CArchiveException(CArchiveException::endOfFile);
  }
  return true;
}

bool CTKPropExchangeArchive::TransferVariant(VARIANT* value) {
  // The value's bytes follow its type: 16 bits for VT_BOOL and VT_I2, 32 for VT_I4 and VT_ERROR,
  // the type's own size for the others, the byte length (32 bits) and the bytes for VT_BSTR,
  // nothing for VT_EMPTY and VT_NULL. Other types cannot be kept.
  auto fixedSize = [](VARTYPE vt) -> UINT {
    switch (vt) {
      case VT_UI1: return 1;
      case VT_BOOL:
      case VT_I2: return 2;
      case VT_I4:
      case VT_ERROR:
      case VT_R4: return 4;
      case VT_R8:
      case VT_DATE:
      case VT_CY: return 8;
      default: return 0;
    }
  };
  auto fixedPart = [](VARIANT* v) -> void* {
    switch (V_VT(v)) {
      case VT_UI1: return &V_UI1(v);
      case VT_BOOL: return &V_BOOL(v);
      case VT_I2: return &V_I2(v);
      case VT_I4: return &V_I4(v);
      case VT_ERROR: return &V_ERROR(v);
      case VT_R4: return &V_R4(v);
      case VT_R8: return &V_R8(v);
      case VT_DATE: return &V_DATE(v);
      case VT_CY: return &V_CY(v);
      default: return nullptr;
    }
  };
  if (IsStoring()) {
    const VARTYPE vt = V_VT(value);
    if (vt != VT_EMPTY && vt != VT_NULL && vt != VT_BSTR && !fixedSize(vt)) return false;
    m_ar << static_cast<WORD>(vt);
    if (vt == VT_BSTR) {
      const DWORD bytes = V_BSTR(value) ? SysStringByteLen(V_BSTR(value)) : 0;
      m_ar << bytes;
      if (bytes) m_ar.Write(V_BSTR(value), bytes);
    } else if (const UINT size = fixedSize(vt)) {
      m_ar.Write(fixedPart(value), size);
    }
    return true;
  }
  WORD vt = 0;
  m_ar >> vt;
  VariantClear(value);
  if (vt == VT_EMPTY || vt == VT_NULL) {
    V_VT(value) = vt;
    return true;
  }
  if (vt == VT_BSTR) {
    DWORD bytes = 0;
    m_ar >> bytes;
    // The length comes from the data: it must fit in what is left of it.
    if (!IsPlausibleCount(bytes)) throw CArchiveException(CArchiveException::badIndex);
    BSTR text = SysAllocStringByteLen(nullptr, bytes);
    if (!text) return false;
    if (bytes && m_ar.Read(text, bytes) != bytes) {
      SysFreeString(text);
      throw CArchiveException(CArchiveException::endOfFile);
    }
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = text;
    return true;
  }
  const UINT size = fixedSize(vt);
  // A type this form never writes: the bytes after it cannot be told apart.
  if (!size) throw CArchiveException(CArchiveException::badSchema);
  V_VT(value) = vt;
  if (m_ar.Read(fixedPart(value), size) != size) {
    VariantInit(value);
    throw CArchiveException(CArchiveException::endOfFile);
  }
  return true;
}

bool CTKPropExchangeArchive::IsPlausibleCount(DWORD count) {
  CFile* file = m_ar.GetFile();
  if (!file) return count == 0;
  const ULONGLONG length = file->GetLength(), position = file->GetPosition();
  // Every item stores at least one byte.
  return count <= (length > position ? length - position : 0);
}

bool CTKPropExchangeArchive::TransferBlob(const wchar_t*, BYTE** data, DWORD* size) {
  if (!OnBeforeTransfer() || !data || !size) return false;
  if (IsStoring()) {
    const DWORD n = *data ? *size : 0;
    m_ar.WriteCount(n);
    if (n) m_ar.Write(*data, n);
    return true;
  }
  const DWORD_PTR n = m_ar.ReadCount();
  // The length comes from the data: it must fit in what is left of it.
  if (n > 0xFFFFFFFFu || !IsPlausibleCount(static_cast<DWORD>(n))) throw CArchiveException(CArchiveException::badIndex);
  BYTE* out = *data;
  if (out) {
    if (*size < n) return false;
  } else {
    out = static_cast<BYTE*>(std::malloc(n ? n : 1));
    if (!out) return false;
  }
  if (n && m_ar.Read(out, static_cast<UINT>(n)) != n) {
    if (!*data) std::free(out);
    throw CArchiveException(CArchiveException::endOfFile);
  }
  *data = out;
  *size = static_cast<DWORD>(n);
  return true;
}

bool CTKPropExchangeArchive::TransferClass(const wchar_t*, const CRuntimeClass** cls, const CRuntimeClass* defaultClass) {
  if (!OnBeforeTransfer() || !cls) return false;
  if (IsStoring()) {
    m_ar.WriteClass(*cls ? *cls : defaultClass);
    return true;
  }
  UINT schema = 0;
  *cls = m_ar.ReadClass(nullptr, &schema);
  m_ar.m_nObjectSchema = static_cast<UINT>(m_nSchema);
  return *cls != nullptr;
}

bool CTKPropExchangeArchive::TransferObjectClass(CObject** object, const CRuntimeClass* base) {
  if (!OnBeforeTransfer()) return false;
  if (!CTKPropExchange::TransferObjectClass(object, base)) return false;
  m_ar.MapObject(*object);
  return true;
}

CTKPropExchange* CTKPropExchangeArchive::OpenSection(const wchar_t*) {
  auto* section = new CTKPropExchangeArchive(m_ar);
  section->CopyStateFrom(*this);
  return section;
}

void CTKPropExchangeArchive::WriteCount(DWORD count) { m_ar.WriteCount(count); }

DWORD CTKPropExchangeArchive::ReadCount() { return static_cast<DWORD>(m_ar.ReadCount()); }

void CTKPropExchangeArchive::TransferSchema() {
  if (IsStoring()) {
    m_ar << static_cast<DWORD>(kSchemaMarker) << static_cast<LONG>(m_nSchema);
    return;
  }
  // Older data has no marker: nothing is consumed and the schema is that of its time.
  DWORD marker = 0;
  CFile* file = m_ar.GetFile();
  if (file) {
    const UINT read = m_ar.Read(&marker, sizeof(marker));
    if (read == sizeof(marker) && marker == kSchemaMarker) {
      LONG schema = 0;
      m_ar >> schema;
      m_nSchema = schema;
      return;
    }
    // Also with fewer than four bytes left: what was looked at is given back.
    if (read) file->Seek(-static_cast<LONGLONG>(read), CFile::current);
  }
  m_nSchema = kSchemaWithoutMarker;
}

// ---- registry ----

CTKPropExchangeRegistry::CTKPropExchangeRegistry(HKEY root, const wchar_t* path, bool loading) {
  m_bLoading = loading;
  HKEY key = nullptr;
  const LONG rc = loading ? RegOpenKeyExW(root, path, 0, KEY_READ, &key)
                          : RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) m_key.Reset(key);
}

CTKPropExchangeRegistry::~CTKPropExchangeRegistry() = default;

bool CTKPropExchangeRegistry::TransferValue(const wchar_t* name, int type, void* value, const void* defaultValue) {
  if (!OnBeforeTransfer() || !value || !name) return false;
  const size_t size = SizeOfType(type);
  if (type != kString && !size) return false;
  if (IsStoring()) {
    if (!m_key) return false;
    if (type == kString) {
      const CString& text = *static_cast<CString*>(value);
      return RegSetValueExW(m_key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                            static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    if (type == kInt || type == kShort || type == kBool || type == kByte) {
      DWORD v = 0;
      if (type == kInt) v = static_cast<DWORD>(*static_cast<int*>(value));
      if (type == kShort) v = static_cast<DWORD>(static_cast<LONG>(*static_cast<short*>(value)));
      if (type == kBool) v = *static_cast<BOOL*>(value) ? 1 : 0;
      if (type == kByte) v = *static_cast<BYTE*>(value);
      return RegSetValueExW(m_key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v)) == ERROR_SUCCESS;
    }
    return RegSetValueExW(m_key.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(value), static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
  }
  auto use_default = [&]() {
    if (!defaultValue) return false;
    if (type == kString)
      *static_cast<CString*>(value) = *static_cast<const CString*>(defaultValue);
    else
      std::memcpy(value, defaultValue, size);
    return true;
  };
  DWORD kind = 0, bytes = 0;
  if (!m_key || RegQueryValueExW(m_key.Get(), name, nullptr, &kind, nullptr, &bytes) != ERROR_SUCCESS) return use_default();
  if (type == kString) {
    if (kind != REG_SZ) return use_default();
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(m_key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS)
      return use_default();
    text.back() = 0;
    *static_cast<CString*>(value) = text.data();
    return true;
  }
  if (kind == REG_DWORD) {
    DWORD v = 0, got = sizeof(v);
    if (bytes != sizeof(v) || RegQueryValueExW(m_key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &got) !=
                                  ERROR_SUCCESS)
      return use_default();
    switch (type) {
      case kInt: *static_cast<int*>(value) = static_cast<int>(v); return true;
      case kShort: *static_cast<short*>(value) = static_cast<short>(v); return true;
      case kBool: *static_cast<BOOL*>(value) = v != 0; return true;
      case kByte: *static_cast<BYTE*>(value) = static_cast<BYTE>(v); return true;
      default: return use_default();
    }
  }
  if (kind != REG_BINARY || bytes != size) return use_default();
  DWORD got = bytes;
  if (RegQueryValueExW(m_key.Get(), name, nullptr, nullptr, static_cast<BYTE*>(value), &got) != ERROR_SUCCESS)
    return use_default();
  return true;
}

CTKPropExchange* CTKPropExchangeRegistry::OpenSection(const wchar_t* name) {
  auto* section = new CTKPropExchangeRegistry(m_key ? m_key.Get() : HKEY_CURRENT_USER, name, m_bLoading);
  if (!m_key && section->m_key) {  // no parent key: the section must not land elsewhere
    section->m_key.Reset();
  }
  section->CopyStateFrom(*this);
  return section;
}

bool CTKPropExchangeRegistry::IsPlausibleCount(DWORD count) {
  // Each item is a section of its own, so a subkey.
  DWORD subkeys = 0;
  if (!m_key || RegQueryInfoKeyW(m_key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return count == 0;
  return count <= subkeys;
}

// ---- helpers ----

bool PropExchangeInt(CTKPropExchange* px, const wchar_t* name, int* value, int defaultValue) {
  return px->TransferValue(name, CTKPropExchange::kInt, value, &defaultValue);
}

bool PropExchangeBool(CTKPropExchange* px, const wchar_t* name, BOOL* value, BOOL defaultValue) {
  return px->TransferValue(name, CTKPropExchange::kBool, value, &defaultValue);
}

bool PropExchangeBool(CTKPropExchange* px, const wchar_t* name, bool* value, bool defaultValue) {
  BOOL v = *value ? TRUE : FALSE;
  const bool done = PropExchangeBool(px, name, &v, defaultValue ? TRUE : FALSE);
  if (px->IsLoading()) *value = v != FALSE;
  return done;
}

bool PropExchangeString(CTKPropExchange* px, const wchar_t* name, CString* value, const wchar_t* defaultValue) {
  const CString def(defaultValue);
  return px->TransferValue(name, CTKPropExchange::kString, value, &def);
}

bool PropExchangeSize(CTKPropExchange* px, const wchar_t* name, SIZE* value, SIZE defaultValue) {
  return px->TransferValue(name, CTKPropExchange::kSize, value, &defaultValue);
}

bool PropExchangeRect(CTKPropExchange* px, const wchar_t* name, RECT* value, RECT defaultValue) {
  return px->TransferValue(name, CTKPropExchange::kRect, value, &defaultValue);
}

bool PropExchangeSerializable(CTKPropExchange* px, const wchar_t* name, CObject* object) {
  CArchive* ar = nullptr;
  bool ok = false;
  try {
    ar = px->OpenArchive(name);
    if (ar) {
      object->Serialize(*ar);
      ok = true;
    }
  } catch (const CArchiveException&) {
    ok = false;
  } catch (const CFileException&) {
    ok = false;
  }
  try {
    if (ar) px->CloseArchive(name, ar);
  } catch (const CException&) {
    ok = false;
  }
  return ok;
}
