#include "toolkit/drawing/color_manager.h"
#include "platform/win/gdi.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <iterator>

#include "toolkit/drawing/theme_wrapper.h"

void CTKPaintManagerColorGradient::SetStandardColors(COLORREF l, COLORREF d, float f) {
  light.SetStandardValue(l);
  dark.SetStandardValue(d);
  factor = f;
}

void CTKPaintManagerColorGradient::SetStandardFrom(const CTKPaintManagerColorGradient& other) {
  SetStandardColors(other.light.Color(), other.dark.Color(), other.factor);
}

void CTKPaintManagerColor::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << standard_ << custom_;
  } else {
    ar >> standard_ >> custom_;
  }
}

void CTKPaintManagerColorGradient::Serialize(CArchive& ar) {
  light.Serialize(ar);
  dark.Serialize(ar);
  if (ar.IsStoring())
    ar << factor;
  else
    ar >> factor;
}

CTKColorManager& GetColorManagerInstance() {
  static CTKColorManager manager;
  return manager;
}

void RecomputeToolkitColors() { GetColorManagerInstance().RecomputeColors(); }

CTKColorManager::CTKColorManager() {
  fixed_gradients_[0].SetStandardColors(0x8CD5FF, 0x55ADFF);
  fixed_gradients_[1].SetStandardColors(0x4B8EFE, 0x8BCFFF);
  fixed_gradients_[2].SetStandardColors(0xC8F2FF, 0x97D4FF);
  std::fill(std::begin(custom_), std::end(custom_), -1);
  RecomputeColors();
}

COLORREF CTKColorManager::ColorByIndex(int index) const {
  if (static_cast<unsigned>(index) >= static_cast<unsigned>(kColorCount)) return static_cast<COLORREF>(index);
  return custom_[index] != -1 ? static_cast<COLORREF>(custom_[index]) : standard_[index];
}

int CTKColorManager::GetSystemThemeInUse() const {
  return (theme_setting_ == 4 || theme_setting_ == 5) ? detected_theme_ : theme_setting_;
}

bool CTKColorManager::IsLowColorDisplay(HDC dc) const {
  if (low_color_override_) return *low_color_override_;
  if (dc) {
    int bits = GetDeviceCaps(dc, BITSPIXEL);
    return bits >= 1 && bits <= 8;
  }
  KestrinWinNS::CScopedClientDC screen(GetDesktopWindow());
  if (!screen) return false;
  int bits = GetDeviceCaps(screen.Get(), BITSPIXEL);
  return bits >= 1 && bits <= 8;
}

COLORREF CTKColorManager::MixColors(COLORREF a, COLORREF b, int w) {
  const int d = w < 100 ? 100 : 1000;
  auto mix = [&](int ca, int cb) { return (w * ca + (d - w) * cb + d / 2) / d; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

double CTKColorManager::ColorDistanceSquared(COLORREF a, COLORREF b) {
  double r = ScaledRed(a) - ScaledRed(b), g = ScaledGreen(a) - ScaledGreen(b), bl = ScaledBlue(a) - ScaledBlue(b);
  return r * r + g * g + bl * bl;
}

float CTKColorManager::ColorDistance(COLORREF a, COLORREF b) {
  return static_cast<float>(std::sqrt(ColorDistanceSquared(a, b)));
}

float CTKColorManager::ContrastThreshold(int brightness, int x) {
  return static_cast<float>((2.0 - std::min(brightness, 220) / 220.0) * x);
}

bool CTKColorManager::HasEnoughContrast(COLORREF a, COLORREF b, bool scale, float x) {
  if (scale) x = ContrastThreshold(static_cast<int>(Brightness(a)), static_cast<int>(x));
  return ColorDistanceSquared(a, b) > static_cast<double>(x) * x;
}

namespace {

const double kScale[3] = {195.0, 390.0, 65.0};

struct Scaled {
  double v[3];
};

Scaled ToScaled(COLORREF c) {
  return {{CTKColorManager::ScaledRed(c), CTKColorManager::ScaledGreen(c), CTKColorManager::ScaledBlue(c)}};
}

Scaled Complement(const Scaled& s) { return {{kScale[0] - s.v[0], kScale[1] - s.v[1], kScale[2] - s.v[2]}}; }

COLORREF FromScaled(const Scaled& s) {
  int c[3];
  for (int i = 0; i < 3; ++i) {
    double v = std::clamp(s.v[i], 0.0, kScale[i]);
    c[i] = std::clamp(static_cast<int>(v * 255.0 / kScale[i] + 0.5), 0, 255);
  }
  return RGB(c[0], c[1], c[2]);
}

double Dot(const Scaled& a, const Scaled& b) { return a.v[0] * b.v[0] + a.v[1] * b.v[1] + a.v[2] * b.v[2]; }

}  // namespace

COLORREF CTKColorManager::AdjustForContrast(COLORREF a, COLORREF b, float x) {
  const float ba = Brightness(a), bb = Brightness(b);
  const double d = ContrastThreshold(static_cast<int>(ba), static_cast<int>(x));
  const bool from_black = ((bb > ba) ? 442.0 - d : d) < ba;
  Scaled va = ToScaled(a), vb = ToScaled(b);
  if (!from_black) {
    va = Complement(va);
    vb = Complement(vb);
  }
  const double len = std::max(std::sqrt(Dot(vb, vb)), 0.001);
  const double ab = Dot(va, vb);
  const double p = ab / len;
  const double k = ab / (len * len);
  Scaled perp{{va.v[0] - k * vb.v[0], va.v[1] - k * vb.v[1], va.v[2] - k * vb.v[2]}};
  const double h2 = Dot(perp, perp);
  // When no point of the ray reaches the threshold distance from a, the ray's nearest point
  // to a is taken: the root of a negative number would give no colour at all.
  const double L = p - std::sqrt(std::max(d * d - h2, 0.0));
  Scaled out{{vb.v[0] * L / len, vb.v[1] * L / len, vb.v[2] * L / len}};
  for (int i = 0; i < 3; ++i) out.v[i] = std::clamp(out.v[i], 0.0, kScale[i]);
  return FromScaled(from_black ? out : Complement(out));
}

COLORREF CTKColorManager::LimitContrast(COLORREF a, COLORREF b, float x) {
  const double d = ContrastThreshold(static_cast<int>(Brightness(a)), static_cast<int>(x));
  const double D = ColorDistance(a, b);
  if (D <= 0.0) return b;
  const double f = (D - d) / D;
  Scaled va = ToScaled(a), vb = ToScaled(b);
  Scaled out{{vb.v[0] + f * (va.v[0] - vb.v[0]), vb.v[1] + f * (va.v[1] - vb.v[1]), vb.v[2] + f * (va.v[2] - vb.v[2])}};
  return FromScaled(out);
}

int CTKColorManager::DetectSystemTheme() {
  CTKWinThemeWrapper theme;
  if (!theme.IsThemeActive() || IsLowColorDisplay()) return kThemeNone;
  wchar_t file[260] = {}, color[260] = {};
  if (FAILED(theme.GetCurrentThemeName(file, 260, color, 260, nullptr, 0))) return kThemeNone;
  for (wchar_t* p = file; *p; ++p) *p = static_cast<wchar_t>(std::towlower(*p));
  for (wchar_t* p = color; *p; ++p) *p = static_cast<wchar_t>(std::towlower(*p));
  if (std::wcsstr(file, L"luna.msstyles") || std::wcsstr(file, L"winxp.luna.tkstyles")) {
    if (std::wcscmp(color, L"normalcolor") == 0) return kThemeBlue;
    if (std::wcscmp(color, L"homestead") == 0) return kThemeOlive;
    if (std::wcscmp(color, L"metallic") == 0) return kThemeSilver;
  }
  if (accept_royale_ && (std::wcsstr(file, L"royale.msstyles") || std::wcsstr(file, L"winxp.royale.tkstyles")))
    return kThemeBlue;
  return kThemeNone;
}

void CTKColorManager::RefreshSystemColors() {
  standard_[0] = 0;
  for (int i = 1; i < 30; ++i) standard_[i] = sys_color_ ? sys_color_(i) : GetSysColor(i);
}

void CTKColorManager::SetDefaultDerivedColors() {
  static const int kDefaults[][2] = {
      {30, 15}, {31, 5},  {33, 13}, {41, 5},  {35, 17}, {38, 16}, {39, 16}, {43, 16}, {61, 16}, {40, 16},
      {36, 5},  {32, 13}, {37, 13}, {44, 8},  {45, 7},  {46, 18}, {47, 14}, {48, 16}, {49, 14}, {42, 16},
      {50, 13}, {34, 16}, {51, 15}, {52, 16}, {53, 15}, {54, 16}, {55, 15}, {56, 15}, {57, 16}, {60, 16},
      {58, 17}, {59, 0},
  };
  for (const auto& e : kDefaults) Set(e[0], ColorByIndex(e[1]));
}

void CTKColorManager::RecomputeColors() {
  detected_theme_ = DetectSystemTheme();
  low_color_ = IsLowColorDisplay();
  RefreshSystemColors();
  SetDefaultDerivedColors();
  if (low_color_) {
    RefreshGradients();
    return;
  }

  static const int kMix[][4] = {
      {30, 5, 15, 165}, {31, 13, 5, 30},  {33, 13, 5, 50},  {41, 15, 5, 143}, {35, 17, 5, 70}, {38, 16, 5, 75},
      {39, 16, 5, 70},  {43, 46, 16, 20}, {61, 46, 16, 15}, {40, 16, 5, 90},  {42, 15, 16, 90},
  };
  for (const auto& m : kMix) Set(m[0], MixColors(ColorByIndex(m[1]), ColorByIndex(m[2]), m[3]));

  if (HasEnoughContrast(ColorByIndex(15), ColorByIndex(30), true, 35))
    Set(30, LimitContrast(ColorByIndex(15), ColorByIndex(30), 35));

  static const int kContrast[][3] = {
      {31, 30, 50},  {32, 30, 100}, {33, 30, 30},  {35, 41, 80},  {37, 33, 100}, {38, 30, 85},  {39, 30, 50},
      {43, 41, 100}, {61, 30, 100}, {40, 30, 80},  {44, 41, 180}, {45, 31, 180}, {46, 30, 180}, {47, 33, 180},
  };
  for (const auto& c : kContrast) {
    const COLORREF ref = ColorByIndex(c[1]), entry = ColorByIndex(c[0]);
    if (!HasEnoughContrast(ref, entry, true, static_cast<float>(c[2])))
      Set(c[0], AdjustForContrast(ref, entry, static_cast<float>(c[2])));
  }

  if (HasEnoughContrast(ColorByIndex(41), ColorByIndex(35), true, 145))
    Set(35, LimitContrast(ColorByIndex(41), ColorByIndex(35), 145));

  {
    const COLORREF c30 = ColorByIndex(30), c5 = ColorByIndex(5), c13 = ColorByIndex(13);
    auto ch = [](int a, int b, int c) { return a / 2 + 2 * b / 5 + c / 10; };
    Set(36, RGB(ch(GetRValue(c30), GetRValue(c5), GetRValue(c13)), ch(GetGValue(c30), GetGValue(c5), GetGValue(c13)),
                ch(GetBValue(c30), GetBValue(c5), GetBValue(c13))));
  }
  {
    const COLORREF face = ColorByIndex(15);
    const int m = std::max({GetRValue(face), GetGValue(face), GetBValue(face)});
    if (m == 0) {
      Set(48, 0x232323);
    } else {
      const int n = m + std::min(255 - m, 35);
      Set(48, RGB(GetRValue(face) * n / m, GetGValue(face) * n / m, GetBValue(face) * n / m));
    }
  }
  {
    const COLORREF shadow = ColorByIndex(16);
    const int m = std::max({GetRValue(shadow), GetGValue(shadow), GetBValue(shadow)});
    if (ColorByIndex(15) == 0) {
      Set(49, 0x7F7F7F);
    } else if (m == 0) {
      Set(49, 0);
    } else {
      const int n = std::max(m - 43, 0);
      Set(49, RGB(GetRValue(shadow) * n / m, GetGValue(shadow) * n / m, GetBValue(shadow) * n / m));
    }
  }
  {
    const COLORREF c31 = ColorByIndex(31);
    Set(34, RGB(static_cast<int>(GetRValue(c31) * 0.75), static_cast<int>(GetGValue(c31) * 0.75),
                static_cast<int>(GetBValue(c31) * 0.75)));
  }
  {
    const COLORREF face = ColorByIndex(15);
    Set(22, RGB(std::min(GetRValue(face) + 15, 255), std::min(GetGValue(face) + 15, 255),
                std::min(GetBValue(face) + 15, 255)));
  }
  Set(53, ColorByIndex(30));
  Set(60, standard_[40]);
  Set(58, ColorByIndex(40));
  RefreshGradients();

  CTKWinThemeWrapper tree;
  if (tree.OpenTheme(nullptr, L"TREEVIEW")) {
    COLORREF border = 0;
    if (SUCCEEDED(tree.GetThemeColor(0, 0, 3801, &border))) Set(57, border);
  }
}

void CTKColorManager::RefreshGradients() {
  const int theme = luna_colors_disabled_ ? kThemeNone : GetSystemThemeInUse();
  struct Row {
    COLORREF light, dark;
    float factor;
  };
  static const Row kThemes[3][kGradientCount] = {
      {{0xD68759, 0x962D00, 0.5f}, {0xF5BE9E, 0xFADAC4, 0.5f}, {0xD68759, 0x962D00, 0.5f}, {0xFEECDD, 0xE2A981, 0.75f},
       {0xFFEFE3, 0xE4AD87, 0.5f}, {0xF6DDCB, 0xDCA179, 0.5f}, {0xFFEFE3, 0xE7B593, 0.5f}},
      {{0x82C0AF, 0x447A63, 0.5f}, {0xA7D9D9, 0xE4F1F2, 0.5f}, {0x6F8E78, 0x435B49, 0.5f}, {0xDEF7F4, 0x91C6B7, 0.3f},
       {0xEDFFFF, 0x92C7B8, 0.3f}, {0xD1E6E6, 0x78B4A4, 0.3f}, {0xD5F0EC, 0x9FCEC2, 0.5f}},
      {{0xBFA7A8, 0x916F70, 0.5f}, {0xE5D7D7, 0xF7F3F3, 0.5f}, {0xBFA7A8, 0x977677, 0.5f}, {0xFFF9F9, 0xB79B9C, 0.75f},
       {0xFFF9F9, 0xB99D9F, 0.75f}, {0xE2D7D7, 0x9E7E80, 0.75f}, {0xF1E7E9, 0xCDB9BA, 0.5f}},
  };
  static const COLORREF kEntry54[3] = {0x962D00, 0x588060, 0x947C7C};
  if (theme >= 1 && theme <= 3) {
    Set(54, kEntry54[theme - 1]);
    for (int i = 0; i < kGradientCount; ++i) {
      const Row& r = kThemes[theme - 1][i];
      gradients_[i].SetStandardColors(r.light, r.dark, r.factor);
    }
  } else {
    auto c = [this](int i) { return ColorByIndex(i); };
    auto mix = [this](int a, int b, int w) { return MixColors(ColorByIndex(a), ColorByIndex(b), w); };
    gradients_[0].SetStandardColors(c(16), c(16));
    gradients_[1].SetStandardColors(c(15), mix(15, 5, 215));
    gradients_[2].SetStandardColors(c(15), c(16));
    gradients_[3].SetStandardColors(mix(15, 5, 205), c(15));
    gradients_[4].SetStandardColors(mix(15, 5, 145), mix(15, 5, 93));
    gradients_[5].SetStandardColors(mix(15, 5, 40), mix(15, 16, 95));
    gradients_[6].SetStandardColors(mix(15, 5, 165), mix(15, 5, 42));
  }
  if (low_color_) {
    gradients_[3].SetStandardColor(ColorByIndex(15));
    gradients_[1].SetStandardColor(ColorByIndex(15));
  }
}
