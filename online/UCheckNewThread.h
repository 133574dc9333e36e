// Small text documents over HTTP for the online services (update page, news page, advertisement
// answers), the temporary folder and file names their INI pages are saved under, and the update
// check's worker thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "fw_strings.h"
#include "fw_thread.h"
#include "uOnlineRequest.h"

// ---------------------------------------------------------------------------------------------
// Where the online services live.

// The product's web server, scheme and host without a trailing "/" ("http://www.veskreminder.com").
// Every service address is built from it when a fetch or post starts; tests point it at a local
// server. An empty text restores the real one.
std::wstring OnlineBaseUrl();
void SetOnlineBaseUrl(const std::wstring& Url);

// Time-out in milliseconds for connecting, sending and each read of a GET (the whole GET, with its
// redirects, has OnlineDeadlineFactor times as long): a server that accepts and then never
// answers, or answers a byte at a time, must not hold a worker thread (and whatever waits for it)
// for good.
DWORD HttpGetTimeout();
void SetHttpGetTimeout(DWORD Milliseconds);

// ---------------------------------------------------------------------------------------------
// Text fetch.

// The body of a GET of Url (a full "http://" or "https://" URL), always from the server and never
// into the Internet cache, taken as text in the system's ANSI code page up to its first zero byte.
// Empty on any failure, time-outs and redirect loops included; the status code is not examined, so
// an error page comes back as text. Blocking: call it from worker threads only. Each call has its
// own session; calls may run at the same time.
std::wstring HttpGetText(const std::wstring& Url);

// The most a GET keeps of a body; a longer body counts as a failure.
constexpr size_t HttpGetMaxBytes = OnlineMaxBodyBytes;

// True when Url may be handed to the browser: an "http://" or "https://" address (either case)
// with a host, without blanks, quotes or control characters. Addresses that come from a server
// are checked with it, so that an answer cannot make the program start commands or local files.
bool IsWebUrl(const std::wstring& Url);

// ---------------------------------------------------------------------------------------------
// Paths and names.

// 1-based position of the last occurrence of Ch (one character) in S; 0 when there is none.
int LastCharPos(const std::wstring& S, const std::wstring& Ch);
// The long (non-8.3) form of Path; empty when one of its components cannot be found. A path
// without a backslash past its first character (a bare drive "C:") comes back unchanged; a
// trailing backslash is kept.
std::wstring GetLongPath(const std::wstring& Path);
// The user's temporary folder in long form, ending in "\"; empty when it cannot be found.
std::wstring GetTempDir();
// N random lower-case letters; empty for N below 1.
std::wstring RandomName(int N);

// Saves a fetched INI page as a temporary file and returns its path: the temporary folder (or
// "c:\" when that still holds an unexpanded "%" variable), 8 random letters, ".ini"; the text is
// written in the ANSI code page followed by CR LF. Empty Text: nothing is made, the result is
// empty. FolderOut receives the folder as soon as it is chosen, also when it then turns out not
// to exist (the result is empty then). Raises fw::EOSError when the file cannot be written.
std::wstring SaveTempIni(const std::wstring& Text, std::wstring* FolderOut = nullptr);

// ---------------------------------------------------------------------------------------------
// Update check thread.

class TCheckUpdate;
using TUpdateResultEvent = std::function<void(fw::TObject* Sender, const std::wstring& IniPath, fw::TStrings* NewInfo,
                                              const std::wstring& NewGetUrl, int Build)>;

// Fetches the update information page, saves it as a temporary INI file (kept, its path goes to
// OnResult) and reads the newest build, the download page and the key names of "NewInfo".
// Created suspended at idle priority; OnBegin and OnResult run on the GUI thread.
class TCheckUpdate : public fw::TThread {
public:
    FW_CLASSNAME(TCheckUpdate)
    TCheckUpdate(int CurrentBuild, const std::wstring& Url);
    ~TCheckUpdate() override;

    // The running build at creation; after the fetch the page's build (unchanged without one).
    int Build = 0;
    // True while Execute runs.
    std::atomic<bool> Running{false};
    std::wstring CheckUrl;
    // The download page named by the update page (empty until fetched).
    std::wstring NewGetUrl;
    // The temporary INI file made from the page (empty when the page was empty).
    std::wstring IniPath;
    // Key names of the page's section "NewInfo".
    std::unique_ptr<fw::TStringList> NewInfo;
    fw::TNotifyEvent OnBegin;
    TUpdateResultEvent OnResult;
    // Build number of the running program, set by the starter; read by the result handler.
    int CurrentBuild = 0;

    // The page's address and the default download page on the product's web server.
    static std::wstring UpdatePageUrl();
    static std::wstring DefaultDownloadUrl();

protected:
    void Execute() override;
    // Fetches and reads the page into the fields (worker thread).
    void Fetch();
};

// ---------------------------------------------------------------------------------------------
// News check thread.

using TNewsEvent = std::function<void(fw::TObject* Sender, const std::wstring& Url, int MsgID,
                                      const std::wstring& LangCode, bool ShowAll, int FormWidth, int FormHeight)>;

// Fetches the news information page, reads its section "Msg" from a temporary copy (deleted
// right after) and reports the message through OnNews. Created suspended at normal priority;
// OnBegin and OnNews run on the GUI thread.
class TGetNews : public fw::TThread {
public:
    FW_CLASSNAME(TGetNews)
    // An empty Url fetches the fallback page.
    explicit TGetNews(const std::wstring& Url);

    // True while Execute runs.
    std::atomic<bool> Running{false};
    // The news web page to show.
    std::wstring Url;
    std::wstring CheckUrl;
    // The language the message is meant for; empty for every language.
    std::wstring LangCode;
    // 0 when there is no news.
    int MsgID = 0;
    bool ShowAll = false;
    // Size of the page content in pixels; 0 means the window's default size.
    int FormWidth = 0;
    int FormHeight = 0;
    fw::TNotifyEvent OnBegin;
    TNewsEvent OnNews;
    // The message already shown to this user, set by the starter.
    int NewsId = 0;

    // The news information page, the page fetched by a thread made without an address, and the
    // news page shown when the information page names none.
    static std::wstring NewsPageUrl();
    static std::wstring FallbackNewsPageUrl();
    static std::wstring DefaultNewsUrl();

protected:
    void Execute() override;
    // Fetches and reads the page into the fields (worker thread).
    void Fetch();
};
