#include "platform/appframe/app.h"

#include "platform/appframe/doc_template.h"
#include "platform/appframe/frame_wnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleW(nullptr)) {
  if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
  templates_.clear();
}

CWinApp* CWinApp::GetApp() { return g_app; }

namespace {
struct IdleFrames {
  HWND main;
  std::vector<HWND> frames;
};

BOOL CALLBACK CollectFrame(HWND window, LPARAM param) {
  IdleFrames* found = reinterpret_cast<IdleFrames*>(param);
  if (window == found->main || !::IsWindowVisible(window) || ::IsIconic(window)) return TRUE;
  CWnd* wnd = CWnd::FromHandlePermanent(window);
  if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) found->frames.push_back(window);
  return TRUE;
}
}  // namespace

bool CWinApp::OnIdle(LONG count) {
  if (count == 0) {
    // The main window first, then the thread's other visible top-level frames (floating
    // frames of bars among them).
    IdleFrames found = {m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, {}};
    if (found.main && ::IsWindowVisible(found.main) && !::IsIconic(found.main)) found.frames.push_back(found.main);
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectFrame, reinterpret_cast<LPARAM>(&found));
    for (HWND frame : found.frames)
      if (::IsWindow(frame)) ::SendMessageW(frame, WM_IDLEUPDATECMDUI, TRUE, 0);
    CWnd::DeleteTempMap();
  }
  return false;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> doc_template) {
  if (!doc_template) return;
  doc_template->LoadTemplate();
  templates_.push_back(std::move(doc_template));
}

CDocTemplate* CWinApp::GetDocTemplate(int index) const {
  if (index < 0 || index >= GetDocTemplateCount()) return nullptr;
  return templates_[static_cast<size_t>(index)].get();
}

CDocTemplate* CWinApp::FindDocTemplateForMenu(HMENU menu) const {
  if (!menu) return nullptr;
  for (const auto& t : templates_)
    if (t->m_hMenuShared == menu) return t.get();
  return nullptr;
}

CDocument* CWinApp::OpenNewDocument() {
  return templates_.empty() ? nullptr : templates_.front()->OpenDocumentFile(nullptr);
}

void CWinApp::LoadRecentFileList(int size) {
  if (!m_pRecentFileList) m_pRecentFileList.reset(new CRecentFileList(ID_FILE_MRU_FILE1, size));
}

void CWinApp::AddToRecentFileList(const wchar_t* path) {
  if (m_pRecentFileList) m_pRecentFileList->Add(path);
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
