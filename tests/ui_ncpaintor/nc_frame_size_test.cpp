// The frame a painter puts around a described form: the painter hooks it once, in Loaded; the
// client area keeps the designed size and the skinned frame (caption bar and border) sits tightly
// around it, with no unpainted strip.
#include "nc_fixture.h"

#include "fw_formload.h"
#include "fw_stdctrls.h"

using namespace fw;
using namespace nctest;

namespace {

constexpr COLORREF kBorder = RGB(200, 30, 40);
constexpr COLORREF kCaptionLook = RGB(10, 90, 160);
constexpr COLORREF kContent = RGB(20, 160, 60);

// Built like the visible window: the system menu and the minimize box, a designed client size
// covered exactly by its content, and a painter with a 26-pixel caption and a one-pixel border.
class TFramedForm : public TForm {
public:
    FW_CLASSNAME(TFramedForm)
    TFramedForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
    TProbePaintor* VeskNcPaintor1 = nullptr;
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
        SetColor(TColor(RGB(0x40, 0x46, 0x4E)));
        auto* res = new TVeskNcResource(this);
        L_.Add(res, L"vkncrsrc1");
        res->GetFormCaption()->SetHeight(26);
        res->GetFormCaption()->SetColorBkgr(TColor(kCaptionLook));
        SetBorder(res->GetFormBorder(), 1);
        res->GetFormBorder()->SetColorBkgr(TColor(kBorder));
        res->GetBtnClose()->SetImgBtn(Skin(L"nc_btn_close").get());
        auto* content = new TPanel(this);
        L_.Add(content, L"pnlContent");
        content->SetParent(this);
        content->SetBounds(0, 0, 673, 492);
        content->SetBevelOuter(bvNone);
        content->SetColor(TColor(kContent));
        VeskNcPaintor1 = new TProbePaintor(this);
        L_.Add(VeskNcPaintor1, L"VeskNcPaintor1");
        VeskNcPaintor1->SetResource(res);
        VeskNcPaintor1->SetResizeable(false);
        VeskNcPaintor1->SetShowBtns({vnbLogo, vnbMinimize, vnbClose});
        L_.Finish();
        L_.LoadedAll();
        return true;
    }
};

using NcFrameSizeTest = NcTest;

}  // namespace

TEST_F(NcFrameSizeTest, TheDesignedClientSizeSurvivesTheSkinnedFrameWithNoBareStrip) {
    // A framed form keeps its client size inside one border pixel and the caption bar; a frameless
    // one only grows by the caption bar.
    const struct {
        TFormBorderStyle border;
        int windowW, windowH, clientW, clientH;
    } rows[] = {{bsSingle, 675, 520, 673, 492},
                {bsSizeable, 675, 520, 673, 492},
                {bsDialog, 675, 520, 673, 492},
                {bsNone, 673, 518, 671, 490}};
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.border));
        TFramedForm::Border = row.border;
        TFramedForm* f = Own(TForm::CreateForm<TFramedForm>(nullptr));
        ASSERT_TRUE(f->VeskNcPaintor1->IsHooked());
        const RECT wr = WindowRect(f);
        RECT cr{};
        GetClientRect(f->GetHandle(), &cr);
        EXPECT_EQ(wr.right - wr.left, row.windowW);
        EXPECT_EQ(wr.bottom - wr.top, row.windowH);
        EXPECT_EQ(cr.right, row.clientW);
        EXPECT_EQ(cr.bottom, row.clientH);
        EXPECT_EQ(f->GetClientHeight(), row.clientH);
        EXPECT_FALSE(GetWindowLongW(f->GetHandle(), GWL_STYLE) & WS_MAXIMIZEBOX);
        if (row.border != bsSingle) continue;
        POINT o{0, 0};
        ClientToScreen(f->GetHandle(), &o);
        EXPECT_EQ(o.x - wr.left, 1);
        EXPECT_EQ(o.y - wr.top, 27);

        // On screen the outermost column and row are the border and right inside them lies the
        // designed content: no strip of bare client area is left over.
        f->Show();
        testsupport::Pump(100);
        const int W = wr.right - wr.left, H = wr.bottom - wr.top;
        testsupport::DibSurface s(W, H, 0xFF010203u);
        HDC sdc = GetDC(nullptr);
        BitBlt(s.Dc(), 0, 0, W, H, sdc, wr.left, wr.top, SRCCOPY);
        ReleaseDC(nullptr, sdc);
        int wrongBorder = 0, wrongClient = 0;
        for (int y = 27; y < H; ++y) wrongBorder += (s.Color(W - 1, y) != kBorder) + (s.Color(0, y) != kBorder);
        for (int x = 0; x < W; ++x) wrongBorder += s.Color(x, H - 1) != kBorder;
        for (int y = 27; y < H - 1; ++y) wrongClient += s.Color(W - 2, y) != kContent;
        for (int x = 1; x < W - 1; ++x) wrongClient += s.Color(x, H - 2) != kContent;
        EXPECT_EQ(wrongBorder, 0);
        EXPECT_EQ(wrongClient, 0);
        EXPECT_EQ(s.Color(W / 2, 13), kCaptionLook);
        f->Hide();
    }
}
