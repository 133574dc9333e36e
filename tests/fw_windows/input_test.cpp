// Mouse routing, enter/leave per control, capture, clicks and double clicks, the wheel, the
// cursor and focus.
#include "fw_stdctrls.h"
#include "window_fixture.h"

using namespace fw;
using namespace fwtest;

namespace {

class InputTest : public WindowTest {
protected:
    std::vector<std::wstring> Log;
    void Track(TControl* c, const std::wstring& name) {
        c->OnMouseEnter = [this, name](TObject*) { Log.push_back(L"enter " + name); };
        c->OnMouseLeave = [this, name](TObject*) { Log.push_back(L"leave " + name); };
    }
    static void Move(HWND h, int x, int y, WPARAM keys = 0) { SendMessageW(h, WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
};

using Strings = std::vector<std::wstring>;

std::wstring At(int x, int y) { return L" " + std::to_wstring(x) + L"," + std::to_wstring(y); }

// A windowless control that can take the focus; it keeps the keys it is given and eats 'K'.
class TKeyBox : public TColorBox {
public:
    FW_CLASSNAME(TKeyBox)
    explicit TKeyBox(TComponent* AOwner) : TColorBox(AOwner) { SetTabStop(true); }
    std::vector<WORD> Keys;

protected:
    void KeyDown(WORD& Key, TShiftState) override {
        Keys.push_back(Key);
        if (Key == 'K') Key = 0;
    }
};

// Presses Tab (with Shift when asked) in the focused window, through the application's loop.
void PressTab(bool Shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = Shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    Pump(20);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

// A popup menu that records where it was asked to show.
class TFakeMenu : public TPopupMenuBase {
public:
    FW_CLASSNAME(TFakeMenu)
    using TPopupMenuBase::TPopupMenuBase;
    std::vector<TPoint> Shown;
    void Popup(int X, int Y) override { Shown.push_back(TPoint(X, Y)); }
};

// A shown form with a drag source S and two targets, A accepting and R refusing; events go to Log.
class DragTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        Form = NewForm(300, 100);
        Form->Show();
        S = AddControl<TColorBox>(Form, 10, 10, 40, 40);
        A = AddControl<TColorBox>(Form, 100, 10, 40, 40);
        R = AddControl<TColorBox>(Form, 200, 10, 40, 40);
        S->SetDragCursor(crHandPoint);
        S->OnStartDrag = [this](TObject*, TDragObject*&) { Log.push_back(L"start"); };
        S->OnStartDock = [this](TObject*, TDragDockObject*&) { Log.push_back(L"startdock"); };
        S->OnEndDrag = [this](TObject*, TObject* t, int x, int y) { Log.push_back(L"end " + Name(t) + At(x, y)); };
        S->OnEndDock = [this](TObject*, TObject* t, int x, int y) { Log.push_back(L"enddock " + Name(t) + At(x, y)); };
        S->OnClick = [this](TObject*) { Log.push_back(L"click"); };
        for (TColorBox* t : {A, R})
            t->OnDragOver = [this, t](TObject*, TObject* src, int, int, TDragState s, bool& accept) {
                EXPECT_TRUE(src == S && accept);
                Log.push_back(Name(t) + (s == dsDragEnter ? L" enter" : s == dsDragLeave ? L" leave" : L" move"));
                accept = t == A;
            };
        A->OnDragDrop = [this](TObject*, TObject*, int x, int y) { Log.push_back(L"A drop" + At(x, y)); };
    }
    std::wstring Name(TObject* o) const { return o == A ? L"A" : o == R ? L"R" : o ? L"?" : L"-"; }
    void Mouse(UINT Msg, int x, int y) {
        SendMessageW(Form->GetHandle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, Pt(x, y));
    }
    // An automatic drag of S, moved onto A.
    void DragToA() {
        S->SetDragMode(dmAutomatic);
        Mouse(WM_LBUTTONDOWN, 20, 20);
        Mouse(WM_MOUSEMOVE, 21 + Cx, 20);
        Mouse(WM_MOUSEMOVE, 120, 30);
    }
    TTestForm* Form = nullptr;
    TColorBox *S = nullptr, *A = nullptr, *R = nullptr;
    const int Cx = GetSystemMetrics(SM_CXDRAG), Cy = GetSystemMetrics(SM_CYDRAG);
};

}  // namespace

TEST_F(InputTest, TabWalksTheTabStopsInTabOrderDepthFirstSkippingHiddenAndDisabledAndWraps) {
    TTestForm* form = NewForm(300, 200);
    auto* edit = AddControl<TEdit>(form, 5, 5, 60, 20);
    auto* panel = AddControl<fwtest::TPanel>(form, 5, 30, 200, 60);
    auto* b1 = AddControl<TKeyBox>(panel, 0, 0, 20, 20);
    auto* b2 = AddControl<TKeyBox>(panel, 30, 0, 20, 20);
    AddControl<TKeyBox>(panel, 60, 0, 20, 20)->SetTabStop(false);
    AddControl<TKeyBox>(panel, 90, 0, 20, 20)->SetVisible(false);
    AddControl<TKeyBox>(panel, 120, 0, 20, 20)->SetEnabled(false);
    auto* offPanel = AddControl<fwtest::TPanel>(form, 5, 100, 100, 40);
    AddControl<TEdit>(offPanel, 0, 0, 50, 20);
    offPanel->SetEnabled(false);
    auto* memo = AddControl<TMemo>(form, 5, 150, 100, 40);
    // Explicit positions: the memo second among the form's children, b2 first in the panel.
    memo->SetTabOrder(1);
    b2->SetTabOrder(0);
    for (TKeyBox* b : {b1, b2}) {
        const std::wstring n = b == b1 ? L"b1" : L"b2";
        b->OnEnter = [this, n](TObject*) { Log.push_back(L"enter " + n); };
        b->OnExit = [this, n](TObject*) { Log.push_back(L"exit " + n); };
    }
    form->Show();
    form->SetFocus();
    edit->SetFocus();
    Pump(50);
    auto walk = [&](bool shift) {
        Strings w;
        for (int i = 0; i < 4; ++i) {
            PressTab(shift);
            w.push_back(edit->Focused() ? L"edit" : memo->Focused() ? L"memo" : b1->Focused() ? L"b1" : b2->Focused() ? L"b2" : L"?");
        }
        return w;
    };
    EXPECT_EQ(walk(false), (Strings{L"memo", L"b2", L"b1", L"edit"}));
    EXPECT_EQ(Log, (Strings{L"enter b2", L"exit b2", L"enter b1", L"exit b1"}));
    EXPECT_EQ(memo->GetText(), L"");  // the multi-line edit moved the focus on instead of taking the tab
    EXPECT_EQ(walk(true), (Strings{L"b1", L"b2", L"memo", L"edit"}));

    // Keys in the panel reach its focused windowless control first; one it eats goes no further.
    std::vector<WORD> panelKeys;
    panel->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { panelKeys.push_back(Key); };
    b1->SetFocus();
    for (WORD k : {'K', 'J'}) SendMessageW(panel->GetHandle(), WM_KEYDOWN, k, 1);
    EXPECT_EQ(b1->Keys, (std::vector<WORD>{'K', 'J'}));
    EXPECT_EQ(panelKeys, std::vector<WORD>{'J'});
    EXPECT_TRUE(b2->Keys.empty());
}

TEST_F(InputTest, AClickFocusesAWindowlessTabStopWhichShowsTheFocusCueAndAClickElsewhereTakesIt) {
    TTestForm* form = NewForm(200, 100);
    auto* box = AddControl<TKeyBox>(form, 10, 10, 30, 30);
    auto* plain = AddControl<TKeyBox>(form, 60, 10, 30, 30);
    plain->SetTabStop(false);
    form->Show();
    form->SetFocus();
    Pump(50);
    // The cue: pixels inside the box that are no longer its own red.
    auto cuePixels = [&] { return 30 * 30 - Render(form)->CountColor(RECT{10, 10, 40, 40}, RGB(255, 0, 0)); };
    EXPECT_EQ(cuePixels(), 0);
    Click(form, 20, 20);
    EXPECT_TRUE(box->Focused());
    EXPECT_GT(cuePixels(), 0);
    Click(form, 70, 20);
    EXPECT_FALSE(box->Focused() || plain->Focused());
    EXPECT_EQ(cuePixels(), 0);
    // A hidden box holds no focus even when it was the one remembered.
    box->SetFocus();
    EXPECT_TRUE(box->Focused());
    box->SetVisible(false);
    EXPECT_FALSE(box->Focused());
}

TEST_F(InputTest, LeavingWhileAButtonIsHeldStillLeavesAndMovesStayCaptured) {
    TTestForm* form = NewForm(200, 100);
    form->Show();
    auto* child = AddControl<TColorBox>(form, 50, 20, 40, 40);
    Track(form, L"form");
    Track(child, L"child");
    TPoint lastMove;
    int clicks = 0;
    child->OnMouseMove = [&](TObject*, TShiftState, int x, int y) { lastMove = TPoint(x, y); };
    child->OnClick = [&](TObject*) { ++clicks; };
    HWND h = form->GetHandle();
    Move(h, 60, 30);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    EXPECT_EQ(TMouseTracker::CaptureControl(), child);
    Log.clear();
    Move(h, 150, 80, MK_LBUTTON);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"leave child", L"enter form"}));
    // The captured control gets the move, in its own coordinates.
    EXPECT_EQ(lastMove, TPoint(100, 60));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(150, 80));
    EXPECT_EQ(clicks, 0);  // released outside
    EXPECT_NE(GetCapture(), h);
    // A press and release inside clicks.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(61, 31));
    EXPECT_EQ(clicks, 1);
}

TEST_F(InputTest, ALateLeaveOfTheParentWindowDoesNotClearTheChildJustEntered) {
    TTestForm* form = NewForm(200, 150);
    auto* panel = AddControl<fwtest::TPanel>(form, 10, 10, 100, 100);
    Track(form, L"form");
    Track(panel, L"panel");
    Move(form->GetHandle(), 150, 120);
    Move(panel->GetHandle(), 5, 5);
    SendMessageW(form->GetHandle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(TMouseTracker::ControlUnderMouse(), panel);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"enter form", L"leave form", L"enter panel"}));
}

TEST_F(InputTest, AControlDestroyedOrHiddenUnderTheMouseIsForgottenSilently) {
    TTestForm* form = NewForm(200, 100);
    auto* a = AddControl<TColorBox>(form, 0, 0, 50, 50);
    Track(a, L"a");
    Move(form->GetHandle(), 10, 10);
    ASSERT_EQ(TMouseTracker::ControlUnderMouse(), a);
    a->SetVisible(false);
    EXPECT_EQ(TMouseTracker::ControlUnderMouse(), nullptr);
    a->SetVisible(true);
    Move(form->GetHandle(), 11, 11);
    Log.clear();
    a->Free();
    EXPECT_EQ(TMouseTracker::ControlUnderMouse(), nullptr);
    EXPECT_TRUE(Log.empty());
}

// A control without csDoubleClicks takes the second press of a double click as a press.
TEST_F(InputTest, DoubleClickOnAControlWithoutDoubleClicksIsTwoPresses) {
    TTestForm* form = NewForm(200, 100);
    auto* plain = AddControl<TColorBox>(form, 0, 0, 50, 50);
    plain->SetControlStyle(plain->GetControlStyle() & ~static_cast<TControlStyle>(csDoubleClicks));
    auto* dbl = AddControl<TColorBox>(form, 100, 0, 50, 50);
    std::vector<std::wstring> log;
    for (TControl* c : {static_cast<TControl*>(plain), static_cast<TControl*>(dbl)}) {
        c->OnMouseDown = [&log](TObject*, TMouseButton, TShiftState s, int, int) {
            log.push_back(s.Contains(ssDouble) ? L"double down" : L"down");
        };
        c->OnClick = [&log](TObject*) { log.push_back(L"click"); };
        c->OnDblClick = [&log](TObject*) { log.push_back(L"dblclick"); };
        const LPARAM at = MAKELPARAM(c->GetLeft() + 10, 10);
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(form->GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    EXPECT_EQ(log, (std::vector<std::wstring>{L"down", L"click", L"down", L"click", L"down", L"click", L"double down",
                                              L"dblclick"}));
}

TEST_F(InputTest, OneWheelNotchReachesTheParentOnce) {
    TTestForm* form = NewForm(200, 150);
    auto* panel = AddControl<fwtest::TPanel>(form, 10, 10, 100, 100);
    int formWheels = 0, panelWheels = 0;
    form->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        ++formWheels;
        EXPECT_EQ(delta, -120);
        handled = true;
    };
    panel->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { ++panelWheels; };
    SendMessageW(panel->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(20, 20));
    EXPECT_EQ(panelWheels, 1);
    EXPECT_EQ(formWheels, 1);
    // Handled by the control: the parent sees nothing.
    panel->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; };
    SendMessageW(panel->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(20, 20));
    EXPECT_EQ(formWheels, 1);
}

TEST_F(InputTest, SetCursorUsesTheScreensOrTheDeepestControlsCursor) {
    TTestForm* form = NewForm(200, 100);
    form->Show();
    AddControl<TColorBox>(form, 20, 20, 40, 40)->SetCursor(crHandPoint);
    form->SetCursor(crSizeWE);
    HWND h = form->GetHandle();
    auto cursorAt = [&](int x, int y) {
        TPoint sp = form->ClientToScreen(TPoint(x, y));
        SetCursorPos(sp.X, sp.Y);
        EXPECT_EQ(SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
        return GetCursor();
    };
    EXPECT_EQ(cursorAt(30, 30), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(cursorAt(150, 80), LoadCursorW(nullptr, IDC_SIZEWE));
    // The screen's cursor overrides every control's.
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(cursorAt(150, 80), LoadCursorW(nullptr, IDC_WAIT));
    Screen->SetCursor(crDefault);
}

TEST_F(InputTest, FocusOnABackgroundFormWaitsForItsActivation) {
    TTestForm* back = NewForm(200, 100);
    auto* edit = AddControl<fwtest::TPanel>(back, 10, 10, 50, 20);
    back->Show();
    TTestForm* front = NewForm(200, 100);
    front->SetBounds(300, 0, 200, 100);
    front->Show();
    front->SetFocus();
    Pump(50);
    ASSERT_EQ(GetActiveWindow(), front->GetHandle());
    int enters = 0;
    edit->OnEnter = [&](TObject*) { ++enters; };
    edit->SetFocus();
    EXPECT_EQ(GetActiveWindow(), front->GetHandle());
    EXPECT_FALSE(edit->Focused());
    EXPECT_EQ(back->GetActiveControl(), edit);
    back->SetFocus();
    Pump(50);
    EXPECT_EQ(GetActiveWindow(), back->GetHandle());
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(enters, 1);
}

TEST_F(DragTest, DropOnAnAcceptingOrARefusingTargetWithTheCursorShowingTheAnswer) {
    EXPECT_TRUE(A->GetDragMode() == dmManual && A->GetDragKind() == dkDrag && A->GetDragCursor() == crDrag);
    // Released over A (accepting) or R (refusing), after visiting both.
    const std::pair<int, Strings> cases[] = {{120, {L"R leave", L"A enter", L"A move", L"A drop 21,21", L"end A 21,21"}},
                                             {220, {L"R move", L"R move", L"R leave", L"end - 0,0"}}};
    for (const auto& [x, tail] : cases) {
        Log.clear();
        DragToA();
        EXPECT_TRUE(S->Dragging() && GetCapture() == Form->GetHandle());
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
        Mouse(WM_MOUSEMOVE, 220, 30);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NO));
        Mouse(WM_MOUSEMOVE, x, 30);
        Mouse(WM_LBUTTONUP, x + 1, 31);
        Strings expected{L"start", L"A enter", L"A leave", L"R enter"};
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(Log, expected);  // and no click of S
        EXPECT_TRUE(!S->Dragging() && GetCapture() != Form->GetHandle());
    }
}

TEST_F(DragTest, EscapeCancelModeAndALostCaptureCancel) {
    HWND other = NewForm(50, 50)->GetHandle(), h = Form->GetHandle();
    for (const std::function<void()>& cancel : std::vector<std::function<void()>>{
             [&] { SendMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0); }, [&] { SendMessageW(h, WM_CANCELMODE, 0, 0); },
             [&] { SetCapture(other); }}) {
        Log.clear();
        S->BeginDrag(true);
        EXPECT_EQ(GetCapture(), h);
        Mouse(WM_MOUSEMOVE, 120, 30);
        // Ended by the cancel itself, before anything else (a lost capture) could end it.
        cancel();
        EXPECT_FALSE(S->Dragging());
        const Strings cancelled{L"start", L"A enter", L"A leave", L"end - 0,0"};
        EXPECT_EQ(Log, cancelled);
        // The release that follows drops nothing.
        ReleaseCapture();
        Mouse(WM_LBUTTONUP, 120, 30);
        EXPECT_EQ(Log, cancelled);
    }
}

TEST_F(DragTest, WithinTheThresholdAPressIsAClickAndADockDragLeavesTheControlInPlace) {
    S->SetDragMode(dmAutomatic);
    Mouse(WM_LBUTTONDOWN, 20, 20);
    Mouse(WM_MOUSEMOVE, 20 + Cx, 20 + Cy);
    Mouse(WM_LBUTTONUP, 20 + Cx, 20 + Cy);
    EXPECT_EQ(Log, (Strings{L"click"}));
    // Manual: BeginDrag(false) waits for the same threshold around the cursor.
    Log.clear();
    S->SetDragMode(dmManual);
    S->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { S->BeginDrag(false); };
    Hover(Form, 20, 20);
    Mouse(WM_LBUTTONDOWN, 20, 20);
    Mouse(WM_MOUSEMOVE, 20, 20 + Cy);
    EXPECT_TRUE(Log.empty());
    Mouse(WM_MOUSEMOVE, 20, 21 + Cy);
    Mouse(WM_LBUTTONUP, 20, 21 + Cy);  // over S, which takes no drops
    EXPECT_EQ(Log, (Strings{L"start", L"end - 0,0"}));
    // A dock drag: no dock sites, so no target and the control stays.
    Log.clear();
    S->OnMouseDown = nullptr;
    S->SetDragKind(dkDock);
    DragToA();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NO));
    Mouse(WM_LBUTTONUP, 120, 30);
    EXPECT_EQ(Log, (Strings{L"startdock", L"enddock - 0,0"}));
    EXPECT_EQ(S->GetBoundsRect(), TRect(10, 10, 50, 50));
}

TEST_F(InputTest, ContextPopupGoesToTheControlUnderTheClickThenItsMenuThenTheParent) {
    TTestForm* form = NewForm(300, 100);
    form->Show();
    auto* box = AddControl<TColorBox>(form, 10, 10, 40, 40);
    auto* panel = AddControl<fwtest::TPanel>(form, 100, 10, 80, 60);
    auto* menu = new TFakeMenu(form);
    int formPopups = 0;
    form->OnContextPopup = [&](TObject*, TPoint, bool&) { ++formPopups; };
    // Handler: 0 none, 1 handles, 2 only looks.
    const struct {
        bool Windowed;
        int Handler;
        bool Menu, Shown;
    } cases[] = {{false, 0, true, true}, {false, 1, true, false}, {false, 2, true, true}, {false, 0, false, false},
                 {true, 0, true, true},  {true, 1, true, false},  {true, 2, true, true},  {true, 0, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Windowed << c.Handler << c.Menu);
        TControl* target = c.Windowed ? static_cast<TControl*>(panel) : box;
        target->SetPopupMenu(c.Menu ? menu : nullptr);
        std::vector<TPoint> seen;
        target->OnContextPopup = nullptr;
        if (c.Handler)
            target->OnContextPopup = [&, c](TObject*, TPoint p, bool& handled) {
                EXPECT_FALSE(handled);
                seen.push_back(p);
                handled = c.Handler == 1;
            };
        menu->Shown.clear();
        formPopups = 0;
        // A right click at (5, 6) of the control, through the window that receives it.
        HWND h = c.Windowed ? panel->GetHandle() : form->GetHandle();
        const int x = c.Windowed ? 5 : 15, y = c.Windowed ? 6 : 16;
        SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, Pt(x, y));
        SendMessageW(h, WM_RBUTTONUP, 0, Pt(x, y));
        EXPECT_EQ(seen, c.Handler ? std::vector<TPoint>{TPoint(5, 6)} : std::vector<TPoint>{});
        EXPECT_EQ(menu->Shown, c.Shown ? std::vector<TPoint>{target->ClientToScreen(TPoint(5, 6))} : std::vector<TPoint>{});
        EXPECT_EQ(formPopups, c.Menu ? 0 : 1);
    }
    // The menu key opens the menu at the client centre; a freed menu is forgotten.
    panel->SetPopupMenu(menu);
    SendMessageW(panel->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->GetHandle()), -1);
    EXPECT_EQ(menu->Shown, std::vector<TPoint>{panel->ClientToScreen(TPoint(40, 30))});
    menu->Free();
    EXPECT_EQ(panel->GetPopupMenu(), nullptr);
}

TEST_F(InputTest, TheMouseActivationAnswerOfTheControlUnderTheCursorReachesWindows) {
    TTestForm* form = NewForm(200, 100);
    form->Show();
    auto* box = AddControl<TColorBox>(form, 20, 20, 40, 40);
    TMouseActivate answer = maDefault;
    Strings seen;
    for (TControl* c : {static_cast<TControl*>(form), static_cast<TControl*>(box)})
        c->OnMouseActivate = [&, c](TObject*, TMouseButton b, TShiftState, int x, int y, int hit, TMouseActivate& ma) {
            EXPECT_TRUE(b == mbRight && hit == HTCLIENT && ma == maDefault);
            seen.push_back((c == box ? L"box" : L"form") + At(x, y));
            ma = answer;
        };
    const LPARAM l = MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN);
    const WPARAM w = reinterpret_cast<WPARAM>(form->GetHandle());
    Hover(form, 30, 35);
    for (auto [a, result] : std::initializer_list<std::pair<TMouseActivate, LRESULT>>{
             {maDefault, MA_ACTIVATE}, {maActivateAndEat, MA_ACTIVATEANDEAT},
             {maNoActivate, MA_NOACTIVATE}, {maNoActivateAndEat, MA_NOACTIVATEANDEAT}}) {
        answer = a;
        EXPECT_EQ(SendMessageW(form->GetHandle(), WM_MOUSEACTIVATE, w, l), result);
    }
    EXPECT_EQ(seen, Strings(4, L"box 10,15"));
    // Beside the windowless control the form answers.
    Hover(form, 150, 80);
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_MOUSEACTIVATE, w, l), MA_NOACTIVATEANDEAT);
    EXPECT_EQ(seen.back(), L"form 150,80");
}
