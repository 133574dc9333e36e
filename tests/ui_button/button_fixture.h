// Fixture of the PNG button tests: a borderless white form at the screen's top-left corner, the
// real mouse parked away, errors collected, and helpers for solid-colour skin strips.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VeskPngButton.h"
#include "fw_forms.h"
#include "test_support.h"

namespace buttontest {

class TTestForm : public fw::TForm {
public:
    FW_CLASSNAME(TTestForm)
    TTestForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
};

// A strip of solid frames, one colour (0x00BBGGRR) per frame, fully opaque.
inline std::unique_ptr<fw::TPngImage> SolidStrip(int frameW, int frameH, const std::vector<fw::TColor>& colors) {
    auto png = std::make_unique<fw::TPngImage>();
    png->CreateBlank(fw::png::COLOR_RGBALPHA, 8, frameW * int(colors.size()), frameH);
    for (int y = 0; y < frameH; ++y) {
        uint8_t* row = png->Scanline(y);
        uint8_t* alpha = png->AlphaScanline(y);
        for (int x = 0; x < png->GetWidth(); ++x) {
            fw::TColor c = colors[size_t(x / frameW)];
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
            alpha[x] = 255;
        }
    }
    return png;
}

inline std::unique_ptr<fw::TPngImage> SkinResource(const wchar_t* name) {
    auto png = std::make_unique<fw::TPngImage>();
    png->LoadFromResource(GetModuleHandleW(nullptr), name);
    return png;
}

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        ParkMouse();
        Form = fw::TForm::CreateNew<TTestForm>(nullptr);
        Form->SetBorderStyle(fw::bsNone);
        Form->SetBounds(0, 0, 300, 120);
        Form->SetColor(fw::clWhite);
        Alive = Form->AliveToken();
    }
    void TearDown() override {
        if (*Alive) Form->Free();
        Drain();
        fw::TMouseTracker::SetControlUnderMouse(nullptr);
        fw::Application->CancelHint();
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(Errors.empty());
    }
    static void ParkMouse() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }
    void Drain(DWORD ms = 30) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    TVeskPngButton* AddButton(int l, int t, int w, int h, fw::TWinControl* parent = nullptr) {
        auto* b = new TVeskPngButton(Form);
        b->SetBounds(l, t, w, h);
        b->SetParent(parent ? parent : Form);
        return b;
    }
    // The form rendered into a fresh surface.
    std::unique_ptr<testsupport::DibSurface> Render() {
        auto dib = std::make_unique<testsupport::DibSurface>(300, 120);
        Form->PaintTo(dib->Dc(), 0, 0);
        return dib;
    }
    void Move(int x, int y, WPARAM keys = 0) { SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
    void Down(int x, int y, UINT msg = WM_LBUTTONDOWN) {
        SendMessageW(Form->GetHandle(), msg, msg == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
    }
    void Up(int x, int y, UINT msg = WM_LBUTTONUP) { SendMessageW(Form->GetHandle(), msg, 0, MAKELPARAM(x, y)); }

    TTestForm* Form = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Errors;
};

}  // namespace buttontest
