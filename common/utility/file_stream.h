// An IStream over a file handle that the stream owns.
#pragma once

#include <windows.h>
#include <objidl.h>

namespace UtilityClassesNS {

class CFileStream final : public IStream {
 public:
  // Takes ownership of the handle; the object starts with one reference.
  explicit CFileStream(HANDLE file);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP Read(void* buffer, ULONG count, ULONG* done) override;
  STDMETHODIMP Write(const void* buffer, ULONG count, ULONG* done) override;
  STDMETHODIMP Seek(LARGE_INTEGER distance, DWORD origin, ULARGE_INTEGER* new_position) override;
  STDMETHODIMP SetSize(ULARGE_INTEGER new_size) override;
  STDMETHODIMP CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                      ULARGE_INTEGER* written) override;
  STDMETHODIMP Commit(DWORD flags) override;
  STDMETHODIMP Revert() override;
  STDMETHODIMP LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
  STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override;
  STDMETHODIMP Clone(IStream** out) override;

 private:
  ~CFileStream();
  CFileStream(const CFileStream&) = delete;
  CFileStream& operator=(const CFileStream&) = delete;

  HANDLE file_;
  LONG refs_ = 1;
};

}  // namespace UtilityClassesNS
