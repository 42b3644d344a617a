// The framework's demo frame: an MDI frame with two documents side by side, a status bar, the
// MDI client as its client area, and the layout pass that the command bars of the toolkit will
// join (every control-bar child of the frame takes its strip there).
//   frame_demo.exe                 runs until closed
//   frame_demo.exe --shots DIR     shows the frame, writes DIR\frame.ready ("x y w h" of the
//                                  frame) and waits for DIR\frame.done, then ends
//   frame_demo.exe --check         checks where the frame's children stand and what the idle
//                                  update shows; exit code 0 when all is as expected
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "frame_demo_ids.h"
#include "platform/appframe/app.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/document.h"
#include "platform/appframe/mdi.h"
#include "platform/appframe/status_bar.h"
#include "platform/appframe/view.h"

namespace {

class CSheetDocument : public CDocument {
  DECLARE_DYNCREATE(CSheetDocument)
 public:
  int m_nHellos = 0;
};
IMPLEMENT_DYNCREATE(CSheetDocument, CDocument)

class CSheetView : public CView {
  DECLARE_DYNCREATE(CSheetView)
 public:
  void OnDraw(CDC* dc) override {
    CRect r = GetClientRect();
    dc->FillSolidRect(&r, RGB(0xFF, 0xFF, 0xFF));
    CSheetDocument* doc = static_cast<CSheetDocument*>(GetDocument());
    CString text;
    text.Format(L"%s\nA document window of the demo frame.\nHello said %d times.",
                doc ? doc->GetTitle().GetString() : L"", doc ? doc->m_nHellos : 0);
    r.DeflateRect(12, 12);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0x20, 0x30, 0x60));
    dc->DrawText(text, &r, DT_LEFT | DT_TOP | DT_WORDBREAK);
  }
  void OnHello() {
    if (CSheetDocument* doc = static_cast<CSheetDocument*>(GetDocument())) {
      ++doc->m_nHellos;
      doc->UpdateAllViews(nullptr);
    }
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSheetView, CView)
BEGIN_MESSAGE_MAP(CSheetView, CView)
  ON_COMMAND(ID_DEMO_HELLO, OnHello)
END_MESSAGE_MAP()

class CDemoFrame : public CMDIFrameWnd {
 public:
  CStatusBar m_wndStatusBar;
  void OnFileNew() { CWinApp::GetApp()->OpenNewDocument(); }
  void OnAppExit() { SendMessage(WM_CLOSE); }
  void OnUpdateDocs(CCmdUI* ui) {
    int count = 0;
    for (HWND c = ::GetWindow(m_hWndMDIClient, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++count;
    CString text;
    text.Format(L"%d documents", count);
    ui->SetText(text);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDemoFrame, CMDIFrameWnd)
  ON_COMMAND(ID_FILE_NEW, OnFileNew)
  ON_COMMAND(ID_APP_EXIT, OnAppExit)
  ON_UPDATE_COMMAND_UI(ID_INDICATOR_DOCS, OnUpdateDocs)
END_MESSAGE_MAP()

class CDemoApp : public CWinApp {
 public:
  bool InitInstance() override {
    frame_.reset(new CDemoFrame);
    if (!frame_->LoadFrame(IDR_DEMOFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return false;
    m_pMainWnd = frame_.get();
    static const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_DOCS};
    if (!frame_->m_wndStatusBar.Create(frame_.get()) || !frame_->m_wndStatusBar.SetIndicators(kIndicators, 2)) return false;
    AddDocTemplate(std::unique_ptr<CDocTemplate>(new CMultiDocTemplate(
        IDR_DEMOSHEET, RUNTIME_CLASS(CSheetDocument), RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CSheetView))));
    frame_->SetWindowPos(nullptr, 40, 40, 640, 420, SWP_NOZORDER);
    frame_->ShowWindow(SW_SHOW);
    frame_->UpdateWindow();
    OpenNewDocument();
    OpenNewDocument();
    frame_->MDITile(MDITILE_VERTICAL);
    frame_->SendMessage(WM_SETMESSAGESTRING, IDS_IDLEMESSAGE);
    OnIdle(0);
    return true;
  }
  int ExitInstance() override {
    frame_.reset();
    return CWinApp::ExitInstance();
  }
  std::unique_ptr<CDemoFrame> frame_;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

CRect InFrame(HWND frame, HWND child) {
  CRect r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int g_failures = 0;
void Expect(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++g_failures;
}

int Check(CDemoApp& app) {
  CDemoFrame* frame = app.frame_.get();
  Pump();
  app.OnIdle(0);
  CRect client = frame->GetClientRect();
  CRect status = InFrame(frame->m_hWnd, frame->m_wndStatusBar.m_hWnd);
  CRect mdi = InFrame(frame->m_hWnd, frame->m_hWndMDIClient);
  Expect(status.bottom == client.bottom && status.left == 0 && status.right == client.right,
         "the status bar lies along the bottom");
  Expect(mdi == CRect(0, 0, client.right, status.top), "the MDI client takes the rest");
  int children = 0;
  for (HWND c = GetWindow(frame->m_hWndMDIClient, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
  Expect(children == 2, "two document windows");
  Expect(frame->m_wndStatusBar.GetPaneText(1) == CString(L"2 documents"), "the idle update filled the indicator");
  Expect(frame->m_wndStatusBar.GetPaneText(0) == CString(L"Ready"), "the message pane shows the idle text");
  CDocTemplate* sheet = app.GetDocTemplate(0);
  Expect(GetMenu(frame->m_hWnd) == sheet->m_hMenuShared, "the active document's menu is on the frame");
  // A command of the active sheet reaches its view through the frame.
  CSheetDocument* doc = static_cast<CSheetDocument*>(frame->GetActiveDocument());
  frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_DEMO_HELLO, 0));
  Expect(doc && doc->m_nHellos == 1, "Hello reached the active sheet");
  // Resizing lays everything out again.
  frame->SetWindowPos(nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
  client = frame->GetClientRect();
  status = InFrame(frame->m_hWnd, frame->m_wndStatusBar.m_hWnd);
  mdi = InFrame(frame->m_hWnd, frame->m_hWndMDIClient);
  Expect(status.bottom == client.bottom && mdi.bottom == status.top && mdi.right == client.right,
         "after a resize the bars and the client follow");
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}

void Photograph(HWND frame, const std::wstring& shots) {
  Pump();
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::wstring ready = shots + L"\\frame.ready", done = shots + L"\\frame.done";
  std::wstring writing = ready + L".tmp";
  HANDLE file = CreateFileW(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  RECT rc{};
  if (file != INVALID_HANDLE_VALUE && GetWindowRect(frame, &rc)) {
    char line[64];
    int n = wsprintfA(line, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  MoveFileExW(writing.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
  for (int i = 0; i < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    Pump();
    Sleep(100);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring shots;
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    if (!wcscmp(argv[i], L"--shots") && i + 1 < argc) shots = argv[++i];
    if (!wcscmp(argv[i], L"--check")) check = true;
  }
  CDemoApp app;
  if (!app.InitInstance()) {
    std::printf("the demo frame could not be made\n");
    app.ExitInstance();
    return 2;
  }
  if (check) {
    int result = Check(app);
    app.ExitInstance();
    return result;
  }
  if (!shots.empty()) {
    // The pointer over the Sheet menu's item, so the status bar shows its message.
    app.frame_->SendMessage(WM_SETMESSAGESTRING, ID_DEMO_HELLO);
    Photograph(app.frame_->m_hWnd, shots);
    app.ExitInstance();
    return 0;
  }
  return app.Run();
}
