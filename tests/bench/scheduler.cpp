// Time of one scheduler tick over 1,000 and 10,000 reminders of every rule.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "Scheduler.h"
#include "test_support.h"

namespace {

class BenchClock : public IReminderClock {
public:
    fw::TDateTime Now() override { return T; }
    fw::TDateTime T = 0;
};

class QuietAnnouncer : public IReminderAnnouncer {
public:
    void ShowReminders(const TReminderList& List) override { Announced += List.size(); }
    void ShowMissedReminders(const TReminderList& List) override { Missed += List.size(); }
    size_t Announced = 0, Missed = 0;
};

class QuietList : public IReminderListView {
public:
    void RefreshListItem(TRmRecordStruct*) override {}
    void RepaintList() override {}
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void Run(int count) {
    testsupport::TempDir tmp;
    TRemindFile store(tmp.File(L"vk_rmind_data.dat"));
    std::mt19937 rng(12345u + static_cast<unsigned>(count));
    const fw::TDateTime start = fw::EncodeDateTime(2024, 3, 5, 9, 0, 0, 0);
    for (int i = 0; i < count; ++i) {
        auto* r = new TRmRecordStruct;
        r->Name = L"Reminder number " + std::to_wstring(i);
        r->CreateDateTime = start - 400 + i / 86400.0;
        r->Period = static_cast<uint8_t>(i % 5);
        r->WakeTime = static_cast<double>(rng() % 86400) / 86400.0;
        r->LastTime = start - 1.0 / 48;  // the last half hour passed unannounced
        switch (r->Period) {
            case 0: r->SetDate(std::floor(start) + 1 + rng() % 300); break;  // once, ahead
            case 2: for (int d = 0; d < 7; ++d) r->SetWeekDays(d, rng() % 3 == 0); break;
            case 3: for (int d = 0; d < 31; ++d) r->SetMonthDays(d, rng() % 5 == 0); break;
            case 4: r->SetDate(std::floor(start) - 3000 + rng() % 3650); break;
            default: r->SetDate(std::floor(start)); break;
        }
        store.Records.push_back(r);  // in memory only: the tick writes what it announces
    }

    BenchClock clock;
    QuietAnnouncer announcer;
    QuietList list;
    TRemindFileWriter writer(store);
    TReminderScheduler scheduler(store, clock, announcer, list, writer);

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> ms;
    const int ticks = 40;
    for (int t = 0; t < ticks; ++t) {
        clock.T = start + t * 5.0 / 86400.0;
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        scheduler.Tick();
        QueryPerformanceCounter(&b);
        ms.push_back(Seconds(a, b, freq) * 1000.0);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("%6d reminders: tick median %.2f ms, min %.2f ms, max %.2f ms, first %.2f ms (%d ticks, %u announced)\n",
                count, ms[ms.size() / 2], ms.front(), ms.back(), first, ticks,
                static_cast<unsigned>(announcer.Announced));

    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    scheduler.CatchUpMissed();
    QueryPerformanceCounter(&b);
    std::printf("%6d reminders: catch-up %.2f ms (%u reported)\n", count, Seconds(a, b, freq) * 1000.0,
                static_cast<unsigned>(announcer.Missed));
}

// One tick that announces `due` of `count` daily reminders stored in the data file: every announced
// record is written back.
void RunDue(int count, int due) {
    testsupport::TempDir tmp;
    TRemindFile store(tmp.File(L"vk_rmind_data.dat"));
    const fw::TDateTime tick = fw::EncodeDateTime(2024, 3, 5, 9, 0, 0, 0);
    for (int i = 0; i < count; ++i) {
        auto* r = new TRmRecordStruct;
        r->Name = L"Reminder number " + std::to_wstring(i);
        r->CreateDateTime = tick - 400 + i / 86400.0;
        r->Period = 1;
        // The due ones fall two seconds after the tick, the others spread over the day after it.
        r->WakeTime = i < due ? 9.0 / 24 + 2.0 / 86400 : 10.0 / 24 + (i % 36000) / 86400.0;
        r->LastTime = tick - 1;
        store.Records.push_back(r);
    }
    // All of them in the file, with one save.
    store.BeginUpdate();
    for (TRmRecordStruct* r : store.Records) store.UpdateRecord(r);
    store.EndUpdate();

    BenchClock clock;
    QuietAnnouncer announcer;
    QuietList list;
    TRemindFileWriter writer(store);
    TReminderScheduler scheduler(store, clock, announcer, list, writer);
    clock.T = tick;
    LARGE_INTEGER freq, a, b;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&a);
    scheduler.Tick();
    QueryPerformanceCounter(&b);
    std::printf("%6d reminders: tick announcing %u took %.3f s\n", count, static_cast<unsigned>(announcer.Announced),
                Seconds(a, b, freq));
}

}  // namespace

int main() {
    RunDue(1000, 200);
    RunDue(10000, 200);
    Run(1000);
    Run(10000);
    return 0;
}
