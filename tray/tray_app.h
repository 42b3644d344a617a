// The tray program's application object: one instance per session, the skin, the hidden main
// window and its message loop.
#pragma once

#include <windows.h>

#include <memory>

#include "common/utility/mutex.h"
#include "platform/appframe/app.h"
#include "tray/skin_style.h"
#include "tray/tray_services.h"
#include "tray/tray_window.h"

extern const char kTrayMutexName[];   // "DravixTaskTrayLoadMutex"

class CDravixTrayMFCApp : public CWinApp {
 public:
  explicit CDravixTrayMFCApp(ITrayServices* services);
  ~CDravixTrayMFCApp() override;

  // False when another instance runs in this session or the window cannot be made.
  bool StartUp();
  bool InitInstance() override { return StartUp(); }

  CDravixTrayMFCDlg* GetMainWindow() const { return m_mainWindow.get(); }
  GuiNS::CSkinFileHolder& GetSkinFile() { return m_skinFile; }

 private:
  ITrayServices* m_services;   // not owned
  UtilityClassesNS::CMutexHolder m_trayMutex;
  GuiNS::CSkinFileHolder m_skinFile;
  std::unique_ptr<CDravixTrayMFCDlg> m_mainWindow;
};
