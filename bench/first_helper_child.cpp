// The first helper in a process, as a browser meets it: a program that has loaded only what a
// browser surely has (kernel, user, GDI, COM, OLE automation, the common controls, the shell's
// light-weight utilities) opens a browser window, loads the helper's library, makes the helper
// and gives it its site. Exit code: that time in microseconds (-1 on failure).
//
//   bench_first_helper <library> <clsid>
// KESTRIN_BENCH_STEPS=1 splits the time into the load, the creation and SetSite (on stderr).
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <stdio.h>

#include "tools/browserwindows/browser_windows.h"
#include "tools/iehost/host_browser.h"
#include "tools/iehost/host_document.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;

const wchar_t kIePath[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return -1;
  // A browser has the shell's light-weight utilities and GDI loaded: these calls keep their
  // imports in this program (the linker drops a library none of whose functions is called), so
  // that their load is not counted as the add-on's.
  if (!PathFileExistsW(argv[1]) || !GetStockObject(DEFAULT_GUI_FONT)) return -1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CLSID clsid;
  if (FAILED(CLSIDFromString(argv[2], &clsid))) return -1;
  DWORD result;
  {
    test::Ie7Frame frame(4);
    test::Tab tab = frame.AddTab();
    CComPtr<CComObject<iehost::CHostBrowser>> browser;
    browser.Attach(CComObject<iehost::CHostBrowser>::Create(kIePath, frame.frame, tab.tab));
    CComPtr<CComObject<iehost::CHostDocument>> page;
    page.Attach(CComObject<iehost::CHostDocument>::Create(L"about:blank", POINT{50, 120}));
    browser->SetDocument(page.get());
    browser->SetLocationUrl(L"about:blank");

    double start = NowMs();
    HMODULE module = LoadLibraryW(argv[1]);
    double loaded = NowMs();
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    auto get = module ? reinterpret_cast<GetClassObjectFn>(GetProcAddress(module, "DllGetClassObject")) : nullptr;
    CComPtr<IClassFactory> factory;
    CComPtr<IObjectWithSite> helper;
    if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(&helper))) || !helper)
      return -1;
    double created = NowMs();
    helper->SetSite(static_cast<IWebBrowser2*>(browser.get()));
    double elapsed = NowMs() - start;
    if (GetEnvironmentVariableA("KESTRIN_BENCH_STEPS", nullptr, 0) > 0) {
      fprintf(stderr, "load %.3f ms, create %.3f ms, SetSite %.3f ms\n", loaded - start, created - loaded,
              elapsed - (created - start));
      fflush(stderr);
    }
    result = static_cast<DWORD>(elapsed * 1000.0);
    helper->SetSite(nullptr);
  }
  // The process ends at once: its exit is no part of the figure.
  ExitProcess(result);
}
