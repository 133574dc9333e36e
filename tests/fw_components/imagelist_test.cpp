// Image lists (drawing by index, greyed drawing, assignment) and the image storage's picture kinds.
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

template <class List>
void CheckList() {
    SCOPED_TRACE(typeid(List).name());
    List list(nullptr);
    auto* first = list.GetItems()->Add();
    list.GetItems()->Add();
    auto red = testsupport::Strip(24, 24, {RGB(200, 40, 10)});
    first->SetPng(red.get());

    DibSurface dib(60, 40, 0xFF000000u | 0x00FFFFFF);
    TCanvas canvas(dib.Dc());
    // Drawn at its own size, although the nominal size is 16 x 16.
    list.Draw(&canvas, 2, 3, 0, true);
    EXPECT_EQ(dib.Color(2, 3), RGB(200, 40, 10));
    EXPECT_EQ(dib.Color(25, 26), RGB(200, 40, 10));
    EXPECT_EQ(dib.Color(26, 27), RGB(255, 255, 255));

    // Greyed when disabled; the stored picture stays in colour.
    const int grey = static_cast<int>(RoundHalfEven(0.3L * 200 + 0.59L * 40 + 0.11L * 10));
    list.Draw(&canvas, 30, 3, 0, false);
    EXPECT_EQ(dib.Color(53, 26), RGB(grey, grey, grey));
    EXPECT_EQ(first->GetPng()->Scanline(0)[2], 200);

    // Out-of-range indexes draw nothing and raise nothing (drawing happens inside paints).
    dib.Fill(0xFFFFFFFFu);
    EXPECT_NO_THROW(list.Draw(&canvas, 0, 0, 2, true));
    EXPECT_NO_THROW(list.Draw(&canvas, 0, 0, -1, true));
    EXPECT_NO_THROW(list.Draw(nullptr, 0, 0, 0, true));
    EXPECT_EQ(dib.CountColor(RECT{0, 0, 60, 40}, RGB(255, 255, 255)), 60 * 40);
}

}  // namespace

TEST(ImageLists, VeskAndQimListsDrawAtOwnSizeGreyDisabledAndSkipBadIndexes) {
    CheckList<TVeskStdImageList>();
    CheckList<TQimImageList>();
}

TEST(ImageLists, ItemsCopyPictureAndNameOnlyFromTheirOwnFamily) {
    TVeskStdImageList list(nullptr);
    auto* a = list.GetItems()->Add();
    auto* b = list.GetItems()->Add();
    auto png = testsupport::Strip(3, 2, {RGB(1, 2, 3)});
    a->SetPng(png.get());
    a->SetName(L"arrow");
    b->Assign(a);
    EXPECT_EQ(b->GetName(), L"arrow");
    EXPECT_EQ(b->GetPng()->GetWidth(), 3);
    EXPECT_NE(b->GetPng(), a->GetPng());
    TQimImageList other(nullptr);
    EXPECT_THROW(b->Assign(other.GetItems()->Add()), EConvertError);
}

// The form loader fills an item's own picture, so the kind must follow that too, not only SetPicture.
TEST(ImageStorage, KindFollowsThePictureLoadedIntoTheItem) {
    TQimImageStorage storage(nullptr);
    auto* item = storage.GetImages()->Add();
    auto png = testsupport::Strip(7, 5, {RGB(9, 9, 9)});
    TBitmap bmp;
    bmp.SetSize(4, 3);
    TJPEGImage jpg;
    jpg.GetBitmap()->SetSize(2, 2);
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    const std::pair<TGraphic*, TQimUIImageType> kinds[] = {
        {png.get(), QimPNG}, {&bmp, QimBMP}, {&jpg, QimJPG}, {&icon, QimICON}};
    for (const auto& [graphic, kind] : kinds) {
        item->GetPicture()->SetGraphic(graphic);
        EXPECT_EQ(item->GetFormat(), kind);
    }
    TPicture pic;
    pic.SetGraphic(png.get());
    item->SetPicture(&pic);
    EXPECT_EQ(item->GetFormat(), QimPNG);
    EXPECT_EQ(item->GetWidth(), 7);
    EXPECT_EQ(item->GetHeight(), 5);
    // An empty item assigned keeps the target's kind.
    item->Assign(storage.GetImages()->Add());
    EXPECT_EQ(item->GetFormat(), QimPNG);
    EXPECT_EQ(item->GetWidth(), 0);
}
