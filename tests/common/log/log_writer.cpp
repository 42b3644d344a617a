// Writes log entries from a second process. Usage:
//   log_writer <user key path> <count> <letter>
// Redirects HKEY_CURRENT_USER to HKCU\<user key path>, stores its log file path there as the
// value "WriterLogPath" of the log key, and writes <count> entries of level 1 without a stamp,
// each a run of 300 times <letter>. Ends when every entry is written.
#include <windows.h>

#include <stdlib.h>
#include <string>

#include "common/log/log_helper.h"
#include "tests/common/log/log_test_support.h"
#include "tests/common/settings/user_key_override.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  if (!KestrinTests::ApplyUserKeyOverride(argv[1])) return 3;
  LogHelperNS::CLogHelper* logger = LogHelperNS::CLogHelper::GetInstance();
  std::string path = logger->GetLogFilePath();
  if (!KestrinTests::SetLogValue("WriterLogPath", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1))) {
    return 4;
  }
  const int count = atoi(argv[2]);
  const std::string text(300, argv[3][0]);
  for (int i = 0; i < count; ++i) logger->Log(text.c_str(), 1, false);
  return LogHelperNS::CLogHelper::WaitForPendingWrites(30000) ? 0 : 5;
}
