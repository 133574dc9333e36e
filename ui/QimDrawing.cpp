#include "QimDrawing.h"

#include <cstring>

using namespace fw;

TPngPtr CutStripFrame(TPngImage* Png, int FrameCount, int Index) { return GetStatePng(Png, FrameCount, Index); }

TPngPtr CutStripFrameVert(TPngImage* Png, int FrameCount, int Index) {
    if (!Png || Png->GetEmpty() || FrameCount < 1 || Index < 0 || Index >= FrameCount) return nullptr;
    if (Png->GetHeight() % FrameCount != 0) return nullptr;
    if (!Png->HasAlpha()) Png->CreateAlpha();
    const int w = Png->GetWidth(), h = Png->GetHeight() / FrameCount;
    auto out = std::make_unique<TPngImage>();
    out->CreateBlank(png::COLOR_RGBALPHA, 8, w, h);
    for (int y = 0; y < h; ++y) {
        std::memcpy(out->Scanline(y), Png->Scanline(Index * h + y), size_t(w) * 3);
        std::memcpy(out->AlphaScanline(y), Png->AlphaScanline(Index * h + y), size_t(w));
    }
    return out;
}

namespace {

bool Stretch3ArgsOk(TPngImage* Png, int A, int B, int Opacity, int Length) {
    return Png && !Png->GetEmpty() && Opacity >= 0 && Opacity <= 255 && A > 0 && B != 0 && A <= B && A <= Length &&
           B <= Length;
}

}  // namespace

TPngPtr StretchPng3(TPngImage* Png, int A, int B, int Opacity, TColor Color, int TargetWidth) {
    if (!Stretch3ArgsOk(Png, A, B, Opacity, Png ? Png->GetWidth() : 0)) return nullptr;
    return StretchPngHorz(Png, A, B, Opacity, Color, TargetWidth);
}

TPngPtr StretchPng3Vert(TPngImage* Png, int A, int B, int Opacity, TColor Color, int TargetHeight) {
    return StretchPngVert(Png, A, B, Opacity, Color, TargetHeight);
}

void GreyenPixel(uint8_t& R, uint8_t& G, uint8_t& B, int Amount) { GreyPixel(R, G, B, Amount); }

void GreyenPng(TPngImage* Png, int Amount) { GreyPng(Png, Amount); }

void ScaleBitmap32Alpha(TBitmap32* Bitmap, const TRect& Rect, int Factor) {
    if (Bitmap) Bitmap->ScaleAlpha(Rect, Factor);
}
