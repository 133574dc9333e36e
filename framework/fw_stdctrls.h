// Standard controls: the windowless label and image, the panel, and thin wrappers of the Win32
// edit, combo box and date-time picker. The wrapped controls keep their system classes (each is
// registered as a superclass named by the control's class name), so their messages pass through
// WindowProc; notifications reach them reflected by their parent (CN_COMMAND, CN_NOTIFY,
// CN_CTLCOLOR*).
#pragma once

#include "fw_datetime.h"
#include "fw_forms.h"
#include "fw_handles.h"
#include "fw_strings.h"

#include <memory>
#include <string>
#include <vector>

namespace fw {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// ---------------------------------------------------------------------------------------------

class TLabel : public TGraphicControl {
public:
    FW_CLASSNAME(TLabel)
    explicit TLabel(TComponent* AOwner);

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Fits the size to the text: the width and height of one line, or with WordWrap the height
    // of the wrapped text at the current width.
    void AdjustBounds();

protected:
    void WndProc(TMessage& Message) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void Paint() override;
    void Loaded() override;
    // DrawTextW flags for the current alignment and wrapping.
    UINT TextFlags() const;
    void UpdateOpaque();

private:
    // The text's size drawn in the control's font (width limit only with WordWrap).
    SIZE MeasureText(int WidthLimit) const;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FTransparent = false;
};

// ---------------------------------------------------------------------------------------------

class TImage : public TGraphicControl {
public:
    FW_CLASSNAME(TImage)
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* GetPicture() const { return FPicture.get(); }
    // Copies the picture (nullptr empties it).
    void SetPicture(TPicture* Value);
    bool GetStretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);
    // Nothing is painted under the picture either way (the parent shows through where the
    // picture is transparent); kept for the descriptions that set it.
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Where the picture is drawn inside the control.
    TRect DestRect() const;

protected:
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void Paint() override;

private:
    void PictureChanged(TObject* Sender);
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
};

// ---------------------------------------------------------------------------------------------

class TPanel : public TCustomControl {
public:
    FW_CLASSNAME(TPanel)
    explicit TPanel(TComponent* AOwner);

    TBevelCut GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelCut GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    int GetBevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);

protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;

private:
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
};

// ---------------------------------------------------------------------------------------------
// Edits.

class TCustomEdit : public TWinControl {
public:
    FW_CLASSNAME(TCustomEdit)
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // bsSingle: a sunken border; bsNone: none.
    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    // 0 = no limit.
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    void SelectAll();
    int GetSelStart() const;
    int GetSelLength() const;
    void SetSelStart(int Value);
    void SetSelLength(int Value);

    // The text changed (by the user or in code).
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    // Keeps what the user typed for the window made next (moving to another parent re-creates it).
    void DestroyWnd() override;
    void WndProc(TMessage& Message) override;
    virtual void Change();
    void UpdateFrameStyle();

private:
    bool FReadOnly = false;
    TFormBorderStyle FBorderStyle = bsSingle;
    int FMaxLength = 0;
    TGdiObject<HBRUSH> FBrush;
    TColor FBrushColor = clNone;
};

class TEdit : public TCustomEdit {
public:
    FW_CLASSNAME(TEdit)
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TMemo : public TCustomEdit {
public:
    FW_CLASSNAME(TMemo)
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;

    // The lines of the text (a view: changes go to the text at once).
    TStrings* GetLines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(*Value); }
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetWantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;

private:
    std::unique_ptr<TStrings> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
};

// ---------------------------------------------------------------------------------------------

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl {
public:
    FW_CLASSNAME(TComboBox)
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TStrings* GetItems() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(*Value); }
    // The selected item, -1 for none. Setting it in code fires no event. While a description is
    // read the value is only kept, so that it may come before the items.
    int GetItemIndex() const;
    void SetItemIndex(int Value);
    TComboBoxStyle GetStyle() const { return FStyle; }
    // Takes effect when the window is made.
    void SetStyle(TComboBoxStyle Value) { FStyle = Value; }
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value > 0 ? Value : 1; }
    bool GetDroppedDown() const;
    void SetDroppedDown(bool Value);

    // The user chose another item (CBN_SELCHANGE), never a change made in code.
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    friend class TComboBoxStrings;
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    // Keeps the selection (and an edit box's text) for the window made next.
    void DestroyWnd() override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    virtual void Change();

private:
    std::unique_ptr<TStrings> FItems;
    int FItemIndex = -1;  // kept while there is no window
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
};

// ---------------------------------------------------------------------------------------------

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };

class TDateTimePicker : public TWinControl {
public:
    FW_CLASSNAME(TDateTimePicker)
    explicit TDateTimePicker(TComponent* AOwner);

    TDateTimeKind GetKind() const { return FKind; }
    void SetKind(TDateTimeKind Value);
    TDTDateMode GetDateMode() const { return FDateMode; }
    // Takes effect when the window is made.
    void SetDateMode(TDTDateMode Value) { FDateMode = Value; }
    // The full value shown (a time picker carries a real date too, never day 0).
    TDateTime GetDateTime() const;
    void SetDateTime(TDateTime Value);
    // The whole day of the value.
    TDateTime GetDate() const;
    void SetDate(TDateTime Value);
    // The time of day of the value (the fraction).
    TDateTime GetTime() const;
    void SetTime(TDateTime Value);

    // The user changed the value (DTN_DATETIMECHANGE).
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandleDone() override;
    // Keeps the value the user set for the window made next.
    void DestroyWnd() override;
    void WndProc(TMessage& Message) override;

private:
    void PushValue();
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
    TDateTime FDateTime;
};

}  // namespace fw
