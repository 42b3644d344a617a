// The opening of a popup bar: its new contents come onto the screen in steps, sliding out of
// the corner, unfolding downwards or fading in over what lay under it. Each frame stays up for
// its share of the whole time, less what drawing it took; the frames stop early when the
// gesture ends (the capture goes, a cancel key or the quit message waits), and the caller's
// paint then shows the popup whole.
//
// The frames are drawn in device terms: the source holds the popup as it shows on the screen,
// and on a right-to-left (mirrored) target everything the frames place from the left is placed
// from the right instead, so that a popup that opens leftwards slides out of its top right
// corner, the one beside the control it opened from.
#include "toolkit/drawing/device_layout.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

namespace {

// `window`: the window the frames go to (null for memory); its end ends the frames too.
class CFramePacer {
 public:
  CFramePacer(DWORD step, HWND window) : step_(step), capture_(::GetCapture()), window_(window) {}
  void StartFrame() { started_ = TKGetTickCount(); }
  // Holds the frame drawn since StartFrame; false when the animation must stop.
  bool Hold() {
    const DWORD spent = TKGetTickCount() - started_;
    if (TKPauseLoop(capture_, spent < step_ ? step_ - spent : 0) == CTKLoopWake::kEnded) return false;
    return !window_ || ::IsWindow(window_);
  }

 private:
  DWORD step_;
  HWND capture_;
  HWND window_;
  DWORD started_ = 0;
};

// The time each of `steps` frames stays up when the whole takes `duration` ms.
DWORD StepTime(int duration, int steps) { return duration > 0 ? static_cast<DWORD>(duration / steps) : 0; }

// The weight of the new contents in fade frame k of `steps`.
BYTE FadeWeight(int k, int steps) { return static_cast<BYTE>(255 * k / steps); }

using SetLayeredFn = CTKPaintManager::SetLayeredWindowAttributesFn;

// The popup's window itself fades in over what lies under it: made layered, given its new
// contents while wholly transparent, then made more opaque frame by frame. The window gets its
// own style back at the end (and repaints whole).
// `rect` is in device terms.
void FadeLayeredWindow(SetLayeredFn set_layered, HWND window, const CRect& rect, CDC* source, int steps,
                       CFramePacer& pacer) {
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  const bool was_layered = (style & WS_EX_LAYERED) != 0;
  if (!was_layered) ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  if (set_layered(window, 0, 0, LWA_ALPHA)) {
    {
      KestrinWinNS::CWindowFrameDC dc(window);
      CTKDeviceLayoutScope device(dc.Get());
      ::BitBlt(dc.Get(), rect.left, rect.top, rect.Width(), rect.Height(), *source, 0, 0, SRCCOPY);
    }
    for (int k = 1; k < steps; ++k) {
      pacer.StartFrame();
      set_layered(window, 0, FadeWeight(k, steps), LWA_ALPHA);
      if (!pacer.Hold()) break;
    }
  }
  if (was_layered) {
    set_layered(window, 0, 255, LWA_ALPHA);
  } else {
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

}  // namespace

void CTKPaintManager::RunPopupAnimation(CDC* dc, const CRect& rect, CDC* source, int kind) {
  const int steps = animation_steps_;
  // Without steps there is nothing to animate (and no step time to divide into).
  if (steps <= 0 || rect.IsRectEmpty() || !dc || !source) return;
  HWND window = ::WindowFromDC(*dc);
  CFramePacer pacer(StepTime(animation_duration_, steps), window);
  const CRect area = CTKDeviceLayoutScope::ToDevice(*dc, rect);
  CTKDeviceLayoutScope target(*dc), from(*source);
  const bool mirrored = target.IsMirrored();
  const int w = area.Width(), h = area.Height();
  switch (kind) {
    case 2:  // slide: a growing part of the lower right corner, placed at the top left (mirrored:
             // of the lower left corner, placed at the top right)
    case 3:  // unfold: the whole width, a growing part of the bottom, placed at the top
      for (int k = 1; k <= steps; ++k) {
        pacer.StartFrame();
        const int pw = kind == 2 ? w * k / steps : w, ph = h * k / steps;
        if (mirrored)
          dc->BitBlt(area.right - pw, area.top, pw, ph, *source, 0, h - ph, SRCCOPY);
        else
          dc->BitBlt(area.left, area.top, pw, ph, *source, w - pw, h - ph, SRCCOPY);
        if (k < steps && !pacer.Hold()) break;
      }
      break;
    case 4: {
      if (window && set_layered_) {
        FadeLayeredWindow(set_layered_, window, area, source, steps, pacer);
        break;
      }
      // Blended in memory: what lay under the popup and its new contents, weighted frame by frame;
      // the frame with the full weight is the caller's paint.
      void* old_bits = nullptr;
      void* new_bits = nullptr;
      void* out_bits = nullptr;
      KestrinWinNS::CScopedBitmap old_image = KestrinWinNS::CreateDib32(w, h, &old_bits);
      KestrinWinNS::CScopedBitmap new_image = KestrinWinNS::CreateDib32(w, h, &new_bits);
      KestrinWinNS::CScopedBitmap out_image = KestrinWinNS::CreateDib32(w, h, &out_bits);
      if (!old_bits || !new_bits || !out_bits) break;
      {
        KestrinWinNS::CBitmapDC old_dc(*dc, old_image.Get());
        ::BitBlt(old_dc.Get(), 0, 0, w, h, *dc, area.left, area.top, SRCCOPY);
        KestrinWinNS::CBitmapDC new_dc(*dc, new_image.Get());
        ::BitBlt(new_dc.Get(), 0, 0, w, h, *source, 0, 0, SRCCOPY);
      }
      ::GdiFlush();
      KestrinWinNS::CBitmapDC out_dc(*dc, out_image.Get());
      const BYTE* o = static_cast<const BYTE*>(old_bits);
      const BYTE* n = static_cast<const BYTE*>(new_bits);
      BYTE* out = static_cast<BYTE*>(out_bits);
      const size_t bytes = static_cast<size_t>(w) * h * 4;
      for (int k = 1; k < steps; ++k) {
        pacer.StartFrame();
        ::GdiFlush();  // the last frame's copy is done with the section before it changes
        const int weight = FadeWeight(k, steps);
        for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<BYTE>((n[i] * weight + o[i] * (255 - weight)) >> 8);
        ::BitBlt(*dc, area.left, area.top, w, h, out_dc.Get(), 0, 0, SRCCOPY);
        if (!pacer.Hold()) break;
      }
      break;
    }
    default:
      break;
  }
}

void CTKPaintManager::RunExpandAnimation(CDC* dc, const CRect& rect, CDC* source, const std::vector<CTKExpandBand>& bands,
                                         bool down) {
  const int steps = animation_steps_;
  if (steps <= 0 || rect.IsRectEmpty() || !dc || !source || bands.empty()) return;
  CFramePacer pacer(StepTime(animation_duration_, steps), ::WindowFromDC(*dc));
  // The bands span the whole width: in device terms they need no mirroring.
  const CRect area = CTKDeviceLayoutScope::ToDevice(*dc, rect);
  CTKDeviceLayoutScope target(*dc), from(*source);
  const int w = area.Width();
  const int old_mode = ::SetStretchBltMode(*dc, COLORONCOLOR);
  for (int k = 1; k <= steps; ++k) {
    pacer.StartFrame();
    // Downwards from the top, or upwards from the bottom, each band at its height in this frame.
    int y = down ? area.top : area.bottom;
    for (size_t i = 0; i < bands.size(); ++i) {
      const CTKExpandBand& band = bands[down ? i : bands.size() - 1 - i];
      const int full = band.bottom - band.top;
      const int h = band.grows ? full * k / steps : full;
      if (full <= 0 || h <= 0) continue;
      if (!down) y -= h;
      ::StretchBlt(*dc, area.left, y, w, h, *source, 0, band.top, w, full, SRCCOPY);
      if (down) y += h;
    }
    if (k < steps && !pacer.Hold()) break;
  }
  ::SetStretchBltMode(*dc, old_mode);
}
