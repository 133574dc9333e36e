// TThread: a worker thread object, and the queue that runs synchronised calls on the GUI thread.
//
// A thread is created suspended and runs once Resume (or Start) is called. Execute runs inside a
// catch-all: an exception ends the thread quietly and is kept as its fatal exception. OnTerminate
// runs on the GUI thread after Execute, whether it returned or threw. With FreeOnTerminate the
// object deletes itself on the worker at the very end; its destructor then must not touch GUI
// objects.
//
// Synchronize hands a call to the GUI thread and blocks until it has run. The GUI thread is woken
// by a message posted to the framework window, so queued calls also run inside modal loops and
// system message boxes. No lock is held while a call runs: a call that opens a modal box does not
// stop the calls of other workers from getting through.
#pragma once

#include "fw_handles.h"
#include "fw_hwnd.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

namespace fw {

// A thread used in a way that cannot work (waiting for itself, freeing itself from inside one of
// its own synchronised calls, synchronising after the GUI thread stopped serving calls).
class EThread : public Exception { public: using Exception::Exception; };

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = std::function<void()>;

class TThread : public TObject {
public:
    FW_CLASSNAME(TThread)
    // Must be created on the GUI thread. CreateSuspended false starts the thread at once, before
    // the derived class's constructor has run: only for classes whose Execute needs nothing of
    // the derived part; every thread of the program is created suspended and started by Resume.
    explicit TThread(bool CreateSuspended = true);
    ~TThread() override;

    // Starts a suspended thread; calling it again, or on a running thread, does nothing.
    void Resume();
    void Start() { Resume(); }
    // Asks Execute to stop: sets Terminated, which Execute is expected to poll.
    void Terminate();
    bool GetTerminated() const;
    // Blocks until the thread has ended and returns its ReturnValue. On the GUI thread the
    // synchronise queue keeps being served meanwhile, so a worker waiting in Synchronize cannot
    // deadlock with it. Must not be called on a FreeOnTerminate thread (the object may be gone).
    // Raises EThread when called from inside one of this thread's own synchronised calls (the
    // worker waits for that call to end: the wait could never end).
    int WaitFor();

    bool GetFreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
    TThreadPriority GetPriority() const { return FPriority; }
    void SetPriority(TThreadPriority Value);
    bool GetSuspended() const { return !FStarted; }
    // True once Execute and OnTerminate are over.
    bool GetFinished() const;
    HANDLE GetHandle() const { return FHandle.Get(); }
    DWORD GetThreadID() const { return FThreadID; }
    int GetReturnValue() const { return FReturnValue; }
    // The exception that ended Execute, or null.
    std::exception_ptr GetFatalException() const { return FFatalException; }

    // Runs on the GUI thread after Execute (also after it threw); Sender is the thread.
    TNotifyEvent OnTerminate;

    // Runs Method on the GUI thread and returns when it has run; an exception it raised is
    // raised again here. On the GUI thread itself Method runs directly. When the GUI thread's
    // framework window is gone (the GUI side has shut down), nothing could ever run the call:
    // EThread is raised instead of blocking for good.
    void Synchronize(TThreadMethod Method);
    static void Synchronize(TThread* Thread, TThreadMethod Method);

    // The id of the GUI thread (the thread that owns the framework window).
    static DWORD MainThreadID();

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate through Synchronize.
    virtual void DoTerminate();
    void SetReturnValue(int Value) { FReturnValue = Value; }
    // Terminate, then wait, while the object is still complete. Freeing the thread from its own
    // OnTerminate handler is allowed (the worker then touches the object no more); freeing it from
    // another of its synchronised calls raises EThread and leaves the object alive, since its
    // worker would go on using it.
    void BeforeDestruction() override;

private:
    static unsigned __stdcall ThreadProc(void* Param);
    void Run();

    TKernelHandle FHandle;
    DWORD FThreadID = 0;
    volatile LONG FTerminated = 0;
    volatile LONG FFinished = 0;
    // Set on the worker just before DoTerminate.
    volatile LONG FTerminating = 0;
    // Shared with the worker: set when the object was freed from inside its OnTerminate call, so
    // that the worker, once that call returns, leaves the object alone.
    std::shared_ptr<std::atomic<bool>> FOrphaned = std::make_shared<std::atomic<bool>>(false);
    bool FStarted = false;
    bool FSkipExecute = false;
    bool FFreeOnTerminate = false;
    TThreadPriority FPriority = tpNormal;
    int FReturnValue = 0;
    std::exception_ptr FFatalException;
};

// Runs the queued synchronised calls now (GUI thread only); true when at least one ran. The
// framework's message loops call it through fw_hwnd's CheckSynchronize.
bool RunSynchronizedCalls();

}  // namespace fw
