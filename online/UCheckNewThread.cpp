#include "UCheckNewThread.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "fw_base.h"
#include "fw_inifiles.h"

namespace {

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

// Closes a WinINet handle when it goes out of scope.
struct TNetHandle {
    HINTERNET H = nullptr;
    explicit TNetHandle(HINTERNET h) : H(h) {}
    TNetHandle(const TNetHandle&) = delete;
    TNetHandle& operator=(const TNetHandle&) = delete;
    ~TNetHandle() {
        if (H) InternetCloseHandle(H);
    }
};

void SetTimeouts(HINTERNET Session, DWORD Ms) {
    InternetSetOptionW(Session, INTERNET_OPTION_CONNECT_TIMEOUT, &Ms, sizeof(Ms));
    InternetSetOptionW(Session, INTERNET_OPTION_SEND_TIMEOUT, &Ms, sizeof(Ms));
    InternetSetOptionW(Session, INTERNET_OPTION_RECEIVE_TIMEOUT, &Ms, sizeof(Ms));
    InternetSetOptionW(Session, INTERNET_OPTION_DATA_SEND_TIMEOUT, &Ms, sizeof(Ms));
    InternetSetOptionW(Session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &Ms, sizeof(Ms));
}

std::wstring AnsiToWide(const std::string& Bytes) {
    if (Bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, Bytes.data(), static_cast<int>(Bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Bytes.data(), static_cast<int>(Bytes.size()), w.data(), n);
    return w;
}

std::string WideToAnsi(const std::wstring& Text) {
    if (Text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), s.data(), n, nullptr, nullptr);
    return s;
}

bool StartsWithNoCase(const std::wstring& S, const wchar_t* Prefix) {
    size_t n = wcslen(Prefix);
    if (S.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (towlower(S[i]) != towlower(Prefix[i])) return false;
    return true;
}

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
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(Url.c_str(), 0, 0, &parts)) return {};
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return {};
    if (!parts.lpszHostName || parts.dwHostNameLength == 0) return {};
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : std::wstring();
    if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    // An empty agent text, not a null pointer; the system's proxy settings.
    TNetHandle session(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session.H) return {};
    const DWORD timeout = HttpGetTimeout();
    SetTimeouts(session.H, timeout);
    TNetHandle connection(
        InternetConnectW(session.H, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.H) return {};
    SetTimeouts(connection.H, timeout);
    // Always from the server, never into the cache.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    TNetHandle file(HttpOpenRequestW(connection.H, L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!file.H) return {};
    // The time-outs go on the request itself too: that is where the socket waits are made.
    SetTimeouts(file.H, timeout);
    static const wchar_t kHeaders[] = L"Accept-Charset: utf-8\r\n";
    if (!HttpSendRequestW(file.H, kHeaders, 23, nullptr, 0)) return {};  // refused, unresolvable, timed out

    // Each read has its time-out; the whole body its own limit too, or a server sending a byte
    // now and then could hold the thread for as long as it likes.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout) * HttpGetBodyTimeoutFactor;
    std::string body;
    char buffer[1025];
    for (;;) {
        // A read waits until its buffer is full: asking first what has arrived keeps each wait
        // to one receive time-out, so the limit on the whole body can take effect.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(file.H, &available, 0, 0)) return {};
        if (GetTickCount64() > deadline) return {};
        DWORD read = 0;
        const DWORD want = available == 0 ? 1 : std::min<DWORD>(available, sizeof(buffer));
        if (!InternetReadFile(file.H, buffer, want, &read)) return {};
        if (read == 0) break;
        if (body.size() + read > HttpGetMaxBytes) return {};
        body.append(buffer, read);
    }
    // The bytes up to the first zero, in the ANSI code page whatever the server claims.
    size_t zero = body.find('\0');
    if (zero != std::string::npos) body.resize(zero);
    return AnsiToWide(body);
}

bool IsWebUrl(const std::wstring& Url) {
    size_t hostStart;
    if (StartsWithNoCase(Url, L"http://"))
        hostStart = 7;
    else if (StartsWithNoCase(Url, L"https://"))
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
    HANDLE h = FindFirstFileW(Path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return {};
    FindClose(h);
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
    std::string bytes = WideToAnsi(Text) + "\r\n";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        throw fw::EOSError(L"Cannot create file \"" + path + L"\". " + fw::SysErrorMessage(err), err);
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD err = GetLastError();
    CloseHandle(h);
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
    struct TRunning {
        std::atomic<bool>& Flag;
        explicit TRunning(std::atomic<bool>& F) : Flag(F) { Flag = true; }
        ~TRunning() { Flag = false; }
    } running(Running);
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
    struct TRunning {
        std::atomic<bool>& Flag;
        explicit TRunning(std::atomic<bool>& F) : Flag(F) { Flag = true; }
        ~TRunning() { Flag = false; }
    } running(Running);
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
