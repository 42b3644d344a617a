// The skin object of progress bars: the bar and its chunks drawn by the skin.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectProgress : public CTKSkinObjectFrame {
 public:
  enum Part { kBar = 1, kBarVert = 2, kChunk = 3, kChunkVert = 4 };

  CTKSkinObjectProgress() : CTKSkinObjectFrame(L"PROGRESS") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnSkinStateChange(int oldLoaded, int newLoaded) override;
  void Paint(HDC dc);
  // The chunk rectangles for the bar's current position, in client coordinates.
  int ChunkRects(RECT* out, int capacity);
};
