// Online services that reach no server: every call is recorded. The object installs itself for
// the application while it lives, and leaves the program offline again when it goes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "uOnlineServices.h"

namespace testsupport {

class TFakeOnlineServices : public TOnlineServices {
public:
    TFakeOnlineServices() { SetOnlineServices(this); }
    ~TFakeOnlineServices() override { SetOnlineServices(nullptr); }
    TFakeOnlineServices(const TFakeOnlineServices&) = delete;
    TFakeOnlineServices& operator=(const TFakeOnlineServices&) = delete;

    void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) override {
        posted.push_back({Version, Guid});
    }
    // A new id at each call, as a machine without rights to store one gives.
    void GetMachineGuid(std::wstring& Guid) override {
        ++guidCalls;
        Guid = L"{00000000-0000-0000-0000-0000000000" + std::to_wstring(10 + guidCalls % 90) + L"}";
    }
    void StartNewsCheck(int NewsId) override { newsChecks.push_back(NewsId); }
    bool ShownNewsId(int& Id) override {
        if (shownNewsId < 0) return false;
        Id = shownNewsId;
        return true;
    }
    void StartUpdateCheck(bool Auto) override { updates.push_back(Auto); }
    void SetUpdateMsgBox(TVeskMsgBox* Box) override { boxes.push_back(Box); }
    void StartAd(fw::TControl* Panel, fw::TControl* Receiver) override { ads.push_back({Panel, Receiver}); }
    void AdClick(fw::TObject* Sender) override { panel.push_back({1, Sender}); }
    void AdMouseEnter(fw::TObject* Sender) override { panel.push_back({2, Sender}); }
    void AdMouseLeave(fw::TObject* Sender) override { panel.push_back({3, Sender}); }
    void PaintAd(fw::TObject* Sender, fw::TCanvas* Canvas) override {
        if (Canvas) panel.push_back({4, Sender});
    }

    std::vector<std::pair<std::wstring, std::wstring>> posted;  // version, machine id
    int guidCalls = 0;
    std::vector<int> newsChecks;
    int shownNewsId = -1;  // below 0: no news page has shown
    std::vector<bool> updates;
    std::vector<TVeskMsgBox*> boxes;
    std::vector<std::pair<fw::TControl*, fw::TControl*>> ads;  // panel, receiver
    std::vector<std::pair<int, fw::TObject*>> panel;           // 1 click, 2 enter, 3 leave, 4 paint
};

}  // namespace testsupport
