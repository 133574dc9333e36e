// The frame a painter puts around a described form: the client area keeps the designed size and
// the skinned frame (caption bar and border) sits tightly around it, with no unpainted strip.
#include "nc_fixture.h"

#include "fw_formload.h"
#include "fw_stdctrls.h"

using namespace fw;
using namespace nctest;

namespace {

constexpr COLORREF kBorder = RGB(200, 30, 40);
constexpr COLORREF kCaptionLook = RGB(10, 90, 160);
constexpr COLORREF kClient = RGB(0x40, 0x46, 0x4E);  // $4E4640
constexpr COLORREF kContent = RGB(20, 160, 60);

// Built like the visible window: a single-border form with the system menu and the minimize box,
// a designed client size covered exactly by its content, and a painter with a 26-pixel caption
// and a one-pixel border (its client look keeps the default colour, as the visible window's does).
class TFramedForm : public TForm {
public:
    FW_CLASSNAME(TFramedForm)
    TFramedForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
    TVeskNcResource* vkncrsrc1 = nullptr;
    TProbePaintor* VeskNcPaintor1 = nullptr;
    TPanel* pnlContent = nullptr;
    static inline TFormBorderStyle Border = bsSingle;

protected:
    bool ReadDescription() override {
        desc::TLoader L_(this, L"framed");
        L_.SetFormName(L"frmFramed");
        SetLeft(30);
        SetTop(30);
        SetBorderStyle(Border);
        SetBorderIcons(biSystemMenu | biMinimize);
        SetClientWidth(673);
        SetClientHeight(492);
        SetColor(TColor(kClient));
        vkncrsrc1 = new TVeskNcResource(this);
        L_.Add(vkncrsrc1, L"vkncrsrc1");
        vkncrsrc1->GetFormCaption()->SetHeight(26);
        vkncrsrc1->GetFormCaption()->SetColorBkgr(TColor(kCaptionLook));
        vkncrsrc1->GetFormBorder()->SetLeft(1);
        vkncrsrc1->GetFormBorder()->SetTop(1);
        vkncrsrc1->GetFormBorder()->SetRight(1);
        vkncrsrc1->GetFormBorder()->SetBottom(1);
        vkncrsrc1->GetFormBorder()->SetColorBkgr(TColor(kBorder));
        vkncrsrc1->GetBtnClose()->SetImgBtn(SkinPng(L"nc_btn_close").get());
        pnlContent = new TPanel(this);
        L_.Add(pnlContent, L"pnlContent");
        pnlContent->SetParent(this);
        pnlContent->SetBounds(0, 0, 673, 492);
        pnlContent->SetBevelOuter(bvNone);
        pnlContent->SetColor(TColor(kContent));
        VeskNcPaintor1 = new TProbePaintor(this);
        L_.Add(VeskNcPaintor1, L"VeskNcPaintor1");
        VeskNcPaintor1->SetResource(vkncrsrc1);
        VeskNcPaintor1->SetResizeable(false);
        VeskNcPaintor1->SetShowBtns({vnbLogo, vnbMinimize, vnbClose});
        L_.Finish();
        L_.LoadedAll();
        return true;
    }
};

class NcFrameSizeTest : public NcTest {
protected:
    TFramedForm* Create(TFormBorderStyle Border) {
        TFramedForm::Border = Border;
        auto* f = TForm::CreateForm<TFramedForm>(nullptr);
        Objects.push_back({f, f->AliveToken()});
        return f;
    }
    static SIZE WindowSize(TForm* F) {
        RECT r{};
        GetWindowRect(F->GetHandle(), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    static SIZE ClientSize(TForm* F) {
        RECT r{};
        GetClientRect(F->GetHandle(), &r);
        return SIZE{r.right, r.bottom};
    }
};

}  // namespace

TEST_F(NcFrameSizeTest, TheDesignedClientSizeSurvivesTheSkinnedFrame) {
    for (TFormBorderStyle border : {bsSingle, bsSizeable, bsDialog}) {
        SCOPED_TRACE(int(border));
        TFramedForm* f = Create(border);
        ASSERT_TRUE(f->VeskNcPaintor1->IsHooked());
        EXPECT_EQ(ClientSize(f).cx, 673);
        EXPECT_EQ(ClientSize(f).cy, 492);
        EXPECT_EQ(f->GetClientWidth(), 673);
        EXPECT_EQ(f->GetClientHeight(), 492);
        // One border pixel on each side, the caption bar and one border pixel at the bottom.
        EXPECT_EQ(WindowSize(f).cx, 673 + 2);
        EXPECT_EQ(WindowSize(f).cy, 492 + 26 + 2);
        EXPECT_EQ(f->GetWidth(), 675);
        EXPECT_EQ(f->GetHeight(), 520);
        POINT o{0, 0};
        ClientToScreen(f->GetHandle(), &o);
        RECT wr{};
        GetWindowRect(f->GetHandle(), &wr);
        EXPECT_EQ(o.x - wr.left, 1);
        EXPECT_EQ(o.y - wr.top, 27);
    }
}

TEST_F(NcFrameSizeTest, AFramelessFormOnlyGrowsByTheCaptionBar) {
    TFramedForm* f = Create(bsNone);
    ASSERT_TRUE(f->VeskNcPaintor1->IsHooked());
    EXPECT_EQ(WindowSize(f).cx, 673);
    EXPECT_EQ(WindowSize(f).cy, 492 + 26);
    EXPECT_EQ(ClientSize(f).cx, 673 - 2);
    EXPECT_EQ(ClientSize(f).cy, 492 - 2);
}

TEST_F(NcFrameSizeTest, TheRightAndBottomEdgesShowTheBorderAndTheContent) {
    TFramedForm* f = Create(bsSingle);
    f->Show();
    Drain(100);
    RedrawWindow(f->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Drain(50);
    const SIZE ws = WindowSize(f);
    const int W = ws.cx, H = ws.cy;
    testsupport::DibSurface s(W, H, 0xFF010203u);
    RECT wr{};
    GetWindowRect(f->GetHandle(), &wr);
    HDC sdc = GetDC(nullptr);
    BitBlt(s.Dc(), 0, 0, W, H, sdc, wr.left, wr.top, SRCCOPY);
    ReleaseDC(nullptr, sdc);

    // The outermost column and row are the border from top to bottom and left to right.
    int wrongBorder = 0;
    for (int y = 0; y < H; ++y) wrongBorder += s.Color(W - 1, y) != kBorder;
    for (int x = 0; x < W; ++x) wrongBorder += s.Color(x, H - 1) != kBorder;
    for (int y = 27; y < H; ++y) wrongBorder += s.Color(0, y) != kBorder;
    EXPECT_EQ(wrongBorder, 0);
    // Right inside them lies the designed content: no strip of bare client area is left over.
    int wrongClient = 0;
    for (int y = 27; y < H - 1; ++y) wrongClient += s.Color(W - 2, y) != kContent;
    for (int x = 1; x < W - 1; ++x) wrongClient += s.Color(x, H - 2) != kContent;
    EXPECT_EQ(wrongClient, 0);
    EXPECT_EQ(s.Color(W / 2, 13), kCaptionLook);
}
