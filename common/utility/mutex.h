// Named mutexes whose kind follows the Windows version.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win/scoped_handle.h"

namespace UtilityClassesNS {

// Results of Lock, Unlock and IsCreator: 0 done, 1 not done (timed out, already held,
// not held), E_FAIL no usable mutex.
class CMutexAbstract {
 public:
  virtual ~CMutexAbstract() {}
  virtual HRESULT Lock() = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT IsCreator() = 0;
};

// Before Vista: a plain named mutex.
class CMutexNT5 : public CMutexAbstract {
 public:
  CMutexNT5(const char* name, DWORD wait_ms);
  ~CMutexNT5() override;
  HRESULT Lock() override;
  HRESULT Unlock() override;
  HRESULT IsCreator() override;

 private:
  CMutexNT5(const CMutexNT5&) = delete;
  CMutexNT5& operator=(const CMutexNT5&) = delete;

  KestrinWinNS::CScopedKernelHandle handle_;
  bool held_ = false;
  DWORD wait_ms_;
  bool existed_ = false;
};

// Vista: the process sets up the system's private namespace (when the platform offers it);
// the mutex itself is created under its plain name with inheritable handles.
class CMutexNT6 : public CMutexAbstract {
 public:
  CMutexNT6(const char* name, DWORD wait_ms);
  ~CMutexNT6() override;
  HRESULT Lock() override;
  HRESULT Unlock() override;
  HRESULT IsCreator() override;

  // True while the process-wide private namespace is set up (for tests).
  static bool IsNamespaceReady();

 private:
  CMutexNT6(const CMutexNT6&) = delete;
  CMutexNT6& operator=(const CMutexNT6&) = delete;

  KestrinWinNS::CScopedKernelHandle handle_;
  bool held_ = false;
  DWORD wait_ms_;
  bool existed_ = false;
  bool uses_namespace_ = false;
};

// Owns one mutex of the kind the running Windows version wants.
class CMutexHolder {
 public:
  CMutexHolder(const char* name, DWORD wait_ms);
  ~CMutexHolder();
  CMutexAbstract* Get() const { return mutex_.get(); }
  HRESULT Lock() { return mutex_ ? mutex_->Lock() : E_FAIL; }
  HRESULT Unlock() { return mutex_ ? mutex_->Unlock() : 1; }

 private:
  CMutexHolder(const CMutexHolder&) = delete;
  CMutexHolder& operator=(const CMutexHolder&) = delete;

  std::unique_ptr<CMutexAbstract> mutex_;
};

}  // namespace UtilityClassesNS
