#include "test_support.h"

#include <shlobj.h>

#include <stdexcept>

namespace testsupport {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            std::wstring p = dir + L"\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(p);
            } else {
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(p.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

namespace {

std::wstring EnvPath(const wchar_t* name) {
    std::wstring v = EnvVar(name);
    // CTest hands over Unix paths; Wine maps "/" to drive Z:.
    if (!v.empty() && v[0] == L'/') v = L"Z:" + v;
    for (auto& c : v)
        if (c == L'/') c = L'\\';
    while (!v.empty() && v.back() == L'\\') v.pop_back();
    return v;
}

}  // namespace

TempDir::TempDir() {
    static LONG counter = 0;
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring base = tmp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring p = base + L"\\vrtest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                         std::to_wstring(InterlockedIncrement(&counter));
        if (CreateDirectoryW(p.c_str(), nullptr)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!out.empty()) ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
    out.resize(got);
    CloseHandle(h);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Narrow(path));
    DWORD put = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return true;
        ULONGLONG now = GetTickCount64();
        if (now >= end) return done ? done() : true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                                  QS_ALLINPUT);
    }
}

void PumpMessagesFor(DWORD ms) { PumpMessagesUntil(nullptr, ms); }

DibSurface::DibSurface(int width, int height, uint32_t fill) : w_(width), h_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bmp_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp_) throw std::runtime_error("CreateDIBSection failed");
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bmp_);
    Fill(fill);
}

DibSurface::~DibSurface() {
    if (dc_) {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    if (bmp_) DeleteObject(bmp_);
}

uint32_t DibSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) throw std::out_of_range("pixel outside the surface");
    GdiFlush();
    return bits_[static_cast<size_t>(y) * w_ + x];
}

COLORREF DibSurface::Color(int x, int y) const {
    uint32_t p = Pixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void DibSurface::Fill(uint32_t argb) {
    GdiFlush();
    for (size_t i = 0, n = static_cast<size_t>(w_) * h_; i < n; ++i) bits_[i] = argb;
}

int DibSurface::CountColor(const RECT& r, COLORREF color) const {
    GdiFlush();
    int count = 0;
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, h_); ++y)
        for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, w_); ++x)
            if (Color(x, y) == (color & 0xFFFFFF)) ++count;
    return count;
}

std::vector<uint8_t> ReadResource(const wchar_t* name, const wchar_t* type) {
    HRSRC r = FindResourceW(nullptr, name, type);
    if (!r) return {};
    HGLOBAL g = LoadResource(nullptr, r);
    DWORD size = SizeofResource(nullptr, r);
    const uint8_t* p = static_cast<const uint8_t*>(LockResource(g));
    if (!p) return {};
    return std::vector<uint8_t>(p, p + size);
}

int GdiHeadroom() {
    std::vector<HGDIOBJ> made;
    made.reserve(70000);
    for (int i = 0; i < 200000; ++i) {
        HBRUSH b = CreateSolidBrush(COLORREF(i & 0xFFFFFF));
        if (!b) break;
        made.push_back(b);
    }
    for (HGDIOBJ o : made) DeleteObject(o);
    return static_cast<int>(made.size());
}

std::wstring SourceDir() { return EnvPath(L"VR_SOURCE_DIR"); }
std::wstring BuildDir() { return EnvPath(L"VR_BUILD_DIR"); }

std::wstring ExeDir() {
    wchar_t buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    std::wstring p(buf, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

std::string Narrow(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::wstring EnvVar(const wchar_t* Name) {
    wchar_t buf[1024] = {};
    const DWORD n = GetEnvironmentVariableW(Name, buf, 1024);
    return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

TTempEnvGuard::TTempEnvGuard(const std::wstring& Dir) : FTmp(EnvVar(L"TMP")), FTemp(EnvVar(L"TEMP")) {
    SetEnvironmentVariableW(L"TMP", Dir.c_str());
    SetEnvironmentVariableW(L"TEMP", Dir.c_str());
}

TTempEnvGuard::~TTempEnvGuard() {
    SetEnvironmentVariableW(L"TMP", FTmp.empty() ? nullptr : FTmp.c_str());
    SetEnvironmentVariableW(L"TEMP", FTemp.empty() ? nullptr : FTemp.c_str());
}

}  // namespace testsupport
