#include "VeskCombobox.h"

#include "fw_handles.h"

#include <algorithm>

using namespace fw;

namespace {

bool Present(const TPngPtr& P) {
    return P && !P->GetEmpty();
}

const UINT kTextFlags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TVeskCboxItem

TVeskCboxItem::~TVeskCboxItem() {
    // An item freed on its own must not stay behind in its box's list or references.
    if (FOwner) FOwner->ForgetItem(this);
    // The user's data is never ours to free.
    FData = nullptr;
    FOwner = nullptr;
}

void TVeskCboxItem::SetCaption(const std::wstring& Value) {
    FCaption = Value;
    if (FOwner && FOwner->FCaptionFollower == this && FOwner->FSelectedItem == this) {
        FOwner->TControl::SetText(Value);
        FOwner->Redraw();
    }
}

int TVeskCboxItem::GetIndex() const {
    if (!FOwner) return -1;
    const auto& v = FOwner->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

// ---------------------------------------------------------------------------------------------
// TVeskListForm

TVeskListForm::TVeskListForm(const TFormKey& Key, TComponent* AOwner, TForm* OwnerForm, bool Layered)
    : TForm(Key, AOwner), FOwnerForm(OwnerForm), FLayered(Layered) {
    if (OwnerForm) FOwnerFormAlive = OwnerForm->AliveToken();
    SetBorderStyle(bsNone);
    SetPosition(poDesigned);
    FVisible = false;
}

void TVeskListForm::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    if (TForm* owner = GetOwnerForm()) Params.WndParent = owner->GetHandle();
    if (FLayered) Params.ExStyle |= WS_EX_LAYERED;
}

void TVeskListForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE:
            Message.Result = MA_NOACTIVATE;
            return;
        case WM_ACTIVATE:
            // The owner keeps its active title bar while its list has the activation.
            if (TForm* owner = GetOwnerForm(); owner && owner->HandleAllocated())
                SendMessageW(owner->GetHandle(), WM_NCACTIVATE, LOWORD(Message.WParam) != WA_INACTIVE ? 1 : 0, 0);
            break;
        case WM_ERASEBKGND:
            Message.Result = 1;
            return;
        default:
            break;
    }
    TForm::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TVeskComBoBoxEdit

void TVeskComBoBoxEdit::WndProc(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TEdit::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TVeskCombobox: construction, items, properties

TVeskCombobox::TVeskCombobox(TComponent* AOwner)
    : TVeskGraphicControl(AOwner),
      FImgBox(std::make_unique<TPngImage>()),
      FBoxsplit(std::make_unique<TVeskPadding>()),
      FImgBtn(std::make_unique<TPngImage>()),
      FImgExtraBtn(std::make_unique<TPngImage>()),
      FImgForm(std::make_unique<TPngImage>()),
      FFormsplit(std::make_unique<TVeskPadding>()),
      FImgitem(std::make_unique<TPngImage>()),
      FItemsplit(std::make_unique<TVeskPadding>()),
      FImgCheck(std::make_unique<TPngImage>()),
      FPlainBitmap(std::make_unique<TBitmap>()),
      FLayerBitmap(std::make_unique<TBitmap>()) {
    SetControlStyle(GetControlStyle() | csOpaque);
    SetBounds(GetLeft(), GetTop(), 150, 25);
    SetColor(clWhite);
    FLayerBitmap->SetPixelFormat(pf32bit);
}

TVeskCombobox::~TVeskCombobox() {
    for (TVeskCboxItem* i : FItems) {
        i->SetOwner(nullptr);
        delete i;
    }
    FItems.clear();
}

void TVeskCombobox::DoDestroying() {
    FDestroying = true;
    if (FDeactivateHooked && Application) Application->OnDeactivate.Remove(this);
    FDeactivateHooked = false;
    RestoreHint();
    ClearItems();
    DisposeListForm();
    TVeskGraphicControl::DoDestroying();
}

void TVeskCombobox::DisposeListForm() {
    TVeskListForm* f = FListForm;
    if (!f) return;
    FListForm = nullptr;
    FPngScrollBar = nullptr;
    FDirectScrollBar = nullptr;
    f->RemoveFreeNotification(this);
    f->OnShow = nullptr;
    f->OnMouseMove = nullptr;
    f->OnMouseLeave = nullptr;
    f->OnMouseDown = nullptr;
    f->OnMouseUp = nullptr;
    f->OnMouseWheel = nullptr;
    f->OnDeactivate = nullptr;
    f->OnPaint = nullptr;
    // The bars call back into the box; they go with the window, but must not call before that.
    for (int i = 0; i < f->GetComponentCount(); ++i) {
        if (auto* b = dynamic_cast<TVeskPngScrollBar*>(f->GetComponent(i))) b->OnScroll = nullptr;
        if (auto* b = dynamic_cast<TVeskDirectUIScrollBar*>(f->GetComponent(i))) {
            b->OnScroll = nullptr;
            b->OnNeedRepaint = nullptr;
        }
    }
    if (f->HandleAllocated() && IsWindowVisible(f->GetHandle())) f->Hide();
    // A box freed from one of its list's own messages (an item handler) leaves the window until
    // that message has returned.
    if (f->InMessage())
        f->Release();
    else
        f->Free();
}

TVeskCboxItem* TVeskCombobox::AddItem() {
    auto* item = new TVeskCboxItem();
    item->SetOwner(this);
    FItems.push_back(item);
    if (FPendingIndex == static_cast<int>(FItems.size()) - 1) SelectPending();
    return item;
}

void TVeskCombobox::SelectPending() {
    TVeskCboxItem* item = GetItem(FPendingIndex);
    if (!item) return;
    FPendingIndex = -1;
    FSelectedItem = item;
    FCaptionFollower = item;
    TControl::SetText(item->GetCaption());
    Redraw();
}

TVeskCboxItem* TVeskCombobox::GetItem(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FItems.size())) return nullptr;
    return FItems[Index];
}

void TVeskCombobox::ClearItems() {
    // An open list would go on showing rows that no longer exist, and with no items left the box
    // could not close it again.
    if (ListShowing()) CloseList();
    FSelectedItem = FTopItem = FHotItem = FPressedItem = FHotCheckItem = FPressedCheckItem = nullptr;
    FCaptionFollower = nullptr;
    // The program refills the box itself now: an index still waiting from the description would
    // pick a new item silently.
    FPendingIndex = -1;
    if (!FItems.empty()) ++FItemsGeneration;
    while (!FItems.empty()) {
        TVeskCboxItem* i = FItems.back();
        FItems.pop_back();
        i->SetOwner(nullptr);
        delete i;
    }
}

void TVeskCombobox::ForgetItem(TVeskCboxItem* Item) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    ++FItemsGeneration;
    if (FSelectedItem == Item) FSelectedItem = nullptr;
    if (FCaptionFollower == Item) FCaptionFollower = nullptr;
    if (FTopItem == Item) FTopItem = nullptr;
    if (FHotItem == Item) FHotItem = nullptr;
    if (FPressedItem == Item) FPressedItem = nullptr;
    if (FHotCheckItem == Item) FHotCheckItem = nullptr;
    if (FPressedCheckItem == Item) FPressedCheckItem = nullptr;
    if (ListShowing()) {
        if (FItems.empty())
            CloseList();
        else
            RepaintList();
    }
}

void TVeskCombobox::SetText(const std::wstring& S) {
    // A text set after the description's index overrules it: the index must not replace the
    // text once its item is added.
    FPendingIndex = -1;
    FCaptionFollower = nullptr;
    if (S == GetText()) return;
    TControl::SetText(S);
    Redraw();
}

int TVeskCombobox::GetIndex() const {
    if (!FSelectedItem) return -1;
    auto it = std::find(FItems.begin(), FItems.end(), FSelectedItem);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TVeskCombobox::SetIndex(int I) {
    if (IsLoadingState()) {
        // The description's value is the box's starting state, not a change; the program adds
        // the items after loading.
        FPendingIndex = I < 0 ? -1 : I;
        if (FPendingIndex >= 0 && FPendingIndex < static_cast<int>(FItems.size())) SelectPending();
        return;
    }
    // The program's own choice replaces the description's, also when it selects nothing.
    FPendingIndex = -1;
    // Any index outside the list (not only -1) is refused: nothing to select.
    if (I < 0 || I >= static_cast<int>(FItems.size())) return;
    TVeskCboxItem* item = FItems[I];
    FCaptionFollower = nullptr;
    FSelectedItem = item;
    TControl::SetText(item->GetCaption());
    Redraw();
    TNotifyEvent h = OnChange;
    if (h) h(item);
}

void TVeskCombobox::CopyPng(TPngImage* Target, TPngImage* Source) {
    if (Source == Target) return;
    if (Source) {
        Target->Assign(Source);
    } else {
        TPngImage empty;
        Target->Assign(&empty);
    }
}

void TVeskCombobox::SetColorField(TColor& Field, TColor Value) {
    if (Field == Value) return;
    Field = Value;
    Redraw();
}

void TVeskCombobox::SetAlpha(uint8_t Value) {
    if (Value == FAlpha) return;
    FAlpha = Value;
    Redraw();
}

void TVeskCombobox::SetAlphaWidth(int Value) {
    if (Value == FAlphaWidth) return;
    FAlphaWidth = Value;
    Redraw();
}

void TVeskCombobox::SetShowCheckBox(bool Value) {
    if (Value == FShowCheckBox) return;
    FShowCheckBox = Value;
    Redraw();
}

void TVeskCombobox::SetShowitemCount(int Value) {
    if (Value == FShowitemCount) return;
    FShowitemCount = Value;
    Redraw();
}

void TVeskCombobox::SetBtnOffSet(int Value) {
    if (Value == FBtnOffSet) return;
    FBtnOffSet = Value;
    // The drop button stands BtnOffSet from the right edge: it moves along with the extra button.
    CalcBtnRect();
    CalcExtraRect();
    Redraw();
}

void TVeskCombobox::SetExtraBtn(bool Value) {
    if (Value == FExtraBtn) return;
    FExtraBtn = Value;
    CalcExtraRect();
    Redraw();
}

void TVeskCombobox::SetExtraBtnLeft(bool Value) {
    if (Value == FExtraBtnLeft) return;
    FExtraBtnLeft = Value;
    CalcExtraRect();
    Redraw();
}

void TVeskCombobox::SetImagelist(TVeskCustomImageList* Value) {
    if (Value == FImagelist) return;
    if (FImagelist) FImagelist->RemoveFreeNotification(this);
    FImagelist = Value;
    if (Value) Value->FreeNotification(this);
    Redraw();
}

void TVeskCombobox::SetImgIndex(int Value) {
    if (Value == FImgIndex) return;
    FImgIndex = Value;
    Redraw();
}

void TVeskCombobox::SetVerScrollRes(TVeskScrollBarRes* Value) {
    if (Value == FVerScrollRes) return;
    // Followed so that a resource freed first leaves no dangling reference.
    if (FVerScrollRes) FVerScrollRes->RemoveFreeNotification(this);
    FVerScrollRes = Value;
    if (Value) Value->FreeNotification(this);
}

void TVeskCombobox::Notification(TComponent* AComponent, TOperation Operation) {
    TVeskGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImagelist) {
        FImagelist = nullptr;
        if (!FDestroying) Redraw();
    }
    if (AComponent == FVerScrollRes) FVerScrollRes = nullptr;
    if (AComponent == FListForm) {
        FListForm = nullptr;
        FPngScrollBar = nullptr;
        FDirectScrollBar = nullptr;
    }
    if (AComponent == FEdit) FEdit = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Skin preparation

void TVeskCombobox::Loaded() {
    TVeskGraphicControl::Loaded();
    if (FPendingIndex >= 0 && FPendingIndex < static_cast<int>(FItems.size())) SelectPending();
    PrepareSkin();
    CalcBtnRect();
    CalcExtraRect();
    if (FCanInput) MakeEdit();
}

void TVeskCombobox::PrepareSkin() {
    for (auto& f : FBoxFrames) f.reset();
    for (auto& f : FBtnFrames) f.reset();
    for (auto& f : FExtraFrames) f.reset();
    for (auto& f : FItemFrames) f.reset();
    for (auto& f : FCheckFrames) f.reset();

    const int left = FBoxsplit->GetLeft(), right = FBoxsplit->GetRight();
    if (right >= left && !FImgBox->GetEmpty() && FBoxStateCount >= 1) {
        for (int i = 0; i < std::min(FBoxStateCount, 4); ++i) {
            TPngPtr frame = GetStatePng(FImgBox.get(), FBoxStateCount, i);
            if (frame && right > left)
                FBoxFrames[i] = StretchPngHorz(frame.get(), left, right, 255, clNone, GetWidth());
            else
                FBoxFrames[i] = std::move(frame);
        }
        if (Present(FBoxFrames[0])) SetHeight(FBoxFrames[0]->GetHeight());
    }

    if (!FImgBtn->GetEmpty() && FBtnStateCount >= 1)
        for (int i = 0; i < std::min(FBtnStateCount, 4); ++i) FBtnFrames[i] = GetStatePng(FImgBtn.get(), FBtnStateCount, i);
    if (!FImgExtraBtn->GetEmpty() && FBtnStateCount >= 1)
        for (int i = 0; i < std::min(FBtnStateCount, 4); ++i)
            FExtraFrames[i] = GetStatePng(FImgExtraBtn.get(), FBtnStateCount, i);

    if (!FImgitem->GetEmpty() && (FItemStateCount == 1 || FItemStateCount == 2)) {
        const int a = FItemsplit->GetLeft(), b = FItemsplit->GetRight();
        for (int i = 0; i < FItemStateCount; ++i) {
            TPngPtr frame;
            if (FItemStateCount == 1) {
                frame = std::make_unique<TPngImage>();
                frame->Assign(FImgitem.get());
            } else {
                frame = GetStatePng(FImgitem.get(), 2, i);
            }
            if (frame && b > a)
                FItemFrames[i] = StretchPngHorz(frame.get(), a, b, 255, clNone, GetWidth() - 4);
            else
                FItemFrames[i] = std::move(frame);
        }
    }

    if (!FImgCheck->GetEmpty() && FCheckStateCount == 4)
        for (int i = 0; i < 4; ++i) FCheckFrames[i] = GetStatePng(FImgCheck.get(), 4, i);
}

void TVeskCombobox::CalcBtnRect() {
    if (!Present(FBtnFrames[0])) {
        FBtnRect = TRect(-1, -1, -1, -1);
        return;
    }
    const int w = FBtnFrames[0]->GetWidth(), h = FBtnFrames[0]->GetHeight();
    FBtnRect.Top = DivTrunc(GetHeight() - h, 2);
    FBtnRect.Bottom = FBtnRect.Top + h;
    FBtnRect.Right = GetWidth() - 1 - FBtnOffSet;
    FBtnRect.Left = FBtnRect.Right - w;
}

void TVeskCombobox::CalcExtraRect() {
    FExtraRect = TRect(-1, -1, -1, -1);
    if (!FExtraBtn || !Present(FExtraFrames[0])) return;
    const int w = FExtraFrames[0]->GetWidth(), h = FExtraFrames[0]->GetHeight();
    FExtraRect.Top = DivTrunc(GetHeight() - h, 2);
    FExtraRect.Bottom = FExtraRect.Top + h;
    if (FExtraBtnLeft) {
        FExtraRect.Left = FBtnOffSet + 2;
        FExtraRect.Right = FExtraRect.Left + w;
    } else {
        FExtraRect.Right = FBtnRect.Left - 2;
        FExtraRect.Left = FExtraRect.Right - w;
    }
}

int TVeskCombobox::TextRight() const {
    // Without a drop button skin the text still gets the box, up to where the button would stand.
    const int btnLeft = FBtnRect.Left != -1 ? FBtnRect.Left : GetWidth() - 1 - FBtnOffSet;
    return btnLeft - 2;
}

void TVeskCombobox::MakeEdit() {
    if (!FEdit) {
        FEdit = new TVeskComBoBoxEdit(this);
        FEdit->FreeNotification(this);
        FEdit->SetVisible(false);
        FEdit->SetDoubleBuffered(true);
        FEdit->SetBorderStyle(bsNone);
        FEdit->OnExit = [this](TObject*) {
            if (!FEdit) return;
            FEdit->Hide();
            SetText(FEdit->GetText());
        };
        FEdit->OnKeyPress = [this](TObject*, wchar_t& Key) {
            TKeyPressEvent h = OnKeyPress;
            if (h && FEdit) h(FEdit, Key);
        };
    }
    if (TWinControl* parent = GetParent(); parent && FEdit->GetParent() != parent) FEdit->SetParent(parent);
    FEdit->GetFont()->Assign(GetFont());
    FEdit->GetFont()->SetColor(FFontColorNormal);
    TCanvas* c = GetBufferCanvas();
    c->SetFont(GetFont());
    const int h = c->TextHeight(L"W");
    int left = GetLeft() + 6 + FBtnOffSet;
    if (ExtraAtLeft()) left = GetLeft() + FExtraRect.Right + 2;
    int right = GetLeft() + TextRight();
    if (FExtraRect.Left != -1 && !FExtraBtnLeft) right = GetLeft() + FExtraRect.Left - 2;
    const int top = GetTop() + DivTrunc(GetHeight() - h, 2);
    FEdit->SetBounds(left, top, std::max(0, right - left), h);
}

// ---------------------------------------------------------------------------------------------
// Painting the box

void TVeskCombobox::Paint() {
    PrepareBuffer();
    TCanvas* bc = GetBufferCanvas();
    const int W = GetWidth(), H = GetHeight();
    const bool enabled = GetEnabled();

    const int boxFrame = !enabled ? 3 : FDown ? 2 : FHot ? 1 : 0;
    if (Present(FBoxFrames[boxFrame])) bc->StretchDraw(TRect(0, 0, W, H), FBoxFrames[boxFrame].get());
    if (FExtraRect.Left != -1) {
        const int f = !enabled ? 3 : FExtraDown ? 2 : FExtraHot ? 1 : 0;
        if (Present(FExtraFrames[f])) bc->StretchDraw(FExtraRect, FExtraFrames[f].get());
    }
    if (FBtnRect.Left != -1) {
        const int f = !enabled ? 3 : FBtnDown ? 2 : FBtnHot ? 1 : 0;
        if (Present(FBtnFrames[f])) bc->StretchDraw(FBtnRect, FBtnFrames[f].get());
    }

    int x = ExtraAtLeft() ? FExtraRect.Right + 2 : FBtnOffSet + 6;
    if (FImagelist) {
        const int image = FSelectedItem ? FSelectedItem->GetImageIndex() : FImgIndex;
        if (image >= 0 && image < FImagelist->GetCount()) {
            FImagelist->Draw(bc, x, DivTrunc(H - FImagelist->GetHeight(), 2), image, true);
            x += FImagelist->GetWidth() + 2;
        }
    }

    bc->SetFont(GetFont());
    bc->GetBrush()->SetStyle(bsClear);
    bc->GetFont()->SetColor(!enabled ? FFontColorDisable : FDown ? FFontColorDown : FHot ? FFontColorOver : FFontColorNormal);
    const std::wstring text = GetText();
    if (!text.empty()) {
        TRect r(x, 0, TextRight(), H);
        bc->DrawText(text, r, kTextFlags);
    }
    TVeskGraphicControl::Paint();
}

// ---------------------------------------------------------------------------------------------
// Mouse on the box

void TVeskCombobox::RestoreHint() {
    if (!FHintSwapped) return;
    FHintSwapped = false;
    SetHint(FSavedHint);
    if (Application) Application->CancelHint();
}

void TVeskCombobox::SetExtraHot(bool Value, int X, int Y) {
    if (Value == FExtraHot) return;
    FExtraHot = Value;
    if (Value) {
        if (!FExtraBtnHint.empty() && GetShowHint() && !FHintSwapped) {
            FSavedHint = GetHint();
            FHintSwapped = true;
            SetHint(FExtraBtnHint);
            if (Application) Application->ActivateHint(ClientToScreen(TPoint(X, Y)));
        }
    } else {
        RestoreHint();
    }
}

void TVeskCombobox::DoMouseEnter() {
    TVeskGraphicControl::DoMouseEnter();
    if (GetEnabled() && !FHot) {
        FHot = true;
        Redraw();
    }
}

void TVeskCombobox::DoMouseLeave() {
    TVeskGraphicControl::DoMouseLeave();
    if (ListShowing()) {
        FBtnHot = false;
        Redraw();
    } else if (GetEnabled() && FHot) {
        FHot = false;
        FBtnHot = false;
        // The extra button's hint goes with it: the box's own hint comes back.
        SetExtraHot(false, 0, 0);
        Redraw();
    }
}

void TVeskCombobox::MouseMove(TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TVeskGraphicControl::MouseMove(Shift, X, Y);
    if (!*alive) return;
    const TPoint p(X, Y);
    const bool oldHot = FHot, oldBtn = FBtnHot, oldExtra = FExtraHot;
    // Captured moves outside the box (after a press) do not light it again.
    if (GetClientRect().Contains(p)) FHot = true;
    FBtnHot = FBtnRect.Contains(p);
    SetExtraHot(FExtraRect.Contains(p), X, Y);
    if (FHot != oldHot || FBtnHot != oldBtn || FExtraHot != oldExtra) Redraw();
}

void TVeskCombobox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
            // After the base handling, which gives the parent window the focus.
            std::shared_ptr<bool> alive = AliveToken();
            TVeskGraphicControl::WndProc(Message);
            if (!*alive || !GetEnabled()) return;
            if (FExtraHot) {
                FExtraDown = true;
            } else if (FBtnHot) {
                FBtnDown = true;
            } else if (FHot) {
                FDown = true;
                if (FCanInput && FEdit) {
                    FEdit->SetText(GetText());
                    FEdit->Show();
                    FEdit->BringToFront();
                }
            }
            Redraw();
            return;
        }
        default:
            TVeskGraphicControl::WndProc(Message);
    }
}

void TVeskCombobox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TVeskGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!*alive || !GetEnabled()) return;
    bool changed = false;
    if (FExtraDown) {
        FExtraDown = false;
        changed = true;
        if (FExtraHot) {
            TNotifyEvent h = OnExtraBtnClick;
            if (h) h(this);
            if (!*alive) return;
        }
    } else if (FDown || FBtnDown) {
        FBtnDown = false;
        changed = true;
        if (FBtnHot || FHot) {
            TNotifyEvent h = OnbtnClick;
            if (h) h(this);
            if (!*alive) return;
            DropDown();
            if (!*alive) return;
        }
        FDown = false;
    }
    if (changed) Redraw();
}

// ---------------------------------------------------------------------------------------------
// The list window

bool TVeskCombobox::ListShowing() const {
    return FListForm && FListForm->HandleAllocated() && IsWindowVisible(FListForm->GetHandle());
}

int TVeskCombobox::RowCount() const {
    return std::max(0, std::min(FShowitemCount, GetItemCount()));
}

int TVeskCombobox::ListHeight(bool LayeredKind, int Rows) const {
    if (LayeredKind) return (ItemHeight + 2) * Rows + 12 + 2 * FAlphaWidth;
    return (ItemHeight + 2) * Rows + 4;
}

TControl* TVeskCombobox::ScrollBar() const {
    if (FPngScrollBar) return FPngScrollBar;
    return FDirectScrollBar;
}

bool TVeskCombobox::ScrollBarShown() const {
    TControl* b = ScrollBar();
    return b && b->GetVisible();
}

int TVeskCombobox::ScrollBarWidth() const {
    TControl* b = ScrollBar();
    return b ? b->GetWidth() : 0;
}

void TVeskCombobox::CreateListForm() {
    TForm* ownerForm = GetParentForm(this);
    FListLayered = Layered();
    FListForm = TForm::CreateNew<TVeskListForm>(GetOwner(), ownerForm, FListLayered);
    FListForm->FreeNotification(this);
    FListForm->SetBounds(0, 0, GetWidth(), ListHeight(FListLayered, RowCount()));
    TVeskListForm* f = FListForm;
    f->OnShow = [this](TObject*) {
        if (FListLayered || !FListForm) return;
        AnimateWindow(FListForm->GetHandle(), 200, AW_SLIDE | (FDropUp ? AW_VER_NEGATIVE : AW_VER_POSITIVE));
    };
    f->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { ListMouseMove(X, Y); };
    f->OnMouseLeave = [this](TObject*) { ListMouseLeave(); };
    f->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { ListMouseDown(X, Y); };
    f->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { ListMouseUp(X, Y); };
    f->OnDeactivate = [this](TObject*) { ListDeactivate(); };
    f->OnMouseWheel = [this](TObject*, TShiftState, int WheelDelta, TPoint, bool& Handled) { ListWheel(WheelDelta, Handled); };
    if (!FListLayered) f->OnPaint = [this](TObject* Sender) { PaintPlainList(static_cast<TForm*>(Sender)->GetCanvas()); };
}

void TVeskCombobox::CreateScrollBar() {
    const int count = GetItemCount();
    if (FListLayered) {
        auto* bar = new TVeskDirectUIScrollBar(FListForm);
        FDirectScrollBar = bar;
        bar->SetParent(FListForm);
        bar->SetScrollRes(FVerScrollRes);
        bar->SetWidth(FVerScrollWidth);
        bar->SetMin(0);
        bar->SetMax(count - 1);
        bar->SetPageSize(FShowitemCount);
        bar->OnScroll = [this](TObject*, int& Pos) { ListScrolled(Pos); };
        bar->OnNeedRepaint = [this](TObject*) { RepaintList(); };
        bar->SetTargetCanvas(FLayerBitmap->GetCanvas());
    } else {
        auto* bar = new TVeskPngScrollBar(FListForm);
        FPngScrollBar = bar;
        bar->SetParent(FListForm);
        bar->SetScrollRes(FVerScrollRes);
        bar->SetWidth(FVerScrollWidth);
        bar->SetMin(0);
        bar->SetMax(count - 1);
        bar->SetPageSize(FShowitemCount);
        bar->OnScroll = [this](TObject*, int& Pos) { ListScrolled(Pos); };
    }
    PlaceScrollBar(true);
}

void TVeskCombobox::PlaceScrollBar(bool Create) {
    TControl* bar = ScrollBar();
    if (!bar || !FListForm) return;
    const int ww = FListForm->GetWidth(), wh = FListForm->GetHeight(), bw = bar->GetWidth();
    if (FListLayered) {
        const int left = ww - bw - (Create ? 3 : 2) - FAlphaWidth;
        bar->SetBounds(left, FAlphaWidth + 6, bw, wh - 2 * (FAlphaWidth + 6));
    } else {
        bar->SetBounds(ww - bw - 1, 1, bw, wh - 2);
    }
}

void TVeskCombobox::ListScrolled(int Pos) {
    FTopItem = GetItem(Pos);
    RepaintList();
}

void TVeskCombobox::DropDown() {
    if (FItems.empty()) return;
    if (ListShowing()) {
        CloseList();
        return;
    }
    const int rows = RowCount();
    if (!FListForm) CreateListForm();
    const int count = GetItemCount();
    if (count > FShowitemCount && !ScrollBar() && FVerScrollRes) CreateScrollBar();

    FListForm->SetBounds(FListForm->GetLeft(), FListForm->GetTop(), GetWidth(), ListHeight(FListLayered, rows));
    if (TControl* bar = ScrollBar()) {
        if (count <= FShowitemCount) {
            bar->Hide();
        } else {
            if (FPngScrollBar) {
                FPngScrollBar->SetMax(count - 1);
                FPngScrollBar->SetPageSize(FShowitemCount);
            } else {
                FDirectScrollBar->SetMax(count - 1);
                FDirectScrollBar->SetPageSize(FShowitemCount);
            }
            // The bar starts where the rows start: after the items were cleared and refilled the
            // first row is the first item again, and the bar must not keep an older position.
            const int top = FTopItem ? std::max(0, FTopItem->GetIndex()) : 0;
            int pos;
            if (FPngScrollBar) {
                FPngScrollBar->SetPosition(top);
                pos = FPngScrollBar->GetPosition();
            } else {
                FDirectScrollBar->SetPosition(top);
                pos = FDirectScrollBar->GetPosition();
            }
            if (FTopItem && pos != top) FTopItem = GetItem(pos);
            PlaceScrollBar(false);
            bar->Show();
        }
    }

    if (!FDeactivateHooked && Application) {
        Application->OnDeactivate.Add(this, [this](TObject*) { AppDeactivated(); });
        FDeactivateHooked = true;
    }

    const TPoint p = ClientToScreen(TPoint(0, GetHeight()));
    const int h = FListForm->GetHeight();
    const TRect area = Screen ? Screen->GetWorkAreaRect() : TRect();
    int top = p.Y;
    if (p.Y + h > area.Bottom) {
        FDropUp = true;
        top = ClientToScreen(TPoint(0, 0)).Y - h;
    } else {
        FDropUp = false;
    }
    FListForm->SetBounds(p.X, top, FListForm->GetWidth(), h);

    if (FListLayered) {
        FListForm->HandleNeeded();
        BuildListBackground();
        PaintLayeredList();
    }
    FListForm->Show();
}

void TVeskCombobox::CloseList() {
    if (FListForm && !FDestroying && FListForm->HandleAllocated() && IsWindowVisible(FListForm->GetHandle()))
        FListForm->Hide();
    FHotItem = nullptr;
    FPressedItem = nullptr;
}

void TVeskCombobox::AppDeactivated() {
    if (!FDestroying && FListForm) FListForm->Hide();
    FHotItem = nullptr;
    FPressedItem = nullptr;
}

void TVeskCombobox::RepaintList() {
    if (FPaintingList || !ListShowing()) return;
    if (FListLayered)
        PaintLayeredList();
    else
        FListForm->Repaint();
}

std::vector<TVeskCboxItem*> TVeskCombobox::ShownRows() const {
    std::vector<TVeskCboxItem*> rows;
    auto it = FItems.begin();
    if (FTopItem) it = std::find(FItems.begin(), FItems.end(), FTopItem);
    if (it == FItems.end()) it = FItems.begin();
    for (; it != FItems.end() && static_cast<int>(rows.size()) < FShowitemCount + 1; ++it)
        if ((*it)->GetVisible()) rows.push_back(*it);
    return rows;
}

void TVeskCombobox::DrawRows(TCanvas* Canvas, bool LayeredKind, int RowsRight) {
    const int left = LayeredKind ? FAlphaWidth : 2;
    int top = LayeredKind ? FAlphaWidth + 6 : 2;
    Canvas->SetFont(GetFont());
    std::shared_ptr<bool> alive = AliveToken();
    for (TVeskCboxItem* item : ShownRows()) {
        const TRect row(left, top, RowsRight, top + ItemHeight);
        top = row.Bottom + 2;
        item->SetItemRect(row);
        if ((item == FHotItem || item == FSelectedItem) && Present(FItemFrames[0]))
            Canvas->StretchDraw(row, FItemFrames[0].get());
        TVeskCboxItemDrawEvent draw = item->OnDraw;
        if (draw) {
            const unsigned gen = FItemsGeneration;
            draw(Canvas, item);
            if (!*alive || gen != FItemsGeneration) return;
            continue;
        }
        int x = LayeredKind ? FBtnOffSet + 6 : 4;
        if (FShowCheckBox && Present(FCheckFrames[0])) {
            const int cw = FCheckFrames[0]->GetWidth(), ch = FCheckFrames[0]->GetHeight();
            const int ct = row.Top + DivTrunc(ItemHeight - ch, 2);
            item->SetCheckRect(TRect(x, ct, x + cw, ct + ch));
            const bool hot = item == FHotCheckItem;
            const int f = item->GetChecked() ? (hot ? 3 : 1) : (hot ? 2 : 0);
            if (Present(FCheckFrames[f])) Canvas->StretchDraw(item->GetCheckRect(), FCheckFrames[f].get());
            x = item->GetCheckRect().Right + 2;
        }
        if (FImagelist) {
            const int image = item->GetImageIndex();
            if (image >= 0 && image < FImagelist->GetCount())
                FImagelist->Draw(Canvas, x, row.Top + DivTrunc(ItemHeight - FImagelist->GetHeight(), 2), image, true);
            x += FImagelist->GetWidth() + 4;
        }
        TColor color = !item->GetEnabled()                              ? FFontItemColorDisable
                       : item == FPressedItem                           ? FFontItemColorDown
                       : (item == FHotItem || item == FSelectedItem)    ? FFontItemColorOver
                                                                        : FFontItemColorNormal;
        Canvas->GetFont()->SetColor(color);
        Canvas->GetBrush()->SetStyle(bsClear);
        TRect tr(x, row.Top, row.Right - 2, row.Bottom);
        Canvas->DrawText(item->GetCaption(), tr, kTextFlags);
    }
}

void TVeskCombobox::PaintPlainList(TCanvas* Canvas) {
    if (!FListForm || FPaintingList) return;
    FPaintingList = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FPaintingList};
    const int ww = FListForm->GetClientWidth(), wh = FListForm->GetClientHeight();
    const int bw = std::max(0, ww - 2 - (ScrollBarShown() ? ScrollBarWidth() : 0));
    const int bh = std::max(0, wh - 2);
    FPlainBitmap->SetSize(bw, bh);
    TCanvas* bc = FPlainBitmap->GetCanvas();
    bc->GetBrush()->SetStyle(bsSolid);
    bc->GetBrush()->SetColor(clWhite);
    bc->FillRect(TRect(0, 0, bw, bh));
    std::shared_ptr<bool> alive = AliveToken();
    DrawRows(bc, false, bw - 2);
    if (!*alive) return;
    Canvas->GetBrush()->SetStyle(bsSolid);
    Canvas->GetBrush()->SetColor(clSkyBlue);
    Canvas->FrameRect(TRect(0, 0, ww, wh));
    BitBlt(Canvas->GetHandle(), 1, 1, bw, bh, bc->GetHandle(), 0, 0, SRCCOPY);
}

void TVeskCombobox::BuildListBackground() {
    if (!FListForm) return;
    const int w = FListForm->GetWidth(), h = FListForm->GetHeight();
    if (FListBack && FListBack->GetWidth() == w && FListBack->GetHeight() == h) return;
    FListBack.reset();
    const int l = FFormsplit->GetLeft(), t = FFormsplit->GetTop(), r = FFormsplit->GetRight(), b = FFormsplit->GetBottom();
    if (!(l < r && t < b)) return;
    TPng9Pieces pieces;
    if (!SplitPng9(FImgForm.get(), l, t, r, b, 255, clNone, pieces)) return;
    FListBack = BuildPng9(w, h, pieces);
}

void TVeskCombobox::PaintLayeredList() {
    if (!FListForm || FPaintingList) return;
    FPaintingList = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FPaintingList};
    BuildListBackground();
    const int w = FListForm->GetWidth(), h = FListForm->GetHeight();
    // The rows go onto a copy of the background: its alpha stays the skin's, text included.
    TPngImage copy;
    if (FListBack)
        copy.Assign(FListBack.get());
    else
        copy.CreateBlank(png::COLOR_RGBALPHA, 8, w, h);
    const int rowsRight = w - FAlphaWidth - (ScrollBarShown() ? ScrollBarWidth() + 2 + FAlphaWidth : 0);
    std::shared_ptr<bool> alive = AliveToken();
    DrawRows(copy.GetCanvas(), true, rowsRight);
    if (!*alive) return;
    FLayerBitmap->SetSize(w, h);
    ClearBitmap32(FLayerBitmap.get());
    TCanvas* lc = FLayerBitmap->GetCanvas();
    copy.Draw(lc, TRect(0, 0, copy.GetWidth(), copy.GetHeight()));
    if (FDirectScrollBar && FDirectScrollBar->GetVisible()) {
        FDirectScrollBar->SetTargetCanvas(lc);
        FDirectScrollBar->Paint();
    }
    if (!FListForm->HandleAllocated()) return;
    HWND wnd = FListForm->GetHandle();
    POINT dst{FListForm->GetLeft(), FListForm->GetTop()};
    SIZE size{w, h};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, FAlpha, AC_SRC_ALPHA};
    TWindowDC screen(nullptr);
    UpdateLayeredWindow(wnd, screen.Get(), &dst, &size, lc->GetHandle(), &src, 0, &blend, ULW_ALPHA);
}

// ---------------------------------------------------------------------------------------------
// List handlers

TVeskCboxItem* TVeskCombobox::RowAt(const TPoint& P) const {
    for (TVeskCboxItem* item : ShownRows())
        if (item->GetEnabled() && item->GetItemRect().Contains(P)) return item;
    return nullptr;
}

void TVeskCombobox::ListMouseMove(int X, int Y) {
    const TPoint p(X, Y);
    TVeskCboxItem* hot = RowAt(p);
    TVeskCboxItem* hotCheck = nullptr;
    if (FShowCheckBox && hot && hot->GetCheckRect().Contains(p)) hotCheck = hot;
    if (hot == FHotItem && hotCheck == FHotCheckItem) return;
    FHotItem = hot;
    FHotCheckItem = hotCheck;
    RepaintList();
}

void TVeskCombobox::ListMouseLeave() {
    if (!FHotItem) return;
    FHotItem = nullptr;
    FHotCheckItem = nullptr;
    RepaintList();
}

void TVeskCombobox::ListMouseDown(int X, int Y) {
    (void)X;
    (void)Y;
    if (FHotCheckItem)
        FPressedCheckItem = FHotCheckItem;
    else if (FHotItem)
        FPressedItem = FHotItem;
    RepaintList();
}

void TVeskCombobox::ListMouseUp(int X, int Y) {
    const TPoint p(X, Y);
    std::shared_ptr<bool> alive = AliveToken();
    if (FPressedCheckItem) {
        TVeskCboxItem* item = FPressedCheckItem;
        // A press that is not released over the same box is dropped, not kept for later.
        FPressedCheckItem = nullptr;
        if (item->GetCheckRect().Contains(p)) {
            item->SetChecked(!item->GetChecked());
            TVeskCboxItemEvent h = OnItemCheck;
            if (h) h(this, item);
            if (!*alive) return;
        }
        RepaintList();
        return;
    }
    if (!FPressedItem) return;
    // Only an enabled row can be chosen, also when the press began on another one.
    TVeskCboxItem* item = RowAt(p);
    if (!item) {
        FPressedItem = nullptr;
        RepaintList();
        return;
    }
    FSelectedItem = item;
    FPendingIndex = -1;
    FCaptionFollower = nullptr;
    TControl::SetText(item->GetCaption());
    FHot = false;
    FBtnHot = false;
    Redraw();
    CloseList();
    if (!FireChosen(item)) return;
    FPressedItem = nullptr;
}

bool TVeskCombobox::FireChosen(TVeskCboxItem* Item) {
    std::shared_ptr<bool> alive = AliveToken();
    // A handler that frees the box or removes items ends the chain: the chosen item may be gone.
    const unsigned gen = FItemsGeneration;
    {
        TVeskCboxItemEvent h = OnItemClick;
        if (h) h(this, Item);
        if (!*alive) return false;
        if (gen != FItemsGeneration) return true;
    }
    {
        TNotifyEvent h = OnChange;
        if (h) h(Item);
        if (!*alive) return false;
        if (gen != FItemsGeneration) return true;
    }
    TNotifyEvent h = Item->OnClick;
    if (h) h(Item);
    return *alive;
}

void TVeskCombobox::ListWheel(int WheelDelta, bool& Handled) {
    if (!ScrollBarShown()) return;
    Handled = true;
    int pos, page, max, small;
    if (FPngScrollBar) {
        pos = FPngScrollBar->GetPosition();
        page = FPngScrollBar->GetPageSize();
        max = FPngScrollBar->GetMax();
        small = FPngScrollBar->GetSmallChange();
    } else {
        pos = FDirectScrollBar->GetPosition();
        page = FDirectScrollBar->GetPageSize();
        max = FDirectScrollBar->GetMax();
        small = FDirectScrollBar->GetSmallChange();
    }
    int next;
    if (WheelDelta >= 0)
        next = std::max(0, pos - small);  // one step up, stopping at the top
    else
        next = pos >= max - page ? max - page + 1 : pos + small;
    if (next == pos) return;
    // The top row follows where the bar really stands (it keeps its position within its range).
    if (FPngScrollBar) {
        FPngScrollBar->SetPosition(next);
        next = FPngScrollBar->GetPosition();
    } else {
        FDirectScrollBar->SetPosition(next);
        next = FDirectScrollBar->GetPosition();
    }
    FTopItem = GetItem(next);
    RepaintList();
}

void TVeskCombobox::ListDeactivate() {
    std::shared_ptr<bool> alive = AliveToken();
    if (!FBtnHot) {
        if (ListShowing()) {
            TNotifyEvent h = OnLostFocus;
            if (h) {
                h(this);
                if (!*alive) return;
            } else {
                CloseList();
            }
        }
        if (FHot) {
            FHot = false;
            FBtnHot = false;
            Redraw();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Keyboard (while the box holds the focus)

void TVeskCombobox::KeyDown(WORD& Key, TShiftState Shift) {
    if (!GetEnabled()) return;
    const bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
    if ((Key == VK_DOWN && alt && !ctrl) || (Key == VK_F4 && !alt && !ctrl)) {
        Key = 0;
        // As a click on the box does.
        std::shared_ptr<bool> alive = AliveToken();
        TNotifyEvent h = OnbtnClick;
        if (h) h(this);
        if (*alive) DropDown();
        return;
    }
    if (alt || ctrl) return;
    const WORD key = Key;
    if (key != VK_UP && key != VK_DOWN && key != VK_HOME && key != VK_END) return;
    Key = 0;
    // Only items a user could choose in the list: visible and enabled.
    auto choosable = [this](int i) {
        TVeskCboxItem* it = GetItem(i);
        return it && it->GetVisible() && it->GetEnabled();
    };
    const int n = GetItemCount(), cur = GetIndex();
    int target = -1;
    if (key == VK_HOME || key == VK_END) {
        const bool first = key == VK_HOME;
        for (int k = 0; k < n && target < 0; ++k)
            if (choosable(first ? k : n - 1 - k)) target = first ? k : n - 1 - k;
    } else if (key == VK_DOWN) {
        for (int i = cur + 1; i < n && target < 0; ++i)
            if (choosable(i)) target = i;
    } else if (cur > 0) {
        for (int i = cur - 1; i >= 0 && target < 0; --i)
            if (choosable(i)) target = i;
    }
    if (target < 0 || target == cur) return;
    // A key choice is a choice as in the list: the same events, so users of the box see no
    // difference between the keyboard and the mouse.
    TVeskCboxItem* item = GetItem(target);
    FSelectedItem = item;
    FPendingIndex = -1;
    FCaptionFollower = nullptr;
    TControl::SetText(item->GetCaption());
    Redraw();
    FireChosen(item);
}
