// The add-on library registered and unregistered by the system's regsvr32 in a prefix of its
// own (tests/ie/registration-round-trip.sh runs the phases in order): what registration writes,
// the browser's road to the helper object through the registry, the type library behind the
// classes' IDispatch, and what unregistration leaves.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ie/kestrin_ie_interfaces.h"
#include "platform/win/scoped_handle.h"
#include "tools/iehost/host_browser.h"
#include "tools/iehost/host_control_site.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;

const wchar_t kBho[] = L"{60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}";
const wchar_t kHandler[] = L"{4ADF76FA-005A-45A9-8DE6-188F7CA10D24}";
const wchar_t kControl[] = L"{58B69FE4-29DE-4862-A049-81F914D5644B}";
const wchar_t kAppId[] = L"{CC44F022-451A-4205-A027-D7F995774656}";
const wchar_t kLibId[] = L"{70EEAAC6-CD5E-46F7-BDA4-31CEBE37AED6}";
const wchar_t kForeign[] = L"{0D15EA5E-0000-4000-8000-00000000F00D}";
const wchar_t kBhoKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

std::wstring Sub(const wchar_t* a, const std::wstring& b) { return std::wstring(a) + L"\\" + b; }

bool KeyExists(HKEY root, const std::wstring& path) {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  return true;
}

// A text value, or "<none>".
std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
  wchar_t buffer[1024];
  DWORD size = sizeof(buffer);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<none>";
  return buffer;
}

// Every key and value under `path`, as text, in registry order.
void Dump(HKEY root, const std::wstring& path, std::wstring* out) {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
  *out += L"[" + path + L"]\n";
  wchar_t name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD name_size = ARRAYSIZE(name), data_size = sizeof(data), type = 0;
    if (RegEnumValueW(key.Get(), i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
    *out += std::wstring(name) + L"=" + std::to_wstring(type) + L":" +
            std::wstring(reinterpret_cast<wchar_t*>(data), data_size / sizeof(wchar_t)) + L"\n";
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD name_size = ARRAYSIZE(name);
    if (RegEnumKeyExW(key.Get(), i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  key.Reset();  // closed before the walk goes deeper
  for (const auto& child : children) Dump(root, path + L"\\" + child, out);
}

std::wstring DumpOurKeys() {
  std::wstring out;
  for (const wchar_t* clsid : {kBho, kHandler, kControl}) Dump(HKEY_CLASSES_ROOT, Sub(L"CLSID", clsid), &out);
  for (const wchar_t* progid : {L"KestrinIE.KestrinBho", L"KestrinIE.KestrinBho.1", L"KestrinIE.HtmlNlrEventHandler",
                                L"KestrinIE.HtmlNlrEventHandler.1", L"KestrinIE.KestrinControl",
                                L"KestrinIE.KestrinControl.1", L"AppID\\KestrinIE.DLL"})
    Dump(HKEY_CLASSES_ROOT, progid, &out);
  Dump(HKEY_CLASSES_ROOT, Sub(L"AppID", kAppId), &out);
  Dump(HKEY_CLASSES_ROOT, Sub(L"TypeLib", kLibId), &out);
  Dump(HKEY_LOCAL_MACHINE, Sub(kBhoKey, kBho), &out);
  return out;
}

// ---- the registry before, with and after the registration ----
// A snapshot is one line for each key and each value (with its type and data) of the classes
// of the machine and of the user and of the browser's helper-object key, in both registry
// views. The phases run in separate processes: each keeps its snapshot in a file of
// the throwaway prefix's temporary folder for the next.
using Snapshot = std::set<std::wstring>;

void Walk(HKEY parent, const std::wstring& path, const std::wstring& line, REGSAM view, int depth, Snapshot* out) {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return;
  out->insert(line);
  DWORD max_child = 0, max_name = 0, max_data = 0;
  RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, &max_child, nullptr, nullptr, &max_name, &max_data,
                   nullptr, nullptr);
  std::vector<wchar_t> name(max_name + 2);
  std::vector<BYTE> data(max_data + 2);
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  for (DWORD i = 0;; ++i) {
    DWORD name_size = static_cast<DWORD>(name.size()), data_size = static_cast<DWORD>(data.size()), type = 0;
    LONG result = RegEnumValueW(key.Get(), i, name.data(), &name_size, nullptr, &type, data.data(), &data_size);
    if (result != ERROR_SUCCESS) {
      if (result != ERROR_NO_MORE_ITEMS) ADD_FAILURE() << "values of " << line << " not read: " << result;
      break;
    }
    // Texts as they stand (their line breaks escaped), other data in hex.
    std::wstring value = line + L" | " + std::wstring(name.data(), name_size) + L" = " + std::to_wstring(type) + L":";
    if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) && data_size % sizeof(wchar_t) == 0) {
      for (DWORD c = 0; c < data_size / sizeof(wchar_t); ++c) {
        wchar_t letter = reinterpret_cast<const wchar_t*>(data.data())[c];
        if (letter == L'\n' || letter == L'\\' || letter == 0) {
          value += L'\\';
          value += letter == L'\n' ? L'n' : letter == 0 ? L'0' : L'\\';
        } else {
          value += letter;
        }
      }
    } else {
      value += L"0x";
      for (DWORD b = 0; b < data_size; ++b) {
        value += kHex[data[b] >> 4];
        value += kHex[data[b] & 15];
      }
    }
    out->insert(value);
  }
  std::vector<std::wstring> children;
  std::vector<wchar_t> child(max_child + 2);
  for (DWORD i = 0;; ++i) {
    DWORD child_size = static_cast<DWORD>(child.size());
    if (RegEnumKeyExW(key.Get(), i, child.data(), &child_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(child.data(), child_size);
  }
  // Links between the views could make a cycle: no key of ours lies this deep.
  if (depth < 24)
    for (const auto& c : children) Walk(key.Get(), c, line + L"\\" + c, view, depth + 1, out);
}

Snapshot TakeSnapshot() {
  const struct {
    HKEY root;
    const wchar_t* label;
    const wchar_t* path;
  } areas[] = {
      {HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Classes"},
      {HKEY_CURRENT_USER, L"HKCU", L"Software\\Classes"},
      {HKEY_LOCAL_MACHINE, L"HKLM", kBhoKey},
  };
  Snapshot out;
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    for (const auto& area : areas)
      Walk(area.root, area.path, std::wstring(view == KEY_WOW64_32KEY ? L"32 " : L"64 ") + area.label + L"\\" + area.path,
           view, 0, &out);
  return out;
}

std::wstring SnapshotFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"kestrin-registry-" + name + L".txt";
}

// The lines as UTF-16 text, one a line.
void Save(const Snapshot& snapshot, const wchar_t* name) {
  std::wstring text;
  for (const auto& line : snapshot) text += line + L"\n";
  std::ofstream file(SnapshotFile(name).c_str(), std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
  ASSERT_TRUE(file.good()) << "could not write the snapshot " << SnapshotFile(name);
}

Snapshot Load(const wchar_t* name) {
  std::ifstream file(SnapshotFile(name).c_str(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
  Snapshot out;
  for (size_t at = 0, end; (end = text.find(L'\n', at)) != std::wstring::npos; at = end + 1)
    out.insert(text.substr(at, end - at));
  return out;
}

// The lines of `a` that are not in `b`, one a line, for a failure message.
std::wstring Missing(const Snapshot& a, const Snapshot& b) {
  std::vector<std::wstring> only;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
  std::wstring text;
  for (size_t i = 0; i < only.size() && i < 30; ++i) text += only[i] + L"\n";
  if (only.size() > 30) text += L"... and " + std::to_wstring(only.size() - 30) + L" more\n";
  return text;
}

// Keys that registration writes: (root, path, value name, expected text).
struct Written {
  HKEY root;
  std::wstring path;
  const wchar_t* value;
  const wchar_t* text;
};
std::vector<Written> WrittenKeys() {
  std::wstring bho = Sub(L"CLSID", kBho), handler = Sub(L"CLSID", kHandler), control = Sub(L"CLSID", kControl);
  return {
      {HKEY_CLASSES_ROOT, Sub(L"AppID", kAppId), nullptr, L"KestrinIE"},
      {HKEY_CLASSES_ROOT, L"AppID\\KestrinIE.DLL", L"AppID", kAppId},
      {HKEY_CLASSES_ROOT, L"KestrinIE.KestrinBho.1\\CLSID", nullptr, kBho},
      {HKEY_CLASSES_ROOT, L"KestrinIE.KestrinBho\\CurVer", nullptr, L"KestrinIE.KestrinBho.1"},
      {HKEY_CLASSES_ROOT, bho, nullptr, L"Torvan Kestrin"},
      {HKEY_CLASSES_ROOT, bho, L"AppID", kAppId},
      {HKEY_CLASSES_ROOT, bho + L"\\ProgID", nullptr, L"KestrinIE.KestrinBho.1"},
      {HKEY_CLASSES_ROOT, bho + L"\\VersionIndependentProgID", nullptr, L"KestrinIE.KestrinBho"},
      {HKEY_CLASSES_ROOT, bho + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {HKEY_CLASSES_ROOT, bho + L"\\TypeLib", nullptr, kLibId},
      {HKEY_CLASSES_ROOT, bho + L"\\Programmable", nullptr, nullptr},
      {HKEY_CLASSES_ROOT, L"KestrinIE.HtmlNlrEventHandler\\CurVer", nullptr, L"KestrinIE.HtmlNlrEventHandler.1"},
      {HKEY_CLASSES_ROOT, handler + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {HKEY_CLASSES_ROOT, L"KestrinIE.KestrinControl.1\\CLSID", nullptr, kControl},
      {HKEY_CLASSES_ROOT, L"KestrinIE.KestrinControl\\CurVer", nullptr, L"KestrinIE.KestrinControl.1"},
      {HKEY_CLASSES_ROOT, control + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {HKEY_CLASSES_ROOT, control + L"\\Control", nullptr, nullptr},
      {HKEY_CLASSES_ROOT, control + L"\\MiscStatus", nullptr, L"0"},
      {HKEY_CLASSES_ROOT, control + L"\\MiscStatus\\1", nullptr, L"131473"},
      {HKEY_CLASSES_ROOT, control + L"\\Version", nullptr, L"1.0"},
      {HKEY_CLASSES_ROOT, control + L"\\TypeLib", nullptr, kLibId},
      {HKEY_LOCAL_MACHINE, Sub(kBhoKey, kBho), nullptr, L"Torvan Kestrin Browser Helper NEW"},
      {HKEY_CLASSES_ROOT, Sub(L"TypeLib", kLibId) + L"\\1.0", nullptr, L"KestrinIE 1.0 Type Library"},
  };
}

// Keys of others that live beside ours: planted before registration, untouched after removal.
struct Planted {
  HKEY root;
  std::wstring path;
};
std::vector<Planted> PlantedKeys() {
  return {
      {HKEY_LOCAL_MACHINE, Sub(kBhoKey, kForeign)},
      {HKEY_CLASSES_ROOT, Sub(L"AppID", kForeign)},
      {HKEY_CLASSES_ROOT, L"KestrinIE.KestrinBho\\Foreign"},
  };
}

TEST(BeforeRegistration, PlantOthersKeys) {
  for (const auto& key : WrittenKeys()) EXPECT_FALSE(KeyExists(key.root, key.path)) << key.path;
  for (const auto& key : PlantedKeys()) {
    KestrinWinNS::CScopedRegKey handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(key.root, key.path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.Receive(),
                                             nullptr));
    RegSetValueExW(handle.Get(), L"Owner", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"someone else"), 26);
  }
  Save(TakeSnapshot(), L"before");
}

class Registered : public testing::Test {
 protected:
  Registered() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Registered() override { CoUninitialize(); }
};

// Registration adds keys and values and takes none away; what it added is kept for the last
// phase.
TEST_F(Registered, AddsAndRemovesNothingOfOthers) {
  Snapshot before = Load(L"before"), now = TakeSnapshot();
  ASSERT_FALSE(before.empty()) << "no snapshot of the first phase";
  EXPECT_EQ(L"", Missing(before, now)) << "registration took these away";
  Snapshot added;
  std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::inserter(added, added.end()));
  // The snapshot sees the registration: our classes are among what it added.
  std::wstring view = sizeof(void*) == 8 ? L"64 " : L"32 ";
  for (const wchar_t* clsid : {kBho, kHandler, kControl}) {
    bool seen = false;
    for (const auto& line : added) seen = seen || (line.compare(0, 3, view) == 0 && line.find(clsid) != std::wstring::npos);
    EXPECT_TRUE(seen) << testing::PrintToString(std::wstring(clsid));
  }
  Save(added, L"added");
}

TEST_F(Registered, KeysWritten) {
  for (const auto& key : WrittenKeys()) {
    ASSERT_TRUE(KeyExists(key.root, key.path)) << key.path;
    if (key.text) {
      EXPECT_EQ(key.text, Text(key.root, key.path, key.value)) << key.path;
    }
  }
  std::wstring server = Text(HKEY_CLASSES_ROOT, Sub(L"CLSID", kBho) + L"\\InprocServer32");
  std::wstring name = sizeof(void*) == 8 ? L"kestrinie64.dll" : L"kestrinie32.dll";
  CharLowerW(&server[0]);
  ASSERT_GT(server.size(), name.size());
  EXPECT_EQ(name, server.substr(server.size() - name.size()));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Sub(L"TypeLib", kLibId) + (sizeof(void*) == 8 ? L"\\1.0\\409\\win64"
                                                                                       : L"\\1.0\\409\\win32")));
}

// The browser's road: the registered helper objects made with CoCreateInstance, then SetSite.
TEST_F(Registered, HostFindsTheHelperObject) {
  std::vector<CComPtr<IObjectWithSite>> objects;
  ASSERT_EQ(S_OK, iehost::CreateRegisteredHelperObjects(&objects));
  ASSERT_EQ(1u, objects.size());  // the planted key names no class
  HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  CComPtr<CComObject<iehost::CHostBrowser>> browser;
  browser.Attach(CComObject<iehost::CHostBrowser>::Create(L"C:\\Program Files\\Internet Explorer\\iexplore.exe",
                                                          frame, nullptr));
  EXPECT_EQ(S_OK, objects[0]->SetSite(static_cast<IWebBrowser2*>(browser.get())));
  EXPECT_EQ(1u, browser->events()->ConnectionCount());
  EXPECT_EQ(S_OK, objects[0]->SetSite(nullptr));
  EXPECT_EQ(0u, browser->events()->ConnectionCount());
  objects.clear();
  browser.Release();
  DestroyWindow(frame);
}

// IDispatch of the page event handler goes through the library's type library to the
// interface's own slots.
TEST_F(Registered, HandlerDispatchThroughTheTypeLibrary) {
  CComPtr<IDispatch> handler;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_HtmlNlrEventHandler, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&handler)));
  CComPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, handler->GetTypeInfo(0, 0, &info));
  const struct { const wchar_t* name; DISPID id; } names[] = {
      {L"MainBrowserSite", 1}, {L"HtmlNlrBrowserSite", 2}, {L"CallbackHwnd", 3}};
  for (const auto& n : names) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(n.name);
    EXPECT_EQ(S_OK, handler->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) << n.name;
    EXPECT_EQ(n.id, id) << n.name;
  }
  CComPtr<CComObject<iehost::CHostBrowser>> browser;
  browser.Attach(CComObject<iehost::CHostBrowser>::Create(L"iexplore.exe", nullptr, nullptr));
  CComPtr<CComObject<iehost::CHostShellBrowser>> not_a_browser;
  not_a_browser.Attach(CComObject<iehost::CHostShellBrowser>::Create(nullptr));
  const struct { DISPID id; IUnknown* value; HRESULT result; } puts[] = {
      {1, nullptr, E_POINTER},
      {1, static_cast<IWebBrowser2*>(browser.get()), S_OK},
      {2, static_cast<IOleWindow*>(not_a_browser.get()), E_INVALIDARG},
      {2, static_cast<IWebBrowser2*>(browser.get()), S_OK},
  };
  for (const auto& p : puts) {
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_UNKNOWN;
    V_UNKNOWN(&arg) = p.value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&arg, &named, 1, 1};
    EXCEPINFO exception = {};
    HRESULT hr = handler->Invoke(p.id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) hr = exception.scode;
    EXPECT_EQ(p.result, hr) << p.id;
  }
  EXPECT_EQ(1u, browser->events()->ConnectionCount());
  handler.Release();
  EXPECT_EQ(0u, browser->events()->ConnectionCount());
}

// A page embeds the control by its class identifier; its IDispatch, class information and
// events come from the library's type library.
TEST_F(Registered, PageEmbedsTheControl) {
  HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                              nullptr);
  CComPtr<CComObject<iehost::CHostBrowser>> browser;
  browser.Attach(CComObject<iehost::CHostBrowser>::Create(L"C:\\Program Files\\Internet Explorer\\iexplore.exe",
                                                          page, nullptr));
  HRESULT hr = E_FAIL;
  CComPtr<CComObject<iehost::CHostControlSite>> site;
  site.Attach(iehost::CHostControlSite::Create(CLSID_KestrinControl, page, RECT{0, 0, 150, 80},
                                                           static_cast<IWebBrowser2*>(browser.get()), {},
                                                           DIID__IKestrinControlEvents, &hr));
  ASSERT_EQ(S_OK, hr);
  EXPECT_TRUE(IsWindow(site->ControlWindow()));
  EXPECT_TRUE(site->events());
  CComPtr<IDispatch> control;
  ASSERT_EQ(S_OK, site->GetControl(&control));
  const struct { const wchar_t* name; DISPID id; } names[] = {
      {L"CertLocation", 1}, {L"Status", 3}, {L"Error", 4}, {L"BackColor", -501}};
  for (const auto& n : names) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(n.name);
    EXPECT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) << n.name;
    EXPECT_EQ(n.id, id) << n.name;
  }
  VARIANT error;
  VariantInit(&error);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  ASSERT_EQ(S_OK, control->Invoke(4, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &error, nullptr, nullptr));
  EXPECT_EQ(VT_BSTR, V_VT(&error));
  EXPECT_STREQ(L"No Error.", V_BSTR(&error));
  VariantClear(&error);
  CComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(S_OK, info.QueryFrom(control.get()));
  GUID events = GUID_NULL;
  EXPECT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
  EXPECT_EQ(DIID__IKestrinControlEvents, events);
  CComPtr<ITypeInfo> coclass;
  EXPECT_EQ(S_OK, info->GetClassInfo(&coclass));
  site->Close();
  control.Release();
  site.Release();
  browser.Release();
  DestroyWindow(page);
}

// Registering again under a foreign thread locale writes the same keys and gives the caller
// its locale back.
TEST_F(Registered, ForeignLocaleWritesTheSameKeys) {
  std::wstring before = DumpOurKeys();
  KestrinWinNS::CScopedLibrary library(LoadLibraryW(Text(HKEY_CLASSES_ROOT, Sub(L"CLSID", kBho) + L"\\InprocServer32").c_str()));
  ASSERT_TRUE(library);
  auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(library.Get(), "DllRegisterServer"));
  ASSERT_TRUE(reg);
  LCID turkish = MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_DEFAULT), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(turkish));
  EXPECT_EQ(S_OK, reg());
  EXPECT_EQ(turkish, GetThreadLocale());
  SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
  EXPECT_EQ(before, DumpOurKeys());
}

// After unregistration the registry is as it was before registration: nothing registration
// added is left, and every key and value that was there before (others' keys beside ours
// among them) is still there, in both views.
TEST(Unregistered, RegistryAsBefore) {
  Snapshot before = Load(L"before"), added = Load(L"added"), now = TakeSnapshot();
  ASSERT_FALSE(before.empty()) << "no snapshot of the first phase";
  ASSERT_FALSE(added.empty()) << "no snapshot of the registered phase";
  Snapshot left;
  std::set_intersection(added.begin(), added.end(), now.begin(), now.end(), std::inserter(left, left.end()));
  EXPECT_EQ(L"", Missing(left, Snapshot())) << "left behind by unregistration";
  EXPECT_EQ(L"", Missing(before, now)) << "gone since before registration";
  EXPECT_EQ(L"", Missing(now, before)) << "new since before registration";
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CComPtr<IUnknown> control;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_KestrinControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                  reinterpret_cast<void**>(&control)));
  CoUninitialize();
}

}  // namespace
