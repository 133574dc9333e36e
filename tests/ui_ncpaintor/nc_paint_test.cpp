// Composition of the non-client area: caption, buttons and their states, border, caption text, and
// the hover that the pointer's leaving clears.
#include "nc_fixture.h"

using namespace fw;
using namespace nctest;
using testsupport::PumpUntil;

namespace {

constexpr COLORREF kCaption = RGB(30, 60, 90);
constexpr COLORREF kBorder = RGB(200, 10, 10);
constexpr COLORREF kLogo = RGB(250, 250, 0);

// A three-state strip: normal, over, down in three shades of one colour.
TPngPtr Strip3(int FrameW, int H, int Base) {
    return PaintedPng(FrameW * 3, H, [=](int x, int) { return TColor(RGB(Base, 40 + 60 * (x / FrameW), 7)); });
}
COLORREF StripColor(int Base, int State) { return RGB(Base, 40 + 60 * State, 7); }

class NcPaintTest : public NcTest {
protected:
    // Solid colours: caption kCaption, border 1 of kBorder, an 18 x 18 logo, and button strips
    // whose frames are told apart by colour.
    TVeskNcResource* NewPlainResource() {
        auto* r = Own(new TVeskNcResource(nullptr));
        r->GetFormCaption()->SetImgBkgr(SolidPng(10, 26, TColor(kCaption)).get());
        r->GetFormCaption()->SetHeight(26);
        r->GetFormCaption()->GetFont()->SetColor(clWhite);
        r->GetFormBorder()->SetColorBkgr(TColor(kBorder));
        SetBorder(r->GetFormBorder(), 1);
        r->GetFormLogo()->SetImgBtn(SolidPng(18, 18, TColor(kLogo)).get());
        r->GetFormLogo()->SetBtnStateCount(1);
        r->GetBtnClose()->SetImgBtn(Strip3(28, 20, 250).get());
        r->GetBtnMinimize()->SetImgBtn(Strip3(24, 20, 200).get());
        r->GetBtnMenu()->SetImgBtn(Strip3(20, 20, 150).get());
        r->GetBtnSkin()->SetImgBtn(Strip3(16, 20, 100).get());
        return r;
    }
    // A form painted through R with these buttons.
    TProbePaintor* Paint(TVeskNcResource* R, TVeskShowNcBtns Btns) {
        R->Loaded();
        Form = FramedForm();
        P = new TProbePaintor(Form);
        P->SetShowBtns(Btns);
        P->SetResource(R);
        NcPaint(Form);
        return P;
    }
    int Width() const { return WindowRect(Form).right - WindowRect(Form).left; }
    int Height() const { return WindowRect(Form).bottom - WindowRect(Form).top; }
    // The colour the painter composed a few pixels into the button.
    COLORREF BtnColor(TVeskNcBtnEnum Id) {
        const TRect r = P->GetBtnRect(Id);
        return PixelColor(*P->NcBitmap(), r.Left + 3, r.Top + 3);
    }
    testsupport::TPlainForm* Form = nullptr;
    TProbePaintor* P = nullptr;
};

}  // namespace

TEST_F(NcPaintTest, ButtonsLineUpFromTheRightWithoutGapsAndImagelessOnesTakeNoPlace) {
    auto* r = NewPlainResource();
    r->SetBtnRightFix(2);
    Paint(r, {vnbLogo, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose});
    const int W = Width(), H = Height();
    const TRect close = P->GetBtnRect(vnbClose), min = P->GetBtnRect(vnbMinimize);
    // The caption bar runs from the border's left to its right edge.
    EXPECT_EQ(close.Right, W - 1 - 2);
    EXPECT_EQ(close.Width(), 28);
    EXPECT_EQ(min.Right, close.Left);
    EXPECT_EQ(min.Width(), 24);
    EXPECT_EQ(P->GetBtnRect(vnbMenu).Right, min.Left);
    EXPECT_EQ(P->GetBtnRect(vnbSkin).Right, P->GetBtnRect(vnbMenu).Left);
    EXPECT_TRUE(P->GetBtnRect(vnbMaximize).IsEmpty());
    EXPECT_TRUE(P->GetBtnRect(vnbCustom1).IsEmpty());  // not shown
    // The logo sits FormLogo.Left into the bar, centred vertically.
    EXPECT_EQ(P->GetBtnRect(vnbLogo).TopLeft(), TPoint(1 + 4, 1 + (26 - 18) / 2));

    TBitmap* b = P->NcBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetWidth(), W);
    EXPECT_EQ(BtnColor(vnbClose), StripColor(250, 0));
    EXPECT_EQ(BtnColor(vnbMinimize), StripColor(200, 0));
    EXPECT_EQ(BtnColor(vnbLogo), kLogo);
    EXPECT_EQ(PixelColor(*b, W / 2, 2), kCaption);
    for (POINT p : {POINT{0, H / 2}, POINT{W - 1, H / 2}, POINT{W / 2, H - 1}, POINT{W / 2, 0}})
        EXPECT_EQ(PixelColor(*b, p.x, p.y), kBorder) << p.x << "," << p.y;

    // A change of the buttons or the size recomposes at once.
    P->SetShowBtns({vnbSkin, vnbClose});
    EXPECT_EQ(P->GetBtnRect(vnbSkin).Right, close.Left);
    Form->SetWidth(Form->GetWidth() + 40);
    EXPECT_EQ(P->NcBitmap()->GetWidth(), W + 40);
    EXPECT_EQ(P->GetBtnRect(vnbClose).Right, Width() - 1 - 2);
}

TEST_F(NcPaintTest, CaptionTextOrTheLooksTextIsDrawnOpaqueRightOfTheLogo) {
    auto* r = NewPlainResource();
    r->GetFormCaption()->SetTextLeftFix(5);
    Paint(r, {vnbLogo, vnbClose});
    EXPECT_TRUE(P->TextRect().IsEmpty());
    r->GetFormCaption()->SetText(L"Fallback");
    NcPaint(Form);
    EXPECT_FALSE(P->TextRect().IsEmpty());
    Form->SetCaption(L"Wilhelm");
    NcPaint(Form);
    const TRect tr = P->TextRect();
    EXPECT_EQ(tr.Left, P->GetBtnRect(vnbLogo).Right + 5);
    // Every pixel of the text is opaque (its contrast is checked on the program's windows by
    // FrameTest.EveryTextOnASkinIsReadableOnIt in app_frame).
    int opaque = 0;
    for (int y = tr.Top; y < tr.Bottom; ++y)
        for (int x = tr.Left; x < tr.Right; ++x) opaque += P->NcBitmap()->ScanLine(y)[4 * x + 3] == 255;
    EXPECT_EQ(opaque, tr.Width() * tr.Height());
}

TEST_F(NcPaintTest, ThePointerLeavingAButtonForTheClientAreaOrAwayClearsItsHoverAndHint) {
    auto* r = NewPlainResource();
    r->GetBtnClose()->SetHint(L"Close");
    Paint(r, {vnbMenu, vnbClose});
    ShowWindow(Form->GetHandle(), SW_SHOWNOACTIVATE);
    testsupport::Pump(100);
    NcPaint(Form);
    const RECT wr = WindowRect(Form);
    const POINT c = Centre(P->GetBtnRect(vnbClose));
    auto pointerTo = [&](int x, int y, int hover) {
        SetCursorPos(wr.left + x, wr.top + y);
        return PumpUntil([&] { return P->HoverCode() == hover; }, 2000);
    };
    ASSERT_TRUE(pointerTo(c.x, c.y, HTCLOSE));
    EXPECT_EQ(BtnColor(vnbClose), StripColor(250, 1));
    EXPECT_EQ(BtnColor(vnbMenu), StripColor(150, 0));
    // Into the client area: the button goes back to normal and its hint is called off.
    EXPECT_TRUE(pointerTo(Width() / 2, Height() / 2, 0));
    EXPECT_EQ(BtnColor(vnbClose), StripColor(250, 0));
    ASSERT_NE(r->GetHintWnd(), nullptr);
    EXPECT_FALSE(KillTimer(r->GetHintWnd()->GetHandle(), 0));  // nothing scheduled any more
    // And straight from the button to somewhere off the window.
    ASSERT_TRUE(pointerTo(c.x, c.y, HTCLOSE));
    EXPECT_TRUE(pointerTo(Width() + 40, Height() + 40, 0));
}
