// Shared fixture of the list view tests: a borderless form on screen holding one list view,
// skins from the program's resources, synthetic strips with known pixels, and mouse messages
// sent straight to the control.
#pragma once

#include <gtest/gtest.h>

#include "VeskListView.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

#include <memory>
#include <string>
#include <vector>

#include "skin_support.h"

namespace lvtest {

class TPlainForm : public fw::TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
};

using testsupport::Skin;
using testsupport::Strip;

constexpr COLORREF kBack = RGB(250, 250, 250);
constexpr COLORREF kOver = RGB(200, 0, 0);
constexpr COLORREF kDown = RGB(0, 0, 200);

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        Form = fw::TForm::CreateNew<TPlainForm>(nullptr);
        Form->SetBorderStyle(fw::bsNone);
        Form->SetBounds(0, 0, 300, 320);
        Alive = Form->AliveToken();
        Lv = new TVeskListView(Form);
        Lv->SetParent(Form);
        Lv->SetBounds(10, 10, 204, 200);
        Lv->SetColor(kBack);
        Lv->SetBorderColor(fw::clNone);
        Lv->SetViewStyle(VvsList);
        // Two frames 20 x 40: over (red), down (blue); stretched with fixed ends 5/15.
        Lv->SetImgitem(Strip(20, 40, {kOver, kDown}).get());
        Lv->Getitemsplit()->SetLeft(5);
        Lv->Getitemsplit()->SetRight(15);
        Lv->OnNeedPaint = [this](fw::TObject*) { ++Repaints; };
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        fw::Application->OnException = nullptr;
        Pump(20);
        EXPECT_TRUE(Errors.empty());
    }
    static void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    void AddItems(int N) {
        for (int i = 0; i < N; ++i) Lv->AddItem()->SetCaption(L"Item " + std::to_wstring(i));
    }
    // Renders the list view (and so lays it out) into a surface of its size.
    std::unique_ptr<testsupport::DibSurface> Render() {
        auto dib = std::make_unique<testsupport::DibSurface>(Lv->GetWidth(), Lv->GetHeight(), 0xFF000000);
        Lv->PaintTo(dib->Dc(), 0, 0);
        return dib;
    }
    void Move(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
    void Press(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y)); }
    void Release(int x, int y, WPARAM keys = 0) { Lv->Perform(WM_LBUTTONUP, keys, MAKELPARAM(x, y)); }
    // Hover, press and release on the centre of item i's row.
    void ClickItem(int i, WPARAM keys = 0) {
        const fw::TRect r = Lv->GetItem(i)->ItemRect;
        const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        Move(x, y, keys);
        Press(x, y, keys);
        Release(x, y, keys);
    }
    std::vector<int> SelectedIndices() const {
        std::vector<int> out;
        for (int i = 0; i < Lv->Count(); ++i)
            if (Lv->GetItem(i)->Selected) out.push_back(i);
        return out;
    }
    TVeskScrollBarRes* MakeBarRes() {
        auto* res = new TVeskScrollBarRes(Form);
        res->SetImgBack(Skin(L"SB_BACK").get());
        res->SetImgSlider(Skin(L"SB_SLIDER").get());
        res->SetImgBtnLT(Skin(L"SB_UP").get());
        res->SetImgBtnRB(Skin(L"SB_DOWN").get());
        res->SetImgCenter(Skin(L"SB_CENTER").get());
        return res;
    }

    TPlainForm* Form = nullptr;
    TVeskListView* Lv = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
    int Repaints = 0;
};

}  // namespace lvtest
