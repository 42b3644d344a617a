// The elevation helper's work: start the one file named on the command line with the system's
// elevation prompt.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace ElevateNS {

// How the start request is made; the program passes ShellExecuteExW, tests a recorder.
using StartFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* request);

// Reads the command line (program path, then the file to start; further arguments are
// ignored) and asks for the file to be started elevated when it exists. Always 0.
int RunElevationHelper(const wchar_t* command_line, StartFunction start);

}  // namespace ElevateNS
