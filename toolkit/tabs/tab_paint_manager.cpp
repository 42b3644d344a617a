#include "toolkit/tabs/tab_paint_manager.h"

#include <algorithm>
#include <numeric>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/tabs/tab_appearance_sets.h"
#include "toolkit/tabs/tab_colour_sets.h"
#include "toolkit/tabs/tab_pixels.h"

using KestrinWinNS::CScopedFont;

void TKDraw3dRect(HDC dc, const RECT& r, COLORREF light, COLORREF dark) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (static_cast<int>(light) != -1) {
    CTKDrawHelpers::FillSolidRect(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, light);
    CTKDrawHelpers::FillSolidRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, light);
  }
  if (static_cast<int>(dark) != -1) {
    CTKDrawHelpers::FillSolidRect(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, dark);
    CTKDrawHelpers::FillSolidRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, dark);
  }
}

void TKDrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
  if (static_cast<int>(colour) == -1) return;
  KestrinWinNS::CScopedPen pen(CreatePen(PS_SOLID, 1, colour));
  KestrinWinNS::CSelectObject select(dc, pen.Get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

CTKTabPaintManager::CTKTabPaintManager() {
  LOGFONTW lf{};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
  ApplyLogFont(&lf, true);
  ChooseShapeSet(kPropertyPage);
}

CTKTabPaintManager::~CTKTabPaintManager() = default;

void CTKTabPaintManager::DeflateRotated(RECT& r, const RECT& m, int position) {
  switch (position) {
    case kLeft:
      r.left += m.top;
      r.top += m.left;
      r.right -= m.bottom;
      r.bottom -= m.right;
      break;
    case kBottom:
      r.left += m.left;
      r.bottom -= m.top;
      r.right -= m.right;
      r.top += m.bottom;
      break;
    case kRight:
      r.right -= m.top;
      r.top += m.left;
      r.left += m.bottom;
      r.bottom -= m.right;
      break;
    default:
      r.left += m.left;
      r.top += m.top;
      r.right -= m.right;
      r.bottom -= m.bottom;
      break;
  }
}

bool CTKTabPaintManager::ThemeColoursOff() const {
  return disable_theme_colours || GetColorManagerInstance().IsLunaColorsDisabled();
}

void CTKTabPaintManager::AddAtom(CTKTabManagerAtom* atom) {
  if (std::find(atoms_.begin(), atoms_.end(), atom) == atoms_.end()) atoms_.push_back(atom);
}

void CTKTabPaintManager::RemoveAtom(CTKTabManagerAtom* atom) {
  atoms_.erase(std::remove(atoms_.begin(), atoms_.end(), atom), atoms_.end());
}

void CTKTabPaintManager::NotifyStrips() {
  const std::vector<CTKTabManagerAtom*> atoms = atoms_;
  for (CTKTabManagerAtom* atom : atoms) atom->RefreshFromPainter();
}

void CTKTabPaintManager::ChooseShapeSet(int number) {
  CAppearanceSet* set = nullptr;
  switch (number) {
    case kPropertyPageSelected: set = new CAppearanceSetPropertyPageSelected; break;
    case kPropertyPageFlat: set = new CAppearanceSetPropertyPageFlat; break;
    case kPropertyPage2003: set = new CAppearanceSetPropertyPage2003; break;
    case kStateButtons: set = new CAppearanceSetStateButtons; break;
    case kVisualStudio: set = new CAppearanceSetVisualStudio; break;
    case kFlat: set = new CAppearanceSetFlat; break;
    case kExcel: set = new CAppearanceSetExcel; break;
    case kVisio: set = new CAppearanceSetVisio; break;
    case kVisualStudio2005: set = new CAppearanceSetVisualStudio2005; break;
    default: set = new CAppearanceSetPropertyPage; break;
  }
  InstallShapeSet(set);
}

void CTKTabPaintManager::InstallShapeSet(CAppearanceSet* set) {
  shape_.reset(set);
  shape_number_ = set->number;
  set->painter = this;
  set->ReloadLook();
  ChooseColourSet(set->PreferredColourSet());
  NotifyStrips();
}

void CTKTabPaintManager::ChooseColourSet(int number) {
  CColorSet* set = nullptr;
  switch (number) {
    case kColourVisualStudio: set = new CColorSetVisualStudio; break;
    case kColourOffice2003: set = new CColorSetOffice2003; break;
    case kColourWinXP: set = new CColorSetWinXP; break;
    case kColourWhidbey: set = new CColorSetWhidbey; break;
    case kColourOffice2007: set = new CColorSetOffice2007; break;
    default: set = new CColorSetDefault; break;
  }
  InstallColourSet(set);
}

void CTKTabPaintManager::InstallColourSet(CColorSet* set) {
  colours_.reset(set);
  colour_number_ = set->number;
  set->painter = this;
  set->ReloadLook();
  NotifyStrips();
}

void CTKTabPaintManager::ChooseLayout(int value) {
  layout = value;
  NotifyStrips();
}

void CTKTabPaintManager::ChoosePosition(int value) {
  position = value;
  NotifyStrips();
}

void CTKTabPaintManager::ReloadLook() {
  if (use_system_font) {
    LOGFONTW lf{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
    ApplyLogFont(&lf, true);
  }
  if (colours_) colours_->ReloadLook();
  if (shape_) shape_->ReloadLook();
}

void CTKTabPaintManager::ApplyLogFont(const LOGFONTW* font, bool use_system) {
  use_system_font = use_system;
  if (!font) return;
  widths_.clear();
  LOGFONTW lf = *font;
  if (cleartype) {
    BOOL smoothing = FALSE;
    SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
    if (smoothing) lf.lfQuality = CLEARTYPE_QUALITY;
  }
  lf.lfWeight = bold_normal ? FW_BOLD : FW_NORMAL;
  font_normal_ = CScopedFont(CreateFontIndirectW(&lf));
  lf.lfWeight = FW_BOLD;
  font_bold_ = CScopedFont(CreateFontIndirectW(&lf));
  const std::wstring face = CTKDrawHelpers::ChooseDefaultFaceName(false);
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  lf.lfEscapement = 2700;
  lf.lfOrientation = 900;
  if (lf.lfHeight <= -1 && lf.lfHeight >= -10) lf.lfHeight = -11;
  lf.lfWeight = bold_normal ? FW_BOLD : FW_NORMAL;
  font_vertical_ = CScopedFont(CreateFontIndirectW(&lf));
  lf.lfWeight = FW_BOLD;
  font_vertical_bold_ = CScopedFont(CreateFontIndirectW(&lf));
}

HFONT CTKTabPaintManager::CaptionFont(const CTKTabManager* manager, const CTKTabManagerItem* item) const {
  const bool bold = bold_selected && manager && item == manager->Selected() && manager->IsActive();
  if (CaptionsVertical()) return bold ? VerticalBoldFont() : VerticalFont();
  return bold ? BoldFont() : NormalFont();
}

size_t CTKTabPaintManager::CWidthKeyHash::operator()(const CWidthKey& key) const {
  return std::hash<std::wstring>()(key.text) ^ (std::hash<const void*>()(key.font) << 1);
}

int CTKTabPaintManager::MeasureCaption(HDC dc, HFONT font, const std::wstring& caption) const {
  std::wstring text = caption;
  if (strip_mnemonics && !no_prefix) CTKDrawHelpers::StripAmpersands(text);
  // Widths are remembered only for plain device units: a mapping mode or a world transform
  // of the caller's DC would change them.
  const bool rememberable = dc && font && GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE;
  CWidthKey key{font, std::move(text)};
  if (rememberable) {
    const CMeasureDevice device{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                                GetTextCharacterExtra(dc)};
    if (!(device == widths_device_)) {
      widths_.clear();
      widths_device_ = device;
    }
    const auto found = widths_.find(key);
    if (found != widths_.end()) return found->second;
  }
  KestrinWinNS::CSelectObject select(dc, font);
  // The horizontal extent of the text: turned fonts measure along their own baseline.
  SIZE size{};
  if (!GetTextExtentPoint32W(dc, key.text.c_str(), static_cast<int>(key.text.size()), &size)) return 0;
  if (rememberable) {
    if (widths_.size() >= kMaxRememberedWidths) widths_.clear();
    widths_.emplace(std::move(key), static_cast<int>(size.cx));
  }
  return size.cx;
}

void CTKTabPaintManager::PaintIcon(HDC dc, POINT at, CTKTabManagerItem* item, SIZE icon) {
  CTKTabManager* manager = item->Manager();
  if (!rotate_icons || !IsVertical() || icon.cx != icon.cy || icon.cx <= 0) {
    manager->PaintItemIcon(dc, at, item, true, icon);
    return;
  }
  // The host draws the icon upright into the background turned on its side; turned back, the
  // icon lies along the strip.
  const int side = icon.cx;
  void* under_bits = nullptr;
  void* turned_bits = nullptr;
  KestrinWinNS::CScopedBitmap under = KestrinWinNS::CreateDib32(side, side, &under_bits);
  KestrinWinNS::CScopedBitmap turned = KestrinWinNS::CreateDib32(side, side, &turned_bits);
  if (!under || !turned) {
    manager->PaintItemIcon(dc, at, item, true, icon);
    return;
  }
  auto* under_pixels = static_cast<uint32_t*>(under_bits);
  auto* turned_pixels = static_cast<uint32_t*>(turned_bits);
  {
    KestrinWinNS::CBitmapDC copy(dc, under.Get());
    BitBlt(copy.Get(), 0, 0, side, side, dc, at.x, at.y, SRCCOPY);
  }
  GdiFlush();
  TKTabPixels::TurnPixels(under_pixels, side, side, turned_pixels, TKTabPixels::Turn::kTranspose);
  {
    KestrinWinNS::CBitmapDC draw(dc, turned.Get());
    SIZE size = icon;
    manager->PaintItemIcon(draw.Get(), POINT{0, 0}, item, true, size);
  }
  GdiFlush();
  TKTabPixels::TurnPixels(turned_pixels, side, side, under_pixels, TKTabPixels::Turn::kTranspose);
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(under.Get()), 0, at.x, at.y, side, side, DST_BITMAP);
}

int CTKTabPaintManager::PaintOrMeasureTab(HDC dc, CTKTabManagerItem* item, const RECT& rect, bool draw) {
  CTKTabManager* manager = item->Manager();
  const bool vertical_captions = CaptionsVertical();
  const HFONT font = CaptionFont(manager, item);
  SIZE icon = icon_size;
  const bool has_icon = show_icons && manager && manager->PaintItemIcon(dc, POINT{}, item, false, icon);
  const int icon_extent = vertical_captions ? icon.cy : icon.cx;
  const bool selected = manager && item == manager->Selected();

  if (!draw) {
    int length = 0;
    if (layout == kFixedWidth) {
      length = fixed_width;
    } else if (layout == kCompressed && !selected) {
      length = icon_extent + 8;
    } else if (layout == kCompressed) {
      int widest = 0;
      for (int i = 0; i < manager->ItemCount(); ++i)
        widest = std::max(widest, MeasureCaption(dc, font, manager->ItemCaptionOf(manager->ItemAtIndex(i))));
      length = widest + caption_indent.left + caption_indent.right + (has_icon ? icon_extent : 0);
    } else {
      length = MeasureCaption(dc, font, manager ? manager->ItemCaptionOf(item) : item->Caption()) +
               caption_indent.left + caption_indent.right + (has_icon ? icon_extent : 0);
    }
    length += button_margin.left + button_margin.right;
    if (min_width > 0 && length < min_width) length = min_width;
    if (max_width > 0 && length > max_width) length = max_width;
    return length;
  }

  if (colours_) colours_->ApplyTabTextColour(dc, item);
  RECT r = rect;
  const bool vertical_rect = IsVertical() != (layout == kRotated);
  if (item->Length() > item->DesiredLength()) {
    const int half = (item->Length() - item->DesiredLength()) / 2;
    if (vertical_rect) {
      r.top += half;
      r.bottom -= half;
    } else {
      r.left += half;
      r.right -= half;
    }
  }
  const bool show_caption = layout != kCompressed || selected;
  std::wstring caption = manager ? manager->ItemCaptionOf(item) : item->Caption();
  KestrinWinNS::CSelectObject select_font(dc, font);
  if (!vertical_captions) {
    r.left += caption_indent.left + button_margin.left;
    if (position == kBottom) {
      r.top += button_margin.bottom;
      r.bottom -= button_margin.top;
    } else {
      r.top += button_margin.top;
      r.bottom -= button_margin.bottom;
    }
    if (has_icon && icon.cx < r.right - r.left) {
      PaintIcon(dc, POINT{r.left - 1, (r.top + r.bottom) / 2 - icon.cy / 2}, item, icon);
      r.left += icon.cx + 2;
    }
    if (show_caption && r.left < r.right) {
      r.right -= caption_indent.right + button_margin.right;
      if (has_icon) r.right += 2;
      UINT flags = DT_SINGLELINE | text_align;
      if (no_prefix || strip_mnemonics) flags |= DT_NOPREFIX;
      if (strip_mnemonics) CTKDrawHelpers::StripAmpersands(caption);
      if (middle_ellipsis) {
        DrawMiddleEllipsis(dc, caption, r, flags);
      } else {
        if (end_ellipsis) flags |= DT_END_ELLIPSIS;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, flags);
      }
    }
  } else {
    r.top += caption_indent.left + button_margin.left;
    if (position == kRight) {
      r.left += button_margin.bottom;
      r.right -= button_margin.top;
    } else {
      r.left += button_margin.top;
      r.right -= button_margin.bottom;
    }
    if (has_icon && icon.cy < r.bottom - r.top) {
      PaintIcon(dc, POINT{(r.left + r.right) / 2 - icon.cx / 2, r.top - 1}, item, icon);
      r.top += icon.cy + 2;
    }
    if (show_caption && r.top + 8 < r.bottom) {
      r.bottom -= std::max(0, static_cast<int>(caption_indent.right) - 4) + button_margin.right;
      if (!no_prefix) CTKDrawHelpers::StripAmpersands(caption);
      // A turned font runs down the strip: its reference point is the top of the text's own
      // frame, which lies on the right once turned.
      const int room = r.bottom - r.top;
      SIZE size{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
      if (size.cx > room && (end_ellipsis || middle_ellipsis)) {
        std::wstring cut = caption;
        while (!cut.empty()) {
          cut.pop_back();
          const std::wstring shown = cut + L"...";
          GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
          if (size.cx <= room) break;
        }
        caption = cut + L"...";
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
      }
      const int x = (r.left + r.right) / 2 + size.cy / 2;
      ExtTextOutW(dc, x, r.top, ETO_CLIPPED, &r, caption.c_str(), static_cast<UINT>(caption.size()), nullptr);
    }
  }
  if (selected && manager->FocusMarkWanted()) PaintFocusMark(dc, item, rect);
  return item->Length();
}

void CTKTabPaintManager::DrawMiddleEllipsis(HDC dc, const std::wstring& caption, RECT rect, UINT flags) {
  if (caption.find(L'\\') != std::wstring::npos) {
    std::wstring copy = caption;
    DrawTextW(dc, copy.data(), static_cast<int>(copy.size()), &rect, flags | DT_PATH_ELLIPSIS);
    return;
  }
  const int room = rect.right - rect.left;
  auto width = [dc](const std::wstring& s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  const int full = width(caption);
  if (full <= room) {
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, flags);
    return;
  }
  const int dots = width(L"...");
  if (dots > room || full == 0) {
    DrawTextW(dc, L"...", 3, &rect, flags);
    return;
  }
  const int chars = static_cast<int>(caption.size());
  auto cut = [&caption, chars](int h) {
    h = std::clamp(h, 0, chars);
    return caption.substr(0, static_cast<size_t>(h - h / 2)) + L"..." +
           caption.substr(static_cast<size_t>(chars - h / 2));
  };
  int h = (room - dots) * chars / full;
  while (h < chars && width(cut(h + 1)) < room) ++h;
  while (h > 0 && width(cut(h)) > room) --h;
  const std::wstring shown = cut(h);
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &rect, flags);
}

void CTKTabPaintManager::PaintFocusMark(HDC dc, CTKTabManagerItem*, const RECT& rect) {
  if (!draw_focus_rect) return;
  RECT r = rect;
  InflateRect(&r, -3, -3);
  const COLORREF old_bk = SetBkColor(dc, 0);
  const COLORREF old_text = SetTextColor(dc, 0xFFFFFF);
  DrawFocusRect(dc, &r);
  SetBkColor(dc, old_bk);
  SetTextColor(dc, old_text);
}

// --- Layout ---

void CTKTabPaintManager::ShrinkToPage(CTKTabManager* manager, RECT& rect) {
  if (static_frame) DeflateRotated(rect, RECT{2, 1, 2, 2}, position);
  if (manager->ItemCount() > 0 && shape_) shape_->ShrinkToPage(manager, rect);
}

void CTKTabPaintManager::LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect) {
  manager->SetControlRect(rect);
  manager->SetPageRect(rect);
  manager->SetHeaderRect(RECT{});
  manager->Rows().Reset(manager->ItemCount());
  for (int i = 0; i < manager->ItemCount(); ++i) manager->ItemAtIndex(i)->SetRow(0);
  if (shape_) shape_->LayoutStrip(manager, dc, rect);
  ShrinkToPage(manager, manager->PageRectRef());
}

RECT CTKTabPaintManager::HeaderWithButtons(CTKTabManager* manager, const RECT& header) const {
  RECT h = header;
  if (IsVertical())
    h.bottom -= 1;
  else
    h.right -= 1;
  // The buttons judge whether they can scroll against the whole header, whichever pass of the
  // layout asks.
  manager->SetHeaderRect(header);
  const auto& buttons = manager->NavigateButtons();
  for (CTKTabManagerNavigateButton* button : buttons) button->Relayout();
  for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) (*it)->PlaceInHeader(h);
  return h;
}

void CTKTabPaintManager::ShrinkLengths(std::vector<int>& lengths, int room) {
  const int count = static_cast<int>(lengths.size());
  if (count == 0) return;
  long long total = std::accumulate(lengths.begin(), lengths.end(), 0LL);
  if (total <= room) return;
  if (count == 1) {
    lengths[0] = room;
    return;
  }
  std::vector<int> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return lengths[a] > lengths[b]; });
  long long excess = total - room;
  int group = 1;
  for (;;) {
    while (group < count && lengths[order[group]] == lengths[order[0]]) ++group;
    if (group == count) {
      for (int& l : lengths) l = room / count;
      return;
    }
    const int next = lengths[order[group]];
    const long long cut = static_cast<long long>(lengths[order[0]] - next) * group;
    if (cut > excess) break;
    for (int i = 0; i < group; ++i) lengths[order[i]] = next;
    excess -= cut;
    if (excess == 0) return;
  }
  const int each = static_cast<int>(excess / group);
  for (int i = 0; i < group; ++i) lengths[order[i]] -= each;
}

namespace {

// The rectangle of an item at `along` (strip coordinate) with `length`, `thick` across, starting
// across the strip at `across`.
RECT StripRect(bool vertical, int along, int length, int across, int thick) {
  return vertical ? RECT{across, along, across + thick, along + length} : RECT{along, across, along + length, across + thick};
}

}  // namespace

void CTKTabPaintManager::LayoutSingleRow(CTKTabManager* manager, HDC dc, const RECT& rect) {
  RECT rc = rect;
  if (static_frame) DeflateRotated(rc, RECT{2, 1, 2, 2}, position);
  DeflateRotated(rc, control_margin, position);
  const int count = manager->ItemCount();
  for (int i = 0; i < count; ++i) {
    CTKTabManagerItem* item = manager->ItemAtIndex(i);
    int length = item->IsVisible() ? shape_->TabLength(dc, item) : 0;
    item->SetDesiredLength(length);
    if (item->IsVisible()) length += extra_spacing;
    item->SetLength(length);
  }
  RECT header = shape_->HeaderArea(rc, manager);
  manager->SetHeaderRect(header);
  if (count == 0) {
    manager->SetHeaderRect(HeaderWithButtons(manager, header));
    return;
  }
  const bool vertical = IsVertical();
  const RECT margin = shape_->HeaderIndent();
  const int h = shape_->ButtonHeight();
  int across = 0;
  if (!vertical)
    across = position == kBottom ? rc.bottom - margin.top - h : rc.top + margin.top;
  else
    across = position == kRight ? rc.right - margin.top - h : rc.left + margin.top;

  if (layout == kSizeToFit) {
    int room = (vertical ? rc.bottom - rc.top : rc.right - rc.left) - margin.left - margin.right;
    for (CTKTabManagerNavigateButton* button : manager->NavigateButtons()) button->ReserveLength(room);
    std::vector<int> lengths(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) lengths[static_cast<size_t>(i)] = manager->ItemAtIndex(i)->Length();
    ShrinkLengths(lengths, std::max(room, 0));
    for (int i = 0; i < count; ++i) manager->ItemAtIndex(i)->SetLength(lengths[static_cast<size_t>(i)]);
  }

  RECT strip = HeaderWithButtons(manager, header);
  manager->SetHeaderRect(strip);
  if (manager->ScrollOffset() < 0) {
    const int room = manager->ExtentAlongStrip(strip) - margin.left - margin.right;
    const int total = manager->TotalItemsLength();
    if (total + manager->ScrollOffset() < room) {
      manager->SetScrollOffsetDirect(room - total < 1 ? room - total : 0);
      strip = HeaderWithButtons(manager, header);
      manager->SetHeaderRect(strip);
    }
  }
  int along = (vertical ? strip.top : strip.left) + manager->ScrollOffset() + margin.left;
  if (layout == kRotated) {
    for (int i = 0; i < count; ++i) {
      CTKTabManagerItem* item = manager->ItemAtIndex(i);
      const int length = item->Length();
      int start = 0;
      if (position == kTop) start = header.bottom - margin.bottom - length;
      else if (position == kLeft) start = header.right - margin.bottom - length;
      else if (position == kBottom) start = header.top + margin.bottom;
      else start = header.left + margin.bottom;
      const int span = item->IsVisible() ? h : 0;
      item->SetRect(StripRect(vertical, along, span, start, length));
      along += span;
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    CTKTabManagerItem* item = manager->ItemAtIndex(i);
    const int span = item->IsVisible() ? item->Length() : 0;
    item->SetRect(StripRect(vertical, along, span, across, h));
    along += span;
  }
}

void CTKTabPaintManager::LayoutMultiRow(CTKTabManager* manager, HDC dc, const RECT& rect) {
  RECT rc = rect;
  if (static_frame) DeflateRotated(rc, RECT{2, 1, 2, 2}, position);
  DeflateRotated(rc, control_margin, position);
  const int count = manager->ItemCount();
  const bool vertical = IsVertical();
  const RECT margin = shape_->HeaderIndent();
  const int h = shape_->ButtonHeight();
  manager->SetScrollOffsetDirect(0);
  RECT strip = HeaderWithButtons(manager, shape_->HeaderArea(rc, manager));
  manager->SetHeaderRect(strip);
  const int row_length = manager->ExtentAlongStrip(strip) - margin.left - margin.right;

  std::vector<int> lengths(static_cast<size_t>(count));
  long long total = 0;
  for (int i = 0; i < count; ++i) {
    CTKTabManagerItem* item = manager->ItemAtIndex(i);
    int length = item->IsVisible() ? shape_->TabLength(dc, item) : 0;
    item->SetDesiredLength(length);
    if (item->IsVisible()) length += extra_spacing;
    item->SetLength(length);
    lengths[static_cast<size_t>(i)] = length;
    total += length;
  }
  // Rows as they fill, then balanced over the same number of rows.
  int row_count = count > 0 ? 1 : 0;
  for (int i = 0, used = 0; i < count; ++i) {
    if (used > 0 && used + lengths[static_cast<size_t>(i)] > row_length) {
      ++row_count;
      used = 0;
    }
    used += lengths[static_cast<size_t>(i)];
  }
  std::vector<std::pair<int, int>> rows;
  if (row_count <= 1) {
    rows.push_back({0, count - 1});
  } else {
    long long remaining = total;
    int index = 0;
    for (int r = 0; index < count; ++r) {
      const int rows_left = std::max(1, row_count - r);
      long long aim = justify_rows ? std::min<long long>(remaining / rows_left, row_length) : row_length;
      const int first = index;
      long long used = 0;
      while (index < count) {
        const int length = lengths[static_cast<size_t>(index)];
        if (used > 0 && used + length > aim) {
          const long long rest = remaining - used;
          if (rows_left > 1 && rest <= static_cast<long long>(rows_left - 1) * row_length) break;
          if (used + length > row_length) break;
        }
        used += length;
        ++index;
      }
      rows.push_back({first, index - 1});
      remaining -= used;
    }
  }
  // The selected item's row goes next to the page.
  const int selected = manager->SelectedIndex();
  if (!keep_selected_row && selected >= 0 && rows.size() > 1) {
    for (size_t r = 0; r < rows.size(); ++r) {
      if (selected >= rows[r].first && selected <= rows[r].second) {
        std::swap(rows[0], rows[r]);
        break;
      }
    }
  }
  manager->Rows().rows = rows;
  const int n = static_cast<int>(rows.size());
  const int spacing = shape_->row_spacing;
  for (int r = 0; r < n; ++r) {
    int across = 0;
    switch (position) {
      case kTop: across = rc.top + margin.top + (n - 1 - r) * (h + spacing); break;
      case kBottom: across = rc.bottom - (n - 1) * spacing - h * n - margin.top + r * (h + spacing); break;
      case kLeft: across = rc.left + margin.top + (n - 1 - r) * (h + spacing); break;
      default: across = rc.right - (n - 1) * spacing - h * n - margin.top + r * (h + spacing); break;
    }
    int along = (vertical ? strip.top : strip.left) + margin.left;
    int used = 0;
    for (int i = rows[static_cast<size_t>(r)].first; i <= rows[static_cast<size_t>(r)].second; ++i)
      used += lengths[static_cast<size_t>(i)];
    int free_length = justify_rows && n > 1 ? std::max(0, row_length - used) : 0;
    for (int i = rows[static_cast<size_t>(r)].first; i <= rows[static_cast<size_t>(r)].second; ++i) {
      CTKTabManagerItem* item = manager->ItemAtIndex(i);
      item->SetRow(r);
      int length = item->IsVisible() ? item->Length() : 0;
      if (free_length > 0 && item->IsVisible()) {
        const int left = rows[static_cast<size_t>(r)].second - i + 1;
        const int share = free_length / left;
        length += share;
        free_length -= share;
        item->SetLength(length);
      }
      item->SetRect(StripRect(vertical, along, length, across, h));
      along += length;
    }
  }
  manager->SetHeaderRect(HeaderWithButtons(manager, shape_->HeaderArea(rc, manager)));
}

void CTKTabPaintManager::BringIntoView(CTKTabManager* manager, CTKTabManagerItem* item) {
  const RECT& header = manager->HeaderRect();
  const RECT& r = item->Rect();
  if (IsRectEmpty(&header) || IsRectEmpty(&r)) return;
  const RECT margin = shape_ ? shape_->HeaderIndent() : RECT{};
  int delta = 0;
  if (!IsVertical()) {
    if (r.left < header.left)
      delta = header.left - r.left + margin.left;
    else if (r.right > header.right)
      delta = header.right - r.right;
  } else {
    if (r.top < header.top)
      delta = header.top - r.top + margin.left;
    else if (r.bottom > header.bottom)
      delta = header.bottom - r.bottom;
  }
  if (delta) manager->ScrollTo(manager->ScrollOffset() + delta);
}

// --- Drawing ---

void CTKTabPaintManager::PaintStrip(CTKTabManager* manager, HDC dc, const RECT& rect) {
  RECT rc = rect;
  CColorSet* colours = colours_.get();
  if (static_frame) {
    TKDraw3dRect(dc, rc, colours->tab_highlight.Color(), colours->frame_border.Color());
    InflateRect(&rc, -1, -1);
    TKDraw3dRect(dc, rc, colours->header_face.light.Color(), colours->header_face.dark.Color());
    DeflateRotated(rc, RECT{1, 0, 1, 1}, position);
  }
  if (fill_background) CTKDrawHelpers::FillSolidRect(dc, rc, colours->control_face.Color());
  DeflateRotated(rc, control_margin, position);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  if (fill_background) shape_->PaintBackdrop(manager, dc, rc);

  RECT area = rect;
  RECT clip_box{};
  if (GetClipBox(dc, &clip_box) != NULLREGION && GetClipBox(dc, &clip_box) != ERROR) IntersectRect(&area, &area, &clip_box);

  const int saved = SaveDC(dc);
  if (clip_header && !IsRectEmpty(&manager->HeaderRect())) {
    const RECT& header = manager->HeaderRect();
    IntersectClipRect(dc, header.left, header.top, header.right, header.bottom);
    colours->PaintHeaderExtra(dc, header, manager);
  }
  CTKTabManagerItem* selected = manager->Selected();
  auto paint = [&](CTKTabManagerItem* item) {
    if (!item->IsVisible()) return;
    RECT meet{};
    RECT r = shape_->TabRedrawArea(item);
    if (!IntersectRect(&meet, &r, &area)) return;
    shape_->PaintTab(dc, item);
  };
  const int rows = manager->Rows().Count();
  for (int row = rows - 1; row >= 0; --row) {
    int first = 0, last = manager->ItemCount() - 1;
    if (rows > 1) {
      first = manager->Rows().rows[static_cast<size_t>(row)].first;
      last = manager->Rows().rows[static_cast<size_t>(row)].second;
    }
    const int selected_index = selected ? selected->Index() : -1;
    const bool in_row = selected && selected_index >= first && selected_index <= last;
    if (shape_->left_to_right && in_row) {
      for (int i = first; i < selected_index; ++i) paint(manager->ItemAtIndex(i));
      for (int i = last; i > selected_index; --i) paint(manager->ItemAtIndex(i));
    } else {
      for (int i = last; i >= first; --i) {
        CTKTabManagerItem* item = manager->ItemAtIndex(i);
        if (item != selected) paint(item);
      }
    }
    if (in_row) paint(selected);
  }
  RestoreDC(dc, saved);
  const auto& buttons = manager->NavigateButtons();
  for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) (*it)->Paint(dc);
  SetBkMode(dc, old_mode);
}
