#include "toolkit/commandbars/auto_complete.h"

#include "platform/win/scoped_handle.h"

namespace {
CTKShellAutoCompleteFn g_override = nullptr;

// Calls the shell's function when the library has it; E_NOTIMPL when it does not.
HRESULT WINAPI CallShell(HWND edit, DWORD flags) {
  KestrinWinNS::CScopedLibrary library(::LoadLibraryW(L"shlwapi.dll"));
  if (!library) return E_NOTIMPL;
  auto fn = reinterpret_cast<CTKShellAutoCompleteFn>(
      reinterpret_cast<void*>(::GetProcAddress(library.Get(), "SHAutoComplete")));
  if (!fn) return E_NOTIMPL;
  return fn(edit, flags);
}

bool ShellHasIt() {
  KestrinWinNS::CScopedLibrary library(::LoadLibraryW(L"shlwapi.dll"));
  return library && ::GetProcAddress(library.Get(), "SHAutoComplete") != nullptr;
}
}  // namespace

HRESULT WINAPI TKNoShellAutoComplete(HWND, DWORD) { return E_NOTIMPL; }

void TKSetShellAutoCompleteFunction(CTKShellAutoCompleteFn fn) { g_override = fn; }

bool TKHasShellAutoComplete() {
  if (g_override) return g_override != &TKNoShellAutoComplete;
  return ShellHasIt();
}

bool TKApplyShellAutoComplete(HWND edit, DWORD flags) {
  if (!edit || !flags) return false;
  CTKShellAutoCompleteFn fn = g_override ? g_override : &CallShell;
  return SUCCEEDED(fn(edit, flags));
}
