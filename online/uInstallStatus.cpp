#include "uInstallStatus.h"

#include "PublicFunsReg.h"
#include "UCheckNewThread.h"
#include "uRemindFile.h"

#include <objbase.h>
#include <algorithm>
#include <wininet.h>

const wchar_t* const MachineGuidKey = L"CLSID\\{3C85423B-CCCF-4008-9E6D-B1D7E014DBF6}";
const wchar_t* const MachineGuidValue = L"ZUB";

TMachineGuidCreateKey MachineGuidCreateKey = &RegCreateKeyExW;

void GetMachineGuid(std::wstring& Guid) {
    Guid.clear();
    RegReadString(HKEY_CLASSES_ROOT, MachineGuidKey, MachineGuidValue, true, Guid);
    if (!Guid.empty()) return;

    GUID id{};
    wchar_t text[40] = {};
    if (FAILED(CoCreateGuid(&id)) || StringFromGUID2(id, text, 40) == 0) return;
    Guid = text;

    HKEY key = nullptr;
    if (MachineGuidCreateKey(HKEY_CLASSES_ROOT, MachineGuidKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             RegAccessMask(false), nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;  // no rights: the id serves this run only
    RegSetValueExW(key, MachineGuidValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(Guid.c_str()),
                   static_cast<DWORD>((Guid.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

namespace {

// The data file fills the settings' machine id at every load; it sits below this layer and so
// takes the routine from here.
const bool kMachineGuidInstalled = [] {
    MachineGuidSource = &GetMachineGuid;
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// Install-statistics post

const wchar_t* const InstallStatusProductId = L"18";

namespace {

const wchar_t* const kUserAgent = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)";
// With the trailing blank, as the statistics page has always been sent it.
const wchar_t* const kContentType = L"Content-Type: application/x-www-form-urlencoded \r\n";

struct TNet {
    HINTERNET H = nullptr;
    explicit TNet(HINTERNET h) : H(h) {}
    TNet(const TNet&) = delete;
    TNet& operator=(const TNet&) = delete;
    ~TNet() {
        if (H) InternetCloseHandle(H);
    }
};

std::string ToUtf8(const std::wstring& S) {
    if (S.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string r(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, S.data(), static_cast<int>(S.size()), r.data(), n, nullptr, nullptr);
    return r;
}

std::string FormEncode(const std::wstring& S) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : ToUtf8(S)) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '*')
            out += static_cast<char>(c);
        else if (c == ' ')
            out += '+';
        else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string EncodeFormParams(const fw::TStrings& Params) {
    std::string body;
    for (int i = 0; i < Params.Count(); ++i) {
        std::wstring line = Params[i];
        size_t eq = line.find(L'=');
        std::wstring name = eq == std::wstring::npos ? line : line.substr(0, eq);
        std::wstring value = eq == std::wstring::npos ? std::wstring() : line.substr(eq + 1);
        if (i > 0) body += '&';
        body += FormEncode(name) + "=" + FormEncode(value);
    }
    return body;
}

std::wstring TSetupPostThread::StatisticsUrl() {
    return OnlineBaseUrl() + L"/install_statistics/index.php?p=install_statistics";
}

TSetupPostThread::TSetupPostThread(const std::wstring& AProductId, const std::wstring& AGuid,
                                   const std::wstring& AVersion)
    : fw::TThread(true),
      Params(std::make_unique<fw::TStringList>()),
      ProductId(AProductId),
      Version(AVersion),
      Guid(AGuid),
      Url(StatisticsUrl()) {
    SetFreeOnTerminate(true);
}

TSetupPostThread::~TSetupPostThread() = default;

void TSetupPostThread::Execute() {
    Params->Add(L"product_ver=" + Version);
    Params->Add(L"product_id=" + ProductId);
    Params->Add(L"gu_id=" + Guid);
    bool ok = false;
    try {
        ok = Post();
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        Failed = true;
        Terminate();
    }
}

bool TSetupPostThread::Post() {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(Url.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    TNet session(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session.H) return false;
    // The read time-out covers connecting and sending too: a post must never hang its thread.
    auto setTimeouts = [ms = ReadTimeout](HINTERNET H) mutable {
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                             INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
            InternetSetOptionW(H, option, &ms, sizeof(ms));
    };
    setTimeouts(session.H);
    TNet connection(InternetConnectW(session.H, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.H) return false;
    setTimeouts(connection.H);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    TNet request(HttpOpenRequestW(connection.H, L"POST", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request.H) return false;
    setTimeouts(request.H);

    std::string body = EncodeFormParams(*Params);
    if (!HttpSendRequestW(request.H, kContentType, static_cast<DWORD>(-1), body.data(), static_cast<DWORD>(body.size())))
        return false;

    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoW(request.H, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return false;
    // The answer is drained (capped in size and in time, as for every GET) but not looked at.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ReadTimeout) * HttpGetBodyTimeoutFactor;
    char buffer[1024];
    for (;;) {
        // A read waits until its buffer is full: asking first what has arrived keeps each wait
        // to one receive time-out, so the limit on the whole answer can take effect.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.H, &available, 0, 0)) return false;
        if (GetTickCount64() > deadline) return false;
        DWORD read = 0;
        const DWORD want = available == 0 ? 1 : std::min<DWORD>(available, sizeof(buffer));
        if (!InternetReadFile(request.H, buffer, want, &read)) return false;
        if (read == 0) break;
        if (Response.size() + read > HttpGetMaxBytes) break;
        Response.append(buffer, read);
    }
    return status < 400;
}

void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) {
    TSetupPostThread* thread = nullptr;
    try {
        thread = new TSetupPostThread(InstallStatusProductId, Guid, Version);
        thread->Resume();
    } catch (...) {
        // Statistics never stand in the way of the program's start.
        if (thread && thread->GetSuspended()) thread->Free();
    }
}
