// The painter's hook: window styles and growth, the non-client size, the hit test, presses and
// clicks on the caption buttons, size limits, activation, and lifetimes of forms and resources.
#include "nc_fixture.h"

#include "fw_formload.h"

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

}  // namespace

class NcHookTest : public NcTest {
protected:
    // A 300 x 200 form painted by the program's skins, with every caption button shown.
    void Build(bool Show = false) {
        Form = NewForm();
        Form->HandleNeeded();
        ClientBefore = Form->GetClientRect();
        StyleBefore = static_cast<DWORD>(GetWindowLongW(Form->GetHandle(), GWL_STYLE));
        Record(Form, Rec);
        Res = NewSkinnedResource();
        Painter = new TProbePaintor(Form);
        Painter->SetShowBtns({vnbLogo, vnbCustom1, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose});
        Painter->SetResource(Res);
        if (Show) Form->Show();
        Painter->GetForm()->Perform(WM_NCPAINT, 1, 0);
    }
    // A point of the caption bar between the logo and the buttons (window coordinates).
    POINT CaptionPoint() const { return POINT{Painter->GetBtnRect(vnbLogo).Right + 6, 13}; }
    void Press(TVeskNcBtnEnum Id) { PressAt(Centre(Painter->GetBtnRect(Id))); }
    void Release(TVeskNcBtnEnum Id) { ReleaseAt(Centre(Painter->GetBtnRect(Id))); }
    LRESULT PressAt(POINT WindowPt) {
        return SendMessageW(Form->GetHandle(), WM_NCLBUTTONDOWN, 0, ScreenLParam(ScreenOf(Form, WindowPt.x, WindowPt.y)));
    }
    LRESULT ReleaseAt(POINT WindowPt) {
        return SendMessageW(Form->GetHandle(), WM_NCLBUTTONUP, 0, ScreenLParam(ScreenOf(Form, WindowPt.x, WindowPt.y)));
    }

    TNcForm* Form = nullptr;
    TVeskNcResource* Res = nullptr;
    TProbePaintor* Painter = nullptr;
    Recorder Rec;
    TRect ClientBefore;
    DWORD StyleBefore = 0;
};

TEST_F(NcHookTest, HookingKeepsTheClientSizeAndSwapsTheCaptionForItsOwnFrame) {
    Build();
    ASSERT_TRUE(Painter->IsHooked());
    ASSERT_TRUE(StyleBefore & WS_CAPTION);
    // The system frame is replaced by the skinned one: the window fits it around the same client.
    EXPECT_EQ(Form->GetClientRect(), ClientBefore);
    EXPECT_EQ(Form->GetWidth(), ClientBefore.Width() + 2);
    EXPECT_EQ(Form->GetHeight(), ClientBefore.Height() + 26 + 2);
    EXPECT_TRUE(Form->GetDoubleBuffered());
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Form->GetHandle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(Form->GetColor(), clWindow);  // the client look's colour

    // The client area lies inside the caption and the one-pixel border.
    RECT wr{}, cr{};
    GetWindowRect(Form->GetHandle(), &wr);
    GetClientRect(Form->GetHandle(), &cr);
    EXPECT_EQ(cr.right, (wr.right - wr.left) - 2);
    EXPECT_EQ(cr.bottom, (wr.bottom - wr.top) - 26 - 2);
    POINT o{0, 0};
    ClientToScreen(Form->GetHandle(), &o);
    EXPECT_EQ(o.x - wr.left, 1);
    EXPECT_EQ(o.y - wr.top, 27);
    EXPECT_EQ(Painter->Margins(), TRect(1, 1, 1, 1));

    // Turning resizing off drops the maximize box and does not resize the form again.
    const int h = Form->GetHeight();
    Painter->SetResizeable(false);
    EXPECT_FALSE(GetWindowLongW(Form->GetHandle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_EQ(Form->GetHeight(), h);
}

TEST_F(NcHookTest, WithoutAResourceTheFormKeepsItsOwnProcedure) {
    Build();
    Painter->SetResource(nullptr);
    EXPECT_FALSE(Painter->IsHooked());
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCACTIVATE));
    // And back: hooked again (a second growth, as for any new resource).
    Painter->SetResource(Res);
    EXPECT_TRUE(Painter->IsHooked());
}

TEST_F(NcHookTest, ActivationIsAnsweredWithoutTheFormOrARepaint) {
    Build();
    Rec.Seen.clear();
    EXPECT_EQ(SendMessageW(Form->GetHandle(), WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_FALSE(Rec.Saw(WM_NCACTIVATE));
    EXPECT_FALSE(Rec.Saw(WM_NCPAINT));
    // The system's own caption drawing messages stop at the painter too.
    EXPECT_EQ(SendMessageW(Form->GetHandle(), 0xAE, 0, 0), 0);
    EXPECT_FALSE(Rec.Saw(0xAE));
}

TEST_F(NcHookTest, HitTestFindsClientCaptionButtonsAndResizeBands) {
    Build();
    RECT wr{};
    GetWindowRect(Form->GetHandle(), &wr);
    const int W = wr.right - wr.left, H = wr.bottom - wr.top;
    EXPECT_EQ(HitAt(Form, W / 2, H / 2), HTCLIENT);
    EXPECT_EQ(HitAt(Form, CaptionPoint().x, CaptionPoint().y), HTCAPTION);
    const TVeskNcBtnEnum ids[] = {vnbLogo, vnbCustom1, vnbSkin, vnbMenu, vnbMinimize, vnbMaximize, vnbClose};
    for (TVeskNcBtnEnum id : ids) {
        POINT c = Centre(Painter->GetBtnRect(id));
        EXPECT_EQ(HitAt(Form, c.x, c.y), NcBtnHitCode(id)) << int(id);
    }
    // Inside the client area but within 10 pixels of its edges: resize bands.
    EXPECT_EQ(HitAt(Form, 5, H / 2), HTLEFT);
    EXPECT_EQ(HitAt(Form, W - 5, H / 2), HTRIGHT);
    EXPECT_EQ(HitAt(Form, W / 2, H - 3), HTBOTTOM);
    EXPECT_EQ(HitAt(Form, 2, H - 2), HTBOTTOMLEFT);
    EXPECT_EQ(HitAt(Form, W - 2, H - 2), HTBOTTOMRIGHT);
    EXPECT_EQ(HitAt(Form, W / 2, 2), HTTOP);
    EXPECT_EQ(HitAt(Form, CaptionPoint().x, 7), HTCAPTION);  // the top band reaches only 5 below the border
    EXPECT_EQ(HitAt(Form, 2, 2), HTTOPLEFT);
    // The strip of the client area just below the caption bar belongs to no band: it is client.
    const int clientTop = Painter->GetBtnRect(vnbNULL).Bottom;
    EXPECT_EQ(HitAt(Form, W / 2, clientTop + 3), HTCLIENT);

    // Without resizing, the bands are gone: the whole client area is client, the frame nothing.
    Painter->SetResizeable(false);
    EXPECT_EQ(HitAt(Form, 5, H / 2), HTCLIENT);
    EXPECT_EQ(HitAt(Form, W / 2, H - 3), HTCLIENT);
    EXPECT_EQ(HitAt(Form, W / 2, clientTop), HTCLIENT);
    EXPECT_EQ(HitAt(Form, W / 2, H / 2), HTCLIENT);
    EXPECT_EQ(HitAt(Form, 0, H / 2), HTNOWHERE);
    EXPECT_EQ(HitAt(Form, W / 2, H - 1), HTNOWHERE);
}

TEST_F(NcHookTest, ButtonsAreHitOnlyWhileShown) {
    Build();
    POINT c = Centre(Painter->GetBtnRect(vnbMenu));
    Painter->SetShowBtns({vnbLogo, vnbClose});
    EXPECT_EQ(HitAt(Form, c.x, c.y), HTCAPTION);
    POINT logo = Centre(Painter->GetBtnRect(vnbLogo));
    EXPECT_EQ(HitAt(Form, logo.x, logo.y), HTMENU);
}

TEST_F(NcHookTest, AButtonPressNeverReachesTheFormAndAClickFiresTheEvent) {
    Build();
    std::vector<TVeskNcBtnEnum> clicks;
    Painter->OnButtonClick = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum Id) {
        EXPECT_EQ(S, Painter);
        clicks.push_back(Id);
    };
    const TVeskNcBtnEnum ids[] = {vnbLogo, vnbCustom1, vnbSkin, vnbMenu};
    for (TVeskNcBtnEnum id : ids) {
        Rec.Seen.clear();
        EXPECT_EQ(PressAt(Centre(Painter->GetBtnRect(id))), 1);
        EXPECT_EQ(Painter->PressedCode(), NcBtnHitCode(id));
        EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONDOWN));
        Release(id);
        EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONUP));
        EXPECT_EQ(Painter->PressedCode(), 0);
    }
    EXPECT_EQ(clicks, std::vector<TVeskNcBtnEnum>(std::begin(ids), std::end(ids)));
}

TEST_F(NcHookTest, PressingOneButtonAndReleasingOnAnotherDoesNothing) {
    Build();
    int closes = 0;
    Form->OnClose = [&](TObject*, TCloseAction& A) {
        ++closes;
        A = caNone;
    };
    Press(vnbMinimize);
    Release(vnbClose);
    EXPECT_EQ(closes, 0);
    EXPECT_NE(Form->GetWindowState(), wsMinimized);
    EXPECT_EQ(Painter->PressedCode(), 0);
    // A release on the caption after a button press: the form handles it, nothing is clicked.
    int clicks = 0;
    Painter->OnButtonClick = [&](TVeskCoustomPaintor*, TVeskNcBtnEnum) { ++clicks; };
    Press(vnbMenu);
    Rec.Seen.clear();
    ReleaseAt(CaptionPoint());
    EXPECT_TRUE(Rec.Saw(WM_NCLBUTTONUP));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(Painter->PressedCode(), 0);
}

TEST_F(NcHookTest, CloseMaximizeAndRestoreButtonsSendTheirCommands) {
    Build(true);
    int closes = 0;
    Form->OnClose = [&](TObject*, TCloseAction& A) {
        ++closes;
        A = caNone;
    };
    Press(vnbClose);
    Rec.Seen.clear();
    Release(vnbClose);
    EXPECT_EQ(closes, 1);
    // The close request runs inside the release; the release itself still stops at the painter.
    EXPECT_TRUE(Rec.Saw(WM_CLOSE));
    EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONUP));

    Press(vnbMaximize);
    Release(vnbMaximize);
    Drain();
    ASSERT_EQ(Form->GetWindowState(), wsMaximized);
    // Maximized without composition: no frame, and the size limit is the work area.
    EXPECT_EQ(Painter->Margins(), TRect(0, 0, 0, 0));
    RECT wr{};
    GetWindowRect(Form->GetHandle(), &wr);
    const TRect area = Screen->GetWorkAreaRect();
    EXPECT_EQ(wr.left, 0);
    EXPECT_EQ(wr.top, 0);
    EXPECT_EQ(wr.right - wr.left, area.Width());
    EXPECT_EQ(wr.bottom - wr.top, area.Height());
    // No resize bands while maximized; the caption press reaches the form as message 0.
    const int H = wr.bottom - wr.top;
    EXPECT_EQ(HitAt(Form, 3, H / 2), HTCLIENT);
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    ASSERT_EQ(HitAt(Form, CaptionPoint().x, CaptionPoint().y), HTCAPTION);
    PressAt(CaptionPoint());
    EXPECT_FALSE(Rec.Saw(WM_NCLBUTTONDOWN));
    EXPECT_TRUE(Rec.Saw(0));
    ReleaseAt(CaptionPoint());

    Press(vnbMaximize);
    Release(vnbMaximize);
    Drain();
    EXPECT_EQ(Form->GetWindowState(), wsNormal);
    EXPECT_EQ(Painter->Margins(), TRect(1, 1, 1, 1));

    Press(vnbMinimize);
    Release(vnbMinimize);
    Drain();
    EXPECT_EQ(Form->GetWindowState(), wsMinimized);
}

TEST_F(NcHookTest, SizeLimitsComeFromFixSizeOrTheWorkArea) {
    Build();
    MINMAXINFO mmi{};
    mmi.ptMinTrackSize = POINT{11, 12};
    Painter->GetFixSize()->SetMinWidth(200);
    Painter->GetFixSize()->SetMaxHeight(500);
    SendMessageW(Form->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    const TRect area = Screen->GetWorkAreaRect();
    EXPECT_EQ(mmi.ptMinTrackSize.x, 200);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 12);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, area.Width());
    EXPECT_EQ(mmi.ptMaxTrackSize.y, 500);
    EXPECT_EQ(mmi.ptMaxPosition.x, 0);
    EXPECT_EQ(mmi.ptMaxPosition.y, 0);
}

TEST_F(NcHookTest, CompositionAsksForNonClientPaintingAndKeepsTheCaptionBits) {
    NcCompositionEnabledProc = [] { return true; };
    static int allowCalls;
    allowCalls = 0;
    NcAllowNcPaintProc = [](HWND) { ++allowCalls; };
    Form = NewForm();
    Res = NewSkinnedResource();
    Res->GetFormBorder()->SetShowNotDWM(true);
    Painter = new TProbePaintor(Form);
    Painter->SetResource(Res);
    EXPECT_EQ(allowCalls, 1);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Form->GetHandle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, DWORD(WS_CAPTION));
    EXPECT_EQ(Painter->Margins(), TRect(0, 0, 0, 0));
}

TEST_F(NcHookTest, APainterOutlivesAFreedResourceAndAFreedForm) {
    Form = NewForm();
    auto* res = NewSkinnedResource();
    Components.clear();  // freed here
    Form->HandleNeeded();
    Record(Form, Rec);
    auto* painter = new TProbePaintor(nullptr);
    Components.push_back(painter);
    painter->Attach(Form);
    painter->SetResource(res);
    ASSERT_TRUE(painter->IsHooked());
    res->Free();
    EXPECT_EQ(painter->GetResource(), nullptr);
    EXPECT_FALSE(painter->IsHooked());
    // The form answers by itself again instead of painting from freed pictures.
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCPAINT));

    // The form goes first: the painter forgets it.
    Form->Free();
    EXPECT_EQ(painter->GetForm(), nullptr);
}

TEST_F(NcHookTest, APainterFreedFirstGivesTheFormItsProcedureBack) {
    Build();
    Painter->Free();
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCACTIVATE));
}

// A form read from a description: the painter hooks it in Loaded, once.
class TDescribedForm : public TForm {
public:
    FW_CLASSNAME(TDescribedForm)
    TDescribedForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
    TVeskNcResource* vkncrsrc1 = nullptr;
    TProbePaintor* vkncpntr1 = nullptr;
    TRect ClientBeforeLoaded;

protected:
    bool ReadDescription() override {
        desc::TLoader L_(this, L"described");
        L_.SetFormName(L"frmDescribed");
        SetBounds(40, 40, 260, 180);
        ClientBeforeLoaded = GetClientRect();
        vkncrsrc1 = new TVeskNcResource(this);
        L_.Add(vkncrsrc1, L"vkncrsrc1");
        vkncrsrc1->GetFormCaption()->SetHeight(30);
        vkncpntr1 = new TProbePaintor(this);
        L_.Add(vkncpntr1, L"vkncpntr1");
        vkncpntr1->SetResource(vkncrsrc1);
        vkncpntr1->SetResizeable(false);
        vkncpntr1->SetShowBtns(vnbClose);
        L_.Finish();
        L_.LoadedAll();
        return true;
    }
};

TEST_F(NcHookTest, DescribedFormsAreHookedByLoadedAndSizedOnce) {
    auto* f = TForm::CreateForm<TDescribedForm>(nullptr);
    Objects.push_back({f, f->AliveToken()});
    EXPECT_TRUE(f->vkncpntr1->IsHooked());
    EXPECT_EQ(f->GetClientRect(), f->ClientBeforeLoaded);
    EXPECT_EQ(f->GetHeight(), f->ClientBeforeLoaded.Height() + 30 + 2 * GetSystemMetrics(SM_CYFIXEDFRAME));
    EXPECT_FALSE(GetWindowLongW(f->GetHandle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_TRUE(f->vkncpntr1->GetShowBtns().Contains(vnbClose));
}

TEST_F(NcHookTest, AWindowSmallerThanItsFrameGetsAnEmptyClientArea) {
    Build();
    Res->GetFormClient()->SetImgBkgr(SolidPng(8, 8, TColor(RGB(1, 120, 3))).get());
    // 26 caption rows and one border row at top and bottom do not fit into 12 rows, nor two
    // border columns into one.
    SetWindowPos(Form->GetHandle(), nullptr, 0, 0, 1, 12, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT wr{}, cr{};
    GetWindowRect(Form->GetHandle(), &wr);
    ASSERT_LT(wr.bottom - wr.top, 28);
    GetClientRect(Form->GetHandle(), &cr);
    EXPECT_EQ(cr.bottom, 0);
    EXPECT_GE(cr.right, 0);
    EXPECT_EQ(Form->GetClientHeight(), 0);
    // Painting such a window neither fails nor leaves a bitmap of a negative size behind.
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    testsupport::DibSurface s(4, 4, 0xFF000000u);
    Form->PaintTo(s.Dc(), 0, 0);
    ASSERT_NE(Painter->ClientBitmap(), nullptr);
    EXPECT_EQ(Painter->ClientBitmap()->GetHeight(), 0);
}

TEST_F(NcHookTest, AButtonThatLostItsFramesCannotBeHitAtItsOldPlace) {
    Build();
    Painter->SetShowBtns({vnbLogo, vnbMaximize, vnbClose});
    const TRect oldMax = Painter->GetBtnRect(vnbMaximize);
    ASSERT_FALSE(oldMax.IsEmpty());
    TPngImage none;
    Res->GetBtnMaximize()->SetImgBtn(&none);
    Res->Loaded();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    // Nothing is drawn there any more: the place is bare caption and a click maximizes nothing.
    const POINT c = Centre(oldMax);
    EXPECT_EQ(HitAt(Form, c.x, c.y), HTCAPTION);
    PressAt(c);
    ReleaseAt(c);
    EXPECT_NE(Form->GetWindowState(), wsMaximized);
    const POINT close = Centre(Painter->GetBtnRect(vnbClose));
    EXPECT_EQ(HitAt(Form, close.x, close.y), HTCLOSE);
}

TEST_F(NcHookTest, AClickHandlerMayFreeThePainter) {
    Build();
    Painter->OnButtonClick = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum) { S->Free(); };
    Press(vnbMenu);
    Release(vnbMenu);
    Painter = nullptr;
    // The form answers by itself again.
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCACTIVATE));
}

TEST_F(NcHookTest, ADrawHandlerMayFreeThePainter) {
    Build();
    int calls = 0;
    Painter->OnAfterDrawBtn = [&](TVeskCoustomPaintor* S, TVeskNcBtnEnum, TCanvas*, TRect) {
        ++calls;
        S->Free();
    };
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    Painter = nullptr;
    EXPECT_EQ(calls, 1);
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCACTIVATE));
}

TEST_F(NcHookTest, TheCloseButtonMayFreeTheForm) {
    Build();
    Form->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    std::shared_ptr<bool> formAlive = Form->AliveToken();
    Press(vnbClose);
    Release(vnbClose);
    Drain();
    EXPECT_FALSE(*formAlive);
}

TEST_F(NcHookTest, TheFormPaintsItsOwnFrameFirstOnlyUnderComposition) {
    Build();
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    EXPECT_FALSE(Rec.Saw(WM_NCPAINT));
    ASSERT_NE(Painter->NcBitmap(), nullptr);

    // Under composition the system frame is drawn first and the skin is composed over it.
    NcCompositionEnabledProc = [] { return true; };
    int composed = 0;
    Painter->OnAfterDrawBtn = [&](TVeskCoustomPaintor*, TVeskNcBtnEnum Id, TCanvas*, TRect) {
        if (Id == vnbClose) ++composed;
    };
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCPAINT, 1, 0);
    EXPECT_TRUE(Rec.Saw(WM_NCPAINT));
    EXPECT_EQ(composed, 1);
}

TEST_F(NcHookTest, MovesReachTheFormWithTheHitCodeAfterTheRepaint) {
    Build();
    std::vector<WPARAM> codes;
    TWndMethodProc inner = Form->WindowProc;
    Form->WindowProc = [inner, &codes](TMessage& M) {
        inner(M);
        if (M.Msg == WM_NCMOUSEMOVE) codes.push_back(M.WParam);
    };
    // Entering a button repaints the bar inside the move; the move itself still goes on.
    const POINT c = Centre(Painter->GetBtnRect(vnbMinimize));
    Rec.Seen.clear();
    SendMessageW(Form->GetHandle(), WM_NCMOUSEMOVE, HTNOWHERE, ScreenLParam(ScreenOf(Form, c.x, c.y)));
    EXPECT_EQ(Painter->HoverCode(), HTMINBUTTON);
    EXPECT_TRUE(Rec.Saw(WM_NCMOUSEMOVE));
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0], WPARAM(HTMINBUTTON));
}
