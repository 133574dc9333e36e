// Helper routines: version text, files and folders, web pages, fonts.
#include <gtest/gtest.h>

#include <shlobj.h>

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
    EXPECT_EQ(VersionText(Version(1, 2, 2, 59)), L"1.22.59");
    EXPECT_EQ(VersionText(Version(3, 1, 10, 7)), L"3.110.7");
    EXPECT_EQ(VersionText(Version(10, 0, 0, 5)), L"10.00.5");
    EXPECT_EQ(VersionText(Version(65535, 65535, 65535, 65535)), L"65535.6553565535.65535");
    EXPECT_EQ(VersionText(TFileVersionInfo{}), L"0.00.0");
}

TEST(VersionText, BuildIsTheLastNumber) {
    EXPECT_EQ(VersionBuild(Version(1, 2, 2, 59)), 59u);
    EXPECT_EQ(VersionBuild(Version(3, 1, 10, 7)), 7u);
}

TEST(VersionText, FromTheProgramsOwnVersionResource) {
    // The numbers the resource script gives the executable.
    const std::vector<uint8_t> rc = ReadFileBytes(SourceDir() + L"\\resources\\app.rc");
    const std::string script(rc.begin(), rc.end());
    std::smatch m;
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(FILEVERSION\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+))")));
    const std::wstring expected = Widen(m[1].str() + "." + m[2].str() + m[3].str() + "." + m[4].str());

    EXPECT_EQ(AppVersionText(), expected);

    TFileVersionInfo info;
    GetFileVersion(fw::GetModuleName(), info);
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(VersionBuild(info), static_cast<DWORD>(std::stoul(m[4].str())));
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(VersionText, FileWithoutVersionLeavesTheRecordAlone) {
    TempDir dir;
    WriteFileBytes(dir.File(L"plain.txt"), std::string("no version here"));
    TFileVersionInfo info = Version(9, 8, 7, 6);
    info.dwFileOS = 0x1234;
    GetFileVersion(dir.File(L"plain.txt"), info);
    EXPECT_EQ(VersionText(info), L"9.87.6");
    EXPECT_EQ(info.dwFileOS, 0x1234u);
    GetFileVersion(dir.File(L"missing.exe"), info);
    EXPECT_EQ(VersionText(info), L"9.87.6");
}

// --- folders and files ---------------------------------------------------------------------------

TEST(Files, AddBackslash) {
    EXPECT_EQ(AddBackslash(L""), L"");
    EXPECT_EQ(AddBackslash(L"C:\\data\\"), L"C:\\data\\");
    EXPECT_EQ(AddBackslash(L"C:\\data"), L"C:\\data\\");
    EXPECT_EQ(AddBackslash(L"C:"), L"C:\\");
}

TEST(Files, FileExistsExFindsPlainFilesAndFolders) {
    TempDir dir;
    WriteFileBytes(dir.File(L"notes.txt"), std::string("x"));
    EXPECT_TRUE(FileExistsEx(dir.File(L"notes.txt")));
    EXPECT_TRUE(FileExistsEx(dir.Path()));
    EXPECT_FALSE(FileExistsEx(dir.File(L"missing.txt")));
    EXPECT_FALSE(FileExistsEx(dir.File(L"missing")));
}

TEST(Files, FileExistsExTriesExecutableExtensionsForABareName) {
    TempDir dir;
    WriteFileBytes(dir.File(L"tool.exe"), std::string("x"));
    WriteFileBytes(dir.File(L"script.cmd"), std::string("x"));
    WriteFileBytes(dir.File(L"library.dll"), std::string("x"));
    EXPECT_TRUE(FileExistsEx(dir.File(L"tool")));
    EXPECT_TRUE(FileExistsEx(dir.File(L"script")));
    EXPECT_TRUE(FileExistsEx(dir.File(L"library")));
    EXPECT_FALSE(FileExistsEx(dir.File(L"other")));
}

TEST(Files, FileExistsExNeverTriesOtherExtensionsForANameWithOne) {
    TempDir dir;
    WriteFileBytes(dir.File(L"data.cfg.exe"), std::string("x"));
    EXPECT_FALSE(FileExistsEx(dir.File(L"data.cfg")));
    // A dot in a folder name does not give the file an extension.
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"v1.2").c_str(), nullptr));
    WriteFileBytes(dir.File(L"v1.2\\setup.bat"), std::string("x"));
    EXPECT_TRUE(FileExistsEx(dir.File(L"v1.2\\setup")));
}

namespace {

// Counts the task-allocator blocks that are allocated and not freed while it is registered.
class CountingMallocSpy : public IMallocSpy {
public:
    std::vector<void*> live;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
            *ppv = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override {
        if (pActual) live.push_back(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL) override {
        Forget(pRequest);
        return pRequest;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL) override {
        Forget(pRequest);
        *ppNewRequest = pRequest;
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
    void Forget(void* p) {
        for (size_t i = 0; i < live.size(); ++i)
            if (live[i] == p) {
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }
};

}  // namespace

TEST(Files, SpecialFolders) {
    std::wstring path = L"stale";
    GetSpecialFolder(reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), CSIDL_APPDATA, path);
    EXPECT_EQ(path, L"");

    GetSpecialFolder(DesktopWnd, CSIDL_APPDATA, path);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fw::DirectoryExists(path));
    EXPECT_EQ(AppDataDir, AddBackslash(path));
    EXPECT_EQ(DesktopWnd, GetDesktopWindow());
}

TEST(Files, SpecialFolderLookupFreesWhatItAllocates) {
    CountingMallocSpy spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    std::wstring path;
    GetSpecialFolder(DesktopWnd, CSIDL_APPDATA, path);
    const size_t leftOver = spy.live.size();
    CoRevokeMallocSpy();
    EXPECT_FALSE(path.empty());
    EXPECT_EQ(leftOver, 0u);
}

// --- web pages --------------------------------------------------------------------------------------

namespace {

struct LaunchCall {
    HWND owner;
    std::wstring verb, file, params;
    int show;
};

class OpenUrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetShellLauncher([this](HWND o, const std::wstring& v, const std::wstring& f, const std::wstring& p, int s) {
            calls_.push_back({o, v, f, p, s});
        });
        UseVersion(6, 1);
    }
    void TearDown() override {
        SetShellLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
    }
    void UseVersion(DWORD major, DWORD minor) {
        SetWindowsVersionSource([major, minor](DWORD& a, DWORD& b) {
            a = major;
            b = minor;
        });
    }
    std::vector<LaunchCall> calls_;
    const HWND owner_ = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
};

}  // namespace

TEST_F(OpenUrlTest, IsWin8OnlyFor62And63) {
    const struct {
        DWORD major, minor;
        bool win8;
    } cases[] = {{6, 2, true}, {6, 3, true}, {6, 1, false}, {6, 0, false}, {5, 1, false}, {10, 0, false}, {7, 2, false}};
    for (const auto& c : cases) {
        UseVersion(c.major, c.minor);
        EXPECT_EQ(IsWin8(), c.win8) << c.major << "." << c.minor;
    }
}

TEST_F(OpenUrlTest, BlankAddressDoesNothing) {
    OpenUrl(owner_, L"");
    OpenUrl(owner_, L"   ");
    OpenUrl(owner_, L"\t ");
    UseVersion(6, 2);
    OpenUrl(owner_, L"  ");
    EXPECT_TRUE(calls_.empty());
}

TEST_F(OpenUrlTest, OtherWindowsOpensTheAddressThroughTheShell) {
    OpenUrl(owner_, L"http://www.example.com/");
    OpenUrl(nullptr, L" www.example.com/help/ ");
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[0].owner, owner_);
    EXPECT_EQ(calls_[0].verb, L"open");
    EXPECT_EQ(calls_[0].file, L"http://www.example.com/");
    EXPECT_EQ(calls_[0].params, L"");
    EXPECT_EQ(calls_[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls_[1].owner, nullptr);
    EXPECT_EQ(calls_[1].file, L" www.example.com/help/ ");  // passed untrimmed
}

TEST_F(OpenUrlTest, Windows8OpensWebAddressesInInternetExplorer) {
    UseVersion(6, 2);
    OpenUrl(owner_, L"HTTP://WWW.EXAMPLE.COM/");  // the test is on the lower-cased text
    UseVersion(6, 3);
    OpenUrl(owner_, L"see https://example.com");  // "http" anywhere
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[0].file, L"IExplore.EXE");
    EXPECT_EQ(calls_[0].params, L"HTTP://WWW.EXAMPLE.COM/");
    EXPECT_EQ(calls_[0].verb, L"open");
    EXPECT_EQ(calls_[0].owner, owner_);
    EXPECT_EQ(calls_[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(calls_[1].file, L"IExplore.EXE");
    EXPECT_EQ(calls_[1].params, L"see https://example.com");
}

TEST_F(OpenUrlTest, Windows8OpensOtherAddressesThroughTheShell) {
    UseVersion(6, 2);
    OpenUrl(owner_, L"mailto:support@vesk.example");
    OpenUrl(owner_, L"www.example.com/help/");  // no scheme: no "http" in it
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[0].file, L"mailto:support@vesk.example");
    EXPECT_EQ(calls_[0].params, L"");
    EXPECT_EQ(calls_[1].file, L"www.example.com/help/");
}

TEST_F(OpenUrlTest, MailLinksGoToTheShellOnEveryVersion) {
    for (DWORD minor : {1u, 2u, 3u}) {
        UseVersion(6, minor);
        OpenUrl(owner_, L"mailto:friend@vesk.example?subject=Hello");
    }
    UseVersion(10, 0);
    OpenUrl(owner_, L"mailto:friend@vesk.example?subject=Hello");
    ASSERT_EQ(calls_.size(), 4u);
    for (const auto& c : calls_) {
        EXPECT_EQ(c.file, L"mailto:friend@vesk.example?subject=Hello");
        EXPECT_EQ(c.verb, L"open");
    }
}

// --- fonts ------------------------------------------------------------------------------------------

TEST(Fonts, AssignFontFaceCopiesNameCharsetAndSizeOnly) {
    fw::TFont source, dest;
    source.SetName(L"Arial");
    source.SetCharset(GB2312_CHARSET);
    source.SetSize(12);
    source.SetStyle(fw::fsBold);
    source.SetColor(fw::clRed);
    dest.SetName(L"Tahoma");
    dest.SetSize(8);
    dest.SetStyle(fw::fsItalic);
    dest.SetColor(fw::clBlue);

    AssignFontFace(&dest, &source);
    EXPECT_EQ(dest.GetName(), L"Arial");
    EXPECT_EQ(dest.GetCharset(), GB2312_CHARSET);
    EXPECT_EQ(dest.GetSize(), 12);
    EXPECT_EQ(dest.GetStyle(), fw::fsItalic);
    EXPECT_EQ(dest.GetColor(), fw::clBlue);
}
