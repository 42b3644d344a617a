#include "common/shadowmouse/shadow_mouse.h"
#include "common/windowing/validation_border.h"

namespace ShadowMouseNS {

CShadowMouseEffectsBase* CShadowMouseEffectCache::GetEffect(int kind) {
  const DWORD bit = kind >= 0 && kind < 32 ? 1u << kind : 0;
  if (!(created_ & bit)) {
    std::unique_ptr<CShadowMouseEffectsBase> effect;
    if (kind == kEffectMoving) effect.reset(new CMovingMouse(browser_, bitmap_id_, engine_));
    if (kind == kEffectBlinking) effect.reset(new CShadowMouseBlinking(browser_, bitmap_id_, engine_));
    effects_[kind] = std::move(effect);
    created_ |= bit;
  }
  auto found = effects_.find(kind);
  return found == effects_.end() ? nullptr : found->second.get();
}

CShadowMouseEngine::CShadowMouseEngine()
    : settings_(SettingsUtilsNS::kLoadGroupNone), cache_(new CShadowMouseEffectCache(kPointerBitmapId)) {
  effect_kind_ = static_cast<LONG>(settings_.GetShowCursorType(true));
  subscription_.reset(new ObserveNS::CObserverSubscription(ObserveNS::CObserverService::GetInstance(),
                                                           ObserveNS::kEventSettingsChanged, this));
}

CShadowMouseEngine::~CShadowMouseEngine() {
  subscription_.reset();
  if (current_ && current_->IsRunning()) current_->Stop();
  current_ = nullptr;
  shape_.Reset();
  cache_.reset();
}

void CShadowMouseEngine::Initialize(WindowingNS::CValidationBorder* border, HWND browser) {
  border_ = border;
  browser_ = browser;
  cache_->SetBrowserWindow(browser);
}

void CShadowMouseEngine::SetBorderCaption(const char* caption) {
  caption_ = caption ? caption : "";
  if (border_) border_->SetCaptionText(caption_.c_str());
}

bool CShadowMouseEngine::StartEffect(POINT from, POINT to) {
  start_ = from;
  end_ = to;
  running_ = true;
  if (!shape_) {
    KestrinWinNS::CScopedBitmap bitmap(static_cast<HBITMAP>(LoadImageA(
        GetPointerResourceModule(), MAKEINTRESOURCEA(kPointerBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    shape_.Reset(CreateShapeRegion(bitmap.Get()));
  }
  if (!shape_) return false;
  cache_->SetBrowserWindow(browser_);
  cache_->SetEngine(this);
  const int kind = effect_kind_ == 1 ? kEffectBlinking : kEffectMoving;
  CShadowMouseEffectsBase* effect = cache_->GetEffect(kind);
  // The other kind may still be running when the setting changed in between.
  if (current_ && current_ != effect && current_->IsRunning()) current_->Stop();
  current_ = effect;
  if (!effect) return true;
  effect->SetPoints(from, to);
  effect->Start();
  return true;
}

void CShadowMouseEngine::StopEffect() {
  running_ = false;
  if (current_ && current_->IsRunning()) current_->Stop();
  start_ = end_ = POINT{0, 0};
}

void CShadowMouseEngine::Notify(DWORD event) {
  if (event != ObserveNS::kEventSettingsChanged) return;
  InterlockedExchange(&effect_kind_, static_cast<LONG>(settings_.GetShowCursorType(true)));
}

bool CShadowMouseEngine::ShowBorderForEffect() {
  if (!border_) return false;
  if (border_->IsBorderVisible()) return true;
  return border_->ShowBorder(WindowingNS::BorderKind::kVerification, true, true) == 1;
}

bool CShadowMouseEngine::HideBorderForEffect() {
  if (!border_) return false;
  if (!border_->IsBorderVisible()) return true;
  return border_->HideBorder(WindowingNS::HideOrigin::kPointer, true) == 1;
}

}  // namespace ShadowMouseNS
