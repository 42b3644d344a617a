#include "common/settings/settings.h"

#include <string.h>
#include <time.h>

namespace SettingsUtilsNS {

const char kSettingsKeyPath[] = "SOFTWARE\\TorvanGroup\\Dravix";
const char kRegistryMutexName[] = "Kestrin Registry Mutex Object";
const char kDefaultKRVersion[] = "2.7.0.14";

__int64 GetModuleStartTime() {
  static const __int64 start = _time64(nullptr);
  return start;
}

namespace {

// Taken while the module initialises, so that every later default uses this moment.
const __int64 g_module_start_time = GetModuleStartTime();

void CopyText(char* field, const char* text) { lstrcpynA(field, text, static_cast<int>(kSettingsTextSize)); }

}  // namespace

DWORD GetLoadGroupMask(int group) {
  switch (group) {
    case kLoadGroupAll: return 0xFFFFFFFF;
    case kLoadGroupMouseEffect: return 0x00403800;
    case kLoadGroupBorder: return 0x07794000;
    default: return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// CSettingsBase

CSettingsBase::CSettingsBase(const char* key_path, const char* mutex_name)
    : key_path_(_strdup(key_path ? key_path : "")), mutex_(mutex_name, kRegistryMutexWaitMs) {}

CSettingsBase::~CSettingsBase() {
  CloseKey();
  free(key_path_);
}

bool CSettingsBase::OpenRead(bool lock) { return OpenKey(kAccessRead, lock); }
bool CSettingsBase::OpenWrite(bool lock) { return OpenKey(kAccessWrite, lock); }
bool CSettingsBase::OpenReadWrite(bool lock) { return OpenKey(kAccessReadWrite, lock); }
bool CSettingsBase::Close() { return CloseKey(); }

bool CSettingsBase::OpenKey(REGSAM access, bool lock) {
  if (key_ || !key_path_) return false;
  bool took_mutex = false;
  if (lock) {
    HRESULT locked = mutex_.Lock();
    if (locked == 1) return false;  // timed out, or this object holds it already
    took_mutex = locked == S_OK;    // a wait that failed outright does not stop the open
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path_, 0, access, &key) != ERROR_SUCCESS) {
    if (took_mutex) mutex_.Unlock();
    return false;
  }
  key_.Reset(key);
  holds_mutex_ = took_mutex;
  return true;
}

bool CSettingsBase::CreateKey() {
  if (key_ || !key_path_) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key_path_, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccessReadWrite,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key_.Reset(key);
  return true;
}

bool CSettingsBase::CloseKey() {
  key_.Reset();
  if (holds_mutex_) mutex_.Unlock();
  holds_mutex_ = false;
  return true;
}

bool CSettingsBase::ReadDword(const char* name, DWORD* value, HKEY key) {
  HKEY target = Target(key);
  if (!target || !value) return false;
  DWORD data = 0;  // data shorter than four bytes leaves the high bytes 0
  DWORD size = sizeof(data);
  if (RegQueryValueExA(target, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS) {
    return false;
  }
  *value = data;
  return true;
}

bool CSettingsBase::ReadBool(const char* name, bool* value, HKEY key) {
  DWORD number = 0;
  if (!value || !ReadDword(name, &number, key)) return false;
  *value = number != 0;
  return true;
}

bool CSettingsBase::ReadTime(const char* name, __int64* value, HKEY key) {
  DWORD number = 0;
  if (!value || !ReadDword(name, &number, key)) return false;
  *value = static_cast<__int64>(number);
  return true;
}

bool CSettingsBase::ReadString(const char* name, char* text, HKEY key) {
  HKEY target = Target(key);
  if (!target || !text) return false;
  char data[kSettingsTextSize];
  DWORD size = sizeof(data);
  if (RegQueryValueExA(target, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) {
    return false;
  }
  // The stored data need not end in a terminator; a full field of characters keeps 259 of them.
  if (size >= sizeof(data)) size = sizeof(data) - 1;
  data[size] = '\0';
  memcpy(text, data, size + 1);
  return true;
}

bool CSettingsBase::ReadStringW(const char* name, wchar_t* text, HKEY key) {
  HKEY target = Target(key);
  if (!target || !text || !name) return false;
  wchar_t wide_name[kSettingsTextSize];
  if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, kSettingsTextSize)) return false;
  wchar_t data[kSettingsTextSize];
  DWORD size = sizeof(data), type = 0;
  if (RegQueryValueExW(target, wide_name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
    return false;
  // Bytes of another type are 8-bit text to whoever wrote them: not read here.
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  size_t count = size / sizeof(wchar_t);
  if (count >= kSettingsTextSize) count = kSettingsTextSize - 1;
  data[count] = L'\0';
  memcpy(text, data, (count + 1) * sizeof(wchar_t));
  return true;
}

bool CSettingsBase::WriteDword(const char* name, DWORD value, HKEY key) {
  HKEY target = Target(key);
  if (!target) return false;
  return RegSetValueExA(target, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
         ERROR_SUCCESS;
}

bool CSettingsBase::WriteBool(const char* name, bool value, HKEY key) { return WriteDword(name, value ? 1 : 0, key); }

bool CSettingsBase::WriteTime(const char* name, __int64 value, HKEY key) {
  return WriteDword(name, static_cast<DWORD>(value & 0xFFFFFFFF), key);
}

bool CSettingsBase::WriteString(const char* name, const char* text, HKEY key) {
  HKEY target = Target(key);
  if (!target || !text) return false;
  return RegSetValueExA(target, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

bool CSettingsBase::WriteStringW(const char* name, const wchar_t* text, HKEY key) {
  HKEY target = Target(key);
  if (!target || !text || !name) return false;
  wchar_t wide_name[kSettingsTextSize];
  if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, kSettingsTextSize)) return false;
  return RegSetValueExW(target, wide_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// CSettingsKestrin

enum ValueKind { kNumber, kFlag, kTime, kText };
enum LoadRule { kNoRule, kZeroUnlessBinary, kAtLeast2, kAtLeast10, kZeroUnlessBinaryOnFill };

struct CSettingsKestrin::ValueInfo {
  const char* name;
  DWORD mask;
  ValueKind kind;
  LoadRule rule;
  DWORD CSettingsKestrin::*number;
  bool CSettingsKestrin::*flag;
  __int64 CSettingsKestrin::*time;
  char (CSettingsKestrin::*text)[kSettingsTextSize];
  wchar_t (CSettingsKestrin::*wide)[kSettingsTextSize];
  DWORD default_number;  // also the default of a flag
  const char* default_text;
};

namespace {

typedef CSettingsKestrin K;

#define KR_NUMBER(name, field, def, rule) {name, kMask##field, kNumber, rule, &K::m_##field, nullptr, nullptr, nullptr, nullptr, def, nullptr}
#define KR_FLAG(name, field, def) {name, kMask##field, kFlag, kNoRule, nullptr, &K::m_##field, nullptr, nullptr, nullptr, def, nullptr}
#define KR_TIME(name, field) {name, kMask##field, kTime, kNoRule, nullptr, nullptr, &K::m_##field, nullptr, nullptr, 0, nullptr}
#define KR_TEXT(name, field, def) {name, kMask##field, kText, kNoRule, nullptr, nullptr, nullptr, &K::m_##field, &K::m_##field##W, 0, def}

}  // namespace

// Table order: the order of LoadAll, SaveAll and FillMissingValues.
const CSettingsKestrin::ValueInfo CSettingsKestrin::kValues[] = {
    KR_NUMBER("Blanking", Blanking, 0, kZeroUnlessBinary),
    KR_NUMBER("HotKeyKey", HotKeyKey, 0, kNoRule),
    KR_NUMBER("HotKeyMod", HotKeyMod, 0, kNoRule),
    KR_FLAG("UseMov", UseMov, 0),
    KR_FLAG("BorderBrowser", BorderBrowser, 1),
    KR_FLAG("BorderScreen", BorderScreen, 0),
    KR_FLAG("BorderTaskTray", BorderTaskTray, 0),
    KR_NUMBER("BorderColour", BorderColour, kDefaultBorderColour, kNoRule),
    KR_FLAG("UseAudio", UseAudio, 0),
    KR_TEXT("MouseOverSound", MouseOverSound, ""),
    KR_TEXT("MouseOffSound", MouseOffSound, ""),
    KR_NUMBER("Opacity", Opacity, 64, kNoRule),
    KR_FLAG("ErrorOnFailedRevocationCheck", ErrorOnFailedRevocationCheck, 1),
    KR_FLAG("EVHttpCheck", EVHttpCheck, 1),
    KR_NUMBER("BorderWidth", BorderWidth, 8, kAtLeast2),
    KR_TIME("NextUpDate", NextUpDate),
    KR_NUMBER("DisplayTextSize", DisplayTextSize, 18, kAtLeast10),
    KR_NUMBER("Current_KRAIDA_State", CurrentKRAIDAState, 0, kNoRule),
    KR_NUMBER("KRAIDA_ValidatingFor", KRAIDAValidatingFor, 2, kNoRule),
    KR_NUMBER("SettingsVersion", SettingsVersion, 2, kNoRule),
    KR_NUMBER("ShowCursorType", ShowCursorType, 0, kZeroUnlessBinaryOnFill),
    KR_TIME("SslVerifyUpdate", SslVerifyUpdate),
    KR_TEXT("KRVersion", KRVersion, kDefaultKRVersion),
};

#undef KR_NUMBER
#undef KR_FLAG
#undef KR_TIME
#undef KR_TEXT

namespace {

const size_t kValueCount = 23;
// The masked operations visit DisplayTextSize (16) before NextUpDate (15).
const size_t kMaskedOrder[kValueCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                          12, 13, 14, 16, 15, 17, 18, 19, 20, 21, 22};

// The two forms of a text field, each from the other through the system code page.
void WidenText(wchar_t (&wide)[kSettingsTextSize], const char* text) {
  if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kSettingsTextSize)) wide[0] = L'\0';
  wide[kSettingsTextSize - 1] = L'\0';
}
void NarrowText(char (&text)[kSettingsTextSize], const wchar_t* wide) {
  if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, kSettingsTextSize, nullptr, nullptr)) text[0] = '\0';
  text[kSettingsTextSize - 1] = '\0';
}

DWORD ApplyRule(LoadRule rule, DWORD value, bool filling) {
  switch (rule) {
    case kZeroUnlessBinary: return value > 1 ? 0 : value;
    case kZeroUnlessBinaryOnFill: return filling && value > 1 ? 0 : value;
    case kAtLeast2: return value < 2 ? 2 : value;
    case kAtLeast10: return value < 10 ? 10 : value;
    default: return value;
  }
}

}  // namespace

CSettingsKestrin::CSettingsKestrin(int group) : CSettingsBase(kSettingsKeyPath, kRegistryMutexName) {
  SetDefaults();
  if (!OpenRead(false)) return;
  bool loaded = LoadMasked(GetLoadGroupMask(group));
  bool closed = CloseKey();
  if (!loaded || !closed) SetDefaults();
}

CSettingsKestrin::~CSettingsKestrin() {}

void CSettingsKestrin::SetDefaults() {
  const __int64 start = GetModuleStartTime();
  for (const ValueInfo& info : kValues) {
    switch (info.kind) {
      case kNumber: this->*info.number = info.default_number; break;
      case kFlag: this->*info.flag = info.default_number != 0; break;
      case kTime: this->*info.time = start; break;
      case kText:
        CopyText(this->*info.text, info.default_text);
        WidenText(this->*info.wide, this->*info.text);
        break;
    }
  }
}

bool CSettingsKestrin::LoadValue(const ValueInfo& info) {
  switch (info.kind) {
    case kNumber: {
      DWORD value = 0;
      if (!ReadDword(info.name, &value)) return false;
      this->*info.number = ApplyRule(info.rule, value, false);
      return true;
    }
    case kFlag: return ReadBool(info.name, &(this->*info.flag));
    case kTime: return ReadTime(info.name, &(this->*info.time));
    case kText: {
      // Read as written (UTF-16); the 8-bit copy is the same text in the code page. Data that
      // is no text value is read as the 8-bit bytes it holds.
      if (ReadStringW(info.name, this->*info.wide)) {
        NarrowText(this->*info.text, this->*info.wide);
        return true;
      }
      if (!ReadString(info.name, this->*info.text)) return false;
      WidenText(this->*info.wide, this->*info.text);
      return true;
    }
  }
  return false;
}

bool CSettingsKestrin::SaveOne(const ValueInfo& info) {
  switch (info.kind) {
    case kNumber: return WriteDword(info.name, this->*info.number);
    case kFlag: return WriteBool(info.name, this->*info.flag);
    case kTime: return WriteTime(info.name, this->*info.time);
    case kText: return WriteStringW(info.name, this->*info.wide);
  }
  return false;
}

bool CSettingsKestrin::IsKeyMissing() {
  if (!OpenRead(false)) return true;
  CloseKey();
  return false;
}

bool CSettingsKestrin::CreateDefaults() {
  if (!CreateKey()) return false;
  SetDefaults();
  bool saved = SaveAll();
  bool closed = CloseKey();
  return saved && closed;
}

bool CSettingsKestrin::LoadAll() {
  SetDefaults();
  if (!IsOpen()) return false;
  for (const ValueInfo& info : kValues) {
    if (!LoadValue(info)) return false;
  }
  return true;
}

bool CSettingsKestrin::SaveAll() {
  if (!IsOpen()) return false;
  for (const ValueInfo& info : kValues) {
    if (!SaveOne(info)) return false;
  }
  return true;
}

bool CSettingsKestrin::FillMissingValues() {
  SetDefaults();
  if (!CreateKey()) return false;
  for (const ValueInfo& info : kValues) {
    if (!LoadValue(info)) {
      SaveOne(info);  // the field still holds its default
    } else if (info.kind == kNumber) {
      this->*info.number = ApplyRule(info.rule, this->*info.number, true);
    }
  }
  return true;
}

bool CSettingsKestrin::LoadMasked(DWORD mask) {
  if (!IsOpen()) return false;
  for (size_t index : kMaskedOrder) {
    const ValueInfo& info = kValues[index];
    if ((mask & info.mask) && !LoadValue(info)) return false;
  }
  return true;
}

bool CSettingsKestrin::SaveMasked(DWORD mask) {
  if (!IsOpen()) return false;
  for (size_t index : kMaskedOrder) {
    const ValueInfo& info = kValues[index];
    if ((mask & info.mask) && !SaveOne(info)) return false;
  }
  return true;
}

bool CSettingsKestrin::Reload(int group) {
  if (!OpenRead(false)) return false;
  bool loaded = LoadMasked(GetLoadGroupMask(group));
  CloseKey();
  return loaded;
}

void CSettingsKestrin::Refresh(DWORD mask) {
  if (!OpenRead(false)) return;
  LoadMasked(mask);
  CloseKey();
}

DWORD CSettingsKestrin::GetBorderColour(bool refresh) {
  if (refresh) Refresh(kMaskBorderColour);
  return m_BorderColour;
}
DWORD CSettingsKestrin::GetBorderWidth(bool refresh) {
  if (refresh) Refresh(kMaskBorderWidth);
  return m_BorderWidth;
}
DWORD CSettingsKestrin::GetDisplayTextSize(bool refresh) {
  if (refresh) Refresh(kMaskDisplayTextSize);
  return m_DisplayTextSize;
}
DWORD CSettingsKestrin::GetCurrentKRAIDAState(bool refresh) {
  if (refresh) Refresh(kMaskCurrentKRAIDAState);
  return m_CurrentKRAIDAState;
}
DWORD CSettingsKestrin::GetKRAIDAValidatingFor(bool refresh) {
  if (refresh) Refresh(kMaskKRAIDAValidatingFor);
  return m_KRAIDAValidatingFor;
}
DWORD CSettingsKestrin::GetShowCursorType(bool refresh) {
  if (refresh) Refresh(kMaskShowCursorType);
  return m_ShowCursorType;
}
bool CSettingsKestrin::GetUseMov(bool refresh) {
  if (refresh) Refresh(kMaskUseMov);
  return m_UseMov;
}
bool CSettingsKestrin::GetBorderBrowser(bool refresh) {
  if (refresh) Refresh(kMaskBorderBrowser);
  return m_BorderBrowser;
}
bool CSettingsKestrin::GetBorderScreen(bool refresh) {
  if (refresh) Refresh(kMaskBorderScreen);
  return m_BorderScreen;
}
bool CSettingsKestrin::GetUseAudio(bool refresh) {
  if (refresh) Refresh(kMaskUseAudio);
  return m_UseAudio;
}
const char* CSettingsKestrin::GetMouseOverSound(bool refresh) {
  if (refresh) Refresh(kMaskMouseOverSound);
  return m_MouseOverSound;
}
const char* CSettingsKestrin::GetMouseOffSound(bool refresh) {
  if (refresh) Refresh(kMaskMouseOffSound);
  return m_MouseOffSound;
}
bool CSettingsKestrin::GetErrorOnFailedRevocationCheck(bool refresh) {
  if (refresh) Refresh(kMaskErrorOnFailedRevocationCheck);
  return m_ErrorOnFailedRevocationCheck;
}
__int64 CSettingsKestrin::GetNextUpDate(bool refresh) {
  if (refresh) Refresh(kMaskNextUpDate);
  return m_NextUpDate;
}

bool CSettingsKestrin::StoreChange(DWORD mask, bool save_now) {
  if (save_now) return SaveValue(mask);
  change_mask_ |= mask;
  return true;
}

bool CSettingsKestrin::SetBorderColour(DWORD value, bool save_now) {
  m_BorderColour = value;
  return StoreChange(kMaskBorderColour, save_now);
}
bool CSettingsKestrin::SetBorderWidth(DWORD value, bool save_now) {
  m_BorderWidth = value;
  return StoreChange(kMaskBorderWidth, save_now);
}
bool CSettingsKestrin::SetDisplayTextSize(DWORD value, bool save_now) {
  m_DisplayTextSize = value;
  return StoreChange(kMaskDisplayTextSize, save_now);
}
bool CSettingsKestrin::SetCurrentKRAIDAState(DWORD value, bool save_now) {
  m_CurrentKRAIDAState = value;
  return StoreChange(kMaskCurrentKRAIDAState, save_now);
}
bool CSettingsKestrin::SetKRAIDAValidatingFor(DWORD value, bool save_now) {
  m_KRAIDAValidatingFor = value;
  return StoreChange(kMaskKRAIDAValidatingFor, save_now);
}
bool CSettingsKestrin::SetShowCursorType(DWORD value, bool save_now) {
  m_ShowCursorType = value;
  return StoreChange(kMaskShowCursorType, save_now);
}
bool CSettingsKestrin::SetErrorOnFailedRevocationCheck(bool value, bool save_now) {
  m_ErrorOnFailedRevocationCheck = value;
  return StoreChange(kMaskErrorOnFailedRevocationCheck, save_now);
}
bool CSettingsKestrin::SetUseAudio(bool value, bool save_now) {
  m_UseAudio = value;
  return StoreChange(kMaskUseAudio, save_now);
}
bool CSettingsKestrin::SetMouseOverSound(const char* value, bool save_now) {
  if (!value) return false;
  CopyText(m_MouseOverSound, value);
  WidenText(m_MouseOverSoundW, m_MouseOverSound);
  return StoreChange(kMaskMouseOverSound, save_now);
}
const wchar_t* CSettingsKestrin::GetMouseOverSoundW(bool refresh) {
  if (refresh) Refresh(kMaskMouseOverSound);
  return m_MouseOverSoundW;
}
const wchar_t* CSettingsKestrin::GetMouseOffSoundW(bool refresh) {
  if (refresh) Refresh(kMaskMouseOffSound);
  return m_MouseOffSoundW;
}
bool CSettingsKestrin::SetMouseOverSoundW(const wchar_t* value, bool save_now) {
  if (!value) return false;
  lstrcpynW(m_MouseOverSoundW, value, static_cast<int>(kSettingsTextSize));
  NarrowText(m_MouseOverSound, m_MouseOverSoundW);
  return StoreChange(kMaskMouseOverSound, save_now);
}
bool CSettingsKestrin::SetMouseOffSoundW(const wchar_t* value, bool save_now) {
  if (!value) return false;
  lstrcpynW(m_MouseOffSoundW, value, static_cast<int>(kSettingsTextSize));
  NarrowText(m_MouseOffSound, m_MouseOffSoundW);
  return StoreChange(kMaskMouseOffSound, save_now);
}
bool CSettingsKestrin::SetMouseOffSound(const char* value, bool save_now) {
  if (!value) return false;
  CopyText(m_MouseOffSound, value);
  WidenText(m_MouseOffSoundW, m_MouseOffSound);
  return StoreChange(kMaskMouseOffSound, save_now);
}
bool CSettingsKestrin::SetNextUpDate(__int64 value, bool save_now) {
  m_NextUpDate = value;
  return StoreChange(kMaskNextUpDate, save_now);
}

bool CSettingsKestrin::SaveValue(DWORD mask) {
  if (!OpenWrite(false)) return false;
  bool saved = SaveMasked(mask);
  CloseKey();
  if (!saved) return false;
  notifier_.Notify(ObserveNS::kEventSettingsChanged);
  return true;
}

bool CSettingsKestrin::SaveChanged() {
  if (change_mask_ == 0) return false;
  if (!OpenWrite(false)) return false;
  bool saved = SaveMasked(change_mask_);
  CloseKey();  // also after a failed save, so that later opens of this object work
  if (!saved) return false;
  change_mask_ = 0;
  notifier_.Notify(ObserveNS::kEventSettingsChanged);
  return true;
}

}  // namespace SettingsUtilsNS
