// Customize mode's drag and drop of controls, driven by mouse scripts posted to the bar that
// holds the capture: moving within a bar and onto another, copying with Ctrl, dragging off every
// bar, the cancels, and a drop on the control itself; the drop marker by place and by pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/drawing/resource_manager.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

namespace {

// A window whose messages in the application range run a callback: posted between the steps of
// a script, it looks at the drag while its loop runs.
class Probe {
 public:
  Probe() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKDragProbe";
      ::RegisterClassW(&wc);
      registered = true;
    }
    hwnd = ::CreateWindowExW(0, L"TKDragProbe", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), this);
  }
  ~Probe() { ::DestroyWindow(hwnd); }
  HWND hwnd;
  std::function<void()> look;

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_NCCREATE)
      ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    Probe* self = reinterpret_cast<Probe*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (m == WM_APP && self && self->look) {
      self->look();
      return 0;
    }
    return ::DefWindowProcW(h, m, w, l);
  }
};

// A bar on `site` (`made`, else a new TestBar) holding buttons captioned `captions`.
TestBar* MakeBar(CTKCommandBarManager& manager, HWND site, int first_id, const std::vector<std::wstring>& captions, int top,
                 int position = kTop, TestBar* made = nullptr) {
  TestBar* bar = made ? made : new TestBar;
  bar->SetPosition(position);
  bar->SetGripperVisible(false);
  bar->SetCommandBarManager(&manager);
  int id = first_id;
  for (const std::wstring& caption : captions) {
    CTKControl* c = bar->GetControls()->Add(kButton, id++);
    c->SetCaption(caption);
    c->SetStyle(3);
  }
  const bool vertical = position == kLeft || position == kRight;
  bar->Create(site, WS_CHILD | WS_VISIBLE, vertical ? RECT{0, top, 60, top + 200} : RECT{0, top, 600, top + 30});
  bar->CalcSize(vertical ? 200 : 600, vertical ? LM_VERTDOCK : 0);
  return bar;
}

// Two tool bars on a shown site, in customize mode: "Edit" (A B C D, ids 100..) over "View"
// (E F, ids 200..).
struct DragFixture {
  DragFixture() {
    manager.SetSite(site.hwnd);
    ::ShowWindow(site.hwnd, SW_SHOWNA);
    edit = MakeBar(manager, site.hwnd, 100, {L"A", L"B", L"C", L"D"}, 0);
    view = MakeBar(manager, site.hwnd, 200, {L"E", L"F"}, 40);
    manager.SetCustomizeMode(true);
    DrainMessages();
  }
  ~DragFixture() {
    manager.SetCustomizeMode(false);
    for (TestBar* bar : {edit, view}) {
      if (bar->GetSafeHwnd()) bar->DestroyWindow();
      bar->Release();
    }
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    DrainMessages();
  }
  // The captions of a bar's controls, a "|" before each that begins a group.
  static std::wstring Row(const CTKCommandBar* bar) {
    std::wstring row;
    for (int i = 0; i < bar->GetControlCount(); ++i) {
      if (bar->GetControl(i)->GetBeginGroup()) row += L"|";
      row += bar->GetControl(i)->GetCaption();
    }
    return row;
  }
  // A point of `bar` (its client coordinates) in the client coordinates of the edit bar, which
  // holds the capture while a drag runs.
  CPoint OnEdit(const CTKCommandBar* bar, CPoint pt) const {
    ::MapWindowPoints(bar->GetSafeHwnd(), edit->GetSafeHwnd(), &pt, 1);
    return pt;
  }
  CPoint Screen(const CTKCommandBar* bar, CPoint pt) const {
    ::ClientToScreen(bar->GetSafeHwnd(), &pt);
    return pt;
  }
  // Where the pointer is at a fraction of a control's width (0.5: its middle).
  static CPoint At(const CTKCommandBar* bar, int index, double fraction) {
    const CRect& rc = bar->GetControl(index)->GetRect();
    return CPoint(rc.left + static_cast<int>(rc.Width() * fraction), rc.CenterPoint().y);
  }
  void Post(UINT message, WPARAM wparam, CPoint edit_client) {
    ::PostMessageW(edit->GetSafeHwnd(), message, wparam, MAKELPARAM(edit_client.x, edit_client.y));
  }

  SiteWindow site;
  CTKCommandBarManager manager;
  TestBar* edit;
  TestBar* view;
};

// The drag of one control, by a script of posted messages, with what the bars hold afterwards.
TEST(CustomizeDrag, ScriptsMoveCopyRemoveOrLeaveTheControl) {
  struct Case {
    const char* name;
    int dragged;             // index on the edit bar
    const wchar_t* grouped;  // captions of the edit bar's controls that begin a group first
    // The script: posted to the edit bar, which holds the capture.
    std::function<void(DragFixture&)> script;
    int result;
    const wchar_t* edit_after;
    const wchar_t* view_after;
  } cases[] = {
      {"moved after C", 0, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, DragFixture::At(f.edit, 2, 0.8));
         f.Post(WM_LBUTTONUP, 0, DragFixture::At(f.edit, 2, 0.8));
       },
       CTKCommandBarManager::kDragMoved, L"BCAD", L"EF"},
      {"moved before A", 3, L"",
       [](DragFixture& f) { f.Post(WM_LBUTTONUP, 0, DragFixture::At(f.edit, 0, 0.2)); },
       CTKCommandBarManager::kDragMoved, L"DABC", L"EF"},
      {"copied after C, Ctrl in the mouse message", 0, L"",
       [](DragFixture& f) { f.Post(WM_LBUTTONUP, MK_CONTROL, DragFixture::At(f.edit, 2, 0.8)); },
       CTKCommandBarManager::kDragCopied, L"ABCAD", L"EF"},
      {"moved onto the other bar, before E", 1, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, f.OnEdit(f.view, DragFixture::At(f.view, 0, 0.3)));
         f.Post(WM_LBUTTONUP, 0, f.OnEdit(f.view, DragFixture::At(f.view, 0, 0.3)));
       },
       CTKCommandBarManager::kDragMoved, L"ACD", L"BEF"},
      {"copied onto the other bar after F, Ctrl pressed as a key", 1, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, f.OnEdit(f.view, DragFixture::At(f.view, 1, 0.9)));
         f.Post(WM_KEYDOWN, VK_CONTROL, CPoint());
         f.Post(WM_LBUTTONUP, MK_CONTROL, f.OnEdit(f.view, DragFixture::At(f.view, 1, 0.9)));
       },
       CTKCommandBarManager::kDragCopied, L"ABCD", L"EFB"},
      {"dragged off every bar: its group start goes to the next", 2, L"C",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, f.OnEdit(f.view, CPoint(10, 120)));
         f.Post(WM_LBUTTONUP, 0, f.OnEdit(f.view, CPoint(10, 120)));
       },
       CTKCommandBarManager::kDragRemoved, L"AB|D", L"EF"},
      {"the first dragged off: the new first begins no group", 0, L"B",
       [](DragFixture& f) { f.Post(WM_LBUTTONUP, 0, f.OnEdit(f.view, CPoint(10, 120))); },
       CTKCommandBarManager::kDragRemoved, L"BCD", L"EF"},
      {"released where it was pressed", 1, L"",
       [](DragFixture& f) { f.Post(WM_LBUTTONUP, 0, DragFixture::At(f.edit, 1, 0.5)); },
       CTKCommandBarManager::kDragNothing, L"ABCD", L"EF"},
      {"Escape over the other bar", 1, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, f.OnEdit(f.view, DragFixture::At(f.view, 0, 0.3)));
         f.Post(WM_KEYDOWN, VK_ESCAPE, CPoint());
         f.Post(WM_LBUTTONUP, 0, f.OnEdit(f.view, DragFixture::At(f.view, 0, 0.3)));
       },
       CTKCommandBarManager::kDragNothing, L"ABCD", L"EF"},
      {"a right-button press off every bar", 1, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(10, 150));
         f.Post(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, CPoint(10, 150));
         f.Post(WM_LBUTTONUP, 0, CPoint(10, 150));
       },
       CTKCommandBarManager::kDragNothing, L"ABCD", L"EF"},
      {"the system's cancel-mode message", 1, L"",
       [](DragFixture& f) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(10, 150));
         ::PostMessageW(f.edit->GetSafeHwnd(), WM_CANCELMODE, 0, 0);
       },
       CTKCommandBarManager::kDragNothing, L"ABCD", L"EF"},
      {"on itself, pulled on 6 pixels: it begins a group", 1, L"",
       [](DragFixture& f) {
         const CPoint pt = DragFixture::At(f.edit, 1, 0.5) + CPoint(6, 0);
         f.Post(WM_LBUTTONUP, 0, pt);
       },
       CTKCommandBarManager::kDragNothing, L"A|BCD", L"EF"},
      {"on itself, pulled back 6 pixels: it begins none", 2, L"C",
       [](DragFixture& f) {
         const CPoint pt = DragFixture::At(f.edit, 2, 0.5) - CPoint(6, 0);
         f.Post(WM_LBUTTONUP, 0, pt);
       },
       CTKCommandBarManager::kDragNothing, L"ABCD", L"EF"},
      {"on itself, 3 pixels: nothing changes", 2, L"C",
       [](DragFixture& f) {
         const CPoint pt = DragFixture::At(f.edit, 2, 0.5) - CPoint(3, 0);
         f.Post(WM_LBUTTONUP, 0, pt);
       },
       CTKCommandBarManager::kDragNothing, L"AB|CD", L"EF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragFixture f;
    for (int i = 0; i < f.edit->GetControlCount(); ++i) {
      CTKControl* control = f.edit->GetControl(i);
      control->SetBeginGroup(std::wstring(c.grouped).find(control->GetCaption()) != std::wstring::npos);
    }
    CTKControl* dragged = f.edit->GetControl(c.dragged);
    dragged->AddRef();
    const CPoint start = f.Screen(f.edit, DragFixture::At(f.edit, c.dragged, 0.5));
    ::SetCursorPos(start.x, start.y);
    DrainMessages();
    c.script(f);
    EXPECT_EQ(c.result, dragged->CustomizeStartDrag(start));
    EXPECT_EQ(c.edit_after, DragFixture::Row(f.edit));
    EXPECT_EQ(c.view_after, DragFixture::Row(f.view));
    // The capture is given back and no bar keeps a marker.
    EXPECT_NE(f.edit->GetSafeHwnd(), ::GetCapture());
    EXPECT_TRUE(f.edit->GetDropMarker().IsRectEmpty());
    EXPECT_TRUE(f.view->GetDropMarker().IsRectEmpty());
    dragged->Release();
  }
}

// A bar that counts the drag leaving it after its window went.
class LeaveCountingBar : public TestBar {
 public:
  void OnCustomizeDragLeave() override {
    if (!GetSafeHwnd()) ++leaves_without_window;
    TestBar::OnCustomizeDragLeave();
  }
  int leaves_without_window = 0;
};

// The bar under the pointer loses its window while the drag runs (a message the loop dispatched
// destroyed it): the drag goes on without it, and the bar hears nothing more of the drag.
TEST(CustomizeDrag, ABarWhoseWindowGoesMidDragIsLeftAlone) {
  struct Case {
    const char* name;
    // What follows the window's going: posted to the edit bar, which holds the capture.
    std::function<void(DragFixture&, const TestBar* gone)> then;
    int result;
    const wchar_t* edit_after;
  } cases[] = {
      {"then released off every bar",
       [](DragFixture& f, const TestBar*) {
         f.Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(10, 150));
         f.Post(WM_LBUTTONUP, 0, CPoint(10, 150));
       },
       CTKCommandBarManager::kDragRemoved, L"ACD"},
      {"then released where the bar was",
       [](DragFixture& f, const TestBar* gone) { f.Post(WM_LBUTTONUP, 0, f.OnEdit(gone, DragFixture::At(gone, 0, 0.3))); },
       CTKCommandBarManager::kDragRemoved, L"ACD"},
      {"then cancelled", [](DragFixture& f, const TestBar*) { f.Post(WM_KEYDOWN, VK_ESCAPE, CPoint()); },
       CTKCommandBarManager::kDragNothing, L"ABCD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragFixture f;
    LeaveCountingBar* gone = new LeaveCountingBar;
    MakeBar(f.manager, f.site.hwnd, 300, {L"G", L"H"}, 80, kTop, gone);
    Probe probe;
    bool marked = false;
    probe.look = [&] {
      marked = !gone->GetDropMarker().IsRectEmpty();
      gone->DestroyWindow();
    };
    CTKControl* dragged = f.edit->GetControl(1);
    dragged->AddRef();
    const CPoint start = f.Screen(f.edit, DragFixture::At(f.edit, 1, 0.5));
    ::SetCursorPos(start.x, start.y);
    DrainMessages();
    f.Post(WM_MOUSEMOVE, MK_LBUTTON, f.OnEdit(gone, DragFixture::At(gone, 0, 0.3)));
    ::PostMessageW(probe.hwnd, WM_APP, 0, 0);
    c.then(f, gone);
    EXPECT_EQ(c.result, dragged->CustomizeStartDrag(start));
    EXPECT_TRUE(marked);  // the bar was the drop target when its window went
    EXPECT_EQ(nullptr, gone->GetSafeHwnd());
    EXPECT_EQ(0, gone->leaves_without_window);
    EXPECT_EQ(c.edit_after, DragFixture::Row(f.edit));
    EXPECT_EQ(L"GH", DragFixture::Row(gone));
    EXPECT_NE(f.edit->GetSafeHwnd(), ::GetCapture());
    dragged->Release();
    gone->Release();
  }
}

// A press in customize mode selects the control and starts its drag; while it runs, the bar
// under the pointer shows its marker and the cursor tells what a drop would do. WM_QUIT ends
// the drag and stays for the thread's own loop.
TEST(CustomizeDrag, APressSelectsAndDragsWithTheMarkerAndCursorFollowingThePointer) {
  DragFixture f;
  Probe probe;
  struct Look {
    int cursor;
    bool edit_marker, view_marker;
    HCURSOR shown;
  };
  std::vector<Look> looks;
  probe.look = [&] {
    looks.push_back({f.manager.GetDragCursor(), !f.edit->GetDropMarker().IsRectEmpty(),
                     !f.view->GetDropMarker().IsRectEmpty(), ::GetCursor()});
  };
  // The toolkit's own move and copy cursors, and the system's no-drop cursor.
  const HCURSOR move = GetResourceManagerInstance()->ReadCursorResource(IDC_TK_DRAG_MOVE);
  const HCURSOR copy = GetResourceManagerInstance()->ReadCursorResource(IDC_TK_DRAG_COPY);
  const HCURSOR no_drop = ::LoadCursor(nullptr, IDC_NO);
  ASSERT_TRUE(move && copy && no_drop);
  ASSERT_NE(move, copy);
  const CPoint press = DragFixture::At(f.edit, 0, 0.5);
  const CPoint start = f.Screen(f.edit, press);
  ::SetCursorPos(start.x, start.y);
  DrainMessages();
  f.Post(WM_MOUSEMOVE, MK_LBUTTON, DragFixture::At(f.edit, 2, 0.8));
  ::PostMessageW(probe.hwnd, WM_APP, 0, 0);
  f.Post(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, f.OnEdit(f.view, DragFixture::At(f.view, 0, 0.5)));
  ::PostMessageW(probe.hwnd, WM_APP, 0, 0);
  f.Post(WM_MOUSEMOVE, MK_LBUTTON, CPoint(10, 150));
  ::PostMessageW(probe.hwnd, WM_APP, 0, 0);
  ::PostQuitMessage(4);
  ::SendMessageW(f.edit->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  const std::vector<Look> expected_looks = {
      {CTKCommandBarManager::kDragCursorMove, true, false, move},
      {CTKCommandBarManager::kDragCursorCopy, false, true, copy},
      {CTKCommandBarManager::kDragCursorNoDrop, false, false, no_drop},
  };
  ASSERT_EQ(expected_looks.size(), looks.size());
  for (size_t i = 0; i < looks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected_looks[i].cursor, looks[i].cursor);
    EXPECT_EQ(expected_looks[i].edit_marker, looks[i].edit_marker);
    EXPECT_EQ(expected_looks[i].view_marker, looks[i].view_marker);
    EXPECT_EQ(expected_looks[i].shown, looks[i].shown);
  }
  EXPECT_EQ(f.edit->GetControl(0), f.manager.GetCustomizeSelection());
  EXPECT_EQ(L"ABCD", DragFixture::Row(f.edit));  // the quit ended it: nothing moved
  EXPECT_TRUE(DrainMessages());
}

// Outside customize mode a tool bar's control pressed with Alt held is dragged at once when
// the manager allows quick customizing; customize mode ends with the drag. Otherwise the press
// is an ordinary click.
TEST(CustomizeDrag, AnAltPressDragsAtOnceWhereTheManagerAllowsIt) {
  struct Case {
    const char* name;
    bool option, alt;
    const wchar_t* row;
    size_t commands;
  } cases[] = {{"option on, Alt held", true, true, L"BCAD", 0},
               {"option off, Alt held", false, true, L"ABCD", 1},
               {"option on, no Alt", true, false, L"ABCD", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragFixture f;
    f.manager.SetCustomizeMode(false);
    f.manager.GetOptions().quick_customize = c.option;
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE held[256];
    std::copy(keys, keys + 256, held);
    held[VK_MENU] = c.alt ? 0x80 : 0;
    ::SetKeyboardState(held);
    const CPoint press = DragFixture::At(f.edit, 0, 0.5);
    const CPoint start = f.Screen(f.edit, press);
    ::SetCursorPos(start.x, start.y);
    DrainMessages();
    f.site.commands.clear();
    // Released after C: a drag puts A there; a click is released where it was pressed.
    const bool quick = c.alt && c.option;
    f.Post(WM_LBUTTONUP, 0, DragFixture::At(f.edit, quick ? 2 : 0, quick ? 0.8 : 0.5));
    ::SendMessageW(f.edit->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(c.row, DragFixture::Row(f.edit));
    EXPECT_FALSE(f.manager.IsCustomizeMode());
    EXPECT_EQ(c.commands, f.site.commands.size());
    DrainMessages();
  }
}

// A popup control under a dragged control opens its popup, so that the drop can go inside it;
// dragged over itself it stays shut, and an open one closes.
TEST(CustomizeDrag, APopupControlOpensForADropButNotForItself) {
  DragFixture f;
  CTKControlPopup* menu = static_cast<CTKControlPopup*>(f.edit->GetControls()->Add(kPopupControl, 150));
  menu->SetCaption(L"M");
  TestBar* popup = new TestBar;
  popup->SetCommandBarManager(&f.manager);
  popup->Create(f.site.hwnd, WS_POPUP, RECT{0, 100, 100, 200});
  popup->GetControls()->Add(kButton, 151)->SetCaption(L"Inside");
  menu->SetCommandBar(popup);
  f.edit->CalcSize(600, 0);
  const CPoint over_menu = menu->GetRect().CenterPoint();
  struct Case {
    const char* name;
    CTKControl* dragged;
    bool open_before;  // the popup open (and shown) when the drag passes over
    size_t shown;      // popups opened by the drag
    bool open_after;
  } cases[] = {
      {"another control over it", f.edit->GetControl(0), false, 1, true},
      {"itself, shut", menu, false, 0, false},
      {"itself, open", menu, true, 0, false},
      {"another control over it, open", f.edit->GetControl(0), true, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.open_before) {
      ASSERT_TRUE(f.edit->SetPopupOpen(menu->GetIndex(), false));
      ::ShowWindow(popup->GetSafeHwnd(), SW_SHOWNA);
    }
    popup->shown.clear();
    f.edit->OnCustomizeDragOver(c.dragged, over_menu, CTKCommandBarManager::kDragMoved);
    EXPECT_EQ(c.shown, popup->shown.size());
    EXPECT_EQ(c.open_after, menu->GetPopuped());
    EXPECT_EQ(c.open_after ? menu->GetIndex() : -1, f.edit->GetExpandedIndex());
    f.edit->SetPopupOpen(-1, false);
    f.edit->SetTrackingMode(0, false, false);
    ::ShowWindow(popup->GetSafeHwnd(), SW_HIDE);
    f.edit->OnCustomizeDragLeave();
  }
  menu->SetCommandBar(nullptr);
  popup->DestroyWindow();
  popup->Release();
}

// The marker lies before or after the control nearest to the point, across the bar or, on a
// vertical bar, along it; an empty bar shows it at its start. Drawn, it inverts the pixels of
// an I-beam inside its rectangle and none outside.
TEST(CustomizeDrag, TheDropMarkerByPlaceAndByPixels) {
  SiteWindow site;
  CTKCommandBarManager manager;
  manager.SetSite(site.hwnd);
  ::ShowWindow(site.hwnd, SW_SHOWNA);
  TestBar* across = MakeBar(manager, site.hwnd, 100, {L"A", L"B", L"C"}, 0);
  TestBar* down = MakeBar(manager, site.hwnd, 200, {L"D", L"E"}, 40, kLeft);
  TestBar* empty = MakeBar(manager, site.hwnd, 300, {}, 250);
  manager.SetCustomizeMode(true);
  CTKControl* dragged = across->GetControl(0);
  struct Case {
    const char* name;
    TestBar* bar;
    std::function<CPoint()> point;
    std::function<CRect()> marker;
    int index;
  } cases[] = {
      {"first half of B", across, [&] { return DragFixture::At(across, 1, 0.2); },
       [&] { const CRect& r = across->GetControl(1)->GetRect(); return CRect(r.left - 3, r.top, r.left + 3, r.bottom); }, 1},
      {"second half of B", across, [&] { return DragFixture::At(across, 1, 0.7); },
       [&] { const CRect& r = across->GetControl(1)->GetRect(); return CRect(r.right - 3, r.top, r.right + 3, r.bottom); }, 2},
      {"beyond the last", across, [&] { return CPoint(590, 10); },
       [&] { const CRect& r = across->GetControl(2)->GetRect(); return CRect(r.right - 3, r.top, r.right + 3, r.bottom); }, 3},
      {"lower half of D, down the bar", down,
       [&] { const CRect& r = down->GetControl(0)->GetRect(); return CPoint(r.CenterPoint().x, r.bottom - 2); },
       [&] { const CRect& r = down->GetControl(0)->GetRect(); return CRect(r.left, r.bottom - 3, r.right, r.bottom + 3); }, 1},
      {"an empty bar", empty, [&] { return CPoint(100, 10); }, [&] { return CRect(2, 2, 8, 28); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CTKCommandBarManager::kDragMoved, c.bar->OnCustomizeDragOver(dragged, c.point(), CTKCommandBarManager::kDragMoved));
    EXPECT_EQ(c.marker(), c.bar->GetDropMarker());
    EXPECT_EQ(c.index, c.bar->GetDropIndex());
    // By pixels: the bar drawn with and without its marker.
    CRect client;
    ::GetClientRect(c.bar->GetSafeHwnd(), &client);
    auto draw = [&] {
      std::vector<DWORD> pixels;
      KestrinWinNS::CScopedBitmap image = KestrinWinNS::CreateDib32(client.Width(), client.Height());
      {
        KestrinWinNS::CBitmapDC mem(nullptr, image.Get());
        CDC dc;
        dc.Attach(mem.Get());
        c.bar->DrawCommandBar(&dc, client);
        dc.Detach();
      }
      SIZE size{};
      KestrinWinNS::ReadPixels32(image.Get(), &pixels, &size);
      return pixels;
    };
    const std::vector<DWORD> with = draw();
    const CRect marker = c.bar->GetDropMarker();
    c.bar->OnCustomizeDragLeave();
    EXPECT_TRUE(c.bar->GetDropMarker().IsRectEmpty());
    const std::vector<DWORD> without = draw();
    ASSERT_EQ(with.size(), without.size());
    int outside = 0, edge = 0;
    for (int y = 0; y < client.Height(); ++y)
      for (int x = 0; x < client.Width(); ++x) {
        const size_t i = static_cast<size_t>(y) * client.Width() + x;
        const bool differs = (with[i] & 0xFFFFFF) != (without[i] & 0xFFFFFF);
        if (differs && !marker.PtInRect(CPoint(x, y))) ++outside;
        // The marker's outer lines run its whole length.
        const bool on_edge = c.bar == down ? (y == marker.top || y == marker.bottom - 1) : (x == marker.left || x == marker.right - 1);
        if (on_edge && marker.PtInRect(CPoint(x, y)) && client.PtInRect(CPoint(x, y)) && !differs) ++edge;
      }
    EXPECT_EQ(0, outside);
    EXPECT_EQ(0, edge);
  }
  // A bar that takes no customizing shows no marker and is no drop target.
  struct LockedBar : TestBar {
    bool IsCustomizable() const override { return false; }
  };
  LockedBar* locked = new LockedBar;
  locked->SetCommandBarManager(&manager);
  locked->Create(site.hwnd, WS_CHILD | WS_VISIBLE, RECT{0, 200, 600, 230});
  EXPECT_EQ(CTKCommandBarManager::kDragNothing,
            locked->OnCustomizeDragOver(dragged, CPoint(10, 10), CTKCommandBarManager::kDragMoved));
  EXPECT_TRUE(locked->GetDropMarker().IsRectEmpty());
  POINT inside{300, 210};
  ::ClientToScreen(site.hwnd, &inside);
  EXPECT_EQ(nullptr, manager.FindDropTarget(inside, dragged));
  locked->DestroyWindow();
  locked->Release();
  manager.SetCustomizeMode(false);
  for (TestBar* bar : {across, down, empty}) {
    bar->DestroyWindow();
    bar->Release();
  }
  DrainMessages();
}

}  // namespace
