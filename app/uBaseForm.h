// The base of the program's windows: when a window is created it takes the active language's
// font and the language texts of its caption, skinned buttons and skinned labels.
#pragma once

#include "fw_forms.h"

class TfrmBase : public fw::TForm {
public:
    FW_CLASSNAME(TfrmBase)
    TfrmBase(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}

    // The creation handler (OnCreate of the description): applies the language.
    void FormCreate(fw::TObject* Sender);
    // Font, character set and size of the language on the window; captions of the window, its
    // PNG buttons and skinned labels from the language file, the description's texts as the last
    // fallback. A control's Tag is a font-size offset in points against the language's size.
    virtual void ApplyLanguage();

protected:
    // Reads resources/forms/uBaseForm.form (the body is generated from that description). A
    // derived window's own description inherits it and replaces this.
    bool ReadDescription() override;
};
