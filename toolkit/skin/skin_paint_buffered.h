// Painting a skinned control's client area through an off-screen buffer.
#pragma once

#include <windows.h>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_object.h"

// Paints the client area on the DC that WM_PAINT or WM_PRINTCLIENT brings (else BeginPaint's),
// through a buffer the size of the client area, so the control never shows half drawn.
template <class PaintFn>
void PaintClientBuffered(HWND hwnd, WPARAM wParam, PaintFn paint) {
  CTKSkinObjectPaintDC target(hwnd, wParam);
  RECT client;
  GetClientRect(hwnd, &client);
  CTKBufferDC buffer(target.dc(), client);
  paint(buffer);
}
