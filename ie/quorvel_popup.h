// The site-seal popup: the maker's seal information page for the site, in a browser hosted in
// a small popup next to the cursor. The verification control creates, fills, shows and
// destroys it; a tracking thread of the popup follows the cursor and hides the popup and the
// validation border when the mouse leaves both the popup and the seal.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <atomic>
#include <string>

#include "common/windowing/validation_border.h"
#include "platform/activex/ax_host.h"
#include "platform/com/com_ptr.h"
#include "platform/win/scoped_handle.h"

namespace KestrinIENS {

// Where a popup of size `popup` goes for the cursor at `cursor` on a screen of size `screen`,
// `gap` pixels above (or below) the cursor.
POINT PlaceSealPopup(POINT cursor, SIZE screen, SIZE popup, int gap);
// The search text as the popup sends it: backslashes made slashes, cut before the first "?".
std::wstring SealSearchText(const wchar_t* text);

class CQuorvelPopup {
 public:
  static constexpr int kWidth = 238;
  static constexpr int kHeight = 187;
  static constexpr size_t kTextLimit = 259;  // characters of the short name the popup keeps

  CQuorvelPopup();
  virtual ~CQuorvelPopup();

  int SetLoadingPage(HMODULE module);
  int SetLookupParameters(const char* short_name, int query_type, HWND seal_window);
  int SetBrowserWindow(HWND window);
  int SetSearchText(const wchar_t* text);
  // Creates the popup window (WS_POPUP, hidden) with `parent` as its owner; the lookup page is
  // asked for 1 ms later. False when the window could not be made.
  bool Create(HWND parent);
  void Destroy();
  // Keeps the popup up when the cursor is over a popup window, else hides it.
  int HideUnlessHovered(HWND browser_window);

  HWND hwnd() const { return hwnd_; }
  bool IsTracking() const { return tracker_.IsValid(); }
  // The lookup page's address (empty until the navigation was asked for).
  const std::string& GetLookupUrl() const { return lookup_url_; }
  const std::string& GetShortName() const { return short_name_; }
  const std::wstring& GetSearchText() const { return search_text_; }
  int GetVerticalGap() const { return gap_; }
  IWebBrowser2* GetBrowser() const { return browser_.get(); }
  // The tracking thread's period (100 ms); tests shorten it.
  void SetTrackingPeriod(DWORD ms) { tracking_period_ = ms; }

 protected:
  virtual BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

 private:
  CQuorvelPopup(const CQuorvelPopup&) = delete;
  CQuorvelPopup& operator=(const CQuorvelPopup&) = delete;

  static LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  struct ViewSubclass;
  static DWORD WINAPI TrackingThread(void* param);
  void OnCreate();
  void NavigateToLookup();
  void OnShow(bool show);
  void OnMouseLeave();
  void SubclassView();
  void RestoreView();
  void StartTracking();
  void StopTracking();
  void Hide();

  HWND hwnd_ = nullptr;
  WNDPROC class_proc_ = nullptr;
  KestrinComNS::CComPtr<KestrinComNS::CComObject<KestrinAxNS::CAxHost>> host_;
  KestrinComNS::CComPtr<IWebBrowser2> browser_;
  std::wstring search_text_;
  int width_ = kWidth;
  int height_ = kHeight;
  int gap_ = 20;
  std::string product_version_;
  std::string loading_page_;
  std::string short_name_ = "DQL";
  int query_type_ = 0;
  std::string lookup_url_;
  HWND seal_window_ = nullptr;
  HWND browser_window_ = nullptr;
  WindowingNS::CValidationBorder* border_;  // the process's border, not owned
  HWND view_ = nullptr;                     // the subclassed "Internet Explorer_Server"
  // The tracking thread: owned and joined by the popup.
  KestrinWinNS::CScopedKernelHandle tracker_;
  KestrinWinNS::CScopedKernelHandle stop_;
  DWORD tracking_period_ = 100;
};

}  // namespace KestrinIENS
