// The tab row in a bar with windows: a minimized ribbon's tab popup, where it opens on the
// monitor, group popups closing on a new selection, keys, and what accessibility clients see.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/com/com_values.h"
#include "platform/win/gdi.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/ribbon/ribbon_fixed_group.h"
#include "tests/toolkit/ribbon/ribbon_test_groups.h"
#include "toolkit/commandbars/accessible.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_group_popup.h"
#include "toolkit/ribbon/ribbon_tab_popup.h"

IMPLEMENT_DYNCREATE(FixedGroup, CTKRibbonButtonGroup)

namespace {

using TKCommandBars::kButton;
using TKCommandBars::kTop;

RECT g_work{};

// One monitor whose work area the test chooses.
BOOL TestMonitor(const RECT&, RECT* monitor, RECT* work) {
  *monitor = RECT{0, 0, 2048, 1536};
  *work = g_work;
  return TRUE;
}

struct MonitorSeam {
  explicit MonitorSeam(const RECT& work) {
    g_work = work;
    TKSetMonitorAreasFunction(&TestMonitor);
  }
  ~MonitorSeam() { TKSetMonitorAreasFunction(nullptr); }
};

// The ribbon's part: minimized or not, closing popups through the manager as the ribbon does,
// and counting the layout lock.
class FakeRibbon : public CTKRibbonTabRowSite {
 public:
  explicit FakeRibbon(CTKCommandBarManager* manager) : manager_(manager) {}
  bool IsMinimized() const override { return minimized; }
  void ClosePopups() override {
    ++closes;
    manager_->ClosePopups();
  }
  bool TabSelecting(CTKRibbonTab*) override { return false; }
  void ShowGroupsOf(CTKRibbonTab*) override { locks_at_change = locks; }
  void TabSelected(CTKRibbonTab*) override {}
  void LockLayout() override { ++locks; }
  void UnlockLayout() override { --locks; }

  bool minimized = false;
  int closes = 0;
  int locks = 0;
  int locks_at_change = -1;

 private:
  CTKCommandBarManager* manager_;
};

// A bar 600 x 140 on a site, holding a button, the tab row and another button; three tabs
// (Home, Insert, View) of one group of three buttons each, Home's group collapsed.
struct Ribbon {
  SiteWindow site;
  CTKCommandBarManager manager;
  FakeRibbon fake{&manager};
  TestBand band;
  CTKToolBar* bar = new CTKToolBar;
  CTKRibbonControlTab* row = new CTKRibbonControlTab(&fake);
  CTKControl* first = nullptr;
  CTKControl* last = nullptr;
  FixedGroup* groups[3] = {};

  explicit Ribbon(bool right_to_left = false) {
    manager.SetSite(site.hwnd);
    bar->SetCommandBarManager(&manager);
    bar->SetGripperVisible(false);
    bar->SetPosition(kTop);
    bar->CreateToolBar(site.hwnd, false);
    if (right_to_left)
      ::SetWindowLongPtrW(bar->GetSafeHwnd(), GWL_EXSTYLE,
                          ::GetWindowLongPtrW(bar->GetSafeHwnd(), GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    ::MoveWindow(bar->GetSafeHwnd(), 0, 0, 600, 140, TRUE);
    ::ShowWindow(site.hwnd, SW_SHOWNA);
    first = bar->GetControls()->Add(kButton, 100);
    bar->GetControls()->InsertAt(row, -1);
    row->Release();
    last = bar->GetControls()->Add(kButton, 101);
    first->SetRect(CRect(0, 0, 40, 23));
    last->SetRect(CRect(560, 0, 600, 23));
    const wchar_t* captions[] = {L"Home", L"Insert", L"View"};
    for (int i = 0; i < 3; ++i) {
      CTKRibbonTab* tab = row->InsertTab(i, captions[i]);
      groups[i] = new FixedGroup;
      groups[i]->SetCaption(L"G");
      groups[i]->SetId(10 + i);
      groups[i]->AddButtons(3, 200 + 10 * i);
      tab->Groups().PutGroupAt(0, groups[i], bar, &band);
    }
    // Without a painter the row leaves its tabs where they are: 24 pixels each from its left.
    row->LayoutRow(nullptr, RECT{50, 0, 550, 23});
    for (int i = 0; i < 3; ++i) row->TabAt(i)->SetRect(RECT{50 + 24 * i, 0, 74 + 24 * i, 23});
    band.shown_tab = row->TabAt(0);
    groups[0]->BeginLayout(nullptr);
    groups[0]->Reduce(nullptr, 2);
    groups[0]->Position(groups[0]->CurrentWidth(nullptr), 10, 30);
    groups[0]->EndLayout();
  }
  ~Ribbon() {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
    DrainMessages();
  }
  CRect OnScreen(CRect rect) const {
    ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    rect.NormalizeRect();
    return rect;
  }
  CTKRibbonTabPopupToolBar* TabPopup() const { return dynamic_cast<CTKRibbonTabPopupToolBar*>(row->GetCommandBar()); }
};

TEST(RibbonTabRowInABar, SelectingATabClosesAnotherTabsOpenGroupPopup) {
  Ribbon r;
  r.row->SelectItem(r.row->TabAt(0));
  auto* button = dynamic_cast<CTKRibbonGroupControlPopup*>(r.groups[0]->CollapsedPopup());
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(r.bar->SetPopupOpen(button->GetIndex(), false));
  CTKCommandBar* popup = button->GetCommandBar();
  ASSERT_NE(dynamic_cast<CTKRibbonGroupPopupToolBar*>(popup), nullptr);
  ASSERT_TRUE(popup->IsBarVisible());
  const int closes = r.fake.closes;
  r.row->SelectItem(r.row->TabAt(1));
  EXPECT_EQ(r.fake.closes, closes + 1);
  EXPECT_EQ(popup->GetSafeHwnd(), nullptr);
  EXPECT_FALSE(button->GetPopuped());
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(1));
}

TEST(RibbonTabRowInABar, TheSelectionHidesOtherTabsGroupControlsUnderTheLayoutLock) {
  Ribbon r;
  r.row->SelectItem(r.row->TabAt(1));
  EXPECT_EQ(r.fake.locks_at_change, 1);
  EXPECT_EQ(r.fake.locks, 0);
  for (int t = 0; t < 3; ++t) {
    const bool hidden = t != 1;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ((r.groups[t]->ControlAt(i)->GetHideFlags() & CTKRibbonControlTab::kHideOtherTab) != 0, hidden)
          << t << " " << i;
  }
  // Home's collapsed button goes with Home's controls.
  EXPECT_NE(r.groups[0]->CollapsedPopup()->GetHideFlags() & CTKRibbonControlTab::kHideOtherTab, 0);
  r.row->SelectItem(r.row->TabAt(0));
  EXPECT_EQ(r.groups[0]->CollapsedPopup()->GetHideFlags() & CTKRibbonControlTab::kHideOtherTab, 0);
  EXPECT_NE(r.groups[1]->ControlAt(0)->GetHideFlags() & CTKRibbonControlTab::kHideOtherTab, 0);
}

TEST(RibbonTabRowInABar, AMinimizedRibbonOpensTheTabPopupOnEachSelectionAndClosingDeselects) {
  MonitorSeam seam(RECT{0, 0, 1024, 738});
  Ribbon r;
  r.fake.minimized = true;
  for (int t : {0, 2, 1}) {
    SCOPED_TRACE(t);
    const int layouts = FixedGroup::layouts_begun;
    r.row->SelectItem(r.row->TabAt(t));
    CTKRibbonTabPopupToolBar* popup = r.TabPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsBarVisible());
    EXPECT_EQ(1, FixedGroup::layouts_begun - layouts);  // the copied group, laid out once
    EXPECT_TRUE(r.row->GetPopuped());
    // The popup shows a copy of the tab and of its groups, with controls of its own.
    EXPECT_NE(popup->Tab(), r.row->TabAt(t));
    EXPECT_EQ(popup->Tab()->Caption(), r.row->TabAt(t)->Caption());
    ASSERT_EQ(popup->Tab()->Groups().Count(), 1);
    EXPECT_EQ(popup->Tab()->Groups().At(0)->Id(), 10 + t);
    auto* copy = static_cast<FixedGroup*>(popup->Tab()->Groups().At(0));
    ASSERT_EQ(copy->ControlCount(), 3);
    EXPECT_EQ(copy->ControlAt(0)->GetParent(), popup);
    EXPECT_EQ(copy->ControlAt(0)->GetID(), 200 + 10 * t);
  }
  CTKRibbonTabPopupToolBar* popup = r.TabPopup();
  r.manager.ClosePopups();
  EXPECT_EQ(popup->GetSafeHwnd(), nullptr);
  EXPECT_FALSE(r.row->GetPopuped());
  EXPECT_EQ(r.row->SelectedTab(), nullptr);
  // Not minimized, a selection opens nothing.
  r.fake.minimized = false;
  r.row->SelectItem(r.row->TabAt(0));
  EXPECT_EQ(popup->GetSafeHwnd(), nullptr);
  EXPECT_FALSE(r.row->GetPopuped());
}

TEST(RibbonTabRowInABar, TheTabPopupKeepsToTheWorkArea) {
  struct Case {
    const char* what;
    int work_right;   // from the ribbon's left on screen
    int work_bottom;  // below the tab row's bottom on screen
    bool above;
    int width;  // expected
  };
  const Case cases[] = {
      {"room enough: as wide as the ribbon", 1000, 500, false, 600},
      {"the work area ends before the ribbon's right edge: 4 pixels short of it", 450, 500, false, 446},
      {"no room below: above the tab row", 1000, 50, true, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ribbon r;
    CRect ribbon;
    ::GetWindowRect(r.bar->GetSafeHwnd(), &ribbon);
    const CRect anchor = r.OnScreen(r.row->GetRect());
    MonitorSeam seam(RECT{0, 0, ribbon.left + c.work_right, anchor.bottom + c.work_bottom});
    r.fake.minimized = true;
    r.row->SelectItem(r.row->TabAt(1));
    ASSERT_NE(r.TabPopup(), nullptr);
    CRect popup;
    ::GetWindowRect(r.TabPopup()->GetSafeHwnd(), &popup);
    EXPECT_EQ(popup.left, ribbon.left);
    EXPECT_EQ(popup.Width(), c.width);
    EXPECT_EQ(popup.Height(), r.TabPopup()->GroupsHeight());
    EXPECT_EQ(popup.top, c.above ? anchor.top - popup.Height() : anchor.bottom);
  }
}

TEST(RibbonTabRowInABar, KeysMoveOverTabsAndOffTheRow) {
  struct Case {
    const char* what;
    bool right_to_left;
    UINT key;
    int tab;     // selected afterwards
    int hot;     // 0 the first button, 1 the row, 2 the last button
  };
  const Case cases[] = {
      {"right: the next tab", false, VK_RIGHT, 2, 1},
      {"left: the previous tab", false, VK_LEFT, 0, 1},
      {"right, right to left: the previous tab", true, VK_RIGHT, 0, 1},
      {"left, right to left: the next tab", true, VK_LEFT, 2, 1},
      {"up: the bar's first control", false, VK_UP, 1, 0},
      {"down: the control after the row", false, VK_DOWN, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ribbon r(c.right_to_left);
    r.row->SelectItem(r.row->TabAt(1));
    r.bar->SetTrackingMode(1, false, true);
    r.bar->SetHotControl(r.row->GetIndex(), CTKCommandBar::kHotKeyForward);
    ASSERT_TRUE(r.row->IsFocused());
    EXPECT_EQ(r.bar->OnHookKeyDown(c.key, 0), CTKCommandBar::kKeyHandled);
    EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(c.tab));
    const CTKControl* hot[] = {r.first, r.row, r.last};
    EXPECT_EQ(r.bar->GetHotControl(), hot[c.hot]);
    EXPECT_EQ(r.row->IsFocused(), c.hot == 1);
    r.bar->SetTrackingMode(0, false, false);
  }
}

TEST(RibbonTabRowInABar, AccessibilityLocatesAndHitTestsTheTabsOnScreen) {
  Ribbon r;
  // Tabs 24 wide from the row's left (50).
  RECT location{};
  ASSERT_TRUE(r.row->AccessibleLocation(2, &location));
  EXPECT_EQ(CRect(location), r.OnScreen(CRect(74, 0, 98, 23)));
  EXPECT_FALSE(r.row->AccessibleLocation(4, &location));
  struct Case {
    POINT client;
    int child;
  };
  const Case cases[] = {{{60, 10}, 1}, {{97, 22}, 2}, {{100, 10}, 3}, {{300, 10}, 0}, {{20, 10}, -1}, {{60, 30}, -1}};
  for (const Case& c : cases) {
    const CRect point = r.OnScreen(CRect(c.client.x, c.client.y, c.client.x, c.client.y));
    EXPECT_EQ(r.row->AccessibleHitTest(point.TopLeft()), c.child) << c.client.x << "," << c.client.y;
  }
  EXPECT_EQ(r.row->AccessibleState(0), static_cast<DWORD>(STATE_SYSTEM_FOCUSABLE));
  ::ShowWindow(r.bar->GetSafeHwnd(), SW_HIDE);
  EXPECT_EQ(r.row->AccessibleState(0), static_cast<DWORD>(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE));
}

}  // namespace

namespace {

std::vector<LONG> g_focus_children;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (event == EVENT_OBJECT_FOCUS && object == OBJID_CLIENT) g_focus_children.push_back(child);
}

TEST(RibbonTabRowInABar, ASelectionRaisesTheFocusEventForItsTab) {
  Ribbon r;
  g_focus_children.clear();
  std::unique_ptr<std::remove_pointer_t<HWINEVENTHOOK>, decltype(&::UnhookWinEvent)> hook(
      ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &RecordFocus, ::GetCurrentProcessId(),
                        ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT),
      &::UnhookWinEvent);
  ASSERT_NE(hook, nullptr);
  r.row->SelectItem(r.row->TabAt(2));
  r.row->SelectItem(r.row->TabAt(0));
  DrainMessages();
  hook.reset();
  EXPECT_EQ(g_focus_children, (std::vector<LONG>{3, 1}));
}

}  // namespace

namespace {

VARIANT ChildId(long id) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

TEST(RibbonTabRowInABar, ClientsSeeTheTabsAsChildrenOfTheRowsObject) {
  Ribbon r;
  r.row->TabAt(2)->Show(false);
  r.row->SelectItem(r.row->TabAt(1));
  // The bar's object hands out the row's object, whose children are the tabs.
  auto* bar_object = new CTKCommandBarAccessible(r.bar->GetSafeHwnd(), nullptr);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(bar_object->Accessible()->get_accChild(ChildId(r.row->GetIndex() + 1), &dispatch), S_OK);
  bar_object->Accessible()->Release();
  IAccessible* row = nullptr;
  ASSERT_EQ(dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&row)), S_OK);
  dispatch->Release();
  long count = 0;
  EXPECT_EQ(row->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);
  struct Case {
    long child;
    long role;
    long state;
    const wchar_t* name;
    const wchar_t* action;  // null: none
  };
  const long tab = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  const Case cases[] = {
      {CHILDID_SELF, 60, STATE_SYSTEM_FOCUSABLE, L"", nullptr},
      {1, 37, tab, L"Home", L"Switch"},
      {2, 37, tab | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED, L"Insert", L"Switch"},
      {3, 37, tab | STATE_SYSTEM_INVISIBLE, L"View", L"Switch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.child);
    VARIANT value;
    ::VariantInit(&value);
    ASSERT_EQ(row->get_accRole(ChildId(c.child), &value), S_OK);
    EXPECT_EQ(value.lVal, c.role);
    ASSERT_EQ(row->get_accState(ChildId(c.child), &value), S_OK);
    EXPECT_EQ(value.lVal, c.state);
    KestrinComNS::CBstr text;
    ASSERT_EQ(row->get_accName(ChildId(c.child), text.Receive()), S_OK);
    EXPECT_EQ(std::wstring(text.Get() ? text.Get() : L""), c.name);
    EXPECT_EQ(row->get_accDefaultAction(ChildId(c.child), text.Receive()), c.action ? S_OK : S_FALSE);
    EXPECT_EQ(std::wstring(text.Get() ? text.Get() : L""), c.action ? c.action : L"");
  }
  VARIANT value;
  ::VariantInit(&value);
  EXPECT_EQ(row->get_accRole(ChildId(4), &value), E_INVALIDARG);
  // Where the second tab is, and which tab lies under a point.
  long x = 0, y = 0, cx = 0, cy = 0;
  ASSERT_EQ(row->accLocation(&x, &y, &cx, &cy, ChildId(2)), S_OK);
  EXPECT_EQ(CRect(x, y, x + cx, y + cy), r.OnScreen(CRect(74, 0, 98, 23)));
  const CPoint home = r.OnScreen(CRect(60, 10, 60, 10)).TopLeft();
  ASSERT_EQ(row->accHitTest(home.x, home.y, &value), S_OK);
  EXPECT_EQ(value.lVal, 1);
  // The default action switches to the tab.
  EXPECT_EQ(row->accDoDefaultAction(ChildId(1)), S_OK);
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(0));
  row->Release();
}

}  // namespace

namespace {

TEST(RibbonTabRowInABar, TabImagesComeFromTheBarsImageManagerByTheTabsImageId) {
  CTKImageManager images;
  std::vector<DWORD> red(16 * 16, 0xFFFF0000);
  ASSERT_TRUE(images.AddAlphaImage(MakeDibSection(16, 16, red.data()), 7, 0));
  Ribbon r;
  r.bar->SetImageManager(&images);
  struct Case {
    int image;
    bool found;
  };
  const Case cases[] = {{7, true}, {-1, false}, {8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    r.row->TabAt(0)->SetImage(c.image);
    SIZE size{16, 16};
    EXPECT_EQ(r.row->PaintItemIcon(nullptr, POINT{}, r.row->TabAt(0), false, size), c.found);
  }
  // Drawn at the point asked.
  r.row->TabAt(0)->SetImage(7);
  std::vector<DWORD> white(32 * 32, 0xFFFFFFFF);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  KestrinWinNS::CScopedBitmap target(MakeDibSection(32, 32, white.data()));
  KestrinWinNS::CSelectObject selected(dc.GetSafeHdc(), target.Get());
  SIZE size{16, 16};
  ASSERT_TRUE(r.row->PaintItemIcon(dc.GetSafeHdc(), POINT{8, 8}, r.row->TabAt(0), true, size));
  EXPECT_EQ(size.cx, 16);
  EXPECT_EQ(::GetPixel(dc.GetSafeHdc(), 10, 10), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc.GetSafeHdc(), 4, 4), RGB(255, 255, 255));
}

}  // namespace

namespace {

// Groups too wide for the popup even collapsed: the popup scrolls them, and a scroll closes
// the popup's own open group popup first.
TEST(RibbonTabRowInABar, ScrollingTheTabPopupClosesItsOpenGroupPopup) {
  MonitorSeam seam(RECT{0, 0, 1024, 738});
  Ribbon r;
  CTKRibbonTab* tab = r.row->TabAt(1);
  // Captions wider than the collapsed buttons (90 pixels against 42).
  for (int g = 0; g < 14; ++g) {
    auto* group = new FixedGroup;
    group->SetCaption(L"Wide group");
    group->SetId(100 + g);
    group->AddButtons(3, 1000 + 10 * g);
    tab->Groups().PutGroupAt(tab->Groups().Count(), group, r.bar, &r.band);
  }
  r.fake.minimized = true;
  r.row->SelectItem(tab);
  CTKRibbonTabPopupToolBar* popup = r.TabPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->ScrollOffset(), 0);
  ASSERT_FALSE(popup->RightButton()->GetHideFlags() & TKCommandBars::kHideShow);
  EXPECT_TRUE(popup->LeftButton()->GetHideFlags() & TKCommandBars::kHideShow);
  // Every group is collapsed; the first one's button opens its popup.
  CTKControl* button = popup->Tab()->Groups().At(0)->CollapsedPopup();
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(popup->SetPopupOpen(button->GetIndex(), false));
  CTKCommandBar* group_popup = button->GetCommandBar();
  ASSERT_NE(group_popup, nullptr);
  ASSERT_TRUE(group_popup->IsBarVisible());
  popup->RightButton()->OnExecute();
  EXPECT_EQ(group_popup->GetSafeHwnd(), nullptr);
  EXPECT_EQ(popup->ScrollOffset(), CTKRibbonScrollableBar::kScrollStep);
  EXPECT_TRUE(popup->IsBarVisible());
  EXPECT_FALSE(popup->LeftButton()->GetHideFlags() & TKCommandBars::kHideShow);
}

}  // namespace
