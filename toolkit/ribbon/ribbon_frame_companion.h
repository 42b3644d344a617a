// What joins a ribbon to the frame window whose caption it draws: who supplies the caption's
// height, the frame's window region (or, with desktop composition, the glass reaching into the
// client area), the frame's recalculation when the ribbon appears or goes, and the frame's
// status bar for the theme.
#pragma once

#include <windows.h>

#include "toolkit/ribbon/ribbon_bar.h"

class CTKCommandBarManager;
class CTKPaintManager;

class CTKRibbonFrameCompanion : public CTKRibbonFrameLink {
 public:
  // The frame's status bar, and the question it answers non-zero when it is a toolkit one.
  static constexpr UINT kStatusBarId = 59393;
  // SetWindowPos flags of a frame change that neither moves, sizes, reorders nor activates.
  static constexpr UINT kFrameChangeFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
  // The frame border with desktop composition, unless the frame is maximised.
  static constexpr int kCompositionBorder = 4;

  // `site` supplies the paint manager; without one `fallback` does (the global one when null).
  CTKRibbonFrameCompanion(HWND frame, CTKRibbonBar* bar, CTKCommandBarManager* site = nullptr,
                          CTKPaintManager* fallback = nullptr);
  ~CTKRibbonFrameCompanion() override;
  CTKRibbonFrameCompanion(const CTKRibbonFrameCompanion&) = delete;
  CTKRibbonFrameCompanion& operator=(const CTKRibbonFrameCompanion&) = delete;

  // The width of the frame's sizing border for its style: from the window's edge to its client
  // area at the sides.
  static int StyleBorder(HWND frame);

  HWND Frame() const { return frame_; }
  CTKRibbonBar* Bar() const { return bar_; }

  // --- CTKRibbonFrameLink ---
  int FrameBorder() const override { return border_; }
  bool IsDesktopComposition() const override { return composition_; }
  // Posted: message 867 goes to the frame (once until it is handled). Immediate: the frame's
  // non-client area and layout, then the ribbon, are recalculated now.
  void RequestFrameRecalc(bool immediate) override;
  // The region (or glass) for the frame's current window size, set again.
  void RefreshFrameRegion() override;

  // True when the frame's own caption shows (the ribbon does not draw it).
  bool CaptionFromFrameTheme() const;
  // The height of the caption band: the ribbon's, or the theme's frame caption and the border.
  int CaptionBandHeight() const;
  // Sets the frame's region for a window w x h when the size changed or `force` is set.
  void ApplyFrameRegion(int width, int height, bool force);
  // The frame's visible toolkit status bar and its height; only while the theme draws frames.
  bool FindStatusBar(int* height) const;
  CTKPaintManager* ActivePaintManager() const;

  // The frame's active state, which its caption is drawn with.
  bool IsFrameActive() const { return active_; }
  void SetFrameActive(bool active) { active_ = active; }
  // A posted recalculation waits for the frame.
  bool IsRecalcPosted() const { return recalc_posted_; }
  // Reads whether the desktop window manager composes the desktop (after it said it changed).
  void RefreshComposition();

 private:
  HWND frame_;
  CTKRibbonBar* bar_;
  CTKCommandBarManager* site_;
  CTKPaintManager* fallback_;
  bool active_ = true;
  int last_width_ = -1, last_height_ = -1;
  bool recalc_posted_ = false;
  int border_ = 0;
  bool composition_ = false;
  bool updating_region_ = false;
};
