#include "toolkit/skin/skin_draw_functions.h"

#include <algorithm>

#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_system.h"

namespace SkinDrawFunctions {

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

namespace {

COLORREF Skin(CTKSkinManager* manager, int index) {
  const COLORREF c = manager->Metrics()->Color(index);
  return c != CLR_INVALID ? c : SkinSystem::GetSysColor(index);
}

// One edge (outer or inner) of the four sides, right and bottom first.
void DrawSides(HDC dc, RECT& rc, UINT flags, COLORREF topLeft, COLORREF bottomRight, int cx, int cy) {
  if (flags & BF_RIGHT) FillSolid(dc, RECT{rc.right - cx, rc.top, rc.right, rc.bottom}, bottomRight);
  if (flags & BF_BOTTOM) FillSolid(dc, RECT{rc.left, rc.bottom - cy, rc.right, rc.bottom}, bottomRight);
  if (flags & BF_LEFT) FillSolid(dc, RECT{rc.left, rc.top, rc.left + cx, rc.bottom - ((flags & BF_BOTTOM) ? cy : 0)}, topLeft);
  if (flags & BF_TOP) FillSolid(dc, RECT{rc.left, rc.top, rc.right - ((flags & BF_RIGHT) ? cx : 0), rc.top + cy}, topLeft);
  if (flags & BF_LEFT) rc.left += cx;
  if (flags & BF_TOP) rc.top += cy;
  if (flags & BF_RIGHT) rc.right -= cx;
  if (flags & BF_BOTTOM) rc.bottom -= cy;
}

void DrawDiagonal(HDC dc, const RECT& rc, COLORREF color, int width) {
  const int n = std::min(rc.right - rc.left, rc.bottom - rc.top);
  for (int i = 0; i < n; ++i) FillSolid(dc, RECT{rc.left + i, rc.bottom - 1 - i, rc.left + i + width, rc.bottom - i}, color);
}

}  // namespace

BOOL DrawEdge(CTKSkinManager* manager, HDC dc, RECT* rc, UINT edge, UINT flags) {
  const COLORREF light = SkinSystem::GetSysColor(COLOR_3DLIGHT);
  const COLORREF highlight = Skin(manager, COLOR_3DHILIGHT), shadow = Skin(manager, COLOR_3DSHADOW),
                 dark = Skin(manager, COLOR_3DDKSHADOW), face = Skin(manager, COLOR_3DFACE);
  const bool soft = (flags & BF_SOFT) != 0;
  const bool mono = (flags & BF_MONO) != 0;
  const bool flat = mono || (flags & BF_FLAT) != 0;
  RECT r = *rc;
  const int cx = GetSystemMetrics(SM_CXBORDER), cy = GetSystemMetrics(SM_CYBORDER);
  struct Pair {
    COLORREF tl, br;
  };
  // Outer then inner edge, in the system's pairing.
  Pair outer{}, inner{};
  bool hasOuter = false, hasInner = false;
  if (edge & BDR_RAISEDOUTER) outer = {soft ? highlight : light, dark}, hasOuter = true;
  if (edge & BDR_SUNKENOUTER) outer = {soft ? dark : shadow, highlight}, hasOuter = true;
  if (edge & BDR_RAISEDINNER) inner = {soft ? light : highlight, shadow}, hasInner = true;
  if (edge & BDR_SUNKENINNER) inner = {soft ? shadow : dark, light}, hasInner = true;
  if (flat) {
    outer = mono ? Pair{Skin(manager, COLOR_WINDOWFRAME), Skin(manager, COLOR_WINDOWFRAME)} : Pair{shadow, shadow};
    inner = mono ? Pair{Skin(manager, COLOR_WINDOW), Skin(manager, COLOR_WINDOW)} : Pair{face, face};
  }
  if (flags & BF_DIAGONAL) {
    if (hasOuter) DrawDiagonal(dc, r, outer.br, cx);
    return TRUE;
  }
  if (hasOuter) DrawSides(dc, r, flags, outer.tl, outer.br, cx, cy);
  if (hasInner) DrawSides(dc, r, flags, inner.tl, inner.br, cx, cy);
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    FillSolid(dc, r, mono ? Skin(manager, COLOR_WINDOW) : face);
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

BOOL DrawFrameControl(CTKSkinManager* manager, HDC dc, RECT* rc, UINT type, UINT state) {
  if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONPUSH) {
    RECT r = *rc;
    const bool sunken = (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
    DrawEdge(manager, dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillSolid(dc, r, Skin(manager, COLOR_BTNFACE));
    if (state & DFCS_ADJUSTRECT) *rc = r;
    return TRUE;
  }
  if (type != DFC_SCROLL) return FALSE;
  CTKSkinManagerClass* scroll = manager->FindOrAddSkinClass(L"SCROLLBAR");
  if (state & DFCS_SCROLLSIZEGRIP) {
    FillSolid(dc, *rc, Skin(manager, COLOR_BTNFACE));
    return scroll->DrawBackground(dc, 10, 1, *rc);
  }
  const UINT arrow = state & 0xFF;
  if (arrow > DFCS_SCROLLRIGHT) return FALSE;
  const int base = (state & DFCS_INACTIVE) ? 4 : (state & DFCS_PUSHED) ? 3 : 1;
  // ARROWBTN states: up 1..4, down 5..8, left 9..12, right 13..16.
  return scroll->DrawBackground(dc, 1, base + 4 * static_cast<int>(arrow), *rc);
}

}  // namespace SkinDrawFunctions
