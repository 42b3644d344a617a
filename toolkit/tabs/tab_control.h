// A tab strip as a child window of any parent: the tab manager's model, drawn by a tab paint
// manager (its own, or one shared by several controls). It tells its parent through WM_NOTIFY:
// TCN_SELCHANGE when the selection changed, TKTCN_CLOSE when the close button was pressed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "platform/appframe/wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/tabs/tab_manager.h"
#include "toolkit/tabs/tab_paint_manager.h"

// The close button of the strip was clicked (the selected item is the one to close).
constexpr UINT TKTCN_CLOSE = TCN_FIRST - 20;

class CTKTabControl : public CWnd, public CTKTabManager {
 public:
  static constexpr const wchar_t* kClassName = L"KestrinToolkitTabControl";

  CTKTabControl();
  ~CTKTabControl() override;

  bool Create(HWND parent, const RECT& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);

  // Draws with `painter` (not owned; null returns to the control's own).
  void UsePainter(CTKTabPaintManager* painter);
  CTKTabPaintManager* TabPainter() const override { return painter_; }
  // Icons of the items come from this list by image index (not owned).
  void SetImageList(HIMAGELIST images) { images_ = images; }

  void Relayout() override;
  void InvalidateStrip(const RECT* rect, bool animate) override;
  void SelectItem(CTKTabManagerItem* item) override;
  void NavButtonClicked(int id) override;
  bool PaintItemIcon(HDC dc, POINT point, CTKTabManagerItem* item, bool draw, SIZE& size) override;
  bool FocusMarkWanted() const override { return focus_mark_ && ::GetFocus() == m_hWnd; }
  void SetFocusMarkWanted(bool on) { focus_mark_ = on; }

  // Lays out for `rect` and draws the whole control into `dc`.
  void PaintInto(HDC dc, const RECT& rect);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Notify(UINT code);
  void OnPaint();
  // The off-screen picture the strip is drawn into before it reaches the screen, made again
  // only when the control's size changes; null when none can be made.
  HDC PaintBuffer(HDC reference, int width, int height);
  void DropPaintBuffer();
  // Shows the tooltip of whatever lies under the pointer (a navigate button or a cut caption).
  void TrackTip(UINT message, WPARAM wparam, LPARAM lparam);

  std::unique_ptr<CTKTabPaintManager> own_painter_;
  CTKTabPaintManager* painter_ = nullptr;
  HIMAGELIST images_ = nullptr;
  KestrinWinNS::CScopedBitmap buffer_bitmap_;           // declared before its DC: it goes after it
  std::unique_ptr<KestrinWinNS::CBitmapDC> buffer_dc_;  // holds buffer_bitmap_ selected
  SIZE buffer_size_{};
  bool focus_mark_ = false;
  bool in_layout_ = false;
  HWND tip_ = nullptr;         // the tooltip window, made on the first pointer move
  std::wstring tip_text_;      // the text and place of its one tool (empty: no tool)
  RECT tip_rect_{};
};
