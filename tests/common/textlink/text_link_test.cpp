#include "common/textlink/text_link.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/win/gdi.h"

using UtilityClassesNS::CTextLink;
using UtilityClassesNS::ILinkMessagesListener;

namespace {

struct Call {
  char kind;  // 'c' click, 's' hover start, 'e' hover end
  int value;  // button for clicks
  DWORD id;
};

class Host : public ILinkMessagesListener {
 public:
  Host(DWORD class_style = 0) {
    WNDCLASSA wc = {};
    wc.style = class_style;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = class_style ? "KestrinLinkHostOwnDC" : "KestrinLinkHost";
    RegisterClassA(&wc);
    window = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }
  ~Host() { DestroyWindow(window); }
  void OnLinkClicked(int button, DWORD id) override { calls.push_back({'c', button, id}); }
  void OnLinkHoverStart(POINT, DWORD id) override { calls.push_back({'s', 0, id}); }
  void OnLinkHoverEnd(POINT, DWORD id) override { calls.push_back({'e', 0, id}); }
  HWND GetLinkWindow() override { return window; }

  HWND window;
  std::vector<Call> calls;
};

const COLORREF kNormal = RGB(0, 0, 200);
const COLORREF kHover = RGB(200, 0, 0);

class TextLinkTest : public ::testing::Test {
 protected:
  void Make(DWORD behaviour, UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE) {
    link.reset(new CTextLink(7, behaviour, CTextLink::kUnderline, format, 10, kHover, kNormal));
    ASSERT_TRUE(link->Attach(&host));
    RECT r = {20, 30, 320, 130};
    link->SetRect(r);
    link->SetText("Open the certificate");
    ASSERT_GT(link->GetTextWidth(), 0);
    ASSERT_GT(link->GetTextHeight(), 0);
  }
  POINT Inside() const {
    const RECT& d = link->GetDrawRect();
    return {(d.left + d.right) / 2, (d.top + d.bottom) / 2};
  }
  POINT Outside() const { return {5, 5}; }

  Host host;
  std::unique_ptr<CTextLink> link;
};

TEST_F(TextLinkTest, ClickOnUpNeedsPressAndReleaseOverTheLink) {
  Make(CTextLink::kClickOnUp);
  // Pressed outside, released over the link: no click.
  link->OnMouseMove(Outside());
  link->OnLButtonDown();
  link->OnLButtonUp();
  link->OnMouseMove(Inside());
  link->OnLButtonUp();
  for (const Call& c : host.calls) EXPECT_NE('c', c.kind);

  // Pressed and released over it: one left click with the link's id.
  host.calls.clear();
  link->OnMouseMove(Outside());
  link->OnMouseMove(Inside());
  EXPECT_FALSE(link->OnLButtonDown());
  EXPECT_TRUE(link->OnLButtonUp());
  EXPECT_FALSE(link->OnLButtonUp());
  int clicks = 0;
  for (const Call& c : host.calls) {
    if (c.kind != 'c') continue;
    ++clicks;
    EXPECT_EQ(1, c.value);
    EXPECT_EQ(7u, c.id);
  }
  EXPECT_EQ(1, clicks);
}

TEST_F(TextLinkTest, ClickOnDownReportsRightButtonAtOnce) {
  Make(CTextLink::kClickOnDown);
  link->OnMouseMove(Inside());
  host.calls.clear();
  EXPECT_TRUE(link->OnRButtonDown());
  ASSERT_EQ(1u, host.calls.size());
  EXPECT_EQ('c', host.calls[0].kind);
  EXPECT_EQ(2, host.calls[0].value);
  // No click for a press away from the link.
  link->OnMouseMove(Outside());
  host.calls.clear();
  EXPECT_FALSE(link->OnLButtonDown());
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(TextLinkTest, HoverNoticesOnlyOnEnterAndLeave) {
  Make(CTextLink::kHoverColour);
  link->OnMouseMove(Outside());
  EXPECT_TRUE(host.calls.empty());
  POINT in = Inside();
  link->OnMouseMove(in);
  ASSERT_EQ(1u, host.calls.size());
  EXPECT_EQ('s', host.calls[0].kind);
  EXPECT_EQ(kHover, link->GetCurrentColour());
  // Moving within the link reports nothing.
  in.x += 1;
  EXPECT_TRUE(link->OnMouseMove(in));
  in.x -= 2;
  link->OnMouseMove(in);
  EXPECT_EQ(1u, host.calls.size());
  // Leaving reports once.
  link->OnMouseMove(Outside());
  link->OnMouseMove(Outside());
  ASSERT_EQ(2u, host.calls.size());
  EXPECT_EQ('e', host.calls[1].kind);
  EXPECT_EQ(kNormal, link->GetCurrentColour());
}

TEST_F(TextLinkTest, HoverFontOnlyWithItsBehaviourBit) {
  Make(CTextLink::kHoverColour);
  HFONT normal = link->GetCurrentFont();
  link->OnMouseMove(Inside());
  EXPECT_EQ(normal, link->GetCurrentFont());
  link->OnMouseMove(Outside());

  link->SetBehaviour(CTextLink::kHoverFont);
  ASSERT_TRUE(link->SetFont(14, FW_BOLD, 0, "Courier New", true));
  link->OnMouseMove(Inside());
  EXPECT_NE(normal, link->GetCurrentFont());
  EXPECT_EQ(kNormal, link->GetCurrentColour());  // colour bit is off now
  link->ResetLook();
  EXPECT_EQ(normal, link->GetCurrentFont());
  EXPECT_FALSE(link->IsHovered());
  EXPECT_FALSE(link->SetFont(10, FW_NORMAL, 0, nullptr, false));
}

TEST_F(TextLinkTest, SetNormalColourWhileHoveredKeepsCurrentColour) {
  Make(CTextLink::kHoverColour);
  link->OnMouseMove(Inside());
  ASSERT_EQ(kHover, link->GetCurrentColour());
  link->SetColour(CTextLink::kColourNormal, RGB(0, 120, 0));
  EXPECT_EQ(kHover, link->GetCurrentColour());
  link->SetColour(CTextLink::kColourHover, RGB(1, 2, 3));
  EXPECT_EQ(RGB(1, 2, 3), link->GetCurrentColour());
  link->SetColour(5, RGB(9, 9, 9));  // ignored
  link->OnMouseMove(Outside());
  EXPECT_EQ(RGB(0, 120, 0), link->GetCurrentColour());
}

TEST_F(TextLinkTest, CentredLayoutPlacesTextOnTheRectanglesMiddle) {
  Make(0, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  struct Case { RECT rect; const char* text; };
  const Case cases[] = {
      {{20, 30, 320, 130}, "Open the certificate"},
      // Narrower than the text: a negative offset from the left edge.
      {{100, 10, 104, 12}, "A much longer text than the rectangle is wide"},
  };
  for (const Case& c : cases) {
    link->SetText(c.text);
    link->SetRect(c.rect);
    const RECT& d = link->GetDrawRect();
    int tw = link->GetTextWidth(), th = link->GetTextHeight();
    EXPECT_EQ(tw, d.right - d.left) << c.text;
    EXPECT_EQ(th, d.bottom - d.top) << c.text;
    EXPECT_EQ(c.rect.left + (c.rect.right - c.rect.left - tw) / 2, d.left) << c.text;
    EXPECT_EQ(c.rect.top + (c.rect.bottom - c.rect.top - th) / 2, d.top) << c.text;
  }
  EXPECT_LT(link->GetDrawRect().left, 100);
}

TEST_F(TextLinkTest, UncentredLayoutStaysAtTopLeft) {
  Make(0);
  const RECT& d = link->GetDrawRect();
  EXPECT_EQ(20, d.left);
  EXPECT_EQ(30, d.top);
  EXPECT_EQ(link->GetTextWidth(), d.right - d.left);
}

TEST_F(TextLinkTest, DetachedLinkReportsNothing) {
  Make(CTextLink::kClickOnDown);
  link->OnMouseMove(Inside());
  ASSERT_TRUE(link->Detach());
  EXPECT_FALSE(link->Detach());
  host.calls.clear();
  EXPECT_FALSE(link->OnLButtonDown());
  EXPECT_FALSE(link->Draw());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(link->Attach(nullptr));
  EXPECT_FALSE(link->SetText(nullptr));
  EXPECT_STREQ("Open the certificate", link->GetText());
}

TEST(TextLinkDraw, DrawRestoresTheDeviceContext) {
  // A CS_OWNDC window hands out the same context on every GetDC, so its state is visible.
  Host own(CS_OWNDC);
  CTextLink owned(1, 0, 0, DT_LEFT | DT_SINGLELINE, 10, kHover, kNormal);
  ASSERT_TRUE(owned.Attach(&own));
  owned.SetText("x");
  RECT r = {0, 0, 50, 50};
  owned.SetRect(r);
  KestrinWinNS::CScopedClientDC own_client_dc(own.window);
  const HDC own_dc = own_client_dc.Get();
  HGDIOBJ font_before = GetCurrentObject(own_dc, OBJ_FONT);
  COLORREF colour_before = GetTextColor(own_dc);
  int mode_before = GetBkMode(own_dc);
  EXPECT_TRUE(owned.Draw());
  EXPECT_EQ(font_before, GetCurrentObject(own_dc, OBJ_FONT));
  EXPECT_EQ(colour_before, GetTextColor(own_dc));
  EXPECT_EQ(mode_before, GetBkMode(own_dc));
}

}  // namespace
