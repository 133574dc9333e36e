// Component model: ownership and destruction order, free notification across owners, names,
// component state, assignment errors and collections.
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
        // Reached on the complete object: ClassName is the derived class's.
        gLog.push_back(L"before " + GetName() + L" " + ClassName());
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
    std::vector<std::wstring> expected = {L"before owner TLogged", L"before c TLogged", L"~c",
                                          L"before b TLoggedChild", L"~b", L"before a TLogged",
                                          L"~a", L"~owner"};
    EXPECT_EQ(gLog, expected);
}

TEST(Components, OwnedComponentsSeeTheirOwnerDestroying) {
    static bool ownerWasDestroying = false;
    static bool selfWasDestroying = false;
    struct TProbe : TComponent {
        using TComponent::TComponent;
        void DoDestroying() override {
            selfWasDestroying = IsDestroying();
            ownerWasDestroying = GetOwner() && GetOwner()->IsDestroying();
        }
    };
    auto* owner = new TLogged(nullptr);
    new TProbe(owner);
    owner->Free();
    EXPECT_TRUE(selfWasDestroying);
    EXPECT_TRUE(ownerWasDestroying);
}

TEST(Components, FreeNotificationAcrossOwnersClearsTheReference) {
    TLogged* formA = Make(nullptr, L"formA");
    TLogged* formB = Make(nullptr, L"formB");
    TLogged* painter = Make(formA, L"painter");
    TLogged* resource = Make(formB, L"resource");
    painter->SetRef(resource);
    resource->Free();
    EXPECT_EQ(painter->Ref, nullptr);
    EXPECT_EQ(painter->Removed, std::vector<std::wstring>{L"resource"});
    // The other way round: the holder dies first, the target's later death finds no stale entry.
    TLogged* resource2 = Make(formB, L"resource2");
    TLogged* holder = Make(formA, L"holder");
    holder->SetRef(resource2);
    holder->Free();
    resource2->Free();
    formA->Free();
    formB->Free();
}

TEST(Components, UnregisteredReferenceIsNotNotifiedButSiblingsAre) {
    TLogged* formA = Make(nullptr, L"formA");
    TLogged* formB = Make(nullptr, L"formB");
    TLogged* x = Make(formA, L"x");
    TLogged* y = Make(formA, L"y");
    TLogged* distant = Make(formB, L"distant");
    x->Ref = distant;  // no FreeNotification: set behind the setter's back
    y->Free();
    EXPECT_EQ(x->Removed, std::vector<std::wstring>{L"y"});
    EXPECT_EQ(formA->Removed, std::vector<std::wstring>{L"y"});
    x->Ref = nullptr;
    // Replacing a reference unregisters the old one.
    TLogged* first = Make(formB, L"first");
    TLogged* second = Make(formB, L"second");
    x->SetRef(first);
    x->SetRef(second);
    first->Free();
    EXPECT_EQ(x->Ref, second);
    EXPECT_EQ(x->Removed.size(), 1u);
    second->Free();
    EXPECT_EQ(x->Ref, nullptr);
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
    // A name may be reused under another owner.
    TLogged* other = Make(nullptr, L"other");
    EXPECT_NO_THROW(Make(other, L"Button1"));
    EXPECT_THROW(owner->GetComponent(5), EListError);
    owner->Free();
    other->Free();
}

TEST(Components, LoadingFlagsLastUntilLoaded) {
    TLogged c(nullptr);
    c.BeginLoading();
    EXPECT_TRUE(c.GetComponentState() & csLoading);
    EXPECT_TRUE(c.GetComponentState() & csReading);
    c.Loaded();
    EXPECT_EQ(c.GetComponentState(), 0u);
    c.Loaded();  // again at run time: harmless
    EXPECT_EQ(c.GetComponentState(), 0u);
}

TEST(Persistent, UnsupportedAssignmentNamesBothClasses) {
    TLogged a(nullptr);
    TLoggedChild b(nullptr);
    auto error = [&](TPersistent* source) -> std::wstring {
        try {
            a.Assign(source);
        } catch (const EConvertError& e) {
            return e.Message;
        }
        return L"no error";
    };
    EXPECT_EQ(error(&b), L"Cannot assign a TLoggedChild to a TLogged");
    EXPECT_EQ(error(nullptr), L"Cannot assign a nil to a TLogged");
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

class TCountingCollection : public TTypedCollection<TNamedItem> {
public:
    using TTypedCollection::TTypedCollection;
    int Updates = 0;

protected:
    void Update(TCollectionItem*) override { ++Updates; }
};

}  // namespace

TEST(Collections, ItemsKeepTheirOrderAndIndex) {
    TCountingCollection c(nullptr);
    TNamedItem* a = c.Add();
    TNamedItem* b = c.Add();
    TNamedItem* d = c.Add();
    EXPECT_EQ(a->Name, L"Item0");
    EXPECT_EQ(d->Name, L"Item2");
    EXPECT_EQ(b->GetIndex(), 1);
    d->SetIndex(0);
    EXPECT_EQ(c.GetItem(0), d);
    EXPECT_EQ(a->GetIndex(), 1);
    c.Delete(1);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.GetItem(1), b);
    EXPECT_THROW(c.GetItem(2), EListError);
    EXPECT_THROW(c.GetItem(-1), EListError);
    EXPECT_GT(c.Updates, 0);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
}

TEST(Collections, AssignCopiesItemsAndRejectsOtherClasses) {
    TCountingCollection src(nullptr), dst(nullptr);
    src.Add()->Name = L"x";
    src.Add()->Name = L"y";
    dst.Add()->Name = L"old";
    dst.Assign(&src);
    ASSERT_EQ(dst.Count(), 2);
    EXPECT_EQ(dst.GetItem(0)->Name, L"x");
    EXPECT_EQ(dst.GetItem(1)->Name, L"y");
    TLogged comp(nullptr);
    EXPECT_THROW(dst.Assign(&comp), EConvertError);
    EXPECT_THROW(dst.GetItem(0)->Assign(&comp), EConvertError);
}

TEST(Collections, DeletingAnItemDirectlyLeavesTheCollection) {
    TCountingCollection c(nullptr);
    c.Add();
    TNamedItem* b = c.Add();
    delete b;
    EXPECT_EQ(c.Count(), 1);
}
