#include "VeskStdImageList.h"

#include "VeskDrawing.h"

using namespace fw;

TVeskPngImageItem::TVeskPngImageItem(TCollection* ACollection)
    : TCollectionItem(ACollection), FPng(std::make_unique<TPngImage>()) {
    FName = L"PngImage" + std::to_wstring(GetIndex());
}

TVeskPngImageItem::~TVeskPngImageItem() = default;

void TVeskPngImageItem::SetPng(TPngImage* Value) {
    if (Value == FPng.get()) return;
    FPng->Assign(Value);
}

std::wstring TVeskPngImageItem::GetDisplayName() const {
    return FName.empty() ? TCollectionItem::GetDisplayName() : FName;
}

void TVeskPngImageItem::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TVeskPngImageItem*>(Source)) {
        if (src == this) return;
        FPng->Assign(src->FPng.get());
        FName = src->FName;
        return;
    }
    TCollectionItem::Assign(Source);
}

TVeskStdImageList::TVeskStdImageList(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TVeskPngImageItems>(this)) {}

TVeskStdImageList::~TVeskStdImageList() {
    if (FItems) FItems->Clear();
    FItems.reset();
}

void TVeskStdImageList::SetItems(TVeskPngImageItems* Value) {
    FItems->Assign(Value);
}

void TVeskStdImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
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
    GreyPng(&grey, 255);
    grey.Draw(Canvas, r);
}
