// The options sheet: four pages over one settings store. Applying a page writes its values at
// once and broadcasts the change to every running add-on.
#pragma once

#include <windows.h>

#include "common/settings/settings.h"
#include "platform/appframe/gdi.h"
#include "platform/appframe/property_sheet.h"
#include "platform/win/scoped_resource.h"
#include "tray/tray_resource.h"
#include "tray/tray_services.h"

// Bounds of the numbers the pages edit.
const int kBorderWidthMin = 2, kBorderWidthMax = 25;
const int kTextSizeMin = 10, kTextSizeMax = 25;
const int kSecondsMin = 1, kSecondsMax = 10;

// A page over the sheet's settings store (not owned).
class COptionsPage : public CPropertyPage {
 public:
  COptionsPage(UINT template_id, SettingsUtilsNS::CSettingsKestrin* settings, ITrayServices* services);

  // The page's values go to the store and its change bits are set (leaving the page).
  bool OnKillActive() override;
  // Writes the page's values at once (each broadcasts); false without a settings store.
  bool OnApply() override;
  bool OnInitDialog() override;

 protected:
  virtual void FillPage() = 0;
  virtual void LeavePage() {}
  virtual void ApplyPage() = 0;
  void MarkChanged() { SetModified(true); }
  // The combo box text as a decimal number clamped to [low, high]; the text is corrected
  // when it was out of range.
  int ClampComboNumber(int id, int low, int high);
  static int TextToNumber(const wchar_t* text);

  SettingsUtilsNS::CSettingsKestrin* m_settings;
  ITrayServices* m_services;
};

class CScreenBorderPropPage : public COptionsPage {
 public:
  CScreenBorderPropPage(SettingsUtilsNS::CSettingsKestrin* settings, ITrayServices* services);

 protected:
  void FillPage() override;
  void LeavePage() override;
  void ApplyPage() override;
  void OnChangeColour();
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
  void OnHScroll(UINT code, UINT pos, CWnd* scroll_bar);
  void OnTextSizeChanged() { MarkChanged(); }
  void OnTextSizeKillFocus();
  int WidthFromEdit();
  DECLARE_MESSAGE_MAP()

 private:
  CBrush swatch_brush_;          // the swatch's brush, made again only when the colour changes
  COLORREF swatch_colour_ = 0;
};

class CAudioPropPage : public COptionsPage {
 public:
  CAudioPropPage(SettingsUtilsNS::CSettingsKestrin* settings, ITrayServices* services);
  ~CAudioPropPage() override;

 protected:
  void FillPage() override;
  void ApplyPage() override;
  void OnUseAudio();
  void OnBrowseOver() { Browse(IDC_OVER_SOUND, true); }
  void OnBrowseOff() { Browse(IDC_OFF_SOUND, false); }
  void OnPlayOver() { Play(IDC_PLAY_OVER, true); }
  void OnPlayOff() { Play(IDC_PLAY_OFF, false); }
  DECLARE_MESSAGE_MAP()

 private:
  void Browse(int edit_id, bool over);
  void Play(int button_id, bool over);

  KestrinWinNS::CScopedIcon play_icon_;
};

class CGeneralPropPage : public COptionsPage {
 public:
  CGeneralPropPage(SettingsUtilsNS::CSettingsKestrin* settings, ITrayServices* services);

 protected:
  void FillPage() override;
  void ApplyPage() override;
  void OnRevocation();
  DECLARE_MESSAGE_MAP()
};

class CShadowPropPage : public COptionsPage {
 public:
  CShadowPropPage(SettingsUtilsNS::CSettingsKestrin* settings, ITrayServices* services);

  int m_mode = 0;
  int m_cursorType = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  void FillPage() override;
  void LeavePage() override;
  void ApplyPage() override;
  void OnMode(int mode);
  void OnModeMove() { OnMode(0); }
  void OnModeAuto() { OnMode(1); }
  void OnModeOff() { OnMode(2); }
  void OnCursor(int type);
  void OnCursorTrails() { OnCursor(0); }
  void OnCursorFlash() { OnCursor(1); }
  void OnSecondsChanged() { MarkChanged(); }
  void OnSecondsKillFocus();
  DECLARE_MESSAGE_MAP()
};

class CKRPropertySheetDlg : public CPropertySheet {
 public:
  explicit CKRPropertySheetDlg(ITrayServices* services);

  // Loads the settings, then runs the sheet; IDOK or IDCANCEL.
  INT_PTR RunModal();
  // Loads every value from the registry. When the key is missing it is created with the
  // defaults; when single values cannot be read they take their defaults in the store only:
  // the user's stored settings are never overwritten here.
  void LoadSettings();

  SettingsUtilsNS::CSettingsKestrin m_settings;
  CScreenBorderPropPage m_borderPage;
  CAudioPropPage m_audioPage;
  CGeneralPropPage m_generalPage;
  CShadowPropPage m_shadowPage;
};
