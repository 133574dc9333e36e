#include "VeskDirectUIScrollBar.h"

using namespace fw;

TVeskDirectUIScrollBar::TVeskDirectUIScrollBar(TComponent* AOwner)
    : TSkinScrollBarCore(AOwner), FDrawBitmap(std::make_unique<TBitmap>()) {
    SetControlStyle(GetControlStyle() | csOpaque);
    FDrawBitmap->SetPixelFormat(pf32bit);
}

TVeskDirectUIScrollBar::~TVeskDirectUIScrollBar() = default;

void TVeskDirectUIScrollBar::ApplyScrollRes() {
    TVeskScrollBarRes* res = FScrollRes;
    if (!res) return;
    CopySkin(*res);
    SetShowButton(res->GetShowButton());
    SetJoinButton(res->GetJoinButton());
    Loaded();
}

void TVeskDirectUIScrollBar::SetTargetCanvas(TCanvas* Canvas) {
    if (Canvas == FTargetCanvas) return;
    FTargetCanvas = Canvas;
    RequestRepaint();
}

void TVeskDirectUIScrollBar::RequestRepaint() {
    TNotifyEvent handler = OnNeedRepaint;
    if (handler) handler(this);
}

int TVeskDirectUIScrollBar::JoinedTop() const {
    const int lth = FLTFrames[0] ? FLTFrames[0]->GetHeight() : 0;
    return GetHeight() - 2 * lth;
}

void TVeskDirectUIScrollBar::PrepareBack() {
    FBackImages[0].reset();
    FBackImages[1].reset();
    FBackReady = false;
    if (FImgBack->GetEmpty() || FBackStateCount < 1) return;
    if (FBackStateCount == 1) {
        FBackImages[0] = std::make_unique<TPngImage>();
        FBackImages[0]->Assign(FImgBack.get());
    } else {
        FBackImages[0] = GetStatePng(FImgBack.get(), FBackStateCount, 0);
        FBackImages[1] = GetStatePng(FImgBack.get(), FBackStateCount, 1);
    }
    FBackReady = true;
}

void TVeskDirectUIScrollBar::DrawBack(TCanvas* Canvas) {
    if (!FBackReady) return;
    TPngImage* back = FBackImages[0].get();
    if (!GetEnabled() && Present(FBackImages[1])) back = FBackImages[1].get();
    DrawPng(Canvas, back, FTrackRect);
}

void TVeskDirectUIScrollBar::Paint() {
    if (!FTargetCanvas) return;
    const int w = GetWidth(), h = GetHeight();
    if (w < 1 || h < 1) return;
    CalcAllRects();
    FDrawBitmap->SetSize(w, h);
    ClearBitmap32(FDrawBitmap.get());
    DrawParts(FDrawBitmap->GetCanvas());
    // Blended, not copied: the host's surface shows through the skin's transparent pixels.
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(FTargetCanvas->GetHandle(), GetLeft(), GetTop(), w, h, FDrawBitmap->GetCanvas()->GetHandle(), 0, 0, w,
               h, blend);
}

