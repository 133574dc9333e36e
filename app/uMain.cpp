#include "uMain.h"

TfrmZUBMain* frmZUBMain = nullptr;

TfrmZUBMain::TfrmZUBMain(const fw::TFormKey& Key, fw::TComponent* AOwner) : fw::TForm(Key, AOwner) {}

void TfrmZUBMain::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
        case WM_ACTIVATEINSTANCE:
            WMActivateInstance(Message);
            return;
        case WM_DESTROY:
            if (HandleAllocated()) RemovePropW(GetHandle(), ActivateCountProp);
            break;
        default:
            break;
    }
    fw::TForm::WndProc(Message);
}

void TfrmZUBMain::WMActivateInstance(fw::TMessage& Message) {
    ++FActivateCount;
    if (HandleAllocated())
        SetPropW(GetHandle(), ActivateCountProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(FActivateCount)));
    Message.Result = 0;
}
