#include "tools/pagemodel/page_model.h"

#include "tools/pagemodel/interface_stubs.h"

namespace pagemodel {

std::string ToText(BSTR text) {
  if (!text) return std::string();
  int chars = static_cast<int>(SysStringLen(text));
  if (chars == 0) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, chars, nullptr, 0, nullptr, nullptr);
  std::string out(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, text, chars, &out[0], bytes, nullptr, nullptr);
  return out;
}

BSTR ToBstr(const std::string& text) {
  int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR out = SysAllocStringLen(nullptr, chars > 0 ? chars : 0);
  if (out && chars > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, chars);
  return out;
}

namespace {

HRESULT GiveText(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = text.empty() ? nullptr : ToBstr(text);
  return S_OK;
}

// An interface of an element: identity and references are the element's.
template <class Stub>
class CElementPart : public Stub {
 public:
  explicit CElementPart(CPageElement* owner) : owner_(owner) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return owner_->QueryInterface(iid, out); }
  STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

 protected:
  HRESULT Background(BSTR* out) {
    if (owner_->Fails("background")) return E_FAIL;
    std::string value;
    owner_->Attribute("background", &value);
    return GiveText(value, out);
  }
  CPageElement* owner_;
};

// A style object: an identity of its own, references counted on the element.
template <class Stub>
class CStylePart : public Stub {
 public:
  CStylePart(CPageElement* owner, const IID& iid) : owner_(owner), iid_(iid) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, iid_))
      return E_NOINTERFACE;
    *out = static_cast<Stub*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

 protected:
  CPageElement* owner_;
  const IID& iid_;
};

class CCollection final : public IHTMLElementCollectionStub {
 public:
  explicit CCollection(const std::vector<CPageElement*>& items) {
    for (CPageElement* item : items) {
      IDispatch* dispatch = item->Dispatch();
      dispatch->AddRef();
      items_.push_back(dispatch);
    }
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, IID_IHTMLElementCollection))
      return E_NOINTERFACE;
    *out = static_cast<IHTMLElementCollection*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE get_length(LONG* p) override {
    if (!p) return E_POINTER;
    *p = static_cast<LONG>(items_.size());
    return S_OK;
  }
  // item(index) as the browser answers it: a number picks by position, nothing else is known.
  HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, &name, 0, VT_I4))) return E_INVALIDARG;
    LONG i = number.lVal;
    if (i < 0 || i >= static_cast<LONG>(items_.size())) return S_OK;  // no such item
    *out = items_[i];
    (*out)->AddRef();
    return S_OK;
  }

 private:
  ~CCollection() {
    for (IDispatch* item : items_) item->Release();
  }
  LONG refs_ = 1;
  std::vector<IDispatch*> items_;
};

}  // namespace

// ---- the document -------------------------------------------------------------------------

class CDocumentObject final : public IHTMLDocument2Stub {
 public:
  explicit CDocumentObject(const char* url) : url_(url ? url : "") {}

  CPageElement* Add(const char* tag, CPageElement* parent) {
    CPageElement* element = new CPageElement(this, tag, parent);
    elements_.push_back(element);  // the document keeps the first reference
    return element;
  }
  void Fail(const char* property) { failing_.insert(property); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, IID_IHTMLDocument) && !IsEqualIID(iid, IID_IHTMLDocument2))
      return E_NOINTERFACE;
    *out = static_cast<IHTMLDocument2*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override {
    if (failing_.count("URL")) return E_FAIL;
    return GiveText(url_, p);
  }
  HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (failing_.count("all")) return E_FAIL;
    *p = new CCollection(elements_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_images(IHTMLElementCollection** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (failing_.count("images")) return E_FAIL;
    std::vector<CPageElement*> images;
    for (CPageElement* element : elements_)
      if (element->Tag() == "IMG") images.push_back(element);
    *p = new CCollection(images);
    return S_OK;
  }

 private:
  ~CDocumentObject() {
    for (CPageElement* element : elements_) {
      element->document_ = nullptr;
      element->parent_ = nullptr;
    }
    for (CPageElement* element : elements_) element->Release();
  }

  LONG refs_ = 1;
  std::string url_;
  std::vector<CPageElement*> elements_;
  std::set<std::string> failing_;
};

// ---- the element's interfaces -------------------------------------------------------------

namespace {

class CStyle : public CStylePart<IHTMLStyleStub> {
 public:
  explicit CStyle(CPageElement* owner) : CStylePart(owner, IID_IHTMLStyle) {}
  HRESULT STDMETHODCALLTYPE get_backgroundImage(BSTR* p) override {
    if (owner_->Fails("style.backgroundImage")) return E_FAIL;
    return GiveText(owner_->InlineBackground(), p);
  }
};

class CCurrentStyle : public CStylePart<IHTMLCurrentStyleStub> {
 public:
  explicit CCurrentStyle(CPageElement* owner) : CStylePart(owner, IID_IHTMLCurrentStyle) {}
  HRESULT STDMETHODCALLTYPE get_backgroundImage(BSTR* p) override {
    if (owner_->Fails("currentStyle.backgroundImage")) return E_FAIL;
    return GiveText(owner_->ComputedBackground(), p);
  }
};

class CElement : public CElementPart<IHTMLElementStub> {
 public:
  CElement(CPageElement* owner, IHTMLStyle* style) : CElementPart(owner), style_(style) {}
  HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override { return GiveText(owner_->Tag(), p); }
  HRESULT STDMETHODCALLTYPE get_parentElement(IHTMLElement** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (owner_->Fails("parentElement")) return E_FAIL;
    if (owner_->Parent()) {
      *p = owner_->Parent()->Element();
      (*p)->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (owner_->Fails("style")) return E_FAIL;
    *p = style_;
    style_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_document(IDispatch** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (owner_->Fails("document") || !owner_->Document()) return E_FAIL;
    *p = static_cast<IHTMLDocument2*>(owner_->Document());
    (*p)->AddRef();
    return S_OK;
  }

 private:
  IHTMLStyle* style_;
};

class CElement2 : public CElementPart<IHTMLElement2Stub> {
 public:
  CElement2(CPageElement* owner, IHTMLCurrentStyle* style) : CElementPart(owner), style_(style) {}
  HRESULT STDMETHODCALLTYPE get_currentStyle(IHTMLCurrentStyle** p) override {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (owner_->Fails("currentStyle")) return E_FAIL;
    *p = style_;
    style_->AddRef();
    return S_OK;
  }

 private:
  IHTMLCurrentStyle* style_;
};

class CImg : public CElementPart<IHTMLImgElementStub> {
 public:
  using CElementPart::CElementPart;
  HRESULT STDMETHODCALLTYPE get_src(BSTR* p) override { return Text("src", p); }
  HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override {
    if (owner_->Fails("href")) return E_FAIL;
    std::string value;
    if (!owner_->Attribute("href", &value)) owner_->Attribute("src", &value);
    return GiveText(value, p);
  }
  HRESULT STDMETHODCALLTYPE get_fileSize(BSTR* p) override { return Text("fileSize", p); }
  HRESULT STDMETHODCALLTYPE get_useMap(BSTR* p) override { return Text("useMap", p); }

 private:
  HRESULT Text(const char* name, BSTR* p) {
    if (owner_->Fails(name)) return E_FAIL;
    std::string value;
    owner_->Attribute(name, &value);
    return GiveText(value, p);
  }
};

class CBody : public CElementPart<IHTMLBodyElementStub> {
 public:
  using CElementPart::CElementPart;
  HRESULT STDMETHODCALLTYPE get_background(BSTR* p) override { return Background(p); }
};

class CTable : public CElementPart<IHTMLTableStub> {
 public:
  using CElementPart::CElementPart;
  HRESULT STDMETHODCALLTYPE get_background(BSTR* p) override { return Background(p); }
};

class CTableCell : public CElementPart<IHTMLTableCellStub> {
 public:
  using CElementPart::CElementPart;
  HRESULT STDMETHODCALLTYPE get_background(BSTR* p) override { return Background(p); }
};

class CMap : public CElementPart<IHTMLMapElementStub> {
 public:
  using CElementPart::CElementPart;
  HRESULT STDMETHODCALLTYPE get_name(BSTR* p) override {
    if (owner_->Fails("name")) return E_FAIL;
    std::string value;
    owner_->Attribute("name", &value);
    return GiveText(value, p);
  }
};

class CArea : public CElementPart<IHTMLAreaElementStub> {
 public:
  using CElementPart::CElementPart;
};

class CDiv : public CElementPart<IHTMLDivElementStub> {
 public:
  using CElementPart::CElementPart;
};

class CPara : public CElementPart<IHTMLParaElementStub> {
 public:
  using CElementPart::CElementPart;
};

}  // namespace

struct CPageElement::Parts {
  explicit Parts(CPageElement* owner)
      : style(owner), current_style(owner), element(owner, &style), element2(owner, &current_style),
        img(owner), body(owner), table(owner), cell(owner), map(owner), area(owner), div(owner),
        para(owner) {}
  CStyle style;
  CCurrentStyle current_style;
  CElement element;
  CElement2 element2;
  CImg img;
  CBody body;
  CTable table;
  CTableCell cell;
  CMap map;
  CArea area;
  CDiv div;
  CPara para;
};

CPageElement::CPageElement(CDocumentObject* document, const char* tag, CPageElement* parent)
    : document_(document), tag_(tag ? tag : ""), parent_(parent), parts_(new Parts(this)) {
  for (char& c : tag_)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

CPageElement::~CPageElement() { delete parts_; }

CPageElement* CPageElement::Set(const char* attribute, const char* value) {
  attributes_[attribute] = value ? value : "";
  return this;
}

CPageElement* CPageElement::SetInlineBackground(const char* value) {
  inline_background_ = value ? value : "";
  return this;
}

CPageElement* CPageElement::SetComputedBackground(const char* value) {
  computed_background_ = value ? value : "";
  return this;
}

CPageElement* CPageElement::Fail(const char* property) {
  failing_.insert(property);
  return this;
}

bool CPageElement::Attribute(const char* name, std::string* value) const {
  auto it = attributes_.find(name);
  if (it == attributes_.end()) return false;
  *value = it->second;
  return true;
}

IHTMLElement* CPageElement::Element() { return &parts_->element; }
IDispatch* CPageElement::Dispatch() { return &parts_->element; }

STDMETHODIMP CPageElement::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLElement)) {
    *out = static_cast<IHTMLElement*>(&parts_->element);
  } else if (IsEqualIID(iid, IID_IHTMLElement2)) {
    *out = static_cast<IHTMLElement2*>(&parts_->element2);
  } else if (IsEqualIID(iid, IID_IHTMLImgElement) && tag_ == "IMG") {
    *out = static_cast<IHTMLImgElement*>(&parts_->img);
  } else if (IsEqualIID(iid, IID_IHTMLBodyElement) && tag_ == "BODY") {
    *out = static_cast<IHTMLBodyElement*>(&parts_->body);
  } else if (IsEqualIID(iid, IID_IHTMLTable) && tag_ == "TABLE") {
    *out = static_cast<IHTMLTable*>(&parts_->table);
  } else if (IsEqualIID(iid, IID_IHTMLTableCell) && (tag_ == "TD" || tag_ == "TH")) {
    *out = static_cast<IHTMLTableCell*>(&parts_->cell);
  } else if (IsEqualIID(iid, IID_IHTMLMapElement) && tag_ == "MAP") {
    *out = static_cast<IHTMLMapElement*>(&parts_->map);
  } else if (IsEqualIID(iid, IID_IHTMLAreaElement) && tag_ == "AREA") {
    *out = static_cast<IHTMLAreaElement*>(&parts_->area);
  } else if (IsEqualIID(iid, IID_IHTMLDivElement) && tag_ == "DIV") {
    *out = static_cast<IHTMLDivElement*>(&parts_->div);
  } else if (IsEqualIID(iid, IID_IHTMLParaElement) && tag_ == "P") {
    *out = static_cast<IHTMLParaElement*>(&parts_->para);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CPageElement::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CPageElement::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

// ---- the page -----------------------------------------------------------------------------

CPage::CPage(const char* url) : document_(new CDocumentObject(url)) {}

CPage::~CPage() { document_->Release(); }

CPageElement* CPage::Add(const char* tag, CPageElement* parent) { return document_->Add(tag, parent); }

IHTMLDocument2* CPage::Document() const { return document_; }

void CPage::Fail(const char* property) { document_->Fail(property); }

}  // namespace pagemodel
