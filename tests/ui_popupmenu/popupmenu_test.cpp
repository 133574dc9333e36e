// The skinned popup menu: shortcuts (and their text), clicks and radio groups, popping up and
// closing, measuring and painting the levels, submenus, scrolling and its repeat.
#include <gtest/gtest.h>

#include "VeskDrawing.h"
#include "VeskPopupMenu.h"
#include "fw_forms.h"
#include "fw_shortcuts.h"
#include "skin_support.h"
#include "window_test.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace fw;
using testsupport::Pt;
using testsupport::Pump;
using testsupport::Skin;
using Ev = std::vector<std::wstring>;

namespace {

TVeskMenuItem* NewItem(const std::wstring& Caption, TVeskMenuItem* Parent = nullptr) {
    auto* i = new TVeskMenuItem();
    i->SetCaption(Caption);
    if (Parent) Parent->InsertItem(i, -1);
    return i;
}

uint32_t PixelAt(TBitmap* Bmp, int X, int Y) {
    GdiFlush();
    return reinterpret_cast<const uint32_t*>(Bmp->ScanLine(Y))[X];
}

class PopupMenuTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 600));
        Form = NewForm(200, 150, clWhite, 10, 10);
        Menu = new TVeskPopupMenu(Form);
        Menu->OnMenuClose = [this](TObject*) { Events.push_back(L"close"); };
        Menu->OnPopup = [this](TObject*) { Events.push_back(L"popup"); };
        ApplySkins();
    }
    // The skins and values of the program's menus; a white background makes items stand out.
    void ApplySkins(bool WhiteBackground = false) {
        Menu->SetAlphaWidth(5);
        Menu->SetMenuBarWidth(40);
        auto split = [](auto* S, int L, int T, int R, int B) {
            S->SetLeft(L), S->SetTop(T), S->SetRight(R), S->SetBottom(B);
        };
        split(Menu->GetImgSplit(), 16, 6, 20, 15);
        split(Menu->GetItemSplit(), 2, 2, 5, 5);
        Menu->SetItemHeight(25);
        Menu->SetItemStateCount(3);
        Menu->SetSubArrowStateCount(3);
        Menu->SetImgBack(WhiteBackground ? testsupport::Strip(36, 21, {RGB(255, 255, 255)}).get()
                                         : Skin(L"menu_back").get());
        Menu->SetImgItem(Skin(L"menu_item").get());
        Menu->SetImgBtnUpDown(Skin(L"menu_updown").get());
        Menu->SetImgLine(Skin(L"menu_line").get());
        Menu->SetImgSubArrow(Skin(L"menu_arrow").get());
        Menu->SetImgCheck(Skin(L"menu_check").get());
        Menu->SetImgRadio(Skin(L"menu_radio").get());
        Menu->Loaded();
    }
    TVeskMenuItem* Add(const std::wstring& Caption) {
        TVeskMenuItem* i = NewItem(Caption);
        Menu->InsertItem(i, -1);
        return i;
    }
    HWND Level(int L) { return Menu->GetLevelForm(L) ? Menu->GetLevelForm(L)->GetHandle() : nullptr; }
    static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
    static TPoint Centre(TVeskMenuItem* I) { return Centre(I->GetItemRect()); }
    void Move(int L, TPoint P) { SendMessageW(Level(L), WM_MOUSEMOVE, 0, Pt(P.X, P.Y)); }
    TVeskMenuItem* Hover(int L, TPoint P) {
        Move(L, P);
        return Menu->GetHotItem();
    }
    void Down(int L, TPoint P) { SendMessageW(Level(L), WM_LBUTTONDOWN, MK_LBUTTON, Pt(P.X, P.Y)); }
    void Up(int L, TPoint P) { SendMessageW(Level(L), WM_LBUTTONUP, 0, Pt(P.X, P.Y)); }
    void Click(int L, TPoint P) {
        HWND h = Level(L);
        Move(L, P);
        Down(L, P);
        if (IsWindow(h)) SendMessageW(h, WM_LBUTTONUP, 0, Pt(P.X, P.Y));
    }

    testsupport::TPlainForm* Form = nullptr;
    TVeskPopupMenu* Menu = nullptr;
    Ev Events;
};

// ------------------------------------------------------------------------------------------------
// Shortcuts

TEST(ShortCuts, TextAndCodes) {
    // Modifiers are read in any order and case and written in a fixed order.
    const struct {
        const wchar_t* Text;
        TShortCut Code;
        const wchar_t* Written;
    } cases[] = {
        {L"None", 0, L""},
        {L"", 0, L""},
        {L"Ctrl+", 0, L""},
        {L"NoSuchKey", 0, L""},
        {L"F1", VK_F1, L"F1"},
        {L"Ctrl+S", TShortCut(scCtrl | 'S'), L"Ctrl+S"},
        {L"alt+SHIFT+ctrl+del", TShortCut(scShift | scCtrl | scAlt | VK_DELETE), L"Shift+Ctrl+Alt+Del"},
        {L"Alt+F12", TShortCut(scAlt | VK_F12), L"Alt+F12"},
        {L"Enter", VK_RETURN, L"Enter"},
        {L"Esc", VK_ESCAPE, L"Esc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Code, TextToShortCut(c.Text)) << testing::PrintToString(std::wstring(c.Text));
        EXPECT_EQ(c.Written, ShortCutToText(c.Code));
    }
    // A key without a name gives no text at all, modifiers included.
    EXPECT_EQ(L"", ShortCutToText(scCtrl | 0xFF));
}

TEST(ShortCuts, EveryNamedKeyRoundTrips) {
    int named = 0;
    for (int key = 0; key <= 0xFF; ++key) {
        for (TShortCut mods : {TShortCut(0), scShift, TShortCut(scCtrl | scAlt)}) {
            TShortCut code = static_cast<TShortCut>(mods | key);
            std::wstring text = ShortCutToText(code);
            if (text.empty()) continue;
            ++named;
            EXPECT_EQ(code, TextToShortCut(text)) << key;
        }
    }
    // Letters, digits and the function keys at least.
    EXPECT_GE(named, 3 * (26 + 10 + 24));
}


TEST_F(PopupMenuTest, ShortCutsRegisteredAtInsertInPreOrderRunEnabledItemsOnly) {
    Ev ran;
    auto* top = NewItem(L"top");
    auto* sub = NewItem(L"sub", top);
    auto* subsub = NewItem(L"subsub", sub);
    auto* off = NewItem(L"off", top);
    off->SetEnabled(false);
    auto* hidden = NewItem(L"hidden", top);
    hidden->SetVisible(false);
    top->SetShortCut(TextToShortCut(L"Ctrl+T"));
    sub->SetShortCut(TextToShortCut(L"F2"));
    subsub->SetShortCut(TextToShortCut(L"F2"));  // same key: the first registered wins
    off->SetShortCut(TextToShortCut(L"F4"));
    hidden->SetShortCut(TextToShortCut(L"F5"));
    for (auto* i : {top, sub, subsub, off, hidden})
        i->OnClick = [&ran](TObject* s) { ran.push_back(static_cast<TVeskMenuItem*>(s)->GetCaption()); };
    Menu->InsertItem(top, -1);
    // Given after the item was inserted: not registered.
    TVeskMenuItem* late = Add(L"late");
    late->SetShortCut(TextToShortCut(L"F3"));
    late->OnClick = top->OnClick;
    Menu->HandleShortCut(TShiftState(), VK_F2);
    Menu->HandleShortCut(ssCtrl, 'T');
    Menu->HandleShortCut(ssShift, 'T');  // wrong shift state
    for (WORD key : {VK_F3, VK_F4, VK_F5}) Menu->HandleShortCut(TShiftState(), key);
    EXPECT_EQ((Ev{L"sub", L"top"}), ran);
    // Each run closed the menu first, although none was shown.
    EXPECT_EQ((Ev{L"close", L"close"}), Events);
}

TEST_F(PopupMenuTest, FreedItemsLeaveTheirLists) {
    auto* top = NewItem(L"top");
    auto* keep = NewItem(L"keep", top);
    auto* gone = NewItem(L"gone", top);
    NewItem(L"child", gone)->SetShortCut(TextToShortCut(L"F6"));
    Menu->InsertItem(top, -1);
    auto* second = Add(L"second");
    ASSERT_EQ(1u, Menu->GetShortCutItems().size());
    gone->ClearItems();
    EXPECT_TRUE(Menu->GetShortCutItems().empty());
    Menu->HandleShortCut(TShiftState(), VK_F6);  // must not reach the freed item
    gone->Free();
    ASSERT_EQ(1, top->Count());
    EXPECT_EQ(keep, top->GetItem(0));
    second->Free();
    ASSERT_EQ(1, Menu->Count());
    EXPECT_EQ(top, Menu->GetItem(0));
    // Painting and clearing walk the lists: a dead entry would be reached here.
    Menu->Popup(50, 50);
    Move(1, Centre(top));
    EXPECT_NE(nullptr, Level(2));
    Menu->CloseMenu();
    Menu->ClearItems();
    EXPECT_EQ(0, Menu->Count());
}

// ------------------------------------------------------------------------------------------------
// Clicks, radio groups, popping up and closing

TEST_F(PopupMenuTest, RadioGroupsAutoCheckAndAClickClosesBeforeOnClickWhichMayRebuildTheMenu) {
    TVeskMenuItem* a = Add(L"a");
    TVeskMenuItem* b = Add(L"b");
    TVeskMenuItem* other = Add(L"other group");
    for (auto* i : {a, b, other}) {
        i->SetRadioItem(true);
        i->SetAutoCheck(true);
    }
    other->SetGroupIndex(1);
    other->SetChecked(true);
    a->SetChecked(true);
    Menu->ItemClick(b);
    EXPECT_TRUE(b->GetChecked());
    EXPECT_FALSE(a->GetChecked());
    EXPECT_TRUE(other->GetChecked());
    // Clicking the checked one unchecks it: the group is left with none.
    Menu->ItemClick(b);
    EXPECT_FALSE(a->GetChecked());
    EXPECT_FALSE(b->GetChecked());

    a->OnClick = [this, a](TObject* s) {
        EXPECT_EQ(a, s);
        Events.push_back(L"click");
        Menu->ClearItems();
        Add(L"new one");
    };
    Menu->Popup(100, 100);
    Events.clear();
    Click(1, Centre(a));
    EXPECT_EQ((Ev{L"close", L"click"}), Events);
    EXPECT_FALSE(Menu->GetShown());
    Pump(30);
    EXPECT_EQ(nullptr, Menu->GetLevelForm(1));
    ASSERT_EQ(1, Menu->Count());
    EXPECT_EQ(L"new one", Menu->GetItem(0)->GetCaption());
}

// A close event that frees the clicked item drops its click; an item that survives the close
// event gets its click. By the mouse and by a shortcut.
TEST_F(PopupMenuTest, ACloseEventThatFreesTheClickedItemDropsItsClick) {
    Ev clicks;
    for (bool byShortCut : {false, true}) {
        for (bool freeAll : {true, false}) {
            Menu->OnMenuClose = nullptr;
            Menu->ClearItems();
            TVeskMenuItem* clicked = NewItem(L"clicked");
            clicked->SetShortCut(TextToShortCut(L"F2"));
            for (TVeskMenuItem* i : {clicked, NewItem(L"other")}) {
                i->OnClick = [this, &clicks](TObject* s) {
                    const auto& live = Menu->GetItems();
                    clicks.push_back(std::find(live.begin(), live.end(), s) != live.end()
                                         ? static_cast<TVeskMenuItem*>(s)->GetCaption()
                                         : L"freed item");
                };
                Menu->InsertItem(i, -1);
            }
            Menu->OnMenuClose = [this, freeAll](TObject*) {
                if (freeAll)
                    Menu->ClearItems();
                else
                    Menu->GetItem(1)->Free();
            };
            clicks.clear();
            if (byShortCut) {
                Menu->HandleShortCut(TShiftState(), VK_F2);
            } else {
                Menu->Popup(50, 50);
                Click(1, Centre(clicked));
            }
            SCOPED_TRACE(std::string(byShortCut ? "shortcut" : "mouse") + (freeAll ? ", all freed" : ", other freed"));
            EXPECT_EQ(freeAll ? Ev{} : Ev{L"clicked"}, clicks);
            EXPECT_EQ(freeAll ? 0 : 1, Menu->Count());
            Pump(30);
        }
    }
}

TEST_F(PopupMenuTest, PopupWhileShownClosesFirstAVetoStopsItAndAPopupFromTheCloseEventStays) {
    auto* sub = Add(L"sub");
    NewItem(L"child", sub);
    Menu->Popup(50, 50);
    HWND first = Level(1);
    Events.clear();
    Menu->Popup(70, 70);
    EXPECT_EQ((Ev{L"close", L"popup"}), Events);
    Pump(30);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_NE(nullptr, Level(1));
    EXPECT_EQ(70, Menu->GetLevelForm(1)->GetLeft());

    Menu->OnBeforPopup = [this](TObject*, bool& can) {
        Events.push_back(L"before");
        can = false;
    };
    Events.clear();
    Menu->Popup(60, 60);
    EXPECT_EQ((Ev{L"close", L"before"}), Events);
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ(nullptr, Menu->GetLevelForm(1));

    Menu->OnBeforPopup = nullptr;
    Menu->Popup(50, 50);
    Move(1, Centre(sub));
    HWND oldLevel1 = Level(1), oldLevel2 = Level(2);
    ASSERT_NE(nullptr, oldLevel2);
    bool again = true;
    Menu->OnMenuClose = [&](TObject*) {
        if (again) Menu->Popup(90, 90);
        again = false;
    };
    Menu->CloseMenu();
    Pump(30);
    EXPECT_TRUE(Menu->GetShown());
    ASSERT_NE(nullptr, Level(1));
    EXPECT_TRUE(IsWindowVisible(Level(1)));
    EXPECT_EQ(90, Menu->GetLevelForm(1)->GetLeft());
    EXPECT_FALSE(IsWindow(oldLevel1));
    EXPECT_FALSE(IsWindow(oldLevel2));
    EXPECT_EQ(nullptr, Level(2));
}

TEST_F(PopupMenuTest, LevelOneIsLayeredTopmostOwnedInsideTheWorkAreaAndClosesOnDeactivation) {
    Add(L"a");
    Add(L"b");
    Form->Show();
    Pump(30);
    Menu->Popup(790, 590);
    HWND h = Level(1);
    ASSERT_NE(nullptr, h);
    const LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(Form->GetHandle(), GetWindow(h, GW_OWNER));
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Form->GetHandle()), 0));
    EXPECT_EQ(790 - Menu->GetLevelWidth(1), Menu->GetLevelForm(1)->GetLeft());
    EXPECT_EQ(600 - Menu->GetLevelHeight(1), Menu->GetLevelForm(1)->GetTop());
    Pump(50);
    ASSERT_EQ(h, GetActiveWindow());
    EXPECT_TRUE(Menu->GetLevelForm(1)->GetReadyShow());
    Events.clear();
    SetActiveWindow(Form->GetHandle());
    Pump(50);
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ((Ev{L"close"}), Events);
    EXPECT_FALSE(IsWindow(h));
}

// ------------------------------------------------------------------------------------------------
// Measuring, painting and submenus

TEST_F(PopupMenuTest, MeasureRowsMarginsAndMinimumWidth) {
    Menu->SetSubArrowStateCount(0);  // no frames must not break measuring
    Menu->Loaded();
    TVeskMenuItem* a = Add(L"Alpha");
    Add(L"-");
    TVeskMenuItem* tall = Add(L"Tall");
    tall->SetHeight(40);
    TVeskMenuItem* gone = Add(L"Invisible");
    gone->SetVisible(false);
    Menu->MeasureLevel(1, nullptr);
    const int line = Skin(L"menu_line")->GetHeight();
    EXPECT_EQ((25 + 2) + (line + 2) + (40 + 2) + 2 * 5 + 4, Menu->GetLevelHeight(1));
    // Check column: the whole two-frame check strip plus 2; no image list, no arrow column.
    const int checkCol = Skin(L"menu_check")->GetWidth() + 2;
    const int widest = std::max(a->GetCaptionSize().cx, tall->GetCaptionSize().cx);
    EXPECT_EQ(checkCol + 2 + widest + 2 * 5, Menu->GetLevelWidth(1));
    NewItem(L"child", a);
    Menu->SetMinWidth(500);
    Menu->MeasureLevel(1, nullptr);
    EXPECT_EQ(500, Menu->GetLevelWidth(1));
}

TEST_F(PopupMenuTest, LevelBitmapHasTransparentShadowMarginAndHotBackground) {
    TVeskMenuItem* a = Add(L"First");
    TVeskMenuItem* b = Add(L"Second");
    Menu->Popup(50, 50);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    ASSERT_EQ(Menu->GetLevelWidth(1), bmp->GetWidth());
    ASSERT_EQ(Menu->GetLevelHeight(1), bmp->GetHeight());
    // A corner of the skin is its transparent shadow; the middle is opaque.
    EXPECT_EQ(0u, PixelAt(bmp, 0, 0) >> 24);
    EXPECT_EQ(255u, PixelAt(bmp, bmp->GetWidth() / 2, bmp->GetHeight() / 2) >> 24);
    // Hovering repaints the item with the hot frame; moving on gives it its old look back.
    TPoint p(b->GetItemRect().Right - 3, Centre(b).Y);
    const uint32_t before = PixelAt(bmp, p.X, p.Y);
    EXPECT_EQ(b, Hover(1, Centre(b)));
    EXPECT_NE(before, PixelAt(bmp, p.X, p.Y));
    Move(1, Centre(a));
    EXPECT_EQ(before, PixelAt(bmp, p.X, p.Y));

    // Split lines past the skin: the same-sized level must not reuse the old lines' picture.
    const int x = Menu->GetAlphaWidth() + 1, y = bmp->GetHeight() / 2;
    ASSERT_EQ(255u, PixelAt(bmp, x, y) >> 24);
    Menu->CloseMenu();
    Menu->GetImgSplit()->SetLeft(1000);
    Menu->Popup(50, 50);
    EXPECT_EQ(0u, PixelAt(Menu->GetLevelBitmap(1), x, y) >> 24);
}

TEST_F(PopupMenuTest, ImageListColumnAndImages) {
    ApplySkins(true);
    // The program's own PNG list: 12 x 10 images in red, green and blue.
    auto* list = new TVeskStdImageList(Form);
    list->SetImgWidth(12);
    list->SetImgHeight(10);
    for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)})
        list->GetItems()->Add()->SetPng(testsupport::Strip(12, 10, {c}).get());
    Menu->SetImageList(list);
    // Rows: blue, red but disabled, and -1, -5 and 3 (outside the list): no image and no error.
    for (int index : {2, 0, -1, -5, 3}) Add(L"image " + std::to_wstring(index))->SetImageIndex(index);
    Menu->GetItem(1)->SetEnabled(false);
    Menu->PaintLevel(1, nullptr);
    // The pixel in the middle of where an item's image goes.
    auto imagePixel = [this](int Row) {
        const TRect r = Menu->GetItem(Row)->GetItemRect();
        return PixelAt(Menu->GetLevelBitmap(1), r.Left + 2 + 6, r.Top + (25 - 10) / 2 + 5) & 0xFFFFFF;
    };
    EXPECT_EQ(0x0000FFu, imagePixel(0));  // blue, at its own place
    const uint32_t grey = imagePixel(1);  // red, greyed
    EXPECT_EQ(grey, (grey & 0xFF) * 0x010101u);
    EXPECT_NE(0xFFFFFFu, grey);
    for (int row : {2, 3, 4}) EXPECT_EQ(0xFFFFFFu, imagePixel(row)) << row;
    // The list going away clears the reference.
    list->Free();
    EXPECT_EQ(nullptr, Menu->GetImageList());
    Menu->PaintLevel(1, nullptr);
}

TEST_F(PopupMenuTest, HoverOpensSubmenusAClickRunsOnlyALeafAndEmptyingOrFreeingClosesEveryLevel) {
    TVeskMenuItem* a = Add(L"a");
    TVeskMenuItem* line = Add(L"-");
    TVeskMenuItem* p = Add(L"parent");
    TVeskMenuItem* c1 = NewItem(L"c1", p);
    TVeskMenuItem* c2 = NewItem(L"c2", p);
    NewItem(L"deep", c2);
    TVeskMenuItem* off = Add(L"disabled parent");
    off->SetEnabled(false);
    NewItem(L"x", off);
    TVeskMenuItem* b = Add(L"b");
    int runs = 0;
    for (auto* i : {a, b, p, c1}) i->OnClick = [&runs](TObject*) { ++runs; };
    Menu->Popup(50, 50);

    EXPECT_EQ(p, Hover(1, Centre(p)));
    ASSERT_NE(nullptr, Level(2));
    TVeskMenuForm* l1 = Menu->GetLevelForm(1);
    TVeskMenuForm* l2 = Menu->GetLevelForm(2);
    EXPECT_EQ(l1->GetLeft() + l1->GetWidth() - 5, l2->GetLeft());
    EXPECT_EQ(l1->GetTop() + p->GetItemRect().Top, l2->GetTop());
    // Level 2: hovering an item with children opens level 3.
    Move(2, Centre(c2));
    EXPECT_NE(nullptr, Level(3));
    Move(2, Centre(c1));
    Pump(20);
    EXPECT_EQ(nullptr, Level(3));
    // Off every item the hot item clears, but only over its own level; the open submenu stays.
    EXPECT_EQ(c1, Hover(1, TPoint(1, 1)));
    EXPECT_EQ(nullptr, Hover(2, TPoint(1, 1)));
    EXPECT_NE(nullptr, Level(2));
    Move(1, Centre(p));
    EXPECT_EQ(nullptr, Hover(1, Centre(line)));
    EXPECT_NE(nullptr, Level(2));
    // A disabled item with children is never hot and opens nothing; another item closes level 2.
    EXPECT_EQ(nullptr, Hover(1, Centre(off)));
    EXPECT_EQ(a, Hover(1, Centre(a)));
    Pump(20);
    EXPECT_EQ(nullptr, Level(2));

    // A release off the pressed item runs nothing.
    Down(1, Centre(a));
    EXPECT_EQ(a, Menu->GetPressedItem());
    Move(1, Centre(b));
    EXPECT_EQ(nullptr, Menu->GetPressedItem());
    Up(1, Centre(b));
    // Pressing the parent does nothing; a click on a leaf of level 2 runs it and closes all.
    Move(1, Centre(p));
    HWND h1 = Level(1), h2 = Level(2);
    ASSERT_NE(nullptr, h2);
    Click(1, Centre(p));
    EXPECT_EQ(0, runs);
    EXPECT_TRUE(Menu->GetShown());
    Click(2, Centre(c1));
    EXPECT_EQ(1, runs);
    EXPECT_FALSE(Menu->GetShown());
    Pump(30);
    EXPECT_FALSE(IsWindow(h1));
    EXPECT_FALSE(IsWindow(h2));

    // Emptying the menu while it shows three levels closes the submenus.
    Menu->Popup(50, 50);
    Move(1, Centre(p));
    Move(2, Centre(c2));
    ASSERT_NE(nullptr, Level(3));
    Menu->ClearItems();
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    EXPECT_EQ(nullptr, Menu->GetLevelForm(2));
    EXPECT_EQ(nullptr, Menu->GetLevelForm(3));
    Move(1, TPoint(20, 20));
    // Freed while shown, the menu takes its windows along.
    p = Add(L"p");
    NewItem(L"c", p);
    Menu->Popup(50, 50);
    Move(1, Centre(p));
    h1 = Level(1), h2 = Level(2);
    ASSERT_NE(nullptr, h2);
    Menu->Free();
    Pump(30);
    EXPECT_FALSE(IsWindow(h1));
    EXPECT_FALSE(IsWindow(h2));
}

// ------------------------------------------------------------------------------------------------
// Scrolling

class ScrollTest : public PopupMenuTest {
protected:
    void SetUp() override {
        PopupMenuTest::SetUp();
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 300));
        for (int i = 0; i < 20; ++i) Add(L"Row " + std::to_wstring(i));
        Menu->Popup(10, 10);
        ASSERT_TRUE(Menu->GetLevelScrollable(1));
        DownButton = Centre(Menu->GetLevelDownRect(1));
    }
    TPoint DownButton;
};

TEST_F(ScrollTest, HoldingTheDownButtonRepeatsUntilReleaseOrCloseAndStepsStopAtTheTop) {
    Move(1, DownButton);
    EXPECT_TRUE(Menu->GetLevelDownHot(1));
    Down(1, DownButton);
    // One step at once, then after the keyboard delay one per repeat interval.
    EXPECT_EQ(1, Menu->GetLevelFirstIndex(1));
    ASSERT_NE(nullptr, Menu->GetRepeatTimer());
    EXPECT_TRUE(Menu->GetRepeatTimer()->GetEnabled());
    Pump(UINT(TVeskPopupMenu::MenuRepeatDelay()) + 150);
    EXPECT_GT(Menu->GetLevelFirstIndex(1), 1);
    Up(1, DownButton);
    EXPECT_FALSE(Menu->GetRepeatTimer()->GetEnabled());
    EXPECT_FALSE(Menu->GetLevelDownPressed(1));
    const int after = Menu->GetLevelFirstIndex(1);
    Pump(100);
    EXPECT_EQ(after, Menu->GetLevelFirstIndex(1));
    // The first shown item sits right below the up button.
    EXPECT_EQ(Menu->GetLevelUpRect(1).Bottom, Menu->GetItem(after)->GetItemRect().Top);
    // Stepping stops at the top; held again, the button repeats until the menu closes.
    for (int i = 0; i < 50; ++i) Menu->ScrollLevel(1, false);
    EXPECT_EQ(0, Menu->GetLevelFirstIndex(1));
    Down(1, DownButton);
    EXPECT_TRUE(Menu->GetRepeatTimer()->GetEnabled());
    Menu->CloseMenu();
    EXPECT_FALSE(Menu->GetRepeatTimer()->GetEnabled());
    EXPECT_FALSE(Menu->GetLevelDownPressed(1));
}

}  // namespace
