#include "toolkit/skin/skin_object_tab.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

namespace {

std::wstring ItemText(HWND hwnd, int item) {
  wchar_t text[260] = {};
  TCITEMW wide{};
  wide.mask = TCIF_TEXT;
  wide.pszText = text;
  wide.cchTextMax = 260;
  if (SendMessageW(hwnd, TCM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&wide))) return text;
  // Controls that keep 8-bit texts only.
  char narrow[260] = {};
  TCITEMA a{};
  a.mask = TCIF_TEXT;
  a.pszText = narrow;
  a.cchTextMax = 260;
  if (!SendMessageW(hwnd, TCM_GETITEMA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&a))) return L"";
  MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, 260);
  return text;
}

}  // namespace

RECT CTKSkinObjectTab::PaneRect() const {
  RECT pane;
  GetClientRect(hwnd_, &pane);
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  const int count = static_cast<int>(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0));
  const bool vertical = (style & TCS_VERTICAL) != 0, farSide = (style & TCS_BOTTOM) != 0;
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (!SendMessageW(hwnd_, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
    if (vertical && farSide) pane.right = std::min(pane.right, item.left);
    else if (vertical) pane.left = std::max(pane.left, item.right);
    else if (farSide) pane.bottom = std::min(pane.bottom, item.top);
    else pane.top = std::max(pane.top, item.bottom);
  }
  return pane;
}

void CTKSkinObjectTab::ItemLook(int item, int count, int selected, int* part, int* state, RECT* rc) const {
  SendMessageW(hwnd_, TCM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rc));
  *state = item == selected ? kSelected : item == hot_ ? kHot : kNormal;
  if (item == 0)
    *part = kTopTabItemLeftEdge;
  else if (item == count - 1 && item != selected)
    *part = kTopTabItemRightEdge;
  else
    *part = kTopTabItem;
  if (item == selected) InflateRect(rc, 2, 2);
}

void CTKSkinObjectTab::DrawItem(HDC dc, int item, int count, int selected) {
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  int part, state;
  RECT rc;
  ItemLook(item, count, selected, &part, &state, &rc);
  if (style & TCS_BUTTONS) {
    CTKSkinManagerClass* button = manager_->FindOrAddSkinClass(L"BUTTON");
    RECT face = rc;
    if (item == selected) InflateRect(&face, -2, -2);
    if (!button->DrawBackground(dc, 1, item == selected ? 3 : 1, face))
      SkinDrawFunctions::DrawFrameControl(manager_, dc, &face, DFC_BUTTON,
                                          DFCS_BUTTONPUSH | (item == selected ? DFCS_PUSHED : 0));
  } else if (!manager_->FindOrAddSkinClass(L"TAB")->DrawBackground(dc, part, state, rc)) {
    RECT edge = rc;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_MIDDLE);
  }
  RECT content = rc;
  InflateRect(&content, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  TCITEMW info{};
  info.mask = TCIF_IMAGE;
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, TCM_GETIMAGELIST, 0, 0));
  if (images && SendMessageW(hwnd_, TCM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)) &&
      info.iImage >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    ImageList_Draw(images, info.iImage, dc, content.left, content.top + (content.bottom - content.top - cy) / 2,
                   ILD_TRANSPARENT);
    content.left += cx;
  }
  const std::wstring text = ItemText(hwnd_, item);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, SkinControl::Color(manager_, COLOR_BTNTEXT));
  UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS;
  if (SkinControl::HidesAccelerators(hwnd_)) format |= DT_HIDEPREFIX;
  DrawTextW(dc, text.c_str(), -1, &content, format);
  if (item == selected && GetFocus() == hwnd_ && !SkinControl::HidesFocus(hwnd_)) {
    RECT focus = rc;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void CTKSkinObjectTab::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  HBRUSH background = SkinControl::ParentBrush(manager_, hwnd_, dc);
  if (background)
    FillRect(dc, &client, background);
  else
    CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  if (!(style & TCS_BUTTONS)) {
    const RECT pane = PaneRect();
    if (!manager_->FindOrAddSkinClass(L"TAB")->DrawBackground(dc, kPane, 1, pane)) {
      RECT edge = pane;
      SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  }
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  const int count = static_cast<int>(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0));
  const int selected = static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (i != selected) DrawItem(dc, i, count, selected);
  }
  // The selected tab overlaps its neighbours.
  if (selected >= 0 && selected < count) DrawItem(dc, selected, count, selected);
  SelectObject(dc, oldFont);
}

bool CTKSkinObjectTab::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      int hot = -1;
      if (message == WM_MOUSEMOVE) {
        TCHITTESTINFO hit{SkinControl::PointOf(lParam), 0};
        hot = static_cast<int>(SendMessageW(hwnd_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      }
      if (hot != hot_) {
        if (hot_ < 0) SkinControl::TrackLeave(hwnd_);
        hot_ = hot;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    }
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
