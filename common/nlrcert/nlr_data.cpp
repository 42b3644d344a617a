#include "common/nlrcert/nlr_data.h"

#include <new>

#include "platform/com/com_ptr.h"
#include "platform/win/scoped_resource.h"

CNLRData::~CNLRData() { delete[] data_; }

int CNLRData::SetData(const BYTE* data, DWORD length) {
  delete[] data_;
  data_ = nullptr;
  length_ = 0;
  if (!data || length == 0) return 0;
  data_ = new (std::nothrow) BYTE[length];
  if (!data_) return 0;
  memcpy(data_, data, length);
  length_ = length;
  return 1;
}

int CNLRData::LoadPicture(IPicture** picture) const {
  if (!picture) return 0;
  *picture = nullptr;
  if (type_ != kTypeGif && type_ != kTypeJpeg && type_ != kTypeBitmap) return 0;
  if (!data_ || length_ == 0) return 0;
  KestrinWinNS::CScopedGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, length_));
  if (!block) return 0;
  void* bytes = GlobalLock(block.Get());
  if (!bytes) return 0;
  memcpy(bytes, data_, length_);
  GlobalUnlock(block.Get());
  KestrinComNS::CComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block.Get(), TRUE, &stream)) || !stream) return 0;
  block.Take();  // the stream frees the block when it is released
  HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(length_), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(picture));
  stream.Release();
  if (FAILED(hr) || !*picture) {
    *picture = nullptr;
    return 0;
  }
  return 1;
}

int CNLRData::GetText(std::string* text) const {
  if (!text || type_ != kTypeHtml || !data_ || length_ == 0) return 0;
  // The last byte stands for the terminator; the text ends at the first zero before it.
  const char* chars = reinterpret_cast<const char*>(data_);
  DWORD end = 0;
  while (end < length_ - 1 && chars[end] != '\0') ++end;
  text->assign(chars, end);
  return 1;
}
