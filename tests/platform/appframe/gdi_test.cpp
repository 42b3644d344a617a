#include <gtest/gtest.h>

#include "platform/appframe/dc.h"
#include "platform/appframe/gdi.h"
#include "platform/win/gdi.h"

namespace {

TEST(GdiObject, TheWrapperDeletesWhatItOwnsAndNothingElse) {
  HGDIOBJ owned = nullptr;
  {
    CBrush brush(RGB(1, 2, 3));
    owned = brush.GetSafeHandle();
    ASSERT_NE(nullptr, owned);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(owned));
  }
  EXPECT_EQ(0u, GetObjectType(owned));

  KestrinWinNS::CScopedGdiObject kept;
  {
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    kept.Reset(pen.Detach());
  }
  EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(kept.Get()));

  // Re-creating replaces (and frees) the previous object.
  CBrush brush(RGB(1, 1, 1));
  HGDIOBJ first = brush.GetSafeHandle();
  brush.CreateSolidBrush(RGB(2, 2, 2));
  EXPECT_EQ(0u, GetObjectType(first));

  // Stock objects and system colour brushes are never deleted.
  HGDIOBJ stock = GetStockObject(BLACK_BRUSH);
  {
    CBrush s;
    s.CreateStockObject(BLACK_BRUSH);
  }
  EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(stock));
}

TEST(DeviceContext, CompatibleDCIsDeletedAttachedDCIsNot) {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  HDC made = nullptr;
  {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(screen.Get()));
    made = dc.GetSafeHdc();
    CBitmap bitmap;
    void* bits = nullptr;
    ASSERT_TRUE(bitmap.Create32BitDIB(8, 4, &bits));
    EXPECT_EQ(8, bitmap.GetSize().cx);
    HGDIOBJ old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, 8, 4, RGB(10, 20, 30));
    EXPECT_EQ(RGB(10, 20, 30), dc.GetPixel(7, 3));
    EXPECT_EQ(0x000A141Eu, static_cast<DWORD*>(bits)[0] & 0xFFFFFF);
    dc.SelectObject(old);
  }
  EXPECT_EQ(0u, GetObjectType(made));
  {
    CDC wrap;
    wrap.Attach(screen.Get());
  }
  EXPECT_EQ(static_cast<DWORD>(OBJ_DC), GetObjectType(screen.Get()));
}

}  // namespace
