// Shared fixture of the scroll-bar tests: a borderless form on screen, skins from the program's
// resources, synthetic strips with known pixels, and mouse messages sent to a control.
#pragma once

#include <gtest/gtest.h>

#include "fw_forms.h"
#include "fw_png.h"
#include "skin_support.h"
#include "test_support.h"
#include "window_test.h"

#include <memory>
#include <vector>

namespace sbtest {

using testsupport::Pump;
using testsupport::Skin;
using testsupport::Strip;

// The same frames stacked top to bottom.
inline std::unique_ptr<fw::TPngImage> VerticalStrip(int FrameW, int FrameH, const std::vector<COLORREF>& Colors) {
    auto png = Strip(FrameW, FrameH * static_cast<int>(Colors.size()), {0});
    for (int y = 0; y < png->GetHeight(); ++y)
        for (int x = 0; x < FrameW; ++x) {
            uint8_t* c = png->Scanline(y) + 3 * x;
            c[0] = GetBValue(Colors[y / FrameH]), c[1] = GetGValue(Colors[y / FrameH]), c[2] = GetRValue(Colors[y / FrameH]);
        }
    return png;
}

// A pixel's colour (0x00BBGGRR) in a picture.
inline COLORREF PixelOf(fw::TPngImage* p, int x, int y) {
    const uint8_t* c = p->Scanline(y) + 3 * x;
    return RGB(c[2], c[1], c[0]);
}

// A skin resource of class R with the program's scroll-bar pictures and the given arrows.
template <class R>
R* SkinRes(fw::TComponent* Owner, const wchar_t* Up = L"SB_UP", const wchar_t* Down = L"SB_DOWN") {
    auto* res = new R(Owner);
    res->SetImgBack(Skin(L"SB_BACK").get());
    res->SetImgSlider(Skin(L"SB_SLIDER").get());
    res->SetImgBtnLT(Skin(Up).get());
    res->SetImgBtnRB(Skin(Down).get());
    res->SetImgCenter(Skin(L"SB_CENTER").get());
    res->GetSliderSplit()->SetTop(7);
    res->GetSliderSplit()->SetBottom(15);
    return res;
}

// A borderless form on screen for the bars; mouse messages go straight to a bar.
class ScrollBarTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(240, 260, RGB(0x20, 0x40, 0x60));
    }
    static void Move(fw::TControl* c, int x, int y, bool left = false) {
        c->Perform(WM_MOUSEMOVE, left ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    static void Press(fw::TControl* c, int x, int y) { c->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    static void Release(fw::TControl* c, int x, int y) { c->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    static int Thumb() { return GetSystemMetrics(SM_CYVTHUMB); }
    // Paints the whole form into Dib (which also lays the bars out).
    void Paint() { Form->PaintTo(Dib.Dc(), 0, 0); }

    testsupport::TPlainForm* Form = nullptr;
    testsupport::DibSurface Dib{240, 260};
};

}  // namespace sbtest
