// The caption buttons and the window title in the ribbon's caption band.
#include "toolkit/ribbon/ribbon_caption_buttons.h"

#include <string>

#include "toolkit/commandbars/controls.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_caption_layout.h"
#include "toolkit/ribbon/ribbon_frame_companion.h"
#include "toolkit/ribbon/ribbon_measure_dc.h"
#include "toolkit/ribbon/ribbon_theme.h"

namespace {

const int kCaptionCommands[] = {SC_CLOSE, SC_RESTORE, SC_MAXIMIZE, SC_MINIMIZE};

std::wstring WindowText(HWND window) {
  const int length = window ? ::GetWindowTextLengthW(window) : 0;
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], length + 1)));
  return text;
}

// The width of `text` in `font`.
int TextWidth(HFONT font, const std::wstring& text) {
  if (text.empty()) return 0;
  CTKRibbonMeasureDC dc(font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc.hdc(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

std::wstring TKSystemMenuText(HWND frame, int command) {
  HMENU menu = frame ? ::GetSystemMenu(frame, FALSE) : nullptr;
  wchar_t text[256] = L"";
  if (!menu || ::GetMenuStringW(menu, static_cast<UINT>(command), text, 256, MF_BYCOMMAND) <= 0) return std::wstring();
  std::wstring result(text);
  const size_t tab = result.find(L'\t');
  if (tab != std::wstring::npos) result.resize(tab);
  return result;
}

bool TKSystemCommandEnabled(HWND frame, UINT command) {
  HMENU menu = frame ? ::GetSystemMenu(frame, FALSE) : nullptr;
  if (!menu) return true;
  const UINT state = ::GetMenuState(menu, command, MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) || !(state & (MF_DISABLED | MF_GRAYED));
}

HICON TKFrameIcon(HWND frame, bool large) {
  if (!frame) return nullptr;
  if (!large) {
    const LONG style = ::GetWindowLongW(frame, GWL_STYLE), ex_style = ::GetWindowLongW(frame, GWL_EXSTYLE);
    if (!(style & WS_SYSMENU) || (ex_style & WS_EX_TOOLWINDOW)) return nullptr;
  }
  DWORD_PTR icon = 0;
  if (::SendMessageTimeoutW(frame, WM_GETICON, large ? ICON_BIG : ICON_SMALL, 0, SMTO_ABORTIFHUNG, 100, &icon) && icon)
    return reinterpret_cast<HICON>(icon);
  return reinterpret_cast<HICON>(::GetClassLongPtrW(frame, large ? GCLP_HICON : GCLP_HICONSM));
}

// ---------------------------------------------------------------------------------------------
// The button

CTKRibbonBar::CControlCaptionButton::CControlCaptionButton(CTKRibbonFrameCompanion* companion, int command)
    : companion_(companion) {
  id_ = command;
  flags_ = kControlFlags;
}

void CTKRibbonBar::CControlCaptionButton::OnExecute() {
  HWND frame = companion_ ? companion_->Frame() : parent_ ? parent_->GetSite() : nullptr;
  if (frame) ::PostMessageW(frame, WM_SYSCOMMAND, static_cast<WPARAM>(id_), 0);
}

void CTKRibbonBar::CControlCaptionButton::Draw(CDC* dc) {
  auto* ribbon = dynamic_cast<CTKRibbonBar*>(parent_);
  CTKRibbonTheme* theme = ribbon ? ribbon->RibbonTheme() : nullptr;
  if (!theme) {
    CTKControlButton::Draw(dc);
    return;
  }
  const bool enabled = GetEnabled();
  const bool active = enabled && (!companion_ || companion_->IsFrameActive());
  theme->PaintFrameCaptionButton(*dc, rect_, id_, GetSelected() != 0, GetPressed() != 0, active);
}

// ---------------------------------------------------------------------------------------------
// Placement and drawing

void CTKRibbonBar::PlaceCaptionButtonsAndTitle() {
  HWND frame = FrameWindow();
  if (!frame || !frame_link_) return;
  CTKRibbonCaptionLayout::CInputs in;
  in.caption = caption_rect_;
  in.free = caption_free_rect_;
  in.frame_border = FrameBorder();
  in.style = static_cast<DWORD>(::GetWindowLongW(frame, GWL_STYLE));
  in.ex_style = static_cast<DWORD>(::GetWindowLongW(frame, GWL_EXSTYLE));
  in.close_enabled = TKSystemCommandEnabled(frame, SC_CLOSE);
  in.composition = frame_link_->IsDesktopComposition();
  in.quick_access_above = quick_access_visible_ && !quick_access_below_;
  in.quick_access_right = quick_access_rect_.right;
  in.customize_width =
      customise_button_ && customise_button_->IsVisible() ? customise_button_->GetRect().Width() : 0;
  CTKRibbonTheme* theme = RibbonTheme();
  in.title_width = TextWidth(theme ? static_cast<HFONT>(theme->FrameCaptionFont().GetSafeHandle()) : nullptr,
                             WindowText(frame));
  const CTKRibbonCaptionLayout layout = CTKRibbonCaptionLayout::Place(in);

  for (int command : kCaptionCommands) {
    CControlCaptionButton* button = nullptr;
    for (int i = 0; i < controls_->GetCount() && !button; ++i)
      if (controls_->GetAt(i)->GetID() == command) button = dynamic_cast<CControlCaptionButton*>(controls_->GetAt(i));
    const CTKRibbonCaptionLayout::CButton* place = layout.Find(command);
    if (!place) {
      if (button) controls_->Remove(button);
      continue;
    }
    if (!button) {
      button = new CControlCaptionButton(frame_companion_, command);
      button->SetTemporary(true);
      button->SetTooltip(TKSystemMenuText(frame, command));
      controls_->InsertAt(button, -1);
      button->Release();  // the collection holds it
    }
    button->SetRect(place->rect);
    button->SetRowRect(caption_rect_);
    if (button->GetEnabled() != place->enabled) button->SetEnabled(place->enabled);
  }
  caption_free_rect_ = layout.free;
  title_rect_ = layout.title;
}

void CTKRibbonBar::PaintCaptionBand(CDC* dc) {
  CTKRibbonTheme* theme = RibbonTheme();
  if (!theme || !IsCaptionMode() || ::IsRectEmpty(&caption_rect_)) return;
  HWND frame = FrameWindow();
  CTKRibbonTheme::CCaptionInfo info;
  info.caption = caption_rect_;
  info.title = title_rect_;
  info.companion = HasFrameCompanion();
  if (info.companion && frame) {
    info.text = WindowText(frame);
    info.composition = frame_link_->IsDesktopComposition();
    info.active = !frame_companion_ || frame_companion_->IsFrameActive();
    info.maximized = (::GetWindowLongW(frame, GWL_STYLE) & WS_MAXIMIZE) != 0;
    info.frame_border = FrameBorder();
    if (!system_button_) info.small_icon = TKFrameIcon(frame, false);
  }
  theme->PaintCaption(*dc, info);
}
