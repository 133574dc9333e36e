// The balloon hint: layout and arrow placement against the work area, the drawn balloon, the
// window it is shown in, and the pause-then-fade life cycle.
#include <gtest/gtest.h>

#include "VeskHint.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

#include <memory>

using namespace fw;

namespace {

class TPlainForm : public TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
};

class THintTarget : public TGraphicControl {
public:
    FW_CLASSNAME(THintTarget)
    explicit THintTarget(TComponent* AOwner) : TGraphicControl(AOwner) {}
};

// The cursor and the work area are given by the test; the internals are opened for reading.
class TProbeHint : public TveskHint {
public:
    FW_CLASSNAME(TProbeHint)
    explicit TProbeHint(TComponent* AOwner) : TveskHint(AOwner) {}
    TPoint Cursor{400, 100};
    TRect Area{0, 0, 1024, 768};
    using TveskHint::GetBitmap;
    using TveskHint::GetFadeStep;
    using TveskHint::GetFadeTimer;
    using TveskHint::GetHintForm;
    using TveskHint::GetPauseTimer;
    using TveskHint::GetTextRect;
    void PauseTick() { PauseTimerTick(GetPauseTimer()); }
    void FadeTick() { FadeTimerTick(GetFadeTimer()); }

protected:
    TPoint GetCursorPoint() const override { return Cursor; }
    TRect GetWorkArea() const override { return Area; }
};

std::unique_ptr<TPngImage> LoadSkin(const wchar_t* Name) {
    auto png = std::make_unique<TPngImage>();
    std::vector<uint8_t> bytes = testsupport::ReadResource(Name);
    if (!bytes.empty()) png->LoadFromMemory(bytes.data(), bytes.size());
    return png;
}

// The text's size as the balloon measures it, computed here independently.
SIZE MeasureWrapped(TFont* Font, const std::wstring& Text, int Width) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    RECT r{0, 0, Width, 0};
    std::wstring buf = Text;
    DrawTextW(dc, buf.data(), int(buf.size()), &r, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right, r.bottom};
}

uint8_t AlphaAt(TBitmap* B, int X, int Y) {
    return B->ScanLine(Y)[X * 4 + 3];
}

class HintTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Form = TForm::CreateNew<TPlainForm>(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 200, 100);
        Form->GetHandle();
        FormAlive = Form->AliveToken();
        Target = new THintTarget(Form);
        Target->SetParent(Form);
        Target->SetHint(L"Remind me");
        Hint = new TProbeHint(Form);
        Back = LoadSkin(L"hint_back");
        Arrow = LoadSkin(L"hint_arrow");
        ASSERT_EQ(Back->GetWidth(), 22);
        ASSERT_EQ(Arrow->GetWidth(), 96);
    }
    void TearDown() override {
        if (*FormAlive) Form->Free();
    }
    // The program's balloon skin: body cut at 8,8,14,14 and six 16 x 12 arrows.
    void Skin() {
        Hint->SetImgForm(Back.get());
        Hint->SetImgArrow(Arrow.get());
        Hint->GetFormSplit()->SetLeft(8);
        Hint->GetFormSplit()->SetTop(8);
        Hint->GetFormSplit()->SetRight(14);
        Hint->GetFormSplit()->SetBottom(14);
        Hint->Loaded();
    }
    bool Shown() const {
        return Hint->GetHintForm() && IsWindowVisible(Hint->GetHintForm()->GetHandle());
    }
    TRect WindowRect() const {
        RECT r{};
        GetWindowRect(Hint->GetHintForm()->GetHandle(), &r);
        return TRect(r);
    }

    TPlainForm* Form = nullptr;
    std::shared_ptr<bool> FormAlive;
    THintTarget* Target = nullptr;
    TProbeHint* Hint = nullptr;
    std::unique_ptr<TPngImage> Back, Arrow;
};

}  // namespace

TEST_F(HintTest, DefaultsOfANewHint) {
    EXPECT_EQ(Hint->GetAlphaWidth(), 3);
    EXPECT_EQ(Hint->GetAlpha(), 255);
    EXPECT_EQ(Hint->GetArrowKind(), AkTopCenter);
    EXPECT_EQ(Hint->GetArrowStateCount(), 6);
    EXPECT_EQ(Hint->GetInterVal(), 33);
    EXPECT_EQ(Hint->GetPauseTime(), 5000);
    EXPECT_EQ(Hint->GetDefaultWidth(), 300);
    EXPECT_TRUE(Hint->GetImgForm()->GetEmpty());
    EXPECT_TRUE(Hint->GetFormSplit()->IsEmpty());
    ASSERT_NE(Hint->GetPauseTimer(), nullptr);
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_EQ(Hint->GetFadeTimer(), nullptr);
    EXPECT_EQ(Hint->GetHintForm(), nullptr);
}

TEST_F(HintTest, BalloonHangsBelowTheCursorSizedToTheTextAndSkin) {
    Skin();
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Hint->GetHintText(), L"Remind me");
    EXPECT_EQ(Hint->GetArrowKind(), AkTopCenter);

    SIZE t = MeasureWrapped(Hint->GetFontHint(), L"Remind me", 300);
    const int w = (22 - 14) + 8 + t.cx;
    const int a = 12 - 3 - 1;
    const int h = (22 - 14) + 8 + t.cy + a;
    TBitmap* b = Hint->GetBitmap();
    EXPECT_EQ(b->GetWidth(), w);
    EXPECT_EQ(b->GetHeight(), h);
    EXPECT_EQ(Hint->GetTextRect(), TRect(8, 8, 8 + t.cx, 8 + t.cy));
    EXPECT_EQ(WindowRect(), Bounds(400 - w / 2, 100, w, h));

    // Owned by the form, layered, not stay-on-top, never activated.
    HWND wnd = Hint->GetHintForm()->GetHandle();
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), Form->GetHandle());
    LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageW(wnd, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    // The mouse passes through it: the cursor it opens under stays over the control beneath.
    EXPECT_NE(WindowFromPoint(POINT{400, 100 + h / 2}), wnd);
    EXPECT_NE(GetForegroundWindow(), wnd);
    EXPECT_EQ(Hint->GetHintForm()->GetOwner(), Form);
}

TEST_F(HintTest, DrawnBalloonHasTheArrowOnTopAndTheTextOnTheBody) {
    Skin();
    Hint->ShowHintAt(Target);
    TBitmap* b = Hint->GetBitmap();
    const int w = b->GetWidth(), h = b->GetHeight();
    const int a = 8;
    // Above the body only the arrow column is painted.
    EXPECT_EQ(AlphaAt(b, 1, 1), 0);
    EXPECT_EQ(AlphaAt(b, w - 2, 1), 0);
    int arrowPixels = 0;
    for (int y = 0; y < a; ++y)
        for (int x = (w - 16) / 2; x < (w - 16) / 2 + 16; ++x) arrowPixels += AlphaAt(b, x, y) > 0;
    EXPECT_GT(arrowPixels, 0);
    // The body is opaque inside its margins.
    EXPECT_EQ(AlphaAt(b, w / 2, a + 8), 255);
    EXPECT_EQ(AlphaAt(b, w / 2, h - 8), 255);
    // The text changed pixels of the body's text area (black on the light body).
    TRect tr = Hint->GetTextRect();
    int dark = 0;
    for (int y = tr.Top; y < tr.Bottom; ++y)
        for (int x = tr.Left; x < tr.Right; ++x) {
            const uint8_t* p = b->ScanLine(y + a) + x * 4;
            dark += (p[0] < 100 && p[1] < 100 && p[2] < 100);
        }
    EXPECT_GT(dark, 5);
}

TEST_F(HintTest, ArrowFollowsTheEdgesOfTheWorkArea) {
    Skin();
    struct Case {
        TPoint cursor;
        TVeskArrowKind kind;
    };
    const Case cases[] = {
        {{400, 760}, AkBottomCenter},
        {{2, 760}, AkleftBottom},
        {{1020, 760}, AkRightBottom},
        {{2, 100}, AkLeftTop},
        {{1020, 100}, AkRightTop},
    };
    for (const Case& c : cases) {
        Hint->Cursor = c.cursor;
        Hint->ShowHintAt(Target);
        EXPECT_EQ(Hint->GetArrowKind(), c.kind) << c.cursor.X << "," << c.cursor.Y;
        const int w = Hint->GetBitmap()->GetWidth(), h = Hint->GetBitmap()->GetHeight();
        int x = c.cursor.X, y = c.cursor.Y;
        switch (c.kind) {
            case AkLeftTop: break;
            case AkRightTop: x -= w; break;
            case AkleftBottom: y -= h; break;
            case AkBottomCenter: x -= w / 2; y -= h; break;
            case AkRightBottom: x -= w; y -= h; break;
            default: break;
        }
        EXPECT_EQ(WindowRect().TopLeft(), TPoint(x, y)) << c.cursor.X << "," << c.cursor.Y;
    }
    // Both sides too close: the left edge wins.
    Hint->Area = TRect(0, 0, 20, 768);
    Hint->Cursor = TPoint(10, 100);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetArrowKind(), AkLeftTop);
}

TEST_F(HintTest, CornerArrowsStandOverTheSkinsSideMargins) {
    Skin();
    const int a = 8;
    // Left kind: from the first split line; right kind: ending at the right piece's edge.
    struct Case {
        TPoint cursor;
        TVeskArrowKind kind;
    };
    for (const Case& c : {Case{{2, 100}, AkLeftTop}, Case{{1020, 100}, AkRightTop}}) {
        Hint->Cursor = c.cursor;
        Hint->ShowHintAt(Target);
        ASSERT_EQ(Hint->GetArrowKind(), c.kind);
        TBitmap* b = Hint->GetBitmap();
        const int w = b->GetWidth();
        const int from = c.kind == AkLeftTop ? 8 : w - (22 - 14) - 16;
        int inside = 0, outside = 0;
        for (int y = 0; y < a; ++y)
            for (int x = 0; x < w; ++x) (x >= from && x < from + 16 ? inside : outside) += AlphaAt(b, x, y) > 0;
        EXPECT_GT(inside, 0) << c.kind;
        EXPECT_EQ(outside, 0) << c.kind;
    }
}

TEST_F(HintTest, BottomArrowSitsAtTheBottomOfTheBalloon) {
    Skin();
    Hint->Cursor = TPoint(400, 760);
    Hint->ShowHintAt(Target);
    ASSERT_EQ(Hint->GetArrowKind(), AkBottomCenter);
    TBitmap* b = Hint->GetBitmap();
    const int w = b->GetWidth(), h = b->GetHeight();
    // The body starts at the top now; the rows under it hold only the arrow.
    EXPECT_EQ(AlphaAt(b, w / 2, 8), 255);
    EXPECT_EQ(AlphaAt(b, 1, h - 2), 0);
    int arrowPixels = 0;
    for (int y = h - 8; y < h; ++y)
        for (int x = (w - 16) / 2; x < (w - 16) / 2 + 16; ++x) arrowPixels += AlphaAt(b, x, y) > 0;
    EXPECT_GT(arrowPixels, 0);
}

TEST_F(HintTest, WorkAreaAwayFromTheScreenOriginIsMeasuredByItsEdges) {
    Skin();
    // 400 high, starting at y 200: a cursor at 380 has room below (bottom 600).
    Hint->Area = TRect(0, 200, 800, 600);
    Hint->Cursor = TPoint(400, 380);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetArrowKind(), AkTopCenter);
    // 300 wide starting at x 500: a cursor at 780 is near the right edge (800).
    Hint->Area = TRect(500, 0, 800, 600);
    Hint->Cursor = TPoint(780, 100);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetArrowKind(), AkRightTop);
}

TEST_F(HintTest, LongTextWrapsWithinTheDefaultWidth) {
    Skin();
    Hint->SetDefaultWidth(120);
    const std::wstring text = L"Water the plants on the balcony before the sun is up";
    Target->SetHint(text);
    Hint->ShowHintAt(Target);
    SIZE one = MeasureWrapped(Hint->GetFontHint(), L"Water", 1000);
    SIZE t = MeasureWrapped(Hint->GetFontHint(), text, 120);
    EXPECT_LE(t.cx, 120);
    EXPECT_GT(t.cy, 2 * one.cy);
    EXPECT_EQ(Hint->GetBitmap()->GetWidth(), 16 + t.cx);
    EXPECT_EQ(Hint->GetTextRect().Height(), t.cy);
}

TEST_F(HintTest, EmptyHintShowsNothingAndHidesAShownBalloon) {
    Skin();
    Target->SetHint(L"");
    Hint->ShowHintAt(Target);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Hint->GetHintForm(), nullptr);

    Target->SetHint(L"Call back");
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    Target->SetHint(L"");
    Hint->ShowHintAt(Target);
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_EQ(Hint->GetHintText(), L"Call back");
}

TEST_F(HintTest, PauseThenFadeHidesAfterThirtyTwoSteps) {
    Skin();
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_EQ(Hint->GetPauseTimer()->GetInterval(), 5000u);
    EXPECT_EQ(Hint->GetFadeStep(), 5);

    Hint->PauseTick();
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    ASSERT_NE(Hint->GetFadeTimer(), nullptr);
    EXPECT_TRUE(Hint->GetFadeTimer()->GetEnabled());
    EXPECT_EQ(Hint->GetFadeTimer()->GetInterval(), 33u);

    int ticks = 0;
    while (Shown() && ticks < 100) {
        Hint->FadeTick();
        ++ticks;
        if (ticks == 1) {
            EXPECT_EQ(Hint->GetAlpha(), 250);
        }
        if (ticks == 31) {
            EXPECT_EQ(Hint->GetAlpha(), 100);
        }
    }
    EXPECT_EQ(ticks, 32);
    EXPECT_EQ(Hint->GetAlpha(), 95);
    EXPECT_FALSE(Hint->GetFadeTimer()->GetEnabled());
}

TEST_F(HintTest, RealTimersRunThePauseAndTheFade) {
    Skin();
    Hint->SetPauseTime(30);
    Hint->SetInterVal(1);
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return !Shown(); }, 10000));
    EXPECT_EQ(Hint->GetAlpha(), 95);
}

TEST_F(HintTest, ShowingAgainDuringTheFadeRestartsOpaque) {
    Skin();
    Hint->ShowHintAt(Target);
    Hint->PauseTick();
    for (int i = 0; i < 10; ++i) Hint->FadeTick();
    ASSERT_EQ(Hint->GetAlpha(), 205);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetAlpha(), 255);
    EXPECT_EQ(Hint->GetFadeTimer(), nullptr);
    EXPECT_TRUE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_TRUE(Shown());
}

TEST_F(HintTest, HideHintStopsEveryPhase) {
    Skin();
    Hint->HideHint();  // nothing to hide yet
    Hint->ShowHintAt(Target);
    Hint->PauseTick();
    Hint->HideHint();
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_FALSE(Hint->GetFadeTimer()->GetEnabled());
}

TEST_F(HintTest, WithoutABodySkinTheWindowIsTransparentButStillTimed) {
    Hint->SetImgArrow(Arrow.get());
    Hint->Loaded();
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    TBitmap* b = Hint->GetBitmap();
    for (int y = 0; y < b->GetHeight(); ++y)
        for (int x = 0; x < b->GetWidth(); ++x) ASSERT_EQ(AlphaAt(b, x, y), 0) << x << "," << y;
    EXPECT_TRUE(Hint->GetPauseTimer()->GetEnabled());
}

TEST_F(HintTest, ArrowStateCountOutOfRangeDrawsNoArrowButKeepsItsRows) {
    Hint->SetArrowStateCount(7);
    Skin();
    Hint->ShowHintAt(Target);
    TBitmap* b = Hint->GetBitmap();
    SIZE t = MeasureWrapped(Hint->GetFontHint(), L"Remind me", 300);
    EXPECT_EQ(b->GetHeight(), 16 + t.cy + 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < b->GetWidth(); ++x) ASSERT_EQ(AlphaAt(b, x, y), 0) << x << "," << y;
}

TEST_F(HintTest, LogoAndTitleDoNotMoveTheText) {
    Skin();
    Hint->ShowHintAt(Target);
    const TRect plain = Hint->GetTextRect();
    const int plainW = Hint->GetBitmap()->GetWidth();

    auto logo = std::make_unique<TPngImage>();
    logo->CreateBlank(png::COLOR_RGBALPHA, 8, 4, 4);
    for (int y = 0; y < 4; ++y) {
        uint8_t* c = logo->Scanline(y);
        uint8_t* al = logo->AlphaScanline(y);
        for (int x = 0; x < 4; ++x) {
            c[x * 3] = 0; c[x * 3 + 1] = 0; c[x * 3 + 2] = 255;  // red
            al[x] = 255;
        }
    }
    Hint->SetImgLogo(logo.get());
    Hint->SetHintTitle(L"Note");
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetTextRect(), plain);
    EXPECT_EQ(Hint->GetBitmap()->GetWidth(), plainW);
    // The logo sits at AlphaWidth + 4 inside the body, which starts under the arrow rows.
    const uint8_t* p = Hint->GetBitmap()->ScanLine(8 + 10) + 10 * 4;
    EXPECT_EQ(p[2], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[0], 0);
}

TEST_F(HintTest, ChangedBodySkinIsUsedAtTheNextShow) {
    Skin();
    Hint->ShowHintAt(Target);
    const int w1 = Hint->GetBitmap()->GetWidth();
    // Narrower side margins: 4 instead of 8 on each side.
    Hint->GetFormSplit()->SetLeft(4);
    Hint->GetFormSplit()->SetRight(18);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetBitmap()->GetWidth(), w1 - 8);
    EXPECT_EQ(AlphaAt(Hint->GetBitmap(), Hint->GetBitmap()->GetWidth() / 2, 8 + 6), 255);

    // A new body picture of the same size: its colour, not the old pieces', fills the body.
    auto green = std::make_unique<TPngImage>();
    green->CreateBlank(png::COLOR_RGBALPHA, 8, 22, 22);
    for (int y = 0; y < 22; ++y) {
        uint8_t* c = green->Scanline(y);
        uint8_t* al = green->AlphaScanline(y);
        for (int x = 0; x < 22; ++x) {
            c[x * 3] = 0; c[x * 3 + 1] = 200; c[x * 3 + 2] = 0;
            al[x] = 255;
        }
    }
    Hint->SetImgForm(green.get());
    Target->SetHint(L"   ");  // blanks only: no text pixels over the body
    Hint->ShowHintAt(Target);
    TBitmap* b = Hint->GetBitmap();
    const uint8_t* p = b->ScanLine(b->GetHeight() - 2) + (b->GetWidth() / 2) * 4;
    EXPECT_EQ(p[1], 200);
    EXPECT_EQ(p[2], 0);
}

TEST_F(HintTest, WindowFreedByItsOwnerIsForgottenAndMadeAgain) {
    Skin();
    Hint->ShowHintAt(Target);
    TVeskHintForm* first = Hint->GetHintForm();
    ASSERT_NE(first, nullptr);
    first->Free();
    EXPECT_EQ(Hint->GetHintForm(), nullptr);
    Hint->HideHint();
    Hint->ShowHintAt(Target);
    EXPECT_TRUE(Shown());
}

TEST_F(HintTest, FreeingTheHintTakesTheBalloonOffTheScreen) {
    Skin();
    Hint->ShowHintAt(Target);
    HWND wnd = Hint->GetHintForm()->GetHandle();
    ASSERT_TRUE(IsWindowVisible(wnd));
    Hint->Free();
    Hint = nullptr;
    EXPECT_FALSE(IsWindow(wnd) && IsWindowVisible(wnd));
}

TEST_F(HintTest, HintWithoutOwnerFreesItsOwnWindow) {
    auto* lone = new TProbeHint(nullptr);
    lone->SetImgForm(Back.get());
    lone->GetFormSplit()->SetLeft(8);
    lone->GetFormSplit()->SetTop(8);
    lone->GetFormSplit()->SetRight(14);
    lone->GetFormSplit()->SetBottom(14);
    lone->ShowHintAt(Target);
    HWND wnd = lone->GetHintForm()->GetHandle();
    ASSERT_TRUE(IsWindow(wnd));
    lone->Free();
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(HintTest, SplitLinesBeyondAMissingSkinStillGiveAWindow) {
    // No body picture, but split lines as for the real skin: the sums go negative for a short
    // text; the balloon must still be a real (transparent) window.
    Hint->GetFormSplit()->SetLeft(8);
    Hint->GetFormSplit()->SetTop(8);
    Hint->GetFormSplit()->SetRight(14);
    Hint->GetFormSplit()->SetBottom(40);
    Target->SetHint(L"i");
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_GE(Hint->GetBitmap()->GetWidth(), 1);
    EXPECT_GE(Hint->GetBitmap()->GetHeight(), 1);
    EXPECT_GE(WindowRect().Width(), 1);
}
