// Owned Win32 handles: one small type per kind of GDI or system handle, each giving back what it
// holds when it goes out of scope, also when a paint or a read throws half-way.
#pragma once

#include <windows.h>

namespace fw {

// A handle owned alone and closed with Close. Null and INVALID_HANDLE_VALUE both mean "none":
// CreateFileW and FindFirstFileW fail with the one, every other creator with the other.
template <class H, auto Close>
class TOwnedHandle {
public:
    TOwnedHandle() noexcept = default;
    explicit TOwnedHandle(H h) noexcept : h_(h) {}
    ~TOwnedHandle() { Reset(); }
    TOwnedHandle(TOwnedHandle&& other) noexcept : h_(other.Release()) {}
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    H Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return Valid(h_); }
    // For creators that hand the handle back through a pointer (RegOpenKeyExW): closes the old one.
    H* Put() noexcept {
        Reset();
        return &h_;
    }
    // Gives up ownership without closing.
    H Release() noexcept {
        H h = h_;
        h_ = H();
        return h;
    }
    void Reset(H h = H()) noexcept {
        if (Valid(h_)) Close(h_);
        h_ = h;
    }

private:
    static bool Valid(H h) noexcept {
        return h && reinterpret_cast<HANDLE>(h) != INVALID_HANDLE_VALUE;
    }
    H h_ = H();
};

using TKernelHandle = TOwnedHandle<HANDLE, &CloseHandle>;  // files, events, mutexes, threads
using TFindHandle = TOwnedHandle<HANDLE, &FindClose>;       // FindFirstFileW
using TRegKey = TOwnedHandle<HKEY, &RegCloseKey>;
using TIconHandle = TOwnedHandle<HICON, &DestroyIcon>;
using TLocalMemory = TOwnedHandle<HLOCAL, &LocalFree>;      // FormatMessageW, CommandLineToArgvW
using TOwnedDC = TOwnedHandle<HDC, &DeleteDC>;              // CreateCompatibleDC
template <class H>
using TGdiObject = TOwnedHandle<H, &DeleteObject>;          // fonts, pens, brushes, bitmaps

// One reference to a COM object, released on destruction.
template <class T>
class TComPtr {
public:
    TComPtr() noexcept = default;
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For creators that hand the reference back through a pointer: releases the old one.
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    // Takes over a reference the caller got already.
    void Reset(T* p = nullptr) noexcept {
        if (p_) p_->Release();
        p_ = p;
    }

private:
    T* p_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Device contexts

// BeginPaint/EndPaint of one WM_PAINT.
class TPaintDC {
public:
    explicit TPaintDC(HWND wnd) : wnd_(wnd), dc_(BeginPaint(wnd, &ps_)) {}
    ~TPaintDC() { EndPaint(wnd_, &ps_); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;

    HDC Get() const noexcept { return dc_; }
    const RECT& UpdateRect() const noexcept { return ps_.rcPaint; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC/ReleaseDC: a window's client area, or the screen for a null window. The second form adopts
// a context of the window got otherwise (GetWindowDC, GetDCEx), also released with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    TWindowDC(HWND wnd, HDC dc) : wnd_(wnd), dc_(dc) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Puts an object into a device context and the previous one back on destruction.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~TSelectObject() {
        if (old_) SelectObject(dc_, old_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// SaveDC/RestoreDC around a change of origin, clip or selected objects.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~TSavedDC() { RestoreDC(dc_, saved_); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A memory DC compatible with another one (the screen for null), with a bitmap selected in it
// until the end: either one of the given size made here (the back buffer of a double-buffered
// paint), or one the caller owns. The bitmap is put out of the DC before either is deleted.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    TMemoryDC(HDC like, int width, int height)
        : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, width, height)) {
        Select(bitmap_.Get());
    }
    ~TMemoryDC() {
        if (dc_ && old_) SelectObject(dc_.Get(), old_);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;

    HDC Get() const noexcept { return dc_.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(dc_); }
    // Selects a bitmap the caller keeps alive for the DC's lifetime.
    void Select(HBITMAP bitmap) {
        HGDIOBJ old = SelectObject(dc_.Get(), bitmap);
        if (!old_) old_ = old;
    }

private:
    TOwnedDC dc_;
    TGdiObject<HBITMAP> bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace fw
