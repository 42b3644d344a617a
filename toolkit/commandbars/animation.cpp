#include "toolkit/commandbars/animation.h"

#include <algorithm>
#include <cstring>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/seams.h"

namespace {
bool g_animation_option = false;

// Copies the rectangle `rc` of a 32-bit image `width` pixels wide into (or out of) a packed
// image of the rectangle's size.
void CopyOut(const DWORD* from, int width, const CRect& rc, DWORD* to) {
  for (int y = 0; y < rc.Height(); ++y)
    std::memcpy(to + static_cast<size_t>(y) * rc.Width(), from + static_cast<size_t>(rc.top + y) * width + rc.left,
                static_cast<size_t>(rc.Width()) * 4);
}
void CopyIn(const DWORD* from, const CRect& rc, DWORD* to, int width) {
  for (int y = 0; y < rc.Height(); ++y)
    std::memcpy(to + static_cast<size_t>(rc.top + y) * width + rc.left, from + static_cast<size_t>(y) * rc.Width(),
                static_cast<size_t>(rc.Width()) * 4);
}
}  // namespace

CTKCommandBarAnimation::CAnimateInfo::CAnimateInfo(const CRect& r, HDC) : rect(r) {
  void* bits = nullptr;
  old_image = KestrinWinNS::CreateDib32(r.Width(), r.Height(), &bits);
  old_bits = static_cast<DWORD*>(bits);
  new_image = KestrinWinNS::CreateDib32(r.Width(), r.Height(), &bits);
  new_bits = static_cast<DWORD*>(bits);
}

CTKCommandBarAnimation::~CTKCommandBarAnimation() { DropAll(); }

void CTKCommandBarAnimation::SetAnimationOption(bool on) { g_animation_option = on; }
bool CTKCommandBarAnimation::GetAnimationOption() { return g_animation_option; }

void CTKCommandBarAnimation::Attach(HWND window, DrawFn draw) {
  window_ = window;
  draw_ = std::move(draw);
}

void CTKCommandBarAnimation::Attach(CTKCommandBar* bar) {
  Attach(bar->GetSafeHwnd(), [bar](CDC* dc, const CRect& clip) { bar->PaintFaceAndBar(dc, clip); });
}

CSize CTKCommandBarAnimation::ClientSize() const {
  RECT rc{};
  if (window_) ::GetClientRect(window_, &rc);
  return CSize(rc.right - rc.left, rc.bottom - rc.top);
}

void CTKCommandBarAnimation::DropSnapshot() {
  snapshot_.Reset();
  snapshot_size_ = CSize();
}

void CTKCommandBarAnimation::Refresh(const RECT* rect, bool animate) {
  if (!window_) return;
  const CSize client = ClientSize();
  if (!rect) DropSnapshot();
  CRect rc = rect ? CRect(*rect) : CRect();
  rc.IntersectRect(rc, CRect(0, 0, client.cx, client.cy));
  if (!rect || rc.IsRectEmpty() || !HasSnapshot() || snapshot_size_ != client || !IsAnimationOn() || !draw_) {
    // Nothing to fade from: the next paint draws the part.
    repaint_needed_ = true;
    ::InvalidateRect(window_, rect, FALSE);
    return;
  }
  // The part's new look, drawn off screen.
  void* look_bits = nullptr;
  KestrinWinNS::CScopedBitmap look = KestrinWinNS::CreateDib32(client.cx, client.cy, &look_bits);
  if (!look_bits) {
    repaint_needed_ = true;
    ::InvalidateRect(window_, rect, FALSE);
    return;
  }
  {
    KestrinWinNS::CBitmapDC memory(nullptr, look.Get());
    CDC dc;
    dc.Attach(memory.Get());
    ::IntersectClipRect(memory.Get(), rc.left, rc.top, rc.right, rc.bottom);
    draw_(&dc, rc);
    dc.Detach();
  }
  ::GdiFlush();
  DIBSECTION section{};
  ::GetObjectW(snapshot_.Get(), sizeof(section), &section);
  DWORD* snapshot_bits = static_cast<DWORD*>(section.dsBm.bmBits);
  const DWORD* new_look = static_cast<const DWORD*>(look_bits);
  if (animate) {
    std::unique_ptr<CAnimateInfo> info(new CAnimateInfo(rc, nullptr));
    if (!info->old_bits || !info->new_bits) return;
    CopyOut(snapshot_bits, client.cx, rc, info->old_bits);
    CopyOut(new_look, client.cx, rc, info->new_bits);
    CopyIn(info->new_bits, rc, snapshot_bits, client.cx);
    // A redraw that changed no pixel starts nothing.
    if (std::memcmp(info->old_bits, info->new_bits, info->ByteCount()) == 0) return;
    AddAnimation(std::move(info));
    return;
  }
  YieldArea(rc, true);
  std::vector<DWORD> part(static_cast<size_t>(rc.Width()) * rc.Height());
  CopyOut(new_look, client.cx, rc, part.data());
  CopyIn(part.data(), rc, snapshot_bits, client.cx);
  KestrinWinNS::CScopedClientDC window_dc(window_);
  KestrinWinNS::CBitmapDC memory(window_dc.Get(), snapshot_.Get());
  ::BitBlt(window_dc.Get(), rc.left, rc.top, rc.Width(), rc.Height(), memory.Get(), rc.left, rc.top, SRCCOPY);
}

void CTKCommandBarAnimation::AddAnimation(std::unique_ptr<CAnimateInfo> info) {
  // Fades wholly inside the new one are overtaken by it.
  animations_.erase(std::remove_if(animations_.begin(), animations_.end(),
                                   [&](const std::unique_ptr<CAnimateInfo>& a) {
                                     CRect meet;
                                     meet.IntersectRect(a->rect, info->rect);
                                     return meet == a->rect;
                                   }),
                    animations_.end());
  animations_.push_back(std::move(info));
  if (!timer_running_) {
    TKSetTimer(window_, kTimerId, kTimerPeriod);
    timer_running_ = true;
  }
  KestrinWinNS::CScopedClientDC dc(window_);
  DrawStep(dc.Get(), *animations_.back());
}

void CTKCommandBarAnimation::DrawStep(HDC dc, CAnimateInfo& info) {
  const CRect& rc = info.rect;
  const int saved = ::SaveDC(dc);
  for (const RECT& r : info.excluded) ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  if (info.step >= kLastStep) {
    KestrinWinNS::CBitmapDC memory(dc, info.new_image.Get());
    ::BitBlt(dc, rc.left, rc.top, rc.Width(), rc.Height(), memory.Get(), 0, 0, SRCCOPY);
  } else {
    void* bits = nullptr;
    KestrinWinNS::CScopedBitmap blend = KestrinWinNS::CreateDib32(rc.Width(), rc.Height(), &bits);
    if (bits) {
      const unsigned a = static_cast<unsigned>(info.step) * 255 / kLastStep;
      const BYTE* from = reinterpret_cast<const BYTE*>(info.old_bits);
      const BYTE* to = reinterpret_cast<const BYTE*>(info.new_bits);
      BYTE* out = static_cast<BYTE*>(bits);
      const size_t count = info.ByteCount();
      for (size_t i = 0; i < count; ++i) out[i] = static_cast<BYTE>((to[i] * a + from[i] * (255 - a)) >> 8);
      KestrinWinNS::CBitmapDC memory(dc, blend.Get());
      ::BitBlt(dc, rc.left, rc.top, rc.Width(), rc.Height(), memory.Get(), 0, 0, SRCCOPY);
    }
  }
  ::RestoreDC(dc, saved);
  ++info.step;
}

bool CTKCommandBarAnimation::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  if (window_ && !animations_.empty()) {
    {
      KestrinWinNS::CScopedClientDC dc(window_);
      for (auto& info : animations_) DrawStep(dc.Get(), *info);
    }
    animations_.erase(std::remove_if(animations_.begin(), animations_.end(),
                                     [](const std::unique_ptr<CAnimateInfo>& a) { return a->step > kLastStep; }),
                      animations_.end());
  }
  if (animations_.empty() && timer_running_) {
    TKKillTimer(window_, kTimerId);
    timer_running_ = false;
  }
  return true;
}

void CTKCommandBarAnimation::YieldArea(const RECT& rect, bool exclude) {
  const CRect area(rect);
  for (auto it = animations_.begin(); it != animations_.end();) {
    CRect meet;
    meet.IntersectRect((*it)->rect, area);
    if (meet == (*it)->rect) {
      it = animations_.erase(it);
      continue;
    }
    if (exclude && !meet.IsRectEmpty()) (*it)->excluded.push_back(rect);
    ++it;
  }
}

void CTKCommandBarAnimation::DropAll() {
  animations_.clear();
  if (timer_running_) {
    if (window_ && ::IsWindow(window_)) TKKillTimer(window_, kTimerId);
    timer_running_ = false;
  }
}

void CTKCommandBarAnimation::OnDestroy() {
  DropAll();
  DropSnapshot();
}

void CTKCommandBarAnimation::PaintFromSnapshot(HDC paint_dc, const RECT& paint_rect) {
  const CSize client = ClientSize();
  const CRect whole(0, 0, client.cx, client.cy);
  if (HasSnapshot() && snapshot_size_ != client) DropSnapshot();
  if (!IsAnimationOn() && !double_buffered_) {
    DropSnapshot();
    {
      CTKBufferDC buffer(paint_dc, whole);
      ::IntersectClipRect(buffer.GetSafeHdc(), paint_rect.left, paint_rect.top, paint_rect.right, paint_rect.bottom);
      if (draw_) draw_(&buffer, CRect(paint_rect));
    }
    DropAll();
  } else if (repaint_needed_ || !HasSnapshot()) {
    CRect rc(paint_rect);
    if (!HasSnapshot()) {
      snapshot_ = KestrinWinNS::CreateDib32(client.cx, client.cy);
      snapshot_size_ = client;
      rc = whole;
    }
    if (snapshot_) {
      KestrinWinNS::CBitmapDC memory(paint_dc, snapshot_.Get());
      CDC dc;
      dc.Attach(memory.Get());
      const int saved = ::SaveDC(memory.Get());
      ::IntersectClipRect(memory.Get(), rc.left, rc.top, rc.right, rc.bottom);
      if (draw_) draw_(&dc, rc);
      ::RestoreDC(memory.Get(), saved);
      dc.Detach();
      ::BitBlt(paint_dc, rc.left, rc.top, rc.Width(), rc.Height(), memory.Get(), rc.left, rc.top, SRCCOPY);
    }
    DropAll();
  } else {
    KestrinWinNS::CBitmapDC memory(paint_dc, snapshot_.Get());
    ::BitBlt(paint_dc, paint_rect.left, paint_rect.top, paint_rect.right - paint_rect.left,
             paint_rect.bottom - paint_rect.top, memory.Get(), paint_rect.left, paint_rect.top, SRCCOPY);
  }
  repaint_needed_ = false;
}
