// The scripted Internet Explorer as a program of its own, for tests that need a running browser
// with the add-on in another process: it finds the helper objects the add-on registered
// (regsvr32) as the browser finds them, gives each a browser on an Internet Explorer 6 frame,
// prints "ready" and then answers commands read line by line from its input:
//
//   border   the validation border's look as the add-on draws it: the border paints itself
//            into a black picture of the screen's size, and the host prints
//            "border <colour RRGGBB of the outermost pixel> <painted width in pixels>"
//            ("border none" without a border window). The border draws itself once per show,
//            so this is the last thing a test asks before the border is used again.
//   quit     gives up the sites and ends.
//
//   scripted_ie.exe
#include <windows.h>
#include <objbase.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "tools/browserwindows/browser_windows.h"
#include "tools/iehost/host_browser.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;

const UINT kMsgCommand = WM_APP + 1;  // lparam: a line of input (new std::string)

DWORD WINAPI ReadCommands(void* param) {
  DWORD thread = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param));
  char line[256];
  while (fgets(line, sizeof(line), stdin)) {
    std::string* command = new std::string(line);
    while (!command->empty() && (command->back() == '\n' || command->back() == '\r')) command->pop_back();
    if (!PostThreadMessageA(thread, kMsgCommand, 0, reinterpret_cast<LPARAM>(command))) delete command;
  }
  PostThreadMessageA(thread, kMsgCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
  return 0;
}

HWND FindBorderWindow() {
  for (HWND w = FindWindowA("DRAVIX_VERIFICATION_WINDOW", nullptr); w;
       w = FindWindowExA(nullptr, w, "DRAVIX_VERIFICATION_WINDOW", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

// The border paints itself (its erase message) into a black 32-bit picture of the screen; the
// outermost pixel of its left edge halfway down gives the colour, the run of painted pixels
// from there the width.
void PrintBorder() {
  HWND border = FindBorderWindow();
  if (!border) {
    printf("border none\n");
    return;
  }
  const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap picture = KestrinWinNS::CreateDib32(W, H, &bits);
  KestrinWinNS::CScopedMemoryDC dc = KestrinWinNS::CreateMemoryDC(nullptr);
  KestrinWinNS::CSelectObject selected(dc.Get(), picture.Get());
  if (!bits || !selected.IsSelected()) {
    printf("border none\n");
    return;
  }
  SendMessageA(border, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  GdiFlush();
  const DWORD* row = static_cast<const DWORD*>(bits) + static_cast<size_t>(H / 2) * W;
  int width = 0;
  while (width < W / 2 && (row[width] & 0xFFFFFF) != 0) ++width;
  printf("border %06lX %d\n", static_cast<unsigned long>(row[0] & 0xFFFFFF), width);  // 0x00RRGGBB
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 0;
  {
    test::Ie6Frame frame;
    CComPtr<CComObject<iehost::CHostBrowser>> browser;
    browser.Attach(CComObject<iehost::CHostBrowser>::Create(
        L"C:\\Program Files\\Internet Explorer\\iexplore.exe", frame.frame, nullptr));
    std::vector<CComPtr<IObjectWithSite>> objects;
    HRESULT hr = iehost::CreateRegisteredHelperObjects(&objects);
    size_t sited = 0;
    for (CComPtr<IObjectWithSite>& object : objects)
      if (SUCCEEDED(object->SetSite(static_cast<IWebBrowser2*>(browser.get())))) ++sited;
    if (FAILED(hr) || sited == 0) {
      printf("no helper object (0x%08lX, %u found)\n", static_cast<unsigned long>(hr),
             static_cast<unsigned>(objects.size()));
      status = 1;
    } else {
      printf("ready\n");
      KestrinWinNS::CScopedKernelHandle reader(CreateThread(
          nullptr, 0, ReadCommands, reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId())), 0, nullptr));
      bool running = reader.IsValid();
      MSG msg;
      while (running && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd || msg.message != kMsgCommand) {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
          continue;
        }
        std::string* command = reinterpret_cast<std::string*>(msg.lParam);
        if (*command == "border") PrintBorder();
        else if (*command == "quit") running = false;
        else printf("unknown command %s\n", command->c_str());
        delete command;
      }
      // The reader thread may still wait for input; it ends with the process.
      reader.Reset();
    }
    for (CComPtr<IObjectWithSite>& object : objects) object->SetSite(nullptr);
  }
  CoUninitialize();
  return status;
}
