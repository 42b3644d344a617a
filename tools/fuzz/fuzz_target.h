// The readers the fuzz driver feeds: one function a target, given bytes of any shape.
#pragma once

#include <windows.h>
#include <stddef.h>

namespace KestrinFuzz {

struct Target {
  const char* name;
  void (*run)(const BYTE* data, size_t size);
};

// Every target, ended by an entry without a name.
extern const Target kTargets[];

// Stops the run as a crash would: for a reader whose result breaks its own promise.
void Fail(const char* what);

}  // namespace KestrinFuzz
