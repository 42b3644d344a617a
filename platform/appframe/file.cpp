#include "platform/appframe/file.h"

#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

CFile::~CFile() { Abort(); }

bool CFile::Open(const wchar_t* path, UINT flags, CFileException* error) {
  Abort();
  DWORD access = 0;
  switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
  }
  DWORD share = 0;
  switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
  }
  DWORD disposition = OPEN_EXISTING;
  if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE h = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) {
      DWORD e = GetLastError();
      error->m_lOsError = static_cast<LONG>(e);
      error->m_cause = CFileException::OsErrorToException(static_cast<LONG>(e));
      error->m_strFileName = path;
    }
    return false;
  }
  m_hFile = h;
  m_strFileName = path;
  return true;
}

void CFile::ThrowOsError(DWORD error) const {
  throw CFileException(CFileException::OsErrorToException(static_cast<LONG>(error)), static_cast<LONG>(error),
                       m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
  DWORD read = 0;
  if (count && !ReadFile(m_hFile, buffer, count, &read, nullptr)) ThrowOsError(GetLastError());
  return read;
}

void CFile::Write(const void* buffer, UINT count) {
  DWORD written = 0;
  if (!count) return;
  if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) ThrowOsError(GetLastError());
  if (written != count) throw CFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(m_hFile, distance, &result, from)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
  LARGE_INTEGER zero, result;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(m_hFile, zero, &result, FILE_CURRENT)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetLength() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(m_hFile, &size)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG length) {
  Seek(static_cast<LONGLONG>(length), begin);
  if (!SetEndOfFile(m_hFile)) ThrowOsError(GetLastError());
}

void CFile::Flush() {
  if (m_hFile != INVALID_HANDLE_VALUE && !FlushFileBuffers(m_hFile)) ThrowOsError(GetLastError());
}

void CFile::Close() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  HANDLE h = m_hFile;
  m_hFile = INVALID_HANDLE_VALUE;
  if (!CloseHandle(h)) ThrowOsError(GetLastError());
}

void CFile::Abort() {
  if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}

// ---------------------------------------------------------------------------------------------

CMemFile::CMemFile(UINT grow_by) : grow_by_(grow_by ? grow_by : 1024) {}

CMemFile::CMemFile(BYTE* buffer, UINT size, UINT grow_by) : grow_by_(grow_by) { Attach(buffer, size, grow_by); }

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* buffer, UINT size, UINT grow_by) {
  Close();
  buffer_ = buffer;
  buffer_size_ = size;
  file_size_ = size;
  position_ = 0;
  grow_by_ = grow_by;
  owns_buffer_ = grow_by != 0;
}

BYTE* CMemFile::Detach() {
  BYTE* data = buffer_;
  buffer_ = nullptr;
  buffer_size_ = file_size_ = position_ = 0;
  owns_buffer_ = true;
  if (!grow_by_) grow_by_ = 1024;
  return data;
}

void CMemFile::Close() {
  if (owns_buffer_) std::free(buffer_);
  buffer_ = nullptr;
  buffer_size_ = file_size_ = position_ = 0;
  owns_buffer_ = true;
}

void CMemFile::GrowTo(size_t size) {
  if (size <= buffer_size_) return;
  if (!grow_by_ || !owns_buffer_) throw CFileException(CFileException::diskFull);
  size_t new_size = ((size + grow_by_ - 1) / grow_by_) * grow_by_;
  void* p = std::realloc(buffer_, new_size);
  if (!p) throw CMemoryException();
  buffer_ = static_cast<BYTE*>(p);
  buffer_size_ = new_size;
}

UINT CMemFile::Read(void* buffer, UINT count) {
  if (position_ >= file_size_) return 0;
  size_t n = file_size_ - position_;
  if (n > count) n = count;
  std::memcpy(buffer, buffer_ + position_, n);
  position_ += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
  if (!count) return;
  GrowTo(position_ + count);
  if (position_ > file_size_) std::memset(buffer_ + file_size_, 0, position_ - file_size_);
  std::memcpy(buffer_ + position_, buffer, count);
  position_ += count;
  if (position_ > file_size_) file_size_ = position_;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
  LONGLONG base = from == begin ? 0 : from == current ? static_cast<LONGLONG>(position_)
                                                      : static_cast<LONGLONG>(file_size_);
  LONGLONG target = base + offset;
  if (target < 0) throw CFileException(CFileException::badSeek);
  position_ = static_cast<size_t>(target);
  return position_;
}

void CMemFile::SetLength(ULONGLONG length) {
  GrowTo(static_cast<size_t>(length));
  if (length > file_size_) std::memset(buffer_ + file_size_, 0, static_cast<size_t>(length) - file_size_);
  file_size_ = static_cast<size_t>(length);
  if (position_ > file_size_) position_ = file_size_;
}
