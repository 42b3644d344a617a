#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appframe/dialog.h"
#include "platform/appframe/property_sheet.h"
#include "tests/platform/appframe/appframe_test_ids.h"
#include "tests/platform/appframe/modal_driver.h"

namespace {

class CExchangeDialog : public CDialog {
 public:
  CExchangeDialog() : CDialog(IDD_EXCHANGE) {}
  CString text = L"start";
  int choice = 1;
  int check = 1;
  int number = 12;
  bool end_at_once = false;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_TEXT, text);
    DDX_Radio(dx, IDC_RADIO_A, choice);
    DDX_Check(dx, IDC_CHECK, check);
    DDX_Text(dx, IDC_NUMBER, number);
    DDV_MinMaxInt(dx, number, 0, 100);
  }
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    if (end_at_once) {
      SetDlgItemText(IDC_TEXT, L"changed");
      PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    }
    return true;
  }
};

TEST(Dialog, DataExchangeBothWays) {
  CExchangeDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_EXCHANGE));
  EXPECT_EQ(CString(L"start"), dialog.GetDlgItemText(IDC_TEXT));
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), dialog.IsDlgButtonChecked(IDC_RADIO_B));
  EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), dialog.IsDlgButtonChecked(IDC_RADIO_A));
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), dialog.IsDlgButtonChecked(IDC_CHECK));
  EXPECT_EQ(CString(L"12"), dialog.GetDlgItemText(IDC_NUMBER));

  dialog.SetDlgItemText(IDC_TEXT, L"typed");
  dialog.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_C);
  dialog.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
  dialog.SetDlgItemText(IDC_NUMBER, L" 42 ");
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(CString(L"typed"), dialog.text);
  EXPECT_EQ(2, dialog.choice);
  EXPECT_EQ(0, dialog.check);
  EXPECT_EQ(42, dialog.number);

  // No radio checked reads as -1; -1 written unchecks them all.
  dialog.CheckDlgButton(IDC_RADIO_C, BST_UNCHECKED);
  dialog.UpdateData(true);
  EXPECT_EQ(-1, dialog.choice);
  dialog.choice = 0;
  dialog.UpdateData(false);
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), dialog.IsDlgButtonChecked(IDC_RADIO_A));
  dialog.DestroyWindow();
  EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(Dialog, ModalOkSavesAndEnds) {
  CExchangeDialog dialog;
  dialog.end_at_once = true;
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_EQ(CString(L"changed"), dialog.text);
  EXPECT_EQ(nullptr, dialog.m_hWnd);
}

// A text the exchange cannot take, or a number out of range: the user is told in a box owned
// by the dialog, the control gets the focus with its text selected, and OK leaves the dialog
// open. A text that is not a number leaves the member as it was; a number out of range has been
// stored when its range check refuses it.
TEST(Dialog, ARefusedExchangeIsReportedAndKeepsTheDialogOpen) {
  struct Case {
    const char* what;
    const wchar_t* typed;
    const wchar_t* told;
    int member;
  } cases[] = {{"letters", L"abc", L"Please enter an integer.", 12},
               {"too big for an int", L"99999999999", L"Please enter an integer.", 12},
               {"out of range", L"500", L"Please enter an integer between 0 and 100.", 500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EXCHANGE));
    dialog.ShowWindow(SW_SHOW);
    dialog.SetDlgItemText(IDC_NUMBER, c.typed);
    HWND number = ::GetDlgItem(dialog.m_hWnd, IDC_NUMBER);
    std::wstring told;
    auto read_and_close = [&told](HWND box) {
      wchar_t text[128] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 128);   // the message box's text
      told = text;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    {
      appframetest::CModalDriver driver(read_and_close, dialog.m_hWnd);
      EXPECT_FALSE(dialog.UpdateData(true));
      EXPECT_TRUE(driver.Ran());
    }
    EXPECT_EQ(c.told, told);
    EXPECT_EQ(c.member, dialog.number);
    EXPECT_EQ(number, GetFocus());
    DWORD from = 99, to = 0;
    SendMessageW(number, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(0u, from);
    EXPECT_EQ(static_cast<DWORD>(GetWindowTextLengthW(number)), to);

    told.clear();
    {
      appframetest::CModalDriver driver(read_and_close, dialog.m_hWnd);
      dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
      EXPECT_TRUE(driver.Ran());
    }
    EXPECT_EQ(c.told, told);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
    dialog.DestroyWindow();
  }
}

class CRecordingPage : public CPropertyPage {
 public:
  CRecordingPage(UINT id, std::vector<int>* log, int tag) : CPropertyPage(id), log_(log), tag_(tag) {}
  bool OnApply() override {
    log_->push_back(tag_);
    return true;
  }

 private:
  std::vector<int>* log_;
  int tag_;
};

// A sheet that runs a script once its window exists: visit pages, then press a button.
class CScriptedSheet : public CPropertySheet {
 public:
  CScriptedSheet() : CPropertySheet(L"Sheet") { m_psh.dwFlags |= PSH_NOAPPLYNOW; }
  std::vector<int> visit;
  int button = PSBTN_OK;

 protected:
  void OnSheetCreated() override { PostMessage(WM_APP); }
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_APP) {
      for (int page : visit) SetActivePage(page);
      SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button));
      return 0;
    }
    return CPropertySheet::WindowProc(message, wparam, lparam);
  }
};

TEST(Sheet, OkAppliesThePagesThatWereShown) {
  struct Case {
    std::vector<int> visit;
    int button;
    INT_PTR result;
    std::vector<int> applied;
  } cases[] = {
      {{}, PSBTN_OK, IDOK, {1}},
      {{1}, PSBTN_OK, IDOK, {1, 2}},
      {{1}, PSBTN_CANCEL, IDCANCEL, {}},
  };
  for (const Case& c : cases) {
    std::vector<int> applied;
    CRecordingPage one(IDD_PAGE_ONE, &applied, 1), two(IDD_PAGE_TWO, &applied, 2);
    CScriptedSheet sheet;
    sheet.visit = c.visit;
    sheet.button = c.button;
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    EXPECT_EQ(c.result, sheet.DoModal());
    EXPECT_EQ(c.applied, applied);
    EXPECT_EQ(nullptr, sheet.m_hWnd);
    EXPECT_EQ(nullptr, one.m_hWnd);
  }
}

}  // namespace
