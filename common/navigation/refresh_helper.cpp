#include "common/navigation/refresh_helper.h"

#include <string.h>

#include "common/navigation/event_params.h"

namespace RefreshUtilsNS {

using ComHelpersNS::EventParam;
using ComHelpersNS::ParamNumber;
using ComHelpersNS::ParamUrl;

namespace {

const size_t kReservedUrls = 20;

}  // namespace

CRefreshHelperBase::CRefreshHelperBase(IRefreshHelperOwner* owner) : owner_(owner) {
  current_urls_.reserve(kReservedUrls);
  previous_urls_.reserve(kReservedUrls);
}

CRefreshHelperBase::~CRefreshHelperBase() {}

bool CRefreshHelperBase::HandleEvent(DISPID dispid, DISPPARAMS* params) {
  switch (dispid) {
    case kDispidBeforeNavigate2:
      OnBeforeNavigate2(params);
      event_state_ = event_state_ == kIdle ? kNavigating : kIdle;
      return true;
    case kDispidNavigateComplete2:
      OnNavigateComplete2(params);
      event_state_ = kIdle;
      return true;
    case kDispidDocumentComplete:
      OnDocumentComplete(params);
      event_state_ = kIdle;
      return true;
    case kDispidDownloadBegin:
      OnDownloadBegin();
      if (event_state_ == kNavigating) {
        event_state_ = kDownloading;
      } else {
        if (event_state_ == kDownloaded) {
          // BeforeNavigate2, DownloadBegin, DownloadComplete, DownloadBegin with nothing else
          // between: one navigation and its download are under way.
          if (current_urls_.size() > 1) current_urls_.resize(1);
          pending_navigations_ = 1;
          downloads_ = 1;
        }
        event_state_ = kIdle;
      }
      return true;
    case kDispidDownloadComplete:
      OnDownloadComplete();
      event_state_ = event_state_ == kDownloading ? kDownloaded : kIdle;
      return true;
    case kDispidProgressChange:
      OnProgressChange(params);
      event_state_ = kIdle;
      return true;
    case kDispidTitleChange:
      OnTitleChange();
      event_state_ = kIdle;
      return true;
    default:
      return false;
  }
}

void CRefreshHelperBase::Reset() {
  current_urls_.clear();
  previous_urls_.clear();
  pending_navigations_ = 0;
  downloads_ = 0;
}

void CRefreshHelperBase::OnBeforeNavigate2(DISPPARAMS* params) {
  // The URL is the second parameter of BeforeNavigate2.
  std::string url = ParamUrl(params, 1);
  if (url.size() >= 10 && _strnicmp(url.c_str(), "javascript", 10) == 0) {
    script_navigation_ = true;
  } else if (owner_) {
    owner_->OnBeforeNavigate2(params);
  }
  ++pending_navigations_;
  current_urls_.push_back(url);
}

void CRefreshHelperBase::OnDownloadBegin() { ++downloads_; }

void CRefreshHelperBase::OnDownloadComplete() { --downloads_; }

void CRefreshHelperBase::OnDocumentComplete(DISPPARAMS* params) {
  if (owner_) owner_->OnDocumentComplete(params);
}

void CRefreshHelperBase::OnTitleChange() { script_navigation_ = false; }

void CRefreshHelperBase::ProgressChange(DISPPARAMS* params, LONG open_downloads_allowed) {
  LONG progress = 0, progress_max = 0;
  if (!ParamNumber(params, 0, &progress) || !ParamNumber(params, 1, &progress_max)) return;

  if (progress > 0 && progress <= 100 && !script_navigation_) {
    refresh_suspected_ = true;
    if (owner_) owner_->OnRefreshStarted();
  }

  if (progress != 0 || progress_max != 0 || pending_navigations_ != 0 ||
      downloads_ > open_downloads_allowed) {
    return;
  }

  // A refresh repeats the previous page's navigations without the first one (the top-level
  // navigation): previous[i + 1] == current[i] for every i.
  if (previous_urls_.size() == current_urls_.size() + 1) {
    bool same = true;
    for (size_t i = 0; i < current_urls_.size(); ++i) {
      if (previous_urls_[i + 1] != current_urls_[i]) {
        same = false;
        break;
      }
    }
    if (same) {
      if (refresh_suspected_) {
        if (owner_) {
          owner_->SetEffectShown();
          owner_->OnRefreshDocumentComplete();
        }
        refresh_suspected_ = false;
      }
      current_urls_.clear();
      return;
    }
  }
  if (!current_urls_.empty()) previous_urls_ = current_urls_;
  if (refresh_suspected_) current_urls_.clear();
}

void CIE5RefreshHelper::OnNavigateComplete2(DISPPARAMS* params) {
  if (owner_) owner_->OnNavigateComplete2(params);
  --pending_navigations_;
}

void CIE5RefreshHelper::OnProgressChange(DISPPARAMS* params) { ProgressChange(params, 1); }

void CIE6RefreshHelper::OnNavigateComplete2(DISPPARAMS* params) {
  if (owner_) owner_->OnNavigateComplete2(params);
  --pending_navigations_;
}

void CIE6RefreshHelper::OnProgressChange(DISPPARAMS* params) { ProgressChange(params, 0); }

void CIE7RefreshHelper::OnNavigateComplete2(DISPPARAMS* params) {
  if (owner_) owner_->OnNavigateComplete2(params);
  if (pending_navigations_ > 0) --pending_navigations_;
}

void CIE7RefreshHelper::OnProgressChange(DISPPARAMS* params) { ProgressChange(params, 0); }

std::unique_ptr<CRefreshHelperBase> CreateRefreshHelper(IRefreshHelperOwner* owner,
                                                        SubclassUtilsNS::BrowserGeneration generation) {
  using SubclassUtilsNS::BrowserGeneration;
  switch (generation) {
    case BrowserGeneration::kIE5: return std::unique_ptr<CRefreshHelperBase>(new CIE5RefreshHelper(owner));
    case BrowserGeneration::kIE6: return std::unique_ptr<CRefreshHelperBase>(new CIE6RefreshHelper(owner));
    case BrowserGeneration::kIE7:
    case BrowserGeneration::kIE8: return std::unique_ptr<CRefreshHelperBase>(new CIE7RefreshHelper(owner));
    default: return nullptr;
  }
}

}  // namespace RefreshUtilsNS
