#include "fg_forms.h"

using namespace fw;

std::vector<std::wstring>& FgLog() {
    static std::vector<std::wstring> log;
    return log;
}

TFgWidget::~TFgWidget() {
    SetPartner(nullptr);
    SetPeer(nullptr);
}

void TFgWidget::Note(const wchar_t* Prop) {
    FgLog().push_back(GetName() + L"." + Prop);
    if (!IsLoading()) ++SetsOutsideLoading;
}

void TFgWidget::SetGlyph(TPngImage* Value) {
    Note(L"Glyph");
    if (!Value) {
        FGlyph.reset();
        return;
    }
    if (!FGlyph) FGlyph = std::make_unique<TPngImage>();
    FGlyph->Assign(Value);
}

void TFgWidget::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FPartner) FPartner = nullptr;
    if (AComponent == FPeer) FPeer = nullptr;
}

void TFgWidget::Loaded() {
    PartnerKnownAtLoaded = FPartner != nullptr;
    FgLog().push_back(GetName() + L".Loaded");
    TCustomControl::Loaded();
}

void TFgMark::Loaded() {
    FgLog().push_back(GetName() + L".Loaded");
    TGraphicControl::Loaded();
}

void TFgStore::Loaded() {
    FgLog().push_back(GetName() + L".Loaded");
    TComponent::Loaded();
}

void TFgAllForm::FormCreate(TObject* Sender) {
    CreatedBy = L"TFgAllForm::FormCreate";
    StateAtCreate = GetComponentState();
    MarkLoadedAtCreate = !mark1->IsLoading();
    FgLog().push_back(L"OnCreate");
}
