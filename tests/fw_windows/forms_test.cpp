// Forms: handle binding, creation, closing, modal loops, deferred release, activation events,
// the application's message hook, hints, errors and the main loop.
#include "window_fixture.h"

using namespace fw;
using namespace fwtest;

namespace {

class FormsTest : public WindowTest {};

class TFirstMessageForm : public TForm {
public:
    FW_CLASSNAME(TfrmFirstMessage)
    TFirstMessageForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
    std::vector<UINT> Seen;

protected:
    void WndProc(TMessage& Message) override {
        Seen.push_back(Message.Msg);
        TForm::WndProc(Message);
    }
};

}  // namespace

// The handle is bound at the first message; GWLP_USERDATA stays the program's.
TEST_F(FormsTest, TheHandleIsBoundAtTheFirstMessage) {
    auto* f = Own(TForm::CreateNew<TFirstMessageForm>(nullptr));
    HWND h = f->GetHandle();
    ASSERT_FALSE(f->Seen.empty());
    EXPECT_EQ(f->Seen.front(), static_cast<UINT>(WM_GETMINMAXINFO));
    EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 0);
    SetWindowLongPtrW(h, GWLP_USERDATA, 0x1234);
    SendMessageW(h, WM_APP + 1, 0, 0);
    EXPECT_EQ(f->Seen.back(), static_cast<UINT>(WM_APP + 1));
}

TEST_F(FormsTest, CloseActionsHideKeepOrFreeTheForm) {
    TTestForm* f = NewForm();
    f->Show();
    TCloseAction action = caNone;
    f->OnClose = [&](TObject*, TCloseAction& a) { a = action; };
    f->Close();
    EXPECT_TRUE(IsWindowVisible(f->GetHandle()));
    action = caHide;
    SendMessageW(f->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(f->GetHandle()));
    // caFree releases: the form goes once its messages have returned.
    std::shared_ptr<bool> alive = f->AliveToken();
    f->Show();
    action = caFree;
    SendMessageW(f->GetHandle(), WM_CLOSE, 0, 0);
    Pump(100);
    EXPECT_FALSE(*alive);
}

// The modal loop: a refused close, the application's message hook, a close answering Cancel,
// other windows disabled meanwhile, and a quit.
TEST_F(FormsTest, ModalLoopServesOnMessageAndEndsWithCancelOnCloseOrQuit) {
    TTestForm* other = NewForm(100, 50, clWhite, 400, 300);
    other->Show();
    TTestForm* box = NewForm(120, 60);
    int closes = 0;
    box->OnClose = [&](TObject*, TCloseAction& a) {
        if (++closes == 1) a = caNone;
    };
    bool sawKey = false, otherWasDisabled = false;
    Application->OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) sawKey = handled = true;
    };
    TTimer timer(nullptr);
    int step = 0;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TObject*) {
        otherWasDisabled = !IsWindowEnabled(other->GetHandle());
        if (step++ == 0)
            PostMessageW(box->GetHandle(), WM_KEYDOWN, VK_F1, 0);
        else if (sawKey && closes < 2)
            box->Close();
    });
    EXPECT_EQ(box->ShowModal(), mrCancel);
    EXPECT_TRUE(sawKey);
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(otherWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(other->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(box->GetHandle()));
    // A visible form cannot be made modal.
    EXPECT_THROW(other->ShowModal(), Exception);
    // A quit inside the loop ends it and is left for the outer loop.
    timer.SetOnTimer([&](TObject*) {
        timer.SetEnabled(false);
        Application->Terminate();
    });
    EXPECT_EQ(box->ShowModal(), mrCancel);
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(FormsTest, ReleaseWaitsUntilTheFormsOwnMessageHasReturned) {
    // The form's "click" releases it and then opens a modal box, as a menu item might.
    TTestForm* menu = NewForm(100, 50);
    menu->Show();
    TTestForm* box = NewForm(120, 60);
    std::shared_ptr<bool> alive = menu->AliveToken();
    bool aliveAfterNestedLoop = false;
    const UINT click = WM_APP + 7;
    TWndMethodProc saved = menu->WindowProc;
    menu->WindowProc = [&](TMessage& m) {
        if (m.Msg != click) return saved(m);
        menu->Release();
        TTimer timer(nullptr);
        timer.SetInterval(80);
        timer.SetOnTimer([&](TObject*) { box->SetModalResult(mrOk); });
        // The nested loop dispatches the posted release message.
        box->ShowModal();
        aliveAfterNestedLoop = *alive;
        menu->SetTag(5);  // the form is still usable here
    };
    SendMessageW(menu->GetHandle(), click, 0, 0);
    EXPECT_TRUE(aliveAfterNestedLoop);
    EXPECT_FALSE(*alive);
}

TEST_F(FormsTest, ApplicationDeactivationReachesEverySubscriberOncePerChange) {
    TTestForm* f = NewForm();
    int a = 0, b = 0;
    int keyA = 0, keyB = 0;
    Application->OnDeactivate.Add(&keyA, [&](TObject*) { ++a; });
    Application->OnDeactivate.Add(&keyB, [&](TObject*) { ++b; });
    HWND h = f->GetHandle();
    SendMessageW(h, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(h, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageW(h, WM_ACTIVATEAPP, FALSE, 0);
    Application->OnDeactivate.Remove(&keyA);
    Application->OnDeactivate.Remove(&keyB);
    SendMessageW(h, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
}

TEST_F(FormsTest, StyleChangesKeepTheWindow) {
    TTestForm* f = NewForm();
    HWND h = f->GetHandle();
    f->SetBorderStyle(bsSingle);
    f->SetFormStyle(fsStayOnTop);
    EXPECT_EQ(f->GetHandle(), h);
    EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    f->SetAlphaBlendValue(128);
    f->SetAlphaBlend(true);
    EXPECT_EQ(f->GetHandle(), h);
    EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(FormsTest, HintAppearsAfterThePauseWithoutTakingActivation) {
    TTestForm* f = NewForm(200, 100);
    auto* c = AddControl<TColorBox>(f, 10, 10, 50, 50);
    c->SetHint(L"Mark as finished");
    c->SetShowHint(true);
    f->Show();
    f->SetFocus();
    Pump(50);
    ASSERT_EQ(GetActiveWindow(), f->GetHandle());
    Application->SetHintPause(50);
    SendMessageW(f->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(Application->GetHintControl(), c);
    bool shown = testsupport::PumpMessagesUntil(
        [] { return Application->GetHintWindow() && IsWindowVisible(Application->GetHintWindow()->GetHandle()); }, 1000);
    Application->SetHintPause(500);
    ASSERT_TRUE(shown);
    THintWindow* hint = Application->GetHintWindow();
    EXPECT_EQ(hint->GetText(), L"Mark as finished");
    EXPECT_EQ(GetActiveWindow(), f->GetHandle());
    EXPECT_EQ(SendMessageW(hint->GetHandle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    SendMessageW(f->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 80));
    EXPECT_FALSE(IsWindowVisible(hint->GetHandle()));
}

TEST_F(FormsTest, DefaultErrorDisplayShowsOneBoxAtATime) {
    Application->OnException = nullptr;
    auto raise = [](const Exception& e) {
        try {
            throw e;
        } catch (...) {
            Application->HandleException(nullptr);
        }
    };
    std::vector<std::wstring> boxes;
    Application->ErrorBox = [&](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
        boxes.push_back(text + L"|" + caption);
        raise(Exception(L"second"));  // a timer firing inside the box raises again: dropped, not stacked
        return IDOK;
    };
    Application->SetTitle(L"Vesk Reminder");
    raise(EConvertError(L"Unable to write to C:\\x.ini"));
    try {
        throw EAbort(L"quiet");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->ErrorBox = nullptr;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"Unable to write to C:\\x.ini.|Vesk Reminder");
}

// The main form has its window before OnCreate; a close it posts there ends Run.
TEST_F(FormsTest, ACloseOfTheMainFormPostedDuringOnCreateEndsRun) {
    struct TMainW : TForm {
        FW_CLASSNAME(TfrmRunMain)
        TMainW(const TFormKey& k, TComponent* o) : TForm(k, o) {
            OnCreate = [this](TObject*) {
                HadHandleAtCreate = HandleAllocated();
                PostMessageW(GetHandle(), WM_CLOSE, 0, 0);
            };
        }
        bool HadHandleAtCreate = false;
    };
    TMainW* mainForm = nullptr;
    Application->SetShowMainForm(false);
    Application->CreateForm(mainForm);
    EXPECT_TRUE(mainForm->HadHandleAtCreate);
    std::shared_ptr<bool> alive = mainForm->AliveToken();
    Application->Run();
    Application->SetShowMainForm(true);
    EXPECT_TRUE(Application->GetTerminated());
    EXPECT_FALSE(*alive);
}

TEST_F(FormsTest, OnShowAndOnHideFireOncePerChangeHoweverTheWindowIsShown) {
    TTestForm* f = NewForm();
    int shows = 0, hides = 0;
    f->OnShow = [&](TObject*) { ++shows; };
    f->OnHide = [&](TObject*) { ++hides; };
    HWND h = f->GetHandle();
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    f->Show();
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(f->GetVisible());
    ShowWindow(h, SW_HIDE);
    EXPECT_EQ(hides, 1);
    EXPECT_FALSE(f->GetVisible());
    f->Show();
    EXPECT_EQ(shows, 2);
}
