#include "platform/appframe/object.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/appframe/string.h"

namespace {

// The head of the module's class list. Classes are entered during static initialisation,
// before any code can ask for them by name.
const CRuntimeClass*& ClassListHead() {
  static const CRuntimeClass* head = nullptr;
  return head;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static const CClassInit kClassInit_CObject(&CObject::classCObject);

namespace {
bool IsListed(const CRuntimeClass* cls) {
  for (const CRuntimeClass* c = ClassListHead(); c; c = c->m_pNextClass)
    if (c == cls) return true;
  return false;
}

void Enter(const CRuntimeClass* cls) {
  // Entered twice (its CClassInit and a registration), a class would link the list into a
  // ring.
  if (!cls || IsListed(cls)) return;
  cls->m_pNextClass = ClassListHead();
  ClassListHead() = cls;
}
}  // namespace

// The framework's own classes (framework_classes.cpp): lookups by name always find them.
void RegisterFrameworkClasses();

CClassInit::CClassInit(const CRuntimeClass* cls) { Enter(cls); }

void RegisterClasses(const CRuntimeClass* const* classes, size_t count) {
  for (size_t i = 0; i < count; ++i) Enter(classes[i]);
}

CObject* CRuntimeClass::CreateObject() const {
  if (!m_pfnCreateObject) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
    if (c == base) return true;
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name) {
  if (!name) return nullptr;
  static const bool framework_registered = (RegisterFrameworkClasses(), true);
  (void)framework_registered;
  for (const CRuntimeClass* c = ClassListHead(); c; c = c->m_pNextClass)
    if (std::strcmp(c->m_lpszClassName, name) == 0) return c;
  return nullptr;
}

const CRuntimeClass* CRuntimeClass::FromName(const wchar_t* name) {
  if (!name) return nullptr;
  return FromName(CString(name).ToAnsi().c_str());
}

CObject* CRuntimeClass::CreateObject(const char* name) {
  const CRuntimeClass* c = FromName(name);
  return c ? c->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(const wchar_t* name) {
  const CRuntimeClass* c = FromName(name);
  return c ? c->CreateObject() : nullptr;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
