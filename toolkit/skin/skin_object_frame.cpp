#include "toolkit/skin/skin_object_frame.h"

#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_system.h"

bool CTKSkinObjectFrame::HandleControlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CTKSkinManagerMetrics* metrics = manager_->Metrics();
  HDC dc = reinterpret_cast<HDC>(wParam);
  const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (field && skin_class_ == L"COMBOBOX") return false;
  *result = DefaultProcessing(message, wParam, lParam);
  const int index = field ? COLOR_WINDOW : COLOR_BTNFACE;
  HBRUSH skin = metrics->Brush(index);
  const HBRUSH given = reinterpret_cast<HBRUSH>(*result);
  if (!skin || (given && given != SkinSystem::GetSysColorBrush(index))) return true;
  SetBkColor(dc, metrics->Color(index));
  *result = reinterpret_cast<LRESULT>(skin);
  return true;
}

bool CTKSkinObjectFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return HandleControlColor(message, wParam, lParam, result);
    case WM_ERASEBKGND: {
      HBRUSH dialog = manager_->Metrics()->Brush(COLOR_BTNFACE);
      if (frame_kind_ == 0 || !dialog) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(hwnd_, &client);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &client, dialog);
      *result = 1;
      return true;
    }
    default:
      return false;
  }
}
