// The modules loaded in a process, through PSAPI or, without it, the ToolHelp snapshot.
#pragma once

#include <windows.h>

#include <vector>

class CModuleEnumerator {
 public:
  explicit CModuleEnumerator(DWORD processId) : process_id_(processId) {}
  virtual ~CModuleEnumerator() = default;
  virtual HMODULE First() = 0;
  virtual HMODULE Next() = 0;

 protected:
  DWORD process_id_;
};

class CTKSkinManagerModuleList {
 public:
  enum class Source { None, Psapi, ToolHelp };
  explicit CTKSkinManagerModuleList(DWORD processId = GetCurrentProcessId());
  // Seam for tests: the enumerator kind to use.
  CTKSkinManagerModuleList(DWORD processId, Source source);

  std::vector<HMODULE> Modules();
  // The kind this process has: PSAPI when it loads, else ToolHelp when KERNEL32 exports it.
  static Source AvailableSource();

 private:
  DWORD process_id_;
  Source source_;
};
