// A skin library with code of its own: loading it for real leaves a named event behind.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) CreateEventW(nullptr, TRUE, FALSE, L"KestrinSkinCodeRan");
  return TRUE;
}
