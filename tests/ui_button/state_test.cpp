// The button's state machine under the mouse, tab-like selection within a group, and the state
// set from code.
#include "button_fixture.h"

using namespace fw;
using namespace buttontest;

TEST_F(ButtonTest, HoverPressAndReleaseOfAPlainButton) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    std::vector<TVeskBtnStatus> atClick;
    b->OnClick = [&](TObject*) { atClick.push_back(b->GetBtnStatus()); };
    Move(20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
    Down(20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsDown);
    Up(20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    // The state changed before the click event.
    EXPECT_EQ(atClick, (std::vector<TVeskBtnStatus>{bsNormal}));
    // Drawn normal until the next move, which lights it again.
    Move(21, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
    Move(200, 100);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
}

TEST_F(ButtonTest, FocusAndSelectEndStatesAfterRelease) {
    TVeskPngButton* f = AddButton(10, 10, 50, 20);
    f->SetCanFocus(true);
    Move(20, 15);
    Down(20, 15);
    Up(20, 15);
    EXPECT_EQ(f->GetBtnStatus(), bsFocus);
    Move(200, 100);  // the focus look ends on leave
    EXPECT_EQ(f->GetBtnStatus(), bsNormal);

    TVeskPngButton* s = AddButton(100, 10, 50, 20);
    s->SetCanSelect(true);
    s->SetCanFocus(true);
    std::vector<TVeskBtnStatus> atSelect;
    s->OnSelect = [&](TObject* sender) {
        EXPECT_EQ(sender, s);
        atSelect.push_back(s->GetBtnStatus());
    };
    Move(110, 15);
    Down(110, 15);
    // OnSelect runs on the press, before the button is selected.
    EXPECT_EQ(atSelect, (std::vector<TVeskBtnStatus>{bsDown}));
    Up(110, 15);
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    // A selected button stays selected through leave and enter, and a press on it does nothing.
    Move(200, 100);
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    Move(110, 15);
    Down(110, 15);
    Up(110, 15);
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    EXPECT_EQ(atSelect.size(), 1u);
}

TEST_F(ButtonTest, AnyMouseButtonPresses) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    Move(20, 15);
    Down(20, 15, WM_RBUTTONDOWN);
    EXPECT_EQ(b->GetBtnStatus(), bsDown);
    Up(20, 15, WM_RBUTTONUP);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(clicks, 0);  // only the left button clicks
}

TEST_F(ButtonTest, LeavingWhilePressedReturnsToNormalAndTheReleaseChangesNothing) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    Move(20, 15);
    Down(20, 15);
    ASSERT_EQ(b->GetBtnStatus(), bsDown);
    Move(150, 80, MK_LBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    // Further moves outside reach the captured button but do not light it.
    Move(160, 90, MK_LBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    Up(160, 90);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, DisablingShowsTheDisabledStateAndEnablingReturnsToNormal) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    b->SetCanSelect(true);
    b->SetBtnStatus(bsSelect);
    b->SetEnabled(false);
    EXPECT_EQ(b->GetBtnStatus(), bsDisable);
    Move(20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsDisable);
    Move(200, 100);
    EXPECT_EQ(b->GetBtnStatus(), bsDisable);
    b->SetEnabled(true);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
}

namespace {

struct Tab {
    TVeskPngButton* button;
    int changes = 0;
};

}  // namespace

TEST_F(ButtonTest, SelectingATabDeselectsTheSelectedTabsOfItsGroup) {
    std::vector<Tab> tabs(4);
    for (int i = 0; i < 4; ++i) {
        TVeskPngButton* b = AddButton(10 + i * 60, 10, 50, 20);
        b->SetName(L"tab" + std::to_wstring(i));
        b->SetCanSelect(true);
        b->SetButtonTab(true);
        b->SetGroupIndex(i == 3 ? 2 : 1);
        tabs[size_t(i)].button = b;
        Tab* t = &tabs[size_t(i)];
        b->OnSelectChange = [t](TObject* sender) {
            EXPECT_EQ(sender, t->button);
            EXPECT_EQ(t->button->GetBtnStatus(), bsSelect);  // fired before it turns normal
            ++t->changes;
        };
    }
    tabs[0].button->SetBtnStatus(bsSelect);
    tabs[3].button->SetBtnStatus(bsSelect);  // another group
    tabs[2].button->SetCanSelect(false);
    Move(75, 15);
    Down(75, 15);
    EXPECT_EQ(tabs[0].changes, 1);
    EXPECT_EQ(tabs[0].button->GetBtnStatus(), bsNormal);
    EXPECT_EQ(tabs[3].changes, 0);
    EXPECT_EQ(tabs[3].button->GetBtnStatus(), bsSelect);
    Up(75, 15);
    EXPECT_EQ(tabs[1].button->GetBtnStatus(), bsSelect);
    EXPECT_EQ(tabs[1].changes, 0);
}

TEST_F(ButtonTest, OnlyTabButtonsDeselectEachOtherNamedOrNot) {
    TVeskPngButton* a = AddButton(10, 10, 50, 20);
    TVeskPngButton* b = AddButton(70, 10, 50, 20);
    for (TVeskPngButton* x : {a, b}) x->SetCanSelect(true);
    int changes = 0;
    a->OnSelectChange = [&](TObject*) { ++changes; };
    a->SetBtnStatus(bsSelect);
    b->SetBtnStatus(bsSelect);  // not a tab button
    EXPECT_EQ(a->GetBtnStatus(), bsSelect);
    // Tab buttons made at run time have no names; they deselect each other all the same.
    a->SetButtonTab(true);
    b->SetButtonTab(true);
    b->SetBtnStatus(bsNormal);
    b->SetBtnStatus(bsSelect);
    EXPECT_EQ(a->GetBtnStatus(), bsNormal);
    EXPECT_EQ(changes, 1);
}

TEST_F(ButtonTest, SettingTheSelectedStateFromCodeRunsTheSelection) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    int selects = 0;
    b->OnSelect = [&](TObject*) { ++selects; };
    b->SetBtnStatus(bsSelect);
    EXPECT_EQ(selects, 1);
    b->SetBtnStatus(bsSelect);  // unchanged: nothing
    EXPECT_EQ(selects, 1);
    b->SetBtnStatus(bsOver);
    EXPECT_EQ(selects, 1);
    // Not while a description is being read either way: the state is stored.
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
}

TEST_F(ButtonTest, AHandlerMayFreeTheButtonItSelects) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    b->SetCanSelect(true);
    auto alive = b->AliveToken();
    b->OnSelect = [&](TObject*) { b->Free(); };
    Move(20, 15);
    Down(20, 15);
    EXPECT_FALSE(*alive);
    Up(20, 15);
}

TEST_F(ButtonTest, PressGivesTheParentTheFocus) {
    Form->Show();
    Drain();
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    SetFocus(nullptr);
    Move(20, 15);
    Down(20, 15);
    Up(20, 15);
    EXPECT_EQ(GetFocus(), Form->GetHandle());
    (void)b;
}
