// Shared fixture of the scroll-bar tests: a borderless form on screen, skins from the program's
// resources, and mouse messages sent straight to a bar.
#pragma once

#include "fw_forms.h"
#include "skin_resources.h"
#include "window_test.h"

namespace sbtest {

using testsupport::Pump;
using testsupport::ScrollSkinRes;
using testsupport::Skin;
using testsupport::Strip;

// A pixel's colour (0x00BBGGRR) in a picture.
inline COLORREF PixelOf(fw::TPngImage* p, int x, int y) {
    const uint8_t* c = p->Scanline(y) + 3 * x;
    return RGB(c[2], c[1], c[0]);
}

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
    // Hovered, then pressed.
    static void MovePress(fw::TControl* c, int x, int y) {
        Move(c, x, y);
        Press(c, x, y);
    }
    static int Thumb() { return GetSystemMetrics(SM_CYVTHUMB); }
    // Paints the whole form into Dib (which also lays the bars out).
    void Paint() { Form->PaintTo(Dib.Dc(), 0, 0); }

    testsupport::TPlainForm* Form = nullptr;
    testsupport::DibSurface Dib{240, 260};
};

}  // namespace sbtest
