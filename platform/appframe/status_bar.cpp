#include "platform/appframe/status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/appframe/dialog.h"
#include "platform/appframe/frame_wnd.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  ON_WM_SIZE()
END_MESSAGE_MAP()

bool CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  DWORD bar_style = style & CBRS_ALL;
  // The layout pass places the control: it neither sizes nor aligns itself.
  DWORD window_style = (style & ~CBRS_ALL) | WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (!CControlBar::Create(STATUSCLASSNAMEW, window_style, parent, id, bar_style)) return false;
  static const UINT kMessagePane[] = {ID_SEPARATOR};
  return SetIndicators(kMessagePane, 1);
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
  if (!m_hWnd || count <= 0 || count > 64) return false;
  panes_.clear();
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
  HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < count; ++i) {
    Pane pane = {ids[i], -1};
    if (ids[i] != ID_SEPARATOR) {
      CString text;
      text.LoadString(GetResourceModule(), ids[i]);
      SIZE extent = {};
      ::GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
      pane.width = extent.cx + 8;
    }
    panes_.push_back(pane);
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  UpdateParts();
  for (int i = 0; i < count; ++i) {
    if (ids[i] == ID_SEPARATOR) continue;
    CString text;
    text.LoadString(GetResourceModule(), ids[i]);
    SetPaneText(i, text);
  }
  return true;
}

void CStatusBar::UpdateParts() {
  if (!m_hWnd || panes_.empty()) return;
  // Right edges: stretching panes share what the fixed ones leave.
  int width = GetClientRect().Width();
  int fixed = 0, stretching = 0;
  for (const Pane& p : panes_) {
    if (p.width < 0)
      ++stretching;
    else
      fixed += p.width;
  }
  int share = stretching ? std::max(0, width - fixed) / stretching : 0;
  std::vector<int> edges;
  int x = 0;
  for (const Pane& p : panes_) {
    x += p.width < 0 ? share : p.width;
    edges.push_back(x);
  }
  edges.back() = -1;
  SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

bool CStatusBar::SetPaneText(int index, const wchar_t* text) {
  if (index < 0 || index >= GetCount()) return false;
  return SendMessage(SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text ? text : L"")) != 0;
}

CString CStatusBar::GetPaneText(int index) const {
  CString text;
  if (index < 0 || index >= GetCount()) return text;
  int length = LOWORD(SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(index)));
  SendMessage(SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length)));
  text.ReleaseBuffer();
  return text;
}

UINT CStatusBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? panes_[static_cast<size_t>(index)].id : 0;
}

CRect CStatusBar::GetItemRect(int index) const {
  CRect r;
  SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

CSize CStatusBar::CalcFixedLayout(bool stretch, bool horizontal) {
  // The height of a line of the bar's font with the control's borders.
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
  HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics = {};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  int borders[3] = {};
  SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  CSize size = CControlBar::CalcFixedLayout(stretch, horizontal);
  size.cy = std::max<LONG>(metrics.tmHeight + 2 * borders[1] + 4, 20);
  return size;
}

void CStatusBar::OnSize(UINT, int, int) {
  Default();
  UpdateParts();
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) {
  // The indicator panes show what their update handlers say (their text when enabled).
  class CPaneCmdUI : public CCmdUI {
   public:
    explicit CPaneCmdUI(CStatusBar* bar) : bar_(bar) {}
    void Enable(bool on) override {
      m_bEnableChanged = true;
      CString text;
      if (on) text.LoadString(GetResourceModule(), m_nID);
      bar_->SetPaneText(static_cast<int>(m_nIndex), text);
    }
    void SetCheck(int) override {}
    void SetText(const wchar_t* text) override { bar_->SetPaneText(static_cast<int>(m_nIndex), text); }

   private:
    CStatusBar* bar_;
  };
  for (int i = 0; i < GetCount(); ++i) {
    UINT id = panes_[static_cast<size_t>(i)].id;
    if (id == ID_SEPARATOR) continue;
    CPaneCmdUI ui(this);
    ui.m_nID = id;
    ui.m_nIndex = static_cast<UINT>(i);
    ui.DoUpdate(target, false);
  }
  (void)disable_if_no_handler;
}
