// A list of named PNG images drawn by index, with a greyed rendering for disabled items.
#pragma once

#include "fw_png.h"

#include <memory>
#include <string>

// What the tray icon and the popup menu need of an image list: the nominal image size, the
// number of images, and one image drawn at a point or handed out as an icon. Both PNG list
// families implement it, so either serves the menu's item images and the tray's animation frames.
class TVeskCustomImageList : public fw::TComponent {
public:
    using fw::TComponent::TComponent;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual int GetCount() const = 0;
    // Draws image Index at its own size with its top-left corner at (X, Y); greyed when not
    // Enabled. An index outside the list draws nothing.
    virtual void Draw(fw::TCanvas* Canvas, int X, int Y, int Index, bool Enabled) = 0;
    // Puts image Index into Icon; an index outside the list or an empty image leaves it alone.
    virtual void GetIcon(int Index, fw::TIcon* Icon) = 0;
};

// A new icon of the picture's own size with its colours and transparency (nullptr for an empty
// picture); the caller owns it.
HICON CreateIconFromPng(const fw::TPngImage* Png);

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

class TVeskStdImageList : public TVeskCustomImageList {
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

    void Draw(fw::TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true) override;
    int Count() const { return FItems ? FItems->GetCount() : 0; }

    int GetWidth() const override { return FImgWidth; }
    int GetHeight() const override { return FImgHeight; }
    int GetCount() const override { return Count(); }
    void GetIcon(int Index, fw::TIcon* Icon) override;

private:
    int FImgHeight = 16;
    int FImgWidth = 16;
    std::unique_ptr<TVeskPngImageItems> FItems;
};
