// The skin objects of the standard and common controls that keep their own painting: the
// skin's border and scroll bars from the frame object, the scroll bars re-read after the
// messages that move them, and the skin's colours handed to the controls that take them.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

// Helpers shared by the control objects.
namespace SkinControl {

// The brush the parent gives the control for a control-colour message; the system-colour
// values 1 to 30 become the skin's brushes; none when the parent gives none.
HBRUSH ParentBrush(CTKSkinManager* manager, HWND hwnd, HDC dc, UINT message = WM_CTLCOLORSTATIC);
// The skin's colour of a system colour index, the system's when the skin has none.
COLORREF Color(CTKSkinManager* manager, int index);
// The UI state hides focus rectangles or mnemonic underlines.
bool HidesFocus(HWND hwnd);
bool HidesAccelerators(HWND hwnd);
// Asks for WM_MOUSELEAVE.
void TrackLeave(HWND hwnd);
POINT PointOf(LPARAM lParam);

}  // namespace SkinControl

// Controls of USER32: after the messages that scroll them, the window's scroll bars are read
// again and a changed one is redrawn.
class CTKSkinObjectUser32Control : public CTKSkinObjectFrame {
 public:
  explicit CTKSkinObjectUser32Control(const wchar_t* skinClassName) : CTKSkinObjectFrame(skinClassName) {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 protected:
  // Whether this control's scroll bars are read again (common controls before version 6).
  virtual bool RereadsScrollBars() const;
  void RereadScrollBars();

 private:
  SCROLLINFO seen_[2] = {{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0}, {sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0}};
};

// Common controls draw their own scroll bars except on the Windows 9x platform.
class CTKSkinObjectComCtl32Control : public CTKSkinObjectUser32Control {
 public:
  using CTKSkinObjectUser32Control::CTKSkinObjectUser32Control;

 protected:
  bool RereadsScrollBars() const override;
};

class CTKSkinObjectListBox : public CTKSkinObjectUser32Control {
 public:
  CTKSkinObjectListBox() : CTKSkinObjectUser32Control(L"LISTBOX") {}
};

class CTKSkinObjectEdit : public CTKSkinObjectUser32Control {
 public:
  CTKSkinObjectEdit() : CTKSkinObjectUser32Control(L"EDIT") {}
  // A disabled or read-only edit draws its client edge in the disabled colour.
  bool CountsAsDisabled() const override;
  // Leaves out the strip an attached up-down control lays over the edit's frame.
  void DrawFrame(HDC dc) override;
};

// Tree and list views take the skin's window colour as their background.
class CTKSkinObjectTreeView : public CTKSkinObjectComCtl32Control {
 public:
  CTKSkinObjectTreeView() : CTKSkinObjectComCtl32Control(L"TREEVIEW") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Refresh() override;
  void OnSkinStateChange(int oldLoaded, int newLoaded) override;

 private:
  bool created_ = false;
};

class CTKSkinObjectListView : public CTKSkinObjectComCtl32Control {
 public:
  CTKSkinObjectListView() : CTKSkinObjectComCtl32Control(L"LISTVIEW") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Refresh() override;
  void OnSkinStateChange(int oldLoaded, int newLoaded) override;

 private:
  bool created_ = false;
};

// The status bar lays itself out again for the skin's metrics.
class CTKSkinObjectStatusBar : public CTKSkinObjectFrame {
 public:
  CTKSkinObjectStatusBar() : CTKSkinObjectFrame(L"STATUSBAR") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnSkinStateChange(int oldLoaded, int newLoaded) override;
};
