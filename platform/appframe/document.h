// Documents: the data a program shows in views. A document knows its template, its title and
// path and its views; it is owned by its template and closed when its last view goes.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/string.h"

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
  DECLARE_DYNCREATE(CDocument)
 public:
  CDocument() {}
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const wchar_t* title);
  const CString& GetPathName() const { return m_strPathName; }
  // Sets the path and the title (the file's name); adds it to the recent files when asked.
  virtual void SetPathName(const wchar_t* path, bool add_to_recent = true);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

  virtual bool OnNewDocument() { return true; }
  virtual bool OnOpenDocument(const wchar_t* path) { return true; }
  // Closes every view's frame; the template then frees the document.
  virtual void OnCloseDocument();

  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::vector<CView*>& GetViews() const { return views_; }
  void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hint_object = nullptr);

  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate = nullptr;   // not owned
  bool m_bAutoDelete = true;                // closed when the last view goes

  // Commands reach the document after its view.
 private:
  std::vector<CView*> views_;
  bool closing_ = false;
};
