#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/shadowmouse/shadow_mouse.h"
#include "common/windowing/validation_border.h"
#include "platform/win/gdi.h"

using namespace ShadowMouseNS;

namespace {

// The documented pointer: rows 0-13 a right triangle, then the arrow's foot.
bool InPointerShape(int x, int y) {
  if (y <= 13) return x <= y;
  struct Span { int a, b; };
  static const std::vector<std::vector<Span>> rows = {
      {{0, 8}}, {{0, 8}}, {{0, 3}, {5, 8}}, {{0, 2}, {5, 8}}, {{0, 1}, {6, 9}},
      {{0, 0}, {6, 9}}, {{6, 9}}, {{7, 10}}, {{7, 10}}, {{7, 10}}};
  for (const Span& s : rows[y - 14])
    if (x >= s.a && x <= s.b) return true;
  return false;
}

// Effects with the look and ending set by the test instead of the registry.
template <class Effect>
class Configured : public Effect {
 public:
  explicit Configured(CShadowMouseEngine* engine) : Effect(nullptr, kPointerBitmapId, engine) {}
  void Configure(COLORREF colour, DWORD kraida_state, DWORD kraida_delay_ms, int end_action = -1) {
    this->colour_ = colour;
    this->kraida_state_ = kraida_state;
    this->kraida_delay_ = kraida_delay_ms;
    if (end_action >= 0) this->end_action_ = end_action;
  }
  void Tick(UINT_PTR timer) { SendMessageA(this->GetWindow(), WM_TIMER, timer, 0); }
};

class TestEngine : public CShadowMouseEngine {
 public:
  void SetEffectKind(LONG kind) { effect_kind_ = kind; }
};

// Puts the given settings values back as they were (or removes the key it made) when it goes.
class SettingsSnapshot {
 public:
  SettingsSnapshot() {
    KestrinWinNS::CScopedRegKey key;
    existed_ =
        RegOpenKeyExA(HKEY_CURRENT_USER, SettingsUtilsNS::kSettingsKeyPath, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
    if (!existed_) return;
    for (Value& v : values_) {
      DWORD size = sizeof(v.data);
      v.present =
          RegQueryValueExA(key.Get(), v.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v.data), &size) == ERROR_SUCCESS;
    }
  }
  ~SettingsSnapshot() {
    if (!existed_) {
      RegDeleteTreeA(HKEY_CURRENT_USER, SettingsUtilsNS::kSettingsKeyPath);
      RegDeleteKeyA(HKEY_CURRENT_USER, SettingsUtilsNS::kSettingsKeyPath);
      return;
    }
    KestrinWinNS::CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsUtilsNS::kSettingsKeyPath, 0, KEY_SET_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
      return;
    }
    for (const Value& v : values_) {
      if (v.present) {
        RegSetValueExA(key.Get(), v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.data), sizeof(v.data));
      } else {
        RegDeleteValueA(key.Get(), v.name);
      }
    }
  }

 private:
  struct Value {
    const char* name;
    DWORD data;
    bool present;
  };
  bool existed_ = false;
  Value values_[4] = {{"BorderColour", 0, false}, {"Current_KRAIDA_State", 0, false},
                      {"KRAIDA_ValidatingFor", 0, false}, {"ShowCursorType", 0, false}};
};

bool Pump(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

bool Visible(const CFakeCursor* pointer) { return pointer && IsWindowVisible(pointer->GetWindow()); }

POINT TopLeft(const CFakeCursor* pointer) {
  RECT r;
  GetWindowRect(pointer->GetWindow(), &r);
  return POINT{r.left, r.top};
}

class ShadowMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    browser = CreateWindowExA(0, "STATIC", "browser", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(browser);
    border.SetBrowserWindow(browser);
    // Away from the border's ring, where hiding it would wait for the pointer to leave.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    engine.Initialize(&border, browser);
  }
  void TearDown() override {
    engine.StopEffect();
    border.Close();
    DestroyWindow(browser);
  }

  HWND browser = nullptr;
  WindowingNS::CValidationBorder border{nullptr};
  TestEngine engine;
};

TEST_F(ShadowMouse, PointerShapeFromTheBitmap) {
  KestrinWinNS::CScopedBitmap bitmap_owner(static_cast<HBITMAP>(LoadImageA(
      GetPointerResourceModule(), MAKEINTRESOURCEA(kPointerBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  const HBITMAP bitmap = bitmap_owner.Get();
  ASSERT_TRUE(bitmap);
  BITMAP info;
  GetObjectA(bitmap, sizeof(info), &info);
  EXPECT_EQ(kPointerWidth, info.bmWidth);
  EXPECT_EQ(kPointerHeight, info.bmHeight);
  KestrinWinNS::CScopedRegion shape_owner(CreateShapeRegion(bitmap));
  const HRGN shape = shape_owner.Get();
  ASSERT_TRUE(shape);
  for (int y = 0; y < kPointerHeight; ++y)
    for (int x = 0; x < kPointerWidth; ++x)
      EXPECT_EQ(InPointerShape(x, y), PtInRegion(shape, x, y) != FALSE) << x << "," << y;
  EXPECT_FALSE(CreateShapeRegion(nullptr));
}

TEST_F(ShadowMouse, TrailStepCountAndInterval) {
  Configured<CMovingMouse> trail(&engine);
  // One step is the pointer's diagonal plus a pixel each side: sqrt(16^2 + 26^2) = 30.53.
  EXPECT_NEAR(30.53f, trail.GetStepLength(), 0.01f);
  struct Case { POINT from, to; int steps; UINT interval; } cases[] = {
      {{100, 100}, {400, 100}, 9, 50},
      {{0, 0}, {620, 0}, 20, 50},     // 20 steps or fewer: 50 ms a pointer
      {{0, 0}, {645, 0}, 21, 47},     // then 1000 / n
      {{0, 0}, {1230, 0}, 40, 25},
      {{500, 500}, {260, 320}, 9, 50},  // 300 pixels up and to the left
      {{10, 10}, {10, 30}, 0, 50},    // closer than one step
      {{10, 10}, {10, 10}, 0, 50},    // no path at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to.x);
    trail.Configure(0x00FF00, 1, 1000);
    trail.SetPoints(c.from, c.to);
    ASSERT_TRUE(trail.Start());
    EXPECT_FALSE(trail.Start());  // already running
    EXPECT_EQ(c.steps, trail.GetStepCount());
    EXPECT_EQ(c.interval, trail.GetShowInterval());
    EXPECT_EQ(c.interval, trail.GetHideInterval());
    EXPECT_GE(trail.GetTrailSize(), static_cast<size_t>(c.steps));
    EXPECT_TRUE(trail.Stop());
    EXPECT_FALSE(trail.Stop());
  }
}

TEST_F(ShadowMouse, TrailRunsOutAndBack) {
  Configured<CMovingMouse> trail(&engine);
  trail.Configure(0x00FF00, 3, 0, kEndNever);
  trail.SetPoints({200, 300}, {440, 120});  // 300 pixels: 9 steps of 33.3 (26.7 right, 20 up)
  ASSERT_TRUE(trail.Start());
  EXPECT_TRUE(border.IsBorderVisible());
  const int n = trail.GetStepCount();
  ASSERT_EQ(9, n);
  for (int k = 0; k < n; ++k) {
    EXPECT_FALSE(Visible(trail.GetTrailPointer(k)));
    EXPECT_FALSE(trail.IsHiding());
    trail.Tick(kTimerShowTrail);
    const CFakeCursor* pointer = trail.GetTrailPointer(k);
    EXPECT_TRUE(Visible(pointer)) << k;
    POINT at = TopLeft(pointer);
    EXPECT_NEAR(200 + 80.0 * k / 3, at.x, 1.0) << k;  // truncated sums of float steps
    EXPECT_NEAR(300 - 20.0 * k, at.y, 1.0) << k;
  }
  EXPECT_TRUE(trail.IsHiding());  // the last pointer shown starts the way back
  EXPECT_FALSE(Visible(trail.GetTrailPointer(n)));
  // The trail disappears from the start end, one pointer a tick.
  for (int k = 0; k < n; ++k) {
    EXPECT_FALSE(trail.IsDone());
    trail.Tick(kTimerHideTrail);
    for (int j = 0; j < n; ++j) EXPECT_EQ(j > k, Visible(trail.GetTrailPointer(j))) << k << " " << j;
  }
  EXPECT_TRUE(trail.IsDone());
  EXPECT_TRUE(trail.IsRunning());  // end action 3: stays
  EXPECT_TRUE(trail.Stop());
  EXPECT_FALSE(border.IsBorderVisible());
}

TEST_F(ShadowMouse, TrailColourRamp) {
  Configured<CMovingMouse> trail(&engine);
  struct Case { COLORREF colour; COLORREF first; } cases[] = {
      {RGB(0, 255, 0), RGB(192, 255, 192)},
      {RGB(0, 0, 255), RGB(192, 192, 255)},
      {RGB(255, 255, 255), RGB(255, 255, 255)},
  };
  for (const Case& c : cases) {
    trail.Configure(c.colour, 3, 0, kEndNever);
    trail.SetPoints({100, 100}, {400, 100});
    ASSERT_TRUE(trail.Start());
    for (int k = 0; k < trail.GetStepCount(); ++k) trail.Tick(kTimerShowTrail);
    EXPECT_EQ(c.first, trail.GetTrailPointer(0)->GetFillColour());
    // Each channel falls by 3/4 of its tint over the path: 63 * 3 = 189 at its end.
    for (int k = 1; k < 9; ++k) {
      COLORREF before = trail.GetTrailPointer(k - 1)->GetFillColour();
      COLORREF now = trail.GetTrailPointer(k)->GetFillColour();
      for (int shift : {0, 8, 16}) EXPECT_LE((now >> shift) & 0xFF, (before >> shift) & 0xFF);
    }
    EXPECT_EQ(trail.ColourAt(300.0f), RGB(255 - 4 * ((255 - GetRValue(c.colour)) / 4),
                                          255 - 4 * ((255 - GetGValue(c.colour)) / 4),
                                          255 - 4 * ((255 - GetBValue(c.colour)) / 4)));
    COLORREF last = trail.GetTrailPointer(8)->GetFillColour();  // at 266.7 of 300 pixels
    if (c.colour == RGB(0, 255, 0)) {
      EXPECT_NEAR(24, GetRValue(last), 1);
      EXPECT_EQ(255, GetGValue(last));
    }
    trail.Stop();
  }
}

TEST_F(ShadowMouse, PathShorterThanOneStepEndsAfterOneTick) {
  Configured<CMovingMouse> trail(&engine);
  for (POINT to : {POINT{110, 110}, POINT{100, 100}}) {
    trail.Configure(0x00FF00, 5, 0, kEndAtOnce);
    trail.SetPoints({100, 100}, to);
    ASSERT_TRUE(trail.Start());
    ASSERT_EQ(0, trail.GetStepCount());
    trail.Tick(kTimerShowTrail);
    EXPECT_TRUE(trail.IsHiding());
    EXPECT_FALSE(Visible(trail.GetTrailPointer(0)));
    trail.Tick(kTimerHideTrail);
    EXPECT_FALSE(trail.IsRunning());  // end action 1 stopped it
    EXPECT_FALSE(border.IsBorderVisible());
  }
}

TEST_F(ShadowMouse, TrailEndings) {
  Configured<CMovingMouse> trail(&engine);
  auto run_to_done = [&] {
    trail.SetPoints({100, 100}, {100, 170});  // two steps
    ASSERT_TRUE(trail.Start());
    for (int i = 0; i < 2; ++i) trail.Tick(kTimerShowTrail);
    for (int i = 0; i < 2; ++i) trail.Tick(kTimerHideTrail);
  };
  // KRAIDA state 1 keeps the final state for KRAIDA_ValidatingFor seconds.
  trail.Configure(0x00FF00, 1, 2000);
  run_to_done();
  EXPECT_TRUE(trail.IsDone());
  EXPECT_EQ(kEndAfterDelay, trail.GetEndAction());
  EXPECT_EQ(2000u, trail.GetEndDelay());
  EXPECT_TRUE(trail.IsRunning());
  trail.Tick(kTimerEndDelay);
  EXPECT_FALSE(trail.IsRunning());

  // State 0 waits until the real pointer moves; the first sample only sets the reference.
  trail.Configure(0x00FF00, 0, 0);
  SetCursorPos(300, 300);
  run_to_done();
  EXPECT_TRUE(trail.IsDone());
  EXPECT_EQ(kEndOnPointerMove, trail.GetEndAction());
  trail.Tick(kTimerWatchPointer);
  trail.Tick(kTimerWatchPointer);
  EXPECT_TRUE(trail.IsRunning());
  POINT p;
  GetCursorPos(&p);
  SetCursorPos(p.x + 5, p.y + 5);
  POINT moved;
  GetCursorPos(&moved);
  if (moved.x != p.x || moved.y != p.y) {
    trail.Tick(kTimerWatchPointer);
    EXPECT_FALSE(trail.IsRunning());
  } else {
    ADD_FAILURE() << "the pointer cannot be moved here";
  }

  // Any other state keeps the ending it had: at once.
  trail.Configure(0x00FF00, 7, 0, kEndAtOnce);
  run_to_done();
  EXPECT_FALSE(trail.IsRunning());
}

TEST_F(ShadowMouse, BlinksThreeTimesOnTheEndPoint) {
  Configured<CShadowMouseBlinking> blink(&engine);
  blink.Configure(RGB(200, 0, 0), 1, 2000);
  blink.SetPoints({10, 10}, {321, 234});
  ASSERT_TRUE(blink.Start());
  EXPECT_FALSE(blink.Start());
  EXPECT_TRUE(border.IsBorderVisible());
  const CFakeCursor* pointer = blink.GetPointer();
  EXPECT_EQ(RGB(200, 0, 0), pointer->GetFillColour());
  POINT at = TopLeft(pointer);
  EXPECT_EQ(321, at.x);
  EXPECT_EQ(234, at.y);
  const bool expected[] = {true, false, true, false, true, true};
  int shown = 0;
  bool was = false;
  for (bool e : expected) {
    blink.Tick(kTimerBlink);
    EXPECT_EQ(e, Visible(pointer));
    if (Visible(pointer) && !was) ++shown;
    was = Visible(pointer);
  }
  EXPECT_EQ(3, shown);
  // State 1: the pointer stays for the delay, then goes with the border.
  EXPECT_EQ(2000u, blink.GetEndDelay());
  EXPECT_TRUE(blink.IsRunning());
  blink.Tick(kTimerEndDelay);
  EXPECT_FALSE(Visible(pointer));
  EXPECT_FALSE(blink.IsRunning());
  EXPECT_FALSE(border.IsBorderVisible());
}

TEST_F(ShadowMouse, BlinkingEndings) {
  Configured<CShadowMouseBlinking> blink(&engine);
  auto blink_out = [&] {
    blink.SetPoints({0, 0}, {50, 60});
    ASSERT_TRUE(blink.Start());
    for (int i = 0; i < 6; ++i) blink.Tick(kTimerBlink);
  };
  blink.Configure(0, 5, 0, kEndAtOnce);
  blink_out();
  EXPECT_FALSE(Visible(blink.GetPointer()));
  EXPECT_TRUE(blink.Stop());

  blink.Configure(0, 5, 0, kEndNever);
  blink_out();
  EXPECT_TRUE(Visible(blink.GetPointer()));
  EXPECT_TRUE(blink.Stop());
  EXPECT_FALSE(Visible(blink.GetPointer()));
  EXPECT_FALSE(border.IsBorderVisible());

  blink.Configure(0, 0, 0);
  SetCursorPos(200, 200);
  blink_out();
  blink.Tick(kTimerWatchPointer);
  blink.Tick(kTimerWatchPointer);
  EXPECT_TRUE(blink.IsRunning());
  SetCursorPos(210, 200);
  blink.Tick(kTimerWatchPointer);
  EXPECT_FALSE(blink.IsRunning());
  EXPECT_FALSE(Visible(blink.GetPointer()));
}

TEST_F(ShadowMouse, EngineChoosesTheEffectBySetting) {
  struct Case { LONG kind; bool blinking; } cases[] = {{1, true}, {0, false}, {5, false}};
  for (const Case& c : cases) {
    engine.SetEffectKind(c.kind);
    ASSERT_TRUE(engine.StartEffect({10, 10}, {300, 10}));
    EXPECT_TRUE(engine.IsEffectRunning());
    CShadowMouseEffectsBase* effect = engine.GetCurrentEffect();
    ASSERT_TRUE(effect);
    EXPECT_EQ(c.blinking, dynamic_cast<CShadowMouseBlinking*>(effect) != nullptr);
    EXPECT_TRUE(effect->IsRunning());
    engine.StopEffect();
    EXPECT_FALSE(engine.IsEffectRunning());
    EXPECT_FALSE(effect->IsRunning());
  }
  // One effect object per kind.
  engine.SetEffectKind(0);
  engine.StartEffect({10, 10}, {300, 10});
  CShadowMouseEffectsBase* first = engine.GetCurrentEffect();
  engine.StopEffect();
  engine.StartEffect({10, 10}, {300, 10});
  EXPECT_EQ(first, engine.GetCurrentEffect());
  // Switching kinds while one runs stops the other.
  engine.SetEffectKind(1);
  engine.StartEffect({10, 10}, {300, 10});
  EXPECT_FALSE(first->IsRunning());
}

TEST_F(ShadowMouse, RestartWhileRunningMovesTheRestOfTheTrail) {
  engine.SetEffectKind(0);
  ASSERT_TRUE(engine.StartEffect({100, 100}, {400, 100}));
  CMovingMouse* trail = dynamic_cast<CMovingMouse*>(engine.GetCurrentEffect());
  ASSERT_TRUE(trail);
  for (int k = 0; k < 3; ++k) SendMessageA(trail->GetWindow(), WM_TIMER, kTimerShowTrail, 0);
  EXPECT_TRUE(engine.StartEffect({100, 200}, {400, 100}));  // the effect itself refuses to start again
  EXPECT_EQ(3, trail->GetShownCount());
  // The next pointer's place was worked out with the old start; the ones after it follow the new.
  for (int k = 0; k < 2; ++k) SendMessageA(trail->GetWindow(), WM_TIMER, kTimerShowTrail, 0);
  EXPECT_EQ(100, TopLeft(trail->GetTrailPointer(3)).y);
  POINT at = TopLeft(trail->GetTrailPointer(4));
  EXPECT_NEAR(233, at.x, 1);
  EXPECT_EQ(200, at.y);
}

TEST_F(ShadowMouse, BorderCaptionAndBorderHelpers) {
  engine.SetBorderCaption("Seal of Example Ltd");
  EXPECT_EQ(std::string("Seal of Example Ltd"), std::string(border.GetCaptionText()));
  EXPECT_TRUE(engine.HideBorderForEffect());  // already hidden
  EXPECT_TRUE(engine.ShowBorderForEffect());
  EXPECT_TRUE(border.IsBorderVisible());
  EXPECT_TRUE(engine.ShowBorderForEffect());  // already visible
  EXPECT_TRUE(engine.HideBorderForEffect());
  EXPECT_FALSE(border.IsBorderVisible());

  CShadowMouseEngine alone;  // not tied to a border
  EXPECT_FALSE(alone.ShowBorderForEffect());
}

// A saved settings change (event 1) reaches the effects, which read their look and ending
// again on their own thread, and the engine, which reads the effect kind again.
TEST_F(ShadowMouse, SettingsChangesReachEffectsAndEngine) {
  SettingsSnapshot snapshot;
  {
    SettingsUtilsNS::CSettingsKestrin fill(SettingsUtilsNS::kLoadGroupNone);
    ASSERT_TRUE(fill.FillMissingValues());
    fill.Close();
  }
  engine.SetEffectKind(0);
  ASSERT_TRUE(engine.StartEffect({10, 10}, {300, 10}));
  engine.StopEffect();
  CShadowMouseEffectsBase* trail = engine.GetCurrentEffect();
  ASSERT_TRUE(trail);

  SettingsUtilsNS::CSettingsKestrin writer(SettingsUtilsNS::kLoadGroupAll);
  writer.SetBorderColour(RGB(10, 20, 30), false);
  writer.SetCurrentKRAIDAState(1, false);
  writer.SetKRAIDAValidatingFor(7, false);
  writer.SetShowCursorType(1, false);
  ASSERT_TRUE(writer.SaveChanged());
  EXPECT_TRUE(Pump([&] { return trail->GetColour() == RGB(10, 20, 30) && engine.GetEffectKind() == 1; }));

  engine.SetEffectKind(0);
  ASSERT_TRUE(engine.StartEffect({10, 10}, {300, 10}));
  EXPECT_EQ(kEndAfterDelay, trail->GetEndAction());
  EXPECT_EQ(7000u, trail->GetEndDelay());
  engine.StopEffect();
}

}  // namespace
