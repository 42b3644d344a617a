#include "gecko/kestrin_module.h"

#include <new>

#include "gecko/cert_bridge.h"
#include "gecko/gecko_helpers.h"
#include "gecko/log_single_process.h"
#include "gecko/kestrin_engine.h"
#include "gecko/kestrin_wrapper.h"

namespace GeckoHelpersNS {

using kr::nsCOMPtr;

const char kModuleName[] = "KestrinModule";

namespace {

template <class T, class I>
kr::nsISupports* Create() {
  T* object = new (std::nothrow) T();
  if (!object) return nullptr;
  I* as = object;
  as->AddRef();
  return as;
}

nsCOMPtr<kr::nsICategoryManager> CategoryManager(kr::nsIComponentManager* manager) {
  nsCOMPtr<kr::nsIServiceManager> services;
  nsCOMPtr<kr::nsICategoryManager> categories;
  if (kr::NS_SUCCEEDED(services.QueryFrom(manager)))
    services->GetServiceByContractID("@mozilla.org/categorymanager;1", kr::nsICategoryManager::IID(),
                                     categories.OutVoid());
  return categories;
}

kr::nsresult RegisterWrapper(kr::nsIComponentManager* manager) {
  nsCOMPtr<kr::nsIServiceManager> services;
  kr::nsresult r = services.QueryFrom(manager);
  if (kr::NS_FAILED(r)) return r;
  nsCOMPtr<kr::nsICategoryManager> categories;
  r = services->GetServiceByContractID("@mozilla.org/categorymanager;1", kr::nsICategoryManager::IID(),
                                       categories.OutVoid());
  if (kr::NS_FAILED(r)) return r;
  if (!categories) return kr::NS_ERROR_FAILURE;
  char* previous = nullptr;
  r = categories->AddCategoryEntry(kStartupCategory, kWrapperEntry, kWrapperContractID, kr::PR_TRUE, kr::PR_TRUE,
                                   &previous);
  FreeBuffer(previous);
  return r;
}

kr::nsresult UnregisterWrapper(kr::nsIComponentManager* manager) {
  nsCOMPtr<kr::nsICategoryManager> categories = CategoryManager(manager);
  if (!categories) return kr::NS_ERROR_FAILURE;
  return categories->DeleteCategoryEntry(kStartupCategory, kWrapperEntry, kr::PR_TRUE);
}

const ModuleComponent kComponents[] = {
    {"KestrinWrapper", kWrapperCID, kWrapperContractID, &Create<KestrinWrapper, kr::nsIObserver>, &RegisterWrapper,
     &UnregisterWrapper},
    {"Kestrin", kEngineCID, kEngineContractID, &Create<Kestrin, kr::nsIObserver>, nullptr, nullptr},
    {"CCertDownloader", kCertDownloaderCID, kCertDownloaderContractID,
     &Create<CCertDownloader, kr::nsICertDownloader>, nullptr, nullptr},
};

// One component's factory.
class CFactory final : public kr::CXPCOMObject<kr::nsIFactory> {
 public:
  explicit CFactory(const ModuleComponent* component) : component_(component) {}
  KR_METHOD CreateInstance(kr::nsISupports* outer, const kr::nsIID& iid, void** result) override {
    if (!result) return kr::NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (outer) return kr::NS_ERROR_NO_AGGREGATION;
    kr::nsCOMPtr<kr::nsISupports> object;
    object.Attach(component_->create());  // the reference create() hands over
    if (!object) return kr::NS_ERROR_OUT_OF_MEMORY;
    return object->QueryInterface(iid, result);  // a failed query leaves the object to go
  }
  KR_METHOD LockFactory(kr::PRBool) override { return kr::NS_OK; }

 private:
  const ModuleComponent* component_;
};

// The generic module over the component table.
class CModule final : public kr::CXPCOMObject<kr::nsIModule> {
 public:
  KR_METHOD GetClassObject(kr::nsIComponentManager*, const kr::nsCID& cid, const kr::nsIID& iid,
                           void** result) override {
    if (!result) return kr::NS_ERROR_NULL_POINTER;
    *result = nullptr;
    for (const ModuleComponent& component : kComponents) {
      if (component.cid != cid) continue;
      kr::nsCOMPtr<CFactory> factory(new (std::nothrow) CFactory(&component));
      if (!factory) return kr::NS_ERROR_OUT_OF_MEMORY;
      return factory->QueryInterface(iid, result);
    }
    return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
  }
  KR_METHOD RegisterSelf(kr::nsIComponentManager* manager, kr::nsIFile* location, const char* loader,
                         const char* type) override {
    nsCOMPtr<kr::nsIComponentRegistrar> registrar;
    kr::nsresult r = registrar.QueryFrom(manager);
    if (kr::NS_FAILED(r)) return r;
    for (const ModuleComponent& component : kComponents) {
      r = registrar->RegisterFactoryLocation(component.cid, component.description, component.contract, location,
                                             loader, type);
      if (kr::NS_FAILED(r)) return r;
      if (component.registered) {
        r = component.registered(manager);
        if (kr::NS_FAILED(r)) return r;
      }
    }
    return kr::NS_OK;
  }
  KR_METHOD UnregisterSelf(kr::nsIComponentManager* manager, kr::nsIFile* location, const char*) override {
    nsCOMPtr<kr::nsIComponentRegistrar> registrar;
    registrar.QueryFrom(manager);
    kr::nsresult result = kr::NS_OK;
    for (const ModuleComponent& component : kComponents) {
      if (component.unregistered) {
        kr::nsresult r = component.unregistered(manager);
        if (kr::NS_FAILED(r) && kr::NS_SUCCEEDED(result)) result = r;
      }
      if (registrar) registrar->UnregisterFactoryLocation(component.cid, location);
    }
    return result;
  }
  KR_METHOD CanUnload(kr::nsIComponentManager*, kr::PRBool* result) override {
    if (!result) return kr::NS_ERROR_NULL_POINTER;
    *result = kr::PR_FALSE;
    return kr::NS_OK;
  }
};

}  // namespace

const ModuleComponent* GetModuleComponents(int* count) {
  if (count) *count = static_cast<int>(sizeof(kComponents) / sizeof(kComponents[0]));
  return kComponents;
}

}  // namespace GeckoHelpersNS

extern "C" kr::nsresult NSGetModule(kr::nsIComponentManager* manager, kr::nsIFile*,
                                    kr::nsIModule** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  GeckoHelpersNS::SetComponentManager(manager);
  // Writers of this browser process take turns within the process.
  LogHelperNS::CLogHelper::SetFileState(LogHelperNS::CLogHelperStateSingleProcess::Instance());
  kr::nsIModule* module = new (std::nothrow) GeckoHelpersNS::CModule();
  if (!module) return kr::NS_ERROR_OUT_OF_MEMORY;
  module->AddRef();
  *result = module;
  return kr::NS_OK;
}
