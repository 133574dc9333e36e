// Glyph and caption placement, the caption's truncation and its hint, and the draw hooks.
#include "button_fixture.h"

using namespace fw;
using namespace buttontest;

namespace {

const TColor kMagenta = RGB(255, 0, 255);

// The leftmost and rightmost columns of the rectangle holding a pixel that is neither white nor
// the glyph's colour (the caption's ink); -1 when there is none.
std::pair<int, int> InkColumns(const testsupport::DibSurface& dib, const RECT& r) {
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y) {
            COLORREF c = dib.Color(x, y);
            if (c != RGB(255, 255, 255) && c != kMagenta) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    return {first, last};
}

}  // namespace

TEST_F(ButtonTest, GlyphStandsWhereTheLayoutPutsIt) {
    auto glyph = SolidStrip(10, 8, {kMagenta});
    TVeskPngButton* b = AddButton(0, 0, 60, 30);
    b->SetGraph(glyph.get());
    // Left: x = 2, centred vertically (half of 22 = 11).
    auto dib = Render();
    EXPECT_EQ(dib->Color(2, 11), kMagenta);
    EXPECT_EQ(dib->Color(11, 18), kMagenta);
    EXPECT_NE(dib->Color(1, 11), kMagenta);
    EXPECT_NE(dib->Color(12, 11), kMagenta);
    EXPECT_NE(dib->Color(2, 10), kMagenta);
    // Right, with a left fix: right edge at W - 2 + fix.
    b->SetLayout(vlGlphyRight);
    b->SetGraphLeftFix(-3);
    dib = Render();
    EXPECT_EQ(dib->Color(54, 11), kMagenta);
    EXPECT_NE(dib->Color(55, 11), kMagenta);
    EXPECT_EQ(dib->Color(45, 11), kMagenta);
    // Top: centred horizontally (half of 50 = 25), two pixels down, one more while pressed.
    b->SetGraphLeftFix(0);
    b->SetLayout(vlGlphyTop);
    dib = Render();
    EXPECT_EQ(dib->Color(25, 2), kMagenta);
    EXPECT_NE(dib->Color(25, 1), kMagenta);
    b->SetBtnStatus(bsDown);
    dib = Render();
    EXPECT_NE(dib->Color(25, 2), kMagenta);
    EXPECT_EQ(dib->Color(25, 3), kMagenta);
    // Bottom: bottom edge at H - 2 (+ 1 pressed).
    b->SetBtnStatus(bsNormal);
    b->SetLayout(vlGlphyBottom);
    dib = Render();
    EXPECT_EQ(dib->Color(25, 27), kMagenta);
    EXPECT_NE(dib->Color(25, 28), kMagenta);
    EXPECT_EQ(dib->Color(25, 20), kMagenta);
    EXPECT_NE(dib->Color(25, 19), kMagenta);
}

TEST_F(ButtonTest, ALeftGlyphMovesDownWhenPressedOnlyOnATabButton) {
    auto glyph = SolidStrip(10, 8, {kMagenta});
    TVeskPngButton* b = AddButton(0, 0, 60, 30);
    b->SetGraph(glyph.get());
    b->SetBtnStatus(bsDown);
    EXPECT_EQ(Render()->Color(5, 11), kMagenta);
    b->SetButtonTab(true);
    auto dib = Render();
    EXPECT_NE(dib->Color(5, 11), kMagenta);
    EXPECT_EQ(dib->Color(5, 12), kMagenta);
}

TEST_F(ButtonTest, CaptionIsCentredAndKeptRightOfALeftGlyph) {
    TVeskPngButton* b = AddButton(0, 0, 200, 30);
    b->GetFontNormal()->SetColor(clBlack);
    b->SetCaption(L"Hello");
    auto dib = Render();
    SIZE ext;
    {
        TBitmap probe;
        probe.SetSize(1, 1);
        probe.GetCanvas()->SetFont(b->GetFontNormal());
        ext = probe.GetCanvas()->TextExtent(L"Hello");
    }
    auto [first, last] = InkColumns(*dib, RECT{0, 0, 200, 30});
    const int left = (200 - ext.cx) / 2;
    EXPECT_GE(first, left);
    EXPECT_LE(last, left + ext.cx);
    EXPECT_FALSE(b->GetCaptionTruncated());

    // A strong negative fix would put the caption over the glyph: it stays two pixels right of it.
    auto glyph = SolidStrip(10, 8, {kMagenta});
    b->SetWidth(100);
    b->SetGraph(glyph.get());
    b->SetCaptionLeftFix(-30);
    dib = Render();
    first = InkColumns(*dib, RECT{0, 0, 100, 30}).first;
    EXPECT_GE(first, 14);  // glyph right edge 12, plus 2
    EXPECT_LE(first, 16);
    // With OnlyUseCaptionLeftFix the fix alone places it, glyph or not.
    b->SetGraph(nullptr);
    b->SetOnlyUseCaptionLeftFix(true);
    b->SetCaptionLeftFix(30);
    dib = Render();
    first = InkColumns(*dib, RECT{0, 0, 100, 30}).first;
    EXPECT_GE(first, 30);
    EXPECT_LE(first, 32);
}

TEST_F(ButtonTest, ACaptionWiderThanTheButtonIsCutWithAnEllipsis) {
    TVeskPngButton* b = AddButton(0, 0, 60, 24);
    b->GetFontNormal()->SetColor(clBlack);
    b->SetCaption(L"A caption far too long for this button");
    auto dib = Render();
    EXPECT_TRUE(b->GetCaptionTruncated());
    auto [first, last] = InkColumns(*dib, RECT{0, 0, 60, 24});
    EXPECT_GE(first, 6);  // the start of a caption that does not fit moves to x = 6
    EXPECT_LE(last, 57);  // and it ends before W - 2
    b->SetCaption(L"Ok");
    Render();
    EXPECT_FALSE(b->GetCaptionTruncated());
    // An empty caption cuts nothing either.
    b->SetCaption(L"A caption far too long for this button");
    Render();
    b->SetCaption(L"");
    Render();
    EXPECT_FALSE(b->GetCaptionTruncated());
}

TEST_F(ButtonTest, ImageListEntryStandsInForAMissingGlyph) {
    auto* list = new TVeskStdImageList(Form);
    list->SetImgWidth(10);
    list->SetImgHeight(8);
    auto glyph = SolidStrip(10, 8, {kMagenta});
    list->GetItems()->Add()->SetPng(glyph.get());
    TVeskPngButton* b = AddButton(0, 0, 60, 30);
    b->SetImgList(list);
    EXPECT_EQ(Render()->Color(5, 13), RGB(255, 255, 255));  // ImgIndex -1 draws nothing
    b->SetImgIndex(0);
    b->SetGraphLeftFix(3);
    auto dib = Render();
    EXPECT_EQ(dib->Color(5, 11), kMagenta);
    EXPECT_NE(dib->Color(4, 11), kMagenta);
    // Only for the left layout.
    b->SetLayout(vlGlphyTop);
    EXPECT_NE(Render()->Color(5, 11), kMagenta);
    // A freed list is forgotten.
    list->Free();
    EXPECT_EQ(b->GetImgList(), nullptr);
    EXPECT_NO_THROW(Render());
}

TEST_F(ButtonTest, DrawHooksRunOnTheBufferAroundTheButtonsOwnDrawing) {
    auto strip = SolidStrip(40, 20, {RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0)});
    TVeskPngButton* b = AddButton(0, 0, 40, 20);
    b->SetImgButton(strip.get());
    b->Loaded();
    std::vector<std::wstring> log;
    b->OnBeforeDraw = [&](TObject* s, TCanvas* c) {
        EXPECT_EQ(s, b);
        EXPECT_EQ(c, b->GetBufferCanvas());
        log.push_back(L"before");
        c->GetBrush()->SetColor(clLime);
        c->FillRect(TRect(0, 0, 40, 20));  // covered by the skin
    };
    b->OnAfterDraw = [&](TObject*, TCanvas* c) {
        log.push_back(L"after");
        c->GetBrush()->SetColor(clBlue);
        c->FillRect(TRect(0, 0, 5, 5));
    };
    auto dib = Render();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"before", L"after"}));
    EXPECT_EQ(dib->Color(20, 10), RGB(255, 0, 0));
    EXPECT_EQ(dib->Color(2, 2), RGB(0, 0, 255));
}

TEST_F(ButtonTest, ATruncatedCaptionBecomesTheHintWhileTheMouseIsOver) {
    TVeskPngButton* b = AddButton(20, 20, 60, 24);
    b->SetHint(L"own hint");
    b->SetShowHint(false);
    const std::wstring caption = L"A caption far too long for this button";
    b->SetCaption(caption);
    Form->Show();
    Form->Update();
    Drain();
    ASSERT_TRUE(b->GetCaptionTruncated());
    POINT p{30, 30};
    ClientToScreen(Form->GetHandle(), &p);
    SetCursorPos(p.x, p.y);
    Move(30, 30);
    EXPECT_EQ(b->GetHint(), caption);
    EXPECT_TRUE(b->GetShowHint());
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
    // Shown at once, without the usual pause.
    ASSERT_NE(Application->GetHintWindow(), nullptr);
    EXPECT_TRUE(Application->GetHintWindow()->GetVisible());
    EXPECT_EQ(Application->GetHintControl(), b);
    // The caption is changed to one that fits while the mouse is still over the button: leaving
    // must still give the button its own hint back.
    b->SetCaption(L"Ok");
    EXPECT_FALSE(b->GetCaptionTruncated());
    Move(200, 100);
    EXPECT_EQ(b->GetHint(), L"own hint");
    EXPECT_FALSE(b->GetShowHint());
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    // A caption that fits never touches the hint.
    Move(30, 30);
    EXPECT_EQ(b->GetHint(), L"own hint");
    ParkMouse();
}
