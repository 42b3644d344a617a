#include <string>

#include <gtest/gtest.h>

#include "common/nlrcert/nlr_certificate.h"

using CryptoNS::CNlrCertificate;

namespace {

struct ScopeCase {
  const char* merchant;
  const char* page;
  DWORD directory_scope;
  DWORD subdomain_scope;
  bool in_scope;
};

const ScopeCase kCases[] = {
    // This directory only.
    {"bank.example/dir", "http://bank.example/dir/page.html", 0, 1, true},
    {"bank.example/dir", "http://bank.example/dir", 0, 1, true},
    {"bank.example/dir", "http://bank.example/dir/sub/page.html", 0, 1, false},
    {"bank.example/dir", "http://bank.example/page.html", 0, 1, false},
    {"bank.example", "http://bank.example/", 0, 1, true},
    {"bank.example/DIR", "http://bank.example/dir/page.html?next=/a/b", 0, 1, true},
    // This directory or one above it.
    {"bank.example/dir", "http://bank.example/", 1, 1, true},
    {"bank.example/dir", "http://bank.example/dir/page.html", 1, 1, true},
    {"bank.example/dir", "http://bank.example/dir/sub/page.html", 1, 1, false},
    {"bank.example/dir", "http://bank.example/dir/sub/", 1, 1, true},
    // This directory and below.
    {"bank.example/dir", "http://bank.example/dir/page.html", 2, 1, true},
    {"bank.example/dir", "http://bank.example/dir/sub/page.html", 2, 1, true},
    {"bank.example/dir", "http://bank.example/directory/page.html", 2, 1, false},
    {"bank.example/dir", "http://bank.example/", 2, 1, false},
    {"bank.example", "http://bank.example/any/where.html", 2, 1, true},
    // Any other directory scope: the host decides.
    {"bank.example/dir", "http://bank.example/elsewhere/x.html", 7, 1, true},
    // Sub-domains: a whole label in front of the merchant host, never a mere suffix.
    {"bank.example", "http://www.bank.example/", 2, 1, true},
    {"bank.example", "http://a.b.bank.example/", 2, 1, true},
    {"bank.example", "http://evilbank.example/", 2, 1, false},
    {"bank.example", "http://bank.example.evil.example/", 2, 1, false},
    {"bank.example", "http://ank.example/", 2, 1, false},
    {"bank.example", "http://www.bank.example/", 2, 0, false},
    {"bank.example", "http://BANK.Example/", 2, 0, true},
    // Ports, backslashes and the bare host the site-seal list passes.
    {"bank.example/dir", "http://bank.example:8080/dir/page.html", 2, 0, true},
    {"bank.example/dir", "http:\\\\bank.example\\dir\\page.html", 2, 0, true},
    {"bank.example", "bank.example", 2, 0, true},
    {"bank.example", "www.bank.example", 2, 1, true},
    // Host texts that only look like the merchant's.
    {"bank.example", "http://evil.example#.bank.example/", 2, 1, false},
    {"bank.example", "http://evil.example?.bank.example/", 2, 1, false},
    {"bank.example", "http://bank.example@evil/", 2, 1, false},
    {"bank.example", "http://bank.example:x@evil/", 2, 1, false},
    // A merchant host longer than the page's host.
    {"a-much-longer-merchant-host.bank.example", "http://b/", 2, 1, false},
    {"a-much-longer-merchant-host.bank.example", "b", 2, 1, false},
    // Dot segments, plain and encoded, and encoded slashes leave the seal's directory.
    {"bank.example/shop", "http://bank.example/shop/../other/x.html", 2, 1, false},
    {"bank.example/shop", "http://bank.example/shop/%2E%2e/other/x.html", 2, 1, false},
    {"bank.example/shop", "http://bank.example/shop%2f..%2Fother/x.html", 0, 1, false},
    {"bank.example/shop", "http://bank.example/other/../shop/x.html", 0, 1, true},
    // Addresses without a host.
    {"bank.example", "javascript://bank.example/", 2, 1, false},
    {"bank.example", "about:bank.example", 2, 1, false},
    // A merchant URL without a host.
    {"/dir", "http://bank.example/dir/", 2, 1, false},
};

TEST(NlrUrlScope, Table) {
  for (const ScopeCase& c : kCases) {
    EXPECT_EQ(c.in_scope,
              CNlrCertificate::MatchUrlScope(c.merchant, c.page, c.directory_scope, c.subdomain_scope))
        << c.merchant << " on " << c.page << " D=" << c.directory_scope << " S=" << c.subdomain_scope;
  }
}

TEST(NlrUrlScope, PageUrlsLongerThanTheBrowserAcceptsFail) {
  std::string page = "http://bank.example/";
  std::string longest = page + std::string(CNlrCertificate::kMaxUrl - page.size(), 'a');
  EXPECT_TRUE(CNlrCertificate::MatchUrlScope("bank.example", longest.c_str(), 2, 1));
  std::string too_long = longest + "a";
  EXPECT_FALSE(CNlrCertificate::MatchUrlScope("bank.example", too_long.c_str(), 2, 1));
  std::string huge = "http://www." + std::string(10000, 'x') + ".bank.example/";
  EXPECT_FALSE(CNlrCertificate::MatchUrlScope("bank.example", huge.c_str(), 2, 1));
}

TEST(NlrUrlScope, MissingTextsFail) {
  EXPECT_FALSE(CNlrCertificate::MatchUrlScope(nullptr, "http://bank.example/", 2, 1));
  EXPECT_FALSE(CNlrCertificate::MatchUrlScope("bank.example", nullptr, 2, 1));
}

}  // namespace
