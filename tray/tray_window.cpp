#include "tray/tray_window.h"

#include <commctrl.h>

#include "common/log/log_helper.h"
#include "common/settings/settings.h"
#include "platform/win/scoped_handle.h"
#include "tray/settings_converter.h"
#include "tray/tray_resource.h"

const wchar_t kTrayWindowClass[] = L"Torvan_ZNR_Shadow_Class";
const wchar_t kTrayIconMessage[] = L"TorvanZNRTrayIcon";
bool g_doubleClickSeen = false;

namespace {
// Message numbers registered at run time (the same for every window of the process).
UINT g_tray_message = 0;
UINT g_taskbar_created = 0;
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return true;
}

BEGIN_MESSAGE_MAP(CDravixTrayMFCDlg, CWnd)
  ON_REGISTERED_MESSAGE(g_tray_message, OnTrayNotify)
  ON_REGISTERED_MESSAGE(g_taskbar_created, OnTaskbarCreated)
  ON_WM_TIMER()
  ON_WM_CLOSE()
  ON_COMMAND(ID_TRAY_ABOUT, ShowAboutBox)
  ON_COMMAND(ID_TRAY_OPTIONS, ShowOptionsSheet)
  ON_COMMAND(ID_TRAY_HELP, OpenOnlineHelp)
END_MESSAGE_MAP()

CDravixTrayMFCDlg::CDravixTrayMFCDlg(ITrayServices* services)
    : m_services(services), m_options(services), m_updater(services) {
  ZeroMemory(&m_trayIcon, sizeof(m_trayIcon));
  m_icon.Reset(static_cast<HICON>(
      LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  m_trayMessage = g_tray_message = RegisterWindowMessageW(kTrayIconMessage);
  m_taskbarCreatedMessage = g_taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  if (!m_taskbarCreatedMessage)
    LogHelperNS::CLogHelper::GetInstance()->Log("Failed to setup Tray update notification", 2, true);
}

CDravixTrayMFCDlg::~CDravixTrayMFCDlg() {
  if (m_hWnd) DestroyWindow();
}

bool CDravixTrayMFCDlg::CreateHiddenWindow() {
  if (!CreateEx(0, kTrayWindowClass, L"", 3, CRect(), nullptr, 0)) return false;
  m_trayIcon.cbSize = NOTIFYICONDATAW_V3_SIZE;
  m_trayIcon.hWnd = m_hWnd;
  m_trayIcon.uID = kTrayIconId;
  m_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_trayIcon.uCallbackMessage = m_trayMessage;
  m_trayIcon.hIcon = m_icon.Get();
  lstrcpynW(m_trayIcon.szTip, L"Kestrin", 128);
  bool result = m_menu.LoadMenu(GetResourceModule(), IDR_TRAY_MENU);
  Shell_NotifyIconW(NIM_ADD, &m_trayIcon);
  SetTimer(kTimerUpdateCheck, m_services->UpdateTimerPeriodMs());
  result = RunSettingsBootstrap(result);
  // The first update check runs now.
  SendMessage(WM_TIMER, kTimerUpdateCheck);
  return result;
}

bool CDravixTrayMFCDlg::RunSettingsBootstrap(bool provisional) {
  SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
  if (settings.IsKeyMissing()) return settings.CreateDefaults();
  SettingsUtilsNS::CSettingsConverter converter;
  if (!converter.NeedsConversion()) return provisional;
  // Only a key that cannot take the new version number falls back to the defaults.
  return converter.Convert() || settings.CreateDefaults();
}

LRESULT CDravixTrayMFCDlg::OnTrayNotify(WPARAM wparam, LPARAM lparam) {
  switch (static_cast<UINT>(lparam)) {
    case WM_LBUTTONDBLCLK:
      g_doubleClickSeen = true;
      KillTimer(kTimerSingleClick);
      ShowAboutBox();
      return 0;
    case WM_LBUTTONUP:
      if (g_doubleClickSeen) {
        g_doubleClickSeen = false;
        break;
      }
      SetTimer(kTimerSingleClick, GetDoubleClickSpeed());
      return 0;
    case WM_RBUTTONUP:
      ShowTrayMenu();
      break;
    default:
      break;
  }
  return DefWindowProc(m_trayMessage, wparam, lparam);
}

LRESULT CDravixTrayMFCDlg::OnTaskbarCreated(WPARAM wparam, LPARAM lparam) {
  Shell_NotifyIconW(NIM_ADD, &m_trayIcon);
  return DefWindowProc(m_taskbarCreatedMessage, wparam, lparam);
}

void CDravixTrayMFCDlg::OnTimer(UINT_PTR id) {
  if (id == kTimerSingleClick) {
    KillTimer(kTimerSingleClick);
    ShowTrayMenu();
  } else if (id == kTimerUpdateCheck) {
    m_updater.CheckForUpdate();
  }
  DefWindowProc(WM_TIMER, id, 0);
}

UINT CDravixTrayMFCDlg::GetDoubleClickSpeed() {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return 500;
  wchar_t text[261] = {};
  DWORD type = 0, size = 260 * sizeof(wchar_t);
  LONG status = RegQueryValueExW(key.Get(), L"DoubleClickSpeed", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return 500;
  return static_cast<UINT>(_wtoi(text));
}

void CDravixTrayMFCDlg::ShowTrayMenu() {
  POINT at;
  if (!GetCursorPos(&at) || !m_menu.GetSafeHmenu()) return;
  CMenu* popup = m_menu.GetSubMenu(0);
  if (!popup) return;
  popup->SetDefaultItem(ID_TRAY_ABOUT);
  SetForegroundWindow();
  popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, m_hWnd);
}

void CDravixTrayMFCDlg::SetCommandsEnabled(bool enabled) {
  UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  m_menu.EnableMenuItem(ID_TRAY_ABOUT, flags);
  m_menu.EnableMenuItem(ID_TRAY_OPTIONS, flags);
  m_menu.EnableMenuItem(ID_TRAY_HELP, flags);
}

void CDravixTrayMFCDlg::ShowAboutBox() {
  if (m_dialogOpen) return;
  m_dialogOpen = true;
  SetCommandsEnabled(false);
  CAboutDlg about;
  about.DoModal();
  SetCommandsEnabled(true);
  m_dialogOpen = false;
}

void CDravixTrayMFCDlg::ShowOptionsSheet() {
  if (m_dialogOpen) return;
  m_dialogOpen = true;
  SetCommandsEnabled(false);
  if (m_options.RunModal() == IDOK) m_options.m_settings.SaveChanged();
  SetCommandsEnabled(true);
  m_dialogOpen = false;
}

void CDravixTrayMFCDlg::OpenOnlineHelp() { m_services->OpenUrl(kHelpPageUrl); }

void CDravixTrayMFCDlg::OnClose() {
  Shell_NotifyIconW(NIM_DELETE, &m_trayIcon);
  m_icon.Reset();
  m_trayIcon.hIcon = nullptr;
  KillTimer(kTimerUpdateCheck);
  DefWindowProc(WM_CLOSE, 0, 0);
  PostQuitMessage(0);
}
