#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win/scoped_handle.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "platform/appframe/wnd.h"
#include "toolkit/skin/skin_api_hook.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object.h"

namespace {

constexpr COLORREF kSkinFace = RGB(214, 228, 245);

struct Seen {
  int commands = 0;
  bool ncDestroy = false;
  bool objectGoneAtNcDestroy = false;
};
Seen g_seen;
LRESULT g_queryState = 0;

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) ++g_seen.commands;
  if (message == CTKSkinObject::QueryStateMessage()) return g_queryState;
  if (message == WM_NCDESTROY) {
    g_seen.ncDestroy = true;
    g_seen.objectGoneAtNcDestroy = GetSkinManager()->Lookup(hwnd) == nullptr;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* cls = L"KestrinSkinTest") {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrinSkinTest";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, cls, L"t", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

class SkinManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { manager_ = GetSkinManager(); }
  void TearDown() override { manager_->LoadSkinFile(L"", L""); }
  CTKSkinManager* manager_ = nullptr;
};

using ProbeFn = DWORD (*)();

struct ThreadResult {
  bool attached = false;
};

DWORD WINAPI AttachOnThread(void* p) {
  HWND hwnd = MakeWindow();
  static_cast<ThreadResult*>(p)->attached = GetSkinManager()->Lookup(hwnd) != nullptr;
  DestroyWindow(hwnd);
  return 0;
}

// A fresh read of the import each time: within one function the compiler may keep an imported
// function's address in a register across calls.
__attribute__((noinline)) DWORD SysColor(int index) { return GetSysColor(index); }

}  // namespace

TEST_F(SkinManagerTest, SystemColourFollowsTheSkinWhileLoaded) {
  const DWORD system = SysColor(COLOR_BTNFACE);
  ASSERT_NE(system, kSkinFace);
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  EXPECT_EQ(SysColor(COLOR_BTNFACE), kSkinFace);  // through this program's patched import
  EXPECT_EQ(SysColor(COLOR_WINDOW), RGB(250, 252, 255));
  EXPECT_EQ(SysColor(COLOR_INFOBK), 0xE1FFFFu);   // the built-in table when the skin has none
  EXPECT_EQ(manager_->GetColorForProperty(1601 + COLOR_BTNFACE), kSkinFace);
  EXPECT_EQ(manager_->GetColorForProperty(1600), CLR_INVALID);

  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
  EXPECT_EQ(ncm.lfCaptionFont.lfWeight, FW_BOLD);
  EXPECT_STREQ(ncm.lfCaptionFont.lfFaceName, L"TAHOMA");

  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  EXPECT_EQ(SysColor(COLOR_BTNFACE), system);
  EXPECT_EQ(manager_->ApiHook()->HookedCount(), 0);
}

TEST_F(SkinManagerTest, OptionsChooseTheRedirectedFunctions) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().folder, L"NORMALBLUE.INI"), 1);
  EXPECT_EQ(manager_->ApiHook()->HookedCount(), 32);
  manager_->SetSkinnedParts(CTKSkinManager::kOptionMetrics);
  // The always-entries (14) and SystemParametersInfoW.
  EXPECT_EQ(manager_->ApiHook()->HookedCount(), 15);
  EXPECT_NE(SysColor(COLOR_BTNFACE), kSkinFace);
  manager_->SetSkinnedParts(7);
  EXPECT_EQ(SysColor(COLOR_BTNFACE), kSkinFace);
  EXPECT_EQ(manager_->ApiHook()->GetSystemFunction(-1), nullptr);
  EXPECT_EQ(manager_->ApiHook()->GetSystemFunction(32), nullptr);
}

TEST_F(SkinManagerTest, LateLoadedModuleAndGetProcAddress) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  KestrinWinNS::CScopedLibrary probe(LoadLibraryW(TestEnv().probe.c_str()));
  ASSERT_NE(probe.Get(), nullptr);
  auto fn = reinterpret_cast<ProbeFn>(GetProcAddress(probe.Get(), "ProbeButtonFace"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), kSkinFace);

  HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
  ASSERT_NE(uxtheme, nullptr);
  wchar_t path[MAX_PATH];
  EXPECT_GT(GetModuleFileNameW(uxtheme, path, MAX_PATH), 0u);  // a real module handle
  auto open = reinterpret_cast<decltype(&OpenThemeData)>(GetProcAddress(uxtheme, "OpenThemeData"));
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(reinterpret_cast<FARPROC>(open),
            manager_->ApiHook()->FindFunction("UXTHEME.DLL", "OpenThemeData")->Replacement());
  HTHEME theme = open(nullptr, L"Button");
  EXPECT_TRUE(manager_->IsSkinClass(theme));

  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  EXPECT_EQ(fn(), SysColor(COLOR_BTNFACE));
  EXPECT_NE(fn(), kSkinFace);
  EXPECT_NE(reinterpret_cast<FARPROC>(GetProcAddress(uxtheme, "OpenThemeData")), reinterpret_cast<FARPROC>(open));
}

TEST_F(SkinManagerTest, WindowsAreAttachedAndDestroyedSafely) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  const size_t before = manager_->WindowCount();
  HWND hwnd = MakeWindow();
  ASSERT_NE(hwnd, nullptr);
  CTKSkinObject* object = manager_->Lookup(hwnd);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->SkinClassName(), L"WINDOW");
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CTKSkinManager::SharedWindowProc));

  g_seen = Seen{};
  SendMessageW(hwnd, WM_COMMAND, 1, 0);
  EXPECT_EQ(g_seen.commands, 1);
  DestroyWindow(hwnd);
  EXPECT_TRUE(g_seen.ncDestroy);
  EXPECT_FALSE(g_seen.objectGoneAtNcDestroy);  // the window's procedure ran before the object went
  EXPECT_EQ(manager_->Lookup(hwnd), nullptr);
  EXPECT_EQ(manager_->WindowCount(), before);

  HWND tip = CreateWindowExW(0, L"tooltips_class32", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (tip) {
    EXPECT_EQ(manager_->Lookup(tip), nullptr);
    DestroyWindow(tip);
  }
}

TEST_F(SkinManagerTest, WindowThatOptsOutIsPassedThrough) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND hwnd = MakeWindow();
  CTKSkinObject* object = manager_->Lookup(hwnd);
  ASSERT_NE(object, nullptr);
  EXPECT_FALSE(object->IsPassThrough());
  g_queryState = 1;
  SendMessageW(hwnd, CTKSkinObject::UpdateStateMessage(), 0, 0);
  g_queryState = 0;
  EXPECT_TRUE(object->IsPassThrough());
  EXPECT_TRUE(object->IsMessageExcluded(WM_NOTIFY));
  EXPECT_FALSE(object->IsMessageExcluded(WM_PAINT));
  DestroyWindow(hwnd);
}

TEST_F(SkinManagerTest, ThreadsCreatedWhileSkinnedAttachTheirWindows) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  ThreadResult result;
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &AttachOnThread, &result, 0, nullptr));
  ASSERT_NE(thread.Get(), nullptr);
  WaitForSingleObject(thread.Get(), INFINITE);
  EXPECT_TRUE(result.attached);
}

TEST_F(SkinManagerTest, CommonControlsDrawWithTheSkinColours) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND parent = MakeWindow();
  // The tree view reads the window colour through its own import of GetSysColor.
  HWND list = CreateWindowExW(0, L"SysTreeView32", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 100, 40, parent,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  SendMessageW(list, WM_SYSCOLORCHANGE, 0, 0);
  Canvas canvas(100, 40, RGB(1, 1, 1));
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(canvas.At(50, 30), RGB(250, 252, 255));
  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  SendMessageW(list, WM_SYSCOLORCHANGE, 0, 0);
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(canvas.At(50, 30), SysColor(COLOR_WINDOW));
  DestroyWindow(parent);
}

TEST_F(SkinManagerTest, ButtonsDrawWithTheSkinsButtonParts) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND parent = MakeWindow();
  struct Case {
    DWORD style;
    bool enabled;
    COLORREF fill;  // the state's frame of BUTTON.BMP
  } cases[] = {
      {BS_PUSHBUTTON, true, RGB(214, 228, 245)},
      {BS_DEFPUSHBUTTON, true, RGB(180, 210, 250)},
      {BS_PUSHBUTTON, false, RGB(200, 200, 200)},
  };
  for (const Case& c : cases) {
    HWND button = CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 60, 24, parent, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(manager_->Lookup(button), nullptr);
    EnableWindow(button, c.enabled);
    Canvas canvas(60, 24, RGB(1, 1, 1));
    SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(canvas.At(0, 0), RGB(60, 90, 140)) << c.style;
    EXPECT_EQ(canvas.At(30, 12), c.fill) << c.style << " " << c.enabled;
    DestroyWindow(button);
  }
  // Unloaded: the system draws the button again.
  HWND button = CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE, 0, 0, 60, 24, parent, nullptr, nullptr, nullptr);
  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  Canvas canvas(60, 24, RGB(1, 1, 1));
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  EXPECT_NE(canvas.At(30, 12), RGB(214, 228, 245));
  DestroyWindow(parent);
}

TEST_F(SkinManagerTest, ButtonClicksFollowTheButtonKind) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND parent = MakeWindow();
  auto click = [](HWND b, LPARAM up) {
    SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(b, WM_LBUTTONUP, 0, up);
  };
  HWND tri = CreateWindowExW(0, L"Button", L"x", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, 0, 0, 60, 24, parent, nullptr,
                             nullptr, nullptr);
  g_seen = Seen{};
  LRESULT states[3];
  for (LRESULT& s : states) {
    click(tri, MAKELPARAM(5, 5));
    s = SendMessageW(tri, BM_GETCHECK, 0, 0);
  }
  EXPECT_EQ(states[0], BST_CHECKED);
  EXPECT_EQ(states[1], BST_INDETERMINATE);
  EXPECT_EQ(states[2], BST_UNCHECKED);
  EXPECT_EQ(g_seen.commands, 3);
  click(tri, MAKELPARAM(200, 200));  // released outside: no click
  EXPECT_EQ(g_seen.commands, 3);
  EXPECT_EQ(SendMessageW(tri, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  HWND a = CreateWindowExW(0, L"Button", L"a", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, 0, 30, 60, 20,
                           parent, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, L"Button", L"b", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 50, 60, 20, parent,
                           nullptr, nullptr, nullptr);
  click(a, MAKELPARAM(5, 5));
  click(b, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  DestroyWindow(parent);
}

TEST_F(SkinManagerTest, ButtonKindsWithoutSkinPartsKeepTheirOwnDrawing) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND parent = MakeWindow();
  auto print = [&](DWORD style) {
    HWND button = CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 60, 24, parent, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(manager_->Lookup(button), nullptr);
    auto canvas = std::make_unique<Canvas>(60, 24, RGB(1, 1, 1));
    SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()), PRF_CLIENT);
    DestroyWindow(button);
    return canvas;
  };
  const auto checkBox = print(BS_CHECKBOX);
  ASSERT_NE(checkBox->At(30, 12), RGB(1, 1, 1));
  for (DWORD style : {BS_SPLITBUTTON, BS_DEFSPLITBUTTON, BS_COMMANDLINK, BS_DEFCOMMANDLINK}) {
    const auto own = print(style);
    bool differs = false;
    for (int y = 0; y < 24 && !differs; ++y)
      for (int x = 0; x < 60 && !differs; ++x) differs = own->At(x, y) != checkBox->At(x, y);
    EXPECT_TRUE(differs) << "type " << style << " was drawn as a skinned check box";
  }
  DestroyWindow(parent);
}

namespace {

// Stands in for the system's button where it matters here: focus reaching an unchecked
// automatic radio button checks it and reports it clicked, as the button does for focus moved
// by the keyboard.
LRESULT CALLBACK FocusCheckingButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    case BM_SETCHECK:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case WM_SETFOCUS:
      if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) == BST_UNCHECKED) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, BST_CHECKED);
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

TEST_F(SkinManagerTest, FocusFromAClickLeavesTheCheckingToTheClick) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  HWND parent = MakeWindow();
  ShowWindow(parent, SW_SHOW);  // focus goes to windows of an active, shown window
  SetActiveWindow(parent);
  // A class of this program named as the system's: the skin takes it for a button.
  WNDCLASSW wc{};
  wc.lpfnWndProc = FocusCheckingButtonProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Button";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND radio = CreateWindowExW(0, L"Button", L"r", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 0, 60, 20, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(manager_->Lookup(radio), nullptr);
  g_seen = Seen{};
  SendMessageW(radio, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(radio, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), radio);
  EXPECT_EQ(SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(g_seen.commands, 1);  // the click's own report, not one more from the focus

  // Focus that does not come from a press is the button's own handling.
  HWND other = CreateWindowExW(0, L"Button", L"o", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 30, 60, 20, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  g_seen = Seen{};
  SetFocus(other);
  EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(g_seen.commands, 1);
  DestroyWindow(parent);
  EXPECT_TRUE(UnregisterClassW(L"Button", GetModuleHandleW(nullptr)));
}

TEST_F(SkinManagerTest, ALoadIsRefusedWhenSkinningCannotRun) {
  CTKSkinManager::SetSupportCheckForTesting([] { return false; });
  const int loaded = manager_->LoadSkinFile(TestEnv().library, L"");
  CTKSkinManager::SetSupportCheckForTesting(nullptr);
  EXPECT_EQ(loaded, 0);
  EXPECT_EQ(manager_->ApiHook()->HookedCount(), 0);
  EXPECT_NE(SysColor(COLOR_BTNFACE), kSkinFace);
  // Loaded first, then refused: nothing stays redirected to the schema that went.
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  CTKSkinManager::SetSupportCheckForTesting([] { return false; });
  EXPECT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 0);
  CTKSkinManager::SetSupportCheckForTesting(nullptr);
  EXPECT_EQ(manager_->ApiHook()->HookedCount(), 0);
  EXPECT_NE(SysColor(COLOR_BTNFACE), kSkinFace);
  EXPECT_TRUE(CTKSkinManager::ThemeCheckPasses());
  EXPECT_TRUE(CTKSkinManager::SkinningSupported());
}

TEST_F(SkinManagerTest, FrameworkWindowsCountAsTheApplicationsOwn) {
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  // A window whose procedure is the framework's, wherever the program was loaded.
  WNDCLASSW wc{};
  wc.lpfnWndProc = &CWnd::WindowProcThunk;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KestrinSkinFrameworkWindow";
  const ATOM atom = RegisterClassW(&wc);
  ASSERT_NE(atom, 0);
  HWND hwnd = CreateWindowExW(0, L"KestrinSkinFrameworkWindow", L"f", WS_OVERLAPPEDWINDOW, 0, 0, 100, 80, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  CTKSkinObject* object = manager_->Lookup(hwnd);
  ASSERT_NE(object, nullptr);
  ASSERT_EQ(object->PreviousProc(), &CWnd::WindowProcThunk);
  EXPECT_TRUE(object->IsApplicationProc(WM_PAINT));
  EXPECT_FALSE(object->IsApplicationProc(WM_TIMER));
  // The handling test: the strict form leaves the application's procedure its messages.
  EXPECT_FALSE(object->WantsMessage(WM_PAINT, true));
  EXPECT_TRUE(object->WantsMessage(WM_PAINT, false));
  EXPECT_TRUE(object->WantsMessage(WM_TIMER, true));
  EXPECT_FALSE(object->WantsMessage(WM_COMMAND, false));
  DestroyWindow(hwnd);
  UnregisterClassW(L"KestrinSkinFrameworkWindow", GetModuleHandleW(nullptr));
}
