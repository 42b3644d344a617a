#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_module_list.h"

namespace {

constexpr COLORREF kSkinFace = RGB(214, 228, 245);

class SkinDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1); }
  void TearDown() override { manager_->LoadSkinFile(L"", L""); }
  CTKSkinManager* manager_ = GetSkinManager();
};

}  // namespace

TEST_F(SkinDrawTest, EdgesAndPushButtonFramesUseTheSkinsFace) {
  Canvas canvas(20, 20, RGB(1, 1, 1));
  RECT rc{0, 0, 20, 20};
  EXPECT_TRUE(SkinDrawFunctions::DrawEdge(manager_, canvas.dc(), &rc, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(canvas.At(10, 10), kSkinFace);
  EXPECT_EQ(rc.left, 2);  // two one-pixel edges
  EXPECT_EQ(rc.bottom, 18);

  Canvas button(20, 20, RGB(1, 1, 1));
  RECT br{0, 0, 20, 20};
  EXPECT_TRUE(SkinDrawFunctions::DrawFrameControl(manager_, button.dc(), &br, DFC_BUTTON, DFCS_BUTTONPUSH));
  EXPECT_EQ(button.At(10, 10), kSkinFace);
  // Caption buttons and check boxes are left to the system.
  for (UINT type : {static_cast<UINT>(DFC_CAPTION), static_cast<UINT>(DFC_BUTTON)}) {
    RECT r{0, 0, 20, 20};
    const UINT state = type == DFC_CAPTION ? DFCS_CAPTIONCLOSE : DFCS_BUTTONCHECK;
    EXPECT_FALSE(SkinDrawFunctions::DrawFrameControl(manager_, button.dc(), &r, type, state)) << type;
  }
  // The skin draws scroll arrows as a bordered fill.
  Canvas arrow(16, 16, RGB(1, 1, 1));
  RECT ar{0, 0, 16, 16};
  EXPECT_TRUE(SkinDrawFunctions::DrawFrameControl(manager_, arrow.dc(), &ar, DFC_SCROLL, DFCS_SCROLLUP));
  EXPECT_EQ(arrow.At(0, 0), RGB(60, 90, 140));
  EXPECT_EQ(arrow.At(8, 8), kSkinFace);
}

TEST(SkinModuleList, EnumeratorsListThisProgram) {
  const HMODULE self = GetModuleHandleW(nullptr);
  for (auto source : {CTKSkinManagerModuleList::Source::Psapi, CTKSkinManagerModuleList::Source::ToolHelp}) {
    const auto modules = CTKSkinManagerModuleList(GetCurrentProcessId(), source).Modules();
    EXPECT_NE(std::find(modules.begin(), modules.end(), self), modules.end());
    EXPECT_NE(std::find(modules.begin(), modules.end(), GetModuleHandleW(L"user32.dll")), modules.end());
  }
  EXPECT_TRUE(CTKSkinManagerModuleList(GetCurrentProcessId(), CTKSkinManagerModuleList::Source::None).Modules().empty());
}

TEST_F(SkinDrawTest, DialogsTakeTheSkinsBackgroundAndControlColours) {
  HWND dialog = CreateWindowExW(0, L"#32770", L"d", WS_POPUP, 0, 0, 80, 60, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  HWND label = CreateWindowExW(0, L"Static", L"x", WS_CHILD, 0, 0, 20, 10, dialog, nullptr, nullptr, nullptr);
  auto brushColor = [](LRESULT brush) {
    LOGBRUSH lb{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(lb), &lb);
    return lb.lbColor;
  };
  Canvas canvas(80, 60, RGB(1, 1, 1));
  SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  EXPECT_EQ(canvas.At(40, 30), kSkinFace);
  LRESULT brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc()),
                               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(brushColor(brush), kSkinFace);
  EXPECT_EQ(GetBkColor(canvas.dc()), kSkinFace);

  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc()), reinterpret_cast<LPARAM>(label));
  EXPECT_NE(brushColor(brush), kSkinFace);
  SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  EXPECT_NE(canvas.At(40, 30), kSkinFace);
  DestroyWindow(dialog);
}
