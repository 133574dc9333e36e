// Parent backgrounds for transparent controls: the parent's own picture (and, for the Qim family,
// the windowless siblings beneath) painted into a canvas under the control's position.
#pragma once

#include "fw_controls.h"

// The control's parent painted into the canvas under the control's position: the parent's erase
// (sent through its WindowProc with the canvas's context) and its own drawing, without the
// windowless controls standing on it. Nothing without a control or a parent window.
void PaintParentBackground(fw::TControl* Control, fw::TCanvas* Canvas);

// The parent's own drawing (no erase) and, for a named control, the visible windowless siblings
// beneath it that overlap it, painted into the canvas under the control's position.
void DrawParentBackground(fw::TControl* Control, fw::TCanvas* Canvas);
// The same with the control's rectangle given (parent coordinates) for the overlap tests; the
// size and name conditions do not apply.
void DrawParentBackground(fw::TControl* Control, fw::TCanvas* Canvas, const fw::TRect& ControlRect);
