#include "toolkit/ribbon/ribbon_system_menu.h"

#include <algorithm>
#include <string>

#include "platform/appframe/app.h"
#include "platform/appframe/recent_file_list.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKRibbonControlSystemPopupBarButton, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKRibbonControlSystemPopupBarListItem, CTKControlButton)
IMPLEMENT_DYNCREATE(CTKRibbonControlSystemPopupBarListCaption, CTKControl)
IMPLEMENT_DYNCREATE(CTKRibbonControlSystemRecentFileList, CTKRibbonControlSystemPopupBarListCaption)

namespace {

void DrawCaption(CDC* dc, const std::wstring& text, RECT rect, COLORREF colour, UINT format) {
  dc->SetBkMode(TRANSPARENT);
  const COLORREF old = dc->SetTextColor(colour);
  ::DrawTextW(*dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  dc->SetTextColor(old);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Bottom buttons

void CTKRibbonControlSystemPopupBarButton::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  if (CTKRibbonTheme* theme = CTKRibbonTheme::From(pm)) theme->PaintSystemMenuButton(*dc, rect_, GetSelected() != 0);
  // The icon at the left, the caption after it.
  CRect text = rect_;
  text.left += 6;
  const CTKPaintManager::ItemState state = pm->StateOf(this);
  if (CTKImageManagerIcon* icon = GetIcon(16)) {
    pm->PaintItemIcon(dc, CPoint(rect_.left + 4, rect_.top + (rect_.Height() - 16) / 2), CSize(16, 16), icon, state);
    text.left = rect_.left + 24;
  }
  pm->PaintCaptionText(dc, this, GetCaption(), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT, GetEnabled());
}

// ---------------------------------------------------------------------------------------------
// List items

CTKRibbonControlSystemPopupBarListItem::CTKRibbonControlSystemPopupBarListItem() {
  width_ = kWidth;
  height_ = kHeight;
}

void CTKRibbonControlSystemPopupBarListItem::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  pm->PaintItemFace(dc, this);
  RECT text{rect_.left + 7, rect_.top, rect_.right, rect_.bottom};
  DrawCaption(dc, GetCaption(), text, pm->ItemTextColor(this), DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

// ---------------------------------------------------------------------------------------------
// List captions

CTKRibbonControlSystemPopupBarListCaption::CTKRibbonControlSystemPopupBarListCaption() {
  width_ = kWidth;
  height_ = kHeight;
  flags_ = kCaptionFlags;
}

void CTKRibbonControlSystemPopupBarListCaption::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  KestrinWinNS::CSelectObject font(*dc, pm->BoldFont().GetSafeHandle());
  const RECT text{rect_.left + 7, rect_.top + 4, rect_.right, rect_.bottom - 5};
  DrawCaption(dc, GetCaption(), text, pm->ItemTextColor(this), DT_SINGLELINE | DT_NOPREFIX);
  if (CTKRibbonTheme* theme = CTKRibbonTheme::From(pm)) theme->PaintListCaptionEdges(*dc, rect_);
}

// ---------------------------------------------------------------------------------------------
// Recent files

CTKRibbonControlSystemRecentFileList::CTKRibbonControlSystemRecentFileList() { id_ = kFirstCommand; }

void CTKRibbonControlSystemRecentFileList::Copy(const CTKControl* source, bool deep) {
  CTKRibbonControlSystemPopupBarListCaption::Copy(source, deep);
  if (const auto* list = dynamic_cast<const CTKRibbonControlSystemRecentFileList*>(source)) list_ = list->list_;
}

const CRecentFileList* CTKRibbonControlSystemRecentFileList::Source() const { return TKRecentFileSource(list_); }

bool CTKRibbonControlSystemRecentFileList::IsListed(const CTKControl* control, const CRecentFileList& list) const {
  return control->IsKindOf(RUNTIME_CLASS(CTKRibbonControlSystemPopupBarListItem)) && control->GetID() >= id_ &&
         control->GetID() <= id_ + list.GetSize();
}

int CTKRibbonControlSystemRecentFileList::ListedCount() const {
  const CRecentFileList* list = Source();
  int n = 0;
  while (list && controls_ && controls_->GetAt(index_ + 1 + n) && IsListed(controls_->GetAt(index_ + 1 + n), *list))
    ++n;
  return n;
}

void CTKRibbonControlSystemRecentFileList::OnBeforeLayout() {
  const CRecentFileList* list = Source();
  if (!list || !controls_) return;
  AddRef();
  // The files listed last time go first, also when the list has since been emptied.
  while (CTKControl* next = controls_->GetAt(index_ + 1)) {
    if (!IsListed(next, *list)) break;
    controls_->Remove(next);
  }
  if (IsCustomizeMode()) {
    SetHideFlags(0);
  } else {
    int added = 0;
    for (int i = 0; i < list->GetSize(); ++i) {
      std::wstring name;
      if (!TKRecentFileDisplayName(*list, i, &name)) continue;
      if (name.size() > kMaxDisplayName) name.resize(kMaxDisplayName);
      CTKControl* item = controls_->Add(new CTKRibbonControlSystemPopupBarListItem, id_ + i, L"",
                                        index_ + 1 + added, true);
      item->Release();  // the collection holds it
      item->SetCaption(FormatNumberedMenuCaption(name, i + 1));
      item->SetFlags(CTKRibbonControlSystemPopupBarListItem::kListItemFlags);
      item->SetTooltip((*list)[i].GetString());
      item->SetDescription(L"");
      ++added;
    }
  }
  Release();
}
