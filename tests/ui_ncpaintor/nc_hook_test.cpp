// The painter's hook: window styles and growth, the hit test, presses and clicks on the caption
// buttons, activation, composition, and lifetimes of forms, resources and painters.
#include "nc_fixture.h"

using namespace fw;
using namespace nctest;

namespace {

// Records what reaches the form's own procedure beneath the painter.
struct Recorder {
    std::vector<UINT> Seen;
    bool Saw(UINT Msg) const { return std::find(Seen.begin(), Seen.end(), Msg) != Seen.end(); }
};

void Record(TForm* F, Recorder& R) {
    TWndMethodProc inner = F->WindowProc;
    F->WindowProc = [inner, &R](TMessage& M) {
        R.Seen.push_back(M.Msg);
        inner(M);
    };
}

class NcHookTest : public NcTest {
protected:
    // A 300 x 200 form painted by the program's skins, with every caption button shown.
    void Build(bool Show = false) {
        Form = FramedForm();
        Form->HandleNeeded();
        ClientBefore = Form->GetClientRect();
        Record(Form, Rec);
        Res = Own(NcSkinResource());
        Painter = new TProbePaintor(Form);
        Painter->SetShowBtns({vnbLogo, vnbCustom1, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose});
        Painter->SetResource(Res);
        if (Show) Form->Show();
        NcPaint(Form);
    }
    // A point of the caption bar between the logo and the buttons (window coordinates).
    POINT CaptionPoint() const { return POINT{Painter->GetBtnRect(vnbLogo).Right + 6, 13}; }
    LRESULT PressAt(POINT P) { return SendMessageW(Form->GetHandle(), WM_NCLBUTTONDOWN, 0, ScreenAt(Form, P)); }
    LRESULT ReleaseAt(POINT P) { return SendMessageW(Form->GetHandle(), WM_NCLBUTTONUP, 0, ScreenAt(Form, P)); }
    void Press(TVeskNcBtnEnum Id) { PressAt(Centre(Painter->GetBtnRect(Id))); }
    void Release(TVeskNcBtnEnum Id) { ReleaseAt(Centre(Painter->GetBtnRect(Id))); }
    void ClickBtn(TVeskNcBtnEnum Id) {
        Press(Id);
        Release(Id);
        testsupport::Pump();
    }
    // Whether the form's own procedure answers activation again (no painter in between).
    bool FormAnswersItself() {
        Rec.Seen.clear();
        SendMessageW(Form->GetHandle(), WM_NCACTIVATE, TRUE, 0);
        return Rec.Saw(WM_NCACTIVATE);
    }
    void CountCloses(int& Closes) {
        Form->OnClose = [&Closes](TObject*, TCloseAction& A) {
            ++Closes;
            A = caNone;
        };
    }

    testsupport::TPlainForm* Form = nullptr;
    TVeskNcResource* Res = nullptr;
    TProbePaintor* Painter = nullptr;
    Recorder Rec;
    TRect ClientBefore;
};

}  // namespace

TEST_F(NcHookTest, HookingSwapsTheCaptionForItsOwnFrameAndAnswersActivationItself) {
    Build();
    ASSERT_TRUE(Painter->IsHooked());
    // The system frame is replaced by the skinned one: the window fits it around the same client.
    EXPECT_EQ(Form->GetClientRect(), ClientBefore);
    EXPECT_EQ(Form->GetHeight(), ClientBefore.Height() + 26 + 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Form->GetHandle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(Form->GetColor(), clWindow);  // the client look's colour
    // Activation and the system's own caption drawing stop at the painter, without a repaint.
    Rec.Seen.clear();
    EXPECT_EQ(SendMessageW(Form->GetHandle(), WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(SendMessageW(Form->GetHandle(), 0xAE, 0, 0), 0);
    EXPECT_EQ(Rec.Seen, std::vector<UINT>());

    // Turning resizing off drops the maximize box and does not resize the form again.
    const int h = Form->GetHeight();
    Painter->SetResizeable(false);
    EXPECT_FALSE(GetWindowLongW(Form->GetHandle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_EQ(Form->GetHeight(), h);
    // Without a resource the form keeps its own procedure.
    Painter->SetResource(nullptr);
    EXPECT_FALSE(Painter->IsHooked());
    EXPECT_TRUE(FormAnswersItself());
    Painter->SetResource(Res);
    EXPECT_TRUE(Painter->IsHooked());
}

TEST_F(NcHookTest, HitTestFindsClientCaptionButtonsAndResizeBands) {
    Build();
    const RECT wr = WindowRect(Form);
    const int W = wr.right - wr.left, H = wr.bottom - wr.top;
    const POINT cap = CaptionPoint();
    for (TVeskNcBtnEnum id : {vnbLogo, vnbCustom1, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose}) {
        const POINT c = Centre(Painter->GetBtnRect(id));
        EXPECT_EQ(HitAt(Form, c.x, c.y), NcBtnHitCode(id)) << int(id);
    }
    // The strip of the client area just below the caption bar belongs to no band: it is client.
    const int clientTop = Painter->GetBtnRect(vnbNULL).Bottom;
    // Inside the client area but within 10 pixels of its edges: resize bands; the top band reaches
    // only 5 below the border.
    const struct {
        int x, y, code;
    } resizable[] = {{W / 2, H / 2, HTCLIENT},   {cap.x, cap.y, HTCAPTION},      {5, H / 2, HTLEFT},
                     {W - 5, H / 2, HTRIGHT},    {W / 2, H - 3, HTBOTTOM},       {2, H - 2, HTBOTTOMLEFT},
                     {W - 2, H - 2, HTBOTTOMRIGHT}, {W / 2, 2, HTTOP},           {cap.x, 7, HTCAPTION},
                     {2, 2, HTTOPLEFT},          {W / 2, clientTop + 3, HTCLIENT}},
      // Without resizing the bands are gone: the whole client area is client, the frame nothing.
      fixed[] = {{5, H / 2, HTCLIENT},   {W / 2, H - 3, HTCLIENT}, {W / 2, clientTop, HTCLIENT},
                 {W / 2, H / 2, HTCLIENT}, {0, H / 2, HTNOWHERE},  {W / 2, H - 1, HTNOWHERE}};
    for (const auto& p : resizable) EXPECT_EQ(HitAt(Form, p.x, p.y), p.code) << p.x << "," << p.y;
    Painter->SetResizeable(false);
    for (const auto& p : fixed) EXPECT_EQ(HitAt(Form, p.x, p.y), p.code) << "fixed " << p.x << "," << p.y;

    // A hidden button is caption; so is the old place of a button that lost its frames, and a click
    // there maximizes nothing.
    const POINT menu = Centre(Painter->GetBtnRect(vnbMenu));
    Painter->SetShowBtns({vnbLogo, vnbMaximize, vnbClose});
    EXPECT_EQ(HitAt(Form, menu.x, menu.y), HTCAPTION);
    const POINT max = Centre(Painter->GetBtnRect(vnbMaximize));
    TPngImage none;
    Res->GetBtnMaximize()->SetImgBtn(&none);
    Res->Loaded();
    NcPaint(Form);
    EXPECT_EQ(HitAt(Form, max.x, max.y), HTCAPTION);
    PressAt(max);
    ReleaseAt(max);
    EXPECT_NE(Form->GetWindowState(), wsMaximized);
}

TEST_F(NcHookTest, AButtonPressNeverReachesTheFormAndOnlyAReleaseOnTheSameButtonClicks) {
    Build();
    std::vector<TVeskNcBtnEnum> clicks;
    Painter->OnButtonClick = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum Id) {
        EXPECT_EQ(S, Painter);
        clicks.push_back(Id);
    };
    const std::vector<TVeskNcBtnEnum> ids = {vnbLogo, vnbCustom1, vnbSkin, vnbMenu};
    for (TVeskNcBtnEnum id : ids) {
        Rec.Seen.clear();
        EXPECT_EQ(PressAt(Centre(Painter->GetBtnRect(id))), 1);
        EXPECT_EQ(Painter->PressedCode(), NcBtnHitCode(id));
        Release(id);
        EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONDOWN) || Rec.Saw(WM_NCLBUTTONUP));
        EXPECT_EQ(Painter->PressedCode(), 0);
    }
    EXPECT_EQ(clicks, ids);

    int closes = 0;
    CountCloses(closes);
    Press(vnbMinimize);
    Release(vnbClose);
    EXPECT_EQ(closes, 0);
    EXPECT_NE(Form->GetWindowState(), wsMinimized);
    // A release on the caption after a button press: the form handles it, nothing is clicked.
    Press(vnbMenu);
    Rec.Seen.clear();
    ReleaseAt(CaptionPoint());
    EXPECT_TRUE(Rec.Saw(WM_NCLBUTTONUP));
    EXPECT_EQ(clicks.size(), ids.size());
    EXPECT_EQ(Painter->PressedCode(), 0);
}

TEST_F(NcHookTest, CloseMaximizeRestoreAndMinimizeButtonsSendTheirCommands) {
    Build(true);
    int closes = 0;
    CountCloses(closes);
    Press(vnbClose);
    Rec.Seen.clear();
    Release(vnbClose);
    EXPECT_EQ(closes, 1);
    // The close request runs inside the release; the release itself still stops at the painter.
    EXPECT_TRUE(Rec.Saw(WM_CLOSE));
    EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONUP));

    ClickBtn(vnbMaximize);
    ASSERT_EQ(Form->GetWindowState(), wsMaximized);
    // Maximized without composition: no frame, and the window fills the work area.
    EXPECT_EQ(Painter->Margins(), TRect(0, 0, 0, 0));
    const RECT wr = WindowRect(Form);
    EXPECT_EQ(TRect(wr.left, wr.top, wr.right, wr.bottom), Screen->GetWorkAreaRect());
    // No resize bands while maximized; the caption press reaches the form as message 0.
    EXPECT_EQ(HitAt(Form, 3, (wr.bottom - wr.top) / 2), HTCLIENT);
    NcPaint(Form);
    Rec.Seen.clear();
    PressAt(CaptionPoint());
    EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONDOWN));
    EXPECT_TRUE(Rec.Saw(0));
    ReleaseAt(CaptionPoint());

    ClickBtn(vnbMaximize);
    EXPECT_EQ(Form->GetWindowState(), wsNormal);
    EXPECT_EQ(Painter->Margins(), TRect(1, 1, 1, 1));
    ClickBtn(vnbMinimize);
    EXPECT_EQ(Form->GetWindowState(), wsMinimized);
}

TEST_F(NcHookTest, UnderCompositionTheFormPaintsItsOwnFrameFirst) {
    Build();
    Rec.Seen.clear();
    NcPaint(Form);
    EXPECT_FALSE(Rec.Saw(WM_NCPAINT));
    // Under composition the system frame is drawn first and the skin is composed over it.
    NcCompositionEnabledProc = [] { return true; };
    int composed = 0;
    Painter->OnAfterDrawBtn = [&](TVeskCoustomPaintor*, TVeskNcBtnEnum Id, TCanvas*, TRect) {
        composed += Id == vnbClose;
    };
    NcPaint(Form);
    EXPECT_TRUE(Rec.Saw(WM_NCPAINT));
    EXPECT_EQ(composed, 1);

    // A painter hooked under composition asks for non-client painting and, with ShowNotDWM, keeps
    // the system caption and no margins.
    static int allowCalls;
    allowCalls = 0;
    NcAllowNcPaintProc = [](HWND) { ++allowCalls; };
    auto* form = FramedForm();
    auto* res = Own(NcSkinResource());
    res->GetFormBorder()->SetShowNotDWM(true);
    auto* painter = new TProbePaintor(form);
    painter->SetResource(res);
    EXPECT_EQ(allowCalls, 1);
    EXPECT_EQ(GetWindowLongW(form->GetHandle(), GWL_STYLE) & WS_CAPTION, LONG(WS_CAPTION));
    EXPECT_EQ(painter->Margins(), TRect(0, 0, 0, 0));
}

TEST_F(NcHookTest, APainterOutlivesAFreedResourceAndAFreedForm) {
    Form = FramedForm();
    auto* res = NcSkinResource();
    Form->HandleNeeded();
    Record(Form, Rec);
    auto* painter = Own(new TProbePaintor(nullptr));
    painter->Attach(Form);
    painter->SetResource(res);
    ASSERT_TRUE(painter->IsHooked());
    res->Free();
    EXPECT_EQ(painter->GetResource(), nullptr);
    EXPECT_FALSE(painter->IsHooked());
    // The form paints by itself again instead of painting from freed pictures.
    Rec.Seen.clear();
    NcPaint(Form);
    EXPECT_TRUE(Rec.Saw(WM_NCPAINT));
    // The form goes first: the painter forgets it.
    Form->Free();
    EXPECT_EQ(painter->GetForm(), nullptr);
}

TEST_F(NcHookTest, PainterFreedFirstOrByItsOwnHandlersGivesTheFormItsProcedureBack) {
    Build();
    Painter->Free();
    EXPECT_TRUE(FormAnswersItself());

    Build();
    Painter->OnButtonClick = [](TVeskCoustomPaintor* S, TVeskNcBtnEnum) { S->Free(); };
    ClickBtn(vnbMenu);
    EXPECT_TRUE(FormAnswersItself());

    Build();
    int calls = 0;
    Painter->OnAfterDrawBtn = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum, TCanvas*, TRect) {
        ++calls;
        S->Free();
    };
    NcPaint(Form);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(FormAnswersItself());

    // The close button may free the form.
    Build();
    Form->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    const std::shared_ptr<bool> alive = Form->AliveToken();
    ClickBtn(vnbClose);
    EXPECT_FALSE(*alive);
}

TEST_F(NcHookTest, MovesReachTheFormAfterTheRepaintAndATooSmallWindowGetsAnEmptyClientArea) {
    Build();
    std::vector<WPARAM> codes;
    TWndMethodProc inner = Form->WindowProc;
    Form->WindowProc = [inner, &codes](TMessage& M) {
        inner(M);
        if (M.Msg == WM_NCMOUSEMOVE) codes.push_back(M.WParam);
    };
    // Entering a button repaints the bar inside the move (a nested message with its own decision);
    // the move itself still reaches the form, with the hit code.
    Rec.Seen.clear();
    const POINT min = Centre(Painter->GetBtnRect(vnbMinimize));
    SendMessageW(Form->GetHandle(), WM_NCMOUSEMOVE, HTNOWHERE, ScreenAt(Form, min));
    EXPECT_EQ(Painter->HoverCode(), HTMINBUTTON);
    EXPECT_TRUE(Rec.Saw(WM_NCMOUSEMOVE));
    EXPECT_EQ(codes, std::vector<WPARAM>{WPARAM(HTMINBUTTON)});

    Res->GetFormClient()->SetImgBkgr(SolidPng(8, 8, TColor(RGB(1, 120, 3))).get());
    // 26 caption rows and one border row at top and bottom do not fit into 12 rows.
    SetWindowPos(Form->GetHandle(), nullptr, 0, 0, 1, 12, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Form->GetClientHeight(), 0);
    // Painting such a window neither fails nor leaves a bitmap of a negative size behind.
    NcPaint(Form);
    testsupport::DibSurface s(4, 4, 0xFF000000u);
    Form->PaintTo(s.Dc(), 0, 0);
    ASSERT_NE(Painter->ClientBitmap(), nullptr);
    EXPECT_EQ(Painter->ClientBitmap()->GetHeight(), 0);
}
