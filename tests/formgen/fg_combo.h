// A window whose combo boxes take their `index` from the description before their items exist.
#pragma once

#include "VeskCombobox.h"
#include "fw_forms.h"

#include <string>
#include <vector>

class TFgComboForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgComboForm)
    TFgComboForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgCombo_form.h"
    // Fills cbLater the way the program fills its boxes: cleared first, then items added one by
    // one, each caption set after AddItem.
    void FormCreate(fw::TObject*) {
        cbLater->ClearItems();
        for (int i = 0; i < 4; ++i) cbLater->AddItem()->SetCaption(L"item " + std::to_wstring(i));
        IndexAtCreate = cbLater->GetIndex();
    }
    void BoxChange(fw::TObject* Sender) { Changes.push_back(Sender); }

    int IndexAtCreate = -9;
    std::vector<fw::TObject*> Changes;
};
