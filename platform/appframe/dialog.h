// Dialogs from templates, with two-way data exchange between members and controls. The dialog
// procedure only starts the object; from WM_INITDIALOG on the window is subclassed and its
// messages go through the message map, with the system's dialog procedure as the default.
#pragma once

#include <windows.h>

#include "platform/appframe/string.h"
#include "platform/appframe/wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, bool save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}
  // The control of `id` (remembered for Fail); null when it does not exist.
  HWND PrepareCtrl(int id);
  // Refuses the exchange: focus to the last prepared control, then CUserException.
  [[noreturn]] void Fail();

  CWnd* m_pDlgWnd;
  bool m_bSaveAndValidate;
  HWND m_hWndLastControl = nullptr;
};

// Text of a control <-> value. The number forms refuse a text that is not a number (with a
// message box) when saving.
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// The check state of a check box (0, 1 or 2).
void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked radio button in the group that starts at `id`; -1 when none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// The selected index of a combo box or list box.
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
// Subclasses the control to `control` the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Range checks of a value just saved; they fail the exchange with a message.
void DDV_MinMaxInt(CDataExchange* dx, int value, int min_value, int max_value);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int max_chars);

// The module whose resources dialogs, menus and icons come from (the program's own unless set).
HINSTANCE GetResourceModule();
void SetResourceModule(HINSTANCE module);

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  explicit CDialog(UINT template_id = 0, CWnd* parent = nullptr);

  // Runs the dialog modally; the value given to EndDialog, or -1 when it could not be made.
  virtual INT_PTR DoModal();
  // Creates the dialog modeless.
  virtual bool Create(UINT template_id, CWnd* parent = nullptr);
  void EndDialog(INT_PTR result);

  // Runs DoDataExchange; false (nothing thrown) when the exchange was refused.
  bool UpdateData(bool save = true);

  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  bool PreTranslateMessage(MSG* msg) override;

  UINT m_nIDHelp = 0;
  UINT m_lpszTemplateName = 0;
  CWnd* m_pParentWnd = nullptr;

 protected:
  virtual void DoDataExchange(CDataExchange*) {}
  bool OnCommand(WPARAM wparam, LPARAM lparam) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The procedure given to the system: it subclasses the window on WM_INITDIALOG.
  static INT_PTR CALLBACK StartDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // What StartDialogProc does for this object on WM_INITDIALOG.
  virtual INT_PTR AttachDialog(HWND window);

  int modal_depth_ = 0;   // above 0 while DoModal runs: EndDialog ends the modal loop
};
