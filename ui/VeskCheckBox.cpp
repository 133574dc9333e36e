#include "VeskCheckBox.h"

#include "VeskDrawing.h"
#include "fw_forms.h"

#include <algorithm>
#include <vector>

using namespace fw;

TVeskCheckBox::TVeskCheckBox(TComponent* AOwner)
    : TVeskGraphicControl(AOwner), FImgCheckBox(std::make_unique<TPngImage>()), FImgRadioBox(std::make_unique<TPngImage>()) {
    SetBounds(GetLeft(), GetTop(), 80, 20);
}

TVeskCheckBox::~TVeskCheckBox() = default;

void TVeskCheckBox::CopyPng(TPngImage* Target, TPngImage* Source) {
    if (Source == Target) return;
    if (Source) {
        Target->Assign(Source);
    } else {
        TPngImage empty;
        Target->Assign(&empty);
    }
    Redraw();
}

void TVeskCheckBox::SetImgCheckBox(TPngImage* Value) {
    CopyPng(FImgCheckBox.get(), Value);
}

void TVeskCheckBox::SetImgRadioBox(TPngImage* Value) {
    CopyPng(FImgRadioBox.get(), Value);
}

void TVeskCheckBox::SetCaption(const std::wstring& Value) {
    if (Value == GetText()) return;
    SetText(Value);
    Redraw();
}

void TVeskCheckBox::SetFontColorNormal(TColor Value) {
    if (Value == FFontColorNormal) return;
    FFontColorNormal = Value;
    Redraw();
}

void TVeskCheckBox::SetFontColorOver(TColor Value) {
    if (Value == FFontColorOver) return;
    FFontColorOver = Value;
    Redraw();
}

void TVeskCheckBox::SetFontColorDown(TColor Value) {
    if (Value == FFontColorDown) return;
    FFontColorDown = Value;
    Redraw();
}

void TVeskCheckBox::SetFontColorDisable(TColor Value) {
    if (Value == FFontColorDisable) return;
    FFontColorDisable = Value;
    Redraw();
}

void TVeskCheckBox::SetRadioItem(bool Value) {
    if (Value == FRadioItem) return;
    FRadioItem = Value;
    PrepareImages();
    Redraw();
}

void TVeskCheckBox::SetTextOffset(int Value) {
    if (Value == FTextOffset) return;
    FTextOffset = Value;
    Redraw();
}

void TVeskCheckBox::Loaded() {
    TVeskGraphicControl::Loaded();
    PrepareImages();
}

void TVeskCheckBox::PrepareImages() {
    for (auto& f : FFrames) f.reset();
    if (FCheckStateCount < 1) return;
    TPngImage* source = FRadioItem ? FImgRadioBox.get() : FImgCheckBox.get();
    if (source->GetEmpty()) return;
    const int n = std::min(FCheckStateCount, 8);
    for (int i = 0; i < n; ++i) FFrames[i] = GetStatePng(source, FCheckStateCount, i);
    if (FFrames[0] && !FFrames[0]->GetEmpty() && GetHeight() != FFrames[0]->GetHeight()) SetHeight(FFrames[0]->GetHeight());
}

void TVeskCheckBox::Toggle() {
    if (!GetEnabled()) return;
    if (FRadioItem && FChecked) return;
    FChecked = !FChecked;
    std::shared_ptr<bool> alive = AliveToken();
    {
        TNotifyEvent h = OnCheck;
        if (h) h(this);
    }
    if (!*alive) return;
    Redraw();
    if (FRadioItem) UncheckRadioSiblings();
}

void TVeskCheckBox::UncheckRadioSiblings() {
    TWinControl* parent = GetParent();
    if (!parent) return;
    std::vector<TVeskCheckBox*> others;
    for (int i = 0; i < parent->GetControlCount(); ++i)
        if (auto* c = dynamic_cast<TVeskCheckBox*>(parent->GetControl(i)); c && c != this) others.push_back(c);
    for (TVeskCheckBox* c : others) {
        if (c->FRadioItem && c->FChecked) {
            c->FChecked = false;
            c->Redraw();
        }
    }
}

void TVeskCheckBox::RestoreHint() {
    if (!FHintSwapped) return;
    FHintSwapped = false;
    SetHint(FSavedHint);
    SetShowHint(FSavedShowHint);
    if (Application) Application->CancelHint();
}

void TVeskCheckBox::DoMouseEnter() {
    TVeskGraphicControl::DoMouseEnter();
    if (!GetEnabled()) return;
    if (!FHovered) {
        FHovered = true;
        Redraw();
    }
    if (FAutoShowHint && FTruncated && !FHintSwapped) {
        FSavedHint = GetHint();
        FSavedShowHint = GetShowHint();
        FHintSwapped = true;
        SetHint(GetText());
        SetShowHint(true);
        POINT pt;
        if (Application && GetCursorPos(&pt)) Application->ActivateHint(TPoint(pt.x, pt.y));
    }
}

void TVeskCheckBox::DoMouseLeave() {
    TVeskGraphicControl::DoMouseLeave();
    // Also while disabled: a box disabled under the pointer must not come back hovered, nor keep
    // its caption as its own hint.
    if (FHovered) {
        FHovered = false;
        Redraw();
    }
    RestoreHint();
}

void TVeskCheckBox::WndProc(TMessage& Message) {
    std::shared_ptr<bool> alive = AliveToken();
    const UINT msg = Message.Msg;
    switch (msg) {
        case WM_MOUSEMOVE:
            TVeskGraphicControl::WndProc(Message);
            if (!*alive || !GetEnabled()) return;
            // Only over the box: captured moves outside after the pointer left must not light it.
            if (!FHovered && GetClientRect().Contains(TPoint(Message.XPos(), Message.YPos()))) {
                FHovered = true;
                Redraw();
            }
            return;
        case WM_LBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
            TVeskGraphicControl::WndProc(Message);
            if (!*alive || !GetEnabled()) return;
            if (FHovered && !FPressed) {
                FPressed = true;
                Toggle();
                if (!*alive) return;
                Redraw();
            }
            return;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
            TVeskGraphicControl::WndProc(Message);
            // Also while disabled: a box disabled between press and release (by its own OnCheck,
            // say) would otherwise stay pressed and swallow the next click once enabled again.
            if (!*alive) return;
            if (FPressed) {
                FPressed = false;
                Redraw();
            }
            return;
        default:
            TVeskGraphicControl::WndProc(Message);
    }
}

void TVeskCheckBox::Paint() {
    PrepareBuffer();
    TCanvas* bc = GetBufferCanvas();
    bc->SetFont(GetFont());
    bc->GetBrush()->SetStyle(bsClear);
    const int W = GetWidth(), H = GetHeight();
    int boxRight = 0;
    TPngImage* first = FFrames[0].get();
    if (first && !first->GetEmpty()) {
        const int fw = first->GetWidth(), fh = first->GetHeight();
        const int top = DivTrunc(H - fh, 2);
        const TRect box(2, top, 2 + fw, top + fh);
        boxRight = box.Right;
        const int c = FChecked ? 1 : 0;
        int frame;
        TColor color;
        if (!GetEnabled()) {
            frame = 6 + c;
            color = FFontColorDisable;
        } else if (FPressed) {
            frame = 4 + c;
            color = FFontColorDown;
        } else if (FHovered) {
            frame = 2 + c;
            color = FFontColorOver;
        } else {
            frame = c;
            color = FFontColorNormal;
        }
        if (FFrames[frame]) bc->StretchDraw(box, FFrames[frame].get());
        bc->GetFont()->SetColor(color);
    }
    const std::wstring caption = GetText();
    // Each paint decides anew: a resize or a new caption may make it fit.
    FTruncated = false;
    if (!caption.empty()) {
        const int x = boxRight + 2 + FTextOffset;
        SIZE ext = bc->TextExtent(caption);
        const int y = DivTrunc(H - ext.cy, 2);
        TRect r(x, y, W, y + ext.cy);
        bc->DrawText(caption, r, DT_WORDBREAK | DT_NOCLIP);
        FTruncated = W - x < ext.cx;
    }
    TVeskGraphicControl::Paint();
}

void TVeskCheckBox::KeyDown(WORD& Key, TShiftState Shift) {
    if (Key != VK_SPACE || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl)) return;
    Key = 0;
    if (!GetEnabled()) return;
    // The events of a click: OnCheck from the toggle, then OnClick.
    std::shared_ptr<bool> alive = AliveToken();
    Toggle();
    if (*alive) Click();
}
