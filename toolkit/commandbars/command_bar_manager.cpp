#include "toolkit/commandbars/command_bar_manager.h"

#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"

CTKCommandBarManager::CTKCommandBarManager() : actions_(this) {}

CTKCommandBarManager::~CTKCommandBarManager() {
  HideKeyboardTips();
  if (customize_selection_) customize_selection_->Release();
  for (CTKCommandBar* bar : drop_targets_) bar->ForgetDropRegistry();
  drop_targets_.clear();
  std::vector<CTKToolBar*> bars;
  bars.swap(bars_);
  for (CTKToolBar* bar : bars) {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->SetCommandBarManager(nullptr);
    bar->Release();
  }
  if (paint_manager_) paint_manager_->Release();
}

CTKPaintManager* CTKCommandBarManager::GetPaintManager() const {
  return paint_manager_ ? paint_manager_ : GlobalPaintManager();
}

void CTKCommandBarManager::SetPaintManager(CTKPaintManager* manager) {
  if (manager) manager->AddRef();
  if (paint_manager_) paint_manager_->Release();
  paint_manager_ = manager;
}

CTKImageManager* CTKCommandBarManager::GetImageManager() const {
  return image_manager_ ? image_manager_ : &CTKImageManager::Instance();
}

void CTKCommandBarManager::ClosePopups() { CTKMouseManager::ThreadInstance()->CloseTrackedBars(); }

void CTKCommandBarManager::RecordUsed(int id) {
  if (id == 0) return;
  for (auto it = recent_.begin(); it != recent_.end(); ++it)
    if (*it == id) {
      recent_.erase(it);
      break;
    }
  recent_.push_back(id);
}
