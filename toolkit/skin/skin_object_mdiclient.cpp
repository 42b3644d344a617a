#include "toolkit/skin/skin_object_mdiclient.h"

#include <vector>

#include "toolkit/skin/skin_manager.h"

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM lParam) {
  auto* children = reinterpret_cast<std::vector<HWND>*>(lParam);
  if (GetParent(child) == children->front()) children->push_back(child);
  return TRUE;
}

}  // namespace

void CTKSkinObjectMDIClient::CoverWithMaximisedChild() {
  BOOL maximised = FALSE;
  HWND child = reinterpret_cast<HWND>(SendMessageW(hwnd_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
  if (!child || !maximised || !manager_->Lookup(child)) return;
  // The child's borders lie outside the client area; only its client shows.
  RECT client, window, inner;
  GetClientRect(hwnd_, &client);
  GetWindowRect(child, &window);
  GetClientRect(child, &inner);
  POINT origin{0, 0};
  ClientToScreen(child, &origin);
  const int left = origin.x - window.left, top = origin.y - window.top;
  const int right = (window.right - window.left) - left - inner.right;
  const int bottom = (window.bottom - window.top) - top - inner.bottom;
  SetWindowPos(child, nullptr, -left, -top, client.right + left + right, client.bottom + top + bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CTKSkinObjectMDIClient::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      *result = DefaultProcessing(message, wParam, lParam);
      RedrawScrollBar(message == WM_HSCROLL ? SB_HORZ : SB_VERT);
      return true;
    case kCalcScroll:
    case WM_NCACTIVATE:
      if (!(message == WM_NCACTIVATE && CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result)))
        *result = DefaultProcessing(message, wParam, lParam);
      RedrawScrollBar(SB_HORZ);
      RedrawScrollBar(SB_VERT);
      return true;
    case WM_SIZE:
      *result = DefaultProcessing(message, wParam, lParam);
      if (manager_->Options() & CTKSkinManager::kOptionMetrics) CoverWithMaximisedChild();
      return true;
    case WM_MDICASCADE:
    case WM_MDITILE:
    case WM_MDIICONARRANGE: {
      if (arranging_) return false;
      arranging_ = true;
      std::vector<HWND> children{hwnd_};
      EnumChildWindows(hwnd_, &CollectChild, reinterpret_cast<LPARAM>(&children));
      for (size_t i = 1; i < children.size(); ++i) {
        if (!manager_->Lookup(children[i])) continue;
        SetWindowPos(children[i], nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SetTimer(children[i], CTKSkinManager::kReorderTimer, 1000, nullptr);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      arranging_ = false;
      return true;
    }
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
