#include "VeskPngScrollBar.h"

using namespace fw;

UINT ScrollRepeatDelay() {
    int delay = 0;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0)) delay = 0;
    return static_cast<UINT>((delay + 1) * 200);
}

int ScrollRepeatIntervalFor(int KeyboardSpeed) {
    return static_cast<int>(RoundHalfEven(1000.0L / ((KeyboardSpeed + 1) * 2.3L)));
}

UINT ScrollRepeatInterval() {
    DWORD speed = 0;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0)) speed = 0;
    return static_cast<UINT>(ScrollRepeatIntervalFor(static_cast<int>(speed)));
}

TVeskPngScrollBar::TVeskPngScrollBar(TComponent* AOwner) : TSkinScrollBarCore(AOwner) {
    SetControlStyle(GetControlStyle() | csOpaque);
}

TVeskPngScrollBar::~TVeskPngScrollBar() = default;

void TVeskPngScrollBar::ApplyScrollRes() {
    TVeskScrollBarRes* res = FScrollRes;
    if (!res) return;
    CopySkin(*res);
    SetShowButton(res->GetShowButton());
    SetJoinButton(res->GetJoinButton());
    SetBackUseThree(res->GetBackUseThree());
    Loaded();
}

void TVeskPngScrollBar::PrepareBack() {
    FBackImages[0].reset();
    FBackImages[1].reset();
    FBackReady = false;
    if (FImgBack->GetEmpty() || FBackStateCount < 1) return;
    if (FBackStateCount == 1) {
        if (FBackUseThree) {
            FBackImages[0] = IsVer() ? StretchPngVert(FImgBack.get(), FSliderSplit->GetTop(), FSliderSplit->GetBottom(),
                                                      255, clNone, GetHeight())
                                     : StretchPngHorz(FImgBack.get(), FSliderSplit->GetLeft(),
                                                      FSliderSplit->GetRight(), 255, clNone, GetWidth());
        } else {
            FBackImages[0] = std::make_unique<TPngImage>();
            FBackImages[0]->Assign(FImgBack.get());
        }
    } else {
        FBackImages[0] = GetStatePng(FImgBack.get(), FBackStateCount, 0);
        FBackImages[1] = GetStatePng(FImgBack.get(), FBackStateCount, 1);
    }
    FBackReady = true;
}

void TVeskPngScrollBar::DrawBack(TCanvas* Canvas) {
    if (!FBackReady) return;
    TPngImage* back = FBackImages[0].get();
    if (!GetEnabled() && Present(FBackImages[1])) back = FBackImages[1].get();
    DrawPng(Canvas, back, FTrackRect);
}

void TVeskPngScrollBar::Paint() {
    // The bar takes the thickness of one back frame. Back frames are cut side by side, so each
    // has the picture's full height: a horizontal bar takes that height.
    if (!FImgBack->GetEmpty()) {
        if (IsVer()) {
            if (FBackStateCount >= 1) SetWidth(FImgBack->GetWidth() / FBackStateCount);
        } else {
            SetHeight(FImgBack->GetHeight());
        }
    }
    CalcAllRects();
    PrepareBuffer();
    DrawParts(GetBufferCanvas());
    TVeskGraphicControl::Paint();
}

void TVeskPngScrollBar::Resize() {
    TVeskGraphicControl::Resize();
    // A three-part back follows the bar's length.
    PrepareBack();
}

