#include "common/warning/warning_window.h"

#include <algorithm>

#include "common/utility/platform.h"
#include "common/warning/warning_resource.h"

namespace WarningWindowNS {

using UtilityClassesNS::CThreadHelper;

const char kWarningTitle[] = "Kestrin Warning:";
const char kConnectionWarningMutex[] = "2A1A0F92-28E1-4503-939E-3DB480C1D613";
const char kFullScreenWarningMutex[] = "3236461A-2855-4C88-92D9-6CC82F61B7E1";

namespace {

const UINT kMutexWaitMs = 10;
const int kTitleHeight = 20;
const COLORREF kTitleTextColour = 0x00DD8531;

}  // namespace

HMODULE GetWarningResourceModule() {
  HMODULE module = GetModuleHandleA(UtilityClassesNS::GetIE32AddonFileName());
  if (!module) module = GetModuleHandleA(UtilityClassesNS::GetIE64AddonFileName());
  if (!module) module = GetModuleHandleA(nullptr);
  return module;
}

POINT ComputeToastPosition(int screen_width, int screen_height, const RECT& work_area, int border,
                           int width, int height) {
  POINT p;
  p.x = screen_width - width - border - 1;
  p.y = screen_height - std::max<int>(screen_height - work_area.bottom, border) - height;
  return p;
}

// ---------------------------------------------------------------------------------------------
// CWarningWindowBase

CWarningWindowBase::CWarningWindowBase(COLORREF background, const char* text)
    : background_(background),
      text_(text ? text : ""),
      animation_routine_(&CWarningWindowBase::SlideRoutine),
      settings_(SettingsUtilsNS::kLoadGroupAll),
      title_(kWarningTitle) {
  thread_.Attach(CThreadHelper::Create(this));
  background_brush_.Reset(CreateSolidBrush(background_));
}

CWarningWindowBase::~CWarningWindowBase() {
  // A slide thread still running must find no toast from here on.
  thread_->Detach();
  if (window_) DestroyWindow(window_);
}

BOOL CWarningWindowBase::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_DRAWITEM:
      DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      result = TRUE;
      return TRUE;
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_TIMER:
      OnTimer(wparam);
      result = 0;
      return TRUE;
    case WM_CTLCOLORDLG:
      result = reinterpret_cast<LRESULT>(OnCtlColorDlg(reinterpret_cast<HDC>(wparam)));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      result = reinterpret_cast<LRESULT>(OnCtlColorStatic(reinterpret_cast<HDC>(wparam)));
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLButtonDown();
      result = 0;
      return TRUE;
    case WM_RBUTTONDOWN:
      OnRButtonDown();
      result = 0;
      return TRUE;
    default:
      return FALSE;
  }
}

DLGPROC CWarningWindowBase::GetDialogProc() { return &CWarningWindowBase::DialogProc; }

void CWarningWindowBase::OnFinalMessage(HWND) {}

INT_PTR CALLBACK CWarningWindowBase::DialogProc(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  CWarningWindowBase* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CWarningWindowBase*>(lparam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->thread_->Lock();
    self->window_ = window;
    self->thread_->Unlock();
  } else {
    self = reinterpret_cast<CWarningWindowBase*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  if (!self) return FALSE;

  LRESULT result = 0;
  BOOL handled = self->ProcessWindowMessage(window, message, wparam, lparam, result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->thread_->Lock();
    self->window_ = nullptr;
    self->thread_->Unlock();
    self->OnFinalMessage(window);
  }
  if (!handled) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

HWND CWarningWindowBase::Create(LPARAM init) {
  if (window_) return window_;
  return CreateWithParent(GetDesktopWindow(), init);
}

HWND CWarningWindowBase::CreateWithParent(HWND parent, LPARAM) {
  if (window_) return window_;
  return CreateDialogParamA(GetWarningResourceModule(), MAKEINTRESOURCEA(IDD_WARNING_WINDOW), parent,
                            GetDialogProc(), reinterpret_cast<LPARAM>(this));
}

void CWarningWindowBase::Destroy() {
  if (window_) DestroyWindow(window_);
}

bool CWarningWindowBase::Show() {
  if (!window_) return false;
  if (IsWindowVisible(window_)) return true;
  InterlockedExchange(&showing_, 1);
  SetTimer(window_, kTimerSlideOut, animation_ms_ + display_ms_, nullptr);
  StartSlide();
  return true;
}

void CWarningWindowBase::StartSlide() {
  KestrinWinNS::CScopedKernelHandle thread(thread_->StartThread(animation_routine_, nullptr));
}

bool CWarningWindowBase::Slide(CThreadHelper* helper, bool* slid_in) {
  helper->Lock();
  CWarningWindowBase* self = static_cast<CWarningWindowBase*>(helper->GetOwner());
  HWND window = self ? self->window_ : nullptr;
  bool showing = self && self->showing_ != 0;
  DWORD time = self ? static_cast<DWORD>(self->animation_ms_) : 0;
  helper->Unlock();
  if (!window) return false;
  // The slide works on the window handle only: the toast may go away meanwhile, and a handle
  // of a destroyed window just makes the call fail.
  if (showing) {
    AnimateWindow(window, time, AW_SLIDE | AW_VER_NEGATIVE);
  } else {
    AnimateWindow(window, time, AW_HIDE | AW_SLIDE | AW_VER_POSITIVE);
  }
  *slid_in = showing;
  return true;
}

void CWarningWindowBase::SlideRoutine(CThreadHelper* helper, void*) {
  bool slid_in = false;
  Slide(helper, &slid_in);
}

void CWarningWindowBase::OnTimer(UINT_PTR id) {
  if (id != kTimerSlideOut) return;
  if (window_) KillTimer(window_, kTimerSlideOut);
  if (!window_) return;
  InterlockedExchange(&showing_, 0);
  StartSlide();
}

void CWarningWindowBase::HideNow() {
  if (!window_) return;
  KillTimer(window_, kTimerSlideOut);
  ShowWindow(window_, SW_HIDE);
}

void CWarningWindowBase::OnLButtonDown() { HideNow(); }

void CWarningWindowBase::OnRButtonDown() { HideNow(); }

HBRUSH CWarningWindowBase::OnCtlColorDlg(HDC) { return background_brush_.Get(); }

HBRUSH CWarningWindowBase::OnCtlColorStatic(HDC dc) {
  SetBkColor(dc, background_);
  return background_brush_.Get();
}

LRESULT CWarningWindowBase::OnInitDialog() {
  LONG style = GetWindowLongA(window_, GWL_STYLE);
  SetWindowLongA(window_, GWL_STYLE, style | WS_POPUP);
  LONG ex_style = GetWindowLongA(window_, GWL_EXSTYLE);
  ex_style = (ex_style & ~WS_EX_APPWINDOW) | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
  SetWindowLongA(window_, GWL_EXSTYLE, ex_style);

  HFONT font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
  LOGFONTA description;
  if (font && GetObjectA(font, sizeof(description), &description) == sizeof(description)) {
    description.lfWeight = FW_BOLD;
    title_font_.Reset(CreateFontIndirectA(&description));
    if (title_font_)
      SendDlgItemMessageA(window_, IDC_WARNING_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.Get()), 0);
  }

  Layout();
  SetDlgItemTextA(window_, IDC_WARNING_TITLE, title_.c_str());
  SetDlgItemTextA(window_, IDC_WARNING_TEXT, text_.c_str());
  return 1;
}

void CWarningWindowBase::Layout() {
  if (!window_) return;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  RECT work = {0, 0, screen_width, screen_height};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT client;
  GetClientRect(window_, &client);
  if (width_ == 0) width_ = client.right - client.left;
  if (height_ == 0) height_ = client.bottom - client.top;
  const int border = static_cast<int>(settings_.GetBorderWidth(false));

  POINT at = ComputeToastPosition(screen_width, screen_height, work, border, width_, height_);
  SetWindowPos(window_, HWND_TOPMOST, at.x, at.y, width_, height_, SWP_HIDEWINDOW | SWP_NOACTIVATE);

  const int m = margin_;
  HWND title = GetDlgItem(window_, IDC_WARNING_TITLE);
  HWND icon = GetDlgItem(window_, IDC_WARNING_ICON);
  HWND text = GetDlgItem(window_, IDC_WARNING_TEXT);
  HWND strip = GetDlgItem(window_, IDC_WARNING_TITLE_STRIP);
  SetWindowPos(title, nullptr, m, m + kTitleHeight, width_ - 2 * m, kTitleHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(title, SW_HIDE);
  SetWindowPos(icon, nullptr, m, 2 * m + kTitleHeight, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT icon_rect = {0, 0, 0, 0};
  GetClientRect(icon, &icon_rect);
  const int icon_width = icon_rect.right - icon_rect.left;
  SetWindowPos(text, nullptr, icon_width + 2 * m, 2 * m + kTitleHeight, width_ - 3 * m - icon_width,
               height_ - 3 * m - kTitleHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(strip, nullptr, 0, 0, width_ - 2, kTitleHeight, SWP_NOZORDER | SWP_NOACTIVATE);

  // The title strip: bitmap 230 tiled over the toast's width.
  title_strip_.Reset();
  KestrinWinNS::CScopedClientDC screen(nullptr);
  title_strip_.Reset(CreateCompatibleBitmap(screen.Get(), width_, kTitleHeight));
  KestrinWinNS::CScopedMemoryDC memory = KestrinWinNS::CreateMemoryDC(screen.Get());
  KestrinWinNS::CScopedBitmap pattern(
      LoadBitmapA(GetWarningResourceModule(), MAKEINTRESOURCEA(IDB_WARNING_TITLE_STRIP)));
  if (title_strip_ && memory && pattern) {
    KestrinWinNS::CScopedBrush brush(CreatePatternBrush(pattern.Get()));
    KestrinWinNS::CSelectObject selected(memory.Get(), title_strip_.Get());
    RECT all = {0, 0, width_, kTitleHeight};
    FillRect(memory.Get(), &all, brush.Get());
  }
}

void CWarningWindowBase::DrawItem(const DRAWITEMSTRUCT* item) {
  if (!item) return;
  if (item->CtlID == IDC_WARNING_TITLE_STRIP) {
    if (!title_strip_) return;
    KestrinWinNS::CScopedMemoryDC memory = KestrinWinNS::CreateMemoryDC(item->hDC);
    KestrinWinNS::CSelectObject selected(memory.Get(), title_strip_.Get());
    const RECT& r = item->rcItem;
    BitBlt(item->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(), 0, 0, SRCCOPY);
  } else if (item->CtlID == IDC_WARNING_TITLE) {
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    SetTextColor(dc, kTitleTextColour);
    KestrinWinNS::CSelectObject brush(dc, background_brush_.Get());
    KestrinWinNS::CSelectObject pen(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, r.left, r.top, r.right + 1, r.bottom + 1);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, title_.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// ---------------------------------------------------------------------------------------------
// CMutexWarningWindow

CMutexWarningWindow::CMutexWarningWindow(COLORREF background, const char* mutex_name)
    : CWarningWindowBase(background, ""),
      mutex_(new UtilityClassesNS::CMutexHolder(mutex_name, kMutexWaitMs)) {
  animation_routine_ = &CMutexWarningWindow::SlideAndNotifyRoutine;
}

CMutexWarningWindow::~CMutexWarningWindow() {
  // Gives the mutex back before the window goes.
  mutex_.reset();
}

BOOL CMutexWarningWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam, LRESULT& result) {
  if (message == kMsgHideAnimationDone) {
    OnHideAnimationDone();
    result = 0;
    return TRUE;
  }
  if (message == WM_ACTIVATE) {
    if (LOWORD(wparam) == WA_ACTIVE && focus_window_) SetForegroundWindow(focus_window_);
    result = 0;
    return TRUE;
  }
  return CWarningWindowBase::ProcessWindowMessage(window, message, wparam, lparam, result);
}

HWND CMutexWarningWindow::CreateWithFocusWindow(HWND focus, LPARAM init) {
  focus_window_ = focus;
  return Create(init);
}

bool CMutexWarningWindow::Show() {
  if (window_ && IsWindowVisible(window_)) return true;
  // 1: another toast of this kind is up (in this or another process), or this one holds it.
  if (mutex_->Lock() == 1) return false;
  if (CWarningWindowBase::Show()) return true;
  ReleaseMutex();  // nothing is shown, so nothing may keep the others out
  return false;
}

void CMutexWarningWindow::ReleaseMutex() { mutex_->Unlock(); }

void CMutexWarningWindow::OnHideAnimationDone() { ReleaseMutex(); }

void CMutexWarningWindow::OnLButtonDown() {
  ReleaseMutex();
  CWarningWindowBase::OnLButtonDown();
}

void CMutexWarningWindow::OnRButtonDown() {
  ReleaseMutex();
  CWarningWindowBase::OnRButtonDown();
}

void CMutexWarningWindow::Destroy() {
  ReleaseMutex();
  CWarningWindowBase::Destroy();
}

void CMutexWarningWindow::SlideAndNotifyRoutine(CThreadHelper* helper, void*) {
  bool slid_in = true;
  if (!Slide(helper, &slid_in) || slid_in) return;
  // The mutex is released on the window's own thread, which took it.
  helper->Lock();
  CWarningWindowBase* self = static_cast<CWarningWindowBase*>(helper->GetOwner());
  if (self && self->GetWindow() && !self->IsShowing()) {
    PostMessageA(self->GetWindow(), kMsgHideAnimationDone, 0, 0);
  }
  helper->Unlock();
}

// ---------------------------------------------------------------------------------------------
// The two toasts

CConnectionWarningWindow::CConnectionWarningWindow()
    : CMutexWarningWindow(RGB(0xE7, 0xEF, 0xFF), kConnectionWarningMutex) {
  animation_ms_ = 2000;
  display_ms_ = 5000;
  width_ = 200;
  height_ = 200;
  text_ =
      "Kestrin is unable to connect the Ostrada database to retrieve NLR information for this site."
      "\r\nPlease check your network connection and firewall settings.";
}

CFullScreenWarningWindow::CFullScreenWarningWindow()
    : CMutexWarningWindow(RGB(0xFF, 0xFF, 0xFF), kFullScreenWarningMutex) {
  animation_ms_ = 2000;
  display_ms_ = 4000;
  width_ = 200;
  height_ = 120;
  text_ =
      "Your browser has opened this page in full screen mode.  The web page may be able to "
      "reproduce the green border in full screen mode.";
}

}  // namespace WarningWindowNS
