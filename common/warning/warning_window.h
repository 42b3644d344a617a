// Warning toasts: small windows that slide up from the bottom-right corner of the screen, stay
// for a few seconds and slide away again. The mutex variant keeps one toast of a kind on screen
// across every process of the system.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/settings/settings.h"
#include "common/utility/mutex.h"
#include "common/utility/thread_helper.h"
#include "common/utility/window_ids.h"
#include "platform/com/com_ptr.h"
#include "platform/win/gdi.h"

namespace WarningWindowNS {

// Posted by the slide thread of a mutex toast when its slide-out has finished.
const UINT kMsgHideAnimationDone = UtilityClassesNS::WindowIds::kMsgToastHideDone;  // 0x9770
// The toast's own timer: slide out after the slide-in and the display time.
const UINT_PTR kTimerSlideOut = UtilityClassesNS::WindowIds::kTimerToastSlideOut;

extern const char kWarningTitle[];  // "Kestrin Warning:"

// The module that carries the toast's resources: the add-on library when it is loaded, else the
// process's own program.
HMODULE GetWarningResourceModule();

// Where a toast of the given size sits: at the right edge, clear of the validation border of
// width `border`, with its bottom edge on the taskbar's top edge or `border` pixels above the
// screen's bottom, whichever is higher.
POINT ComputeToastPosition(int screen_width, int screen_height, const RECT& work_area, int border,
                           int width, int height);

class CWarningWindowBase {
 public:
  CWarningWindowBase(COLORREF background, const char* text);

  virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    LRESULT& result);
  virtual ~CWarningWindowBase();
  virtual DLGPROC GetDialogProc();
  virtual void OnFinalMessage(HWND window);
  // Returns the window, creating the dialog (desktop as parent) when it does not exist yet.
  virtual HWND Create(LPARAM init);
  // Slides the toast in; it hides itself. False when there is no window.
  virtual bool Show();
  virtual LRESULT OnInitDialog();
  virtual void OnTimer(UINT_PTR id);
  virtual HBRUSH OnCtlColorDlg(HDC dc);
  virtual HBRUSH OnCtlColorStatic(HDC dc);
  virtual void OnLButtonDown();
  virtual void OnRButtonDown();
  virtual void Layout();
  virtual HWND CreateWithParent(HWND parent, LPARAM init);
  virtual void Destroy();

  HWND GetWindow() const { return window_; }
  bool IsShowing() const { return showing_ != 0; }
  int GetAnimationTime() const { return animation_ms_; }
  int GetDisplayTime() const { return display_ms_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  COLORREF GetBackground() const { return background_; }
  const std::string& GetText() const { return text_; }

 protected:
  typedef void (*AnimationRoutine)(UtilityClassesNS::CThreadHelper* helper, void* param);

  // Runs on its own thread for each slide: in while showing, out (and hide) otherwise.
  static void SlideRoutine(UtilityClassesNS::CThreadHelper* helper, void* param);
  // One slide of the window; false when the toast was gone. `*slid_in` tells the direction.
  // The toast object is touched only under the thread object's lock, never during the slide.
  static bool Slide(UtilityClassesNS::CThreadHelper* helper, bool* slid_in);
  void StartSlide();
  void HideNow();
  void DrawItem(const DRAWITEMSTRUCT* item);

  HWND window_ = nullptr;
  int margin_ = 10;
  KestrinWinNS::CScopedBrush background_brush_;
  COLORREF background_;
  std::string text_;
  int height_ = 0;
  int width_ = 0;
  int animation_ms_ = 0;
  int display_ms_ = 0;
  volatile LONG showing_ = 0;
  AnimationRoutine animation_routine_;
  KestrinComNS::CComPtr<UtilityClassesNS::CThreadHelper> thread_;
  SettingsUtilsNS::CSettingsKestrin settings_;
  std::string title_;
  KestrinWinNS::CScopedBitmap title_strip_;
  KestrinWinNS::CScopedFont title_font_;

 private:
  CWarningWindowBase(const CWarningWindowBase&) = delete;
  CWarningWindowBase& operator=(const CWarningWindowBase&) = delete;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
};

// A toast of which at most one is on screen across all processes, held by a named mutex from a
// successful Show until its slide-out ended, a click or its destruction. When activated it
// hands the foreground to the window its creator named.
class CMutexWarningWindow : public CWarningWindowBase {
 public:
  CMutexWarningWindow(COLORREF background, const char* mutex_name);
  ~CMutexWarningWindow() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  // Does nothing while another toast of this kind is up, in this or another process.
  bool Show() override;
  void OnLButtonDown() override;
  void OnRButtonDown() override;
  void Destroy() override;
  virtual HWND CreateWithFocusWindow(HWND focus, LPARAM init);
  virtual void OnHideAnimationDone();

  HWND GetFocusWindow() const { return focus_window_; }

 protected:
  // The slide routine followed by the notice to release the mutex.
  static void SlideAndNotifyRoutine(UtilityClassesNS::CThreadHelper* helper, void* param);
  void ReleaseMutex();

  HWND focus_window_ = nullptr;
  std::unique_ptr<UtilityClassesNS::CMutexHolder> mutex_;
};

// The site-seal lookup service could not be reached.
class CConnectionWarningWindow : public CMutexWarningWindow {
 public:
  CConnectionWarningWindow();
};

// The browser switched to full screen, where a page can imitate the validation border.
class CFullScreenWarningWindow : public CMutexWarningWindow {
 public:
  CFullScreenWarningWindow();
};

extern const char kConnectionWarningMutex[];  // "2A1A0F92-28E1-4503-939E-3DB480C1D613"
extern const char kFullScreenWarningMutex[];  // "3236461A-2855-4C88-92D9-6CC82F61B7E1"

}  // namespace WarningWindowNS
