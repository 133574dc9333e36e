// Forms, the application object, the screen, hints and the hint window.
#pragma once

#include "fw_controls.h"
#include "fw_timer.h"

#include <memory>
#include <vector>

namespace fw {

class TForm;
class TApplication;
class TScreen;
class THintWindow;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIconFlag : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPopupMode { pmNone, pmAuto, pmExplicit };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

// Only the framework's factories can make one, so every form is created through CreateForm or
// CreateNew, and OnCreate runs after the complete object exists.
class TFormKey {
private:
    TFormKey() = default;
    friend class TForm;
    friend class TApplication;
};

class TForm : public TCustomControl {
public:
    FW_CLASSNAME(TForm)
    TForm(const TFormKey& Key, TComponent* AOwner);
    ~TForm() override;

    // Creates a form of class T: the complete object first, then its description (when it has
    // one), Loaded, the registration, then OnCreate.
    template <class T, class... Args>
    static T* CreateForm(TComponent* AOwner, Args&&... args) {
        T* f = new T(TFormKey(), AOwner, std::forward<Args>(args)...);
        f->FinishCreation(true, nullptr);
        return f;
    }
    // Creates a form without reading a description; properties are set in code.
    template <class T, class... Args>
    static T* CreateNew(TComponent* AOwner, Args&&... args) {
        T* f = new T(TFormKey(), AOwner, std::forward<Args>(args)...);
        f->FinishCreation(false, nullptr);
        return f;
    }

    TRect GetClientRect() const override;
    void SetVisible(bool Value) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetFocus() override;
    void Show();
    void Hide() { SetVisible(false); }
    void BringToFront();
    void Close();
    virtual bool CloseQuery();
    // Destroys the form once no message of it is on the stack any more.
    void Release();
    int ShowModal();
    bool IsModal() const { return FModal; }

    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState GetWindowState() const;
    void SetWindowState(TWindowState Value);
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    TPopupMode GetPopupMode() const { return FPopupMode; }
    void SetPopupMode(TPopupMode Value) { FPopupMode = Value; }
    TForm* GetPopupParent() const { return FPopupParent; }
    void SetPopupParent(TForm* Value) { FPopupParent = Value; }
    bool GetKeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    bool GetAlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool Value);
    BYTE GetAlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(BYTE Value);
    TIcon* GetIcon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);
    TWinControl* GetActiveControl() const;
    void SetActiveControl(TWinControl* Value);
    bool Active() const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    friend class TApplication;
    // Reads the form description of the class (generated code overrides it). Returns true when
    // one was read; the loader then has called Loaded on every component it created.
    virtual bool ReadDescription() { return false; }
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& Action);
    virtual void DoShow();
    virtual void DoHide();
    void FinishCreation(bool WithDescription, TForm** Reference);
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& Message) override;
    void AfterMessage(const TMessage& Message) override;
    void AfterOutermostMessage() override;
    void DoDestroying() override;
    TPoint WindowPosToParentClient(const RECT& WindowRect) const override;
    bool DoKeyDown(WORD& Key, TShiftState Shift) override;
    bool PreviewKey(UINT Msg, WORD& Key, TShiftState Shift) override;
    void SetTextValue(const std::wstring& Value) override;
    bool DoKeyPress(wchar_t& Key) override;
    bool DoKeyUp(WORD& Key, TShiftState Shift) override;
    void ApplyStyles();
    void ApplyPosition();
    // OnShow/OnHide once per change of the window's visibility, however it came about.
    void ShowingChanged(bool Shown);

private:
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TModalResult FModalResult = mrNone;
    TPopupMode FPopupMode = pmNone;
    TForm* FPopupParent = nullptr;
    bool FKeyPreview = false;
    bool FAlphaBlend = false;
    BYTE FAlphaBlendValue = 255;
    std::unique_ptr<TIcon> FIcon;
    TWinControl* FActiveControl = nullptr;
    std::shared_ptr<bool> FActiveControlAlive;
    bool FModal = false;
    bool FReleasePending = false;
    bool FPositionApplied = false;
    bool FCreated = false;
    bool FShownReported = false;
};

// A multicast notification: subscribers are keyed by an object (usually themselves).
class TNotifyList {
public:
    void Add(const void* Key, TNotifyEvent Handler);
    void Remove(const void* Key);
    bool Empty() const { return FItems.empty(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Calls every subscriber (a handler may unsubscribe itself or others while this runs).
    void Fire(TObject* Sender);

private:
    std::vector<std::pair<const void*, TNotifyEvent>> FItems;
};

using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class THintWindow : public TCustomControl {
public:
    FW_CLASSNAME(THintWindow)
    explicit THintWindow(TComponent* AOwner);
    // The word-wrapped text's size plus margins.
    virtual TRect CalcHintRect(int MaxWidth, const std::wstring& Text, void* Data);
    // Moves (kept inside the work area), sets the text and shows the window topmost without
    // activating it.
    virtual void ActivateHint(TRect Rect, const std::wstring& Text);
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void Paint() override;
};

class TApplication : public TComponent {
public:
    FW_CLASSNAME(TApplication)
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Creates the hidden application window and initialises OLE on this thread.
    void Initialize();
    HWND GetHandle();

    template <class T>
    T* CreateForm() {
        T* f = new T(TFormKey(), this);
        f->FinishCreation(true, nullptr);
        return f;
    }
    // Sets Reference to the new form before its description is read and OnCreate runs.
    template <class T>
    void CreateForm(T*& Reference) {
        T* f = new T(TFormKey(), this);
        Reference = f;
        f->FinishCreation(true, nullptr);
    }

    TForm* GetMainForm() const { return FMainForm; }
    void Run();
    void Terminate();
    bool GetTerminated() const { return FTerminated; }
    // For hosts that run more than one loop in a process (tests).
    void ClearTerminated() { FTerminated = false; }
    void ProcessMessages();
    // Processes one message, or waits for one when the queue is empty.
    void HandleMessage();
    bool ProcessMessage(MSG& Msg);
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    // Destroys the main form first, then the other components the application owns.
    void DestroyForms();

    const std::wstring& GetTitle() const { return FTitle; }
    void SetTitle(const std::wstring& Value);
    TIcon* GetIcon();
    bool GetShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }
    bool GetMainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool Value) { FMainFormOnTaskBar = Value; }
    bool GetActive() const { return FActive; }
    // The bidirectional mode of the program; forms following their parent's mode take it.
    TBiDiMode GetBiDiMode() const { return GetApplicationBiDiMode(); }
    void SetBiDiMode(TBiDiMode Value);

    // Hints.
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    int GetHintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int GetHintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    // Shows at once the hint of the control under the screen point.
    void ActivateHint(TPoint CursorPos);
    void CancelHint();
    THintWindow* GetHintWindow() const { return FHintWindow; }
    TControl* GetHintControl() const { return FHintControl; }
    std::function<THintWindow*(TComponent*)> HintWindowClass;

    TMessageEvent OnMessage;
    TExceptionEvent OnException;
    // Shows the default error display (MessageBoxW unless replaced, e.g. by tests).
    std::function<int(HWND Owner, const std::wstring& Text, const std::wstring& Caption, UINT Flags)> ErrorBox;
    TNotifyEvent OnIdle;
    // Fired once per activation change of the application (WM_ACTIVATEAPP).
    TNotifyList OnActivate;
    TNotifyList OnDeactivate;

    // Called by the forms' window procedure for WM_ACTIVATEAPP.
    void ActivateApp(bool Active);

protected:
    void BeforeDestruction() override;

private:
    friend class TForm;
    void Idle();
    void HintControlChanged(TControl* Control);
    void ShowHintFor(TControl* Control, TPoint CursorPos);
    TForm* FMainForm = nullptr;
    HWND FHandle = nullptr;
    bool FTerminated = false;
    bool FShowMainForm = true;
    bool FMainFormOnTaskBar = false;
    bool FActive = true;
    bool FShowingException = false;
    std::wstring FTitle;
    std::unique_ptr<TIcon> FIcon;
    bool FShowHint = true;
    int FHintPause = 500;
    int FHintHidePause = 2500;
    TControl* FHintControl = nullptr;
    std::shared_ptr<bool> FHintControlAlive;
    THintWindow* FHintWindow = nullptr;
    TTimer* FHintTimer = nullptr;
    TTimer* FHideTimer = nullptr;
    bool FOleInitialized = false;
};

class TScreen : public TComponent {
public:
    FW_CLASSNAME(TScreen)
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int GetFormCount() const { return static_cast<int>(FForms.size()); }
    TForm* GetForm(int Index) const;
    // The live form with that component name (case-insensitive), or nullptr.
    TForm* FindForm(const std::wstring& Name) const;
    TForm* GetActiveForm() const { return FActiveForm; }

    int GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
    int GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }
    int GetPixelsPerInch() const { return ScreenPixelsPerInch(); }
    TRect GetWorkAreaRect() const;
    // Replaces the system's work area (tests); an empty rectangle restores it.
    void SetWorkAreaRect(const TRect& Value) { FWorkArea = Value; }
    HCURSOR GetCursors(TCursor Index) const { return CursorHandle(Index); }
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TFont* GetHintFont();

private:
    friend class TForm;
    void AddForm(TForm* F);
    void RemoveForm(TForm* F);
    std::vector<TForm*> FForms;
    TForm* FActiveForm = nullptr;
    TRect FWorkArea;
    TCursor FCursor = crDefault;
    std::unique_ptr<TFont> FHintFont;
};

extern TApplication* Application;
extern TScreen* Screen;

// The form a control stands on (its top-level parent when that is a form), or nullptr.
TForm* GetParentForm(TControl* Control);

}  // namespace fw
