// Test support: runs the test program on a desktop of its own, so that the observer broadcasts
// of the programs running side by side in one Wine prefix never reach each other (a broadcast
// reaches the message-only windows of the sender's desktop only). Include in one source file of
// a test program; the programs it starts share its desktop.
//
// The desktop lives in a window station of its own: Wine puts the later threads of a process
// started on another desktop of the same window station back on the default desktop, while with
// a window station of its own every thread of the process shares one desktop. Wine also assigns
// the startup desktop only when the main thread first asks for its desktop window: threads that
// use windows before that land on the default desktop. So the main thread asks here, before main.
#pragma once

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "platform/win/scoped_handle.h"

namespace KestrinTests {

// Before main. In a program on a private desktop (or started from one) it settles the desktop of
// the process. Otherwise it creates a private desktop, runs this program again there with the
// same command line and ends with that run's exit code.
inline int RunOnPrivateDesktop() {
  static const char kMarker[] = "KESTRIN_TEST_PRIVATE_DESKTOP";
  if (GetEnvironmentVariableA(kMarker, nullptr, 0) != 0) {
    GetDesktopWindow();
    return 0;
  }
  char station_name[64];
  snprintf(station_name, sizeof(station_name), "kestrin-test-%lu", GetCurrentProcessId());
  HWINSTA own_station = GetProcessWindowStation();
  HWINSTA station = CreateWindowStationA(station_name, 0, GENERIC_ALL, nullptr);
  if (!station) return 0;  // run here, unisolated
  HDESK desktop = nullptr;
  if (SetProcessWindowStation(station)) {
    desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own_station);
  }
  if (!desktop) {
    CloseWindowStation(station);
    return 0;
  }
  char name[96];
  snprintf(name, sizeof(name), "%s\\Default", station_name);
  SetEnvironmentVariableA(kMarker, name);
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.lpDesktop = name;
  PROCESS_INFORMATION info = {};
  char* command = _strdup(GetCommandLineA());
  BOOL started = CreateProcessA(program, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  free(command);
  if (!started) {
    SetEnvironmentVariableA(kMarker, nullptr);
    CloseDesktop(desktop);
    CloseWindowStation(station);
    return 0;
  }
  KestrinWinNS::CScopedKernelHandle thread(info.hThread), process(info.hProcess);
  DWORD exit_code = 1;
  WaitForSingleObject(process.Get(), INFINITE);
  GetExitCodeProcess(process.Get(), &exit_code);
  thread.Reset();
  process.Reset();  // ExitProcess below runs no destructors
  CloseDesktop(desktop);
  CloseWindowStation(station);
  fflush(nullptr);
  ExitProcess(exit_code);
}

}  // namespace KestrinTests

// Runs while the program initialises, before the tests.
static const int kestrin_private_desktop = KestrinTests::RunOnPrivateDesktop();
