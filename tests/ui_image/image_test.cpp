// The picture control: where the picture lands (own size, fitted, centred), automatic sizing,
// PNG and other graphics, and the paint hooks around the picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskImage.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "skin_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::Strip;

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGrey = RGB(0x40, 0x40, 0x40);

class ImageTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(200, 150, kGrey);
        Image = new TVeskImage(Form);
        Image->SetLeft(10);
        Image->SetTop(10);
        Image->SetColor(clWhite);
        Image->SetParent(Form);
    }
    std::unique_ptr<testsupport::DibSurface> Render() { return testsupport::Render(Form); }
    void ShowPng(int w, int h) { Image->GetPicture()->SetGraphic(Strip(w, h, {kRed}).get()); }
    // Checks that the red picture covers exactly the rectangle inside the control.
    void ExpectPictureAt(const TRect& r) {
        EXPECT_EQ(Image->DestRect(), r);
        auto dib = Render();
        const int ox = Image->GetLeft(), oy = Image->GetTop();
        EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Top), kRed);
        EXPECT_EQ(dib->Color(ox + r.Right - 1, oy + r.Bottom - 1), kRed);
        if (r.Right < Image->GetWidth()) { EXPECT_EQ(dib->Color(ox + r.Right, oy + r.Top), kWhite); }
        if (r.Bottom < Image->GetHeight()) { EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Bottom), kWhite); }
        if (r.Left > 0) { EXPECT_EQ(dib->Color(ox + r.Left - 1, oy + r.Top), kWhite); }
        if (r.Top > 0) { EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Top - 1), kWhite); }
    }
    testsupport::TPlainForm* Form = nullptr;
    TVeskImage* Image = nullptr;
};

}  // namespace

TEST_F(ImageTest, PictureIsPlacedAtItsOwnSizeFittedOrCentred) {
    const struct {
        int W, H, ControlH;
        bool Stretch, Center;
        TRect Expected;
    } cases[] = {
        {60, 30, 105, false, false, TRect(0, 0, 60, 30)},
        {60, 30, 105, false, true, TRect(22, 37, 82, 67)},
        {60, 30, 105, true, false, TRect(0, 0, 105, 52)},
        {30, 60, 105, true, false, TRect(0, 0, 52, 105)},  // portrait: the height fills
        // A picture whose fitted height would overflow is fitted by its height instead.
        {60, 30, 40, true, false, TRect(0, 0, 80, 40)},
        {60, 30, 40, true, true, TRect(12, 0, 92, 40)},
        // A larger picture is always scaled down.
        {300, 400, 105, false, false, TRect(0, 0, 78, 105)},
        {400, 100, 105, false, false, TRect(0, 0, 105, 26)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        Image->SetBounds(10, 10, 105, c.ControlH);
        Image->SetStretch(c.Stretch);
        Image->SetCenter(c.Center);
        ShowPng(c.W, c.H);
        ExpectPictureAt(c.Expected);
    }
}

TEST_F(ImageTest, SettersActOnlyOnAChangeAndEveryPictureChangeRepaints) {
    ShowPng(60, 30);
    Form->Show();
    Form->Update();
    int paints = 0;
    Image->OnBeforePaint = [&](TObject*, TCanvas*) { ++paints; };
    Image->SetCenter(false);
    Image->SetStretch(false);
    EXPECT_EQ(paints, 0);
    Image->SetCenter(true);
    Image->SetStretch(true);
    ShowPng(10, 10);
    EXPECT_EQ(paints, 3);
    // So does emptying it: the old picture must not stay on the screen.
    bool sawGraphic = true;
    Image->OnAfterPaint = [&](TObject*, TCanvas*) { sawGraphic = Image->GetPicture()->GetGraphic() != nullptr; };
    Image->GetPicture()->SetGraphic(nullptr);
    EXPECT_EQ(paints, 4);
    EXPECT_FALSE(sawGraphic);
    ShowPng(20, 20);
    TPicture empty;
    Image->SetPicture(&empty);
    EXPECT_EQ(paints, 6);
}

TEST_F(ImageTest, SetPictureCopiesAndAutoSizeFollowsButNotAnEmptyPicture) {
    Image->SetAutoSize(true);
    EXPECT_EQ(Image->GetWidth(), 105);  // nothing to size to yet
    {
        TPicture source;
        source.SetGraphic(Strip(60, 30, {kRed}).get());
        Image->SetPicture(&source);
    }
    EXPECT_EQ(Image->GetBoundsRect(), TRect(10, 10, 70, 40));
    ExpectPictureAt(TRect(0, 0, 60, 30));
    Image->GetPicture()->SetGraphic(nullptr);
    EXPECT_EQ(Image->GetBoundsRect(), TRect(10, 10, 70, 40));
}

TEST_F(ImageTest, PngBlendsOtherGraphicsStretchAndATransparentControlShowsTheForm) {
    Image->GetPicture()->SetGraphic(Strip(20, 20, {RGB(0, 0, 255)}, {128}).get());
    // Half blue over the white background: (255·127 + 127) div 255 = 127 for red and green.
    EXPECT_EQ(Render()->Color(15, 15), RGB(127, 127, 255));

    TBitmap bmp;
    bmp.SetSize(200, 100);
    bmp.GetCanvas()->GetBrush()->SetColor(clRed);
    bmp.GetCanvas()->FillRect(TRect(0, 0, 200, 100));
    Image->GetPicture()->SetGraphic(&bmp);
    ExpectPictureAt(TRect(0, 0, 105, 52));

    // A transparent control shows the form around the picture.
    Image->SetTransparent(true);
    ShowPng(20, 20);
    auto dib = Render();
    EXPECT_EQ(dib->Color(15, 15), kRed);
    EXPECT_EQ(dib->Color(60, 60), kGrey);
}

TEST_F(ImageTest, HooksPaintOnTheBufferBeforeAndAfterThePicture) {
    std::vector<std::wstring> log;
    Image->OnBeforePaint = [&](TObject*, TCanvas* c) {
        log.push_back(L"before");
        // The background is ready: the control's colour.
        EXPECT_EQ(c->GetPixel(50, 50) & 0xFFFFFF, kWhite);
        c->GetBrush()->SetColor(clLime);
        c->FillRect(TRect(0, 0, 105, 105));
    };
    Image->OnAfterPaint = [&](TObject*, TCanvas* c) {
        log.push_back(L"after");
        c->GetBrush()->SetColor(clBlue);
        c->FillRect(TRect(0, 0, 10, 10));
    };
    // No picture (the advertisement panel): both hooks still run. With one, it goes between them.
    for (bool picture : {false, true}) {
        if (picture) ShowPng(30, 30);
        log.clear();
        auto dib = Render();
        EXPECT_EQ(log, (std::vector<std::wstring>{L"before", L"after"}));
        EXPECT_EQ(dib->Color(15, 15), RGB(0, 0, 255));
        EXPECT_EQ(dib->Color(30, 30), picture ? kRed : RGB(0, 255, 0));
        EXPECT_EQ(dib->Color(60, 60), RGB(0, 255, 0));
    }
}

TEST_F(ImageTest, LoadingThePictureReportsItsStartAndEnd) {
    struct Step {
        TObject* Sender;
        TProgressStage Stage;
        int Percent;
        bool RedrawNow;
        TRect R;
        bool operator==(const Step&) const = default;
    };
    std::vector<Step> steps;
    Image->OnProgress = [&](TObject* s, TProgressStage Stage, uint8_t Percent, bool RedrawNow, const TRect& R,
                            const std::wstring&) { steps.push_back({s, Stage, Percent, RedrawNow, R}); };
    const std::vector<uint8_t> data = Strip(30, 20, {kRed})->SaveToBytes();
    Image->GetPicture()->LoadFromMemory(data.data(), data.size());
    TObject* graphic = Image->GetPicture()->GetGraphic();
    EXPECT_EQ(steps, (std::vector<Step>{{graphic, fw::psStarting, 0, false, TRect()},
                                        {graphic, fw::psEnding, 100, true, TRect(0, 0, 30, 20)}}));

    // A load that fails still ends, without anything to redraw; the picture keeps its graphic.
    steps.clear();
    std::vector<uint8_t> broken(data.begin(), data.begin() + 40);
    EXPECT_THROW(Image->GetPicture()->LoadFromMemory(broken.data(), broken.size()), EInvalidGraphic);
    ASSERT_EQ(steps.size(), 2u);
    TObject* failed = steps[0].Sender;
    EXPECT_EQ(steps, (std::vector<Step>{{failed, fw::psStarting, 0, false, TRect()},
                                        {failed, fw::psEnding, 0, false, TRect()}}));
    EXPECT_EQ(Image->GetPicture()->GetGraphic(), graphic);
}

TEST_F(ImageTest, AutoSizeStaysWithinTheSizeLimits) {
    Image->GetConstraints()->SetMaxWidth(40);
    Image->GetConstraints()->SetMinHeight(50);
    EXPECT_EQ(Image->GetBoundsRect(), TRect(10, 10, 50, 115));
    Image->SetAutoSize(true);
    ShowPng(60, 30);
    EXPECT_EQ(Image->GetBoundsRect(), TRect(10, 10, 50, 60));
    Image->GetConstraints()->SetMaxWidth(0);
    Image->GetConstraints()->SetMinHeight(0);
    EXPECT_EQ(Image->GetBoundsRect(), TRect(10, 10, 70, 40));
}
