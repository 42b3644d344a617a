// The frame's status bar with panes the program can hide, align and pad: the system's status
// control shows the visible panes one part each, and a pane is found by its index among all
// panes whether it shows or not.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/appframe/control_bar.h"
#include "platform/appframe/frame_messages.h"

class CTKStatusBarPane {
 public:
  // Style bit: the pane takes what the fixed panes leave.
  static constexpr UINT kStretch = 0x08000000;  // SBPS_STRETCH
  enum Alignment { kLeft = 0, kCenter = 1, kRight = 2 };

  UINT GetID() const { return id_; }
  UINT GetStyle() const { return style_; }
  int GetWidth() const { return width_; }
  bool IsVisible() const { return visible_; }
  // The pane's place among the visible panes; -1 while hidden.
  int GetVisibleIndex() const { return visible_index_; }
  const std::wstring& GetText() const { return text_; }
  int GetTextAlignment() const { return alignment_; }
  const CRect& GetPadding() const { return padding_; }

 private:
  friend class CTKStatusBar;
  UINT id_ = 0;
  UINT style_ = 0;
  int width_ = 0;
  bool visible_ = true;
  int visible_index_ = -1;
  std::wstring text_;
  int alignment_ = kLeft;
  CRect padding_;
};

class CTKStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CTKStatusBar)

 public:
  CTKStatusBar();
  ~CTKStatusBar() override;

  // The status control at the bottom of `parent`; `controlStyle` takes SBARS_SIZEGRIP.
  bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = IDW_STATUS_BAR,
              DWORD controlStyle = 0);

  // Adds a pane `width` pixels wide (its padding added), or stretching with kStretch.
  CTKStatusBarPane* AddPane(UINT id, int width, UINT style = 0);
  int GetPaneCount() const { return static_cast<int>(panes_.size()); }
  // The pane at `index` among all panes; null out of range.
  CTKStatusBarPane* GetPane(int index) const;
  int GetVisiblePaneCount() const;
  // The pane's rectangle in the bar's client area; empty for a hidden or missing pane.
  CRect GetPaneRect(int index) const;

  void SetPaneText(int index, const std::wstring& text);
  std::wstring GetPaneText(int index) const;
  void SetPaneTextAlignment(int index, int alignment);
  void SetPaneVisible(int index, bool visible);
  void SetPanePadding(int index, const CRect& padding);
  void SetPaneWidth(int index, int width);

  CSize CalcFixedLayout(bool stretch, bool horizontal) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Numbers the visible panes and gives the control their parts and texts.
  void UpdateParts();
  void ShowText(const CTKStatusBarPane& pane);
  bool HasGrip() const;
  // The pane's width with its padding.
  static int PaneWidth(const CTKStatusBarPane& pane);

  std::vector<std::unique_ptr<CTKStatusBarPane>> panes_;
};
