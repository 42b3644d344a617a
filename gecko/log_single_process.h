// The log writer of the Gecko component: every entry is appended on a short-lived thread of its
// own, the writers of this browser process taking turns through the logger's process lock
// (no named mutex across processes).
#pragma once

#include <windows.h>

#include "common/log/log_helper.h"

namespace LogHelperNS {

class CLogHelperStateSingleProcess : public CLogHelperStateFormater {
 public:
  void Write(CLogHelper* logger, const char* text, int level, bool stamp) override;
  // The process's instance, chosen as the file state before the logger is first built.
  static CLogHelperStateSingleProcess* Instance();
  // Writer threads started so far, and a wait until every one has finished.
  static LONG GetWritesStarted();
  static bool WaitForWrites(DWORD timeout_ms);
};

}  // namespace LogHelperNS
