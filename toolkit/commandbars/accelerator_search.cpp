#include "toolkit/commandbars/accelerator_search.h"

#include <algorithm>
#include <string>

#include "toolkit/commandbars/control.h"

namespace {
CTKKeyboardLayoutListFn g_layout_list = nullptr;
CTKKeyCharacterFn g_key_character = nullptr;

int SystemLayoutList(int count, HKL* layouts) { return ::GetKeyboardLayoutList(count, layouts); }
UINT SystemKeyCharacter(UINT key, HKL layout) { return ::MapVirtualKeyExW(key, MAPVK_VK_TO_CHAR, layout); }

// Upper case by the system's tables, which know every script (the C library's, in its default
// locale, only the Latin letters).
wchar_t Upper(wchar_t c) {
  return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}
}  // namespace

void TKSetKeyboardLayoutFunctions(CTKKeyboardLayoutListFn list, CTKKeyCharacterFn character) {
  g_layout_list = list;
  g_key_character = character;
}

std::vector<wchar_t> TKKeyCharacters(UINT key) {
  const CTKKeyboardLayoutListFn list = g_layout_list ? g_layout_list : &SystemLayoutList;
  const CTKKeyCharacterFn character = g_key_character ? g_key_character : &SystemKeyCharacter;
  // The list may change between asking its size and reading it: what the second call wrote counts.
  const int count = list(0, nullptr);
  std::vector<HKL> layouts(static_cast<size_t>(std::max(count, 0)));
  const int read = layouts.empty() ? 0 : list(static_cast<int>(layouts.size()), layouts.data());
  layouts.resize(static_cast<size_t>(std::clamp(read, 0, static_cast<int>(layouts.size()))));
  if (layouts.empty()) layouts.push_back(::GetKeyboardLayout(0));
  std::vector<wchar_t> characters;
  for (HKL layout : layouts) {
    const wchar_t c = static_cast<wchar_t>(character(key, layout) & 0xFFFF);
    if (c == 0) continue;
    const wchar_t upper = Upper(c);
    if (std::find(characters.begin(), characters.end(), upper) == characters.end()) characters.push_back(upper);
  }
  return characters;
}

CTKAcceleratorSearch::CTKAcceleratorSearch(UINT key) : characters_(TKKeyCharacters(key)) {}

bool CTKAcceleratorSearch::KeyTypes(wchar_t letter) const {
  return std::find(characters_.begin(), characters_.end(), Upper(letter)) != characters_.end();
}

void CTKAcceleratorSearch::Offer(CTKControl* control, bool first_letter) {
  if (!control || !control->IsVisible() || !control->GetEnabled() ||
      (control->GetFlags() & TKCommandBars::kFlagSkipKeyboard))
    return;
  const std::wstring caption = control->GetCaption();
  if (caption.empty()) return;
  const size_t amp = caption.find(L'&');
  if (amp != std::wstring::npos && amp + 1 < caption.size()) {
    if (KeyTypes(caption[amp + 1])) {
      if (!ampersand_) ampersand_ = control; else ampersand_twice_ = true;
    }
    return;
  }
  if (first_letter && KeyTypes(caption[0])) {
    if (!first_) first_ = control; else first_twice_ = true;
  }
}
