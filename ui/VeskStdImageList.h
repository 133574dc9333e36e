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

// What both PNG list families share: an item holds one named PNG, the collection hands items out
// by index, the list draws them. TSelf is the family's own item class, so an item takes only its
// own family's items in assignment.
template <class TSelf>
class TPngImageItemCore : public fw::TCollectionItem {
public:
    explicit TPngImageItemCore(fw::TCollection* ACollection)
        : fw::TCollectionItem(ACollection), FPng(std::make_unique<fw::TPngImage>()) {
        FName = L"PngImage" + std::to_wstring(this->GetIndex());
    }

    fw::TPngImage* GetPng() const { return FPng.get(); }
    // Copies the given image into the item's own (nothing for the item's own image).
    void SetPng(fw::TPngImage* Value) {
        if (Value == FPng.get()) return;
        FPng->Assign(Value);
    }
    const std::wstring& GetName() const { return FName; }
    void SetName(const std::wstring& Value) { FName = Value; }
    std::wstring GetDisplayName() const override {
        return FName.empty() ? fw::TCollectionItem::GetDisplayName() : FName;
    }
    void Assign(fw::TPersistent* Source) override {
        if (auto* src = dynamic_cast<TSelf*>(Source)) {
            if (src == this) return;
            FPng->Assign(src->GetPng());
            FName = src->GetName();
            return;
        }
        fw::TCollectionItem::Assign(Source);
    }

private:
    std::unique_ptr<fw::TPngImage> FPng;
    std::wstring FName;
};

template <class TItem>
class TPngImageItemsCore : public fw::TTypedCollection<TItem> {
public:
    explicit TPngImageItemsCore(fw::TPersistent* AOwner) : fw::TTypedCollection<TItem>(AOwner) {}
    TItem* Items(int Index) const { return this->GetItem(Index); }
};

// Draws Png at its own size with its top-left corner at (X, Y); a greyed copy when not Enabled.
void DrawListPng(fw::TCanvas* Canvas, int X, int Y, fw::TPngImage* Png, bool Enabled);

template <class TItems>
class TPngImageListCore : public TVeskCustomImageList {
public:
    explicit TPngImageListCore(fw::TComponent* AOwner)
        : TVeskCustomImageList(AOwner), FItems(std::make_unique<TItems>(this)) {}
    ~TPngImageListCore() override {
        if (FItems) FItems->Clear();
        FItems.reset();
    }

    int GetImgHeight() const { return FImgHeight; }
    void SetImgHeight(int Value) { FImgHeight = Value; }
    int GetImgWidth() const { return FImgWidth; }
    void SetImgWidth(int Value) { FImgWidth = Value; }
    TItems* GetItems() const { return FItems.get(); }
    void SetItems(TItems* Value) { FItems->Assign(Value); }

    void Draw(fw::TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true) override {
        // Also a negative index draws nothing: Draw runs inside paints, where an error would
        // repeat at every paint.
        if (!Canvas || Index < 0 || Index > Count() - 1) return;
        DrawListPng(Canvas, X, Y, FItems->GetItem(Index)->GetPng(), Enabled);
    }
    int Count() const { return FItems ? FItems->GetCount() : 0; }

    int GetWidth() const override { return FImgWidth; }
    int GetHeight() const override { return FImgHeight; }
    int GetCount() const override { return Count(); }
    void GetIcon(int Index, fw::TIcon* Icon) override {
        if (!Icon || Index < 0 || Index > Count() - 1) return;
        if (HICON h = CreateIconFromPng(FItems->GetItem(Index)->GetPng())) Icon->SetHandle(h);
    }

private:
    int FImgHeight = 16;
    int FImgWidth = 16;
    std::unique_ptr<TItems> FItems;
};

class TVeskPngImageItem : public TPngImageItemCore<TVeskPngImageItem> {
public:
    FW_CLASSNAME(TVeskPngImageItem)
    using TPngImageItemCore::TPngImageItemCore;
};

class TVeskPngImageItems : public TPngImageItemsCore<TVeskPngImageItem> {
public:
    FW_CLASSNAME(TVeskPngImageItems)
    using TPngImageItemsCore::TPngImageItemsCore;
};

class TVeskStdImageList : public TPngImageListCore<TVeskPngImageItems> {
public:
    FW_CLASSNAME(TVeskStdImageList)
    using TPngImageListCore::TPngImageListCore;
};
