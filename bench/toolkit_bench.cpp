// The command bars against the platform's own tool bar (ToolbarWindow32): layout and paint of a
// bar of buttons with images in each theme, hot tracking a pointer move across it, and how the
// time grows with the number of controls. Each figure is the minimum and median of repeated
// runs, measured side by side in this one run.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_images.h"
#include "bench/bench_timing.h"
#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"

using namespace KestrinBench;

namespace {

const int kWidth = 800;

void PumpPaint(HWND hwnd) {
  ::UpdateWindow(hwnd);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcW(h, m, w, l); }

HWND MakeHost() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &HostProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TKBenchHost";
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, L"TKBenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           kWidth + 40, 700, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// Our bar: lays its controls out at its width.
class BenchBar : public CTKCommandBar {
 public:
  CSize CalcSize(int length, DWORD mode) override {
    return LayoutControls(length, CTKControls::kLayoutCommit | mode);
  }
};

struct OurBar {
  OurBar(HWND host, int count, int theme) {
    pm = NewThemeByNumber(theme);
    pm->ReloadColorsAndFonts();
    bar = new BenchBar;
    bar->SetPaintManager(pm);
    bar->SetPosition(TKCommandBars::kTop);
    bar->SetGripperVisible(false);
    for (int i = 0; i < count; ++i) bar->GetControls()->Add(TKCommandBars::kButton, 1000 + i);
    bar->Create(host, WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, 600});
  }
  ~OurBar() {
    bar->DestroyWindow();
    bar->Release();
    pm->Release();
  }
  CSize Layout() { return bar->CalcSize(kWidth, 0); }
  void Paint(HDC dc) {
    CDC cdc;
    cdc.Attach(dc);
    bar->DrawCommandBar(&cdc, CRect(0, 0, kWidth, 600));
    cdc.Detach();
  }
  CTKPaintManager* pm;
  BenchBar* bar;
};

struct PlatformBar {
  PlatformBar(HWND host, int count, HIMAGELIST images) {
    hwnd = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_WRAPABLE |
                                                          CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, kWidth, 600, host, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    std::vector<TBBUTTON> buttons(count);
    for (int i = 0; i < count; ++i) {
      buttons[i] = TBBUTTON{};
      buttons[i].iBitmap = i % 20;
      buttons[i].idCommand = 1000 + i;
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = BTNS_BUTTON;
    }
    ::SendMessageW(hwnd, TB_ADDBUTTONS, count, reinterpret_cast<LPARAM>(buttons.data()));
  }
  ~PlatformBar() { ::DestroyWindow(hwnd); }
  void Layout() {
    ::SendMessageW(hwnd, TB_AUTOSIZE, 0, 0);
    RECT rc;
    ::SendMessageW(hwnd, TB_SETROWS, MAKEWPARAM(1, TRUE), reinterpret_cast<LPARAM>(&rc));
  }
  void Paint(HDC dc) { ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND); }
  HWND hwnd;
};

struct MemoryDC {
  MemoryDC() : bitmap(::CreateCompatibleBitmap(KestrinWinNS::CScopedClientDC(nullptr).Get(), kWidth, 600)),
               dc(nullptr, bitmap.Get()) {}
  KestrinWinNS::CScopedBitmap bitmap;  // declared first: it goes after the DC it is selected into
  KestrinWinNS::CBitmapDC dc;
};

// A pointer move across the first row of a bar, one move per control, with the repaints.
void SweepPointer(HWND hwnd, const std::vector<POINT>& points) {
  for (const POINT& pt : points) {
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    PumpPaint(hwnd);
  }
}

void Row(const char* what, Timing ours, Timing platform, double target) {
  double ratio = ours.median / std::max(platform.median, 1e-6);
  std::printf("  %-44s %8.3f %8.3f   %8.3f %8.3f   %6.2f   <= %.1f %s\n", what, ours.min, ours.median, platform.min,
              platform.median, ratio, target, ratio <= target ? "ok" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::max(3, std::atoi(argv[1])) : 25;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  HWND host = MakeHost();
  const int kButtons = 200;
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 20, 0);
  std::vector<KestrinWinNS::CScopedIcon> icons;
  for (int i = 0; i < 20; ++i) icons.emplace_back(MakeIcon(i));
  for (const auto& icon : icons) ImageList_AddIcon(images, icon.Get());
  for (int i = 0; i < 2000; ++i) CTKImageManager::Instance().AddIconImage(icons[i % 20].Get(), 1000 + i, 16, 16, 0);
  MemoryDC memory;

  std::printf("== toolkit command bars: ours against ToolbarWindow32 (ms: min median; ratio of medians) ==\n");
  std::printf("  %-44s %17s   %17s   %6s\n", "", "ours", "platform", "ratio");
  PlatformBar platform(host, kButtons, images);
  Timing platformLayoutPaint = Measure(repeats, [&] {
    platform.Layout();
    platform.Paint(memory.dc.Get());
  });
  std::vector<POINT> platformPoints;
  for (int i = 0; i < 30; ++i) {
    RECT rc;
    ::SendMessageW(platform.hwnd, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    platformPoints.push_back(POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
  }
  Timing platformSweep = Measure(repeats, [&] { SweepPointer(platform.hwnd, platformPoints); });
  ::ShowWindow(platform.hwnd, SW_HIDE);

  const struct {
    int number;
    const char* name;
  } themes[] = {{0, "default"}, {3, "native XP"}};
  bool ok = true;
  for (const auto& theme : themes) {
    OurBar ours(host, kButtons, theme.number);
    Timing layoutPaint = Measure(repeats, [&] {
      ours.bar->GetControls()->GetAt(0)->DelayLayoutParent();
      ours.Layout();
      ours.Paint(memory.dc.Get());
    });
    std::vector<POINT> points;
    ours.Layout();
    for (int i = 0; i < 30; ++i) points.push_back(ours.bar->GetControl(i)->GetRect().CenterPoint());
    Timing sweep = Measure(repeats, [&] { SweepPointer(ours.bar->GetSafeHwnd(), points); });
    ::ShowWindow(ours.bar->GetSafeHwnd(), SW_HIDE);
    std::string a = std::string("layout+paint, 200 buttons, ") + theme.name;
    std::string b = std::string("hot-track 30 moves across the bar, ") + theme.name;
    Row(a.c_str(), layoutPaint, platformLayoutPaint, 2.0);
    Row(b.c_str(), sweep, platformSweep, 2.0);
    ok = ok && layoutPaint.median <= 2 * platformLayoutPaint.median && sweep.median <= 2 * platformSweep.median;
  }

  std::printf("== growth: layout+paint per control (us), default theme ==\n");
  double perControl[3] = {};
  const int counts[3] = {20, 200, 2000};
  for (int k = 0; k < 3; ++k) {
    OurBar ours(host, counts[k], 0);
    ::ShowWindow(ours.bar->GetSafeHwnd(), SW_HIDE);
    Timing t = Measure(std::max(3, repeats / (k + 1)), [&] {
      ours.bar->GetControls()->GetAt(0)->DelayLayoutParent();
      ours.Layout();
      ours.Paint(memory.dc.Get());
    });
    perControl[k] = t.median * 1000.0 / counts[k];
    std::printf("  %5d controls: %9.3f ms median, %7.2f us per control\n", counts[k], t.median, perControl[k]);
  }
  const double growth = perControl[2] / std::max(perControl[0], 1e-6);
  std::printf("  per-control time at 2,000 against 20: %.2f (no worse than linear: <= 1.5) %s\n", growth,
              growth <= 1.5 ? "ok" : "MISSED");

  ImageList_Destroy(images);
  ::DestroyWindow(host);
  std::printf("targets %s\n", ok ? "held" : "MISSED");
  return 0;
}
