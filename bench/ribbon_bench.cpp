// The ribbon: a ribbon of three tabs with 8 groups of 6 buttons laid out in full at every width
// from 2,000 down to 0 pixels in 10-pixel steps, against the same count of layouts of a plain
// tool bar holding the same buttons; and the frame's caption band painted with the ribbon (band,
// title, quick-access bar, caption buttons, context header) against the frame's caption alone as the Office 2007
// frame drawing skins it (band, small icon, caption buttons, title). Times are measured side by
// side in this one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_button_group.h"
#include "toolkit/ribbon/ribbon_frame_hook.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace KestrinBench;

namespace {

const int kTabs = 3, kGroups = 8, kButtons = 6;
const int kWidest = 2000, kStep = 10;

// A 16 x 16 icon of one colour.
void AddIcon(UINT id, COLORREF colour) {
  std::vector<DWORD> pixels(16 * 16, 0xFF000000 | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
  std::vector<BYTE> mask(16 * 2, 0);
  KestrinWinNS::CScopedBitmap color(::CreateBitmap(16, 16, 1, 32, pixels.data()));
  KestrinWinNS::CScopedBitmap monochrome(::CreateBitmap(16, 16, 1, 1, mask.data()));
  ICONINFO info{TRUE, 0, 0, monochrome.Get(), color.Get()};
  KestrinWinNS::CScopedIcon icon(::CreateIconIndirect(&info));
  CTKImageManager::Instance().AddIconImage(icon.Get(), id, 16, 16, 0);  // the image manager keeps a copy
}

CTKControl* MakeButton(int id) {
  CTKControl* button = new CTKControlButton;
  button->SetID(id);
  button->SetCaption(L"Command " + std::to_wstring(id % 100));
  return button;
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
  // Sweeps are long; each width's own median comes from the per-width times of every sweep.
  const int sweeps = std::max(5, repeats / 3);

  CTKRibbonTheme* theme = new CTKRibbonTheme;  // the program's own image set
  InstallGlobalPaintManager(theme);
  for (int i = 0; i < kButtons; ++i) AddIcon(1000 + i, RGB(40 * i, 120, 200 - 30 * i));

  CFrameWnd* frame = new CFrameWnd;
  frame->Create(nullptr, L"Document1 - Ribbon bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(0, 0, 1200, 800));
  ::ShowWindow(frame->m_hWnd, SW_SHOWNA);
  CTKCommandBarManager manager;
  manager.SetSite(frame->m_hWnd);

  // The ribbon: three tabs of 8 groups of 6 buttons, a quick-access bar of three buttons and a
  // context tab's header in the caption.
  CTKRibbonBar* ribbon = new CTKRibbonBar;
  ribbon->SetCommandBarManager(&manager);
  for (int t = 0; t < kTabs; ++t) {
    CTKRibbonTab* tab = ribbon->InsertTab(t, L"Tab " + std::to_wstring(t + 1));
    if (t == kTabs - 1) {
      tab->SetContextColour(3);
      tab->SetContextCaption(L"Picture Tools");
    }
    for (int g = 0; g < kGroups; ++g) {
      auto* group = new CTKRibbonButtonGroup;
      group->SetCaption(L"Group " + std::to_wstring(g + 1));
      ribbon->AddGroup(tab, group);
      for (int b = 0; b < kButtons; ++b) {
        CTKControl* button = MakeButton(1000 + b);
        group->AddControl(button);
        button->Release();
      }
    }
  }
  ribbon->SelectTabByIndex(0);
  for (int b = 0; b < 3; ++b) {
    CTKControl* button = MakeButton(1000 + b);
    ribbon->AddToQuickAccess(button);
    button->Release();
  }
  ribbon->Create(frame->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 1200, 200}, IDW_CONTROLBAR_FIRST + 1);
  // The ribbon draws the frame's caption: title and caption buttons join the band.
  CTKRibbonFrameHook::Attach(frame->m_hWnd, ribbon, &manager);

  // The yardstick bar: a plain tool bar of the same 144 buttons, shown as the ribbon shows
  // them, with their icons and captions.
  CTKToolBar* plain = new CTKToolBar;
  plain->SetCommandBarManager(&manager);
  for (int i = 0; i < kTabs * kGroups * kButtons; ++i) {
    CTKControl* button = MakeButton(1000 + i % kButtons);
    button->SetStyle(3);
    plain->GetControls()->InsertAt(button, -1);
    button->Release();
  }
  plain->Create(frame->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 200, 1200, 400}, IDW_CONTROLBAR_FIRST + 2);

  // --- the width sweep ---
  std::vector<int> widths;
  for (int w = kWidest; w >= 0; w -= kStep) widths.push_back(w);
  std::vector<std::vector<double>> per_width(widths.size());
  std::vector<double> ribbon_sweeps, plain_sweeps;
  int heights_seen = 0;
  auto ribbon_sweep = [&](bool record) {
    const double start = Now();
    for (size_t i = 0; i < widths.size(); ++i) {
      const double t0 = Now();
      const CSize size = ribbon->CalcRibbonSize(widths[i], true);
      if (record) per_width[i].push_back(Now() - t0);
      heights_seen += size.cy > 0;
    }
    return Now() - start;
  };
  auto plain_sweep = [&] {
    const double start = Now();
    for (int w : widths) plain->LayoutControls(w, CTKControls::kLayoutCommit | CTKControls::kLayoutWidthLimit);
    return Now() - start;
  };
  for (int s = 0; s < sweeps; ++s) {
    ribbon_sweeps.push_back(ribbon_sweep(true));
    plain_sweeps.push_back(plain_sweep());
  }
  const Timing sweep = Summarise(ribbon_sweeps), plain_timing = Summarise(plain_sweeps);
  double worst_step = 0;
  int worst_width = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    const double median = Summarise(per_width[i]).median;
    if (median > worst_step) {
      worst_step = median;
      worst_width = widths[i];
    }
  }
  const double sweep_ratio = sweep.median / std::max(plain_timing.median, 1e-6);

  // --- the caption band ---
  const int frame_width = 1000;
  const CSize laid = ribbon->CalcRibbonSize(frame_width, true);
  const RECT caption = ribbon->CaptionRect();
  const int caption_height = std::max<int>(caption.bottom - caption.top, theme->FrameCaptionHeight());
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap canvas = KestrinWinNS::CreateDib32(frame_width + 16, std::max<int>(laid.cy, 40), &bits);
  KestrinWinNS::CBitmapDC canvas_dc(nullptr, canvas.Get());
  CDC dc;
  dc.Attach(canvas_dc.Get());
  const std::wstring title = L"Document1 - Ribbon bench";
  HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  TKPaintThemes::TKFrameInfo alone;
  alone.size = CSize(frame_width, caption_height + 1);
  alone.caption_height = caption_height;
  alone.border = 4;
  std::vector<Timing> captions = MeasureSideBySide(repeats * 3, {
      [&] {
        // As a paint of the caption's update region would: what lies outside is clipped away.
        const int saved = ::SaveDC(canvas_dc.Get());
        ::IntersectClipRect(canvas_dc.Get(), caption.left, caption.top, caption.right, caption.bottom);
        ribbon->DrawCommandBar(&dc, CRect(caption));
        ::RestoreDC(canvas_dc.Get(), saved);
      },
      [&] {
        // The skinned frame's caption: the band, the small icon, the three caption buttons and
        // the title.
        theme->PaintWindowFrame(&dc, alone);
        ::DrawIconEx(canvas_dc.Get(), 7, (caption_height - 16) / 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
        const int button = caption_height - 4;
        const int commands[] = {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE};
        for (int k = 0; k < 3; ++k) {
          const int right = frame_width - 4 - k * button;
          theme->PaintCaptionButton(&dc, CRect(right - button, 2, right, 2 + button), commands[k], false, k == 0, true);
        }
        theme->PaintCaptionTitle(&dc, CRect(ribbon->TitleRect()), title, true);
      },
  });
  dc.Detach();
  const Timing with_ribbon = captions[0], frame_alone = captions[1];
  const double caption_ratio = with_ribbon.median / std::max(frame_alone.median, 1e-6);

  std::printf("== ribbon: ms, min median ==\n");
  std::printf("  %-60s %8.3f %8.3f\n", "ribbon layout sweep, 2,000 to 0 px in 10 px steps (201)", sweep.min, sweep.median);
  std::printf("  %-60s %8.3f %8.3f   ratio %.2f <= 3.0 %s\n", "  yardstick: tool bar of the same 144 buttons, 201 layouts",
              plain_timing.min, plain_timing.median, sweep_ratio, sweep_ratio <= 3.0 ? "ok" : "MISSED");
  std::printf("  %-60s          %8.3f   at %d px, < 5 ms %s\n", "slowest width's median layout", worst_step, worst_width,
              worst_step < 5.0 ? "ok" : "MISSED");
  std::printf("  %-60s %8.3f %8.3f\n", "caption band painted with the ribbon", with_ribbon.min, with_ribbon.median);
  std::printf("  %-60s %8.3f %8.3f   ratio %.2f <= 2.0 %s\n", "  yardstick: the skinned frame's caption alone",
              frame_alone.min, frame_alone.median, caption_ratio, caption_ratio <= 2.0 ? "ok" : "MISSED");
  const bool laid_out = heights_seen > 0 && laid.cy > 0;
  if (!laid_out) std::printf("  the ribbon never took a height: nothing was laid out\n");
  const bool ok = laid_out && sweep_ratio <= 3.0 && worst_step < 5.0 && caption_ratio <= 2.0;
  std::printf("targets %s\n", ok ? "held" : "MISSED");

  CTKRibbonFrameHook::Detach(frame->m_hWnd);
  ribbon->DestroyWindow();
  ribbon->Release();
  plain->DestroyWindow();
  plain->Release();
  frame->DestroyWindow();
  delete frame;
  DropGlobalPaintManager();
  return ok ? 0 : 1;
}
