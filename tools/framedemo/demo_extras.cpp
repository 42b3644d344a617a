#include "demo_extras.h"

#include <string>

#include "platform/appframe/control_bar.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/gallery.h"

namespace {
const COLORREF kSwatches[] = {RGB(192, 0, 0),   RGB(255, 0, 0),   RGB(255, 192, 0), RGB(255, 255, 0),
                              RGB(146, 208, 80), RGB(0, 176, 80),  RGB(0, 176, 240), RGB(0, 112, 192),
                              RGB(0, 32, 96),    RGB(112, 48, 160), RGB(127, 127, 127), RGB(0, 0, 0)};

INT_PTR CALLBACK PanelProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
}  // namespace

void AddDemoGallery(CTKCommandBar* bar) {
  auto* gallery = new CTKControlGallery;
  bar->GetControls()->Add(gallery, 0);
  gallery->Release();
  gallery->SetBeginGroup(true);
  gallery->SetWidth(150);
  gallery->SetHeight(44);
  gallery->SetShowBorders(true);
  auto* items = new CTKControlGalleryItems;
  items->SetItemSize(CSize(22, 21));
  for (size_t i = 0; i < 3 * (sizeof(kSwatches) / sizeof(kSwatches[0])); ++i)
    items->AddItem(static_cast<int>(i) + 1, L"Colour " + std::to_wstring(i + 1));
  // Each item is a swatch inside a light margin.
  items->SetDrawHook([](CDC* dc, CTKControlGalleryItem* item, const CRect& rect, bool, bool selected, bool, bool) {
    CRect swatch = rect;
    swatch.DeflateRect(3, 3);
    if (selected) dc->FillSolidRect(&rect, RGB(255, 189, 105));
    const COLORREF colour = kSwatches[(item->GetID() - 1) % (sizeof(kSwatches) / sizeof(kSwatches[0]))];
    dc->FillSolidRect(&swatch, colour);
    return true;
  });
  gallery->SetItems(items);
  items->Release();
  gallery->SetCheckedItem(3);
  // The "more" button's drop-down.
  auto* more = new CTKCommandBar;
  more->SetType(TKCommandBars::kPopupBar);
  more->SetPosition(TKCommandBars::kPopup);
  gallery->SetCommandBar(more);
  more->Release();
}

CTKDialogBar* CreateDemoDialogBar(CFrameWnd* frame, CTKCommandBarManager* manager, UINT dialog, UINT id) {
  auto* bar = new CTKDialogBar;
  bar->SetTitle(L"Panel");
  bar->SetCommandBarManager(manager);
  bar->SetDockedSize(CSize(160, 200));
  bar->SetBarStyle(CBRS_LEFT);
  if (!bar->Create(frame->m_hWnd, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 0, 0}, id)) {
    bar->Release();
    return nullptr;
  }
  HWND panel = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog), bar->GetSafeHwnd(),
                                    &PanelProc, 0);
  if (panel) {
    bar->SetClientWindow(panel);
    ::ShowWindow(panel, SW_SHOW);
  }
  return bar;
}
