// Runs a call into code we do not control (a visual style, a third party's library) so that a
// fault inside it comes back as a failure instead of ending the process. The toolchain has no
// structured exception handling of its own: a vectored handler sees the fault first and, when
// the faulting thread is inside a guarded call, resumes it at the guard's jump target.
#pragma once

#include <utility>

namespace platform {

namespace detail {
// Runs thunk(context) under the thread's innermost guard; false when a fault or any exception
// ended it. What the call had acquired when it faulted is not released.
bool RunGuarded(void (*thunk)(void*), void* context);
}  // namespace detail

// Calls fn() (which returns nothing). True when it returned, false when it faulted (access
// violation, illegal or privileged instruction, integer division by zero, misalignment,
// floating-point fault) or threw. Guards nest; each thread has its own.
template <typename F>
bool GuardedCall(F&& fn) {
  auto thunk = [](void* p) { (*static_cast<std::remove_reference_t<F>*>(p))(); };
  return detail::RunGuarded(thunk, const_cast<void*>(static_cast<const void*>(&fn)));
}

// Calls fn() and returns its result, or failed when the call faulted or threw.
template <typename R, typename F>
R GuardedCallOr(R failed, F&& fn) {
  R result = failed;
  if (!GuardedCall([&] { result = fn(); })) return failed;
  return result;
}

}  // namespace platform
