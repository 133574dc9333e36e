// Mouse, wheel and focus handling: hot tracking, the selection rules, check boxes, the rubber
// band, drag and drop, the popup button rules and the Report header.
#include "lv_fixture.h"

using namespace lvtest;

namespace {
int CenterY(TVeskLvItem* i) { return (i->ItemRect.Top + i->ItemRect.Bottom) / 2; }
uint32_t PixelOf(fw::TBitmap* B, int X, int Y) { return reinterpret_cast<const uint32_t*>(B->ScanLine(Y))[X]; }
}  // namespace

class ListViewInputTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Lv->SetMultiSelect(true);
        Lv->Loaded();
        AddItems(4);
        Render();
        Lv->OnItemSelectChange = [this](fw::TObject*, TVeskLvItem* i) { SelectEvents.push_back(Lv->IndexOf(i)); };
        Lv->OnItemClick = [this](fw::TObject*, TVeskLvItem*) { ++Clicks; };
        Lv->OnMouseUp = [this](fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int) { ++MouseUps; };
        Lv->OnMouseDown = [this](fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int) { ++MouseDowns; };
    }
    std::vector<int> SelectEvents;
    int Clicks = 0, MouseUps = 0, MouseDowns = 0;
};

TEST_F(ListViewInputTest, ClickSelectsAloneAndEmptySpaceDeselectsAll) {
    ClickItem(1);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{1});
    EXPECT_EQ(SelectEvents, std::vector<int>{1});
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Lv->GetCurrentItem(), Lv->GetItem(1));
    ClickItem(2, MK_CONTROL);
    EXPECT_EQ(SelectedIndices(), (std::vector<int>{1, 2}));
    SelectEvents.clear();
    // Below the last row: empty space.
    Move(50, 190);
    Press(50, 190);
    Release(50, 190);
    EXPECT_TRUE(SelectedIndices().empty());
    EXPECT_EQ(SelectEvents, (std::vector<int>{1, 2}));
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
}

TEST_F(ListViewInputTest, CtrlClickNeverDeselectsAndFiresNothing) {
    ClickItem(0);
    SelectEvents.clear();
    ClickItem(0, MK_CONTROL);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{0});
    ClickItem(3, MK_CONTROL);
    EXPECT_EQ(SelectedIndices(), (std::vector<int>{0, 3}));
    EXPECT_TRUE(SelectEvents.empty());
}

TEST_F(ListViewInputTest, ShiftClickSelectsRanges) {
    ClickItem(1, MK_SHIFT);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{1});
    EXPECT_EQ(Lv->GetAnchorItem(), Lv->GetItem(1));
    ClickItem(3, MK_SHIFT);
    EXPECT_EQ(SelectedIndices(), (std::vector<int>{1, 2, 3}));
    // Above the anchor: the range turns round the anchor.
    ClickItem(0, MK_SHIFT);
    EXPECT_EQ(SelectedIndices(), (std::vector<int>{0, 1, 2, 3}));
    ClickItem(2);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{2});
}

TEST_F(ListViewInputTest, TenPixelsIsAClickElevenStartsTheBand) {
    Lv->SetImgSelBox(Strip(4, 4, {RGB(0, 200, 0)}).get());
    TVeskLvItem* item = Lv->GetItem(0);
    const int y = CenterY(item);
    Move(30, y);
    Press(30, y);
    Move(30, y + 10, MK_LBUTTON);
    Release(30, y + 10);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(MouseUps, 1);
    Move(30, y);
    Press(30, y);
    Move(40, y + 60, MK_LBUTTON);
    EXPECT_EQ(Lv->GetBandEnd(), fw::TPoint(40, y + 60));
    Render();
    // The band reaches rows 0 and 1 and selects them, without events.
    EXPECT_EQ(SelectedIndices(), (std::vector<int>{0, 1}));
    SelectEvents.clear();
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
    Move(30, y);
    Lv->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, y));
    Lv->Perform(WM_RBUTTONUP, 0, MAKELPARAM(30, y));
    EXPECT_EQ(itemUps, 0);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(ListViewInputTest, CheckBoxClickTogglesAndFiresOnItemCheck) {
    // The check frames are cut at loading: a list view made with its check skin.
    Lv->Free();
    Lv = new TVeskListView(Form);
    Lv->SetParent(Form);
    Lv->SetBounds(10, 10, 204, 200);
    Lv->SetViewStyle(VvsList);
    Lv->SetImgitem(Strip(20, 40, {kOver, kDown}).get());
    Lv->SetImgCheck(Strip(10, 10, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4)}).get());
    Lv->SetCheckStateCount(4);
    Lv->SetShowCheckBox(true);
    Lv->Loaded();
    AddItems(4);
    Lv->OnItemClick = [this](fw::TObject*, TVeskLvItem*) { ++Clicks; };
    Render();
    TVeskLvItem* item = Lv->GetItem(0);
    ASSERT_NE(item->CheckRect.Left, -1);
    std::vector<int> checks;
    Lv->OnItemCheck = [&](fw::TObject*, TVeskLvItem* i) { checks.push_back(i->Checked); };
    const int cx = item->CheckRect.Left + 2, cy = item->CheckRect.Top + 2;
    Move(cx, cy);
    EXPECT_EQ(Lv->GetCheckHotItem(), item);
    Press(cx, cy);
    Release(cx, cy);
    EXPECT_EQ(checks, std::vector<int>{1});
    // Pressed on the box, released elsewhere: nothing, and the next item click still works.
    Press(cx, cy);
    Move(100, CenterY(Lv->GetItem(2)), MK_LBUTTON);
    Release(100, CenterY(Lv->GetItem(2)));
    EXPECT_EQ(checks, std::vector<int>{1});
    Clicks = 0;
    ClickItem(2);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(ListViewInputTest, IconCheckBoxWithoutImagesLiesInsideItsCellAndToggles) {
    Lv->Free();
    Lv = new TVeskListView(Form);
    Lv->SetParent(Form);
    Lv->SetBounds(10, 10, 204, 200);
    Lv->SetViewStyle(VvsIcon);
    Lv->SetItemWidth(60);
    Lv->SetItemheight(60);
    Lv->SetImgCheck(Strip(10, 10, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4)}).get());
    Lv->SetShowCheckBox(true);
    Lv->Loaded();
    AddItems(2);
    auto dib = Render();
    TVeskLvItem* item = Lv->GetItem(1);
    const fw::TRect ir = item->ItemRect, cr = item->CheckRect;
    EXPECT_EQ(cr.Left, ir.Left + 2);
    EXPECT_EQ(cr.Top, ir.Top + 2);
    EXPECT_EQ(cr.Bottom, cr.Top + 10);
    // The unchecked frame is drawn there.
    EXPECT_EQ(dib->Pixel(cr.Left + 3, cr.Top + 3) & 0xFFFFFF, 0x010101u);
    std::vector<int> checks;
    Lv->OnItemCheck = [&](fw::TObject*, TVeskLvItem* i) { checks.push_back(i->Checked); };
    Move(cr.Left + 3, cr.Top + 3);
    EXPECT_EQ(Lv->GetCheckHotItem(), item);
    Press(cr.Left + 3, cr.Top + 3);
    Release(cr.Left + 3, cr.Top + 3);
    EXPECT_EQ(checks, std::vector<int>{1});
}

TEST_F(ListViewInputTest, RightPressWithoutRightSelectIsOnlyAReleaseForTheApp) {
    const int y = CenterY(Lv->GetItem(1));
    Move(50, y);
    Lv->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, y));
    EXPECT_EQ(MouseDowns, 0);
    EXPECT_EQ(Lv->GetDownItem(), nullptr);
    Lv->Perform(WM_RBUTTONUP, 0, MAKELPARAM(50, y));
    EXPECT_EQ(MouseUps, 1);
    EXPECT_TRUE(SelectedIndices().empty());
    Lv->SetSupportRightSelect(true);
    Lv->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, y));
    EXPECT_EQ(MouseDowns, 1);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{1});
    Lv->Perform(WM_RBUTTONUP, 0, MAKELPARAM(50, y));
}

TEST_F(ListViewInputTest, DragNeedsSixPixelsAndDropsBeforeTheTarget) {
    Lv->SetCanDrag(true);
    ClickItem(0);
    ClickItem(2, MK_CONTROL);
    ASSERT_EQ(SelectedIndices(), (std::vector<int>{0, 2}));
    TVeskLvItem* a = Lv->GetItem(0);
    TVeskLvItem* b = Lv->GetItem(1);
    TVeskLvItem* c = Lv->GetItem(2);
    TVeskLvItem* d = Lv->GetItem(3);
    int starts = 0;
    Lv->OnDragBeging = [&](fw::TObject*) { ++starts; };
    // Press on the caption of a selected item (multi-selection arms only on text or image).
    const int x = a->TextRect.Left + 3, y = CenterY(a);
    Move(x, y);
    Press(x, y);
    EXPECT_TRUE(Lv->GetDragArmed());
    Move(x + 5, y, MK_LBUTTON);
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    Move(x + 6, y, MK_LBUTTON);
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(Lv->GetDragImage()->GetWidth(), 204 / 2);
    EXPECT_EQ(Lv->GetDragImage()->GetHeight(), 40 / 3 + 40);
    EXPECT_EQ(Lv->GetCursor(), fw::crMultiDrag);
    // Over a selected item there is no target.
    Move(x, CenterY(c), MK_LBUTTON);
    EXPECT_EQ(Lv->GetDropTarget(), nullptr);
    Move(x, CenterY(d), MK_LBUTTON);
    EXPECT_EQ(Lv->GetDropTarget(), d);
    Clicks = 0;
    Release(x, CenterY(d));
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(Lv->GetItem(0), b);
    EXPECT_EQ(Lv->GetItem(1), a);
    EXPECT_EQ(Lv->GetItem(2), c);
    EXPECT_EQ(Lv->GetItem(3), d);
    EXPECT_TRUE(SelectedIndices().empty());
    EXPECT_EQ(Lv->GetCursor(), fw::crDefault);
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
}

TEST_F(ListViewInputTest, DragImageIsHalfTransparentAndCountsManyItems) {
    Lv->SetCanDrag(true);
    AddItems(8);
    for (int i = 0; i < Lv->Count(); ++i) Lv->GetItem(i)->SetSelected(true);
    Render();
    TVeskLvItem* a = Lv->GetItem(0);
    const int x = a->TextRect.Left + 3, y = CenterY(a);
    Move(x, y);
    Press(x, y);
    Move(x, y + 8, MK_LBUTTON);
    fw::TBitmap* img = Lv->GetDragImage();
    ASSERT_NE(img, nullptr);
    GdiFlush();
    // The image is painted with its own (premultiplied) alpha: no colour byte may exceed it, and
    // the copied rows are there at about half strength.
    bool valid = true;
    for (int py = 0; py < img->GetHeight() && valid; ++py)
        for (int px = 0; px < img->GetWidth(); ++px) {
            const uint32_t c = PixelOf(img, px, py);
            const uint32_t al = c >> 24;
            if ((c & 0xFF) > al || ((c >> 8) & 0xFF) > al || ((c >> 16) & 0xFF) > al) {
                valid = false;
                break;
            }
        }
    EXPECT_TRUE(valid);
    const uint32_t mid = PixelOf(img, img->GetWidth() / 2, img->GetHeight() - 5);
    EXPECT_GE(mid >> 24, 128u);
    EXPECT_GE(mid & 0xFF, 90u);  // the blue down frame of the selected rows
    // More than ten selected: the count is written in opaque red at the top left.
    bool red = false;
    for (int py = 2; py < 30 && !red; ++py)
        for (int px = 2; px < 40; ++px) {
            const uint32_t c = PixelOf(img, px, py);
            if ((c >> 24) == 255 && ((c >> 16) & 0xFF) >= 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60) red = true;
        }
    EXPECT_TRUE(red);
    Release(x, y + 8);
}

TEST_F(ListViewInputTest, DroppingOnASelectedItemMovesNothing) {
    Lv->SetCanDrag(true);
    ClickItem(1);
    TVeskLvItem* b = Lv->GetItem(1);
    const int x = b->TextRect.Left + 3, y = CenterY(b);
    Move(x, y);
    Press(x, y);
    Move(x, y + 8, MK_LBUTTON);
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    Release(x, y + 8);
    EXPECT_EQ(Lv->GetItem(1), b);
    EXPECT_EQ(SelectedIndices(), std::vector<int>{1});
}

TEST_F(ListViewInputTest, DragSwitchedOffWhileRunningLeavesNoImageBehind) {
    Lv->SetCanDrag(true);
    ClickItem(0);
    TVeskLvItem* a = Lv->GetItem(0);
    TVeskLvItem* d = Lv->GetItem(3);
    Lv->OnDragBeging = [this](fw::TObject*) { Lv->SetCanDrag(false); };
    const int x = a->TextRect.Left + 3, y = CenterY(a);
    Move(x, y);
    Press(x, y);
    Move(x, CenterY(d), MK_LBUTTON);
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    Release(x, CenterY(d));
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    EXPECT_EQ(Lv->GetCursor(), fw::crDefault);
    EXPECT_EQ(Lv->GetItem(0), a);
    EXPECT_EQ(Lv->GetItem(3), d);
}

TEST_F(ListViewInputTest, ReleaseWithoutDragEndsTheArming) {
    Lv->SetCanDrag(true);
    ClickItem(1);
    TVeskLvItem* b = Lv->GetItem(1);
    Move(b->TextRect.Left + 3, CenterY(b));
    Press(b->TextRect.Left + 3, CenterY(b));
    Release(b->TextRect.Left + 3, CenterY(b));
    EXPECT_FALSE(Lv->GetDragArmed());
    // A later press on empty space and a long move draws a band, not a drag.
    Press(50, 190);
    Move(50, 150, MK_LBUTTON);
    EXPECT_EQ(Lv->GetDragImage(), nullptr);
    Release(50, 150);
}

TEST_F(ListViewInputTest, DoubleClickReportsTheHotItem) {
    TVeskLvItem* hit = nullptr;
    Lv->OnItemDbClick = [&](fw::TObject*, TVeskLvItem* i) { hit = i; };
    const int y = CenterY(Lv->GetItem(2));
    Move(60, y);
    Lv->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, y));
    Release(60, y);
    EXPECT_EQ(hit, Lv->GetItem(2));
}

TEST_F(ListViewInputTest, LeavingClearsTheHotItem) {
    Move(60, CenterY(Lv->GetItem(2)));
    ASSERT_EQ(Lv->GetHotItem(), Lv->GetItem(2));
    int leaves = 0;
    Lv->OnMouseLeave = [&](fw::TObject*) { ++leaves; };
    Lv->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(leaves, 1);
}

TEST_F(ListViewInputTest, WheelScrollsOnlyWithFocusAndBar) {
    Lv->SetVerScrollRes(MakeBarRes());
    AddItems(6);
    Render();
    TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->GetVisible());
    Form->Show();
    Pump(50);
    bool wheelEvent = false;
    Lv->OnMouseWheel = [&](fw::TObject*, fw::TShiftState, int, fw::TPoint, bool&) { wheelEvent = true; };
    Lv->SetFocus();
    Pump(50);
    ASSERT_TRUE(Lv->Focused());
    const int step = bar->GetSmallChange();
    EXPECT_EQ(step, 2 + 10);
    Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(bar->GetPosition(), step);
    EXPECT_EQ(Lv->GetTopOffset(), -step);
    EXPECT_TRUE(wheelEvent);
    // One notch is one step whatever the delta.
    Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-600)), 0);
    EXPECT_EQ(bar->GetPosition(), 2 * step);
    Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(bar->GetPosition(), step);
    Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(bar->GetPosition(), 0);
    // Without the focus nothing scrolls.
    SetFocus(nullptr);
    Pump(20);
    ASSERT_FALSE(Lv->Focused());
    Lv->Perform(fw::CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(bar->GetPosition(), 0);
}

class ListViewHeaderTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Lv->SetViewStyle(VvsReport);
        Lv->Loaded();
        C0 = Lv->AddColumn();
        C0->Width = 60;
        C0->Sortable = true;
        C1 = Lv->AddColumn();
        C1->Width = 50;
        C1->Sortable = true;
        AddItems(2);
        Render();
    }
    TVeskLvHeadItem* C0 = nullptr;
    TVeskLvHeadItem* C1 = nullptr;
};

TEST_F(ListViewHeaderTest, ColumnClicksCycleTheSortState) {
    std::vector<int> clicks;
    Lv->OnHeadClickEvent = [&](fw::TObject*, TVeskLvHeadItem*, int i) { clicks.push_back(i); };
    Move(20, 10);
    EXPECT_EQ(Lv->GetHotColumn(), C0);
    Press(20, 10);
    Release(20, 10);
    EXPECT_EQ(C0->SortState, 1);
    Press(20, 10);
    Release(20, 10);
    EXPECT_EQ(C0->SortState, 2);
    Move(80, 10);
    Press(80, 10);
    Release(80, 10);
    EXPECT_EQ(C1->SortState, 1);
    EXPECT_EQ(C0->SortState, 0);
    EXPECT_EQ(clicks, (std::vector<int>{0, 0, 1}));
}

TEST_F(ListViewHeaderTest, ResizeKeepsThirtyPixelsAndStaysOffTheEdges) {
    Move(61, 10);
    EXPECT_EQ(Lv->GetSplitColumn(), C0);
    EXPECT_EQ(Lv->GetCursor(), fw::crSizeWE);
    Press(61, 10);
    EXPECT_EQ(Lv->GetResizeColumn(), C0);
    Move(81, 10, MK_LBUTTON);
    EXPECT_EQ(C0->Width, 80);
    Move(30, 10, MK_LBUTTON);  // 29: refused
    EXPECT_EQ(C0->Width, 80);
    Move(31, 10, MK_LBUTTON);
    EXPECT_EQ(C0->Width, 30);
    Move(204 - 19, 10, MK_LBUTTON);  // within 20 of the right edge
    EXPECT_EQ(C0->Width, 30);
    Move(204 - 20, 10, MK_LBUTTON);
    EXPECT_EQ(C0->Width, 204 - 20 + 60 - 61);
    Release(204 - 20, 10);
    EXPECT_EQ(Lv->GetResizeColumn(), nullptr);
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

TEST_F(ListViewInputTest, EnteringTakesTheFocusAndLosingItForgetsTheCurrentItem) {
    Form->Show();
    Pump(50);
    Lv->Perform(fw::CM_MOUSEENTER, 0, 0);
    Pump(20);
    EXPECT_TRUE(Lv->Focused());
    ClickItem(1);
    ASSERT_EQ(Lv->GetCurrentItem(), Lv->GetItem(1));
    ASSERT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    SetFocus(nullptr);
    Pump(20);
    EXPECT_EQ(Lv->GetCurrentItem(), nullptr);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    // The selection itself stays.
    EXPECT_EQ(SelectedIndices(), std::vector<int>{1});
}

TEST_F(ListViewInputTest, RightReleasePopsTheMenuAndLeavingForItKeepsTheHotItem) {
    auto* menu = new TVeskPopupMenu(Form);
    auto* entry = new TVeskMenuItem();
    entry->SetCaption(L"entry");
    menu->InsertItem(entry, -1);
    Lv->SetPopupMenu(menu);
    const int y = CenterY(Lv->GetItem(1));
    Move(50, y);
    Lv->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, y));
    Lv->Perform(WM_RBUTTONUP, 0, MAKELPARAM(50, y));
    ASSERT_TRUE(menu->GetShown());
    EXPECT_EQ(MouseUps, 1);
    int leaves = 0;
    Lv->OnMouseLeave = [&](fw::TObject*) { ++leaves; };
    Lv->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Lv->GetHotItem(), Lv->GetItem(1));
    EXPECT_EQ(leaves, 0);
    menu->CloseMenu();
    Lv->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Lv->GetHotItem(), nullptr);
    EXPECT_EQ(leaves, 1);
}

TEST_F(ListViewInputTest, DraggingNearTheBottomEdgeScrollsDown) {
    Lv->SetVerScrollRes(MakeBarRes());
    Lv->SetCanDrag(true);
    AddItems(6);
    Render();
    TVeskPngScrollBar* bar = Lv->GetVerScrollBar();
    ASSERT_TRUE(bar && bar->GetVisible());
    ClickItem(0);
    TVeskLvItem* a = Lv->GetItem(0);
    const int x = a->TextRect.Left + 3, y = CenterY(a);
    Move(x, y);
    Press(x, y);
    Move(x, y + 7, MK_LBUTTON);
    ASSERT_NE(Lv->GetDragImage(), nullptr);
    EXPECT_EQ(bar->GetPosition(), 0);
    Move(x, 200 - 3, MK_LBUTTON);
    EXPECT_EQ(bar->GetPosition(), bar->GetSmallChange());
    EXPECT_EQ(Lv->GetTopOffset(), -bar->GetSmallChange());
    // The same point again does nothing more.
    Move(x, 200 - 3, MK_LBUTTON);
    EXPECT_EQ(bar->GetPosition(), bar->GetSmallChange());
    Move(x, 2, MK_LBUTTON);
    EXPECT_EQ(bar->GetPosition(), 0);
    Release(x, 2);
}

TEST_F(ListViewHeaderTest, AutoSizeColumnTakesTheWidthChange) {
    C1->AutoSize = true;
    Lv->SetWidth(234);
    EXPECT_EQ(C1->Width, 80);
    EXPECT_EQ(Lv->GetHeaderRect().Right, 234);
    Lv->SetWidth(100);
    EXPECT_EQ(C1->Width, 80);  // 80 - 134 is below 1: refused
    EXPECT_EQ(C0->Width, 60);
}
