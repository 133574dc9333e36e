// Run-time support of the generated form loaders: handler binding, pictures from resources,
// references into other live forms, and the bookkeeping of one description being read.
//
// The form descriptions (resources/forms/*.form) are translated at build time into one
// ReadDescription() per form class; that code calls only what is declared here, so that the
// compiler checks every property, field and handler name of a description.
#pragma once

#include "fw_forms.h"
#include "fw_png.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace fw {

// An event callable that calls Method on Obj. Assigning it to an event checks the signature at
// compile time; a virtual Method is called virtually.
template <class C, class R, class Cls, class... A>
auto Bind(C* Obj, R (Cls::*Method)(A...)) {
    static_assert(std::is_base_of_v<Cls, C>, "the handler is not a member of this class");
    return [Obj, Method](A... args) -> R { return (Obj->*Method)(std::forward<A>(args)...); };
}

namespace desc {

// A picture read from an RCDATA resource of the executable, convertible to the pointer types of
// picture properties. Setters copy it (Assign), so the temporary may die after the call.
class TResourcePicture {
public:
    enum TKind { rkPicture, rkPng, rkIcon };
    TResourcePicture(const wchar_t* Name, TKind Kind);
    operator TPicture*() const { return FPicture.get(); }
    operator TGraphic*() const { return FPicture->GetGraphic(); }
    // Raises EInvalidGraphic when the resource holds another kind of picture.
    operator TPngImage*() const;
    operator TIcon*() const;

private:
    std::wstring FName;
    std::shared_ptr<TPicture> FPicture;
    std::shared_ptr<TIcon> FIcon;
};

// Any picture kind, chosen by the data's signature.
inline TResourcePicture Picture(const wchar_t* Name) { return TResourcePicture(Name, TResourcePicture::rkPicture); }
// A PNG picture (another kind raises).
inline TResourcePicture Png(const wchar_t* Name) { return TResourcePicture(Name, TResourcePicture::rkPng); }
// An icon resource (RT_GROUP_ICON) of that name.
inline TResourcePicture Icon(const wchar_t* Name) { return TResourcePicture(Name, TResourcePicture::rkIcon); }

// A component found by name, convertible to the pointer type of the property it is given to.
// Converting to a class it does not belong to raises EConvertError.
class TComponentRef {
public:
    TComponentRef(TComponent* Target, std::wstring Path) : FTarget(Target), FPath(std::move(Path)) {}
    template <class T>
        requires std::is_base_of_v<TComponent, T>
    operator T*() const {
        if (!FTarget) return nullptr;
        T* p = dynamic_cast<T*>(FTarget);
        if (!p) Mismatch(FTarget->ClassName());
        return p;
    }

private:
    [[noreturn]] void Mismatch(const std::wstring& Cls) const;
    TComponent* FTarget;
    std::wstring FPath;
};

// Makes a control a child of the enclosing object of the description; other components get no
// parent. A control inside something that is not a windowed control is a description error.
template <class T, class P>
void Place(T* Child, P* Parent) {
    if constexpr (std::is_base_of_v<TControl, T>) {
        static_assert(std::is_base_of_v<TWinControl, P>, "a control can only stand on a windowed control");
        Child->SetParent(Parent);
    }
}

// Replaces the strings of a list property.
template <class S>
void SetStrings(S* List, std::initializer_list<const wchar_t*> Items) {
    List->BeginUpdate();
    List->Clear();
    for (const wchar_t* s : Items) List->Add(s);
    List->EndUpdate();
}

// One step of a property path: an owned object (a pointer) is changed in place; a record (a
// value) is copied, changed and written back through PutBack(Owner, copy).
template <class O, class V, class Fn, class Put>
void Step(O* Owner, V&& Value, Fn&& Change, Put&& PutBack) {
    using T = std::remove_cvref_t<V>;
    if constexpr (std::is_pointer_v<T>) {
        Change(Value);
    } else {
        T copy = Value;
        Change(&copy);
        PutBack(Owner, copy);
    }
}

// Name resolution of the generated statements. SetterArg gives the type a property's only setter
// takes (from a pointer to it; only its type is used). NoMember is the false condition of the
// build error for a member the object lacks.
template <class C, class R, class A>
std::type_identity<std::remove_cvref_t<A>> SetterArg(R (C::*)(A));
template <class>
inline constexpr bool NoMember = false;

// The state of one description being read: the component list for Loaded, and the description
// line being applied, named in the message of any exception that escapes.
class TLoader {
public:
    TLoader(TForm* Form, const wchar_t* File);
    // Names the new component, marks it as loading and remembers it for Loaded.
    void Add(TComponent* C, const wchar_t* Name);
    // Loaded on every created component in creation order.
    void LoadedAll();
    // Adds "(file, line n)" to the message.
    void Annotate(Exception& E) const;
    // A reference into another form: resolved now when that form is live, else as soon as a form of
    // that name finishes reading its description (while this form still exists).
    void FormReference(const wchar_t* FormName, const wchar_t* ComponentName,
                       std::function<void(const TComponentRef&)> Apply);
    // Gives the form its name, made unique among the owner's components as the second instance of
    // a window class gets "name_1".
    void SetFormName(const wchar_t* Name);
    // Called at the end of a description: resolves the pending references into this form.
    void Finish();
    int Line = 0;

private:
    TForm* FForm;
    const wchar_t* FFile;
    std::vector<TComponent*> FCreated;
};

// The live form of that name (the registry of live forms is the screen's form list).
TForm* FindLiveForm(const std::wstring& Name);
// Number of cross-form references still waiting for their form (tests).
int PendingFormReferences();

}  // namespace desc
}  // namespace fw
