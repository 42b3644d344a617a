/* A skin library that also carries code: loading it as a program library would run DllMain,
   which leaves a mark in the process's environment. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableW(L"KESTRIN_SKIN_CODE_RAN", L"1");
  return TRUE;
}
