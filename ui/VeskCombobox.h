// The skinned drop-down selector: a box showing the chosen item's text (and image), a drop button,
// an optional extra button, and a drop-down list window with owner-drawn rows, optional check
// boxes and images and a skinned vertical scroll bar. Without a list skin the list is a plain
// bordered window; with one it is a per-pixel-alpha layered window painted from the nine-part
// skin. Optionally the box's text can be edited through an edit laid over it.
#pragma once

#include "VeskDirectUIScrollBar.h"
#include "VeskDrawing.h"
#include "VeskGraphicControl.h"
#include "VeskPngScrollBar.h"
#include "VeskScrollBarRes.h"
#include "VeskStdImageList.h"
#include "VeskType.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "fw_stdctrls.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVeskCombobox;
class TVeskCboxItem;

// Draws a row instead of the default drawing (the hot/selected background is already drawn).
using TVeskCboxItemDrawEvent = std::function<void(fw::TCanvas* Canvas, TVeskCboxItem* Item)>;
// A row was chosen, or a row's check box toggled.
using TVeskCboxItemEvent = std::function<void(fw::TObject* Sender, TVeskCboxItem* Item)>;

class TVeskCboxItem : public fw::TObject {
public:
    std::wstring ClassName() const override { return L"TVeskCboxItem"; }
    TVeskCboxItem() = default;
    ~TVeskCboxItem() override;

    TVeskCombobox* GetOwner() const { return FOwner; }
    void SetOwner(TVeskCombobox* Value) { FOwner = Value; }
    const std::wstring& GetCaption() const { return FCaption; }
    void SetCaption(const std::wstring& Value);
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    // Where the row and its check box were last drawn in the list window.
    const fw::TRect& GetItemRect() const { return FItemRect; }
    void SetItemRect(const fw::TRect& Value) { FItemRect = Value; }
    const fw::TRect& GetCheckRect() const { return FCheckRect; }
    void SetCheckRect(const fw::TRect& Value) { FCheckRect = Value; }
    // Free for the user; never owned.
    void* GetData() const { return FData; }
    void SetData(void* Value) { FData = Value; }

    // The item's position in its owner's item list; -1 without owner.
    int GetIndex() const;

    TVeskCboxItemDrawEvent OnDraw;
    fw::TNotifyEvent OnClick;

private:
    TVeskCombobox* FOwner = nullptr;
    std::wstring FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    fw::TRect FItemRect{-1, -1, -1, -1};
    fw::TRect FCheckRect{-1, -1, -1, -1};
    void* FData = nullptr;
};

// The drop-down list window. Clicking it never takes the activation from where it is; while it
// is active its owner keeps the active title bar.
class TVeskListForm : public fw::TForm {
public:
    FW_CLASSNAME(TVeskListForm)
    TVeskListForm(const fw::TFormKey& Key, fw::TComponent* AOwner, fw::TForm* OwnerForm, bool Layered);

    fw::TForm* GetOwnerForm() const { return FOwnerFormAlive && *FOwnerFormAlive ? FOwnerForm : nullptr; }
    bool GetLayered() const { return FLayered; }
    // True while one of the window's own messages is on the stack.
    bool InMessage() const { return FMessageDepth > 0; }

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void WndProc(fw::TMessage& Message) override;

private:
    fw::TForm* FOwnerForm = nullptr;
    std::shared_ptr<bool> FOwnerFormAlive;
    bool FLayered = false;
};

// The edit laid over an editable box.
class TVeskComBoBoxEdit : public fw::TEdit {
public:
    FW_CLASSNAME(TVeskComBoBoxEdit)
    explicit TVeskComBoBoxEdit(fw::TComponent* AOwner) : fw::TEdit(AOwner) {}

protected:
    void WndProc(fw::TMessage& Message) override;
};

class TVeskCombobox : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TVeskCombobox)
    explicit TVeskCombobox(fw::TComponent* AOwner);
    ~TVeskCombobox() override;

    static constexpr int ItemHeight = 22;

    // Items.
    TVeskCboxItem* AddItem();
    // nullptr when Index is out of range.
    TVeskCboxItem* GetItem(int Index) const;
    int GetItemCount() const { return static_cast<int>(FItems.size()); }
    // Frees every item, last first, and forgets every item reference.
    void ClearItems();

    std::wstring GetText() const { return fw::TControl::GetText(); }
    void SetText(const std::wstring& S);
    // Position of the selected item, -1 when none.
    int GetIndex() const;
    // Selects item I (fires OnChange even when it was selected already); nothing for an index
    // outside the list.
    void SetIndex(int I);
    // The published `index` of the form descriptions. A value read while loading selects its item
    // without OnChange; when the item does not exist yet, it is kept and selects the item once it
    // is added (the program fills its boxes after loading), unless the program sets the text or
    // the index, or clears the items, first.
    int Getindex() const { return GetIndex(); }
    void Setindex(int I) { SetIndex(I); }

    uint8_t GetAlpha() const { return FAlpha; }
    void SetAlpha(uint8_t Value);
    int GetAlphaWidth() const { return FAlphaWidth; }
    void SetAlphaWidth(int Value);
    fw::TColor GetFontColorNormal() const { return FFontColorNormal; }
    void SetFontColorNormal(fw::TColor Value) { SetColorField(FFontColorNormal, Value); }
    fw::TColor GetFontColorOver() const { return FFontColorOver; }
    void SetFontColorOver(fw::TColor Value) { SetColorField(FFontColorOver, Value); }
    fw::TColor GetFontColorDown() const { return FFontColorDown; }
    void SetFontColorDown(fw::TColor Value) { SetColorField(FFontColorDown, Value); }
    fw::TColor GetFontColorDisable() const { return FFontColorDisable; }
    void SetFontColorDisable(fw::TColor Value) { SetColorField(FFontColorDisable, Value); }
    fw::TColor GetFontItemColorNormal() const { return FFontItemColorNormal; }
    void SetFontItemColorNormal(fw::TColor Value) { SetColorField(FFontItemColorNormal, Value); }
    fw::TColor GetFontItemColorOver() const { return FFontItemColorOver; }
    void SetFontItemColorOver(fw::TColor Value) { SetColorField(FFontItemColorOver, Value); }
    fw::TColor GetFontItemColorDown() const { return FFontItemColorDown; }
    void SetFontItemColorDown(fw::TColor Value) { SetColorField(FFontItemColorDown, Value); }
    fw::TColor GetFontItemColorDisable() const { return FFontItemColorDisable; }
    void SetFontItemColorDisable(fw::TColor Value) { SetColorField(FFontItemColorDisable, Value); }
    bool GetShowCheckBox() const { return FShowCheckBox; }
    void SetShowCheckBox(bool Value);
    int GetShowitemCount() const { return FShowitemCount; }
    void SetShowitemCount(int Value);

    // Skins: the pictures are copied; the frames are cut by Loaded.
    fw::TPngImage* GetImgBox() const { return FImgBox.get(); }
    void SetImgBox(fw::TPngImage* Value) { CopyPng(FImgBox.get(), Value); }
    int GetBoxStateCount() const { return FBoxStateCount; }
    void SetBoxStateCount(int Value) { FBoxStateCount = Value; }
    TVeskPadding* GetBoxsplit() const { return FBoxsplit.get(); }
    void SetBoxsplit(TVeskPadding* Value) { FBoxsplit->Assign(Value); }
    fw::TPngImage* GetImgBtn() const { return FImgBtn.get(); }
    void SetImgBtn(fw::TPngImage* Value) { CopyPng(FImgBtn.get(), Value); }
    int GetBtnStateCount() const { return FBtnStateCount; }
    void SetBtnStateCount(int Value) { FBtnStateCount = Value; }
    int GetBtnOffSet() const { return FBtnOffSet; }
    void SetBtnOffSet(int Value);
    fw::TPngImage* GetImgExtraBtn() const { return FImgExtraBtn.get(); }
    void SetImgExtraBtn(fw::TPngImage* Value) { CopyPng(FImgExtraBtn.get(), Value); }
    bool GetExtraBtn() const { return FExtraBtn; }
    void SetExtraBtn(bool Value);
    bool GetExtraBtnLeft() const { return FExtraBtnLeft; }
    void SetExtraBtnLeft(bool Value);
    const std::wstring& GetExtraBtnHint() const { return FExtraBtnHint; }
    void SetExtraBtnHint(const std::wstring& Value) { FExtraBtnHint = Value; }
    fw::TPngImage* GetImgForm() const { return FImgForm.get(); }
    void SetImgForm(fw::TPngImage* Value) { CopyPng(FImgForm.get(), Value); }
    TVeskPadding* GetFormsplit() const { return FFormsplit.get(); }
    void SetFormsplit(TVeskPadding* Value) { FFormsplit->Assign(Value); }
    fw::TPngImage* GetImgitem() const { return FImgitem.get(); }
    void SetImgitem(fw::TPngImage* Value) { CopyPng(FImgitem.get(), Value); }
    int GetItemStateCount() const { return FItemStateCount; }
    void SetItemStateCount(int Value) { FItemStateCount = Value; }
    TVeskPadding* Getitemsplit() const { return FItemsplit.get(); }
    void Setitemsplit(TVeskPadding* Value) { FItemsplit->Assign(Value); }
    fw::TPngImage* GetImgCheck() const { return FImgCheck.get(); }
    void SetImgCheck(fw::TPngImage* Value) { CopyPng(FImgCheck.get(), Value); }
    int GetCheckStateCount() const { return FCheckStateCount; }
    void SetCheckStateCount(int Value) { FCheckStateCount = Value; }
    // Any image list of the library.
    TVeskCustomImageList* GetImagelist() const { return FImagelist; }
    void SetImagelist(TVeskCustomImageList* Value);
    int GetImgIndex() const { return FImgIndex; }
    void SetImgIndex(int Value);
    bool GetCanInput() const { return FCanInput; }
    void SetCanInput(bool Value) { FCanInput = Value; }
    TVeskScrollBarRes* GetVerScrollRes() const { return FVerScrollRes; }
    void SetVerScrollRes(TVeskScrollBarRes* Value);
    int GetVerScrollWidth() const { return FVerScrollWidth; }
    void SetVerScrollWidth(int Value) { FVerScrollWidth = Value; }

    fw::TNotifyEvent OnbtnClick;
    fw::TNotifyEvent OnExtraBtnClick;
    TVeskCboxItemEvent OnItemClick;
    TVeskCboxItemEvent OnItemCheck;
    // Fired with the selected item as Sender.
    fw::TNotifyEvent OnChange;
    // When assigned, called instead of closing the list when the list window is deactivated.
    fw::TNotifyEvent OnLostFocus;
    // Key presses of the edit, with the edit as Sender.
    fw::TKeyPressEvent OnKeyPress;

    // Cuts the skin frames, computes the button rectangles and makes the edit.
    void Loaded() override;
    // Opens the list, or closes it when it is showing.
    void DropDown();

    // Run-time state.
    TVeskCboxItem* GetSelectedItem() const { return FSelectedItem; }
    TVeskCboxItem* GetTopItem() const { return FTopItem; }
    TVeskCboxItem* GetHotItem() const { return FHotItem; }
    TVeskCboxItem* GetPressedItem() const { return FPressedItem; }
    TVeskCboxItem* GetHotCheckItem() const { return FHotCheckItem; }
    TVeskCboxItem* GetPressedCheckItem() const { return FPressedCheckItem; }
    bool GetHot() const { return FHot; }
    bool GetDown() const { return FDown; }
    bool GetBtnHot() const { return FBtnHot; }
    bool GetBtnDown() const { return FBtnDown; }
    bool GetExtraHot() const { return FExtraHot; }
    bool GetExtraDown() const { return FExtraDown; }
    bool GetDropUp() const { return FDropUp; }
    const fw::TRect& GetBtnRect() const { return FBtnRect; }
    const fw::TRect& GetExtraRect() const { return FExtraRect; }
    fw::TPngImage* GetBoxFrame(int I) const { return I >= 0 && I < 4 ? FBoxFrames[I].get() : nullptr; }
    fw::TPngImage* GetBtnFrame(int I) const { return I >= 0 && I < 4 ? FBtnFrames[I].get() : nullptr; }
    fw::TPngImage* GetExtraFrame(int I) const { return I >= 0 && I < 4 ? FExtraFrames[I].get() : nullptr; }
    fw::TPngImage* GetItemFrame(int I) const { return I >= 0 && I < 2 ? FItemFrames[I].get() : nullptr; }
    fw::TPngImage* GetCheckFrame(int I) const { return I >= 0 && I < 4 ? FCheckFrames[I].get() : nullptr; }
    TVeskListForm* GetListForm() const { return FListForm; }
    bool ListShowing() const;
    TVeskPngScrollBar* GetPngScrollBar() const { return FPngScrollBar; }
    TVeskDirectUIScrollBar* GetDirectScrollBar() const { return FDirectScrollBar; }
    TVeskComBoBoxEdit* GetEdit() const { return FEdit; }
    // The layered list's last picture (premultiplied, the window's size).
    fw::TBitmap* GetLayerBitmap() const { return FLayerBitmap.get(); }
    // The plain list's row bitmap as last painted.
    fw::TBitmap* GetPlainBitmap() const { return FPlainBitmap.get(); }

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void DoDestroying() override;
    void Paint() override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void WndProc(fw::TMessage& Message) override;
    // A focused box: Up/Down/Home/End select through SetIndex, Alt+Down or F4 open the list.
    void KeyDown(WORD& Key, fw::TShiftState Shift) override;

private:
    friend class TVeskCboxItem;
    void CopyPng(fw::TPngImage* Target, fw::TPngImage* Source);
    void SetColorField(fw::TColor& Field, fw::TColor Value);
    void PrepareSkin();
    void CalcBtnRect();
    void CalcExtraRect();
    void MakeEdit();
    bool ExtraAtLeft() const { return FExtraRect.Left != -1 && FExtraBtnLeft; }
    // Right end of the box's text: two pixels before the drop button.
    int TextRight() const;
    void SetExtraHot(bool Value, int X, int Y);
    void RestoreHint();
    void ForgetItem(TVeskCboxItem* Item);
    // Selects the item of the index kept from the description (no OnChange).
    void SelectPending();

    // The list window.
    bool Layered() const { return !FImgForm->GetEmpty(); }
    int RowCount() const;
    int ListHeight(bool LayeredKind, int Rows) const;
    void CreateListForm();
    void CreateScrollBar();
    void PlaceScrollBar(bool Create);
    bool ScrollBarShown() const;
    int ScrollBarWidth() const;
    fw::TControl* ScrollBar() const;
    void CloseList();
    void RepaintList();
    void PaintPlainList(fw::TCanvas* Canvas);
    void PaintLayeredList();
    void BuildListBackground();
    // The rows from TopItem on, as painted (ShowitemCount + 1 of them at most).
    std::vector<TVeskCboxItem*> ShownRows() const;
    void DrawRows(fw::TCanvas* Canvas, bool LayeredKind, int RowsRight);
    TVeskCboxItem* RowAt(const fw::TPoint& P) const;
    void ListMouseMove(int X, int Y);
    void ListMouseLeave();
    void ListMouseDown(int X, int Y);
    void ListMouseUp(int X, int Y);
    // OnItemClick, OnChange and the item's OnClick for an item just chosen; false when a handler
    // freed the box.
    bool FireChosen(TVeskCboxItem* Item);
    void ListWheel(int WheelDelta, bool& Handled);
    void ListDeactivate();
    void ListScrolled(int Pos);
    void AppDeactivated();
    void DisposeListForm();

    std::vector<TVeskCboxItem*> FItems;
    // Counts removals of items: a handler that cleared or freed items ends the walk that called it.
    unsigned FItemsGeneration = 0;
    uint8_t FAlpha = 255;
    int FAlphaWidth = 2;
    fw::TColor FFontColorNormal = fw::clBlack;
    fw::TColor FFontColorOver = fw::clBlue;
    fw::TColor FFontColorDown = fw::clNavy;
    fw::TColor FFontColorDisable = fw::clGray;
    fw::TColor FFontItemColorNormal = 0x383838;
    fw::TColor FFontItemColorOver = fw::clWhite;
    fw::TColor FFontItemColorDown = fw::clWhite;
    fw::TColor FFontItemColorDisable = fw::clGray;
    bool FShowCheckBox = false;
    int FShowitemCount = 8;
    std::unique_ptr<fw::TPngImage> FImgBox;
    int FBoxStateCount = 4;
    std::unique_ptr<TVeskPadding> FBoxsplit;
    std::unique_ptr<fw::TPngImage> FImgBtn;
    int FBtnStateCount = 4;
    int FBtnOffSet = 0;
    std::unique_ptr<fw::TPngImage> FImgExtraBtn;
    bool FExtraBtn = false;
    bool FExtraBtnLeft = false;
    std::wstring FExtraBtnHint;
    std::unique_ptr<fw::TPngImage> FImgForm;
    std::unique_ptr<TVeskPadding> FFormsplit;
    std::unique_ptr<fw::TPngImage> FImgitem;
    int FItemStateCount = 4;
    std::unique_ptr<TVeskPadding> FItemsplit;
    std::unique_ptr<fw::TPngImage> FImgCheck;
    int FCheckStateCount = 4;
    TVeskCustomImageList* FImagelist = nullptr;
    int FImgIndex = -1;
    bool FCanInput = false;
    TVeskScrollBarRes* FVerScrollRes = nullptr;
    int FVerScrollWidth = 15;

    TVeskCboxItem* FSelectedItem = nullptr;
    // Index read from the description whose item did not exist yet; -1 when none waits.
    int FPendingIndex = -1;
    // The item selected by that index: the box's text follows its caption until another
    // selection or text is made.
    TVeskCboxItem* FCaptionFollower = nullptr;
    TVeskCboxItem* FTopItem = nullptr;
    TVeskCboxItem* FHotItem = nullptr;
    TVeskCboxItem* FPressedItem = nullptr;
    TVeskCboxItem* FHotCheckItem = nullptr;
    TVeskCboxItem* FPressedCheckItem = nullptr;
    bool FHot = false, FDown = false, FBtnHot = false, FBtnDown = false, FExtraHot = false, FExtraDown = false,
         FDropUp = false;
    bool FDestroying = false;
    std::array<TPngPtr, 4> FBoxFrames, FBtnFrames, FExtraFrames, FCheckFrames;
    std::array<TPngPtr, 2> FItemFrames;
    fw::TRect FBtnRect{-1, -1, -1, -1};
    fw::TRect FExtraRect{-1, -1, -1, -1};
    bool FHintSwapped = false;
    std::wstring FSavedHint;

    TVeskListForm* FListForm = nullptr;
    bool FListLayered = false;
    TVeskPngScrollBar* FPngScrollBar = nullptr;
    TVeskDirectUIScrollBar* FDirectScrollBar = nullptr;
    TVeskComBoBoxEdit* FEdit = nullptr;
    bool FDeactivateHooked = false;
    bool FPaintingList = false;
    std::unique_ptr<fw::TBitmap> FPlainBitmap;
    std::unique_ptr<fw::TBitmap> FLayerBitmap;
    TPngPtr FListBack;
};
