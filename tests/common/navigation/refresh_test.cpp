#include "common/navigation/refresh_helper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace RefreshUtilsNS;

namespace {

// A browser generation by its number (0 and 5 stand for generations the add-on does not know).
SubclassUtilsNS::BrowserGeneration Gen(int number) { return static_cast<SubclassUtilsNS::BrowserGeneration>(number); }

// Records what the helper tells the add-on instance.
struct FakeOwner : IRefreshHelperOwner {
  int before_navigate = 0, navigate_complete = 0, document_complete = 0;
  int refresh_started = 0, refresh_complete = 0, effect_shown = 0;
  void OnBeforeNavigate2(DISPPARAMS*) override { ++before_navigate; }
  void OnNavigateComplete2(DISPPARAMS*) override { ++navigate_complete; }
  void OnDocumentComplete(DISPPARAMS*) override { ++document_complete; }
  void OnRefreshStarted() override { ++refresh_started; }
  void OnRefreshDocumentComplete() override {
    ++refresh_complete;
    // The effect counts as shown before the page is collected again.
    EXPECT_EQ(effect_shown, refresh_complete);
  }
  void SetEffectShown() override { ++effect_shown; }
};

// One browser event, with parameters laid out as Internet Explorer passes them (reversed,
// the URL as a reference to a variant).
struct Event {
  DISPID dispid;
  std::wstring url;
  LONG progress, progress_max;
};

Event BN(const wchar_t* url) { return {kDispidBeforeNavigate2, url, 0, 0}; }
Event NC(const wchar_t* url) { return {kDispidNavigateComplete2, url, 0, 0}; }
Event DocC() { return {kDispidDocumentComplete, L"", 0, 0}; }
Event DB() { return {kDispidDownloadBegin, L"", 0, 0}; }
Event DC() { return {kDispidDownloadComplete, L"", 0, 0}; }
Event PC(LONG p, LONG max) { return {kDispidProgressChange, L"", p, max}; }
Event TC() { return {kDispidTitleChange, L"", 0, 0}; }

bool Fire(CRefreshHelperBase* helper, const Event& e) {
  VARIANT args[7];
  for (VARIANT& v : args) VariantInit(&v);
  VARIANT url;
  VariantInit(&url);
  DISPPARAMS params = {args, nullptr, 0, 0};
  BSTR text = SysAllocString(e.url.c_str());
  V_VT(&url) = VT_BSTR;
  V_BSTR(&url) = text;
  switch (e.dispid) {
    case kDispidBeforeNavigate2:  // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel
      params.cArgs = 7;
      V_VT(&args[5]) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&args[5]) = &url;
      break;
    case kDispidNavigateComplete2:  // pDisp, URL
    case kDispidDocumentComplete:
      params.cArgs = 2;
      V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&args[0]) = &url;
      break;
    case kDispidProgressChange:  // Progress, ProgressMax
      params.cArgs = 2;
      V_VT(&args[1]) = VT_I4;
      V_I4(&args[1]) = e.progress;
      V_VT(&args[0]) = VT_I4;
      V_I4(&args[0]) = e.progress_max;
      break;
    default:
      break;
  }
  bool taken = helper->HandleEvent(e.dispid, &params);
  SysFreeString(text);
  return taken;
}

void FireAll(CRefreshHelperBase* helper, const std::vector<Event>& events) {
  for (const Event& e : events) EXPECT_TRUE(Fire(helper, e));
}

// A top-level page load as the browsers report it.
std::vector<Event> LoadPage(const wchar_t* url) {
  return {BN(url), DB(), NC(url), PC(40, 100), DocC(), DC(), PC(0, 0)};
}
// F5: no navigation events, only download and progress.
std::vector<Event> Refresh() { return {DB(), PC(30, 100), DC(), PC(0, 0)}; }

std::vector<Event> Join(std::vector<std::vector<Event>> parts) {
  std::vector<Event> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct SequenceCase {
  const char* name;
  std::vector<Event> events;
  int before_navigate, refresh_started, refresh_complete;
};

class RefreshSequence : public ::testing::TestWithParam<int> {};

TEST_P(RefreshSequence, EventSequences) {
  const int version = GetParam();
  const SequenceCase cases[] = {
      {"load then refresh", Join({LoadPage(L"http://a.example/"), Refresh()}), 1, 2, 1},
      {"load, refresh, refresh", Join({LoadPage(L"http://a.example/"), Refresh(), Refresh()}), 1, 3, 2},
      {"two different pages", Join({LoadPage(L"http://a.example/"), LoadPage(L"http://b.example/")}), 2, 2, 0},
      {"the same page navigated again",
       Join({LoadPage(L"http://a.example/"), LoadPage(L"http://a.example/")}), 2, 2, 0},
      {"frameset then refresh of its frames",
       Join({{BN(L"http://a.example/"), BN(L"http://a.example/f1"), NC(L"http://a.example/"),
              NC(L"http://a.example/f1"), PC(50, 100), DocC(), PC(0, 0)},
             {BN(L"http://a.example/f1"), NC(L"http://a.example/f1"), PC(50, 100), PC(0, 0)}}),
       3, 2, 1},
      {"frame navigated to another page",
       Join({{BN(L"http://a.example/"), BN(L"http://a.example/f1"), NC(L"http://a.example/"),
              NC(L"http://a.example/f1"), PC(50, 100), DocC(), PC(0, 0)},
             {BN(L"http://a.example/f2"), NC(L"http://a.example/f2"), PC(50, 100), PC(0, 0)}}),
       3, 2, 0},
      {"script link", {BN(L"JavaScript:void(0)"), PC(50, 100), PC(0, 0)}, 0, 0, 0},
      {"script link, then the title changes",
       {BN(L"javascript:go()"), PC(50, 100), TC(), PC(50, 100)}, 0, 1, 0},
  };
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeOwner owner;
    auto helper = CreateRefreshHelper(&owner, Gen(version));
    ASSERT_TRUE(helper);
    FireAll(helper.get(), c.events);
    EXPECT_EQ(c.before_navigate, owner.before_navigate);
    EXPECT_EQ(c.refresh_started, owner.refresh_started);
    EXPECT_EQ(c.refresh_complete, owner.refresh_complete);
    EXPECT_EQ(c.refresh_complete, owner.effect_shown);
  }
}

INSTANTIATE_TEST_SUITE_P(AllGenerations, RefreshSequence, ::testing::Values(1, 2, 3, 4));

TEST(RefreshHelper, FactoryByBrowserVersion) {
  FakeOwner owner;
  EXPECT_FALSE(CreateRefreshHelper(&owner, Gen(0)));
  EXPECT_FALSE(CreateRefreshHelper(&owner, Gen(5)));
  EXPECT_TRUE(dynamic_cast<CIE5RefreshHelper*>(CreateRefreshHelper(&owner, Gen(1)).get()));
  EXPECT_TRUE(dynamic_cast<CIE6RefreshHelper*>(CreateRefreshHelper(&owner, Gen(2)).get()));
  EXPECT_TRUE(dynamic_cast<CIE7RefreshHelper*>(CreateRefreshHelper(&owner, Gen(3)).get()));
  EXPECT_TRUE(dynamic_cast<CIE7RefreshHelper*>(CreateRefreshHelper(&owner, Gen(4)).get()));
}

// The owner holds its helper through the base class.
int g_helpers_destroyed = 0;
struct CountedHelper : CIE6RefreshHelper {
  explicit CountedHelper(IRefreshHelperOwner* owner) : CIE6RefreshHelper(owner) {}
  ~CountedHelper() override { ++g_helpers_destroyed; }
};

TEST(RefreshHelper, DestroyedThroughTheBase) {
  { std::unique_ptr<CRefreshHelperBase> helper(new CountedHelper(nullptr)); }
  EXPECT_EQ(1, g_helpers_destroyed);
}

TEST(RefreshHelper, EventsOutsideTheTableAreNotTaken) {
  FakeOwner owner;
  auto helper = CreateRefreshHelper(&owner, Gen(2));
  Fire(helper.get(), BN(L"http://a.example/"));
  ASSERT_EQ(CRefreshHelperBase::kNavigating, helper->GetEventState());
  for (DISPID other : {103, 253, 258, 283}) EXPECT_FALSE(Fire(helper.get(), {other, L"", 0, 0}));
  EXPECT_EQ(CRefreshHelperBase::kNavigating, helper->GetEventState());
  EXPECT_EQ(0, owner.navigate_complete);
}

TEST(RefreshHelper, NavigationEventsAreForwarded) {
  FakeOwner owner;
  auto helper = CreateRefreshHelper(&owner, Gen(3));
  FireAll(helper.get(), LoadPage(L"http://a.example/"));
  EXPECT_EQ(1, owner.before_navigate);
  EXPECT_EQ(1, owner.navigate_complete);
  EXPECT_EQ(1, owner.document_complete);
}

TEST(RefreshHelper, EventStateMachine) {
  FakeOwner owner;
  auto helper = CreateRefreshHelper(&owner, Gen(2));
  struct Step { Event e; int state; } steps[] = {
      {BN(L"u"), 1}, {BN(L"u"), 0}, {BN(L"u"), 1}, {DB(), 2}, {DC(), 3}, {TC(), 0},
      {BN(L"u"), 1}, {DC(), 0}, {DB(), 0}, {BN(L"u"), 1}, {NC(L"u"), 0},
  };
  for (const Step& s : steps) {
    Fire(helper.get(), s.e);
    EXPECT_EQ(s.state, helper->GetEventState());
  }
}

TEST(RefreshHelper, SecondDownloadAfterNavigationKeepsOnlyTheFirstUrl) {
  FakeOwner owner;
  auto helper = CreateRefreshHelper(&owner, Gen(2));
  // Two navigations toggle the state back to idle; the third starts the watched sequence.
  FireAll(helper.get(), {BN(L"http://a/"), BN(L"http://b/"), BN(L"http://c/"), DB(), DB(), DC()});
  ASSERT_EQ(CRefreshHelperBase::kIdle, helper->GetEventState());  // DB, DB broke the sequence
  FireAll(helper.get(), {BN(L"http://d/"), DB(), DC(), DB()});
  EXPECT_EQ(std::vector<std::string>{"http://a/"}, helper->CurrentUrls());
  EXPECT_EQ(1, helper->PendingNavigations());
  EXPECT_EQ(1, helper->DownloadsInProgress());
  EXPECT_EQ(CRefreshHelperBase::kIdle, helper->GetEventState());
}

TEST(RefreshHelper, OneOpenDownloadCompletesOnlyOnIE5) {
  for (int version : {1, 2, 3}) {
    SCOPED_TRACE(version);
    FakeOwner owner;
    auto helper = CreateRefreshHelper(&owner, Gen(version));
    FireAll(helper.get(), {BN(L"http://a/"), DB(), NC(L"http://a/"), PC(0, 0)});
    ASSERT_EQ(1, helper->DownloadsInProgress());
    if (version == 1) {
      EXPECT_EQ(std::vector<std::string>{"http://a/"}, helper->PreviousUrls());
    } else {
      EXPECT_TRUE(helper->PreviousUrls().empty());
    }
  }
}

TEST(RefreshHelper, ExtraNavigateCompleteCountsBelowZeroBeforeIE7) {
  for (int version : {1, 2, 3, 4}) {
    SCOPED_TRACE(version);
    FakeOwner owner;
    auto helper = CreateRefreshHelper(&owner, Gen(version));
    FireAll(helper.get(), {BN(L"http://a/"), NC(L"http://a/"), NC(L"http://a/"), PC(0, 0)});
    EXPECT_EQ(2, owner.navigate_complete);
    if (version < 3) {
      EXPECT_EQ(-1, helper->PendingNavigations());
      EXPECT_TRUE(helper->PreviousUrls().empty());  // no completion while the counter is not 0
    } else {
      EXPECT_EQ(0, helper->PendingNavigations());
      EXPECT_EQ(std::vector<std::string>{"http://a/"}, helper->PreviousUrls());
    }
  }
}

TEST(RefreshHelper, ResetForgetsPagesSeen) {
  FakeOwner owner;
  auto helper = CreateRefreshHelper(&owner, Gen(2));
  FireAll(helper.get(), LoadPage(L"http://a.example/"));
  FireAll(helper.get(), {BN(L"http://b/"), DB()});
  helper->Reset();
  EXPECT_TRUE(helper->CurrentUrls().empty());
  EXPECT_TRUE(helper->PreviousUrls().empty());
  EXPECT_EQ(0, helper->PendingNavigations());
  EXPECT_EQ(0, helper->DownloadsInProgress());
  // With the previous page forgotten a reload is not recognised.
  FireAll(helper.get(), Refresh());
  EXPECT_EQ(0, owner.refresh_complete);
}

}  // namespace
