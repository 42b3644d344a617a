#include "tools/geckohost/host_dom.h"

#include <string.h>

namespace geckohost {

namespace {

template <class I, class T>
nsresult PutRef(I** out, T* object) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  *out = object;
  if (object) object->AddRef();
  return kr::NS_OK;
}

bool SameTag(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// A fixed list of elements, as node list (getElementsByTagName) or HTML collection (images): the
// two interfaces order length and item differently.
class CNodeList : public CHostObject<kr::nsIDOMNodeList, kr::nsIDOMHTMLCollection> {
 public:
  KR_METHOD GetLength(uint32_t* length) override {
    if (!length) return kr::NS_ERROR_NULL_POINTER;
    *length = static_cast<uint32_t>(items.size());
    return kr::NS_OK;
  }
  KR_METHOD Item(uint32_t index, kr::nsIDOMNode** node) override {
    if (!node) return kr::NS_ERROR_NULL_POINTER;
    *node = nullptr;
    if (index >= items.size()) return kr::NS_OK;
    return items[index]->QueryInterface(kr::nsIDOMNode::IID(), reinterpret_cast<void**>(node));
  }
  std::vector<nsCOMPtr<CHostElement>> items;
};

class CStyle : public CHostObject<kr::nsIDOMCSSStyleDeclaration> {
 public:
  explicit CStyle(std::map<std::wstring, std::wstring> values) : values_(std::move(values)) {}
  KR_METHOD GetPropertyValue(const kr::nsAString& name, kr::nsAString& value) override {
    auto found = values_.find(Read(name));
    return Write(value, found == values_.end() ? L"none" : found->second);
  }

 private:
  std::map<std::wstring, std::wstring> values_;
};

}  // namespace

// ---- listeners and events ----

void CListeners::Add(const std::wstring& type, kr::nsIDOMEventListener* listener) {
  for (auto& entry : listeners_)
    if (entry.first == type && entry.second.get() == listener) return;
  listeners_.emplace_back(type, nsCOMPtr<kr::nsIDOMEventListener>(listener));
}

void CListeners::Remove(const std::wstring& type, kr::nsIDOMEventListener* listener) {
  for (auto it = listeners_.begin(); it != listeners_.end(); ++it) {
    if (it->first == type && it->second.get() == listener) {
      nsCOMPtr<kr::nsIDOMEventListener> going = it->second;
      listeners_.erase(it);
      return;
    }
  }
}

int CListeners::Count(const std::wstring& type) const {
  int count = 0;
  for (auto& entry : listeners_)
    if (entry.first == type) ++count;
  return count;
}

void CListeners::Fire(const std::wstring& type, kr::nsIDOMEvent* event) {
  std::vector<nsCOMPtr<kr::nsIDOMEventListener>> targets;
  for (auto& entry : listeners_)
    if (entry.first == type) targets.push_back(entry.second);
  for (auto& listener : targets) listener->HandleEvent(event);
}

nsresult CHostEvent::GetType(kr::nsAString& type) { return Write(type, type_); }
nsresult CHostEvent::GetTarget(kr::nsIDOMEventTarget** target) { return PutRef(target, target_.get()); }
nsresult CHostEvent::GetCurrentTarget(kr::nsIDOMEventTarget** target) { return PutRef(target, current_.get()); }
nsresult CHostEvent::GetOriginalTarget(kr::nsIDOMEventTarget** target) { return PutRef(target, original_.get()); }

// ---- elements ----

CHostElement::CHostElement(CHostDocument* owner, std::wstring tag, bool xul)
    : tag(std::move(tag)), xul(xul), owner_(owner) {}

nsresult CHostElement::GetNodeName(kr::nsAString& name) { return Write(name, tag); }
nsresult CHostElement::GetTagName(kr::nsAString& name) { return Write(name, tag); }

nsresult CHostElement::GetAttribute(const kr::nsAString& name, kr::nsAString& value) {
  auto found = attributes.find(Read(name));
  return Write(value, found == attributes.end() ? L"" : found->second);
}

nsresult CHostElement::GetId(kr::nsAString& id) {
  auto found = attributes.find(L"id");
  return Write(id, found == attributes.end() ? L"" : found->second);
}

nsresult CHostElement::GetClassName(kr::nsAString& name) {
  auto found = attributes.find(L"class");
  return Write(name, found == attributes.end() ? L"" : found->second);
}

nsresult CHostElement::GetParentNode(kr::nsIDOMNode** out) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  *out = nullptr;
  if (!parent) return kr::NS_OK;
  return parent->QueryInterface(kr::nsIDOMNode::IID(), reinterpret_cast<void**>(out));
}

nsresult CHostElement::GetOwnerDocument(kr::nsIDOMDocument** document) {
  if (!document) return kr::NS_ERROR_NULL_POINTER;
  *document = nullptr;
  if (!owner_) return kr::NS_OK;
  return owner_->QueryInterface(kr::nsIDOMDocument::IID(), reinterpret_cast<void**>(document));
}

nsresult CHostElement::GetBoxObject(kr::nsIBoxObject** out) { return PutRef(out, box.get()); }

nsresult CHostElement::AddEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener, kr::PRBool) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  listeners_.Add(Read(type), listener);
  return kr::NS_OK;
}

nsresult CHostElement::RemoveEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                                           kr::PRBool) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  listeners_.Remove(Read(type), listener);
  return kr::NS_OK;
}

nsresult CHostElement::GetSrc(kr::nsAString& src) {
  auto found = attributes.find(L"src");
  return Write(src, found == attributes.end() ? L"" : found->second);
}

nsresult CHostElement::GetWidth(int32_t* width) {
  if (!width) return kr::NS_ERROR_NULL_POINTER;
  *width = box ? box->rect.right - box->rect.left : 0;
  return kr::NS_OK;
}

nsresult CHostElement::GetHeight(int32_t* height) {
  if (!height) return kr::NS_ERROR_NULL_POINTER;
  *height = box ? box->rect.bottom - box->rect.top : 0;
  return kr::NS_OK;
}

nsresult CHostElement::GetContentDocument(kr::nsIDOMDocument** document) {
  if (!document) return kr::NS_ERROR_NULL_POINTER;
  *document = nullptr;
  if (!frame_document) return kr::NS_OK;
  return frame_document->QueryInterface(kr::nsIDOMDocument::IID(), reinterpret_cast<void**>(document));
}

void CHostElement::Fire(const std::wstring& type, kr::nsIDOMEventTarget* original) {
  // Capturing: the listeners of the ancestors first, outermost first, then the element's own.
  std::vector<CHostElement*> path;
  for (CHostElement* e = this; e; e = e->parent) path.insert(path.begin(), e);
  nsCOMPtr<kr::nsIDOMEventTarget> target(static_cast<kr::nsIDOMEventTarget*>(this));
  for (CHostElement* e : path) {
    nsCOMPtr<kr::nsIDOMEventTarget> current(static_cast<kr::nsIDOMEventTarget*>(e));
    nsCOMPtr<CHostEvent> event(new CHostEvent(type, target.get(), current.get(), original));
    e->listeners_.Fire(type, event.get());
  }
}

void* CHostElement::ExtraInterface(const kr::nsIID&) { return nullptr; }

bool CHostElement::Hides(const kr::nsIID& iid) {
  if (iid == kr::nsIDOMXULElement::IID()) return !xul;
  if (iid == kr::nsIDOMHTMLElement::IID()) return xul;
  if (iid == kr::nsIDOMHTMLImageElement::IID()) return xul || !SameTag(tag, L"img");
  if (iid == kr::nsIDOMHTMLFrameElement::IID()) return xul || !SameTag(tag, L"frame");
  if (iid == kr::nsIDOMHTMLIFrameElement::IID()) return xul || !SameTag(tag, L"iframe");
  return false;
}

// ---- documents ----

CHostElement* CHostDocument::Add(const std::wstring& tag, CHostElement* parent, bool xul) {
  nsCOMPtr<CHostElement> element(new CHostElement(this, tag, xul));
  element->parent = parent;
  elements.push_back(element);
  return element.get();
}

CHostElement* CHostDocument::ById(const std::wstring& id) const {
  for (auto& element : elements) {
    auto found = element->attributes.find(L"id");
    if (found != element->attributes.end() && found->second == id) return element.get();
  }
  return nullptr;
}

nsresult CHostDocument::GetParentNode(kr::nsIDOMNode** parent) {
  if (!parent) return kr::NS_ERROR_NULL_POINTER;
  *parent = nullptr;
  return kr::NS_OK;
}

nsresult CHostDocument::GetOwnerDocument(kr::nsIDOMDocument** document) {
  if (!document) return kr::NS_ERROR_NULL_POINTER;
  *document = nullptr;
  return kr::NS_OK;
}

nsresult CHostDocument::GetElementById(const kr::nsAString& id, kr::nsIDOMElement** element) {
  if (!element) return kr::NS_ERROR_NULL_POINTER;
  *element = nullptr;
  CHostElement* found = ById(Read(id));
  if (!found) return kr::NS_OK;
  return found->QueryInterface(kr::nsIDOMElement::IID(), reinterpret_cast<void**>(element));
}

namespace {

nsCOMPtr<CNodeList> ByTag(const std::vector<nsCOMPtr<CHostElement>>& elements, const std::wstring& tag) {
  nsCOMPtr<CNodeList> nodes(new CNodeList());
  for (auto& element : elements)
    if (SameTag(element->tag, tag)) nodes->items.push_back(element);
  return nodes;
}

}  // namespace

nsresult CHostDocument::GetElementsByTagName(const kr::nsAString& tag, kr::nsIDOMNodeList** list) {
  if (!list) return kr::NS_ERROR_NULL_POINTER;
  return PutRef(list, static_cast<kr::nsIDOMNodeList*>(ByTag(elements, Read(tag)).get()));
}

nsresult CHostDocument::GetDefaultView(kr::nsIDOMAbstractView** out) {
  return PutRef(out, static_cast<kr::nsIDOMViewCSS*>(view));
}

nsresult CHostDocument::GetBoxObjectFor(kr::nsIDOMElement* element, kr::nsIBoxObject** out) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  *out = nullptr;
  for (auto& candidate : elements) {
    if (kr::SameObject(static_cast<kr::nsIDOMXULElement*>(candidate.get()), element))
      return PutRef(out, candidate->box.get());
  }
  return kr::NS_ERROR_FAILURE;
}

nsresult CHostDocument::GetURL(kr::nsAString& out) { return Write(out, url); }

nsresult CHostDocument::GetBody(kr::nsIDOMHTMLElement** body) {
  if (!body) return kr::NS_ERROR_NULL_POINTER;
  *body = nullptr;
  for (auto& element : elements)
    if (SameTag(element->tag, L"body"))
      return element->QueryInterface(kr::nsIDOMHTMLElement::IID(), reinterpret_cast<void**>(body));
  return kr::NS_OK;
}

nsresult CHostDocument::GetImages(kr::nsIDOMHTMLCollection** images) {
  if (!images) return kr::NS_ERROR_NULL_POINTER;
  return PutRef(images, static_cast<kr::nsIDOMHTMLCollection*>(ByTag(elements, L"img").get()));
}

void* CHostDocument::ExtraInterface(const kr::nsIID&) { return nullptr; }

bool CHostDocument::Hides(const kr::nsIID& iid) { return iid == kr::nsIDOMHTMLDocument::IID() && !html; }

// ---- windows ----

nsresult CHostTreeOwner::GetInterface(const kr::nsIID& iid, void** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  if (iid == kr::nsIDOMChromeWindow::IID()) {
    if (!chrome) return kr::NS_NOINTERFACE;
    return chrome->QueryInterface(iid, result);
  }
  return QueryInterface(iid, result);
}

nsresult CHostTreeOwner::GetDocShell(kr::nsIDocShell** docshell) {
  return PutRef(docshell, static_cast<kr::nsIDocShell*>(this));
}

nsresult CHostDocShell::GetTreeOwner(kr::nsIDocShellTreeOwner** out) {
  return PutRef(out, static_cast<kr::nsIDocShellTreeOwner*>(owner.get()));
}

nsresult CHostTreeOwner::GetParentNativeWindow(void** native_window) {
  if (!native_window) return kr::NS_ERROR_NULL_POINTER;
  *native_window = hwnd;
  return hwnd ? kr::NS_OK : kr::NS_ERROR_FAILURE;
}

nsresult CHostWindow::GetDocument(kr::nsIDOMDocument** out) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  *out = nullptr;
  if (!document) return kr::NS_OK;
  return document->QueryInterface(kr::nsIDOMDocument::IID(), reinterpret_cast<void**>(out));
}

nsresult CHostWindow::GetParent(kr::nsIDOMWindow** out) {
  // A top window is its own parent.
  return PutRef(out, static_cast<kr::nsIDOMWindow*>(parent ? parent : this));
}

nsresult CHostWindow::GetTop(kr::nsIDOMWindow** top) {
  CHostWindow* w = this;
  while (w->parent) w = w->parent;
  return PutRef(top, static_cast<kr::nsIDOMWindow*>(w));
}

nsresult CHostWindow::AddEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener, kr::PRBool) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  listeners_.Add(Read(type), listener);
  return kr::NS_OK;
}

nsresult CHostWindow::RemoveEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                                          kr::PRBool) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  listeners_.Remove(Read(type), listener);
  return kr::NS_OK;
}

nsresult CHostWindow::GetInterface(const kr::nsIID& iid, void** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  if (iid == kr::nsIWebNavigation::IID() && owner) {
    nsCOMPtr<CHostDocShell> docshell(new CHostDocShell(owner.get()));
    return docshell->QueryInterface(iid, result);
  }
  return QueryInterface(iid, result);
}

nsresult CHostWindow::GetComputedStyle(kr::nsIDOMElement* element, const kr::nsAString&,
                                       kr::nsIDOMCSSStyleDeclaration** style) {
  if (!element || !style) return kr::NS_ERROR_NULL_POINTER;
  *style = nullptr;
  if (!document) return kr::NS_ERROR_FAILURE;
  for (auto& candidate : document->elements) {
    if (kr::SameObject(static_cast<kr::nsIDOMXULElement*>(candidate.get()), element))
      return PutRef(style, static_cast<kr::nsIDOMCSSStyleDeclaration*>(new CStyle(candidate->style)));
  }
  return kr::NS_ERROR_FAILURE;
}

nsresult CHostWindow::GetFullScreen(kr::PRBool* out) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  *out = full_screen;
  return kr::NS_OK;
}

nsresult CHostWindow::GetContent(kr::nsIDOMWindow** out) { return PutRef(out, static_cast<kr::nsIDOMWindow*>(content.get())); }

void CHostWindow::SetDocument(CHostDocument* d) {
  document = d;
  if (d) d->view = this;
}

void CHostWindow::Fire(const std::wstring& type, kr::nsIDOMEventTarget* target) {
  nsCOMPtr<kr::nsIDOMEventTarget> self(static_cast<kr::nsIDOMEventTarget*>(this));
  nsCOMPtr<CHostEvent> event(new CHostEvent(type, target ? target : self.get(), self.get(), nullptr));
  listeners_.Fire(type, event.get());
}

bool CHostWindow::Hides(const kr::nsIID& iid) {
  if (iid == kr::nsIDOMChromeWindow::IID()) return !chrome;
  return false;
}

// ---- network and certificates ----

nsresult CHostURI::GetSpec(kr::nsACString& out) { return Write(out, spec); }

nsresult CHostURI::SetScheme(const kr::nsACString& scheme_text) {
  std::string scheme = Read(scheme_text);
  if (scheme.empty()) return kr::NS_ERROR_ILLEGAL_VALUE;
  size_t colon = spec.find(':');
  spec = scheme + (colon == std::string::npos ? ":" + spec : spec.substr(colon));
  return kr::NS_OK;
}

nsresult CHostCert::GetChain(kr::nsIArray** out) {
  if (!out) return kr::NS_ERROR_NULL_POINTER;
  nsCOMPtr<CHostArray> array(new CHostArray());
  for (auto& element : chain) array->AppendElement(static_cast<kr::nsIX509Cert*>(element.get()), kr::PR_FALSE);
  return PutRef(out, static_cast<kr::nsIArray*>(array.get()));
}

nsresult CHostCert::GetRawDER(uint32_t* length, uint8_t** data) {
  if (!length || !data) return kr::NS_ERROR_NULL_POINTER;
  *data = static_cast<uint8_t*>(HostMemory()->Alloc(der.size()));
  if (!*data) return kr::NS_ERROR_OUT_OF_MEMORY;
  memcpy(*data, der.data(), der.size());
  *length = static_cast<uint32_t>(der.size());
  return kr::NS_OK;
}

nsresult CHostSecurityInfo::GetSSLStatus(kr::nsISupports** status) {
  return PutRef(status, static_cast<kr::nsISSLStatus*>(this));
}

nsresult CHostSecurityInfo::GetServerCert(kr::nsIX509Cert** out) { return PutRef(out, cert.get()); }

nsresult CHostChannel::IsPending(kr::PRBool* pending) {
  if (!pending) return kr::NS_ERROR_NULL_POINTER;
  *pending = kr::PR_FALSE;
  return kr::NS_OK;
}

nsresult CHostChannel::GetStatus(nsresult* status) {
  if (!status) return kr::NS_ERROR_NULL_POINTER;
  *status = kr::NS_OK;
  return kr::NS_OK;
}

nsresult CHostChannel::GetURI(kr::nsIURI** out) { return PutRef(out, uri.get()); }

nsresult CHostChannel::GetSecurityInfo(kr::nsISupports** info) {
  return PutRef(info, static_cast<kr::nsISSLStatusProvider*>(security.get()));
}

nsresult CHostChannel::SetNotificationCallbacks(kr::nsIInterfaceRequestor* c) {
  callbacks = c;
  return kr::NS_OK;
}

nsresult CHostChannel::AsyncOpen(kr::nsIStreamListener* listener, kr::nsISupports* context) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  start_result = listener->OnStartRequest(this, context);
  return kr::NS_OK;
}

nsresult CHostIOService::NewURI(const kr::nsACString& spec_text, const char*, kr::nsIURI*, kr::nsIURI** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  std::string spec = Read(spec_text);
  if (spec.find(':') == std::string::npos) return kr::NS_ERROR_ILLEGAL_VALUE;
  return PutRef(result, new CHostURI(spec));
}

nsresult CHostIOService::NewChannelFromURI(kr::nsIURI* uri, kr::nsIChannel** result) {
  if (!uri || !result) return kr::NS_ERROR_NULL_POINTER;
  kr::CNarrowString spec;
  uri->GetSpec(spec);
  nsCOMPtr<CHostChannel> channel(new CHostChannel(spec.Get()));
  channel->security = security;
  opened.push_back(channel);
  return PutRef(result, static_cast<kr::nsIChannel*>(channel.get()));
}

// ---- progress ----

nsresult CHostWebProgress::AddProgressListener(kr::nsIWebProgressListener* listener, uint32_t mask) {
  if (!listener) return kr::NS_ERROR_NULL_POINTER;
  nsCOMPtr<kr::nsISupportsWeakReference> source;
  nsCOMPtr<kr::nsIWeakReference> weak;
  if (kr::NS_FAILED(source.QueryFrom(listener)) || kr::NS_FAILED(source->GetWeakReference(weak.Out())) || !weak)
    return kr::NS_ERROR_ILLEGAL_VALUE;
  listeners.emplace_back(weak, mask);
  return kr::NS_OK;
}

nsresult CHostWebProgress::RemoveProgressListener(kr::nsIWebProgressListener* listener) {
  for (auto it = listeners.begin(); it != listeners.end(); ++it) {
    nsCOMPtr<kr::nsIWebProgressListener> held;
    it->first->QueryReferent(kr::nsIWebProgressListener::IID(), held.OutVoid());
    if (held && kr::SameObject(held.get(), listener)) {
      listeners.erase(it);
      return kr::NS_OK;
    }
  }
  return kr::NS_ERROR_FAILURE;
}

std::vector<nsCOMPtr<kr::nsIWebProgressListener>> CHostWebProgress::Live() const {
  std::vector<nsCOMPtr<kr::nsIWebProgressListener>> out;
  for (auto& entry : listeners) {
    nsCOMPtr<kr::nsIWebProgressListener> held;
    if (kr::NS_SUCCEEDED(entry.first->QueryReferent(kr::nsIWebProgressListener::IID(), held.OutVoid())) && held)
      out.push_back(held);
  }
  return out;
}

nsresult CHostWebProgress::GetDOMWindow(kr::nsIDOMWindow** out) {
  return PutRef(out, static_cast<kr::nsIDOMWindow*>(window.get()));
}

}  // namespace geckohost
