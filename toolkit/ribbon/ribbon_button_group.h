// A group of buttons. Its widest form shows every control as a large button in a column of its
// own. Narrowing, the large buttons turn, three at a time from the right, into a stack of small
// buttons with captions; then, a stack at a time from the right, the small buttons lose their
// captions; at last the group collapses into a single button that opens the group in a popup.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/ribbon/ribbon_groups.h"

class CTKRibbonGroupControlPopup;

class CTKRibbonButtonGroup : public CTKRibbonGroup {
  DECLARE_DYNCREATE(CTKRibbonButtonGroup)

 public:
  // How a control shows.
  enum Form { kLarge = 0, kSmallWithCaption = 1, kSmall = 2 };
  // The control styles of the forms: caption below the icon, icon and caption, icon only.
  static constexpr int kStyleOfForm[3] = {4, 3, 1};
  static constexpr int kStackHeight = 3;
  // Between two columns, and around the caption in the caption row.
  static constexpr int kColumnGap = 2;
  static constexpr int kCaptionMargin = 10;

  CTKRibbonButtonGroup() = default;
  ~CTKRibbonButtonGroup() override;

  // Adds `control` at the end (the group takes a reference of its own); it joins the group's
  // bar when the group lies in one.
  CTKControl* AddControl(CTKControl* control);
  // Takes the control out of the group and of its bar and lets it go; an index outside the
  // group does nothing.
  void RemoveControl(int index);
  void RemoveControl(CTKControl* control);
  int ControlCount() const { return static_cast<int>(Positions().size()); }
  CTKControl* ControlAt(int index) const;
  Form FormOf(int index) const;

  // --- layout ---
  void BeginLayout(HDC dc) override;
  int CurrentWidth(HDC dc) override;
  bool Reduce(HDC dc, int level) override;
  void EndLayout() override;
  // The caption row's text (the bar draws the group's frame and its controls).
  void Draw(HDC dc, const RECT& clip) override;
  void CopyFrom(const CTKRibbonGroup& other) override;
  void OnInserted() override;
  void OnRemoved() override;

 protected:
  // The size of a control in a form (large ones are stretched to the group's content height).
  virtual SIZE MeasureControl(HDC dc, CTKControl* control, Form form);
  // Gives a button the control style of its form.
  static void TakeFormStyle(CTKControl* control, Form form);
  // The width of the caption as the caption row draws it.
  virtual int MeasureCaption(HDC dc, const std::wstring& caption);

 private:
  // Places the controls of the current forms at the content origin and works out the width.
  void Arrange(HDC dc);
  // The collapsed button, made on first need and put in the group's bar.
  CTKRibbonGroupControlPopup* EnsureCollapsedButton();
  void JoinBar(CTKControl* control);
  void LeaveBar(CTKControl* control);
  int RowHeight() const;

  // The controls the group holds a reference to (a bar may add records of controls only it
  // holds).
  std::vector<CTKControl*> owned_;
  int width_ = 0;
  // The sizes measured in this layout pass, three forms per control record (cx < 0: not yet):
  // narrowing re-arranges the group many times, a control's size in a form stays the same.
  std::vector<SIZE> measured_;
};
