#include "tray/options_sheet.h"

#include <commctrl.h>

#include <cwchar>
#include <cwctype>

#include "platform/appframe/dc.h"
#include "tray/tray_resource.h"

using SettingsUtilsNS::CSettingsKestrin;

namespace {
// A text the settings can hold whole: shorter than its field. Texts are written as UTF-16, so
// any character of a path is kept.
bool FitsSettingsText(const CString& text) {
  return text.GetLength() < static_cast<int>(SettingsUtilsNS::kSettingsTextSize);
}

CString Number(int value) {
  CString text;
  text.Format(L"%d", value);
  return text;
}
}  // namespace

// ---------------------------------------------------------------------------------------------

COptionsPage::COptionsPage(UINT template_id, CSettingsKestrin* settings, ITrayServices* services)
    : CPropertyPage(template_id), m_settings(settings), m_services(services) {
  m_psp.dwFlags &= ~PSP_HASHELP;
}

bool COptionsPage::OnInitDialog() {
  if (m_settings) FillPage();
  return CPropertyPage::OnInitDialog();
}

bool COptionsPage::OnKillActive() {
  if (m_settings) LeavePage();
  return CPropertyPage::OnKillActive();
}

bool COptionsPage::OnApply() {
  if (!m_settings) return false;
  ApplyPage();
  return true;
}

int COptionsPage::TextToNumber(const wchar_t* text) {
  // A decimal number: leading blanks and a sign, digits up to the first other character.
  while (iswspace(*text)) ++text;
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  long long value = 0;
  while (*text >= L'0' && *text <= L'9' && value < 100000000) value = value * 10 + (*text++ - L'0');
  return static_cast<int>(negative ? -value : value);
}

int COptionsPage::ClampComboNumber(int id, int low, int high) {
  int value = TextToNumber(GetDlgItemText(id));
  int clamped = value < low ? low : value > high ? high : value;
  if (clamped != value) SetDlgItemText(id, Number(clamped));
  return clamped;
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CScreenBorderPropPage, COptionsPage)
  ON_BN_CLICKED(IDC_CHANGE_COLOR, OnChangeColour)
  ON_WM_CTLCOLOR()
  ON_WM_HSCROLL()
  ON_CBN_SELCHANGE(IDC_TEXT_SIZE, OnTextSizeChanged)
  ON_CBN_KILLFOCUS(IDC_TEXT_SIZE, OnTextSizeKillFocus)
END_MESSAGE_MAP()

CScreenBorderPropPage::CScreenBorderPropPage(CSettingsKestrin* settings, ITrayServices* services)
    : COptionsPage(IDD_SCREEN_BORDER, settings, services) {}

void CScreenBorderPropPage::FillPage() {
  SendDlgItemMessage(IDC_TEXT_SIZE, CB_RESETCONTENT);
  for (int size = kTextSizeMin; size <= kTextSizeMax; ++size)
    SendDlgItemMessage(IDC_TEXT_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Number(size).GetString()));
  int width = static_cast<int>(m_settings->GetBorderWidth(false));
  SendDlgItemMessage(IDC_WIDTH_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(kBorderWidthMin, kBorderWidthMax));
  SendDlgItemMessage(IDC_WIDTH_SLIDER, TBM_SETTICFREQ, 5);
  SendDlgItemMessage(IDC_WIDTH_SLIDER, TBM_SETPOS, TRUE, width);
  SetDlgItemText(IDC_WIDTH_TEXT, Number(width));
  SetDlgItemText(IDC_TEXT_SIZE, Number(static_cast<int>(m_settings->GetDisplayTextSize(false))));
}

void CScreenBorderPropPage::OnChangeColour() {
  COLORREF colour = m_settings->GetBorderColour(false);
  if (!m_services->ChooseColour(m_hWnd, &colour)) return;
  m_settings->SetBorderColour(colour, false);
  ::InvalidateRect(GetDlgItemHandle(IDC_COLOR_SWATCH), nullptr, TRUE);
  MarkChanged();
}

HBRUSH CScreenBorderPropPage::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
  if (type != CTLCOLOR_STATIC || !control || control->GetDlgCtrlID() != IDC_COLOR_SWATCH) return nullptr;
  COLORREF colour = m_settings->GetBorderColour(false);
  if (!swatch_brush_.GetSafeHandle() || swatch_colour_ != colour) {
    swatch_brush_.CreateSolidBrush(colour);
    swatch_colour_ = colour;
  }
  dc->SetBkColor(colour);
  return swatch_brush_;
}

void CScreenBorderPropPage::OnHScroll(UINT, UINT, CWnd* scroll_bar) {
  if (!scroll_bar || scroll_bar->GetDlgCtrlID() != IDC_WIDTH_SLIDER) return;
  int position = static_cast<int>(SendDlgItemMessage(IDC_WIDTH_SLIDER, TBM_GETPOS));
  SetDlgItemText(IDC_WIDTH_TEXT, Number(position));
  MarkChanged();
}

void CScreenBorderPropPage::OnTextSizeKillFocus() {
  int size = ClampComboNumber(IDC_TEXT_SIZE, kTextSizeMin, kTextSizeMax);
  if (size != static_cast<int>(m_settings->GetDisplayTextSize(false))) MarkChanged();
}

int CScreenBorderPropPage::WidthFromEdit() {
  int width = TextToNumber(GetDlgItemText(IDC_WIDTH_TEXT));
  return width < kBorderWidthMin ? kBorderWidthMin : width > kBorderWidthMax ? kBorderWidthMax : width;
}

void CScreenBorderPropPage::LeavePage() {
  m_settings->SetBorderWidth(static_cast<DWORD>(WidthFromEdit()), false);
  // The box may still hold what was typed (Enter closes the sheet without a loss of focus).
  m_settings->SetDisplayTextSize(static_cast<DWORD>(ClampComboNumber(IDC_TEXT_SIZE, kTextSizeMin, kTextSizeMax)), false);
}

void CScreenBorderPropPage::ApplyPage() {
  m_settings->SetBorderWidth(static_cast<DWORD>(WidthFromEdit()), true);
  m_settings->SetDisplayTextSize(static_cast<DWORD>(ClampComboNumber(IDC_TEXT_SIZE, kTextSizeMin, kTextSizeMax)), true);
  m_settings->SetBorderColour(m_settings->GetBorderColour(false), true);
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAudioPropPage, COptionsPage)
  ON_BN_CLICKED(IDC_USE_AUDIO, OnUseAudio)
  ON_BN_CLICKED(IDC_BROWSE_OVER, OnBrowseOver)
  ON_BN_CLICKED(IDC_BROWSE_OFF, OnBrowseOff)
  ON_BN_CLICKED(IDC_PLAY_OVER, OnPlayOver)
  ON_BN_CLICKED(IDC_PLAY_OFF, OnPlayOff)
END_MESSAGE_MAP()

CAudioPropPage::CAudioPropPage(CSettingsKestrin* settings, ITrayServices* services)
    : COptionsPage(IDD_AUDIO, settings, services) {
  play_icon_.Reset(
      static_cast<HICON>(LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(IDI_PLAY), IMAGE_ICON, 16, 16, 0)));
}

CAudioPropPage::~CAudioPropPage() = default;

void CAudioPropPage::FillPage() {
  CheckDlgButton(IDC_USE_AUDIO, m_settings->GetUseAudio(false) ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(IDC_OVER_SOUND, CString(m_settings->GetMouseOverSoundW(false)));
  SetDlgItemText(IDC_OFF_SOUND, CString(m_settings->GetMouseOffSoundW(false)));
  if (play_icon_) {
    SendDlgItemMessage(IDC_PLAY_OVER, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(play_icon_.Get()));
    SendDlgItemMessage(IDC_PLAY_OFF, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(play_icon_.Get()));
  }
}

void CAudioPropPage::OnUseAudio() {
  MarkChanged();
  m_settings->SetUseAudio(IsDlgButtonChecked(IDC_USE_AUDIO) == BST_CHECKED, false);
}

void CAudioPropPage::Browse(int edit_id, bool over) {
  CString path;
  if (!m_services->ChooseSoundFile(m_hWnd, &path)) return;
  // A path the settings cannot hold whole would name another file: refuse it.
  if (!FitsSettingsText(path)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  SetDlgItemText(edit_id, path);
  if (over)
    m_settings->SetMouseOverSoundW(path, false);
  else
    m_settings->SetMouseOffSoundW(path, false);
  MarkChanged();
}

void CAudioPropPage::Play(int button_id, bool over) {
  HWND button = GetDlgItemHandle(button_id);
  ::EnableWindow(button, FALSE);
  CString path(over ? m_settings->GetMouseOverSoundW(false) : m_settings->GetMouseOffSoundW(false));
  m_services->PlaySoundFile(path);
  ::EnableWindow(button, TRUE);
}

void CAudioPropPage::ApplyPage() {
  m_settings->SetUseAudio(IsDlgButtonChecked(IDC_USE_AUDIO) == BST_CHECKED, true);
  const CString over = GetDlgItemText(IDC_OVER_SOUND), off = GetDlgItemText(IDC_OFF_SOUND);
  if (FitsSettingsText(over)) m_settings->SetMouseOverSoundW(over, true);
  if (FitsSettingsText(off)) m_settings->SetMouseOffSoundW(off, true);
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CGeneralPropPage, COptionsPage)
  ON_BN_CLICKED(IDC_REVOCATION, OnRevocation)
END_MESSAGE_MAP()

CGeneralPropPage::CGeneralPropPage(CSettingsKestrin* settings, ITrayServices* services)
    : COptionsPage(IDD_GENERAL, settings, services) {}

void CGeneralPropPage::FillPage() {
  CheckDlgButton(IDC_REVOCATION, m_settings->GetErrorOnFailedRevocationCheck(false) ? BST_CHECKED : BST_UNCHECKED);
  ::ShowWindow(GetDlgItemHandle(IDC_EV_GROUP), SW_HIDE);
  ::ShowWindow(GetDlgItemHandle(IDC_EV_CHECK), SW_HIDE);
}

void CGeneralPropPage::OnRevocation() {
  MarkChanged();
  m_settings->SetErrorOnFailedRevocationCheck(IsDlgButtonChecked(IDC_REVOCATION) == BST_CHECKED, false);
}

void CGeneralPropPage::ApplyPage() {
  m_settings->SetErrorOnFailedRevocationCheck(IsDlgButtonChecked(IDC_REVOCATION) == BST_CHECKED, true);
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CShadowPropPage, COptionsPage)
  ON_BN_CLICKED(IDC_MODE_MOVE, OnModeMove)
  ON_BN_CLICKED(IDC_MODE_AUTO, OnModeAuto)
  ON_BN_CLICKED(IDC_MODE_OFF, OnModeOff)
  ON_BN_CLICKED(IDC_CURSOR_TRAILS, OnCursorTrails)
  ON_BN_CLICKED(IDC_CURSOR_FLASH, OnCursorFlash)
  ON_CBN_SELCHANGE(IDC_SECONDS, OnSecondsChanged)
  ON_CBN_KILLFOCUS(IDC_SECONDS, OnSecondsKillFocus)
END_MESSAGE_MAP()

CShadowPropPage::CShadowPropPage(CSettingsKestrin* settings, ITrayServices* services)
    : COptionsPage(IDD_KRAIDA, settings, services) {}

void CShadowPropPage::DoDataExchange(CDataExchange* dx) {
  DDX_Radio(dx, IDC_MODE_MOVE, m_mode);
  DDX_Radio(dx, IDC_CURSOR_TRAILS, m_cursorType);
}

void CShadowPropPage::FillPage() {
  m_mode = static_cast<int>(m_settings->GetCurrentKRAIDAState(false));
  m_cursorType = static_cast<int>(m_settings->GetShowCursorType(false));
  SendDlgItemMessage(IDC_SECONDS, CB_RESETCONTENT);
  for (int s = kSecondsMin; s <= kSecondsMax; ++s)
    SendDlgItemMessage(IDC_SECONDS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Number(s).GetString()));
  SetDlgItemText(IDC_SECONDS, Number(static_cast<int>(m_settings->GetKRAIDAValidatingFor(false))));
  ::EnableWindow(GetDlgItemHandle(IDC_SECONDS), m_mode == 1);
}

void CShadowPropPage::OnMode(int mode) {
  ::EnableWindow(GetDlgItemHandle(IDC_SECONDS), mode == 1);
  if (static_cast<DWORD>(mode) != m_settings->GetCurrentKRAIDAState(false)) MarkChanged();
  m_settings->SetCurrentKRAIDAState(static_cast<DWORD>(mode), false);
}

void CShadowPropPage::OnCursor(int type) {
  if (static_cast<DWORD>(type) != m_settings->GetShowCursorType(false)) MarkChanged();
  m_settings->SetShowCursorType(static_cast<DWORD>(type), false);
}

void CShadowPropPage::OnSecondsKillFocus() {
  int seconds = ClampComboNumber(IDC_SECONDS, kSecondsMin, kSecondsMax);
  if (static_cast<DWORD>(seconds) != m_settings->GetKRAIDAValidatingFor(false)) MarkChanged();
}

void CShadowPropPage::LeavePage() {
  m_settings->SetKRAIDAValidatingFor(static_cast<DWORD>(ClampComboNumber(IDC_SECONDS, kSecondsMin, kSecondsMax)), false);
}

void CShadowPropPage::ApplyPage() {
  m_settings->SetShowCursorType(m_settings->GetShowCursorType(false), true);
  m_settings->SetCurrentKRAIDAState(m_settings->GetCurrentKRAIDAState(false), true);
  m_settings->SetKRAIDAValidatingFor(static_cast<DWORD>(ClampComboNumber(IDC_SECONDS, kSecondsMin, kSecondsMax)), true);
}

// ---------------------------------------------------------------------------------------------

CKRPropertySheetDlg::CKRPropertySheetDlg(ITrayServices* services)
    : CPropertySheet(L"Kestrin Properties", nullptr, 0),
      m_settings(SettingsUtilsNS::kLoadGroupAll),
      m_borderPage(&m_settings, services),
      m_audioPage(&m_settings, services),
      m_generalPage(&m_settings, services),
      m_shadowPage(&m_settings, services) {
  m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
  AddPage(&m_borderPage);
  AddPage(&m_audioPage);
  AddPage(&m_generalPage);
  AddPage(&m_shadowPage);
}

void CKRPropertySheetDlg::LoadSettings() {
  if (m_settings.Reload(SettingsUtilsNS::kLoadGroupAll)) return;
  if (m_settings.IsKeyMissing()) {
    m_settings.CreateDefaults();
    return;
  }
  // Some value is missing or unreadable: the others are still the user's.
  m_settings.SetDefaults();
  if (!m_settings.OpenRead(false)) return;
  for (DWORD bit = 1; bit; bit <<= 1) m_settings.LoadMasked(bit);
  m_settings.CloseKey();
}

INT_PTR CKRPropertySheetDlg::RunModal() {
  LoadSettings();
  return DoModal();
}
