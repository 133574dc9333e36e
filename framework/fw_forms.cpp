#include "fw_forms.h"

#include <objbase.h>
#include <ole2.h>

#include <algorithm>

namespace fw {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

template <class E, class... Args>
void Fire(const E& ev, Args&&... args) {
    E copy = ev;
    if (copy) copy(std::forward<Args>(args)...);
}

struct GlobalObjects {
    GlobalObjects() {
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
    }
};
GlobalObjects gGlobalObjects;

void FormStyleBits(TFormBorderStyle border, TBorderIcons icons, TFormStyle formStyle, DWORD& style, DWORD& ex) {
    style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ex = 0;
    switch (border) {
        case bsNone: style |= WS_POPUP; break;
        case bsSingle: style |= WS_CAPTION | WS_BORDER; break;
        case bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog:
            style |= WS_POPUP | WS_CAPTION;
            ex |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            break;
        case bsToolWindow:
            style |= WS_CAPTION;
            ex |= WS_EX_TOOLWINDOW;
            break;
        case bsSizeToolWin:
            style |= WS_CAPTION | WS_THICKFRAME;
            ex |= WS_EX_TOOLWINDOW;
            break;
    }
    if (border != bsNone) {
        if (icons & biSystemMenu) style |= WS_SYSMENU;
        if (border != bsDialog && border != bsToolWindow && border != bsSizeToolWin) {
            if (icons & biMinimize) style |= WS_MINIMIZEBOX;
            if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle == fsStayOnTop) ex |= WS_EX_TOPMOST;
}

}  // namespace

TForm* GetParentForm(TControl* Control) {
    TControl* c = Control;
    while (c && c->GetParent()) c = c->GetParent();
    return dynamic_cast<TForm*>(c);
}

// ---------------------------------------------------------------------------------------------
// TNotifyList

void TNotifyList::Add(const void* Key, TNotifyEvent Handler) {
    Remove(Key);
    FItems.emplace_back(Key, std::move(Handler));
}

void TNotifyList::Remove(const void* Key) {
    auto it = std::remove_if(FItems.begin(), FItems.end(), [Key](const auto& p) { return p.first == Key; });
    FItems.erase(it, FItems.end());
}

void TNotifyList::Fire(TObject* Sender) {
    auto copy = FItems;
    for (auto& item : copy) {
        // Skip subscribers removed by an earlier handler of this round.
        bool still = std::any_of(FItems.begin(), FItems.end(), [&](const auto& p) { return p.first == item.first; });
        if (still && item.second) item.second(Sender);
    }
}

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(const TFormKey& Key, TComponent* AOwner) : TCustomControl(AOwner), FIcon(std::make_unique<TIcon>()) {
    (void)Key;
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clBtnFace;
    FWidth = 320;
    FHeight = 240;
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
    if (Screen) Screen->AddForm(this);
}

TForm::~TForm() {
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
}

void TForm::DoDestroying() {
    Fire(OnDestroy, this);
}

void TForm::FinishCreation(bool WithDescription, TForm** Reference) {
    if (Reference) *Reference = this;
    SetComponentStateFlags(csLoading | csReading, 0);
    bool had = false;
    try {
        had = WithDescription && ReadDescription();
    } catch (...) {
        Free();
        throw;
    }
    if (had)
        Loaded();
    else
        SetComponentStateFlags(0, csLoading | csReading);
    if (Application && GetOwner() == Application && !Application->FMainForm) {
        // The main form exists with a handle from the start, shown or not: a second instance
        // finds it by its class name.
        Application->FMainForm = this;
        HandleNeeded();
    }
    FCreated = true;
    DoCreate();
}

void TForm::DoCreate() {
    Fire(OnCreate, this);
}

void TForm::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    DWORD style, ex;
    FormStyleBits(FBorderStyle, FBorderIcons, FFormStyle, style, ex);
    Params.Style = style;
    if (!FEnabled) Params.Style |= WS_DISABLED;
    Params.ExStyle = ex;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WindowClassStyle = CS_DBLCLKS;
    HWND owner = nullptr;
    if (FPopupMode == pmExplicit && FPopupParent && FPopupParent != this) {
        owner = FPopupParent->GetHandle();
    } else if (FPopupMode == pmAuto && Screen && Screen->GetActiveForm() && Screen->GetActiveForm() != this &&
               Screen->GetActiveForm()->HandleAllocated()) {
        owner = Screen->GetActiveForm()->GetHandle();
    } else if (Application) {
        TForm* main = Application->GetMainForm();
        if (main && main != this)
            owner = main->GetHandle();
        else if (main == this && Application->GetMainFormOnTaskBar())
            owner = nullptr;  // unowned: the main form gets the taskbar button itself
        else
            owner = Application->GetHandle();
    }
    Params.WndParent = owner;
}

void TForm::CreateHandleDone() {
    if (FAlphaBlend) SetAlphaBlend(true);
    if (FIcon && !FIcon->GetEmpty()) {
        SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->GetHandle()));
        SendMessageW(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon->GetSmallHandle()));
    }
}

TRect TForm::GetClientRect() const {
    if (FHandle) return TWinControl::GetClientRect();
    DWORD style, ex;
    FormStyleBits(FBorderStyle, FBorderIcons, FFormStyle, style, ex);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    int w = FWidth - (r.right - r.left), h = FHeight - (r.bottom - r.top);
    return TRect(0, 0, w > 0 ? w : 0, h > 0 ? h : 0);
}

TPoint TForm::WindowPosToParentClient(const RECT& WindowRect) const {
    return TPoint(WindowRect.left, WindowRect.top);
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TForm::ApplyPosition() {
    FPositionApplied = true;
    TRect area = Screen ? Screen->GetWorkAreaRect() : TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int l = FLeft, t = FTop;
    switch (FPosition) {
        case poScreenCenter:
        case poDesktopCenter:
            l = area.Left + (area.Width() - FWidth) / 2;
            t = area.Top + (area.Height() - FHeight) / 2;
            break;
        case poMainFormCenter:
        case poOwnerFormCenter: {
            TForm* m = Application ? Application->GetMainForm() : nullptr;
            if (m && m != this) {
                l = m->GetLeft() + (m->GetWidth() - FWidth) / 2;
                t = m->GetTop() + (m->GetHeight() - FHeight) / 2;
            } else {
                l = area.Left + (area.Width() - FWidth) / 2;
                t = area.Top + (area.Height() - FHeight) / 2;
            }
            break;
        }
        default:
            return;
    }
    SetBounds(l, t, FWidth, FHeight);
}

void TForm::SetVisible(bool Value) {
    if (Value) {
        HandleNeeded();
        if (!FPositionApplied) ApplyPosition();
        bool was = FVisible && IsWindowVisible(FHandle);
        FVisible = true;
        if (!IsWindowVisible(FHandle)) {
            int cmd = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : FWindowState == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOW;
            ShowWindow(FHandle, cmd);
        }
        if (!was) Perform(CM_VISIBLECHANGED, 1, 0);
    } else {
        bool was = FVisible || (FHandle && IsWindowVisible(FHandle));
        FVisible = false;
        TMouseTracker::Forget(this);
        if (FHandle && IsWindowVisible(FHandle)) ShowWindow(FHandle, SW_HIDE);
        if (was) Perform(CM_VISIBLECHANGED, 0, 0);
    }
}

void TForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TForm::BringToFront() {
    if (FHandle) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::SetFocus() {
    HandleNeeded();
    if (!IsWindowVisible(FHandle) || !IsWindowEnabled(FHandle)) return;
    SetForegroundWindow(FHandle);
    SetActiveWindow(FHandle);
    TWinControl* ac = GetActiveControl();
    if (ac && ac->CanFocus() && ac->HandleAllocated())
        ::SetFocus(ac->GetHandle());
    else if (GetFocus() != FHandle && !IsChild(FHandle, GetFocus()))
        ::SetFocus(FHandle);
}

bool TForm::Active() const {
    return FHandle && GetActiveWindow() == FHandle;
}

TWinControl* TForm::GetActiveControl() const {
    if (FActiveControl && FActiveControlAlive && *FActiveControlAlive) return FActiveControl;
    return nullptr;
}

void TForm::SetActiveControl(TWinControl* Value) {
    FActiveControl = Value;
    FActiveControlAlive = Value ? Value->AliveToken() : nullptr;
    if (Value && Active() && Value->CanFocus()) ::SetFocus(Value->GetHandle());
}

bool TForm::CloseQuery() {
    bool canClose = true;
    Fire(OnCloseQuery, this, canClose);
    return canClose;
}

void TForm::DoClose(TCloseAction& Action) {
    Fire(OnClose, this, Action);
}

void TForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    std::shared_ptr<bool> alive = AliveToken();
    if (!CloseQuery() || !*alive) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (!*alive || action == caNone) return;
    if (Application && Application->GetMainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TForm::Release() {
    FReleasePending = true;
    HandleNeeded();
    PostMessageW(FHandle, CM_RELEASE, 0, 0);
}

void TForm::AfterOutermostMessage() {
    if (!FReleasePending || IsDestroying()) return;
    FReleasePending = false;
    Free();
}

void TForm::ShowingChanged(bool Shown) {
    FVisible = Shown;
    if (Shown == FShownReported) return;
    FShownReported = Shown;
    if (Shown)
        DoShow();
    else
        DoHide();
}

void TForm::DoShow() {
    Fire(OnShow, this);
}

void TForm::DoHide() {
    Fire(OnHide, this);
}

namespace {
struct DisabledWindows {
    std::vector<HWND> list;
    HWND except;
};
BOOL CALLBACK DisableTaskWindow(HWND w, LPARAM l) {
    auto* d = reinterpret_cast<DisabledWindows*>(l);
    if (w != d->except && IsWindowVisible(w) && IsWindowEnabled(w)) {
        d->list.push_back(w);
        EnableWindow(w, FALSE);
    }
    return TRUE;
}
}  // namespace

int TForm::ShowModal() {
    if (FVisible || (FHandle && IsWindowVisible(FHandle)) || !FEnabled || FModal)
        throw Exception(L"Cannot make a visible window modal");
    if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    std::shared_ptr<bool> alive = AliveToken();
    HandleNeeded();
    HWND prevActive = GetActiveWindow();
    DisabledWindows disabled{{}, FHandle};
    EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&disabled));
    FModal = true;
    FModalResult = mrNone;
    bool terminated = false;
    auto restore = [&] {
        for (HWND w : disabled.list)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (*alive) {
            FModal = false;
            Hide();
        }
        if (prevActive && IsWindow(prevActive)) SetActiveWindow(prevActive);
    };
    try {
        Show();
        while (*alive) {
            Application->HandleMessage();
            if (!*alive) break;
            if (Application->GetTerminated()) {
                terminated = true;
                if (FModalResult == mrNone) FModalResult = mrCancel;
                break;
            }
            if (FModalResult != mrNone) {
                // Asks OnCloseQuery and OnClose; caNone keeps the box open.
                TCloseAction action = caNone;
                if (CloseQuery()) {
                    action = caHide;
                    DoClose(action);
                }
                if (!*alive) break;
                if (action == caNone) {
                    FModalResult = mrNone;
                    continue;
                }
                if (action == caFree) Release();
                break;
            }
        }
    } catch (...) {
        restore();
        throw;
    }
    TModalResult result = *alive ? FModalResult : mrCancel;
    restore();
    // The loop took WM_QUIT: the outer loop must see it too.
    if (terminated) PostQuitMessage(0);
    return result;
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    ApplyStyles();
}

void TForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == FBorderIcons) return;
    FBorderIcons = Value;
    ApplyStyles();
}

void TForm::SetFormStyle(TFormStyle Value) {
    if (Value == FFormStyle) return;
    FFormStyle = Value;
    if (FHandle)
        SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::ApplyStyles() {
    // Never re-created: a hook installed on the window would be lost.
    if (!FHandle) return;
    DWORD style, ex;
    FormStyleBits(FBorderStyle, FBorderIcons, FFormStyle, style, ex);
    const DWORD keep = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
    DWORD cur = static_cast<DWORD>(GetWindowLongW(FHandle, GWL_STYLE));
    SetWindowLongW(FHandle, GWL_STYLE, static_cast<LONG>((cur & keep) | style));
    DWORD curEx = static_cast<DWORD>(GetWindowLongW(FHandle, GWL_EXSTYLE));
    SetWindowLongW(FHandle, GWL_EXSTYLE, static_cast<LONG>((curEx & (WS_EX_LAYERED | WS_EX_APPWINDOW)) | (ex & ~WS_EX_TOPMOST)));
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TWindowState TForm::GetWindowState() const {
    if (FHandle) {
        if (IsIconic(FHandle)) return wsMinimized;
        if (IsZoomed(FHandle)) return wsMaximized;
        return wsNormal;
    }
    return FWindowState;
}

void TForm::SetWindowState(TWindowState Value) {
    FWindowState = Value;
    if (FHandle && IsWindowVisible(FHandle))
        ShowWindow(FHandle, Value == wsMinimized ? SW_MINIMIZE : Value == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TForm::SetAlphaBlend(bool Value) {
    FAlphaBlend = Value;
    if (!FHandle) return;
    LONG ex = GetWindowLongW(FHandle, GWL_EXSTYLE);
    if (Value) {
        SetWindowLongW(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(FHandle, 0, FAlphaBlendValue, LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongW(FHandle, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    }
}

void TForm::SetAlphaBlendValue(BYTE Value) {
    FAlphaBlendValue = Value;
    if (FHandle && FAlphaBlend) SetLayeredWindowAttributes(FHandle, 0, Value, LWA_ALPHA);
}

void TForm::SetIcon(TIcon* Value) {
    if (Value)
        FIcon->Assign(Value);
    else
        FIcon = std::make_unique<TIcon>();
    if (FHandle) {
        HICON h = FIcon->GetEmpty() ? nullptr : FIcon->GetHandle();
        SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(h));
        SendMessageW(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon->GetSmallHandle()));
    }
}

void TForm::SetTextValue(const std::wstring& Value) {
    TWinControl::SetTextValue(Value);
    // A skinned caption is drawn in the non-client paint, which WM_SETTEXT alone may not redo.
    if (FHandle && IsWindowVisible(FHandle)) SendMessageW(FHandle, WM_NCPAINT, 1, 0);
}

bool TForm::PreviewKey(UINT Msg, WORD& Key, TShiftState Shift) {
    if (!FKeyPreview) return false;
    if (Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN) return TWinControl::DoKeyDown(Key, Shift);
    if (Msg == WM_KEYUP || Msg == WM_SYSKEYUP) return TWinControl::DoKeyUp(Key, Shift);
    return false;
}

bool TForm::DoKeyDown(WORD& Key, TShiftState Shift) {
    return TWinControl::DoKeyDown(Key, Shift);
}

bool TForm::DoKeyUp(WORD& Key, TShiftState Shift) {
    return TWinControl::DoKeyUp(Key, Shift);
}

bool TForm::DoKeyPress(wchar_t& Key) {
    return TWinControl::DoKeyPress(Key);
}

void TForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_CLOSE:
            Close();
            Message.Result = 0;
            return;
        case WM_SHOWWINDOW: {
            std::shared_ptr<bool> alive = AliveToken();
            DefaultHandler(Message);
            if (Message.LParam != 0 || !*alive) return;
            ShowingChanged(Message.WParam != 0);
            return;
        }
        case WM_WINDOWPOSCHANGED: {
            // Windows shown or hidden by SetWindowPos get no WM_SHOWWINDOW.
            auto* wp = reinterpret_cast<WINDOWPOS*>(Message.LParam);
            UINT flags = wp ? wp->flags : 0;
            std::shared_ptr<bool> alive = AliveToken();
            TCustomControl::WndProc(Message);
            if (!*alive) return;
            if (flags & SWP_SHOWWINDOW) ShowingChanged(true);
            if (flags & SWP_HIDEWINDOW) ShowingChanged(false);
            return;
        }
        case WM_ACTIVATE:
            if (LOWORD(Message.WParam) != WA_INACTIVE) {
                if (Screen) Screen->FActiveForm = this;
                TWinControl* ac = GetActiveControl();
                if (ac && ac->CanFocus() && ac->HandleAllocated() && !HIWORD(Message.WParam)) {
                    ::SetFocus(ac->GetHandle());
                    Message.Result = 0;
                    return;
                }
            } else {
                HWND f = GetFocus();
                if (f && f != FHandle && IsChild(FHandle, f)) {
                    if (TWinControl* c = FindControl(f)) SetActiveControl(c);
                }
            }
            DefaultHandler(Message);
            return;
        case CM_FOCUSCHANGED: {
            auto* c = reinterpret_cast<TWinControl*>(Message.LParam);
            FActiveControl = c;
            FActiveControlAlive = c ? c->AliveToken() : nullptr;
            return;
        }
        case CM_RELEASE:
            // The destruction itself happens once no message of the form is on the stack.
            return;
        default:
            break;
    }
    TCustomControl::WndProc(Message);
}

void TForm::AfterMessage(const TMessage& Message) {
    // Fired here, after whatever WindowProc did with the message: classes that replace
    // WM_ACTIVATE still get their activation events.
    if (Message.Msg == WM_ACTIVATE) {
        if (LOWORD(Message.WParam) != WA_INACTIVE) {
            if (Screen) Screen->FActiveForm = this;
            Fire(OnActivate, this);
        } else {
            Fire(OnDeactivate, this);
        }
    } else if (Message.Msg == WM_ACTIVATEAPP) {
        if (Application) Application->ActivateApp(Message.WParam != 0);
    }
}

// ---------------------------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clInfoBk;
    if (Screen) FFont->Assign(Screen->GetHintFont());
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WindowClassStyle |= CS_SAVEBITS;
    Params.WndParent = Application ? Application->GetHandle() : nullptr;
}

void THintWindow::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE:
            // A tooltip that activated would deactivate (and so close) a popup beneath it.
            Message.Result = MA_NOACTIVATE;
            return;
        case WM_NCHITTEST:
            Message.Result = HTTRANSPARENT;
            return;
        default:
            break;
    }
    TCustomControl::WndProc(Message);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::wstring& Text, void* Data) {
    (void)Data;
    TRect r(0, 0, MaxWidth, 0);
    TCanvas* c = GetCanvas();
    c->GetFont()->Assign(FFont.get());
    c->DrawText(Text, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::wstring& Text) {
    FText = Text;
    TRect area = Screen ? Screen->GetWorkAreaRect() : TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int w = Rect.Width(), h = Rect.Height();
    if (Rect.Right > area.Right) Rect.Left = area.Right - w;
    if (Rect.Left < area.Left) Rect.Left = area.Left;
    if (Rect.Bottom > area.Bottom) Rect.Top = area.Bottom - h;
    if (Rect.Top < area.Top) Rect.Top = area.Top;
    HandleNeeded();
    SetWindowTextW(FHandle, Text.c_str());
    SetWindowPos(FHandle, HWND_TOPMOST, Rect.Left, Rect.Top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    FVisible = true;
    UpdateBoundsFromWindow();
    InvalidateRect(FHandle, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
    FVisible = false;
}

void THintWindow::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    r.Left += 2;
    r.Top += 1;
    ::SetBkMode(c->GetHandle(), TRANSPARENT);
    c->GetFont()->Assign(FFont.get());
    c->DrawText(FText, r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ---------------------------------------------------------------------------------------------
// TApplication

namespace {

LRESULT CALLBACK AppWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
            case WM_CLOSE:
                if (Application && Application->GetMainForm()) Application->GetMainForm()->Close();
                return 0;
            case WM_ACTIVATEAPP:
                if (Application) Application->ActivateApp(wp != 0);
                break;
            default:
                break;
        }
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    SetCallbackExceptionHandler([this](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (...) {
            HandleException(nullptr);
        }
    });
    TMouseTracker::OnMouseControlChanged() = [this](TControl* c) { HintControlChanged(c); };
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    FTitle = ChangeFileExt(ExtractFileName(path), L"");
}

TApplication::~TApplication() {
    if (FHandle) DestroyWindow(FHandle);
    if (FOleInitialized) OleUninitialize();
}

void TApplication::BeforeDestruction() {
    DestroyForms();
    TComponent::BeforeDestruction();
}

void TApplication::Initialize() {
    if (!FOleInitialized) FOleInitialized = SUCCEEDED(OleInitialize(nullptr));
    GetHandle();
}

HWND TApplication::GetHandle() {
    if (FHandle) return FHandle;
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = AppWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TApplication";
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        RegisterWindowClass(wc);
        registered = true;
    }
    FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", FTitle.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return FHandle;
}

void TApplication::SetTitle(const std::wstring& Value) {
    FTitle = Value;
    if (FHandle) SetWindowTextW(FHandle, Value.c_str());
}

TIcon* TApplication::GetIcon() {
    if (!FIcon) {
        FIcon = std::make_unique<TIcon>();
        HICON h = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        if (h) FIcon->SetHandle(h);
    }
    return FIcon.get();
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& Msg) {
    if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (Msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    bool handled = false;
    TMessageEvent hook = OnMessage;
    if (hook) {
        try {
            hook(Msg, handled);
        } catch (...) {
            HandleException(this);
            handled = true;
        }
    }
    if (!handled) {
        switch (Msg.message) {
            case WM_KEYDOWN: case WM_SYSKEYDOWN:
            case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN:
                if (FHintWindow && FHintWindow->GetVisible()) {
                    FHintWindow->ReleaseHandle();
                    if (FHintTimer) FHintTimer->SetEnabled(false);
                    if (FHideTimer) FHideTimer->SetEnabled(false);
                }
                break;
            default:
                break;
        }
        // Tab and Shift+Tab move the focus between the controls of a form, as a dialog manager
        // does, before the focused control could take the key (a multi-line edit would insert
        // a tab).
        if (Msg.message == WM_KEYDOWN && Msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
            GetKeyState(VK_MENU) >= 0 && GetParentForm(FindControlOrParent(Msg.hwnd))) {
            try {
                if (TabNavigate(Msg.hwnd, GetKeyState(VK_SHIFT) < 0)) return true;
            } catch (...) {
                HandleException(this);
                return true;
            }
        }
        TranslateMessage(&Msg);
        DispatchMessageW(&Msg);
    }
    return true;
}

void TApplication::SetBiDiMode(TBiDiMode Value) {
    if (Value == GetApplicationBiDiMode()) return;
    StoreApplicationBiDiMode(Value);
    // Top-level forms follow the application as controls follow their parent.
    if (!Screen) return;
    for (int i = 0; i < Screen->GetFormCount(); ++i) {
        TForm* f = Screen->GetForm(i);
        if (!f->GetParent() && f->GetParentBiDiMode()) f->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    }
}

void TApplication::Idle() {
    TNotifyEvent idle = OnIdle;
    if (idle) {
        try {
            idle(this);
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        Idle();
        if (!CheckSynchronize()) WaitMessage();
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the loop that owns the program's end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
    CheckSynchronize();
}

void TApplication::Run() {
    if (FMainForm && FShowMainForm) FMainForm->Show();
    while (!FTerminated) HandleMessage();
    DestroyForms();
}

void TApplication::DestroyForms() {
    CancelHint();
    // The main form first: its OnDestroy may still read the other forms.
    if (FMainForm) {
        TForm* m = FMainForm;
        FMainForm = nullptr;
        m->Free();
    }
    DestroyComponents();
    FHintWindow = nullptr;
    FHintTimer = nullptr;
    FHideTimer = nullptr;
}

void TApplication::HandleException(TObject* Sender) {
    (void)Sender;
    std::exception_ptr p = std::current_exception();
    if (!p) return;
    try {
        std::rethrow_exception(p);
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        TExceptionEvent h = OnException;
        if (h)
            h(Sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        Exception conv(Utf8ToWide(e.what()));
        TExceptionEvent h = OnException;
        if (h)
            h(Sender, conv);
        else
            ShowException(conv);
    } catch (...) {
        Exception conv(L"Unknown error");
        TExceptionEvent h = OnException;
        if (h)
            h(Sender, conv);
        else
            ShowException(conv);
    }
}

void TApplication::ShowException(const Exception& E) {
    // One box at a time: a timer raising every few seconds must not stack boxes.
    if (FShowingException) return;
    FShowingException = true;
    std::wstring msg = E.Message;
    if (!msg.empty() && msg.back() != L'.') msg += L'.';
    HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->GetHandle() : GetHandle();
    auto box = ErrorBox;
    try {
        if (box)
            box(owner, msg, FTitle, MB_OK | MB_ICONSTOP);
        else
            MessageBoxW(owner, msg.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        FShowingException = false;
        throw;
    }
    FShowingException = false;
}

void TApplication::ActivateApp(bool Active) {
    if (Active == FActive) return;
    FActive = Active;
    if (Active) {
        OnActivate.Fire(this);
    } else {
        CancelHint();
        OnDeactivate.Fire(this);
    }
}

void TApplication::SetShowHint(bool Value) {
    FShowHint = Value;
    if (!Value) CancelHint();
}

void TApplication::HintControlChanged(TControl* Control) {
    if (Control == FHintControl && FHintControlAlive && *FHintControlAlive) return;
    if (FHintWindow && FHintWindow->GetVisible()) FHintWindow->ReleaseHandle();
    if (FHintTimer) FHintTimer->SetEnabled(false);
    if (FHideTimer) FHideTimer->SetEnabled(false);
    FHintControl = Control;
    FHintControlAlive = Control ? Control->AliveToken() : nullptr;
    if (!Control || !FShowHint || !Control->GetShowHint() || Control->GetHint().empty()) return;
    if (!FHintTimer) {
        FHintTimer = new TTimer(this);
        FHintTimer->SetEnabled(false);
        FHintTimer->SetOnTimer([this](TObject*) {
            FHintTimer->SetEnabled(false);
            if (FHintControl && FHintControlAlive && *FHintControlAlive) {
                POINT pt;
                GetCursorPos(&pt);
                ShowHintFor(FHintControl, TPoint(pt.x, pt.y));
            }
        });
    }
    FHintTimer->SetInterval(static_cast<UINT>(FHintPause > 0 ? FHintPause : 1));
    FHintTimer->SetEnabled(true);
}

void TApplication::ShowHintFor(TControl* Control, TPoint CursorPos) {
    std::wstring text = Control->GetHint();  // read at show time
    if (text.empty()) return;
    if (!FHintWindow) FHintWindow = HintWindowClass ? HintWindowClass(this) : new THintWindow(this);
    TRect r = FHintWindow->CalcHintRect(Screen ? Screen->GetWidth() : 800, text, nullptr);
    int cursorHeight = GetSystemMetrics(SM_CYCURSOR);
    r.Offset(CursorPos.X, CursorPos.Y + (cursorHeight > 0 ? cursorHeight * 2 / 3 : 16));
    FHintWindow->ActivateHint(r, text);
    if (!FHideTimer) {
        FHideTimer = new TTimer(this);
        FHideTimer->SetEnabled(false);
        FHideTimer->SetOnTimer([this](TObject*) {
            FHideTimer->SetEnabled(false);
            if (FHintWindow) FHintWindow->ReleaseHandle();
        });
    }
    if (FHintHidePause > 0) {
        FHideTimer->SetEnabled(false);
        FHideTimer->SetInterval(static_cast<UINT>(FHintHidePause));
        FHideTimer->SetEnabled(true);
    }
}

void TApplication::ActivateHint(TPoint CursorPos) {
    TControl* c = FindDragTarget(CursorPos, true);
    if (FHintTimer) FHintTimer->SetEnabled(false);
    FHintControl = c;
    FHintControlAlive = c ? c->AliveToken() : nullptr;
    if (c && FShowHint) ShowHintFor(c, CursorPos);
}

void TApplication::CancelHint() {
    if (FHintTimer) FHintTimer->SetEnabled(false);
    if (FHideTimer) FHideTimer->SetEnabled(false);
    if (FHintWindow) FHintWindow->ReleaseHandle();
    FHintControl = nullptr;
    FHintControlAlive = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

TForm* TScreen::GetForm(int Index) const {
    if (Index < 0 || Index >= GetFormCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return FForms[static_cast<size_t>(Index)];
}

TForm* TScreen::FindForm(const std::wstring& Name) const {
    for (TForm* f : FForms)
        if (!f->GetName().empty() && SameText(f->GetName(), Name)) return f;
    return nullptr;
}

void TScreen::AddForm(TForm* F) {
    FForms.push_back(F);
}

void TScreen::RemoveForm(TForm* F) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), F), FForms.end());
    if (FActiveForm == F) FActiveForm = nullptr;
}

TRect TScreen::GetWorkAreaRect() const {
    if (!FWorkArea.IsEmpty()) return FWorkArea;
    RECT r;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return TRect(r);
    return TRect(0, 0, GetWidth(), GetHeight());
}

void TScreen::SetCursor(TCursor Value) {
    FCursor = Value;
    SetGlobalCursor(Value);
    ::SetCursor(CursorHandle(Value == crDefault ? crArrow : Value));
}

TFont* TScreen::GetHintFont() {
    if (!FHintFont) {
        FHintFont = std::make_unique<TFont>();
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof(ncm);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
            FHintFont->SetName(ncm.lfStatusFont.lfFaceName);
            FHintFont->SetHeight(ncm.lfStatusFont.lfHeight);
        }
        FHintFont->SetColor(clInfoText);
    }
    return FHintFont.get();
}

}  // namespace fw
