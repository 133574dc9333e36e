// The picture control: where the picture lands (own size, fitted, centred), automatic sizing,
// PNG and other graphics, and the paint hooks around the picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskImage.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

using namespace fw;
using testsupport::DibSurface;

namespace {

class TTestForm : public TForm {
public:
    FW_CLASSNAME(TTestForm)
    TTestForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
};

const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGrey = RGB(0x40, 0x40, 0x40);

std::unique_ptr<TPngImage> SolidPng(int w, int h, TColor c, uint8_t alpha = 255) {
    auto png = std::make_unique<TPngImage>();
    png->CreateBlank(png::COLOR_RGBALPHA, 8, w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = png->Scanline(y);
        uint8_t* a = png->AlphaScanline(y);
        for (int x = 0; x < w; ++x) {
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
            a[x] = alpha;
        }
    }
    return png;
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->OnException = [this](TObject*, const Exception& e) { Errors.push_back(e.Message); };
        Form = TForm::CreateNew<TTestForm>(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 200, 150);
        Form->SetColor(kGrey);
        Alive = Form->AliveToken();
        Image = new TVeskImage(Form);
        Image->SetLeft(10);
        Image->SetTop(10);
        Image->SetColor(clWhite);
        Image->SetParent(Form);
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        Application->OnException = nullptr;
        EXPECT_TRUE(Errors.empty());
    }
    // The control's own pixels (control coordinates).
    std::unique_ptr<DibSurface> Render() {
        auto dib = std::make_unique<DibSurface>(200, 150);
        Form->PaintTo(dib->Dc(), 0, 0);
        return dib;
    }
    void ShowPng(int w, int h) {
        auto png = SolidPng(w, h, clRed);
        Image->GetPicture()->SetGraphic(png.get());
    }
    // Checks that the red picture covers exactly the rectangle inside the control.
    void ExpectPictureAt(const TRect& r) {
        EXPECT_EQ(Image->DestRect(), r);
        auto dib = Render();
        const int ox = Image->GetLeft(), oy = Image->GetTop();
        EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Top), kRed);
        EXPECT_EQ(dib->Color(ox + r.Right - 1, oy + r.Bottom - 1), kRed);
        if (r.Right < Image->GetWidth()) {
            EXPECT_EQ(dib->Color(ox + r.Right, oy + r.Top), kWhite);
        }
        if (r.Bottom < Image->GetHeight()) {
            EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Bottom), kWhite);
        }
        if (r.Left > 0) {
            EXPECT_EQ(dib->Color(ox + r.Left - 1, oy + r.Top), kWhite);
        }
        if (r.Top > 0) {
            EXPECT_EQ(dib->Color(ox + r.Left, oy + r.Top - 1), kWhite);
        }
    }
    TTestForm* Form = nullptr;
    TVeskImage* Image = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
};

}  // namespace

TEST_F(ImageTest, ANewControlIsAnOpaque105SquareWithNoPicture) {
    EXPECT_EQ(Image->GetWidth(), 105);
    EXPECT_EQ(Image->GetHeight(), 105);
    EXPECT_TRUE(Image->GetControlStyle() & csOpaque);
    EXPECT_FALSE(Image->GetStretch());
    EXPECT_FALSE(Image->GetCenter());
    EXPECT_FALSE(Image->GetTransparent());
    EXPECT_EQ(Image->GetPicture()->GetGraphic(), nullptr);
}

TEST_F(ImageTest, ASmallPictureIsDrawnAtItsOwnSizeTopLeftOrCentred) {
    ShowPng(60, 30);
    ExpectPictureAt(TRect(0, 0, 60, 30));
    Image->SetCenter(true);
    ExpectPictureAt(TRect(22, 37, 82, 67));
}

TEST_F(ImageTest, StretchFitsKeepingTheAspectRatio) {
    ShowPng(60, 30);
    Image->SetStretch(true);
    ExpectPictureAt(TRect(0, 0, 105, 52));
    // Portrait: the height fills, the width follows.
    ShowPng(30, 60);
    ExpectPictureAt(TRect(0, 0, 52, 105));
    // A picture whose fitted height would overflow is fitted by its height instead.
    Image->SetBounds(10, 10, 105, 40);
    ShowPng(60, 30);
    ExpectPictureAt(TRect(0, 0, 80, 40));
    Image->SetCenter(true);
    ExpectPictureAt(TRect(12, 0, 92, 40));
}

TEST_F(ImageTest, ALargerPictureIsAlwaysScaledDown) {
    ShowPng(300, 400);
    ExpectPictureAt(TRect(0, 0, 78, 105));
    ShowPng(400, 100);
    ExpectPictureAt(TRect(0, 0, 105, 26));
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
    EXPECT_EQ(paints, 1);
    Image->SetStretch(true);
    EXPECT_EQ(paints, 2);
    // A new picture repaints at once as well.
    ShowPng(10, 10);
    EXPECT_EQ(paints, 3);
    // So does emptying it: the old picture must not stay on the screen until something else
    // repaints the control.
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

TEST_F(ImageTest, AutoSizeTakesThePicturesSizeButNotFromAnEmptyPicture) {
    Image->SetAutoSize(true);
    EXPECT_EQ(Image->GetWidth(), 105);  // nothing to size to yet
    ShowPng(60, 30);
    EXPECT_EQ(Image->GetWidth(), 60);
    EXPECT_EQ(Image->GetHeight(), 30);
    EXPECT_EQ(Image->GetLeft(), 10);
    Image->GetPicture()->SetGraphic(nullptr);
    EXPECT_EQ(Image->GetWidth(), 60);
    EXPECT_EQ(Image->GetHeight(), 30);
}

TEST_F(ImageTest, PngPicturesBlendThroughTheirAlpha) {
    auto png = SolidPng(20, 20, RGB(0, 0, 255), 128);
    Image->GetPicture()->SetGraphic(png.get());
    auto dib = Render();
    // Half blue over the white background: (255·127 + 127) div 255 = 127 for red and green.
    EXPECT_EQ(dib->Color(15, 15), RGB(127, 127, 255));
}

TEST_F(ImageTest, OtherGraphicsAreStretchDrawn) {
    TBitmap bmp;
    bmp.SetSize(200, 100);
    bmp.GetCanvas()->GetBrush()->SetColor(clRed);
    bmp.GetCanvas()->FillRect(TRect(0, 0, 200, 100));
    Image->GetPicture()->SetGraphic(&bmp);
    ExpectPictureAt(TRect(0, 0, 105, 52));
}

TEST_F(ImageTest, SetPictureCopiesThePicture) {
    auto png = SolidPng(40, 20, clRed);
    {
        TPicture source;
        source.SetGraphic(png.get());
        Image->SetPicture(&source);
    }
    ASSERT_NE(Image->GetPicture()->GetGraphic(), nullptr);
    ExpectPictureAt(TRect(0, 0, 40, 20));
}

TEST_F(ImageTest, HooksPaintOnTheBufferBeforeAndAfterThePicture) {
    std::vector<std::wstring> log;
    Image->OnBeforePaint = [&](TObject* s, TCanvas* c) {
        EXPECT_EQ(s, Image);
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
    // No picture (the advertisement panel): both hooks still run.
    auto dib = Render();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"before", L"after"}));
    EXPECT_EQ(dib->Color(15, 15), RGB(0, 0, 255));
    EXPECT_EQ(dib->Color(60, 60), RGB(0, 255, 0));
    // With a picture, it goes between them.
    ShowPng(30, 30);
    log.clear();
    dib = Render();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"before", L"after"}));
    EXPECT_EQ(dib->Color(15, 15), RGB(0, 0, 255));
    EXPECT_EQ(dib->Color(30, 30), kRed);
    EXPECT_EQ(dib->Color(60, 60), RGB(0, 255, 0));
}

TEST_F(ImageTest, TransparentControlShowsTheFormAroundThePicture) {
    Image->SetTransparent(true);
    ShowPng(20, 20);
    auto dib = Render();
    EXPECT_EQ(dib->Color(15, 15), kRed);
    EXPECT_EQ(dib->Color(60, 60), kGrey);
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
    const std::vector<uint8_t> data = SolidPng(30, 20, clRed)->SaveToBytes();
    Image->GetPicture()->LoadFromMemory(data.data(), data.size());
    TObject* graphic = Image->GetPicture()->GetGraphic();
    EXPECT_EQ(steps, (std::vector<Step>{{graphic, fw::psStarting, 0, false, TRect()},
                                        {graphic, fw::psEnding, 100, true, TRect(0, 0, 30, 20)}}));

    // A load that fails still ends, without anything to redraw; the picture keeps its graphic.
    steps.clear();
    std::vector<uint8_t> broken(data.begin(), data.begin() + 40);
    EXPECT_THROW(Image->GetPicture()->LoadFromMemory(broken.data(), broken.size()), EInvalidGraphic);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].Stage, fw::psStarting);
    EXPECT_EQ(steps[1].Stage, fw::psEnding);
    EXPECT_EQ(steps[1].Percent, 0);
    EXPECT_FALSE(steps[1].RedrawNow);
    EXPECT_EQ(Image->GetPicture()->GetGraphic(), graphic);
}
