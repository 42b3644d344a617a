// The bars' tooltips and prompts: one shared tooltip window per owner shows the tip of the
// control under the pointer, and the frame's message pane shows the description of the hot
// control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CTKCommandBar;
class CTKControl;
class CTKPaintManager;
class CCmdTarget;

// The extra record of a tool with a title (the wide form of a tool-info record points at it).
struct CTKToolInfoExtra {
  wchar_t* title;
  wchar_t* description;
  CCmdTarget* target;
};

// The size of the tool-info record without its parameter, and with it.
constexpr UINT kTKToolInfoSize = offsetof(TTTOOLINFOW, lParam);
constexpr UINT kTKToolInfoWideSize = offsetof(TTTOOLINFOW, lpReserved);

// The bars' own tool flags, which never reach the tooltip window: a tool marked to be shown at
// once shows its tip even while its owner is not the active window.
constexpr UINT kTKToolShowAtOnce = 0x40000000;
constexpr UINT kTKToolOwnFlags = 0xC0000000;

// Fills a tool-info record: nothing for a null record or one smaller than the short form; the
// text (and, in the wide form with both a title and a description, an extra record) is a heap
// copy freed by TKFreeToolInfo.
void TKFillToolInfo(TTTOOLINFOW* info, HWND window, UINT_PTR id, const RECT& rect, const std::wstring& text);
void TKFillToolInfoEx(TTTOOLINFOW* info, HWND window, UINT_PTR id, const RECT& rect, const std::wstring& text,
                      const std::wstring& title, const std::wstring& description, CCmdTarget* target);
void TKFreeToolInfo(TTTOOLINFOW* info);

class CTKToolTipContext {
 public:
  // The context of the thread (one tooltip window, recreated for another owner).
  static CTKToolTipContext& ThreadInstance();
  ~CTKToolTipContext();

  // Hands a bar's mouse and key message to the tooltip (forced: from the bar's own handling).
  void FilterBarMessage(CTKCommandBar* bar, HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool forced);
  HWND GetToolTipWindow() const { return tip_; }
  // The tool last added (0 when none); its text.
  UINT_PTR LastToolId() const { return last_.uId; }
  const std::wstring& LastToolText() const { return last_text_; }
  void SetMaxTipWidth(int width) { max_width_ = width; }
  // The inner margin of the tip (each side in pixels) and its colours (CLR_NONE: the system's).
  // Like the width and the delays, they go to each tooltip window made from then on.
  void SetMargin(const RECT& margin) { margin_ = margin; }
  void SetTipColors(COLORREF back, COLORREF text) {
    back_ = back;
    text_ = text;
  }
  // Titles: a tool with a tip and a different description shows the tip as a title (with the
  // icon, TTI_*) over the description. The style kNoTitles keeps every tip plain.
  enum { kNoTitles = 3 };
  void SetShowTitles(bool on, int icon) {
    show_titles_ = on;
    title_icon_ = icon;
  }
  void SetToolTipStyle(int style) { style_ = style; }
  // Image tips: each new tool hands the tooltip window (kMsgToolImage, the image in the lParam)
  // the bar's image of `base` + the tool id, or null when the bar has none.
  static constexpr UINT kMsgToolImage = 0x2A49;
  void SetImageTips(bool on, UINT base) {
    image_tips_ = on;
    image_base_ = base;
  }
  const std::wstring& LastToolTitle() const { return last_title_; }
  void SetDelayTimes(int reshow, int initial, int autopop) {
    reshow_ = reshow;
    initial_ = initial;
    autopop_ = autopop;
  }
  // What names the active application window (null: the system's foreground window). While a
  // bar's top-level owner is not active its tip is hidden and new tools are added without
  // showing theirs, unless they are marked to be shown at once.
  using ActiveWindowQuery = HWND (*)();
  void SetActiveWindowQuery(ActiveWindowQuery query) { active_window_ = query; }
  // What tells the common controls' version as MAKELONG(minor, major) (null: the library's own
  // DllGetVersion; 0 when it has none). Titles need a version above 5.79 unless the tooltip
  // style is set.
  using VersionQuery = DWORD (*)();
  void SetCommonControlsVersionQuery(VersionQuery query) { version_ = query; }
  static DWORD SystemCommonControlsVersion();
  // The paint manager of the bar whose tool is shown, when it draws tooltips itself (the
  // tooltip window then takes its face and its shape from it), else null.
  CTKPaintManager* ThemedPainter() const;

 private:
  CTKToolTipContext() = default;
  void EnsureWindow(HWND owner);
  void DropTool();
  // The bar's top-level owner is the active application window, or owns it.
  bool IsOwnerActive(HWND barWindow) const;
  bool MayShowTitles() const;
  // Gives the window the shape of its painter for its size, or its plain rectangle back.
  void UpdateShape();
  // Paints the whole window's face into `dc` through the painter; false without one.
  bool PaintFace(HDC dc);
  static LRESULT CALLBACK TipProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND tip_ = nullptr;    // the tooltip window, destroyed with the context or its owner's change
  HWND owner_ = nullptr;
  int max_width_ = 300;
  int reshow_ = -1, initial_ = -1, autopop_ = -1;
  TTTOOLINFOW last_{};
  std::wstring last_text_, last_title_;
  RECT margin_{0, 0, 0, 0};
  COLORREF back_ = CLR_NONE, text_ = CLR_NONE;
  bool show_titles_ = false;
  int title_icon_ = 0;
  int style_ = 0;
  bool image_tips_ = false;
  UINT image_base_ = 0;
  ActiveWindowQuery active_window_ = nullptr;  // null: the system's
  VersionQuery version_ = nullptr;             // null: the library's
  WNDPROC system_proc_ = nullptr;  // the tooltip class's own procedure, under ours
  SIZE shaped_{-1, -1};            // the size the window's region was made for (-1: none set)
};

// The bar's tool under a client point: its index + 1 (0 when none), rectangle and tip text, and
// (when asked for) the control's description. The bars' tool hit test answers this unless a bar
// answers for its tools itself.
UINT_PTR TKBarToolHitTest(CTKCommandBar* bar, POINT client, RECT* rect, std::wstring* text,
                          std::wstring* description = nullptr);

// The frame's message pane follows the hot control: its description while one is hot, the
// frame's previous text when none is.
void TKShowControlPrompt(CTKCommandBar* bar, CTKControl* control);
