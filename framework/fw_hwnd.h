// Window plumbing shared by the framework: the exception guard of every Win32 callback, the
// binding of window handles to their objects, and hidden utility windows for timers and the
// thread synchronisation queue.
#pragma once

#include "fw_classes.h"

#include <functional>

namespace fw {

// ---------------------------------------------------------------------------------------------
// Exceptions at callback boundaries. No exception may unwind through a system frame: every
// window procedure and callback catches and hands the exception on here.

// Receives the exception in flight (called from inside a catch block). The application installs
// its HandleException here; without one the exception is only logged with OutputDebugString.
using TCallbackExceptionHandler = std::function<void(std::exception_ptr)>;
void SetCallbackExceptionHandler(TCallbackExceptionHandler Handler);
// Call from inside a catch (...) block.
void HandleCallbackException() noexcept;

// Registers a window class of this module. A class of that name registered before counts as
// registered; any other failure raises EOSError naming the class, since no window of it could
// be made.
void RegisterWindowClass(const WNDCLASSEXW& Class);

// ---------------------------------------------------------------------------------------------
// Handle binding. A window created by the framework is bound to its object at the very first
// message it receives (WM_GETMINMAXINFO comes before WM_NCCREATE), through the thread's
// "object being created" slot. GWLP_USERDATA is never used: the program keeps its own data there.

void SetCreatingWindowObject(void* Obj);
void* TakeCreatingWindowObject();
void BindWindowObject(HWND Wnd, void* Obj);
void UnbindWindowObject(HWND Wnd);
void* FindWindowObject(HWND Wnd);

// ---------------------------------------------------------------------------------------------
// Utility windows: hidden top-level windows (never message-only, so broadcasts reach them) whose
// messages go to a callback. Exceptions from the callback go to HandleCallbackException.

using TWndMethod = std::function<void(TMessage&)>;
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// The framework's shared hidden window (timers, thread synchronisation). Made on first use.
HWND FrameworkWindow();

// Hook for the thread synchronisation queue: called by every message loop of the framework
// (Run, ProcessMessages, modal loops) when idle and whenever the framework window is woken.
// Returns true when it ran something.
using TSyncHook = std::function<bool()>;
void SetSynchronizeHook(TSyncHook Hook);
bool CheckSynchronize();
// Registered message that wakes the GUI thread to run CheckSynchronize; post it to
// FrameworkWindow().
UINT WakeMainThreadMessage();

}  // namespace fw
