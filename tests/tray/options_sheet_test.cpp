#include <gtest/gtest.h>

#include <windows.h>
#include <colordlg.h>
#include <commctrl.h>
#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/settings/settings.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "tests/platform/appframe/modal_driver.h"
#include "tests/tray/tray_test_support.h"
#include "tray/options_sheet.h"
#include "tray/tray_resource.h"

namespace {

using namespace traytest;
using SettingsUtilsNS::CSettingsKestrin;

std::string g_iehost;  // scripted_ie.exe (--iehost=), the scripted browser with the add-on

// The scripted browser in a process of its own, talked to a line at a time through pipes.
class CScriptedBrowser {
 public:
  ~CScriptedBrowser() {
    if (process_) Quit();
  }
  bool Start(const std::string& program) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    KestrinWinNS::CScopedKernelHandle in, out;
    if (!CreatePipe(in.Receive(), to_child_.Receive(), &inherit, 0)) return false;
    if (!CreatePipe(from_child_.Receive(), out.Receive(), &inherit, 0)) return false;
    SetHandleInformation(to_child_.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(from_child_.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in.Get();
    si.hStdOutput = out.Get();
    si.hStdError = out.Get();
    std::string command = "\"" + program + "\"";
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
    KestrinWinNS::CScopedKernelHandle thread(pi.hThread);  // only the process is waited for
    process_.Reset(pi.hProcess);
    return true;
  }
  // The next line of output, without its end; empty once the program has ended.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (ReadFile(from_child_.Get(), &c, 1, &read, nullptr) && read == 1 && c != '\n')
      if (c != '\r') line += c;
    return line;
  }
  std::string Ask(const char* command) {
    std::string line = std::string(command) + "\n";
    DWORD written = 0;
    WriteFile(to_child_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return ReadLine();
  }
  // Asks the program to end; its exit code.
  DWORD Quit() {
    DWORD written = 0;
    WriteFile(to_child_.Get(), "quit\n", 5, &written, nullptr);
    to_child_.Reset();
    DWORD code = 99;
    if (WaitForSingleObject(process_.Get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process_.Get(), &code);
    process_.Reset();
    return code;
  }

 private:
  KestrinWinNS::CScopedKernelHandle process_;
  KestrinWinNS::CScopedKernelHandle to_child_;
  KestrinWinNS::CScopedKernelHandle from_child_;
};

class OptionsSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsKey();
    CSettingsKestrin defaults(SettingsUtilsNS::kLoadGroupAll);
    ASSERT_TRUE(defaults.CreateDefaults());
  }
  void TearDown() override { DeleteSettingsKey(); }

  // Runs the sheet; `script` acts on it once it is up and ends it.
  INT_PTR RunSheet(CKRPropertySheetDlg& sheet, std::function<void(CKRPropertySheetDlg&)> script) {
    RunFromLoop([&sheet, script] { script(sheet); });
    return sheet.RunModal();
  }
  static void ShowPage(CKRPropertySheetDlg& sheet, int index) {
    SendMessageW(sheet.m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  static void Press(CKRPropertySheetDlg& sheet, int button) {
    SendMessageW(sheet.m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
  }
  static void TypeInCombo(HWND page, int id, const wchar_t* text, bool leave) {
    SetDlgItemTextW(page, id, text);
    if (leave) SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  }
  static std::wstring Text(HWND page, int id) {
    wchar_t text[MAX_PATH] = {};
    GetDlgItemTextW(page, id, text, MAX_PATH);
    return text;
  }
  static DWORD Stored(const wchar_t* name) {
    DWORD value = 0xDEAD;
    ReadDword(name, &value);
    return value;
  }
  CRecordingServices services_;
};

TEST_F(OptionsSheetTest, PagesShowTheStoredValues) {
  WriteDword(L"BorderWidth", 12);
  WriteDword(L"DisplayTextSize", 14);
  WriteDword(L"Current_KRAIDA_State", 1);
  WriteDword(L"ShowCursorType", 1);
  WriteDword(L"KRAIDA_ValidatingFor", 7);
  WriteDword(L"ErrorOnFailedRevocationCheck", 0);
  WriteDword(L"UseAudio", 1);
  WriteText(L"MouseOverSound", L"C:\\sounds\\over.wav");
  CKRPropertySheetDlg sheet(&services_);
  EXPECT_EQ(IDCANCEL, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
    HWND border = s.m_borderPage.m_hWnd;
    EXPECT_EQ(12, SendDlgItemMessageW(border, IDC_WIDTH_SLIDER, TBM_GETPOS, 0, 0));
    EXPECT_EQ(2, SendDlgItemMessageW(border, IDC_WIDTH_SLIDER, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(25, SendDlgItemMessageW(border, IDC_WIDTH_SLIDER, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(L"12", Text(border, IDC_WIDTH_TEXT));
    EXPECT_EQ(L"14", Text(border, IDC_TEXT_SIZE));
    EXPECT_EQ(16, SendDlgItemMessageW(border, IDC_TEXT_SIZE, CB_GETCOUNT, 0, 0));
    ShowPage(s, 1);
    HWND audio = s.m_audioPage.m_hWnd;
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(audio, IDC_USE_AUDIO));
    EXPECT_EQ(L"C:\\sounds\\over.wav", Text(audio, IDC_OVER_SOUND));
    ShowPage(s, 2);
    HWND general = s.m_generalPage.m_hWnd;
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), IsDlgButtonChecked(general, IDC_REVOCATION));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(general, IDC_EV_GROUP)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(general, IDC_EV_CHECK)));
    ShowPage(s, 3);
    HWND kraida = s.m_shadowPage.m_hWnd;
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(kraida, IDC_MODE_AUTO));
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(kraida, IDC_CURSOR_FLASH));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(kraida, IDC_SECONDS)));
    EXPECT_EQ(L"7", Text(kraida, IDC_SECONDS));
    // "Turn off" disables the seconds box.
    SendMessageW(GetDlgItem(kraida, IDC_MODE_OFF), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(kraida, IDC_SECONDS)));
    Press(s, PSBTN_CANCEL);
  }));
  // Cancel wrote nothing.
  EXPECT_EQ(1u, Stored(L"Current_KRAIDA_State"));
}

TEST_F(OptionsSheetTest, NumbersAreClampedWhenLeftAndWhenSentWithEnter) {
  struct Case {
    const wchar_t* size_text;
    const wchar_t* seconds_text;
    bool leave;   // false: the box still has the focus when the sheet closes
    DWORD size;
    DWORD seconds;
  } cases[] = {{L"7", L"0", true, 10, 1}, {L"40", L"11", true, 25, 10}, {L"7", L"0", false, 10, 1},
               {L"40", L"11", false, 25, 10}, {L"abc", L"-5", false, 10, 1}, {L"17", L"3", true, 17, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size_text << " " << c.seconds_text << " " << c.leave);
    CKRPropertySheetDlg sheet(&services_);
    EXPECT_EQ(IDOK, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
      HWND border = s.m_borderPage.m_hWnd;
      TypeInCombo(border, IDC_TEXT_SIZE, c.size_text, c.leave);
      if (c.leave) {
        EXPECT_EQ(std::to_wstring(c.size), Text(border, IDC_TEXT_SIZE));
      }
      ShowPage(s, 3);
      HWND kraida = s.m_shadowPage.m_hWnd;
      TypeInCombo(kraida, IDC_SECONDS, c.seconds_text, c.leave);
      if (c.leave) {
        EXPECT_EQ(std::to_wstring(c.seconds), Text(kraida, IDC_SECONDS));
      }
      Press(s, PSBTN_OK);
    }));
    EXPECT_EQ(c.size, Stored(L"DisplayTextSize"));
    EXPECT_EQ(c.seconds, Stored(L"KRAIDA_ValidatingFor"));
  }
}

TEST_F(OptionsSheetTest, SliderColourAndSoundReachTheRegistryOnOk) {
  services_.colour_chosen = true;
  services_.chosen_colour = RGB(0x12, 0x34, 0x56);
  services_.sound_file = L"C:\\sounds\\chime.wav";
  CKRPropertySheetDlg sheet(&services_);
  EXPECT_EQ(IDOK, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
    HWND border = s.m_borderPage.m_hWnd;
    HWND slider = GetDlgItem(border, IDC_WIDTH_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, 25);
    SendMessageW(border, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 25), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(L"25", Text(border, IDC_WIDTH_TEXT));
    SendMessageW(GetDlgItem(border, IDC_CHANGE_COLOR), BM_CLICK, 0, 0);
    // The swatch is painted with the chosen colour, with one brush for every paint.
    HWND swatch = GetDlgItem(border, IDC_COLOR_SWATCH);
    KestrinWinNS::CScopedClientDC dc(swatch);
    LRESULT first = SendMessageW(border, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(swatch));
    LRESULT second = SendMessageW(border, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(swatch));
    EXPECT_EQ(first, second);
    LOGBRUSH brush = {};
    GetObjectW(reinterpret_cast<HBRUSH>(first), sizeof(brush), &brush);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), brush.lbColor);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), GetBkColor(dc.Get()));
    ShowPage(s, 1);
    HWND audio = s.m_audioPage.m_hWnd;
    SendMessageW(GetDlgItem(audio, IDC_BROWSE_OVER), BM_CLICK, 0, 0);
    EXPECT_EQ(L"C:\\sounds\\chime.wav", Text(audio, IDC_OVER_SOUND));
    // The play button plays the chosen file before anything is applied.
    SendMessageW(GetDlgItem(audio, IDC_PLAY_OVER), BM_CLICK, 0, 0);
    // A path too long for the settings is refused and the chosen one stays.
    services_.sound_file = L"C:\\" + std::wstring(300, L'a') + L".wav";
    SendMessageW(GetDlgItem(audio, IDC_BROWSE_OVER), BM_CLICK, 0, 0);
    EXPECT_EQ(L"C:\\sounds\\chime.wav", Text(audio, IDC_OVER_SOUND));
    Press(s, PSBTN_OK);
  }));
  ASSERT_EQ(1u, services_.played.size());
  EXPECT_EQ(L"C:\\sounds\\chime.wav", services_.played[0]);
  EXPECT_EQ(25u, Stored(L"BorderWidth"));
  EXPECT_EQ(static_cast<DWORD>(RGB(0x12, 0x34, 0x56)), Stored(L"BorderColour"));
  CSettingsKestrin stored(SettingsUtilsNS::kLoadGroupAll);
  EXPECT_STREQ("C:\\sounds\\chime.wav", stored.GetMouseOverSound(false));
}

// Sound paths are kept as UTF-16: a path with characters the system code page cannot hold is
// shown, played and stored whole, and shown again when the sheet opens next; the add-on's 8-bit
// reads of a path the code page can hold stay exact.
TEST_F(OptionsSheetTest, SoundPathsOutsideTheCodePageAreKeptWhole) {
  const std::wstring wide = L"C:\\sounds\\\u0416\u4E2D\u0101.wav";
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  ASSERT_TRUE(lossy) << "the code page holds the test's characters";
  services_.sound_file = wide;
  CKRPropertySheetDlg sheet(&services_);
  EXPECT_EQ(IDOK, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
    ShowPage(s, 1);
    HWND audio = s.m_audioPage.m_hWnd;
    SendMessageW(GetDlgItem(audio, IDC_BROWSE_OVER), BM_CLICK, 0, 0);
    EXPECT_EQ(wide, Text(audio, IDC_OVER_SOUND));
    SendMessageW(GetDlgItem(audio, IDC_PLAY_OVER), BM_CLICK, 0, 0);
    services_.sound_file = L"C:\\sounds\\off.wav";
    SendMessageW(GetDlgItem(audio, IDC_BROWSE_OFF), BM_CLICK, 0, 0);
    Press(s, PSBTN_OK);
  }));
  ASSERT_EQ(1u, services_.played.size());
  EXPECT_EQ(wide, services_.played[0]);
  std::wstring stored;
  ASSERT_TRUE(ReadText(L"MouseOverSound", &stored));
  EXPECT_EQ(wide, stored);
  // The add-on's 8-bit read of the same values.
  CSettingsKestrin addon(SettingsUtilsNS::kLoadGroupAll);
  EXPECT_STREQ("C:\\sounds\\off.wav", addon.GetMouseOffSound(false));
  EXPECT_EQ(0, strncmp("C:\\sounds\\", addon.GetMouseOverSound(false), 10));
  EXPECT_EQ(wide, addon.GetMouseOverSoundW(false));

  CKRPropertySheetDlg again(&services_);
  EXPECT_EQ(IDCANCEL, RunSheet(again, [&](CKRPropertySheetDlg& s) {
    ShowPage(s, 1);
    EXPECT_EQ(wide, Text(s.m_audioPage.m_hWnd, IDC_OVER_SOUND));
    Press(s, PSBTN_CANCEL);
  }));
}

// The check boxes, the mouse-off sound and the pointer page's radios: a click marks the page
// changed; OK (and the save of what was kept, as the tray window does after OK) writes the new
// value with its registry type and no other change; Cancel leaves the key as it was.
TEST_F(OptionsSheetTest, ChecksRadiosAndTheMouseOffSoundAreSavedOnOkOnly) {
  struct Case {
    const char* what;
    int page;
    int control;            // the control clicked
    const wchar_t* value;   // the setting it edits
    DWORD before, after;    // a number, or
    const wchar_t* sound_before;   // (non-null) the sound file before
    const wchar_t* sound_after;    // and the one the file dialog gives
  } cases[] = {
      {"use audio on", 1, IDC_USE_AUDIO, L"UseAudio", 0, 1, nullptr, nullptr},
      {"use audio off", 1, IDC_USE_AUDIO, L"UseAudio", 1, 0, nullptr, nullptr},
      {"mouse-off sound", 1, IDC_BROWSE_OFF, L"MouseOffSound", 0, 0, L"C:\\old\\off.wav", L"C:\\sounds\\gone.wav"},
      {"revocation on", 2, IDC_REVOCATION, L"ErrorOnFailedRevocationCheck", 0, 1, nullptr, nullptr},
      {"revocation off", 2, IDC_REVOCATION, L"ErrorOnFailedRevocationCheck", 1, 0, nullptr, nullptr},
      {"mode: clear on move", 3, IDC_MODE_MOVE, L"Current_KRAIDA_State", 1, 0, nullptr, nullptr},
      {"mode: clear after", 3, IDC_MODE_AUTO, L"Current_KRAIDA_State", 2, 1, nullptr, nullptr},
      {"mode: off", 3, IDC_MODE_OFF, L"Current_KRAIDA_State", 0, 2, nullptr, nullptr},
      {"pointer trails", 3, IDC_CURSOR_TRAILS, L"ShowCursorType", 1, 0, nullptr, nullptr},
      {"flashing pointer", 3, IDC_CURSOR_FLASH, L"ShowCursorType", 0, 1, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
      SCOPED_TRACE(testing::Message() << c.what << (button == PSBTN_OK ? " OK" : " Cancel"));
      if (c.sound_before) {
        WriteText(c.value, c.sound_before);
        services_.sound_file = c.sound_after;
      } else {
        WriteDword(c.value, c.before);
      }
      services_.played.clear();
      auto stored_before = SnapshotSettingsKey();
      CKRPropertySheetDlg sheet(&services_);
      EXPECT_EQ(button == PSBTN_OK ? IDOK : IDCANCEL, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
        ShowPage(s, c.page);
        HWND page = reinterpret_cast<HWND>(SendMessageW(s.m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
        HWND apply = GetDlgItem(s.m_hWnd, 0x3021);   // the sheet's Apply button
        EXPECT_FALSE(IsWindowEnabled(apply));
        SendMessageW(GetDlgItem(page, c.control), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowEnabled(apply));
        // The seconds box is for "Clear automatically after" alone.
        if (wcscmp(c.value, L"Current_KRAIDA_State") == 0) {
          EXPECT_EQ(c.after == 1, IsWindowEnabled(GetDlgItem(page, IDC_SECONDS)) != FALSE);
        }
        if (c.sound_before) {
          EXPECT_EQ(c.sound_after, Text(page, IDC_OFF_SOUND));
          SendMessageW(GetDlgItem(page, IDC_PLAY_OFF), BM_CLICK, 0, 0);
          SendMessageW(GetDlgItem(page, IDC_PLAY_OVER), BM_CLICK, 0, 0);
        }
        Press(s, button);
      }));
      if (c.sound_before) {
        // Each play button plays its own sound, the chosen one before anything is applied.
        ASSERT_EQ(2u, services_.played.size());
        EXPECT_EQ(c.sound_after, services_.played[0]);
        EXPECT_NE(c.sound_after, services_.played[1]);
      }
      if (button == PSBTN_OK) sheet.m_settings.SaveChanged();
      auto stored_after = SnapshotSettingsKey();
      if (button == PSBTN_CANCEL) {
        EXPECT_TRUE(stored_before == stored_after);
        continue;
      }
      if (c.sound_before) {
        std::wstring sound;
        EXPECT_TRUE(ReadText(c.value, &sound));   // REG_SZ
        EXPECT_EQ(c.sound_after, sound);
      } else {
        DWORD value = 0xDEAD;
        EXPECT_TRUE(ReadDword(c.value, &value));   // REG_DWORD
        EXPECT_EQ(c.after, value);
      }
      stored_before.erase(c.value);
      stored_after.erase(c.value);
      EXPECT_TRUE(stored_before == stored_after);
    }
  }
}

// "Change..." and "Browse..." with the system's own dialogs: the colour dialog opens full on
// the stored colour and its choice is saved; the file dialog offers the wave filter and gives
// a name typed without extension back as a full ".wav" path.
TEST_F(OptionsSheetTest, TheSystemDialogsChooseTheColourAndTheSound) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tray_sounds";
  const std::wstring chime = folder + L"\\chime.wav";
  CreateDirectoryW(folder.c_str(), nullptr);
  {
    KestrinWinNS::CScopedKernelHandle file(
        CreateFileW(chime.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.IsValid());   // an empty file: only its name is wanted
  }
  WriteDword(L"BorderColour", RGB(0x12, 0x34, 0x56));
  CSystemTrayServices system;
  CKRPropertySheetDlg sheet(&system);
  std::wstring red, green, blue, first_filter;
  bool define_button_enabled = true;
  EXPECT_EQ(IDOK, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
    HWND border = s.m_borderPage.m_hWnd;
    {
      appframetest::CModalDriver driver([&](HWND box) {
        red = Text(box, COLOR_RED);
        green = Text(box, COLOR_GREEN);
        blue = Text(box, COLOR_BLUE);
        define_button_enabled = IsWindowEnabled(GetDlgItem(box, COLOR_MIX)) != FALSE;   // off when open full
        SetDlgItemTextW(box, COLOR_RED, L"200");
        SetDlgItemTextW(box, COLOR_GREEN, L"100");
        SetDlgItemTextW(box, COLOR_BLUE, L"50");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      }, s.m_hWnd);
      SendMessageW(GetDlgItem(border, IDC_CHANGE_COLOR), BM_CLICK, 0, 0);
      EXPECT_TRUE(driver.Ran());
    }
    ShowPage(s, 1);
    HWND audio = s.m_audioPage.m_hWnd;
    {
      appframetest::CModalDriver driver([&](HWND box) {
        HWND types = GetDlgItem(box, cmb1);
        wchar_t text[64] = {};
        if (SendMessageW(types, CB_GETLBTEXTLEN, 0, 0) < 64)
          SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        first_filter = text;
        SetDlgItemTextW(box, cmb13, (folder + L"\\chime").c_str());   // the file name box
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      }, s.m_hWnd);
      SendMessageW(GetDlgItem(audio, IDC_BROWSE_OVER), BM_CLICK, 0, 0);
      EXPECT_TRUE(driver.Ran());
    }
    EXPECT_EQ(chime, Text(audio, IDC_OVER_SOUND));
    Press(s, PSBTN_OK);
  }));
  DeleteFileW(chime.c_str());
  RemoveDirectoryW(folder.c_str());
  EXPECT_EQ(L"18", red);
  EXPECT_EQ(L"52", green);
  EXPECT_EQ(L"86", blue);
  EXPECT_FALSE(define_button_enabled);
  EXPECT_EQ(L"WAV Files ", first_filter);
  EXPECT_EQ(static_cast<DWORD>(RGB(200, 100, 50)), Stored(L"BorderColour"));
  std::wstring sound;
  EXPECT_TRUE(ReadText(L"MouseOverSound", &sound));
  EXPECT_EQ(chime, sound);
}

TEST_F(OptionsSheetTest, AFailedLoadKeepsTheUsersSettings) {
  WriteDword(L"BorderColour", 0x0000FF);
  WriteDword(L"BorderWidth", 20);
  {
    KestrinWinNS::CScopedRegKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", 0, KEY_WRITE, key.Receive());
    RegDeleteValueW(key.Get(), L"DisplayTextSize");   // one value gone: a full load fails
  }
  CKRPropertySheetDlg sheet(&services_);
  sheet.LoadSettings();
  EXPECT_EQ(0x0000FFu, sheet.m_settings.GetBorderColour(false));
  EXPECT_EQ(20u, sheet.m_settings.GetBorderWidth(false));
  EXPECT_EQ(18u, sheet.m_settings.GetDisplayTextSize(false));
  EXPECT_EQ(0x0000FFu, Stored(L"BorderColour"));
  EXPECT_EQ(20u, Stored(L"BorderWidth"));
  // Without any key, the defaults are stored.
  DeleteSettingsKey();
  sheet.LoadSettings();
  EXPECT_EQ(8u, Stored(L"BorderWidth"));
}

// Apply writes at once, and the add-on running in the scripted browser of another process
// (found through its registration) follows: its validation border draws itself in the new
// colour and width.
TEST_F(OptionsSheetTest, ApplyReachesARunningAddOnInAnotherProcess) {
  ASSERT_FALSE(g_iehost.empty()) << "--iehost= missing";
  CScriptedBrowser browser;
  ASSERT_TRUE(browser.Start(g_iehost));
  ASSERT_EQ("ready", browser.ReadLine());

  services_.colour_chosen = true;
  services_.chosen_colour = RGB(0xAB, 0xCD, 0xEF);
  CKRPropertySheetDlg sheet(&services_);
  EXPECT_EQ(IDCANCEL, RunSheet(sheet, [&](CKRPropertySheetDlg& s) {
    HWND border = s.m_borderPage.m_hWnd;
    HWND slider = GetDlgItem(border, IDC_WIDTH_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, 3);
    SendMessageW(border, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 3), reinterpret_cast<LPARAM>(slider));
    SendMessageW(GetDlgItem(border, IDC_CHANGE_COLOR), BM_CLICK, 0, 0);
    Press(s, PSBTN_APPLYNOW);
    // Cancel after Apply keeps what was applied.
    Press(s, PSBTN_CANCEL);
  }));
  EXPECT_EQ(3u, Stored(L"BorderWidth"));

  // Each saved value was broadcast synchronously: the add-on has its new look already.
  unsigned long edge = 0;
  int width = 0;
  std::string picture = browser.Ask("border");
  ASSERT_EQ(2, std::sscanf(picture.c_str(), "border %lx %d", &edge, &width)) << picture;
  EXPECT_EQ(0xABCDEFul, edge);
  EXPECT_EQ(3, width);
  EXPECT_EQ(0u, browser.Quit());
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--iehost=", 0) == 0) {
      g_iehost = arg.substr(9);
      for (char& c : g_iehost)
        if (c == '/') c = '\\';
      if (!g_iehost.empty() && g_iehost[0] == '\\') g_iehost = "Z:" + g_iehost;
    }
  }
  return RUN_ALL_TESTS();
}
