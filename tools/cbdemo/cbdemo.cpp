// The command bars in a window of their own: a menu bar and a tool bar of the toolkit's
// controls, with the File menu's popup open, drawn in the theme given on the command line and
// written as a picture.
//   cbdemo.exe <theme number> <out.bmp>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/default_theme.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"

using namespace TKCommandBars;

namespace {

const int kFrameWidth = 520, kFrameHeight = 260;

// A bar laid out in one pass at its client width.
class DemoBar : public CTKCommandBar {
 public:
  CSize CalcSize(int length, DWORD mode) override { return LayoutControls(length, CTKControls::kLayoutCommit | mode); }
};

HICON MakeIcon(int seed) {
  std::vector<DWORD> pixels(16 * 16, 0);
  const DWORD colours[] = {0xFF2F6FD0, 0xFF3FA040, 0xFFD05030, 0xFFE0B020, 0xFF8040C0, 0xFF208090};
  const DWORD c = colours[seed % 6];
  for (int y = 2; y < 14; ++y)
    for (int x = 2; x < 14; ++x) {
      bool edge = x == 2 || y == 2 || x == 13 || y == 13;
      bool mark = (seed % 3 == 0 && x == y) || (seed % 3 == 1 && (x == 7 || x == 8)) || (seed % 3 == 2 && (y == 7 || y == 8));
      pixels[y * 16 + x] = edge ? 0xFF303030 : mark ? 0xFFFFFFFF : c;
    }
  KestrinWinNS::CScopedBitmap color(::CreateBitmap(16, 16, 1, 32, pixels.data()));
  std::vector<BYTE> maskBits(16 * 2, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (!pixels[y * 16 + x]) maskBits[y * 2 + x / 8] |= 0x80 >> (x % 8);
  KestrinWinNS::CScopedBitmap mask(::CreateBitmap(16, 16, 1, 1, maskBits.data()));
  ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
  return ::CreateIconIndirect(&info);
}

LRESULT CALLBACK FrameProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_ERASEBKGND) {
    RECT rc;
    ::GetClientRect(h, &rc);
    ::FillRect(reinterpret_cast<HDC>(w), &rc, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    return 1;
  }
  return ::DefWindowProcW(h, m, w, l);
}

bool WriteBitmap(HDC dc, HBITMAP bitmap, int width, int height, const char* path) {
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof(bi);
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const int stride = ((width * 3 + 3) / 4) * 4;
  std::vector<BYTE> bits(stride * height);
  if (!::GetDIBits(dc, bitmap, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS)) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi);
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(bits.size());
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  std::fwrite(&fh, sizeof(fh), 1, f);
  std::fwrite(&bi, sizeof(bi), 1, f);
  std::fwrite(bits.data(), 1, bits.size(), f);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int theme = argc > 1 ? std::atoi(argv[1]) : 0;
  const char* out = argc > 2 ? argv[2] : "cbdemo.bmp";
  InstallThemeByNumber(theme);

  WNDCLASSW wc{};
  wc.lpfnWndProc = &FrameProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TKDemoFrame";
  ::RegisterClassW(&wc);
  HWND frame = ::CreateWindowExW(0, L"TKDemoFrame", L"Command bars", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                 kFrameWidth, kFrameHeight, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  CTKCommandBarManager manager;
  manager.SetSite(frame);

  // The menu bar from a Win32 menu; its File menu opens a popup bar of the demo.
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, 101, L"&New\tCtrl+N");
  ::AppendMenuW(file, MF_STRING, 102, L"&Open...\tCtrl+O");
  ::AppendMenuW(file, MF_STRING, 103, L"&Save\tCtrl+S");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(file, MF_STRING | MF_CHECKED, 104, L"Show &ruler");
  ::AppendMenuW(file, MF_STRING | MF_GRAYED, 105, L"Print pre&view");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(file, MF_STRING, 106, L"E&xit");
  KestrinWinNS::CScopedMenu menu(::CreateMenu());
  ::AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  for (const wchar_t* title : {L"&Edit", L"&View", L"&Insert", L"&Help"}) {
    HMENU sub = ::CreatePopupMenu();
    ::AppendMenuW(sub, MF_STRING, 200, L"Item");
    ::AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), title);
  }
  DemoBar* menuBar = new DemoBar;
  menuBar->SetType(kMenuBar);
  menuBar->SetPosition(kTop);
  menuBar->SetCommandBarManager(&manager);
  menuBar->LoadMenu(menu.Get());
  menu.Reset();  // its popups go with it
  // The menu's popups are the toolkit's popup bars, filled from the menu.
  CTKPopupBar* filePopup = dynamic_cast<CTKPopupBar*>(menuBar->GetControl(0)->GetCommandBar());
  // The tool bar: buttons with icons in groups, a button popup and a split button.
  for (int i = 0; i < 12; ++i) CTKImageManager::Instance().AddIconImage(MakeIcon(i), 101 + i, 16, 16, 0);
  CTKImageManager::Instance().AddIconImage(MakeIcon(12), 300, 16, 16, 0);
  CTKImageManager::Instance().AddIconImage(MakeIcon(13), 301, 16, 16, 0);
  DemoBar* toolBar = new DemoBar;
  toolBar->SetPosition(kTop);
  toolBar->SetCommandBarManager(&manager);
  const int ids[] = {101, 102, 103, 0, 107, 108, 109, 0, 110, 111, 112};
  bool group = false;
  for (int id : ids) {
    if (!id) {
      group = true;
      continue;
    }
    CTKControl* c = toolBar->GetControls()->Add(kButton, id);
    c->SetBeginGroup(group);
    group = false;
  }
  toolBar->GetControl(4)->SetChecked(1);
  toolBar->GetControl(7)->SetEnabled(false);
  CTKControl* undo = toolBar->GetControls()->Add(kSplitButtonPopup, 300);
  undo->SetBeginGroup(true);
  CTKControl* zoom = toolBar->GetControls()->Add(kButtonPopup, 301);
  zoom->SetCaption(L"Zoom");
  zoom->SetStyle(3);
  CTKControl* help = toolBar->GetControls()->Add(kButton, 120);
  help->SetCaption(L"Help");
  help->SetFlags(kFlagRightAlign);

  menuBar->Create(frame, WS_CHILD | WS_VISIBLE, RECT{0, 0, kFrameWidth, 24});
  CSize menuSize = menuBar->CalcSize(kFrameWidth - 16, CTKControls::kLayoutStretch);
  menuBar->SetGripperVisible(false);
  menuSize = menuBar->CalcSize(kFrameWidth - 16, CTKControls::kLayoutStretch);
  ::MoveWindow(menuBar->GetSafeHwnd(), 0, 0, menuSize.cx, menuSize.cy, FALSE);
  toolBar->Create(frame, WS_CHILD | WS_VISIBLE, RECT{0, menuSize.cy, kFrameWidth, menuSize.cy + 30});
  CSize toolSize = toolBar->CalcSize(kFrameWidth - 16, CTKControls::kLayoutStretch);
  ::MoveWindow(toolBar->GetSafeHwnd(), 0, menuSize.cy, toolSize.cx, toolSize.cy, FALSE);
  ::ShowWindow(frame, SW_SHOWNORMAL);

  // Open File by the keyboard path, then hover over the tool bar's third button.
  menuBar->SetPopupOpen(0, true);
  if (filePopup) filePopup->SetHotControl(1, CTKCommandBar::kHotKeyForward);
  toolBar->SetHotControl(2, CTKCommandBar::kHotMouse);

  // The picture: frame client area with the bars and the open popup at their places.
  RECT client;
  ::GetClientRect(frame, &client);
  KestrinWinNS::CScopedClientDC screen(nullptr);
  KestrinWinNS::CScopedBitmap picture(::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  KestrinWinNS::CBitmapDC memory(screen.Get(), picture.Get());
  HDC dc = memory.Get();
  HBITMAP bitmap = picture.Get();
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_APPWORKSPACE));
  CDC cdc;
  cdc.Attach(dc);
  auto drawBar = [&](CTKCommandBar* bar, POINT at) {
    CRect rc = bar->GetClientRect();
    ::SetViewportOrgEx(dc, at.x, at.y, nullptr);
    bar->DrawCommandBar(&cdc, rc);
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
  };
  drawBar(menuBar, POINT{0, 0});
  drawBar(toolBar, POINT{0, menuSize.cy});
  if (filePopup && filePopup->GetSafeHwnd()) {
    RECT placed;
    ::GetWindowRect(filePopup->GetSafeHwnd(), &placed);
    POINT at{placed.left, placed.top};
    ::ScreenToClient(frame, &at);
    drawBar(filePopup, at);
  }
  cdc.Detach();
  bool written = WriteBitmap(dc, bitmap, client.right, client.bottom, out);
  bool styles = false;
  if (auto* xp = dynamic_cast<TKPaintThemes::CTKNativeXPTheme*>(GlobalPaintManager())) styles = xp->StylesActive();
  std::printf("command bars, theme %d (%s, visual styles %s): menu bar %ld x %ld with %d titles, tool bar %ld x %ld with %d controls, "
              "File popup %s with %d items; picture %s\n",
              theme, GlobalPaintManager()->ThemeNumber() == 3 ? "native XP" : "default", styles ? "in use" : "off", menuSize.cx, menuSize.cy,
              menuBar->GetControlCount(), toolSize.cx, toolSize.cy, toolBar->GetControlCount(),
              filePopup && filePopup->IsTrackingMode() ? "open" : "closed", filePopup ? filePopup->GetControlCount() : 0,
              written ? out : "(not written)");
  CTKMouseManager::ThreadInstance()->CloseTrackedBars();
  menuBar->DestroyWindow();
  toolBar->DestroyWindow();
  menuBar->Release();
  toolBar->Release();
  ::DestroyWindow(frame);
  return written ? 0 : 1;
}
