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

}  // namespace
