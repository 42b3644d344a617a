// The application object: one per program. It starts the program (InitInstance), runs the
// message loop of its thread with idle processing, and ends it (ExitInstance).
#pragma once

#include <windows.h>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/wnd.h"

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)
 public:
  CWinApp();
  ~CWinApp() override;

  // The program's application object, or null.
  static CWinApp* GetApp();

  // False ends the program before the message loop.
  virtual bool InitInstance() { return true; }
  // Runs until WM_QUIT; returns ExitInstance's exit code.
  virtual int Run();
  // Called when the queue is empty; `count` is the number of calls since the last message.
  // True asks for another call before waiting.
  virtual bool OnIdle(LONG count);
  virtual int ExitInstance();
  // Gives the windows from the message's window up to the main window a chance to take the
  // message before it is dispatched.
  virtual bool PreTranslateMessage(MSG* msg);
  // Pumps one message; false on WM_QUIT.
  bool PumpMessage();

  // The whole program: InitInstance, then Run (or ExitInstance when InitInstance failed).
  int Main();

  HINSTANCE m_hInstance;
  CWnd* m_pMainWnd = nullptr;   // not owned

 protected:
  int exit_code_ = 0;
  MSG msg_ = {};
};
