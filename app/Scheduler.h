// The reminder scheduler: every tick it renews each active reminder's next due time and time-left
// text, completes one-time reminders whose time has passed, writes what changed and hands the due
// reminders to the notice window; at start it collects the reminders missed while the program was
// not running. The visible window owns one and forwards its timer and creation to it; everything it
// needs from its surroundings comes through the small interfaces below, so it runs without windows.
#pragma once
#include "RepeatRules.h"
#include "fw_datetime.h"
#include "uRemindFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

using TReminderList = std::vector<TRmRecordStruct*>;

// The clock the scheduler reads (once per tick or catch-up).
class IReminderClock {
public:
    virtual ~IReminderClock() = default;
    virtual fw::TDateTime Now() = 0;
};

// The framework's clock (the local time, replaceable through fw::SetClock).
class TSystemReminderClock : public IReminderClock {
public:
    fw::TDateTime Now() override { return fw::Now(); }
};

// Where due and missed reminders are announced: the notice window. The records stay the store's.
class IReminderAnnouncer {
public:
    virtual ~IReminderAnnouncer() = default;
    virtual void ShowReminders(const TReminderList& List) = 0;
    virtual void ShowMissedReminders(const TReminderList& List) = 0;
};

// The reminder list of the visible window.
class IReminderListView {
public:
    virtual ~IReminderListView() = default;
    // Brings one record's item in line with the list's mode (a completed reminder leaves the
    // unfinished list).
    virtual void RefreshListItem(TRmRecordStruct* Record) = 0;
    // Repaints the list so that new time-left texts show.
    virtual void RepaintList() = 0;
};

// Writes a changed record to the data file, and tells the user when that failed.
class IReminderWriter {
public:
    virtual ~IReminderWriter() = default;
    // Raises an exception when the write fails: the framework's error when the file refuses it,
    // or any other (out of memory, say).
    virtual void UpdateRecord(TRmRecordStruct* Record) = 0;
    // Tells the user that changes could not be saved to the data file.
    virtual void ReportWriteError() = 0;
    // The writes from BeginBatch to EndBatch may reach the file together, when EndBatch is called
    // (which then raises the error of a failed save).
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

// The writer over the data file: writes through the store; a failure is told to OnWriteError (the
// program's message box), when assigned, in the language's text ("Messages"/"DataFileNotSaved")
// naming the data file.
class TRemindFileWriter : public IReminderWriter {
public:
    explicit TRemindFileWriter(TRemindFile& Store) : FStore(Store) {}
    void UpdateRecord(TRmRecordStruct* Record) override;
    void ReportWriteError() override;
    // One save of the data file for all records a tick or the catch-up writes.
    void BeginBatch() override;
    void EndBatch() override;
    std::function<void(const std::wstring&)> OnWriteError;

private:
    TRemindFile& FStore;
};

class TReminderScheduler {
public:
    // The scheduler timer's interval: a reminder is due when it lies closer than this to a tick.
    static constexpr int DefaultInterval = 5000;

    // Clock, announcer, list and writer must outlive the scheduler. Dates and times of the list's
    // rule texts are written in Settings (the user's locale).
    TReminderScheduler(TRemindFile& Store, IReminderClock& Clock, IReminderAnnouncer& Announcer,
                       IReminderListView& ListView, IReminderWriter& Writer,
                       const fw::TFormatSettings& Settings = fw::DefaultFormatSettings());
    TReminderScheduler(const TReminderScheduler&) = delete;
    TReminderScheduler& operator=(const TReminderScheduler&) = delete;

    // One timer tick: renew every active record, complete passed one-time reminders, write what
    // changed, repaint the list and announce the due reminders.
    void Tick();

    // At start: report each active reminder whose occurrence of today (the stored date for once and
    // yearly rules) passed after its last announcement.
    void CatchUpMissed();

    // Writes a changed record and renews its rule text. Raises the framework's error when the write
    // fails (the editor and the list let it reach the error display). The moment of the change is
    // noted (one clock reading): an occurrence that had already passed when the reminder was edited
    // or recovered is not announced by the next tick.
    void SaveRecord(TRmRecordStruct* Record);

    // The records due at the last tick (not owned).
    const TReminderList& GetDueList() const { return FDueList; }

    int GetInterval() const { return FInterval; }
    void SetInterval(int Value) { FInterval = Value; }

private:
    // What this run knows about one record beyond its fields.
    struct TRecordState {
        // The occurrences this run's announcements (and the catch-up) covered, oldest first, at
        // most MaxRemembered of them, and the last-announced time they wrote: the latest of the
        // marks they made, so that it lies after every one of those occurrences.
        bool HasAnnouncement = false;
        std::vector<int64_t> Occurrences;
        fw::TDateTime Mark = 0;
        bool Covers(int64_t OccurrenceMs) const;
        void Remember(int64_t OccurrenceMs);
        // Saved from outside (an edit, a recovery) since the last tick, and when.
        bool Changed = false;
        int64_t ChangedMs = 0;
        // The number of the last tick that met the record in the store.
        uint64_t SeenInTick = 0;
    };

    void TickRecord(TRmRecordStruct* Record, TRecordState& State, fw::TDateTime Now, int64_t NowMs,
                    fw::TDateTime Mark, const TTimeUnitWords& Words);
    // A completed reminder with a pending postponed time.
    void TickPostponed(TRmRecordStruct* Record, TRecordState& State, fw::TDateTime Now, int64_t NowMs,
                       fw::TDateTime Mark, const TTimeUnitWords& Words);
    void Announce(TRmRecordStruct* Record, TRecordState& State, int64_t OccurrenceMs, fw::TDateTime Mark);
    // Sets the last-announced time of a record announced (or reported missed) now. It never goes
    // back below a mark this run wrote: after the clock was set back, announcing an earlier
    // occurrence must not make a later one that was announced look missed at the next start.
    static void SetMark(TRmRecordStruct* Record, TRecordState& State, fw::TDateTime Mark);
    // Writes the record and renews its rule text (no clock reading).
    void WriteAndRenew(TRmRecordStruct* Record);
    // A write inside a tick or the catch-up: a failing write (whatever it raises) must stop
    // neither the announcements nor the other records, and is reported once until a write
    // succeeds again.
    void SaveQuietly(TRmRecordStruct* Record, bool RenewText);
    void ReportWriteFailures();
    // Ends the batch of a tick or the catch-up: its one save, whose failure counts as theirs.
    void EndWriteBatch();
    // How many announced occurrences a record keeps in memory (a daily reminder's last two months).
    static constexpr size_t MaxRemembered = 64;
    // Whether the occurrence was already announced (or reported, or passed over on purpose).
    bool Announced(const TRmRecordStruct& Record, const TRecordState& State, int64_t OccurrenceMs,
                   int64_t NowMs) const;

    TRemindFile& FStore;
    IReminderClock& FClock;
    IReminderAnnouncer& FAnnouncer;
    IReminderListView& FListView;
    IReminderWriter& FWriter;
    const fw::TFormatSettings& FSettings;
    TReminderList FDueList;
    int FInterval = DefaultInterval;
    bool FWriteErrorShown = false;
    // Of the tick or catch-up running: whether a write failed, and whether any succeeded.
    bool FWriteFailed = false;
    bool FWroteOk = false;
    // The moment of the last tick or catch-up: occurrences after it have not been looked at yet.
    bool FHasLastLook = false;
    int64_t FLastLookMs = 0;
    // Per record of the store, by its run identity (never its address: a deleted record's memory
    // may soon hold a new one). The states of records that left the store are dropped at the end
    // of the next tick; a tick that fails on the way keeps them all.
    std::unordered_map<uint64_t, TRecordState> FStates;
    uint64_t FTickCount = 0;
};
