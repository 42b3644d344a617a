// The toolkit's colour table (system colours and colours derived from them), the visual
// style in use, the face gradients, and colour arithmetic.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/appframe/archive.h"

// A themable colour: the custom value wins over the standard one; -1 means unset.
class CTKPaintManagerColor {
 public:
  CTKPaintManagerColor() = default;
  virtual ~CTKPaintManagerColor() = default;

  COLORREF Color() const { return static_cast<COLORREF>(custom_ != -1 ? custom_ : standard_); }
  operator COLORREF() const { return Color(); }
  int StandardValue() const { return standard_; }
  int CustomValue() const { return custom_; }
  void SetStandardValue(COLORREF c) { standard_ = static_cast<int>(c); }
  void SetCustomValue(COLORREF c) { custom_ = static_cast<int>(c); }
  bool IsDefaultValue() const { return custom_ == -1; }
  // Two 32-bit ints: standard, then custom.
  virtual void Serialize(CArchive& ar);

 private:
  int standard_ = -1;
  int custom_ = -1;
};

// Two themable colours and where between them the middle lies.
class CTKPaintManagerColorGradient {
 public:
  CTKPaintManagerColorGradient() = default;
  virtual ~CTKPaintManagerColorGradient() = default;

  void SetStandardColors(COLORREF light, COLORREF dark, float factor = 0.5f);
  void SetStandardColor(COLORREF c) { SetStandardColors(c, c, 0.5f); }
  void SetStandardFrom(const CTKPaintManagerColorGradient& other);
  // Light colour, dark colour, then the factor as a 4-byte float.
  virtual void Serialize(CArchive& ar);

  CTKPaintManagerColor light;
  CTKPaintManagerColor dark;
  float factor = 0.5f;
};

class CTKColorManager {
 public:
  static constexpr int kColorCount = 63;
  static constexpr int kGradientCount = 7;

  enum SystemTheme { kThemeNone = 0, kThemeBlue = 1, kThemeOlive = 2, kThemeSilver = 3 };
  using SysColorFn = COLORREF (*)(int index);

  CTKColorManager();
  virtual ~CTKColorManager() = default;
  CTKColorManager(const CTKColorManager&) = delete;
  CTKColorManager& operator=(const CTKColorManager&) = delete;

  // An index 0..62 gives the table's colour (the custom one when set); any other value is a
  // literal colour and comes back unchanged.
  COLORREF ColorByIndex(int index) const;
  COLORREF StandardColor(int index) const { return standard_[index]; }
  void SetCustomColor(int index, COLORREF c) { custom_[index] = static_cast<int>(c); }

  void RecomputeColors();
  void RefreshGradients();
  int DetectSystemTheme();

  bool IsLunaColorsDisabled() const { return luna_colors_disabled_; }
  void SetLunaColorsDisabled(bool disabled) { luna_colors_disabled_ = disabled; }
  void SetAcceptRoyale(bool accept) { accept_royale_ = accept; }
  int GetDetectedSystemTheme() const { return detected_theme_; }
  int GetSystemThemeInUse() const;
  int ThemeSetting() const { return theme_setting_; }
  void SetThemeSetting(int setting) { theme_setting_ = setting; }
  const CTKPaintManagerColorGradient& Gradient(int i) const { return gradients_[i]; }
  const CTKPaintManagerColorGradient& FixedGradient(int i) const { return fixed_gradients_[i]; }

  // Seams: where the system colours come from (GetSysColor when NULL), and the display depth
  // (the desktop's when unset).
  void SetSysColorCallback(SysColorFn fn) { sys_color_ = fn; }
  void OverrideLowColorDisplay(std::optional<bool> low) { low_color_override_ = low; }

  bool IsLowColorDisplay(HDC dc = nullptr) const;

  // Weights below 100 are per cent, from 100 upward per mille.
  static COLORREF MixColors(COLORREF a, COLORREF b, int weight);
  static double ScaledRed(COLORREF c) { return GetRValue(c) * 195.0 / 255.0; }
  static double ScaledGreen(COLORREF c) { return GetGValue(c) * 390.0 / 255.0; }
  static double ScaledBlue(COLORREF c) { return GetBValue(c) * 65.0 / 255.0; }
  static double ColorDistanceSquared(COLORREF a, COLORREF b);
  static float ColorDistance(COLORREF a, COLORREF b);
  static float Brightness(COLORREF c) { return ColorDistance(c, 0); }
  static float ContrastThreshold(int brightness, int x);
  static bool HasEnoughContrast(COLORREF a, COLORREF b, bool scale, float x);
  static COLORREF AdjustForContrast(COLORREF a, COLORREF b, float x);
  static COLORREF LimitContrast(COLORREF a, COLORREF b, float x);

 private:
  void RefreshSystemColors();
  void SetDefaultDerivedColors();
  void Set(int index, COLORREF c) { standard_[index] = c; }

  CTKPaintManagerColorGradient gradients_[kGradientCount];
  CTKPaintManagerColorGradient fixed_gradients_[3];
  bool accept_royale_ = false;
  bool luna_colors_disabled_ = false;
  COLORREF standard_[kColorCount] = {};
  int custom_[kColorCount];
  SysColorFn sys_color_ = nullptr;
  std::optional<bool> low_color_override_;
  bool low_color_ = false;
  int theme_setting_ = 4;
  int detected_theme_ = kThemeNone;
};

CTKColorManager& GetColorManagerInstance();
void RecomputeToolkitColors();
inline COLORREF ColorByIndex(int index) { return GetColorManagerInstance().ColorByIndex(index); }
