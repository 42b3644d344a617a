#include "ie/kr_protocol.h"

#include <new>

#include "platform/com/com_object.h"
#include "platform/win/module.h"

namespace PlugProtocolNS {

const wchar_t kSchemeName[] = L"KRprot";
const CLSID CLSID_KRProtocol = {0x2D81FC9D, 0x56FC, 0x48AD, {0x81, 0x20, 0xA0, 0x97, 0x34, 0x0E, 0x43, 0xDE}};

namespace {

using UtilityClassesNS::CWriteLockGuard;
using UtilityClassesNS::CReadLockGuard;

// A decimal number as atoi reads it (sign, leading digits, the rest ignored); 0 when it does
// not fit in 32 bits.
LONG ReadNumber(const wchar_t* text) {
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  long long n = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    n = n * 10 + (*text - L'0');
    if (n > 0x7FFFFFFFLL) return 0;
  }
  return static_cast<LONG>(negative ? -n : n);
}

// One request of the browser for an address of the scheme.
class CKRProtocol : public IInternetProtocol {
 public:
  CKRProtocol() = default;
  virtual ~CKRProtocol() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IInternetProtocol, IInternetProtocolRoot>(this, riid, out);
  }

  STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD, HANDLE_PTR) override {
    if (!url || !sink) return E_INVALIDARG;
    LONG number = ParseAddress(url);
    if (!number) return INET_E_UNKNOWN_PROTOCOL;
    CComPtr<IStream> stream = CProtocolStreamTable::Instance().Take(number);
    if (!stream) return S_FALSE;  // already handed out (a reload, a second request)
    ULARGE_INTEGER end;
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (FAILED(stream->Seek(zero, STREAM_SEEK_END, &end))) return E_FAIL;
    if (end.QuadPart > 0xFFFFFFFFull) return E_FAIL;
    stream_ = stream;
    size_ = static_cast<ULONG>(end.QuadPart);
    position_ = 0;
    sink_ = sink;
    if (size_ == 0) {
      // Nothing will be read: the page is complete now, or the binding would wait for ever.
      sink_->ReportData(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, 0, 0);
      if (sink_) sink_->ReportResult(S_OK, 0, nullptr);
      return S_OK;
    }
    starting_ = true;
    sink_->ReportData(BSCF_FIRSTDATANOTIFICATION, 0, size_);
    starting_ = false;
    if (result_pending_) {
      result_pending_ = false;
      ReportEnd();
    }
    return S_OK;
  }
  STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
  STDMETHODIMP Abort(HRESULT, DWORD) override { return S_OK; }
  STDMETHODIMP Terminate(DWORD) override {
    sink_.Release();
    return S_OK;
  }
  STDMETHODIMP Suspend() override { return E_NOTIMPL; }
  STDMETHODIMP Resume() override { return E_NOTIMPL; }

  STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override {
    if (read) *read = 0;
    if (!stream_ || position_ >= size_) return S_FALSE;
    if (!buffer) return E_INVALIDARG;
    LARGE_INTEGER at;
    at.QuadPart = position_;
    ULONG got = 0;
    if (FAILED(stream_->Seek(at, STREAM_SEEK_SET, nullptr))) return INET_E_DOWNLOAD_FAILURE;
    if (size > size_ - position_) size = size_ - position_;
    if (FAILED(stream_->Read(buffer, size, &got))) return INET_E_DOWNLOAD_FAILURE;
    if (read) *read = got;
    if (got == 0) return S_FALSE;
    position_ += got;
    if (position_ < size_) {
      if (sink_) sink_->ReportData(BSCF_INTERMEDIATEDATANOTIFICATION, position_, size_);
      return S_OK;
    }
    if (starting_) {
      // Read from inside Start (the binding sniffs the first bytes): the last-data report and
      // the result wait until the first report has returned, or the binding would end before
      // it has taken the data.
      result_pending_ = true;
      return S_FALSE;
    }
    ReportEnd();
    return S_FALSE;
  }
  void ReportEnd() {
    if (sink_) sink_->ReportData(BSCF_LASTDATANOTIFICATION, size_, size_);
    if (sink_) sink_->ReportResult(S_OK, 0, nullptr);
  }
  STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return S_OK; }
  STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
  STDMETHODIMP UnlockRequest() override { return S_OK; }

 private:
  CComPtr<IInternetProtocolSink> sink_;
  CComPtr<IStream> stream_;
  ULONG position_ = 0;
  ULONG size_ = 0;
  bool starting_ = false;
  bool result_pending_ = false;
};

// The factory the internet session holds for the name space.
class CKRProtocolClassFactory : public IClassFactory {
 public:
  virtual ~CKRProtocolClassFactory() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IClassFactory>(this, riid, out);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CComPtr<KestrinComNS::CComObject<CKRProtocol>> protocol;
    protocol.Attach(KestrinComNS::CComObject<CKRProtocol>::Create());
    if (!protocol) return E_OUTOFMEMORY;
    return protocol->QueryInterface(riid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) KestrinComNS::CModuleLock::Lock();
    else KestrinComNS::CModuleLock::Unlock();
    return S_OK;
  }
};

}  // namespace

LONG ParseAddress(const wchar_t* address) {
  if (!address) return 0;
  std::wstring text(address);
  size_t colon = text.find(L':');
  size_t amp = text.find(L'&');
  if (colon == std::wstring::npos || amp == std::wstring::npos || amp < colon) return 0;
  std::wstring kind = text.substr(colon + 1, amp - colon - 1);
  if (kind != L"HTML" && kind != L"MHTML") return 0;
  return ReadNumber(text.c_str() + amp + 1);
}

std::wstring MakeAddress(const wchar_t* kind, LONG number) {
  return std::wstring(kSchemeName) + L":" + kind + L"&" + std::to_wstring(number);
}

HRESULT CreateProtocolFactory(IClassFactory** out) {
  if (!out) return E_POINTER;
  *out = KestrinComNS::CComObject<CKRProtocolClassFactory>::Create();
  return *out ? S_OK : E_OUTOFMEMORY;
}

CProtocolStreamTable::CProtocolStreamTable() { InitializeCriticalSection(&users_lock_); }

CProtocolStreamTable& CProtocolStreamTable::Instance() {
  // Made once, never destroyed: nothing of it runs after the process began to exit.
  static CProtocolStreamTable* table = new CProtocolStreamTable();
  return *table;
}

namespace {

// The browser's URL moniker library, asked for when the scheme is first registered: a process
// that never shows the control (a helper object alone) does not load it, nor WinINet with it.
HRESULT GetInternetSession(IInternetSession** session) {
  static const auto get_session =
      KestrinWinNS::SystemFunctionAs<decltype(&CoInternetGetSession)>("urlmon.dll", "CoInternetGetSession");
  *session = nullptr;
  return get_session ? get_session(0, session, 0) : E_NOTIMPL;
}

}  // namespace

bool CProtocolStreamTable::AddUser() {
  EnterCriticalSection(&users_lock_);
  bool ok = true;
  if (users_ == 0) {
    CComPtr<IInternetSession> session;
    CComPtr<IClassFactory> factory;
    ok = SUCCEEDED(GetInternetSession(&session)) && session && SUCCEEDED(CreateProtocolFactory(&factory)) &&
         SUCCEEDED(session->RegisterNameSpace(factory, CLSID_KRProtocol, kSchemeName, 0, nullptr, 0));
    if (ok) registered_factory_ = factory;
  }
  if (ok) ++users_;
  LeaveCriticalSection(&users_lock_);
  return ok;
}

void CProtocolStreamTable::ReleaseUser() {
  EnterCriticalSection(&users_lock_);
  if (users_ > 0 && --users_ == 0) {
    CComPtr<IInternetSession> session;
    if (registered_factory_ && SUCCEEDED(GetInternetSession(&session)) && session)
      session->UnregisterNameSpace(registered_factory_, kSchemeName);
    registered_factory_.Release();
    std::map<LONG, CComPtr<IStream>> unused;
    {
      CWriteLockGuard guard(lock_);
      unused.swap(streams_);
    }
  }
  LeaveCriticalSection(&users_lock_);
}

bool CProtocolStreamTable::IsNameSpaceRegistered() const {
  EnterCriticalSection(&users_lock_);
  bool registered = registered_factory_.get() != nullptr;
  LeaveCriticalSection(&users_lock_);
  return registered;
}

LONG CProtocolStreamTable::File(IStream* stream) {
  if (!stream) return 0;
  CWriteLockGuard guard(lock_);
  if (last_number_ == 0x7FFFFFFF) return 0;
  try {
    streams_[++last_number_] = stream;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return last_number_;
}

void CProtocolStreamTable::Add(LONG number, IStream* stream) {
  CComPtr<IStream> replaced;
  CWriteLockGuard guard(lock_);
  CComPtr<IStream>& slot = streams_[number];
  replaced = slot;
  slot = stream;
}

CComPtr<IStream> CProtocolStreamTable::Take(LONG number) {
  CComPtr<IStream> stream;
  CWriteLockGuard guard(lock_);
  auto it = streams_.find(number);
  if (it == streams_.end()) return stream;
  stream = it->second;
  streams_.erase(it);
  return stream;
}

size_t CProtocolStreamTable::GetCount() const {
  CReadLockGuard guard(lock_);
  return streams_.size();
}

}  // namespace PlugProtocolNS
