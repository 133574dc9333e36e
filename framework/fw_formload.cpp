#include "fw_formload.h"

namespace fw {
namespace desc {

namespace {

struct PendingReference {
    std::shared_ptr<bool> ReferrerAlive;  // the referring form
    std::wstring FormName;
    std::wstring ComponentName;
    std::function<void(const TComponentRef&)> Apply;
};

std::vector<PendingReference>& Pending() {
    static std::vector<PendingReference> v;
    return v;
}

std::wstring ComponentPath(const std::wstring& Form, const std::wstring& Component) {
    return Form + L"." + Component;
}

}  // namespace

TResourcePicture::TResourcePicture(const wchar_t* Name, TKind Kind) : FName(Name), FPicture(std::make_shared<TPicture>()) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (Kind == rkIcon) {
        FIcon = std::make_shared<TIcon>();
        try {
            FIcon->LoadFromResourceName(inst, Name);
        } catch (const EInvalidGraphic&) {
            throw EInvalidGraphic(L"Icon resource '" + FName + L"' not found");
        }
        FPicture->SetGraphic(FIcon.get());
        return;
    }
    if (!FindResourceW(inst, Name, MAKEINTRESOURCEW(10)))
        throw EInvalidGraphic(L"Picture resource '" + FName + L"' not found");
    FPicture->LoadFromResource(inst, Name);
    if (Kind == rkPng && !dynamic_cast<TPngImage*>(FPicture->GetGraphic()))
        throw EInvalidGraphic(L"Picture resource '" + FName + L"' is not a PNG picture");
}

TResourcePicture::operator TPngImage*() const {
    auto* png = dynamic_cast<TPngImage*>(FPicture->GetGraphic());
    if (!png) throw EInvalidGraphic(L"Picture resource '" + FName + L"' is not a PNG picture");
    return png;
}

TResourcePicture::operator TIcon*() const {
    if (FIcon) return FIcon.get();
    auto* icon = dynamic_cast<TIcon*>(FPicture->GetGraphic());
    if (!icon) throw EInvalidGraphic(L"Picture resource '" + FName + L"' is not an icon");
    return icon;
}

void TComponentRef::Mismatch(const std::wstring& Cls) const {
    throw EConvertError(L"Component " + FPath + L" of class " + Cls + L" does not fit this property");
}

TForm* FindLiveForm(const std::wstring& Name) {
    return Screen ? Screen->FindForm(Name) : nullptr;
}

int PendingFormReferences() {
    auto& v = Pending();
    int n = 0;
    for (const auto& p : v)
        if (p.ReferrerAlive && *p.ReferrerAlive) ++n;
    return n;
}

TLoader::TLoader(TForm* Form, const wchar_t* File) : FForm(Form), FFile(File) {}

void TLoader::Add(TComponent* C, const wchar_t* Name) {
    // Remembered first: if naming fails, the owner still frees it, and nothing else refers to it.
    C->SetName(Name);
    C->BeginLoading();
    FCreated.push_back(C);
}

void TLoader::LoadedAll() {
    for (TComponent* c : FCreated) c->Loaded();
}

void TLoader::Annotate(Exception& E) const {
    E.Message += L" (";
    E.Message += FFile;
    E.Message += L", line " + std::to_wstring(Line) + L")";
}

void TLoader::SetFormName(const wchar_t* Name) {
    std::wstring name = Name;
    TComponent* owner = FForm->GetOwner();
    if (owner) {
        TComponent* other = owner->FindComponent(name);
        for (int i = 1; other && other != FForm; ++i) {
            name = std::wstring(Name) + L"_" + std::to_wstring(i);
            other = owner->FindComponent(name);
        }
    }
    FForm->SetName(name);
}

void TLoader::FormReference(const wchar_t* FormName, const wchar_t* ComponentName,
                            std::function<void(const TComponentRef&)> Apply) {
    if (TForm* f = FindLiveForm(FormName)) {
        TComponent* c = f->FindComponent(ComponentName);
        if (!c) throw EConvertError(L"Form " + std::wstring(FormName) + L" has no component " + ComponentName);
        Apply(TComponentRef(c, ComponentPath(FormName, ComponentName)));
        return;
    }
    Pending().push_back(PendingReference{FForm->AliveToken(), FormName, ComponentName, std::move(Apply)});
}

void TLoader::Finish() {
    auto& v = Pending();
    // Forget the references of forms that died meanwhile.
    std::erase_if(v, [](const PendingReference& p) { return !p.ReferrerAlive || !*p.ReferrerAlive; });
    std::vector<PendingReference> ready;
    for (auto it = v.begin(); it != v.end();) {
        if (SameText(it->FormName, FForm->GetName()) && FForm->FindComponent(it->ComponentName)) {
            ready.push_back(std::move(*it));
            it = v.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& p : ready) {
        if (!*p.ReferrerAlive) continue;
        p.Apply(TComponentRef(FForm->FindComponent(p.ComponentName), ComponentPath(p.FormName, p.ComponentName)));
    }
}

}  // namespace desc
}  // namespace fw
