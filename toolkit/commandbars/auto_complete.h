// The shell's auto-complete on an edit window, where the platform has it: the function is
// looked up in the shell's light-weight library when it is needed, and a system without it
// simply has none (the combo box then completes from its own list).
#pragma once

#include <windows.h>

using CTKShellAutoCompleteFn = HRESULT(WINAPI*)(HWND edit, DWORD flags);

// Applies the flags to the edit window. False when the platform has no shell auto-complete, the
// flags are 0, or the shell refused.
bool TKApplyShellAutoComplete(HWND edit, DWORD flags);
// Whether the platform offers the shell's auto-complete.
bool TKHasShellAutoComplete();
// Seam: the function used in place of the shell's (null looks the shell's up again; a test that
// wants a platform without it passes TKNoShellAutoComplete).
void TKSetShellAutoCompleteFunction(CTKShellAutoCompleteFn fn);
HRESULT WINAPI TKNoShellAutoComplete(HWND edit, DWORD flags);
