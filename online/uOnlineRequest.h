// The one HTTP request of the online services: the text fetch, the picture download and the
// install-statistics post all go through it, so that every one of them has the same time-outs,
// the same limits and the same handling of redirects.
//
// It speaks WinINet, the Internet layer of the user's own browser settings: the proxy the user
// has set up (automatic detection, proxy scripts and proxy sign-in included), the cookies and the
// Internet cache apply to the program's requests as they do to the browser's.
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
    // "GET" is sent through InternetOpenUrlW; any other method (a form's "POST") through
    // InternetConnectW, HttpOpenRequestW and HttpSendRequestW.
    std::wstring Method = L"GET";
    // A full "http://" or "https://" address; any other scheme fails at once.
    std::wstring Url;
    // Further request header lines, each ending in CR LF.
    std::wstring Headers;
    // The session's user agent; an empty text is passed as such (never as a null pointer).
    std::wstring UserAgent;
    // Request body (a form for a POST); sent only with the first request and with redirects that
    // keep the method (307, 308).
    std::string Body;
    // False: always from the server and never into the Internet cache (texts, forms). True: the
    // cache may answer, and keeps what the server sends (pictures, which never change under one
    // address).
    bool UseCache = false;
    // Time-out of connecting, sending and each wait for data, in milliseconds. The whole request,
    // redirects and body included, must be done within OnlineDeadlineFactor time-outs; later it is
    // a failure (a server sending a byte now and then, one redirect after another, or a body that
    // never ends, must not hold the thread). The call returns by then whatever the server does.
    // (Wine's WinINet applies only the connect time-out to a GET; the deadline holds all the same.)
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

// Sends the request and reads the whole answer. False on any failure: no connection, a time-out,
// the deadline passed, a body over the limit, too many redirects or one to another scheme. The
// status is not judged here. Blocking: call it from worker threads only; calls may run at the
// same time, each with its own session.
//
// The WinINet calls run on a thread of the request's own, which owns the handles; the caller
// waits for it until the deadline at most. WinINet gives no bound of its own that holds: a server
// that sends its headers byte by byte keeps InternetOpenUrlW waiting, each read waits until its
// buffer is full, and closing a request whose body has not ended may first read the rest of it
// (Wine's WinINet does, for as long as the server keeps sending). So a request given up at its
// deadline is left to end and close on its own thread, which nothing waits for, not even the
// program's exit. A request that ended normally has its handles closed at once.
bool OnlineRequest(const TOnlineRequest& Request, TOnlineResponse& Response);

// Requests whose own thread still holds its WinINet handles: running, or given up by their caller
// and still closing.
int OnlineRequestsStillOpen();
