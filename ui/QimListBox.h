// The skinned, owner-drawn list box of the Qim family: rows with hover and selection skins, an
// optional four-state check box and image-list icon per row, captions coloured by state, hot
// tracking, single or multiple selection (click, Ctrl, Shift ranges, a rubber band) and windowed
// skinned scroll bars created when the content outgrows the view.
#pragma once

#include "QimImageList.h"
#include "QimScrollBar.h"
#include "QimScrollBarRes.h"
#include "QimUICore.h"
#include "QimUIType.h"
#include "fw_png.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TQimListBox;

// One row. Owned by its list box, which creates it (AddItem) and frees it (DeleteItem, Clear).
class TQimLBoxItem : public fw::TObject {
public:
    FW_CLASSNAME(TQimLBoxItem)
    explicit TQimLBoxItem(TQimListBox* AOwner);

    TQimListBox* GetOwner() const { return FOwner; }

    const std::wstring& GetCaption() const { return FCaption; }
    void SetCaption(const std::wstring& Value);
    // A second text the owner of the list may keep with the row; never drawn.
    const std::wstring& GetSubCaption() const { return FSubCaption; }
    void SetSubCaption(const std::wstring& Value) { FSubCaption = Value; }
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    // A disabled row is drawn greyed and is never hot, hit or taken by the rubber band.
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    // An invisible row takes no place (from the next paint on).
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    bool GetSelected() const { return FSelected; }
    void SetSelected(bool Value) { FSelected = Value; }

    // Client coordinates from the last layout; (-1, -1, -1, -1) while the row is not laid out.
    const fw::TRect& GetItemRect() const { return FItemRect; }
    const fw::TRect& GetTextRect() const { return FTextRect; }
    const fw::TRect& GetCheckRect() const { return FCheckRect; }

    void* GetData() const { return FData; }
    void SetData(void* Value) { FData = Value; }

private:
    friend class TQimListBox;
    TQimListBox* FOwner;
    std::wstring FCaption;
    std::wstring FSubCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    bool FSelected = false;
    fw::TRect FItemRect{-1, -1, -1, -1};
    fw::TRect FTextRect{-1, -1, -1, -1};
    fw::TRect FCheckRect{-1, -1, -1, -1};
    void* FData = nullptr;
};

using TQimLbItemEvent = std::function<void(fw::TObject* Sender, TQimLBoxItem* AItem)>;
using TQimLbDrawItemEvent = std::function<void(fw::TCanvas* ACanvas, int itemindex, TQimLBoxItem* AItem)>;
using TQimLbOwnerDrawItemEvent =
    std::function<void(fw::TCanvas* ACanvas, int itemindex, TQimLBoxItem* AItem, bool& DefaultDraw)>;
using TQimLbMeasureItemEvent = std::function<void(TQimLBoxItem* AItem, int itemindex, int& itemHeight)>;
using TQimLbDrawBackEvent = std::function<void(fw::TCanvas* ACanvas, const fw::TRect& ARect)>;

class TQimListBox : public TQimUIParentControl {
public:
    FW_CLASSNAME(TQimListBox)
    explicit TQimListBox(fw::TComponent* AOwner);
    ~TQimListBox() override;

    // The tab order under the name the form descriptions use.
    int GetTaborder() const { return GetTabOrder(); }
    void SetTaborder(int Value) { SetTabOrder(Value); }

    // Pictures are copied; the prepared frames are made by Loaded (the row images again whenever
    // the vertical bar appears or goes).
    fw::TPngImage* GetImgBack() const { return FImgBack.get(); }
    void SetImgBack(fw::TPngImage* Value) { CopyPng(FImgBack, Value); }
    fw::TPngImage* GetImgitem() const { return FImgitem.get(); }
    void SetImgitem(fw::TPngImage* Value) { CopyPng(FImgitem, Value); }
    // Absolute split positions: columns [Left, Right) of a row frame are repeated.
    TQimUIPadding* Getitemsplit() const { return Fitemsplit.get(); }
    void Setitemsplit(TQimUIPadding* Value) { Fitemsplit->Assign(Value); }
    int GetItemStateCount() const { return FItemStateCount; }
    void SetItemStateCount(int Value) { FItemStateCount = Value; }
    fw::TPngImage* GetImgCheck() const { return FImgCheck.get(); }
    void SetImgCheck(fw::TPngImage* Value) { CopyPng(FImgCheck, Value); }
    fw::TPngImage* GetImgSelBox() const { return FImgSelBox.get(); }
    void SetImgSelBox(fw::TPngImage* Value) { CopyPng(FImgSelBox, Value); }
    int GetCheckStateCount() const { return FCheckStateCount; }
    void SetCheckStateCount(int Value) { FCheckStateCount = Value; }
    // clNone switches the one-pixel border off.
    fw::TColor GetBorderColor() const { return FBorderColor; }
    void SetBorderColor(fw::TColor Value);
    bool GetShowCheckBox() const { return FShowCheckBox; }
    void SetShowCheckBox(bool Value) { FShowCheckBox = Value; }
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { FMultiSelect = Value; }
    TQimImageList* GetImagelist() const { return FImagelist; }
    void SetImagelist(TQimImageList* Value);
    int GetItemheight() const { return FItemheight; }
    void SetItemheight(int Value);
    int GetItemLeftFix() const { return FItemLeftFix; }
    void SetItemLeftFix(int Value);
    TQimScrollBarRes* GetVerScrollRes() const { return FVerScrollRes; }
    void SetVerScrollRes(TQimScrollBarRes* Value);
    TQimScrollBarRes* GetHorScrollRes() const { return FHorScrollRes; }
    void SetHorScrollRes(TQimScrollBarRes* Value);
    fw::TColor GetFontColorNormal() const { return FFontColorNormal; }
    void SetFontColorNormal(fw::TColor Value) { FFontColorNormal = Value; }
    fw::TColor GetFontColorOver() const { return FFontColorOver; }
    void SetFontColorOver(fw::TColor Value) { FFontColorOver = Value; }
    fw::TColor GetFontColorDown() const { return FFontColorDown; }
    void SetFontColorDown(fw::TColor Value) { FFontColorDown = Value; }
    fw::TColor GetFontColorDisable() const { return FFontColorDisable; }
    void SetFontColorDisable(fw::TColor Value) { FFontColorDisable = Value; }
    int GetMarginCheckBox() const { return FMarginCheckBox; }
    void SetMarginCheckBox(int Value);
    int GetMarginImageList() const { return FMarginImageList; }
    void SetMarginImageList(int Value);
    int GetMarginText() const { return FMarginText; }
    void SetMarginText(int Value);
    int GetMarginItem() const { return FMarginItem; }
    void SetMarginItem(int Value);
    bool GetSupportRightSelect() const { return FSupportRightSelect; }
    void SetSupportRightSelect(bool Value) { FSupportRightSelect = Value; }
    bool GetHotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { FHotTrack = Value; }

    TQimLbItemEvent OnItemClick;
    TQimLbItemEvent OnItemDbClick;
    TQimLbItemEvent OnItemCheck;
    TQimLbDrawItemEvent OnBeforeItemDraw;
    TQimLbDrawItemEvent OnAfterItemDraw;
    TQimLbOwnerDrawItemEvent OnItemOwnerDraw;
    TQimLbMeasureItemEvent OnMeasureItem;
    TQimLbDrawBackEvent OnDrawBackGround;

    // Appends a new row and returns it; no repaint (setting its caption repaints).
    TQimLBoxItem* AddItem();
    // Frees a row of this list (anything else is ignored) and repaints.
    void DeleteItem(TQimLBoxItem* Item);
    // Frees every row and both scroll bars and scrolls back to the top; no repaint.
    void Clear();
    // Nil outside 0 .. Count - 1.
    TQimLBoxItem* GetItem(int Index) const;
    int Count() const { return static_cast<int>(FItems.size()); }
    int SelectedCount() const;
    int IndexOf(const TQimLBoxItem* Item) const;

    // Invalidates, but only once Loaded has run and while updates are allowed.
    void RequestPaint() override;
    // Once: the border inset and the prepared check frames, row images and background.
    void Loaded() override;
    void DrawControl(fw::TBitmap32* Buffer) override;

    // Run-time state, for the windows that host the list and for their checks.
    TQimLBoxItem* GetHotItem() const { return FHotItem; }
    TQimLBoxItem* GetPressedItem() const { return FPressedItem; }
    TQimLBoxItem* GetCheckHotItem() const { return FCheckHotItem; }
    TQimLBoxItem* GetCheckPressedItem() const { return FCheckPressedItem; }
    TQimLBoxItem* GetAnchorItem() const { return FAnchorItem; }
    TQimLBoxItem* GetEndItem() const { return FEndItem; }
    int GetFirstPainted() const { return FFirstPainted; }
    int GetLastPainted() const { return FLastPainted; }
    int GetVerOffset() const { return FVerOffset; }
    int GetHorOffset() const { return FHorOffset; }
    int GetContentHeight() const { return FContentHeight; }
    int GetContentWidth() const { return FContentWidth; }
    int GetViewHeight() const { return FViewHeight; }
    int GetBorderInset() const { return FBorderInset; }
    TQimScrollBar* GetVerScrollBar() const { return FVerBar; }
    TQimScrollBar* GetHorScrollBar() const { return FHorBar; }
    fw::TPngImage* GetOverImage() const { return FOverImage.get(); }
    fw::TPngImage* GetSelectedImage() const { return FSelectedImage.get(); }
    fw::TPngImage* GetCheckFrame(int Index) const {
        return Index >= 0 && Index < 4 ? FCheckFrames[Index].get() : nullptr;
    }
    fw::TBitmap32* GetBackBitmap() const { return FBackBitmap.get(); }
    bool GetCaptionHintShown() const { return FHintSwapped; }

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    bool DoMouseWheel(fw::TShiftState Shift, int WheelDelta, fw::TPoint MousePos) override;
    void WndProc(fw::TMessage& Message) override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    // A row's visibility changes the content height.
    friend class TQimLBoxItem;
    static void CopyPng(std::unique_ptr<fw::TPngImage>& Target, fw::TPngImage* Source);

    void PrepareCheckFrames();
    void PrepareItemImages();
    void PrepareBackground();
    // Fills the rectangle of the back buffer with what lies under the rows (parent, skin, colour).
    void FillBackground(fw::TBitmap32* Buffer, const fw::TRect& Rect);
    int ItemHeightOf(TQimLBoxItem* Item, int Index);
    void CalcContentHeight();
    void UpdateViewHeight();
    bool VerBarVisible() const;
    bool HorBarVisible() const;
    int VerBarWidth() const;
    void LayoutAndDrawItems(fw::TCanvas* Canvas);
    void DrawItem(fw::TCanvas* Canvas, int Index, TQimLBoxItem* Item);
    void RepaintItem(TQimLBoxItem* Item);
    void DrawRubberBand(fw::TCanvas* Canvas);
    void UpdateVerScrollBar();
    void UpdateHorScrollBar();
    void VerScroll(int& ScrollPos);
    void HorScroll(int& ScrollPos);
    void ClearSelection();
    void SelectPressed(TQimLBoxItem* Item, fw::TShiftState Shift);
    void LeftButtonDown(fw::TShiftState Shift, int X, int Y);
    void ShowCaptionHint(TQimLBoxItem* Item, int X, int Y);
    void WithdrawCaptionHint();
    void ForgetItem(TQimLBoxItem* Item);
    void ClearRowRects(int From, int To);

    std::unique_ptr<fw::TPngImage> FImgBack;
    std::unique_ptr<fw::TPngImage> FImgitem;
    std::unique_ptr<TQimUIPadding> Fitemsplit;
    int FItemStateCount = 2;
    std::unique_ptr<fw::TPngImage> FImgCheck;
    std::unique_ptr<fw::TPngImage> FImgSelBox;
    int FCheckStateCount = 4;
    fw::TColor FBorderColor = 0xF0CAA6;
    bool FShowCheckBox = false;
    bool FMultiSelect = false;
    TQimImageList* FImagelist = nullptr;
    int FItemheight = 22;
    int FItemLeftFix = 0;
    TQimScrollBarRes* FVerScrollRes = nullptr;
    TQimScrollBarRes* FHorScrollRes = nullptr;
    fw::TColor FFontColorNormal = fw::clBlack;
    fw::TColor FFontColorOver = fw::clBlue;
    fw::TColor FFontColorDown = fw::clNavy;
    fw::TColor FFontColorDisable = fw::clGray;
    int FMarginCheckBox = 2;
    int FMarginImageList = 2;
    int FMarginText = 2;
    int FMarginItem = 2;
    bool FSupportRightSelect = false;
    bool FHotTrack = true;

    std::vector<std::unique_ptr<TQimLBoxItem>> FItems;
    TQimLBoxItem* FHotItem = nullptr;
    TQimLBoxItem* FPressedItem = nullptr;
    TQimLBoxItem* FCheckHotItem = nullptr;
    TQimLBoxItem* FCheckPressedItem = nullptr;
    TQimLBoxItem* FAnchorItem = nullptr;
    TQimLBoxItem* FEndItem = nullptr;
    fw::TPoint FBandStart{-1, -1};
    fw::TPoint FBandCurrent{-1, -1};
    int FFirstPainted = -1;
    int FLastPainted = -1;
    // Rows up to this index may still hold a rectangle from an earlier layout.
    int FLaidOutUpTo = -1;
    int FVerOffset = 0;
    int FHorOffset = 0;
    int FContentHeight = 0;
    int FViewHeight = 0;
    int FContentWidth = 0;
    int FBorderInset = 1;
    TPngPtr FOverImage;
    TPngPtr FSelectedImage;
    std::array<TPngPtr, 4> FCheckFrames;
    std::unique_ptr<fw::TBitmap32> FBackBitmap;
    TQimScrollBar* FVerBar = nullptr;
    TQimScrollBar* FHorBar = nullptr;
    bool FLoadedOnce = false;
    bool FHintSwapped = false;
    std::wstring FSavedHint;
    bool FSavedShowHint = false;
};
