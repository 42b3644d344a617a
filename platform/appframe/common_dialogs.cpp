#include "platform/appframe/common_dialogs.h"

IMPLEMENT_DYNAMIC(CColorDialog, CObject)
IMPLEMENT_DYNAMIC(CFileDialog, CObject)

COLORREF CColorDialog::custom_colours_[16] = {
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) {
  ZeroMemory(&m_cc, sizeof(m_cc));
  m_cc.lStructSize = sizeof(m_cc);
  m_cc.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_cc.rgbResult = initial;
  m_cc.lpCustColors = custom_colours_;
  m_cc.Flags = flags | CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal() { return ::ChooseColorW(&m_cc) ? IDOK : IDCANCEL; }

CFileDialog::CFileDialog(bool open, const wchar_t* default_ext, const wchar_t* file_name, DWORD flags,
                         const wchar_t* filter, CWnd* parent)
    : open_(open), default_ext_(default_ext), file_(32768, L'\0') {
  ZeroMemory(&m_ofn, sizeof(m_ofn));
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
  if (file_name) lstrcpynW(file_.data(), file_name, static_cast<int>(file_.size()));
  m_ofn.lpstrFile = file_.data();
  m_ofn.nMaxFile = static_cast<DWORD>(file_.size());
  if (!default_ext_.IsEmpty()) m_ofn.lpstrDefExt = default_ext_;
  if (filter) {
    for (const wchar_t* p = filter; *p; ++p) filter_.push_back(*p == L'|' ? L'\0' : *p);
    filter_.push_back(L'\0');
    filter_.push_back(L'\0');
    m_ofn.lpstrFilter = filter_.data();
  }
}

INT_PTR CFileDialog::DoModal() {
  BOOL ok = open_ ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  return ok ? IDOK : IDCANCEL;
}
