// The Qim family's list of named PNG images, drawn by index, greyed when disabled.
#pragma once

#include "VeskStdImageList.h"
#include "fw_png.h"

#include <memory>
#include <string>

class TQimPngImageItem : public fw::TCollectionItem {
public:
    FW_CLASSNAME(TQimPngImageItem)
    explicit TQimPngImageItem(fw::TCollection* ACollection);
    ~TQimPngImageItem() override;

    fw::TPngImage* GetPng() const { return FPng.get(); }
    // Copies the given image into the item's own (nothing for the item's own image).
    void SetPng(fw::TPngImage* Value);
    const std::wstring& GetName() const { return FName; }
    void SetName(const std::wstring& Value) { FName = Value; }
    std::wstring GetDisplayName() const override;
    void Assign(fw::TPersistent* Source) override;

private:
    std::unique_ptr<fw::TPngImage> FPng;
    std::wstring FName;
};

class TQimPngImageItems : public fw::TTypedCollection<TQimPngImageItem> {
public:
    FW_CLASSNAME(TQimPngImageItems)
    explicit TQimPngImageItems(fw::TPersistent* AOwner) : TTypedCollection(AOwner) {}
    TQimPngImageItem* Items(int Index) const { return GetItem(Index); }
};

class TQimImageList : public TVeskCustomImageList {
public:
    FW_CLASSNAME(TQimImageList)
    explicit TQimImageList(fw::TComponent* AOwner);
    ~TQimImageList() override;

    int GetImgHeight() const { return FImgHeight; }
    void SetImgHeight(int Value) { FImgHeight = Value; }
    int GetImgWidth() const { return FImgWidth; }
    void SetImgWidth(int Value) { FImgWidth = Value; }
    TQimPngImageItems* GetItems() const { return FItems.get(); }
    void SetItems(TQimPngImageItems* Value);

    // Draws image Index at its own size with its top-left corner at (X, Y); greyed when not
    // Enabled. An index outside the list draws nothing.
    void Draw(fw::TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true) override;
    int Count() const { return FItems ? FItems->GetCount() : 0; }

    int GetWidth() const override { return FImgWidth; }
    int GetHeight() const override { return FImgHeight; }
    int GetCount() const override { return Count(); }
    void GetIcon(int Index, fw::TIcon* Icon) override;

private:
    int FImgHeight = 16;
    int FImgWidth = 16;
    std::unique_ptr<TQimPngImageItems> FItems;
};
