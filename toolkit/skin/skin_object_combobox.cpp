#include "toolkit/skin/skin_object_combobox.h"

#include <algorithm>

#include "platform/win/gdi.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

namespace {
enum { kBgType = 4001, kBorderColor = 3801, kFillColor = 3802 };
enum { kBgBorderFill = 1 };
}  // namespace

int CTKSkinObjectComboBox::ButtonState() const {
  if (!IsWindowEnabled(hwnd_)) return kDisabled;
  const bool dropped = SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0;
  if (dropped && (GetKeyState(VK_LBUTTON) & 0x8000)) return kPressed;
  if (hot_ || GetCapture() == hwnd_) return kHot;
  return kNormal;
}

RECT CTKSkinObjectComboBox::ButtonRect() const {
  RECT client;
  GetClientRect(hwnd_, &client);
  client.left = std::max(client.left, client.right - GetSystemMetrics(SM_CXHTHUMB));
  return client;
}

void CTKSkinObjectComboBox::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  CTKSkinManagerClass* combo = manager_->FindOrAddSkinClass(L"COMBOBOX");
  const int state = ButtonState();
  if ((style & 3) == CBS_SIMPLE) {
    // The edit strip gets the skin's field border.
    const int itemHeight = static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    RECT strip{client.left, client.top, client.right, client.top + itemHeight + 2 * GetSystemMetrics(SM_CYDLGFRAME)};
    CTKSkinManagerClass* edit = manager_->FindOrAddSkinClass(L"EDIT");
    const COLORREF border = edit->GetColor(0, 0, kBorderColor, SkinControl::Color(manager_, COLOR_3DSHADOW));
    CTKDrawHelpers::FillSolidRect(dc, strip, border);
    InflateRect(&strip, -1, -1);
    CTKDrawHelpers::FillSolidRect(dc, strip, SkinControl::Color(manager_, COLOR_WINDOW));
    return;
  }
  const COLORREF field = SkinControl::Color(manager_, state == kDisabled ? COLOR_BTNFACE : COLOR_WINDOW);
  CTKDrawHelpers::FillSolidRect(dc, client, field);
  // The control draws its field and selection into the buffer.
  DefaultProcessing(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RECT strip = client;
  strip.left = std::max(client.left, client.right - GetSystemMetrics(SM_CXHTHUMB) - 3);
  CTKDrawHelpers::FillSolidRect(dc, strip, field);
  if (combo->GetEnum(kBackground, state, kBgType, 0) == kBgBorderFill) {
    const COLORREF border = combo->GetColor(kBackground, state, kBorderColor, SkinControl::Color(manager_, COLOR_3DSHADOW));
    const KestrinWinNS::CScopedBrush frame(CreateSolidBrush(border));
    FrameRect(dc, &client, frame.Get());
    RECT inner = client;
    InflateRect(&inner, -1, -1);
    const KestrinWinNS::CScopedBrush fill(CreateSolidBrush(combo->GetColor(kBackground, state, kFillColor, field)));
    FrameRect(dc, &inner, fill.Get());
  } else {
    // The background around the field: the field itself is left out.
    const int saved = SaveDC(dc);
    RECT editArea = client;
    InflateRect(&editArea, -3, -3);
    editArea.right = strip.left;
    ExcludeClipRect(dc, editArea.left, editArea.top, editArea.right, editArea.bottom);
    if (!combo->DrawBackground(dc, kBackground, state, client)) {
      RECT edge = client;
      SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_SUNKEN, BF_RECT);
    }
    RestoreDC(dc, saved);
  }
  RECT button = ButtonRect();
  if (!combo->DrawBackground(dc, kDropDownButton, state, button))
    SkinDrawFunctions::DrawFrameControl(manager_, dc, &button, DFC_BUTTON,
                                        DFCS_BUTTONPUSH | (state == kPressed ? DFCS_PUSHED : 0));
}

bool CTKSkinObjectComboBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_CREATE:
      SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) & ~WS_BORDER);
      SetWindowLongW(hwnd_, GWL_EXSTYLE,
                     GetWindowLongW(hwnd_, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      if (!(GetWindowLongW(hwnd_, GWL_STYLE) & 3)) return false;
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    }
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      RECT client;
      GetClientRect(hwnd_, &client);
      const POINT pt = SkinControl::PointOf(lParam);
      const bool hot = message == WM_MOUSEMOVE && PtInRect(&client, pt);
      if (hot != hot_) {
        if (hot) SkinControl::TrackLeave(hwnd_);
        hot_ = hot;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case WM_ENABLE:
    case WM_LBUTTONUP:
    case WM_UPDATEUISTATE:
    case BM_SETSTYLE:
      *result = DefaultProcessing(message, wParam, lParam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
