// The icon in the taskbar's notification area: tip text, mouse callbacks turned into events,
// animation through an image list and a balloon tip. Its callbacks arrive at a hidden top-level
// window of its own.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <memory>
#include <string>

#include "VeskStdImageList.h"
#include "fw_classes.h"
#include "fw_controls.h"
#include "fw_graphics.h"
#include "fw_timer.h"

// The icon of a balloon tip (the shell's NIIF_* values).
enum TBalloonFlags : uint8_t { bfNone = 0, bfInfo = 1, bfWarning = 2, bfError = 3 };

// The shell call every change of the icon goes through; tests put a recorder here.
using TShellNotifyIconProc = BOOL(WINAPI*)(DWORD Message, PNOTIFYICONDATAW Data);
extern TShellNotifyIconProc ShellNotifyIconProc;

// The block handed to the shell: the layout up to the balloon's title and info flags (936 bytes),
// which every shell since Windows 2000 understands.
constexpr DWORD TrayIconDataSize = 936;
static_assert(offsetof(NOTIFYICONDATAW, guidItem) == TrayIconDataSize, "NOTIFYICONDATAW layout");

// The callback message of the icon.
constexpr UINT WM_TRAYICONCALLBACK = WM_USER + 1;

class TVeskTrayIcon : public fw::TComponent {
public:
    FW_CLASSNAME(TVeskTrayIcon)
    explicit TVeskTrayIcon(fw::TComponent* AOwner);
    ~TVeskTrayIcon() override;

    bool GetAnimate() const { return FAnimate; }
    void SetAnimate(bool Value) { FAnimate = Value; }
    TBalloonFlags GetBalloonFlags() const { return FBalloonFlags; }
    void SetBalloonFlags(TBalloonFlags Value) { FBalloonFlags = Value; }
    bool GetClickPending() const { return FClickPending; }
    fw::TIcon* GetCurrentIcon() const { return FCurrentIcon.get(); }
    const NOTIFYICONDATAW& GetData() const { return *FData; }
    // The icon chosen by the user of the component; copied in.
    fw::TIcon* GetIcon() const { return FIcon.get(); }
    void SetIcon(fw::TIcon* Value);
    TVeskCustomImageList* GetIcons() const { return FIcons; }
    void SetIcons(TVeskCustomImageList* Value);
    // Any popup menu of the framework.
    fw::TPopupMenuBase* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(fw::TPopupMenuBase* Value);
    fw::TTimer* GetAnimateTimer() const { return FAnimateTimer; }
    const std::wstring& GetHint() const { return FHint; }
    void SetHint(const std::wstring& Value);
    int GetIconIndex() const { return FIconIndex; }
    virtual void SetIconIndex(int Value);
    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool Value);

    void SetBalloonTimeout(UINT Milliseconds);
    // Title (up to 63 characters) and text (up to 255) of the next balloon tip.
    void SetBalloonText(const std::wstring& Title, const std::wstring& Text);
    virtual void ShowBalloonHint();
    // Hands the current icon to the shell when the icon is shown.
    void Refresh();

    fw::TNotifyEvent OnBalloonClick;
    fw::TNotifyEvent OnClick;
    fw::TNotifyEvent OnDblClick;
    fw::TNotifyEvent OnAnimate;
    fw::TMouseEvent OnMouseDown;
    fw::TMouseEvent OnMouseUp;
    fw::TMouseMoveEvent OnMouseMove;

protected:
    // The hidden window's procedure.
    virtual void WindowProc(fw::TMessage& Message);
    // The animation timer's handler: the next frame of Icons.
    virtual void DoOnAnimate(fw::TObject* Sender);
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

    bool Notify(DWORD Action);
    void SetDefaultIcon();
    static fw::TShiftState ShiftState();

private:
    void HandleCallback(LPARAM Event);

    bool FAnimate = false;
    TBalloonFlags FBalloonFlags = bfNone;
    bool FClickPending = false;
    std::unique_ptr<fw::TIcon> FCurrentIcon;
    std::unique_ptr<NOTIFYICONDATAW> FData;
    std::unique_ptr<fw::TIcon> FIcon;
    TVeskCustomImageList* FIcons = nullptr;
    fw::TPopupMenuBase* FPopupMenu = nullptr;
    fw::TTimer* FAnimateTimer = nullptr;
    std::wstring FHint;
    int FIconIndex = 0;
    bool FVisible = false;
    HWND FWindow = nullptr;
};
