#include "uOnlineRequest.h"

#include "fw_handles.h"

#include <wininet.h>

#include <algorithm>
#include <vector>

namespace {

using fw::TInternetHandle;

struct TTarget {
    bool Secure = false;
    std::wstring Host;
    INTERNET_PORT Port = 0;
    std::wstring Object;  // path and query
};

// Splits an "http://" or "https://" address with a host; false for anything else.
bool CrackWebUrl(const std::wstring& Url, TTarget& Out) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (Url.empty() || !InternetCrackUrlW(Url.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
    Out.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    Out.Host.assign(parts.lpszHostName, parts.dwHostNameLength);
    Out.Port = parts.nPort;
    Out.Object = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : std::wstring();
    if (parts.lpszExtraInfo) Out.Object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (Out.Object.empty()) Out.Object = L"/";
    return true;
}

// Milliseconds left until Deadline (a tick count); 0 once it has passed.
DWORD Remaining(ULONGLONG Deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= Deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(Deadline - now, MAXDWORD));
}

void SetTimeouts(HINTERNET H, DWORD Ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionW(H, option, &Ms, sizeof(Ms));
}

bool IsRedirect(DWORD Status) {
    return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

// The answer's "Location" header; empty when it has none.
std::wstring QueryLocation(HINTERNET Request) {
    std::vector<wchar_t> buffer(1024);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(Request, HTTP_QUERY_LOCATION, buffer.data(), &size, nullptr)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > 64 * 1024) return {};
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (!HttpQueryInfoW(Request, HTTP_QUERY_LOCATION, buffer.data(), &size, nullptr)) return {};
    }
    return std::wstring(buffer.data(), size / sizeof(wchar_t));
}

// Location read against the address that answered with it (it may be relative).
std::wstring ResolveUrl(const std::wstring& Base, const std::wstring& Location) {
    std::vector<wchar_t> buffer(Base.size() + Location.size() + 64);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!InternetCombineUrlW(Base.c_str(), Location.c_str(), buffer.data(), &length, 0)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        buffer.assign(length + 1, L'\0');
        length = static_cast<DWORD>(buffer.size());
        if (!InternetCombineUrlW(Base.c_str(), Location.c_str(), buffer.data(), &length, 0)) return {};
    }
    return std::wstring(buffer.data(), length);
}

bool ReadBody(HINTERNET Request, ULONGLONG Deadline, size_t MaxBytes, std::string& Body) {
    char buffer[1025];
    for (;;) {
        // A read waits until its buffer is full: asking first what has arrived keeps each wait
        // to one receive time-out, so that the deadline can take effect.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(Request, &available, 0, 0)) return false;
        if (Remaining(Deadline) == 0) return false;
        DWORD read = 0;
        const DWORD want = available == 0 ? 1 : std::min<DWORD>(available, sizeof(buffer));
        if (!InternetReadFile(Request, buffer, want, &read)) return false;
        if (read == 0) return true;
        if (Body.size() + read > MaxBytes) return false;
        Body.append(buffer, read);
    }
}

}  // namespace

bool OnlineRequest(const TOnlineRequest& Request, TOnlineResponse& Response) {
    Response = TOnlineResponse();
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(Request.Timeout) * OnlineDeadlineFactor;
    // The agent text is never a null pointer; the system's proxy settings.
    TInternetHandle session(InternetOpenW(Request.UserAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return false;
    std::wstring url = Request.Url;
    std::wstring method = Request.Method;
    bool withBody = true;
    // Redirects are followed here, not by WinINet: left to itself it follows a server that
    // redirects to itself without end.
    for (int redirects = 0;; ++redirects) {
        TTarget target;
        if (!CrackWebUrl(url, target)) return false;
        const DWORD left = Remaining(deadline);
        if (left == 0) return false;
        const DWORD timeout = std::min(Request.Timeout, left);
        SetTimeouts(session.Get(), timeout);
        TInternetHandle connection(InternetConnectW(session.Get(), target.Host.c_str(), target.Port, nullptr, nullptr,
                                                    INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) return false;
        SetTimeouts(connection.Get(), timeout);
        DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
        if (!Request.UseCache) flags |= INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (target.Secure) flags |= INTERNET_FLAG_SECURE;
        TInternetHandle request(
            HttpOpenRequestW(connection.Get(), method.c_str(), target.Object.c_str(), nullptr, nullptr, nullptr, flags, 0));
        if (!request) return false;
        // The time-outs go on the request itself too: that is where the socket waits are made.
        SetTimeouts(request.Get(), timeout);
        const std::string* body = withBody && !Request.Body.empty() ? &Request.Body : nullptr;
        if (!HttpSendRequestW(request.Get(), Request.Headers.empty() ? nullptr : Request.Headers.c_str(),
                              static_cast<DWORD>(Request.Headers.size()),
                              body ? const_cast<char*>(body->data()) : nullptr,
                              body ? static_cast<DWORD>(body->size()) : 0))
            return false;  // refused, unresolvable, timed out
        DWORD status = 0, size = sizeof(status);
        if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return false;
        Response.Status = status;
        if (IsRedirect(status)) {
            const std::wstring location = QueryLocation(request.Get());
            if (!location.empty()) {
                if (redirects >= Request.MaxRedirects) return false;
                url = ResolveUrl(url, location);
                // As browsers do: a form that was posted is fetched with GET at its new place,
                // except where the status says to repeat the request as it was.
                if (status == 303 || ((status == 301 || status == 302) && method != L"GET" && method != L"HEAD")) {
                    method = L"GET";
                    withBody = false;
                }
                continue;
            }
        }
        return ReadBody(request.Get(), deadline, Request.MaxBytes, Response.Body);
    }
}
