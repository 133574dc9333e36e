// The online services (update check, news, advertisement panel, install statistics, machine id)
// as the application sees them. The application may not call the online units directly, which sit
// above it: the program's entry hands it one object of this kind instead. Without one the program
// runs offline: every call below does nothing.
#pragma once

#include <string>

class TVeskMsgBox;
namespace fw {
class TObject;
class TControl;
class TCanvas;
}  // namespace fw

class TOnlineServices {
public:
    virtual ~TOnlineServices() = default;

    // Posts the install statistics for a changed program version.
    virtual void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) {}
    // Sets Guid to the machine id the statistics report; the data file takes it at every load.
    // Offline it is left as it is (empty).
    virtual void GetMachineGuid(std::wstring& Guid) {}

    // Starts the news check, passing the id of the last message shown.
    virtual void StartNewsCheck(int NewsId) {}
    // The id of the last news message whose page has actually shown, kept at exit: false (Id left
    // alone) while no page has shown in this run.
    virtual bool ShownNewsId(int& Id) { return false; }

    // Starts an update check (Auto: stay silent when no newer build exists).
    virtual void StartUpdateCheck(bool Auto) {}
    // Hands the update check the message box it asks its question with.
    virtual void SetUpdateMsgBox(TVeskMsgBox* Box) {}

    // Starts the advertisement reader; its items are shown in Panel while Receiver exists.
    virtual void StartAd(fw::TControl* Panel, fw::TControl* Receiver) {}
    // The panel's click and the mouse entering and leaving it (Sender: the panel).
    virtual void AdClick(fw::TObject* Sender) {}
    virtual void AdMouseEnter(fw::TObject* Sender) {}
    virtual void AdMouseLeave(fw::TObject* Sender) {}
    // Draws the item shown on the panel's canvas after the panel painted itself.
    virtual void PaintAd(fw::TObject* Sender, fw::TCanvas* Canvas) {}
};

// The program's one instance, set once at start before any window or data file exists; the
// caller keeps it alive. Null (the default) means offline.
void SetOnlineServices(TOnlineServices* Services);
// The instance set, or one that does nothing.
TOnlineServices& OnlineServices();
