// Fixture of the message box tests: a box with the program's own skins (button strip, type icons,
// title bar) on the shared window fixture, and helpers to act on an open box from a timer.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VeskMsgBox.h"
#include "fw_timer.h"
#include "skin_resources.h"
#include "window_test.h"

namespace msgboxtest {

using testsupport::Skin;

// Opens the composition state of the painter to the tests.
class TProbeMsgBox : public TVeskMsgBox {
public:
    FW_CLASSNAME(TProbeMsgBox)
    explicit TProbeMsgBox(fw::TComponent* AOwner) : TVeskMsgBox(AOwner) {}
    fw::TBitmap* NcBitmap() const { return FNcBitmap.get(); }
};

class MsgBoxTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // As in the program, a hidden main window exists before any box is shown (it owns the
        // other windows).
        if (!fw::Application->GetMainForm()) fw::TForm::CreateNew<fw::TForm>(fw::Application);
        NcCompositionEnabledProc = [] { return false; };
        Resource = Own(testsupport::NcSkinResource());
        Box = new TProbeMsgBox(nullptr);
        Box->SetResource(Resource);
        Box->SetImgBtn(Skin(L"msg_btn").get());
        Box->SetImgMsg(Skin(L"msg_icons").get());
        Box->SetBtnCaptionYes(L"Yes");
        Box->SetBtnCaptionNo(L"No");
        Box->SetBtnCaptionOk(L"Ok");
        Box->Loaded();
    }
    void TearDown() override {
        if (Timer) Timer->Free();
        if (*BoxAlive) Box->Free();
        WindowTest::TearDown();
        NcCompositionEnabledProc = SavedComposition;
        ResetMessageDlgProc();
        EXPECT_EQ(OpenMessageForms(), 0) << "a dialog form outlived its box";
    }
    static int OpenMessageForms() {
        int n = 0;
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i) n += dynamic_cast<TMessageForm*>(fw::Screen->GetForm(i)) != nullptr;
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
    // A dialog built by the box, freed after the test.
    TMessageForm* Build(const std::wstring& Msg, uint8_t Type, TMsgDlgButtons Buttons) {
        return Own(Box->CreateMessageForm(Msg, Type, Buttons));
    }
    static std::vector<TVeskPngButton*> ButtonsOf(fw::TForm* F) {
        std::vector<TVeskPngButton*> r;
        for (int i = 0; i < F->GetComponentCount(); ++i)
            if (auto* b = dynamic_cast<TVeskPngButton*>(F->GetComponent(i))) r.push_back(b);
        return r;
    }
    static void Answer(fw::TForm* F, WORD Vk) { PostMessageW(F->GetHandle(), WM_KEYDOWN, Vk, 1); }

    TVeskNcResource* Resource = nullptr;
    TProbeMsgBox* Box = nullptr;
    std::shared_ptr<bool> BoxAlive = std::make_shared<bool>(true);
    fw::TTimer* Timer = nullptr;

private:
    TNcCompositionProc SavedComposition = NcCompositionEnabledProc;
};

}  // namespace msgboxtest
