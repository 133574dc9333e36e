// Items, groups and references of the list view.
#include "lv_fixture.h"

using namespace lvtest;

TEST_F(ListViewTest, DeleteAndClearForgetEveryReferenceAndClearDropsTheBar) {
    Lv->SetMultiSelect(true);
    ASSERT_NE(WithBar(10), nullptr);
    ClickItem(1);
    ASSERT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    ASSERT_EQ(Lv->GetAnchorItem(), Lv->GetItem(1));
    std::vector<TVeskLvItem*> deleted;
    Lv->OnItemDataDelete = [&](fw::TObject*, TVeskLvItem* i) { deleted.push_back(i); };
    TVeskLvItem stranger;
    Lv->DeleteItem(&stranger);
    Lv->DeleteItem(nullptr);
    EXPECT_EQ(Lv->Count(), 10);
    Lv->DeleteItem(Lv->GetItem(1));
    EXPECT_EQ(deleted.size(), 1u);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
    EXPECT_EQ(Lv->GetAnchorItem(), nullptr);
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    // The next move starts from no hot item and finds the item now under the mouse.
    Render();
    Move(20, CenterY(Lv->GetItem(1)));
    EXPECT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    // Clearing deletes the rest, last first, and drops the bar.
    TVeskLvItem* last = Lv->GetItem(8);
    deleted.clear();
    Lv->Clear();
    ASSERT_EQ(deleted.size(), 9u);
    EXPECT_EQ(deleted[0], last);
    EXPECT_EQ(Lv->Count(), 0);
    EXPECT_EQ(Lv->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lv->GetTopOffset(), 0);
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

TEST_F(ListViewTest, GroupsLayOutTheirRowsTheButtonTogglesAndTheGroupCheckBoxChecksItsItems) {
    Lv->SetImgGroupBtn(Strip(10, 10, {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0), RGB(5, 0, 0),
                                      RGB(6, 0, 0)}).get());
    Lv->SetImgCheck(CheckStrip().get());
    Lv->SetShowGroup(true);
    Lv->SetShowCheckBox(true);
    Lv->SetGroupItemHeight(20);
    Lv->Loaded();
    TVeskGroupItem* g0 = Lv->AddGroup();
    g0->Expanded = true;
    g0->AddItem();
    g0->AddItem();
    TVeskGroupItem* g1 = Lv->AddGroup();
    g1->AddItem();
    Render();
    EXPECT_EQ(g0->GroupRect, fw::TRect(0, 0, 204, 20));
    EXPECT_EQ(g0->GetItem(0)->ItemRect, fw::TRect(2, 20, 204, 60));
    EXPECT_EQ(g1->GroupRect.Top, 62 + 40 + 2);
    EXPECT_EQ(g1->GetItem(0)->ItemRect.Top, -1) << "collapsed groups show no items";
    EXPECT_EQ(g0->ButtonRect, fw::TRect(194, 5, 204, 15));
    EXPECT_EQ(Lv->GetContentHeight(), (20 + 2) * 2 + (40 + 2) * 2);

    std::vector<TVeskGroupItem*> clicks, checks;
    Lv->OnGroupItemClick = [&](fw::TObject*, TVeskGroupItem* g) { clicks.push_back(g); };
    Lv->OnGroupItemCheck = [&](fw::TObject*, TVeskGroupItem* g) { checks.push_back(g); };
    Tap(50, 80);
    EXPECT_TRUE(g0->GetItem(1)->Selected) << "items inside a group are clickable";
    Tap(199, 10);
    EXPECT_FALSE(g0->Expanded);
    EXPECT_TRUE(clicks.empty());
    Render();
    EXPECT_EQ(g1->GroupRect.Top, 22);
    Tap(100, 30);
    EXPECT_EQ(clicks, std::vector<TVeskGroupItem*>{g1});
    Tap(g1->CheckRect.Left + 2, g1->CheckRect.Top + 2);
    EXPECT_EQ(checks, std::vector<TVeskGroupItem*>{g1});
    EXPECT_EQ(g1->Checked, 1);
    EXPECT_EQ(g1->GetItem(0)->Checked, 1);
}
