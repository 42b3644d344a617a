// One outgoing interface of a control: the connection point its container hands to event
// sinks, and the firing of a dispatch event to every sink connected.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <utility>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace KestrinAxNS {

class CEventConnectionPoint : public IConnectionPoint {
 public:
  // `container` is the object that owns this point; the point does not count it, the container
  // drops the point (Disconnect) before it goes.
  CEventConnectionPoint(REFIID iid, IConnectionPointContainer* container) : iid_(iid), container_(container) {}
  virtual ~CEventConnectionPoint() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IConnectionPoint>(this, riid, out);
  }

  STDMETHODIMP GetConnectionInterface(IID* out) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  // Calls `dispid` (a method without arguments) on every sink: IDispatch::Invoke, locale 1024.
  void FireEvent(DISPID dispid);
  // The container is going: its sinks are released and the point answers no more for it.
  void Disconnect();
  size_t ConnectionCount() const { return sinks_.size(); }

 private:
  IID iid_;
  IConnectionPointContainer* container_;  // not counted: the container owns this point
  std::vector<std::pair<DWORD, KestrinComNS::CComPtr<IDispatch>>> sinks_;
  DWORD next_cookie_ = 1;
};

// The connection points of a container, handed out one by one (IEnumConnectionPoints).
class CEnumConnectionPoints : public IEnumConnectionPoints {
 public:
  explicit CEnumConnectionPoints(std::vector<KestrinComNS::CComPtr<IConnectionPoint>> points, size_t position = 0)
      : points_(std::move(points)), position_(position) {}
  virtual ~CEnumConnectionPoints() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IEnumConnectionPoints>(this, riid, out);
  }

  STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumConnectionPoints** out) override;

 private:
  std::vector<KestrinComNS::CComPtr<IConnectionPoint>> points_;
  size_t position_;
};

}  // namespace KestrinAxNS
