// Control properties: parent colour and hints, caption changes, layout, handlers that free their
// sender, the application's shutdown order and window-class registration.
#include "window_fixture.h"

#include <tuple>

using namespace fw;
using namespace fwtest;

using ControlsTest = WindowTest;

// (The parent font is checked by the base window's language-font test in app_baseform.)
TEST_F(ControlsTest, ParentColourAndShowHintFollowUntilSetOnTheControl) {
    TTestForm* form = NewForm();
    auto* panel = AddControl<TPanel>(form, 0, 0, 100, 100);
    auto* follower = AddControl<TColorBox>(panel, 0, 0, 10, 10);
    auto* own = AddControl<TColorBox>(panel, 0, 0, 10, 10);
    own->SetColor(clRed);
    form->SetColor(clNavy);
    EXPECT_EQ(follower->GetColor(), clNavy);
    EXPECT_EQ(own->GetColor(), clRed);
    own->SetParentColor(true);
    EXPECT_EQ(own->GetColor(), clNavy);

    own->SetShowHint(false);
    form->SetShowHint(true);
    EXPECT_TRUE(follower->GetShowHint());
    EXPECT_FALSE(own->GetShowHint());
}

TEST_F(ControlsTest, ACaptionChangeNotifiesOnceAndRepaintsTheVisibleFrame) {
    TTestForm* form = NewForm();
    form->SetBorderStyle(bsSingle);
    form->Show();
    int ncpaints = 0, changes = 0;
    TWndMethodProc saved = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        ncpaints += m.Msg == WM_NCPAINT;
        changes += m.Msg == CM_TEXTCHANGED;
        saved(m);
    };
    form->SetCaption(L"You have missed some reminders");
    form->SetText(L"You have missed some reminders");
    form->WindowProc = saved;
    EXPECT_GE(ncpaints, 1);
    EXPECT_EQ(changes, 1);
    wchar_t buf[64] = {};
    GetWindowTextW(form->GetHandle(), buf, 64);
    EXPECT_STREQ(buf, L"You have missed some reminders");
}

TEST_F(ControlsTest, AnchorsAndAlignFollowTheParentsClientSize) {
    TTestForm* form = NewForm(200, 100);
    auto* topRight = AddControl<TColorBox>(form, 150, 10, 40, 20);
    topRight->SetAnchors(akTop | akRight);
    auto* stretch = AddControl<TPanel>(form, 10, 40, 180, 20);
    stretch->SetAnchors(akLeft | akRight | akBottom);
    int resizes = 0;
    stretch->OnResize = [&](TObject*) { ++resizes; };
    auto* bottom = new TColorBox(form);
    bottom->SetHeight(10);
    bottom->SetAlign(alBottom);
    bottom->SetParent(form);
    EXPECT_EQ(bottom->GetBoundsRect(), TRect(0, 90, 200, 100));
    form->HandleNeeded();
    form->SetBounds(0, 0, 260, 130);
    EXPECT_EQ(topRight->GetBoundsRect(), TRect(210, 10, 250, 30));
    EXPECT_EQ(stretch->GetBoundsRect(), TRect(10, 70, 250, 90));
    EXPECT_EQ(bottom->GetBoundsRect(), TRect(0, 120, 260, 130));
    EXPECT_EQ(TRect(WindowRect(stretch)).Width(), 240);
    // OnResize after a size change only.
    stretch->SetLeft(12);
    EXPECT_EQ(resizes, 1);
}

TEST_F(ControlsTest, HandlersMayFreeTheirSender) {
    TTestForm* form = NewForm(200, 100);
    auto* child = AddControl<TColorBox>(form, 0, 0, 50, 50);
    std::shared_ptr<bool> alive = child->AliveToken();
    child->OnClick = [child](TObject*) { child->Free(); };
    int ups = 0;
    child->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    Click(form, 10, 10);
    EXPECT_FALSE(*alive);
    EXPECT_EQ(ups, 0);
    auto* panel = AddControl<TPanel>(form, 0, 0, 50, 50);
    std::shared_ptr<bool> panelAlive = panel->AliveToken();
    panel->OnMouseDown = [panel](TObject*, TMouseButton, TShiftState, int, int) { panel->Free(); };
    Click(panel, 10, 10);
    EXPECT_FALSE(*panelAlive);
    EXPECT_EQ(form->GetControlCount(), 0);
}

TEST_F(ControlsTest, ChildrenGetWindowsAtOnceAndLeaveParentAndOwnerHoweverFreed) {
    TTestForm* form = NewForm();
    form->HandleNeeded();
    auto* panel = AddControl<TPanel>(form, 5, 5, 20, 20);
    EXPECT_EQ(GetParent(panel->GetHandle()), form->GetHandle());
    // Controls free their children with themselves, whoever owns them.
    auto* inner = AddControl<TColorBox>(panel, 0, 0, 5, 5, form);
    std::shared_ptr<bool> innerAlive = inner->AliveToken();
    HWND ph = panel->GetHandle();
    panel->Free();
    EXPECT_FALSE(*innerAlive);
    EXPECT_FALSE(IsWindow(ph));
    // A bare delete too.
    panel = AddControl<TPanel>(form, 0, 0, 10, 10);
    ph = panel->GetHandle();
    delete panel;
    delete AddControl<TColorBox>(form, 0, 0, 10, 10);
    EXPECT_FALSE(IsWindow(ph));
    EXPECT_EQ(form->GetControlCount(), 0);
    EXPECT_EQ(form->GetComponentCount(), 0);
    testsupport::DibSurface dib(50, 50);
    EXPECT_NO_THROW(form->PaintTo(dib.Dc(), 0, 0));
}

TEST_F(ControlsTest, ShutdownDestroysTheMainFormFirst) {
    struct TMainW : TForm {
        FW_CLASSNAME(TfrmShutdownMain)
        TMainW(const TFormKey& k, TComponent* o) : TForm(k, o) {}
    };
    TMainW* mainForm = nullptr;
    TTestForm* other = nullptr;
    Application->CreateForm(mainForm);
    Application->CreateForm(other);
    std::shared_ptr<bool> otherAlive = other->AliveToken();
    bool otherAliveInMainDestroy = false;
    mainForm->OnDestroy = [&](TObject*) { otherAliveInMainDestroy = *otherAlive; };
    Application->DestroyForms();
    EXPECT_TRUE(otherAliveInMainDestroy);
    EXPECT_FALSE(*otherAlive);
    EXPECT_EQ(Application->GetMainForm(), nullptr);
}

// A class registered before counts as registered; any other refusal raises, naming the class.
TEST_F(ControlsTest, BiDiModeFollowsTheApplicationFormAndPanelUntilSetAndMirrorsDrawFlags) {
    struct Restore {
        ~Restore() { Application->SetBiDiMode(bdLeftToRight); }
    } restore;
    Application->SetBiDiMode(bdRightToLeft);
    TTestForm* form = NewForm();
    auto* panel = AddControl<TPanel>(form, 0, 0, 100, 100);
    auto* box = AddControl<TColorBox>(panel, 0, 0, 10, 10);
    EXPECT_EQ(box->GetBiDiMode(), bdRightToLeft);
    Application->SetBiDiMode(bdRightToLeftNoAlign);
    EXPECT_EQ(box->GetBiDiMode(), bdRightToLeftNoAlign);
    panel->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(panel->GetParentBiDiMode());
    EXPECT_EQ(box->GetBiDiMode(), bdLeftToRight);
    panel->SetParentBiDiMode(true);
    EXPECT_EQ(box->GetBiDiMode(), bdRightToLeftNoAlign);

    // DT_LEFT is 0: only full right-to-left swaps left and right; any right-to-left mode reads so.
    const std::tuple<TBiDiMode, UINT, UINT> cases[] = {
        {bdLeftToRight, DT_LEFT, DT_LEFT}, {bdLeftToRight, DT_RIGHT | DT_WORDBREAK, DT_RIGHT | DT_WORDBREAK},
        {bdRightToLeft, DT_LEFT | DT_EXPANDTABS, DT_RIGHT | DT_EXPANDTABS | DT_RTLREADING},
        {bdRightToLeft, DT_RIGHT, DT_LEFT | DT_RTLREADING}, {bdRightToLeft, DT_CENTER, DT_CENTER | DT_RTLREADING},
        {bdRightToLeftNoAlign, DT_LEFT, DT_LEFT | DT_RTLREADING},
        {bdRightToLeftReadingOnly, DT_RIGHT, DT_RIGHT | DT_RTLREADING}};
    for (const auto& [mode, in, out] : cases) {
        box->SetBiDiMode(mode);
        EXPECT_EQ(box->DrawTextBiDiModeFlags(in), out) << mode << " " << in;
    }
}

TEST(WindowClassRegistration, OnlyAnAlreadyRegisteredClassIsNotAFailure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TRegistrationProbe";
    RegisterWindowClass(wc);
    EXPECT_NO_THROW(RegisterWindowClass(wc));
    wc.cbSize = 0;
    try {
        RegisterWindowClass(wc);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(e.ErrorCode, static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
        EXPECT_NE(e.Message.find(L"TRegistrationProbe"), std::wstring::npos);
    }
}

TEST_F(ControlsTest, ConstraintsBoundEverySizeChangeAndApplyAtOnce) {
    TTestForm* form = NewForm(200, 100);
    auto* box = AddControl<TColorBox>(form, 10, 10, 50, 50);
    TSizeConstraints* c = box->GetConstraints();
    c->SetMaxHeight(30);
    EXPECT_EQ(box->GetBoundsRect(), TRect(10, 10, 60, 40));
    c->SetMinWidth(20), c->SetMinHeight(15), c->SetMaxWidth(40);
    for (auto [w, h, ew, eh] : {std::array{100, 100, 40, 30}, {5, 5, 20, 15}, {30, 20, 30, 20}, {-3, 31, 20, 30}}) {
        box->SetBounds(0, 0, w, h);
        EXPECT_EQ(box->GetBoundsRect(), TRect(0, 0, ew, eh)) << w << "x" << h;
    }
    c->SetMinWidth(50);  // above the maximum: raises it
    EXPECT_TRUE(c->GetMaxWidth() == 50 && box->GetWidth() == 50);
    // Aligned: the limits hold, and a lifted one lets the control fill its place again.
    auto* top = AddControl<TColorBox>(form, 0, 0, 10, 5);
    top->GetConstraints()->SetMinHeight(20);
    top->SetAlign(alTop);
    auto* client = AddControl<TColorBox>(form, 0, 0, 10, 10);
    client->GetConstraints()->SetMaxWidth(120);
    client->SetAlign(alClient);
    EXPECT_EQ(client->GetBoundsRect(), TRect(0, 20, 120, 100));
    client->GetConstraints()->SetMaxWidth(0);
    EXPECT_EQ(client->GetBoundsRect(), TRect(0, 20, 200, 100));
    // A window, and a top-level form, which also gives Windows its limits for the user's sizing.
    auto* panel = AddControl<TPanel>(form, 0, 0, 50, 50);
    panel->GetConstraints()->SetMaxWidth(60);
    panel->SetWidth(500);
    EXPECT_EQ(TRect(WindowRect(panel)).Width(), 60);
    form->GetConstraints()->SetMaxWidth(150), form->GetConstraints()->SetMinHeight(80);
    form->SetBounds(0, 0, 300, 10);
    EXPECT_EQ(TRect(WindowRect(form)), TRect(0, 0, 150, 80));
    MINMAXINFO mmi{};
    mmi.ptMaxTrackSize = mmi.ptMaxSize = POINT{5000, 5000};
    SendMessageW(form->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_TRUE(mmi.ptMaxTrackSize.x == 150 && mmi.ptMaxSize.x == 150 && mmi.ptMaxTrackSize.y == 5000);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 80);
}
