// One item taken from a site-seal certificate: a logo picture, an HTML text or a hash.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

class CNLRData {
 public:
  // Content types: 0, 1 and 3 are pictures the system picture loader reads, 4 is text.
  enum { kTypeGif = 0, kTypeJpeg = 1, kTypeBitmap = 3, kTypeHtml = 4, kTypeImageHash = 5 };

  CNLRData() {}
  virtual ~CNLRData();

  // 1 when the bytes were copied, 0 for no bytes, a length of 0 or no memory.
  int SetData(const BYTE* data, DWORD length);
  void SetType(int type) { type_ = type; }
  void GetType(int* type) const { *type = type_; }
  const BYTE* Data() const { return data_; }
  DWORD Length() const { return length_; }

  // 1 and a new picture (the caller releases it) for the picture types.
  int LoadPicture(IPicture** picture) const;
  // 1 and the text for type 4: the bytes up to the first zero, the last byte never included.
  int GetText(std::string* text) const;

 private:
  CNLRData(const CNLRData&) = delete;
  CNLRData& operator=(const CNLRData&) = delete;

  BYTE* data_ = nullptr;
  DWORD length_ = 0;
  int type_ = -1;
};
