#include "toolkit/ribbon/ribbon_group_popup.h"

#include <algorithm>
#include <string>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_tab_popup.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kPopupControl;

IMPLEMENT_DYNCREATE(CTKRibbonGroupControlPopup, CTKControlPopup)

namespace {

// Heights of the ribbon theme, or the ribbon's usual ones under another paint manager.
CTKRibbonTheme::CMetrics MetricsOf(CTKPaintManager* pm) {
  if (auto* theme = dynamic_cast<CTKRibbonTheme*>(pm)) return theme->Metrics();
  CTKRibbonTheme::CMetrics metrics;
  metrics.button_height = 22;
  metrics.control_height = 22;
  metrics.group_caption_height = 17;
  return metrics;
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
  const std::wstring caption = GetCaption();
  SIZE text{};
  if (dc && !caption.empty())
    ::GetTextExtentPoint32W(dc->GetSafeHdc(), caption.c_str(), static_cast<int>(caption.size()), &text);
  if (auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager())) return CSize(theme->CollapsedGroupButtonSize(text.cx));
  const CTKRibbonTheme::CMetrics metrics = MetricsOf(nullptr);
  return CSize(std::max<int>(text.cx + 6, std::max(42, 2 * metrics.button_height - 3)), 3 * metrics.control_height);
}

void CTKRibbonGroupControlPopup::Draw(CDC* dc) {
  if (!dc) return;
  HDC hdc = dc->GetSafeHdc();
  RECT rect = GetRect();
  auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (theme) {
    const int state = (GetPopuped() || GetPressed()) ? 2 : GetSelected() ? 1 : 0;
    const std::wstring colour = CTKRibbonTheme::ContextColourName(ContextColourOf(group_));
    const std::wstring image = colour.empty() ? L"RIBBONGROUPBUTTON" : L"CONTEXTTAB" + colour + L"GROUPBUTTON";
    theme->DrawImage(hdc, image.c_str(), rect, 3, state, RECT{5, 5, 5, 5}, false);
    const COLORREF text = theme->RibbonColour(L"GroupClientText");
    if (text != CLR_INVALID) ::SetTextColor(hdc, text);
  }
  // The caption in the lower part of the button, under the room of its icon.
  RECT caption = rect;
  caption.top = rect.top + (rect.bottom - rect.top) / 2;
  const std::wstring text = GetCaption();
  const int mode = ::SetBkMode(hdc, TRANSPARENT);
  ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &caption,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  ::SetBkMode(hdc, mode);
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
    const CTKRibbonTheme::CMetrics metrics = MetricsOf(GetPaintManager());
    caption_height_ = metrics.group_caption_height;
    groups_height_ = caption_height_ + 3 * metrics.control_height + 10;
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
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKPaintManager* pm = GetPaintManager();
  HGDIOBJ old = pm ? dc.SelectObject(pm->BarFontFor(this, false)->GetSafeHandle()) : nullptr;
  group_->BeginLayout(dc.GetSafeHdc());
  const int width = std::max(group_->CurrentWidth(dc.GetSafeHdc()), 0);
  group_->Position(width, 0, 0);
  group_->EndLayout();
  if (old) dc.SelectObject(old);
  const CRect borders = GetBorders();
  return CSize(width + borders.left + borders.right, height);
}

void CTKRibbonGroupPopupToolBar::FillBackground(CDC* dc) {
  CRect client;
  if (GetSafeHwnd()) ::GetClientRect(GetSafeHwnd(), &client);
  RECT clip{};
  ::GetClipBox(dc->GetSafeHdc(), &clip);
  dc->FillSolidRect(&client, CTKRibbonTabPopupToolBar::kPopupFill);
  CTKRibbonTheme* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (theme) theme->PaintGroupsBand(dc->GetSafeHdc(), client, context_colour_);
  CTKRibbonBar::PaintGroups(dc->GetSafeHdc(), theme, *groups_, nullptr, context_colour_, clip);
}

bool CTKRibbonGroupPopupToolBar::CreateKeyboardTips(int, std::vector<CTKCommandBarKeyboardTip*>* tips) {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (!manager) return false;
  CRect client;
  if (GetSafeHwnd()) ::GetClientRect(GetSafeHwnd(), &client);
  CTKRibbonBar::AppendTipWindows(manager, CTKRibbonBar::GroupKeyTips(*groups_, client, caption_height_), tips);
  return true;
}
