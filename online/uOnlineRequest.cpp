#include "uOnlineRequest.h"

#include "fw_handles.h"

// WinHTTP, not WinINet: closing a WinINet request whose body has not been read to its end first
// reads on while the server keeps sending (to keep the connection for another request), so a
// server that never stops held the thread long past its deadline. A WinHTTP request closes its
// connection at once.
#include <shlwapi.h>
#include <winhttp.h>

#include <algorithm>
#include <vector>

namespace {

using THttpHandle = fw::TOwnedHandle<HINTERNET, &WinHttpCloseHandle>;

struct TTarget {
    bool Secure = false;
    std::wstring Host;
    INTERNET_PORT Port = 0;
    std::wstring Object;  // path and query
};

// Splits an "http://" or "https://" address with a host; false for anything else.
bool CrackWebUrl(const std::wstring& Url, TTarget& Out) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (Url.empty() || !WinHttpCrackUrl(Url.c_str(), static_cast<DWORD>(Url.size()), 0, &parts)) return false;
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
    const int ms = static_cast<int>(std::min<DWORD>(Ms, INT_MAX));
    WinHttpSetTimeouts(H, ms, ms, ms, ms);
    DWORD value = static_cast<DWORD>(ms);
    WinHttpSetOption(H, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &value, sizeof(value));
}

// A session that finds the server as the user's other programs do: through the user's proxy
// settings (automatic ones included where the system can apply them), else the named proxy of
// those settings, else the machine's own WinHTTP setting.
HINTERNET OpenSession(const std::wstring& UserAgent) {
    // The agent text is never a null pointer.
    if (HINTERNET h = WinHttpOpen(UserAgent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0))
        return h;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
    HINTERNET h = nullptr;
    if (WinHttpGetIEProxyConfigForCurrentUser(&user) && user.lpszProxy && *user.lpszProxy)
        h = WinHttpOpen(UserAgent.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                        user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
    for (LPWSTR text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass})
        if (text) GlobalFree(text);
    if (h) return h;
    return WinHttpOpen(UserAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, 0);
}

bool IsRedirect(DWORD Status) {
    return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

// The answer's "Location" header; empty when it has none.
std::wstring QueryLocation(HINTERNET Request) {
    DWORD size = 0;
    WinHttpQueryHeaders(Request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > 64 * 1024) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(Request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    return std::wstring(buffer.data(), size / sizeof(wchar_t));
}

// Location read against the address that answered with it (it may be relative).
std::wstring ResolveUrl(const std::wstring& Base, const std::wstring& Location) {
    std::vector<wchar_t> buffer(Base.size() + Location.size() + 64);
    DWORD length = static_cast<DWORD>(buffer.size());
    HRESULT hr = UrlCombineW(Base.c_str(), Location.c_str(), buffer.data(), &length, 0);
    if (hr == E_POINTER) {
        buffer.assign(length + 1, L'\0');
        length = static_cast<DWORD>(buffer.size());
        hr = UrlCombineW(Base.c_str(), Location.c_str(), buffer.data(), &length, 0);
    }
    if (FAILED(hr)) return {};
    return std::wstring(buffer.data(), length);
}

// Reads the body until its end. False on a failed read, a body over MaxBytes or the deadline:
// then the caller closes the request, which drops the connection with the rest unread.
bool ReadBody(HINTERNET Request, ULONGLONG Deadline, DWORD Timeout, size_t MaxBytes, std::string& Body) {
    char buffer[1025];
    for (;;) {
        // No wait may reach past the deadline.
        const DWORD left = Remaining(Deadline);
        if (left == 0) return false;
        if (left < Timeout) SetTimeouts(Request, left);
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(Request, &available)) return false;
        if (available == 0) return true;  // end of the body
        if (Remaining(Deadline) == 0) return false;
        DWORD read = 0;
        if (!WinHttpReadData(Request, buffer, std::min<DWORD>(available, sizeof(buffer)), &read)) return false;
        if (read == 0) return true;
        if (Body.size() + read > MaxBytes) return false;
        Body.append(buffer, read);
    }
}

}  // namespace

bool OnlineRequest(const TOnlineRequest& Request, TOnlineResponse& Response) {
    Response = TOnlineResponse();
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(Request.Timeout) * OnlineDeadlineFactor;
    THttpHandle session(OpenSession(Request.UserAgent));
    if (!session) return false;
    std::wstring url = Request.Url;
    std::wstring method = Request.Method;
    bool withBody = true;
    // Redirects are followed here, so that their number and their targets can be limited.
    for (int redirects = 0;; ++redirects) {
        TTarget target;
        if (!CrackWebUrl(url, target)) return false;
        const DWORD left = Remaining(deadline);
        if (left == 0) return false;
        const DWORD timeout = std::min(Request.Timeout, left);
        SetTimeouts(session.Get(), timeout);
        THttpHandle connection(WinHttpConnect(session.Get(), target.Host.c_str(), target.Port, 0));
        if (!connection) return false;
        // Always from the server: a proxy's cache must not answer in its place.
        DWORD flags = WINHTTP_FLAG_REFRESH;
        if (target.Secure) flags |= WINHTTP_FLAG_SECURE;
        THttpHandle request(WinHttpOpenRequest(connection.Get(), method.c_str(), target.Object.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
        if (!request) return false;
        SetTimeouts(request.Get(), timeout);
        // One request per connection: nothing is kept for later, so closing never waits on it.
        DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE;
        WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
        const std::string* body = withBody && !Request.Body.empty() ? &Request.Body : nullptr;
        const DWORD bodySize = body ? static_cast<DWORD>(body->size()) : 0;
        if (!WinHttpSendRequest(request.Get(),
                                Request.Headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : Request.Headers.c_str(),
                                static_cast<DWORD>(Request.Headers.size()),
                                body ? const_cast<char*>(body->data()) : WINHTTP_NO_REQUEST_DATA, bodySize, bodySize,
                                0) ||
            !WinHttpReceiveResponse(request.Get(), nullptr))
            return false;  // refused, unresolvable, timed out
        DWORD status = 0, size = sizeof(status);
        if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
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
        return ReadBody(request.Get(), deadline, timeout, Request.MaxBytes, Response.Body);
    }
}
