// The look side of the non-client painter: caption-button frames, the nine-grid drawer, and the
// preparation of the caption and border pictures.
#include "nc_fixture.h"

using namespace fw;
using namespace nctest;

namespace {

constexpr COLORREF kTL = RGB(200, 0, 0), kT = RGB(0, 200, 0), kTR = RGB(0, 0, 200);
constexpr COLORREF kL = RGB(200, 200, 0), kC = RGB(0, 200, 200), kR = RGB(200, 0, 200);
constexpr COLORREF kBL = RGB(100, 50, 0), kB = RGB(0, 100, 50), kBR = RGB(50, 0, 100);
constexpr COLORREF kFill = RGB(1, 2, 3);

// A 9 x 9 picture of nine 3 x 3 cells, each of its own colour.
TPngPtr NineCells() {
    return PaintedPng(9, 9, [](int x, int y) {
        const COLORREF cells[3][3] = {{kTL, kT, kTR}, {kL, kC, kR}, {kBL, kB, kBR}};
        return TColor(cells[y / 3][x / 3]);
    });
}
// Three 10 x 4 frames side by side.
TPngPtr ThreeFrames(COLORREF A, COLORREF B, COLORREF C) {
    return PaintedPng(30, 4, [=](int x, int) { return TColor(x < 10 ? A : x < 20 ? B : C); });
}

std::unique_ptr<TBitmap> Canvas(int W, int H) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(W, H);
    b->GetCanvas()->GetBrush()->SetColor(TColor(kFill));
    b->GetCanvas()->FillRect(TRect(0, 0, W, H));
    return b;
}

using NcLooks = NcTest;

}  // namespace

TEST(NcButtons, FramesAreCutFromTheStripAndOutOfRangeStatesGiveFrameZeroOrNothing) {
    TVeskCaptionBtn b;
    auto strip = ThreeFrames(kTL, kT, kTR);
    b.SetImgBtn(strip.get());
    b.SplitImages();
    ASSERT_NE(b.GetStateImage(0), nullptr);
    EXPECT_EQ(b.GetStateImage(1)->GetWidth(), 10);
    EXPECT_EQ(PngColor(b.GetStateImage(2), 5, 1), kTR);
    EXPECT_EQ(b.GetStateImage(3), b.GetStateImage(0));
    EXPECT_EQ(b.GetStateImage(-1), b.GetStateImage(0));
    // A count raised after cutting never reads past the frames.
    b.SetBtnStateCount(6);
    EXPECT_EQ(b.GetStateImage(4), nullptr);
    // A strip that does not divide by the count yields no frame: the button vanishes.
    b.SetBtnStateCount(4);
    b.SplitImages();
    EXPECT_EQ(b.GetStateImage(0), nullptr);

}

TEST(NcNineGrid, CornersKeepTheirSizeEdgesStretchAndUnusableInputDrawsNothing) {
    auto png = NineCells();
    TVeskPadding split;
    split.SetLeft(3), split.SetTop(3), split.SetRight(3), split.SetBottom(3);
    auto b = Canvas(40, 30);
    // Drawn at an offset: every cell moves with the rectangle.
    EXPECT_TRUE(DrawPng9Grid(b->GetCanvas(), TRect(5, 4, 35, 24), png.get(), &split));
    const struct {
        int x, y;
        COLORREF c;
    } at[] = {{4, 4, kFill}, {5, 4, kTL},  {7, 6, kTL},   {8, 4, kT},   {31, 6, kT},  {32, 4, kTR},  {5, 7, kL},
              {20, 14, kC},  {34, 20, kR}, {5, 21, kBL},  {20, 23, kB}, {34, 23, kBR}, {35, 23, kFill}};
    for (const auto& p : at) EXPECT_EQ(PixelColor(*b, p.x, p.y), p.c) << p.x << "," << p.y;

    // Four pixels wide, narrower than both corners together: the middle column is skipped. Nothing
    // is drawn for an empty rectangle or a split beyond the picture.
    auto n = Canvas(20, 20);
    EXPECT_TRUE(DrawPng9Grid(n->GetCanvas(), TRect(0, 0, 4, 12), png.get(), &split));
    EXPECT_EQ(PixelColor(*n, 3, 0), kTR);
    EXPECT_FALSE(DrawPng9Grid(n->GetCanvas(), TRect(0, 0, 0, 10), png.get(), &split));
    split.SetRight(9);
    EXPECT_FALSE(DrawPng9Grid(n->GetCanvas(), TRect(10, 0, 20, 20), png.get(), &split));
    EXPECT_EQ(PixelColor(*n, 15, 10), kFill);

    // A zero split stretches the whole picture: at twice the size each cell is 6 pixels wide.
    TVeskPadding none;
    auto z = Canvas(18, 18);
    DrawPng9Grid(z->GetCanvas(), TRect(0, 0, 18, 18), png.get(), &none);
    EXPECT_EQ(PixelColor(*z, 5, 5), kTL);
    EXPECT_EQ(PixelColor(*z, 6, 5), kT);
}

TEST_F(NcLooks, CaptionAndBorderImagesComeFromTheColoursOrTheBorderImageCutAtItsMargins) {
    TVeskNcResource plain(nullptr);
    plain.Loaded();
    ASSERT_NE(plain.GetFormCaption()->GetColorImage(), nullptr);
    EXPECT_EQ(PngColor(plain.GetFormCaption()->GetColorImage(), 0, 0), ColorToRGB(clActiveCaption));
    plain.GetFormBorder()->SetColorBkgr(TColor(RGB(40, 50, 60)));
    ASSERT_NE(plain.GetFormBorder()->GetPiece(bpBottomRight), nullptr);
    EXPECT_EQ(PngColor(plain.GetFormBorder()->GetPiece(bpBottomRight), 0, 0), RGB(40, 50, 60));

    TVeskFormBorder border;
    auto png = NineCells();
    border.SetImgBkgr(png.get());
    SetBorder(&border, 3);
    border.Prepare();
    const std::pair<TVeskBorderPiece, COLORREF> expect[] = {
        {bpTopLeft, kTL}, {bpTop, kT},         {bpTopRight, kTR},  {bpRight, kR}, {bpBottomRight, kBR},
        {bpBottom, kB},   {bpBottomLeft, kBL}, {bpLeft, kL},       {bpCenter, kC}};
    for (auto [piece, colour] : expect) {
        ASSERT_NE(border.GetPiece(piece), nullptr);
        EXPECT_EQ(border.GetPiece(piece)->GetWidth(), 3);
        EXPECT_EQ(PngColor(border.GetPiece(piece), 1, 1), colour) << int(piece);
    }
    EXPECT_EQ(border.Margins(), TRect(3, 3, 3, 3));
}

TEST_F(NcLooks, MarginsVanishUnderCompositionWhileShowNotDWMIsSet) {
    NcCompositionEnabledProc = [] { return true; };
    TVeskFormBorder border;
    border.SetLeft(2);
    border.SetTop(2);
    EXPECT_EQ(border.Margins(), TRect(0, 0, 0, 0));
    border.SetShowNotDWM(false);
    EXPECT_EQ(border.Margins(), TRect(2, 2, 0, 0));
}
