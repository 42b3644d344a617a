#include "toolkit/commandbars/edit_window.h"

#include <richedit.h>
#include <windowsx.h>

#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/paint/paint_manager.h"

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

bool CTKEdit::ShowContextMenu(CPoint screen) {
  CTKCommandBar* bar = GetOwnerBar();
  CTKCommandBarManager* manager = bar ? bar->GetCommandBarManager() : nullptr;
  if (!GetSafeHwnd() || !manager) return false;
  std::wstring cut, copy, paste;
  // A program without the strings of these commands keeps the window's own menu.
  if (!TKLoadCommandPrompt(kCommandCut, &cut)) return false;
  TKLoadCommandPrompt(kCommandCopy, &copy);
  TKLoadCommandPrompt(kCommandPaste, &paste);
  // The prompt's menu text is what follows its status-bar text.
  auto menuText = [](const std::wstring& prompt) {
    const size_t lf = prompt.find(L'\n');
    return lf == std::wstring::npos ? prompt : prompt.substr(lf + 1);
  };
  // A select-all the window was sent before the menu came takes effect first.
  MSG pending;
  if (::PeekMessageW(&pending, GetSafeHwnd(), EM_SETSEL, EM_SETSEL, PM_REMOVE)) ::DispatchMessageW(&pending);
  if (screen.x == -1 && screen.y == -1) {
    CRect rc;
    ::GetWindowRect(GetSafeHwnd(), &rc);
    screen = CPoint(rc.left, rc.bottom);
  }
  CTKPopupBar* popup = CTKPopupBar::CreatePopupBar(manager);
  const struct {
    UINT id;
    std::wstring text;
  } items[] = {{kCommandCut, menuText(cut)}, {kCommandCopy, menuText(copy)}, {kCommandPaste, menuText(paste)}};
  for (const auto& item : items) {
    CTKControl* control = popup->GetControls()->Add(TKCommandBars::kButton, static_cast<int>(item.id));
    if (!item.text.empty()) control->SetCaption(item.text);
    control->SetEnabled(IsEditCommandEnabled(item.id));
  }
  UINT flags = CTKCommandBarManager::kTrackReturnCommand | CTKCommandBarManager::kTrackNoNotify |
               CTKCommandBarManager::kTrackNested;
  if (bar->IsRightToLeft()) flags |= CTKCommandBarManager::kTrackRightAlign;
  int& lock = CTKMouseManager::ThreadInstance()->LockCounter();
  --lock;
  int command = 0;
  manager->TrackPopupBar(popup, flags, screen.x, screen.y, GetSafeHwnd(), nullptr, &command);
  ++lock;
  popup->Release();
  if (command > 0 && ::IsWindow(GetSafeHwnd())) OnCmdMsg(static_cast<UINT>(command), CN_COMMAND, nullptr);
  return true;
}

LRESULT CTKEdit::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      const LRESULT result = CWnd::WindowProc(message, wparam, lparam);
      if (!opaque_alpha_ || !GetSafeHwnd()) return result;
      CRect client;
      ::GetClientRect(GetSafeHwnd(), &client);
      if (message == WM_PRINTCLIENT) {
        CDC dc;
        if (dc.Attach(reinterpret_cast<HDC>(wparam))) CTKPaintManager::ForceOpaque(&dc, client);
        dc.Detach();
      } else {
        CClientDC dc(GetSafeHwnd());
        CTKPaintManager::ForceOpaque(&dc, client);
      }
      return result;
    }
    case WM_CONTEXTMENU:
      if (ShowContextMenu(CPoint(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)))) return 0;
      break;
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
