// Stands in for the tray program: signals the event its starter names in the environment
// (other test programs may start it through the same Run value; they name none), then exits.
#include <windows.h>

#include "platform/win/scoped_handle.h"

int main() {
  char name[128];
  DWORD n = GetEnvironmentVariableA("KESTRIN_TRAY_STUB_EVENT", name, sizeof(name));
  if (n == 0 || n >= sizeof(name)) return 1;
  KestrinWinNS::CScopedKernelHandle started(OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
  if (!started) return 1;
  SetEvent(started.Get());
  return 0;
}
