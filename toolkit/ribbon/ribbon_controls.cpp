#include "toolkit/ribbon/ribbon_controls.h"

#include "platform/appframe/dc.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;

namespace {
// The ribbon a quick-access button works for: its bar, or the ribbon behind the more popup
// that shows a copy of it.
CTKRibbonBar* RibbonOf(CTKCommandBar* bar) {
  if (auto* ribbon = dynamic_cast<CTKRibbonBar*>(bar)) return ribbon;
  if (auto* more = dynamic_cast<CTKRibbonBar::CMorePopupToolBar*>(bar)) return more->Ribbon();
  return nullptr;
}

int ControlHeightOf(CTKCommandBar* bar) {
  CTKRibbonBar* ribbon = RibbonOf(bar);
  return CTKRibbonTheme::MetricsOf(ribbon ? ribbon->RibbonTheme() : nullptr).control_height;
}

// The customise and more buttons that end the quick-access bar: as high as a control, 13/22 of
// that wide, drawn as the paint manager's special buttons.
CSize EndButtonSize(CTKCommandBar* bar) {
  const int height = ControlHeightOf(bar);
  return CSize(height * 13 / 22, height);
}

void DrawEndButton(CTKControlPopup* button, CDC* dc, bool more) {
  CTKPaintManager* pm = button->GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(button);
  state.popped = button->GetPopuped();
  pm->PaintSpecialButton(dc, button->GetRect(), 0, state, more);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// The bar's collection

CTKRibbonControls::CTKRibbonControls(CTKRibbonBar* bar) : CTKControls(bar), ribbon_(bar) {}

bool CTKRibbonControls::IsRibbonFixture(const CTKControl* control) const {
  if (!control) return false;
  if (control == ribbon_->ControlTab() || control == ribbon_->CustomiseButton() || control == ribbon_->MoreButton() ||
      control == ribbon_->LeftButton() || control == ribbon_->RightButton())
    return true;
  for (int t = 0; t < ribbon_->CountTabs(); ++t) {
    const CTKRibbonGroups& groups = ribbon_->TabAt(t)->Groups();
    for (int g = 0; g < groups.Count(); ++g)
      if (groups.At(g)->CollapsedPopup() == control) return true;
  }
  return false;
}

void CTKRibbonControls::OnControlRemoved(CTKControl* control) { TakeOutControl(control); }

void CTKRibbonControls::TakeOutControl(CTKControl* control) {
  // Whatever way a control leaves the bar, nothing of the bar keeps referring to it.
  ribbon_->DetachFromGroup(control);
  ribbon_->ForgetSystemButton(control);
  if (ribbon_->QuickAccessControls()) ribbon_->QuickAccessControls()->Remove(control);
}

// ---------------------------------------------------------------------------------------------
// The quick-access list

CTKRibbonQuickAccessControls::CTKRibbonQuickAccessControls(CTKRibbonBar* bar) : CTKControls(bar), ribbon_(bar) {}

CTKRibbonQuickAccessControls::~CTKRibbonQuickAccessControls() {
  // Emptied here, while the list still answers as a list: the base would detach controls that
  // are not its own.
  ribbon_ = nullptr;
  RemoveAll();
  RemoveAllCommands();
}

bool CTKRibbonQuickAccessControls::Contains(const CTKControl* control) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetAt(i) == control) return true;
  return false;
}

void CTKRibbonQuickAccessControls::AppendQuickAccess(CTKControl* control) {
  if (!control || Contains(control)) return;
  InsertAt(control, -1);
  if (ribbon_) {
    ribbon_->GetControls()->InsertAt(control, ribbon_->QuickAccessInsertIndex(GetCount() - 1));
    ribbon_->RecalcSiteLayout();
  }
}

bool CTKRibbonQuickAccessControls::TakeOutQuickAccess(CTKControl* control) {
  if (!Contains(control)) return false;
  Remove(control);
  if (ribbon_) ribbon_->RecalcSiteLayout();
  return true;
}

void CTKRibbonQuickAccessControls::OnControlRemoved(CTKControl* control) {
  if (ribbon_) ribbon_->GetControls()->Remove(control);
}

CTKControl* CTKRibbonQuickAccessControls::AddCommand(const CTKControl* control) {
  CTKControl* copy = control ? control->Clone(true) : nullptr;
  if (copy) commands_.push_back(copy);
  return copy;
}

void CTKRibbonQuickAccessControls::RemoveAllCommands() {
  std::vector<CTKControl*> commands;
  commands.swap(commands_);
  for (CTKControl* command : commands) command->Release();
}

// ---------------------------------------------------------------------------------------------
// The customise button

CTKRibbonBarControlQuickAccessPopup::CTKRibbonBarControlQuickAccessPopup() {
  SetID(kId);
  SetFlags(kFlags);
}

CSize CTKRibbonBarControlQuickAccessPopup::GetSize(CDC*) { return EndButtonSize(GetParent()); }

void CTKRibbonBarControlQuickAccessPopup::Draw(CDC* dc) { DrawEndButton(this, dc, false); }

bool CTKRibbonBarControlQuickAccessPopup::OnSetPopup(bool open) {
  if (open) {
    CTKRibbonBar* ribbon = RibbonOf(GetParent());
    CTKPopupBar* popup = ribbon ? ribbon->BuildCustomisePopup(this) : nullptr;
    if (!popup) return false;
    SetCommandBar(popup);
    popup->Release();
  }
  return CTKControlPopup::OnSetPopup(open);
}

// ---------------------------------------------------------------------------------------------
// The more button, its popup and the customise menu's command entries

CTKRibbonBar::CControlQuickAccessMorePopup::CControlQuickAccessMorePopup() {
  SetID(kId);
  SetFlags(kFlags);
}

CSize CTKRibbonBar::CControlQuickAccessMorePopup::GetSize(CDC*) { return EndButtonSize(GetParent()); }

void CTKRibbonBar::CControlQuickAccessMorePopup::Draw(CDC* dc) { DrawEndButton(this, dc, true); }

bool CTKRibbonBar::CControlQuickAccessMorePopup::OnSetPopup(bool open) {
  if (open) {
    CTKRibbonBar* ribbon = RibbonOf(GetParent());
    CTKPopupBar* popup = ribbon ? ribbon->BuildMorePopup() : nullptr;
    if (!popup) return false;
    SetCommandBar(popup);
    popup->Release();
  }
  return CTKControlPopup::OnSetPopup(open);
}

CTKRibbonBar::CMorePopupToolBar::CMorePopupToolBar(CTKRibbonBar* ribbon) : ribbon_(ribbon) {
  SetBorders(CRect(kBorder, kBorder, kBorder, kBorder));
  SetPopupWidth(kWidthLimit);
  if (ribbon) SetCommandBarManager(ribbon->GetCommandBarManager());
}

void CTKRibbonBar::CMorePopupToolBar::FillBackground(CDC* dc) {
  auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (!theme) {
    CTKPopupToolBar::FillBackground(dc);
    return;
  }
  theme->PaintMorePopupFrame(dc->GetSafeHdc(), GetClientRect());
}

CTKRibbonBar::CControlQuickAccessCommand::CControlQuickAccessCommand(CTKRibbonBar* ribbon, CTKControl* command)
    : ribbon_(ribbon), command_(command) {
  command_->AddRef();
  SetID(command->GetID());
  SetCaption(command->GetCaption());
  SetIconId(command->GetIconId());
}

CTKRibbonBar::CControlQuickAccessCommand::~CControlQuickAccessCommand() { command_->Release(); }

void CTKRibbonBar::CControlQuickAccessCommand::SetCopyInBar(CTKControl* copy) {
  copy_ = copy;
  SetChecked(copy ? 1 : 0);
  RedrawParent();
}

void CTKRibbonBar::CControlQuickAccessCommand::OnExecute() {
  if (!ribbon_) return;
  if (copy_) {
    ribbon_->RemoveFromQuickAccess(copy_);
    SetCopyInBar(nullptr);
  } else {
    SetCopyInBar(ribbon_->AddToQuickAccess(command_));
  }
}
