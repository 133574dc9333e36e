// Rows, references and the row layout of the list box.
#include "lb_fixture.h"

using namespace fw;
using namespace lbtest;

namespace {

TEST_F(ListBoxTest, ContentHeightFollowsRowsTheirVisibilityAndTheRowHeight) {
    AddRows(3);
    EXPECT_EQ(Lb->GetContentHeight(), 3 * (22 + 2));
    Lb->GetItem(1)->SetVisible(false);
    EXPECT_EQ(Lb->GetContentHeight(), 2 * 24);
    Lb->SetItemheight(30);
    EXPECT_EQ(Lb->GetContentHeight(), 2 * 32);
    Lb->SetItemheight(22);
    Lb->AddItem();
    EXPECT_EQ(Lb->GetContentHeight(), 3 * 24);
    Lb->OnMeasureItem = [](TQimLBoxItem*, int index, int& h) { h = 10 + index; };
    Lb->DeleteItem(Lb->GetItem(0));
    // Rows now: hidden (index 0), row 2 (index 1), the new row (index 2).
    EXPECT_EQ(Lb->GetContentHeight(), (11 + 2) + (12 + 2));
}

TEST_F(ListBoxTest, DeleteIgnoresForeignRowsAndForgetsTheRowReferences) {
    Load(3);
    TQimListBox other(nullptr);
    Lb->DeleteItem(other.AddItem());
    EXPECT_EQ(Lb->Count(), 3);
    ClickRow(1);
    Move(Centre(2));
    ASSERT_EQ(Lb->GetHotItem(), Lb->GetItem(2));
    Lb->DeleteItem(Lb->GetItem(0));
    EXPECT_EQ(Lb->GetHotItem(), nullptr);
    EXPECT_EQ(Lb->GetAnchorItem(), nullptr);
    EXPECT_EQ(Lb->GetItem(0)->GetCaption(), L"Row 2");
    EXPECT_EQ(Lb->GetLastPainted(), 1);
}

TEST_F(ListBoxTest, RowsAreLaidOutFromTheTopAndStopBelowTheView) {
    Load(10);
    // Rows of 22 plus 2 apart inside the one-pixel border; the view is 150 high.
    EXPECT_EQ(Lb->GetItem(0)->GetItemRect(), TRect(2, 1, 198, 23));
    EXPECT_EQ(Lb->GetItem(1)->GetItemRect(), TRect(2, 25, 198, 47));
    EXPECT_EQ(Lb->GetItem(6)->GetItemRect(), TRect(2, 145, 198, 167)) << "starts inside the view";
    EXPECT_EQ(Lb->GetLastPainted(), 7);
    EXPECT_EQ(Lb->GetItem(9)->GetItemRect(), kUnset) << "rows below are not laid out";
    // Without a border the rows start at the top; an invisible row takes no place.
    Lb->SetBorderColor(clNone);
    Lb->GetItem(0)->SetVisible(false);
    Paint();
    EXPECT_EQ(Lb->GetItem(0)->GetItemRect(), kUnset);
    EXPECT_EQ(Lb->GetItem(1)->GetItemRect(), TRect(2, 0, 198, 22));
}

TEST_F(ListBoxTest, RowsThatLeaveTheLayoutDropTheirOldRectangles) {
    Lb->SetVerScrollRes(BarRes());
    Load(10);
    TQimScrollBar* bar = Lb->GetVerScrollBar();
    ASSERT_NE(bar, nullptr);
    bar->StepScroll(VK_NEXT, TShiftState());
    EXPECT_EQ(Lb->GetVerOffset(), -91) << "one page, held at the last page";
    Paint();
    EXPECT_EQ(Lb->GetItem(7)->GetItemRect().Top, 1 - 91 + 7 * 24);
    bar->StepScroll(VK_HOME, TShiftState());
    Paint();
    EXPECT_EQ(Lb->GetLastPainted(), 7);
    EXPECT_EQ(Lb->GetItem(7)->GetItemRect(), kUnset) << "a row below the view must not be hit where it stood before";
    EXPECT_EQ(Lb->GetItem(7)->GetTextRect(), kUnset);
    // The gap between rows 3 and 4 is empty space, not the old place of row 7.
    Record();
    Tap(TPoint(100, 96));
    EXPECT_EQ(Events, Ev{L"click:nil"});
}

TEST_F(ListBoxTest, ClearFreesRowsBarsAndScrollStateAndRemovedComponentsAreForgotten) {
    TQimScrollBarRes* res = BarRes();
    Lb->SetVerScrollRes(res);
    Load(20);
    ASSERT_NE(Lb->GetVerScrollBar(), nullptr);
    Lb->GetVerScrollBar()->StepScroll(VK_NEXT, TShiftState());
    Lb->Clear();
    EXPECT_EQ(Lb->Count(), 0);
    EXPECT_EQ(Lb->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lb->GetVerOffset(), 0);
    EXPECT_EQ(Lb->GetContentHeight(), 0);
    AddRows(20);
    Paint();
    ASSERT_NE(Lb->GetVerScrollBar(), nullptr) << "made again on the next need";
    EXPECT_TRUE(Lb->GetVerScrollBar()->GetVisible());
    auto* images = new TQimImageList(Form);
    Lb->SetImagelist(images);
    Lb->SetHorScrollRes(res);
    images->Free();
    res->Free();
    EXPECT_EQ(Lb->GetImagelist(), nullptr);
    EXPECT_EQ(Lb->GetVerScrollRes(), nullptr);
    EXPECT_EQ(Lb->GetHorScrollRes(), nullptr);
}

TEST_F(ListBoxTest, HandlersMayDeleteOrClearRowsWhileTheyAreTold) {
    Remake(4, true);
    Lb->OnItemClick = [this](TObject*, TQimLBoxItem* it) {
        if (it) {
            it->SetVisible(false);
            Lb->DeleteItem(it);
        }
    };
    ClickRow(1);
    EXPECT_EQ(Lb->Count(), 3);
    EXPECT_EQ(Lb->GetPressedItem(), nullptr);
    Paint();
    // A row deleted while it is redrawn hot is not kept as the hot row or the hot check box.
    Lb->OnAfterItemDraw = [this](TCanvas*, int, TQimLBoxItem* it) {
        if (it == Lb->GetHotItem()) Lb->DeleteItem(it);
    };
    Move(Box(1));
    EXPECT_EQ(Lb->Count(), 2);
    EXPECT_EQ(Lb->GetHotItem(), nullptr);
    EXPECT_EQ(Lb->GetCheckHotItem(), nullptr);
    Lb->OnAfterItemDraw = nullptr;
    Lb->OnItemCheck = [this](TObject*, TQimLBoxItem*) { Lb->Clear(); };
    Tap(Box(0));
    EXPECT_EQ(Lb->Count(), 0);
    Paint();
}

}  // namespace
