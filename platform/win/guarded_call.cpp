#include "platform/win/guarded_call.h"

#include <windows.h>

namespace platform {
namespace {

// One guard on the thread's stack: the jump target and the guard it covers.
struct GuardFrame {
  void* jump[5];  // __builtin_setjmp: frame pointer, resume address, stack pointer and spares
  GuardFrame* outer;
};

// The thread's innermost guard. A TLS slot rather than thread_local: the handler reads it
// while the thread is stopped at a fault, where nothing may allocate.
DWORD GuardSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

bool IsFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_INEXACT_RESULT:
      return true;
    default:
      return false;  // exceptions raised on purpose belong to the code that raised them
  }
}

// Where a faulting guarded thread resumes: an ordinary call on its own stack, which jumps back
// to the guard. Jumping from inside the handler instead would leave the system's exception
// dispatch half done.
[[noreturn]] __attribute__((noinline)) void ResumeAtGuard() {
  auto* frame = static_cast<GuardFrame*>(TlsGetValue(GuardSlot()));
  __builtin_longjmp(frame->jump, 1);
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* pointers) {
  if (!IsFault(pointers->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  if (!TlsGetValue(GuardSlot())) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* context = pointers->ContextRecord;
  // Resume below the faulting frame, with the stack aligned as at a function's entry.
#if defined(_WIN64)
  context->Rsp = ((context->Rsp - 256) & ~static_cast<DWORD64>(15)) - 8;
  context->Rip = reinterpret_cast<DWORD64>(&ResumeAtGuard);
#else
  context->Esp = ((context->Esp - 256) & ~static_cast<DWORD>(15)) - 4;
  context->Eip = reinterpret_cast<DWORD>(&ResumeAtGuard);
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Kept apart from the guard's jump target: an exception thrown by the call ends here.
__attribute__((noinline)) bool CallCatching(void (*thunk)(void*), void* context) {
  try {
    thunk(context);
    return true;
  } catch (...) {
    return false;
  }
}

void InstallHandlerOnce() {
  static const PVOID handler = AddVectoredExceptionHandler(1, &FaultHandler);
  (void)handler;
}

}  // namespace

namespace detail {

__attribute__((noinline)) bool RunGuarded(void (*thunk)(void*), void* context) {
  InstallHandlerOnce();
  const DWORD slot = GuardSlot();
  GuardFrame frame;
  frame.outer = static_cast<GuardFrame*>(TlsGetValue(slot));
  if (__builtin_setjmp(frame.jump)) {
    TlsSetValue(slot, frame.outer);
    return false;
  }
  TlsSetValue(slot, &frame);
  const bool completed = CallCatching(thunk, context);
  TlsSetValue(slot, frame.outer);
  return completed;
}

}  // namespace detail
}  // namespace platform
