// Items and references of the list view.
#include "lv_fixture.h"

#include "freed_memory_trap.h"

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

// Items freed with their group (cleared, or all groups freed) leave no hot, pressed, current or
// anchor reference behind: a double click at their place reports nothing, and the hover that
// follows reads nothing of them (the trap would stop the test at such a read).
TEST_F(ListViewTest, FreedGroupItemsLeaveNoReference) {
    Lv->SetMultiSelect(true);
    Lv->SetShowGroup(true);
    Lv->Loaded();
    int dbClicks = 0;
    Lv->OnItemDbClick = [&](fw::TObject*, TVeskLvItem*) { ++dbClicks; };
    for (bool wholeGroups : {false, true}) {
        TVeskGroupItem* g = Lv->AddGroup();
        g->SetExpanded(true);
        {
            FreedMemoryTrap trap;
            for (int i = 0; i < 3; ++i) g->AddItem()->SetCaption(L"Item");
        }
        Render();
        TVeskLvItem* item = g->GetItem(1);
        ASSERT_TRUE(FreedMemoryTrap::Holds(item));
        const int x = 50, y = CenterY(item);
        Tap(x, y);
        Press(x, y);
        ASSERT_EQ(Lv->GetDownItem(), item);
        ASSERT_EQ(Lv->GetAnchorItem(), item);
        if (wholeGroups)
            Lv->ClearGroups();
        else
            g->Clear();
        EXPECT_FALSE(FreedMemoryTrap::Readable(item));
        for (TVeskLvItem* ref : {Lv->GetHotItem(), Lv->GetDownItem(), Lv->GetCurrentItem(), Lv->GetCheckHotItem(),
                                 Lv->GetCheckDownItem(), Lv->GetAnchorItem(), Lv->GetRangeEndItem()})
            EXPECT_EQ(ref, nullptr) << wholeGroups;
        Lv->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, Pt(x, y));
        Release(x, y);
        EXPECT_EQ(dbClicks, 0) << wholeGroups;
        Move(x, y + 1);
        EXPECT_EQ(Lv->GetHotItem(), nullptr) << wholeGroups;
    }
}

// A delete handler that deletes the very item Clear is about to free: the item is freed once (the
// trap ends the process at a second free).
TEST_F(ListViewTest, ClearFreesAnItemItsHandlerDeletedOnlyOnce) {
    Lv->Loaded();
    {
        FreedMemoryTrap trap;
        AddItems(3);
    }
    TVeskLvItem* victim = Lv->GetItem(1);
    ASSERT_TRUE(FreedMemoryTrap::Holds(victim));
    int events = 0;
    Lv->OnItemDataDelete = [&](fw::TObject*, TVeskLvItem* i) {
        if (++events == 2 && i == victim) Lv->DeleteItem(i);
    };
    Lv->Clear();
    EXPECT_EQ(Lv->Count(), 0);
    EXPECT_FALSE(FreedMemoryTrap::Readable(victim));
    EXPECT_EQ(events, 4) << "the nested DeleteItem reports the item once more";
}
