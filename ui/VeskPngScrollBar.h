// The skinned scroll bar: its own scroll model (Min, Max, PageSize, Position, SmallChange,
// LargeChange), two arrow buttons, a track and a slider whose length follows PageSize, drawn from
// PNG strips; arrow and page presses repeat at the keyboard's rate, the slider is dragged, and
// every user-driven change is reported through OnScroll, which may rewrite the proposed position.
//
// TSkinScrollBarCore holds what the windowless, windowed and host-drawn bars share; each bar adds
// its base, its back images, its repaint request and its painting.
#pragma once

#include "VeskDrawing.h"
#include "VeskGraphicControl.h"
#include "VeskScrollBarRes.h"
#include "fw_timer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

using TVeskScrollEvent = std::function<void(fw::TObject* Sender, int& ScrollPos)>;

// The auto-repeat follows the keyboard settings, read each time: the first repeat comes after
// (keyboard delay + 1) x 200 ms, the following ones every round(1000 / ((speed + 1) x 2.3)) ms.
UINT ScrollRepeatDelay();
UINT ScrollRepeatInterval();
int ScrollRepeatIntervalFor(int KeyboardSpeed);

// The bar holds its own copy of a resource's skin; the prepared frames are cut again only by
// Loaded and the steps that rebuild them (the back on resize, the slider when its size changes).
template <class TBase, class TPad, class TKind, class TRes>
class TSkinScrollBarCore : public TBase, public TScrollBarSkin<TPad> {
public:
    explicit TSkinScrollBarCore(fw::TComponent* AOwner) : TBase(AOwner) {
        this->SetBounds(this->GetLeft(), this->GetTop(), 15, 200);
    }

    bool GetShowhint() const { return this->GetShowHint(); }
    void SetShowhint(bool Value) { this->SetShowHint(Value); }

    TRes* GetScrollRes() const { return FScrollRes; }
    void SetScrollRes(TRes* Value) {
        if (Value == FScrollRes) return;
        if (FScrollRes) FScrollRes->RemoveFreeNotification(this);
        FScrollRes = Value;
        if (Value) {
            Value->FreeNotification(this);
            ApplyScrollRes();
        }
    }
    virtual void ApplyScrollRes() = 0;

    int GetMin() const { return FMin; }
    void SetMin(int Value) {
        if (Value == FMin) return;
        FMin = std::min(Value, FMax);
        if (FMin > FPosition) SetPosition(FMin);
        CapPageSize();
        ScrollRedraw();
    }
    int GetMax() const { return FMax; }
    void SetMax(int Value) {
        if (Value == FMax) return;
        FMax = std::max(Value, FMin);
        if (FMax < FPosition) SetPosition(FMax);
        CapPageSize();
        ScrollRedraw();
    }
    int GetPageSize() const { return FPageSize; }
    void SetPageSize(int Value) {
        if (Value == FPageSize || Value < 0) return;
        FPageSize = Value;
        CapPageSize();
        ScrollRedraw();
    }
    int GetSmallChange() const { return FSmallChange; }
    void SetSmallChange(int Value) { FSmallChange = Value; }
    int GetLargeChange() const { return FLargeChange; }
    void SetLargeChange(int Value) { FLargeChange = Value; }
    int GetPosition() const { return FPosition; }
    void SetPosition(int Value) {
        if (Value == FPosition) return;
        const int64_t high = PositionHigh();
        if (Value > high) Value = static_cast<int>(high);
        if (Value < FMin) Value = FMin;
        FPosition = Value;
        ScrollRedraw();
    }
    TKind Getkind() const { return FKind; }
    void Setkind(TKind Value) {
        if (Value == FKind) return;
        FKind = Value;
        ScrollRedraw();
    }
    bool GetShowButton() const { return FShowButton; }
    void SetShowButton(bool Value) {
        if (Value == FShowButton) return;
        FShowButton = Value;
        ScrollRedraw();
    }
    bool GetJoinButton() const { return FJoinButton; }
    void SetJoinButton(bool Value) {
        if (Value == FJoinButton) return;
        FJoinButton = Value;
        ScrollRedraw();
    }

    // Fired before user-driven position changes; the handler may rewrite ScrollPos.
    TVeskScrollEvent OnScroll;

    // Prepares the skin once: the button, back and centre frames.
    void Loaded() override {
        TBase::Loaded();
        if (!FButtonsReady) PrepareSkin();
    }

    void DoScroll(int& ScrollPos) {
        TVeskScrollEvent handler = OnScroll;
        if (handler) handler(this, ScrollPos);
    }

    // One step from a virtual-key code (VK_PRIOR, VK_NEXT, VK_END, VK_HOME, the arrows), held
    // below Max - PageSize + 1 and above Min, offered to OnScroll, then stored.
    void StepScroll(WORD Key, fw::TShiftState Shift) {
        (void)Shift;
        int64_t value;
        switch (Key) {
            case VK_PRIOR: value = int64_t(FPosition) - (FPageSize > 0 ? FPageSize : FLargeChange); break;
            case VK_NEXT: value = int64_t(FPosition) + (FPageSize > 0 ? FPageSize : FLargeChange); break;
            case VK_END: value = FMax; break;
            case VK_HOME: value = FMin; break;
            case VK_LEFT: case VK_UP: value = int64_t(FPosition) - FSmallChange; break;
            case VK_RIGHT: case VK_DOWN: value = int64_t(FPosition) + FSmallChange; break;
            default: return;
        }
        const int64_t high = int64_t(FMax) - FPageSize + 1;
        if (high < value)
            value = high;
        else if (value < FMin)
            value = FMin;
        // Max + 1 (PageSize 0) cannot be offered when Max is the largest integer.
        value = std::min<int64_t>(value, INT32_MAX);
        int pos = static_cast<int>(value);
        std::shared_ptr<bool> alive = this->AliveToken();
        DoScroll(pos);
        // OnScroll may have freed the bar (a drop-down closing, say).
        if (!*alive) return;
        SetPosition(pos);
    }

    // Starts (First: with one step at once and the longer first delay) or continues auto-repeat.
    void StartRepeat(bool First) {
        if (!FRepeatTimer) {
            FRepeatTimer = new fw::TTimer(this);
            FRepeatTimer->SetEnabled(false);
            FRepeatTimer->SetOnTimer([this](fw::TObject*) { RepeatTimerTick(); });
        }
        if (First) {
            std::shared_ptr<bool> alive = this->AliveToken();
            RepeatTimerTick();
            if (!*alive || !FRepeatTimer) return;
            FRepeatTimer->SetInterval(ScrollRepeatDelay());
        } else {
            FRepeatTimer->SetInterval(ScrollRepeatInterval());
        }
        FRepeatTimer->SetEnabled(true);
    }

    // The position a pointer coordinate along the bar stands for.
    int PosFromPixel(int P) {
        const int p = P & 0xFFFF;
        const int64_t r = RangeForSlider();
        const int length = TrackLength(FTrackRect);
        const int64_t free = length - SliderLength(length);
        int64_t v = 0;
        if (free != 0 && r >= 1)
            v = fw::RoundHalfEven(static_cast<long double>(int64_t(p - TrackStart(FTrackRect)) * r) / free + FMin);
        v = std::max<int64_t>(v, FMin);
        v = std::min<int64_t>(v, int64_t(FMax) - FPageSize + 1);
        return static_cast<int>(v);
    }

    // Run-time state, for the hosts that place and drive the bar.
    fw::TTimer* GetRepeatTimer() const { return FRepeatTimer; }
    int GetGrabOffset() const { return FGrabOffset; }
    bool GetButtonsReady() const { return FButtonsReady; }
    bool GetSliderReady() const { return FSliderReady; }
    bool GetBackReady() const { return FBackReady; }
    const fw::TRect& GetLTRect() const { return FLTRect; }
    const fw::TRect& GetRBRect() const { return FRBRect; }
    const fw::TRect& GetTrackRect() const { return FTrackRect; }
    const fw::TRect& GetSliderRect() const { return FSliderRect; }
    const fw::TRect& GetPageUpRect() const { return FPageUpRect; }
    const fw::TRect& GetPageDownRect() const { return FPageDownRect; }
    fw::TPngImage* GetLTFrame(int I) const { return I >= 0 && I < 4 ? FLTFrames[I].get() : nullptr; }
    fw::TPngImage* GetRBFrame(int I) const { return I >= 0 && I < 4 ? FRBFrames[I].get() : nullptr; }
    fw::TPngImage* GetSliderImage(int I) const { return I >= 0 && I < 4 ? FSliderImages[I].get() : nullptr; }
    fw::TPngImage* GetCenterFrame(int I) const { return I >= 0 && I < 4 ? FCenterFrames[I].get() : nullptr; }
    fw::TPngImage* GetBackImage(int I) const { return I >= 0 && I < 4 ? FBackImages[I].get() : nullptr; }
    bool GetOverLT() const { return FOverLT; }
    bool GetDownLT() const { return FDownLT; }
    bool GetOverRB() const { return FOverRB; }
    bool GetDownRB() const { return FDownRB; }
    bool GetOverSlider() const { return FOverSlider; }
    bool GetDragSlider() const { return FDragSlider; }
    bool GetOverPageUp() const { return FOverPageUp; }
    bool GetDownPageUp() const { return FDownPageUp; }
    bool GetOverPageDown() const { return FOverPageDown; }
    bool GetDownPageDown() const { return FDownPageDown; }

protected:
    // The bar's repaint request.
    virtual void ScrollRedraw() = 0;
    // The highest position the Position setter stores (wide: Max - PageSize + 1 may pass the
    // integer range).
    virtual int64_t PositionHigh() const { return FMax; }
    // The page never exceeds the range; the range itself may not fit an integer.
    void CapPageSize() {
        const int64_t range = int64_t(FMax) - FMin + 1;
        if (range < FPageSize) FPageSize = static_cast<int>(range);
    }
    virtual TPngPtr CutFrame(fw::TPngImage* Png, int Count, int Index) { return GetStatePng(Png, Count, Index); }
    virtual TPngPtr StretchThree(fw::TPngImage* Png, int A, int B, int Target, bool Vertical) {
        return Vertical ? StretchPngVert(Png, A, B, 255, fw::clNone, Target)
                        : StretchPngHorz(Png, A, B, 255, fw::clNone, Target);
    }
    // Back images from ImgBack (the bars differ in slots and stretching).
    virtual void PrepareBack() = 0;
    virtual void DrawBack(fw::TCanvas* Canvas) = 0;
    // Whether the left/top button needs the right/bottom frame too.
    virtual bool LTRectNeedsRB() const { return true; }
    // Top of the joined buttons of a vertical bar (both stacked at the bottom).
    virtual int JoinedTop() const {
        const int lth = FLTFrames[0] ? FLTFrames[0]->GetHeight() : 0;
        const int rbh = FRBFrames[0] ? FRBFrames[0]->GetHeight() : 0;
        return this->GetHeight() - lth - rbh;
    }
    // Lets a bar give the slider its own cross size.
    virtual void AdjustSliderCross(fw::TRect& Slider) { (void)Slider; }
    virtual void PrepareSkin() {
        PrepareButtons();
        PrepareBack();
        PrepareCentre();
    }

    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override {
        TBase::Notification(AComponent, Operation);
        if (Operation == fw::opRemove && AComponent != this && FScrollRes &&
            AComponent == static_cast<fw::TComponent*>(FScrollRes)) {
            FScrollRes = nullptr;
            ScrollRedraw();
        }
    }

    bool IsVer() const { return FKind == TKind::skVer; }
    static bool Present(const TPngPtr& P) { return P && !P->GetEmpty(); }
    static bool Present(const fw::TPngImage* P) { return P && !P->GetEmpty(); }
    static void DrawPng(fw::TCanvas* Canvas, fw::TPngImage* Png, const fw::TRect& Rect) {
        if (Present(Png) && !Rect.IsEmpty()) Png->Draw(Canvas, Rect);
    }

    // Skin preparation -----------------------------------------------------------------------

    void PrepareButtons() {
        for (auto& f : FLTFrames) f.reset();
        if (!FImgBtnLT->GetEmpty())
            for (int i = 0; i < 4; ++i) FLTFrames[i] = CutFrame(FImgBtnLT.get(), FBtnStateCount, i);
        if (FLTFrames[0]) {
            if (IsVer())
                this->SetWidth(FLTFrames[0]->GetWidth());
            else
                this->SetHeight(FLTFrames[0]->GetHeight());
        }
        for (auto& f : FRBFrames) f.reset();
        if (!FImgBtnRB->GetEmpty())
            for (int i = 0; i < 4; ++i) FRBFrames[i] = CutFrame(FImgBtnRB.get(), FBtnStateCount, i);
        FButtonsReady = Present(FLTFrames[0]) && Present(FRBFrames[0]);
    }

    void PrepareCentre() {
        for (auto& f : FCenterFrames) f.reset();
        if (!FImgCenter->GetEmpty() && FCenterStateCount >= 1)
            for (int i = 0; i < 4; ++i) FCenterFrames[i] = CutFrame(FImgCenter.get(), FCenterStateCount, i);
    }

    // Slider images are cut and stretched to the slider's size, with the grip centred on each,
    // and kept until that size changes.
    void PrepareSliderImages() {
        const int w = FSliderRect.Width(), h = FSliderRect.Height();
        if (Present(FSliderImages[0]) && FSliderImages[0]->GetWidth() == w && FSliderImages[0]->GetHeight() == h)
            return;
        for (auto& s : FSliderImages) s.reset();
        FSliderReady = false;
        if (FImgSlider->GetEmpty() || FSliderStateCount < 1 || w < 1 || h < 1) return;
        for (int i = 0; i < 4; ++i) {
            TPngPtr frame = CutFrame(FImgSlider.get(), FSliderStateCount, i);
            if (!frame) continue;
            TPngPtr image = IsVer() ? StretchThree(frame.get(), FSliderSplit->GetTop(), FSliderSplit->GetBottom(), h, true)
                                    : StretchThree(frame.get(), FSliderSplit->GetLeft(), FSliderSplit->GetRight(), w, false);
            if (image && Present(FCenterFrames[i]) && Present(FCenterFrames[0])) {
                // The grip is centred on the stretched image itself: across the bar the image
                // keeps its frame's size, which need not be the slider rectangle's.
                const int cw = FCenterFrames[0]->GetWidth(), ch = FCenterFrames[0]->GetHeight();
                const int x = (image->GetWidth() - cw) / 2, y = (image->GetHeight() - ch) / 2;
                FCenterFrames[i]->Draw(image->GetCanvas(), fw::TRect(x, y, x + cw, y + ch));
            }
            FSliderImages[i] = std::move(image);
        }
        FSliderReady = Present(FSliderImages[0]);
    }

    // Geometry -------------------------------------------------------------------------------

    fw::TRect CalcLTRect() const {
        const TPngPtr& lt = FLTFrames[0];
        if (!Present(lt) || (LTRectNeedsRB() && !FRBFrames[0])) return fw::TRect(-1, -1, -1, -1);
        fw::TRect r(0, 0, lt->GetWidth(), lt->GetHeight());
        if (IsVer() && FJoinButton) {
            r.Top = JoinedTop();
            r.Bottom = r.Top + lt->GetHeight();
        }
        return r;
    }

    fw::TRect CalcRBRect() const {
        const TPngPtr& rb = FRBFrames[0];
        if (!Present(rb)) return fw::TRect(-1, -1, -1, -1);
        const int w = this->GetWidth(), h = this->GetHeight();
        if (IsVer()) return fw::TRect(0, h - rb->GetHeight(), rb->GetWidth(), h);
        return fw::TRect(w - rb->GetWidth(), 0, w, rb->GetHeight());
    }

    fw::TRect CalcTrackRect() const {
        const int w = this->GetWidth(), h = this->GetHeight();
        fw::TRect r(0, 0, w, h);
        const TPngPtr& lt = FLTFrames[0];
        if (FShowButton && Present(lt)) {
            if (!IsVer()) {
                r.Left = lt->GetWidth() - FBtnoffSet;
                r.Right = w - lt->GetWidth() + FBtnoffSet;
            } else if (!FJoinButton) {
                r.Top = lt->GetHeight() - FBtnoffSet;
                r.Bottom = h - lt->GetHeight() + FBtnoffSet;
            } else {
                r.Top = 0;
                r.Bottom = JoinedTop() + FBtnoffSet;
            }
        }
        return r;
    }

    int TrackLength(const fw::TRect& Track) const { return IsVer() ? Track.Height() : Track.Width(); }
    int TrackStart(const fw::TRect& Track) const { return IsVer() ? Track.Top : Track.Left; }

    // Slider length for a track of length L: from PageSize, never shorter than 1.5 thumbs; 0
    // (no slider) when it would fill the track.
    int SliderLength(int L) const {
        const int thumb = GetSystemMetrics(SM_CYVTHUMB);
        int64_t len;
        if (FPageSize <= 0) {
            len = thumb;
        } else {
            len = fw::RoundHalfEven(static_cast<long double>(int64_t(FPageSize) * L) / (int64_t(FMax) - FMin + 1));
            len = std::max<int64_t>(len, (3 * thumb) / 2);
        }
        if (L <= len) len = 0;
        return static_cast<int>(len);
    }

    // The positions the free part of the track stands for.
    int64_t RangeForSlider() const {
        return int64_t(FMax) - FMin - FPageSize + (FPageSize != 0 ? 1 : 0);
    }

    // Slider, page-up and page-down rectangles from the stored track.
    void CalcSliderRects() {
        const fw::TRect& t = FTrackRect;
        const int length = TrackLength(t);
        const int len = SliderLength(length);
        const int64_t r = RangeForSlider();
        const int64_t free = length - len;
        int start = TrackStart(t);
        if (int64_t(FMax) - FMin - FPageSize + 1 >= 1 && r >= 1) {
            if (int64_t(FPosition) <= int64_t(FMax) - FPageSize + 1)
                start += static_cast<int>(fw::RoundHalfEven(static_cast<long double>((int64_t(FPosition) - FMin) * free) / r));
            else
                start += static_cast<int>(free);
        }
        if (IsVer()) {
            FSliderRect = fw::TRect(t.Left, start, t.Right, start + len);
            FPageUpRect = fw::TRect(t.Left, t.Top, t.Right, start);
            FPageDownRect = fw::TRect(t.Left, start + len, t.Right, t.Bottom);
        } else {
            FSliderRect = fw::TRect(start, t.Top, start + len, t.Bottom);
            FPageUpRect = fw::TRect(t.Left, t.Top, start, t.Bottom);
            FPageDownRect = fw::TRect(start + len, t.Top, t.Right, t.Bottom);
        }
        AdjustSliderCross(FSliderRect);
    }

    void CalcAllRects() {
        FLTRect = CalcLTRect();
        FRBRect = CalcRBRect();
        FTrackRect = CalcTrackRect();
        CalcSliderRects();
    }

    // Drawing --------------------------------------------------------------------------------

    void DrawButtons(fw::TCanvas* Canvas) {
        if (!FShowButton) return;
        if (!this->GetEnabled()) {
            DrawPng(Canvas, FLTFrames[3].get(), FLTRect);
            DrawPng(Canvas, FRBFrames[3].get(), FRBRect);
        } else if (FButtonsReady) {
            DrawPng(Canvas, FLTFrames[FDownLT ? 2 : FOverLT ? 1 : 0].get(), FLTRect);
            DrawPng(Canvas, FRBFrames[FDownRB ? 2 : FOverRB ? 1 : 0].get(), FRBRect);
        }
    }

    void DrawSlider(fw::TCanvas* Canvas) {
        PrepareSliderImages();
        if (!FSliderReady) return;
        // Images made just now may give the slider its cross size already in this paint.
        AdjustSliderCross(FSliderRect);
        const int i = !this->GetEnabled() ? 3 : FDragSlider ? 2 : FOverSlider ? 1 : 0;
        DrawPng(Canvas, FSliderImages[i].get(), FSliderRect);
    }

    // Back, buttons, then the slider, into rectangles computed beforehand.
    void DrawParts(fw::TCanvas* Canvas) {
        DrawBack(Canvas);
        DrawButtons(Canvas);
        DrawSlider(Canvas);
    }

    // Mouse ----------------------------------------------------------------------------------

    // Routing of the windowless bars: the base's handling (events, capture) first, then the
    // bar's own, unless a handler freed the bar meanwhile. The windowed bar routes its own way.
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override {
        std::shared_ptr<bool> alive = this->AliveToken();
        TBase::MouseDown(Button, Shift, X, Y);
        if (!*alive || Button != fw::mbLeft) return;
        PressLogic(X, Y);
    }
    void MouseMove(fw::TShiftState Shift, int X, int Y) override {
        std::shared_ptr<bool> alive = this->AliveToken();
        TBase::MouseMove(Shift, X, Y);
        if (*alive) MoveLogic(Shift, X, Y);
    }
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override {
        std::shared_ptr<bool> alive = this->AliveToken();
        TBase::MouseUp(Button, Shift, X, Y);
        if (*alive && Button == fw::mbLeft) ReleaseLogic();
    }
    void WndProc(fw::TMessage& Message) override {
        if (Message.Msg == fw::CM_MOUSELEAVE) {
            std::shared_ptr<bool> alive = this->AliveToken();
            TBase::WndProc(Message);
            if (*alive) LeaveLogic();
            return;
        }
        TBase::WndProc(Message);
    }

    void PressLogic(int X, int Y) {
        if (FOverLT) {
            FDownLT = true;
        } else if (FOverRB) {
            FDownRB = true;
        } else if (FOverSlider) {
            FDragSlider = true;
            FGrabOffset = IsVer() ? Y - FSliderRect.Top : X - FSliderRect.Left;
        } else if (FOverPageUp) {
            FDownPageUp = true;
        } else if (FOverPageDown) {
            FDownPageDown = true;
        }
        if (FDownLT || FDownRB || FDownPageUp || FDownPageDown) {
            std::shared_ptr<bool> alive = this->AliveToken();
            ScrollRedraw();
            if (*alive) StartRepeat(true);
        }
    }

    void MoveLogic(fw::TShiftState Shift, int X, int Y) {
        FMouseX = X;
        FMouseY = Y;
        if (!Shift.Contains(fw::ssLeft)) {
            CalcSliderRects();
            const fw::TPoint p(X, Y);
            const bool slider = FSliderRect.Contains(p), lt = FLTRect.Contains(p), rb = FRBRect.Contains(p),
                       up = FPageUpRect.Contains(p), down = FPageDownRect.Contains(p);
            const bool changed = slider != FOverSlider || lt != FOverLT || rb != FOverRB || up != FOverPageUp ||
                                 down != FOverPageDown;
            FOverSlider = slider;
            FOverLT = lt;
            FOverRB = rb;
            FOverPageUp = up;
            FOverPageDown = down;
            if (changed) ScrollRedraw();
        } else if (FGrabOffset > 0) {
            // A press on the slider's very first pixel leaves the offset at 0 and does not drag.
            FTrackRect = CalcTrackRect();
            int p;
            if (IsVer())
                p = std::clamp<int>(Y - FGrabOffset, FTrackRect.Top, std::max(FTrackRect.Top, FTrackRect.Bottom));
            else
                p = std::clamp<int>(X - FGrabOffset, FTrackRect.Left, std::max(FTrackRect.Left, FTrackRect.Right));
            int v = PosFromPixel(p);
            std::shared_ptr<bool> alive = this->AliveToken();
            DoScroll(v);
            if (!*alive) return;
            // While dragging, the bar follows the pointer whatever OnScroll answered.
            SetPosition(PosFromPixel(p));
        }
    }

    void ReleaseLogic() {
        bool cleared = true;
        if (FDownLT)
            FDownLT = false;
        else if (FDownRB)
            FDownRB = false;
        else if (FDragSlider)
            FDragSlider = false;
        else if (FDownPageDown)
            FDownPageDown = false;
        else if (FDownPageUp)
            FDownPageUp = false;
        else
            cleared = false;
        if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
        int v = FPosition;
        std::shared_ptr<bool> alive = this->AliveToken();
        DoScroll(v);
        if (!*alive) return;
        SetPosition(v);
        FGrabOffset = -1;
        if (cleared) ScrollRedraw();
    }

    void LeaveLogic() {
        if (FOverSlider || FOverLT || FOverRB || FOverPageUp || FOverPageDown) {
            FOverSlider = FOverLT = FOverRB = FOverPageUp = FOverPageDown = false;
            ScrollRedraw();
        }
    }

    // One auto-repeat step. A held page press stops once the slider (placed at each paint) has
    // reached the pointer; a held arrow steps while its hover flag stays set.
    void RepeatTimerTick() {
        if (FRepeatTimer) FRepeatTimer->SetInterval(ScrollRepeatInterval());
        try {
            if (FDownLT && FOverLT) {
                StepScroll(VK_LEFT, fw::TShiftState());
                return;
            }
            if (FDownRB && FOverRB) {
                StepScroll(VK_RIGHT, fw::TShiftState());
                return;
            }
            const bool oldUp = FOverPageUp, oldDown = FOverPageDown;
            const fw::TPoint p(FMouseX, FMouseY);
            FOverPageUp = FPageUpRect.Contains(p);
            if (FDownPageUp && FOverPageUp) {
                StepScroll(VK_PRIOR, fw::TShiftState());
                return;
            }
            FOverPageDown = FPageDownRect.Contains(p);
            std::shared_ptr<bool> alive = this->AliveToken();
            if (FDownPageDown && FOverPageDown) StepScroll(VK_NEXT, fw::TShiftState());
            if (*alive && (FOverPageUp != oldUp || FOverPageDown != oldDown)) ScrollRedraw();
        } catch (...) {
            // A failing step must not keep firing: stop repeating and carry on.
            if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
        }
    }

    using TSkin = TScrollBarSkin<TPad>;
    using TSkin::FImgBack;
    using TSkin::FImgSlider;
    using TSkin::FImgBtnLT;
    using TSkin::FImgBtnRB;
    using TSkin::FImgCenter;
    using TSkin::FSliderStateCount;
    using TSkin::FCenterStateCount;
    using TSkin::FSliderSplit;
    using TSkin::FBtnoffSet;
    using TSkin::FBtnStateCount;
    using TSkin::FBackStateCount;
    TRes* FScrollRes = nullptr;
    int FMin = 0;
    int FMax = 100;
    int FPageSize = 0;
    int FSmallChange = 1;
    int FLargeChange = 1;
    int FPosition = 0;
    TKind FKind = TKind::skVer;
    bool FShowButton = true;
    bool FJoinButton = false;

    fw::TTimer* FRepeatTimer = nullptr;  // owned by the bar, made at the first press
    int FMouseX = 0, FMouseY = 0;
    int FGrabOffset = 0;
    bool FButtonsReady = false, FSliderReady = false, FBackReady = false;
    std::array<TPngPtr, 4> FLTFrames, FRBFrames, FSliderImages, FCenterFrames, FBackImages;
    fw::TRect FLTRect{-1, -1, -1, -1}, FRBRect{-1, -1, -1, -1}, FTrackRect{-1, -1, -1, -1},
        FSliderRect{-1, -1, -1, -1}, FPageUpRect{-1, -1, -1, -1}, FPageDownRect{-1, -1, -1, -1};
    bool FOverLT = false, FDownLT = false, FOverRB = false, FDownRB = false, FOverSlider = false,
         FDragSlider = false, FOverPageUp = false, FDownPageUp = false, FOverPageDown = false,
         FDownPageDown = false;
};

// The windowless skinned bar, drawn into the base's off-screen buffer.
class TVeskPngScrollBar
    : public TSkinScrollBarCore<TVeskGraphicControl, TVeskPadding, TVeskScrollkind, TVeskScrollBarRes> {
public:
    FW_CLASSNAME(TVeskPngScrollBar)
    explicit TVeskPngScrollBar(fw::TComponent* AOwner);
    ~TVeskPngScrollBar() override;

    bool GetBackUseThree() const { return FBackUseThree; }
    void SetBackUseThree(bool Value) { FBackUseThree = Value; }

    // Copies the resource's skin and prepares it (only the first preparation cuts the buttons,
    // back and centre; later ones keep them).
    void ApplyScrollRes() override;

protected:
    void ScrollRedraw() override { Redraw(); }
    void PrepareBack() override;
    void DrawBack(fw::TCanvas* Canvas) override;
    void Paint() override;
    void Resize() override;

private:
    bool FBackUseThree = false;
};
