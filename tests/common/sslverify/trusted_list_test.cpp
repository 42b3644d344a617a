#include "common/sslverify/trusted_list.h"

#include <gtest/gtest.h>

#include "common/web/server_request.h"
#include "platform/win/module.h"
#include "platform/win/scoped_handle.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

using SslVerifyNS::CSslVerifyTrustedList;

namespace {

std::string DataPath(const char* name) { return std::string(KESTRIN_UPDATE_TEST_DATA) + "\\" + name; }

std::string FileBytes(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
std::string Logo(const char* name) { return FileBytes(std::string(KESTRIN_LOGOS) + "\\" + name + ".gif"); }

std::string ReadAll(IStream* stream) {
  std::string bytes;
  char buffer[512];
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0) bytes.append(buffer, read);
  return bytes;
}

// The logo bytes for a key, or "" when there is none.
std::string Find(CSslVerifyTrustedList& list, const char* key) {
  IStream* stream = nullptr;
  if (!list.FindLogo(key, &stream)) return "";
  std::string bytes = ReadAll(stream);
  stream->Release();
  return bytes;
}

class CEventCounter : public ObserveNS::IObserver {
 public:
  void Notify(DWORD event) override {
    events.push_back(event);
    thread = GetCurrentThreadId();
  }
  std::vector<DWORD> events;
  DWORD thread = 0;
};

// Handles this thread's messages until `done`, for at most ten seconds.
bool PumpUntil(const std::function<bool()>& done) {
  DWORD until = GetTickCount() + 10000;
  while (!done()) {
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A copy of a test update file in a place of the test's own.
class TrustedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    path_ = std::string(folder) + "kestrin-trusted-list-" + std::to_string(GetCurrentProcessId()) + ".dat";
  }
  void TearDown() override { DeleteFileA(path_.c_str()); }
  void Use(const char* name) { ASSERT_TRUE(CopyFileA(DataPath(name).c_str(), path_.c_str(), FALSE)) << name; }

  ObserveNS::CObserverService service_;
  std::string path_;
};

TEST(TrustedOrganisations, TableHas51RowsFor35Authorities) {
  ASSERT_EQ(51u, SslVerifyNS::kTrustedOrganisationCount);
  std::set<std::string> names, identifiers;
  for (size_t i = 0; i < SslVerifyNS::kTrustedOrganisationCount; ++i) {
    names.insert(SslVerifyNS::kTrustedOrganisations[i].organisation);
    identifiers.insert(SslVerifyNS::kTrustedOrganisations[i].identifier);
  }
  EXPECT_EQ(51u, names.size());
  EXPECT_EQ(35u, identifiers.size());
  EXPECT_STREQ("Torvan CA Limited", SslVerifyNS::kTrustedOrganisations[9].organisation);
  EXPECT_STREQ(SslVerifyNS::kTrustedOrganisations[25].identifier, SslVerifyNS::kTrustedOrganisations[24].identifier);
}

TEST_F(TrustedListTest, FindsLogosByKeyThenByOrganisation) {
  Use("good.dat");
  CSslVerifyTrustedList list(&service_, path_.c_str());
  const std::string torvan = Logo("torvan"), digicert = Logo("digicert");
  ASSERT_FALSE(torvan.empty());
  std::string root = FileBytes(DataPath("root-nowhere.thumbprint"));
  root = root.substr(0, 40);

  struct Case { std::string key; std::string logo; } cases[] = {
      // A root thumbprint listed in the file, whatever the authority's name.
      {root, digicert},
      // Organisations of the built-in table reach the logo keyed by their identifier.
      {"Torvan CA Limited", torvan},
      {"Orlantis AB", torvan},
      {"DigiCert Inc.", digicert},
      {"TORVAN CA LIMITED", ""},  // not a row of the table
      // The file wrote the key in upper case: keys are lower-cased on loading, lookups are exact.
      {"ab12cd34ef56ab12cd34ef56ab12cd34ef56ab12", torvan},  // the first record keeps it
      {"AB12CD34EF56AB12CD34EF56AB12CD34EF56AB12", ""},
      {"{2ed9ba65-cdaa-41fb-9d08-dca84dd618cf}", torvan},
      {"0000000000000000000000000000000000000000", ""},  // listed before any logo
      {"", ""},                                          // an empty key in the file is no key
      {"GlobalSign nv-sa", ""},                          // in the table, but no logo in this file
  };
  for (const Case& c : cases) EXPECT_TRUE(c.logo == Find(list, c.key.c_str())) << "key " << c.key;

  IStream* stream = reinterpret_cast<IStream*>(1);
  EXPECT_FALSE(list.FindLogo(nullptr, &stream));
  EXPECT_FALSE(list.FindLogo("Torvan CA Limited", nullptr));
}

TEST_F(TrustedListTest, EveryCallerGetsAStreamOfItsOwn) {
  Use("good.dat");
  CSslVerifyTrustedList list(&service_, path_.c_str());
  IStream* first = nullptr;
  IStream* second = nullptr;
  ASSERT_TRUE(list.FindLogo("Torvan CA Limited", &first));
  ASSERT_TRUE(list.FindLogo("Torvan CA Limited", &second));
  EXPECT_NE(first, second);
  std::string bytes = ReadAll(first);  // reading one leaves the other at its start
  EXPECT_EQ(bytes, ReadAll(second));
  first->Release();
  second->Release();

  // Popups on several threads read their logos at the same time.
  const std::string expected = Logo("torvan");
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&list, &expected, &wrong, t] {
      for (int i = 0; i < 200; ++i)
        if (Find(list, "Torvan CA Limited") != expected) ++wrong[t];
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), wrong);
}

TEST_F(TrustedListTest, WithoutAFileNothingIsFound) {
  CSslVerifyTrustedList list(&service_, path_.c_str());  // no file at the path
  EXPECT_EQ("", Find(list, "Torvan CA Limited"));
  EXPECT_FALSE(list.Rebuild());
}

TEST_F(TrustedListTest, RefusedFilesLeaveTheListEmpty) {
  for (const char* name : {"other-signer.dat", "expired.dat", "damaged.dat"}) {
    Use(name);
    CSslVerifyTrustedList list(&service_, path_.c_str());
    EXPECT_EQ("", Find(list, "Torvan CA Limited")) << name;
  }
  // A document type declaration stops the reader before any record.
  Use("doctype.dat");
  CSslVerifyTrustedList list(&service_, path_.c_str());
  EXPECT_EQ("", Find(list, "ab12cd34ef56ab12cd34ef56ab12cd34ef56ab12"));
}

TEST_F(TrustedListTest, EventZeroRebuildsAndAnnouncesEventTwo) {
  Use("good.dat");
  CSslVerifyTrustedList list(&service_, path_.c_str());
  CEventCounter counter;
  ObserveNS::CObserverSubscription subscription(&service_, ObserveNS::kEventTrustedListRebuilt, &counter);

  // A new file: its logos replace the old ones once it is read, which happens off this
  // thread; the old logos serve meanwhile.
  std::string before = Find(list, "Torvan CA Limited");
  ASSERT_NE("", before);
  Use("second.dat");
  service_.Notify(ObserveNS::kEventUpdateFileChanged);
  EXPECT_TRUE(counter.events.empty());
  EXPECT_EQ(before, Find(list, "Torvan CA Limited"));
  ASSERT_TRUE(PumpUntil([&] { return !counter.events.empty(); }));
  EXPECT_EQ(std::vector<DWORD>{2}, counter.events);
  EXPECT_EQ(GetCurrentThreadId(), counter.thread);  // announced on the thread that had event 0
  EXPECT_EQ(Logo("thawte"), Find(list, "DigiCert Inc."));
  EXPECT_EQ("", Find(list, "Torvan CA Limited"));

  // The file removed: the logos stay as they were, and event 2 is still announced.
  ASSERT_TRUE(DeleteFileA(path_.c_str()));
  service_.Notify(ObserveNS::kEventUpdateFileChanged);
  ASSERT_TRUE(PumpUntil([&] { return counter.events.size() == 2; }));
  EXPECT_EQ((std::vector<DWORD>{2, 2}), counter.events);
  EXPECT_EQ(Logo("thawte"), Find(list, "DigiCert Inc."));

  // Other events change nothing.
  list.Notify(ObserveNS::kEventSettingsChanged);
  EXPECT_EQ(2u, counter.events.size());
}

TEST_F(TrustedListTest, BroadcastOfEventZeroReachesTheList) {
  // Event 0 sent to the service's window, as another process's broadcast arrives.
  Use("good.dat");
  CSslVerifyTrustedList list(&service_, path_.c_str());
  Use("second.dat");
  ASSERT_NE(nullptr, service_.GetWindow());
  SendMessageA(service_.GetWindow(), ObserveNS::kMsgUpdateFileChanged, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return Find(list, "DigiCert Inc.") == Logo("thawte"); }));
}

// A list that goes while its file is read hears nothing of it afterwards.
TEST_F(TrustedListTest, AListGoneBeforeItsReadEndedIsNotTouched) {
  Use("good.dat");
  CEventCounter counter;
  ObserveNS::CObserverSubscription subscription(&service_, ObserveNS::kEventTrustedListRebuilt, &counter);
  {
    CSslVerifyTrustedList list(&service_, path_.c_str());
    Use("second.dat");
    service_.Notify(ObserveNS::kEventUpdateFileChanged);
  }
  // The read ends in the background (work handed over there runs in turn: once a later job
  // ran, the read has posted its answer); the answer finds no list.
  KestrinWinNS::CScopedKernelHandle done_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE done = done_event.Get();
  ASSERT_TRUE(KestrinWinNS::RunInBackground([done] { SetEvent(done); }));
  const DWORD waited = WaitForSingleObject(done, 10000);
  if (waited != WAIT_OBJECT_0) done_event.Take();  // the job may still set it: left open
  ASSERT_EQ(WAIT_OBJECT_0, waited);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_TRUE(counter.events.empty());
}

TEST(ShippedUpdateFile, HasALogoForEveryAuthorityOfTheTable) {
  // The file the project ships opens with the project's keys and covers the whole table.
  ObserveNS::CObserverService service;
  CSslVerifyTrustedList list(&service, KESTRIN_SHIPPED_UPDATE_FILE);
  for (size_t i = 0; i < SslVerifyNS::kTrustedOrganisationCount; ++i) {
    std::string logo = Find(list, SslVerifyNS::kTrustedOrganisations[i].organisation);
    EXPECT_EQ("GIF89a", logo.substr(0, 6)) << SslVerifyNS::kTrustedOrganisations[i].organisation;
  }
}

}  // namespace
