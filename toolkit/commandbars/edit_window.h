// The edit window of the bars' edit and combo boxes: a rich-edit window when the system's
// rich-edit library loads (looked up once per process), else a plain edit window; it knows
// whether an input method is composing, and takes the editing keys a bar hands it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/appframe/wnd.h"
#include "platform/win/scoped_handle.h"

class CTKCommandBar;

// The process's rich-edit library: the newer one when it loads, else the older one, else none.
class CTKRichEditLoader {
 public:
  static const CTKRichEditLoader& Instance();
  bool IsLoaded() const { return module_.IsValid(); }
  // The window class to create ("EDIT" when no rich-edit library loaded).
  const wchar_t* ClassName() const { return class_name_; }
  // 1 for the newer library, 0 for the older one.
  int Version() const { return version_; }
  CTKRichEditLoader(const CTKRichEditLoader&) = delete;
  CTKRichEditLoader& operator=(const CTKRichEditLoader&) = delete;

 private:
  CTKRichEditLoader();
  KestrinWinNS::CScopedLibrary module_;
  const wchar_t* class_name_ = L"EDIT";
  int version_ = 0;
};

class CTKEdit : public CWnd {
 public:
  CTKEdit() = default;
  ~CTKEdit() override;

  // Creates the window as a child of `parent`; a rich-edit window gets change notifications and
  // plain text with one level of undo.
  bool CreateEdit(DWORD style, const RECT& rect, HWND parent, UINT id);
  bool IsRichEdit() const { return rich_; }
  bool IsComposing() const { return composing_; }
  // With opaque alpha the window gives every pixel of its client area full alpha after it
  // paints (its owner sets it at each placement from its paint manager's answer for the
  // control, for a box that lies on glass).
  void SetOpaqueAlpha(bool on) { opaque_alpha_ = on; }
  bool HasOpaqueAlpha() const { return opaque_alpha_; }
  std::wstring GetText() const;
  void SetText(const std::wstring& text);
  // The text colour (and, for a rich edit, the background); plain edit windows keep the
  // system's colours.
  void SetColors(COLORREF text, COLORREF back);
  // Editing keys a bar hands on while the box has the focus: the clipboard keys, Backspace and
  // the navigation and editing keys from Page Up to Delete. True when the window took the key.
  bool OnEditKey(UINT key);

  // The clipboard commands of the box: Copy and Cut while text is selected, Paste while the
  // clipboard holds text; running one sends the window its clipboard message.
  static constexpr UINT kCommandCopy = 57634, kCommandCut = 57635, kCommandPaste = 57637;
  bool IsEditCommandEnabled(UINT id) const;
  // Seam: what answers whether the clipboard holds text (null: the system's clipboard).
  using ClipboardTextQuery = bool (*)();
  static void SetClipboardTextQuery(ClipboardTextQuery query);
  bool OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool notify = false) override;
  // The box's context menu at a screen point (-1, -1: below the box): Cut, Copy and Paste in a
  // popup bar of the owner bar's manager, named by the program's strings for them; the chosen
  // command runs. False (the window's own handling) without those strings or an owner bar.
  bool ShowContextMenu(CPoint screen);

 protected:
  // The bar of the control that owns the box (null: none).
  virtual CTKCommandBar* GetOwnerBar() const { return nullptr; }
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool rich_ = false;
  bool composing_ = false;
  bool opaque_alpha_ = false;
};
