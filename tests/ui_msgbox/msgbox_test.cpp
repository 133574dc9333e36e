// The message box: the layout of the dialog's parts, and the box shown modally (keys and clicks
// answer, a second call returns 2, the component paints frame and background, freeing).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VeskMsgBox.h"
#include "fw_timer.h"
#include "skin_resources.h"
#include "window_test.h"

using testsupport::Skin;

namespace {

// Opens the composition state of the painter to the tests.
class TProbeMsgBox : public TVeskMsgBox {
public:
    FW_CLASSNAME(TProbeMsgBox)
    explicit TProbeMsgBox(fw::TComponent* AOwner) : TVeskMsgBox(AOwner) {}
    fw::TBitmap* NcBitmap() const { return FNcBitmap.get(); }
};

// A box with the program's own skins (button strip, type icons, title bar).
class MsgBoxTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // As in the program, a hidden main window (the others' owner) exists before any box.
        if (!fw::Application->GetMainForm()) fw::TForm::CreateNew<fw::TForm>(fw::Application);
        NcCompositionEnabledProc = [] { return false; };
        Resource = Own(testsupport::NcSkinResource());
        Box = new TProbeMsgBox(nullptr);
        Box->SetResource(Resource);
        Box->SetImgBtn(Skin(L"msg_btn").get());
        Box->SetImgMsg(Skin(L"msg_icons").get());
        Box->SetBtnCaptionYes(L"Yes");
        Box->SetBtnCaptionNo(L"No");
        Box->SetBtnCaptionOk(L"Ok");
        Box->Loaded();
    }
    void TearDown() override {
        if (*BoxAlive) Box->Free();
        WindowTest::TearDown();
        NcCompositionEnabledProc = SavedComposition;
        int open = 0;
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i)
            open += dynamic_cast<TMessageForm*>(fw::Screen->GetForm(i)) != nullptr;
        EXPECT_EQ(open, 0) << "a dialog form outlived its box";
    }
    // A dialog built by the box, freed after the test.
    TMessageForm* Build(const std::wstring& Msg, uint8_t Type, TMsgDlgButtons Buttons) {
        return Own(Box->CreateMessageForm(Msg, Type, Buttons));
    }
    static std::vector<TVeskPngButton*> ButtonsOf(fw::TForm* F) {
        std::vector<TVeskPngButton*> r;
        for (int i = 0; i < F->GetComponentCount(); ++i)
            if (auto* b = dynamic_cast<TVeskPngButton*>(F->GetComponent(i))) r.push_back(b);
        return r;
    }
    static void Answer(fw::TForm* F, WORD Vk) { PostMessageW(F->GetHandle(), WM_KEYDOWN, Vk, 1); }

    TVeskNcResource* Resource = nullptr;
    TProbeMsgBox* Box = nullptr;
    std::shared_ptr<bool> BoxAlive = std::make_shared<bool>(true);

private:
    TNcCompositionProc SavedComposition = NcCompositionEnabledProc;
};

fw::TLabel* LabelOf(fw::TForm* F) { return dynamic_cast<fw::TLabel*>(F->FindComponent(L"Message")); }
fw::TImage* ImageOf(fw::TForm* F) { return dynamic_cast<fw::TImage*>(F->FindComponent(L"Image")); }

}  // namespace

TEST_F(MsgBoxTest, IconsAreCutFromTheStripByType) {
    for (uint8_t t = 0; t < 4; ++t) {
        ASSERT_NE(Box->GetIcon(t), nullptr) << int(t);
        EXPECT_EQ(Box->GetIcon(t)->GetWidth(), 40);
    }
    EXPECT_NE(std::memcmp(Box->GetIcon(0)->Scanline(20), Box->GetIcon(3)->Scanline(20), 3 * 40), 0);
    EXPECT_EQ(Box->GetIcon(mtCustom), nullptr);
}

// The width of the dialog's button row, from the first button's left to the last one's right.
int RowWidth(const std::vector<TVeskPngButton*>& B) { return B.back()->GetBoundsRect().Right - B[0]->GetLeft(); }

TEST_F(MsgBoxTest, AShortMessageStandsOnOneLineBesideTheIconAboveACentredRow) {
    TMessageForm* f = Build(L"Delete it?", mtConfirmation, {mbYes, mbNo});
    auto buttons = ButtonsOf(f);
    fw::TLabel* label = LabelOf(f);
    fw::TImage* image = ImageOf(f);
    ASSERT_EQ(buttons.size(), 2u);
    ASSERT_TRUE(label && image);
    // 320-pixel strip of four frames: 80 each; the centred row is the widest part here.
    EXPECT_EQ(buttons[0]->GetWidth(), 80);
    EXPECT_GT(RowWidth(buttons), 160);
    EXPECT_EQ(buttons[0]->GetLeft(), f->GetClientWidth() - buttons[1]->GetBoundsRect().Right);
    EXPECT_LT(label->GetBoundsRect().Right, buttons[1]->GetBoundsRect().Right);
    // The 40-pixel icon in the top-left margin; the one-line text right of it, centred on it.
    EXPECT_EQ(image->GetBoundsRect(), fw::Bounds(buttons[0]->GetLeft(), image->GetTop(), 40, 40));
    EXPECT_GT(label->GetLeft(), 40 + image->GetLeft());
    EXPECT_LT(label->GetHeight(), 20);
    EXPECT_NEAR(label->GetTop() + label->GetHeight() / 2, image->GetTop() + 20, 1);
    // The buttons below the icon, the same margin below them as above the icon.
    EXPECT_GT(buttons[0]->GetTop(), image->GetTop() + 40);
    EXPECT_EQ(f->GetClientHeight() - buttons[0]->GetBoundsRect().Bottom, image->GetTop());
    // Centred on the desktop, and not hooked until shown.
    EXPECT_EQ(f->GetLeft(), fw::Screen->GetWidth() / 2 - f->GetWidth() / 2);
    EXPECT_EQ(f->GetTop(), fw::Screen->GetHeight() / 2 - f->GetHeight() / 2);
    EXPECT_EQ(Box->GetForm(), nullptr);
}

TEST_F(MsgBoxTest, ALongMessageWrapsToTwiceTheRowAndTheIconMovesToItsMiddle) {
    std::wstring msg;
    for (int i = 0; i < 30; ++i) msg += L"reminder ";
    TMessageForm* f = Build(msg, mtWarning, {mbYes, mbNo});
    auto buttons = ButtonsOf(f);
    fw::TLabel* label = LabelOf(f);
    fw::TImage* image = ImageOf(f);
    EXPECT_LE(label->GetWidth(), 2 * RowWidth(buttons));
    EXPECT_GT(label->GetWidth(), RowWidth(buttons));
    ASSERT_GT(label->GetHeight(), 40);
    EXPECT_NEAR(image->GetTop() + 20, label->GetTop() + label->GetHeight() / 2, 1);
    // The row is centred under the wider text.
    EXPECT_NEAR(buttons[0]->GetLeft(), f->GetClientWidth() - buttons[1]->GetBoundsRect().Right, 1);
    EXPECT_GT(buttons[0]->GetTop(), label->GetBoundsRect().Bottom);
}

TEST_F(MsgBoxTest, OnlyTheButtonsItCanCaptionAreShownAndATypeWithoutIconLeavesNoGap) {
    const int besideIcon = LabelOf(Build(L"Saved.", mtInformation, mbOK))->GetLeft();
    for (TMsgDlgButtons shown : {TMsgDlgButtons(mbOK), TMsgDlgButtons{mbOK, mbCancel, mbHelp}}) {
        TMessageForm* f = Build(L"Saved.", mtCustom, shown);
        auto buttons = ButtonsOf(f);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0]->GetCaption(), L"Ok");
        EXPECT_EQ(buttons[0]->GetModalResult(), 1);
        // The row counts only the buttons shown: one button, centred.
        EXPECT_EQ(buttons[0]->GetLeft(), (f->GetClientWidth() - 80) / 2);
        EXPECT_EQ(ImageOf(f)->GetWidth(), 0);
        EXPECT_EQ(LabelOf(f)->GetLeft(), besideIcon - 40);
    }
}

TEST_F(MsgBoxTest, ButtonWidthIsTheFrameRoundedHalfToEvenOrZeroWithoutFrames) {
    // 82.5 and 81.5 both give 82; no frames: width 0 (no division by zero), the row is the gap.
    const struct {
        int strip, frames, width;
    } rows[] = {{330, 4, 82}, {326, 4, 82}, {320, 0, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.strip);
        auto strip = std::make_unique<fw::TPngImage>();
        strip->CreateBlank(fw::png::COLOR_RGBALPHA, 8, r.strip, 26);
        Box->SetImgBtn(strip.get());
        Box->SetButonStateCount(r.frames);
        TMessageForm* f = Build(L"Hi", mtCustom, {mbYes, mbNo});
        auto buttons = ButtonsOf(f);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->GetWidth(), r.width);
        EXPECT_NEAR(buttons[0]->GetLeft(), f->GetClientWidth() - buttons[1]->GetBoundsRect().Right, 1);
    }
}

TEST_F(MsgBoxTest, KeysAnswerByTheButtonsShown) {
    const struct {
        TMsgDlgButtons buttons;
        WORD key;
        int result;
    } rows[] = {{{mbYes, mbNo}, VK_RETURN, 6}, {{mbYes, mbNo}, VK_ESCAPE, 7}, {{mbYes, mbNo}, 'Y', 0},
                {mbOK, VK_ESCAPE, 1},          {mbOK, VK_RETURN, 1},
                // A box without buttons closes on Esc only.
                {TMsgDlgButtons(), VK_RETURN, 0}, {TMsgDlgButtons(), VK_ESCAPE, 2}};
    for (const auto& row : rows) {
        TMessageForm* f = Build(L"Sure?", mtConfirmation, row.buttons);
        SendMessageW(f->GetHandle(), WM_KEYDOWN, row.key, 1);
        EXPECT_EQ(f->GetModalResult(), row.result) << row.buttons.Bits() << " key " << row.key;
    }
}

TEST_F(MsgBoxTest, ModalBoxIsPaintedByItAnswersEnterAClickAndCloseAndIsFreedAfterEachAndWhileOpen) {
    Resource->GetFormClient()->SetImgBkgr(testsupport::Strip(8, 8, {RGB(0x10, 0xA0, 0x30)}).get());
    bool sawHook = false;
    Later(150, [&] {
        auto* f = dynamic_cast<TMessageForm*>(Box->GetForm());
        ASSERT_NE(f, nullptr);
        Answer(f, VK_RETURN);
        sawHook = Box->IsHooked() && IsWindowVisible(f->GetHandle());
        // The client starts below the skinned caption bar; the frame is composed for this window.
        SendMessageW(f->GetHandle(), WM_NCPAINT, 1, 0);
        RECT wr{};
        GetWindowRect(f->GetHandle(), &wr);
        POINT origin{0, 0};
        ClientToScreen(f->GetHandle(), &origin);
        EXPECT_EQ(origin.y - wr.top, 26 + 1);
        fw::TBitmap* b = Box->NcBitmap();
        EXPECT_EQ(b ? b->GetWidth() : 0, wr.right - wr.left);
        EXPECT_EQ(b ? b->GetHeight() : 0, wr.bottom - wr.top);
        // The client background comes from the resource's picture, not the form's colour.
        EXPECT_EQ(testsupport::Render(f)->Color(1, f->GetClientHeight() - 2), RGB(0x10, 0xA0, 0x30));
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Delete this reminder?", mtConfirmation, {mbYes, mbNo}, 0, 0), 6);
    EXPECT_TRUE(sawHook);
    EXPECT_EQ(Box->GetForm(), nullptr);  // the fixture checks that no dialog form is left
    Later(150, [&] {
        auto* f = Box->GetForm();
        ASSERT_NE(f, nullptr);
        TVeskPngButton* no = ButtonsOf(f).at(1);
        const LPARAM at = MAKELPARAM(no->GetLeft() + 10, no->GetTop() + 10);
        PostMessageW(f->GetHandle(), WM_MOUSEMOVE, 0, at);
        PostMessageW(f->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(f->GetHandle(), WM_LBUTTONUP, 0, at);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 7);
    Later(150, [&] { PostMessageW(Box->GetForm()->GetHandle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 2);
    // The component freed while its box is open.
    Later(150, [&] {
        HWND w = Box->GetForm()->GetHandle();
        Box->Free();
        *BoxAlive = false;
        PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    TVeskMsgBox* box = Box;
    EXPECT_EQ(box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 7);
}

TEST_F(MsgBoxTest, ABoxOwnedByAWindowAnswersASecondCallWithCancelRaisesItselfAndLeavesTheWindowAlone) {
    // As on the visible window: owned and loaded with it, attached only while a box shows.
    auto* owner = fw::TForm::CreateNew<fw::TForm>(nullptr);
    const std::shared_ptr<bool> ownerAlive = owner->AliveToken();
    auto* box = new TVeskMsgBox(owner);
    box->SetResource(Resource);
    box->SetImgBtn(Skin(L"msg_btn").get());
    box->Loaded();
    // True when window A lies above window B in the z-order.
    auto above = [](HWND A, HWND B) {
        for (HWND w = GetWindow(A, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
            if (w == B) return true;
        return false;
    };
    int second = -1;
    bool coveredBefore = false, raisedAfter = false;
    fw::TForm* shown = nullptr;
    Later(150, [&] {
        shown = box->GetForm();
        HWND h = shown->GetHandle();
        // Another window of the program comes up over the open box.
        auto* other = NewForm(200, 100, fw::clWhite, 10, 10);
        other->Show();
        SetWindowPos(other->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        coveredBefore = above(other->GetHandle(), h);
        second = box->MessageDlg(L"Again", L"Second box", mtWarning, mbOK);
        raisedAfter = above(h, other->GetHandle());
        PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(box->MessageDlg(L"Confirm", L"First box", mtConfirmation, {mbYes, mbNo}), 7);
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(coveredBefore);
    EXPECT_TRUE(raisedAfter);
    EXPECT_NE(shown, owner);
    EXPECT_EQ(box->GetForm(), nullptr);
    owner->Free();
    EXPECT_FALSE(*ownerAlive);
}

TEST_F(MsgBoxTest, TheMessageStandsRightAlignedWhenTheApplicationIsRightToLeft) {
    struct Restore { ~Restore() { fw::Application->SetBiDiMode(fw::bdLeftToRight); } } restore;
    std::wstring msg;
    for (int i = 0; i < 30; ++i) msg += L"reminder ";
    msg += L"\r\nOK";
    // Whether the message's short last line has ink in the left or in the right third of the label.
    auto lastLineInked = [&](bool right) {
        TMessageForm* f = Build(msg, mtWarning, {mbYes, mbNo});
        fw::TLabel* label = LabelOf(f);
        EXPECT_EQ(label->GetBiDiMode(), fw::Application->GetBiDiMode());
        std::unique_ptr<testsupport::DibSurface> d = testsupport::Render(f);
        const fw::TRect b = label->GetBoundsRect();
        const int line = testsupport::MeasureText(label->GetFont(), L"OK", 0).cy, third = b.Width() / 3;
        const int left = right ? b.Right - third : b.Left;
        return d->CountColor(RECT{left, b.Bottom - line, left + third, b.Bottom}, d->Color(0, 0)) < third * line;
    };
    for (bool rtl : {false, true}) {
        fw::Application->SetBiDiMode(rtl ? fw::bdRightToLeft : fw::bdLeftToRight);
        EXPECT_EQ(std::make_pair(lastLineInked(false), lastLineInked(true)), std::make_pair(!rtl, rtl)) << rtl;
    }
}
