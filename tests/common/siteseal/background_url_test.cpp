#include <string>

#include <gtest/gtest.h>

#include "common/siteseal/nlr_list.h"

namespace {

struct UrlCase {
  const char* value;
  const char* base;
  const char* url;
};

const UrlCase kCases[] = {
    // url() forms, relative references against the page's address.
    {"url(\"seal.gif\")", "http://bank.example/shop/page.html", "http://bank.example/shop/seal.gif"},
    {"url(seal.gif)", "http://bank.example/shop/page.html", "http://bank.example/shop/seal.gif"},
    {"url(/seal.gif)", "http://bank.example/shop/page.html", "http://bank.example/seal.gif"},
    {"url(../img/seal.gif)", "http://bank.example/shop/page.html", "http://bank.example/img/seal.gif"},
    {"seal.gif", "https://bank.example/shop/", "https://bank.example/shop/seal.gif"},
    {"url(//cdn.example/seal.gif)", "https://bank.example/", "https://cdn.example/seal.gif"},
    // Absolute addresses stay as they are.
    {"url(\"http://cdn.example/a/seal.gif\")", "https://bank.example/", "http://cdn.example/a/seal.gif"},
    {"https://cdn.example/seal.gif", "http://bank.example/", "https://cdn.example/seal.gif"},
    // The prefix tests are case-sensitive: URL(...) is an ordinary relative text.
    {"URL(seal.gif)", "http://bank.example/", "http://bank.example/URL(seal.gif)"},
    // Without the page's address: the host's root.
    {"url(seal.gif)", "", "http://bank.example/seal.gif"},
    {"url(/seal.gif)", "", "http://bank.example/seal.gif"},
    // Texts too short for their url( form, or empty inside it, give nothing.
    {"url(", "http://bank.example/", ""},
    {"url(\"", "http://bank.example/", ""},
    {"url(\"x", "http://bank.example/", ""},
    {"url(\"\")", "http://bank.example/", ""},
    {"url()", "http://bank.example/", ""},
    {"", "http://bank.example/", ""},
};

TEST(BackgroundUrl, Table) {
  for (const UrlCase& c : kCases) {
    EXPECT_EQ(c.url, CNLRList::BackgroundToUrl(c.value, c.base, "bank.example"))
        << c.value << " on " << c.base;
  }
}

}  // namespace
