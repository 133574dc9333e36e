#include "uRemindUpdate.h"

#include <algorithm>

#include "PublicFuns.h"
#include "fw_formload.h"
#include "uNews.h"

TReminderUpdate* UpdateThread = nullptr;

namespace {

// Clears the message box reference when the box is freed before the program asks through it.
class TMsgBoxWatch : public fw::TComponent {
public:
    FW_CLASSNAME(TMsgBoxWatch)
    TMsgBoxWatch() : fw::TComponent(nullptr) {}
    TVeskMsgBox* Box = nullptr;

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override {
        fw::TComponent::Notification(AComponent, Operation);
        if (Operation == fw::opRemove && AComponent == Box) Box = nullptr;
    }
};

// Lives to the end of the process: a box that outlives it would otherwise notify a dead object.
TMsgBoxWatch& Watch() {
    static TMsgBoxWatch* w = new TMsgBoxWatch();
    return *w;
}

}  // namespace

void SetUpdateMsgBox(TVeskMsgBox* Box) {
    TMsgBoxWatch& w = Watch();
    if (w.Box == Box) return;
    if (w.Box) w.Box->RemoveFreeNotification(&w);
    w.Box = Box;
    if (Box) Box->FreeNotification(&w);
}

TVeskMsgBox* GetUpdateMsgBox() { return Watch().Box; }

int ShowUpdateMessage(const std::wstring& Text, const std::wstring& Caption, uint8_t DlgType, TMsgDlgButtons Buttons) {
    TVeskMsgBox* box = GetUpdateMsgBox();
    if (!box) return 0;
    return box->MessageDlg(Caption, Text, DlgType, Buttons, 0, 0);
}

int CurrentProgramBuild() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    TFileVersionInfo info;
    if (n > 0 && n < MAX_PATH * 2) GetFileVersion(path, info);
    return static_cast<int>(VersionBuild(info));
}

TReminderUpdate::TReminderUpdate(int ACurrentBuild, const std::wstring& Url) : TCheckUpdate(ACurrentBuild, Url) {
    OnTerminate = [this](fw::TObject* Sender) { ThreadDone(Sender); };
}

void TReminderUpdate::Execute() {
    struct TRemoveTempIni {
        TReminderUpdate* Self;
        ~TRemoveTempIni() {
            // IniPath holds only the folder when the page could not be saved.
            const std::wstring& path = Self->IniPath;
            if (!path.empty() && path.back() != L'\\') DeleteFileW(path.c_str());
        }
    } remove{this};
    TCheckUpdate::Execute();
}

void TReminderUpdate::StartUpdateCheck(bool AAuto) {
    if (UpdateThread) return;
    int current = CurrentProgramBuild();
    auto* thread = new TReminderUpdate(current, UpdatePageUrl());
    thread->Auto = AAuto;
    thread->CurrentBuild = current;
    thread->SetFreeOnTerminate(true);
    thread->OnResult = [thread](fw::TObject* Sender, const std::wstring& IniPath, fw::TStrings* NewInfo,
                                const std::wstring& NewGetUrl, int Build) {
        thread->UpdateResult(Sender, IniPath, NewInfo, NewGetUrl, Build);
    };
    UpdateThread = thread;
    thread->Resume();
}

void TReminderUpdate::UpdateResult(fw::TObject* Sender, const std::wstring& IniPath, fw::TStrings* NewInfo,
                                   const std::wstring& NewGetUrl, int ABuild) {
    (void)Sender;
    (void)IniPath;
    (void)NewInfo;
    // Whatever the box does (it may raise), the next showing of the window may check again.
    struct TClear {
        ~TClear() { UpdateThread = nullptr; }
    } clear;
    if (ABuild > CurrentBuild) {
        std::wstring caption = GetLangString(L"Translation", L"Confirm", L"Confirmation");
        std::wstring text = GetLangString(L"Messages", L"NewVer", L"A new version is available! Do you want upgrade it now?");
        if (ShowUpdateMessage(text, caption, mtConfirmation, {mbYes, mbNo}) == 6) {
            // The page's address comes over plain HTTP: only a web address goes to the shell,
            // anything else (a program, a local file, a command) is replaced by our own page.
            std::wstring url = fw::Trim(NewGetUrl);
            OpenUrl(nullptr, IsWebUrl(url) ? url : DefaultDownloadUrl());
        }
    } else if (!Auto) {
        std::wstring caption = GetLangString(L"Translation", L"Confirm", L"Confirmation");
        std::wstring text = GetLangString(L"Messages", L"NoNewVer", L"The version you are using is the latest one.");
        ShowUpdateMessage(text, caption, mtConfirmation, TMsgDlgButtons(mbOK));
    }
}

void TReminderUpdate::ThreadDone(fw::TObject* Sender) {
    (void)Sender;
    if (UpdateThread == this) UpdateThread = nullptr;
}

// ---------------------------------------------------------------------------------------------

TNewsCheckLock NewsLock;

bool TNewsCheckLock::TryEnter() {
    if (FLocked) return false;
    FLocked = true;
    return true;
}

void TNewsCheckLock::Leave() { FLocked = false; }

TReminderNews::TReminderNews(const std::wstring& AUrl) : TGetNews(AUrl) {}

void TReminderNews::StartNewsCheck(int ANewsId) {
    // The mark is set here already, not first when the worker reaches NewsBegin: a second start
    // in between would otherwise run a second check beside the first.
    if (!NewsLock.TryEnter()) return;
    TReminderNews* thread = nullptr;
    try {
        thread = new TReminderNews(NewsPageUrl());
    } catch (...) {
        NewsLock.Leave();
        throw;
    }
    thread->NewsId = ANewsId;
    thread->SetFreeOnTerminate(true);
    thread->OnBegin = fw::Bind(thread, &TReminderNews::NewsBegin);
    thread->OnNews = fw::Bind(thread, &TReminderNews::NewsArrived);
    thread->OnTerminate = fw::Bind(thread, &TReminderNews::NewsDone);
    thread->Resume();
}

void TReminderNews::NewsBegin(fw::TObject* Sender) {
    (void)Sender;
    // Normally set by the starter already; a thread started some other way takes it here.
    NewsLock.TryEnter();
}

void TReminderNews::NewsArrived(fw::TObject* Sender, const std::wstring& AUrl, int AMsgID,
                                const std::wstring& ALangCode, bool AShowAll, int AFormWidth, int AFormHeight) {
    (void)Sender;
    (void)AShowAll;
    if (!ALangCode.empty() && !MatchLangCode(ALangCode)) return;
    ShowNews(AUrl, AMsgID, AFormWidth, AFormHeight);
}

void TReminderNews::ShowNews(const std::wstring& AUrl, int AMsgID, int AFormWidth, int AFormHeight) {
    if (AMsgID < 1 || AMsgID == NewsId) return;
    // The address comes from a page fetched over plain HTTP: only a web page goes to the browser
    // (no local files, no other protocols).
    std::wstring url = fw::Trim(AUrl);
    if (!IsWebUrl(url)) return;
    // A check that ends while the program is shutting down must not make a new window then.
    if (!fw::Application || fw::Application->GetTerminated()) return;
    if (!frmNews) frmNews = fw::TForm::CreateForm<TFrmNews>(fw::Application);
    if (AMsgID == frmNews->MsgID) return;
    frmNews->MsgID = AMsgID;
    frmNews->FormWidth = AFormWidth;
    frmNews->FormHeight = AFormHeight;
    fw::TRect area = TFrmNews::WorkArea();
    // A page may name any size; only a real one (both sides positive) replaces the default. It
    // is kept within the work area (10 pixels off its sides, below its top): a larger window
    // could not be seen whole, and the page's numbers must not overflow the sums.
    int width = 490, height = 269;
    if (AFormWidth > 0 && AFormHeight > 0) {
        const int maxWidth = std::max<int>(area.Width() - 20 - 2, 1);
        const int maxHeight = std::max<int>(area.Height() - 26, 1);
        width = std::min(AFormWidth, maxWidth) + 2;
        height = std::min(AFormHeight, maxHeight) + 26;
    }
    frmNews->Url = url;
    // Right-aligned 10 pixels inside the work area, just below it: the window slides up from
    // there once its page has loaded.
    frmNews->SetBounds(area.Right - width - 10, area.Bottom + height, width, height);
    frmNews->ShowUrl();
}

void TReminderNews::NewsDone(fw::TObject* Sender) {
    (void)Sender;
    NewsLock.Leave();
}

bool ShownNewsId(int& Id) {
    if (!frmNews || frmNews->ShownMsgID < 1) return false;
    Id = frmNews->ShownMsgID;
    return true;
}
