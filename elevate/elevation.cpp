#include "elevate/elevation.h"

#include <shlwapi.h>

namespace ElevateNS {

namespace {

// The argument vector that CommandLineToArgvW hands out, freed when it goes.
class CArguments {
 public:
  explicit CArguments(const wchar_t* command_line) : argv_(CommandLineToArgvW(command_line, &count_)) {}
  ~CArguments() {
    if (argv_) LocalFree(argv_);
  }
  CArguments(const CArguments&) = delete;
  CArguments& operator=(const CArguments&) = delete;
  int count() const { return argv_ ? count_ : 0; }
  const wchar_t* operator[](int i) const { return argv_[i]; }

 private:
  int count_ = 0;
  wchar_t** argv_;
};

}  // namespace

int RunElevationHelper(const wchar_t* command_line, StartFunction start) {
  CArguments arguments(command_line);
  if (arguments.count() > 1) {
    const wchar_t* path = arguments[1];
    if (PathFileExistsW(path)) {
      SHELLEXECUTEINFOW request = {};
      request.cbSize = sizeof(request);
      request.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
      request.hwnd = nullptr;
      request.lpVerb = L"runas";
      request.lpFile = path;
      request.nShow = SW_SHOWNORMAL;
      start(&request);
    }
  }
  return 0;
}

}  // namespace ElevateNS
