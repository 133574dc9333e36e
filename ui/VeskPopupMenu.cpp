#include "VeskPopupMenu.h"

#include "fw_handles.h"

#include <algorithm>
#include <cstring>

using namespace fw;

namespace {

const TRect kNoRect(-1, -1, -1, -1);

bool PngEmpty(const TPngImage* Png) {
    return !Png || Png->GetEmpty();
}

// Gives every item of the subtree the menu that holds it.
void SetTreeMenu(TVeskMenuItem* Item, TVeskPopupMenu* Menu, void (*Set)(TVeskMenuItem*, TVeskPopupMenu*)) {
    Set(Item, Menu);
    for (TVeskMenuItem* c : Item->GetItems()) SetTreeMenu(c, Menu, Set);
}

// Copies the rows of a 32-bit bitmap into another one of the same size.
void CopyBitmap32(TBitmap* Source, TBitmap* Dest) {
    Dest->SetPixelFormat(pf32bit);
    Dest->SetSize(Source->GetWidth(), Source->GetHeight());
    GdiFlush();
    const size_t bytes = size_t(Source->GetWidth()) * 4;
    for (int y = 0; y < Source->GetHeight(); ++y) std::memcpy(Dest->ScanLine(y), Source->ScanLine(y), bytes);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TVeskMenuItem

TVeskMenuItem::TVeskMenuItem() : FShortCut(TextToShortCut(L"None")) {}

TVeskMenuItem::~TVeskMenuItem() {
    *FAlive = false;
    if (!FItems.empty()) ClearItems();
    // An item freed on its own (not through ClearItems, which takes it out of its list first)
    // leaves its list, so that no later popup, click or clear reaches the dead object.
    if (FParent) {
        auto& siblings = FParent->FItems;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    } else if (FMenu) {
        auto& top = FMenu->FItems;
        top.erase(std::remove(top.begin(), top.end(), this), top.end());
    }
    if (FMenu) FMenu->ItemDestroying(this);
}

TVeskMenuItem* TVeskMenuItem::GetItem(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[size_t(Index)];
}

void TVeskMenuItem::SetChecked(bool Value) {
    if (FChecked != Value) FChecked = Value;
}

void TVeskMenuItem::SetShortCut(TShortCut Value) {
    if (FShortCut != Value) FShortCut = Value;
}

void TVeskMenuItem::InsertItem(TVeskMenuItem* Item, int Index) {
    if (!Item || Item == this) return;
    Item->FParent = this;
    if (Index < 0 || Index > Count())
        FItems.push_back(Item);
    else
        FItems.insert(FItems.begin() + Index, Item);
    SetTreeMenu(Item, FMenu, [](TVeskMenuItem* I, TVeskPopupMenu* M) { I->FMenu = M; });
}

void TVeskMenuItem::ClearItems() {
    while (!FItems.empty()) {
        TVeskMenuItem* c = FItems.back();
        FItems.pop_back();
        c->Free();
    }
}

// ---------------------------------------------------------------------------------------------
// TVeskMenuForm

TVeskMenuForm::TVeskMenuForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {
    SetBorderStyle(bsNone);
    SetPosition(poDesigned);
    SetFormStyle(fsStayOnTop);
}

void TVeskMenuForm::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    if (auto* owner = dynamic_cast<TForm*>(GetOwner())) Params.WndParent = owner->GetHandle();
}

void TVeskMenuForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_ACTIVATEAPP:
            if (Message.WParam == 0 && FMenu) FMenu->CloseMenu();
            break;
        case WM_MOUSEACTIVATE:
            Message.Result = MA_NOACTIVATE;
            return;
        case WM_ACTIVATE:
            // The owner keeps its active title bar while its menu has the activation.
            FReadyShow = true;
            if (auto* owner = dynamic_cast<TForm*>(GetOwner()); owner && owner->HandleAllocated())
                SendMessageW(owner->GetHandle(), WM_NCACTIVATE, LOWORD(Message.WParam), 0);
            Message.Result = 0;
            return;
        case WM_KILLFOCUS:
            FReadyShow = false;
            Message.Result = 0;
            return;
        case WM_ERASEBKGND:
            Message.Result = 1;
            return;
        default:
            break;
    }
    TForm::WndProc(Message);
}

void TVeskMenuForm::Dispose() {
    FMenu = nullptr;
    OnMouseMove = nullptr;
    OnMouseDown = nullptr;
    OnMouseUp = nullptr;
    OnMouseWheel = nullptr;
    OnDeactivate = nullptr;
    if (HandleAllocated() && IsWindowVisible(GetHandle())) Hide();
    // A close that comes from one of this window's own messages waits until that message has
    // returned: the window procedure is still running on this object.
    if (FMessageDepth > 0)
        Release();
    else
        Free();
}

// ---------------------------------------------------------------------------------------------
// TVeskPopupMenu: construction, properties

TVeskPopupMenu::TVeskPopupMenu(TComponent* AOwner)
    : TPopupMenuBase(AOwner),
      FFontNormal(std::make_unique<TFont>()),
      FFontOver(std::make_unique<TFont>()),
      FFontDown(std::make_unique<TFont>()),
      FFontDisable(std::make_unique<TFont>()),
      FFontSelect(std::make_unique<TFont>()),
      FImgBack(std::make_unique<TPngImage>()),
      FImgSplit(std::make_unique<TVeskPadding>()),
      FImgItem(std::make_unique<TPngImage>()),
      FImgBtnUpDown(std::make_unique<TPngImage>()),
      FItemSplit(std::make_unique<TVeskPadding>()),
      FImgLine(std::make_unique<TPngImage>()),
      FImgSubArrow(std::make_unique<TPngImage>()),
      FImgCheck(std::make_unique<TPngImage>()),
      FImgRadio(std::make_unique<TPngImage>()),
      FImgBar(std::make_unique<TPngImage>()),
      FImgBarLogo(std::make_unique<TPngImage>()),
      FImgBarCaption(std::make_unique<TPngImage>()) {
    for (TLevel& lv : FLevels) {
        lv.Frame = std::make_unique<TBitmap>();
        lv.Frame->SetPixelFormat(pf32bit);
    }
}

TVeskPopupMenu::~TVeskPopupMenu() {
    ClearItems();
}

void TVeskPopupMenu::BeforeDestruction() {
    if (!DestructionStarted()) {
        *FAlive = false;
        // Level windows belong to the owner form and would outlive the menu: they go with it,
        // silently (no close event from a dying menu).
        for (int level = 3; level >= 1; --level) DisposeLevelForm(level);
        FShown = false;
        if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    }
    // The repeat timer is one of the menu's own components and is freed here.
    TComponent::BeforeDestruction();
    FRepeatTimer = nullptr;
}

void TVeskPopupMenu::Loaded() {
    TComponent::Loaded();
    for (int i = 0; i < 3; ++i)
        FArrowFrames[size_t(i)] = i < FSubArrowStateCount ? GetStatePng(FImgSubArrow.get(), FSubArrowStateCount, i) : nullptr;
    for (int i = 0; i < 2; ++i) {
        FCheckFrames[size_t(i)] = GetStatePng(FImgCheck.get(), 2, i);
        FRadioFrames[size_t(i)] = GetStatePng(FImgRadio.get(), 2, i);
    }
    for (int i = 0; i < 6; ++i) FUpDownFrames[size_t(i)] = GetStatePng(FImgBtnUpDown.get(), 6, i);
    if (!PngEmpty(FImgLine.get()) && !FImgLine->HasAlpha()) FImgLine->CreateAlpha();
}

void TVeskPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImageList) FImageList = nullptr;
    if (AComponent == FRepeatTimer) FRepeatTimer = nullptr;
    for (TLevel& lv : FLevels)
        if (AComponent == lv.Form) lv.Form = nullptr;
}

void TVeskPopupMenu::AssignPng(std::unique_ptr<TPngImage>& Field, TPngImage* Value) {
    if (Value == Field.get()) return;
    if (Value)
        Field->Assign(Value);
    else
        Field = std::make_unique<TPngImage>();
    // Cached pictures made from the old skins are remade at the next popup.
    for (TLevel& lv : FLevels) {
        lv.BackCache.reset();
        lv.ItemImagesWidth = -1;
    }
}

void TVeskPopupMenu::AssignFont(std::unique_ptr<TFont>& Field, TFont* Value) {
    if (Value && Value != Field.get()) Field->Assign(Value);
}

void TVeskPopupMenu::SetAlpha(int Value) {
    if (FAlpha != Value) FAlpha = Value;
}
void TVeskPopupMenu::SetAlphaWidth(int Value) {
    if (FAlphaWidth != Value) FAlphaWidth = Value;
}
void TVeskPopupMenu::SetMenuBarWidth(int Value) {
    if (FMenuBarWidth != Value) FMenuBarWidth = Value;
}
void TVeskPopupMenu::SetFontNormal(TFont* Value) { AssignFont(FFontNormal, Value); }
void TVeskPopupMenu::SetFontOver(TFont* Value) { AssignFont(FFontOver, Value); }
void TVeskPopupMenu::SetFontDown(TFont* Value) { AssignFont(FFontDown, Value); }
void TVeskPopupMenu::SetFontDisable(TFont* Value) { AssignFont(FFontDisable, Value); }
void TVeskPopupMenu::SetFontSelect(TFont* Value) { AssignFont(FFontSelect, Value); }
void TVeskPopupMenu::SetImgBack(TPngImage* Value) { AssignPng(FImgBack, Value); }
void TVeskPopupMenu::SetImgSplit(TVeskPadding* Value) {
    if (Value && Value != FImgSplit.get()) FImgSplit->Assign(Value);
}
void TVeskPopupMenu::SetImgItem(TPngImage* Value) { AssignPng(FImgItem, Value); }
void TVeskPopupMenu::SetImgBtnUpDown(TPngImage* Value) { AssignPng(FImgBtnUpDown, Value); }
void TVeskPopupMenu::SetItemSplit(TVeskPadding* Value) {
    if (Value && Value != FItemSplit.get()) FItemSplit->Assign(Value);
}
void TVeskPopupMenu::SetItemHeight(int Value) {
    if (FItemHeight != Value) FItemHeight = Value;
}
void TVeskPopupMenu::SetItemStateCount(int Value) {
    if (FItemStateCount == Value) return;
    FItemStateCount = Value;
    for (TLevel& lv : FLevels) lv.ItemImagesWidth = -1;
}
void TVeskPopupMenu::SetImgLine(TPngImage* Value) { AssignPng(FImgLine, Value); }
void TVeskPopupMenu::SetMinWidth(int Value) {
    if (FMinWidth != Value) FMinWidth = Value;
}
void TVeskPopupMenu::SetImgSubArrow(TPngImage* Value) { AssignPng(FImgSubArrow, Value); }
void TVeskPopupMenu::SetSubArrowStateCount(int Value) {
    if (FSubArrowStateCount != Value) FSubArrowStateCount = Value;
}
void TVeskPopupMenu::SetImgCheck(TPngImage* Value) { AssignPng(FImgCheck, Value); }
void TVeskPopupMenu::SetImgRadio(TPngImage* Value) { AssignPng(FImgRadio, Value); }
void TVeskPopupMenu::SetHaveBar(bool Value) {
    if (FHaveBar == Value) return;
    FHaveBar = Value;
    FLevels[0].BackCache.reset();
}
void TVeskPopupMenu::SetImgBar(TPngImage* Value) { AssignPng(FImgBar, Value); }
void TVeskPopupMenu::SetImgBarLogo(TPngImage* Value) { AssignPng(FImgBarLogo, Value); }
void TVeskPopupMenu::SetImgBarCaption(TPngImage* Value) { AssignPng(FImgBarCaption, Value); }

void TVeskPopupMenu::SetImageList(TVeskCustomImageList* Value) {
    if (Value == FImageList) return;
    if (FImageList) FImageList->RemoveFreeNotification(this);
    FImageList = Value;
    if (FImageList) FImageList->FreeNotification(this);
}

// ---------------------------------------------------------------------------------------------
// Item tree and shortcuts

TVeskMenuItem* TVeskPopupMenu::GetItem(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[size_t(Index)];
}

void TVeskPopupMenu::InsertItem(TVeskMenuItem* Item, int Index) {
    if (!Item) return;
    if (Index < 0 || Index > Count())
        FItems.push_back(Item);
    else
        FItems.insert(FItems.begin() + Index, Item);
    SetTreeMenu(Item, this, [](TVeskMenuItem* I, TVeskPopupMenu* M) { I->FMenu = M; });
    RegisterShortCuts(Item);
}

void TVeskPopupMenu::RegisterShortCuts(TVeskMenuItem* Item) {
    if (Item->GetShortCut() != 0) FShortCutItems.push_back(Item);
    for (TVeskMenuItem* c : Item->GetItems()) RegisterShortCuts(c);
}

void TVeskPopupMenu::ClearItems() {
    while (!FItems.empty()) {
        TVeskMenuItem* c = FItems.back();
        FItems.pop_back();
        c->Free();
    }
    FShortCutItems.clear();
}

void TVeskPopupMenu::ItemDestroying(TVeskMenuItem* Item) {
    // An item freed by its owner must leave no reference behind: the shortcut dispatch and the
    // open levels would otherwise reach a dead object.
    FShortCutItems.erase(std::remove(FShortCutItems.begin(), FShortCutItems.end(), Item), FShortCutItems.end());
    if (FHotItem == Item) FHotItem = nullptr;
    if (FPressedItem == Item) FPressedItem = nullptr;
    if (FLevel3Parent == Item) {
        FLevel3Parent = nullptr;
        DisposeLevelForm(3);
    }
    if (FLevel2Parent == Item) {
        FLevel2Parent = nullptr;
        FLevel3Parent = nullptr;
        DisposeLevelForm(3);
        DisposeLevelForm(2);
    }
}

void TVeskPopupMenu::HandleShortCut(TShiftState Shift, WORD Key) {
    TVeskMenuItem* found = nullptr;
    for (TVeskMenuItem* item : FShortCutItems) {
        if (!item->GetVisible() || !item->GetEnabled()) continue;
        WORD key = 0;
        TShiftState shift;
        ShortCutToKey(item->GetShortCut(), key, shift);
        if (key == Key && shift == Shift) {
            found = item;
            break;
        }
    }
    if (found) CloseAndClick(found);
}

// ---------------------------------------------------------------------------------------------
// Popup, click, close

TRect TVeskPopupMenu::WorkArea() {
    if (Screen) return Screen->GetWorkAreaRect();
    RECT r;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return TRect(r);
    return TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

TVeskMenuForm* TVeskPopupMenu::CreateLevelForm(int Level) {
    auto* f = TForm::CreateNew<TVeskMenuForm>(GetOwner());
    f->FreeNotification(this);
    const int lvl = Level;
    f->OnMouseMove = [this, lvl](TObject* s, TShiftState sh, int x, int y) { LevelMouseMove(lvl, s, sh, x, y); };
    f->OnMouseDown = [this, lvl](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        LevelMouseDown(lvl, s, b, sh, x, y);
    };
    f->OnMouseUp = [this, lvl](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        LevelMouseUp(lvl, s, b, sh, x, y);
    };
    if (Level <= 2)
        f->OnMouseWheel = [this, lvl](TObject* s, TShiftState sh, int d, TPoint p, bool& h) {
            LevelMouseWheel(lvl, s, sh, d, p, h);
        };
    if (Level == 1) {
        f->SetMenu(this);
        f->OnDeactivate = [this](TObject*) { CloseMenu(); };
    }
    L(Level).Form = f;
    return f;
}

void TVeskPopupMenu::Popup(int X, int Y) {
    if (FShown) CloseMenu();
    std::shared_ptr<bool> alive = FAlive;
    bool canShow = true;
    if (TVeskMenuPopupEvent before = OnBeforPopup) {
        before(this, canShow);
        if (!*alive) return;
    }
    if (!canShow) return;
    if (TNotifyEvent popup = OnPopup) {
        popup(this);
        if (!*alive) return;
    }
    for (TLevel& lv : FLevels) lv.FirstIndex = 0;
    PaintLevel(1, nullptr);
    TLevel& lv = L(1);
    if (lv.Width == 0 || lv.Height == 0) return;
    // Level windows left from an earlier popup whose close has not finished go now.
    ++FPopupGeneration;
    DisposeLevelForm(3);
    DisposeLevelForm(2);
    DisposeLevelForm(1);
    TVeskMenuForm* f = CreateLevelForm(1);
    TRect wa = WorkArea();
    int top = Y + lv.Height > wa.Bottom ? wa.Bottom - lv.Height : Y;
    int left = X + lv.Width > wa.Right ? X - lv.Width : X;
    f->SetBounds(left, top, lv.Width, lv.Height);
    HWND h = f->GetHandle();
    SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    lv.UpHot = lv.UpPressed = lv.DownHot = lv.DownPressed = false;
    FShown = true;
    PushLevel(1);
    f->Show();
    if (L(1).Form == f) f->SetFocus();
}

void TVeskPopupMenu::ItemClick(TVeskMenuItem* Item) {
    if (!Item) return;
    if (Item->Count() > 0) {
        FPressedItem = nullptr;
        return;
    }
    if (Item->GetAutoCheck()) Item->SetChecked(!Item->GetChecked());
    if (Item->GetChecked() && Item->GetRadioItem() && Item->GetGroupIndex() != -1) {
        const std::vector<TVeskMenuItem*>& siblings = Item->GetParent() ? Item->GetParent()->GetItems() : FItems;
        for (TVeskMenuItem* s : siblings) {
            if (s != Item && s->GetRadioItem() && s->GetGroupIndex() == Item->GetGroupIndex() && s->GetChecked())
                s->SetChecked(false);
        }
    }
    CloseAndClick(Item);
}

void TVeskPopupMenu::CloseAndClick(TVeskMenuItem* Item) {
    // OnMenuClose may free the menu or its items: the click of an item that no longer exists is
    // dropped.
    std::shared_ptr<bool> itemAlive = Item->FAlive;
    CloseMenu();
    if (!*itemAlive) return;
    // The handler may free the menu or empty it (and so free this item): it runs last, through
    // a copy.
    if (TNotifyEvent handler = Item->OnClick) handler(Item);
}

void TVeskPopupMenu::CloseMenu() {
    FHotItem = nullptr;
    FPressedItem = nullptr;
    FLevel2Parent = nullptr;
    FLevel3Parent = nullptr;
    FShown = false;
    // A scroll button held while the menu closes never gets its release.
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    for (TLevel& lv : FLevels) lv.UpPressed = lv.DownPressed = false;
    std::shared_ptr<bool> alive = FAlive;
    const unsigned generation = FPopupGeneration;
    if (TNotifyEvent closed = OnMenuClose) {
        closed(this);
        if (!*alive) return;
        // The handler popped the menu up again: the windows now open are that popup's.
        if (FPopupGeneration != generation) return;
    }
    DisposeLevelForm(2);
    DisposeLevelForm(3);
    DisposeLevelForm(1);
}

void TVeskPopupMenu::DisposeLevelForm(int Level) {
    TVeskMenuForm* f = L(Level).Form;
    L(Level).Form = nullptr;
    if (!f) return;
    f->RemoveFreeNotification(this);
    f->Dispose();
}

void TVeskPopupMenu::CloseLevel2() {
    FLevel3Parent = nullptr;
    DisposeLevelForm(2);
    DisposeLevelForm(3);
}

void TVeskPopupMenu::CloseLevel3() {
    DisposeLevelForm(3);
}

void TVeskPopupMenu::OpenLevel2(TVeskMenuItem* Item) {
    TLevel& lv = L(2);
    lv.FirstIndex = 0;
    PaintLevel(2, Item);
    if (lv.Width == 0 || lv.Height == 0 || !L(1).Form) return;
    FLevel2Parent = Item;
    DisposeLevelForm(2);
    TVeskMenuForm* f = CreateLevelForm(2);
    TForm* base = L(1).Form;
    TRect wa = WorkArea();
    int top = base->GetTop() + Item->GetItemRect().Top;
    if (top + lv.Height > wa.Bottom) top = DivTrunc(int(wa.Bottom - lv.Height), 2);
    int left = base->GetLeft() + base->GetWidth() - FAlphaWidth;
    if (left + lv.Width > wa.Right) left = base->GetLeft() - lv.Width + FAlphaWidth;
    f->SetBounds(left, top, lv.Width, lv.Height);
    HWND h = f->GetHandle();
    SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    lv.UpHot = lv.UpPressed = lv.DownHot = lv.DownPressed = false;
    PushLevel(2);
    ShowWindow(h, SW_SHOWNOACTIVATE);
}

void TVeskPopupMenu::OpenLevel3(TVeskMenuItem* Item) {
    TLevel& lv = L(3);
    lv.FirstIndex = 0;
    PaintLevel(3, Item);
    if (lv.Width == 0 || lv.Height == 0 || !L(2).Form) return;
    FLevel3Parent = Item;
    DisposeLevelForm(3);
    TVeskMenuForm* f = CreateLevelForm(3);
    TForm* base = L(2).Form;
    TRect wa = WorkArea();
    int top = base->GetTop() + Item->GetItemRect().Top;
    if (top + lv.Height > wa.Bottom) top = base->GetTop() + base->GetHeight() - lv.Height;
    int left = base->GetLeft() + base->GetWidth() - FAlphaWidth;
    if (left + lv.Width > wa.Right) left = base->GetLeft() - lv.Width + FAlphaWidth;
    f->SetBounds(left, top, lv.Width, lv.Height);
    HWND h = f->GetHandle();
    SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    lv.UpHot = lv.UpPressed = lv.DownHot = lv.DownPressed = false;
    PushLevel(3);
    ShowWindow(h, SW_SHOWNOACTIVATE);
}

// ---------------------------------------------------------------------------------------------
// Measuring and painting

const std::vector<TVeskMenuItem*>* TVeskPopupMenu::LevelItems(int Level, TVeskMenuItem* Parent) const {
    if (Level == 1) return &FItems;
    return Parent ? &Parent->GetItems() : nullptr;
}

TVeskMenuItem* TVeskPopupMenu::LevelParent(int Level) const {
    return Level == 2 ? FLevel2Parent : Level == 3 ? FLevel3Parent : nullptr;
}

TFont* TVeskPopupMenu::ItemFont(TVeskMenuItem* Item, bool WithOpenSubmenu) {
    if (!Item->GetEnabled()) return FFontDisable.get();
    if (Item == FHotItem) return FFontOver.get();
    if (Item == FPressedItem) return FFontDown.get();
    if (Item->GetSelected() || (WithOpenSubmenu && (Item == FLevel2Parent || Item == FLevel3Parent)))
        return FFontSelect.get();
    return FFontNormal.get();
}

int TVeskPopupMenu::SeparatorHeight() const {
    return PngEmpty(FImgLine.get()) ? 0 : FImgLine->GetHeight();
}

int TVeskPopupMenu::BarWidth() const {
    return FHaveBar && !PngEmpty(FImgBar.get()) ? FImgBar->GetWidth() : 0;
}

void TVeskPopupMenu::MeasureLevel(int Level, TVeskMenuItem* Parent) {
    TLevel& lv = L(Level);
    lv.Width = 0;
    lv.Height = 0;
    lv.Scrollable = false;
    lv.UpRect = kNoRect;
    lv.DownRect = kNoRect;
    const std::vector<TVeskMenuItem*>* items = LevelItems(Level, Parent);
    lv.RowHeights.assign(items ? items->size() : 0, 0);
    if (!items || items->empty()) return;

    const int imageCol = FImageList ? FImageList->GetWidth() + 2 : 0;
    const int checkCol = !PngEmpty(FImgCheck.get()) ? FImgCheck->GetWidth() + 2 : FMenuBarWidth;
    // A frame count below 1 cannot cut the arrow strip: no arrow column then.
    const int arrowCol = !PngEmpty(FImgSubArrow.get()) && FSubArrowStateCount >= 1
                             ? DivTrunc(FImgSubArrow->GetWidth(), FSubArrowStateCount) + 2
                             : 0;
    const int sepHeight = SeparatorHeight();
    TCanvas* canvas = lv.Frame->GetCanvas();
    int height = 0, width = 0;
    for (size_t i = 0; i < items->size(); ++i) {
        TVeskMenuItem* item = (*items)[i];
        if (!item->GetVisible()) continue;
        int row = item->IsLine() ? sepHeight : item->GetHeight() == -1 ? FItemHeight : item->GetHeight();
        lv.RowHeights[i] = row;
        height += row + 2;
        int captionWidth = 0, shortCutWidth = 0;
        canvas->SetFont(ItemFont(item, false));
        if (!item->GetCaption().empty()) {
            SIZE sz = canvas->TextExtent(item->GetCaption());
            item->SetCaptionSize(sz);
            captionWidth = sz.cx;
        } else {
            item->SetCaptionSize(SIZE{-1, -1});
        }
        if (item->GetShortCut() != 0) {
            SIZE sz = canvas->TextExtent(ShortCutToText(item->GetShortCut()));
            item->SetShortCutSize(sz);
            shortCutWidth = sz.cx;
        } else {
            item->SetShortCutSize(SIZE{-1, -1});
        }
        int rowWidth = checkCol + 2 + imageCol + captionWidth + shortCutWidth + (item->Count() > 0 ? arrowCol : 0);
        width = std::max(width, rowWidth);
    }
    width += 2 * FAlphaWidth;
    if (Level == 1) {
        width += BarWidth();
        if (FMinWidth != 0 && FMinWidth > width) width = FMinWidth;
    }
    height += 2 * FAlphaWidth + (Level == 1 ? 4 : 2);
    const TRect wa = WorkArea();
    if (height > wa.Height() && !PngEmpty(FImgBtnUpDown.get())) {
        const int h = FImgBtnUpDown->GetHeight();
        const int w = DivTrunc(FImgBtnUpDown->GetWidth(), 6);
        height = wa.Height() - 20 + 2 * h;
        lv.Scrollable = true;
        const int x = DivTrunc(width - w, 2);
        lv.UpRect = TRect(x, FAlphaWidth + 2, x + w, FAlphaWidth + 2 + h);
        lv.DownRect = TRect(x, height - FAlphaWidth - 2 - h, x + w, height - FAlphaWidth - 2);
    }
    lv.Width = width;
    lv.Height = height;
}

void TVeskPopupMenu::PaintLevelBackground(int Level) {
    TLevel& lv = L(Level);
    const int W = lv.Width, H = lv.Height;
    const std::array<int, 6> key{FImgSplit->GetLeft(),  FImgSplit->GetTop(), FImgSplit->GetRight(),
                                 FImgSplit->GetBottom(), FAlphaWidth,        Level == 1 ? BarWidth() : 0};
    if (lv.BackCache && lv.BackCache->GetWidth() == W && lv.BackCache->GetHeight() == H && lv.BackKey == key) {
        CopyBitmap32(lv.BackCache.get(), lv.Frame.get());
        return;
    }
    lv.BackCache.reset();
    if (PngEmpty(FImgBack.get()) || W == 0 || H == 0) {
        lv.Frame->SetSize(0, 0);
        return;
    }
    auto cache = std::make_unique<TBitmap>();
    cache->SetPixelFormat(pf32bit);
    {
        TPng9Pieces pieces;
        if (SplitPng9(FImgBack.get(), FImgSplit->GetLeft(), FImgSplit->GetTop(), FImgSplit->GetRight(),
                      FImgSplit->GetBottom(), 255, clNone, pieces)) {
            DrawPng9Tiled(cache.get(), W, H, pieces);
        } else {
            // Split lines that do not fit the skin: the level keeps its size, without a background.
            cache->SetSize(W, H);
            ClearBitmap32(cache.get());
        }
    }
    if (Level == 1 && BarWidth() > 0) {
        TCanvas* c = cache->GetCanvas();
        const int aw = FAlphaWidth;
        c->StretchDraw(TRect(aw, aw, aw + FImgBar->GetWidth(), H - aw), FImgBar.get());
        int captionBottom = H - aw - 2;
        if (!PngEmpty(FImgBarLogo.get())) {
            const int lh = FImgBarLogo->GetHeight();
            TRect r(aw, H - aw - 2 - lh, aw + FImgBarLogo->GetWidth(), H - aw - 2);
            c->StretchDraw(r, FImgBarLogo.get());
            captionBottom = r.Top - 2;
        } else {
            captionBottom = H - aw - 2;
        }
        if (!PngEmpty(FImgBarCaption.get())) {
            TRect r(aw, captionBottom - FImgBarCaption->GetHeight(), aw + FImgBarCaption->GetWidth(), captionBottom);
            c->StretchDraw(r, FImgBarCaption.get());
        }
    }
    lv.BackCache = std::move(cache);
    lv.BackKey = key;
    CopyBitmap32(lv.BackCache.get(), lv.Frame.get());
}

void TVeskPopupMenu::UpdateItemImages(int Level) {
    TLevel& lv = L(Level);
    int itemWidth = lv.Width - 2 * (FAlphaWidth + 2);
    if (Level == 1 && BarWidth() > 0) itemWidth -= BarWidth() + 2;
    const bool none = !lv.ItemImages[0] && !lv.ItemImages[1] && !lv.ItemImages[2];
    const std::array<int, 2> key{FItemSplit->GetLeft(), FItemSplit->GetRight()};
    if (itemWidth == lv.ItemImagesWidth && key == lv.ItemImagesKey && !none) return;
    for (TPngPtr& p : lv.ItemImages) p.reset();
    lv.ItemImagesWidth = itemWidth;
    lv.ItemImagesKey = key;
    if (PngEmpty(FImgItem.get()) || FItemStateCount < 1 || itemWidth <= 0) return;
    for (int i = 0; i < 3 && i < FItemStateCount; ++i) {
        TPngPtr frame = GetStatePng(FImgItem.get(), FItemStateCount, i);
        if (frame)
            lv.ItemImages[size_t(i)] =
                StretchPngHorz(frame.get(), FItemSplit->GetLeft(), FItemSplit->GetRight(), 255, clNone, itemWidth);
    }
}

void TVeskPopupMenu::PaintLevel(int Level, TVeskMenuItem* Parent) {
    TLevel& lv = L(Level);
    const std::vector<TVeskMenuItem*>* items = LevelItems(Level, Parent);
    if (Level > 1 && (!Parent || !Parent->GetEnabled())) {
        lv.Width = lv.Height = 0;
        lv.ShownCount = 0;
        return;
    }
    MeasureLevel(Level, Parent);
    PaintLevelBackground(Level);
    UpdateItemImages(Level);
    // Items not laid out by this paint must not keep a rectangle from an earlier one.
    if (items)
        for (TVeskMenuItem* item : *items) item->SetItemRect(kNoRect);
    lv.ShownCount = 0;
    if (lv.Frame->GetEmpty() || !items) return;

    const int W = lv.Width, H = lv.Height, aw = FAlphaWidth;
    int x0 = aw + 2;
    if (Level == 1 && BarWidth() > 0) x0 += BarWidth() + 2;
    int y = aw + 2;
    const int buttonHeight = lv.Scrollable ? FImgBtnUpDown->GetHeight() : 0;
    TCanvas* canvas = lv.Frame->GetCanvas();
    auto drawButton = [&](const TRect& r, int frame) {
        if (TPngImage* png = FUpDownFrames[size_t(frame)].get()) png->Draw(canvas, r);
    };
    if (lv.Scrollable) {
        y += buttonHeight;
        drawButton(lv.UpRect, lv.UpPressed ? 2 : lv.UpHot ? 1 : 0);
    }
    const int stopLine = Level == 1 ? H - buttonHeight - 2 * aw : H - FItemHeight - buttonHeight - 2 * aw;
    int shown = 0;
    for (size_t i = size_t(std::max(lv.FirstIndex, 0)); i < items->size(); ++i) {
        if (lv.Scrollable && y >= stopLine) break;
        if (y >= H) break;
        ++shown;
        TVeskMenuItem* item = (*items)[i];
        if (!item->GetVisible()) continue;
        TRect r(x0, y, W - aw - 2, y + (i < lv.RowHeights.size() ? lv.RowHeights[i] : 0));
        item->SetItemRect(r);
        y = r.Bottom + 2;
        if (r.Bottom < H)
            DrawItem(Level, canvas, item);
        else
            --shown;
    }
    lv.ShownCount = shown;
    if (lv.Scrollable) drawButton(lv.DownRect, lv.DownPressed ? 5 : lv.DownHot ? 4 : 3);
    GdiFlush();
}

void TVeskPopupMenu::DrawItem(int Level, TCanvas* Canvas, TVeskMenuItem* Item) {
    TLevel& lv = L(Level);
    const TRect r = Item->GetItemRect();
    const int rowHeight = r.Bottom - r.Top;
    if (Item->IsLine()) {
        if (!PngEmpty(FImgLine.get())) Canvas->StretchDraw(r, FImgLine.get());
        return;
    }
    TPngImage* back = nullptr;
    if (Item == FPressedItem)
        back = lv.ItemImages[1].get();
    else if (Item == FHotItem)
        back = lv.ItemImages[0].get();
    else if (Item->GetSelected() && lv.ItemImages[2] && !lv.ItemImages[2]->GetEmpty())
        back = lv.ItemImages[2].get();
    else if ((Level == 1 && Item == FLevel2Parent) || (Level == 2 && Item == FLevel3Parent))
        back = lv.ItemImages[0].get();
    if (back) back->Draw(Canvas, r);

    int x = r.Left + 2;
    TPngImage* check0 = FCheckFrames[0].get();
    if (Item->GetChecked()) {
        const size_t f = Item->GetEnabled() ? 0 : 1;
        TPngImage* img = Item->GetRadioItem() ? FRadioFrames[f].get() : FCheckFrames[f].get();
        TPngImage* sizer = check0 ? check0 : img;
        const int w = sizer ? sizer->GetWidth() : 0, h = sizer ? sizer->GetHeight() : 0;
        TRect cr(x, r.Top + DivTrunc(rowHeight - h, 2), x + w, r.Top + DivTrunc(rowHeight - h, 2) + h);
        if (img) img->Draw(Canvas, cr);
        x = cr.Right + 2;
    } else if (FImageList) {
        const int index = Item->GetImageIndex();
        // Only indices inside the list are drawn; anything else draws no image.
        if (index >= 0 && index < FImageList->GetCount()) {
            const int top = r.Top + DivTrunc(rowHeight - FImageList->GetHeight(), 2);
            FImageList->Draw(Canvas, x, top, index, Item->GetEnabled());
        }
        x += FImageList->GetWidth() + 2;
    } else {
        x += check0 ? check0->GetWidth() : 4;
    }

    TFont* font = ItemFont(Item, true);
    auto drawText = [&](const std::wstring& text, const TRect& tr) {
        TPngPtr png = RenderWithAlphaMask(lv.Frame.get(), text, font, tr);
        if (png) png->Draw(Canvas, tr);
    };
    if (!Item->GetCaption().empty()) {
        const SIZE sz = Item->GetCaptionSize();
        const int top = r.Top + DivTrunc(rowHeight - int(sz.cy), 2);
        drawText(Item->GetCaption(), TRect(x, top, x + sz.cx, top + sz.cy));
    }
    TPngImage* arrow0 = FArrowFrames[0].get();
    if (Item->GetShortCut() != 0) {
        const SIZE sz = Item->GetShortCutSize();
        int right = r.Right - 2;
        if (Item->Count() > 0 && arrow0) right -= arrow0->GetWidth();
        const int top = r.Top + DivTrunc(rowHeight - int(sz.cy), 2);
        drawText(ShortCutToText(Item->GetShortCut()), TRect(right - sz.cx, top, right, top + sz.cy));
    }
    if (Item->Count() > 0 && arrow0 && !arrow0->GetEmpty()) {
        const int right = r.Right - 2, w = arrow0->GetWidth(), h = arrow0->GetHeight();
        const int top = r.Top + DivTrunc(rowHeight - h, 2);
        const size_t f = !Item->GetEnabled() ? 2 : Item == FHotItem ? 1 : 0;
        if (TPngImage* a = FArrowFrames[f].get()) a->Draw(Canvas, TRect(right - w, top, right, top + h));
    }
}

void TVeskPopupMenu::PushLevel(int Level) {
    TLevel& lv = L(Level);
    if (!lv.Form) return;
    HWND h = lv.Form->GetHandle();
    TWindowDC windowDC(h);
    POINT dst{lv.Form->GetLeft(), lv.Form->GetTop()};
    SIZE size{lv.Frame->GetWidth(), lv.Frame->GetHeight()};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(FAlpha, 0, 255)), AC_SRC_ALPHA};
    GdiFlush();
    UpdateLayeredWindow(h, windowDC.Get(), &dst, &size, lv.Frame->GetCanvas()->GetHandle(), &src, 0, &blend,
                        ULW_ALPHA);
}

void TVeskPopupMenu::RepaintLevel(int Level) {
    PaintLevel(Level, LevelParent(Level));
    PushLevel(Level);
}

// ---------------------------------------------------------------------------------------------
// Mouse, wheel and scrolling

bool TVeskPopupMenu::IsLevelSender(int Level, TObject* Sender) const {
    return L(Level).Form && Sender == L(Level).Form;
}

void TVeskPopupMenu::LevelMouseMove(int Level, TObject* Sender, TShiftState Shift, int X, int Y) {
    (void)Shift;
    if (!IsLevelSender(Level, Sender)) return;
    TVeskMenuItem* parent = LevelParent(Level);
    if (Level > 1 && (!parent || parent->Count() == 0)) return;
    TLevel& lv = L(Level);
    const TPoint pt(X, Y);
    bool changed = false;
    if (lv.Scrollable) {
        const bool inUp = lv.UpRect.Contains(pt);
        if (inUp && !lv.UpHot) {
            lv.UpHot = true;
            RepaintLevel(Level);
            return;
        }
        if (!inUp && lv.UpHot) {
            lv.UpHot = false;
            changed = true;
        }
        const bool inDown = lv.DownRect.Contains(pt);
        if (inDown != lv.DownHot) {
            lv.DownHot = inDown;
            changed = true;
        }
    }
    const std::vector<TVeskMenuItem*>* items = LevelItems(Level, parent);
    TVeskMenuItem* found = nullptr;
    for (size_t i = size_t(std::max(lv.FirstIndex, 0)); items && i < items->size(); ++i) {
        TVeskMenuItem* item = (*items)[i];
        if (item->IsLine() || !item->GetVisible() || !item->GetEnabled()) continue;
        if (item->GetItemRect().Contains(pt)) {
            found = item;
            break;
        }
        if (item == FHotItem) {
            FHotItem = nullptr;
            changed = true;
        }
    }
    if (found && found != FHotItem) {
        FHotItem = found;
        changed = true;
        if (FPressedItem != found) FPressedItem = nullptr;
        if (Level == 1) {
            if (found != FLevel2Parent) {
                FLevel2Parent = nullptr;
                CloseLevel2();
                if (found->Count() > 0) OpenLevel2(found);
            }
        } else if (Level == 2) {
            if (FLevel3Parent && FLevel3Parent != found) FLevel3Parent = nullptr;
            if (found != FLevel3Parent) {
                CloseLevel3();
                if (found->Count() > 0) OpenLevel3(found);
            }
        }
    }
    if (changed && L(Level).Form) RepaintLevel(Level);
}

void TVeskPopupMenu::LevelMouseDown(int Level, TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    if (!IsLevelSender(Level, Sender) || Button != mbLeft) return;
    TLevel& lv = L(Level);
    if (lv.UpHot || lv.DownHot) {
        if (lv.UpHot)
            lv.UpPressed = true;
        else
            lv.DownPressed = true;
        RepaintLevel(Level);
        StartRepeat(true);
    } else if (FHotItem) {
        FPressedItem = FHotItem;
        RepaintLevel(Level);
    }
}

void TVeskPopupMenu::LevelMouseUp(int Level, TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    if (!IsLevelSender(Level, Sender)) return;
    TLevel& lv = L(Level);
    if (Button == mbLeft && (lv.UpPressed || lv.DownPressed)) {
        lv.UpPressed = false;
        lv.DownPressed = false;
        RepaintLevel(Level);
        if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    } else if (FPressedItem && FPressedItem == FHotItem) {
        ItemClick(FPressedItem);
    }
}

void TVeskPopupMenu::LevelMouseWheel(int Level, TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos,
                                     bool& Handled) {
    (void)Shift;
    (void)MousePos;
    if (!IsLevelSender(Level, Sender)) return;
    Handled = true;
    const bool down = WheelDelta < 0;
    if (Level == 1) {
        if (L(3).Form) {
            if (L(3).Scrollable) ScrollLevel(3, down);
        } else if (L(2).Form) {
            if (L(2).Scrollable) ScrollLevel(2, down);
        } else if (L(1).Scrollable) {
            ScrollLevel(1, down);
        }
    } else if (Level == 2) {
        ScrollLevel(2, down);
    }
}

void TVeskPopupMenu::ScrollLevel(int Level, bool Down) {
    const std::vector<TVeskMenuItem*>* items = LevelItems(Level, LevelParent(Level));
    if (!items) return;
    TLevel& lv = L(Level);
    const int count = static_cast<int>(items->size());
    bool moved = false;
    if (Down) {
        if (count - lv.ShownCount - 1 >= lv.FirstIndex) {
            ++lv.FirstIndex;
            moved = true;
        }
    } else if (lv.FirstIndex > 0) {
        --lv.FirstIndex;
        moved = true;
    }
    if (moved) RepaintLevel(Level);
}

int TVeskPopupMenu::MenuRepeatDelay() {
    int delay = 0;
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    return (std::clamp(delay, 0, 3) + 1) * 200;
}

int TVeskPopupMenu::MenuRepeatInterval() {
    DWORD speed = 0;
    SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    const int s = std::clamp(static_cast<int>(speed), 0, 31);
    return static_cast<int>(RoundHalfEven(1000.0L / ((s + 1) * 2.3L)));
}

void TVeskPopupMenu::StartRepeat(bool First) {
    if (!FRepeatTimer) {
        FRepeatTimer = new TTimer(this);
        FRepeatTimer->SetEnabled(false);
        FRepeatTimer->SetOnTimer([this](TObject* s) { RepeatTick(s); });
    }
    if (First) {
        RepeatTick(FRepeatTimer);
        if (!FRepeatTimer) return;
        FRepeatTimer->SetInterval(static_cast<UINT>(MenuRepeatDelay()));
    } else {
        FRepeatTimer->SetInterval(static_cast<UINT>(MenuRepeatInterval()));
    }
    FRepeatTimer->SetEnabled(true);
}

void TVeskPopupMenu::RepeatTick(TObject* Sender) {
    (void)Sender;
    if (FRepeatTimer) FRepeatTimer->SetInterval(static_cast<UINT>(MenuRepeatInterval()));
    for (int level = 1; level <= 3; ++level) {
        TLevel& lv = L(level);
        if (lv.DownPressed) {
            ScrollLevel(level, true);
            return;
        }
        if (lv.UpPressed) {
            ScrollLevel(level, false);
            return;
        }
    }
}
