// The Office 2007 image set's resource module: bitmaps and INI text only, no code of its own.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
