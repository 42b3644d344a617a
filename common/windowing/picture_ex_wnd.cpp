#include "common/windowing/picture_ex_wnd.h"

#include "common/windowing/gif_frames.h"
#include "platform/win/scoped_resource.h"

#include <string.h>

namespace WindowingNS {

namespace {

using namespace GifNS;

const char kClassName[] = "PICTUREEXWND";
const DWORD kDefaultWaitMs = 100;
// Frames read from one file at most: a logo animates with a handful, and every frame costs a
// picture load.
const int kMaxFrames = 128;

// Converts HIMETRIC extents to pixels at the given logical pixels per inch.
int HimetricToPixels(long himetric, int dpi) { return MulDiv(himetric, dpi, 2540); }

class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~ScopedGlobalLock() {
    if (data_) GlobalUnlock(block_);
  }
  const BYTE* data() const { return static_cast<const BYTE*>(data_); }

 private:
  HGLOBAL block_;
  void* data_;
};

using KestrinWinNS::CScopedLock;
using KestrinWinNS::CScopedClientDC;

}  // namespace

CPictureExWnd::CPictureExWnd() : stop_event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CPictureExWnd::~CPictureExWnd() {
  if (GetHwnd()) DestroyWindow(GetHwnd());
  UnLoad();
}

HWND CPictureExWnd::Create(HWND parent, const RECT& rect, UINT id, DWORD style) {
  if (!RegisterSuperclass("STATIC", kClassName)) return nullptr;
  // The id is a child's; for a pop-up the same argument would name a menu.
  HMENU menu_or_id = (style & WS_CHILD) ? (HMENU)(UINT_PTR)id : nullptr;
  return CWindowBase::Create(kClassName, 0, style, rect, parent, menu_or_id, "");
}

BOOL CPictureExWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                         LRESULT& result) {
  switch (msg) {
    case WM_PAINT: {
      if (!GetUpdateRect(hwnd, nullptr, FALSE)) return FALSE;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      {
        CScopedLock lock(draw_lock_);
        if (offscreen_dc_) BitBlt(dc, 0, 0, width_, height_, offscreen_dc_.Get(), 0, 0, SRCCOPY);
      }
      EndPaint(hwnd, &ps);
      result = 0;
      return TRUE;
    }
    case WM_DESTROY:
      StopAnimation();
      return FALSE;  // the static control cleans up as well
  }
  return FALSE;
}

bool CPictureExWnd::LoadFromStream(IStream* stream) {
  if (!stream) return false;
  STATSTG stat = {};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
  if (stat.cbSize.QuadPart == 0 || stat.cbSize.QuadPart > 0x7FFFFFFE) return false;
  DWORD size = (DWORD)stat.cbSize.QuadPart;
  LARGE_INTEGER zero = {};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return false;
  std::vector<BYTE> buffer(size);
  ULONG read = 0;
  if (FAILED(stream->Read(buffer.data(), size, &read)) || read != size) return false;
  KestrinWinNS::CScopedGlobalMemory block(GlobalAlloc(GMEM_FIXED, size));
  if (!block) return false;
  memcpy(block.Get(), buffer.data(), size);
  return Load(block.Get(), size);
}

bool CPictureExWnd::Load(HGLOBAL block, DWORD size) {
  UnLoad();
  if (!block || size == 0) return false;
  bool ok;
  {
    ScopedGlobalLock lock(block);
    if (!lock.data()) return false;
    data_size_ = size;
    if (size >= 3 && memcmp(lock.data(), "GIF", 3) == 0) {
      ok = ParseAndLoad(lock.data());
      if (ok && frames_.empty()) {
        // A single frame: the whole file is the picture, shown at the logical screen size.
        ok = LoadOlePicture(block, size, true);
      }
    } else {
      ok = LoadOlePicture(block, size, false);
    }
  }
  if (ok) ok = PrepareOffscreen();
  if (!ok) UnLoad();
  return ok;
}

// Reads the GIF's header and frames. Several frames are loaded one by one here; a single
// frame leaves the frame list empty for the caller to load the file whole.
bool CPictureExWnd::ParseAndLoad(const BYTE* data) {
  const DWORD size = data_size_;
  if (size < 13) return false;
  is_gif_ = true;
  width_ = ReadWord(data + 6);
  height_ = ReadWord(data + 8);
  gct_size_ = (data[10] & 0x80) ? 3u * (1u << ((data[10] & 7) + 1)) : 0;
  const DWORD header = 13 + gct_size_;
  if (header > size) return false;

  int count = 0;
  for (DWORD pos = header; count < kMaxFrames && NextFrame(data, size, &pos, nullptr);) ++count;
  if (count == 0) return false;
  FrameSpan span;
  if (count == 1) {
    DWORD pos = header;
    return NextFrame(data, size, &pos, &span) && IsLoadableFrame(data, span, width_, height_, gct_size_ != 0);
  }

  int extracted = 0;
  for (data_offset_ = header; extracted < kMaxFrames && NextFrame(data, size, &data_offset_, &span);) {
    ++extracted;
    if (!IsLoadableFrame(data, span, width_, height_, gct_size_ != 0)) continue;
    DWORD frame_bytes = span.end - span.start;
    SIZE_T total = (SIZE_T)header + frame_bytes + 1;
    KestrinWinNS::CScopedGlobalMemory one(GlobalAlloc(GMEM_FIXED, total));
    if (!one) continue;
    BYTE* out = static_cast<BYTE*>(one.Get());
    memcpy(out, data, header);
    memcpy(out + header, data + span.start, frame_bytes);
    out[total - 1] = 0x3B;
    KestrinComNS::CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(one.Get(), TRUE, &stream))) continue;
    one.Take();  // the stream frees the frame's bytes when it is released
    KestrinComNS::CComPtr<IPicture> picture;
    HRESULT hr = OleLoadPicture(stream, (LONG)total, FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture));
    stream.Release();
    if (FAILED(hr) || !picture) continue;
    Frame f = {picture, span.width, span.height, span.left, span.top, span.delay, span.disposal};
    frames_.push_back(f);
  }
  return !frames_.empty();
}

bool CPictureExWnd::LoadOlePicture(HGLOBAL block, DWORD size, bool keep_size) {
  KestrinComNS::CComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream))) return false;
  HRESULT hr = OleLoadPicture(stream, (LONG)size, FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture_));
  stream.Release();
  if (FAILED(hr) || !picture_) {
    picture_.Release();
    return false;
  }
  if (!keep_size) {
    OLE_XSIZE_HIMETRIC hm_width = 0;
    OLE_YSIZE_HIMETRIC hm_height = 0;
    picture_->get_Width(&hm_width);
    picture_->get_Height(&hm_height);
    CScopedClientDC dc(GetHwnd());
    width_ = HimetricToPixels(hm_width, GetDeviceCaps(dc.Get(), LOGPIXELSX));
    height_ = HimetricToPixels(hm_height, GetDeviceCaps(dc.Get(), LOGPIXELSY));
  }
  return true;
}

bool CPictureExWnd::PrepareOffscreen() {
  if (width_ <= 0 || height_ <= 0) return false;
  if (GetHwnd()) {
    SetWindowPos(GetHwnd(), nullptr, 0, 0, width_, height_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CScopedClientDC window_dc(GetHwnd());
  offscreen_dc_.Reset(CreateCompatibleDC(window_dc.Get()));
  offscreen_bitmap_.Reset(CreateCompatibleBitmap(window_dc.Get(), width_, height_));
  if (!offscreen_dc_ || !offscreen_bitmap_) return false;
  offscreen_old_ = SelectObject(offscreen_dc_.Get(), offscreen_bitmap_.Get());
  background_ = GetSysColor(COLOR_BTNFACE);
  RECT all = {0, 0, width_, height_};
  FillRect(offscreen_dc_.Get(), &all, (HBRUSH)(INT_PTR)(COLOR_MENU + 1));
  loaded_ = true;
  return true;
}

bool CPictureExWnd::RenderPicture(IPicture* picture, int left, int top, int width, int height) {
  OLE_XSIZE_HIMETRIC hm_width = 0;
  OLE_YSIZE_HIMETRIC hm_height = 0;
  picture->get_Width(&hm_width);
  picture->get_Height(&hm_height);
  // The picture interface counts HIMETRIC upwards: start at the bottom, negative height.
  return SUCCEEDED(picture->Render(offscreen_dc_.Get(), left, top, width, height, 0, hm_height,
                                   hm_width, -hm_height, nullptr));
}

bool CPictureExWnd::Draw() {
  if (!loaded_) return false;
  if (frames_.size() >= 2) {
    if (thread_) {
      if (animating_) return false;  // already playing
      WaitForSingleObject(thread_.Get(), INFINITE);
      thread_.Reset();
    }
    InterlockedExchange(&animating_, 1);
    thread_.Reset(CreateThread(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, nullptr));
    if (!thread_) {
      InterlockedExchange(&animating_, 0);
      return false;
    }
    ResumeThread(thread_.Get());
    return false;
  }
  if (!picture_) return false;
  bool ok;
  {
    CScopedLock lock(draw_lock_);
    ok = RenderPicture(picture_, 0, 0, width_, height_);
  }
  if (GetHwnd()) InvalidateRect(GetHwnd(), nullptr, FALSE);
  return ok;
}

DWORD CPictureExWnd::FrameWaitMs(int delay) {
  // A frame without a control extension carries no delay: it gets the default as well.
  if (delay < 0) return kDefaultWaitMs;
  if ((DWORD)delay >= 5) return (DWORD)delay * 10;
  return kDefaultWaitMs;
}

DWORD WINAPI CPictureExWnd::AnimationThread(void* param) {
  static_cast<CPictureExWnd*>(param)->Animate();
  return 0;
}

void CPictureExWnd::Animate() {
  if (current_frame_ >= frames_.size()) current_frame_ = 0;
  // A stop during the last run may have left the frame on screen without its disposal.
  if (disposal_pending_) DisposeFrame(current_frame_);
  disposal_pending_ = false;
  while (!stop_requested_) {
    ShowFrame(current_frame_);
    disposal_pending_ = true;
    if (stop_requested_) break;
    WaitForSingleObject(stop_event_.Get(), FrameWaitMs(frames_[current_frame_].delay));
    if (stop_requested_) break;
    DisposeFrame(current_frame_);
    disposal_pending_ = false;
    if (++current_frame_ >= frames_.size()) {
      current_frame_ = 0;
      RestartLoop();
    }
  }
  InterlockedExchange(&animating_, 0);
}

bool CPictureExWnd::ShowFrame(size_t index) {
  if (index >= frames_.size() || !offscreen_dc_) return false;
  const Frame& f = frames_[index];
  bool ok;
  {
    CScopedLock lock(draw_lock_);
    if (f.disposal == 3) {
      DeleteSavedBackground();
      saved_dc_.Reset(CreateCompatibleDC(offscreen_dc_.Get()));
      saved_bitmap_.Reset(CreateCompatibleBitmap(offscreen_dc_.Get(), f.width, f.height));
      if (saved_dc_ && saved_bitmap_) {
        saved_old_ = SelectObject(saved_dc_.Get(), saved_bitmap_.Get());
        BitBlt(saved_dc_.Get(), 0, 0, f.width, f.height, offscreen_dc_.Get(), f.left, f.top, SRCCOPY);
      } else {
        DeleteSavedBackground();
      }
    }
    ok = f.picture && RenderPicture(f.picture, f.left, f.top, f.width, f.height);
  }
  if (ok && GetHwnd()) InvalidateRect(GetHwnd(), nullptr, FALSE);
  return ok;
}

void CPictureExWnd::DisposeFrame(size_t index) {
  if (index >= frames_.size() || !offscreen_dc_) return;
  const Frame& f = frames_[index];
  CScopedLock lock(draw_lock_);
  if (f.disposal == 2) {
    FillBackground(f.left, f.top, f.width, f.height);
  } else if (f.disposal == 3 && saved_dc_) {
    BitBlt(offscreen_dc_.Get(), f.left, f.top, f.width, f.height, saved_dc_.Get(), 0, 0, SRCCOPY);
    DeleteSavedBackground();
  }
}

void CPictureExWnd::RestartLoop() {
  if (!offscreen_dc_) return;
  CScopedLock lock(draw_lock_);
  FillBackground(0, 0, width_, height_);
}

void CPictureExWnd::FillBackground(int left, int top, int width, int height) {
  KestrinWinNS::CScopedBrush brush(CreateSolidBrush(background_));
  RECT r = {left, top, left + width, top + height};
  FillRect(offscreen_dc_.Get(), &r, brush.Get());
}

void CPictureExWnd::DeleteSavedBackground() {
  if (saved_dc_ && saved_old_) SelectObject(saved_dc_.Get(), saved_old_);
  saved_dc_.Reset();
  saved_bitmap_.Reset();
  saved_old_ = nullptr;
}

// Ends the animation and waits for its thread: the thread draws with this object's pictures
// and device contexts, so it may not outlive a stop. It never waits on the window's thread
// (invalidating does not), so the wait ends promptly.
void CPictureExWnd::StopAnimation() {
  InterlockedExchange(&stop_requested_, 1);
  if (stop_event_) SetEvent(stop_event_.Get());
  if (thread_) {
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  InterlockedExchange(&animating_, 0);
  if (stop_event_) ResetEvent(stop_event_.Get());
  InterlockedExchange(&stop_requested_, 0);
}

void CPictureExWnd::UnLoad() {
  StopAnimation();
  picture_.Release();
  frames_.clear();
  {
    CScopedLock lock(draw_lock_);
    DeleteSavedBackground();
    if (offscreen_dc_ && offscreen_old_) SelectObject(offscreen_dc_.Get(), offscreen_old_);
    offscreen_dc_.Reset();
    offscreen_bitmap_.Reset();
    offscreen_old_ = nullptr;
  }
  width_ = height_ = 0;
  data_size_ = data_offset_ = 0;
  current_frame_ = 0;
  disposal_pending_ = false;
  gct_size_ = 0;
  is_gif_ = false;
  loaded_ = false;
  background_ = 0xFFFFFF;
}

}  // namespace WindowingNS
