// The coloured frame laid around the whole screen while the user looks at a verified page,
// optionally with a caption tab at the middle of the top edge. One window per process, shared
// by every browser tab; its look comes from the settings and follows event 1.
#pragma once

#include <windows.h>

#include <string>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "platform/win/gdi.h"
#include "platform/win/lock.h"
#include "platform/win/window.h"

namespace WindowingNS {

// Why the border is shown: a verified page (its seal, popup or padlock), or the pointer over a
// seal image (only with the mouse-over setting on and the tray program running). The numbers
// cross the window's private show message.
enum class BorderKind : int { kMouseOver = 0, kVerification = 1 };

// Who hides the border. A hide for the pointer waits while the pointer rests on the border; a
// hide for the browser (a new page, another tab, a timer) does not, and with force it also
// ends a pinned border.
enum class HideOrigin : int { kPointer = 0, kBrowser = 1 };

class CValidationBorder : public KestrinWinNS::CWindowBase, public ObserveNS::IObserver {
 public:
  static CValidationBorder* GetInstance();
  // Takes the process's border down on an orderly path: hides it (with its off announcement),
  // destroys the window on the thread that owns it. The add-on calls it when its last browser
  // instance goes, never from a destructor that runs at process exit.
  static void Shutdown();

  // Public for tests that need a border of their own; the system uses GetInstance.
  explicit CValidationBorder(ObserveNS::IObserverService* service);
  virtual ~CValidationBorder();

  BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  int SetBrowserWindow(HWND browser);
  // The same, but the border's window is made when the border is first shown (on the thread
  // that shows it), not now: a browser window that never shows the border never pays for it.
  int NoteBrowserWindow(HWND browser);
  int SetHoverWindow(HWND hover);
  void SetHideWhenInactive(int flag);
  void SetCaptionText(const char* text);
  bool IsBorderVisible() const;
  // announce: the on sound and event; returns 0 or 1.
  int ShowBorder(BorderKind kind, bool announce, bool with_caption);
  // 0 when no browser window is known, else 1.
  int HideBorder(HideOrigin origin, bool force);
  void Notify(DWORD event) override;
  // The orderly end of this border (see Shutdown).
  void Close();

  int GetWidth() const;
  int GetTextSize() const;
  COLORREF GetColour() const;
  const RECT& GetCaptionRect() const { return caption_rect_; }
  // For the thread that sets it; other threads use a locked copy.
  const char* GetCaptionText() const { return caption_text_.c_str(); }
  bool IsPinned() const { return pinned_; }
  bool IsHovered() const { return hovered_; }
  static bool IsPainted();
  // Where the pointer is: GetCursorPos, unless a test puts its own answer in (null restores
  // it). The pointer is shared by every program on the desktop, so tests answer for it here.
  using PointerFunction = BOOL(WINAPI*)(POINT*);
  static void SetPointerFunction(PointerFunction function);

 private:
  CValidationBorder(const CValidationBorder&) = delete;
  CValidationBorder& operator=(const CValidationBorder&) = delete;

  struct Look {
    int width;
    int text_size;
    COLORREF colour;
    bool mouse_over;
    bool audio;
    bool border_on;  // BorderBrowser or BorderScreen
    std::string over_sound;
    std::string off_sound;
  };

  bool EnsureWindow();
  bool OnWindowThread() const;
  int DoShow(BorderKind kind, bool announce, bool with_caption);
  int DoHide(HideOrigin origin, bool force);
  // Steps 2 to 5 of a hide: postponed while the pointer is on the border, else hidden and
  // announced.
  int HideNow(HideOrigin origin, bool force);
  void AnnounceOff(bool was_visible);
  void PlaySoundFile(const char* file);
  void ReadLook();
  Look CurrentLook() const;
  std::string CopyCaptionText() const;
  void Paint(HDC dc);

  SettingsUtilsNS::CSettingsKestrin settings_;
  ObserveNS::IObserverService* service_;
  bool registered_ = false;
  KestrinWinNS::CScopedKernelHandle on_event_;
  KestrinWinNS::CScopedKernelHandle off_event_;
  KestrinWinNS::CScopedBrush brush_;
  HWND browser_ = nullptr;
  BorderKind kind_ = BorderKind::kMouseOver;
  HWND hover_window_ = nullptr;
  int hide_when_inactive_ = 0;
  std::string caption_text_ = "Authenticated by Torvan";
  bool with_caption_ = true;
  bool hovered_ = false;
  bool hide_requested_ = false;
  RECT caption_rect_ = {};
  bool pinned_ = false;
  bool inactive_timer_ = false;  // the window's inactivity timer is set
  // The look read from the settings (written by the observer service's thread on event 1)
  // and the caption text.
  mutable KestrinWinNS::CCriticalSection look_lock_;
  Look look_ = {8, 10, SettingsUtilsNS::kDefaultBorderColour, false, false, true, "", ""};
};

}  // namespace WindowingNS
