// The system's colour and file dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/appframe/string.h"
#include "platform/appframe/wnd.h"

class CColorDialog : public CObject {
  DECLARE_DYNAMIC(CColorDialog)
 public:
  CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
  // IDOK or IDCANCEL.
  virtual INT_PTR DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }

  CHOOSECOLORW m_cc;

 private:
  static COLORREF custom_colours_[16];   // shared by every colour dialog of the process
};

class CFileDialog : public CObject {
  DECLARE_DYNAMIC(CFileDialog)
 public:
  // `filter` is "Name|pattern|Name|pattern||" ("|" separates, as in resource strings).
  CFileDialog(bool open, const wchar_t* default_ext = nullptr, const wchar_t* file_name = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
              CWnd* parent = nullptr);
  // IDOK or IDCANCEL.
  virtual INT_PTR DoModal();
  // The chosen path (any length the system gives).
  CString GetPathName() const { return CString(file_.data()); }

  OPENFILENAMEW m_ofn;

 private:
  bool open_;
  CString default_ext_;
  std::vector<wchar_t> filter_;
  std::vector<wchar_t> file_;
};
