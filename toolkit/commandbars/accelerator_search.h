// The search for a control by its accelerator letter, shared by a bar's own keys and by the
// manager's letters from the frame. A key answers to a control's letter when the key types that
// letter (in either case) in any of the installed keyboard layouts, so a bar captioned in one
// language still answers while the keyboard is switched to another.
#pragma once

#include <windows.h>

#include <vector>

class CTKControl;

// The installed keyboard layouts, in the shape of GetKeyboardLayoutList (with a count of 0 the
// answer is how many there are), and the character a key types without modifiers in one layout,
// in the shape of MapVirtualKeyEx with MAPVK_VK_TO_CHAR (0 for none; a dead key's character has
// its top bit set). Per process, so that a test can install layouts of its own; null puts the
// system's own back.
using CTKKeyboardLayoutListFn = int (*)(int count, HKL* layouts);
using CTKKeyCharacterFn = UINT (*)(UINT key, HKL layout);
void TKSetKeyboardLayoutFunctions(CTKKeyboardLayoutListFn list, CTKKeyCharacterFn character);

// The characters `key` types across the installed layouts (the thread's current layout when the
// list is empty), upper-cased, each once.
std::vector<wchar_t> TKKeyCharacters(UINT key);

// One search for `key`: the caller offers the candidate controls in its search order, then reads
// the result. A control whose caption has "&" before its last character answers with the letter
// after the first "&"; such matches win over first letters, and a second one makes the result
// ambiguous. Failing any, the first control whose caption (without a usable "&") begins with the
// letter is found, ambiguous when another does too. Hidden, disabled and keyboard-skipped
// controls never answer.
class CTKAcceleratorSearch {
 public:
  explicit CTKAcceleratorSearch(UINT key);

  // `first_letter`: the first character of this control's caption may count.
  void Offer(CTKControl* control, bool first_letter);
  CTKControl* GetFound() const { return ampersand_ ? ampersand_ : first_; }
  bool IsAmbiguous() const { return ampersand_ ? ampersand_twice_ : first_twice_; }

 private:
  bool KeyTypes(wchar_t letter) const;

  std::vector<wchar_t> characters_;
  CTKControl* ampersand_ = nullptr;
  CTKControl* first_ = nullptr;
  bool ampersand_twice_ = false;
  bool first_twice_ = false;
};
