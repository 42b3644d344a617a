#include "platform/appframe/exception.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

bool CException::GetErrorMessage(CString* text) const {
  if (text) text->Empty();
  return false;
}

bool CMemoryException::GetErrorMessage(CString* text) const {
  if (text) *text = L"Out of memory.";
  return true;
}

bool CArchiveException::GetErrorMessage(CString* text) const {
  static const wchar_t* const kTexts[] = {
      L"No error.", L"An unexpected error occurred while reading or writing data.",
      L"Tried to write to an archive opened for loading.", L"Unexpected end of data.",
      L"Tried to read from an archive opened for storing.", L"The data holds a bad object index.",
      L"The data holds an object of an unexpected class.", L"The data holds an unsupported version."};
  if (!text) return false;
  int cause = (m_cause >= 0 && m_cause <= badSchema) ? m_cause : genericException;
  *text = kTexts[cause];
  return true;
}

int CFileException::OsErrorToException(LONG os_error) {
  switch (os_error) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
  }
}

bool CFileException::GetErrorMessage(CString* text) const {
  if (!text) return false;
  wchar_t* message = nullptr;
  if (m_lOsError > 0 &&
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(m_lOsError), 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr) &&
      message) {
    *text = message;
    LocalFree(message);
    text->Trim();
  } else {
    text->Format(L"File error %d.", m_cause);
  }
  if (!m_strFileName.IsEmpty()) *text += L" (" + m_strFileName + L")";
  return true;
}
