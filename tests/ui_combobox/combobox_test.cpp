// The skinned combo box: items, skins and painting, opening and placing the list, choosing, checking and
// scrolling rows, the layered list, closing on deactivation, and tear-down while open.
#include "VeskCombobox.h"
#include "VeskDrawing.h"
#include "skin_resources.h"
#include "window_test.h"

#include <memory>
#include <string>
#include <vector>

using namespace fw;
using namespace testsupport;

namespace {

const std::vector<COLORREF> kBox = {RGB(200, 10, 10), RGB(200, 20, 20), RGB(200, 30, 30), RGB(200, 40, 40)};
const std::vector<COLORREF> kBtn = {RGB(10, 200, 10), RGB(20, 200, 20), RGB(30, 200, 30), RGB(40, 200, 40)};
const std::vector<COLORREF> kExtra = {RGB(10, 10, 200), RGB(20, 20, 200), RGB(30, 30, 200), RGB(40, 40, 200)};

class ComboTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 600));
        Form = NewForm(300, 200, clWhite, 10, 10);
        Box = AddControl<TVeskCombobox>(Form, 20, 30, 150, 25);
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
    TVeskScrollBarRes* MakeRes() { return ScrollSkinRes(Form); }
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
        for (auto [msg, w] :
             {std::pair<UINT, WPARAM>{WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}})
            SendMessageW(h, msg, w, at);
    }

    TPlainForm* Form = nullptr;
    std::shared_ptr<bool> BoxAlive;
    TVeskCombobox* Box = nullptr;
    std::vector<std::wstring> Events;
};

// --- Items and selection ------------------------------------------------------------------------

TEST_F(ComboTest, SetIndexRefusesOutOfRangeAndAlwaysFiresForValid) {
    AddItems(3);
    std::vector<TObject*> senders;
    Box->OnChange = [&](TObject* S) { senders.push_back(S); };
    Box->SetIndex(-1);
    Box->SetIndex(3);
    EXPECT_TRUE(senders.empty());
    EXPECT_EQ(-1, Box->GetIndex());
    Box->SetIndex(0);
    Box->SetIndex(0);
    EXPECT_EQ((std::vector<TObject*>{Box->GetItem(0), Box->GetItem(0)}), senders);
    EXPECT_EQ(L"item 0", Box->GetText());
}

// --- Skin preparation and the box's painting ----------------------------------------------------

TEST_F(ComboTest, PaintDrawsStateFramesAndTextColour) {
    Box->SetText(L"WWWW");
    Box->SetFontColorNormal(RGB(0, 0, 255));
    Box->SetFontColorOver(RGB(0, 255, 255));
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
    dib = Render(Form);
    EXPECT_EQ(kBox[1], dib->Color(bx + 1, by + 1));
    EXPECT_EQ(kBtn[1], dib->Color(bx + 138, by + 12));
    EXPECT_GT(dib->CountColor(text, RGB(0, 255, 255)), 0);
    // Disabled: frame 3 everywhere.
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    Box->SetEnabled(false);
    dib = Render(Form);
    EXPECT_EQ(kBox[3], dib->Color(bx + 1, by + 1));
    EXPECT_EQ(kBtn[3], dib->Color(bx + 138, by + 12));
    EXPECT_EQ(kExtra[3], dib->Color(bx + 117, by + 12));
}

TEST_F(ComboTest, ExtraButtonPlaceClickAndHint) {
    TestSkins();
    Box->SetExtraBtn(true);
    // Just left of the drop button (127..149).
    EXPECT_EQ(TRect(109, 5, 125, 21), Box->GetExtraRect());
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
    Box->Perform(WM_LBUTTONUP, 0, Pt(117, 12));
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(0, btn);
    // Leaving the box straight from the extra button gives the box its hint back.
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(L"own", Box->GetHint());
    EXPECT_FALSE(Box->GetHot() || Box->GetExtraHot());
    // On the left, moved in by the offset with the drop button.
    Box->SetExtraBtnLeft(true);
    Box->SetBtnOffSet(3);
    EXPECT_EQ(TRect(5, 5, 21, 21), Box->GetExtraRect());
    EXPECT_EQ(TRect(124, 2, 146, 24), Box->GetBtnRect());
}

// --- The editable box ---------------------------------------------------------------------------

TEST_F(ComboTest, EditableBoxShowsItsEditOnAPressAndTakesTheTypedTextWhenLeft) {
    Box->SetCanInput(true);
    TestSkins();  // box 150 x 26 at (20, 30), drop button 22 wide at the right edge
    TVeskComBoBoxEdit* edit = Box->GetEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetParent(), Form);
    // From 6 pixels in to 2 pixels before the drop button, centred in height.
    const int top = 30 + (26 - edit->GetHeight()) / 2;
    EXPECT_EQ(edit->GetBoundsRect(), TRect(20 + 6, top, 20 + 149 - 22 - 2, top + edit->GetHeight()));
    Box->SetText(L"old");
    std::wstring keys;
    Box->OnKeyPress = [&](TObject* S, wchar_t& K) { keys += S == edit ? K : L'?'; };
    // A press on the drop button leaves the edit hidden; one on the text shows it with the text.
    ClickBox(138, 13);
    EXPECT_FALSE(edit->GetVisible());
    ClickBox(40, 13);
    ASSERT_TRUE(edit->GetVisible());
    SendMessageW(edit->GetHandle(), WM_KEYDOWN, VK_END, 0);
    SendMessageW(edit->GetHandle(), WM_CHAR, L'x', 0);
    EXPECT_EQ(keys, L"x");
    EXPECT_EQ(edit->GetText(), L"oldx");
    EXPECT_EQ(Box->GetText(), L"old") << "the box takes the text when the edit is left";
    edit->Perform(CM_EXIT, 0, 0);
    EXPECT_FALSE(edit->GetVisible());
    EXPECT_EQ(Box->GetText(), L"oldx");
}

// --- Opening the list ---------------------------------------------------------------------------

TEST_F(ComboTest, ProgramSkinsShapeTheBoxAClickOpensBelowOrAboveAndASecondCloses) {
    Box->SetHeight(40);
    ProgramSkins();
    EXPECT_EQ(150, Box->GetBoxFrame(0)->GetWidth());
    EXPECT_EQ(26, Box->GetHeight());  // the box frame's height
    // Button 22 x 22: centred in 26, right edge one pixel in.
    EXPECT_EQ(TRect(127, 2, 149, 24), Box->GetBtnRect());
    EXPECT_EQ(146, Box->GetItemFrame(0)->GetWidth());
    Box->DropDown();
    EXPECT_EQ(nullptr, Box->GetListForm()) << "no items, no list";
    AddItems(3);
    Box->OnbtnClick = [&](TObject*) { Events.push_back(Box->ListShowing() ? L"btn open" : L"btn closed"); };
    ClickBox(138, 12);
    ASSERT_TRUE(Box->ListShowing());
    TVeskListForm* f = Box->GetListForm();
    // As wide as the box, three rows high, below the box at its left edge.
    EXPECT_EQ(TRect(30, 10 + 30 + 26, 30 + 150, 10 + 30 + 26 + 24 * 3 + 4), f->GetBoundsRect());
    EXPECT_EQ(Form->GetHandle(), GetWindow(f->GetHandle(), GW_OWNER));
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(f->GetHandle(), WM_MOUSEACTIVATE, 0, 0));
    ClickBox(60, 12);
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_EQ((std::vector<std::wstring>{L"btn closed", L"btn open"}), Events);
    // A press released after dragging off the box opens nothing.
    Hover(60, 12);
    Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 12));
    EXPECT_TRUE(Box->GetDown());
    Box->Perform(CM_MOUSELEAVE, 0, 0);
    Box->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(60, 80));
    Box->Perform(WM_LBUTTONUP, 0, Pt(60, 80));
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_FALSE(Box->GetDown());
    // Near the bottom of the work area the list opens upward.
    Screen->SetWorkAreaRect(TRect(0, 0, 800, 120));
    Box->DropDown();
    EXPECT_TRUE(Box->GetDropUp());
    EXPECT_EQ(10 + 30 - (24 * 3 + 4), f->GetTop());
}

// --- Rows: painting, choosing, checking, scrolling ----------------------------------------------

TEST_F(ComboTest, RowsShowFrameSelectionAndHoverAndOwnerDrawnRowsSkipTheDefault) {
    ProgramSkins();
    Box->SetFontItemColorNormal(RGB(0, 0, 200));
    Box->SetFontItemColorOver(RGB(200, 0, 0));
    for (int i = 0; i < 3; ++i) Box->AddItem()->SetCaption(L"WWWWWW");
    std::vector<TVeskCboxItem*> drawn;
    Box->GetItem(2)->OnDraw = [&](TCanvas* C, TVeskCboxItem* I) {
        EXPECT_NE(nullptr, C);
        drawn.push_back(I);
    };
    Box->SetIndex(1);
    Box->DropDown();
    auto dib = RenderList();
    EXPECT_EQ((std::vector<TVeskCboxItem*>{Box->GetItem(2)}), drawn);
    // The frame in sky blue; rows in bitmap coordinates 2..24, 26..48, 50..72 (the bitmap at (1, 1)).
    EXPECT_EQ(static_cast<COLORREF>(clSkyBlue), dib->Color(0, 0));
    EXPECT_EQ(TRect(2, 26, 148 - 2, 48), Box->GetItem(1)->GetItemRect());
    // The selected row carries the row background, the others the white fill.
    const uint8_t* c1 = Box->GetItemFrame(0)->Scanline(11);
    EXPECT_EQ(RGB(c1[2], c1[1], c1[0]), dib->Color(1 + 2, 1 + 26 + 11));
    EXPECT_EQ(RGB(255, 255, 255), dib->Color(1 + 2, 1 + 2 + 11));
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
    Box->GetItem(2)->OnClick = [&](TObject* S) {
        Events.push_back(L"own " + static_cast<TVeskCboxItem*>(S)->GetCaption());
    };
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
    Open();
    TVeskCboxItem* it = Box->GetItem(1);
    // Check box at x 4, centred in the row; a click on it checks without choosing the row.
    EXPECT_EQ(TRect(4, 26 + 4, 18, 26 + 18), it->GetCheckRect());
    ClickRow(it->GetCheckRect());
    EXPECT_TRUE(it->GetChecked());
    EXPECT_EQ((std::vector<TVeskCboxItem*>{it}), checked);
    EXPECT_EQ(-1, Box->GetIndex());
    EXPECT_TRUE(Box->ListShowing());
    // Pressed on the box, released elsewhere: no toggle, and the press is forgotten.
    ToList(WM_LBUTTONDOWN, Centre(it->GetCheckRect()), MK_LBUTTON);
    ToList(WM_LBUTTONUP, TPoint(80, 5));
    EXPECT_TRUE(it->GetChecked());
    EXPECT_EQ(nullptr, Box->GetPressedCheckItem());
    EXPECT_EQ(1u, checked.size());
}

TEST_F(ComboTest, EightRowsShowAndABarOnlyWithResourceThatTheWheelStepsByOne) {
    ProgramSkins(12);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_EQ(24 * 8 + 4, Box->GetListForm()->GetHeight());
    EXPECT_EQ(nullptr, Box->GetPngScrollBar());
    Box->DropDown();
    Box->SetVerScrollRes(MakeRes());
    Box->DropDown();
    TVeskPngScrollBar* bar = Box->GetPngScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(11, bar->GetMax());
    EXPECT_EQ(8, bar->GetPageSize());
    const int w = Box->GetListForm()->GetWidth(), h = Box->GetListForm()->GetHeight();
    EXPECT_EQ(TRect(w - bar->GetWidth() - 1, 1, w - 1, h - 1), bar->GetBoundsRect());
    // Nine rows are laid out (the ninth cut off below the window); the bar is left out of them.
    RenderList();
    EXPECT_EQ(TRect(2, 2 + 8 * 24, w - 2 - 15 - 2, 2 + 8 * 24 + 22), Box->GetItem(8)->GetItemRect());
    EXPECT_EQ(TRect(-1, -1, -1, -1), Box->GetItem(9)->GetItemRect());
    // Notches and the top row after them; 4 = 12 - 8 is the last page.
    for (auto [delta, times, top] : {std::tuple{-120, 1, 1}, {-120, 6, 4}, {120, 1, 3}, {120, 5, 0}, {-120, 2, 2}}) {
        Wheel(delta, times);
        EXPECT_EQ(top, bar->GetPosition());
        EXPECT_EQ(Box->GetItem(top), Box->GetTopItem());
    }
    RenderList();
    EXPECT_EQ(2, Box->GetItem(2)->GetItemRect().Top);
    // Refilled, the bar starts at the top: one notch down shows the second item first.
    Box->ClearItems();
    AddItems(12);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_EQ(0, bar->GetPosition());
    Wheel(-120);
    EXPECT_EQ(Box->GetItem(1), Box->GetTopItem());
    // With fewer items the bar hides again.
    Box->DropDown();
    Box->ClearItems();
    AddItems(3);
    Box->DropDown();
    EXPECT_FALSE(bar->GetVisible());
    EXPECT_EQ(24 * 3 + 4, Box->GetListForm()->GetHeight());
}

// --- The layered list ---------------------------------------------------------------------------

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
    Box->DropDown();
    TVeskListForm* f = Box->GetListForm();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_TRUE(GetWindowLongW(f->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    const int w = f->GetWidth(), h = f->GetHeight();
    EXPECT_EQ(24 * 8 + 12 + 2 * 3, h);
    TVeskDirectUIScrollBar* bar = Box->GetDirectScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(TRect(w - bar->GetWidth() - 2 - 3, 3 + 6, w - 2 - 3, h - 3 - 6), bar->GetBoundsRect());
    // Rows start below the skin's margin and stop before the bar.
    EXPECT_EQ(TRect(3, 9, w - 3 - (bar->GetWidth() + 2 + 3), 31), Box->GetItem(0)->GetItemRect());
    // The picture: the bar is painted in, opaque; a wheel step repaints with the next top row.
    TBitmap* bmp = Box->GetLayerBitmap();
    EXPECT_EQ(255, bmp->ScanLine(bar->GetTop() + 2)[(bar->GetLeft() + bar->GetWidth() / 2) * 4 + 3]);
    Wheel(-120);
    EXPECT_EQ(Box->GetItem(1), Box->GetTopItem());
    EXPECT_EQ(9, Box->GetItem(1)->GetItemRect().Top);
}

// --- Closing and tear-down ----------------------------------------------------------------------

TEST_F(ComboTest, DeactivatingTheApplicationOrTheListClosesItOrAsksOnLostFocus) {
    ProgramSkins(3);
    Form->Show();
    PumpMessagesFor(30);
    Box->DropDown();
    PumpMessagesFor(50);
    ASSERT_TRUE(Box->ListShowing());
    ASSERT_EQ(List(), GetActiveWindow());
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
    Application->ActivateApp(false);
    EXPECT_FALSE(Box->ListShowing());
    Application->ActivateApp(true);
    // A freed box no longer listens.
    const int listeners = Application->OnDeactivate.Count();
    Box->DropDown();
    Box->Free();
    EXPECT_EQ(Application->OnDeactivate.Count(), listeners - 1);
    Application->ActivateApp(false);
    Application->ActivateApp(true);
}

TEST_F(ComboTest, FreeingTheBoxWhileOpenOrFromAnItemHandlerRemovesTheListWindow) {
    for (bool fromHandler : {false, true}) {
        if (fromHandler) Box = AddControl<TVeskCombobox>(Form, 20, 30, 150, 25);
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

TEST_F(ComboTest, ARemovedScrollResourceIsForgotten) {
    TVeskScrollBarRes* res = MakeRes();
    Box->SetVerScrollRes(res);
    res->Free();
    EXPECT_EQ(nullptr, Box->GetVerScrollRes());
    AddItems(10);
    Box->DropDown();
    EXPECT_EQ(nullptr, Box->GetPngScrollBar());
}

}  // namespace

// --- Items going away while the box uses them ---------------------------------------------------

TEST_F(ComboTest, ClearingTheItemsWhileOpenClosesTheListAndAFreedItemLeavesTheBox) {
    ProgramSkins(3);
    Box->DropDown();
    ASSERT_TRUE(Box->ListShowing());
    Box->ClearItems();
    EXPECT_FALSE(Box->ListShowing());
    EXPECT_EQ(nullptr, Box->GetHotItem());
    // Refilled, the box opens as before; an item freed on its own (here the selected one) leaves it.
    AddItems(3);
    Box->SetIndex(1);
    delete Box->GetItem(1);
    EXPECT_EQ(2, Box->GetItemCount());
    EXPECT_EQ(-1, Box->GetIndex());
    EXPECT_EQ(nullptr, Box->GetSelectedItem());
    EXPECT_EQ(1, Box->GetItem(1)->GetIndex());
    Open();
    ASSERT_TRUE(Box->ListShowing());
    EXPECT_EQ(2 + 24, Box->GetItem(1)->GetItemRect().Top);
}

TEST_F(ComboTest, ItemHandlerThatRefillsTheListStopsTheLaterEvents) {
    ProgramSkins(3);
    int changes = 0, clicks = 0;
    Box->OnItemClick = [&](TObject*, TVeskCboxItem*) {
        Box->ClearItems();
        AddItems(4);
    };
    Box->OnChange = [&](TObject*) { ++changes; };
    Box->GetItem(1)->OnClick = [&](TObject*) { ++clicks; };
    Open();
    ClickRow(Box->GetItem(1)->GetItemRect());
    EXPECT_EQ(0, changes);
    EXPECT_EQ(0, clicks);
    EXPECT_EQ(4, Box->GetItemCount());
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

// --- Keyboard -----------------------------------------------------------------------------------

TEST_F(ComboTest, AFocusedBoxSelectsWithTheArrowsHomeAndEndAndOpensWithAltDownOrF4) {
    ProgramSkins(5);
    Box->GetItem(3)->SetVisible(false);
    Box->GetItem(1)->SetEnabled(false);
    Box->SetTabStop(true);
    int changes = 0, btnClicks = 0, itemClicks = 0;
    Box->OnChange = [&](TObject*) { ++changes; };
    Box->OnItemClick = [&](TObject*, TVeskCboxItem* Item) { itemClicks += Item == Box->GetSelectedItem(); };
    Box->OnbtnClick = [&](TObject*) { ++btnClicks; };
    Form->Show();
    Form->SetFocus();
    Box->SetFocus();
    Pump(30);
    ASSERT_TRUE(Box->Focused());
    // Hidden (3) and disabled (1) items are passed over; the ends stay put.
    const std::pair<WORD, int> steps[] = {{VK_DOWN, 0}, {VK_DOWN, 2}, {VK_DOWN, 4}, {VK_DOWN, 4}, {VK_UP, 2},
                                          {VK_UP, 0},   {VK_UP, 0},   {VK_END, 4},  {VK_HOME, 0}, {'A', 0}};
    for (const auto& [vk, index] : steps) {
        SendMessageW(Form->GetHandle(), WM_KEYDOWN, vk, 1);
        EXPECT_EQ(Box->GetIndex(), index) << vk;
    }
    // A key choice raises what a choice in the list raises.
    EXPECT_EQ(changes, 7);
    EXPECT_EQ(itemClicks, 7);
    const struct { UINT msg; WORD vk; bool open; } opens[] = {
        {WM_KEYDOWN, VK_F4, true}, {WM_KEYDOWN, VK_F4, false}, {WM_SYSKEYDOWN, VK_DOWN, true}};
    for (const auto& o : opens) {
        SendMessageW(Form->GetHandle(), o.msg, o.vk, o.msg == WM_SYSKEYDOWN ? 0x20000001 : 1);
        EXPECT_EQ(Box->ListShowing(), o.open) << o.vk;
    }
    EXPECT_EQ(btnClicks, 3);
}
