// Files: a disk file over a Win32 handle, and a file in memory that grows as it is written.
// Failures throw CFileException (Open reports through its result instead).
#pragma once

#include <windows.h>

#include "platform/appframe/exception.h"
#include "platform/appframe/object.h"
#include "platform/appframe/string.h"

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() {}
  // Takes ownership of an open handle.
  explicit CFile(HANDLE file) : m_hFile(file) {}
  ~CFile() override;

  // False on failure, with the cause in `error` when given.
  virtual bool Open(const wchar_t* path, UINT flags, CFileException* error = nullptr);
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG length);
  virtual void Flush();
  virtual void Close();
  // Closes without throwing.
  virtual void Abort();

  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  HANDLE GetHandle() const { return m_hFile; }
  const CString& GetFilePath() const { return m_strFileName; }

 protected:
  [[noreturn]] void ThrowOsError(DWORD error) const;

  HANDLE m_hFile = INVALID_HANDLE_VALUE;
  CString m_strFileName;

 private:
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
};

class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  // An empty file that grows in steps of `grow_by` bytes.
  explicit CMemFile(UINT grow_by = 1024);
  // A file over the caller's buffer: `size` bytes of content; with `grow_by` 0 it cannot grow
  // and the buffer stays the caller's; otherwise it is taken over and must come from malloc.
  CMemFile(BYTE* buffer, UINT size, UINT grow_by = 0);
  ~CMemFile() override;

  void Attach(BYTE* buffer, UINT size, UINT grow_by = 0);
  // Hands the memory to the caller (free it with free()) and empties the file.
  BYTE* Detach();

  bool Open(const wchar_t*, UINT, CFileException* = nullptr) override { return false; }
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override { return position_; }
  ULONGLONG GetLength() const override { return file_size_; }
  void SetLength(ULONGLONG length) override;
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

  const BYTE* GetData() const { return buffer_; }

 private:
  void GrowTo(size_t size);

  BYTE* buffer_ = nullptr;
  size_t buffer_size_ = 0;
  size_t file_size_ = 0;
  size_t position_ = 0;
  UINT grow_by_;
  bool owns_buffer_ = true;
};
