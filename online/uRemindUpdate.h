// The program's automatic update check: one check at a time, started each time the visible
// window is shown, asking the user whether to open the download page when a newer build exists.
#pragma once

#include "UCheckNewThread.h"
#include "VeskMsgBox.h"

class TReminderUpdate : public TCheckUpdate {
public:
    FW_CLASSNAME(TReminderUpdate)
    TReminderUpdate(int CurrentBuild, const std::wstring& Url);

    // An automatic check stays silent when no newer build exists.
    bool Auto = false;

    // Starts a check of the update page unless one is pending (GUI thread).
    static void StartUpdateCheck(bool Auto);
    // OnResult handler: asks about a newer build, or tells a non-automatic check that the
    // version is current; then allows the next check.
    void UpdateResult(fw::TObject* Sender, const std::wstring& IniPath, fw::TStrings* NewInfo,
                      const std::wstring& NewGetUrl, int Build);

protected:
    // The check itself; the temporary copy of the page is removed once the result has been
    // handled (nothing reads it afterwards, and every showing of the window makes one).
    void Execute() override;

private:
    // Runs on the GUI thread once the thread is done, also when the fetch failed with an error:
    // the pending check must end in every case, or no check would start again until a restart.
    void ThreadDone(fw::TObject* Sender);
};

// The check in progress; null when none is pending. GUI thread only.
extern TReminderUpdate* UpdateThread;

// The message box the update question is shown with: the visible window's own box, which that
// window hands over here when it creates it. The reference is cleared by itself when the box is
// freed. Without a box the question is not asked (ShowUpdateMessage gives 0).
void SetUpdateMsgBox(TVeskMsgBox* Box);
TVeskMsgBox* GetUpdateMsgBox();

// Shows a modal message box with the given texts, type and buttons through the box above and
// returns the button pressed (6 Yes, 7 No, 1 OK); 0 when there is no box.
int ShowUpdateMessage(const std::wstring& Text, const std::wstring& Caption, uint8_t DlgType, TMsgDlgButtons Buttons);

// The build number of the running program (the fourth part of its file version).
int CurrentProgramBuild();

// ---------------------------------------------------------------------------------------------
// News check.

// Marks a news check in progress. Taken and released on the GUI thread only, so it must also
// refuse a second taker on that same thread (which a critical section would let in again).
class TNewsCheckLock {
public:
    // False when the mark is already set.
    bool TryEnter();
    void Leave();
    bool Locked() const { return FLocked; }

private:
    bool FLocked = false;
};

extern TNewsCheckLock NewsLock;

// The program's news check: once per run, shows the news window for a message this user has
// not seen yet and that is meant for the active language.
class TReminderNews : public TGetNews {
public:
    FW_CLASSNAME(TReminderNews)
    explicit TReminderNews(const std::wstring& Url);

    // Starts a check of the news page unless one is in progress (GUI thread). NewsId: the id
    // of the message shown last.
    static void StartNewsCheck(int NewsId);
    // OnBegin: marks the check in progress.
    void NewsBegin(fw::TObject* Sender);
    // OnNews: shows the news unless it is meant for another language.
    void NewsArrived(fw::TObject* Sender, const std::wstring& Url, int MsgID, const std::wstring& LangCode,
                     bool ShowAll, int FormWidth, int FormHeight);
    // Loads the message into the news window (made on first use) unless it was shown already.
    void ShowNews(const std::wstring& Url, int MsgID, int FormWidth, int FormHeight);
    // OnTerminate, also after a failed fetch: the check is over.
    void NewsDone(fw::TObject* Sender);
};

// The id of the last message whose page the news window has shown, which the hidden main window
// records at exit; false (Id left alone) while none has been shown.
bool ShownNewsId(int& Id);
