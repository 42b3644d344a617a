#include "tests/setup/test_support.h"

#include <zlib.h>

namespace setup_test {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;

using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedRegKey;

std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.rfind(L'\\'));
}

std::wstring BesideTest(const std::wstring& name) { return TestFolder() + L"\\" + name; }

bool CopyStandIn(const wchar_t* standin, const std::wstring& target_path) {
  return CopyFileW(BesideTest(standin).c_str(), target_path.c_str(), FALSE) != FALSE;
}

bool CStartedProgram::Start(const std::wstring& command_line) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::wstring line = command_line;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  KestrinWinNS::CScopedKernelHandle thread(pi.hThread);
  process_.Reset(pi.hProcess);
  return true;
}

bool CStartedProgram::IsRunning() const { return WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }

DWORD CStartedProgram::ExitCode(DWORD wait_ms) const {
  WaitForSingleObject(process_.Get(), wait_ms);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.Get(), &code);
  return code;
}

CStartedProgram::~CStartedProgram() {
  if (process_ && IsRunning()) {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

CReadyEvent::CReadyEvent(const wchar_t* name) : name_(name), event_(CreateEventW(nullptr, TRUE, FALSE, name)) {}

CDeniedKey::CDeniedKey(const std::wstring& path, REGSAM view) : saved_(4096) {
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC | view, nullptr,
                      key_.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  DWORD size = static_cast<DWORD>(saved_.size());
  if (RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) return;
  SECURITY_DESCRIPTOR deny_all;
  InitializeSecurityDescriptor(&deny_all, SECURITY_DESCRIPTOR_REVISION);
  ACL empty;
  InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
  SetSecurityDescriptorDacl(&deny_all, TRUE, &empty, FALSE);
  active_ = RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, &deny_all) == ERROR_SUCCESS;
}

CDeniedKey::~CDeniedKey() {
  if (active_) RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved_.data());
}

bool SetMachineString(REGSAM view, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  CScopedRegKey k;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, k.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DeleteMachineTree(REGSAM view, const std::wstring& key) {
  size_t slash = key.rfind(L'\\');
  CScopedRegKey parent;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view,
                    parent.Receive()) != ERROR_SUCCESS)
    return true;
  LONG status = RegDeleteTreeW(parent.Get(), key.substr(slash + 1).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::string ReadWholeFile(const std::wstring& path) {
  CScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string();
  DWORD size = GetFileSize(file.Get(), nullptr);
  std::string bytes(size, '\0');
  DWORD got = 0;
  if (size && !ReadFile(file.Get(), &bytes[0], size, &got, nullptr)) return std::string();
  bytes.resize(got);
  return bytes;
}

std::wstring ReadWholeFileWide(const std::wstring& path) {
  std::string bytes = ReadWholeFile(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  CScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

namespace {

void Put16(std::string* out, unsigned v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* out, unsigned long v) {
  Put16(out, v & 0xFFFF);
  Put16(out, (v >> 16) & 0xFFFF);
}

}  // namespace

bool WriteZip(const std::wstring& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string body, directory;
  for (const auto& entry : entries) {
    const std::string& name = entry.first;
    const std::string& data = entry.second;
    unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    unsigned long offset = static_cast<unsigned long>(body.size());
    Put32(&body, 0x04034b50);
    Put16(&body, 10); Put16(&body, 0); Put16(&body, 0);  // version, flags, stored
    Put16(&body, 0); Put16(&body, 0x21);                 // time, date
    Put32(&body, crc); Put32(&body, data.size()); Put32(&body, data.size());
    Put16(&body, name.size()); Put16(&body, 0);
    body += name;
    body += data;
    Put32(&directory, 0x02014b50);
    Put16(&directory, 20); Put16(&directory, 10); Put16(&directory, 0); Put16(&directory, 0);
    Put16(&directory, 0); Put16(&directory, 0x21);
    Put32(&directory, crc); Put32(&directory, data.size()); Put32(&directory, data.size());
    Put16(&directory, name.size()); Put16(&directory, 0); Put16(&directory, 0);
    Put16(&directory, 0); Put16(&directory, 0);
    Put32(&directory, name.back() == '/' ? 0x10 : 0);
    Put32(&directory, offset);
    directory += name;
  }
  std::string zip = body + directory;
  Put32(&zip, 0x06054b50);
  Put16(&zip, 0); Put16(&zip, 0);
  Put16(&zip, entries.size()); Put16(&zip, entries.size());
  Put32(&zip, directory.size()); Put32(&zip, body.size());
  Put16(&zip, 0);
  return WriteWholeFile(path, zip);
}

bool RunSetupDriver(const std::wstring& program, const std::wstring& steps, std::vector<std::wstring>* lines,
                    DWORD* exit_code) {
  const std::wstring log = BesideTest(L"driver.log");
  DeleteFileW(log.c_str());
  CStartedProgram driver;
  const std::wstring dll = BesideTest(L"KRSetupDll.dll");
  if (!driver.Start(L"\"" + program + L"\" --dll \"" + dll + L"\" --log \"" + log + L"\" " + steps)) return false;
  *exit_code = driver.ExitCode(240000);
  if (*exit_code == STILL_ACTIVE) return false;
  const std::string text = ReadWholeFile(log);
  lines->clear();
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines->emplace_back(text.begin() + start, text.begin() + end);  // the driver's lines are ASCII here
    start = end + 1;
  }
  return true;
}

}  // namespace setup_test
