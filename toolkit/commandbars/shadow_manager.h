// Drop shadows beside open popups and pressed popup controls. Each shadow is a small top-level
// window along the bottom or the right edge of its owner: with layered windows it carries a
// per-pixel alpha gradient 4 pixels across, without them it is a solid strip 2 pixels across.
// A shadow follows its owner window: hidden and shown with it, gone when it is destroyed.
//
// Any window can own shadows: ShowShadows(owner window, rectangle) puts them beside a screen
// rectangle; the popup bar and popup control forms take the owner and its rectangle from the
// bar or control.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/appframe/types.h"
#include "platform/appframe/wnd.h"
#include "toolkit/commandbars/hook_manager.h"

class CTKCommandBar;
class CTKControl;

class CTKShadowsManager {
 public:
  // Shadow option bits.
  enum { kOptionLighter = 0x1, kOptionCutExclude = 0x2 };

  // How shadows are drawn: whether at all, the option bits and the colour.
  struct Style {
    bool draws_shadows = true;
    int options = 0;
    COLORREF color = RGB(0, 0, 0);
  };

  class CShadowWnd : public CWnd, public CTKHookManagerHookAble {
   public:
    CShadowWnd(CTKShadowsManager* manager, bool bottom, HWND owner, CTKCommandBar* bar, int options);
    ~CShadowWnd() override;
    bool IsBottom() const { return bottom_; }
    HWND GetOwnerWindow() const { return owner_; }
    CTKCommandBar* GetOwnerBar() const { return bar_; }
    int GetOptions() const { return options_; }
    // The alpha image last given to the window (top-down rows, premultiplied), empty when solid.
    const std::vector<DWORD>& GetImage() const { return image_; }
    // Moves and sizes the shadow; a layered one redraws its image for a new size.
    void Place(const RECT& rect);
    int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;

   protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

   private:
    void UpdateAlphaImage(int width, int height);
    CTKShadowsManager* manager_;
    bool bottom_;
    HWND owner_;
    CTKCommandBar* bar_;
    int options_;
    std::vector<DWORD> image_;
  };

  static CTKShadowsManager& Instance();

  // The shadows of an open popup bar's window; `exclude` (screen) is cut out of them with the
  // cut option (the control the popup opened from).
  void SetShadow(CTKCommandBar* popup, const RECT* exclude = nullptr);
  // The shadows of a pressed popup control, owned by the popup bar it opened.
  void SetShadow(CTKControl* control);
  // A bottom and a right shadow for `rect` (screen) owned by `owner`; `bar`, when given, names
  // the command bar they belong to. False when no shadow was made.
  bool ShowShadows(HWND owner, const RECT& rect, const RECT* exclude = nullptr, CTKCommandBar* bar = nullptr);
  // Removes every shadow of the owner.
  void RemoveShadows(HWND owner);
  void RemoveShadows(CTKCommandBar* bar);
  void RemoveShadow(CShadowWnd* shadow);

  const std::vector<CShadowWnd*>& GetShadows() const { return shadows_; }
  std::vector<CShadowWnd*> ShadowsOf(HWND owner) const;

  // Layered shadows are possible: UpdateLayeredWindow exists and the display is not low-colour.
  bool IsAlphaShadows() const;
  // Tests force a display mode (nullopt: ask the system).
  void OverrideAlphaShadows(std::optional<bool> alpha) { alpha_override_ = alpha; }
  // The system's drop-shadow setting (a test may force it).
  bool IsSystemDropShadow() const;
  void OverrideSystemDropShadow(std::optional<bool> on) { drop_override_ = on; }
  const Style& GetStyle() const { return style_; }
  void SetStyle(const Style& style) { style_ = style; }
  // The solid shadow's colour.
  COLORREF SolidColor() const;

  // The alpha strip of a layered shadow (w x h, top-down, premultiplied BGRA).
  static std::vector<DWORD> MakeAlphaImage(int width, int height, bool bottom, int options, COLORREF color);

 private:
  CTKShadowsManager();
  bool MakeShadow(bool bottom, const RECT& owner_rect, const RECT* exclude, HWND owner, CTKCommandBar* bar);

  using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
  UpdateLayeredWindowFn update_layered_ = nullptr;
  std::optional<bool> alpha_override_;
  std::optional<bool> drop_override_;
  Style style_;
  std::vector<CShadowWnd*> shadows_;
  friend class CShadowWnd;
};
