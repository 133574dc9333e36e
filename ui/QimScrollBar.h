// The windowed skinned scroll bar: the model, geometry, stepping, auto-repeat and drag of the
// Vesk PNG bar, drawn into the Qim base's 32-bit back buffer. Being a window it takes the
// keyboard focus on a press, scrolls with the wheel while focused and reports losing the focus.
#pragma once

#include "QimDrawing.h"
#include "QimScrollBarRes.h"
#include "QimUICore.h"
#include "VeskPngScrollBar.h"

#include <functional>

using TQimUIScrollEvent = TVeskScrollEvent;

class TQimScrollBar;
// Replaces invalidation as the bar's repaint request when assigned.
using TQimScrollBarRepaintHook = std::function<void(TQimScrollBar* Bar)>;

class TQimScrollBar
    : public TSkinScrollBarCore<TQimUIParentControl, TQimUIPadding, TQimUIScrollkind, TQimScrollBarRes> {
public:
    FW_CLASSNAME(TQimScrollBar)
    explicit TQimScrollBar(fw::TComponent* AOwner);
    ~TQimScrollBar() override;

    TQimUIPadding* GetBackSplit() const { return FBackSplit.get(); }
    void SetBackSplit(TQimUIPadding* Value) { FBackSplit->Assign(Value); }
    TSplitMode GetSplitMode() const { return FSplitMode; }
    void SetSplitMode(TSplitMode Value) { FSplitMode = Value; }

    // Copies the resource's skin and prepares it afresh (every assignment re-cuts the frames).
    void ApplyScrollRes() override;
    void RequestPaint() override;
    void DrawControl(fw::TBitmap32* Buffer) override;

    TQimScrollBarRepaintHook GetRepaintHook() const { return FRepaintHook; }
    void SetRepaintHook(TQimScrollBarRepaintHook Value) { FRepaintHook = std::move(Value); }

    fw::TNotifyEvent OnLostFocus;

protected:
    void ScrollRedraw() override { RequestPaint(); }
    // The slider cannot run past the last page: Position stays within Max - PageSize + 1.
    int64_t PositionHigh() const override { return int64_t(FMax) - FPageSize + 1; }
    TPngPtr CutFrame(fw::TPngImage* Png, int Count, int Index) override;
    TPngPtr StretchThree(fw::TPngImage* Png, int A, int B, int Target, bool Vertical) override;
    bool LTRectNeedsRB() const override { return false; }
    void AdjustSliderCross(fw::TRect& Slider) override;
    void PrepareSkin() override;
    void PrepareBack() override;
    void DrawBack(fw::TCanvas* Canvas) override;
    void Paint() override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void WndProc(fw::TMessage& Message) override;

private:
    TPngPtr BackFrame(fw::TPngImage* Png, bool ThreePart);

    std::unique_ptr<TQimUIPadding> FBackSplit;
    TSplitMode FSplitMode = SmHor;
    TQimScrollBarRepaintHook FRepaintHook;
};
