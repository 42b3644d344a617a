// Reads a helper object's state for the tests of its internals; the object's public interface
// is what the browser calls.
#pragma once

#include "ie/kestrin_bho.h"

namespace KestrinIENS {

class CKestrinBhoTestPeer {
 public:
  explicit CKestrinBhoTestPeer(CKestrinBho* bho) : bho_(bho) {}

  BrowserKind GetBrowserKind() const { return bho_->kind_; }
  SubclassUtilsNS::BrowserGeneration GetBrowserVersionUsed() const { return bho_->browser_version_; }
  bool IsSameProcess() const { return bho_->same_process_; }
  bool IsDocumentComplete() const { return bho_->document_complete_; }
  bool IsEffectShown() const { return bho_->effect_shown_; }
  bool IsFrameRegistered() const { return bho_->frame_registered_; }
  DWORD GetBrowserEventCookie() const { return bho_->browser_cookie_; }
  size_t GetElementConnectionCount() const { return bho_->element_connections_.size(); }
  LONG GetNavigationCounter() const { return bho_->navigation_counter_; }
  // Top-level NavigateComplete2 events that were acted on.
  int GetNavigationsHandled() const { return bho_->navigations_handled_; }
  DWORD GetCachedKRAIDAState() const { return bho_->kraida_state_; }
  // The toasts are made when first needed; asking for one makes it.
  WarningWindowNS::CConnectionWarningWindow* GetConnectionWarning() const { return bho_->ConnectionWarning(); }
  WarningWindowNS::CFullScreenWarningWindow* GetFullScreenWarning() const { return bho_->FullScreenWarning(); }
  SubclassUtilsNS::CSubclassHelper* GetSubclassHelper() const { return bho_->subclass_.get(); }
  ShadowMouseNS::CShadowMouseEngine* GetShadowMouseEngine() const { return bho_->shadow_.get(); }
  SslVerifyNS::CSslVerifyBase* GetSslVerifier() const { return bho_->verifier_.get(); }
  const std::string& GetCurrentHost() const { return bho_->current_host_; }
  CSiteSealLookup* GetSiteSealLookup() const { return bho_->lookup_.get(); }
  CNLRList* GetNLRList() const { return bho_->nlr_list_.get(); }
  bool IsBorderByMouseOver() const { return bho_->border_by_mouse_over_; }
  // Where the last pointer effect was aimed (screen coordinates, after scrolling).
  POINT GetEffectTarget() const { return bho_->effect_target_; }
  bool IsNewHost() const { return bho_->new_host_; }

 private:
  CKestrinBho* bho_;
};

inline CKestrinBhoTestPeer Peer(CKestrinBho* bho) { return CKestrinBhoTestPeer(bho); }

}  // namespace KestrinIENS
