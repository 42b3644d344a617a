#include <windows.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/nlrcert/chain_verdicts.h"
#include "common/nlrcert/nlr_certificate.h"
#include "common/siteseal/nlr_list.h"
#include "common/web/host_resolver.h"
#include "platform/win/scoped_handle.h"
#include "tools/pagemodel/page_model.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/testservice/test_env.h"

using pagemodel::CPage;
using pagemodel::CPageElement;

namespace {

const char kHost[] = "bank.example";
const char kPageUrl[] = "http://bank.example/shop/index.html";

std::string ImageUrl(const char* name) {
  return KestrinTest::ServiceUrl("http", (std::string("/files/") + name).c_str());
}

std::string SizeOf(const char* name) { return std::to_string(SealPki::Bytes(name).size()); }

// The add-on's part: every finished image is counted, then the list is verified again.
class CListOwner : public WebUtilsNS::IRequestWaiter {
 public:
  explicit CListOwner(CNLRList* list) : list_(list) {}
  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override {
    EXPECT_EQ(kImageRequestId, request_id);
    EXPECT_EQ(nullptr, body);
    ++finished;
    list_->OnImageDownloaded();
    list_->VerifyImages();
  }
  void OnRequestFailed(DWORD request_id, DWORD error) override { ++failed; }

  int finished = 0;
  int failed = 0;

 private:
  CNLRList* list_;
};

class NlrListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SealPki::InstallHierarchy()); }

  void SetUp() override {
    ASSERT_EQ(1, list_.SetRequestWaiter(&owner_));
    list_.SetHost(kHost);
  }

  // 1 when the seal was kept, once its verdict came back to this thread.
  static int AddSealTo(CNLRList* list, const char* name) {
    std::vector<BYTE> der = SealPki::Bytes(name);
    DWORD before = list->GetCount();
    list->AddCertificate(der.data(), static_cast<DWORD>(der.size()));
    EXPECT_TRUE(Settle(list)) << name;
    return list->GetCount() > before ? 1 : 0;
  }
  int AddSeal(const char* name) { return AddSealTo(&list_, name); }
  // Handles this thread's messages until no certificate of `list` waits.
  static bool Settle(CNLRList* list) {
    return KestrinTest::PumpUntil([list] { return !list->HasWaitingCertificates(); }, 20000);
  }

  CPageElement* AddImg(CPage* page, const char* file, const char* size, CPageElement* parent = nullptr) {
    return page->Add("IMG", parent)->Set("src", ImageUrl(file).c_str())->Set("fileSize", size);
  }

  // Collects the page, marks the lookup done and runs the downloads until every selected
  // image has ended.
  void ScanAndDownload(CPage* page) {
    list_.ScanDocument(page->Document());
    list_.SetImagesCollected(true);
    list_.SetCertificatesDownloaded(true);
    list_.VerifyImages();
    ASSERT_TRUE(KestrinTest::PumpUntil([this] { return AllSelectedDone(); }, 20000));
  }

  bool AllSelectedDone() const {
    for (const auto& image : list_.Images())
      if (image->selected() && !image->done()) return false;
    return true;
  }

  CNLRList list_;
  CListOwner owner_{&list_};
};

TEST_F(NlrListTest, KeepsOnlyHashSealsThatVerifyForTheHost) {
  EXPECT_EQ(1, AddSeal("seal-valid.cer"));
  ASSERT_EQ(1u, list_.GetCount());
  const NLR& seal = *list_.Certificates()[0];
  EXPECT_EQ(SealPki::Bytes("seal.gif").size(), seal.logo_size);
  EXPECT_EQ("Bank Example Seal", seal.display_name);
  EXPECT_EQ(88, seal.logo_width);
  EXPECT_EQ(31, seal.logo_height);
  EXPECT_EQ(0, seal.trailing_option);
  EXPECT_EQ(SealPki::Bytes("seal-valid.cer"), seal.der);

  const char* const kRefused[] = {"seal-expired.cer", "seal-foreign.cer", "seal-caonly.cer",
                                  "seal-badsig.cer",  "seal-nourl.cer",   "seal-version2.cer",
                                  "logo-picture.cer", "seal-local.cer"};
  for (const char* name : kRefused) EXPECT_EQ(0, AddSeal(name)) << name;
  EXPECT_EQ(1u, list_.GetCount());
  EXPECT_EQ(0, list_.AddCertificate(nullptr, 10));
  BYTE junk[4] = {1, 2, 3, 4};
  EXPECT_EQ(0, list_.AddCertificate(junk, sizeof(junk)));

  // Another host: the same seal is refused.
  CNLRList other;
  other.SetHost("evilbank.example");
  EXPECT_EQ(0, AddSealTo(&other, "seal-valid.cer"));
  other.SetHost("www.bank.example");
  EXPECT_EQ(1, AddSealTo(&other, "seal-valid.cer"));
  std::vector<BYTE> der = SealPki::Bytes("seal-valid.cer");
  CNLRList no_host;
  EXPECT_EQ(0, no_host.AddCertificate(der.data(), static_cast<DWORD>(der.size())));
}

// A seal limited to a directory counts on that directory's pages alone, also when the host
// stays and only the page changes.
TEST_F(NlrListTest, SealsAreHeldAgainstThePagesOwnPath) {
  list_.SetPageAddress("http://bank.example/shop/a.html");
  EXPECT_EQ(1, AddSeal("seal-shop.cer"));
  EXPECT_EQ(1, AddSeal("seal-valid.cer"));
  const char* const kPages[] = {"http://bank.example/other/a.html", "http://bank.example/shop/../other/",
                                "http://bank.example/shop%2f..%2fother/", "http://bank.example/"};
  for (const char* page : kPages) {
    list_.SetPageAddress(page);
    ASSERT_EQ(1u, list_.GetCount()) << page;
    EXPECT_EQ(SealPki::Bytes("seal-valid.cer"), list_.Certificates()[0]->der) << page;
  }
  list_.SetPageAddress("http://bank.example/shop/sub/b.html");
  EXPECT_EQ(2u, list_.GetCount());
  list_.Clear();
  list_.SetHost(kHost);
  list_.SetPageAddress("http://bank.example/shop/");
  EXPECT_EQ(0u, list_.GetCount());
}

TEST_F(NlrListTest, ScanCollectsImagesAndBackgroundsInOrder) {
  CPage page(kPageUrl);
  CPageElement* body = page.Add("BODY")->Set("background", "body.gif");
  AddImg(&page, "seal.gif", "1042", body);
  AddImg(&page, "nosize.gif", "", body)->Fail("fileSize");     // not added
  AddImg(&page, "nohref.gif", "7", body)->Fail("href");        // dropped
  CPageElement* table = page.Add("TABLE", body)->SetInlineBackground("url(table.gif)");
  CPageElement* cell = page.Add("TD", table)->Set("background", "cell.gif")->SetInlineBackground("url(ignored.gif)");
  cell->SetComputedBackground("url(\"cell-computed.gif\")");
  page.Add("DIV", body)->SetInlineBackground("url(/div.gif)");
  page.Add("SPAN", body)->SetComputedBackground("none");
  page.Add("P", body)->SetComputedBackground("url(http://cdn.example/p.gif)");

  list_.ScanDocument(page.Document());
  struct Expected {
    std::string url;
    int size;
  };
  const Expected kExpected[] = {
      {ImageUrl("seal.gif"), 1042},
      {"http://bank.example/shop/body.gif", -1},
      {"http://bank.example/shop/table.gif", -1},
      {"http://bank.example/shop/cell.gif", -1},
      {"http://bank.example/shop/cell-computed.gif", -1},
      {"http://bank.example/div.gif", -1},
      {"http://cdn.example/p.gif", -1},
  };
  ASSERT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), list_.Images().size());
  for (size_t i = 0; i < list_.Images().size(); ++i) {
    EXPECT_EQ(kExpected[i].url, list_.Images()[i]->url()) << i;
    EXPECT_EQ(kExpected[i].size, list_.Images()[i]->reported_size()) << i;
    EXPECT_TRUE(list_.Images()[i]->has_waiter());
  }
  EXPECT_NE(nullptr, list_.Images()[0]->img());
  EXPECT_NE(nullptr, list_.Images()[1]->element());
}

TEST_F(NlrListTest, NothingHappensUntilImagesAndCertificatesAreThere) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  CPage page(kPageUrl);
  AddImg(&page, "seal.gif", "1042");
  list_.ScanDocument(page.Document());
  EXPECT_EQ(0, list_.VerifyImages());
  list_.SetImagesCollected(true);
  EXPECT_EQ(0, list_.VerifyImages());
  EXPECT_FALSE(list_.DownloadsStarted());
  EXPECT_FALSE(list_.Images()[0]->selected());
}

TEST_F(NlrListTest, MatchesOnlyTheGenuineImage) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  CPageElement* genuine = AddImg(&page, "seal.gif", size.c_str());
  CPageElement* onebyte = AddImg(&page, "seal-onebyte.gif", size.c_str());
  CPageElement* samesize = AddImg(&page, "seal-samesize.gif", size.c_str());
  CPageElement* other_size = AddImg(&page, "seal.gif", "500");
  CPageElement* missing = AddImg(&page, "missing.gif", size.c_str());
  ScanAndDownload(&page);

  EXPECT_TRUE(list_.IsImageListComplete());
  EXPECT_FALSE(list_.DownloadsStarted());
  const auto& images = list_.Images();
  ASSERT_EQ(5u, images.size());
  EXPECT_FALSE(images[3]->selected());  // another reported size is not downloaded
  EXPECT_TRUE(images[3]->bytes().empty());
  EXPECT_EQ(4, owner_.finished);
  EXPECT_EQ(0, owner_.failed);
  EXPECT_TRUE(images[0]->verified());
  EXPECT_FALSE(images[1]->verified());
  EXPECT_FALSE(images[2]->verified());
  EXPECT_FALSE(images[4]->verified());
  EXPECT_EQ(20u, images[1]->hash().size());  // hashed, and found different
  EXPECT_EQ(images[0].get(), list_.Certificates()[0]->matched_image);

  std::string name;
  EXPECT_EQ(1, list_.CheckImageElement(genuine->Element(), &name));
  EXPECT_EQ("Bank Example Seal", name);
  EXPECT_EQ(0, list_.CheckImageElement(onebyte->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(samesize->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(missing->Element(), nullptr));
  // The same address as the genuine image (only its reported size differs): the same seal.
  EXPECT_EQ(1, list_.CheckImageElement(other_size->Element(), nullptr));
}

TEST_F(NlrListTest, TheWholeDigestIsCompared) {
  // The certificate's hash differs from the genuine image's digest in its last byte only.
  ASSERT_EQ(1, AddSeal("seal-lastbyte.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  CPageElement* image = AddImg(&page, "seal.gif", size.c_str());
  ScanAndDownload(&page);
  ASSERT_EQ(1u, list_.Images().size());
  const auto& hashed = list_.Images()[0]->hash();
  const auto& expected = list_.Certificates()[0]->logo_hash;
  ASSERT_EQ(20u, hashed.size());
  ASSERT_EQ(20u, expected.size());
  ASSERT_TRUE(std::equal(hashed.begin(), hashed.end() - 1, expected.begin()));
  ASSERT_NE(hashed.back(), expected.back());
  EXPECT_FALSE(list_.Images()[0]->verified());
  EXPECT_EQ(nullptr, list_.Certificates()[0]->matched_image);
  EXPECT_EQ(0, list_.CheckImageElement(image->Element(), nullptr));
}

TEST_F(NlrListTest, TheLastMatchingImageStaysBoundAndEndsTheHashing) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  AddImg(&page, "seal.gif", size.c_str());
  AddImg(&page, "seal.gif", size.c_str());
  ScanAndDownload(&page);
  ASSERT_EQ(2u, list_.Images().size());
  EXPECT_TRUE(list_.Images()[1]->verified());
  EXPECT_EQ(list_.Images()[1].get(), list_.Certificates()[0]->matched_image);
  // Once the seal is bound no further image is hashed for it.
  EXPECT_TRUE(list_.Images()[0]->hash().empty());
  EXPECT_FALSE(list_.Images()[0]->verified());
}

TEST_F(NlrListTest, SizeAndAlgorithmMustMatchTheCertificate) {
  // The genuine hash with a size one byte larger, and a hash of another algorithm.
  ASSERT_EQ(1, AddSeal("seal-wrongsize.cer"));
  ASSERT_EQ(1, AddSeal("seal-otheralg.cer"));
  const DWORD genuine = static_cast<DWORD>(SealPki::Bytes("seal.gif").size());
  EXPECT_EQ(genuine + 1, list_.Certificates()[0]->logo_size);
  CPage page(kPageUrl);
  CPageElement* claims_bigger = AddImg(&page, "seal.gif", std::to_string(genuine + 1).c_str());
  CPageElement* right_size = AddImg(&page, "seal.gif", std::to_string(genuine).c_str());
  ScanAndDownload(&page);
  EXPECT_TRUE(list_.IsImageListComplete());
  EXPECT_TRUE(list_.Images()[0]->selected());
  EXPECT_TRUE(list_.Images()[1]->selected());
  for (const auto& seal : list_.Certificates()) EXPECT_EQ(nullptr, seal->matched_image);
  EXPECT_EQ(0, list_.CheckImageElement(claims_bigger->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(right_size->Element(), nullptr));
}

TEST_F(NlrListTest, AFailedDownloadCountsAsFinished) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  CPageElement* genuine = AddImg(&page, "seal.gif", size.c_str());
  page.Add("IMG")->Set("src", KestrinTest::ServiceUrl("refused", "/seal.gif").c_str())->Set("fileSize", size.c_str());
  ScanAndDownload(&page);
  EXPECT_TRUE(list_.IsImageListComplete());
  EXPECT_EQ(2, owner_.finished);
  EXPECT_TRUE(list_.Images()[1]->done());
  EXPECT_TRUE(list_.Images()[1]->bytes().empty());
  EXPECT_EQ(1, list_.CheckImageElement(genuine->Element(), nullptr));
}

TEST_F(NlrListTest, CompletesOnlyWhenEverySizedDownloadEnded) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  CPageElement* genuine = AddImg(&page, "seal.gif", size.c_str());
  AddImg(&page, "seal-onebyte.gif", size.c_str());
  list_.ScanDocument(page.Document());
  list_.SetImagesCollected(true);
  list_.SetCertificatesDownloaded(true);
  list_.VerifyImages();
  EXPECT_TRUE(list_.DownloadsStarted());
  EXPECT_FALSE(list_.IsImageListComplete());
  // Before the downloads end every check answers 0.
  EXPECT_EQ(0, list_.CheckImageElement(genuine->Element(), nullptr));
  // A second verification does not start the downloads again.
  list_.VerifyImages();
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return list_.IsImageListComplete(); }, 20000));
  EXPECT_EQ(2, owner_.finished);
  KestrinTest::PumpFor(200);
  EXPECT_EQ(2, owner_.finished);
  EXPECT_EQ(1, list_.CheckImageElement(genuine->Element(), nullptr));
}

TEST_F(NlrListTest, WithoutCandidatesTheListNeverCompletes) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  CPage page(kPageUrl);
  CPageElement* small = AddImg(&page, "seal.gif", "10");
  ScanAndDownload(&page);
  EXPECT_FALSE(list_.DownloadsStarted());
  EXPECT_FALSE(list_.IsImageListComplete());
  EXPECT_EQ(0, list_.CheckImageElement(small->Element(), nullptr));
}

TEST_F(NlrListTest, ChecksBackgroundsByElementKind) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string relative = "url(\"/files/seal.gif\")";
  const std::string page_url = ImageUrl("page.html");
  CPage page(page_url.c_str());
  CPageElement* body = page.Add("BODY")->Set("background", "/files/seal.gif");
  CPageElement* table = page.Add("TABLE", body)->SetInlineBackground(relative.c_str());
  CPageElement* section = page.Add("TBODY", table);
  CPageElement* row = page.Add("TR", section);
  CPageElement* cell = page.Add("TD", row);                  // the table's background
  CPageElement* para = page.Add("P", cell);                  // asks its cell
  CPageElement* div_in_cell = page.Add("DIV", cell);
  CPageElement* own_cell = page.Add("TD", row)->Set("background", "seal-onebyte.gif");
  CPageElement* loose_cell = page.Add("TD");                 // no row, section or table
  CPageElement* flat_cell = page.Add("TD", page.Add("TR"));  // a row without parents
  CPageElement* div = page.Add("DIV", body)->SetComputedBackground(relative.c_str());
  CPageElement* plain_div = page.Add("DIV", body);            // computed "none"
  CPageElement* para_alone = page.Add("P", body)->SetComputedBackground(relative.c_str());
  CPageElement* span = page.Add("SPAN", body)->SetInlineBackground(relative.c_str());
  ScanAndDownload(&page);
  ASSERT_TRUE(list_.IsImageListComplete());

  EXPECT_EQ(1, list_.CheckImageElement(body->Element(), nullptr));
  std::string name;
  EXPECT_EQ(1, list_.CheckImageElement(cell->Element(), &name));
  EXPECT_EQ("Bank Example Seal", name);
  name.clear();
  EXPECT_EQ(1, list_.CheckImageElement(para->Element(), &name));
  EXPECT_EQ("", name);  // a paragraph's cell is checked without its name
  EXPECT_EQ(1, list_.CheckImageElement(div_in_cell->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(own_cell->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(loose_cell->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(flat_cell->Element(), nullptr));
  EXPECT_EQ(1, list_.CheckImageElement(div->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(plain_div->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(para_alone->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(span->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckImageElement(nullptr, nullptr));
}

TEST_F(NlrListTest, AreaIsCheckedThroughTheImagesThatUseItsMap) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  CPage page(kPageUrl);
  CPageElement* body = page.Add("BODY");
  CPageElement* map = page.Add("MAP", body)->Set("name", "seals");
  CPageElement* area = page.Add("AREA", map);
  CPageElement* other_map = page.Add("MAP", body)->Set("name", "other");
  CPageElement* other_area = page.Add("AREA", other_map);
  CPageElement* loose_area = page.Add("AREA", body);
  AddImg(&page, "seal-onebyte.gif", size.c_str(), body)->Set("useMap", "#seals");
  AddImg(&page, "seal.gif", size.c_str(), body)->Set("useMap", "#seals");
  AddImg(&page, "seal.gif", size.c_str(), body)->Set("useMap", "#SEALS-not");
  ScanAndDownload(&page);
  ASSERT_TRUE(list_.IsImageListComplete());

  std::string name;
  EXPECT_EQ(1, list_.CheckImageElement(area->Element(), &name));
  EXPECT_EQ("Bank Example Seal", name);
  EXPECT_EQ(0, list_.CheckImageElement(other_area->Element(), nullptr));
  EXPECT_EQ(0, list_.CheckAreaElement(loose_area->Element(), nullptr));
}

TEST_F(NlrListTest, ResetImagesKeepsTheCertificates) {
  ASSERT_EQ(1, AddSeal("seal-valid.cer"));
  const std::string size = SizeOf("seal.gif");
  {
    CPage page(kPageUrl);
    AddImg(&page, "seal.gif", size.c_str());
    ScanAndDownload(&page);
    ASSERT_NE(nullptr, list_.Certificates()[0]->matched_image);
    list_.ResetImages();
  }
  EXPECT_EQ(1u, list_.GetCount());
  EXPECT_EQ(nullptr, list_.Certificates()[0]->matched_image);
  EXPECT_TRUE(list_.Images().empty());
  EXPECT_FALSE(list_.ImagesCollected());
  EXPECT_FALSE(list_.IsImageListComplete());
  EXPECT_TRUE(list_.CertificatesDownloaded());

  // The next page of the host is scanned and matched again.
  CPage next(kPageUrl);
  CPageElement* seal = AddImg(&next, "seal.gif", size.c_str());
  ScanAndDownload(&next);
  EXPECT_EQ(1, list_.CheckImageElement(seal->Element(), nullptr));

  list_.Clear();
  EXPECT_EQ(0u, list_.GetCount());
  EXPECT_TRUE(list_.Images().empty());
  EXPECT_EQ("", list_.GetHost());
  EXPECT_FALSE(list_.CertificatesDownloaded());
}

}  // namespace

// ---- verdicts and name resolution off the browser's thread ----

namespace {

const char kWatchedStores[] = "Software\\KestrinTest\\NlrListStores";

// The machine stores' root check, counted per certificate.
struct CountedRootCheck {
  std::vector<std::vector<BYTE>>* judged;
  DWORD operator()(const BYTE* der, DWORD length) const {
    judged->emplace_back(der, der + length);
    CryptoNS::CNlrCertificate certificate;
    return certificate.Load(der, length) ? certificate.CheckRootChain() : CryptoNS::kNlrIssuerMissing;
  }
};

class NlrListVerdictTest : public NlrListTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kWatchedStores, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, stores_.Receive(), nullptr));
    list_.SetChainVerdicts(&verdicts_);
    NlrListTest::SetUp();
  }
  void TearDown() override {
    list_.Clear();
    stores_.Reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, kWatchedStores);
  }
  size_t Judged(const char* name) const {
    return static_cast<size_t>(std::count(judged_.begin(), judged_.end(), SealPki::Bytes(name)));
  }

  KestrinWinNS::CScopedRegKey stores_;
  std::vector<std::vector<BYTE>> judged_;
  CryptoNS::CChainVerdicts verdicts_{CountedRootCheck{&judged_}, HKEY_CURRENT_USER, kWatchedStores};
};

TEST_F(NlrListVerdictTest, EachCertificateIsJudgedOnceAndOffThisThread) {
  // The first time, the certificate waits for its verdict: nothing is judged on this thread,
  // and nothing is selected until it is back.
  std::vector<BYTE> der = SealPki::Bytes("seal-valid.cer");
  EXPECT_EQ(0, list_.AddCertificate(der.data(), static_cast<DWORD>(der.size())));
  EXPECT_TRUE(list_.HasWaitingCertificates());
  list_.SetCertificatesDownloaded(true);
  EXPECT_FALSE(list_.CertificatesDownloaded());
  ASSERT_TRUE(Settle(&list_));
  EXPECT_TRUE(list_.CertificatesDownloaded());
  ASSERT_EQ(1u, list_.GetCount());
  EXPECT_EQ(1u, Judged("seal-valid.cer"));

  // Every later page of the host, and another window's list, use the verdict at once.
  for (const char* page : {"http://bank.example/a.html", "http://bank.example/shop/b.html", "http://bank.example/"}) {
    list_.SetPageAddress(page);
    EXPECT_FALSE(list_.HasWaitingCertificates()) << page;
    EXPECT_EQ(1u, list_.GetCount()) << page;
  }
  CNLRList other;
  other.SetChainVerdicts(&verdicts_);
  other.SetHost(kHost);
  EXPECT_EQ(1, other.AddCertificate(der.data(), static_cast<DWORD>(der.size())));
  EXPECT_EQ(1u, Judged("seal-valid.cer"));

  // A change of the stores, and one of the update file, each have it judged once more.
  DWORD value = 1;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(stores_.Get(), "Changed", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4));
  list_.SetPageAddress("http://bank.example/c.html");
  EXPECT_TRUE(list_.HasWaitingCertificates());
  ASSERT_TRUE(Settle(&list_));
  EXPECT_EQ(1u, list_.GetCount());
  EXPECT_EQ(2u, Judged("seal-valid.cer"));
  verdicts_.Invalidate();
  list_.SetPageAddress("http://bank.example/d.html");
  ASSERT_TRUE(Settle(&list_));
  EXPECT_EQ(1u, list_.GetCount());
  EXPECT_EQ(3u, Judged("seal-valid.cer"));
}

// A verdict that arrives after the page's images were collected starts their downloads, and
// the seal matches as it always did.
TEST_F(NlrListVerdictTest, AVerdictArrivingLateStillMatchesThePage) {
  CPage page(kPageUrl);
  AddImg(&page, "seal.gif", SizeOf("seal.gif").c_str());
  std::vector<BYTE> der = SealPki::Bytes("seal-valid.cer");
  list_.AddCertificate(der.data(), static_cast<DWORD>(der.size()));
  list_.SetCertificatesDownloaded(true);
  list_.ScanDocument(page.Document());
  list_.SetImagesCollected(true);
  EXPECT_EQ(0, list_.VerifyImages());  // the verdict is not back yet
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return list_.IsImageListComplete(); }, 20000));
  ASSERT_EQ(1u, list_.GetCount());
  EXPECT_EQ(list_.Images()[0].get(), list_.Certificates()[0]->matched_image);
}

// Name look-ups of the test: "slow.bank.example" answers only once released; every other
// host at once, with the address the test chose.
HANDLE g_release = nullptr;
DWORD g_address = 0;
volatile LONG g_lookups = 0;
bool TestLookup(const char* host, DWORD* address) {
  InterlockedIncrement(&g_lookups);
  if (strcmp(host, "slow.bank.example") == 0) WaitForSingleObject(g_release, INFINITE);
  *address = g_address;
  return true;
}

// Waits until the look-up of `host` under way (or a new one) has ended.
void WaitForLookup(const char* host) {
  // Closed on return, after it was set: the look-up's thread is done with it by then.
  KestrinWinNS::CScopedKernelHandle ended_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE ended = ended_event.Get();
  ASSERT_TRUE(WebUtilsNS::ResolveHost(host, [ended](bool, DWORD) { SetEvent(ended); }));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ended, 20000));
}

class NlrListResolutionTest : public NlrListTest {
 protected:
  void SetUp() override {
    // One event for every test: a held look-up may still be waking when the next test begins.
    if (!g_release) g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(g_release);
    g_address = 0x0100007F;  // 127.0.0.1, network order
    WebUtilsNS::SetHostLookupForTest(&TestLookup);
    NlrListTest::SetUp();
  }
  void TearDown() override {
    SetEvent(g_release);
    list_.Clear();
    WaitForLookup("slow.bank.example");
    WebUtilsNS::SetHostLookupForTest(nullptr);
  }
};

TEST_F(NlrListResolutionTest, ASlowHostHoldsBackOnlyTheCertificatesThatNameAddresses) {
  CNLRList slow;
  slow.SetHost("slow.bank.example");  // returns at once; its look-up never ends in this test
  std::vector<BYTE> ip = SealPki::Bytes("seal-ip.cer");
  slow.AddCertificate(ip.data(), static_cast<DWORD>(ip.size()));
  // Another host's seals, also one naming addresses, are judged while the slow one waits.
  EXPECT_EQ(1, AddSeal("seal-ip.cer"));
  EXPECT_EQ(1, AddSeal("seal-valid.cer"));
  EXPECT_TRUE(slow.HasWaitingCertificates());
  EXPECT_EQ(0u, slow.GetCount());
  // Its answer, when it comes, decides for it.
  EXPECT_EQ(0u, slow.GetCount());
  SetEvent(g_release);
  ASSERT_TRUE(Settle(&slow));
  EXPECT_EQ(1u, slow.GetCount());  // a sub-domain of the seal's host, at the address it names
}

TEST_F(NlrListResolutionTest, OnlyAHostWithACertificateNamingAddressesIsLookedUp) {
  list_.Clear();
  list_.SetHost(kHost);
  InterlockedExchange(&g_lookups, 0);
  EXPECT_EQ(1, AddSeal("seal-valid.cer"));
  EXPECT_EQ(0, g_lookups);
  EXPECT_EQ(1, AddSeal("seal-ip.cer"));  // at the address it names
  EXPECT_EQ(1, g_lookups);
}

TEST_F(NlrListResolutionTest, TheHostsAddressDecidesForACertificateNamingAddresses) {
  const struct {
    DWORD address;
    DWORD kept;
  } kCases[] = {{0x0100007F, 1}, {0x0302010A, 0}};  // 127.0.0.1 named by the seal, 10.1.2.3 not
  for (const auto& c : kCases) {
    WaitForLookup(kHost);
    WebUtilsNS::SetHostLookupForTest(&TestLookup);  // forgets the last answer
    g_address = c.address;
    list_.Clear();
    list_.SetHost(kHost);
    EXPECT_EQ(c.kept, static_cast<DWORD>(AddSeal("seal-ip.cer"))) << std::hex << c.address;
  }
}

}  // namespace
