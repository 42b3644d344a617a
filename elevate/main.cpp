// Halvorn.exe: starts the file named on its command line with administrator rights.
#include <windows.h>

#include "elevate/elevation.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return ElevateNS::RunElevationHelper(GetCommandLineW(), ShellExecuteExW);
}
