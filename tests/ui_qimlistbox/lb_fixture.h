// Shared fixture of the list-box tests: a borderless form with one list box, synthetic skins with
// known pixels, rendering into a DIB and mouse messages sent to the list.
#pragma once

#include <gtest/gtest.h>

#include "QimListBox.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

#include <memory>
#include <string>
#include <vector>

#include "skin_support.h"

namespace lbtest {

class TPlainForm : public fw::TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
};

using testsupport::Skin;
using testsupport::Strip;

constexpr int kLeft = 10, kTop = 10;
constexpr COLORREF kOver = RGB(250, 0, 0), kSelected = RGB(0, 200, 0), kFormColour = RGB(0x20, 0x40, 0x60);
constexpr COLORREF kCheck[4] = {RGB(1, 1, 101), RGB(2, 2, 102), RGB(3, 3, 103), RGB(4, 4, 104)};

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        Form = fw::TForm::CreateNew<TPlainForm>(nullptr);
        Form->SetBorderStyle(fw::bsNone);
        Form->SetBounds(0, 0, 260, 220);
        Form->SetColor(kFormColour);
        Alive = Form->AliveToken();
        Lb = new TQimListBox(Form);
        Lb->SetParent(Form);
        Lb->SetBounds(kLeft, kTop, 200, 150);
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        fw::Application->OnException = nullptr;
        Pump(20);
        EXPECT_TRUE(Errors.empty()) << testsupport::Narrow(Errors.empty() ? L"" : Errors.front());
    }
    static void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    // Row skins: frame 0 (over) and frame 1 (selected), 20 x 30, middle columns 5..14 repeated.
    void RowSkins() {
        Lb->SetImgitem(Strip(20, 30, {kOver, kSelected}).get());
        Lb->Getitemsplit()->SetLeft(5);
        Lb->Getitemsplit()->SetRight(15);
    }
    void CheckSkins() { Lb->SetImgCheck(Strip(12, 10, {kCheck[0], kCheck[1], kCheck[2], kCheck[3]}).get()); }
    TQimScrollBarRes* BarRes() {
        auto* res = new TQimScrollBarRes(Form);
        res->SetImgBack(Skin(L"SB_BACK").get());
        res->SetImgSlider(Skin(L"SB_SLIDER").get());
        res->SetImgBtnLT(Skin(L"SB_UP").get());
        res->SetImgBtnRB(Skin(L"SB_DOWN").get());
        res->SetImgCenter(Skin(L"SB_CENTER").get());
        res->GetSliderSplit()->SetTop(7);
        res->GetSliderSplit()->SetBottom(15);
        return res;
    }
    // Adds rows captioned "Row 0", "Row 1", ...
    void AddRows(int n) {
        for (int i = 0; i < n; ++i) Lb->AddItem()->SetCaption(L"Row " + std::to_wstring(Lb->Count()));
    }
    // Renders the form into a fresh surface; returns it for pixel checks (list coordinates
    // are offset by (kLeft, kTop)).
    std::unique_ptr<testsupport::DibSurface> Paint() {
        auto dib = std::make_unique<testsupport::DibSurface>(260, 220);
        Form->PaintTo(dib->Dc(), 0, 0);
        return dib;
    }
    COLORREF At(const testsupport::DibSurface& d, int x, int y) { return d.Color(kLeft + x, kTop + y); }
    // Centre of row i in list coordinates.
    fw::TPoint Centre(int i) {
        const fw::TRect& r = Lb->GetItem(i)->GetItemRect();
        return fw::TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void Move(int x, int y, WPARAM keys = 0) { Lb->Perform(WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
    void Press(int x, int y, WPARAM keys = 0) { Lb->Perform(WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y, WPARAM keys = 0) { Lb->Perform(WM_LBUTTONUP, keys, MAKELPARAM(x, y)); }
    void RightPress(int x, int y) { Lb->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }
    void RightRelease(int x, int y) { Lb->Perform(WM_RBUTTONUP, 0, MAKELPARAM(x, y)); }
    // Hover, press and release on row i.
    void ClickRow(int i, WPARAM keys = 0) {
        const fw::TPoint p = Centre(i);
        Move(p.X, p.Y, keys);
        Press(p.X, p.Y, keys);
        Release(p.X, p.Y, keys);
    }
    // Records every item event: "click:N", "click:nil", "check:N", "dbl:N".
    void Record() {
        auto name = [this](TQimLBoxItem* it) { return it ? std::to_wstring(Lb->IndexOf(it)) : std::wstring(L"nil"); };
        Lb->OnItemClick = [this, name](fw::TObject* s, TQimLBoxItem* it) {
            EXPECT_EQ(s, Lb);
            Events.push_back(L"click:" + name(it));
        };
        Lb->OnItemCheck = [this, name](fw::TObject*, TQimLBoxItem* it) { Events.push_back(L"check:" + name(it)); };
        Lb->OnItemDbClick = [this, name](fw::TObject*, TQimLBoxItem* it) { Events.push_back(L"dbl:" + name(it)); };
    }
    std::vector<bool> Selection() {
        std::vector<bool> s;
        for (int i = 0; i < Lb->Count(); ++i) s.push_back(Lb->GetItem(i)->GetSelected());
        return s;
    }

    TPlainForm* Form = nullptr;
    TQimListBox* Lb = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
    std::vector<std::wstring> Events;
};

}  // namespace lbtest
