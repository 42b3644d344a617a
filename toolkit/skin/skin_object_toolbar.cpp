#include "toolkit/skin/skin_object_toolbar.h"

#include <commctrl.h>

#include "platform/win/scoped_resource.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

int CTKSkinObjectToolBar::ButtonState(int index, BYTE state) const {
  if (!(state & TBSTATE_ENABLED)) return kDisabled;
  if (state & TBSTATE_PRESSED) return kPressed;
  if (state & TBSTATE_CHECKED) return kChecked;
  if (static_cast<int>(SendMessageW(hwnd_, TB_GETHOTITEM, 0, 0)) == index) return kHot;
  return kNormal;
}

void CTKSkinObjectToolBar::DrawButton(HDC dc, int index, const TBBUTTON& button, const RECT& rc) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"TOOLBAR");
  if (button.fsStyle & BTNS_SEP) {
    if (!cls->DrawBackground(dc, kSeparator, kNormal, rc)) {
      const int x = (rc.left + rc.right) / 2;
      RECT line{x - 1, rc.top + 2, x + 1, rc.bottom - 2};
      SkinDrawFunctions::DrawEdge(manager_, dc, &line, EDGE_ETCHED, BF_LEFT);
    }
    return;
  }
  const int state = ButtonState(index, button.fsState);
  const DWORD extended = static_cast<DWORD>(SendMessageW(hwnd_, TB_GETEXTENDEDSTYLE, 0, 0));
  const bool split = (extended & TBSTYLE_EX_DRAWDDARROWS) && (button.fsStyle & BTNS_DROPDOWN) &&
                     !(button.fsStyle & BTNS_WHOLEDROPDOWN);
  RECT face = rc;
  if (split) {
    RECT arrow = rc;
    arrow.left = face.right = rc.right - GetSystemMetrics(SM_CYMENUCHECK);
    cls->DrawBackground(dc, kSplitButton, state, face);
    cls->DrawBackground(dc, kSplitButtonDropDown, state, arrow);
  } else if (state != kNormal && !cls->DrawBackground(dc, kButton, state, face)) {
    RECT edge = face;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, state == kPressed || state == kChecked ? BDR_SUNKENOUTER
                                                                                        : BDR_RAISEDINNER,
                                BF_RECT);
  } else if (state == kNormal) {
    cls->DrawBackground(dc, kButton, state, face);
  }
  const bool moved = state == kPressed || state == kChecked;
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  wchar_t text[260] = {};
  const LRESULT length = SendMessageW(hwnd_, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), 0);
  if (length > 0 && length < 260)
    SendMessageW(hwnd_, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), reinterpret_cast<LPARAM>(text));
  HIMAGELIST normal = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, TB_GETIMAGELIST, 0, 0));
  HIMAGELIST hot = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, TB_GETHOTIMAGELIST, 0, 0));
  HIMAGELIST disabled = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, TB_GETDISABLEDIMAGELIST, 0, 0));
  HIMAGELIST images = state == kDisabled ? (disabled ? disabled : normal)
                      : (state == kHot || state == kChecked) && hot ? hot : normal;
  RECT content = face;
  if (moved) OffsetRect(&content, 1, 1);
  if (images && button.iBitmap >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    const bool list = (style & TBSTYLE_LIST) != 0 || !text[0];
    const int x = list && text[0] ? content.left + 3 : content.left + (content.right - content.left - cx) / 2;
    const int y = list ? content.top + (content.bottom - content.top - cy) / 2 : content.top + 3;
    if (state == kDisabled && !disabled) {
      // No disabled images: the normal image etched (highlight one pixel down-right, then shadow).
      KestrinWinNS::CScopedIcon icon(ImageList_GetIcon(images, button.iBitmap, ILD_NORMAL));
      DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, cx, cy, DST_ICON | DSS_DISABLED);
    } else {
      ImageList_Draw(images, button.iBitmap, dc, x, y, ILD_TRANSPARENT);
    }
    if (list) content.left = x + cx + 3;
    else content.top = y + cy + 1;
  }
  if (text[0]) {
    SetTextColor(dc, SkinControl::Color(manager_, state == kDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    const UINT align = (style & TBSTYLE_LIST) ? DT_LEFT | DT_VCENTER : DT_CENTER | DT_TOP;
    DrawTextW(dc, text, -1, &content, DT_SINGLELINE | DT_END_ELLIPSIS | align);
  }
}

void CTKSkinObjectToolBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  HBRUSH background = SkinControl::ParentBrush(manager_, hwnd_, dc, WM_CTLCOLORBTN);
  if (background)
    FillRect(dc, &client, background);
  else
    CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  const int count = static_cast<int>(SendMessageW(hwnd_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    RECT rc{};
    if (!SendMessageW(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
    if (button.fsState & TBSTATE_HIDDEN) continue;
    if (!SendMessageW(hwnd_, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc))) continue;
    DrawButton(dc, i, button, rc);
  }
  SelectObject(dc, oldFont);
}

bool CTKSkinObjectToolBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_PAINT && message != WM_PRINTCLIENT)
    return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  *result = 0;
  PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
  return true;
}
