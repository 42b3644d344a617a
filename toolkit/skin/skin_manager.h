// The process's skin manager: loads a skin, attaches a skin object to every window the UI
// threads create, routes their messages through it and redirects system functions while a
// skin is loaded.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_object_table.h"

class CTKSkinManagerSchema;
class CTKSkinManagerMetrics;
class CTKSkinManagerResourceFile;
class CTKSkinManagerClass;
class CTKSkinManagerApiHook;
class CTKSkinObject;

class CTKSkinManager {
 public:
  // Option bits of SetSkinnedParts.
  static constexpr int kOptionMetrics = 1;
  static constexpr int kOptionFrames = 2;
  static constexpr int kOptionColors = 4;
  static constexpr UINT_PTR kReorderTimer = 2765;

  CTKSkinManager();
  virtual ~CTKSkinManager();
  CTKSkinManager(const CTKSkinManager&) = delete;
  CTKSkinManager& operator=(const CTKSkinManager&) = delete;

  virtual CTKSkinManagerClass* FindOrAddSkinClass(const wchar_t* className);
  virtual void ReportSkinStateChange(int oldLoaded, int newLoaded);
  virtual CTKSkinObject* AttachSkinObjectToWindow(HWND hwnd, const wchar_t* className, const CREATESTRUCTW* cs);

  // 1 on success. An empty path unloads the skin. Refused (0, the process unskinned) when the
  // theme check fails or the system cannot be skinned.
  int LoadSkinFile(const std::wstring& path, const std::wstring& iniName);
  // The theme check: the display shows more than 256 colours, which the skin's images need.
  static bool ThemeCheckPasses();
  // Skinning patches import tables in place and subclasses through the wide window functions:
  // Windows 2000 or later.
  static bool SkinningSupported();
  // Seam: replaces both tests by one answer; NULL restores them.
  static void SetSupportCheckForTesting(bool (*check)());
  void SetSkinnedParts(int options);

  CTKSkinObject* Lookup(HWND hwnd);
  void Remove(HWND hwnd);
  int GetMetric(int property);
  COLORREF GetColorForProperty(int property);
  // True when the handle is one of the classes handed out as theme handles.
  bool IsSkinClass(const void* handle);

  bool IsSkinLoaded() const { return skin_loaded_ != 0; }
  int Options() const { return options_; }
  bool AutoAttach() const { return auto_attach_ != 0; }
  void SetAutoAttach(bool attach) { auto_attach_ = attach; }
  bool SkipShellModules() const { return skip_shell_modules_; }
  CTKSkinManagerSchema* Schema() const { return schema_.get(); }
  CTKSkinManagerMetrics* Metrics() const { return metrics_.get(); }
  CTKSkinManagerResourceFile* ResourceFile() const { return resource_file_.get(); }
  CTKSkinManagerApiHook* ApiHook() const { return api_hook_.get(); }

  // Colour filters recolour every colour and image the skin hands out, in the order added.
  void AddColorFilter(std::function<COLORREF(COLORREF)> filter) { filters_.push_back(std::move(filter)); }
  void ClearColorFilters() { filters_.clear(); }
  bool HasColorFilters() const { return !filters_.empty(); }
  COLORREF ApplyColorFilters(COLORREF color) const;

  // The creation hook of the calling thread (installed once; removed when the thread ends).
  static void InstallThreadHook();
  static LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The message being handled on this thread (saved and restored around every dispatch).
  static MSG& CurrentMessage();
  size_t WindowCount();

 private:
  static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK ReorderEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG, DWORD, DWORD);
  bool IsPropertySheetPage(HWND hwnd);
  void ApplyCurrentColors();
  void DestroyObject(HWND hwnd);

  int skin_loaded_ = 0;
  int auto_attach_ = 1;
  int options_ = 7;
  bool skip_shell_modules_ = false;
  std::map<std::wstring, std::unique_ptr<CTKSkinManagerClass>> classes_;
  std::unordered_map<HWND, std::unique_ptr<CTKSkinObject>> windows_;
  CTKSyncSection windows_lock_;
  std::map<std::wstring, CTKSkinObjectFactory> class_info_;
  std::unique_ptr<CTKSkinManagerSchema> schema_;
  std::unique_ptr<CTKSkinManagerMetrics> metrics_;
  std::unique_ptr<CTKSkinManagerResourceFile> resource_file_;
  std::unique_ptr<CTKSkinManagerApiHook> api_hook_;
  std::vector<std::function<COLORREF(COLORREF)>> filters_;
  HWINEVENTHOOK win_event_hook_ = nullptr;
};

// The process's manager, made on first use.
CTKSkinManager* GetSkinManager();
// Ends the manager in order before the process ends (never from an exit-time destructor, which
// runs under the loader lock): unloads the skin, gives every window its own procedure back and
// removes the calling thread's creation hook. A later GetSkinManager makes a new one.
void ReleaseSkinManager();
