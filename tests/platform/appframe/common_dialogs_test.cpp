#include <gtest/gtest.h>

#include <windows.h>
#include <colordlg.h>
#include <dlgs.h>

#include <functional>
#include <string>

#include "platform/appframe/common_dialogs.h"
#include "platform/win/scoped_handle.h"
#include "tests/platform/appframe/modal_driver.h"

namespace {

using appframetest::CModalDriver;

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}

TEST(CommonDialogs, ColourDialogStartsFromTheGivenColourAndGivesTheChosenOne) {
  struct Case {
    const char* what;
    int button;
    INT_PTR result;
  } cases[] = {{"OK", IDOK, IDOK}, {"Cancel", IDCANCEL, IDCANCEL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CColorDialog dialog(RGB(0x12, 0x34, 0x56), CC_FULLOPEN);
    std::wstring red, green, blue;
    CModalDriver driver([&](HWND box) {
      red = ItemText(box, COLOR_RED);
      green = ItemText(box, COLOR_GREEN);
      blue = ItemText(box, COLOR_BLUE);
      SetDlgItemTextW(box, COLOR_RED, L"200");
      SetDlgItemTextW(box, COLOR_GREEN, L"100");
      SetDlgItemTextW(box, COLOR_BLUE, L"50");
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, c.button)));
    }, nullptr);
    EXPECT_EQ(c.result, dialog.DoModal());
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(L"18", red);
    EXPECT_EQ(L"52", green);
    EXPECT_EQ(L"86", blue);
    if (c.result == IDOK) {
      EXPECT_EQ(RGB(200, 100, 50), dialog.GetColor());
    }
  }
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"appframe_file_dialog";
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : {L"\\chime.wav", L"\\notes.txt"}) {
      KestrinWinNS::CScopedKernelHandle file(
          CreateFileW((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      ASSERT_TRUE(file.IsValid());   // an empty file: only its name is wanted
    }
  }
  void TearDown() override {
    DeleteFileW((folder_ + L"\\chime.wav").c_str());
    DeleteFileW((folder_ + L"\\notes.txt").c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder_;
};

// An open dialog with a default extension and a "|" filter: the filter's entries are offered,
// a name typed without extension comes back as the full path with the default extension, and
// Cancel gives IDCANCEL.
TEST_F(FileDialogTest, OpenGivesTheFullPathWithTheDefaultExtension) {
  struct Case {
    const char* what;
    const wchar_t* typed;
    int button;
    INT_PTR result;
    std::wstring path;
  } cases[] = {{"name without extension", L"chime", IDOK, IDOK, folder_ + L"\\chime.wav"},
               {"name with its extension", L"notes.txt", IDOK, IDOK, folder_ + L"\\notes.txt"},
               {"cancelled", L"chime", IDCANCEL, IDCANCEL, L""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFileDialog dialog(true, L"wav", nullptr, 0, L"WAV Files | *.wav|  All | *.*||");
    dialog.m_ofn.lpstrInitialDir = folder_.c_str();
    std::wstring first_filter;
    LRESULT filters = 0;
    CModalDriver driver([&](HWND box) {
      HWND types = GetDlgItem(box, cmb1);
      filters = SendMessageW(types, CB_GETCOUNT, 0, 0);
      wchar_t text[64] = {};
      if (filters > 0 && SendMessageW(types, CB_GETLBTEXTLEN, 0, 0) < 64)
        SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
      first_filter = text;
      SetDlgItemTextW(box, cmb13, c.typed);   // the file name box
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, c.button)));
    }, nullptr);
    EXPECT_EQ(c.result, dialog.DoModal());
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(2, filters);
    EXPECT_EQ(L"WAV Files ", first_filter);
    EXPECT_EQ(c.path, std::wstring(dialog.GetPathName().GetString()));
  }
}

}  // namespace
