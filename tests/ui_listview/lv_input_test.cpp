// Mouse, wheel and focus handling: hot tracking, the selection rules, check boxes, the rubber
// band, drag and drop and the popup button rules.
#include "lv_fixture.h"

#include "freed_memory_trap.h"

#include <algorithm>

using namespace lvtest;
using Ints = std::vector<int>;

namespace {
uint32_t PixelOf(fw::TBitmap* B, int X, int Y) { return reinterpret_cast<const uint32_t*>(B->ScanLine(Y))[X]; }
}  // namespace

class ListViewInputTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Lv->SetMultiSelect(true);
        Load(4);
        Lv->OnItemSelectChange = [this](fw::TObject*, TVeskLvItem* i) { SelectEvents.push_back(Lv->IndexOf(i)); };
        Lv->OnItemClick = [this](fw::TObject*, TVeskLvItem*) { ++Clicks; };
        Lv->OnMouseUp = [this](fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int) { ++MouseUps; };
        Lv->OnMouseDown = [this](fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int) { ++MouseDowns; };
    }
    // Presses on the caption of item i (a multi-selection arms the drag only on text or image)
    // and moves by (dx, dy) with the button down; the release is left to the test.
    void DragItem(int i, int dx, int dy) {
        TVeskLvItem* a = Lv->GetItem(i);
        X = a->TextRect.Left + 3;
        Y = CenterY(a);
        Move(X, Y);
        Press(X, Y);
        Move(X + dx, Y + dy, MK_LBUTTON);
    }
    Ints Took() { return std::exchange(SelectEvents, {}); }
    Ints SelectEvents;
    int Clicks = 0, MouseUps = 0, MouseDowns = 0, X = 0, Y = 0;
};

TEST_F(ListViewInputTest, ClickCtrlClickShiftClickAndEmptySpaceFollowTheSelectionRules) {
    struct Step {
        int item;  // -1: empty space below the rows
        WPARAM keys;
        Ints selected, events;  // events: not checked for Shift-clicks
    } steps[] = {
        {1, 0, {1}, {1}},                 // a click selects alone
        {2, MK_CONTROL, {1, 2}, {}},      // Ctrl adds quietly
        {2, MK_CONTROL, {1, 2}, {}},      // and never deselects
        {-1, 0, {}, {1, 2}},              // empty space deselects all
        {1, MK_SHIFT, {1}, {}},           // a Shift-click on the anchor selects it alone
        {3, MK_SHIFT, {1, 2, 3}, {}},     // a range from the anchor
        {0, MK_SHIFT, {0, 1, 2, 3}, {}},  // above the anchor: the range turns round it
        {2, 0, {2}, {0, 1, 3}},           // a plain click selects alone again
    };
    for (const Step& s : steps) {
        if (s.item < 0)
            Tap(50, 190);
        else
            ClickItem(s.item, s.keys);
        EXPECT_EQ(SelectedIndices(), s.selected) << s.item << "/" << s.keys;
        Ints events = Took();
        std::sort(events.begin(), events.end());
        if (s.keys != MK_SHIFT) {
            EXPECT_EQ(events, s.events) << s.item << "/" << s.keys;
        }
        if (!s.keys) {
            EXPECT_EQ(Lv->GetCurrentItem(), s.item < 0 ? nullptr : Lv->GetItem(s.item)) << s.item;
        }
    }
    EXPECT_EQ(Clicks, 7);
}

// An OnItemSelectChange handler that deletes an item in the middle of a selection loop: the loops
// and the click rules after them hand only items still in the list to the handler and keep no
// reference to the deleted one. The items are trapped, so any read of the freed one stops the test.
TEST_F(ListViewInputTest, SelectionHandlerDeletingAnItemLeavesOnlyLiveItemsTouched) {
    struct Case {
        const char* name;
        int anchor;  // a plain click first (-1: none)
        Ints preselected;
        int click;
        WPARAM keys;  // MK_RBUTTON: a right click, with right-button selection
        int deleteAt;  // the handler deletes the victim at this event (1 = first)
        int victim;
        Ints selected;  // afterwards, by index before the deletion
    } cases[] = {
        {"deselecting, a later item", -1, {0, 1, 2, 3, 4}, 0, 0, 1, 3, {0}},
        {"selecting a range, a later item", 0, {2, 4}, 1, MK_SHIFT, 2, 4, {0, 1}},
        {"deselecting, the clicked item", -1, {0, 1, 2}, 2, 0, 1, 2, {}},
        {"right press deselecting, the pressed item", -1, {0, 1}, 2, MK_RBUTTON, 1, 2, {}},
    };
    for (const Case& c : cases) {
        Lv->OnItemSelectChange = nullptr;
        Lv->Clear();
        {
            FreedMemoryTrap trap;
            AddItems(5);
        }
        Render();
        std::vector<TVeskLvItem*> items(Lv->GetItems());
        TVeskLvItem* victim = items[size_t(c.victim)];
        ASSERT_TRUE(FreedMemoryTrap::Holds(victim));
        if (c.anchor >= 0) ClickItem(c.anchor);
        for (int i : c.preselected) items[size_t(i)]->SetSelected(true);
        int events = 0, deadHandedOver = 0;
        Lv->OnItemSelectChange = [&](fw::TObject*, TVeskLvItem* i) {
            deadHandedOver += !Lv->HasItem(i);
            if (++events == c.deleteAt) Lv->DeleteItem(victim);
        };
        Lv->SetSupportRightSelect(c.keys == MK_RBUTTON);
        if (c.keys == MK_RBUTTON)
            RightClick(50, CenterY(items[size_t(c.click)]));
        else
            ClickItem(c.click, c.keys);
        EXPECT_GE(events, c.deleteAt) << c.name;
        EXPECT_FALSE(FreedMemoryTrap::Readable(victim)) << c.name;
        EXPECT_EQ(deadHandedOver, 0) << c.name;
        EXPECT_EQ(Lv->Count(), 4) << c.name;
        Ints selected;
        for (int i = 0; i < 5; ++i)
            if (i != c.victim && items[size_t(i)]->Selected) selected.push_back(i);
        EXPECT_EQ(selected, c.selected) << c.name;
        for (TVeskLvItem* ref : {Lv->GetAnchorItem(), Lv->GetRangeEndItem(), Lv->GetCurrentItem()})
            EXPECT_TRUE(!ref || Lv->HasItem(ref)) << c.name;
    }
}

TEST_F(ListViewInputTest, TenPixelsIsAClickElevenStartsTheBand) {
    Lv->SetImgSelBox(Strip(4, 4, {RGB(0, 200, 0)}).get());
    const int y = CenterY(Lv->GetItem(0));
    Drag(30, y, 30, y + 10);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(MouseUps, 1);
    Move(30, y);
    Press(30, y);
    Move(40, y + 60, MK_LBUTTON);
    EXPECT_EQ(Lv->GetBandEnd(), fw::TPoint(40, y + 60));
    Render();
    // The band reaches rows 0 and 1 and selects them, without events.
    EXPECT_EQ(SelectedIndices(), (Ints{0, 1}));
    Took();
    Release(40, y + 60);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(MouseUps, 1);
    EXPECT_TRUE(SelectEvents.empty());
    EXPECT_EQ(Lv->GetBandEnd().Y, -1);
    // The band's release also ends the press on row 0: a later right click reports nothing for it.
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    EXPECT_EQ(Lv->GetCheckDownItem(), nullptr);
    int itemUps = 0;
    Lv->OnItemMouseUP = [&](fw::TObject*, fw::TCanvas*, TVeskLvItem*, fw::TShiftState, int, int) { ++itemUps; };
    RightClick(30, y);
    EXPECT_EQ(itemUps, 0);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(ListViewInputTest, CheckBoxClickTogglesAndAPressReleasedElsewhereIsForgotten) {
    // The check frames are cut at loading: a list view made with its check skin.
    MakeListView(VvsList)->SetImgCheck(CheckStrip().get());
    Lv->SetShowCheckBox(true);
    Load(4);
    Lv->OnItemClick = [this](fw::TObject*, TVeskLvItem*) { ++Clicks; };
    TVeskLvItem* item = Lv->GetItem(0);
    ASSERT_NE(item->CheckRect.Left, -1);
    Ints checks;
    Lv->OnItemCheck = [&](fw::TObject*, TVeskLvItem* i) { checks.push_back(i->Checked); };
    const int cx = item->CheckRect.Left + 2, cy = item->CheckRect.Top + 2;
    Move(cx, cy);
    EXPECT_EQ(Lv->GetCheckHotItem(), item);
    Tap(cx, cy);
    EXPECT_EQ(checks, Ints{1});
    Drag(cx, cy, 100, CenterY(Lv->GetItem(2)));
    EXPECT_EQ(checks, Ints{1});
    Clicks = 0;
    ClickItem(2);
    EXPECT_EQ(Clicks, 1) << "the next item click still works";
}

TEST_F(ListViewInputTest, IconCheckBoxWithoutImagesLiesInsideItsCellAndToggles) {
    MakeListView(VvsIcon);
    Lv->SetItemWidth(60);
    Lv->SetItemheight(60);
    Lv->SetImgCheck(CheckStrip().get());
    Lv->SetShowCheckBox(true);
    Load(2);
    auto dib = Render();
    const fw::TRect ir = Lv->GetItem(1)->ItemRect, cr = Lv->GetItem(1)->CheckRect;
    EXPECT_EQ(cr, fw::TRect(ir.Left + 2, ir.Top + 2, ir.Left + 12, ir.Top + 12));
    EXPECT_EQ(dib->Color(cr.Left + 3, cr.Top + 3), RGB(1, 1, 1)) << "the unchecked frame is drawn there";
    Ints checks;
    Lv->OnItemCheck = [&](fw::TObject*, TVeskLvItem* i) { checks.push_back(i->Checked); };
    Tap(cr.Left + 3, cr.Top + 3);
    EXPECT_EQ(checks, Ints{1});
}

TEST_F(ListViewInputTest, DragNeedsSixPixelsAndDropsBeforeTheTarget) {
    Lv->SetCanDrag(true);
    ClickItem(0);
    ClickItem(2, MK_CONTROL);
    std::vector<TVeskLvItem*> items;
    for (int i = 0; i < 4; ++i) items.push_back(Lv->GetItem(i));
    int starts = 0;
    Lv->OnDragBeging = [&](fw::TObject*) { ++starts; };
    DragItem(0, 5, 0);
    EXPECT_TRUE(Lv->GetDragArmed());
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    Move(X + 6, Y, MK_LBUTTON);
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(Lv->GetCursor(), fw::crMultiDrag);
    Move(X, CenterY(items[2]), MK_LBUTTON);
    EXPECT_EQ(Lv->GetDropTarget(), nullptr) << "over a selected item there is no target";
    Move(X, CenterY(items[3]), MK_LBUTTON);
    EXPECT_EQ(Lv->GetDropTarget(), items[3]);
    Clicks = 0;
    Release(X, CenterY(items[3]));
    EXPECT_EQ(Clicks, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Lv->GetItem(i), items[size_t(i == 0 ? 1 : i == 1 ? 0 : i)]) << i;
    EXPECT_TRUE(SelectedIndices().empty());
    EXPECT_EQ(Lv->GetCursor(), fw::crDefault);
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
}

TEST_F(ListViewInputTest, DragImageIsHalfTransparentAndCountsManyItems) {
    Lv->SetCanDrag(true);
    AddItems(8);
    for (int i = 0; i < Lv->Count(); ++i) Lv->GetItem(i)->SetSelected(true);
    Render();
    DragItem(0, 0, 8);
    fw::TBitmap* img = Lv->GetDragImage();
    ASSERT_NE(img, nullptr);
    GdiFlush();
    // The image is painted with its own (premultiplied) alpha: no colour byte may exceed it, and
    // the copied rows are there at about half strength.
    auto count = [&](int x0, int y0, int x1, int y1, auto pred) {
        int n = 0;
        for (int py = y0; py < y1; ++py)
            for (int px = x0; px < x1; ++px) {
                const uint32_t c = PixelOf(img, px, py);
                n += pred(c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
            }
        return n;
    };
    using U = uint32_t;
    const int w = img->GetWidth(), h = img->GetHeight();
    EXPECT_EQ(count(0, 0, w, h, [](U a, U r, U g, U b) { return r > a || g > a || b > a; }), 0);
    const uint32_t mid = PixelOf(img, w / 2, h - 5);
    EXPECT_GE(mid >> 24, 128u);
    EXPECT_GE(mid & 0xFF, 90u);  // the blue down frame of the selected rows
    // More than ten selected: the count is written in opaque red at the top left.
    EXPECT_GT(count(2, 2, 40, 30, [](U a, U r, U g, U b) { return a == 255 && r >= 200 && g < 60 && b < 60; }), 0);
    Release(X, Y + 8);
}

TEST_F(ListViewInputTest, AReleaseWithoutDragEndsTheArmingAndADragSwitchedOffLeavesNoImage) {
    Lv->SetCanDrag(true);
    ClickItem(0);
    DragItem(0, 0, 0);
    Release(X, Y);
    EXPECT_FALSE(Lv->GetDragArmed());
    // A later press on empty space and a long move draws a band, not a drag.
    Press(50, 190);
    Move(50, 150, MK_LBUTTON);
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    Release(50, 150);

    ClickItem(0);
    TVeskLvItem* a = Lv->GetItem(0);
    Lv->OnDragBeging = [this](fw::TObject*) { Lv->SetCanDrag(false); };
    DragItem(0, 0, CenterY(Lv->GetItem(3)) - CenterY(a));
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    Release(X, CenterY(Lv->GetItem(3)));
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    EXPECT_EQ(Lv->GetCursor(), fw::crDefault);
    EXPECT_EQ(Lv->GetItem(0), a);
}

TEST_F(ListViewInputTest, EnteringTakesTheFocusForTheWheelWhichScrollsOneStepPerNotch) {
    Lv->SetVerScrollRes(MakeBarRes());
    AddItems(6);
    Render();
    TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
    ASSERT_TRUE(bar && bar->GetVisible());
    Form->Show();
    Pump(50);
    bool wheelEvent = false;
    Lv->OnMouseWheel = [&](fw::TObject*, fw::TShiftState, int, fw::TPoint, bool&) { wheelEvent = true; };
    Lv->Perform(fw::CM_MOUSEENTER, 0, 0);
    Pump(20);
    ASSERT_TRUE(Lv->Focused());
    const int step = bar->GetSmallChange();
    EXPECT_EQ(step, 2 + 10);
    auto wheel = [&](int delta) { Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0); };
    wheel(-120);
    EXPECT_EQ(Lv->GetTopOffset(), -step);
    EXPECT_TRUE(wheelEvent);
    for (const auto& [delta, steps] : {std::pair{-600, 2}, {120, 1}, {120, 0}}) {
        wheel(delta);
        EXPECT_EQ(bar->GetPosition(), steps * step) << delta;
    }
    // Losing the focus forgets the current and hot item but not the selection; the wheel is ignored.
    ClickItem(1);
    ASSERT_EQ(Lv->GetCurrentItem(), Lv->GetItem(1));
    SetFocus(nullptr);
    Pump(20);
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(SelectedIndices(), Ints{1});
    wheel(-120);
    EXPECT_EQ(bar->GetPosition(), 0) << "without the focus nothing scrolls";
}

TEST_F(ListViewInputTest, CutCaptionShowsItselfAsHintAndGivesTheOldHintBack) {
    Lv->SetHint(L"list hint");
    Lv->GetItem(1)->SetCaption(std::wstring(80, L'W'));
    Render();
    Move(60, CenterY(Lv->GetItem(1)));
    EXPECT_TRUE(Lv->GetItemHintShown());
    EXPECT_EQ(Lv->GetHint(), std::wstring(80, L'W'));
    EXPECT_TRUE(Lv->GetShowHint());
    Move(60, CenterY(Lv->GetItem(2)));
    EXPECT_FALSE(Lv->GetItemHintShown());
    EXPECT_EQ(Lv->GetHint(), L"list hint");
    EXPECT_FALSE(Lv->GetShowHint());
    // Moving between short captions keeps whatever hint the application set meanwhile.
    Lv->SetHint(L"changed");
    Move(60, CenterY(Lv->GetItem(3)));
    EXPECT_EQ(Lv->GetHint(), L"changed");
}

TEST_F(ListViewInputTest, RightButtonSelectsOnlyWhenAskedAndItsReleasePopsTheMenu) {
    const int y = CenterY(Lv->GetItem(1));
    Move(50, y);
    RightDown(50, y);
    EXPECT_EQ(MouseDowns, 0);
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    RightUp(50, y);
    EXPECT_EQ(MouseUps, 1) << "without right-button selection only the release reaches the application";
    EXPECT_TRUE(SelectedIndices().empty());
    Lv->SetSupportRightSelect(true);
    RightDown(50, y);
    EXPECT_EQ(MouseDowns, 1);
    EXPECT_EQ(SelectedIndices(), Ints{1});
    RightUp(50, y);

    auto* menu = new TVeskPopupMenu(Form);
    menu->InsertItem(new TVeskMenuItem(), -1);
    Lv->SetPopupMenu(menu);
    RightClick(50, y);
    ASSERT_TRUE(menu->GetShown());
    // Leaving for the menu keeps the hot item; leaving once it is closed clears it.
    Lv->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    menu->CloseMenu();
    Lv->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
}

// A hover over group rows renews only the rows whose look changed, in the buffer, and asks for the
// paint through OnNeedPaint; without that event only those rows are invalidated.
TEST_F(ListViewTest, GroupHoverRedrawsOnlyTheGroupRows) {
    Lv->SetShowGroup(true);
    Lv->SetShowCheckBox(true);
    Lv->SetImgCheck(CheckStrip().get());
    Lv->Loaded();
    TVeskGroupItem* a = Lv->AddGroup();
    TVeskGroupItem* b = Lv->AddGroup();
    Render();
    ASSERT_NE(a->CheckRect, kUnset);
    fw::TBitmap* buf = Lv->GetBuffer();
    const int checkX = (a->CheckRect.Left + a->CheckRect.Right) / 2, checkY = (a->CheckRect.Top + a->CheckRect.Bottom) / 2;
    const int below = b->GroupRect.Bottom + 10, inB = (b->GroupRect.Top + b->GroupRect.Bottom) / 2;
    const COLORREF marked = RGB(0x12, 0x34, 0x56);
    GdiFlush();
    for (int y : {below, inB}) reinterpret_cast<uint32_t*>(buf->ScanLine(y))[100] = 0x00123456;
    const int before = Repaints;
    Move(checkX, checkY);
    EXPECT_EQ(Lv->GetHotGroup(), a);
    EXPECT_EQ(Repaints, before + 1);
    EXPECT_EQ(PixelColor(*buf, checkX, checkY), RGB(3, 3, 3));
    EXPECT_EQ(PixelColor(*buf, 100, inB), marked) << "the other group is left alone";
    EXPECT_EQ(PixelColor(*buf, 100, below), marked) << "no full repaint";
    // To the other group: both rows are renewed, the rest of the buffer is not.
    Move(100, inB);
    EXPECT_EQ(Lv->GetHotGroup(), b);
    EXPECT_EQ(Repaints, before + 3);
    EXPECT_EQ(PixelColor(*buf, checkX, checkY), RGB(1, 1, 1));
    EXPECT_EQ(PixelColor(*buf, 100, inB), kBack);
    EXPECT_EQ(PixelColor(*buf, 100, below), marked);

    Lv->OnNeedPaint = nullptr;
    ParkMouse();
    Form->Show();  // a hidden window keeps no update region
    ValidateRect(Lv->GetHandle(), nullptr);
    Move(checkX, (b->CheckRect.Top + b->CheckRect.Bottom) / 2);
    RECT upd{};
    ASSERT_TRUE(GetUpdateRect(Lv->GetHandle(), &upd, FALSE));
    EXPECT_EQ(fw::TRect(upd.left, upd.top, upd.right, upd.bottom), b->GroupRect);
}
