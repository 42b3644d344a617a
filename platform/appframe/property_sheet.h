// Property sheets over the common controls' sheet: each page is a dialog object; the sheet's
// own window is subclassed as soon as it exists.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "platform/appframe/dialog.h"
#include "platform/appframe/string.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)
 public:
  explicit CPropertyPage(UINT template_id, UINT caption_id = 0);

  // The page record handed to the sheet (flags may be changed before the sheet is shown).
  PROPSHEETPAGEW m_psp;

  // Page notifications. The defaults: set-active true; kill-active saves the data exchange
  // (false keeps the page); apply runs OnOK and returns true.
  virtual bool OnSetActive();
  virtual bool OnKillActive();
  virtual bool OnApply();
  virtual void OnReset();
  virtual bool OnQueryCancel();
  void OnOK() override;
  void OnCancel() override;
  // Enables (or, when no other page is changed, disables) the sheet's Apply button.
  void SetModified(bool changed = true);
  CWnd* GetSheetWindow() const { return GetParent(); }

 protected:
  bool OnNotify(WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  static INT_PTR CALLBACK StartPageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  CPropertySheet* sheet_ = nullptr;   // the sheet it was added to
  friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
  DECLARE_DYNAMIC(CPropertySheet)
 public:
  CPropertySheet(const wchar_t* caption, CWnd* parent = nullptr, UINT first_page = 0);

  // The sheet header (flags may be changed before the sheet is shown).
  PROPSHEETHEADERW m_psh;

  void AddPage(CPropertyPage* page) {
    page->sheet_ = this;
    pages_.push_back(page);
  }
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPage* GetPage(int index) const { return pages_.at(static_cast<size_t>(index)); }
  CPropertyPage* GetActivePage() const;
  bool SetActivePage(int index);
  bool PressButton(int button) { return PostMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button)) ; }

  // Runs the sheet modally: IDOK when it was closed with OK, else IDCANCEL; -1 when it could
  // not be shown.
  virtual INT_PTR DoModal();
  // Called when the sheet's window exists, before it is shown.
  virtual void OnSheetCreated() {}

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lparam);

  std::vector<CPropertyPage*> pages_;   // owned by the caller
  CString caption_;
  int closed_with_ = IDCANCEL;   // set by the pages' apply (with OK) and reset notifications
  friend class CPropertyPage;
};
