// The windowless skinned scroll bar and its skin resource: model rules, skin preparation,
// geometry, stepping, auto-repeat, dragging, hover and painting.
#include "VeskPngScrollBar.h"
#include "sb_fixture.h"

#include <cmath>
#include <cstring>

using namespace fw;
using namespace sbtest;
using testsupport::PumpUntil;

namespace {

class PngBarTest : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        Res = ScrollSkinRes(Form);
    }
    // A 15 x 200 bar at (10, 10); with PageSize and Position given, laid out by a paint.
    TVeskPngScrollBar* NewBar(bool skinned = true, int PageSize = -1, int Position = 0) {
        auto* bar = testsupport::AddControl<TVeskPngScrollBar>(Form, 10, 10, 15, 200);
        if (skinned) bar->SetScrollRes(Res);
        if (PageSize < 0) return bar;
        bar->SetPageSize(PageSize);
        bar->SetPosition(Position);
        Paint();
        return bar;
    }
    TVeskScrollBarRes* Res = nullptr;
};

// A pixel whose colour or alpha differs between two frames (only opaque ones differing in colour
// when asked).
bool FindDifferingPixel(TPngImage* a, TPngImage* b, int& px, int& py, bool opaque = false) {
    for (int y = 0; y < a->GetHeight(); ++y)
        for (int x = 0; x < a->GetWidth(); ++x) {
            const bool colour = std::memcmp(a->Scanline(y) + 3 * x, b->Scanline(y) + 3 * x, 3) != 0;
            const uint8_t aa = a->AlphaScanline(y)[x], ba = b->AlphaScanline(y)[x];
            if (opaque ? colour && aa == 255 && ba == 255 : colour || aa != ba) {
                px = x, py = y;
                return true;
            }
        }
    return false;
}

// The frame's pixel blended over a background colour, within one step per channel of Seen.
bool BlendedOver(COLORREF Seen, TPngImage* p, int x, int y, COLORREF back) {
    const uint8_t* c = p->Scanline(y) + 3 * x;
    const int a = p->AlphaScanline(y)[x];
    auto mix = [a](int s, int d) { return (s * a + d * (255 - a) + 127) / 255; };
    return std::abs(int(GetRValue(Seen)) - mix(c[2], GetRValue(back))) <= 1 &&
           std::abs(int(GetGValue(Seen)) - mix(c[1], GetGValue(back))) <= 1 &&
           std::abs(int(GetBValue(Seen)) - mix(c[0], GetBValue(back))) <= 1;
}

TEST_F(PngBarTest, SettersClampPositionAndCapThePage) {
    TVeskPngScrollBar* bar = NewBar(false);
    bar->SetPageSize(10);
    bar->SetPosition(150);
    EXPECT_EQ(bar->GetPosition(), 100) << "clamped to Max, not to Max - PageSize + 1";
    bar->SetPosition(60);
    bar->SetMax(40);
    EXPECT_EQ(bar->GetPosition(), 40);
    bar->SetMin(20);
    bar->SetPosition(25);
    bar->SetMin(30);
    EXPECT_EQ(bar->GetPosition(), 30);
    bar->SetMax(34);
    EXPECT_EQ(bar->GetPageSize(), 5) << "capped at Max - Min + 1";
    bar->SetPageSize(50);
    EXPECT_EQ(bar->GetPageSize(), 5);
    bar->SetMin(45);
    EXPECT_EQ(bar->GetMin(), 34) << "Min never passes Max";
    EXPECT_EQ(bar->GetPosition(), 34);
    EXPECT_EQ(bar->GetPageSize(), 1);
}

TEST_F(PngBarTest, ResourcePreparesTheSkinOnceAndItsRemovalOrEmptiedPicturesKeepTheCopy) {
    TVeskPngScrollBar* bar = NewBar();
    EXPECT_TRUE(bar->GetButtonsReady());
    EXPECT_TRUE(bar->GetBackReady());
    EXPECT_EQ(bar->GetWidth(), 12) << "thickness of the arrow frame";
    // A second resource is copied but the buttons, once cut, stay.
    auto* other = new TVeskScrollBarRes(Form);
    other->SetImgBtnLT(Skin(L"SBN_UP").get());
    other->SetImgBack(Res->GetImgBack());
    other->SetImgBack(nullptr);
    ASSERT_NE(other->GetImgBack(), nullptr);
    bar->SetScrollRes(other);
    EXPECT_EQ(bar->GetImgBtnLT()->GetHeight(), 20);
    EXPECT_EQ(bar->GetLTFrame(0)->GetHeight(), 12);
    EXPECT_TRUE(bar->GetImgBack()->GetEmpty()) << "the emptied picture is copied as empty";
    other->Free();
    EXPECT_EQ(bar->GetScrollRes(), nullptr);
    EXPECT_EQ(bar->GetImgBtnLT()->GetHeight(), 20) << "the copied skin stays";
    bar->SetImgSlider(nullptr);
    ASSERT_NE(bar->GetImgSlider(), nullptr);
    Paint();
    EXPECT_FALSE(bar->GetSliderReady());
}

TEST_F(PngBarTest, ButtonsTrackAndSliderAreLaidOutAlongTheBar) {
    TVeskPngScrollBar* bar = NewBar(true, 10);
    EXPECT_EQ(bar->GetLTRect(), TRect(0, 0, 12, 12));
    EXPECT_EQ(bar->GetRBRect(), TRect(0, 188, 12, 200));
    const int len = std::max<int>(std::lrint(10.0 * 176 / 101), 3 * Thumb() / 2);
    EXPECT_EQ(bar->GetSliderRect(), TRect(0, 12, 12, 12 + len));
    EXPECT_TRUE(bar->GetPageUpRect().IsEmpty());
    EXPECT_EQ(bar->GetPageDownRect(), TRect(0, 12 + len, 12, 188));
    EXPECT_EQ(bar->GetSliderImage(0)->GetHeight(), len);
    // The last page and anything above it put the slider at the far end.
    bar->SetPosition(91);
    Paint();
    EXPECT_EQ(bar->GetSliderRect().Bottom, 188);
    // No page: the system's thumb; a page as large as the range: no slider.
    bar->SetPageSize(0);
    Paint();
    EXPECT_EQ(bar->GetSliderRect().Height(), Thumb());
    bar->SetPageSize(101);
    Paint();
    EXPECT_EQ(bar->GetSliderRect().Height(), 0);
    EXPECT_EQ(bar->GetPageDownRect(), TRect(0, 12, 12, 188));

    // Across: the bar takes the button's height.
    auto* hor = new TVeskPngScrollBar(Form);
    hor->SetParent(Form);
    hor->Setkind(skHor);
    hor->SetBounds(0, 220, 200, 15);
    hor->SetScrollRes(Res);
    EXPECT_EQ(hor->GetHeight(), 12);
    Paint();
    EXPECT_EQ(hor->GetTrackRect(), TRect(12, 0, 188, hor->GetHeight()));
}

TEST_F(PngBarTest, StepsAreHeldBelowTheLastPageAndMayBeRewritten) {
    TVeskPngScrollBar* bar = NewBar(false);
    std::vector<int> offered;
    int rewrite = -1;
    bar->OnScroll = [&](TObject* s, int& pos) {
        EXPECT_EQ(s, bar);
        offered.push_back(pos);
        if (rewrite >= 0) pos = rewrite;
    };
    // Each step from where the previous one left the bar.
    const struct {
        int page, small, large;
        WORD key;
        int offered, position;
    } steps[] = {
        {10, 1, 1, VK_END, 91, 91}, {10, 1, 1, VK_PRIOR, 81, 81}, {10, 1, 1, VK_HOME, 0, 0}, {10, 1, 1, VK_UP, 0, 0},
        {10, 3, 1, VK_DOWN, 3, 3},  {10, 3, 1, VK_RIGHT, 6, 6},   {0, 3, 7, VK_NEXT, 13, 13},
    };
    for (const auto& st : steps) {
        bar->SetPageSize(st.page), bar->SetSmallChange(st.small), bar->SetLargeChange(st.large);
        bar->StepScroll(st.key, TShiftState());
        EXPECT_EQ(offered.back(), st.offered) << st.key;
        EXPECT_EQ(bar->GetPosition(), st.position) << st.key;
    }
    const size_t before = offered.size();
    bar->StepScroll('A', TShiftState());
    EXPECT_EQ(offered.size(), before) << "other keys do nothing";
    bar->SetPosition(100);
    bar->StepScroll(VK_NEXT, TShiftState());
    EXPECT_EQ(offered.back(), 101) << "PageSize 0 offers Max + 1";
    EXPECT_EQ(bar->GetPosition(), 100);
    rewrite = 42;
    bar->StepScroll(VK_LEFT, TShiftState());
    EXPECT_EQ(bar->GetPosition(), 42);
}

TEST_F(PngBarTest, ArrowPressStepsAtOnceRepeatsAfterTheDelayUntilReleaseOrLeaveAndMayFreeTheBar) {
    Form->Show();
    TVeskPngScrollBar* bar = NewBar(true, 0);
    std::vector<int> reports;
    bar->OnScroll = [&](TObject*, int& pos) { reports.push_back(pos); };
    MovePress(bar, 5, 194);
    EXPECT_TRUE(bar->GetDownRB());
    EXPECT_EQ(bar->GetPosition(), 1);
    ASSERT_NE(bar->GetRepeatTimer(), nullptr);
    Pump(120);
    EXPECT_EQ(bar->GetPosition(), 1) << "the first repeat waits for the keyboard delay";
    EXPECT_TRUE(PumpUntil([&] { return bar->GetPosition() >= 4; }, ScrollRepeatDelay() + 3000));
    EXPECT_EQ(bar->GetRepeatTimer()->GetInterval(), ScrollRepeatInterval());
    reports.clear();
    Release(bar, 5, 194);
    EXPECT_FALSE(bar->GetRepeatTimer()->GetEnabled());
    EXPECT_EQ(reports, std::vector<int>{bar->GetPosition()}) << "a release reports the final position once";

    // The pointer leaves a held arrow: no more steps, still pressed until the release.
    const int held = bar->GetPosition() - 1;
    MovePress(bar, 5, 5);
    bar->Perform(CM_MOUSELEAVE, 0, 0);
    Pump(ScrollRepeatDelay() + 300);
    EXPECT_EQ(bar->GetPosition(), held);
    EXPECT_TRUE(bar->GetDownLT());
    Release(bar, 5, 5);
    EXPECT_FALSE(bar->GetDownLT());

    // A bar freed by its own OnScroll is not touched again: no repeat follows.
    const std::shared_ptr<bool> alive = bar->AliveToken();
    int calls = 0;
    bar->OnScroll = [&](TObject* s, int&) {
        ++calls;
        static_cast<TVeskPngScrollBar*>(s)->Free();
    };
    MovePress(bar, 5, 194);
    EXPECT_FALSE(*alive);
    Pump(ScrollRepeatDelay() + 100);
    EXPECT_EQ(calls, 1);
}

TEST_F(PngBarTest, HeldPagePressStopsWhenTheSliderReachesThePointer) {
    Form->Show();
    TVeskPngScrollBar* bar = NewBar(true, 10, 90);
    const int y = 12 + 20;
    MovePress(bar, 5, y);
    EXPECT_EQ(bar->GetPosition(), 80);
    PumpUntil([&] { return bar->GetSliderRect().Top <= y; }, ScrollRepeatDelay() + 4000);
    Pump(300);
    EXPECT_GT(bar->GetPosition(), 0);
    EXPECT_TRUE(bar->GetSliderRect().Top <= y && y < bar->GetSliderRect().Bottom);
    Release(bar, 5, y);
}

TEST_F(PngBarTest, DraggingFollowsThePointerWhateverOnScrollAnswers) {
    TVeskPngScrollBar* bar = NewBar(true, 10);
    const TRect s = bar->GetSliderRect();
    std::vector<int> offered;
    bar->OnScroll = [&](TObject*, int& pos) {
        offered.push_back(pos);
        pos = 5;
    };
    MovePress(bar, 5, s.Top + 3);
    EXPECT_TRUE(bar->GetDragSlider());
    Move(bar, 5, s.Top + 3 + 50, true);
    const int expected = static_cast<int>(std::nearbyint(50.0 * 91 / (176 - s.Height())));
    EXPECT_EQ(offered.back(), expected);
    EXPECT_EQ(bar->GetPosition(), expected);
    Move(bar, 5, 400, true);
    EXPECT_EQ(bar->GetPosition(), 91) << "the far end is the last page";
    Release(bar, 5, 400);
    EXPECT_EQ(bar->GetPosition(), 5) << "the release step takes OnScroll's answer";
    EXPECT_FALSE(bar->GetDragSlider());

    // The host shrinks the bar mid-drag: the buttons overlap and the track runs backwards.
    Paint();
    MovePress(bar, 5, bar->GetSliderRect().Top + 3);
    ASSERT_TRUE(bar->GetDragSlider());
    bar->OnScroll = nullptr;
    bar->SetHeight(20);
    Move(bar, 5, 100, true);
    EXPECT_EQ(bar->GetTrackRect(), TRect(0, 12, 12, 8));
    EXPECT_EQ(bar->GetPosition(), 0) << "the pointer is held at the track's start";
    Release(bar, 5, 100);
}

TEST_F(PngBarTest, DragThroughTheFormFollowsThePointerOutsideTheBar) {
    Form->Show();
    TVeskPngScrollBar* bar = NewBar(true, 10);
    const int top = 10 + bar->GetSliderRect().Top;
    HWND wnd = Form->GetHandle();
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(15, top + 4));
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, top + 4));
    EXPECT_TRUE(bar->GetDragSlider());
    // Far right of the bar and below it: the bar holds the mouse and runs to the last page.
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 250));
    EXPECT_EQ(bar->GetPosition(), 91);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 250));
    EXPECT_FALSE(bar->GetDragSlider());
}

TEST_F(PngBarTest, HoverFlagsFollowTheMouseAndAPressWithoutHoverPressesNothing) {
    TVeskPngScrollBar* bar = NewBar(true, 0);
    Move(bar, 5, 5);
    EXPECT_TRUE(bar->GetOverLT());
    Move(bar, 5, 150);
    EXPECT_FALSE(bar->GetOverLT());
    EXPECT_TRUE(bar->GetOverPageDown());
    bar->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(bar->GetOverPageDown() || bar->GetOverLT() || bar->GetOverSlider());
    Press(bar, 5, 150);
    EXPECT_FALSE(bar->GetDownPageDown());
    EXPECT_EQ(bar->GetPosition(), 0);
    Release(bar, 5, 150);
}

TEST_F(PngBarTest, PaintsTheButtonStateFramesAndTheDisabledFrame) {
    TVeskPngScrollBar* bar = NewBar();
    const COLORREF back = ColorToRGB(bar->GetColor());
    int px = 0, py = 0;
    ASSERT_TRUE(FindDifferingPixel(bar->GetLTFrame(0), bar->GetLTFrame(3), px, py));
    Paint();
    EXPECT_TRUE(BlendedOver(Dib.Color(10 + px, 10 + py), bar->GetLTFrame(0), px, py, back));
    bar->SetEnabled(false);
    Paint();
    EXPECT_TRUE(BlendedOver(Dib.Color(10 + px, 10 + py), bar->GetLTFrame(3), px, py, back));
    EXPECT_NE(Dib.Color(10 + 6, 10 + 180), back) << "the track shows the back, not the bar's colour";
}

TEST_F(PngBarTest, SliderShowsItsHoverImage) {
    TVeskPngScrollBar* bar = NewBar(true, 30, 20);
    ASSERT_TRUE(bar->GetSliderReady());
    const TRect s = bar->GetSliderRect();
    TPngImage* normal = bar->GetSliderImage(0);
    ASSERT_EQ(normal->GetHeight(), s.Height());
    int px = -1, py = -1;
    ASSERT_TRUE(FindDifferingPixel(normal, bar->GetSliderImage(1), px, py, true));
    EXPECT_EQ(Dib.Color(10 + s.Left + px, 10 + s.Top + py), PixelOf(normal, px, py));
    Move(bar, 5, s.Top + 5);
    Paint();
    EXPECT_EQ(Dib.Color(10 + s.Left + px, 10 + s.Top + py), PixelOf(bar->GetSliderImage(1), px, py));
}

TEST_F(PngBarTest, ThreePartBackFollowsTheLengthAndAZeroCountIsHarmless) {
    Res->SetBackStateCount(1);
    Res->SetBackUseThree(true);
    Res->SetImgBack(Strip(12, 22, {RGB(200, 0, 0)}).get());
    TVeskPngScrollBar* bar = NewBar();
    ASSERT_NE(bar->GetBackImage(0), nullptr);
    EXPECT_EQ(bar->GetBackImage(0)->GetHeight(), 200);
    bar->SetHeight(150);
    EXPECT_EQ(bar->GetBackImage(0)->GetHeight(), 150);
    bar->SetBackStateCount(0);
    Paint();
}

TEST_F(PngBarTest, LargeRangesKeepTheSliderWhereTheRangeSaysAndStepsInRange) {
    TVeskPngScrollBar* bar = NewBar();
    bar->SetMax(100000000);
    bar->SetPageSize(20000000);
    bar->SetPosition(50000000);
    Paint();
    // The products of page and track, position and free pixels pass 2^31.
    const long double L = 176;
    const int len = std::max<int>(static_cast<int>(std::nearbyint(20000000.0L * L / 100000001.0L)), 3 * Thumb() / 2);
    const int start = 12 + static_cast<int>(std::nearbyint(50000000.0L * (L - len) / (80000001.0L)));
    EXPECT_EQ(bar->GetSliderRect(), TRect(0, start, 12, start + len));
    EXPECT_NEAR(bar->PosFromPixel(start), 50000000, 600000);
    // A range wider than the integers: the page is not capped by a wrapped-around width.
    bar->SetMin(INT32_MIN);
    bar->SetMax(INT32_MAX);
    bar->SetPageSize(10);
    EXPECT_EQ(bar->GetPageSize(), 10);
    // With PageSize 0 at the largest Max a step toward Max stays at Max instead of wrapping.
    bar->SetPageSize(0);
    bar->SetPosition(INT32_MAX);
    std::vector<int> offered;
    bar->OnScroll = [&](TObject*, int& pos) { offered.push_back(pos); };
    bar->StepScroll(VK_DOWN, TShiftState());
    EXPECT_EQ(offered, std::vector<int>{INT32_MAX});
    EXPECT_EQ(bar->GetPosition(), INT32_MAX);
}

}  // namespace
