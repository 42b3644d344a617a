// Records how it was started: writes its command line (UTF-16) to a file named like the
// program with ".started" appended, then sets the event "KestrinStartRecorded" if one exists.
// Copied under a browser's or the tray program's name, it stands in for that program.
#include <windows.h>

#include <string.h>

#include "platform/win/scoped_handle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH + 16];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  wcscat(path, L".started");
  const wchar_t* line = GetCommandLineW();
  KestrinWinNS::CScopedKernelHandle file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return 1;
  DWORD written = 0;
  WriteFile(file.Get(), line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
  file.Reset();  // the record is complete before the event says so
  KestrinWinNS::CScopedKernelHandle recorded(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"KestrinStartRecorded"));
  if (recorded) SetEvent(recorded.Get());
  return 0;
}
