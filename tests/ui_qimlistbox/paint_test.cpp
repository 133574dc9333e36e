// What the list box draws: background, border, row skins, check boxes, icons and captions.
#include "lb_fixture.h"

#include <algorithm>

using namespace fw;
using namespace lbtest;

namespace {

int CountIn(const DibSurface& d, const TRect& r, COLORREF c) {
    return d.CountColor(RECT{kLeft + r.Left, kTop + r.Top, kLeft + r.Right, kTop + r.Bottom}, c);
}

TEST_F(ListBoxTest, BackgroundAndBorderFollowColourSkinAndState) {
    Lb->Loaded();
    auto d = Paint();
    EXPECT_EQ(At(*d, 50, 50), kWhite);
    EXPECT_EQ(At(*d, 0, 0), RGB(0xA6, 0xCA, 0xF0)) << "the border in $F0CAA6";
    EXPECT_EQ(At(*d, 199, 149), RGB(0xA6, 0xCA, 0xF0));
    Lb->SetBorderColor(clNone);
    EXPECT_EQ(At(*Paint(), 0, 0), kWhite);

    Form->OnPaint = [this](TObject*) {
        Form->GetCanvas()->GetBrush()->SetColor(RGB(30, 130, 230));
        Form->GetCanvas()->FillRect(TRect(0, 0, 260, 220));
    };
    Lb->SetTransparent(true);
    EXPECT_EQ(At(*Paint(), 50, 50), RGB(30, 130, 230)) << "a transparent list shows its parent";
    Lb->SetTransparent(false);
    Lb->SetAlpha(0);
    EXPECT_EQ(At(*Paint(), 50, 50), RGB(0, 0, 0)) << "Alpha 0 darkens the parent to black";
    Lb->SetAlpha(255);
    Lb->SetImgBack(Strip(4, 4, {RGB(9, 90, 190)}).get());
    EXPECT_EQ(At(*Paint(), 120, 100), RGB(9, 90, 190)) << "a background skin is stretched over the list";
}

TEST_F(ListBoxTest, RowSkinsMarkSelectedPressedAndHotRows) {
    RowSkins();
    AddRows(4);
    Lb->Loaded();
    EXPECT_EQ(Lb->GetItemheight(), 30) << "rows take the selected skin's height";
    Paint();
    Lb->GetItem(1)->SetSelected(true);
    Move(Centre(2));
    auto d = Paint();
    EXPECT_EQ(At(*d, Centre(0)), kWhite);
    EXPECT_EQ(At(*d, 1, Centre(1).Y), kWhite) << "rows start two pixels in";
    EXPECT_EQ(At(*d, 3, Centre(1).Y), kSelected);
    EXPECT_EQ(At(*d, 197, Centre(1).Y), kSelected) << "stretched to the width less 4";
    EXPECT_EQ(At(*d, 198, Centre(1).Y), kWhite);
    EXPECT_EQ(At(*d, 3, Centre(2).Y), kOver);
    Lb->SetHotTrack(false);
    EXPECT_EQ(At(*Paint(), 3, Centre(2).Y), kWhite) << "no hover skin without hot tracking";
    Lb->SetHotTrack(true);

    // Rows of 30, 2 apart: row 4 runs from 129 to 159, past the bottom edge at 150. Its hover
    // repaint must keep the border line.
    AddRows(2);
    Paint();
    ASSERT_GT(Lb->GetItem(4)->GetItemRect().Bottom, Lb->GetHeight());
    auto rgb = [&](int x, int y) { return Lb->GetBackBuffer()->GetPixel(x, y) & 0xFFFFFFu; };
    Move(TPoint(100, 140));
    ASSERT_EQ(Lb->GetHotItem(), Lb->GetItem(4));
    EXPECT_EQ(rgb(100, 140), uint32_t(GetRValue(kOver)) << 16) << "the row was redrawn hot";
    EXPECT_EQ(rgb(100, 149), 0xA6CAF0u) << "the bottom border line survives the row repaint";
    Lb->SetEnabled(false);
    Paint();
    Move(TPoint(100, 110));
    EXPECT_EQ(rgb(100, 149), 0x808080u) << "a disabled list keeps its grey border";
}

TEST_F(ListBoxTest, CheckBoxesShowTheFrameOfTheirStateCentredInTheRow) {
    CheckSkins();
    Lb->SetShowCheckBox(true);
    AddRows(3);
    Lb->GetItem(1)->SetChecked(true);
    Lb->Loaded();
    auto d = Paint();
    // Row 0: 1..23; the 12 x 10 box stands 2 pixels after the row's left edge, centred.
    EXPECT_EQ(Lb->GetItem(0)->GetCheckRect(), TRect(4, 1 + 6, 16, 1 + 6 + 10));
    EXPECT_EQ(At(*d, 5, 8), kCheck[0]);
    EXPECT_EQ(At(*d, 5, 25 + 6 + 1), kCheck[1]);
    Move(Box(1));
    EXPECT_EQ(At(*Paint(), Box(1)), kCheck[3]) << "checked under the mouse";
    Move(Box(1) + TPoint(30, 0));
    Lb->GetItem(1)->SetChecked(false);
    Move(Box(1));
    EXPECT_EQ(At(*Paint(), Box(1)), kCheck[2]) << "unchecked under the mouse";
    // The caption starts after the box and the text margin.
    EXPECT_EQ(Lb->GetItem(0)->GetTextRect().Left, 16 + 2);
}

TEST_F(ListBoxTest, CaptionsAreColouredByRowState) {
    AddRows(4);
    Lb->GetItem(2)->SetEnabled(false);
    Lb->GetItem(3)->SetSelected(true);
    const COLORREF colours[4] = {RGB(200, 0, 0), RGB(0, 0, 200), RGB(120, 120, 0), RGB(0, 150, 0)};
    Lb->SetFontColorNormal(colours[0]);
    Lb->SetFontColorOver(colours[1]);
    Lb->SetFontColorDisable(colours[2]);
    Lb->SetFontColorDown(colours[3]);
    Lb->Loaded();
    Paint();
    Move(Centre(1));
    auto d = Paint();
    for (int i = 0; i < 4; ++i) {
        const TRect tr = Lb->GetItem(i)->GetTextRect();
        for (int j = 0; j < 4; ++j)
            if (j == i)
                EXPECT_GT(CountIn(*d, tr, colours[j]), 10) << "row " << i;
            else
                EXPECT_EQ(CountIn(*d, tr, colours[j]), 0) << "row " << i << " colour " << j;
    }
    // The text rectangle: text margin after the row's left edge.
    EXPECT_EQ(Lb->GetItem(0)->GetTextRect().Left, 2 + 2);
}

TEST_F(ListBoxTest, AmpersandsInCaptionsAreShownAsTheyAre) {
    // Captions are the user's own texts (reminder names): "Tom & Jerry" must not turn into an
    // underlined "J".
    AddRows(2);
    Lb->GetItem(0)->SetCaption(L"WW");
    Lb->GetItem(1)->SetCaption(L"W&W");
    Lb->SetFontColorNormal(RGB(200, 0, 0));
    Lb->Loaded();
    auto d = Paint();
    auto rightmostInk = [&](int row) {
        const TRect tr = Lb->GetItem(row)->GetTextRect();
        int right = -1;
        for (int x = tr.Left; x < tr.Right; ++x)
            for (int y = tr.Top; y < tr.Bottom; ++y)
                if (At(*d, x, y) == RGB(200, 0, 0)) right = x;
        return right;
    };
    ASSERT_GT(rightmostInk(0), 0);
    EXPECT_GE(rightmostInk(1) - rightmostInk(0), 4) << "the ampersand takes its own place between the letters";
}

TEST_F(ListBoxTest, ARowDeletedByItsDrawingHandlerIsNotDrawnFurther) {
    AddRows(4);
    Lb->Loaded();
    std::vector<TQimLBoxItem*> ownerDrawn;
    Lb->OnBeforeItemDraw = [&](TCanvas*, int i, TQimLBoxItem* it) {
        if (i == 1) Lb->DeleteItem(it);
    };
    Lb->OnItemOwnerDraw = [&](TCanvas*, int, TQimLBoxItem* it, bool&) { ownerDrawn.push_back(it); };
    TQimLBoxItem* doomed = Lb->GetItem(1);
    Paint();
    EXPECT_EQ(Lb->Count(), 3);
    EXPECT_EQ(std::count(ownerDrawn.begin(), ownerDrawn.end(), doomed), 0) << "a freed row is not handed on";
    EXPECT_EQ(ownerDrawn.size(), 1u) << "the pass ends with the deleting handler";
    ownerDrawn.clear();
    Lb->OnBeforeItemDraw = nullptr;
    Paint();
    EXPECT_EQ(ownerDrawn.size(), 3u) << "the next pass draws the rows left";
}

TEST_F(ListBoxTest, DrawingEventsFrameEveryPaintedRowAndOwnerDrawingReplacesIt) {
    RowSkins();
    AddRows(3);
    Lb->GetItem(1)->SetSelected(true);
    Lb->Loaded();
    std::vector<std::wstring> calls;
    Lb->OnDrawBackGround = [&](TCanvas*, const TRect&) { calls.push_back(L"back"); };
    Lb->OnBeforeItemDraw = [&](TCanvas*, int i, TQimLBoxItem*) { calls.push_back(L"before" + std::to_wstring(i)); };
    Lb->OnAfterItemDraw = [&](TCanvas* c, int i, TQimLBoxItem*) {
        calls.push_back(L"after" + std::to_wstring(i));
        if (i == 0) {
            c->GetBrush()->SetStyle(bsSolid);
            c->GetBrush()->SetColor(RGB(5, 6, 7));
            c->FillRect(TRect(100, 5, 110, 15));
        }
    };
    Lb->OnItemOwnerDraw = [&](TCanvas*, int i, TQimLBoxItem*, bool& def) { def = i != 1; };
    auto d = Paint();
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"back", L"before0", L"after0", L"before1", L"after1", L"before2",
                                                L"after2"}));
    EXPECT_EQ(At(*d, 105, 10), RGB(5, 6, 7)) << "drawn on the list's own picture";
    EXPECT_EQ(At(*d, 3, Centre(1).Y), kWhite) << "the owner drew row 1 instead";
    EXPECT_TRUE(Lb->GetItem(1)->GetTextRect().IsEmpty());
}

}  // namespace
