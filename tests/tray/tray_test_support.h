// Recording stand-ins for the tray program's system services, and helpers that act inside a
// modal loop or on the user's settings key.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tray/tray_services.h"

namespace traytest {

class CRecordingServices : public ITrayServices {
 public:
  __int64 Now() override { return now; }
  void OpenUrl(const wchar_t* url) override { opened.push_back(url); }
  int AskYesNo(const wchar_t* text, const wchar_t* caption) override {
    questions.push_back(text);
    return answer;
  }
  bool ChooseColour(HWND, COLORREF* colour) override {
    if (!colour_chosen) return false;
    *colour = chosen_colour;
    return true;
  }
  bool ChooseSoundFile(HWND, CString* path) override {
    if (sound_file.empty()) return false;
    *path = sound_file.c_str();
    return true;
  }
  void PlaySoundFile(const wchar_t* path) override { played.push_back(path); }
  UINT UpdateTimerPeriodMs() override { return timer_period_ms; }
  std::wstring UpdateServer() override { return update_server; }

  __int64 now = 1700000000;
  int answer = IDNO;
  bool colour_chosen = false;
  COLORREF chosen_colour = 0;
  std::wstring sound_file;
  UINT timer_period_ms = 3600000;
  std::wstring update_server = L"http://127.0.0.1:9";
  std::vector<std::wstring> opened, questions, played;
};

// Runs `step` from this thread's message loop (a modal loop included) as soon as it pumps.
void RunFromLoop(std::function<void()> step);

// The user's settings key ("SOFTWARE\TorvanGroup\Dravix").
void DeleteSettingsKey();
bool ReadDword(const wchar_t* name, DWORD* value, DWORD* type = nullptr);
// A REG_SZ value; false when it is missing or of another type.
bool ReadText(const wchar_t* name, std::wstring* text);
// Every value of the key: name -> type and bytes.
std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> SnapshotSettingsKey();
void WriteDword(const wchar_t* name, DWORD value);
void WriteText(const wchar_t* name, const wchar_t* text);
bool SettingsKeyExists();
bool ValueExists(const wchar_t* name);

}  // namespace traytest
