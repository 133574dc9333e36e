// Time of one scheduler tick over 1,000 and 10,000 reminders of every rule, of the catch-up at
// start, and of a tick that announces (and writes back) 200 reminders of a stored file.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "Scheduler.h"
#include "process_support.h"
#include "test_support.h"

namespace {

using testsupport::Seconds;

struct BenchClock : IReminderClock {
    fw::TDateTime Now() override { return T; }
    fw::TDateTime T = 0;
};
struct QuietAnnouncer : IReminderAnnouncer {
    void ShowReminders(const TReminderList& List) override { Announced += List.size(); }
    void ShowMissedReminders(const TReminderList& List) override { Missed += List.size(); }
    size_t Announced = 0, Missed = 0;
};
struct QuietList : IReminderListView {
    void RefreshListItem(TRmRecordStruct*) override {}
    void RepaintList() override {}
};

const fw::TDateTime Start = fw::EncodeDateTime(2024, 3, 5, 9, 0, 0, 0);

// A store of `count` reminders, each shaped by `shape`, and a scheduler over it.
struct Bench {
    Bench(int count, const std::function<void(TRmRecordStruct&, int)>& shape) {
        for (int i = 0; i < count; ++i) {
            auto* r = new TRmRecordStruct;
            r->Name = L"Reminder number " + std::to_wstring(i);
            r->CreateDateTime = Start - 400 + i / 86400.0;
            shape(*r, i);
            store.Records.push_back(r);
        }
    }
    testsupport::TempDir tmp;
    TRemindFile store{tmp.File(L"vk_rmind_data.dat")};
    BenchClock clock;
    QuietAnnouncer announcer;
    QuietList list;
    TRemindFileWriter writer{store};
    TReminderScheduler scheduler{store, clock, announcer, list, writer};
};

void Run(int count) {
    std::mt19937 rng(12345u + static_cast<unsigned>(count));
    // In memory only: the tick writes what it announces.
    Bench b(count, [&](TRmRecordStruct& r, int i) {
        r.Period = static_cast<uint8_t>(i % 5);
        r.WakeTime = static_cast<double>(rng() % 86400) / 86400.0;
        r.LastTime = Start - 1.0 / 48;  // the last half hour passed unannounced
        switch (r.Period) {
            case 0: r.SetDate(std::floor(Start) + 1 + rng() % 300); break;  // once, ahead
            case 2: for (int d = 0; d < 7; ++d) r.SetWeekDays(d, rng() % 3 == 0); break;
            case 3: for (int d = 0; d < 31; ++d) r.SetMonthDays(d, rng() % 5 == 0); break;
            case 4: r.SetDate(std::floor(Start) - 3000 + rng() % 3650); break;
            default: r.SetDate(std::floor(Start)); break;
        }
    });
    std::vector<double> ms;
    const int ticks = 40;
    for (int t = 0; t < ticks; ++t) {
        b.clock.T = Start + t * 5.0 / 86400.0;
        const double t0 = Seconds();
        b.scheduler.Tick();
        ms.push_back((Seconds() - t0) * 1000.0);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("%6d reminders: tick median %.2f ms, min %.2f ms, max %.2f ms, first %.2f ms (%d ticks, %u announced)\n",
                count, ms[ms.size() / 2], ms.front(), ms.back(), first, ticks,
                static_cast<unsigned>(b.announcer.Announced));
    const double t0 = Seconds();
    b.scheduler.CatchUpMissed();
    std::printf("%6d reminders: catch-up %.2f ms (%u reported)\n", count, (Seconds() - t0) * 1000.0,
                static_cast<unsigned>(b.announcer.Missed));
}

// One tick that announces `due` of `count` daily reminders stored in the data file: every announced
// record is written back.
void RunDue(int count, int due) {
    Bench b(count, [due](TRmRecordStruct& r, int i) {
        r.Period = 1;
        // The due ones fall two seconds after the tick, the others spread over the day after it.
        r.WakeTime = i < due ? 9.0 / 24 + 2.0 / 86400 : 10.0 / 24 + (i % 36000) / 86400.0;
        r.LastTime = Start - 1;
    });
    b.store.BeginUpdate();  // all of them in the file, with one save
    for (TRmRecordStruct* r : b.store.Records) b.store.UpdateRecord(r);
    b.store.EndUpdate();
    b.clock.T = Start;
    const double t0 = Seconds();
    b.scheduler.Tick();
    std::printf("%6d reminders: tick announcing %u took %.3f s\n", count, static_cast<unsigned>(b.announcer.Announced),
                Seconds() - t0);
}

}  // namespace

int main() {
    RunDue(1000, 200);
    RunDue(10000, 200);
    Run(1000);
    Run(10000);
    return 0;
}
