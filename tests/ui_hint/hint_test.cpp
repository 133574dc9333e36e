// The balloon hint: layout and arrow placement against the work area, the drawn balloon, its
// window, and the pause-then-fade life cycle.
#include <gtest/gtest.h>

#include "VeskHint.h"
#include "fw_stdctrls.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using namespace testsupport;

namespace {

// The cursor and the work area are given by the test; the internals are opened for reading.
class TProbeHint : public TveskHint {
public:
    FW_CLASSNAME(TProbeHint)
    explicit TProbeHint(TComponent* AOwner) : TveskHint(AOwner) {}
    TPoint Cursor{400, 100};
    TRect Area{0, 0, 1024, 768};
    using TveskHint::GetBitmap;
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

uint8_t AlphaAt(TBitmap* B, int X, int Y) { return B->ScanLine(Y)[X * 4 + 3]; }
// Pixels of the rectangle that are not fully transparent.
int Painted(TBitmap* B, int L, int T, int R, int Bm) {
    int n = 0;
    for (int y = T; y < Bm; ++y)
        for (int x = L; x < R; ++x) n += AlphaAt(B, x, y) > 0;
    return n;
}

// The program's balloon skin: a 22 x 22 body cut at 8,8,14,14 and six 16 x 12 arrows; its
// arrow rows are 12 - AlphaWidth - 1 = 8 high.
constexpr int kArrowRows = 8;

class HintTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(200, 100);
        Form->GetHandle();
        Target = new TLabel(Form);
        Target->SetParent(Form);
        Target->SetHint(L"Remind me");
        Hint = new TProbeHint(Form);
    }
    static void Split(TveskHint* H, int Bottom = 14) {
        H->GetFormSplit()->SetLeft(8);
        H->GetFormSplit()->SetTop(8);
        H->GetFormSplit()->SetRight(14);
        H->GetFormSplit()->SetBottom(Bottom);
    }
    void Skinned() {
        Hint->SetImgForm(Back.get());
        Hint->SetImgArrow(Arrow.get());
        Split(Hint);
        Hint->Loaded();
    }
    bool Shown() const { return Hint->GetHintForm() && IsWindowVisible(Hint->GetHintForm()->GetHandle()); }

    TPlainForm* Form = nullptr;
    TLabel* Target = nullptr;
    TProbeHint* Hint = nullptr;
    std::unique_ptr<TPngImage> Back = Skin(L"hint_back"), Arrow = Skin(L"hint_arrow");
};

}  // namespace

TEST_F(HintTest, BalloonIsSizedToTheTextInAnOwnedLayeredWindowThatNeverTakesTheMouse) {
    Skinned();
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Hint->GetHintText(), L"Remind me");
    const SIZE t = MeasureText(Hint->GetFontHint(), L"Remind me", DT_WORDBREAK, 300);
    const int w = (22 - 14) + 8 + t.cx, h = (22 - 14) + 8 + t.cy + kArrowRows;
    TBitmap* b = Hint->GetBitmap();
    EXPECT_EQ(b->GetWidth(), w);
    EXPECT_EQ(b->GetHeight(), h);
    EXPECT_EQ(Hint->GetTextRect(), TRect(8, 8, 8 + t.cx, 8 + t.cy));
    EXPECT_EQ(TRect(WindowRect(Hint->GetHintForm())), Bounds(400 - w / 2, 100, w, h));

    // Owned by the form, layered, not stay-on-top, never activated.
    HWND wnd = Hint->GetHintForm()->GetHandle();
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), Form->GetHandle());
    LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageW(wnd, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    // The mouse passes through it: the cursor it opens under stays over the control beneath.
    EXPECT_NE(WindowFromPoint(POINT{400, 100 + h / 2}), wnd);
}

TEST_F(HintTest, TheArrowPointsAtTheCursorFromTheSideTheWorkAreaLeavesRoomFor) {
    Skinned();
    struct Case {
        TRect area;
        TPoint cursor;
        TVeskArrowKind kind;
    } cases[] = {
        {{0, 0, 1024, 768}, {400, 100}, AkTopCenter},   {{0, 0, 1024, 768}, {2, 100}, AkLeftTop},
        {{0, 0, 1024, 768}, {1020, 100}, AkRightTop},   {{0, 0, 1024, 768}, {400, 760}, AkBottomCenter},
        {{0, 0, 1024, 768}, {2, 760}, AkleftBottom},    {{0, 0, 1024, 768}, {1020, 760}, AkRightBottom},
        {{0, 0, 20, 768}, {10, 100}, AkLeftTop},        // both sides too close: the left wins
        // A work area away from the screen's origin is measured by its edges: room below
        // (bottom 600), and near the right edge (800).
        {{0, 200, 800, 600}, {400, 380}, AkTopCenter}, {{500, 0, 800, 600}, {780, 100}, AkRightTop},
    };
    for (const Case& c : cases) {
        Hint->Area = c.area;
        Hint->Cursor = c.cursor;
        Hint->ShowHintAt(Target);
        const std::string at = std::to_string(c.cursor.X) + "," + std::to_string(c.cursor.Y);
        ASSERT_EQ(Hint->GetArrowKind(), c.kind) << at;
        TBitmap* b = Hint->GetBitmap();
        const int w = b->GetWidth(), h = b->GetHeight();
        const bool onTop = c.kind <= AkRightTop;
        const int side = (c.kind - 1) % 3;  // 0 left, 1 centre, 2 right
        // The window hangs from the cursor; the arrow stands over the skin's side margin.
        const int x = c.cursor.X - (side == 0 ? 0 : side == 1 ? w / 2 : w);
        const RECT wr = WindowRect(Hint->GetHintForm());
        EXPECT_EQ(TPoint(wr.left, wr.top), TPoint(x, onTop ? c.cursor.Y : c.cursor.Y - h)) << at;
        const int from = side == 0 ? 8 : side == 1 ? (w - 16) / 2 : w - (22 - 14) - 16;
        const int top = onTop ? 0 : h - kArrowRows;
        EXPECT_GT(Painted(b, from, top, from + 16, top + kArrowRows), 0) << at;
        EXPECT_EQ(Painted(b, 0, top, w, top + kArrowRows) - Painted(b, from, top, from + 16, top + kArrowRows), 0)
            << at;
        // The body is opaque inside its margins.
        EXPECT_EQ(AlphaAt(b, w / 2, (onTop ? kArrowRows : 0) + 8), 255) << at;
    }
}

TEST_F(HintTest, EmptyHintShowsNothingAndHidesAShownBalloon) {
    Skinned();
    Target->SetHint(L"");
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetHintForm(), nullptr);

    Target->SetHint(L"Call back");
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    Target->SetHint(L"");
    Hint->ShowHintAt(Target);
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
}

TEST_F(HintTest, APauseThenThirtyTwoFadeStepsHideItAndShowingAgainRestartsOpaque) {
    Skinned();
    Hint->HideHint();  // nothing to hide yet
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Hint->GetPauseTimer()->GetEnabled());
    Hint->PauseTick();
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    ASSERT_NE(Hint->GetFadeTimer(), nullptr);
    EXPECT_TRUE(Hint->GetFadeTimer()->GetEnabled());
    std::vector<int> alphas;
    while (Shown() && alphas.size() < 100) {
        Hint->FadeTick();
        alphas.push_back(Hint->GetAlpha());
        if (alphas.size() == 10) {
            // Shown again mid-fade: opaque, the pause runs anew; then hidden in its fade.
            Hint->ShowHintAt(Target);
            EXPECT_EQ(Hint->GetAlpha(), 255);
            EXPECT_EQ(Hint->GetFadeTimer(), nullptr);
            EXPECT_TRUE(Hint->GetPauseTimer()->GetEnabled());
            Hint->PauseTick();
        }
    }
    ASSERT_EQ(alphas.size(), 10u + 32u);
    EXPECT_EQ(alphas[9], 205);
    EXPECT_EQ(alphas.back(), 95);
    EXPECT_FALSE(Hint->GetFadeTimer()->GetEnabled());

    // Real timers run both phases; hiding stops every phase.
    Hint->SetPauseTime(30);
    Hint->SetInterVal(1);
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_TRUE(PumpUntil([&] { return !Shown(); }, 10000));
    Hint->ShowHintAt(Target);
    Hint->PauseTick();
    Hint->HideHint();
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(Hint->GetPauseTimer()->GetEnabled());
    EXPECT_FALSE(Hint->GetFadeTimer()->GetEnabled());
}

TEST_F(HintTest, ChangedBodySkinIsUsedAtTheNextShow) {
    Skinned();
    Hint->ShowHintAt(Target);
    const int w1 = Hint->GetBitmap()->GetWidth();
    // Narrower side margins: 4 instead of 8 on each side.
    Hint->GetFormSplit()->SetLeft(4);
    Hint->GetFormSplit()->SetRight(18);
    Hint->ShowHintAt(Target);
    EXPECT_EQ(Hint->GetBitmap()->GetWidth(), w1 - 8);
    EXPECT_EQ(AlphaAt(Hint->GetBitmap(), Hint->GetBitmap()->GetWidth() / 2, kArrowRows + 6), 255);
    // A new body picture of the same size: its colour, not the old pieces', fills the body.
    Hint->SetImgForm(Strip(22, 22, {RGB(0, 200, 0)}).get());
    Target->SetHint(L"   ");  // blanks only: no text pixels over the body
    Hint->ShowHintAt(Target);
    TBitmap* b = Hint->GetBitmap();
    EXPECT_EQ(PixelColor(*b, b->GetWidth() / 2, b->GetHeight() - 2) & 0x00FFFF, RGB(0, 200, 0));  // red and green
}

TEST_F(HintTest, TheWindowIsForgottenWhenFreedElsewhereAndGoesWithTheHint) {
    Skinned();
    Hint->ShowHintAt(Target);
    Hint->GetHintForm()->Free();
    EXPECT_EQ(Hint->GetHintForm(), nullptr);
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    HWND wnd = Hint->GetHintForm()->GetHandle();
    Hint->Free();
    EXPECT_FALSE(IsWindow(wnd) && IsWindowVisible(wnd));
}

TEST_F(HintTest, WithoutABodySkinTheWindowIsTransparentButStillTimedAndAtLeastOnePixel) {
    Hint->SetImgArrow(Arrow.get());
    Hint->Loaded();
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    TBitmap* b = Hint->GetBitmap();
    EXPECT_EQ(Painted(b, 0, 0, b->GetWidth(), b->GetHeight()), 0);
    EXPECT_TRUE(Hint->GetPauseTimer()->GetEnabled());
    // Split lines beyond the missing picture make the sums negative for a short text.
    Split(Hint, 40);
    Target->SetHint(L"i");
    Hint->ShowHintAt(Target);
    ASSERT_TRUE(Shown());
    EXPECT_GE(Hint->GetBitmap()->GetWidth(), 1);
    EXPECT_GE(Hint->GetBitmap()->GetHeight(), 1);
    EXPECT_GE(TRect(WindowRect(Hint->GetHintForm())).Width(), 1);
}
