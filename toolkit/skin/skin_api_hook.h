// Redirection of system functions: the import tables of every module of the process are
// rewritten so that a set of KERNEL32, USER32 and UXTHEME functions call the skin's own
// versions first.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win/scoped_handle.h"

class CTKSkinManager;
class CTKSkinManagerApiHook;

class CTKSkinManagerApiFunction {
 public:
  CTKSkinManagerApiFunction(CTKSkinManagerApiHook* owner, const char* module, const char* function, FARPROC system,
                            FARPROC replacement);
  bool Apply();
  void Restore();

  const std::string& ModuleName() const { return module_; }
  const std::string& FunctionName() const { return function_; }
  FARPROC System() const { return system_; }
  FARPROC Replacement() const { return replacement_; }
  bool IsApplied() const { return applied_; }

 private:
  CTKSkinManagerApiHook* owner_;
  std::string module_;
  std::string function_;
  FARPROC system_;
  FARPROC replacement_;
  bool applied_ = false;
};

class CTKSkinManagerApiHook {
 public:
  static constexpr int kSlotCount = 32;

  explicit CTKSkinManagerApiHook(CTKSkinManager* manager) : manager_(manager) {}
  ~CTKSkinManagerApiHook();
  CTKSkinManagerApiHook(const CTKSkinManagerApiHook&) = delete;
  CTKSkinManagerApiHook& operator=(const CTKSkinManagerApiHook&) = delete;

  void HookAll();
  void UnhookAll();
  CTKSkinManagerApiFunction* AddFunction(int index, const char* module, const char* function, FARPROC replacement);
  bool PatchAllModules(const char* module, FARPROC from, FARPROC to);
  bool PatchModule(HMODULE target, const char* importModule, FARPROC from, FARPROC to);
  // The system function of a slot; none for an empty slot or an index outside the table.
  FARPROC GetSystemFunction(int index) const;
  CTKSkinManagerApiFunction* FindFunction(const char* module, const char* function) const;
  CTKSkinManagerApiFunction* Slot(int index) const;
  void PatchNewModule(HMODULE module, DWORD flags);
  bool IsHooked() const { return hooked_; }
  int HookedCount() const;
  CTKSkinManager* Manager() const { return manager_; }

 private:
  CTKSkinManager* manager_;
  std::unique_ptr<CTKSkinManagerApiFunction> slots_[kSlotCount];
  bool hooked_ = false;
  // UXTHEME loaded by the hook itself, freed with the last unhook.
  KestrinWinNS::CScopedLibrary uxtheme_;
};
