// Kestrin.exe: the tray program.
#include <windows.h>

#include "tray/tray_app.h"
#include "tray/tray_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  CSystemTrayServices services;
  CDravixTrayMFCApp app(&services);
  return app.Main();
}
