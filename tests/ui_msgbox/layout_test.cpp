// Layout of the dialog: margins and spacing from the form font's average character, the button
// row, the one-line or wrapped message, the icon of the type, and the buttons the box can show.
#include "msgbox_fixture.h"

#include <cstring>

using namespace msgboxtest;

namespace {

struct Metrics {
    int hm, vm, hs, vs;
};

Metrics MetricsOf(fw::TForm* F) {
    const SIZE c = AverageChar(F->GetFont());
    return Metrics{MulDiv(8, c.cx, 4), MulDiv(8, c.cy, 8), MulDiv(10, c.cx, 4), MulDiv(10, c.cy, 8)};
}

}  // namespace

TEST_F(MsgBoxTest, IconsAreCutFromTheStripByType) {
    for (uint8_t t = 0; t < 4; ++t) {
        ASSERT_NE(Box->GetIcon(t), nullptr) << int(t);
        EXPECT_EQ(Box->GetIcon(t)->GetWidth(), 40);
        EXPECT_EQ(Box->GetIcon(t)->GetHeight(), 40);
    }
    // Frames differ: each type shows its own picture.
    EXPECT_NE(std::memcmp(Box->GetIcon(0)->Scanline(20), Box->GetIcon(3)->Scanline(20), 3 * 40), 0);
    EXPECT_EQ(Box->GetIcon(mtCustom), nullptr);
}

TEST_F(MsgBoxTest, StripThatDoesNotDivideGivesNoIcons) {
    Box->SetImgMsg(SkinPng(L"msg_btn").get());  // 320 wide: 80 per frame, fine
    Box->Loaded();
    EXPECT_NE(Box->GetIcon(0), nullptr);
    auto odd = std::make_unique<fw::TPngImage>();
    odd->CreateBlank(fw::png::COLOR_RGBALPHA, 8, 161, 40);
    Box->SetImgMsg(odd.get());
    Box->Loaded();
    for (uint8_t t = 0; t < 4; ++t) EXPECT_EQ(Box->GetIcon(t), nullptr);
}

TEST_F(MsgBoxTest, TwoButtonsMakeACentredRow) {
    auto b = Build(L"Short", mtConfirmation, {mbYes, mbNo});
    TMessageForm* f = b->form;
    const Metrics m = MetricsOf(f);
    auto buttons = ButtonsOf(f);
    ASSERT_EQ(buttons.size(), 2u);
    // 320-pixel strip of four frames: 80 each.
    EXPECT_EQ(buttons[0]->GetWidth(), 80);
    EXPECT_EQ(buttons[1]->GetWidth(), 80);
    EXPECT_EQ(buttons[0]->GetHeight(), 26);
    const int row = buttons[1]->GetLeft() + 80 - buttons[0]->GetLeft();
    EXPECT_EQ(row, 2 * 80 + m.hs);
    // The row is the widest part here, so the client is the row plus both margins and the row
    // starts at the margin.
    EXPECT_EQ(buttons[0]->GetLeft(), m.hm);
    EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + row);
    // Yes first (Enter), No last (Esc).
    EXPECT_EQ(buttons[0]->GetCaption(), L"Yes");
    EXPECT_EQ(buttons[0]->GetModalResult(), 6);
    EXPECT_EQ(buttons[1]->GetCaption(), L"No");
    EXPECT_EQ(buttons[1]->GetModalResult(), 7);
    EXPECT_EQ(f->GetFirstButton(), buttons[0]);
    EXPECT_EQ(f->GetLastButton(), buttons[1]);
    // Buttons take the box's button font in the normal, over and down states.
    EXPECT_EQ(buttons[0]->GetFontOver()->GetName(), Box->GetFontBtn()->GetName());
}

TEST_F(MsgBoxTest, ShortMessageStaysOnOneLine) {
    const std::wstring msg = L"Delete it?";
    auto b = Build(msg, mtConfirmation, {mbYes, mbNo});
    TMessageForm* f = b->form;
    const Metrics m = MetricsOf(f);
    auto* label = dynamic_cast<fw::TLabel*>(f->FindComponent(L"Message"));
    auto* image = dynamic_cast<fw::TImage*>(f->FindComponent(L"Image"));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(image, nullptr);
    const SIZE one = TextSize(Box->GetFontMsg(), msg, 0);
    EXPECT_EQ(label->GetWidth(), one.cx);
    EXPECT_EQ(label->GetHeight(), one.cy);
    EXPECT_EQ(label->GetCaption(), msg);
    // The icon is taller than one line: it stays at the margin and the text moves down to centre.
    EXPECT_EQ(image->GetBoundsRect(), fw::Bounds(m.hm, m.vm, 40, 40));
    EXPECT_EQ(label->GetLeft(), m.hm + 40 + m.hs);
    EXPECT_EQ(label->GetTop(), m.vm + (40 - one.cy) / 2);
    // Buttons stand below the icon.
    EXPECT_EQ(ButtonsOf(f)[0]->GetTop(), m.vm + 40 + m.vs);
    EXPECT_EQ(f->GetClientHeight(), 26 + 40 + m.vs + 2 * m.vm);
}

TEST_F(MsgBoxTest, LongMessageWrapsToTwiceTheRow) {
    std::wstring msg;
    for (int i = 0; i < 30; ++i) msg += L"reminder ";
    auto b = Build(msg, mtWarning, {mbYes, mbNo});
    TMessageForm* f = b->form;
    const Metrics m = MetricsOf(f);
    const int row = 160 + m.hs;
    auto* label = dynamic_cast<fw::TLabel*>(f->FindComponent(L"Message"));
    auto* image = dynamic_cast<fw::TImage*>(f->FindComponent(L"Image"));
    const SIZE wrapped = TextSize(Box->GetFontMsg(), msg, 2 * row);
    EXPECT_LE(label->GetWidth(), 2 * row);
    EXPECT_EQ(label->GetWidth(), wrapped.cx);
    EXPECT_EQ(label->GetHeight(), wrapped.cy);
    EXPECT_GT(wrapped.cy, 40);
    // Now the text is taller: the icon moves down to its middle and the text starts at the margin.
    EXPECT_EQ(label->GetTop(), m.vm);
    EXPECT_EQ(image->GetTop(), m.vm + (wrapped.cy - 40) / 2);
    EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + 40 + wrapped.cx + m.hs);
    // The row is centred under the wider text.
    const int x0 = (f->GetClientWidth() - row) / 2;
    EXPECT_EQ(ButtonsOf(f)[0]->GetLeft(), x0);
    EXPECT_EQ(ButtonsOf(f)[0]->GetTop(), m.vm + wrapped.cy + m.vs);
}

TEST_F(MsgBoxTest, OkBoxHasOneButton) {
    auto b = Build(L"Saved.", mtInformation, mbOK);
    auto buttons = ButtonsOf(b->form);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->GetCaption(), L"Ok");
    EXPECT_EQ(buttons[0]->GetModalResult(), 1);
    EXPECT_EQ(b->form->GetFirstButton(), b->form->GetLastButton());
}

TEST_F(MsgBoxTest, ButtonsItCannotCaptionAreLeftOut) {
    auto b = Build(L"Saved.", mtInformation, {mbOK, mbCancel, mbHelp});
    auto buttons = ButtonsOf(b->form);
    ASSERT_EQ(buttons.size(), 1u);
    const Metrics m = MetricsOf(b->form);
    // The row counts only the buttons shown: one button, centred.
    EXPECT_EQ(buttons[0]->GetLeft(), (b->form->GetClientWidth() - 80) / 2);
    EXPECT_GE(buttons[0]->GetLeft(), m.hm);
}

TEST_F(MsgBoxTest, TypeWithoutIconLeavesNoGap) {
    auto b = Build(L"Hello", mtCustom, mbOK);
    const Metrics m = MetricsOf(b->form);
    auto* image = dynamic_cast<fw::TImage*>(b->form->FindComponent(L"Image"));
    auto* label = dynamic_cast<fw::TLabel*>(b->form->FindComponent(L"Message"));
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->GetHeight(), 0);
    EXPECT_EQ(label->GetLeft(), m.hm + m.hs);
    EXPECT_EQ(label->GetTop(), m.vm);
}

TEST_F(MsgBoxTest, DialogIsADesktopCentredPlainDialog) {
    auto b = Build(L"Hello", mtInformation, mbOK);
    TMessageForm* f = b->form;
    EXPECT_EQ(f->GetOwner(), fw::Application);
    EXPECT_EQ(f->GetBorderStyle(), fw::bsDialog);
    EXPECT_EQ(f->GetBorderIcons(), 0u);
    EXPECT_EQ(f->GetPopupMode(), fw::pmAuto);
    EXPECT_EQ(f->GetPosition(), fw::poDesktopCenter);
    EXPECT_EQ(f->GetLeft(), fw::Screen->GetWidth() / 2 - f->GetWidth() / 2);
    EXPECT_EQ(f->GetTop(), fw::Screen->GetHeight() / 2 - f->GetHeight() / 2);
    // Built in code, not hooked yet: the painter attaches only while the box is shown.
    EXPECT_EQ(Box->GetForm(), nullptr);
}

TEST_F(MsgBoxTest, ButtonWidthRoundsHalvesToEven) {
    // 330 / 4 = 82.5 gives 82, 326 / 4 = 81.5 gives 82: the row and so the client follow.
    for (int stripWidth : {330, 326}) {
        SCOPED_TRACE(stripWidth);
        auto strip = std::make_unique<fw::TPngImage>();
        strip->CreateBlank(fw::png::COLOR_RGBALPHA, 8, stripWidth, 26);
        Box->SetImgBtn(strip.get());
        auto b = Build(L"Hi", mtCustom, {mbYes, mbNo});
        const Metrics m = MetricsOf(b->form);
        const SIZE text = TextSize(Box->GetFontMsg(), L"Hi", 0);
        ASSERT_LT(text.cx, 2 * 82) << "the row must be the widest part here";
        EXPECT_EQ(b->form->GetClientWidth(), 2 * m.hm + 2 * 82 + m.hs);
    }
}

TEST_F(MsgBoxTest, NoFramesGivesEmptyButtonsAndTheTextSetsTheWidth) {
    Box->SetButonStateCount(0);
    auto b = Build(L"Hi", mtCustom, {mbYes, mbNo});
    const Metrics m = MetricsOf(b->form);
    const SIZE text = TextSize(Box->GetFontMsg(), L"Hi", 0);
    ASSERT_LE(text.cx, 2 * m.hs) << "the text must fit the empty row twice";
    auto* label = dynamic_cast<fw::TLabel*>(b->form->FindComponent(L"Message"));
    ASSERT_NE(label, nullptr);
    // Buttons of width 0: the row is just the spacing between them, so the text is the widest.
    EXPECT_EQ(label->GetHeight(), text.cy);
    EXPECT_EQ(b->form->GetClientWidth(), 2 * m.hm + text.cx + m.hs);
    auto buttons = ButtonsOf(b->form);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->GetLeft(), (b->form->GetClientWidth() - m.hs) / 2);
}
