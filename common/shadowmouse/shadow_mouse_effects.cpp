#include <math.h>

#include "common/shadowmouse/shadow_mouse.h"

namespace ShadowMouseNS {

namespace {

const char kEffectWindowClass[] = "Torvan_ZNR_Shadow_Timer_Class";
const UINT kWatchPointerMs = 10;
const UINT kBlinkFirstMs = 1;
const UINT kShortPathInterval = 50;
const int kShortPathSteps = 21;

}  // namespace

// ---------------------------------------------------------------------------------------------
// CShadowMouseEffectsBase

CShadowMouseEffectsBase::CShadowMouseEffectsBase(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine)
    : engine_(engine), settings_(SettingsUtilsNS::kLoadGroupMouseEffect), bitmap_id_(bitmap_id), browser_(browser) {
  colour_ = settings_.m_BorderColour;
  kraida_state_ = settings_.m_CurrentKRAIDAState;
  kraida_delay_ = settings_.m_KRAIDAValidatingFor * 1000;
  ChooseEndAction();
  bitmap_.Reset(static_cast<HBITMAP>(
      LoadImageA(GetPointerResourceModule(), MAKEINTRESOURCEA(bitmap_id_), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info;
  if (bitmap_ && GetObjectA(bitmap_.Get(), sizeof(info), &info) == sizeof(info)) {
    pointer_width_ = info.bmWidth;
    pointer_height_ = info.bmHeight;
  }
}

CShadowMouseEffectsBase::~CShadowMouseEffectsBase() {
  // No more settings notices, and no more calls into the derived part while the window goes.
  subscription_.reset();
  DestroyUnbound();
}

bool CShadowMouseEffectsBase::ProcessCommonMessage(UINT message, LRESULT& result) {
  if (message != kMsgSettingsChanged) return false;
  ReadSettings();
  result = 0;
  return true;
}

bool CShadowMouseEffectsBase::CreateEffectWindows() {
  if (!GetHwnd() && RegisterEffectClass(kEffectWindowClass, 0, nullptr, nullptr))
    Create(kEffectWindowClass, 0, WS_CHILD, RECT{}, HWND_MESSAGE);
  if (!shape_) shape_.Reset(CreateShapeRegion(bitmap_.Get()));
  if (GetHwnd() && !subscription_) {
    subscription_.reset(new ObserveNS::CObserverSubscription(ObserveNS::CObserverService::GetInstance(),
                                                             ObserveNS::kEventSettingsChanged, this));
  }
  return GetHwnd() && shape_;
}

void CShadowMouseEffectsBase::Reset() {
  shape_.Reset();
  bitmap_.Reset();
  running_ = false;
  end_action_ = kEndAfterDelay;
  end_delay_ = 0;
  colour_ = kDefaultEffectColour;
  show_border_at_start_ = 1;
  pointer_width_ = pointer_height_ = 0;
  start_ = end_ = POINT{0, 0};
}

void CShadowMouseEffectsBase::Notify(DWORD event) {
  if (event != ObserveNS::kEventSettingsChanged) return;
  HWND window = GetHwnd();
  if (window) PostMessageA(window, kMsgSettingsChanged, 0, 0);
}

void CShadowMouseEffectsBase::ReadSettings() {
  if (!settings_.Reload(SettingsUtilsNS::kLoadGroupMouseEffect)) return;
  colour_ = settings_.m_BorderColour;
  kraida_state_ = settings_.m_CurrentKRAIDAState;
  kraida_delay_ = settings_.m_KRAIDAValidatingFor * 1000;
}

void CShadowMouseEffectsBase::ChooseEndAction() {
  if (kraida_state_ == 0) {
    end_action_ = kEndOnPointerMove;
  } else if (kraida_state_ == 1) {
    end_action_ = kEndAfterDelay;
    end_delay_ = kraida_delay_;
  }
}

bool CShadowMouseEffectsBase::PointerMoved() {
  POINT now;
  if (!GetCursorPos(&now)) return false;
  bool moved = last_pointer_.x >= 0 && last_pointer_.y >= 0 && (now.x != last_pointer_.x || now.y != last_pointer_.y);
  last_pointer_ = now;
  return moved;
}

// ---------------------------------------------------------------------------------------------
// CMovingMouse

CMovingMouse::CMovingMouse(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine)
    : CShadowMouseEffectsBase(browser, bitmap_id, engine) {
  CreateEffectWindows();
  const double w = pointer_width_ + 2, h = pointer_height_ + 2;
  step_length_ = static_cast<float>(sqrt(h * h + w * w));
  const double sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  AddTrailPointers(static_cast<size_t>(static_cast<int>(sqrt(sw * sw + sh * sh) / step_length_) + 1));
  next_ = trail_.begin();
}

CMovingMouse::~CMovingMouse() {}

const CFakeCursor* CMovingMouse::GetTrailPointer(size_t index) const {
  for (const auto& pointer : trail_) {
    if (index-- == 0) return pointer.get();
  }
  return nullptr;
}

bool CMovingMouse::AddTrailPointers(size_t count) {
  for (size_t i = 0; i < count; ++i) {
    std::unique_ptr<CFakeCursor> pointer(new CFakeCursor());
    pointer->SetFillColour(colour_);
    pointer->SetOutline(true);
    RECT rect = {0, 0, pointer_width_, pointer_height_};
    if (!pointer->Create(rect, shape_.Get())) return false;
    trail_.push_back(std::move(pointer));
  }
  return true;
}

COLORREF CMovingMouse::ColourAt(float r) const {
  int channel[3];
  for (int c = 0; c < 3; ++c) {
    float value = 255.0f - static_cast<float>(tint_[c]) - rate_[c] * r;
    channel[c] = value > 0 ? static_cast<int>(value) : 0;
  }
  return RGB(channel[0], channel[1], channel[2]);
}

void CMovingMouse::PreparePath() {
  current_ = start_;
  ChooseEndAction();
  const float dx = static_cast<float>(end_.x - start_.x), dy = static_cast<float>(end_.y - start_.y);
  path_length_ = sqrtf(dy * dy + dx * dx);
  step_count_ = static_cast<int>(path_length_ / step_length_);
  // n steps of the adjusted length make the whole path; a path shorter than one step has none.
  float step = step_length_;
  if (step_count_ > 0) step = step_length_ + (path_length_ - static_cast<float>(step_count_) * step_length_) / step_count_;
  if (path_length_ > 0) {
    step_x_ = dx / path_length_ * step;
    step_y_ = dy / path_length_ * step;
  } else {
    step_x_ = step_y_ = 0;
  }
  show_interval_ = hide_interval_ = step_count_ < kShortPathSteps ? kShortPathInterval : 1000 / step_count_;
  if (static_cast<int>(trail_.size()) < step_count_) AddTrailPointers(step_count_ - trail_.size() + 1);

  for (int c = 0; c < 3; ++c) {
    const int value = static_cast<int>((colour_ >> (8 * c)) & 0xFF);
    tint_[c] = (255 - value) / 4;
    rate_[c] = path_length_ > 0 ? static_cast<float>(tint_[c]) / path_length_ * 3 : 0.0f;
  }
  travelled_x_ = travelled_y_ = 0;
  current_colour_ = ColourAt(0);
  shown_ = 0;
  hidden_ = -1;
  hiding_ = done_ = false;
}

bool CMovingMouse::Start() {
  if (running_) return false;
  running_ = true;
  PreparePath();
  next_ = trail_.begin();
  if (show_border_at_start_ && engine_) engine_->ShowBorderForEffect();
  SetTimer(GetHwnd(), kTimerShowTrail, show_interval_, nullptr);
  return true;
}

void CMovingMouse::OnShowTick() {
  if (shown_ < step_count_) {
    if (next_ == trail_.end()) return;  // the trail ran out: nothing more to show until stopped
    CFakeCursor* pointer = next_->get();
    pointer->SetFillColour(current_colour_);
    pointer->MoveTo(current_);
    pointer->Show(true);
    pointer->Paint();
    ++shown_;
    ++next_;
    travelled_x_ += step_x_;
    travelled_y_ += step_y_;
    // The start point is read at every step: a new start moves the rest of the trail.
    current_.x = start_.x + static_cast<int>(travelled_x_);
    current_.y = start_.y + static_cast<int>(travelled_y_);
    current_colour_ = ColourAt(sqrtf(travelled_x_ * travelled_x_ + travelled_y_ * travelled_y_));
  }
  if (shown_ < step_count_) return;
  KillTimer(GetHwnd(), kTimerShowTrail);
  hiding_ = true;
  next_ = trail_.begin();
  hidden_ = -1;
  SetTimer(GetHwnd(), kTimerHideTrail, hide_interval_, nullptr);
}

void CMovingMouse::OnHideTick() {
  if (hidden_ + 1 < shown_) {
    if (next_ != trail_.end()) {
      (*next_)->Show(false);
      ++next_;
    }
    ++hidden_;
  }
  if (hidden_ + 1 < shown_) return;
  KillTimer(GetHwnd(), kTimerHideTrail);
  done_ = true;
  switch (end_action_) {
    case kEndAfterDelay:
      SetTimer(GetHwnd(), kTimerEndDelay, end_delay_, nullptr);
      break;
    case kEndAtOnce:
      Stop();
      break;
    case kEndOnPointerMove:
      last_pointer_ = POINT{-1, -1};
      SetTimer(GetHwnd(), kTimerWatchPointer, kWatchPointerMs, nullptr);
      break;
    default:
      break;
  }
}

void CMovingMouse::OnPointerWatch() {
  if (!PointerMoved()) return;
  KillTimer(GetHwnd(), kTimerWatchPointer);
  Stop();
}

BOOL CMovingMouse::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (ProcessCommonMessage(message, result)) return TRUE;
  if (message != WM_TIMER) return FALSE;
  result = 0;
  switch (wparam) {
    case kTimerShowTrail:
      OnShowTick();
      break;
    case kTimerHideTrail:
      OnHideTick();
      break;
    case kTimerEndDelay:
      KillTimer(GetHwnd(), kTimerEndDelay);
      Stop();
      break;
    case kTimerWatchPointer:
      OnPointerWatch();
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

bool CMovingMouse::Stop() {
  if (!running_) return false;
  KillTimer(GetHwnd(), kTimerShowTrail);
  KillTimer(GetHwnd(), kTimerHideTrail);
  KillTimer(GetHwnd(), kTimerEndDelay);
  KillTimer(GetHwnd(), kTimerWatchPointer);
  if (engine_) engine_->HideBorderForEffect();
  for (auto& pointer : trail_) {
    if (pointer->GetWindow() && IsWindowVisible(pointer->GetWindow())) pointer->Show(false);
  }
  shown_ = 0;
  hidden_ = -1;
  step_count_ = 0;
  path_length_ = 0;
  step_x_ = step_y_ = 0;
  travelled_x_ = travelled_y_ = 0;
  for (int c = 0; c < 3; ++c) {
    rate_[c] = 0;
    tint_[c] = 0;
  }
  current_colour_ = 0;
  show_interval_ = hide_interval_ = 0;
  hiding_ = done_ = false;
  last_pointer_ = POINT{-1, -1};
  next_ = trail_.begin();
  running_ = false;
  return true;
}

// ---------------------------------------------------------------------------------------------
// CShadowMouseBlinking

CShadowMouseBlinking::CShadowMouseBlinking(HWND browser, UINT bitmap_id, CShadowMouseEngine* engine)
    : CShadowMouseEffectsBase(browser, bitmap_id, engine), pointer_(new CFakeCursor()) {
  CreateEffectWindows();
  pointer_->SetFillColour(RGB(0, 0, 0));
  pointer_->SetOutline(true);
  RECT rect = {0, 0, pointer_width_, pointer_height_};
  pointer_->Create(rect, shape_.Get());
}

CShadowMouseBlinking::~CShadowMouseBlinking() {}

bool CShadowMouseBlinking::Start() {
  if (running_) return false;
  running_ = true;
  pointer_->SetFillColour(colour_);
  ChooseEndAction();
  blinks_done_ = 0;
  pointer_->MoveTo(end_);
  SetTimer(GetHwnd(), kTimerBlink, kBlinkFirstMs, nullptr);
  if (show_border_at_start_ && engine_) engine_->ShowBorderForEffect();
  return true;
}

void CShadowMouseBlinking::OnBlinkTick() {
  KillTimer(GetHwnd(), kTimerBlink);
  if (!visible_) {
    pointer_->Show(true);
    pointer_->Paint();
    visible_ = true;
    SetTimer(GetHwnd(), kTimerBlink, on_time_, nullptr);
    return;
  }
  ++blinks_done_;
  if (blinks_done_ <= blink_count_) {
    pointer_->Show(false);
    visible_ = false;
    SetTimer(GetHwnd(), kTimerBlink, off_time_, nullptr);
    return;
  }
  // Shown for the last time: it stays until the ending.
  switch (end_action_) {
    case kEndAfterDelay:
      SetTimer(GetHwnd(), kTimerEndDelay, end_delay_, nullptr);
      break;
    case kEndAtOnce:
      pointer_->Show(false);
      visible_ = false;
      break;
    case kEndOnPointerMove:
      last_pointer_ = POINT{-1, -1};
      SetTimer(GetHwnd(), kTimerWatchPointer, kWatchPointerMs, nullptr);
      break;
    default:
      break;
  }
}

void CShadowMouseBlinking::EndNow() {
  if (engine_) engine_->HideBorderForEffect();
  pointer_->Show(false);
  visible_ = false;
  KillTimer(GetHwnd(), kTimerEndDelay);
  KillTimer(GetHwnd(), kTimerWatchPointer);
  running_ = false;
}

BOOL CShadowMouseBlinking::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (ProcessCommonMessage(message, result)) return TRUE;
  if (message != WM_TIMER) return FALSE;
  result = 0;
  switch (wparam) {
    case kTimerBlink:
      OnBlinkTick();
      break;
    case kTimerEndDelay:
      EndNow();
      break;
    case kTimerWatchPointer:
      if (PointerMoved()) EndNow();
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

bool CShadowMouseBlinking::Stop() {
  if (!running_) return false;
  KillTimer(GetHwnd(), kTimerBlink);
  KillTimer(GetHwnd(), kTimerEndDelay);
  KillTimer(GetHwnd(), kTimerWatchPointer);
  if (engine_) engine_->HideBorderForEffect();
  if (visible_) pointer_->Show(false);
  visible_ = false;
  blinks_done_ = 0;
  running_ = false;
  return true;
}

}  // namespace ShadowMouseNS
