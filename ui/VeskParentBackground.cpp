#include "VeskParentBackground.h"

#include "fw_handles.h"

using namespace fw;

namespace {

void PaintParentOwn(TControl* Control, HDC dc, bool erase) {
    TWinControl* parent = Control->GetParent();
    TSavedDC saved(dc);
    OffsetViewportOrgEx(dc, -Control->GetLeft(), -Control->GetTop(), nullptr);
    TRect cr = parent->GetClientRect();
    IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
    if (erase) parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->PaintWindow(dc);
}

void PaintSiblingsBelow(TControl* Control, HDC dc, const TRect& rect) {
    TWinControl* parent = Control->GetParent();
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* sibling = parent->GetControl(i);
        if (sibling == Control) break;
        if (dynamic_cast<TWinControl*>(sibling)) continue;
        if (!sibling->GetVisible()) continue;
        TRect sb = sibling->GetBoundsRect();
        if (IntersectRects(sb, rect).IsEmpty()) continue;
        TSavedDC saved(dc);
        OffsetViewportOrgEx(dc, sibling->GetLeft() - Control->GetLeft(), sibling->GetTop() - Control->GetTop(), nullptr);
        IntersectClipRect(dc, 0, 0, sibling->GetWidth(), sibling->GetHeight());
        sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

}  // namespace

void PaintParentBackground(TControl* Control, TCanvas* Canvas) {
    if (!Control || !Canvas || !Control->GetParent()) return;
    TWinControl* parent = Control->GetParent();
    HDC dc = Canvas->GetHandle();
    TControlState before = parent->GetControlState();
    parent->SetControlState(before | csPaintCopy);
    struct Restore {
        TWinControl* p;
        ~Restore() { p->SetControlState(p->GetControlState() & ~static_cast<TControlState>(csPaintCopy)); }
    } restore{parent};
    PaintParentOwn(Control, dc, true);
}

void DrawParentBackground(TControl* Control, TCanvas* Canvas) {
    if (!Control || !Canvas || !Control->GetParent()) return;
    if (Control->GetWidth() < 1 || Control->GetHeight() < 1) return;
    HDC dc = Canvas->GetHandle();
    PaintParentOwn(Control, dc, false);
    if (!Control->GetName().empty()) PaintSiblingsBelow(Control, dc, Control->GetBoundsRect());
}

void DrawParentBackground(TControl* Control, TCanvas* Canvas, const TRect& ControlRect) {
    if (!Control || !Canvas || !Control->GetParent()) return;
    HDC dc = Canvas->GetHandle();
    PaintParentOwn(Control, dc, false);
    PaintSiblingsBelow(Control, dc, ControlRect);
}
