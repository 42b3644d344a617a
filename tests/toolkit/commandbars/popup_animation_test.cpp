// A popup's opening frames (slide, unfold, fade) by pixels, drawn into memory through the same
// code that draws them on the screen, paced through the clock and sleep seams; the fade of a
// real window through its layered alpha; and the endings of the frames.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/default_theme.h"
#include "platform/win/gdi.h"

namespace {

// The default look with or without the system's layered-window function.
class AnimationTheme : public TKPaintThemes::CTKDefaultTheme {
 public:
  explicit AnimationTheme(bool layered) {
    if (!layered) set_layered_ = nullptr;
    SetAnimation(4, 40);  // four steps of 10 ms
  }
};

struct ThemeRef {
  explicit ThemeRef(bool layered) : theme(new AnimationTheme(layered)) {}
  ~ThemeRef() { theme->Release(); }
  AnimationTheme* theme;
};

const int kW = 40, kH = 20;
const COLORREF kOld = RGB(0, 0, 255);

// A source whose every pixel tells where it comes from.
COLORREF SourceAt(int x, int y) { return RGB(x * 5, y * 10, 200); }
void FillSource(Canvas& source) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) source.cdc()->SetPixel(x, y, SourceAt(x, y));
}

// Every pixel of a kW x kH canvas, row by row.
std::vector<COLORREF> AllPixels(const Canvas& canvas) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) pixels.push_back(canvas.At(x, y));
  return pixels;
}

// Slide and unfold, frame by frame: what shows of the new contents at each frame, the rest
// still the old screen.
TEST(PopupAnimation, SlideAndUnfoldFramesByPixels) {
  struct Case {
    const char* name;
    int kind;
    bool full_width;
  } cases[] = {{"slide", 2, false}, {"unfold", 3, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ThemeRef ref(false);
    Canvas screen(kW, kH), source(kW, kH);
    screen.Fill(kOld);
    FillSource(source);
    FrameClock clock;
    std::vector<std::vector<COLORREF>> frames;
    auto grab = [&] { frames.push_back(AllPixels(screen)); };
    clock.on_sleep = grab;
    ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), c.kind);
    grab();  // the last frame has no pause after it
    // Four frames, each held 10 ms but the last.
    EXPECT_EQ(std::vector<DWORD>({10, 10, 10}), clock.sleeps);
    ASSERT_EQ(4u, frames.size());
    for (int k = 1; k <= 4; ++k) {
      SCOPED_TRACE("frame " + std::to_string(k));
      const int pw = c.full_width ? kW : kW * k / 4, ph = kH * k / 4;
      int wrong = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const COLORREF expected = (x < pw && y < ph) ? SourceAt(kW - pw + x, kH - ph + y) : kOld;
          if (frames[k - 1][y * kW + x] != expected) ++wrong;
        }
      EXPECT_EQ(0, wrong);
    }
  }
}

// The fade in memory: three blended frames (weights 63, 127, 191 of 255) over the old screen;
// the fourth, whole frame is the popup's own paint.
TEST(PopupAnimation, FadeFramesInMemoryByPixels) {
  ThemeRef ref(true);  // a memory DC has no window to make layered: the frames blend in memory
  Canvas screen(kW, kH), source(kW, kH);
  screen.Fill(kOld);
  source.Fill(RGB(200, 100, 40));
  FrameClock clock;
  std::vector<COLORREF> centre;
  clock.on_sleep = [&] { centre.push_back(screen.At(kW / 2, kH / 2)); };
  ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), 4);
  EXPECT_EQ(std::vector<COLORREF>({RGB(49, 24, 201), RGB(99, 49, 147), RGB(149, 74, 93)}), centre);
  EXPECT_EQ(std::vector<DWORD>({10, 10, 10}), clock.sleeps);
  EXPECT_EQ(RGB(149, 74, 93), screen.At(0, 0));
  EXPECT_EQ(RGB(149, 74, 93), screen.At(kW - 1, kH - 1));
}

// A frame that took its drawing time is held only for the rest of its step.
TEST(PopupAnimation, AFrameIsHeldForTheRestOfItsStep) {
  ThemeRef ref(false);
  Canvas screen(kW, kH), source(kW, kH);
  FrameClock clock;
  // Every look at the clock after the first costs 3 ms: frames are held 10 less what passed.
  static int looks = 0;
  looks = 0;
  TKSetTickCountFunction([] { return FrameClock::self->now + 3 * (looks++ % 2); });
  ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), 3);
  EXPECT_EQ(std::vector<DWORD>({7, 7, 7}), clock.sleeps);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcW(h, m, w, l); }

struct PlainPopup {
  PlainPopup() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &PlainProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKAnimatedPopup";
      ::RegisterClassW(&wc);
      registered = true;
    }
    hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TKAnimatedPopup", L"", WS_POPUP, 100, 100, kW, kH, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(hwnd, SW_SHOWNA);
    ::UpdateWindow(hwnd);
  }
  ~PlainPopup() { ::DestroyWindow(hwnd); }
  bool Layered() const { return (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
  HWND hwnd;
};

// On a window the fade goes through the window's own layered alpha where the system has the
// function, and the window gets its style back; without it the frames blend onto the window.
TEST(PopupAnimation, FadeOfAWindowThroughItsLayeredAlphaOrBlendedWithout) {
  for (bool layered : {true, false}) {
    SCOPED_TRACE(layered ? "layered" : "blended");
    ThemeRef ref(layered);
    PlainPopup popup;
    Canvas source(kW, kH);
    source.Fill(RGB(200, 100, 40));
    FrameClock clock;
    std::vector<int> alphas;
    std::vector<COLORREF> centre;
    clock.on_sleep = [&] {
      BYTE alpha = 0;
      DWORD flags = 0;
      alphas.push_back(popup.Layered() && ::GetLayeredWindowAttributes(popup.hwnd, nullptr, &alpha, &flags) &&
                               (flags & LWA_ALPHA)
                           ? alpha
                           : -1);
      if (!layered) {
        KestrinWinNS::CScopedClientDC dc(popup.hwnd);
        centre.push_back(::GetPixel(dc.Get(), kW / 2, kH / 2));
      }
    };
    {
      KestrinWinNS::CWindowFrameDC frame(popup.hwnd);
      ::BitBlt(frame.Get(), 0, 0, kW, kH, nullptr, 0, 0, BLACKNESS);
      CDC dc;
      dc.Attach(frame.Get());
      ref.theme->RunPopupAnimation(&dc, CRect(0, 0, kW, kH), source.cdc(), 4);
      dc.Detach();
    }
    EXPECT_EQ(3u, clock.sleeps.size());
    EXPECT_FALSE(popup.Layered());
    if (layered) {
      // A window that goes while it fades ends the frames.
      clock.sleeps.clear();
      clock.on_sleep = [&] { ::DestroyWindow(popup.hwnd); };
      KestrinWinNS::CWindowFrameDC frame(popup.hwnd);
      CDC dc;
      dc.Attach(frame.Get());
      ref.theme->RunPopupAnimation(&dc, CRect(0, 0, kW, kH), source.cdc(), 4);
      dc.Detach();
      EXPECT_EQ(1u, clock.sleeps.size());
    }
    if (layered) {
      EXPECT_EQ(std::vector<int>({63, 127, 191}), alphas);
    } else {
      EXPECT_EQ(std::vector<int>({-1, -1, -1}), alphas);
      // Over black: 200, 100, 40 weighted.
      EXPECT_EQ(std::vector<COLORREF>({RGB(49, 24, 9), RGB(99, 49, 19), RGB(149, 74, 29)}), centre);
    }
  }
}

// The frames stop at the first pause once the gesture ends, and leave what ended it in the
// queue for the loop that owns it; other messages wait without ending anything.
TEST(PopupAnimation, FramesEndOnCaptureLossCancelKeysAndQuit) {
  PlainPopup holder;
  struct Case {
    const char* name;
    std::function<void()> act;            // at the first pause
    std::function<bool()> still_waiting;  // what ended the frames is still in the queue
    size_t sleeps;
  } cases[] = {
      {"quit", [] { ::PostQuitMessage(3); }, [] { return TakeQuit(); }, 1},
      {"escape", [&] { ::PostMessageW(holder.hwnd, WM_KEYDOWN, VK_ESCAPE, 0); },
       [&] {
         MSG msg;
         return ::PeekMessageW(&msg, holder.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE) && msg.wParam == VK_ESCAPE;
       },
       1},
      {"cancel mode", [&] { ::PostMessageW(holder.hwnd, WM_CANCELMODE, 0, 0); },
       [&] {
         MSG msg;
         return ::PeekMessageW(&msg, holder.hwnd, WM_CANCELMODE, WM_CANCELMODE, PM_REMOVE) != FALSE;
       },
       1},
      {"capture lost", [] { ::ReleaseCapture(); }, [] { return true; }, 1},
      {"another key and a mouse move", [&] {
         ::PostMessageW(holder.hwnd, WM_KEYDOWN, 'A', 0);
         ::PostMessageW(holder.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
       },
       [] { return true; }, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrainMessages();
    ::SetCapture(holder.hwnd);
    ThemeRef ref(false);
    Canvas screen(kW, kH), source(kW, kH);
    screen.Fill(kOld);
    source.Fill(RGB(200, 100, 40));
    FrameClock clock;
    bool acted = false;
    clock.on_sleep = [&] {
      if (!acted) c.act();
      acted = true;
    };
    ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), 3);
    EXPECT_EQ(c.sleeps, clock.sleeps.size());
    // Stopped early, the frame on show is the first: the top quarter, the row under it still old.
    const bool stopped = c.sleeps == 1;
    EXPECT_EQ(RGB(200, 100, 40), screen.At(0, kH / 4 - 1));
    EXPECT_EQ(stopped ? kOld : RGB(200, 100, 40), screen.At(0, kH / 4));
    EXPECT_TRUE(c.still_waiting());
    ::ReleaseCapture();
    DrainMessages();
  }
}

// An expanding popup's bands: the shown ones keep their height, the new ones grow in frame by
// frame; laid from the top when it grows down, from the bottom when it grows up.
TEST(PopupAnimation, ExpandFramesGrowTheNewBandsByPixels) {
  const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kGrey = RGB(9, 9, 9);
  // Rows 0-9 shown before, 10-29 new, 30-39 shown before, on a source 40 high.
  Canvas source(kW, 40);
  source.cdc()->FillSolidRect(0, 0, kW, 10, kRed);
  source.cdc()->FillSolidRect(0, 10, kW, 20, kGreen);
  source.cdc()->FillSolidRect(0, 30, kW, 10, kBlue);
  const std::vector<CTKExpandBand> bands{{0, 10, false}, {10, 30, true}, {30, 40, false}};
  for (bool down : {true, false}) {
    SCOPED_TRACE(down ? "down" : "up");
    ThemeRef ref(false);
    Canvas screen(kW, 40);
    screen.cdc()->FillSolidRect(0, 0, kW, 40, kGrey);
    FrameClock clock;
    std::vector<std::vector<COLORREF>> columns;  // the colour of each row, frame by frame
    auto grab = [&] {
      std::vector<COLORREF> column;
      for (int y = 0; y < 40; ++y) column.push_back(screen.At(kW / 2, y));
      columns.push_back(column);
    };
    clock.on_sleep = grab;
    ref.theme->RunExpandAnimation(screen.cdc(), CRect(0, 0, kW, 40), source.cdc(), bands, down);
    grab();
    ASSERT_EQ(4u, columns.size());
    for (int k = 1; k <= 4; ++k) {
      SCOPED_TRACE("frame " + std::to_string(k));
      // Red 10 rows, green 5 per frame, blue 10 rows; grey where the frame has not reached.
      std::vector<COLORREF> expected(10, kRed);
      expected.insert(expected.end(), 5 * k, kGreen);
      expected.insert(expected.end(), 10, kBlue);
      if (down)
        expected.insert(expected.end(), 40 - expected.size(), kGrey);
      else
        expected.insert(expected.begin(), 40 - expected.size(), kGrey);
      EXPECT_EQ(expected, columns[k - 1]);
    }
  }
}

// A right-to-left (mirrored) target: the frames place from the right what they place from the
// left elsewhere. The source holds the popup as it shows on the screen, whether its own DC is
// mirrored or not; what lay under the popup stays where it lay. Pixels are read as they lie.
TEST(PopupAnimation, OnAMirroredTargetTheFramesComeFromTheRightEdge) {
  // Device pixels of the old screen and of the new contents, each telling where it lies.
  auto old_at = [](int x, int y) { return RGB(250 - x * 5, 40 + y * 5, 10); };
  auto put = [](Canvas& canvas, COLORREF (*at)(int, int)) {
    ::GdiFlush();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const COLORREF c = at(x, y);
        canvas.SetRaw(x, y, (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
      }
  };
  auto blend = [](COLORREF n, COLORREF o, int w) {
    auto ch = [&](int a, int b) { return (a * w + b * (255 - w)) >> 8; };
    return RGB(ch(GetRValue(n), GetRValue(o)), ch(GetGValue(n), GetGValue(o)), ch(GetBValue(n), GetBValue(o)));
  };
  struct Case {
    const char* name;
    int kind;  // 2 slide, 3 unfold, 4 fade (in memory), 0 expand (one band growing downwards)
    bool source_mirrored;
  } cases[] = {{"slide", 2, false},          {"slide, mirrored source", 2, true}, {"unfold", 3, false},
               {"unfold, mirrored source", 3, true}, {"fade", 4, false},       {"expand", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ThemeRef ref(false);
    Canvas screen(kW, kH), source(kW, kH);
    put(screen, +old_at);
    put(source, &SourceAt);
    CTKDrawHelpers::SetDCRightToLeft(screen.dc(), true);
    if (c.source_mirrored) CTKDrawHelpers::SetDCRightToLeft(source.dc(), true);
    FrameClock clock;
    std::vector<std::vector<COLORREF>> frames;
    auto grab = [&] { frames.push_back(AllPixels(screen)); };
    clock.on_sleep = grab;
    if (c.kind == 0)
      ref.theme->RunExpandAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), {{0, kH, true}}, true);
    else
      ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), c.kind);
    // Both DCs keep their own layout.
    EXPECT_TRUE(CTKDrawHelpers::IsDCRightToLeft(screen.dc()));
    EXPECT_EQ(c.source_mirrored, CTKDrawHelpers::IsDCRightToLeft(source.dc()));
    ASSERT_EQ(3u, frames.size());  // three frames with a pause after them
    for (int k = 1; k <= 3; ++k) {
      SCOPED_TRACE("frame " + std::to_string(k));
      const int pw = c.kind == 2 ? kW * k / 4 : kW, ph = kH * k / 4;
      int wrong = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const COLORREF got = frames[k - 1][y * kW + x];
          if (c.kind == 0 && y < ph) {
            // The band squeezed to its height in this frame: which rows it shows is the
            // stretch's business, the columns must lie as they lie in the source.
            if (GetRValue(got) != GetRValue(SourceAt(x, 0)) || GetBValue(got) != 200) ++wrong;
            continue;
          }
          COLORREF expected = old_at(x, y);
          if (c.kind == 4)
            expected = blend(SourceAt(x, y), old_at(x, y), 255 * k / 4);
          else if (c.kind != 0 && x >= kW - pw && y < ph)
            expected = SourceAt(x - (kW - pw), kH - ph + y);
          if (got != expected) ++wrong;
        }
      EXPECT_EQ(0, wrong);
    }
  }
}

// Without steps nothing is drawn and nothing waits.
TEST(PopupAnimation, NoStepsDrawNothing) {
  ThemeRef ref(false);
  ref.theme->SetAnimation(0, 100);
  Canvas screen(kW, kH), source(kW, kH);
  screen.Fill(kOld);
  source.Fill(RGB(200, 100, 40));
  FrameClock clock;
  for (int kind : {2, 3, 4}) ref.theme->RunPopupAnimation(screen.cdc(), CRect(0, 0, kW, kH), source.cdc(), kind);
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_EQ(kOld, screen.At(kW - 1, kH - 1));
}

}  // namespace
