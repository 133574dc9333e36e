// Shared fixture of the list-box tests: a form with one list box, synthetic skins with known
// pixels, and mouse messages handed straight to the list.
#pragma once

#include <gtest/gtest.h>

#include "QimListBox.h"
#include "skin_resources.h"
#include "window_test.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lbtest {

using namespace testsupport;
using Sel = std::vector<bool>;
using Ev = std::vector<std::wstring>;

constexpr int kLeft = 10, kTop = 10;
constexpr COLORREF kOver = RGB(250, 0, 0), kSelected = RGB(0, 200, 0), kWhite = RGB(255, 255, 255);
constexpr COLORREF kCheck[4] = {RGB(1, 1, 101), RGB(2, 2, 102), RGB(3, 3, 103), RGB(4, 4, 104)};
const fw::TRect kUnset(-1, -1, -1, -1);
inline fw::TPoint operator+(fw::TPoint a, fw::TPoint b) { return fw::TPoint(a.X + b.X, a.Y + b.Y); }

class ListBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Form = NewForm(260, 220, RGB(0x20, 0x40, 0x60));
        Lb = AddControl<TQimListBox>(Form, kLeft, kTop, 200, 150);
    }
    // A new list in place of the first: loaded with `rows` rows, check boxes when asked (their
    // frames are cut by Loaded), its item events recorded.
    void Remake(int rows, bool checkBoxes) {
        Lb->Free();
        Lb = AddControl<TQimListBox>(Form, kLeft, kTop, 200, 150);
        Lb->SetShowCheckBox(checkBoxes);
        if (checkBoxes) CheckSkins();
        Load(rows);
        Record();
    }
    // Row skins: frame 0 (over) and frame 1 (selected), 20 x 30, middle columns 5..14 repeated.
    void RowSkins() {
        Lb->SetImgitem(Strip(20, 30, {kOver, kSelected}).get());
        Lb->Getitemsplit()->SetLeft(5);
        Lb->Getitemsplit()->SetRight(15);
    }
    void CheckSkins() { Lb->SetImgCheck(Strip(12, 10, {kCheck[0], kCheck[1], kCheck[2], kCheck[3]}).get()); }
    TQimScrollBarRes* BarRes() { return ScrollSkinRes<TQimScrollBarRes>(Form); }
    // Adds n rows, loads the list, paints it and gives its vertical bar.
    TQimScrollBar* Load(int n) {
        AddRows(n);
        Lb->Loaded();
        Paint();
        return Lb->GetVerScrollBar();
    }
    // Adds rows captioned "Row 0", "Row 1", ...
    void AddRows(int n) {
        for (int i = 0; i < n; ++i) Lb->AddItem()->SetCaption(L"Row " + std::to_wstring(Lb->Count()));
    }
    // The form painted (list coordinates are offset by (kLeft, kTop)).
    std::unique_ptr<DibSurface> Paint() { return Render(Form); }
    COLORREF At(const DibSurface& d, int x, int y) { return d.Color(kLeft + x, kTop + y); }
    COLORREF At(const DibSurface& d, fw::TPoint p) { return At(d, p.X, p.Y); }
    // Centre of row i in list coordinates; a point just inside the corner of its check box.
    fw::TPoint Centre(int i) {
        const fw::TRect& r = Lb->GetItem(i)->GetItemRect();
        return fw::TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    fw::TPoint Box(int i) {
        const fw::TRect& r = Lb->GetItem(i)->GetCheckRect();
        return fw::TPoint(r.Left + 1, r.Top + 1);
    }
    void Move(fw::TPoint p, WPARAM keys = 0) { Lb->Perform(WM_MOUSEMOVE, keys, Pt(p.X, p.Y)); }
    void Press(fw::TPoint p, WPARAM keys = 0) { Lb->Perform(WM_LBUTTONDOWN, keys | MK_LBUTTON, Pt(p.X, p.Y)); }
    void Release(fw::TPoint p, WPARAM keys = 0) { Lb->Perform(WM_LBUTTONUP, keys, Pt(p.X, p.Y)); }
    void RightClick(fw::TPoint p) {
        Move(p);
        Lb->Perform(WM_RBUTTONDOWN, MK_RBUTTON, Pt(p.X, p.Y));
        Lb->Perform(WM_RBUTTONUP, 0, Pt(p.X, p.Y));
    }
    // Hover, press and release at one point; or pressed at one and released at another.
    void Tap(fw::TPoint p, WPARAM keys = 0) { Drag(p, p, keys); }
    void Drag(fw::TPoint from, fw::TPoint to, WPARAM keys = 0) {
        Move(from, keys);
        Press(from, keys);
        if (to.X != from.X || to.Y != from.Y) Move(to, keys | MK_LBUTTON);
        Release(to, keys);
    }
    void ClickRow(int i, WPARAM keys = 0) { Tap(Centre(i), keys); }
    // Records every item event: "click:N", "click:nil", "check:N", "dbl:N".
    void Record() {
        auto name = [this](TQimLBoxItem* it) { return it ? std::to_wstring(Lb->IndexOf(it)) : std::wstring(L"nil"); };
        Lb->OnItemClick = [this, name](fw::TObject*, TQimLBoxItem* it) { Events.push_back(L"click:" + name(it)); };
        Lb->OnItemCheck = [this, name](fw::TObject*, TQimLBoxItem* it) { Events.push_back(L"check:" + name(it)); };
        Lb->OnItemDbClick = [this, name](fw::TObject*, TQimLBoxItem* it) { Events.push_back(L"dbl:" + name(it)); };
    }
    // The events recorded since the last call.
    Ev Took() { return std::exchange(Events, {}); }
    Sel Selection() {
        Sel s;
        for (int i = 0; i < Lb->Count(); ++i) s.push_back(Lb->GetItem(i)->GetSelected());
        return s;
    }

    TPlainForm* Form = nullptr;
    TQimListBox* Lb = nullptr;
    Ev Events;
};

}  // namespace lbtest
