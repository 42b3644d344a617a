#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/utility/platform.h"
#include "platform/win/scoped_handle.h"
#include "tests/common/utility/test_options.h"

using namespace UtilityClassesNS;

namespace {

struct VersionCase {
  DWORD platform, major, minor;
  int os_class;
};

std::string ModulePath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// Keeps a registry value as it was before a test and puts it back afterwards.
class SavedRegistryValue {
 public:
  SavedRegistryValue(HKEY root, const char* key, const char* value) : root_(root), key_(key), value_(value) {
    // The first part of the key's path that is not there yet: it goes again afterwards.
    const std::string path = key_;
    for (size_t end = path.find('\\'); missing_.empty(); end = path.find('\\', end + 1)) {
      const std::string part = path.substr(0, end);
      KestrinWinNS::CScopedRegKey probe;
      if (RegOpenKeyExA(root_, part.c_str(), 0, KEY_READ, probe.Receive()) != ERROR_SUCCESS) missing_ = part;
      if (end == std::string::npos) break;
    }
    KestrinWinNS::CScopedRegKey h;
    if (RegOpenKeyExA(root_, key_, 0, KEY_READ, h.Receive()) == ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExA(h.Get(), value_, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ = RegQueryValueExA(h.Get(), value_, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
      }
    }
  }
  ~SavedRegistryValue() {
    if (!missing_.empty()) {
      RegDeleteTreeA(root_, missing_.c_str());
      RegDeleteKeyA(root_, missing_.c_str());
      return;
    }
    KestrinWinNS::CScopedRegKey h;
    if (RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_WRITE, nullptr, h.Receive(), nullptr) != ERROR_SUCCESS) return;
    if (existed_)
      RegSetValueExA(h.Get(), value_, 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(h.Get(), value_);
  }
  void Set(DWORD type, const void* data, DWORD size) {
    KestrinWinNS::CScopedRegKey h;
    ASSERT_EQ(RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_WRITE, nullptr, h.Receive(), nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h.Get(), value_, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  void SetText(const std::string& text) { Set(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)); }

 private:
  HKEY root_;
  const char* key_;
  const char* value_;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
  bool existed_ = false;
  std::string missing_;
};

}  // namespace

TEST(OsVersion, ClassTable) {
  const VersionCase cases[] = {
      {1, 4, 0, 1},  {1, 4, 10, 2}, {1, 4, 90, 3}, {1, 4, 20, 0}, {2, 3, 51, 4}, {2, 4, 0, 4},
      {2, 5, 0, 5},  {2, 5, 1, 6},  {2, 5, 2, 7},  {2, 6, 0, 8},  {2, 6, 1, 0},  {2, 10, 0, 0},
      {0, 5, 1, 0},  {1, 5, 0, 0},
  };
  for (const VersionCase& c : cases)
    EXPECT_EQ(ClassifyOSVersion(c.platform, c.major, c.minor), c.os_class)
        << "platform " << c.platform << " version " << c.major << "." << c.minor;
}

TEST(OsVersion, RunningSystemIsClassified) {
  static const char* const texts[] = {
      "Windows version undefined.", "Microsoft Windows 95", "Microsoft Windows 98",
      "Microsoft Windows Me",       "Microsoft Windows NT", "Microsoft Windows 2000",
      "Microsoft Windows XP",       "Microsoft Windows 2003", "Microsoft Windows Vista"};
  int os_class = GetOSClass();
  ASSERT_GE(os_class, 0);
  ASSERT_LE(os_class, 8);
  if (kestrin_test::g_expected_os_class >= 0) {
    EXPECT_EQ(os_class, kestrin_test::g_expected_os_class);
  }
  EXPECT_EQ(GetOSClass(), os_class);
  EXPECT_STREQ(GetOSDescription(), texts[os_class]);
}

TEST(TrayProgram, RunningFollowsItsMutex) {
  EXPECT_FALSE(IsTrayProgramRunning());
  // The check's own mutex must be gone again: nobody else holds the name now.
  KestrinWinNS::CScopedKernelHandle probe(CreateMutexA(nullptr, FALSE, kTrayMutexName));
  ASSERT_NE(probe.Get(), nullptr);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  // With the tray program's mutex present the tray counts as running.
  EXPECT_TRUE(IsTrayProgramRunning());
  probe.Reset();
  EXPECT_FALSE(IsTrayProgramRunning());
}

TEST(TrayProgram, LaunchReadsTheRunValue) {
  ASSERT_FALSE(kestrin_test::g_tray_stub.empty());
  SavedRegistryValue run(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
  // The stub inherits this process's environment, which names the event it signals.
  std::string event_name = "KestrinTestTrayStub-" + std::to_string(GetCurrentProcessId());
  SetEnvironmentVariableA("KESTRIN_TRAY_STUB_EVENT", event_name.c_str());
  KestrinWinNS::CScopedKernelHandle started_event(CreateEventA(nullptr, TRUE, FALSE, event_name.c_str()));
  const HANDLE started = started_event.Get();
  ASSERT_NE(started, nullptr);

  run.SetText(kestrin_test::g_tray_stub);
  EXPECT_TRUE(LaunchTrayProgram());
  EXPECT_EQ(WaitForSingleObject(started, 10000), WAIT_OBJECT_0) << "the stub did not start";
  ResetEvent(started);

  // The value names a program file, not a command line: these start nothing.
  const std::string refused[] = {"\"" + kestrin_test::g_tray_stub + "\"", kestrin_test::g_tray_stub + " /start", ""};
  for (const std::string& text : refused) {
    run.SetText(text);
    EXPECT_FALSE(LaunchTrayProgram()) << text;
  }
  DWORD number = 5;
  run.Set(REG_DWORD, &number, sizeof(number));
  EXPECT_FALSE(LaunchTrayProgram());
  EXPECT_EQ(WaitForSingleObject(started, 200), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(ProductVersion, OfFileAndOfTheRegisteredControl) {
  char text[64];
  EXPECT_TRUE(GetProductVersionOfFile(ModulePath().c_str(), text, sizeof(text)));
  EXPECT_STREQ(text, "2.7.300.14");
  EXPECT_FALSE(GetProductVersionOfFile("C:\\no\\such\\file.dll", text, sizeof(text)));
  char tiny[4];
  EXPECT_FALSE(GetProductVersionOfFile(ModulePath().c_str(), tiny, sizeof(tiny)));

  EXPECT_TRUE(GetProductVersion(text, sizeof(text), 0));
  EXPECT_STREQ(text, "2.7.0.14");

  const char* key = "CLSID\\{58B69FE4-29DE-4862-A049-81F914D5644B}\\InprocServer32";
  SavedRegistryValue server(HKEY_CLASSES_ROOT, key, nullptr);
  server.SetText(ModulePath());
  EXPECT_TRUE(GetProductVersion(text, sizeof(text), 1));
  EXPECT_STREQ(text, "2.7.300.14");
  server.SetText("C:\\no\\such\\KestrinIE.dll");
  EXPECT_FALSE(GetProductVersion(text, sizeof(text), 1));
}

TEST(SystemFolders, InstallFolderUnderProgramFiles) {
  CSystemFolders folders;
  ASSERT_NE(folders.ProgramFiles()[0], '\0');
  EXPECT_NE(folders.System()[0], '\0');
  std::string program_files = folders.ProgramFiles();
  EXPECT_NE(program_files.back(), '\\');
  char install[MAX_PATH];
  ASSERT_TRUE(folders.GetInstallFolder(install, sizeof(install)));
  EXPECT_EQ(std::string(install), program_files + "\\Torvan\\Kestrin");
  char small[8];
  EXPECT_FALSE(folders.GetInstallFolder(small, sizeof(small)));
}

TEST(RegistryHelpers, HallmarkPathsAndWrites) {
  EXPECT_STREQ(GetHallmarkKeyPath(0, 3), "SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks\\3");
  EXPECT_STREQ(GetHallmarkKeyPath(3, 2), "SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks\\2\\3");
  EXPECT_STREQ(GetIE32AddonFileName(), "KestrinIE32.dll");
  EXPECT_STREQ(GetIE64AddonFileName(), "KestrinIE64.dll");

  // A key of this process's own: other test programs keep theirs under the same parent.
  const std::string own = "Software\\KestrinTests\\RegistryHelpers-" + std::to_string(GetCurrentProcessId());
  const char* key = own.c_str();
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, key, "Text", "hello"));
  const BYTE blob[] = {0, 1, 2, 0xFF};
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, key, "Blob", blob, sizeof(blob)));
  EXPECT_FALSE(WriteRegistryString(HKEY_CURRENT_USER, key, "Null", nullptr));

  char text[16];
  DWORD size = sizeof(text), type = 0;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key, "Text", RRF_RT_ANY, &type, text, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(text, "hello");
  EXPECT_EQ(size, 6u);
  BYTE read[8];
  size = sizeof(read);
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key, "Blob", RRF_RT_ANY, &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(size, sizeof(blob));
  EXPECT_EQ(memcmp(read, blob, sizeof(blob)), 0);
  RegDeleteTreeA(HKEY_CURRENT_USER, key);
  RegDeleteKeyA(HKEY_CURRENT_USER, key);
}
