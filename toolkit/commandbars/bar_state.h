// A user's bar layout saved and restored through the property exchange: the bars in order, each
// by its class name and keys, and every popup bar reachable through their controls once. A load
// makes fresh bars by their stored class names and hands them over only when all of it was
// read; a damaged state leaves the caller's bars as they were.
#pragma once

#include <windows.h>

#include <vector>

class CTKCommandBar;
class CTKCommandBarManager;
class CTKPropExchange;
struct CRuntimeClass;

// Enters the command bars' classes into the module's class list, so that saved state can name
// them (a program that restores bars calls it once).
void TKRegisterCommandBarClasses();
// The classes it enters: every bar and control class saved state may name.
const std::vector<const CRuntimeClass*>& TKCommandBarClasses();

class CTKBarLayoutState {
 public:
  // Largest counts a saved layout may carry; more is taken as damage.
  static constexpr DWORD kMaxBars = 4096;
  static constexpr DWORD kMaxControls = 65536;

  // The manager loaded bars take as theirs (null keeps a bar's own).
  static CTKCommandBarManager* CurrentManager();

  // Saves the bars and the popup bars their controls open. Throws the exchange's exceptions.
  static void Save(CTKPropExchange* px, const std::vector<CTKCommandBar*>& bars, CTKCommandBarManager* manager);
  // Loads a saved layout. On success `bars` holds the new bars (one reference each, owned by the
  // caller) and the bars it held before are released; on failure it is not touched.
  static bool Load(CTKPropExchange* px, CTKCommandBarManager* manager, std::vector<CTKCommandBar*>* bars);

  // How a layout is kept in the registry: the layout's archive as one value ("BarLayout"; one
  // registry call, whatever the number of controls), or a tree of keys with a named value per
  // key of every bar and control (readable, but two registry calls and more per control).
  enum class RegistryForm { kOneValue, kTree };
  static bool SaveToRegistry(HKEY root, const wchar_t* path, const std::vector<CTKCommandBar*>& bars,
                             CTKCommandBarManager* manager, RegistryForm form = RegistryForm::kOneValue);
  // Reads either form.
  static bool LoadFromRegistry(HKEY root, const wchar_t* path, CTKCommandBarManager* manager,
                               std::vector<CTKCommandBar*>* bars);
  static bool SaveToFile(const wchar_t* path, const std::vector<CTKCommandBar*>& bars, CTKCommandBarManager* manager);
  static bool LoadFromFile(const wchar_t* path, CTKCommandBarManager* manager, std::vector<CTKCommandBar*>* bars);

  // The collecting pass: every popup bar reachable through the bars' controls (and their
  // baseline collections), once, in the order found. A listed bar that is not a tool bar and
  // whose id is 0 or above 0xFFFFFF is numbered from `*next_id` on.
  static std::vector<CTKCommandBar*> CollectPopupBars(const std::vector<CTKCommandBar*>& bars, UINT* next_id);
  // The restoring pass: each popup control in the bars gets the bar whose id is its pending id.
  static void ResolvePopupBars(const std::vector<CTKCommandBar*>& bars, const std::vector<CTKCommandBar*>& popups);
};
