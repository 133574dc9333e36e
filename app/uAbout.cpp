#include "uAbout.h"

#include "PublicFuns.h"

using namespace fw;

void TfrmAbout::FormCreate(TObject* Sender) {
    TfrmBase::FormCreate(Sender);
    // No language text is meant for the version: it always shows what the executable carries.
    lblverinfo->SetCaption(AppVersionText());
}

void TfrmAbout::lblsupportclick(TObject* Sender) {
    (void)Sender;
    OpenUrl(GetHandle(), L"mailto:" + lblsupport->GetCaption());
}

void TfrmAbout::lblwebclick(TObject* Sender) {
    (void)Sender;
    OpenUrl(GetHandle(), lblweb->GetCaption());
}

int ShowAboutWindow(TComponent* Owner) {
    TfrmAbout* f = TForm::CreateForm<TfrmAbout>(Owner);
    auto alive = f->AliveToken();
    int result = mrNone;
    try {
        result = f->ShowModal();
    } catch (...) {
        if (*alive) f->Free();
        throw;
    }
    // The owner may have gone away during the modal loop (the program was shut down), taking
    // the window with it.
    if (*alive) f->Free();
    return result;
}
