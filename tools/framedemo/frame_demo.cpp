// The framework's demo frame: an MDI frame with two documents side by side, the toolkit's menu
// bar (showing the frame's menu, or the active document's) and tool bar docked at the top, a tab
// strip of the open documents below them, a status bar, and the MDI client in what is left. The
// bars are control bars of the frame: its layout pass places them, its idle update sets their
// states, and their commands take the frame's route.
//   frame_demo.exe [--theme N]             runs until closed (N: the paint theme's number)
//                  [--scheme S]            S: the colour scheme of the gradient looks
//   frame_demo.exe [--theme N] --shots DIR shows the frame with the File menu open, writes
//                                          DIR\frame.ready ("x y w h" of the frame) and waits
//                                          for DIR\frame.done, then ends
//   frame_demo.exe --check                 checks where the frame's children stand, what the
//                                          idle update shows and how tabs and documents follow
//                                          each other; exit code 0 when all is as expected
//   frame_demo.exe --check --ribbon        checks the ribbon in place of the menu and tool bars
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo_extras.h"
#include "frame_demo_ids.h"
#include "ribbon_demo.h"
#include "platform/appframe/app.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/gdi.h"
#include "platform/appframe/document.h"
#include "platform/appframe/mdi.h"
#include "platform/appframe/status_bar.h"
#include "platform/appframe/view.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_effects.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_theme.h"
#include "toolkit/tabs/tab_control.h"

namespace {

using namespace TKCommandBars;

// Bar ids from the control-bar range, clear of the status bar's.
const UINT kIdToolBar = IDW_TOOLBAR, kIdMenuBar = IDW_CONTROLBAR_FIRST + 0x10, kIdTabBar = IDW_CONTROLBAR_FIRST + 0x11,
           kIdTabs = 1, kIdSideBars = IDW_CONTROLBAR_FIRST + 0x20;
// With --extras: a gallery in the tool bar and a dialog bar at the left.
bool g_extras = false;
// With --ribbon: a ribbon in place of the menu and tool bars, drawing the frame's caption.
bool g_ribbon = false;
// The frame's width (--width).
int g_frame_width = 640;

// A command bar that lays its controls out in one pass at the length it is given.
class CDemoCommandBar : public CTKCommandBar {
 public:
  CSize CalcSize(int length, DWORD mode) override { return LayoutControls(length, CTKControls::kLayoutCommit | mode); }
};

// A bar that the mouse moves between the frame's sides and floating: pressed where no control
// lies it follows the pointer, double-clicked there it toggles between docked and floating.
template <class Bar>
class CDemoDocking : public Bar {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && !this->GetControls()->HitTest(pt)) {
      ::ClientToScreen(this->GetSafeHwnd(), &pt);
      if (message == WM_LBUTTONDOWN)
        this->EnableDockContext()->StartMove(pt);
      else
        this->EnableDockContext()->ToggleDocking();
      return 0;
    }
    return Bar::WindowProc(message, wparam, lparam);
  }
};
using CDemoDockingBar = CDemoDocking<CDemoCommandBar>;


// The strip of the open documents: a tab control in a bar docked below the tool bars. At each
// idle update it follows the MDI client's children (a tab per document, the active one
// selected); selecting a tab activates its document.
class CDocumentTabBar : public CControlBar {
 public:
  CTKTabControl m_wndTabs;
  int m_nHeight = 24;

  CSize CalcFixedLayout(bool stretch, bool horizontal) override {
    return horizontal ? CSize(stretch ? 32767 : 200, m_nHeight) : CSize(m_nHeight, stretch ? 32767 : 200);
  }
  void OnUpdateCmdUI(CFrameWnd* target, bool) override { Follow(static_cast<CMDIFrameWnd*>(target)); }

  // The tabs after the MDI client's children: closed documents lose theirs, new ones get one
  // at the end, captions follow the window titles, the active child's tab is selected.
  void Follow(CMDIFrameWnd* frame) {
    if (!frame || !frame->m_hWndMDIClient) return;
    following_ = true;
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(frame->m_hWndMDIClient, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
      if (!::GetWindow(c, GW_OWNER)) children.push_back(c);
    for (int i = m_wndTabs.ItemCount() - 1; i >= 0; --i) {
      HWND w = reinterpret_cast<HWND>(m_wndTabs.ItemAtIndex(i)->Data());
      if (std::find(children.begin(), children.end(), w) == children.end()) m_wndTabs.RemoveItem(i);
    }
    // New children in the order they were made: the z-order lists the newest first.
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if (FindTab(*it) < 0) m_wndTabs.AddItem(L"", -1, reinterpret_cast<ULONG_PTR>(*it));
    bool changed = false;
    for (int i = 0; i < m_wndTabs.ItemCount(); ++i) {
      CTKTabManagerItem* item = m_wndTabs.ItemAtIndex(i);
      wchar_t title[128] = L"";
      ::GetWindowTextW(reinterpret_cast<HWND>(item->Data()), title, 128);
      if (item->Caption() != title) {
        item->SetCaption(title);
        changed = true;
      }
    }
    CMDIChildWnd* active = frame->MDIGetActive();
    int index = active ? FindTab(active->m_hWnd) : -1;
    if (index >= 0 && index != m_wndTabs.SelectedIndex()) m_wndTabs.SelectIndex(index);
    if (changed) m_wndTabs.Relayout();
    following_ = false;
  }
  int FindTab(HWND child) const {
    for (int i = 0; i < m_wndTabs.ItemCount(); ++i)
      if (reinterpret_cast<HWND>(m_wndTabs.ItemAtIndex(i)->Data()) == child) return i;
    return -1;
  }

 protected:
  int OnCreate(LPCREATESTRUCTW cs) {
    if (CControlBar::OnCreate(cs) == -1) return -1;
    if (!m_wndTabs.Create(m_hWnd, RECT{0, 0, 200, m_nHeight}, kIdTabs)) return -1;
    return 0;
  }
  void OnSize(UINT, int cx, int cy) {
    if (m_wndTabs.m_hWnd) m_wndTabs.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void OnSelChange(NMHDR*, LRESULT* result) {
    *result = 0;
    if (following_ || !m_wndTabs.Selected()) return;
    CMDIFrameWnd* frame = static_cast<CMDIFrameWnd*>(GetDockingFrame());
    HWND child = reinterpret_cast<HWND>(m_wndTabs.Selected()->Data());
    if (frame && ::IsWindow(child)) frame->MDIActivate(CWnd::FromHandle(child));
  }
  DECLARE_MESSAGE_MAP()

 private:
  bool following_ = false;
};
BEGIN_MESSAGE_MAP(CDocumentTabBar, CControlBar)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_NOTIFY(TCN_SELCHANGE, kIdTabs, OnSelChange)
END_MESSAGE_MAP()

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
  ~CDemoFrame() override {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    if (m_pRibbon) {
      DetachDemoRibbon(this);
      if (m_pRibbon->GetSafeHwnd()) m_pRibbon->DestroyWindow();
      m_pRibbon->Release();
    }
    for (CTKCommandBar* bar : {static_cast<CTKCommandBar*>(m_pMenuBar), static_cast<CTKCommandBar*>(m_pToolBar),
                               static_cast<CTKCommandBar*>(m_pSideBars[0]), static_cast<CTKCommandBar*>(m_pSideBars[1]),
                               static_cast<CTKCommandBar*>(m_pSideBars[2]), static_cast<CTKCommandBar*>(m_pSideBars[3]),
                               static_cast<CTKCommandBar*>(m_pPanelBar)})
      if (bar) {
        if (bar->GetSafeHwnd()) bar->DestroyWindow();
        bar->Release();
      }
  }
  CStatusBar m_wndStatusBar;
  CTKShadowPopupEffects m_popupEffects;  // the menus' drop shadows
  CTKCommandBarManager m_barManager;
  CTKMenuBar* m_pMenuBar = nullptr;
  CTKToolBar* m_pToolBar = nullptr;
  CTKToolBar* m_pWindowBar = nullptr;  // floating; the manager holds it
  // Bars docked at the bottom, left and right, and one floating.
  CDemoCommandBar* m_pSideBars[4] = {};
  CTKDialogBar* m_pPanelBar = nullptr;  // with --extras
  CTKRibbonBar* m_pRibbon = nullptr;     // with --ribbon
  CDocumentTabBar m_wndTabBar;
  HMENU m_hMenuShown = nullptr;

  // The menu bar, the tool bar and the document tabs, docked at the top in that order.
  bool CreateBars() {
    m_barManager.SetSite(m_hWnd);
    m_barManager.SetPopupEffects(&m_popupEffects);
    if (g_ribbon) {
      // The ribbon takes the place of the menu bar and the tool bars; the frame has no menu.
      ::SetMenu(m_hWnd, nullptr);
      m_hMenuDefault = nullptr;
      m_pRibbon = CreateDemoRibbon(this, &m_barManager);
      return m_pRibbon != nullptr;
    }
    // The menu bar from the frame's menu resource; it takes the frame's menu away and follows
    // the documents' menus.
    m_pMenuBar = new CTKMenuBar;
    m_pMenuBar->SetGripperVisible(false);
    m_pMenuBar->SetShowExpandButton(false);
    m_pMenuBar->SetCommandBarManager(&m_barManager);
    m_pMenuBar->SetBarStyle(CBRS_TOP);
    m_pMenuBar->SetFlags(0x2000);
    if (!m_pMenuBar->Create(m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, kIdMenuBar)) return false;
    if (!m_pMenuBar->LoadMenuBar(IDR_DEMOFRAME)) return false;
    m_barManager.SetMenuBar(m_pMenuBar);
    OnUpdateFrameMenu(nullptr);

    for (int i = 0; i < 5; ++i) {
      KestrinWinNS::CScopedIcon icon(MakeDemoIcon(i, 16));
      CTKImageManager::Instance().AddIconImage(icon.Get(), kIconIds[i], 16, 16, 0);  // the image manager keeps a copy
    }
    // The dock bars lie inside the menu bar and outside the document tabs. Two tool bars from
    // the program's tool-bar resources: the standard one docked below the menu bar (the mouse
    // moves it to any side), the window commands floating.
    if (!CTKDockBar::CreateDockBars(this, &m_barManager)) return false;
    m_pToolBar = new CTKToolBar;
    m_pToolBar->SetCommandBarManager(&m_barManager);
    m_pToolBar->SetBarStyle(CBRS_TOP);
    m_pToolBar->SetFlags(TKDockFlags::kAnySide | TKDockFlags::kFloat);
    m_pToolBar->SetTitle(L"Standard");
    if (!m_pToolBar->LoadToolBar(::GetModuleHandleW(nullptr), IDR_TB_STANDARD, false)) return false;
    m_pToolBar->GetControl(2)->SetCaption(L"Hello");
    m_pToolBar->GetControl(2)->SetStyle(3);
    CTKControl* sheet = m_pToolBar->GetControls()->Add(kButtonPopup, 0);
    sheet->SetCaption(L"Sheets");
    sheet->SetStyle(3);
    sheet->SetBeginGroup(true);
    CTKControlPopup* popup = static_cast<CTKControlPopup*>(sheet);
    CTKPopupBar* items = CTKPopupBar::CreatePopupBar(&m_barManager);
    items->GetControls()->Add(kButton, ID_FILE_NEW)->SetCaption(L"&New sheet");
    items->GetControls()->Add(kButton, ID_DEMO_HELLO)->SetCaption(L"Say &hello");
    CTKControl* close = items->GetControls()->Add(kButton, ID_FILE_CLOSE);
    close->SetCaption(L"&Close sheet");
    close->SetBeginGroup(true);
    popup->SetCommandBar(items);
    items->Release();
    if (g_extras) AddDemoGallery(m_pToolBar);
    // A combo box with a grey hint and a drop-down of zoom levels.
    CTKControlComboBox* zoom = static_cast<CTKControlComboBox*>(m_pToolBar->GetControls()->Add(kComboBox, 0));
    zoom->SetDropDownListStyle(false);
    zoom->SetEditHint(L"Zoom");
    zoom->SetBeginGroup(true);
    for (const wchar_t* level : {L"50%", L"100%", L"200%"}) zoom->GetList()->AddString(level);
    if (!m_pToolBar->Create(m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, kIdToolBar)) return false;
    CTKDockContext::DockBar(m_pToolBar, CTKDockBar::FromSide(m_hWnd, 0), nullptr);
    if (!CreateSideBars()) return false;
    if (g_extras && !(m_pPanelBar = CreateDemoDialogBar(this, &m_barManager, IDD_DEMOPANEL, IDW_CONTROLBAR_FIRST + 0x12)))
      return false;
    m_pWindowBar = m_barManager.AddToolBar(L"Windows", IDR_TB_WINDOWS);
    if (!m_pWindowBar->LoadToolBar(::GetModuleHandleW(nullptr), IDR_TB_WINDOWS, false)) return false;
    m_pWindowBar->SetWidth(80);
    if (!m_pWindowBar->CreateToolBar(m_hWnd, true)) return false;
    m_pWindowBar->OnRecalcLayout();

    if (!m_wndTabBar.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, this, kIdTabBar, CBRS_TOP)) return false;
    m_wndTabBar.m_wndTabs.Relayout();
    const RECT& header = m_wndTabBar.m_wndTabs.HeaderRect();
    if (header.bottom - header.top > 0) m_wndTabBar.m_nHeight = header.bottom - header.top + 2;
    RecalcLayout();
    return true;
  }

  // Small bars of the frame's commands at the bottom, left and right, and one floating over
  // the documents; each may go to any side or float.
  bool CreateSideBars() {
    static const UINT kIds[4][3] = {{ID_FILE_NEW, ID_DEMO_HELLO, ID_WINDOW_CASCADE},
                                    {ID_FILE_CLOSE, ID_WINDOW_TILE_HORZ, 0},
                                    {ID_DEMO_HELLO, ID_FILE_NEW, 0},
                                    {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_DEMO_HELLO}};
    static const wchar_t* kTitles[4] = {L"Bottom", L"Left", L"Right", L"Floating"};
    for (int i = 0; i < 4; ++i) {
      CDemoCommandBar* bar = new CDemoDockingBar;
      m_pSideBars[i] = bar;
      bar->SetCommandBarManager(&m_barManager);
      bar->SetFlags(TKDockFlags::kAnySide | TKDockFlags::kFloat);
      bar->SetTitle(kTitles[i]);
      for (UINT id : kIds[i])
        if (id) bar->GetControls()->Add(kButton, static_cast<int>(id));
      if (!bar->Create(m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, kIdSideBars + i)) return false;
      if (i < 3) {
        CTKDockContext::DockBar(bar, CTKDockBar::FromSide(m_hWnd, i + 1), nullptr);
      } else {
        CPoint at(320, 220);
        ::ClientToScreen(m_hWnd, &at);
        CTKDockContext::FloatBar(bar, at);
      }
    }
    return true;
  }

  // The menu bar takes the menu the frame would show: the active document's, else its own.
  void OnUpdateFrameMenu(HMENU alternate) override {
    if (g_ribbon) return;  // the ribbon stands for the menus
    CMDIFrameWnd::OnUpdateFrameMenu(alternate);
    HMENU menu = alternate ? alternate : m_hMenuDefault;
    if (!m_pMenuBar || !menu || menu == m_hMenuShown) return;
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    m_pMenuBar->RefreshMDIControls();
    m_hMenuShown = menu;
    DelayRecalcLayout();
    m_pMenuBar->Invalidate();
  }

  void OnFileNew() { CWinApp::GetApp()->OpenNewDocument(); }
  void OnFileClose() {
    if (CMDIChildWnd* child = MDIGetActive()) child->SendMessage(WM_CLOSE);
  }
  void OnUpdateFileClose(CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); }
  void OnAppExit() { SendMessage(WM_CLOSE); }
  void OnUpdateDocs(CCmdUI* ui) {
    int count = 0;
    for (HWND c = ::GetWindow(m_hWndMDIClient, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++count;
    CString text;
    text.Format(L"%d documents", count);
    ui->SetText(text);
  }
  static constexpr UINT kIconIds[] = {ID_FILE_NEW, ID_FILE_CLOSE, ID_DEMO_HELLO, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ};
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDemoFrame, CMDIFrameWnd)
  ON_COMMAND(ID_FILE_NEW, OnFileNew)
  ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
  ON_UPDATE_COMMAND_UI(ID_FILE_CLOSE, OnUpdateFileClose)
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
    if (!frame_->CreateBars()) return false;
    if (!frame_->m_wndStatusBar.Create(frame_.get()) || !frame_->m_wndStatusBar.SetIndicators(kIndicators, 2)) return false;
    // The status bar takes its strip first, below the bottom dock bar.
    ::SetWindowPos(frame_->m_wndStatusBar.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AddDocTemplate(std::unique_ptr<CDocTemplate>(new CMultiDocTemplate(
        IDR_DEMOSHEET, RUNTIME_CLASS(CSheetDocument), RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CSheetView))));
    frame_->SetWindowPos(nullptr, 40, 40, g_frame_width, g_ribbon ? 480 : 420, SWP_NOZORDER);
    if (frame_->m_pWindowBar)
      ::SetWindowPos(frame_->m_pWindowBar->GetSafeHwnd(), nullptr, 500, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

// A click on a tool-bar button, the release waiting in the queue for the press loop.
void ClickButton(CTKCommandBar* bar, int index) {
  CPoint pt = bar->GetControl(index)->GetRect().CenterPoint();
  ::PostMessageW(bar->GetSafeHwnd(), WM_LBUTTONUP, 0, At(pt));
  ::SendMessageW(bar->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
  Pump();
}

int Check(CDemoApp& app) {
  CDemoFrame* frame = app.frame_.get();
  Pump();
  app.OnIdle(0);
  CRect client = frame->GetClientRect();
  CRect status = InFrame(frame->m_hWnd, frame->m_wndStatusBar.m_hWnd);
  CRect mdi = InFrame(frame->m_hWnd, frame->m_hWndMDIClient);
  CRect menu = InFrame(frame->m_hWnd, frame->m_pMenuBar->GetSafeHwnd());
  CRect tools = InFrame(frame->m_hWnd, frame->m_pToolBar->GetSafeHwnd());
  CRect tabs = InFrame(frame->m_hWnd, frame->m_wndTabBar.m_hWnd);
  Expect(status.bottom == client.bottom && status.left == 0 && status.right == client.right,
         "the status bar lies along the bottom");
  Expect(menu == CRect(0, 0, client.right, menu.bottom) && menu.Height() > 0, "the menu bar lies along the top");
  CRect top_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 0)->GetSafeHwnd());
  CRect bottom_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 1)->GetSafeHwnd());
  CRect left_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 2)->GetSafeHwnd());
  CRect right_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 3)->GetSafeHwnd());
  Expect(top_dock == CRect(0, menu.bottom, client.right, top_dock.bottom) && tools.left == 0 &&
             tools.top == menu.bottom && tools.bottom == top_dock.bottom && tools.Height() > 0,
         "the tool bar lies docked at the top, below the menu bar");
  Expect(tabs == CRect(left_dock.right, top_dock.bottom, right_dock.left, tabs.bottom) && tabs.Height() > 0,
         "the document tabs lie below the top dock bar, between the side ones");
  Expect(bottom_dock.bottom == status.top && bottom_dock.Height() > 0 && left_dock.Width() > 0 &&
             right_dock.Width() > 0 && right_dock.right == client.right && left_dock.left == 0,
         "bars are docked at the bottom, left and right, inside the status bar");
  Expect(mdi == CRect(left_dock.right, tabs.bottom, right_dock.left, bottom_dock.top), "the MDI client takes the rest");
  for (int i = 0; i < 3; ++i)
    Expect(frame->m_pSideBars[i]->GetDockBar() == CTKDockBar::FromSide(frame->m_hWnd, i + 1) &&
               frame->m_pSideBars[i]->GetPosition() == i + 1,
           "a side bar lies in its dock bar");
  CTKCommandBar* floating = frame->m_pSideBars[3];
  Expect(floating->GetPosition() == kFloating && !floating->GetDockBar() && ::IsWindowVisible(floating->GetSafeHwnd()) &&
             ::GetAncestor(floating->GetSafeHwnd(), GA_ROOT) == floating->GetSafeHwnd(),
         "a bar floats in a window of its own");
  // A double click on the floating bar's caption docks it at the top; another floats it again.
  ::SendMessageW(floating->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(1, 1));
  Expect(floating->GetDockBar() == CTKDockBar::FromSide(frame->m_hWnd, 0), "the double click docks it");
  ::SendMessageW(floating->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(1, 1));
  Expect(floating->GetPosition() == kFloating, "another floats it again");
  int children = 0;
  for (HWND c = GetWindow(frame->m_hWndMDIClient, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
  Expect(children == 2, "two document windows");
  Expect(frame->m_wndStatusBar.GetPaneText(1) == CString(L"2 documents"), "the idle update filled the indicator");
  Expect(frame->m_wndStatusBar.GetPaneText(0) == CString(L"Ready"), "the message pane shows the idle text");
  CDocTemplate* sheet = app.GetDocTemplate(0);
  Expect(GetMenu(frame->m_hWnd) == nullptr && frame->m_hMenuShown == sheet->m_hMenuShared,
         "the menu bar shows the active document's menu, the frame has none");
  Expect(frame->m_pMenuBar->GetControlCount() == 3 && frame->m_pMenuBar->GetControl(1)->GetCaption() == L"&Sheet",
         "the menu bar's titles are the document menu's");
  // The idle update gave the tool bar's buttons the states of the frame's route.
  CTKCommandBar* bar = frame->m_pToolBar;
  Expect(bar->GetControl(1)->GetEnabled() && bar->GetControl(2)->GetEnabled(),
         "Close and Hello are enabled while a document is active");

  // The tabs follow the documents; the active one's tab is selected.
  CTKTabControl& strip = frame->m_wndTabBar.m_wndTabs;
  CMDIChildWnd* active = frame->MDIGetActive();
  Expect(strip.ItemCount() == 2, "a tab for each document");
  Expect(active && strip.Selected() && reinterpret_cast<HWND>(strip.Selected()->Data()) == active->m_hWnd,
         "the active document's tab is selected");
  Expect(strip.ItemCount() == 2 && strip.ItemAtIndex(0)->Caption() == L"Sheet1" &&
             strip.ItemAtIndex(1)->Caption() == L"Sheet2",
         "the tabs are titled after the documents, in the order they were opened");
  // A click on the other tab activates its document.
  int other = strip.SelectedIndex() == 0 ? 1 : 0;
  if (strip.ItemCount() == 2) {
    CPoint pt = CRect(strip.ItemAtIndex(other)->Rect()).CenterPoint();
    ::PostMessageW(strip.m_hWnd, WM_LBUTTONUP, 0, At(pt));
    ::SendMessageW(strip.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
    Pump();
    active = frame->MDIGetActive();
    Expect(strip.SelectedIndex() == other && active &&
               reinterpret_cast<HWND>(strip.ItemAtIndex(other)->Data()) == active->m_hWnd,
           "clicking a tab activates its document");
    // Activating the other document selects its tab at the next idle.
    frame->MDIActivate(CWnd::FromHandle(reinterpret_cast<HWND>(strip.ItemAtIndex(1 - other)->Data())));
    app.OnIdle(0);
    Expect(strip.SelectedIndex() == 1 - other, "the activated document's tab is selected after the idle update");
  }
  // A tool-bar button's command reaches the active sheet's view through the frame.
  CSheetDocument* doc = static_cast<CSheetDocument*>(frame->GetActiveDocument());
  ClickButton(bar, 2);
  Expect(doc && doc->m_nHellos == 1, "Hello from the tool bar reached the active sheet");
  frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_DEMO_HELLO, 0));
  Expect(doc && doc->m_nHellos == 2, "Hello from the menu's command reached the active sheet");
  // New from the tool bar: the frame opens a third document; it gets a tab, and it is selected.
  ClickButton(bar, 0);
  app.OnIdle(0);
  active = frame->MDIGetActive();
  Expect(strip.ItemCount() == 3 && active && strip.Selected() &&
             reinterpret_cast<HWND>(strip.Selected()->Data()) == active->m_hWnd,
         "a new document gets a selected tab");
  // Close from the tool bar: the tab goes with the document.
  ClickButton(bar, 1);
  app.OnIdle(0);
  Expect(strip.ItemCount() == 2, "a closed document's tab goes");
  // Resizing lays everything out again.
  frame->SetWindowPos(nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER);
  app.OnIdle(0);
  client = frame->GetClientRect();
  status = InFrame(frame->m_hWnd, frame->m_wndStatusBar.m_hWnd);
  mdi = InFrame(frame->m_hWnd, frame->m_hWndMDIClient);
  CRect narrow_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 0)->GetSafeHwnd());
  right_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 3)->GetSafeHwnd());
  bottom_dock = InFrame(frame->m_hWnd, CTKDockBar::FromSide(frame->m_hWnd, 1)->GetSafeHwnd());
  tabs = InFrame(frame->m_hWnd, frame->m_wndTabBar.m_hWnd);
  Expect(narrow_dock.right == client.right && tabs.top == narrow_dock.bottom && mdi.top == tabs.bottom,
         "after a resize the bars stay stacked at the top");
  Expect(status.bottom == client.bottom && bottom_dock.bottom == status.top && mdi.bottom == bottom_dock.top &&
             right_dock.right == client.right && mdi.right == right_dock.left,
         "after a resize the bars and the client follow");
  Expect(frame->m_pWindowBar->IsBarVisible() && frame->m_pWindowBar->GetPosition() == kFloating &&
             frame->m_pWindowBar->GetControl(0)->GetID() == 0xE132 && frame->m_pWindowBar->GetControl(1)->GetID() == 0xE133,
         "the window commands float in a tool bar of their own, loaded from its resource");
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}

// With the ribbon: it lies along the top and keeps what it was given, its system button with
// the system menu and the three quick-access buttons.
int CheckRibbon(CDemoApp& app) {
  CDemoFrame* frame = app.frame_.get();
  Pump();
  CTKRibbonBar* ribbon = frame->m_pRibbon;
  Expect(ribbon && ribbon->GetSafeHwnd(), "the ribbon is made");
  if (!ribbon || !ribbon->GetSafeHwnd()) return 1;
  const CRect client = frame->GetClientRect();
  const CRect at = InFrame(frame->m_hWnd, ribbon->GetSafeHwnd());
  Expect(at.left == 0 && at.top == 0 && at.right == client.right && at.Height() > 0, "the ribbon lies along the top");
  CTKControl* system = ribbon->SystemButton();
  Expect(system && system->GetCommandBar(), "the system button keeps its menu");
  bool held = false;
  for (int i = 0; i < ribbon->GetControlCount(); ++i) held = held || ribbon->GetControl(i) == system;
  Expect(held, "the ribbon's controls hold the system button");
  Expect(ribbon->QuickAccessControls()->GetCount() == 3, "the quick-access bar holds save, undo and redo");
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}

void Photograph(HWND frame, const std::wstring& shots) {
  Pump();
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::wstring ready = shots + L"\\frame.ready", done = shots + L"\\frame.done";
  std::wstring writing = ready + L".tmp";
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileW(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  RECT rc{};
  if (file && GetWindowRect(frame, &rc)) {
    char line[64];
    int n = wsprintfA(line, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    DWORD written = 0;
    WriteFile(file.Get(), line, static_cast<DWORD>(n), &written, nullptr);
  }
  file.Reset();  // closed before the rename
  MoveFileExW(writing.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
  for (int i = 0; i < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    Pump();
    Sleep(100);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring shots, open;
  bool check = false;
  int theme = 0;
  for (int i = 1; i < argc; ++i) {
    if (!wcscmp(argv[i], L"--theme") && i + 1 < argc) theme = static_cast<int>(wcstol(argv[++i], nullptr, 10));
    if (!wcscmp(argv[i], L"--shots") && i + 1 < argc) shots = argv[++i];
    if (!wcscmp(argv[i], L"--check")) check = true;
    // The colour scheme the Office 2003 and Whidbey looks follow: 1 blue, 2 olive, 3 silver.
    if (!wcscmp(argv[i], L"--scheme") && i + 1 < argc)
      GetColorManagerInstance().SetThemeSetting(static_cast<int>(wcstol(argv[++i], nullptr, 10)));
    // The Office 2007 image set from its resource module, and the gallery and dialog bar.
    if (!wcscmp(argv[i], L"--imageset") && i + 1 < argc)
      GetOffice2007ImageSet().AttachResourceModule(::LoadLibraryW(argv[++i]), nullptr, true);
    if (!wcscmp(argv[i], L"--extras")) g_extras = true;
    if (!wcscmp(argv[i], L"--ribbon")) g_ribbon = true;
    if (!wcscmp(argv[i], L"--width") && i + 1 < argc) g_frame_width = static_cast<int>(wcstol(argv[++i], nullptr, 10));
    // With the ribbon's picture: "group" opens a collapsed group, "system" the system menu.
    if (!wcscmp(argv[i], L"--open") && i + 1 < argc) open = argv[++i];
  }
  CTKRibbonTheme::RegisterWithThemeFactory();
  InstallThemeByNumber(theme);
  CDemoApp app;
  if (!app.InitInstance()) {
    std::printf("the demo frame could not be made\n");
    app.ExitInstance();
    return 2;
  }
  if (check) {
    int result = g_ribbon ? CheckRibbon(app) : Check(app);
    app.ExitInstance();
    return result;
  }
  if (!shots.empty() && app.frame_->m_pRibbon) {
    Pump();
    if (open == L"group" && !OpenDemoCollapsedGroup(app.frame_->m_pRibbon))
      std::printf("no group of the ribbon is collapsed at this width\n");
    if (open == L"system" && !OpenDemoSystemMenu(app.frame_->m_pRibbon)) std::printf("the system menu did not open\n");
    Photograph(app.frame_->m_hWnd, shots);
    app.ExitInstance();
    return 0;
  }
  if (!shots.empty()) {
    // The pointer over the Sheet menu's item, so the status bar shows its message.
    app.frame_->SendMessage(WM_SETMESSAGESTRING, ID_DEMO_HELLO);
    // The Sheet menu open by the keyboard path, its Hello item hot.
    CTKCommandBar* menu = app.frame_->m_pMenuBar;
    menu->SetPopupOpen(1, true);
    if (CTKCommandBar* popup = menu->GetControl(1)->GetCommandBar()) popup->SetHotControl(0, CTKCommandBar::kHotKeyForward);
    Photograph(app.frame_->m_hWnd, shots);
    app.ExitInstance();
    return 0;
  }
  return app.Run();
}
