#include "common/log/log_helper.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <stdio.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/utility/platform.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/worker_thread.h"
#include "tests/common/log/log_test_support.h"
#include "tests/common/settings/user_key_override.h"

using namespace LogHelperNS;
using KestrinTests::ReadFileText;
using KestrinTests::SetLogDword;
using KestrinTests::SetLogValue;
using KestrinTests::WriteFileText;

namespace {

const DWORD kWriteWaitMs = 20000;

std::string OwnPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string OwnFolder() {
  std::string path = OwnPath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
  return path;
}

std::string TempFile(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  char path[MAX_PATH];
  snprintf(path, sizeof(path), "%skestrin-%s-%lu.txt", folder, name, GetCurrentProcessId());
  return path;
}

bool IsOff(const CLogHelper& logger) { return dynamic_cast<CLogHelperStateFormater*>(logger.GetState()) == nullptr; }

// Each test gets a user of its own; the logger's file is removed before and after.
class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(user_key_.ok()); }
  void TearDown() override {
    CLogHelper::WaitForPendingWrites(kWriteWaitMs);
    if (!log_path_.empty()) DeleteFileA(log_path_.c_str());
  }
  // Builds a logger from the configuration stored so far and starts it on an empty file.
  std::unique_ptr<CLogHelper> MakeLogger() {
    std::unique_ptr<CLogHelper> logger(new CLogHelper);
    log_path_ = logger->GetLogFilePath();
    DeleteFileA(log_path_.c_str());
    return logger;
  }
  std::string Written() {
    EXPECT_TRUE(CLogHelper::WaitForPendingWrites(kWriteWaitMs));
    return ReadFileText(log_path_);
  }

  KestrinTests::CScopedUserKeyOverride user_key_{"log"};
  std::string log_path_;
};

}  // namespace

TEST(LogFileName, OnePerHostProgram) {
  const struct {
    const char* program;
    const char* name;
  } cases[] = {
      {"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE", "\\IE - log.txt"},
      {"C:\\Program Files\\Mozilla Firefox\\firefox.exe", "\\Firefox - log.txt"},
      {"C:\\Program Files\\mozilla.org\\Mozilla\\mozilla.exe", "\\Mozilla Suite - log.txt"},
      {"C:\\Program Files\\Netscape\\Navigator 9\\navigator.exe", "\\Netscape 9 - log.txt"},
      {"C:\\Program Files\\SeaMonkey\\SeaMonkey.exe", "\\SeaMonkey Suite - log.txt"},
      {"C:\\Program Files\\Torvan\\Kestrin\\Kestrin.exe", "\\kestrin - log.txt"},
      {"C:\\Tools\\Setup.exe.exe", "\\setup - log.txt"},
      {"C:\\firefox.exe\\iexplore.exe", "\\Firefox - log.txt"},  // searched in this order
  };
  for (const auto& c : cases) EXPECT_EQ(c.name, BuildLogFileName(c.program)) << c.program;
}

// Run as it is and as copies to which Wine reports Vista and XP.
TEST(LogFolder, FollowsTheOSClass) {
  const std::string roaming = ShellFolder(CSIDL_APPDATA);
  const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
  ASSERT_FALSE(roaming.empty());
  ASSERT_FALSE(local.empty());
  EXPECT_EQ(local + "Low\\Torvan\\Kestrin", BuildLogFolder(UtilityClassesNS::OS_VISTA));
  EXPECT_EQ(roaming + "\\Torvan\\Kestrin", BuildLogFolder(UtilityClassesNS::OS_WINXP));
  EXPECT_EQ(roaming + "\\Torvan\\Kestrin", BuildLogFolder(UtilityClassesNS::OS_UNKNOWN));

  std::string program = OwnPath();
  CharLowerBuffA(&program[0], static_cast<DWORD>(program.size()));
  const int os_class = UtilityClassesNS::GetOSClass();
  if (program.find("vista") != std::string::npos) {
    EXPECT_EQ(UtilityClassesNS::OS_VISTA, os_class);
  }
  if (program.find("winxp") != std::string::npos) {
    EXPECT_EQ(UtilityClassesNS::OS_WINXP, os_class);
  }

  KestrinTests::CScopedUserKeyOverride user_key("logfolder");
  ASSERT_TRUE(user_key.ok());
  ASSERT_TRUE(SetLogDword("LogLevel", 1));
  CLogHelper logger;
  const std::string expected = os_class == UtilityClassesNS::OS_VISTA ? local + "Low\\Torvan\\Kestrin"
                                                                       : roaming + "\\Torvan\\Kestrin";
  EXPECT_EQ(expected, logger.GetLogFolder());
  DWORD attributes = GetFileAttributesA(logger.GetLogFolder().c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      << "the folder is created with its parents";
  std::string name = OwnPath().substr(OwnPath().find_last_of('\\'));
  name = name.substr(0, name.size() - 4);
  CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
  EXPECT_EQ(name + " - log.txt", logger.GetLogFileName());
  EXPECT_EQ(expected + name + " - log.txt", logger.GetLogFilePath());
}

TEST_F(LoggerTest, Configuration) {
  CLogHelper missing_key;
  EXPECT_TRUE(IsOff(missing_key));

  const struct {
    const char* what;
    DWORD level_type;
    DWORD level;
    DWORD limit;  // 0: not stored
    DWORD mode;   // 0xFFFFFFFF: not stored
    bool on;
    DWORD expected_limit;
  } cases[] = {
      {"level 0", REG_DWORD, 0, 0, 0xFFFFFFFF, false, kDefaultLogSizeLimit},
      {"level as text", REG_SZ, '2', 0, 0xFFFFFFFF, false, kDefaultLogSizeLimit},
      {"level 2 alone", REG_DWORD, 2, 0, 0xFFFFFFFF, true, kDefaultLogSizeLimit},
      {"level 3, limit and file mode", REG_DWORD, 3, 1234, 0, true, 1234},
      {"unknown mode", REG_DWORD, 3, 0, 7, false, kDefaultLogSizeLimit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegDeleteTreeA(HKEY_CURRENT_USER, kLogKeyPath);
    ASSERT_TRUE(SetLogValue("LogLevel", c.level_type, &c.level, c.level_type == REG_SZ ? 2 : 4));
    if (c.limit) {
      ASSERT_TRUE(SetLogDword("LogSizeLimit", c.limit));
    }
    if (c.mode != 0xFFFFFFFF) {
      ASSERT_TRUE(SetLogDword("LogMode", c.mode));
    }
    CLogHelper logger;
    EXPECT_EQ(c.on, !IsOff(logger));
    if (c.on) {
      EXPECT_TRUE(dynamic_cast<CLogHelperStateMultipleProcess*>(logger.GetState()) != nullptr);
      EXPECT_EQ(static_cast<int>(c.level), logger.GetLevel());
      EXPECT_EQ(c.expected_limit, logger.GetSizeLimit());
      EXPECT_EQ(kLogModeFile, logger.GetMode());
    }
  }
}

TEST_F(LoggerTest, EntriesUpToTheLevelReachTheFileInTheLineFormat) {
  ASSERT_TRUE(SetLogDword("LogLevel", 2));
  std::unique_ptr<CLogHelper> logger = MakeLogger();

  logger->Log("too detailed", 3, true);
  logger->Log(nullptr, 1, true);
  logger->LogFormatString(nullptr, "x", 1, false);
  logger->LogFormatString("%s", nullptr, 1, false);
  logger->LogFormatNumber(nullptr, 1, 1, false);
  EXPECT_EQ("", Written()) << "nothing to write";

  SYSTEMTIME before;
  GetLocalTime(&before);
  logger->Log("stamped entry", 2, true);
  std::string stamped = Written();
  SYSTEMTIME after;
  GetLocalTime(&after);
  int day, month, year, level, hour, minute, second, consumed = 0;
  ASSERT_EQ(7, sscanf(stamped.c_str(), "%d/%d/%d [Level %d] - %d:%d:%d - %n", &day, &month, &year, &level, &hour,
                      &minute, &second, &consumed))
      << stamped;
  EXPECT_EQ("stamped entry\r\n\r\n", stamped.substr(consumed));
  EXPECT_EQ(2, level);
  EXPECT_TRUE((day == before.wDay && month == before.wMonth && year == before.wYear) ||
              (day == after.wDay && month == after.wMonth && year == after.wYear));
  const int seconds = hour * 3600 + minute * 60 + second;
  const int from = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
  const int to = after.wHour * 3600 + after.wMinute * 60 + after.wSecond;
  EXPECT_TRUE((seconds >= from && seconds <= to) || to < from) << stamped;
  char two_digits[16];
  snprintf(two_digits, sizeof(two_digits), " - %02d:%02d:%02d - ", hour, minute, second);
  EXPECT_NE(std::string::npos, stamped.find(two_digits)) << "hours, minutes and seconds have two digits";

  DeleteFileA(log_path_.c_str());
  logger->Log("plain", 1, false);
  Written();  // keeps the entries in the order of the calls
  logger->LogFormatString("file %s opened", "a.txt", 2, false);
  Written();
  logger->LogFormatNumber("count %d", 42, 1, false);
  Written();
  logger->LogErrorCode("call failed:", 0x80040205, 1, false);
  EXPECT_EQ(
      "No DateTime stamp [Level 1]- plain\r\n\r\n"
      "No DateTime stamp [Level 2]- file a.txt opened\r\n\r\n"
      "No DateTime stamp [Level 1]- count 42\r\n\r\n"
      "No DateTime stamp [Level 1]- call failed: IDispatch error #5\r\n\r\n",
      Written());
}

// The system's diagnostic calls go to the process logger, which writes them.
TEST_F(LoggerTest, DiagnosticCallsReachTheProcessLogger) {
  ASSERT_TRUE(SetLogDword("LogLevel", 3));
  CLogHelper* logger = CLogHelper::GetInstance();  // first use in this program: reads the above
  ASSERT_EQ(logger, CLogHelper::GetInstance());
  ASSERT_EQ(3, logger->GetLevel());
  log_path_ = logger->GetLogFilePath();
  DeleteFileA(log_path_.c_str());
  LogHelperNS::Log("diagnostic line", 3, false);
  EXPECT_EQ("No DateTime stamp [Level 3]- diagnostic line\r\n\r\n", Written());
}

// A worker's task that throws is written to the process log once the log is the fault log.
TEST_F(LoggerTest, AWorkersFaultReachesTheProcessLog) {
  ASSERT_TRUE(SetLogDword("LogLevel", 3));
  CLogHelper* logger = CLogHelper::GetInstance();
  ASSERT_EQ(3, logger->GetLevel());
  log_path_ = logger->GetLogFilePath();
  DeleteFileA(log_path_.c_str());
  KestrinWinNS::WorkerFaultLog previous = KestrinWinNS::SetWorkerFaultLog(&LogWorkerFault);
  {
    KestrinWinNS::CWorkerThread worker("lookup", 1000);
    KestrinWinNS::CScopedKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE signal = done.Get();
    ASSERT_TRUE(worker.Post([] { throw std::runtime_error("reply cut short"); }));
    ASSERT_TRUE(worker.Post([signal] { SetEvent(signal); }));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.Get(), kWriteWaitMs));
  }
  KestrinWinNS::SetWorkerFaultLog(previous);
  const std::string written = Written();
  EXPECT_NE(std::string::npos, written.find("[Level 1] - ")) << written;  // stamped, at level 1
  EXPECT_NE(std::string::npos,
            written.find(" - A task of the lookup worker ended with an exception: reply cut short\r\n\r\n"))
      << written;
}

// Console mode writes to the process's standard output; Wine refuses a second console here, so
// the output stays on the pipe the test puts there.
TEST_F(LoggerTest, ConsoleModeWritesToTheStandardOutput) {
  ASSERT_TRUE(SetLogDword("LogLevel", 2));
  ASSERT_TRUE(SetLogDword("LogMode", 1));
  KestrinWinNS::CScopedKernelHandle read_pipe, write_pipe;
  ASSERT_TRUE(CreatePipe(read_pipe.Receive(), write_pipe.Receive(), nullptr, 0));
  const HANDLE read_end = read_pipe.Get(), write_end = write_pipe.Get();
  const HANDLE own_output = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, write_end);
  bool console_on_pipe = false;
  {
    CLogHelper logger;
    console_on_pipe = logger.GetConsole() == write_end;
    EXPECT_EQ(kLogModeConsole, logger.GetMode());
    EXPECT_TRUE(dynamic_cast<CLogHelperStateConsole*>(logger.GetState()) != nullptr);
    logger.Log("to the console", 2, false);
    logger.Log("too detailed", 3, false);
  }
  SetStdHandle(STD_OUTPUT_HANDLE, own_output);
  write_pipe.Reset();
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got) output.append(buffer, got);
  if (!console_on_pipe) {
    GTEST_SKIP() << "a console of its own took the output";
  }
  EXPECT_EQ("CLogHelper Console initialized!\nNo DateTime stamp [Level 2]- to the console\r\n\r\n", output);

  // When the greeting cannot be written the logger falls back to the file.
  SetStdHandle(STD_OUTPUT_HANDLE, read_end);
  {
    CLogHelper logger;
    EXPECT_EQ(kLogModeFile, logger.GetMode());
    EXPECT_TRUE(dynamic_cast<CLogHelperStateMultipleProcess*>(logger.GetState()) != nullptr);
  }
  SetStdHandle(STD_OUTPUT_HANDLE, own_output);
}

TEST(LogErrorCodeText, SystemMessageOrFallback) {
  EXPECT_EQ("IDispatch error #1", CLogHelperStateFormater::FormatErrorCode(nullptr, 0x80040201));
  EXPECT_EQ("lead IDispatch error #65023", CLogHelperStateFormater::FormatErrorCode("lead", 0x8004FFFF));
  EXPECT_EQ("Unknown error 0x80040200", CLogHelperStateFormater::FormatErrorCode(nullptr, 0x80040200));
  EXPECT_EQ("Unknown error 0x2345678", CLogHelperStateFormater::FormatErrorCode(nullptr, 0x02345678));
  std::string known = CLogHelperStateFormater::FormatErrorCode("open:", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(0u, known.find("open: ")) << known;
  EXPECT_EQ(std::string::npos, known.find("Unknown error")) << known;
  EXPECT_GT(known.size(), 7u);
}

TEST_F(LoggerTest, OffLoggerWritesNothing) {
  ASSERT_TRUE(SetLogDword("LogLevel", 0));
  std::unique_ptr<CLogHelper> logger = MakeLogger();
  logger->Log("entry", 1, true);
  logger->LogErrorCode(nullptr, 5, 1, true);
  EXPECT_TRUE(CLogHelper::WaitForPendingWrites(0)) << "no writer thread started";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log_path_.c_str()));
}

// Writer threads of one process take the log mutex each for itself: none loses its entry.
TEST_F(LoggerTest, ManyWriterThreadsOfOneProcessAllGetTheirTurn) {
  ASSERT_TRUE(SetLogDword("LogLevel", 1));
  std::unique_ptr<CLogHelper> logger = MakeLogger();
  const int kEntries = 40;
  for (int i = 0; i < kEntries; ++i) logger->LogFormatNumber("entry %d", i, 1, false);
  std::string text = Written();
  for (int i = 0; i < kEntries; ++i) {
    std::string line = "No DateTime stamp [Level 1]- entry " + std::to_string(i) + "\r\n\r\n";
    EXPECT_NE(std::string::npos, text.find(line)) << "lost: " << line;
  }
  EXPECT_EQ(kEntries, std::count(text.begin(), text.end(), '\n') / 2);
}

TEST_F(LoggerTest, TheFileIsTrimmedToTheConfiguredLimit) {
  ASSERT_TRUE(SetLogDword("LogLevel", 1));
  ASSERT_TRUE(SetLogDword("LogSizeLimit", 100));
  std::unique_ptr<CLogHelper> logger = MakeLogger();
  for (int i = 0; i < 5; ++i) {
    logger->LogFormatNumber("entry %d", i, 1, false);
    Written();
  }
  // Each entry has 39 bytes: two fit.
  EXPECT_EQ(
      "No DateTime stamp [Level 1]- entry 3\r\n\r\n"
      "No DateTime stamp [Level 1]- entry 4\r\n\r\n",
      Written());
}

struct TrimCase {
  const char* what;
  std::string before;
  std::string line;
  DWORD limit;
  std::string after;
};

TEST(LogTrimming, DropsWholeLinesFromTheFront) {
  const std::string a = "No DateTime stamp [Level 1]- a\r\n\r\n";
  const std::string b = "No DateTime stamp [Level 1]- b\r\n\r\n";
  const std::string c = "No DateTime stamp [Level 1]- c\r\n\r\n";
  const TrimCase cases[] = {
      {"under the limit", a, b, 1000, a + b},
      {"exactly at the limit", a, b, static_cast<DWORD>((a + b).size()), a + b},
      {"oldest entry goes", a + b, c, static_cast<DWORD>((b + c).size()), b + c},
      {"limit 0 empties the file", a + b, c, 0, ""},
      {"entry of several lines goes a line at a time", "one\r\nTWO\r\n\r\n", c,
       static_cast<DWORD>(("TWO\r\n\r\n" + c).size()), "TWO\r\n\r\n" + c},
      {"line without the empty line after it", "first\r\nsecond\r\n", "third\r\n",
       static_cast<DWORD>(std::string("second\r\nthird\r\n").size()), "second\r\nthird\r\n"},
      {"no line feed: left over the limit", "xxxxxxxx", "yyyy", 4, "xxxxxxxxyyyy"},
  };
  const std::string path = TempFile("trim");
  for (const TrimCase& t : cases) {
    SCOPED_TRACE(t.what);
    ASSERT_TRUE(WriteFileText(path, t.before));
    EXPECT_TRUE(AppendToLogFile(path.c_str(), t.line, t.limit));
    EXPECT_EQ(t.after, ReadFileText(path));
  }
  DeleteFileA(path.c_str());
}

TEST(LogTrimming, LargeFileLosesItsOldestEntriesUntilItFits) {
  std::string big;
  int entries = 0;
  char entry[128];
  while (big.size() < 600000) {
    snprintf(entry, sizeof(entry), "1/2/2009 [Level 1] - 10:11:12 - entry number %06d\r\n\r\n", entries++);
    big += entry;
  }
  const size_t entry_size = strlen(entry);
  const std::string path = TempFile("big");
  ASSERT_TRUE(WriteFileText(path, big));
  ASSERT_TRUE(AppendToLogFile(path.c_str(), "No DateTime stamp [Level 1]- newest\r\n\r\n", 500000));
  std::string after = ReadFileText(path);
  EXPECT_LE(after.size(), 500000u);
  EXPECT_GT(after.size(), 500000u - entry_size) << "more than the oldest entries were dropped";
  EXPECT_EQ(0u, after.find("1/2/2009 [Level 1] - 10:11:12 - entry number ")) << "cut inside an entry";
  EXPECT_EQ(after.size() - 39, after.rfind("No DateTime stamp [Level 1]- newest\r\n\r\n"));
  EXPECT_EQ(0u, (after.size() - 39) % entry_size);
  EXPECT_NE(std::string::npos, after.find(big.substr(big.size() - entry_size)));
  DeleteFileA(path.c_str());
}

TEST(LogTrimming, FileThatCannotBeOpenedLosesTheEntry) {
  EXPECT_FALSE(AppendToLogFile("Z:\\no\\such\\folder\\file.txt", "entry\r\n\r\n", 100));
  EXPECT_FALSE(AppendToLogFile(nullptr, "entry\r\n\r\n", 100));
}

namespace {

DWORD RunWriter(const std::string& command_line, HANDLE* process) {
  std::string command = command_line;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return GetLastError();
  }
  KestrinWinNS::CScopedKernelHandle thread(info.hThread);
  *process = info.hProcess;
  return 0;
}

DWORD WaitAndClose(HANDLE handle) {
  KestrinWinNS::CScopedKernelHandle process(handle);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  return code;
}

}  // namespace

// Two processes writing one log file at once never interleave bytes within the file.
TEST_F(LoggerTest, TwoProcessesShareTheFileWithoutInterleaving) {
  ASSERT_TRUE(SetLogDword("LogLevel", 1));
  const std::string writer = "\"" + OwnFolder() + "log_writer.exe\" \"" + user_key_.path() + "\" ";
  HANDLE process = nullptr;
  ASSERT_EQ(0u, RunWriter(writer + "0 x", &process));  // learns where the writers log
  ASSERT_EQ(0u, WaitAndClose(process));
  char path[MAX_PATH] = {};
  DWORD size = sizeof(path);
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, kLogKeyPath, "WriterLogPath", RRF_RT_REG_SZ, nullptr,
                                        path, &size));
  log_path_ = path;
  DeleteFileA(path);

  const int kEach = 60;
  HANDLE first = nullptr, second = nullptr;
  ASSERT_EQ(0u, RunWriter(writer + std::to_string(kEach) + " A", &first));
  ASSERT_EQ(0u, RunWriter(writer + std::to_string(kEach) + " B", &second));
  EXPECT_EQ(0u, WaitAndClose(first));
  EXPECT_EQ(0u, WaitAndClose(second));

  const std::string text = ReadFileText(path);
  const std::string prefix = "No DateTime stamp [Level 1]- ";
  const std::string entry_a = prefix + std::string(300, 'A') + "\r\n\r\n";
  const std::string entry_b = prefix + std::string(300, 'B') + "\r\n\r\n";
  int count_a = 0, count_b = 0;
  size_t at = 0;
  while (at < text.size()) {
    if (text.compare(at, entry_a.size(), entry_a) == 0) {
      ++count_a;
    } else if (text.compare(at, entry_b.size(), entry_b) == 0) {
      ++count_b;
    } else {
      ADD_FAILURE() << "entries interleave at byte " << at << ": " << text.substr(at, 80);
      break;
    }
    at += entry_a.size();
  }
  EXPECT_EQ(kEach, count_a);
  EXPECT_EQ(kEach, count_b);
}
