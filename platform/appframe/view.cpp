#include "platform/appframe/view.h"

#include "platform/appframe/document.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_WM_PAINT()
  ON_WM_DESTROY()
  ON_WM_MOUSEACTIVATE()
  ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

const wchar_t kViewClass[] = L"KestrinView";

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

bool CView::Create(const wchar_t* class_name, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                   CCreateContext* context) {
  if (!parent) return false;
  if (!class_name) {
    if (!RegisterFrameworkClass(kViewClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
      return false;
    class_name = kViewClass;
  }
  if (!CreateEx(0, class_name, nullptr, style | WS_CHILD, rect, parent->m_hWnd, id)) return false;
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return true;
}

void CView::OnPaint() {
  CPaintDC dc(m_hWnd);
  OnDraw(&dc);
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

int CView::OnMouseActivate(CWnd*, UINT, UINT) {
  LRESULT result = Default();
  // A click makes this the frame's active view.
  if (CFrameWnd* frame = GetParentFrame()) {
    frame->SetActiveView(this);
    if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
  }
  return static_cast<int>(result);
}

void CView::OnDestroy() {
  if (CFrameWnd* frame = GetParentFrame()) frame->ForgetView(this);
  Default();
}

void CView::PostNcDestroy() {
  // The view goes with its window; the document closes when its last view goes.
  delete this;
}
