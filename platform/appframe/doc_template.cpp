#include "platform/appframe/doc_template.h"

#include "platform/appframe/app.h"
#include "platform/appframe/dialog.h"
#include "platform/appframe/document.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/mdi.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT resource_id, const CRuntimeClass* document_class, const CRuntimeClass* frame_class,
                           const CRuntimeClass* view_class)
    : m_nIDResource(resource_id), m_pDocClass(document_class), m_pFrameClass(frame_class), m_pViewClass(view_class) {}

CDocTemplate::~CDocTemplate() {
  // Documents go before the menu their frames may still show.
  documents_.clear();
  if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
  if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

void CDocTemplate::LoadTemplate() {
  HINSTANCE module = GetResourceModule();
  if (m_strDocStrings.IsEmpty()) m_strDocStrings.LoadString(module, m_nIDResource);
  if (!m_hMenuShared) m_hMenuShared = ::LoadMenuW(module, MAKEINTRESOURCEW(m_nIDResource));
  if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsW(module, MAKEINTRESOURCEW(m_nIDResource));
}

bool CDocTemplate::GetDocString(CString& text, DocStringIndex index) const {
  text.Empty();
  int start = 0;
  for (int i = 0; i < static_cast<int>(index); ++i) {
    int next = m_strDocStrings.Find(L'\n', start);
    if (next < 0) return false;
    start = next + 1;
  }
  int end = m_strDocStrings.Find(L'\n', start);
  text = m_strDocStrings.Mid(start, (end < 0 ? m_strDocStrings.GetLength() : end) - start);
  return !text.IsEmpty();
}

CDocument* CDocTemplate::CreateNewDocument() {
  if (!m_pDocClass) return nullptr;
  CObject* object = m_pDocClass->CreateObject();
  if (!object) return nullptr;
  if (!object->IsKindOf(RUNTIME_CLASS(CDocument))) {
    delete object;
    return nullptr;
  }
  CDocument* document = static_cast<CDocument*>(object);
  document->m_pDocTemplate = this;
  documents_.emplace_back(document);
  return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* document, CFrameWnd* other) {
  if (!m_pFrameClass) return nullptr;
  CObject* object = m_pFrameClass->CreateObject();
  if (!object) return nullptr;
  if (!object->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
    delete object;
    return nullptr;
  }
  CFrameWnd* frame = static_cast<CFrameWnd*>(object);
  frame->m_pTemplate = this;
  frame->m_hAccelTable = m_hAccelTable;
  if (frame->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) static_cast<CMDIChildWnd*>(frame)->m_hMenuShared = m_hMenuShared;
  CCreateContext context;
  context.m_pCurrentFrame = other;
  context.m_pCurrentDoc = document;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  CWinApp* app = CWinApp::GetApp();
  CWnd* main = app ? app->m_pMainWnd : nullptr;
  bool child = frame->IsKindOf(RUNTIME_CLASS(CMDIChildWnd));
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | (child ? WS_CHILD | WS_VISIBLE : 0), main,
                        &context)) {
    delete frame;
    return nullptr;
  }
  // From here on the frame deletes itself after its last message.
  frame->m_bAutoDelete = true;
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* document, bool make_visible) {
  frame->InitialUpdateFrame(document, make_visible);
}

CDocument* CDocTemplate::OpenDocumentFile(const wchar_t* path, bool make_visible) {
  CDocument* document = CreateNewDocument();
  if (!document) return nullptr;
  CFrameWnd* frame = CreateNewFrame(document, nullptr);
  if (!frame) {
    RemoveDocument(document);
    return nullptr;
  }
  bool opened;
  if (path) {
    opened = document->OnOpenDocument(path);
    if (opened) document->SetPathName(path);
  } else {
    CString name;
    if (!GetDocString(name, docName)) name = L"Untitled";
    CString title;
    title.Format(L"%s%d", name.GetString(), ++untitled_count_);
    document->SetTitle(title);
    opened = document->OnNewDocument();
  }
  if (!opened) {
    // The frame goes, and with its view the document.
    frame->DestroyWindow();
    RemoveDocument(document);
    return nullptr;
  }
  InitialUpdateFrame(frame, document, make_visible);
  return document;
}

void CDocTemplate::RemoveDocument(CDocument* document) {
  for (auto it = documents_.begin(); it != documents_.end(); ++it) {
    if (it->get() == document) {
      std::unique_ptr<CDocument> gone = std::move(*it);
      documents_.erase(it);
      return;
    }
  }
}

CMultiDocTemplate::CMultiDocTemplate(UINT resource_id, const CRuntimeClass* document_class,
                                     const CRuntimeClass* frame_class, const CRuntimeClass* view_class)
    : CDocTemplate(resource_id, document_class, frame_class, view_class) {}
