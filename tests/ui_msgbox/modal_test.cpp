// The box shown modally: keys and clicks answer, the close button cancels, a second call while a
// box is open returns 2, the frame and background are painted by the component while attached,
// and the answering seam replaces the box.
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

TEST_F(MsgBoxTest, ModalBoxAnswersEnterWithYesAndIsFreedAfterwards) {
    bool sawHook = false;
    Later(150, [&] {
        auto* f = dynamic_cast<TMessageForm*>(Box->GetForm());
        ASSERT_NE(f, nullptr);
        sawHook = Box->IsHooked() && IsWindowVisible(f->GetHandle());
        Answer(f, VK_RETURN);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Delete this reminder?", mtConfirmation, {mbYes, mbNo}, 0, 0), 6);
    EXPECT_TRUE(sawHook);
    EXPECT_EQ(Box->GetForm(), nullptr);  // the fixture checks that no dialog form is left
}

TEST_F(MsgBoxTest, ModalBoxAnswersAClickWithTheButtonsResultAndCloseWithCancel) {
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
}

TEST_F(MsgBoxTest, SecondCallWhileOpenReturnsCancelAtOnceAndRaisesTheOpenBox) {
    int second = -1;
    bool coveredBefore = false, raisedAfter = false;
    Later(150, [&] {
        HWND box = Box->GetForm()->GetHandle();
        // Another window of the program comes up over the open box.
        auto* other = NewForm(200, 100, fw::clWhite, 10, 10);
        other->Show();
        SetWindowPos(other->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        coveredBefore = IsAbove(other->GetHandle(), box);
        second = Box->MessageDlg(L"Again", L"Second box", mtWarning, mbOK);
        raisedAfter = IsAbove(box, other->GetHandle());
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"First box", mtConfirmation, {mbYes, mbNo}), 7);
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(coveredBefore);
    EXPECT_TRUE(raisedAfter);
}

TEST_F(MsgBoxTest, TheBoxPaintsTheDialogsFrameAndBackground) {
    Resource->GetFormClient()->SetImgBkgr(testsupport::Strip(8, 8, {RGB(0x10, 0xA0, 0x30)}).get());
    int caption = 0;
    SIZE bitmap{}, window{};
    COLORREF onScreen = 1, composed = 2, corner = 0, formColor = 0;
    Later(150, [&] {
        fw::TForm* f = Box->GetForm();
        SendMessageW(f->GetHandle(), WM_NCPAINT, 1, 0);
        RECT wr{};
        GetWindowRect(f->GetHandle(), &wr);
        window = SIZE{wr.right - wr.left, wr.bottom - wr.top};
        // The client starts below the skinned caption bar.
        POINT origin{0, 0};
        ClientToScreen(f->GetHandle(), &origin);
        caption = origin.y - wr.top;
        // What reached the screen's frame is the composed bitmap.
        if (fw::TBitmap* b = Box->NcBitmap()) {
            bitmap = SIZE{b->GetWidth(), b->GetHeight()};
            HDC wdc = GetWindowDC(f->GetHandle());
            onScreen = GetPixel(wdc, window.cx / 2, 5) & 0xFFFFFF;
            composed = GetPixel(b->GetCanvas()->GetHandle(), window.cx / 2, 5) & 0xFFFFFF;
            ReleaseDC(f->GetHandle(), wdc);
        }
        // The client background comes from the resource's picture, not the form's colour.
        corner = testsupport::Render(f)->Color(1, f->GetClientHeight() - 2);
        formColor = fw::ColorToRGB(f->GetColor());
        Answer(f, VK_RETURN);
    });
    EXPECT_EQ(Box->MessageDlg(L"Caption", L"Text", mtInformation, mbOK), 1);
    EXPECT_EQ(bitmap.cx, window.cx);
    EXPECT_EQ(bitmap.cy, window.cy);
    EXPECT_EQ(caption, 26 + 1);
    EXPECT_EQ(onScreen, composed);
    EXPECT_EQ(corner, RGB(0x10, 0xA0, 0x30));
    EXPECT_NE(formColor, corner);
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
    bool boxShown = true;
    MessageDlgProc = [&](TVeskMsgBox* Sender, const std::wstring& C, const std::wstring& M, uint8_t T,
                         TMsgDlgButtons B) {
        EXPECT_EQ(Sender, Box);
        caption = C, msg = M, type = T, buttons = B;
        boxShown = OpenMessageForms() != 0;
        return 6;
    };
    EXPECT_EQ(Box->MessageDlg(L"Confirm", L"Exit now?", mtConfirmation, {mbYes, mbNo}, 0, 0), 6);
    EXPECT_EQ(caption, L"Confirm");
    EXPECT_EQ(msg, L"Exit now?");
    EXPECT_EQ(type, mtConfirmation);
    EXPECT_EQ(buttons.Bits(), 3);
    EXPECT_FALSE(boxShown);
}

TEST_F(MsgBoxTest, ABoxOwnedByAWindowLeavesThatWindowAlone) {
    // As placed on the program's visible window: owned by it and loaded with it, yet attached to
    // nothing until a box is shown, and detached again afterwards.
    auto* owner = fw::TForm::CreateNew<fw::TForm>(nullptr);
    const std::shared_ptr<bool> ownerAlive = owner->AliveToken();
    auto* box = new TVeskMsgBox(owner);
    box->SetResource(Resource);
    box->SetImgBtn(Skin(L"msg_btn").get());
    box->Loaded();
    EXPECT_EQ(box->GetForm(), nullptr);
    fw::TForm* shown = nullptr;
    Later(150, [&] {
        shown = box->GetForm();
        if (shown) Answer(shown, VK_RETURN);
    });
    EXPECT_EQ(box->MessageDlg(L"Confirm", L"Delete?", mtConfirmation, {mbYes, mbNo}), 6);
    EXPECT_NE(shown, nullptr);
    EXPECT_NE(shown, owner);
    EXPECT_EQ(box->GetForm(), nullptr);
    owner->Free();
    EXPECT_FALSE(*ownerAlive);
}
