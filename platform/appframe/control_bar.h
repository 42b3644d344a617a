// Control bars: the children of a frame that take a strip of its client area (tool bars, the
// status bar, dock bars). A bar keeps its bar style (alignment, borders, floating, gripper),
// answers the frame's layout pass (WM_SIZEPARENT) with the strip it takes, shows and hides
// itself at the next idle when asked to (DelayShow), and at each idle update asks its frame's
// command route for the state of its commands.
#pragma once

#include <windows.h>

#include "platform/appframe/frame_messages.h"
#include "platform/appframe/types.h"
#include "platform/appframe/wnd.h"

class CFrameWnd;

// Bits of a bar's dynamic size calculation (CalcDynamicLayout's mode).
constexpr DWORD LM_STRETCH = 0x01;    // stretch to the whole length
constexpr DWORD LM_HORZ = 0x02;       // horizontal, else vertical
constexpr DWORD LM_MRUWIDTH = 0x04;   // the most recently used width
constexpr DWORD LM_HORZDOCK = 0x08;   // docked on a horizontal side
constexpr DWORD LM_VERTDOCK = 0x10;   // docked on a vertical side
constexpr DWORD LM_LENGTHY = 0x20;    // the length given is a height, else a width
constexpr DWORD LM_COMMIT = 0x40;     // remember the size (else only measure)

// Bar style bits (CControlBar::m_dwStyle).
constexpr DWORD CBRS_FLOATING = 0x0001;
constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_HIDE_INPLACE = 0x0008;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_FLOAT_MULTI = 0x0040;
constexpr DWORD CBRS_BORDER_3D = 0x0080;
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_ORIENT_HORZ = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM;
constexpr DWORD CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT;
constexpr DWORD CBRS_ORIENT_ANY = CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT;
constexpr DWORD CBRS_ALL = 0x0040FFFF;
constexpr DWORD CBRS_NOALIGN = 0x00000000;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;      // 0x1400
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;       // 0x2800
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;     // 0x4100
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;    // 0x8200

// The window class of bars made by CControlBar::Create with no class of their own.
extern const wchar_t kControlBarClass[];

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
 public:
  CControlBar();
  ~CControlBar() override;

  // Creates the bar as a child of `parent` (window style `style`, bar style `bar_style`); a
  // null class takes kControlBarClass, registered in the module that holds this code.
  bool Create(const wchar_t* class_name, DWORD style, CWnd* parent, UINT id, DWORD bar_style = CBRS_TOP);

  DWORD GetBarStyle() const { return m_dwStyle; }
  virtual void SetBarStyle(DWORD style) { m_dwStyle = style; }
  // The sides (CBRS_ALIGN_ bits) on which the bar may dock; CBRS_FLOATING when it may float.
  void EnableDocking(DWORD dock_style) { m_dwDockStyle = dock_style; }
  DWORD GetDockStyle() const { return m_dwDockStyle; }
  bool IsFloating() const { return (m_dwStyle & CBRS_FLOATING) != 0; }
  bool IsHorizontal() const { return (m_dwStyle & CBRS_ORIENT_HORZ) != 0; }

  // The size the bar takes: fixed (stretched to the whole length, horizontal or vertical), or
  // for a length under the LM_ mode bits. The base takes the whole length by its borders.
  virtual CSize CalcFixedLayout(bool stretch, bool horizontal);
  virtual CSize CalcDynamicLayout(int length, DWORD mode);

  // The bar's part of the idle update: its commands' states from `target`'s route.
  virtual void OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) {}

  // Shows or hides the bar at the next idle update (the last request wins).
  void DelayShow(bool show);
  // Visible now, or due to be shown; false when due to be hidden.
  bool IsVisible() const;
  enum StateFlags { delayHide = 1, delayShow = 2 };
  UINT m_nStateFlags = 0;

  // The frame whose bar list holds this bar (set while the window exists).
  CFrameWnd* GetDockingFrame() const { return m_pDockSite; }

  DWORD m_dwStyle = 0;       // CBRS_ bits
  DWORD m_dwDockStyle = 0;
  CFrameWnd* m_pDockSite = nullptr;
  // Borders inside the bar's window (left, top, right, bottom) that CalcFixedLayout adds.
  CRect m_rcBorders;
  // A bar that deletes itself after its last message.
  bool m_bAutoDelete = false;

 protected:
  // The layout pass: takes the bar's strip of the free rectangle and moves the window there
  // in the pass's batch.
  LRESULT OnSizeParent(WPARAM wparam, LPARAM lparam);
  // Applies a delayed show or hide, then updates the commands of a visible bar.
  LRESULT OnIdleUpdateCmdUI(WPARAM wparam, LPARAM lparam);
  int OnCreate(LPCREATESTRUCTW cs);
  void OnDestroy();
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()
};
