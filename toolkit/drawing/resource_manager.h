// One place where the toolkit loads its strings, menus, bitmaps, cursors, icons, dialog
// templates and HTML text, and decides the resource language.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
// A tool-bar resource (RT_TOOLBAR): version 1, the button image size and the command of each
// button (0 for a separator).
struct CTKToolBarResource {
  int width = 0;
  int height = 0;
  std::vector<UINT> commands;
};

// Reads a tool-bar resource's bytes. Refused: fewer bytes than the header, another version,
// an image size of 0 or beyond kMaxToolBarImage, or more items than the bytes hold.
bool ParseToolBarResource(const void* data, size_t size, CTKToolBarResource* out);
const int kMaxToolBarImage = 256;
// Finds, loads and reads the tool-bar resource `id` of `module`; false when it is missing or
// damaged.
bool ReadToolBarResourceOf(HMODULE module, UINT id, CTKToolBarResource* out);

class CTKResourceManager {
 public:
  CTKResourceManager() = default;
  virtual ~CTKResourceManager();
  CTKResourceManager(const CTKResourceManager&) = delete;
  CTKResourceManager& operator=(const CTKResourceManager&) = delete;

  virtual bool ReadStringResource(std::wstring* text, UINT id);
  virtual bool ReadMenuResource(HMENU* menu, UINT id);
  // The tool-bar resource of the id from the current resource module.
  virtual bool ReadToolBarResource(CTKToolBarResource* toolbar, UINT id);
  virtual bool ReadBitmapResource(HBITMAP* bitmap, UINT id);
  virtual HCURSOR ReadCursorResource(UINT id);
  virtual const void* LockDialogResource(UINT id);
  virtual HGLOBAL FindDialogResource(const wchar_t* name);
  virtual bool ReadHtmlText(std::wstring* text, UINT id);
  virtual HICON ReadIconById(UINT id, SIZE size);
  virtual HICON ReadIconByName(const wchar_t* name, SIZE size);
  virtual HICON MakeIconFromGroup(HMODULE module, const wchar_t* name, int cx, int cy);
  virtual void ReleaseResourceLibrary();
  virtual LANGID ResourceLanguage() const { return language_; }
  // The first language other than U.S. English among the module's resources (the program's
  // own when NULL); 1033 when there is none.
  virtual LANGID DetectResourceLanguage(HMODULE module = nullptr);

  bool IsValid() const { return valid_; }

 private:
  HGLOBAL FindInModules(const wchar_t* name, const wchar_t* type, HMODULE* found);

  bool valid_ = true;
  KestrinWinNS::CScopedLibrary resource_library_;  // a separate resource library, when one is set
  LANGID language_ = 1033;
};

// The resource manager of the calling thread, made on first use.
CTKResourceManager* GetResourceManagerInstance();

// The module the toolkit's resources come from: the program's own unless set.
HMODULE GetToolkitResourceModule();
void SetToolkitResourceModule(HMODULE module);
