// Mouse routing, enter/leave per control, capture, clicks and double clicks, the wheel, the
// cursor and focus.
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

}  // namespace

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
    auto* panel = AddControl<TPanel>(form, 10, 10, 100, 100);
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
    auto* panel = AddControl<TPanel>(form, 10, 10, 100, 100);
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
    auto* edit = AddControl<TPanel>(back, 10, 10, 50, 20);
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

namespace {

// A popup menu that records where it was asked to show.
class TFakeMenu : public TPopupMenuBase {
public:
    FW_CLASSNAME(TFakeMenu)
    using TPopupMenuBase::TPopupMenuBase;
    std::vector<TPoint> Shown;
    void Popup(int X, int Y) override { Shown.push_back(TPoint(X, Y)); }
};

// A shown form with a drag source and two targets, A accepting and R refusing; the events go to
// Log, every step's cursor to Cursors.
class DragTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        Form = NewForm(300, 100);
        Form->Show();
        Source = AddControl<TColorBox>(Form, 10, 10, 40, 40);
        A = AddControl<TColorBox>(Form, 100, 10, 40, 40);
        R = AddControl<TColorBox>(Form, 200, 10, 40, 40);
        Source->SetDragCursor(crHandPoint);
        Source->OnStartDrag = [this](TObject*, TDragObject*& o) { Log.push_back(o ? L"start?" : L"start"); };
        Source->OnEndDrag = [this](TObject*, TObject* t, int x, int y) { Log.push_back(L"end " + Name(t) + At(x, y)); };
        Source->OnStartDock = [this](TObject*, TDragDockObject*&) { Log.push_back(L"startdock"); };
        Source->OnEndDock = [this](TObject*, TObject* t, int x, int y) { Log.push_back(L"enddock " + Name(t) + At(x, y)); };
        Source->OnClick = [this](TObject*) { Log.push_back(L"click"); };
        for (TColorBox* t : {A, R}) {
            t->OnDragOver = [this, t](TObject*, TObject* src, int, int, TDragState s, bool& accept) {
                EXPECT_EQ(src, Source);
                EXPECT_TRUE(accept);
                Log.push_back(Name(t) + (s == dsDragEnter ? L" enter" : s == dsDragLeave ? L" leave" : L" move"));
                accept = t == A;
            };
        }
        A->OnDragDrop = [this](TObject*, TObject* src, int x, int y) {
            EXPECT_EQ(src, Source);
            Log.push_back(L"A drop" + At(x, y));
        };
        Cx = GetSystemMetrics(SM_CXDRAG);
        Cy = GetSystemMetrics(SM_CYDRAG);
    }
    std::wstring Name(TObject* o) const { return o == A ? L"A" : o == R ? L"R" : o ? L"?" : L"-"; }
    static std::wstring At(int x, int y) { return L" " + std::to_wstring(x) + L"," + std::to_wstring(y); }
    HWND H() { return Form->GetHandle(); }
    void Down(int x, int y) { SendMessageW(H(), WM_LBUTTONDOWN, MK_LBUTTON, Pt(x, y)); }
    void Drag(int x, int y) { SendMessageW(H(), WM_MOUSEMOVE, MK_LBUTTON, Pt(x, y)); }
    void Up(int x, int y) { SendMessageW(H(), WM_LBUTTONUP, 0, Pt(x, y)); }
    // Starts an automatic drag of the source, then moves over A.
    void DragToA() {
        Source->SetDragMode(dmAutomatic);
        Down(20, 20);
        Drag(21 + Cx, 20);
        Drag(120, 30);
    }
    TTestForm* Form = nullptr;
    TColorBox *Source = nullptr, *A = nullptr, *R = nullptr;
    int Cx = 0, Cy = 0;
};

using Strings = std::vector<std::wstring>;

}  // namespace

TEST_F(DragTest, DropOnAnAcceptingOrARefusingTarget) {
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), no = LoadCursorW(nullptr, IDC_NO);
    // Defaults: no drag unless asked for.
    EXPECT_EQ(A->GetDragMode(), dmManual);
    EXPECT_EQ(A->GetDragKind(), dkDrag);
    EXPECT_EQ(A->GetDragCursor(), crDrag);
    const struct {
        int X;
        Strings Tail;
    } cases[] = {
        {120, {L"R leave", L"A enter", L"A move", L"A drop 21,21", L"end A 21,21"}},
        {220, {L"R move", L"R move", L"R leave", L"end - 0,0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.X);
        Log.clear();
        DragToA();
        EXPECT_EQ(GetCapture(), H());
        EXPECT_TRUE(Source->Dragging());
        EXPECT_EQ(GetCursor(), hand);
        Drag(220, 30);
        EXPECT_EQ(GetCursor(), no);
        Drag(c.X, 30);
        Up(c.X + 1, 31);
        Strings expected{L"start", L"A enter", L"A leave", L"R enter"};
        expected.insert(expected.end(), c.Tail.begin(), c.Tail.end());
        // No click on the source: the release ended the drag.
        EXPECT_EQ(Log, expected);
        EXPECT_FALSE(Source->Dragging());
        EXPECT_NE(GetCapture(), H());
    }
}

TEST_F(DragTest, EscapeCancelModeAndALostCaptureCancel) {
    TTestForm* other = NewForm(50, 50);
    const struct {
        const char* Name;
        std::function<void()> Cancel;
    } cases[] = {
        {"escape", [&] { SendMessageW(H(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"cancel mode", [&] { SendMessageW(H(), WM_CANCELMODE, 0, 0); }},
        {"lost capture", [&] { SetCapture(other->GetHandle()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        // Started from code, at once.
        Source->BeginDrag(true);
        EXPECT_EQ(GetCapture(), H());
        Drag(120, 30);
        c.Cancel();
        EXPECT_FALSE(Source->Dragging());
        ReleaseCapture();
        Up(120, 30);
        EXPECT_EQ(Log, (Strings{L"start", L"A enter", L"A leave", L"end - 0,0"}));
    }
}

TEST_F(DragTest, WithinTheThresholdAPressIsStillAClick) {
    Source->SetDragMode(dmAutomatic);
    Down(20, 20);
    Drag(20 + Cx, 20 + Cy);
    Up(20 + Cx, 20 + Cy);
    EXPECT_EQ(Log, (Strings{L"click"}));
    EXPECT_FALSE(Source->Dragging());
    // Manual: BeginDrag(false) waits for the same threshold around the cursor.
    Log.clear();
    Source->SetDragMode(dmManual);
    Source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Source->BeginDrag(false); };
    Hover(Form, 20, 20);
    Down(20, 20);
    Drag(20, 20 + Cy);
    EXPECT_TRUE(Log.empty());
    Drag(20, 21 + Cy);
    EXPECT_EQ(Log, (Strings{L"start"}));
    // Released over the source itself, which takes no drops.
    Up(20, 21 + Cy);
    EXPECT_EQ(Log, (Strings{L"start", L"end - 0,0"}));
}

TEST_F(DragTest, ADockDragRaisesTheDockEventsAndTheControlStays) {
    Source->SetDragKind(dkDock);
    DragToA();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NO));
    Up(120, 30);
    EXPECT_EQ(Log, (Strings{L"startdock", L"enddock - 0,0"}));
    EXPECT_EQ(Source->GetBoundsRect(), TRect(10, 10, 50, 50));
    EXPECT_EQ(Source->GetParent(), Form);
}

TEST_F(InputTest, ContextPopupGoesToTheControlUnderTheClickThenItsMenuThenTheParent) {
    TTestForm* form = NewForm(300, 100);
    form->Show();
    auto* box = AddControl<TColorBox>(form, 10, 10, 40, 40);
    auto* panel = AddControl<TPanel>(form, 100, 10, 80, 60);
    auto* menu = new TFakeMenu(form);
    int formPopups = 0;
    form->OnContextPopup = [&](TObject*, TPoint, bool&) { ++formPopups; };
    enum THandler { hNone, hHandles, hLooks };
    const struct {
        bool Windowed;
        THandler Handler;
        bool Menu;
        bool Shown;
        int FormPopups;
    } cases[] = {
        {false, hNone, true, true, 0},  {false, hHandles, true, false, 0}, {false, hLooks, true, true, 0},
        {false, hNone, false, false, 1}, {true, hNone, true, true, 0},     {true, hHandles, true, false, 0},
        {true, hLooks, true, true, 0},  {true, hNone, false, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Windowed << c.Handler << c.Menu);
        TControl* target = c.Windowed ? static_cast<TControl*>(panel) : box;
        target->SetPopupMenu(c.Menu ? menu : nullptr);
        std::vector<TPoint> seen;
        target->OnContextPopup = nullptr;
        if (c.Handler != hNone)
            target->OnContextPopup = [&, c](TObject* sender, TPoint p, bool& handled) {
                EXPECT_EQ(sender, target);
                EXPECT_FALSE(handled);
                seen.push_back(p);
                handled = c.Handler == hHandles;
            };
        menu->Shown.clear();
        formPopups = 0;
        // A right click at (5, 6) of the control, through the window that receives it.
        HWND h = c.Windowed ? panel->GetHandle() : form->GetHandle();
        const TPoint at = c.Windowed ? TPoint(5, 6) : TPoint(15, 16);
        SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, Pt(at.X, at.Y));
        SendMessageW(h, WM_RBUTTONUP, 0, Pt(at.X, at.Y));
        EXPECT_EQ(seen, c.Handler != hNone ? std::vector<TPoint>{TPoint(5, 6)} : std::vector<TPoint>{});
        EXPECT_EQ(menu->Shown, c.Shown ? std::vector<TPoint>{target->ClientToScreen(TPoint(5, 6))} : std::vector<TPoint>{});
        EXPECT_EQ(formPopups, c.FormPopups);
        target->OnContextPopup = nullptr;
    }
    // The menu key opens the menu at the client centre.
    panel->SetPopupMenu(menu);
    menu->Shown.clear();
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
    std::vector<std::wstring> seen;
    for (TControl* c : {static_cast<TControl*>(form), static_cast<TControl*>(box)}) {
        c->OnMouseActivate = [&, c](TObject* sender, TMouseButton b, TShiftState, int x, int y, int hit,
                                    TMouseActivate& ma) {
            EXPECT_EQ(sender, c);
            EXPECT_EQ(b, mbRight);
            EXPECT_EQ(hit, HTCLIENT);
            EXPECT_EQ(ma, maDefault);
            seen.push_back((c == box ? L"box" : L"form") + std::wstring(L" ") + std::to_wstring(x) + L"," +
                           std::to_wstring(y));
            ma = answer;
        };
    }
    const LPARAM l = MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN);
    const struct {
        TMouseActivate Answer;
        LRESULT Result;
    } cases[] = {{maDefault, MA_ACTIVATE},        {maActivateAndEat, MA_ACTIVATEANDEAT},
                 {maNoActivate, MA_NOACTIVATE},    {maNoActivateAndEat, MA_NOACTIVATEANDEAT}};
    Hover(form, 30, 35);
    for (const auto& c : cases) {
        answer = c.Answer;
        EXPECT_EQ(SendMessageW(form->GetHandle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->GetHandle()), l),
                  c.Result);
    }
    EXPECT_EQ(seen, std::vector<std::wstring>(4, L"box 10,15"));
    // Beside the windowless control the form answers.
    seen.clear();
    Hover(form, 150, 80);
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->GetHandle()), l),
              MA_NOACTIVATEANDEAT);
    EXPECT_EQ(seen, std::vector<std::wstring>{L"form 150,80"});
}
