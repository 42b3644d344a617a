// Which add-on instance owns a browser frame now, and how many instances share it, kept in
// properties of the frame window. One record per process.
#pragma once

#include <windows.h>

#include "common/utility/rwlock.h"
#include "platform/com/com_ptr.h"

namespace SubclassUtilsNS {

class ISubclassOwner;

extern const char kOldProcProp[];      // previous window procedure of a subclassed window
extern const char kHelperProp[];       // the helper, on the windows it subclassed itself
extern const char kFrameProp[];        // the frame, on the shared address toolbar
extern const char kBhoProp[];          // the instance owning the frame
extern const char kBhoCounterProp[];   // 10 + the number of instances on the frame

// A reference on an owner, taken under the record's lock and released when it goes.
class COwnerRef {
 public:
  COwnerRef() = default;
  explicit COwnerRef(ISubclassOwner* owner);  // takes the reference it is given
  ~COwnerRef();
  COwnerRef(COwnerRef&& other) noexcept = default;
  ISubclassOwner* get() const { return owner_.get(); }
  ISubclassOwner* operator->() const { return owner_.get(); }
  explicit operator bool() const { return owner_.get() != nullptr; }

 private:
  COwnerRef(const COwnerRef&) = delete;
  COwnerRef& operator=(const COwnerRef&) = delete;
  KestrinComNS::CComPtr<ISubclassOwner> owner_;
};

class CBhoWindowProps {
 public:
  static CBhoWindowProps& GetInstance();

  void SetBho(HWND frame, ISubclassOwner* instance);
  // The instance owning the frame, with a reference held for the caller.
  COwnerRef GetBho(HWND frame);
  void AddInstance(HWND frame);
  // The instance leaves the frame: the count goes down and the frame stops naming it.
  void RemoveInstance(HWND frame, ISubclassOwner* instance);
  // True for the one caller that sees the last instance leave; the frame's properties are
  // removed then, and the shared toolbar (if given) gets its previous procedure back.
  bool ReleaseIfLast(HWND frame, HWND toolbar = nullptr);
  // Subclasses the shared toolbar unless it already is; true when this call did it.
  bool SubclassShared(HWND toolbar, HWND frame);
  static bool IsSubclassed(HWND window);

 private:
  CBhoWindowProps() = default;
  CBhoWindowProps(const CBhoWindowProps&) = delete;
  CBhoWindowProps& operator=(const CBhoWindowProps&) = delete;

  UtilityClassesNS::CReadWriteLock lock_;
  HWND cached_frame_ = nullptr;
  ISubclassOwner* cached_bho_ = nullptr;
};

}  // namespace SubclassUtilsNS
