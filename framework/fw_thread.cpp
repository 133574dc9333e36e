#include "fw_thread.h"

#include <process.h>

#include <algorithm>
#include <deque>
#include <vector>

namespace fw {

namespace {

// One synchronised call waiting for the GUI thread. It lives on the worker's stack: the worker
// blocks until Done is signalled, and the GUI thread touches nothing of it afterwards.
struct SyncRequest {
    TThread* Thread = nullptr;  // the thread that asked (null for the static form without one)
    TThreadMethod Method;
    TKernelHandle Done;
    std::exception_ptr Error;
};

struct SyncQueue {
    CRITICAL_SECTION Lock;
    std::deque<SyncRequest*> Items;
    // Auto-reset; set whenever a call is queued, so that WaitFor on the GUI thread wakes up.
    TKernelHandle Signal;
    DWORD MainThread = 0;
    // The calls running right now on the GUI thread, innermost last (a call may open a modal
    // loop that runs further calls). GUI thread only, so no lock.
    std::vector<SyncRequest*> Running;
    SyncQueue() {
        InitializeCriticalSection(&Lock);
        Signal.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
};

SyncQueue& Queue() {
    static SyncQueue* q = new SyncQueue();  // never destroyed: workers may outlive static destruction
    return *q;
}

// Called on the GUI thread by the first thread object: makes the framework window there (a window
// belongs to the thread that creates it) and installs the queue into the message loops.
void EnsureSetUp() {
    SyncQueue& q = Queue();
    if (q.MainThread) return;
    q.MainThread = GetCurrentThreadId();
    FrameworkWindow();
    SetSynchronizeHook([] { return RunSynchronizedCalls(); });
}

SyncRequest* PopRequest() {
    SyncQueue& q = Queue();
    EnterCriticalSection(&q.Lock);
    SyncRequest* r = nullptr;
    if (!q.Items.empty()) {
        r = q.Items.front();
        q.Items.pop_front();
    }
    LeaveCriticalSection(&q.Lock);
    return r;
}

int PriorityValue(TThreadPriority p) {
    switch (p) {
        case tpIdle: return THREAD_PRIORITY_IDLE;
        case tpLowest: return THREAD_PRIORITY_LOWEST;
        case tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
        case tpNormal: return THREAD_PRIORITY_NORMAL;
        case tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
        case tpHighest: return THREAD_PRIORITY_HIGHEST;
        case tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

}  // namespace

bool RunSynchronizedCalls() {
    bool ran = false;
    // One call at a time, the lock released before each runs: a call may open a modal loop that
    // comes back here for the calls of other workers.
    std::vector<SyncRequest*>& running = Queue().Running;
    while (SyncRequest* r = PopRequest()) {
        ran = true;
        running.push_back(r);
        try {
            TThreadMethod m = r->Method;
            if (m) m();
        } catch (...) {
            r->Error = std::current_exception();
        }
        running.pop_back();
        SetEvent(r->Done.Get());
    }
    return ran;
}

namespace {

// True when the GUI thread is inside one of Thread's synchronised calls (its worker is blocked
// until that call returns).
bool InOwnSynchronizedCall(const TThread* Thread) {
    SyncQueue& q = Queue();
    if (GetCurrentThreadId() != q.MainThread) return false;
    return std::any_of(q.Running.begin(), q.Running.end(), [Thread](SyncRequest* r) { return r->Thread == Thread; });
}

}  // namespace

DWORD TThread::MainThreadID() {
    return Queue().MainThread;
}

TThread::TThread(bool CreateSuspended) {
    EnsureSetUp();
    unsigned id = 0;
    uintptr_t h = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!h) RaiseLastOSError();
    FHandle.Reset(reinterpret_cast<HANDLE>(h));
    FThreadID = id;
    if (!CreateSuspended) Resume();
}

// Only closes the handle. A thread freed with a bare delete (or a FreeOnTerminate thread ending)
// gets here without BeforeDestruction; only the GUI-side path may still have to stop the worker.
TThread::~TThread() = default;

void TThread::BeforeDestruction() {
    if (!FHandle || GetCurrentThreadId() == FThreadID) return;
    if (FStarted && !GetFinished() && InOwnSynchronizedCall(this)) {
        // Waiting here would deadlock: the worker waits for the call we are inside.
        if (InterlockedCompareExchange(&FTerminating, 0, 0) == 0)
            throw EThread(L"A thread cannot be freed inside its own synchronised call");
        // Inside its OnTerminate: the worker's work is over; once the call returns it only
        // looks at the shared flag and ends.
        FOrphaned->store(true);
        return;
    }
    if (!FStarted) {
        // Never started: let the thread run to its end without Execute or OnTerminate.
        FSkipExecute = true;
        FStarted = true;
        ResumeThread(FHandle.Get());
        WaitForSingleObject(FHandle.Get(), INFINITE);
        return;
    }
    if (!GetFinished()) {
        Terminate();
        WaitFor();
    }
}

void TThread::Resume() {
    if (FStarted) return;
    FStarted = true;
    // With FreeOnTerminate the object may be gone as soon as the thread runs: touch nothing after.
    ResumeThread(FHandle.Get());
}

void TThread::Terminate() {
    InterlockedExchange(&FTerminated, 1);
}

bool TThread::GetTerminated() const {
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&FTerminated), 0, 0) != 0;
}

bool TThread::GetFinished() const {
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&FFinished), 0, 0) != 0;
}

void TThread::SetPriority(TThreadPriority Value) {
    FPriority = Value;
    if (FHandle) SetThreadPriority(FHandle.Get(), PriorityValue(Value));
}

int TThread::WaitFor() {
    if (GetCurrentThreadId() == FThreadID) throw EThread(L"Thread cannot wait for itself");
    if (!FStarted) throw EThread(L"Cannot wait for a thread that was never started");
    if (!GetFinished() && InOwnSynchronizedCall(this))
        throw EThread(L"A thread cannot be waited for inside its own synchronised call");
    if (GetCurrentThreadId() == MainThreadID()) {
        HANDLE handles[2] = {FHandle.Get(), Queue().Signal.Get()};
        for (;;) {
            // The queue first: the signal of a call already queued may have been used up by an
            // outer wait whose loop is now suspended inside an earlier call (this wait then runs
            // inside that call). A call queued after this look sets the signal again.
            RunSynchronizedCalls();
            DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_OBJECT_0 + 1) {
                continue;
            } else if (r == WAIT_OBJECT_0 + 2) {
                // Messages sent from other threads are delivered by peeking.
                MSG msg;
                PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            } else {
                RaiseLastOSError();
            }
        }
        // Calls queued just before the worker ended (none can be: the worker waited for each).
        RunSynchronizedCalls();
    } else {
        WaitForSingleObject(FHandle.Get(), INFINITE);
    }
    return FReturnValue;
}

void TThread::Synchronize(TThreadMethod Method) {
    Synchronize(this, std::move(Method));
}

void TThread::Synchronize(TThread* Thread, TThreadMethod Method) {
    SyncQueue& q = Queue();
    if (!q.MainThread || GetCurrentThreadId() == q.MainThread) {
        if (Method) Method();
        return;
    }
    SyncRequest r;
    r.Thread = Thread;
    r.Method = std::move(Method);
    r.Done.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!r.Done) RaiseLastOSError();
    EnterCriticalSection(&q.Lock);
    q.Items.push_back(&r);
    LeaveCriticalSection(&q.Lock);
    SetEvent(q.Signal.Get());
    HWND wnd = FrameworkWindow();
    if (!PostMessageW(wnd, WakeMainThreadMessage(), 0, 0) && !IsWindow(wnd)) {
        // The GUI side has shut down: no message loop will ever run the call. Take it back
        // unless a waiting GUI thread (WaitFor) has already taken it.
        EnterCriticalSection(&q.Lock);
        auto it = std::find(q.Items.begin(), q.Items.end(), &r);
        bool retracted = it != q.Items.end();
        if (retracted) q.Items.erase(it);
        LeaveCriticalSection(&q.Lock);
        if (retracted) {
            throw EThread(L"The GUI thread no longer runs synchronised calls");
        }
    }
    // A failed post with the window still there (a full message queue) needs nothing: every
    // message loop of the framework runs the queue before it waits.
    WaitForSingleObject(r.Done.Get(), INFINITE);
    if (r.Error) std::rethrow_exception(r.Error);
}

void TThread::DoTerminate() {
    if (!OnTerminate) return;
    Synchronize([this] {
        TNotifyEvent h = OnTerminate;
        if (h) h(this);
    });
}

unsigned __stdcall TThread::ThreadProc(void* Param) {
    static_cast<TThread*>(Param)->Run();
    return 0;
}

void TThread::Run() {
    if (FSkipExecute) return;
    try {
        Execute();
    } catch (...) {
        // Worker failures are never shown; the owner may look at FatalException.
        FFatalException = std::current_exception();
    }
    // The OnTerminate handler may free the object: from then on only this copy is safe to read.
    std::shared_ptr<std::atomic<bool>> orphaned = FOrphaned;
    InterlockedExchange(&FTerminating, 1);
    try {
        DoTerminate();
    } catch (...) {
        if (!orphaned->load() && !FFatalException) FFatalException = std::current_exception();
    }
    if (orphaned->load()) return;
    bool freeIt = FFreeOnTerminate;
    InterlockedExchange(&FFinished, 1);
    if (freeIt) delete this;
}

}  // namespace fw
