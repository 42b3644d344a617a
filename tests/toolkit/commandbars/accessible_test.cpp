#include "toolkit/commandbars/accessible.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>

#include "platform/com/com_values.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/gallery.h"

using namespace TKCommandBars;

namespace {

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

// The bar's object as a client gets it: the window's answer to WM_GETOBJECT, unpacked by
// oleacc (looked up at run time, as the bars do).
IAccessible* ClientObject(HWND bar, LONG objectId = OBJID_CLIENT) {
  static HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
  if (!oleacc) return nullptr;
  auto unpack = reinterpret_cast<ObjectFromLresultFn>(::GetProcAddress(oleacc, "ObjectFromLresult"));
  if (!unpack) return nullptr;
  LRESULT answer = ::SendMessageW(bar, WM_GETOBJECT, 0, static_cast<LPARAM>(objectId));
  if (answer <= 0) return nullptr;
  IAccessible* acc = nullptr;
  if (FAILED(unpack(answer, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&acc)))) return nullptr;
  return acc;
}

VARIANT Child(long id) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring NameOf(IAccessible* acc, long id) {
  KestrinComNS::CBstr name;
  if (acc->get_accName(Child(id), name.Receive()) != S_OK) return L"<failed>";
  return std::wstring(name.Get() ? name.Get() : L"");
}

long LongOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* acc, long id) {
  VARIANT out;
  ::VariantInit(&out);
  if ((acc->*get)(Child(id), &out) != S_OK || out.vt != VT_I4) return -1;
  return out.lVal;
}

struct ComScope {
  ComScope() { ::CoInitialize(nullptr); }
  ~ComScope() { ::CoUninitialize(); }
};

// A tool bar: an open button with a shortcut, a button menu, a disabled checked button, a
// hidden button and a tooltip-only button.
struct AccessibleBar {
  AccessibleBar() : fx(0) {
    CTKControls* controls = fx.bar->GetControls();
    CTKControl* open = controls->Add(kButton, 200);
    open->SetCaption(L"&Open");
    open->SetShortcutText(L"Ctrl+O");
    controls->Add(kButtonPopup, 201)->SetCaption(L"Fi&le");
    CTKControl* bold = controls->Add(kButton, 202);
    bold->SetCaption(L"Bold");
    bold->SetEnabled(false);
    bold->SetChecked(1);
    CTKControl* hidden = controls->Add(kButton, 203);
    hidden->SetCaption(L"Hidden");
    hidden->SetHideFlag(kHideShow, true);
    CTKControl* icon = controls->Add(kButton, 204);
    icon->SetTooltip(L"Print page");
    for (int i = 0; i < fx.bar->GetControlCount(); ++i) fx.bar->GetControl(i)->SetStyle(3);
    fx.bar->SetTitle(L"Standard");
    fx.bar->CalcSize(600, 0);
    ::ShowWindow(fx.site.hwnd, SW_SHOWNA);
  }
  ComScope com;
  BarFixture fx;
};

TEST(CommandBarAccessible, TheBarsObjectDescribesTheBarAndItsControls) {
  AccessibleBar b;
  IAccessible* acc = ClientObject(b.fx.bar->GetSafeHwnd());
  ASSERT_NE(nullptr, acc);
  ASSERT_TRUE(b.fx.bar->SetHotControl(0, CTKCommandBar::kHotProgram));

  long count = 0;
  ASSERT_EQ(S_OK, acc->get_accChildCount(&count));
  EXPECT_EQ(5, count);

  const long kBase = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  struct Case {
    long child;
    const wchar_t* name;
    long role;
    long state;
  } cases[] = {
      {CHILDID_SELF, L"Standard", ROLE_SYSTEM_TOOLBAR, 0},
      {1, L"Open\tCtrl+O", ROLE_SYSTEM_PUSHBUTTON,
       kBase | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED},
      {2, L"File", ROLE_SYSTEM_BUTTONMENU, kBase | STATE_SYSTEM_HASPOPUP},
      {3, L"Bold", ROLE_SYSTEM_PUSHBUTTON, kBase | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_CHECKED},
      {4, L"Hidden", ROLE_SYSTEM_PUSHBUTTON, kBase | STATE_SYSTEM_INVISIBLE},
      {5, L"Print page", ROLE_SYSTEM_PUSHBUTTON, kBase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.child);
    EXPECT_EQ(c.name, NameOf(acc, c.child));
    EXPECT_EQ(c.role, LongOf(&IAccessible::get_accRole, acc, c.child));
    EXPECT_EQ(c.state, LongOf(&IAccessible::get_accState, acc, c.child));
  }

  // Locations are screen rectangles: the window for the bar, the control's rectangle otherwise.
  HWND hwnd = b.fx.bar->GetSafeHwnd();
  RECT window;
  ::GetWindowRect(hwnd, &window);
  long x, y, cx, cy;
  ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &cx, &cy, Child(CHILDID_SELF)));
  EXPECT_EQ(CRect(x, y, x + cx, y + cy), CRect(window)) << x << "," << y << " " << cx << "x" << cy;
  for (long child : {1L, 2L, 5L}) {
    CRect rc = b.fx.bar->GetControl(child - 1)->GetRect();
    ASSERT_FALSE(rc.IsRectEmpty());
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &cx, &cy, Child(child)));
    EXPECT_EQ(CRect(x, y, x + cx, y + cy), rc) << child;
    // Hit testing the middle of the rectangle finds the same child.
    VARIANT hit;
    ASSERT_EQ(S_OK, acc->accHitTest(x + cx / 2, y + cy / 2, &hit));
    EXPECT_EQ(VT_I4, hit.vt);
    EXPECT_EQ(child, hit.lVal);
  }
  VARIANT outside;
  EXPECT_EQ(S_FALSE, acc->accHitTest(window.right + 5, window.bottom + 5, &outside));
  EXPECT_EQ(VT_EMPTY, outside.vt);

  // Ids past the controls are refused, never read past the collection.
  BSTR name = nullptr;
  EXPECT_EQ(E_INVALIDARG, acc->get_accName(Child(6), &name));
  EXPECT_EQ(E_INVALIDARG, acc->get_accName(Child(-3), &name));

  // A hidden bar says so.
  b.fx.bar->ShowWindow(SW_HIDE);
  EXPECT_EQ(STATE_SYSTEM_INVISIBLE, LongOf(&IAccessible::get_accState, acc, CHILDID_SELF));
  EXPECT_NE(0, LongOf(&IAccessible::get_accState, acc, 5) & STATE_SYSTEM_INVISIBLE);
  acc->Release();
}

TEST(CommandBarAccessible, RolesFollowTheBarType) {
  struct Case {
    int type;
    long bar, button, popup;
  } cases[] = {
      {kMenuBar, ROLE_SYSTEM_MENUBAR, ROLE_SYSTEM_MENUITEM, ROLE_SYSTEM_MENUITEM},
      {kToolBar, ROLE_SYSTEM_TOOLBAR, ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_BUTTONMENU},
      {kPopupBar, ROLE_SYSTEM_MENUPOPUP, ROLE_SYSTEM_MENUITEM, ROLE_SYSTEM_MENUITEM},
      {kRibbonBar, ROLE_SYSTEM_TOOLBAR, ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_BUTTONMENU},
  };
  AccessibleBar b;
  IAccessible* acc = ClientObject(b.fx.bar->GetSafeHwnd());
  ASSERT_NE(nullptr, acc);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    b.fx.bar->SetType(c.type);
    EXPECT_EQ(c.bar, LongOf(&IAccessible::get_accRole, acc, CHILDID_SELF));
    EXPECT_EQ(c.button, LongOf(&IAccessible::get_accRole, acc, 1));
    EXPECT_EQ(c.popup, LongOf(&IAccessible::get_accRole, acc, 2));
  }
  acc->Release();
}

TEST(CommandBarAccessible, ControlObjectsNavigateSelectAndExecute) {
  AccessibleBar b;
  IAccessible* acc = ClientObject(b.fx.bar->GetSafeHwnd());
  ASSERT_NE(nullptr, acc);

  // Navigation among the children skips the hidden one.
  VARIANT next;
  ASSERT_EQ(S_OK, acc->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &next));
  EXPECT_EQ(1, next.lVal);
  ASSERT_EQ(S_OK, acc->accNavigate(NAVDIR_NEXT, Child(3), &next));
  EXPECT_EQ(5, next.lVal);
  ASSERT_EQ(S_OK, acc->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &next));
  EXPECT_EQ(5, next.lVal);
  EXPECT_EQ(S_FALSE, acc->accNavigate(NAVDIR_NEXT, Child(5), &next));

  // A child's own object: its name, parent and default action.
  IDispatch* disp = nullptr;
  ASSERT_EQ(S_OK, acc->get_accChild(Child(1), &disp));
  IAccessible* open = nullptr;
  ASSERT_EQ(S_OK, disp->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&open)));
  disp->Release();
  EXPECT_EQ(L"Open\tCtrl+O", NameOf(open, CHILDID_SELF));
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, LongOf(&IAccessible::get_accRole, open, CHILDID_SELF));
  KestrinComNS::CBstr action;
  ASSERT_EQ(S_OK, open->get_accDefaultAction(Child(CHILDID_SELF), action.Receive()));
  EXPECT_STREQ(L"Click", action.Get());
  IDispatch* parent = nullptr;
  ASSERT_EQ(S_OK, open->get_accParent(&parent));
  IAccessible* bar = nullptr;
  ASSERT_EQ(S_OK, parent->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&bar)));
  parent->Release();
  EXPECT_EQ(L"Standard", NameOf(bar, CHILDID_SELF));
  bar->Release();
  VARIANT sibling;
  ASSERT_EQ(S_OK, open->accNavigate(NAVDIR_NEXT, Child(CHILDID_SELF), &sibling));
  ASSERT_EQ(VT_DISPATCH, sibling.vt);
  IAccessible* file = nullptr;
  ASSERT_EQ(S_OK, sibling.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&file)));
  ::VariantClear(&sibling);
  EXPECT_EQ(L"File", NameOf(file, CHILDID_SELF));
  file->Release();

  // Selecting puts the bar into keyboard tracking with the control hot.
  ASSERT_EQ(S_OK, acc->accSelect(SELFLAG_TAKEFOCUS, Child(5)));
  EXPECT_TRUE(b.fx.bar->IsTrackingMode());
  EXPECT_EQ(4, b.fx.bar->GetHotIndex());
  VARIANT focus;
  ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
  EXPECT_EQ(5, focus.lVal);
  b.fx.bar->SetTrackingMode(0);

  // The default action runs the command; a disabled control's is refused.
  ASSERT_EQ(S_OK, open->accDoDefaultAction(Child(CHILDID_SELF)));
  DrainMessages();
  EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(Child(3)));
  DrainMessages();
  ASSERT_EQ(1u, b.fx.site.commands.size());
  EXPECT_EQ(200, b.fx.site.commands[0]);

  // An object kept after its bar is gone fails instead of touching it.
  b.fx.bar->DestroyWindow();
  long count = 0;
  EXPECT_EQ(E_FAIL, acc->get_accChildCount(&count));
  EXPECT_EQ(L"<failed>", NameOf(open, CHILDID_SELF));
  open->Release();
  acc->Release();
}

TEST(CommandBarAccessible, OnlyTheClientAndMenuObjectsAreAnswered) {
  AccessibleBar b;
  IAccessible* menu = ClientObject(b.fx.bar->GetSafeHwnd(), OBJID_MENU);
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(L"Standard", NameOf(menu, CHILDID_SELF));
  menu->Release();
  LRESULT answer = 0;
  EXPECT_FALSE(CTKCommandBarAccessible::AnswerGetObject(b.fx.bar, 0, static_cast<LPARAM>(OBJID_VSCROLL), &answer));
  EXPECT_FALSE(CTKCommandBarAccessible::AnswerGetObject(b.fx.bar, 0, static_cast<LPARAM>(OBJID_WINDOW), &answer));
}

// A gallery of four 40 x 20 items, two to a row, on a shown bar; the fourth has no caption.
struct AccessibleGallery {
  AccessibleGallery() : fx(0) {
    gallery = static_cast<CTKControlGallery*>(fx.bar->GetControls()->Add(kGallery, 300));
    items = new CTKControlGalleryItems;
    items->SetItemSize(CSize(40, 20));
    for (const wchar_t* caption : {L"Red", L"Green", L"Blue", L""}) items->AddItem(items->GetCount() + 11, caption);
    items->GetAt(3)->SetToolTip(L"No colour");
    gallery->SetItems(items);
    gallery->SetShowScrollBar(false);
    gallery->SetWidth(80);
    gallery->SetHeight(40);
    ::MoveWindow(fx.bar->GetSafeHwnd(), 0, 0, 600, 60, FALSE);
    fx.bar->CalcSize(600, 0);
    ::ShowWindow(fx.site.hwnd, SW_SHOWNA);
    object = new CTKCommandBarAccessible(fx.bar->GetSafeHwnd(), gallery);
    acc = object->Accessible();
  }
  ~AccessibleGallery() {
    acc->Release();
    items->Release();
  }
  // An item's rectangle on the screen.
  CRect ScreenRect(int index) const {
    CRect rc = gallery->GetItemDrawRect(index);
    ::MapWindowPoints(fx.bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  ComScope com;
  BarFixture fx;
  CTKControlGallery* gallery;
  CTKControlGalleryItems* items;
  CTKCommandBarAccessible* object;
  IAccessible* acc;
};

TEST(CommandBarAccessible, AGalleryShowsItsItemsAsChildren) {
  AccessibleGallery g;
  long count = 0;
  ASSERT_EQ(S_OK, g.acc->get_accChildCount(&count));
  EXPECT_EQ(4, count);
  EXPECT_EQ(L"Green", NameOf(g.acc, 2));
  EXPECT_EQ(L"No colour", NameOf(g.acc, 4));  // no caption: the tip
  EXPECT_EQ(34, LongOf(&IAccessible::get_accRole, g.acc, 1));
  BSTR name = nullptr;
  EXPECT_EQ(E_INVALIDARG, g.acc->get_accName(Child(5), &name));

  // Focused: the hot item; selected: the checked one.
  g.gallery->SelectItem(1);
  g.gallery->SetCheckedItem(13);
  const long plain = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  EXPECT_EQ(plain, LongOf(&IAccessible::get_accState, g.acc, 1));
  EXPECT_EQ(plain | STATE_SYSTEM_FOCUSED, LongOf(&IAccessible::get_accState, g.acc, 2));
  EXPECT_EQ(plain | STATE_SYSTEM_SELECTED, LongOf(&IAccessible::get_accState, g.acc, 3));

  // Where an item is, and which item lies under a point.
  long x = 0, y = 0, cx = 0, cy = 0;
  ASSERT_EQ(S_OK, g.acc->accLocation(&x, &y, &cx, &cy, Child(3)));
  const CRect third = g.ScreenRect(2);
  EXPECT_EQ(third, CRect(x, y, x + cx, y + cy));
  EXPECT_EQ(CSize(40, 20), third.Size());
  VARIANT hit;
  ::VariantInit(&hit);
  ASSERT_EQ(S_OK, g.acc->accHitTest(third.CenterPoint().x, third.CenterPoint().y, &hit));
  EXPECT_EQ(VT_I4, hit.vt);
  EXPECT_EQ(3, hit.lVal);

  // The default action and a selection select the item.
  KestrinComNS::CBstr action;
  ASSERT_EQ(S_OK, g.acc->get_accDefaultAction(Child(4), action.Receive()));
  EXPECT_STREQ(L"Click", action.Get());
  EXPECT_EQ(S_OK, g.acc->accDoDefaultAction(Child(4)));
  EXPECT_EQ(3, g.gallery->GetSelectedItem());
  EXPECT_EQ(S_OK, g.acc->accSelect(SELFLAG_TAKEFOCUS, Child(1)));
  EXPECT_EQ(0, g.gallery->GetSelectedItem());
}

}  // namespace
