// TTimer: a Win32 timer on a shared hidden window, keyed by a unique id.
#pragma once

#include "fw_hwnd.h"

namespace fw {

class TTimer : public TComponent {
public:
    FW_CLASSNAME(TTimer)
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool GetEnabled() const { return FEnabled; }
    // True on a running timer changes nothing: the countdown is not restarted.
    void SetEnabled(bool Value);
    UINT GetInterval() const { return FInterval; }
    // A different value restarts the countdown; the same value changes nothing.
    void SetInterval(UINT Value);
    TNotifyEvent GetOnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);
    // True while a Win32 timer is armed.
    bool IsRunning() const { return FRunning; }

protected:
    virtual void Timer();
    void BeforeDestruction() override;

private:
    friend struct TimerDispatch;
    void UpdateTimer();
    void Stop();
    bool FEnabled = true;
    UINT FInterval = 1000;
    TNotifyEvent FOnTimer;
    bool FRunning = false;
    UINT_PTR FId = 0;
};

}  // namespace fw
