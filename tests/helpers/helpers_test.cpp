// Helper routines: version text, files and folders, web pages, fonts.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <regex>
#include <vector>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

TFileVersionInfo Version(WORD major, WORD minor, WORD release, WORD build) {
    TFileVersionInfo v;
    v.dwFileVersionMS = MAKELONG(minor, major);
    v.dwFileVersionLS = MAKELONG(build, release);
    return v;
}

}  // namespace

// --- version text ----------------------------------------------------------------------------------

TEST(VersionText, NoDotBetweenMinorAndRelease) {
    const struct {
        TFileVersionInfo version;
        const wchar_t* text;
        DWORD build;
    } cases[] = {
        {Version(1, 2, 2, 59), L"1.22.59", 59},
        {Version(10, 0, 0, 5), L"10.00.5", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionText(c.version), c.text);
        EXPECT_EQ(VersionBuild(c.version), c.build) << Narrow(c.text);
    }
}

TEST(VersionText, FromTheProgramsOwnVersionResource) {
    // The numbers the resource script gives the executable.
    const std::vector<uint8_t> rc = ReadFileBytes(SourceDir() + L"\\resources\\app.rc");
    const std::string script(rc.begin(), rc.end());
    std::smatch m;
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(FILEVERSION\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+))")));
    EXPECT_EQ(AppVersionText(), Widen(m[1].str() + "." + m[2].str() + m[3].str() + "." + m[4].str()));
    TFileVersionInfo info;
    GetFileVersion(fw::GetModuleName(), info);
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));  // the fields after the version are copied too
}

// --- folders and files ---------------------------------------------------------------------------

TEST(Files, FileExistsExTriesExecutableExtensionsOnlyForABareName) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"v1.2").c_str(), nullptr));
    for (const wchar_t* f : {L"notes.txt", L"tool.exe", L"script.cmd", L"data.cfg.exe", L"v1.2\\setup.bat"})
        WriteFileBytes(dir.File(f), std::string("x"));
    const struct {
        const wchar_t* name;
        bool exists;
    } cases[] = {
        {L"notes.txt", true}, {L"missing.txt", false}, {L"tool", true}, {L"script", true}, {L"other", false},
        {L"data.cfg", false},   // a name with an extension gets no other one
        {L"v1.2\\setup", true},  // a dot in a folder name does not give the file an extension
    };
    for (const auto& c : cases) EXPECT_EQ(FileExistsEx(dir.File(c.name)), c.exists) << Narrow(c.name);
    EXPECT_TRUE(FileExistsEx(dir.Path()));
    for (auto [in, out] : {std::pair{L"", L""}, {L"C:\\data\\", L"C:\\data\\"}, {L"C:", L"C:\\"}})
        EXPECT_EQ(AddBackslash(in), out);
}

namespace {

// Counts the task-allocator blocks that are allocated and not freed while it is registered.
class CountingMallocSpy : public IMallocSpy {
public:
    std::vector<void*> live;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = (riid == IID_IUnknown || riid == IID_IMallocSpy) ? static_cast<IMallocSpy*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override {
        if (pActual) live.push_back(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL) override { return Forget(pRequest); }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL) override {
        *ppNewRequest = Forget(pRequest);
        return cbRequest;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL) override { return PostAlloc(pActual); }
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL) override { return pRequest; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL) override { return cbActual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL) override { return pRequest; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int fActual) override { return fActual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    void* Forget(void* p) {
        live.erase(std::remove(live.begin(), live.end(), p), live.end());
        return p;
    }
};

}  // namespace

TEST(Files, SpecialFolderLookupFreesWhatItAllocates) {
    CountingMallocSpy spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    std::wstring path;
    GetSpecialFolder(DesktopWnd, CSIDL_APPDATA, path);
    const size_t leftOver = spy.live.size();
    CoRevokeMallocSpy();
    EXPECT_EQ(leftOver, 0u);
    EXPECT_TRUE(fw::DirectoryExists(path));
    EXPECT_EQ(AppDataDir, AddBackslash(path));
    path = L"stale";
    GetSpecialFolder(reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), CSIDL_APPDATA, path);
    EXPECT_EQ(path, L"");
}

// --- web pages --------------------------------------------------------------------------------------

namespace {

struct LaunchCall {
    HWND owner;
    std::wstring verb, file, params;
    int show;
    bool operator==(const LaunchCall&) const = default;
};

}  // namespace

TEST(OpenUrl, ShellOrInternetExplorerByVersionAndAddress) {
    std::vector<LaunchCall> calls;
    SetShellLauncher([&](HWND o, const std::wstring& v, const std::wstring& f, const std::wstring& p, int s) {
        calls.push_back({o, v, f, p, s});
    });
    const HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
    const struct {
        DWORD major, minor;
        const wchar_t *url, *file, *params;  // file nullptr: nothing opened
    } cases[] = {
        {6, 1, L"", nullptr, nullptr},
        {6, 1, L"http://www.example.com/", L"http://www.example.com/", L""},
        {6, 1, L" www.example.com/help/ ", L" www.example.com/help/ ", L""},  // passed untrimmed
        // Windows 8 (6.2 and 6.3 only): the test is for "http" anywhere in the lower-cased text.
        {6, 2, L"HTTP://WWW.EXAMPLE.COM/", L"IExplore.EXE", L"HTTP://WWW.EXAMPLE.COM/"},
        {6, 3, L"see https://example.com", L"IExplore.EXE", L"see https://example.com"},
        {6, 2, L"www.example.com/help/", L"www.example.com/help/", L""},
        {6, 2, L"mailto:friend@vesk.example?subject=Hello", L"mailto:friend@vesk.example?subject=Hello", L""},
        {7, 2, L"http://www.example.com/", L"http://www.example.com/", L""},
    };
    for (const auto& c : cases) {
        SetWindowsVersionSource([&c](DWORD& major, DWORD& minor) {
            major = c.major;
            minor = c.minor;
        });
        calls.clear();
        OpenUrl(owner, c.url);
        std::vector<LaunchCall> expected;
        if (c.file) expected.push_back({owner, L"open", c.file, c.params, SW_SHOWNORMAL});
        EXPECT_TRUE(calls == expected) << Narrow(c.url);
    }
    SetShellLauncher(nullptr);
    SetWindowsVersionSource(nullptr);
}

// --- fonts ------------------------------------------------------------------------------------------

TEST(Fonts, AssignFontFaceCopiesNameCharsetAndSizeOnly) {
    fw::TFont source, dest;
    source.SetName(L"Arial"), source.SetCharset(GB2312_CHARSET), source.SetSize(12);
    source.SetStyle(fw::fsBold), source.SetColor(fw::clRed);
    dest.SetName(L"Tahoma"), dest.SetSize(8), dest.SetStyle(fw::fsItalic), dest.SetColor(fw::clBlue);
    AssignFontFace(&dest, &source);
    EXPECT_EQ(dest.GetName(), L"Arial");
    EXPECT_EQ(dest.GetCharset(), GB2312_CHARSET);
    EXPECT_EQ(dest.GetSize(), 12);
    EXPECT_EQ(dest.GetStyle(), fw::fsItalic);
    EXPECT_EQ(dest.GetColor(), fw::clBlue);
}
