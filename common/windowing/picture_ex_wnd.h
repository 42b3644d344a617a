// A child window that shows a picture: anything the OLE picture loader reads is shown still;
// a GIF with two or more frames is split into one-frame GIFs and played on a thread of the
// window's own, with the file's delays and disposal methods, until stopped. Drawing goes to
// an off-screen bitmap that the window copies when it paints.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/win/gdi.h"
#include "platform/win/lock.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/window.h"

namespace WindowingNS {

class CPictureExWnd : public KestrinWinNS::CWindowBase {
 public:
  struct Frame {
    KestrinComNS::CComPtr<IPicture> picture;
    int width;
    int height;
    int left;
    int top;
    int delay;     // hundredths of a second; -1 without a graphic control extension
    int disposal;  // 0 to 7
  };

  CPictureExWnd();
  virtual ~CPictureExWnd();

  // The window: a superclass of "STATIC" named "PICTUREEXWND".
  HWND Create(HWND parent, const RECT& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);

  bool Load(HGLOBAL block, DWORD size);
  bool LoadFromStream(IStream* stream);
  bool Draw();
  void StopAnimation();
  void UnLoad();

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  bool IsGif() const { return is_gif_; }
  bool IsLoaded() const { return loaded_; }
  bool IsAnimating() const { return animating_ != 0; }
  COLORREF GetBackground() const { return background_; }
  size_t GetFrameCount() const { return frames_.size(); }
  const Frame& GetFrame(size_t i) const { return frames_[i]; }
  // The picture as shown (for painting and for tests that read its pixels).
  HDC GetOffscreenDC() const { return offscreen_dc_.Get(); }

  // Steps of the animation thread, one frame at a time: ShowFrame saves the area under a
  // frame with disposal 3 and renders the frame; DisposeFrame applies the frame's disposal;
  // RestartLoop clears the whole picture before frame 0 comes again.
  bool ShowFrame(size_t index);
  void DisposeFrame(size_t index);
  void RestartLoop();
  // How long a frame stays: delays under 5 hundredths (and frames without a delay) 100 ms.
  static DWORD FrameWaitMs(int delay);

  BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  CPictureExWnd(const CPictureExWnd&) = delete;
  CPictureExWnd& operator=(const CPictureExWnd&) = delete;

  static DWORD WINAPI AnimationThread(void* param);
  void Animate();

  bool ParseAndLoad(const BYTE* data);
  bool LoadOlePicture(HGLOBAL block, DWORD size, bool keep_size);
  bool PrepareOffscreen();
  void FillBackground(int left, int top, int width, int height);
  bool RenderPicture(IPicture* picture, int left, int top, int width, int height);
  void DeleteSavedBackground();

  int width_ = 0;
  int height_ = 0;
  COLORREF background_ = 0xFFFFFF;
  DWORD data_size_ = 0;
  DWORD data_offset_ = 0;
  size_t current_frame_ = 0;
  bool disposal_pending_ = false;  // the current frame is shown, its disposal not yet applied
  DWORD gct_size_ = 0;
  bool is_gif_ = false;
  volatile LONG animating_ = 0;
  volatile LONG stop_requested_ = 0;
  bool loaded_ = false;
  KestrinWinNS::CScopedMemoryDC offscreen_dc_;
  KestrinWinNS::CScopedBitmap offscreen_bitmap_;
  HGDIOBJ offscreen_old_ = nullptr;
  KestrinWinNS::CScopedMemoryDC saved_dc_;
  KestrinWinNS::CScopedBitmap saved_bitmap_;
  HGDIOBJ saved_old_ = nullptr;
  KestrinWinNS::CScopedKernelHandle thread_;  // closed after the thread has ended
  KestrinWinNS::CScopedKernelHandle stop_event_;
  KestrinComNS::CComPtr<IPicture> picture_;
  std::vector<Frame> frames_;
  // Keeps the off-screen picture to one thread at a time: the animation thread draws into
  // it while the window's thread copies it to the screen.
  KestrinWinNS::CCriticalSection draw_lock_;
};

}  // namespace WindowingNS
