// A running add-on's side of a settings change, in a process of its own: it listens for the
// settings broadcast as the add-ons do, reads its settings again each time it comes, and writes
// the border colour and width it then holds, with the number of broadcasts, to a file.
//   settings_peer.exe <result file> <ready event> <quit event>
#include <windows.h>

#include <cstdio>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"

namespace {

class CSettingsFollower : public ObserveNS::IObserver {
 public:
  explicit CSettingsFollower(const char* result) : result_(result) {}
  void Notify(DWORD event) override {
    if (event != ObserveNS::kEventSettingsChanged) return;
    settings_.Reload(SettingsUtilsNS::kLoadGroupAll);
    FILE* f = std::fopen(result_, "w");
    if (f) {
      std::fprintf(f, "%lu %lu %d\n", static_cast<unsigned long>(settings_.GetBorderColour(false)),
                   static_cast<unsigned long>(settings_.GetBorderWidth(false)), ++heard_);
      std::fclose(f);
    }
  }

 private:
  SettingsUtilsNS::CSettingsKestrin settings_{SettingsUtilsNS::kLoadGroupAll};
  const char* result_;
  int heard_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
  if (!ready || !quit) return 3;
  CSettingsFollower follower(argv[1]);
  ObserveNS::CObserverService* service = ObserveNS::CObserverService::GetInstance();
  service->Register(&follower, ObserveNS::kEventSettingsChanged);
  SetEvent(ready);
  DWORD waited = WaitForSingleObject(quit, 60000);
  service->Unregister(&follower, ObserveNS::kEventSettingsChanged);
  ObserveNS::CObserverService::Shutdown();
  CloseHandle(ready);
  CloseHandle(quit);
  return waited == WAIT_OBJECT_0 ? 0 : 1;
}
