// The skin drawing routines: strips, three-part and nine-part skins, recolouring, greying, alpha
// operations and text with a rebuilt alpha plane.
#include <gtest/gtest.h>

#include "QimDrawing.h"
#include "QimUIType.h"
#include "VeskDrawing.h"
#include "VeskType.h"
#include "test_support.h"

#include <cstring>
#include <vector>

using namespace fw;

namespace {

// Pixel (x, y) has blue x, green 100 + y, red 7 and alpha 255 - x.
TPngPtr Columns(int w, int h, bool alpha = true) {
    auto p = std::make_unique<TPngImage>();
    p->CreateBlank(alpha ? png::COLOR_RGBALPHA : png::COLOR_RGB, 8, w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t bgr[3] = {uint8_t(x), uint8_t(100 + y), 7};
            std::memcpy(p->Scanline(y) + 3 * x, bgr, 3);
            if (alpha) p->AlphaScanline(y)[x] = uint8_t(255 - x);
        }
    }
    return p;
}

// Blue byte of a pixel: the source column it came from in pictures made by Columns().
int SrcCol(const TPngImage& p, int x, int y) { return p.Scanline(y)[3 * x]; }
int SrcRow(const TPngImage& p, int x, int y) { return p.Scanline(y)[3 * x + 1] - 100; }

}  // namespace

// ---------------------------------------------------------------------------------------------

TEST(ThreePart, MiddleRepeatsEndsStayAndEveryWriteStaysInside) {
    auto src = Columns(10, 2);  // left 0..2, middle 3..5, right 6..9
    const struct {
        int A, B, Width;
        std::vector<int> Cols;  // source column of each target column, -1 for transparent
    } cases[] = {
        {3, 6, 17, {0, 1, 2, 3, 4, 5, 3, 4, 5, 3, 4, 5, 3, 6, 7, 8, 9}},
        // Narrower than both ends: no middle, the right end over the left end's last columns.
        {3, 6, 5, {0, 6, 7, 8, 9}},
        // Narrower than the right end alone.
        {3, 6, 2, {8, 9}},
        // Equal split points: nothing to repeat, the gap stays transparent instead of dividing by zero.
        {4, 4, 12, {0, 1, 2, 3, -1, -1, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.A << "/" << c.B << " to " << c.Width);
        auto out = StretchPngHorz(src.get(), c.A, c.B, 255, clNone, c.Width);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->GetWidth(), c.Width);
        for (int x = 0; x < c.Width; ++x) {
            if (c.Cols[x] < 0) {
                EXPECT_EQ(out->AlphaScanline(1)[x], 0) << "column " << x;
            } else {
                EXPECT_EQ(SrcCol(*out, x, 1), c.Cols[x]) << "column " << x;
                EXPECT_EQ(out->AlphaScanline(1)[x], 255 - c.Cols[x]) << "alpha of column " << x;
            }
        }
    }
    // Refused arguments: split points (a negative first one among them), opacity, a target below
    // one pixel; by all four routines, the vertical ones on the same picture turned upright.
    const int refused[][4] = {{0, 6, 255, 20},  {6, 3, 255, 20},   {3, 11, 255, 20}, {3, 6, 256, 20},
                              {3, 6, -1, 20},   {3, 6, 255, 0},    {-2, 6, 255, 20}, {-1, 3, 255, 5},
                              {-5, -2, 255, 20}, {-3, 0, 255, 20}};
    auto upright = Columns(2, 10);
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::Message() << "case " << (&r - refused));
        EXPECT_EQ(StretchPngHorz(src.get(), r[0], r[1], r[2], clNone, r[3]), nullptr);
        EXPECT_EQ(StretchPng3(src.get(), r[0], r[1], r[2], clNone, r[3]), nullptr);
        EXPECT_EQ(StretchPngVert(upright.get(), r[0], r[1], r[2], clNone, r[3]), nullptr);
        EXPECT_EQ(StretchPng3Vert(upright.get(), r[0], r[1], r[2], clNone, r[3]), nullptr);
    }
}

TEST(ThreePart, VerticalOpacityRecolouringAndTheQimCheckBeforeAddingAlpha) {
    auto rows = Columns(2, 8, false);  // row y has green 100 + y
    auto out = StretchPngVert(rows.get(), 2, 5, 255, clNone, 13);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->GetHeight(), 13);
    const int expected[13] = {0, 1, 2, 3, 4, 2, 3, 4, 2, 3, 5, 6, 7};
    for (int y = 0; y < 13; ++y) EXPECT_EQ(SrcRow(*out, 1, y), expected[y]) << "row " << y;

    // The Qim horizontal copy checks before it adds alpha; the Vesk one adds it first.
    auto a = Columns(10, 1, false);
    auto b = Columns(10, 1, false);
    EXPECT_EQ(StretchPng3(a.get(), 0, 4, 255, clNone, 20), nullptr);
    EXPECT_FALSE(a->HasAlpha());
    EXPECT_EQ(StretchPngHorz(b.get(), 0, 4, 255, clNone, 20), nullptr);
    EXPECT_TRUE(b->HasAlpha());

    // Opacity scales alpha; a colour other than clNone recolours.
    TPngImage p;
    p.CreateBlank(png::COLOR_RGBALPHA, 8, 4, 1);
    std::memset(p.Scanline(0), 128, 12);
    std::memcpy(p.AlphaScanline(0), "\xFF\x01\x80\x00", 4);
    auto half = StretchPngHorz(&p, 1, 3, 128, clNone, 4);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->AlphaScanline(0)[0], 128);
    EXPECT_EQ(half->AlphaScanline(0)[1], 0);
    EXPECT_EQ(half->AlphaScanline(0)[2], 64);
    EXPECT_EQ(half->Scanline(0)[0], 128);  // no recolouring with clNone

    auto red = StretchPngHorz(&p, 1, 3, 255, clRed, 4);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->AlphaScanline(0)[1], 1);
    EXPECT_EQ(0, memcmp(red->Scanline(0), "\x01\x01\xFF", 3));  // mid grey toward pure red
}

// ---------------------------------------------------------------------------------------------

TEST(NinePart, JoinedCutsTheLastTileAndDrawnSqueezesIt) {
    // Source 7 x 6 cut at (2, 2) and (4, 3): columns [0,2) [2,4) [4,7), rows [0,2) [2,3) [3,6).
    auto src = Columns(7, 6);
    TPng9Pieces pieces;
    ASSERT_TRUE(SplitPng9(src.get(), 2, 2, 4, 3, 255, clNone, pieces));
    // 12 x 9: middle columns 2..8 (2 + 2 + 2 + 1, the last repetition cut), middle rows 2..5.
    auto out = BuildPng9(12, 9, pieces);
    ASSERT_NE(out, nullptr);
    const int cols[12] = {0, 1, 2, 3, 2, 3, 2, 3, 2, 4, 5, 6};
    const int rows[9] = {0, 1, 2, 2, 2, 2, 3, 4, 5};
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 12; ++x) {
            ASSERT_EQ(SrcCol(*out, x, y), cols[x]) << x << "," << y;
            ASSERT_EQ(SrcRow(*out, x, y), rows[y]) << x << "," << y;
            ASSERT_EQ(out->AlphaScanline(y)[x], 255 - cols[x]);
        }
    }
    // The middle must be at least one pixel each way.
    EXPECT_EQ(BuildPng9(5, 9, pieces), nullptr);
    EXPECT_NE(BuildPng9(6, 6, pieces), nullptr);
    EXPECT_EQ(BuildPng9(6, 5, pieces), nullptr);

    // Drawn 10 wide onto a bitmap of old pixels (cleared first): the top edge has 5 columns for 2.
    TBitmap bmp;
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(3, 3);
    for (int y = 0; y < 3; ++y) std::memset(bmp.ScanLine(y), 0xAB, 12);
    DrawPng9Tiled(&bmp, 10, 9, pieces);
    GdiFlush();
    auto pixel = [&](int x, int y) { return reinterpret_cast<const uint32_t*>(bmp.ScanLine(y))[x]; };
    // Premultiplied result of an opaque-ish source over a cleared frame.
    auto expect = [&](int col, int row) {
        const unsigned a = 255 - col;
        auto pm = [&](unsigned c) { return (c * a + 127) / 255; };
        return (a << 24) | (pm(7) << 16) | (pm(100 + row) << 8) | pm(col);
    };
    // Tiles at 2..3, 4..5, and the last one squeezed into column 6 (its first column, nearest neighbour).
    const int topCols[10] = {0, 1, 2, 3, 2, 3, 2, 4, 5, 6};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(pixel(x, 0), expect(topCols[x], 0)) << "top row, column " << x;
    // Centre rows 2..5 repeat the single centre row; bottom rows 6..8 are the bottom pieces.
    EXPECT_EQ(pixel(5, 4), expect(3, 2));
    EXPECT_EQ(pixel(1, 5), expect(1, 2));
    EXPECT_EQ(pixel(9, 8), expect(6, 5));
    EXPECT_EQ(pixel(6, 7), expect(2, 4));
}

TEST(NinePart, RefusedCutsZeroSizedPiecesAndOpacity) {
    auto src = Columns(7, 6);
    TPng9Pieces p;
    EXPECT_FALSE(SplitPng9(src.get(), 4, 2, 4, 3, 255, clNone, p));  // x2 not beyond x1
    EXPECT_FALSE(SplitPng9(src.get(), 2, 2, 7, 3, 255, clNone, p));  // outside
    EXPECT_FALSE(SplitPng9(src.get(), 2, 2, 4, 3, 300, clNone, p));
    EXPECT_EQ(p[0], nullptr);

    // x1 = 0: the left column of pieces has no width; joining and drawing them draws nothing there.
    ASSERT_TRUE(SplitPng9(src.get(), 0, 0, 3, 2, 255, clNone, p));
    EXPECT_TRUE(p[0]->GetEmpty());
    auto out = BuildPng9(10, 8, p);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(SrcCol(*out, 0, 0), 0);
    EXPECT_EQ(SrcCol(*out, 3, 5), 0);
    EXPECT_EQ(SrcCol(*out, 9, 7), 6);
    // Every span here is a whole number of tiles, so the drawn picture is the joined one blended
    // over a cleared frame: nothing of the empty pieces shows, nothing is missing.
    TBitmap bmp;
    DrawPng9Tiled(&bmp, 10, 8, p);
    ASSERT_EQ(bmp.GetWidth(), 10);
    ASSERT_EQ(bmp.GetHeight(), 8);
    GdiFlush();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const unsigned a = out->AlphaScanline(y)[x];
            const uint8_t* c = out->Scanline(y) + 3 * x;
            const uint8_t* d = bmp.ScanLine(y) + 4 * x;
            for (int k = 0; k < 3; ++k) ASSERT_EQ(d[k], (c[k] * a + 127) / 255) << x << "," << y;
            ASSERT_EQ(d[3], a) << x << "," << y;
        }
    }

    ASSERT_TRUE(SplitPng9(src.get(), 2, 2, 4, 3, 128, clNone, p));
    EXPECT_EQ(p[0]->AlphaScanline(0)[1], 127);  // 254 * 128 / 255 = 127.49
}

// ---------------------------------------------------------------------------------------------

TEST(Colour, HslAndColorize) {
    uint8_t r, g, b;
    HslToRgb(0, 100, 50, r, g, b);
    EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));
    // Out of range: black.
    const double outside[][3] = {{360, 100, 50}, {10, 101, 50}, {10, 50, -1}};
    for (const auto& o : outside) {
        r = g = b = 9;
        HslToRgb(o[0], o[1], o[2], r, g, b);
        EXPECT_EQ(r + g + b, 0) << o[0] << " " << o[1] << " " << o[2];
    }
    // Saturation 51.171875 pulls by exactly 125/256: green 0 + 128 * 125/256 = 62.5 goes to the even
    // 62, red 255 - 127 * 125/256 = 192.99 to 193.
    HslToRgb(0, 51.171875, 50, r, g, b);
    EXPECT_EQ(RGB(r, g, b), RGB(193, 62, 62));
    // Sextant slopes: hue 30 is halfway from red to yellow.
    HslToRgb(30, 100, 50, r, g, b);
    EXPECT_EQ(RGB(r, g, b), RGB(255, 128, 0));  // green 127.5 rounds to even

    uint8_t row[9] = {128, 128, 128, 0, 0, 0, 255, 255, 255};
    ColorizePixel(row, 0, clRed);
    ColorizePixel(row, 1, clRed);
    ColorizePixel(row, 2, clBlue);
    const uint8_t expected[9] = {1, 1, 255, 0, 0, 0, 255, 255, 255};
    EXPECT_EQ(0, memcmp(row, expected, 9));

    // A system colour acts as the colour it stands for.
    uint8_t a[3] = {90, 140, 60}, c[3] = {90, 140, 60};
    ColorizePixel(a, 0, clHighlight);
    ColorizePixel(c, 0, TColor(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(0, memcmp(a, c, 3));
}

TEST(Colour, Greying) {
    // {R, G, B, amount, grey result}. 10, 20, 30 greys to round(3 + 11.8 + 3.3) = 18. At 127 both
    // halves round up (127.5 -> 128 each): white must stay white, not wrap to black (the clamp).
    // Halves go to the even neighbour: at 254 mid grey keeps 128/256 = 0.5 of itself (0) and gains
    // 128 * 255/256 = 127.5 of grey (128); rounding halves up would give 129.
    const int cases[][5] = {{10, 20, 30, 255, 18},    {255, 255, 255, 126, 255}, {255, 255, 255, 127, 255},
                            {255, 255, 255, 128, 255}, {128, 128, 128, 254, 128}};
    for (const auto& c : cases) {
        uint8_t r = uint8_t(c[0]), g = uint8_t(c[1]), b = uint8_t(c[2]);
        GreyPixel(r, g, b, c[3]);
        EXPECT_EQ(RGB(r, g, b), RGB(c[4], c[4], c[4])) << "case " << (&c - cases);
    }
}

// ---------------------------------------------------------------------------------------------

TEST(Alpha, SetScaleCreateCrop) {
    auto p = Columns(4, 2, false);
    ScalePngAlpha(p.get(), 256);
    ASSERT_TRUE(p->HasAlpha());  // alpha was ensured, but nothing scaled
    EXPECT_EQ(p->AlphaScanline(1)[3], 255);
    ScalePngAlpha(p.get(), 128);
    EXPECT_EQ(p->AlphaScanline(1)[3], 128);
    ScalePngAlpha(p.get(), 1);
    EXPECT_EQ(p->AlphaScanline(0)[0], 0);  // 128 / 255 truncates

    auto c = CreateColorPng(3, 2, TColor(0x112233), 90);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(0, memcmp(c->Scanline(1) + 6, "\x11\x22\x33", 3));  // B, G, R of a TColor's R, G, B
    EXPECT_EQ(c->AlphaScanline(1)[2], 90);
    auto face = CreateColorPng(1, 1, clBtnFace, 255);
    EXPECT_EQ(face->Scanline(0)[2], GetRValue(GetSysColor(COLOR_BTNFACE)));

    auto src = Columns(6, 5);
    auto crop = CropPng(src.get(), Rect(2, 1, 5, 4));
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->GetWidth(), 3);
    EXPECT_EQ(SrcCol(*crop, 0, 0), 2);
    EXPECT_EQ(SrcRow(*crop, 2, 2), 3);
    EXPECT_EQ(crop->AlphaScanline(0)[2], 255 - 4);
    EXPECT_EQ(CropPng(src.get(), Rect(2, 1, 7, 4)), nullptr);
    EXPECT_EQ(CropPng(src.get(), Rect(-1, 0, 2, 2)), nullptr);
}

TEST(Alpha, ScaleBitmap32AlphaRoundsColourTruncatesAlpha) {
    TBitmap32 b;
    b.SetSize(3, 2);
    b.Clear(0x01010101);
    b.SetPixel(1, 0, 0xC8646464);  // 200, 100, 100, 100
    ScaleBitmap32Alpha(&b, Rect(0, 0, 2, 1), 128);
    EXPECT_EQ(b.GetPixel(0, 0), 0x00010101u);  // colour 0.502 -> 1, alpha 0.502 -> 0
    EXPECT_EQ(b.GetPixel(1, 0), 0x64323232u);  // 100 * 128 / 255 = 50.2; 200 * 128 / 255 = 100.4
    EXPECT_EQ(b.GetPixel(2, 0), 0x01010101u);  // outside the rectangle
    EXPECT_EQ(b.GetPixel(0, 1), 0x01010101u);
}

TEST(Alpha, MaskFromPairCases) {
    TPngImage before, drawn;
    before.CreateBlank(png::COLOR_RGBALPHA, 8, 4, 1);
    std::memset(before.Scanline(0), 50, 12);
    std::memset(before.AlphaScanline(0), 99, 4);
    drawn.Assign(&before);
    // Pixel 0 unchanged; 1 all three changed; 2 red only; 3 blue and green.
    std::memcpy(drawn.Scanline(0), "\x32\x32\x32" "\0\0\0" "\x32\x32\x0A" "\x0B\x0C\x32", 12);
    AlphaMaskFromPair(&drawn, &before);
    EXPECT_EQ(0, memcmp(drawn.AlphaScanline(0), "\x00\xFF\x63\x63", 4));
}

TEST(Alpha, RenderWithAlphaMaskGivesOpaqueTextOnATransparentGround) {
    TBitmap32 frame;
    frame.SetSize(80, 30);
    frame.Clear(0x40C0C0C0);
    TFont font;
    font.SetColor(clBlack);
    font.SetHeight(-13);
    auto p = RenderWithAlphaMask(&frame, L"Hello", &font, Rect(5, 5, 75, 25));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetWidth(), 70);
    EXPECT_EQ(p->GetHeight(), 20);
    int opaque = 0, clear = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 70; ++x) {
            const uint8_t a = p->AlphaScanline(y)[x];
            opaque += a == 255;
            clear += a == 0;
            if (a == 0) {
                EXPECT_EQ(p->Scanline(y)[3 * x], 0xC0);
            } else if (a != 255) {
                EXPECT_EQ(a, 0x40);  // partly changed pixels keep the alpha they had
            }
        }
    }
    EXPECT_GT(opaque, 10);
    EXPECT_GT(clear, 700);
    EXPECT_EQ(RenderWithAlphaMask(&frame, L"x", &font, Rect(70, 0, 81, 10)), nullptr);  // not inside
}

// ---------------------------------------------------------------------------------------------

TEST(Types, PaddingRecords) {
    TVeskPadding p;
    p.SetValue(2, 180);
    EXPECT_EQ(p.GetRight(), 180);
    TVeskPadding q;
    q.Assign(&p);
    EXPECT_EQ(q.GetRight(), 180);
    // The two families do not assign to each other.
    TQimUIPadding r;
    EXPECT_THROW(r.Assign(&p), EConvertError);
    EXPECT_THROW(p.Assign(&r), EConvertError);
}

// The routines that draw through device contexts give back every GDI handle they make.
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
    };
    EXPECT_LE(testsupport::GdiHandlesKept(work), 10);
}
