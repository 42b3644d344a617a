// The daily update check: once a day the update service's information file is fetched; when
// it names a newer version with an https installer address on the update service's own host,
// the user is asked whether to install it. A failed request shows a toast.
//
// The information comes over plain HTTP, so on a hostile network every byte of it is the
// attacker's: the reply is read only up to kMaxUpdateInfoSize bytes, in one linear pass, and
// the installer address is offered only when, read as the browser reads it, it is an https
// address on the update host (whose certificate the browser then checks).
#pragma once

#include <windows.h>

#include <string>

#include "common/settings/settings.h"
#include "common/warning/warning_window.h"
#include "common/web/server_request.h"
#include "tray/tray_services.h"

namespace WarningWindowNS {

// The toast shown when the update service cannot be reached.
class CUpdateWarningWindow : public CWarningWindowBase {
 public:
  CUpdateWarningWindow();
};

extern const char kUpdateWarningText[];

}  // namespace WarningWindowNS

namespace UpdateUtilsNS {

extern const char kUpdateUserAgent[];     // "Dravix Request 1.0"
extern const wchar_t kUpdateInfoPath[];   // "/update/krupdate.inf"
extern const wchar_t kBuiltInVersion[];   // "2.7.0.14"
const __int64 kCheckInterval = 86400;     // seconds
// Longest installer address offered, in characters.
const size_t kMaxInstallerUrl = 1024;
// Largest reply read: the block with the longest version and installer address and room for
// text around it. A longer reply fails as the request does.
const DWORD kMaxUpdateInfoSize = 8192;

// What an update-information file names, when it has the expected block.
struct CUpdateInfo {
  std::wstring version;
  std::wstring installer_url;
};

// Matches a whole update-information text against the block
//   any text, "<DRAVIX:VERSIONINFO>", line end,
//   "LV=" digits and points, line end,
//   "URL=" at least one character and ".exe" (each letter of the set e|E, x|X, e|E), line end,
//   "</DRAVIX:VERSIONINFO>", any text
// where a line end is CR, LF or CR LF. As with a greedy pattern, the last block that fits and
// the longest installer address win. False when the text does not match. The text is read in
// time linear in its length, whatever it holds.
bool ParseUpdateInfo(const std::wstring& text, CUpdateInfo* info);

// An installer address the check may hand to the shell: an absolute https address of at most
// kMaxInstallerUrl printable characters whose host, read as the browser reads it (user
// information, backslashes, case, trailing dots, percent escapes, international names), is
// `update_host` (in the form UrlNS::ReadPageAddress gives). *offered receives the address in
// that reading, which is what the shell is given. Plain http, files, UNC paths, other schemes
// and other hosts are refused.
bool IsAcceptableInstallerUrl(const std::wstring& url, const std::string& update_host, std::wstring* offered);

// The host of the update service's address "scheme://host[:port]" in the form
// UrlNS::ReadPageAddress gives; empty when it has none.
std::string UpdateHostOf(const std::wstring& server);

// 0 unreadable, 1 equal, 2 the first is newer, 3 the second is newer.
int CompareVersions(const wchar_t* first, const wchar_t* second);

class CUpdateBase : public WebUtilsNS::IRequestWaiter {
 public:
  CUpdateBase();
  virtual ~CUpdateBase();

  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override;
  void OnRequestFailed(DWORD request_id, DWORD error) override;
  virtual bool CheckForUpdate() = 0;
  virtual const wchar_t* GetCurrentVersion() = 0;
  virtual void PromptInstall(const wchar_t* version, const wchar_t* url) = 0;
  // "scheme://host[:port]" of the update service: installers are offered from its host only.
  virtual std::wstring GetUpdateServer() = 0;

  bool IsNewer(const wchar_t* version) { return CompareVersions(GetCurrentVersion(), version) == 3; }

  // Answers heard from the service so far (replies and failures).
  int GetAnswerCount() const { return answers_; }
  SettingsUtilsNS::CSettingsKestrin& GetSettings() { return m_settings; }
  WarningWindowNS::CUpdateWarningWindow& GetWarning() { return m_warning; }

 protected:
  SettingsUtilsNS::CSettingsKestrin m_settings;
  WebUtilsNS::CServerRequestEx m_request;
  WarningWindowNS::CUpdateWarningWindow m_warning;
  int answers_ = 0;
};

class CKRUpdate : public CUpdateBase {
 public:
  explicit CKRUpdate(ITrayServices* services);

  // Starts a request when the next check is due and moves the next check a day on.
  bool CheckForUpdate() override;
  const wchar_t* GetCurrentVersion() override { return kBuiltInVersion; }
  void PromptInstall(const wchar_t* version, const wchar_t* url) override;
  std::wstring GetUpdateServer() override { return services_->UpdateServer(); }

 private:
  ITrayServices* services_;   // not owned
};

}  // namespace UpdateUtilsNS
