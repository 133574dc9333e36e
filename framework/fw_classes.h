// Component model: TObject, TPersistent, TComponent (ownership, names, free notification,
// component state) and TCollection/TCollectionItem.
#pragma once

#include "fw_base.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fw {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class name as the program spells it; window classes and language keys are built from it.
    virtual std::wstring ClassName() const { return L"TObject"; }

    // Runs BeforeDestruction on the complete object, then deletes it. The only way objects of the
    // component tree are destroyed from outside.
    void Free();

protected:
    // Called by Free() while the object is still complete (virtual calls reach the most derived class).
    virtual void BeforeDestruction() {}
    // True once the destruction sequence has begun: a second Free() is ignored.
    virtual bool DestructionStarted() const { return false; }
};

// Declares ClassName() for a class; used inside the class body.
#define FW_CLASSNAME(name) \
    std::wstring ClassName() const override { return L## #name; }

// Frees the object (if any) and clears the pointer first, so handlers reached during the
// destruction see no dangling pointer.
template <class T>
void FreeAndNil(T*& p) {
    T* tmp = p;
    p = nullptr;
    if (tmp) tmp->Free();
}

class TPersistent : public TObject {
public:
    FW_CLASSNAME(TPersistent)
    // Copies Source into this object; unsupported pairs raise EConvertError.
    virtual void Assign(TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

enum TComponentStateFlag : unsigned {
    csLoading = 0x01,
    csReading = 0x02,
    csWriting = 0x04,
    csDestroying = 0x08,
    csDesigning = 0x10,  // never set: there is no design time
    csUpdating = 0x20,
};
using TComponentState = unsigned;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
    FW_CLASSNAME(TComponent)
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* GetOwner() const { return FOwner; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* GetComponent(int Index) const;
    int GetComponentIndex() const;
    TComponent* FindComponent(const std::wstring& AName) const;

    const std::wstring& GetName() const { return FName; }
    virtual void SetName(const std::wstring& NewName);
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }

    TComponentState GetComponentState() const { return FComponentState; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

    // Marks the component as being read from a description (csLoading | csReading) until Loaded.
    void BeginLoading() { FComponentState |= csLoading | csReading; }
    // Called once per created component after its description was read; may be called again
    // at run time by the program itself.
    virtual void Loaded();

    // AComponent will receive Notification(this, opRemove) when this component dies, and this
    // component is told when AComponent dies, so neither keeps a dangling entry.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, the most recently created first.
    void DestroyComponents();

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    void BeforeDestruction() override;
    bool DestructionStarted() const override { return FCleanedUp; }
    // Hook for the destruction sequence after the owned components were freed and before the
    // free notifications go out (controls leave their parent and destroy their window here).
    virtual void DestroyingResources() {}
    // Hook at the start of the destruction sequence (forms fire OnDestroy here).
    virtual void DoDestroying() {}
    void SetComponentStateFlags(TComponentState Add, TComponentState Remove) {
        FComponentState = (FComponentState | Add) & ~Remove;
    }

private:
    void SendFreeNotifications();
    friend class TCollection;

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    std::wstring FName;
    intptr_t FTag = 0;
    TComponentState FComponentState = 0;
    bool FCleanedUp = false;
};

class TCollection;

class TCollectionItem : public TPersistent {
public:
    FW_CLASSNAME(TCollectionItem)
    explicit TCollectionItem(TCollection* ACollection);
    ~TCollectionItem() override;

    TCollection* GetCollection() const { return FCollection; }
    int GetIndex() const;
    void SetIndex(int Value);
    int GetID() const { return FID; }
    virtual std::wstring GetDisplayName() const { return ClassName(); }

protected:
    // Tells the collection this item changed (AllItems: every item is affected).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
public:
    FW_CLASSNAME(TCollection)
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    TCollection(TPersistent* AOwner, TItemFactory Factory);
    ~TCollection() override;

    TPersistent* GetOwner() const { return FOwner; }
    int GetCount() const { return static_cast<int>(FItems.size()); }
    int Count() const { return GetCount(); }
    TCollectionItem* GetItem(int Index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    void Assign(TPersistent* Source) override;
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

protected:
    // Item is the changed item, or null when the whole collection changed.
    virtual void Update(TCollectionItem* Item) { (void)Item; }
    virtual void Notify(TCollectionItem* Item, TOperation Operation) { (void)Item; (void)Operation; }
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TPersistent* FOwner;
    TItemFactory FFactory;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection whose items are of class T (constructed as T(Collection)).
template <class T>
class TTypedCollection : public TCollection {
public:
    explicit TTypedCollection(TPersistent* AOwner)
        : TCollection(AOwner, [](TCollection* c) -> TCollectionItem* { return new T(c); }) {}
    T* GetItem(int Index) const { return static_cast<T*>(TCollection::GetItem(Index)); }
    T* Add() { return static_cast<T*>(TCollection::Add()); }
};

}  // namespace fw
