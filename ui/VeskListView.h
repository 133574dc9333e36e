// The owner-drawn, skinned list view: a windowed control that keeps its own items, lays them out
// as icons, rows or report rows with a column header, paints them from PNG state strips into a
// 32-bit off-screen bitmap, and runs its own hot tracking, selection, check boxes, rubber band,
// drag-and-drop reordering and skinned scroll bars.
#pragma once

#include "VeskDrawing.h"
#include "VeskPngScrollBar.h"
#include "VeskPopupMenu.h"
#include "VeskScrollBarRes.h"
#include "VeskStdImageList.h"
#include "VeskType.h"
#include "fw_controls.h"
#include "fw_graphics.h"
#include "fw_png.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVeskListView;
class TVeskGroupItem;

// One further Report cell of an item.
struct TVeskLvSubItem {
    bool Truncated = false;
    std::wstring Caption;
    fw::TRect SubRect{-1, -1, -1, -1};
    int ImageIndex = -1;
};

class TVeskLvItem {
public:
    TVeskLvItem() = default;
    ~TVeskLvItem();
    TVeskLvItem(const TVeskLvItem&) = delete;
    TVeskLvItem& operator=(const TVeskLvItem&) = delete;

    uint8_t Alignment = 2;
    TVeskListView* Owner = nullptr;
    TVeskGroupItem* Group = nullptr;
    std::wstring Caption;
    std::vector<TVeskLvSubItem*> SubItems;
    int ImageIndex = -1;
    bool Enabled = true;
    bool Visible = true;
    uint8_t Checked = 0;
    bool Selected = false;
    fw::TRect ItemRect{-1, -1, -1, -1};
    fw::TRect ImageRect{-1, -1, -1, -1};
    fw::TRect TextRect{-1, -1, -1, -1};
    fw::TRect CheckRect{-1, -1, -1, -1};
    void* Data = nullptr;

    void SetCaption(const std::wstring& Value);
    void SetData(void* Value) { Data = Value; }
    void SetSelected(bool Value);
    int SubItemCount() const { return static_cast<int>(SubItems.size()); }
    TVeskLvSubItem* GetSubItem(int Index) const;
    // Appends an empty sub-item owned by the item and returns it.
    TVeskLvSubItem* AddSubItem(const std::wstring& ACaption = std::wstring());
};

class TVeskGroupItem {
public:
    TVeskGroupItem() = default;
    ~TVeskGroupItem();
    TVeskGroupItem(const TVeskGroupItem&) = delete;
    TVeskGroupItem& operator=(const TVeskGroupItem&) = delete;

    TVeskListView* Owner = nullptr;
    std::wstring Caption;
    int ImageIndex = -1;
    bool Expanded = false;
    fw::TRect GroupRect{-1, -1, -1, -1};
    fw::TRect ButtonRect{-1, -1, -1, -1};
    fw::TRect TextRect{-1, -1, -1, -1};
    fw::TRect CheckRect{-1, -1, -1, -1};
    fw::TRect ImageRect{-1, -1, -1, -1};
    uint8_t Checked = 0;
    std::vector<TVeskLvItem*> Items;
    bool Visible = true;
    bool Enabled = true;
    std::wstring Hint;

    void SetExpanded(bool Value);
    int ItemCount() const { return static_cast<int>(Items.size()); }
    TVeskLvItem* GetItem(int Index) const;
    // Appends a new item held by this group.
    TVeskLvItem* AddItem();
    void Clear();
};

class TVeskLvHeadItem {
public:
    std::wstring Caption;
    bool AutoSize = false;
    bool Visible = true;
    bool Enabled = true;
    int ImageIndex = -1;
    int Width = 80;
    bool HasCheckBox = false;
    bool Resizable = true;
    bool Checked = false;
    fw::TRect CheckRect{-1, -1, -1, -1};
    bool Sortable = false;
    uint8_t SortState = 0;
    fw::TRect HeadRect{-1, -1, -1, -1};
    fw::TRect SplitRect{-1, -1, -1, -1};
};


using TVeskLvItemEvent = std::function<void(fw::TObject* Sender, TVeskLvItem* AItem)>;
using TVeskShowCheckBoxEvent = std::function<void(fw::TObject* Sender, TVeskLvItem* AItem, bool& ShowCheckBox)>;
using TVeskLvMeasureItemEvent = std::function<void(TVeskLvItem* AItem, int itemindex, int& itemHeight)>;
using TVeskLvDrawItemEvent = std::function<void(fw::TCanvas* ACanvas, int itemindex, TVeskLvItem* AItem)>;
using TVeskLvOwnerDrawItemEvent =
    std::function<void(fw::TCanvas* ACanvas, int itemindex, TVeskLvItem* AItem, bool& DefaultDraw)>;
using TVeskLvDrawSubItemEvent = std::function<void(fw::TCanvas* ACanvas, TVeskLvItem* AItem, int Subindex)>;
using TVeskLvDrawBackEvent = std::function<void(fw::TBitmap* ABmp, const fw::TRect& ARect)>;
using TVeskOffSetDrawEvent = std::function<void(fw::TObject* Sender, int& Aleft, int& ATop)>;
using TVeskLvItemMouseEvent = std::function<void(fw::TObject* Sender, fw::TCanvas* ACanvas, TVeskLvItem* AItem,
                                                 fw::TShiftState Shift, int X, int Y)>;
using TVeskLvHeaderEvent = std::function<void(fw::TObject* Sender, TVeskLvHeadItem* AheadItem, int Headindex)>;
using TVeskLvDrawHeadItemEvent = std::function<void(fw::TCanvas* ACanvas, TVeskLvHeadItem* AItem, int Headindex)>;
using TVeskLvMeasureGroupItemEvent = std::function<void(TVeskGroupItem* AItem, int itemindex, int& GroupitemHeight)>;
using TVeskLVDrawGroupItemEvent = std::function<void(fw::TCanvas* ACanvas, int itemindex, TVeskGroupItem* AItem)>;
using TVeskLvOwnerDrawGroupItemEvent =
    std::function<void(fw::TCanvas* ACanvas, int itemindex, TVeskGroupItem* AItem, bool& DefaultDraw)>;
using TVeskGroupItemEvent = std::function<void(fw::TObject* Sender, TVeskGroupItem* AItem)>;
using TVeskGShowCheckBoxEvent = std::function<void(fw::TObject* Sender, TVeskGroupItem* AItem, bool& ShowCheckBox)>;
using TVeskGroupItemMouseEvent =
    std::function<void(fw::TObject* Sender, TVeskGroupItem* AItem, fw::TShiftState Shift, int X, int Y)>;

class TVeskListView : public fw::TCustomControl {
public:
    FW_CLASSNAME(TVeskListView)
    explicit TVeskListView(fw::TComponent* AOwner);
    ~TVeskListView() override;

    // The tab order under the name the form descriptions use.
    int GetTaborder() const { return GetTabOrder(); }
    void SetTaborder(int Value) { SetTabOrder(Value); }

    void Loaded() override;

    // Items.
    TVeskLvItem* AddItem();
    void DeleteItem(TVeskLvItem* AItem);
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TVeskLvItem* GetItem(int Index) const;
    int IndexOf(const TVeskLvItem* AItem) const;
    // Whether the item is a flat item or an item of one of the groups.
    bool HasItem(const TVeskLvItem* AItem) const;
    const std::vector<TVeskLvItem*>& GetItems() const { return FItems; }
    int SelectedCount() const;
    TVeskLvItem* FirstSelected() const;
    void DeselectAllExcept(TVeskLvItem* AItem);
    TVeskLvItem* ItemAt(int X, int Y) const;
    void RedrawItem(TVeskLvItem* AItem);
    // The group row alone, renewed in the buffer; ends with OnNeedPaint when assigned, else
    // invalidates the row.
    void RedrawGroup(TVeskGroupItem* AGroup);
    // A rectangle cut to the off-screen buffer (empty when nothing of it lies there).
    fw::TRect ClampToBuffer(const fw::TRect& R) const;
    void RequestRepaint();

    // Groups and columns (the control only reads them; these add them).
    TVeskGroupItem* AddGroup();
    int GroupCount() const { return static_cast<int>(FGroups.size()); }
    TVeskGroupItem* GetGroup(int Index) const;
    void ClearGroups();
    TVeskLvHeadItem* AddColumn();
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    TVeskLvHeadItem* GetColumn(int Index) const;
    void ClearColumns();

    // Published properties.
    bool GetNeedForceRepaint() const { return FNeedForceRepaint; }
    void SetNeedForceRepaint(bool Value) { FNeedForceRepaint = Value; }
    bool GetHaveLoaded() const { return FHaveLoaded; }
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value) { FTransparent = Value; }
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { FMultiSelect = Value; }
    fw::TColor GetFontColorNormal() const { return FFontColorNormal; }
    void SetFontColorNormal(fw::TColor Value) { SetColorProp(FFontColorNormal, Value); }
    fw::TColor GetFontColorOver() const { return FFontColorOver; }
    void SetFontColorOver(fw::TColor Value) { SetColorProp(FFontColorOver, Value); }
    fw::TColor GetFontColorDown() const { return FFontColorDown; }
    void SetFontColorDown(fw::TColor Value) { SetColorProp(FFontColorDown, Value); }
    fw::TColor GetFontColorDisable() const { return FFontColorDisable; }
    void SetFontColorDisable(fw::TColor Value) { SetColorProp(FFontColorDisable, Value); }
    fw::TColor GetDragColor() const { return FDragColor; }
    void SetDragColor(fw::TColor Value) { SetColorProp(FDragColor, Value); }
    fw::TPngImage* GetImgBack() const { return FImgBack.get(); }
    void SetImgBack(fw::TPngImage* Value) { CopyPng(FImgBack.get(), Value); }
    fw::TPngImage* GetImgitem() const { return FImgitem.get(); }
    void SetImgitem(fw::TPngImage* Value) { CopyPng(FImgitem.get(), Value); }
    TVeskPadding* Getitemsplit() const { return FItemSplit.get(); }
    void Setitemsplit(TVeskPadding* Value) { FItemSplit->Assign(Value); }
    int GetItemStateCount() const { return FItemStateCount; }
    void SetItemStateCount(int Value) { FItemStateCount = Value; }
    fw::TPngImage* GetImgCheck() const { return FImgCheck.get(); }
    void SetImgCheck(fw::TPngImage* Value) { CopyPng(FImgCheck.get(), Value); }
    int GetCheckStateCount() const { return FCheckStateCount; }
    void SetCheckStateCount(int Value) { FCheckStateCount = Value; }
    fw::TPngImage* GetImgSelBox() const { return FImgSelBox.get(); }
    void SetImgSelBox(fw::TPngImage* Value) { CopyPng(FImgSelBox.get(), Value); }
    bool GetShowCheckBox() const { return FShowCheckBox; }
    void SetShowCheckBox(bool Value) { SetBoolProp(FShowCheckBox, Value); }
    int GetItemRowHeight() const { return FItemRowHeight; }
    void SetItemRowHeight(int Value);
    int GetItemheight() const { return FItemheight; }
    void SetItemheight(int Value);
    int GetItemWidth() const { return FItemWidth; }
    void SetItemWidth(int Value);
    int GetGroupItemHeight() const { return FGroupItemHeight; }
    void SetGroupItemHeight(int Value);
    TVeskListViewStyle GetViewStyle() const { return FViewStyle; }
    void SetViewStyle(TVeskListViewStyle Value);
    bool GetCanDrag() const { return FCanDrag; }
    void SetCanDrag(bool Value) { FCanDrag = Value; }
    TVeskPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TVeskPopupMenu* Value) { SetLink(FPopupMenu, Value); }
    bool GetSupportRightSelect() const { return FSupportRightSelect; }
    void SetSupportRightSelect(bool Value) { FSupportRightSelect = Value; }
    TVeskStdImageList* GetStdImageList() const { return FStdImageList; }
    void SetStdImageList(TVeskStdImageList* Value) { SetLinkRepaint(FStdImageList, Value); }
    int GetMarginCheckBox() const { return FMarginCheckBox; }
    void SetMarginCheckBox(int Value) { SetIntProp(FMarginCheckBox, Value); }
    int GetMarginImageList() const { return FMarginImageList; }
    void SetMarginImageList(int Value) { SetIntProp(FMarginImageList, Value); }
    int GetMarginText() const { return FMarginText; }
    void SetMarginText(int Value) { SetIntProp(FMarginText, Value); }
    int GetMarginItem() const { return FMarginItem; }
    void SetMarginItem(int Value) { SetIntProp(FMarginItem, Value); }
    int GetMarginItemY() const { return FMarginItemY; }
    void SetMarginItemY(int Value) { SetIntProp(FMarginItemY, Value); }
    int GetMarginItemMin() const { return FMarginItemMin; }
    void SetMarginItemMin(int Value) { SetIntProp(FMarginItemMin, Value); }
    fw::TColor GetBorderColor() const { return FBorderColor; }
    void SetBorderColor(fw::TColor Value) { SetColorProp(FBorderColor, Value); }
    TVeskScrollBarRes* GetVerScrollRes() const { return FVerScrollRes; }
    void SetVerScrollRes(TVeskScrollBarRes* Value) { SetLink(FVerScrollRes, Value); }
    TVeskScrollBarRes* GetHorScrollRes() const { return FHorScrollRes; }
    void SetHorScrollRes(TVeskScrollBarRes* Value) { SetLink(FHorScrollRes, Value); }
    TVeskStdImageList* GetImagelist() const { return FImagelist; }
    void SetImagelist(TVeskStdImageList* Value) { SetLinkRepaint(FImagelist, Value); }
    bool GetHotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { FHotTrack = Value; }
    TVeskStdImageList* GetHeadImglist() const { return FHeadImglist; }
    void SetHeadImglist(TVeskStdImageList* Value) { SetLinkRepaint(FHeadImglist, Value); }
    fw::TFont* GetHeaderFont() const { return FHeaderFont.get(); }
    void SetHeaderFont(fw::TFont* Value);
    int GetHeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(int Value);
    int GetHeaderSplitWidth() const { return FHeaderSplitWidth; }
    void SetHeaderSplitWidth(int Value) { SetIntProp(FHeaderSplitWidth, Value); }
    fw::TPngImage* GetImgHeader() const { return FImgHeader.get(); }
    void SetImgHeader(fw::TPngImage* Value) { CopyPng(FImgHeader.get(), Value); }
    int GetHeaderStateCount() const { return FHeaderStateCount; }
    void SetHeaderStateCount(int Value);
    fw::TPngImage* GetImgHeaderSplit() const { return FImgHeaderSplit.get(); }
    void SetImgHeaderSplit(fw::TPngImage* Value) { CopyPng(FImgHeaderSplit.get(), Value); }
    int GetHeaderSplitStateCount() const { return FHeaderSplitStateCount; }
    void SetHeaderSplitStateCount(int Value);
    fw::TPngImage* GetImgHeaderArrow() const { return FImgHeaderArrow.get(); }
    void SetImgHeaderArrow(fw::TPngImage* Value) { CopyPng(FImgHeaderArrow.get(), Value); }
    TVeskStdImageList* GetGroupImgList() const { return FGroupImgList; }
    void SetGroupImgList(TVeskStdImageList* Value) { SetLinkRepaint(FGroupImgList, Value); }
    int GetMarginGroupItem() const { return FMarginGroupItem; }
    void SetMarginGroupItem(int Value) { SetIntProp(FMarginGroupItem, Value); }
    int GetMarginGroupImgList() const { return FMarginGroupImgList; }
    void SetMarginGroupImgList(int Value) { SetIntProp(FMarginGroupImgList, Value); }
    int GetMarginGroupText() const { return FMarginGroupText; }
    void SetMarginGroupText(int Value) { SetIntProp(FMarginGroupText, Value); }
    bool GetShowGroup() const { return FShowGroup; }
    void SetShowGroup(bool Value) { SetBoolProp(FShowGroup, Value); }
    int GetMarginGroupItemExpandBtn() const { return FMarginGroupItemExpandBtn; }
    void SetMarginGroupItemExpandBtn(int Value) { SetIntProp(FMarginGroupItemExpandBtn, Value); }
    fw::TPngImage* GetImgGroupBtn() const { return FImgGroupBtn.get(); }
    void SetImgGroupBtn(fw::TPngImage* Value) { CopyPng(FImgGroupBtn.get(), Value); }

    // Run-time state.
    TVeskLvItem* GetHotItem() const { return FHotItem; }
    TVeskLvItem* GetDownItem() const { return FDownItem; }
    TVeskLvItem* GetCurrentItem() const { return FCurrentItem; }
    TVeskLvItem* GetCheckHotItem() const { return FCheckHotItem; }
    TVeskLvItem* GetCheckDownItem() const { return FCheckDownItem; }
    TVeskLvItem* GetAnchorItem() const { return FAnchorItem; }
    TVeskLvItem* GetRangeEndItem() const { return FRangeEndItem; }
    TVeskLvItem* GetDropTarget() const { return FDropTarget; }
    int GetTopOffset() const { return FTopOffset; }
    int GetLeftOffset() const { return FLeftOffset; }
    int GetContentHeight() const { return FContentHeight; }
    int GetViewHeight() const { return FViewHeight; }
    int GetFirstVisibleIndex() const { return FFirstVisibleIndex; }
    int GetLastVisibleIndex() const { return FLastVisibleIndex; }
    const fw::TRect& GetHeaderRect() const { return FHeaderRect; }
    TVeskPngScrollBar* GetVerScrollBar() const { return FVerBar; }
    TVeskPngScrollBar* GetHorScrollBar() const { return FHorBar; }
    fw::TBitmap* GetBuffer() const { return FBuffer.get(); }
    fw::TBitmap* GetDragImage() const { return FDragImage.get(); }
    bool GetDragArmed() const { return FDragArmed; }
    fw::TPoint GetBandStart() const { return FBandStart; }
    fw::TPoint GetBandEnd() const { return FBandEnd; }
    TVeskLvHeadItem* GetHotColumn() const { return FHotColumn; }
    TVeskLvHeadItem* GetDownColumn() const { return FDownColumn; }
    TVeskLvHeadItem* GetSplitColumn() const { return FSplitColumn; }
    TVeskLvHeadItem* GetResizeColumn() const { return FResizeColumn; }
    TVeskGroupItem* GetHotGroup() const { return FHotGroup; }
    // Item frames: 0 normal, 1 over, 2 down, 3 disabled (nullptr when absent).
    fw::TPngImage* GetItemFrame(int Index) const {
        return Index >= 0 && Index < 4 ? FItemFrames[Index].get() : nullptr;
    }
    bool GetItemHintShown() const { return FItemHintShown; }
    void ComputeContentHeight();
    void ComputeViewHeight();
    void ComputeHeaderRect();

    // Events.
    TVeskLvItemEvent OnItemClick;
    TVeskLvItemEvent OnItemDbClick;
    TVeskLvItemEvent OnItemCheck;
    TVeskLvItemEvent OnItemSelectChange;
    TVeskLvItemEvent OnItemDataDelete;
    TVeskLvItemEvent OnGetCaption;
    TVeskShowCheckBoxEvent OnShowCheckbox;
    TVeskLvMeasureItemEvent OnMeasureItem;
    TVeskLvDrawItemEvent OnBeforeItemDraw;
    TVeskLvOwnerDrawItemEvent OnItemOwnerDraw;
    TVeskLvDrawItemEvent OnAfterItemDraw;
    TVeskLvDrawSubItemEvent OnSubItemDraw;
    TVeskLvDrawBackEvent OnDrawBackGround;
    TVeskOffSetDrawEvent OnItemsDrawOffSet;
    TVeskLvItemMouseEvent OnItemMouseDown;
    TVeskLvItemMouseEvent OnItemMouseMove;
    TVeskLvItemMouseEvent OnItemMouseUP;
    fw::TNotifyEvent OnDragBeging;
    fw::TNotifyEvent OnNeedPaint;
    TVeskLvHeaderEvent OnHeadClickEvent;
    TVeskLvHeaderEvent OnHeadCheckedEvent;
    TVeskLvDrawHeadItemEvent OnHeadItemAfterDraw;
    TVeskOffSetDrawEvent OnGroupItemsDrawOffSet;
    TVeskLvMeasureGroupItemEvent OnMeasureGroupItem;
    TVeskLVDrawGroupItemEvent OnBeforeGroupItemDraw;
    TVeskLVDrawGroupItemEvent OnAfterGroupItemDraw;
    TVeskLvOwnerDrawGroupItemEvent OnGroupItemOwnerDraw;
    TVeskGroupItemEvent OnGetGCaption;
    TVeskGShowCheckBoxEvent OnGroupShowCheckBox;
    TVeskGroupItemMouseEvent OnGroupItemMouseDown;
    TVeskGroupItemMouseEvent OnGroupItemMouseMove;
    TVeskGroupItemMouseEvent OnGroupItemMouseUp;
    TVeskGroupItemEvent OnGroupItemClick;
    TVeskGroupItemEvent OnGroupItemCheck;

    // The vertical bar's scroll handler (also fired by the wheel).
    void VerScroll(int& ScrollPos);
    void HorScroll(int& ScrollPos);

protected:
    void Paint() override;
    void Resize() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void WndProc(fw::TMessage& Message) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void DblClick() override;

private:
    template <class T>
    void SetLink(T*& Field, T* Value) {
        if (Field == Value) return;
        if (Field) Field->RemoveFreeNotification(this);
        Field = Value;
        if (Value) Value->FreeNotification(this);
    }
    template <class T>
    void SetLinkRepaint(T*& Field, T* Value) {
        if (Field == Value) return;
        SetLink(Field, Value);
        RequestRepaint();
    }
    void SetIntProp(int& Field, int Value) {
        if (Field == Value) return;
        Field = Value;
        RequestRepaint();
    }
    void SetBoolProp(bool& Field, bool Value) {
        if (Field == Value) return;
        Field = Value;
        RequestRepaint();
    }
    void SetColorProp(fw::TColor& Field, fw::TColor Value) {
        if (Field == Value) return;
        Field = Value;
        RequestRepaint();
    }
    static void CopyPng(fw::TPngImage* Target, fw::TPngImage* Source);

    // Layout and painting.
    void CutItemFrames();
    void CutOtherFrames();
    void CutHeaderFrames();
    int BorderInset() const;
    bool VerBarVisible() const;
    bool HorBarVisible() const;
    int VerSkinWidth() const;
    void PaintBackground(const fw::TRect& Rect);
    void LayoutColumns();
    void DrawHeader();
    void DrawRows();
    void DrawRowItem(int Index, TVeskLvItem* AItem);
    void DrawSubItems(TVeskLvItem* AItem);
    void DrawIcons();
    void DrawIconItem(int Index, TVeskLvItem* AItem);
    void DrawRubberBand();
    void UpdateVerScrollBar();
    // Keeps the vertical bar's range, its position and TopOffset within the current content and
    // view heights (after the list shrank or the view grew).
    void ClampVerScroll();
    void UpdateHorScrollBar();
    TVeskStdImageList* RowImageList() const { return FImagelist ? FImagelist : FStdImageList; }
    int MeasureItem(TVeskLvItem* AItem, int Index);
    void FireGetCaption(TVeskLvItem* AItem);

    // Input.
    bool ItemHover(const std::vector<TVeskLvItem*>& List, int First, int Last, fw::TShiftState Shift, int X, int Y);
    void GroupHover(fw::TShiftState Shift, int X, int Y);
    bool GroupMouseDown(fw::TShiftState Shift, int X, int Y);
    bool GroupMouseUp(fw::TShiftState Shift, int X, int Y);
    void DrawGroups();
    void DrawGroupRow(int Index, TVeskGroupItem* AGroup);
    bool HeaderMouseMove(fw::TShiftState Shift, int X, int Y);
    bool HeaderMouseDown(int X, int Y);
    bool HeaderMouseUp(int X, int Y);
    void ClickSelect(TVeskLvItem* AItem, fw::TMouseButton Button, fw::TShiftState Shift);
    void SelectRange();
    void SelectItemWithEvent(TVeskLvItem* AItem);
    void DragMove(int X, int Y);
    void BuildDragImage();
    void Drop();
    void ShowCaptionHint(TVeskLvItem* AItem, int X, int Y);
    void RestoreHint();
    bool PopupShowing() const;
    void DoMouseEnter();
    void DoMouseLeave();
    void DoKillFocus();
    bool DoWheel(fw::TMessage& Message);
    // Clears every reference to an item that is being freed (called by the item's destructor).
    friend class TVeskLvItem;
    void ForgetItem(TVeskLvItem* AItem);

    std::vector<TVeskLvItem*> FItems;
    std::vector<TVeskGroupItem*> FGroups;
    std::vector<TVeskLvHeadItem*> FColumns;
    std::unique_ptr<fw::TBitmap> FBuffer;
    std::unique_ptr<fw::TBitmap> FDragImage;
    std::array<TPngPtr, 4> FItemFrames;
    std::array<TPngPtr, 6> FCheckFrames;
    std::array<TPngPtr, 4> FHeaderFrames;
    std::array<TPngPtr, 4> FSplitFrames;
    std::array<TPngPtr, 2> FArrowFrames;
    std::array<TPngPtr, 6> FGroupBtnFrames;

    TVeskLvItem* FHotItem = nullptr;
    TVeskLvItem* FDownItem = nullptr;
    TVeskLvItem* FCurrentItem = nullptr;
    TVeskLvItem* FCheckHotItem = nullptr;
    TVeskLvItem* FCheckDownItem = nullptr;
    TVeskLvItem* FAnchorItem = nullptr;
    TVeskLvItem* FRangeEndItem = nullptr;
    TVeskLvItem* FDropTarget = nullptr;
    TVeskGroupItem* FHotGroup = nullptr;
    TVeskGroupItem* FDownGroup = nullptr;
    TVeskGroupItem* FCheckHotGroup = nullptr;
    TVeskGroupItem* FCheckDownGroup = nullptr;
    TVeskGroupItem* FBtnHotGroup = nullptr;
    TVeskGroupItem* FBtnDownGroup = nullptr;
    TVeskLvHeadItem* FHotColumn = nullptr;
    TVeskLvHeadItem* FDownColumn = nullptr;
    TVeskLvHeadItem* FSplitColumn = nullptr;
    TVeskLvHeadItem* FResizeColumn = nullptr;
    int FResizeStartX = 0, FResizeStartWidth = 0;
    TVeskLvHeadItem* FCheckHotColumn = nullptr;
    TVeskLvHeadItem* FCheckDownColumn = nullptr;

    int FTopOffset = 0, FLeftOffset = 0;
    int FContentHeight = 0, FViewHeight = 0;
    int FFirstVisibleIndex = -1, FLastVisibleIndex = -1;
    fw::TRect FHeaderRect{0, 0, 0, 0};
    int FDrawLeft = 0, FDrawTop = 0;

    bool FDragArmed = false;
    fw::TPoint FDragOrigin{-1, -1};
    fw::TPoint FDragLast{-1, -1};
    fw::TPoint FBandStart{-1, -1};
    fw::TPoint FBandEnd{-1, -1};
    std::wstring FSavedHint;
    bool FSavedShowHint = false;
    bool FItemHintShown = false;
    bool FGroupHintShown = false;
    bool FInCaptionEvent = false;

    TVeskPngScrollBar* FVerBar = nullptr;
    TVeskPngScrollBar* FHorBar = nullptr;

    bool FNeedForceRepaint = false;
    bool FHaveLoaded = false;
    bool FTransparent = false;
    bool FMultiSelect = false;
    fw::TColor FFontColorNormal = fw::clBlack;
    fw::TColor FFontColorOver = fw::clBlue;
    fw::TColor FFontColorDown = fw::clNavy;
    fw::TColor FFontColorDisable = fw::clGray;
    fw::TColor FDragColor = fw::clRed;
    std::unique_ptr<fw::TPngImage> FImgBack, FImgitem, FImgCheck, FImgSelBox, FImgHeader, FImgHeaderSplit,
        FImgHeaderArrow, FImgGroupBtn;
    std::unique_ptr<TVeskPadding> FItemSplit;
    int FItemStateCount = 2;
    int FCheckStateCount = 4;
    bool FShowCheckBox = false;
    int FItemRowHeight = 0;
    int FItemheight = 32;
    int FItemWidth = 32;
    int FGroupItemHeight = 32;
    TVeskListViewStyle FViewStyle = VvsIcon;
    bool FCanDrag = false;
    TVeskPopupMenu* FPopupMenu = nullptr;
    bool FSupportRightSelect = false;
    TVeskStdImageList* FStdImageList = nullptr;
    int FMarginCheckBox = 2, FMarginImageList = 2, FMarginText = 2, FMarginItem = 2, FMarginItemY = 2,
        FMarginItemMin = 2;
    fw::TColor FBorderColor = fw::clSkyBlue;
    TVeskScrollBarRes* FVerScrollRes = nullptr;
    TVeskScrollBarRes* FHorScrollRes = nullptr;
    TVeskStdImageList* FImagelist = nullptr;
    bool FHotTrack = true;
    TVeskStdImageList* FHeadImglist = nullptr;
    std::unique_ptr<fw::TFont> FHeaderFont;
    std::unique_ptr<fw::TFont> FGroupFont;
    int FHeaderHeight = 22;
    int FHeaderSplitWidth = 3;
    int FHeaderStateCount = 4;
    int FHeaderSplitStateCount = 4;
    TVeskStdImageList* FGroupImgList = nullptr;
    int FMarginGroupItem = 2, FMarginGroupImgList = 2, FMarginGroupText = 2;
    bool FShowGroup = false;
    int FMarginGroupItemExpandBtn = 0;
};
