// A frame for the ribbon to draw the caption of, with the composition seam answered by the
// test, and a fixture that puts a ribbon under the ribbon theme across the top of such a frame.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/ribbon/ribbon_test_theme.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_caption_buttons.h"

// --- the composition seam: answers of our own in place of dwmapi's ---
struct Glass {
  static inline BOOL composition = FALSE;
  static inline std::vector<std::pair<HWND, MARGINS>> extended;
  static HRESULT WINAPI IsEnabled(BOOL* on) {
    *on = composition;
    return S_OK;
  }
  static HRESULT WINAPI Extend(HWND hwnd, const MARGINS* margins) {
    extended.push_back({hwnd, *margins});
    return S_OK;
  }
  static BOOL WINAPI DefProc(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }
  static FARPROC Resolve(HMODULE, const char* name) {
    if (!lstrcmpA(name, "DwmIsCompositionEnabled")) return reinterpret_cast<FARPROC>(&IsEnabled);
    if (!lstrcmpA(name, "DwmExtendFrameIntoClientArea")) return reinterpret_cast<FARPROC>(&Extend);
    if (!lstrcmpA(name, "DwmDefWindowProc")) return reinterpret_cast<FARPROC>(&DefProc);
    return nullptr;
  }
  explicit Glass(bool on) {
    composition = on;
    extended.clear();
    CTKDwmFunctions::Instance().SetProcResolver(&Resolve);
  }
  ~Glass() { CTKDwmFunctions::Instance().SetProcResolver(nullptr); }
};

// A frame window that records the messages it gets and keeps its system commands.
class Frame {
 public:
  explicit Frame(DWORD style, DWORD ex_style = 0, const wchar_t* title = L"Document1 - Kestrin", int w = 800,
                 int h = 600) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKRibbonTestFrame";
      ::RegisterClassW(&wc);
      registered = true;
    }
    // Shown without taking the activation from other programs of the run.
    hwnd = ::CreateWindowExW(ex_style, L"TKRibbonTestFrame", title, style & ~WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), this);
    if (style & WS_VISIBLE) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  }
  ~Frame() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
  int Count(UINT message) const { return static_cast<int>(std::count(messages.begin(), messages.end(), message)); }
  HWND hwnd = nullptr;
  std::vector<UINT> messages;
  std::vector<WPARAM> system_commands;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE)
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    auto* self = reinterpret_cast<Frame*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      self->messages.push_back(msg);
      if (msg == WM_SYSCOMMAND) {
        self->system_commands.push_back(w);
        return 0;
      }
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
  }
};

// The ribbon theme over the tests' image set.
class RibbonFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(::GetModuleHandleW(nullptr), L"RIBBON_TEST_INI", false));
    theme_ = NewTestRibbonTheme(&images_);
    manager_.SetPaintManager(theme_);
  }
  void TearDown() override {
    if (bar_) {
      bar_->DestroyWindow();
      bar_->Release();
    }
    manager_.SetPaintManager(nullptr);
    theme_->Release();
    DrainMessages();
  }
  // A ribbon bar across the top of `frame`, laid out.
  CTKRibbonBar* AddBar(HWND frame) {
    manager_.SetSite(frame);
    bar_ = new CTKRibbonBar;
    bar_->SetCommandBarManager(&manager_);
    RECT client;
    ::GetClientRect(frame, &client);
    bar_->Create(frame, WS_CHILD | WS_VISIBLE, RECT{0, 0, client.right, 150});
    bar_->CalcRibbonSize(client.right, true);
    return bar_;
  }
  // The caption buttons of the bar, right to left as the layout leaves them.
  std::vector<int> CaptionButtons() const {
    std::vector<std::pair<int, int>> found;
    for (int i = 0; i < bar_->GetControlCount(); ++i)
      if (auto* b = dynamic_cast<CTKRibbonBar::CControlCaptionButton*>(bar_->GetControl(i)))
        found.push_back({-b->GetRect().left, b->GetID()});
    std::sort(found.begin(), found.end());
    std::vector<int> ids;
    for (auto& f : found) ids.push_back(f.second);
    return ids;
  }

  CTKOffice2007ImageSet images_;
  CTKRibbonTheme* theme_ = nullptr;
  CTKCommandBarManager manager_;
  CTKRibbonBar* bar_ = nullptr;
};
