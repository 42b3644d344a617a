#include "tray/tray_services.h"

#include <shellapi.h>
#include <mmsystem.h>

#include <ctime>

#include "platform/appframe/common_dialogs.h"

const wchar_t kUpdateServer[] = L"http://update.torvangroup.com";
const wchar_t kHelpPageUrl[] = L"http://www.torvangroup.com/products/kestrin/help.html";

__int64 CSystemTrayServices::Now() { return static_cast<__int64>(_time64(nullptr)); }

void CSystemTrayServices::OpenUrl(const wchar_t* url) {
  ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW);
}

int CSystemTrayServices::AskYesNo(const wchar_t* text, const wchar_t* caption) {
  return MessageBoxW(nullptr, text, caption, MB_YESNO);
}

bool CSystemTrayServices::ChooseColour(HWND owner, COLORREF* colour) {
  CColorDialog dialog(*colour, CC_FULLOPEN, CWnd::FromHandle(owner));
  if (dialog.DoModal() != IDOK) return false;
  *colour = dialog.GetColor();
  return true;
}

bool CSystemTrayServices::ChooseSoundFile(HWND owner, CString* path) {
  CFileDialog dialog(true, L"wav", nullptr, 0, L"WAV Files | *.wav|  All | *.*||", CWnd::FromHandle(owner));
  if (dialog.DoModal() != IDOK) return false;
  *path = dialog.GetPathName();
  return true;
}

void CSystemTrayServices::PlaySoundFile(const wchar_t* path) {
  PlaySoundW(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_ASYNC);
}

std::wstring CSystemTrayServices::UpdateServer() { return kUpdateServer; }
