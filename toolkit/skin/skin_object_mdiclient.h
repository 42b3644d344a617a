// The skin object of MDI client windows: its own scroll bars redrawn after they move, skinned
// children kept covering the client when maximised, and their frames recomputed when arranged.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectMDIClient : public CTKSkinObjectFrame {
 public:
  // The message the MDI client sends itself to recompute its scroll bars.
  static constexpr UINT kCalcScroll = 0x3F;

  CTKSkinObjectMDIClient() : CTKSkinObjectFrame(L"WINDOW") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void CoverWithMaximisedChild();
  bool arranging_ = false;
};
