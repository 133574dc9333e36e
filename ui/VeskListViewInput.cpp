// Mouse, focus and wheel handling of the list view: hit tests, hot tracking, pressing and
// clicking, the Ctrl/Shift selection rules, check boxes, the rubber band, drag-and-drop
// reordering, caption hints, the popup menu and the Report header's clicks and resizing.
#include "VeskListView.h"

#include "fw_forms.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool RectUnset(const fw::TRect& R) { return R.Left == -1 && R.Top == -1 && R.Right == -1 && R.Bottom == -1; }

// GDI leaves the alpha byte of a 32-bit bitmap at 0 wherever it draws. The drag image is painted
// with its own alpha, so the copied rows must count as opaque before they are blended at half
// strength, or the image would come out as an invalid premultiplied picture added onto the view.
void MakeOpaque(fw::TBitmap* Bitmap) {
    if (!Bitmap || !Bitmap->Bits()) return;
    GdiFlush();
    uint8_t* row = Bitmap->ScanLine(0);
    const ptrdiff_t stride = Bitmap->RowStride();
    for (int y = 0; y < Bitmap->GetHeight(); ++y, row += stride)
        for (int x = 0; x < Bitmap->GetWidth(); ++x) row[x * 4 + 3] = 255;
}

// Pixels whose colour differs from Before (the same bitmap before text was drawn) become opaque.
void OpaqueWhereChanged(fw::TBitmap* Bitmap, const std::vector<uint32_t>& Before) {
    if (!Bitmap || !Bitmap->Bits()) return;
    GdiFlush();
    uint8_t* row = Bitmap->ScanLine(0);
    const ptrdiff_t stride = Bitmap->RowStride();
    const int w = Bitmap->GetWidth();
    for (int y = 0; y < Bitmap->GetHeight(); ++y, row += stride) {
        auto* px = reinterpret_cast<uint32_t*>(row);
        for (int x = 0; x < w; ++x)
            if ((px[x] & 0x00FFFFFFu) != (Before[static_cast<size_t>(y) * w + x] & 0x00FFFFFFu)) px[x] |= 0xFF000000u;
    }
}

std::vector<uint32_t> CopyPixels(fw::TBitmap* Bitmap) {
    std::vector<uint32_t> out;
    if (!Bitmap || !Bitmap->Bits()) return out;
    GdiFlush();
    const int w = Bitmap->GetWidth();
    out.resize(static_cast<size_t>(w) * Bitmap->GetHeight());
    uint8_t* row = Bitmap->ScanLine(0);
    const ptrdiff_t stride = Bitmap->RowStride();
    for (int y = 0; y < Bitmap->GetHeight(); ++y, row += stride)
        std::memcpy(&out[static_cast<size_t>(y) * w], row, static_cast<size_t>(w) * 4);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Hit tests and selection helpers

TVeskLvItem* TVeskListView::ItemAt(int X, int Y) const {
    const fw::TPoint p(X, Y);
    for (TVeskLvItem* item : FItems) {
        if (item->ItemRect.Top > GetHeight()) return nullptr;
        if (item->Visible && item->Enabled && !RectUnset(item->ItemRect) && item->ItemRect.Contains(p)) return item;
    }
    return nullptr;
}

void TVeskListView::DeselectAllExcept(TVeskLvItem* AItem) {
    std::vector<TVeskLvItem*> scan;
    if (AItem && AItem->Group) {
        for (TVeskGroupItem* g : FGroups) scan.insert(scan.end(), g->Items.begin(), g->Items.end());
    } else {
        scan = FItems;
    }
    std::shared_ptr<bool> alive = AliveToken();
    for (TVeskLvItem* item : scan) {
        // A handler may have freed items of the copy meanwhile: nothing of one may be read.
        if (item == AItem || !HasItem(item) || !item->Selected) continue;
        item->Selected = false;
        RedrawItem(item);
        TVeskLvItemEvent handler = OnItemSelectChange;
        if (handler) handler(this, item);
        if (!*alive) return;
    }
}

void TVeskListView::SelectItemWithEvent(TVeskLvItem* AItem) {
    if (AItem->Selected) return;
    AItem->SetSelected(true);
    TVeskLvItemEvent handler = OnItemSelectChange;
    if (handler) handler(this, AItem);
}

void TVeskListView::SelectRange() {
    const int a = IndexOf(FAnchorItem), b = IndexOf(FRangeEndItem);
    if (a < 0 || b < 0 || a == b) return;
    std::shared_ptr<bool> alive = AliveToken();
    const std::vector<TVeskLvItem*> items = FItems;
    for (TVeskLvItem* item : items) {
        // An item a handler freed is skipped before anything of it is read.
        if (IndexOf(item) < 0 || !item->Selected) continue;
        item->Selected = false;
        TVeskLvItemEvent handler = OnItemSelectChange;
        if (handler) handler(this, item);
        if (!*alive) return;
    }
    for (int i = std::min(a, b); i <= std::max(a, b) && i < static_cast<int>(items.size()); ++i) {
        TVeskLvItem* item = items[i];
        if (IndexOf(item) < 0) continue;
        item->Selected = true;
        TVeskLvItemEvent handler = OnItemSelectChange;
        if (handler) handler(this, item);
        if (!*alive) return;
    }
    RequestRepaint();
}

void TVeskListView::ClickSelect(TVeskLvItem* AItem, fw::TMouseButton Button, fw::TShiftState Shift) {
    if (Button != fw::mbLeft) return;
    std::shared_ptr<bool> alive = AliveToken();
    // Selection handlers may delete items, the clicked one too.
    auto gone = [&] { return !*alive || !HasItem(AItem); };
    const bool ctrl = Shift.Contains(fw::ssCtrl), shift = Shift.Contains(fw::ssShift);
    if (!FMultiSelect) {
        DeselectAllExcept(AItem);
        if (!gone()) SelectItemWithEvent(AItem);
        return;
    }
    if (ctrl) {
        AItem->SetSelected(true);
        return;
    }
    if (!shift) {
        DeselectAllExcept(AItem);
        if (gone()) return;
        SelectItemWithEvent(AItem);
        if (!gone()) FAnchorItem = AItem;
        return;
    }
    if (!FAnchorItem) FAnchorItem = FirstSelected();
    if (!FAnchorItem) {
        FAnchorItem = AItem;
        SelectItemWithEvent(AItem);
        return;
    }
    if (AItem == FAnchorItem) {
        DeselectAllExcept(nullptr);
        if (gone()) return;
        FAnchorItem = AItem;
        SelectItemWithEvent(AItem);
        if (*alive) FRangeEndItem = nullptr;
        return;
    }
    if (FRangeEndItem && IndexOf(FAnchorItem) > IndexOf(AItem))
        FAnchorItem = AItem;
    else
        FRangeEndItem = AItem;
    SelectItemWithEvent(AItem);
    if (*alive) SelectRange();
}

// ---------------------------------------------------------------------------------------------
// Hints

void TVeskListView::RestoreHint() {
    // Only a hint we put up is taken down: otherwise the saved values are stale and would
    // overwrite the hint the application set since.
    if (!FItemHintShown && !FGroupHintShown) return;
    FItemHintShown = false;
    FGroupHintShown = false;
    SetHint(FSavedHint);
    SetShowHint(FSavedShowHint);
    if (fw::Application) fw::Application->CancelHint();
}

void TVeskListView::ShowCaptionHint(TVeskLvItem* AItem, int X, int Y) {
    const fw::TPoint p(X, Y);
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    canvas->SetFont(GetFont());
    auto show = [&](const std::wstring& Text) {
        if (FItemHintShown) return;
        FSavedHint = GetHint();
        FSavedShowHint = GetShowHint();
        SetHint(Text);
        SetShowHint(true);
        FItemHintShown = true;
        if (fw::Application) fw::Application->ActivateHint(ClientToScreen(p));
    };
    if (FViewStyle != VvsReport) {
        if (AItem->ItemRect.Contains(p) && canvas->TextWidth(AItem->Caption) > AItem->ItemRect.Width())
            show(AItem->Caption);
        else if (!AItem->ItemRect.Contains(p) && FItemHintShown && GetHint() == AItem->Caption)
            RestoreHint();
        return;
    }
    bool inside = false;
    if (!RectUnset(AItem->TextRect) && AItem->TextRect.Contains(p)) {
        inside = true;
        if (canvas->TextWidth(AItem->Caption) > AItem->TextRect.Width()) show(AItem->Caption);
    }
    for (TVeskLvSubItem* sub : AItem->SubItems) {
        if (sub->Truncated && sub->SubRect.Contains(p)) {
            inside = true;
            show(sub->Caption);
        }
    }
    if (!inside && FItemHintShown) RestoreHint();
}

// ---------------------------------------------------------------------------------------------
// Report header

bool TVeskListView::HeaderMouseMove(fw::TShiftState Shift, int X, int Y) {
    if (FViewStyle != VvsReport || FColumns.empty()) return false;
    const fw::TPoint p(X, Y);
    bool changed = false, inColumn = false;
    for (TVeskLvHeadItem* col : FColumns) {
        if (!col->Visible || !col->Enabled) continue;
        if (col->HeadRect.Contains(p)) {
            inColumn = true;
            if (FHotColumn != col) FHotColumn = col, changed = true;
            TVeskLvHeadItem* check = col->CheckRect.Contains(p) ? col : nullptr;
            if (FCheckHotColumn != check) FCheckHotColumn = check, changed = true;
        } else if (FHotColumn == col) {
            FHotColumn = nullptr;
            FCheckHotColumn = nullptr;
            changed = true;
        }
        if (col->SplitRect.Contains(p)) {
            if (FSplitColumn != col) FSplitColumn = col, changed = true;
        } else if (FSplitColumn == col) {
            FSplitColumn = nullptr;
            changed = true;
        }
    }
    if (FSplitColumn) {
        if (GetCursor() != fw::crSizeWE) SetCursor(fw::crSizeWE);
    } else if (GetCursor() == fw::crSizeWE) {
        SetCursor(fw::crDefault);
    }
    if (changed) RequestRepaint();
    return inColumn;
}

bool TVeskListView::HeaderMouseDown(int X, int Y) {
    if (FViewStyle != VvsReport || FColumns.empty()) return false;
    if (FCheckHotColumn) {
        FCheckDownColumn = FCheckHotColumn;
    } else if (FHotColumn) {
        FDownColumn = FHotColumn;
    } else if (FSplitColumn) {
        FResizeColumn = FSplitColumn;
        FResizeStartX = X;
        FResizeStartWidth = FSplitColumn->Width;
    } else {
        return false;
    }
    RequestRepaint();
    return true;
}

bool TVeskListView::HeaderMouseUp(int X, int Y) {
    if (!FCheckDownColumn && !FDownColumn && !FResizeColumn) return false;
    const fw::TPoint p(X, Y);
    std::shared_ptr<bool> alive = AliveToken();
    if (FCheckDownColumn) {
        TVeskLvHeadItem* col = FCheckDownColumn;
        FCheckDownColumn = nullptr;
        if (col->CheckRect.Contains(p)) {
            col->Checked = !col->Checked;
            TVeskLvHeaderEvent handler = OnHeadCheckedEvent;
            if (handler) handler(this, col, static_cast<int>(std::find(FColumns.begin(), FColumns.end(), col) - FColumns.begin()));
            if (!*alive) return true;
        }
    } else if (FDownColumn) {
        TVeskLvHeadItem* col = FDownColumn;
        FDownColumn = nullptr;
        if (col->HeadRect.Contains(p)) {
            TVeskLvHeaderEvent handler = OnHeadClickEvent;
            const int index = static_cast<int>(std::find(FColumns.begin(), FColumns.end(), col) - FColumns.begin());
            if (handler) handler(this, col, index);
            if (!*alive) return true;
            if (index < ColumnCount() && col->Sortable) {
                if (col->SortState == 0) {
                    for (TVeskLvHeadItem* other : FColumns) other->SortState = 0;
                    col->SortState = 1;
                } else {
                    col->SortState = col->SortState == 1 ? 2 : 1;
                }
            }
        }
    } else {
        FResizeColumn = nullptr;
    }
    RequestRepaint();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drag and drop

void TVeskListView::BuildDragImage() {
    std::vector<TVeskLvItem*> selected;
    for (TVeskLvItem* item : FItems)
        if (item->Selected) selected.push_back(item);
    const int n = std::min<int>(static_cast<int>(selected.size()), 10);
    const int w = std::max(1, FViewStyle == VvsIcon ? FItemWidth : GetWidth() / 2);
    const int h = std::max(1, (std::max(n, 1) - 1) * (FItemheight / 3) + FItemheight);
    FDragImage = std::make_unique<fw::TBitmap>();
    FDragImage->SetPixelFormat(fw::pf32bit);
    FDragImage->SetSize(w, h);
    ClearBitmap32(FDragImage.get());
    fw::TBitmap piece;
    piece.SetPixelFormat(fw::pf32bit);
    piece.SetSize(w, h);
    for (int i = 0; i < n; ++i) {
        const fw::TRect& r = selected[i]->ItemRect;
        if (RectUnset(r) || r.IsEmpty()) continue;
        ClearBitmap32(&piece);
        StretchBlt(piece.GetCanvas()->GetHandle(), 0, 0, w, h, FBuffer->GetCanvas()->GetHandle(), r.Left, r.Top,
                   r.Width(), r.Height(), SRCCOPY);
        MakeOpaque(&piece);
        AlphaBlendBitmap(&piece, FDragImage.get(), fw::TRect(0, 0, w, h), 128);
    }
    if (selected.size() > 10) {
        fw::TCanvas* c = FDragImage->GetCanvas();
        c->SetFont(GetFont());
        c->GetFont()->SetColor(fw::clRed);
        c->GetFont()->SetSize(12);
        c->GetFont()->SetStyle(fw::TFontStyles(fw::fsBold));
        c->GetBrush()->SetStyle(fw::bsClear);
        const std::vector<uint32_t> before = CopyPixels(FDragImage.get());
        c->TextOut(2, 2, std::to_wstring(selected.size()));
        if (!before.empty()) OpaqueWhereChanged(FDragImage.get(), before);
    }
}

void TVeskListView::DragMove(int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    if (!FDragImage) {
        if (std::abs(X - FDragOrigin.X) < 6 && std::abs(Y - FDragOrigin.Y) < 6) return;
        BuildDragImage();
        if (GetCursor() == fw::crDefault) {
            SetCursor(SelectedCount() > 1 ? fw::crMultiDrag : fw::crDrag);
            if (fw::Screen) ::SetCursor(fw::Screen->GetCursors(GetCursor()));
        }
        fw::TNotifyEvent handler = OnDragBeging;
        if (handler) handler(this);
        if (!*alive || !FDragImage) return;
    }
    TVeskLvItem* target = ItemAt(X, Y);
    FDropTarget = target && target->Selected ? nullptr : target;
    if (X == FDragLast.X && Y == FDragLast.Y) return;
    FDragLast = fw::TPoint(X, Y);
    if (VerBarVisible()) {
        const int pos = FVerBar->GetPosition();
        bool scrolled = false;
        if (Y > GetHeight() - 5) {
            if (pos < FVerBar->GetMax() - FVerBar->GetPageSize() + 1) {
                FVerBar->SetPosition(pos + FVerBar->GetSmallChange());
                scrolled = true;
            }
        } else if (Y < 5) {
            if (pos > FVerBar->GetMin()) {
                FVerBar->SetPosition(pos - FVerBar->GetSmallChange());
                scrolled = true;
            }
        }
        if (scrolled) FTopOffset = -FVerBar->GetPosition();
    }
    RequestRepaint();
}

void TVeskListView::Drop() {
    FDragArmed = false;
    FDragImage.reset();
    FDragLast = fw::TPoint(-1, -1);
    FDragOrigin = fw::TPoint(-1, -1);
    if (FDropTarget) {
        std::vector<TVeskLvItem*> moving, rest;
        for (TVeskLvItem* item : FItems) (item->Selected ? moving : rest).push_back(item);
        auto at = std::find(rest.begin(), rest.end(), FDropTarget);
        for (TVeskLvItem* item : moving) item->Selected = false;
        rest.insert(at, moving.begin(), moving.end());
        FItems = std::move(rest);
        FDownItem = nullptr;
    }
    FDropTarget = nullptr;
    SetCursor(fw::crDefault);
    if (fw::Screen) ::SetCursor(fw::Screen->GetCursors(fw::crDefault));
    RequestRepaint();
}

// ---------------------------------------------------------------------------------------------
// Mouse entry points

bool TVeskListView::HasItem(const TVeskLvItem* AItem) const {
    if (!AItem) return false;
    if (IndexOf(AItem) >= 0) return true;
    for (TVeskGroupItem* g : FGroups)
        if (std::find(g->Items.begin(), g->Items.end(), AItem) != g->Items.end()) return true;
    return false;
}

bool TVeskListView::PopupShowing() const { return FPopupMenu && FPopupMenu->GetShown(); }

void TVeskListView::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (Button == fw::mbLeft && HeaderMouseDown(X, Y)) return;
    std::shared_ptr<bool> alive = AliveToken();
    if (GroupMouseDown(Shift, X, Y)) return;
    if (!*alive) return;
    // A drag is armed by this press or not at all.
    FDragArmed = false;
    if (FCanDrag && Button == fw::mbLeft && SelectedCount() > 0) {
        FDragOrigin = fw::TPoint(X, Y);
        if (TVeskLvItem* item = ItemAt(X, Y)) {
            const fw::TPoint p(X, Y);
            if (!FMultiSelect)
                FDragArmed = true;
            else if (FViewStyle == VvsIcon)
                FDragArmed = item->ImageRect.Contains(p);
            else
                FDragArmed = item->TextRect.Contains(p) || item->ImageRect.Contains(p);
        }
    }
    if (FMultiSelect) FBandStart = fw::TPoint(X, Y);
    if (Button == fw::mbRight && !FSupportRightSelect) return;
    if (FCheckHotItem) {
        FCheckDownItem = FCheckHotItem;
        RedrawItem(FCheckDownItem);
    } else if (FHotItem) {
        TVeskLvItem* former = FCurrentItem;
        TVeskLvItem* hot = FHotItem;
        FCurrentItem = hot;
        if (FSupportRightSelect) {
            if (!hot->Selected) {
                if (SelectedCount() > 0 && !Shift.Contains(fw::ssShift)) DeselectAllExcept(nullptr);
                if (!*alive) return;
                if (HasItem(hot)) hot->SetSelected(true);
            } else if (!FMultiSelect) {
                DeselectAllExcept(hot);
                if (!*alive) return;
            }
        }
        if (former && former != hot && HasItem(former)) RedrawItem(former);
        if (HasItem(hot)) {
            FDownItem = hot;
            RedrawItem(hot);
            TVeskLvItemMouseEvent handler = OnItemMouseDown;
            if (handler) handler(this, FBuffer->GetCanvas(), hot, Shift, X, Y);
            if (!*alive) return;
        }
    } else {
        DeselectAllExcept(nullptr);
        if (!*alive) return;
        FCurrentItem = FDownItem = FCheckHotItem = nullptr;
    }
    if (!Focused() && HandleAllocated()) ::SetFocus(GetHandle());
    fw::TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TVeskListView::MouseMove(fw::TShiftState Shift, int X, int Y) {
    std::shared_ptr<bool> alive = AliveToken();
    fw::TCustomControl::MouseMove(Shift, X, Y);
    if (!*alive) return;
    if (Shift.Contains(fw::ssLeft)) {
        if (FResizeColumn) {
            if (FResizeColumn->Resizable && X >= 10 && X <= GetWidth() - 20) {
                const int w = X + FResizeStartWidth - FResizeStartX;
                if (w >= 30) {
                    FResizeColumn->Width = w;
                    RequestRepaint();
                }
            }
            return;
        }
        if (FCanDrag && FDragArmed) {
            DragMove(X, Y);
            return;
        }
        if (FMultiSelect && FBandStart.Y != -1 && std::abs(Y - FBandStart.Y) > 10) {
            FBandEnd = fw::TPoint(X, Y);
            RequestRepaint();
            return;
        }
    } else if (HeaderMouseMove(Shift, X, Y)) {
        return;
    }
    const fw::TPoint p(X, Y);
    if (FFirstVisibleIndex == -1 || !GetClientRect().Contains(p)) return;
    if (FShowGroup && !FGroups.empty()) {
        GroupHover(Shift, X, Y);
        return;
    }
    if (FItems.empty()) return;
    ItemHover(FItems, FFirstVisibleIndex, std::min(FLastVisibleIndex, Count() - 1), Shift, X, Y);
}

bool TVeskListView::ItemHover(const std::vector<TVeskLvItem*>& List, int First, int Last, fw::TShiftState Shift, int X,
                              int Y) {
    const fw::TPoint p(X, Y);
    std::shared_ptr<bool> alive = AliveToken();
    TVeskLvItem* hit = nullptr;
    const std::vector<TVeskLvItem*> items = List;
    for (int i = std::max(First, 0); i <= Last && i < static_cast<int>(items.size()); ++i) {
        TVeskLvItem* item = items[i];
        if (item->ItemRect.Top > GetHeight()) break;
        if (!item->Visible || !item->Enabled) continue;
        if (!item->ItemRect.Contains(p)) {
            if (item == FHotItem) {
                FHotItem = nullptr;
                FCheckHotItem = nullptr;
                RedrawItem(item);
                RestoreHint();
            }
            continue;
        }
        hit = item;
        break;
    }
    if (!hit) return false;
    if (hit != FHotItem) {
        TVeskLvItem* former = FHotItem;
        FHotItem = hit;
        if (former) {
            if (FCheckHotItem == former) FCheckHotItem = nullptr;
            RedrawItem(former);
            RestoreHint();
        }
        RedrawItem(hit);
    }
    if (FShowCheckBox) {
        if (!RectUnset(hit->CheckRect) && hit->CheckRect.Contains(p)) {
            if (FCheckHotItem != hit) {
                FCheckHotItem = hit;
                RedrawItem(hit);
            }
        } else if (FCheckHotItem == hit) {
            FCheckHotItem = nullptr;
            RedrawItem(hit);
        }
    }
    TVeskLvItemMouseEvent handler = OnItemMouseMove;
    if (handler) handler(this, FBuffer->GetCanvas(), hit, Shift, X, Y);
    if (!*alive) return true;
    if (HasItem(hit)) ShowCaptionHint(hit, X, Y);
    return true;
}

void TVeskListView::GroupHover(fw::TShiftState Shift, int X, int Y) {
    const fw::TPoint p(X, Y);
    std::shared_ptr<bool> alive = AliveToken();
    TVeskGroupItem* hit = nullptr;
    const std::vector<TVeskGroupItem*> groups = FGroups;
    for (int i = std::max(FFirstVisibleIndex, 0); i <= FLastVisibleIndex && i < static_cast<int>(groups.size()); ++i) {
        TVeskGroupItem* g = groups[i];
        if (!g->Visible || !g->Enabled) continue;
        if (g->GroupRect.Contains(p)) {
            hit = g;
            break;
        }
        if (FHotGroup == g) {
            FHotGroup = nullptr;
            FCheckHotGroup = nullptr;
            FBtnHotGroup = nullptr;
            RestoreHint();
            RedrawGroup(g);
            if (!*alive) return;
        }
        if (!FHotGroup && g->Expanded && !g->Items.empty()) {
            if (ItemHover(g->Items, 0, g->ItemCount() - 1, Shift, X, Y)) return;
            if (!*alive) return;
        }
    }
    if (!hit) return;
    bool changed = false;
    TVeskGroupItem* former = nullptr;
    if (hit != FHotGroup) {
        if (FHotGroup) RestoreHint();
        former = FHotGroup;
        FHotGroup = hit;
        changed = true;
        if (!hit->Hint.empty() && !FGroupHintShown && !FItemHintShown) {
            FSavedHint = GetHint();
            FSavedShowHint = GetShowHint();
            SetHint(hit->Hint);
            SetShowHint(true);
            FGroupHintShown = true;
            if (fw::Application) fw::Application->ActivateHint(ClientToScreen(p));
        }
    }
    TVeskGroupItem* check = !RectUnset(hit->CheckRect) && hit->CheckRect.Contains(p) ? hit : nullptr;
    TVeskGroupItem* btn = !RectUnset(hit->ButtonRect) && hit->ButtonRect.Contains(p) ? hit : nullptr;
    if (check != FCheckHotGroup || btn != FBtnHotGroup) changed = true;
    FCheckHotGroup = check;
    FBtnHotGroup = btn;
    if (former) {
        RedrawGroup(former);
        if (!*alive) return;
    }
    if (changed) {
        RedrawGroup(hit);
        if (!*alive) return;
    }
    TVeskGroupItemMouseEvent handler = OnGroupItemMouseMove;
    if (handler) handler(this, hit, Shift, X, Y);
}

bool TVeskListView::GroupMouseDown(fw::TShiftState Shift, int X, int Y) {
    if (!FShowGroup || FGroups.empty()) return false;
    bool taken = false;
    if (FBtnHotGroup) {
        FBtnDownGroup = FBtnHotGroup;
        taken = true;
    } else if (FHotGroup) {
        FDownGroup = FHotGroup;
        taken = true;
        std::shared_ptr<bool> alive = AliveToken();
        TVeskGroupItemMouseEvent handler = OnGroupItemMouseDown;
        if (handler) handler(this, FDownGroup, Shift, X, Y);
        if (!*alive) return true;
    }
    if (FCheckHotGroup && FShowCheckBox) {
        FCheckDownGroup = FCheckHotGroup;
        taken = true;
    }
    if (taken) RequestRepaint();
    return taken;
}

bool TVeskListView::GroupMouseUp(fw::TShiftState Shift, int X, int Y) {
    if (!FBtnDownGroup && !FDownGroup && !FCheckDownGroup) return false;
    std::shared_ptr<bool> alive = AliveToken();
    if (TVeskGroupItem* g = FBtnDownGroup) {
        FBtnDownGroup = nullptr;
        if (g == FBtnHotGroup) {
            RestoreHint();
            g->SetExpanded(!g->Expanded);
        }
    }
    if (TVeskGroupItem* g = FDownGroup) {
        FDownGroup = nullptr;
        TVeskGroupItemMouseEvent up = OnGroupItemMouseUp;
        if (up) up(this, g, Shift, X, Y);
        if (!*alive) return true;
        if (g == FHotGroup) {
            TVeskGroupItemEvent click = OnGroupItemClick;
            if (click) click(this, g);
            if (!*alive) return true;
        }
    }
    if (TVeskGroupItem* g = FCheckDownGroup) {
        FCheckDownGroup = nullptr;
        if (g == FCheckHotGroup && std::find(FGroups.begin(), FGroups.end(), g) != FGroups.end()) {
            g->Checked = g->Checked == 1 ? 0 : 1;
            for (TVeskLvItem* item : g->Items) item->Checked = g->Checked;
            TVeskGroupItemEvent check = OnGroupItemCheck;
            if (check) check(this, g);
            if (!*alive) return true;
        }
    }
    RequestRepaint();
    return true;
}

void TVeskListView::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (HeaderMouseUp(X, Y)) return;
    std::shared_ptr<bool> alive = AliveToken();
    if (GroupMouseUp(Shift, X, Y)) return;
    if (!*alive) return;
    if (FCanDrag && FDragArmed && FDragImage) {
        Drop();
        return;
    }
    // A release that did not drag ends the arming: a later press must arm a drag anew.
    FDragArmed = false;
    if (FDragImage) {
        // The drag was switched off while it ran: nothing moves, but the image and the drag
        // cursor must not stay on the view.
        FDropTarget = nullptr;
        Drop();
        return;
    }
    if (FMultiSelect) {
        FBandStart.X = FBandEnd.X = FBandStart.Y = -1;
        if (FBandEnd.Y != -1) {
            FBandEnd.Y = -1;
            // The press ends with the band too: the row must not keep its pressed look, nor a
            // later release (a right click) report it as released or clicked.
            FDownItem = nullptr;
            FCheckDownItem = nullptr;
            RequestRepaint();
            return;
        }
    }
    if (FCheckDownItem) {
        TVeskLvItem* item = FCheckDownItem;
        // The press ends with any release, so a check box pressed and left does not swallow the
        // next click on an item.
        FCheckDownItem = nullptr;
        if (item == FCheckHotItem) {
            item->Checked = item->Checked == 1 ? 0 : 1;
            TVeskLvItemEvent handler = OnItemCheck;
            if (handler) handler(this, item);
            if (!*alive) return;
        }
        if (HasItem(item)) RedrawItem(item);
    } else if (FDownItem) {
        TVeskLvItem* down = FDownItem;
        TVeskLvItemMouseEvent up = OnItemMouseUP;
        if (up) up(this, FBuffer->GetCanvas(), down, Shift, X, Y);
        if (!*alive) return;
        if (HasItem(down) && FHotItem == down) {
            ClickSelect(down, Button, Shift);
            if (!*alive) return;
            if (HasItem(down)) {
                TVeskLvItemEvent click = OnItemClick;
                if (click) click(this, down);
                if (!*alive) return;
            }
        }
        if (FDownItem == down) FDownItem = nullptr;
        if (HasItem(down)) RedrawItem(down);
    }
    if (FPopupMenu && Button == fw::mbRight) {
        const fw::TPoint sp = ClientToScreen(fw::TPoint(X, Y));
        FPopupMenu->Popup(sp.X, sp.Y);
        if (!*alive) return;
    }
    fw::TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TVeskListView::DblClick() {
    std::shared_ptr<bool> alive = AliveToken();
    fw::TCustomControl::DblClick();
    if (!*alive) return;
    if (FHotItem && !FHotColumn) {
        TVeskLvItemEvent handler = OnItemDbClick;
        if (handler) handler(this, FHotItem);
    }
}

void TVeskListView::DoMouseEnter() {
    if (CanFocus()) SetFocus();
}

void TVeskListView::DoMouseLeave() {
    if (FGroupHintShown) RestoreHint();
    if (FHotItem || FHotColumn || FHotGroup) {
        FHotItem = nullptr;
        FCheckHotItem = nullptr;
        FHotGroup = nullptr;
        FCheckHotGroup = nullptr;
        FBtnHotGroup = nullptr;
        RequestRepaint();
    }
}

void TVeskListView::DoKillFocus() {
    if (GetTabStop() && FCurrentItem && !PopupShowing()) {
        FCurrentItem = nullptr;
        FHotItem = nullptr;
        RequestRepaint();
    }
}

bool TVeskListView::DoWheel(fw::TMessage& Message) {
    if (!VerBarVisible() || !Focused()) return false;
    const int delta = static_cast<short>(HIWORD(Message.WParam));
    const int pos = FVerBar->GetPosition(), small = FVerBar->GetSmallChange();
    const int mx = FVerBar->GetMax(), page = FVerBar->GetPageSize();
    int v;
    if (delta >= 0)
        v = pos <= small ? 0 : pos - small;
    else
        v = mx - page <= pos + small ? mx - page + 1 : pos + small;
    v = std::clamp(v, FVerBar->GetMin(), mx);
    if (v != pos) {
        FVerBar->SetPosition(v);
        FVerBar->DoScroll(v);
    }
    return true;
}

void TVeskListView::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
        case fw::CM_MOUSEENTER: {
            std::shared_ptr<bool> alive = AliveToken();
            DoMouseEnter();
            if (!*alive) return;
            fw::TCustomControl::WndProc(Message);
            return;
        }
        case fw::CM_MOUSELEAVE:
            if (FGroupHintShown) RestoreHint();
            // While our popup menu is up the mouse is over the menu: keep the hot item.
            if (PopupShowing()) return;
            DoMouseLeave();
            fw::TCustomControl::WndProc(Message);
            return;
        case WM_KILLFOCUS: {
            std::shared_ptr<bool> alive = AliveToken();
            fw::TCustomControl::WndProc(Message);
            if (*alive) DoKillFocus();
            return;
        }
        case fw::CM_MOUSEWHEEL: {
            std::shared_ptr<bool> alive = AliveToken();
            DoWheel(Message);
            if (!*alive) return;
            Message.Result = 1;
            fw::TMouseWheelEvent handler = OnMouseWheel;
            if (handler) {
                bool handled = false;
                handler(this, fw::KeysToShiftState(LOWORD(Message.WParam)), static_cast<short>(HIWORD(Message.WParam)),
                        fw::TPoint(Message.XPos(), Message.YPos()), handled);
            }
            return;
        }
        default:
            fw::TCustomControl::WndProc(Message);
    }
}
