// The skin's versions of the system's DrawEdge and DrawFrameControl.
#pragma once

#include <windows.h>

class CTKSkinManager;

namespace SkinDrawFunctions {

BOOL DrawEdge(CTKSkinManager* manager, HDC dc, RECT* rc, UINT edge, UINT flags);
// FALSE for requests left to the system.
BOOL DrawFrameControl(CTKSkinManager* manager, HDC dc, RECT* rc, UINT type, UINT state);
void FillSolid(HDC dc, const RECT& rc, COLORREF color);

}  // namespace SkinDrawFunctions
