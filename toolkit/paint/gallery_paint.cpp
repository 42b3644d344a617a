// The gallery's background, label rows, scroll bar and in-bar scroll buttons.
#include <algorithm>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

namespace {
// A one-pixel frame drawn as four fills (no brush to make).
void Frame(CDC* dc, const CRect& rc, COLORREF colour) {
  if (rc.IsRectEmpty()) return;
  dc->FillSolidRect(rc.left, rc.top, rc.Width(), 1, colour);
  dc->FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, colour);
  dc->FillSolidRect(rc.left, rc.top, 1, rc.Height(), colour);
  dc->FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), colour);
}

// A filled triangle 9 pixels wide pointing up or down, centred on (x, y).
void Triangle(CDC* dc, int x, int y, bool up, COLORREF colour) {
  for (int k = 0; k < 5; ++k) {
    const int row = up ? y - 2 + k : y + 2 - k;
    dc->FillSolidRect(x - k, row, 2 * k + 1, 1, colour);
  }
}
}  // namespace

void CTKControlGalleryPaintManager::PaintGalleryBack(CDC* dc, CTKControlGallery* gallery, const CRect& rect) {
  dc->FillSolidRect(&rect, owner_->ResolveColor(41));
  if (gallery->IsShowBorders()) Frame(dc, rect, owner_->ResolveColor(52));
  if (gallery->HasSeparatorLine()) owner_->RowLine(dc, rect.left, rect.right, rect.bottom - 2, 39);
}

void CTKControlGalleryPaintManager::PaintGroupLabel(CDC* dc, CTKControlGallery* gallery, const CRect& rect,
                                                    const std::wstring& caption) {
  dc->FillSolidRect(&rect, owner_->ResolveColor(56));
  owner_->RowLine(dc, rect.left, rect.right, rect.bottom - 1, 52);
  CTKCommandBar* bar = gallery->GetParent();
  HGDIOBJ old = dc->SelectObject(owner_->BarFontFor(bar, true)->GetSafeHandle());
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(owner_->ResolveColor(44));
  CRect text(rect.left + 10, rect.top, rect.right - 10, rect.bottom);
  ::DrawTextW(*dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  dc->SelectObject(old);
}


void CTKControlGalleryPaintManager::PaintPopupScroller(CDC* dc, CTKControlGallery* gallery) {
  const TKScrollBarGeometry& g = gallery->Geometry();
  if (g.bar.IsRectEmpty()) return;
  const bool enabled = gallery->GetEnabled() && !g.thumb_fixed;
  const int pressed = gallery->TrackedPartPressed() ? gallery->TrackedPart() : 0;
  const int hot = gallery->GetHotPart();
  const CRect up(g.bar.left, g.bar.top, g.bar.right, g.up_end);
  const CRect down(g.bar.left, g.down_start, g.bar.right, g.bar.bottom);
  const CRect page_up(g.bar.left, g.up_end, g.bar.right, g.thumb_top);
  const CRect page_down(g.bar.left, g.thumb_bottom, g.bar.right, g.down_start);
  const CRect thumb(g.bar.left, g.thumb_top, g.bar.right, g.thumb_bottom);
  // The track.
  dc->FillSolidRect(&g.bar, owner_->ResolveColor(enabled ? 41 : 15));
  CRect track_pressed = pressed == CTKScrollBase::kPartPageUp ? page_up
                        : pressed == CTKScrollBase::kPartPageDown ? page_down : CRect();
  if (!track_pressed.IsRectEmpty()) dc->FillSolidRect(&track_pressed, owner_->ResolveColor(16));
  // Arrow buttons and thumb: flat faces by state, the glyphs as small triangles. A framed
  // button is filled in the frame's colour and its inside in the face's: two fills, not five.
  auto button = [&](const CRect& rc, int part) {
    int face = 15;
    if (enabled && pressed == part)
      face = 33;
    else if (enabled && hot == part)
      face = 31;
    if (!enabled || rc.IsRectEmpty()) {
      dc->FillSolidRect(&rc, owner_->ResolveColor(face));
      return;
    }
    dc->FillSolidRect(&rc, owner_->ResolveColor(16));
    CRect inside = rc;
    inside.DeflateRect(1, 1);
    if (!inside.IsRectEmpty()) dc->FillSolidRect(&inside, owner_->ResolveColor(face));
  };
  button(up, CTKScrollBase::kPartUpArrow);
  button(down, CTKScrollBase::kPartDownArrow);
  const COLORREF glyph = owner_->ResolveColor(enabled ? 18 : 17);
  Triangle(dc, up.left + up.Width() / 2, up.top + up.Height() / 2, true, glyph);
  Triangle(dc, down.left + down.Width() / 2, down.top + down.Height() / 2, false, glyph);
  if (enabled && !thumb.IsRectEmpty()) button(thumb, CTKScrollBase::kPartThumb);
}

void CTKControlGalleryPaintManager::PaintInlineScroller(CDC* dc, CTKControlGallery* gallery) {
  const CRect column = gallery->GetScrollBarRect();
  if (column.IsRectEmpty()) return;
  dc->FillSolidRect(&column, owner_->ResolveColor(30));
  const CRect up(column.left, column.top, column.right, column.top + up_height_);
  const CRect down(column.left, up.bottom, column.right, up.bottom + down_height_);
  const CRect more(column.left, down.bottom, column.right, column.bottom);
  const int limit = std::max(0, gallery->GetContentHeight() - gallery->GetItemsRect().Height());
  const bool enabled = gallery->GetEnabled();
  const int hot = gallery->GetHotPart();
  struct Button {
    CRect rect;
    int part;
    bool able;
  } buttons[] = {{up, CTKScrollBase::kPartUpArrow, enabled && gallery->GetScrollPos() > 0},
                 {down, CTKScrollBase::kPartDownArrow, enabled && gallery->GetScrollPos() < limit},
                 {more, CTKScrollBase::kPartEnd, enabled}};
  for (const Button& b : buttons) {
    CTKPaintManager::ItemState state;
    state.enabled = b.able;
    state.selected = b.able && hot == b.part;
    if (state.selected) owner_->PaintStateRect(dc, b.rect, state);
    const COLORREF glyph = owner_->ResolveColor(b.able ? 18 : 17);
    const int x = b.rect.left + b.rect.Width() / 2, y = b.rect.top + b.rect.Height() / 2;
    if (b.part == CTKScrollBase::kPartEnd) {
      dc->FillSolidRect(x - 4, y - 4, 9, 2, glyph);
      Triangle(dc, x, y + 1, false, glyph);
    } else {
      Triangle(dc, x, y, b.part == CTKScrollBase::kPartUpArrow, glyph);
    }
  }
}
