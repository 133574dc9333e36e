#include "QimImageList.h"

#include "QimDrawing.h"

using namespace fw;

TQimPngImageItem::TQimPngImageItem(TCollection* ACollection)
    : TCollectionItem(ACollection), FPng(std::make_unique<TPngImage>()) {
    FName = L"PngImage" + std::to_wstring(GetIndex());
}

TQimPngImageItem::~TQimPngImageItem() = default;

void TQimPngImageItem::SetPng(TPngImage* Value) {
    if (Value == FPng.get()) return;
    FPng->Assign(Value);
}

std::wstring TQimPngImageItem::GetDisplayName() const {
    return FName.empty() ? TCollectionItem::GetDisplayName() : FName;
}

void TQimPngImageItem::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TQimPngImageItem*>(Source)) {
        if (src == this) return;
        FPng->Assign(src->FPng.get());
        FName = src->FName;
        return;
    }
    TCollectionItem::Assign(Source);
}

TQimImageList::TQimImageList(TComponent* AOwner)
    : TVeskCustomImageList(AOwner), FItems(std::make_unique<TQimPngImageItems>(this)) {}

TQimImageList::~TQimImageList() {
    if (FItems) FItems->Clear();
    FItems.reset();
}

void TQimImageList::SetItems(TQimPngImageItems* Value) {
    FItems->Assign(Value);
}

void TQimImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    // Also a negative index draws nothing: Draw runs inside paints, where an error would repeat
    // at every paint.
    if (!Canvas || Index < 0 || Index > Count() - 1) return;
    TPngImage* png = FItems->GetItem(Index)->GetPng();
    TRect r(X, Y, X + png->GetWidth(), Y + png->GetHeight());
    if (Enabled) {
        png->Draw(Canvas, r);
        return;
    }
    TPngImage grey;
    grey.Assign(png);
    GreyenPng(&grey, 255);
    grey.Draw(Canvas, r);
}

void TQimImageList::GetIcon(int Index, TIcon* Icon) {
    if (!Icon || Index < 0 || Index > Count() - 1) return;
    if (HICON h = CreateIconFromPng(FItems->GetItem(Index)->GetPng())) Icon->SetHandle(h);
}
