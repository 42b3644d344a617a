// What the tray program asks of the system beyond its own windows: the clock, the shell, the
// question boxes and the common dialogs. The program uses CSystemTrayServices; tests give their
// own to record what would have been opened or asked.
#pragma once

#include <windows.h>

#include <string>

#include "platform/appframe/string.h"

class ITrayServices {
 public:
  virtual ~ITrayServices() {}
  // Seconds since 1 January 1970 UTC.
  virtual __int64 Now() = 0;
  // The shell's "open" verb on an address.
  virtual void OpenUrl(const wchar_t* url) = 0;
  // A Yes/No question without owner; IDYES or IDNO.
  virtual int AskYesNo(const wchar_t* text, const wchar_t* caption) = 0;
  // The colour dialog with the full view open; false when cancelled.
  virtual bool ChooseColour(HWND owner, COLORREF* colour) = 0;
  // The open-file dialog for a sound file; false when cancelled.
  virtual bool ChooseSoundFile(HWND owner, CString* path) = 0;
  // Starts playing a sound file asynchronously.
  virtual void PlaySoundFile(const wchar_t* path) = 0;
  // Period of the timer that drives the daily update check.
  virtual UINT UpdateTimerPeriodMs() = 0;
  // "scheme://host[:port]" of the update service (the path is fixed).
  virtual std::wstring UpdateServer() = 0;
};

class CSystemTrayServices : public ITrayServices {
 public:
  __int64 Now() override;
  void OpenUrl(const wchar_t* url) override;
  int AskYesNo(const wchar_t* text, const wchar_t* caption) override;
  bool ChooseColour(HWND owner, COLORREF* colour) override;
  bool ChooseSoundFile(HWND owner, CString* path) override;
  void PlaySoundFile(const wchar_t* path) override;
  UINT UpdateTimerPeriodMs() override { return 3600000; }
  std::wstring UpdateServer() override;
};

// The maker's sites.
extern const wchar_t kUpdateServer[];   // "http://update.torvangroup.com"
extern const wchar_t kHelpPageUrl[];    // the help page
