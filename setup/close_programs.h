// Closing running copies of the tray program before its files are replaced.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace SetupFrameworkNS {

extern const wchar_t kTrayWindowClass[];  // "Torvan_ZNR_Shadow_Class"

struct CloseListEntry {
  std::wstring window_class;  // empty: any class
  std::wstring window_title;  // empty: any title
  int mode = 0;               // 0 close the window, 1 end the process that owns it
  std::wstring dialog_class, dialog_title;  // a dialog to answer while the process ends
  std::wstring button_class, button_title;  // the dialog's button that is pressed
};
using CloseList = std::vector<CloseListEntry>;

CloseList BuildCloseList();

// True when nothing listed runs any more (also when nothing ran).
bool CloseRunningPrograms();
bool IsAnyListedWindowOpen(const CloseList& list);
bool CloseListedPrograms(const CloseList& list);
bool EndProcessOfWindow(const CloseListEntry& entry, HWND window);
void PressDialogButton(const CloseListEntry& entry);

// True when the process's image is the tray program ("Kestrin.exe", or "DravixTray.exe" of
// earlier versions). Browsers own windows of the tray window's class too (the pointer effect
// lives in the browser): only the tray program's process is ever ended.
bool IsTrayProgramProcess(DWORD process_id);

}  // namespace SetupFrameworkNS
