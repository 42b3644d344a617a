#include "platform/win/gdi.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace KestrinWinNS;

// Each owner deletes what it holds: the handle names no object afterwards.
TEST(GdiOwners, DeleteTheirObject) {
  struct Case {
    const char* kind;
    std::function<HGDIOBJ()> make_and_drop;
  };
  const Case cases[] = {
      {"font", [] { CScopedFont o(CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma")); return (HGDIOBJ)o.Get(); }},
      {"bitmap", [] { CScopedBitmap o(CreateBitmap(4, 4, 1, 32, nullptr)); return (HGDIOBJ)o.Get(); }},
      {"region", [] { CScopedRegion o(CreateRectRgn(0, 0, 4, 4)); return (HGDIOBJ)o.Get(); }},
      {"brush", [] { CScopedBrush o(CreateSolidBrush(RGB(1, 2, 3))); return (HGDIOBJ)o.Get(); }},
      {"pen", [] { CScopedPen o(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))); return (HGDIOBJ)o.Get(); }},
      {"memory DC", [] { CScopedMemoryDC o = CreateMemoryDC(nullptr); return (HGDIOBJ)o.Get(); }},
  };
  for (const Case& c : cases) {
    HGDIOBJ dropped = c.make_and_drop();
    ASSERT_NE(nullptr, dropped) << c.kind;
    EXPECT_EQ(0u, GetObjectType(dropped)) << c.kind;
  }
}

TEST(GdiOwners, SelectionIsUndoneInReverseOrder) {
  CScopedMemoryDC dc = CreateMemoryDC(nullptr);
  ASSERT_TRUE(dc.IsValid());
  HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  CScopedBrush red(CreateSolidBrush(RGB(255, 0, 0)));
  CScopedBrush blue(CreateSolidBrush(RGB(0, 0, 255)));
  {
    CSelectObject first(dc.Get(), red.Get());
    {
      CSelectObject second(dc.Get(), blue.Get());
      EXPECT_EQ(blue.Get(), GetCurrentObject(dc.Get(), OBJ_BRUSH));
    }
    EXPECT_EQ(red.Get(), GetCurrentObject(dc.Get(), OBJ_BRUSH));
  }
  EXPECT_EQ(original, GetCurrentObject(dc.Get(), OBJ_BRUSH));
  CSelectObject nothing(dc.Get(), nullptr);
  EXPECT_FALSE(nothing.IsSelected());
}

// The bitmap sits in the DC for the owner's life and is free again afterwards (a bitmap can be
// selected into one DC at a time); the DC itself is deleted.
TEST(GdiOwners, BitmapDCHoldsItsBitmapForItsLifeOnly) {
  CScopedBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
  HDC gone = nullptr;
  {
    CBitmapDC dc(nullptr, bitmap.Get());
    ASSERT_TRUE(dc);
    gone = dc.Get();
    EXPECT_EQ(bitmap.Get(), GetCurrentObject(dc.Get(), OBJ_BITMAP));
    CBitmapDC second(nullptr, bitmap.Get());
    EXPECT_NE(bitmap.Get(), GetCurrentObject(second.Get(), OBJ_BITMAP));
  }
  EXPECT_EQ(0u, GetObjectType(gone));
  CBitmapDC again(nullptr, bitmap.Get());
  EXPECT_EQ(bitmap.Get(), GetCurrentObject(again.Get(), OBJ_BITMAP));
}

// The first pixel of the memory is the top-left one, in blue-green-red order.
TEST(GdiOwners, Dib32IsTopDownWithItsPixelsAtHand) {
  void* bits = nullptr;
  CScopedBitmap dib = CreateDib32(3, 2, &bits);
  ASSERT_TRUE(dib);
  ASSERT_NE(nullptr, bits);
  BITMAP bm{};
  GetObjectW(dib.Get(), sizeof(bm), &bm);
  EXPECT_EQ(3, bm.bmWidth);
  EXPECT_EQ(2, bm.bmHeight);
  EXPECT_EQ(32, bm.bmBitsPixel);
  static_cast<DWORD*>(bits)[0] = 0x00112233;
  static_cast<DWORD*>(bits)[3] = 0x00445566;  // first of the second row
  CBitmapDC dc(nullptr, dib.Get());
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), GetPixel(dc.Get(), 0, 0));
  EXPECT_EQ(RGB(0x44, 0x55, 0x66), GetPixel(dc.Get(), 0, 1));
  void* none = &bits;
  EXPECT_FALSE(CreateDib32(0, 0, &none));
  EXPECT_EQ(nullptr, none);
}

// The frame DC starts at the window's corner, the client DC at the client area's; both go back
// to the window when they go.
TEST(GdiOwners, WindowAndFrameDCsCoverTheirAreasAndGoBack) {
  HWND window = CreateWindowExW(0, L"STATIC", L"dc", WS_OVERLAPPEDWINDOW, 40, 40, 200, 150, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  RECT frame{}, client{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  ASSERT_NE(frame.top, client.top);  // a caption lies between them
  struct Case {
    const char* kind;
    std::function<POINT(HDC*)> origin;
    POINT expected;
  };
  const Case cases[] = {
      {"client", [&](HDC* held) { CScopedClientDC dc(window); POINT p{}; GetDCOrgEx(dc.Get(), &p); *held = dc.Get(); return p; },
       POINT{client.left, client.top}},
      {"frame", [&](HDC* held) { CWindowFrameDC dc(window); POINT p{}; GetDCOrgEx(dc.Get(), &p); *held = dc.Get(); return p; },
       POINT{frame.left, frame.top}},
  };
  for (const Case& c : cases) {
    HDC held = nullptr;
    const POINT origin = c.origin(&held);
    ASSERT_NE(nullptr, held) << c.kind;
    EXPECT_EQ(c.expected.x, origin.x) << c.kind;
    EXPECT_EQ(c.expected.y, origin.y) << c.kind;
    RECT box{};
    EXPECT_EQ(ERROR, GetClipBox(held, &box)) << c.kind << ": the DC was not given back";
  }
  DestroyWindow(window);
}

}  // namespace
