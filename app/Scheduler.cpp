#include "Scheduler.h"

#include "PublicFuns.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using fw::TDateTime;

namespace {

int64_t ToMs(TDateTime t) { return fw::RoundHalfEven(static_cast<long double>(t) * fw::MSecsPerDay); }

constexpr int64_t MsPerMinute = 60000;

// The scratch time of day of the catch-up's weekly and monthly search: the last moment of a day, so
// that the search begins today whatever the time.
constexpr TDateTime EndOfDay = 0.99999999;

}  // namespace

void TRemindFileWriter::UpdateRecord(TRmRecordStruct* Record) { FStore.UpdateRecord(Record); }

void TRemindFileWriter::ReportWriteError() {
    if (!OnWriteError) return;
    OnWriteError(fw::Format(GetLangString(L"Messages", L"DataFileNotSaved",
                                          L"Your reminders could not be saved to %s. Changes since the last save will "
                                          L"be lost when the program ends."),
                            {FStore.GetFileName()}));
}

void TRemindFileWriter::BeginBatch() { FStore.BeginUpdate(); }

void TRemindFileWriter::EndBatch() { FStore.EndUpdate(); }

TReminderScheduler::TReminderScheduler(TRemindFile& Store, IReminderClock& Clock, IReminderAnnouncer& Announcer,
                                       IReminderListView& ListView, IReminderWriter& Writer,
                                       const fw::TFormatSettings& Settings)
    : FStore(Store), FClock(Clock), FAnnouncer(Announcer), FListView(ListView), FWriter(Writer), FSettings(Settings) {}

void TReminderScheduler::SaveRecord(TRmRecordStruct* Record) {
    TRecordState& state = FStates[Record->RunId.Value()];
    state.Changed = true;
    state.ChangedMs = ToMs(FClock.Now());
    WriteAndRenew(Record);
}

void TReminderScheduler::WriteAndRenew(TRmRecordStruct* Record) {
    // The text first: when the write fails the record in memory keeps its new values, and its list
    // text should describe them.
    Record->DisplayText = FormatListText(*Record, FSettings);
    FWriter.UpdateRecord(Record);
}

void TReminderScheduler::SaveQuietly(TRmRecordStruct* Record, bool RenewText) {
    try {
        if (RenewText)
            WriteAndRenew(Record);
        else
            FWriter.UpdateRecord(Record);
        FWroteOk = true;
    } catch (...) {
        // Whatever the failure (the file refused, memory ran out), the record in memory keeps its
        // new values and the tick goes on: the user hears of it through the language's text.
        FWriteFailed = true;
    }
}

void TReminderScheduler::EndWriteBatch() {
    try {
        FWriter.EndBatch();
    } catch (...) {
        FWriteFailed = true;
        FWroteOk = false;
    }
}

void TReminderScheduler::ReportWriteFailures() {
    // One message for a run of failures (a full disk, a folder gone): not one per record, not one
    // per tick. A run ends when writes succeed again.
    if (FWriteFailed) {
        if (!FWriteErrorShown) {
            FWriteErrorShown = true;
            FWriter.ReportWriteError();
        }
    } else if (FWroteOk) {
        FWriteErrorShown = false;
    }
    FWriteFailed = false;
    FWroteOk = false;
}

bool TReminderScheduler::TRecordState::Covers(int64_t OccurrenceMs) const {
    return std::find(Occurrences.begin(), Occurrences.end(), OccurrenceMs) != Occurrences.end();
}

void TReminderScheduler::TRecordState::Remember(int64_t OccurrenceMs) {
    HasAnnouncement = true;
    if (Covers(OccurrenceMs)) return;
    if (Occurrences.size() >= MaxRemembered) Occurrences.erase(Occurrences.begin());
    Occurrences.push_back(OccurrenceMs);
}

bool TReminderScheduler::Announced(const TRmRecordStruct& Record, const TRecordState& State, int64_t OccurrenceMs,
                                   int64_t NowMs) const {
    // One run announces each occurrence (a due moment, not a tick) at most once, whatever the clock does.
    // (An earlier day's occurrence reached by setting the clock back is another one: it goes off
    // unless this run announced it already.)
    if (State.Covers(OccurrenceMs)) return true;
    // While the record still carries the mark this run's announcements wrote, the run's memory is
    // the whole answer. It is not fooled by the minute the mark lies ahead of its tick (an
    // occurrence a few seconds after a late announcement, or a reminder edited to go off again
    // right away).
    if (State.HasAnnouncement && Record.LastTime == State.Mark) return false;
    // Otherwise (after a start) the stored mark is all there is. An announcement sets it to a
    // minute after the tick that made it, and that tick lay at most one interval before the
    // occurrence or (when late) before now; the catch-up and a new record set it to the moment
    // they ran. A mark from that band means this occurrence was announced or deliberately passed
    // over. A mark beyond the band is no announcement of this occurrence (the clock once ran far
    // ahead): it must not silence the reminder.
    const int64_t last = ToMs(Record.LastTime);
    return last >= OccurrenceMs && last <= std::max(NowMs, OccurrenceMs + FInterval) + MsPerMinute;
}

void TReminderScheduler::Announce(TRmRecordStruct* Record, TRecordState& State, int64_t OccurrenceMs,
                                  fw::TDateTime Mark) {
    FDueList.push_back(Record);
    State.Remember(OccurrenceMs);
    SetMark(Record, State, Mark);
}

void TReminderScheduler::SetMark(TRmRecordStruct* Record, TRecordState& State, fw::TDateTime Mark) {
    State.Mark = std::max(State.Mark, Mark);
    Record->LastTime = State.Mark;
}

void TReminderScheduler::Tick() {
    FDueList.clear();
    FWriteFailed = false;
    FWroteOk = false;
    const TDateTime now = FClock.Now();  // one reading for the whole tick
    const int64_t nowMs = ToMs(now);
    const TDateTime mark = fw::IncMinute(now, 1);
    const TTimeUnitWords words = TTimeUnitWords::FromLanguage();

    // Each record's state is worked on where it is kept, so that whatever a tick throws on its way
    // leaves the memory of the records it met whole.
    const uint64_t tick = ++FTickCount;
    auto& records = FStore.Records;
    // Every record the tick announces or completes reaches the file with one save.
    FWriter.BeginBatch();
    try {
        for (size_t i = 0; i < records.size(); ++i) {
            TRmRecordStruct* rec = records[i];
            TRecordState& state = FStates[rec->RunId.Value()];
            state.SeenInTick = tick;
            if (IsReminderActive(*rec)) {
                if (rec->EndTime != 0)
                    TickPostponed(rec, state, now, nowMs, mark, words);
                else
                    TickRecord(rec, state, now, nowMs, mark, words);
            }
            state.Changed = false;  // the tick has taken the change into account
        }
    } catch (...) {
        EndWriteBatch();
        throw;
    }
    EndWriteBatch();
    // The states of records that left the store (deleted ones) go.
    if (FStates.size() > records.size())
        std::erase_if(FStates, [tick](const auto& entry) { return entry.second.SeenInTick != tick; });
    FHasLastLook = true;
    FLastLookMs = nowMs;

    FListView.RepaintList();
    if (!FDueList.empty()) FAnnouncer.ShowReminders(FDueList);
    ReportWriteFailures();
}

void TReminderScheduler::TickRecord(TRmRecordStruct* rec, TRecordState& state, TDateTime now, int64_t nowMs,
                                    TDateTime mark, const TTimeUnitWords& words) {
    const TDateTime c = NextTime(*rec, now);
    const bool cValid = HasOccurrence(c);

    // The occurrence that was pending until this tick. Without a due time yet (the first tick after
    // the start, a new or edited reminder) that is the one that was next when the scheduler last
    // looked, or when the reminder was last changed, whichever is later: an occurrence between
    // that moment and now has had no tick in front of it.
    TDateTime pending = rec->NextDue;
    if (pending == 0) {
        pending = c;
        int64_t since = FHasLastLook ? FLastLookMs : nowMs;
        if (state.Changed) since = std::max(since, state.ChangedMs);
        if (since < nowMs) pending = NextTime(*rec, static_cast<TDateTime>(since) / fw::MSecsPerDay);
    }
    // When it has passed without an announcement (no tick fell in the interval before it: a late
    // timer, a machine that slept across it, a clock set forward), announce it now instead of
    // moving past it silently.
    bool announce = HasOccurrence(pending) && nowMs > ToMs(pending) && !Announced(*rec, state, ToMs(pending), nowMs);
    int64_t covered = announce ? ToMs(pending) : 0;

    if (rec->NextDue == 0 || nowMs > ToMs(rec->NextDue)) rec->NextDue = c;
    // An occurrence that comes before a postponed time wins.
    if (cValid && nowMs < ToMs(c) && ToMs(c) < ToMs(rec->NextDue)) rec->NextDue = c;
    // "No occurrence" is kept as 0 so that the record does not count as pending.
    if (!HasOccurrence(rec->NextDue)) rec->NextDue = 0;

    if (rec->Period == 0 && rec->NextDue != 0 && nowMs > ToMs(rec->NextDue)) {
        // A one-time reminder whose time has passed is completed (after its announcement).
        if (announce) Announce(rec, state, covered, mark);
        rec->EndTime = now;
        rec->NextDue = 0;
        SaveQuietly(rec, true);
        FListView.RefreshListItem(rec);
        return;
    }

    rec->TimeLeftText = FormatTimeLeft(rec->NextDue, now, words);

    // Due: the next occurrence lies within one interval of this tick, before or after it, and was
    // not announced yet (two ticks can fall in one interval when the timer runs late, or the clock
    // was set back). A late announcement made at this tick covers it as well.
    if (rec->NextDue != 0) {
        const int64_t dueMs = ToMs(rec->NextDue);
        if (std::llabs(dueMs - nowMs) < FInterval) {
            if (announce) {
                state.Remember(dueMs);
            } else if (!Announced(*rec, state, dueMs, nowMs)) {
                announce = true;
                covered = dueMs;
            }
        }
    }
    if (announce) {
        Announce(rec, state, covered, mark);
        SaveQuietly(rec, true);
    }
}

void TReminderScheduler::TickPostponed(TRmRecordStruct* rec, TRecordState& state, TDateTime now, int64_t nowMs,
                                       TDateTime mark, const TTimeUnitWords& words) {
    // A completed reminder takes part only through the time it was postponed to: it is announced
    // once more then and is completed again at the first tick after it. Its own rule plays no part,
    // or a finished daily reminder postponed from the notice window would go on every day.
    const int64_t dueMs = HasOccurrence(rec->NextDue) ? ToMs(rec->NextDue) : nowMs - 1;
    const bool notAnnounced = !Announced(*rec, state, dueMs, nowMs);
    if (nowMs > dueMs) {
        const bool late = HasOccurrence(rec->NextDue) && notAnnounced;
        if (late) Announce(rec, state, dueMs, mark);
        rec->NextDue = 0;
        // A one-time reminder carries the moment it was last completed.
        if (rec->Period == 0) rec->EndTime = now;
        if (late || rec->Period == 0) SaveQuietly(rec, true);
        FListView.RefreshListItem(rec);
        return;
    }
    rec->TimeLeftText = FormatTimeLeft(rec->NextDue, now, words);
    if (dueMs - nowMs < FInterval && notAnnounced) {
        Announce(rec, state, dueMs, mark);
        SaveQuietly(rec, true);
    }
}

void TReminderScheduler::CatchUpMissed() {
    FWriteFailed = false;
    FWroteOk = false;
    const TDateTime now = FClock.Now();
    const int64_t nowMs = ToMs(now);
    const TDateTime today = std::floor(now);
    TReminderList missed;

    auto& records = FStore.Records;
    // One save for every record the catch-up writes.
    FWriter.BeginBatch();
    try {
        for (size_t i = 0; i < records.size(); ++i) {
            TRmRecordStruct* rec = records[i];
            if (rec->EndTime != 0) continue;
            if (rec->LastTime == 0) {
                // First seen: from now on its occurrences count.
                rec->LastTime = now;
                SaveQuietly(rec, false);
                continue;
            }
            // The one occurrence looked at: today's, or the stored date's for once and yearly rules.
            TDateTime o;
            switch (rec->Period) {
                case 0:
                case 4:
                    o = StoredMoment(*rec);  // for a yearly reminder no year is added
                    break;
                case 1:
                    o = today + (rec->WakeTime - std::trunc(rec->WakeTime));
                    break;
                case 2:
                case 3: {
                    // Searching with a time of day at the very end of the day starts the search today:
                    // today's occurrence when today is a set day, else a later (unreported) one.
                    TRmRecordStruct scratch = *rec;
                    scratch.WakeTime = EndOfDay;
                    const TDateTime t = rec->Period == 2
                                            ? NextWeekDay(scratch, fw::DayOfTheWeek(now), scratch.RepeatData.data(), now)
                                            : NextMonthDay(scratch, fw::DayOf(now), scratch.RepeatData.data(), now);
                    if (!HasOccurrence(t)) continue;
                    o = std::trunc(t) + (rec->WakeTime - std::trunc(rec->WakeTime));
                    break;
                }
                default:
                    continue;
            }
            if (!HasOccurrence(o)) continue;
            if (ToMs(o) > ToMs(rec->LastTime) && nowMs > ToMs(o)) {
                TRecordState& state = FStates[rec->RunId.Value()];
                missed.push_back(rec);
                state.Remember(ToMs(o));
                SetMark(rec, state, now);
                SaveQuietly(rec, false);
            }
        }
    } catch (...) {
        EndWriteBatch();
        throw;
    }
    EndWriteBatch();
    FHasLastLook = true;
    FLastLookMs = nowMs;

    if (!missed.empty()) FAnnouncer.ShowMissedReminders(missed);
    ReportWriteFailures();
}
