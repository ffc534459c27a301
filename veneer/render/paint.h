// Paints a window tree onto a render target: each visible window's
// background colour, skin, text, children and border, parent first.
#pragma once

#include "veneer/render/render_target.h"
#include "veneer/wnd/vwindow.h"

namespace veneer {

void PaintWindowTree(const VWindow& window, IRenderTarget& target);

// The deepest visible, enabled window under (x, y) in host client coordinates; null when none.
VWindow* WindowAtPoint(VWindow& root, int x, int y);

// The caption a press on `hit` drags the host by: `hit` or its nearest
// caption ancestor, unless `hit` is a button (whose press is its own); null
// when the press is not on a caption.
const VWindow* CaptionToDrag(const VWindow* hit);

}  // namespace veneer
