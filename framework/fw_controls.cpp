#include "fw_controls.h"

#include "fw_handles.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace fw {

namespace {

TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;
HWND gTrackedWnd = nullptr;
TBiDiMode gApplicationBiDiMode = bdLeftToRight;


// Binds a control canvas to a device context for one paint and lets go of it afterwards.
class CanvasBinding {
public:
    CanvasBinding(TCanvas* canvas, HDC dc, TFont* font) : canvas_(canvas) {
        canvas_->Lock();
        canvas_->SetHandle(dc);
        if (font) canvas_->GetFont()->Assign(font);
    }
    ~CanvasBinding() {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    CanvasBinding(const CanvasBinding&) = delete;
    CanvasBinding& operator=(const CanvasBinding&) = delete;

private:
    TCanvas* canvas_;
};

std::set<std::wstring>& RegisteredClasses() {
    static std::set<std::wstring> s;
    return s;
}

template <class E, class... Args>
void Fire(const E& ev, Args&&... args) {
    E copy = ev;
    if (copy) copy(std::forward<Args>(args)...);
}

}  // namespace

// One drag at a time: from the press (or BeginDrag) until the drop or the cancel. Defined with
// the drag-and-drop code at the end of this file.
class TDragDriver {
public:
    // A press of an automatic-mode control: the drag starts once the mouse leaves the system's
    // drag threshold around Origin (screen).
    static void Arm(TControl* Source, const TPoint& Origin);
    static void Begin(TControl* Source, bool Immediate, int Threshold);
    // Drop (on an accepting target) or cancel; a drag still waiting for its threshold just ends.
    static void Finish(bool Drop);
    static bool IsSource(const TControl* Control);
    // Called by the window procedure before the control: true when the drag took the message.
    static bool Filter(HWND Wnd, TMessage& Message);

private:
    static void Prepare(TControl* Source, const TPoint& Origin, int Threshold);
    static void Start(const TPoint& ScreenPos);
    static void Move(const TPoint& ScreenPos);
    static void ShowCursor();
};

// ---------------------------------------------------------------------------------------------

HCURSOR CursorHandle(TCursor Cursor) {
    const wchar_t* id = IDC_ARROW;
    switch (Cursor) {
        case crNone: return nullptr;
        case crCross: id = IDC_CROSS; break;
        case crIBeam: id = IDC_IBEAM; break;
        case crSizeNESW: id = IDC_SIZENESW; break;
        case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
        case crSizeNWSE: id = IDC_SIZENWSE; break;
        case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
        case crUpArrow: id = IDC_UPARROW; break;
        case crHourGlass: id = IDC_WAIT; break;
        case crNo: case crNoDrop: id = IDC_NO; break;
        case crAppStart: id = IDC_APPSTARTING; break;
        case crHelp: id = IDC_HELP; break;
        case crHandPoint: id = IDC_HAND; break;
        case crSizeAll: id = IDC_SIZEALL; break;
        default: id = IDC_ARROW; break;
    }
    HCURSOR c = LoadCursorW(nullptr, id);
    return c ? c : LoadCursorW(nullptr, IDC_ARROW);
}

namespace {
TCursor gGlobalCursor = crDefault;
}

TCursor GetGlobalCursor() {
    return gGlobalCursor;
}

void SetGlobalCursor(TCursor Value) {
    gGlobalCursor = Value;
}

TShiftState MouseKeysToShift(WPARAM Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s.Include(ssShift);
    if (Keys & MK_CONTROL) s.Include(ssCtrl);
    if (Keys & MK_LBUTTON) s.Include(ssLeft);
    if (Keys & MK_RBUTTON) s.Include(ssRight);
    if (Keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (KeyData & 0x20000000) s.Include(ssAlt);
    return s;
}

// ---------------------------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() {
    SetHandle(nullptr);
}

void TControlCanvas::CreateHandle() {
    // Outside painting a canvas still measures text: a screen-compatible context with the font.
    if (!FOwnDC) FOwnDC.Reset(CreateCompatibleDC(nullptr));
    SetHandle(FOwnDC.Get());
    if (FControl && FControl->GetFont()) GetFont()->Assign(FControl->GetFont());
}

// ---------------------------------------------------------------------------------------------
// Mouse tracking

std::function<void(TControl*)>& TMouseTracker::OnMouseControlChanged() {
    static std::function<void(TControl*)> f;
    return f;
}

TControl* TMouseTracker::ControlUnderMouse() {
    return gMouseControl;
}

TControl* TMouseTracker::CaptureControl() {
    return gCaptureControl;
}

static TWinControl* WindowOf(TControl* c) {
    if (!c) return nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(c)) return w;
    return c->GetParent();
}

// The top of a control's tree: its outermost windowed parent (itself for a parentless window),
// nullptr for a windowless control without a parent.
static TWinControl* TopLevelControl(TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) return w->TopParent();
    return c && c->GetParent() ? c->GetParent()->TopParent() : nullptr;
}

void TMouseTracker::SetControlUnderMouse(TControl* Control) {
    if (Control == gMouseControl) return;
    TControl* old = gMouseControl;
    gMouseControl = Control;
    std::shared_ptr<bool> newAlive = Control ? Control->AliveToken() : nullptr;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (Control && *newAlive && gMouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
    auto hook = OnMouseControlChanged();
    if (hook) hook(gMouseControl);
}

void TMouseTracker::MouseMoved(TWinControl* Receiver, const TPoint& ClientPos) {
    TControl* target = nullptr;
    TRect cr = Receiver->GetClientRect();
    if (cr.Contains(ClientPos)) {
        TControl* c = Receiver->ControlAtPos(ClientPos, true);
        target = c ? c : Receiver;
    } else {
        // A captured move outside the window: whatever lies under the point.
        TPoint sp = Receiver->ClientToScreen(ClientPos);
        TWinControl* wc = FindControl(WindowFromPoint(sp));
        if (wc && wc != Receiver) {
            TPoint cp = wc->ScreenToClient(sp);
            if (wc->GetClientRect().Contains(cp)) {
                TControl* c = wc->ControlAtPos(cp, true);
                target = c ? c : wc;
            }
        }
    }
    HWND wnd = Receiver->HandleAllocated() ? Receiver->GetHandle() : nullptr;
    if (wnd && gTrackedWnd != wnd && cr.Contains(ClientPos)) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = wnd;
        if (TrackMouseEvent(&tme)) gTrackedWnd = wnd;
    }
    SetControlUnderMouse(target);
}

void TMouseTracker::MouseLeftWindow(TWinControl* Receiver) {
    if (Receiver->HandleAllocated() && gTrackedWnd == Receiver->GetHandle()) gTrackedWnd = nullptr;
    // While the window holds the capture its moves keep coming; the release recomputes.
    if (Receiver->HandleAllocated() && GetCapture() == Receiver->GetHandle()) return;
    // Only the window's own control or one of its windowless children is cleared: the first move
    // in a child window may arrive before the parent's leave.
    TControl* c = gMouseControl;
    if (!c) return;
    if (c == Receiver || (c->GetParent() == Receiver && !dynamic_cast<TWinControl*>(c))) SetControlUnderMouse(nullptr);
}

void TMouseTracker::Forget(TControl* Control) {
    if (!Control) return;
    auto within = [Control](TControl* c) {
        for (TControl* p = c; p; p = p->GetParent())
            if (p == Control) return true;
        return false;
    };
    if (gMouseControl && within(gMouseControl)) {
        gMouseControl = nullptr;
        auto hook = OnMouseControlChanged();
        if (hook) hook(nullptr);
    }
    if (gCaptureControl && within(gCaptureControl)) {
        gCaptureControl = nullptr;
    }
}

void TMouseTracker::SetCaptureControl(TControl* Control) {
    gCaptureControl = nullptr;
    if (!Control) {
        if (GetCapture()) ReleaseCapture();
        return;
    }
    TWinControl* w = WindowOf(Control);
    if (!w || !w->HandleAllocated()) return;
    if (GetCapture() != w->GetHandle()) SetCapture(w->GetHandle());
    gCaptureControl = Control;
}

TWinControl* FindControl(HWND Wnd) {
    if (!Wnd) return nullptr;
    return static_cast<TWinControl*>(FindWindowObject(Wnd));
}

TControl* FindDragTarget(const TPoint& ScreenPos, bool AllowDisabled) {
    TWinControl* w = FindControl(WindowFromPoint(ScreenPos));
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(ScreenPos), AllowDisabled);
    return c ? c : w;
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
    FBiDiMode = gApplicationBiDiMode;
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() {
    *FAlive = false;
    TMouseTracker::Forget(this);
    if (FParent) FParent->RemoveControl(this);
    if (FFont) FFont->OnChange = nullptr;
}

void TControl::DestroyingResources() {
    TMouseTracker::Forget(this);
    if (FParent) SetParent(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    TWndMethodProc proc = WindowProc;  // a handler may replace WindowProc while it runs
    if (proc) proc(m);
    return m.Result;
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw Exception(L"A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::AdjustRequestedSize(int& AWidth, int& AHeight) {
    if (FAutoSize) {
        int w = AWidth, h = AHeight;
        if (CanAutoSize(w, h)) {
            AWidth = w;
            AHeight = h;
        }
    }
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    FConstraints->Constrain(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = FWidth;
        AHeight = FHeight;
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AdjustRequestedSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    TRect old = GetBoundsRect();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    BoundsChanged(old);
}

void TControl::BoundsChanged(const TRect& OldBounds) {
    // Never paints synchronously: bounds change inside Paint.
    if (FParent && FParent->HandleAllocated() && FVisible) {
        RECT o = OldBounds;
        InvalidateRect(FParent->GetHandle(), &o, TRUE);
        RECT n = GetBoundsRect();
        InvalidateRect(FParent->GetHandle(), &n, !(FControlStyle & csOpaque));
    }
    if (FParent && FAlign != alNone && !FParent->FAligning) FParent->Realign();
    if (OldBounds.Width() != FWidth || OldBounds.Height() != FHeight) Resize();
}

TRect TControl::GetClientRect() const {
    return TRect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int Value) {
    SetWidth(Value + (FWidth - GetClientWidth()));
}

void TControl::SetClientHeight(int Value) {
    SetHeight(Value + (FHeight - GetClientHeight()));
}

TPoint TControl::ClientOrigin() const {
    if (!FParent) return TPoint(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& P) const {
    TPoint o = ClientOrigin();
    return TPoint(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& P) const {
    TPoint o = ClientOrigin();
    return TPoint(P.X - o.X, P.Y - o.Y);
}

bool TControl::Showing() const {
    if (!FVisible) return false;
    if (FParent) return FParent->Showing();
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return w->HandleAllocated() && IsWindowVisible(const_cast<TWinControl*>(w)->GetHandle());
    return false;
}

void TControl::SetVisible(bool Value) {
    if (Value == FVisible) return;
    if (!Value) TMouseTracker::Forget(this);
    FVisible = Value;
    InvalidateControl(true, false);
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const std::wstring& Value) {
    if (Value == GetTextValue()) return;
    SetTextValue(Value);
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetTextValue(const std::wstring& Value) {
    FText = Value;
}

void TControl::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    if (Value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    if (Value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged() {
    // A font set on the control itself ends its following of the parent's font; a copy of the
    // parent's font (FUpdatingFont) keeps it.
    if (!FUpdatingFont) FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
    FShowHint = Value;
    FParentShowHint = false;
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        for (TControl* c : std::vector<TControl*>(w->FControls)) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        for (TWinControl* c : std::vector<TWinControl*>(w->FWinControls)) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
}

void TControl::SetParentShowHint(bool Value) {
    FParentShowHint = Value;
    if (Value && FParent) FShowHint = FParent->FShowHint;
}

void TControl::SetCursor(TCursor Value) {
    FCursor = Value;
}

void TControl::SetAlign(TAlign Value) {
    if (Value == FAlign) return;
    FAlign = Value;
    if (FParent) FParent->Realign();
}

void TControl::SetAnchors(TAnchors Value) {
    FAnchors = Value;
}

void TControl::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    if (Value) SetBounds(FLeft, FTop, FWidth, FHeight);
}

bool TControl::CanAutoSize(int& NewWidth, int& NewHeight) {
    (void)NewWidth;
    (void)NewHeight;
    return false;
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    (void)NewWidth;
    (void)NewHeight;
    return true;
}

void TControl::Resize() {
    Fire(OnResize, this);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT r = GetBoundsRect();
    InvalidateRect(FParent->GetHandle(), &r, !IsOpaque);
}

void TControl::Invalidate() {
    InvalidateControl(FVisible, (FControlStyle & csOpaque) != 0);
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    if (FControlStyle & csOpaque) {
        // Straight onto the parent's device context: this control and the windowless controls
        // above it, without repainting the parent beneath.
        TWindowDC dc(FParent->GetHandle());
        if (!dc) return;
        IntersectClipRect(dc.Get(), FLeft, FTop, FLeft + FWidth, FTop + FHeight);
        FParent->PaintControls(dc.Get(), this);
    } else {
        Invalidate();
        Update();
    }
}

void TControl::BringToFront() {
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        if (w->FHandle) SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    if (!FParent) return;
    auto& v = FParent->FControls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) {
        v.erase(it);
        v.push_back(this);
        Invalidate();
    }
}

void TControl::SendToBack() {
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        if (w->FHandle) SetWindowPos(w->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    if (!FParent) return;
    auto& v = FParent->FControls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) {
        v.erase(it);
        v.insert(v.begin(), this);
        Invalidate();
    }
}

bool TControl::GetMouseCapture() const {
    return gCaptureControl == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (Value == GetMouseCapture()) return;
    TMouseTracker::SetCaptureControl(Value ? this : nullptr);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseDown, this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    Fire(OnMouseMove, this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseUp, this, Button, Shift, X, Y);
}

void TControl::Click() {
    Fire(OnClick, this);
}

void TControl::DblClick() {
    Fire(OnDblClick, this);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    Fire(OnMouseWheel, this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

namespace {

TMouseButton MouseButtonOf(UINT Msg) {
    switch (Msg) {
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return mbRight;
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return mbMiddle;
        default: return mbLeft;
    }
}

}  // namespace

void TControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            WMMouse(Message);
            return;
        case WM_MOUSEWHEEL:
            // Never to the default window procedure: it forwards the wheel to the parent window,
            // which the framework does itself (once).
            Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
            return;
        case CM_MOUSEWHEEL: CMMouseWheel(Message); return;
        case CM_MOUSEENTER: Fire(OnMouseEnter, this); return;
        case CM_MOUSELEAVE: Fire(OnMouseLeave, this); return;
        case CM_FONTCHANGED: case CM_COLORCHANGED: case CM_ENABLEDCHANGED: Invalidate(); return;
        case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); return;
        case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); return;
        case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); return;
        case CM_ENTER: Fire(OnEnter, this); return;
        case CM_EXIT: Fire(OnExit, this); return;
        case CM_BIDIMODECHANGED: Invalidate(); return;
        case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); return;
        case WM_CONTEXTMENU: WMContextMenu(Message); return;
        default: DefaultHandler(Message);
    }
}

// The default processing runs first; an event handler may free the control, so the steps after
// it check that it still lives.
void TControl::WMMouse(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    const TShiftState shift = MouseKeysToShift(Message.WParam);
    const TMouseButton button = MouseButtonOf(Message.Msg);
    const int x = Message.XPos(), y = Message.YPos();
    const bool doubleClicks = (FControlStyle & csDoubleClicks) != 0;
    DefaultHandler(Message);
    if (!*alive) return;
    switch (Message.Msg) {
        case WM_MOUSEMOVE:
            MouseMove(shift, x, y);
            return;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            if (doubleClicks) {
                ButtonDoubleClicked(button, shift, x, y);
                return;
            }
            // A control without double clicks sees the second press of a quick pair as a press.
            [[fallthrough]];
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            ButtonPressed(button, shift, x, y);
            return;
        default:
            ButtonReleased(button, shift, x, y);
            return;
    }
}

void TControl::ButtonPressed(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        // A press on a windowless TabStop control focuses it; a press anywhere else takes the
        // focus from the form's windowless control (a window that takes the focus does so too).
        std::shared_ptr<bool> alive = FAlive;
        if (!dynamic_cast<TWinControl*>(this) && FTabStop && CanFocus())
            SetFocus();
        else if (TWinControl* top = TopLevelControl(this))
            top->SetFocusedWindowless(nullptr);
        if (!*alive) return;
        if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
        if (FControlStyle & csClickEvents) FControlState |= csClicked;
        if (FDragMode == dmAutomatic) TDragDriver::Arm(this, ClientToScreen(TPoint(X, Y)));
    }
    MouseDown(Button, Shift, X, Y);
}

void TControl::ButtonDoubleClicked(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = FAlive;
    if (Button == mbLeft && (FControlStyle & csCaptureMouse)) SetMouseCapture(true);
    MouseDown(Button, Shift | TShiftState(ssDouble), X, Y);
    if (*alive && Button == mbLeft && (FControlStyle & csClickEvents)) DblClick();
}

void TControl::ButtonReleased(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = FAlive;
    if (Button == mbLeft) {
        if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
        if (FControlState & csClicked) {
            FControlState &= ~static_cast<TControlState>(csClicked);
            if (GetClientRect().Contains(TPoint(X, Y))) {
                Click();
                if (!*alive) return;
            }
        }
    }
    MouseUp(Button, Shift, X, Y);
}

void TControl::CMMouseWheel(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    TShiftState shift = MouseKeysToShift(LOWORD(Message.WParam));
    int delta = static_cast<short>(HIWORD(Message.WParam));
    TPoint pos(Message.XPos(), Message.YPos());
    if (DoMouseWheel(shift, delta, pos))
        Message.Result = 1;
    else if (*alive && FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
    else
        Message.Result = 0;
}

void TControl::CMParentFontChanged(TMessage& Message) {
    (void)Message;
    if (!FParentFont || !FParent) return;
    FUpdatingFont = true;
    try {
        FFont->Assign(FParent->GetFont());
    } catch (...) {
        FUpdatingFont = false;
        throw;
    }
    FUpdatingFont = false;
}

void TControl::CMParentColorChanged(TMessage& Message) {
    (void)Message;
    if (!FParentColor || !FParent) return;
    FColor = FParent->GetColor();
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage& Message) {
    (void)Message;
    if (!FParentShowHint || !FParent) return;
    FShowHint = FParent->GetShowHint();
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        for (TControl* c : std::vector<TControl*>(w->FControls)) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        for (TWinControl* c : std::vector<TWinControl*>(w->FWinControls)) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    (void)Message;
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        if (dc) {
            CanvasBinding bind(FCanvas.get(), dc, FFont.get());
            Paint();
        }
        Message.Result = 0;
        return;
    }
    TControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    *FAlive = false;
    TMouseTracker::Forget(this);
    if (FHandle) {
        // No message may reach the half-destroyed object.
        HWND h = FHandle;
        FHandle = nullptr;
        UnbindWindowObject(h);
        DestroyWindow(h);
    }
    // Leaves the parent while it is still known to be windowed (a bare delete skips Free()).
    if (FParent) FParent->RemoveControl(this);
    for (TControl* c : std::vector<TControl*>(FControls)) c->FParent = nullptr;
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->FParent = nullptr;
}

void TWinControl::DestroyingResources() {
    // Children go with their parent, whoever owns them.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        c->Free();
        if (!FControls.empty() && FControls.back() == c) FControls.pop_back();
    }
    while (!FWinControls.empty()) {
        TWinControl* c = FWinControls.back();
        c->Free();
        if (!FWinControls.empty() && FWinControls.back() == c) FWinControls.pop_back();
    }
    TMouseTracker::Forget(this);
    if (FParent) SetParent(nullptr);
    DestroyHandle();
}

HWND TWinControl::GetHandle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();
    if (!FHandle) CreateWnd();
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    FControlState |= csDestroyingHandle;
    DestroyWnd();
    FControlState &= ~static_cast<TControlState>(csDestroyingHandle);
}

void TWinControl::DestroyWnd() {
    HWND h = FHandle;
    if (!h) return;
    DestroyWindow(h);
    // WM_NCDESTROY unbound the handle; a foreign DestroyWindow failure leaves it to us.
    if (FHandle == h) {
        UnbindWindowObject(h);
        FHandle = nullptr;
    }
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = FText;
    Params.Style = WS_CLIPSIBLINGS;
    if (FControlStyle & csAcceptsControls) Params.Style |= WS_CLIPCHILDREN;
    if (FParent)
        Params.Style |= WS_CHILD;
    else
        Params.Style |= WS_POPUP;
    if (FVisible && FParent) Params.Style |= WS_VISIBLE;
    if (!FEnabled) Params.Style |= WS_DISABLED;
    Params.ExStyle = 0;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent ? FParent->GetHandle() : nullptr;
    Params.WindowClassStyle = CS_DBLCLKS;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (!RegisteredClasses().count(p.WinClassName)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!p.SysClassName.empty()) {
            WNDCLASSEXW sys{};
            sys.cbSize = sizeof(sys);
            if (!GetClassInfoExW(nullptr, p.SysClassName.c_str(), &sys)) RaiseLastOSError();
            wc = sys;
            wc.cbSize = sizeof(wc);
            wc.hInstance = inst;
        }
        wc.style = p.WindowClassStyle | (p.SysClassName.empty() ? 0 : wc.style);
        wc.lpfnWndProc = FwWindowProc;
        wc.hInstance = inst;
        if (!wc.hCursor) wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = p.WindowClassBackground;
        wc.lpszClassName = p.WinClassName.c_str();
        wc.lpszMenuName = nullptr;
        RegisterWindowClass(wc);
        RegisteredClasses().insert(p.WinClassName);
    }
    if (!p.SysClassName.empty() && !FDefWndProc) {
        WNDCLASSEXW sys{};
        sys.cbSize = sizeof(sys);
        if (GetClassInfoExW(nullptr, p.SysClassName.c_str(), &sys)) FDefWndProc = sys.lpfnWndProc;
    }
    SetCreatingWindowObject(this);
    HWND h = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                             p.Height, p.WndParent, nullptr, inst, nullptr);
    DWORD err = GetLastError();
    SetCreatingWindowObject(nullptr);
    if (!h) RaiseLastOSError(err);
    if (FHandle != h) {
        FHandle = h;
        BindWindowObject(h, this);
    }
    if (FFont && (FDefWndProc != nullptr)) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), 0);
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls))
        if (c->FParent == this) c->HandleNeeded();
    UpdateBoundsFromWindow();
    CreateHandleDone();
}

TControl* TWinControl::GetControl(int Index) const {
    if (Index < 0 || Index >= GetControlCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    size_t i = static_cast<size_t>(Index);
    if (i < FControls.size()) return FControls[i];
    return FWinControls[i - FControls.size()];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FWinControls.push_back(w);
    } else {
        FControls.push_back(AControl);
    }
    AControl->FParent = this;
    FTabList.push_back(AControl);
    if (AControl->FTabOrder >= 0) AControl->SetTabOrder(AControl->FTabOrder);
    if (AControl->FParentBiDiMode) AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    if (FAlignSize.X < 0) {
        TRect cr = GetClientRect();
        FAlignSize = TPoint(cr.Width(), cr.Height());
    }
    if (AControl->FParentFont) AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (AControl->FParentColor) AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (AControl->FParentShowHint) AControl->FShowHint = FShowHint;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        if (FHandle) {
            if (w->FHandle)
                ::SetParent(w->FHandle, FHandle);
            else
                w->HandleNeeded();
        }
    } else {
        AControl->Invalidate();
    }
    if (AControl->FAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    TMouseTracker::Forget(AControl);
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), AControl), FTabList.end());
    AControl->FTabOrder = -1;
    // A focused windowless control leaving the tree is forgotten without messages.
    TWinControl* top = TopParent();
    for (TControl* p = top->FFocusedWindowless; p && top->FFocusedWindowlessAlive && *top->FFocusedWindowlessAlive;
         p = p->FParent) {
        if (p != AControl) continue;
        top->FFocusedWindowless = nullptr;
        top->FFocusedWindowlessAlive = nullptr;
        break;
    }
    // Looked up in both lists: during a destructor the dynamic type no longer tells which.
    auto wit = std::find(FWinControls.begin(), FWinControls.end(), AControl);
    if (wit != FWinControls.end()) {
        TWinControl* w = *wit;
        FWinControls.erase(wit);
        if (w->FHandle) w->DestroyHandle();
    }
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it != FControls.end()) {
        AControl->Invalidate();
        FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
    }
    AControl->FParent = nullptr;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!c->FVisible) continue;
        if (!AllowDisabled && !c->FEnabled) continue;
        if (c->GetBoundsRect().Contains(Pos)) return c;
    }
    return nullptr;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!FHandle) {
        TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
        return;
    }
    AdjustRequestedSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBoundsFromWindow();
}

TPoint TWinControl::WindowPosToParentClient(const RECT& WindowRect) const {
    POINT p{WindowRect.left, WindowRect.top};
    if (FParent && FParent->FHandle) ::ScreenToClient(FParent->FHandle, &p);
    return TPoint(p.x, p.y);
}

void TWinControl::UpdateBoundsFromWindow() {
    if (!FHandle || IsIconic(FHandle)) return;
    RECT wr;
    if (!GetWindowRect(FHandle, &wr)) return;
    TPoint p = WindowPosToParentClient(wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if (p.X == FLeft && p.Y == FTop && w == FWidth && h == FHeight) return;
    TRect old = GetBoundsRect();
    FLeft = p.X;
    FTop = p.Y;
    FWidth = w;
    FHeight = h;
    BoundsChanged(old);
}

void TWinControl::BoundsChanged(const TRect& OldBounds) {
    if (FParent && FAlign != alNone && !FParent->FAligning) FParent->Realign();
    Realign();
    if (OldBounds.Width() != FWidth || OldBounds.Height() != FHeight) Resize();
}

TRect TWinControl::GetClientRect() const {
    if (FHandle) {
        RECT r;
        if (::GetClientRect(FHandle, &r)) return TRect(r);
    }
    return TRect(0, 0, FWidth, FHeight);
}

TPoint TWinControl::ClientOrigin() const {
    if (FHandle) {
        POINT p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return TPoint(p.x, p.y);
    }
    return TControl::ClientOrigin();
}

void TWinControl::Realign() {
    TRect cr = GetClientRect();
    TPoint newSize(cr.Width(), cr.Height());
    if (FAlignSize.X < 0) FAlignSize = newSize;
    if (FAligning) return;
    FAligning = true;
    try {
        AlignControls(cr);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
    FAlignSize = newSize;
}

void TWinControl::AlignControls(TRect& Rect) {
    int dx = Rect.Width() - FAlignSize.X;
    int dy = Rect.Height() - FAlignSize.Y;
    std::vector<TControl*> all(FControls.begin(), FControls.end());
    all.insert(all.end(), FWinControls.begin(), FWinControls.end());
    // Anchors: distances to the anchored edges are kept when the client size changes.
    if (dx != 0 || dy != 0) {
        for (TControl* c : all) {
            if (c->FAlign != alNone) continue;
            int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
            if (c->FAnchors & akRight) {
                if (c->FAnchors & akLeft)
                    w += dx;
                else
                    l += dx;
            } else if (!(c->FAnchors & akLeft)) {
                l += dx / 2;
            }
            if (c->FAnchors & akBottom) {
                if (c->FAnchors & akTop)
                    h += dy;
                else
                    t += dy;
            } else if (!(c->FAnchors & akTop)) {
                t += dy / 2;
            }
            if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight) c->SetBounds(l, t, w, h);
        }
    }
    TRect r = Rect;
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : all) {
            if (c->FAlign != a || !c->FVisible) continue;
            switch (a) {
                case alTop:
                    c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
                    r.Top += c->FHeight;
                    break;
                case alBottom:
                    c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
                    r.Bottom -= c->FHeight;
                    break;
                case alLeft:
                    c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
                    r.Left += c->FWidth;
                    break;
                case alRight:
                    c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
                    r.Right -= c->FWidth;
                    break;
                case alClient:
                    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                    break;
                default:
                    break;
            }
        }
    }
}

void TWinControl::SetVisible(bool Value) {
    if (Value == FVisible) return;
    if (!Value) TMouseTracker::Forget(this);
    FVisible = Value;
    if (FHandle) {
        ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
    } else if (Value && FParent && FParent->FHandle) {
        HandleNeeded();
    }
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TWinControl::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    if (FHandle) EnableWindow(FHandle, Value);
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TWinControl::SetTextValue(const std::wstring& Value) {
    FText = Value;
    if (FHandle) SetWindowTextW(FHandle, Value.c_str());
}

std::wstring TWinControl::GetTextValue() const {
    if (FHandle && FDefWndProc) {
        int n = GetWindowTextLengthW(FHandle);
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        int got = GetWindowTextW(FHandle, s.data(), n + 1);
        s.resize(static_cast<size_t>(got > 0 ? got : 0));
        return s;
    }
    return FText;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->GetParent())
        if (!c->GetVisible() || !c->GetEnabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
    TWinControl* top = TopParent();
    HandleNeeded();
    if (top != this && top->FHandle && GetActiveWindow() != top->FHandle) {
        // A background form is not pulled forward: the control gets the focus when its form is
        // activated.
        top->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
        return;
    }
    ::SetFocus(FHandle);
}

void TWinControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, !(FControlStyle & csOpaque));
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::PaintWindow(HDC DC) {
    // Standard controls paint themselves into a given context.
    if (FDefWndProc) {
        TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
        DefaultHandler(m);
    }
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    TControl* focused = FocusedChild();
    std::vector<TControl*> list = FControls;
    size_t i = 0;
    if (First) {
        auto it = std::find(list.begin(), list.end(), First);
        if (it != list.end()) i = static_cast<size_t>(it - list.begin());
    }
    for (; i < list.size(); ++i) {
        TControl* c = list[i];
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        if (!c->FVisible) continue;
        RECT b = c->GetBoundsRect();
        if (!RectVisible(DC, &b)) continue;
        if (FControlState & csPaintCopy) c->FControlState |= csPaintCopy;
        {
            TSavedDC saved(DC);
            OffsetViewportOrgEx(DC, c->FLeft, c->FTop, nullptr);
            IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
            // Every windowless control shows the focus the same way, drawn over its paint.
            if (c == focused && !(FControlState & csPaintCopy)) {
                RECT fr{1, 1, c->FWidth - 1, c->FHeight - 1};
                ::SetTextColor(DC, RGB(0, 0, 0));
                ::SetBkColor(DC, RGB(255, 255, 255));
                DrawFocusRect(DC, &fr);
            }
        }
        c->FControlState &= ~static_cast<TControlState>(csPaintCopy);
    }
}

void TWinControl::PaintHandler(HDC PaintDC, const TRect& UpdateRect) {
    (void)UpdateRect;
    {
        TSavedDC saved(PaintDC);
        // Opaque windowless children paint all their pixels: the parent does not paint under them.
        for (TControl* c : FControls) {
            if (c->FVisible && (c->FControlStyle & csOpaque))
                ExcludeClipRect(PaintDC, c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight);
        }
        PaintWindow(PaintDC);
    }
    PaintControls(PaintDC, nullptr);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    TSavedDC saved(DC);
    OffsetViewportOrgEx(DC, X, Y, nullptr);
    TRect cr = GetClientRect();
    IntersectClipRect(DC, 0, 0, cr.Width(), cr.Height());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    // Windowed children bottom first: in the windows' z-order when they exist.
    std::vector<TWinControl*> order;
    if (FHandle) {
        for (HWND w = GetWindow(FHandle, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            auto it = std::find(FWinControls.begin(), FWinControls.end(), FindControl(w));
            if (it != FWinControls.end()) order.insert(order.begin(), *it);
        }
        for (TWinControl* c : FWinControls)
            if (std::find(order.begin(), order.end(), c) == order.end()) order.insert(order.begin(), c);
    } else {
        order = FWinControls;
    }
    for (TWinControl* c : order) {
        if (c->FVisible) c->PaintTo(DC, c->FLeft, c->FTop);
    }
}

bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
    TKeyEvent ev = OnKeyDown;
    if (ev) ev(this, Key, Shift);
    return Key == 0;
}

bool TWinControl::DoKeyUp(WORD& Key, TShiftState Shift) {
    TKeyEvent ev = OnKeyUp;
    if (ev) ev(this, Key, Shift);
    return Key == 0;
}

bool TWinControl::DoKeyPress(wchar_t& Key) {
    TKeyPressEvent ev = OnKeyPress;
    if (ev) ev(this, Key);
    return Key == 0;
}

bool TWinControl::RouteMouseToChild(TMessage& M) {
    TControl* target = nullptr;
    TPoint p(M.XPos(), M.YPos());
    if (gCaptureControl && GetCapture() == FHandle) {
        if (gCaptureControl == this) return false;
        if (gCaptureControl->FParent == this && !dynamic_cast<TWinControl*>(gCaptureControl)) target = gCaptureControl;
    }
    if (!target && !(gCaptureControl == this)) target = ControlAtPos(p, false);
    if (!target) return false;
    LPARAM l = MAKELPARAM(static_cast<short>(p.X - target->FLeft), static_cast<short>(p.Y - target->FTop));
    M.Result = target->Perform(M.Msg, M.WParam, l);
    return true;
}

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_PAINT: WMPaint(Message); return;
        case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
        case WM_MOUSEMOVE: WMMouseMove(Message); return;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: WMButtonUp(Message); return;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
            if (!RouteMouseToChild(Message)) TControl::WndProc(Message);
            return;
        case WM_MOUSELEAVE:
            TMouseTracker::MouseLeftWindow(this);
            DefaultHandler(Message);
            return;
        case WM_CANCELMODE: WMCancelMode(Message); return;
        case WM_CAPTURECHANGED: WMCaptureChanged(Message); return;
        case WM_SETCURSOR: WMSetCursor(Message); return;
        case WM_PRINTCLIENT: WMPrintClient(Message); return;
        case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); return;
        case WM_SETFOCUS: WMSetFocus(Message); return;
        case WM_KILLFOCUS: WMKillFocus(Message); return;
        case CM_ENTER: Fire(OnEnter, this); return;
        case CM_EXIT: Fire(OnExit, this); return;
        case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(Message); return;
        case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(Message); return;
        case WM_CHAR: WMChar(Message); return;
        case WM_COMMAND: case WM_NOTIFY:
        case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORDLG: case WM_CTLCOLORMSGBOX:
        case WM_HSCROLL: case WM_VSCROLL: case WM_DRAWITEM: case WM_MEASUREITEM:
            ReflectToChild(Message);
            return;
        case CM_FONTCHANGED: CMFontChanged(Message); return;
        case CM_COLORCHANGED: CMColorChanged(Message); return;
        case CM_ENABLEDCHANGED: Invalidate(); return;
        case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); return;
        case CM_DIALOGCHAR:
            // Offered to the visible children, depth first, until one takes it.
            for (TControl* c : std::vector<TControl*>(FTabList)) {
                if (!c->FVisible) continue;
                Message.Result = c->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
                if (Message.Result) return;
            }
            return;
        case WM_SYSCHAR:
            // An Alt+character a control took as its accelerator is no error: no beep.
            if (TopParent()->DialogChar(static_cast<wchar_t>(Message.WParam))) {
                Message.Result = 0;
                return;
            }
            TControl::WndProc(Message);
            return;
        case WM_CONTEXTMENU: RouteContextMenu(Message); return;
        case WM_MOUSEACTIVATE: WMMouseActivate(Message); return;
        case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); return;
        default: TControl::WndProc(Message);
    }
}

TWinControl* TWinControl::TopParent() const {
    TWinControl* top = const_cast<TWinControl*>(this);
    while (top->FParent) top = top->FParent;
    return top;
}

void TWinControl::WMPaint(TMessage& Message) {
    if (HDC given = reinterpret_cast<HDC>(Message.WParam)) {
        PaintHandler(given, TRect());
        Message.Result = 0;
        return;
    }
    if (!FHandle) return;
    TPaintDC dc(FHandle);
    TRect r(dc.UpdateRect());
    if (FDoubleBuffered) {
        if (r.IsEmpty()) return;
        PaintBuffered(dc.Get(), r);
    } else {
        PaintHandler(dc.Get(), r);
    }
    Message.Result = 0;
}

void TWinControl::PaintBuffered(HDC DC, const TRect& UpdateRect) {
    const TRect& r = UpdateRect;
    TMemoryDC mem(DC, r.Width(), r.Height());
    SetWindowOrgEx(mem.Get(), r.Left, r.Top, nullptr);
    // Through WindowProc: a class (or a hook) may answer the erase itself.
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()), reinterpret_cast<LPARAM>(mem.Get()));
    PaintHandler(mem.Get(), r);
    BitBlt(DC, r.Left, r.Top, r.Width(), r.Height(), mem.Get(), r.Left, r.Top, SRCCOPY);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    if (FDefWndProc) {
        TControl::WndProc(Message);
        return;
    }
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    // The buffered paint erases its own memory bitmap; any other context is filled.
    if (FDoubleBuffered && FHandle && WindowFromDC(dc) == FHandle) {
        Message.Result = 1;
        return;
    }
    if (FColor != clNone && FColor != clDefault) {
        const RECT r = GetClientRect();
        TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(FColor)));
        ::FillRect(dc, &r, brush.Get());
    }
    Message.Result = 1;
}

void TWinControl::WMMouseMove(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    TMouseTracker::MouseMoved(this, TPoint(Message.XPos(), Message.YPos()));
    if (!*alive || RouteMouseToChild(Message)) return;
    TControl::WndProc(Message);
}

void TWinControl::WMButtonUp(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    TPoint p(Message.XPos(), Message.YPos());
    if (!RouteMouseToChild(Message)) {
        TControl::WndProc(Message);
    } else if (*alive && Message.Msg == WM_RBUTTONUP) {
        // The default processing turns the release into WM_CONTEXTMENU, which then reaches the
        // windowless child under the point (once: the child's own handling has no default).
        const LRESULT r = Message.Result;
        DefaultHandler(Message);
        Message.Result = r;
    }
    // The capture may be gone: what lies under the pointer now gets enter/leave.
    if (*alive && gCaptureControl == nullptr) TMouseTracker::MouseMoved(this, p);
}

void TWinControl::WMCancelMode(TMessage& Message) {
    // A modal loop or menu takes over the mouse: no click may complete afterwards.
    FControlState &= ~static_cast<TControlState>(csClicked);
    for (TControl* c : FControls) c->FControlState &= ~static_cast<TControlState>(csClicked);
    if (gCaptureControl && WindowOf(gCaptureControl) == this) TMouseTracker::SetCaptureControl(nullptr);
    DefaultHandler(Message);
}

void TWinControl::WMCaptureChanged(TMessage& Message) {
    if (gCaptureControl && reinterpret_cast<HWND>(Message.LParam) != FHandle) {
        TWinControl* w = WindowOf(gCaptureControl);
        if (w == this) gCaptureControl = nullptr;
    }
    DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    if (gGlobalCursor != crDefault) {
        ::SetCursor(CursorHandle(gGlobalCursor));
        Message.Result = 1;
        return;
    }
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
        TCursor cur = FCursor;
        POINT pt;
        if (GetCursorPos(&pt)) {
            TPoint cp = ScreenToClient(TPoint(pt.x, pt.y));
            TControl* c = ControlAtPos(cp, true);
            if (c && c->FCursor != crDefault) cur = c->FCursor;
        }
        if (cur != crDefault) {
            ::SetCursor(CursorHandle(cur));
            Message.Result = 1;
            return;
        }
    }
    TControl::WndProc(Message);
}

void TWinControl::WMPrintClient(TMessage& Message) {
    // How AnimateWindow and PrintWindow capture the window's picture.
    if (FDefWndProc) {
        TControl::WndProc(Message);
        return;
    }
    PaintTo(reinterpret_cast<HDC>(Message.WParam), 0, 0);
    Message.Result = 0;
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    DefaultHandler(Message);
    if (*alive) UpdateBoundsFromWindow();
}

void TWinControl::WMSetFocus(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    DefaultHandler(Message);
    if (!*alive) return;
    TWinControl* top = TopParent();
    if (top != this) top->Perform(CM_FOCUSCHANGED, 1, reinterpret_cast<LPARAM>(this));
    if (*alive) Perform(CM_ENTER, 0, 0);
    if (!*alive) return;
    // The remembered windowless control is focused again when its window is; focus that went to
    // another window forgets it.
    if (TControl* fc = top->GetFocusedWindowless()) {
        if (fc->FParent == this) {
            fc->Perform(CM_ENTER, 0, 0);
            if (*alive && fc == top->GetFocusedWindowless()) fc->Invalidate();
        } else {
            top->FFocusedWindowless = nullptr;
            top->FFocusedWindowlessAlive = nullptr;
        }
    }
}

void TWinControl::WMKillFocus(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    DefaultHandler(Message);
    if (*alive) Perform(CM_EXIT, 0, 0);
    if (!*alive) return;
    if (TControl* fc = TopParent()->GetFocusedWindowless(); fc && fc->FParent == this) {
        std::shared_ptr<bool> fcAlive = fc->AliveToken();
        fc->Perform(CM_EXIT, 0, 0);
        if (*fcAlive) fc->Invalidate();
    }
}

// The key handlers below hand the key on to the default processing unless an event consumed it
// (set it to 0); an event may also change it.
void TWinControl::WMKeyDown(TMessage& Message) {
    WORD key = static_cast<WORD>(Message.WParam);
    TWinControl* top = TopParent();
    if (top != this && top->PreviewKey(Message.Msg, key, KeyDataToShiftState(Message.LParam))) return;
    if (!KeyToFocusedChild(true, key, Message.LParam)) return;
    if (DoKeyDown(key, KeyDataToShiftState(Message.LParam))) return;
    Message.WParam = key;
    TControl::WndProc(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    WORD key = static_cast<WORD>(Message.WParam);
    if (!KeyToFocusedChild(false, key, Message.LParam)) return;
    if (DoKeyUp(key, KeyDataToShiftState(Message.LParam))) return;
    Message.WParam = key;
    TControl::WndProc(Message);
}

bool TWinControl::KeyToFocusedChild(bool Down, WORD& Key, LPARAM KeyData) {
    TControl* fc = FocusedChild();
    if (!fc) return true;
    std::shared_ptr<bool> alive = FAlive;
    const TShiftState shift = KeyDataToShiftState(KeyData);
    if (Down)
        fc->KeyDown(Key, shift);
    else
        fc->KeyUp(Key, shift);
    return *alive && Key != 0;
}

void TWinControl::WMChar(TMessage& Message) {
    wchar_t ch = static_cast<wchar_t>(Message.WParam);
    std::shared_ptr<bool> alive = FAlive;
    if (TControl* fc = FocusedChild()) {
        fc->KeyPress(ch);
        if (!*alive || ch == 0) return;
    }
    if (DoKeyPress(ch)) return;
    // A character the window does not take (no edit has the focus) may be an accelerator.
    if (!*alive) return;
    if (!WantsChars() && TopParent()->DialogChar(ch)) return;
    if (!*alive) return;
    Message.WParam = ch;
    TControl::WndProc(Message);
}

void TWinControl::ReflectToChild(TMessage& Message) {
    // Reflected to the child control that sent it.
    HWND child = nullptr;
    if (Message.Msg == WM_NOTIFY)
        child = reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom;
    else if (Message.Msg == WM_DRAWITEM)
        child = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem;
    else if (Message.Msg != WM_MEASUREITEM)
        child = reinterpret_cast<HWND>(Message.LParam);
    TWinControl* c = child && child != FHandle ? FindControl(child) : nullptr;
    if (c) {
        Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TControl::WndProc(Message);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::WndProc(Message);
    if (FHandle && FDefWndProc)
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), 1);
    for (TControl* c : std::vector<TControl*>(FControls)) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TWinControl::CMColorChanged(TMessage& Message) {
    TControl::WndProc(Message);
    for (TControl* c : std::vector<TControl*>(FControls)) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!FHandle) return;
    // Framework messages mean nothing to Windows.
    if (Message.Msg >= CM_BASE && Message.Msg < CM_BASE + 0x1000) return;
    if (Message.Msg >= CN_BASE && Message.Msg < CN_BASE + 0x400) {
        if (FDefWndProc)
            Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg - CN_BASE, Message.WParam, Message.LParam);
        return;
    }
    if (FDefWndProc)
        Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
    else
        Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// ---------------------------------------------------------------------------------------------
// Bidirectional mode, keyboard focus of windowless controls, tab order, accelerators

TBiDiMode GetApplicationBiDiMode() {
    return gApplicationBiDiMode;
}

void StoreApplicationBiDiMode(TBiDiMode Value) {
    gApplicationBiDiMode = Value;
}

void TControl::SetBiDiMode(TBiDiMode Value) {
    FParentBiDiMode = false;
    if (Value == FBiDiMode) return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
    if (Value == FParentBiDiMode) return;
    FParentBiDiMode = Value;
    if (Value) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::CMParentBiDiModeChanged(TMessage& Message) {
    (void)Message;
    if (!FParentBiDiMode) return;
    const TBiDiMode mode = FParent ? FParent->FBiDiMode : gApplicationBiDiMode;
    if (mode == FBiDiMode) return;
    FBiDiMode = mode;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
    if (UseRightToLeftAlignment()) {
        // DT_LEFT is 0: "left" is neither DT_RIGHT nor DT_CENTER; centring stays.
        if (Flags & DT_RIGHT)
            Flags &= ~static_cast<UINT>(DT_RIGHT);
        else if (!(Flags & DT_CENTER))
            Flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading()) Flags |= DT_RTLREADING;
    return Flags;
}

void TWinControl::CMBiDiModeChanged(TMessage& Message) {
    (void)Message;
    Invalidate();
    for (TControl* c : std::vector<TControl*>(FTabList)) c->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::SetTabStop(bool Value) {
    FTabStop = Value;
}

int TControl::GetTabOrder() const {
    if (!FParent) return FTabOrder;
    const auto& l = FParent->FTabList;
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TControl::SetTabOrder(int Value) {
    if (!FParent) {
        FTabOrder = Value;
        return;
    }
    auto& l = FParent->FTabList;
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
    if (Value < 0 || Value >= static_cast<int>(l.size()))
        l.push_back(this);
    else
        l.insert(l.begin() + Value, this);
}

bool TControl::CanFocus() const {
    if (!FParent) return false;
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible || !c->FEnabled) return false;
    return true;
}

void TControl::SetFocus() {
    // The parent window takes the real focus; the top-level control remembers this one.
    TWinControl* top = TopLevelControl(this);
    if (!top || !FParent) return;
    std::shared_ptr<bool> alive = FAlive;
    top->SetFocusedWindowless(this);
    if (*alive && FParent && !FParent->Focused()) FParent->SetFocus();
}

bool TControl::Focused() const {
    if (!FParent) return false;
    TWinControl* top = TopLevelControl(const_cast<TControl*>(this));
    return top && top->GetFocusedWindowless() == this && FParent->Focused() && CanFocus();
}

TControl* TWinControl::GetFocusedWindowless() const {
    if (!FFocusedWindowless || !FFocusedWindowlessAlive || !*FFocusedWindowlessAlive) return nullptr;
    return FFocusedWindowless;
}

TControl* TWinControl::FocusedChild() const {
    TControl* fc = TopParent()->GetFocusedWindowless();
    // Hidden or disabled (itself or a parent), it takes no keys and shows no focus.
    return fc && fc->FParent == this && fc->CanFocus() ? fc : nullptr;
}

void TWinControl::SetFocusedWindowless(TControl* Control) {
    TControl* old = GetFocusedWindowless();
    if (old == Control) return;
    TControl* oldHolder = old ? old->FParent : nullptr;
    const bool oldHadFocus = oldHolder && oldHolder->Focused();
    FFocusedWindowless = Control;
    FFocusedWindowlessAlive = Control ? Control->AliveToken() : nullptr;
    if (old && oldHadFocus) {
        std::shared_ptr<bool> oldAlive = old->AliveToken();
        old->Perform(CM_EXIT, 0, 0);
        if (*oldAlive) old->Invalidate();
    }
    if (Control && GetFocusedWindowless() == Control && Control->FParent && Control->FParent->Focused()) {
        std::shared_ptr<bool> alive = Control->AliveToken();
        Control->Perform(CM_ENTER, 0, 0);
        if (*alive) Control->Invalidate();
    }
}

void TWinControl::GetTabOrderList(std::vector<TControl*>& List) const {
    for (TControl* c : FTabList) {
        List.push_back(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->GetTabOrderList(List);
    }
}

bool TWinControl::SelectNext(TControl* Current, bool GoForward) {
    std::vector<TControl*> list;
    GetTabOrderList(list);
    const int n = static_cast<int>(list.size());
    if (n == 0) return false;
    auto it = Current ? std::find(list.begin(), list.end(), Current) : list.end();
    const int start = it != list.end() ? static_cast<int>(it - list.begin()) : (GoForward ? -1 : n);
    for (int k = 1; k <= n; ++k) {
        const int i = (((GoForward ? start + k : start - k) % n) + n) % n;
        TControl* c = list[static_cast<size_t>(i)];
        if (!c->GetTabStop() || !c->CanFocus()) continue;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            w->SetFocus();
            // As in a dialog: an edit entered with Tab has its text selected.
            if (w->HandleAllocated() && (SendMessageW(w->GetHandle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
                SendMessageW(w->GetHandle(), EM_SETSEL, 0, -1);
        } else {
            c->SetFocus();
        }
        return true;
    }
    return false;
}

bool TWinControl::DialogChar(wchar_t Ch) {
    return Perform(CM_DIALOGCHAR, Ch, 0) != 0;
}

bool TWinControl::WantsChars() {
    return FHandle && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
}

TWinControl* FindControlOrParent(HWND Wnd) {
    for (HWND w = Wnd; w; w = GetParent(w)) {
        if (TWinControl* c = FindControl(w)) return c;
        if (!(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

bool TabNavigate(HWND Wnd, bool Backward) {
    TWinControl* c = FindControlOrParent(Wnd);
    if (!c) return false;
    TWinControl* top = TopLevelControl(c);
    TControl* current = FindControlOrParent(GetFocus());
    if (current && TopLevelControl(current) != top) current = nullptr;
    if (TControl* fc = top->GetFocusedWindowless(); fc && current && fc->GetParent() == current) current = fc;
    return top->SelectNext(current, !Backward);
}

// ---------------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.WindowClassStyle |= CS_DBLCLKS;
}

void TCustomControl::PaintWindow(HDC DC) {
    CanvasBinding bind(FCanvas.get(), DC, FFont.get());
    FControlState |= csCustomPaint;
    struct Clear {
        TControlState& s;
        ~Clear() { s &= ~static_cast<TControlState>(csCustomPaint); }
    } clear{FControlState};
    Paint();
}

void TCustomControl::Paint() {
    Fire(OnPaint, this);
}

// ---------------------------------------------------------------------------------------------
// The window procedure

LRESULT CALLBACK FwWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWinControl* c = FindControl(Wnd);
    if (!c) {
        // The first message of a window being created binds it (WM_GETMINMAXINFO comes before
        // WM_NCCREATE).
        void* creating = TakeCreatingWindowObject();
        if (!creating) return DefWindowProcW(Wnd, Msg, WParam, LParam);
        c = static_cast<TWinControl*>(creating);
        c->FHandle = Wnd;
        BindWindowObject(Wnd, c);
    }
    std::shared_ptr<bool> alive = c->AliveToken();
    ++c->FMessageDepth;
    TMessage m{Msg, WParam, LParam, 0};
    const TMessage original = m;
    try {
        TWndMethodProc proc = c->WindowProc;
        if (TDragDriver::Filter(Wnd, m)) {
            // A drag in progress took the mouse or Escape before any control saw it.
        } else if (proc)
            proc(m);
        else
            c->DefaultHandler(m);
        // With the message as it arrived: a handler may have changed Msg to switch off the
        // default processing.
        if (*alive) c->AfterMessage(original);
    } catch (...) {
        HandleCallbackException();
    }
    if (!*alive) {
        if (Msg == WM_NCDESTROY) UnbindWindowObject(Wnd);
        return m.Result;
    }
    --c->FMessageDepth;
    if (Msg == WM_NCDESTROY) {
        UnbindWindowObject(Wnd);
        if (c->FHandle == Wnd) c->FHandle = nullptr;
    }
    if (c->FMessageDepth == 0) {
        // Deferred work (a released form) runs once no message of the window is on the stack.
        try {
            c->AfterOutermostMessage();
        } catch (...) {
            HandleCallbackException();
        }
    }
    return m.Result;
}

// ---------------------------------------------------------------------------------------------
// Drag and drop, docking events, context popup, mouse activation, size constraints

TObject* TDragControlObject::GetSource() {
    return FControl;
}

void TSizeConstraints::SetMin(int& Min, int& Max, int Value) {
    Value = std::max(Value, 0);
    if (Value == Min) return;
    Min = Value;
    if (Max > 0 && Min > Max) Max = Min;
    Change();
}

void TSizeConstraints::SetMax(int& Max, int& Min, int Value) {
    Value = std::max(Value, 0);
    if (Value == Max) return;
    Max = Value;
    if (Max > 0 && Min > Max) Min = Max;
    Change();
}

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* c = dynamic_cast<TSizeConstraints*>(Source)) {
        FMinWidth = c->FMinWidth;
        FMinHeight = c->FMinHeight;
        FMaxWidth = c->FMaxWidth;
        FMaxHeight = c->FMaxHeight;
        Change();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::Constrain(int& Width, int& Height) const {
    if (FMaxWidth > 0 && Width > FMaxWidth) Width = FMaxWidth;
    if (FMinWidth > 0 && Width < FMinWidth) Width = FMinWidth;
    if (FMaxHeight > 0 && Height > FMaxHeight) Height = FMaxHeight;
    if (FMinHeight > 0 && Height < FMinHeight) Height = FMinHeight;
}

void TSizeConstraints::Change() {
    if (FControl) FControl->ConstraintsChanged();
}

void TControl::ConstraintsChanged() {
    // An aligned control is placed again from its parent's free area, so that a lifted limit
    // lets it grow back.
    if (FParent && FAlign != alNone) FParent->Realign();
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetPopupMenu(TPopupMenuBase* Value) {
    if (Value == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FPopupMenu && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragDriver::Begin(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragDriver::Finish(Drop);
}

bool TControl::Dragging() const {
    return TDragDriver::IsSource(this);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = false;
    TDragOverEvent ev = OnDragOver;
    if (!ev) return;
    Accept = true;
    ev(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    Fire(OnDragDrop, this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    Fire(OnStartDrag, this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    Fire(OnEndDrag, this, Target, X, Y);
}

void TControl::DoStartDock(TDragDockObject*& DragObject) {
    Fire(OnStartDock, this, DragObject);
}

void TControl::DoEndDock(TObject* Target, int X, int Y) {
    Fire(OnEndDock, this, Target, X, Y);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    Fire(OnContextPopup, this, MousePos, Handled);
}

TMouseActivate TControl::MouseActivate(TMouseButton Button, TShiftState Shift, int X, int Y, int HitTest) {
    TMouseActivate answer = maDefault;
    Fire(OnMouseActivate, this, Button, Shift, X, Y, HitTest, answer);
    return answer;
}

// The control's own context menu: OnContextPopup, then its popup menu at the click's screen
// point (a menu key's, LParam -1, opens at the client centre). Result 1: handled here.
void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    std::shared_ptr<bool> alive = FAlive;
    TPoint screen, client;
    if (Message.LParam == -1) {
        client = TPoint(GetClientWidth() / 2, GetClientHeight() / 2);
        screen = ClientToScreen(client);
    } else {
        screen = TPoint(static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam)));
        client = ScreenToClient(screen);
    }
    bool handled = false;
    DoContextPopup(client, handled);
    if (!*alive) return;
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (TPopupMenuBase* menu = FPopupMenu) {
        menu->Popup(screen.X, screen.Y);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::RouteContextMenu(TMessage& Message) {
    // A click in this window (not one handed up by a child window) goes to the windowless
    // child under it first.
    if (Message.LParam != -1 && reinterpret_cast<HWND>(Message.WParam) == FHandle) {
        const TPoint screen(static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam)));
        if (TControl* c = ControlAtPos(ScreenToClient(screen), false)) {
            std::shared_ptr<bool> alive = FAlive;
            Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
            if (!*alive || Message.Result != 0) return;
        }
    }
    WMContextMenu(Message);
}

void TWinControl::WMMouseActivate(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    const int hitTest = static_cast<short>(LOWORD(Message.LParam));
    POINT pt{};
    GetCursorPos(&pt);
    const TPoint screen(pt.x, pt.y);
    TControl* target = this;
    // A windowed child passes the message up: then the point is not on this window's children.
    if (hitTest == HTCLIENT && FHandle && WindowFromPoint(pt) == FHandle) {
        if (TControl* c = ControlAtPos(ScreenToClient(screen), false)) target = c;
    }
    const TPoint p = target->ScreenToClient(screen);
    const TMouseActivate answer =
        target->MouseActivate(MouseButtonOf(HIWORD(Message.LParam)), GetShiftState(), p.X, p.Y, hitTest);
    if (!*alive) return;
    switch (answer) {
        case maActivate: Message.Result = MA_ACTIVATE; return;
        case maActivateAndEat: Message.Result = MA_ACTIVATEANDEAT; return;
        case maNoActivate: Message.Result = MA_NOACTIVATE; return;
        case maNoActivateAndEat: Message.Result = MA_NOACTIVATEANDEAT; return;
        default: DefaultHandler(Message); return;
    }
}

void TWinControl::WMGetMinMaxInfo(TMessage& Message) {
    DefaultHandler(Message);
    auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    if (!mmi) return;
    const TSizeConstraints& c = *FConstraints;
    if (c.GetMinWidth() > 0) mmi->ptMinTrackSize.x = std::max<LONG>(mmi->ptMinTrackSize.x, c.GetMinWidth());
    if (c.GetMinHeight() > 0) mmi->ptMinTrackSize.y = std::max<LONG>(mmi->ptMinTrackSize.y, c.GetMinHeight());
    if (c.GetMaxWidth() > 0) {
        mmi->ptMaxTrackSize.x = std::min<LONG>(mmi->ptMaxTrackSize.x, c.GetMaxWidth());
        mmi->ptMaxSize.x = std::min<LONG>(mmi->ptMaxSize.x, c.GetMaxWidth());
    }
    if (c.GetMaxHeight() > 0) {
        mmi->ptMaxTrackSize.y = std::min<LONG>(mmi->ptMaxTrackSize.y, c.GetMaxHeight());
        mmi->ptMaxSize.y = std::min<LONG>(mmi->ptMaxSize.y, c.GetMaxHeight());
    }
    Message.Result = 0;
}

namespace {

struct TDragSession {
    TControl* Source = nullptr;
    std::shared_ptr<bool> SourceAlive;
    unsigned Serial = 0;
    bool Started = false;  // false: waiting for the mouse to leave the threshold
    bool Dock = false;
    TPoint Origin;
    int ThresholdX = 0, ThresholdY = 0;
    HWND CaptureWnd = nullptr;
    bool TookCapture = false;
    TDragObject* Object = nullptr;
    bool OwnsObject = false;
    TControl* Target = nullptr;
    std::shared_ptr<bool> TargetAlive;
    bool Accepted = false;
    TPoint Pos;  // the last cursor position of the drag (screen)
};

TDragSession gDrag;
unsigned gDragSerial = 0;
bool gDragSettingCapture = false;

// The session with that number still runs and its source lives.
bool DragGoesOn(unsigned Serial) {
    return gDrag.Source && gDrag.Serial == Serial && *gDrag.SourceAlive;
}

TPoint MessageScreenPos(HWND Wnd, LPARAM LParam) {
    POINT p{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
    ::ClientToScreen(Wnd, &p);
    return TPoint(p.x, p.y);
}

}  // namespace

bool TDragDriver::IsSource(const TControl* Control) {
    return Control && gDrag.Source == Control && gDrag.SourceAlive && *gDrag.SourceAlive;
}

void TDragDriver::Prepare(TControl* Source, const TPoint& Origin, int Threshold) {
    if (gDrag.Source) Finish(false);
    TWinControl* w = WindowOf(Source);
    // Without a window there is nothing to capture the mouse with.
    if (!w || !w->HandleAllocated()) return;
    gDrag = TDragSession{};
    gDrag.Source = Source;
    gDrag.SourceAlive = Source->AliveToken();
    gDrag.Serial = ++gDragSerial;
    gDrag.Dock = Source->FDragKind == dkDock;
    gDrag.Origin = Origin;
    gDrag.Pos = Origin;
    gDrag.ThresholdX = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
    gDrag.ThresholdY = Threshold < 0 ? GetSystemMetrics(SM_CYDRAG) : Threshold;
    gDrag.CaptureWnd = w->GetHandle();
}

void TDragDriver::Arm(TControl* Source, const TPoint& Origin) {
    if (gDrag.Source && *gDrag.SourceAlive) return;
    Prepare(Source, Origin, -1);
    if (gDrag.Source && !GetCapture()) {
        SetCapture(gDrag.CaptureWnd);
        gDrag.TookCapture = true;
    }
}

void TDragDriver::Begin(TControl* Source, bool Immediate, int Threshold) {
    POINT pt{};
    GetCursorPos(&pt);
    if (gDrag.Source && *gDrag.SourceAlive) {
        // Only the control that waits for its threshold (an automatic-mode press) may go on.
        if (gDrag.Source != Source || gDrag.Started) return;
        if (Threshold >= 0) gDrag.ThresholdX = gDrag.ThresholdY = Threshold;
        if (Immediate) Start(TPoint(pt.x, pt.y));
        return;
    }
    Prepare(Source, TPoint(pt.x, pt.y), Threshold);
    if (!gDrag.Source) return;
    if (Immediate) {
        Start(gDrag.Origin);
    } else if (!GetCapture()) {
        SetCapture(gDrag.CaptureWnd);
        gDrag.TookCapture = true;
    }
}

void TDragDriver::Start(const TPoint& ScreenPos) {
    const unsigned serial = gDrag.Serial;
    TControl* source = gDrag.Source;
    gDrag.Started = true;
    gDrag.Pos = ScreenPos;
    // The press became a drag: its release is no click, no control holds the capture, and no
    // control counts as under the mouse until the drag ends.
    source->FControlState &= ~static_cast<TControlState>(csClicked);
    gCaptureControl = nullptr;
    TMouseTracker::SetControlUnderMouse(nullptr);
    if (!DragGoesOn(serial)) {
        if (gDrag.Serial == serial) Finish(false);
        return;
    }
    TDragObject* object = nullptr;
    if (gDrag.Dock) {
        TDragDockObject* dock = nullptr;
        source->DoStartDock(dock);
        object = dock;
    } else {
        source->DoStartDrag(object);
    }
    if (!DragGoesOn(serial)) {
        if (gDrag.Serial == serial) Finish(false);
        return;
    }
    if (object) {
        gDrag.Object = object;
    } else {
        gDrag.Object = gDrag.Dock ? new TDragDockObject(source) : new TDragControlObject(source);
        gDrag.OwnsObject = true;
    }
    gDragSettingCapture = true;
    SetCapture(gDrag.CaptureWnd);
    gDragSettingCapture = false;
    gDrag.TookCapture = true;
    Move(ScreenPos);
}

// The control under the cursor is the target: it learns of the drag entering, moving over and
// leaving it, and its answer decides the cursor. A dock drag finds no target: there are no
// dock sites.
void TDragDriver::Move(const TPoint& ScreenPos) {
    const unsigned serial = gDrag.Serial;
    gDrag.Pos = ScreenPos;
    TObject* source = gDrag.Object->GetSource();
    TControl* target = gDrag.Dock ? nullptr : FindDragTarget(ScreenPos, false);
    const bool oldLive = gDrag.Target && *gDrag.TargetAlive;
    if (target != gDrag.Target || !oldLive) {
        TControl* old = oldLive ? gDrag.Target : nullptr;
        gDrag.Target = nullptr;
        gDrag.TargetAlive.reset();
        gDrag.Accepted = false;
        if (old) {
            bool accept = false;
            const TPoint p = old->ScreenToClient(ScreenPos);
            old->DragOver(source, p.X, p.Y, dsDragLeave, accept);
            if (!DragGoesOn(serial)) return;
        }
        if (target) {
            gDrag.Target = target;
            gDrag.TargetAlive = target->AliveToken();
            std::shared_ptr<bool> alive = gDrag.TargetAlive;
            bool accept = false;
            const TPoint p = target->ScreenToClient(ScreenPos);
            target->DragOver(source, p.X, p.Y, dsDragEnter, accept);
            if (!DragGoesOn(serial)) return;
            gDrag.Accepted = accept && *alive;
        }
    } else if (target) {
        std::shared_ptr<bool> alive = gDrag.TargetAlive;
        bool accept = false;
        const TPoint p = target->ScreenToClient(ScreenPos);
        target->DragOver(source, p.X, p.Y, dsDragMove, accept);
        if (!DragGoesOn(serial)) return;
        gDrag.Accepted = accept && *alive;
    }
    ShowCursor();
}

void TDragDriver::ShowCursor() {
    ::SetCursor(CursorHandle(gDrag.Accepted ? gDrag.Source->FDragCursor : crNoDrop));
}

void TDragDriver::Finish(bool Drop) {
    if (!gDrag.Source) return;
    // The session ends before any event: a handler may start the next drag or run a modal loop.
    TDragSession s = std::move(gDrag);
    gDrag = TDragSession{};
    if (s.TookCapture && GetCapture() == s.CaptureWnd) ReleaseCapture();
    if (!s.Started) return;
    const std::unique_ptr<TDragObject, void (*)(TDragObject*)> owned(
        s.OwnsObject ? s.Object : nullptr, [](TDragObject* o) { if (o) o->Free(); });
    // The cursor of whatever lies under the pointer.
    ::SetCursor(CursorHandle(crArrow));
    HWND under = WindowFromPoint(s.Pos);
    if (under && FindControl(under)) {
        const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(s.Pos.X, s.Pos.Y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
    if (!*s.SourceAlive || !s.Object) return;
    TObject* source = s.Object->GetSource();
    TControl* dropped = nullptr;
    TPoint at;
    if (s.Target && *s.TargetAlive) {
        const TPoint p = s.Target->ScreenToClient(s.Pos);
        if (Drop && s.Accepted) {
            s.Target->DragDrop(source, p.X, p.Y);
            // A target that freed itself is not reported.
            if (*s.TargetAlive) {
                dropped = s.Target;
                at = p;
            }
        } else {
            bool accept = false;
            s.Target->DragOver(source, p.X, p.Y, dsDragLeave, accept);
        }
    }
    if (!*s.SourceAlive) return;
    if (s.Dock)
        s.Source->DoEndDock(dropped, at.X, at.Y);
    else
        s.Source->DoEndDrag(dropped, at.X, at.Y);
    // Enter and leave resume with what lies under the pointer now.
    if (!GetCapture()) {
        if (TWinControl* w = FindControl(WindowFromPoint(s.Pos))) TMouseTracker::MouseMoved(w, w->ScreenToClient(s.Pos));
    }
}

bool TDragDriver::Filter(HWND Wnd, TMessage& Message) {
    if (!gDrag.Source) return false;
    if (!*gDrag.SourceAlive) {
        // The dragged control was freed: the drag ends without events.
        Finish(false);
        return false;
    }
    switch (Message.Msg) {
        case WM_MOUSEMOVE: {
            const TPoint p = MessageScreenPos(Wnd, Message.LParam);
            if (!gDrag.Started) {
                if (std::abs(p.X - gDrag.Origin.X) <= gDrag.ThresholdX &&
                    std::abs(p.Y - gDrag.Origin.Y) <= gDrag.ThresholdY)
                    return false;
                Start(p);
            } else {
                Move(p);
            }
            Message.Result = 0;
            return true;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            if (!gDrag.Started) {
                // Released within the threshold: an ordinary click.
                Finish(false);
                return false;
            }
            const unsigned serial = gDrag.Serial;
            Move(MessageScreenPos(Wnd, Message.LParam));
            if (gDrag.Source && gDrag.Serial == serial) Finish(true);
            Message.Result = 0;
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            return gDrag.Started;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!gDrag.Started || Message.WParam != VK_ESCAPE) return false;
            Finish(false);
            Message.Result = 0;
            return true;
        case WM_SETCURSOR:
            // The drag's cursor stays whatever lies under the pointer.
            if (!gDrag.Started) return false;
            ShowCursor();
            Message.Result = 1;
            return true;
        case WM_CANCELMODE:
            Finish(false);
            return false;
        case WM_CAPTURECHANGED:
            if (!gDragSettingCapture && Wnd == gDrag.CaptureWnd && reinterpret_cast<HWND>(Message.LParam) != Wnd)
                Finish(false);
            return false;
        default:
            return false;
    }
}

}  // namespace fw
