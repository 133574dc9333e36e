#include "fw_hwnd.h"

#include <map>
#include <memory>
#include <unordered_map>

namespace fw {

namespace {

TCallbackExceptionHandler& ExceptionHandler() {
    static TCallbackExceptionHandler h;
    return h;
}

thread_local void* tCreatingObject = nullptr;

std::unordered_map<HWND, void*>& WindowMap() {
    static std::unordered_map<HWND, void*> m;
    return m;
}

struct UtilityWindow {
    TWndMethod Method;
};

std::map<HWND, std::shared_ptr<UtilityWindow>>& UtilityWindows() {
    static std::map<HWND, std::shared_ptr<UtilityWindow>> m;
    return m;
}

TSyncHook& SyncHook() {
    static TSyncHook h;
    return h;
}

LRESULT CALLBACK UtilityWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto& map = UtilityWindows();
    auto it = map.find(wnd);
    if (it == map.end()) return DefWindowProcW(wnd, msg, wp, lp);
    // Keep the record alive while its method runs: the method may deallocate the window.
    std::shared_ptr<UtilityWindow> keep = it->second;
    TMessage m{msg, wp, lp, 0};
    bool handled = false;
    try {
        TWndMethod method = keep->Method;
        if (method) {
            method(m);
            handled = true;
        }
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
    if (!handled) return DefWindowProcW(wnd, msg, wp, lp);
    return m.Result;
}

const wchar_t* UtilityClassName() {
    static bool registered = false;
    static const wchar_t* name = L"TPUtilWindow";
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = UtilityWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterWindowClass(wc);
        registered = true;
    }
    return name;
}

}  // namespace

void RegisterWindowClass(const WNDCLASSEXW& Class) {
    if (RegisterClassExW(&Class)) return;
    const DWORD code = GetLastError();
    if (code == ERROR_CLASS_ALREADY_EXISTS) return;
    std::wstring msg = L"Window class " + std::wstring(Class.lpszClassName ? Class.lpszClassName : L"") +
                       L" cannot be registered. System Error. Code: " + IntToStr(code) + L".";
    const std::wstring sys = SysErrorMessage(code);
    if (!sys.empty()) msg += L"\r\n" + sys;
    throw EOSError(msg, code);
}

void SetCallbackExceptionHandler(TCallbackExceptionHandler Handler) {
    ExceptionHandler() = std::move(Handler);
}

void HandleCallbackException() noexcept {
    std::exception_ptr e = std::current_exception();
    try {
        TCallbackExceptionHandler h = ExceptionHandler();
        if (h) {
            h(e);
            return;
        }
        if (e) std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        OutputDebugStringA(ex.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a callback");
    }
}

void SetCreatingWindowObject(void* Obj) {
    tCreatingObject = Obj;
}

void* TakeCreatingWindowObject() {
    void* o = tCreatingObject;
    tCreatingObject = nullptr;
    return o;
}

void BindWindowObject(HWND Wnd, void* Obj) {
    WindowMap()[Wnd] = Obj;
}

void UnbindWindowObject(HWND Wnd) {
    WindowMap().erase(Wnd);
}

void* FindWindowObject(HWND Wnd) {
    auto& m = WindowMap();
    auto it = m.find(Wnd);
    return it == m.end() ? nullptr : it->second;
}

HWND AllocateHWnd(TWndMethod Method) {
    auto rec = std::make_shared<UtilityWindow>();
    rec->Method = std::move(Method);
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, UtilityClassName(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!wnd) RaiseLastOSError();
    UtilityWindows()[wnd] = rec;
    return wnd;
}

void DeallocateHWnd(HWND Wnd) {
    if (!Wnd) return;
    UtilityWindows().erase(Wnd);
    DestroyWindow(Wnd);
}

UINT WakeMainThreadMessage() {
    static UINT msg = RegisterWindowMessageW(L"FwWakeMainThread");
    return msg;
}

HWND FrameworkWindow() {
    static HWND wnd = AllocateHWnd([](TMessage& m) {
        if (m.Msg == WakeMainThreadMessage()) {
            CheckSynchronize();
            m.Result = 0;
        } else {
            m.Result = DefWindowProcW(FrameworkWindow(), m.Msg, m.WParam, m.LParam);
        }
    });
    return wnd;
}

void SetSynchronizeHook(TSyncHook Hook) {
    SyncHook() = std::move(Hook);
}

bool CheckSynchronize() {
    TSyncHook h = SyncHook();
    if (!h) return false;
    try {
        return h();
    } catch (...) {
        HandleCallbackException();
        return true;
    }
}

}  // namespace fw
