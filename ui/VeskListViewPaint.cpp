// Layout and painting of the list view: skin frames, the Icon, List and Report geometry, the
// column header, the off-screen buffer, partial redraws and the two skinned scroll bars.
#include "VeskListView.h"

#include "VeskParentBackground.h"

#include <algorithm>

namespace {

bool RectUnset(const fw::TRect& R) { return R.Left == -1 && R.Top == -1 && R.Right == -1 && R.Bottom == -1; }

void DrawFrame(fw::TCanvas* Canvas, fw::TPngImage* Frame, const fw::TRect& Rect) {
    if (Frame && !Frame->GetEmpty() && Rect.Width() > 0 && Rect.Height() > 0) Frame->Draw(Canvas, Rect);
}

void DrawFrameAt(fw::TCanvas* Canvas, fw::TPngImage* Frame, int X, int Y) {
    if (Frame && !Frame->GetEmpty())
        Frame->Draw(Canvas, fw::TRect(X, Y, X + Frame->GetWidth(), Y + Frame->GetHeight()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Skin frames

void TVeskListView::CutItemFrames() {
    for (auto& f : FItemFrames) f.reset();
    if (FImgitem->GetEmpty()) return;
    fw::TPngImage* strip = FImgitem.get();
    const int n = FItemStateCount;
    // Slots: 0 normal, 1 over, 2 down, 3 disabled.
    switch (n) {
        case 1:
            FItemFrames[1] = GetStatePng(strip, 1, 0);
            break;
        case 2:
            FItemFrames[1] = GetStatePng(strip, 2, 0);
            FItemFrames[2] = GetStatePng(strip, 2, 1);
            break;
        case 3:
            for (int i = 0; i < 3; ++i) FItemFrames[i] = GetStatePng(strip, 3, i);
            break;
        case 4:
            for (int i = 0; i < 4; ++i) FItemFrames[i] = GetStatePng(strip, 4, i);
            break;
        default:
            return;
    }
    int w = GetWidth() - 4;
    if (VerBarVisible()) w -= FVerBar->GetWidth();
    const int a = FItemSplit->GetLeft(), b = FItemSplit->GetRight();
    if (a < b && w > 0) {
        for (auto& f : FItemFrames)
            if (f) f = StretchPngHorz(f.get(), a, b, 255, fw::clNone, w);
    }
    if (FItemFrames[1] && !FItemFrames[1]->GetEmpty()) FItemheight = FItemFrames[1]->GetHeight();
}

void TVeskListView::CutHeaderFrames() {
    for (auto& f : FHeaderFrames) f.reset();
    for (auto& f : FSplitFrames) f.reset();
    if (!FImgHeader->GetEmpty() && FHeaderStateCount >= 1)
        for (int i = 0; i < std::min(4, FHeaderStateCount); ++i) FHeaderFrames[i] = GetStatePng(FImgHeader.get(), FHeaderStateCount, i);
    if (!FImgHeaderSplit->GetEmpty() && FHeaderSplitStateCount >= 1)
        for (int i = 0; i < std::min(4, FHeaderSplitStateCount); ++i)
            FSplitFrames[i] = GetStatePng(FImgHeaderSplit.get(), FHeaderSplitStateCount, i);
}

void TVeskListView::CutOtherFrames() {
    for (auto& f : FCheckFrames) f.reset();
    if (!FImgCheck->GetEmpty()) {
        if (FCheckStateCount == 4) {
            // Slots: 0 unchecked, 1 checked, 2 mixed, 3..5 the hot variants.
            FCheckFrames[0] = GetStatePng(FImgCheck.get(), 4, 0);
            FCheckFrames[1] = GetStatePng(FImgCheck.get(), 4, 1);
            FCheckFrames[3] = GetStatePng(FImgCheck.get(), 4, 2);
            FCheckFrames[4] = GetStatePng(FImgCheck.get(), 4, 3);
        } else if (FCheckStateCount == 6) {
            for (int i = 0; i < 6; ++i) FCheckFrames[i] = GetStatePng(FImgCheck.get(), 6, i);
        }
    }
    CutHeaderFrames();
    for (auto& f : FArrowFrames) f.reset();
    if (!FImgHeaderArrow->GetEmpty())
        for (int i = 0; i < 2; ++i) FArrowFrames[i] = GetStatePng(FImgHeaderArrow.get(), 2, i);
    for (auto& f : FGroupBtnFrames) f.reset();
    if (!FImgGroupBtn->GetEmpty())
        for (int i = 0; i < 6; ++i) FGroupBtnFrames[i] = GetStatePng(FImgGroupBtn.get(), 6, i);
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TVeskListView::BorderInset() const { return FBorderColor != fw::clNone ? 1 : 0; }
bool TVeskListView::VerBarVisible() const { return FVerBar && FVerBar->GetVisible(); }
bool TVeskListView::HorBarVisible() const { return FHorBar && FHorBar->GetVisible(); }

int TVeskListView::VerSkinWidth() const {
    if (!VerBarVisible() || !FVerScrollRes) return 0;
    fw::TPngImage* back = FVerScrollRes->GetImgBack();
    const int n = FVerScrollRes->GetBackStateCount();
    if (!back || back->GetEmpty() || n == 0) return 0;
    return back->GetWidth() / n;
}

void TVeskListView::ComputeHeaderRect() {
    const int b = BorderInset();
    if (FViewStyle == VvsReport)
        FHeaderRect = fw::TRect(b, b, GetWidth() - b, b + FHeaderHeight);
    else
        FHeaderRect = fw::TRect(0, 0, 0, 0);
}

void TVeskListView::ComputeViewHeight() {
    FViewHeight = GetHeight() - BorderInset();
    if (FViewStyle == VvsReport) {
        FViewHeight -= FHeaderRect.Bottom;
        if (HorBarVisible()) FViewHeight -= FHorBar->GetHeight();
    }
}

int TVeskListView::MeasureItem(TVeskLvItem* AItem, int Index) {
    int h = FItemheight;
    TVeskLvMeasureItemEvent handler = OnMeasureItem;
    if (handler) handler(AItem, Index, h);
    return h;
}

void TVeskListView::ComputeContentHeight() {
    const int horBar = HorBarVisible() ? FHorBar->GetHeight() : 0;
    if (FShowGroup && !FGroups.empty()) {
        int total = 0;
        const int s = VerSkinWidth();
        for (int gi = 0; gi < GroupCount(); ++gi) {
            TVeskGroupItem* g = FGroups[gi];
            if (!g->Visible) continue;
            int gh = FGroupItemHeight;
            TVeskLvMeasureGroupItemEvent handler = OnMeasureGroupItem;
            if (handler) handler(g, gi, gh);
            total += gh + FMarginGroupItem;
            if (!g->Expanded || g->Items.empty()) continue;
            if (FViewStyle == VvsIcon) {
                const int a = GetWidth() - FDrawLeft - FMarginItem - s;
                const int cols = a / std::max(1, FItemWidth + FMarginItem);
                if (cols <= 0) continue;
                const int rows = (g->ItemCount() + cols - 1) / cols;
                total += (FItemheight + FMarginItemY) * rows + 2 * FMarginItemY;
            } else {
                // Every visible item counts, laid out or not: rows of a group below the view have
                // no rectangle yet, and the scroll range must still reach them. Group rows are
                // all Itemheight high.
                for (TVeskLvItem* item : g->Items)
                    if (item->Visible) total += FItemheight + FMarginItemY;
            }
        }
        FContentHeight = total + horBar;
        return;
    }
    if (FViewStyle == VvsIcon) {
        const int a = GetWidth() - FMarginItemMin - FDrawLeft - VerSkinWidth();
        const int cols = a / std::max(1, FItemWidth + FMarginItemMin);
        if (cols <= 0) {
            FContentHeight = 0;
            return;
        }
        int visible = 0;
        for (TVeskLvItem* item : FItems)
            if (item->Visible) ++visible;
        const int rows = visible / cols + (visible % cols ? 1 : 0);
        FContentHeight = (FItemheight + FMarginItemY) * rows + FMarginItemY + FDrawTop;
        return;
    }
    if (FItems.empty()) {
        FContentHeight = 0;
        return;
    }
    int total = FDrawTop;
    for (int i = 0; i < Count(); ++i) {
        TVeskLvItem* item = FItems[i];
        if (!item->Visible) continue;
        total += MeasureItem(item, i) + FMarginItemY;
    }
    FContentHeight = total + horBar;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TVeskListView::PaintBackground(const fw::TRect& Rect) {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    HDC dc = canvas->GetHandle();
    fw::TSavedDC saved(dc);
    IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    const fw::TRect all(0, 0, FBuffer->GetWidth(), FBuffer->GetHeight());
    if (FTransparent) {
        PaintParentBackground(this, canvas);
    } else if (!FImgBack->GetEmpty()) {
        FImgBack->Draw(canvas, all);
    } else {
        canvas->GetBrush()->SetStyle(fw::bsSolid);
        canvas->GetBrush()->SetColor(GetColor());
        canvas->FillRect(Rect);
    }
}

void TVeskListView::Paint() {
    if (FInCaptionEvent) return;
    const int w = std::max(GetWidth(), 0), h = std::max(GetHeight(), 0);
    if (FBuffer->GetWidth() != w || FBuffer->GetHeight() != h) FBuffer->SetSize(w, h);
    if (w == 0 || h == 0) return;
    std::shared_ptr<bool> alive = AliveToken();
    const fw::TRect all(0, 0, w, h);
    PaintBackground(all);
    TVeskLvDrawBackEvent back = OnDrawBackGround;
    if (back) back(FBuffer.get(), all);
    if (!*alive) return;
    if (FShowGroup && !FGroups.empty()) {
        LayoutColumns();
        DrawGroups();
        DrawHeader();
    } else if (FViewStyle == VvsList || FViewStyle == VvsReport) {
        LayoutColumns();
        DrawRows();
        DrawHeader();
    } else {
        DrawIcons();
    }
    if (!*alive) return;
    if (FMultiSelect) DrawRubberBand();
    fw::TCanvas* bc = FBuffer->GetCanvas();
    if (FDragImage && FDragLast.X != -1) {
        BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(bc->GetHandle(), FDragLast.X, FDragLast.Y, FDragImage->GetWidth(), FDragImage->GetHeight(),
                   FDragImage->GetCanvas()->GetHandle(), 0, 0, FDragImage->GetWidth(), FDragImage->GetHeight(), bf);
    }
    BitBlt(GetCanvas()->GetHandle(), 0, 0, w, h, bc->GetHandle(), 0, 0, SRCCOPY);
    UpdateVerScrollBar();
    if (!*alive) return;
    if (FViewStyle == VvsList || FViewStyle == VvsReport) UpdateHorScrollBar();
}

void TVeskListView::FireGetCaption(TVeskLvItem* AItem) {
    TVeskLvItemEvent handler = OnGetCaption;
    if (!handler) return;
    FInCaptionEvent = true;
    try {
        handler(this, AItem);
    } catch (...) {
        FInCaptionEvent = false;
        throw;
    }
    FInCaptionEvent = false;
}

void TVeskListView::DrawRows() {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    canvas->SetFont(GetFont());
    canvas->GetBrush()->SetStyle(fw::bsClear);
    int dl = 2, dt = 0;
    TVeskOffSetDrawEvent offset = OnItemsDrawOffSet;
    if (offset) offset(this, dl, dt);
    FDrawLeft = dl;
    FDrawTop = dt;
    int y = FTopOffset + dt + FHeaderRect.Bottom;
    FFirstVisibleIndex = -1;
    FLastVisibleIndex = Count() - 1;
    const int h = GetHeight();
    const int right = VerBarVisible() ? GetWidth() - FVerBar->GetWidth() - dl : GetWidth() - dl;
    bool lastSet = false;
    for (int i = 0; i < Count(); ++i) {
        TVeskLvItem* item = FItems[i];
        if (!item->Visible) {
            item->ItemRect = fw::TRect(-1, -1, -1, -1);
            continue;
        }
        if (y <= h) {
            const int ih = MeasureItem(item, i);
            item->ItemRect = fw::TRect(FLeftOffset + dl, y, right, y + ih);
            y = item->ItemRect.Bottom + FMarginItem;
            if (item->ItemRect.Bottom > 0 && item->ItemRect.Top < h) {
                if (FFirstVisibleIndex == -1) FFirstVisibleIndex = i;
                DrawRowItem(i, item);
            }
        } else {
            if (!lastSet) {
                FLastVisibleIndex = i;
                lastSet = true;
            }
            if (!OnMeasureItem) {
                // The rows not laid out keep no rectangle from an earlier pass: after a scroll
                // back up it would still lie inside the view and answer hit tests.
                for (int j = i; j < Count(); ++j) FItems[j]->ItemRect = fw::TRect(-1, -1, -1, -1);
                break;
            }
            item->ItemRect = fw::TRect(-1, -1, -1, -1);
        }
    }
}

void TVeskListView::DrawRowItem(int Index, TVeskLvItem* AItem) {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    std::shared_ptr<bool> alive = AliveToken();
    TVeskLvDrawItemEvent before = OnBeforeItemDraw;
    if (before) before(canvas, Index, AItem);
    bool defaultDraw = true;
    TVeskLvOwnerDrawItemEvent owner = OnItemOwnerDraw;
    if (owner) owner(canvas, Index, AItem, defaultDraw);
    if (!*alive) return;
    if (defaultDraw) {
        const fw::TRect& ir = AItem->ItemRect;
        const int h = ir.Height();
        int x = ir.Left;
        fw::TPngImage* frame;
        if (!AItem->Enabled && FItemFrames[3])
            frame = FItemFrames[3].get();
        else if ((AItem == FDownItem && FHotTrack) || AItem->Selected)
            frame = FItemFrames[2].get();
        else if (AItem == FHotItem && FHotTrack)
            frame = FItemFrames[1].get();
        else
            frame = FItemFrames[0].get();
        DrawFrame(canvas, frame, ir);
        if (FShowCheckBox) {
            bool show = true;
            TVeskShowCheckBoxEvent sc = OnShowCheckbox;
            if (sc) sc(this, AItem, show);
            if (show && FCheckFrames[0]) {
                const int fw_ = FCheckFrames[0]->GetWidth(), fh = FCheckFrames[0]->GetHeight();
                const int cl = x + FMarginCheckBox, ct = ir.Top + (h - fh) / 2;
                AItem->CheckRect = fw::TRect(cl, ct, cl + fw_, ct + fh);
                const int state = std::min<int>(AItem->Checked, 2) + (AItem == FCheckHotItem ? 3 : 0);
                DrawFrame(canvas, FCheckFrames[state].get(), AItem->CheckRect);
                x = AItem->CheckRect.Right;
            }
        }
        if (TVeskStdImageList* list = RowImageList()) {
            if (AItem->ImageIndex != -1 && AItem->ImageIndex <= list->Count() - 1) {
                const int il = x + FMarginImageList, it = ir.Top + (h - list->GetImgHeight()) / 2;
                AItem->ImageRect = fw::TRect(il, it, il + list->GetImgWidth(), it + list->GetImgHeight());
                list->Draw(canvas, il, it, AItem->ImageIndex, true);
            }
            x += list->GetImgWidth();
        }
        FireGetCaption(AItem);
        if (!*alive) return;
        if (!AItem->Caption.empty()) {
            canvas->SetFont(GetFont());
            const int th = canvas->TextHeight(AItem->Caption);
            int r = ir.Right - 2;
            if (FViewStyle == VvsReport && !FColumns.empty() && FColumns[0]->Visible && !RectUnset(FColumns[0]->HeadRect))
                r = FColumns[0]->HeadRect.Right;
            const int tt = ir.Top + (h - th) / 2;
            AItem->TextRect = fw::TRect(x + FMarginText, tt, r, tt + th + 4);
            fw::TColor color;
            if (!AItem->Enabled)
                color = FFontColorDisable;
            else if (AItem == FDownItem)
                color = FFontColorDown;
            else if (AItem == FHotItem)
                color = FFontColorOver;
            else
                color = FFontColorNormal;
            canvas->GetFont()->SetColor(color);
            canvas->GetBrush()->SetStyle(fw::bsClear);
            fw::TRect tr = AItem->TextRect;
            canvas->DrawText(AItem->Caption, tr, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        if (FViewStyle == VvsReport && ColumnCount() >= 2) DrawSubItems(AItem);
        if (!*alive) return;
    }
    TVeskLvDrawItemEvent after = OnAfterItemDraw;
    if (after) after(canvas, Index, AItem);
}

void TVeskListView::DrawSubItems(TVeskLvItem* AItem) {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    const fw::TRect& ir = AItem->ItemRect;
    for (int j = 0; j < AItem->SubItemCount() && j <= ColumnCount() - 2; ++j) {
        TVeskLvHeadItem* col = FColumns[j + 1];
        if (!col->Visible || RectUnset(col->HeadRect)) continue;
        if (col->HeadRect.Left >= ir.Right) break;
        TVeskLvSubItem* sub = AItem->SubItems[j];
        sub->SubRect = fw::TRect(col->HeadRect.Left, ir.Top, std::min<LONG>(col->HeadRect.Right, ir.Right), ir.Bottom);
        if (!sub->Caption.empty()) {
            int x = col->HeadRect.Left;
            if (FImagelist && sub->ImageIndex >= 0 && sub->ImageIndex < FImagelist->Count()) {
                FImagelist->Draw(canvas, x, ir.Top + (ir.Height() - FImagelist->GetImgHeight()) / 2, sub->ImageIndex, true);
                x += FImagelist->GetImgWidth();
            }
            canvas->SetFont(GetFont());
            canvas->GetFont()->SetColor(AItem->Enabled ? FFontColorNormal : FFontColorDisable);
            const int th = canvas->TextHeight(sub->Caption);
            const int tt = ir.Top + (ir.Height() - th) / 2;
            fw::TRect tr(x + FMarginText, tt, col->HeadRect.Right, tt + th);
            sub->Truncated = tr.Width() < canvas->TextWidth(sub->Caption);
            canvas->GetBrush()->SetStyle(fw::bsClear);
            canvas->DrawText(sub->Caption, tr, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        TVeskLvDrawSubItemEvent handler = OnSubItemDraw;
        if (handler) handler(canvas, AItem, j);
    }
}

void TVeskListView::DrawIcons() {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    canvas->SetFont(GetFont());
    canvas->GetBrush()->SetStyle(fw::bsClear);
    int dl = 0, dt = 0;
    TVeskOffSetDrawEvent offset = OnItemsDrawOffSet;
    if (offset) offset(this, dl, dt);
    FDrawLeft = dl;
    FDrawTop = dt;
    int y = FTopOffset + FMarginItemY + dt;
    const int s = VerSkinWidth();
    const int a = GetWidth() - dl - FMarginItemMin - s;
    FFirstVisibleIndex = -1;
    FLastVisibleIndex = Count() - 1;
    if (a < FItemWidth) {
        // Nothing is shown, so nothing may be hit at the places of an earlier pass.
        for (TVeskLvItem* item : FItems) item->ItemRect = fw::TRect(-1, -1, -1, -1);
        return;
    }
    // A negative minimum margin may cancel the cell width: one pixel per cell at least, as the
    // content height counts them.
    const int cell = std::max(1, FItemWidth + FMarginItemMin);
    const int cols = a / cell;
    const int gap = (a - cols * cell) / (cols + 1) + FMarginItemMin;
    FMarginItem = gap;
    int x = gap + dl;
    ComputeContentHeight();
    const int clientRight = GetClientRect().Right;
    for (int i = 0; i < Count(); ++i) {
        TVeskLvItem* item = FItems[i];
        if (!item->Visible) {
            item->ItemRect = fw::TRect(-1, -1, -1, -1);
            continue;
        }
        item->ItemRect = fw::TRect(x, y, x + FItemWidth, y + FItemheight);
        if (item->ItemRect.Top > GetHeight()) {
            FLastVisibleIndex = i;
            for (int j = i; j < Count(); ++j) FItems[j]->ItemRect = fw::TRect(-1, -1, -1, -1);
            break;
        }
        if (clientRight - gap - s < item->ItemRect.Right) {
            x = gap + dl;
            y += FItemheight + FMarginItemY;
            item->ItemRect = fw::TRect(x, y, x + FItemWidth, y + FItemheight);
        }
        x += FItemWidth + gap;
        if (item->ItemRect.Bottom > 0) {
            if (FFirstVisibleIndex == -1) FFirstVisibleIndex = i;
            DrawIconItem(i, item);
        }
    }
}

void TVeskListView::DrawIconItem(int Index, TVeskLvItem* AItem) {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    std::shared_ptr<bool> alive = AliveToken();
    TVeskLvDrawItemEvent before = OnBeforeItemDraw;
    if (before) before(canvas, Index, AItem);
    const fw::TRect& ir = AItem->ItemRect;
    if (FDragArmed && AItem == FDropTarget) {
        canvas->GetBrush()->SetStyle(fw::bsSolid);
        canvas->GetBrush()->SetColor(FDragColor);
        canvas->FillRect(ir);
    }
    bool defaultDraw = true;
    TVeskLvOwnerDrawItemEvent owner = OnItemOwnerDraw;
    if (owner) owner(canvas, Index, AItem, defaultDraw);
    if (!*alive) return;
    if (defaultDraw) {
        fw::TPngImage* frame;
        if (!AItem->Enabled && FItemFrames[3])
            frame = FItemFrames[3].get();
        else if (AItem == FDownItem && FHotTrack)
            frame = FItemFrames[2].get();
        else if ((AItem == FHotItem && FHotTrack) || AItem->Selected)
            frame = FItemFrames[1].get();
        else
            frame = FItemFrames[0].get();
        DrawFrame(canvas, frame, ir);
        int imageOffset = 0;
        int imageBottom = ir.Top + FMarginImageList;
        if (FImagelist && AItem->ImageIndex >= 0 && AItem->ImageIndex < FImagelist->Count()) {
            const int iw = FImagelist->GetImgWidth(), ih = FImagelist->GetImgHeight();
            const int il = ir.Left + (ir.Width() - iw) / 2, it = ir.Top + FMarginImageList;
            AItem->ImageRect = fw::TRect(il, it, il + iw, it + ih);
            FImagelist->Draw(canvas, il, it, AItem->ImageIndex, true);
            imageOffset = ih + FMarginImageList;
            imageBottom = it + ih;
        }
        if (FShowCheckBox) {
            bool show = true;
            TVeskShowCheckBoxEvent sc = OnShowCheckbox;
            if (sc) sc(this, AItem, show);
            if (show && FCheckFrames[0]) {
                const int cw = FCheckFrames[0]->GetWidth(), ch = FCheckFrames[0]->GetHeight();
                const int cl = ir.Left + FMarginCheckBox;
                // The box sits on the image's bottom line; without an image that line would put
                // it above the cell, out of reach of the hover test, so it starts at the image's top.
                const int cb = imageOffset > 0 ? imageBottom : ir.Top + FMarginImageList + ch;
                AItem->CheckRect = fw::TRect(cl, cb - ch, cl + cw, cb);
                const int state = std::min<int>(AItem->Checked, 2) + (AItem == FCheckHotItem ? 3 : 0);
                DrawFrame(canvas, FCheckFrames[state].get(), AItem->CheckRect);
            }
        }
        FireGetCaption(AItem);
        if (!*alive) return;
        canvas->SetFont(GetFont());
        if (!AItem->Caption.empty()) {
            const int th = canvas->TextHeight(AItem->Caption);
            const int top = ir.Top + imageOffset + FMarginText;
            fw::TRect tr(ir.Left + 2 * FMarginText, top, ir.Right - 2 * FMarginText, top + th + 4);
            UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX;
            if (canvas->TextWidth(AItem->Caption) > tr.Width() && ir.Bottom - top > 2 * th + 4) {
                tr.Bottom = top + 2 * th;
                flags |= DT_WORDBREAK;
            }
            flags |= AItem->Alignment == 2 ? DT_CENTER : AItem->Alignment == 1 ? DT_RIGHT : DT_LEFT;
            AItem->TextRect = tr;
            fw::TColor color;
            if (!AItem->Enabled)
                color = FFontColorDisable;
            else if (AItem == FDownItem)
                color = FFontColorDown;
            else if (AItem == FHotItem || AItem->Selected)
                color = FFontColorOver;
            else
                color = FFontColorNormal;
            canvas->GetFont()->SetColor(color);
            canvas->GetBrush()->SetStyle(fw::bsClear);
            canvas->DrawText(AItem->Caption, tr, flags);
        } else {
            const int ih = FImagelist ? FImagelist->GetImgHeight() : 0;
            const int top = ir.Top + ih + FMarginImageList + FMarginText;
            AItem->TextRect = fw::TRect(ir.Left + 2, top, ir.Right - 2, top + canvas->TextHeight(L"WWW") + 4);
        }
    }
    TVeskLvDrawItemEvent after = OnAfterItemDraw;
    if (after) after(canvas, Index, AItem);
}

void TVeskListView::DrawGroups() {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    std::shared_ptr<bool> alive = AliveToken();
    int dl = 0, dt = 0;
    TVeskOffSetDrawEvent offset = OnGroupItemsDrawOffSet;
    if (offset) offset(this, dl, dt);
    if (!*alive) return;
    FDrawLeft = dl;
    FDrawTop = dt;
    const bool header = FViewStyle == VvsReport && !FColumns.empty();
    int y = FTopOffset + dt + (header ? FHeaderRect.Bottom + 1 : 0);
    const int h = GetHeight();
    const int barW = VerBarVisible() ? FVerBar->GetWidth() : 0;
    const int right = GetWidth() - dl - barW;
    FFirstVisibleIndex = -1;
    FLastVisibleIndex = GroupCount() - 1;
    bool lastSet = false;
    const fw::TRect none(-1, -1, -1, -1);
    // A group left out of this pass keeps no rectangle of an earlier one, nor do its items: after
    // a scroll back up they would still lie inside the view and answer the hover.
    auto forget = [&none](TVeskGroupItem* g) {
        g->GroupRect = none;
        for (TVeskLvItem* item : g->Items) item->ItemRect = none;
    };
    for (int gi = 0; gi < GroupCount(); ++gi) {
        TVeskGroupItem* g = FGroups[gi];
        if (!g->Visible) {
            forget(g);
            continue;
        }
        if (y > h) {
            if (!lastSet) {
                FLastVisibleIndex = gi;
                lastSet = true;
            }
            if (!OnMeasureGroupItem) {
                for (int j = gi; j < GroupCount(); ++j) forget(FGroups[j]);
                break;
            }
            forget(g);
            continue;
        }
        int gh = FGroupItemHeight;
        TVeskLvMeasureGroupItemEvent measure = OnMeasureGroupItem;
        if (measure) measure(g, gi, gh);
        g->GroupRect = fw::TRect(FLeftOffset + dl, y, right, y + gh);
        if (g->GroupRect.Bottom > 0 && g->GroupRect.Top < h) {
            if (FFirstVisibleIndex == -1) FFirstVisibleIndex = gi;
            DrawGroupRow(gi, g);
            if (!*alive) return;
        }
        y = g->GroupRect.Bottom + FMarginGroupItem;
        if (!g->Expanded || g->Items.empty()) {
            for (TVeskLvItem* item : g->Items) item->ItemRect = none;
            continue;
        }
        int iy = g->GroupRect.Bottom + dt;
        if (FViewStyle == VvsIcon) {
            const int s = VerSkinWidth();
            const int a = GetWidth() - dl - FMarginItem - s;
            const int cols = a / std::max(1, FItemWidth + FMarginItem);
            if (cols <= 0) {
                for (TVeskLvItem* item : g->Items) item->ItemRect = none;
                continue;
            }
            iy += FMarginItemY;
            int col = 0;
            for (int i = 0; i < g->ItemCount(); ++i) {
                TVeskLvItem* item = g->Items[i];
                if (!item->Visible) {
                    item->ItemRect = none;
                    continue;
                }
                const int x = FLeftOffset + FMarginItem + dl + col * (FItemWidth + FMarginItem);
                item->ItemRect = fw::TRect(x, iy, x + FItemWidth, iy + FItemheight);
                if (item->ItemRect.Bottom > 0 && item->ItemRect.Top < h) DrawIconItem(i, item);
                if (!*alive) return;
                if (++col == cols) {
                    col = 0;
                    iy += FItemheight + FMarginItemY;
                }
            }
            if (col != 0) iy += FItemheight + FMarginItemY;
            iy += FMarginItemY;
        } else {
            for (int i = 0; i < g->ItemCount(); ++i) {
                TVeskLvItem* item = g->Items[i];
                if (!item->Visible) {
                    item->ItemRect = none;
                    continue;
                }
                item->ItemRect = fw::TRect(FLeftOffset + FMarginItem + dl, iy, GetWidth() - dl - barW, iy + FItemheight);
                if (item->ItemRect.Bottom > 0 && item->ItemRect.Top < h) DrawRowItem(i, item);
                if (!*alive) return;
                iy = item->ItemRect.Bottom + FMarginItem;
            }
        }
        y = std::max(y, iy);
    }
    (void)canvas;
}

void TVeskListView::DrawGroupRow(int Index, TVeskGroupItem* AGroup) {
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    std::shared_ptr<bool> alive = AliveToken();
    TVeskLVDrawGroupItemEvent before = OnBeforeGroupItemDraw;
    if (before) before(canvas, Index, AGroup);
    bool defaultDraw = true;
    TVeskLvOwnerDrawGroupItemEvent owner = OnGroupItemOwnerDraw;
    if (owner) owner(canvas, Index, AGroup, defaultDraw);
    if (!*alive) return;
    if (defaultDraw) {
        const fw::TRect& gr = AGroup->GroupRect;
        const int h = gr.Height();
        int x = gr.Left;
        const fw::TRect none(-1, -1, -1, -1);
        AGroup->CheckRect = AGroup->ImageRect = AGroup->TextRect = AGroup->ButtonRect = none;
        if (FShowCheckBox) {
            bool show = true;
            TVeskGShowCheckBoxEvent sc = OnGroupShowCheckBox;
            if (sc) sc(this, AGroup, show);
            if (show && FCheckFrames[0]) {
                const int cw = FCheckFrames[0]->GetWidth(), ch = FCheckFrames[0]->GetHeight();
                const int cl = x + FMarginCheckBox, ct = gr.Top + (h - ch) / 2;
                AGroup->CheckRect = fw::TRect(cl, ct, cl + cw, ct + ch);
                const int state = std::min<int>(AGroup->Checked, 2) + (AGroup == FCheckHotGroup ? 3 : 0);
                DrawFrame(canvas, FCheckFrames[state].get(), AGroup->CheckRect);
                x = AGroup->CheckRect.Right;
            }
        }
        if (FGroupImgList && AGroup->ImageIndex >= 0 && AGroup->ImageIndex < FGroupImgList->Count()) {
            const int il = x + FMarginGroupImgList, it = gr.Top + (h - FGroupImgList->GetImgHeight()) / 2;
            AGroup->ImageRect = fw::TRect(il, it, il + FGroupImgList->GetImgWidth(), it + FGroupImgList->GetImgHeight());
            FGroupImgList->Draw(canvas, il, it, AGroup->ImageIndex, true);
            x = AGroup->ImageRect.Right;
        }
        TVeskGroupItemEvent caption = OnGetGCaption;
        if (caption) {
            FInCaptionEvent = true;
            try {
                caption(this, AGroup);
            } catch (...) {
                FInCaptionEvent = false;
                throw;
            }
            FInCaptionEvent = false;
            if (!*alive) return;
        }
        int textRight = gr.Right - 2;
        const bool button = !AGroup->Items.empty() && FGroupBtnFrames[0] && FGroupBtnFrames[5];
        if (button) {
            const int bw = FGroupBtnFrames[0]->GetWidth(), bh = FGroupBtnFrames[0]->GetHeight();
            const int br = gr.Right - FMarginGroupItemExpandBtn, bt = gr.Top + (h - bh) / 2;
            AGroup->ButtonRect = fw::TRect(br - bw, bt, br, bt + bh);
            const int state = (AGroup->Expanded ? 3 : 0) +
                              (AGroup == FBtnDownGroup ? 2 : AGroup == FBtnHotGroup ? 1 : 0);
            DrawFrame(canvas, FGroupBtnFrames[state].get(), AGroup->ButtonRect);
            textRight = std::min<int>(textRight, AGroup->ButtonRect.Left);
        }
        if (!AGroup->Caption.empty()) {
            canvas->SetFont(FGroupFont.get());
            canvas->GetBrush()->SetStyle(fw::bsClear);
            const int th = canvas->TextHeight(AGroup->Caption);
            const int tt = gr.Top + (h - th) / 2;
            AGroup->TextRect = fw::TRect(x + FMarginGroupText, tt, textRight, tt + th);
            fw::TRect tr = AGroup->TextRect;
            canvas->DrawText(AGroup->Caption, tr, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    TVeskLVDrawGroupItemEvent after = OnAfterGroupItemDraw;
    if (after) after(canvas, Index, AGroup);
}

void TVeskListView::LayoutColumns() {
    if (FViewStyle != VvsReport || FColumns.empty()) return;
    int x = FHeaderRect.Left + FLeftOffset;
    for (TVeskLvHeadItem* col : FColumns) {
        col->HeadRect = col->SplitRect = col->CheckRect = fw::TRect(-1, -1, -1, -1);
        if (!col->Visible) continue;
        col->HeadRect = fw::TRect(x, FHeaderRect.Top, std::min<LONG>(x + col->Width, FHeaderRect.Right),
                                  FHeaderRect.Top + FHeaderHeight);
        x += col->Width + FHeaderSplitWidth;
    }
}

void TVeskListView::DrawHeader() {
    if (FViewStyle != VvsReport || FColumns.empty()) return;
    fw::TCanvas* canvas = FBuffer->GetCanvas();
    canvas->SetFont(FHeaderFont.get());
    canvas->GetBrush()->SetStyle(fw::bsClear);
    int lastRight = FHeaderRect.Left + FLeftOffset;
    std::shared_ptr<bool> alive = AliveToken();
    for (int i = 0; i < ColumnCount(); ++i) {
        TVeskLvHeadItem* col = FColumns[i];
        if (!col->Visible) continue;
        const fw::TRect& hr = col->HeadRect;
        int state = !col->Enabled ? 3 : col == FDownColumn ? 2 : col == FHotColumn ? 1 : 0;
        DrawFrame(canvas, FHeaderFrames[state].get(), hr);
        int x = hr.Left;
        if (col->HasCheckBox && FCheckFrames[0]) {
            const int cw = FCheckFrames[0]->GetWidth(), ch = FCheckFrames[0]->GetHeight();
            const int cl = hr.Left + 2, ct = hr.Top + (hr.Height() - ch) / 2;
            col->CheckRect = fw::TRect(cl, ct, cl + cw, ct + ch);
            const int cs = (col->Checked ? 1 : 0) + (col == FCheckHotColumn ? 3 : 0);
            DrawFrame(canvas, FCheckFrames[cs].get(), col->CheckRect);
            x = col->CheckRect.Right;
        }
        if (FHeadImglist && col->ImageIndex >= 0 && col->ImageIndex < FHeadImglist->Count()) {
            const int il = x + 2, it = hr.Top + (hr.Height() - FHeadImglist->GetImgHeight()) / 2;
            FHeadImglist->Draw(canvas, il, it, col->ImageIndex, true);
            x = il + FHeadImglist->GetImgWidth();
        }
        int captionRight = x + 8;
        if (!col->Caption.empty()) {
            const int start = x + 8;
            const int th = canvas->TextHeight(col->Caption);
            const int tt = hr.Top + (hr.Height() - th) / 2;
            fw::TRect tr(start, tt, std::min<LONG>(hr.Right - 2, start + canvas->TextWidth(col->Caption)), tt + th);
            canvas->GetFont()->SetColor(FHeaderFont->GetColor());
            canvas->DrawText(col->Caption, tr, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
            captionRight = tr.Right;
        }
        if (col->Sortable && (col->SortState == 1 || col->SortState == 2))
            DrawFrameAt(canvas, FArrowFrames[col->SortState - 1].get(), captionRight + 2, 0);
        col->SplitRect = fw::TRect(hr.Right, FHeaderRect.Top, hr.Right + FHeaderSplitWidth, FHeaderRect.Top + FHeaderHeight);
        int ss = 0;
        if (!col->Enabled)
            ss = FHeaderSplitStateCount == 4 ? 3 : 0;
        else if (col == FResizeColumn && FHeaderSplitStateCount >= 3)
            ss = 2;
        else if (col == FSplitColumn && FHeaderSplitStateCount >= 2)
            ss = 1;
        DrawFrame(canvas, FSplitFrames[ss].get(), col->SplitRect);
        lastRight = col->SplitRect.Right;
        TVeskLvDrawHeadItemEvent after = OnHeadItemAfterDraw;
        if (after) after(canvas, col, i);
        if (!*alive) return;
    }
    const int end = BorderInset() == 1 ? GetWidth() - 1 : GetWidth();
    if (lastRight < end)
        DrawFrame(canvas, FHeaderFrames[0].get(), fw::TRect(lastRight, FHeaderRect.Top, end, FHeaderRect.Top + FHeaderHeight));
}

void TVeskListView::DrawRubberBand() {
    if (FImgSelBox->GetEmpty() || FBandStart.X == -1 || FBandStart.Y == -1 || FBandEnd.X == -1 || FBandEnd.Y == -1)
        return;
    if (std::abs(FBandEnd.X - FBandStart.X) < 10 && std::abs(FBandEnd.Y - FBandStart.Y) < 10) return;
    FBandEnd.X = std::min<LONG>(FBandEnd.X, GetWidth());
    FBandEnd.Y = std::max<LONG>(std::min<LONG>(FBandEnd.Y, GetHeight()), FHeaderRect.Bottom);
    const fw::TRect band(std::min(FBandStart.X, FBandEnd.X), std::min(FBandStart.Y, FBandEnd.Y),
                         std::max(FBandStart.X, FBandEnd.X), std::max(FBandStart.Y, FBandEnd.Y));
    for (TVeskLvItem* item : FItems) {
        if (!item->Visible || !item->Enabled) continue;
        const fw::TRect& r = item->ItemRect;
        item->Selected = !RectUnset(r) && r.Left < band.Right && band.Left < r.Right && r.Top < band.Bottom &&
                         band.Top < r.Bottom;
    }
    FImgSelBox->Draw(FBuffer->GetCanvas(), band);
}

// ---------------------------------------------------------------------------------------------
// Partial redraw and repaint requests

fw::TRect TVeskListView::ClampToBuffer(const fw::TRect& R) const {
    fw::TRect r = R;
    r.Left = std::max<LONG>(r.Left, 0);
    r.Top = std::max<LONG>(r.Top, 0);
    r.Right = std::min<LONG>(r.Right, FBuffer->GetWidth());
    r.Bottom = std::min<LONG>(r.Bottom, FBuffer->GetHeight());
    return r.IsEmpty() ? fw::TRect() : r;
}

void TVeskListView::RedrawItem(TVeskLvItem* AItem) {
    if (!AItem || RectUnset(AItem->ItemRect) || AItem->ItemRect.IsEmpty()) return;
    const fw::TRect r = ClampToBuffer(AItem->ItemRect);
    if (r.IsEmpty()) return;
    PaintBackground(r);
    const int index = IndexOf(AItem);
    if (FViewStyle == VvsIcon)
        DrawIconItem(index, AItem);
    else
        DrawRowItem(index, AItem);
    if (FViewStyle == VvsReport && AItem->ItemRect.Top < FHeaderRect.Bottom) DrawHeader();
    if (HandleAllocated()) {
        RECT rr{r.Left, r.Top, r.Right, r.Bottom};
        InvalidateRect(GetHandle(), &rr, TRUE);
    }
}

void TVeskListView::RedrawGroup(TVeskGroupItem* AGroup) {
    if (!AGroup || RectUnset(AGroup->GroupRect) || AGroup->GroupRect.IsEmpty()) return;
    const auto it = std::find(FGroups.begin(), FGroups.end(), AGroup);
    if (it == FGroups.end()) return;
    const fw::TRect r = ClampToBuffer(AGroup->GroupRect);
    if (r.IsEmpty()) return;
    std::shared_ptr<bool> alive = AliveToken();
    PaintBackground(r);
    DrawGroupRow(static_cast<int>(it - FGroups.begin()), AGroup);
    if (!*alive) return;
    if (FViewStyle == VvsReport && AGroup->GroupRect.Top < FHeaderRect.Bottom) DrawHeader();
    if (!*alive) return;
    fw::TNotifyEvent handler = OnNeedPaint;
    if (handler) {
        handler(this);
    } else if (HandleAllocated()) {
        RECT rr{r.Left, r.Top, r.Right, r.Bottom};
        InvalidateRect(GetHandle(), &rr, TRUE);
    }
}

void TVeskListView::RequestRepaint() {
    if (!FHaveLoaded || FInCaptionEvent) return;
    fw::TNotifyEvent handler = OnNeedPaint;
    if (handler)
        handler(this);
    else
        Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Scroll bars

void TVeskListView::UpdateVerScrollBar() {
    ComputeContentHeight();
    const int b = BorderInset();
    if (FContentHeight <= FViewHeight) {
        if (VerBarVisible()) {
            FVerBar->SetVisible(false);
            FVerBar->SetPosition(0);
            FTopOffset = 0;
            CutItemFrames();
            ComputeContentHeight();
            RequestRepaint();
        }
        return;
    }
    if (!FVerBar && FVerScrollRes) {
        FVerBar = new TVeskPngScrollBar(this);
        FVerBar->FreeNotification(this);
        FVerBar->SetVisible(false);
        FVerBar->Setkind(skVer);
        FVerBar->SetParent(this);
        FVerBar->SetScrollRes(FVerScrollRes);
        FVerBar->SetSmallChange(std::min(FItemheight + FMarginItemY, FMarginItemY + 10));
        FVerBar->SetTransparent(true);
        FVerBar->OnScroll = [this](fw::TObject*, int& pos) { VerScroll(pos); };
    }
    if (!FVerBar) return;
    if (!FVerBar->GetVisible()) {
        FVerBar->SetVisible(true);
        CutItemFrames();
        RequestRepaint();
    }
    FVerBar->SetMin(0);
    ClampVerScroll();
    const int left = GetWidth() - FVerBar->GetWidth() - b, top = FHeaderRect.Bottom,
              height = GetHeight() - FHeaderRect.Bottom - b;
    if (FVerBar->GetLeft() != left || FVerBar->GetTop() != top || FVerBar->GetHeight() != height)
        FVerBar->SetBounds(left, top, FVerBar->GetWidth(), height);
}

void TVeskListView::ClampVerScroll() {
    if (!VerBarVisible()) return;
    FVerBar->SetMax(FContentHeight);
    FVerBar->SetPageSize(FViewHeight);
    // A shrunk list (or a taller view) leaves the old position past the last page: the rows would
    // end high up over a blank band while the bar shows a place that no longer exists.
    const int high = std::max(FVerBar->GetMin(), FContentHeight - FVerBar->GetPageSize() + 1);
    if (FVerBar->GetPosition() > high) FVerBar->SetPosition(high);
    if (FTopOffset < -FVerBar->GetPosition()) {
        FTopOffset = -FVerBar->GetPosition();
        RequestRepaint();
    }
}

void TVeskListView::UpdateHorScrollBar() {
    const int b = BorderInset();
    if (FViewStyle == VvsReport) {
        int a = GetWidth() - 2 * b;
        if (VerBarVisible()) a -= FVerBar->GetWidth();
        int t = 0;
        for (TVeskLvHeadItem* col : FColumns)
            if (col->Visible) t += col->Width;
        if (a <= t) {
            if (!FHorBar && FHorScrollRes) {
                FHorBar = new TVeskPngScrollBar(this);
                FHorBar->FreeNotification(this);
                FHorBar->SetVisible(false);
                FHorBar->Setkind(skHor);
                FHorBar->SetParent(this);
                FHorBar->SetScrollRes(FHorScrollRes);
                FHorBar->SetTransparent(true);
                FHorBar->SetAlign(fw::alBottom);
                FHorBar->OnScroll = [this](fw::TObject*, int& pos) { HorScroll(pos); };
            }
            if (!FHorBar) return;
            FHorBar->SetVisible(true);
            const int top = GetHeight() - FHorBar->GetHeight() - b;
            if (FHorBar->GetTop() != top || FHorBar->GetLeft() != b || FHorBar->GetWidth() != a)
                FHorBar->SetBounds(b, top, a, FHorBar->GetHeight());
            FHorBar->SetMin(0);
            FHorBar->SetMax(t);
            FHorBar->SetPageSize(FHorBar->GetWidth());
            return;
        }
    }
    FLeftOffset = 0;
    if (HorBarVisible()) {
        FHorBar->SetVisible(false);
        FHorBar->SetPosition(0);
        RequestRepaint();
    }
}

void TVeskListView::VerScroll(int& ScrollPos) {
    const int top = -ScrollPos;
    if (top == FTopOffset) return;
    FTopOffset = top;
    if (FNeedForceRepaint)
        Repaint();
    else
        RequestRepaint();
}

void TVeskListView::HorScroll(int& ScrollPos) {
    const int left = -ScrollPos;
    if (left == FLeftOffset) return;
    FLeftOffset = left;
    RequestRepaint();
}

void TVeskListView::Resize() {
    const int oldWidth = FBuffer->GetWidth();
    fw::TCustomControl::Resize();
    FBuffer->SetSize(std::max(GetWidth(), 0), std::max(GetHeight(), 0));
    if (FViewStyle == VvsReport) {
        ComputeHeaderRect();
        for (TVeskLvHeadItem* col : FColumns) {
            if (!col->Visible || !col->AutoSize) continue;
            const int w = col->Width + GetWidth() - oldWidth;
            if (w >= 1) col->Width = w;
            break;
        }
    }
    ComputeContentHeight();
    ComputeViewHeight();
    if (VerBarVisible()) {
        FTopOffset = std::max(FTopOffset, FViewHeight - FContentHeight);
        if (FContentHeight < FViewHeight) FTopOffset = 0;
        // The bar follows the rows.
        if (FVerBar->GetPosition() > -FTopOffset) FVerBar->SetPosition(-FTopOffset);
        ClampVerScroll();
    }
}
