// The look of the skinned non-client area: caption buttons, caption, client and border looks, the
// composite layer skin, the caption-button hint and the nine-grid drawer.
#include "VeskNcPaintor.h"

#include <algorithm>

using namespace fw;

namespace {

// Owned picture properties copy what they are given; nullptr empties them.
void CopyPng(std::unique_ptr<TPngImage>& Dest, TPngImage* Source) {
    if (Source == Dest.get()) return;
    auto fresh = std::make_unique<TPngImage>();
    if (Source) fresh->Assign(Source);
    Dest = std::move(fresh);
}

bool PngUsable(const TPngImage* Png) { return Png && !Png->GetEmpty(); }

BOOL(WINAPI* LoadDwmIsCompositionEnabled())(BOOL*) {
    static HMODULE dwm = LoadLibraryW(L"DWMAPI.DLL");
    if (!dwm) return nullptr;
    return reinterpret_cast<BOOL(WINAPI*)(BOOL*)>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
}

bool RealCompositionEnabled() {
    OSVERSIONINFOW vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&vi) || vi.dwMajorVersion < 6) return false;
#pragma GCC diagnostic pop
    auto fn = LoadDwmIsCompositionEnabled();
    if (!fn) return false;
    BOOL on = FALSE;
    return SUCCEEDED(fn(&on)) && on;
}

void RealAllowNcPaint(HWND Wnd) {
    static HMODULE dwm = LoadLibraryW(L"DWMAPI.DLL");
    if (!dwm) return;
    using TSet = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    auto fn = reinterpret_cast<TSet>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (!fn) return;
    BOOL allow = TRUE;
    fn(Wnd, 4 /* DWMWA_ALLOW_NCPAINT */, &allow, sizeof(allow));
}

}  // namespace

TNcCompositionProc NcCompositionEnabledProc = RealCompositionEnabled;
TNcAllowNcPaintProc NcAllowNcPaintProc = RealAllowNcPaint;

bool NcCompositionEnabled() { return NcCompositionEnabledProc && NcCompositionEnabledProc(); }

int NcBtnHitCode(TVeskNcBtnEnum Id) {
    switch (Id) {
        case vnbLogo: return HTMENU;
        case vnbCustom1: return 102;
        case vnbSkin: return 101;
        case vnbMenu: return 100;
        case vnbMinimize: return HTMINBUTTON;
        case vnbMaximize: return HTMAXBUTTON;
        case vnbClose: return HTCLOSE;
        default: return -1;
    }
}

TVeskNcBtnEnum NcBtnOfHitCode(int Code) {
    for (int i = vnbLogo; i <= vnbClose; ++i)
        if (NcBtnHitCode(TVeskNcBtnEnum(i)) == Code) return TVeskNcBtnEnum(i);
    return vnbNULL;
}

bool IsNcBtnHitCode(int Code) { return NcBtnOfHitCode(Code) != vnbNULL; }

// ---------------------------------------------------------------------------------------------
// DrawPng9Grid

bool DrawPng9Grid(TCanvas* Canvas, const TRect& Rect, TPngImage* Png, TVeskPadding* Split) {
    const int w = Rect.Width(), h = Rect.Height();
    if (!Canvas || !PngUsable(Png) || w <= 0 || h <= 0) return false;
    if (!Split || Split->IsEmpty()) {
        Png->Draw(Canvas, Rect);
        return false;
    }
    const int PW = Png->GetWidth(), PH = Png->GetHeight();
    const int L = Split->GetLeft(), T = Split->GetTop(), R = Split->GetRight(), B = Split->GetBottom();
    TPng9Pieces pieces;
    if (!SplitPng9(Png, L, T, PW - R, PH - B, 255, clNone, pieces)) return false;
    // SplitPng9 gives row-major order: top-left, top, top-right, left, centre, right,
    // bottom-left, bottom, bottom-right.
    struct Cell {
        int piece;
        TRect src, dst;
        bool checkDst;
    };
    const Cell cells[9] = {
        {0, TRect(0, 0, L, T), TRect(0, 0, L, T), false},
        {3, TRect(0, T, L, PH - B), TRect(0, T, L, h - B), true},
        {6, TRect(0, PH - B, L, PH), TRect(0, h - B, L, h), true},
        {7, TRect(L, PH - B, PW - R, PH), TRect(L, h - B, w - R, h), true},
        {8, TRect(PW - R, PH - B, PW, PH), TRect(w - R, h - B, w, h), true},
        {5, TRect(PW - R, T, PW, PH - B), TRect(w - R, T, w, h - B), true},
        {2, TRect(PW - R, 0, PW, T), TRect(w - R, 0, w, T), true},
        {1, TRect(L, 0, PW - R, T), TRect(L, 0, w - R, T), true},
        {4, TRect(L, T, PW - R, PH - B), TRect(L, T, w - R, h - B), true},
    };
    auto ordered = [](const TRect& r) { return r.Right >= r.Left && r.Bottom >= r.Top; };
    for (const Cell& c : cells) {
        if (!ordered(c.src) || (c.checkDst && !ordered(c.dst))) continue;
        TPngImage* p = pieces[c.piece].get();
        if (!PngUsable(p)) continue;
        TRect d = c.dst;
        d.Offset(Rect.Left, Rect.Top);
        if (d.IsEmpty()) continue;
        p->Draw(Canvas, d);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Caption buttons

TVeskCaptionBtn::TVeskCaptionBtn() : FImgBtn(std::make_unique<TPngImage>()) {
    FStateImages.resize(size_t(FBtnStateCount));
}

TVeskCaptionBtn::~TVeskCaptionBtn() = default;

void TVeskCaptionBtn::SetImgBtn(TPngImage* Value) { CopyPng(FImgBtn, Value); }

void TVeskCaptionBtn::CutFrames(TPngImage* Strip, int Count, std::vector<TPngPtr>& Frames) {
    Frames.clear();
    if (!PngUsable(Strip) || Count < 1) return;
    for (int i = 0; i < Count; ++i) Frames.push_back(GetStatePng(Strip, Count, i));
}

void TVeskCaptionBtn::SplitImages() { CutFrames(FImgBtn.get(), FBtnStateCount, FStateImages); }

TPngImage* TVeskCaptionBtn::FrameOf(std::vector<TPngPtr>& Frames, int Count, int Index) {
    if (Frames.empty()) return nullptr;
    if (Index < 0 || Index >= Count) Index = 0;
    // The state count may have changed since the strip was cut: never index past the frames.
    if (Index >= int(Frames.size())) return nullptr;
    return Frames[size_t(Index)].get();
}

TPngImage* TVeskCaptionBtn::GetStateImage(int Index) { return FrameOf(FStateImages, FBtnStateCount, Index); }

void TVeskCaptionBtn::Draw(TCanvas* Canvas, const TRect& Rect, int State) {
    TPngImage* img = GetStateImage(State);
    if (img && Canvas) img->Draw(Canvas, Rect);
}

void TVeskCaptionBtn::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TVeskCaptionBtn*>(Source);
    if (!s) return TPersistent::Assign(Source);
    SetImgBtn(s->FImgBtn.get());
    FBtnStateCount = s->FBtnStateCount;
    FHint = s->FHint;
}

TVeskMaxBtn::TVeskMaxBtn() : FImgRestore(std::make_unique<TPngImage>()) {
    FRestoreImages.resize(size_t(FBtnStateCount));
}

TVeskMaxBtn::~TVeskMaxBtn() = default;

void TVeskMaxBtn::SetImgRestore(TPngImage* Value) { CopyPng(FImgRestore, Value); }

void TVeskMaxBtn::SplitImages() {
    TVeskCaptionBtn::SplitImages();
    CutFrames(FImgRestore.get(), FBtnStateCount, FRestoreImages);
}

TPngImage* TVeskMaxBtn::GetStateImage(int Index) {
    if (Index >= 10) return FrameOf(FRestoreImages, FBtnStateCount, Index - 10);
    return TVeskCaptionBtn::GetStateImage(Index);
}

void TVeskMaxBtn::Assign(TPersistent* Source) {
    TVeskCaptionBtn::Assign(Source);
    if (auto* s = dynamic_cast<TVeskMaxBtn*>(Source)) SetImgRestore(s->FImgRestore.get());
}

TVeskFormLogo::TVeskFormLogo() = default;

SIZE TVeskFormLogo::LogoSize() const {
    if (!PngUsable(FImgBtn.get()) || FBtnStateCount == 0 || FStateImages.empty()) return SIZE{0, 0};
    const TPngImage* f = FStateImages[0].get();
    if (!PngUsable(f)) return SIZE{0, 0};
    return SIZE{f->GetWidth(), f->GetHeight()};
}

void TVeskFormLogo::Assign(TPersistent* Source) {
    TVeskCaptionBtn::Assign(Source);
    if (auto* s = dynamic_cast<TVeskFormLogo*>(Source)) {
        FLeft = s->FLeft;
        FTop = s->FTop;
    }
}

// ---------------------------------------------------------------------------------------------
// Looks

void TVeskWndFixSize::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TVeskWndFixSize*>(Source);
    if (!s) return TPersistent::Assign(Source);
    FMinWidth = s->FMinWidth;
    FMinHeight = s->FMinHeight;
    FMaxWidth = s->FMaxWidth;
    FMaxHeight = s->FMaxHeight;
}

TVeskFormCaption::TVeskFormCaption()
    : FImgBkgr(std::make_unique<TPngImage>()),
      FFont(std::make_unique<TFont>()),
      FImgSplit(std::make_unique<TVeskPadding>()),
      FHeight(GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME)) {}

TVeskFormCaption::~TVeskFormCaption() = default;

void TVeskFormCaption::SetColorBkgr(TColor Value) {
    FColorBkgr = Value;
    FColorImage = CreateColorPng(10, 10, FColorBkgr, 255);
}

void TVeskFormCaption::SetImgBkgr(TPngImage* Value) { CopyPng(FImgBkgr, Value); }

void TVeskFormCaption::Prepare() {
    if (PngUsable(FImgBkgr.get())) {
        TPngPtr frame = GetStatePng(FImgBkgr.get(), 1, 0);
        if (frame) FImgBkgr = std::move(frame);
    } else {
        FColorImage = CreateColorPng(10, 10, FColorBkgr, 255);
    }
}

void TVeskFormCaption::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TVeskFormCaption*>(Source);
    if (!s) return TPersistent::Assign(Source);
    SetImgBkgr(s->FImgBkgr.get());
    FFont->Assign(s->FFont.get());
    FTextTopFix = s->FTextTopFix;
    FTextLeftFix = s->FTextLeftFix;
    FTextAlign = s->FTextAlign;
    FText = s->FText;
    FImgSplit->Assign(s->FImgSplit.get());
    FHeight = s->FHeight;
    SetColorBkgr(s->FColorBkgr);
}

TVeskFormClient::TVeskFormClient()
    : FImgBkgr(std::make_unique<TPngImage>()), FImgSplit(std::make_unique<TVeskPadding>()) {}

TVeskFormClient::~TVeskFormClient() = default;

void TVeskFormClient::SetImgBkgr(TPngImage* Value) { CopyPng(FImgBkgr, Value); }

void TVeskFormClient::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TVeskFormClient*>(Source);
    if (!s) return TPersistent::Assign(Source);
    FColorBkgr = s->FColorBkgr;
    SetImgBkgr(s->FImgBkgr.get());
    FImgSplit->Assign(s->FImgSplit.get());
}

TVeskFormBorder::TVeskFormBorder() : FImgBkgr(std::make_unique<TPngImage>()) {
    const int m = NcCompositionEnabled() ? 0 : GetSystemMetrics(SM_CYFIXEDFRAME);
    FLeft = FTop = FRight = FBottom = m;
}

TVeskFormBorder::~TVeskFormBorder() = default;

void TVeskFormBorder::SetColorBkgr(TColor Value) {
    FColorBkgr = Value;
    Prepare();
}

void TVeskFormBorder::SetImgBkgr(TPngImage* Value) { CopyPng(FImgBkgr, Value); }

TRect TVeskFormBorder::Margins() const {
    if (FShowNotDWM && NcCompositionEnabled()) return TRect(0, 0, 0, 0);
    return TRect(FLeft, FTop, FRight, FBottom);
}

void TVeskFormBorder::Prepare() {
    for (auto& p : FPieces) p.reset();
    if (!PngUsable(FImgBkgr.get())) {
        for (auto& p : FPieces) p = CreateColorPng(10, 10, FColorBkgr, 255);
        return;
    }
    TPng9Pieces cut;
    if (!SplitPng9(FImgBkgr.get(), FLeft, FTop, FImgBkgr->GetWidth() - FRight, FImgBkgr->GetHeight() - FBottom, 255,
                   clNone, cut))
        return;
    // Row-major pieces into the border's own order.
    FPieces[bpTopLeft] = std::move(cut[0]);
    FPieces[bpTop] = std::move(cut[1]);
    FPieces[bpTopRight] = std::move(cut[2]);
    FPieces[bpLeft] = std::move(cut[3]);
    FPieces[bpCenter] = std::move(cut[4]);
    FPieces[bpRight] = std::move(cut[5]);
    FPieces[bpBottomLeft] = std::move(cut[6]);
    FPieces[bpBottom] = std::move(cut[7]);
    FPieces[bpBottomRight] = std::move(cut[8]);
}

void TVeskFormBorder::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TVeskFormBorder*>(Source);
    if (!s) return TPersistent::Assign(Source);
    SetImgBkgr(s->FImgBkgr.get());
    FLeft = s->FLeft;
    FTop = s->FTop;
    FRight = s->FRight;
    FBottom = s->FBottom;
    FShowNotDWM = s->FShowNotDWM;
    SetColorBkgr(s->FColorBkgr);
}

TVeskFormSkin::TVeskFormSkin(TVeskNcResource* AOwner)
    : FOwner(AOwner),
      FShadow(std::make_unique<TPngImage>()),
      FSkin(std::make_unique<TPicture>()),
      FShadowSplit(std::make_unique<TVeskPadding>()),
      FSkinSplit(std::make_unique<TVeskPadding>()) {}

TVeskFormSkin::~TVeskFormSkin() = default;

void TVeskFormSkin::SetShadow(TPngImage* Value) { CopyPng(FShadow, Value); }

void TVeskFormSkin::Prepare() {
    TGraphic* skin = FSkin->GetGraphic();
    if (!PngUsable(FShadow.get()) || !skin) return;
    const int w = std::max(FShadow->GetWidth(), FSkin->GetWidth());
    const int h = std::max(FShadow->GetHeight(), FSkin->GetHeight());
    if (!FComposite) {
        FComposite = std::make_unique<TPngImage>();
        FComposite->CreateBlank(png::COLOR_RGB, 8, w, h);
        TCanvas* c = FComposite->GetCanvas();
        c->Draw(0, 0, skin);
        c->StretchDraw(TRect(0, 0, w, h), FShadow.get());
    }
    const int ch = FOwner ? FOwner->GetFormCaption()->GetHeight() : 0;
    FCaptionPart.reset();
    FClientPart.reset();
    FCaptionPart = CropPng(FComposite.get(), TRect(0, 0, FComposite->GetWidth(), ch));
    FClientPart = CropPng(FComposite.get(), TRect(0, ch, FComposite->GetWidth(), FComposite->GetHeight()));
}

// ---------------------------------------------------------------------------------------------
// Hint window

namespace {
constexpr UINT_PTR kShowTimer = 0;
constexpr UINT_PTR kHideTimer = 1;
}  // namespace

TVeskNcHintWnd::TVeskNcHintWnd(TComponent* AOwner) : THintWindow(AOwner) { SetColor(TColor(0xE1FFFF)); }

TVeskNcHintWnd::~TVeskNcHintWnd() {
    if (HandleAllocated()) {
        KillTimer(FHandle, kShowTimer);
        KillTimer(FHandle, kHideTimer);
    }
}

bool TVeskNcHintWnd::IsShowing() const { return FHandle && IsWindowVisible(FHandle); }

void TVeskNcHintWnd::ScheduleHint(const std::wstring& Text) {
    HWND h = GetHandle();
    KillTimer(h, kShowTimer);
    if (IsShowing()) HideHint();
    FHintRect = CalcHintRect(100, Text, nullptr);
    POINT cur{0, 0};
    GetCursorPos(&cur);
    FHintRect.Offset(cur.x, cur.y + GetSystemMetrics(SM_CYCURSOR) / 2);
    FHintText = Text;
    SetTimer(h, kShowTimer, 2000, nullptr);
}

void TVeskNcHintWnd::HideHint() {
    if (FHandle) {
        KillTimer(FHandle, kShowTimer);
        KillTimer(FHandle, kHideTimer);
        ShowWindow(FHandle, SW_HIDE);
    }
    SetVisible(false);
}

void TVeskNcHintWnd::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        if (Message.WParam == kShowTimer) {
            // One shot: the hint shows once per scheduling.
            KillTimer(FHandle, kShowTimer);
            SetTimer(FHandle, kHideTimer, 1500, nullptr);
            ActivateHint(FHintRect, FHintText);
        } else if (Message.WParam == kHideTimer) {
            HideHint();
        }
        Message.Result = 0;
        return;
    }
    THintWindow::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Resource

TVeskNcResource::TVeskNcResource(TComponent* AOwner) : TComponent(AOwner) {
    for (int i = vnbLogo; i <= vnbClose; ++i) {
        std::unique_ptr<TVeskCaptionBtn> b;
        if (i == vnbLogo)
            b = std::make_unique<TVeskFormLogo>();
        else if (i == vnbMaximize)
            b = std::make_unique<TVeskMaxBtn>();
        else
            b = std::make_unique<TVeskCaptionBtn>();
        b->SetId(TVeskNcBtnEnum(i));
        FBtns[size_t(i)] = std::move(b);
    }
    FFormCaption = std::make_unique<TVeskFormCaption>();
    FFormClient = std::make_unique<TVeskFormClient>();
    FFormBorder = std::make_unique<TVeskFormBorder>();
    FLayerSkin = std::make_unique<TVeskFormSkin>(this);
}

TVeskNcResource::~TVeskNcResource() = default;

TVeskCaptionBtn* TVeskNcResource::GetBtn(TVeskNcBtnEnum Id) const {
    if (Id < vnbLogo || Id > vnbClose) return nullptr;
    return FBtns[size_t(Id)].get();
}

void TVeskNcResource::Loaded() {
    TComponent::Loaded();
    for (int i = vnbLogo; i <= vnbClose; ++i) FBtns[size_t(i)]->SplitImages();
    FFormBorder->Prepare();
    FFormCaption->Prepare();
    FLayerSkin->Prepare();
}

void TVeskNcResource::DrawCaptionBack(TCanvas* Canvas, const TRect& Rect) {
    if (FLayerSkin->GetActive() && PngUsable(FLayerSkin->GetComposite())) {
        TPngImage* part = FLayerSkin->GetCaptionPart();
        if (PngUsable(part)) part->Draw(Canvas, Rect);
        return;
    }
    if (PngUsable(FFormCaption->GetImgBkgr())) {
        DrawPng9Grid(Canvas, Rect, FFormCaption->GetImgBkgr(), FFormCaption->GetImgSplit());
    } else if (PngUsable(FFormCaption->GetColorImage())) {
        FFormCaption->GetColorImage()->Draw(Canvas, Rect);
    }
}

void TVeskNcResource::DrawClientBack(TCanvas* Canvas, const TRect& Rect) {
    if (FLayerSkin->GetActive() && PngUsable(FLayerSkin->GetComposite())) {
        TPngImage* part = FLayerSkin->GetClientPart();
        if (PngUsable(part)) part->Draw(Canvas, Rect);
        return;
    }
    if (PngUsable(FFormClient->GetImgBkgr()))
        DrawPng9Grid(Canvas, Rect, FFormClient->GetImgBkgr(), FFormClient->GetImgSplit());
}

void TVeskNcResource::ShowBtnHint(const std::wstring& Text) {
    if (!FShowHint) return;
    if (!FHintWnd) {
        FHintWnd = new TVeskNcHintWnd(this);
        FHintWnd->FreeNotification(this);
    }
    if (FHintWnd->IsShowing()) FHintWnd->HideHint();
    FHintWnd->ScheduleHint(Text);
}

void TVeskNcResource::HideBtnHint() {
    if (FHintWnd) FHintWnd->HideHint();
}

void TVeskNcResource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FHintWnd) FHintWnd = nullptr;
}
