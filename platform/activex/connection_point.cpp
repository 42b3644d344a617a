#include "platform/activex/connection_point.h"

namespace KestrinAxNS {

STDMETHODIMP CEventConnectionPoint::GetConnectionInterface(IID* out) {
  if (!out) return E_POINTER;
  *out = iid_;
  return S_OK;
}

STDMETHODIMP CEventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = container_;
  if (!container_) return E_UNEXPECTED;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP CEventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  if (!container_) return E_UNEXPECTED;
  // A sink of the event interface, or of IDispatch as script engines offer it.
  KestrinComNS::CComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&dispatch))) || !dispatch) {
    if (FAILED(dispatch.QueryFrom(sink)) || !dispatch) return CONNECT_E_CANNOTCONNECT;
  }
  try {
    sinks_.emplace_back(next_cookie_, dispatch);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = next_cookie_++;
  return S_OK;
}

STDMETHODIMP CEventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first != cookie) continue;
    KestrinComNS::CComPtr<IDispatch> gone = std::move(it->second);
    sinks_.erase(it);
    return S_OK;  // `gone` is released after the list no longer holds it
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CEventConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

void CEventConnectionPoint::FireEvent(DISPID dispid) {
  // A sink may unadvise while it runs: call a copy of the list.
  std::vector<KestrinComNS::CComPtr<IDispatch>> sinks;
  for (const auto& entry : sinks_) sinks.push_back(entry.second);
  for (const auto& sink : sinks) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    sink->Invoke(dispid, IID_NULL, 1024, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
  }
}

void CEventConnectionPoint::Disconnect() {
  container_ = nullptr;
  std::vector<std::pair<DWORD, KestrinComNS::CComPtr<IDispatch>>> gone;
  gone.swap(sinks_);
}

STDMETHODIMP CEnumConnectionPoints::Next(ULONG count, IConnectionPoint** out, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (!out) return E_POINTER;
  if (count > 1 && !fetched) return E_INVALIDARG;
  ULONG given = 0;
  while (given < count && position_ < points_.size()) {
    out[given] = points_[position_].get();
    out[given]->AddRef();
    ++given;
    ++position_;
  }
  if (fetched) *fetched = given;
  return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Skip(ULONG count) {
  const size_t left = points_.size() - position_;
  position_ += count < left ? count : left;
  return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumConnectionPoints::Reset() {
  position_ = 0;
  return S_OK;
}

STDMETHODIMP CEnumConnectionPoints::Clone(IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  *out = KestrinComNS::CComObject<CEnumConnectionPoints>::Create(points_, position_);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace KestrinAxNS
