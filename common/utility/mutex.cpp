#include "common/utility/mutex.h"

#include "common/utility/platform.h"
#include "platform/win/module.h"
#include "platform/win/scoped_resource.h"

namespace UtilityClassesNS {

namespace {

const DWORD kSynchronizeAndModify = 0x100001;  // SYNCHRONIZE | MUTEX_MODIFY_STATE
const char kBoundaryName[] = "FB3C9B78-3533-4524-8749-124FFCF43529";
const char kNamespaceAlias[] = "FAD1FA92-1444-4094-B1F1-9A73893A4A22";

typedef HANDLE(WINAPI* CreateBoundaryDescriptorAFn)(LPCSTR, ULONG);
typedef VOID(WINAPI* DeleteBoundaryDescriptorFn)(HANDLE);
typedef BOOL(WINAPI* AddSIDToBoundaryDescriptorFn)(HANDLE*, PSID);
typedef HANDLE(WINAPI* CreatePrivateNamespaceAFn)(LPSECURITY_ATTRIBUTES, LPVOID, LPCSTR);
typedef HANDLE(WINAPI* OpenPrivateNamespaceAFn)(LPVOID, LPCSTR);
typedef BOOLEAN(WINAPI* ClosePrivateNamespaceFn)(HANDLE, ULONG);
typedef BOOL(WINAPI* ConvertStringSidToSidAFn)(LPCSTR, PSID*);

template <typename Fn>
Fn Kernel32(const char* name) {
  return KestrinWinNS::SystemFunctionAs<Fn>("kernel32.dll", name);
}

// The process-wide private namespace shared by every Vista mutex. Set up on the constructing
// thread; the user count is interlocked.
struct PrivateNamespace {
  CreateBoundaryDescriptorAFn create_boundary;
  DeleteBoundaryDescriptorFn delete_boundary;
  AddSIDToBoundaryDescriptorFn add_sid;
  CreatePrivateNamespaceAFn create_namespace;
  OpenPrivateNamespaceAFn open_namespace;
  ClosePrivateNamespaceFn close_namespace;
  ConvertStringSidToSidAFn convert_sid;
  HANDLE boundary;
  HANDLE space;
  bool ready;
  LONG users;
  SECURITY_ATTRIBUTES attributes;
};

PrivateNamespace g_ns;

void TearDownNamespace() {
  if (g_ns.space && g_ns.close_namespace) g_ns.close_namespace(g_ns.space, 1);
  if (g_ns.boundary && g_ns.delete_boundary) g_ns.delete_boundary(g_ns.boundary);
  g_ns.space = nullptr;
  g_ns.boundary = nullptr;
  g_ns.create_boundary = nullptr;
  g_ns.delete_boundary = nullptr;
  g_ns.add_sid = nullptr;
  g_ns.create_namespace = nullptr;
  g_ns.open_namespace = nullptr;
  g_ns.close_namespace = nullptr;
  g_ns.convert_sid = nullptr;
  g_ns.ready = false;
}

HRESULT SetUpNamespace() {
  if (g_ns.ready) return S_OK;
  g_ns.create_boundary = Kernel32<CreateBoundaryDescriptorAFn>("CreateBoundaryDescriptorA");
  g_ns.delete_boundary = Kernel32<DeleteBoundaryDescriptorFn>("DeleteBoundaryDescriptor");
  g_ns.add_sid = Kernel32<AddSIDToBoundaryDescriptorFn>("AddSIDToBoundaryDescriptor");
  g_ns.create_namespace = Kernel32<CreatePrivateNamespaceAFn>("CreatePrivateNamespaceA");
  g_ns.open_namespace = Kernel32<OpenPrivateNamespaceAFn>("OpenPrivateNamespaceA");
  g_ns.close_namespace = Kernel32<ClosePrivateNamespaceFn>("ClosePrivateNamespace");
  g_ns.convert_sid = KestrinWinNS::SystemFunctionAs<ConvertStringSidToSidAFn>("advapi32.dll", "ConvertStringSidToSidA");
  if (!g_ns.create_boundary || !g_ns.delete_boundary || !g_ns.add_sid || !g_ns.create_namespace ||
      !g_ns.open_namespace || !g_ns.close_namespace || !g_ns.convert_sid) {
    TearDownNamespace();
    return E_FAIL;
  }
  g_ns.attributes.nLength = sizeof(g_ns.attributes);
  g_ns.attributes.lpSecurityDescriptor = nullptr;
  g_ns.attributes.bInheritHandle = TRUE;
  g_ns.boundary = g_ns.create_boundary(kBoundaryName, 0);
  if (g_ns.boundary) {
    PSID everyone = nullptr;
    if (g_ns.convert_sid("WD", &everyone)) {
      KestrinWinNS::CScopedLocalMemory everyone_owner(everyone);
      g_ns.add_sid(&g_ns.boundary, everyone);
    }
    g_ns.space = g_ns.create_namespace(nullptr, g_ns.boundary, kNamespaceAlias);
    if (!g_ns.space) g_ns.space = g_ns.open_namespace(g_ns.boundary, kNamespaceAlias);
  }
  if (g_ns.space) {
    g_ns.ready = true;
    return S_OK;
  }
  TearDownNamespace();
  return E_FAIL;
}

// Waits for a mutex handle: 0 taken (abandoned counts as taken), 1 timed out, E_FAIL else.
HRESULT WaitForMutex(HANDLE handle, DWORD wait_ms, bool* held) {
  switch (WaitForSingleObject(handle, wait_ms)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      *held = true;
      return S_OK;
    case WAIT_TIMEOUT:
      return S_FALSE;
    default:
      return E_FAIL;
  }
}

}  // namespace

CMutexNT5::CMutexNT5(const char* name, DWORD wait_ms) : wait_ms_(wait_ms) {
  handle_.Reset(CreateMutexA(nullptr, FALSE, name));
  existed_ = handle_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

CMutexNT5::~CMutexNT5() {
  Unlock();
}

HRESULT CMutexNT5::Lock() {
  if (held_) return S_FALSE;
  if (!handle_) return E_FAIL;
  return WaitForMutex(handle_.Get(), wait_ms_, &held_);
}

HRESULT CMutexNT5::Unlock() {
  if (!held_) return S_FALSE;
  ReleaseMutex(handle_.Get());
  held_ = false;
  return S_OK;
}

HRESULT CMutexNT5::IsCreator() {
  if (!handle_) return E_FAIL;
  return existed_ ? S_OK : S_FALSE;
}

CMutexNT6::CMutexNT6(const char* name, DWORD wait_ms) : wait_ms_(wait_ms) {
  if (FAILED(SetUpNamespace())) return;
  uses_namespace_ = true;
  InterlockedIncrement(&g_ns.users);
  handle_.Reset(CreateMutexA(&g_ns.attributes, FALSE, name));
  if (!handle_) {
    handle_.Reset(OpenMutexA(kSynchronizeAndModify, FALSE, name));
    if (handle_) existed_ = true;
  } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
    existed_ = true;
  }
}

CMutexNT6::~CMutexNT6() {
  Unlock();
  handle_.Reset();
  if (uses_namespace_ && InterlockedDecrement(&g_ns.users) == 0) TearDownNamespace();
}

HRESULT CMutexNT6::Lock() {
  if (held_) return S_FALSE;
  if (!handle_) return E_FAIL;
  HRESULT hr = WaitForMutex(handle_.Get(), wait_ms_, &held_);
  if (hr == S_FALSE) held_ = false;
  return hr;
}

HRESULT CMutexNT6::Unlock() {
  if (!held_) return S_FALSE;
  ReleaseMutex(handle_.Get());
  held_ = false;
  return S_OK;
}

HRESULT CMutexNT6::IsCreator() {
  if (!handle_ || !g_ns.ready) return E_FAIL;
  return existed_ ? S_OK : S_FALSE;
}

bool CMutexNT6::IsNamespaceReady() { return g_ns.ready; }

CMutexHolder::CMutexHolder(const char* name, DWORD wait_ms) {
  if (GetOSClass() == OS_VISTA)
    mutex_.reset(new CMutexNT6(name, wait_ms));
  else
    mutex_.reset(new CMutexNT5(name, wait_ms));
}

CMutexHolder::~CMutexHolder() = default;

}  // namespace UtilityClassesNS
