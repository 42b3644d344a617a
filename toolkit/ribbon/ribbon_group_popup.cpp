#include "toolkit/ribbon/ribbon_group_popup.h"

#include <algorithm>
#include <string>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_measure_dc.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_tab_popup.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kPopupControl;

IMPLEMENT_DYNCREATE(CTKRibbonGroupControlPopup, CTKControlPopup)

namespace {

// A copy of a group's button in the quick-access bar, or in the more popup that shows the
// bar's overflow.
bool InQuickAccess(const CTKControl* button, CTKCommandBar* bar) {
  if (auto* ribbon = dynamic_cast<CTKRibbonBar*>(bar)) return ribbon->QuickAccessControls()->Contains(button);
  return dynamic_cast<CTKRibbonBar::CMorePopupToolBar*>(bar) != nullptr;
}

int ContextColourOf(const CTKRibbonGroup* group) {
  const CTKRibbonTab* tab = group ? group->Tab() : nullptr;
  return tab ? tab->ContextColour() : 0;
}

}  // namespace

CTKRibbonGroupControlPopup::CTKRibbonGroupControlPopup() : CTKRibbonGroupControlPopup(nullptr) {}

CTKRibbonGroupControlPopup::CTKRibbonGroupControlPopup(CTKRibbonGroup* group) {
  type_ = kPopupControl;
  SetFlags(kFlags);
  SetStyle(kStyle);
  SetGroup(group);
}

void CTKRibbonGroupControlPopup::SetGroup(CTKRibbonGroup* group) {
  group_ = group;
  if (!group) return;
  SetID(group->Id());
  SetCaption(group->Caption());
}

bool CTKRibbonGroupControlPopup::OnSetPopup(bool open) {
  if (open && parent_ && bound_by_id_) {
    auto* ribbon = dynamic_cast<CTKRibbonBar*>(parent_->GetRootParent());
    group_ = ribbon && GetID() > 0 ? ribbon->GroupById(GetID()) : nullptr;
  }
  if (open && parent_) {
    CTKPopupToolBar* popup = group_ ? new CTKRibbonGroupPopupToolBar(parent_, *group_) : new CTKPopupToolBar;
    if (!group_) {
      popup->SetCommandBarManager(parent_->GetCommandBarManager());
      popup->SetPaintManager(parent_->GetPaintManager());
    }
    // A ribbon without redraw fades gives its popups none either.
    popup->GetAnimation().EnableAnimation(parent_->GetAnimation().IsAnimationEnabled());
    SetCommandBar(popup);
    popup->Release();
  }
  return CTKControlPopup::OnSetPopup(open);
}

CSize CTKRibbonGroupControlPopup::GetSize(CDC* dc) {
  // In the quick-access bar the button is a small square one, as high as a control.
  if (InQuickAccess(this, parent_)) {
    const int side = CTKRibbonTheme::MetricsOf(GetPaintManager()).control_height;
    return CSize(side, side);
  }
  const std::wstring caption = GetCaption();
  SIZE text{};
  if (dc && !caption.empty())
    ::GetTextExtentPoint32W(dc->GetSafeHdc(), caption.c_str(), static_cast<int>(caption.size()), &text);
  if (auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager())) return CSize(theme->CollapsedGroupButtonSize(text.cx));
  // Under another paint manager the collapsed group keeps the ribbon's usual size.
  const CTKRibbonTheme::CMetrics metrics = CTKRibbonTheme::MetricsOf(nullptr);
  return CSize(std::max<int>(text.cx + 6, std::max(42, 2 * metrics.button_height - 3)), 3 * metrics.control_height);
}

void CTKRibbonGroupControlPopup::Draw(CDC* dc) {
  if (!dc) return;
  auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (!theme) {
    CTKControlPopup::Draw(dc);
    return;
  }
  const int state = (GetPopuped() || GetPressed()) ? 2 : GetSelected() ? 1 : 0;
  if (InQuickAccess(this, parent_)) {
    // The quick-access face with the group's small icon centred on it.
    theme->PaintCollapsedGroupInQuickAccess(dc->GetSafeHdc(), GetRect(), state);
    if (CTKImageManagerIcon* icon = GetIcon(16)) {
      const CRect rect = GetRect();
      const CSize size(icon->Width(), icon->Height());
      CTKPaintManager::ItemState icon_state;
      icon_state.enabled = GetEnabled();
      theme->PaintItemIcon(dc, CPoint((rect.left + rect.right - size.cx) / 2, (rect.top + rect.bottom - size.cy) / 2),
                           size, icon, icon_state);
    }
    return;
  }
  CTKRibbonTheme::CCollapsedGroup face;
  face.rect = GetRect();
  face.context_colour = ContextColourOf(group_);
  face.selected = GetSelected() != 0;
  face.pressed = GetPopuped() || GetPressed();
  face.enabled = GetEnabled();
  face.caption = GetCaption();
  // The group's large icon, else its small one.
  for (int width : {32, 16}) {
    if (CTKImageManagerIcon* icon = GetIcon(width)) {
      face.icon = icon;
      face.icon_size = SIZE{icon->Width(), icon->Height()};
      break;
    }
  }
  theme->PaintCollapsedGroup(dc->GetSafeHdc(), face);
}

void CTKRibbonGroupControlPopup::Copy(const CTKControl* source, bool deep) {
  CTKControlPopup::Copy(source, deep);
  group_ = nullptr;
  bound_by_id_ = true;
}

CTKRibbonGroupPopupToolBar::CTKRibbonGroupPopupToolBar(CTKCommandBar* ribbon, const CTKRibbonGroup& source)
    : ribbon_(ribbon), groups_(new CTKRibbonGroups(nullptr)) {
  if (ribbon_) {
    SetCommandBarManager(ribbon_->GetCommandBarManager());
    SetPaintManager(ribbon_->GetPaintManager());
    SetImageManager(ribbon_->GetImageManager());
    GetAnimation().EnableAnimation(ribbon_->GetAnimation().IsAnimationEnabled());
  }
  if (const CTKRibbonGroupsHost* host = source.Host()) {
    groups_height_ = host->GroupsHeight();
    caption_height_ = host->GroupCaptionHeight();
  } else {
    const CTKRibbonTheme::CMetrics metrics = CTKRibbonTheme::MetricsOf(GetPaintManager());
    caption_height_ = metrics.group_caption_height;
    groups_height_ = CTKRibbonBarHeights::GroupsBand(caption_height_, metrics.control_height);
  }
  SetBorders(CRect(2, 2, 3, caption_height_ + 1));
  context_colour_ = ContextColourOf(&source);
  group_ = source.NewOfSameKind();
  if (group_) {
    group_->SetShownElsewhere(true);
    groups_->PutGroupAt(0, group_, this, this);
    group_->CopyFrom(source);
  }
}

CTKRibbonGroupPopupToolBar::~CTKRibbonGroupPopupToolBar() {
  // The copy takes its controls out of this bar before the bar's controls go.
  groups_->DropAllGroups();
  groups_->InternalRelease();
}

CSize CTKRibbonGroupPopupToolBar::CalcSize(int, DWORD) {
  const int height = std::max(groups_height_ - 7, 0);
  if (!group_) return CSize(5, height);
  CTKRibbonMeasureDC dc(this);
  group_->BeginLayout(dc.hdc());
  const int width = std::max(group_->CurrentWidth(dc.hdc()), 0);
  group_->Position(width, 0, 0);
  group_->EndLayout();
  const CRect borders = GetBorders();
  return CSize(width + borders.left + borders.right, height);
}

CRect CTKRibbonGroupPopupToolBar::ClientArea() const {
  CRect client;
  if (GetSafeHwnd()) ::GetClientRect(GetSafeHwnd(), &client);
  return client;
}

void CTKRibbonGroupPopupToolBar::FillBackground(CDC* dc) {
  CTKRibbonGroupsPopup::FillBackground(this, dc, ClientArea(), *groups_, context_colour_);
}

bool CTKRibbonGroupPopupToolBar::CreateKeyboardTips(int, std::vector<CTKCommandBarKeyboardTip*>* tips) {
  return CTKRibbonGroupsPopup::CreateKeyboardTips(this, *groups_, ClientArea(), caption_height_, tips);
}
