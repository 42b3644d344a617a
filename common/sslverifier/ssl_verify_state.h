// The verifier's states: one process-wide object each, shared by every verifier.
#pragma once

#include <windows.h>

namespace SslVerifyNS {

class CSslVerifyBase;

// The base is the idle state: no https page, nothing to do.
class CSslVerifyState {
 public:
  virtual void OnHover(CSslVerifyBase* verifier, const POINT* point) {}
  virtual void OnAutoShow(CSslVerifyBase* verifier, const POINT* point) {}
  virtual void OnLeave(CSslVerifyBase* verifier, bool delayed) {}
  virtual void OnNotify(CSslVerifyBase* verifier, DWORD event) {}
  virtual ~CSslVerifyState() {}

  static CSslVerifyState* Idle();
};

// The certificate is being collected.
class CSslVerifyStateProcessing : public CSslVerifyState {
 public:
  void OnHover(CSslVerifyBase* verifier, const POINT* point) override;
  void OnAutoShow(CSslVerifyBase* verifier, const POINT* point) override;
  void OnLeave(CSslVerifyBase* verifier, bool delayed) override;

  static CSslVerifyState* Instance();
};

// The automatic popup has been shown.
class CSslVerifyStateHttps : public CSslVerifyState {
 public:
  void OnHover(CSslVerifyBase* verifier, const POINT* point) override;
  void OnLeave(CSslVerifyBase* verifier, bool delayed) override;
  void OnNotify(CSslVerifyBase* verifier, DWORD event) override;

  static CSslVerifyState* Instance();
};

// The certificate is known and the automatic popup not shown yet.
class CSslVerifyStateHttpsAuto : public CSslVerifyStateHttps {
 public:
  void OnAutoShow(CSslVerifyBase* verifier, const POINT* point) override;

  static CSslVerifyState* Instance();
};

}  // namespace SslVerifyNS
