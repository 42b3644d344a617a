#include "toolkit/commandbars/control.h"

#include <mmsystem.h>

#include <algorithm>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControl, CCmdTarget)

bool TKLoadCommandPrompt(int id, std::wstring* prompt) {
  if (id <= 0 || id > 0xFFFF) return false;
  wchar_t buffer[512];
  int n = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer, 512);
  if (n <= 0) return false;
  prompt->assign(buffer, n);
  return true;
}

namespace {
std::wstring Field(const std::wstring& text, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t lf = text.find(L'\n', start);
    if (lf == std::wstring::npos) return L"";
    start = lf + 1;
  }
  size_t end = text.find(L'\n', start);
  return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

// Splits a prompt into tooltip, description and caption as the prompt setters do.
void SplitPrompt(const std::wstring& prompt, std::wstring* tooltip, std::wstring* description,
                 std::wstring* caption) {
  if (prompt.find(L'\n') == std::wstring::npos) {
    *tooltip = *description = prompt;
    if (caption->empty()) *caption = prompt;
    return;
  }
  *description = Field(prompt, 0);
  *tooltip = Field(prompt, 1);
  if (caption->empty()) {
    std::wstring third = Field(prompt, 2);
    *caption = third.empty() ? *tooltip : third;
  }
}
}  // namespace

CTKControl::CTKControl() = default;

CTKControl::~CTKControl() {
  if (action_) {
    auto& list = action_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    action_ = nullptr;
  }
}

int CTKControl::GetStyle() const {
  if (custom_style_ != -1) return custom_style_;
  if (style_) return style_;
  if (style_third_) return style_third_;
  return parent_ ? parent_->GetDefaultButtonStyle() : 0;
}

void CTKControl::DelayLayoutParent() {
  if (parent_) parent_->DelayLayout();
}

void CTKControl::RedrawParent() {
  if (!parent_ || !parent_->GetSafeHwnd() || !IsVisible()) return;
  parent_->InvalidateRect(&rect_, false);
}

bool CTKControl::IsVisible() const { return hide_flags_ == 0 && (!action_ || action_->IsVisible()); }

void CTKControl::SetVisible(bool visible) { SetHideFlag(kHideShow, !visible); }

void CTKControl::SetHideFlag(int flag, bool on) {
  int flags = on ? (hide_flags_ | flag) : (hide_flags_ & ~flag);
  if (flags != hide_flags_) {
    SetHideFlags(flags);
    DelayLayoutParent();
  }
}

void CTKControl::SetCaption(const std::wstring& text) {
  std::wstring caption = text;
  size_t tab = caption.find(L'\t');
  if (tab != std::wstring::npos) {
    std::wstring shortcut = caption.substr(tab + 1);
    if (shortcut != caption_shortcut_) {
      caption_shortcut_ = shortcut;
      DelayLayoutParent();
    }
    caption.resize(tab);
  }
  if (caption != caption_) {
    caption_ = caption;
    DelayLayoutParent();
  }
}

void CTKControl::SetPrompt(const std::wstring& prompt) {
  if (prompt.empty()) return;
  std::wstring caption = caption_;
  SplitPrompt(prompt, &tooltip_, &description_, &caption);
  if (caption != caption_) SetCaption(caption);
}

void CTKControl::SetID(int id) {
  if (id_ == id) return;
  id_ = id;
  std::wstring prompt;
  if (TKLoadCommandPrompt(id, &prompt)) SetPrompt(prompt);
}

int CTKControl::GetEffectiveIconId() const {
  if (custom_icon_id_) return custom_icon_id_;
  if (icon_id_ > 0) return icon_id_;
  if (action_) return action_->GetIconId() > 0 ? action_->GetIconId() : action_->GetID();
  return id_;
}

std::wstring CTKControl::GetShortcutText() const {
  if (!shortcut_text_.empty()) return shortcut_text_;
  if (action_ && !action_->GetShortcutText().empty()) return action_->GetShortcutText();
  return caption_shortcut_;
}

std::wstring CTKControl::GetCaption() const {
  if (!caption_.empty()) return caption_;
  return action_ ? action_->GetCaption() : std::wstring();
}

std::wstring CTKControl::GetDescription() const {
  if (!description_.empty()) return description_;
  return action_ ? action_->GetDescription() : std::wstring();
}

std::wstring CTKControl::GetTooltip() const {
  if (!tooltip_.empty()) return tooltip_;
  return action_ ? action_->GetTooltip() : std::wstring();
}

CTKPaintManager* CTKControl::GetPaintManager() const {
  if (parent_) return parent_->GetPaintManager();
  if (controls_ && controls_->GetManager()) return controls_->GetManager()->GetPaintManager();
  return GlobalPaintManager();
}

CTKImageManager* CTKControl::GetImageManager() const {
  if (parent_) return parent_->GetImageManager();
  if (controls_ && controls_->GetManager()) return controls_->GetManager()->GetImageManager();
  return &CTKImageManager::Instance();
}

CTKImageManagerIcon* CTKControl::GetIcon(int width) const {
  int id = GetEffectiveIconId();
  if (id <= 0) return nullptr;
  return GetImageManager()->GetImage(static_cast<UINT>(id), width);
}

bool CTKControl::GetEnabled() const {
  if (enabled_ != -1) return enabled_ != 0;
  if (!action_) return true;
  if (action_->Owner() && action_->Owner()->Manager() && action_->Owner()->Manager()->IsCustomizeMode()) return true;
  return action_->GetEnabled();
}

int CTKControl::GetChecked() const {
  if (checked_ != -1) return checked_;
  return action_ ? action_->GetChecked() : 0;
}

void CTKControl::SetEnabled(bool enabled) {
  if (enabled_ == -1 && action_) {
    action_->SetEnabled(enabled);
    return;
  }
  if (enabled_ != (enabled ? 1 : 0)) {
    enabled_ = enabled ? 1 : 0;
    RedrawParent();
  }
}

void CTKControl::SetChecked(int checked) {
  if (checked_ == -1 && action_) {
    action_->SetChecked(checked);
    return;
  }
  if (checked_ != checked) {
    checked_ = checked;
    RedrawParent();
  }
}

bool CTKControl::IsCustomizeMode() const {
  if (parent_ && parent_->IsCustomizeMode() && !(flags_ & kFlagNoCustomize)) return true;
  CTKCommandBarManager* manager = parent_ ? parent_->GetCommandBarManager() : (controls_ ? controls_->GetManager() : nullptr);
  return manager && manager->IsCustomizeMode();
}

bool CTKControl::IsCaptionVisible() const {
  if (parent_ && parent_->GetType() == kPopupBar) return true;
  if (GetCaption().empty()) return false;
  switch (GetStyle()) {
    case 1:
    case 3:
    case 4:
      return true;
    case 2:
      return false;
    default:
      break;
  }
  switch (type_) {
    case kButton:
    case kButtonPopup:
    case kSplitButtonPopup:
      return GetIcon(16) == nullptr;
    case kPopupControl:
    case kLabel:
    case kCheckBox:
    case kRadioButton:
      return true;
    default:
      return false;
  }
}

bool CTKControl::IsEqual(const CTKControl* other) const {
  if (!other) return false;
  return GetStyle() == other->GetStyle() && type_ == other->type_ && id_ == other->id_ && flags_ == other->flags_ &&
         begin_group_ == other->begin_group_ && GetEffectiveIconId() == other->GetEffectiveIconId() &&
         GetCaption() == other->GetCaption() && GetTooltip() == other->GetTooltip() &&
         GetDescription() == other->GetDescription() && custom_caption_ == other->custom_caption_ &&
         parameter_ == other->parameter_ && custom_style_ == other->custom_style_ &&
         (hide_flags_ & kHideCompared) == (other->hide_flags_ & kHideCompared) && width_ == other->width_;
}

LRESULT CTKControl::NotifySite(int code) {
  HWND owner = parent_ ? parent_->GetOwnerSite() : nullptr;
  if (!owner) return 0;
  NMTKCONTROL record{};
  record.hdr.hwndFrom = nullptr;
  record.hdr.idFrom = static_cast<UINT_PTR>(id_);
  record.hdr.code = static_cast<UINT>(code);
  record.control = this;
  LRESULT answer = ::SendMessageW(owner, kMsgControlNotify, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&record));
  if (answer) return answer;
  CWnd* target = CWnd::FromHandlePermanent(owner);
  LRESULT result = 0;
  if (target && target->OnCmdMsg(static_cast<UINT>(id_), MAKELONG(code, WM_NOTIFY), &record, &result, true))
    return record.result;
  return 0;
}

void CTKControl::OnExecute() {
  CTKSoundThread::Instance().Request(CTKSoundThread::kCommand);
  pressed_ = (parent_ && parent_->GetPosition() == kPopup) ? 0 : 2;
  CTKCommandBarManager* manager = parent_ ? parent_->GetCommandBarManager() : nullptr;
  if (manager) manager->RecordUsed(id_);
  AddRef();
  CTKCommandBar* bar = parent_;
  if (close_submenu_ && bar) {
    if (bar->IsTrackingMode())
      bar->GetRootParent()->SetTrackingMode(0, false, false);
    else if (manager)
      manager->ClosePopups();
  }
  if (id_ != 0) {
    // A modal popup that returns its choice takes the command instead of the site.
    if (manager && manager->TakeReturnedCommand(id_)) {
    } else if (!NotifySite(kNotifyExecute)) {
      HWND site = bar ? bar->GetOwnerSite() : nullptr;
      if (site) ::SendMessageW(site, WM_COMMAND, static_cast<WPARAM>(static_cast<WORD>(id_)), 0);
    }
    if (!close_submenu_ || pressed_) {
      pressed_ = 0;
      if (bar) bar->SetLastPressed(this);
      RedrawParent();
    }
  }
  Release();
}

CSize CTKControl::GetSize(CDC* dc) { return GetPaintManager()->PaintControl(dc, this, false); }

void CTKControl::Draw(CDC* dc) { GetPaintManager()->PaintControl(dc, this, true); }

void CTKControl::OnClick(bool keyboard, CPoint pt) {
  if (GetEnabled()) OnExecute();
}

void CTKControl::OnMouseHover() {
  if (!parent_) return;
  bool closed = parent_->GetExpandedIndex() != -1;
  parent_->SetPopupOpen(-1, false);
  if (closed && parent_->GetTrackingMode() == 2 && parent_->GetPosition() != kPopup)
    parent_->SetTrackingMode(0, false, false);
}

void CTKControl::SetSelected(int selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  RedrawParent();
}

void CTKControl::SetAction(CTKControlAction* action) {
  if (action_ == action) return;
  if (action_) {
    auto& list = action_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    enabled_ = 1;
    checked_ = 0;
  }
  action_ = action;
  if (action_) {
    action_->controls_.push_back(this);
    id_ = action_->GetID();
    enabled_ = -1;
    checked_ = -1;
    caption_.clear();
    tooltip_.clear();
    description_.clear();
    category_.clear();
    shortcut_text_.clear();
  }
  DelayLayoutParent();
}

void CTKControl::Copy(const CTKControl* source, bool deep) {
  id_ = source->id_;
  SetAction(source->action_);
  tag_ = source->tag_;
  flags_ = source->flags_;
  type_ = source->type_;
  caption_ = source->caption_;
  caption_shortcut_ = source->caption_shortcut_;
  shortcut_text_ = source->shortcut_text_;
  tooltip_ = source->tooltip_;
  description_ = source->description_;
  parameter_ = source->parameter_;
  custom_icon_id_ = source->custom_icon_id_;
  icon_id_ = source->icon_id_;
  help_id_ = source->help_id_;
  temporary_ = source->temporary_;
  custom_caption_ = source->custom_caption_;
  category_ = source->category_;
  keyboard_tip_ = source->keyboard_tip_;
  hide_flags_ = source->hide_flags_;
  default_item_ = source->default_item_;
  enabled_ = source->enabled_;
  checked_ = source->checked_;
  custom_style_ = source->custom_style_;
  style_ = source->style_;
  width_ = std::max(source->width_, GetCustomizeMinWidth());
  height_ = source->height_;
  begin_group_ = source->begin_group_;
  close_submenu_ = source->close_submenu_;
  execute_interval_ = source->execute_interval_;
  assigned_docs_ = source->assigned_docs_;
  excluded_docs_ = source->excluded_docs_;
}

CTKControl* CTKControl::Clone(bool deep) const {
  CTKControl* copy = static_cast<CTKControl*>(GetRuntimeClass()->CreateObject());
  if (!copy) return nullptr;
  copy->Copy(this, deep);
  return copy;
}

bool CTKControl::ClickToolBarButton(CPoint start) {
  CTKCommandBar* bar = parent_;
  if (!bar || !bar->GetSafeHwnd()) return false;
  HWND hwnd = bar->GetSafeHwnd();
  bar->SetHotControl(index_, CTKCommandBar::kHotProgram);
  pressed_ = 1;
  RedrawParent();
  ::SetCapture(hwnd);
  const bool repeat = execute_interval_ > 0;
  if (repeat) {
    OnExecute();
    pressed_ = 1;
    TKSetTimer(hwnd, kExecuteOnPressTimer, static_cast<UINT>(execute_interval_));
  }
  AddRef();
  bool click = false;
  bool moved = false;
  MSG msg;
  // The loop waits for each message; it ends on the button's release, on a lost capture, on a
  // cancel key or on WM_QUIT (posted again for the outer loop).
  for (;;) {
    if (TKNextLoopMessage(hwnd, msg) != CTKLoopWake::kMessage) break;
    if (msg.message == WM_LBUTTONUP) {
      CPoint pt(static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam)));
      if (msg.hwnd != hwnd) {
        ::MapWindowPoints(msg.hwnd, hwnd, &pt, 1);
      }
      click = (GetSelected() != 0 && rect_.PtInRect(pt)) || !moved;
      break;
    }
    if (TKIsCancelMessage(msg) || msg.message == WM_RBUTTONDOWN) break;
    if (msg.message == WM_MOUSEMOVE) {
      CPoint pt(static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam)));
      if (msg.hwnd != hwnd) ::MapWindowPoints(msg.hwnd, hwnd, &pt, 1);
      if (pt != start) moved = true;
      bool inside = rect_.PtInRect(pt) != 0;
      if (inside != (GetSelected() != 0)) {
        bar->SetHotControl(inside ? index_ : -1, CTKCommandBar::kHotProgram);
        pressed_ = inside ? 1 : 0;
        RedrawParent();
      }
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kExecuteOnPressTimer) {
      if (GetSelected()) {
        OnExecute();
        pressed_ = 1;
      }
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (repeat) TKKillTimer(hwnd, kExecuteOnPressTimer);
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  pressed_ = 0;
  if (::IsWindow(hwnd)) {
    bar->SetLastPressed(this);
    bar->SetHotControl(-1, CTKCommandBar::kHotProgram);
    RedrawParent();
  }
  bool executes = click && !repeat && ::IsWindow(hwnd);
  if (executes) OnExecute();
  Release();
  return click;
}

// ---------------------------------------------------------------------------------------------
// Actions

CTKControlAction::CTKControlAction(CTKControlActions* owner, int id) : id_(id), owner_(owner) {
  std::wstring prompt;
  if (TKLoadCommandPrompt(id, &prompt)) {
    std::wstring unused = L"x";
    SplitPrompt(prompt, &tooltip_, &description_, &unused);
  }
}

CTKControlAction::~CTKControlAction() {
  std::vector<CTKControl*> controls = controls_;
  for (CTKControl* control : controls) control->SetAction(nullptr);
  if (owned_) owned_->InternalRelease();
}

bool CTKControlAction::GetEnabled() const { return enabled_; }

void CTKControlAction::RedrawControls() {
  for (CTKControl* control : controls_) control->RedrawParent();
}

void CTKControlAction::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  RedrawControls();
}

void CTKControlAction::SetChecked(int checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  RedrawControls();
}

void CTKControlAction::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  for (CTKControl* control : controls_) control->DelayLayoutParent();
}

void CTKControlAction::SetCaption(const std::wstring& text) {
  std::wstring caption = text.substr(0, text.find(L'\t'));
  if (caption == caption_) return;
  for (CTKControl* control : controls_) control->OnActionChanged(0);
  caption_ = caption;
  for (CTKControl* control : controls_) {
    control->OnActionChanged(1);
    control->DelayLayoutParent();
  }
  RedrawControls();
}

void CTKControlAction::SetPrompt(const std::wstring& prompt) {
  if (prompt.empty()) return;
  std::wstring caption = caption_;
  SplitPrompt(prompt, &tooltip_, &description_, &caption);
  if (caption != caption_) SetCaption(caption);
}

CTKControlActions::~CTKControlActions() {
  for (CTKControlAction* action : actions_) action->InternalRelease();
}

CTKControlAction* CTKControlActions::Find(int id) const {
  if (!IsActionId(id)) return nullptr;
  for (CTKControlAction* action : actions_)
    if (action->GetID() == id) return action;
  return nullptr;
}

CTKControlAction* CTKControlActions::Add(int id) {
  if (!IsActionId(id)) return nullptr;
  if (CTKControlAction* found = Find(id)) return found;
  CTKControlAction* action = new CTKControlAction(this, id);
  actions_.push_back(action);
  return action;
}

// ---------------------------------------------------------------------------------------------
// Sound thread

namespace {
BOOL PlaySystemSound(const wchar_t* alias, DWORD flags) {
  return ::PlaySoundW(alias, nullptr, alias ? flags : SND_PURGE);
}
}  // namespace

CTKSoundThread& CTKSoundThread::Instance() {
  static CTKSoundThread thread;
  return thread;
}

CTKSoundThread::~CTKSoundThread() { Stop(); }

void CTKSoundThread::Request(int sound) {
  if (!enabled_) return;
  if (!thread_) {
    stop_ = 0;
    if (!wake_) wake_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread_.Reset(::CreateThread(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, nullptr));
    if (!thread_) return;
    ::SetThreadPriority(thread_.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(thread_.Get());
  }
  ::InterlockedExchange(&request_, sound);
  ::SetEvent(wake_.Get());
}

DWORD WINAPI CTKSoundThread::ThreadProc(void* self) {
  static_cast<CTKSoundThread*>(self)->Run();
  return 0;
}

void CTKSoundThread::Run() {
  PlayFn play = play_ ? play_ : &PlaySystemSound;
  while (!stop_) {
    LONG request = ::InterlockedExchange(&request_, kNone);
    if (request == kCommand || request == kPopup) {
      play(request == kCommand ? L"MenuCommand" : L"MenuPopup",
           SND_ALIAS | SND_NODEFAULT | SND_SYNC | SND_NOWAIT);
      continue;
    }
    // Waits for the next request or the stop signal instead of polling.
    ::WaitForSingleObject(wake_.Get(), INFINITE);
  }
  play(nullptr, SND_PURGE);
}

void CTKSoundThread::Stop() {
  if (!thread_) return;
  ::InterlockedExchange(&stop_, 1);
  ::SetEvent(wake_.Get());
  // A sound being played is stopped so that the thread reaches its loop test and finishes.
  PlayFn play = play_ ? play_ : &PlaySystemSound;
  play(nullptr, SND_PURGE);
  ::WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  wake_.Reset();
}
