#include "VeskLabel.h"

#include "fw_handles.h"

#include <cwctype>

using namespace fw;

namespace {

int PlainDrawText(HDC DC, const std::wstring& Text, TRect& Rect, UINT Flags) {
    // Some flags let DrawTextW write into the buffer: give it a private, padded copy.
    std::wstring buf = Text;
    buf.resize(Text.size() + 8, L'\0');
    return ::DrawTextW(DC, buf.data(), static_cast<int>(Text.size()), Rect.Ptr(), Flags);
}

// True when Ch is the accelerator of Caption: the character after the first single "&".
bool IsAccel(WPARAM Ch, const std::wstring& Caption) {
    size_t i = 0;
    while ((i = Caption.find(L'&', i)) != std::wstring::npos) {
        if (i + 1 >= Caption.size()) return false;
        if (Caption[i + 1] == L'&') {
            i += 2;
            continue;
        }
        return std::towupper(Caption[i + 1]) == std::towupper(static_cast<wint_t>(Ch));
    }
    return false;
}

UINT EllipsisFlag(TEllipsisPosition P) {
    switch (P) {
        case epPathEllipsis: return DT_PATH_ELLIPSIS;
        case epEndEllipsis: return DT_END_ELLIPSIS;
        case epWordEllipsis: return DT_WORD_ELLIPSIS;
        default: return 0;
    }
}

}  // namespace

TVeskCustomLabel::TVeskCustomLabel(TComponent* AOwner) : TVeskGraphicControl(AOwner) {
    FControlStyle |= csOpaque | csReplicatable;
    FWidth = 65;
    FHeight = 17;
    FAutoSize = true;
    FShowAccelChar = true;
    FDrawTextRoutine = &PlainDrawText;
    FTruncated = false;
}

TVeskCustomLabel::~TVeskCustomLabel() = default;

TCanvas* TVeskCustomLabel::TextCanvas() {
    return FTextCanvas ? FTextCanvas : GetBufferCanvas();
}

std::wstring TVeskCustomLabel::GetLabelText() {
    return GetCaption();
}

void TVeskCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    std::wstring text = GetLabelText();
    // Measured as one space, an empty caption (or a lone accelerator mark) keeps one line's size.
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L' ';
    if (text.empty()) return;
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    TCanvas* c = TextCanvas();
    c->GetFont()->Assign(GetFont());

    auto draw = [&](const std::wstring& s, TRect& r, UINT f) {
        c->TextExtent(L"");  // selects the font, colour and background mode into the context
        HDC dc = c->GetHandle();
        return dc && FDrawTextRoutine ? FDrawTextRoutine(dc, s, r, f) : 0;
    };

    if (FEllipsisPosition != epNone && !GetAutoSize()) {
        std::wstring display = text;
        Flags &= ~static_cast<UINT>(DT_EXPANDTABS);
        Flags |= EllipsisFlag(FEllipsisPosition);
        if (FWordWrap && (FEllipsisPosition == epEndEllipsis || FEllipsisPosition == epWordEllipsis)) {
            // Wrapped text gets no ellipsis from DrawTextW: drop words from the end until the
            // rest plus "..." fits the height.
            for (;;) {
                TRect trial = Rect;
                trial.Right -= c->TextWidth(L"...");
                draw(display, trial, Flags | DT_CALCRECT);
                const int h = trial.Bottom - trial.Top;
                if (h <= GetClientHeight() || h <= GetFont()->GetHeight()) break;
                const size_t sp = text.find_last_of(L" \t");
                int cut = (sp == std::wstring::npos ? static_cast<int>(text.size()) : static_cast<int>(sp) + 1) - 1;
                if (cut > 0 && IS_HIGH_SURROGATE(text[static_cast<size_t>(cut) - 1])) --cut;
                text.resize(static_cast<size_t>(cut > 0 ? cut : 0));
                display = text + L"...";
                if (text.empty()) break;
            }
        }
        if (!text.empty()) text = display;
    }

    if (GetEnabled()) {
        draw(text, Rect, Flags);
    } else {
        TRect r = Rect;
        r.Offset(1, 1);
        c->GetFont()->SetColor(clBtnHighlight);
        draw(text, r, Flags);
        c->GetFont()->SetColor(clBtnShadow);
        draw(text, Rect, Flags);
    }
}

void TVeskCustomLabel::Paint() {
    PrepareBuffer();
    TCanvas* c = GetBufferCanvas();
    TRect rect = GetClientRect();
    if (!FTransparent) {
        c->GetBrush()->SetColor(GetColor());
        c->GetBrush()->SetStyle(bsSolid);
        c->FillRect(rect);
    }
    c->GetBrush()->SetStyle(bsClear);
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
    switch (FAlignment) {
        case taLeftJustify: flags |= DT_LEFT; break;
        case taRightJustify: flags |= DT_RIGHT; break;
        case taCenter: flags |= DT_CENTER; break;
    }
    if (FLayout != tlTop) {
        TRect calc = rect;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = GetHeight() - calc.Bottom;
        if (FLayout == tlCenter) dy = DivTrunc(dy, 2);
        rect.Offset(0, dy);
    }
    DoDrawText(rect, flags);

    const std::wstring caption = GetCaption();
    c->GetFont()->Assign(GetFont());
    const SIZE ext = c->TextExtent(caption);
    if (!FWordWrap) {
        FTruncated = ext.cx > GetWidth();
    } else if (GetVisible()) {
        TRect one(0, 0, 0, 0);
        c->TextExtent(L"");
        if (FDrawTextRoutine) FDrawTextRoutine(c->GetHandle(), caption, one, DT_CALCRECT);
        const TRect client = GetClientRect();
        FTruncated = !(client.Right >= one.Right && client.Bottom >= one.Bottom);
    }
    // A fixed-size label never gets lower than one line of its font.
    if (!GetAutoSize() && ext.cy > GetHeight()) SetHeight(ext.cy);
    TVeskGraphicControl::Paint();
}

void TVeskCustomLabel::AdjustBounds() {
    if (IsLoading() || !GetAutoSize()) return;
    TRect rect = GetClientRect();
    {
        struct ScreenCanvas {
            TWindowDC dc{nullptr};
            TCanvas canvas{dc.Get()};
            TCanvas*& slot;
            explicit ScreenCanvas(TCanvas*& s) : slot(s) { slot = &canvas; }
            ~ScreenCanvas() {
                slot = nullptr;
                canvas.SetHandle(nullptr);
            }
        } screen(FTextCanvas);
        DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    }
    // The size limits first: a right-aligned label keeps its right edge at the size it gets.
    int w = rect.Right, h = rect.Bottom;
    GetConstraints()->Constrain(w, h);
    int x = GetLeft();
    // Right-to-left alignment mirrors the alignment: a left-aligned label keeps its right edge.
    TAlignment align = FAlignment;
    if (UseRightToLeftAlignment()) {
        if (align == taLeftJustify)
            align = taRightJustify;
        else if (align == taRightJustify)
            align = taLeftJustify;
    }
    if (align == taRightJustify) x += GetWidth() - w;
    SetBounds(x, GetTop(), w, h);
}

void TVeskCustomLabel::ConstraintsChanged() {
    // An auto-size label sizes itself to its text within the limits (a right-aligned one keeps
    // its right edge); a lifted limit lets it take its text's size again.
    if (GetAutoSize() && !IsLoading())
        AdjustBounds();
    else
        TVeskGraphicControl::ConstraintsChanged();
}

void TVeskCustomLabel::Loaded() {
    TVeskGraphicControl::Loaded();
    AdjustBounds();
}

void TVeskCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TVeskGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FVeskHint) {
        FVeskHint = nullptr;
        if (FSwap == swBalloon) FSwap = swNone;
    }
    if (AComponent == FFocusControl) FFocusControl = nullptr;
}

void TVeskCustomLabel::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    // The field, not the setter: the setter would switch AutoSize off again.
    FEllipsisPosition = epNone;
    AdjustBounds();
}

void TVeskCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
    if (Value == FEllipsisPosition) return;
    FEllipsisPosition = Value;
    FAutoSize = false;
    Redraw();
}

void TVeskCustomLabel::SetCaption(const std::wstring& Value) {
    if (Value == GetText()) return;
    SetText(Value);
    Redraw();
}

void TVeskCustomLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Redraw();
}

void TVeskCustomLabel::SetLayout(TTextLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Redraw();
}

void TVeskCustomLabel::SetShowAccelChar(bool Value) {
    if (Value == FShowAccelChar) return;
    FShowAccelChar = Value;
    Redraw();
}

void TVeskCustomLabel::SetGlowSize(int Value) {
    if (Value == FGlowSize) return;
    FGlowSize = Value;
    Redraw();
}

void TVeskCustomLabel::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    AdjustBounds();
    Redraw();
}

void TVeskCustomLabel::SetFocusControl(TWinControl* Value) {
    if (Value == FFocusControl) return;
    if (FFocusControl) RemoveFreeNotification(FFocusControl);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TVeskCustomLabel::SetVeskHint(TveskHint* Value) {
    if (Value == FVeskHint) return;
    if (FVeskHint) {
        if (FSwap == swBalloon) {
            FVeskHint->HideHint();
            FSwap = swNone;
        }
        RemoveFreeNotification(FVeskHint);
    }
    FVeskHint = Value;
    // The balloon may live on another form: be told when it goes.
    if (Value) Value->FreeNotification(this);
}

void TVeskCustomLabel::HintSwapOn() {
    if (!GetEnabled() || !FTruncated || FSwap != swNone) return;
    if (FVeskHint) {
        // The balloon shows the control's Hint; for a cut-off label that must be the caption.
        const std::wstring own = GetHint();
        SetHint(GetCaption());
        std::shared_ptr<bool> alive = AliveToken();
        try {
            FVeskHint->ShowHintAt(this);
        } catch (...) {
            if (*alive) SetHint(own);
            throw;
        }
        SetHint(own);
        FSwap = swBalloon;
    } else if (!FWordWrap) {
        FSavedHint = GetHint();
        FSavedShowHint = GetShowHint();
        FSavedParentShowHint = GetParentShowHint();
        SetHint(GetCaption());
        SetShowHint(true);
        FSwap = swTooltip;
    }
}

void TVeskCustomLabel::HintSwapOff() {
    // Undo exactly what entering did, even if the caption or the enabled state changed meanwhile:
    // otherwise the label's own hint would be lost.
    const TSwap swap = FSwap;
    FSwap = swNone;
    if (swap == swBalloon) {
        if (FVeskHint) FVeskHint->HideHint();
    } else if (swap == swTooltip) {
        SetHint(FSavedHint);
        SetShowHint(FSavedShowHint);
        if (FSavedParentShowHint) SetParentShowHint(true);
    }
}

void TVeskCustomLabel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_TEXTCHANGED:
            Invalidate();
            AdjustBounds();
            return;
        case CM_FONTCHANGED:
            TVeskGraphicControl::WndProc(Message);
            AdjustBounds();
            return;
        case CM_DIALOGCHAR:
            if (FFocusControl && GetEnabled() && FShowAccelChar && IsAccel(Message.WParam, GetCaption())) {
                if (FFocusControl->CanFocus()) {
                    FFocusControl->SetFocus();
                    Message.Result = 1;
                }
            }
            return;
        case CM_MOUSEENTER:
            HintSwapOn();
            TVeskGraphicControl::WndProc(Message);
            return;
        case CM_MOUSELEAVE:
            HintSwapOff();
            TVeskGraphicControl::WndProc(Message);
            return;
        default:
            TVeskGraphicControl::WndProc(Message);
    }
}
