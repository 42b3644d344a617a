// Saved bar layouts: the round trip through the registry and a file, the keys older data does
// not carry, and damaged saved states, which must leave the bars in use as they were.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/appframe/archive.h"
#include "platform/appframe/exception.h"
#include "platform/appframe/file.h"
#include "platform/win/scoped_handle.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/control_edit.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/prop_exchange.h"

using namespace TKCommandBars;

namespace {

const wchar_t kKey[] = L"Software\\KestrinTests\\BarState";

// A set of bars with one owner, as a frame holds them.
struct Layout {
  CTKCommandBarManager manager;
  std::vector<CTKCommandBar*> bars;
  Layout() { TKRegisterCommandBarClasses(); }
  ~Layout() {
    for (CTKCommandBar* bar : bars) bar->Release();
  }
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;
};

CTKControl* AddButton(CTKCommandBar* bar, int id, const wchar_t* caption) {
  CTKControl* control = bar->GetControls()->Add(kButton, id);
  control->SetCaption(caption);
  return control;
}

// Two tool bars; the first holds a popup whose bar holds a nested popup, a temporary control and
// a control with every kind of key set.
void Build(Layout& layout) {
  CTKCommandBar* standard = new CTKCommandBar;
  standard->SetCommandBarManager(&layout.manager);
  standard->SetTitle(L"Standard");
  standard->SetBarID(0xE800);
  standard->SetPosition(kLeft);
  standard->SetIconSize(CSize(24, 24));
  standard->SetDefaultButtonStyle(3);
  AddButton(standard, 100, L"&New");
  CTKControl* rich = AddButton(standard, 101, L"Open");
  rich->SetBeginGroup(true);
  rich->SetTag(77);
  rich->SetHelpId(4242);
  rich->SetCategory(L"File");
  rich->SetCustomStyle(2);
  rich->SetWidth(88);
  rich->SetHeight(30);
  rich->SetExecuteOnPressInterval(250);
  rich->SetCloseSubMenuOnClick(false);
  CTKControlPopup* popup = static_cast<CTKControlPopup*>(standard->GetControls()->Add(kPopupControl, 0));
  popup->SetCaption(L"More");
  CTKCommandBar* more = popup->GetCommandBar();
  AddButton(more, 200, L"First");
  AddButton(more, 201, L"Second");
  CTKControlPopup* nested = static_cast<CTKControlPopup*>(more->GetControls()->Add(kPopupControl, 0));
  nested->SetCaption(L"Deeper");
  AddButton(nested->GetCommandBar(), 300, L"Deepest");
  standard->GetControls()->Add(kButton, 900, L"", -1, true)->SetCaption(L"Generated");
  layout.bars.push_back(standard);

  CTKCommandBar* format = new CTKCommandBar;
  format->SetCommandBarManager(&layout.manager);
  format->SetTitle(L"Format & Style");
  format->SetBarID(0xE801);
  AddButton(format, 110, L"Bold");
  AddButton(format, 111, L"Italic");
  format->GetControls()->CreateOriginalControls();
  AddButton(format, 112, L"Underline");
  layout.bars.push_back(format);
}

// What a user would see differ between two layouts.
void ExpectSame(const std::vector<CTKCommandBar*>& expected, const std::vector<CTKCommandBar*>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    const CTKCommandBar* a = expected[i];
    const CTKCommandBar* b = actual[i];
    EXPECT_NE(a, b);
    EXPECT_EQ(a->GetTitle(), b->GetTitle());
    EXPECT_EQ(a->GetType(), b->GetType());
    EXPECT_EQ(a->GetPosition(), b->GetPosition());
    EXPECT_EQ(a->GetBarID(), b->GetBarID());
    EXPECT_EQ(a->GetIconSize(), b->GetIconSize());
    EXPECT_EQ(a->GetDefaultButtonStyle(), b->GetDefaultButtonStyle());
    // Deep: popups compare the bars they open.
    EXPECT_TRUE(a->GetControls()->Compare(b->GetControls()));
    EXPECT_EQ(a->GetControls()->GetOriginalControls() != nullptr, b->GetControls()->GetOriginalControls() != nullptr);
    if (a->GetControls()->GetOriginalControls() && b->GetControls()->GetOriginalControls()) {
      EXPECT_TRUE(a->GetControls()->GetOriginalControls()->Compare(b->GetControls()->GetOriginalControls()));
    }
  }
}

// The layout through the archive form in memory, written at a schema.
bool ThroughMemory(const Layout& saved, Layout* restored, int schema = CTKPropExchange::kCurrentSchema) {
  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    px.SetSchema(schema);
    CTKBarLayoutState::Save(&px, saved.bars, const_cast<CTKCommandBarManager*>(&saved.manager));
  }
  memory.SeekToBegin();
  CArchive ar(&memory, CArchive::load);
  CTKPropExchangeArchive px(ar);
  return CTKBarLayoutState::Load(&px, &restored->manager, &restored->bars);
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  ::GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name + std::to_wstring(::GetCurrentProcessId()) + L".bin";
}

std::vector<BYTE> ReadAll(const std::wstring& path) {
  CFile file;
  std::vector<BYTE> bytes;
  if (!file.Open(path.c_str(), CFile::modeRead)) return bytes;
  bytes.resize(static_cast<size_t>(file.GetLength()));
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

void WriteAll(const std::wstring& path, const std::vector<BYTE>& bytes) {
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
  if (!bytes.empty()) file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

// Where a saved layout is kept: the test's own registry key or its own file, both removed.
class Store {
 public:
  virtual ~Store() = default;
  virtual bool Save(const Layout& layout) = 0;
  virtual bool Load(Layout& layout) = 0;
};

class RegistryStore : public Store {
 public:
  explicit RegistryStore(CTKBarLayoutState::RegistryForm form = CTKBarLayoutState::RegistryForm::kTree) : form_(form) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  }
  ~RegistryStore() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  bool Save(const Layout& layout) override {
    return CTKBarLayoutState::SaveToRegistry(HKEY_CURRENT_USER, kKey, layout.bars,
                                             const_cast<CTKCommandBarManager*>(&layout.manager), form_);
  }
  bool Load(Layout& layout) override {
    return CTKBarLayoutState::LoadFromRegistry(HKEY_CURRENT_USER, kKey, &layout.manager, &layout.bars);
  }

 private:
  CTKBarLayoutState::RegistryForm form_;
};

// The layout through the test's registry key, written at a schema; the key goes afterwards.
bool ThroughRegistry(const Layout& saved, Layout* restored, int schema) {
  RegistryStore cleanup;
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, false);
    px.SetSchema(schema);
    CTKBarLayoutState::Save(&px, saved.bars, const_cast<CTKCommandBarManager*>(&saved.manager));
  }
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, true);
  return CTKBarLayoutState::Load(&px, &restored->manager, &restored->bars);
}

class FileStore : public Store {
 public:
  FileStore() : path_(TempFile(L"kestrin-bars-")) {}
  ~FileStore() override { ::DeleteFileW(path_.c_str()); }
  bool Save(const Layout& layout) override {
    return CTKBarLayoutState::SaveToFile(path_.c_str(), layout.bars, const_cast<CTKCommandBarManager*>(&layout.manager));
  }
  bool Load(Layout& layout) override { return CTKBarLayoutState::LoadFromFile(path_.c_str(), &layout.manager, &layout.bars); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Where: 0 the registry as one value, 1 the registry as a tree of keys, 2 a file.
class BarStateRoundTrip : public ::testing::TestWithParam<int> {
 protected:
  std::unique_ptr<Store> MakeStore() const {
    if (GetParam() == 0) return std::make_unique<RegistryStore>(CTKBarLayoutState::RegistryForm::kOneValue);
    if (GetParam() == 1) return std::make_unique<RegistryStore>(CTKBarLayoutState::RegistryForm::kTree);
    return std::make_unique<FileStore>();
  }
};

TEST_P(BarStateRoundTrip, AFreshBarSetReadsBackWhatWasSaved) {
  Layout saved;
  Build(saved);
  auto store = MakeStore();
  ASSERT_TRUE(store->Save(saved));
  Layout restored;
  ASSERT_TRUE(store->Load(restored));
  ExpectSame(saved.bars, restored.bars);

  // The temporary control is neither counted nor written.
  EXPECT_EQ(3, restored.bars[0]->GetControlCount());
  const CTKControl* rich = restored.bars[0]->GetControl(1);
  EXPECT_EQ(77u, rich->GetTag());
  EXPECT_EQ(4242, rich->GetHelpId());
  EXPECT_EQ(30, rich->GetHeight());
  EXPECT_EQ(250, rich->GetExecuteOnPressInterval());
  EXPECT_FALSE(rich->GetCloseSubMenuOnClick());
  // Each popup control opens a bar of its own again, nested ones too, and the restored bars take
  // the manager they were loaded for.
  const CTKControl* popup = restored.bars[0]->GetControl(2);
  ASSERT_NE(nullptr, popup->GetCommandBar());
  EXPECT_NE(saved.bars[0]->GetControl(2)->GetCommandBar(), popup->GetCommandBar());
  const CTKControl* nested = popup->GetCommandBar()->GetControl(2);
  ASSERT_NE(nullptr, nested->GetCommandBar());
  EXPECT_EQ(L"Deepest", nested->GetCommandBar()->GetControl(0)->GetCaption());
  EXPECT_EQ(&restored.manager, restored.bars[1]->GetCommandBarManager());
  EXPECT_EQ(0u, static_cast<const CTKControlPopup*>(popup)->GetPendingBarId());
}

TEST_P(BarStateRoundTrip, ASecondSaveReplacesTheFirst) {
  auto store = MakeStore();
  {
    Layout first;
    Build(first);
    ASSERT_TRUE(store->Save(first));
  }
  Layout second;
  CTKCommandBar* only = new CTKCommandBar;
  only->SetTitle(L"Only");
  AddButton(only, 5, L"Five");
  second.bars.push_back(only);
  ASSERT_TRUE(store->Save(second));
  Layout restored;
  ASSERT_TRUE(store->Load(restored));
  ExpectSame(second.bars, restored.bars);
}

// The bar's own keys and the control keys the deep comparison above does not look at, each set
// away from its default.
TEST_P(BarStateRoundTrip, TheKeysOfABarAndOfAControlComeBackSetAsSaved) {
  Layout saved;
  CTKCommandBar* bar = new CTKCommandBar;
  saved.bars.push_back(bar);
  bar->SetTitle(L"Keys");
  bar->SetFlags(0x40);
  bar->SetWidth(140);
  bar->SetButtonSize(CSize(30, 28));
  bar->SetShowTextBelowIcons(1);
  bar->GetAnimation().EnableAnimation(true);
  CTKControl* control = AddButton(bar, 7, L"Seven");
  control->SetShortcutText(L"Ctrl+7");
  control->SetParameter(L"seventh");
  control->SetDefaultItem(true);
  control->SetIconId(70);
  auto store = MakeStore();
  ASSERT_TRUE(store->Save(saved));
  Layout restored;
  ASSERT_TRUE(store->Load(restored));
  ASSERT_EQ(1u, restored.bars.size());
  CTKCommandBar* back = restored.bars[0];
  EXPECT_EQ(0x40u, back->GetFlags());
  EXPECT_EQ(140, back->GetWidth());
  EXPECT_EQ(CSize(30, 28), back->GetButtonSize());
  EXPECT_EQ(1, back->GetShowTextBelowIcons());
  EXPECT_TRUE(back->GetAnimation().IsAnimationEnabled());
  ASSERT_EQ(1, back->GetControlCount());
  const CTKControl* read = back->GetControl(0);
  EXPECT_EQ(L"Ctrl+7", read->GetShortcutText());
  EXPECT_EQ(L"seventh", read->GetParameter());
  EXPECT_TRUE(read->IsDefaultItem());
  EXPECT_EQ(70, read->GetIconId());

  // A bar saved with its animation off loads with it off, whatever the bar had before.
  bar->GetAnimation().EnableAnimation(false);
  ASSERT_TRUE(store->Save(saved));
  Layout again;
  ASSERT_TRUE(store->Load(again));
  ASSERT_EQ(1u, again.bars.size());
  EXPECT_FALSE(again.bars[0]->GetAnimation().IsAnimationEnabled());
}

INSTANTIATE_TEST_SUITE_P(Stores, BarStateRoundTrip, ::testing::Values(0, 1, 2));

TEST(BarStateRegistry, TheOneValueFormIsOneValueAndADamagedOneIsRefused) {
  RegistryStore store(CTKBarLayoutState::RegistryForm::kOneValue);
  {
    Layout saved;
    Build(saved);
    ASSERT_TRUE(store.Save(saved));
  }
  KestrinWinNS::CScopedRegKey key;
  HKEY opened = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ | KEY_WRITE, &opened));
  key.Reset(opened);
  DWORD subkeys = 1, values = 0, longest = 0;
  ASSERT_EQ(ERROR_SUCCESS, ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                              nullptr, &longest, nullptr, nullptr));
  EXPECT_EQ(0u, subkeys);
  EXPECT_EQ(1u, values);
  // The value cut in half: the rest of the layout is missing.
  std::vector<wchar_t> text(longest / sizeof(wchar_t) + 1);
  DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key.Get(), L"BarLayout", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(text.data()), &bytes));
  const size_t half = (bytes / sizeof(wchar_t)) / 4 * 2;
  ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.Get(), L"BarLayout", 0, REG_SZ, reinterpret_cast<BYTE*>(text.data()),
                                            static_cast<DWORD>(half * sizeof(wchar_t))));
  Layout current;
  Build(current);
  const std::vector<CTKCommandBar*> before = current.bars;
  const int count = current.bars[0]->GetControlCount();
  EXPECT_FALSE(store.Load(current));
  EXPECT_EQ(before, current.bars);
  EXPECT_EQ(count, current.bars[0]->GetControlCount());
}

// Keys that older data does not carry: saved at a schema, read back with what that schema
// means.
struct SchemaCase {
  int schema;
  CSize icon;            // the icon size read back from a bar saved with 24 x 24
  const wchar_t* category;  // read back from "File"
  int custom_style;      // read back from a saved custom style of 0
  int help_id;           // read back from 4242
  int width;             // read back from 88
};

class BarStateSchema : public ::testing::TestWithParam<SchemaCase> {};

TEST_P(BarStateSchema, OlderDataReadsWithTheKeysOfItsTime) {
  const SchemaCase& c = GetParam();
  Layout saved;
  CTKCommandBar* bar = new CTKCommandBar;
  bar->SetIconSize(CSize(24, 24));
  saved.bars.push_back(bar);
  CTKControl* control = AddButton(bar, 7, L"Seven");
  control->SetCategory(L"File");
  control->SetCustomStyle(0);
  control->SetHelpId(4242);
  control->SetWidth(88);
  for (bool registry : {true, false}) {
    SCOPED_TRACE(registry ? "registry" : "file");
    Layout restored;
    ASSERT_TRUE(registry ? ThroughRegistry(saved, &restored, c.schema) : ThroughMemory(saved, &restored, c.schema));
    ASSERT_EQ(1u, restored.bars.size());
    const CTKCommandBar* back = restored.bars[0];
    EXPECT_EQ(c.icon.cx > 0 ? c.icon : CSize(16, 16), back->GetIconSize());
    ASSERT_EQ(1, back->GetControlCount());
    const CTKControl* read = back->GetControl(0);
    EXPECT_EQ(L"Seven", read->GetCaption());
    EXPECT_EQ(c.custom_style, read->GetCustomStyle());
    EXPECT_EQ(c.help_id, read->GetHelpId());
    EXPECT_EQ(c.width, read->GetWidth());
    EXPECT_EQ(std::wstring(c.category), read->GetCategory());
  }
}

INSTANTIATE_TEST_SUITE_P(Gates, BarStateSchema,
                         ::testing::Values(SchemaCase{1, CSize(0, 0), L"", -1, 0, 0},
                                           SchemaCase{2, CSize(0, 0), L"File", -1, 0, 0},
                                           SchemaCase{3, CSize(24, 24), L"File", -1, 0, 0},
                                           SchemaCase{17, CSize(24, 24), L"File", -1, 4242, 0},
                                           SchemaCase{18, CSize(24, 24), L"File", 0, 4242, 0},
                                           SchemaCase{20, CSize(24, 24), L"File", 0, 4242, 88}));

// Control kinds with keys of their own: set away from their defaults, saved at a schema and read
// back into a fresh layout, through the registry's tree of keys and through the archive form.
struct KindKeysCase {
  const char* what;
  int schema;
  CTKControl* (*make)(CTKCommandBar* bar);
  void (*expect)(const CTKControl* back, int schema);
};

// The shell's auto-complete flag for file names.
const DWORD kShellFileSystem = 0x1;

CTKControl* MakeEdit(CTKCommandBar* bar) {
  CTKControlEdit* edit = static_cast<CTKControlEdit*>(bar->GetControls()->Add(kEdit, 50));
  edit->SetCaption(L"Find");
  edit->ShowLabel(true);
  edit->MakeReadOnly(true);
  edit->PutHint(L"Type here");
  edit->UseAutoComplete(kShellFileSystem);
  edit->ShowSpinButtons(true);
  return edit;
}

void ExpectEdit(const CTKControl* back, int schema) {
  const CTKControlEdit* edit = dynamic_cast<const CTKControlEdit*>(back);
  ASSERT_NE(nullptr, edit);
  EXPECT_EQ(schema > 5, const_cast<CTKControlEdit*>(edit)->LabelShown());
  EXPECT_EQ(schema > 7, edit->IsReadOnly());
  EXPECT_EQ(schema > 8 ? L"Type here" : L"", edit->GetHint());
  EXPECT_EQ(schema > 8 ? kShellFileSystem : 0u, edit->GetAutoCompleteFlags());
  EXPECT_EQ(schema > 18, edit->HasSpinButtons());
}

CTKControl* MakeSelector(CTKCommandBar* bar) {
  CTKControlSelector* selector = new CTKControlSelector;
  bar->GetControls()->Add(selector, 60);
  selector->Release();
  selector->SetItemsMax(CSize(8, 7));
  selector->SetItemsCount(CSize(3, 2));
  selector->SetItemSize(CSize(20, 22));
  return selector;
}

void ExpectSelector(const CTKControl* back, int) {
  const CTKControlSelector* selector = dynamic_cast<const CTKControlSelector*>(back);
  ASSERT_NE(nullptr, selector);
  EXPECT_EQ(CSize(3, 2), selector->GetItemsCount());
  EXPECT_EQ(CSize(8, 7), selector->GetItemsMax());
  EXPECT_EQ(CSize(20, 22), selector->GetItemSize());
}

CTKControl* MakeGallery(CTKCommandBar* bar) {
  CTKControlGallery* gallery = static_cast<CTKControlGallery*>(bar->GetControls()->Add(kGallery, 70));
  gallery->SetShowLabels(false);
  gallery->SetShowBorders(true);
  gallery->SetShowScrollBar(false);
  gallery->SetMargin(CRect(1, 2, 3, 4));
  return gallery;
}

void ExpectGallery(const CTKControl* back, int) {
  const CTKControlGallery* gallery = dynamic_cast<const CTKControlGallery*>(back);
  ASSERT_NE(nullptr, gallery);
  EXPECT_FALSE(gallery->IsShowLabels());
  EXPECT_TRUE(gallery->IsShowBorders());
  EXPECT_FALSE(gallery->IsShowScrollBar());
  EXPECT_EQ(CRect(1, 2, 3, 4), gallery->GetMargin());
}

// A gallery saved with its borders off (as it is made) comes back without them, though a missing
// key means borders on.
CTKControl* MakePlainGallery(CTKCommandBar* bar) { return bar->GetControls()->Add(kGallery, 71); }

void ExpectPlainGallery(const CTKControl* back, int) {
  const CTKControlGallery* gallery = dynamic_cast<const CTKControlGallery*>(back);
  ASSERT_NE(nullptr, gallery);
  EXPECT_TRUE(gallery->IsShowLabels());
  EXPECT_FALSE(gallery->IsShowBorders());
  EXPECT_TRUE(gallery->IsShowScrollBar());
  EXPECT_EQ(CRect(0, 0, 0, 0), gallery->GetMargin());
}

class BarStateKindKeys : public ::testing::TestWithParam<KindKeysCase> {};

TEST_P(BarStateKindKeys, ComeBackAsSavedWhereTheSchemaHasThem) {
  const KindKeysCase& c = GetParam();
  Layout saved;
  CTKCommandBar* bar = new CTKCommandBar;
  saved.bars.push_back(bar);
  c.make(bar);
  for (bool registry : {true, false}) {
    SCOPED_TRACE(registry ? "registry" : "archive");
    Layout restored;
    ASSERT_TRUE(registry ? ThroughRegistry(saved, &restored, c.schema) : ThroughMemory(saved, &restored, c.schema));
    ASSERT_EQ(1u, restored.bars.size());
    ASSERT_EQ(1, restored.bars[0]->GetControlCount());
    c.expect(restored.bars[0]->GetControl(0), c.schema);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BarStateKindKeys,
                         ::testing::Values(KindKeysCase{"edit, schema 5", 5, MakeEdit, ExpectEdit},
                                           KindKeysCase{"edit, schema 8", 8, MakeEdit, ExpectEdit},
                                           KindKeysCase{"edit, schema 9", 9, MakeEdit, ExpectEdit},
                                           KindKeysCase{"edit, schema 20", 20, MakeEdit, ExpectEdit},
                                           KindKeysCase{"selector", 20, MakeSelector, ExpectSelector},
                                           KindKeysCase{"gallery", 20, MakeGallery, ExpectGallery},
                                           KindKeysCase{"gallery as made", 20, MakePlainGallery, ExpectPlainGallery}));

// ---------------------------------------------------------------------------------------------
// Damaged saved states

// The layout in use, remembered so that a failed load can be shown to have left it alone: the
// same bars holding the same control objects with the same captions.
struct InUse {
  explicit InUse(Layout& layout) : layout(layout), bars(layout.bars) {
    for (CTKCommandBar* bar : bars) {
      titles.push_back(bar->GetTitle());
      std::vector<std::pair<CTKControl*, std::wstring>> list;
      for (int i = 0; i < bar->GetControlCount(); ++i)
        list.emplace_back(bar->GetControl(i), bar->GetControl(i)->GetCaption());
      controls.push_back(list);
    }
  }
  void ExpectIntact() const {
    ASSERT_EQ(bars, layout.bars);
    for (size_t i = 0; i < bars.size(); ++i) {
      EXPECT_EQ(titles[i], bars[i]->GetTitle());
      ASSERT_EQ(controls[i].size(), static_cast<size_t>(bars[i]->GetControlCount()));
      for (size_t j = 0; j < controls[i].size(); ++j) {
        EXPECT_EQ(controls[i][j].first, bars[i]->GetControl(static_cast<int>(j)));
        EXPECT_EQ(controls[i][j].second, bars[i]->GetControl(static_cast<int>(j))->GetCaption());
      }
    }
  }
  Layout& layout;
  std::vector<CTKCommandBar*> bars;
  std::vector<std::wstring> titles;
  std::vector<std::vector<std::pair<CTKControl*, std::wstring>>> controls;
};

void SetString(const std::wstring& subkey, const wchar_t* name, const wchar_t* text) {
  ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\" + subkey).c_str(), name, REG_SZ,
                                             text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))));
}

void SetDword(const std::wstring& subkey, const wchar_t* name, DWORD value) {
  ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\" + subkey).c_str(), name,
                                             REG_DWORD, &value, sizeof(value)));
}

struct RegistryDamage {
  const char* what;
  void (*apply)();
  bool in_first_bar;  // the damage lies in the first bar's own keys
};

class DamagedRegistryState : public ::testing::TestWithParam<RegistryDamage> {};

TEST_P(DamagedRegistryState, LeavesTheBarsInUseAsTheyWere) {
  RegistryStore store;
  {
    Layout saved;
    Build(saved);
    ASSERT_TRUE(store.Save(saved));
  }
  GetParam().apply();
  Layout current;
  Build(current);
  InUse before(current);
  EXPECT_FALSE(store.Load(current));
  before.ExpectIntact();

  // Loaded straight into a bar in use, the damage throws and the bar keeps its controls.
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kKey, true);
  CTKPropExchangeSection list(px.OpenSection(L"Bars"));
  CTKPropExchangeSection section(list->OpenSection(L"Bar0"));
  bool threw = false;
  try {
    current.bars[0]->DoPropExchange(section.get());
  } catch (const CArchiveException&) {
    threw = true;
  }
  // Damage in the first bar's keys throws and leaves the bar as it was; damage in the second bar
  // or in the popup bars does not reach the first bar's own keys, which then load.
  EXPECT_EQ(GetParam().in_first_bar, threw);
  if (threw) before.ExpectIntact();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedRegistryState,
    ::testing::Values(
        RegistryDamage{"unknown class of a later control",
                       [] { SetString(L"Bars\\Bar0\\Controls\\Control2", L"Class", L"CTKNoSuchControl"); }, true},
        RegistryDamage{"class that is no control", [] { SetString(L"Bars\\Bar0\\Controls\\Control1", L"Class", L"CTKCommandBar"); }, true},
        RegistryDamage{"unknown bar class", [] { SetString(L"Bars\\Bar1", L"Class", L"CTKNoSuchBar"); }, false},
        RegistryDamage{"huge control count", [] { SetDword(L"Bars\\Bar0\\Controls", L"Count", 0x7FFFFFFF); }, true},
        RegistryDamage{"negative control count", [] { SetDword(L"Bars\\Bar0\\Controls", L"Count", 0xFFFFFFFF); }, true},
        RegistryDamage{"huge bar count", [] { SetDword(L"Bars", L"Count", 0x10000000); }, false},
        RegistryDamage{"huge popup bar count", [] { SetDword(L"PopupBars", L"Count", 100000); }, false},
        RegistryDamage{"control out of range type", [] { SetDword(L"Bars\\Bar0\\Controls\\Control1", L"Type", 99); }, true},
        RegistryDamage{"truncated: last control gone",
                       [] { ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\Bars\\Bar0\\Controls\\Control2").c_str()); }, true},
        RegistryDamage{"truncated: second bar gone",
                       [] { ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\Bars\\Bar1").c_str()); }, false},
        RegistryDamage{"newer schema", [] { SetDword(L"", L"Schema", 21); }, false}),
    [](const ::testing::TestParamInfo<RegistryDamage>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// The file form: a class name spelt wrong, counts raised, and the file cut short anywhere.
class DamagedFileState : public ::testing::Test {
 protected:
  void SetUp() override {
    Layout saved;
    Build(saved);
    // A distinctive default style marks the place right before the first bar's control count.
    saved.bars[0]->SetDefaultButtonStyle(0x5A5A1234);
    ASSERT_TRUE(store.Save(saved));
    bytes = ReadAll(store.path());
    ASSERT_GT(bytes.size(), 100u);
  }
  void ExpectRefused(const std::vector<BYTE>& damaged) {
    WriteAll(store.path(), damaged);
    Layout current;
    Build(current);
    InUse before(current);
    EXPECT_FALSE(store.Load(current));
    before.ExpectIntact();
  }
  size_t Find(const void* what, size_t size) const {
    for (size_t i = 0; i + size <= bytes.size(); ++i)
      if (std::memcmp(bytes.data() + i, what, size) == 0) return i;
    return std::string::npos;
  }
  FileStore store;
  std::vector<BYTE> bytes;
};

TEST_F(DamagedFileState, AnUnknownClassNameIsRefused) {
  const wchar_t name[] = L"CTKControlButton";
  size_t at = Find(name, sizeof(name) - sizeof(wchar_t));
  ASSERT_NE(std::string::npos, at);
  std::vector<BYTE> damaged = bytes;
  damaged[at + 10 * sizeof(wchar_t)] = 'X';  // CTKControlXutton
  ExpectRefused(damaged);
}

TEST_F(DamagedFileState, HugeCountsAreRefused) {
  const DWORD marker = 0x5A5A1234;
  size_t at = Find(&marker, sizeof(marker));
  ASSERT_NE(std::string::npos, at);
  struct {
    size_t offset;
    DWORD count;
  } cases[] = {{8, 0x7FFFFFFF}, {8, 0xFFFFFFFF}, {at + 4, 0x7FFFFFFF}, {at + 4, 0x10000}, {at + 4, 0xFFFFFFFF}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    std::vector<BYTE> damaged = bytes;
    std::memcpy(damaged.data() + c.offset, &c.count, sizeof(c.count));
    ExpectRefused(damaged);
  }
}

TEST_F(DamagedFileState, AFileCutShortAnywhereIsRefused) {
  const size_t step = bytes.size() / 23 + 1;
  for (size_t length = 0; length < bytes.size(); length += step) {
    SCOPED_TRACE(length);
    ExpectRefused(std::vector<BYTE>(bytes.begin(), bytes.begin() + length));
  }
  ExpectRefused(std::vector<BYTE>(bytes.begin(), bytes.end() - 1));
}

TEST(BarStateFile, AMissingFileLoadsNothing) {
  Layout current;
  Build(current);
  InUse before(current);
  EXPECT_FALSE(CTKBarLayoutState::LoadFromFile(TempFile(L"kestrin-no-such-").c_str(), &current.manager, &current.bars));
  before.ExpectIntact();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The classes saved state names, and the keys of tool bars and popup bars


TEST(BarStateClasses, EveryRegisteredClassIsFoundByNameAndRoundTrips) {
  TKRegisterCommandBarClasses();
  ASSERT_FALSE(TKCommandBarClasses().empty());
  for (const CRuntimeClass* cls : TKCommandBarClasses()) {
    SCOPED_TRACE(cls->m_lpszClassName);
    EXPECT_EQ(cls, CRuntimeClass::FromName(cls->m_lpszClassName));
    CObject* made = cls->CreateObject();
    ASSERT_NE(nullptr, made);
    Layout saved;
    const bool isBar = cls->IsDerivedFrom(RUNTIME_CLASS(CTKCommandBar));
    std::wstring caption;
    if (isBar) {
      CTKCommandBar* bar = static_cast<CTKCommandBar*>(made);
      bar->SetTitle(L"Named");
      caption = AddButton(bar, 5, L"Five")->GetCaption();
      saved.bars.push_back(bar);
    } else {
      ASSERT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CTKControl)));
      CTKCommandBar* bar = new CTKCommandBar;
      saved.bars.push_back(bar);
      CTKControl* control = static_cast<CTKControl*>(made);
      bar->GetControls()->Add(control, 42);
      control->SetCaption(L"Named");
      caption = control->GetCaption();
      control->Release();
    }
    Layout restored;
    ASSERT_TRUE(ThroughMemory(saved, &restored));
    ASSERT_EQ(1u, restored.bars.size());
    const CTKCommandBar* bar = restored.bars[0];
    if (isBar) {
      EXPECT_STREQ(cls->m_lpszClassName, bar->GetRuntimeClass()->m_lpszClassName);
      EXPECT_EQ(L"Named", bar->GetTitle());
    }
    ASSERT_LE(1, bar->GetControlCount());
    const CTKControl* control = bar->GetControl(0);
    EXPECT_EQ(caption, control->GetCaption());
    if (isBar) continue;
    EXPECT_STREQ(cls->m_lpszClassName, control->GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(42, control->GetID());
    EXPECT_EQ(saved.bars[0]->GetControl(0)->GetType(), control->GetType());
    // A combo box opens its own restored drop-down, which answers for it.
    if (const CTKControlComboBox* combo = dynamic_cast<const CTKControlComboBox*>(control)) {
      ASSERT_NE(nullptr, combo->GetDropDown());
      EXPECT_EQ(combo, combo->GetDropDown()->GetCombo());
    }
  }
}

// Keys that older data does not carry, for tool bars and popup bars.
struct BarKeysCase {
  int schema;
  bool closeable, context_menu, customize_dialog;  // read back from a tool bar saved with all three off
  bool type_zero_closeable;                         // a tool bar of type 0 saved closeable
  bool borders;                                     // the popup's own borders came back
  bool double_gripper, popup_context_menu;          // saved on
  bool gripper;                                     // the popup's gripper bit after the load
};

class BarStateBarKeys : public ::testing::TestWithParam<BarKeysCase> {};

TEST_P(BarStateBarKeys, ReadWithTheKeysOfTheirTime) {
  const BarKeysCase& c = GetParam();
  Layout saved;
  CTKToolBar* tool = new CTKToolBar;
  saved.bars.push_back(tool);
  tool->SetBuiltIn(false);
  tool->SetTearOff(true);
  tool->SetCloseable(false);
  tool->SetContextMenuPresent(false);
  tool->SetCustomizeDialogPresent(false);
  CTKControl* opener = tool->GetControls()->Add(kPopupControl, 0);
  CTKPopupBar* popup = dynamic_cast<CTKPopupBar*>(opener->GetCommandBar());
  ASSERT_NE(nullptr, popup);
  popup->SetTearOffPopup(L"Torn", 700, 321);
  popup->SetBorders(CRect(3, 5, 3, 5));
  popup->SetShowShadow(false);
  popup->SetDoubleGripper(true);
  popup->SetContextMenuPresent(true);
  AddButton(popup, 1, L"One");
  CTKToolBar* typeZero = new CTKToolBar;
  typeZero->SetType(kMenuBar);
  saved.bars.push_back(typeZero);

  Layout restored;
  ASSERT_TRUE(ThroughMemory(saved, &restored, c.schema));
  ASSERT_EQ(2u, restored.bars.size());
  const CTKToolBar* back = dynamic_cast<const CTKToolBar*>(restored.bars[0]);
  ASSERT_NE(nullptr, back);
  EXPECT_FALSE(back->IsBuiltIn());
  EXPECT_TRUE(back->IsTearOff());
  EXPECT_EQ(c.closeable, back->IsCloseable());
  EXPECT_EQ(c.context_menu, back->IsContextMenuPresent());
  EXPECT_EQ(c.customize_dialog, back->IsCustomizeDialogPresent());
  const CTKToolBar* zero = dynamic_cast<const CTKToolBar*>(restored.bars[1]);
  ASSERT_NE(nullptr, zero);
  EXPECT_EQ(c.type_zero_closeable, zero->IsCloseable());

  const CTKPopupBar* opened = dynamic_cast<const CTKPopupBar*>(back->GetControl(0)->GetCommandBar());
  ASSERT_NE(nullptr, opened);
  EXPECT_TRUE(opened->IsTearOffPopup());
  EXPECT_EQ(L"Torn", opened->GetTearOffTitle());
  EXPECT_EQ(700u, opened->GetTearOffId());
  EXPECT_EQ(321, opened->GetTearOffWidth());
  EXPECT_EQ(c.borders ? CRect(3, 5, 3, 5) : CRect(2, 4, 2, 4), opened->GetBorders());
  EXPECT_EQ(!c.borders, opened->GetShowShadow());
  EXPECT_EQ(c.double_gripper, opened->IsDoubleGripper());
  EXPECT_EQ(c.popup_context_menu, opened->IsContextMenuPresent());
  EXPECT_EQ(c.gripper, opened->IsGripperVisible());
  ASSERT_EQ(1, opened->GetControlCount());
  EXPECT_EQ(L"One", opened->GetControl(0)->GetCaption());
}

INSTANTIATE_TEST_SUITE_P(Gates, BarStateBarKeys,
                         ::testing::Values(BarKeysCase{3, true, true, true, false, false, false, false, true},
                                           BarKeysCase{4, true, true, true, false, true, false, false, true},
                                           BarKeysCase{7, false, true, true, false, true, false, false, true},
                                           BarKeysCase{8, false, false, true, false, true, false, false, true},
                                           BarKeysCase{9, false, false, true, false, true, true, false, true},
                                           BarKeysCase{16, false, false, true, false, true, true, false, true},
                                           BarKeysCase{17, false, false, false, true, true, true, false, true},
                                           BarKeysCase{19, false, false, false, true, true, true, true, true},
                                           BarKeysCase{20, false, false, false, true, true, true, true, false}));

TEST(BarStateCustomIcon, TheUsersIconGoesWithItsControlAndDamageLeavesTheIconsInUse) {
  const UINT kIcon = 5000;
  CTKImageManager savedImages, restoredImages;
  HICON icon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  ASSERT_TRUE(savedImages.AddIconImage(icon, kIcon, 16, 16, CTKImageManagerIcon::kNormal));
  Layout saved;
  saved.manager.SetImageManager(&savedImages);
  CTKCommandBar* bar = new CTKCommandBar;
  bar->SetCommandBarManager(&saved.manager);
  saved.bars.push_back(bar);
  CTKControl* control = AddButton(bar, 7, L"Seven");
  control->SetCustomIconId(static_cast<int>(kIcon));
  AddButton(bar, 8, L"Plain");

  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    CTKBarLayoutState::Save(&px, saved.bars, &saved.manager);
  }
  const std::vector<BYTE> bytes(memory.GetData(), memory.GetData() + memory.GetLength());
  auto load = [&](std::vector<BYTE> data, Layout* into) {
    CMemFile in(data.data(), static_cast<UINT>(data.size()));
    CArchive ar(&in, CArchive::load);
    CTKPropExchangeArchive px(ar);
    return CTKBarLayoutState::Load(&px, &into->manager, &into->bars);
  };

  Layout restored;
  restored.manager.SetImageManager(&restoredImages);
  ASSERT_TRUE(load(bytes, &restored));
  ASSERT_NE(nullptr, restoredImages.GetIconSet(kIcon));
  CTKImageManagerIcon* back = restoredImages.GetImage(kIcon, 16);
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(savedImages.GetImage(kIcon, 16)->Width(), back->Width());
  EXPECT_EQ(1u, restoredImages.IconSetCount());  // the plain button brought none

  // The icon's data damaged: the load fails, and the icons in use stay as they were.
  const std::string marker = "CTKImageManagerIcons";
  const std::wstring wide(marker.begin(), marker.end());
  std::vector<BYTE> damaged = bytes;
  auto at = std::search(damaged.begin(), damaged.end(), reinterpret_cast<const BYTE*>(wide.data()),
                        reinterpret_cast<const BYTE*>(wide.data() + wide.size()));
  if (at == damaged.end())
    at = std::search(damaged.begin(), damaged.end(), marker.begin(), marker.end());
  ASSERT_NE(damaged.end(), at);
  *at ^= 0x20;  // the check word no longer matches
  Layout again;
  again.manager.SetImageManager(&restoredImages);
  EXPECT_FALSE(load(damaged, &again));
  EXPECT_TRUE(again.bars.empty());
  EXPECT_EQ(back, restoredImages.GetImage(kIcon, 16));
}

namespace {

std::vector<std::wstring> g_questions;
std::vector<UINT> g_question_types;
int g_answer = IDYES;
int RecordQuestion(HWND, const wchar_t* text, const wchar_t*, UINT type) {
  g_questions.push_back(text);
  g_question_types.push_back(type);
  return g_answer;
}

}  // namespace

TEST(BarStateMerge, LoadedToolBarStateIsTakenOrTheUserIsAskedWhenTheProgramsButtonsChanged) {
  struct Case {
    const char* what;
    std::vector<int> loaded_baseline;  // empty: the loaded bar keeps none
    std::vector<int> loaded;
    bool forced;
    int answer;
    bool asked, taken;
    std::vector<int> baseline_after;
  } cases[] = {
      {"same baselines: taken without a question", {1, 2, 3}, {3, 1}, false, IDYES, false, true, {1, 2, 3}},
      {"changed buttons, the user keeps the bar", {1, 2}, {2, 1}, false, IDYES, true, false, {1, 2, 3}},
      {"changed buttons, the user keeps the saved ones", {1, 2}, {2, 1}, false, IDNO, true, true, {1, 2, 3}},
      {"changed buttons, forced", {1, 2}, {2, 1}, true, IDYES, false, true, {1, 2}},
      {"no loaded baseline: the bar keeps its own", {}, {2, 1}, false, IDYES, false, true, {1, 2, 3}},
      {"loaded controls as the bar's baseline: no question", {1, 2}, {1, 2, 3}, false, IDYES, false, true, {1, 2}},
  };
  // The question is the command bars' own string, the bar's title in place of its "%s".
  wchar_t format[512] = {};
  ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), IDS_TK_LOADED_BAR_CHANGED, format, 512), 0);
  std::wstring question = format;
  const size_t at = question.find(L"%s");
  ASSERT_NE(std::wstring::npos, at);
  question.replace(at, 2, L"Standard");
  CTKToolBar::SetQuestionFunction(&RecordQuestion);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_questions.clear();
    g_question_types.clear();
    g_answer = c.answer;
    CTKToolBar* bar = new CTKToolBar;
    bar->SetTitle(L"Standard");
    for (int id : {1, 2, 3}) AddButton(bar, id, L"B");
    bar->GetControls()->CreateOriginalControls();
    CTKToolBar* loaded = new CTKToolBar;
    for (int id : c.loaded_baseline) AddButton(loaded, id, L"B");
    if (!c.loaded_baseline.empty()) loaded->GetControls()->CreateOriginalControls();
    loaded->GetControls()->RemoveAll();
    for (int id : c.loaded) AddButton(loaded, id, L"B");

    EXPECT_EQ(c.taken, bar->CopyFromLoaded(loaded, c.forced));
    EXPECT_EQ(c.asked ? 1u : 0u, g_questions.size());
    if (!g_questions.empty()) {
      EXPECT_EQ(question, g_questions[0]);
      // A yes-or-no question: yes keeps the bar as it is.
      EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), g_question_types[0]);
    }
    EXPECT_EQ(c.taken ? c.loaded : std::vector<int>({1, 2, 3}), IdsOf(bar->GetControls()));
    EXPECT_EQ(c.baseline_after, IdsOf(bar->GetControls()->GetOriginalControls()));
    loaded->Release();
    bar->Release();
  }
  CTKToolBar::SetQuestionFunction(nullptr);
}
