// Layout and painting: skin frames, rows, scroll bars, the Icon grid and the Report header.
#include "lv_fixture.h"

using namespace lvtest;

namespace {
COLORREF RowPixel(DibSurface& dib, TVeskLvItem* item) {
    return dib.Color(item->ItemRect.Left + 1, item->ItemRect.Top + 1);
}
}  // namespace

TEST_F(ListViewTest, IdleRowShowsBackgroundHotShowsOverSelectedShowsDown) {
    Load(3);
    TVeskLvItem* item = Lv->GetItem(1);
    Move(item->ItemRect.Left + 10, item->ItemRect.Top + 10);
    Lv->GetItem(2)->SetSelected(true);
    auto dib = Render();
    EXPECT_EQ(RowPixel(*dib, Lv->GetItem(0)), kBack);
    EXPECT_EQ(RowPixel(*dib, item), kOver);
    EXPECT_EQ(RowPixel(*dib, Lv->GetItem(2)), kDown);
    EXPECT_EQ(Lv->GetItem(0)->ItemRect.Left, 2);
    EXPECT_EQ(Lv->GetItem(0)->ItemRect.Right, 204 - 2);
}

TEST_F(ListViewTest, VerticalBarComesWithOverflowKeepsTheScrollWithinRangeAndGoesWhenRowsFit) {
    EXPECT_EQ(WithBar(4), nullptr);  // 4 x 42 = 168 fits in 200
    AddItems(6);                     // 10 x 42 = 420
    Render();
    TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->GetVisible());
    EXPECT_EQ(bar->GetMax(), Lv->GetContentHeight());
    EXPECT_EQ(bar->GetPageSize(), Lv->GetViewHeight());
    EXPECT_EQ(bar->GetLeft(), 204 - bar->GetWidth());
    EXPECT_EQ(Lv->GetItemFrame(1)->GetWidth(), 204 - 4 - bar->GetWidth());
    Render();
    EXPECT_EQ(Lv->GetItem(0)->ItemRect.Right, 204 - bar->GetWidth() - 2);
    bar->StepScroll(VK_END, {});  // to the end of the list: 420 - 200 + 1
    ASSERT_EQ(Lv->GetTopOffset(), -221);
    for (int i = 0; i < 3; ++i) Lv->DeleteItem(Lv->GetItem(Lv->Count() - 1));
    Render();
    // 7 x 42 = 294: the last page starts at 95 and the last row reaches the bottom edge.
    EXPECT_EQ(bar->GetPosition(), 95);
    EXPECT_EQ(Lv->GetTopOffset(), -95);
    EXPECT_EQ(Lv->GetItem(6)->ItemRect.Bottom, -95 + 6 * 42 + 40);
    // A taller view: 294 in 250 pixels.
    Lv->SetHeight(250);
    Render();
    EXPECT_LE(bar->GetPosition(), 294 - 250 + 1);
    EXPECT_EQ(Lv->GetTopOffset(), -bar->GetPosition());
    EXPECT_GE(Lv->GetItem(6)->ItemRect.Bottom, 248);
    // Rows that fit again: no bar, back at the top, full-width row skins.
    for (int i = 0; i < 3; ++i) Lv->DeleteItem(Lv->GetItem(Lv->Count() - 1));
    Render();
    EXPECT_FALSE(bar->GetVisible());
    EXPECT_EQ(Lv->GetTopOffset(), 0);
    EXPECT_EQ(Lv->GetItemFrame(1)->GetWidth(), 204 - 4);
}

TEST_F(ListViewTest, OwnerDrawWithoutDefaultLeavesRowsEmptyAndTheCaptionEventRepaintsNothing) {
    Lv->Loaded();
    AddItems(2);
    Lv->GetItem(0)->SetSelected(true);
    std::vector<std::string> calls;
    Lv->OnBeforeItemDraw = [&](fw::TCanvas*, int i, TVeskLvItem*) { calls.push_back("before" + std::to_string(i)); };
    Lv->OnItemOwnerDraw = [&](fw::TCanvas*, int i, TVeskLvItem*, bool& def) {
        calls.push_back("owner" + std::to_string(i));
        def = false;
    };
    Lv->OnAfterItemDraw = [&](fw::TCanvas*, int i, TVeskLvItem*) { calls.push_back("after" + std::to_string(i)); };
    auto dib = Render();
    EXPECT_EQ(RowPixel(*dib, Lv->GetItem(0)), kBack);
    EXPECT_EQ(calls, (std::vector<std::string>{"before0", "owner0", "after0", "before1", "owner1", "after1"}));
    // Drawn by default, the caption event may set the caption while it runs: no repaint follows.
    Lv->OnItemOwnerDraw = nullptr;
    Lv->OnGetCaption = [&](fw::TObject*, TVeskLvItem* item) { item->SetCaption(L"computed"); };
    Repaints = 0;
    Render();
    EXPECT_EQ(Lv->GetItem(0)->Caption, L"computed");
    EXPECT_EQ(Repaints, 0);
}

TEST_F(ListViewTest, IconGridPlacesCellsAndShowsNothingWhenTooNarrow) {
    MakeListView(VvsIcon);
    Lv->SetItemWidth(40);
    Lv->SetItemheight(30);
    Load(5);
    // A = 204 - 0 - 2 = 202; cols = 202 div 42 = 4; gap = (202 - 168) div 5 + 2 = 8.
    EXPECT_EQ(Lv->GetMarginItem(), 8);
    EXPECT_EQ(Lv->GetItem(1)->ItemRect, fw::TRect(8 + 40 + 8, 2, 96, 32));
    EXPECT_EQ(Lv->GetItem(4)->ItemRect, fw::TRect(8, 2 + 30 + 2, 48, 64));
    Lv->SetWidth(40);
    Render();
    EXPECT_EQ(Lv->GetFirstVisibleIndex(), -1);
    EXPECT_EQ(Lv->ItemAt(20, 15), nullptr);
    // A minimum margin that cancels the cell width lays the grid out without dividing by zero.
    Lv->SetWidth(204);
    Lv->SetMarginItemMin(-40);
    Render();
    EXPECT_EQ(Lv->GetFirstVisibleIndex(), 0);
}

TEST_F(ListViewTest, BackgroundComesFromTheParentOrTheStretchedImage) {
    const COLORREF parent = RGB(0, 128, 64);
    Form->SetColor(parent);
    Lv->SetTransparent(true);
    Load(1);
    auto dib = Render();
    // Below the only row nothing but the parent's background.
    EXPECT_EQ(dib->Color(100, 150), parent);
    EXPECT_EQ(dib->Color(5, 190), parent);
    // Not transparent: a two-pixel image (green | yellow) stretched over the whole view.
    Lv->SetTransparent(false);
    Lv->SetImgBack(Strip(1, 1, {RGB(0, 255, 0), RGB(255, 255, 0)}).get());
    dib = Render();
    EXPECT_EQ(dib->Color(10, 150), RGB(0, 255, 0));
    EXPECT_EQ(dib->Color(190, 150), RGB(255, 255, 0));
}

TEST_F(ListViewTest, RowsPushedBelowTheViewKeepNoOldRectangle) {
    TVeskPngScrollBar* bar = WithBar(10);  // 10 x 42 = 420 in a view of 200
    ASSERT_NE(bar, nullptr);
    ScrollTo(bar, 200);
    Render();
    TVeskLvItem* last = Lv->GetItem(9);
    ASSERT_EQ(last->ItemRect.Top, 9 * 42 - 200);
    const int y = last->ItemRect.Top + 1;
    ScrollTo(bar, 0);
    Render();
    // Back at the top the last row lies far below: no hit test may find it at its old place.
    EXPECT_EQ(last->ItemRect, kUnset);
    EXPECT_NE(Lv->ItemAt(20, y), last);
    // The 2-pixel gap between two rows is empty.
    EXPECT_EQ(Lv->ItemAt(20, Lv->GetItem(1)->ItemRect.Bottom), nullptr);
}

TEST_F(ListViewTest, GroupsBelowTheViewKeepNoOldRectangle) {
    Lv->SetShowGroup(true);
    Lv->SetVerScrollRes(MakeBarRes());
    Lv->Loaded();
    for (int i = 0; i < 10; ++i) Lv->AddGroup();  // rows of 32 + 2
    TVeskGroupItem* expanded = Lv->GetGroup(8);
    expanded->SetExpanded(true);
    TVeskLvItem* item = expanded->AddItem();
    Render();
    TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
    ASSERT_TRUE(bar && bar->GetVisible());
    ScrollTo(bar, 140);
    Render();
    ASSERT_EQ(Lv->GetGroup(6)->GroupRect.Top, 64);
    ASSERT_NE(item->ItemRect, kUnset);
    ScrollTo(bar, 0);
    Render();
    // Group 6 starts at 204, below the view: it and every group after it, with its items, has no
    // rectangle, so y = 66 (between groups 1 and 2, where group 6 lay) finds no group.
    ASSERT_EQ(Lv->GetLastVisibleIndex(), 6);
    for (int i = 6; i < 10; ++i) EXPECT_EQ(Lv->GetGroup(i)->GroupRect, kUnset) << i;
    EXPECT_EQ(item->ItemRect, kUnset);
    Move(50, 66);
    EXPECT_EQ(Lv->GetHotGroup(), nullptr);
    Move(50, 40);
    EXPECT_EQ(Lv->GetHotGroup(), Lv->GetGroup(1));
}

// The scroll range counts every visible item of an expanded group, also in groups below the view
// that were never laid out: the bar must reach them.
TEST_F(ListViewTest, GroupContentHeightCountsEveryVisibleItem) {
    Lv->SetShowGroup(true);
    Lv->Loaded();
    for (int gi = 0; gi < 4; ++gi) {
        TVeskGroupItem* g = Lv->AddGroup();
        g->SetExpanded(true);
        for (int i = 0; i < 3; ++i) g->AddItem();
    }
    Lv->GetGroup(3)->GetItem(0)->Visible = false;
    Render();
    ASSERT_EQ(Lv->GetLastVisibleIndex(), 2) << "groups 2 and 3 lie below the view";
    // Four group rows of 32 + 2, eleven visible rows of 40 + MarginItemY.
    EXPECT_EQ(Lv->GetContentHeight(), 4 * 34 + 11 * 42);
}

// Items of an expanded group: List and Report rows start MarginItem in, step by MarginItem and end
// clear of the vertical bar; the Icon grid steps by ItemWidth + MarginItem across and by
// Itemheight + MarginItemY down.
TEST_F(ListViewTest, GroupItemsStepByTheirMargins) {
    for (TVeskListViewStyle style : {VvsList, VvsReport, VvsIcon}) {
        MakeListView(style);
        Lv->SetShowGroup(true);
        Lv->SetMarginItem(5);
        Lv->SetMarginItemY(9);
        Lv->SetItemWidth(40);
        Lv->SetVerScrollRes(MakeBarRes());
        Lv->Loaded();
        TVeskGroupItem* g = Lv->AddGroup();
        g->SetExpanded(true);
        for (int i = 0; i < 24; ++i) g->AddItem();
        Render();
        Render();
        TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
        ASSERT_TRUE(bar && bar->GetVisible()) << style;
        const fw::TRect first = g->GetItem(0)->ItemRect, second = g->GetItem(1)->ItemRect;
        EXPECT_EQ(first.Left, 5) << style;
        EXPECT_EQ(first.Height(), Lv->GetItemheight()) << style;
        if (style != VvsIcon) {
            EXPECT_EQ(second.Top - first.Bottom, 5) << style;
            EXPECT_EQ(first.Right, 204 - bar->GetWidth()) << style;
            continue;
        }
        EXPECT_EQ(first.Top, g->GroupRect.Bottom + 9);
        EXPECT_EQ(second.Left - first.Right, 5);
        int next = 1;
        while (next < g->ItemCount() && g->GetItem(next)->ItemRect.Left != first.Left) ++next;
        ASSERT_LT(next, g->ItemCount());
        EXPECT_EQ(g->GetItem(next)->ItemRect.Top - first.Bottom, 9);
    }
}
