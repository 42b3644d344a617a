// MDI frames through real windows: document windows made by a template, activation and the
// menu each puts on the frame, maximised children, the route through the active child, and
// the client window's place beside the bars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appframe_test_ids.h"
#include "platform/appframe/app.h"
#include "platform/appframe/dialog.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/document.h"
#include "platform/appframe/mdi.h"
#include "platform/appframe/status_bar.h"
#include "platform/appframe/view.h"
#include "platform/win/scoped_resource.h"

namespace {

std::vector<std::string> g_ran;

class CSheetDoc : public CDocument {
  DECLARE_DYNCREATE(CSheetDoc)
 public:
  void OnSave() { g_ran.push_back("save " + CString(GetTitle()).ToAnsi()); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSheetDoc, CDocument)
BEGIN_MESSAGE_MAP(CSheetDoc, CDocument)
  ON_COMMAND(ID_TEST_SAVE, OnSave)
END_MESSAGE_MAP()

class CSheetView : public CView {
  DECLARE_DYNCREATE(CSheetView)
 public:
  void OnViewOnly() { g_ran.push_back("view " + CString(GetDocument()->GetTitle()).ToAnsi()); }
  // The document follows its view on the route.
  bool OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) override {
    if (CView::OnCmdMsg(id, code, extra, result, notify)) return true;
    return GetDocument() && GetDocument()->OnCmdMsg(id, code, extra, result, notify);
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSheetView, CView)
BEGIN_MESSAGE_MAP(CSheetView, CView)
  ON_COMMAND(ID_TEST_VIEWONLY, OnViewOnly)
END_MESSAGE_MAP()

class CMainFrame : public CMDIFrameWnd {
 public:
  void OnViewOnly() { g_ran.push_back("frame"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
  ON_COMMAND(ID_TEST_VIEWONLY, OnViewOnly)
END_MESSAGE_MAP()

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class MdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ran.clear();
    ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME));
    app.m_pMainWnd = &frame;
    ASSERT_TRUE(status.Create(&frame));
    frame.ShowWindow(SW_SHOWNOACTIVATE);
    app.AddDocTemplate(std::unique_ptr<CDocTemplate>(
        new CMultiDocTemplate(IDR_DOCTYPE, RUNTIME_CLASS(CSheetDoc), RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CSheetView))));
    doc_template = app.GetDocTemplate(0);
    ASSERT_NE(nullptr, doc_template);
  }
  void TearDown() override {
    frame.DestroyWindow();
    app.m_pMainWnd = nullptr;
  }

  CWinApp app;
  CMainFrame frame;
  CStatusBar status;
  CDocTemplate* doc_template = nullptr;
};

TEST_F(MdiTest, TwoDocumentsEachInAChildWithTheTemplatesMenu) {
  HMENU frame_menu = GetMenu(frame.m_hWnd);
  ASSERT_NE(nullptr, frame_menu);
  EXPECT_EQ(frame.m_hMenuDefault, frame_menu);
  EXPECT_EQ(CString(L"Frame Test"), frame.GetWindowText());

  CDocument* first = app.OpenNewDocument();
  CDocument* second = app.OpenNewDocument();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(CString(L"Sheet1"), first->GetTitle());
  EXPECT_EQ(CString(L"Sheet2"), second->GetTitle());
  EXPECT_EQ(2u, doc_template->GetDocuments().size());

  // The newest is active; its frame shows the template's menu, and the template is the
  // active one (found by its menu as well).
  CMDIChildWnd* active = frame.MDIGetActive();
  ASSERT_NE(nullptr, active);
  EXPECT_EQ(second, active->GetActiveDocument());
  EXPECT_EQ(CString(L"Sheet2"), active->GetWindowText());
  EXPECT_EQ(doc_template->m_hMenuShared, GetMenu(frame.m_hWnd));
  EXPECT_EQ(doc_template, frame.GetActiveTemplate());
  EXPECT_EQ(doc_template, app.FindDocTemplateForMenu(GetMenu(frame.m_hWnd)));
  EXPECT_EQ(nullptr, app.FindDocTemplateForMenu(frame_menu));

  // Commands reach the active child's view, then its document, before the frame.
  frame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_VIEWONLY, 0));
  frame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_SAVE, 0));
  Pump();
  frame.MDINext();
  EXPECT_EQ(first, frame.MDIGetActive()->GetActiveDocument());
  frame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_SAVE, 0));
  Pump();
  EXPECT_EQ((std::vector<std::string>{"view Sheet2", "save Sheet2", "save Sheet1"}), g_ran);

  // Closing both documents brings the frame's own menu back.
  first->OnCloseDocument();
  Pump();
  EXPECT_EQ(doc_template->m_hMenuShared, GetMenu(frame.m_hWnd));
  second->OnCloseDocument();
  Pump();
  frame.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ(nullptr, frame.MDIGetActive());
  EXPECT_EQ(frame_menu, GetMenu(frame.m_hWnd));
  EXPECT_TRUE(doc_template->GetDocuments().empty());
  // With no child the route ends at the frame.
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_VIEWONLY, 0));
  EXPECT_EQ("frame", g_ran.back());
}

TEST_F(MdiTest, AMaximisedChildKeepsNewChildrenMaximised) {
  app.OpenNewDocument();
  CMDIChildWnd* first = frame.MDIGetActive();
  ASSERT_NE(nullptr, first);
  first->MDIMaximize();
  bool maximized = false;
  EXPECT_EQ(first, frame.MDIGetActive(&maximized));
  EXPECT_TRUE(maximized);
  app.OpenNewDocument();
  CMDIChildWnd* second = frame.MDIGetActive(&maximized);
  EXPECT_NE(first, second);
  EXPECT_TRUE(maximized);
  EXPECT_TRUE(IsZoomed(second->m_hWnd));
  second->MDIRestore();
  frame.MDIGetActive(&maximized);
  EXPECT_FALSE(maximized);
}

TEST_F(MdiTest, TheClientWindowTakesWhatTheBarsLeave) {
  CRect r(0, 0, 500, 400);
  AdjustWindowRectEx(&r, frame.GetStyle(), TRUE, frame.GetExStyle());
  frame.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CRect client = frame.GetClientRect();
  CRect mdi;
  GetWindowRect(frame.m_hWndMDIClient, &mdi);
  MapWindowPoints(nullptr, frame.m_hWnd, reinterpret_cast<POINT*>(&mdi), 2);
  CRect bar = status.GetWindowRect();
  MapWindowPoints(nullptr, frame.m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(client.bottom, bar.bottom);
  EXPECT_EQ(CRect(0, 0, client.right, bar.top), mdi);
  EXPECT_EQ(IDW_PANE_FIRST, static_cast<UINT>(GetDlgCtrlID(frame.m_hWndMDIClient)));
}

TEST_F(MdiTest, TheWindowCommandsFollowTheActiveChild) {
  KestrinWinNS::CScopedMenu popup(CreatePopupMenu());
  AppendMenuW(popup.Get(), MF_STRING, ID_WINDOW_CASCADE, L"Cascade");
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.Get()));
  EXPECT_TRUE(GetMenuState(popup.Get(), ID_WINDOW_CASCADE, MF_BYCOMMAND) & MF_GRAYED);
  app.OpenNewDocument();
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.Get()));
  EXPECT_FALSE(GetMenuState(popup.Get(), ID_WINDOW_CASCADE, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
