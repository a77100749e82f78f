// TCustomPanel: a control drawn as bevels, a face colour and a centred caption.
// Painting, for backends, in this order: the outer bevel (if any) BevelWidth
// pixels inside the edge, the inner bevel inside it (raised: highlight top and
// left, shadow bottom and right; lowered: the reverse), the face in Color, then
// the caption in Font, centred horizontally and on the height of "W" vertically.
#pragma once

#include "ui/Control.h"

namespace ui {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

const char* BevelToString(TBevelCut Bevel);

class TCustomPanel : public TControl {
public:
  explicit TCustomPanel(TComponent* AOwner);

  TBevelCut BevelOuter() const { return FBevelOuter; }
  // Every assignment repaints, even of the current value.
  void SetBevelOuter(TBevelCut Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  int BevelWidth() const { return FBevelWidth; }

private:
  TBevelCut FBevelOuter = TBevelCut::bvRaised;
  TBevelCut FBevelInner = TBevelCut::bvNone;
  int FBevelWidth = 1;
};

} // namespace ui
