// The skinned check box and radio item: frames from the strip, the frame and caption colour of
// each state, toggling on the press, radio groups, and the caption shown as a hint.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskCheckBox.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

using namespace fw;
using testsupport::DibSurface;

namespace {

class TTestForm : public TForm {
public:
    FW_CLASSNAME(TTestForm)
    TTestForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
};

// Frame i of the test strip has colour kFrame[i].
const TColor kFrame[8] = {RGB(10, 0, 0),  RGB(20, 0, 0),  RGB(30, 0, 0),  RGB(40, 0, 0),
                          RGB(50, 0, 0),  RGB(60, 0, 0),  RGB(70, 0, 0),  RGB(80, 0, 0)};

std::unique_ptr<TPngImage> Strip(int frameW, int frameH, int frames, int shift = 0) {
    auto png = std::make_unique<TPngImage>();
    png->CreateBlank(png::COLOR_RGBALPHA, 8, frameW * frames, frameH);
    for (int y = 0; y < frameH; ++y) {
        uint8_t* row = png->Scanline(y);
        uint8_t* a = png->AlphaScanline(y);
        for (int x = 0; x < png->GetWidth(); ++x) {
            TColor c = kFrame[(x / frameW) % 8];
            row[x * 3] = uint8_t(GetBValue(c) + shift);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
            a[x] = 255;
        }
    }
    return png;
}

class CheckBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->OnException = [this](TObject*, const Exception& e) { Errors.push_back(e.Message); };
        ParkMouse();
        Form = TForm::CreateNew<TTestForm>(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 300, 120);
        Form->SetColor(clWhite);
        Alive = Form->AliveToken();
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        TMouseTracker::SetControlUnderMouse(nullptr);
        Application->CancelHint();
        Application->OnException = nullptr;
        EXPECT_TRUE(Errors.empty());
    }
    static void ParkMouse() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }
    TVeskCheckBox* AddBox(int l, int t, int w = 100, const std::wstring& caption = L"") {
        auto* b = new TVeskCheckBox(Form);
        b->SetBounds(l, t, w, 20);
        b->SetParent(Form);
        auto strip = Strip(16, 16, 8);
        b->SetImgCheckBox(strip.get());
        b->SetCaption(caption);
        b->Loaded();
        return b;
    }
    std::unique_ptr<DibSurface> Render() {
        auto dib = std::make_unique<DibSurface>(300, 120);
        Form->PaintTo(dib->Dc(), 0, 0);
        return dib;
    }
    // The colour of the box part of a check box (the middle of its frame).
    COLORREF BoxColor(TVeskCheckBox* b) { return Render()->Color(b->GetLeft() + 10, b->GetTop() + 8); }
    void Move(int x, int y, WPARAM keys = 0) { SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
    void Press(UINT down, UINT up, int x, int y) {
        SendMessageW(Form->GetHandle(), down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(Form->GetHandle(), up, 0, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Move(x, y);
        Press(WM_LBUTTONDOWN, WM_LBUTTONUP, x, y);
    }
    TTestForm* Form = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
};

}  // namespace

TEST_F(CheckBoxTest, DefaultsOfANewBox) {
    auto* b = new TVeskCheckBox(Form);
    EXPECT_EQ(b->GetWidth(), 80);
    EXPECT_EQ(b->GetHeight(), 20);
    EXPECT_EQ(b->GetCheckStateCount(), 8);
    EXPECT_EQ(b->GetFontColorNormal(), clBlack);
    EXPECT_EQ(b->GetFontColorOver(), TColor(0xFF0000));
    EXPECT_EQ(b->GetFontColorDown(), TColor(0x800000));
    EXPECT_EQ(b->GetFontColorDisable(), TColor(0x808080));
    EXPECT_FALSE(b->GetChecked());
    EXPECT_FALSE(b->GetRadioItem());
    EXPECT_TRUE(b->GetAutoShowHint());
    EXPECT_EQ(b->GetTextOffset(), 0);
}

TEST_F(CheckBoxTest, AnEightFrameStripSetsTheFrameSizeAndTheBoxHeight) {
    auto* b = new TVeskCheckBox(Form);
    b->SetBounds(0, 0, 100, 40);
    auto strip = Strip(16, 16, 8);
    ASSERT_EQ(strip->GetWidth(), 128);
    b->SetImgCheckBox(strip.get());
    EXPECT_EQ(b->GetFrame(0), nullptr);  // cut only by Loaded
    b->Loaded();
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(b->GetFrame(i), nullptr);
        EXPECT_EQ(b->GetFrame(i)->GetWidth(), 16);
        EXPECT_EQ(b->GetFrame(i)->Scanline(3)[2], GetRValue(kFrame[i]));
    }
    EXPECT_EQ(b->GetHeight(), 16);
    // The program's own skin.
    auto skin = std::make_unique<TPngImage>();
    skin->LoadFromResource(GetModuleHandleW(nullptr), L"chk_box");
    b->SetImgCheckBox(skin.get());
    b->Loaded();
    EXPECT_EQ(b->GetHeight(), 14);
    // A shorter count fills the first slots only; a count below 1 cuts nothing.
    b->SetCheckStateCount(2);
    b->SetImgCheckBox(Strip(16, 16, 2).get());
    b->Loaded();
    EXPECT_NE(b->GetFrame(1), nullptr);
    EXPECT_EQ(b->GetFrame(2), nullptr);
    b->SetCheckStateCount(0);
    b->Loaded();
    EXPECT_EQ(b->GetFrame(0), nullptr);
}

TEST_F(CheckBoxTest, TheFrameFollowsStateAndCheckedFlag) {
    TVeskCheckBox* b = AddBox(10, 10);
    EXPECT_EQ(BoxColor(b), kFrame[0]);
    b->SetChecked(true);
    EXPECT_EQ(BoxColor(b), kFrame[1]);
    Move(15, 15);
    EXPECT_TRUE(b->GetHovered());
    EXPECT_EQ(BoxColor(b), kFrame[3]);
    SendMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    EXPECT_FALSE(b->GetChecked());  // toggled on the press
    EXPECT_EQ(BoxColor(b), kFrame[4]);
    SendMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
    EXPECT_EQ(BoxColor(b), kFrame[2]);
    Move(250, 100);
    EXPECT_EQ(BoxColor(b), kFrame[0]);
    b->SetEnabled(false);
    EXPECT_EQ(BoxColor(b), kFrame[6]);
    b->SetChecked(true);
    EXPECT_EQ(BoxColor(b), kFrame[7]);
    // The box stands at x = 2, centred vertically.
    auto dib = Render();
    EXPECT_EQ(dib->Color(12, 10), kFrame[7]);
    EXPECT_EQ(dib->Color(11, 10), RGB(255, 255, 255));
    EXPECT_EQ(dib->Color(27, 25), kFrame[7]);
    EXPECT_EQ(dib->Color(28, 25), RGB(255, 255, 255));
}

TEST_F(CheckBoxTest, TheCaptionTakesTheColourOfTheStateAndStandsRightOfTheBox) {
    TVeskCheckBox* b = AddBox(10, 10, 150, L"Monday");
    b->SetFontColorNormal(RGB(200, 0, 0));
    b->SetFontColorOver(RGB(0, 200, 0));
    b->SetFontColorDisable(RGB(0, 0, 200));
    b->SetTextOffset(5);
    const RECT caption{10 + 18, 10, 160, 26};
    auto dib = Render();
    EXPECT_GT(dib->CountColor(caption, RGB(200, 0, 0)), 0);
    // Nothing of the caption left of box right + 2 + TextOffset.
    EXPECT_EQ(dib->CountColor(RECT{28, 10, 35, 26}, RGB(200, 0, 0)), 0);
    Move(15, 15);
    dib = Render();
    EXPECT_GT(dib->CountColor(caption, RGB(0, 200, 0)), 0);
    EXPECT_EQ(dib->CountColor(caption, RGB(200, 0, 0)), 0);
    b->SetEnabled(false);
    dib = Render();
    EXPECT_GT(dib->CountColor(caption, RGB(0, 0, 200)), 0);
    // Without a strip the caption keeps the font's colour and starts at x = 2 + TextOffset.
    auto* plain = new TVeskCheckBox(Form);
    plain->SetBounds(10, 60, 150, 20);
    plain->SetParent(Form);
    plain->GetFont()->SetColor(RGB(0, 120, 120));
    plain->SetCaption(L"Tuesday");
    plain->SetTextOffset(10);
    dib = Render();
    EXPECT_GT(dib->CountColor(RECT{10, 60, 160, 80}, RGB(0, 120, 120)), 0);
    EXPECT_EQ(dib->CountColor(RECT{10, 60, 22, 80}, RGB(0, 120, 120)), 0);
}

TEST_F(CheckBoxTest, APressTogglesOnceAndFiresOnCheckButNotTheRightButton) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject* s) {
        EXPECT_EQ(s, b);
        ++checks;
    };
    Click(15, 15);
    EXPECT_TRUE(b->GetChecked());
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(b->GetPressed());
    Move(16, 15);
    Press(WM_RBUTTONDOWN, WM_RBUTTONUP, 16, 15);
    EXPECT_TRUE(b->GetChecked());
    EXPECT_EQ(checks, 1);
    Click(17, 15);
    EXPECT_FALSE(b->GetChecked());
    EXPECT_EQ(checks, 2);
    // Setting the flag in code fires nothing.
    b->SetChecked(true);
    EXPECT_EQ(checks, 2);
}

TEST_F(CheckBoxTest, RadioItemsOfOneParentUncheckEachOtherQuietly) {
    TVeskCheckBox* r1 = AddBox(10, 10);
    TVeskCheckBox* r2 = AddBox(10, 40);
    TVeskCheckBox* r3 = AddBox(10, 70);
    TVeskCheckBox* box = AddBox(150, 10);  // a plain check box beside them
    int checks[4] = {0, 0, 0, 0};
    TVeskCheckBox* all[4] = {r1, r2, r3, box};
    for (int i = 0; i < 4; ++i) all[i]->OnCheck = [&checks, i](TObject*) { ++checks[i]; };
    for (TVeskCheckBox* r : {r1, r2, r3}) r->SetRadioItem(true);
    r1->SetChecked(true);
    box->SetChecked(true);
    // A checked radio item stays checked.
    Click(15, 15);
    EXPECT_TRUE(r1->GetChecked());
    EXPECT_EQ(checks[0], 0);
    Click(15, 45);
    EXPECT_TRUE(r2->GetChecked());
    EXPECT_FALSE(r1->GetChecked());
    EXPECT_FALSE(r3->GetChecked());
    EXPECT_TRUE(box->GetChecked());
    EXPECT_EQ(checks[1], 1);
    EXPECT_EQ(checks[0], 0);
    EXPECT_EQ(checks[3], 0);
}

TEST_F(CheckBoxTest, RadioItemsDrawTheRadioStrip) {
    TVeskCheckBox* r = AddBox(10, 10);
    auto radio = Strip(12, 12, 8, 100);  // same reds, blue channel shifted
    r->SetImgRadioBox(radio.get());
    EXPECT_EQ(BoxColor(r), kFrame[0]);
    r->SetRadioItem(true);  // cuts the radio strip at once
    EXPECT_EQ(r->GetHeight(), 12);
    EXPECT_EQ(Render()->Color(r->GetLeft() + 5, r->GetTop() + 5), RGB(10, 0, 100));
}

TEST_F(CheckBoxTest, ADisabledBoxIgnoresTheMouse) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject*) { ++checks; };
    b->SetEnabled(false);
    Click(15, 15);
    EXPECT_FALSE(b->GetChecked());
    EXPECT_FALSE(b->GetHovered());
    EXPECT_EQ(checks, 0);
    b->Toggle();
    EXPECT_FALSE(b->GetChecked());
}

TEST_F(CheckBoxTest, ABoxDisabledUnderTheMouseIsNotHoveredWhenEnabledAgain) {
    TVeskCheckBox* b = AddBox(10, 10);
    Move(15, 15);
    ASSERT_TRUE(b->GetHovered());
    b->SetEnabled(false);
    Move(250, 100);
    b->SetEnabled(true);
    EXPECT_FALSE(b->GetHovered());
    EXPECT_EQ(BoxColor(b), kFrame[0]);
}

TEST_F(CheckBoxTest, ABoxDisabledByItsOwnCheckTakesTheNextClickOnceEnabled) {
    TVeskCheckBox* b = AddBox(10, 10);
    int checks = 0;
    b->OnCheck = [&](TObject*) {
        if (++checks == 1) b->SetEnabled(false);
    };
    Click(15, 15);
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(b->GetPressed());  // the release ended the press although the box was disabled
    b->SetEnabled(true);
    Click(15, 15);
    EXPECT_EQ(checks, 2);
    EXPECT_FALSE(b->GetChecked());
}

TEST_F(CheckBoxTest, CapturedMovesOutsideDoNotLightTheBox) {
    TVeskCheckBox* b = AddBox(10, 10);
    Move(15, 15);
    SendMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    Move(250, 100, MK_LBUTTON);
    EXPECT_FALSE(b->GetHovered());
    Move(260, 100, MK_LBUTTON);
    EXPECT_FALSE(b->GetHovered());
    SendMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(260, 100));
    EXPECT_FALSE(b->GetPressed());
    EXPECT_EQ(BoxColor(b), kFrame[1]);
}

TEST_F(CheckBoxTest, ACaptionThatDoesNotFitShowsAsTheHint) {
    const std::wstring caption = L"A caption much too long for its box";
    TVeskCheckBox* b = AddBox(20, 20, 80, caption);
    TVeskCheckBox* other = AddBox(20, 60, 80, caption);
    b->SetHint(L"own hint");
    Form->Show();
    Form->Update();
    ASSERT_TRUE(b->GetCaptionTruncated());
    POINT p{25, 25};
    ClientToScreen(Form->GetHandle(), &p);
    SetCursorPos(p.x, p.y);
    Move(25, 25);
    EXPECT_EQ(b->GetHint(), caption);
    EXPECT_TRUE(b->GetShowHint());
    ASSERT_NE(Application->GetHintWindow(), nullptr);
    EXPECT_TRUE(Application->GetHintWindow()->GetVisible());
    EXPECT_EQ(Application->GetHintControl(), b);
    Move(250, 110);
    EXPECT_EQ(b->GetHint(), L"own hint");
    EXPECT_FALSE(b->GetShowHint());
    EXPECT_FALSE(Application->GetHintWindow()->GetVisible());
    // A box without a hint of its own does not keep the caption as one.
    ASSERT_TRUE(other->GetCaptionTruncated());
    p = POINT{25, 65};
    ClientToScreen(Form->GetHandle(), &p);
    SetCursorPos(p.x, p.y);
    Move(25, 65);
    EXPECT_EQ(Application->GetHintControl(), other);
    EXPECT_EQ(other->GetHint(), caption);
    Move(250, 110);
    EXPECT_EQ(other->GetHint(), L"");
    EXPECT_FALSE(other->GetShowHint());
    // Switched off, the hint is left alone.
    b->SetAutoShowHint(false);
    Move(25, 25);
    EXPECT_EQ(b->GetHint(), L"own hint");
    Move(250, 110);
    // Widened until the caption fits, the box no longer swaps its hint.
    b->SetAutoShowHint(true);
    b->SetWidth(400);
    Form->Update();
    EXPECT_FALSE(b->GetCaptionTruncated());
    p = POINT{25, 25};
    ClientToScreen(Form->GetHandle(), &p);
    SetCursorPos(p.x, p.y);
    Move(25, 25);
    EXPECT_EQ(b->GetHint(), L"own hint");
    ParkMouse();
}
