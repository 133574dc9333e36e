// Hot tracking, clicks, check boxes, selection rules, the rubber band, right-button selection,
// double clicks, leaving and the caption hint.
#include "lb_fixture.h"

using namespace fw;
using namespace lbtest;

namespace {

class ListMouseTest : public ListBoxTest {
protected:
    void SetUp() override {
        ListBoxTest::SetUp();
        Load(5);
        Record();
    }
};

TEST_F(ListMouseTest, HoverSkipsDisabledRowsAndAClickSelectsThePressedRowAndClicksTheReleaseRow) {
    Lb->GetItem(3)->SetEnabled(false);
    Move(Centre(2));
    EXPECT_EQ(Lb->GetHotItem(), Lb->GetItem(2));
    Move(Centre(3));
    EXPECT_EQ(Lb->GetHotItem(), nullptr) << "the old row is left and a disabled row never becomes hot";
    Lb->GetItem(3)->SetEnabled(true);
    ClickRow(1);
    EXPECT_EQ(Took(), Ev{L"click:1"});
    EXPECT_EQ(Selection(), (Sel{false, true, false, false, false}));
    EXPECT_EQ(Lb->GetPressedItem(), nullptr);

    Move(Centre(2));
    Press(Centre(2));
    EXPECT_EQ(Lb->GetPressedItem(), Lb->GetItem(2));
    Move(Centre(4), MK_LBUTTON);
    Release(Centre(4));
    EXPECT_EQ(Took(), Ev{L"click:4"}) << "the release row is the one clicked";
    EXPECT_EQ(Selection(), (Sel{false, false, true, false, false})) << "the press row is the one selected";

    Move(TPoint(100, 140));
    Press(TPoint(100, 140));
    EXPECT_EQ(Events, Ev{L"click:nil"}) << "a press on empty space clicks nothing";
    EXPECT_EQ(Lb->SelectedCount(), 0);
}

TEST_F(ListMouseTest, CheckBoxTogglesOnlyWhenPressedAndReleasedOnIt) {
    Remake(4, true);
    Move(Box(1));
    Press(Box(1));
    EXPECT_EQ(Lb->GetCheckPressedItem(), Lb->GetItem(1));
    EXPECT_EQ(Lb->GetPressedItem(), nullptr) << "a press on the box does not press the row";
    Release(Box(1));
    EXPECT_TRUE(Lb->GetItem(1)->GetChecked());
    EXPECT_EQ(Took(), Ev{L"check:1"});
    EXPECT_EQ(Lb->SelectedCount(), 0);

    Drag(Box(1), Centre(1) + TPoint(50, 0));
    EXPECT_TRUE(Lb->GetItem(1)->GetChecked()) << "released off the box: nothing toggles";
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Lb->GetCheckPressedItem(), nullptr);
    ClickRow(2);
    EXPECT_EQ(Took(), Ev{L"click:2"}) << "the next row click is not lost";

    // A band started on a box leaves no pressed box behind: a later release over it toggles nothing.
    Lb->SetMultiSelect(true);
    Drag(Box(0), TPoint(Box(0).X, Centre(2).Y));
    EXPECT_EQ(Took(), Ev{L"click:nil"});
    EXPECT_EQ(Lb->GetCheckPressedItem(), nullptr);
    Move(Box(0));
    Lb->Perform(WM_RBUTTONUP, 0, Pt(Box(0).X, Box(0).Y));
    EXPECT_FALSE(Lb->GetItem(0)->GetChecked());
    EXPECT_TRUE(Events.empty());
}

TEST_F(ListMouseTest, MultiSelectWithCtrlAndShiftRanges) {
    Lb->SetMultiSelect(true);
    struct Step {
        int row;
        WPARAM keys;
        Sel selected;
        const char* why;
    } steps[] = {
        {1, 0, {0, 1, 0, 0, 0}, ""},
        {3, MK_CONTROL, {0, 1, 0, 1, 0}, "Ctrl adds"},
        {3, MK_CONTROL, {0, 1, 0, 1, 0}, "Ctrl does not toggle"},
        {1, 0, {0, 1, 0, 0, 0}, "a plain click selects alone"},
        {4, MK_SHIFT, {0, 1, 1, 1, 1}, "a range from the anchor"},
        {2, MK_SHIFT, {0, 0, 1, 0, 0}, "a second Shift-click starts a new range"},
        {0, MK_SHIFT, {1, 1, 1, 0, 0}, "ranges run either way"},
        {4, 0, {0, 0, 0, 0, 1}, ""},
        {3, MK_SHIFT, {0, 0, 0, 1, 1}, "after a plain click a Shift-click ends a range at the clicked row"},
    };
    for (const Step& s : steps) {
        ClickRow(s.row, s.keys);
        EXPECT_EQ(Selection(), s.selected) << s.row << ": " << s.why;
        if (!s.keys || s.row == 2) {
            EXPECT_EQ(Lb->GetAnchorItem(), Lb->GetItem(s.row)) << s.row;
        }
        if (s.keys == MK_SHIFT && s.row >= 2) {
            EXPECT_EQ(Lb->GetEndItem(), s.row == 2 ? nullptr : Lb->GetItem(s.row)) << s.row;
        }
    }
    Lb->SetMultiSelect(false);
    ClickRow(3, MK_CONTROL);
    EXPECT_EQ(Selection(), (Sel{false, false, false, true, false})) << "single selection ignores Ctrl";
}

TEST_F(ListMouseTest, AnyDragEndsAsARubberBandThatSelectsFromTenPixels) {
    Lb->SetMultiSelect(true);
    Lb->SetImgSelBox(Strip(4, 4, {RGB(90, 9, 9)}).get());
    // A band from row 1 down into row 3.
    Move(TPoint(50, Centre(1).Y));
    Press(TPoint(50, Centre(1).Y));
    Move(TPoint(80, Centre(3).Y), MK_LBUTTON);
    EXPECT_EQ(At(*Paint(), 60, Centre(2).Y), RGB(90, 9, 9)) << "the band is drawn";
    EXPECT_EQ(Selection(), (Sel{false, true, true, true, false}));
    Release(TPoint(80, Centre(3).Y));
    EXPECT_EQ(Took(), Ev{L"click:nil"});
    EXPECT_NE(At(*Paint(), 60, Centre(2).Y), RGB(90, 9, 9)) << "gone after the release";

    // Dragged up past the top edge: the band reaches row 0 and is not mistaken for no band.
    Move(TPoint(50, Centre(1).Y));
    Press(TPoint(50, Centre(1).Y));
    Move(TPoint(70, -1), MK_LBUTTON);
    Paint();
    Release(TPoint(70, 0));
    EXPECT_EQ(Events, Ev{L"click:nil"});
    EXPECT_EQ(Selection(), (Sel{true, true, false, false, false}));
}

TEST_F(ListMouseTest, AMoveReportedAtThePressPointIsStillAClick) {
    Lb->SetMultiSelect(true);
    const TPoint p = Centre(2);
    Move(p);
    Press(p);
    Move(p, MK_LBUTTON);
    Release(p);
    EXPECT_EQ(Took(), Ev{L"click:2"}) << "no movement, no band";
    // Moved away and back is a drag, though a small one: no row click, and the press still
    // selected its row.
    Move(p);
    Press(p);
    Move(p + TPoint(1, 0), MK_LBUTTON);
    Move(p, MK_LBUTTON);
    Release(p);
    EXPECT_EQ(Events, Ev{L"click:nil"});
    EXPECT_EQ(Selection(), (Sel{false, false, true, false, false}));
    EXPECT_EQ(Lb->GetPressedItem(), nullptr);
}

TEST_F(ListMouseTest, RightButtonSelectsOnlyWhileAtMostOneRowIsSelected) {
    RightClick(Centre(1));
    EXPECT_TRUE(Events.empty()) << "without right-button selection nothing happens";
    Lb->SetSupportRightSelect(true);
    Lb->SetMultiSelect(true);
    ClickRow(1);
    Took();
    RightClick(Centre(2));
    EXPECT_EQ(Took(), Ev{L"click:2"});
    EXPECT_EQ(Selection(), (Sel{false, false, true, false, false}));
    ClickRow(4, MK_CONTROL);
    Took();
    RightClick(Centre(0));
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Selection(), (Sel{false, false, true, false, true})) << "two selected rows are kept";
    // A double click reports the hot row between its two clicks.
    Lb->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, Pt(Centre(0).X, Centre(0).Y));
    Release(Centre(0));
    EXPECT_EQ(Events, (Ev{L"dbl:0", L"click:0"}));
}

TEST_F(ListMouseTest, LongCaptionBecomesTheHintWhileItsRowIsHot) {
    const std::wstring wide(80, L'W');
    Lb->SetHint(L"own hint");
    Lb->GetItem(2)->SetCaption(wide);
    Paint();
    Move(Centre(1));
    EXPECT_FALSE(Lb->GetCaptionHintShown()) << "a caption that fits needs no hint";
    Move(Centre(2));
    EXPECT_TRUE(Lb->GetCaptionHintShown());
    EXPECT_EQ(Lb->GetHint(), wide);
    EXPECT_TRUE(Lb->GetShowHint());
    Move(Centre(3));
    EXPECT_EQ(Lb->GetHint(), L"own hint");
    EXPECT_FALSE(Lb->GetShowHint());
    Move(Centre(2));
    ASSERT_TRUE(Lb->GetCaptionHintShown());
    Lb->DeleteItem(Lb->GetItem(2));
    EXPECT_FALSE(Lb->GetCaptionHintShown()) << "a deleted row takes its caption hint with it";
    EXPECT_EQ(Lb->GetHint(), L"own hint");
    EXPECT_FALSE(Lb->GetShowHint());
}

}  // namespace
