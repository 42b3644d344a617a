#include <vector>

#include "common/shadowmouse/shadow_mouse.h"
#include "common/utility/platform.h"
#include "platform/win/gdi.h"
#include "platform/win/module.h"

namespace ShadowMouseNS {

const char kFakeCursorClass[] = "Torvan_ZNR_Shadow_Class";

HMODULE GetPointerResourceModule() {
  HMODULE module = GetModuleHandleA(UtilityClassesNS::GetIE32AddonFileName());
  if (!module) module = GetModuleHandleA(UtilityClassesNS::GetIE64AddonFileName());
  if (!module) module = GetModuleHandleA(nullptr);
  return module;
}

HINSTANCE GetCodeModule() { return KestrinWinNS::CodeModule(); }

bool RegisterEffectClass(const char* name, UINT style, HBRUSH background, HCURSOR cursor) {
  WNDCLASSEXA wc = {sizeof(wc)};
  wc.style = style;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return KestrinWinNS::CWindowBase::RegisterWindowClass(wc);
}

HRGN CreateShapeRegion(HBITMAP bitmap) {
  std::vector<DWORD> pixels;
  SIZE size = {};
  if (!KestrinWinNS::ReadPixels32(bitmap, &pixels, &size)) return nullptr;
  const int width = size.cx, height = size.cy;

  HRGN shape = CreateRectRgn(0, 0, width, height);
  if (!shape) return nullptr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (pixels[static_cast<size_t>(y) * width + x] != 0x00FFFFFF) continue;
      KestrinWinNS::CScopedRegion dot(CreateRectRgn(x, y, x + 1, y + 1));
      if (dot) CombineRgn(shape, shape, dot.Get(), RGN_DIFF);
    }
  }
  return shape;
}

CFakeCursor::CFakeCursor() {}

CFakeCursor::~CFakeCursor() {
  if (GetHwnd()) DestroyWindow(GetHwnd());
}

BOOL CFakeCursor::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message == WM_ERASEBKGND) {
    result = Paint() ? 1 : 0;
    return TRUE;
  }
  return FALSE;
}

bool CFakeCursor::Create(const RECT& rect, HRGN shape) {
  if (!shape || GetHwnd()) return false;
  if (!RegisterEffectClass(kFakeCursorClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), LoadCursor(nullptr, IDC_ARROW))) {
    return false;
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, width, height));
  if (!region) return false;
  CombineRgn(region.Get(), region.Get(), shape, RGN_AND);

  DWORD style = child_ ? WS_CHILD : WS_POPUP;
  DWORD ex_style = child_ ? WS_EX_TOPMOST : (WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  CWindowBase::Create(kFakeCursorClass, ex_style, style, rect, nullptr);
  if (!GetHwnd() || !SetWindowRgn(GetHwnd(), region.Get(), FALSE)) {
    if (GetHwnd()) DestroyWindow(GetHwnd());
    return false;
  }
  region.Take();  // the window owns the region now
  return true;
}

void CFakeCursor::MoveTo(POINT at) {
  if (!GetHwnd()) return;
  SetWindowPos(GetHwnd(), HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void CFakeCursor::SetFillColour(COLORREF colour) {
  if (colour == fill_colour_) return;
  fill_brush_.Reset();
  fill_colour_ = colour;
}

void CFakeCursor::Show(bool show) {
  if (GetHwnd()) ShowWindow(GetHwnd(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

bool CFakeCursor::Paint() {
  if (!GetHwnd()) return false;
  if (!fill_brush_) fill_brush_.Reset(CreateSolidBrush(fill_colour_));
  if (!outline_brush_) outline_brush_.Reset(CreateSolidBrush(outline_colour_));
  KestrinWinNS::CScopedClientDC dc(GetHwnd());
  if (!dc) return false;
  RECT client;
  GetClientRect(GetHwnd(), &client);
  FillRect(dc.Get(), &client, fill_brush_.Get());
  if (outline_) {
    KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetWindowRgn(GetHwnd(), region.Get()) != ERROR)
      FrameRgn(dc.Get(), region.Get(), outline_brush_.Get(), frame_width_, frame_width_);
  }
  return true;
}

}  // namespace ShadowMouseNS
