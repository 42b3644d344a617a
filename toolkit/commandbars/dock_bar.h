// The strip along one side of a frame that holds docked command bars in rows. A dock bar is a
// child of the frame with one of the frame's dock-bar ids; the frame's layout pass
// (WM_SIZEPARENT) hands it the free rectangle, it lays its rows out in it and takes the strip
// they need at its edge. Bars keep their remembered places along a row where they can, are
// pushed aside where they overlap and are carried to a row of their own where the row cannot
// hold them.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/frame_messages.h"
#include "platform/appframe/types.h"
#include "platform/appframe/wnd.h"

class CTKCommandBar;
class CTKCommandBarManager;
class CFrameWnd;

// Bits of a bar's Flags word that docking reads.
namespace TKDockFlags {
const DWORD kTop = 0x1;
const DWORD kBottom = 0x2;
const DWORD kLeft = 0x4;
const DWORD kRight = 0x8;
const DWORD kAnySide = 0xF;
const DWORD kFloat = 0x10;
const DWORD kWrap = 0x20;        // may wrap its controls into more rows
const DWORD kStandAlone = 0x40;  // always stands in a row of its own
const DWORD kStretch = 0x100000; // stretches over the gaps beside it in its row
// The Flags bit that allows docking at a side (0 top .. 3 right).
inline DWORD SideBit(int side) { return side >= 0 && side <= 3 ? (1u << side) : 0; }
}  // namespace TKDockFlags

// The layout bit a dock bar adds when a bar may wrap (beside the LM_ bits).
const DWORD kLayoutWrapAllowed = 0x80;

class CTKDockBar : public CWnd {
  DECLARE_DYNAMIC(CTKDockBar)

 public:
  // One bar of a row while the row is laid out; coordinates run along the row (x) and across
  // it (y) whatever the side.
  struct DOCK_INFO {
    CTKCommandBar* bar = nullptr;
    RECT rect{};       // proposed
    RECT start{};      // where it began
    int index = 0;     // in the row's order
    int min_length = 0;
    int min_before = 0;
    bool moved = false;
    CSize size;        // measured at the side's length
  };

  CTKDockBar();
  ~CTKDockBar() override;

  // Makes the four dock bars of `frame` (ids IDW_DOCKBAR_TOP ...), for the bars of `manager`.
  // The bars come before the frame's other children in the layout pass, so that docked bars
  // lie outside bars placed later (a status bar stays at the very bottom only when it is
  // created first). False when a window could not be made.
  static bool CreateDockBars(CFrameWnd* frame, CTKCommandBarManager* manager);
  // The dock bar of a side (0 top, 1 bottom, 2 left, 3 right) of the frame `site`, or null.
  static CTKDockBar* FromSide(HWND site, int side);
  // The dock bar that takes a bar dragged to the screen point: the current one while the
  // point lies within 20 pixels of it, else the first of the four sides that holds the point
  // within that margin; null when none does.
  static CTKDockBar* AtPoint(HWND site, POINT screen, CTKDockBar* current);

  bool Create(CFrameWnd* frame, int side, CTKCommandBarManager* manager);
  int GetSide() const { return side_; }
  bool IsHorizontal() const { return side_ == 0 || side_ == 1; }
  CTKCommandBarManager* GetManager() const { return manager_; }
  // Deleted after its window's last message.
  bool m_bAutoDelete = false;

  // The list: a null entry ends each row, and the list begins with one.
  const std::vector<CTKCommandBar*>& GetBarList() const { return bars_; }
  // The rows of shown and hidden bars, in order.
  std::vector<std::vector<CTKCommandBar*>> GetRows() const;
  int FindBar(CTKCommandBar* bar, int skip = -1) const;
  // Inserts the bar for the point (client coordinates): at the end of the first row that
  // reaches past the point across the side, else in a new last row. Returns its index.
  int Insert(CTKCommandBar* bar, const RECT& rect, POINT point);
  // Takes the bar's entry out (not the one at `skip`), drops a row break left doubled and
  // clears the bar's dock bar; the frame then lays out.
  void Remove(CTKCommandBar* bar, int skip = -1);
  // Docks the bar: at the centre of `screen_rect` when given, else in a new last row.
  void Dock(CTKCommandBar* bar, const RECT* screen_rect);
  // Puts a row break before and after every bar that must stand alone.
  void SeparateLoneBars();

  // Lays the rows out in `free_rect` (the frame's client coordinates) and returns the side's
  // size; moves windows through `*batch` when it is not null (else only measures).
  CSize LayoutSide(const RECT& free_rect, bool stretch, HDWP* batch);
  // Lays one row out at `length`; returns its thickness. On a failed row `*failed` names the
  // bar to carry to the next row (the row then moved nothing).
  int LayoutRow(const std::vector<CTKCommandBar*>& row, int length, int offset, HDWP* batch,
                CTKCommandBar** failed);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  LRESULT OnSizeParent(SIZEPARENTPARAMS* layout);
  void OnPaint();
  void PrintInto(HDC dc, LPARAM flags);
  void PostNcDestroy() override {
    if (m_bAutoDelete) delete this;
  }

 private:
  std::vector<CTKCommandBar*> bars_;
  CTKCommandBarManager* manager_ = nullptr;
  CFrameWnd* frame_ = nullptr;
  int side_ = 0;
};

// Asks the frame of `site` (or the site itself) for its layout: at once, or (`now` false) at
// the frame's next idle update.
void TKRecalcSiteLayout(HWND site, bool now = true);
