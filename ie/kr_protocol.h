// The private URL scheme "KRprot": the verification control files a signed page's bytes as a
// stream under a number and points a browser at "KRprot:HTML&<number>" (or MHTML); a name-space
// handler registered with the process's internet session hands the filed stream out once.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <map>
#include <string>

#include "common/utility/rwlock.h"
#include "platform/com/com_ptr.h"

namespace PlugProtocolNS {

using KestrinComNS::CComPtr;

extern const wchar_t kSchemeName[];  // "KRprot"
// {2D81FC9D-56FC-48AD-8120-A097340E43DE}: the class registered for the name space.
extern const CLSID CLSID_KRProtocol;

// The process's filed pages. The name space is registered with the internet session while
// the table has users (verification controls, in practice); the last user to leave takes the
// registration back and releases the pages nobody fetched.
class CProtocolStreamTable {
 public:
  static CProtocolStreamTable& Instance();

  // A user comes: the first one registers the name space. False when that failed.
  bool AddUser();
  // A user goes: the last one unregisters the name space and empties the table.
  void ReleaseUser();
  bool IsNameSpaceRegistered() const;

  // Files `stream` under the next number (the first is 1) and returns the number; 0 when the
  // table could not take it. Numbers are never reused within the process.
  LONG File(IStream* stream);
  // Files `stream` under `number`, replacing (and releasing) an earlier one.
  void Add(LONG number, IStream* stream);
  // The stream filed under `number`, removed from the table; null when there is none.
  CComPtr<IStream> Take(LONG number);
  size_t GetCount() const;

 private:
  CProtocolStreamTable();
  ~CProtocolStreamTable() = delete;  // lives as long as the process: no exit-time teardown
  CProtocolStreamTable(const CProtocolStreamTable&) = delete;
  CProtocolStreamTable& operator=(const CProtocolStreamTable&) = delete;

  mutable UtilityClassesNS::CReadWriteLock lock_;
  std::map<LONG, CComPtr<IStream>> streams_;
  LONG last_number_ = 0;
  // Users and the registration; guarded by users_lock_.
  mutable CRITICAL_SECTION users_lock_;
  LONG users_ = 0;
  CComPtr<IClassFactory> registered_factory_;
};

// The address of a filed page: "KRprot:" + kind ("HTML" or "MHTML") + "&" + number.
std::wstring MakeAddress(const wchar_t* kind, LONG number);
// The number of a well-formed address (kind HTML or MHTML, number not 0); 0 otherwise.
LONG ParseAddress(const wchar_t* address);

// The name-space handler's class factory and its protocol object.
HRESULT CreateProtocolFactory(IClassFactory** out);

}  // namespace PlugProtocolNS
