// The document the scripted browser serves: the window with `event`, screen position and
// scrolling, an HTML element and a body with HTMLElementEvents2, and the page's content from
// the project's page model (tools/pagemodel: images, backgrounds, styles), whose elements
// follow the host's own ones in `all`. Mouse events are fired on the pointed element and
// bubble to its ancestors, with the window's `event` set while they run, as the browser does;
// content elements bubble straight to the HTML element.
#pragma once

#include <windows.h>
#include <mshtml.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "tools/iehost/host_connection.h"
#include "tools/iehost/interface_stubs.h"
#include "tools/pagemodel/page_model.h"

namespace iehost {

class CHostDocument;

// HTMLElementEvents2 dispatch ids of the two pointer events.
const DISPID kDispidElementMouseOver = static_cast<DISPID>(0x80010008);
const DISPID kDispidElementMouseOut = static_cast<DISPID>(0x80010009);

// An element's inline style: its background image only.
class CHostStyle : public IHTMLStyleStub {
 public:
  explicit CHostStyle(const std::wstring& background) : background_(background) {}
  virtual ~CHostStyle() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IHTMLStyle, IDispatch>(this, riid, out);
  }
  STDMETHODIMP get_backgroundImage(BSTR* p) override;

 private:
  std::wstring background_;
};

class CHostElement : public IHTMLElementStub, public IConnectionPointContainer {
 public:
  CHostElement(const std::wstring& tag, CHostElement* parent, RECT box);
  virtual ~CHostElement() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  STDMETHODIMP get_tagName(BSTR* p) override;
  STDMETHODIMP get_id(BSTR* p) override;
  STDMETHODIMP get_parentElement(IHTMLElement** p) override;
  STDMETHODIMP get_document(IDispatch** p) override;
  STDMETHODIMP get_offsetLeft(LONG* p) override { return Out(p, box_.left); }
  STDMETHODIMP get_offsetTop(LONG* p) override { return Out(p, box_.top); }
  STDMETHODIMP get_offsetWidth(LONG* p) override { return Out(p, box_.right - box_.left); }
  STDMETHODIMP get_offsetHeight(LONG* p) override { return Out(p, box_.bottom - box_.top); }
  STDMETHODIMP get_offsetParent(IHTMLElement** p) override { return get_parentElement(p); }
  STDMETHODIMP getAttribute(BSTR name, LONG flags, VARIANT* value) override;
  STDMETHODIMP get_style(IHTMLStyle** p) override;

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  void SetAttribute(const std::wstring& name, const std::wstring& value);
  void SetId(const std::wstring& id) { id_ = id; }
  // The inline style's backgroundImage, e.g. L"url(http://127.0.0.1:8080/seal.gif)".
  void SetBackground(const std::wstring& value) { background_ = value; }
  CHostElement* parent() const { return parent_; }
  CComObject<CHostConnectionPoint>* events() { return events_; }
  // Set by the document that owns the element; cleared when the document goes.
  void SetDocument(IDispatch* document) { document_ = document; }

 private:
  static HRESULT Out(LONG* p, LONG v) { if (!p) return E_POINTER; *p = v; return S_OK; }
  std::wstring tag_;
  std::wstring id_;
  std::wstring background_;
  std::vector<std::pair<std::wstring, std::wstring>> attributes_;
  CHostElement* parent_;  // the parent element; the document owns both
  RECT box_;              // offset rectangle within the parent
  IDispatch* document_ = nullptr;  // not owned
  CComPtr<CComObject<CHostConnectionPoint>> events_;
};

class CHostEventObj : public IHTMLEventObjStub {
 public:
  explicit CHostEventObj(IHTMLElement* source) : source_(source) {}
  virtual ~CHostEventObj() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IHTMLEventObj, IDispatch>(this, riid, out);
  }
  STDMETHODIMP get_srcElement(IHTMLElement** p) override { return source_.CopyTo(p); }

 private:
  CComPtr<IHTMLElement> source_;
};

// The page's address as the document's location gives it.
class CHostLocation : public IHTMLLocationStub {
 public:
  explicit CHostLocation(const std::wstring& href) : href_(href) {}
  virtual ~CHostLocation() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IHTMLLocation, IDispatch>(this, riid, out);
  }
  STDMETHODIMP get_href(BSTR* p) override;

 private:
  std::wstring href_;
};

class CHostWindow : public IHTMLWindow2Stub, public IHTMLWindow3Stub, public IConnectionPointContainer {
 public:
  explicit CHostWindow(POINT screen);
  virtual ~CHostWindow() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IHTMLWindow2, IHTMLWindow3, IHTMLFramesCollection2,
                                             IConnectionPointContainer>(this, riid, out);
  }
  // HTMLWindowEvents2 (script errors, in practice).
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;
  CComObject<CHostConnectionPoint>* events() const { return events_.get(); }
  STDMETHODIMP get_event(IHTMLEventObj** p) override { return event_.CopyTo(p); }
  STDMETHODIMP get_document(IHTMLDocument2** p) override;
  STDMETHODIMP scrollTo(LONG x, LONG y) override;
  STDMETHODIMP scrollBy(LONG x, LONG y) override;
  STDMETHODIMP get_screenLeft(LONG* p) override { if (!p) return E_POINTER; *p = screen_.x; return S_OK; }
  STDMETHODIMP get_screenTop(LONG* p) override { if (!p) return E_POINTER; *p = screen_.y; return S_OK; }

  void SetEvent(IHTMLEventObj* event) { event_ = event; }
  void SetDocument(IHTMLDocument2* document) { document_ = document; }
  POINT scroll() const { return scroll_; }
  int scroll_calls() const { return scroll_calls_; }

 private:
  POINT screen_;
  CComPtr<CComObject<CHostConnectionPoint>> events_;
  POINT scroll_ = {0, 0};
  int scroll_calls_ = 0;
  CComPtr<IHTMLEventObj> event_;
  IHTMLDocument2* document_ = nullptr;  // not owned: the document owns this window
};

class CHostElementCollection : public IHTMLElementCollectionStub {
 public:
  explicit CHostElementCollection(std::vector<CComPtr<IHTMLElement>> items) : items_(std::move(items)) {}
  virtual ~CHostElementCollection() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IHTMLElementCollection, IDispatch>(this, riid, out);
  }
  STDMETHODIMP get_length(LONG* p) override;
  STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** out) override;

 private:
  std::vector<CComPtr<IHTMLElement>> items_;
};

class CHostDocument : public IHTMLDocument2Stub, public IOleContainer {
 public:
  // A page with an HTML element and a body; the window sits at `screen` on the screen.
  CHostDocument(const std::wstring& url, POINT screen);
  virtual ~CHostDocument();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  STDMETHODIMP get_all(IHTMLElementCollection** p) override;
  STDMETHODIMP get_images(IHTMLElementCollection** p) override;
  STDMETHODIMP get_body(IHTMLElement** p) override;
  STDMETHODIMP get_parentWindow(IHTMLWindow2** p) override;
  STDMETHODIMP get_URL(BSTR* p) override;
  // The location's href; E_ACCESSDENIED once DenyLocation was called (a page framed by another
  // domain cannot read the top document's address).
  STDMETHODIMP get_location(IHTMLLocation** p) override;
  STDMETHODIMP get_activeElement(IHTMLElement** p) override;
  STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP EnumObjects(DWORD flags, IEnumUnknown** out) override;
  STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

  // Adds an element below `parent` (the body when null); the document owns it.
  CHostElement* AddElement(const std::wstring& tag, RECT box, CHostElement* parent = nullptr);
  // The page's content (its elements are added with pagemodel::CPage::Add).
  pagemodel::CPage* content() { return &content_; }
  CHostElement* html() const { return elements_[0]; }
  CHostElement* body() const { return elements_[1]; }
  CComObject<CHostWindow>* window() const { return window_; }
  const std::wstring& url() const { return url_; }
  void DenyLocation() { location_denied_ = true; }
  // The text the page was loaded from (a browser that navigated filled it in).
  void SetSource(const std::string& text) { source_ = text; }
  const std::string& source() const { return source_; }

  // Fires onmouseover / onmouseout for `target` and every ancestor with sinks.
  void MouseOver(CHostElement* target) { FirePointer(target, kDispidElementMouseOver); }
  void MouseOut(CHostElement* target) { FirePointer(target, kDispidElementMouseOut); }
  void MouseOver(pagemodel::CPageElement* target) { FireContentPointer(target, kDispidElementMouseOver); }
  void MouseOut(pagemodel::CPageElement* target) { FireContentPointer(target, kDispidElementMouseOut); }
  // Sinks advised on any element of the page.
  size_t ElementConnectionCount() const;

 private:
  void FirePointer(CHostElement* target, DISPID dispid);
  void FireContentPointer(pagemodel::CPageElement* target, DISPID dispid);
  void FireEvent(IHTMLElement* source, CHostElement* first, DISPID dispid);
  std::wstring url_;
  bool location_denied_ = false;
  std::string source_;
  pagemodel::CPage content_;
  std::vector<CComObject<CHostElement>*> elements_;  // owned: one reference each
  CComPtr<CComObject<CHostWindow>> window_;
};

}  // namespace iehost
