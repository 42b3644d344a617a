#include "toolkit/commandbars/bar_tooltips.h"

#include <shlwapi.h>

#include <cstring>

#include "platform/appframe/frame_messages.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"

namespace {
wchar_t* HeapCopy(const std::wstring& text) {
  wchar_t* copy = new wchar_t[text.size() + 1];
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return copy;
}

bool MouseButtonHeld() {
  return ::GetKeyState(VK_LBUTTON) < 0 || ::GetKeyState(VK_RBUTTON) < 0 || ::GetKeyState(VK_MBUTTON) < 0;
}

bool IsPointerMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || message == WM_LBUTTONUP || message == WM_RBUTTONUP ||
         message == WM_MBUTTONUP;
}

bool EndsTips(UINT message) {
  if (message >= WM_KEYFIRST && message <= WM_SYSDEADCHAR) return true;
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}
}  // namespace

void TKFillToolInfo(TTTOOLINFOW* info, HWND window, UINT_PTR id, const RECT& rect, const std::wstring& text) {
  if (!info || info->cbSize < kTKToolInfoSize) return;
  info->hwnd = window;
  info->uId = id;
  info->rect = rect;
  info->lpszText = HeapCopy(text);
}

void TKFillToolInfoEx(TTTOOLINFOW* info, HWND window, UINT_PTR id, const RECT& rect, const std::wstring& text,
                      const std::wstring& title, const std::wstring& description, CCmdTarget* target) {
  TKFillToolInfo(info, window, id, rect, text);
  if (!info || info->cbSize < kTKToolInfoWideSize || title.empty() || description.empty()) return;
  info->lParam = reinterpret_cast<LPARAM>(new CTKToolInfoExtra{HeapCopy(title), HeapCopy(description), target});
}

void TKFreeToolInfo(TTTOOLINFOW* info) {
  if (!info || info->cbSize < kTKToolInfoSize) return;
  delete[] info->lpszText;
  info->lpszText = nullptr;
  if (info->cbSize >= kTKToolInfoWideSize && info->lParam) {
    CTKToolInfoExtra* extra = reinterpret_cast<CTKToolInfoExtra*>(info->lParam);
    delete[] extra->title;
    delete[] extra->description;
    delete extra;
    info->lParam = 0;
  }
}

CTKToolTipContext& CTKToolTipContext::ThreadInstance() {
  thread_local CTKToolTipContext context;
  return context;
}

CTKToolTipContext::~CTKToolTipContext() {
  if (!tip_ || !::IsWindow(tip_)) return;
  // The context owns its tooltip window; the window leaves the context's procedure first.
  if (system_proc_) ::SetWindowLongPtrW(tip_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system_proc_));
  system_proc_ = nullptr;
  ::DestroyWindow(tip_);
}

void CTKToolTipContext::EnsureWindow(HWND owner) {
  if (tip_ && ::IsWindow(tip_) && owner_ == owner) return;
  if (tip_ && ::IsWindow(tip_)) ::DestroyWindow(tip_);
  last_ = TTTOOLINFOW{};
  last_text_.clear();
  owner_ = owner;
  static const bool registered = [] {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  if (!registered) return;
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!tip_) return;
  // The window paints through the theme of the bar whose tip it shows, when that theme draws
  // tooltips itself; the class's own procedure does everything else.
  system_proc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(tip_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTKToolTipContext::TipProc)));
  shaped_ = SIZE{-1, -1};
  ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, max_width_);
  ::SendMessageW(tip_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin_));
  if (back_ != CLR_NONE) ::SendMessageW(tip_, TTM_SETTIPBKCOLOR, back_, 0);
  if (text_ != CLR_NONE) ::SendMessageW(tip_, TTM_SETTIPTEXTCOLOR, text_, 0);
  if (reshow_ != -1) ::SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_RESHOW, reshow_);
  if (initial_ != -1) ::SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, initial_);
  if (autopop_ != -1) ::SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, autopop_);
  ::SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
}

CTKPaintManager* CTKToolTipContext::ThemedPainter() const {
  if (!last_.cbSize) return nullptr;
  auto* bar = dynamic_cast<CTKCommandBar*>(CWnd::FromHandlePermanent(last_.hwnd));
  CTKPaintManager* pm = bar ? bar->GetPaintManager() : nullptr;
  return pm && pm->DrawsTooltips() ? pm : nullptr;
}

void CTKToolTipContext::UpdateShape() {
  if (!tip_) return;
  CTKPaintManager* pm = ThemedPainter();
  RECT window{};
  ::GetWindowRect(tip_, &window);
  const SIZE size{window.right - window.left, window.bottom - window.top};
  if (!pm) {
    if (shaped_.cx < 0) return;
    shaped_ = SIZE{-1, -1};
    ::SetWindowRgn(tip_, nullptr, TRUE);
    return;
  }
  if (size.cx == shaped_.cx && size.cy == shaped_.cy) return;
  shaped_ = size;
  KestrinWinNS::CScopedRegion region = pm->TooltipWindowRegion(size.cx, size.cy);
  // The window owns the region once it took it.
  if (::SetWindowRgn(tip_, region.Get(), TRUE) && region) region.Take();
}

bool CTKToolTipContext::PaintFace(HDC dc) {
  CTKPaintManager* pm = ThemedPainter();
  if (!pm || !dc) return false;
  RECT window{};
  ::GetWindowRect(tip_, &window);
  pm->PaintTooltip(dc, RECT{0, 0, window.right - window.left, window.bottom - window.top}, last_text_, 0);
  return true;
}

LRESULT CALLBACK CTKToolTipContext::TipProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CTKToolTipContext& context = ThreadInstance();
  const WNDPROC system = context.system_proc_;
  if (hwnd != context.tip_ || !system) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND:
      if (context.ThemedPainter()) return 1;
      break;
    case WM_NCPAINT:
    case WM_PAINT:
      if (context.ThemedPainter()) {
        // The face covers the border too: it is drawn into the window's whole rectangle.
        if (message == WM_PAINT) ::ValidateRect(hwnd, nullptr);
        KestrinWinNS::CReleasedDC dc(hwnd, ::GetWindowDC(hwnd));
        context.PaintFace(dc.Get());
        return 0;
      }
      break;
    case WM_PRINT:
      if (context.PaintFace(reinterpret_cast<HDC>(wparam))) return 0;
      break;
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = ::CallWindowProcW(system, hwnd, message, wparam, lparam);
      context.UpdateShape();
      return result;
    }
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
      context.system_proc_ = nullptr;
      return ::CallWindowProcW(system, hwnd, message, wparam, lparam);
    default:
      break;
  }
  return ::CallWindowProcW(system, hwnd, message, wparam, lparam);
}

DWORD CTKToolTipContext::SystemCommonControlsVersion() {
  static const DWORD version = [] {
    // The library is already loaded for the tooltip class; its version is asked at run time, as
    // old libraries lack the function.
    HMODULE library = ::GetModuleHandleW(L"comctl32.dll");
    auto get = library ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(::GetProcAddress(library, "DllGetVersion")))
                       : nullptr;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (!get || FAILED(get(&info))) return DWORD{0};
    return static_cast<DWORD>(MAKELONG(info.dwMinorVersion, info.dwMajorVersion));
  }();
  return version;
}

bool CTKToolTipContext::IsOwnerActive(HWND barWindow) const {
  HWND active = active_window_ ? active_window_() : ::GetForegroundWindow();
  if (!active) return false;
  HWND owner = ::GetAncestor(barWindow, GA_ROOTOWNER);
  return active == owner || ::GetAncestor(active, GA_ROOTOWNER) == owner;
}

bool CTKToolTipContext::MayShowTitles() const {
  if (style_ == kNoTitles) return false;
  if (style_ != 0) return true;
  const DWORD version = version_ ? version_() : SystemCommonControlsVersion();
  return HIWORD(version) > 5 || (HIWORD(version) == 5 && LOWORD(version) > 79);
}

void CTKToolTipContext::DropTool() {
  if (tip_ && last_.cbSize) ::SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&last_));
  last_ = TTTOOLINFOW{};
  last_text_.clear();
  last_title_.clear();
}

UINT_PTR CTKCommandBar::ToolHitTest(POINT client, RECT* rect, std::wstring* text, std::wstring* description,
                                    UINT* flags) {
  if (flags) *flags = 0;
  return TKBarToolHitTest(this, client, rect, text, description);
}

UINT_PTR TKBarToolHitTest(CTKCommandBar* bar, POINT client, RECT* rect, std::wstring* text, std::wstring* description) {
  CTKControl* control = bar->GetControls()->HitTest(client);
  if (!control) return 0;
  // A gallery's items have tips of their own.
  if (const CTKControlGallery* gallery = dynamic_cast<const CTKControlGallery*>(control)) {
    CRect itemRect;
    if (const UINT_PTR id = gallery->ToolHitTest(client, &itemRect, text)) {
      *rect = itemRect;
      return id;
    }
  }
  std::wstring tip = control->GetTooltip();
  if (tip.empty()) tip = control->GetCaption();
  std::wstring plain = tip;
  CTKDrawHelpers::StripAmpersands(plain);
  if (plain.empty()) return 0;
  *rect = control->GetRect();
  *text = plain;
  if (description) *description = control->GetDescription();
  return static_cast<UINT_PTR>(control->GetIndex()) + 1;
}

void CTKToolTipContext::FilterBarMessage(CTKCommandBar* bar, HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         bool forced) {
  HWND barWindow = bar ? bar->GetSafeHwnd() : nullptr;
  if (!barWindow) return;
  if (EndsTips(message)) {
    if (tip_) ::SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
    return;
  }
  if (!IsPointerMessage(message) || MouseButtonHeld()) return;
  if (!forced && window != barWindow && !::IsChild(barWindow, window)) return;
  // While the application is in the background the tip is put away and the pointer followed no
  // further.
  const bool ownerActive = IsOwnerActive(barWindow);
  if (!ownerActive && tip_ && ::IsWindowVisible(tip_)) {
    ::SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
    return;
  }
  HWND owner = ::GetAncestor(barWindow, GA_ROOT);
  EnsureWindow(owner);
  if (!tip_) return;
  POINT client{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (window != barWindow) ::MapWindowPoints(window, barWindow, &client, 1);
  RECT rect{};
  std::wstring text, description;
  UINT flags = 0;
  const UINT_PTR id = bar->ToolHitTest(client, &rect, &text, &description, &flags);
  MSG relay{barWindow, message, wparam, MAKELPARAM(client.x, client.y), 0, {}};
  if (id && last_.cbSize && last_.hwnd == barWindow && last_.uId == id && ::EqualRect(&last_.rect, &rect)) {
    ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    return;
  }
  DropTool();
  if (!id) {
    ::SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
    return;
  }
  last_text_ = text;
  last_.cbSize = kTKToolInfoSize;
  last_.uFlags = flags & ~kTKToolOwnFlags;
  last_.hwnd = barWindow;
  last_.uId = id;
  last_.rect = rect;
  last_.lpszText = const_cast<wchar_t*>(last_text_.c_str());
  ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&last_));
  if (show_titles_ && MayShowTitles()) {
    // A title that only repeats the description is no title.
    if (text != description && !description.empty()) {
      last_title_ = text;
      last_text_ = description;
      ::SendMessageW(tip_, TTM_SETTITLEW, static_cast<WPARAM>(title_icon_), reinterpret_cast<LPARAM>(last_title_.c_str()));
      last_.lpszText = const_cast<wchar_t*>(last_text_.c_str());
      ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&last_));
    } else {
      ::SendMessageW(tip_, TTM_SETTITLEW, 0, reinterpret_cast<LPARAM>(L""));
    }
  }
  if (image_tips_) {
    CTKImageManager* images = bar->GetImageManager();
    CTKImageManagerIcon* image = images ? images->GetImage(image_base_ + static_cast<UINT>(id), 0) : nullptr;
    ::SendMessageW(tip_, kMsgToolImage, 0, reinterpret_cast<LPARAM>(image));
  }
  UpdateShape();
  if ((flags & kTKToolShowAtOnce) || ownerActive) {
    ::SendMessageW(tip_, TTM_ACTIVATE, TRUE, 0);
    // Above the other popups, without taking the activation.
    ::SetWindowPos(tip_, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOOWNERZORDER);
  }
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

void TKShowControlPrompt(CTKCommandBar* bar, CTKControl* control) {
  HWND site = bar ? bar->GetOwnerSite() : nullptr;
  if (!site) return;
  HWND frame = ::GetAncestor(site, GA_ROOT);
  if (!control) {
    ::SendMessageW(frame, WM_POPMESSAGESTRING, 0, 0);
    return;
  }
  const std::wstring description = control->GetDescription();
  if (!description.empty())
    ::SendMessageW(frame, WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
  else
    ::SendMessageW(frame, WM_SETMESSAGESTRING, static_cast<WPARAM>(control->GetID() > 0 ? control->GetID() : 0), 0);
}
