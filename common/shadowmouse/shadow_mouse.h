// Mouse effects: a fake mouse pointer that leads the user's eye to a genuine site seal, either
// as a trail of pointer-shaped windows running from one point to the seal, or as a pointer that
// blinks on it. The validation border is shown while an effect runs. Everything runs on the
// browser's user-interface thread through window timers.
#pragma once

#include <windows.h>

#include <list>
#include <map>
#include <memory>
#include <string>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "common/utility/window_ids.h"
#include "platform/win/gdi.h"
#include "platform/win/window.h"

namespace WindowingNS {
class CValidationBorder;
}

namespace ShadowMouseNS {

const UINT kPointerBitmapId = 209;
const int kPointerWidth = 14;
const int kPointerHeight = 24;
const COLORREF kDefaultEffectColour = 0x0000FF00;

// Effect kinds of the cache.
enum { kEffectMoving = 1, kEffectBlinking = 2 };

// What an effect does once it has run: wait a delay, stop at once, wait until the real pointer
// moves, or stay.
enum EndAction { kEndAfterDelay = 0, kEndAtOnce = 1, kEndOnPointerMove = 2, kEndNever = 3 };

// Timers of the effects' windows.
enum : UINT_PTR {
  kTimerEndDelay = UtilityClassesNS::WindowIds::kTimerEffectEndDelay,
  kTimerWatchPointer = UtilityClassesNS::WindowIds::kTimerEffectWatchPointer,
  kTimerBlink = UtilityClassesNS::WindowIds::kTimerEffectBlink,
  kTimerShowTrail = UtilityClassesNS::WindowIds::kTimerEffectShowTrail,
  kTimerHideTrail = UtilityClassesNS::WindowIds::kTimerEffectHideTrail,
};

extern const char kFakeCursorClass[];  // "Torvan_ZNR_Shadow_Class"

// The module that carries the pointer bitmap: the add-on library when it is loaded, else the
// process's own program.
HMODULE GetPointerResourceModule();
// Registers a window class of our own windows in this code's module.
bool RegisterEffectClass(const char* name, UINT style, HBRUSH background, HCURSOR cursor);
HINSTANCE GetCodeModule();
// The pointer's shape: its full rectangle less every white pixel of the bitmap. Null on failure.
HRGN CreateShapeRegion(HBITMAP bitmap);

// One pointer-shaped window.
class CFakeCursor : public KestrinWinNS::CWindowBase {
 public:
  CFakeCursor();
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  ~CFakeCursor() override;

  // A pop-up at `rect` whose window region is `shape` within (0, 0, width, height). The shape
  // stays the caller's. False without a shape.
  bool Create(const RECT& rect, HRGN shape);
  void MoveTo(POINT at);
  void SetFillColour(COLORREF colour);
  void SetOutline(bool outline) { outline_ = outline ? 1 : 0; }
  void Show(bool show);
  bool Paint();

  HWND GetWindow() const { return GetHwnd(); }
  COLORREF GetFillColour() const { return fill_colour_; }

 private:
  CFakeCursor(const CFakeCursor&) = delete;
  CFakeCursor& operator=(const CFakeCursor&) = delete;

  int frame_width_ = 1;
  int outline_ = 0;
  COLORREF outline_colour_ = RGB(0, 0, 0);
  KestrinWinNS::CScopedBrush fill_brush_;
  KestrinWinNS::CScopedBrush outline_brush_;
  COLORREF fill_colour_ = RGB(0, 0, 0);
  int child_ = 0;
};

class CShadowMouseEngine;

// The base of both effects: a message-only window for the timers, the pointer bitmap and shape,
// the look and ending from the settings (group 2), which follow event 1.
class CShadowMouseEffectsBase : public KestrinWinNS::CWindowBase, public ObserveNS::IObserver {
 public:
  CShadowMouseEffectsBase(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine);

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override = 0;
  ~CShadowMouseEffectsBase() override;
  // False when already running.
  virtual bool Start() = 0;
  // False when not running.
  virtual bool Stop() = 0;
  virtual bool CreateEffectWindows();
  virtual void Reset();
  // Event 1 (on the observer service's thread): the settings are read again on this effect's
  // own thread.
  void Notify(DWORD event) override;

  void SetPoints(POINT start, POINT end) {
    start_ = start;
    end_ = end;
  }
  bool IsRunning() const { return running_; }
  HWND GetWindow() const { return GetHwnd(); }
  int GetEndAction() const { return end_action_; }
  DWORD GetEndDelay() const { return end_delay_; }
  COLORREF GetColour() const { return colour_; }

 protected:
  // Window message of an effect window: re-read the settings.
  static const UINT kMsgSettingsChanged = UtilityClassesNS::WindowIds::kMsgEffectSettingsChanged;

  // The ending for the settings' state: 0 waits for the pointer, 1 waits the configured time.
  void ChooseEndAction();
  void ReadSettings();
  void StartEndAction();
  // True when the real pointer moved since the last sample (the first sample only sets it).
  bool PointerMoved();
  // Messages every effect window answers alike (the settings notice); the leaves' message
  // processing asks here first.
  bool ProcessCommonMessage(UINT message, LRESULT& result);

  CShadowMouseEngine* engine_;
  SettingsUtilsNS::CSettingsKestrin settings_;
  std::unique_ptr<ObserveNS::CObserverSubscription> subscription_;
  bool running_ = false;
  KestrinWinNS::CScopedBitmap bitmap_;
  KestrinWinNS::CScopedRegion shape_;
  UINT bitmap_id_;
  int pointer_width_ = 0;
  int pointer_height_ = 0;
  int end_action_ = kEndAfterDelay;
  DWORD end_delay_ = 0;
  POINT start_ = {0, 0};
  POINT end_ = {0, 0};
  int show_border_at_start_ = 1;
  COLORREF colour_ = kDefaultEffectColour;
  DWORD kraida_state_ = 0;
  DWORD kraida_delay_ = 0;
  HWND browser_;
  POINT last_pointer_ = {-1, -1};

 private:
  CShadowMouseEffectsBase(const CShadowMouseEffectsBase&) = delete;
  CShadowMouseEffectsBase& operator=(const CShadowMouseEffectsBase&) = delete;
};

// The trail: pointers appear one by one along the path, in colours running from a pale tint at
// the start to the set colour at the end, then disappear one by one from the start end.
class CMovingMouse : public CShadowMouseEffectsBase {
 public:
  CMovingMouse(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine);
  ~CMovingMouse() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  bool Start() override;
  bool Stop() override;

  // The path of the current run.
  int GetStepCount() const { return step_count_; }
  float GetStepLength() const { return step_length_; }
  UINT GetShowInterval() const { return show_interval_; }
  UINT GetHideInterval() const { return hide_interval_; }
  int GetShownCount() const { return shown_; }
  bool IsHiding() const { return hiding_; }
  bool IsDone() const { return done_; }
  // The trail's pointer windows, in the order they are shown.
  size_t GetTrailSize() const { return trail_.size(); }
  const CFakeCursor* GetTrailPointer(size_t index) const;
  // The trail's colour at distance `r` from the start.
  COLORREF ColourAt(float r) const;

 private:
  void PreparePath();
  bool AddTrailPointers(size_t count);
  void OnShowTick();
  void OnHideTick();
  void OnPointerWatch();

  std::list<std::unique_ptr<CFakeCursor>> trail_;
  std::list<std::unique_ptr<CFakeCursor>>::iterator next_;
  int shown_ = 0;
  int hidden_ = -1;
  float step_length_ = 0;
  int step_count_ = 0;
  float path_length_ = 0;
  bool hiding_ = false;
  bool done_ = false;
  COLORREF current_colour_ = 0;
  POINT current_ = {0, 0};
  UINT show_interval_ = 0;
  UINT hide_interval_ = 0;
  float step_x_ = 0, step_y_ = 0;
  float travelled_x_ = 0, travelled_y_ = 0;
  float rate_[3] = {0, 0, 0};  // red, green, blue
  int tint_[3] = {0, 0, 0};    // (255 - channel) / 4
};

// One pointer on the end point, shown three times, 250 ms on and 250 ms off, then left on.
class CShadowMouseBlinking : public CShadowMouseEffectsBase {
 public:
  CShadowMouseBlinking(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine);
  ~CShadowMouseBlinking() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  bool Start() override;
  bool Stop() override;

  const CFakeCursor* GetPointer() const { return pointer_.get(); }
  bool IsPointerVisible() const { return visible_; }
  int GetBlinksDone() const { return blinks_done_; }

 private:
  void OnBlinkTick();
  void EndNow();

  int blink_count_ = 2;
  int blinks_done_ = 0;
  UINT on_time_ = 250;
  UINT off_time_ = 250;
  bool visible_ = false;
  std::unique_ptr<CFakeCursor> pointer_;
};

// One effect object per kind, made on first use.
class CShadowMouseEffectCache {
 public:
  explicit CShadowMouseEffectCache(UINT bitmap_id) : bitmap_id_(bitmap_id) {}
  void SetBrowserWindow(HWND browser) { browser_ = browser; }
  void SetEngine(CShadowMouseEngine* engine) { engine_ = engine; }
  CShadowMouseEffectsBase* GetEffect(int kind);

 private:
  std::map<int, std::unique_ptr<CShadowMouseEffectsBase>> effects_;
  DWORD created_ = 0;
  HWND browser_ = nullptr;
  UINT bitmap_id_;
  CShadowMouseEngine* engine_ = nullptr;
};

// The entry point of the browser add-ons: starts and stops the effect the settings choose and
// shows the border for it.
class CShadowMouseEngine : public ObserveNS::IObserver {
 public:
  CShadowMouseEngine();
  virtual ~CShadowMouseEngine();

  void Initialize(WindowingNS::CValidationBorder* border, HWND browser);
  void SetOwnerWindow(HWND browser) { browser_ = browser; }
  void SetBorderCaption(const char* caption);
  // Runs the effect from `from` to `to` (screen coordinates). False without the pointer shape;
  // true otherwise, also when no effect could be made.
  bool StartEffect(POINT from, POINT to);
  void StopEffect();
  bool IsEffectRunning() const { return running_; }
  // Event 1 (on the observer service's thread): the effect kind is read again.
  void Notify(DWORD event) override;
  bool ShowBorderForEffect();
  bool HideBorderForEffect();

  // ShowCursorType: 1 the blinking pointer, anything else the trail.
  int GetEffectKind() const { return effect_kind_; }
  CShadowMouseEffectsBase* GetCurrentEffect() const { return current_; }

 protected:
  WindowingNS::CValidationBorder* border_ = nullptr;
  SettingsUtilsNS::CSettingsKestrin settings_;
  volatile LONG effect_kind_ = 0;
  KestrinWinNS::CScopedRegion shape_;
  bool running_ = false;
  POINT start_ = {0, 0};
  POINT end_ = {0, 0};
  HWND browser_ = nullptr;
  std::string caption_;
  CShadowMouseEffectsBase* current_ = nullptr;
  std::unique_ptr<CShadowMouseEffectCache> cache_;
  std::unique_ptr<ObserveNS::CObserverSubscription> subscription_;
  SIZE pointer_size_ = {kPointerWidth, kPointerHeight};

 private:
  CShadowMouseEngine(const CShadowMouseEngine&) = delete;
  CShadowMouseEngine& operator=(const CShadowMouseEngine&) = delete;
};

}  // namespace ShadowMouseNS
