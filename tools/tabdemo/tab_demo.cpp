// The picture sheet of the toolkit's tab controls: the ten appearance sets, each in its own
// colour set, beside the six colour sets on the property-page tabs. Every strip is a tab control
// window on one frame window; the sheet is the frame's children printed into a bitmap.
//   tab_demo.exe <sheet.bmp>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/tabs/tab_control.h"

namespace {

constexpr int kCellWidth = 420, kCellHeight = 112, kLabel = 18, kMargin = 10;

const wchar_t* const kShapeNames[] = {L"0 Property page",   L"1 Property page, selected only", L"2 Flat property page",
                                      L"3 Property page 2003", L"4 State buttons", L"5 Visual Studio",
                                      L"6 Flat",            L"7 Excel",  L"8 Visio", L"9 Visual Studio 2005"};
const struct {
  int number;
  const wchar_t* name;
} kColourSets[] = {{1, L"1 Default"},       {2, L"2 Visual Studio"}, {4, L"4 Office 2003 (blue)"},
                   {8, L"8 Windows XP"},    {16, L"16 Whidbey"},     {32, L"32 Office 2007 (image-set INI)"}};
const wchar_t* const kCaptions[] = {L"Home", L"Insert", L"Page &Layout", L"References", L"Review", L"View"};

// Three small icons for the first tabs, each with a band along its top.
HIMAGELIST MakeIcons() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
  const COLORREF colours[] = {RGB(40, 120, 220), RGB(230, 140, 30), RGB(60, 170, 80)};
  for (COLORREF c : colours) {
    KestrinWinNS::CScopedBitmap image(CreateCompatibleBitmap(KestrinWinNS::CScopedClientDC(nullptr).Get(), 16, 16));
    KestrinWinNS::CScopedBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
    {
      KestrinWinNS::CBitmapDC dc(nullptr, image.Get());
      CTKDrawHelpers::FillSolidRect(dc.Get(), RECT{0, 0, 16, 16}, RGB(255, 255, 255));
      CTKDrawHelpers::FillSolidRect(dc.Get(), RECT{2, 2, 14, 14}, c);
      // A dark band along the top shows which way an icon is turned.
      CTKDrawHelpers::FillSolidRect(dc.Get(), RECT{2, 2, 14, 5}, RGB(30, 30, 30));
      KestrinWinNS::CBitmapDC mdc(nullptr, mask.Get());
      PatBlt(mdc.Get(), 0, 0, 16, 16, BLACKNESS);
    }
    ImageList_Add(list, image.Get(), mask.Get());
  }
  return list;
}

bool WriteBitmap(const wchar_t* path, HBITMAP dib, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<BYTE> bits(static_cast<size_t>(width) * height * 4);
  KestrinWinNS::CScopedClientDC screen(nullptr);
  if (!GetDIBits(screen.Get(), dib, 0, height, bits.data(), &info, DIB_RGB_COLORS)) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
  FILE* out = _wfopen(path, L"wb");
  if (!out) return false;
  const bool ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
                  fwrite(bits.data(), bits.size(), 1, out) == 1;
  fclose(out);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: tab_demo.exe <sheet.bmp>\n");
    return 2;
  }
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // The colours of the Office 2003 family as on a blue desktop, and the Office 2007 colours
  // from the image-set INI this program carries.
  GetColorManagerInstance().SetThemeSetting(1);
  GetOffice2007ImageSet().AttachResourceModule(GetModuleHandleW(nullptr), L"TABS_DEMO_INI", false);

  const int width = 2 * kCellWidth + 3 * kMargin;
  const int height = 13 * (kCellHeight + kLabel + kMargin) + kMargin;
  CTKDrawHelpers::RegisterDefProcClass(L"KestrinTabDemoFrame", 0, nullptr);
  HWND frame = CreateWindowExW(0, L"KestrinTabDemoFrame", L"Tab controls", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  HIMAGELIST icons = MakeIcons();

  struct Cell {
    std::unique_ptr<CTKTabControl> control;
    RECT rect;
    std::wstring label;
  };
  std::vector<Cell> cells;
  auto add = [&](int column, int row, const std::wstring& label) -> CTKTabControl& {
    const int x = kMargin + column * (kCellWidth + kMargin);
    const int y = kMargin + row * (kCellHeight + kLabel + kMargin) + kLabel;
    Cell cell{std::make_unique<CTKTabControl>(), RECT{x, y, x + kCellWidth, y + kCellHeight}, label};
    cell.control->Create(frame, cell.rect, static_cast<UINT>(cells.size() + 1));
    cell.control->SetImageList(icons);
    for (int i = 0; i < 6; ++i) cell.control->AddItem(kCaptions[i], i < 3 ? i : -1);
    cell.control->SelectIndex(1);
    cells.push_back(std::move(cell));
    return *cells.back().control;
  };
  for (int shape = 0; shape < 10; ++shape) {
    CTKTabControl& c = add(0, shape, kShapeNames[shape]);
    c.TabPainter()->ChooseShapeSet(shape);
    c.TabPainter()->hot_tracking = true;
    if (shape == 8) c.TabPainter()->show_icons = false;
  }
  for (int i = 0; i < 6; ++i) {
    CTKTabControl& c = add(1, i, kColourSets[i].name);
    c.TabPainter()->ChooseColourSet(kColourSets[i].number);
  }
  // The close button and a hot tab on the last strips of the colour column.
  CTKTabControl& closable = *cells.back().control;
  closable.NavigateButton(CTKTabManagerNavigateButton::kClose)->SetShowMode(CTKTabManagerNavigateButton::kWhenNeeded);
  closable.Relayout();
  // Narrow strips show the arrows, multi-row and vertical layouts their own forms.
  {
    CTKTabControl& c = add(1, 6, L"0 Property page, bottom, scrolled (arrows)");
    c.TabPainter()->position = CTKTabPaintManager::kBottom;
    SetWindowPos(c.m_hWnd, nullptr, 0, 0, 260, kCellHeight, SWP_NOMOVE | SWP_NOZORDER);
    cells.back().rect.right = cells.back().rect.left + 260;
    c.ScrollTo(-60);
  }
  {
    CTKTabControl& c = add(1, 7, L"3 Property page 2003, multi-row");
    c.TabPainter()->ChooseShapeSet(3);
    c.TabPainter()->ChooseLayout(CTKTabPaintManager::kMultiRow);
    SetWindowPos(c.m_hWnd, nullptr, 0, 0, 300, kCellHeight, SWP_NOMOVE | SWP_NOZORDER);
    cells.back().rect.right = cells.back().rect.left + 300;
    c.Relayout();
  }
  {
    CTKTabControl& c = add(1, 8, L"9 Visual Studio 2005, left, item colours");
    c.TabPainter()->ChooseShapeSet(9);
    c.TabPainter()->position = CTKTabPaintManager::kLeft;
    c.TabPainter()->item_colours = true;
    for (int i = 0; i < c.ItemCount(); ++i) c.ItemAtIndex(i)->SetColour(0x1000000 + i);
    c.Relayout();
  }
  {
    CTKTabControl& c = add(1, 9, L"7 Excel, size to fit, bottom");
    c.TabPainter()->ChooseShapeSet(7);
    c.TabPainter()->position = CTKTabPaintManager::kBottom;
    c.TabPainter()->ChooseLayout(CTKTabPaintManager::kSizeToFit);
    SetWindowPos(c.m_hWnd, nullptr, 0, 0, 300, kCellHeight, SWP_NOMOVE | SWP_NOZORDER);
    cells.back().rect.right = cells.back().rect.left + 300;
    c.Relayout();
  }

  // The Windows XP tabs on the other sides, turned from the visual style's top tabs, with the
  // icons turned along the vertical strips.
  // The vertical strips take two rows.
  const struct {
    int column, row, position, rows;
    const wchar_t* label;
  } xp_sides[] = {{0, 10, CTKTabPaintManager::kLeft, 2, L"8 Windows XP, left, rotated icons"},
                  {1, 10, CTKTabPaintManager::kRight, 2, L"8 Windows XP, right, rotated icons"},
                  {0, 12, CTKTabPaintManager::kBottom, 1, L"8 Windows XP, bottom"}};
  for (const auto& side : xp_sides) {
    CTKTabControl& c = add(side.column, side.row, side.label);
    c.TabPainter()->ChooseColourSet(8);
    c.TabPainter()->position = side.position;
    c.TabPainter()->rotate_icons = true;
    const int tall = side.rows * kCellHeight + (side.rows - 1) * (kLabel + kMargin);
    SetWindowPos(c.m_hWnd, nullptr, 0, 0, kCellWidth, tall, SWP_NOMOVE | SWP_NOZORDER);
    cells.back().rect.bottom = cells.back().rect.top + tall;
    c.Relayout();
  }
  // The sheet: white, a label over every strip, each strip printed in its place.
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap sheet = KestrinWinNS::CreateDib32(width, height, &bits);
  KestrinWinNS::CBitmapDC dc(nullptr, sheet.Get());
  CTKDrawHelpers::FillSolidRect(dc.Get(), RECT{0, 0, width, height}, RGB(255, 255, 255));
  KestrinWinNS::CSelectObject font(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc.Get(), TRANSPARENT);
  for (Cell& cell : cells) {
    TextOutW(dc.Get(), cell.rect.left, cell.rect.top - kLabel + 2, cell.label.c_str(), static_cast<int>(cell.label.size()));
    SetViewportOrgEx(dc.Get(), cell.rect.left, cell.rect.top, nullptr);
    SendMessageW(cell.control->m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    SetViewportOrgEx(dc.Get(), 0, 0, nullptr);
  }
  GdiFlush();
  const bool ok = WriteBitmap(argv[1], sheet.Get(), width, height);
  cells.clear();
  DestroyWindow(frame);
  ImageList_Destroy(icons);
  wprintf(L"%ls: %d tab controls, %dx%d\n", ok ? L"written" : L"NOT written", 20, width, height);
  return ok ? 0 : 1;
}
