#include "toolkit/skin/skin_object_header.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

int CTKSkinObjectHeader::HitTest(LPARAM lParam) const {
  HDHITTESTINFO hit{};
  hit.pt = SkinControl::PointOf(lParam);
  const int item = static_cast<int>(SendMessageW(hwnd_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN)) ? item : -1;
}

bool CTKSkinObjectHeader::HasFilterBar() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & HDS_FILTERBAR) && GetCommonControlsVersion() >= 0x50050;
}

void CTKSkinObjectHeader::DrawItem(HDC dc, int item) {
  RECT rc{};
  if (!SendMessageW(hwnd_, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc))) return;
  // Under a filter bar the item keeps the upper half; the control's filter fields the rest.
  if (HasFilterBar()) rc.bottom = rc.top + (rc.bottom - rc.top) / 2;
  const int state = ItemState(item);
  if (!manager_->FindOrAddSkinClass(L"HEADER")->DrawBackground(dc, kHeaderItem, state, rc)) {
    RECT edge = rc;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, state == kPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  wchar_t text[260] = {};
  HDITEMW info{};
  info.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
  info.pszText = text;
  info.cchTextMax = 260;
  SendMessageW(hwnd_, HDM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
  const int align = info.fmt & HDF_JUSTIFYMASK;
  RECT content = rc;
  content.left += align == HDF_LEFT ? 9 : 6;
  content.right -= align == HDF_RIGHT ? 9 : 6;
  if (state == kPressed) OffsetRect(&content, 1, 1);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, HDM_GETIMAGELIST, 0, 0));
  if ((info.fmt & HDF_IMAGE) && images && info.iImage >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    const int margin = static_cast<int>(SendMessageW(hwnd_, HDM_GETBITMAPMARGIN, 0, 0));
    const int x = rc.left + (margin > 0 ? margin : 3 * GetSystemMetrics(SM_CXEDGE)) + (state == kPressed ? 1 : 0);
    ImageList_Draw(images, info.iImage, dc, x, content.top + (content.bottom - content.top - cy) / 2, ILD_TRANSPARENT);
    content.left = std::max<LONG>(content.left, x + cx + 3);
  }
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  format |= align == HDF_RIGHT ? DT_RIGHT : align == HDF_CENTER ? DT_CENTER : DT_LEFT;
  DrawTextW(dc, text, -1, &content, format);
}

void CTKSkinObjectHeader::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
  const bool filterBar = HasFilterBar();
  if (filterBar) DefaultProcessing(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, SkinControl::Color(manager_, COLOR_BTNTEXT));
  const int count = static_cast<int>(SendMessageW(hwnd_, HDM_GETITEMCOUNT, 0, 0));
  int right = client.left;
  for (int order = 0; order < count; ++order) {
    const int item = static_cast<int>(SendMessageW(hwnd_, HDM_ORDERTOINDEX, static_cast<WPARAM>(order), 0));
    DrawItem(dc, item);
    RECT rc{};
    if (SendMessageW(hwnd_, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc)))
      right = std::max(right, static_cast<int>(rc.right));
  }
  // Beyond the last item: the class's background.
  const LONG bottom = filterBar ? client.top + (client.bottom - client.top) / 2 : client.bottom;
  const RECT rest{right, client.top, client.right, bottom};
  if (rest.right > rest.left) manager_->FindOrAddSkinClass(L"HEADER")->DrawBackground(dc, 0, 0, rest);
  SelectObject(dc, oldFont);
}

bool CTKSkinObjectHeader::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      const int item = message == WM_MOUSELEAVE ? -1 : HitTest(lParam);
      if (message == WM_LBUTTONDOWN) pressed_ = item;
      if (message == WM_LBUTTONUP) pressed_ = -1;
      if (message == WM_MOUSEMOVE || message == WM_MOUSELEAVE) {
        if (item != hot_ && hot_ < 0) SkinControl::TrackLeave(hwnd_);
        hot_ = item;
      }
      InvalidateRect(hwnd_, nullptr, FALSE);
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    }
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
