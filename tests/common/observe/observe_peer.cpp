// The second process of the cross-process broadcast test. Usage:
//   observe_peer <user key path> <ready event> <done event>
// Redirects HKEY_CURRENT_USER to HKCU\<user key path>, registers observers with its process's
// service, signals <ready>, and when <done> is set prints what it received:
//   event0=<n> double=<n> single=<n> event2=<n> width=<last BorderWidth re-read on event 1>
#include <windows.h>

#include <stdio.h>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "tests/common/observe/private_desktop.h"
#include "tests/common/settings/user_key_override.h"
#include "platform/win/scoped_handle.h"

using namespace ObserveNS;

namespace {

class Counter : public IObserver {
 public:
  void Notify(DWORD) override { InterlockedIncrement(&count); }
  LONG count = 0;
};

// Re-reads the border width through a settings object of its own, as the border does.
class SettingsReader : public IObserver {
 public:
  void Notify(DWORD) override {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
    width = settings.GetBorderWidth(true);
    InterlockedIncrement(&count);
  }
  LONG count = 0;
  volatile DWORD width = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  if (!KestrinTests::ApplyUserKeyOverride(argv[1])) return 3;
  KestrinWinNS::CScopedKernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
  KestrinWinNS::CScopedKernelHandle done(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
  if (!ready || !done) return 4;

  CObserverService* service = CObserverService::GetInstance();
  Counter update, rebuilt;
  SettingsReader twice, once;
  service->Register(&update, kEventUpdateFileChanged);
  service->Register(&twice, kEventSettingsChanged);
  service->Register(&twice, kEventSettingsChanged);
  service->Register(&once, kEventSettingsChanged);
  service->Register(&rebuilt, kEventTrustedListRebuilt);

  SetEvent(ready.Get());
  DWORD waited = WaitForSingleObject(done.Get(), 30000);
  service->Unregister(&update, kEventUpdateFileChanged);
  service->Unregister(&twice, kEventSettingsChanged);
  service->Unregister(&once, kEventSettingsChanged);
  service->Unregister(&rebuilt, kEventTrustedListRebuilt);
  printf("event0=%ld double=%ld single=%ld event2=%ld width=%lu\n", update.count, twice.count, once.count,
         rebuilt.count, static_cast<unsigned long>(twice.width));
  fflush(stdout);
  return waited == WAIT_OBJECT_0 ? 0 : 5;
}
