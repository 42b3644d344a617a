// The flat look: tool bars without 3-D edges, buttons highlighted by a filled rectangle with a
// one-pixel border, menus with an icon gutter, dotted grippers. Every colour is an index of the
// colour table, mostly the colour manager's derived colours.
#pragma once

#include "toolkit/paint/paint_manager.h"

namespace TKPaintThemes {

class CTKOfficeTheme : public CTKPaintManager {
 public:
  CTKOfficeTheme();

  CSize PaintPopupItem(CDC* dc, CTKControl* control, bool draw) override;
  void PaintSplitButton(CDC* dc, CTKControl* control) override;
  CSize PaintComboControl(CDC* dc, CTKControl* control, bool draw) override;
  CSize PaintEditControl(CDC* dc, CTKControl* control, bool draw) override;
  CSize PaintListRow(CDC* dc, CTKControl* control, const CRect& rect, bool draw) override;
  void PaintBarBackground(CDC* dc, CTKCommandBar* bar) override;
  int TextColorForState(const ItemState& state) override;
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  CSize PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) override;
  CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) override;
  void ShrinkFaceRect(CRect& rect, CTKControl* control) override {}
  void PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip) override;
  CSize PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) override;
  void PaintItemIcon(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& state) override;
  CSize PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) override;
  CSize PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) override;
  CSize PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) override;
  void PaintGutterFace(CDC* dc, const CRect& rect) override { PaintGutterFace(dc, rect, false); }
  // The icon column of menus; `expanded` for the rows shown only once a menu is expanded.
  virtual void PaintGutterFace(CDC* dc, const CRect& rect, bool expanded);
  int ThemeNumber() const override { return 1; }

  // The Office family's own operations.
  virtual void PaintPopupSplitPart(CDC* dc, CTKControl* control, const ItemState& state);
  virtual void PaintSubmenuArrow(CDC* dc, CTKControl* control, const ItemState& state);
  virtual void PaintLabelBack(CDC* dc, const CRect& rect);

  // Where a popup bar's window meets the control that opened it, in the popup's client
  // coordinates (empty when the popup was not opened from a control of a bar that is not
  // itself a popup).
  static CRect PopupEdgeToControl(CTKCommandBar* popup);

 protected:
  // The bar's flat flag: menu bars follow the flat-tool-bar flag, other bars the other one.
  bool IsFlatType(CTKCommandBar* bar) const;
  // Fills the popup's edge towards its control (see PopupEdgeToControl) with a colour.
  void PaintPopupEdgeToControl(CDC* dc, CTKCommandBar* popup, int colour);
  // Fills the icon column of a popup bar with the gutter face.
  void PaintPopupGutter(CDC* dc, CTKCommandBar* bar);
  // The colour table's pixels at the four inner corners of a frame `inset` pixels thick.
  void SetInnerCorners(CDC* dc, const CRect& client, int inset, int colour);
  // A disc over the whole rectangle: inside in `fill`, its rim blended from `edge`.
  void FillDisc(CDC* dc, const CRect& rect, COLORREF edge, COLORREF fill);
};

}  // namespace TKPaintThemes
