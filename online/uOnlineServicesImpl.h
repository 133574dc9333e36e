// The online services as the program hands them to the application: each call forwards to the
// unit that does the work. The program's entry makes the one instance.
#pragma once

#include "uOnlineServices.h"

class TOnlineServicesImpl final : public TOnlineServices {
public:
    void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) override;
    void GetMachineGuid(std::wstring& Guid) override;
    void StartNewsCheck(int NewsId) override;
    bool ShownNewsId(int& Id) override;
    void StartUpdateCheck(bool Auto) override;
    void SetUpdateMsgBox(TVeskMsgBox* Box) override;
    void StartAd(fw::TControl* Panel, fw::TControl* Receiver) override;
    void AdClick(fw::TObject* Sender) override;
    void AdMouseEnter(fw::TObject* Sender) override;
    void AdMouseLeave(fw::TObject* Sender) override;
    void PaintAd(fw::TObject* Sender, fw::TCanvas* Canvas) override;
};
