// Cutting the skin strip into state images: the nine-part, three-part and plain modes, the
// button's size, the alternative strip, and the state images the paint falls back to.
#include "button_fixture.h"

using namespace fw;
using namespace buttontest;

namespace {
const TColor kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);
}

TEST_F(ButtonTest, DefaultsOfANewButton) {
    TVeskPngButton* b = AddButton(0, 0, 50, 20);
    EXPECT_TRUE(b->GetTransparent());
    EXPECT_EQ(b->GetButtonStateCount(), 4);
    EXPECT_EQ(b->GetGroupIndex(), -1);
    EXPECT_EQ(b->GetImgIndex(), -1);
    EXPECT_EQ(b->GetLayout(), vlGlphyLeft);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(b->GetModalResult(), 0);
    EXPECT_FALSE(b->GetCanSelect());
    EXPECT_FALSE(b->GetCanFocus());
    EXPECT_TRUE(b->GetImgSplit()->IsEmpty());
    EXPECT_TRUE(b->GetImgButton()->GetEmpty());
    EXPECT_EQ(b->GetFontOver()->GetName(), L"Tahoma");
    // Nothing is cut before Loaded.
    b->Loaded();
    for (int s = bsNormal; s <= bsFocus; ++s) EXPECT_EQ(b->GetStateImage(TVeskBtnStatus(s)), nullptr);
}

TEST_F(ButtonTest, NineSliceSplitBuildsEveryStateAtTheButtonsSize) {
    auto skin = SkinResource(L"tab_unfinished");
    ASSERT_EQ(skin->GetWidth(), 203 * 3);
    TVeskPngButton* b = AddButton(0, 0, 203, 50);
    b->SetButtonStateCount(3);
    b->SetImgButton(skin.get());
    b->GetImgSplit()->SetLeft(5);
    b->GetImgSplit()->SetTop(5);
    b->GetImgSplit()->SetRight(180);
    b->GetImgSplit()->SetBottom(20);
    b->Loaded();
    for (int s = bsNormal; s <= bsDown; ++s) {
        TPngImage* img = b->GetStateImage(TVeskBtnStatus(s));
        ASSERT_NE(img, nullptr) << s;
        EXPECT_EQ(img->GetWidth(), 203);
        EXPECT_EQ(img->GetHeight(), 50);
    }
    EXPECT_EQ(b->GetStateImage(bsDisable), nullptr);
    // The button keeps its own size in this mode.
    EXPECT_EQ(b->GetHeight(), 50);
    // Corners are kept: the bottom-right pixel is the frame's bottom-right pixel.
    TPngImage* normal = b->GetStateImage(bsNormal);
    EXPECT_EQ(normal->AlphaScanline(49)[202], skin->AlphaScanline(39)[202]);
    EXPECT_EQ(normal->Scanline(49)[202 * 3 + 1], skin->Scanline(39)[202 * 3 + 1]);
}

TEST_F(ButtonTest, ThreePartSplitStretchesToTheWidthAndTakesTheFrameHeight) {
    auto skin = SkinResource(L"tab_unfinished");
    TVeskPngButton* b = AddButton(0, 0, 250, 70);
    b->SetButtonStateCount(3);
    b->SetImgButton(skin.get());
    b->GetImgSplit()->SetLeft(5);
    b->GetImgSplit()->SetRight(180);
    b->Loaded();
    ASSERT_NE(b->GetStateImage(bsNormal), nullptr);
    EXPECT_EQ(b->GetStateImage(bsNormal)->GetWidth(), 250);
    EXPECT_EQ(b->GetStateImage(bsOver)->GetHeight(), 40);
    EXPECT_EQ(b->GetWidth(), 250);
    EXPECT_EQ(b->GetHeight(), 40);
}

TEST_F(ButtonTest, PlainModeTakesTheFrameAndTheFramesSize) {
    auto skin = SkinResource(L"tab_unfinished");
    TVeskPngButton* b = AddButton(10, 10, 80, 20);
    b->SetButtonStateCount(3);
    b->SetImgButton(skin.get());
    b->Loaded();
    ASSERT_NE(b->GetStateImage(bsNormal), nullptr);
    EXPECT_EQ(b->GetStateImage(bsNormal)->GetWidth(), 203);
    EXPECT_EQ(b->GetWidth(), 203);
    EXPECT_EQ(b->GetHeight(), 40);
    EXPECT_EQ(b->GetLeft(), 10);
    // Split points that do not form a pair (Left >= Right) also give the plain mode.
    b->GetImgSplit()->SetLeft(9);
    b->GetImgSplit()->SetRight(9);
    b->SetBounds(10, 10, 30, 30);
    b->Loaded();
    EXPECT_EQ(b->GetWidth(), 203);
}

TEST_F(ButtonTest, AStripThatDoesNotDivideGivesNoImagesAndPaintsOnlyTheCaption) {
    auto strip = SolidStrip(10, 10, {kRed, kGreen, kBlue});  // 30 wide: not divisible by 4
    TVeskPngButton* b = AddButton(0, 0, 40, 20);
    b->SetImgButton(strip.get());
    b->Loaded();
    for (int s = bsNormal; s <= bsFocus; ++s) EXPECT_EQ(b->GetStateImage(TVeskBtnStatus(s)), nullptr);
    EXPECT_EQ(b->GetWidth(), 40);
    auto dib = Render();
    EXPECT_EQ(dib->Color(20, 10), RGB(255, 255, 255));  // the form shows through
    // A state count of 0 cuts nothing either.
    b->SetButtonStateCount(0);
    b->Loaded();
    EXPECT_EQ(b->GetStateImage(bsNormal), nullptr);
}

TEST_F(ButtonTest, EachStatePaintsItsFrameOrTheDocumentedFallback) {
    auto strip = SolidStrip(20, 10, {kRed, kGreen, kBlue});
    TVeskPngButton* b = AddButton(0, 0, 20, 10);
    b->SetButtonStateCount(3);
    b->SetImgButton(strip.get());
    b->Loaded();
    struct Case {
        TVeskBtnStatus state;
        COLORREF color;
    } cases[] = {
        {bsNormal, kRed}, {bsOver, kGreen}, {bsDown, kBlue},
        {bsDisable, kRed},   // no disabled frame: the normal one
        {bsSelect, kBlue},   // no selected frame: the pressed one
        {bsFocus, kGreen},   // no focused frame: the hovered one
    };
    for (const Case& c : cases) {
        b->SetBtnStatus(c.state);
        auto dib = Render();
        EXPECT_EQ(dib->Color(10, 5), c.color) << "state " << int(c.state);
    }
    // With six frames every state has its own.
    auto six = SolidStrip(20, 10, {kRed, kGreen, kBlue, kYellow, RGB(0, 255, 255), RGB(255, 0, 255)});
    b->SetButtonStateCount(6);
    b->SetImgButton(six.get());
    b->Loaded();
    b->SetBtnStatus(bsFocus);
    EXPECT_EQ(Render()->Color(10, 5), RGB(255, 0, 255));
    b->SetBtnStatus(bsDisable);
    EXPECT_EQ(Render()->Color(10, 5), kYellow);
}

TEST_F(ButtonTest, ImgButtonIsCopiedAndNotCutAgainUntilLoaded) {
    auto red = SolidStrip(10, 10, {kRed, kRed});
    auto blue = SolidStrip(10, 10, {kBlue, kBlue});
    TVeskPngButton* b = AddButton(0, 0, 10, 10);
    b->SetButtonStateCount(2);
    b->SetImgButton(red.get());
    b->Loaded();
    b->SetImgButton(blue.get());
    EXPECT_EQ(Render()->Color(5, 5), kRed);
    b->Loaded();
    EXPECT_EQ(Render()->Color(5, 5), kBlue);
    // The button holds its own copy.
    red.reset();
    EXPECT_EQ(b->GetImgButton()->GetWidth(), 20);
}

TEST_F(ButtonTest, ChangedStateSwitchesToTheAlternativeStripAtOnce) {
    auto normal = SolidStrip(10, 10, {kRed, kRed});
    auto change = SolidStrip(10, 10, {kGreen, kGreen});
    TVeskPngButton* b = AddButton(0, 0, 10, 10);
    b->SetButtonStateCount(2);
    b->SetImgButton(normal.get());
    b->Loaded();
    b->SetChangedState(true);  // no alternative yet: the normal strip stays
    EXPECT_EQ(Render()->Color(5, 5), kRed);
    b->SetImgChange(change.get());
    EXPECT_EQ(Render()->Color(5, 5), kGreen);
    b->SetChangedState(false);
    EXPECT_EQ(Render()->Color(5, 5), kRed);
}
