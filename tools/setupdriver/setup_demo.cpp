// The setup road for `make demo`, run in a throwaway prefix with KRSetupDll.dll and
// setupdriver.exe beside it: install with the driver, the scripted browser finding the add-on
// through the registry, removal; the driver's report lines are printed as they were recorded.
#include <windows.h>

#include <stdio.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tools/iehost/host_browser.h"

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.rfind(L'\\') + 1) + name;
}

// Runs the driver with its output in a log file (programs started here inherit handles that
// Wine's helpers keep open), then prints the log.
bool RunDriver(const std::wstring& steps) {
  const std::wstring log = Beside(L"demo-driver.log");
  DeleteFileW(log.c_str());
  std::wstring line = L"\"" + Beside(L"setupdriver.exe") + L"\" --dll \"" + Beside(L"KRSetupDll.dll") +
                      L"\" --log \"" + log + L"\" " + steps;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  KestrinWinNS::CScopedKernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  FILE* file = _wfopen(log.c_str(), L"rb");
  if (file) {
    char buffer[512];
    while (fgets(buffer, sizeof(buffer), file)) printf("  %s", buffer);
    fclose(file);
  }
  return code == 0;
}

// The browser's road: the helper objects named under "Browser Helper Objects", each made with
// CoCreateInstance and given its site.
int ProbeBrowser() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int running = 0;
  {
    std::vector<iehost::CComPtr<IObjectWithSite>> objects;
    HRESULT hr = iehost::CreateRegisteredHelperObjects(&objects);
    printf("  helper objects found through the registry: %u (0x%08lX)\n", static_cast<unsigned>(objects.size()),
           static_cast<unsigned long>(hr));
    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    iehost::CComPtr<iehost::CComObject<iehost::CHostBrowser>> browser;
    browser.Attach(iehost::CComObject<iehost::CHostBrowser>::Create(
        L"C:\\Program Files\\Internet Explorer\\iexplore.exe", frame, nullptr));
    for (auto& object : objects) {
      if (object->SetSite(static_cast<IWebBrowser2*>(browser.get())) == S_OK &&
          browser->events()->ConnectionCount() > 0) {
        ++running;
        printf("  the add-on took its site and listens to the browser's events\n");
      }
      object->SetSite(nullptr);
    }
    objects.clear();
    browser.Release();
    DestroyWindow(frame);
  }
  CoFreeUnusedLibrariesEx(0, 0);
  CoUninitialize();
  return running;
}

// The user closes the tray program before the removal.
void CloseTrayProgram() {
  KestrinWinNS::CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"Kestrin.exe") != 0) continue;
    KestrinWinNS::CScopedKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (!process) continue;
    printf("  the tray program Kestrin.exe is running; closed before the removal\n");
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
  }
}

}  // namespace

int main() {
  printf("-- install (setupdriver install) --\n");
  bool ok = RunDriver(L"install");
  printf("-- the scripted Internet Explorer --\n");
  ok = ProbeBrowser() == 1 && ok;
  printf("-- removal with the user's data (setupdriver SetOption:0 remove) --\n");
  CloseTrayProgram();
  ok = RunDriver(L"SetOption:0 remove") && ok;
  printf("-- after the removal --\n");
  printf("  helper objects found through the registry: ");
  {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<iehost::CComPtr<IObjectWithSite>> objects;
    iehost::CreateRegisteredHelperObjects(&objects);
    printf("%u\n", static_cast<unsigned>(objects.size()));
    objects.clear();
    CoUninitialize();
  }
  return ok ? 0 : 1;
}
