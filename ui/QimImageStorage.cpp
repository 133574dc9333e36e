#include "QimImageStorage.h"

#include "fw_jpeg.h"
#include "fw_png.h"

using namespace fw;

TQimImageItem::TQimImageItem(TCollection* ACollection)
    : TCollectionItem(ACollection), FPicture(std::make_unique<TPicture>()) {
    // Pictures loaded into the item's own picture (the form loader does so) count as set.
    FPicture->OnChange = [this](TObject*) { UpdateFormat(); };
}

TQimImageItem::~TQimImageItem() {
    FPicture->OnChange = nullptr;
}

void TQimImageItem::SetPicture(TPicture* Value) {
    if (Value == FPicture.get()) return;
    FPicture->Assign(Value);
    UpdateFormat();
}

int TQimImageItem::GetWidth() const {
    TGraphic* g = FPicture->GetGraphic();
    return g && !g->GetEmpty() ? g->GetWidth() : 0;
}

int TQimImageItem::GetHeight() const {
    TGraphic* g = FPicture->GetGraphic();
    return g && !g->GetEmpty() ? g->GetHeight() : 0;
}

void TQimImageItem::UpdateFormat() {
    TGraphic* g = FPicture->GetGraphic();
    if (!g || g->GetEmpty()) return;
    if (dynamic_cast<TIcon*>(g))
        FFormat = QimICON;
    else if (dynamic_cast<TJPEGImage*>(g))
        FFormat = QimJPG;
    else if (dynamic_cast<TBitmap*>(g))
        FFormat = QimBMP;
    else if (dynamic_cast<TPngImage*>(g))
        FFormat = QimPNG;
}

void TQimImageItem::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TQimImageItem*>(Source)) {
        SetPicture(src->FPicture.get());
        return;
    }
    TCollectionItem::Assign(Source);
}

TQimImageStorage::TQimImageStorage(TComponent* AOwner)
    : TComponent(AOwner), FImages(std::make_unique<TQimImageCollection>(this)) {}

TQimImageStorage::~TQimImageStorage() {
    FImages.reset();
}
