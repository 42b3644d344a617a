#include "platform/appframe/app.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleW(nullptr)) {
  if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::GetApp() { return g_app; }

bool CWinApp::OnIdle(LONG count) {
  if (count == 0) CWnd::DeleteTempMap();
  return false;
}

int CWinApp::ExitInstance() {
  CWnd::DeleteTempMap();
  return exit_code_;
}

bool CWinApp::PreTranslateMessage(MSG* msg) {
  HWND stop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  for (HWND w = msg->hwnd; w; w = ::GetParent(w)) {
    CWnd* wnd = CWnd::FromHandlePermanent(w);
    if (wnd && wnd->PreTranslateMessage(msg)) return true;
    if (w == stop) break;
  }
  return false;
}

bool CWinApp::PumpMessage() {
  if (::GetMessageW(&msg_, nullptr, 0, 0) <= 0) {
    exit_code_ = static_cast<int>(msg_.wParam);
    return false;
  }
  if (!PreTranslateMessage(&msg_)) {
    ::TranslateMessage(&msg_);
    ::DispatchMessageW(&msg_);
  }
  return true;
}

int CWinApp::Run() {
  LONG idle_count = 0;
  bool idle = true;
  for (;;) {
    MSG peek;
    while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idle_count++)) idle = false;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      // Mouse moves and the caret's blink are no reason to run the idle work again.
      if (msg_.message != WM_MOUSEMOVE && msg_.message != WM_NCMOUSEMOVE && msg_.message != 0x0118) {
        idle = true;
        idle_count = 0;
      }
    } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
  }
}

int CWinApp::Main() {
  if (!InitInstance()) {
    ExitInstance();
    return exit_code_;
  }
  return Run();
}
