#include "QimScrollBar.h"

#include "VeskParentBackground.h"

using namespace fw;

namespace {
uint32_t OpaqueArgb(TColor Color) {
    COLORREF c = ColorToRGB(Color);
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
}  // namespace

TQimScrollBar::TQimScrollBar(TComponent* AOwner)
    : TSkinScrollBarCore(AOwner), FBackSplit(std::make_unique<TQimUIPadding>()) {
    SetControlStyle(GetControlStyle() & ~static_cast<TControlStyle>(csAcceptsControls));
    FPageSize = 1;
}

TQimScrollBar::~TQimScrollBar() = default;

void TQimScrollBar::ApplyScrollRes() {
    TQimScrollBarRes* res = FScrollRes;
    if (!res) return;
    CopySkin(*res);
    FBackSplit->Assign(res->GetBackSplit());
    SetShowButton(res->GetShowButton());
    SetJoinButton(res->GetJoinButton());
    SetSplitMode(res->GetSplitMode());
    FButtonsReady = false;
    // A first thickness from the pictures; the button and back frames refine it in Loaded.
    if (!IsVer()) {
        if (!FImgBack->GetEmpty())
            SetHeight(FImgBack->GetHeight());
        else if (!FImgSlider->GetEmpty())
            SetHeight(FImgSlider->GetHeight() + 2);
    } else {
        if (!FImgBack->GetEmpty())
            SetWidth(FImgBack->GetWidth());
        else if (!FImgSlider->GetEmpty())
            SetWidth(FImgSlider->GetWidth() + 2);
    }
    Loaded();
}

void TQimScrollBar::RequestPaint() {
    if (!CanUpdate()) return;
    TQimScrollBarRepaintHook hook = FRepaintHook;
    if (hook)
        hook(this);
    else
        Invalidate();
}

TPngPtr TQimScrollBar::CutFrame(TPngImage* Png, int Count, int Index) {
    return FSplitMode == SmHor ? CutStripFrame(Png, Count, Index) : CutStripFrameVert(Png, Count, Index);
}

TPngPtr TQimScrollBar::StretchThree(TPngImage* Png, int A, int B, int Target, bool Vertical) {
    return Vertical ? StretchPng3Vert(Png, A, B, 255, clNone, Target) : StretchPng3(Png, A, B, 255, clNone, Target);
}

void TQimScrollBar::AdjustSliderCross(TRect& Slider) {
    const TPngPtr& s = FSliderImages[0];
    if (!Present(s)) return;
    if (IsVer()) {
        Slider.Left = FTrackRect.Left + (GetWidth() - s->GetWidth()) / 2;
        Slider.Right = Slider.Left + s->GetWidth();
    } else {
        Slider.Top = FTrackRect.Top + (GetHeight() - s->GetHeight()) / 2;
        Slider.Bottom = Slider.Top + s->GetHeight();
    }
}

void TQimScrollBar::PrepareSkin() {
    PrepareButtons();
    // Without buttons there is nothing to wait for.
    if (!FShowButton) FButtonsReady = true;
    PrepareBack();
    PrepareCentre();
}

TPngPtr TQimScrollBar::BackFrame(TPngImage* Png, bool ThreePart) {
    if (!ThreePart) return nullptr;
    return IsVer() ? StretchPng3Vert(Png, FBackSplit->GetTop(), FBackSplit->GetBottom(), 255, clNone, GetHeight())
                   : StretchPng3(Png, FBackSplit->GetLeft(), FBackSplit->GetRight(), 255, clNone, GetWidth());
}

void TQimScrollBar::PrepareBack() {
    for (auto& b : FBackImages) b.reset();
    FBackReady = false;
    if (FImgBack->GetEmpty()) return;
    FImgBack->CreateAlpha();
    if (FBackStateCount < 1 || FBackStateCount > 4) return;
    const bool three = FBackSplit->GetLeft() < FBackSplit->GetRight();
    if (FBackStateCount == 1) {
        if (three) {
            FBackImages[0] = BackFrame(FImgBack.get(), true);
        } else {
            FBackImages[0] = std::make_unique<TPngImage>();
            FBackImages[0]->Assign(FImgBack.get());
        }
    } else {
        for (int i = 0; i < FBackStateCount; ++i) {
            TPngPtr frame = CutFrame(FImgBack.get(), FBackStateCount, i);
            if (frame && three) frame = BackFrame(frame.get(), true);
            // With two frames the second is the disabled back.
            const int slot = i == 1 && FBackStateCount == 2 ? 3 : i;
            FBackImages[slot] = std::move(frame);
        }
    }
    FBackReady = true;
    if (Present(FBackImages[0])) {
        if (IsVer())
            SetWidth(FBackImages[0]->GetWidth());
        else
            SetHeight(FBackImages[0]->GetHeight());
    }
}

void TQimScrollBar::DrawBack(TCanvas* Canvas) {
    if (!FBackReady) return;
    TPngImage* back = FBackImages[0].get();
    if (!GetEnabled() && Present(FBackImages[3]))
        back = FBackImages[3].get();
    else if (GetLeftButtonDown() && FBackImages[2])
        back = FBackImages[2].get();
    else if (GetMouseInside() && FBackImages[1])
        back = FBackImages[1].get();
    DrawPng(Canvas, back, FTrackRect);
}

void TQimScrollBar::DrawControl(TBitmap32* Buffer) {
    if (!Buffer || Buffer->GetEmpty()) return;
    CalcAllRects();
    DrawParts(Buffer->GetCanvas());
}

void TQimScrollBar::Paint() {
    const int w = GetWidth(), h = GetHeight();
    if (w >= 1 && h >= 1) {
        TBitmap32* b = GetBackBuffer();
        b->SetSize(w, h);
        if (GetAlpha() != 255) {
            DrawParentBackground(this, b->GetCanvas());
            ScaleBitmap32Alpha(b, TRect(0, 0, w, h), GetAlpha());
        } else if (!GetTransparent()) {
            b->FillRect(0, 0, w, h, OpaqueArgb(GetColor()));
        } else {
            DrawParentBackground(this, b->GetCanvas());
        }
        DrawControl(b);
        b->DrawTo(GetCanvas()->GetHandle(), 0, 0);
    }
    TQimUIParentControl::Paint();
}

void TQimScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft) return;
    std::shared_ptr<bool> alive = AliveToken();
    if (!Focused()) SetFocus();
    if (!*alive) return;
    PressLogic(X, Y);
    if (!*alive) return;
    TQimUIParentControl::MouseDown(Button, Shift, X, Y);
}

void TQimScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::MouseMove(Shift, X, Y);
    if (*alive) MoveLogic(Shift, X, Y);
}

void TQimScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::MouseUp(Button, Shift, X, Y);
    if (*alive && Button == mbLeft) ReleaseLogic();
}

void TQimScrollBar::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_MOUSELEAVE: {
            std::shared_ptr<bool> alive = AliveToken();
            LeaveLogic();
            if (*alive) TQimUIParentControl::WndProc(Message);
            return;
        }
        case WM_MOUSEWHEEL: {
            std::shared_ptr<bool> alive = AliveToken();
            const int delta = static_cast<short>(HIWORD(Message.WParam));
            TQimUIParentControl::WndProc(Message);
            if (!*alive || !Focused()) return;
            // One step per message, whatever the size of the turn.
            int64_t value = int64_t(FPosition) + (delta >= 0 ? -int64_t(FSmallChange) : int64_t(FSmallChange));
            const int64_t high = int64_t(FMax) - FPageSize + 1;
            if (value > high) value = high;
            if (value < FMin) value = FMin;
            if (value != FPosition) {
                int v = static_cast<int>(value);
                SetPosition(v);
                // Told after the change: a rewrite of v has no effect here.
                DoScroll(v);
            }
            return;
        }
        case WM_KILLFOCUS: {
            std::shared_ptr<bool> alive = AliveToken();
            TQimUIParentControl::WndProc(Message);
            if (!*alive || Focused()) return;
            TNotifyEvent handler = OnLostFocus;
            if (handler) handler(this);
            return;
        }
        default:
            TQimUIParentControl::WndProc(Message);
    }
}
