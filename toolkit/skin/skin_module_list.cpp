#include "toolkit/skin/skin_module_list.h"

#include <tlhelp32.h>

#include <memory>

#include "platform/win/scoped_handle.h"

namespace {

using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Module32Fn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);

// PSAPI, loaded once for the process and freed at exit.
struct Psapi {
  KestrinWinNS::CScopedLibrary module{LoadLibraryW(L"psapi.dll")};
  EnumProcessModulesFn enumModules =
      module ? reinterpret_cast<EnumProcessModulesFn>(GetProcAddress(module.Get(), "EnumProcessModules")) : nullptr;
};

Psapi& GetPsapi() {
  static Psapi psapi;
  return psapi;
}

class CPsapiModuleEnumerator : public CModuleEnumerator {
 public:
  using CModuleEnumerator::CModuleEnumerator;
  HMODULE First() override {
    EnumProcessModulesFn enumModules = GetPsapi().enumModules;
    process_.Reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id_));
    if (!enumModules || !process_) return nullptr;
    DWORD needed = 0;
    if (!enumModules(process_.Get(), nullptr, 0, &needed) || needed == 0) return nullptr;
    modules_.resize(needed / sizeof(HMODULE));
    if (!enumModules(process_.Get(), modules_.data(), static_cast<DWORD>(modules_.size() * sizeof(HMODULE)), &needed))
      return nullptr;
    modules_.resize(std::min<size_t>(modules_.size(), needed / sizeof(HMODULE)));
    index_ = 0;
    return Next();
  }
  HMODULE Next() override { return index_ < modules_.size() ? modules_[index_++] : nullptr; }

 private:
  KestrinWinNS::CScopedKernelHandle process_;
  std::vector<HMODULE> modules_;
  size_t index_ = 0;
};

class CToolHelpModuleEnumerator : public CModuleEnumerator {
 public:
  explicit CToolHelpModuleEnumerator(DWORD processId) : CModuleEnumerator(processId) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    create_ = reinterpret_cast<CreateSnapshotFn>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
    first_ = reinterpret_cast<Module32Fn>(GetProcAddress(kernel, "Module32FirstW"));
    next_ = reinterpret_cast<Module32Fn>(GetProcAddress(kernel, "Module32NextW"));
  }
  HMODULE First() override {
    if (!create_ || !first_ || !next_) return nullptr;
    snapshot_.Reset(create_(TH32CS_SNAPMODULE, process_id_));
    if (!snapshot_) return nullptr;
    entry_.dwSize = sizeof(entry_);
    return first_(snapshot_.Get(), &entry_) ? entry_.hModule : nullptr;
  }
  HMODULE Next() override { return next_(snapshot_.Get(), &entry_) ? entry_.hModule : nullptr; }

 private:
  CreateSnapshotFn create_ = nullptr;
  Module32Fn first_ = nullptr;
  Module32Fn next_ = nullptr;
  KestrinWinNS::CScopedKernelHandle snapshot_;
  MODULEENTRY32W entry_{};
};

}  // namespace

CTKSkinManagerModuleList::Source CTKSkinManagerModuleList::AvailableSource() {
  if (GetPsapi().enumModules) return Source::Psapi;
  if (GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateToolhelp32Snapshot")) return Source::ToolHelp;
  return Source::None;
}

CTKSkinManagerModuleList::CTKSkinManagerModuleList(DWORD processId)
    : process_id_(processId), source_(AvailableSource()) {}

CTKSkinManagerModuleList::CTKSkinManagerModuleList(DWORD processId, Source source)
    : process_id_(processId), source_(source) {}

std::vector<HMODULE> CTKSkinManagerModuleList::Modules() {
  std::unique_ptr<CModuleEnumerator> enumerator;
  if (source_ == Source::Psapi) enumerator = std::make_unique<CPsapiModuleEnumerator>(process_id_);
  if (source_ == Source::ToolHelp) enumerator = std::make_unique<CToolHelpModuleEnumerator>(process_id_);
  std::vector<HMODULE> modules;
  if (!enumerator) return modules;
  for (HMODULE m = enumerator->First(); m; m = enumerator->Next()) modules.push_back(m);
  return modules;
}
