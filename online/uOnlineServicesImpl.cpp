#include "uOnlineServicesImpl.h"

#include "uInstallStatus.h"
#include "uRemindAd.h"
#include "uRemindUpdate.h"

// The units' routines carry the same names as the members: they are called qualified.

void TOnlineServicesImpl::PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) {
    ::PostInstallStatus(Version, Guid);
}

void TOnlineServicesImpl::GetMachineGuid(std::wstring& Guid) { ::GetMachineGuid(Guid); }

void TOnlineServicesImpl::StartNewsCheck(int NewsId) { TReminderNews::StartNewsCheck(NewsId); }

bool TOnlineServicesImpl::ShownNewsId(int& Id) { return ::ShownNewsId(Id); }

void TOnlineServicesImpl::StartUpdateCheck(bool Auto) { TReminderUpdate::StartUpdateCheck(Auto); }

void TOnlineServicesImpl::SetUpdateMsgBox(TVeskMsgBox* Box) { ::SetUpdateMsgBox(Box); }

void TOnlineServicesImpl::StartAd(fw::TControl* Panel, fw::TControl* Receiver) {
    ::StartAd([Panel](fw::TObject*, TagVeskAdInfo* Item) { AdItemArrived(Panel, Item); }, Receiver);
}

void TOnlineServicesImpl::AdClick(fw::TObject* Sender) { ::AdClick(); }

void TOnlineServicesImpl::AdMouseEnter(fw::TObject* Sender) { ::AdMouseEnter(Sender); }

void TOnlineServicesImpl::AdMouseLeave(fw::TObject* Sender) { ::AdMouseLeave(Sender); }

void TOnlineServicesImpl::PaintAd(fw::TObject* Sender, fw::TCanvas* Canvas) { ::PaintAd(Sender, Canvas); }
