// Reads a system colour through its own import of GetSysColor.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD ProbeButtonFace() { return GetSysColor(COLOR_BTNFACE); }
