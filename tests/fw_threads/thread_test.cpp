// Worker threads: synchronised calls onto the GUI thread (also inside modal loops), the termination
// handler after a failed run, self-freeing threads and waiting for a thread that synchronises.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "fw_forms.h"
#include "fw_thread.h"
#include "process_support.h"
#include "window_test.h"

using namespace fw;
using testsupport::PumpUntil;

namespace {

// A thread whose Execute is a lambda, so each test states its worker inline.
class TLambdaThread : public TThread {
public:
    explicit TLambdaThread(std::function<void(TLambdaThread*)> body) : TThread(true), FBody(std::move(body)) {}
    ~TLambdaThread() override {
        if (DestroyedOn) *DestroyedOn = GetCurrentThreadId();
    }
    using TThread::GetTerminated;
    using TThread::SetReturnValue;
    std::atomic<DWORD>* DestroyedOn = nullptr;

protected:
    void Execute() override { FBody(this); }

private:
    std::function<void(TLambdaThread*)> FBody;
};

class ThreadTest : public testsupport::WindowTest {
protected:
    DWORD mainThread = GetCurrentThreadId();
};

TEST_F(ThreadTest, SynchronizedCallRunsOnTheGuiThreadWhileTheWorkerWaitsAndRaisesInIt) {
    std::atomic<DWORD> callThread{0};
    std::atomic<int> seenAfterCall{-1};
    std::wstring caught;
    int value = 0;  // GUI-side state, touched only by the synchronised call
    auto* t = new TLambdaThread([&](TLambdaThread* self) {
        self->Synchronize([&] {
            callThread = GetCurrentThreadId();
            value = 42;
        });
        // The call has completed before Synchronize returns.
        seenAfterCall = value;
        try {
            self->Synchronize([] { throw Exception(L"refused on the GUI thread"); });
        } catch (const Exception& e) {
            caught = e.Message;
        }
        self->SetReturnValue(7);
    });
    t->Resume();
    ASSERT_TRUE(PumpUntil([&] { return t->GetFinished(); }, 10000));
    EXPECT_EQ(callThread.load(), mainThread);
    EXPECT_EQ(seenAfterCall.load(), 42);
    EXPECT_EQ(caught, L"refused on the GUI thread");
    EXPECT_FALSE(t->GetFatalException());
    EXPECT_EQ(t->WaitFor(), 7);
    t->Free();
    // On the GUI thread itself the call runs at once.
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
}

BOOL CALLBACK FindShownBox(HWND wnd, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(wnd, cls, 32);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(wnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = wnd;
    return FALSE;
}
std::function<void()> gBoxTick;  // run by a thread timer inside the message box's loop
void CALLBACK BoxTick(HWND, UINT, UINT_PTR, DWORD) { gBoxTick(); }

// Worker A's synchronised call opens a modal form, and from it a system message box (whose loop
// is inside Win32: the wake-up is a posted message, so it still reaches the queue). Worker B's
// call must get through the form's loop and its OnTerminate through the box's loop; the form
// closes only once they have.
TEST_F(ThreadTest, OtherWorkersGetThroughWhileASynchronizedCallRunsAModalFormAndASystemBox) {
    // Each event takes the next number, so their order can be checked.
    std::atomic<int> next{0}, aBegin{-1}, bCall{-1}, bTerm{-1}, aEnd{-1};
    HANDLE modalOpen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE boxOpen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ULONGLONG deadline = GetTickCount64() + 8000;
    TModalResult modalResult = mrNone;
    bool gaveUp = false;  // a worker was stalled: the loops were ended by the deadline
    gBoxTick = [&] {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindShownBox, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        SetEvent(boxOpen);
        gaveUp = gaveUp || (bTerm < 0 && GetTickCount64() > deadline);
        if (bTerm >= 0 || gaveUp) PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    auto* a = new TLambdaThread([&](TLambdaThread* self) {
        self->Synchronize([&] {
            aBegin = next++;
            TForm* form = TForm::CreateNew<TForm>(Application);
            form->SetBounds(10, 10, 120, 80);
            auto* step = new TTimer(form);
            step->SetInterval(20);
            bool inBox = false;
            step->SetOnTimer([&, form](TObject*) {
                SetEvent(modalOpen);
                gaveUp = gaveUp || (bCall < 0 && GetTickCount64() > deadline);
                if (inBox || (bCall < 0 && !gaveUp)) return;
                inBox = true;
                UINT_PTR timer = SetTimer(nullptr, 0, 20, BoxTick);
                MessageBoxW(nullptr, L"Synchronised question", L"Test", MB_OK);
                KillTimer(nullptr, timer);
                form->SetModalResult(mrOk);
            });
            modalResult = form->ShowModal();
            form->Free();
            aEnd = next++;
        });
    });
    auto* b = new TLambdaThread([&](TLambdaThread* self) {
        WaitForSingleObject(modalOpen, 10000);
        self->Synchronize([&] { bCall = next++; });
        WaitForSingleObject(boxOpen, 10000);
    });
    b->OnTerminate = [&](TObject*) { bTerm = next++; };
    a->Resume();
    b->Resume();
    ASSERT_TRUE(PumpUntil([&] { return a->GetFinished() && b->GetFinished(); }, 20000));
    EXPECT_FALSE(gaveUp) << "worker B was stalled by A's modal form or system box";
    EXPECT_EQ(modalResult, mrOk);
    EXPECT_EQ(std::make_tuple(aBegin.load(), bCall.load(), bTerm.load(), aEnd.load()), std::make_tuple(0, 1, 2, 3));
    a->Free();
    b->Free();
    CloseHandle(modalOpen);
    CloseHandle(boxOpen);
    gBoxTick = nullptr;
}

// A worker's failure is not for the user: nothing reaches the application's error display (the
// fixture fails a test that leaves an error there). OnTerminate runs on the GUI thread with the
// failure kept, and may free the thread: the worker waits for that very call, so the object goes
// at once and the worker ends without touching it again.
TEST_F(ThreadTest, OnTerminateAfterExecuteThrewRunsOnTheGuiThreadAndMayFreeTheThread) {
    std::atomic<DWORD> destroyedOn{0};
    auto* t = new TLambdaThread([](TLambdaThread*) { throw Exception(L"download failed"); });
    t->DestroyedOn = &destroyedOn;
    HANDLE worker = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->GetHandle(), GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0));
    std::vector<DWORD> terminateThreads;
    std::wstring failure;
    t->OnTerminate = [&](TObject* sender) {
        terminateThreads.push_back(GetCurrentThreadId());
        auto* self = static_cast<TThread*>(sender);
        try {
            if (self->GetFatalException()) std::rethrow_exception(self->GetFatalException());
        } catch (const Exception& e) {
            failure = e.Message;
        }
        self->Free();
    };
    t->Resume();
    ASSERT_TRUE(PumpUntil([&] { return destroyedOn != 0; }, 10000));
    EXPECT_EQ(terminateThreads, std::vector<DWORD>{mainThread});
    EXPECT_EQ(failure, L"download failed");
    EXPECT_EQ(destroyedOn.load(), mainThread);
    EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0) << "the worker did not end";
    CloseHandle(worker);
    // Any other exception is contained too.
    auto* u = new TLambdaThread([](TLambdaThread*) { throw 17; });
    u->Resume();
    u->WaitFor();
    EXPECT_TRUE(u->GetFatalException());
    u->Free();
}

TEST_F(ThreadTest, FreeOnTerminateDeletesTheObjectOnTheWorkerAfterOnTerminate) {
    std::atomic<DWORD> destroyedOn{0};
    std::atomic<bool> terminatedBeforeDestroy{false};
    DWORD workerId = 0;
    auto* t = new TLambdaThread([](TLambdaThread* self) { self->Synchronize([] {}); });
    t->DestroyedOn = &destroyedOn;
    t->SetFreeOnTerminate(true);
    t->OnTerminate = [&](TObject*) { terminatedBeforeDestroy = destroyedOn == 0; };
    workerId = t->GetThreadID();
    t->Resume();
    t = nullptr;  // the object is no longer ours
    ASSERT_TRUE(PumpUntil([&] { return destroyedOn != 0; }, 10000));
    EXPECT_EQ(destroyedOn.load(), workerId);
    EXPECT_TRUE(terminatedBeforeDestroy.load());
}

// Worker B's call frees worker A while A's own call waits in the queue behind B's. The GUI thread
// reached B's call from inside another wait (for C), which had already used up the wake-up of
// A's call: freeing A must still run A's queued call instead of waiting for A for ever.
TEST_F(ThreadTest, WaitingInsideACallServesTheCallsQueuedBehindIt) {
    std::atomic<bool> bQueued{false}, aQueued{false}, aFreed{false};
    std::atomic<bool> aCallRan{false};
    TLambdaThread* a = nullptr;
    a = new TLambdaThread([&](TLambdaThread* self) {
        while (!bQueued) Sleep(1);
        Sleep(50);  // B's call is queued first
        aQueued = true;
        self->Synchronize([&] { aCallRan = true; });
    });
    auto* b = new TLambdaThread([&](TLambdaThread* self) {
        bQueued = true;
        self->Synchronize([&] {
            a->Free();
            aFreed = true;
        });
    });
    auto* c = new TLambdaThread([&](TLambdaThread*) {
        while (!aFreed) Sleep(1);
    });
    b->Resume();
    a->Resume();
    // No message pumping: only the waits below serve the queue.
    while (!aQueued) Sleep(1);
    Sleep(100);
    c->Resume();
    c->WaitFor();
    EXPECT_TRUE(aFreed.load());
    EXPECT_TRUE(aCallRan.load());
    b->WaitFor();
    b->Free();
    c->Free();
}

TEST_F(ThreadTest, FreeingARunningThreadTerminatesAndWaitsANeverStartedOneDoesNotRun) {
    std::atomic<bool> sawTerminated{false};
    std::atomic<bool> running{false};
    auto* t = new TLambdaThread([&](TLambdaThread* self) {
        running = true;
        const ULONGLONG end = GetTickCount64() + 10000;
        while (!self->GetTerminated() && GetTickCount64() < end) Sleep(2);
        sawTerminated = self->GetTerminated();
        self->Synchronize([] {});  // still served while the GUI thread waits in Free
    });
    t->Resume();
    ASSERT_TRUE(PumpUntil([&] { return running.load(); }, 5000));
    t->Free();
    EXPECT_TRUE(sawTerminated.load());

    bool terminated = false;
    auto* idle = new TLambdaThread([&](TLambdaThread*) { running = false; });
    idle->OnTerminate = [&](TObject*) { terminated = true; };
    idle->Free();
    EXPECT_TRUE(running.load());
    EXPECT_FALSE(terminated);
}

// Freeing or waiting for a thread inside one of its other synchronised calls cannot work (the
// worker would go on using the object, or never end the wait): refused with an error, and the
// thread carries on normally.
TEST_F(ThreadTest, FreeOrWaitInsideTheThreadsOwnSynchronizedCallIsRefused) {
    std::wstring freeError, waitError;
    std::atomic<bool> continued{false};
    auto* t = new TLambdaThread([&](TLambdaThread* self) {
        self->Synchronize([&] {
            try {
                self->Free();
            } catch (const EThread& e) {
                freeError = e.Message;
            }
            try {
                self->WaitFor();
            } catch (const EThread& e) {
                waitError = e.Message;
            }
        });
        continued = true;
        self->SetReturnValue(5);
    });
    t->Resume();
    EXPECT_EQ(t->WaitFor(), 5);
    EXPECT_TRUE(continued.load());
    EXPECT_FALSE(freeError.empty());
    EXPECT_FALSE(waitError.empty());
    t->Free();
}

// Runs only as a child process of the test below: the GUI side stops serving synchronised calls
// (its framework window is gone) while workers are still at work, then the program ends with
// them running.
TEST(ThreadShutdownChild, SynchronizeAfterTheGuiWindowIsGoneAndExitWithRunningWorkers) {
    if (!std::getenv("FW_THREADS_SHUTDOWN_CHILD")) GTEST_SKIP() << "run by ProgramExitWithRunningWorkers";
    Application->Initialize();
    // Blocked in Synchronize for good: the GUI thread never pumps again.
    static std::atomic<bool> blockedCallRan{false};  // static: nothing may point into this frame at exit
    auto* blocked = new TLambdaThread([&](TLambdaThread* self) { self->Synchronize([&] { blockedCallRan = true; }); });
    // Busy until the process ends.
    auto* busy = new TLambdaThread([](TLambdaThread* self) {
        while (!self->GetTerminated()) Sleep(5);
    });
    blocked->Resume();
    busy->Resume();
    Sleep(100);
    ASSERT_TRUE(DestroyWindow(FrameworkWindow()));
    // A worker synchronising now gets an error instead of waiting for ever, and still ends.
    std::wstring error;
    auto* late = new TLambdaThread([&](TLambdaThread* self) {
        try {
            self->Synchronize([] {});
        } catch (const EThread& e) {
            error = e.Message;
        }
    });
    bool terminated = false;
    late->OnTerminate = [&](TObject*) { terminated = true; };
    late->Resume();
    HANDLE h = late->GetHandle();
    ASSERT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0) << "a worker synchronising after shutdown hangs";
    EXPECT_TRUE(late->GetFinished());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(terminated);
    EXPECT_FALSE(blockedCallRan.load());
    // blocked and busy still run when the test returns and the process exits.
}

TEST_F(ThreadTest, ProgramExitWithRunningWorkersNeitherCrashesNorHangs) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    SetEnvironmentVariableW(L"FW_THREADS_SHUTDOWN_CHILD", L"1");
    testsupport::TChildProcess child;
    const bool started = child.Start(exe, L" --gtest_filter=ThreadShutdownChild.* --gtest_brief=1");
    SetEnvironmentVariableW(L"FW_THREADS_SHUTDOWN_CHILD", nullptr);
    ASSERT_TRUE(started);
    ASSERT_TRUE(child.WaitEnd(30000)) << "the program did not end while workers ran";
    EXPECT_EQ(child.ExitCode(), 0u) << "the child's checks failed or it crashed at exit";
}

}  // namespace
