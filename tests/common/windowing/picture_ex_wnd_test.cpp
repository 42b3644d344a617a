#include "common/windowing/picture_ex_wnd.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win/scoped_resource.h"

using WindowingNS::CPictureExWnd;

namespace {

std::string g_folder;  // where the generated pictures are

std::vector<BYTE> ReadFixture(const char* name) {
  std::string path = g_folder + "/" + name;
  std::vector<BYTE> data;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return data;
  BYTE buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) data.insert(data.end(), buf, buf + n);
  fclose(f);
  return data;
}

class GlobalBlock {
 public:
  explicit GlobalBlock(const std::vector<BYTE>& data)
      : block_(GlobalAlloc(GMEM_MOVEABLE, data.empty() ? 1 : data.size())), size_(data.size()) {
    void* p = GlobalLock(block_.Get());
    if (!data.empty()) memcpy(p, data.data(), data.size());
    GlobalUnlock(block_.Get());
  }
  HGLOBAL get() const { return block_.Get(); }
  DWORD size() const { return (DWORD)size_; }

 private:
  KestrinWinNS::CScopedGlobalMemory block_;
  size_t size_;
};

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RECT r = {0, 0, 50, 50};
    ASSERT_TRUE(pic.Create(nullptr, r, 1, WS_POPUP) != nullptr);
  }
  bool LoadFixture(const char* name) {
    std::vector<BYTE> data = ReadFixture(name);
    EXPECT_FALSE(data.empty()) << name;
    GlobalBlock block(data);
    return pic.Load(block.get(), block.size());
  }
  COLORREF Pixel(int x, int y) { return GetPixel(pic.GetOffscreenDC(), x, y) & 0xFFFFFF; }

  CPictureExWnd pic;
};

TEST_F(PictureTest, StillBitmapIsSizedFromItsExtents) {
  ASSERT_TRUE(LoadFixture("still.bmp"));
  EXPECT_FALSE(pic.IsGif());
  EXPECT_EQ(20, pic.GetWidth());
  EXPECT_EQ(10, pic.GetHeight());
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), pic.GetBackground());
  RECT wr;
  GetWindowRect(pic.GetHwnd(), &wr);
  EXPECT_EQ(20, wr.right - wr.left);
  EXPECT_EQ(10, wr.bottom - wr.top);
  EXPECT_TRUE(pic.Draw());
  EXPECT_EQ(kRed, Pixel(2, 5));
  EXPECT_EQ(kBlue, Pixel(17, 5));
}

TEST_F(PictureTest, OneFrameGifIsStillAtItsScreenSize) {
  ASSERT_TRUE(LoadFixture("single.gif"));
  EXPECT_TRUE(pic.IsGif());
  EXPECT_EQ(0u, pic.GetFrameCount());
  EXPECT_EQ(6, pic.GetWidth());
  EXPECT_EQ(5, pic.GetHeight());
  EXPECT_TRUE(pic.Draw());
  EXPECT_EQ(kBlue, Pixel(5, 4));
  EXPECT_FALSE(pic.IsAnimating());
}

TEST_F(PictureTest, AnimatedGifIsSplitIntoFrames) {
  ASSERT_TRUE(LoadFixture("anim.gif"));
  ASSERT_EQ(5u, pic.GetFrameCount());
  EXPECT_EQ(8, pic.GetWidth());
  struct Expected { int left, top, width, height, delay, disposal; };
  const Expected expected[] = {
      {0, 0, 8, 8, 0, 1}, {2, 2, 4, 4, 4, 2}, {4, 4, 4, 4, 5, 3},
      {0, 0, 2, 2, 10, 0}, {6, 0, 2, 2, -1, 0},
  };
  for (size_t i = 0; i < 5; ++i) {
    const CPictureExWnd::Frame& f = pic.GetFrame(i);
    EXPECT_TRUE(f.picture != nullptr) << i;
    EXPECT_EQ(expected[i].left, f.left) << i;
    EXPECT_EQ(expected[i].top, f.top) << i;
    EXPECT_EQ(expected[i].width, f.width) << i;
    EXPECT_EQ(expected[i].height, f.height) << i;
    EXPECT_EQ(expected[i].delay, f.delay) << i;
    EXPECT_EQ(expected[i].disposal, f.disposal) << i;
  }
}

TEST_F(PictureTest, FramesAreDrawnAndDisposed) {
  ASSERT_TRUE(LoadFixture("anim.gif"));
  const COLORREF bg = pic.GetBackground() & 0xFFFFFF;
  ASSERT_TRUE(pic.ShowFrame(0));
  EXPECT_EQ(kRed, Pixel(3, 3));
  ASSERT_TRUE(pic.ShowFrame(1));  // green square at 2,2 4x4
  EXPECT_EQ(kGreen, Pixel(3, 3));
  EXPECT_EQ(kRed, Pixel(1, 1));
  pic.DisposeFrame(1);            // disposal 2: back to the background colour
  EXPECT_EQ(bg, Pixel(3, 3));
  EXPECT_EQ(bg, Pixel(5, 5));
  EXPECT_EQ(kRed, Pixel(6, 6));
  ASSERT_TRUE(pic.ShowFrame(2));  // blue square at 4,4 with disposal 3
  EXPECT_EQ(kBlue, Pixel(5, 5));
  EXPECT_EQ(kBlue, Pixel(7, 7));
  pic.DisposeFrame(2);            // what was under it comes back
  EXPECT_EQ(bg, Pixel(5, 5));
  EXPECT_EQ(kRed, Pixel(7, 7));
  pic.RestartLoop();              // the whole picture is cleared before frame 0
  EXPECT_EQ(bg, Pixel(0, 0));
  EXPECT_EQ(bg, Pixel(7, 7));
}

TEST(PictureWait, DelaysInHundredths) {
  struct Case { int delay; DWORD ms; };
  const Case cases[] = {{0, 100}, {4, 100}, {5, 50}, {10, 100}, {250, 2500}, {-1, 100}};
  for (const Case& c : cases) EXPECT_EQ(c.ms, CPictureExWnd::FrameWaitMs(c.delay)) << c.delay;
}

TEST_F(PictureTest, BrokenFilesLeaveTheWindowEmpty) {
  const char* files[] = {"short.gif", "badgct.gif"};
  for (const char* name : files) {
    EXPECT_FALSE(LoadFixture(name)) << name;
    EXPECT_FALSE(pic.IsLoaded()) << name;
    EXPECT_EQ(0, pic.GetWidth()) << name;
    EXPECT_EQ(0xFFFFFFu, pic.GetBackground()) << name;
    EXPECT_FALSE(pic.Draw()) << name;
  }
  // Every prefix of a GIF shorter than a full header (and the empty buffer) fails cleanly.
  std::vector<BYTE> anim = ReadFixture("anim.gif");
  for (size_t n = 0; n < 13; ++n) {
    std::vector<BYTE> cut(anim.begin(), anim.begin() + n);
    GlobalBlock block(cut);
    EXPECT_FALSE(pic.Load(block.get(), block.size())) << n;
  }
}

TEST_F(PictureTest, TruncatedGifKeepsTheWholeFrames) {
  ASSERT_TRUE(LoadFixture("truncated.gif"));
  EXPECT_EQ(2u, pic.GetFrameCount());
  // Every cut of the animated file loads or fails without reading past its end.
  std::vector<BYTE> anim = ReadFixture("anim.gif");
  for (size_t n = 13; n < anim.size(); n += 7) {
    std::vector<BYTE> cut(anim.begin(), anim.begin() + n);
    GlobalBlock block(cut);
    pic.Load(block.get(), block.size());
    EXPECT_LE(pic.GetFrameCount(), 5u);
  }
}

// A GIF of one-pixel frames on a 1x1 screen; each frame: LZW code size, left edge.
std::vector<BYTE> TinyFrames(const std::vector<std::pair<BYTE, BYTE>>& frames) {
  std::vector<BYTE> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  for (const auto& f : frames) {
    const BYTE frame[] = {0x21, 0xF9, 4, 0, 10, 0, 0, 0,                  // control: 10 hundredths
                          0x2C, f.second, 0, 0, 0, 1, 0, 1, 0, 0, f.first,  // 1x1 image
                          2, 0x44, 0x01, 0};                              // clear, pixel 0, end
    gif.insert(gif.end(), frame, frame + sizeof(frame));
  }
  gif.push_back(0x3B);
  return gif;
}

TEST_F(PictureTest, ThousandsOfFramesAreCutShort) {
  std::vector<std::pair<BYTE, BYTE>> frames(5000, {2, 0});
  GlobalBlock block(TinyFrames(frames));
  ASSERT_TRUE(pic.Load(block.get(), block.size()));
  EXPECT_EQ(128u, pic.GetFrameCount());  // the reader's bound
}

TEST_F(PictureTest, FramesTheLoaderCannotReadAreNotHandedToIt) {
  // A code size over 8 bits, a frame beside the screen, then a good one.
  GlobalBlock block(TinyFrames({{12, 0}, {2, 5}, {1, 0}, {2, 0}}));
  ASSERT_TRUE(pic.Load(block.get(), block.size()));
  EXPECT_EQ(1u, pic.GetFrameCount());
}

TEST_F(PictureTest, LoadFromStreamReadsTheWholeStream) {
  EXPECT_FALSE(pic.LoadFromStream(nullptr));
  std::vector<BYTE> data = ReadFixture("anim.gif");
  KestrinWinNS::CScopedGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, data.size()));
  memcpy(GlobalLock(block.Get()), data.data(), data.size());
  GlobalUnlock(block.Get());
  IStream* stream = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(block.Get(), TRUE, &stream));
  block.Take();  // the stream frees it
  LARGE_INTEGER end = {};
  end.QuadPart = 20;
  stream->Seek(end, STREAM_SEEK_SET, nullptr);  // not at the start: it is rewound
  EXPECT_TRUE(pic.LoadFromStream(stream));
  EXPECT_EQ(5u, pic.GetFrameCount());
  stream->Release();
}

// The animation thread uses the window's pictures and device contexts: stopping, unloading,
// reloading and destroying the window must each end it first.
TEST_F(PictureTest, AnimationThreadEndsBeforeItsObjectsGo) {
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(LoadFixture("anim.gif"));
    EXPECT_FALSE(pic.Draw());  // started on its thread
    EXPECT_TRUE(pic.IsAnimating());
    EXPECT_FALSE(pic.Draw());  // a second Draw starts no second thread
    if (round % 3 == 0) {
      pic.StopAnimation();
      EXPECT_FALSE(pic.IsAnimating());
    } else if (round % 3 == 1) {
      pic.UnLoad();
      EXPECT_FALSE(pic.IsAnimating());
      EXPECT_FALSE(pic.IsLoaded());
    }  // else: the next Load unloads a playing picture
  }
  // Destroying the window stops the animation at once.
  ASSERT_TRUE(LoadFixture("anim.gif"));
  pic.Draw();
  DestroyWindow(pic.GetHwnd());
  EXPECT_FALSE(pic.IsAnimating());
  EXPECT_EQ(nullptr, pic.GetHwnd());
  // The object itself may go while playing.
  {
    CPictureExWnd other;
    RECT r = {0, 0, 8, 8};
    other.Create(nullptr, r, 2, WS_POPUP);
    std::vector<BYTE> data = ReadFixture("anim.gif");
    GlobalBlock block(data);
    ASSERT_TRUE(other.Load(block.get(), block.size()));
    other.Draw();
  }
}

TEST_F(PictureTest, PlayingAnimationReachesTheWindow) {
  ASSERT_TRUE(LoadFixture("anim.gif"));
  ShowWindow(pic.GetHwnd(), SW_SHOWNA);
  UpdateWindow(pic.GetHwnd());
  ValidateRect(pic.GetHwnd(), nullptr);
  pic.Draw();
  // The thread invalidates the window after drawing frame 0; the paint copies it.
  MSG msg;
  DWORD until = GetTickCount() + 5000;
  bool painted = false;
  while (!painted && GetTickCount() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_PAINT && msg.hwnd == pic.GetHwnd()) painted = true;
      DispatchMessageA(&msg);
    }
    if (!painted) Sleep(10);
  }
  EXPECT_TRUE(painted);
  pic.StopAnimation();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) g_folder = argv[1];
  CoInitialize(nullptr);
  int rc = RUN_ALL_TESTS();
  CoUninitialize();
  return rc;
}
