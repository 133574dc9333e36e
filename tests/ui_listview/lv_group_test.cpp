// Groups: their rows, their items' rows, the expand button, group clicks and group check boxes.
#include "lv_fixture.h"

using namespace lvtest;

class ListViewGroupTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Lv->SetImgGroupBtn(Strip(10, 10, {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0), RGB(5, 0, 0),
                                          RGB(6, 0, 0)}).get());
        Lv->SetImgCheck(Strip(10, 10, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4)}).get());
        Lv->SetShowGroup(true);
        Lv->SetGroupItemHeight(20);
        Lv->Loaded();
        G0 = Lv->AddGroup();
        G0->Caption = L"First";
        G0->Expanded = true;
        G0->AddItem()->Caption = L"a";
        G0->AddItem()->Caption = L"b";
        G1 = Lv->AddGroup();
        G1->Caption = L"Second";
        G1->AddItem()->Caption = L"c";
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
    // Collapsed groups show no items.
    EXPECT_EQ(G1->GetItem(0)->ItemRect.Top, -1);
    EXPECT_EQ(G0->ButtonRect, fw::TRect(194, 5, 204, 15));
    EXPECT_EQ(Lv->GetContentHeight(), (20 + 2) * 2 + (40 + 2) * 2);
}

TEST_F(ListViewGroupTest, ExpandButtonTogglesAndGroupClickFires) {
    std::vector<TVeskGroupItem*> clicks;
    Lv->OnGroupItemClick = [&](fw::TObject*, TVeskGroupItem* g) { clicks.push_back(g); };
    Move(199, 10);
    EXPECT_EQ(Lv->GetHotGroup(), G0);
    Press(199, 10);
    Release(199, 10);
    EXPECT_FALSE(G0->Expanded);
    EXPECT_TRUE(clicks.empty());
    Render();
    EXPECT_EQ(G1->GroupRect.Top, 22);
    Move(50, 30);
    EXPECT_EQ(Lv->GetHotGroup(), G1);
    Press(50, 30);
    Release(50, 30);
    EXPECT_EQ(clicks, std::vector<TVeskGroupItem*>{G1});
}

TEST_F(ListViewGroupTest, ItemsInsideAnExpandedGroupAreHotAndClickable) {
    TVeskLvItem* b = G0->GetItem(1);
    int clicks = 0;
    Lv->OnItemClick = [&](fw::TObject*, TVeskLvItem* i) { clicks += i == b; };
    Move(50, 80);
    EXPECT_EQ(Lv->GetHotItem(), b);
    Press(50, 80);
    Release(50, 80);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->Selected);
}

TEST_F(ListViewGroupTest, GroupCheckBoxChecksEveryItemOfTheGroup) {
    Lv->SetShowCheckBox(true);
    Render();
    ASSERT_NE(G1->CheckRect.Left, -1);
    int events = 0;
    Lv->OnGroupItemCheck = [&](fw::TObject*, TVeskGroupItem* g) { events += g == G1; };
    const int x = G1->CheckRect.Left + 2, y = G1->CheckRect.Top + 2;
    Move(x, y);
    Press(x, y);
    Release(x, y);
    EXPECT_EQ(G1->Checked, 1);
    EXPECT_EQ(G1->GetItem(0)->Checked, 1);
    EXPECT_EQ(events, 1);
}
