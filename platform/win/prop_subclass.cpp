#include "platform/win/prop_subclass.h"

#include <string.h>

#include <utility>
#include <vector>

#include "platform/win/lock.h"

namespace KestrinWinNS {
namespace {

// The kinds used so far, and the windows where a removed kind still lies under a foreign
// procedure and only hands messages on.
struct Registry {
  CCriticalSection lock;
  std::vector<const PropSubclassKind*> kinds;
  std::vector<std::pair<HWND, const PropSubclassKind*>> passing;
};

Registry& Kinds() {
  static Registry registry;
  return registry;
}

LONG_PTR AsLong(WNDPROC proc) { return reinterpret_cast<LONG_PTR>(proc); }

WNDPROC PreviousOf(const PropSubclassKind& kind, HWND window) {
  return reinterpret_cast<WNDPROC>(GetPropA(window, kind.old_proc_property));
}

// Under the registry's lock.
bool ForgetPassing(Registry& registry, HWND window, const PropSubclassKind& kind) {
  for (auto it = registry.passing.begin(); it != registry.passing.end(); ++it) {
    if (it->first == window && it->second == &kind) {
      registry.passing.erase(it);
      return true;
    }
  }
  return false;
}

void RemoveProperties(const PropSubclassKind& kind, HWND window) {
  RemovePropA(window, kind.object_property);
  RemovePropA(window, kind.old_proc_property);
}

// Another of our kinds lying directly over `kind`: it is given `kind`'s previous procedure, so
// that `kind` leaves the chain. Under the registry's lock.
bool RelinkOver(Registry& registry, const PropSubclassKind& kind, HWND window, WNDPROC previous) {
  for (const PropSubclassKind* other : registry.kinds) {
    if (other == &kind || strcmp(other->old_proc_property, kind.old_proc_property) == 0) continue;
    if (PreviousOf(*other, window) != kind.proc) continue;
    return SetPropA(window, other->old_proc_property, reinterpret_cast<HANDLE>(previous)) != FALSE;
  }
  return false;
}

LRESULT CallPreviousProc(WNDPROC previous, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return previous ? CallWindowProcA(previous, window, message, wparam, lparam)
                  : DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

namespace detail {

bool PropSubclass(const PropSubclassKind& kind, HWND window, void* object) {
  if (!object || !window || !IsWindow(window)) return false;
  Registry& registry = Kinds();
  CScopedLock lock(registry.lock);
  bool known = false;
  for (const PropSubclassKind* k : registry.kinds) known = known || k == &kind;
  if (!known) registry.kinds.push_back(&kind);

  if (GetPropA(window, kind.old_proc_property)) {
    // Still in the chain, only handing on: it takes messages to the object again.
    if (GetPropA(window, kind.object_property) || !ForgetPassing(registry, window, kind)) return false;
    if (SetPropA(window, kind.object_property, object)) return true;
    registry.passing.emplace_back(window, &kind);
    return false;
  }
  const LONG_PTR previous = GetWindowLongPtrA(window, GWLP_WNDPROC);
  if (!previous) return false;
  // The properties are there before the first message reaches the procedure.
  if (!SetPropA(window, kind.old_proc_property, reinterpret_cast<HANDLE>(previous)) ||
      !SetPropA(window, kind.object_property, object)) {
    RemoveProperties(kind, window);
    return false;
  }
  if (!SetWindowLongPtrA(window, GWLP_WNDPROC, AsLong(kind.proc))) {
    RemoveProperties(kind, window);
    return false;
  }
  return true;
}

bool PropUnsubclass(const PropSubclassKind& kind, HWND window) {
  if (!window) return false;
  Registry& registry = Kinds();
  CScopedLock lock(registry.lock);
  if (!IsWindow(window)) {
    ForgetPassing(registry, window, kind);
    return false;
  }
  const WNDPROC previous = PreviousOf(kind, window);
  if (!previous || !GetPropA(window, kind.object_property)) return false;
  if (GetWindowLongPtrA(window, GWLP_WNDPROC) == AsLong(kind.proc)) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, AsLong(previous));
    RemoveProperties(kind, window);
    return true;
  }
  if (RelinkOver(registry, kind, window, previous)) {
    RemoveProperties(kind, window);
    return true;
  }
  // Under a procedure we cannot reach: the kind stays in the chain and only hands on.
  RemovePropA(window, kind.object_property);
  registry.passing.emplace_back(window, &kind);
  return true;
}

LRESULT PropDispatch(const PropSubclassKind& kind, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const WNDPROC previous = PreviousOf(kind, window);
  void* object = GetPropA(window, kind.object_property);
  LRESULT result = 0;
  bool handled = false;
  if (object) {
    try {
      handled = kind.handler(object, window, message, wparam, lparam, &result);
    } catch (...) {
      handled = false;
    }
  }
  if (message != WM_NCDESTROY) {
    if (handled) return result;
    if (!object && previous && GetWindowLongPtrA(window, GWLP_WNDPROC) == AsLong(kind.proc)) {
      // Handing on only, and on top again: the kind leaves the chain now.
      Registry& registry = Kinds();
      CScopedLock lock(registry.lock);
      if (ForgetPassing(registry, window, kind)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, AsLong(previous));
        RemoveProperties(kind, window);
      }
    }
    return CallPreviousProc(previous, window, message, wparam, lparam);
  }

  // The last message: the procedure below sees it too, then the kind lets go.
  if (!handled) result = CallPreviousProc(previous, window, message, wparam, lparam);
  if (GetWindowLongPtrA(window, GWLP_WNDPROC) == AsLong(kind.proc))
    SetWindowLongPtrA(window, GWLP_WNDPROC, AsLong(previous));
  if (PreviousOf(kind, window) == previous) RemoveProperties(kind, window);
  Registry& registry = Kinds();
  CScopedLock lock(registry.lock);
  ForgetPassing(registry, window, kind);
  return result;
}

WNDPROC PropPrevious(const PropSubclassKind& kind, HWND window) { return PreviousOf(kind, window); }

void* PropObject(const PropSubclassKind& kind, HWND window) {
  return window ? GetPropA(window, kind.object_property) : nullptr;
}

}  // namespace detail
}  // namespace KestrinWinNS
