// The skin object of track bars: channel, tics and thumb drawn by the skin, the thumb's hot
// state followed.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectTrackBar : public CTKSkinObjectFrame {
 public:
  enum Part {
    kTrack = 1, kTrackVert = 2, kThumb = 3, kThumbBottom = 4, kThumbTop = 5, kThumbVert = 6, kThumbLeft = 7,
    kThumbRight = 8, kTics = 9, kTicsVert = 10,
  };
  enum State { kNormal = 1, kHot = 2, kPressed = 3, kFocused = 4, kDisabled = 5 };

  CTKSkinObjectTrackBar() : CTKSkinObjectFrame(L"TRACKBAR") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  void ThumbLook(int* part, int* state) const;

 private:
  void DrawTics(HDC dc, const RECT& channel, bool vertical, LONG style);
  bool hot_ = false;
};
