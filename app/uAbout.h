// The about window: product name and picture, the program's version, the support mail address and
// the home page (both open when clicked), and the acknowledgements to the translators.
#pragma once

#include "VeskLabel.h"
#include "VeskNcPaintor.h"
#include "fw_stdctrls.h"
#include "uBaseForm.h"

class TfrmAbout : public TfrmBase {
public:
    FW_CLASSNAME(TfrmAbout)
    TfrmAbout(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
#include "uAbout_form.h"

    // The language texts of the base window, then the version text of the running program.
    void FormCreate(fw::TObject* Sender);
    // Starts the mail program with a new message to the support address.
    void lblsupportclick(fw::TObject* Sender);
    // Opens the home page.
    void lblwebclick(fw::TObject* Sender);
};

// The "About" command of the menus: a new about window owned by Owner, shown modally, and freed
// once it is closed, so that choosing "About" again and again does not pile up hidden windows.
// Returns the window's modal result.
int ShowAboutWindow(fw::TComponent* Owner);
