// The program's hidden main window. For now it only carries the window class a second instance
// looks for and answers its activation request; the rest of the window joins it later.
#pragma once

#include "fw_forms.h"

// Sent by a second instance to the running one (wParam 1, lParam 0).
constexpr UINT WM_ACTIVATEINSTANCE = WM_USER + 3453;  // 0x117D

// Window property of the main window that counts the activation requests received, so that a
// request can be seen from outside the process.
constexpr const wchar_t* ActivateCountProp = L"VeskActivateInstanceCount";

class TfrmZUBMain : public fw::TForm {
public:
    // The window class name is the class name: a second instance finds the window by it.
    FW_CLASSNAME(TfrmZUBMain)
    TfrmZUBMain(const fw::TFormKey& Key, fw::TComponent* AOwner);

    // Activation requests received so far.
    int GetActivateCount() const { return FActivateCount; }

protected:
    void WndProc(fw::TMessage& Message) override;
    // A second instance asks the running one to come forward.
    virtual void WMActivateInstance(fw::TMessage& Message);

private:
    int FActivateCount = 0;
};

// The application's main form, once created.
extern TfrmZUBMain* frmZUBMain;
