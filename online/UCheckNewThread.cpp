#include "UCheckNewThread.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "fw_base.h"
#include "fw_handles.h"
#include "fw_inifiles.h"
#include "uOnlineRequest.h"

namespace {

// Marks a worker as running for as long as it lives, however its work ends.
class TRunningMark {
public:
    explicit TRunningMark(std::atomic<bool>& Flag) : FFlag(Flag) { FFlag = true; }
    ~TRunningMark() { FFlag = false; }
    TRunningMark(const TRunningMark&) = delete;
    TRunningMark& operator=(const TRunningMark&) = delete;

private:
    std::atomic<bool>& FFlag;
};

const wchar_t* const kDefaultBaseUrl = L"http://www.veskreminder.com";

// Never destroyed: worker threads still running while the program exits may read the address
// after static objects have been torn down.
std::mutex& BaseUrlLock() {
    static std::mutex* m = new std::mutex();
    return *m;
}
std::wstring& BaseUrlValue() {
    static std::wstring* v = new std::wstring(kDefaultBaseUrl);
    return *v;
}
std::atomic<DWORD> GetTimeout{15000};

}  // namespace

std::wstring OnlineBaseUrl() {
    std::lock_guard<std::mutex> g(BaseUrlLock());
    return BaseUrlValue();
}

void SetOnlineBaseUrl(const std::wstring& Url) {
    std::lock_guard<std::mutex> g(BaseUrlLock());
    BaseUrlValue() = Url.empty() ? std::wstring(kDefaultBaseUrl) : Url;
}

DWORD HttpGetTimeout() { return GetTimeout.load(); }
void SetHttpGetTimeout(DWORD Milliseconds) { GetTimeout.store(Milliseconds); }

std::wstring HttpGetText(const std::wstring& Url) {
    TOnlineRequest request;
    request.Url = Url;
    request.Headers = L"Accept-Charset: utf-8\r\n";
    request.Timeout = HttpGetTimeout();
    request.MaxBytes = HttpGetMaxBytes;
    TOnlineResponse response;
    if (!OnlineRequest(request, response)) return {};
    // The bytes up to the first zero, in the ANSI code page whatever the server claims.
    std::string& body = response.Body;
    const size_t zero = body.find('\0');
    if (zero != std::string::npos) body.resize(zero);
    return fw::AnsiToWide(body);
}

bool IsWebUrl(const std::wstring& Url) {
    size_t hostStart;
    if (fw::StartsText(L"http://", Url))
        hostStart = 7;
    else if (fw::StartsText(L"https://", Url))
        hostStart = 8;
    else
        return false;
    if (hostStart >= Url.size() || Url[hostStart] == L'/') return false;
    for (wchar_t c : Url)
        if (c <= L' ' || c == 0x7F || c == L'"' || c == L'<' || c == L'>' || c == L'\\' || c == L'`') return false;
    return true;
}

int LastCharPos(const std::wstring& S, const std::wstring& Ch) {
    if (Ch.size() != 1) return 0;
    for (size_t i = S.size(); i > 0; --i)
        if (S[i - 1] == Ch[0]) return static_cast<int>(i);
    return 0;
}

std::wstring GetLongPath(const std::wstring& Path) {
    int p = LastCharPos(Path, L"\\");
    if (p < 2) return Path;
    std::wstring parent = GetLongPath(Path.substr(0, static_cast<size_t>(p - 1)));
    if (parent.empty()) return {};
    std::wstring result = parent + L"\\";
    if (Path.back() == L'\\') return result;
    // A wildcard would make the search match some other entry.
    if (Path.find_first_of(L"*?", static_cast<size_t>(p)) != std::wstring::npos) return {};
    WIN32_FIND_DATAW data{};
    if (!fw::TFindHandle(FindFirstFileW(Path.c_str(), &data))) return {};
    return result + data.cFileName;
}

std::wstring GetTempDir() {
    wchar_t buffer[256] = {};
    DWORD n = GetTempPathW(255, buffer);
    if (n == 0 || n > 255) return {};
    std::wstring dir = GetLongPath(std::wstring(buffer));
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    return dir;
}

std::wstring RandomName(int N) {
    if (N < 1) return {};
    LARGE_INTEGER counter{};
    if (QueryPerformanceCounter(&counter))
        srand(static_cast<unsigned>(counter.QuadPart ^ (counter.QuadPart >> 32)));
    else
        srand(GetTickCount());
    std::wstring name;
    name.reserve(static_cast<size_t>(N));
    for (int i = 0; i < N; ++i) name += static_cast<wchar_t>(L'a' + rand() % 26);
    return name;
}

std::wstring SaveTempIni(const std::wstring& Text, std::wstring* FolderOut) {
    if (Text.empty()) return {};
    std::wstring dir = GetTempDir();
    if (dir.find(L'%') != std::wstring::npos) dir = L"c:\\";
    if (FolderOut) *FolderOut = dir;
    if (dir.empty()) return {};
    DWORD attr = GetFileAttributesW(dir.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return {};

    std::wstring path = dir + RandomName(8) + L".ini";
    std::string bytes = fw::WideToAnsi(Text) + "\r\n";
    fw::TKernelHandle h(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        DWORD err = GetLastError();
        throw fw::EOSError(L"Cannot create file \"" + path + L"\". " + fw::SysErrorMessage(err), err);
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD err = GetLastError();
    h.Reset();  // closed before a failed file is deleted
    if (!ok || written != bytes.size()) {
        DeleteFileW(path.c_str());
        throw fw::EOSError(L"Cannot write file \"" + path + L"\". " + fw::SysErrorMessage(err), err);
    }
    return path;
}

// ---------------------------------------------------------------------------------------------

TCheckUpdate::TCheckUpdate(int ACurrentBuild, const std::wstring& Url)
    : fw::TThread(true), Build(ACurrentBuild), CheckUrl(Url), NewInfo(std::make_unique<fw::TStringList>()) {
    SetPriority(fw::tpIdle);
}

TCheckUpdate::~TCheckUpdate() = default;

std::wstring TCheckUpdate::UpdatePageUrl() { return OnlineBaseUrl() + L"/update/zubverinfo.htm"; }
std::wstring TCheckUpdate::DefaultDownloadUrl() { return OnlineBaseUrl() + L"/download.html"; }

void TCheckUpdate::Execute() {
    // Whatever ends the work (a failing event handler, a GUI side that has gone, a fetch that
    // raised), the thread no longer counts as running afterwards.
    TRunningMark running(Running);
    if (OnBegin) Synchronize([this] { OnBegin(this); });
    Fetch();
    if (OnResult) Synchronize([this] { OnResult(this, IniPath, NewInfo.get(), NewGetUrl, Build); });
}

void TCheckUpdate::Fetch() {
    std::wstring text = HttpGetText(CheckUrl);
    if (text.empty()) return;
    std::wstring path = SaveTempIni(text, &IniPath);
    if (path.empty()) return;
    IniPath = path;
    fw::TIniFile ini(IniPath);
    Build = ini.ReadInteger(L"VerInfo", L"Build", Build);
    NewInfo->Clear();
    ini.ReadSection(L"NewInfo", *NewInfo);
    NewGetUrl = ini.ReadString(L"VerInfo", L"NewGetUrl", DefaultDownloadUrl());
}

// ---------------------------------------------------------------------------------------------

TGetNews::TGetNews(const std::wstring& AUrl) : fw::TThread(true), CheckUrl(AUrl) {}

std::wstring TGetNews::NewsPageUrl() { return OnlineBaseUrl() + L"/news/zubinfo.htm"; }
std::wstring TGetNews::FallbackNewsPageUrl() { return OnlineBaseUrl() + L"/news/m482info.htm"; }
std::wstring TGetNews::DefaultNewsUrl() { return OnlineBaseUrl() + L"/news/msg.html"; }

void TGetNews::Execute() {
    TRunningMark running(Running);
    if (OnBegin) Synchronize([this] { OnBegin(this); });
    Fetch();
    if (OnNews) Synchronize([this] { OnNews(this, Url, MsgID, LangCode, ShowAll, FormWidth, FormHeight); });
}

void TGetNews::Fetch() {
    std::wstring text = HttpGetText(CheckUrl.empty() ? FallbackNewsPageUrl() : CheckUrl);
    if (text.empty()) return;
    std::wstring path = SaveTempIni(text);
    if (path.empty()) return;
    // The copy is only needed for reading it; it goes also when reading fails.
    struct TRemove {
        const std::wstring& Path;
        ~TRemove() { DeleteFileW(Path.c_str()); }
    } remove{path};
    // Read into locals first, so that a failure half-way leaves every field at its default.
    int msgId, formWidth, formHeight;
    bool showAll;
    std::wstring url, langCode;
    {
        fw::TIniFile ini(path);
        msgId = ini.ReadInteger(L"Msg", L"MsgID", 0);
        showAll = ini.ReadInteger(L"Msg", L"ShowAll", 1) == 1;
        url = ini.ReadString(L"Msg", L"Url", DefaultNewsUrl());
        formWidth = ini.ReadInteger(L"Msg", L"FormWidth", 0);
        formHeight = ini.ReadInteger(L"Msg", L"FormHeight", 0);
        langCode = ini.ReadString(L"Msg", L"LangCode", L"");
    }
    MsgID = msgId;
    ShowAll = showAll;
    Url = url;
    FormWidth = formWidth;
    FormHeight = formHeight;
    LangCode = langCode;
}
