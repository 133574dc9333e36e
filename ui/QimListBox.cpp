#include "QimListBox.h"

#include "QimDrawing.h"
#include "VeskParentBackground.h"
#include "fw_forms.h"

#include <algorithm>
#include <cstdlib>

using namespace fw;

namespace {

constexpr TRect kNoRect{-1, -1, -1, -1};

uint32_t OpaqueArgb(TColor Color) {
    COLORREF c = ColorToRGB(Color);
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

void FrameBuffer(TBitmap32* Buffer, int W, int H, TColor Color) {
    const uint32_t c = OpaqueArgb(Color);
    Buffer->FillRect(0, 0, W, 1, c);
    Buffer->FillRect(0, H - 1, W, H, c);
    Buffer->FillRect(0, 0, 1, H, c);
    Buffer->FillRect(W - 1, 0, W, H, c);
}

template <class E, class... Args>
void FireEvent(const E& Event, Args&&... A) {
    E copy = Event;
    if (copy) copy(std::forward<Args>(A)...);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TQimLBoxItem

TQimLBoxItem::TQimLBoxItem(TQimListBox* AOwner) : FOwner(AOwner) {}

void TQimLBoxItem::SetCaption(const std::wstring& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    if (FOwner) FOwner->RequestPaint();
}

void TQimLBoxItem::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (!FOwner) return;
    // An invisible row takes no place: the scroll range changes with it.
    FOwner->CalcContentHeight();
    FOwner->RequestPaint();
}

// ---------------------------------------------------------------------------------------------
// TQimListBox: properties and rows

TQimListBox::TQimListBox(TComponent* AOwner)
    : TQimUIParentControl(AOwner),
      FImgBack(std::make_unique<TPngImage>()),
      FImgitem(std::make_unique<TPngImage>()),
      Fitemsplit(std::make_unique<TQimUIPadding>()),
      FImgCheck(std::make_unique<TPngImage>()),
      FImgSelBox(std::make_unique<TPngImage>()) {
    SetTabStop(true);
    SetColor(clWhite);
    SetBounds(GetLeft(), GetTop(), 200, 150);
}

TQimListBox::~TQimListBox() {
    // The scroll bars are owned components and are gone by now; only the rows remain.
    FHotItem = FPressedItem = FCheckHotItem = FCheckPressedItem = FAnchorItem = FEndItem = nullptr;
    FItems.clear();
}

void TQimListBox::CopyPng(std::unique_ptr<TPngImage>& Target, TPngImage* Source) {
    if (Source == Target.get()) return;
    if (Source)
        Target->Assign(Source);
    else
        Target = std::make_unique<TPngImage>();
}

void TQimListBox::SetBorderColor(TColor Value) {
    if (Value == FBorderColor) return;
    FBorderColor = Value;
    FBorderInset = Value != clNone ? 1 : 0;
    RequestPaint();
}

void TQimListBox::SetImagelist(TQimImageList* Value) {
    if (Value == FImagelist) return;
    if (FImagelist) FImagelist->RemoveFreeNotification(this);
    FImagelist = Value;
    if (Value) Value->FreeNotification(this);
    RequestPaint();
}

void TQimListBox::SetItemheight(int Value) {
    if (Value == FItemheight || Value < 1) return;
    FItemheight = Value;
    CalcContentHeight();
    RequestPaint();
}

void TQimListBox::SetItemLeftFix(int Value) {
    if (Value == FItemLeftFix) return;
    FItemLeftFix = Value;
    RequestPaint();
}

void TQimListBox::SetVerScrollRes(TQimScrollBarRes* Value) {
    if (Value == FVerScrollRes) return;
    if (FVerScrollRes) FVerScrollRes->RemoveFreeNotification(this);
    FVerScrollRes = Value;
    if (Value) Value->FreeNotification(this);
}

void TQimListBox::SetHorScrollRes(TQimScrollBarRes* Value) {
    if (Value == FHorScrollRes) return;
    if (FHorScrollRes) FHorScrollRes->RemoveFreeNotification(this);
    FHorScrollRes = Value;
    if (Value) Value->FreeNotification(this);
}

void TQimListBox::SetMarginCheckBox(int Value) {
    if (Value == FMarginCheckBox) return;
    FMarginCheckBox = Value;
    RequestPaint();
}

void TQimListBox::SetMarginImageList(int Value) {
    if (Value == FMarginImageList) return;
    FMarginImageList = Value;
    RequestPaint();
}

void TQimListBox::SetMarginText(int Value) {
    if (Value == FMarginText) return;
    FMarginText = Value;
    RequestPaint();
}

void TQimListBox::SetMarginItem(int Value) {
    if (Value == FMarginItem) return;
    FMarginItem = Value;
    RequestPaint();
}

TQimLBoxItem* TQimListBox::AddItem() {
    FItems.push_back(std::make_unique<TQimLBoxItem>(this));
    CalcContentHeight();
    return FItems.back().get();
}

void TQimListBox::DeleteItem(TQimLBoxItem* Item) {
    const int index = IndexOf(Item);
    if (index < 0) return;
    ForgetItem(Item);
    FHotItem = FPressedItem = FCheckHotItem = FCheckPressedItem = FAnchorItem = FEndItem = nullptr;
    FItems.erase(FItems.begin() + index);
    FLastPainted = Count() - 1;
    FLaidOutUpTo = std::min(FLaidOutUpTo, Count() - 1);
    CalcContentHeight();
    RequestPaint();
}

void TQimListBox::Clear() {
    if (FHotItem) ForgetItem(FHotItem);
    FHotItem = FPressedItem = FCheckHotItem = FCheckPressedItem = FAnchorItem = FEndItem = nullptr;
    while (!FItems.empty()) FItems.pop_back();
    FLaidOutUpTo = -1;
    FreeAndNil(FVerBar);
    FreeAndNil(FHorBar);
    FVerOffset = 0;
    FHorOffset = 0;
    FContentHeight = 0;
    // Without rows there is nothing to scroll sideways either: a width left over from the old
    // rows would bring a horizontal bar back over the empty list.
    FContentWidth = 0;
}

TQimLBoxItem* TQimListBox::GetItem(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[Index].get();
}

int TQimListBox::SelectedCount() const {
    int n = 0;
    for (const auto& it : FItems)
        if (it->FSelected) ++n;
    return n;
}

int TQimListBox::IndexOf(const TQimLBoxItem* Item) const {
    if (!Item) return -1;
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].get() == Item) return i;
    return -1;
}

// A row that goes away takes its caption hint with it.
void TQimListBox::ForgetItem(TQimLBoxItem* Item) {
    if (Item == FHotItem) WithdrawCaptionHint();
}

void TQimListBox::RequestPaint() {
    if (FLoadedOnce && CanUpdate()) Invalidate();
}

void TQimListBox::Loaded() {
    TQimUIParentControl::Loaded();
    if (FLoadedOnce) return;
    FLoadedOnce = true;
    FBorderInset = FBorderColor != clNone ? 1 : 0;
    PrepareCheckFrames();
    PrepareItemImages();
    PrepareBackground();
}

void TQimListBox::Notification(TComponent* AComponent, TOperation Operation) {
    TQimUIParentControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FVerScrollRes) FVerScrollRes = nullptr;
    if (AComponent == FHorScrollRes) FHorScrollRes = nullptr;
    if (AComponent == FImagelist) {
        FImagelist = nullptr;
        RequestPaint();
    }
    if (AComponent == FVerBar) FVerBar = nullptr;
    if (AComponent == FHorBar) FHorBar = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Preparation

void TQimListBox::PrepareCheckFrames() {
    for (auto& f : FCheckFrames) f.reset();
    if (FImgCheck->GetEmpty() || FCheckStateCount != 4) return;
    for (int i = 0; i < 4; ++i) FCheckFrames[i] = CutStripFrame(FImgCheck.get(), 4, i);
}

void TQimListBox::PrepareItemImages() {
    FOverImage.reset();
    FSelectedImage.reset();
    if (FImgitem->GetEmpty() || (FItemStateCount != 1 && FItemStateCount != 2)) return;
    const int aw = GetWidth() - 4 - VerBarWidth();
    const int l = Fitemsplit->GetLeft(), r = Fitemsplit->GetRight();
    if (FItemStateCount == 1) {
        if (l >= r) {
            FSelectedImage = std::make_unique<TPngImage>();
            FSelectedImage->Assign(FImgitem.get());
        } else {
            FSelectedImage = StretchPng3(FImgitem.get(), l, r, 255, clNone, aw);
        }
    } else {
        FOverImage = CutStripFrame(FImgitem.get(), 2, 0);
        FSelectedImage = CutStripFrame(FImgitem.get(), 2, 1);
        if (l < r) {
            if (FOverImage) FOverImage = StretchPng3(FOverImage.get(), l, r, 255, clNone, aw);
            if (FSelectedImage) FSelectedImage = StretchPng3(FSelectedImage.get(), l, r, 255, clNone, aw);
        }
    }
    if (FSelectedImage && !FSelectedImage->GetEmpty()) SetItemheight(FSelectedImage->GetHeight());
}

// The skin stretched over the whole control, kept until the control's size changes.
void TQimListBox::PrepareBackground() {
    if (FImgBack->GetEmpty()) {
        FBackBitmap.reset();
        return;
    }
    const int w = GetWidth(), h = GetHeight();
    if (w < 1 || h < 1) return;
    if (FBackBitmap && FBackBitmap->GetWidth() == w && FBackBitmap->GetHeight() == h) return;
    FBackBitmap = std::make_unique<TBitmap32>();
    FBackBitmap->SetDrawMode(dmOpaque);
    FBackBitmap->SetSize(w, h);
    FBackBitmap->Clear(0);
    FImgBack->CreateAlpha();
    FImgBack->Draw(FBackBitmap->GetCanvas(), TRect(0, 0, w, h));
}

// ---------------------------------------------------------------------------------------------
// Geometry

bool TQimListBox::VerBarVisible() const { return FVerBar && FVerBar->GetVisible(); }

bool TQimListBox::HorBarVisible() const { return FHorBar && FHorBar->GetVisible(); }

int TQimListBox::VerBarWidth() const { return VerBarVisible() ? FVerBar->GetWidth() : 0; }

void TQimListBox::UpdateViewHeight() { FViewHeight = GetHeight() - (HorBarVisible() ? FHorBar->GetHeight() : 0); }

int TQimListBox::ItemHeightOf(TQimLBoxItem* Item, int Index) {
    int h = FItemheight;
    FireEvent(OnMeasureItem, Item, Index, h);
    return h;
}

void TQimListBox::CalcContentHeight() {
    int total = 0;
    for (int i = 0; i < Count(); ++i) {
        TQimLBoxItem* it = FItems[i].get();
        if (it->FVisible) total += ItemHeightOf(it, i) + FMarginItem;
    }
    FContentHeight = total;
}

void TQimListBox::ClearRowRects(int From, int To) {
    To = std::min(To, Count() - 1);
    for (int i = std::max(From, 0); i <= To; ++i) {
        TQimLBoxItem* it = FItems[i].get();
        it->FItemRect = kNoRect;
        it->FTextRect = kNoRect;
        it->FCheckRect = kNoRect;
    }
}

void TQimListBox::Resize() {
    TQimUIParentControl::Resize();
    CalcContentHeight();
    UpdateViewHeight();
    if (VerBarVisible() && FViewHeight >= FContentHeight) FVerOffset = 0;
    RequestPaint();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TQimListBox::FillBackground(TBitmap32* Buffer, const TRect& Rect) {
    auto parentBackground = [&]() {
        TCanvas* c = Buffer->GetCanvas();
        HDC dc = c->GetHandle();
        TSavedDC saved(dc);
        IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
        DrawParentBackground(this, c);
    };
    if (GetAlpha() != 255) {
        parentBackground();
        ScaleBitmap32Alpha(Buffer, Rect, GetAlpha());
    } else if (!GetTransparent()) {
        if (FImgBack->GetEmpty()) {
            Buffer->FillRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, OpaqueArgb(GetColor()));
        } else {
            PrepareBackground();
            if (FBackBitmap) Buffer->GetCanvas()->CopyRect(Rect, FBackBitmap->GetCanvas(), Rect);
        }
    } else {
        parentBackground();
    }
}

void TQimListBox::Paint() {
    const int w = GetWidth(), h = GetHeight();
    if (w >= 1 && h >= 1) {
        std::shared_ptr<bool> alive = AliveToken();
        TBitmap32* b = GetBackBuffer();
        b->SetSize(w, h);
        FillBackground(b, TRect(0, 0, w, h));
        DrawControl(b);
        if (!*alive) return;
        if (FBorderColor != clNone) FrameBuffer(b, w, h, GetEnabled() ? FBorderColor : FFontColorDisable);
        b->DrawTo(GetCanvas()->GetHandle(), 0, 0);
    }
    TQimUIParentControl::Paint();
}

void TQimListBox::DrawControl(TBitmap32* Buffer) {
    if (!CanUpdate() || !Buffer || Buffer->GetEmpty()) return;
    std::shared_ptr<bool> alive = AliveToken();
    TCanvas* c = Buffer->GetCanvas();
    FireEvent(OnDrawBackGround, c, GetClientRect());
    if (!*alive) return;
    LayoutAndDrawItems(c);
    if (!*alive) return;
    if (FBorderColor != clNone) FrameBuffer(Buffer, Buffer->GetWidth(), Buffer->GetHeight(), FBorderColor);
    DrawRubberBand(c);
    UpdateVerScrollBar();
    UpdateHorScrollBar();
}

void TQimListBox::LayoutAndDrawItems(TCanvas* Canvas) {
    FContentWidth = 0;
    UpdateViewHeight();
    if (FItems.empty()) {
        FFirstPainted = -1;
        FLastPainted = -1;
        return;
    }
    std::shared_ptr<bool> alive = AliveToken();
    Canvas->SetFont(GetFont());
    Canvas->GetBrush()->SetStyle(bsClear);
    const int limit = FViewHeight;
    const int right = GetWidth() - 2 - VerBarWidth();
    const bool measured = static_cast<bool>(OnMeasureItem);
    int y = FBorderInset + FVerOffset;
    bool beyond = false;
    FFirstPainted = -1;
    FLastPainted = Count() - 1;
    int stop = Count();
    for (int i = 0; i < Count(); ++i) {
        TQimLBoxItem* it = FItems[i].get();
        if (!it->FVisible) {
            it->FItemRect = kNoRect;
            continue;
        }
        if (y <= limit) {
            const int h = ItemHeightOf(it, i);
            if (!*alive || i >= Count() || FItems[i].get() != it) return;
            it->FItemRect = TRect(FHorOffset + 2, y, right, y + h);
            y = it->FItemRect.Bottom + FMarginItem;
            if (it->FItemRect.Bottom > 0 && it->FItemRect.Top < limit) {
                if (FFirstPainted == -1) FFirstPainted = i;
                DrawItem(Canvas, i, it);
                // A drawing handler that changed the rows ends this pass; the next one starts afresh.
                if (!*alive || i >= Count() || FItems[i].get() != it) return;
            }
        } else {
            if (!beyond) {
                beyond = true;
                FLastPainted = i;
            }
            if (!measured) {
                stop = i;
                break;
            }
            ClearRowRects(i, i);
        }
    }
    // Rows this pass did not reach must not keep the rectangles of an earlier layout: they would
    // still be hit by the mouse and by the rubber band where other rows stand now.
    if (stop < Count()) ClearRowRects(stop, FLaidOutUpTo);
    FLaidOutUpTo = stop - 1;
}

void TQimListBox::DrawItem(TCanvas* Canvas, int Index, TQimLBoxItem* Item) {
    std::shared_ptr<bool> alive = AliveToken();
    const TRect r = Item->FItemRect;
    const int h = r.Height();
    int x = r.Left + FItemLeftFix;
    int t = 0;
    // A drawing handler may delete or clear rows; the row must not be touched once it is gone.
    auto rowGone = [&]() { return !*alive || Index >= Count() || FItems[Index].get() != Item; };
    FireEvent(OnBeforeItemDraw, Canvas, Index, Item);
    if (rowGone()) return;
    bool defaultDraw = true;
    FireEvent(OnItemOwnerDraw, Canvas, Index, Item, defaultDraw);
    if (rowGone()) return;
    if (defaultDraw) {
        if (Item == FPressedItem || Item->FSelected) {
            if (FSelectedImage && !FSelectedImage->GetEmpty()) FSelectedImage->Draw(Canvas, r);
        } else if (Item == FHotItem && FHotTrack) {
            if (FOverImage && !FOverImage->GetEmpty()) FOverImage->Draw(Canvas, r);
        }
        if (FShowCheckBox && FCheckFrames[0]) {
            int frame;
            if (Item->FChecked)
                frame = Item == FCheckHotItem ? 3 : 1;
            else
                frame = Item == FCheckHotItem ? 2 : 0;
            TPngImage* f = FCheckFrames[frame] ? FCheckFrames[frame].get() : FCheckFrames[0].get();
            const int left = x + FMarginCheckBox;
            const int top = r.Top + (h - f->GetHeight()) / 2;
            Item->FCheckRect = TRect(left, top, left + f->GetWidth(), top + f->GetHeight());
            f->Draw(Canvas, Item->FCheckRect);
            t = f->GetWidth() + FMarginCheckBox;
            x = Item->FCheckRect.Right;
        }
        if (FImagelist) {
            const int iw = FImagelist->GetImgWidth(), ih = FImagelist->GetImgHeight();
            const int index = Item->FImageIndex;
            if (index != -1 && index <= FImagelist->Count() - 1) {
                FImagelist->Draw(Canvas, x + FMarginImageList, r.Top + (h - ih) / 2, index, true);
                t += FMarginImageList + iw;
            }
            // The icon column is kept whether or not this row has an icon, so captions line up.
            x += FMarginImageList + iw;
        }
        if (!Item->FCaption.empty()) {
            Canvas->SetFont(GetFont());
            const SIZE sz = Canvas->TextExtent(Item->FCaption);
            const int top = r.Top + (h - sz.cy) / 2;
            Item->FTextRect = TRect(x + FMarginText, top, r.Right - 2, top + sz.cy);
            if (FHorScrollRes) FContentWidth = std::max<int>(FContentWidth, t + FMarginText + sz.cx);
            TColor colour;
            if (!Item->FEnabled)
                colour = FFontColorDisable;
            else if (Item == FPressedItem || Item->FSelected)
                colour = FFontColorDown;
            else if (Item == FHotItem && FHotTrack)
                colour = FFontColorOver;
            else
                colour = FFontColorNormal;
            Canvas->GetFont()->SetColor(colour);
            Canvas->GetBrush()->SetStyle(bsClear);
            TRect tr = Item->FTextRect;
            // The captions are the user's texts: "&" is shown, not taken for an underline marker.
            Canvas->DrawText(Item->FCaption, tr, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    FireEvent(OnAfterItemDraw, Canvas, Index, Item);
}

// Hover changes redraw one row into the back buffer and invalidate just that rectangle.
void TQimListBox::RepaintItem(TQimLBoxItem* Item) {
    if (!FLoadedOnce || !CanUpdate()) return;
    const int index = IndexOf(Item);
    if (index < 0 || Item->FItemRect.IsEmpty()) return;
    const TRect clip = IntersectRects(Item->FItemRect, GetClientRect());
    if (clip.IsEmpty()) return;
    TBitmap32* b = GetBackBuffer();
    if (b->GetWidth() == GetWidth() && b->GetHeight() == GetHeight() && !b->GetEmpty()) {
        std::shared_ptr<bool> alive = AliveToken();
        FillBackground(b, clip);
        TCanvas* c = b->GetCanvas();
        c->SetFont(GetFont());
        c->GetBrush()->SetStyle(bsClear);
        DrawItem(c, index, Item);
        if (!*alive) return;
        // A row cut off by the top or bottom edge was refilled over the border line: put the
        // border back, in the colour a full paint gives it.
        if (FBorderColor != clNone && (clip.Top == 0 || clip.Bottom == GetHeight() || clip.Left == 0 ||
                                       clip.Right == GetWidth()))
            FrameBuffer(b, b->GetWidth(), b->GetHeight(), GetEnabled() ? FBorderColor : FFontColorDisable);
    }
    if (HandleAllocated()) {
        RECT rc = clip;
        InvalidateRect(GetHandle(), &rc, FALSE);
    }
}

void TQimListBox::DrawRubberBand(TCanvas* Canvas) {
    if (!FMultiSelect || FImgSelBox->GetEmpty()) return;
    if (FBandStart.X == -1 || FBandStart.Y == -1 || FBandCurrent.X == -1 || FBandCurrent.Y == -1) return;
    if (std::abs(FBandCurrent.X - FBandStart.X) < 10 && std::abs(FBandCurrent.Y - FBandStart.Y) < 10) return;
    const int w = GetWidth(), h = GetHeight();
    const int cx = std::min<int>(FBandCurrent.X, w), cy = std::min<int>(FBandCurrent.Y, h);
    const TRect band(std::min<int>(FBandStart.X, cx), std::min<int>(FBandStart.Y, cy),
                     std::max<int>(FBandStart.X, cx), std::max<int>(FBandStart.Y, cy));
    for (const auto& p : FItems) {
        TQimLBoxItem* it = p.get();
        if (it->FVisible && it->FEnabled) it->FSelected = !IntersectRects(it->FItemRect, band).IsEmpty();
        if (it->FItemRect.Top >= h) break;
    }
    FImgSelBox->Draw(Canvas, band);
}

// ---------------------------------------------------------------------------------------------
// Scroll bars

void TQimListBox::UpdateVerScrollBar() {
    UpdateViewHeight();
    if (FContentHeight <= FViewHeight) {
        if (VerBarVisible()) {
            FVerBar->SetVisible(false);
            FVerBar->SetPosition(0);
            FVerOffset = 0;
            PrepareItemImages();
            RequestPaint();
        }
        return;
    }
    if (!FVerBar) {
        if (!FVerScrollRes) return;
        auto* bar = new TQimScrollBar(this);
        bar->SetVisible(false);
        bar->Setkind(TQimUIScrollkind::skVer);
        bar->SetParent(this);
        bar->SetScrollRes(FVerScrollRes);
        bar->SetSmallChange(FItemheight + FMarginItem);
        bar->SetLargeChange(2 * FItemheight);
        bar->SetTransparent(true);
        bar->OnScroll = [this](TObject*, int& ScrollPos) { VerScroll(ScrollPos); };
        FVerBar = bar;
    }
    if (!FVerBar->GetVisible()) {
        FVerBar->SetVisible(true);
        PrepareItemImages();
        RequestPaint();
    }
    FVerBar->SetMin(0);
    FVerBar->SetMax(FContentHeight);
    FVerBar->SetPageSize(FViewHeight);
    FVerBar->SetBounds(GetWidth() - FVerBar->GetWidth() - FBorderInset, FBorderInset, FVerBar->GetWidth(), FViewHeight);
    // When the content shrank the bar's position may lie past its last page; the rows follow
    // the bar, or they would stay scrolled out of sight while the bar shows another place.
    const int high = FContentHeight - FVerBar->GetPageSize() + 1;
    if (FVerBar->GetPosition() > high) FVerBar->SetPosition(high);
    if (FVerOffset != -FVerBar->GetPosition()) {
        FVerOffset = -FVerBar->GetPosition();
        RequestPaint();
    }
}

void TQimListBox::UpdateHorScrollBar() {
    const int available = GetWidth() - 2 * FBorderInset - VerBarWidth();
    if (available <= FContentWidth) {
        if (!FHorBar) {
            if (!FHorScrollRes) return;
            auto* bar = new TQimScrollBar(this);
            bar->SetVisible(false);
            bar->Setkind(TQimUIScrollkind::skHor);
            bar->SetParent(this);
            bar->SetScrollRes(FHorScrollRes);
            bar->SetTransparent(true);
            bar->OnScroll = [this](TObject*, int& ScrollPos) { HorScroll(ScrollPos); };
            FHorBar = bar;
        }
        if (!FHorBar->GetVisible()) {
            FHorBar->SetVisible(true);
            // The bar takes its height from the view.
            RequestPaint();
        }
        FHorBar->SetBounds(FBorderInset, GetHeight() - FHorBar->GetHeight() - FBorderInset, available,
                           FHorBar->GetHeight());
        FHorBar->SetMin(0);
        FHorBar->SetMax(FContentWidth);
        FHorBar->SetPageSize(available);
        const int high = FContentWidth - FHorBar->GetPageSize() + 1;
        if (FHorBar->GetPosition() > high) FHorBar->SetPosition(high);
        if (FHorOffset != -FHorBar->GetPosition()) {
            FHorOffset = -FHorBar->GetPosition();
            RequestPaint();
        }
    } else if (HorBarVisible()) {
        FHorBar->SetVisible(false);
        FHorBar->SetPosition(0);
        FHorOffset = 0;
        RequestPaint();
    }
}

void TQimListBox::VerScroll(int& ScrollPos) {
    if (FVerOffset == -ScrollPos) return;
    FVerOffset = -ScrollPos;
    RequestPaint();
}

void TQimListBox::HorScroll(int& ScrollPos) {
    if (FHorOffset == -ScrollPos) return;
    FHorOffset = -ScrollPos;
    RequestPaint();
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TQimListBox::ShowCaptionHint(TQimLBoxItem* Item, int X, int Y) {
    if (!FHintSwapped) {
        FSavedHint = GetHint();
        FSavedShowHint = GetShowHint();
        FHintSwapped = true;
    }
    SetHint(Item->FCaption);
    SetShowHint(true);
    if (Application) Application->ActivateHint(ClientToScreen(TPoint(X, Y)));
}

void TQimListBox::WithdrawCaptionHint() {
    if (!FHintSwapped) return;
    FHintSwapped = false;
    SetHint(FSavedHint);
    SetShowHint(FSavedShowHint);
    if (Application) Application->CancelHint();
}

void TQimListBox::MouseMove(TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::MouseMove(Shift, X, Y);
    if (!*alive) return;
    if (GetLeftButtonDown() && FMultiSelect) {
        // A pointer dragged past the left or top edge must not read as an unset point (-1).
        const TPoint current(std::max(X, 0), std::max(Y, 0));
        // Windows also reports the pointer where it was pressed (activation, capture changes);
        // that is no movement and must not turn the click into a band selection.
        if (FBandCurrent.X == -1 && FBandCurrent.Y == -1 && current == FBandStart) return;
        FBandCurrent = current;
        RequestPaint();
        return;
    }
    const TPoint pt(X, Y);
    TQimLBoxItem* found = nullptr;
    if (FFirstPainted >= 0) {
        for (int i = FFirstPainted; i <= FLastPainted && i < Count(); ++i) {
            TQimLBoxItem* it = FItems[i].get();
            if (!it->FVisible || !it->FEnabled) continue;
            if (it->FItemRect.Contains(pt)) {
                found = it;
                break;
            }
            if (it == FHotItem) {
                FHotItem = nullptr;
                FCheckHotItem = nullptr;
                RepaintItem(it);
                if (!*alive) return;
                WithdrawCaptionHint();
            }
        }
    }
    if (!found) return;
    if (found != FHotItem) {
        WithdrawCaptionHint();
        TQimLBoxItem* old = FHotItem;
        FHotItem = found;
        if (FHotTrack) {
            if (old) RepaintItem(old);
            RepaintItem(found);
            // The row's drawing handlers may have deleted it (or the list).
            if (!*alive || IndexOf(found) < 0) return;
        }
        if (!found->FCaption.empty()) {
            TCanvas* c = GetBackBuffer()->GetCanvas();
            c->SetFont(GetFont());
            if (c->TextWidth(found->FCaption) > found->FItemRect.Width()) ShowCaptionHint(found, X, Y);
        }
    }
    if (FShowCheckBox) {
        const bool inside = found->FCheckRect.Contains(pt);
        if (inside && FCheckHotItem != found) {
            FCheckHotItem = found;
            RepaintItem(found);
        } else if (!inside && FCheckHotItem == found) {
            FCheckHotItem = nullptr;
            RepaintItem(found);
        }
    }
}

void TQimListBox::ClearSelection() {
    for (auto& it : FItems) it->FSelected = false;
}

void TQimListBox::SelectPressed(TQimLBoxItem* Item, TShiftState Shift) {
    if (!FMultiSelect) {
        ClearSelection();
        Item->FSelected = true;
        return;
    }
    if (Shift.Contains(ssCtrl)) {
        Item->FSelected = true;
        return;
    }
    if (!Shift.Contains(ssShift)) {
        ClearSelection();
        Item->FSelected = true;
        FAnchorItem = Item;
        // A plain click starts afresh: a range completed before it must not turn the next
        // Shift-click into the start of another range instead of the end of this one.
        FEndItem = nullptr;
        return;
    }
    if (!FAnchorItem) {
        FAnchorItem = Item;
        Item->FSelected = true;
        return;
    }
    if (FEndItem) {
        // A completed range: this click starts the next one.
        ClearSelection();
        FAnchorItem = Item;
        Item->FSelected = true;
        FEndItem = nullptr;
        return;
    }
    FEndItem = Item;
    Item->FSelected = true;
    const int a = IndexOf(FAnchorItem), e = IndexOf(FEndItem);
    if (a < 0 || e < 0) return;
    for (int i = std::min(a, e); i <= std::max(a, e); ++i) FItems[i]->FSelected = true;
}

void TQimListBox::LeftButtonDown(TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    if (FMultiSelect) FBandStart = TPoint(X, Y);
    if (FCheckHotItem) {
        FCheckPressedItem = FCheckHotItem;
        RepaintItem(FCheckPressedItem);
    } else if (FHotItem) {
        FPressedItem = FHotItem;
        SelectPressed(FPressedItem, Shift);
        RequestPaint();
    } else {
        ClearSelection();
        FHotItem = nullptr;
        FCheckHotItem = nullptr;
        RequestPaint();
        FireEvent(OnItemClick, static_cast<TObject*>(this), static_cast<TQimLBoxItem*>(nullptr));
        if (!*alive) return;
    }
    if (!Focused()) SetFocus();
}

void TQimListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::MouseDown(Button, Shift, X, Y);
    if (!*alive) return;
    if (Button == mbLeft) {
        LeftButtonDown(Shift, X, Y);
    } else if (Button == mbRight && FSupportRightSelect) {
        // With one row selected at most, a right click selects and clicks like a left one; a
        // larger selection is kept for the context menu.
        if (SelectedCount() <= 1) LeftButtonDown(Shift, X, Y);
    }
}

void TQimListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::MouseUp(Button, Shift, X, Y);
    if (!*alive) return;
    if (FMultiSelect) {
        FBandStart = TPoint(-1, -1);
        FBandCurrent.X = -1;
        if (FBandCurrent.Y != -1) {
            // The drag was a rubber-band selection, not a click: the press must not linger as a
            // pressed row or check box, or the next release would act on it.
            FBandCurrent.Y = -1;
            FPressedItem = nullptr;
            FCheckPressedItem = nullptr;
            RequestPaint();
            FireEvent(OnItemClick, static_cast<TObject*>(this), static_cast<TQimLBoxItem*>(nullptr));
            return;
        }
    }
    if (!FCheckPressedItem) {
        if (!FPressedItem) return;
        if (FHotItem) {
            FPressedItem = FHotItem;
            RequestPaint();
            TQimLBoxItem* clicked = FPressedItem;
            FireEvent(OnItemClick, static_cast<TObject*>(this), clicked);
            if (!*alive) return;
            FPressedItem = nullptr;
        } else {
            FPressedItem = nullptr;
            RequestPaint();
        }
        return;
    }
    TQimLBoxItem* box = FCheckPressedItem;
    FCheckPressedItem = nullptr;
    if (box == FCheckHotItem) {
        box->FChecked = !box->FChecked;
        FireEvent(OnItemCheck, static_cast<TObject*>(this), box);
        if (!*alive) return;
        RequestPaint();
    }
}

void TQimListBox::DblClick() {
    std::shared_ptr<bool> alive = AliveToken();
    TQimUIParentControl::DblClick();
    if (!*alive) return;
    if (FHotItem) FireEvent(OnItemDbClick, static_cast<TObject*>(this), FHotItem);
}

bool TQimListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (Focused()) {
        // The bars do the scrolling: they step while they have the focus.
        if (VerBarVisible())
            FVerBar->SetFocus();
        else if (HorBarVisible())
            FHorBar->SetFocus();
    }
    return TQimUIParentControl::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TQimListBox::WndProc(TMessage& Message) {
    if (Message.Msg == CM_MOUSELEAVE) {
        std::shared_ptr<bool> alive = AliveToken();
        FHotItem = nullptr;
        FCheckHotItem = nullptr;
        RequestPaint();
        WithdrawCaptionHint();
        if (!*alive) return;
    }
    TQimUIParentControl::WndProc(Message);
}
