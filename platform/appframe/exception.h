// The framework's exceptions. They are thrown by value and caught by reference; none crosses a
// window procedure (the window layer catches them there).
#pragma once

#include <windows.h>

#include "platform/appframe/object.h"
#include "platform/appframe/string.h"

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  CException() {}
  CException(const CException&) : CObject() {}
  // A text for the user; false when there is none.
  virtual bool GetErrorMessage(CString* text) const;
};

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  bool GetErrorMessage(CString* text) const override;
};

// A dialog's data exchange refused a value; the user has been told already.
class CUserException : public CException {
  DECLARE_DYNAMIC(CUserException)
};

class CNotSupportedException : public CException {
  DECLARE_DYNAMIC(CNotSupportedException)
};

class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
 public:
  enum Cause {
    none = 0,
    genericException = 1,
    readOnly = 2,      // a store into a loading archive
    endOfFile = 3,
    writeOnly = 4,     // a load from a storing archive
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
  };
  explicit CArchiveException(int cause = none, const wchar_t* file = nullptr)
      : m_cause(cause), m_strFileName(file) {}
  CArchiveException(const CArchiveException& other)
      : CException(other), m_cause(other.m_cause), m_strFileName(other.m_strFileName) {}
  bool GetErrorMessage(CString* text) const override;

  int m_cause;
  CString m_strFileName;
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  enum Cause {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };
  CFileException(int cause = none, LONG os_error = -1, const wchar_t* file = nullptr)
      : m_cause(cause), m_lOsError(os_error), m_strFileName(file) {}
  CFileException(const CFileException& other)
      : CException(other), m_cause(other.m_cause), m_lOsError(other.m_lOsError),
        m_strFileName(other.m_strFileName) {}
  // The cause that matches a Win32 error.
  static int OsErrorToException(LONG os_error);
  bool GetErrorMessage(CString* text) const override;

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};
