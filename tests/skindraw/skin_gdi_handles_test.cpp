// The skin routines that draw through device contexts give back every GDI handle they make. The
// handles a process holds are measured as headroom (how many more objects can be made), since the
// count itself cannot be read under every platform.
#include <gtest/gtest.h>

#include "test_support.h"

#include "VeskDrawing.h"

#include <vector>

using namespace fw;
using namespace testsupport;

TEST(SkinGdiHandles, DrawingRoutinesGiveEveryHandleBack) {
    TPngImage skin;
    skin.CreateBlank(png::COLOR_RGBALPHA, 8, 12, 12);
    TFont font;
    font.SetHeight(-12);
    auto work = [&] {
        TPng9Pieces pieces;
        ASSERT_TRUE(SplitPng9(&skin, 3, 3, 8, 8, 255, clNone, pieces));
        TBitmap frame;
        DrawPng9Tiled(&frame, 50, 40, pieces);
        TilePngBoth(&frame, pieces[4].get(), Rect(0, 0, 30, 30));
        TPngPtr text = RenderWithAlphaMask(&frame, L"Menu item", &font, Rect(2, 2, 48, 20));
        ASSERT_NE(text, nullptr);
        frame.GetCanvas()->Draw(0, 0, text.get());
        TBitmap part;
        part.SetPixelFormat(pf32bit);
        part.SetSize(10, 10);
        AlphaBlendBitmap(&part, &frame, Rect(5, 5, 15, 15), 100);
        TPngPtr colour = CreateColorPng(10, 10, clBtnFace, 128);
        TPngPtr built = BuildPng9(30, 30, pieces);
        ASSERT_NE(built, nullptr);
    };
    work();  // first-use caches are not leaks
    const int before = GdiHeadroom();
    for (int i = 0; i < 300; ++i) work();
    EXPECT_LE(before - GdiHeadroom(), 10);
}
