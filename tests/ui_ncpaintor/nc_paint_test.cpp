// Composition of the non-client area (caption, buttons and their states, border, caption text),
// the client background and the delayed caption-button hint.
#include "nc_fixture.h"

using namespace fw;
using namespace nctest;

namespace {

constexpr COLORREF kCaption = RGB(30, 60, 90);
constexpr COLORREF kBorder = RGB(200, 10, 10);
constexpr COLORREF kLogo = RGB(250, 250, 0);

// A three-state strip: normal, over, down in three shades of one colour.
TPngPtr Strip(int FrameW, int H, int Base) {
    return PaintedPng(FrameW * 3, H, [=](int x, int) { return TColor(RGB(Base, 40 + 60 * (x / FrameW), 7)); });
}
COLORREF StripColor(int Base, int State) { return RGB(Base, 40 + 60 * State, 7); }

}  // namespace

class NcPaintTest : public NcTest {
protected:
    // A resource of solid colours: caption kCaption, border 1 of kBorder, an 18 x 18 logo, and
    // button strips whose frames are told apart by colour.
    TVeskNcResource* NewPlainResource(int CaptionHeight = 26) {
        auto* r = new TVeskNcResource(nullptr);
        Components.push_back(r);
        r->GetFormCaption()->SetImgBkgr(SolidPng(10, CaptionHeight, TColor(kCaption)).get());
        r->GetFormCaption()->SetHeight(CaptionHeight);
        r->GetFormCaption()->GetFont()->SetColor(clWhite);
        r->GetFormBorder()->SetColorBkgr(TColor(kBorder));
        r->GetFormBorder()->SetLeft(1);
        r->GetFormBorder()->SetTop(1);
        r->GetFormBorder()->SetRight(1);
        r->GetFormBorder()->SetBottom(1);
        r->GetFormLogo()->SetImgBtn(SolidPng(18, 18, TColor(kLogo)).get());
        r->GetFormLogo()->SetBtnStateCount(1);
        r->GetBtnClose()->SetImgBtn(Strip(28, 20, 250).get());
        r->GetBtnMinimize()->SetImgBtn(Strip(24, 20, 200).get());
        r->GetBtnMenu()->SetImgBtn(Strip(20, 20, 150).get());
        r->GetBtnSkin()->SetImgBtn(Strip(16, 20, 100).get());
        r->GetBtnMaximize()->SetImgBtn(Strip(28, 20, 50).get());
        r->GetBtnMaximize()->SetImgRestore(Strip(28, 20, 20).get());
        return r;
    }
    TProbePaintor* Paint(TVeskNcResource* R, TVeskShowNcBtns Btns, bool Show = false) {
        R->Loaded();
        Form = NewForm();
        auto* p = new TProbePaintor(Form);
        p->SetShowBtns(Btns);
        p->SetResource(R);
        if (Show) Form->Show();
        SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
        return p;
    }
    int Width() const {
        RECT wr{};
        GetWindowRect(Form->GetHandle(), &wr);
        return wr.right - wr.left;
    }
    int Height() const {
        RECT wr{};
        GetWindowRect(Form->GetHandle(), &wr);
        return wr.bottom - wr.top;
    }
    void MoveOver(TVeskNcBtnEnum Id, TProbePaintor* P) {
        POINT c = Centre(P->GetBtnRect(Id));
        SendMessageW(Form->GetHandle(), WM_NCMOUSEMOVE, 0, ScreenLParam(ScreenOf(Form, c.x, c.y)));
    }
    TNcForm* Form = nullptr;
};

TEST_F(NcPaintTest, ButtonsLineUpFromTheRightWithoutGapsAndImagelessOnesTakeNoPlace) {
    auto* r = NewPlainResource();
    r->SetBtnRightFix(2);
    TPngImage none;
    r->GetBtnMaximize()->SetImgBtn(&none);
    auto* p = Paint(r, {vnbLogo, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose});
    const int W = Width();
    const TRect close = p->GetBtnRect(vnbClose), min = p->GetBtnRect(vnbMinimize);
    const TRect menu = p->GetBtnRect(vnbMenu), skin = p->GetBtnRect(vnbSkin);
    // The caption bar runs from the border's left to its right edge.
    EXPECT_EQ(close.Right, W - 1 - 2);
    EXPECT_EQ(close.Width(), 28);
    EXPECT_EQ(min.Right, close.Left);
    EXPECT_EQ(min.Width(), 24);
    EXPECT_EQ(menu.Right, min.Left);
    EXPECT_EQ(skin.Right, menu.Left);
    EXPECT_EQ(skin.Width(), 16);
    EXPECT_TRUE(p->GetBtnRect(vnbMaximize).IsEmpty());
    EXPECT_TRUE(p->GetBtnRect(vnbCustom1).IsEmpty());  // not shown
    // The logo sits FormLogo.Left into the bar, centred vertically.
    const TRect logo = p->GetBtnRect(vnbLogo);
    EXPECT_EQ(logo.Left, 1 + 4);
    EXPECT_EQ(logo.Top, 1 + (26 - 18) / 2);
    EXPECT_EQ(logo.Width(), 18);

    TBitmap* b = p->NcBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetWidth(), W);
    EXPECT_EQ(b->GetHeight(), Height());
    EXPECT_EQ(BmpColor(b, close.Left + 3, close.Top + 3), StripColor(250, 0));
    EXPECT_EQ(BmpColor(b, min.Left + 3, min.Top + 3), StripColor(200, 0));
    EXPECT_EQ(BmpColor(b, logo.Left + 3, logo.Top + 3), kLogo);
    EXPECT_EQ(BmpColor(b, W / 2, 2), kCaption);
    // The border strips, and not the client area.
    EXPECT_EQ(BmpColor(b, 0, Height() / 2), kBorder);
    EXPECT_EQ(BmpColor(b, W - 1, Height() / 2), kBorder);
    EXPECT_EQ(BmpColor(b, W / 2, Height() - 1), kBorder);
    EXPECT_EQ(BmpColor(b, W / 2, 0), kBorder);
}

TEST_F(NcPaintTest, ButtonsAreCentredWithHalvesRoundedToEven) {
    auto* r = NewPlainResource(29);
    r->GetBtnClose()->SetImgBtn(Strip(20, 18, 250).get());
    r->GetBtnMinimize()->SetImgBtn(Strip(20, 17, 200).get());
    r->GetBtnMenu()->SetImgBtn(Strip(20, 20, 150).get());
    r->SetBtnTopFix(1);
    auto* p = Paint(r, {vnbMenu, vnbMinimize, vnbClose});
    // The bar starts below the one-pixel border; (29 - 18) / 2 = 5.5 -> 6, 6 exactly, 4.5 -> 4.
    EXPECT_EQ(p->GetBtnRect(vnbClose).Top, 1 + 6 + 1);
    EXPECT_EQ(p->GetBtnRect(vnbMinimize).Top, 1 + 6 + 1);
    EXPECT_EQ(p->GetBtnRect(vnbMenu).Top, 1 + 4 + 1);
    EXPECT_EQ(p->GetBtnRect(vnbMenu).Height(), 20);
}

TEST_F(NcPaintTest, HoverShowsTheOverFrameAndLeavingClearsIt) {
    auto* p = Paint(NewPlainResource(), {vnbMenu, vnbClose});
    const TRect close = p->GetBtnRect(vnbClose), menu = p->GetBtnRect(vnbMenu);
    MoveOver(vnbClose, p);
    EXPECT_EQ(p->HoverCode(), HTCLOSE);
    EXPECT_EQ(BmpColor(p->NcBitmap(), close.Left + 3, close.Top + 3), StripColor(250, 1));
    EXPECT_EQ(BmpColor(p->NcBitmap(), menu.Left + 3, menu.Top + 3), StripColor(150, 0));
    SendMessageW(Form->GetHandle(), WM_NCMOUSELEAVE, 0, 0);
    EXPECT_EQ(p->HoverCode(), 0);
    EXPECT_EQ(BmpColor(p->NcBitmap(), close.Left + 3, close.Top + 3), StripColor(250, 0));
}

TEST_F(NcPaintTest, MaximizedFormsShowTheRestoreFrames) {
    auto* p = Paint(NewPlainResource(), {vnbMaximize, vnbClose}, true);
    TRect max = p->GetBtnRect(vnbMaximize);
    EXPECT_EQ(BmpColor(p->NcBitmap(), max.Left + 3, max.Top + 3), StripColor(50, 0));
    ShowWindow(Form->GetHandle(), SW_MAXIMIZE);
    Drain();
    ASSERT_EQ(Form->GetWindowState(), wsMaximized);
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    max = p->GetBtnRect(vnbMaximize);
    // No border while maximized: the buttons move out to the window's edge.
    EXPECT_EQ(p->GetBtnRect(vnbClose).Right, Width() - 4);
    EXPECT_EQ(max.Right, p->GetBtnRect(vnbClose).Left);
    EXPECT_EQ(BmpColor(p->NcBitmap(), max.Left + 3, max.Top + 3), StripColor(20, 0));
    MoveOver(vnbMaximize, p);
    EXPECT_EQ(BmpColor(p->NcBitmap(), max.Left + 3, max.Top + 3), StripColor(20, 1));
}

TEST_F(NcPaintTest, AfterDrawBtnSeesEveryShownButtonInIdOrder) {
    auto* r = NewPlainResource();
    r->Loaded();
    Form = NewForm();
    auto* p = new TProbePaintor(Form);
    std::vector<std::pair<TVeskNcBtnEnum, TRect>> seen;
    p->OnAfterDrawBtn = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum Id, TCanvas* C, TRect R) {
        EXPECT_EQ(S, p);
        EXPECT_NE(C, nullptr);
        seen.emplace_back(Id, R);
    };
    p->SetShowBtns({vnbLogo, vnbMinimize, vnbClose});
    p->SetResource(r);
    seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, vnbLogo);
    EXPECT_EQ(seen[1].first, vnbMinimize);
    EXPECT_EQ(seen[2].first, vnbClose);
    EXPECT_EQ(seen[2].second, p->GetBtnRect(vnbClose));
}

TEST_F(NcPaintTest, CaptionTextIsDrawnOpaqueRightOfTheLogo) {
    auto* r = NewPlainResource();
    r->GetFormCaption()->SetTextLeftFix(5);
    r->Loaded();
    Form = NewForm();
    Form->SetCaption(L"Wilhelm");
    auto* p = new TProbePaintor(Form);
    p->SetShowBtns({vnbLogo, vnbClose});
    p->SetResource(r);
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    const TRect tr = p->TextRect();
    EXPECT_EQ(tr.Left, p->GetBtnRect(vnbLogo).Right + 5);
    TCanvas measure;
    HDC dc = GetDC(nullptr);
    measure.SetHandle(dc);
    measure.GetFont()->Assign(r->GetFormCaption()->GetFont());
    const SIZE ext = measure.TextExtent(L"Wilhelm");
    measure.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(tr.Width(), ext.cx + 2);
    EXPECT_EQ(tr.Height(), ext.cy);
    // White text on the caption colour, every pixel of it opaque.
    int white = 0, opaque = 0;
    TBitmap* b = p->NcBitmap();
    for (int y = tr.Top; y < tr.Bottom; ++y)
        for (int x = tr.Left; x < tr.Right; ++x) {
            if (BmpColor(b, x, y) == RGB(255, 255, 255)) ++white;
            if (b->ScanLine(y)[4 * x + 3] == 255) ++opaque;
        }
    EXPECT_GT(white, 10);
    EXPECT_EQ(opaque, tr.Width() * tr.Height());
}

TEST_F(NcPaintTest, TheCaptionLooksTextStandsInForAnEmptyCaptionAndNoTextDrawsNothing) {
    auto* r = NewPlainResource();
    r->Loaded();
    Form = NewForm();
    auto* p = new TProbePaintor(Form);
    p->SetShowBtns({vnbLogo});
    p->SetResource(r);
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    EXPECT_TRUE(p->TextRect().IsEmpty());
    const TRect logo = p->GetBtnRect(vnbLogo);
    EXPECT_EQ(BmpColor(p->NcBitmap(), logo.Left + 1, logo.Top + 1), kLogo);
    r->GetFormCaption()->SetText(L"Fallback");
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    EXPECT_FALSE(p->TextRect().IsEmpty());
    EXPECT_EQ(p->TextRect().Left, logo.Right + 2);
}

TEST_F(NcPaintTest, ClientBackgroundIsPaintedFromTheImageAndCachedBySize) {
    auto* r = NewPlainResource();
    r->GetFormClient()->SetImgBkgr(SolidPng(8, 8, TColor(RGB(1, 120, 3))).get());
    auto* p = Paint(r, {vnbClose});
    testsupport::DibSurface s(Form->GetClientWidth(), Form->GetClientHeight(), 0xFF000000u);
    Form->PaintTo(s.Dc(), 0, 0);
    EXPECT_EQ(s.Color(s.Width() / 2, s.Height() / 2), RGB(1, 120, 3));
    TBitmap* cached = p->ClientBitmap();
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->GetWidth(), Form->GetClientWidth());

    // A new image at the same size shows only after a size change.
    r->GetFormClient()->SetImgBkgr(SolidPng(8, 8, TColor(RGB(90, 4, 4))).get());
    Form->PaintTo(s.Dc(), 0, 0);
    EXPECT_EQ(s.Color(s.Width() / 2, s.Height() / 2), RGB(1, 120, 3));
    Form->SetWidth(Form->GetWidth() + 10);
    testsupport::DibSurface s2(Form->GetClientWidth(), Form->GetClientHeight(), 0xFF000000u);
    Form->PaintTo(s2.Dc(), 0, 0);
    EXPECT_EQ(s2.Color(s2.Width() / 2, s2.Height() / 2), RGB(90, 4, 4));
}

TEST_F(NcPaintTest, WithoutAClientImageTheFormErasesWithTheClientColour) {
    auto* r = NewPlainResource();
    r->GetFormClient()->SetColorBkgr(TColor(RGB(7, 77, 170)));
    auto* p = Paint(r, {vnbClose});
    testsupport::DibSurface s(Form->GetClientWidth(), Form->GetClientHeight(), 0xFF000000u);
    Form->PaintTo(s.Dc(), 0, 0);
    EXPECT_EQ(s.Color(5, 5), RGB(7, 77, 170));
    EXPECT_EQ(p->ClientBitmap(), nullptr);
}

TEST_F(NcPaintTest, TheCaptionStripReachesTheWindow) {
    auto* p = Paint(NewPlainResource(), {vnbLogo, vnbClose}, true);
    Drain(50);
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    const int W = Width();
    testsupport::DibSurface s(W, 30, 0xFF000000u);
    HDC wdc = GetWindowDC(Form->GetHandle());
    BitBlt(s.Dc(), 0, 0, W, 30, wdc, 0, 0, SRCCOPY);
    ReleaseDC(Form->GetHandle(), wdc);
    const TRect close = p->GetBtnRect(vnbClose);
    EXPECT_EQ(s.Color(W / 2, 10), kCaption);
    EXPECT_EQ(s.Color(close.Left + 3, close.Top + 3), StripColor(250, 0));
}

TEST_F(NcPaintTest, HintShowsAfterAPauseAndGoesAgain) {
    auto* r = NewPlainResource();
    r->GetBtnClose()->SetHint(L"Close");
    auto* p = Paint(r, {vnbMenu, vnbClose});
    MoveOver(vnbMenu, p);  // no hint text: nothing scheduled
    EXPECT_EQ(r->GetHintWnd(), nullptr);
    MoveOver(vnbClose, p);
    TVeskNcHintWnd* h = r->GetHintWnd();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->GetHintText(), L"Close");
    EXPECT_FALSE(h->IsShowing());
    DWORD start = GetTickCount();
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return h->IsShowing(); }, 4000));
    EXPECT_GE(GetTickCount() - start, 1800u);
    start = GetTickCount();
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return !h->IsShowing(); }, 4000));
    EXPECT_GE(GetTickCount() - start, 1300u);

    // Leaving hides at once and cancels a scheduled hint.
    MoveOver(vnbMenu, p);
    MoveOver(vnbClose, p);
    SendMessageW(Form->GetHandle(), WM_NCMOUSELEAVE, 0, 0);
    testsupport::PumpMessagesFor(2300);
    EXPECT_FALSE(h->IsShowing());
}

TEST_F(NcPaintTest, NoHintWhileTheResourceHintsAreOff) {
    auto* r = NewPlainResource();
    r->GetBtnClose()->SetHint(L"Close");
    r->SetShowHint(false);
    auto* p = Paint(r, {vnbClose});
    MoveOver(vnbClose, p);
    EXPECT_EQ(r->GetHintWnd(), nullptr);
}

TEST_F(NcPaintTest, ChangingTheButtonsOrTheSizeRecomposesAtOnce) {
    auto* p = Paint(NewPlainResource(), {vnbClose});
    EXPECT_TRUE(p->GetBtnRect(vnbMinimize).IsEmpty());
    p->SetShowBtns({vnbMinimize, vnbClose});
    const TRect min = p->GetBtnRect(vnbMinimize);
    ASSERT_FALSE(min.IsEmpty());
    EXPECT_EQ(BmpColor(p->NcBitmap(), min.Left + 3, min.Top + 3), StripColor(200, 0));

    const int w = p->NcBitmap()->GetWidth();
    Form->SetWidth(Form->GetWidth() + 40);
    EXPECT_EQ(p->NcBitmap()->GetWidth(), w + 40);
    EXPECT_EQ(p->GetBtnRect(vnbClose).Right, Width() - 1 - 4);
}

TEST_F(NcPaintTest, ThePointerLeavingAButtonForTheClientAreaOrAwayClearsItsHover) {
    auto* r = NewPlainResource();
    r->GetBtnClose()->SetHint(L"Close");
    auto* p = Paint(r, {vnbMenu, vnbClose});
    ShowWindow(Form->GetHandle(), SW_SHOWNOACTIVATE);
    Drain(100);
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    const TRect close = p->GetBtnRect(vnbClose);
    const POINT onClose = ScreenOf(Form, Centre(close).x, Centre(close).y);
    SetCursorPos(onClose.x, onClose.y);
    ASSERT_TRUE(testsupport::PumpMessagesUntil([&] { return p->HoverCode() == HTCLOSE; }, 2000));
    EXPECT_EQ(BmpColor(p->NcBitmap(), close.Left + 3, close.Top + 3), StripColor(250, 1));

    // Into the client area: the button goes back to normal and its hint is called off.
    const POINT inClient = ScreenOf(Form, Width() / 2, Height() / 2);
    SetCursorPos(inClient.x, inClient.y);
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return p->HoverCode() == 0; }, 2000));
    EXPECT_EQ(BmpColor(p->NcBitmap(), close.Left + 3, close.Top + 3), StripColor(250, 0));
    ASSERT_NE(r->GetHintWnd(), nullptr);
    EXPECT_FALSE(KillTimer(r->GetHintWnd()->GetHandle(), 0));  // nothing scheduled any more

    // And straight from the button to somewhere off the window.
    SetCursorPos(onClose.x, onClose.y);
    ASSERT_TRUE(testsupport::PumpMessagesUntil([&] { return p->HoverCode() == HTCLOSE; }, 2000));
    const POINT away = ScreenOf(Form, Width() + 40, Height() + 40);
    SetCursorPos(away.x, away.y);
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return p->HoverCode() == 0; }, 2000));
}
