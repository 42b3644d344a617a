#include "platform/appframe/archive.h"

#include <memory>
#include <string>

namespace {
const WORD kNullTag = 0;
const WORD kNewClassTag = 0xFFFF;
const WORD kClassTag = 0x8000;
const DWORD kMaxIndex = 0x7FFE;
}  // namespace

CArchive::CArchive(CFile* file, UINT mode) : file_(file), loading_((mode & load) != 0) {
  loaded_.push_back(Loaded{nullptr, nullptr});  // index 0 is the null object
}

CArchive::~CArchive() {}

void CArchive::RequireStoring() const {
  if (loading_) throw CArchiveException(CArchiveException::readOnly);
}

void CArchive::RequireLoading() const {
  if (!loading_) throw CArchiveException(CArchiveException::writeOnly);
}

UINT CArchive::Read(void* buffer, UINT count) {
  RequireLoading();
  if (!file_) throw CArchiveException(CArchiveException::genericException);
  UINT total = 0;
  while (total < count) {
    UINT n = file_->Read(static_cast<BYTE*>(buffer) + total, count - total);
    if (!n) break;
    total += n;
  }
  return total;
}

void CArchive::Write(const void* buffer, UINT count) {
  RequireStoring();
  if (!file_) throw CArchiveException(CArchiveException::genericException);
  file_->Write(buffer, count);
}

void CArchive::WriteCount(DWORD_PTR count) {
  if (count < 0xFFFF) {
    *this << static_cast<WORD>(count);
  } else {
    *this << static_cast<WORD>(0xFFFF);
    *this << static_cast<DWORD>(count);
  }
}

DWORD_PTR CArchive::ReadCount() {
  WORD w;
  *this >> w;
  if (w != 0xFFFF) return w;
  DWORD d;
  *this >> d;
  return d;
}

void CArchive::WriteString(const wchar_t* text) {
  size_t n = text ? wcslen(text) : 0;
  WriteCount(n);
  if (n) Write(text, static_cast<UINT>(n * sizeof(wchar_t)));
}

CString CArchive::ReadString() {
  DWORD_PTR n = ReadCount();
  std::wstring text;
  if (n) {
    // Read in pieces, so that a damaged count cannot make us allocate far beyond the data.
    wchar_t chunk[1024];
    while (text.size() < n) {
      size_t want = n - text.size();
      if (want > 1024) want = 1024;
      UINT bytes = static_cast<UINT>(want * sizeof(wchar_t));
      if (Read(chunk, bytes) != bytes) throw CArchiveException(CArchiveException::endOfFile);
      text.append(chunk, want);
    }
  }
  return CString(text);
}

DWORD CArchive::NextIndex() {
  if (next_index_ > kMaxIndex) throw CArchiveException(CArchiveException::badIndex);
  return next_index_++;
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
  RequireStoring();
  if (!cls || cls->m_wSchema == 0xFFFF) throw CArchiveException(CArchiveException::badClass);
  auto it = stored_.find(cls);
  if (it != stored_.end()) {
    *this << static_cast<WORD>(kClassTag | it->second);
    return;
  }
  std::string name(cls->m_lpszClassName);
  *this << kNewClassTag << static_cast<WORD>(cls->m_wSchema) << static_cast<WORD>(name.size());
  Write(name.data(), static_cast<UINT>(name.size()));
  stored_[cls] = NextIndex();
}

const CRuntimeClass* CArchive::ReadClassTag(WORD tag, const CRuntimeClass* base, UINT* schema) {
  const CRuntimeClass* cls = nullptr;
  UINT stored_schema = 0;
  if (tag == kNewClassTag) {
    WORD s, length;
    *this >> s >> length;
    std::string name(length, '\0');
    if (length && Read(&name[0], length) != length) throw CArchiveException(CArchiveException::endOfFile);
    cls = CRuntimeClass::FromName(name.c_str());
    if (!cls) throw CArchiveException(CArchiveException::badClass);
    stored_schema = s;
    NextIndex();
    loaded_.push_back(Loaded{cls, nullptr});
  } else if (tag & kClassTag) {
    DWORD index = tag & ~kClassTag;
    if (index >= loaded_.size() || !loaded_[index].cls || loaded_[index].object)
      throw CArchiveException(CArchiveException::badIndex);
    cls = loaded_[index].cls;
    stored_schema = cls->m_wSchema;
  } else {
    throw CArchiveException(CArchiveException::badClass);
  }
  if (base && !cls->IsDerivedFrom(base)) throw CArchiveException(CArchiveException::badClass);
  if (schema) *schema = stored_schema;
  return cls;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* base, UINT* schema) {
  WORD tag;
  *this >> tag;
  return ReadClassTag(tag, base, schema);
}

void CArchive::MapObject(const CObject* object) {
  if (!object) return;
  if (loading_) {
    NextIndex();
    loaded_.push_back(Loaded{nullptr, const_cast<CObject*>(object)});
  } else if (!stored_.count(object)) {
    stored_[object] = NextIndex();
  }
}

void CArchive::WriteObject(const CObject* object) {
  RequireStoring();
  if (!object) {
    *this << kNullTag;
    return;
  }
  auto it = stored_.find(object);
  if (it != stored_.end()) {
    *this << static_cast<WORD>(it->second);
    return;
  }
  WriteClass(object->GetRuntimeClass());
  stored_[object] = NextIndex();
  const_cast<CObject*>(object)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* base) {
  RequireLoading();
  WORD tag;
  *this >> tag;
  if (tag == kNullTag) return nullptr;
  if (tag != kNewClassTag && !(tag & kClassTag)) {
    if (tag >= loaded_.size() || !loaded_[tag].object) throw CArchiveException(CArchiveException::badIndex);
    CObject* seen = loaded_[tag].object;
    if (base && !seen->IsKindOf(base)) throw CArchiveException(CArchiveException::badClass);
    return seen;
  }
  UINT schema = 0;
  const CRuntimeClass* cls = ReadClassTag(tag, base, &schema);
  std::unique_ptr<CObject> object(cls->CreateObject());
  if (!object) throw CArchiveException(CArchiveException::badClass);
  NextIndex();
  loaded_.push_back(Loaded{nullptr, object.get()});
  UINT saved_schema = m_nObjectSchema;
  m_nObjectSchema = schema;
  object->Serialize(*this);
  m_nObjectSchema = saved_schema;
  return object.release();
}
