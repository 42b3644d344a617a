#include "toolkit/commandbars/control_button.h"

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlButton, CTKControl)
IMPLEMENT_DYNCREATE(CTKControlPopup, CTKControlButton)

namespace {
bool IsPopupOwner(CTKCommandBar* bar) { return bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup); }

// Whether `control` is `outer` or lies somewhere in the popups `outer` opens (a few levels
// deep: popups may share their bars in circles).
bool IsWithin(const CTKControl* control, const CTKControl* outer, int depth = 0) {
  if (control == outer) return true;
  const CTKCommandBar* bar = outer ? outer->GetCommandBar() : nullptr;
  if (!bar || depth >= 16) return false;
  for (int i = 0; i < bar->GetControlCount(); ++i)
    if (IsWithin(control, bar->GetControl(i), depth + 1)) return true;
  return false;
}
}  // namespace

void CTKControlButton::OnClick(bool keyboard, CPoint pt) {
  if (!GetEnabled()) return;
  if (IsCustomizeMode()) {
    if (parent_) {
      parent_->SetPopupOpen(-1, false);
      parent_->SetHotControl(-1, CTKCommandBar::kHotProgram);
      if (!keyboard) parent_->StartCustomizeDrag(this, pt);
    }
    return;
  }
  if (keyboard) {
    OnExecute();
    return;
  }
  if (!IsPopupOwner(parent_)) ClickToolBarButton(pt);
}

void CTKControlButton::OnLButtonUp(CPoint point) {
  if (IsPopupOwner(parent_) && GetEnabled()) OnExecute();
}

CTKControlPopup::~CTKControlPopup() { SetCommandBar(nullptr); }

void CTKControlPopup::SetCommandBar(CTKCommandBar* bar) {
  if (bar == bar_) return;
  if (bar) bar->AddRef();
  if (bar_) bar_->Release();
  bar_ = bar;
}

bool CTKControlPopup::OnSetPopup(bool open) {
  if (!bar_ || !parent_ || !parent_->GetSafeHwnd()) return false;
  if (!open) {
    open_ = false;
    bar_->SetTrackingMode(0, true, false);
    RedrawParent();
    return true;
  }
  open_ = true;
  RedrawParent();
  parent_->UpdateWindow();
  if (bar_->IsTrackingMode()) return true;
  CTKSoundThread::Instance().Request(CTKSoundThread::kPopup);
  if (!bar_->Popup(this, pressed_ == 2 || pressed_ == 3 || selected_ >= 2)) {
    open_ = false;
    RedrawParent();
    return false;
  }
  return true;
}

void CTKControlPopup::OnExecuteByKeyboard() {
  if (bar_ && parent_)
    parent_->SetPopupOpen(index_, true);
  else
    OnExecute();
}

void CTKControlPopup::OnMouseHover() {
  if (bar_ && GetEnabled() && parent_ && (parent_->GetTrackingMode() == 2 || IsPopupOwner(parent_))) {
    parent_->SetPopupOpen(index_, false);
    return;
  }
  CTKControl::OnMouseHover();
}

void CTKControlPopup::SetSelected(int selected) {
  CTKControl::SetSelected(selected);
  if (!bar_ || !parent_) return;
  if (type_ == kPopupControl || IsPopupOwner(parent_)) {
    if (selected && GetEnabled() && parent_->GetTrackingMode() == 2 && !IsPopupOwner(parent_) &&
        parent_->GetExpandedIndex() != index_) {
      // Moving along a menu bar with a menu open opens the next one.
      parent_->SetPopupOpen(index_, selected >= 2);
    } else if (!selected && open_ && !IsPopupOwner(parent_)) {
      OnSetPopup(false);
    }
  } else if ((GetStyle() == 3 || GetStyle() == 4) && (selected == 2 || selected == 3) &&
             parent_->GetTrackingMode() == 2 && parent_->GetExpandedIndex() != index_) {
    parent_->SetPopupOpen(index_, true);
  }
}

void CTKControlPopup::OnCustomizeDragOver(CTKControl* dragged) {
  if (!parent_ || !bar_) return;
  if (IsWithin(this, dragged)) {
    if (bar_->IsBarVisible()) {
      parent_->SetPopupOpen(-1, false);
      parent_->SetHotControl(-1, CTKCommandBar::kHotProgram);
    }
    return;
  }
  if (!open_) parent_->SetPopupOpen(index_, false);
}

void CTKControlPopup::OnClick(bool keyboard, CPoint pt) {
  if (!GetEnabled() || !parent_) return;
  if (IsCustomizeMode()) {
    // The popup opens (a second press on it open closes it) and the control can be dragged.
    if (open_ && !IsPopupOwner(parent_))
      parent_->SetTrackingMode(0, false, false);
    else if (bar_)
      parent_->SetPopupOpen(index_, keyboard);
    if (!keyboard && parent_) parent_->StartCustomizeDrag(this, pt);
    return;
  }
  if (open_ && !IsPopupOwner(parent_)) {
    // A second click on an open popup closes it and ends tracking.
    parent_->SetTrackingMode(0, false, false);
    return;
  }
  if (type_ == kSplitButtonPopup) {
    if (keyboard) {
      if (GetStyle() != 3) {
        OnExecute();
        return;
      }
    } else {
      CRect command = GetPaintManager()->SplitArrowFreeRect(this);
      if (command.PtInRect(pt)) {
        if (IsPopupOwner(parent_)) {
          ::KillTimer(parent_->GetSafeHwnd(), kHoverTimer);
          return;
        }
        if (GetStyle() != 3) ClickToolBarButton(pt);
        return;
      }
    }
  }
  parent_->SetPopupOpen(index_, keyboard);
}

void CTKControlPopup::OnLButtonUp(CPoint point) {
  if (!bar_) {
    CTKControlButton::OnLButtonUp(point);
    return;
  }
  if (type_ == kSplitButtonPopup && IsPopupOwner(parent_) && GetStyle() != 3 &&
      point.x + GetPaintManager()->PopupArrowWidth() < rect_.right && GetEnabled())
    OnExecute();
}

void CTKControlPopup::OnLButtonDblClk(CPoint point) {
  if ((type_ == kPopupControl || type_ == kButtonPopup) && bar_) {
    if (!open_) {
      OnClick(false, point);
      return;
    }
    int first = bar_->GetControls()->GetNext(-1, 1);
    if (CTKControl* item = bar_->GetControl(first)) {
      item->OnExecute();
      return;
    }
  }
  CTKControl::OnLButtonDblClk(point);
}

void CTKControlPopup::OnMouseMove(CPoint point) {
  if (type_ != kSplitButtonPopup || !parent_ || IsPopupOwner(parent_) || !(pressed_ == 3 || pressed_ == 4)) return;
  int state = GetPaintManager()->SplitArrowFreeRect(this).PtInRect(point) ? 3 : 4;
  if (state != pressed_) {
    pressed_ = state;
    RedrawParent();
  }
}

bool CTKControlPopup::IsEqual(const CTKControl* other) const {
  if (!CTKControl::IsEqual(other)) return false;
  const CTKControlPopup* popup = static_cast<const CTKControlPopup*>(other);
  if (!bar_ || !popup->bar_) return bar_ == popup->bar_;
  return bar_->GetControls()->Compare(popup->bar_->GetControls());
}

void CTKControlPopup::Copy(const CTKControl* source, bool deep) {
  CTKControlButton::Copy(source, deep);
  if (!source->IsKindOf(RUNTIME_CLASS(CTKControlPopup))) return;
  const CTKControlPopup* popup = static_cast<const CTKControlPopup*>(source);
  if (!popup->bar_) {
    SetCommandBar(nullptr);
    return;
  }
  if (deep) {
    CTKCommandBar* copy = static_cast<CTKCommandBar*>(popup->bar_->GetRuntimeClass()->CreateObject());
    copy->Copy(popup->bar_, true);
    SetCommandBar(copy);
    copy->Release();
  } else {
    SetCommandBar(popup->bar_);
  }
}
