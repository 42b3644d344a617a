#include "toolkit/skin/skin_object_button.h"

#include <string>

#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"

namespace {

enum { kTextColor = 3803 };

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
  return text;
}

}  // namespace

int CTKSkinObjectButton::ButtonType() const {
  return stored_type_ != 255 ? stored_type_ : static_cast<int>(GetWindowLongW(hwnd_, GWL_STYLE) & 0x0F);
}

bool CTKSkinObjectButton::IsPushLike() const {
  const int type = ButtonType();
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW ||
         (GetWindowLongW(hwnd_, GWL_STYLE) & BS_PUSHLIKE);
}

void CTKSkinObjectButton::PartAndState(int* part, int* state) const {
  const int type = ButtonType();
  const bool disabled = !IsWindowEnabled(hwnd_);
  const bool hot = hot_ || GetCapture() == hwnd_;
  const bool pushed = (flags_ & kPushed) != 0;
  const LRESULT check = SendMessageW(hwnd_, BM_GETCHECK, 0, 0);
  if (IsPushLike()) {
    *part = kPushButton;
    *state = disabled ? 4 : pushed ? 3 : hot ? 2 : check == BST_CHECKED ? 3 : type == BS_DEFPUSHBUTTON ? 5 : 1;
  } else if (type == BS_GROUPBOX) {
    *part = kGroupBox;
    *state = disabled ? 2 : 1;
  } else {
    const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    *part = radio ? kRadioButton : kCheckBox;
    *state = disabled ? 4 : pushed ? 3 : hot ? 2 : 1;
    if (check == BST_CHECKED) *state += 4;
    if (!radio && check == BST_INDETERMINATE) *state += 8;
  }
}

void CTKSkinObjectButton::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  CTKSkinManager* manager = manager_;
  CTKSkinManagerClass* cls = manager->FindOrAddSkinClass(L"BUTTON");
  HWND parent = GetParent(hwnd_);
  HBRUSH background = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORBTN,
                                                                     reinterpret_cast<WPARAM>(dc),
                                                                     reinterpret_cast<LPARAM>(hwnd_)))
                             : nullptr;
  const ULONG_PTR brushValue = reinterpret_cast<ULONG_PTR>(background);
  if (brushValue >= 1 && brushValue <= 30)
    background = manager->Metrics()->Brush(static_cast<int>(brushValue) - 1);
  if (background)
    FillRect(dc, &client, background);
  else
    SkinDrawFunctions::FillSolid(dc, client, manager->Metrics()->Color(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  const int oldMode = SetBkMode(dc, TRANSPARENT);

  int part, state;
  PartAndState(&part, &state);
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  const std::wstring text = WindowText(hwnd_);
  const COLORREF buttonText = manager->Metrics()->Color(COLOR_BTNTEXT);
  SetTextColor(dc, cls->GetColor(part, state, kTextColor, buttonText));
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (style & BS_MULTILINE) format = DT_WORDBREAK;
  if (SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
  const LONG halign = style & BS_CENTER;
  RECT textRect = client;
  if (part == kPushButton) {
    cls->DrawBackground(dc, part, state, client);
    format |= halign == BS_LEFT ? DT_LEFT : halign == BS_RIGHT ? DT_RIGHT : DT_CENTER;
    InflateRect(&textRect, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  } else if (part == kGroupBox) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT frame = client;
    frame.top += extent.cy / 2;
    cls->DrawBackground(dc, part, state, frame);
    if (!text.empty()) {
      const int edge = GetSystemMetrics(SM_CXEDGE);
      textRect = RECT{client.left + edge + 8, client.top, client.left + edge + 8 + extent.cx + 2 * edge,
                      client.top + extent.cy};
      if (background) FillRect(dc, &textRect, background);
      format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    }
  } else {
    SIZE glyph{13, 13};
    cls->MeasurePart(part, state, nullptr, 1, &glyph);
    const int y = client.top + (client.bottom - client.top - glyph.cy) / 2;
    const bool rightText = (style & BS_LEFTTEXT) != 0;
    const int x = rightText ? client.right - glyph.cx : client.left;
    cls->DrawBackground(dc, part, state, RECT{x, y, x + glyph.cx, y + glyph.cy});
    if (rightText)
      textRect.right = x - 3;
    else
      textRect.left = x + glyph.cx + 3;
    format |= halign == BS_RIGHT ? DT_RIGHT : halign == BS_CENTER ? DT_CENTER : DT_LEFT;
  }
  if (style & (BS_BITMAP | BS_ICON)) {
    const bool icon = (style & BS_ICON) != 0;
    HANDLE image = reinterpret_cast<HANDLE>(SendMessageW(hwnd_, BM_GETIMAGE, icon ? IMAGE_ICON : IMAGE_BITMAP, 0));
    if (image)
      DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, textRect.left, textRect.top, 0, 0,
                 icon ? DST_ICON : DST_BITMAP);
  } else if (!text.empty()) {
    RECT drawn = textRect;
    DrawTextW(dc, text.c_str(), -1, &drawn, format);
    if (GetFocus() == hwnd_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) && part != kGroupBox) {
      RECT focus = part == kPushButton ? textRect : drawn;
      IntersectRect(&focus, &focus, &client);
      DrawFocusRect(dc, &focus);
    }
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

void CTKSkinObjectButton::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (hot) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&track);
  }
  if (flags_ & kHeld) SendMessageW(hwnd_, BM_SETSTATE, hot, 0);
}

void CTKSkinObjectButton::ReleaseWithClick(bool click) {
  flags_ &= ~(kPushed | kHeld | kCaptured);
  const int type = ButtonType();
  if (click) {
    const LRESULT check = SendMessageW(hwnd_, BM_GETCHECK, 0, 0);
    if (type == BS_AUTOCHECKBOX) {
      SendMessageW(hwnd_, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (type == BS_AUTO3STATE) {
      SendMessageW(hwnd_, BM_SETCHECK, (check + 1) % 3, 0);
    } else if (type == BS_AUTORADIOBUTTON) {
      HWND parent = GetParent(hwnd_);
      HWND first = GetNextDlgGroupItem(parent, hwnd_, FALSE);
      HWND item = first;
      do {
        if (item && item != hwnd_ && (SendMessageW(item, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
          SendMessageW(item, BM_SETCHECK, BST_UNCHECKED, 0);
        item = GetNextDlgGroupItem(parent, item, FALSE);
      } while (item && item != first);
      SendMessageW(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
    }
  }
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (click) {
    HWND parent = GetParent(hwnd_);
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd_));
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool CTKSkinObjectButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const int type = ButtonType();
  // Owner-drawn buttons stay the owner's; the kinds after them (split buttons, command links)
  // have no parts in the skin and keep their own drawing.
  if (type >= BS_OWNERDRAW) return false;
  *result = 0;
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      CTKSkinObjectPaintDC dc(hwnd_, wParam);
      Paint(dc.dc());
      return true;
    }
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      if (type == BS_GROUPBOX) return true;
      POINT pt{-1, -1};
      if (message == WM_MOUSEMOVE) pt = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT client;
      GetClientRect(hwnd_, &client);
      SetHot(PtInRect(&client, pt) != FALSE);
      return true;
    }
    case WM_LBUTTONDOWN: {
      if (type == BS_GROUPBOX) return true;
      SetCapture(hwnd_);
      flags_ |= kHeld | kCaptured | kFocusFromClick;
      SetFocus(hwnd_);
      flags_ &= ~kFocusFromClick;
      RECT client;
      GetClientRect(hwnd_, &client);
      const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      SendMessageW(hwnd_, BM_SETSTATE, PtInRect(&client, pt), 0);
      return true;
    }
    case WM_LBUTTONUP: {
      if (!(flags_ & kHeld)) return true;
      RECT client;
      GetClientRect(hwnd_, &client);
      const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ReleaseWithClick(PtInRect(&client, pt) != FALSE);
      return true;
    }
    case WM_LBUTTONDBLCLK:
      return true;
    case WM_KEYDOWN:
      if (flags_ & kCaptured) return true;
      if (wParam != VK_SPACE) return false;
      flags_ |= kHeld;
      SetFocus(hwnd_);
      SendMessageW(hwnd_, BM_SETSTATE, TRUE, 0);
      return true;
    case WM_KEYUP:
      if (flags_ & kCaptured) return true;
      *result = DefaultProcessing(message, wParam, lParam);
      if (wParam != VK_TAB && (flags_ & kHeld)) ReleaseWithClick(wParam == VK_SPACE);
      return true;
    case WM_SETFOCUS:
      // Focus given by a press is the press's business: the click decides about checking and
      // notifying, so the button's own focus handling (which checks an automatic radio button
      // and reports it clicked) is left out.
      if (flags_ & kFocusFromClick) {
        if (GetWindowLongW(hwnd_, GWL_STYLE) & BS_NOTIFY)
          SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_SETFOCUS),
                       reinterpret_cast<LPARAM>(hwnd_));
      } else {
        *result = DefaultProcessing(message, wParam, lParam);
      }
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
      if (flags_ & kCaptured) {
        flags_ &= ~(kPushed | kHeld | kCaptured);
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    case BM_SETSTATE:
      if (wParam)
        flags_ |= kPushed;
      else
        flags_ &= ~kPushed;
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_ENABLE:
      *result = DefaultProcessing(message, wParam, lParam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
