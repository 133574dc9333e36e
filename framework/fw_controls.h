// The control tree: windowless controls (TControl, TGraphicControl) and windowed controls
// (TWinControl, TCustomControl), their painting, mouse routing, enter/leave tracking, focus and
// cursors.
#pragma once

#include "fw_graphics.h"
#include "fw_hwnd.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class TWinControl;
class TControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TControlStyleFlag : unsigned {
    csAcceptsControls = 0x0001,
    csCaptureMouse = 0x0002,
    csDesignInteractive = 0x0004,
    csClickEvents = 0x0008,
    csFramed = 0x0010,
    csSetCaption = 0x0020,
    csOpaque = 0x0040,
    csDoubleClicks = 0x0080,
    csFixedWidth = 0x0100,
    csFixedHeight = 0x0200,
    csNoDesignVisible = 0x0400,
    csReplicatable = 0x0800,
    csNoStdEvents = 0x1000,
    csParentBackground = 0x2000,
};
using TControlStyle = unsigned;

enum TControlStateFlag : unsigned {
    csLButtonDown = 0x0001,
    csClicked = 0x0002,
    csPalette = 0x0004,
    csReadingState = 0x0008,
    csAlignmentNeeded = 0x0010,
    csFocusing = 0x0020,
    csCreating = 0x0040,
    csPaintCopy = 0x0080,
    csCustomPaint = 0x0100,
    csDestroyingHandle = 0x0200,
};
using TControlState = unsigned;

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The system cursor for a cursor value (the drag cursors fall back to the arrow).
HCURSOR CursorHandle(TCursor Cursor);
// A cursor shown over every window of the program while it is not crDefault (the screen's).
TCursor GetGlobalCursor();
void SetGlobalCursor(TCursor Value);

// Bidirectional mode of a control's text: left-to-right, right-to-left (reading and alignment),
// right-to-left reading with left-to-right alignment kept, right-to-left reading only.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
// The application's bidirectional mode, which top-level controls following their parent take.
// Changing it is the application's business (it tells the forms); this only stores it.
TBiDiMode GetApplicationBiDiMode();
void StoreApplicationBiDiMode(TBiDiMode Value);

// A canvas bound to a control: holds a device context only while the control paints, except
// that a windowed control's canvas can make a screen-compatible one on demand for measuring.
class TControlCanvas : public TCanvas {
public:
    FW_CLASSNAME(TControlCanvas)
    explicit TControlCanvas(TControl* AControl) : FControl(AControl) {}
    ~TControlCanvas() override;
    TControl* GetControl() const { return FControl; }

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    TOwnedDC FOwnDC;
};

// ---------------------------------------------------------------------------------------------
// Drag and drop, docking events, context popup, mouse activation and size constraints.

enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// The answer to a mouse activation; maDefault leaves it to the default processing.
enum TMouseActivate { maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat };

// What is being dragged. Targets receive GetSource() as the Source of their events.
class TDragObject : public TObject {
public:
    FW_CLASSNAME(TDragObject)
    virtual TObject* GetSource() { return this; }
};

// A control being dragged: targets receive the control itself as Source.
class TDragControlObject : public TDragObject {
public:
    FW_CLASSNAME(TDragControlObject)
    explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
    TControl* GetControl() const { return FControl; }
    TObject* GetSource() override;

private:
    TControl* FControl;
};

// A control dragged with DragKind dkDock.
class TDragDockObject : public TDragControlObject {
public:
    FW_CLASSNAME(TDragDockObject)
    using TDragControlObject::TDragControlObject;
};

// A drag object supplied by OnStartDrag/OnStartDock stays the handler's and must live until the
// drag ends; left nullptr, the framework makes (and frees) one for the control.
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TStartDockEvent = std::function<void(TObject* Sender, TDragDockObject*& DragObject)>;
// Accept is true on entry; a control without OnDragOver accepts nothing.
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
// Target nullptr: the drag was cancelled or refused (X, Y then 0).
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// MousePos in the control's client coordinates; Handled is false on entry.
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMouseActivateEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y,
                                               int HitTest, TMouseActivate& MouseActivate)>;

// A menu a control pops up on a right click (the skinned popup menu derives from it).
class TPopupMenuBase : public TComponent {
public:
    FW_CLASSNAME(TPopupMenuBase)
    explicit TPopupMenuBase(TComponent* AOwner) : TComponent(AOwner) {}
    // Shows the menu at the screen point.
    virtual void Popup(int X, int Y) = 0;
};

// Size limits of a control, 0 = no limit; every size change of the control honours them and a
// change of a limit re-applies them at once.
class TSizeConstraints : public TPersistent {
public:
    FW_CLASSNAME(TSizeConstraints)
    explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
    int GetMinWidth() const { return FMinWidth; }
    int GetMinHeight() const { return FMinHeight; }
    int GetMaxWidth() const { return FMaxWidth; }
    int GetMaxHeight() const { return FMaxHeight; }
    // A minimum above the maximum raises the maximum, a maximum below the minimum lowers the
    // minimum; negative values count as 0.
    void SetMinWidth(int Value) { SetMin(FMinWidth, FMaxWidth, Value); }
    void SetMinHeight(int Value) { SetMin(FMinHeight, FMaxHeight, Value); }
    void SetMaxWidth(int Value) { SetMax(FMaxWidth, FMinWidth, Value); }
    void SetMaxHeight(int Value) { SetMax(FMaxHeight, FMinHeight, Value); }
    void Assign(TPersistent* Source) override;
    // Brings a size within the limits.
    void Constrain(int& Width, int& Height) const;

private:
    void SetMin(int& Min, int& Max, int Value);
    void SetMax(int& Max, int& Min, int Value);
    void Change();
    TControl* FControl;
    int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

class TDragDriver;

using TWndMethodProc = std::function<void(TMessage&)>;

class TControl : public TComponent {
public:
    FW_CLASSNAME(TControl)
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Every message, from Win32 or from Perform, goes through WindowProc; by default it calls the
    // virtual WndProc. Replaceable and restorable: save it, assign your own, call the saved one.
    TWndMethodProc WindowProc;
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    virtual TRect GetClientRect() const;
    int GetClientWidth() const { return GetClientRect().Width(); }
    int GetClientHeight() const { return GetClientRect().Height(); }
    virtual void SetClientWidth(int Value);
    virtual void SetClientHeight(int Value);
    // Client origin in screen coordinates (windowless: through the parent).
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& P) const;
    TPoint ScreenToClient(const TPoint& P) const;

    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a top-level window.
    bool Showing() const;
    bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);

    std::wstring GetText() const { return GetTextValue(); }
    void SetText(const std::wstring& Value);
    std::wstring GetCaption() const { return GetText(); }
    void SetCaption(const std::wstring& Value) { SetText(Value); }

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    const std::wstring& GetHint() const { return FHint; }
    void SetHint(const std::wstring& Value) { FHint = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors GetAnchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    bool GetAutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);

    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState GetControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }

    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // True while this control receives every mouse message (after a press, until the release).
    bool GetMouseCapture() const;
    void SetMouseCapture(bool Value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnResize;

    // -- Drag and drop, docking events, context popup, mouse activation, size constraints --
    TSizeConstraints* GetConstraints() const { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    TPopupMenuBase* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenuBase* Value);
    TDragMode GetDragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TDragKind GetDragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Value) { FDragKind = Value; }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // Starts dragging this control: at once, or once the mouse moves more than Threshold pixels
    // (-1: the system's drag threshold) from where it is now. One drag runs at a time.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Ends this control's drag: drops on the target under the cursor when it accepts, else (or
    // with Drop false) cancels.
    void EndDrag(bool Drop);
    // True while this control is being dragged (or waits for the drag threshold).
    bool Dragging() const;
    // A dragged object over this control / dropped on it (fire OnDragOver / OnDragDrop).
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int X, int Y);

    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TEndDragEvent OnEndDock;
    TContextPopupEvent OnContextPopup;
    TMouseActivateEvent OnMouseActivate;

    // Non-null while the control object lives; reset when it dies (for handlers that must find
    // out whether the sender survived).
    std::shared_ptr<bool> AliveToken() const { return FAlive; }

    // Bidirectional mode. ParentBiDiMode (default true) takes the parent's mode, or the
    // application's for a control without a parent, and follows its changes; setting BiDiMode
    // clears it.
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool GetParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    // Any mode but left-to-right reads right to left.
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    // Only bdRightToLeft mirrors the alignment.
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    // DrawText flags for this control: DT_LEFT and DT_RIGHT exchanged under right-to-left
    // alignment (centring kept), DT_RTLREADING added under right-to-left reading.
    UINT DrawTextBiDiModeFlags(UINT Flags) const;

    // Keyboard focus and tab order. Windowless controls take part too: a focused windowless
    // control is remembered by its top-level control while its parent window holds the focus.
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // The position among the parent's children in tab order; -1 or a value past the end means
    // the last place. Without a parent the value is kept until the control gets one.
    int GetTabOrder() const;
    void SetTabOrder(int Value);
    // Visible and enabled, with every parent.
    virtual bool CanFocus() const;
    virtual void SetFocus();
    virtual bool Focused() const;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    friend class TWinControl;
    friend class TMouseTracker;

    // Keys reaching a focused windowless control (before its parent window sees them); setting
    // Key to 0 consumes it.
    virtual void KeyDown(WORD& Key, TShiftState Shift) {
        (void)Key;
        (void)Shift;
    }
    virtual void KeyUp(WORD& Key, TShiftState Shift) {
        (void)Key;
        (void)Shift;
    }
    virtual void KeyPress(wchar_t& Key) { (void)Key; }
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    bool FTabStop = false;
    int FTabOrder = -1;  // kept while there is no parent

    virtual void WndProc(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);
    virtual std::wstring GetTextValue() const { return FText; }
    virtual void SetTextValue(const std::wstring& Value);

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void Resize();
    // AutoSize: the preferred size (change NewWidth/NewHeight); false keeps the asked size.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    // The size SetBounds really applies: the auto-size answer, never negative, CanResize's veto.
    void AdjustRequestedSize(int& AWidth, int& AHeight);
    virtual void FontChanged();
    void DestroyingResources() override;
    // Bounds were stored: invalidate (windowless) and realign children.
    virtual void BoundsChanged(const TRect& OldBounds);
    void InvalidateControl(bool IsVisible, bool IsOpaque);

    // Drag, dock, context popup and activation steps (fire the events of the same names).
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual void DoStartDock(TDragDockObject*& DragObject);
    virtual void DoEndDock(TObject* Target, int X, int Y);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual TMouseActivate MouseActivate(TMouseButton Button, TShiftState Shift, int X, int Y, int HitTest);
    // A limit of Constraints changed: the current size is brought within the limits.
    virtual void ConstraintsChanged();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    std::wstring FText;
    TColor FColor = clWindow;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    std::wstring FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akLeft | akTop;
    bool FAutoSize = false;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    TControlState FControlState = 0;
    bool FUpdatingFont = false;

private:
    void WMMouse(TMessage& Message);
    void ButtonPressed(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ButtonDoubleClicked(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ButtonReleased(TMouseButton Button, TShiftState Shift, int X, int Y);
    void CMMouseWheel(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    void CMParentBiDiModeChanged(TMessage& Message);
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

    friend class TSizeConstraints;
    friend class TDragDriver;
    void WMContextMenu(TMessage& Message);
    std::unique_ptr<TSizeConstraints> FConstraints = std::make_unique<TSizeConstraints>(this);
    TPopupMenuBase* FPopupMenu = nullptr;
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
    TCursor FDragCursor = crDrag;
};

struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT WindowClassStyle = 0;
    HBRUSH WindowClassBackground = nullptr;
    std::wstring WinClassName;
    // When set, the window is a subclass of this system class (standard controls).
    std::wstring SysClassName;
};

class TWinControl : public TControl {
public:
    FW_CLASSNAME(TWinControl)
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    void DestroyHandle();

    int GetControlCount() const { return static_cast<int>(FControls.size()); }
    // Windowless children first (bottom of the z-order first), then windowed children.
    TControl* GetControl(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // The topmost visible windowless child at the client point (AllowDisabled: disabled ones too).
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetVisible(bool Value) override;
    void SetEnabled(bool Value) override;

    bool CanFocus() const override;
    void SetFocus() override;
    bool Focused() const override;
    bool GetDoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }

    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Own content only (no windowless children): custom controls bind the canvas and Paint.
    virtual void PaintWindow(HDC DC);
    // Paints the visible windowless children (from First upward when given) into DC.
    void PaintControls(HDC DC, TControl* First);
    // Erase, own content, windowless children and windowed children into any DC at (X, Y).
    void PaintTo(HDC DC, int X, int Y);

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // Re-applies Align and Anchors of the children to the current client size.
    void Realign();

    // The top-level control of this control's tree (itself when it has no parent).
    TWinControl* TopParent() const;
    // The children in tab order.
    const std::vector<TControl*>& GetTabList() const { return FTabList; }
    // This control's tree in tab order, depth first (itself not included).
    void GetTabOrderList(std::vector<TControl*>& List) const;
    // Moves the focus to the next (or previous) TabStop control of this tree after Current,
    // wrapping around; false when no control can take it.
    bool SelectNext(TControl* Current, bool GoForward);
    // The windowless control this top-level control remembers as focused (nullptr for none).
    TControl* GetFocusedWindowless() const;
    // Offers a character to the controls as an accelerator (CM_DIALOGCHAR, depth first); true
    // when one took it.
    bool DialogChar(wchar_t Ch);

protected:
    friend class TControl;
    friend LRESULT CALLBACK FwWindowProc(HWND, UINT, WPARAM, LPARAM);
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    // After the window exists: children get their handles.
    virtual void CreateHandleDone() {}
    virtual void DestroyWnd();
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void SetTextValue(const std::wstring& Value) override;
    std::wstring GetTextValue() const override;
    void BoundsChanged(const TRect& OldBounds) override;
    void DestroyingResources() override;
    // Called by the outer window procedure after WindowProc handled a message (forms fire their
    // activation events here, so classes that replace WM_ACTIVATE do not suppress them).
    virtual void AfterMessage(const TMessage& Message) { (void)Message; }
    // Called when the outermost message of the window has returned (no message of it is on the
    // stack any more): deferred destruction happens here.
    virtual void AfterOutermostMessage() {}
    // The top-level window sees a child's key first when it previews keys; true: consumed.
    virtual bool PreviewKey(UINT Msg, WORD& Key, TShiftState Shift) {
        (void)Msg;
        (void)Key;
        (void)Shift;
        return false;
    }
    virtual bool DoKeyDown(WORD& Key, TShiftState Shift);
    virtual bool DoKeyPress(wchar_t& Key);
    virtual bool DoKeyUp(WORD& Key, TShiftState Shift);
    virtual void AlignControls(TRect& Rect);
    void PaintHandler(HDC PaintDC, const TRect& UpdateRect);
    void UpdateBoundsFromWindow();
    virtual TPoint WindowPosToParentClient(const RECT& WindowRect) const;

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;     // windowless, bottom first
    std::vector<TWinControl*> FWinControls;  // windowed, creation order
    bool FDoubleBuffered = false;
    int FMessageDepth = 0;
    TPoint FAlignSize{-1, -1};
    bool FAligning = false;

private:
    bool RouteMouseToChild(TMessage& M);
    void WMPaint(TMessage& Message);
    void PaintBuffered(HDC DC, const TRect& UpdateRect);
    void WMEraseBkgnd(TMessage& Message);
    void WMMouseMove(TMessage& Message);
    void WMButtonUp(TMessage& Message);
    void WMCancelMode(TMessage& Message);
    void WMCaptureChanged(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMPrintClient(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void WMChar(TMessage& Message);
    void ReflectToChild(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMBiDiModeChanged(TMessage& Message);
    // Remembers (nullptr: forgets) the focused windowless control, with CM_EXIT and CM_ENTER for
    // the controls that lose or gain the focus that way.
    void SetFocusedWindowless(TControl* Control);
    // The windowless child of this window that holds the focus, or nullptr.
    TControl* FocusedChild() const;
    // Gives a key to the focused windowless child first; false when the child consumed it (set it
    // to 0) or a handler freed this window.
    bool KeyToFocusedChild(bool Down, WORD& Key, LPARAM KeyData);
    // Whether the window wants plain characters itself (an edit does).
    bool WantsChars();
    std::vector<TControl*> FTabList;
    TControl* FFocusedWindowless = nullptr;  // on the top-level control
    std::shared_ptr<bool> FFocusedWindowlessAlive;
    // Context menu (to the windowless child under the point first), mouse activation (to the
    // windowless child under the cursor), size limits of a window the user sizes.
    void RouteContextMenu(TMessage& Message);
    void WMMouseActivate(TMessage& Message);
    void WMGetMinMaxInfo(TMessage& Message);
};

class TCustomControl : public TWinControl {
public:
    FW_CLASSNAME(TCustomControl)
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* GetCanvas() const { return FCanvas.get(); }
    void PaintWindow(HDC DC) override;
    TNotifyEvent OnPaint;

protected:
    void CreateParams(TCreateParams& Params) override;
    virtual void Paint();
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TGraphicControl : public TControl {
public:
    FW_CLASSNAME(TGraphicControl)
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* GetCanvas() const { return FCanvas.get(); }

protected:
    void WndProc(TMessage& Message) override;
    virtual void Paint() {}
    std::unique_ptr<TControlCanvas> FCanvas;
};

// The window procedure of every framework window.
LRESULT CALLBACK FwWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The control bound to a window handle (nullptr for foreign windows).
TWinControl* FindControl(HWND Wnd);
// The deepest control (windowless included) at a screen point, or nullptr.
TControl* FindDragTarget(const TPoint& ScreenPos, bool AllowDisabled);

// The control under the mouse (enter/leave tracking) and the capture control.
class TMouseTracker {
public:
    static TControl* ControlUnderMouse();
    static TControl* CaptureControl();
    // Recomputes the control under the mouse for a move received by Wnd at a client point.
    static void MouseMoved(TWinControl* Receiver, const TPoint& ClientPos);
    static void MouseLeftWindow(TWinControl* Receiver);
    // Makes Control the control under the mouse (sending leave and enter as needed).
    static void SetControlUnderMouse(TControl* Control);
    // A control that goes away (destroyed or hidden) is forgotten without messages.
    static void Forget(TControl* Control);
    static void SetCaptureControl(TControl* Control);
    // Hook for the hint machinery: called whenever the control under the mouse changes.
    static std::function<void(TControl*)>& OnMouseControlChanged();
};

// Shift state from the WPARAM of a mouse message (MK_* flags).
TShiftState MouseKeysToShift(WPARAM Keys);
// Shift state from a key message's LPARAM (Alt bit) and the keyboard state.
TShiftState KeyDataToShiftState(LPARAM KeyData);

// The framework control of a window or of the nearest framework window it is a child of.
TWinControl* FindControlOrParent(HWND Wnd);
// Tab (Shift+Tab: backward) pressed in a window: moves the focus in that window's top-level
// control. True when the key was used.
bool TabNavigate(HWND Wnd, bool Backward);

}  // namespace fw
