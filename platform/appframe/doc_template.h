// Document templates: what a kind of document is made of (its document, frame and view
// classes) and its resources (the menu and accelerators its frames share, the document
// string). The application keeps the template list; an MDI child knows its template, and the
// template whose shared menu is on the frame is the active one.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/string.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)
 public:
  // Parts of the document string (the string resource of the template's id, '\n' separated).
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

  CDocTemplate(UINT resource_id, const CRuntimeClass* document_class, const CRuntimeClass* frame_class,
               const CRuntimeClass* view_class);
  ~CDocTemplate() override;

  // Loads the document string, the shared menu and accelerators (each when present).
  virtual void LoadTemplate();
  // One part of the document string; false when it is empty or missing.
  virtual bool GetDocString(CString& text, DocStringIndex index) const;

  // A new document (a new file when `path` is null) in a new frame, shown when asked.
  virtual CDocument* OpenDocumentFile(const wchar_t* path, bool make_visible = true);
  virtual CDocument* CreateNewDocument();
  // A frame for `document`, made by the frame class and LoadFrame of the template's id.
  virtual CFrameWnd* CreateNewFrame(CDocument* document, CFrameWnd* other);
  virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* document, bool make_visible = true);
  // Frees a document the template holds.
  void RemoveDocument(CDocument* document);
  const std::vector<std::unique_ptr<CDocument>>& GetDocuments() const { return documents_; }

  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
  HMENU m_hMenuShared = nullptr;     // owned
  HACCEL m_hAccelTable = nullptr;    // owned
  CString m_strDocStrings;

 protected:
  std::vector<std::unique_ptr<CDocument>> documents_;
  int untitled_count_ = 0;
};

class CMultiDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CMultiDocTemplate)
 public:
  CMultiDocTemplate(UINT resource_id, const CRuntimeClass* document_class, const CRuntimeClass* frame_class,
                    const CRuntimeClass* view_class);
};
