#include "VeskPngButton.h"

#include "VeskDrawing.h"
#include "fw_forms.h"

#include <vector>

using namespace fw;

namespace {

// Events are called through a copy: a handler may free the object that holds the event.
template <class E, class... Args>
void FireEvent(const E& ev, Args&&... args) {
    E copy = ev;
    if (copy) copy(std::forward<Args>(args)...);
}

int Half(int v) {
    return DivTrunc(v, 2);
}

}  // namespace

TVeskPngButton::TVeskPngButton(TComponent* AOwner)
    : TVeskGraphicControl(AOwner),
      FImgButton(std::make_unique<TPngImage>()),
      FImgChange(std::make_unique<TPngImage>()),
      FImgSplit(std::make_unique<TVeskPadding>()),
      FGraph(std::make_unique<TPngImage>()) {
    for (auto& f : FFonts) f = std::make_unique<TFont>();
    SetTransparent(true);
}

TVeskPngButton::~TVeskPngButton() = default;

void TVeskPngButton::CopyPng(TPngImage* Target, TPngImage* Source) {
    if (Source == Target) return;
    if (Source) {
        Target->Assign(Source);
    } else {
        TPngImage empty;
        Target->Assign(&empty);
    }
}

void TVeskPngButton::SetImgButton(TPngImage* Value) {
    CopyPng(FImgButton.get(), Value);
    Redraw();
}

void TVeskPngButton::SetImgChange(TPngImage* Value) {
    CopyPng(FImgChange.get(), Value);
    PrepareImages();
    Redraw();
}

void TVeskPngButton::SetButtonStateCount(int Value) {
    if (Value == FButtonStateCount) return;
    FButtonStateCount = Value;
    Redraw();
}

void TVeskPngButton::SetImgSplit(TVeskPadding* Value) {
    if (Value && Value != FImgSplit.get()) FImgSplit->Assign(Value);
}

void TVeskPngButton::SetChangedState(bool Value) {
    if (Value == FChangedState) return;
    FChangedState = Value;
    PrepareImages();
    Redraw();
}

void TVeskPngButton::SetStateFont(TVeskBtnStatus State, TFont* Value) {
    if (Value && Value != FFonts[State].get()) FFonts[State]->Assign(Value);
    Redraw();
}

void TVeskPngButton::SetCaption(const std::wstring& Value) {
    if (Value == GetText()) return;
    SetText(Value);
    Redraw();
}

void TVeskPngButton::SetGraph(TPngImage* Value) {
    CopyPng(FGraph.get(), Value);
    Redraw();
}

void TVeskPngButton::SetLayout(TVeskLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Redraw();
}

void TVeskPngButton::SetGraphTopFix(int Value) {
    if (Value == FGraphTopFix) return;
    FGraphTopFix = Value;
    Redraw();
}

void TVeskPngButton::SetGraphLeftFix(int Value) {
    if (Value == FGraphLeftFix) return;
    FGraphLeftFix = Value;
    Redraw();
}

void TVeskPngButton::SetCaptionTopFix(int Value) {
    if (Value == FCaptionTopFix) return;
    FCaptionTopFix = Value;
    Redraw();
}

void TVeskPngButton::SetCaptionLeftFix(int Value) {
    if (Value == FCaptionLeftFix) return;
    FCaptionLeftFix = Value;
    Redraw();
}

void TVeskPngButton::SetOnlyUseCaptionLeftFix(bool Value) {
    if (Value == FOnlyUseCaptionLeftFix) return;
    FOnlyUseCaptionLeftFix = Value;
    Redraw();
}

void TVeskPngButton::SetButtonTab(bool Value) {
    if (Value == FButtonTab) return;
    FButtonTab = Value;
    Redraw();
}

void TVeskPngButton::SetImgList(TVeskCustomImageList* Value) {
    if (Value == FImgList) return;
    if (FImgList) FImgList->RemoveFreeNotification(this);
    FImgList = Value;
    if (FImgList) FImgList->FreeNotification(this);
    Redraw();
}

void TVeskPngButton::Notification(TComponent* AComponent, TOperation Operation) {
    TVeskGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImgList) FImgList = nullptr;
}

void TVeskPngButton::SetBtnStatus(TVeskBtnStatus Value) {
    if (Value == FBtnStatus) return;
    FBtnStatus = Value;
    std::shared_ptr<bool> alive = AliveToken();
    if (Value == bsSelect) {
        Select();
        if (!*alive) return;
    }
    Redraw();
}

void TVeskPngButton::SetState(TVeskBtnStatus Value) {
    if (Value == FBtnStatus) return;
    FBtnStatus = Value;
    Redraw();
}

void TVeskPngButton::Loaded() {
    TVeskGraphicControl::Loaded();
    PrepareImages();
}

void TVeskPngButton::FreeStateImages() {
    for (auto& img : FStateImages) img.reset();
}

void TVeskPngButton::PrepareImages() {
    FreeStateImages();
    if (FImgButton->GetEmpty() || FButtonStateCount == 0) return;
    TPngImage* source = (FChangedState && !FImgChange->GetEmpty()) ? FImgChange.get() : FImgButton.get();
    const int l = FImgSplit->GetLeft(), t = FImgSplit->GetTop();
    const int r = FImgSplit->GetRight(), b = FImgSplit->GetBottom();
    const bool nine = t < b && l < r;
    const bool three = !nine && l < r;
    for (int i = 0; i < 6; ++i) {
        TPngPtr frame = GetStatePng(source, FButtonStateCount, i);
        if (!frame) continue;
        if (nine) {
            TPng9Pieces pieces;
            if (SplitPng9(frame.get(), l, t, r, b, 255, clNone, pieces))
                FStateImages[i] = BuildPng9(GetWidth(), GetHeight(), pieces);
        } else if (three) {
            FStateImages[i] = StretchPngHorz(frame.get(), l, r, 255, clNone, GetWidth());
        } else {
            FStateImages[i] = std::move(frame);
        }
    }
    TPngImage* normal = FStateImages[bsNormal].get();
    if (!normal) return;
    if (three) {
        if (GetHeight() != normal->GetHeight()) SetHeight(normal->GetHeight());
    } else if (!nine) {
        if (GetWidth() != normal->GetWidth() || GetHeight() != normal->GetHeight())
            SetBounds(GetLeft(), GetTop(), normal->GetWidth(), normal->GetHeight());
    }
}

void TVeskPngButton::Paint() {
    DrawButton();
}

void TVeskPngButton::DrawButton() {
    PrepareBuffer();
    TCanvas* bc = GetBufferCanvas();
    FireEvent(OnBeforeDraw, this, bc);

    const int W = GetWidth(), H = GetHeight();
    TPngImage* img = nullptr;
    auto state = [this](TVeskBtnStatus s) { return FStateImages[s].get(); };
    switch (FBtnStatus) {
        case bsNormal: img = state(bsNormal); break;
        case bsOver: img = state(bsOver); break;
        case bsDown: img = state(bsDown) ? state(bsDown) : state(bsNormal); break;
        case bsDisable: img = state(bsDisable) ? state(bsDisable) : state(bsNormal); break;
        case bsSelect: img = state(bsSelect) ? state(bsSelect) : state(bsDown); break;
        case bsFocus: img = state(bsFocus) ? state(bsFocus) : state(bsOver); break;
    }
    if (img) bc->StretchDraw(TRect(0, 0, W, H), img);

    // Glyph; its right edge places a left-standing caption.
    const bool down = FBtnStatus == bsDown;
    bool hasGlyph = false;
    int glyphRight = -1;
    if (!FGraph->GetEmpty()) {
        const int gw = FGraph->GetWidth(), gh = FGraph->GetHeight();
        TRect g;
        switch (FLayout) {
            case vlGlphyLeft:
                g.Left = FGraphLeftFix + 2;
                g.Top = Half(H - gh) + FGraphTopFix + (FButtonTab && down ? 1 : 0);
                g.Right = g.Left + gw;
                g.Bottom = g.Top + gh;
                break;
            case vlGlphyTop:
                g.Left = Half(W - gw) + FGraphLeftFix;
                g.Top = FGraphTopFix + 2 + (down ? 1 : 0);
                g.Right = g.Left + gw;
                g.Bottom = g.Top + gh;
                break;
            case vlGlphyRight:
                g.Right = W - 2 + FGraphLeftFix;
                g.Left = g.Right - gw;
                g.Top = Half(H - gh) + FGraphTopFix + (down ? 1 : 0);
                g.Bottom = g.Top + gh;
                break;
            case vlGlphyBottom:
                g.Left = Half(W - gw) + FGraphLeftFix;
                g.Right = g.Left + gw;
                g.Bottom = H - 2 + FGraphTopFix + (down ? 1 : 0);
                g.Top = g.Bottom - gh;
                break;
        }
        bc->StretchDraw(g, FGraph.get());
        hasGlyph = true;
        glyphRight = g.Right;
    } else if (FImgList && FImgIndex != -1 && FLayout == vlGlphyLeft) {
        const int x = FGraphLeftFix + 2;
        const int y = Half(H - FImgList->GetHeight()) + FGraphTopFix + (FButtonTab && down ? 1 : 0);
        FImgList->Draw(bc, x, y, FImgIndex, true);
        hasGlyph = true;
        glyphRight = x + FImgList->GetWidth();
    }

    const std::wstring caption = GetText();
    if (!caption.empty()) {
        bc->GetBrush()->SetStyle(bsClear);
        bc->SetFont(FFonts[FBtnStatus].get());
        SIZE ext = bc->TextExtent(caption);
        int left = FOnlyUseCaptionLeftFix ? FCaptionLeftFix : Half(W - ext.cx) + FCaptionLeftFix;
        if (FLayout == vlGlphyLeft && !FOnlyUseCaptionLeftFix && hasGlyph && glyphRight + 2 >= left)
            left = glyphRight + 2;
        if (left < 1) {
            left = 6;
            FCaptionTruncated = true;
        } else {
            FCaptionTruncated = false;
        }
        int right = left + ext.cx;
        if (right > W - 2) {
            right = W - 2;
            FCaptionTruncated = true;
        }
        const int top = Half(H - ext.cy) + FCaptionTopFix;
        int bottom = top + ext.cy;
        if (bottom > H - 2) bottom = H - 2;
        TRect r(left, top, right, bottom);
        bc->DrawText(caption, r, DT_LEFT | DT_END_ELLIPSIS);
    } else {
        FCaptionTruncated = false;  // nothing was cut at this paint
    }

    FireEvent(OnAfterDraw, this, bc);
    TVeskGraphicControl::Paint();
}

void TVeskPngButton::Select() {
    std::shared_ptr<bool> alive = AliveToken();
    FireEvent(OnSelect, this);
    if (!*alive) return;
    TWinControl* parent = GetParent();
    if (!FButtonTab || !parent) return;
    // A handler may change the parent's children: walk a snapshot and skip what has gone.
    std::vector<std::pair<TVeskPngButton*, std::shared_ptr<bool>>> siblings;
    for (int i = 0; i < parent->GetControlCount(); ++i)
        if (auto* b = dynamic_cast<TVeskPngButton*>(parent->GetControl(i)); b && b != this)
            siblings.emplace_back(b, b->AliveToken());
    // Every other button of the group, by identity: buttons made at run time have no names, and
    // equal names must not keep them all selected.
    for (auto& [b, bAlive] : siblings) {
        if (!*bAlive || !*alive) continue;
        if (!b->FCanSelect || b->FBtnStatus != bsSelect || b->FGroupIndex != FGroupIndex) continue;
        FireEvent(b->OnSelectChange, b);
        if (!*bAlive) continue;
        b->FBtnStatus = bsNormal;
        b->Invalidate();
    }
}

void TVeskPngButton::DoMouseEnter() {
    std::shared_ptr<bool> alive = AliveToken();
    if (FCaptionTruncated && !FHintSwapped) {
        FSavedHint = GetHint();
        FSavedShowHint = GetShowHint();
        FHintSwapped = true;
        SetShowHint(true);
        SetHint(GetText());
        POINT pt;
        if (Application && GetCursorPos(&pt)) Application->ActivateHint(TPoint(pt.x, pt.y));
        if (!*alive) return;
    }
    if (GetEnabled() && FBtnStatus != bsSelect) SetState(bsOver);
    TVeskGraphicControl::DoMouseEnter();
}

void TVeskPngButton::DoMouseLeave() {
    // The hint goes back whenever it was swapped, even if the caption fits by now: the control
    // must not keep the caption as its own hint.
    if (FHintSwapped) {
        FHintSwapped = false;
        SetHint(FSavedHint);
        SetShowHint(FSavedShowHint);
    }
    if (GetEnabled() && FBtnStatus != bsSelect) SetState(bsNormal);
    TVeskGraphicControl::DoMouseLeave();
}

void TVeskPngButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_ENABLEDCHANGED: {
            std::shared_ptr<bool> alive = AliveToken();
            TVeskGraphicControl::WndProc(Message);
            if (*alive) SetState(GetEnabled() ? bsNormal : bsDisable);
            return;
        }
        case WM_MOUSEMOVE: {
            // Only a move over the button lights it: after the pointer left a pressed button,
            // the captured moves outside must not show it hovered.
            if (FBtnStatus == bsNormal && GetClientRect().Contains(TPoint(Message.XPos(), Message.YPos())))
                SetState(bsOver);
            TVeskGraphicControl::WndProc(Message);
            return;
        }
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
            std::shared_ptr<bool> alive = AliveToken();
            if (FBtnStatus == bsOver) {
                FBtnStatus = bsDown;
                TWinControl* parent = GetParent();
                if (FNeedSupportFocuse && parent && parent->GetVisible() && !parent->Focused()) parent->SetFocus();
                if (!*alive) return;
                if (FCanSelect) {
                    Select();
                    if (!*alive) return;
                }
                Redraw();
            }
            TVeskGraphicControl::WndProc(Message);
            return;
        }
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            if (FBtnStatus == bsDown) SetState(FCanSelect ? bsSelect : FCanFocus ? bsFocus : bsNormal);
            TVeskGraphicControl::WndProc(Message);
            return;
        }
        default:
            TVeskGraphicControl::WndProc(Message);
    }
}
