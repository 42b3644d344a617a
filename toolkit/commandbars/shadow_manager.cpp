#include "toolkit/commandbars/shadow_manager.h"

#include <algorithm>

#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/paint/paint_manager.h"

namespace {
const wchar_t kShadowClass[] = L"TKShadow";
const int kAlphaThickness = 4;
const int kSolidThickness = 2;
const UINT kShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER;

BYTE Scale(BYTE channel, double factor) { return static_cast<BYTE>(static_cast<int>(channel * factor)); }
}  // namespace

CTKShadowsManager& CTKShadowsManager::Instance() {
  static CTKShadowsManager manager;
  return manager;
}

CTKShadowsManager::CTKShadowsManager() {
  if (HMODULE user = ::GetModuleHandleW(L"user32"))
    update_layered_ = reinterpret_cast<UpdateLayeredWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(user, "UpdateLayeredWindow")));
}

bool CTKShadowsManager::IsAlphaShadows() const {
  if (alpha_override_) return *alpha_override_ && update_layered_;
  return update_layered_ && !GetColorManagerInstance().IsLowColorDisplay();
}

bool CTKShadowsManager::IsSystemDropShadow() const {
  if (drop_override_) return *drop_override_;
  BOOL on = FALSE;
  return ::SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &on, 0) && on;
}

COLORREF CTKShadowsManager::SolidColor() const { return GlobalPaintManager()->ResolveColor(16); }

std::vector<DWORD> CTKShadowsManager::MakeAlphaImage(int width, int height, bool bottom, int options, COLORREF color) {
  std::vector<DWORD> image(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), 0);
  const int s = (options & kOptionLighter) ? 3 : 6;
  const int along_length = bottom ? width : height;
  const int across_length = bottom ? height : width;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int along = bottom ? x : y;
      const int across = bottom ? y : x;
      // Distance across the strip: 4 next to the owner, 1 at the outer edge.
      const int n = std::max(1, std::min(kAlphaThickness, kAlphaThickness - across));
      if (across >= across_length) continue;
      int alpha;
      double factor;
      const int from_start = along + 1, from_end = along_length - along;
      if (from_start <= kAlphaThickness || from_end <= kAlphaThickness) {
        const int i = std::min(from_start, from_end);
        alpha = s * i * n;
        factor = i * n / 20.0;
      } else {
        alpha = 5 * s * n;
        factor = n / 4.0;
      }
      // Premultiplied: each colour channel at most the alpha.
      const BYTE a = static_cast<BYTE>(std::min(alpha, 255));
      const BYTE r = std::min(Scale(GetRValue(color), factor), a);
      const BYTE g = std::min(Scale(GetGValue(color), factor), a);
      const BYTE b = std::min(Scale(GetBValue(color), factor), a);
      image[static_cast<size_t>(y) * width + x] = (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | b;
    }
  return image;
}

// ---------------------------------------------------------------------------------------------
// One shadow

CTKShadowsManager::CShadowWnd::CShadowWnd(CTKShadowsManager* manager, bool bottom, HWND owner, CTKCommandBar* bar,
                                          int options)
    : manager_(manager), bottom_(bottom), owner_(owner), bar_(bar), options_(options) {
  // Hooked: the hook manager deletes it once unhooked, after any dispatch under way.
  m_bAutoDestroy = true;
}

CTKShadowsManager::CShadowWnd::~CShadowWnd() {
  if (GetSafeHwnd()) ::DestroyWindow(GetSafeHwnd());
}

void CTKShadowsManager::CShadowWnd::UpdateAlphaImage(int width, int height) {
  image_ = MakeAlphaImage(width, height, bottom_, options_, manager_->style_.color);
  if (!manager_->update_layered_ || width <= 0 || height <= 0) return;
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib = KestrinWinNS::CreateDib32(width, height, &bits);
  if (!bits) return;
  std::copy(image_.begin(), image_.end(), static_cast<DWORD*>(bits));
  KestrinWinNS::CScopedClientDC screen_dc(nullptr);
  HDC screen = screen_dc.Get();
  {
    KestrinWinNS::CBitmapDC memory(screen, dib.Get());
    RECT rc;
    ::GetWindowRect(GetSafeHwnd(), &rc);
    POINT at{rc.left, rc.top}, origin{0, 0};
    SIZE size{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    manager_->update_layered_(GetSafeHwnd(), screen, &at, &size, memory.Get(), &origin, 0, &blend, ULW_ALPHA);
  }
}

void CTKShadowsManager::CShadowWnd::Place(const RECT& rect) {
  RECT now;
  ::GetWindowRect(GetSafeHwnd(), &now);
  const bool resized = now.right - now.left != rect.right - rect.left || now.bottom - now.top != rect.bottom - rect.top;
  ::SetWindowPos(GetSafeHwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if ((resized || image_.empty()) && (::GetWindowLongPtrW(GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYERED))
    UpdateAlphaImage(rect.right - rect.left, rect.bottom - rect.top);
}

int CTKShadowsManager::CShadowWnd::OnHookMessage(HWND, UINT message, WPARAM& wParam, LPARAM&, LRESULT&) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam)
        ::ShowWindow(GetSafeHwnd(), SW_SHOWNA);
      else
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
      break;
    case WM_DESTROY:
      manager_->RemoveShadow(this);
      break;
    default:
      break;
  }
  return kGoOn;
}

LRESULT CTKShadowsManager::CShadowWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      KestrinWinNS::CScopedPaintDC paint(GetSafeHwnd());
      RECT rc;
      ::GetClientRect(GetSafeHwnd(), &rc);
      KestrinWinNS::CScopedBrush brush(::CreateSolidBrush(manager_->SolidColor()));
      ::FillRect(paint.Get(), &rc, brush.Get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

// ---------------------------------------------------------------------------------------------
// The manager

void CTKShadowsManager::SetShadow(CTKCommandBar* popup, const RECT* exclude) {
  if (!popup || !popup->GetSafeHwnd() || popup->IsCustomizeMode()) return;
  if (!(style_.options & kOptionLighter) && !(IsAlphaShadows() && IsSystemDropShadow())) return;
  RECT rc;
  ::GetWindowRect(popup->GetSafeHwnd(), &rc);
  ShowShadows(popup->GetSafeHwnd(), rc, exclude, popup);
}

void CTKShadowsManager::SetShadow(CTKControl* control) {
  if (!control || (style_.options & (kOptionLighter | kOptionCutExclude)) != (kOptionLighter | kOptionCutExclude)) return;
  CTKCommandBar* bar = control->GetParent();
  CTKCommandBar* popup = control->GetCommandBar();
  if (!bar || !bar->GetSafeHwnd() || bar->IsCustomizeMode() || !popup || !popup->GetSafeHwnd()) return;
  RECT rc = control->GetRect();
  ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
  ShowShadows(popup->GetSafeHwnd(), rc, nullptr, popup);
}

bool CTKShadowsManager::ShowShadows(HWND owner, const RECT& rect, const RECT* exclude, CTKCommandBar* bar) {
  if (!owner || !::IsWindow(owner)) return false;
  const bool bottom = MakeShadow(true, rect, exclude, owner, bar);
  const bool right = MakeShadow(false, rect, exclude, owner, bar);
  return bottom || right;
}

bool CTKShadowsManager::MakeShadow(bool bottom, const RECT& owner_rect, const RECT* exclude, HWND owner,
                                   CTKCommandBar* bar) {
  if (!style_.draws_shadows) return false;
  const bool alpha = IsAlphaShadows();
  if (!RegisterFrameworkClass(kShadowClass, CS_SAVEBITS | CS_OWNDC, nullptr,
                              ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW))))
    return false;
  const int t = alpha ? kAlphaThickness : kSolidThickness;
  const RECT& o = owner_rect;
  CRect rc = bottom ? CRect(o.left + t, o.bottom, o.right + t, o.bottom + t) : CRect(o.right, o.top + t, o.right + t, o.bottom);
  if (rc.IsRectEmpty()) return false;
  // Where this shadow crosses one of the other orientation at a corner (the end of one strip
  // reaching into the other), the strip whose end it is gets shorter, so that no corner is
  // darkened twice.
  auto at_end = [](const CRect& strip, const CRect& meet, bool along_x) {
    return along_x ? (meet.right >= strip.right || meet.left <= strip.left)
                   : (meet.bottom >= strip.bottom || meet.top <= strip.top);
  };
  auto shorten = [](CRect& strip, const CRect& meet, bool along_x) {
    if (along_x) {
      if (meet.right >= strip.right) strip.right = meet.left;
      else strip.left = meet.right;
    } else {
      if (meet.bottom >= strip.bottom) strip.bottom = meet.top;
      else strip.top = meet.bottom;
    }
  };
  for (CShadowWnd* other : shadows_) {
    if (other->IsBottom() == bottom || !::IsWindowVisible(other->GetSafeHwnd())) continue;
    CRect theirs = other->GetWindowRect(), meet;
    if (!meet.IntersectRect(theirs, rc)) continue;
    if (at_end(theirs, meet, other->IsBottom())) {
      shorten(theirs, meet, other->IsBottom());
      if (theirs.IsRectEmpty())
        ::ShowWindow(other->GetSafeHwnd(), SW_HIDE);
      else
        other->Place(theirs);
    } else if (at_end(rc, meet, bottom)) {
      shorten(rc, meet, bottom);
    }
  }
  if (rc.IsRectEmpty()) return false;
  HWND site = bar ? bar->GetSite() : nullptr;
  if (!site) site = owner;
  site = ::GetAncestor(site, GA_ROOT);
  CShadowWnd* shadow = new CShadowWnd(this, bottom, owner, bar, style_.options);
  const DWORD ex_style = alpha ? (WS_EX_LAYERED | WS_EX_TOOLWINDOW) : WS_EX_TOOLWINDOW;
  if (!shadow->CreateEx(ex_style, kShadowClass, nullptr, WS_POPUP, rc, site, 0)) {
    delete shadow;
    return false;
  }
  shadows_.push_back(shadow);
  // The region: the exclude rectangle (with the cut option) and the other owners' windows.
  {
    KestrinWinNS::CScopedRegion region(::CreateRectRgn(0, 0, rc.Width(), rc.Height()));
    auto cut = [&](RECT screen) {
      ::OffsetRect(&screen, -rc.left, -rc.top);
      KestrinWinNS::CScopedRegion part(::CreateRectRgnIndirect(&screen));
      ::CombineRgn(region.Get(), region.Get(), part.Get(), RGN_DIFF);
    };
    bool cut_any = false;
    if (exclude && (style_.options & kOptionCutExclude)) {
      cut(*exclude);
      cut_any = true;
    }
    for (CShadowWnd* other : shadows_) {
      if (other->GetOwnerWindow() == owner || !::IsWindow(other->GetOwnerWindow())) continue;
      RECT theirs;
      ::GetWindowRect(other->GetOwnerWindow(), &theirs);
      cut(theirs);
      cut_any = true;
    }
    if (cut_any) ::SetWindowRgn(shadow->GetSafeHwnd(), region.Take(), FALSE);
  }
  if (alpha) shadow->Place(rc);
  ::SetWindowPos(shadow->GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, kShowFlags);
  CTKHookManager::Instance().SetHook(owner, shadow);
  return true;
}

std::vector<CTKShadowsManager::CShadowWnd*> CTKShadowsManager::ShadowsOf(HWND owner) const {
  std::vector<CShadowWnd*> found;
  for (CShadowWnd* shadow : shadows_)
    if (shadow->GetOwnerWindow() == owner) found.push_back(shadow);
  return found;
}

void CTKShadowsManager::RemoveShadows(HWND owner) {
  for (CShadowWnd* shadow : ShadowsOf(owner)) RemoveShadow(shadow);
}

void CTKShadowsManager::RemoveShadows(CTKCommandBar* bar) {
  std::vector<CShadowWnd*> found;
  for (CShadowWnd* shadow : shadows_)
    if (shadow->GetOwnerBar() == bar) found.push_back(shadow);
  for (CShadowWnd* shadow : found) RemoveShadow(shadow);
}

void CTKShadowsManager::RemoveShadow(CShadowWnd* shadow) {
  auto it = std::find(shadows_.begin(), shadows_.end(), shadow);
  if (it == shadows_.end()) return;
  shadows_.erase(it);
  if (shadow->GetSafeHwnd()) {
    ::ShowWindow(shadow->GetSafeHwnd(), SW_HIDE);
    shadow->DestroyWindow();
  }
  HWND owner = shadow->GetOwnerWindow();
  CTKHookManager& hooks = CTKHookManager::Instance();
  if (hooks.IsHooked(owner))
    hooks.RemoveHook(owner, shadow);  // deletes it, now or when the dispatch under way ends
  else
    delete shadow;
}
