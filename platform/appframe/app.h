// The application object: one per program. It starts the program (InitInstance), runs the
// message loop of its thread with idle processing, and ends it (ExitInstance).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/recent_file_list.h"
#include "platform/appframe/wnd.h"

class CDocTemplate;
class CDocument;

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
  // True asks for another call before waiting. The first call updates the visible frames of
  // the thread (the main window first): each gets WM_IDLEUPDATECMDUI, updates its bars and
  // consumes its pending layout; then the temporary window objects are freed.
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

  // The document templates (owned), in the order they were added.
  void AddDocTemplate(std::unique_ptr<CDocTemplate> doc_template);
  int GetDocTemplateCount() const { return static_cast<int>(templates_.size()); }
  CDocTemplate* GetDocTemplate(int index) const;
  // The template whose shared menu is `menu`; null when none.
  CDocTemplate* FindDocTemplateForMenu(HMENU menu) const;
  // A new document of the first template.
  CDocument* OpenNewDocument();

  // The recent-file list (made by LoadRecentFileList; null before).
  void LoadRecentFileList(int size = 4);
  virtual void AddToRecentFileList(const wchar_t* path);
  std::unique_ptr<CRecentFileList> m_pRecentFileList;

 protected:
  int exit_code_ = 0;
  MSG msg_ = {};

 private:
  std::vector<std::unique_ptr<CDocTemplate>> templates_;
};
