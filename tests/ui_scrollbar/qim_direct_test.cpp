// The windowed scroll bar (focus, wheel, four back states, re-preparation on every skin) and the
// host-drawn bar (blending onto the host's canvas).
#include "QimScrollBar.h"
#include "VeskDirectUIScrollBar.h"
#include "sb_fixture.h"

#include <cmath>

using namespace fw;
using namespace sbtest;
using testsupport::DibSurface;

namespace {

class QimBarTest : public ScrollBarTest {
protected:
    TQimScrollBar* NewBar() { return testsupport::AddControl<TQimScrollBar>(Form, 10, 10, 15, 200); }
    TQimScrollBarRes* NoticeRes(const wchar_t* up = L"SBN_UP", const wchar_t* down = L"SBN_DOWN") {
        auto* res = ScrollSkinRes<TQimScrollBarRes>(Form, up, down);
        res->SetBtnoffSet(8);
        return res;
    }
    COLORREF TrackColour() {
        Paint();
        return Dib.Color(10 + 5, 10 + 100);
    }
};

TEST_F(QimBarTest, PositionStopsAtTheLastPageUpToTheLargestInteger) {
    TQimScrollBar* bar = NewBar();
    Paint();
    EXPECT_EQ(bar->GetSliderRect().Height(), std::max<int>(std::lrint(200.0 / 101), 3 * Thumb() / 2))
        << "a new bar has a one-pixel page";
    bar->SetPageSize(10);
    bar->SetPosition(100);
    EXPECT_EQ(bar->GetPosition(), 91);
    bar->SetMax(INT32_MAX);
    bar->SetPageSize(0);
    bar->SetPosition(INT32_MAX);
    EXPECT_EQ(bar->GetPosition(), INT32_MAX) << "Max - PageSize + 1 lies beyond it";
    bar->SetPageSize(1);
    bar->SetPosition(5);
    bar->SetPosition(INT32_MAX);
    EXPECT_EQ(bar->GetPosition(), INT32_MAX);
}

TEST_F(QimBarTest, BackFramesFillTheFourStateSlotsAndPaintingPicksThem) {
    TQimScrollBar* bar = NewBar();
    const std::vector<COLORREF> colours = {RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0)};
    // Which frame fills the normal, hover, pressed and disabled slots (-1: none). The second of
    // two frames is the disabled back; three frames have none.
    const struct {
        int count, slot[4];
    } rows[] = {{2, {0, -1, -1, 1}}, {3, {0, 1, 2, -1}}, {4, {0, 1, 2, 3}}};
    for (const auto& row : rows) {
        bar->SetImgBack(Strip(12, 16, std::vector<COLORREF>(colours.begin(), colours.begin() + row.count)).get());
        bar->SetBackStateCount(row.count);
        bar->Loaded();
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::to_string(row.count) + " slot " + std::to_string(i));
            if (row.slot[i] < 0) {
                EXPECT_EQ(bar->GetBackImage(i), nullptr);
            } else {
                ASSERT_NE(bar->GetBackImage(i), nullptr);
                EXPECT_EQ(PixelOf(bar->GetBackImage(i), 0, 0), colours[row.slot[i]]);
            }
        }
    }
    bar->SetEnabled(false);
    EXPECT_EQ(TrackColour(), colours[3]);
    bar->SetEnabled(true);
    EXPECT_EQ(TrackColour(), colours[0]);
    Move(bar, 5, 100);
    EXPECT_EQ(TrackColour(), colours[1]);
    Press(bar, 5, 100);
    EXPECT_EQ(TrackColour(), colours[2]);
    Release(bar, 5, 100);
    EXPECT_EQ(TrackColour(), colours[1]);
}

TEST_F(QimBarTest, EverySkinAssignmentPreparesAfresh) {
    TQimScrollBar* bar = NewBar();
    bar->SetScrollRes(NoticeRes());
    EXPECT_EQ(bar->GetLTFrame(0)->GetHeight(), 20);
    EXPECT_EQ(bar->GetWidth(), 12);
    bar->SetScrollRes(NoticeRes(L"SB_UP", L"SB_DOWN"));
    EXPECT_EQ(bar->GetLTFrame(0)->GetHeight(), 12);
    Paint();
    EXPECT_EQ(bar->GetTrackRect(), TRect(0, 12 - 8, 12, 200 - 12 + 8));
    // An emptied picture stays empty: no frames.
    TQimScrollBarRes* res = NoticeRes();
    res->SetImgBtnLT(nullptr);
    bar->SetScrollRes(res);
    EXPECT_EQ(bar->GetLTFrame(0), nullptr);
    EXPECT_FALSE(bar->GetButtonsReady());
    auto* bare = new TQimScrollBarRes(Form);
    bare->SetShowButton(false);
    bar->SetScrollRes(bare);
    EXPECT_TRUE(bar->GetButtonsReady()) << "nothing to wait for without buttons";
}

TEST_F(QimBarTest, SliderTakesTheCrossSizeOfItsImageWithTheGripInItsMiddle) {
    TQimScrollBar* bar = NewBar();
    bar->SetWidth(20);
    bar->SetImgSlider(Strip(6, 22, std::vector<COLORREF>(4, RGB(9, 9, 9))).get());
    bar->GetSliderSplit()->SetTop(7);
    bar->GetSliderSplit()->SetBottom(15);
    // A 2 x 2 grip in its own colour.
    bar->SetImgCenter(Strip(2, 2, {RGB(200, 0, 0), RGB(201, 0, 0), RGB(202, 0, 0), RGB(203, 0, 0)}).get());
    bar->Loaded();
    bar->SetPageSize(30);
    Paint();
    EXPECT_EQ(bar->GetSliderRect().Left, 7) << "already in the paint that made the slider images";
    EXPECT_EQ(bar->GetSliderRect().Right, 13);
    // The grip sits in the middle of the 6-pixel slider, not of the 20-pixel bar.
    TPngImage* slider = bar->GetSliderImage(0);
    ASSERT_NE(slider, nullptr);
    const int gy = (slider->GetHeight() - 2) / 2;
    EXPECT_EQ(PixelOf(slider, 2, gy), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(slider, 3, gy + 1), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(slider, 1, gy), RGB(9, 9, 9));
    EXPECT_EQ(PixelOf(slider, 4, gy), RGB(9, 9, 9));
    EXPECT_EQ(PixelOf(bar->GetSliderImage(3), 2, gy), RGB(203, 0, 0));
    Paint();
    EXPECT_EQ(bar->GetSliderImage(0), slider) << "kept while the slider's size stays";
}

TEST_F(QimBarTest, TheLeftPressTakesTheFocusAndTheWheelScrollsOnlyWhileFocused) {
    Form->Show();
    SetForegroundWindow(Form->GetHandle());
    Pump(50);
    TQimScrollBar* bar = NewBar();
    auto* other = NewBar();
    other->SetLeft(100);
    bar->SetScrollRes(NoticeRes());
    bar->SetPageSize(10);
    bar->SetPosition(89);
    Paint();
    std::vector<std::pair<int, int>> told;  // offered value, position at the time
    bar->OnScroll = [&](TObject*, int& pos) {
        told.emplace_back(pos, bar->GetPosition());
        pos = 0;
    };
    int lost = 0;
    bar->OnLostFocus = [&](TObject* s) { lost += s == bar; };
    auto wheel = [&](int delta) { SendMessageW(bar->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); };
    other->SetFocus();
    Pump(30);
    wheel(-120);
    EXPECT_EQ(bar->GetPosition(), 89) << "not focused";
    // The right button presses nothing.
    Move(bar, 5, 195);
    bar->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 195));
    EXPECT_EQ(bar->GetPosition(), 89);

    MovePress(bar, 5, 100);
    Release(bar, 5, 100);
    Pump(30);
    ASSERT_TRUE(bar->Focused());
    bar->SetPosition(90);
    told.clear();
    wheel(-120);
    EXPECT_EQ(bar->GetPosition(), 91);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], std::make_pair(91, 91)) << "told after the change; the rewrite is ignored";
    wheel(-360);
    EXPECT_EQ(told.size(), 1u) << "nothing changed, nothing told";
    wheel(120);
    EXPECT_EQ(bar->GetPosition(), 90);
    other->SetFocus();
    Pump(30);
    EXPECT_EQ(lost, 1);
}

// ---------------------------------------------------------------------------------------------

class DirectBarTest : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        Bar = new TVeskDirectUIScrollBar(Form);
        Bar->SetBounds(20, 30, 15, 120);
        Bar->OnNeedRepaint = [this](TObject* s) { Requests += s == Bar; };
    }
    // Arrows whose left half is transparent and right half opaque (frame i in red level 50 + i),
    // over a transparent back.
    void SkinArrows() {
        auto* res = new TVeskScrollBarRes(nullptr);
        auto lt = Strip(12, 12, {RGB(50, 0, 0), RGB(51, 0, 0), RGB(52, 0, 0), RGB(53, 0, 0)});
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 48; ++x)
                if (x % 12 < 6) lt->AlphaScanline(y)[x] = 0;
        res->SetImgBtnLT(lt.get());
        res->SetImgBtnRB(lt.get());
        res->SetImgBack(Strip(12, 16, {RGB(0, 0, 90), RGB(0, 0, 91)}, {0, 0}).get());
        Bar->SetScrollRes(res);
        res->Free();
    }
    TVeskDirectUIScrollBar* Bar = nullptr;
    int Requests = 0;
};

TEST_F(DirectBarTest, BlendsOntoTheHostLeavingTransparentPartsVisible) {
    SkinArrows();
    Bar->Paint();
    EXPECT_EQ(Bar->GetLTRect(), TRect(-1, -1, -1, -1)) << "nothing computed without a target canvas";
    EXPECT_EQ(Bar->GetWidth(), 12);
    DibSurface dib(100, 200, 0xFF00FF00u);
    TCanvas canvas(dib.Dc());
    Bar->SetTargetCanvas(&canvas);
    Bar->Paint();
    EXPECT_EQ(dib.Color(20 + 2, 30 + 2), RGB(0, 255, 0)) << "under the transparent half";
    EXPECT_EQ(dib.Color(20 + 8, 30 + 2), RGB(50, 0, 0));
    EXPECT_EQ(dib.Color(20 + 8, 30 + 60), RGB(0, 255, 0)) << "under the transparent back";
    EXPECT_EQ(dib.Color(19, 30 + 2), RGB(0, 255, 0)) << "nothing left of the bar";
    // A hovered, pressed arrow steps and shows its pressed frame.
    Requests = 0;
    Move(Bar, 8, 115);
    EXPECT_GT(Requests, 0);
    Press(Bar, 8, 115);
    EXPECT_EQ(Bar->GetPosition(), 1);
    Bar->Paint();
    EXPECT_EQ(dib.Color(20 + 8, 30 + 115), RGB(52, 0, 0));
    Release(Bar, 8, 115);
    canvas.SetHandle(nullptr);
}

}  // namespace
