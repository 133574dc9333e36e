// The scheduler tick and the catch-up at start, over a real data file, with an injected clock and a
// recording notice window and list.
#include "Scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "fixed_formats.h"
#include "test_support.h"

using fw::TDateTime;

namespace {

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return fw::EncodeDateTime(y, m, d, h, n, s, 0); }
TDateTime Wake(int h, int n = 0, int s = 0) { return (h * 3600.0 + n * 60.0 + s) / 86400.0; }
int64_t Ms(TDateTime t) { return std::llround(t * 86400000.0); }
int64_t Sec(TDateTime t) { return std::llround(t * 86400.0); }
std::string Show(TDateTime t) {
    return testsupport::Narrow(fw::FormatDateTime(L"yyyy-mm-dd hh:nn:ss.zzz", t, testsupport::EnUsFormats()));
}
#define EXPECT_MOMENT(expected, actual) \
    EXPECT_EQ(Ms(expected), Ms(actual)) << "expected " << Show(expected) << ", got " << Show(actual)

struct FakeClock : IReminderClock {
    TDateTime Now() override { return ++Reads, T; }
    TDateTime T = 0;
    int Reads = 0;
};

// Counts announcements by section, so that a record read again after a restart is the same one.
struct RecordingAnnouncer : IReminderAnnouncer {
    void ShowReminders(const TReminderList& List) override {
        Shown.push_back(List);
        for (auto* r : List) Sections.push_back(r->Section);
    }
    void ShowMissedReminders(const TReminderList& List) override { Missed.push_back(List); }
    int TimesShown(const TRmRecordStruct* r) const {
        return static_cast<int>(std::count(Sections.begin(), Sections.end(), r->Section));
    }
    std::vector<TReminderList> Shown, Missed;
    std::vector<std::wstring> Sections;
};

struct RecordingList : IReminderListView {
    void RefreshListItem(TRmRecordStruct* Record) override {
        if (Record == ThrowOn) throw std::runtime_error("list item");
        Refreshed.push_back(Record);
    }
    void RepaintList() override { ++Repaints; }
    TReminderList Refreshed;
    int Repaints = 0;
    const TRmRecordStruct* ThrowOn = nullptr;
};

// How a write fails: the file refuses it, or memory runs out.
void Refused() { throw fw::EIniFileException(L"Unable to write to the data file"); }
void OutOfMemory() { throw std::bad_alloc(); }

// Forwards to the data file, except for the records it is told to fail (each with its failure).
// The failures are told in the data file writer's own words.
struct FlakyWriter : IReminderWriter {
    explicit FlakyWriter(TRemindFile& store) : real(store) {
        real.OnWriteError = [this](const std::wstring& Message) { Reports.push_back(Message); };
    }
    void UpdateRecord(TRmRecordStruct* Record) override {
        ++Writes;
        if (const auto f = Failing.find(Record); f != Failing.end()) f->second();
        real.UpdateRecord(Record);
    }
    void ReportWriteError() override { real.ReportWriteError(); }
    void BeginBatch() override { real.BeginBatch(); }
    void EndBatch() override { real.EndBatch(); }
    TRemindFileWriter real;
    std::map<const TRmRecordStruct*, void (*)()> Failing;
    int Writes = 0;
    std::vector<std::wstring> Reports;
};

// What the user is told when the data file could not be saved.
std::wstring NotSaved(const std::wstring& path) {
    return L"Your reminders could not be saved to " + path +
           L". Changes since the last save will be lost when the program ends.";
}

const TDateTime Day = At(2024, 3, 5);  // a Tuesday

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    // Opens the data file again, as a restart of the program does.
    void Open() {
        sched.reset();
        writer.reset();
        store.reset();
        store = std::make_unique<TRemindFile>(path, formats);
        writer = std::make_unique<FlakyWriter>(*store);
        sched = std::make_unique<TReminderScheduler>(*store, clock, announcer, list, *writer, formats);
    }

    // Unsaved puts the record in memory only (when the file cannot be written).
    TRmRecordStruct* Add(uint8_t period, TDateTime wake, TDateTime lastTime, std::optional<TDateTime> date = {},
                         bool unsaved = false) {
        auto* r = new TRmRecordStruct;
        r->Name = L"reminder " + std::to_wstring(store->Records.size() + 1);
        r->CreateDateTime = At(2024, 1, 1) + static_cast<double>(store->Records.size() + 1) / 86400;
        r->Period = period;
        r->WakeTime = wake;
        r->LastTime = lastTime;
        if (date) r->SetDate(*date);
        if (unsaved)
            store->Records.push_back(r);
        else
            store->AddRecord(r);
        return r;
    }
    TRmRecordStruct* AddDaily(TDateTime wake, TDateTime lastTime) { return Add(1, wake, lastTime); }
    TRmRecordStruct* AddOnce(TDateTime date, TDateTime wake, TDateTime lastTime) { return Add(0, wake, lastTime, date); }

    void TickAt(TDateTime t) {
        clock.T = t;
        sched->Tick();
    }
    void CatchUpAt(TDateTime t) {
        clock.T = t;
        sched->CatchUpMissed();
    }
    // A save from the editor or the list at the given moment.
    void SaveAt(TDateTime t, TRmRecordStruct* r) {
        clock.T = t;
        sched->SaveRecord(r);
    }

    // The record as the data file holds it now.
    std::unique_ptr<TRmRecordStruct> Stored(const TRmRecordStruct* r) {
        TRemindFile reread(path, formats);
        for (TRmRecordStruct* s : reread.Records)
            if (s->Section == r->Section) return std::make_unique<TRmRecordStruct>(*s);
        ADD_FAILURE() << "not in the file";
        return std::make_unique<TRmRecordStruct>();
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

// --- one record through a sequence of ticks, catch-ups, restarts and postponements --------------

struct Step {
    char op;  // 't' tick, 'c' catch-up, 'r' restart then catch-up, 'p' postpone to `at`
    TDateTime at;
    int expect;  // after the step: times shown ('t') or missed lists so far ('c', 'r'); -1 = no check
};
Step T(TDateTime at, int shown = -1) { return {'t', at, shown}; }
Step C(TDateTime at, int missed) { return {'c', at, missed}; }
Step R(TDateTime at, int missed) { return {'r', at, missed}; }
Step P(TDateTime at) { return {'p', at, -1}; }
const TDateTime Unchecked = -1;

struct Scenario {
    const char* name;
    uint8_t period;
    TDateTime wake, last;
    std::vector<Step> steps;
    TDateTime nextDue = Unchecked;  // at the end (0: no occurrence, and no time-left text)
    TDateTime endTime = Unchecked;  // at the end (0: not completed)
    int day = -1;                   // week day (Sunday 0) or month day index
    std::optional<TDateTime> date;  // stored date of one-time and yearly reminders
    std::optional<TDateTime> end;   // completed before the start
};

const TDateTime Sunday = At(2024, 3, 10);
const TDateTime Y8 = Day - 1 + Wake(8, 0, 57);  // yesterday's 08:00 announced
const Scenario Scenarios[] = {
    {"AnnouncedWhenATickLandsExactlyOnTheTime", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 55), 0), T(Day + Wake(8), 1), T(Day + Wake(8, 0, 5), 1)}, Day + 1 + Wake(8)},
    {"TwoTicksInOneInterval", 1, Wake(8), Y8, {T(Day + Wake(8) - 4.5 / 86400, 1), T(Day + Wake(7, 59, 59), 1)}},
    {"TickThatMissedTheIntervalStillAnnounces", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 54), 0), T(Day + Wake(8, 0, 1), 1), T(Day + Wake(8, 0, 6), 1)}, Day + 1 + Wake(8)},
    {"OneTimeAnnouncedLateBeforeItIsCompleted", 0, Wake(8), Day + Wake(7),
     {T(Day + Wake(7, 59, 54), 0), T(Day + Wake(8, 0, 1), 1)}, 0, Day + Wake(8, 0, 1), -1, Day},
    {"AsleepAcrossTheTimeAnnouncesOnceOnWaking", 2, Wake(8), Day - 7 + Wake(8, 0, 57),
     {T(Day + Wake(7), 0), T(Day + 3 + Wake(13), 1), T(Day + 3 + Wake(13, 0, 5), 1)}, Day + 7 + Wake(8), Unchecked, 2},
    {"ClockSetBackDoesNotAnnounceTwice", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 57), 1), T(Day + Wake(8, 0, 2)), T(Day + Wake(7, 30)), T(Day + Wake(7, 59, 57)),
      T(Day + Wake(8, 0, 2), 1), T(Day + 1 + Wake(7, 59, 58), 2)}},
    // Running since the day before: a day back is an occurrence this run announced already.
    {"ClockSetBackADayToAnOccurrenceAnnouncedBefore", 1, Wake(8), Day - 2 + Wake(8, 0, 57),
     {T(Day - 1 + Wake(7, 59, 57), 1), T(Day - 1 + Wake(8, 0, 2), 1), T(Day + Wake(7, 59, 57), 2),
      T(Day - 1 + Wake(7, 59, 58), 2), T(Day - 1 + Wake(8, 0, 3), 2), T(Day + Wake(7, 59, 58), 2),
      T(Day + Wake(8, 0, 3), 2), T(Day + 1 + Wake(7, 59, 50), 2), T(Day + 1 + Wake(8), 3), T(Day + 1 + Wake(8, 0, 5), 3)},
     Day + 2 + Wake(8)},
    // Back to the day: its announced occurrence stays quiet, and is not reported missed at a restart.
    {"ClockSetBackADayThenRestartedLaterThatDay", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 57), 1), T(Day + Wake(8, 0, 2), 1), T(Day - 1 + Wake(7, 59, 57), 2),
      T(Day - 1 + Wake(8, 0, 2), 2), T(Day + Wake(7, 59, 57), 2), T(Day + Wake(8, 0, 2), 2), R(Day + Wake(10), 0)}},
    // Started on the day: the day before's is another occurrence; forward again, the next day's comes once, on time.
    {"ClockSetBackADayThenForwardToTheNextDay", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 57), 1), T(Day - 1 + Wake(7, 59, 58), 2), T(Day - 1 + Wake(8, 0, 1), 2),
      T(Day - 1 + Wake(7, 59, 59), 2), T(Day - 1 + Wake(8, 0, 5), 2), T(Day + 1 + Wake(7, 59, 50), 2),
      T(Day + 1 + Wake(8), 3), T(Day + 1 + Wake(8, 0, 5), 3)},
     Day + 2 + Wake(8)},
    {"LateAnnouncementThenClockSetBack", 1, Wake(8), Y8,
     {T(Day + Wake(7, 50)), T(Day + Wake(10), 1), T(Day + Wake(7, 30)), T(Day + Wake(7, 59, 57)),
      T(Day + Wake(8, 0, 2), 1), T(Day + 1 + Wake(7, 59, 57), 2)}},
    {"LateAnnouncementJustBeforeTheNextOccurrence", 1, Wake(8), Day - 2 + Wake(8, 0, 57),
     {T(Day - 1 + Wake(7)), T(Day + Wake(7, 59, 20), 1), T(Day + Wake(7, 59, 57), 2), T(Day + Wake(8, 0, 2), 2)}},
    {"WakingJustBeforeTheNextOccurrenceAnnouncesOnceForBoth", 1, Wake(8), Day - 2 + Wake(8, 0, 57),
     {T(Day - 1 + Wake(7)), T(Day + Wake(7, 59, 58), 1), T(Day + Wake(8, 0, 3), 1)}, Day + 1 + Wake(8)},
    {"LastTimeFarAheadDoesNotSilenceARepeatingReminder", 1, Wake(8), At(2030, 1, 1, 8, 0, 57),
     {T(Day + Wake(7, 59, 57), 1), T(Day + Wake(7, 59, 59)), T(Day + Wake(8, 0, 3), 1)}},
    {"LastTimeFarAheadDoesNotSilenceAOneTimeReminder", 0, Wake(7), At(2030, 1, 1),
     {T(Day + Wake(7, 59, 57), 1)}, Unchecked, Day + Wake(7, 59, 57), -1, Day},
    {"EarlierOccurrenceBeatsAPostponedTime", 1, Wake(8), Y8,
     {T(Day + Wake(7, 50)), P(Day + Wake(8, 10)), T(Day + Wake(7, 55)), T(Day + Wake(7, 59, 57), 1)}},
    {"PostponedReminderIsAnnouncedAgain", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 57), 1), P(Day + Wake(8, 5, 30)), T(Day + Wake(8, 0, 32), 1),
      T(Day + Wake(8, 5, 27), 2), T(Day + Wake(8, 5, 32), 2)}, Day + 1 + Wake(8)},
    {"CompletedOneTimeReminderPostponedRunsOnceMore", 0, Wake(8), Day + Wake(7),
     {T(Day + Wake(7, 59, 57), 1), T(Day + Wake(8, 0, 2), 1), P(Day + Wake(8, 10)), T(Day + Wake(8, 5)),
      T(Day + Wake(8, 9, 58), 2), T(Day + Wake(8, 10, 3), 2)}, 0, Day + Wake(8, 10, 3), -1, Day},
    // Finished in the list while the notice showed it, then postponed there: once more, then quiet.
    {"FinishedRepeatingReminderPostponedRunsOnceMoreOnly", 1, Wake(8), Y8,
     {P(Day + Wake(8, 30, 20)), T(Day + Wake(8, 10)), T(Day + Wake(8, 30, 14), 0), T(Day + Wake(8, 30, 22), 1),
      T(Day + Wake(8, 30, 24), 1), T(Day + 1 + Wake(7, 59, 57)), T(Day + 1 + Wake(8, 0, 2), 1)},
     0, Day + Wake(8, 0, 10), -1, {}, Day + Wake(8, 0, 10)},
    {"CompletedOneTimePostponedTimeMissedByTheTicks", 0, Wake(8), Day + Wake(7),
     {T(Day + Wake(7, 59, 57)), T(Day + Wake(8, 0, 2)), P(Day + Wake(8, 5, 1)), T(Day + Wake(8, 4, 55), 1),
      T(Day + Wake(8, 5, 5), 2)}, 0, Day + Wake(8, 5, 5), -1, Day},
    // No occurrence: never announced, never completed for want of a date.
    {"UnknownRule", 255, Wake(8), Day - 1, {T(Day + Wake(8)), T(Day + Wake(8, 1)), T(Day + Wake(8, 2), 0)}, 0, 0},
    {"MonthlyWithoutADay", 3, Wake(8), Day - 1, {T(Day + Wake(8)), T(Day + Wake(8, 1), 0)}, 0, 0},
    {"CorruptDate", 0, Wake(8), Day - 1, {T(Day + Wake(8)), T(Day + Wake(8, 1), 0)}, 0, 0, -1, std::nan("")},
    // Between the catch-up at start and the first tick no tick stands in front of the time.
    {"DailyDueBeforeTheFirstTick", 1, Wake(8, 0, 3), Y8,
     {C(Day + Wake(8), 0), T(Day + Wake(8, 0, 11), 1), T(Day + Wake(8, 0, 16), 1)}, Day + 1 + Wake(8, 0, 3)},
    {"WeeklyDueBeforeTheFirstTick", 2, Wake(8, 0, 4), Day - 7 + Wake(8, 0, 57),
     {C(Day + Wake(8), 0), T(Day + Wake(8, 0, 11), 1)}, Unchecked, Unchecked, 2},
    {"OneTimeDueBeforeTheFirstTick", 0, Wake(10, 0, 3), Day - 1,
     {C(Day + Wake(10), 0), T(Day + Wake(10, 0, 10), 1)}, Unchecked, Day + Wake(10, 0, 10), -1, Day},
    {"StartedAtTheVeryTimeWhileYesterdaysWasMissed", 1, Wake(8), Day - 2 + Wake(8, 0, 57),
     {C(Day + Wake(8), 0), T(Day + Wake(8, 0, 6), 1), T(Day + Wake(8, 0, 11), 1)}},
    {"RestartRightAfterAnAnnouncementOfARepeatingReminder", 1, Wake(8), Y8,
     {T(Day + Wake(7, 59, 57), 1), R(Day + Wake(7, 59, 59), 0), T(Day + Wake(8, 0, 5), 1)}},
    {"RestartRightAfterAnAnnouncementOfAOneTimeReminder", 0, Wake(8), Day + Wake(7),
     {T(Day + Wake(7, 59, 57), 1), R(Day + Wake(7, 59, 59), 0), T(Day + Wake(8, 0, 5), 1)}, Unchecked,
     Day + Wake(8, 0, 5), -1, Day},
    // The catch-up reports today's passed occurrence once, and the first tick does not announce it.
    {"CatchUpDaily", 1, Wake(8), Y8, {C(Day + Wake(10), 1), R(Day + Wake(10, 5), 1), T(Day + Wake(10, 5, 5), 0)}},
    {"CatchUpLooksAtTodayOnly", 1, Wake(8), Day - 1 + Wake(7), {C(Day + Wake(7, 30), 0)}},
    {"CatchUpWeeklyToday", 2, Wake(9), Day - 7 + Wake(9, 0, 57), {C(Day + Wake(10), 1), R(Day + Wake(11), 1)},
     Unchecked, Unchecked, 2},
    {"CatchUpWeeklyTomorrow", 2, Wake(9), Day - 7, {C(Day + Wake(10), 0)}, Unchecked, Unchecked, 3},
    {"CatchUpWeeklyYesterday", 2, Wake(9), Day - 7, {C(Day + Wake(10), 0)}, Unchecked, Unchecked, 1},
    {"CatchUpWeeklyOnSunday", 2, Wake(9), Sunday - 7, {C(Sunday + Wake(9, 30), 1)}, Unchecked, Unchecked, 0},
    {"CatchUpMonthlyToday", 3, Wake(9), Sunday - 30, {C(Sunday + Wake(9, 30), 1)}, Unchecked, Unchecked, 9},
    {"CatchUpMonthlyYesterday", 3, Wake(9), Sunday - 30, {C(Sunday + Wake(9, 30), 0)}, Unchecked, Unchecked, 8},
    {"CatchUpOneTimeThenFirstTickCompletesWithoutAnnouncing", 0, Wake(8), Day - 3,
     {C(Day + Wake(10), 1), T(Day + Wake(10, 0, 6), 0)}, Unchecked, Day + Wake(10, 0, 6), -1, Day - 2},
    {"CatchUpSkipsACompletedOneTime", 0, Wake(8), Day - 1, {C(Day + Wake(10), 0)}, Unchecked, Unchecked, -1, Day, Day - 1},
    {"CatchUpSkipsAnUnknownRule", 255, Wake(8), Day - 1, {C(Day + Wake(10), 0)}},
    {"CatchUpTakesTheStoredYearlyDate", 4, Wake(8), At(2023, 1, 1), {C(Day + Wake(10), 0)}, Unchecked, Unchecked, -1,
     At(2022, 3, 5)},
    {"CatchUpSkipsACorruptDate", 0, Wake(8), Day - 1, {C(Day + Wake(10), 0)}, Unchecked, Unchecked, -1, 1e300},
    {"CatchUpSkipsAMarkExactlyAtTheOccurrence", 1, Wake(8), Day + Wake(8), {C(Day + Wake(10), 0)}},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class SchedulerScenario : public SchedulerTest, public ::testing::WithParamInterface<Scenario> {};

}  // namespace

TEST_P(SchedulerScenario, AnnouncesEachOccurrenceExactlyOnce) {
    const Scenario& s = GetParam();
    TRmRecordStruct* r = Add(s.period, s.wake, s.last);
    if (s.date) r->SetDate(*s.date);
    if (s.day >= 0) (s.period == 2 ? r->SetWeekDays(s.day, true) : r->SetMonthDays(s.day, true));
    if (s.end) r->EndTime = *s.end;
    if (!s.date || (std::isfinite(*s.date) && *s.date < 1e6)) store->UpdateRecord(r);  // corrupt ones in memory only
    const std::wstring section = r->Section;
    for (const Step& step : s.steps) {
        SCOPED_TRACE(std::string(1, step.op) + " at " + Show(step.at));
        if (step.op == 'r') Open();
        if (step.op == 'p') r->NextDue = step.at;
        if (step.op == 't') TickAt(step.at);
        if (step.op == 'c' || step.op == 'r') CatchUpAt(step.at);
        auto found = std::find_if(store->Records.begin(), store->Records.end(),
                                  [&](TRmRecordStruct* x) { return x->Section == section; });
        ASSERT_NE(store->Records.end(), found);
        r = *found;
        if (step.expect >= 0 && step.op == 't') {
            EXPECT_EQ(step.expect, announcer.TimesShown(r));
        }
        if (step.expect >= 0 && step.op != 't') {
            EXPECT_EQ(step.expect, static_cast<int>(announcer.Missed.size()));
        }
    }
    if (s.nextDue != Unchecked) {
        EXPECT_MOMENT(s.nextDue, r->NextDue);
    }
    if (s.nextDue == 0) {
        EXPECT_EQ(L"", r->TimeLeftText);
    }
    if (s.endTime != Unchecked) {
        EXPECT_MOMENT(s.endTime, r->EndTime);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, SchedulerScenario, ::testing::ValuesIn(Scenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SchedulerTest, TicksAFewSecondsApartAroundTheTime) {
    // Every pair of ticks 4.9 or 5.1 seconds apart, placed anywhere around the time: exactly one
    // announcement, whichever tick makes it.
    for (double gap : {4.9, 5.1}) {
        for (int offset = 0; offset <= 60; ++offset) {
            SCOPED_TRACE(testing::Message() << "gap " << gap << " first tick " << offset / 10.0 << " s before");
            Open();
            TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
            const int before = announcer.TimesShown(r);
            const TDateTime first = Day + Wake(8) - offset / 10.0 / 86400;
            TickAt(Day + Wake(7, 59, 40));
            for (int i = 0; i < 3; ++i) TickAt(first + i * gap / 86400);
            EXPECT_EQ(1, announcer.TimesShown(r) - before);
        }
    }
}

TEST_F(SchedulerTest, AnnouncedInTheFiveSecondsBeforeThenMovesOnOrIsCompleted) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(8), Day + Wake(7));
    TickAt(Day + Wake(7, 59, 50));  // ten seconds before: not yet
    EXPECT_TRUE(announcer.Shown.empty());
    EXPECT_EQ(1, list.Repaints);
    EXPECT_EQ(0, writer->Writes) << "the time-left text alone is never written";

    TickAt(Day + Wake(7, 59, 57));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ((TReminderList{r, once}), announcer.Shown[0]);
    EXPECT_EQ((TReminderList{r, once}), sched->GetDueList());
    EXPECT_EQ(L"Daily: 8:00:00 AM", r->DisplayText);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 57)), Sec(Stored(r)->LastTime));
    EXPECT_EQ(0.0, once->EndTime);

    TickAt(Day + Wake(8, 0, 2));
    EXPECT_TRUE(sched->GetDueList().empty());
    EXPECT_EQ(L"23 Hours  59 Minutes  ", r->TimeLeftText);
    // The one-time reminder is completed, written and left alone from now on.
    EXPECT_FALSE(IsReminderActive(*once));
    EXPECT_EQ(TReminderList{once}, list.Refreshed);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 2)), Sec(Stored(once)->EndTime));
    TickAt(Day + Wake(9));
    EXPECT_EQ(1u, list.Refreshed.size());
}

TEST_F(SchedulerTest, RecordsSavedAroundTheirTime) {
    // A record with no due time looks back to the last tick; an edit moving the time just into the
    // past is not announced; one recovered within the minute after its announcement goes off again.
    TRmRecordStruct* edited = AddDaily(Wake(9), Day - 1 + Wake(9, 0, 57));
    TRmRecordStruct* recovered = AddOnce(Day, Wake(7, 59, 59), Day + Wake(7));
    TickAt(Day + Wake(7, 59, 57));
    TickAt(Day + Wake(8));
    ASSERT_NE(0.0, recovered->EndTime);
    TRmRecordStruct* ahead = AddDaily(Wake(8, 0, 4), Day + Wake(8, 0, 2));  // saved 08:00:02 for 08:00:04
    edited->WakeTime = Wake(8, 0, 1);
    edited->NextDue = 0;
    SaveAt(Day + Wake(8, 0, 2), edited);
    recovered->EndTime = recovered->NextDue = 0;
    recovered->WakeTime = Wake(8, 0, 30);
    SaveAt(Day + Wake(8, 0, 3), recovered);
    TickAt(Day + Wake(8, 0, 5));
    EXPECT_EQ(1, announcer.TimesShown(ahead));
    EXPECT_EQ(0, announcer.TimesShown(edited));
    EXPECT_MOMENT(Day + 1 + Wake(8, 0, 1), edited->NextDue);
    TickAt(Day + Wake(8, 0, 27));
    TickAt(Day + Wake(8, 0, 32));
    EXPECT_EQ(2, announcer.TimesShown(recovered));
    EXPECT_NE(0.0, recovered->EndTime);
    // Edited to a second ahead, with the next tick after that time: announced. The save writes
    // the record and renews its list text.
    edited->WakeTime = Wake(8, 0, 35);
    edited->NextDue = 0;
    edited->Period = 3;
    edited->SetMonthDays(4, true);
    edited->SetMonthDays(14, true);
    SaveAt(Day + Wake(8, 0, 34), edited);
    EXPECT_EQ(L"Monthly: 5 ,15 ", edited->DisplayText);
    EXPECT_TRUE(Stored(edited)->GetMonthDays(14));
    TickAt(Day + Wake(8, 0, 37));
    EXPECT_EQ(1, announcer.TimesShown(edited));
}

TEST_F(SchedulerTest, FailingWriteDoesNotStopTheTick) {
    TRmRecordStruct* a = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* b = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(7), Day + Wake(7, 0, 57));  // announced at 07:00
    writer->Failing = {{a, OutOfMemory}, {once, Refused}};
    EXPECT_NO_THROW(TickAt(Day + Wake(7, 59, 58)));
    ASSERT_EQ(1u, announcer.Shown.size());
    EXPECT_EQ((TReminderList{a, b}), announcer.Shown[0]);
    EXPECT_EQ(TReminderList{once}, list.Refreshed) << "the completion stands in memory";
    EXPECT_EQ(Sec(Day + Wake(8, 0, 58)), Sec(Stored(b)->LastTime)) << "the record after the failing one is written";
    EXPECT_EQ(std::vector<std::wstring>{NotSaved(path)}, writer->Reports) << "told in the language's text";
    TickAt(Day + 1 + Wake(7, 59, 58));  // still failing: not reported again
    EXPECT_EQ(1u, writer->Reports.size());
    writer->Failing.clear();  // writes work again, then fail once more: a new failure
    TickAt(Day + 2 + Wake(7, 59, 58));
    writer->Failing = {{b, Refused}};
    TickAt(Day + 3 + Wake(7, 59, 58));
    EXPECT_EQ(2u, writer->Reports.size());
    EXPECT_EQ(4u, announcer.Shown.size());
}

TEST_F(SchedulerTest, ASaveOfTheFileThatRunsOutOfMemoryStillAnnounces) {
    TRmRecordStruct* r = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    store->FileWriter = [](const std::wstring&, const std::vector<uint8_t>&) -> bool { throw std::bad_alloc(); };
    EXPECT_NO_THROW(TickAt(Day + Wake(7, 59, 57)));
    EXPECT_EQ(1, announcer.TimesShown(r));
    EXPECT_EQ(std::vector<std::wstring>{NotSaved(path)}, writer->Reports);
}

TEST_F(SchedulerTest, AWriteFailureStopsNeitherTheCatchUpNorTheTick) {
    // The store's own error, not a test double's: the folder of the data file is gone.
    path = tmp.File(L"gone\\vk_rmind_data.dat");
    Open();
    TRmRecordStruct* missed = Add(1, Wake(5), Day - 1, Day, true);
    TRmRecordStruct* fresh = Add(1, Wake(8), 0, Day, true);  // seen for the first time
    // No error escapes to the window's creation; the missed one is still reported, the failure shown.
    EXPECT_NO_THROW(CatchUpAt(Day + Wake(7)));
    EXPECT_EQ(std::vector<TReminderList>{{missed}}, announcer.Missed);
    EXPECT_NE(0.0, fresh->LastTime);
    EXPECT_EQ(std::vector<std::wstring>{NotSaved(path)}, writer->Reports);
    // The tick goes on as well, and the failure already shown is not shown again.
    TRmRecordStruct* once = Add(0, Wake(6), Day + Wake(6, 30), Day, true);
    EXPECT_NO_THROW(TickAt(Day + Wake(7, 59, 58)));
    EXPECT_EQ(std::vector<TReminderList>{{fresh}}, announcer.Shown);
    EXPECT_NE(0.0, once->EndTime);
    EXPECT_EQ(1u, writer->Reports.size());
    EXPECT_THROW(sched->SaveRecord(fresh), fw::Exception) << "the editor's save lets the error reach its caller";
}

TEST_F(SchedulerTest, ATickOrTheCatchUpReadsTheClockOnceAndSavesTheFileOnceHoweverManyRecordsItWrites) {
    std::vector<TRmRecordStruct*> daily, once;
    for (int i = 0; i < 30; ++i) daily.push_back(AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57)));
    for (int i = 0; i < 10; ++i) once.push_back(AddOnce(Day, Wake(7), Day - 1));
    int saves = 0;
    store->FileWriter = [&saves](const std::wstring& f, const std::vector<uint8_t>& b) {
        ++saves;
        return WriteFileAtomically(f, b);
    };
    clock.Reads = 0;
    TickAt(Day + Wake(7, 59, 58));
    EXPECT_EQ(1, saves);
    EXPECT_EQ(1, clock.Reads);
    EXPECT_EQ(Sec(Day + Wake(8, 0, 58)), Sec(Stored(daily.back())->LastTime));
    EXPECT_NE(0.0, Stored(once.back())->EndTime);
    TickAt(Day + Wake(7, 59, 59));  // nothing new to write
    EXPECT_EQ(1, saves);
    for (TRmRecordStruct* r : daily) r->LastTime = 0;
    sched->CatchUpMissed();
    EXPECT_EQ(2, saves);
    EXPECT_EQ(3, clock.Reads);
    EXPECT_NE(0.0, Stored(daily.back())->LastTime);
}

TEST_F(SchedulerTest, ClockSetBackADayAndForwardAgainAnnouncesEachOccurrenceOnce) {
    // Many reminders, a tick every five seconds: 09:00 of the day, then back a day to the seconds
    // before 09:00 (that day's 09:00 is another occurrence), then forward to the next day.
    std::vector<TRmRecordStruct*> daily;
    for (int i = 0; i < 200; ++i) daily.push_back(AddDaily(Wake(9), Day - 1 + Wake(9, 0, 57)));
    std::vector<TDateTime> announcedAt;
    const std::pair<TDateTime, TDateTime> spans[] = {{Day + Wake(8, 59, 22), Day + Wake(8, 59, 58)},
                                                     {Day - 1 + Wake(8, 59, 58), Day - 1 + Wake(9, 1)},
                                                     {Day + 1 + Wake(8, 59, 22), Day + 1 + Wake(9, 1)}};
    for (const auto& [from, to] : spans)
        for (int i = 0; from + i * 5.0 / 86400 < to; ++i) {
            const TDateTime t = from + i * 5.0 / 86400;
            const size_t before = announcer.Shown.size();
            TickAt(t);
            if (announcer.Shown.size() != before) announcedAt.push_back(t);
        }
    ASSERT_EQ(3u, announcedAt.size());
    EXPECT_MOMENT(Day + Wake(8, 59, 57), announcedAt[0]);
    EXPECT_MOMENT(Day - 1 + Wake(8, 59, 58), announcedAt[1]);
    EXPECT_MOMENT(Day + 1 + Wake(8, 59, 57), announcedAt[2]);
    for (const TReminderList& shown : announcer.Shown) EXPECT_EQ(daily, shown);
}

TEST_F(SchedulerTest, ANewReminderMadeInTheMemoryOfADeletedOneIsAnnounced) {
    TRmRecordStruct* old = AddDaily(Wake(8), Day - 1 + Wake(8, 0, 57));
    TickAt(Day + Wake(7, 59, 56));
    ASSERT_EQ(1, announcer.TimesShown(old));
    // Deleted from the list (its section erased, out of the store), and a new reminder for the same
    // moment made in the very memory the deleted one held.
    store->EraseRecordSection(L"UNFINISHED", old->Section);
    store->Records.erase(std::find(store->Records.begin(), store->Records.end(), old));
    old->~TRmRecordStruct();
    auto* made = new (old) TRmRecordStruct;
    made->Name = L"new";
    made->CreateDateTime = made->LastTime = Day + Wake(7, 59, 57);
    made->Period = 1;
    made->WakeTime = Wake(8);
    store->AddRecord(made);
    TickAt(Day + Wake(7, 59, 58));
    TickAt(Day + Wake(8, 0, 3));
    EXPECT_EQ(1, announcer.TimesShown(made));
}

TEST(RecordRunId, ACopyIsAnotherRecordAndAnAssignmentKeepsTheTargetsOwn) {
    TRmRecordStruct a, b;
    const TRmRecordStruct copy = a;  // the catch-up's scratch copy, a restored reminder
    EXPECT_NE(a.RunId.Value(), b.RunId.Value());
    EXPECT_NE(a.RunId.Value(), copy.RunId.Value());
    const uint64_t own = b.RunId.Value();
    b = a;  // the editor putting back a record whose save failed
    EXPECT_EQ(own, b.RunId.Value());
}

TEST_F(SchedulerTest, ATickThatThrowsOnItsWayKeepsTheMemoryOfTheRecordsItMet) {
    // Running since the day before: both days' 08:00 announced.
    TRmRecordStruct* daily = AddDaily(Wake(8), Day - 2 + Wake(8, 0, 57));
    TRmRecordStruct* once = AddOnce(Day, Wake(8, 0, 30), Day - 1);
    TickAt(Day - 1 + Wake(7, 59, 57));
    TickAt(Day - 1 + Wake(8, 0, 2));
    TickAt(Day + Wake(7, 59, 57));
    ASSERT_EQ(2, announcer.TimesShown(daily));
    // The list fails over the record after the daily one.
    list.ThrowOn = once;
    EXPECT_THROW(TickAt(Day + Wake(8, 0, 35)), std::runtime_error);
    list.ThrowOn = nullptr;
    // Back a day to an occurrence announced already: still remembered.
    TickAt(Day - 1 + Wake(7, 59, 58));
    TickAt(Day - 1 + Wake(8, 0, 3));
    EXPECT_EQ(2, announcer.TimesShown(daily));
}
