// Views: the client child of a frame that shows a document (id IDW_PANE_FIRST). A view is
// made by its runtime class from the frame's creation context, joins its document, paints
// through OnDraw and deletes itself after its last message.
#pragma once

#include <windows.h>

#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"

class CDocument;

extern const wchar_t kViewClass[];

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
 public:
  CView() {}
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  CFrameWnd* GetParentFrame() const { return CFrameWnd::GetParentFrameOf(m_hWnd); }

  // Creates the view in `parent` (class kViewClass when null) and joins the context's document.
  virtual bool Create(const wchar_t* class_name, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                      CCreateContext* context);
  virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
  virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hint_object) { InvalidateRect(nullptr); }
  virtual void OnDraw(CDC* dc) {}
  // The frame made this view active or inactive.
  virtual void OnActivateView(bool activate, CView* activated, CView* deactivated) {}

  CDocument* m_pDocument = nullptr;   // not owned

 protected:
  void OnPaint();
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
  int OnMouseActivate(CWnd* top, UINT hit, UINT message);
  void PostNcDestroy() override;
  void OnDestroy();
  DECLARE_MESSAGE_MAP()
};
