// Shared fixture of the list view tests: a form holding one list view in the List style with
// solid row skins, and mouse messages handed straight to the control.
#pragma once

#include <gtest/gtest.h>

#include "VeskListView.h"
#include "skin_resources.h"
#include "window_test.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lvtest {

using namespace testsupport;

constexpr COLORREF kBack = RGB(250, 250, 250), kOver = RGB(200, 0, 0), kDown = RGB(0, 0, 200);
const fw::TRect kUnset(-1, -1, -1, -1);

inline int CenterY(TVeskLvItem* i) { return (i->ItemRect.Top + i->ItemRect.Bottom) / 2; }

class ListViewTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(300, 320);
        Lv = MakeListView(VvsList);
    }
    // A list view at (10, 10, 204, 200) in place of the first; in the List style its rows take
    // two frames 20 x 40, over (red) and down (blue), stretched with fixed ends 5/15.
    TVeskListView* MakeListView(TVeskListViewStyle Style) {
        if (Lv) Lv->Free();
        Lv = AddControl<TVeskListView>(Form, 10, 10, 204, 200);
        Lv->SetColor(kBack);
        Lv->SetBorderColor(fw::clNone);
        Lv->SetViewStyle(Style);
        if (Style == VvsList) {
            Lv->SetImgitem(Strip(20, 40, {kOver, kDown}).get());
            Lv->Getitemsplit()->SetLeft(5);
            Lv->Getitemsplit()->SetRight(15);
        }
        Lv->OnNeedPaint = [this](fw::TObject*) { ++Repaints; };
        return Lv;
    }
    // Loaded, with n items, laid out.
    void Load(int n) {
        Lv->Loaded();
        AddItems(n);
        Render();
    }
    std::unique_ptr<fw::TPngImage> CheckStrip() {
        return Strip(10, 10, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4)});
    }
    void AddItems(int N) {
        for (int i = 0; i < N; ++i) Lv->AddItem()->SetCaption(L"Item " + std::to_wstring(i));
    }
    // Renders the list view (and so lays it out) into a surface of its size.
    std::unique_ptr<DibSurface> Render() { return testsupport::Render(Lv); }
    void Move(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_MOUSEMOVE, keys, Pt(x, y)); }
    void Press(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_LBUTTONDOWN, MK_LBUTTON | keys, Pt(x, y)); }
    void Release(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_LBUTTONUP, keys, Pt(x, y)); }
    void RightDown(int x, int y) { Lv->Perform(WM_RBUTTONDOWN, MK_RBUTTON, Pt(x, y)); }
    void RightUp(int x, int y) { Lv->Perform(WM_RBUTTONUP, 0, Pt(x, y)); }
    void RightClick(int x, int y) {
        Move(x, y);
        RightDown(x, y);
        RightUp(x, y);
    }
    // Hover, press and release at one point.
    void Tap(int x, int y, WPARAM keys = 0) {
        Move(x, y, keys);
        Press(x, y, keys);
        Release(x, y, keys);
    }
    // Hover and press at one point, move with the button down and release at another.
    void Drag(int x, int y, int toX, int toY) {
        Move(x, y);
        Press(x, y);
        Move(toX, toY, MK_LBUTTON);
        Release(toX, toY);
    }
    // Hover, press and release on the centre of item i's row.
    void ClickItem(int i, WPARAM keys = 0) {
        const fw::TRect r = Lv->GetItem(i)->ItemRect;
        Tap((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, keys);
    }
    std::vector<int> SelectedIndices() const {
        std::vector<int> out;
        for (int i = 0; i < Lv->Count(); ++i)
            if (Lv->GetItem(i)->Selected) out.push_back(i);
        return out;
    }
    TVeskScrollBarRes* MakeBarRes() { return ScrollSkinRes(Form); }
    // Moves the bar and the rows together, as a drag of the thumb does. (Offering the position
    // alone would leave the bar behind, and the bar's next update would take the rows back.)
    static void ScrollTo(TVeskPngScrollBar* Bar, int Pos) {
        Bar->SetPosition(Pos);
        Bar->DoScroll(Pos);
    }
    // Loaded with a vertical bar resource and n items, painted twice (the bar comes with the
    // first paint); gives the bar.
    TVeskPngScrollBar* WithBar(int n) {
        Lv->SetVerScrollRes(MakeBarRes());
        Load(n);
        Render();
        return Lv->GetVerScrollBar();
    }

    TPlainForm* Form = nullptr;
    TVeskListView* Lv = nullptr;
    int Repaints = 0;
};

}  // namespace lvtest
