// The box shown modally: keys and clicks answer, the close button cancels, a second call while a
// box is open returns 2, the frame is painted by the component while attached, and the answering
// seam replaces the box.
#include "msgbox_fixture.h"

using namespace msgboxtest;

namespace {

// True when window A lies above window B in the z-order.
bool IsAbove(HWND A, HWND B) {
    for (HWND w = GetWindow(A, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == B) return true;
    return false;
}

}  // namespace

TEST_F(MsgBoxTest, KeysAnswerAYesNoBox) {
    auto b = Build(L"Sure?", mtConfirmation, {mbYes, mbNo});
    Key(b->form, VK_RETURN);
    EXPECT_EQ(b->form->GetModalResult(), 6);
    b->form->SetModalResult(0);
    Key(b->form, VK_ESCAPE);
    EXPECT_EQ(b->form->GetModalResult(), 7);
    b->form->SetModalResult(0);
    Key(b->form, 'Y');
    EXPECT_EQ(b->form->GetModalResult(), 0);
}

TEST_F(MsgBoxTest, BothKeysAnswerOkOnAnOkBox) {
    auto b = Build(L"Done.", mtInformation, mbOK);
    Key(b->form, VK_ESCAPE);
    EXPECT_EQ(b->form->GetModalResult(), 1);
    b->form->SetModalResult(0);
    Key(b->form, VK_RETURN);
    EXPECT_EQ(b->form->GetModalResult(), 1);
}

TEST_F(MsgBoxTest, EscapeClosesABoxWithoutButtons) {
    auto b = Build(L"Nothing to press", mtInformation, TMsgDlgButtons());
    EXPECT_TRUE(ButtonsOf(b->form).empty());
    Key(b->form, VK_RETURN);
    EXPECT_EQ(b->form->GetModalResult(), 0);
    Key(b->form, VK_ESCAPE);
    EXPECT_EQ(b->form->GetModalResult(), 2);
}

TEST_F(MsgBoxTest, ModalBoxAnswersEnterWithYes) {
    bool sawHook = false;
    Later(150, [&] {
        auto* f = dynamic_cast<TMessageForm*>(Box->GetForm());
        ASSERT_NE(f, nullptr);
        sawHook = Box->IsHooked() && IsWindowVisible(f->GetHandle());
        PostMessageW(f->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Delete this reminder?", mtConfirmation, {mbYes, mbNo}, 0, 0), 6);
    EXPECT_TRUE(sawHook);
    // Detached and freed once answered.
    EXPECT_EQ(Box->GetForm(), nullptr);
    EXPECT_EQ(OpenMessageForms(), 0);
}

TEST_F(MsgBoxTest, ModalBoxAnswersAClickWithTheButtonsResult) {
    Later(150, [&] {
        auto* f = Box->GetForm();
        ASSERT_NE(f, nullptr);
        auto buttons = ButtonsOf(f);
        ASSERT_EQ(buttons.size(), 2u);
        TVeskPngButton* no = buttons[1];
        const LPARAM at = MAKELPARAM(no->GetLeft() + 10, no->GetTop() + 10);
        PostMessageW(f->GetHandle(), WM_MOUSEMOVE, 0, at);
        PostMessageW(f->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(f->GetHandle(), WM_LBUTTONUP, 0, at);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 7);
}

TEST_F(MsgBoxTest, CloseButtonCancels) {
    Later(150, [&] { PostMessageW(Box->GetForm()->GetHandle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 2);
}

TEST_F(MsgBoxTest, SecondCallWhileOpenReturnsCancelAtOnce) {
    int second = -1;
    bool coveredBefore = false, raisedAfter = false;
    fw::TForm* other = nullptr;
    Later(150, [&] {
        HWND box = Box->GetForm()->GetHandle();
        // Another window of the program comes up over the open box.
        other = fw::TForm::CreateNew<fw::TForm>(nullptr);
        other->SetBounds(10, 10, 200, 100);
        other->Show();
        SetWindowPos(other->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        coveredBefore = IsAbove(other->GetHandle(), box);
        second = Box->MessageDlg(L"Again", L"Second box", mtWarning, mbOK);
        raisedAfter = IsAbove(box, other->GetHandle());
        EXPECT_EQ(OpenMessageForms(), 1);
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"First box", mtConfirmation, {mbYes, mbNo}), 7);
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(coveredBefore);
    EXPECT_TRUE(raisedAfter);
    if (other) other->Free();
}

TEST_F(MsgBoxTest, TheBoxPaintsTheDialogsFrame) {
    int caption = 0;
    SIZE bitmap{}, window{};
    COLORREF onScreen = 1, composed = 2;
    Later(150, [&] {
        fw::TForm* f = Box->GetForm();
        SendMessageW(f->GetHandle(), WM_NCPAINT, 1, 0);
        RECT wr{};
        GetWindowRect(f->GetHandle(), &wr);
        window = SIZE{wr.right - wr.left, wr.bottom - wr.top};
        if (Box->NcBitmap()) bitmap = SIZE{Box->NcBitmap()->GetWidth(), Box->NcBitmap()->GetHeight()};
        // The client starts below the skinned caption bar.
        POINT origin{0, 0};
        ClientToScreen(f->GetHandle(), &origin);
        caption = origin.y - wr.top;
        // What reached the screen's frame is the composed bitmap.
        if (Box->NcBitmap()) {
            HDC wdc = GetWindowDC(f->GetHandle());
            const int x = window.cx / 2, y = 5;
            onScreen = GetPixel(wdc, x, y) & 0xFFFFFF;
            composed = GetPixel(Box->NcBitmap()->GetCanvas()->GetHandle(), x, y) & 0xFFFFFF;
            ReleaseDC(f->GetHandle(), wdc);
        }
        PostMessageW(f->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(Box->MessageDlg(L"Caption", L"Text", mtInformation, mbOK), 1);
    EXPECT_EQ(bitmap.cx, window.cx);
    EXPECT_EQ(bitmap.cy, window.cy);
    EXPECT_EQ(caption, 26 + 1);
    EXPECT_EQ(onScreen, composed);
}

TEST_F(MsgBoxTest, BoxFreedWhileOpenEndsCleanly) {
    Later(150, [&] {
        HWND w = Box->GetForm()->GetHandle();
        Box->Free();
        *BoxAlive = false;
        PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    TVeskMsgBox* box = Box;
    EXPECT_EQ(box->MessageDlg(L"Confirm", L"Quit?", mtConfirmation, {mbYes, mbNo}), 7);
}

TEST_F(MsgBoxTest, SeamAnswersWithoutShowingABox) {
    std::wstring caption, msg;
    uint8_t type = 255;
    TMsgDlgButtons buttons;
    MessageDlgProc = [&](TVeskMsgBox* Sender, const std::wstring& C, const std::wstring& M, uint8_t T,
                         TMsgDlgButtons B) {
        EXPECT_EQ(Sender, Box);
        caption = C;
        msg = M;
        type = T;
        buttons = B;
        EXPECT_EQ(OpenMessageForms(), 0);
        return 6;
    };
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Exit now?", mtConfirmation, {mbYes, mbNo}, 0, 0), 6);
    EXPECT_EQ(caption, L"Confirm");
    EXPECT_EQ(msg, L"Exit now?");
    EXPECT_EQ(type, mtConfirmation);
    EXPECT_EQ(buttons.Bits(), 3);
    EXPECT_EQ(TMsgDlgButtons(mbOK).Bits(), 4);
}

TEST_F(MsgBoxTest, ClientBackgroundComesFromTheResource) {
    auto back = std::make_unique<fw::TPngImage>();
    back->CreateBlank(fw::png::COLOR_RGBALPHA, 8, 8, 8);
    for (int y = 0; y < 8; ++y) {
        uint8_t* row = back->Scanline(y);
        uint8_t* alpha = back->AlphaScanline(y);
        for (int x = 0; x < 8; ++x) {
            row[3 * x] = 0x30;      // blue
            row[3 * x + 1] = 0xA0;  // green
            row[3 * x + 2] = 0x10;  // red
            alpha[x] = 255;
        }
    }
    Resource->GetFormClient()->SetImgBkgr(back.get());
    COLORREF corner = 0, formColor = 0;
    Later(150, [&] {
        fw::TForm* f = Box->GetForm();
        testsupport::DibSurface dib(f->GetClientWidth(), f->GetClientHeight(), 0xFF000000);
        f->PaintTo(dib.Dc(), 0, 0);
        corner = dib.Color(1, f->GetClientHeight() - 2);
        formColor = fw::ColorToRGB(f->GetColor());
        PostMessageW(f->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(Box->MessageDlg(L"Caption", L"Text", mtInformation, mbOK), 1);
    EXPECT_EQ(corner, RGB(0x10, 0xA0, 0x30));
    EXPECT_NE(formColor, corner);
}

TEST_F(MsgBoxTest, ABoxOwnedByAWindowLeavesThatWindowAlone) {
    // As placed on the program's visible window: owned by it and loaded with it, yet attached to
    // nothing until a box is shown, and detached again afterwards.
    auto* owner = fw::TForm::CreateNew<fw::TForm>(nullptr);
    std::shared_ptr<bool> ownerAlive = owner->AliveToken();
    auto* box = new TVeskMsgBox(owner);
    box->SetResource(Resource);
    box->SetImgBtn(SkinPng(L"msg_btn").get());
    box->Loaded();
    EXPECT_EQ(box->GetForm(), nullptr);
    fw::TForm* shown = nullptr;
    Later(150, [&] {
        shown = box->GetForm();
        if (shown) PostMessageW(shown->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(box->MessageDlg(L"Confirm", L"Delete?", mtConfirmation, {mbYes, mbNo}), 6);
    EXPECT_NE(shown, nullptr);
    EXPECT_NE(shown, owner);
    EXPECT_EQ(box->GetForm(), nullptr);
    owner->Free();
    EXPECT_FALSE(*ownerAlive);
}
