// The ribbon's system button at the left end of its tab row, the system menu it opens, and the
// pages the menu's entries open beside it.
#pragma once

#include <windows.h>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/popup_bar.h"

// Whether `bar` is a ribbon bar that draws its caption with its tabs shown: its system button
// then straddles the caption and the tab row, and has a look of its own.
bool TKRibbonSystemButtonInCaption(const CTKCommandBar* bar);

class CTKRibbonControlSystemButton : public CTKControlPopup {
  DECLARE_DYNCREATE(CTKRibbonControlSystemButton)

 public:
  static constexpr int kControlFlags = 0x18;
  // The system menu of a button in the caption opens this much higher, over the button.
  static constexpr int kCaptionPopupRise = 18;

  CTKRibbonControlSystemButton();
  void Draw(CDC* dc) override;
  // A double click closes the popups and asks the frame to close.
  void OnLButtonDblClk(CPoint point) override;
  // The window that receives the frame's system commands.
  HWND Frame() const;
};

class CTKRibbonSystemPopupBar : public CTKPopupBar {
  DECLARE_DYNCREATE(CTKRibbonSystemPopupBar)

 public:
  static constexpr RECT kBorders{6, 18, 6, 29};
  // The bottom buttons stay out of the popup's own layout while it runs.
  static constexpr int kHideBottomButton = 0x4;
  static constexpr int kBottomButtonGap = 6;

  CTKRibbonSystemPopupBar();
  CSize CalcSize(int length, DWORD mode) override;
  void UpdateExcludeAndDirection() override;
  void DrawCommandBar(CDC* dc, const CRect& clip) override;
  void FillBackground(CDC* dc) override;
  // The system button shows through the popup: points over it are not the popup's.
  bool PointInBar(POINT screen) const override;
  // The system button that opened the popup, or null.
  CTKRibbonControlSystemButton* SystemButton() const;

 protected:
  // A control carrying the wrap-row flag (a list's caption row) starts a column of its own.
  bool StartsColumn(const CTKControl* control) const override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // The row rectangle of a control that starts a column becomes the whole column.
  void SpanColumnRows();
  // The bottom buttons, right to left from the popup's right border; the popup widens when they
  // do not fit.
  void PlaceBottomButtons(CSize& size);
  // The system button's rectangle in screen coordinates (empty without one).
  CRect SystemButtonScreenRect() const;
};

class CTKRibbonSystemPopupBarPage : public CTKPopupBar {
  DECLARE_DYNCREATE(CTKRibbonSystemPopupBarPage)

 public:
  CSize CalcSize(int length, DWORD mode) override;
  void UpdateExcludeAndDirection() override;

 private:
  // The system menu this page opens from, or null.
  CTKRibbonSystemPopupBar* SystemPopup() const;
};
