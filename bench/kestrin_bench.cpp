// The add-on measured as a browser measures its add-ons, side by side with a yardstick in one
// run: per new browser window, first helper in a process, per navigation, per page of seal
// images, the update file and memory. Prints one table; every time is the minimum and the
// median over repeated runs, and each figure is also given as a ratio to its yardstick.
//
//   kestrin_bench <add-on library> <yardstick library> <update file with 100 logos>
//   kestrin_bench --first <library> <clsid>     (child: one first helper, exit code = us)
//   kestrin_bench --memory <library>            (child: memory figures on stdout)
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <shlwapi.h>
#include <wincrypt.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_server.h"
#include "bench/bench_timing.h"
#include "bench/minimal_helper.h"
#include "common/siteseal/nlr_list.h"
#include "common/observe/observer_service.h"
#include "common/sslverify/trusted_list.h"
#include "common/subclass/subclass_helper.h"
#include "platform/win/scoped_handle.h"
#include "tools/browserwindows/browser_windows.h"
#include "tools/iehost/host_browser.h"
#include "tools/iehost/host_document.h"
#include "tools/pagemodel/page_model.h"
#include "tools/sealpki/seal_pki.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using iehost::CHostBrowser;
using iehost::CHostDocument;

const wchar_t kIePath[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
const char kConfigKey[] = "Software\\TorvanGroup\\Kestrin";

// ---- clock and statistics ----

using KestrinBench::Summarise;
using KestrinBench::Timing;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(DWORD ms, const std::function<bool()>& done) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    Pump();
    if (done()) return true;
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// ---- the table ----

int g_failed_targets = 0;

void Header() {
  printf("%-46s %11s %11s %11s %11s %9s  %s\n", "figure", "min", "median", "yard min", "yard med",
         "ratio", "target");
}

// Times in ms; `limit` is the target on the median (ms, or the ratio when `on_ratio`), 0 none.
void Row(const std::string& name, const Timing& mine, const Timing& yard, double limit, bool on_ratio,
         const char* unit = "ms") {
  double ratio = yard.median > 0 ? mine.median / yard.median : 0;
  char target[64] = "";
  if (limit > 0) {
    double value = on_ratio ? ratio : mine.median;
    bool met = value <= limit;
    if (!met) ++g_failed_targets;
    snprintf(target, sizeof(target), "%s %g%s %s", "<=", limit, on_ratio ? "x" : unit, met ? "met" : "MISSED");
  }
  printf("%-46s %11.3f %11.3f %11.3f %11.3f %8.1fx  %s\n", name.c_str(), mine.min, mine.median, yard.min,
         yard.median, ratio, target);
  fflush(stdout);
}

void Line(const std::string& name, const std::string& text) {
  printf("%-46s %s\n", name.c_str(), text.c_str());
  fflush(stdout);
}

// ---- libraries ----

class CLibrary {
 public:
  explicit CLibrary(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
  ~CLibrary() {
    factory_.Release();
  }
  bool loaded() const { return module_.IsValid(); }
  HRESULT Create(const CLSID& clsid, IObjectWithSite** out) {
    *out = nullptr;
    if (!module_) return E_FAIL;
    if (!factory_) {
      typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
      auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module_.Get(), "DllGetClassObject"));
      if (!get) return E_FAIL;
      HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory_));
      if (FAILED(hr)) return hr;
    }
    return factory_->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(out));
  }

 private:
  KestrinWinNS::CScopedLibrary module_;
  CComPtr<IClassFactory> factory_;
};

// A browser window as the scripted host plays it: an Internet Explorer 8 frame with one tab.
struct BrowserWindow {
  BrowserWindow() : frame(4) {
    test::Tab tab = frame.AddTab();
    browser.Attach(CComObject<CHostBrowser>::Create(kIePath, frame.frame, tab.tab));
    page.Attach(CComObject<CHostDocument>::Create(L"about:blank", POINT{50, 120}));
    page->AddElement(L"IMG", RECT{600, 500, 700, 550})->SetAttribute(L"src", L"http://www.bench.example/logo.gif");
    browser->SetDocument(page.get());
    browser->SetLocationUrl(L"about:blank");
  }
  test::Ie7Frame frame;
  CComPtr<CComObject<CHostBrowser>> browser;
  CComPtr<CComObject<CHostDocument>> page;
};

// The lookup service the add-on asks: the benchmark's own, for as long as this lives.
class CLookupHostSetting {
 public:
  explicit CLookupHostSetting(const std::string& host) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kConfigKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.Receive(), nullptr);
    char value[256];
    DWORD size = sizeof(value) - 1, type = 0;
    if (key_ && RegQueryValueExA(key_.Get(), "LookupHost", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                    ERROR_SUCCESS && type == REG_SZ) {
      value[size] = 0;
      saved_ = value;
      had_ = true;
    }
    if (key_)
      RegSetValueExA(key_.Get(), "LookupHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                     static_cast<DWORD>(host.size() + 1));
  }
  ~CLookupHostSetting() {
    if (!key_) return;
    if (had_)
      RegSetValueExA(key_.Get(), "LookupHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_.c_str()),
                     static_cast<DWORD>(saved_.size() + 1));
    else
      RegDeleteValueA(key_.Get(), "LookupHost");
  }

 private:
  KestrinWinNS::CScopedRegKey key_;
  std::string saved_;
  bool had_ = false;
};

// ---- per new window ----

// One new window: the helper made and given its site; the time excludes the teardown.
double NewWindow(const std::function<HRESULT(IObjectWithSite**)>& make, IUnknown* site) {
  CComPtr<IObjectWithSite> helper;
  double start = KestrinBench::Now();
  if (FAILED(make(&helper)) || !helper) return -1;
  helper->SetSite(site);
  double elapsed = KestrinBench::Now() - start;
  helper->SetSite(nullptr);
  return elapsed;
}

void BenchWindows(CLibrary* addon, int repeats) {
  BrowserWindow anchor_window, window;
  // The first window of the process stays open, as in a browser: later windows find the
  // process's shared objects made.
  CComPtr<IObjectWithSite> anchor;
  addon->Create(iehost::kClsidKestrinBho, &anchor);
  if (anchor) anchor->SetSite(static_cast<IWebBrowser2*>(anchor_window.browser.get()));
  auto make_addon = [addon](IObjectWithSite** out) { return addon->Create(iehost::kClsidKestrinBho, out); };
  auto make_minimal = [](IObjectWithSite** out) -> HRESULT {
    CComObject<bench::CMinimalHelper>* helper = CComObject<bench::CMinimalHelper>::Create();
    if (!helper) return E_OUTOFMEMORY;
    HRESULT hr = helper->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(out));
    helper->Release();
    return hr;
  };
  IUnknown* site = static_cast<IWebBrowser2*>(window.browser.get());
  NewWindow(make_addon, site);
  NewWindow(make_minimal, site);
  std::vector<double> mine, yard;
  for (int i = 0; i < repeats; ++i) {
    yard.push_back(NewWindow(make_minimal, site));
    mine.push_back(NewWindow(make_addon, site));
    Pump();
  }
  Row("new window: create + SetSite", Summarise(mine), Summarise(yard), 1.0, false);
  if (anchor) anchor->SetSite(nullptr);
}

// ---- first helper in a process ----

// Runs this program (or `program`) with `arguments`; its exit code and standard output.
bool RunChild(const std::wstring& arguments, DWORD* exit_code, std::string* output,
              const std::wstring& program = std::wstring()) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + (program.empty() ? std::wstring(self) : program) + L"\" " + arguments;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  KestrinWinNS::CScopedKernelHandle read, write;
  if (!CreatePipe(read.Receive(), write.Receive(), &inherit, 0)) return false;
  SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {sizeof(startup)};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write.Get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(0);
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  write.Reset();  // the child holds the only writing end: the reads below end with it
  if (!started) return false;
  KestrinWinNS::CScopedKernelHandle thread(process.hThread), child(process.hProcess);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read.Get(), buffer, sizeof(buffer), &got, nullptr) && got) {
    if (output) output->append(buffer, got);
  }
  WaitForSingleObject(child.Get(), INFINITE);
  GetExitCodeProcess(child.Get(), exit_code);
  return true;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring GuidText(const CLSID& clsid) {
  wchar_t text[64];
  StringFromGUID2(clsid, text, 64);
  return text;
}

// The first helper runs in bench_first_helper.exe, beside this program: it imports only what a
// browser surely has loaded (kernel, user, GDI, COM, OLE automation, the common controls and
// the shell's light-weight utilities), so that the add-on's own libraries are in its time.
void BenchFirstHelper(const std::wstring& addon, const std::wstring& minimal, int repeats) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring child = self;
  child = child.substr(0, child.find_last_of(L'\\') + 1) + L"bench_first_helper.exe";
  std::vector<double> mine, yard;
  for (int i = 0; i < repeats; ++i) {
    DWORD code = 0;
    if (RunChild(Quoted(minimal) + L" " + GuidText(bench::kClsidMinimalHelper), &code, nullptr, child) &&
        code != static_cast<DWORD>(-1))
      yard.push_back(code / 1000.0);
    if (RunChild(Quoted(addon) + L" " + GuidText(iehost::kClsidKestrinBho), &code, nullptr, child) &&
        code != static_cast<DWORD>(-1))
      mine.push_back(code / 1000.0);
  }
  Row("first helper in a process (with load)", Summarise(mine), Summarise(yard), 10.0, false);
}

// ---- per navigation ----

// Times one top-level navigation of `browser` to `url` (every event the host fires), then
// lets what it started settle, as a page's loading would (window messages, the lookup reply),
// so that one navigation's work does not run into the next one's time.
double Navigate(CHostBrowser* browser, CComObject<CHostDocument>* page, const std::wstring& url,
                DWORD settle_ms = 60) {
  double start = KestrinBench::Now();
  browser->Navigate(url, page);
  double elapsed = KestrinBench::Now() - start;
  PumpUntil(settle_ms, [] { return false; });
  return elapsed;
}

void BenchNavigation(CLibrary* addon, int repeats) {
  BrowserWindow alone, with_addon, with_minimal;
  CComPtr<IObjectWithSite> helper, minimal;
  addon->Create(iehost::kClsidKestrinBho, &helper);
  if (!helper) return;
  helper->SetSite(static_cast<IWebBrowser2*>(with_addon.browser.get()));
  CComObject<bench::CMinimalHelper>* m = CComObject<bench::CMinimalHelper>::Create();
  m->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&minimal));
  m->Release();
  minimal->SetSite(static_cast<IWebBrowser2*>(with_minimal.browser.get()));

  for (int same = 1; same >= 0; --same) {
    std::vector<double> host, mine, yard, added;
    for (int i = 0; i < repeats; ++i) {
      wchar_t url[128];
      if (same) swprintf(url, 128, L"http://www.bench.example/page%d.html", i);
      else swprintf(url, 128, L"http://site%d.bench%u.example/", i, GetTickCount());
      double a = Navigate(alone.browser.get(), alone.page.get(), url);
      double k = Navigate(with_addon.browser.get(), with_addon.page.get(), url);
      double y = Navigate(with_minimal.browser.get(), with_minimal.page.get(), url);
      if (same && i == 0) {
        // The process's first navigation (a new host) is a row of its own: one reading.
        Row("navigation, first of the process: add-on's own", Summarise({k - a}), Summarise({y}), 1.0, false);
        continue;
      }
      host.push_back(a);
      mine.push_back(k);
      yard.push_back(y);
      added.push_back(k - a);
    }
    const char* what = same ? "navigation, same host" : "navigation, new host";
    Row(std::string(what) + ": host + add-on vs host", Summarise(mine), Summarise(host), 0, false);
    Row(std::string(what) + ": add-on's own time", Summarise(added), Summarise(yard), same ? 0.5 : 1.0, false);
  }
  helper->SetSite(nullptr);
  minimal->SetSite(nullptr);
}

// ---- a seal site ----

bool PumpTimed(DWORD ms, const std::function<bool()>& done, double* handling, int* messages);

// Pumps this thread's messages for `ms`, timing only their handling.
double HandleMessagesFor(DWORD ms) {
  double handling = 0;
  int messages = 0;
  PumpTimed(ms, [] { return false; }, &handling, &messages);
  return handling;
}

// One page of the seal site: the navigation's events and the handling of every message up to
// `settle_ms` later (the lookup's reply, the seal certificates' verdicts, the images' downloads
// and the match): the browser's thread's time for the page.
double SealPage(BrowserWindow* window, const std::wstring& url, DWORD settle_ms) {
  double start = KestrinBench::Now();
  window->browser->Navigate(url, window->page.get());
  double events = KestrinBench::Now() - start;
  return events + HandleMessagesFor(settle_ms);
}

// The seal site (bank.example and its sub-domains): the lookup service answers with the seal
// hierarchy's records (seals of three roots, one limited to a directory, one to a sub-domain's
// directory, one naming an address, an expired one), and each page shows three seal images.
// The seal site's records on the service; false when the hierarchy could not be installed.
bool PrepareSealSite(bench::CBenchServer* server) {
  if (!SealPki::InstallHierarchy()) return false;
  std::vector<std::vector<BYTE>> records;
  for (const char* name : {"seal-valid.cer", "seal-shop.cer", "seal-dir.cer", "seal-ip.cer", "seal-valid-class1.cer",
                           "seal-valid-nelrow.cer", "seal-expired.cer"})
    records.push_back(SealPki::Bytes(name));
  server->SetSealRecords(records);
  return true;
}

// A browser window whose pages show three seal images.
std::unique_ptr<BrowserWindow> SealWindow(const bench::CBenchServer& server) {
  const std::string image_size = std::to_string(SealPki::Bytes("seal.gif").size());
  std::unique_ptr<BrowserWindow> window(new BrowserWindow());
  pagemodel::CPage* content = window->page->content();
  for (int i = 0; i < 3; ++i) {
    std::string url = "http://" + server.Host() + "/seal/site-" + std::to_string(i) + ".gif";
    content->Add("IMG")->Set("src", url.c_str())->Set("fileSize", image_size.c_str());
  }
  return window;
}

void BenchSealSite(CLibrary* addon, bench::CBenchServer* server, int repeats) {
  if (!PrepareSealSite(server)) {
    Line("seal site", "skipped: the seal hierarchy could not be installed");
    return;
  }
  std::unique_ptr<BrowserWindow> alone = SealWindow(*server), with_addon = SealWindow(*server);
  CComPtr<IObjectWithSite> helper;
  addon->Create(iehost::kClsidKestrinBho, &helper);
  if (!helper) return;
  helper->SetSite(static_cast<IWebBrowser2*>(with_addon->browser.get()));
  const int images_before = server->requests() - server->lookups();
  // A new seal host is given time for its lookup, its verdicts and its images; a known host's
  // page for its images.
  const DWORD kNewHostMs = 600, kPageMs = 150;
  std::vector<double> first_added, new_host, new_alone, new_added, page, page_alone, page_added;
  DWORD run = GetTickCount();
  for (int i = 0; i < repeats; ++i) {
    wchar_t url[160];
    swprintf(url, 160, L"http://site%d-%u.bank.example/shop/index.html", i, run);
    double a = SealPage(alone.get(), url, kNewHostMs);
    double k = SealPage(with_addon.get(), url, kNewHostMs);
    if (i == 0) {
      first_added.push_back(k - a);
    } else {
      new_alone.push_back(a);
      new_host.push_back(k);
      new_added.push_back(k - a);
    }
    // Further pages of the host: in the seal's directory and outside it.
    for (int p = 0; p < 2; ++p) {
      swprintf(url, 160, L"http://site%d-%u.bank.example/%ls/page%d.html", i, run, p ? L"other" : L"shop", p);
      a = SealPage(alone.get(), url, kPageMs);
      k = SealPage(with_addon.get(), url, kPageMs);
      page_alone.push_back(a);
      page.push_back(k);
      page_added.push_back(k - a);
    }
  }
  helper->SetSite(nullptr);
  Row("seal site, first seal page of the process", Summarise(first_added), Summarise({0.0}), 0, false);
  Row("seal site, new seal host: host + add-on vs host", Summarise(new_host), Summarise(new_alone), 0, false);
  Row("seal site, new seal host: add-on's own time", Summarise(new_added), Summarise(new_alone), 1.0, false);
  Row("seal site, known seal host: host + add-on vs host", Summarise(page), Summarise(page_alone), 0, false);
  Row("seal site, known seal host: add-on's own time", Summarise(page_added), Summarise(page_alone), 0.5, false);
  char text[160];
  snprintf(text, sizeof(text), "%d lookups, %d seal images fetched over %d pages", server->lookups(),
           server->requests() - server->lookups() - images_before, repeats * 3);
  Line("seal site: requests the service answered", text);
}

// ---- a slow name server ----

// Pages of new seal hosts whose names the system resolver answers at once (*.fast.bank.example)
// and seconds late (*.slow.bank.example), side by side: run-bench.sh points the resolver at a name server
// of its own for this figure. The add-on's own time on the browser's thread must not grow.
void BenchSlowNameServer(CLibrary* addon, bench::CBenchServer* server, int repeats) {
  if (!PrepareSealSite(server)) {
    Line("slow name server", "skipped: the seal hierarchy could not be installed");
    return;
  }
  std::unique_ptr<BrowserWindow> alone = SealWindow(*server), with_addon = SealWindow(*server);
  CComPtr<IObjectWithSite> helper;
  addon->Create(iehost::kClsidKestrinBho, &helper);
  if (!helper) return;
  helper->SetSite(static_cast<IWebBrowser2*>(with_addon->browser.get()));
  DWORD run = GetTickCount();
  std::vector<double> fast, slow, fast_alone, slow_alone;
  for (int i = 0; i < repeats; ++i) {
    for (int is_slow = 0; is_slow < 2; ++is_slow) {
      // Hosts of the seal site: the lookup's reply and the seals are handled on the thread too.
      wchar_t url[128];
      swprintf(url, 128, L"http://site%d-%u.%ls.bank.example/shop/", i, run, is_slow ? L"slow" : L"fast");
      double a = SealPage(alone.get(), url, 300);
      double k = SealPage(with_addon.get(), url, 300);
      (is_slow ? slow : fast).push_back(k - a);
      (is_slow ? slow_alone : fast_alone).push_back(a);
    }
  }
  helper->SetSite(nullptr);
  Timing f = Summarise(fast), s = Summarise(slow);
  Row("new host, name server answering at once: own", f, Summarise(fast_alone), 0, false);
  Row("new host, name server 3 s late: add-on's own", s, f, 0, false);
  char text[120];
  bool met = s.median - f.median <= 1.0;
  if (!met) ++g_failed_targets;
  snprintf(text, sizeof(text), "late minus at once: %+.3f ms (median)   target <= 1ms %s", s.median - f.median,
           met ? "met" : "MISSED");
  Line("new host, slow name server", text);
}

// ---- seal images ----

// The add-on's side of a page, as the helper object plays it: counts each finished image and
// verifies the list once it is complete.
class CSealOwner : public WebUtilsNS::IRequestWaiter {
 public:
  explicit CSealOwner(CNLRList* list) : list_(list) {}
  void OnRequestComplete(DWORD, const char*, const BYTE*, DWORD) override {
    list_->OnImageDownloaded();
    if (list_->IsImageListComplete()) list_->VerifyImages();
    ++finished;
  }
  void OnRequestFailed(DWORD, DWORD) override { ++finished; }
  int finished = 0;

 private:
  CNLRList* list_;
};

// Pumps this thread's messages until `done` or `ms` passed. Only the handling of the messages
// is timed (into *handling, with their count into *messages): the waits in between are the
// network's.
bool PumpTimed(DWORD ms, const std::function<bool()>& done, double* handling, int* messages) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      double start = KestrinBench::Now();
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      *handling += KestrinBench::Now() - start;
      ++*messages;
    }
    if (done()) return true;
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

double PlatformSha1(HCRYPTPROV provider, const std::vector<BYTE>& bytes, int count) {
  double start = KestrinBench::Now();
  for (int i = 0; i < count; ++i) {
    KestrinWinNS::CScopedCryptHash hash;
    BYTE digest[20];
    DWORD size = sizeof(digest);
    if (!CryptCreateHash(provider, CALG_SHA1, 0, 0, hash.Receive())) return -1;
    CryptHashData(hash.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), 0);
    CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &size, 0);
  }
  return KestrinBench::Now() - start;
}

void BenchSeals(const bench::CBenchServer& server, int repeats) {
  if (!SealPki::InstallHierarchy()) {
    Line("seal images", "skipped: the seal hierarchy could not be installed");
    return;
  }
  std::vector<BYTE> der = SealPki::Bytes("seal-local.cer");
  std::vector<BYTE> image = SealPki::Bytes("seal.gif");
  KestrinWinNS::CScopedCryptProv provider;
  CryptAcquireContextA(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
  // One list for every page, as one browser window keeps one: each page begins as a new host
  // does (the list cleared, the host's seal added).
  CNLRList list;
  CSealOwner owner(&list);
  list.SetRequestWaiter(&owner);
  const std::string page_url = "http://" + server.Host() + "/index.html";
  std::string messages_text;
  for (int n : {1, 5, 20}) {
    std::vector<double> mine, yard;
    bool matched = true;
    int messages = 0;
    for (int r = 0; r < repeats; ++r) {
      list.Clear();
      list.SetHost("127.0.0.1");
      list.SetPageAddress(page_url.c_str());
      list.AddCertificate(der.data(), static_cast<DWORD>(der.size()));
      owner.finished = 0;
      pagemodel::CPage page(page_url.c_str());
      pagemodel::CPageElement* body = page.Add("BODY");
      std::string size = std::to_string(image.size());
      for (int i = 0; i < n; ++i) {
        std::string url = "http://" + server.Host() + "/seal/" + std::to_string(r) + "-" + std::to_string(i) + ".gif";
        page.Add("IMG", body)->Set("src", url.c_str())->Set("fileSize", size.c_str());
      }
      // The add-on's own work on the browser's thread: the scan, handing the downloads over,
      // and the handling of every message up to the match (reports of the downloads, the
      // match itself). The time the downloads spend on the network is not its work.
      double start = KestrinBench::Now();
      list.ScanDocument(page.Document());
      list.SetImagesCollected(true);
      list.SetCertificatesDownloaded(true);
      list.VerifyImages();
      double own = KestrinBench::Now() - start;
      int page_messages = 0;
      PumpTimed(20000, [&] { return owner.finished >= n; }, &own, &page_messages);
      matched = matched && list.GetCount() == 1 && list.Certificates()[0]->matched_image != nullptr;
      messages += page_messages;
      mine.push_back(own / n);
      yard.push_back(PlatformSha1(provider.Get(), image, n) / n);
    }
    char name[96];
    snprintf(name, sizeof(name), "seal images, %d a page: per image vs SHA-1%s", n, matched ? "" : " (NO MATCH)");
    Row(name, Summarise(mine), Summarise(yard), 5.0, true);
    char count[64];
    snprintf(count, sizeof(count), "%s%d: %.1f", messages_text.empty() ? "" : ", ", n,
             static_cast<double>(messages) / repeats);
    messages_text += count;
  }
  Line("seal images: messages handled per page", messages_text);
}

// ---- update file ----

void BenchUpdateFile(const std::string& path, const char* name, const char* key, int repeats) {
  // A plain read of the same file is the yardstick.
  std::vector<double> reads;
  for (int i = 0; i < repeats; ++i) {
    double start = KestrinBench::Now();
    KestrinWinNS::CScopedKernelHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) break;
    std::vector<BYTE> bytes(GetFileSize(file.Get(), nullptr));
    DWORD got = 0;
    ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    file.Reset();
    reads.push_back(KestrinBench::Now() - start);
  }
  double start = KestrinBench::Now();
  SslVerifyNS::CSslVerifyTrustedList list(nullptr, path.c_str());
  std::vector<double> first = {KestrinBench::Now() - start};
  IStream* logo = nullptr;
  bool has_logo = list.FindLogo(key, &logo);
  if (logo) logo->Release();
  std::vector<double> again;
  for (int i = 0; i < repeats; ++i) {
    start = KestrinBench::Now();
    list.Rebuild();
    again.push_back(KestrinBench::Now() - start);
  }
  // A changed file as the browser meets it: event 0 on the browser's thread, the read off it; the
  // thread's own time is the event's handling and that of the message that announces the swap.
  std::vector<double> notified;
  for (int i = 0; i < repeats; ++i) {
    // The file is unchanged: the read in the background finds the document it holds.
    start = KestrinBench::Now();
    list.Notify(ObserveNS::kEventUpdateFileChanged);
    double own = KestrinBench::Now() - start;
    int messages = 0;
    PumpTimed(2000, [] { return false; }, &own, &messages);
    notified.push_back(own);
  }
  Row(std::string("update file, ") + name + ": first read" + (has_logo ? "" : " (NO LOGO)"), Summarise(first),
      Summarise(reads), 0, false);
  Row(std::string("update file, ") + name + ": read (off the browser)", Summarise(again), Summarise(reads), 1.0, false);
  Row(std::string("update file, ") + name + ": change, browser's thread", Summarise(notified), Summarise(reads), 0.5,
      false);
}

// ---- memory ----

struct Footprint {
  double private_mb = 0;
  DWORD handles = 0;
  int windows = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, &CountChild, count);
  return TRUE;
}

// Committed private memory of this process: the sum of its committed private regions (Wine
// leaves the process counters' PrivateUsage at 0).
double CommittedPrivateMb() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
       at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    if (static_cast<BYTE*>(info.BaseAddress) + info.RegionSize <= at) break;
  }
  return total / (1024.0 * 1024.0);
}

// ---- what the memory figure is made of (KESTRIN_BENCH_REGIONS=1, on the child's stderr) ----

struct Region {
  BYTE* base;
  BYTE* allocation;
  SIZE_T size;
  DWORD protect;
};

std::vector<Region> CommittedPrivateRegions() {
  std::vector<Region> regions;
  MEMORY_BASIC_INFORMATION info;
  for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
       at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
      regions.push_back({static_cast<BYTE*>(info.BaseAddress), static_cast<BYTE*>(info.AllocationBase),
                         info.RegionSize, info.Protect});
    if (static_cast<BYTE*>(info.BaseAddress) + info.RegionSize <= at) break;
  }
  return regions;
}

// Stack reservations of this process's threads, by allocation base, with the module that
// started each thread.
std::vector<std::pair<BYTE*, std::string>> ThreadStacks() {
  std::vector<std::pair<BYTE*, std::string>> stacks;
  typedef LONG(WINAPI * QueryThreadFn)(HANDLE, ULONG, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryThreadFn>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread"));
  KestrinWinNS::CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot || !query) return stacks;
  THREADENTRY32 entry = {sizeof(entry)};
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    KestrinWinNS::CScopedKernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    if (!thread) continue;
    struct {
      LONG status;
      NT_TIB* teb;
      void* ids[2];
      ULONG_PTR affinity;
      LONG priority, base_priority;
    } basic = {};
    void* start = nullptr;
    query(thread.Get(), 0 /* ThreadBasicInformation */, &basic, sizeof(basic), nullptr);
    query(thread.Get(), 9 /* ThreadQuerySetWin32StartAddress */, &start, sizeof(start), nullptr);
    thread.Reset();
    if (!basic.teb) continue;
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(static_cast<BYTE*>(basic.teb->StackBase) - 1, &info, sizeof(info))) continue;
    char name[MAX_PATH] = "?";
    HMODULE module = nullptr;
    if (start && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                    static_cast<const char*>(start), &module))
      GetModuleFileNameA(module, name, MAX_PATH);
    char text[MAX_PATH + 64];
    snprintf(text, sizeof(text), "thread %lu, reserved %lu KB, started in %s+0x%lx", entry.th32ThreadID,
             static_cast<unsigned long>((static_cast<BYTE*>(basic.teb->StackBase) -
                                         static_cast<BYTE*>(info.AllocationBase)) / 1024),
             strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name,
             static_cast<unsigned long>(static_cast<BYTE*>(start) - reinterpret_cast<BYTE*>(module)));
    stacks.push_back({static_cast<BYTE*>(info.AllocationBase), text});
  }
  return stacks;
}

// Prints the committed private regions that `after` has beyond `before`, grouped by
// allocation, with the thread whose stack an allocation is.
void PrintRegionGrowth(const char* what, const std::vector<Region>& before, const std::vector<Region>& after) {
  auto stacks = ThreadStacks();
  fprintf(stderr, "-- committed private memory added by %s --\n", what);
  struct Group {
    SIZE_T was = 0, now = 0;
  };
  std::vector<std::pair<BYTE*, Group>> groups;
  auto group = [&groups](BYTE* allocation) -> Group& {
    for (auto& g : groups)
      if (g.first == allocation) return g.second;
    groups.push_back({allocation, Group()});
    return groups.back().second;
  };
  for (const Region& r : before) group(r.allocation).was += r.size;
  for (const Region& r : after) group(r.allocation).now += r.size;
  SIZE_T total = 0;
  for (auto& g : groups) {
    if (g.second.now == g.second.was) continue;
    long delta = static_cast<long>(g.second.now) - static_cast<long>(g.second.was);
    total += delta;
    std::string owner;
    for (auto& s : stacks)
      if (s.first == g.first) owner = s.second;
    fprintf(stderr, "  %p  %+8ld KB (now %6lu KB)  %s\n", static_cast<void*>(g.first), delta / 1024,
            static_cast<unsigned long>(g.second.now / 1024), owner.c_str());
  }
  fprintf(stderr, "  total %+ld KB\n", static_cast<long>(total) / 1024);
  for (auto& s : stacks) fprintf(stderr, "  %s\n", s.second.c_str());
  fflush(stderr);
}

// Open handles of this process, from the system's handle table (Wine answers the process's own
// handle count with 0).
DWORD HandleCount() {
  struct Entry {
    ULONG pid;
    BYTE type, flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
  };
  typedef LONG(WINAPI * QueryFn)(ULONG, void*, ULONG, ULONG*);
  static QueryFn query =
      reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  if (!query) return 0;
  std::vector<BYTE> buffer(1 << 20);
  ULONG needed = 0;
  LONG status;
  while ((status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &needed)) == static_cast<LONG>(0xC0000004)) {
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return 0;
  ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
  const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  DWORD mine = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].pid == GetCurrentProcessId()) ++mine;
  return mine;
}

int ThreadCount() {
  int count = 0;
  KestrinWinNS::CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return 0;
  THREADENTRY32 entry = {sizeof(entry)};
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  return count;
}

// Lets the process come to rest before a flatness reading: where the platform maps a thread's
// whole stack at once (Wine), a worker thread alive at one reading and gone at the other would
// read as megabytes. Waits until no more threads run than `resting` (the count before the
// add-on was loaded: its background worker and the system's pool threads end when idle), at
// most `limit_ms`; false when they did not.
bool PumpUntilThreadsRest(int resting, DWORD limit_ms) {
  return PumpUntil(limit_ms, [resting] { return ThreadCount() <= resting; });
}

DWORD WINAPI DoNothing(void*) { return 0; }

// Wine frees an ended thread's stacks only when the next thread of the process ends: a reading
// would count the stacks of whichever thread ended last. Two threads of the benchmark's own
// that end at once leave the same behind at every reading.
void SettleEndedThreadStacks() {
  for (int i = 0; i < 2; ++i) {
    KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &DoNothing, nullptr, 0, nullptr));
    if (!thread) return;
    WaitForSingleObject(thread.Get(), INFINITE);
  }
}

Footprint Measure() {
  SettleEndedThreadStacks();
  Pump();
  Footprint f;
  f.private_mb = CommittedPrivateMb();
  f.handles = HandleCount();
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&f.windows));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) ++f.windows;
  }
  return f;
}

std::string FootprintText(const Footprint& after, const Footprint& before, double per) {
  char text[160];
  snprintf(text, sizeof(text), "%+.3f MB private, %+.1f handles, %+.1f windows",
           (after.private_mb - before.private_mb) / per, (static_cast<double>(after.handles) - before.handles) / per,
           (after.windows - before.windows) / per);
  return text;
}

int MemoryChild(const std::wstring& library) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int kAdded = 10;
  std::vector<std::unique_ptr<BrowserWindow>> windows;
  for (int i = 0; i < kAdded + 1; ++i) windows.emplace_back(new BrowserWindow());
  const bool regions = GetEnvironmentVariableA("KESTRIN_BENCH_REGIONS", nullptr, 0) > 0;
  Footprint start = Measure();
  const int resting_threads = ThreadCount();
  std::vector<Region> before = regions ? CommittedPrivateRegions() : std::vector<Region>();
  CLibrary lib(library);
  std::vector<CComPtr<IObjectWithSite>> helpers(kAdded + 1);
  lib.Create(iehost::kClsidKestrinBho, &helpers[0]);
  if (!helpers[0]) return 1;
  helpers[0]->SetSite(static_cast<IWebBrowser2*>(windows[0]->browser.get()));
  // What the first window started in the background is part of it.
  const DWORD kSettleMs = 1500, kRestLimitMs = 30000;
  PumpUntil(kSettleMs, [] { return false; });
  Footprint first = Measure();
  if (regions) PrintRegionGrowth("the first window", before, CommittedPrivateRegions());
  for (int i = 1; i <= kAdded; ++i) {
    lib.Create(iehost::kClsidKestrinBho, &helpers[i]);
    helpers[i]->SetSite(static_cast<IWebBrowser2*>(windows[i]->browser.get()));
  }
  Footprint added = Measure();
  printf("first %.3f %.1f %.1f\n", first.private_mb - start.private_mb,
         static_cast<double>(first.handles) - start.handles, static_cast<double>(first.windows - start.windows));
  printf("added %s\n", FootprintText(added, first, kAdded).c_str());
  // Navigations: every tenth to a new host.
  BrowserWindow& w = *windows[0];
  Footprint at100;
  int threads100 = 0;
  bool rested = true;
  std::vector<double> early, late;
  DWORD run = GetTickCount();
  for (int i = 0; i < 1000; ++i) {
    wchar_t url[128];
    swprintf(url, 128, L"http://site%d.flat%u.example/page%d.html", i / 10, run, i);
    // Each page is given 5 ms, still 200 pages a second: run back to back in a third of a
    // second, every lookup of the run would still be open together (a request's handles close
    // a quarter of a second after it ends) and the heap's high-water mark would read as growth.
    double t = Navigate(w.browser.get(), w.page.get(), url, 5);
    if (i >= 100 && i < 200) early.push_back(t);
    if (i >= 900) late.push_back(t);
    if (i == 99) {
      rested = PumpUntilThreadsRest(resting_threads, kRestLimitMs);
      at100 = Measure();
      threads100 = ThreadCount();
      if (regions) before = CommittedPrivateRegions();
    }
  }
  rested = PumpUntilThreadsRest(resting_threads, kRestLimitMs) && rested;
  Footprint at1000 = Measure();
  int threads1000 = ThreadCount();
  if (regions) PrintRegionGrowth("navigations 100 -> 1000", before, CommittedPrivateRegions());
  printf("flat %s, threads %d -> %d%s\n", FootprintText(at1000, at100, 1.0).c_str(), threads100, threads1000,
         rested ? "" : " (background threads still running)");
  printf("time %.3f %.3f\n", Summarise(early).median, Summarise(late).median);
  for (auto& helper : helpers) {
    if (helper) helper->SetSite(nullptr);
    helper.Release();
  }
  fflush(stdout);
  ExitProcess(0);
}

void BenchMemory(const std::wstring& addon) {
  DWORD code = 0;
  std::string out;
  if (!RunChild(L"--memory " + Quoted(addon), &code, &out) || code != 0) {
    Line("memory", "child failed");
    return;
  }
  double mb = 0, handles = 0, windows = 0, early = 0, late = 0;
  char added[160] = "", flat[160] = "";
  for (size_t at = 0; at < out.size();) {
    size_t end = out.find('\n', at);
    std::string line = out.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? out.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 6, "first ") == 0) sscanf(line.c_str() + 6, "%lf %lf %lf", &mb, &handles, &windows);
    else if (line.compare(0, 6, "added ") == 0) snprintf(added, sizeof(added), "%s", line.c_str() + 6);
    else if (line.compare(0, 5, "flat ") == 0) snprintf(flat, sizeof(flat), "%s", line.c_str() + 5);
    else if (line.compare(0, 5, "time ") == 0) sscanf(line.c_str() + 5, "%lf %lf", &early, &late);
  }
  char text[200];
  bool met = mb <= 2.0;
  if (!met) ++g_failed_targets;
  snprintf(text, sizeof(text), "%+.3f MB private, %+.0f handles, %+.0f windows   target <= 2MB %s", mb, handles,
           windows, met ? "met" : "MISSED");
  Line("memory: first window (with load)", text);
  Line("memory: per added window", added);
  Line("memory: navigations 100 -> 1000", flat);
  snprintf(text, sizeof(text), "median %.3f ms (100-200) -> %.3f ms (900-1000)", early, late);
  Line("time per navigation over 1000", text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && wcscmp(argv[1], L"--memory") == 0) return MemoryChild(argv[2]);
  if (argc < 4) {
    fprintf(stderr, "usage: kestrin_bench <add-on library> <yardstick library> <update file with 100 logos> [repeats]\n");
    return 2;
  }
  std::wstring addon = argv[1], minimal = argv[2];
  char update100[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, argv[3], -1, update100, MAX_PATH, nullptr, nullptr);
  int repeats = argc >= 5 ? _wtoi(argv[4]) : 25;
  if (repeats < 3) repeats = 3;
  // Which figures: f first helper, w windows, n navigation, m memory, l the seal site, s seal
  // images, u update file, d a slow name server (run-bench.sh runs it on its own, with its
  // name server).
  std::wstring only = argc >= 6 ? argv[5] : L"fwnmlsu";
  auto run = [&only](wchar_t figure) { return only.find(figure) != std::wstring::npos; };

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bench::CBenchServer server;
  if (!server.Start(SealPki::Bytes("seal.gif"))) {
    fprintf(stderr, "the benchmark's service could not start\n");
    return 1;
  }
  printf("Kestrin benchmark (%d-bit), %d repeats; times in ms; ratio = median / yardstick median\n",
         static_cast<int>(sizeof(void*) * 8), repeats);
  printf("yardsticks (\"yard\"): a minimal helper object made and sited the same way (new window, first\n"
         "helper: its library loaded by the same child program); the host's browser window alone, playing\n"
         "the same navigation's events and handling its messages (navigation, seal site: the add-on's own\n"
         "time is the difference); the platform's SHA-1 of the same image bytes (seal images); a plain read\n"
         "of the same file (update file). Every navigation is counted; one reading has no spread.\n\n");
  Header();
  if (run(L'f')) BenchFirstHelper(addon, minimal, std::max(5, repeats / 4));
  {
    CLookupHostSetting lookup(server.Host());
    CLibrary lib(addon);
    if (!lib.loaded()) {
      fprintf(stderr, "the add-on library could not be loaded\n");
      return 1;
    }
    if (run(L'w')) BenchWindows(&lib, repeats);
    if (run(L'n')) BenchNavigation(&lib, repeats * 4);
    if (run(L'm')) BenchMemory(addon);
    if (run(L'l')) BenchSealSite(&lib, &server, std::max(5, repeats / 2));
    if (run(L'd')) BenchSlowNameServer(&lib, &server, std::max(5, repeats / 2));
  }
  if (run(L's')) BenchSeals(server, repeats);
  if (run(L'u')) {
    BenchUpdateFile(KESTRIN_SHIPPED_UPDATE_FILE, "shipped (35 logos)", "{2ed9ba65-cdaa-41fb-9d08-dca84dd618cf}", repeats);
    BenchUpdateFile(update100, "100 logos", "0000000000000000000000000000000000001000", repeats);
  }
  printf("\n%d target(s) missed\n", g_failed_targets);
  CoUninitialize();
  return 0;
}
