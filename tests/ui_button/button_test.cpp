// The skinned PNG button: the skin cut into state images, glyph and caption placement, a truncated
// caption as hint, the state machine under the mouse and the selection within a group.
#include <gtest/gtest.h>

#include "VeskPngButton.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using namespace testsupport;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255), kWhite = RGB(255, 255, 255);

class ButtonTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(300, 120);
    }
    TVeskPngButton* AddButton(int l, int t, int w, int h) { return AddControl<TVeskPngButton>(Form, l, t, w, h); }
    // A button skinned with a strip of solid frames, cut.
    TVeskPngButton* Skinned(int w, int h, const std::vector<COLORREF>& frames) {
        TVeskPngButton* b = AddButton(0, 0, w, h);
        b->SetButtonStateCount(int(frames.size()));
        b->SetImgButton(Strip(w, h, frames).get());
        b->Loaded();
        return b;
    }
    COLORREF At(int x, int y) { return Render(Form)->Color(x, y); }
    void Move(int x, int y, WPARAM keys = 0) { MouseMove(Form, x, y, keys); }
    TPlainForm* Form = nullptr;
};

// The leftmost column of the rectangle holding a pixel that is neither white nor the glyph's
// colour (the caption's ink), and the rightmost; -1 when there is none.
std::pair<int, int> InkColumns(const DibSurface& dib, const RECT& r) {
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y) {
            COLORREF c = dib.Color(x, y);
            if (c != kWhite && c != kMagenta) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    return {first, last};
}

}  // namespace

// Cutting the strip and painting it.

TEST_F(ButtonTest, TheSplitModeDecidesTheSizeOfTheStateImagesAndOfTheButton) {
    auto skin = Skin(L"tab_unfinished");  // three frames of 203 x 40
    struct Case {
        int l, t, r, b;  // split
        int w, h;        // bounds
        int imgW, imgH, btnW, btnH;
    } cases[] = {
        {5, 5, 180, 20, 203, 50, 203, 50, 203, 50},  // nine parts: the button keeps its size
        {5, 0, 180, 0, 250, 70, 250, 40, 250, 40},   // three parts: stretched, the frame's height
        {9, 0, 9, 0, 30, 30, 203, 40, 203, 40},      // no pair of split points: plain, the frame's size
    };
    for (const Case& c : cases) {
        TVeskPngButton* b = AddButton(10, 10, c.w, c.h);
        b->SetButtonStateCount(3);
        b->SetImgButton(skin.get());
        b->GetImgSplit()->SetLeft(c.l);
        b->GetImgSplit()->SetTop(c.t);
        b->GetImgSplit()->SetRight(c.r);
        b->GetImgSplit()->SetBottom(c.b);
        b->Loaded();
        for (int s = bsNormal; s <= bsDown; ++s) {
            TPngImage* img = b->GetStateImage(TVeskBtnStatus(s));
            ASSERT_NE(img, nullptr) << c.w << " state " << s;
            EXPECT_EQ(img->GetWidth(), c.imgW) << c.w;
            EXPECT_EQ(img->GetHeight(), c.imgH) << c.w;
        }
        EXPECT_EQ(b->GetStateImage(bsDisable), nullptr);
        EXPECT_EQ(b->GetBoundsRect(), Bounds(10, 10, c.btnW, c.btnH)) << c.w;
    }
}

TEST_F(ButtonTest, EachStatePaintsItsFrameOrTheFallbackAndChangedStateTheAlternativeStrip) {
    TVeskPngButton* b = Skinned(20, 10, {kRed, kGreen, kBlue});
    const std::pair<TVeskBtnStatus, COLORREF> cases[] = {
        {bsNormal, kRed}, {bsOver, kGreen}, {bsDown, kBlue},
        {bsDisable, kRed},  // no disabled frame: the normal one
        {bsSelect, kBlue},  // no selected frame: the pressed one
        {bsFocus, kGreen},  // no focused frame: the hovered one
    };
    for (const auto& [state, color] : cases) {
        b->SetBtnStatus(state);
        EXPECT_EQ(At(10, 5), color) << "state " << int(state);
    }
    b->SetBtnStatus(bsNormal);
    b->SetChangedState(true);  // no alternative yet: the normal strip stays
    EXPECT_EQ(At(10, 5), kRed);
    b->SetImgChange(Strip(20, 10, {kYellow, kYellow, kYellow}).get());
    EXPECT_EQ(At(10, 5), kYellow);
    b->SetChangedState(false);
    // With six frames every state has its own.
    b->SetButtonStateCount(6);
    b->SetImgButton(Strip(20, 10, {kRed, kGreen, kBlue, kYellow, RGB(0, 255, 255), kMagenta}).get());
    b->Loaded();
    b->SetBtnStatus(bsFocus);
    EXPECT_EQ(At(10, 5), kMagenta);
    b->SetBtnStatus(bsDisable);
    EXPECT_EQ(At(10, 5), kYellow);
}

// Glyph and caption.

TEST_F(ButtonTest, GlyphStandsWhereTheLayoutPutsIt) {
    TVeskPngButton* b = AddButton(0, 0, 60, 30);
    b->SetGraph(Strip(10, 8, {kMagenta}).get());  // 10 x 8 on a 60 x 30 button
    struct Case {
        TVeskLayout layout;
        int fix;
        TVeskBtnStatus status;
        bool tab;
        std::vector<POINT> on, off;
    } cases[] = {
        // Left: x = 2, centred vertically (half of 22 = 11).
        {vlGlphyLeft, 0, bsNormal, false, {{2, 11}, {11, 18}}, {{1, 11}, {12, 11}, {2, 10}}},
        // Right, with a left fix: right edge at W - 2 + fix.
        {vlGlphyRight, -3, bsNormal, false, {{54, 11}, {45, 11}}, {{55, 11}}},
        // Top: centred horizontally (half of 50 = 25), two pixels down, one more while pressed.
        {vlGlphyTop, 0, bsDown, false, {{25, 3}}, {{25, 2}}},
        // Bottom: bottom edge at H - 2.
        {vlGlphyBottom, 0, bsNormal, false, {{25, 27}, {25, 20}}, {{25, 28}, {25, 19}}},
        // A left glyph moves down when pressed only on a tab button.
        {vlGlphyLeft, 0, bsDown, false, {{5, 11}}, {}},
        {vlGlphyLeft, 0, bsDown, true, {{5, 12}}, {{5, 11}}},
    };
    for (const Case& c : cases) {
        b->SetLayout(c.layout);
        b->SetGraphLeftFix(c.fix);
        b->SetBtnStatus(c.status);
        b->SetButtonTab(c.tab);
        auto dib = Render(Form);
        const std::string at = std::to_string(c.layout) + "/" + std::to_string(c.status) + " at ";
        for (POINT p : c.on) EXPECT_EQ(dib->Color(p.x, p.y), kMagenta) << at << p.x << "," << p.y;
        for (POINT p : c.off) EXPECT_NE(dib->Color(p.x, p.y), kMagenta) << at << p.x << "," << p.y;
    }
}

TEST_F(ButtonTest, CaptionIsCentredAndCutWhenTooWide) {
    TVeskPngButton* b = AddButton(0, 0, 200, 30);
    b->GetFontNormal()->SetColor(clBlack);
    b->SetCaption(L"Hello");
    TBitmap probe;
    probe.SetSize(1, 1);
    probe.GetCanvas()->SetFont(b->GetFontNormal());
    const int textW = probe.GetCanvas()->TextExtent(L"Hello").cx;
    auto [first, last] = InkColumns(*Render(Form), RECT{0, 0, 200, 30});
    EXPECT_GE(first, (200 - textW) / 2);
    EXPECT_LE(last, (200 - textW) / 2 + textW);
    EXPECT_FALSE(b->GetCaptionTruncated());
    // Too wide for the button: cut with an ellipsis between x = 6 and W - 2.
    b->SetWidth(60);
    b->SetCaption(L"A caption far too long for this button");
    std::tie(first, last) = InkColumns(*Render(Form), RECT{0, 0, 60, 30});
    EXPECT_TRUE(b->GetCaptionTruncated());
    EXPECT_GE(first, 6);
    EXPECT_LE(last, 57);
}

TEST_F(ButtonTest, ATruncatedCaptionBecomesTheHintWhileTheMouseIsOver) {
    TVeskPngButton* b = AddButton(20, 20, 60, 24);
    b->SetHint(L"own hint");
    b->SetShowHint(false);
    const std::wstring caption = L"A caption far too long for this button";
    b->SetCaption(caption);
    Form->Show();
    Form->Update();
    Pump();
    ASSERT_TRUE(b->GetCaptionTruncated());
    Hover(Form, 30, 30);
    EXPECT_EQ(b->GetHint(), caption);
    EXPECT_TRUE(b->GetShowHint());
    // Shown at once, without the usual pause.
    ASSERT_NE(Application->GetHintWindow(), nullptr);
    EXPECT_TRUE(Application->GetHintWindow()->GetVisible());
    EXPECT_EQ(Application->GetHintControl(), b);
    // The caption is changed to one that fits while the mouse is still over the button: leaving
    // must still give the button its own hint back.
    b->SetCaption(L"Ok");
    EXPECT_FALSE(b->GetCaptionTruncated());
    Move(200, 100);
    EXPECT_EQ(b->GetHint(), L"own hint");
    EXPECT_FALSE(b->GetShowHint());
    // A caption that fits never touches the hint.
    Move(30, 30);
    EXPECT_EQ(b->GetHint(), L"own hint");
}

// The state machine.

TEST_F(ButtonTest, HoverPressAndReleaseOfAPlainButtonGiveTheParentTheFocus) {
    Form->Show();
    Pump();
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    SetFocus(nullptr);
    std::vector<TVeskBtnStatus> atClick;
    b->OnClick = [&](TObject*) { atClick.push_back(b->GetBtnStatus()); };
    Move(20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
    MouseDown(Form, 20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsDown);
    MouseUp(Form, 20, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(GetFocus(), Form->GetHandle());
    // The state changed before the click event; drawn normal until the next move lights it.
    EXPECT_EQ(atClick, (std::vector<TVeskBtnStatus>{bsNormal}));
    Move(21, 15);
    EXPECT_EQ(b->GetBtnStatus(), bsOver);
    // Any mouse button presses, only the left one clicks.
    MouseDown(Form, 21, 15, MK_RBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsDown);
    MouseUp(Form, 21, 15, MK_RBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(atClick.size(), 1u);
}

TEST_F(ButtonTest, SelectAndDisabledStates) {
    TVeskPngButton* s = AddButton(100, 10, 50, 20);
    s->SetCanSelect(true);
    s->SetCanFocus(true);  // selection wins over the focus look
    std::vector<TVeskBtnStatus> atSelect;
    s->OnSelect = [&](TObject*) { atSelect.push_back(s->GetBtnStatus()); };
    Move(110, 15);
    MouseDown(Form, 110, 15);
    // OnSelect runs on the press, before the button is selected.
    EXPECT_EQ(atSelect, (std::vector<TVeskBtnStatus>{bsDown}));
    MouseUp(Form, 110, 15);
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    // A selected button stays selected through leave and enter, and a press on it does nothing.
    Move(200, 100);
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    Click(Form, 110, 15);
    s->SetBtnStatus(bsSelect);  // from code, unchanged: nothing either
    EXPECT_EQ(s->GetBtnStatus(), bsSelect);
    EXPECT_EQ(atSelect.size(), 1u);
    // Disabled it shows the disabled state whatever the mouse does; enabled again, the normal one.
    s->SetEnabled(false);
    EXPECT_EQ(s->GetBtnStatus(), bsDisable);
    Move(110, 15);
    Move(200, 100);
    EXPECT_EQ(s->GetBtnStatus(), bsDisable);
    s->SetEnabled(true);
    EXPECT_EQ(s->GetBtnStatus(), bsNormal);
}

TEST_F(ButtonTest, LeavingWhilePressedReturnsToNormalAndTheReleaseChangesNothing) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    Move(20, 15);
    MouseDown(Form, 20, 15);
    Move(150, 80, MK_LBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    // Further moves outside reach the captured button but do not light it.
    Move(160, 90, MK_LBUTTON);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    MouseUp(Form, 160, 90);
    EXPECT_EQ(b->GetBtnStatus(), bsNormal);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, SelectingATabDeselectsTheOtherSelectedTabsOfItsGroupNamedOrNot) {
    // Tab buttons made at run time have no names: they deselect each other all the same.
    TVeskPngButton* tabs[5];
    int changes[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < 5; ++i) {
        TVeskPngButton* b = tabs[i] = AddButton(10 + i * 55, 10, 50, 20);
        b->SetCanSelect(true);
        b->SetButtonTab(i != 4);  // the fifth is selectable but no tab
        b->SetGroupIndex(i == 3 ? 2 : 1);
        b->OnSelectChange = [b, &changes, i](TObject*) {
            EXPECT_EQ(b->GetBtnStatus(), bsSelect);  // fired before it turns normal
            ++changes[i];
        };
    }
    tabs[0]->SetBtnStatus(bsSelect);
    tabs[4]->SetBtnStatus(bsSelect);  // not a tab: deselects nothing
    tabs[3]->SetBtnStatus(bsSelect);  // another group
    tabs[2]->SetCanSelect(false);
    EXPECT_EQ(tabs[0]->GetBtnStatus(), bsSelect);
    Move(70, 15);
    MouseDown(Form, 70, 15);
    EXPECT_EQ(tabs[0]->GetBtnStatus(), bsNormal);
    EXPECT_EQ(tabs[3]->GetBtnStatus(), bsSelect);
    MouseUp(Form, 70, 15);
    EXPECT_EQ(tabs[1]->GetBtnStatus(), bsSelect);
    EXPECT_EQ(std::vector<int>(changes, changes + 5), (std::vector<int>{1, 0, 0, 0, 1}));
}

TEST_F(ButtonTest, AHandlerMayFreeTheButtonItSelects) {
    TVeskPngButton* b = AddButton(10, 10, 50, 20);
    b->SetCanSelect(true);
    auto alive = b->AliveToken();
    b->OnSelect = [&](TObject*) { b->Free(); };
    Click(Form, 20, 15);
    EXPECT_FALSE(*alive);
}
