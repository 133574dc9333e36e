// Helpers shared by the test executables.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fw_strings.h"

namespace testsupport {

// A fresh folder under the Wine prefix's temp folder, removed with everything in it when the
// object goes. Path() ends without a backslash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Deletes a folder with everything in it (read-only files too).
void RemoveTree(const std::wstring& dir);

// Whole-file helpers (binary).
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Writes text as UTF-16LE with a byte-order mark, as the program's language and data files are
// stored (line breaks as given: use "\r\n" for the program's own files).
void WriteUtf16File(const std::wstring& path, const std::wstring& text);

// Dispatches this thread's messages until `done` returns true or `timeoutMs` passes.
// Returns the last value of `done` (without a predicate: pumps for the whole time and returns true).
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpMessagesFor(DWORD ms);

// A 32-bit top-down DIB section with a memory DC, for rendering and reading pixels.
class DibSurface {
public:
    DibSurface(int width, int height, uint32_t fill = 0);
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    HDC Dc() const { return dc_; }
    int Width() const { return w_; }
    int Height() const { return h_; }
    // 0xAARRGGBB as stored in memory (B, G, R, A bytes).
    uint32_t Pixel(int x, int y) const;
    // The pixel as a Windows colour 0x00BBGGRR (alpha dropped).
    COLORREF Color(int x, int y) const;
    void Fill(uint32_t argb);
    // Pixels in the rectangle whose RGB equals the colour (0x00BBGGRR, alpha ignored).
    int CountColor(const RECT& r, COLORREF color) const;
    uint32_t* Bits() const { return bits_; }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// The bytes of an RCDATA resource of this executable (empty when there is none).
std::vector<uint8_t> ReadResource(const wchar_t* name, const wchar_t* type = MAKEINTRESOURCEW(10));

// How many more GDI objects this process can make before creation fails (all freed again at
// once). Wine's GetGuiResources always answers 0, so kept handles are measured as lost headroom.
int GdiHeadroom();

// Runs `work` `runs` times (after one warm-up run: first-use caches are not leaks) and returns how
// much GDI headroom was lost; a single handle kept per run shows up as about `runs`.
template <class F>
int GdiHandlesKept(F work, int runs = 300) {
    work();
    const int before = GdiHeadroom();
    for (int i = 0; i < runs; ++i) work();
    return before - GdiHeadroom();
}

// Folders of the source and build trees (from the environment CTest sets), with backslashes.
std::wstring SourceDir();
std::wstring BuildDir();
// The directory holding the running executable, without trailing backslash.
std::wstring ExeDir();

// UTF-8 <-> UTF-16 for test messages.
std::string Narrow(const std::wstring& s);
std::wstring Widen(const std::string& s);

// The lines of a string list, for comparing with EXPECT_EQ.
inline std::vector<std::wstring> Lines(const fw::TStrings& List) {
    std::vector<std::wstring> v;
    for (int i = 0; i < List.Count(); ++i) v.push_back(List[i]);
    return v;
}

// An environment variable of this process ('' when unset).
std::wstring EnvVar(const wchar_t* Name);

// Sets a global (a seam) for the object's life and puts its value back afterwards.
template <class T>
class TSwap {
public:
    TSwap(T& Ref, T Value) : ref(Ref), old(Ref) { ref = Value; }
    ~TSwap() { ref = old; }
    TSwap(const TSwap&) = delete;
    TSwap& operator=(const TSwap&) = delete;

private:
    T& ref;
    T old;
};

// Points TMP and TEMP somewhere else for one test (the user's temporary folder as the program
// sees it), and back afterwards.
struct TTempEnvGuard {
    explicit TTempEnvGuard(const std::wstring& Dir);
    ~TTempEnvGuard();
    TTempEnvGuard(const TTempEnvGuard&) = delete;
    TTempEnvGuard& operator=(const TTempEnvGuard&) = delete;

private:
    std::wstring FTmp, FTemp;
};

}  // namespace testsupport
