// Mutation fuzzing of one reader:
//   kestrin_fuzz <target> --corpus DIR [--corpus DIR ...] --crashes DIR [--runs N] [--seed S]
//                [--max-size BYTES] [--hang-seconds S]
// Runs every file of the corpus folders and of the target's crash files, then N inputs made
// by mutating corpus files (deterministic for a seed). The input being run is written to
// <crashes>/current-<target>.bin first: when the process dies in a reader (or a platform
// function it called), that file is the input that killed it; the next run keeps it as
// crash-<target>-<n>.bin and runs it again first. An input on which a C runtime aborts the
// process (a failed assertion in a platform library) is kept as abort-<target>-<n>.bin, one that
// runs longer than the hang limit as hang-<target>-<n>.bin. Exit 0 when every input ran, 1 on a
// crash, 2 on usage, 4 on an abort, 5 on a hang (3 is the status the C runtimes end an abort
// with, so it never stands for a hang).
#include <windows.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

using Bytes = std::vector<BYTE>;

struct Options {
  const KestrinFuzz::Target* target = nullptr;
  std::vector<std::string> corpus;
  std::string crashes;
  unsigned long long runs = 1000;
  unsigned long long seed = 1;
  size_t max_size = 1 << 20;
  DWORD hang_ms = 20000;
};

Options g_options;
std::string g_current_path;
volatile LONG64 g_started = 0;  // tick count at which the running input started; 0 between inputs
volatile LONG g_input_number = 0;

bool ReadFileBytes(const std::string& path, Bytes* out) {
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart <= static_cast<LONGLONG>(g_options.max_size);
  if (ok) {
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = out->empty() || (ReadFile(file.Get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr) &&
                          read == out->size());
  }
  return ok;
}

bool WriteFileBytes(const std::string& path, const Bytes& data) {
  KestrinWinNS::CScopedKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  bool ok = data.empty() || WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  FlushFileBuffers(file.Get());
  return ok && written == data.size();
}

std::vector<std::string> FilesOf(const std::string& folder, const char* pattern) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + "\\" + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

// Status values of the driver.
const int kExitCrash = 1;
const int kExitAbort = 4;
const int kExitHang = 5;

// A crash file name not yet taken.
std::string NewCrashPath(const char* kind) {
  for (int n = 0;; ++n) {
    char name[64];
    wsprintfA(name, "\\%s-%s-%d.bin", kind, g_options.target->name, n);
    std::string path = g_options.crashes + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
  }
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  // The input is already on disk as the current file: keep it under a crash name.
  std::string kept = NewCrashPath("crash");
  MoveFileA(g_current_path.c_str(), kept.c_str());
  fprintf(stderr, "CRASH in %s: exception %08lx on input %ld, kept as %s\n", g_options.target->name,
          info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0ul, g_input_number, kept.c_str());
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), kExitCrash);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A C runtime calls this on abort() (after printing a failed assertion); without it, it would
// end the process with status 3 and no word of the input.
void __cdecl OnAbort(int) {
  std::string kept = NewCrashPath("abort");
  MoveFileA(g_current_path.c_str(), kept.c_str());
  fprintf(stderr, "ABORT in %s on input %ld, kept as %s\n", g_options.target->name, g_input_number, kept.c_str());
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), kExitAbort);
}

// Every C runtime that a reader or a platform library may abort through: the driver's own and
// the system's two (the platform's libraries use either). Each keeps its handlers apart, so the
// handler goes into each; the libraries stay loaded for the life of the process.
void CatchAborts() {
  signal(SIGABRT, OnAbort);
  typedef void(__cdecl * Handler)(int);
  typedef Handler(__cdecl * SignalProc)(int, Handler);
  for (const char* name : {"msvcrt.dll", "ucrtbase.dll"}) {
    HMODULE runtime = LoadLibraryA(name);
    SignalProc set = runtime ? reinterpret_cast<SignalProc>(GetProcAddress(runtime, "signal")) : nullptr;
    if (set) set(SIGABRT, OnAbort);
  }
}

DWORD WINAPI Watchdog(void*) {
  for (;;) {
    Sleep(250);
    LONG64 started = g_started;
    if (started && GetTickCount64() - static_cast<ULONGLONG>(started) > g_options.hang_ms) {
      std::string kept = NewCrashPath("hang");
      MoveFileA(g_current_path.c_str(), kept.c_str());
      fprintf(stderr, "HANG in %s on input %ld, kept as %s\n", g_options.target->name, g_input_number, kept.c_str());
      fflush(stderr);
      TerminateProcess(GetCurrentProcess(), kExitHang);
    }
  }
}

void RunOne(const Bytes& input) {
  WriteFileBytes(g_current_path, input);
  InterlockedIncrement(&g_input_number);
  g_started = static_cast<LONG64>(GetTickCount64());
  g_options.target->run(input.empty() ? nullptr : input.data(), input.size());
  g_started = 0;
}

// ---- Mutation ---------------------------------------------------------------------------------

class Random {
 public:
  explicit Random(unsigned long long seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  unsigned long long Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

 private:
  unsigned long long state_;
};

void Mutate(Bytes* data, const std::vector<Bytes>& corpus, Random* random) {
  static const BYTE kInteresting[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0x81, 0x82, 0x84, 0xFF, 0x30, 0x31, 0x03, 0x04,
                                      0x24, 0x2C, 0x3B, 0x21, '<', '>', '?', '/', '\\', '%', '.', '@', ':', '\n'};
  int steps = 1 + static_cast<int>(random->Below(4));
  for (int step = 0; step < steps; ++step) {
    size_t size = data->size();
    switch (random->Below(9)) {
      case 0:  // flip a bit
        if (size) (*data)[random->Below(size)] ^= static_cast<BYTE>(1u << random->Below(8));
        break;
      case 1:  // a value that readers treat specially
        if (size) (*data)[random->Below(size)] = kInteresting[random->Below(sizeof(kInteresting))];
        break;
      case 2:  // a length byte one more or less
        if (size) (*data)[random->Below(size)] += random->Below(2) ? 1 : 0xFF;
        break;
      case 3: {  // insert bytes
        size_t at = random->Below(size + 1), count = 1 + random->Below(8);
        Bytes insert(count);
        for (BYTE& b : insert) b = static_cast<BYTE>(random->Next());
        data->insert(data->begin() + at, insert.begin(), insert.end());
        break;
      }
      case 4:  // cut a range
        if (size) {
          size_t at = random->Below(size), count = 1 + random->Below(std::min<size_t>(size - at, 64));
          data->erase(data->begin() + at, data->begin() + at + count);
        }
        break;
      case 5:  // end early
        if (size) data->resize(random->Below(size));
        break;
      case 6:  // repeat a range many times (nesting, frame and record counts)
        if (size) {
          size_t at = random->Below(size), count = 1 + random->Below(std::min<size_t>(size - at, 16));
          Bytes piece(data->begin() + at, data->begin() + at + count);
          size_t times = 1 + random->Below(256);
          for (size_t i = 0; i < times && data->size() < g_options.max_size; ++i)
            data->insert(data->begin() + at, piece.begin(), piece.end());
        }
        break;
      case 7:  // copy a range over another place
        if (size > 1) {
          size_t from = random->Below(size), to = random->Below(size);
          size_t count = 1 + random->Below(std::min<size_t>(std::min(size - from, size - to), 32));
          memmove(data->data() + to, data->data() + from, count);
        }
        break;
      default: {  // splice with another corpus entry
        const Bytes& other = corpus[random->Below(corpus.size())];
        if (other.empty()) break;
        size_t from = random->Below(other.size());
        size_t at = random->Below(size + 1);
        data->resize(at);
        data->insert(data->end(), other.begin() + from, other.end());
        break;
      }
    }
    if (data->size() > g_options.max_size) data->resize(g_options.max_size);
  }
}

// A folder given as a Unix path (as the build passes it) in the form Windows programs use.
std::string WindowsPath(const char* path) {
  std::string out = path;
  if (!out.empty() && out[0] == '/') out = "Z:" + out;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

// The driver's own check of its abort report: every input aborts through the system's C
// runtime, as a failed assertion in a platform library does.
void AbortThroughSystemRuntime(const BYTE*, size_t) {
  typedef void(__cdecl * AbortProc)();
  HMODULE runtime = LoadLibraryA("ucrtbase.dll");
  AbortProc stop = runtime ? reinterpret_cast<AbortProc>(GetProcAddress(runtime, "abort")) : nullptr;
  if (stop) stop();
  abort();
}
const KestrinFuzz::Target kAbortCheck = {"abort-check", AbortThroughSystemRuntime};

int Usage() {
  fprintf(stderr, "usage: kestrin_fuzz <target> --corpus DIR --crashes DIR [--runs N] [--seed S] "
                  "[--max-size BYTES] [--hang-seconds S]\ntargets:");
  for (const KestrinFuzz::Target* t = KestrinFuzz::kTargets; t->name; ++t) fprintf(stderr, " %s", t->name);
  fprintf(stderr, "\n");
  return 2;
}

}  // namespace

namespace KestrinFuzz {

void Fail(const char* what) {
  fprintf(stderr, "reader promise broken: %s\n", what);
  RaiseException(0xE0F0220Bu, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

}  // namespace KestrinFuzz

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const KestrinFuzz::Target* t = KestrinFuzz::kTargets; t->name; ++t)
    if (strcmp(t->name, argv[1]) == 0) g_options.target = t;
  if (strcmp(kAbortCheck.name, argv[1]) == 0) g_options.target = &kAbortCheck;
  if (!g_options.target) return Usage();
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string flag = argv[i];
    const char* value = argv[i + 1];
    if (flag == "--corpus") g_options.corpus.push_back(WindowsPath(value));
    else if (flag == "--crashes") g_options.crashes = WindowsPath(value);
    else if (flag == "--runs") g_options.runs = _strtoui64(value, nullptr, 10);
    else if (flag == "--seed") g_options.seed = _strtoui64(value, nullptr, 10);
    else if (flag == "--max-size") g_options.max_size = static_cast<size_t>(_strtoui64(value, nullptr, 10));
    else if (flag == "--hang-seconds") g_options.hang_ms = static_cast<DWORD>(atoi(value)) * 1000;
    else return Usage();
  }
  if (g_options.crashes.empty() || g_options.corpus.empty()) return Usage();
  CreateDirectoryA(g_options.crashes.c_str(), nullptr);
  g_current_path = g_options.crashes + "\\current-" + g_options.target->name + ".bin";
  // An input left by a run that died is a crash of its own.
  if (GetFileAttributesA(g_current_path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::string kept = NewCrashPath("crash");
    MoveFileA(g_current_path.c_str(), kept.c_str());
    fprintf(stderr, "an earlier run of %s died on an input, kept as %s\n", g_options.target->name, kept.c_str());
  }

  std::vector<Bytes> corpus;
  for (const std::string& folder : g_options.corpus) {
    for (const std::string& file : FilesOf(folder, "*")) {
      Bytes data;
      if (ReadFileBytes(file, &data)) corpus.push_back(data);
    }
  }
  std::vector<std::string> kept = FilesOf(g_options.crashes, (std::string("*-") + g_options.target->name + "-*.bin").c_str());
  if (corpus.empty()) {
    fprintf(stderr, "no corpus files for %s\n", g_options.target->name);
    return 2;
  }

  SetUnhandledExceptionFilter(OnCrash);
  CatchAborts();
  ULONG guarantee = 64 * 1024;
  SetThreadStackGuarantee(&guarantee);
  // The watchdog runs on by itself; its handle is not needed.
  KestrinWinNS::CScopedKernelHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

  // Inputs that once crashed or hung come first: they must pass now.
  for (const std::string& file : kept) {
    Bytes data;
    if (ReadFileBytes(file, &data)) RunOne(data);
  }
  for (const Bytes& data : corpus) RunOne(data);
  Random random(g_options.seed);
  for (unsigned long long run = 0; run < g_options.runs; ++run) {
    Bytes data = corpus[random.Below(corpus.size())];
    Mutate(&data, corpus, &random);
    RunOne(data);
  }
  DeleteFileA(g_current_path.c_str());
  printf("%s: %zu kept inputs, %zu corpus files, %llu mutated inputs, no crash\n", g_options.target->name,
         kept.size(), corpus.size(), g_options.runs);
  return 0;
}
