// The page model answers the document interfaces the way the scanner relies on.
#include <windows.h>
#include <mshtml.h>

#include <string>

#include <gtest/gtest.h>

#include "tools/pagemodel/page_model.h"

using pagemodel::CPage;
using pagemodel::CPageElement;
using pagemodel::ToText;

namespace {

template <class T>
T* Query(IUnknown* from) {
  T* out = nullptr;
  if (FAILED(from->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&out)))) return nullptr;
  return out;
}

TEST(PageModel, ElementsAnswerTheInterfacesOfTheirTag) {
  CPage page("http://bank.example/");
  CPageElement* img = page.Add("img");
  CPageElement* div = page.Add("DIV");
  EXPECT_EQ("IMG", img->Tag());
  IHTMLImgElement* as_img = Query<IHTMLImgElement>(img->Element());
  ASSERT_NE(nullptr, as_img);
  EXPECT_EQ(nullptr, Query<IHTMLImgElement>(div->Element()));
  EXPECT_EQ(nullptr, Query<IHTMLTableCell>(img->Element()));
  // One identity behind every interface of the element.
  IUnknown* a = Query<IUnknown>(as_img);
  IUnknown* b = Query<IUnknown>(img->Element());
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  as_img->Release();
}

TEST(PageModel, CollectionsParentsAndDocument) {
  CPage page("http://bank.example/shop/");
  CPageElement* body = page.Add("BODY");
  CPageElement* img = page.Add("IMG", body)->Set("src", "http://bank.example/a.gif")->Set("fileSize", "12");
  page.Add("P", body);

  IHTMLElementCollection* all = nullptr;
  ASSERT_EQ(S_OK, page.Document()->get_all(&all));
  LONG length = 0;
  all->get_length(&length);
  EXPECT_EQ(3, length);
  VARIANT index, unused;
  VariantInit(&unused);
  index.vt = VT_I4;
  index.lVal = 1;
  IDispatch* item = nullptr;
  ASSERT_EQ(S_OK, all->item(index, unused, &item));
  EXPECT_EQ(img->Dispatch(), item);
  item->Release();
  index.lVal = 3;
  EXPECT_EQ(S_OK, all->item(index, unused, &item));
  EXPECT_EQ(nullptr, item);
  all->Release();

  IHTMLElementCollection* images = nullptr;
  ASSERT_EQ(S_OK, page.Document()->get_images(&images));
  images->get_length(&length);
  EXPECT_EQ(1, length);
  images->Release();

  IHTMLElement* parent = nullptr;
  ASSERT_EQ(S_OK, img->Element()->get_parentElement(&parent));
  EXPECT_EQ(body->Element(), parent);
  parent->Release();
  ASSERT_EQ(S_OK, body->Element()->get_parentElement(&parent));
  EXPECT_EQ(nullptr, parent);

  IDispatch* document = nullptr;
  ASSERT_EQ(S_OK, img->Element()->get_document(&document));
  IHTMLDocument2* document2 = Query<IHTMLDocument2>(document);
  BSTR url = nullptr;
  document2->get_URL(&url);
  EXPECT_EQ("http://bank.example/shop/", ToText(url));
  SysFreeString(url);
  document2->Release();
  document->Release();

  IHTMLImgElement* as_img = Query<IHTMLImgElement>(img->Element());
  BSTR text = nullptr;
  as_img->get_href(&text);  // defaults to src
  EXPECT_EQ("http://bank.example/a.gif", ToText(text));
  SysFreeString(text);
  img->Fail("fileSize");
  EXPECT_EQ(E_FAIL, as_img->get_fileSize(&text));
  as_img->Release();
}

TEST(PageModel, StylesAndAnElementThatOutlivesItsPage) {
  IHTMLElement* kept = nullptr;
  {
    CPage page("http://bank.example/");
    CPageElement* div = page.Add("DIV")->SetInlineBackground("url(a.gif)");
    IHTMLStyle* style = nullptr;
    ASSERT_EQ(S_OK, div->Element()->get_style(&style));
    BSTR text = nullptr;
    style->get_backgroundImage(&text);
    EXPECT_EQ("url(a.gif)", ToText(text));
    SysFreeString(text);
    EXPECT_EQ(nullptr, Query<IHTMLElement>(style));  // a style is no element
    style->Release();

    IHTMLElement2* element2 = Query<IHTMLElement2>(div->Element());
    IHTMLCurrentStyle* current = nullptr;
    ASSERT_EQ(S_OK, element2->get_currentStyle(&current));
    current->get_backgroundImage(&text);
    EXPECT_EQ("none", ToText(text));
    SysFreeString(text);
    current->Release();
    element2->Release();

    kept = div->Element();
    kept->AddRef();
  }
  IDispatch* document = nullptr;
  EXPECT_EQ(E_FAIL, kept->get_document(&document));
  kept->Release();
}

}  // namespace
