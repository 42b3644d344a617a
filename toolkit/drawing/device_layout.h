// A DC taken in device terms for a while: a right-to-left (mirrored) DC is switched to the
// left-to-right layout for the scope's lifetime and gets its own layout back at the end. Copies
// between two DCs so held move pixels as they lie, with no mirroring of the image on the way.
// The layout functions are looked up by name; without them no DC is mirrored.
#pragma once

#include <windows.h>

#include "platform/win/module.h"

class CTKDeviceLayoutScope {
 public:
  explicit CTKDeviceLayoutScope(HDC dc) : dc_(dc) {
    const Functions& f = Get();
    if (!dc_ || !f.get || !f.set) return;
    const DWORD layout = f.get(dc_);
    if (layout == GDI_ERROR || !(layout & LAYOUT_RTL)) return;
    layout_ = layout;
    f.set(dc_, 0);
  }
  ~CTKDeviceLayoutScope() {
    if (IsMirrored()) Get().set(dc_, layout_);
  }
  CTKDeviceLayoutScope(const CTKDeviceLayoutScope&) = delete;
  CTKDeviceLayoutScope& operator=(const CTKDeviceLayoutScope&) = delete;

  // Whether the DC was mirrored when the scope took it.
  bool IsMirrored() const { return layout_ != 0; }

  // A rectangle in the DC's own (logical) terms, in device terms. Call before taking the DC.
  static RECT ToDevice(HDC dc, const RECT& logical) {
    POINT pts[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
    RECT out = logical;
    if (!dc || !::LPtoDP(dc, pts, 2)) return out;
    out = RECT{pts[0].x, pts[0].y, pts[1].x, pts[1].y};
    if (out.left > out.right) {
      // A mirrored DC maps the point x to width - 1 - x: its edges swap and lie one pixel left.
      const LONG left = out.right + 1;
      out.right = out.left + 1;
      out.left = left;
    }
    if (out.top > out.bottom) {
      const LONG top = out.bottom;
      out.bottom = out.top;
      out.top = top;
    }
    return out;
  }

 private:
  using GetLayoutFn = DWORD(WINAPI*)(HDC);
  using SetLayoutFn = DWORD(WINAPI*)(HDC, DWORD);
  struct Functions {
    GetLayoutFn get = nullptr;
    SetLayoutFn set = nullptr;
  };
  static const Functions& Get() {
    static const Functions functions = [] {
      Functions f;
      f.get = KestrinWinNS::SystemFunctionAs<GetLayoutFn>("gdi32.dll", "GetLayout");
      f.set = KestrinWinNS::SystemFunctionAs<SetLayoutFn>("gdi32.dll", "SetLayout");
      return f;
    }();
    return functions;
  }

  HDC dc_;
  DWORD layout_ = 0;
};
