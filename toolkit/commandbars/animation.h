// Flicker-free painting of a bar (or any window that draws itself through one function) from a
// snapshot of what is on screen, and a short cross-fade when part of it is redrawn: a control
// turning hot or pressed fades from its old look to its new one in six blended frames 50 ms
// apart, then shows the new look. A redraw that changes no pixel starts nothing.
//
// The window forwards WM_TIMER to OnTimer and paints through PaintFromSnapshot; redraws of a
// part go through Refresh.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/appframe/dc.h"
#include "platform/appframe/types.h"
#include "platform/win/gdi.h"

class CTKCommandBar;

class CTKCommandBarAnimation {
 public:
  // Draws the window's look into a DC, clipped to the rectangle (client coordinates).
  using DrawFn = std::function<void(CDC* dc, const CRect& clip)>;
  static const UINT_PTR kTimerId = 707907;
  static const UINT kTimerPeriod = 50;
  static const int kLastStep = 6;

  // One fade: the old and new look of a rectangle and how far it has gone.
  class CAnimateInfo {
   public:
    CAnimateInfo(const CRect& rect, HDC reference);
    CRect rect;
    KestrinWinNS::CScopedBitmap old_image, new_image;
    DWORD* old_bits = nullptr;
    DWORD* new_bits = nullptr;
    int step = 1;
    std::vector<RECT> excluded;
    size_t ByteCount() const { return static_cast<size_t>(rect.Width()) * rect.Height() * 4; }
  };

  CTKCommandBarAnimation() = default;
  ~CTKCommandBarAnimation();
  CTKCommandBarAnimation(const CTKCommandBarAnimation&) = delete;
  CTKCommandBarAnimation& operator=(const CTKCommandBarAnimation&) = delete;

  // The window and how it draws itself.
  void Attach(HWND window, DrawFn draw);
  // A command bar drawn by its own painting: its face, then the bar over it.
  void Attach(CTKCommandBar* bar);
  HWND GetWindow() const { return window_; }

  // On when enabled here or by the process-wide option.
  void EnableAnimation(bool on) { enabled_ = on; }
  bool IsAnimationEnabled() const { return enabled_; }
  static void SetAnimationOption(bool on);
  static bool GetAnimationOption();
  bool IsAnimationOn() const { return enabled_ || GetAnimationOption(); }
  // Keeps the snapshot while animation is off, too.
  void SetDoubleBuffered(bool on) { double_buffered_ = on; }

  // A part (or, with null, all) of the window is to be redrawn; `animate` fades to the new look.
  void Refresh(const RECT* rect, bool animate);
  // The window's WM_PAINT: the snapshot, brought up to date where needed, onto the paint DC.
  void PaintFromSnapshot(HDC paint_dc, const RECT& paint_rect);
  // Timer 707907: one step of every running fade. True when the id was the animation's.
  bool OnTimer(UINT_PTR id);
  // Animations in `rect` end; with `exclude`, those that only overlap it leave it alone.
  void YieldArea(const RECT& rect, bool exclude);
  // Ends every fade and stops the timer.
  void DropAll();
  // Drops the snapshot too (the window is going).
  void OnDestroy();

  bool HasSnapshot() const { return snapshot_.Get() != nullptr; }
  CSize SnapshotSize() const { return snapshot_size_; }
  bool IsTimerRunning() const { return timer_running_; }
  bool IsRepaintNeeded() const { return repaint_needed_; }
  size_t AnimationCount() const { return animations_.size(); }
  const CAnimateInfo* GetAnimation(size_t index) const { return animations_[index].get(); }

  // Draws one step of a fade onto `dc` and advances it.
  static void DrawStep(HDC dc, CAnimateInfo& info);

 private:
  CSize ClientSize() const;
  void AddAnimation(std::unique_ptr<CAnimateInfo> info);
  void DropSnapshot();

  HWND window_ = nullptr;
  DrawFn draw_;
  KestrinWinNS::CScopedBitmap snapshot_;
  CSize snapshot_size_;
  bool repaint_needed_ = false;
  bool timer_running_ = false;
  bool enabled_ = false;
  bool double_buffered_ = false;
  std::vector<std::unique_ptr<CAnimateInfo>> animations_;
};
