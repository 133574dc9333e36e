// Items, lists, references and property rules of the list view.
#include "lv_fixture.h"

using namespace lvtest;

TEST_F(ListViewTest, AddItemGivesDefaultsAndDoesNotRepaint) {
    Lv->Loaded();
    Repaints = 0;
    TVeskLvItem* item = Lv->AddItem();
    EXPECT_EQ(item->Owner, Lv);
    EXPECT_EQ(item->ImageIndex, -1);
    EXPECT_TRUE(item->Enabled);
    EXPECT_TRUE(item->Visible);
    EXPECT_EQ(item->Checked, 0);
    EXPECT_FALSE(item->Selected);
    EXPECT_EQ(item->Alignment, 2);
    EXPECT_EQ(Lv->Count(), 1);
    EXPECT_EQ(Lv->GetItem(0), item);
    EXPECT_EQ(Repaints, 0);
}

TEST_F(ListViewTest, CaptionRepaintsOnlyOnChangeAndDataNever) {
    Lv->Loaded();
    TVeskLvItem* item = Lv->AddItem();
    Repaints = 0;
    item->SetCaption(L"a");
    EXPECT_EQ(Repaints, 1);
    item->SetCaption(L"a");
    EXPECT_EQ(Repaints, 1);
    int datum = 42;
    item->SetData(&datum);
    EXPECT_EQ(Repaints, 1);
    EXPECT_EQ(item->Data, &datum);
    Lv->DeleteItem(item);
    EXPECT_EQ(datum, 42);
    EXPECT_EQ(Lv->Count(), 0);
}

TEST_F(ListViewTest, NoRepaintBeforeLoading) {
    TVeskLvItem* item = Lv->AddItem();
    item->SetCaption(L"x");
    Lv->SetMarginText(7);
    EXPECT_EQ(Repaints, 0);
    EXPECT_FALSE(Lv->GetHaveLoaded());
    Lv->Loaded();
    EXPECT_TRUE(Lv->GetHaveLoaded());
    item->SetCaption(L"y");
    EXPECT_EQ(Repaints, 1);
}

TEST_F(ListViewTest, ClearFiresDeleteForEveryItemLastFirstAndDropsTheBar) {
    Lv->SetVerScrollRes(MakeBarRes());
    Lv->Loaded();
    AddItems(10);
    Render();
    ASSERT_NE(Lv->GetVerScrollBar(), nullptr);
    std::vector<TVeskLvItem*> order;
    std::vector<TVeskLvItem*> expected{Lv->GetItem(9), Lv->GetItem(8)};
    Lv->OnItemDataDelete = [&](fw::TObject* s, TVeskLvItem* i) {
        EXPECT_EQ(s, Lv);
        order.push_back(i);
    };
    Lv->Clear();
    ASSERT_EQ(order.size(), 10u);
    EXPECT_EQ(order[0], expected[0]);
    EXPECT_EQ(order[1], expected[1]);
    EXPECT_EQ(Lv->Count(), 0);
    EXPECT_EQ(Lv->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lv->GetTopOffset(), 0);
}

TEST_F(ListViewTest, DeleteItemForgetsEveryReferenceAndIgnoresStrangers) {
    Lv->SetMultiSelect(true);
    Lv->Loaded();
    AddItems(3);
    Render();
    ClickItem(1);
    Move(20, (Lv->GetItem(1)->ItemRect.Top + Lv->GetItem(1)->ItemRect.Bottom) / 2);
    ASSERT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    ASSERT_EQ(Lv->GetAnchorItem(), Lv->GetItem(1));
    int deletes = 0;
    Lv->OnItemDataDelete = [&](fw::TObject*, TVeskLvItem*) { ++deletes; };
    TVeskLvItem stranger;
    Lv->DeleteItem(&stranger);
    Lv->DeleteItem(nullptr);
    EXPECT_EQ(deletes, 0);
    EXPECT_EQ(Lv->Count(), 3);
    Lv->DeleteItem(Lv->GetItem(1));
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
    EXPECT_EQ(Lv->GetAnchorItem(), nullptr);
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    // The next move starts from no hot item and finds the item now under the mouse.
    Render();
    Move(20, (Lv->GetItem(1)->ItemRect.Top + Lv->GetItem(1)->ItemRect.Bottom) / 2);
    EXPECT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
}

TEST_F(ListViewTest, IndexAccessOutOfRangeGivesNothing) {
    AddItems(2);
    EXPECT_EQ(Lv->GetItem(-1), nullptr);
    EXPECT_EQ(Lv->GetItem(2), nullptr);
    TVeskLvItem* item = Lv->GetItem(0);
    item->AddSubItem(L"s");
    EXPECT_EQ(item->SubItemCount(), 1);
    EXPECT_EQ(item->GetSubItem(1), nullptr);
    EXPECT_EQ(item->GetSubItem(-1), nullptr);
    EXPECT_EQ(item->GetSubItem(0)->Caption, L"s");
    TVeskGroupItem* g = Lv->AddGroup();
    EXPECT_EQ(g->Owner, Lv);
    TVeskLvItem* gi = g->AddItem();
    EXPECT_EQ(gi->Group, g);
    EXPECT_EQ(g->GetItem(0), gi);
    EXPECT_EQ(g->GetItem(1), nullptr);
    Lv->ClearGroups();
    EXPECT_EQ(Lv->GroupCount(), 0);
}

TEST_F(ListViewTest, SettersRefuseOutOfRangeSizes) {
    Lv->SetItemheight(0);
    EXPECT_EQ(Lv->GetItemheight(), 32);
    Lv->SetItemWidth(-3);
    EXPECT_EQ(Lv->GetItemWidth(), 32);
    Lv->SetGroupItemHeight(0);
    EXPECT_EQ(Lv->GetGroupItemHeight(), 32);
    Lv->SetItemRowHeight(0);
    EXPECT_EQ(Lv->GetItemRowHeight(), 0);
    Lv->SetItemRowHeight(5);
    EXPECT_EQ(Lv->GetItemRowHeight(), 5);
    Lv->SetItemheight(12);
    EXPECT_EQ(Lv->GetItemheight(), 12);
}

TEST_F(ListViewTest, DefaultsOfANewListView) {
    TVeskListView lv(nullptr);
    EXPECT_EQ(lv.GetWidth(), 200);
    EXPECT_EQ(lv.GetHeight(), 150);
    EXPECT_EQ(lv.GetColor(), fw::clWhite);
    EXPECT_TRUE(lv.GetTabStop());
    EXPECT_EQ(lv.GetViewStyle(), VvsIcon);
    EXPECT_EQ(lv.GetItemStateCount(), 2);
    EXPECT_EQ(lv.GetCheckStateCount(), 4);
    EXPECT_EQ(lv.GetHeaderHeight(), 22);
    EXPECT_EQ(lv.GetBorderColor(), fw::clSkyBlue);
    EXPECT_EQ(lv.GetFontColorOver(), fw::clBlue);
    EXPECT_TRUE(lv.GetHotTrack());
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
}
