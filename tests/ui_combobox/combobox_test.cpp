// The skinned combo box: items and selection, skin preparation and button rectangles, the box's
// painting and mouse states, opening and placing the drop-down list, choosing and checking rows,
// wheel scrolling, the layered list, closing on deactivation, and tear-down while open.
#include "VeskCombobox.h"
#include "VeskDrawing.h"
#include "skin_resources.h"
#include "window_test.h"

#include <memory>
#include <string>
#include <vector>

using namespace fw;
using testsupport::DibSurface;
using testsupport::Pt;
using testsupport::PumpMessagesFor;
using testsupport::Render;
using testsupport::Skin;
using testsupport::Strip;

namespace {

const std::vector<COLORREF> kBox = {RGB(200, 10, 10), RGB(200, 20, 20), RGB(200, 30, 30), RGB(200, 40, 40)};
const std::vector<COLORREF> kBtn = {RGB(10, 200, 10), RGB(20, 200, 20), RGB(30, 200, 30), RGB(40, 200, 40)};
const std::vector<COLORREF> kExtra = {RGB(10, 10, 200), RGB(20, 20, 200), RGB(30, 30, 200), RGB(40, 40, 200)};

class ComboTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 600));
        Form = NewForm(300, 200, clWhite, 10, 10);
        Box = testsupport::AddControl<TVeskCombobox>(Form, 20, 30, 150, 25);
        BoxAlive = Box->AliveToken();
    }
    // The skins the editor's two boxes use, and that many items.
    void ProgramSkins(int Items = 0) {
        Box->SetImgBox(Skin(L"combo_box").get());
        Box->GetBoxsplit()->SetLeft(4);
        Box->GetBoxsplit()->SetRight(16);
        Box->SetImgBtn(Skin(L"combo_btn").get());
        Box->SetImgitem(Skin(L"combo_item").get());
        Box->SetItemStateCount(1);
        Box->Getitemsplit()->SetLeft(3);
        Box->Getitemsplit()->SetRight(7);
        Box->Loaded();
        AddItems(Items);
    }
    // Solid test strips: each frame tells which state was drawn.
    void TestSkins() {
        Box->SetImgBox(Strip(20, 26, kBox).get());
        Box->SetImgBtn(Strip(22, 22, kBtn).get());
        Box->SetImgExtraBtn(Strip(16, 16, kExtra).get());
        Box->Loaded();
    }
    void AddItems(int N) {
        for (int i = 0; i < N; ++i) Box->AddItem()->SetCaption(L"item " + std::to_wstring(i));
    }
    TVeskScrollBarRes* MakeRes() { return testsupport::ScrollSkinRes(Form); }
    std::unique_ptr<DibSurface> RenderList() { return Render(Box->GetListForm()); }
    // Opens the list and lays its rows out.
    void Open() {
        Box->DropDown();
        RenderList();
    }
    HWND List() { return Box->GetListForm() ? Box->GetListForm()->GetHandle() : nullptr; }
    void Wheel(int Delta, int Times = 1) {
        for (int i = 0; i < Times; ++i) SendMessageW(List(), WM_MOUSEWHEEL, MAKEWPARAM(0, Delta), 0);
    }
    static TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
    // The mouse entering the box at a client point.
    void Hover(int X, int Y) {
        Box->Perform(CM_MOUSEENTER, 0, 0);
        Box->Perform(WM_MOUSEMOVE, 0, Pt(X, Y));
    }
    // A click on the box at a client point.
    void ClickBox(int X, int Y) {
        Hover(X, Y);
        Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(X, Y));
        if (*BoxAlive) Box->Perform(WM_LBUTTONUP, 0, Pt(X, Y));
    }
    // A mouse message to the open list at a point of it.
    void ToList(UINT Msg, TPoint P, WPARAM W = 0) { SendMessageW(List(), Msg, W, Pt(P.X, P.Y)); }
    // Handlers may free the box meanwhile: the list's window is taken once.
    void ClickRow(const TRect& R) {
        const HWND h = List();
        const LPARAM at = Pt(Centre(R).X, Centre(R).Y);
        for (auto [msg, w] : {std::pair<UINT, WPARAM>{WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}})
            SendMessageW(h, msg, w, at);
    }

    testsupport::TPlainForm* Form = nullptr;
    std::shared_ptr<bool> BoxAlive;
    TVeskCombobox* Box = nullptr;
    std::vector<std::wstring> Events;
};

// ------------------------------------------------------------------------------------------------
// Items and selection

TEST_F(ComboTest, SetIndexRefusesOutOfRangeAndAlwaysFiresForValid) {
    AddItems(3);
    std::vector<TObject*> senders;
    Box->OnChange = [&](TObject* S) { senders.push_back(S); };
    Box->SetIndex(-1);
    Box->SetIndex(3);
    Box->SetIndex(-5);
    EXPECT_TRUE(senders.empty());
    EXPECT_EQ(-1, Box->GetIndex());
    EXPECT_EQ(L"", Box->GetText());
    Box->SetIndex(0);
    Box->SetIndex(0);
    EXPECT_EQ((std::vector<TObject*>{Box->GetItem(0), Box->GetItem(0)}), senders);
    // Clearing keeps the text and forgets the selection.
    Box->OnChange = nullptr;
    Box->SetIndex(1);
    Box->ClearItems();
    EXPECT_EQ(0, Box->GetItemCount());
    EXPECT_EQ(nullptr, Box->GetSelectedItem());
    EXPECT_EQ(L"item 1", Box->GetText());
}

// ------------------------------------------------------------------------------------------------
// Skin preparation and the box's painting

TEST_F(ComboTest, ProgramSkinsStretchBoxAndPlaceDropButton) {
    Box->SetHeight(40);
    ProgramSkins();
    ASSERT_NE(nullptr, Box->GetBoxFrame(3));
    EXPECT_EQ(150, Box->GetBoxFrame(0)->GetWidth());
    EXPECT_EQ(26, Box->GetHeight());  // the box frame's height
    // Button 22 x 22: centred in 26, right edge one pixel in.
    EXPECT_EQ(TRect(127, 2, 149, 24), Box->GetBtnRect());
    ASSERT_NE(nullptr, Box->GetItemFrame(0));
    EXPECT_EQ(146, Box->GetItemFrame(0)->GetWidth());
    EXPECT_EQ(nullptr, Box->GetItemFrame(1));
    EXPECT_EQ(TRect(-1, -1, -1, -1), Box->GetExtraRect());
}

TEST_F(ComboTest, ItemBackgroundOnlyForOneOrTwoFramesAndCheckOnlyForFour) {
    for (auto [items, checks, prepared] : {std::tuple{3, 3, false}, {2, 4, true}}) {
        Box->SetImgitem(Strip(10, 22, std::vector<COLORREF>(items, RGB(1, 2, 3))).get());
        Box->SetItemStateCount(items);
        Box->SetImgCheck(Strip(14, 14, std::vector<COLORREF>(checks, RGB(1, 1, 1))).get());
        Box->SetCheckStateCount(checks);
        Box->Loaded();
        EXPECT_EQ(prepared, Box->GetItemFrame(0) && Box->GetItemFrame(items - 1));
        EXPECT_EQ(prepared, Box->GetCheckFrame(0) && Box->GetCheckFrame(checks - 1));
    }
    EXPECT_EQ(10, Box->GetItemFrame(1)->GetWidth());  // no split: not stretched
}

TEST_F(ComboTest, ExtraButtonRectangleFollowsSideAndOffset) {
    TestSkins();
    EXPECT_EQ(TRect(-1, -1, -1, -1), Box->GetExtraRect());
    Box->SetExtraBtn(true);
    // Just left of the drop button (127..149).
    EXPECT_EQ(TRect(109, 5, 125, 21), Box->GetExtraRect());
    Box->SetExtraBtnLeft(true);
    EXPECT_EQ(TRect(2, 5, 18, 21), Box->GetExtraRect());
    Box->SetBtnOffSet(3);
    EXPECT_EQ(TRect(5, 5, 21, 21), Box->GetExtraRect());
    // The drop button moves with the offset as well.
    EXPECT_EQ(TRect(124, 2, 146, 24), Box->GetBtnRect());
}

TEST_F(ComboTest, PaintDrawsStateFramesAndTextColour) {
    Box->SetText(L"WWWW");
    Box->SetFontColorNormal(RGB(0, 0, 255));
    Box->SetFontColorOver(RGB(0, 255, 255));
    EXPECT_GT(Render(Form)->CountColor(RECT{20, 30, 170, 55}, RGB(0, 0, 255)), 0) << "text without any skin";
    TestSkins();
    Box->SetExtraBtn(true);
    auto dib = Render(Form);
    const int bx = 20, by = 30;
    EXPECT_EQ(kBox[0], dib->Color(bx + 1, by + 1));
    EXPECT_EQ(kBtn[0], dib->Color(bx + 138, by + 12));
    EXPECT_EQ(kExtra[0], dib->Color(bx + 117, by + 12));
    const RECT text{bx + 6, by, bx + 100, by + 26};
    EXPECT_GT(dib->CountColor(text, RGB(0, 0, 255)), 0);
    // Hovering the drop button: box hot, button hot, text in the hover colour.
    Hover(138, 12);
    EXPECT_TRUE(Box->GetHot());
    EXPECT_TRUE(Box->GetBtnHot());
    dib = Render(Form);
    EXPECT_EQ(kBox[1], dib->Color(bx + 1, by + 1));
    EXPECT_EQ(kBtn[1], dib->Color(bx + 138, by + 12));
    EXPECT_EQ(0, dib->CountColor(text, RGB(0, 0, 255)));
    EXPECT_GT(dib->CountColor(text, RGB(0, 255, 255)), 0);
    // Disabled: frame 3 everywhere.
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    Box->SetEnabled(false);
    dib = Render(Form);
    EXPECT_EQ(kBox[3], dib->Color(bx + 1, by + 1));
    EXPECT_EQ(kBtn[3], dib->Color(bx + 138, by + 12));
    EXPECT_EQ(kExtra[3], dib->Color(bx + 117, by + 12));
}

TEST_F(ComboTest, ExtraButtonClickAndHint) {
    TestSkins();
    Box->SetExtraBtn(true);
    Box->SetHint(L"own");
    Box->SetShowHint(true);
    Box->SetExtraBtnHint(L"extra");
    int clicks = 0, btn = 0;
    Box->OnExtraBtnClick = [&](TObject*) { ++clicks; };
    Box->OnbtnClick = [&](TObject*) { ++btn; };
    Hover(117, 12);
    EXPECT_TRUE(Box->GetExtraHot());
    EXPECT_EQ(L"extra", Box->GetHint());
    Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(117, 12));
    EXPECT_TRUE(Box->GetExtraDown());
    Box->Perform(WM_LBUTTONUP, 0, Pt(117, 12));
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(0, btn);
    EXPECT_FALSE(Box->GetExtraDown());
    Box->Perform(WM_MOUSEMOVE, 0, Pt(50, 12));
    EXPECT_EQ(L"own", Box->GetHint());
    // Leaving the box straight from the extra button gives the box its hint back too.
    Box->Perform(WM_MOUSEMOVE, 0, Pt(117, 12));
    EXPECT_EQ(L"extra", Box->GetHint());
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(L"own", Box->GetHint());
    EXPECT_FALSE(Box->GetHot() || Box->GetExtraHot());
}

// ------------------------------------------------------------------------------------------------
// Opening the list

TEST_F(ComboTest, ClickOpensAndSecondClickCloses) {
    ProgramSkins();
    Box->DropDown();
    EXPECT_EQ(nullptr, Box->GetListForm()) << "no items, no list";
    AddItems(3);
    Box->OnbtnClick = [&](TObject*) { Events.push_back(Box->ListShowing() ? L"btn open" : L"btn closed"); };
    ClickBox(138, 12);
    ASSERT_TRUE(Box->ListShowing());
    TVeskListForm* f = Box->GetListForm();
    EXPECT_EQ(150, f->GetWidth());
    EXPECT_EQ(24 * 3 + 4, f->GetHeight());
    // Below the box, at its left edge.
    EXPECT_EQ(30, f->GetLeft());
    EXPECT_EQ(10 + 30 + 26, f->GetTop());
    EXPECT_EQ(Form->GetHandle(), GetWindow(f->GetHandle(), GW_OWNER));
    EXPECT_FALSE(GetWindowLongW(f->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(f->GetHandle(), WM_MOUSEACTIVATE, 0, 0));
    EXPECT_EQ(1, SendMessageW(f->GetHandle(), WM_ERASEBKGND, 0, 0));
    ClickBox(60, 12);
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_EQ((std::vector<std::wstring>{L"btn closed", L"btn open"}), Events);
}

TEST_F(ComboTest, ReleaseAfterDraggingOffTheBoxOpensNothing) {
    ProgramSkins(2);
    Hover(60, 12);
    Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 12));
    EXPECT_TRUE(Box->GetDown());
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    Box->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(60, 80));
    Box->Perform(WM_LBUTTONUP, 0, Pt(60, 80));
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_FALSE(Box->GetDown());
}

TEST_F(ComboTest, NearTheBottomTheListOpensUpward) {
    ProgramSkins(5);
    Screen->SetWorkAreaRect(TRect(0, 0, 800, 120));
    Box->DropDown();
    TVeskListForm* f = Box->GetListForm();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_TRUE(Box->GetDropUp());
    EXPECT_EQ(10 + 30 - (24 * 5 + 4), f->GetTop());
    Box->DropDown();
    Screen->SetWorkAreaRect(TRect(0, 0, 800, 600));
    Box->DropDown();
    EXPECT_FALSE(Box->GetDropUp());
    EXPECT_EQ(10 + 30 + 26, f->GetTop());
}

TEST_F(ComboTest, TenItemsShowEightRowsAndAScrollBarOnlyWithResource) {
    ProgramSkins(10);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_EQ(24 * 8 + 4, Box->GetListForm()->GetHeight());
    EXPECT_EQ(nullptr, Box->GetPngScrollBar());
    Box->DropDown();
    Box->SetVerScrollRes(MakeRes());
    Box->DropDown();
    TVeskPngScrollBar* bar = Box->GetPngScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(9, bar->GetMax());
    EXPECT_EQ(8, bar->GetPageSize());
    const int w = Box->GetListForm()->GetWidth(), h = Box->GetListForm()->GetHeight();
    EXPECT_EQ(TRect(w - bar->GetWidth() - 1, 1, w - 1, h - 1), bar->GetBoundsRect());
    // Nine rows are laid out (the ninth cut off below the window); the bar is left out of them.
    RenderList();
    EXPECT_EQ(w - 2 - 15, Box->GetPlainBitmap()->GetWidth());
    EXPECT_EQ(h - 2, Box->GetPlainBitmap()->GetHeight());
    EXPECT_EQ(TRect(2, 2 + 8 * 24, w - 2 - 15 - 2, 2 + 8 * 24 + 22), Box->GetItem(8)->GetItemRect());
    EXPECT_EQ(TRect(-1, -1, -1, -1), Box->GetItem(9)->GetItemRect());
    // With fewer items the bar hides again.
    Box->DropDown();
    Box->ClearItems();
    AddItems(3);
    Box->DropDown();
    EXPECT_FALSE(bar->GetVisible());
    EXPECT_EQ(24 * 3 + 4, Box->GetListForm()->GetHeight());
}

// ------------------------------------------------------------------------------------------------
// Rows: painting, choosing, checking, scrolling

TEST_F(ComboTest, PlainListFrameBackgroundAndSelectedRow) {
    ProgramSkins(3);
    Box->SetIndex(1);
    Box->DropDown();
    auto dib = RenderList();
    EXPECT_EQ(static_cast<COLORREF>(clSkyBlue), dib->Color(0, 0));
    EXPECT_EQ(static_cast<COLORREF>(clSkyBlue), dib->Color(149, 20));
    EXPECT_EQ(RGB(255, 255, 255), dib->Color(2, 2));  // bitmap at (1, 1): its pixel (1, 1) is white
    // Rows in bitmap coordinates: 2..24, 26..48, 50..72.
    EXPECT_EQ(TRect(2, 26, 148 - 2, 48), Box->GetItem(1)->GetItemRect());
    // The selected row carries the row background, the others the white fill.
    TPngImage* item = Box->GetItemFrame(0);
    const uint8_t* c = item->Scanline(11);
    const COLORREF skin = RGB(c[2], c[1], c[0]);
    EXPECT_EQ(skin, dib->Color(1 + 2, 1 + 26 + 11));
    EXPECT_EQ(RGB(255, 255, 255), dib->Color(1 + 2, 1 + 2 + 11));
}

TEST_F(ComboTest, HoverFollowsTheMouseAndOwnerDrawnRowsSkipTheDefault) {
    ProgramSkins();
    Box->SetFontItemColorNormal(RGB(0, 0, 200));
    Box->SetFontItemColorOver(RGB(200, 0, 0));
    for (int i = 0; i < 3; ++i) Box->AddItem()->SetCaption(L"WWWWWW");
    std::vector<TVeskCboxItem*> drawn;
    Box->GetItem(2)->OnDraw = [&](TCanvas* C, TVeskCboxItem* I) {
        EXPECT_NE(nullptr, C);
        drawn.push_back(I);
    };
    Box->DropDown();
    auto dib = RenderList();
    EXPECT_EQ((std::vector<TVeskCboxItem*>{Box->GetItem(2)}), drawn);
    const RECT row0{1, 1 + 2, 140, 1 + 24}, row2{1, 1 + 50, 140, 1 + 72};
    EXPECT_GT(dib->CountColor(row0, RGB(0, 0, 200)), 0);
    EXPECT_EQ(0, dib->CountColor(row2, RGB(0, 0, 200)));  // owner-drawn: no caption
    TPoint c = Centre(Box->GetItem(0)->GetItemRect());
    ToList(WM_MOUSEMOVE, c);
    EXPECT_EQ(Box->GetItem(0), Box->GetHotItem());
    dib = RenderList();
    EXPECT_EQ(0, dib->CountColor(row0, RGB(0, 0, 200)));
    EXPECT_GT(dib->CountColor(row0, RGB(200, 0, 0)), 0);
    // Between two rows nothing is hot.
    ToList(WM_MOUSEMOVE, TPoint(c.X, 25));
    EXPECT_EQ(nullptr, Box->GetHotItem());
    ToList(WM_MOUSEMOVE, c);
    Box->GetListForm()->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(nullptr, Box->GetHotItem());
}

TEST_F(ComboTest, ChoosingARowSelectsClosesAndFiresInOrder) {
    ProgramSkins(4);
    Box->OnItemClick = [&](TObject* S, TVeskCboxItem* I) {
        EXPECT_EQ(Box, S);
        EXPECT_FALSE(Box->ListShowing());
        Events.push_back(L"item " + I->GetCaption());
    };
    Box->OnChange = [&](TObject* S) { Events.push_back(L"change " + static_cast<TVeskCboxItem*>(S)->GetCaption()); };
    Box->GetItem(2)->OnClick = [&](TObject* S) { Events.push_back(L"own " + static_cast<TVeskCboxItem*>(S)->GetCaption()); };
    Open();
    ClickRow(Box->GetItem(2)->GetItemRect());
    EXPECT_EQ((std::vector<std::wstring>{L"item item 2", L"change item 2", L"own item 2"}), Events);
    EXPECT_EQ(2, Box->GetIndex());
    EXPECT_EQ(L"item 2", Box->GetText());
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_EQ(nullptr, Box->GetPressedItem());
    EXPECT_FALSE(Box->GetHot());
}

TEST_F(ComboTest, DisabledAndInvisibleRows) {
    ProgramSkins(4);
    Box->GetItem(1)->SetVisible(false);
    Box->GetItem(2)->SetEnabled(false);
    int changes = 0;
    Box->OnChange = [&](TObject*) { ++changes; };
    Open();
    // The invisible item takes no row: item 2 is the second row.
    EXPECT_EQ(26, Box->GetItem(2)->GetItemRect().Top);
    ClickRow(Box->GetItem(2)->GetItemRect());
    EXPECT_EQ(0, changes);
    EXPECT_TRUE(Box->ListShowing());
    EXPECT_EQ(nullptr, Box->GetHotItem());
    // A press on an enabled row released over the disabled one chooses nothing.
    ToList(WM_MOUSEMOVE, Centre(Box->GetItem(0)->GetItemRect()));
    ToList(WM_LBUTTONDOWN, Centre(Box->GetItem(0)->GetItemRect()), MK_LBUTTON);
    EXPECT_EQ(Box->GetItem(0), Box->GetPressedItem());
    ToList(WM_LBUTTONUP, Centre(Box->GetItem(2)->GetItemRect()));
    EXPECT_EQ(0, changes);
    EXPECT_EQ(-1, Box->GetIndex());
    EXPECT_EQ(nullptr, Box->GetPressedItem());
}

TEST_F(ComboTest, CheckBoxesToggleOnlyWhenReleasedOnTheSameBox) {
    ProgramSkins();
    Box->SetImgCheck(Strip(14, 14, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4)}).get());
    Box->SetCheckStateCount(4);
    Box->SetShowCheckBox(true);
    Box->Loaded();
    AddItems(3);
    std::vector<TVeskCboxItem*> checked;
    Box->OnItemCheck = [&](TObject*, TVeskCboxItem* I) { checked.push_back(I); };
    int changes = 0;
    Box->OnChange = [&](TObject*) { ++changes; };
    Open();
    TVeskCboxItem* it = Box->GetItem(1);
    // Check box at x 4, centred in the row.
    EXPECT_EQ(TRect(4, 26 + 4, 18, 26 + 18), it->GetCheckRect());
    ClickRow(it->GetCheckRect());
    EXPECT_TRUE(it->GetChecked());
    EXPECT_EQ((std::vector<TVeskCboxItem*>{it}), checked);
    EXPECT_EQ(0, changes);
    EXPECT_TRUE(Box->ListShowing());
    EXPECT_EQ(it, Box->GetHotCheckItem());
    // Hot and checked: frame 3.
    auto dib = RenderList();
    EXPECT_EQ(RGB(4, 4, 4), dib->Color(1 + 10, 1 + 26 + 10));
    // Pressed on the box, released elsewhere: no toggle, and the press is forgotten.
    ToList(WM_LBUTTONDOWN, Centre(it->GetCheckRect()), MK_LBUTTON);
    ToList(WM_LBUTTONUP, TPoint(80, 5));
    EXPECT_TRUE(it->GetChecked());
    EXPECT_EQ(nullptr, Box->GetPressedCheckItem());
    EXPECT_EQ(1u, checked.size());
}

TEST_F(ComboTest, WheelScrollsByOneAndStopsAtBothEnds) {
    ProgramSkins(12);
    Box->SetVerScrollRes(MakeRes());
    Box->DropDown();
    TVeskPngScrollBar* bar = Box->GetPngScrollBar();
    ASSERT_NE(nullptr, bar);
    // Notches and the top row after them; 4 = 12 - 8 is the last page.
    for (auto [delta, times, top] : {std::tuple{-120, 1, 1}, {-120, 6, 4}, {120, 1, 3}, {120, 5, 0}}) {
        Wheel(delta, times);
        EXPECT_EQ(top, bar->GetPosition());
        EXPECT_EQ(Box->GetItem(top), Box->GetTopItem());
    }
    RenderList();
    EXPECT_EQ(2, Box->GetItem(0)->GetItemRect().Top);
    // The bar's own scrolling moves the top row as well.
    int pos = 3;
    bar->DoScroll(pos);
    EXPECT_EQ(Box->GetItem(3), Box->GetTopItem());
    RenderList();
    EXPECT_EQ(2, Box->GetItem(3)->GetItemRect().Top);
}

// ------------------------------------------------------------------------------------------------
// The layered list

TEST_F(ComboTest, LayeredListUsesSkinAndWindowlessBar) {
    ProgramSkins();
    Box->SetImgForm(Skin(L"hint_back").get());
    Box->GetFormsplit()->SetLeft(8);
    Box->GetFormsplit()->SetTop(8);
    Box->GetFormsplit()->SetRight(14);
    Box->GetFormsplit()->SetBottom(14);
    Box->SetAlphaWidth(3);
    Box->SetVerScrollRes(MakeRes());
    AddItems(10);
    Box->SetIndex(0);
    Box->DropDown();
    TVeskListForm* f = Box->GetListForm();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_TRUE(GetWindowLongW(f->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    const int w = f->GetWidth(), h = f->GetHeight();
    EXPECT_EQ(24 * 8 + 12 + 2 * 3, h);
    TVeskDirectUIScrollBar* bar = Box->GetDirectScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(nullptr, Box->GetPngScrollBar());
    EXPECT_TRUE(bar->GetVisible());
    EXPECT_EQ(w - bar->GetWidth() - 2 - 3, bar->GetLeft());
    EXPECT_EQ(3 + 6, bar->GetTop());
    EXPECT_EQ(h - 2 * (3 + 6), bar->GetHeight());
    // Rows start below the skin's margin and stop before the bar.
    EXPECT_EQ(TRect(3, 9, w - 3 - (bar->GetWidth() + 2 + 3), 31), Box->GetItem(0)->GetItemRect());
    // The picture: the skin's transparent corner stays transparent, the bar is painted in.
    TBitmap* bmp = Box->GetLayerBitmap();
    ASSERT_EQ(w, bmp->GetWidth());
    ASSERT_EQ(h, bmp->GetHeight());
    TPngPtr back = Skin(L"hint_back");
    ASSERT_TRUE(back->HasAlpha());
    EXPECT_EQ(back->AlphaScanline(0)[0], bmp->ScanLine(0)[3]);
    const int bx = bar->GetLeft() + bar->GetWidth() / 2, by = bar->GetTop() + 2;
    EXPECT_EQ(255, bmp->ScanLine(by)[bx * 4 + 3]);
    // A wheel step repaints with the next top row.
    Wheel(-120);
    EXPECT_EQ(Box->GetItem(1), Box->GetTopItem());
    EXPECT_EQ(9, Box->GetItem(1)->GetItemRect().Top);
}

// ------------------------------------------------------------------------------------------------
// Closing and tear-down

TEST_F(ComboTest, ApplicationDeactivationClosesTheList) {
    ProgramSkins(3);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    Application->ActivateApp(false);
    EXPECT_FALSE(Box->ListShowing());
    Application->ActivateApp(true);
    // A freed box no longer listens.
    Box->DropDown();
    Box->Free();
    Application->ActivateApp(false);
    Application->ActivateApp(true);
}

TEST_F(ComboTest, DeactivatingTheListClosesItOrAsksOnLostFocus) {
    ProgramSkins(3);
    Form->Show();
    PumpMessagesFor(30);
    std::vector<WPARAM> ncActivate;
    TWndMethodProc saved = Form->WindowProc;
    Form->WindowProc = [&ncActivate, saved](TMessage& m) {
        if (m.Msg == WM_NCACTIVATE) ncActivate.push_back(m.WParam);
        saved(m);
    };
    Box->DropDown();
    PumpMessagesFor(50);
    ASSERT_TRUE(Box->ListShowing());
    // The owner keeps its active title bar while its list is active.
    ASSERT_EQ(List(), GetActiveWindow());
    ASSERT_FALSE(ncActivate.empty());
    EXPECT_NE(0u, ncActivate.back());
    Form->WindowProc = saved;
    SetActiveWindow(Form->GetHandle());
    PumpMessagesFor(50);
    EXPECT_FALSE(Box->ListShowing());

    int lost = 0;
    Box->OnLostFocus = [&](TObject* S) {
        EXPECT_EQ(Box, S);
        ++lost;
    };
    Box->DropDown();
    PumpMessagesFor(50);
    SetActiveWindow(List());
    PumpMessagesFor(30);
    SetActiveWindow(Form->GetHandle());
    PumpMessagesFor(50);
    EXPECT_GE(lost, 1);
    EXPECT_TRUE(Box->ListShowing());
}

TEST_F(ComboTest, FreeingTheBoxWhileOpenOrFromAnItemHandlerRemovesTheListWindow) {
    for (bool fromHandler : {false, true}) {
        if (fromHandler) Box = testsupport::AddControl<TVeskCombobox>(Form, 20, 30, 150, 25);
        const std::shared_ptr<bool> alive = Box->AliveToken();
        ProgramSkins(3);
        Box->OnItemClick = [&](TObject*, TVeskCboxItem*) { Box->Free(); };
        Open();
        const HWND h = List();
        ASSERT_TRUE(IsWindow(h));
        if (fromHandler)
            ClickRow(Box->GetItem(1)->GetItemRect());
        else
            Box->Free();
        EXPECT_FALSE(*alive);
        PumpMessagesFor(30);
        EXPECT_FALSE(IsWindow(h)) << fromHandler;
    }
}

TEST_F(ComboTest, RemovedImageListAndResourceAreForgotten) {
    auto* images = new TVeskStdImageList(Form);
    TVeskScrollBarRes* res = MakeRes();
    Box->SetImagelist(images);
    Box->SetVerScrollRes(res);
    images->Free();
    res->Free();
    EXPECT_EQ(nullptr, Box->GetImagelist());
    EXPECT_EQ(nullptr, Box->GetVerScrollRes());
    AddItems(10);
    Box->DropDown();
    EXPECT_EQ(nullptr, Box->GetPngScrollBar());
}

TEST_F(ComboTest, EditableBoxShowsEditAndTakesItsText) {
    TestSkins();
    Box->SetCanInput(true);
    Box->Loaded();
    TVeskComBoBoxEdit* e = Box->GetEdit();
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(Form, e->GetParent());
    EXPECT_FALSE(e->GetVisible());
    EXPECT_EQ(20 + 6, e->GetLeft());
    EXPECT_EQ(20 + 127 - 2, e->GetLeft() + e->GetWidth());
    Box->SetText(L"abc");
    Hover(50, 12);
    Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(50, 12));
    EXPECT_TRUE(e->GetVisible());
    EXPECT_EQ(L"abc", e->GetText());
    wchar_t got = 0;
    TObject* sender = nullptr;
    Box->OnKeyPress = [&](TObject* S, wchar_t& K) {
        sender = S;
        got = K;
    };
    wchar_t k = L'x';
    e->OnKeyPress(e, k);
    EXPECT_EQ(e, sender);
    EXPECT_EQ(L'x', got);
    e->SetText(L"typed");
    e->OnExit(e);
    EXPECT_FALSE(e->GetVisible());
    EXPECT_EQ(L"typed", Box->GetText());
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// Items going away while the box uses them

TEST_F(ComboTest, ClearingTheItemsWhileOpenClosesTheList) {
    ProgramSkins(3);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    Box->ClearItems();
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_EQ(nullptr, Box->GetHotItem());
    // Refilled, the box opens and closes as before.
    AddItems(2);
    Box->DropDown();
    EXPECT_TRUE(Box->ListShowing());
    Box->DropDown();
    EXPECT_FALSE(Box->ListShowing());
}

TEST_F(ComboTest, AnItemFreedOnItsOwnLeavesTheBox) {
    ProgramSkins(3);
    Box->SetIndex(1);
    TVeskCboxItem* gone = Box->GetItem(1);
    delete gone;
    EXPECT_EQ(2, Box->GetItemCount());
    EXPECT_EQ(-1, Box->GetIndex());
    EXPECT_EQ(nullptr, Box->GetSelectedItem());
    EXPECT_EQ(L"item 2", Box->GetItem(1)->GetCaption());
    EXPECT_EQ(1, Box->GetItem(1)->GetIndex());
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    RenderList();
    EXPECT_EQ(2 + 24, Box->GetItem(1)->GetItemRect().Top);
}

TEST_F(ComboTest, RefilledListStartsItsScrollBarAtTheTop) {
    ProgramSkins(12);
    Box->SetVerScrollRes(MakeRes());
    Box->DropDown();
    TVeskPngScrollBar* bar = Box->GetPngScrollBar();
    ASSERT_NE(nullptr, bar);
    Wheel(-120, 3);
    EXPECT_EQ(3, bar->GetPosition());
    Box->ClearItems();
    AddItems(12);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_EQ(0, bar->GetPosition());
    // One notch down shows the second item first, not one past the old position.
    Wheel(-120);
    EXPECT_EQ(Box->GetItem(1), Box->GetTopItem());
}

TEST_F(ComboTest, ItemHandlerThatRefillsTheListStopsTheLaterEvents) {
    ProgramSkins(3);
    int changes = 0, clicks = 0;
    Box->OnItemClick = [&](TObject*, TVeskCboxItem*) {
        Box->ClearItems();
        AddItems(2);
    };
    Box->OnChange = [&](TObject*) { ++changes; };
    Box->GetItem(1)->OnClick = [&](TObject*) { ++clicks; };
    Open();
    ClickRow(Box->GetItem(1)->GetItemRect());
    EXPECT_EQ(0, changes);
    EXPECT_EQ(0, clicks);
    EXPECT_EQ(2, Box->GetItemCount());
    EXPECT_EQ(nullptr, Box->GetPressedItem());
    EXPECT_FALSE(Box->ListShowing());
}

TEST_F(ComboTest, OwnerDrawHandlerThatClearsTheItemsEndsThePainting) {
    ProgramSkins(4);
    int draws = 0;
    Box->DropDown();
    for (int i = 0; i < 4; ++i)
        Box->GetItem(i)->OnDraw = [&](TCanvas*, TVeskCboxItem*) {
            ++draws;
            Box->ClearItems();
        };
    RenderList();
    EXPECT_EQ(1, draws);
    EXPECT_EQ(0, Box->GetItemCount());
}
