#include <vector>

#include "common/shadowmouse/shadow_mouse.h"
#include "common/utility/platform.h"

namespace ShadowMouseNS {

const char kFakeCursorClass[] = "Torvan_ZNR_Shadow_Class";

HMODULE GetPointerResourceModule() {
  HMODULE module = GetModuleHandleA(UtilityClassesNS::GetIE32AddonFileName());
  if (!module) module = GetModuleHandleA(UtilityClassesNS::GetIE64AddonFileName());
  if (!module) module = GetModuleHandleA(nullptr);
  return module;
}

HINSTANCE GetCodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<const char*>(&GetCodeModule), &module);
  return module ? module : GetModuleHandleA(nullptr);
}

bool RegisterEffectClass(const char* name, WNDPROC procedure, UINT style, HBRUSH background, HCURSOR cursor) {
  HINSTANCE instance = GetCodeModule();
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExA(instance, name, &wc)) {
    if (wc.lpfnWndProc == procedure) return true;
    UnregisterClassA(name, instance);
  }
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HRGN CreateShapeRegion(HBITMAP bitmap) {
  BITMAP info;
  if (!bitmap || GetObjectA(bitmap, sizeof(info), &info) != sizeof(info)) return nullptr;
  const int width = info.bmWidth, height = info.bmHeight;
  if (width <= 0 || height <= 0) return nullptr;

  BITMAPINFO request = {};
  request.bmiHeader.biSize = sizeof(request.bmiHeader);
  request.bmiHeader.biWidth = width;
  request.bmiHeader.biHeight = -height;  // top-down rows
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) return nullptr;

  HRGN shape = CreateRectRgn(0, 0, width, height);
  if (!shape) return nullptr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((pixels[static_cast<size_t>(y) * width + x] & 0x00FFFFFF) != 0x00FFFFFF) continue;
      HRGN dot = CreateRectRgn(x, y, x + 1, y + 1);
      if (dot) {
        CombineRgn(shape, shape, dot, RGN_DIFF);
        DeleteObject(dot);
      }
    }
  }
  return shape;
}

CFakeCursor::CFakeCursor() {}

CFakeCursor::~CFakeCursor() {
  if (window_) DestroyWindow(window_);
  if (fill_brush_) DeleteObject(fill_brush_);
  if (outline_brush_) DeleteObject(outline_brush_);
}

WNDPROC CFakeCursor::GetWindowProc() { return &CFakeCursor::WindowProc; }

void CFakeCursor::OnFinalMessage(HWND) {}

BOOL CFakeCursor::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message == WM_ERASEBKGND) {
    result = Paint() ? 1 : 0;
    return TRUE;
  }
  return FALSE;
}

LRESULT CALLBACK CFakeCursor::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  CFakeCursor* self;
  if (message == WM_NCCREATE) {
    self = static_cast<CFakeCursor*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  } else {
    self = reinterpret_cast<CFakeCursor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  LRESULT result = 0;
  if (self && self->ProcessWindowMessage(window, message, wparam, lparam, result)) return result;
  result = DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_NCDESTROY && self) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->OnFinalMessage(window);
  }
  return result;
}

bool CFakeCursor::Create(const RECT& rect, HRGN shape) {
  if (!shape || window_) return false;
  if (!RegisterEffectClass(kFakeCursorClass, GetWindowProc(), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), LoadCursor(nullptr, IDC_ARROW))) {
    return false;
  }
  HINSTANCE instance = GetCodeModule();
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HRGN region = CreateRectRgn(0, 0, width, height);
  if (!region) return false;
  CombineRgn(region, region, shape, RGN_AND);

  DWORD style = child_ ? WS_CHILD : WS_POPUP;
  DWORD ex_style = child_ ? WS_EX_TOPMOST : (WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  CreateWindowExA(ex_style, kFakeCursorClass, "", style, rect.left, rect.top, width, height, nullptr, nullptr,
                  instance, this);
  if (!window_ || !SetWindowRgn(window_, region, FALSE)) {
    DeleteObject(region);  // the window owns the region only when SetWindowRgn took it
    if (window_) DestroyWindow(window_);
    return false;
  }
  return true;
}

void CFakeCursor::MoveTo(POINT at) {
  if (!window_) return;
  SetWindowPos(window_, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void CFakeCursor::SetFillColour(COLORREF colour) {
  if (colour == fill_colour_) return;
  if (fill_brush_) {
    DeleteObject(fill_brush_);
    fill_brush_ = nullptr;
  }
  fill_colour_ = colour;
}

void CFakeCursor::Show(bool show) {
  if (window_) ShowWindow(window_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

bool CFakeCursor::Paint() {
  if (!window_) return false;
  if (!fill_brush_) fill_brush_ = CreateSolidBrush(fill_colour_);
  if (!outline_brush_) outline_brush_ = CreateSolidBrush(outline_colour_);
  HDC dc = GetDC(window_);
  if (!dc) return false;
  RECT client;
  GetClientRect(window_, &client);
  FillRect(dc, &client, fill_brush_);
  if (outline_) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (region && GetWindowRgn(window_, region) != ERROR) FrameRgn(dc, region, outline_brush_, frame_width_, frame_width_);
    if (region) DeleteObject(region);
  }
  ReleaseDC(window_, dc);
  return true;
}

}  // namespace ShadowMouseNS
