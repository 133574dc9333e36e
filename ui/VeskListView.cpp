// Items, groups, columns and the list view's lists, properties and lifecycle.
#include "VeskListView.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Items

TVeskLvItem::~TVeskLvItem() {
    // Every way of freeing an item (deleting it, clearing the list or a group, freeing the groups)
    // ends here, so the list view forgets it here: no hot, pressed or anchor reference may outlive it.
    if (Owner) Owner->ForgetItem(this);
    // Data belongs to the caller: forgotten, never freed.
    Data = nullptr;
    for (auto it = SubItems.rbegin(); it != SubItems.rend(); ++it) delete *it;
    SubItems.clear();
}

void TVeskLvItem::SetCaption(const std::wstring& Value) {
    if (Value == Caption) return;
    Caption = Value;
    if (Owner) Owner->RequestRepaint();
}

void TVeskLvItem::SetSelected(bool Value) {
    if (Value == Selected) return;
    Selected = Value;
    if (Owner) Owner->RequestRepaint();
}

TVeskLvSubItem* TVeskLvItem::GetSubItem(int Index) const {
    if (Index < 0 || Index >= SubItemCount()) return nullptr;
    return SubItems[Index];
}

TVeskLvSubItem* TVeskLvItem::AddSubItem(const std::wstring& ACaption) {
    auto* sub = new TVeskLvSubItem();
    sub->Caption = ACaption;
    SubItems.push_back(sub);
    return sub;
}

// ---------------------------------------------------------------------------------------------
// Groups

TVeskGroupItem::~TVeskGroupItem() { Clear(); }

void TVeskGroupItem::SetExpanded(bool Value) {
    if (Value == Expanded) return;
    Expanded = Value;
    if (Owner) Owner->RequestRepaint();
}

TVeskLvItem* TVeskGroupItem::GetItem(int Index) const {
    if (Index < 0 || Index >= ItemCount()) return nullptr;
    return Items[Index];
}

TVeskLvItem* TVeskGroupItem::AddItem() {
    auto* item = new TVeskLvItem();
    item->Owner = Owner;
    item->Group = this;
    Items.push_back(item);
    return item;
}

void TVeskGroupItem::Clear() {
    while (!Items.empty()) {
        TVeskLvItem* item = Items.back();
        Items.pop_back();
        delete item;
    }
}

// ---------------------------------------------------------------------------------------------
// The list view: construction, lifecycle and lists

TVeskListView::TVeskListView(fw::TComponent* AOwner)
    : fw::TCustomControl(AOwner),
      FBuffer(std::make_unique<fw::TBitmap>()),
      FImgBack(std::make_unique<fw::TPngImage>()),
      FImgitem(std::make_unique<fw::TPngImage>()),
      FImgCheck(std::make_unique<fw::TPngImage>()),
      FImgSelBox(std::make_unique<fw::TPngImage>()),
      FImgHeader(std::make_unique<fw::TPngImage>()),
      FImgHeaderSplit(std::make_unique<fw::TPngImage>()),
      FImgHeaderArrow(std::make_unique<fw::TPngImage>()),
      FImgGroupBtn(std::make_unique<fw::TPngImage>()),
      FItemSplit(std::make_unique<TVeskPadding>()),
      FHeaderFont(std::make_unique<fw::TFont>()),
      FGroupFont(std::make_unique<fw::TFont>()) {
    SetControlStyle(GetControlStyle() | fw::csAcceptsControls | fw::csCaptureMouse | fw::csClickEvents |
                    fw::csDoubleClicks);
    SetDoubleBuffered(true);
    FBuffer->SetPixelFormat(fw::pf32bit);
    SetColor(fw::clWhite);
    SetTabStop(true);
    SetBounds(GetLeft(), GetTop(), 200, 150);
}

TVeskListView::~TVeskListView() {
    // The bars are owned components and went with the owned components before this runs.
    FVerBar = nullptr;
    FHorBar = nullptr;
    Clear();
    ClearColumns();
    ClearGroups();
}

void TVeskListView::CopyPng(fw::TPngImage* Target, fw::TPngImage* Source) {
    if (Source)
        Target->Assign(Source);
    else
        Target->Assign(nullptr);
}

void TVeskListView::Loaded() {
    fw::TCustomControl::Loaded();
    if (FHaveLoaded) return;
    FBuffer->SetSize(std::max(GetWidth(), 0), std::max(GetHeight(), 0));
    if (!FImgBack->GetEmpty() && !FImgBack->HasAlpha()) FImgBack->CreateAlpha();
    CutItemFrames();
    CutOtherFrames();
    ComputeHeaderRect();
    ComputeContentHeight();
    ComputeViewHeight();
    FHaveLoaded = true;
}

TVeskLvItem* TVeskListView::AddItem() {
    auto* item = new TVeskLvItem();
    item->Owner = this;
    FItems.push_back(item);
    return item;
}

int TVeskListView::IndexOf(const TVeskLvItem* AItem) const {
    auto it = std::find(FItems.begin(), FItems.end(), AItem);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TVeskListView::ForgetItem(TVeskLvItem* AItem) {
    for (TVeskLvItem** ref : {&FCurrentItem, &FHotItem, &FDownItem, &FCheckHotItem, &FCheckDownItem, &FAnchorItem,
                              &FRangeEndItem, &FDropTarget})
        if (*ref == AItem) *ref = nullptr;
}

void TVeskListView::DeleteItem(TVeskLvItem* AItem) {
    const int index = IndexOf(AItem);
    if (index < 0 || !AItem) return;
    FCurrentItem = FHotItem = FDownItem = FCheckHotItem = FCheckDownItem = FAnchorItem = FRangeEndItem = nullptr;
    std::shared_ptr<bool> alive = AliveToken();
    TVeskLvItemEvent handler = OnItemDataDelete;
    if (handler) handler(this, AItem);
    if (!*alive) return;
    // The handler may have changed the list; remove the item wherever it now stands.
    auto it = std::find(FItems.begin(), FItems.end(), AItem);
    if (it == FItems.end()) return;
    FItems.erase(it);
    delete AItem;
    if (FHaveLoaded) {
        ComputeContentHeight();
        ClampVerScroll();
    }
    RequestRepaint();
}

void TVeskListView::Clear() {
    if (FItemHintShown || FGroupHintShown) RestoreHint();
    std::shared_ptr<bool> alive = AliveToken();
    while (!FItems.empty()) {
        TVeskLvItem* item = FItems.back();
        TVeskLvItemEvent handler = OnItemDataDelete;
        if (handler) handler(this, item);
        if (!*alive) return;
        // The handler may have deleted the item itself.
        auto it = std::find(FItems.begin(), FItems.end(), item);
        if (it == FItems.end()) continue;
        FItems.erase(it);
        delete item;
    }
    FCurrentItem = FHotItem = FDownItem = FCheckHotItem = FCheckDownItem = FAnchorItem = FRangeEndItem = nullptr;
    FDropTarget = nullptr;
    if (FVerBar) {
        TVeskPngScrollBar* bar = FVerBar;
        FVerBar = nullptr;
        bar->Free();
    }
    if (FHorBar) {
        TVeskPngScrollBar* bar = FHorBar;
        FHorBar = nullptr;
        bar->Free();
    }
    FLeftOffset = 0;
    FTopOffset = 0;
}

TVeskLvItem* TVeskListView::GetItem(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[Index];
}

int TVeskListView::SelectedCount() const {
    return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](TVeskLvItem* i) { return i->Selected; }));
}

TVeskLvItem* TVeskListView::FirstSelected() const {
    if (FCurrentItem) return FCurrentItem;
    for (TVeskLvItem* item : FItems)
        if (item->Selected) return item;
    return nullptr;
}

TVeskGroupItem* TVeskListView::AddGroup() {
    auto* group = new TVeskGroupItem();
    group->Owner = this;
    FGroups.push_back(group);
    return group;
}

TVeskGroupItem* TVeskListView::GetGroup(int Index) const {
    if (Index < 0 || Index >= GroupCount()) return nullptr;
    return FGroups[Index];
}

void TVeskListView::ClearGroups() {
    for (auto it = FGroups.rbegin(); it != FGroups.rend(); ++it) delete *it;
    FGroups.clear();
    FHotGroup = FDownGroup = FCheckHotGroup = FCheckDownGroup = FBtnHotGroup = FBtnDownGroup = nullptr;
}

TVeskLvHeadItem* TVeskListView::AddColumn() {
    auto* column = new TVeskLvHeadItem();
    FColumns.push_back(column);
    return column;
}

TVeskLvHeadItem* TVeskListView::GetColumn(int Index) const {
    if (Index < 0 || Index >= ColumnCount()) return nullptr;
    return FColumns[Index];
}

void TVeskListView::ClearColumns() {
    for (auto it = FColumns.rbegin(); it != FColumns.rend(); ++it) delete *it;
    FColumns.clear();
    FHotColumn = FDownColumn = FSplitColumn = FResizeColumn = FCheckHotColumn = FCheckDownColumn = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Property setters

void TVeskListView::SetItemRowHeight(int Value) {
    if (Value == 0 || Value == FItemRowHeight) return;
    FItemRowHeight = Value;
}

void TVeskListView::SetItemheight(int Value) {
    if (Value < 1 || Value == FItemheight) return;
    FItemheight = Value;
    ComputeHeaderRect();
    RequestRepaint();
}

void TVeskListView::SetItemWidth(int Value) {
    if (Value < 1) return;
    SetIntProp(FItemWidth, Value);
}

void TVeskListView::SetGroupItemHeight(int Value) {
    if (Value < 1) return;
    SetIntProp(FGroupItemHeight, Value);
}

void TVeskListView::SetViewStyle(TVeskListViewStyle Value) {
    if (Value == FViewStyle) return;
    FViewStyle = Value;
    ComputeHeaderRect();
    ComputeContentHeight();
    ComputeViewHeight();
    RequestRepaint();
}

void TVeskListView::SetHeaderFont(fw::TFont* Value) {
    if (Value) FHeaderFont->Assign(Value);
    RequestRepaint();
}

void TVeskListView::SetHeaderHeight(int Value) {
    if (Value == FHeaderHeight) return;
    FHeaderHeight = Value;
    ComputeHeaderRect();
    RequestRepaint();
}

void TVeskListView::SetHeaderStateCount(int Value) {
    if (Value == FHeaderStateCount) return;
    FHeaderStateCount = Value;
    CutHeaderFrames();
}

void TVeskListView::SetHeaderSplitStateCount(int Value) {
    if (Value == FHeaderSplitStateCount) return;
    FHeaderSplitStateCount = Value;
    CutHeaderFrames();
}

void TVeskListView::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TCustomControl::Notification(AComponent, Operation);
    if (Operation != fw::opRemove || !AComponent) return;
    if (AComponent == static_cast<fw::TComponent*>(FVerScrollRes)) FVerScrollRes = nullptr;
    if (AComponent == static_cast<fw::TComponent*>(FHorScrollRes)) FHorScrollRes = nullptr;
    if (AComponent == static_cast<fw::TComponent*>(FPopupMenu)) FPopupMenu = nullptr;
    if (AComponent == static_cast<fw::TComponent*>(FVerBar)) FVerBar = nullptr;
    if (AComponent == static_cast<fw::TComponent*>(FHorBar)) FHorBar = nullptr;
    bool repaint = false;
    if (AComponent == static_cast<fw::TComponent*>(FImagelist)) FImagelist = nullptr, repaint = true;
    if (AComponent == static_cast<fw::TComponent*>(FStdImageList)) FStdImageList = nullptr, repaint = true;
    if (AComponent == static_cast<fw::TComponent*>(FHeadImglist)) FHeadImglist = nullptr, repaint = true;
    if (AComponent == static_cast<fw::TComponent*>(FGroupImgList)) FGroupImgList = nullptr, repaint = true;
    if (repaint && !IsDestroying()) RequestRepaint();
}
