// The skinned popup menu: item tree, shortcuts, clicks and radio groups, popping up and closing,
// measuring and painting of the levels, submenus, scrolling and the scroll repeat.
#include <gtest/gtest.h>

#include "VeskDrawing.h"
#include "VeskPopupMenu.h"
#include "fw_forms.h"
#include "test_support.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace fw;
using testsupport::PumpMessagesFor;
using testsupport::ReadResource;

namespace {

class TPlainForm : public TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) {}
};

std::unique_ptr<TPngImage> Skin(const wchar_t* Name) {
    auto png = std::make_unique<TPngImage>();
    png->LoadFromBytes(ReadResource(Name));
    return png;
}

// An opaque white background skin: items and text stand out on it exactly.
std::unique_ptr<TPngImage> WhiteBack() {
    TPngPtr p = CreateColorPng(36, 21, clWhite, 255);
    return std::unique_ptr<TPngImage>(p.release());
}

TVeskMenuItem* NewItem(const std::wstring& Caption) {
    auto* i = new TVeskMenuItem();
    i->SetCaption(Caption);
    return i;
}

LPARAM Pt(int X, int Y) { return MAKELPARAM(X, Y); }

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->OnException = [this](TObject*, const Exception& e) { Errors.push_back(e.Message); };
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 600));
        Form = TForm::CreateNew<TPlainForm>(nullptr);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 200, 150);
        FormAlive = Form->AliveToken();
        Menu = new TVeskPopupMenu(Form);
        Menu->OnMenuClose = [this](TObject*) { Events.push_back(L"close"); };
        Menu->OnPopup = [this](TObject*) { Events.push_back(L"popup"); };
    }
    void TearDown() override {
        if (*FormAlive) Form->Free();
        Screen->SetWorkAreaRect(TRect());
        Application->OnException = nullptr;
        PumpMessagesFor(20);
        EXPECT_TRUE(Errors.empty());
    }
    // The skins and values the program's menus use.
    void ApplySkins(bool WhiteBackground = false) {
        Menu->SetAlphaWidth(5);
        Menu->SetMenuBarWidth(40);
        Menu->GetImgSplit()->SetLeft(16);
        Menu->GetImgSplit()->SetTop(6);
        Menu->GetImgSplit()->SetRight(20);
        Menu->GetImgSplit()->SetBottom(15);
        Menu->GetItemSplit()->SetLeft(2);
        Menu->GetItemSplit()->SetTop(2);
        Menu->GetItemSplit()->SetRight(5);
        Menu->GetItemSplit()->SetBottom(5);
        Menu->SetItemHeight(25);
        Menu->SetItemStateCount(3);
        Menu->SetSubArrowStateCount(3);
        Menu->SetImgBack(WhiteBackground ? WhiteBack().get() : Skin(L"menu_back").get());
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
    static TPoint Centre(TVeskMenuItem* I) {
        TRect r = I->GetItemRect();
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void Move(int L, TPoint P) { SendMessageW(Level(L), WM_MOUSEMOVE, 0, Pt(P.X, P.Y)); }
    void Click(int L, TPoint P) {
        HWND h = Level(L);
        SendMessageW(h, WM_MOUSEMOVE, 0, Pt(P.X, P.Y));
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pt(P.X, P.Y));
        if (IsWindow(h)) SendMessageW(h, WM_LBUTTONUP, 0, Pt(P.X, P.Y));
    }

    TPlainForm* Form = nullptr;
    std::shared_ptr<bool> FormAlive;
    TVeskPopupMenu* Menu = nullptr;
    std::vector<std::wstring> Events;
    std::vector<std::wstring> Errors;
    std::vector<WPARAM> NcActivate;
};

// ------------------------------------------------------------------------------------------------
// Items

TEST(MenuItem, DefaultsAndTree) {
    auto* root = NewItem(L"root");
    EXPECT_EQ(0, root->GetShortCut());
    EXPECT_EQ(-1, root->GetImageIndex());
    EXPECT_EQ(TRect(-1, -1, -1, -1), root->GetItemRect());
    EXPECT_EQ(-1, root->GetHeight());
    EXPECT_EQ(0, root->GetGroupIndex());
    EXPECT_TRUE(root->GetEnabled() && root->GetVisible());
    auto* a = NewItem(L"a");
    auto* b = NewItem(L"b");
    auto* c = NewItem(L"-");
    root->InsertItem(a, -1);
    root->InsertItem(b, -1);
    root->InsertItem(c, 0);
    ASSERT_EQ(3, root->Count());
    EXPECT_EQ(c, root->GetItem(0));
    EXPECT_EQ(b, root->GetItem(2));
    EXPECT_EQ(root, a->GetParent());
    EXPECT_TRUE(c->IsLine());
    EXPECT_FALSE(a->IsLine());
    EXPECT_EQ(nullptr, root->GetItem(3));
    EXPECT_EQ(nullptr, root->GetItem(-1));
    a->InsertItem(NewItem(L"a1"), -1);
    root->ClearItems();
    EXPECT_EQ(0, root->Count());
    root->Free();
}

TEST_F(PopupMenuTest, DefaultsOfAFreshMenu) {
    auto* m = new TVeskPopupMenu(Form);
    EXPECT_EQ(255, m->GetAlpha());
    EXPECT_EQ(8, m->GetAlphaWidth());
    EXPECT_EQ(16, m->GetMenuBarWidth());
    EXPECT_EQ(22, m->GetItemHeight());
    EXPECT_EQ(4, m->GetItemStateCount());
    EXPECT_EQ(3, m->GetSubArrowStateCount());
    EXPECT_EQ(0, m->GetMinWidth());
    EXPECT_FALSE(m->GetHaveBar());
    EXPECT_TRUE(m->GetImgBack()->GetEmpty());
    EXPECT_TRUE(m->GetImgSplit()->IsEmpty());
    EXPECT_EQ(nullptr, m->GetImageList());
    // Without skins the check column is MenuBarWidth wide.
    m->InsertItem(NewItem(L""), -1);
    m->MeasureLevel(1, nullptr);
    EXPECT_EQ(16 + 2 + 2 * 8, m->GetLevelWidth(1));
    EXPECT_EQ(22 + 2 + 2 * 8 + 4, m->GetLevelHeight(1));
    m->Free();
}

TEST_F(PopupMenuTest, WithoutBackgroundTheLevelIsShownEmpty) {
    Add(L"a");
    Menu->Popup(40, 40);
    EXPECT_TRUE(Menu->GetShown());
    EXPECT_NE(nullptr, Level(1));
    EXPECT_GT(Menu->GetLevelWidth(1), 0);
    EXPECT_TRUE(Menu->GetLevelBitmap(1)->GetEmpty());
}

TEST_F(PopupMenuTest, GetItemOutOfRangeIsNull) {
    TVeskMenuItem* a = Add(L"a");
    EXPECT_EQ(a, Menu->GetItem(0));
    EXPECT_EQ(nullptr, Menu->GetItem(1));
    EXPECT_EQ(nullptr, Menu->GetItem(-1));
}

// ------------------------------------------------------------------------------------------------
// Shortcuts

TEST_F(PopupMenuTest, ShortCutsRegisteredAtInsertInPreOrder) {
    std::vector<std::wstring> ran;
    auto* top = NewItem(L"top");
    top->SetShortCut(TextToShortCut(L"Ctrl+T"));
    auto* sub = NewItem(L"sub");
    sub->SetShortCut(TextToShortCut(L"F2"));
    auto* subsub = NewItem(L"subsub");
    subsub->SetShortCut(TextToShortCut(L"F2"));  // same key: the first registered wins
    sub->InsertItem(subsub, -1);
    top->InsertItem(sub, -1);
    for (auto* i : {top, sub, subsub}) i->OnClick = [&ran](TObject* s) { ran.push_back(static_cast<TVeskMenuItem*>(s)->GetCaption()); };
    Menu->InsertItem(top, -1);
    ASSERT_EQ(3u, Menu->GetShortCutItems().size());
    EXPECT_EQ(sub, Menu->GetShortCutItems()[1]);

    Menu->HandleShortCut(TShiftState(), VK_F2);
    Menu->HandleShortCut(ssCtrl, 'T');
    Menu->HandleShortCut(ssShift, 'T');  // wrong shift state
    EXPECT_EQ((std::vector<std::wstring>{L"sub", L"top"}), ran);
    // Each run closed the menu first, although none was shown.
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"close"}), Events);
}

TEST_F(PopupMenuTest, LateShortCutsAndDisabledItemsAreNotRun) {
    int runs = 0;
    TVeskMenuItem* late = Add(L"late");
    late->SetShortCut(TextToShortCut(L"F3"));
    late->OnClick = [&runs](TObject*) { ++runs; };
    auto* off = NewItem(L"off");
    off->SetShortCut(TextToShortCut(L"F4"));
    off->SetEnabled(false);
    off->OnClick = [&runs](TObject*) { ++runs; };
    auto* hidden = NewItem(L"hidden");
    hidden->SetShortCut(TextToShortCut(L"F5"));
    hidden->SetVisible(false);
    hidden->OnClick = [&runs](TObject*) { ++runs; };
    Menu->InsertItem(off, -1);
    Menu->InsertItem(hidden, -1);
    Menu->HandleShortCut(TShiftState(), VK_F3);
    Menu->HandleShortCut(TShiftState(), VK_F4);
    Menu->HandleShortCut(TShiftState(), VK_F5);
    EXPECT_EQ(0, runs);
    EXPECT_TRUE(Events.empty());
}

TEST_F(PopupMenuTest, FreedSubmenuItemsLeaveTheShortCutList) {
    auto* top = NewItem(L"top");
    auto* child = NewItem(L"child");
    child->SetShortCut(TextToShortCut(L"F6"));
    top->InsertItem(child, -1);
    Menu->InsertItem(top, -1);
    ASSERT_EQ(1u, Menu->GetShortCutItems().size());
    top->ClearItems();
    EXPECT_TRUE(Menu->GetShortCutItems().empty());
    Menu->HandleShortCut(TShiftState(), VK_F6);  // must not reach the freed item
    Menu->ClearItems();
    EXPECT_EQ(0, Menu->Count());
}

TEST_F(PopupMenuTest, ItemsFreedOnTheirOwnLeaveTheirLists) {
    ApplySkins();
    auto* top = Add(L"top");
    auto* keep = NewItem(L"keep");
    auto* gone = NewItem(L"gone");
    top->InsertItem(keep, -1);
    top->InsertItem(gone, -1);
    auto* second = Add(L"second");
    gone->Free();
    ASSERT_EQ(1, top->Count());
    EXPECT_EQ(keep, top->GetItem(0));
    second->Free();
    ASSERT_EQ(1, Menu->Count());
    EXPECT_EQ(top, Menu->GetItem(0));
    // Painting and clearing walk the lists: a dead entry would be reached here.
    Menu->Popup(50, 50);
    EXPECT_TRUE(Menu->GetShown());
    Move(1, Centre(top));
    EXPECT_NE(nullptr, Level(2));
    Menu->CloseMenu();
    Menu->ClearItems();
    EXPECT_EQ(0, Menu->Count());
}

// ------------------------------------------------------------------------------------------------
// Clicks and radio groups

TEST_F(PopupMenuTest, RadioGroupWithAutoCheck) {
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
}

TEST_F(PopupMenuTest, ClickClosesBeforeOnClickAndParentsAreNeverRun) {
    TVeskMenuItem* leaf = Add(L"leaf");
    TVeskMenuItem* parent = Add(L"parent");
    parent->InsertItem(NewItem(L"child"), -1);
    leaf->OnClick = [this, leaf](TObject* s) {
        EXPECT_EQ(leaf, s);
        Events.push_back(L"click");
    };
    parent->OnClick = [this](TObject*) { Events.push_back(L"parent click"); };
    Menu->ItemClick(parent);
    EXPECT_TRUE(Events.empty());
    Menu->ItemClick(leaf);
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"click"}), Events);
}

TEST_F(PopupMenuTest, OnClickMayEmptyAndRebuildTheMenu) {
    ApplySkins();
    TVeskMenuItem* a = Add(L"rebuild");
    int rebuilt = 0;
    a->OnClick = [this, &rebuilt](TObject*) {
        Menu->ClearItems();
        Add(L"new one");
        ++rebuilt;
    };
    Menu->Popup(100, 100);
    ASSERT_NE(nullptr, Level(1));
    Click(1, Centre(a));
    EXPECT_EQ(1, rebuilt);
    EXPECT_FALSE(Menu->GetShown());
    PumpMessagesFor(30);
    EXPECT_EQ(nullptr, Menu->GetLevelForm(1));
    ASSERT_EQ(1, Menu->Count());
    EXPECT_EQ(L"new one", Menu->GetItem(0)->GetCaption());
}

// ------------------------------------------------------------------------------------------------
// Popping up and closing

TEST_F(PopupMenuTest, VetoStopsThePopupButClosesAShownMenu) {
    ApplySkins();
    Add(L"a");
    bool veto = false;
    Menu->OnBeforPopup = [&veto, this](TObject*, bool& can) {
        Events.push_back(L"before");
        can = !veto;
    };
    Menu->Popup(50, 50);
    ASSERT_TRUE(Menu->GetShown());
    ASSERT_NE(nullptr, Level(1));
    Events.clear();
    veto = true;
    Menu->Popup(60, 60);
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"before"}), Events);
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ(nullptr, Menu->GetLevelForm(1));
}

TEST_F(PopupMenuTest, PopupWhileShownClosesFirst) {
    ApplySkins();
    Add(L"a");
    Menu->Popup(50, 50);
    HWND first = Level(1);
    Events.clear();
    Menu->Popup(70, 70);
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"popup"}), Events);
    PumpMessagesFor(30);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_NE(nullptr, Level(1));
    EXPECT_EQ(70, Menu->GetLevelForm(1)->GetLeft());
}

TEST_F(PopupMenuTest, PopupFromTheCloseEventStaysShown) {
    ApplySkins();
    auto* sub = Add(L"sub");
    sub->InsertItem(NewItem(L"child"), -1);
    Menu->Popup(50, 50);
    Move(1, Centre(sub));
    HWND oldLevel1 = Level(1), oldLevel2 = Level(2);
    ASSERT_NE(nullptr, oldLevel2);
    bool again = true;
    Menu->OnMenuClose = [&](TObject*) {
        if (!again) return;
        again = false;
        Menu->Popup(90, 90);
    };
    Menu->CloseMenu();
    PumpMessagesFor(30);
    EXPECT_TRUE(Menu->GetShown());
    ASSERT_NE(nullptr, Level(1));
    EXPECT_TRUE(IsWindowVisible(Level(1)));
    EXPECT_EQ(90, Menu->GetLevelForm(1)->GetLeft());
    EXPECT_FALSE(IsWindow(oldLevel1));
    EXPECT_FALSE(IsWindow(oldLevel2));
    EXPECT_EQ(nullptr, Level(2));
}

TEST_F(PopupMenuTest, NoItemsFiresEventsAndShowsNothing) {
    ApplySkins();
    Menu->Popup(50, 50);
    EXPECT_EQ((std::vector<std::wstring>{L"popup"}), Events);
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ(nullptr, Menu->GetLevelForm(1));
}

TEST_F(PopupMenuTest, LevelWindowIsLayeredTopmostAndOwned) {
    ApplySkins();
    Add(L"a");
    Form->HandleNeeded();
    Menu->Popup(50, 50);
    HWND h = Level(1);
    ASSERT_NE(nullptr, h);
    LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(Form->GetHandle(), GetWindow(h, GW_OWNER));
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Form->GetHandle()), 0));
    EXPECT_EQ(1, SendMessageW(h, WM_ERASEBKGND, 0, 0));
}

TEST_F(PopupMenuTest, PlacementKeepsLevelOneInsideTheWorkArea) {
    ApplySkins();
    Add(L"a");
    Add(L"b");
    Menu->Popup(790, 590);
    TVeskMenuForm* f = Menu->GetLevelForm(1);
    ASSERT_NE(nullptr, f);
    const int w = Menu->GetLevelWidth(1), h = Menu->GetLevelHeight(1);
    EXPECT_EQ(790 - w, f->GetLeft());
    EXPECT_EQ(600 - h, f->GetTop());
    Menu->Popup(20, 30);
    f = Menu->GetLevelForm(1);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(20, f->GetLeft());
    EXPECT_EQ(30, f->GetTop());
}

TEST_F(PopupMenuTest, DeactivationClosesTheMenu) {
    ApplySkins();
    Add(L"a");
    Form->Show();
    PumpMessagesFor(30);
    TWndMethodProc saved = Form->WindowProc;
    Form->WindowProc = [this, saved](TMessage& m) {
        if (m.Msg == WM_NCACTIVATE) NcActivate.push_back(m.WParam);
        saved(m);
    };
    Menu->Popup(50, 50);
    HWND h = Level(1);
    ASSERT_NE(nullptr, h);
    PumpMessagesFor(50);
    ASSERT_EQ(h, GetActiveWindow());
    EXPECT_TRUE(Menu->GetLevelForm(1)->GetReadyShow());
    // The owner is told to keep its active title bar while its menu is active.
    ASSERT_FALSE(NcActivate.empty());
    EXPECT_NE(0u, NcActivate.back());
    Events.clear();
    SetActiveWindow(Form->GetHandle());
    PumpMessagesFor(50);
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ((std::vector<std::wstring>{L"close"}), Events);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(PopupMenuTest, DestroyingTheMenuWhileShownRemovesItsWindows) {
    ApplySkins();
    TVeskMenuItem* p = Add(L"p");
    p->InsertItem(NewItem(L"c"), -1);
    Menu->Popup(50, 50);
    Move(1, Centre(p));
    HWND h1 = Level(1), h2 = Level(2);
    ASSERT_NE(nullptr, h2);
    Menu->Free();
    Menu = nullptr;
    PumpMessagesFor(30);
    EXPECT_FALSE(IsWindow(h1));
    EXPECT_FALSE(IsWindow(h2));
}

// ------------------------------------------------------------------------------------------------
// Measuring

TEST_F(PopupMenuTest, MeasureRowsMarginsAndMinimumWidth) {
    ApplySkins();
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
    EXPECT_GT(a->GetCaptionSize().cy, 0);
    EXPECT_EQ(-1, a->GetShortCutSize().cx);
    Menu->SetMinWidth(500);
    Menu->MeasureLevel(1, nullptr);
    EXPECT_EQ(500, Menu->GetLevelWidth(1));
}

TEST_F(PopupMenuTest, AllItemsInvisibleGivesAnEmptyLevelThatIsShown) {
    ApplySkins();
    Menu->SetMinWidth(180);
    Add(L"x")->SetVisible(false);
    Menu->Popup(50, 50);
    EXPECT_EQ(180, Menu->GetLevelWidth(1));
    EXPECT_EQ(2 * 5 + 4, Menu->GetLevelHeight(1));
    EXPECT_TRUE(Menu->GetShown());
    EXPECT_NE(nullptr, Level(1));
}

TEST_F(PopupMenuTest, ZeroArrowFramesDoNotBreakMeasuring) {
    ApplySkins();
    Menu->SetSubArrowStateCount(0);
    Menu->Loaded();
    TVeskMenuItem* p = Add(L"parent");
    p->InsertItem(NewItem(L"child"), -1);
    Menu->MeasureLevel(1, nullptr);
    EXPECT_GT(Menu->GetLevelWidth(1), 0);
}

TEST_F(PopupMenuTest, TallLevelBecomesScrollable) {
    ApplySkins();
    Screen->SetWorkAreaRect(TRect(0, 0, 800, 1000));
    for (int i = 0; i < 40; ++i) Add(L"Item " + std::to_wstring(i));
    Menu->PaintLevel(1, nullptr);
    const int h = Skin(L"menu_updown")->GetHeight();
    const int w = Skin(L"menu_updown")->GetWidth() / 6;
    const int W = Menu->GetLevelWidth(1), H = Menu->GetLevelHeight(1);
    EXPECT_TRUE(Menu->GetLevelScrollable(1));
    EXPECT_EQ(1000 - 20 + 2 * h, H);
    const int x = (W - w) / 2;
    EXPECT_EQ(TRect(x, 7, x + w, 7 + h), Menu->GetLevelUpRect(1));
    EXPECT_EQ(TRect(x, H - 7 - h, x + w, H - 7), Menu->GetLevelDownRect(1));
    // Items start below the up button and stop at the stop line above the down button.
    EXPECT_EQ(7 + h, Menu->GetItem(0)->GetItemRect().Top);
    const int shown = Menu->GetLevelShownCount(1);
    ASSERT_GT(shown, 0);
    ASSERT_LT(shown, 40);
    EXPECT_LT(Menu->GetItem(shown - 1)->GetItemRect().Top, H - h - 10);
    EXPECT_EQ(TRect(-1, -1, -1, -1), Menu->GetItem(shown)->GetItemRect());
    // Without the button skin the level keeps its full height and is cut off.
    Menu->SetImgBtnUpDown(nullptr);
    Menu->MeasureLevel(1, nullptr);
    EXPECT_FALSE(Menu->GetLevelScrollable(1));
    EXPECT_EQ(40 * 27 + 14, Menu->GetLevelHeight(1));
}

// ------------------------------------------------------------------------------------------------
// Painting

TEST_F(PopupMenuTest, LevelBitmapHasTransparentShadowMarginAndHotBackground) {
    ApplySkins();
    TVeskMenuItem* a = Add(L"First");
    TVeskMenuItem* b = Add(L"Second");
    Menu->Popup(50, 50);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    ASSERT_EQ(Menu->GetLevelWidth(1), bmp->GetWidth());
    ASSERT_EQ(Menu->GetLevelHeight(1), bmp->GetHeight());
    auto pixel = [bmp](int x, int y) { return reinterpret_cast<const uint32_t*>(bmp->ScanLine(y))[x]; };
    // A corner of the skin is its transparent shadow; the middle is opaque.
    EXPECT_EQ(0u, pixel(0, 0) >> 24);
    EXPECT_EQ(255u, pixel(bmp->GetWidth() / 2, bmp->GetHeight() / 2) >> 24);
    // Hovering repaints the item with the hot frame.
    TPoint p(b->GetItemRect().Right - 3, Centre(b).Y);
    uint32_t before = pixel(p.X, p.Y);
    Move(1, Centre(b));
    EXPECT_EQ(b, Menu->GetHotItem());
    EXPECT_NE(before, pixel(p.X, p.Y));
    // Moving to the other item gives the first its old look back.
    Move(1, Centre(a));
    EXPECT_EQ(a, Menu->GetHotItem());
    EXPECT_EQ(before, pixel(p.X, p.Y));
}

TEST_F(PopupMenuTest, SplitLinesChangedInPlaceRebuildTheBackground) {
    ApplySkins();
    Add(L"First");
    Add(L"Second");
    Menu->Popup(50, 50);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    const int x = Menu->GetAlphaWidth() + 1, y = bmp->GetHeight() / 2;
    auto alpha = [bmp, x, y] {
        GdiFlush();
        return reinterpret_cast<const uint32_t*>(bmp->ScanLine(y))[x] >> 24;
    };
    ASSERT_EQ(255u, alpha());
    Menu->CloseMenu();
    // Split lines past the skin cannot cut it: the same-sized level must lose its background
    // instead of reusing the picture made with the old lines.
    Menu->GetImgSplit()->SetLeft(1000);
    Menu->Popup(50, 50);
    EXPECT_EQ(0u, alpha());
}

// The first column of an item row that is not plain white: where its caption starts.
int FirstInkColumn(TBitmap* Bmp, const TRect& R) {
    GdiFlush();
    for (int x = R.Left; x < R.Right; ++x)
        for (int y = R.Top; y < R.Bottom; ++y)
            if ((reinterpret_cast<const uint32_t*>(Bmp->ScanLine(y))[x] & 0xFFFFFF) != 0xFFFFFF) return x;
    return -1;
}

TEST_F(PopupMenuTest, CheckedCaptionStartsTwoPixelsFurther) {
    ApplySkins(true);
    // An invisible check image: the checked item draws nothing but moves its caption.
    TPngPtr clear = CreateColorPng(32, 16, clWhite, 0);
    Menu->SetImgCheck(clear.get());
    Menu->Loaded();
    TVeskMenuItem* plain = Add(L"Same");
    TVeskMenuItem* checked = Add(L"Same");
    checked->SetChecked(true);
    Menu->PaintLevel(1, nullptr);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    int x1 = FirstInkColumn(bmp, plain->GetItemRect());
    int x2 = FirstInkColumn(bmp, checked->GetItemRect());
    ASSERT_GT(x1, plain->GetItemRect().Left + 2 + 16 - 1);
    EXPECT_EQ(x1 + 2, x2);
}

TEST_F(PopupMenuTest, ImageListColumnAndImages) {
    ApplySkins(true);
    // The program's own PNG list: 12 x 10 images in red, green and blue.
    auto* list = new TVeskStdImageList(Form);
    list->SetImgWidth(12);
    list->SetImgHeight(10);
    const TColor colours[] = {clRed, clLime, clBlue};
    for (TColor c : colours) {
        TPngPtr png = CreateColorPng(12, 10, c, 255);
        list->GetItems()->Add()->SetPng(png.get());
    }
    Menu->SetImageList(list);
    TVeskMenuItem* a = Add(L"a");
    a->SetImageIndex(2);
    TVeskMenuItem* off = Add(L"off");
    off->SetImageIndex(0);
    off->SetEnabled(false);
    TVeskMenuItem* none = Add(L"none");                 // -1: no image
    TVeskMenuItem* negative = Add(L"negative");
    negative->SetImageIndex(-5);                        // outside the list: no image, no error
    TVeskMenuItem* beyond = Add(L"beyond");
    beyond->SetImageIndex(3);
    Menu->MeasureLevel(1, nullptr);
    const int checkCol = Skin(L"menu_check")->GetWidth() + 2;
    int widest = 0;
    for (int i = 0; i < Menu->Count(); ++i) widest = std::max<int>(widest, Menu->GetItem(i)->GetCaptionSize().cx);
    EXPECT_EQ(checkCol + 2 + (12 + 2) + widest + 10, Menu->GetLevelWidth(1));
    Menu->PaintLevel(1, nullptr);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    GdiFlush();
    // The pixel in the middle of where an item's image goes.
    auto imagePixel = [bmp](TVeskMenuItem* I) {
        const TRect r = I->GetItemRect();
        const int x = r.Left + 2 + 6, y = r.Top + (25 - 10) / 2 + 5;
        return reinterpret_cast<const uint32_t*>(bmp->ScanLine(y))[x] & 0xFFFFFF;
    };
    EXPECT_EQ(0x0000FFu, imagePixel(a));  // blue, at its own place
    const uint32_t grey = imagePixel(off);
    EXPECT_NE(0xFF0000u, grey);
    EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
    EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
    for (TVeskMenuItem* i : {none, negative, beyond}) EXPECT_EQ(0xFFFFFFu, imagePixel(i)) << i->GetCaption();
    // The list going away clears the reference.
    list->Free();
    EXPECT_EQ(nullptr, Menu->GetImageList());
    Menu->PaintLevel(1, nullptr);
}

TEST_F(PopupMenuTest, SideBarWidensLevelOneAndShiftsItems) {
    ApplySkins();
    TVeskMenuItem* a = Add(L"a");
    Menu->PaintLevel(1, nullptr);
    const int width = Menu->GetLevelWidth(1);
    const int left = a->GetItemRect().Left;
    TPngPtr bar = CreateColorPng(20, 30, clNavy, 255);
    Menu->SetImgBar(bar.get());
    Menu->PaintLevel(1, nullptr);
    EXPECT_EQ(width, Menu->GetLevelWidth(1));  // no bar without HaveBar
    Menu->SetHaveBar(true);
    Menu->PaintLevel(1, nullptr);
    EXPECT_EQ(width + 20, Menu->GetLevelWidth(1));
    EXPECT_EQ(left + 22, a->GetItemRect().Left);
    TBitmap* bmp = Menu->GetLevelBitmap(1);
    GdiFlush();
    // The bar (navy: blue 0x80) is drawn from the margin down to the bottom margin.
    EXPECT_EQ(0xFF000080u, reinterpret_cast<const uint32_t*>(bmp->ScanLine(bmp->GetHeight() - 6))[5 + 10]);
}

TEST_F(PopupMenuTest, EmptyingTheMenuWhileShownLeavesNoDanglingItems) {
    ApplySkins();
    TVeskMenuItem* p = Add(L"parent");
    TVeskMenuItem* c = NewItem(L"child");
    p->InsertItem(c, -1);
    c->InsertItem(NewItem(L"grandchild"), -1);
    Menu->Popup(50, 50);
    Move(1, Centre(p));
    Move(2, Centre(c));
    ASSERT_NE(nullptr, Level(3));
    Menu->ClearItems();
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    EXPECT_EQ(nullptr, Menu->GetLevel2Parent());
    EXPECT_EQ(nullptr, Menu->GetLevel3Parent());
    EXPECT_EQ(nullptr, Menu->GetLevelForm(2));
    EXPECT_EQ(nullptr, Menu->GetLevelForm(3));
    Move(1, TPoint(20, 20));
    Menu->CloseMenu();
}

// ------------------------------------------------------------------------------------------------
// Mouse and submenus

TEST_F(PopupMenuTest, HoverOpensSubmenusAndSeparatorsClearTheHotItem) {
    ApplySkins();
    TVeskMenuItem* a = Add(L"a");
    TVeskMenuItem* line = Add(L"-");
    TVeskMenuItem* p = Add(L"parent");
    TVeskMenuItem* c1 = NewItem(L"c1");
    TVeskMenuItem* c2 = NewItem(L"c2");
    p->InsertItem(c1, -1);
    p->InsertItem(c2, -1);
    c2->InsertItem(NewItem(L"deep"), -1);
    TVeskMenuItem* off = Add(L"disabled parent");
    off->SetEnabled(false);
    off->InsertItem(NewItem(L"x"), -1);
    Menu->Popup(50, 50);

    Move(1, Centre(p));
    EXPECT_EQ(p, Menu->GetHotItem());
    EXPECT_EQ(p, Menu->GetLevel2Parent());
    ASSERT_NE(nullptr, Level(2));
    TVeskMenuForm* l1 = Menu->GetLevelForm(1);
    TVeskMenuForm* l2 = Menu->GetLevelForm(2);
    EXPECT_EQ(l1->GetLeft() + l1->GetWidth() - 5, l2->GetLeft());
    EXPECT_EQ(l1->GetTop() + p->GetItemRect().Top, l2->GetTop());
    EXPECT_TRUE(GetWindowLongW(Level(2), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongW(Level(2), GWL_EXSTYLE) & WS_EX_LAYERED);

    // Level 2: hovering an item with children opens level 3.
    Move(2, Centre(c2));
    EXPECT_EQ(c2, Menu->GetHotItem());
    EXPECT_EQ(c2, Menu->GetLevel3Parent());
    EXPECT_NE(nullptr, Level(3));
    Move(2, Centre(c1));
    EXPECT_EQ(nullptr, Menu->GetLevel3Parent());
    PumpMessagesFor(20);
    EXPECT_EQ(nullptr, Level(3));

    // Leaving every item clears the hot item, the open submenu stays. One hot item serves the
    // whole menu: a move over level 1 does not clear a hot item of level 2.
    Move(1, TPoint(1, 1));
    EXPECT_EQ(c1, Menu->GetHotItem());
    Move(2, TPoint(1, 1));
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    EXPECT_NE(nullptr, Level(2));
    Move(1, Centre(p));
    Move(1, Centre(line));
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    EXPECT_NE(nullptr, Level(2));
    // A disabled item with children is never hot and opens nothing; another item closes level 2.
    Move(1, Centre(off));
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    Move(1, Centre(a));
    EXPECT_EQ(a, Menu->GetHotItem());
    EXPECT_EQ(nullptr, Menu->GetLevel2Parent());
    PumpMessagesFor(20);
    EXPECT_EQ(nullptr, Level(2));
}

TEST_F(PopupMenuTest, ClickOnSubmenuItemRunsItAndClosesEveryLevel) {
    ApplySkins();
    TVeskMenuItem* p = Add(L"parent");
    TVeskMenuItem* c = NewItem(L"child");
    c->SetAutoCheck(true);
    p->InsertItem(c, -1);
    int runs = 0;
    c->OnClick = [&runs](TObject*) { ++runs; };
    Menu->Popup(50, 50);
    Move(1, Centre(p));
    HWND h1 = Level(1), h2 = Level(2);
    ASSERT_NE(nullptr, h2);
    // A press and release on the parent does nothing.
    Click(1, Centre(p));
    EXPECT_TRUE(Menu->GetShown());
    EXPECT_EQ(nullptr, Menu->GetPressedItem());
    Click(2, Centre(c));
    EXPECT_EQ(1, runs);
    EXPECT_TRUE(c->GetChecked());
    EXPECT_FALSE(Menu->GetShown());
    EXPECT_EQ(nullptr, Menu->GetHotItem());
    PumpMessagesFor(30);
    EXPECT_FALSE(IsWindow(h1));
    EXPECT_FALSE(IsWindow(h2));
}

TEST_F(PopupMenuTest, ReleaseOffThePressedItemRunsNothing) {
    ApplySkins();
    TVeskMenuItem* a = Add(L"a");
    TVeskMenuItem* b = Add(L"b");
    int runs = 0;
    a->OnClick = [&runs](TObject*) { ++runs; };
    Menu->Popup(50, 50);
    HWND h = Level(1);
    Move(1, Centre(a));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, Pt(Centre(a).X, Centre(a).Y));
    EXPECT_EQ(a, Menu->GetPressedItem());
    Move(1, Centre(b));
    EXPECT_EQ(nullptr, Menu->GetPressedItem());
    SendMessageW(h, WM_LBUTTONUP, 0, Pt(Centre(b).X, Centre(b).Y));
    EXPECT_EQ(0, runs);
    EXPECT_TRUE(Menu->GetShown());
}

// ------------------------------------------------------------------------------------------------
// Scrolling

class ScrollTest : public PopupMenuTest {
protected:
    void SetUp() override {
        PopupMenuTest::SetUp();
        ApplySkins();
        Screen->SetWorkAreaRect(TRect(0, 0, 800, 300));
        for (int i = 0; i < 20; ++i) Add(L"Row " + std::to_wstring(i));
        Menu->Popup(10, 10);
        ASSERT_TRUE(Menu->GetLevelScrollable(1));
    }
    TPoint Mid(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
};

TEST_F(ScrollTest, HoldingTheDownButtonRepeatsUntilRelease) {
    const TPoint down = Mid(Menu->GetLevelDownRect(1));
    Move(1, down);
    EXPECT_TRUE(Menu->GetLevelDownHot(1));
    SendMessageW(Level(1), WM_LBUTTONDOWN, MK_LBUTTON, Pt(down.X, down.Y));
    // One step at once, then after the keyboard delay one per repeat interval.
    EXPECT_EQ(1, Menu->GetLevelFirstIndex(1));
    ASSERT_NE(nullptr, Menu->GetRepeatTimer());
    EXPECT_TRUE(Menu->GetRepeatTimer()->GetEnabled());
    EXPECT_EQ(UINT(TVeskPopupMenu::MenuRepeatDelay()), Menu->GetRepeatTimer()->GetInterval());
    PumpMessagesFor(UINT(TVeskPopupMenu::MenuRepeatDelay()) + 150);
    EXPECT_GT(Menu->GetLevelFirstIndex(1), 1);
    EXPECT_EQ(UINT(TVeskPopupMenu::MenuRepeatInterval()), Menu->GetRepeatTimer()->GetInterval());
    SendMessageW(Level(1), WM_LBUTTONUP, 0, Pt(down.X, down.Y));
    EXPECT_FALSE(Menu->GetRepeatTimer()->GetEnabled());
    EXPECT_FALSE(Menu->GetLevelDownPressed(1));
    const int after = Menu->GetLevelFirstIndex(1);
    PumpMessagesFor(100);
    EXPECT_EQ(after, Menu->GetLevelFirstIndex(1));
    // The first shown item sits right below the up button.
    EXPECT_EQ(Menu->GetLevelUpRect(1).Bottom, Menu->GetItem(after)->GetItemRect().Top);
}

TEST_F(ScrollTest, StepsStopAtBothEnds) {
    Menu->ScrollLevel(1, false);
    EXPECT_EQ(0, Menu->GetLevelFirstIndex(1));
    int guard = 0;
    int last = -1;
    while (last != Menu->GetLevelFirstIndex(1) && guard++ < 50) {
        last = Menu->GetLevelFirstIndex(1);
        Menu->ScrollLevel(1, true);
    }
    const int end = Menu->GetLevelFirstIndex(1);
    EXPECT_GT(end, 0);
    // At the end the last item is shown.
    EXPECT_NE(TRect(-1, -1, -1, -1), Menu->GetItem(19)->GetItemRect());
    // Holding the down button there: the step is refused, the timer still runs.
    const TPoint down = Mid(Menu->GetLevelDownRect(1));
    Move(1, down);
    SendMessageW(Level(1), WM_LBUTTONDOWN, MK_LBUTTON, Pt(down.X, down.Y));
    EXPECT_EQ(end, Menu->GetLevelFirstIndex(1));
    EXPECT_TRUE(Menu->GetRepeatTimer()->GetEnabled());
    SendMessageW(Level(1), WM_LBUTTONUP, 0, Pt(down.X, down.Y));
    EXPECT_FALSE(Menu->GetRepeatTimer()->GetEnabled());
}

TEST_F(ScrollTest, WheelScrollsTheDeepestOpenLevelOnly) {
    SendMessageW(Level(1), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), Pt(20, 20));
    EXPECT_EQ(1, Menu->GetLevelFirstIndex(1));
    SendMessageW(Level(1), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Pt(20, 20));
    EXPECT_EQ(0, Menu->GetLevelFirstIndex(1));
    // With a (short) submenu open, the wheel goes to it and level 1 stays.
    TVeskMenuItem* row = Menu->GetItem(0);
    row->InsertItem(NewItem(L"sub"), -1);
    Move(1, Centre(row));
    ASSERT_NE(nullptr, Level(2));
    SendMessageW(Level(1), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), Pt(20, 20));
    EXPECT_EQ(0, Menu->GetLevelFirstIndex(1));
}

TEST_F(ScrollTest, ClosingWhileHeldStopsTheRepeat) {
    const TPoint down = Mid(Menu->GetLevelDownRect(1));
    Move(1, down);
    SendMessageW(Level(1), WM_LBUTTONDOWN, MK_LBUTTON, Pt(down.X, down.Y));
    ASSERT_TRUE(Menu->GetRepeatTimer()->GetEnabled());
    Menu->CloseMenu();
    EXPECT_FALSE(Menu->GetRepeatTimer()->GetEnabled());
    EXPECT_FALSE(Menu->GetLevelDownPressed(1));
}

}  // namespace
