#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_object_progress.h"

namespace {

// Colours of the project's skin.
constexpr COLORREF kBorder = RGB(60, 90, 140);
constexpr COLORREF kThumb = RGB(20, 100, 180);
constexpr COLORREF kTab = RGB(200, 215, 235);
constexpr COLORREF kSelected = RGB(255, 250, 230);
constexpr COLORREF kPane = RGB(245, 248, 252);
constexpr COLORREF kChunk = RGB(30, 160, 60);
constexpr COLORREF kSpin = RGB(190, 200, 255);
constexpr COLORREF kWindow = RGB(250, 252, 255);
constexpr COLORREF kPressed = RGB(240, 180, 90);
constexpr COLORREF kCanvas = RGB(1, 2, 3);

HWND MakeParent() {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrinSkinControlParent";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, L"KestrinSkinControlParent", L"p", WS_POPUP, 0, 0, 300, 240, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

struct Probe {
  int x, y;
  COLORREF skinned;
};

struct ControlCase {
  const wchar_t* name;
  const wchar_t* cls;
  DWORD style;
  SIZE size;
  std::function<void(HWND)> setup;
  Probe probes[3];
  // Wine's scroll-bar control paints only on its own window DC, so it cannot be printed.
  bool systemPrints = true;
};

class SkinControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                               ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
    parent_ = MakeParent();
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->LoadSkinFile(L"", L"");
  }
  HWND Make(const ControlCase& c) {
    return CreateWindowExW(0, c.cls, L"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, c.size.cx, c.size.cy, parent_,
                           reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr), nullptr);
  }
  CTKSkinManager* manager_ = GetSkinManager();
  HWND parent_ = nullptr;
};

void AddTabs(HWND tab) {
  const wchar_t* names[] = {L"One", L"Two", L"Three"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(names[i]);
    SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tab, TCM_SETCURSEL, 1, 0);
}

RECT TabRect(HWND tab, int item) {
  RECT rc{};
  SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc));
  return rc;
}

}  // namespace

// Each control paints its own parts from the skin; with the skin unloaded the system paints
// the same control again.
TEST_F(SkinControlTest, ControlsPaintTheirPartsFromTheSkin) {
  const ControlCase cases[] = {
      {L"progress half full", PROGRESS_CLASSW, 0, {200, 20},
       [](HWND h) { SendMessageW(h, PBM_SETPOS, 50, 0); },
       {{6, 10, kChunk}, {150, 10, kWindow}, {0, 0, kBorder}}},
      {L"vertical progress", PROGRESS_CLASSW, PBS_VERTICAL, {20, 100},
       [](HWND h) { SendMessageW(h, PBM_SETPOS, 50, 0); },
       {{10, 90, kChunk}, {10, 10, kWindow}, {0, 0, kBorder}}},
      {L"tab control", WC_TABCONTROLW, 0, {240, 120}, &AddTabs, {{120, 110, kPane}, {0, 0, 0}, {0, 0, 0}}},
      {L"header", WC_HEADERW, 0, {200, 24},
       [](HWND h) {
         HDITEMW item{};
         item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
         item.cxy = 80;
         item.fmt = HDF_LEFT;
         item.pszText = const_cast<wchar_t*>(L"Name");
         SendMessageW(h, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
       },
       {{2, 2, kTab}, {0, 0, kBorder}, {0, 0, 0}}},
      {L"up-down", UPDOWN_CLASSW, 0, {20, 40}, nullptr, {{10, 10, kSpin}, {10, 30, kSpin}, {0, 0, kBorder}}},
      {L"vertical scroll bar", L"ScrollBar", SBS_VERT, {20, 200},
       [](HWND h) {
         SCROLLINFO si{sizeof(si), SIF_ALL, 0, 100, 10, 0, 0};
         SetScrollInfo(h, SB_CTL, &si, TRUE);
       },
       {{10, 28, kThumb}, {0, 0, kBorder}, {0, 0, 0}},
       false},
      {L"track bar", TRACKBAR_CLASSW, TBS_NOTICKS, {200, 30}, nullptr, {}},
      {L"tool bar with a checked button", TOOLBARCLASSNAMEW, CCS_NORESIZE | CCS_NODIVIDER, {200, 30},
       [](HWND h) {
         SendMessageW(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
         TBBUTTON button{I_IMAGENONE, 1, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK, {}, 0, 0};
         SendMessageW(h, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
       },
       {}},
      {L"drop-down list", WC_COMBOBOXW, CBS_DROPDOWNLIST, {150, 200}, nullptr, {{0, 0, kBorder}, {0, 0, 0}, {0, 0, 0}}},
  };
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(c.name);
    HWND control = Make(c);
    ASSERT_NE(control, nullptr);
    if (c.setup) c.setup(control);
    RECT client;
    GetClientRect(control, &client);
    std::vector<Probe> probes;
    for (const Probe& p : c.probes)
      if (p.skinned) probes.push_back(p);
    if (c.cls == std::wstring(WC_TABCONTROLW)) {
      // Inside the selected tab and an unselected one, clear of their text.
      const RECT selected = TabRect(control, 1), other = TabRect(control, 0);
      probes.push_back(Probe{selected.left + 2, selected.top + 1, kSelected});
      probes.push_back(Probe{other.left + 3, other.top + 3, kTab});
    }
    if (c.cls == std::wstring(TRACKBAR_CLASSW)) {
      RECT thumb{};
      SendMessageW(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      probes.push_back(Probe{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2, kThumb});
      probes.push_back(Probe{thumb.left, thumb.top, kBorder});
    }
    if (c.cls == std::wstring(TOOLBARCLASSNAMEW)) {
      RECT button{};
      SendMessageW(control, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
      probes.push_back(Probe{button.left + 2, button.top + 2, kPressed});
      probes.push_back(Probe{button.left, button.top, kBorder});
    }
    if (c.cls == std::wstring(WC_COMBOBOXW)) {
      // The drop-down button at the right end of the field.
      probes.push_back(Probe{client.right - 3, client.bottom / 2, kSpin});
    }
    Canvas skinned(client.right, client.bottom, kCanvas);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(skinned.dc()), PRF_CLIENT);
    for (const Probe& p : probes) EXPECT_EQ(skinned.At(p.x, p.y), p.skinned) << p.x << "," << p.y;

    ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
    Canvas system(client.right, client.bottom, kCanvas);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(system.dc()), PRF_CLIENT);
    SendMessageW(control, WM_PAINT, reinterpret_cast<WPARAM>(system.dc()), 0);
    if (c.systemPrints) {
      bool drewSomething = false;
      for (const Probe& p : probes) {
        EXPECT_NE(system.At(p.x, p.y), p.skinned) << "system look at " << p.x << "," << p.y;
        drewSomething |= system.At(p.x, p.y) != kCanvas;
      }
      EXPECT_TRUE(drewSomething);
    }
    ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
    DestroyWindow(control);
  }
}

TEST_F(SkinControlTest, ProgressChunksFollowThePosition) {
  const ControlCase c{L"", PROGRESS_CLASSW, 0, {108, 20}, nullptr, {}};
  HWND bar = Make(c);
  auto* object = static_cast<CTKSkinObjectProgress*>(manager_->Lookup(bar));
  ASSERT_NE(object, nullptr);
  // Inside: 100 pixels long; chunks of 6 with gaps of 2, as many as the filled length needs.
  struct Row {
    int position, chunks, lastRight;
  } rows[] = {{0, 0, 0}, {1, 1, 10}, {50, 7, 4 + 54}, {100, 13, 104}};
  for (const Row& r : rows) {
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(r.position), 0);
    RECT chunks[32];
    const int n = object->ChunkRects(chunks, 32);
    EXPECT_EQ(n, r.chunks) << r.position;
    if (n) {
      EXPECT_EQ(chunks[n - 1].right, r.lastRight) << r.position;
    }
  }
  // The system's static edge is taken away while skinned and comes back with the system look.
  EXPECT_FALSE(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_STATICEDGE);
}

TEST_F(SkinControlTest, TreeAndListViewsTakeTheSkinsWindowColour) {
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 50, 50, parent_, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD, 0, 0, 50, 50, parent_, nullptr, nullptr, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kWindow);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), kWindow);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0)), kWindow);
  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), static_cast<COLORREF>(-1));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
}

TEST(SkinSystemHelpers, IconSizesPalettesAndBitmapsFromPackedDibs) {
  // A colour icon reports its own size, a monochrome one half its mask, none 32 x 32.
  KestrinWinNS::CScopedIcon colour(CreateIcon(nullptr, 16, 16, 1, 32, std::vector<BYTE>(16 * 16 / 8, 0).data(),
                                              std::vector<BYTE>(16 * 16 * 4, 0x80).data()));
  BYTE andMask[24 * 24 / 8] = {}, xorMask[24 * 24 / 8] = {};
  KestrinWinNS::CScopedIcon mono(CreateIcon(nullptr, 24, 24, 1, 1, andMask, xorMask));
  EXPECT_EQ(SkinDrawFunctions::IconSize(colour.Get()).cx, 16);
  EXPECT_EQ(SkinDrawFunctions::IconSize(colour.Get()).cy, 16);
  EXPECT_EQ(SkinDrawFunctions::IconSize(mono.Get()).cx, 24);
  EXPECT_EQ(SkinDrawFunctions::IconSize(mono.Get()).cy, 24);
  EXPECT_EQ(SkinDrawFunctions::IconSize(nullptr).cy, 32);

  // A 2 x 2 DIB of 8 bits with a four-entry table: every pixel takes entry 2.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD table[4];
    DWORD rows[2];
  } dib{};
  dib.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 4, 0};
  dib.table[2] = RGBQUAD{30, 20, 200, 0};
  dib.rows[0] = dib.rows[1] = 0x0202;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(&dib);
  {
    const KestrinWinNS::CScopedHandle<KestrinWinNS::CGdiObjectTraits<HPALETTE>> palette(
        SkinDrawFunctions::CreateDibPalette(info, sizeof(dib)));
    ASSERT_TRUE(palette);
    PALETTEENTRY entries[8] = {};
    EXPECT_EQ(GetPaletteEntries(palette.Get(), 0, 8, entries), 4u);
    EXPECT_EQ(RGB(entries[2].peRed, entries[2].peGreen, entries[2].peBlue), RGB(200, 20, 30));
  }
  {
    const KestrinWinNS::CScopedBitmap bitmap(SkinDrawFunctions::CreateDdbFromDib(info, sizeof(dib)));
    ASSERT_TRUE(bitmap);
    const KestrinWinNS::CScopedMemoryDC dc = KestrinWinNS::CreateMemoryDC(nullptr);
    KestrinWinNS::CSelectObject select(dc.Get(), bitmap.Get());
    EXPECT_EQ(GetPixel(dc.Get(), 1, 1), RGB(200, 20, 30));
  }

  // A table or pixels cut short, or more than 8 bits for a palette: nothing.
  EXPECT_EQ(SkinDrawFunctions::CreateDibPalette(info, sizeof(BITMAPINFOHEADER) + 8), nullptr);
  EXPECT_EQ(SkinDrawFunctions::CreateDdbFromDib(info, sizeof(dib) - 4), nullptr);
  dib.header.biBitCount = 24;
  EXPECT_EQ(SkinDrawFunctions::CreateDibPalette(info, sizeof(dib)), nullptr);
}

namespace {

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// An empty dialog template of the given size in dialog units.
struct PageTemplate {
  DLGTEMPLATE header{WS_CHILD | WS_CAPTION | DS_CONTROL, 0, 0, 0, 0, 200, 120};
  WORD menu = 0, cls = 0, title = 0;
};

}  // namespace

// A property sheet opens skinned: the sheet is framed as a dialog (kind 2) and its pages as
// pages (kind 6), and its tab control draws the selected tab, the others and the pane from the
// skin. A wizard's pages have no tab pane behind them and are framed as dialogs.
TEST_F(SkinControlTest, APropertySheetOpensSkinned) {
  static PageTemplate page;
  PROPSHEETPAGEW pages[2] = {};
  for (PROPSHEETPAGEW& p : pages) {
    p.dwSize = sizeof(p);
    p.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    p.pResource = &page.header;
    p.pfnDlgProc = &PageProc;
    p.pszTitle = L"Page";
  }
  for (const bool wizard : {false, true}) {
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | (wizard ? PSH_WIZARD : 0);
    header.pszCaption = L"Sheet";
    header.nPages = 2;
    header.ppsp = pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    ASSERT_NE(manager_->Lookup(sheet), nullptr);
    EXPECT_EQ(manager_->Lookup(sheet)->FrameKind(), 2) << wizard;
    for (int i = 0; i < 2; ++i) {
      HWND pageWindow = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(i), 0));
      ASSERT_NE(pageWindow, nullptr) << wizard << i;
      CTKSkinObject* object = manager_->Lookup(pageWindow);
      ASSERT_NE(object, nullptr) << wizard << i;
      EXPECT_EQ(object->FrameKind(), wizard ? 2 : 6) << wizard << i;
    }
    if (!wizard) {
      HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
      ASSERT_NE(tab, nullptr);
      EXPECT_NE(manager_->Lookup(tab), nullptr);
      RECT rc;
      GetClientRect(tab, &rc);
      Canvas canvas(rc.right, rc.bottom, kCanvas);
      SendMessageW(tab, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
      const RECT selected = TabRect(tab, 1), other = TabRect(tab, 0);
      EXPECT_EQ(canvas.At(selected.left + 2, selected.top + 1), kSelected);
      EXPECT_EQ(canvas.At(other.left + 3, other.top + 3), kTab);
      EXPECT_EQ(canvas.At(rc.right / 2, rc.bottom - 4), kPane);
    }
    DestroyWindow(sheet);
  }
}

TEST_F(SkinControlTest, ReadOnlyOrDisabledEditDrawsItsEdgeAsDisabled) {
  struct Case {
    DWORD style;
    bool enabled, disabledEdge;
  } cases[] = {{0, true, false}, {ES_READONLY, true, true}, {0, false, true}, {ES_READONLY, false, true}};
  for (const Case& c : cases) {
    HWND edit = Make(ControlCase{L"", L"Edit", c.style, {100, 24}, nullptr, {}});
    EnableWindow(edit, c.enabled);
    auto* object = dynamic_cast<CTKSkinObjectFrame*>(manager_->Lookup(edit));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->CountsAsDisabled(), c.disabledEdge) << std::hex << c.style << " " << c.enabled;
    DestroyWindow(edit);
  }
}

TEST_F(SkinControlTest, EditLeavesTheStripUnderAnAttachedUpDown) {
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 24, parent_, nullptr,
                              nullptr, nullptr);
  HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 98, 0, 16, 24, parent_, nullptr, nullptr,
                              nullptr);
  ASSERT_EQ(GetWindow(edit, GW_HWNDNEXT), spin);
  auto* object = dynamic_cast<CTKSkinObjectFrame*>(manager_->Lookup(edit));
  ASSERT_NE(object, nullptr);
  struct Case {
    int spinLeft;
    bool stripDrawn;
  } cases[] = {{98, false}, {100, true}, {97, true}};
  for (const Case& c : cases) {
    SetWindowPos(spin, nullptr, c.spinLeft, 0, 16, 24, SWP_NOZORDER | SWP_NOACTIVATE);
    Canvas canvas(100, 24, kCanvas);
    object->DrawFrame(canvas.dc());
    EXPECT_NE(canvas.At(0, 12), kCanvas) << c.spinLeft;  // the left edge is always drawn
    for (int x : {98, 99}) EXPECT_EQ(canvas.At(x, 12) != kCanvas, c.stripDrawn) << c.spinLeft << " x " << x;
  }
  DestroyWindow(spin);
  DestroyWindow(edit);
}

TEST_F(SkinControlTest, HeaderWithFilterBarKeepsItsItemsInTheUpperHalf) {
  for (DWORD style : {DWORD{0}, DWORD{HDS_FILTERBAR}}) {
    HWND header = Make(ControlCase{L"", WC_HEADERW, style, {200, 40}, nullptr, {}});
    HDITEMW item{};
    item.mask = HDI_WIDTH | HDI_FORMAT;
    item.cxy = 80;
    item.fmt = HDF_LEFT;
    SendMessageW(header, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    Canvas canvas(200, 40, kCanvas);
    SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(canvas.At(40, 4), kTab) << style;
    EXPECT_EQ(canvas.At(40, 32) == kTab, style == 0) << style;
    DestroyWindow(header);
  }
}
