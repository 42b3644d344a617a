// The browser-wide services of the scripted Gecko host: memory, component and service
// managers with the registrar, category manager, observer service, value holders, arrays,
// timers ticked by the test, preferences and the HTTP cache.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/geckohost/host_object.h"

namespace geckohost {

// The host's allocator: every block it hands out is counted until it is freed.
class CHostMemory : public CHostObject<kr::nsIMemory> {
 public:
  KR_METHOD_(void*) Alloc(size_t size) override;
  KR_METHOD_(void*) Realloc(void* block, size_t size) override;
  KR_METHOD_(void) Free(void* block) override;
  long GetLiveBlocks() const { return live_; }
  long GetFreed() const { return freed_; }
  // A copy of a text in a counted block.
  char* Narrow(const std::string& text);
  kr::PRUnichar* Wide(const std::wstring& text);

 private:
  long live_ = 0;
  long freed_ = 0;
};

CHostMemory* HostMemory();  // the host's one allocator

class CHostCategoryManager : public CHostObject<kr::nsICategoryManager> {
 public:
  KR_METHOD GetCategoryEntry(const char* category, const char* entry, char** value) override;
  KR_METHOD AddCategoryEntry(const char* category, const char* entry, const char* value, kr::PRBool persist,
                             kr::PRBool replace, char** previous) override;
  KR_METHOD DeleteCategoryEntry(const char* category, const char* entry, kr::PRBool persist) override;
  // category -> entry -> value, in entry order.
  std::map<std::string, std::map<std::string, std::string>> entries;
};

// One notification as the observer service delivered it.
struct SentTopic {
  std::string topic;
  nsCOMPtr<kr::nsISupports> subject;
  std::wstring data;
};

class CHostObserverService : public CHostObject<kr::nsIObserverService> {
 public:
  KR_METHOD AddObserver(kr::nsIObserver* observer, const char* topic, kr::PRBool weak) override;
  KR_METHOD RemoveObserver(kr::nsIObserver* observer, const char* topic) override;
  KR_METHOD NotifyObservers(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data) override;
  int CountObservers(const std::string& topic) const;
  // The observers of a topic, in the order they were added.
  std::vector<kr::nsIObserver*> ObserversOf(const std::string& topic) const {
    std::vector<kr::nsIObserver*> out;
    for (auto& entry : observers_)
      if (entry.first == topic) out.push_back(entry.second.get());
    return out;
  }
  // Every notification sent, in order (subjects held).
  std::vector<SentTopic> sent;

 private:
  std::vector<std::pair<std::string, nsCOMPtr<kr::nsIObserver>>> observers_;
};

// The type numbers of nsISupportsPrimitive.
const uint16_t kTypePRBool = 5;
const uint16_t kTypeVoid = 16;

class CHostBool : public CHostObject<kr::nsISupportsPRBool> {
 public:
  KR_METHOD GetType(uint16_t* type) override {
    if (!type) return kr::NS_ERROR_NULL_POINTER;
    *type = kTypePRBool;
    return kr::NS_OK;
  }
  KR_METHOD GetData(kr::PRBool* value) override {
    if (!value) return kr::NS_ERROR_NULL_POINTER;
    *value = value_;
    return kr::NS_OK;
  }
  KR_METHOD SetData(kr::PRBool value) override {
    value_ = value;
    return kr::NS_OK;
  }

 private:
  kr::PRBool value_ = kr::PR_FALSE;
};

class CHostVoid : public CHostObject<kr::nsISupportsVoid> {
 public:
  KR_METHOD GetType(uint16_t* type) override {
    if (!type) return kr::NS_ERROR_NULL_POINTER;
    *type = kTypeVoid;
    return kr::NS_OK;
  }
  KR_METHOD GetData(void** value) override {
    if (!value) return kr::NS_ERROR_NULL_POINTER;
    *value = value_;
    return kr::NS_OK;
  }
  KR_METHOD SetData(void* value) override {
    value_ = value;
    return kr::NS_OK;
  }

 private:
  void* value_ = nullptr;
};

class CHostArray : public CHostObject<kr::nsIMutableArray> {
 public:
  KR_METHOD GetLength(uint32_t* length) override;
  KR_METHOD QueryElementAt(uint32_t index, const kr::nsIID& iid, void** result) override;
  KR_METHOD IndexOf(uint32_t start, kr::nsISupports* element, uint32_t* index) override;
  KR_METHOD Enumerate(kr::nsISimpleEnumerator** result) override;
  KR_METHOD AppendElement(kr::nsISupports* element, kr::PRBool weak) override;
  KR_METHOD Clear() override;

 private:
  std::vector<nsCOMPtr<kr::nsISupports>> items_;
};

// A timer that fires when the test says so.
class CHostTimer : public CHostObject<kr::nsITimer> {
 public:
  KR_METHOD InitWithCallback(kr::nsITimerCallback* callback, uint32_t delay_ms, uint32_t type) override;
  KR_METHOD Cancel() override;
  bool IsArmed() const { return callback_.get() != nullptr; }
  uint32_t GetDelay() const { return delay_; }
  // Runs the callback of an armed timer; false when none is armed.
  bool Fire();

 private:
  nsCOMPtr<kr::nsITimerCallback> callback_;
  uint32_t delay_ = 0;
};

class CHostPrefBranch : public CHostObject<kr::nsIPrefBranch> {
 public:
  explicit CHostPrefBranch(std::string root) : root_(std::move(root)) {}
  KR_METHOD GetCharPref(const char* name, char** value) override;
  KR_METHOD SetCharPref(const char* name, const char* value) override;

 private:
  std::string root_;
};

class CHostPrefService : public CHostObject<kr::nsIPrefService> {
 public:
  KR_METHOD GetBranch(const char* root, kr::nsIPrefBranch** result) override;
  // full name -> value
  std::map<std::string, std::string> values;
};

CHostPrefService* HostPrefs();

// The HTTP cache: sizes of entries by URL.
class CHostCacheService : public CHostObject<kr::nsICacheService, kr::nsICacheSession> {
 public:
  KR_METHOD CreateSession(const char* client, int32_t storage, kr::PRBool stream_based,
                          kr::nsICacheSession** session) override;
  KR_METHOD SetDoomEntriesIfExpired(kr::PRBool doom) override { return kr::NS_OK; }
  KR_METHOD OpenCacheEntry(const kr::nsACString& key, int32_t access, kr::PRBool blocking,
                           kr::nsICacheEntryDescriptor** entry) override;
  std::map<std::string, uint32_t> sizes;
};

// The component manager, service manager and registrar of the host, over the host's own
// services and the components a module registered.
class CHostComponentManager
    : public CHostObject<kr::nsIComponentManager, kr::nsIServiceManager, kr::nsIComponentRegistrar> {
 public:
  CHostComponentManager();
  KR_METHOD GetClassObject(const kr::nsCID& cid, const kr::nsIID& iid, void** result) override;
  KR_METHOD GetClassObjectByContractID(const char* contract, const kr::nsIID& iid, void** result) override;
  KR_METHOD CreateInstance(const kr::nsCID& cid, kr::nsISupports* outer, const kr::nsIID& iid, void** result) override;
  KR_METHOD CreateInstanceByContractID(const char* contract, kr::nsISupports* outer, const kr::nsIID& iid,
                                       void** result) override;
  KR_METHOD GetService(const kr::nsCID& cid, const kr::nsIID& iid, void** result) override;
  KR_METHOD GetServiceByContractID(const char* contract, const kr::nsIID& iid, void** result) override;
  KR_METHOD RegisterFactoryLocation(const kr::nsCID& cid, const char* class_name, const char* contract,
                                    kr::nsIFile* location, const char* loader, const char* type) override;
  KR_METHOD UnregisterFactoryLocation(const kr::nsCID& cid, kr::nsIFile* location) override;

  // The module whose components are registered (one reference).
  void SetModule(kr::nsIModule* module) { module_ = module; }
  kr::nsIModule* module() const { return module_.get(); }
  // A service of the host by contract ID (replaces any earlier one).
  void AddService(const std::string& contract, kr::nsISupports* service) { services_[contract] = service; }
  // Makers of host instances by contract ID ("@mozilla.org/array;1" ...).
  void AddMaker(const std::string& contract, std::function<nsCOMPtr<kr::nsISupports>()> maker) {
    makers_[contract] = std::move(maker);
  }
  // contract -> class ID of the registered components, with their descriptions.
  std::map<std::string, std::pair<kr::nsCID, std::string>> registered;
  std::vector<nsCOMPtr<CHostTimer>> timers;  // every timer made, in order

 private:
  nsCOMPtr<kr::nsIModule> module_;
  std::map<std::string, nsCOMPtr<kr::nsISupports>> services_;
  std::map<std::string, nsCOMPtr<kr::nsISupports>> created_services_;
  std::map<std::string, std::function<nsCOMPtr<kr::nsISupports>()>> makers_;
};

}  // namespace geckohost
