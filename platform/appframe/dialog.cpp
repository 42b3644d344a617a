#include "platform/appframe/dialog.h"

#include <cwchar>
#include <cwctype>

#include "platform/appframe/exception.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {
HINSTANCE g_resource_module = nullptr;

bool IsRadio(HWND control) {
  wchar_t cls[16] = {};
  ::GetClassNameW(control, cls, 16);
  if (_wcsicmp(cls, L"Button") != 0) return false;
  LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Reads a decimal integer: optional blanks and sign, digits, optional trailing blanks.
bool ParseInt(const wchar_t* text, long long* value) {
  while (iswspace(*text)) ++text;
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  if (!iswdigit(*text)) return false;
  long long v = 0;
  while (iswdigit(*text)) {
    v = v * 10 + (*text++ - L'0');
    if (v > 0xFFFFFFFFLL) return false;
  }
  while (iswspace(*text)) ++text;
  if (*text) return false;
  *value = negative ? -v : v;
  return true;
}

void FailWithMessage(CDataExchange* dx, const wchar_t* text) {
  ::MessageBoxW(dx->m_pDlgWnd ? dx->m_pDlgWnd->m_hWnd : nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
  dx->Fail();
}
}  // namespace

HINSTANCE GetResourceModule() { return g_resource_module ? g_resource_module : ::GetModuleHandleW(nullptr); }
void SetResourceModule(HINSTANCE module) { g_resource_module = module; }

HWND CDataExchange::PrepareCtrl(int id) {
  m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  return m_hWndLastControl;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  throw CUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    int n = ::GetWindowTextLengthW(control);
    ::GetWindowTextW(control, value.GetBuffer(n), n + 1);
    value.ReleaseBuffer();
  } else {
    ::SetWindowTextW(control, value);
  }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    CString text;
    DDX_Text(dx, id, text);
    long long v = 0;
    if (!ParseInt(text, &v) || v < INT_MIN || v > INT_MAX) FailWithMessage(dx, L"Please enter an integer.");
    value = static_cast<int>(v);
  } else {
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    ::SetWindowTextW(control, text);
  }
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    CString text;
    DDX_Text(dx, id, text);
    long long v = 0;
    if (!ParseInt(text, &v) || v < 0 || v > 0xFFFFFFFFLL) FailWithMessage(dx, L"Please enter a positive integer.");
    value = static_cast<UINT>(v);
  } else {
    wchar_t text[16];
    swprintf(text, 16, L"%u", value);
    ::SetWindowTextW(control, text);
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate)
    value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
  else
    ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) value = -1;
  int index = 0;
  for (HWND c = control; c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (c != control && (::GetWindowLongPtrW(c, GWL_STYLE) & WS_GROUP)) break;
    if (!IsRadio(c)) continue;
    if (dx->m_bSaveAndValidate) {
      if (::SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      ::SendMessageW(c, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++index;
  }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate)
    value = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
  else
    ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND window = dx->PrepareCtrl(id);
  if (!window || !control.SubclassWindow(window)) throw CNotSupportedException();
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int min_value, int max_value) {
  if (!dx->m_bSaveAndValidate || (value >= min_value && value <= max_value)) return;
  CString text;
  text.Format(L"Please enter an integer between %d and %d.", min_value, max_value);
  FailWithMessage(dx, text);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int max_chars) {
  if (!dx->m_bSaveAndValidate) {
    if (dx->m_hWndLastControl) ::SendMessageW(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(max_chars), 0);
    return;
  }
  if (value.GetLength() <= max_chars) return;
  CString text;
  text.Format(L"Enter no more than %d characters.", max_chars);
  FailWithMessage(dx, text);
}

// ---------------------------------------------------------------------------------------------

CDialog::CDialog(UINT template_id, CWnd* parent) : m_lpszTemplateName(template_id), m_pParentWnd(parent) {}

INT_PTR CALLBACK CDialog::StartDialogProc(HWND window, UINT message, WPARAM, LPARAM lparam) {
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* dialog = reinterpret_cast<CDialog*>(lparam);
  if (!dialog) return TRUE;
  try {
    return dialog->AttachDialog(window);
  } catch (...) {
    return TRUE;
  }
}

INT_PTR CDialog::AttachDialog(HWND window) {
  if (!SubclassWindow(window)) return TRUE;
  return OnInitDialog() ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  // The framework's own modal loop (not the system's dialog box loop): it runs the idle work,
  // so the temporary objects made while the dialog is up are freed while it is up.
  HWND owner = parent;
  while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  bool reenable = owner && ::IsWindowEnabled(owner);
  modal_depth_++;
  HWND window = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(m_lpszTemplateName), parent,
                                     &CDialog::StartDialogProc, reinterpret_cast<LPARAM>(this));
  INT_PTR result = -1;
  if (window && m_hWnd == window) {
    if (reenable) ::EnableWindow(owner, FALSE);
    result = RunModalLoop(MLF_SHOWONIDLE);
    if (m_hWnd == window) {
      // The owner comes back before the dialog goes, so that it takes the activation.
      if (reenable) ::EnableWindow(owner, TRUE);
      if (owner && ::GetActiveWindow() == window) ::SetActiveWindow(owner);
      ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
      ::DestroyWindow(window);
      reenable = false;
    }
  } else if (window && ::IsWindow(window)) {
    ::DestroyWindow(window);
  }
  if (reenable) ::EnableWindow(owner, TRUE);
  modal_depth_--;
  return result;
}

bool CDialog::Create(UINT template_id, CWnd* parent) {
  if (m_hWnd) return false;
  m_lpszTemplateName = template_id;
  m_pParentWnd = parent;
  HWND window = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(template_id), parent ? parent->m_hWnd : nullptr,
                                     &CDialog::StartDialogProc, reinterpret_cast<LPARAM>(this));
  return window != nullptr && m_hWnd == window;
}

void CDialog::EndDialog(INT_PTR result) {
  if (!m_hWnd) return;
  if (modal_depth_ > 0)
    EndModalLoop(static_cast<int>(result));
  else
    ::DestroyWindow(m_hWnd);
}

bool CDialog::UpdateData(bool save) {
  CDataExchange dx(this, save);
  try {
    DoDataExchange(&dx);
    return true;
  } catch (const CUserException&) {
    return false;
  }
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::PreTranslateMessage(MSG* msg) {
  return m_hWnd && ::IsDialogMessageW(m_hWnd, msg);
}

bool CDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (CWnd::OnCommand(wparam, lparam)) return true;
  UINT id = LOWORD(wparam);
  if (HIWORD(wparam) != BN_CLICKED) return false;
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return CWnd::WindowProc(message, wparam, lparam);
}
