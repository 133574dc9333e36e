#include "fw_classes.h"

#include <algorithm>
#include <cwctype>

namespace fw {

void TObject::Free() {
    if (DestructionStarted()) return;
    BeforeDestruction();
    delete this;
}

// ---------------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    std::wstring sourceName = Source ? Source->ClassName() : std::wstring(L"nil");
    throw EConvertError(L"Cannot assign a " + sourceName + L" to a " + ClassName());
}

// ---------------------------------------------------------------------------------------------
// TComponent

namespace {

bool SameNameCI(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

void EraseOne(std::vector<TComponent*>& v, TComponent* c) {
    auto it = std::find(v.begin(), v.end(), c);
    if (it != v.end()) v.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // A component destroyed without Free() (a stack object in a test, or an owner's bare
    // delete) still gets the complete clean-up, only without the derived classes' parts.
    if (!FCleanedUp) TComponent::BeforeDestruction();
}

TComponent* TComponent::GetComponent(int Index) const {
    if (Index < 0 || Index >= GetComponentCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::GetComponentIndex() const {
    if (!FOwner) return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(const std::wstring& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameNameCI(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::SetName(const std::wstring& NewName) {
    if (NewName == FName) return;
    if (!NewName.empty()) {
        bool valid = std::iswalpha(NewName[0]) || NewName[0] == L'_';
        for (wchar_t ch : NewName)
            if (!(std::iswalnum(ch) || ch == L'_')) valid = false;
        if (!valid) throw Exception(L"'" + NewName + L"' is not a valid component name");
        if (FOwner) {
            TComponent* other = FOwner->FindComponent(NewName);
            if (other && other != this)
                throw Exception(L"A component named " + NewName + L" already exists");
        }
    }
    FName = NewName;
}

void TComponent::Loaded() {
    FComponentState &= ~static_cast<TComponentState>(csLoading | csReading);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
        AComponent->FFreeNotifies.end())
        AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    EraseOne(FFreeNotifies, AComponent);
    EraseOne(AComponent->FFreeNotifies, this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent) return;
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    if (!AComponent->FName.empty()) {
        TComponent* other = FindComponent(AComponent->FName);
        if (other) throw Exception(L"A component named " + AComponent->FName + L" already exists");
    }
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    EraseOne(FComponents, AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // The component leaves the list itself (after notifying its siblings); the check keeps
        // the loop finite should it not.
        c->Free();
        if (!FComponents.empty() && FComponents.back() == c) FComponents.pop_back();
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    (void)AComponent;
    (void)Operation;
}

void TComponent::SendFreeNotifications() {
    std::vector<TComponent*> targets;
    if (FOwner) {
        targets.push_back(FOwner);
        for (TComponent* c : FOwner->FComponents)
            if (c != this) targets.push_back(c);
    }
    for (TComponent* c : FFreeNotifies)
        if (std::find(targets.begin(), targets.end(), c) == targets.end()) targets.push_back(c);
    // Unlink first: a notified component may itself register or unregister.
    for (TComponent* c : FFreeNotifies) EraseOne(c->FFreeNotifies, this);
    FFreeNotifies.clear();
    for (TComponent* c : targets) {
        // A target destroyed by an earlier notification would have left the owner's list;
        // only live targets (still owned, or still in a list) are reached.
        if (c->FCleanedUp) continue;
        c->Notification(this, opRemove);
    }
}

void TComponent::BeforeDestruction() {
    if (FCleanedUp) return;
    FCleanedUp = true;
    FComponentState |= csDestroying;
    DoDestroying();
    DestroyComponents();
    DestroyingResources();
    SendFreeNotifications();
    if (FOwner) FOwner->RemoveComponent(this);
}

// ---------------------------------------------------------------------------------------------
// TCollection

TCollectionItem::TCollectionItem(TCollection* ACollection) {
    if (ACollection) ACollection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

int TCollectionItem::GetIndex() const {
    if (!FCollection) return -1;
    auto& v = FCollection->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int cur = GetIndex();
    if (cur < 0 || Value == cur) return;
    auto& v = FCollection->FItems;
    if (Value < 0) Value = 0;
    if (Value >= static_cast<int>(v.size())) Value = static_cast<int>(v.size()) - 1;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TPersistent* AOwner, TItemFactory Factory)
    : FOwner(AOwner), FFactory(std::move(Factory)) {}

TCollection::~TCollection() {
    FUpdateCount = 1;  // no Update calls into a half-destroyed owner
    while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = FFactory(this);
    if (item->FCollection != this) InsertItem(item);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = GetItem(Index);
    delete item;
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

void TCollection::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    try {
        while (!FItems.empty()) delete FItems.back();
        for (TCollectionItem* it : src->FItems) Add()->Assign(it);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
    if (Item->FCollection && Item->FCollection != this) Item->FCollection->RemoveItem(Item);
    if (Item->FCollection == this) return;
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, opInsert);
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) return;
    if (FUpdateCount == 0) Notify(Item, opRemove);
    FItems.erase(it);
    Item->FCollection = nullptr;
    Changed();
}

}  // namespace fw
