// The registrar: runs a registration script (the script language of in-process COM servers)
// against the registry, writing its keys or removing them again.
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove '{...}' = s 'Name'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Roots: HKCR, HKLM, HKCU (and their long names). A key may be marked NoRemove (kept on
// removal), ForceRemove (deleted with everything under it before it is written, and on
// removal) or Delete (deleted on registration, never written). Values: `= s 'text'`,
// `= e 'text'` (REG_EXPAND_SZ), `= d 'number'` (REG_DWORD, decimal or 0x hexadecimal).
// `%NAME%` is replaced by the value given for NAME; `%%` is a percent sign.
//
// Removal deletes what the script writes and nothing else: the values a script names are
// deleted, and a key that is not kept goes only when nothing is left under it.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace KestrinAxNS {

class CRegistrar {
 public:
  // Adds or replaces the text for %name%.
  void AddReplacement(const std::wstring& name, const std::wstring& value);

  // Runs a script: S_OK, or the first failure (DISP_E_EXCEPTION for a script that does not
  // parse, a Win32 error as HRESULT for a registry failure). Registration stops at the first
  // failure and leaves what it wrote.
  HRESULT Register(const std::wstring& script) const { return Run(script, true); }
  HRESULT Unregister(const std::wstring& script) const { return Run(script, false); }

  // The script in resource `id` of type "REGISTRY" of `module` (UTF-8 text).
  HRESULT RegisterResource(HMODULE module, UINT id, bool do_register) const;

  // Whether the script parses (no registry access).
  bool Parses(const std::wstring& script) const;

 private:
  HRESULT Run(const std::wstring& script, bool do_register) const;

  std::vector<std::pair<std::wstring, std::wstring>> replacements_;
};

// The text of a resource of type "REGISTRY", converted from UTF-8; empty when absent.
std::wstring LoadScriptResource(HMODULE module, UINT id);

}  // namespace KestrinAxNS
