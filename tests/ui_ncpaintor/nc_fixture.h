// Shared pieces of the non-client painter tests: a painter that opens its composition state,
// pictures made pixel by pixel, and the window fixture with composition switched off.
#pragma once

#include "VeskNcPaintor.h"
#include "skin_resources.h"
#include "window_test.h"

namespace nctest {

using testsupport::NcSkinResource;
using testsupport::PixelColor;
using testsupport::WindowRect;
using testsupport::Skin;

class TProbePaintor : public TVeskNcPaintor {
public:
    FW_CLASSNAME(TProbePaintor)
    explicit TProbePaintor(fw::TComponent* AOwner) : TVeskNcPaintor(AOwner) {}
    fw::TBitmap* NcBitmap() const { return FNcBitmap.get(); }
    fw::TBitmap* ClientBitmap() const { return FClientBitmap.get(); }
    fw::TRect Margins() const { return FMargins; }
    fw::TRect TextRect() const { return FTextRect; }
    int HoverCode() const { return FHoverCode; }
    int PressedCode() const { return FPressedCode; }
};

inline TPngPtr SolidPng(int W, int H, fw::TColor C) { return CreateColorPng(W, H, C, 255); }

// An opaque picture whose pixel (x, y) is Color(x, y) (0x00BBGGRR).
template <class F>
TPngPtr PaintedPng(int W, int H, F Color) {
    auto p = std::make_unique<fw::TPngImage>();
    p->CreateBlank(fw::png::COLOR_RGB, 8, W, H);
    p->CreateAlpha();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const COLORREF c = static_cast<COLORREF>(Color(x, y));
            uint8_t* px = p->Scanline(y) + 3 * x;
            px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
        }
    return p;
}

inline void SetBorder(TVeskFormBorder* B, int Width) {
    B->SetLeft(Width), B->SetTop(Width), B->SetRight(Width), B->SetBottom(Width);
}

inline COLORREF PngColor(fw::TPngImage* P, int X, int Y) {
    const uint8_t* px = P->Scanline(Y) + 3 * X;
    return RGB(px[2], px[1], px[0]);
}

class NcTest : public testsupport::WindowTest {
protected:
    // A 300 x 200 form with the system's sizeable frame at (60, 60).
    testsupport::TPlainForm* FramedForm() {
        auto* f = NewForm(300, 200, fw::clWhite, 60, 60);
        f->SetBorderStyle(fw::bsSizeable);
        return f;
    }
    // Screen point of a window-coordinate point of the form, as a message's LPARAM.
    static LPARAM ScreenAt(fw::TForm* F, POINT P) {
        const RECT r = WindowRect(F);
        return testsupport::Pt(r.left + P.x, r.top + P.y);
    }
    static POINT Centre(const fw::TRect& R) { return POINT{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
    static int HitAt(fw::TForm* F, int X, int Y) {
        return int(SendMessageW(F->GetHandle(), WM_NCHITTEST, 0, ScreenAt(F, POINT{X, Y})));
    }
    static void NcPaint(fw::TForm* F) { SendMessageW(F->GetHandle(), WM_NCPAINT, 1, 0); }

private:
    // Whether Wine reports composition depends on the prefix's Windows version: tests choose.
    testsupport::TSwap<TNcCompositionProc> Composition{NcCompositionEnabledProc, [] { return false; }};
    testsupport::TSwap<TNcAllowNcPaintProc> AllowNcPaint{NcAllowNcPaintProc, [](HWND) {}};
};

}  // namespace nctest
