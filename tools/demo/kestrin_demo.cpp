// Shows what the running system sees of its platform: the Windows version class, the
// versions Kestrin reports, its install folder and whether the tray program runs.
#include <stdio.h>
#include <windows.h>

#include "common/utility/platform.h"

using namespace UtilityClassesNS;

int main() {
  printf("Windows version class: %d (%s)\n", GetOSClass(), GetOSDescription());
  char version[64];
  if (GetProductVersion(version, sizeof(version), 0)) printf("Kestrin version: %s\n", version);
  printf("Registered add-on control version: %s\n",
         GetProductVersion(version, sizeof(version), 1) ? version : "(not registered)");
  CSystemFolders folders;
  char install[MAX_PATH];
  printf("Install folder: %s\n", folders.GetInstallFolder(install, sizeof(install)) ? install : "(unknown)");
  printf("Tray program running: %s\n", IsTrayProgramRunning() ? "yes" : "no");
  return 0;
}
