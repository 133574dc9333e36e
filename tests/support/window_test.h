// Shared set-up of the tests that make windows: an initialised application whose errors are
// collected instead of shown, the real mouse parked away from the test windows, plain forms made
// in code and freed after the test, rendering into a bitmap, mouse messages, and pumping
// through the framework's own message loop.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fw_forms.h"
#include "fw_timer.h"
#include "test_support.h"

namespace testsupport {

// A plain form made in code; counts how often its client area was painted.
class TPlainForm : public fw::TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
    int PaintWindowCount = 0;
    void PaintWindow(HDC DC) override {
        ++PaintWindowCount;
        fw::TForm::PaintWindow(DC);
    }
};

// Moves the real mouse to the screen's bottom-right corner, where no test window lies, so it
// cannot hover (and so change the state of) what a test looks at.
void ParkMouse();

// Dispatches this thread's messages through the framework's loop (so OnMessage, hints and idle
// work run as in the program) for `ms` milliseconds.
void Pump(DWORD ms = 30);
// The same until `done` returns true or `timeoutMs` passes; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

inline LPARAM Pt(int x, int y) { return MAKELPARAM(static_cast<short>(x), static_cast<short>(y)); }

// The control (and its children) painted into a fresh surface of its size, which starts filled
// with `fill` (0xAARRGGBB).
std::unique_ptr<DibSurface> Render(fw::TWinControl* Control, uint32_t fill = 0xFF000000);

// The control's window rectangle on the screen.
inline RECT WindowRect(fw::TWinControl* Control) {
    RECT r{};
    GetWindowRect(Control->GetHandle(), &r);
    return r;
}

// The colour (0x00BBGGRR) of a pixel of a 32-bit bitmap.
inline COLORREF PixelColor(const fw::TBitmap& Bitmap, int x, int y) {
    GdiFlush();
    const uint8_t* px = Bitmap.ScanLine(y) + 4 * x;
    return RGB(px[2], px[1], px[0]);
}

// The size DrawTextW gives the text in the font (DT_CALCRECT added to Flags, wrapped at Width).
inline SIZE MeasureText(fw::TFont* Font, std::wstring Text, UINT Flags, int Width = 0) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    RECT r{0, 0, Width, 0};
    DrawTextW(dc, Text.data(), int(Text.size()), &r, Flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right, r.bottom};
}

// A message to a control: through its real window when it has one (so the framework's window
// plumbing runs), else straight to the windowless control.
LRESULT Send(fw::TControl* Control, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Mouse messages at client point (x, y) of the control. `Button` is MK_LBUTTON, MK_RBUTTON or
// MK_MBUTTON; `Keys` are further MK_ flags held.
void MouseMove(fw::TControl* Control, int x, int y, WPARAM Keys = 0);
// The real cursor put over client point (x, y) of a windowed control, then the move sent to it:
// for code that asks the system where the mouse is.
void Hover(fw::TWinControl* Control, int x, int y);
void MouseDown(fw::TControl* Control, int x, int y, WPARAM Button = MK_LBUTTON, WPARAM Keys = 0);
void MouseUp(fw::TControl* Control, int x, int y, WPARAM Button = MK_LBUTTON, WPARAM Keys = 0);
// Move, press and release at one point.
void Click(fw::TControl* Control, int x, int y, WPARAM Button = MK_LBUTTON, WPARAM Keys = 0);

// A control of class T made, placed at (Left, Top, Width, Height) and put on Parent. Its owner
// (which frees it) is Owner, or the parent when none is given.
template <class T>
T* AddControl(fw::TWinControl* Parent, int Left, int Top, int Width, int Height, fw::TComponent* Owner = nullptr) {
    T* c = new T(Owner ? Owner : Parent);
    c->SetBounds(Left, Top, Width, Height);
    c->SetParent(Parent);
    return c;
}

// Fixture of the window tests. Every error handed to the application is kept in Errors, and a
// test ends with none left (a test that expects errors checks and clears them). After each test
// the hint is cancelled, the work area is the system's again and the application's handlers and
// quit state are reset. Forms from
// NewForm and components given to Own are freed after the test, last first, unless a test freed
// them already.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A borderless form of that client size and colour at (Left, Top), not yet shown.
    template <class T = TPlainForm>
    T* NewForm(int Width = 200, int Height = 150, fw::TColor Color = fw::clWhite, int Left = 0, int Top = 0) {
        T* f = fw::TForm::CreateNew<T>(nullptr);
        f->SetBorderStyle(fw::bsNone);
        f->SetBounds(Left, Top, Width, Height);
        f->SetColor(Color);
        Own(f);
        return f;
    }
    // Frees the component after the test: a control only if it still exists then; any other
    // component must have no owner that frees it first.
    template <class T>
    T* Own(T* Component) {
        Owned.push_back(Holder(Component));
        return Component;
    }
    // Runs Action once, DelayMs from now (a one-shot framework timer, so it also fires inside a
    // modal loop the test starts next); a second call replaces the first.
    void Later(DWORD DelayMs, std::function<void()> Action);
    // The first error as a test message.
    std::string FirstError() const { return Errors.empty() ? std::string() : Narrow(Errors.front()); }

    std::vector<std::wstring> Errors;

private:
    struct Holder {
        explicit Holder(fw::TComponent* C);
        fw::TComponent* Obj;
        std::shared_ptr<bool> Alive;  // controls only: false once freed elsewhere
    };
    std::vector<Holder> Owned;
    fw::TTimer* LaterTimer = nullptr;
};

}  // namespace testsupport
