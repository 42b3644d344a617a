// Two-way state exchange: one routine per object stores when the exchange stores and loads
// when it loads. Values are named and defaulted; repeated items are sections reached through
// an enumerator; a schema number lets newer code read older data.
#pragma once

#include <windows.h>

#include "platform/appframe/archive.h"
#include "platform/appframe/cmd_target.h"
#include "platform/appframe/object.h"
#include "platform/appframe/string.h"
#include "platform/win/scoped_handle.h"

class CTKPropExchangeEnumerator;

class CTKPropExchange : public CCmdTarget {
  DECLARE_DYNAMIC(CTKPropExchange)

 public:
  // Value types of TransferValue.
  enum Type {
    kShort = 2,     // VT_I2
    kInt = 3,       // VT_I4
    kFloat = 4,     // VT_R4
    kDouble = 5,    // VT_R8
    kCurrency = 6,  // VT_CY
    kDate = 7,      // VT_DATE
    kBool = 11,     // VT_BOOL (a BOOL)
    kVariant = 12,  // VT_VARIANT
    kByte = 17,     // VT_UI1
    kString = 30,   // CString
    kRect = 100,
    kSize = 101,
  };
  static constexpr int kCurrentSchema = 20;
  // Written before the schema by archives that carry one; older data lacks it.
  static constexpr DWORD kSchemaMarker = 0x0FF0ADBF;
  static constexpr int kSchemaWithoutMarker = 17;

  bool IsLoading() const { return m_bLoading; }
  bool IsStoring() const { return !m_bLoading; }
  int GetSchema() const { return m_nSchema; }
  void SetSchema(int schema) { m_nSchema = schema; }
  bool IsSection() const { return m_bSection; }
  bool IsUsed() const { return m_bUsed; }

  virtual bool TransferValue(const wchar_t* name, int type, void* value, const void* defaultValue) = 0;
  // Loading with *data NULL allocates the bytes with malloc (the caller frees them); with a
  // buffer it must hold *size bytes at least.
  virtual bool TransferBlob(const wchar_t* name, BYTE** data, DWORD* size);
  virtual bool TransferClass(const wchar_t* name, const CRuntimeClass** cls, const CRuntimeClass* defaultClass);
  virtual bool TransferObjectClass(CObject** object, const CRuntimeClass* base);
  virtual CArchive* OpenArchive(const wchar_t* name);
  virtual void CloseArchive(const wchar_t* name, CArchive* archive);
  // A new exchange for the named section; the caller releases it (InternalRelease).
  virtual CTKPropExchange* OpenSection(const wchar_t* name) = 0;
  virtual void EnableSectionOption(bool on) { m_bSectionOption = on; }
  virtual void WriteCount(DWORD count);
  virtual DWORD ReadCount();
  virtual bool Write(const wchar_t* name, const void* data, DWORD size);
  virtual DWORD Read(const wchar_t* name, void* data, DWORD size);
  // Whether values are addressed by their names, and whether they follow each other in order.
  virtual bool UsesNames() const { return true; }
  virtual bool IsSequential() const { return false; }
  virtual bool OnBeforeTransfer();
  virtual CTKPropExchangeEnumerator* OpenEnumerator(const wchar_t* name);
  virtual void TransferSchema();
  // Whether a count read back can be true of this store (it can never exceed what the store
  // holds); a count that cannot is refused before anything is allocated or looped over.
  virtual bool IsPlausibleCount(DWORD count) { return true; }

 protected:
  CTKPropExchange() = default;
  void CopyStateFrom(const CTKPropExchange& parent);

  bool m_bLoading = false;
  int m_nSchema = kCurrentSchema;
  bool m_bSection = false;
  bool m_bSectionOption = false;
  bool m_bUsed = false;
  bool m_bOptionA = true;
  bool m_bOptionB = true;
};

// Releases a section's exchange when it goes out of scope.
class CTKPropExchangeSection {
 public:
  CTKPropExchangeSection(CTKPropExchange* parent, const wchar_t* name) : px_(parent->OpenSection(name)) {}
  explicit CTKPropExchangeSection(CTKPropExchange* px) : px_(px) {}
  ~CTKPropExchangeSection() {
    if (px_) px_->InternalRelease();
  }
  CTKPropExchangeSection(const CTKPropExchangeSection&) = delete;
  CTKPropExchangeSection& operator=(const CTKPropExchangeSection&) = delete;
  CTKPropExchange* operator->() const { return px_; }
  CTKPropExchange* get() const { return px_; }

 private:
  CTKPropExchange* px_;
};

class CTKPropExchangeEnumerator {
 public:
  CTKPropExchangeEnumerator(CTKPropExchange* px, const wchar_t* name) : px_(px), name_(name) {}
  virtual ~CTKPropExchangeEnumerator() = default;

  // Exchanges the count (as "Count", or in the compact form); returns the first position, 0
  // when there are no items. A loaded count the store cannot hold throws an archive exception.
  virtual DWORD StartEnumeration(DWORD count, bool compact = false);
  // The exchange of the section at this position ("<name><index>"), and the next position (0
  // after the last item). The caller releases the section.
  virtual CTKPropExchange* NextSection(DWORD& position);
  DWORD Count() const { return count_; }

 private:
  CTKPropExchange* px_;
  CString name_;
  DWORD count_ = 0;
};

// The exchange over an archive: names are not written, values follow each other in call order
// and defaults are not used.
class CTKPropExchangeArchive : public CTKPropExchange {
  DECLARE_DYNAMIC(CTKPropExchangeArchive)

 public:
  explicit CTKPropExchangeArchive(CArchive& ar);

  bool TransferValue(const wchar_t* name, int type, void* value, const void* defaultValue) override;
  bool TransferBlob(const wchar_t* name, BYTE** data, DWORD* size) override;
  bool TransferClass(const wchar_t* name, const CRuntimeClass** cls, const CRuntimeClass* defaultClass) override;
  bool TransferObjectClass(CObject** object, const CRuntimeClass* base) override;
  CArchive* OpenArchive(const wchar_t* name) override { return &m_ar; }
  void CloseArchive(const wchar_t* name, CArchive* archive) override {}
  CTKPropExchange* OpenSection(const wchar_t* name) override;
  void WriteCount(DWORD count) override;
  DWORD ReadCount() override;
  bool UsesNames() const override { return false; }
  bool IsSequential() const override { return true; }
  void TransferSchema() override;
  bool IsPlausibleCount(DWORD count) override;
  // A VARIANT as the archive keeps one: its type (16 bits), then its value.
  bool TransferVariant(VARIANT* value);

 private:
  CArchive& m_ar;
};

// The exchange over a registry key: values by name, sections as subkeys, blobs, classes and
// archives as text values.
class CTKPropExchangeRegistry : public CTKPropExchange {
  DECLARE_DYNAMIC(CTKPropExchangeRegistry)

 public:
  // Opens (loading) or creates (storing) root\path; IsOpen tells whether that worked.
  CTKPropExchangeRegistry(HKEY root, const wchar_t* path, bool loading);
  ~CTKPropExchangeRegistry() override;
  bool IsOpen() const { return m_key.IsValid(); }

  bool TransferValue(const wchar_t* name, int type, void* value, const void* defaultValue) override;
  CTKPropExchange* OpenSection(const wchar_t* name) override;
  bool IsPlausibleCount(DWORD count) override;

 private:
  KestrinWinNS::CScopedRegKey m_key;
};

bool PropExchangeInt(CTKPropExchange* px, const wchar_t* name, int* value, int defaultValue);
bool PropExchangeBool(CTKPropExchange* px, const wchar_t* name, BOOL* value, BOOL defaultValue);
bool PropExchangeBool(CTKPropExchange* px, const wchar_t* name, bool* value, bool defaultValue);
bool PropExchangeString(CTKPropExchange* px, const wchar_t* name, CString* value, const wchar_t* defaultValue);
bool PropExchangeSize(CTKPropExchange* px, const wchar_t* name, SIZE* value, SIZE defaultValue);
bool PropExchangeRect(CTKPropExchange* px, const wchar_t* name, RECT* value, RECT defaultValue);
// The object's Serialize over the named archive; false when an archive or COM error occurs.
bool PropExchangeSerializable(CTKPropExchange* px, const wchar_t* name, CObject* object);
