// Shared fixture of the scroll-bar tests: a borderless form on screen, skins from the program's
// resources, synthetic strips with known pixels, and mouse messages sent to a control.
#pragma once

#include <gtest/gtest.h>

#include "fw_forms.h"
#include "fw_png.h"
#include "test_support.h"

#include <memory>
#include <string>
#include <vector>

namespace sbtest {

class TPlainForm : public fw::TForm {
public:
    FW_CLASSNAME(TPlainForm)
    TPlainForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}
};

inline std::unique_ptr<fw::TPngImage> Skin(const wchar_t* Name) {
    auto png = std::make_unique<fw::TPngImage>();
    png->LoadFromResource(GetModuleHandleW(nullptr), Name);
    return png;
}

// A horizontal strip of frames, frame i filled with Colors[i] (0x00BBGGRR) at alpha Alphas[i].
inline std::unique_ptr<fw::TPngImage> Strip(int FrameW, int FrameH, const std::vector<COLORREF>& Colors,
                                            const std::vector<uint8_t>& Alphas, bool Vertical = false) {
    auto png = std::make_unique<fw::TPngImage>();
    const int n = static_cast<int>(Colors.size());
    const int w = Vertical ? FrameW : FrameW * n, h = Vertical ? FrameH * n : FrameH;
    png->CreateBlank(fw::png::COLOR_RGBALPHA, 8, w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* c = png->Scanline(y);
        uint8_t* a = png->AlphaScanline(y);
        for (int x = 0; x < w; ++x) {
            const int f = Vertical ? y / FrameH : x / FrameW;
            c[x * 3] = GetBValue(Colors[f]);
            c[x * 3 + 1] = GetGValue(Colors[f]);
            c[x * 3 + 2] = GetRValue(Colors[f]);
            a[x] = Alphas[f];
        }
    }
    return png;
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        Form = fw::TForm::CreateNew<TPlainForm>(nullptr);
        Form->SetBorderStyle(fw::bsNone);
        Form->SetBounds(0, 0, 240, 260);
        Form->SetColor(RGB(0x20, 0x40, 0x60));
        Alive = Form->AliveToken();
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        fw::Application->OnException = nullptr;
        Pump(20);
    }
    static void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    static void Move(fw::TControl* c, int x, int y, bool left = false) {
        c->Perform(WM_MOUSEMOVE, left ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    static void Press(fw::TControl* c, int x, int y) { c->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    static void Release(fw::TControl* c, int x, int y) { c->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    static int Thumb() { return GetSystemMetrics(SM_CYVTHUMB); }

    TPlainForm* Form = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
};

}  // namespace sbtest
