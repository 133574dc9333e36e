#include "QimUICore.h"

#include "QimDrawing.h"

using namespace fw;

namespace {
uint32_t OpaqueARGB(TColor c) {
    COLORREF rgb = ColorToRGB(c);
    return 0xFF000000u | (uint32_t(GetRValue(rgb)) << 16) | (uint32_t(GetGValue(rgb)) << 8) | GetBValue(rgb);
}
}  // namespace

TQimUIParentControl::TQimUIParentControl(TComponent* AOwner)
    : TCustomControl(AOwner), FBuffer(std::make_unique<TBitmap32>()) {
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks);
    SetDoubleBuffered(true);
    FBuffer->SetDrawMode(dmBlend);
    FBuffer->SetCombineMode(cmMerge);
}

TQimUIParentControl::~TQimUIParentControl() {
    FBuffer.reset();
    FParentBuffer.reset();
}

bool TQimUIParentControl::CanUpdate() const {
    return (GetComponentState() & (csDesigning | csLoading | csReading)) == 0;
}

void TQimUIParentControl::SetAlpha(int Value) {
    if (Value < 0) Value = 0;
    if (Value > 255) Value = 255;
    if (Value == FAlpha) return;
    FAlpha = Value;
    RequestPaint();
}

void TQimUIParentControl::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    RequestPaint();
}

void TQimUIParentControl::SetOption(int Value) {
    if (Value == FOption) return;
    FOption = Value;
    if (CanUpdate()) OptionChanged();
}

void TQimUIParentControl::DrawControl(TBitmap32* Buffer) {
    (void)Buffer;
}

void TQimUIParentControl::OptionChanged() {}

void TQimUIParentControl::RequestPaint() {
    if (CanUpdate()) Invalidate();
}

void TQimUIParentControl::CopyParentBackground(TCanvas* Canvas) {
    if (!FParentBuffer) FParentBuffer = std::make_unique<TBitmap32>();
    FParentBuffer->SetSize(GetWidth(), GetHeight());
    FParentBuffer->CopyFromCanvas(Canvas, Bounds(GetLeft(), GetTop(), GetWidth(), GetHeight()));
}

void TQimUIParentControl::PaintBuffer(TCanvas* Canvas) {
    int w = GetWidth(), h = GetHeight();
    if (w < 1 || h < 1) return;
    FBuffer->SetSize(w, h);
    TRect src = Bounds(GetLeft(), GetTop(), w, h);
    if (FAlpha != 255) {
        FBuffer->CopyFromCanvas(Canvas, src);
        ScaleBitmap32Alpha(FBuffer.get(), TRect(0, 0, w, h), FAlpha);
    } else if (FTransparent) {
        FBuffer->CopyFromCanvas(Canvas, src);
    } else {
        FBuffer->FillRect(0, 0, w, h, OpaqueARGB(GetColor()));
    }
    DrawControl(FBuffer.get());
    FBuffer->ResetAlpha(255);
}

void TQimUIParentControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ERASEBKGND:
            // The back buffer covers every pixel.
            Message.Result = 1;
            return;
        case WM_NCPAINT:
            Message.Result = 0;
            return;
        case CM_ENABLEDCHANGED:
            TCustomControl::WndProc(Message);
            RequestPaint();
            return;
        case CM_MOUSEENTER:
            TCustomControl::WndProc(Message);
            if (!FMouseInside) {
                FMouseInside = true;
                if (FHoverRepaint) RequestPaint();
            }
            return;
        case CM_MOUSELEAVE:
            TCustomControl::WndProc(Message);
            if (FMouseInside) {
                FMouseInside = false;
                if (FHoverRepaint) RequestPaint();
            }
            return;
        case WM_MOUSEMOVE: {
            std::shared_ptr<bool> alive = AliveToken();
            TCustomControl::WndProc(Message);
            if (!*alive) return;
            if (FHoverRepaint && !FMouseInside) {
                // The hover picture must not wait for a later enter notification.
                FMouseInside = true;
                RequestPaint();
            }
            return;
        }
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
            std::shared_ptr<bool> alive = AliveToken();
            TCustomControl::WndProc(Message);
            if (*alive) FLeftButtonDown = true;
            return;
        }
        case WM_LBUTTONUP: {
            std::shared_ptr<bool> alive = AliveToken();
            TCustomControl::WndProc(Message);
            if (*alive) FLeftButtonDown = false;
            return;
        }
        default:
            TCustomControl::WndProc(Message);
    }
}
