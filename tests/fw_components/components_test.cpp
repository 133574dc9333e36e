// Component model: ownership and destruction order, free notification across owners, names and
// collections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw_classes.h"

using namespace fw;

namespace {

std::vector<std::wstring> gLog;

class TLogged : public TComponent {
public:
    FW_CLASSNAME(TLogged)
    using TComponent::TComponent;
    ~TLogged() override { gLog.push_back(L"~" + GetName()); }
    TComponent* Ref = nullptr;
    std::vector<std::wstring> Removed;
    void SetRef(TComponent* Value) {
        if (Ref) Ref->RemoveFreeNotification(this);
        Ref = Value;
        if (Ref) Ref->FreeNotification(this);
    }

protected:
    void BeforeDestruction() override {
        // Reached on the complete object (ClassName is the derived class's), the owner already
        // marked as destroying.
        bool ownerGoing = GetOwner() && GetOwner()->IsDestroying();
        gLog.push_back(L"before " + GetName() + L" " + ClassName() + (ownerGoing ? L" (owner going)" : L""));
        TComponent::BeforeDestruction();
    }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) {
            Removed.push_back(AComponent->GetName());
            if (AComponent == Ref) Ref = nullptr;
        }
    }
};

class TLoggedChild : public TLogged {
public:
    FW_CLASSNAME(TLoggedChild)
    using TLogged::TLogged;
};

TLogged* Make(TComponent* owner, const std::wstring& name) {
    auto* c = new TLogged(owner);
    c->SetName(name);
    return c;
}

}  // namespace

TEST(Components, OwnerFreesItsComponentsLastFirstAfterItsOwnBeforeDestruction) {
    gLog.clear();
    TLogged* owner = Make(nullptr, L"owner");
    Make(owner, L"a");
    auto* b = new TLoggedChild(owner);
    b->SetName(L"b");
    Make(owner, L"c");
    owner->Free();
    std::vector<std::wstring> expected = {L"before owner TLogged", L"before c TLogged (owner going)", L"~c",
                                          L"before b TLoggedChild (owner going)", L"~b",
                                          L"before a TLogged (owner going)", L"~a", L"~owner"};
    EXPECT_EQ(gLog, expected);
}

TEST(Components, FreeNotificationReachesRegisteredHoldersAndSiblingsOnly) {
    TLogged* formA = Make(nullptr, L"formA");
    TLogged* formB = Make(nullptr, L"formB");
    TLogged* painter = Make(formA, L"painter");
    TLogged* sibling = Make(formA, L"sibling");
    TLogged* first = Make(formB, L"first");
    TLogged* second = Make(formB, L"second");
    TLogged* distant = Make(formB, L"distant");
    // Across owners: a replaced reference is unregistered, the current one cleared at its death.
    painter->SetRef(first);
    painter->SetRef(second);
    first->Free();
    EXPECT_EQ(painter->Ref, second);
    second->Free();
    EXPECT_EQ(painter->Ref, nullptr);
    EXPECT_EQ(painter->Removed, std::vector<std::wstring>{L"second"});
    // Without FreeNotification only the owner's components hear of a death.
    painter->Ref = distant;
    sibling->Free();
    distant->Free();
    EXPECT_EQ(painter->Removed, (std::vector<std::wstring>{L"second", L"sibling"}));
    EXPECT_EQ(formA->Removed, std::vector<std::wstring>{L"sibling"});
    painter->Ref = nullptr;
    // The holder dies first: the target's later death finds no stale entry.
    TLogged* resource = Make(formB, L"resource");
    painter->SetRef(resource);
    painter->Free();
    resource->Free();
    formA->Free();
    formB->Free();
}

TEST(Components, NamesAreUniquePerOwnerAndFoundWithoutCase) {
    TLogged* owner = Make(nullptr, L"owner");
    TLogged* a = Make(owner, L"Button1");
    EXPECT_EQ(owner->FindComponent(L"button1"), a);
    EXPECT_EQ(owner->FindComponent(L"Button2"), nullptr);
    EXPECT_THROW(Make(owner, L"BUTTON1"), Exception);
    EXPECT_THROW(a->SetName(L"1abc"), Exception);
    TLogged* other = Make(nullptr, L"other");
    EXPECT_NO_THROW(Make(other, L"Button1"));
    owner->Free();
    other->Free();
}

// ---------------------------------------------------------------------------------------------

namespace {

class TNamedItem : public TCollectionItem {
public:
    FW_CLASSNAME(TNamedItem)
    explicit TNamedItem(TCollection* c) : TCollectionItem(c), Name(L"Item" + std::to_wstring(GetIndex())) {}
    std::wstring Name;
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TNamedItem*>(Source)) {
            Name = s->Name;
            return;
        }
        TCollectionItem::Assign(Source);
    }
};

using TNamedCollection = TTypedCollection<TNamedItem>;

}  // namespace

TEST(Collections, OrderIndexDeletionAndAssignment) {
    TNamedCollection c(nullptr);
    TNamedItem* a = c.Add();
    TNamedItem* b = c.Add();
    TNamedItem* d = c.Add();
    d->SetIndex(0);
    EXPECT_EQ(c.GetItem(0), d);
    EXPECT_EQ(a->GetIndex(), 1);
    c.Delete(1);
    EXPECT_EQ(c.GetItem(1), b);
    EXPECT_THROW(c.GetItem(2), EListError);
    // An item deleted directly leaves its collection.
    delete d;
    ASSERT_EQ(c.Count(), 1);
    // Assign copies the items; other classes are refused.
    TNamedCollection copy(nullptr);
    copy.Add()->Name = L"old";
    b->Name = L"x";
    c.Add()->Name = L"y";
    copy.Assign(&c);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetItem(0)->Name, L"x");
    EXPECT_EQ(copy.GetItem(1)->Name, L"y");
    TLogged comp(nullptr);
    EXPECT_THROW(copy.Assign(&comp), EConvertError);
    EXPECT_THROW(copy.GetItem(0)->Assign(&comp), EConvertError);
}
