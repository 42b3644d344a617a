// What the command bars show accessibility clients: one object for a bar, whose children are
// its controls, and one for each control. The objects hold the bar by its window and the
// control by a reference, so a client that keeps one after the bar is gone gets failures
// rather than a dangling bar.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "toolkit/drawing/system_helpers.h"

class CTKCommandBar;
class CTKControl;

// A control that shows accessibility clients children of its own (the tabs of a tab row),
// numbered from 1; child 0 is the control itself.
class CTKAccessibleControlChildren {
 public:
  virtual ~CTKAccessibleControlChildren() = default;
  virtual int AccessibleChildCount() const = 0;
  virtual long AccessibleRole(int child) const = 0;
  virtual DWORD AccessibleState(int child) const = 0;
  virtual std::wstring AccessibleName(int child) const = 0;
  virtual std::wstring AccessibleDefaultAction(int child) const = 0;
  virtual bool AccessibleDoDefaultAction(int child) = 0;
  // Takes the focus or the selection to the child; false when the control has no such notion.
  virtual bool AccessibleSelect(int) { return false; }
  // The child on screen; false for a bad child or a control outside a window.
  virtual bool AccessibleLocation(int child, RECT* screen) const = 0;
  // The child under a screen point: 1.. for a child, 0 for the control, -1 outside it.
  virtual int AccessibleHitTest(POINT screen) const = 0;
};

class CTKCommandBarAccessible : public CTKAccessibleOwner {
 public:
  // The object of a bar (control null) or of one of its controls; the reference count starts at 1.
  CTKCommandBarAccessible(HWND bar, CTKControl* control);
  CTKCommandBarAccessible(const CTKCommandBarAccessible&) = delete;
  CTKCommandBarAccessible& operator=(const CTKCommandBarAccessible&) = delete;

  IAccessible* Accessible() { return bridge_.Accessible(); }

  // The answer to WM_GETOBJECT for the client object; false for any other object id, which
  // the window leaves to the system.
  static bool AnswerGetObject(CTKCommandBar* bar, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // The role and state numbers of a control on its bar.
  static long ControlRole(const CTKControl* control);
  static long ControlState(const CTKControl* control);
  // The control's accessible name: caption without '&', then a tab and the shortcut text; the
  // tooltip when there is no caption.
  static std::wstring ControlName(const CTKControl* control);

  ULONG ExternalAddRef() override;
  ULONG ExternalRelease() override;
  HRESULT ExternalQueryInterface(REFIID iid, void** out) override;

  HRESULT AccGetParent(IDispatch** out) override;
  HRESULT AccGetChildCount(long* out) override;
  HRESULT AccGetChild(VARIANT child, IDispatch** out) override;
  HRESULT AccGetName(VARIANT child, BSTR* out) override;
  HRESULT AccGetRole(VARIANT child, VARIANT* out) override;
  HRESULT AccGetState(VARIANT child, VARIANT* out) override;
  HRESULT AccGetFocus(VARIANT* out) override;
  HRESULT AccGetDefaultAction(VARIANT child, BSTR* out) override;
  HRESULT AccSelect(long flags, VARIANT child) override;
  HRESULT AccLocation(long* x, long* y, long* cx, long* cy, VARIANT child) override;
  HRESULT AccNavigate(long dir, VARIANT start, VARIANT* out) override;
  HRESULT AccHitTest(long x, long y, VARIANT* out) override;
  HRESULT AccDoDefaultAction(VARIANT child) override;

 private:
  ~CTKCommandBarAccessible();
  CTKCommandBar* Bar() const;
  // The control a child id names: the object's own control for CHILDID_SELF on a control
  // object, a bar's control for ids 1..count; null for the bar itself. *bad on an invalid id.
  CTKControl* Resolve(const VARIANT& child, bool* bad) const;
  // The children of this object's control when it has its own, else null.
  CTKAccessibleControlChildren* ControlChildren() const;
  // Those children, with in *id the one `child` names (0 the control itself, -1 an id out of
  // range); null, with *id -1, when the control has none.
  CTKAccessibleControlChildren* ControlChild(const VARIANT& child, int* id) const;

  LONG refs_ = 1;
  HWND bar_;
  CTKControl* control_;
  CTKAccessible bridge_;
};
