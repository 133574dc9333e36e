#include "fw_timer.h"

#include <unordered_map>

namespace fw {

struct TimerDispatch {
    static std::unordered_map<UINT_PTR, TTimer*>& Timers() {
        static std::unordered_map<UINT_PTR, TTimer*> m;
        return m;
    }
    static HWND Window() {
        static HWND wnd = AllocateHWnd([](TMessage& m) {
            if (m.Msg == WM_TIMER) {
                Tick(static_cast<UINT_PTR>(m.WParam));
                m.Result = 0;
            } else {
                m.Result = DefWindowProcW(Window(), m.Msg, m.WParam, m.LParam);
            }
        });
        return wnd;
    }
    static void Tick(UINT_PTR id) {
        // A tick may already be queued when its timer stops or dies: unknown ids are ignored.
        auto it = Timers().find(id);
        if (it == Timers().end()) return;
        TTimer* t = it->second;
        try {
            t->Timer();
        } catch (...) {
            HandleCallbackException();
        }
    }
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    static UINT_PTR nextId = 1;
    FId = nextId++;
}

TTimer::~TTimer() {
    Stop();
}

void TTimer::BeforeDestruction() {
    Stop();
    TComponent::BeforeDestruction();
}

void TTimer::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(UINT Value) {
    if (Value == FInterval) return;
    FInterval = Value;
    Stop();
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    FOnTimer = std::move(Value);
    UpdateTimer();
}

void TTimer::Stop() {
    if (!FRunning) return;
    KillTimer(TimerDispatch::Window(), FId);
    TimerDispatch::Timers().erase(FId);
    FRunning = false;
}

void TTimer::UpdateTimer() {
    bool shouldRun = FEnabled && FInterval > 0 && static_cast<bool>(FOnTimer) && !IsDestroying();
    if (shouldRun == FRunning) return;
    if (!shouldRun) {
        Stop();
        return;
    }
    if (!SetTimer(TimerDispatch::Window(), FId, FInterval, nullptr))
        throw EOSError(L"Not enough timers available", GetLastError());
    TimerDispatch::Timers()[FId] = this;
    FRunning = true;
}

void TTimer::Timer() {
    // Through a copy: the handler may free the timer (or its owner) or replace the handler.
    TNotifyEvent handler = FOnTimer;
    if (handler) handler(this);
}

}  // namespace fw
