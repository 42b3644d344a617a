// The toolkit's tab controls against the platform's own tab control (SysTabControl32) holding
// the same items, measured side by side in one run: layout and paint of 20 and 500 tabs in each
// appearance set, and one step of reordering by drag. Every time is the minimum and median over
// repeats, in ms.
//   kestrin_tabs_bench.exe [repeats]
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "platform/win/gdi.h"
#include "toolkit/tabs/tab_control.h"

using namespace KestrinBench;

namespace {

constexpr int kWidth = 800, kHeight = 120;

int g_missed = 0;

void Row(const std::string& name, const Timing& mine, const Timing& yard, const std::string& target, bool met) {
  if (!target.empty() && !met) ++g_missed;
  printf("%-40s %10.3f %10.3f %10.3f %10.3f %8.2fx  %s%s\n", name.c_str(), mine.min, mine.median, yard.min, yard.median,
         yard.median > 0 ? mine.median / yard.median : 0.0, target.c_str(),
         target.empty() ? "" : (met ? " met" : " MISSED"));
  fflush(stdout);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring Caption(int i) { return L"Document " + std::to_wstring(i + 1); }

// The platform's tab control with `count` items, in a frame of its own.
struct PlatformTabs {
  explicit PlatformTabs(int count) {
    window = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_POPUP | WS_CLIPSIBLINGS, 0, 0, kWidth, kHeight, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // Drawn without the visual style, as the toolkit's strips draw themselves: under Wine the
    // style's drawing of one tab costs tens of milliseconds and would hide everything else.
    SetWindowTheme(window, L"", L"");
    for (int i = 0; i < count; ++i) Insert(i, Caption(i));
    SendMessageW(window, TCM_SETCURSEL, 1, 0);
  }
  ~PlatformTabs() { DestroyWindow(window); }
  void Insert(int at, const std::wstring& text) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(window, TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item));
  }
  HWND window = nullptr;
};

struct BenchStrip : CTKTabControl {
  bool paint_each_step = false;
  void RenumberItems() override {
    CTKTabControl::RenumberItems();
    if (paint_each_step) ::UpdateWindow(m_hWnd);
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int repeats = argc > 1 ? std::max(3, _wtoi(argv[1])) : 25;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib = KestrinWinNS::CreateDib32(kWidth, kHeight, &bits);
  KestrinWinNS::CBitmapDC dc(nullptr, dib.Get());
  const RECT all{0, 0, kWidth, kHeight};

  printf("== tab controls: the toolkit's strip against the platform's tab control (SysTabControl32), %d repeats ==\n",
         repeats);
  printf("%-40s %10s %10s %10s %10s %9s  %s\n", "figure (ms)", "min", "median", "yard min", "yard med", "ratio",
         "target");
  const wchar_t* const names[] = {L"property page", L"pp selected", L"flat pp",  L"pp 2003", L"state buttons",
                                  L"visual studio", L"flat",        L"excel",    L"visio",   L"vs 2005"};
  // Layout and paint: the toolkit lays the strip out again and draws it into a bitmap; the
  // platform's control is resized (which lays it out again) and prints itself into the same.
  std::vector<double> per_tab[2];
  Timing yard_layout[2];
  for (int n_index = 0; n_index < 2; ++n_index) {
    const int count = n_index == 0 ? 20 : 500;
    PlatformTabs platform(count);
    std::vector<double> yard;
    for (int r = 0; r < repeats; ++r) {
      const double t0 = Now();
      SetWindowPos(platform.window, nullptr, 0, 0, kWidth - (r & 1), kHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
      SendMessageW(platform.window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
      GdiFlush();
      yard.push_back(Now() - t0);
    }
    yard_layout[n_index] = Summarise(yard);
    for (int shape = 0; shape < 10; ++shape) {
      CTKTabControl strip;
      strip.Create(nullptr, all, 0, WS_POPUP);
      strip.TabPainter()->ChooseShapeSet(shape);
      for (int i = 0; i < count; ++i) strip.AddItem(Caption(i));
      strip.SelectIndex(1);
      std::vector<double> mine;
      for (int r = 0; r < repeats; ++r) {
        const double t0 = Now();
        strip.PaintInto(dc.Get(), RECT{0, 0, kWidth - (r & 1), kHeight});
        GdiFlush();
        mine.push_back(Now() - t0);
      }
      const Timing s = Summarise(mine);
      per_tab[n_index].push_back(s.median / count);
      char name[96];
      snprintf(name, sizeof(name), "layout+paint %3d tabs, %ls", count, names[shape]);
      Row(name, s, yard_layout[n_index], "<= 2x", s.median <= 2 * yard_layout[n_index].median);
      strip.DestroyWindow();
    }
  }
  // Growth: the time per tab at 500 tabs against the time per tab at 20 (1.0 is linear).
  for (int shape = 0; shape < 10; ++shape) {
    const double growth = per_tab[1][static_cast<size_t>(shape)] / per_tab[0][static_cast<size_t>(shape)];
    char name[96];
    snprintf(name, sizeof(name), "growth per tab 20 -> 500, %ls", names[shape]);
    const bool met = growth <= 1.25;
    if (!met) ++g_missed;
    printf("%-40s %10.2f  (platform %.2f)  <= 1.25 per tab %s\n", name, growth,
           (yard_layout[1].median / 500) / (yard_layout[0].median / 20), met ? "met" : "MISSED");
  }

  // One step of a drag: the pointer moves over the neighbour, the two change places, the strip
  // is laid out and painted. Each repeat runs a drag of 20 steps; the figure is its time per
  // step. The yardstick moves an item of the platform's control by deleting and inserting it
  // and painting.
  for (int count : {20, 500}) {
    BenchStrip strip;
    strip.Create(nullptr, all, 0, WS_POPUP);
    for (int i = 0; i < count; ++i) strip.AddItem(Caption(i));
    ShowWindow(strip.m_hWnd, SW_SHOWNOACTIVATE);
    strip.SelectIndex(0);
    Pump();
    strip.paint_each_step = true;
    const RECT first = strip.ItemAtIndex(0)->Rect(), second = strip.ItemAtIndex(1)->Rect();
    const int y = (first.top + first.bottom) / 2;
    const int x1 = (first.left + first.right) / 2, x2 = (second.left + second.right) / 2;
    constexpr int kSteps = 20;
    std::vector<double> mine;
    for (int r = 0; r < repeats; ++r) {
      for (int i = 0; i < kSteps; ++i) PostMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(i % 2 ? x1 : x2, y));
      PostMessageW(strip.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x1, y));
      const double t0 = Now();
      strip.HandlePress(strip.m_hWnd, POINT{x1, y}, false);
      mine.push_back((Now() - t0) / kSteps);
    }
    PlatformTabs platform(count);
    ShowWindow(platform.window, SW_SHOWNOACTIVATE);
    Pump();
    std::vector<double> yard;
    for (int r = 0; r < repeats; ++r) {
      const double t0 = Now();
      for (int i = 0; i < kSteps; ++i) {
        SendMessageW(platform.window, TCM_DELETEITEM, 0, 0);
        platform.Insert(1, Caption(0));
        InvalidateRect(platform.window, nullptr, FALSE);
        UpdateWindow(platform.window);
      }
      yard.push_back((Now() - t0) / kSteps);
    }
    const Timing s = Summarise(mine);
    char name[96];
    snprintf(name, sizeof(name), "drag reorder step, %d tabs", count);
    Row(name, s, Summarise(yard), "median <= 2 ms", s.median <= 2.0);
    strip.DestroyWindow();
  }
  printf("targets missed: %d\n", g_missed);
  return g_missed ? 1 : 0;
}
