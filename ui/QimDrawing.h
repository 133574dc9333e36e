// Skin drawing routines of the Qim family. They compute what their Vesk counterparts compute; the
// colour-space routines (RgbToHsl, HslToRgb, ColorizePixel) are shared with the Vesk family.
#pragma once

#include "QimUIType.h"
#include "VeskDrawing.h"

// Frame i of a strip of N equal frames side by side (CutStripFrame) or stacked (CutStripFrameVert).
TPngPtr CutStripFrame(fw::TPngImage* Png, int FrameCount, int Index);
TPngPtr CutStripFrameVert(fw::TPngImage* Png, int FrameCount, int Index);
// Three-part stretch; unlike StretchPngHorz, arguments are checked before the picture is given an
// alpha plane, so refused calls leave it alone.
TPngPtr StretchPng3(fw::TPngImage* Png, int A, int B, int Opacity, fw::TColor Color, int TargetWidth);
TPngPtr StretchPng3Vert(fw::TPngImage* Png, int A, int B, int Opacity, fw::TColor Color, int TargetHeight);
void GreyenPixel(uint8_t& R, uint8_t& G, uint8_t& B, int Amount);
void GreyenPng(fw::TPngImage* Png, int Amount);
// Every pixel of the rectangle: B, G, R := round(c * Factor / 255), alpha := alpha * Factor div 255,
// fading a premultiplied picture as a whole.
void ScaleBitmap32Alpha(fw::TBitmap32* Bitmap, const fw::TRect& Rect, int Factor);
