// The elevation helper: which start request it makes for which command line, and the program
// itself ending with 0.
#include <gtest/gtest.h>

#include <string>

#include "elevate/elevation.h"
#include "platform/win/scoped_handle.h"

namespace {

struct Recorded {
  int calls = 0;
  SHELLEXECUTEINFOW request = {};
  std::wstring verb, file;
};
Recorded g_recorded;

BOOL WINAPI RecordStart(SHELLEXECUTEINFOW* request) {
  ++g_recorded.calls;
  g_recorded.request = *request;
  g_recorded.verb = request->lpVerb ? request->lpVerb : L"(null)";
  g_recorded.file = request->lpFile ? request->lpFile : L"(null)";
  return TRUE;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

class ElevationTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder() + L"Kestrin elevation test";
    CreateDirectoryW(folder_.c_str(), nullptr);
    with_blanks_ = folder_ + L"\\set up.exe";
    plain_ = folder_ + L"\\setup.exe";
    for (const std::wstring& file : {with_blanks_, plain_}) {
      KestrinWinNS::CScopedKernelHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      ASSERT_NE(INVALID_HANDLE_VALUE, h.Get());
    }
    short_plain_.resize(MAX_PATH);
    short_plain_.resize(GetShortPathNameW(plain_.c_str(), &short_plain_[0], MAX_PATH));
  }
  void TearDown() override {
    DeleteFileW(with_blanks_.c_str());
    DeleteFileW(plain_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder_, with_blanks_, plain_, short_plain_;
};

TEST_F(ElevationTest, StartsTheFirstArgumentElevatedWhenItExists) {
  ASSERT_FALSE(short_plain_.empty());
  ASSERT_EQ(std::wstring::npos, short_plain_.find(L' '));
  struct Case { std::wstring line; const std::wstring* started; };
  const Case cases[] = {
      {L"\"C:\\Program Files\\Torvan\\Kestrin\\Halvorn.exe\" \"" + with_blanks_ + L"\"", &with_blanks_},
      {L"Halvorn.exe " + short_plain_, &short_plain_},
      {L"Halvorn.exe \"" + plain_ + L"\" \"" + with_blanks_ + L"\" third", &plain_},
      {L"Halvorn.exe " + with_blanks_, nullptr},  // unquoted blanks: the first piece does not exist
      {L"Halvorn.exe", nullptr},
      {L"Halvorn.exe \"" + folder_ + L"\\missing.exe\"", nullptr},
  };
  for (const Case& c : cases) {
    g_recorded = Recorded();
    EXPECT_EQ(0, ElevateNS::RunElevationHelper(c.line.c_str(), RecordStart)) << c.line;
    if (!c.started) {
      EXPECT_EQ(0, g_recorded.calls) << c.line;
      continue;
    }
    ASSERT_EQ(1, g_recorded.calls) << c.line;
    EXPECT_EQ(*c.started, g_recorded.file);
    EXPECT_EQ(L"runas", g_recorded.verb);
    EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), g_recorded.request.cbSize);
    EXPECT_EQ(static_cast<ULONG>(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI), g_recorded.request.fMask);
    EXPECT_EQ(SW_SHOWNORMAL, g_recorded.request.nShow);
    EXPECT_EQ(nullptr, g_recorded.request.hwnd);
    EXPECT_EQ(nullptr, g_recorded.request.lpParameters);
    EXPECT_EQ(nullptr, g_recorded.request.lpDirectory);
  }
}

std::wstring g_helper;

DWORD RunHelper(const std::wstring& arguments) {
  std::wstring line = L"\"" + g_helper + L"\"" + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0xDEAD;
  KestrinWinNS::CScopedKernelHandle thread(pi.hThread);
  KestrinWinNS::CScopedKernelHandle process(pi.hProcess);
  WaitForSingleObject(process.Get(), 60000);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

TEST_F(ElevationTest, ProgramEndsWithZeroWhateverItIsGiven) {
  ASSERT_FALSE(g_helper.empty()) << "--helper missing";
  EXPECT_EQ(0u, RunHelper(L""));
  EXPECT_EQ(0u, RunHelper(L" \"" + folder_ + L"\\missing.exe\""));
  EXPECT_EQ(0u, RunHelper(L" \"" + with_blanks_ + L"\""));  // not a program: the start fails silently
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--helper=", 0) == 0) {
      std::string path = arg.substr(9);
      if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
          if (c == '/') c = '\\';
      }
      g_helper.assign(path.begin(), path.end());
    }
  }
  return RUN_ALL_TESTS();
}
