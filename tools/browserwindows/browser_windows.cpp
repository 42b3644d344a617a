#include "tools/browserwindows/browser_windows.h"

#include <commctrl.h>

namespace test {

std::atomic<int> g_probe_messages{0};

namespace {

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kProbeMessage) ++g_probe_messages;
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                               ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  const char* names[] = {"IEFrame", "WorkerW", "Address Band Root", "TabWindowClass",
                         "Shell DocObject View", "Internet Explorer_Server"};
  for (const char* name : names) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
  }
}

HWND Child(HWND parent, const char* cls, const char* title = "", DWORD style = 0) {
  return CreateWindowExA(0, cls, title, WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 30, parent,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND MakeFrame() {
  RegisterClasses();
  return CreateWindowExA(0, "IEFrame", "Browser", WS_OVERLAPPEDWINDOW, 10, 10, 800, 600, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND Toolbar(HWND parent, const char* title) {
  HWND tb = Child(parent, TOOLBARCLASSNAMEA, title, CCS_NORESIZE | TBSTYLE_LIST);
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBBUTTON buttons[3] = {};
  for (int i = 0; i < 3; ++i) {
    buttons[i].iBitmap = I_IMAGENONE;
    buttons[i].idCommand = 200 + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = BTNS_BUTTON;
  }
  SendMessageA(tb, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(tb, TB_SETBUTTONSIZE, 0, MAKELPARAM(40, 22));
  return tb;
}

}  // namespace

Ie6Frame::Ie6Frame() {
  frame = MakeFrame();
  worker = Child(frame, "WorkerW");
  rebar = Child(worker, REBARCLASSNAMEA);
  combo = Child(rebar, WC_COMBOBOXEXA, "", CBS_DROPDOWN);
  status = Child(frame, STATUSCLASSNAMEA);
  view = Child(frame, "Shell DocObject View");
  document = Child(view, "Internet Explorer_Server");
}

Ie6Frame::~Ie6Frame() { DestroyWindow(frame); }

Ie7Frame::Ie7Frame(int generation) {
  frame = MakeFrame();
  worker = Child(frame, "WorkerW");
  rebar = Child(worker, REBARCLASSNAMEA);
  address_root = Child(rebar, "Address Band Root");
  toolbar = Toolbar(address_root, "Navigation");
  if (generation == 4) toolbar = Toolbar(address_root, "Page Control");
}

Ie7Frame::~Ie7Frame() { DestroyWindow(frame); }

Tab Ie7Frame::AddTab() {
  Tab t;
  t.tab = Child(frame, "TabWindowClass");
  t.status = Child(t.tab, STATUSCLASSNAMEA);
  t.view = Child(t.tab, "Shell DocObject View");
  t.document = Child(t.view, "Internet Explorer_Server");
  tabs.push_back(t);
  return t;
}

}  // namespace test
