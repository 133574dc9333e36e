// Fixture of the message box tests: a box with the program's own skins (button strip, type icons,
// title bar), errors collected, and helpers to act on an open box from a timer.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VeskMsgBox.h"
#include "fw_forms.h"
#include "fw_timer.h"
#include "test_support.h"

namespace msgboxtest {

inline std::unique_ptr<fw::TPngImage> SkinPng(const wchar_t* Name) {
    auto p = std::make_unique<fw::TPngImage>();
    p->LoadFromResource(GetModuleHandleW(nullptr), Name);
    return p;
}

// Opens the composition state of the painter to the tests.
class TProbeMsgBox : public TVeskMsgBox {
public:
    FW_CLASSNAME(TProbeMsgBox)
    explicit TProbeMsgBox(fw::TComponent* AOwner) : TVeskMsgBox(AOwner) {}
    fw::TBitmap* NcBitmap() const { return FNcBitmap.get(); }
};

// Width and height of the average character of a font ("A".."Z", "a".."z").
inline SIZE AverageChar(fw::TFont* Font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    SIZE s{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
    SelectObject(dc, old);
    DeleteDC(dc);
    return SIZE{s.cx / 52, s.cy};
}

// The size DrawTextW gives the text in the font (single line, or wrapped to Width when > 0).
inline SIZE TextSize(fw::TFont* Font, const std::wstring& Text, int Width) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    RECT r{0, 0, Width, 0};
    DrawTextW(dc, Text.c_str(), int(Text.size()), &r,
              DT_CALCRECT | DT_EXPANDTABS | (Width > 0 ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE)));
    SelectObject(dc, old);
    DeleteDC(dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->ClearTerminated();
        // As in the program, a hidden main window exists before any box is shown (it owns the
        // other windows).
        if (!fw::Application->GetMainForm()) fw::TForm::CreateNew<fw::TForm>(fw::Application);
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SavedComposition = NcCompositionEnabledProc;
        NcCompositionEnabledProc = [] { return false; };
        Resource = new TVeskNcResource(nullptr);
        Resource->GetFormCaption()->SetImgBkgr(SkinPng(L"nc_caption").get());
        Resource->GetFormCaption()->SetHeight(26);
        Resource->GetFormBorder()->SetImgBkgr(SkinPng(L"nc_border").get());
        Resource->GetFormBorder()->SetLeft(1);
        Resource->GetFormBorder()->SetTop(1);
        Resource->GetFormBorder()->SetRight(1);
        Resource->GetFormBorder()->SetBottom(1);
        Resource->GetFormLogo()->SetImgBtn(SkinPng(L"nc_logo").get());
        Resource->GetFormLogo()->SetBtnStateCount(1);
        Resource->GetBtnClose()->SetImgBtn(SkinPng(L"nc_btn_close").get());
        Resource->Loaded();
        Box = new TProbeMsgBox(nullptr);
        BoxAlive = std::make_shared<bool>(true);
        Box->SetResource(Resource);
        Box->SetImgBtn(SkinPng(L"msg_btn").get());
        Box->SetImgMsg(SkinPng(L"msg_icons").get());
        Box->SetBtnCaptionYes(L"Yes");
        Box->SetBtnCaptionNo(L"No");
        Box->SetBtnCaptionOk(L"Ok");
        Box->Loaded();
    }
    void TearDown() override {
        if (Timer) Timer->Free();
        Timer = nullptr;
        if (*BoxAlive) Box->Free();
        Resource->Free();
        fw::Application->ProcessMessages();
        NcCompositionEnabledProc = SavedComposition;
        fw::Application->OnException = nullptr;
        ResetMessageDlgProc();
        EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? "" : testsupport::Narrow(Errors[0]));
        EXPECT_EQ(OpenMessageForms(), 0) << "a dialog form outlived its box";
    }
    static int OpenMessageForms() {
        int n = 0;
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i)
            if (dynamic_cast<TMessageForm*>(fw::Screen->GetForm(i))) ++n;
        return n;
    }
    // Runs Action once, DelayMs after the next modal loop starts (a one-shot framework timer).
    void Later(DWORD DelayMs, std::function<void()> Action) {
        if (Timer) Timer->Free();
        Timer = new fw::TTimer(nullptr);
        Timer->SetEnabled(false);
        Timer->SetInterval(DelayMs);
        Timer->SetOnTimer([this, Action](fw::TObject*) {
            Timer->SetEnabled(false);
            Action();
        });
        Timer->SetEnabled(true);
    }
    // A dialog built by the box (freed by the test).
    struct Built {
        TMessageForm* form;
        ~Built() { form->Free(); }
    };
    std::unique_ptr<Built> Build(const std::wstring& Msg, uint8_t Type, TMsgDlgButtons Buttons) {
        return std::unique_ptr<Built>(new Built{Box->CreateMessageForm(Msg, Type, Buttons)});
    }
    static std::vector<TVeskPngButton*> ButtonsOf(fw::TForm* F) {
        std::vector<TVeskPngButton*> r;
        for (int i = 0; i < F->GetComponentCount(); ++i)
            if (auto* b = dynamic_cast<TVeskPngButton*>(F->GetComponent(i))) r.push_back(b);
        return r;
    }
    static void Key(fw::TForm* F, WORD Vk) { SendMessageW(F->GetHandle(), WM_KEYDOWN, Vk, 1); }

    TVeskNcResource* Resource = nullptr;
    TProbeMsgBox* Box = nullptr;
    std::shared_ptr<bool> BoxAlive;
    fw::TTimer* Timer = nullptr;
    std::vector<std::wstring> Errors;
    TNcCompositionProc SavedComposition = nullptr;
};

}  // namespace msgboxtest
