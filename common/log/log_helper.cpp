#include "common/log/log_helper.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "common/utility/mutex.h"
#include "common/utility/platform.h"
#include "common/utility/thread_helper.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"

namespace LogHelperNS {

const char kLogKeyPath[] = "Software\\TorvanGroup\\Kestrin";
const char kLogMutexName[] = "C2DC0918-D40A-4B6b-93FB-933E179F8640";

namespace {

const char kConsoleGreeting[] = "CLogHelper Console initialized!\n";

CLogHelperState g_off_state;
CLogHelperStateConsole g_console_state;
CLogHelperStateMultipleProcess g_multiple_process_state;
CLogHelperState* g_file_state = nullptr;  // chosen by the host program, else the multiple-process one

CLogHelper* volatile g_instance = nullptr;
volatile LONG g_pending_writes = 0;

// The console is set up once per process.
struct ConsoleSetup {
  bool tried;
  bool ready;
  bool allocated;
  HANDLE output;
} g_console;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  int length = snprintf(nullptr, 0, format, args...);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  snprintf(&text[0], text.size(), format, args...);
  text.resize(static_cast<size_t>(length));
  return text;
}

bool ReadDwordValue(HKEY key, const char* name, DWORD* value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data)) {
    return false;  // a value of another type counts as missing
  }
  *value = data;
  return true;
}

bool ReadWholeFile(HANDLE file, size_t size, std::vector<char>* data) {
  data->resize(size);
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  size_t done = 0;
  while (done < size) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1 << 20));
    DWORD got = 0;
    if (!ReadFile(file, data->data() + done, chunk, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

// Drops lines from the front of the file until it is at most `limit` bytes: each step removes
// up to the first line feed, and the empty line that ends an entry when one follows. Stops,
// leaving the file over the limit, when no line feed is left.
void TrimLogFile(HANDLE file, DWORD limit) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart <= static_cast<LONGLONG>(limit)) return;
  std::vector<char> data;
  if (!ReadWholeFile(file, static_cast<size_t>(size.QuadPart), &data)) return;
  const size_t total = data.size();
  size_t cut = 0;
  while (total - cut > limit) {
    const char* line_feed = static_cast<const char*>(memchr(data.data() + cut, '\n', total - cut));
    if (!line_feed) break;
    cut = static_cast<size_t>(line_feed - data.data()) + 1;
    if (total - cut >= 2 && data[cut] == '\r' && data[cut + 1] == '\n') cut += 2;
  }
  if (cut == 0) return;
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return;
  size_t done = cut;
  while (done < total) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(total - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
  FlushFileBuffers(file);
  SetEndOfFile(file);
}

void WriterThread(UtilityClassesNS::CThreadHelper* helper, void* param) {
  std::unique_ptr<CLogWriteJob> job(static_cast<CLogWriteJob*>(param));
  helper->Lock();
  const bool logger_alive = helper->GetOwner() != nullptr;
  helper->Unlock();
  if (logger_alive) {
    // Each writer thread owns the mutex it waits for: a holder of its own, released by itself.
    UtilityClassesNS::CMutexHolder mutex(kLogMutexName, INFINITE);
    HRESULT locked = mutex.Lock();
    AppendToLogFile((job->folder + job->file_name).c_str(), job->line, job->size_limit);
    if (locked == S_OK) mutex.Unlock();
  }
  job.reset();
  InterlockedDecrement(&g_pending_writes);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// States

void CLogHelperState::LogFormatString(CLogHelper*, const char*, const char*, int, bool) {}
void CLogHelperState::LogFormatNumber(CLogHelper*, const char*, DWORD, int, bool) {}
void CLogHelperState::Write(CLogHelper*, const char*, int, bool) {}
void CLogHelperState::LogErrorCode(CLogHelper*, const char*, DWORD, int, bool) {}

void CLogHelperStateFormater::LogFormatString(CLogHelper* logger, const char* format, const char* argument,
                                              int level, bool stamp) {
  if (!logger || !format || !argument) return;
  logger->Log(Format(format, argument).c_str(), level, stamp);
}

void CLogHelperStateFormater::LogFormatNumber(CLogHelper* logger, const char* format, DWORD number, int level,
                                              bool stamp) {
  if (!logger || !format) return;
  logger->Log(Format(format, static_cast<unsigned int>(number)).c_str(), level, stamp);
}

void CLogHelperStateFormater::LogErrorCode(CLogHelper* logger, const char* leading, DWORD code, int level,
                                           bool stamp) {
  if (!logger) return;
  logger->Log(FormatErrorCode(leading, code).c_str(), level, stamp);
}

std::string CLogHelperStateFormater::FormatErrorCode(const char* leading, DWORD code) {
  std::string message;
  char* system_text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&system_text), 0, nullptr);
  KestrinWinNS::CScopedLocalMemory system_text_owner(system_text);
  if (length && system_text) {
    message.assign(system_text, length);
  } else if (code >= 0x80040201 && code <= 0x8004FFFF) {
    message = Format("IDispatch error #%d", static_cast<int>(code - 0x80040200));
  } else {
    message = Format("Unknown error 0x%0lX", static_cast<unsigned long>(code));
  }
  return leading ? Format("%s %s", leading, message.c_str()) : message;
}

std::string CLogHelperStateFormater::FormatLine(const char* text, int level, bool stamp) {
  if (!text) text = "";
  if (!stamp) return Format("No DateTime stamp [Level %d]- %s\r\n\r\n", level, text);
  SYSTEMTIME now;
  GetLocalTime(&now);
  return Format("%d/%d/%d [Level %d] - %02d:%02d:%02d - %s\r\n\r\n", now.wDay, now.wMonth, now.wYear, level,
                now.wHour, now.wMinute, now.wSecond, text);
}

void CLogHelperStateConsole::Write(CLogHelper* logger, const char* text, int level, bool stamp) {
  if (!logger || !text || level > logger->GetLevel()) return;
  HANDLE console = logger->GetConsole();
  if (!console) return;
  std::string line = FormatLine(text, level, stamp);
  DWORD written = 0;
  WriteFile(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void CLogHelperStateMultipleProcess::Write(CLogHelper* logger, const char* text, int level, bool stamp) {
  if (!logger || !text || level > logger->GetLevel()) return;
  UtilityClassesNS::CThreadHelper* helper = logger->GetThreadHelper();
  if (!helper) return;
  CLogWriteJob* job = new (std::nothrow) CLogWriteJob{logger->GetSizeLimit(), FormatLine(text, level, stamp),
                                                      logger->GetLogFolder(), logger->GetLogFileName(), helper};
  if (!job) return;
  InterlockedIncrement(&g_pending_writes);
  KestrinWinNS::CScopedKernelHandle thread(helper->StartThread(&WriterThread, job));
  if (!thread) {  // the entry is dropped
    delete job;
    InterlockedDecrement(&g_pending_writes);
  }
}

// ---------------------------------------------------------------------------------------------
// Files and folders

bool AppendToLogFile(const char* path, const std::string& line, DWORD size_limit) {
  if (!path) return false;
  KestrinWinNS::CScopedKernelHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  if (SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    return false;
  }
  DWORD written = 0;
  if (!WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
      written != line.size()) {
    return false;
  }
  FlushFileBuffers(file.Get());
  TrimLogFile(file.Get(), size_limit);
  return true;
}

std::string BuildLogFolder(int os_class) {
  const bool vista = os_class == UtilityClassesNS::OS_VISTA;
  char base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, vista ? CSIDL_LOCAL_APPDATA : CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                              base))) {
    return "C:\\";
  }
  // On Vista the suffix follows the local folder directly: its low-integrity sibling "LocalLow".
  return std::string(base) + (vista ? "Low\\Torvan\\Kestrin" : "\\Torvan\\Kestrin");
}

std::string BuildLogFileName(const char* module_path) {
  std::string path = module_path ? module_path : "";
  if (!path.empty()) CharLowerBuffA(&path[0], static_cast<DWORD>(path.size()));
  static const struct {
    const char* program;
    const char* name;
  } kBrowsers[] = {
      {"firefox.exe", "\\Firefox"},       {"mozilla.exe", "\\Mozilla Suite"},
      {"navigator.exe", "\\Netscape 9"},  {"seamonkey.exe", "\\SeaMonkey Suite"},
      {"iexplore.exe", "\\IE"},
  };
  std::string name;
  for (const auto& browser : kBrowsers) {
    if (path.find(browser.program) != std::string::npos) {
      name = browser.name;
      break;
    }
  }
  if (name.empty()) {
    size_t slash = path.find_last_of('\\');
    name = slash == std::string::npos ? path : path.substr(slash);
    for (size_t exe; (exe = name.find(".exe")) != std::string::npos;) name.erase(exe, 4);
  }
  return name + " - log.txt";
}

// ---------------------------------------------------------------------------------------------
// CLogHelper

KestrinWinNS::CCriticalSection& CLogHelper::GetProcessLock() {
  static KestrinWinNS::CCriticalSection lock;
  return lock;
}

CLogHelper* CLogHelper::GetInstance() {
  CLogHelper* instance = static_cast<CLogHelper*>(InterlockedCompareExchangePointer(
      reinterpret_cast<void* volatile*>(&g_instance), nullptr, nullptr));
  if (instance) return instance;
  KestrinWinNS::CScopedLock hold(GetProcessLock());
  if (!g_instance) {
    static CLogHelper logger;
    InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_instance), &logger);
  }
  return g_instance;
}

void CLogHelper::SetFileState(CLogHelperState* state) { g_file_state = state; }

bool CLogHelper::WaitForPendingWrites(DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (InterlockedCompareExchange(&g_pending_writes, 0, 0) != 0) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(1);
  }
  return true;
}

CLogHelper::CLogHelper() : state_(&g_off_state) {
  helper_.Attach(UtilityClassesNS::CThreadHelper::Create(this));
  ReadConfiguration();
}

CLogHelper::~CLogHelper() {
  if (g_instance == this) g_instance = nullptr;
  helper_->Detach();  // writer threads still to start drop their entries
  helper_.Release();
  if (g_console.allocated) FreeConsole();
  g_console = ConsoleSetup{};
}

void CLogHelper::Log(const char* text, int level, bool stamp) {
  if (state_) state_->Write(this, text, level, stamp);
}

void CLogHelper::LogFormatString(const char* format, const char* argument, int level, bool stamp) {
  if (state_) state_->LogFormatString(this, format, argument, level, stamp);
}

void CLogHelper::LogFormatNumber(const char* format, DWORD number, int level, bool stamp) {
  if (state_) state_->LogFormatNumber(this, format, number, level, stamp);
}

void CLogHelper::LogErrorCode(const char* leading, DWORD code, int level, bool stamp) {
  if (state_) state_->LogErrorCode(this, leading, code, level, stamp);
}

void CLogHelper::ReadConfiguration() {
  state_ = &g_off_state;
  level_ = 0;
  size_limit_ = kDefaultLogSizeLimit;
  mode_ = kLogModeFile;
  {
    KestrinWinNS::CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLogKeyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
    DWORD value = 0;
    if (!ReadDwordValue(key.Get(), "LogLevel", &value) || value == 0) return;
    level_ = static_cast<int>(value);
    if (ReadDwordValue(key.Get(), "LogSizeLimit", &value)) size_limit_ = value;
    if (ReadDwordValue(key.Get(), "LogMode", &value)) mode_ = static_cast<int>(value);
  }

  if (mode_ == kLogModeConsole) {
    if (SetUpConsole()) {
      state_ = &g_console_state;
    } else {
      mode_ = kLogModeFile;
    }
  }
  if (mode_ == kLogModeFile) state_ = g_file_state ? g_file_state : &g_multiple_process_state;
  // Any other mode selects no writer: logging stays off.

  folder_ = BuildLogFolder(UtilityClassesNS::GetOSClass());
  if (GetFileAttributesA(folder_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    SHCreateDirectoryExA(nullptr, folder_.c_str(), nullptr);
  }
  char module_path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module_path, MAX_PATH);
  file_name_ = BuildLogFileName(module_path);
}

bool CLogHelper::SetUpConsole() {
  if (!g_console.tried) {
    g_console.tried = true;
    g_console.allocated = AllocConsole() != FALSE;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    g_console.ready = output && output != INVALID_HANDLE_VALUE &&
                      WriteFile(output, kConsoleGreeting, sizeof(kConsoleGreeting) - 1, &written, nullptr) &&
                      written == sizeof(kConsoleGreeting) - 1;
    g_console.output = g_console.ready ? output : nullptr;
  }
  console_ = g_console.output;
  return g_console.ready;
}

void Log(const char* text, int level, bool stamp) { CLogHelper::GetInstance()->Log(text, level, stamp); }

void LogWorkerFault(const char* worker, const char* what) {
  std::string line = "A task of the ";
  line += worker ? worker : "?";
  line += " worker ended with an exception: ";
  line += what ? what : "";
  Log(line.c_str(), 1, true);
}

}  // namespace LogHelperNS
