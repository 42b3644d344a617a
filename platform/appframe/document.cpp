#include "platform/appframe/document.h"

#include <algorithm>

#include "platform/appframe/app.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/view.h"

IMPLEMENT_DYNCREATE(CDocument, CCmdTarget)

CDocument::~CDocument() {
  // Views that outlive the document forget it.
  for (CView* view : views_) view->m_pDocument = nullptr;
}

void CDocument::SetTitle(const wchar_t* title) {
  m_strTitle = title;
  for (CView* view : views_)
    if (CFrameWnd* frame = view->GetParentFrame()) frame->OnUpdateFrameTitle(true);
}

void CDocument::SetPathName(const wchar_t* path, bool add_to_recent) {
  wchar_t full[MAX_PATH];
  DWORD n = ::GetFullPathNameW(path, MAX_PATH, full, nullptr);
  m_strPathName = n > 0 && n < MAX_PATH ? full : path;
  const wchar_t* name = m_strPathName;
  for (const wchar_t* p = name; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  SetTitle(name);
  if (add_to_recent)
    if (CWinApp* app = CWinApp::GetApp()) app->AddToRecentFileList(m_strPathName);
}

void CDocument::OnCloseDocument() {
  if (closing_) return;
  closing_ = true;
  // Each view's frame goes; the last view's going frees the document.
  bool auto_delete = m_bAutoDelete;
  m_bAutoDelete = false;
  std::vector<CView*> views = views_;
  for (CView* view : views) {
    CFrameWnd* frame = view->GetParentFrame();
    if (frame)
      frame->DestroyWindow();
    else
      view->DestroyWindow();
  }
  closing_ = false;
  m_bAutoDelete = auto_delete;
  if (m_bAutoDelete && m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView* view) {
  if (!view || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
  views_.push_back(view);
  view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
  auto it = std::find(views_.begin(), views_.end(), view);
  if (it == views_.end()) return;
  views_.erase(it);
  view->m_pDocument = nullptr;
  if (views_.empty() && m_bAutoDelete && !closing_ && m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hint_object) {
  for (CView* view : views_)
    if (view != sender) view->OnUpdate(sender, hint, hint_object);
}
