// What the setup tests share: paths beside the test program, started stand-ins, registry
// seeding in one view, and small extension packages written by the tests.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win/scoped_handle.h"

namespace setup_test {

// Folder of the running test program (C:\KestrinTest in a throwaway prefix).
std::wstring TestFolder();
std::wstring BesideTest(const std::wstring& name);
// Copies a stand-in program that sits beside the test under another name into `folder`.
bool CopyStandIn(const wchar_t* standin, const std::wstring& target_path);

// A started program; terminated (if still running) when the holder goes.
class CStartedProgram {
 public:
  bool Start(const std::wstring& command_line);
  HANDLE process() const { return process_.Get(); }
  bool IsRunning() const;
  // Exit code once ended (waits for the end within `wait_ms`); STILL_ACTIVE otherwise.
  DWORD ExitCode(DWORD wait_ms) const;
  ~CStartedProgram();

 private:
  KestrinWinNS::CScopedKernelHandle process_;
};

// An unnamed-free named event that the test creates and a stand-in sets.
class CReadyEvent {
 public:
  explicit CReadyEvent(const wchar_t* name);
  bool Wait(DWORD ms) const { return WaitForSingleObject(event_.Get(), ms) == WAIT_OBJECT_0; }
  const std::wstring& name() const { return name_; }

 private:
  std::wstring name_;
  KestrinWinNS::CScopedKernelHandle event_;
};

// A key of HKLM (created when missing, in this program's view or in the one given) that nobody
// may open until the holder goes; the holder's own handle then restores the access it had.
class CDeniedKey {
 public:
  explicit CDeniedKey(const std::wstring& path, REGSAM view = 0);
  ~CDeniedKey();
  CDeniedKey(const CDeniedKey&) = delete;
  CDeniedKey& operator=(const CDeniedKey&) = delete;
  bool active() const { return active_; }

 private:
  KestrinWinNS::CScopedRegKey key_;
  std::vector<BYTE> saved_;
  bool active_ = false;
};

// Registry in one view of HKLM (KEY_WOW64_32KEY or KEY_WOW64_64KEY).
bool SetMachineString(REGSAM view, const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool DeleteMachineTree(REGSAM view, const std::wstring& key);

std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
std::wstring ReadWholeFileWide(const std::wstring& path);

// A zip archive of stored entries, in the order given; a name ending in "/" is a folder.
bool WriteZip(const std::wstring& path, const std::vector<std::pair<std::string, std::string>>& entries);

// Runs the setup driver (`program`, a copy of it, with the KRSetupDll.dll beside the test) with
// these steps and gives back the lines it recorded; false when it could not be run or did not end.
bool RunSetupDriver(const std::wstring& program, const std::wstring& steps, std::vector<std::wstring>* lines,
                    DWORD* exit_code);

}  // namespace setup_test
