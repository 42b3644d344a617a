#include "toolkit/commandbars/status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win/gdi.h"

IMPLEMENT_DYNAMIC(CTKStatusBar, CControlBar)

CTKStatusBar::CTKStatusBar() = default;
CTKStatusBar::~CTKStatusBar() = default;

bool CTKStatusBar::Create(CWnd* parent, DWORD style, UINT id, DWORD controlStyle) {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  // The frame's layout pass places the control: it neither sizes nor aligns itself.
  const DWORD window = (style & ~CBRS_ALL) | controlStyle | WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (!CControlBar::Create(STATUSCLASSNAMEW, window, parent, id, style & CBRS_ALL)) return false;
  UpdateParts();
  return true;
}

CTKStatusBarPane* CTKStatusBar::AddPane(UINT id, int width, UINT style) {
  auto pane = std::make_unique<CTKStatusBarPane>();
  pane->id_ = id;
  pane->width_ = std::max(0, width);
  pane->style_ = style;
  panes_.push_back(std::move(pane));
  UpdateParts();
  return panes_.back().get();
}

CTKStatusBarPane* CTKStatusBar::GetPane(int index) const {
  return index >= 0 && index < GetPaneCount() ? panes_[static_cast<size_t>(index)].get() : nullptr;
}

int CTKStatusBar::GetVisiblePaneCount() const {
  return static_cast<int>(std::count_if(panes_.begin(), panes_.end(), [](const auto& pane) { return pane->visible_; }));
}

int CTKStatusBar::PaneWidth(const CTKStatusBarPane& pane) { return pane.width_ + pane.padding_.left + pane.padding_.right; }

bool CTKStatusBar::HasGrip() const { return m_hWnd && (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & SBARS_SIZEGRIP) != 0; }

CRect CTKStatusBar::GetPaneRect(int index) const {
  const CTKStatusBarPane* pane = GetPane(index);
  if (!pane || pane->visible_index_ < 0 || !m_hWnd) return CRect();
  CRect rect;
  if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(pane->visible_index_), reinterpret_cast<LPARAM>(&rect))) return CRect();
  if (pane->visible_index_ == GetVisiblePaneCount() - 1) {
    // The last pane: a stretching one reaches the right edge (short of the grip), a fixed one
    // is its width and three edges wide.
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    if (pane->style_ & CTKStatusBarPane::kStretch)
      rect.right = GetClientRect().right - (HasGrip() ? ::GetSystemMetrics(SM_CXSMICON) + edge : 0);
    else
      rect.right = rect.left + PaneWidth(*pane) + 3 * edge;
  }
  return rect;
}

void CTKStatusBar::SetPaneText(int index, const std::wstring& text) {
  CTKStatusBarPane* pane = GetPane(index);
  if (!pane) return;
  pane->text_ = text;
  ShowText(*pane);
}

std::wstring CTKStatusBar::GetPaneText(int index) const {
  const CTKStatusBarPane* pane = GetPane(index);
  return pane ? pane->text_ : std::wstring();
}

void CTKStatusBar::SetPaneTextAlignment(int index, int alignment) {
  CTKStatusBarPane* pane = GetPane(index);
  if (!pane || alignment < CTKStatusBarPane::kLeft || alignment > CTKStatusBarPane::kRight) return;
  pane->alignment_ = alignment;
  ShowText(*pane);
}

void CTKStatusBar::SetPaneVisible(int index, bool visible) {
  CTKStatusBarPane* pane = GetPane(index);
  if (!pane || pane->visible_ == visible) return;
  pane->visible_ = visible;
  UpdateParts();
}

void CTKStatusBar::SetPanePadding(int index, const CRect& padding) {
  CTKStatusBarPane* pane = GetPane(index);
  if (!pane) return;
  pane->padding_ = padding;
  UpdateParts();
}

void CTKStatusBar::SetPaneWidth(int index, int width) {
  CTKStatusBarPane* pane = GetPane(index);
  if (!pane) return;
  pane->width_ = std::max(0, width);
  UpdateParts();
}

void CTKStatusBar::ShowText(const CTKStatusBarPane& pane) {
  if (!m_hWnd || pane.visible_index_ < 0) return;
  // The control centres what follows one tab and right-aligns what follows two.
  const wchar_t* prefix = pane.alignment_ == CTKStatusBarPane::kCenter  ? L"\t"
                          : pane.alignment_ == CTKStatusBarPane::kRight ? L"\t\t"
                                                                         : L"";
  const std::wstring shown = prefix + pane.text_;
  SendMessage(SB_SETTEXTW, static_cast<WPARAM>(pane.visible_index_), reinterpret_cast<LPARAM>(shown.c_str()));
}

void CTKStatusBar::UpdateParts() {
  int next = 0, fixed = 0, stretching = 0;
  for (auto& pane : panes_) {
    pane->visible_index_ = pane->visible_ ? next++ : -1;
    if (!pane->visible_) continue;
    if (pane->style_ & CTKStatusBarPane::kStretch)
      ++stretching;
    else
      fixed += PaneWidth(*pane);
  }
  if (!m_hWnd) return;
  // Right edges: the stretching panes share what the fixed ones leave.
  const int share = stretching ? std::max(0, GetClientRect().Width() - fixed) / stretching : 0;
  std::vector<int> edges;
  int x = 0;
  const CTKStatusBarPane* last = nullptr;
  for (const auto& pane : panes_) {
    if (!pane->visible_) continue;
    x += (pane->style_ & CTKStatusBarPane::kStretch) ? share : PaneWidth(*pane);
    edges.push_back(x);
    last = pane.get();
  }
  if (edges.empty()) {
    edges.push_back(-1);  // the control keeps one empty part
  } else if (last->style_ & CTKStatusBarPane::kStretch) {
    edges.back() = -1;
  }
  SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  if (!last) SendMessage(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
  for (const auto& pane : panes_) ShowText(*pane);
}

CSize CTKStatusBar::CalcFixedLayout(bool stretch, bool horizontal) {
  // A line of the control's font with its borders.
  KestrinWinNS::CScopedClientDC dc(m_hWnd);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
  KestrinWinNS::CSelectObject select(dc.Get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics = {};
  ::GetTextMetricsW(dc.Get(), &metrics);
  int borders[3] = {};
  SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  CSize size = CControlBar::CalcFixedLayout(stretch, horizontal);
  size.cy = std::max<LONG>(metrics.tmHeight + 2 * borders[1] + 4, 20);
  return size;
}

LRESULT CTKStatusBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CControlBar::WindowProc(message, wparam, lparam);
  if (message == WM_SIZE) UpdateParts();
  return result;
}
