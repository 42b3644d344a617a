#include "tray/tray_app.h"

#include <commctrl.h>

#include <new>

#include "toolkit/skin/skin_manager.h"

const char kTrayMutexName[] = "DravixTaskTrayLoadMutex";

CDravixTrayMFCApp::CDravixTrayMFCApp(ITrayServices* services)
    : m_services(services), m_trayMutex(kTrayMutexName, 1) {}

CDravixTrayMFCApp::~CDravixTrayMFCApp() {
  m_pMainWnd = nullptr;
  m_mainWindow.reset();
  // The skin ends here, on the program's thread, not in an exit-time destructor.
  ReleaseSkinManager();
}

bool CDravixTrayMFCApp::StartUp() {
  // 0: the mutex existed already, another instance runs. A failed test goes on.
  UtilityClassesNS::CMutexAbstract* mutex = m_trayMutex.Get();
  if (mutex && mutex->IsCreator() == S_OK) return false;

  m_skinFile.SetFolder(GuiNS::GetTempFolder().c_str());
  m_skinFile.Load(GuiNS::CVistaStyle::GetInstance());

  InitCommonControls();

  WNDCLASSW wc = {};
  wc.hInstance = m_hInstance;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kTrayWindowClass;
  RegisterClassW(&wc);

  m_mainWindow.reset(new (std::nothrow) CDravixTrayMFCDlg(m_services));
  if (!m_mainWindow) return false;
  m_pMainWnd = m_mainWindow.get();
  return m_mainWindow->CreateHiddenWindow();
}
