// Items, groups, references and property rules of the list view.
#include "lv_fixture.h"

using namespace lvtest;

TEST_F(ListViewTest, RepaintsAreAskedOnlyAfterLoadingAndOnlyForAChangedCaption) {
    TVeskLvItem* item = Lv->AddItem();
    item->SetCaption(L"x");
    Lv->SetMarginText(7);
    EXPECT_EQ(Repaints, 0);
    Lv->Loaded();
    Lv->AddItem();
    item->SetCaption(L"x");
    int datum = 42;
    item->SetData(&datum);
    EXPECT_EQ(Repaints, 0);
    item->SetCaption(L"y");
    EXPECT_EQ(Repaints, 1);
}

TEST_F(ListViewTest, ClearFiresDeleteForEveryItemLastFirstAndDropsTheBar) {
    ASSERT_NE(WithBar(10), nullptr);
    std::vector<TVeskLvItem*> order;
    TVeskLvItem* last = Lv->GetItem(9);
    Lv->OnItemDataDelete = [&](fw::TObject*, TVeskLvItem* i) { order.push_back(i); };
    Lv->Clear();
    ASSERT_EQ(order.size(), 10u);
    EXPECT_EQ(order[0], last);
    EXPECT_EQ(Lv->Count(), 0);
    EXPECT_EQ(Lv->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lv->GetTopOffset(), 0);
}

TEST_F(ListViewTest, DeleteItemForgetsEveryReferenceAndIgnoresStrangers) {
    Lv->SetMultiSelect(true);
    Load(3);
    ClickItem(1);
    ASSERT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    ASSERT_EQ(Lv->GetAnchorItem(), Lv->GetItem(1));
    int deletes = 0;
    Lv->OnItemDataDelete = [&](fw::TObject*, TVeskLvItem*) { ++deletes; };
    TVeskLvItem stranger;
    Lv->DeleteItem(&stranger);
    Lv->DeleteItem(nullptr);
    EXPECT_EQ(Lv->Count(), 3);
    Lv->DeleteItem(Lv->GetItem(1));
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
    EXPECT_EQ(Lv->GetAnchorItem(), nullptr);
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    // The next move starts from no hot item and finds the item now under the mouse.
    Render();
    Move(20, CenterY(Lv->GetItem(1)));
    EXPECT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
}

TEST_F(ListViewTest, IndexesOutOfRangeGiveNothingAndSizesBelowOneAreRefused) {
    AddItems(2);
    EXPECT_EQ(Lv->GetItem(-1), nullptr);
    EXPECT_EQ(Lv->GetItem(2), nullptr);
    TVeskLvItem* item = Lv->GetItem(0);
    item->AddSubItem(L"s");
    EXPECT_EQ(item->GetSubItem(1), nullptr);
    EXPECT_EQ(item->GetSubItem(-1), nullptr);
    TVeskGroupItem* g = Lv->AddGroup();
    EXPECT_EQ(g->AddItem()->Group, g);
    EXPECT_EQ(g->GetItem(1), nullptr);

    Lv->SetItemheight(0);
    Lv->SetItemWidth(-3);
    Lv->SetGroupItemHeight(0);
    EXPECT_EQ(Lv->GetItemheight(), 32);
    EXPECT_EQ(Lv->GetItemWidth(), 32);
    EXPECT_EQ(Lv->GetGroupItemHeight(), 32);
}

TEST_F(ListViewTest, FreedLinkedComponentsAreForgotten) {
    auto* res = MakeBarRes();
    auto* images = new TVeskStdImageList(Form);
    auto* menu = new TVeskPopupMenu(Form);
    Lv->SetVerScrollRes(res);
    Lv->SetImagelist(images);
    Lv->SetPopupMenu(menu);
    res->Free();
    images->Free();
    menu->Free();
    EXPECT_EQ(Lv->GetVerScrollRes(), nullptr);
    EXPECT_EQ(Lv->GetImagelist(), nullptr);
    EXPECT_EQ(Lv->GetPopupMenu(), nullptr);
    // Without a bar resource there is never a bar, and only the rows up to the first one below
    // the bottom edge are laid out.
    Load(30);
    Render();
    EXPECT_EQ(Lv->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lv->GetLastVisibleIndex(), 5);
    EXPECT_EQ(Lv->GetItem(10)->ItemRect, kUnset);
}

// Groups: their rows, their items' rows, the expand button, group clicks and group check boxes.
class ListViewGroupTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Lv->SetImgGroupBtn(Strip(10, 10, {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0), RGB(5, 0, 0),
                                          RGB(6, 0, 0)}).get());
        Lv->SetImgCheck(CheckStrip().get());
        Lv->SetShowGroup(true);
        Lv->SetGroupItemHeight(20);
        Lv->Loaded();
        G0 = Lv->AddGroup();
        G0->Expanded = true;
        G0->AddItem();
        G0->AddItem();
        G1 = Lv->AddGroup();
        G1->AddItem();
        Render();
    }
    TVeskGroupItem* G0 = nullptr;
    TVeskGroupItem* G1 = nullptr;
};

TEST_F(ListViewGroupTest, GroupsAndTheirItemsAreLaidOutInRows) {
    EXPECT_EQ(G0->GroupRect, fw::TRect(0, 0, 204, 20));
    EXPECT_EQ(G0->GetItem(0)->ItemRect, fw::TRect(2, 20, 204, 60));
    EXPECT_EQ(G0->GetItem(1)->ItemRect.Top, 62);
    EXPECT_EQ(G1->GroupRect.Top, 62 + 40 + 2);
    EXPECT_EQ(G1->GetItem(0)->ItemRect.Top, -1) << "collapsed groups show no items";
    EXPECT_EQ(G0->ButtonRect, fw::TRect(194, 5, 204, 15));
    EXPECT_EQ(Lv->GetContentHeight(), (20 + 2) * 2 + (40 + 2) * 2);
}

TEST_F(ListViewGroupTest, ExpandButtonTogglesGroupRowsClickAndItemsInsideAreClickable) {
    std::vector<TVeskGroupItem*> clicks;
    Lv->OnGroupItemClick = [&](fw::TObject*, TVeskGroupItem* g) { clicks.push_back(g); };
    std::vector<TVeskLvItem*> itemClicks;
    Lv->OnItemClick = [&](fw::TObject*, TVeskLvItem* i) { itemClicks.push_back(i); };
    Move(50, 80);
    EXPECT_EQ(Lv->GetHotItem(), G0->GetItem(1));
    Tap(50, 80);
    EXPECT_EQ(itemClicks, std::vector<TVeskLvItem*>{G0->GetItem(1)});
    EXPECT_TRUE(G0->GetItem(1)->Selected);

    Move(199, 10);
    EXPECT_EQ(Lv->GetHotGroup(), G0);
    Tap(199, 10);
    EXPECT_FALSE(G0->Expanded);
    EXPECT_TRUE(clicks.empty());
    Render();
    EXPECT_EQ(G1->GroupRect.Top, 22);
    Move(50, 30);
    EXPECT_EQ(Lv->GetHotGroup(), G1);
    Tap(50, 30);
    EXPECT_EQ(clicks, std::vector<TVeskGroupItem*>{G1});
}

TEST_F(ListViewGroupTest, GroupCheckBoxChecksEveryItemOfTheGroup) {
    Lv->SetShowCheckBox(true);
    Render();
    ASSERT_NE(G1->CheckRect.Left, -1);
    int events = 0;
    Lv->OnGroupItemCheck = [&](fw::TObject*, TVeskGroupItem* g) { events += g == G1; };
    Tap(G1->CheckRect.Left + 2, G1->CheckRect.Top + 2);
    EXPECT_EQ(G1->Checked, 1);
    EXPECT_EQ(G1->GetItem(0)->Checked, 1);
    EXPECT_EQ(events, 1);
}
