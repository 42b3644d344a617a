// The user's settings: named values under one per-user registry key, read and written through
// settings objects that each user of a value owns.
#pragma once

#include <windows.h>

#include "common/observe/observer_service.h"
#include "common/utility/mutex.h"

namespace SettingsUtilsNS {

extern const char kSettingsKeyPath[];     // "SOFTWARE\TorvanGroup\Dravix" under HKEY_CURRENT_USER
extern const char kRegistryMutexName[];   // "Kestrin Registry Mutex Object"
const DWORD kRegistryMutexWaitMs = 5000;
const size_t kSettingsTextSize = 260;     // text fields: at most 259 characters and the terminator

const REGSAM kAccessRead = KEY_READ;          // 0x20019
const REGSAM kAccessWrite = KEY_WRITE;        // 0x20006
const REGSAM kAccessReadWrite = 0x2001F;      // read, set value and create sub-key

// One change-mask bit per value.
enum : DWORD {
  kMaskBlanking = 0x80000000,
  kMaskHotKeyKey = 0x20000000,
  kMaskHotKeyMod = 0x10000000,
  kMaskUseMov = 0x04000000,
  kMaskBorderBrowser = 0x02000000,
  kMaskBorderScreen = 0x01000000,
  kMaskBorderTaskTray = 0x00800000,
  kMaskBorderColour = 0x00400000,
  kMaskUseAudio = 0x00200000,
  kMaskMouseOverSound = 0x00100000,
  kMaskMouseOffSound = 0x00080000,
  kMaskOpacity = 0x00040000,
  kMaskErrorOnFailedRevocationCheck = 0x00020000,
  kMaskBorderWidth = 0x00010000,
  kMaskNextUpDate = 0x00008000,
  kMaskDisplayTextSize = 0x00004000,
  kMaskCurrentKRAIDAState = 0x00002000,
  kMaskKRAIDAValidatingFor = 0x00001000,
  kMaskShowCursorType = 0x00000800,
  kMaskSettingsVersion = 0x00000400,
  kMaskEVHttpCheck = 0x00000200,
  kMaskSslVerifyUpdate = 0x00000100,
  kMaskKRVersion = 0x00000080,
};

// Load groups given to the constructor and to Reload.
enum : int {
  kLoadGroupAll = 0,          // every value (warning toasts)
  kLoadGroupNone = 1,         // nothing: values are read by the refreshing getters
  kLoadGroupMouseEffect = 2,  // BorderColour, Current_KRAIDA_State, KRAIDA_ValidatingFor, ShowCursorType
  kLoadGroupBorder = 3,       // the nine values of the validation border
};
DWORD GetLoadGroupMask(int group);

// Defaults that are not plain constants.
extern const char kDefaultKRVersion[];  // "2.7.0.14"
const DWORD kDefaultBorderColour = 0x0000FF00;
// The time this module was initialised, in seconds since 1 January 1970 UTC: the default of
// both time values for the life of the module.
__int64 GetModuleStartTime();

// A registry key path under HKEY_CURRENT_USER, its handle while open and the named mutex that can
// serialise opens across processes.
class CSettingsBase {
 public:
  CSettingsBase(const char* key_path, const char* mutex_name);
  virtual ~CSettingsBase();

  virtual bool OpenRead(bool lock);
  virtual bool OpenWrite(bool lock);
  virtual bool OpenReadWrite(bool lock);
  virtual bool Close();
  // Fails when a key is open already; with the lock flag it first takes the registry mutex.
  // Never creates the key.
  virtual bool OpenKey(REGSAM access, bool lock);
  // Creates the key when missing and keeps it open; never takes the mutex.
  virtual bool CreateKey();
  // Always true: closes the key and releases the mutex if held.
  virtual bool CloseKey();

  bool IsOpen() const { return key_.IsValid(); }

  // Typed helpers for one value of the given key (null: the open key). True on success.
  bool ReadDword(const char* name, DWORD* value, HKEY key = nullptr);
  bool ReadBool(const char* name, bool* value, HKEY key = nullptr);
  bool ReadTime(const char* name, __int64* value, HKEY key = nullptr);
  // `text` has kSettingsTextSize bytes; it is always terminated after a successful read.
  bool ReadString(const char* name, char* text, HKEY key = nullptr);
  // The same value as UTF-16 (the registry converts 8-bit data for this read).
  bool ReadStringW(const char* name, wchar_t* text, HKEY key = nullptr);
  bool WriteDword(const char* name, DWORD value, HKEY key = nullptr);
  bool WriteBool(const char* name, bool value, HKEY key = nullptr);
  bool WriteTime(const char* name, __int64 value, HKEY key = nullptr);
  bool WriteString(const char* name, const char* text, HKEY key = nullptr);
  // Writes UTF-16; the add-ons' 8-bit reads of the value get it in their code page.
  bool WriteStringW(const char* name, const wchar_t* text, HKEY key = nullptr);

 private:
  CSettingsBase(const CSettingsBase&) = delete;
  CSettingsBase& operator=(const CSettingsBase&) = delete;

  HKEY Target(HKEY key) const { return key ? key : key_.Get(); }

  KestrinWinNS::CScopedRegKey key_;
  char* key_path_;
  bool holds_mutex_ = false;
  UtilityClassesNS::CMutexHolder mutex_;
};

// The system's 23 settings with their defaults, load rules, change mask and the broadcast of
// event 1 after a save.
class CSettingsKestrin : public CSettingsBase {
 public:
  explicit CSettingsKestrin(int group);
  ~CSettingsKestrin() override;

  virtual bool IsKeyMissing();
  virtual bool CreateDefaults();
  virtual void SetDefaults();
  virtual bool LoadAll();
  virtual bool SaveAll();
  // Creates the key, writes the default of every missing value and applies the load rules;
  // leaves the key open for the caller to close.
  virtual bool FillMissingValues();
  virtual bool LoadMasked(DWORD mask);
  virtual bool SaveMasked(DWORD mask);

  bool Reload(int group);

  // Getters: with refresh the value is read again first; a failed read keeps the held value.
  DWORD GetBorderColour(bool refresh);
  DWORD GetBorderWidth(bool refresh);
  DWORD GetDisplayTextSize(bool refresh);
  DWORD GetCurrentKRAIDAState(bool refresh);
  DWORD GetKRAIDAValidatingFor(bool refresh);
  DWORD GetShowCursorType(bool refresh);
  bool GetUseMov(bool refresh);
  bool GetBorderBrowser(bool refresh);
  bool GetBorderScreen(bool refresh);
  bool GetUseAudio(bool refresh);
  const char* GetMouseOverSound(bool refresh);
  const char* GetMouseOffSound(bool refresh);
  bool GetErrorOnFailedRevocationCheck(bool refresh);
  __int64 GetNextUpDate(bool refresh);

  // Setters: store the value; without save-now mark it changed, with save-now save it at once.
  bool SetBorderColour(DWORD value, bool save_now);
  bool SetBorderWidth(DWORD value, bool save_now);
  bool SetDisplayTextSize(DWORD value, bool save_now);
  bool SetCurrentKRAIDAState(DWORD value, bool save_now);
  bool SetKRAIDAValidatingFor(DWORD value, bool save_now);
  bool SetShowCursorType(DWORD value, bool save_now);
  bool SetErrorOnFailedRevocationCheck(bool value, bool save_now);
  bool SetUseAudio(bool value, bool save_now);
  bool SetMouseOverSound(const char* value, bool save_now);  // refuses null
  bool SetMouseOffSound(const char* value, bool save_now);   // refuses null
  // The sound paths as UTF-16: what the tray program shows and edits. A path the code page
  // cannot hold is kept whole here and in the registry; the 8-bit copy above is then lossy.
  const wchar_t* GetMouseOverSoundW(bool refresh);
  const wchar_t* GetMouseOffSoundW(bool refresh);
  bool SetMouseOverSoundW(const wchar_t* value, bool save_now);  // refuses null
  bool SetMouseOffSoundW(const wchar_t* value, bool save_now);   // refuses null
  bool SetNextUpDate(__int64 value, bool save_now);

  // Saves the given values, then broadcasts event 1. False (nothing broadcast) when the open or
  // a write fails.
  bool SaveValue(DWORD mask);
  // Saves every value changed since the last save, clears the change mask and broadcasts event 1.
  // False with an empty mask; on failure the mask is kept.
  bool SaveChanged();

  DWORD GetChangeMask() const { return change_mask_; }

  // The values; readable directly after a load.
  DWORD m_Blanking;
  DWORD m_HotKeyKey;
  DWORD m_HotKeyMod;
  bool m_UseMov;
  bool m_BorderBrowser;
  bool m_BorderScreen;
  bool m_BorderTaskTray;
  DWORD m_BorderColour;
  bool m_UseAudio;
  char m_MouseOverSound[kSettingsTextSize];
  char m_MouseOffSound[kSettingsTextSize];
  DWORD m_Opacity;
  bool m_ErrorOnFailedRevocationCheck;
  bool m_EVHttpCheck;
  DWORD m_BorderWidth;
  __int64 m_NextUpDate;
  DWORD m_DisplayTextSize;
  DWORD m_CurrentKRAIDAState;
  DWORD m_KRAIDAValidatingFor;
  DWORD m_SettingsVersion;
  DWORD m_ShowCursorType;
  __int64 m_SslVerifyUpdate;
  char m_KRVersion[kSettingsTextSize];
  // Every text again as UTF-16, as it is written: the 8-bit fields and these are kept equal
  // (through the system code page) by the setters and the loads.
  wchar_t m_MouseOverSoundW[kSettingsTextSize];
  wchar_t m_MouseOffSoundW[kSettingsTextSize];
  wchar_t m_KRVersionW[kSettingsTextSize];

 private:
  struct ValueInfo;
  static const ValueInfo kValues[];
  bool LoadValue(const ValueInfo& info);
  bool SaveOne(const ValueInfo& info);
  void Refresh(DWORD mask);
  bool StoreChange(DWORD mask, bool save_now);

  DWORD change_mask_ = 0;
  ObserveNS::CObserverServiceNotifier notifier_;
};

}  // namespace SettingsUtilsNS
