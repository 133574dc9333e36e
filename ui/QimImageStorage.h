// A store of pictures of any kind (icon, bitmap, JPEG, PNG), each with a tag and a comment.
#pragma once

#include "QimUIType.h"
#include "fw_graphics.h"

#include <memory>
#include <string>

class TQimImageItem : public fw::TCollectionItem {
public:
    FW_CLASSNAME(TQimImageItem)
    explicit TQimImageItem(fw::TCollection* ACollection);
    ~TQimImageItem() override;

    fw::TPicture* GetPicture() const { return FPicture.get(); }
    // Copies the picture; a non-empty graphic of a known kind sets Format.
    void SetPicture(fw::TPicture* Value);
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }
    int GetWidth() const;
    int GetHeight() const;
    TQimUIImageType GetFormat() const { return FFormat; }
    const std::wstring& GetComment() const { return FComment; }
    void SetComment(const std::wstring& Value) { FComment = Value; }
    void Assign(fw::TPersistent* Source) override;

private:
    void UpdateFormat();
    std::unique_ptr<fw::TPicture> FPicture;
    intptr_t FTag = 0;
    TQimUIImageType FFormat = QimUnknown;
    std::wstring FComment;
};

class TQimImageCollection : public fw::TTypedCollection<TQimImageItem> {
public:
    FW_CLASSNAME(TQimImageCollection)
    explicit TQimImageCollection(fw::TPersistent* AOwner) : TTypedCollection(AOwner) {}
    TQimImageItem* Items(int Index) const { return GetItem(Index); }
};

class TQimImageStorage : public fw::TComponent {
public:
    FW_CLASSNAME(TQimImageStorage)
    explicit TQimImageStorage(fw::TComponent* AOwner);
    ~TQimImageStorage() override;
    TQimImageCollection* GetImages() const { return FImages.get(); }
    void SetImages(TQimImageCollection* Value) { FImages->Assign(Value); }

private:
    std::unique_ptr<TQimImageCollection> FImages;
};
