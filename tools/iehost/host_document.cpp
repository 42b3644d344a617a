#include "tools/iehost/host_document.h"

#include <mshtmdid.h>
#include <olectl.h>

namespace iehost {

using KestrinComNS::QueryInterfaceTable;

namespace {

HRESULT OutText(BSTR* p, const std::wstring& text) {
  if (!p) return E_POINTER;
  *p = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *p ? S_OK : E_OUTOFMEMORY;
}

// The embedded objects of a page without frames: none.
class CEmptyEnumUnknown : public IEnumUnknown {
 public:
  virtual ~CEmptyEnumUnknown() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return QueryInterfaceTable<IEnumUnknown>(this, riid, out);
  }
  STDMETHODIMP Next(ULONG, IUnknown** items, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    return S_FALSE;
  }
  STDMETHODIMP Skip(ULONG) override { return S_FALSE; }
  STDMETHODIMP Reset() override { return S_OK; }
  STDMETHODIMP Clone(IEnumUnknown** out) override {
    if (!out) return E_POINTER;
    *out = CComObject<CEmptyEnumUnknown>::Create();
    return *out ? S_OK : E_OUTOFMEMORY;
  }
};

}  // namespace

// ---- connection point ----

STDMETHODIMP CHostConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP CHostConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = container_;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP CHostConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  ++advise_calls_;
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  // The browser asks the sink for the event interface first, then for IDispatch.
  CComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(dispatch.QueryFrom(sink))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = next_cookie_++;
  sinks_.emplace_back(*cookie, dispatch);
  return S_OK;
}

STDMETHODIMP CHostConnectionPoint::Unadvise(DWORD cookie) {
  ++unadvise_calls_;
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT CHostConnectionPoint::Fire(DISPID dispid, VARIANT* args, UINT count) {
  std::vector<VARIANT> reversed(args, args + count);
  for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
  DISPPARAMS params = {count ? reversed.data() : nullptr, nullptr, count, 0};
  // A sink may unadvise while it runs: call a copy of the list.
  std::vector<CComPtr<IDispatch>> sinks;
  for (auto& s : sinks_) sinks.push_back(s.second);
  HRESULT result = S_OK;
  for (auto& sink : sinks) {
    HRESULT hr = sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              nullptr, nullptr, nullptr);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

// ---- element ----

CHostElement::CHostElement(const std::wstring& tag, CHostElement* parent, RECT box)
    : tag_(tag), parent_(parent), box_(box) {
  events_.Attach(CComObject<CHostConnectionPoint>::Create(__uuidof(HTMLElementEvents2),
                                                          static_cast<IConnectionPointContainer*>(this)));
}

HRESULT CHostElement::InternalQueryInterface(REFIID riid, void** out) {
  return QueryInterfaceTable<IHTMLElement, IDispatch, IConnectionPointContainer>(this, riid, out);
}

STDMETHODIMP CHostElement::get_tagName(BSTR* p) { return OutText(p, tag_); }
STDMETHODIMP CHostElement::get_id(BSTR* p) { return OutText(p, id_); }

STDMETHODIMP CHostElement::get_parentElement(IHTMLElement** p) {
  if (!p) return E_POINTER;
  *p = parent_;
  if (parent_) static_cast<IHTMLElement*>(parent_)->AddRef();
  return S_OK;
}

STDMETHODIMP CHostElement::get_document(IDispatch** p) {
  if (!p) return E_POINTER;
  *p = document_;
  if (!document_) return E_FAIL;
  document_->AddRef();
  return S_OK;
}

STDMETHODIMP CHostElement::getAttribute(BSTR name, LONG flags, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  for (auto& a : attributes_) {
    if (name && _wcsicmp(a.first.c_str(), name) == 0) {
      V_VT(value) = VT_BSTR;
      V_BSTR(value) = SysAllocString(a.second.c_str());
      return S_OK;
    }
  }
  V_VT(value) = VT_NULL;
  return S_OK;
}

STDMETHODIMP CHostStyle::get_backgroundImage(BSTR* p) { return OutText(p, background_); }

STDMETHODIMP CHostElement::get_style(IHTMLStyle** p) {
  if (!p) return E_POINTER;
  *p = CComObject<CHostStyle>::Create(background_);
  return *p ? S_OK : E_OUTOFMEMORY;
}

void CHostElement::SetAttribute(const std::wstring& name, const std::wstring& value) {
  attributes_.emplace_back(name, value);
}

STDMETHODIMP CHostElement::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != __uuidof(HTMLElementEvents2)) return CONNECT_E_NOCONNECTION;
  return events_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

// ---- window ----

STDMETHODIMP CHostLocation::get_href(BSTR* p) { return OutText(p, href_); }

CHostWindow::CHostWindow(POINT screen) : screen_(screen) {
  events_.Attach(CComObject<CHostConnectionPoint>::Create(__uuidof(HTMLWindowEvents2),
                                                          static_cast<IConnectionPointContainer*>(this)));
}

STDMETHODIMP CHostWindow::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != __uuidof(HTMLWindowEvents2)) return CONNECT_E_NOCONNECTION;
  return events_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

STDMETHODIMP CHostWindow::get_document(IHTMLDocument2** p) {
  if (!p) return E_POINTER;
  *p = document_;
  if (!document_) return E_FAIL;
  document_->AddRef();
  return S_OK;
}

STDMETHODIMP CHostWindow::scrollTo(LONG x, LONG y) {
  ++scroll_calls_;
  scroll_ = {x, y};
  return S_OK;
}

STDMETHODIMP CHostWindow::scrollBy(LONG x, LONG y) {
  ++scroll_calls_;
  scroll_.x += x;
  scroll_.y += y;
  return S_OK;
}

// ---- collection ----

STDMETHODIMP CHostElementCollection::get_length(LONG* p) {
  if (!p) return E_POINTER;
  *p = static_cast<LONG>(items_.size());
  return S_OK;
}

STDMETHODIMP CHostElementCollection::item(VARIANT name, VARIANT index, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, &name, 0, VT_I4))) return E_INVALIDARG;
  LONG i = V_I4(&number);
  if (i < 0 || static_cast<size_t>(i) >= items_.size()) return E_INVALIDARG;
  return items_[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// ---- document ----

namespace {
std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  return out;
}
}  // namespace

CHostDocument::CHostDocument(const std::wstring& url, POINT screen) : url_(url), content_(Narrow(url).c_str()) {
  window_.Attach(CComObject<CHostWindow>::Create(screen));
  window_->SetDocument(this);
  elements_.push_back(CComObject<CHostElement>::Create(L"HTML", nullptr, RECT{0, 0, 780, 2000}));
  elements_[0]->SetDocument(static_cast<IHTMLDocument2*>(this));
  AddElement(L"BODY", RECT{0, 0, 780, 2000}, elements_[0]);
}

CHostDocument::~CHostDocument() {
  window_->SetDocument(nullptr);
  window_->SetEvent(nullptr);
  for (auto* e : elements_) {
    e->SetDocument(nullptr);
    e->Release();
  }
}

HRESULT CHostDocument::InternalQueryInterface(REFIID riid, void** out) {
  return QueryInterfaceTable<IHTMLDocument2, IHTMLDocument, IDispatch, IOleContainer, IParseDisplayName>(
      this, riid, out);
}

CHostElement* CHostDocument::AddElement(const std::wstring& tag, RECT box, CHostElement* parent) {
  auto* e = CComObject<CHostElement>::Create(tag, parent ? parent : body(), box);
  e->SetDocument(static_cast<IHTMLDocument2*>(this));
  elements_.push_back(e);
  return e;
}

STDMETHODIMP CHostDocument::get_all(IHTMLElementCollection** p) {
  if (!p) return E_POINTER;
  std::vector<CComPtr<IHTMLElement>> items;
  for (auto* e : elements_) items.emplace_back(static_cast<IHTMLElement*>(e));
  CComPtr<IHTMLElementCollection> content;
  LONG count = 0;
  if (SUCCEEDED(content_.Document()->get_all(&content)) && content && SUCCEEDED(content->get_length(&count))) {
    for (LONG i = 0; i < count; ++i) {
      VARIANT index, unused;
      VariantInit(&index);
      VariantInit(&unused);
      V_VT(&index) = VT_I4;
      V_I4(&index) = i;
      CComPtr<IDispatch> item;
      CComPtr<IHTMLElement> element;
      if (SUCCEEDED(content->item(index, unused, &item)) && item && SUCCEEDED(element.QueryFrom(item.get())))
        items.push_back(element);
    }
  }
  *p = CComObject<CHostElementCollection>::Create(std::move(items));
  return *p ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHostDocument::get_images(IHTMLElementCollection** p) { return content_.Document()->get_images(p); }

STDMETHODIMP CHostDocument::get_body(IHTMLElement** p) {
  if (!p) return E_POINTER;
  *p = body();
  (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CHostDocument::get_parentWindow(IHTMLWindow2** p) {
  if (!p) return E_POINTER;
  *p = window_.get();
  (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CHostDocument::get_URL(BSTR* p) { return OutText(p, url_); }

STDMETHODIMP CHostDocument::get_location(IHTMLLocation** p) {
  if (!p) return E_POINTER;
  *p = nullptr;
  if (location_denied_) return E_ACCESSDENIED;
  *p = CComObject<CHostLocation>::Create(url_);
  return *p ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHostDocument::get_activeElement(IHTMLElement** p) {
  if (!p) return E_POINTER;
  *p = body();
  (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CHostDocument::EnumObjects(DWORD flags, IEnumUnknown** out) {
  if (!out) return E_POINTER;
  *out = CComObject<CEmptyEnumUnknown>::Create();
  return *out ? S_OK : E_OUTOFMEMORY;
}

size_t CHostDocument::ElementConnectionCount() const {
  size_t n = 0;
  for (auto* e : elements_) n += e->events()->ConnectionCount();
  return n;
}

void CHostDocument::FirePointer(CHostElement* target, DISPID dispid) {
  FireEvent(static_cast<IHTMLElement*>(target), target, dispid);
}

void CHostDocument::FireContentPointer(pagemodel::CPageElement* target, DISPID dispid) {
  FireEvent(target->Element(), html(), dispid);
}

void CHostDocument::FireEvent(IHTMLElement* source, CHostElement* first, DISPID dispid) {
  CComPtr<CComObject<CHostEventObj>> event;
  event.Attach(CComObject<CHostEventObj>::Create(source));
  window_->SetEvent(event.get());
  for (CHostElement* e = first; e; e = e->parent()) {
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_DISPATCH;
    V_DISPATCH(&arg) = static_cast<IHTMLEventObj*>(event.get());
    e->events()->Fire(dispid, &arg, 1);
  }
  window_->SetEvent(nullptr);
}

}  // namespace iehost
