// The one HTTP request of the online services: the text fetch, the picture download and the
// install-statistics post all go through it, so that every one of them has the same time-outs,
// the same limits and the same handling of redirects.
#pragma once
#include <windows.h>

#include <string>

// How often a request follows a redirect before it gives up: a server that sends the client
// round in a circle must not hold a worker thread for good.
constexpr int OnlineMaxRedirects = 5;
// The whole of a request may take this many times its time-out.
constexpr DWORD OnlineDeadlineFactor = 4;
// The most a request keeps of a body unless told otherwise: the documents are small, and a server
// must not be able to fill the memory.
constexpr size_t OnlineMaxBodyBytes = 8u * 1024u * 1024u;

struct TOnlineRequest {
    std::wstring Method = L"GET";
    // A full "http://" or "https://" address; any other scheme fails at once.
    std::wstring Url;
    // Further request header lines, each ending in CR LF.
    std::wstring Headers;
    // Sent as the User-Agent; an empty text sends none of the program's own.
    std::wstring UserAgent;
    // Request body (a form for a POST); sent only with the first request and with redirects that
    // keep the method (307, 308).
    std::string Body;
    // Time-out of connecting, sending and each wait for data, in milliseconds. The whole request,
    // redirects and body included, must be done within OnlineDeadlineFactor time-outs; later it is
    // a failure (a server sending a byte now and then, one redirect after another, or a body that
    // never ends, must not hold the thread). The call returns by then whatever the server does.
    DWORD Timeout = 15000;
    // The most kept of a body; a longer body is a failure.
    size_t MaxBytes = OnlineMaxBodyBytes;
    // Redirects followed at most, and only to "http://" or "https://" addresses.
    int MaxRedirects = OnlineMaxRedirects;
};

struct TOnlineResponse {
    // The status of the last answer (0 when none came).
    DWORD Status = 0;
    // The body of the last answer, whatever its status.
    std::string Body;
};

// Sends the request and reads the whole answer, always from the server (no cache answers for
// it). False on any failure: no connection, a time-out, the deadline passed, a body over the
// limit, too many redirects or one to another scheme. The status is not judged here. Blocking:
// call it from worker threads only; calls may run at the same time, each with its own session.
bool OnlineRequest(const TOnlineRequest& Request, TOnlineResponse& Response);
