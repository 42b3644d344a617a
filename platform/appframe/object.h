// The root object of the framework and its runtime classes: every class that declares itself
// dynamic can be asked for its class, tested for derivation and, when creatable, made by name.
#pragma once

#include <windows.h>

class CObject;
class CArchive;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;                        // 0xFFFF for classes that cannot be stored
  CObject* (*m_pfnCreateObject)();       // null for classes that cannot be created by name
  const CRuntimeClass* m_pBaseClass;     // null for CObject
  mutable const CRuntimeClass* m_pNextClass;  // the module's class list (set at start-up)

  // A new object of this class (the caller owns it); null when not creatable.
  CObject* CreateObject() const;
  bool IsDerivedFrom(const CRuntimeClass* base) const;

  // The class of that name among the classes registered in this module: every class of the
  // framework, and every class of a library that registered its classes (Register, or a
  // CClassInit of an object file the program links); null when none.
  static const CRuntimeClass* FromName(const char* name);
  static const CRuntimeClass* FromName(const wchar_t* name);
  static CObject* CreateObject(const char* name);
  static CObject* CreateObject(const wchar_t* name);
};

// Enters a class into the module's class list (one static instance per implemented class).
// A static library's object file that nothing else references is left out of the program by
// the linker, and its CClassInit with it: a library whose classes are created by stored name
// lists them in one registration function (RegisterClasses below) that its users call, so
// that naming the function links every listed class.
struct CClassInit {
  explicit CClassInit(const CRuntimeClass* cls);
};

// Enters classes into the module's class list; a class already there is left as it is.
void RegisterClasses(const CRuntimeClass* const* classes, size_t count);
template <size_t N>
void RegisterClasses(const CRuntimeClass* const (&classes)[N]) {
  RegisterClasses(classes, N);
}

class CObject {
 public:
  virtual ~CObject() {}
  virtual const CRuntimeClass* GetRuntimeClass() const;
  // Stores or loads the object's state; the root stores nothing.
  virtual void Serialize(CArchive& ar);

  bool IsKindOf(const CRuntimeClass* cls) const;
  bool IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

  static const CRuntimeClass classCObject;

 protected:
  CObject() {}

 private:
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                \
 public:                                                           \
  static const CRuntimeClass class##class_name;                    \
  const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_name, schema, create)                         \
  const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), schema, \
                                                       create, RUNTIME_CLASS(base_name), nullptr}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }    \
  static const CClassInit kClassInit_##class_name(RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_name) \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_name)                      \
  CObject* class_name::CreateObject() { return new class_name; }        \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_name, schema)                 \
  CObject* class_name::CreateObject() { return new class_name; }        \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_name, schema, class_name::CreateObject)
