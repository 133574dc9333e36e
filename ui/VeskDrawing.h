// Skin drawing routines of the Vesk family: cutting state strips, three-part and nine-part skins
// (ends and corners kept, edges and middles repeated), recolouring, greying, fading, cropping and
// text with a usable alpha plane.
//
// Every picture a routine returns is new and owned by the caller; nullptr means "none". Images
// created here are 8-bit RGBA (colour type 6). Rounding is to nearest with halves to even; alpha
// products divide by 255 truncating.
#pragma once

#include "fw_graphics.h"
#include "fw_png.h"

#include <array>
#include <memory>
#include <string>

using TPngPtr = std::unique_ptr<fw::TPngImage>;
// Top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right.
using TPng9Pieces = std::array<TPngPtr, 9>;

// Frame i of a horizontal strip of N equal frames; nullptr when the width does not divide by N.
TPngPtr GetStatePng(fw::TPngImage* Png, int FrameCount, int Index);

// Three-part skins: the ends (columns [0, A) and [B, width)) are kept, the middle [A, B) repeats to
// fill the target width. Opacity 0..255 scales alpha; Color recolours unless it is clNone.
TPngPtr StretchPngHorz(fw::TPngImage* Png, int A, int B, int Opacity, fw::TColor Color, int TargetWidth);
TPngPtr StretchPngVert(fw::TPngImage* Png, int A, int B, int Opacity, fw::TColor Color, int TargetHeight);

// Cuts at the two split points into nine pieces. False (and no pieces) on bad arguments.
bool SplitPng9(fw::TPngImage* Png, int X1, int Y1, int X2, int Y2, int Opacity, fw::TColor Color, TPng9Pieces& Pieces);
// Joins nine pieces into a W x H picture, repeating edges and centre (the last repetition is cut).
TPngPtr BuildPng9(int W, int H, const TPng9Pieces& Pieces);
// Sizes the 32-bit bitmap to W x H, clears it and draws the nine pieces alpha-blended, tiling edges
// and centre (the last tile is squeezed into the remaining space).
void DrawPng9Tiled(fw::TBitmap* Bitmap, int W, int H, const TPng9Pieces& Pieces);
void TilePngHorz(fw::TBitmap* Bitmap, fw::TGraphic* Graphic, const fw::TRect& Rect);
void TilePngVert(fw::TBitmap* Bitmap, fw::TGraphic* Graphic, const fw::TRect& Rect);
void TilePngBoth(fw::TBitmap* Bitmap, fw::TGraphic* Graphic, const fw::TRect& Rect);

// Moves a pixel toward its grey value; 255 makes it exactly grey.
void GreyPixel(uint8_t& R, uint8_t& G, uint8_t& B, int Amount);
// Greys a picture in place: grey types unchanged, palette pictures through their palette.
void GreyPng(fw::TPngImage* Png, int Amount);

// The library's own HSL: hue 0..360, saturation and lightness 0..100.
void RgbToHsl(int R, int G, int B, double& H, double& S, double& L);
// Black unless 0 <= H < 360, 0 <= S <= 100, 0 <= L <= 100.
void HslToRgb(double H, double S, double L, uint8_t& R, uint8_t& G, uint8_t& B);
// Gives pixel X of a colour-plane row (B, G, R bytes) the hue and saturation of Color, keeping its
// lightness.
void ColorizePixel(uint8_t* Row, int X, fw::TColor Color);

void SetPngAlpha(fw::TPngImage* Png, uint8_t Alpha);
// Alpha := alpha * Factor div 255 for 0 <= Factor <= 255; other factors change nothing.
void ScalePngAlpha(fw::TPngImage* Png, int Factor);
TPngPtr CreateColorPng(int Width, int Height, fw::TColor Color, int Alpha);
// The rectangle of the picture; nullptr unless it lies wholly inside.
TPngPtr CropPng(fw::TPngImage* Png, const fw::TRect& Rect);

// Every byte of every pixel becomes 0, row by row along the bitmap's own stride.
void ClearBitmap32(fw::TBitmap* Bitmap);
// AlphaBlend of the whole source onto the target rectangle with a constant alpha, when the source's
// size equals the rectangle's.
void AlphaBlendBitmap(fw::TBitmap* Source, fw::TBitmap* Target, const fw::TRect& Rect, uint8_t Alpha);

// Rewrites the alpha of Drawn by comparing it with Before, a copy taken before text was drawn:
// unchanged pixels become transparent, pixels whose three colour bytes all changed opaque, partly
// changed (smoothed) pixels keep their alpha.
void AlphaMaskFromPair(fw::TPngImage* Drawn, fw::TPngImage* Before);
// The rectangle of a 32-bit bitmap as a picture with the text drawn on it (left, top, ending in an
// ellipsis) and an alpha plane rebuilt by AlphaMaskFromPair.
TPngPtr RenderWithAlphaMask(fw::TBitmap* Bitmap, const std::wstring& Text, fw::TFont* Font, const fw::TRect& Rect);
