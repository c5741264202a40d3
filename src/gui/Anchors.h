#pragma once
// Anchors for controls placed at fixed coordinates: an anchored side keeps its distance to the
// same side of the parent when the parent is resized; a control anchored to both opposite sides
// stretches, one anchored to neither keeps its size and its place on that axis.
#include <QFlags>

class QWidget;

namespace platform {

enum class AnchorSide { Left = 1, Top = 2, Right = 4, Bottom = 8 };
Q_DECLARE_FLAGS(AnchorSides, AnchorSide)
Q_DECLARE_OPERATORS_FOR_FLAGS(AnchorSides)

// Anchors the control to the sides of its parent, taking the distances from the current geometry
// of both (so place the control and size the parent to the design first). Anchoring again
// replaces the earlier sides and distances. The bookkeeping lives with the parent and forgets
// controls that are deleted or moved to another parent.
void Anchor(QWidget& control, AnchorSides sides);

} // namespace platform
