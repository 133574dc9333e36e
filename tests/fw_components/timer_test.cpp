// TTimer: the re-enable rule, interval changes, stopping and freeing inside the tick, errors.
#include <gtest/gtest.h>

#include "fw_forms.h"
#include "fw_timer.h"
#include "test_support.h"

using namespace fw;
using testsupport::PumpMessagesUntil;

TEST(Timers, EnablingARunningTimerDoesNotRestartItsCountdown) {
    TTimer slow(nullptr);
    TTimer nag(nullptr);
    int slowTicks = 0;
    slow.SetInterval(300);
    slow.SetOnTimer([&](TObject*) { ++slowTicks; });
    nag.SetInterval(100);
    nag.SetOnTimer([&](TObject*) { slow.SetEnabled(true); });
    // Restarted at every nag, the slow timer would never fire.
    EXPECT_TRUE(PumpMessagesUntil([&] { return slowTicks > 0; }, 2000));
}

TEST(Timers, SameIntervalKeepsTheCountdownAndANewOneRestartsIt) {
    TTimer t(nullptr);
    TTimer nag(nullptr);
    int ticks = 0;
    t.SetInterval(300);
    t.SetOnTimer([&](TObject*) { ++ticks; });
    nag.SetInterval(100);
    nag.SetOnTimer([&](TObject*) { t.SetInterval(300); });
    EXPECT_TRUE(PumpMessagesUntil([&] { return ticks > 0; }, 2000));
    // A changing interval restarts each time: the 300 ms timer never gets there.
    ticks = 0;
    bool flip = false;
    nag.SetOnTimer([&](TObject*) {
        flip = !flip;
        t.SetInterval(flip ? 301 : 300);
    });
    PumpMessagesUntil(nullptr, 900);
    EXPECT_EQ(ticks, 0);
}

TEST(Timers, RunsOnlyWhenEnabledWithIntervalAndHandler) {
    TTimer t(nullptr);
    EXPECT_FALSE(t.IsRunning());
    t.SetOnTimer([](TObject*) {});
    EXPECT_TRUE(t.IsRunning());
    t.SetInterval(0);
    EXPECT_FALSE(t.IsRunning());
    t.SetInterval(10);
    EXPECT_TRUE(t.IsRunning());
    t.SetEnabled(false);
    EXPECT_FALSE(t.IsRunning());
    t.SetEnabled(true);
    t.SetOnTimer(nullptr);
    EXPECT_FALSE(t.IsRunning());
}

TEST(Timers, StoppingInsideTheTickStopsIt) {
    TTimer t(nullptr);
    int ticks = 0;
    t.SetInterval(20);
    t.SetOnTimer([&](TObject* sender) {
        ++ticks;
        static_cast<TTimer*>(sender)->SetEnabled(false);
    });
    PumpMessagesUntil(nullptr, 300);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(t.IsRunning());
}

TEST(Timers, FreeingTheOwnerInsideTheTickIsSafe) {
    auto* owner = new TComponent(nullptr);
    auto* t = new TTimer(owner);
    int ticks = 0;
    bool freed = false;
    t->SetInterval(20);
    t->SetOnTimer([&, owner](TObject*) {
        ++ticks;
        owner->Free();
        freed = true;
    });
    PumpMessagesUntil(nullptr, 300);
    EXPECT_TRUE(freed);
    EXPECT_EQ(ticks, 1);
}

TEST(Timers, AnErrorInTheTickGoesToTheApplication) {
    std::vector<std::wstring> errors;
    TExceptionEvent saved = Application->OnException;
    Application->OnException = [&](TObject*, const Exception& e) { errors.push_back(e.Message); };
    TTimer t(nullptr);
    t.SetInterval(20);
    t.SetOnTimer([&](TObject* sender) {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        throw EConvertError(L"tick failed");
    });
    PumpMessagesUntil([&] { return !errors.empty(); }, 1000);
    Application->OnException = saved;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], L"tick failed");
}
