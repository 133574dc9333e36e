// TTimer: the re-enable rule, interval changes, and stopping, freeing or failing inside the tick.
#include <gtest/gtest.h>

#include "fw_timer.h"
#include "window_test.h"

using namespace fw;
using testsupport::PumpMessagesUntil;

namespace {

class Timers : public testsupport::WindowTest {};

TEST_F(Timers, ReEnablingOrTheSameIntervalKeepsTheCountdownANewIntervalRestartsIt) {
    TTimer slow(nullptr);
    TTimer nag(nullptr);
    int ticks = 0, nags = 0;
    slow.SetInterval(300);
    slow.SetOnTimer([&](TObject*) { ++ticks; });
    nag.SetInterval(100);
    // Restarted at every nag, the slow timer would never fire.
    nag.SetOnTimer([&](TObject*) {
        if (++nags % 2)
            slow.SetEnabled(true);
        else
            slow.SetInterval(300);
    });
    EXPECT_TRUE(PumpMessagesUntil([&] { return ticks > 0; }, 2000));
    ticks = 0;
    nag.SetOnTimer([&](TObject*) { slow.SetInterval(++nags % 2 ? 301 : 300); });
    PumpMessagesUntil(nullptr, 900);
    EXPECT_EQ(ticks, 0);
}

TEST_F(Timers, ATickMayStopTheTimerFreeItsOwnerOrFail) {
    TTimer t(nullptr);
    int ticks = 0;
    t.SetInterval(20);
    t.SetOnTimer([&](TObject* sender) {
        ++ticks;
        static_cast<TTimer*>(sender)->SetEnabled(false);
        throw EConvertError(L"tick failed");
    });
    PumpMessagesUntil(nullptr, 300);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(t.IsRunning());
    EXPECT_EQ(Errors, std::vector<std::wstring>{L"tick failed"});
    Errors.clear();

    auto* owner = new TComponent(nullptr);
    auto* owned = new TTimer(owner);
    ticks = 0;
    owned->SetInterval(20);
    owned->SetOnTimer([&, owner](TObject*) {
        ++ticks;
        owner->Free();
    });
    PumpMessagesUntil(nullptr, 300);
    EXPECT_EQ(ticks, 1);
}

}  // namespace
