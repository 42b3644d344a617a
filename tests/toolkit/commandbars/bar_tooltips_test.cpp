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
WNDPROC g_tip_proc = nullptr;
LRESULT CALLBACK CountingTip(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == TTM_ADDTOOLW) ++g_adds;
  if (msg == TTM_DELTOOLW) ++g_deletes;
  if (msg == TTM_ACTIVATE) g_activations.push_back(static_cast<BOOL>(w));
  return ::CallWindowProcW(g_tip_proc, hwnd, msg, w, l);
}

struct TipFixture : BarFixture {
  TipFixture() : BarFixture(3) {
    bar->GetControl(0)->SetTooltip(L"Opens a file");
    bar->GetControl(1)->SetCaption(L"&Save");
    bar->GetControl(1)->SetTooltip(L"");
    Move(Center(2));  // makes the tooltip window
    HWND tip = CTKToolTipContext::ThreadInstance().GetToolTipWindow();
    g_tip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingTip)));
    g_adds = g_deletes = 0;
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
