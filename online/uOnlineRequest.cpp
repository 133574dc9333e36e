#include "uOnlineRequest.h"

#include "fw_handles.h"

#include <wininet.h>

#include <process.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using TInternetHandle = fw::TOwnedHandle<HINTERNET, &InternetCloseHandle>;

std::atomic<int> StillOpen{0};

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
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
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

// One request between its caller and its own thread. The caller takes the answer when the thread
// is done by the deadline; otherwise it gives the request up and the thread stops at its next step.
class TExchange {
public:
    explicit TExchange(const TOnlineRequest& ARequest)
        : Request(ARequest),
          Deadline(GetTickCount64() + static_cast<ULONGLONG>(ARequest.Timeout) * OnlineDeadlineFactor),
          FDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    const TOnlineRequest Request;
    const ULONGLONG Deadline;

    bool Usable() const { return bool(FDone); }
    // Milliseconds the request may still take; 0 once the deadline has passed or the caller gave up.
    DWORD Left() const { return FGivenUp ? 0 : Remaining(Deadline); }

    // On the request's thread, when it has its outcome.
    void Finish(bool Ok, TOnlineResponse&& Response) {
        std::lock_guard<std::mutex> g(FLock);
        FOk = Ok;
        FResponse = std::move(Response);
        FFinished = true;
        SetEvent(FDone.Get());
    }

    // On the caller's thread: waits until the deadline at most, then takes the outcome or gives up.
    bool Await(TOnlineResponse& Response) {
        WaitForSingleObject(FDone.Get(), Remaining(Deadline));
        std::lock_guard<std::mutex> g(FLock);
        if (!FFinished) {
            FGivenUp = true;
            return false;
        }
        Response = std::move(FResponse);
        return FOk;
    }

private:
    fw::TKernelHandle FDone;
    std::atomic<bool> FGivenUp{false};
    std::mutex FLock;
    bool FFinished = false, FOk = false;
    TOnlineResponse FResponse;
};

// The handles of one request, closed request first. Closing a request whose body has not been
// read to its end may read the rest first.
struct THandles {
    TInternetHandle Session, Connection, Request;
    void CloseRequest() {
        Request.Reset();
        Connection.Reset();
    }
};

// Sends one request (no redirect followed) and leaves its handle in H.Request.
bool Send(THandles& H, const TOnlineRequest& R, const std::wstring& Url, const TTarget& Target,
          const std::wstring& Method, const std::string* Body, DWORD Timeout) {
    const wchar_t* headers = R.Headers.empty() ? nullptr : R.Headers.c_str();
    const DWORD headersLength = static_cast<DWORD>(R.Headers.size());
    // Redirects are followed by the caller, not by WinINet: left to itself it follows a server
    // that redirects to itself without end.
    DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (!R.UseCache) flags |= INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (Method == L"GET") {
        H.Request.Reset(InternetOpenUrlW(H.Session.Get(), Url.c_str(), headers, headersLength, flags, 0));
        return bool(H.Request);
    }
    H.Connection.Reset(InternetConnectW(H.Session.Get(), Target.Host.c_str(), Target.Port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0));
    if (!H.Connection) return false;
    if (Target.Secure) flags |= INTERNET_FLAG_SECURE;
    H.Request.Reset(
        HttpOpenRequestW(H.Connection.Get(), Method.c_str(), Target.Object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!H.Request) return false;
    // On the request itself too: Wine's WinINet takes only the connect time-out from the session.
    SetTimeouts(H.Request.Get(), Timeout);
    return HttpSendRequestW(H.Request.Get(), headers, headersLength, Body ? const_cast<char*>(Body->data()) : nullptr,
                            Body ? static_cast<DWORD>(Body->size()) : 0);
}

// Reads the body in 1025-byte pieces until its end. False on a failed read, a body over MaxBytes,
// the deadline or a caller that gave up.
bool ReadBody(HINTERNET Request, const TExchange& X, std::string& Body) {
    char buffer[1025];
    for (;;) {
        const DWORD left = X.Left();
        if (left == 0) return false;
        DWORD timeout = std::min(X.Request.Timeout, left);
        InternetSetOptionW(Request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
        DWORD read = 0;
        if (!InternetReadFile(Request, buffer, sizeof(buffer), &read)) return false;
        if (read == 0) return true;
        if (Body.size() + read > X.Request.MaxBytes) return false;
        Body.append(buffer, read);
    }
}

bool Perform(const TExchange& X, THandles& H, TOnlineResponse& Response) {
    const TOnlineRequest& r = X.Request;
    // The system's proxy settings; the agent text is never a null pointer.
    H.Session.Reset(InternetOpenW(r.UserAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!H.Session) return false;
    std::wstring url = r.Url;
    std::wstring method = r.Method;
    bool withBody = !r.Body.empty();
    for (int redirects = 0;; ++redirects) {
        TTarget target;
        if (!CrackWebUrl(url, target)) return false;
        const DWORD left = X.Left();
        if (left == 0) return false;
        const DWORD timeout = std::min(r.Timeout, left);
        SetTimeouts(H.Session.Get(), timeout);
        H.CloseRequest();
        if (!Send(H, r, url, target, method, withBody ? &r.Body : nullptr, timeout)) return false;  // refused, timed out
        DWORD status = 0, size = sizeof(status);
        if (!HttpQueryInfoW(H.Request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return false;
        Response.Status = status;
        if (IsRedirect(status)) {
            const std::wstring location = QueryLocation(H.Request.Get());
            if (!location.empty()) {
                if (redirects >= r.MaxRedirects) return false;
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
        return ReadBody(H.Request.Get(), X, Response.Body);
    }
}

unsigned __stdcall RequestThread(void* Parameter) {
    std::unique_ptr<std::shared_ptr<TExchange>> owner(static_cast<std::shared_ptr<TExchange>*>(Parameter));
    const std::shared_ptr<TExchange> x = std::move(*owner);
    {
        THandles handles;
        TOnlineResponse response;
        bool ok = false;
        try {
            ok = Perform(*x, handles, response);
        } catch (...) {
            ok = false;  // out of memory
        }
        x->Finish(ok, std::move(response));
        // The handles go only now, after the caller has its answer.
    }
    --StillOpen;
    return 0;
}

}  // namespace

bool OnlineRequest(const TOnlineRequest& Request, TOnlineResponse& Response) {
    Response = TOnlineResponse();
    auto exchange = std::make_shared<TExchange>(Request);
    if (!exchange->Usable()) return false;
    auto* parameter = new std::shared_ptr<TExchange>(exchange);
    ++StillOpen;
    // Started suspended so that it runs at the caller's priority: an idle worker's request stays idle.
    const auto thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RequestThread, parameter, CREATE_SUSPENDED, nullptr));
    if (!thread) {
        --StillOpen;
        delete parameter;
        return false;
    }
    SetThreadPriority(thread, GetThreadPriority(GetCurrentThread()));
    ResumeThread(thread);
    CloseHandle(thread);
    return exchange->Await(Response);
}

int OnlineRequestsStillOpen() { return StillOpen; }
