// The painters: hooking the form's window procedure, the non-client messages (size, hit test,
// mouse, size limits) and the composition of the non-client area.
#include "VeskNcPaintor.h"

#include <algorithm>
#include <cmath>

using namespace fw;

namespace {

constexpr int kBand = 10;  // how far the resize bands reach into the client area

bool PngUsable(const TPngImage* Png) { return Png && !Png->GetEmpty(); }

int RoundHalf(long double x) { return static_cast<int>(RoundHalfEven(x)); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Lifecycle

TVeskCoustomPaintor::TVeskCoustomPaintor(TComponent* AOwner)
    : TComponent(AOwner), FFrameMetric(GetSystemMetrics(SM_CXFRAME)), FFixSize(std::make_unique<TVeskWndFixSize>()) {}

TVeskCoustomPaintor::~TVeskCoustomPaintor() {
    *FAlive = false;
    if (FResource) FResource->RemoveFreeNotification(this);
    Attach(nullptr);
}

void TVeskCoustomPaintor::Loaded() {
    TComponent::Loaded();
    HookWindow(hrLoaded);
}

void TVeskCoustomPaintor::Unhook() {
    if (FForm && FSavedWndProc) FForm->WindowProc = FSavedWndProc;
    FSavedWndProc = nullptr;
}

void TVeskCoustomPaintor::Attach(TForm* Form) {
    if (Form == FForm) return;
    if (FForm) {
        Unhook();
        if (FForm != GetOwner()) FForm->RemoveFreeNotification(this);
    }
    FSavedWndProc = nullptr;
    FForm = Form;
    if (!Form) return;
    // A form that is not our owner may die first: we must hear of it.
    if (Form != GetOwner()) Form->FreeNotification(this);
    Form->SetDoubleBuffered(true);
    if (Form->IsLoading()) return;  // Loaded hooks it
    HookWindow(hrAttach);
}

void TVeskCoustomPaintor::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FResource) {
        // The shared look went away: the form gets its own procedure back instead of painting
        // from freed pictures.
        FResource = nullptr;
        HookWindow(hrResource);
    }
    if (AComponent == FForm) {
        // The window is going: nothing of it may be touched any more.
        FForm = nullptr;
        FSavedWndProc = nullptr;
    }
}

void TVeskCoustomPaintor::SetResizeable(bool Value) {
    if (FResizeable == Value) return;
    FResizeable = Value;
    if (GetComponentState() == 0) HookWindow(hrResizeable);
}

void TVeskCoustomPaintor::SetResource(TVeskNcResource* Value) {
    if (FResource == Value) return;
    if (FResource) FResource->RemoveFreeNotification(this);
    FResource = Value;
    if (FResource) FResource->FreeNotification(this);
    if (GetComponentState() == 0) HookWindow(hrResource);
}

void TVeskCoustomPaintor::SetShowBtns(TVeskShowNcBtns Value) {
    if (FShowBtns == Value) return;
    FShowBtns = Value;
    if (FForm && FForm->HandleAllocated()) FForm->Perform(WM_NCPAINT, 1, 0);
}

TRect TVeskCoustomPaintor::GetBtnRect(TVeskNcBtnEnum BtnId) const {
    if (BtnId > vnbClose) return TRect();
    return FRects[size_t(BtnId)];
}

void TVeskCoustomPaintor::HookWindow(TVeskHookReason Reason) {
    if (!FForm) return;
    if (!FResource) {
        Unhook();
        return;
    }
    HWND h = FForm->GetHandle();
    if (!FSavedWndProc) {
        FSavedWndProc = FForm->WindowProc;
        std::shared_ptr<bool> alive = FAlive;
        TVeskCoustomPaintor* self = this;
        FForm->WindowProc = [self, alive](TMessage& M) {
            if (*alive) self->WndProc(M);
        };
        if (FShowClient) FForm->SetColor(FResource->GetFormClient()->GetColorBkgr());
    }
    const bool composition = NcCompositionEnabled();
    if (composition && NcAllowNcPaintProc) NcAllowNcPaintProc(h);
    FSavedStyle = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    // A form with a system frame was sized for it (a fixed or sizing border of several pixels
    // and the system caption), and our frame replaces it. Growing it by the caption difference
    // alone leaves the client area larger than designed by the difference of the borders, an
    // unplanned strip along the right and bottom. So such a window in its normal state keeps its
    // client size and gets exactly our frame around it once the new frame is in place. A
    // frameless form has no system frame to trade: it only grows by the caption bar.
    const bool framed = (FSavedStyle & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0;
    const bool keepClient = Reason < hrResizeable && framed && !IsIconic(h) && !IsZoomed(h);
    RECT client{};
    ::GetClientRect(h, &client);
    if (Reason < hrResizeable && FShowCaption && !keepClient) {
        int grow = FResource->GetFormCaption()->GetHeight();
        if (FSavedStyle & WS_CAPTION) grow -= GetSystemMetrics(SM_CYCAPTION);
        FForm->SetHeight(FForm->GetHeight() + grow);
    }
    DWORD style = composition ? (FSavedStyle | 0xC60000) : ((FSavedStyle | 0x60000) & ~DWORD(0xC00000));
    SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(style));
    style = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    style = FResizeable ? (style | WS_MAXIMIZEBOX) : (style & ~DWORD(WS_MAXIMIZEBOX));
    SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(style));
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    if (keepClient) {
        // The frame change ran our WM_NCCALCSIZE: the margins are those of the new frame.
        const int w = client.right - client.left + FMargins.Left + FMargins.Right;
        const int ht = client.bottom - client.top + CaptionHeight() + FMargins.Top + FMargins.Bottom;
        FForm->SetBounds(FForm->GetLeft(), FForm->GetTop(), w, ht);
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TVeskCoustomPaintor::CaptionHeight() const {
    return (FShowCaption && FResource) ? FResource->GetFormCaption()->GetHeight() : 0;
}

SIZE TVeskCoustomPaintor::FormSize() const {
    if (FForm && FForm->HandleAllocated()) {
        RECT r{};
        GetWindowRect(FForm->GetHandle(), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    return FForm ? SIZE{FForm->GetWidth(), FForm->GetHeight()} : SIZE{0, 0};
}

bool TVeskCoustomPaintor::FormMaximized() const { return FForm && FForm->GetWindowState() == wsMaximized; }

TRect TVeskCoustomPaintor::ClientRectInWindow() const {
    HWND h = FForm->GetHandle();
    RECT cr{}, wr{};
    ::GetClientRect(h, &cr);
    GetWindowRect(h, &wr);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    TRect r(cr);
    r.Offset(origin.x - wr.left, origin.y - wr.top);
    return r;
}

int TVeskCoustomPaintor::NcHitTest(const TPoint& ScreenPos) {
    if (!FForm || !FForm->HandleAllocated()) return HTNOWHERE;
    HWND h = FForm->GetHandle();
    POINT sp = ScreenPos;
    ScreenToClient(h, &sp);
    TPoint p(sp.x + FMargins.Left, sp.y + CaptionHeight() + FMargins.Top);
    TRect cr = ClientRectInWindow();
    TRect inner = cr;
    inner.Inflate(-kBand, -kBand);
    if (inner.Contains(p)) return HTCLIENT;
    int result = HTNOWHERE;
    if (FRects[0].Contains(p)) {
        result = HTCAPTION;
        for (int i = vnbLogo; i <= vnbClose; ++i) {
            // A button that lost its frames keeps its last rectangle but shows nothing there, so
            // it must not answer for that spot.
            const auto id = TVeskNcBtnEnum(i);
            if (FShowBtns.Contains(id) && FRects[size_t(i)].Contains(p) && FResource &&
                FResource->GetBtn(id)->GetStateImage(0)) {
                result = NcBtnHitCode(TVeskNcBtnEnum(i));
                break;
            }
        }
    }
    // The rest of the client area belongs to the form's controls: only the resize bands, which
    // reach 10 pixels into it, may claim a point there.
    const int unclaimed = cr.Contains(p) ? HTCLIENT : result;
    if (!FResizeable || FormMaximized()) return unclaimed;
    const TRect bm = FResource ? FResource->GetFormBorder()->Margins() : TRect();
    const int bt = bm.Top, bb = bm.Bottom;
    const SIZE ws = FormSize();
    const int W = ws.cx, H = ws.cy;
    const struct {
        TRect r;
        int code;
    } bands[8] = {
        {TRect(cr.Left + kBand, 0, cr.Right - kBand, bt + 5), HTTOP},
        {TRect(0, 0, cr.Left + kBand, bt + kBand), HTTOPLEFT},
        {TRect(0, bt + kBand, cr.Left + kBand, H - bb - kBand), HTLEFT},
        {TRect(0, H - bb - kBand, cr.Left + kBand, H), HTBOTTOMLEFT},
        {TRect(cr.Left + kBand, H - bb - kBand, cr.Right - kBand, H), HTBOTTOM},
        {TRect(cr.Right - kBand, H - bb - kBand, W, H), HTBOTTOMRIGHT},
        {TRect(cr.Right - kBand, bt + kBand, W, H - bb - kBand), HTRIGHT},
        {TRect(cr.Right - kBand, 0, W, bt + kBand), HTTOPRIGHT},
    };
    for (const auto& b : bands)
        if (b.r.Contains(p)) return b.code;
    return unclaimed;
}

// ---------------------------------------------------------------------------------------------
// Messages

void TVeskCoustomPaintor::HideHint() {
    if (FResource) FResource->HideBtnHint();
}

void TVeskCoustomPaintor::RepaintNc() {
    if (FForm && FForm->HandleAllocated()) SendMessageW(FForm->GetHandle(), WM_NCPAINT, 1, 0);
}

void TVeskCoustomPaintor::WndProc(TMessage& Message) {
    // Messages nest (the handlers below send WM_NCPAINT and system commands): each level keeps
    // its own decision about default processing.
    const bool outerDefault = FDefaultProcessing;
    std::shared_ptr<bool> alive = FAlive;
    FDefaultProcessing = true;
    switch (Message.Msg) {
        case WM_NCCALCSIZE: WMNcCalcSize(Message); break;
        case WM_NCHITTEST: WMNcHitTest(Message); break;
        case WM_NCPAINT: FDefaultProcessing = NcCompositionEnabled(); break;
        case WM_NCACTIVATE: WMNcActivate(Message); break;
        case WM_ERASEBKGND: PaintClient(Message); break;
        case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
        case WM_NCMOUSEMOVE: WMNcMouseMove(Message); break;
        case WM_NCLBUTTONDOWN: WMNcLButtonDown(Message); break;
        case WM_NCLBUTTONUP: WMNcLButtonUp(Message); break;
        case WM_NCMOUSELEAVE: WMNcMouseLeave(Message); break;
        case 0xAE:
        case 0xAF:
            // The system's own caption drawing: neither the form nor anything after it runs.
            FDefaultProcessing = outerDefault;
            return;
        default: break;
    }
    if (!*alive) return;
    if (FDefaultProcessing) {
        TWndMethodProc saved = FSavedWndProc;
        if (saved) saved(Message);
        // The form (and this painter with it) may be gone after its own processing.
        if (!*alive) return;
    }
    AfterDefault(Message);
    if (*alive) FDefaultProcessing = outerDefault;
}

// What follows the form's own processing (or its absence) of a message.
void TVeskCoustomPaintor::AfterDefault(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SIZE: RepaintNc(); break;
        case WM_NCPAINT: PaintNc(Message); break;
        case CM_RECREATEWND: HookWindow(hrRecreate); break;
        default: break;
    }
}

void TVeskCoustomPaintor::WMNcHitTest(TMessage& Message) {
    Message.Result = NcHitTest(TPoint(Message.XPos(), Message.YPos()));
    FDefaultProcessing = false;
}

void TVeskCoustomPaintor::WMNcActivate(TMessage& Message) {
    // The caption looks the same active or not: nothing to repaint.
    Message.Result = 1;
    Message.Msg = 0;
    FDefaultProcessing = false;
}

void TVeskCoustomPaintor::WMNcMouseLeave(TMessage& Message) {
    (void)Message;
    std::shared_ptr<bool> alive = FAlive;
    FHoverCode = 0;
    FPressedCode = 0;
    HideHint();
    RepaintNc();
    if (*alive) FDefaultProcessing = true;
}

void TVeskCoustomPaintor::WMNcCalcSize(TMessage& Message) {
    // Only the variant with the rectangles to adjust is ours; the other goes to the form.
    if (Message.WParam == 0) return;
    FDefaultProcessing = false;
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
    if (!params) return;
    RECT& r = params->rgrc[0];
    r.top += CaptionHeight();
    TRect m(0, 0, 0, 0);
    const TWindowState state = FForm ? FForm->GetWindowState() : wsNormal;
    const bool composition = NcCompositionEnabled();
    if (state == wsMaximized) {
        if (composition) m = TRect(FFrameMetric, FFrameMetric, FFrameMetric, FFrameMetric);
    } else if (state == wsMinimized) {
        // nothing
    } else if (FShowBorder && FResource) {
        m = FResource->GetFormBorder()->Margins();
    }
    r.left += m.Left;
    r.top += m.Top;
    r.bottom -= m.Bottom;
    r.right -= m.Right;
    // A window smaller than its frame keeps an empty, not an inverted, client area.
    if (r.bottom < r.top) r.bottom = r.top;
    if (r.right < r.left) r.right = r.left;
    FMargins = m;
    Message.Result = 0;
}

void TVeskCoustomPaintor::WMGetMinMaxInfo(TMessage& Message) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    if (!mmi) return;
    if (FFixSize->GetMinWidth() != -1) mmi->ptMinTrackSize.x = FFixSize->GetMinWidth();
    if (FFixSize->GetMinHeight() != -1) mmi->ptMinTrackSize.y = FFixSize->GetMinHeight();
    TRect area;
    if (Screen) {
        area = Screen->GetWorkAreaRect();
    } else {
        RECT r{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        area = r;
    }
    mmi->ptMaxTrackSize.x = FFixSize->GetMaxWidth() != -1 ? FFixSize->GetMaxWidth() : area.Width();
    mmi->ptMaxTrackSize.y = FFixSize->GetMaxHeight() != -1 ? FFixSize->GetMaxHeight() : area.Height();
    mmi->ptMaxPosition.x = 0;
    mmi->ptMaxPosition.y = 0;
}

void TVeskCoustomPaintor::WMNcMouseMove(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    const int code = NcHitTest(TPoint(Message.XPos(), Message.YPos()));
    Message.WParam = static_cast<WPARAM>(code);
    // Hover and hint are cleared on WM_NCMOUSELEAVE, which only comes when asked for: not every
    // system's default processing asks, and without it a button stays lit (and its hint pops
    // up) after the pointer went into the client area or away from the window.
    if (FForm && FForm->HandleAllocated()) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
        tme.hwndTrack = FForm->GetHandle();
        TrackMouseEvent(&tme);
    }
    if (code == FHoverCode) return;
    HideHint();
    FHoverCode = code;
    RepaintNc();
    if (!*alive || !FResource) return;
    TVeskNcBtnEnum id = NcBtnOfHitCode(code);
    if (id != vnbNULL) {
        TVeskCaptionBtn* b = FResource->GetBtn(id);
        if (b && !b->GetHint().empty()) FResource->ShowBtnHint(b->GetHint());
    }
}

void TVeskCoustomPaintor::WMNcLButtonDown(TMessage& Message) {
    HideHint();
    const int code = NcHitTest(TPoint(Message.XPos(), Message.YPos()));
    Message.WParam = static_cast<WPARAM>(code);
    FPressedCode = code;
    const bool button = IsNcBtnHitCode(code);
    const bool frozenCaption = code == HTCAPTION && FormMaximized() && !NcCompositionEnabled();
    if (!button && !frozenCaption) return;
    std::shared_ptr<bool> alive = FAlive;
    RepaintNc();
    if (!*alive) return;
    // A button press never reaches the form; a maximized form's caption press reaches it as
    // message 0, so no move starts.
    Message.Msg = 0;
    Message.Result = 1;
    FDefaultProcessing = !button;
}

void TVeskCoustomPaintor::WMNcLButtonUp(TMessage& Message) {
    HideHint();
    const int code = NcHitTest(TPoint(Message.XPos(), Message.YPos()));
    Message.WParam = static_cast<WPARAM>(code);
    const bool button = IsNcBtnHitCode(code);
    const int pressed = FPressedCode;
    FPressedCode = 0;
    if (!button) return;
    FDefaultProcessing = false;
    if (code != pressed || !FForm) return;
    HWND h = FForm->GetHandle();
    std::shared_ptr<bool> alive = FAlive;
    switch (code) {
        case HTMINBUTTON:
            SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            break;
        case HTMAXBUTTON:
            SendMessageW(h, WM_SYSCOMMAND, FormMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
            break;
        case HTCLOSE:
            SendMessageW(h, WM_CLOSE, 0, 0);
            break;
        default: {
            RepaintNc();
            if (!*alive) return;
            TOnNcBtnClick ev = OnButtonClick;
            if (ev) ev(this, NcBtnOfHitCode(code));
            break;
        }
    }
    if (*alive) FDefaultProcessing = false;
}

// ---------------------------------------------------------------------------------------------
// Composition

void TVeskCoustomPaintor::PaintNc(TMessage& Message) {
    (void)Message;
    if (!FForm || !FResource) return;
    const SIZE ws = FormSize();
    FRects[0] = TRect(FMargins.Left, FMargins.Top, ws.cx - FMargins.Right, FMargins.Top + CaptionHeight());
    if (!FNcBitmap) {
        FNcBitmap = std::make_unique<TBitmap>();
        FNcBitmap->SetPixelFormat(pf32bit);
    }
    if (FNcBitmap->GetWidth() != ws.cx || FNcBitmap->GetHeight() != ws.cy) FNcBitmap->SetSize(ws.cx, ws.cy);
    if (ws.cx <= 0 || ws.cy <= 0) return;
    TCanvas* c = FNcBitmap->GetCanvas();
    if (FShowCaption) FResource->DrawCaptionBack(c, FRects[0]);
    if (FShowCaption) {
        // OnAfterDrawBtn may free the painter (or take its resource away).
        std::shared_ptr<bool> alive = FAlive;
        DrawCaptionButtons(c);
        if (!*alive || !FForm || !FResource) return;
    }
    if (FShowBorder && !FormMaximized()) DrawBorder(c);
    if (FShowCaption) DrawCaptionText(c);
}

void TVeskCoustomPaintor::DrawCaptionButtons(TCanvas* Canvas) {
    const TRect r0 = FRects[0];
    int x = r0.Right - FResource->GetBtnRightFix();
    for (int i = vnbClose; i >= vnbCustom1; --i) {
        const auto id = TVeskNcBtnEnum(i);
        TVeskCaptionBtn* b = FResource->GetBtn(id);
        if (!FShowBtns.Contains(id)) continue;
        TPngImage* frame = b->GetStateImage(0);
        if (!frame) continue;
        const int hb = b->GetImgBtn()->GetHeight();
        TRect r;
        r.Top = RoundHalf((r0.Bottom - r0.Top - hb) / 2.0L) + FResource->GetBtnTopFix() + r0.Top;
        r.Bottom = r.Top + hb;
        r.Right = x;
        r.Left = r.Right - frame->GetWidth();
        FRects[size_t(i)] = r;
        x = r.Left;
    }
    TVeskFormLogo* logo = FResource->GetFormLogo();
    const SIZE ls = logo->LogoSize();
    TRect lr;
    lr.Left = logo->GetLeft() + r0.Left;
    lr.Top = RoundHalf((r0.Bottom - r0.Top - ls.cy) / 2.0L) + logo->GetTop() + r0.Top;
    lr.Right = lr.Left + ls.cx;
    lr.Bottom = lr.Top + ls.cy;
    FRects[vnbLogo] = lr;

    const bool leftDown = (GetKeyState(VK_LBUTTON) & 0x80) != 0;
    const bool maximized = FormMaximized();
    std::shared_ptr<bool> alive = FAlive;
    for (int i = vnbLogo; i <= vnbClose; ++i) {
        const auto id = TVeskNcBtnEnum(i);
        if (!FShowBtns.Contains(id)) continue;
        if (!FResource) return;
        int state = 0;
        if (NcBtnHitCode(id) == FHoverCode) state = leftDown ? 2 : 1;
        if (id == vnbMaximize && maximized) state += 10;
        FResource->GetBtn(id)->Draw(Canvas, FRects[size_t(i)], state);
        TOnDrawBtnEvent ev = OnAfterDrawBtn;
        if (ev) {
            ev(this, id, Canvas, FRects[size_t(i)]);
            if (!*alive) return;
        }
    }
}

void TVeskCoustomPaintor::DrawBorder(TCanvas* Canvas) {
    if (FMargins.Left == 0 && FMargins.Top == 0 && FMargins.Right == 0 && FMargins.Bottom == 0) return;
    TVeskFormBorder* b = FResource->GetFormBorder();
    const int L = b->GetLeft(), T = b->GetTop(), R = b->GetRight(), B = b->GetBottom();
    const SIZE ws = FormSize();
    const int W = ws.cx, H = ws.cy;
    const struct {
        TVeskBorderPiece piece;
        TRect r;
    } parts[8] = {
        {bpLeft, TRect(0, T, L, H - B)},
        {bpBottomLeft, TRect(0, H - B, L, H)},
        {bpBottom, TRect(L, H - B, W - R, H)},
        {bpBottomRight, TRect(W - R, H - B, W, H)},
        {bpRight, TRect(W - R, T, W, H - B)},
        {bpTopRight, TRect(W - R, 0, W, T)},
        {bpTop, TRect(L, 0, W - R, T)},
        {bpTopLeft, TRect(0, 0, L, T)},
    };
    for (const auto& p : parts) {
        TPngImage* img = b->GetPiece(p.piece);
        if (PngUsable(img) && !p.r.IsEmpty()) img->Draw(Canvas, p.r);
    }
}

void TVeskCoustomPaintor::DrawCaptionText(TCanvas* Canvas) {
    std::wstring text = FForm->GetCaption();
    if (text.empty()) text = FResource->GetFormCaption()->GetText();
    if (text.empty()) return;
    TVeskFormCaption* fc = FResource->GetFormCaption();
    Canvas->GetFont()->Assign(fc->GetFont());
    const SIZE ext = Canvas->TextExtent(text);
    const TRect r0 = FRects[0];
    TRect tr;
    tr.Left = fc->GetTextLeftFix() + FRects[vnbLogo].Right;
    tr.Right = tr.Left + ext.cx + 2;
    tr.Top = fc->GetTextTopFix() + r0.Top + RoundHalf((r0.Bottom - r0.Top - ext.cy) / 2.0L);
    tr.Bottom = tr.Top + ext.cy;
    FTextRect = tr;
    if (tr.Width() <= 0 || tr.Height() <= 0) return;
    // GDI text leaves alpha 0 on a 32-bit bitmap: draw it on an opaque picture of what lies under
    // it and put that back, so the text lands opaque.
    TPngImage pic;
    pic.CreateBlank(png::COLOR_RGB, 8, tr.Width(), tr.Height());
    pic.CreateAlpha();
    TCanvas* pc = pic.GetCanvas();
    pc->CopyRect(TRect(0, 0, tr.Width(), tr.Height()), Canvas, tr);
    pc->GetBrush()->SetStyle(bsClear);
    pc->GetFont()->Assign(fc->GetFont());
    pc->TextRect(TRect(0, 0, tr.Width(), tr.Height()), 0, 0, text);
    ScalePngAlpha(&pic, 255);
    pic.Draw(Canvas, tr);
}

TWindowDC TVeskCoustomPaintor::NonClientDC(const TMessage& Message) const {
    // WM_NCPAINT's region 1 means the whole frame; any other is the part to repaint.
    HWND h = FForm->GetHandle();
    HDC dc = Message.WParam == 1 ? GetWindowDC(h)
                                 : GetDCEx(h, reinterpret_cast<HRGN>(Message.WParam),
                                           DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_INTERSECTRGN);
    return TWindowDC(h, dc);
}

void TVeskCoustomPaintor::PaintClient(TMessage& Message) {
    (void)Message;
    if (!FShowClient || !FForm || !FResource) return;
    if (!PngUsable(FResource->GetFormClient()->GetImgBkgr()) && !FResource->GetLayerSkin()->GetActive()) return;
    FDefaultProcessing = false;
    const int w = FForm->GetClientWidth(), h = FForm->GetClientHeight();
    if (FClientBitmap && FClientBitmap->GetWidth() == w && FClientBitmap->GetHeight() == h) return;
    if (!FClientBitmap) {
        FClientBitmap = std::make_unique<TBitmap>();
        FClientBitmap->SetPixelFormat(pf32bit);
    }
    FClientBitmap->SetSize(w, h);
    if (w > 0 && h > 0) FResource->DrawClientBack(FClientBitmap->GetCanvas(), TRect(0, 0, w, h));
}

// ---------------------------------------------------------------------------------------------
// TVeskNcPaintor

TVeskNcPaintor::TVeskNcPaintor(TComponent* AOwner) : TVeskCoustomPaintor(AOwner) {
    if (auto* f = dynamic_cast<TForm*>(AOwner)) Attach(f);
}

void TVeskNcPaintor::PaintNc(TMessage& Message) {
    std::shared_ptr<bool> alive = FAlive;
    TVeskCoustomPaintor::PaintNc(Message);
    if (!*alive || !FForm || !FResource || !FNcBitmap || !FForm->HandleAllocated()) return;
    TWindowDC ncDC = NonClientDC(Message);
    HDC dc = ncDC.Get();
    if (!dc) return;
    HDC src = FNcBitmap->GetCanvas()->GetHandle();
    const int W = FNcBitmap->GetWidth(), H = FNcBitmap->GetHeight();
    const int top = CaptionHeight() + FMargins.Top;
    BitBlt(dc, 0, 0, W, top, src, 0, 0, SRCCOPY);
    if (!FormMaximized()) {
        BitBlt(dc, 0, top, FMargins.Left, H - top, src, 0, top, SRCCOPY);
        BitBlt(dc, W - FMargins.Right, top, FMargins.Right, H - top, src, W - FMargins.Right, top, SRCCOPY);
        BitBlt(dc, 0, H - FMargins.Bottom, W, FMargins.Bottom, src, 0, H - FMargins.Bottom, SRCCOPY);
    }
}

void TVeskNcPaintor::PaintClient(TMessage& Message) {
    TVeskCoustomPaintor::PaintClient(Message);
    if (FDefaultProcessing || !FClientBitmap) return;
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    const int w = FClientBitmap->GetWidth(), h = FClientBitmap->GetHeight();
    StretchBlt(dc, 0, 0, w, h, FClientBitmap->GetCanvas()->GetHandle(), 0, 0, w, h, SRCCOPY);
    Message.Result = 1;
}
