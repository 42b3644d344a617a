#include "setup/close_programs.h"

#include <psapi.h>

#include "platform/win/scoped_handle.h"
#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;

const wchar_t kTrayWindowClass[] = L"Torvan_ZNR_Shadow_Class";

namespace {

const wchar_t* NullIfEmpty(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// How long a terminated process may take to be gone.
const DWORD kTerminatedWaitMs = 5000;

const wchar_t* const kTrayImageNames[] = {L"Kestrin.exe", L"DravixTray.exe"};

bool ImagePathOf(DWORD process_id, std::wstring* out) {
  CScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) process.Reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id));
  if (!process) return false;
  wchar_t path[MAX_PATH * 2];
  DWORD length = MAX_PATH * 2;
  using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  auto query = reinterpret_cast<QueryImageFn>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "QueryFullProcessImageNameW"));
  if (query && query(process.Get(), 0, path, &length)) {
    out->assign(path, length);
    return true;
  }
  length = GetModuleFileNameExW(process.Get(), nullptr, path, MAX_PATH * 2);
  if (length == 0) return false;
  out->assign(path, length);
  return true;
}

// The next top-level window of the entry after `after`; for an entry that ends processes only
// windows of the tray program's processes count.
HWND FindListedWindow(const CloseListEntry& entry, HWND after = nullptr) {
  for (;;) {
    HWND window = FindWindowExW(nullptr, after, NullIfEmpty(entry.window_class), NullIfEmpty(entry.window_title));
    if (!window || entry.mode != 1) return window;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (IsTrayProgramProcess(process_id)) return window;
    after = window;
  }
}

struct PostCloseContext {
  DWORD process_id;
};

BOOL CALLBACK PostCloseToProcessWindow(HWND window, LPARAM param) {
  auto* context = reinterpret_cast<PostCloseContext*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == context->process_id) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

bool IsTrayProgramProcess(DWORD process_id) {
  std::wstring image;
  if (!ImagePathOf(process_id, &image)) return false;
  const wchar_t* name = image.c_str();
  size_t slash = image.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name += slash + 1;
  for (const wchar_t* tray : kTrayImageNames) {
    if (_wcsicmp(name, tray) == 0) return true;
  }
  return false;
}

CloseList BuildCloseList() {
  CloseListEntry tray;
  tray.window_class = kTrayWindowClass;
  tray.mode = 1;
  return CloseList{tray};
}

bool CloseRunningPrograms() {
  CloseList list = BuildCloseList();
  if (!IsAnyListedWindowOpen(list)) return true;
  return CloseListedPrograms(list);
}

bool IsAnyListedWindowOpen(const CloseList& list) {
  for (const CloseListEntry& entry : list) {
    if (FindListedWindow(entry)) return true;
  }
  return false;
}

bool CloseListedPrograms(const CloseList& list) {
  const SetupWaits& waits = Waits();
  for (const CloseListEntry& entry : list) {
    for (;;) {
      HWND window = FindListedWindow(entry);
      if (!window || !IsWindow(window)) break;
      if (entry.mode == 0) {
        int requests = 0;
        do {
          if (requests == waits.close_requests) return false;
          PostMessageW(window, WM_CLOSE, 0, 0);
          ++requests;
          Sleep(waits.close_request_ms);
        } while (IsWindow(window));
      } else if (!EndProcessOfWindow(entry, window)) {
        return false;
      }
    }
  }
  return true;
}

bool EndProcessOfWindow(const CloseListEntry& entry, HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  CScopedKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_id));
  if (!process) return false;
  PostCloseContext context{process_id};
  EnumWindows(PostCloseToProcessWindow, reinterpret_cast<LPARAM>(&context));
  const SetupWaits& waits = Waits();
  DWORD deadline = GetTickCount() + waits.end_deadline_ms;
  if (!entry.dialog_class.empty() && !entry.button_class.empty()) PressDialogButton(entry);
  bool ended = false;
  for (;;) {
    DWORD result = WaitForSingleObject(process.Get(), waits.end_step_ms);
    if (result != WAIT_TIMEOUT) {
      ended = true;
      break;
    }
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) break;
  }
  if (!ended) {
    // A process that ended on its own just now cannot be terminated any more: that is success.
    if (!TerminateProcess(process.Get(), 0xFFFFFFFF) && WaitForSingleObject(process.Get(), 0) != WAIT_OBJECT_0)
      return false;
    // Its windows must be gone before the search runs again for the same entry.
    WaitForSingleObject(process.Get(), kTerminatedWaitMs);
  }
  return true;
}

void PressDialogButton(const CloseListEntry& entry) {
  HWND dialog = FindWindowExW(nullptr, nullptr, NullIfEmpty(entry.dialog_class), NullIfEmpty(entry.dialog_title));
  if (!dialog) return;
  HWND button = FindWindowExW(dialog, nullptr, NullIfEmpty(entry.button_class), NullIfEmpty(entry.button_title));
  if (!button) return;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace SetupFrameworkNS
