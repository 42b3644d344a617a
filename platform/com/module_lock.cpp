#include "platform/com/com_object.h"

namespace KestrinComNS {
namespace {
LONG g_module_locks = 0;
}  // namespace

LONG CModuleLock::Lock() { return InterlockedIncrement(&g_module_locks); }
LONG CModuleLock::Unlock() { return InterlockedDecrement(&g_module_locks); }
LONG CModuleLock::GetLockCount() { return InterlockedCompareExchange(&g_module_locks, 0, 0); }

}  // namespace KestrinComNS
