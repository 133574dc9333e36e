// A list of named PNG images drawn by index, with a greyed rendering for disabled items.
#pragma once

#include "fw_png.h"

#include <memory>
#include <string>

class TVeskPngImageItem : public fw::TCollectionItem {
public:
    FW_CLASSNAME(TVeskPngImageItem)
    explicit TVeskPngImageItem(fw::TCollection* ACollection);
    ~TVeskPngImageItem() override;

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

class TVeskPngImageItems : public fw::TTypedCollection<TVeskPngImageItem> {
public:
    FW_CLASSNAME(TVeskPngImageItems)
    explicit TVeskPngImageItems(fw::TPersistent* AOwner) : TTypedCollection(AOwner) {}
    TVeskPngImageItem* Items(int Index) const { return GetItem(Index); }
};

class TVeskStdImageList : public fw::TComponent {
public:
    FW_CLASSNAME(TVeskStdImageList)
    explicit TVeskStdImageList(fw::TComponent* AOwner);
    ~TVeskStdImageList() override;

    int GetImgHeight() const { return FImgHeight; }
    void SetImgHeight(int Value) { FImgHeight = Value; }
    int GetImgWidth() const { return FImgWidth; }
    void SetImgWidth(int Value) { FImgWidth = Value; }
    TVeskPngImageItems* GetItems() const { return FItems.get(); }
    void SetItems(TVeskPngImageItems* Value);

    // Draws image Index at its own size with its top-left corner at (X, Y); greyed when not
    // Enabled. An index outside the list draws nothing.
    void Draw(fw::TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    int Count() const { return FItems ? FItems->GetCount() : 0; }

private:
    int FImgHeight = 16;
    int FImgWidth = 16;
    std::unique_ptr<TVeskPngImageItems> FItems;
};
