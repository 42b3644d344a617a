#include "common/windowing/validation_border.h"

#include <mmsystem.h>

#include "common/utility/window_ids.h"
#include "common/windowing/border_painter.h"
#include "platform/win/gdi.h"
#include "platform/win/module.h"

namespace WindowingNS {

using ObserveNS::CObserverService;
using KestrinWinNS::CScopedLock;
using SettingsUtilsNS::CSettingsKestrin;
namespace WindowIds = UtilityClassesNS::WindowIds;

namespace {

const char kClassName[] = "DRAVIX_VERIFICATION_WINDOW";
const char kOnEventName[] = "DravixBho::ValidateOnEvent";
const char kOffEventName[] = "DravixBho::ValidateOffEvent";
const UINT_PTR kTimerPostponedHide = WindowIds::kTimerBorderPostponedHide;
const UINT_PTR kTimerInactive = WindowIds::kTimerBorderInactive;
const UINT kTimerMs = 700;
// Calls made on other threads run on the window's own thread.
const UINT kMsgShow = WindowIds::kMsgBorderShow;
const UINT kMsgHide = WindowIds::kMsgBorderHide;
const UINT kMsgClose = WindowIds::kMsgBorderClose;
const UINT kCrossThreadTimeoutMs = 5000;

// Drawn once per show: set by the paint, cleared by every hide.
volatile LONG g_painted = 0;
CValidationBorder::PointerFunction g_pointer = ::GetCursorPos;

bool ClassIs(HWND window, const char* name) {
  char text[261] = {};
  return window && GetClassNameA(window, text, sizeof(text)) && lstrcmpiA(text, name) == 0;
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

}  // namespace

CValidationBorder* CValidationBorder::GetInstance() {
  // Built on first use; its destructor at exit releases memory and handles only.
  static CValidationBorder border(CObserverService::GetInstance());
  return &border;
}

void CValidationBorder::Shutdown() { GetInstance()->Close(); }

bool CValidationBorder::IsPainted() { return g_painted != 0; }

CValidationBorder::CValidationBorder(ObserveNS::IObserverService* service)
    : settings_(SettingsUtilsNS::kLoadGroupBorder), service_(service) {
  on_event_.Reset(CreateEventA(nullptr, FALSE, FALSE, kOnEventName));
  off_event_.Reset(CreateEventA(nullptr, FALSE, FALSE, kOffEventName));
  if (service_) {
    service_->Register(this, ObserveNS::kEventSettingsChanged);
    registered_ = true;
  }
}

// No window is destroyed and no sound played here: at process exit this runs under the
// loader lock, on whatever thread ends the process. Close does that work beforehand; a window
// still left is only cut off from this object.
CValidationBorder::~CValidationBorder() {
  if (registered_) service_->Unregister(this, ObserveNS::kEventSettingsChanged);
  Detach();
}

void CValidationBorder::Close() {
  if (registered_) {
    service_->Unregister(this, ObserveNS::kEventSettingsChanged);
    registered_ = false;
  }
  if (!GetHwnd() || !IsWindow(GetHwnd())) {
    Detach();
    return;
  }
  if (!OnWindowThread()) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(GetHwnd(), kMsgClose, 0, 0, SMTO_ABORTIFHUNG, kCrossThreadTimeoutMs, &ignored);
    return;
  }
  if (off_event_) SetEvent(off_event_.Get());
  SetWindowPos(GetHwnd(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  hide_requested_ = true;
  if (!hovered_ && browser_) HideNow(HideOrigin::kPointer, true);
  DestroyWindow(GetHwnd());
}

bool CValidationBorder::OnWindowThread() const {
  return GetWindowThreadProcessId(GetHwnd(), nullptr) == GetCurrentThreadId();
}

// The window belongs to the thread that created it; when that thread (a browser tab) ends,
// the window goes with it. A new one is made on the calling thread when needed again.
bool CValidationBorder::EnsureWindow() {
  if (GetHwnd() && IsWindow(GetHwnd())) return true;
  Detach();
  InterlockedExchange(&g_painted, 0);
  pinned_ = false;
  hovered_ = false;
  inactive_timer_ = false;
  WNDCLASSEXA wc = {sizeof(wc)};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.hbrBackground = (HBRUSH)(INT_PTR)(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.lpszClassName = kClassName;
  if (!RegisterWindowClass(wc)) return false;
  return Create(kClassName, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, RECT{100, 100, 200, 200}, nullptr, nullptr,
                nullptr) != nullptr;
}

void CValidationBorder::ReadLook() {
  CScopedLock lock(look_lock_);
  look_.width = (int)settings_.m_BorderWidth;
  look_.text_size = (int)settings_.m_DisplayTextSize;
  look_.colour = settings_.m_BorderColour;
  look_.mouse_over = settings_.m_UseMov;
  look_.audio = settings_.m_UseAudio;
  look_.border_on = settings_.m_BorderBrowser || settings_.m_BorderScreen;
  look_.over_sound = settings_.m_MouseOverSound;
  look_.off_sound = settings_.m_MouseOffSound;
  brush_.Reset(CreateSolidBrush(look_.colour));
}

CValidationBorder::Look CValidationBorder::CurrentLook() const {
  CScopedLock lock(look_lock_);
  return look_;
}

std::string CValidationBorder::CopyCaptionText() const {
  CScopedLock lock(look_lock_);
  return caption_text_;
}

int CValidationBorder::GetWidth() const { return CurrentLook().width; }
int CValidationBorder::GetTextSize() const { return CurrentLook().text_size; }
COLORREF CValidationBorder::GetColour() const { return CurrentLook().colour; }

void CValidationBorder::Notify(DWORD event) {
  if (event != ObserveNS::kEventSettingsChanged) return;
  CScopedLock lock(look_lock_);
  if (settings_.Reload(SettingsUtilsNS::kLoadGroupBorder)) ReadLook();
}

int CValidationBorder::SetBrowserWindow(HWND browser) {
  if (!browser) return 0;
  browser_ = browser;
  EnsureWindow();
  return 1;
}

int CValidationBorder::NoteBrowserWindow(HWND browser) {
  if (!browser) return 0;
  browser_ = browser;
  return 1;
}

int CValidationBorder::SetHoverWindow(HWND hover) {
  hover_window_ = hover;
  return 1;
}

void CValidationBorder::SetHideWhenInactive(int flag) { hide_when_inactive_ = flag; }

void CValidationBorder::SetCaptionText(const char* text) {
  if (!text || !*text) return;
  CScopedLock lock(look_lock_);  // callers' threads set it, the window's thread draws it
  caption_text_ = text;
}

bool CValidationBorder::IsBorderVisible() const {
  return GetHwnd() && IsWindow(GetHwnd()) && IsWindowVisible(GetHwnd());
}

int CValidationBorder::ShowBorder(BorderKind kind, bool announce, bool with_caption) {
  if (GetHwnd() && IsWindow(GetHwnd()) && !OnWindowThread()) {
    DWORD_PTR result = 0;
    WPARAM args = (static_cast<int>(kind) & 0xFF) | ((announce ? 1 : 0) << 8) | ((with_caption ? 1 : 0) << 9);
    if (SendMessageTimeoutA(GetHwnd(), kMsgShow, args, 0, SMTO_ABORTIFHUNG, kCrossThreadTimeoutMs,
                            &result))
      return (int)result;
    return 0;
  }
  return DoShow(kind, announce, with_caption);
}

int CValidationBorder::HideBorder(HideOrigin origin, bool force) {
  if (GetHwnd() && IsWindow(GetHwnd()) && !OnWindowThread()) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(GetHwnd(), kMsgHide, static_cast<WPARAM>(origin), force ? 1 : 0, SMTO_ABORTIFHUNG,
                            kCrossThreadTimeoutMs, &result))
      return (int)result;
    return 0;
  }
  return DoHide(origin, force);
}

int CValidationBorder::DoShow(BorderKind kind, bool announce, bool with_caption) {
  // A window lost with its thread is made again here, which also clears painted.
  if (browser_) EnsureWindow();
  if (g_painted) {
    pinned_ = true;
    return 1;
  }
  hide_requested_ = false;
  if (!browser_ || IsBorderVisible()) return 0;
  kind_ = kind;
  const Look look = CurrentLook();
  if (kind == BorderKind::kMouseOver && (!look.mouse_over || !FindWindowA("Dravix_TaskTray", nullptr))) return 0;
  if (announce && look.audio) PlaySoundFile(look.over_sound.c_str());
  const int W = ScreenWidth(), H = ScreenHeight();
  if (announce && on_event_) SetEvent(on_event_.Get());
  if (look.border_on) {
    BorderLook shape = {W, H, look.width, look.colour, with_caption, {}, nullptr, 0};
    with_caption_ = with_caption;
    if (with_caption) {
      KestrinWinNS::CScopedClientDC screen(nullptr);
      caption_rect_ = CalcCaptionRect(screen.Get(), CopyCaptionText().c_str(), look.text_size, W, look.width);
      shape.caption = caption_rect_;
    }
    SetWindowRgn(GetHwnd(), CreateBorderRegion(shape), TRUE);  // the window owns the region now
    SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, W, H,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    SetActiveWindow(browser_);
  }
  inactive_timer_ = SetTimer(GetHwnd(), kTimerInactive, kTimerMs, nullptr) != 0;
  return 1;
}

int CValidationBorder::DoHide(HideOrigin origin, bool force) {
  hide_requested_ = true;
  if (hovered_) return 1;  // completed when the pointer leaves
  if (!browser_) return 0;
  return HideNow(origin, force);
}

void CValidationBorder::SetPointerFunction(PointerFunction function) {
  g_pointer = function ? function : ::GetCursorPos;
}

int CValidationBorder::HideNow(HideOrigin origin, bool force) {
  if (origin == HideOrigin::kPointer && GetHwnd()) {
    POINT cursor;
    g_pointer(&cursor);
    if (WindowFromPoint(cursor) == GetHwnd()) {
      SetTimer(GetHwnd(), kTimerPostponedHide, kTimerMs, nullptr);
      return 1;
    }
  }
  bool was_visible = false;
  if (IsBorderVisible()) {
    was_visible = true;
    if (pinned_) {
      if (origin == HideOrigin::kBrowser && !force) return 1;
      pinned_ = false;
    }
    ShowWindow(GetHwnd(), SW_HIDE);
  }
  AnnounceOff(was_visible);
  // Every navigation hides the border: a timer that was never set costs no server call.
  if (GetHwnd() && inactive_timer_) KillTimer(GetHwnd(), kTimerInactive);
  inactive_timer_ = false;
  InterlockedExchange(&g_painted, 0);
  return 1;
}

void CValidationBorder::AnnounceOff(bool was_visible) {
  // The window under the pointer matters only with the browser in front (each query is a
  // server call under Wine, and every navigation comes here).
  HWND foreground = GetForegroundWindow();
  bool browser_in_front =
      foreground && (foreground == browser_ || GetParent(foreground) == browser_);
  if (browser_in_front) {
    POINT cursor;
    g_pointer(&cursor);
    HWND under = WindowFromPoint(cursor);
    HWND top = under ? GetAncestor(under, GA_ROOT) : nullptr;
    if (ClassIs(top, "DRAVIX_QUORVEL_WINDOW") && !ClassIs(under, "DRAVIX_LOGO_WINDOW")) return;
  }
  if (off_event_) SetEvent(off_event_.Get());
  const Look look = CurrentLook();
  if (look.audio && was_visible && (kind_ != BorderKind::kMouseOver || look.mouse_over))
    PlaySoundFile(look.off_sound.c_str());
}

void CValidationBorder::PlaySoundFile(const char* file) {
  if (!file || !*file) return;
  // The multimedia library is loaded with the first sound.
  static const auto play = KestrinWinNS::SystemFunctionAs<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA");
  if (play) play(file, nullptr, SND_FILENAME | SND_ASYNC | SND_NOWAIT);
}

void CValidationBorder::Paint(HDC dc) {
  if (g_painted) return;
  InterlockedExchange(&g_painted, 1);
  const Look look = CurrentLook();
  const std::string text = CopyCaptionText();
  BorderLook shape = {ScreenWidth(), ScreenHeight(), look.width, look.colour, with_caption_,
                      caption_rect_, text.c_str(), look.text_size};
  PaintBorder(dc, shape);
}

BOOL CValidationBorder::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                             LRESULT& result) {
  switch (msg) {
    case WM_CREATE:
      // The values the settings object holds; the registry is not read again here.
      ReadLook();
      result = 0;
      return TRUE;
    case WM_ERASEBKGND:
      Paint(reinterpret_cast<HDC>(wparam));
      result = 1;
      return TRUE;
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT tme = {sizeof(tme), TME_HOVER | TME_LEAVE, hwnd, 10};
      TrackMouseEvent(&tme);
      result = 0;
      return TRUE;
    }
    case WM_MOUSEHOVER:
      hovered_ = true;
      result = 0;
      return TRUE;
    case WM_MOUSELEAVE:
      hovered_ = false;
      if (hide_requested_ && browser_) HideNow(HideOrigin::kPointer, true);
      result = 0;
      return TRUE;
    case WM_TIMER:
      if (wparam == kTimerInactive) {
        HWND foreground = GetForegroundWindow();
        if (hide_when_inactive_ && foreground != browser_ && GetParent(foreground) != browser_) {
          if (hover_window_) SendMessageA(hover_window_, WM_MOUSELEAVE, 1, 0);
          DoHide(HideOrigin::kBrowser, true);
        }
      } else if (wparam == kTimerPostponedHide) {
        DoHide(HideOrigin::kBrowser, false);
        KillTimer(hwnd, kTimerPostponedHide);
      }
      result = 0;
      return TRUE;
    case WM_SHOWWINDOW:
      if (!wparam) KillTimer(hwnd, kTimerPostponedHide);
      return FALSE;
    case WM_CTLCOLORDLG: {
      CScopedLock lock(look_lock_);
      result = reinterpret_cast<LRESULT>(brush_.Get());
      return TRUE;
    }
    case WM_DESTROY: {
      CScopedLock lock(look_lock_);
      brush_.Reset();
      return FALSE;
    }
    case kMsgShow:
      result = DoShow(static_cast<BorderKind>(wparam & 0xFF), ((wparam >> 8) & 1) != 0, ((wparam >> 9) & 1) != 0);
      return TRUE;
    case kMsgHide:
      result = DoHide(static_cast<HideOrigin>(wparam), lparam != 0);
      return TRUE;
    case kMsgClose:
      Close();
      result = 0;
      return TRUE;
  }
  return FALSE;
}

}  // namespace WindowingNS
