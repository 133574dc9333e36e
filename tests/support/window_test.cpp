#include "window_test.h"

namespace testsupport {

void ParkMouse() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        fw::Application->ProcessMessages();
        Sleep(1);
    } while (GetTickCount64() < end);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        fw::Application->ProcessMessages();
        if (done()) return true;
        if (GetTickCount64() >= end) return done();
        Sleep(1);
    }
}

std::unique_ptr<DibSurface> Render(fw::TWinControl* Control, uint32_t fill) {
    auto dib = std::make_unique<DibSurface>(Control->GetWidth(), Control->GetHeight(), fill);
    Control->PaintTo(dib->Dc(), 0, 0);
    return dib;
}

LRESULT Send(fw::TControl* Control, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (auto* w = dynamic_cast<fw::TWinControl*>(Control)) return SendMessageW(w->GetHandle(), Msg, WParam, LParam);
    return Control->Perform(Msg, WParam, LParam);
}

namespace {

UINT DownMessage(WPARAM Button) {
    return Button == MK_RBUTTON ? WM_RBUTTONDOWN : Button == MK_MBUTTON ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
}

}  // namespace

void MouseMove(fw::TControl* Control, int x, int y, WPARAM Keys) { Send(Control, WM_MOUSEMOVE, Keys, Pt(x, y)); }

void Hover(fw::TWinControl* Control, int x, int y) {
    POINT p{x, y};
    ClientToScreen(Control->GetHandle(), &p);
    SetCursorPos(p.x, p.y);
    MouseMove(Control, x, y);
}

void MouseDown(fw::TControl* Control, int x, int y, WPARAM Button, WPARAM Keys) {
    Send(Control, DownMessage(Button), Button | Keys, Pt(x, y));
}

void MouseUp(fw::TControl* Control, int x, int y, WPARAM Button, WPARAM Keys) {
    // WM_xBUTTONUP follows WM_xBUTTONDOWN in every button's message numbers.
    Send(Control, DownMessage(Button) + 1, Keys, Pt(x, y));
}

void Click(fw::TControl* Control, int x, int y, WPARAM Button, WPARAM Keys) {
    // A handler of the press may free the control (a button closing its form).
    const std::shared_ptr<bool> alive = Control->AliveToken();
    MouseMove(Control, x, y, Keys);
    MouseDown(Control, x, y, Button, Keys);
    if (*alive) MouseUp(Control, x, y, Button, Keys);
}

WindowTest::Holder::Holder(fw::TComponent* C) : Obj(C) {
    if (auto* ctl = dynamic_cast<fw::TControl*>(C)) Alive = ctl->AliveToken();
}

void WindowTest::SetUp() {
    fw::Application->Initialize();
    fw::Application->ClearTerminated();
    fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
    ParkMouse();
    Pump(10);
    fw::TMouseTracker::SetControlUnderMouse(nullptr);
}

void WindowTest::Later(DWORD DelayMs, std::function<void()> Action) {
    if (LaterTimer) LaterTimer->Free();
    LaterTimer = new fw::TTimer(nullptr);
    LaterTimer->SetEnabled(false);
    LaterTimer->SetInterval(DelayMs);
    LaterTimer->SetOnTimer([this, Action](fw::TObject*) {
        LaterTimer->SetEnabled(false);
        Action();
    });
    LaterTimer->SetEnabled(true);
}

void WindowTest::TearDown() {
    if (LaterTimer) LaterTimer->Free();
    LaterTimer = nullptr;
    for (auto it = Owned.rbegin(); it != Owned.rend(); ++it)
        if (!it->Alive || *it->Alive) it->Obj->Free();
    Owned.clear();
    Pump(20);
    fw::TMouseTracker::SetControlUnderMouse(nullptr);
    fw::Application->CancelHint();
    // Back to the system's work area, in case a test pinned one.
    fw::Screen->SetWorkAreaRect(fw::TRect());
    fw::Application->OnException = nullptr;
    fw::Application->OnMessage = nullptr;
    // A quit message posted by a test must not end the next one.
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    fw::Application->ClearTerminated();
    EXPECT_TRUE(Errors.empty()) << FirstError();
}

}  // namespace testsupport
