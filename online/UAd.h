// The advertisement reader: once per run it asks the advertisement service what to show, parses
// the JSON answer into groups of items, keeps the answer and the pictures in a cache folder, and
// hands every item that is ready to a callback on the GUI thread.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fw_base.h"
#include "fw_classes.h"
#include "fw_png.h"
#include "fw_thread.h"

// One advertisement item of the answer.
struct TagVeskAdInfo {
    int Index = 0;         // position in its group, the first item is 0
    int Align = 0;         // layout 0..5 of the panel; 5 = text only
    int Frame = 0;
    std::wstring ImgSrc;   // picture address; never read for a text-only item
    int Interval = 0;
    int Life = 0;
    // Where a click leads. Only web addresses (http, https) are kept: anything else the server
    // sends is dropped here, so the panel can never be made to start a program or open a file.
    std::wstring Link;
    std::wstring Title;
    std::wstring Tips;
    fw::TRect Rect;        // placement inside the panel
    int Page = 0;          // the group's
    int Kind = 0;          // the group's
    std::wstring FontName;
    int FontSize = 0;
    fw::TColor FontColor = 0;
    fw::TColor FontColorOver = 0;
    // The picture, made when the item's picture is looked for; filled once loaded or downloaded.
    std::unique_ptr<fw::TPngImage> Png;
    // Path of the picture in the cache folder; empty when the picture's name from the server is
    // not a safe file name (the picture is then downloaded every run and never stored).
    std::wstring LocalFile;
};
using PVeskAdInfo = TagVeskAdInfo*;

// One advertisement group.
struct TagVeskAd {
    int Index = 0;
    int Kind = 0;          // 1: only the first item is shown
    int Page = 0;
    int GroupCount = 0;
    int Current = 0;
    int Life = 0;          // the first item's
    std::vector<std::unique_ptr<TagVeskAdInfo>> AdInfo;
};
using PVeskAd = TagVeskAd*;

// Called on the GUI thread with the reader and an item whose picture (when it has one) is loaded.
// The item belongs to the reader; the callee copies what it needs. The callee must not free the
// reader: items may be reported while the reader is still walking the answer.
using TVeskAdEvent = std::function<void(fw::TObject* Sender, TagVeskAdInfo* AdInfo)>;

// "#RRGGBB" to a colour (0x00BBGGRR); an empty text is black. The first character is skipped
// whatever it is. A shorter text or one that is not hexadecimal raises fw::EConvertError.
fw::TColor HexTextToColor(const std::wstring& Text);

// Downloads a PNG picture (blocking, worker threads only), with the time-outs, the deadline and
// the redirect limit of the text fetch. None when the address is not a web address, nothing
// arrives in time, the body is too big, or it is not a valid PNG.
std::unique_ptr<fw::TPngImage> DownloadPng(const std::wstring& Url);

// The most a picture download keeps; a longer body is not a picture the panel could show.
constexpr size_t AdPictureMaxBytes = 4u * 1024u * 1024u;
// The most groups plus items one answer may hold: the panel shows one item at a time, and every
// uncached picture costs a thread.
constexpr int AdMaxEntries = 256;

class TVeskADReader;

// Fetches the service's answer.
class THttpReadThread : public fw::TThread {
public:
    FW_CLASSNAME(THttpReadThread)
    explicit THttpReadThread(const std::wstring& AUrl);
    std::wstring Url;
    // The answer in the system's ANSI code page.
    std::string Response;
    // True once the fetch step finished without error.
    bool Done = false;

protected:
    void Execute() override;
};

// Downloads one picture. The worker fills only its own picture and writes the cache file; the
// picture reaches the item on the GUI thread, in the reader's handler, and only while the item
// still exists.
class TDownLoadImgThread : public fw::TThread {
public:
    FW_CLASSNAME(TDownLoadImgThread)
    TDownLoadImgThread(TagVeskAdInfo* AAdInfo, unsigned AGeneration);
    // The item to fill (owned by the reader; never touched on the worker).
    TagVeskAdInfo* AdInfo;
    // The reader's generation of items when the download began.
    unsigned Generation;
    std::wstring ImgSrc;
    std::wstring LocalFile;
    std::unique_ptr<fw::TPngImage> Png;
    bool Done = false;

protected:
    void Execute() override;
};

class TVeskADReader : public fw::TObject {
public:
    FW_CLASSNAME(TVeskADReader)
    TVeskADReader();
    ~TVeskADReader() override;

    std::wstring Version;
    int Msg = 0;
    std::wstring AdVer;
    std::wstring Lang;
    int AdRefresh = 86400;
    // The last answer as received (ANSI).
    std::string Json;
    std::wstring AdCheckUrl;
    std::wstring AdId;
    bool Closing = false;
    std::vector<std::unique_ptr<TagVeskAd>> AdGroup;
    // The cache folder, with a trailing backslash.
    std::wstring CacheDir;
    TVeskAdEvent OnAd;

    // Reads "Ad.txt", builds the request and starts the fetch (GUI thread).
    void Start();
    // The service said to stop: no advertisements this run.
    void Stop();
    void FreeAds();
    void LoadAdConfig();
    // The request address; empty when the version, language or data version is missing.
    std::wstring BuildAdUrl();
    // Parses an answer (GUI thread). Never raises.
    void ParseAdResponse(const std::string& Text);
    void LoadAdImage(TagVeskAdInfo* Item);
    void NotifyAd(TagVeskAdInfo* Item);

    // Worker threads of this reader that have not ended yet.
    int RunningThreads() const { return FRunning; }

private:
    friend struct TAdParser;
    struct TLink;
    void HttpDone(THttpReadThread* Thread);
    void ImageDone(TDownLoadImgThread* Thread);

    // Shared with the threads' handlers: cleared when the reader goes, so a late handler leaves
    // it alone.
    std::shared_ptr<TLink> FLink;
    // Changes whenever the items are freed: a download begun for an item of an older generation
    // finds its item gone.
    unsigned FGeneration = 0;
    int FRunning = 0;
};
