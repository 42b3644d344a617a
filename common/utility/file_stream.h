// An IStream over a file handle that the stream owns.
#pragma once

#include <windows.h>
#include <objidl.h>

#include "platform/com/com_object.h"
#include "platform/win/scoped_handle.h"

namespace UtilityClassesNS {

class CFileStream : public IStream {
 public:
  // A stream with one reference that owns `file` from now on (the handle is closed at once
  // when no stream could be made, which returns null).
  static CFileStream* Create(HANDLE file);

  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IStream, ISequentialStream>(this, iid, out);
  }
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

 protected:
  explicit CFileStream(KestrinWinNS::CScopedKernelHandle* file);
  virtual ~CFileStream();

 private:
  CFileStream(const CFileStream&) = delete;
  CFileStream& operator=(const CFileStream&) = delete;

  KestrinWinNS::CScopedKernelHandle file_;
};

}  // namespace UtilityClassesNS
