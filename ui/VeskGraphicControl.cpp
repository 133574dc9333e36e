#include "VeskGraphicControl.h"

#include "VeskParentBackground.h"

using namespace fw;

namespace {
template <class E>
void FireNotify(const E& ev, TObject* sender) {
    E copy = ev;
    if (copy) copy(sender);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomGraphicControl

TCustomGraphicControl::TCustomGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner), FVersion(L"1.00") {}

void TCustomGraphicControl::Redraw() {
    if (IsLoadingState()) return;
    Repaint();
}

void TCustomGraphicControl::AutoSizeRedraw() {
    TAlign a = GetAlign();
    if (GetAutoSize() && (a == alNone || a == alTop || a == alBottom || a == alLeft || a == alRight)) {
        TRect before = GetBoundsRect();
        if (!IsLoadingState()) SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
        // A change of bounds repaints by itself.
        if (GetBoundsRect() == before) Redraw();
    } else {
        Redraw();
    }
}

void TCustomGraphicControl::AdjustRedraw() {
    if (IsLoadingState()) return;
    TRect before = GetBoundsRect();
    SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
    if (GetBoundsRect() == before) Redraw();
}

void TCustomGraphicControl::DoMouseEnter() {
    FireNotify(OnMouseEnter, this);
}

void TCustomGraphicControl::DoMouseLeave() {
    FireNotify(OnMouseLeave, this);
}

void TCustomGraphicControl::DoFontChanged() {
    FireNotify(OnFontChanged, this);
}

void TCustomGraphicControl::DoTextChanged() {
    FireNotify(OnTextChanged, this);
}

void TCustomGraphicControl::DoVisibleChanged() {
    FireNotify(OnVisibleChanged, this);
}

void TCustomGraphicControl::WndProc(TMessage& Message) {
    const UINT msg = Message.Msg;
    TGraphicControl::WndProc(Message);
    switch (msg) {
        case CM_MOUSEENTER: DoMouseEnter(); break;
        case CM_MOUSELEAVE: DoMouseLeave(); break;
        case CM_FONTCHANGED: DoFontChanged(); break;
        case CM_TEXTCHANGED: DoTextChanged(); break;
        case CM_VISIBLECHANGED: DoVisibleChanged(); break;
        default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// TVeskGraphicControl

TVeskGraphicControl::TVeskGraphicControl(TComponent* AOwner)
    : TCustomGraphicControl(AOwner), FBackground(std::make_unique<TBitmap>()), FBuffer(std::make_unique<TBitmap>()) {}

TVeskGraphicControl::~TVeskGraphicControl() = default;

TCanvas* TVeskGraphicControl::GetBufferCanvas() {
    return FBuffer->GetCanvas();
}

void TVeskGraphicControl::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    if (Value)
        SetControlStyle(GetControlStyle() & ~static_cast<TControlStyle>(csOpaque));
    else
        SetControlStyle(GetControlStyle() | csOpaque);
    Redraw();
}

void TVeskGraphicControl::Redraw() {
    // A repaint the control asks for itself reuses the background copied at the last paint: as
    // an opaque control it is painted straight onto the parent's context, the parent untouched.
    if (FTransparent && FBackground->GetWidth() > 0 && FBackground->GetHeight() > 0) {
        FBackgroundDirty = false;
        SetControlStyle(GetControlStyle() | csOpaque);
    }
    TCustomGraphicControl::Redraw();
}

void TVeskGraphicControl::DoVisibleChanged() {
    if (GetVisible()) Redraw();
    TCustomGraphicControl::DoVisibleChanged();
}

void TVeskGraphicControl::PrepareBuffer() {
    TCanvas* bc = GetBufferCanvas();
    bc->GetBrush()->SetStyle(bsSolid);
    if (FTransparent) {
        if (FBackgroundDirty) {
            FBackground->SetSize(GetWidth(), GetHeight());
            try {
                PaintParentBackground(this, FBackground->GetCanvas());
            } catch (...) {
                // A failed copy leaves the old background; the control still paints.
            }
        }
        BitBlt(bc->GetHandle(), 0, 0, FBuffer->GetWidth(), FBuffer->GetHeight(), FBackground->GetCanvas()->GetHandle(),
               0, 0, SRCCOPY);
    } else {
        bc->GetBrush()->SetColor(GetColor());
        bc->FillRect(TRect(0, 0, FBuffer->GetWidth(), FBuffer->GetHeight()));
    }
}

void TVeskGraphicControl::Paint() {
    BitBlt(GetCanvas()->GetHandle(), 0, 0, GetWidth(), GetHeight(), FBuffer->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    if (FTransparent) {
        FBackgroundDirty = true;
        SetControlStyle(GetControlStyle() & ~static_cast<TControlStyle>(csOpaque));
    }
}

void TVeskGraphicControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_PAINT: {
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            // Controls below 2 x 2 pixels are never painted.
            if (dc && GetWidth() >= 2 && GetHeight() >= 2) {
                TCanvas* canvas = GetCanvas();
                TCanvas* bc = GetBufferCanvas();
                canvas->Lock();
                bc->Lock();
                struct Unlock {
                    TCanvas* c;
                    TCanvas* b;
                    ~Unlock() {
                        c->SetHandle(nullptr);
                        b->Unlock();
                        c->Unlock();
                    }
                } unlock{canvas, bc};
                if (FBuffer->GetWidth() != GetWidth() || FBuffer->GetHeight() != GetHeight())
                    FBuffer->SetSize(GetWidth(), GetHeight());
                canvas->SetHandle(dc);
                canvas->GetFont()->Assign(GetFont());
                Paint();
            }
            Message.Result = 0;
            return;
        }
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
            std::shared_ptr<bool> alive = AliveToken();
            TCustomGraphicControl::WndProc(Message);
            if (!*alive) return;
            TWinControl* parent = GetParent();
            if (FNeedSupportFocuse && parent && !parent->Focused()) parent->SetFocus();
            return;
        }
        default:
            TCustomGraphicControl::WndProc(Message);
    }
}
