#include "common/subclass/bho_window_props.h"

#include "common/subclass/subclass_helper.h"
#include "platform/win/prop_subclass.h"

namespace SubclassUtilsNS {

using UtilityClassesNS::CWriteLockGuard;

const char kOldProcProp[] = "{CF0F34E7-93F0-4DA7-BFFC-751CEC60E762}DXoldproc";
const char kHelperProp[] = "{80151CD4-B4FF-4C3D-9EEB-0241930571C1}SHclasspointer";
const char kFrameProp[] = "{E878B1F7-3F2D-4ae5-A12E-D1E5F83DEE0D}IEHwndPointer";
const char kBhoProp[] = "{88E2E10C-44A4-4e39-97CD-E5C72A765808}IEBhoPtr";
const char kBhoCounterProp[] = "{B61384B8-77F3-4F56-AF56-0053C59E51FE}IEBhoCounter";

namespace {
const INT_PTR kCounterBase = 10;
using SharedToolbar = KestrinWinNS::CPropSubclass<CIE7SubclassHelper::ToolbarSubclass>;
}

COwnerRef::COwnerRef(ISubclassOwner* owner) { owner_.Attach(owner); }

COwnerRef::~COwnerRef() = default;

CBhoWindowProps& CBhoWindowProps::GetInstance() {
  static CBhoWindowProps instance;  // thread-safe construction (C++11 statics)
  return instance;
}

void CBhoWindowProps::SetBho(HWND frame, ISubclassOwner* instance) {
  CWriteLockGuard guard(lock_);
  if (frame == cached_frame_ && instance == cached_bho_ && GetPropA(frame, kBhoProp) == instance)
    return;
  SetPropA(frame, kBhoProp, reinterpret_cast<HANDLE>(instance));
  cached_frame_ = frame;
  cached_bho_ = instance;
}

COwnerRef CBhoWindowProps::GetBho(HWND frame) {
  CWriteLockGuard guard(lock_);
  if (frame != cached_frame_) {
    cached_frame_ = frame;
    cached_bho_ = static_cast<ISubclassOwner*>(GetPropA(frame, kBhoProp));
  }
  if (cached_bho_) cached_bho_->AddRef();
  return COwnerRef(cached_bho_);
}

void CBhoWindowProps::AddInstance(HWND frame) {
  CWriteLockGuard guard(lock_);
  INT_PTR count = reinterpret_cast<INT_PTR>(GetPropA(frame, kBhoCounterProp));
  count = count ? count + 1 : kCounterBase + 1;
  SetPropA(frame, kBhoCounterProp, reinterpret_cast<HANDLE>(count));
}

void CBhoWindowProps::RemoveInstance(HWND frame, ISubclassOwner* instance) {
  CWriteLockGuard guard(lock_);
  INT_PTR count = reinterpret_cast<INT_PTR>(GetPropA(frame, kBhoCounterProp));
  if (count > kCounterBase) SetPropA(frame, kBhoCounterProp, reinterpret_cast<HANDLE>(count - 1));
  // A leaving instance may not stay reachable through the frame or the cache.
  if (instance && GetPropA(frame, kBhoProp) == instance) RemovePropA(frame, kBhoProp);
  if (instance && cached_bho_ == instance) {
    cached_frame_ = nullptr;
    cached_bho_ = nullptr;
  }
}

// Exclusive, so that of two tabs closing together exactly one sees the last leave and
// restores the shared toolbar, and no new tab subclasses it halfway.
bool CBhoWindowProps::ReleaseIfLast(HWND frame, HWND toolbar) {
  CWriteLockGuard guard(lock_);
  INT_PTR count = reinterpret_cast<INT_PTR>(GetPropA(frame, kBhoCounterProp));
  if (count != kCounterBase) return false;
  RemovePropA(frame, kBhoCounterProp);
  RemovePropA(frame, kBhoProp);
  if (cached_frame_ == frame) {
    cached_frame_ = nullptr;
    cached_bho_ = nullptr;
  }
  if (toolbar && IsWindow(toolbar)) SharedToolbar::Unsubclass(toolbar);
  return true;
}

bool CBhoWindowProps::SubclassShared(HWND toolbar, HWND frame) {
  CWriteLockGuard guard(lock_);
  return SharedToolbar::Subclass(toolbar, frame);
}

bool CBhoWindowProps::IsSubclassed(HWND window) { return GetPropA(window, kOldProcProp) != nullptr; }

}  // namespace SubclassUtilsNS
