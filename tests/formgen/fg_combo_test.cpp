// A combo box's `index` from a form description: it waits for its item, which the window adds
// after loading, and selects it without OnChange.
#include <gtest/gtest.h>

#include "fg_combo.h"
#include "window_test.h"

using namespace fw;

class ComboDescriptionTest : public testsupport::WindowTest {};

TEST_F(ComboDescriptionTest, IndexSetBeforeTheItemsExistSelectsItsItemOnceAdded) {
    auto* f = Own(TForm::CreateForm<TFgComboForm>(Application));
    EXPECT_EQ(f->IndexAtCreate, 2);
    EXPECT_EQ(f->cbLater->Getindex(), 2);
    EXPECT_EQ(f->cbLater->GetText(), L"item 2") << "the caption set after AddItem shows";
    EXPECT_TRUE(f->Changes.empty()) << "the description's value is no change";
    EXPECT_EQ(f->cbOverruled->GetIndex(), -1);
    EXPECT_EQ(f->cbOverruled->GetText(), L"");

    // Once applied, the value is spent: refilling the box selects nothing by itself, and a
    // selection made by the program fires OnChange as always.
    f->cbLater->ClearItems();
    f->cbLater->AddItem()->SetCaption(L"a");
    f->cbLater->AddItem()->SetCaption(L"b");
    f->cbLater->AddItem()->SetCaption(L"c");
    EXPECT_EQ(f->cbLater->GetIndex(), -1);
    f->cbLater->Setindex(1);
    EXPECT_EQ(f->cbLater->GetText(), L"b");
    ASSERT_EQ(f->Changes.size(), 1u);
    EXPECT_EQ(f->Changes[0], f->cbLater->GetItem(1));
    // Renaming the selected item no longer changes the shown text.
    f->cbLater->GetItem(1)->SetCaption(L"renamed");
    EXPECT_EQ(f->cbLater->GetText(), L"b");

    // A selection made by the program before the kept value's item arrives overrules it.
    TVeskCombobox* b = f->cbOverruled;
    b->AddItem()->SetCaption(L"x");
    EXPECT_EQ(b->GetIndex(), -1);
    b->SetIndex(0);
    EXPECT_EQ(f->Changes.size(), 2u);
    b->AddItem()->SetCaption(L"y");
    EXPECT_EQ(b->GetIndex(), 0);
    EXPECT_EQ(b->GetText(), L"x");
}
