// The scroll bars the list box makes on demand: placement, range, scrolling the rows, hiding,
// following a shrinking list and the wheel.
#include "lb_fixture.h"

using namespace fw;
using namespace lbtest;

namespace {

class ListScrollTest : public ListBoxTest {
protected:
    void SetUp() override {
        ListBoxTest::SetUp();
        Lb->SetVerScrollRes(BarRes());
    }
};

TEST_F(ListScrollTest, VerticalBarAppearsWhenTheRowsOutgrowTheView) {
    RowSkins();
    EXPECT_EQ(Load(4), nullptr) << "4 rows of 32 fit into 150";
    AddRows(2);
    Paint();
    TQimScrollBar* bar = Lb->GetVerScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->GetVisible());
    EXPECT_EQ(bar->GetBoundsRect(), TRect(200 - 12 - 1, 1, 200 - 1, 1 + 150));
    EXPECT_EQ(bar->GetMax(), 6 * 32);
    EXPECT_EQ(bar->GetPageSize(), 150);
    EXPECT_EQ(bar->GetSmallChange(), 30 + 2);
    EXPECT_EQ(bar->GetLargeChange(), 60);
    EXPECT_EQ(Lb->GetSelectedImage()->GetWidth(), 196 - 12) << "row skins are remade beside the bar";
    Paint();
    EXPECT_EQ(Lb->GetItem(0)->GetItemRect().Right, 198 - 12);
    bar->StepScroll(VK_DOWN, TShiftState());
    EXPECT_EQ(Lb->GetVerOffset(), -32);
    Paint();
    EXPECT_EQ(Lb->GetFirstPainted(), 1) << "row 0 lies wholly above the view";
    EXPECT_EQ(Lb->GetItem(1)->GetItemRect().Top, 1);
    Record();
    ClickRow(1);
    EXPECT_EQ(Events, Ev{L"click:1"});
}

TEST_F(ListScrollTest, RowsThatFitAgainByDeletingOrATallerViewHideTheBar) {
    TQimScrollBar* bar = Load(10);
    ASSERT_NE(bar, nullptr);
    bar->StepScroll(VK_DOWN, TShiftState());
    // Back at the top, no bar, full-width rows; 8 rows (192 high) fit a view of 200 as well.
    for (int rows : {5, 8}) {
        while (Lb->Count() > rows) Lb->DeleteItem(Lb->GetItem(Lb->Count() - 1));
        Lb->SetHeight(rows == 5 ? 150 : 200);
        Paint();
        EXPECT_FALSE(bar->GetVisible()) << rows;
        EXPECT_EQ(Lb->GetVerOffset(), 0) << rows;
        Paint();
        EXPECT_EQ(Lb->GetItem(0)->GetItemRect().Right, 198) << rows;
        AddRows(13 - rows);  // 13 rows again, 150 high
        Lb->SetHeight(150);
        Paint();
        ASSERT_TRUE(bar->GetVisible());
        bar->StepScroll(VK_DOWN, TShiftState());
    }
}

TEST_F(ListScrollTest, RowsFollowTheBarWhenTheListShrinks) {
    TQimScrollBar* bar = Load(40);
    ASSERT_NE(bar, nullptr);
    bar->StepScroll(VK_END, TShiftState());
    EXPECT_EQ(Lb->GetVerOffset(), -(40 * 24 - 150 + 1));
    while (Lb->Count() > 10) Lb->DeleteItem(Lb->GetItem(Lb->Count() - 1));
    Paint();
    EXPECT_EQ(bar->GetPosition(), 10 * 24 - 150 + 1);
    EXPECT_EQ(Lb->GetVerOffset(), -bar->GetPosition()) << "the rows stay where the bar says";
    Paint();
    EXPECT_GE(Lb->GetFirstPainted(), 0) << "rows are on view, not scrolled out of sight";
    EXPECT_EQ(Lb->GetItem(9)->GetItemRect().Bottom, 1 - bar->GetPosition() + 10 * 24 - 2);
}

TEST_F(ListScrollTest, WheelOverTheFocusedListHandsTheFocusToItsBar) {
    TQimScrollBar* bar = Load(10);
    ASSERT_NE(bar, nullptr);
    Form->Show();
    SetForegroundWindow(Form->GetHandle());
    Pump(50);
    ClickRow(0);
    Pump(30);
    ASSERT_TRUE(Lb->Focused()) << "a press focuses the list";
    SendMessageW(Lb->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    Pump(30);
    EXPECT_TRUE(bar->Focused());
    EXPECT_EQ(Lb->GetVerOffset(), 0);
    SendMessageW(bar->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(Lb->GetVerOffset(), -24) << "the bar steps and the rows follow";
}

}  // namespace
