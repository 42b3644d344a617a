#include "platform/appframe/property_sheet.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {
// The sheet whose window the current PropertySheetW call makes (one sheet at a time per thread
// is being created).
thread_local CPropertySheet* t_creating_sheet = nullptr;
}  // namespace

CPropertyPage::CPropertyPage(UINT template_id, UINT caption_id) : CDialog(template_id) {
  ZeroMemory(&m_psp, sizeof(m_psp));
  m_psp.dwSize = sizeof(m_psp);
  m_psp.dwFlags = PSP_DEFAULT;
  m_psp.pszTemplate = MAKEINTRESOURCEW(template_id);
  if (caption_id) {
    m_psp.dwFlags |= PSP_USETITLE;
    m_psp.pszTitle = MAKEINTRESOURCEW(caption_id);
  }
}

INT_PTR CALLBACK CPropertyPage::StartPageProc(HWND window, UINT message, WPARAM, LPARAM lparam) {
  if (message != WM_INITDIALOG) return FALSE;
  const PROPSHEETPAGEW* record = reinterpret_cast<const PROPSHEETPAGEW*>(lparam);
  CPropertyPage* page = record ? reinterpret_cast<CPropertyPage*>(record->lParam) : nullptr;
  if (!page) return TRUE;
  try {
    return page->AttachDialog(window);
  } catch (...) {
    return TRUE;
  }
}

bool CPropertyPage::OnSetActive() { return true; }

bool CPropertyPage::OnKillActive() { return UpdateData(true); }

bool CPropertyPage::OnApply() {
  OnOK();
  return true;
}

void CPropertyPage::OnReset() { OnCancel(); }

bool CPropertyPage::OnQueryCancel() { return true; }

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(bool changed) {
  HWND sheet = ::GetParent(m_hWnd);
  if (sheet) ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

bool CPropertyPage::OnNotify(WPARAM wparam, LPARAM lparam, LRESULT* result) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
  if (CWnd::OnNotify(wparam, lparam, result)) return true;
  if (!header) return false;
  LRESULT r = 0;
  switch (header->code) {
    case PSN_SETACTIVE: r = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: r = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: {
      bool applied = OnApply();
      r = applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      // OK (not Apply) ends the sheet once every page has applied.
      if (sheet_ && applied && reinterpret_cast<const PSHNOTIFY*>(header)->lParam) sheet_->closed_with_ = IDOK;
      break;
    }
    case PSN_RESET:
      if (sheet_) sheet_->closed_with_ = IDCANCEL;
      OnReset();
      break;
    case PSN_QUERYCANCEL: r = OnQueryCancel() ? FALSE : TRUE; break;
    default: return false;
  }
  // The sheet reads the answer from the dialog's result slot as well as from the return value.
  ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, r);
  *result = r;
  return true;
}

// ---------------------------------------------------------------------------------------------

CPropertySheet::CPropertySheet(const wchar_t* caption, CWnd* parent, UINT first_page) : caption_(caption) {
  ZeroMemory(&m_psh, sizeof(m_psh));
  m_psh.dwSize = sizeof(m_psh);
  m_psh.dwFlags = PSH_PROPSHEETPAGE;
  m_psh.hwndParent = parent ? parent->m_hWnd : nullptr;
  m_psh.nStartPage = first_page;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM) {
  if (message == PSCB_INITIALIZED && t_creating_sheet) {
    CPropertySheet* sheet = t_creating_sheet;
    t_creating_sheet = nullptr;
    if (sheet->SubclassWindow(window)) sheet->OnSheetCreated();
  }
  return 0;
}

INT_PTR CPropertySheet::DoModal() {
  if (m_hWnd || pages_.empty()) return -1;
  std::vector<PROPSHEETPAGEW> records;
  for (CPropertyPage* page : pages_) {
    PROPSHEETPAGEW record = page->m_psp;
    record.dwSize = sizeof(record);
    record.hInstance = GetResourceModule();
    record.pfnDlgProc = &CPropertyPage::StartPageProc;
    record.lParam = reinterpret_cast<LPARAM>(page);
    records.push_back(record);
  }
  PROPSHEETHEADERW header = m_psh;
  header.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK;
  header.dwFlags &= ~PSH_MODELESS;
  header.hInstance = GetResourceModule();
  header.pszCaption = caption_;
  header.nPages = static_cast<UINT>(records.size());
  header.ppsp = records.data();
  header.pfnCallback = &CPropertySheet::SheetCallback;
  closed_with_ = IDCANCEL;
  CPropertySheet* outer = t_creating_sheet;
  t_creating_sheet = this;
  INT_PTR result = ::PropertySheetW(&header);
  t_creating_sheet = outer;
  if (result < 0) return -1;
  return closed_with_;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return CWnd::WindowProc(message, wparam, lparam);
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  if (!m_hWnd) return nullptr;
  HWND current = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
  for (CPropertyPage* page : pages_)
    if (page->m_hWnd && page->m_hWnd == current) return page;
  return nullptr;
}

bool CPropertySheet::SetActivePage(int index) {
  return m_hWnd && ::SendMessageW(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}
