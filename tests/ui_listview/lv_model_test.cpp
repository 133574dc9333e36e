// Items and references of the list view.
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
    auto* menu = new TVeskPopupMenu(Form);
    Lv->SetVerScrollRes(res);
    Lv->SetPopupMenu(menu);
    res->Free();
    menu->Free();
    EXPECT_EQ(Lv->GetVerScrollRes(), nullptr);
    EXPECT_EQ(Lv->GetPopupMenu(), nullptr);
    // Without a bar resource there is no bar; rows are laid out up to the first one below the view.
    Load(30);
    Render();
    EXPECT_EQ(Lv->GetVerScrollBar(), nullptr);
    EXPECT_EQ(Lv->GetLastVisibleIndex(), 5);
    EXPECT_EQ(Lv->GetItem(10)->ItemRect, kUnset);
}
