// Shows the validation border with its caption over a stand-in browser window.
//   border_screenshot.exe [--width N] [--colour RRGGBB] [--text-size N] [--caption TEXT]
//                         [--seconds N] [--ready FILE]
// Given values are saved to the user's settings first (which broadcasts event 1, so every
// running border follows them); the border then shows with what it reloaded. Once it is on
// screen the program writes FILE (if given) and stays for the given seconds (default 20).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "common/windowing/validation_border.h"
#include "platform/win/gdi.h"
#include "tools/standin/standin_frame.h"

namespace {

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    RECT bar = {0, 0, r.right, 36};
    KestrinWinNS::CScopedBrush grey(CreateSolidBrush(RGB(230, 230, 235)));
    FillRect(dc, &bar, grey.Get());
    SetBkMode(dc, TRANSPARENT);
    RECT address = {12, 8, r.right - 12, 30};
    DrawTextA(dc, "https://www.example.com/", -1, &address, DT_LEFT | DT_SINGLELINE);
    RECT body = {40, 80, r.right - 40, r.bottom - 40};
    DrawTextA(dc,
              "Example Ltd\n\nThis page stands in for a browser window. The coloured frame "
              "around the screen is the validation border, with its caption tab at the top.",
              -1, &body, DT_LEFT | DT_WORDBREAK);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

void PumpFor(DWORD ms) { standin::PumpMessagesFor(ms); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int width = -1, text_size = -1, seconds = 20;
  long colour = -1;
  const char* caption = nullptr;
  const char* ready = nullptr;
  for (int i = 1; i + 1 < __argc; i += 2) {
    const char* name = __argv[i];
    const char* value = __argv[i + 1];
    if (!strcmp(name, "--width")) width = atoi(value);
    else if (!strcmp(name, "--colour")) {
      unsigned long rgb = strtoul(value, nullptr, 16);  // RRGGBB as people write it
      colour = (long)RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    } else if (!strcmp(name, "--text-size")) text_size = atoi(value);
    else if (!strcmp(name, "--caption")) caption = value;
    else if (!strcmp(name, "--seconds")) seconds = atoi(value);
    else if (!strcmp(name, "--ready")) ready = value;
  }

  const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  HWND browser = standin::CreateFrameWindow("KestrinDemoBrowser", "Example Ltd - Kestrin demo",
                                            RECT{W / 8, H / 6, W / 8 + W * 3 / 4, H / 6 + H * 2 / 3}, WS_VISIBLE,
                                            BrowserProc);
  PumpFor(300);

  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  if (width > 0 || colour >= 0 || text_size > 0) {
    SettingsUtilsNS::CSettingsKestrin saver(SettingsUtilsNS::kLoadGroupAll);
    // A fresh prefix has no settings yet: write the defaults as setup would.
    saver.FillMissingValues();
    saver.CloseKey();
    if (width > 0) saver.SetBorderWidth((DWORD)width, false);
    if (colour >= 0) saver.SetBorderColour((DWORD)colour, false);
    if (text_size > 0) saver.SetDisplayTextSize((DWORD)text_size, false);
    saver.SaveChanged();  // event 1 reaches the border on the observer service's thread
    DWORD until = GetTickCount() + 5000;
    auto followed = [&] {
      return (colour < 0 || border->GetColour() == (COLORREF)colour) &&
             (width <= 0 || border->GetWidth() == (width < 2 ? 2 : width)) &&
             (text_size <= 0 || border->GetTextSize() == (text_size < 10 ? 10 : text_size));
    };
    while (!followed() && (LONG)(GetTickCount() - until) < 0) PumpFor(20);
  }
  border->SetBrowserWindow(browser);
  if (caption) border->SetCaptionText(caption);
  border->ShowBorder(WindowingNS::BorderKind::kVerification, true, true);
  PumpFor(700);
  if (ready) {
    FILE* f = fopen(ready, "w");
    if (f) {
      fprintf(f, "shown %d\n", border->IsBorderVisible() ? 1 : 0);
      fclose(f);
    }
  }
  PumpFor((DWORD)seconds * 1000);
  WindowingNS::CValidationBorder::Shutdown();
  DestroyWindow(browser);
  return 0;
}
