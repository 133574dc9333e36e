#include "VeskTrayIcon.h"

#include <algorithm>
#include <cstring>

#include "fw_forms.h"
#include "fw_handles.h"
#include "fw_hwnd.h"

TShellNotifyIconProc ShellNotifyIconProc = Shell_NotifyIconW;

namespace {

// Broadcast to top-level windows when the shell (re)starts; its icons are gone then.
UINT TaskbarCreatedMessage() {
    static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    return msg;
}

// Copies at most Max characters of Text into the fixed field Dest of Size characters, the rest
// zero.
void CopyField(wchar_t* Dest, size_t Size, const std::wstring& Text, size_t Max) {
    std::fill(Dest, Dest + Size, L'\0');
    const size_t n = std::min({Text.size(), Max, Size - 1});
    std::copy(Text.begin(), Text.begin() + static_cast<std::ptrdiff_t>(n), Dest);
}

template <class E, class... Args>
void Fire(const E& Event, Args&&... args) {
    E copy = Event;  // the handler may free the object holding the event
    if (copy) copy(std::forward<Args>(args)...);
}

}  // namespace

TVeskTrayIcon::TVeskTrayIcon(fw::TComponent* AOwner)
    : fw::TComponent(AOwner),
      FCurrentIcon(std::make_unique<fw::TIcon>()),
      FData(std::make_unique<NOTIFYICONDATAW>()),
      FIcon(std::make_unique<fw::TIcon>()) {
    std::memset(FData.get(), 0, sizeof(NOTIFYICONDATAW));
    FAnimateTimer = new fw::TTimer(this);
    FAnimateTimer->SetEnabled(false);
    FAnimateTimer->SetInterval(1000);
    FAnimateTimer->SetOnTimer([this](fw::TObject* Sender) { DoOnAnimate(Sender); });

    TaskbarCreatedMessage();  // registered before the first icon is made
    FWindow = fw::AllocateHWnd([this](fw::TMessage& m) { WindowProc(m); });

    const std::wstring title = fw::Application ? fw::Application->GetTitle() : std::wstring();
    FData->cbSize = TrayIconDataSize;
    FData->hWnd = FWindow;
    FData->uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(FWindow));
    FData->uCallbackMessage = WM_TRAYICONCALLBACK;
    FData->uFlags = NIF_MESSAGE | NIF_ICON;
    if (!title.empty()) FData->uFlags |= NIF_TIP;
    CopyField(FData->szTip, std::size(FData->szTip), title, 127);
    FData->uTimeout = 3000;
    FData->hIcon = FCurrentIcon->GetHandle();
    Refresh();
}

TVeskTrayIcon::~TVeskTrayIcon() {
    Notify(NIM_DELETE);
    fw::DeallocateHWnd(FWindow);
    FWindow = nullptr;
}

void TVeskTrayIcon::SetIcon(fw::TIcon* Value) {
    if (Value)
        FIcon->Assign(Value);
    else
        FIcon->SetHandle(nullptr);
}

void TVeskTrayIcon::SetIcons(TVeskCustomImageList* Value) {
    if (Value == FIcons) return;
    if (FIcons) FIcons->RemoveFreeNotification(this);
    FIcons = Value;
    if (FIcons) FIcons->FreeNotification(this);
}

void TVeskTrayIcon::SetPopupMenu(fw::TPopupMenuBase* Value) {
    if (Value == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TVeskTrayIcon::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
    if (Operation != fw::opRemove) return;
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
    if (AComponent == FIcons) FIcons = nullptr;
}

void TVeskTrayIcon::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (!FAnimate || FCurrentIcon->GetEmpty()) SetDefaultIcon();
    if (Value)
        Notify(NIM_ADD);
    else if (!IsLoading())
        Notify(NIM_DELETE);
    if (FAnimate) FAnimateTimer->SetEnabled(Value);
}

void TVeskTrayIcon::SetHint(const std::wstring& Value) {
    if (Value == FHint) return;
    FHint = Value;
    // The shell's tip holds 127 characters and the terminating zero.
    CopyField(FData->szTip, std::size(FData->szTip), Value, 127);
    if (Value.empty())
        FData->uFlags &= ~static_cast<UINT>(NIF_TIP);
    else
        FData->uFlags |= NIF_TIP;
    Refresh();
}

void TVeskTrayIcon::SetIconIndex(int Value) {
    if (Value == FIconIndex) return;
    FIconIndex = Value;
    // An index the list does not hold keeps the icon shown now.
    if (FIcons && Value >= 0 && Value < FIcons->GetCount()) FIcons->GetIcon(Value, FCurrentIcon.get());
    Refresh();
}

void TVeskTrayIcon::SetBalloonTimeout(UINT Milliseconds) {
    FData->uTimeout = Milliseconds;
}

void TVeskTrayIcon::SetBalloonText(const std::wstring& Title, const std::wstring& Text) {
    CopyField(FData->szInfoTitle, std::size(FData->szInfoTitle), Title, std::size(FData->szInfoTitle) - 1);
    CopyField(FData->szInfo, std::size(FData->szInfo), Text, std::size(FData->szInfo) - 1);
}

void TVeskTrayIcon::ShowBalloonHint() {
    FData->uFlags |= NIF_INFO;
    FData->dwInfoFlags = FBalloonFlags;
    Notify(NIM_MODIFY);
}

void TVeskTrayIcon::Refresh() {
    FData->hIcon = FCurrentIcon->GetHandle();
    if (FVisible) Notify(NIM_MODIFY);
}

bool TVeskTrayIcon::Notify(DWORD Action) {
    // Right after logon the taskbar may not exist yet; give the shell a moment before adding.
    if (Action == NIM_ADD && !FindWindowW(L"Shell_TrayWnd", nullptr)) Sleep(2000);
    return ShellNotifyIconProc(Action, FData.get()) != FALSE;
}

void TVeskTrayIcon::SetDefaultIcon() {
    if (!FIcon->GetEmpty()) {
        FCurrentIcon->Assign(FIcon.get());
    } else {
        // Only the small icon is wanted; the large one comes along and goes again.
        fw::TIconHandle large;
        HICON small = nullptr;
        ExtractIconExW(fw::GetModuleName().c_str(), 0, large.Put(), &small, 1);
        if (small)
            FCurrentIcon->SetHandle(small);
        else if (fw::Application)
            FCurrentIcon->Assign(fw::Application->GetIcon());
    }
    Refresh();
}

void TVeskTrayIcon::DoOnAnimate(fw::TObject* Sender) {
    (void)Sender;
    Fire(OnAnimate, this);
    if (FIcons && FIconIndex < FIcons->GetCount() - 1)
        SetIconIndex(FIconIndex + 1);
    else
        SetIconIndex(0);
    Refresh();
}

fw::TShiftState TVeskTrayIcon::ShiftState() {
    fw::TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(fw::ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(fw::ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(fw::ssAlt);
    return s;
}

void TVeskTrayIcon::WindowProc(fw::TMessage& Message) {
    switch (Message.Msg) {
        case WM_QUERYENDSESSION:
            Message.Result = 1;
            return;
        case WM_ENDSESSION:
            if (Message.WParam != 0) Notify(NIM_DELETE);
            return;
        case WM_TRAYICONCALLBACK:
            HandleCallback(Message.LParam);
            return;
        default:
            if (Message.Msg == TaskbarCreatedMessage()) {
                // The shell restarted and lost every icon: put ours back.
                if (FVisible) Notify(NIM_ADD);
            }
            return;
    }
}

void TVeskTrayIcon::HandleCallback(LPARAM Event) {
    POINT pt{};
    GetCursorPos(&pt);
    const int x = pt.x, y = pt.y;
    const fw::TShiftState shift = ShiftState();
    switch (Event) {
        case WM_MOUSEMOVE:
            Fire(OnMouseMove, this, shift, x, y);
            break;
        case WM_LBUTTONDOWN:
            Fire(OnMouseDown, this, fw::mbLeft, shift | fw::ssLeft, x, y);
            FClickPending = true;
            break;
        case WM_LBUTTONUP:
            if (FClickPending && OnClick) {
                // Cleared first: a message loop run by the handler may deliver the next release,
                // which must not click a second time.
                FClickPending = false;
                Fire(OnClick, this);
            }
            Fire(OnMouseUp, this, fw::mbLeft, shift | fw::ssLeft, x, y);
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            Fire(OnDblClick, this);
            break;
        case WM_RBUTTONDOWN:
            Fire(OnMouseDown, this, fw::mbRight, shift | fw::ssRight, x, y);
            break;
        case WM_RBUTTONUP:
            Fire(OnMouseUp, this, fw::mbRight, shift | fw::ssRight, x, y);
            if (FPopupMenu) {
                // The menu closes properly only when the program is in the foreground.
                if (fw::Application) {
                    SetForegroundWindow(fw::Application->GetHandle());
                    fw::Application->ProcessMessages();
                }
                // The skinned menu pops up only when asked and has no popup component to set.
                if (FPopupMenu) FPopupMenu->Popup(x, y);
            }
            break;
        case WM_MBUTTONDOWN:
            Fire(OnMouseDown, this, fw::mbMiddle, shift | fw::ssMiddle, x, y);
            break;
        case WM_MBUTTONUP:
            Fire(OnMouseUp, this, fw::mbMiddle, shift | fw::ssMiddle, x, y);
            break;
        case NIN_BALLOONHIDE:
        case NIN_BALLOONTIMEOUT:
            FData->uFlags &= ~static_cast<UINT>(NIF_INFO);
            break;
        case NIN_BALLOONUSERCLICK:
            Fire(OnBalloonClick, this);
            break;
        default:
            break;
    }
}
