// Icons of controls in the variant their state asks for; the themes differ only in how a
// disabled or indeterminate icon without a variant of its own is drawn.
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"

void CTKPaintManager::PaintIconForState(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& s,
                                        int disabledColour, bool embossed, int indeterminateColour) {
  if (!image) return;
  CTKImageManager* images = image->Width() ? &CTKImageManager::Instance() : nullptr;
  if (!images) return;
  using State = CTKImageManagerIcon::State;
  auto draw = [&](int state, CPoint at) {
    const CTKIconImage& img = image->GetImageOfState(state);
    images->DrawImage(*dc, at.x, at.y, image, img, size.cx, size.cy);
  };
  const bool keyboardPressed = s.pressed == 2 || s.pressed == 3;
  if (!s.enabled) {
    const bool own = !image->UserImage(State::kDisabled).IsEmpty();
    if (disabled_variants_ || own) {
      // A generated variant takes the two colours of the face gradient, by luminance.
      const COLORREF light = face_gradient_.light.Color(), dark = face_gradient_.dark.Color();
      if (!own && tinted_disabled_ && (images->DisabledLight() != light || images->DisabledDark() != dark))
        images->SetDisabledColors(light, dark);
      draw(State::kDisabled, pt);
    } else {
      const CTKIconImage& img = image->GetImageOfState(State::kNormal);
      if (embossed) images->DrawSilhouette(*dc, pt.x + 1, pt.y + 1, img, size.cx, size.cy, ResolveColor(20));
      images->DrawSilhouette(*dc, pt.x, pt.y, img, size.cx, size.cy, ResolveColor(disabledColour));
    }
    return;
  }
  if (s.checked == 2 && !s.pressed) {
    if (!image->UserImage(State::kDisabled).IsEmpty())
      draw(State::kDisabled, pt);
    else
      images->DrawSilhouette(*dc, pt.x, pt.y, image->GetImageOfState(State::kNormal), size.cx, size.cy,
                             ResolveColor(indeterminateColour));
    return;
  }
  if (s.popped) {
    draw(s.checked ? State::kChecked : State::kNormal, pt);
  } else if (s.checked) {
    draw(State::kChecked, pt);
  } else if (s.selected && s.pressed) {
    draw(State::kPressed, CPoint(pt.x + 1, pt.y + 1));
  } else if (s.selected || s.pressed == 1) {
    if (icon_shadow_ && !image->GetShadowImage().IsEmpty()) {
      images->DrawImage(*dc, pt.x + 1, pt.y + 1, image, image->GetShadowImage(), size.cx, size.cy);
      draw(State::kHot, CPoint(pt.x - 1, pt.y - 1));
    } else {
      draw(State::kHot, pt);
    }
  } else if (keyboardPressed) {
    draw(State::kPressed, CPoint(pt.x + 1, pt.y + 1));
  } else if (faded_icons_) {
    images->DrawImage(*dc, pt.x, pt.y, image, image->GetFadedImage(), size.cx, size.cy);
  } else {
    draw(State::kNormal, pt);
  }
}
