// The program's text label: a windowless, double-buffered control that draws its caption with
// DrawTextW (alignment, vertical layout, word wrap, accelerators, tabs, ellipses), embossed when
// disabled, and shows the full caption as a hint when the mouse enters a cut-off label.
#pragma once

#include "VeskGraphicControl.h"
#include "VeskHint.h"
#include "fw_stdctrls.h"

#include <functional>
#include <string>

enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

class TVeskCustomLabel : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TVeskCustomLabel)
    explicit TVeskCustomLabel(fw::TComponent* AOwner);
    ~TVeskCustomLabel() override;

    // Every text output and measurement goes through this routine (DrawTextW by default).
    using TDrawTextRoutine = std::function<int(HDC DC, const std::wstring& Text, fw::TRect& Rect, UINT Flags)>;

    void Loaded() override;
    void SetAutoSize(bool Value) override;
    // Stores a different text and repaints (the size follows through the text-changed message).
    void SetCaption(const std::wstring& Value);
    std::wstring GetCaption() const { return GetText(); }

protected:
    // The text to draw.
    virtual std::wstring GetLabelText();
    // Draws (or, with DT_CALCRECT, measures) the text into Rect on the current text canvas.
    virtual void DoDrawText(fw::TRect& Rect, UINT Flags);
    // Fits the size to the text when AutoSize is on.
    virtual void AdjustBounds();
    void ConstraintsChanged() override;
    void Paint() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void WndProc(fw::TMessage& Message) override;

    fw::TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(fw::TWinControl* Value);
    fw::TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(fw::TAlignment Value);
    int GetGlowSize() const { return FGlowSize; }
    void SetGlowSize(int Value);
    fw::TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(fw::TTextLayout Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TEllipsisPosition GetEllipsisPosition() const { return FEllipsisPosition; }
    void SetEllipsisPosition(TEllipsisPosition Value);
    TveskHint* GetVeskHint() const { return FVeskHint; }
    void SetVeskHint(TveskHint* Value);

    // Set by each paint when the caption does not fit.
    bool GetTruncated() const { return FTruncated; }

    fw::TWinControl* FFocusControl = nullptr;
    fw::TAlignment FAlignment = fw::taLeftJustify;
    TDrawTextRoutine FDrawTextRoutine;
    int FGlowSize = 0;
    fw::TTextLayout FLayout = fw::tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    bool FTruncated = false;
    std::wstring FSavedHint;
    bool FSavedShowHint = false;
    TEllipsisPosition FEllipsisPosition = epNone;
    TveskHint* FVeskHint = nullptr;

private:
    void HintSwapOn();
    void HintSwapOff();
    // The canvas DoDrawText works on: the buffer's, or the screen's while AdjustBounds measures.
    fw::TCanvas* TextCanvas();
    fw::TCanvas* FTextCanvas = nullptr;
    // What the mouse-enter swap did, so that leaving undoes exactly that.
    enum TSwap { swNone, swTooltip, swBalloon } FSwap = swNone;
    bool FSavedParentShowHint = true;
};

class TVeskLabel : public TVeskCustomLabel {
public:
    FW_CLASSNAME(TVeskLabel)
    explicit TVeskLabel(fw::TComponent* AOwner) : TVeskCustomLabel(AOwner) {}

    using TVeskCustomLabel::GetAlignment;
    using TVeskCustomLabel::SetAlignment;
    using TVeskCustomLabel::GetEllipsisPosition;
    using TVeskCustomLabel::SetEllipsisPosition;
    using TVeskCustomLabel::GetFocusControl;
    using TVeskCustomLabel::SetFocusControl;
    using TVeskCustomLabel::GetGlowSize;
    using TVeskCustomLabel::SetGlowSize;
    using TVeskCustomLabel::GetShowAccelChar;
    using TVeskCustomLabel::SetShowAccelChar;
    using TVeskCustomLabel::GetLayout;
    using TVeskCustomLabel::SetLayout;
    using TVeskCustomLabel::GetVeskHint;
    using TVeskCustomLabel::SetVeskHint;
    using TVeskCustomLabel::GetWordWrap;
    using TVeskCustomLabel::SetWordWrap;
};
