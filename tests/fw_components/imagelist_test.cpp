// Image lists (names, drawing by index, greyed drawing) and the image storage's picture kinds.
#include <gtest/gtest.h>

#include "QimImageList.h"
#include "QimImageStorage.h"
#include "VeskStdImageList.h"
#include "fw_jpeg.h"
#include "skin_support.h"
#include "test_support.h"

using namespace fw;
using testsupport::DibSurface;

namespace {

// An opaque picture of one colour.
std::unique_ptr<TPngImage> SolidPng(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    return testsupport::Strip(w, h, {RGB(r, g, b)});
}

COLORREF Grey(uint8_t r, uint8_t g, uint8_t b) {
    int v = static_cast<int>(RoundHalfEven(0.3L * r + 0.59L * g + 0.11L * b));
    return RGB(v, v, v);
}

template <class List>
void CheckList() {
    List list(nullptr);
    auto* first = list.GetItems()->Add();
    auto* second = list.GetItems()->Add();
    EXPECT_EQ(first->GetName(), L"PngImage0");
    EXPECT_EQ(second->GetName(), L"PngImage1");

    auto red = SolidPng(24, 24, 200, 40, 10);
    first->SetPng(red.get());
    auto small = SolidPng(4, 4, 0, 0, 255);
    second->SetPng(small.get());

    DibSurface dib(60, 40, 0xFF000000u | 0x00FFFFFF);
    TCanvas canvas(dib.Dc());
    // Drawn at its own size, although the nominal size is 16 x 16.
    list.Draw(&canvas, 2, 3, 0, true);
    EXPECT_EQ(dib.Color(2, 3), RGB(200, 40, 10));
    EXPECT_EQ(dib.Color(25, 26), RGB(200, 40, 10));
    EXPECT_EQ(dib.Color(26, 27), RGB(255, 255, 255));
    EXPECT_EQ(dib.Color(1, 3), RGB(255, 255, 255));

    // Greyed when disabled; the stored picture stays in colour.
    list.Draw(&canvas, 30, 3, 0, false);
    EXPECT_EQ(dib.Color(30, 3), Grey(200, 40, 10));
    EXPECT_EQ(dib.Color(53, 26), Grey(200, 40, 10));
    EXPECT_EQ(first->GetPng()->Scanline(0)[2], 200);

    // Out-of-range indexes draw nothing and raise nothing (drawing happens inside paints).
    dib.Fill(0xFFFFFFFFu);
    EXPECT_NO_THROW(list.Draw(&canvas, 0, 0, 2, true));
    EXPECT_NO_THROW(list.Draw(&canvas, 0, 0, -1, true));
    EXPECT_NO_THROW(list.Draw(nullptr, 0, 0, 0, true));
    EXPECT_EQ(dib.CountColor(RECT{0, 0, 60, 40}, RGB(255, 255, 255)), 60 * 40);
}

}  // namespace

TEST(ImageLists, VeskListNamesDrawsAtOwnSizeAndGreysDisabled) {
    CheckList<TVeskStdImageList>();
}

TEST(ImageLists, QimListBehavesTheSame) {
    CheckList<TQimImageList>();
}

TEST(ImageLists, ItemAssignmentCopiesPictureAndNameOnly_FromItems) {
    TVeskStdImageList list(nullptr);
    auto* a = list.GetItems()->Add();
    auto* b = list.GetItems()->Add();
    auto png = SolidPng(3, 2, 1, 2, 3);
    a->SetPng(png.get());
    a->SetName(L"arrow");
    b->Assign(a);
    EXPECT_EQ(b->GetName(), L"arrow");
    EXPECT_EQ(b->GetPng()->GetWidth(), 3);
    EXPECT_NE(b->GetPng(), a->GetPng());
    TQimImageList other(nullptr);
    auto* q = other.GetItems()->Add();
    EXPECT_THROW(b->Assign(q), EConvertError);
    // Setting the list's items copies the given collection.
    TVeskStdImageList copy(nullptr);
    copy.SetItems(list.GetItems());
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetItems()->Items(1)->GetName(), L"arrow");
}

TEST(ImageStorage, ReportsSizeAndKindOfTheLastPictureSet) {
    TQimImageStorage storage(nullptr);
    auto* item = storage.GetImages()->Add();

    TPicture pic;
    auto png = SolidPng(7, 5, 9, 9, 9);
    pic.SetGraphic(png.get());
    item->SetPicture(&pic);
    EXPECT_EQ(item->GetWidth(), 7);
    EXPECT_EQ(item->GetHeight(), 5);
    EXPECT_EQ(item->GetFormat(), QimPNG);

    TBitmap bmp;
    bmp.SetSize(4, 3);
    pic.SetGraphic(&bmp);
    item->SetPicture(&pic);
    EXPECT_EQ(item->GetFormat(), QimBMP);
    EXPECT_EQ(item->GetWidth(), 4);

    TJPEGImage jpg;
    jpg.GetBitmap()->SetSize(2, 2);
    pic.SetGraphic(&jpg);
    item->SetPicture(&pic);
    EXPECT_EQ(item->GetFormat(), QimJPG);

    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    pic.SetGraphic(&icon);
    item->SetPicture(&pic);
    EXPECT_EQ(item->GetFormat(), QimICON);
}

TEST(ImageStorage, AssigningAnEmptyItemKeepsTheTargetsKind) {
    TQimImageStorage storage(nullptr);
    auto* target = storage.GetImages()->Add();
    auto* empty = storage.GetImages()->Add();
    TPicture pic;
    auto png = SolidPng(2, 2, 0, 0, 0);
    pic.SetGraphic(png.get());
    target->SetPicture(&pic);
    target->SetTag(4);
    target->Assign(empty);
    EXPECT_EQ(target->GetFormat(), QimPNG);
    EXPECT_EQ(target->GetWidth(), 0);
    EXPECT_EQ(target->GetTag(), 4);
    TVeskStdImageList list(nullptr);
    EXPECT_THROW(target->Assign(list.GetItems()->Add()), EConvertError);
}
