// Tooltips and the frame's message pane following the hot control of a bar.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "test_bars.h"
#include "toolkit/commandbars/bar_tooltips.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/drawing/image_manager.h"
#include "platform/win/gdi.h"

namespace {

// Counts what the tooltip window is told.
int g_adds = 0, g_deletes = 0;
std::vector<BOOL> g_activations;
// The times the window was raised to the top of its band without being activated.
int g_raises = 0;
WNDPROC g_tip_proc = nullptr;
LRESULT CALLBACK CountingTip(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_WINDOWPOSCHANGING) {
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(l);
    g_raises += !(pos->flags & SWP_NOZORDER) && pos->hwndInsertAfter == HWND_TOP && (pos->flags & SWP_NOACTIVATE);
  }
  if (msg == TTM_ADDTOOLW) ++g_adds;
  if (msg == TTM_DELTOOLW) ++g_deletes;
  if (msg == TTM_ACTIVATE) g_activations.push_back(static_cast<BOOL>(w));
  return ::CallWindowProcW(g_tip_proc, hwnd, msg, w, l);
}

// The window the bars' tooltips take for the active one, named by the test while it lives.
HWND g_active = nullptr;
HWND ActiveWindow() { return g_active; }
struct ActiveWindowSeam {
  explicit ActiveWindowSeam(HWND active) {
    g_active = active;
    CTKToolTipContext::ThreadInstance().SetActiveWindowQuery(&ActiveWindow);
  }
  ~ActiveWindowSeam() { CTKToolTipContext::ThreadInstance().SetActiveWindowQuery(nullptr); }
};

struct TipFixture : BarFixture {
  TipFixture() : BarFixture(3), active(site.hwnd) {
    bar->GetControl(0)->SetTooltip(L"Opens a file");
    bar->GetControl(1)->SetCaption(L"&Save");
    bar->GetControl(1)->SetTooltip(L"");
    Move(Center(2));  // makes the tooltip window
    HWND tip = CTKToolTipContext::ThreadInstance().GetToolTipWindow();
    g_tip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingTip)));
    g_adds = g_deletes = g_raises = 0;
    g_activations.clear();
  }
  ~TipFixture() {
    ::SetWindowLongPtrW(CTKToolTipContext::ThreadInstance().GetToolTipWindow(), GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(g_tip_proc));
  }
  void Move(CPoint pt) { ::SendMessageW(bar->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)); }
  int ToolCount() const {
    return static_cast<int>(::SendMessageW(CTKToolTipContext::ThreadInstance().GetToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0));
  }
  ActiveWindowSeam active;
};

// A hidden top-level popup, owned by `owner` when given.
struct Popup {
  explicit Popup(HWND owner = nullptr)
      : hwnd(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr,
                               nullptr)) {}
  ~Popup() { ::DestroyWindow(hwnd); }
  HWND hwnd;
};


TEST(BarToolTips, FollowTheControlUnderThePointer) {
  TipFixture f;
  const CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  ASSERT_TRUE(::IsWindow(tips.GetToolTipWindow()));
  EXPECT_EQ(3u, tips.LastToolId());
  f.Move(f.Center(0));
  EXPECT_EQ(1u, tips.LastToolId());
  EXPECT_EQ(L"Opens a file", tips.LastToolText());
  EXPECT_EQ(1, f.ToolCount());
  // Moving within the same control relays the move without adding the tool again.
  f.Move(f.Center(0) + CPoint(1, 1));
  EXPECT_EQ(1, g_adds);
  // A control without a tip shows its caption without the accelerator mark.
  f.Move(f.Center(1));
  EXPECT_EQ(2u, tips.LastToolId());
  EXPECT_EQ(L"Save", tips.LastToolText());
  EXPECT_EQ(2, g_adds);
  EXPECT_EQ(2, g_deletes);
  EXPECT_EQ(1, f.ToolCount());
  // Off the controls: no tool, and the tip goes.
  f.Move(CPoint(590, 5));
  EXPECT_EQ(0u, tips.LastToolId());
  EXPECT_EQ(0, f.ToolCount());
  ASSERT_FALSE(g_activations.empty());
  EXPECT_FALSE(g_activations.back());
}

TEST(BarToolTips, AKeyOrAPressEndsTheTip) {
  TipFixture f;
  for (UINT message : {static_cast<UINT>(WM_KEYDOWN), static_cast<UINT>(WM_LBUTTONDOWN)}) {
    f.Move(f.Center(0));
    g_activations.clear();
    CTKToolTipContext::ThreadInstance().FilterBarMessage(f.bar, f.bar->GetSafeHwnd(), message, 0, 0, true);
    EXPECT_EQ(std::vector<BOOL>{FALSE}, g_activations) << message;
    f.Move(f.Center(2));
  }
}

TEST(BarToolTips, MessagesOfOtherWindowsAreLeftAloneUnlessForced) {
  TipFixture f;
  f.Move(f.Center(2));
  SiteWindow other;
  CPoint pt = f.Center(0);
  CTKToolTipContext::ThreadInstance().FilterBarMessage(f.bar, other.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y), false);
  EXPECT_EQ(3u, CTKToolTipContext::ThreadInstance().LastToolId());
}

// A new tool's tip is switched on, and its window raised above the other popups, while the bar's
// top-level owner (or a window it owns) is active, or when the tool asks to be shown at once;
// the bars' own flags never reach the tooltip window.
enum class Active { kOwner, kOwned, kOther };
struct ActivationCase {
  const char* name;
  Active active;
  UINT flags;
  bool shown;
};
class ToolActivation : public ::testing::TestWithParam<ActivationCase> {};
TEST_P(ToolActivation, FollowsTheOwnersActivityUnlessShownAtOnce) {
  const ActivationCase& c = GetParam();
  TipFixture f;
  HWND tip = CTKToolTipContext::ThreadInstance().GetToolTipWindow();
  Popup owned(f.site.hwnd), other;
  g_active = c.active == Active::kOwner ? f.site.hwnd : c.active == Active::kOwned ? owned.hwnd : other.hwnd;
  f.bar->tool_flags = c.flags;
  f.Move(f.Center(0));
  EXPECT_EQ(1u, CTKToolTipContext::ThreadInstance().LastToolId());
  EXPECT_EQ(1, g_adds);
  EXPECT_EQ(c.shown ? std::vector<BOOL>{TRUE} : std::vector<BOOL>{}, g_activations);
  EXPECT_EQ(c.shown ? 1 : 0, g_raises);
  TTTOOLINFOW info{};
  info.cbSize = kTKToolInfoSize;
  info.hwnd = f.bar->GetSafeHwnd();
  info.uId = 1;
  ASSERT_TRUE(::SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(c.flags & ~kTKToolOwnFlags, info.uFlags);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ToolActivation,
    ::testing::Values(ActivationCase{"owner active", Active::kOwner, 0, true},
                      ActivationCase{"owned window active", Active::kOwned, 0, true},
                      ActivationCase{"another program active", Active::kOther, 0, false},
                      ActivationCase{"shown at once", Active::kOther, kTKToolShowAtOnce, true},
                      ActivationCase{"own flags dropped, tooltip flags kept", Active::kOwner,
                                     kTKToolOwnFlags | TTF_CENTERTIP, true}),
    [](const ::testing::TestParamInfo<ActivationCase>& info) { return "Case" + std::to_string(info.index); });

// While another program is active, a shown tip is switched off and the pointer followed no
// further; a hidden one follows the pointer without being switched on, until the owner is
// active again.
TEST(BarToolTips, AShownTipIsPutAwayWhileTheOwnerIsInactive) {
  TipFixture f;
  const CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  HWND tip = tips.GetToolTipWindow();
  f.Move(f.Center(0));
  ::ShowWindow(tip, SW_SHOWNOACTIVATE);  // stands for the tip the tooltip window popped up
  g_active = nullptr;
  g_adds = 0;
  g_activations.clear();
  f.Move(f.Center(1));
  EXPECT_EQ(std::vector<BOOL>{FALSE}, g_activations);
  EXPECT_EQ(1u, tips.LastToolId());
  EXPECT_EQ(0, g_adds);
  ::ShowWindow(tip, SW_HIDE);
  g_activations.clear();
  f.Move(f.Center(1));
  EXPECT_EQ(2u, tips.LastToolId());
  EXPECT_EQ(1, g_adds);
  EXPECT_TRUE(g_activations.empty());
  g_active = f.site.hwnd;
  f.Move(f.Center(0));
  EXPECT_EQ(1u, tips.LastToolId());
  EXPECT_EQ(std::vector<BOOL>{TRUE}, g_activations);
}

// Titles need common controls above version 5.79, unless the tooltip style is set; the no-titles
// style never has them.
DWORD g_version = 0;
DWORD CommonControlsVersion() { return g_version; }
struct TitleCase {
  DWORD version;
  int style;
  bool titled;
};
class TitleVersion : public ::testing::TestWithParam<TitleCase> {};
TEST_P(TitleVersion, TitlesNeedTheVersionOrAStyle) {
  const TitleCase& c = GetParam();
  CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  struct Restore {
    ~Restore() {
      CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
      tips.SetShowTitles(false, 0);
      tips.SetToolTipStyle(0);
      tips.SetCommonControlsVersionQuery(nullptr);
    }
  } restore;
  g_version = c.version;
  tips.SetCommonControlsVersionQuery(&CommonControlsVersion);
  tips.SetShowTitles(true, TTI_INFO);
  tips.SetToolTipStyle(c.style);
  TipFixture f;
  f.bar->GetControl(0)->SetDescription(L"Opens a file in the editor");
  f.Move(f.Center(0));
  EXPECT_EQ(c.titled ? L"Opens a file" : L"", tips.LastToolTitle());
  EXPECT_EQ(c.titled ? L"Opens a file in the editor" : L"Opens a file", tips.LastToolText());
}
INSTANTIATE_TEST_SUITE_P(Table, TitleVersion,
                         ::testing::Values(TitleCase{MAKELONG(80, 5), 0, true}, TitleCase{MAKELONG(79, 5), 0, false},
                                           TitleCase{MAKELONG(0, 6), 0, true}, TitleCase{MAKELONG(90, 4), 0, false},
                                           TitleCase{0, 0, false},  // the library tells no version
                                           TitleCase{MAKELONG(71, 4), 1, true},
                                           TitleCase{MAKELONG(0, 6), CTKToolTipContext::kNoTitles, false}));

// The library's own version is asked at run time.
TEST(BarToolTips, TheCommonControlsTellTheirVersion) {
  const DWORD version = CTKToolTipContext::SystemCommonControlsVersion();
  EXPECT_GE(HIWORD(version), 5);
}

// The titles the tooltip window is given, with their icons.
std::vector<std::pair<WPARAM, std::wstring>> g_titles;
LRESULT CALLBACK TitleTip(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == TTM_SETTITLEW) g_titles.emplace_back(w, reinterpret_cast<const wchar_t*>(l));
  return ::CallWindowProcW(g_tip_proc, hwnd, msg, w, l);
}

// With titles on, a control with a description shows its tip as the title over the description;
// a description that only repeats the tip, or none, gives no title, and the no-titles style keeps
// every tip plain. A new tooltip window takes the margin and the colours set.
TEST(BarToolTips, TitlesMarginAndColours) {
  CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  tips.SetShowTitles(true, TTI_INFO);
  tips.SetMargin(RECT{2, 3, 4, 5});
  tips.SetTipColors(RGB(1, 2, 3), RGB(4, 5, 6));
  {
    BarFixture f(3);
    ActiveWindowSeam active(f.site.hwnd);
    f.bar->GetControl(0)->SetTooltip(L"Open");
    f.bar->GetControl(0)->SetDescription(L"Opens a file");
    f.bar->GetControl(1)->SetTooltip(L"Same");
    f.bar->GetControl(1)->SetDescription(L"Same");
    f.bar->GetControl(2)->SetTooltip(L"Plain");
    auto move = [&](int index) {
      const CPoint pt = f.Center(index);
      ::SendMessageW(f.bar->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    };
    move(0);
    HWND tip = tips.GetToolTipWindow();
    ASSERT_TRUE(::IsWindow(tip));
    RECT margin{};
    ::SendMessageW(tip, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    const RECT expected{2, 3, 4, 5};
    EXPECT_TRUE(::EqualRect(&margin, &expected));
    EXPECT_EQ(RGB(1, 2, 3), static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)));
    EXPECT_EQ(RGB(4, 5, 6), static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0)));
    EXPECT_EQ(L"Open", tips.LastToolTitle());
    EXPECT_EQ(L"Opens a file", tips.LastToolText());
    // The window is given the title with its icon, and has it taken away for a plain tip.
    g_titles.clear();
    g_tip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TitleTip)));
    move(2);
    move(0);
    ::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tip_proc));
    EXPECT_EQ((std::vector<std::pair<WPARAM, std::wstring>>{{0, L""}, {TTI_INFO, L"Open"}}), g_titles);
    move(1);
    EXPECT_EQ(L"", tips.LastToolTitle());
    EXPECT_EQ(L"Same", tips.LastToolText());
    move(2);
    EXPECT_EQ(L"", tips.LastToolTitle());
    EXPECT_EQ(L"Plain", tips.LastToolText());
    tips.SetToolTipStyle(CTKToolTipContext::kNoTitles);
    move(0);
    EXPECT_EQ(L"", tips.LastToolTitle());
    EXPECT_EQ(L"Open", tips.LastToolText());
  }
  tips.SetToolTipStyle(0);
  tips.SetShowTitles(false, 0);
  tips.SetMargin(RECT{0, 0, 0, 0});
  tips.SetTipColors(CLR_NONE, CLR_NONE);
}

// The images the tooltip window is handed.
std::vector<LPARAM> g_images;
LRESULT CALLBACK ImageTip(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == CTKToolTipContext::kMsgToolImage) g_images.push_back(l);
  return ::CallWindowProcW(g_tip_proc, hwnd, msg, w, l);
}

// With image tips, each new tool hands the window the bar's image of the base id + the tool id,
// or null when the bar has no such image; without them nothing is handed.
TEST(BarToolTips, ImageTipsHandTheToolsImage) {
  CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  CTKImageManager images;
  const UINT ids[] = {1001};
  KestrinWinNS::CScopedBitmap bitmap(::CreateBitmap(16, 16, 1, 32, nullptr));
  ASSERT_TRUE(images.SetIconsFromBitmap(bitmap.Get(), false, ids, 1, SIZE{16, 16}, 0));
  const LPARAM image = reinterpret_cast<LPARAM>(images.GetImage(1001, 0));
  ASSERT_NE(0, image);
  BarFixture f(3);
  ActiveWindowSeam active(f.site.hwnd);
  f.bar->SetImageManager(&images);
  auto move = [&](int index) {
    const CPoint pt = f.Center(index);
    ::SendMessageW(f.bar->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
  };
  move(2);
  HWND tip = tips.GetToolTipWindow();
  ASSERT_TRUE(::IsWindow(tip));
  g_images.clear();
  g_tip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ImageTip)));
  move(0);  // without image tips
  tips.SetImageTips(true, 1000);
  move(1);  // tool 2: no image 1002
  move(0);  // tool 1: image 1001
  move(0);  // the same tool: nothing new
  tips.SetImageTips(false, 0);
  ::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tip_proc));
  f.bar->SetImageManager(nullptr);
  EXPECT_EQ((std::vector<LPARAM>{0, image}), g_images);
}

struct InfoCase {
  UINT size;
  bool filled, extra;
};
class ToolInfoFill : public ::testing::TestWithParam<InfoCase> {};
TEST_P(ToolInfoFill, FillsOnlyRecordsLargeEnough) {
  TTTOOLINFOW info{};
  info.cbSize = GetParam().size;
  const RECT rect{1, 2, 3, 4};
  TKFillToolInfoEx(&info, reinterpret_cast<HWND>(0x10), 7, rect, L"tip", L"Title", L"Description", nullptr);
  EXPECT_EQ(GetParam().filled, info.lpszText != nullptr);
  EXPECT_EQ(GetParam().filled ? 7u : 0u, info.uId);
  if (GetParam().filled) {
    EXPECT_STREQ(L"tip", info.lpszText);
  }
  EXPECT_EQ(GetParam().extra, info.lParam != 0);
  if (GetParam().extra) {
    EXPECT_STREQ(L"Title", reinterpret_cast<CTKToolInfoExtra*>(info.lParam)->title);
  }
  TKFreeToolInfo(&info);
  EXPECT_EQ(nullptr, info.lpszText);
  EXPECT_EQ(0, info.lParam);
}
INSTANTIATE_TEST_SUITE_P(Sizes, ToolInfoFill,
                         ::testing::Values(InfoCase{kTKToolInfoSize - 4, false, false}, InfoCase{kTKToolInfoSize, true, false},
                                           InfoCase{kTKToolInfoWideSize, true, true}));

// A frame-like window that records the message texts it is asked to show.
std::vector<std::wstring> g_texts;
LRESULT CALLBACK PromptFrame(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == 0x362) g_texts.push_back(l ? reinterpret_cast<const wchar_t*>(l) : L"#" + std::to_wstring(w));
  if (msg == 0x375) g_texts.push_back(L"(previous)");
  return ::DefWindowProcW(hwnd, msg, w, l);
}

TEST(BarPrompts, TheFramesMessagePaneFollowsTheHotControl) {
  BarFixture f(2);
  f.bar->GetControl(0)->SetDescription(L"Creates a document");
  ::SetWindowLongPtrW(f.site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PromptFrame));
  g_texts.clear();
  f.bar->SetHotControl(0, CTKCommandBar::kHotMouse);
  f.bar->SetHotControl(1, CTKCommandBar::kHotMouse);
  f.bar->SetHotControl(-1, CTKCommandBar::kHotMouse);
  EXPECT_EQ((std::vector<std::wstring>{L"Creates a document", L"(previous)", L"#101", L"(previous)"}), g_texts);
  ::SetWindowLongPtrW(f.site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
}

TEST(BarToolTips, AGallerysItemsHaveTipsOfTheirOwn) {
  BarFixture fx(0);
  ActiveWindowSeam active(fx.site.hwnd);
  CTKControlGallery* gallery = static_cast<CTKControlGallery*>(fx.bar->GetControls()->Add(TKCommandBars::kGallery, 300));
  gallery->SetTooltip(L"Colours");
  CTKControlGalleryItems* items = new CTKControlGalleryItems;
  items->SetItemSize(CSize(40, 20));
  items->AddItem(11, L"Red")->SetToolTip(L"Warm red");
  items->AddItem(12, L"Green")->SetToolTip(L"Leaf green");
  items->AddItem(13, L"Blue");  // no tip of its own
  gallery->SetItems(items);
  gallery->SetShowScrollBar(false);
  gallery->SetWidth(80);
  gallery->SetHeight(40);
  fx.bar->CalcSize(600, 0);
  struct Case {
    int item;
    UINT_PTR id;
    const wchar_t* text;
  } cases[] = {{0, 12, L"Warm red"}, {1, 13, L"Leaf green"},
               {2, static_cast<UINT_PTR>(gallery->GetIndex()) + 1, L"Colours"}};  // the gallery's own tip
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    const CRect item = gallery->GetItemDrawRect(c.item);
    RECT rect{};
    std::wstring text;
    EXPECT_EQ(c.id, TKBarToolHitTest(fx.bar, item.CenterPoint(), &rect, &text));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.item == 2 ? gallery->GetRect() : item, CRect(rect));
  }
  // Moving from one item to the next changes the tool the shared tip shows.
  CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
  for (int i : {0, 1}) {
    const CPoint at = gallery->GetItemDrawRect(i).CenterPoint();
    tips.FilterBarMessage(fx.bar, fx.bar->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), true);
    EXPECT_EQ(static_cast<UINT_PTR>(12 + i), tips.LastToolId());
    EXPECT_EQ(i == 0 ? L"Warm red" : L"Leaf green", tips.LastToolText());
  }
  items->Release();
}

}  // namespace
