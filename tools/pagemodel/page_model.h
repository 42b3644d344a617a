// A small HTML page of our own behind the browser's document interfaces, for tests: the
// document (IHTMLDocument2: URL, images, all), its elements (IHTMLElement, IHTMLElement2 and,
// by tag, IHTMLImgElement, IHTMLBodyElement, IHTMLTable, IHTMLTableCell, IHTMLAreaElement,
// IHTMLMapElement, IHTMLDivElement, IHTMLParaElement), their inline and computed styles
// (IHTMLStyle, IHTMLCurrentStyle) and element collections. Every other member answers
// E_NOTIMPL.
//
//   pagemodel::CPage page("http://bank.example/index.html");
//   pagemodel::CPageElement* body = page.Add("BODY");
//   page.Add("IMG", body)->Set("src", "http://bank.example/seal.gif")->Set("fileSize", "1042");
//   scanner.Scan(page.Document());
#pragma once

#include <windows.h>
#include <mshtml.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace pagemodel {

class CDocumentObject;

// One element; the document holds it. The COM identity of the element is this object.
class CPageElement : public IUnknown {
 public:
  // Attributes the element's interfaces answer: "src" and "href" (IMG: href defaults to src),
  // "fileSize" and "useMap" (IMG), "name" (MAP), "background" (BODY, TABLE, TD, TH).
  CPageElement* Set(const char* attribute, const char* value);
  // The inline style's backgroundImage (empty by default) and the computed style's ("none").
  CPageElement* SetInlineBackground(const char* value);
  CPageElement* SetComputedBackground(const char* value);
  // Makes a property getter fail with E_FAIL ("fileSize", "href", "src", "style" ...).
  CPageElement* Fail(const char* property);

  const std::string& Tag() const { return tag_; }
  CPageElement* Parent() const { return parent_; }
  // The element's interfaces (no reference added; valid while the document lives).
  IHTMLElement* Element();
  IDispatch* Dispatch();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // Used by the element's interface parts.
  bool Attribute(const char* name, std::string* value) const;
  bool Fails(const char* property) const { return failing_.count(property) != 0; }
  const std::string& InlineBackground() const { return inline_background_; }
  const std::string& ComputedBackground() const { return computed_background_; }
  CDocumentObject* Document() const { return document_; }

 private:
  friend class CDocumentObject;
  struct Parts;

  CPageElement(CDocumentObject* document, const char* tag, CPageElement* parent);
  virtual ~CPageElement();
  CPageElement(const CPageElement&) = delete;
  CPageElement& operator=(const CPageElement&) = delete;

  LONG refs_ = 1;
  CDocumentObject* document_;  // not owned; cleared when the document goes
  std::string tag_;
  CPageElement* parent_;       // not owned
  std::map<std::string, std::string> attributes_;
  std::set<std::string> failing_;
  std::string inline_background_;
  std::string computed_background_ = "none";
  Parts* parts_;
};

// Owns one document and, through it, its elements.
class CPage {
 public:
  explicit CPage(const char* url);
  ~CPage();

  // Appends an element in document order; `parent` may be null.
  CPageElement* Add(const char* tag, CPageElement* parent = nullptr);
  IHTMLDocument2* Document() const;
  // Makes a document getter fail with E_FAIL ("images", "all", "URL").
  void Fail(const char* property);

 private:
  CPage(const CPage&) = delete;
  CPage& operator=(const CPage&) = delete;

  CDocumentObject* document_;
};

// Text helpers for tests.
std::string ToText(BSTR text);
BSTR ToBstr(const std::string& text);

}  // namespace pagemodel
