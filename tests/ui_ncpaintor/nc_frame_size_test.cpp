// The frame a painter hooks once, in Loaded, around a described form: the client keeps its designed size
// inside a tight skinned frame (screen pixels: FrameTest.TheFramesShowTheSkinsBorderAlsoOnAComposedDesktop).
#include "nc_fixture.h"

#include "fw_formload.h"

using namespace fw;
using namespace nctest;

namespace {

// Built like the visible window: the system menu and the minimize box, a designed client size,
// and a painter with a 26-pixel caption and a one-pixel border.
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
        auto* res = new TVeskNcResource(this);
        L_.Add(res, L"vkncrsrc1");
        res->GetFormCaption()->SetHeight(26);
        SetBorder(res->GetFormBorder(), 1);
        res->GetBtnClose()->SetImgBtn(Skin(L"nc_btn_close").get());
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

TEST_F(NcFrameSizeTest, TheDesignedClientSizeSurvivesTheSkinnedFrame) {
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
        if (row.border == bsNone) continue;
        POINT o{0, 0};
        ClientToScreen(f->GetHandle(), &o);
        EXPECT_EQ(o.x - wr.left, 1);
        EXPECT_EQ(o.y - wr.top, 27);
    }
}
