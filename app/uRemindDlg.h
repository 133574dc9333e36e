// The notice window: the small always-on-top window that lists due (or missed) reminders above
// the taskbar, plays a reminder's sound and lets the user acknowledge or postpone them. One
// instance per run, made on the first announcement, hidden when closed and reused.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <functional>

#include "QimImageStorage.h"
#include "QimListBox.h"
#include "QimScrollBarRes.h"
#include "Scheduler.h"
#include "VeskNcPaintor.h"
#include "VeskPngButton.h"
#include "fw_stdctrls.h"
#include "fw_timer.h"
#include "uBaseForm.h"
#include "uRemindFile.h"

class TfrmRemindDlg : public TfrmBase {
public:
    FW_CLASSNAME(TfrmRemindDlg)
    TfrmRemindDlg(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
    ~TfrmRemindDlg() override;
#include "uRemindDlg_form.h"

    void FormCreate(fw::TObject* Sender);
    void FormClose(fw::TObject* Sender, fw::TCloseAction& Action);
    void lbRemindsItemClick(fw::TObject* Sender, TQimLBoxItem* AItem);
    void lbRemindsAfterItemDraw(fw::TCanvas* ACanvas, int itemindex, TQimLBoxItem* AItem);
    void btnCompleteClick(fw::TObject* Sender);
    void cbDelayChange(fw::TObject* Sender);
    void Timer1Timer(fw::TObject* Sender);

    // Lists the records not listed yet and plays a sound when none is playing, then sizes and
    // places the window above the taskbar and shows it. Missed reminders take the missed look
    // unless due ones are listed already; due reminders always take the ordinary look.
    void AddReminders(const TReminderList& List, bool Missed = false);
    // Takes a record out of the list before its owner frees it (closes the window when it was the
    // last one).
    void ForgetRecord(TRmRecordStruct* Record);
    // Finds the taskbar and moves the window just above it (without one, into the bottom-right
    // corner of the work area); keeps the window topmost.
    void PlaceOverTray();
    // PlaceOverTray, then, on a taskbar, the height the listed rows need, grown upward from it.
    void PlaceAndSize();
    bool GetMissedLook() const { return FMissedLook; }

    int GetTrayTop() const { return TrayTop; }
    int GetClockFrame() const { return ClockFrame; }
    MCIDEVICEID GetSoundDevice() const { return SoundDevice; }
    // The item showing Record, or nullptr.
    TQimLBoxItem* FindItem(const TRmRecordStruct* Record) const;

protected:
    void WndProc(fw::TMessage& Message) override;
    // Stops the sound before the window goes.
    void DoDestroying() override;

private:
    void McNotify(fw::TMessage& Message);
    void StartSound(const std::wstring& Voice);
    void StopPlaying();
    // The record an item shows, when it is still one of the store's records.
    TRmRecordStruct* LiveRecord(const TQimLBoxItem* Item) const;
    // The missed-reminders look (no postponing, the missed caption) on or off.
    void SetMissedLook(bool Value);

    int TrayTop = 0;
    int ClockFrame = 0;
    MCIDEVICEID SoundDevice = 0;
    // The top of the screen the window sits on: the window never grows above it.
    int FScreenTop = 0;
    // A sound was started and its first notice (device open, or failure) has not come yet.
    bool FSoundStarting = false;
    // The window was closed while a sound was starting: stop that sound as soon as it names its
    // device.
    bool FStopWhenOpened = false;
    bool FMissedLook = false;
    // The caption of an ordinary announcement, as the language gave it at creation.
    std::wstring FNormalCaption;
};

// The single instance; none until the first announcement.
extern TfrmRemindDlg* frmRemindDlg;

// Announces due reminders (nothing for an empty list).
void ShowReminders(const TReminderList& List);
// Announces the reminders missed while the program was not running.
void ShowMissedReminders(const TReminderList& List);
// Takes a record out of the notice window, if it lists it; the reminder list calls this before a
// record is deleted or freed.
void RemindDlgForgetRecord(TRmRecordStruct* Record);

// The scheduler's announcer: forwards to the routines above.
class TRemindDlgAnnouncer : public IReminderAnnouncer {
public:
    void ShowReminders(const TReminderList& List) override { ::ShowReminders(List); }
    void ShowMissedReminders(const TReminderList& List) override { ::ShowMissedReminders(List); }
};

// The visible window's reminder list, told when postponing changed a record's next occurrence.
// Not owned; nullptr (the default) tells nobody.
void SetRemindDlgListView(IReminderListView* View);

// Where the taskbar is: its screen rectangle, false when there is none. The default looks for the
// window of class "Shell_TrayWnd"; tests put their own in (an empty function restores it).
using TTaskbarRectSource = std::function<bool(RECT& Rect)>;
void SetTaskbarRectSource(TTaskbarRectSource Source);

// The non-client resource the program's skinned windows share (caption, border, logo and caption
// buttons). Made on first need, owned by the application. The visible window may hand in its own
// resource instead (nullptr returns to the built-in one).
TVeskNcResource* SharedNcResource();
void SetSharedNcResource(TVeskNcResource* Resource);
