// A tool bar that hosts one child window (its client: a dialog, a tree) under a caption row
// with a caption control and a hide button, resizable by its edges docked and floating. Its
// size is the client's size with its borders and caption: it neither wraps nor collects
// controls behind an expand button, and it cannot be customized.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"

class CTKDialogBar : public CTKToolBar {
  DECLARE_DYNCREATE(CTKDialogBar)

 public:
  static const int kHideCommand = 9149;
  static const int kCaptionCommand = 9147;
  // The caption row's buttons are squares of this side.
  static const int kCaptionButtonSize = 16;

  // Hides its bar when clicked; a Marlett cross.
  class CControlButtonHide : public CTKControlButton {
   public:
    CControlButtonHide();
    void Draw(CDC* dc) override;
    bool DrawsOwnFace() const override { return true; }
    void OnExecute() override;
  };

  // The caption text; opens the caption popup when it has commands.
  class CControlCaptionPopup : public CTKControlPopup {
   public:
    CControlCaptionPopup();
    void Draw(CDC* dc) override;
    bool DrawsOwnFace() const override { return true; }
    void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
    void SetPopupAllowed(bool on) { popup_allowed_ = on; }
    bool IsPopupAllowed() const { return popup_allowed_; }

   private:
    bool popup_allowed_ = false;
  };

  // The commands of the caption. Made to drop below its control; shown, it drops below the
  // caption control with its right edge at the control's right end, on whatever side the bar
  // lies (the base popup would open beside a control of a bar docked left or right).
  class CCaptionPopupBar : public CTKPopupBar {
   public:
    CCaptionPopupBar();
    void UpdateExcludeAndDirection() override;
  };

  CTKDialogBar();
  ~CTKDialogBar() override;

  // The hosted window: made a child of the bar and kept in its client area.
  void SetClientWindow(HWND hwnd);
  HWND GetClientWindow() const { return client_; }
  void SetCaption(const std::wstring& text) { caption_ = text; DelayLayout(); }
  // The caption text, or the bar's title when the text is empty.
  std::wstring GetCaptionText() const { return caption_.empty() ? GetTitle() : caption_; }
  void SetResizable(bool on) { resizable_ = on; }
  bool IsResizable() const { return resizable_; }
  void SetMinClientSize(CSize size) { min_client_ = size; }
  CSize GetMinClientSize() const { return min_client_; }
  // The client's size docked and floating.
  void SetDockedSize(CSize size) { docked_size_ = size; }
  CSize GetDockedSize() const { return docked_size_; }
  void SetFloatingSize(CSize size) { dialog_floating_size_ = size; }
  CSize GetFloatingSize() const { return dialog_floating_size_; }
  void ShowCaption(bool on) { show_caption_ = on; DelayLayout(); }
  void SetCaptionPopupAllowed(bool on) { caption_popup_ = on; }
  // Without a hide button the bar cannot be hidden from its caption.
  void EnableHideButton(bool on) { hide_enabled_ = on; }
  const CRect& GetBorders3() const { return borders_; }
  int GetCaptionHeight() const { return caption_height_; }
  bool IsActive() const { return active_; }
  // The commands the caption control opens (a popup bar of the bar's own).
  CCaptionPopupBar* GetCaptionPopupBar();
  CControlButtonHide* GetHideButton() const;
  CControlCaptionPopup* GetCaptionControl() const;

  // The edge under a screen point: an HT code (HTLEFT ... HTBOTTOMRIGHT), or 0 where the tool
  // bar's own hit test answers.
  int ResizeHitTest(CPoint screen) const;
  // 1 in the caption row (the drag area), -2 elsewhere; client coordinates.
  int DragHitTest(CPoint client) const { return show_caption_ && client.y < borders_.top + caption_height_ ? 1 : -2; }
  // Resizing by `edge` (an HT code) to a new window rectangle (screen coordinates); false when
  // the client would be smaller than the minimum. Floating, the window takes the rectangle;
  // docked, the dragged edge sets the docked width or height and the dock lays out again.
  bool ResizeTo(const CRect& rect, int edge);
  // The focus is in the bar or its client (checked at every idle update).
  void UpdateActiveState();

  // The size is the client's (docked or floating) with the borders and the caption row.
  CSize CalcDockingLayout(int length, DWORD mode, int mruWidth = 0) override;
  CSize CalcFloatingLayout(int length, DWORD mode) override;
  CSize CalcFloatingSize(int length, DWORD layout) override;
  CRect GetBorders() const override { return borders_; }
  // The dragged borders give the bar its size, through ResizeTo.
  bool SizesFreely() const override { return resizable_; }
  bool SizeTo(const CRect& screen, int edge) override { return ResizeTo(screen, edge); }
  // Only the caption row is the bar's own: the rest belongs to the hosted window.
  bool PointInBar(POINT screen) const override;
  void DrawCommandBar(CDC* dc, const CRect& clip) override;
  void OnIdleUpdate() override;
  void OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  CSize SizeFor(CSize client, int length, DWORD mode);
  void EnableCaptionControls();
  int MeasureCaptionHeight();
  // The caption row and the client laid out for the window's size (`size` while it has none).
  void Arrange(CSize size);
  void LayoutCaptionRow(CSize size);
  void PlaceClient(CSize size);
  // A press in the caption row where nothing can be pressed moves the bar (a double click
  // toggles it between docked and floating); true when the press was taken.
  bool OnCaptionPress(UINT message, CPoint pt);

  CRect borders_{3, 3, 3, 3};
  bool resizable_ = true;
  CSize min_client_{50, 50};
  bool show_caption_ = true;
  bool caption_popup_ = true;
  int caption_height_ = 0;
  CSize docked_size_{200, 200};
  CSize dialog_floating_size_{200, 200};
  bool hide_enabled_ = true;
  std::wstring caption_;
  CCaptionPopupBar* popup_bar_ = nullptr;  // released, not deleted, with the bar
  HWND client_ = nullptr;
  bool active_ = false;
};
