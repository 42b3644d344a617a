// Buttons, and popup controls that open a bar of their own (menu titles, sub-menus, button
// popups and split buttons).
#pragma once

#include "toolkit/commandbars/control.h"

class CTKControlButton : public CTKControl {
  DECLARE_DYNCREATE(CTKControlButton)

 public:
  CTKControlButton() { type_ = TKCommandBars::kButton; }
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override;
  void DoPropExchange(CTKPropExchange* px) override;
};

class CTKControlPopup : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlPopup)

 public:
  CTKControlPopup() { type_ = TKCommandBars::kPopupControl; }
  ~CTKControlPopup() override;

  // The bar the control opens (one reference held; the previous one released).
  void SetCommandBar(CTKCommandBar* bar);
  CTKCommandBar* GetCommandBar() const override { return bar_; }
  bool GetPopuped() const override { return open_; }
  bool OnSetPopup(bool open) override;
  void OnExecuteByKeyboard() override;
  void OnMouseHover() override;
  void SetSelected(int selected) override;
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override;
  void OnLButtonDblClk(CPoint point) override;
  void OnMouseMove(CPoint point) override;
  // A control dragged in customize mode over this one: the popup opens so that the drop can go
  // inside it, unless the dragged control is this one or holds it somewhere in its popups (an
  // open popup then closes).
  void OnCustomizeDragOver(CTKControl* dragged) override;
  bool IsEqual(const CTKControl* other) const override;
  void Copy(const CTKControl* source, bool deep) override;
  void SetShowShadow(bool on) { show_shadow_ = on; }
  bool GetShowShadow() const { return show_shadow_; }
  void DoPropExchange(CTKPropExchange* px) override;
  // The "BarID" of the bar a loaded control opens, until the restoring pass finds that bar.
  UINT GetPendingBarId() const { return pending_bar_id_; }
  void SetPendingBarId(UINT id) { pending_bar_id_ = id; }

 private:
  UINT pending_bar_id_ = 0;
  CTKCommandBar* bar_ = nullptr;
  bool open_ = false;
  bool show_shadow_ = true;
};
