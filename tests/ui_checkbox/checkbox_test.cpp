// The skinned check box and radio item: frames from the strip, the frame and caption colour of
// each state, toggling on the press, radio groups, and the caption shown as a hint.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskCheckBox.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using namespace testsupport;

namespace {

// Frame i of the test strips is RGB(10 (i + 1), 0, Blue).
COLORREF F(int i, int Blue = 0) { return RGB(10 * (i + 1), 0, Blue); }
std::unique_ptr<TPngImage> Frames(int Size, int Blue = 0) {
    std::vector<COLORREF> c;
    for (int i = 0; i < 8; ++i) c.push_back(F(i, Blue));
    return Strip(Size, Size, c);
}

class CheckBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(300, 120);
    }
    TVeskCheckBox* AddBox(int l, int t, int w = 100, const std::wstring& caption = L"") {
        auto* b = AddControl<TVeskCheckBox>(Form, l, t, w, 20);
        b->SetImgCheckBox(Frames(16).get());
        b->SetCaption(caption);
        b->Loaded();
        return b;
    }
    // The colour of the box part of a check box (the middle of its frame).
    COLORREF BoxColor(TVeskCheckBox* b) { return Render(Form)->Color(b->GetLeft() + 10, b->GetTop() + 8); }
    void Move(int x, int y, WPARAM keys = 0) { MouseMove(Form, x, y, keys); }
    void Hover(int x, int y) { testsupport::Hover(Form, x, y); }
    TPlainForm* Form = nullptr;
};

}  // namespace

TEST_F(CheckBoxTest, TheFrameFollowsStateAndCheckedFlagAndALeftPressTogglesOnce) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject* s) { checks += s == b; };
    EXPECT_EQ(b->GetHeight(), 16);  // the frame's
    EXPECT_EQ(BoxColor(b), F(0));
    b->SetChecked(true);  // in code: no event
    EXPECT_EQ(BoxColor(b), F(1));
    Move(15, 15);
    EXPECT_EQ(BoxColor(b), F(3));
    MouseDown(Form, 15, 15);
    EXPECT_FALSE(b->GetChecked());  // toggled on the press
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(BoxColor(b), F(4));
    MouseUp(Form, 15, 15);
    EXPECT_EQ(BoxColor(b), F(2));
    EXPECT_FALSE(b->GetPressed());
    Click(Form, 16, 15, MK_RBUTTON);
    EXPECT_FALSE(b->GetChecked());
    EXPECT_EQ(checks, 1);
    Move(250, 100);
    EXPECT_EQ(BoxColor(b), F(0));
    b->SetEnabled(false);
    EXPECT_EQ(BoxColor(b), F(6));
    b->SetChecked(true);
    // The box stands at x = 2, centred vertically.
    auto dib = Render(Form);
    EXPECT_EQ(dib->Color(12, 10), F(7));
    EXPECT_EQ(dib->Color(11, 10), RGB(255, 255, 255));
    EXPECT_EQ(dib->Color(27, 25), F(7));
    EXPECT_EQ(dib->Color(28, 25), RGB(255, 255, 255));
}

TEST_F(CheckBoxTest, TheCaptionTakesTheColourOfTheStateAndStandsRightOfTheBox) {
    TVeskCheckBox* b = AddBox(10, 10, 150, L"Monday");
    b->SetFontColorNormal(RGB(200, 0, 0));
    b->SetFontColorOver(RGB(0, 200, 0));
    b->SetFontColorDisable(RGB(0, 0, 200));
    b->SetTextOffset(5);
    const RECT caption{10 + 18, 10, 160, 26};
    auto dib = Render(Form);
    EXPECT_GT(dib->CountColor(caption, RGB(200, 0, 0)), 0);
    // Nothing of the caption left of box right + 2 + TextOffset.
    EXPECT_EQ(dib->CountColor(RECT{28, 10, 35, 26}, RGB(200, 0, 0)), 0);
    Move(15, 15);
    dib = Render(Form);
    EXPECT_GT(dib->CountColor(caption, RGB(0, 200, 0)), 0);
    EXPECT_EQ(dib->CountColor(caption, RGB(200, 0, 0)), 0);
    b->SetEnabled(false);
    EXPECT_GT(Render(Form)->CountColor(caption, RGB(0, 0, 200)), 0);
}

TEST_F(CheckBoxTest, RadioItemsOfOneParentUncheckEachOtherQuietlyAndDrawTheRadioStrip) {
    TVeskCheckBox* all[4] = {AddBox(10, 10), AddBox(10, 40), AddBox(10, 70), AddBox(150, 10)};
    int checks[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) all[i]->OnCheck = [&checks, i](TObject*) { ++checks[i]; };
    for (int i = 0; i < 3; ++i) all[i]->SetRadioItem(true);  // the fourth is a plain check box
    all[0]->SetChecked(true);
    all[3]->SetChecked(true);
    Click(Form, 15, 15);  // a checked radio item stays checked
    EXPECT_TRUE(all[0]->GetChecked());
    Click(Form, 15, 45);
    EXPECT_TRUE(all[1]->GetChecked());
    EXPECT_FALSE(all[0]->GetChecked());
    EXPECT_FALSE(all[2]->GetChecked());
    EXPECT_TRUE(all[3]->GetChecked());
    EXPECT_EQ(std::vector<int>(checks, checks + 4), (std::vector<int>{0, 1, 0, 0}));

    TVeskCheckBox* r = AddBox(150, 70);
    r->SetImgRadioBox(Frames(12, 100).get());
    EXPECT_EQ(BoxColor(r), F(0));
    r->SetRadioItem(true);  // cuts the radio strip at once
    EXPECT_EQ(r->GetHeight(), 12);
    EXPECT_EQ(Render(Form)->Color(r->GetLeft() + 5, r->GetTop() + 5), F(0, 100));
}

TEST_F(CheckBoxTest, ADisabledBoxIgnoresTheMouseAndIsNotHoveredWhenEnabledAgain) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject*) { ++checks; };
    b->SetEnabled(false);
    Click(Form, 15, 15);
    EXPECT_FALSE(b->GetChecked());
    EXPECT_EQ(checks, 0);
    // Disabled under the mouse, left and enabled again.
    b->SetEnabled(true);
    Move(15, 15);
    ASSERT_TRUE(b->GetHovered());
    b->SetEnabled(false);
    Move(250, 100);
    b->SetEnabled(true);
    EXPECT_FALSE(b->GetHovered());
    EXPECT_EQ(BoxColor(b), F(0));
}

TEST_F(CheckBoxTest, ABoxDisabledByItsOwnCheckTakesTheNextClickOnceEnabled) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject*) {
        if (++checks == 1) b->SetEnabled(false);
    };
    Click(Form, 15, 15);
    EXPECT_FALSE(b->GetPressed());  // the release ended the press although the box was disabled
    b->SetEnabled(true);
    Click(Form, 15, 15);
    EXPECT_EQ(checks, 2);
    EXPECT_FALSE(b->GetChecked());
}

TEST_F(CheckBoxTest, CapturedMovesOutsideDoNotLightTheBox) {
    TVeskCheckBox* b = AddBox(10, 10);
    Move(15, 15);
    MouseDown(Form, 15, 15);
    Move(250, 100, MK_LBUTTON);
    Move(260, 100, MK_LBUTTON);
    EXPECT_FALSE(b->GetHovered());
    MouseUp(Form, 260, 100);
    EXPECT_FALSE(b->GetPressed());
    EXPECT_EQ(BoxColor(b), F(1));
}

TEST_F(CheckBoxTest, ACaptionThatDoesNotFitShowsAsTheHint) {
    const std::wstring caption = L"A caption much too long for its box";
    TVeskCheckBox* b = AddBox(20, 20, 80, caption);
    TVeskCheckBox* other = AddBox(20, 60, 80, caption);
    b->SetHint(L"own hint");
    Form->Show();
    Form->Update();
    ASSERT_TRUE(b->GetCaptionTruncated());
    Hover(25, 25);
    EXPECT_EQ(b->GetHint(), caption);
    EXPECT_TRUE(b->GetShowHint());
    ASSERT_NE(Application->GetHintWindow(), nullptr);
    EXPECT_TRUE(Application->GetHintWindow()->GetVisible());
    Move(250, 110);
    EXPECT_EQ(b->GetHint(), L"own hint");
    EXPECT_FALSE(b->GetShowHint());
    EXPECT_FALSE(Application->GetHintWindow()->GetVisible());
    // A box without a hint of its own does not keep the caption as one.
    Hover(25, 65);
    EXPECT_EQ(other->GetHint(), caption);
    Move(250, 110);
    EXPECT_EQ(other->GetHint(), L"");
    EXPECT_FALSE(other->GetShowHint());
    // Widened until the caption fits, the box no longer swaps its hint.
    b->SetWidth(400);
    Form->Update();
    EXPECT_FALSE(b->GetCaptionTruncated());
    Hover(25, 25);
    EXPECT_EQ(b->GetHint(), L"own hint");
}

TEST_F(CheckBoxTest, SpaceTogglesAFocusedBoxWithTheEventsOfAClick) {
    TVeskCheckBox* b = AddBox(10, 10);
    b->SetTabStop(true);
    std::vector<std::wstring> events;
    b->OnCheck = [&](TObject*) { events.push_back(L"check"); };
    b->OnClick = [&](TObject*) { events.push_back(L"click"); };
    Form->Show();
    Form->SetFocus();
    b->SetFocus();
    Pump(30);
    ASSERT_TRUE(b->Focused());
    // Other keys do nothing, and a disabled box holds no focus and takes no key.
    const struct { WORD vk; bool enabled, checked; } keys[] = {
        {VK_SPACE, true, true}, {'A', true, true}, {VK_RETURN, true, true}, {VK_SPACE, true, false}, {VK_SPACE, false, false}};
    for (const auto& k : keys) {
        b->SetEnabled(k.enabled);
        SendMessageW(Form->GetHandle(), WM_KEYDOWN, k.vk, 1);
        EXPECT_EQ(b->GetChecked(), k.checked) << k.vk;
    }
    EXPECT_EQ(events, (std::vector<std::wstring>{L"check", L"click", L"check", L"click"}));
}
