#include "toolkit/commandbars/edit_window.h"

#include <richedit.h>

#include <vector>

const CTKRichEditLoader& CTKRichEditLoader::Instance() {
  static CTKRichEditLoader loader;
  return loader;
}

CTKRichEditLoader::CTKRichEditLoader() {
  // The library stays loaded while any rich-edit window may exist: until the process ends.
  module_.Reset(::LoadLibraryW(L"RICHED20.DLL"));
  if (module_) {
    class_name_ = L"RichEdit20W";
    version_ = 1;
    return;
  }
  module_.Reset(::LoadLibraryW(L"RICHED32.DLL"));
  if (module_) {
    class_name_ = L"RICHEDIT";
    version_ = 0;
  }
}

CTKEdit::~CTKEdit() {
  if (GetSafeHwnd()) DestroyWindow();
}

bool CTKEdit::CreateEdit(DWORD style, const RECT& rect, HWND parent, UINT id) {
  const CTKRichEditLoader& loader = CTKRichEditLoader::Instance();
  rich_ = loader.IsLoaded();
  if (!CreateEx(0, loader.ClassName(), L"", style, rect, parent, id)) {
    if (!rich_) return false;
    // A rich-edit class that will not make windows: a plain edit serves.
    rich_ = false;
    if (!CreateEx(0, L"EDIT", L"", style, rect, parent, id)) return false;
  }
  if (rich_) {
    SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessage(EM_SETTEXTMODE, TM_PLAINTEXT | TM_SINGLELEVELUNDO, 0);
  }
  return true;
}

std::wstring CTKEdit::GetText() const {
  if (!GetSafeHwnd()) return std::wstring();
  const int length = static_cast<int>(::SendMessageW(GetSafeHwnd(), WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  const int got = static_cast<int>(::SendMessageW(GetSafeHwnd(), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return std::wstring(text.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void CTKEdit::SetText(const std::wstring& text) {
  if (!GetSafeHwnd() || GetText() == text) return;
  ::SendMessageW(GetSafeHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  ::SendMessageW(GetSafeHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CTKEdit::SetColors(COLORREF text, COLORREF back) {
  if (!GetSafeHwnd() || !rich_) return;
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_COLOR;
  format.crTextColor = text;
  ::SendMessageW(GetSafeHwnd(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(GetSafeHwnd(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(back));
}

bool CTKEdit::OnEditKey(UINT key) {
  if (!GetSafeHwnd()) return false;
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  if (control) {
    UINT message = 0;
    switch (key) {
      case 'C': message = WM_COPY; break;
      case 'V': message = WM_PASTE; break;
      case 'X': message = WM_CUT; break;
      case 'Z': message = WM_UNDO; break;
      default: break;
    }
    if (message) {
      SendMessage(message, 0, 0);
      return true;
    }
  }
  if (key == VK_BACK || (key >= VK_PRIOR && key <= VK_DELETE)) {
    SendMessage(WM_KEYDOWN, key, 0);
    return true;
  }
  return false;
}

namespace {

bool SystemClipboardHoldsText() {
  return ::IsClipboardFormatAvailable(CF_UNICODETEXT) || ::IsClipboardFormatAvailable(CF_TEXT);
}

CTKEdit::ClipboardTextQuery g_clipboard_text = &SystemClipboardHoldsText;

}  // namespace

void CTKEdit::SetClipboardTextQuery(ClipboardTextQuery query) {
  g_clipboard_text = query ? query : &SystemClipboardHoldsText;
}

bool CTKEdit::IsEditCommandEnabled(UINT id) const {
  if (!GetSafeHwnd()) return false;
  switch (id) {
    case kCommandCopy:
    case kCommandCut: {
      DWORD start = 0, end = 0;
      ::SendMessageW(GetSafeHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      return start != end;
    }
    case kCommandPaste:
      return g_clipboard_text();
    default:
      return false;
  }
}

bool CTKEdit::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  const bool clipboard = id == kCommandCopy || id == kCommandCut || id == kCommandPaste;
  if (!notify && clipboard && GetSafeHwnd()) {
    if (code == CN_UPDATE_COMMAND_UI) {
      if (extra) static_cast<CCmdUI*>(extra)->Enable(IsEditCommandEnabled(id));
      return true;
    }
    if (code == CN_COMMAND) {
      const UINT message = id == kCommandCopy ? WM_COPY : id == kCommandCut ? WM_CUT : WM_PASTE;
      SendMessage(message, 0, 0);
      return true;
    }
  }
  return CWnd::OnCmdMsg(id, code, extra, result, notify);
}

LRESULT CTKEdit::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
      composing_ = true;
      break;
    case WM_IME_ENDCOMPOSITION:
    case WM_KILLFOCUS:
      composing_ = false;
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}
