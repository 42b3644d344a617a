// The status bar: the system's status-bar control as a bar at the bottom of its frame, with
// panes named by string ids (ID_SEPARATOR for the stretching message pane). It is the frame's
// message bar when it has the id IDW_STATUS_BAR: its first pane shows the frame's message text.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/control_bar.h"

constexpr UINT ID_SEPARATOR = 0;

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
 public:
  CStatusBar() {}

  bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = IDW_STATUS_BAR);
  // The panes: one per id; a pane's width is that of its string's text (the id's string
  // resource), ID_SEPARATOR panes stretch.
  bool SetIndicators(const UINT* ids, int count);
  int GetCount() const { return static_cast<int>(panes_.size()); }
  bool SetPaneText(int index, const wchar_t* text);
  CString GetPaneText(int index) const;
  UINT GetItemID(int index) const;
  CRect GetItemRect(int index) const;

  CSize CalcFixedLayout(bool stretch, bool horizontal) override;
  void OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) override;

 protected:
  void OnSize(UINT type, int cx, int cy);
  DECLARE_MESSAGE_MAP()

 private:
  void UpdateParts();
  struct Pane {
    UINT id;
    int width;   // -1 stretches
  };
  std::vector<Pane> panes_;
};
