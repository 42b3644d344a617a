#include "toolkit/skin/skin_object_menu.h"

#include "platform/win/gdi.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"

void CTKSkinObjectMenu::PaintFrame(HDC dc) {
  RECT window, client;
  GetWindowRect(hwnd_, &window);
  OffsetRect(&window, -window.left, -window.top);
  GetClientRect(hwnd_, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  RECT screen;
  GetWindowRect(hwnd_, &screen);
  OffsetRect(&client, origin.x - screen.left, origin.y - screen.top);
  // One pixel of shadow colour outside, the menu colour between it and the items.
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  CTKDrawHelpers::FillSolidRect(dc, window, SkinControl::Color(manager_, COLOR_BTNSHADOW));
  InflateRect(&window, -1, -1);
  CTKDrawHelpers::FillSolidRect(dc, window, SkinControl::Color(manager_, COLOR_MENU));
  RestoreDC(dc, saved);
}

void CTKSkinObjectMenu::PaintClient(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  CTKBufferDC buffer(dc, client);
  CTKDrawHelpers::FillSolidRect(buffer, client, SkinControl::Color(manager_, COLOR_MENU));
  DefaultProcessing(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(buffer)), PRF_CLIENT);
}

LRESULT CTKSkinObjectMenu::WithoutRedraw(UINT message, WPARAM wParam, LPARAM lParam) {
  // The menu would draw the new selection with the system's look: it is drawn by the skin after.
  DefaultProcessing(WM_SETREDRAW, FALSE, 0);
  const LRESULT result = DefaultProcessing(message, wParam, lParam);
  if (IsWindow(hwnd_)) {
    DefaultProcessing(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  return result;
}

bool CTKSkinObjectMenu::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_NCPAINT: {
      KestrinWinNS::CWindowFrameDC dc(hwnd_);
      PaintFrame(dc.Get());
      return true;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      CTKSkinObjectPaintDC paint(hwnd_, wParam);
      PaintClient(paint.dc());
      return true;
    }
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (lParam & PRF_NONCLIENT) PaintFrame(dc);
      if (lParam & PRF_CLIENT) {
        RECT screen;
        GetWindowRect(hwnd_, &screen);
        POINT origin{0, 0};
        ClientToScreen(hwnd_, &origin);
        POINT old;
        OffsetViewportOrgEx(dc, origin.x - screen.left, origin.y - screen.top, &old);
        PaintClient(dc);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
      }
      return true;
    }
    case kSelectItem:
    case WM_CHAR:
      *result = WithoutRedraw(message, wParam, lParam);
      return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (wParam != VK_UP && wParam != VK_DOWN) return false;
      *result = WithoutRedraw(message, wParam, lParam);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
