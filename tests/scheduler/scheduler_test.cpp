// The scheduler tick and the catch-up at start, over a real data file, with an injected clock and a
// recording notice window and list.
#include "Scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "fixed_formats.h"
#include "test_support.h"

using fw::TDateTime;

namespace {

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int z = 0) {
    return fw::EncodeDateTime(y, m, d, h, n, s, z);
}
TDateTime Wake(int h, int n = 0, int s = 0) { return (h * 3600.0 + n * 60.0 + s) / 86400.0; }
int64_t Ms(TDateTime t) { return std::llround(t * 86400000.0); }
int64_t Sec(TDateTime t) { return std::llround(t * 86400.0); }

std::string Show(TDateTime t) {
    return testsupport::Narrow(fw::FormatDateTime(L"yyyy-mm-dd hh:nn:ss.zzz", t, testsupport::EnUsFormats()));
}
#define EXPECT_MOMENT(expected, actual) \
    EXPECT_EQ(Ms(expected), Ms(actual)) << "expected " << Show(expected) << ", got " << Show(actual)

class FakeClock : public IReminderClock {
public:
    TDateTime Now() override {
        ++Reads;
        return T;
    }
    TDateTime T = 0;
    int Reads = 0;
};

class RecordingAnnouncer : public IReminderAnnouncer {
public:
    void ShowReminders(const TReminderList& List) override { Shown.push_back(List); }
    void ShowMissedReminders(const TReminderList& List) override { Missed.push_back(List); }
    // How often a record was announced over all ticks.
    int TimesShown(const TRmRecordStruct* r) const {
        int n = 0;
        for (const auto& l : Shown) n += static_cast<int>(std::count(l.begin(), l.end(), r));
        return n;
    }
    std::vector<TReminderList> Shown, Missed;
};

class RecordingList : public IReminderListView {
public:
    void RefreshListItem(TRmRecordStruct* Record) override { Refreshed.push_back(Record); }
    void RepaintList() override { ++Repaints; }
    TReminderList Refreshed;
    int Repaints = 0;
};

// Forwards to the data file, except for the records it is told to fail.
class FlakyWriter : public IReminderWriter {
public:
    explicit FlakyWriter(TRemindFile& store) : real(store) {}
    void UpdateRecord(TRmRecordStruct* Record) override {
        ++Writes;
        if (FailAll || Failing.count(Record)) throw fw::EIniFileException(L"Unable to write to the data file");
        real.UpdateRecord(Record);
    }
    void ReportWriteError(const std::wstring& Message) override { Reports.push_back(Message); }
    void BeginBatch() override { real.BeginBatch(); }
    void EndBatch() override { real.EndBatch(); }
    TRemindFileWriter real;
    std::set<const TRmRecordStruct*> Failing;
    bool FailAll = false;
    int Writes = 0;
    std::vector<std::wstring> Reports;
};

const TDateTime Day = At(2024, 3, 5);  // a Tuesday

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void Open() {
        sched.reset();
        writer.reset();
        store.reset();
        store = std::make_unique<TRemindFile>(path, formats);
        writer = std::make_unique<FlakyWriter>(*store);
        sched = std::make_unique<TReminderScheduler>(*store, clock, announcer, list, *writer, formats);
    }

    TRmRecordStruct* Add(uint8_t period, TDateTime wake, TDateTime lastTime) {
        auto* r = new TRmRecordStruct;
        r->Name = L"reminder " + std::to_wstring(store->Records.size() + 1);
        r->CreateDateTime = At(2024, 1, 1) + static_cast<double>(store->Records.size() + 1) / 86400;
        r->Period = period;
        r->WakeTime = wake;
        r->LastTime = lastTime;
        store->AddRecord(r);
        return r;
    }
    TRmRecordStruct* AddDaily(TDateTime wake, TDateTime lastTime) { return Add(1, wake, lastTime); }
    TRmRecordStruct* AddOnce(TDateTime date, TDateTime wake, TDateTime lastTime) {
        TRmRecordStruct* r = Add(0, wake, lastTime);
        r->SetDate(date);
        store->UpdateRecord(r);
        return r;
    }

    void TickAt(TDateTime t) {
        clock.T = t;
        sched->Tick();
    }

    // The record as the data file holds it now.
    std::unique_ptr<TRmRecordStruct> Stored(const TRmRecordStruct* r) {
        TRemindFile reread(path, formats);
        for (TRmRecordStruct* s : reread.Records)
            if (s->Section == r->Section) return std::make_unique<TRmRecordStruct>(*s);
        return nullptr;
    }

    testsupport::TempDir tmp;
    std::wstring path = tmp.File(L"vk_rmind_data.dat");
    fw::TFormatSettings formats = testsupport::EnUsFormats();
    FakeClock clock;
    RecordingAnnouncer announcer;
    RecordingList list;
    std::unique_ptr<TRemindFile> store;
    std::unique_ptr<FlakyWriter> writer;
    std::unique_ptr<TReminderScheduler> sched;
};

}  // namespace

TEST_F(SchedulerTest, AnnouncedInTheFiveSecondsBeforeThenMovesOn) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));

    TickAt(Day + Wake(7, 59, 50));  // ten seconds before: not yet
    EXPECT_TRUE(announcer.Shown.empty());
    EXPECT_MOMENT(Day + Wake(8), r->NextDue);
    EXPECT_EQ(1, list.Repaints);
    EXPECT_EQ(0, writer->Writes) << "the time-left text alone is never written";

    TickAt(Day + Wake(7, 59, 57));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ(TReminderList{r}, announcer.Shown[0]);
    EXPECT_EQ(TReminderList{r}, sched->GetDueList());
    EXPECT_MOMENT(Day + Wake(8, 0, 57), r->LastTime);
    EXPECT_EQ(L"Daily: 8:00:00 AM", r->DisplayText);
    auto stored = Stored(r);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 57)), Sec(stored->LastTime));

    TickAt(Day + Wake(8, 0, 2));
    EXPECT_EQ(1u, announcer.Shown.size());
    EXPECT_TRUE(sched->GetDueList().empty());
    EXPECT_MOMENT(Day + 1 + Wake(8), r->NextDue);
    EXPECT_EQ(L"23 Hours  59 Minutes  ", r->TimeLeftText);
    EXPECT_EQ(3, list.Repaints);
}

TEST_F(SchedulerTest, OneTimeReminderAnnouncedThenCompletedAndWritten) {
    TRmRecordStruct* r = AddOnce(Day, Wake(8), Day + Wake(7));
    TRmRecordStruct* other = AddDaily(Wake(20), Day + Wake(7));

    TickAt(Day + Wake(7, 59, 57));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_EQ(0.0, r->EndTime);

    TickAt(Day + Wake(8, 0, 2));
    EXPECT_EQ(1, announcer.TimesShown(r)) << "completing does not announce again";
    EXPECT_MOMENT(Day + Wake(8, 0, 2), r->EndTime);
    EXPECT_EQ(0.0, r->NextDue);
    EXPECT_FALSE(IsReminderActive(*r));
    EXPECT_EQ(TReminderList{r}, list.Refreshed);
    auto stored = Stored(r);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 2)), Sec(stored->EndTime));

    // Completed: left alone from now on; the other reminder still runs.
    const std::wstring left = r->TimeLeftText;
    TickAt(Day + Wake(9));
    EXPECT_EQ(left, r->TimeLeftText);
    EXPECT_EQ(1u, list.Refreshed.size());
    EXPECT_EQ(L"11 Hours  ", other->TimeLeftText);
}

TEST_F(SchedulerTest, EarlierOccurrenceBeatsAPostponedTime) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 50));
    r->NextDue = Day + Wake(8, 10);  // postponed past its own next occurrence
    TickAt(Day + Wake(7, 55));
    EXPECT_MOMENT(Day + Wake(8), r->NextDue);
    TickAt(Day + Wake(7, 59, 57));
    EXPECT_EQ(1, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, PostponedReminderIsAnnouncedAgainAtItsPostponedTime) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 57));
    r->NextDue = Day + Wake(8, 5, 30);  // the notice window's "5 minutes" at 08:00:30
    TickAt(Day + Wake(8, 0, 32));
    EXPECT_MOMENT(Day + Wake(8, 5, 30), r->NextDue);
    EXPECT_EQ(L"4 Minutes  ", r->TimeLeftText);
    TickAt(Day + Wake(8, 5, 27));
    EXPECT_EQ(2, announcer.TimesShown(r));
    TickAt(Day + Wake(8, 5, 32));
    EXPECT_EQ(2, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + 1 + Wake(8), r->NextDue);
}

TEST_F(SchedulerTest, CompletedOneTimeReminderPostponedRunsOnceMore) {
    TRmRecordStruct* r = AddOnce(Day, Wake(8), Day + Wake(7));
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8, 0, 2));
    ASSERT_NE(0.0, r->EndTime);
    r->NextDue = Day + Wake(8, 10);  // postponed from the notice window after completion
    EXPECT_TRUE(IsReminderActive(*r));
    TickAt(Day + Wake(8, 5));
    EXPECT_EQ(L"5 Minutes  ", r->TimeLeftText);
    TickAt(Day + Wake(8, 9, 58));
    EXPECT_EQ(2, announcer.TimesShown(r));
    TickAt(Day + Wake(8, 10, 3));
    EXPECT_EQ(2, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + Wake(8, 10, 3), r->EndTime);
    EXPECT_EQ(0.0, r->NextDue);
}

TEST_F(SchedulerTest, FinishedRepeatingReminderPostponedRunsOnceMoreOnly) {
    // Marked as finished in the list while the notice window still showed it, then postponed there.
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 57));
    r->EndTime = Day + Wake(8, 0, 10);
    r->NextDue = 0;
    sched->SaveRecord(r);
    r->NextDue = Day + Wake(8, 30, 20);  // "30 minutes" at 08:00:20
    TickAt(Day + Wake(8, 10));
    EXPECT_MOMENT(Day + Wake(8, 30, 20), r->NextDue) << "its rule plays no part";
    EXPECT_EQ(L"20 Minutes  ", r->TimeLeftText);
    TickAt(Day + Wake(8, 30, 16));
    TickAt(Day + Wake(8, 30, 19));  // a late timer message right behind
    EXPECT_EQ(2, announcer.TimesShown(r));
    list.Refreshed.clear();
    TickAt(Day + Wake(8, 30, 22));
    EXPECT_EQ(0.0, r->NextDue);
    EXPECT_FALSE(IsReminderActive(*r)) << "back among the completed reminders";
    EXPECT_MOMENT(Day + Wake(8, 0, 10), r->EndTime) << "the user's completion stands";
    EXPECT_EQ(TReminderList{r}, list.Refreshed);
    // The next day it stays quiet.
    TickAt(Day + 1 + Wake(7, 59, 57));
    TickAt(Day + 1 + Wake(8, 0, 2));
    EXPECT_EQ(2, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, PostponedTimeMissedByTheTicksIsStillAnnounced) {
    TRmRecordStruct* once = AddOnce(Day, Wake(8), Day + Wake(7));
    TRmRecordStruct* finished = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8, 0, 2));
    ASSERT_NE(0.0, once->EndTime);
    finished->EndTime = Day + Wake(8, 0, 3);
    finished->NextDue = 0;
    sched->SaveRecord(finished);
    once->NextDue = Day + Wake(8, 5, 1);
    finished->NextDue = Day + Wake(8, 5, 1);
    TickAt(Day + Wake(8, 4, 55));  // six seconds before
    TickAt(Day + Wake(8, 5, 5));
    EXPECT_EQ(2, announcer.TimesShown(once));
    EXPECT_EQ(2, announcer.TimesShown(finished));
    EXPECT_EQ(0.0, once->NextDue);
    EXPECT_EQ(0.0, finished->NextDue);
    EXPECT_MOMENT(Day + Wake(8, 5, 5), once->EndTime);
    auto stored = Stored(once);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(8, 5, 5)), Sec(stored->EndTime));
    EXPECT_EQ(Sec(Day + Wake(8, 6, 5)), Sec(stored->LastTime));
    stored = Stored(finished);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(8, 6, 5)), Sec(stored->LastTime)) << "the announcement is written";
    EXPECT_EQ(Sec(Day + Wake(8, 0, 3)), Sec(stored->EndTime));
}

TEST_F(SchedulerTest, TickExactlyAtTheDueTime) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 55));  // exactly one interval before: not yet
    EXPECT_TRUE(announcer.Shown.empty());
    TickAt(Day + Wake(8));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + Wake(8), r->NextDue) << "still pending at its own moment";
    TickAt(Day + Wake(8, 0, 5));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + 1 + Wake(8), r->NextDue);
}

TEST_F(SchedulerTest, TicksAFewSecondsApartAroundTheTime) {
    // Every pair of ticks 4.9 or 5.1 seconds apart, placed anywhere around the time: exactly one
    // announcement, whichever tick makes it.
    for (double gap : {4.9, 5.1}) {
        for (int offset = 0; offset <= 60; ++offset) {
            SCOPED_TRACE(testing::Message() << "gap " << gap << " first tick " << offset / 10.0 << " s before");
            announcer.Shown.clear();
            Open();
            TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
            const TDateTime first = Day + Wake(8) - offset / 10.0 / 86400;
            TickAt(Day + Wake(7, 59, 40));
            TickAt(first);
            TickAt(first + gap / 86400);
            TickAt(first + 2 * gap / 86400);
            EXPECT_EQ(1, announcer.TimesShown(r));
        }
    }
}

TEST_F(SchedulerTest, LateAnnouncementThenClockSetBackAnnouncesOnce) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 50));
    TickAt(Day + Wake(10));  // woke two hours late: announced then
    EXPECT_EQ(1, announcer.TimesShown(r));
    TickAt(Day + Wake(7, 30));  // the clock is set back across the time
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8, 0, 2));
    EXPECT_EQ(1, announcer.TimesShown(r));
    TickAt(Day + 1 + Wake(7, 59, 57));
    EXPECT_EQ(2, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, LateAnnouncementJustBeforeTheNextOccurrence) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 2 + Wake(8, 0, 57));
    TickAt(Day - 1 + Wake(7));
    // Asleep across yesterday's time; woken 40 seconds before today's.
    TickAt(Day + Wake(7, 59, 20));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + Wake(8), r->NextDue);
    TickAt(Day + Wake(7, 59, 57));
    EXPECT_EQ(2, announcer.TimesShown(r)) << "today's occurrence is a new one";
    TickAt(Day + Wake(8, 0, 2));
    EXPECT_EQ(2, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, WakingJustBeforeTheNextOccurrenceAnnouncesOnceForBoth) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 2 + Wake(8, 0, 57));
    TickAt(Day - 1 + Wake(7));
    TickAt(Day + Wake(7, 59, 58));  // yesterday's passed asleep, today's two seconds ahead
    EXPECT_EQ(1, announcer.TimesShown(r));
    TickAt(Day + Wake(8, 0, 3));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + 1 + Wake(8), r->NextDue);
}

TEST_F(SchedulerTest, OccurrenceBetweenTheCatchUpAndTheFirstTick) {
    // The first tick comes some seconds after the start; a repeating reminder whose time falls in
    // between has had no tick in front of it.
    TRmRecordStruct* daily = AddDaily(Wake(8, 0, 3), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* weekly = Add(2, Wake(8, 0, 4), Day - 7 + Wake(8, 0, 57));
    weekly->SetWeekDays(2, true);
    TRmRecordStruct* later = AddDaily(Wake(9), Day - 1 + Wake(9, 0, 57));
    clock.T = Day + Wake(8);
    sched->CatchUpMissed();
    EXPECT_TRUE(announcer.Missed.empty());
    TickAt(Day + Wake(8, 0, 11));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ((TReminderList{daily, weekly}), announcer.Shown[0]);
    EXPECT_EQ(0, announcer.TimesShown(later));
    EXPECT_MOMENT(Day + 1 + Wake(8, 0, 3), daily->NextDue);
    TickAt(Day + Wake(8, 0, 16));
    EXPECT_EQ(1u, announcer.Shown.size());
}

TEST_F(SchedulerTest, StartedAtTheVeryTimeWhileYesterdaysWasMissed) {
    // The catch-up sees today's occurrence as not passed yet and yesterday's not at all.
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 2 + Wake(8, 0, 57));
    clock.T = Day + Wake(8);
    sched->CatchUpMissed();
    EXPECT_TRUE(announcer.Missed.empty());
    TickAt(Day + Wake(8, 0, 6));
    EXPECT_EQ(1, announcer.TimesShown(r));
    TickAt(Day + Wake(8, 0, 11));
    EXPECT_EQ(1, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, RestartRightAfterAnAnnouncementDoesNotRepeatIt) {
    AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    AddOnce(Day, Wake(8), Day + Wake(7));
    TickAt(Day + Wake(7, 59, 57));
    ASSERT_EQ(1u, announcer.Shown.size());
    ASSERT_EQ(2u, announcer.Shown[0].size());
    Open();  // quit and started again before the time
    clock.T = Day + Wake(7, 59, 59);
    sched->CatchUpMissed();
    TickAt(Day + Wake(8, 0, 5));
    EXPECT_TRUE(announcer.Missed.empty());
    EXPECT_EQ(1u, announcer.Shown.size());
    ASSERT_EQ(2u, store->Records.size());
    EXPECT_NE(0.0, store->Records[1]->EndTime);
}

TEST_F(SchedulerTest, NewReminderSetSecondsAheadIsAnnounced) {
    AddDaily(Wake(20), Day);
    TickAt(Day + Wake(8));
    // Saved at 08:00:02 for 08:00:04; the next tick comes after that time.
    TRmRecordStruct* r = AddDaily(Wake(8, 0, 4), Day + Wake(8, 0, 2));
    TickAt(Day + Wake(8, 0, 5));
    EXPECT_EQ(1, announcer.TimesShown(r));
    // One saved with a time that had just passed is not.
    TRmRecordStruct* passed = AddDaily(Wake(8, 0, 6), Day + Wake(8, 0, 7));
    TickAt(Day + Wake(8, 0, 10));
    EXPECT_EQ(0, announcer.TimesShown(passed));
    EXPECT_MOMENT(Day + 1 + Wake(8, 0, 6), passed->NextDue);
}

TEST_F(SchedulerTest, EditedReminder) {
    TRmRecordStruct* r = AddDaily(Wake(9), Day - 1 + Wake(9, 0, 57));
    TickAt(Day + Wake(8));
    // Edited at 08:00:02 to a time that had passed a second before: its next occurrence is tomorrow.
    auto edit = [&](TDateTime at, TDateTime wake) {
        clock.T = at;
        r->WakeTime = wake;
        r->NextDue = 0;
        sched->SaveRecord(r);
    };
    edit(Day + Wake(8, 0, 2), Wake(8, 0, 1));
    TickAt(Day + Wake(8, 0, 5));
    EXPECT_TRUE(announcer.Shown.empty());
    EXPECT_MOMENT(Day + 1 + Wake(8, 0, 1), r->NextDue);
    // Edited to a second ahead, with the next tick after that time: announced.
    edit(Day + Wake(8, 0, 7), Wake(8, 0, 8));
    TickAt(Day + Wake(8, 0, 10));
    EXPECT_EQ(1, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, ReminderRecoveredToGoOffAgainRightAway) {
    // Announced and completed; within the minute after, modified and recovered for 30 seconds later.
    TRmRecordStruct* r = AddOnce(Day, Wake(10), Day + Wake(9));
    TickAt(Day + Wake(9, 59, 57));
    TickAt(Day + Wake(10, 0, 2));
    ASSERT_NE(0.0, r->EndTime);
    clock.T = Day + Wake(10, 0, 10);
    r->EndTime = 0;
    r->NextDue = 0;
    r->WakeTime = Wake(10, 0, 40);
    sched->SaveRecord(r);
    TickAt(Day + Wake(10, 0, 37));
    EXPECT_EQ(2, announcer.TimesShown(r));
    TickAt(Day + Wake(10, 0, 42));
    EXPECT_EQ(2, announcer.TimesShown(r));
    EXPECT_NE(0.0, r->EndTime);
}

TEST_F(SchedulerTest, TwoTicksInOneIntervalAnnounceOnce) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(8) - 4.5 / 86400);
    TickAt(Day + Wake(7, 59, 59));  // a late timer message right behind the first
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_EQ(1u, announcer.Shown.size());
}

TEST_F(SchedulerTest, TickThatMissedTheIntervalStillAnnounces) {
    TRmRecordStruct* daily = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(8), Day + Wake(7));
    TickAt(Day + Wake(7, 59, 54));  // six seconds before: outside the interval
    EXPECT_TRUE(announcer.Shown.empty());

    TickAt(Day + Wake(8, 0, 1));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ(1, announcer.TimesShown(daily));
    EXPECT_EQ(1, announcer.TimesShown(once)) << "a one-time reminder is announced before it is completed";
    EXPECT_NE(0.0, once->EndTime);
    EXPECT_MOMENT(Day + 1 + Wake(8), daily->NextDue);
    auto stored = Stored(daily);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(8, 1, 1)), Sec(stored->LastTime));

    TickAt(Day + Wake(8, 0, 6));
    EXPECT_EQ(1u, announcer.Shown.size());
}

TEST_F(SchedulerTest, MachineAsleepAcrossTheTimeAnnouncesOnceOnWaking) {
    TRmRecordStruct* r = Add(2, Wake(8), Day - 7 + Wake(8, 0, 57));
    r->SetWeekDays(2, true);  // Tuesdays
    TickAt(Day + Wake(7));
    EXPECT_MOMENT(Day + Wake(8), r->NextDue);
    TickAt(Day + 3 + Wake(13));  // woke on Friday
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + 7 + Wake(8), r->NextDue);
    TickAt(Day + 3 + Wake(13, 0, 5));
    EXPECT_EQ(1, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, ClockSetBackDoesNotAnnounceTwice) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8, 0, 2));
    TickAt(Day + Wake(7, 30));  // the clock goes back half an hour
    EXPECT_MOMENT(Day + Wake(8), r->NextDue);
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8, 0, 2));
    EXPECT_EQ(1, announcer.TimesShown(r));
    // The next day's occurrence is announced as usual.
    TickAt(Day + 1 + Wake(7, 59, 58));
    EXPECT_EQ(2, announcer.TimesShown(r));
}

TEST_F(SchedulerTest, LastTimeFarAheadDoesNotSilenceTheReminder) {
    // Marks left while the clock once ran years ahead are no announcements of today's occurrences.
    TRmRecordStruct* daily = AddDaily(Wake(8), At(2030, 1, 1, 8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(7), At(2030, 1, 1));
    TickAt(Day + Wake(7, 59, 57));
    EXPECT_EQ(1, announcer.TimesShown(daily));
    EXPECT_EQ(1, announcer.TimesShown(once)) << "passed and never announced";
    EXPECT_NE(0.0, once->EndTime);
    EXPECT_MOMENT(Day + Wake(8, 0, 57), daily->LastTime);
    TickAt(Day + Wake(7, 59, 59));
    TickAt(Day + Wake(8, 0, 3));
    EXPECT_EQ(1, announcer.TimesShown(daily));
}

TEST_F(SchedulerTest, RecordWithoutOccurrence) {
    TRmRecordStruct* unknown = Add(255, Wake(8), Day - 1);
    TRmRecordStruct* noDays = Add(3, Wake(8), Day - 1);  // monthly without a day
    TRmRecordStruct* corrupt = AddOnce(Day, Wake(8), Day - 1);
    corrupt->SetDate(std::nan(""));
    for (int i = 0; i < 3; ++i) TickAt(Day + Wake(8) + i / 1440.0);
    for (TRmRecordStruct* r : {unknown, noDays, corrupt}) {
        EXPECT_EQ(0.0, r->NextDue);
        EXPECT_EQ(L"", r->TimeLeftText);
        EXPECT_EQ(0.0, r->EndTime) << "not completed for want of a date";
    }
    EXPECT_TRUE(announcer.Shown.empty());
    EXPECT_TRUE(list.Refreshed.empty());
}

TEST_F(SchedulerTest, ReadsTheClockOncePerRun) {
    for (int i = 0; i < 50; ++i) AddDaily(Wake(i % 24, i), Day - 1);
    clock.Reads = 0;
    TickAt(Day + Wake(23, 59, 59));
    EXPECT_EQ(1, clock.Reads);
    clock.Reads = 0;
    sched->CatchUpMissed();
    EXPECT_EQ(1, clock.Reads);
}

TEST_F(SchedulerTest, FailingWriteDoesNotStopTheTick) {
    TRmRecordStruct* a = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* b = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(7), Day + Wake(7, 0, 57));  // announced at 07:00
    writer->Failing = {a, once};

    EXPECT_NO_THROW(TickAt(Day + Wake(7, 59, 58)));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ((TReminderList{a, b}), announcer.Shown[0]);
    EXPECT_NE(0.0, once->EndTime) << "the completion stands in memory";
    EXPECT_EQ(TReminderList{once}, list.Refreshed);
    auto storedB = Stored(b);
    ASSERT_TRUE(storedB);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 58)), Sec(storedB->LastTime)) << "the record after the failing one is written";
    EXPECT_EQ(1u, writer->Reports.size());

    // Still failing the next day: not reported again.
    TickAt(Day + 1 + Wake(7, 59, 58));
    EXPECT_EQ(2u, announcer.Shown.size());
    EXPECT_EQ(1u, writer->Reports.size());

    // Writes work again, then fail once more: that is a new failure and is reported.
    writer->Failing.clear();
    TickAt(Day + 2 + Wake(7, 59, 58));
    EXPECT_EQ(1u, writer->Reports.size());
    writer->FailAll = true;
    TickAt(Day + 3 + Wake(7, 59, 58));
    EXPECT_EQ(2u, writer->Reports.size());
    EXPECT_EQ(4u, announcer.Shown.size());
}

TEST_F(SchedulerTest, DataFileInAMissingFolder) {
    // The store's own error, not a test double's: the folder of the data file is gone.
    path = tmp.File(L"gone\\vk_rmind_data.dat");
    Open();
    auto* daily = new TRmRecordStruct;
    daily->Period = 1;
    daily->WakeTime = Wake(8);
    daily->LastTime = Day - 1;
    store->Records.push_back(daily);
    auto* once = new TRmRecordStruct(*daily);
    once->Period = 0;
    once->SetDate(Day);
    once->WakeTime = Wake(6);
    once->LastTime = Day + Wake(6, 30);
    store->Records.push_back(once);
    once->CreateDateTime = Day;

    EXPECT_NO_THROW(TickAt(Day + Wake(7, 59, 58)));
    EXPECT_EQ(1, announcer.TimesShown(daily));
    EXPECT_NE(0.0, once->EndTime);
    ASSERT_EQ(1u, writer->Reports.size());
    EXPECT_FALSE(writer->Reports[0].empty());
    // The catch-up's write of a record seen for the first time fails the same way: no error
    // escapes to the window's creation, and the failure already shown is not shown again.
    auto* fresh = new TRmRecordStruct(*daily);
    fresh->LastTime = 0;
    store->Records.push_back(fresh);
    EXPECT_NO_THROW(sched->CatchUpMissed());
    EXPECT_NE(0.0, fresh->LastTime);
    EXPECT_EQ(1u, writer->Reports.size());
    EXPECT_THROW(sched->SaveRecord(daily), fw::Exception) << "the editor's save lets the error reach its caller";
}

TEST_F(SchedulerTest, ATickOrTheCatchUpSavesTheFileOnceHoweverManyRecordsItWrites) {
    std::vector<TRmRecordStruct*> daily, once;
    for (int i = 0; i < 30; ++i) daily.push_back(AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57)));
    for (int i = 0; i < 10; ++i) once.push_back(AddOnce(Day, Wake(7), Day - 1));
    int saves = 0;
    store->FileWriter = [&saves](const std::wstring& f, const std::vector<uint8_t>& b) {
        ++saves;
        return WriteFileAtomically(f, b);
    };
    TickAt(Day + Wake(7, 59, 58));
    EXPECT_EQ(1, saves);
    ASSERT_FALSE(announcer.Shown.empty());
    for (TRmRecordStruct* r : daily) {
        auto stored = Stored(r);
        ASSERT_TRUE(stored);
        EXPECT_EQ(Sec(Day + Wake(8, 0, 58)), Sec(stored->LastTime));
    }
    for (TRmRecordStruct* r : once) EXPECT_NE(0.0, Stored(r)->EndTime);
    saves = 0;
    TickAt(Day + Wake(7, 59, 59));  // nothing new to write
    EXPECT_EQ(0, saves);

    for (TRmRecordStruct* r : daily) r->LastTime = 0;
    sched->CatchUpMissed();
    EXPECT_EQ(1, saves);
    EXPECT_NE(0.0, Stored(daily.back())->LastTime);
}

TEST_F(SchedulerTest, SaveRecordWritesAndRenewsTheListText) {
    TRmRecordStruct* r = Add(3, Wake(8), Day);
    r->SetMonthDays(0, true);
    r->SetMonthDays(14, true);
    sched->SaveRecord(r);
    EXPECT_EQ(L"Monthly: 1 ,15 ", r->DisplayText);
    auto stored = Stored(r);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->GetMonthDays(14));
}

// --- catch-up at start -----------------------------------------------------------------------------

TEST_F(SchedulerTest, CatchUpReportsTodaysPassedOccurrenceOnce) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    clock.T = Day + Wake(10);
    sched->CatchUpMissed();
    ASSERT_EQ(1u, announcer.Missed.size());
    EXPECT_EQ(TReminderList{r}, announcer.Missed[0]);
    EXPECT_MOMENT(Day + Wake(10), r->LastTime);
    auto stored = Stored(r);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(10)), Sec(stored->LastTime));

    // A second start the same day reports nothing.
    Open();
    clock.T = Day + Wake(10, 5);
    sched->CatchUpMissed();
    EXPECT_EQ(1u, announcer.Missed.size());
    // Nor does the first tick announce the occurrence the catch-up reported.
    TickAt(Day + Wake(10, 5, 5));
    EXPECT_TRUE(announcer.Shown.empty());
}

TEST_F(SchedulerTest, CatchUpLooksAtTodayOnly) {
    AddDaily(Wake(8), Day - 1 + Wake(7));  // yesterday's 08:00 passed unannounced; today's is ahead
    clock.T = Day + Wake(7, 30);
    sched->CatchUpMissed();
    EXPECT_TRUE(announcer.Missed.empty());
}

TEST_F(SchedulerTest, CatchUpWeekly) {
    TRmRecordStruct* today = Add(2, Wake(9), Day - 7 + Wake(9, 0, 57));
    today->SetWeekDays(2, true);  // Tuesday
    TRmRecordStruct* tomorrow = Add(2, Wake(9), Day - 7);
    tomorrow->SetWeekDays(3, true);  // Wednesday
    TRmRecordStruct* yesterday = Add(2, Wake(9), Day - 7);
    yesterday->SetWeekDays(1, true);  // Monday
    clock.T = Day + Wake(10);
    sched->CatchUpMissed();
    ASSERT_EQ(1u, announcer.Missed.size());
    EXPECT_EQ(TReminderList{today}, announcer.Missed[0]);

    Open();
    clock.T = Day + Wake(11);
    sched->CatchUpMissed();
    EXPECT_EQ(1u, announcer.Missed.size()) << "a second start on the same day";
}

TEST_F(SchedulerTest, CatchUpWeeklyOnSundayAndMonthly) {
    const TDateTime sunday = At(2024, 3, 10);
    TRmRecordStruct* weekly = Add(2, Wake(9), sunday - 7);
    weekly->SetWeekDays(0, true);
    TRmRecordStruct* monthly = Add(3, Wake(9), sunday - 30);
    monthly->SetMonthDays(9, true);  // the 10th
    TRmRecordStruct* otherDay = Add(3, Wake(9), sunday - 30);
    otherDay->SetMonthDays(8, true);  // the 9th: yesterday, not looked at
    clock.T = sunday + Wake(9, 30);
    sched->CatchUpMissed();
    ASSERT_EQ(1u, announcer.Missed.size());
    EXPECT_EQ((TReminderList{weekly, monthly}), announcer.Missed[0]);
}

TEST_F(SchedulerTest, CatchUpWithoutLastTimeOnlyMarksTheRecord) {
    TRmRecordStruct* r = AddDaily(Wake(8), 0);
    clock.T = Day + Wake(10);
    sched->CatchUpMissed();
    EXPECT_TRUE(announcer.Missed.empty());
    EXPECT_MOMENT(Day + Wake(10), r->LastTime);
    auto stored = Stored(r);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(10)), Sec(stored->LastTime));
}

TEST_F(SchedulerTest, CatchUpOneTimeThenFirstTickCompletesWithoutAnnouncing) {
    TRmRecordStruct* r = AddOnce(Day - 2, Wake(8), Day - 3);
    clock.T = Day + Wake(10);
    sched->CatchUpMissed();
    ASSERT_EQ(1u, announcer.Missed.size());
    TickAt(Day + Wake(10, 0, 6));
    EXPECT_TRUE(announcer.Shown.empty());
    EXPECT_MOMENT(Day + Wake(10, 0, 6), r->EndTime);
}

TEST_F(SchedulerTest, OneTimeReminderFallingBeforeTheFirstTickIsAnnounced) {
    // Between the catch-up at start and the first tick no tick can announce it.
    TRmRecordStruct* r = AddOnce(Day, Wake(10, 0, 3), Day - 1);
    clock.T = Day + Wake(10);
    sched->CatchUpMissed();
    EXPECT_TRUE(announcer.Missed.empty());
    TickAt(Day + Wake(10, 0, 10));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_MOMENT(Day + Wake(10, 0, 10), r->EndTime);
}

TEST_F(SchedulerTest, CatchUpSkipsWhatItMustNotReport) {
    TRmRecordStruct* done = AddOnce(Day, Wake(8), Day - 1);
    done->EndTime = Day - 1;
    Add(255, Wake(8), Day - 1);
    // Yearly: the stored date is looked at, no year added; two years back lies before LastTime.
    TRmRecordStruct* yearly = Add(4, Wake(8), At(2023, 1, 1));
    yearly->SetDate(At(2022, 3, 5));
    TRmRecordStruct* corrupt = AddOnce(Day, Wake(8), Day - 1);
    corrupt->SetDate(1e300);
    // Marked exactly at its occurrence: not later than the mark.
    AddDaily(Wake(8), Day + Wake(8));
    clock.T = Day + Wake(10);
    EXPECT_NO_THROW(sched->CatchUpMissed());
    EXPECT_TRUE(announcer.Missed.empty());
}

TEST_F(SchedulerTest, CatchUpWriteFailureDoesNotStopStartUp) {
    TRmRecordStruct* a = AddDaily(Wake(8), Day - 1);
    TRmRecordStruct* b = AddDaily(Wake(9), Day - 1);
    writer->Failing = {a};
    clock.T = Day + Wake(10);
    EXPECT_NO_THROW(sched->CatchUpMissed());
    ASSERT_EQ(1u, announcer.Missed.size());
    EXPECT_EQ((TReminderList{a, b}), announcer.Missed[0]);
    EXPECT_EQ(1u, writer->Reports.size());
    auto stored = Stored(b);
    ASSERT_TRUE(stored);
    EXPECT_EQ(Sec(Day + Wake(10)), Sec(stored->LastTime));
}
