#include "VeskHint.h"

#include <algorithm>

using namespace fw;

namespace {

// Makes the canvas select its font (and text colour and background mode) into its device
// context, so that a raw DrawTextExW call on that context draws with them.
HDC PreparedTextDC(TCanvas* Canvas) {
    Canvas->TextExtent(L"");
    return Canvas->GetHandle();
}

int DrawTextEx(TCanvas* Canvas, const std::wstring& Text, TRect& Rect, UINT Flags) {
    HDC dc = PreparedTextDC(Canvas);
    if (!dc) return 0;
    // DrawTextExW may write an ellipsis into the buffer with some flags: give it a padded copy.
    std::wstring buf = Text;
    buf.resize(Text.size() + 8, L'\0');
    return ::DrawTextExW(dc, buf.data(), static_cast<int>(Text.size()), Rect.Ptr(), Flags, nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TVeskHintForm

TVeskHintForm::TVeskHintForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {
    SetBorderStyle(bsNone);
    SetPosition(poDesigned);
    SetKeyPreview(true);
}

void TVeskHintForm::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    // The balloon belongs to the form that owns it, so it goes and comes with that window.
    TForm* ownerForm = dynamic_cast<TForm*>(GetOwner());
    if (!ownerForm) {
        if (auto* ctl = dynamic_cast<TControl*>(GetOwner())) ownerForm = GetParentForm(ctl);
    }
    if (ownerForm && ownerForm != this) Params.WndParent = ownerForm->GetHandle();
}

void TVeskHintForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE:
            // A click on the balloon must not take the activation from the window beneath.
            Message.Result = MA_NOACTIVATE;
            return;
        case WM_NCHITTEST:
            // The balloon opens right under the mouse cursor: were it hit by the mouse, the
            // control that showed it would be left at once and hide it again.
            Message.Result = HTTRANSPARENT;
            return;
        case WM_ERASEBKGND:
            // The layered picture is the whole window; there is nothing to erase.
            Message.Result = 1;
            return;
        default:
            TForm::WndProc(Message);
    }
}

// ---------------------------------------------------------------------------------------------
// TveskHint

TveskHint::TveskHint(TComponent* AOwner)
    : TComponent(AOwner),
      FImgForm(std::make_unique<TPngImage>()),
      FImgArrow(std::make_unique<TPngImage>()),
      FImgLogo(std::make_unique<TPngImage>()),
      FFormSplit(std::make_unique<TVeskPadding>()),
      FFontHint(std::make_unique<TFont>()),
      FFontTitle(std::make_unique<TFont>()),
      FBitmap(std::make_unique<TBitmap>()) {
    // A new body skin needs new pieces at the next show.
    FImgForm->OnChange = [this](TObject*) { DropBodyPieces(); };
    FPauseTimer = new TTimer(this);
    FPauseTimer->SetEnabled(false);
    FPauseTimer->SetInterval(static_cast<UINT>(std::max(FPauseTime, 1)));
    FPauseTimer->SetOnTimer([this](TObject* s) { PauseTimerTick(s); });
}

TveskHint::~TveskHint() {
    FImgForm->OnChange = nullptr;
}

void TveskHint::BeforeDestruction() {
    // The window outlives the hint (its owner frees it): without our timers it would stay on
    // screen half faded, so it goes away with us.
    if (FHintForm && FHintForm->HandleAllocated()) ShowWindow(FHintForm->GetHandle(), SW_HIDE);
    if (FHintForm && !FHintForm->GetOwner()) {
        TVeskHintForm* f = FHintForm;
        FHintForm = nullptr;
        f->Free();
    }
    TComponent::BeforeDestruction();
}

void TveskHint::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FHintForm) FHintForm = nullptr;
    if (AComponent == FPauseTimer) FPauseTimer = nullptr;
    if (AComponent == FFadeTimer) FFadeTimer = nullptr;
}

void TveskHint::Loaded() {
    TComponent::Loaded();
    for (auto& f : FArrowFrames) f.reset();
    if (!FImgArrow->GetEmpty() && FArrowStateCount >= 1 && FArrowStateCount <= 6) {
        for (int i = 0; i < FArrowStateCount; ++i) FArrowFrames[static_cast<size_t>(i)] = GetStatePng(FImgArrow.get(), FArrowStateCount, i);
    }
}

void TveskHint::SetImgForm(TPngImage* Value) {
    if (Value) {
        FImgForm->Assign(Value);
    } else {
        FImgForm->OnChange = nullptr;
        FImgForm = std::make_unique<TPngImage>();
        FImgForm->OnChange = [this](TObject*) { DropBodyPieces(); };
    }
    DropBodyPieces();
}

void TveskHint::SetImgArrow(TPngImage* Value) {
    if (Value)
        FImgArrow->Assign(Value);
    else
        FImgArrow = std::make_unique<TPngImage>();
}

void TveskHint::SetImgLogo(TPngImage* Value) {
    if (Value)
        FImgLogo->Assign(Value);
    else
        FImgLogo = std::make_unique<TPngImage>();
}

void TveskHint::SetFormSplit(TVeskPadding* Value) {
    if (Value) FFormSplit->Assign(Value);
}

void TveskHint::SetFontHint(TFont* Value) {
    if (Value) FFontHint->Assign(Value);
}

void TveskHint::SetFontTitle(TFont* Value) {
    if (Value) FFontTitle->Assign(Value);
}

TPoint TveskHint::GetCursorPoint() const {
    POINT p{0, 0};
    GetCursorPos(&p);
    return TPoint(p);
}

TRect TveskHint::GetWorkArea() const {
    if (Screen) return Screen->GetWorkAreaRect();
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return TRect(r);
}

int TveskHint::ArrowHeight() const {
    if (FImgArrow->GetEmpty()) return 0;
    // An arrow image shorter than its overlap with the body adds nothing.
    return std::max(0, FImgArrow->GetHeight() - FAlphaWidth - 1);
}

void TveskHint::ShowHintAt(TControl* Control) {
    if (FFadeTimer) {
        TTimer* t = FFadeTimer;
        FFadeTimer = nullptr;
        t->SetEnabled(false);
        t->Free();
    }
    if (FPauseTimer) FPauseTimer->SetEnabled(false);
    // Without a hint there is nothing to show: a balloon already on screen goes, or, no longer
    // timed, it would stay up for good.
    if (!Control || Control->GetHint().empty()) {
        HideHint();
        return;
    }

    FHintText = Control->GetHint();
    TPoint cursor = GetCursorPoint();
    LayoutHint(cursor.X, cursor.Y);

    if (!FHintForm) {
        FHintForm = TForm::CreateNew<TVeskHintForm>(GetOwner());
        FHintForm->FreeNotification(this);
        FHintForm->SetBorderStyle(bsNone);
        FHintForm->SetKeyPreview(true);
        HWND h = FHintForm->GetHandle();
        SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    }

    const int w = FBitmap->GetWidth(), h = FBitmap->GetHeight();
    const int x = cursor.X, y = cursor.Y;
    int left = x, top = y;
    switch (FArrowKind) {
        case AkLeftTop: left = x; top = y; break;
        case AkTopCenter: left = x - w / 2; top = y; break;
        case AkRightTop: left = x - w; top = y; break;
        case AkleftBottom: left = x; top = y - h; break;
        case AkBottomCenter: left = x - w / 2; top = y - h; break;
        case AkRightBottom: left = x - w; top = y - h; break;
        case AkNone: break;
    }
    FHintForm->SetBounds(left, top, w, h);

    FAlpha = 255;
    FFadeStep = 5;
    PushHint();
    if (FPauseTimer) {
        FPauseTimer->SetInterval(static_cast<UINT>(std::max(FPauseTime, 1)));
        FPauseTimer->SetEnabled(true);
    }
    ShowWindow(FHintForm->GetHandle(), SW_SHOWNOACTIVATE);
}

void TveskHint::LayoutHint(int X, int Y) {
    if (FHintText.empty()) return;
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->SetPixelFormat(pf32bit);
    FBitmap->GetCanvas()->GetFont()->Assign(FFontHint.get());

    TRect measure(0, 0, FDefaultWidth, 0);
    DrawTextEx(FBitmap->GetCanvas(), FHintText, measure, DT_CALCRECT | DT_WORDBREAK);
    const int tw = measure.Right, th = measure.Bottom;

    const TVeskPadding* s = FFormSplit.get();
    const int w = (FImgForm->GetWidth() - s->GetRight()) + s->GetLeft() + tw;
    const int bodyH = (FImgForm->GetHeight() - s->GetBottom()) + s->GetTop() + th;

    // Measured against the work area's edges (not its size), so a taskbar on the left or at the
    // top does not push the arrow to the wrong side.
    const TRect area = GetWorkArea();
    const bool above = area.Bottom <= Y + bodyH + FImgArrow->GetHeight();
    const bool tooRight = area.Right < X + w / 2;
    const bool tooLeft = area.Left > X - w / 2;
    if (!above)
        FArrowKind = tooLeft ? AkLeftTop : tooRight ? AkRightTop : AkTopCenter;
    else
        FArrowKind = tooLeft ? AkleftBottom : tooRight ? AkRightBottom : AkBottomCenter;

    const int a = ArrowHeight();
    const int h = bodyH + a;
    FTextRect = TRect(s->GetLeft(), s->GetTop(), s->GetLeft() + tw, s->GetTop() + th);

    // Odd skins (split lines beyond the picture) can make the sums negative: keep a real window.
    FBitmap->SetSize(std::max(w, 1), std::max(h, 1));
    ClearBitmap32(FBitmap.get());

    if (s->GetRight() > s->GetLeft() && s->GetTop() < s->GetBottom()) {
        const int split[4] = {s->GetLeft(), s->GetTop(), s->GetRight(), s->GetBottom()};
        if (FBodyCut && !std::equal(split, split + 4, FCutSplit)) DropBodyPieces();
        if (!FBodyCut) {
            FBodyCut = SplitPng9(FImgForm.get(), split[0], split[1], split[2], split[3], 255, clNone, FBodyPieces);
            std::copy(split, split + 4, FCutSplit);
        }
        DrawHint();
    }
}

void TveskHint::DrawHint() {
    if (!FBodyCut || !FBodyPieces[0]) return;
    const int w = FBitmap->GetWidth(), h = FBitmap->GetHeight();
    const int a = (FArrowKind == AkNone) ? 0 : ArrowHeight();

    TPngPtr body = BuildPng9(w, h - a, FBodyPieces);
    if (body) {
        TCanvas* bc = body->GetCanvas();
        bc->GetFont()->Assign(FFontHint.get());
        bc->GetBrush()->SetStyle(bsClear);
        TRect tr = FTextRect;
        DrawTextEx(bc, FHintText, tr, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);

        const int origin = FAlphaWidth + 4;
        int titleX = origin;
        if (!FImgLogo->GetEmpty()) {
            bc->Draw(origin, origin, FImgLogo.get());
            titleX = origin + FImgLogo->GetWidth() + 2;
        }
        if (!FHintTitle.empty()) {
            bc->GetFont()->Assign(FFontTitle.get());
            bc->GetBrush()->SetStyle(bsClear);
            bc->TextOut(titleX, origin, FHintTitle);
        }
        const bool onTop = FArrowKind >= AkLeftTop && FArrowKind <= AkRightTop;
        FBitmap->GetCanvas()->Draw(0, onTop ? a : 0, body.get());
    }

    if (FArrowKind == AkNone) return;
    TPngImage* frame = FArrowFrames[static_cast<size_t>(FArrowKind) - 1].get();
    if (!frame) return;
    const int fw = frame->GetWidth();
    int x = 0;
    switch (FArrowKind) {
        case AkLeftTop: case AkleftBottom: x = FFormSplit->GetLeft(); break;
        case AkTopCenter: case AkBottomCenter: x = (w - fw) / 2; break;
        default: x = w - (FImgForm->GetWidth() - FFormSplit->GetRight()) - fw; break;
    }
    const int y = FArrowKind <= AkRightTop ? 0 : h - a - FAlphaWidth - 1;
    FBitmap->GetCanvas()->Draw(x, y, frame);
}

void TveskHint::PushHint() {
    if (!FHintForm) return;
    HWND wnd = FHintForm->GetHandle();
    POINT dst{FHintForm->GetLeft(), FHintForm->GetTop()};
    SIZE size{FBitmap->GetWidth(), FBitmap->GetHeight()};
    if (size.cx <= 0 || size.cy <= 0) return;
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(FAlpha, 0, 255)), AC_SRC_ALPHA};
    UpdateLayeredWindow(wnd, nullptr, &dst, &size, FBitmap->GetCanvas()->GetHandle(), &src, 0, &blend, ULW_ALPHA);
}

void TveskHint::PauseTimerTick(TObject* Sender) {
    (void)Sender;
    if (FPauseTimer) FPauseTimer->SetEnabled(false);
    if (!FFadeTimer) {
        FFadeTimer = new TTimer(this);
        FFadeTimer->SetEnabled(false);
        FFadeTimer->SetInterval(static_cast<UINT>(std::max(FInterVal, 1)));
        FFadeTimer->SetOnTimer([this](TObject* s) { FadeTimerTick(s); });
    }
    FFadeTimer->SetEnabled(true);
}

void TveskHint::FadeTimerTick(TObject* Sender) {
    (void)Sender;
    FAlpha -= FFadeStep;
    PushHint();
    if (FAlpha < 100) {
        // Stopped, not freed: we are inside its own tick.
        if (FFadeTimer) FFadeTimer->SetEnabled(false);
        if (FHintForm) ShowWindow(FHintForm->GetHandle(), SW_HIDE);
    }
}

void TveskHint::HideHint() {
    if (!FHintForm) return;
    if (FPauseTimer) FPauseTimer->SetEnabled(false);
    if (FFadeTimer) FFadeTimer->SetEnabled(false);
    ShowWindow(FHintForm->GetHandle(), SW_HIDE);
}
