// Components and window classes of the form-description tests. The components record what the
// loader does to them (every property set, whether they were loading at that moment, Loaded).
#pragma once

#include "QimListBox.h"
#include "VeskCombobox.h"
#include "VeskImage.h"
#include "VeskLabel.h"
#include "VeskPopupMenu.h"
#include "fw_formload.h"
#include "fw_forms.h"
#include "fw_stdctrls.h"
#include "fw_strings.h"

#include <memory>
#include <string>
#include <vector>

// What happened during loading, in order ("name.Prop" / "name.Loaded").
std::vector<std::wstring>& FgLog();

enum TFgOption : unsigned { foFirst = 1, foSecond = 2, foThird = 4 };
using TFgOptions = unsigned;
enum TFgMode { fmIdle, fmBusy, fmDone };

// A record property: copied out, changed and written back.
struct TFgMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TFgWidget : public fw::TCustomControl {
public:
    FW_CLASSNAME(TFgWidget)
    explicit TFgWidget(fw::TComponent* AOwner) : TCustomControl(AOwner) {}
    ~TFgWidget() override;

    int GetCount() const { return FCount; }
    void SetCount(int Value) { Note(L"Count"); FCount = Value; }
    TFgOptions GetOptions() const { return FOptions; }
    void SetOptions(TFgOptions Value) { Note(L"Options"); FOptions = Value; }
    TFgMode GetMode() const { return FMode; }
    void SetMode(TFgMode Value) { Note(L"Mode"); FMode = Value; }
    bool GetFlag() const { return FFlag; }
    void SetFlag(bool Value) { Note(L"Flag"); FFlag = Value; }
    const std::wstring& GetTitle() const { return FTitle; }
    void SetTitle(const std::wstring& Value) { Note(L"Title"); FTitle = Value; }
    const TFgMargins& GetMargins() const { return FMargins; }
    void SetMargins(const TFgMargins& Value) { Note(L"Margins"); FMargins = Value; }
    fw::TStringList* GetLines() { return &FLines; }
    fw::TPngImage* GetGlyph() const { return FGlyph.get(); }
    void SetGlyph(fw::TPngImage* Value);
    fw::TPicture* GetPicture() { return &FPicture; }
    void SetPicture(fw::TPicture* Value) { Note(L"Picture"); FPicture.Assign(Value); }

    // References cleared when their targets die.
    TFgWidget* GetPartner() const { return FPartner; }
    void SetPartner(TFgWidget* Value) { SetReference(L"Partner", FPartner, Value); }
    fw::TComponent* GetPeer() const { return FPeer; }
    void SetPeer(fw::TComponent* Value) { SetReference(L"Peer", FPeer, Value); }

    // An event behind a setter, with a reference parameter.
    using TValueEvent = std::function<void(fw::TObject* Sender, int& Value)>;
    void SetOnValue(TValueEvent Value) { FOnValue = std::move(Value); }
    int FireValue(int Start) {
        if (FOnValue) FOnValue(this, Start);
        return Start;
    }
    // An event as a plain field.
    fw::TNotifyEvent OnPing;

    void Loaded() override;
    // Property sets made while the component was not loading (must stay empty while reading).
    int SetsOutsideLoading = 0;
    bool PartnerKnownAtLoaded = false;

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    void Note(const wchar_t* Prop);
    template <class T>
    void SetReference(const wchar_t* Prop, T*& Field, T* Value) {
        if (Value == Field) return;
        Note(Prop);
        if (Field) Field->RemoveFreeNotification(this);
        Field = Value;
        if (Field) Field->FreeNotification(this);
    }
    int FCount = 0;
    TFgOptions FOptions = 0;
    TFgMode FMode = fmIdle;
    bool FFlag = false;
    std::wstring FTitle;
    TFgMargins FMargins;
    fw::TStringList FLines;
    std::unique_ptr<fw::TPngImage> FGlyph;
    fw::TPicture FPicture;
    TFgWidget* FPartner = nullptr;
    fw::TComponent* FPeer = nullptr;
    TValueEvent FOnValue;
};

// A windowless control (may stand on a windowed custom control).
class TFgMark : public fw::TGraphicControl {
public:
    FW_CLASSNAME(TFgMark)
    explicit TFgMark(fw::TComponent* AOwner) : TGraphicControl(AOwner) {}
    void Loaded() override;
};

class TFgStoreItem : public fw::TCollectionItem {
public:
    FW_CLASSNAME(TFgStoreItem)
    explicit TFgStoreItem(fw::TCollection* C) : TCollectionItem(C) {}
    fw::TPicture* GetPicture() { return &FPicture; }
    void SetPicture(fw::TPicture* Value) { FPicture.Assign(Value); }
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }
    const std::wstring& GetComment() const { return FComment; }
    void SetComment(const std::wstring& Value) { FComment = Value; }

private:
    fw::TPicture FPicture;
    intptr_t FTag = 0;
    std::wstring FComment;
};

// A non-visual component with a collection of pictures.
class TFgStore : public fw::TComponent {
public:
    FW_CLASSNAME(TFgStore)
    explicit TFgStore(fw::TComponent* AOwner) : TComponent(AOwner), FItems(this) {}
    fw::TTypedCollection<TFgStoreItem>* GetItems() { return &FItems; }
    void Loaded() override;

private:
    fw::TTypedCollection<TFgStoreItem> FItems;
};

// The base window: its description is inherited by TFgAllForm.
class TFgBaseForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgBaseForm)
    TFgBaseForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgBase_form.h"
    void FormCreate(fw::TObject* Sender) { CreatedBy = L"TFgBaseForm::FormCreate"; }
    std::wstring CreatedBy;
};

// Every kind of value, inheriting the base window's description.
class TFgAllForm : public TFgBaseForm {
public:
    FW_CLASSNAME(TFgAllForm)
    TFgAllForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TFgBaseForm(Key, AOwner) {}
#include "fgAll_form.h"
    // Hides the base's handler: the inherited OnCreate must bind here.
    void FormCreate(fw::TObject* Sender);
    void wTopPing(fw::TObject* Sender) { PingSender = Sender; }
    void wTopValue(fw::TObject* Sender, int& Value) { Value *= 3; }
    // Fired by the inherited label's own handler in the base description.
    void lblTitleClick(fw::TObject* Sender) { ++TitleClicks; }
    // A framework control's event.
    void cbDelayChange(fw::TObject* Sender) { ++DelayChanges; }

    fw::TComponentState StateAtCreate = 0;
    bool MarkLoadedAtCreate = false;
    fw::TObject* PingSender = nullptr;
    int TitleClicks = 0;
    int DelayChanges = 0;
};

// A plain window whose components are referred to from TFgAllForm.
class TFgOtherForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgOtherForm)
    TFgOtherForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgOther_form.h"
};

// A description that fails while loading (a picture of the wrong kind).
class TFgBrokenForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgBrokenForm)
    TFgBrokenForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgBroken_form.h"
};

// The skinned label and image with the drag, dock, context-popup and activation members and
// their size limits; the handlers note the sender's name and the event in Calls. OnCreate fills
// cbLater after loading, as the program fills its boxes: each item captioned after AddItem.
class TFgDragForm : public fw::TForm {
public:
    FW_CLASSNAME(TFgDragForm)
    TFgDragForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
#include "fgDrag_form.h"
    void Note(fw::TObject* S, const wchar_t* E) { Calls.push_back(static_cast<fw::TComponent*>(S)->GetName() + E); }
    void CtlStartDrag(fw::TObject* S, fw::TDragObject*&) { Note(S, L"StartDrag"); }
    void CtlDragOver(fw::TObject* S, fw::TObject*, int, int, fw::TDragState, bool&) { Note(S, L"DragOver"); }
    void CtlDragDrop(fw::TObject* S, fw::TObject*, int, int) { Note(S, L"DragDrop"); }
    void CtlEndDrag(fw::TObject* S, fw::TObject*, int, int) { Note(S, L"EndDrag"); }
    void CtlStartDock(fw::TObject* S, fw::TDragDockObject*&) { Note(S, L"StartDock"); }
    void CtlEndDock(fw::TObject* S, fw::TObject*, int, int) { Note(S, L"EndDock"); }
    void CtlContextPopup(fw::TObject* S, fw::TPoint, bool&) { Note(S, L"ContextPopup"); }
    void CtlMouseActivate(fw::TObject* S, fw::TMouseButton, fw::TShiftState, int, int, int, fw::TMouseActivate&) {
        Note(S, L"MouseActivate");
    }
    void FormCreate(fw::TObject*) {
        for (int i = 0; i < 4; ++i) cbLater->AddItem()->SetCaption(L"item " + std::to_wstring(i));
        IndexAtCreate = cbLater->GetIndex();
    }
    void BoxChange(fw::TObject* Sender) { Changes.push_back(Sender); }
    std::vector<std::wstring> Calls;
    int IndexAtCreate = -9;
    std::vector<fw::TObject*> Changes;
};
