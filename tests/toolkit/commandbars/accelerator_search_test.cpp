// Accelerator letters across keyboard layouts: a bar's own keys and the frame's letters find a
// control by what the key types in any installed layout.
#include "toolkit/commandbars/accelerator_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/control_edit.h"

using namespace TKCommandBars;

namespace {

const HKL kLatin = reinterpret_cast<HKL>(static_cast<UINT_PTR>(0x04090409));
const HKL kCyrillic = reinterpret_cast<HKL>(static_cast<UINT_PTR>(0x04190419));

// The keyboard layouts a test installs: in the Latin one the letter keys type their own capitals;
// in the Cyrillic one a few keys type the letters of the usual Russian arrangement (A types
// a dead accent there, to show that a dead key's character counts).
struct FakeLayouts {
  explicit FakeLayouts(std::vector<HKL> installed) {
    layouts = std::move(installed);
    TKSetKeyboardLayoutFunctions(&List, &Character);
  }
  ~FakeLayouts() {
    TKSetKeyboardLayoutFunctions(nullptr, nullptr);
    layouts.clear();
  }
  FakeLayouts(const FakeLayouts&) = delete;
  FakeLayouts& operator=(const FakeLayouts&) = delete;

  static int List(int count, HKL* out) {
    if (count == 0) return static_cast<int>(layouts.size());
    const int n = std::min(count, static_cast<int>(layouts.size()));
    std::copy_n(layouts.begin(), n, out);
    return n;
  }
  static UINT Character(UINT key, HKL layout) {
    if (layout == kLatin) return key >= 'A' && key <= 'Z' ? key : 0;
    static const std::map<UINT, UINT> cyrillic{
        {'F', L'А'}, {'D', L'В'}, {'G', L'П'}, {'O', L'Щ'}, {'A', 0x80000000u | L'´'},
    };
    const auto it = cyrillic.find(key);
    return layout == kCyrillic && it != cyrillic.end() ? it->second : 0;
  }
  static inline std::vector<HKL> layouts;
};

// The manager's bar of these captions (ids 100...), laid out, with its letters taken from any bar.
struct LetterFixture : ToolBarFixture {
  explicit LetterFixture(const std::vector<std::wstring>& captions) : ToolBarFixture(captions, Managed()) {
    manager.SetMenuBar(nullptr);
    manager.GetOptions().accelerators_any_bar = true;
    Layout();
  }
  static Options Managed() {
    Options options;
    options.managed_title = L"Standard";
    return options;
  }
};

TEST(AcceleratorSearch, AKeyFindsTheLetterItTypesInAnyInstalledLayout) {
  const std::vector<std::wstring> captions{L"&File", L"&Архив", L"&вид", L"Правка", L"&Options", L"&´ accent"};
  struct Case {
    const char* what;
    std::vector<HKL> layouts;
    UINT key;
    int found;  // -1: nothing
    bool ambiguous;
  } cases[] = {
      {"a lower-case Cyrillic letter after & by the key that types it", {kLatin, kCyrillic}, 'D', 2, false},
      {"the same key with the Latin layout alone", {kLatin}, 'D', -1, false},
      {"a key that types a marked letter in each layout", {kLatin, kCyrillic}, 'F', 0, true},
      {"the Cyrillic layout alone: only its letter", {kCyrillic}, 'F', 1, false},
      {"a Cyrillic first letter without &", {kLatin, kCyrillic}, 'G', 3, false},
      {"a key whose Cyrillic letter nothing has", {kLatin, kCyrillic}, 'O', 4, false},
      {"a dead key's accent", {kCyrillic}, 'A', 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLayouts layouts(c.layouts);
    const std::vector<int> ran = c.found >= 0 && !c.ambiguous ? std::vector<int>{100 + c.found} : std::vector<int>{};
    {
      // The bar's own search and its key handler.
      LetterFixture fx(captions);
      bool ambiguous = false;
      EXPECT_EQ(c.found, fx.bar->FindAccelerator(c.key, &ambiguous));
      EXPECT_EQ(c.ambiguous, ambiguous);
      EXPECT_EQ(CTKCommandBar::kKeyHandled, fx.bar->OnHookKeyDown(c.key, 0));
      EXPECT_EQ(c.found, fx.bar->GetHotIndex());
      EXPECT_EQ(ran, fx.site.commands);
    }
    {
      // The manager's letters from the frame.
      LetterFixture fx(captions);
      EXPECT_EQ(c.found >= 0, fx.manager.OnFrameAcceleratorKey(c.key));
      EXPECT_EQ(c.found, fx.bar->GetHotIndex());
      EXPECT_EQ(ran, fx.site.commands);
    }
  }
}

// Alt held down for this thread while it lives.
struct AltHeld {
  AltHeld() {
    ::GetKeyboardState(saved);
    BYTE state[256];
    std::copy(std::begin(saved), std::end(saved), state);
    state[VK_MENU] = 0x80;
    ::SetKeyboardState(state);
  }
  ~AltHeld() { ::SetKeyboardState(saved); }
  AltHeld(const AltHeld&) = delete;
  AltHeld& operator=(const AltHeld&) = delete;
  BYTE saved[256] = {};
};

// With the focus in a bar's edit or combo box, Alt and a key that types a control's letter in
// the other layout leave the box for that control.
TEST(AcceleratorSearch, AltAndALetterLeaveAFocusedBoxForTheControlItNames) {
  struct Case {
    const char* what;
    int type;
    UINT key;
    bool left;
  } cases[] = {
      {"edit box, a Cyrillic letter", kEdit, 'D', true},
      {"combo box, a Cyrillic letter", kComboBox, 'D', true},
      {"edit box, a letter nothing has", kEdit, 'Q', false},
      {"combo box, a letter nothing has", kComboBox, 'Q', false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLayouts layouts({kLatin, kCyrillic});
    BarFixture fx(0);
    fx.bar->GetControls()->Add(kButton, 100)->SetCaption(L"&вид");
    CTKControl* box = fx.bar->GetControls()->Add(c.type, 101);
    fx.bar->CalcSize(600, 0);
    auto* edit = c.type == kEdit ? static_cast<CTKControlEdit*>(box) : nullptr;
    auto* combo = c.type == kComboBox ? static_cast<CTKControlComboBox*>(box) : nullptr;
    const auto focused = [&] { return edit ? edit->IsFocused() : combo->IsFocused(); };
    const auto take_focus = [&](bool on) { edit ? edit->TakeFocus(on) : combo->TakeFocus(on); };
    take_focus(true);
    ASSERT_TRUE(focused());
    {
      AltHeld alt;
      const bool taken = box->OnHookKeyDown(c.key);
      if (c.left) {
        EXPECT_TRUE(taken);
      }
    }
    EXPECT_EQ(!c.left, focused());
    EXPECT_EQ(c.left ? 0 : 1, fx.bar->GetHotIndex());  // the named control, else still the box
    EXPECT_EQ(c.left ? std::vector<int>{100} : std::vector<int>{}, fx.site.commands);
    if (focused()) take_focus(false);
  }
}

// The system's own layouts: under the test prefix a single Latin one.
TEST(AcceleratorSearch, TheSystemsLayoutsAnswerWithoutASeam) {
  std::vector<HKL> installed(static_cast<size_t>(::GetKeyboardLayoutList(0, nullptr)));
  ASSERT_FALSE(installed.empty());
  installed.resize(static_cast<size_t>(::GetKeyboardLayoutList(static_cast<int>(installed.size()), installed.data())));
  const bool cyrillic = std::any_of(installed.begin(), installed.end(), [](HKL layout) {
    return PRIMARYLANGID(LOWORD(reinterpret_cast<UINT_PTR>(layout))) == LANG_RUSSIAN;
  });
  // Each character once, however many layouts type it.
  const std::vector<wchar_t> typed = TKKeyCharacters('F');
  EXPECT_EQ(1, std::count(typed.begin(), typed.end(), L'F'));
  EXPECT_TRUE(TKKeyCharacters(VK_F1).empty());

  LetterFixture fx({L"&file", L"&Архив", L"Edit"});
  bool ambiguous = false;
  EXPECT_EQ(0, fx.bar->FindAccelerator('F', &ambiguous));
  EXPECT_EQ(cyrillic, ambiguous);
  EXPECT_EQ(2, fx.bar->FindAccelerator('E', &ambiguous));
  EXPECT_EQ(-1, fx.bar->FindAccelerator(VK_F1, &ambiguous));
  EXPECT_TRUE(fx.manager.OnFrameAcceleratorKey('E'));
  EXPECT_EQ(std::vector<int>{102}, fx.site.commands);
}

}  // namespace
