// The tray program's hidden main window: it owns the notification icon and its menu, opens the
// About box and the options sheet, keeps the settings key current and drives the daily update
// check from its hourly timer.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "platform/appframe/dialog.h"
#include "platform/appframe/menu.h"
#include "platform/appframe/wnd.h"
#include "platform/win/scoped_resource.h"
#include "tray/options_sheet.h"
#include "tray/tray_services.h"
#include "tray/update_check.h"

extern const wchar_t kTrayWindowClass[];   // "Torvan_ZNR_Shadow_Class"
extern const wchar_t kTrayIconMessage[];   // "TorvanZNRTrayIcon"
const UINT kTrayIconId = 131;
const UINT_PTR kTimerSingleClick = 1;
const UINT_PTR kTimerUpdateCheck = 2;

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  bool OnInitDialog() override;
};

class CDravixTrayMFCDlg : public CWnd {
 public:
  explicit CDravixTrayMFCDlg(ITrayServices* services);
  ~CDravixTrayMFCDlg() override;

  // Creates the hidden window, adds the icon, starts the update timer, makes sure the settings
  // key exists in the current format and runs the first update check. The start-up result.
  bool CreateHiddenWindow();

  virtual void ShowAboutBox();
  virtual void ShowOptionsSheet();
  void OpenOnlineHelp();
  virtual void ShowTrayMenu();
  static UINT GetDoubleClickSpeed();

  bool IsDialogOpen() const { return m_dialogOpen; }
  CMenu& GetMenu() { return m_menu; }
  CKRPropertySheetDlg& GetOptions() { return m_options; }
  UpdateUtilsNS::CKRUpdate& GetUpdater() { return m_updater; }
  const NOTIFYICONDATAW& GetIconRecord() const { return m_trayIcon; }
  UINT GetTrayMessage() const { return m_trayMessage; }

 protected:
  void OnTimer(UINT_PTR id);
  void OnClose();
  LRESULT OnTrayNotify(WPARAM wparam, LPARAM lparam);
  LRESULT OnTaskbarCreated(WPARAM wparam, LPARAM lparam);
  bool RunSettingsBootstrap(bool provisional);
  void SetCommandsEnabled(bool enabled);
  DECLARE_MESSAGE_MAP()

  ITrayServices* m_services;   // not owned
  NOTIFYICONDATAW m_trayIcon;
  CMenu m_menu;
  UINT m_trayMessage;
  UINT m_taskbarCreatedMessage;
  KestrinWinNS::CScopedIcon m_icon;
  bool m_dialogOpen = false;
  CKRPropertySheetDlg m_options;
  UpdateUtilsNS::CKRUpdate m_updater;
};

// The process's flag: the button-up that ends a double click opens nothing.
extern bool g_doubleClickSeen;
