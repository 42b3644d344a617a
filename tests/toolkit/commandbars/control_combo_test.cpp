// The bars' combo box: hint text, completion in place and the shell's auto-complete, the
// drop-down, keys, and its items in saved state.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "test_bars.h"
#include "toolkit/commandbars/auto_complete.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/prop_exchange.h"

using namespace TKCommandBars;

namespace {

const wchar_t kKey[] = L"Software\\KestrinTests\\ComboState";

// Records the toolkit's notifications and messages the owner window receives.
std::vector<int> g_codes;
std::vector<UINT> g_site_messages;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kMsgControlNotify) g_codes.push_back(static_cast<int>(reinterpret_cast<const NMTKCONTROL*>(l)->hdr.code));
  if (msg == CTKControlComboBox::kMsgDropDownOpening) g_site_messages.push_back(msg);
  return ::DefWindowProcW(hwnd, msg, w, l);
}

struct ComboFixture : BarFixture {
  explicit ComboFixture(bool withEdit = true) : BarFixture(1) {
    ::SetWindowLongPtrW(site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProc));
    g_codes.clear();
    g_site_messages.clear();
    combo = static_cast<CTKControlComboBox*>(bar->GetControls()->Add(kComboBox, 600));
    combo->SetDropDownListStyle(!withEdit);
    for (const wchar_t* item : {L"Abc", L"abd", L"Banana", L"Cherry"}) combo->GetList()->AddString(item);
    bar->CalcSize(600, 0);
  }
  ~ComboFixture() {
    if (combo->IsFocused()) combo->TakeFocus(false);
    bar->SetPopupOpen(-1, false);
    ::SetWindowLongPtrW(site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
  }
  HWND Edit() const { return combo->GetEditCtrl() ? combo->GetEditCtrl()->GetSafeHwnd() : nullptr; }
  // What a typed key does: the bar offers it to the combo, then the window has it.
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) {
      combo->OnHookKeyDown(static_cast<UINT>(::VkKeyScanW(ch) & 0xFF));
      ::SendMessageW(Edit(), WM_CHAR, ch, 0);
    }
  }
  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    ::SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  CTKControlComboBox* combo;
};

TEST(ComboBox, TheHintShowsWhileTheTextIsEmptyAndIsNeverTheText) {
  ComboFixture f;
  ASSERT_TRUE(::IsWindow(f.Edit()));
  f.combo->SetEditHint(L"Find");
  EXPECT_EQ(L"Find", f.combo->GetEditCtrl()->GetText());
  EXPECT_EQ(L"", f.combo->GetEditText());
  f.combo->SetEditText(L"Banana");
  EXPECT_EQ(L"Banana", f.combo->GetEditText());
  f.combo->SetEditHint(L"Search");  // a text stays
  EXPECT_EQ(L"Banana", f.combo->GetEditCtrl()->GetText());
  f.combo->SetEditText(L"");
  EXPECT_EQ(L"Search", f.combo->GetEditCtrl()->GetText());
  // Focus takes the hint away and an empty box shows it again when the focus goes.
  f.combo->TakeFocus(true);
  EXPECT_EQ(f.Edit(), ::GetFocus());
  EXPECT_EQ(L"", f.combo->GetEditCtrl()->GetText());
  f.combo->TakeFocus(false);
  EXPECT_EQ(L"Search", f.combo->GetEditCtrl()->GetText());
  EXPECT_EQ((std::vector<int>{CTKControlComboBox::kNotifyGotFocus, CTKControlComboBox::kNotifyLostFocus}), g_codes);
}

// A bar that hides the control without laying it out again (a ribbon's narrowed group, another
// tab's controls) hides its edit window with it, and shows it again with it.
TEST(ComboBox, HidingTheControlHidesItsEditWindow) {
  ComboFixture f;
  ASSERT_TRUE(::IsWindow(f.Edit()));
  auto shown = [&f] { return (::GetWindowLongW(f.Edit(), GWL_STYLE) & WS_VISIBLE) != 0; };
  ASSERT_TRUE(shown());
  for (int flag : {kHideShow, 0x80}) {
    SCOPED_TRACE(flag);
    f.combo->SetHideFlags(f.combo->GetHideFlags() | flag);
    EXPECT_FALSE(shown());
    f.combo->SetHideFlags(f.combo->GetHideFlags() & ~flag);
    EXPECT_TRUE(shown());
  }
}

TEST(ComboBox, TypingCompletesFromTheListAndDeletingDoesNotCompleteAgain) {
  ComboFixture f;
  f.combo->SetAutoComplete(true);
  f.combo->TakeFocus(true);
  f.Type(L"ab");
  EXPECT_EQ(L"Abc", f.combo->GetEditText());
  EXPECT_EQ(std::make_pair(DWORD{2}, DWORD{3}), f.Selection());
  EXPECT_EQ(0, f.combo->GetCurSel());  // the list follows the text
  EXPECT_TRUE(f.combo->OnHookKeyDown(VK_BACK));
  EXPECT_EQ(L"Ab", f.combo->GetEditText());  // the completed text, less the added part
  EXPECT_EQ(-1, f.combo->GetCurSel());
  f.Type(L"d");
  EXPECT_EQ(L"abd", f.combo->GetEditText());
  EXPECT_EQ(1, f.combo->GetCurSel());
}

// The shell's auto-complete where the platform has it; where it has not, the combo box
// completes from its own list.
HWND g_shell_edit = nullptr;
DWORD g_shell_flags = 0;
HRESULT WINAPI FakeShell(HWND edit, DWORD flags) {
  g_shell_edit = edit;
  g_shell_flags = flags;
  return S_OK;
}

struct ShellCase {
  CTKShellAutoCompleteFn shell;
  bool active;
  const wchar_t* after_typing_ba;
};
class ComboShellAutoComplete : public ::testing::TestWithParam<ShellCase> {};

TEST_P(ComboShellAutoComplete, UsesTheShellOrFallsBackToTheList) {
  TKSetShellAutoCompleteFunction(GetParam().shell);
  g_shell_edit = nullptr;
  {
    ComboFixture f;
    f.combo->EnableShellAutoComplete(0x10000001);
    EXPECT_EQ(GetParam().active, f.combo->IsShellAutoCompleteActive());
    EXPECT_EQ(GetParam().active ? f.Edit() : nullptr, g_shell_edit);
    if (GetParam().active) {
      EXPECT_EQ(0x10000001u, g_shell_flags);
    }
    f.combo->TakeFocus(true);
    f.Type(L"ba");
    EXPECT_EQ(GetParam().after_typing_ba, f.combo->GetEditText());
  }
  TKSetShellAutoCompleteFunction(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Platforms, ComboShellAutoComplete,
                         ::testing::Values(ShellCase{&FakeShell, true, L"ba"},
                                           ShellCase{&TKNoShellAutoComplete, false, L"Banana"}));

// A window of the class the shell gives its suggestion list, hidden until shown.
struct SuggestionWindow {
  explicit SuggestionWindow(const wchar_t* cls) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassW(&wc);
    hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, cls, L"", WS_POPUP, 0, 40, 100, 60, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~SuggestionWindow() { ::DestroyWindow(hwnd); }
  void Show(bool on) const { ::ShowWindow(hwnd, on ? SW_SHOWNA : SW_HIDE); }
  HWND hwnd;
};

// While the combo has the focus the shell's suggestion list is watched for: shown, the pointer's
// tracking trusts it, the edit hears of it and the list keys and the wheel are left to it;
// hidden, or with the focus gone, all of that ends.
TEST(ComboBox, TheShellsSuggestionListIsWatchedWhileTheComboHasTheFocus) {
  TKSetShellAutoCompleteFunction(&FakeShell);
  {
    SuggestionWindow suggestions(L"Auto-Suggest Dropdown");
    SuggestionWindow other(L"KestrinTestsNotSuggestions");
    ASSERT_NE(nullptr, suggestions.hwnd);
    ComboFixture f;
    f.combo->EnableShellAutoComplete(0x1);
    CTKControlComboBoxAutoCompleteWnd* watcher = f.combo->GetAutoSuggest();
    ASSERT_NE(nullptr, watcher);
    CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
    EXPECT_FALSE(watcher->IsWatching());
    suggestions.Show(true);
    EXPECT_EQ(nullptr, watcher->GetSuggestionWindow());
    suggestions.Show(false);

    f.combo->SetCurSel(1);
    f.combo->TakeFocus(true);
    EXPECT_TRUE(watcher->IsWatching());
    other.Show(true);
    EXPECT_EQ(nullptr, watcher->GetSuggestionWindow());
    suggestions.Show(true);
    EXPECT_EQ(suggestions.hwnd, watcher->GetSuggestionWindow());
    EXPECT_TRUE(mouse->IsTrustedWindow(suggestions.hwnd));
    MSG posted;
    EXPECT_TRUE(::PeekMessageW(&posted, f.Edit(), CTKControlComboBoxAutoCompleteWnd::kMsgSuggestionsShown,
                               CTKControlComboBoxAutoCompleteWnd::kMsgSuggestionsShown, PM_REMOVE));
    EXPECT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));
    EXPECT_EQ(1, f.combo->GetCurSel());
    EXPECT_FALSE(f.combo->OnMouseWheel(-WHEEL_DELTA));
    EXPECT_EQ(1, f.combo->GetCurSel());

    suggestions.Show(false);
    EXPECT_EQ(nullptr, watcher->GetSuggestionWindow());
    EXPECT_FALSE(mouse->IsTrustedWindow(suggestions.hwnd));
    EXPECT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));
    EXPECT_EQ(2, f.combo->GetCurSel());

    suggestions.Show(true);
    ASSERT_EQ(suggestions.hwnd, watcher->GetSuggestionWindow());
    f.combo->TakeFocus(false);
    EXPECT_FALSE(watcher->IsWatching());
    EXPECT_FALSE(mouse->IsTrustedWindow(suggestions.hwnd));
    suggestions.Show(false);
    suggestions.Show(true);
    EXPECT_EQ(nullptr, watcher->GetSuggestionWindow());
  }
  TKSetShellAutoCompleteFunction(nullptr);
}

// Tab moves on through the bar unless the shell was asked to give it to its suggestions.
TEST(ComboBox, TabGoesToTheShellOnlyWhenItWasAskedFor) {
  TKSetShellAutoCompleteFunction(&FakeShell);
  for (DWORD flags : {0x1ul, 0x1ul | CTKControlComboBox::kShellUseTab}) {
    SCOPED_TRACE(flags);
    ComboFixture f;
    f.combo->EnableShellAutoComplete(flags);
    f.combo->TakeFocus(true);
    EXPECT_EQ((flags & CTKControlComboBox::kShellUseTab) != 0, f.combo->OnHookKeyDown(VK_TAB));
  }
  TKSetShellAutoCompleteFunction(nullptr);
}

TEST(ComboBox, TheShellLookupIsMadeAtRunTime) {
  // What the running system offers; either way the answer is the lookup's, not a constant.
  KestrinWinNS::CScopedLibrary shell(::LoadLibraryW(L"shlwapi.dll"));
  const bool has = shell && ::GetProcAddress(shell.Get(), "SHAutoComplete");
  EXPECT_EQ(has, TKHasShellAutoComplete());
  TKSetShellAutoCompleteFunction(&TKNoShellAutoComplete);
  EXPECT_FALSE(TKHasShellAutoComplete());
  TKSetShellAutoCompleteFunction(nullptr);
}

struct DropCase {
  int items;
  int visible;     // DropDownItemCount
  int rows;        // rows the drop-down is high
};
class ComboDropDownSize : public ::testing::TestWithParam<DropCase> {};

TEST_P(ComboDropDownSize, IsTheItemsUpToTheDropDownCountAndAtLeastOne) {
  ComboFixture f;
  f.combo->GetList()->ResetContent();
  for (int i = 0; i < GetParam().items; ++i) f.combo->GetList()->AddString(L"item " + std::to_wstring(i));
  f.combo->SetDropDownItemCount(GetParam().visible);
  const CSize size = f.combo->DropDownSize();
  EXPECT_EQ(f.combo->GetRect().Width(), size.cx);
  EXPECT_EQ(f.combo->GetList()->GetItemHeight() * GetParam().rows + 4, size.cy);
}

INSTANTIATE_TEST_SUITE_P(Table, ComboDropDownSize,
                         ::testing::Values(DropCase{0, 12, 1}, DropCase{1, 12, 1}, DropCase{5, 12, 5}, DropCase{30, 12, 12},
                                           DropCase{30, 5, 5}));

TEST(ComboBox, TheDropDownOpensBelowTheControlWithTheTextSelectedAndCloses) {
  ComboFixture f;
  f.combo->SetEditText(L"cherry");
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  CTKControlComboBoxList* list = f.combo->GetList();
  EXPECT_TRUE(f.combo->GetPopuped());
  EXPECT_TRUE(::IsWindowVisible(list->GetSafeHwnd()));
  EXPECT_EQ(3, list->GetCurSel());
  RECT shown;
  ::GetWindowRect(list->GetSafeHwnd(), &shown);
  POINT corner{f.combo->GetRect().left, f.combo->GetRect().bottom};
  ::ClientToScreen(f.bar->GetSafeHwnd(), &corner);
  EXPECT_EQ(corner.x, shown.left);
  EXPECT_EQ(corner.y, shown.top);
  EXPECT_EQ(f.combo->DropDownSize().cy, shown.bottom - shown.top);
  EXPECT_EQ(1u, g_site_messages.size());
  f.bar->SetPopupOpen(-1, false);
  EXPECT_FALSE(f.combo->GetPopuped());
  EXPECT_FALSE(::IsWindowVisible(list->GetSafeHwnd()));
  EXPECT_EQ((std::vector<int>{CTKControlComboBox::kNotifyDropDown, CTKControlComboBox::kNotifyCloseUp}), g_codes);
}

TEST(ComboBox, TheDropDownIsAPopupBarThatAClickElsewhereClosesAndThatKeepsItsItems) {
  ComboFixture f;
  CTKControlComboBoxList* list = f.combo->GetList();
  ASSERT_TRUE(list->IsKindOf(RUNTIME_CLASS(CTKPopupBar)));
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  EXPECT_TRUE(list->IsTrackingMode());
  EXPECT_EQ(f.bar, list->GetParentBar());
  // The mouse manager closes the open popups when the pointer goes down outside them.
  CTKMouseManager::ThreadInstance()->CloseTrackedBars();
  EXPECT_FALSE(f.combo->GetPopuped());
  EXPECT_FALSE(list->IsTrackingMode());
  EXPECT_EQ(-1, f.bar->GetExpandedIndex());
  EXPECT_EQ((std::vector<int>{CTKControlComboBox::kNotifyDropDown, CTKControlComboBox::kNotifyCloseUp}), g_codes);
  // Hidden, not gone: its items wait for the next drop-down.
  ASSERT_TRUE(::IsWindow(list->GetListBox()));
  EXPECT_FALSE(::IsWindowVisible(list->GetSafeHwnd()));
  EXPECT_EQ(4, list->GetCount());
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  EXPECT_TRUE(::IsWindowVisible(list->GetSafeHwnd()));
}

TEST(ComboBox, AClickOnAnItemOfTheDropDownTakesItAndRunsTheCombo) {
  ComboFixture f;
  f.combo->TakeFocus(true);
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  HWND box = f.combo->GetList()->GetListBox();
  RECT item{};
  ASSERT_NE(LB_ERR, ::SendMessageW(box, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item)));
  const LPARAM at = MAKELPARAM(item.left + 2, item.top + 2);
  // Moving over an item marks it; the focus stays with the combo's edit.
  ::SendMessageW(box, WM_MOUSEMOVE, 0, at);
  EXPECT_EQ(2, f.combo->GetList()->GetCurSel());
  ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_TRUE(f.combo->IsFocused());
  EXPECT_NE(box, ::GetFocus());
  g_codes.clear();
  ::SendMessageW(box, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(L"Banana", f.combo->GetEditText());
  EXPECT_EQ(2, f.combo->GetCurSel());
  EXPECT_FALSE(f.combo->GetPopuped());
  ASSERT_FALSE(g_codes.empty());
  EXPECT_EQ(CTKControlComboBox::kNotifySelectionExecuted, g_codes.front());
  EXPECT_NE(g_codes.end(), std::find(g_codes.begin(), g_codes.end(), CTKControlComboBox::kNotifyCloseUp));
}

TEST(ComboBox, KeysMoveTheSelectionAndEscapeRestoresIt) {
  ComboFixture f;
  f.combo->SetCurSel(2);
  f.combo->TakeFocus(true);
  EXPECT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));
  EXPECT_EQ(3, f.combo->GetCurSel());
  EXPECT_EQ(L"Cherry", f.combo->GetEditText());
  EXPECT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));  // stays on the last
  EXPECT_EQ(3, f.combo->GetCurSel());
  EXPECT_TRUE(f.combo->OnHookKeyDown(VK_F4));
  EXPECT_TRUE(f.combo->GetPopuped());
  // Escape on a tool bar: closed, restored, the focus given up, and left for the bar.
  EXPECT_FALSE(f.combo->OnHookKeyDown(VK_ESCAPE));
  EXPECT_FALSE(f.combo->GetPopuped());
  EXPECT_FALSE(f.combo->IsFocused());
  EXPECT_EQ(2, f.combo->GetCurSel());
  EXPECT_EQ(L"Banana", f.combo->GetEditText());
}

// The wheel over the focused box steps through the list like Up and Down; an unfocused combo
// and an open drop-down leave it alone.
TEST(ComboBox, TheWheelStepsTheSelectionWhileFocusedAndShut) {
  ComboFixture f;
  f.combo->SetCurSel(1);
  auto wheel = [&](int delta) { ::SendMessageW(f.Edit(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(5, 5)); };
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(1, f.combo->GetCurSel());
  f.combo->TakeFocus(true);
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(2, f.combo->GetCurSel());
  EXPECT_EQ(L"Banana", f.combo->GetEditText());
  wheel(WHEEL_DELTA);
  wheel(WHEEL_DELTA);
  EXPECT_EQ(0, f.combo->GetCurSel());
  EXPECT_EQ(L"Abc", f.combo->GetEditText());
  wheel(WHEEL_DELTA);  // stays on the first
  EXPECT_EQ(0, f.combo->GetCurSel());
  ASSERT_TRUE(f.combo->OnHookKeyDown(VK_F4));
  ASSERT_TRUE(f.combo->GetPopuped());
  EXPECT_FALSE(f.combo->OnMouseWheel(-WHEEL_DELTA));
  EXPECT_EQ(0, f.combo->GetCurSel());
}

// Escape restores the selection and the text the combo had when it took the focus; only inside
// a popup bar is the key reported as handled (a tool bar leaves it to the bar).
TEST(ComboBox, EscapeRestoresAndIsHandledOnlyInsideAPopupBar) {
  for (int type : {kToolBar, kPopupBar}) {
    SCOPED_TRACE(type);
    ComboFixture f;
    f.bar->SetType(type);
    f.combo->SetCurSel(0);
    f.combo->TakeFocus(true);
    ASSERT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));
    ASSERT_TRUE(f.combo->OnHookKeyDown(VK_DOWN));
    ASSERT_EQ(L"Banana", f.combo->GetEditText());
    EXPECT_EQ(type == kPopupBar, f.combo->OnHookKeyDown(VK_ESCAPE));
    EXPECT_FALSE(f.combo->IsFocused());
    EXPECT_EQ(0, f.combo->GetCurSel());
    EXPECT_EQ(L"Abc", f.combo->GetEditText());
    f.bar->SetType(kToolBar);
  }
}

// A long list in a short drop-down: the item a key or the pointer moves to is always shown.
struct LongList {
  std::vector<UINT> keys;
  int expected;  // -1: any item after the first, the list box pages by what it shows
};

class ComboLongList : public ::testing::TestWithParam<LongList> {};

TEST_P(ComboLongList, KeysBringTheNewItemIntoView) {
  ComboFixture f;
  for (int i = 0; i < 30; ++i) f.combo->GetList()->AddString(L"Item " + std::to_wstring(100 + i));
  f.combo->SetDropDownItemCount(5);
  f.combo->SetCurSel(0);
  f.combo->TakeFocus(true);
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  HWND box = f.combo->GetList()->GetListBox();
  RECT client{};
  ::GetClientRect(box, &client);
  const int height = static_cast<int>(::SendMessageW(box, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(height, 0);
  const int shown = (client.bottom - client.top) / height;
  ASSERT_GE(shown, 1);
  for (UINT key : GetParam().keys) EXPECT_TRUE(f.combo->OnHookKeyDown(key)) << key;
  const int selected = f.combo->GetCurSel();
  if (GetParam().expected >= 0)
    EXPECT_EQ(GetParam().expected, selected);
  else
    EXPECT_GT(selected, 0);
  EXPECT_EQ(f.combo->GetList()->GetText(selected), f.combo->GetEditText());
  const int top = static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0));
  EXPECT_LE(top, selected);
  EXPECT_LT(selected, top + shown);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ComboLongList,
    ::testing::Values(LongList{std::vector<UINT>(12, VK_DOWN), 12},
                      LongList{{VK_NEXT}, -1},
                      LongList{{VK_NEXT, VK_NEXT, VK_NEXT}, -1},
                      LongList{std::vector<UINT>(20, VK_DOWN), 20},
                      LongList{[] { std::vector<UINT> keys(20, VK_DOWN); keys.insert(keys.end(), 8, VK_UP); return keys; }(), 12},
                      LongList{[] { std::vector<UINT> keys(25, VK_DOWN); keys.push_back(VK_PRIOR); return keys; }(), -1}));

// The list scrolled away from its selection while closed (typing scrolls it to the first
// item that begins with the text): it opens with the selected item shown, hot-tracking picks
// up from there.
TEST(ComboBox, TheDropDownOpensWithTheSelectedItemInView) {
  ComboFixture f;
  for (int i = 0; i < 30; ++i) f.combo->GetList()->AddString(L"Item " + std::to_wstring(100 + i));
  f.combo->SetDropDownItemCount(5);
  f.combo->SetCurSel(25);
  HWND box = f.combo->GetList()->GetListBox();
  ::SendMessageW(box, LB_SETTOPINDEX, 0, 0);
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  ASSERT_EQ(25, f.combo->GetCurSel());
  RECT client{};
  ::GetClientRect(box, &client);
  const int shown = (client.bottom - client.top) / static_cast<int>(::SendMessageW(box, LB_GETITEMHEIGHT, 0, 0));
  const int top = static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0));
  EXPECT_LE(top, 25);
  EXPECT_LT(25, top + shown);
}

TEST(ComboBox, ThePointerOverTheDropDownBringsTheHotItemIntoView) {
  ComboFixture f;
  for (int i = 0; i < 30; ++i) f.combo->GetList()->AddString(L"Item " + std::to_wstring(100 + i));
  f.combo->SetDropDownItemCount(5);
  f.combo->TakeFocus(true);
  ASSERT_TRUE(f.bar->SetPopupOpen(f.combo->GetIndex(), false));
  HWND box = f.combo->GetList()->GetListBox();
  ::SendMessageW(box, LB_SETTOPINDEX, 10, 0);
  RECT client{};
  ::GetClientRect(box, &client);
  const int height = static_cast<int>(::SendMessageW(box, LB_GETITEMHEIGHT, 0, 0));
  const int shown = (client.bottom - client.top) / height;
  // Over the last row the list shows: that item is hot and stays in view.
  ::SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(4, (shown - 1) * height + height / 2));
  EXPECT_EQ(10 + shown - 1, f.combo->GetList()->GetCurSel());
  const int top = static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0));
  EXPECT_LE(top, f.combo->GetList()->GetCurSel());
  EXPECT_LT(f.combo->GetList()->GetCurSel(), top + shown);
  // Dragged past the list's bottom with the button held, the list scrolls on by an item.
  ::SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, client.bottom + 5));
  EXPECT_EQ(top + 1, static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0)));
  EXPECT_EQ(top + shown, f.combo->GetList()->GetCurSel());
  EXPECT_EQ(box, ::GetCapture());
  // Held there, each tick of the drag timer scrolls one more.
  ::SendMessageW(box, WM_TIMER, CTKControlComboBoxList::kDragScrollTimer, 0);
  EXPECT_EQ(top + 2, static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0)));
  EXPECT_EQ(top + shown + 1, f.combo->GetList()->GetCurSel());
  // Past its top, back up.
  ::SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, static_cast<WORD>(-5)));
  EXPECT_EQ(top + 1, static_cast<int>(::SendMessageW(box, LB_GETTOPINDEX, 0, 0)));
  EXPECT_EQ(top + 1, f.combo->GetList()->GetCurSel());
  // Let go beyond the list: nothing is picked and the list lets the pointer go.
  g_codes.clear();
  ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(4, static_cast<WORD>(-5)));
  EXPECT_NE(box, ::GetCapture());
  EXPECT_TRUE(f.combo->GetPopuped());
  EXPECT_TRUE(g_codes.empty());
}

TEST(ComboBox, AListWithoutEditShowsTheSelectedItem) {
  ComboFixture f(false);
  EXPECT_EQ(nullptr, f.combo->GetEditCtrl());
  f.combo->SetCurSel(1);
  EXPECT_EQ(L"abd", f.combo->GetEditText());
  f.combo->TakeFocus(true);
  EXPECT_TRUE(f.combo->OnHookKeyDown(VK_UP));
  EXPECT_EQ(L"Abc", f.combo->GetEditText());
}

// ---------------------------------------------------------------------------------------------
// Saved state

class ComboState : public ::testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); TKRegisterCommandBarClasses(); }
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
};

TEST_F(ComboState, ItemsHintAndStyleRoundTripWithTheLayout) {
  CTKCommandBarManager manager;
  CTKCommandBar* bar = new CTKCommandBar;
  std::vector<CTKCommandBar*> bars{bar};
  CTKControlComboBox* combo = static_cast<CTKControlComboBox*>(bar->GetControls()->Add(kComboBox, 600));
  combo->SetDropDownListStyle(false);
  combo->SetEditHint(L"Find");
  combo->SetDropDownItemCount(7);
  combo->SetAutoComplete(true);
  for (const wchar_t* item : {L"One", L"Two", L"Three"}) combo->GetList()->AddString(item);
  ASSERT_TRUE(CTKBarLayoutState::SaveToRegistry(HKEY_CURRENT_USER, kKey, bars, &manager));
  std::vector<CTKCommandBar*> restored;
  ASSERT_TRUE(CTKBarLayoutState::LoadFromRegistry(HKEY_CURRENT_USER, kKey, &manager, &restored));
  ASSERT_EQ(1u, restored.size());
  const CTKControl* control = restored[0]->GetControl(0);
  ASSERT_TRUE(control->IsKindOf(RUNTIME_CLASS(CTKControlComboBox)));
  const CTKControlComboBox* back = static_cast<const CTKControlComboBox*>(control);
  EXPECT_TRUE(back->HasEdit());
  EXPECT_EQ(L"Find", back->GetEditHint());
  EXPECT_EQ(7, back->GetDropDownItemCount());
  EXPECT_TRUE(back->IsCompletingInPlace());
  ASSERT_NE(nullptr, back->GetList());
  EXPECT_NE(combo->GetList(), back->GetList());
  ASSERT_EQ(3, back->GetList()->GetCount());
  EXPECT_EQ(L"Two", back->GetList()->GetText(1));
  for (CTKCommandBar* b : restored) b->Release();
  bar->Release();
}

TEST_F(ComboState, AMissingDropDownItemCountLoadsTwelve) {
  {
    CTKControlComboBox saved;
    saved.SetDropDownItemCount(5);
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, false);
    saved.DoPropExchange(&px);
  }
  ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"DropDownItemCount"));
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, true);
  CTKControlComboBox combo;
  combo.SetDropDownItemCount(3);
  combo.DoPropExchange(&px);
  EXPECT_EQ(12, combo.GetDropDownItemCount());
}

struct ItemsDamage {
  const char* what;
  DWORD count;
  int items_written;
};
class ComboItemsDamage : public ::testing::TestWithParam<ItemsDamage> {};

TEST_P(ComboItemsDamage, AreRefusedAndAddNothing) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, false);
    CTKControlComboBoxList list;
    list.DoPropExchange(&px);
    CTKPropExchangeSection items(&px, L"Items");
    int count = static_cast<int>(GetParam().count);
    PropExchangeInt(items.get(), L"Count", &count, 0);
    for (int i = 0; i < GetParam().items_written; ++i) {
      CString text(L"x");
      items->TransferValue((L"Item" + std::to_wstring(i)).c_str(), CTKPropExchange::kString, &text, nullptr);
    }
  }
  CTKControlComboBoxList list;
  list.AddString(L"kept");
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, true);
  EXPECT_THROW(list.DoPropExchange(&px), CArchiveException);
  ASSERT_EQ(1, list.GetCount());
  EXPECT_EQ(L"kept", list.GetText(0));
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

INSTANTIATE_TEST_SUITE_P(Cases, ComboItemsDamage,
                         ::testing::Values(ItemsDamage{"huge", 0x7FFFFFFF, 2}, ItemsDamage{"negative", 0xFFFFFFFF, 2},
                                           ItemsDamage{"more than written", 5, 3}));

}  // namespace
