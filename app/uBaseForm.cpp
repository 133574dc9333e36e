#include "uBaseForm.h"

#include "PublicFuns.h"
#include "VeskLabel.h"
#include "VeskPngButton.h"

using namespace fw;

void TfrmBase::FormCreate(TObject* Sender) {
    (void)Sender;
    ApplyLanguage();
}

void TfrmBase::ApplyLanguage() {
    TFont* wf = GetFont();
    wf->SetCharset(GetLangCharset());
    wf->SetName(GetLangFontName());
    wf->SetSize(GetLangFontSize());
    const std::wstring cls = ClassName();
    SetCaption(GetLangString(L"Translation", cls + L".Caption", GetCaption()));

    for (int i = 0; i < GetComponentCount(); ++i) {
        TComponent* c = GetComponent(i);
        const std::wstring key = cls + L"." + c->GetName() + L".caption";
        if (auto* btn = dynamic_cast<TVeskPngButton*>(c)) {
            TFont* fonts[] = {btn->GetFontNormal(), btn->GetFontOver(),   btn->GetFontDown(),
                              btn->GetFontDisable(), btn->GetFontFocus(), btn->GetFontSelect()};
            for (TFont* f : fonts) AssignFontFace(f, wf);
            btn->SetCaption(GetLangString(L"Translation", key, btn->GetCaption()));
            if (btn->GetFontNormal()->GetStyle() & fsBold) {
                const int offset = static_cast<int>(btn->GetTag());
                for (TFont* f : fonts) f->SetSize(f->GetSize() + offset);
            }
            // The state fonts were changed in place: show them.
            btn->Invalidate();
        } else if (auto* lbl = dynamic_cast<TVeskCustomLabel*>(c)) {
            lbl->SetCaption(GetLangString(L"Translation", key, lbl->GetCaption()));
            // Tell it again even when the text stayed the same, so that it fits itself.
            lbl->Perform(CM_TEXTCHANGED, 0, 0);
            TFont* lf = lbl->GetFont();
            if (!(lf->GetStyle() & fsBold)) {
                AssignFontFace(lf, wf);
                lf->SetSize(wf->GetSize() + static_cast<int>(lbl->GetTag()));
            }
        }
    }
}
