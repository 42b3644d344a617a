#include "tools/geckohost/host_services.h"

#include <stdlib.h>
#include <string.h>

namespace geckohost {

// ---- memory ----

void* CHostMemory::Alloc(size_t size) {
  void* block = malloc(size ? size : 1);
  if (block) ++live_;
  return block;
}

void* CHostMemory::Realloc(void* block, size_t size) {
  if (!block) return Alloc(size);
  return realloc(block, size ? size : 1);
}

void CHostMemory::Free(void* block) {
  if (!block) return;
  --live_;
  ++freed_;
  free(block);
}

char* CHostMemory::Narrow(const std::string& text) {
  char* copy = static_cast<char*>(Alloc(text.size() + 1));
  if (copy) memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

kr::PRUnichar* CHostMemory::Wide(const std::wstring& text) {
  size_t bytes = (text.size() + 1) * sizeof(kr::PRUnichar);
  kr::PRUnichar* copy = static_cast<kr::PRUnichar*>(Alloc(bytes));
  if (copy) memcpy(copy, text.c_str(), bytes);
  return copy;
}

CHostMemory* HostMemory() {
  static CHostMemory* memory = [] {
    CHostMemory* m = new CHostMemory();
    m->AddRef();  // lives as long as the process
    return m;
  }();
  return memory;
}

// ---- categories ----

nsresult CHostCategoryManager::GetCategoryEntry(const char* category, const char* entry, char** value) {
  if (!category || !entry || !value) return kr::NS_ERROR_NULL_POINTER;
  *value = nullptr;
  auto c = entries.find(category);
  if (c == entries.end()) return kr::NS_ERROR_NOT_AVAILABLE;
  auto e = c->second.find(entry);
  if (e == c->second.end()) return kr::NS_ERROR_NOT_AVAILABLE;
  *value = HostMemory()->Narrow(e->second);
  return kr::NS_OK;
}

nsresult CHostCategoryManager::AddCategoryEntry(const char* category, const char* entry, const char* value,
                                                kr::PRBool, kr::PRBool replace, char** previous) {
  if (!category || !entry || !value) return kr::NS_ERROR_NULL_POINTER;
  auto& table = entries[category];
  auto found = table.find(entry);
  if (previous) *previous = found != table.end() ? HostMemory()->Narrow(found->second) : nullptr;
  if (found != table.end() && !replace) return kr::NS_ERROR_FAILURE;
  table[entry] = value;
  return kr::NS_OK;
}

nsresult CHostCategoryManager::DeleteCategoryEntry(const char* category, const char* entry, kr::PRBool) {
  if (!category || !entry) return kr::NS_ERROR_NULL_POINTER;
  auto c = entries.find(category);
  if (c != entries.end()) c->second.erase(entry);
  return kr::NS_OK;
}

// ---- observer service ----

nsresult CHostObserverService::AddObserver(kr::nsIObserver* observer, const char* topic, kr::PRBool) {
  if (!observer || !topic) return kr::NS_ERROR_NULL_POINTER;
  observers_.emplace_back(topic, nsCOMPtr<kr::nsIObserver>(observer));
  return kr::NS_OK;
}

nsresult CHostObserverService::RemoveObserver(kr::nsIObserver* observer, const char* topic) {
  if (!observer || !topic) return kr::NS_ERROR_NULL_POINTER;
  for (auto it = observers_.begin(); it != observers_.end(); ++it) {
    if (it->first == topic && it->second.get() == observer) {
      nsCOMPtr<kr::nsIObserver> going = it->second;  // released after the list is consistent
      observers_.erase(it);
      return kr::NS_OK;
    }
  }
  return kr::NS_ERROR_FAILURE;
}

nsresult CHostObserverService::NotifyObservers(kr::nsISupports* subject, const char* topic,
                                               const kr::PRUnichar* data) {
  if (!topic) return kr::NS_ERROR_NULL_POINTER;
  sent.push_back({topic, nsCOMPtr<kr::nsISupports>(subject), data ? data : L""});
  std::vector<nsCOMPtr<kr::nsIObserver>> targets;
  for (auto& entry : observers_)
    if (entry.first == topic) targets.push_back(entry.second);
  for (auto& observer : targets) observer->Observe(subject, topic, data);
  return kr::NS_OK;
}

int CHostObserverService::CountObservers(const std::string& topic) const {
  int count = 0;
  for (auto& entry : observers_)
    if (entry.first == topic) ++count;
  return count;
}

// ---- arrays ----

nsresult CHostArray::GetLength(uint32_t* length) {
  if (!length) return kr::NS_ERROR_NULL_POINTER;
  *length = static_cast<uint32_t>(items_.size());
  return kr::NS_OK;
}

nsresult CHostArray::QueryElementAt(uint32_t index, const kr::nsIID& iid, void** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  if (index >= items_.size()) return kr::NS_ERROR_ILLEGAL_VALUE;
  if (!items_[index]) return kr::NS_ERROR_NULL_POINTER;
  return items_[index]->QueryInterface(iid, result);
}

nsresult CHostArray::IndexOf(uint32_t start, kr::nsISupports* element, uint32_t* index) {
  if (!index) return kr::NS_ERROR_NULL_POINTER;
  for (uint32_t i = start; i < items_.size(); ++i) {
    if (items_[i].get() == element) {
      *index = i;
      return kr::NS_OK;
    }
  }
  return kr::NS_ERROR_FAILURE;
}

nsresult CHostArray::Enumerate(kr::nsISimpleEnumerator** result) {
  if (result) *result = nullptr;
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

nsresult CHostArray::AppendElement(kr::nsISupports* element, kr::PRBool) {
  items_.emplace_back(element);
  return kr::NS_OK;
}

nsresult CHostArray::Clear() {
  items_.clear();
  return kr::NS_OK;
}

// ---- timers ----

nsresult CHostTimer::InitWithCallback(kr::nsITimerCallback* callback, uint32_t delay_ms, uint32_t) {
  callback_ = callback;
  delay_ = delay_ms;
  return kr::NS_OK;
}

nsresult CHostTimer::Cancel() {
  callback_.Reset();
  return kr::NS_OK;
}

bool CHostTimer::Fire() {
  nsCOMPtr<kr::nsITimerCallback> callback = callback_;
  if (!callback) return false;
  callback->Notify(this);
  return true;
}

// ---- preferences ----

nsresult CHostPrefBranch::GetCharPref(const char* name, char** value) {
  if (!name || !value) return kr::NS_ERROR_NULL_POINTER;
  *value = nullptr;
  auto found = HostPrefs()->values.find(root_ + name);
  if (found == HostPrefs()->values.end()) return kr::NS_ERROR_FAILURE;
  *value = HostMemory()->Narrow(found->second);
  return kr::NS_OK;
}

nsresult CHostPrefBranch::SetCharPref(const char* name, const char* value) {
  if (!name || !value) return kr::NS_ERROR_NULL_POINTER;
  HostPrefs()->values[root_ + name] = value;
  return kr::NS_OK;
}

nsresult CHostPrefService::GetBranch(const char* root, kr::nsIPrefBranch** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = new CHostPrefBranch(root ? root : "");
  (*result)->AddRef();
  return kr::NS_OK;
}

CHostPrefService* HostPrefs() {
  static CHostPrefService* prefs = [] {
    CHostPrefService* p = new CHostPrefService();
    p->AddRef();
    return p;
  }();
  return prefs;
}

// ---- cache ----

namespace {
class CCacheEntry : public CHostObject<kr::nsICacheEntryDescriptor> {
 public:
  explicit CCacheEntry(uint32_t size) : size_(size) {}
  KR_METHOD GetDataSize(uint32_t* size) override {
    if (!size) return kr::NS_ERROR_NULL_POINTER;
    *size = size_;
    return kr::NS_OK;
  }

 private:
  uint32_t size_;
};
}  // namespace

nsresult CHostCacheService::CreateSession(const char*, int32_t, kr::PRBool, kr::nsICacheSession** session) {
  if (!session) return kr::NS_ERROR_NULL_POINTER;
  *session = this;
  AddRef();
  return kr::NS_OK;
}

nsresult CHostCacheService::OpenCacheEntry(const kr::nsACString& key, int32_t, kr::PRBool,
                                           kr::nsICacheEntryDescriptor** entry) {
  if (!entry) return kr::NS_ERROR_NULL_POINTER;
  *entry = nullptr;
  auto found = sizes.find(Read(key));
  if (found == sizes.end()) return kr::NS_ERROR_NOT_AVAILABLE;
  *entry = new CCacheEntry(found->second);
  (*entry)->AddRef();
  return kr::NS_OK;
}

// ---- component and service manager ----

CHostComponentManager::CHostComponentManager() {
  AddService("@mozilla.org/xpcom/memory-service;1", HostMemory());
  AddService("@mozilla.org/preferences-service;1", HostPrefs());
  AddMaker("@mozilla.org/supports-PRBool;1", [] { return nsCOMPtr<kr::nsISupports>(new CHostBool()); });
  AddMaker("@mozilla.org/supports-void;1", [] { return nsCOMPtr<kr::nsISupports>(new CHostVoid()); });
  AddMaker("@mozilla.org/array;1",
           [] { return nsCOMPtr<kr::nsISupports>(static_cast<kr::nsIMutableArray*>(new CHostArray())); });
  AddMaker("@mozilla.org/timer;1", [this] {
    nsCOMPtr<CHostTimer> timer(new CHostTimer());
    timers.push_back(timer);
    return nsCOMPtr<kr::nsISupports>(timer.get());
  });
}

nsresult CHostComponentManager::GetClassObject(const kr::nsCID& cid, const kr::nsIID& iid, void** result) {
  if (!result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  if (!module_) return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
  return module_->GetClassObject(this, cid, iid, result);
}

nsresult CHostComponentManager::GetClassObjectByContractID(const char* contract, const kr::nsIID& iid,
                                                           void** result) {
  if (!contract || !result) return kr::NS_ERROR_NULL_POINTER;
  auto found = registered.find(contract);
  if (found == registered.end()) return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
  return GetClassObject(found->second.first, iid, result);
}

nsresult CHostComponentManager::CreateInstance(const kr::nsCID& cid, kr::nsISupports* outer, const kr::nsIID& iid,
                                               void** result) {
  nsCOMPtr<kr::nsIFactory> factory;
  nsresult r = GetClassObject(cid, kr::nsIFactory::IID(), factory.OutVoid());
  if (kr::NS_FAILED(r)) return r;
  return factory->CreateInstance(outer, iid, result);
}

nsresult CHostComponentManager::CreateInstanceByContractID(const char* contract, kr::nsISupports* outer,
                                                           const kr::nsIID& iid, void** result) {
  if (!contract || !result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  auto maker = makers_.find(contract);
  if (maker != makers_.end()) {
    nsCOMPtr<kr::nsISupports> object = maker->second();
    return object ? object->QueryInterface(iid, result) : kr::NS_ERROR_OUT_OF_MEMORY;
  }
  auto found = registered.find(contract);
  if (found == registered.end()) return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
  return CreateInstance(found->second.first, outer, iid, result);
}

nsresult CHostComponentManager::GetService(const kr::nsCID& cid, const kr::nsIID& iid, void** result) {
  for (auto& entry : registered)
    if (entry.second.first == cid) return GetServiceByContractID(entry.first.c_str(), iid, result);
  return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
}

nsresult CHostComponentManager::GetServiceByContractID(const char* contract, const kr::nsIID& iid, void** result) {
  if (!contract || !result) return kr::NS_ERROR_NULL_POINTER;
  *result = nullptr;
  auto found = services_.find(contract);
  if (found != services_.end()) return found->second->QueryInterface(iid, result);
  auto created = created_services_.find(contract);
  if (created != created_services_.end()) return created->second->QueryInterface(iid, result);
  nsCOMPtr<kr::nsISupports> service;
  nsresult r = CreateInstanceByContractID(contract, nullptr, kr::nsISupports::IID(), service.OutVoid());
  if (kr::NS_FAILED(r)) return r;
  created_services_[contract] = service;
  return service->QueryInterface(iid, result);
}

nsresult CHostComponentManager::RegisterFactoryLocation(const kr::nsCID& cid, const char* class_name,
                                                        const char* contract, kr::nsIFile*, const char*,
                                                        const char*) {
  if (!contract) return kr::NS_ERROR_NULL_POINTER;
  registered[contract] = std::make_pair(cid, std::string(class_name ? class_name : ""));
  return kr::NS_OK;
}

nsresult CHostComponentManager::UnregisterFactoryLocation(const kr::nsCID& cid, kr::nsIFile*) {
  for (auto it = registered.begin(); it != registered.end(); ++it) {
    if (it->second.first == cid) {
      registered.erase(it);
      return kr::NS_OK;
    }
  }
  return kr::NS_ERROR_FACTORY_NOT_REGISTERED;
}

}  // namespace geckohost
