// Layout of the dialog: margins and spacing from the form font's average character, the button
// row, the one-line or wrapped message, the icon of the type, and the buttons the box can show.
#include "msgbox_fixture.h"

#include <cstring>

using namespace msgboxtest;

namespace {

// Margins (h, v) and spacings (h, v) from the form font's average character.
struct Metrics {
    int hm, vm, hs, vs;
};

// Runs Use with a memory DC holding the font.
template <class F>
auto WithFont(fw::TFont* Font, F Use) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    auto result = Use(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    return result;
}

Metrics MetricsOf(fw::TForm* F) {
    const SIZE s = WithFont(F->GetFont(), [](HDC dc) {
        SIZE s{};
        GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
        return s;
    });
    const SIZE c{s.cx / 52, s.cy};
    return Metrics{MulDiv(8, c.cx, 4), MulDiv(8, c.cy, 8), MulDiv(10, c.cx, 4), MulDiv(10, c.cy, 8)};
}

// The size DrawTextW gives the text in the font (single line, or wrapped to Width when > 0).
SIZE TextSize(fw::TFont* Font, const std::wstring& Text, int Width = 0) {
    return WithFont(Font, [&](HDC dc) {
        RECT r{0, 0, Width, 0};
        DrawTextW(dc, Text.c_str(), int(Text.size()), &r,
                  DT_CALCRECT | DT_EXPANDTABS | (Width > 0 ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE)));
        return SIZE{r.right - r.left, r.bottom - r.top};
    });
}

fw::TLabel* LabelOf(fw::TForm* F) { return dynamic_cast<fw::TLabel*>(F->FindComponent(L"Message")); }
fw::TImage* ImageOf(fw::TForm* F) { return dynamic_cast<fw::TImage*>(F->FindComponent(L"Image")); }

}  // namespace

TEST_F(MsgBoxTest, IconsAreCutFromTheStripByTypeAndAStripThatDoesNotDivideGivesNone) {
    for (uint8_t t = 0; t < 4; ++t) {
        ASSERT_NE(Box->GetIcon(t), nullptr) << int(t);
        EXPECT_EQ(Box->GetIcon(t)->GetWidth(), 40);
    }
    EXPECT_NE(std::memcmp(Box->GetIcon(0)->Scanline(20), Box->GetIcon(3)->Scanline(20), 3 * 40), 0);
    EXPECT_EQ(Box->GetIcon(mtCustom), nullptr);
    auto odd = std::make_unique<fw::TPngImage>();
    odd->CreateBlank(fw::png::COLOR_RGBALPHA, 8, 161, 40);
    Box->SetImgMsg(odd.get());
    Box->Loaded();
    for (uint8_t t = 0; t < 4; ++t) EXPECT_EQ(Box->GetIcon(t), nullptr);
}

TEST_F(MsgBoxTest, TwoButtonsMakeACentredRow) {
    TMessageForm* f = Build(L"Short", mtConfirmation, {mbYes, mbNo});
    const Metrics m = MetricsOf(f);
    auto buttons = ButtonsOf(f);
    ASSERT_EQ(buttons.size(), 2u);
    // 320-pixel strip of four frames: 80 each.
    EXPECT_EQ(buttons[0]->GetWidth(), 80);
    EXPECT_EQ(buttons[0]->GetHeight(), 26);
    const int row = buttons[1]->GetLeft() + 80 - buttons[0]->GetLeft();
    EXPECT_EQ(row, 2 * 80 + m.hs);
    // The row is the widest part here: the client is the row plus both margins.
    EXPECT_EQ(buttons[0]->GetLeft(), m.hm);
    EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + row);
    // Yes first (Enter), No last (Esc).
    EXPECT_EQ(buttons[0]->GetCaption(), L"Yes");
    EXPECT_EQ(buttons[0]->GetModalResult(), 6);
    EXPECT_EQ(buttons[1]->GetModalResult(), 7);
    EXPECT_EQ(f->GetFirstButton(), buttons[0]);
    EXPECT_EQ(f->GetLastButton(), buttons[1]);
}

TEST_F(MsgBoxTest, ShortMessageStaysOnOneLine) {
    const std::wstring msg = L"Delete it?";
    TMessageForm* f = Build(msg, mtConfirmation, {mbYes, mbNo});
    const Metrics m = MetricsOf(f);
    fw::TLabel* label = LabelOf(f);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(ImageOf(f), nullptr);
    const SIZE one = TextSize(Box->GetFontMsg(), msg);
    EXPECT_EQ(label->GetWidth(), one.cx);
    EXPECT_EQ(label->GetHeight(), one.cy);
    // The icon is taller than one line: it stays at the margin and the text moves down to centre.
    EXPECT_EQ(ImageOf(f)->GetBoundsRect(), fw::Bounds(m.hm, m.vm, 40, 40));
    EXPECT_EQ(label->GetLeft(), m.hm + 40 + m.hs);
    EXPECT_EQ(label->GetTop(), m.vm + (40 - one.cy) / 2);
    // Buttons stand below the icon.
    EXPECT_EQ(ButtonsOf(f)[0]->GetTop(), m.vm + 40 + m.vs);
    EXPECT_EQ(f->GetClientHeight(), 26 + 40 + m.vs + 2 * m.vm);
}

TEST_F(MsgBoxTest, LongMessageWrapsToTwiceTheRow) {
    std::wstring msg;
    for (int i = 0; i < 30; ++i) msg += L"reminder ";
    TMessageForm* f = Build(msg, mtWarning, {mbYes, mbNo});
    const Metrics m = MetricsOf(f);
    const int row = 160 + m.hs;
    const SIZE wrapped = TextSize(Box->GetFontMsg(), msg, 2 * row);
    ASSERT_GT(wrapped.cy, 40);
    EXPECT_EQ(LabelOf(f)->GetWidth(), wrapped.cx);
    EXPECT_EQ(LabelOf(f)->GetHeight(), wrapped.cy);
    // Now the text is taller: the icon moves down to its middle and the text starts at the margin.
    EXPECT_EQ(LabelOf(f)->GetTop(), m.vm);
    EXPECT_EQ(ImageOf(f)->GetTop(), m.vm + (wrapped.cy - 40) / 2);
    EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + 40 + wrapped.cx + m.hs);
    // The row is centred under the wider text.
    EXPECT_EQ(ButtonsOf(f)[0]->GetLeft(), (f->GetClientWidth() - row) / 2);
    EXPECT_EQ(ButtonsOf(f)[0]->GetTop(), m.vm + wrapped.cy + m.vs);
}

TEST_F(MsgBoxTest, OnlyTheButtonsItCanCaptionAreShown) {
    for (TMsgDlgButtons shown : {TMsgDlgButtons(mbOK), TMsgDlgButtons{mbOK, mbCancel, mbHelp}}) {
        TMessageForm* f = Build(L"Saved.", mtInformation, shown);
        auto buttons = ButtonsOf(f);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0]->GetCaption(), L"Ok");
        EXPECT_EQ(buttons[0]->GetModalResult(), 1);
        // The row counts only the buttons shown: one button, centred.
        EXPECT_EQ(buttons[0]->GetLeft(), (f->GetClientWidth() - 80) / 2);
    }
}

TEST_F(MsgBoxTest, TypeWithoutIconLeavesNoGap) {
    TMessageForm* f = Build(L"Hello", mtCustom, mbOK);
    const Metrics m = MetricsOf(f);
    EXPECT_EQ(ImageOf(f)->GetWidth(), 0);
    EXPECT_EQ(LabelOf(f)->GetLeft(), m.hm + m.hs);
    EXPECT_EQ(LabelOf(f)->GetTop(), m.vm);
}

TEST_F(MsgBoxTest, DialogIsDesktopCentredAndNotHookedUntilShown) {
    TMessageForm* f = Build(L"Hello", mtInformation, mbOK);
    EXPECT_EQ(f->GetLeft(), fw::Screen->GetWidth() / 2 - f->GetWidth() / 2);
    EXPECT_EQ(f->GetTop(), fw::Screen->GetHeight() / 2 - f->GetHeight() / 2);
    EXPECT_EQ(Box->GetForm(), nullptr);
}

TEST_F(MsgBoxTest, ButtonWidthRoundsHalvesToEven) {
    // 330 / 4 = 82.5 gives 82, 326 / 4 = 81.5 gives 82: the row and so the client follow.
    for (int stripWidth : {330, 326}) {
        SCOPED_TRACE(stripWidth);
        auto strip = std::make_unique<fw::TPngImage>();
        strip->CreateBlank(fw::png::COLOR_RGBALPHA, 8, stripWidth, 26);
        Box->SetImgBtn(strip.get());
        TMessageForm* f = Build(L"Hi", mtCustom, {mbYes, mbNo});
        const Metrics m = MetricsOf(f);
        ASSERT_LT(TextSize(Box->GetFontMsg(), L"Hi").cx, 2 * 82) << "the row must be the widest part here";
        EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + 2 * 82 + m.hs);
    }
}

TEST_F(MsgBoxTest, NoFramesGivesEmptyButtonsAndTheTextSetsTheWidth) {
    Box->SetButonStateCount(0);
    TMessageForm* f = Build(L"Hi", mtCustom, {mbYes, mbNo});
    const Metrics m = MetricsOf(f);
    const SIZE text = TextSize(Box->GetFontMsg(), L"Hi");
    ASSERT_LE(text.cx, 2 * m.hs) << "the text must fit the empty row twice";
    // Buttons of width 0: the row is just the spacing between them, so the text is the widest.
    EXPECT_EQ(f->GetClientWidth(), 2 * m.hm + text.cx + m.hs);
    auto buttons = ButtonsOf(f);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->GetLeft(), (f->GetClientWidth() - m.hs) / 2);
}
