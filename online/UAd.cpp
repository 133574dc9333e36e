#include "UAd.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <cwchar>
#include <stdexcept>

#include "UCheckNewThread.h"
#include "fw_handles.h"
#include "uOnlineRequest.h"

using json = nlohmann::ordered_json;

namespace {

// Deeper than any answer the service sends (six levels); a deeper text is not an answer, and
// printing it back into the cache would recurse once per level.
constexpr int kMaxJsonDepth = 32;
// Longest picture name kept in the cache folder.
constexpr size_t kMaxCacheName = 128;

const wchar_t* const kAnswerCacheName = L"UpdateInfo.txt";
const wchar_t* const kConfigName = L"Ad.txt";

// A required member that is missing or of the wrong type ends the step at hand.
class EAdAnswer : public std::runtime_error {
public:
    EAdAnswer() : std::runtime_error("bad advertisement answer") {}
};

const json& Member(const json& Obj, const char* Key) {
    if (!Obj.is_object()) throw EAdAnswer();
    auto it = Obj.find(Key);
    if (it == Obj.end()) throw EAdAnswer();
    return *it;
}

// A text member. A whole number is taken as its decimal text: services built on script languages
// often send a version such as "adver" as a number.
std::wstring ReadStr(const json& Obj, const char* Key) {
    const json& v = Member(Obj, Key);
    if (v.is_number_unsigned()) return std::to_wstring(v.get<uint64_t>());
    if (v.is_number_integer()) return std::to_wstring(v.get<int64_t>());
    if (!v.is_string()) throw EAdAnswer();
    return fw::Utf8ToWide(v.get_ref<const std::string&>());
}

// A whole-number member. A text holding only a decimal whole number (optionally signed) counts as
// that number, as such services send values read from a database as texts, and so does a number
// written with a fraction of zero ("9.0"); any other text, a real fraction or a number out of
// range ends the step.
int ReadInt(const json& Obj, const char* Key) {
    const json& v = Member(Obj, Key);
    if (v.is_string()) {
        const std::string& t = v.get_ref<const std::string&>();
        size_t pos = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
        if (pos == t.size() || t.size() - pos > 10) throw EAdAnswer();
        int64_t value = 0;
        for (size_t k = pos; k < t.size(); ++k) {
            if (t[k] < '0' || t[k] > '9') throw EAdAnswer();
            value = value * 10 + (t[k] - '0');
        }
        if (t[0] == '-') value = -value;
        if (value < INT_MIN || value > INT_MAX) throw EAdAnswer();
        return int(value);
    }
    if (v.is_number_unsigned()) {
        auto u = v.get<uint64_t>();
        if (u > uint64_t(INT_MAX)) throw EAdAnswer();
        return int(u);
    }
    if (v.is_number_integer()) {
        auto i = v.get<int64_t>();
        if (i < INT_MIN || i > INT_MAX) throw EAdAnswer();
        return int(i);
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (!(d >= double(INT_MIN) && d <= double(INT_MAX)) || d != double(int64_t(d))) throw EAdAnswer();
        return int(d);
    }
    throw EAdAnswer();
}

// Nesting depth of a JSON text, counted without parsing (brackets inside strings do not count).
bool NestingWithin(const std::string& S, int MaxDepth) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (char c : S) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        else if (c == '[' || c == '{') {
            if (++depth > MaxDepth) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// Parses UTF-8 JSON text; false for anything that is not JSON, too big or too deep.
bool ParseJsonText(std::string Utf8, json& Out) {
    if (Utf8.size() >= 3 && static_cast<unsigned char>(Utf8[0]) == 0xEF &&
        static_cast<unsigned char>(Utf8[1]) == 0xBB && static_cast<unsigned char>(Utf8[2]) == 0xBF)
        Utf8.erase(0, 3);
    if (Utf8.size() > HttpGetMaxBytes || !NestingWithin(Utf8, kMaxJsonDepth)) return false;
    Out = json::parse(Utf8, nullptr, false);
    return !Out.is_discarded();
}

// The whole file, when it exists and is not larger than MaxBytes.
bool ReadSmallFile(const std::wstring& Path, size_t MaxBytes, std::string& Out) {
    fw::TKernelHandle h(CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    bool ok = false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.Get(), &size) && size.QuadPart >= 0 && uint64_t(size.QuadPart) <= MaxBytes) {
        Out.assign(size_t(size.QuadPart), '\0');
        DWORD read = 0;
        ok = Out.empty() || (ReadFile(h.Get(), Out.data(), DWORD(Out.size()), &read, nullptr) && read == Out.size());
    }
    return ok;
}

// Writes the file through a temporary neighbour and a rename, so that a reader (or a second
// download of the same picture) never sees half a file.
bool WriteFileReplacing(const std::wstring& Path, const void* Data, size_t Size) {
    const std::wstring tmp = Path + L"." + std::to_wstring(GetCurrentThreadId()) + L".tmp";
    fw::TKernelHandle h(
        CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    bool ok = WriteFile(h.Get(), Data, DWORD(Size), &written, nullptr) && written == Size;
    // Closed before the rename, and a failed close counts as a failed write.
    ok = CloseHandle(h.Release()) && ok;
    if (ok) ok = MoveFileExW(tmp.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileW(tmp.c_str());
    return ok;
}

// The cache file name of a picture address: the part after its last "/". The name comes from the
// server, so it is kept only when it is one plain file name inside the cache folder: no folder
// separators, drive or stream colons, wildcards, control characters, device names, short-name
// tildes, trailing dots or blanks, no name of the cache's own files, and not absurdly long.
// Empty when the name is not safe.
std::wstring CacheFileName(const std::wstring& ImgSrc) {
    const size_t slash = ImgSrc.rfind(L'/');
    std::wstring name = slash == std::wstring::npos ? ImgSrc : ImgSrc.substr(slash + 1);
    if (name.empty() || name.size() > kMaxCacheName) return L"";
    for (wchar_t c : name)
        if (c < 32 || c == 127 || std::wcschr(L"\\/:*?\"<>|~", c)) return L"";
    if (name.front() == L' ' || name.back() == L' ' || name.back() == L'.') return L"";
    std::wstring stem = fw::UpperCase(fw::TrimRight(name.substr(0, name.find(L'.'))));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* d : kDevices)
        if (stem == d) return L"";
    if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
        (std::iswdigit(stem[3]) || stem[3] == 0xB9 || stem[3] == 0xB2 || stem[3] == 0xB3))
        return L"";
    if (fw::SameText(name, kAnswerCacheName) || fw::SameText(name, kConfigName)) return L"";
    return name;
}

// Query values escaped: a language file path holds backslashes, blanks, "&" or "#", any of which
// would change what the server reads.
std::wstring EscapeQueryValue(const std::wstring& Value) {
    static const char* const kHex = "0123456789ABCDEF";
    std::wstring out;
    for (unsigned char c : fw::WideToUtf8(Value)) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += wchar_t(c);
        } else {
            out += L'%';
            out += wchar_t(kHex[c >> 4]);
            out += wchar_t(kHex[c & 15]);
        }
    }
    return out;
}

int HexPiece(const std::wstring& Text, size_t Pos) {
    if (Pos >= Text.size()) throw fw::EConvertError(L"'" + Text + L"' is not a valid colour");
    const std::wstring piece = Text.substr(Pos, 2);
    int value = 0;
    for (wchar_t c : piece) {
        int d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else throw fw::EConvertError(L"'" + Text + L"' is not a valid colour");
        value = value * 16 + d;
    }
    return value;
}

}  // namespace

// Reaches the reader from the threads' handlers while it lives.
struct TVeskADReader::TLink {
    TVeskADReader* Reader = nullptr;
};

// Reads the answer's advertisement data into the reader; a friend so that it can stop when a
// callback freed the items it walks.
struct TAdParser {
    static bool Parse(TVeskADReader& R, const json& Doc);
    static TagVeskAdInfo* ReadItem(const json& Obj, TagVeskAdInfo& Item);
};

TagVeskAdInfo* TAdParser::ReadItem(const json& Obj, TagVeskAdInfo& Item) {
    Item.Align = ReadInt(Obj, "align");
    Item.Frame = ReadInt(Obj, "frame");
    Item.Title = ReadStr(Obj, "title");
    Item.Tips = ReadStr(Obj, "tips");
    Item.Link = ReadStr(Obj, "link");
    if (!IsWebUrl(Item.Link)) Item.Link.clear();
    if (Item.Align != 5) Item.ImgSrc = ReadStr(Obj, "imgsrc");
    Item.FontColor = HexTextToColor(ReadStr(Obj, "fontcolor"));
    Item.FontColorOver = HexTextToColor(ReadStr(Obj, "fontcolorover"));
    Item.FontName = ReadStr(Obj, "fontname");
    Item.FontSize = ReadInt(Obj, "fontsize");
    Item.Interval = ReadInt(Obj, "interval");
    Item.Life = ReadInt(Obj, "life");
    const json& rect = Member(Obj, "rect");
    Item.Rect.Bottom = ReadInt(rect, "bottom");
    Item.Rect.Right = ReadInt(rect, "right");
    Item.Rect.Top = ReadInt(rect, "top");
    Item.Rect.Left = ReadInt(rect, "left");
    return &Item;
}

bool TAdParser::Parse(TVeskADReader& R, const json& Doc) {
    try {
        R.AdCheckUrl = ReadStr(Doc, "adcheckurl");
        R.AdId = ReadStr(Doc, "adid");
        R.Lang = ReadStr(Doc, "adlang");
        R.AdVer = ReadStr(Doc, "adver");
        R.AdRefresh = ReadInt(Doc, "adrefresh");
        const json& groups = Member(Doc, "adgroup");
        if (!groups.is_array()) return false;

        R.FreeAds();
        const unsigned generation = R.FGeneration;
        const int count = int(std::min<size_t>(groups.size(), INT_MAX));
        int entries = 0;
        for (int i = 0; i < count; ++i) {
            if (++entries > AdMaxEntries) return false;
            const json& g = groups[size_t(i)];
            R.AdGroup.push_back(std::make_unique<TagVeskAd>());
            TagVeskAd* group = R.AdGroup.back().get();
            group->Index = i;
            group->GroupCount = count;
            group->Kind = ReadInt(g, "kind");
            group->Page = ReadInt(g, "page");
            const json& infos = Member(g, "adinfo");
            if (!infos.is_array()) return false;
            for (size_t j = 0; j < infos.size(); ++j) {
                if (++entries > AdMaxEntries) return false;
                auto item = std::make_unique<TagVeskAdInfo>();
                item->Index = int(j);
                item->Kind = group->Kind;
                item->Page = group->Page;
                ReadItem(infos[j], *item);
                if (j == 0) {
                    group->Current = 0;
                    group->Life = item->Life;
                }
                TagVeskAdInfo* added = item.get();
                group->AdInfo.push_back(std::move(item));
                R.LoadAdImage(added);
                // The callback may have stopped the reader: the group is gone then.
                if (R.FGeneration != generation) return false;
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------------------------

fw::TColor HexTextToColor(const std::wstring& Text) {
    if (Text.empty()) return 0;
    if (Text.size() < 6) throw fw::EConvertError(L"'" + Text + L"' is not a valid colour");
    const int r = HexPiece(Text, 1), g = HexPiece(Text, 3), b = HexPiece(Text, 5);
    return fw::TColor(r + g * 256 + b * 65536);
}

std::unique_ptr<fw::TPngImage> DownloadPng(const std::wstring& Url) {
    if (!IsWebUrl(Url)) return nullptr;
    TOnlineRequest request;
    request.Url = Url;
    request.Headers = L"Accept-Charset: utf-8\r\n";
    // The Internet cache may serve the picture: pictures of one address never change.
    request.UseCache = true;
    request.Timeout = HttpGetTimeout();
    request.MaxBytes = AdPictureMaxBytes;
    TOnlineResponse response;
    if (!OnlineRequest(request, response) || response.Body.empty()) return nullptr;
    auto png = std::make_unique<fw::TPngImage>();
    if (!png->TryLoadFromMemory(reinterpret_cast<const uint8_t*>(response.Body.data()), response.Body.size()))
        return nullptr;
    return png;
}

// ---------------------------------------------------------------------------------------------

THttpReadThread::THttpReadThread(const std::wstring& AUrl) : fw::TThread(true), Url(AUrl) {}

void THttpReadThread::Execute() {
    Response = fw::WideToAnsi(HttpGetText(Url));
    Done = true;
}

TDownLoadImgThread::TDownLoadImgThread(TagVeskAdInfo* AAdInfo, unsigned AGeneration)
    : fw::TThread(true), AdInfo(AAdInfo), Generation(AGeneration) {}

void TDownLoadImgThread::Execute() {
    std::unique_ptr<fw::TPngImage> picture = DownloadPng(ImgSrc);
    if (!picture || picture->GetWidth() <= 0 || picture->GetHeight() <= 0) return;
    Png = std::move(picture);
    // A cache that cannot be written costs the next run a download, not this run its picture.
    if (!LocalFile.empty()) {
        try {
            const std::vector<uint8_t> bytes = Png->SaveToBytes();
            WriteFileReplacing(LocalFile, bytes.data(), bytes.size());
        } catch (...) {
        }
    }
    Done = true;
}

// ---------------------------------------------------------------------------------------------

TVeskADReader::TVeskADReader() : FLink(std::make_shared<TLink>()) {
    FLink->Reader = this;
}

TVeskADReader::~TVeskADReader() {
    FLink->Reader = nullptr;
    FreeAds();
}

void TVeskADReader::Start() {
    LoadAdConfig();
    const std::wstring url = BuildAdUrl();
    if (url.empty()) return;
    auto* thread = new THttpReadThread(url);
    thread->SetFreeOnTerminate(true);
    thread->SetPriority(fw::tpIdle);
    std::shared_ptr<TLink> link = FLink;
    thread->OnTerminate = [link](fw::TObject* Sender) {
        if (link->Reader) link->Reader->HttpDone(static_cast<THttpReadThread*>(Sender));
    };
    ++FRunning;
    thread->Resume();
}

void TVeskADReader::Stop() {
    Closing = true;
    FreeAds();
}

void TVeskADReader::FreeAds() {
    ++FGeneration;
    AdGroup.clear();
}

void TVeskADReader::LoadAdConfig() {
    bool ok = false;
    try {
        std::string bytes;
        json config;
        if (!CacheDir.empty() && ReadSmallFile(CacheDir + kConfigName, HttpGetMaxBytes, bytes) &&
            ParseJsonText(std::move(bytes), config)) {
            AdCheckUrl = ReadStr(config, "adcheckurl");
            AdVer = ReadStr(config, "adver");
            ok = true;
        }
    } catch (...) {
    }
    if (!ok) AdVer = L"0";
}

std::wstring TVeskADReader::BuildAdUrl() {
    if (AdCheckUrl.empty()) AdCheckUrl = OnlineBaseUrl() + L"/ad/ad1.php";
    if (Version.empty() || Lang.empty() || AdVer.empty()) return L"";
    return AdCheckUrl + L"?name=kfd&ver=" + EscapeQueryValue(Version) + L"&lang=" + EscapeQueryValue(Lang) +
           L"&adver=" + EscapeQueryValue(AdVer);
}

void TVeskADReader::HttpDone(THttpReadThread* Thread) {
    --FRunning;
    if (Thread->Done) ParseAdResponse(Thread->Response);
}

void TVeskADReader::ParseAdResponse(const std::string& Text) {
    try {
        if (Text.empty()) return;
        Json = Text;
        json answer;
        if (!ParseJsonText(fw::WideToUtf8(fw::AnsiToWide(Text)), answer)) return;
        Msg = ReadInt(answer, "msg");
        if (Msg == 2) {
            Stop();
            return;
        }
        json cached;
        const json* doc = &answer;
        if (Msg == 0) {
            std::string bytes;
            if (CacheDir.empty() || !ReadSmallFile(CacheDir + kAnswerCacheName, HttpGetMaxBytes, bytes)) return;
            if (!ParseJsonText(std::move(bytes), cached)) return;
            doc = &cached;
        }
        if (!TAdParser::Parse(*this, *doc)) return;
        if ((Msg == 1 || Msg == 3) && !CacheDir.empty()) {
            const std::string text = answer.dump(-1, ' ', true, json::error_handler_t::replace);
            WriteFileReplacing(CacheDir + kAnswerCacheName, text.data(), text.size());
        }
    } catch (...) {
    }
}

void TVeskADReader::LoadAdImage(TagVeskAdInfo* Item) {
    if (Item->ImgSrc.empty()) {
        NotifyAd(Item);
        return;
    }
    const std::wstring name = CacheFileName(Item->ImgSrc);
    Item->LocalFile = name.empty() || CacheDir.empty() || CacheDir.size() + name.size() + 16 >= MAX_PATH
                          ? std::wstring()
                          : CacheDir + name;
    Item->Png = std::make_unique<fw::TPngImage>();
    if (!Item->LocalFile.empty() && fw::FileExists(Item->LocalFile)) {
        // A cached picture that cannot be read (damaged on disk, or not a picture at all) is
        // fetched again, and the download replaces the file: kept as it is, it would hide this
        // item and every item after it on every run to come.
        bool loaded = false;
        try {
            Item->Png->LoadFromFile(Item->LocalFile);
            loaded = Item->Png->GetWidth() > 0 && Item->Png->GetHeight() > 0;
        } catch (...) {
        }
        if (loaded) {
            NotifyAd(Item);
            return;
        }
        Item->Png = std::make_unique<fw::TPngImage>();
    }
    auto* thread = new TDownLoadImgThread(Item, FGeneration);
    thread->ImgSrc = Item->ImgSrc;
    thread->LocalFile = Item->LocalFile;
    thread->SetFreeOnTerminate(true);
    thread->SetPriority(fw::tpIdle);
    std::shared_ptr<TLink> link = FLink;
    thread->OnTerminate = [link](fw::TObject* Sender) {
        if (link->Reader) link->Reader->ImageDone(static_cast<TDownLoadImgThread*>(Sender));
    };
    ++FRunning;
    thread->Resume();
}

void TVeskADReader::ImageDone(TDownLoadImgThread* Thread) {
    --FRunning;
    // Items freed meanwhile (the service said stop, or a newer answer replaced them) are gone.
    if (!Thread->Done || Thread->Generation != FGeneration) return;
    TagVeskAdInfo* item = Thread->AdInfo;
    item->Png = std::move(Thread->Png);
    NotifyAd(item);
}

void TVeskADReader::NotifyAd(TagVeskAdInfo* Item) {
    if (Item->Kind == 1 && Item->Index != 0) return;
    // A copy: the handler may replace the event while it runs.
    TVeskAdEvent handler = OnAd;
    if (handler) handler(this, Item);
}
