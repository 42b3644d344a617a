#include "common/utility/file_stream.h"

#include <string.h>

#include <new>

namespace UtilityClassesNS {

namespace {

// Copies go through a buffer of at most this size, whatever count the caller asks for.
const ULONG kCopyChunk = 64 * 1024;

HRESULT LastErrorResult() {
  DWORD error = GetLastError();
  if (static_cast<LONG>(error) <= 0) return static_cast<HRESULT>(error);
  return static_cast<HRESULT>(0x80070000 | (error & 0xFFFF));
}

}  // namespace

CFileStream* CFileStream::Create(HANDLE file) {
  KestrinWinNS::CScopedKernelHandle owned(file);
  return KestrinComNS::CComObjectNoLock<CFileStream>::Create(&owned);
}

CFileStream::CFileStream(KestrinWinNS::CScopedKernelHandle* file) : file_(file->Take()) {}

CFileStream::~CFileStream() = default;

STDMETHODIMP CFileStream::Read(void* buffer, ULONG count, ULONG* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(file_.Get(), buffer, count, &got, nullptr);
  if (done) *done = got;
  return ok ? S_OK : LastErrorResult();
}

STDMETHODIMP CFileStream::Write(const void* buffer, ULONG count, ULONG* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(file_.Get(), buffer, count, &put, nullptr);
  if (done) *done = put;
  return ok ? S_OK : LastErrorResult();
}

STDMETHODIMP CFileStream::Seek(LARGE_INTEGER distance, DWORD origin, ULARGE_INTEGER* new_position) {
  DWORD method;
  switch (origin) {
    case STREAM_SEEK_SET: method = FILE_BEGIN; break;
    case STREAM_SEEK_CUR: method = FILE_CURRENT; break;
    case STREAM_SEEK_END: method = FILE_END; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  LARGE_INTEGER position;
  if (!SetFilePointerEx(file_.Get(), distance, &position, method)) return LastErrorResult();
  if (new_position) new_position->QuadPart = position.QuadPart;
  return S_OK;
}

STDMETHODIMP CFileStream::SetSize(ULARGE_INTEGER new_size) {
  LARGE_INTEGER zero, current, size;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(file_.Get(), zero, &current, FILE_CURRENT)) return LastErrorResult();
  size.QuadPart = static_cast<LONGLONG>(new_size.QuadPart);
  if (!SetFilePointerEx(file_.Get(), size, nullptr, FILE_BEGIN)) return LastErrorResult();
  if (!SetEndOfFile(file_.Get())) return LastErrorResult();
  if (current.QuadPart < size.QuadPart) SetFilePointerEx(file_.Get(), current, nullptr, FILE_BEGIN);
  return S_OK;
}

STDMETHODIMP CFileStream::CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                 ULARGE_INTEGER* written) {
  if (read) read->QuadPart = 0;
  if (written) written->QuadPart = 0;
  if (!target || count.QuadPart == 0) return E_INVALIDARG;
  ULONG chunk = count.QuadPart < kCopyChunk ? static_cast<ULONG>(count.QuadPart) : kCopyChunk;
  BYTE* buffer = new (std::nothrow) BYTE[chunk];
  if (!buffer) return E_OUTOFMEMORY;
  ULONGLONG total_read = 0, total_written = 0;
  HRESULT hr = S_OK;
  while (total_read < count.QuadPart) {
    ULONGLONG left = count.QuadPart - total_read;
    ULONG want = left < chunk ? static_cast<ULONG>(left) : chunk;
    ULONG got = 0;
    hr = Read(buffer, want, &got);
    if (FAILED(hr) || got == 0) break;
    total_read += got;
    ULONG put = 0;
    hr = target->Write(buffer, got, &put);
    total_written += put;
    if (FAILED(hr) || put != got) break;
  }
  delete[] buffer;
  if (read) read->QuadPart = total_read;
  if (written) written->QuadPart = total_written;
  return hr;
}

STDMETHODIMP CFileStream::Commit(DWORD flags) {
  if (flags != STGC_OVERWRITE) return E_NOTIMPL;
  return FlushFileBuffers(file_.Get()) ? S_OK : E_FAIL;
}

STDMETHODIMP CFileStream::Revert() { return E_NOTIMPL; }
STDMETHODIMP CFileStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CFileStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CFileStream::Stat(STATSTG* stat, DWORD flags) {
  if (!stat) return E_INVALIDARG;
  memset(stat, 0, sizeof(*stat));
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_.Get(), &size)) return LastErrorResult();
  stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  return S_OK;
}

STDMETHODIMP CFileStream::Clone(IStream** out) { return E_NOTIMPL; }

}  // namespace UtilityClassesNS
