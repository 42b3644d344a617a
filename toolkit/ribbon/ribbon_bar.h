// The ribbon bar: a menu bar that takes the place of a frame's menu and tool bars with, from top
// to bottom, a caption band (title, quick-access bar, context headers, caption buttons), the tab
// row with the system button at its left, the groups of the selected tab, and optionally the
// quick-access bar below the groups. It lays all of that out, tracks the hot group, shows the
// keyboard tips, minimises and restores itself, builds the quick-access menus and saves its
// state through the command bars' state exchange.
#pragma once

#include <windows.h>

#include <climits>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/ribbon/ribbon_bar_heights.h"
#include "toolkit/ribbon/ribbon_context_headers.h"
#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_controls.h"
#include "toolkit/ribbon/ribbon_scrollable_bar.h"

class CTKRibbonFrameCompanion;
class CTKRibbonTheme;
class CTKPropExchange;

// The record of the tab row's notifications (tab selecting -552, tab selected -551), sent to
// the site with message 10338 like a control's.
struct NMTKRIBBONTAB {
  NMTKCONTROL control;
  class CTKRibbonTab* tab;
};

namespace TKRibbon {
// Menu resources of the customise menu (customise button) and of a control's context menu.
const UINT kCustomiseMenuId = 9601;
const UINT kContextMenuId = 9602;
// Command ids.
const int kCustomiseButtonId = 9603;
const int kControlTabId = CTKRibbonControlTab::kId;
const int kRemoveFromQuickAccess = 9605;
const int kAddToQuickAccess = 9606;
const int kCustomiseQuickAccess = 9607;
const int kQuickAccessBelow = 9608;
const int kQuickAccessAboveAlias = 9609;
const int kQuickAccessAbove = 9610;
const int kMoreButtonId = 9611;
const int kToggleMinimized = 9612;
const int kQuickAccessCommandsEntry = 9613;
const int kBeginGroupEntry = 9614;
// Messages to the site window.
const UINT kMsgStatusBarQuery = 10324;
const UINT kMsgCustomisePopupBuilt = 10332;
// Posted to the frame to have it recalculate its non-client area.
const UINT kMsgFrameRecalc = 867;
// Control flags: an entry of the customise menu; a control that never joins the quick-access
// bar (the bar's own controls carry it).
const int kFlagMenuEntry = 8;
const int kFlagNoQuickAccess = 0x10;
// Hide flags: hidden by the layout (the more popup lists these), and belonging to the groups
// of a tab that is not selected.
const int kHideLayout = 0x2;
const int kHideOtherTab = CTKRibbonControlTab::kHideOtherTab;
// The system commands of the caption buttons.
const int kFirstCaptionCommand = 61472;
const int kLastCaptionCommand = 61728;
// At most this many quick-access controls get numbered keyboard tips.
const int kMostQuickAccessTips = 18;
// Keyboard-tip styles (alignment of the tip at its anchor).
const int kTipCenterX = 1;
const int kTipCenterY = 4;
const int kTipCenter = 5;
}  // namespace TKRibbon

// What the ribbon asks of the companion that draws its frame's caption. The companion
// implements it and hands itself to the bar with SetFrameCompanion.
class CTKRibbonFrameLink {
 public:
  virtual ~CTKRibbonFrameLink() = default;
  // The frame's border width (0 until the companion measured it).
  virtual int FrameBorder() const = 0;
  // The desktop window manager draws the frame and its caption buttons.
  virtual bool IsDesktopComposition() const = 0;
  // Has the frame recalculate its non-client area: posted (message 867) or at once.
  virtual void RequestFrameRecalc(bool immediate) = 0;
  // Updates the frame's region or glass for its current size.
  virtual void RefreshFrameRegion() = 0;
};

class CTKRibbonBar : public CTKMenuBar, public CTKRibbonScrollableBar, public CTKRibbonTabRowSite {
  DECLARE_DYNCREATE(CTKRibbonBar)

 public:
  static constexpr DWORD kRibbonFlags = 0x440;

  // A caption button (close, restore, maximise, minimise) the bar places in its caption band;
  // defined with the caption placement.
  class CControlCaptionButton;

  // The button that shows the quick-access controls the layout hid.
  class CControlQuickAccessMorePopup : public CTKControlPopup {
   public:
    static constexpr int kId = 9611;
    static constexpr int kFlags = 0x18;
    CControlQuickAccessMorePopup();
    CSize GetSize(CDC* dc) override;
    void Draw(CDC* dc) override;
    // Opening asks the ribbon for a fresh more popup.
    bool OnSetPopup(bool open) override;
  };

  // An entry of the customise menu that stands for one command of the quick-access list:
  // checked while the bar holds a copy of it; running it adds or removes the copy.
  class CControlQuickAccessCommand : public CTKControlButton {
   public:
    CControlQuickAccessCommand(CTKRibbonBar* ribbon, CTKControl* command);
    ~CControlQuickAccessCommand() override;
    CTKControl* Command() const { return command_; }
    CTKControl* CopyInBar() const { return copy_; }
    // Makes the copy known (null: none); the entry is checked while there is one.
    void SetCopyInBar(CTKControl* copy);
    void OnExecute() override;

   private:
    CTKRibbonBar* ribbon_;
    CTKControl* command_;  // one reference
    CTKControl* copy_ = nullptr;
  };

  // The popup of the more button: copies of the hidden quick-access controls and of the
  // customise button.
  class CMorePopupToolBar : public CTKPopupToolBar {
   public:
    static constexpr int kBorder = 3;
    static constexpr int kWidthLimit = 300;
    explicit CMorePopupToolBar(CTKRibbonBar* ribbon);
    CTKRibbonBar* Ribbon() const { return ribbon_; }
    // The ribbon theme draws the popup's frame; another paint manager its plain popup face.
    void FillBackground(CDC* dc) override;

   private:
    CTKRibbonBar* ribbon_;
  };

  // One keyboard tip the ribbon asks for: a control's (or a tab's) text at an anchor in the
  // bar's client coordinates, aligned by `style` (TKRibbon::kTip*).
  struct CKeyTip {
    CTKControl* control = nullptr;
    CTKRibbonTab* tab = nullptr;
    std::wstring text;
    POINT anchor{0, 0};
    int style = 0;
  };

  CTKRibbonBar();
  ~CTKRibbonBar() override;

  // --- tabs and groups ---
  CTKRibbonControlTab* ControlTab() const { return control_tab_; }
  CTKRibbonTab* InsertTab(int index, const std::wstring& caption, int image = -1);
  CTKRibbonTab* TabAt(int index) const;
  int CountTabs() const;
  CTKRibbonTab* CurrentTab() const;
  // Selects the tab at `index`, clamped to the first or last tab; none when there are no tabs.
  void SelectTabByIndex(int index);
  // The first group with `id` over all tabs in order.
  CTKRibbonGroup* GroupById(int id) const;
  // Puts `group` (the caller's reference moves over) into `tab`'s groups at `index`.
  CTKRibbonGroup* AddGroup(CTKRibbonTab* tab, CTKRibbonGroup* group, int index = -1);
  // Adds `control` (a new reference is taken) to the bar's controls as a control of `group`,
  // with a position record for the group's layout.
  CTKControl* AddGroupControl(CTKRibbonGroup* group, CTKControl* control);
  // The group `control` belongs to, or null.
  CTKRibbonGroup* GroupOfControl(const CTKControl* control) const;
  // Drops `control` from its group's records (the bar's collection keeps it).
  void DetachFromGroup(CTKControl* control);

  // --- switches ---
  bool IsRibbonVisible() const { return ribbon_visible_; }
  bool IsGroupsVisible() const { return groups_visible_; }
  void SetGroupsVisible(bool on);
  bool IsTabsVisible() const { return tabs_visible_; }
  void SetTabsVisible(bool on);
  bool IsQuickAccessBelow() const { return quick_access_below_; }
  bool IsQuickAccessVisible() const { return quick_access_visible_; }
  void SetQuickAccessVisible(bool on);
  bool AllowsQuickAccessDuplicates() const { return allow_quick_access_duplicates_; }
  void AllowQuickAccessDuplicates(bool on) { allow_quick_access_duplicates_ = on; }
  bool AllowsMinimize() const { return allow_minimize_; }
  void AllowMinimize(bool on) { allow_minimize_ = on; }
  int GroupsHeightOverride() const { return groups_height_override_; }
  void SetGroupsHeightOverride(int height);
  bool ShowsCaptionWithoutFrame() const { return show_caption_without_frame_; }
  void ShowCaptionWithoutFrame(bool on);
  int MinimumVisibleSize() const { return minimum_visible_size_; }
  void SetMinimumVisibleSize(int size) { minimum_visible_size_ = size; }
  // In caption mode the ribbon draws a caption band (with a frame companion, or on its own).
  bool IsCaptionMode() const { return HasFrameCompanion() || show_caption_without_frame_; }

  // --- operations ---
  // Moves the quick-access bar below the groups (or back above) and lays the frame out again.
  void PlaceQuickAccessBelow(bool below);
  // Folds the groups band away (or shows it again); nothing when unchanged.
  void ChangeMinimizedState(bool minimized);
  bool IsMinimized() const override { return minimized_; }

  // --- the quick-access bar ---
  CTKRibbonQuickAccessControls* QuickAccessControls() const { return quick_access_; }
  CTKRibbonBarControlQuickAccessPopup* CustomiseButton() const { return customise_button_; }
  CControlQuickAccessMorePopup* MoreButton() const { return more_button_; }
  int QuickAccessHeight() const { return quick_access_height_; }
  // Whether `control` may be added to the quick-access bar.
  bool CanJoinQuickAccess(const CTKControl* control) const;
  // Adds a shown copy of `control` to the quick-access bar; the copy, or null.
  CTKControl* AddToQuickAccess(const CTKControl* control);
  // Takes `control` (one of the bar's quick-access controls) out of the quick-access bar.
  bool RemoveFromQuickAccess(CTKControl* control);
  // A new more popup (one reference): copies of the controls the layout hid, then of the
  // customise button.
  CTKPopupBar* BuildMorePopup();
  // The customise menu (customise button) or a control's context menu; one reference, or null
  // when the menu resource is missing.
  CTKPopupBar* BuildCustomisePopup(CTKControl* control);
  // Shows the context menu of `control` at a screen point.
  void ShowContextPopup(CTKControl* control, POINT screen);

  // --- system button and frame companion ---
  CTKControl* SystemButton() const { return system_button_; }
  // The control shown at the left end of the tab row (the bar's collection holds it).
  void SetSystemButton(CTKControl* control);
  // The bar forgets its system button (it left the bar's collection).
  void ForgetSystemButton(const CTKControl* control);
  CTKRibbonFrameCompanion* FrameCompanion() const { return frame_companion_; }
  CTKRibbonFrameLink* FrameLink() const { return frame_link_.get(); }
  bool HasFrameCompanion() const { return frame_link_ != nullptr; }
  // Attaches the companion (which implements CTKRibbonFrameLink; the bar owns it from then on
  // and destroys it through the link) or, with null, destroys the one it had.
  template <class Companion>
  void SetFrameCompanion(Companion* companion) {
    AttachFrameCompanion(companion, companion);
  }
  void SetFrameCompanion(std::nullptr_t) { AttachFrameCompanion(nullptr, nullptr); }
  void AttachFrameCompanion(CTKRibbonFrameCompanion* companion, CTKRibbonFrameLink* link);
  // The frame border the caption band takes (0 without a companion).
  int FrameBorder() const;

  // --- geometry (client coordinates) ---
  const RECT& CaptionRect() const { return caption_rect_; }
  const RECT& TitleRect() const { return title_rect_; }
  const RECT& CaptionFreeRect() const { return caption_free_rect_; }
  const RECT& QuickAccessRect() const { return quick_access_rect_; }
  const CTKRibbonContextHeaders& ContextHeaders() const { return context_headers_; }
  // The heights for the bar's switches and its theme.
  CTKRibbonBarHeights::CInputs HeightInputs() const;
  int TabRowHeight() const;
  int CaptionHeight() const;
  // The heights for the current switches and quick-access height, for a bar `width` wide in a
  // frame `frame_height` high.
  CTKRibbonBarHeights CurrentHeights(int width = INT_MAX, int frame_height = INT_MAX) const;

  // --- layout ---
  // The bar's height for `width` (0 while the ribbon is not visible); `commit` lays it out.
  CSize CalcRibbonSize(int width, bool commit);
  // Lays the caption band, tab row, quick-access bar and groups out across `width` with the
  // heights the size calculation found.
  void LayoutRibbon(int width, const CTKRibbonBarHeights& heights);
  // Places the caption buttons and the window title (with a frame companion).
  void PlaceCaptionButtonsAndTitle();
  // The caption band's drawing.
  void PaintCaptionBand(CDC* dc);
  CSize CalcDockingLayout(int length, DWORD mode, int mruWidth = 0) override;
  CSize CalcDynamicLayout(int length, DWORD mode) override;
  // Recalculates the site's layout; while the layout is locked the request waits.
  void RecalcSiteLayout();
  // Holds the layout (nested); the last release recalculates when a request came meanwhile.
  void LockLayout();
  void UnlockLayout();

  // --- hot group and hit testing ---
  CTKRibbonGroup* HotGroup() const { return hot_group_; }
  void SetHotGroup(CTKRibbonGroup* group);
  // The frame's hit code for a client point in the caption band: 0 for none, else HTCAPTION or
  // HTTOP.
  int HitTestCaption(POINT client) const;
  // The context header at a client point, or null.
  const CTKRibbonTabContextHeader* ContextHeaderAt(POINT client) const;

  // --- keyboard tips ---
  // The tips of `level` (1: quick-access bar, tabs and system button; 2: the selected tab's
  // groups).
  std::vector<CKeyTip> KeyTipsForLevel(int level) const;
  // The tips of the visible controls of `groups` that lie wholly inside `band` (the groups
  // area of the bar they show in), placed by where each control sits in its group.
  static std::vector<CKeyTip> GroupKeyTips(const CTKRibbonGroups& groups, const RECT& band, int caption_height);
  // Paints the frames of the visible groups of `groups` that meet `clip` and lets each group
  // draw its own parts (its controls are the bar's to draw).
  static void PaintGroups(HDC dc, CTKRibbonTheme* theme, const CTKRibbonGroups& groups, const CTKRibbonGroup* hot,
                          int context_colour, const RECT& clip);
  // Appends a tip window of `manager` for each of `tips`.
  static void AppendTipWindows(CTKCommandBarManager* manager, const std::vector<CKeyTip>& tips,
                               std::vector<CTKCommandBarKeyboardTip*>* windows);
  // The letter after the "&" of a visible tab's caption: the tab, or null.
  CTKRibbonTab* TabByAccessKey(wchar_t ch) const;

  // --- command bar ---
  // Makes the window and hooks the frame: the commands of the ribbon's menus reach it there.
  bool CreateToolBar(HWND site, bool floating) override;
  bool CreateKeyboardTips(int level, std::vector<CTKCommandBarKeyboardTip*>* tips) override;
  bool ExecuteKeyboardTip(CTKCommandBarKeyboardTip* tip) override;
  int OnHookKeyDown(UINT key, LPARAM data) override;
  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  void DrawCommandBar(CDC* dc, const CRect& clip) override;
  void OnTrackingModeChanged() override;
  void DoPropExchange(CTKPropExchange* px) override;
  void Copy(const CTKCommandBar* source, bool deep) override;
  bool ExchangesControls() const override { return false; }

  // --- the groups band (CTKRibbonGroupsHost) ---
  int GroupsHeight() const override;
  int GroupCaptionHeight() const override;
  bool ShowsTab(const CTKRibbonTab* tab) const override;
  void RelayoutGroups() override;

  // --- the tab row's site ---
  void ClosePopups() override;
  void HideKeyTipsAboveFirstLevel() override;
  bool TabSelecting(CTKRibbonTab* tab) override;
  void ShowGroupsOf(CTKRibbonTab* tab) override;
  void TabSelected(CTKRibbonTab* tab) override;
  // The groups band as high as it is while the ribbon is unfolded.
  int PopupGroupsHeight() const override;

  // Commands: message 10338 (9605, 9606, 9607, 9612) and WM_COMMAND (9608 to 9610); true when
  // handled.
  bool OnRibbonCommand(int id, CTKControl* control);
  // The ribbon theme when it is the paint manager in force, else null.
  CTKRibbonTheme* RibbonTheme() const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnRibbonLButtonDown(POINT pt);
  bool OnRibbonLButtonDblClk(POINT pt);
  bool OnRibbonRButtonDown(POINT pt);
  bool OnRibbonRButtonUp(POINT pt);
  void OnRibbonMouseMove(POINT pt);
  void OnRibbonMouseLeave();
  void OnRibbonShowWindow(bool shown);
  // The frame the ribbon sits in (its site).
  HWND FrameWindow() const;
  // The metrics of the theme in force, or those of an 11-point font at 96 dpi without one.
  void ReadMetrics(int* tab_row, int* group_caption, int* control, int* button, int* caption) const;

 private:
  friend class CTKRibbonControls;
  friend class CTKRibbonQuickAccessControls;

  void BuildContextHeaders();
  void RecomputeQuickAccessHeight();
  void ReleaseParts();
  // Where the quick-access list's control at `list_index` goes in the bar's collection: after
  // the system button, before the customise button.
  int QuickAccessInsertIndex(int list_index) const;
  // Puts the list's controls that the bar's collection lacks (loaded ones) into it.
  void AdoptQuickAccessControls();
  // Folds the groups away (deselecting the tab) or not, without a new layout.
  void SetMinimizedState(bool minimized);

  RECT caption_rect_{};
  RECT title_rect_{};
  RECT caption_free_rect_{};
  RECT quick_access_rect_{};
  bool ribbon_visible_ = true;
  bool groups_visible_ = true;
  bool tabs_visible_ = true;
  bool quick_access_below_ = false;
  bool quick_access_visible_ = true;
  bool allow_quick_access_duplicates_ = false;
  int quick_access_height_ = 0;
  bool allow_minimize_ = true;
  CTKRibbonQuickAccessControls* quick_access_;
  CTKRibbonControlTab* control_tab_;
  CTKRibbonBarControlQuickAccessPopup* customise_button_;
  CControlQuickAccessMorePopup* more_button_;
  CTKControl* system_button_ = nullptr;
  CTKRibbonGroup* hot_group_ = nullptr;
  CTKRibbonFrameCompanion* frame_companion_ = nullptr;
  std::unique_ptr<CTKRibbonFrameLink> frame_link_;
  CTKRibbonContextHeaders context_headers_;
  int minimum_visible_size_ = CTKRibbonBarHeights::kMinimumVisibleSize;
  bool minimized_ = false;
  int groups_height_override_ = 0;
  bool show_caption_without_frame_ = true;
  // Layout lock depth and a recalculation asked for while locked.
  int layout_lock_ = 0;
  bool recalc_waiting_ = false;
  // The control the open customise or context menu acts on (one reference).
  CTKControl* context_target_ = nullptr;
  // The customise command is on its way to the site (the bar's own hook lets it pass).
  bool forwarding_customise_ = false;
};

// Enters the ribbon's classes into the module's class list, so that saved layouts recreate them
// (a program that restores a ribbon calls it once, beside the command bars' own).
void TKRegisterRibbonClasses();
