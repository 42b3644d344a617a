// The add-on library's module: its exports, the class objects of its classes, and the
// registration of those classes, of the module's AppID and of the type library.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "common/log/log_helper.h"
#include "ie/html_event_handler.h"
#include "ie/kestrin_bho.h"
#include "ie/kestrin_control.h"
#include "ie/kestrin_ie_resource.h"
#include "platform/activex/registrar.h"
#include "platform/activex/type_library.h"
#include "platform/com/com_object.h"
#include "platform/win/worker_thread.h"

extern "C" const CLSID CLSID_KestrinBho = {0x60F0F632, 0xE1EE, 0x4B8C,
                                           {0xA1, 0xC5, 0x73, 0x74, 0xA1, 0x90, 0xB5, 0xE7}};

namespace {

HINSTANCE g_module = nullptr;
const wchar_t kAppId[] = L"{CC44F022-451A-4205-A027-D7F995774656}";

// The classes of the library, each with its registration script.
struct ClassEntry {
  const CLSID* clsid;
  UINT script;
  HRESULT (*get_class_object)(REFCLSID, REFCLSID, REFIID, void**);
};
const ClassEntry kClasses[] = {
    {&CLSID_KestrinBho, IDR_KESTRIN_BHO, &KestrinComNS::GetClassObjectOf<KestrinIENS::CKestrinBho>},
    {&CLSID_KestrinControl, IDR_KESTRIN_CONTROL, &KestrinComNS::GetClassObjectOf<KestrinIENS::CKestrinControl>},
    {&CLSID_HtmlNlrEventHandler, IDR_HTML_NLR_EVENT_HANDLER,
     &KestrinComNS::GetClassObjectOf<KestrinIENS::CHtmlNlrEventHandler>},
};

// Registration runs under the system's default locale, whatever the calling thread's is, and
// puts the caller's locale back afterwards.
class ThreadLocaleScope {
 public:
  ThreadLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~ThreadLocaleScope() { SetThreadLocale(saved_); }

 private:
  LCID saved_;
};

bool MakeRegistrar(KestrinAxNS::CRegistrar* registrar) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  registrar->AddReplacement(L"MODULE", path);
  registrar->AddReplacement(L"APPID", kAppId);
  // Digits only, whatever the thread's locale.
  registrar->AddReplacement(L"OLEMISC", std::to_wstring(KestrinIENS::kControlMiscStatus).c_str());
  return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
    // A task of the add-on's workers that throws is written to the add-on's log.
    KestrinWinNS::SetWorkerFaultLog(&LogHelperNS::LogWorkerFault);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return KestrinComNS::CModuleLock::CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ClassEntry& entry : kClasses) {
    if (clsid == *entry.clsid) return entry.get_class_object(clsid, *entry.clsid, riid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
  ThreadLocaleScope locale;
  KestrinAxNS::CRegistrar registrar;
  if (!MakeRegistrar(&registrar)) return E_FAIL;
  HRESULT hr = registrar.RegisterResource(g_module, IDR_KESTRIN_MODULE, true);
  for (const ClassEntry& entry : kClasses) {
    if (FAILED(hr)) return hr;
    hr = registrar.RegisterResource(g_module, entry.script, true);
  }
  if (FAILED(hr)) return hr;
  return KestrinAxNS::RegisterModuleTypeLib(g_module);
}

STDAPI DllUnregisterServer() {
  ThreadLocaleScope locale;
  KestrinAxNS::CRegistrar registrar;
  if (!MakeRegistrar(&registrar)) return E_FAIL;
  HRESULT first = S_OK;
  auto keep = [&first](HRESULT hr) { if (FAILED(hr) && SUCCEEDED(first)) first = hr; };
  for (const ClassEntry& entry : kClasses) keep(registrar.RegisterResource(g_module, entry.script, false));
  HRESULT hr = KestrinAxNS::UnregisterModuleTypeLib(g_module);
  // A library that was never registered has nothing to remove.
  if (hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY) keep(hr);
  keep(registrar.RegisterResource(g_module, IDR_KESTRIN_MODULE, false));
  return first;
}
