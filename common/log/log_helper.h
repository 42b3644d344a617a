// The process-wide logger. It is configured from three per-user registry values and writes
// through one of its states: off, a console window, or a log file that every process of the
// system shares under a named mutex.
#pragma once

#include <windows.h>

#include <string>

#include "platform/com/com_ptr.h"
#include "platform/win/lock.h"

namespace UtilityClassesNS {
class CThreadHelper;
}

namespace LogHelperNS {

extern const char kLogKeyPath[];    // "Software\TorvanGroup\Kestrin" under HKEY_CURRENT_USER
extern const char kLogMutexName[];  // "C2DC0918-D40A-4B6b-93FB-933E179F8640"
const DWORD kDefaultLogSizeLimit = 500000;
enum : int { kLogModeFile = 0, kLogModeConsole = 1 };

class CLogHelper;

// The "off" state: every operation does nothing.
class CLogHelperState {
 public:
  virtual void LogFormatString(CLogHelper* logger, const char* format, const char* argument, int level,
                               bool stamp);
  virtual void LogFormatNumber(CLogHelper* logger, const char* format, DWORD number, int level, bool stamp);
  virtual void Write(CLogHelper* logger, const char* text, int level, bool stamp);
  virtual void LogErrorCode(CLogHelper* logger, const char* leading, DWORD code, int level, bool stamp);
  virtual ~CLogHelperState() {}
};

// Formats entries and hands the finished text to the logger; writing is left to the subclasses.
class CLogHelperStateFormater : public CLogHelperState {
 public:
  void LogFormatString(CLogHelper* logger, const char* format, const char* argument, int level,
                       bool stamp) override;
  void LogFormatNumber(CLogHelper* logger, const char* format, DWORD number, int level, bool stamp) override;
  void LogErrorCode(CLogHelper* logger, const char* leading, DWORD code, int level, bool stamp) override;

  // One log entry: "d/m/yyyy [Level n] - hh:mm:ss - text\r\n\r\n" in local time with the stamp,
  // "No DateTime stamp [Level n]- text\r\n\r\n" without.
  static std::string FormatLine(const char* text, int level, bool stamp);
  // The system's message for an error code, or the fallback texts, after the leading text.
  static std::string FormatErrorCode(const char* leading, DWORD code);
};

// Writes each entry to the console the logger set up.
class CLogHelperStateConsole : public CLogHelperStateFormater {
 public:
  void Write(CLogHelper* logger, const char* text, int level, bool stamp) override;
};

// Writes each entry to the log file on a short-lived thread of its own; the threads of every
// process take turns on the file through the named log mutex.
class CLogHelperStateMultipleProcess : public CLogHelperStateFormater {
 public:
  void Write(CLogHelper* logger, const char* text, int level, bool stamp) override;
};

// One pending file entry, owned by the writer thread that handles it.
struct CLogWriteJob {
  DWORD size_limit;
  std::string line;
  std::string folder;
  std::string file_name;
  UtilityClassesNS::CThreadHelper* helper;  // refers to the logger while it lives
};

// Appends one finished line to the file and trims the file from the front, oldest lines first,
// until it is at most `size_limit` bytes. The caller serialises writers. False when the file
// cannot be opened or written.
bool AppendToLogFile(const char* path, const std::string& line, DWORD size_limit);

// The log folder for an OS class: the roaming application-data folder with "\Torvan\Kestrin",
// on Vista (class 8) the local one with "Low\Torvan\Kestrin"; "C:\" when the folder is unknown.
std::string BuildLogFolder(int os_class);
// The log file name for a program's file path: "\IE - log.txt" for Internet Explorer,
// "\Firefox - log.txt" and so on for the Gecko browsers, else "\<file name without .exe> - log.txt",
// lower-cased.
std::string BuildLogFileName(const char* module_path);

class CLogHelper {
 public:
  // The process's logger, built on first use and destroyed at process exit.
  static CLogHelper* GetInstance();
  // The process-wide lock that guards the logger's creation (also used by writers that serialise
  // within one process).
  static KestrinWinNS::CCriticalSection& GetProcessLock();
  // The state used for file mode; the multiple-process state unless a host program chooses
  // another before the logger is built.
  static void SetFileState(CLogHelperState* state);
  // Waits until the writer threads this process started have finished; false on timeout.
  static bool WaitForPendingWrites(DWORD timeout_ms);

  // Public for tests; the system uses GetInstance. Reads the configuration at once.
  CLogHelper();
  ~CLogHelper();

  // The logging call: hands a finished text to the current state's writer.
  void Log(const char* text, int level, bool stamp);
  void LogFormatString(const char* format, const char* argument, int level, bool stamp);
  void LogFormatNumber(const char* format, DWORD number, int level, bool stamp);
  void LogErrorCode(const char* leading, DWORD code, int level, bool stamp);

  void ReadConfiguration();

  int GetLevel() const { return level_; }
  DWORD GetSizeLimit() const { return size_limit_; }
  const std::string& GetLogFolder() const { return folder_; }
  const std::string& GetLogFileName() const { return file_name_; }
  std::string GetLogFilePath() const { return folder_ + file_name_; }
  int GetMode() const { return mode_; }
  CLogHelperState* GetState() const { return state_; }
  HANDLE GetConsole() const { return console_; }
  UtilityClassesNS::CThreadHelper* GetThreadHelper() const { return helper_.get(); }

 private:
  CLogHelper(const CLogHelper&) = delete;
  CLogHelper& operator=(const CLogHelper&) = delete;

  bool SetUpConsole();

  int level_ = 0;
  DWORD size_limit_ = kDefaultLogSizeLimit;
  std::string folder_;
  std::string file_name_;
  int mode_ = kLogModeFile;
  CLogHelperState* state_;
  HANDLE console_ = nullptr;
  KestrinComNS::CComPtr<UtilityClassesNS::CThreadHelper> helper_;
};

// The forwarding step of the system's diagnostic calls: hands the text to the process logger.
void Log(const char* text, int level, bool stamp);

// The process logger as the platform's worker fault log (KestrinWinNS::SetWorkerFaultLog): a
// task that ended with an exception is logged at level 1.
void LogWorkerFault(const char* worker, const char* what);

}  // namespace LogHelperNS
