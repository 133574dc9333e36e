// Shared fixture of the window tests: an initialised application, errors collected instead of
// shown, the real mouse parked away from the test windows, and helpers to build forms in code.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw_forms.h"
#include "test_support.h"

namespace fwtest {

// A plain form made in code.
class TTestForm : public fw::TForm {
public:
    FW_CLASSNAME(TTestForm)
    TTestForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
    int PaintWindowCount = 0;
    void PaintWindow(HDC DC) override {
        ++PaintWindowCount;
        TForm::PaintWindow(DC);
    }
};

// A windowless control that fills its whole canvas with one colour (and tries to paint far
// outside its bounds, which the clip must stop) and counts its paints.
class TColorBox : public fw::TGraphicControl {
public:
    FW_CLASSNAME(TColorBox)
    explicit TColorBox(fw::TComponent* AOwner) : TGraphicControl(AOwner) {}
    fw::TColor Fill = fw::clRed;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(Fill);
        GetCanvas()->FillRect(fw::TRect(-100, -100, 1000, 1000));
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->ClearTerminated();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        Drain();
        fw::TMouseTracker::SetControlUnderMouse(nullptr);
    }
    void TearDown() override {
        for (auto it = Owned.rbegin(); it != Owned.rend(); ++it)
            if (**it) (*it)->obj->Free();
        Drain();
        fw::TMouseTracker::SetControlUnderMouse(nullptr);
        fw::Application->OnException = nullptr;
        fw::Application->OnMessage = nullptr;
        // A quit message posted by a test must not end the next one.
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        fw::Application->ClearTerminated();
    }
    // Dispatches what is queued (through the framework's own loop).
    void Drain(DWORD ms = 30) {
        DWORD end = GetTickCount() + ms;
        do {
            fw::Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount() < end);
    }
    template <class T = TTestForm>
    T* NewForm(int clientW = 200, int clientH = 150, fw::TColor color = fw::clWhite) {
        T* f = fw::TForm::CreateNew<T>(nullptr);
        f->SetBorderStyle(fw::bsNone);
        f->SetBounds(0, 0, clientW, clientH);
        f->SetColor(color);
        Owned.push_back(std::make_unique<Holder>(f));
        return f;
    }
    struct Holder {
        explicit Holder(fw::TComponent* c) : obj(c), alive(nullptr) {
            if (auto* ctl = dynamic_cast<fw::TControl*>(c)) alive = ctl->AliveToken();
        }
        fw::TComponent* obj;
        std::shared_ptr<bool> alive;
        explicit operator bool() const { return alive ? *alive : obj != nullptr; }
        fw::TComponent* operator->() const { return obj; }
    };
    std::vector<std::unique_ptr<Holder>> Owned;
    std::vector<std::wstring> Errors;

    static LPARAM Pt(int x, int y) { return MAKELPARAM(x, y); }
};

}  // namespace fwtest
