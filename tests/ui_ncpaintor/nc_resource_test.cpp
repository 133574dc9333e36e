// The look side of the non-client painter: caption-button frames, the nine-grid drawer, and the
// preparation of the caption, border and layered skin pictures.
#include "nc_fixture.h"

using namespace fw;
using namespace nctest;

namespace {

constexpr COLORREF kTL = RGB(200, 0, 0), kT = RGB(0, 200, 0), kTR = RGB(0, 0, 200);
constexpr COLORREF kL = RGB(200, 200, 0), kC = RGB(0, 200, 200), kR = RGB(200, 0, 200);
constexpr COLORREF kBL = RGB(100, 50, 0), kB = RGB(0, 100, 50), kBR = RGB(50, 0, 100);

// A 9 x 9 picture of nine 3 x 3 cells, each of its own colour.
TPngPtr NineCells() {
    return PaintedPng(9, 9, [](int x, int y) {
        const COLORREF cells[3][3] = {{kTL, kT, kTR}, {kL, kC, kR}, {kBL, kB, kBR}};
        return TColor(cells[y / 3][x / 3]);
    });
}

TBitmap* NewCanvasBitmap(int W, int H, COLORREF Fill) {
    auto* b = new TBitmap();
    b->SetPixelFormat(pf32bit);
    b->SetSize(W, H);
    b->GetCanvas()->GetBrush()->SetColor(TColor(Fill));
    b->GetCanvas()->FillRect(TRect(0, 0, W, H));
    return b;
}

}  // namespace

TEST(NcButtons, HitCodesAndIdsMatchEachOther) {
    const int expected[8] = {-1, HTMENU, 102, 101, 100, HTMINBUTTON, HTMAXBUTTON, HTCLOSE};
    for (int i = vnbLogo; i <= vnbClose; ++i) {
        EXPECT_EQ(NcBtnHitCode(TVeskNcBtnEnum(i)), expected[i]);
        EXPECT_EQ(NcBtnOfHitCode(expected[i]), TVeskNcBtnEnum(i));
        EXPECT_TRUE(IsNcBtnHitCode(expected[i]));
    }
    EXPECT_EQ(NcBtnOfHitCode(HTCAPTION), vnbNULL);
    EXPECT_FALSE(IsNcBtnHitCode(HTCLIENT));
    EXPECT_FALSE(IsNcBtnHitCode(HTNOWHERE));

    TVeskShowNcBtns s = vnbLogo | vnbClose;
    EXPECT_TRUE(s.Contains(vnbLogo));
    EXPECT_TRUE(s.Contains(vnbClose));
    EXPECT_FALSE(s.Contains(vnbMinimize));
    EXPECT_EQ(s.Bits(), (1 << 1) | (1 << 7));
    EXPECT_TRUE(TVeskShowNcBtns().Empty());
}

TEST(NcButtons, FramesAreCutFromTheStripAndOutOfRangeStatesGiveFrameZero) {
    TVeskCaptionBtn b;
    EXPECT_EQ(b.GetBtnStateCount(), 3);
    EXPECT_EQ(b.GetStateImage(0), nullptr);  // nothing cut yet
    auto strip = PaintedPng(30, 4, [](int x, int) { return TColor(x < 10 ? kTL : x < 20 ? kT : kTR); });
    b.SetImgBtn(strip.get());
    b.SplitImages();
    ASSERT_NE(b.GetStateImage(0), nullptr);
    EXPECT_EQ(b.GetStateImage(1)->GetWidth(), 10);
    EXPECT_EQ(b.GetStateImage(1)->GetHeight(), 4);
    EXPECT_EQ(PngColor(b.GetStateImage(0), 5, 1), kTL);
    EXPECT_EQ(PngColor(b.GetStateImage(1), 5, 1), kT);
    EXPECT_EQ(PngColor(b.GetStateImage(2), 5, 1), kTR);
    EXPECT_EQ(b.GetStateImage(3), b.GetStateImage(0));
    EXPECT_EQ(b.GetStateImage(-1), b.GetStateImage(0));

    // A strip that does not divide by the count yields no frame: the button vanishes.
    b.SetBtnStateCount(4);
    b.SplitImages();
    EXPECT_EQ(b.GetStateImage(0), nullptr);

    // An empty strip leaves no frames at all.
    TPngImage empty;
    b.SetImgBtn(&empty);
    b.SplitImages();
    EXPECT_EQ(b.GetStateImage(0), nullptr);
}

TEST(NcButtons, AStateCountRaisedAfterCuttingNeverReadsPastTheFrames) {
    TVeskCaptionBtn b;
    auto strip = SolidPng(30, 4, kTL);
    b.SetImgBtn(strip.get());
    b.SplitImages();
    b.SetBtnStateCount(6);  // not cut again
    EXPECT_NE(b.GetStateImage(2), nullptr);
    EXPECT_EQ(b.GetStateImage(4), nullptr);
    EXPECT_EQ(b.GetStateImage(6), b.GetStateImage(0));
}

TEST(NcButtons, MaximizeButtonAnswersStatesFromTenWithRestoreFrames) {
    TVeskMaxBtn b;
    auto max = SolidPng(30, 4, kTL);
    b.SetImgBtn(max.get());
    b.SplitImages();
    EXPECT_NE(b.GetStateImage(1), nullptr);
    EXPECT_EQ(b.GetStateImage(11), nullptr);  // no restore strip
    auto restore = PaintedPng(30, 4, [](int x, int) { return TColor(x < 10 ? kB : x < 20 ? kBR : kBL); });
    b.SetImgRestore(restore.get());
    b.SplitImages();
    EXPECT_EQ(PngColor(b.GetStateImage(10), 1, 1), kB);
    EXPECT_EQ(PngColor(b.GetStateImage(11), 1, 1), kBR);
    EXPECT_EQ(PngColor(b.GetStateImage(12), 1, 1), kBL);
    EXPECT_EQ(PngColor(b.GetStateImage(15), 1, 1), kB);
    EXPECT_EQ(PngColor(b.GetStateImage(1), 1, 1), kTL);
}

TEST(NcButtons, LogoSizeIsItsFirstFrameOrNothing) {
    TVeskFormLogo logo;
    EXPECT_EQ(logo.GetLeft(), 4);
    EXPECT_EQ(logo.GetTop(), 0);
    auto png = SkinPng(L"nc_logo");
    logo.SetImgBtn(png.get());
    logo.SetBtnStateCount(1);
    EXPECT_EQ(logo.LogoSize().cx, 0);  // not cut yet
    logo.SplitImages();
    EXPECT_EQ(logo.LogoSize().cx, png->GetWidth());
    EXPECT_EQ(logo.LogoSize().cy, png->GetHeight());
    logo.SetBtnStateCount(0);
    logo.SplitImages();
    EXPECT_EQ(logo.LogoSize().cx, 0);
    EXPECT_EQ(logo.LogoSize().cy, 0);
}

TEST(NcNineGrid, CornersKeepTheirSizeAndEdgesStretch) {
    auto png = NineCells();
    TVeskPadding split;
    split.SetLeft(3);
    split.SetTop(3);
    split.SetRight(3);
    split.SetBottom(3);
    std::unique_ptr<TBitmap> b(NewCanvasBitmap(40, 30, RGB(1, 2, 3)));
    // Drawn at an offset: every cell moves with the rectangle.
    EXPECT_TRUE(DrawPng9Grid(b->GetCanvas(), TRect(5, 4, 35, 24), png.get(), &split));
    EXPECT_EQ(BmpColor(b.get(), 4, 4), RGB(1, 2, 3));  // outside
    EXPECT_EQ(BmpColor(b.get(), 5, 4), kTL);
    EXPECT_EQ(BmpColor(b.get(), 7, 6), kTL);
    EXPECT_EQ(BmpColor(b.get(), 8, 4), kT);
    EXPECT_EQ(BmpColor(b.get(), 31, 6), kT);
    EXPECT_EQ(BmpColor(b.get(), 32, 4), kTR);
    EXPECT_EQ(BmpColor(b.get(), 34, 6), kTR);
    EXPECT_EQ(BmpColor(b.get(), 5, 7), kL);
    EXPECT_EQ(BmpColor(b.get(), 20, 14), kC);
    EXPECT_EQ(BmpColor(b.get(), 34, 20), kR);
    EXPECT_EQ(BmpColor(b.get(), 5, 21), kBL);
    EXPECT_EQ(BmpColor(b.get(), 20, 23), kB);
    EXPECT_EQ(BmpColor(b.get(), 34, 23), kBR);
    EXPECT_EQ(BmpColor(b.get(), 35, 23), RGB(1, 2, 3));
}

TEST(NcNineGrid, ZeroSplitStretchesTheWholePicture) {
    auto png = NineCells();
    TVeskPadding split;
    std::unique_ptr<TBitmap> b(NewCanvasBitmap(18, 18, RGB(1, 2, 3)));
    EXPECT_FALSE(DrawPng9Grid(b->GetCanvas(), TRect(0, 0, 18, 18), png.get(), &split));
    // Stretched to twice the size: each cell is 6 pixels wide.
    EXPECT_EQ(BmpColor(b.get(), 5, 5), kTL);
    EXPECT_EQ(BmpColor(b.get(), 6, 5), kT);
    EXPECT_EQ(BmpColor(b.get(), 9, 9), kC);
    EXPECT_EQ(BmpColor(b.get(), 17, 17), kBR);
}

TEST(NcNineGrid, NothingForEmptyPicturesOrRectanglesAndNarrowRectanglesKeepCorners) {
    auto png = NineCells();
    TVeskPadding split;
    split.SetLeft(3);
    split.SetTop(3);
    split.SetRight(3);
    split.SetBottom(3);
    std::unique_ptr<TBitmap> b(NewCanvasBitmap(20, 20, RGB(1, 2, 3)));
    TPngImage empty;
    EXPECT_FALSE(DrawPng9Grid(b->GetCanvas(), TRect(0, 0, 10, 10), &empty, &split));
    EXPECT_FALSE(DrawPng9Grid(b->GetCanvas(), TRect(0, 0, 0, 10), png.get(), &split));
    EXPECT_EQ(BmpColor(b.get(), 0, 0), RGB(1, 2, 3));
    // Four pixels wide: narrower than both corners together; the middle column is skipped.
    EXPECT_TRUE(DrawPng9Grid(b->GetCanvas(), TRect(0, 0, 4, 12), png.get(), &split));
    EXPECT_EQ(BmpColor(b.get(), 0, 0), kTL);
    EXPECT_EQ(BmpColor(b.get(), 3, 0), kTR);
    EXPECT_EQ(BmpColor(b.get(), 3, 11), kBR);
    // A split beyond the picture cannot be cut: nothing is drawn.
    split.SetRight(9);
    std::unique_ptr<TBitmap> c(NewCanvasBitmap(20, 20, RGB(1, 2, 3)));
    EXPECT_FALSE(DrawPng9Grid(c->GetCanvas(), TRect(0, 0, 20, 20), png.get(), &split));
    EXPECT_EQ(BmpColor(c.get(), 10, 10), RGB(1, 2, 3));
}

TEST(NcLooks, DefaultsFollowTheSystem) {
    TVeskNcResource r(nullptr);
    EXPECT_EQ(r.GetBtnTopFix(), 0);
    EXPECT_EQ(r.GetBtnRightFix(), 4);
    EXPECT_TRUE(r.GetShowHint());
    EXPECT_EQ(r.GetFormCaption()->GetHeight(), GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME));
    EXPECT_EQ(r.GetFormCaption()->GetColorBkgr(), clActiveCaption);
    EXPECT_EQ(r.GetFormCaption()->GetTextLeftFix(), 2);
    EXPECT_EQ(r.GetFormClient()->GetColorBkgr(), clWindow);
    EXPECT_EQ(r.GetFormBorder()->GetColorBkgr(), clActiveBorder);
    const int frame = NcCompositionEnabled() ? 0 : GetSystemMetrics(SM_CYFIXEDFRAME);
    EXPECT_EQ(r.GetFormBorder()->GetLeft(), frame);
    EXPECT_EQ(r.GetFormBorder()->GetBottom(), frame);
    for (int i = vnbLogo; i <= vnbClose; ++i) EXPECT_EQ(r.GetBtn(TVeskNcBtnEnum(i))->GetId(), TVeskNcBtnEnum(i));
    EXPECT_EQ(r.GetBtn(vnbNULL), nullptr);
    EXPECT_NE(dynamic_cast<TVeskMaxBtn*>(r.GetBtn(vnbMaximize)), nullptr);
    EXPECT_NE(dynamic_cast<TVeskFormLogo*>(r.GetBtn(vnbLogo)), nullptr);
}

TEST(NcLooks, ColourSettersRebuildTheirImages) {
    TVeskFormCaption cap;
    EXPECT_EQ(cap.GetColorImage(), nullptr);
    cap.SetColorBkgr(TColor(RGB(10, 20, 30)));
    ASSERT_NE(cap.GetColorImage(), nullptr);
    EXPECT_EQ(cap.GetColorImage()->GetWidth(), 10);
    EXPECT_EQ(PngColor(cap.GetColorImage(), 9, 9), RGB(10, 20, 30));

    TVeskFormBorder border;
    border.SetColorBkgr(TColor(RGB(40, 50, 60)));
    for (int p = bpTopLeft; p <= bpCenter; ++p) {
        ASSERT_NE(border.GetPiece(TVeskBorderPiece(p)), nullptr);
        EXPECT_EQ(PngColor(border.GetPiece(TVeskBorderPiece(p)), 0, 0), RGB(40, 50, 60));
    }
}

TEST(NcLooks, BorderImageIsCutAtItsMargins) {
    CompositionAs off(false);
    TVeskFormBorder border;
    auto png = NineCells();
    border.SetImgBkgr(png.get());
    border.SetLeft(3);
    border.SetTop(3);
    border.SetRight(3);
    border.SetBottom(3);
    border.Prepare();
    const struct {
        TVeskBorderPiece p;
        COLORREF c;
    } expect[] = {{bpTopLeft, kTL}, {bpTop, kT},       {bpTopRight, kTR},  {bpRight, kR}, {bpBottomRight, kBR},
                  {bpBottom, kB},   {bpBottomLeft, kBL}, {bpLeft, kL},     {bpCenter, kC}};
    for (const auto& e : expect) {
        ASSERT_NE(border.GetPiece(e.p), nullptr);
        EXPECT_EQ(border.GetPiece(e.p)->GetWidth(), 3);
        EXPECT_EQ(PngColor(border.GetPiece(e.p), 1, 1), e.c) << int(e.p);
    }
    EXPECT_EQ(border.Margins(), TRect(3, 3, 3, 3));
}

TEST(NcLooks, MarginsVanishUnderCompositionWhileShowNotDWMIsSet) {
    CompositionAs on(true);
    TVeskFormBorder border;
    EXPECT_EQ(border.GetLeft(), 0);  // no frame by default under composition
    border.SetLeft(2);
    border.SetTop(2);
    EXPECT_EQ(border.Margins(), TRect(0, 0, 0, 0));
    border.SetShowNotDWM(false);
    EXPECT_EQ(border.Margins(), TRect(2, 2, 0, 0));
}

TEST(NcLooks, CaptionPreparationKeepsTheFirstFrameOrMakesTheColourImage) {
    TVeskNcResource r(nullptr);
    auto img = SkinPng(L"nc_caption");
    r.GetFormCaption()->SetImgBkgr(img.get());
    r.Loaded();
    ASSERT_FALSE(r.GetFormCaption()->GetImgBkgr()->GetEmpty());
    EXPECT_EQ(r.GetFormCaption()->GetImgBkgr()->GetWidth(), img->GetWidth());
    EXPECT_TRUE(r.GetFormCaption()->GetImgBkgr()->HasAlpha());

    TVeskNcResource plain(nullptr);
    plain.Loaded();
    ASSERT_NE(plain.GetFormCaption()->GetColorImage(), nullptr);
    EXPECT_EQ(PngColor(plain.GetFormCaption()->GetColorImage(), 0, 0), ColorToRGB(clActiveCaption));
    // The border pieces come from its colour when it has no image.
    ASSERT_NE(plain.GetFormBorder()->GetPiece(bpTop), nullptr);
    EXPECT_EQ(PngColor(plain.GetFormBorder()->GetPiece(bpTop), 0, 0), ColorToRGB(clActiveBorder));
}

TEST(NcLooks, LayerSkinIsComposedOnceAndSplitAtTheCaptionHeight) {
    TVeskNcResource r(nullptr);
    r.GetFormCaption()->SetHeight(10);
    TVeskFormSkin* s = r.GetLayerSkin();
    // Without a shadow nothing is prepared.
    auto skin = PaintedPng(20, 30, [](int, int y) { return TColor(y < 10 ? kTL : kC); });
    TPicture pic;
    pic.Assign(skin.get());
    s->SetSkin(&pic);
    r.Loaded();
    EXPECT_EQ(s->GetComposite(), nullptr);

    // A fully transparent shadow leaves the skin's pixels.
    auto shadow = std::make_unique<TPngImage>();
    shadow->CreateBlank(png::COLOR_RGBALPHA, 8, 24, 30);
    s->SetShadow(shadow.get());
    r.Loaded();
    ASSERT_NE(s->GetComposite(), nullptr);
    EXPECT_EQ(s->GetComposite()->GetWidth(), 24);
    EXPECT_EQ(s->GetComposite()->GetHeight(), 30);
    ASSERT_NE(s->GetCaptionPart(), nullptr);
    ASSERT_NE(s->GetClientPart(), nullptr);
    EXPECT_EQ(s->GetCaptionPart()->GetHeight(), 10);
    EXPECT_EQ(s->GetClientPart()->GetHeight(), 20);
    EXPECT_EQ(PngColor(s->GetCaptionPart(), 3, 3), kTL);
    EXPECT_EQ(PngColor(s->GetClientPart(), 3, 3), kC);

    // Prepared again with a new caption height: the same composite, new parts.
    fw::TPngImage* composite = s->GetComposite();
    r.GetFormCaption()->SetHeight(12);
    r.Loaded();
    EXPECT_EQ(s->GetComposite(), composite);
    EXPECT_EQ(s->GetCaptionPart()->GetHeight(), 12);
}
