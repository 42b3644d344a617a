#include "demo_extras.h"

#include <string>
#include <vector>

#include "platform/appframe/control_bar.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/gdi.h"
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

HICON MakeDemoIcon(int seed, int size) {
  std::vector<DWORD> pixels(static_cast<size_t>(size) * size, 0);
  const DWORD colours[] = {0xFF2F6FD0, 0xFF3FA040, 0xFFD05030, 0xFFE0B020, 0xFF8040C0, 0xFF208090};
  const DWORD c = colours[seed % 6];
  const int lo = size / 8, hi = size - 1 - size / 8, mid = size / 2;
  for (int y = lo; y <= hi; ++y)
    for (int x = lo; x <= hi; ++x) {
      const bool edge = x == lo || y == lo || x == hi || y == hi;
      const bool mark = (seed % 3 == 0 && x == y) || (seed % 3 == 1 && (x == mid - 1 || x == mid)) ||
                        (seed % 3 == 2 && (y == mid - 1 || y == mid));
      pixels[static_cast<size_t>(y) * size + x] = edge ? 0xFF303030 : mark ? 0xFFFFFFFF : c;
    }
  const int mask_row = ((size + 15) / 16) * 2;
  std::vector<BYTE> mask_bits(static_cast<size_t>(mask_row) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (!pixels[static_cast<size_t>(y) * size + x]) mask_bits[static_cast<size_t>(y) * mask_row + x / 8] |= 0x80 >> (x % 8);
  CBitmap color, mask;
  color.Attach(::CreateBitmap(size, size, 1, 32, pixels.data()));
  mask.Attach(::CreateBitmap(size, size, 1, 1, mask_bits.data()));
  ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(mask.GetSafeHandle()), static_cast<HBITMAP>(color.GetSafeHandle())};
  return ::CreateIconIndirect(&info);
}

void AddDemoGallery(CTKCommandBar* bar) {
  CTKControl* gallery = MakeDemoGallery();
  bar->GetControls()->Add(gallery, 0);
  gallery->Release();
}

CTKControl* MakeDemoGallery() {
  auto* gallery = new CTKControlGallery;
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
  return gallery;
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
