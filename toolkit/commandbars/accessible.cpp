#include "toolkit/commandbars/accessible.h"

#include <utility>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/commandbars/controls.h"

using namespace TKCommandBars;

namespace {

const long kRoleMenuBar = 2, kRoleMenuPopup = 11, kRoleMenuItem = 12, kRoleToolBar = 22, kRolePushButton = 43,
           kRoleButtonMenu = 57;

BSTR MakeBstr(const std::wstring& text) { return ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size())); }

void SetI4(VARIANT* out, long value) {
  ::VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

bool HasPopup(const CTKControl* control) {
  int type = control->GetType();
  return type == kPopupControl || type == kButtonPopup || type == kSplitButtonPopup;
}

bool BarHidden(const CTKCommandBar* bar) { return !bar->GetSafeHwnd() || !::IsWindowVisible(bar->GetSafeHwnd()); }

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

// The system's own object of a window, which stands as a bar's parent.
HRESULT StandardWindowObject(HWND hwnd, IDispatch** out) {
  static CTKModuleHandle oleacc(L"oleacc.dll");
  static CreateStdAccessibleObjectFn create =
      oleacc.Handle()
          ? reinterpret_cast<CreateStdAccessibleObjectFn>(::GetProcAddress(oleacc.Handle(), "CreateStdAccessibleObject"))
          : nullptr;
  if (!create) return E_FAIL;
  return create(hwnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
}

}  // namespace

CTKCommandBarAccessible::CTKCommandBarAccessible(HWND bar, CTKControl* control)
    : bar_(bar), control_(control), bridge_(this) {
  if (control_) control_->AddRef();
}

CTKCommandBarAccessible::~CTKCommandBarAccessible() {
  if (control_) control_->Release();
}

ULONG CTKCommandBarAccessible::ExternalAddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

ULONG CTKCommandBarAccessible::ExternalRelease() {
  LONG left = ::InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CTKCommandBarAccessible::ExternalQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
    *out = Accessible();
    ExternalAddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

bool CTKCommandBarAccessible::AnswerGetObject(CTKCommandBar* bar, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LONG object = static_cast<LONG>(static_cast<DWORD>(lParam));
  // Tracking events name the menu object, so a client following one asks for it.
  if (object != OBJID_CLIENT && object != OBJID_MENU) return false;
  if (!bar || !bar->GetSafeHwnd()) return false;
  CTKCommandBarAccessible* acc = new CTKCommandBarAccessible(bar->GetSafeHwnd(), nullptr);
  LRESULT answer = acc->bridge_.CallLresultFromObject(__uuidof(IAccessible), wParam, acc->Accessible());
  acc->ExternalRelease();
  if (answer < 0) return false;  // no oleacc, or it refused: the system answers
  *result = answer;
  return true;
}

long CTKCommandBarAccessible::ControlRole(const CTKControl* control) {
  if (auto* children = dynamic_cast<const CTKAccessibleControlChildren*>(control)) return children->AccessibleRole(0);
  CTKCommandBar* bar = control->GetParent();
  int type = bar ? bar->GetType() : kToolBar;
  if (type == kToolBar || type == kRibbonBar) return HasPopup(control) ? kRoleButtonMenu : kRolePushButton;
  return kRoleMenuItem;
}

long CTKCommandBarAccessible::ControlState(const CTKControl* control) {
  if (auto* children = dynamic_cast<const CTKAccessibleControlChildren*>(control))
    return static_cast<long>(children->AccessibleState(0));
  long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  if (control->GetSelected()) state |= STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
  CTKCommandBar* bar = control->GetParent();
  if (!bar || BarHidden(bar) || !control->IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
  if (!control->GetEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
  if (control->GetChecked()) state |= STATE_SYSTEM_CHECKED;
  if (control->GetPressed()) state |= STATE_SYSTEM_PRESSED;
  if (HasPopup(control)) state |= STATE_SYSTEM_HASPOPUP;
  return state;
}

std::wstring CTKCommandBarAccessible::ControlName(const CTKControl* control) {
  std::wstring name;
  for (wchar_t ch : control->GetCaption())
    if (ch != L'&') name += ch;
  if (name.empty()) return control->GetTooltip();
  std::wstring shortcut = control->GetShortcutText();
  if (!shortcut.empty()) name += L'\t' + shortcut;
  return name;
}

CTKCommandBar* CTKCommandBarAccessible::Bar() const {
  if (!::IsWindow(bar_)) return nullptr;
  CTKCommandBar* bar = dynamic_cast<CTKCommandBar*>(CWnd::FromHandlePermanent(bar_));
  if (bar && control_ && control_->GetParent() != bar) return nullptr;  // the control left the bar
  return bar;
}

CTKControl* CTKCommandBarAccessible::Resolve(const VARIANT& child, bool* bad) const {
  long id = CTKAccessible::GetChildIdFromVariant(child);
  *bad = false;
  if (control_) {
    *bad = id != CHILDID_SELF;
    return *bad ? nullptr : control_;
  }
  if (id == CHILDID_SELF) return nullptr;
  CTKCommandBar* bar = Bar();
  if (!bar || id < 1 || id > bar->GetControlCount()) {
    *bad = true;
    return nullptr;
  }
  return bar->GetControl(id - 1);
}

CTKAccessibleControlChildren* CTKCommandBarAccessible::ControlChildren() const {
  return control_ && Bar() ? dynamic_cast<CTKAccessibleControlChildren*>(control_) : nullptr;
}

CTKAccessibleControlChildren* CTKCommandBarAccessible::ControlChild(const VARIANT& child, int* id) const {
  CTKAccessibleControlChildren* children = ControlChildren();
  const long named = CTKAccessible::GetChildIdFromVariant(child);
  *id = -1;
  if (!children) return nullptr;
  if (named == CHILDID_SELF)
    *id = 0;
  else if (named >= 1 && named <= children->AccessibleChildCount())
    *id = static_cast<int>(named);
  return children;
}

HRESULT CTKCommandBarAccessible::AccGetParent(IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!Bar()) return E_FAIL;
  if (!control_) return StandardWindowObject(bar_, out);
  CTKCommandBarAccessible* parent = new CTKCommandBarAccessible(bar_, nullptr);
  *out = parent->Accessible();
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetChildCount(long* out) {
  if (!out) return E_POINTER;
  CTKCommandBar* bar = Bar();
  if (!bar) return E_FAIL;
  CTKAccessibleControlChildren* children = ControlChildren();
  *out = control_ ? (children ? children->AccessibleChildCount() : 0) : bar->GetControlCount();
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // A control's own children are simple elements without objects of their own.
  int id = -1;
  if (ControlChild(child, &id) && id > 0) return S_FALSE;
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  if (bad || !control || control == control_) return E_INVALIDARG;
  CTKCommandBarAccessible* acc = new CTKCommandBarAccessible(bar_, control);
  *out = acc->Accessible();
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetName(VARIANT child, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    *out = MakeBstr(children->AccessibleName(id));
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  *out = MakeBstr(control ? ControlName(control) : bar->GetTitle());
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CTKCommandBarAccessible::AccGetRole(VARIANT child, VARIANT* out) {
  if (!out) return E_POINTER;
  ::VariantInit(out);
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    SetI4(out, children->AccessibleRole(id));
    return S_OK;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  if (control) {
    SetI4(out, ControlRole(control));
  } else {
    int type = bar->GetType();
    SetI4(out, type == kMenuBar ? kRoleMenuBar : type == kPopupBar ? kRoleMenuPopup : kRoleToolBar);
  }
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetState(VARIANT child, VARIANT* out) {
  if (!out) return E_POINTER;
  ::VariantInit(out);
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    SetI4(out, static_cast<long>(children->AccessibleState(id)));
    return S_OK;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  SetI4(out, control ? ControlState(control) : (BarHidden(bar) ? STATE_SYSTEM_INVISIBLE : 0));
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetFocus(VARIANT* out) {
  if (!out) return E_POINTER;
  ::VariantInit(out);
  CTKCommandBar* bar = Bar();
  if (!bar) return E_FAIL;
  if (control_) {
    if (!control_->GetSelected()) return S_FALSE;
    SetI4(out, CHILDID_SELF);
    return S_OK;
  }
  int hot = bar->GetHotIndex();
  if (hot < 0 || hot >= bar->GetControlCount()) return S_FALSE;
  SetI4(out, hot + 1);
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccGetDefaultAction(VARIANT child, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    const std::wstring action = children->AccessibleDefaultAction(id);
    if (action.empty()) return S_FALSE;
    *out = MakeBstr(action);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  if (bad) return E_INVALIDARG;
  if (!Bar()) return E_FAIL;
  if (!control) return S_FALSE;  // the bar itself has no action
  *out = ::SysAllocString(L"Click");
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CTKCommandBarAccessible::AccSelect(long flags, VARIANT child) {
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    if (id > 0) {
      if (!(flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION))) return S_FALSE;
      return children->AccessibleSelect(id) ? S_OK : S_FALSE;
    }
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad || !control) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  if (!(flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION))) return S_FALSE;
  if (!control->IsVisible()) return S_FALSE;
  if (!bar->IsTrackingMode()) bar->SetTrackingMode(1, false, true);
  bar->SetHotControl(control->GetIndex(), CTKCommandBar::kHotProgram);
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccLocation(long* x, long* y, long* cx, long* cy, VARIANT child) {
  if (!x || !y || !cx || !cy) return E_POINTER;
  *x = *y = *cx = *cy = 0;
  int id = -1;
  CTKAccessibleControlChildren* children = ControlChild(child, &id);
  if (children && id > 0) {
    RECT rc{};
    if (!children->AccessibleLocation(id, &rc)) return E_FAIL;
    *x = rc.left;
    *y = rc.top;
    *cx = rc.right - rc.left;
    *cy = rc.bottom - rc.top;
    return S_OK;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  RECT rc;
  if (control) {
    rc = control->GetRect();
    ::MapWindowPoints(bar_, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    if (rc.left > rc.right) std::swap(rc.left, rc.right);  // mirrored windows
  } else {
    ::GetWindowRect(bar_, &rc);
  }
  *x = rc.left;
  *y = rc.top;
  *cx = rc.right - rc.left;
  *cy = rc.bottom - rc.top;
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccNavigate(long dir, VARIANT start, VARIANT* out) {
  if (!out) return E_POINTER;
  ::VariantInit(out);
  bool bad = false;
  CTKControl* from = Resolve(start, &bad);
  CTKCommandBar* bar = Bar();
  if (bad) return E_INVALIDARG;
  if (!bar) return E_FAIL;
  int count = bar->GetControlCount();
  int index = -1, step = 0;
  switch (dir) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD:
      if (from) return S_FALSE;  // controls have no children
      index = dir == NAVDIR_FIRSTCHILD ? -1 : count;
      step = dir == NAVDIR_FIRSTCHILD ? 1 : -1;
      break;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
    case NAVDIR_RIGHT:
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
    case NAVDIR_LEFT:
      if (!from) return S_FALSE;  // the bar's siblings are the system's business
      index = from->GetIndex();
      step = (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT) ? 1 : -1;
      break;
    default:
      return E_INVALIDARG;
  }
  for (index += step; index >= 0 && index < count; index += step) {
    CTKControl* next = bar->GetControl(index);
    if (!next->IsVisible()) continue;
    if (control_) {
      // A control's object answers with the sibling's own object.
      CTKCommandBarAccessible* acc = new CTKCommandBarAccessible(bar_, next);
      out->vt = VT_DISPATCH;
      out->pdispVal = acc->Accessible();
    } else {
      SetI4(out, index + 1);
    }
    return S_OK;
  }
  return S_FALSE;
}

HRESULT CTKCommandBarAccessible::AccHitTest(long x, long y, VARIANT* out) {
  if (!out) return E_POINTER;
  ::VariantInit(out);
  CTKCommandBar* bar = Bar();
  if (!bar) return E_FAIL;
  RECT window;
  ::GetWindowRect(bar_, &window);
  POINT pt{x, y};
  if (!::PtInRect(&window, pt)) return S_FALSE;
  if (CTKAccessibleControlChildren* children = ControlChildren()) {
    const int id = children->AccessibleHitTest(POINT{x, y});
    if (id < 0) return S_FALSE;
    SetI4(out, id == 0 ? CHILDID_SELF : id);
    return S_OK;
  }
  ::ScreenToClient(bar_, &pt);
  if (control_) {
    if (!control_->IsVisible() || !control_->GetRect().PtInRect(pt)) return S_FALSE;
    SetI4(out, CHILDID_SELF);
    return S_OK;
  }
  CTKControl* hit = bar->GetControls()->HitTest(pt);
  SetI4(out, hit ? hit->GetIndex() + 1 : CHILDID_SELF);
  return S_OK;
}

HRESULT CTKCommandBarAccessible::AccDoDefaultAction(VARIANT child) {
  int id = -1;
  if (CTKAccessibleControlChildren* children = ControlChild(child, &id)) {
    if (id < 0) return E_INVALIDARG;
    if (id == 0) return DISP_E_MEMBERNOTFOUND;
    return children->AccessibleDoDefaultAction(id) ? S_OK : E_FAIL;
  }
  bool bad = false;
  CTKControl* control = Resolve(child, &bad);
  CTKCommandBar* bar = Bar();
  if (bad || !control) return bad ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
  if (!bar) return E_FAIL;
  // A client cannot run what the user could not click.
  if (!control->GetEnabled() || !control->IsVisible() || BarHidden(bar)) return E_FAIL;
  control->OnExecute();
  return S_OK;
}
