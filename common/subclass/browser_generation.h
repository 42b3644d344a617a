// The generation of the browser the add-on runs in, by Internet Explorer's major version. It
// chooses the verifier, the popup, the frame subclassing and the refresh detection.
#pragma once

namespace SubclassUtilsNS {

// The numbers are the ones the add-on's factories have always been given.
enum class BrowserGeneration : int {
  kUnknown = 0,
  kIE5 = 1,
  kIE6 = 2,
  kIE7 = 3,
  kIE8 = 4,
};

// Versions 5 and 6: one browser per frame window, the padlock in the status bar.
inline bool IsSingleBrowserFrame(BrowserGeneration generation) {
  return generation == BrowserGeneration::kIE5 || generation == BrowserGeneration::kIE6;
}

// Versions 7 and 8: a browser per tab, the padlock in the shared address toolbar.
inline bool IsTabbedFrame(BrowserGeneration generation) {
  return generation == BrowserGeneration::kIE7 || generation == BrowserGeneration::kIE8;
}

}  // namespace SubclassUtilsNS
