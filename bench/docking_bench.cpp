// Docking: a full frame relayout on a resize with four docked bars of 50 controls each (one on
// every side), against the same frame without bars plus the platform's tool bar
// (ToolbarWindow32) laying out the same 200 buttons; and one drag-move step of a docked bar
// along its row. Times are the minimum and median of repeated runs, measured side by side in
// this one run.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "platform/appframe/frame_wnd.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/paint/paint_manager.h"

using namespace KestrinBench;

namespace {

const int kBars = 4, kButtons = 50;

class BenchBar : public CTKCommandBar {
 public:
  CSize CalcSize(int length, DWORD mode) override { return LayoutControls(length, CTKControls::kLayoutCommit | mode); }
};

CFrameWnd* MakeFrame() {
  CFrameWnd* frame = new CFrameWnd;
  frame->Create(nullptr, L"dock bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(40, 40, 1040, 760));
  ::ShowWindow(frame->m_hWnd, SW_SHOWNA);
  return frame;
}

// Resizes the frame between two sizes; the frame lays out on each (its WM_SIZE).
void Resize(CFrameWnd* frame, int& flip) {
  flip ^= 1;
  ::SetWindowPos(frame->m_hWnd, nullptr, 0, 0, flip ? 1000 : 960, flip ? 720 : 700,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);

  // Our frame: four bars of 50 buttons, one docked on each side.
  CFrameWnd* ours = MakeFrame();
  CTKCommandBarManager manager;
  manager.SetSite(ours->m_hWnd);
  CTKDockBar::CreateDockBars(ours, &manager);
  std::vector<BenchBar*> bars;
  for (int side = 0; side < kBars; ++side) {
    BenchBar* bar = new BenchBar;
    bar->SetCommandBarManager(&manager);
    bar->SetFlags(TKDockFlags::kAnySide | TKDockFlags::kFloat | TKDockFlags::kWrap);
    for (int i = 0; i < kButtons; ++i) bar->GetControls()->Add(TKCommandBars::kButton, 1000 + i);
    bar->Create(ours->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10});
    CTKDockContext::DockBar(bar, CTKDockBar::FromSide(ours->m_hWnd, side), nullptr);
    bars.push_back(bar);
  }
  // The yardstick: the same frame without bars, and the platform's tool bars of the same buttons.
  CFrameWnd* plain = MakeFrame();
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  std::vector<HWND> platform;
  for (int k = 0; k < kBars; ++k) {
    HWND tb = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_WRAPABLE |
                                                           CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                0, 0, 900, 40, plain->m_hWnd, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    std::vector<TBBUTTON> buttons(kButtons);
    for (int i = 0; i < kButtons; ++i) {
      buttons[i] = TBBUTTON{};
      buttons[i].iBitmap = 0;
      buttons[i].idCommand = 1000 + i;
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = BTNS_BUTTON;
    }
    ::SendMessageW(tb, TB_ADDBUTTONS, kButtons, reinterpret_cast<LPARAM>(buttons.data()));
    platform.push_back(tb);
  }

  int flip_ours = 0, flip_plain = 0;
  std::vector<Timing> layouts = MeasureSideBySide(repeats, {[&] { Resize(ours, flip_ours); },
                                                            [&] { Resize(plain, flip_plain); },
                                                            [&] {
                                                              for (HWND tb : platform) {
                                                                ::SendMessageW(tb, TB_AUTOSIZE, 0, 0);
                                                                RECT rc;
                                                                ::SendMessageW(tb, TB_SETROWS, MAKEWPARAM(1, TRUE),
                                                                               reinterpret_cast<LPARAM>(&rc));
                                                              }
                                                            }});
  const Timing relayout = layouts[0], frame_alone = layouts[1], platform_layout = layouts[2];
  const Timing yardstick{frame_alone.min + platform_layout.min, frame_alone.median + platform_layout.median};
  const double ratio = relayout.median / std::max(yardstick.median, 1e-6);

  // One drag-move step of the top bar along its row, 3 pixels one way or the other.
  BenchBar* top = bars[0];
  CTKDockContext* context = top->EnableDockContext();
  CRect start = top->GetWindowRect();
  POINT grip{start.left + 2, start.top + 2};
  context->PrepareMove(grip);
  int dx = 0, direction = 1;
  Timing step = Measure(repeats * 3, [&] {
    dx += 3 * direction;
    if (dx >= 60 || dx <= 0) direction = -direction;
    context->Step(POINT{grip.x + dx, grip.y});
  });
  const bool docked_still = top->GetDockBar() == CTKDockBar::FromSide(ours->m_hWnd, 0);

  std::printf("== docking: ms, min median ==\n");
  std::printf("  %-52s %8.3f %8.3f\n", "frame relayout on a resize, 4 docked bars x 50", relayout.min, relayout.median);
  std::printf("  %-52s %8.3f %8.3f\n", "  yardstick: frame without bars", frame_alone.min, frame_alone.median);
  std::printf("  %-52s %8.3f %8.3f\n", "  yardstick: ToolbarWindow32 layout, 4 x 50 buttons", platform_layout.min,
              platform_layout.median);
  std::printf("  %-52s %8.3f %8.3f   ratio %.2f <= 2.0 %s\n", "  yardstick sum", yardstick.min, yardstick.median, ratio,
              ratio <= 2.0 ? "ok" : "MISSED");
  std::printf("  %-52s %8.3f %8.3f   < 5 ms %s%s\n", "drag-move step of a docked bar", step.min, step.median,
              step.median < 5.0 ? "ok" : "MISSED", docked_still ? "" : " (the bar left its dock bar)");
  const bool ok = ratio <= 2.0 && step.median < 5.0 && docked_still;
  std::printf("targets %s\n", ok ? "held" : "MISSED");

  for (BenchBar* bar : bars) {
    bar->DestroyWindow();
    bar->Release();
  }
  ours->DestroyWindow();
  delete ours;
  plain->DestroyWindow();
  delete plain;
  ImageList_Destroy(images);
  return ok ? 0 : 1;
}
