// The advertisement reader against a local service: items and their order, the cache, hostile
// names and links, broken answers, and items freed while their picture downloads.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "UAd.h"
#include "UCheckNewThread.h"
#include "fw_base.h"
#include "fw_png.h"
#include "local_http_server.h"
#include "file_support.h"
#include "skin_support.h"

using json = nlohmann::ordered_json;
using testsupport::Narrow;
using testsupport::PngBytes;
using testsupport::PumpMessagesFor;
using testsupport::PumpMessagesUntil;
using testsupport::THttpAnswer;

namespace {

json Item(const std::string& title, int align = 5, const std::string& imgsrc = "") {
    json j = {{"align", align}, {"frame", 1}, {"title", title}, {"tips", "tip " + title},
              {"link", "http://example.invalid/" + title}};
    if (!imgsrc.empty() || align != 5) j["imgsrc"] = imgsrc;
    j.update(json{{"fontcolor", "#0000FF"}, {"fontcolorover", ""}, {"fontname", "Tahoma"}, {"fontsize", 9},
                  {"interval", 7}, {"life", 30}, {"rect", {{"bottom", 100}, {"right", 180}, {"top", 2}, {"left", 3}}}});
    return j;
}

json Group(int kind, std::vector<json> items) {
    return json{{"kind", kind}, {"page", 4}, {"adinfo", json(std::move(items))}};
}

json Answer(int msg, std::vector<json> groups) {
    return json{{"msg", msg},         {"adcheckurl", "http://127.0.0.1:1/next.php"},
                {"adid", "set-9"},    {"adlang", "English"},
                {"adver", "41"},      {"adrefresh", 3600},
                {"adgroup", json(std::move(groups))}};
}

// The service's wire form: compact, non-ASCII as \u escapes (the body is read as ANSI text).
std::string Wire(const json& j) {
    return j.dump(-1, ' ', true);
}

struct Reported {
    std::wstring Title;
    int PngWidth, PngHeight;
};

class AdReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        cache_ = tmp_.Path() + L"\\data\\UpdateInfo\\";
        ASSERT_TRUE(fw::ForceDirectories(cache_));
        SetOnlineBaseUrl(server_.BaseUrl());
    }
    void TearDown() override { SetOnlineBaseUrl(L""); }

    std::unique_ptr<TVeskADReader> NewReader() {
        auto r = std::make_unique<TVeskADReader>();
        r->Version = L"1.22.59";
        r->Lang = L"C:\\Vesk Reminder\\Languages\\English.ini";
        r->CacheDir = cache_;
        r->OnAd = [this](fw::TObject* Sender, TagVeskAdInfo* Info) {
            reported_.push_back({Info->Title, Info->Png ? Info->Png->GetWidth() : -1,
                                 Info->Png ? Info->Png->GetHeight() : -1});
        };
        return r;
    }

    // Starts the reader and waits until its fetch and downloads have ended.
    void RunReader(TVeskADReader& r) {
        r.Start();
        ASSERT_TRUE(PumpMessagesUntil([&] { return r.RunningThreads() == 0; }, 20000));
    }

    std::vector<std::wstring> Titles() const {
        std::vector<std::wstring> t;
        for (const auto& r : reported_) t.push_back(r.Title);
        return t;
    }

    // What was reported, as "title=WxH" (-1x-1 without a picture).
    std::set<std::wstring> Shown() const {
        std::set<std::wstring> out;
        for (const auto& r : reported_)
            out.insert(r.Title + L"=" + std::to_wstring(r.PngWidth) + L"x" + std::to_wstring(r.PngHeight));
        return out;
    }
    int CachedWidth(const std::wstring& Name) const {
        fw::TPngImage cached;
        cached.LoadFromFile(cache_ + Name);
        return cached.GetWidth();
    }
    bool CachedAnswerExists() const { return fw::FileExists(cache_ + L"UpdateInfo.txt"); }

    testsupport::TempDir tmp_;
    std::wstring cache_;
    testsupport::TLocalHttpServer server_;
    std::vector<Reported> reported_;
};

// Every file below Dir (relative names), to show what was written where.
void ListFiles(const std::wstring& Dir, const std::wstring& Prefix, std::set<std::wstring>& Out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((Dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Out.insert(Prefix + name + L"\\");
            ListFiles(Dir + L"\\" + name, Prefix + name + L"\\", Out);
        } else {
            Out.insert(Prefix + name);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

}  // namespace

TEST_F(AdReaderTest, AnswerBodiesDecideWhatIsShownAndCached) {
    const std::string deep(200000, '[');
    std::vector<json> many;
    std::vector<std::wstring> manyShown;
    for (int k = 0; k < AdMaxEntries + 50; ++k) many.push_back(Item("t" + std::to_string(k)));
    // The group itself is one entry.
    for (int k = 0; k < AdMaxEntries - 1; ++k) manyShown.push_back(L"t" + std::to_wstring(k));
    json noLife = Item("second"), badColour = Item("third"), numbers = Item("numbers");
    noLife.erase("life");
    badColour["fontcolor"] = "#12";
    // Numbers may come as texts.
    numbers["align"] = "5";
    numbers["fontsize"] = "-11";
    numbers["rect"]["right"] = "+150";
    numbers["interval"] = 9.0;
    json textNumbers = Answer(4, {Group(0, {numbers})});
    textNumbers["adrefresh"] = "7200";
    textNumbers["adver"] = 42;
    const std::vector<std::wstring> none, good{L"good"}, first{L"first"};
    struct TCase {
        std::string Body;
        std::vector<std::wstring> Shown;
        bool Cached;
        std::function<void(TVeskADReader&)> Check = nullptr;
    };
    std::vector<TCase> cases = {
        // Broken answers fail silently.
        {"not json at all", none, false},
        {"{\"adcheckurl\":\"x\"}", none, false},
        {"{\"msg\":\"one\"}", none, false},  // the number rules: below, with the font size
        {deep, none, false},
        {"{\"msg\":1,\"adgroup\":" + deep + "}", none, false},
        {"{\"msg\":1,\"adcheckurl\":\"http://127.0.0.1:1/a.php\"", none, false},
        {std::string(HttpGetMaxBytes + 10, ' ') + Wire(Answer(1, {Group(0, {Item("huge")})})), none, false},
        // Inside a group: the items before a broken one stay and are shown, nothing is cached.
        {Wire(Answer(1, {Group(0, {Item("first"), noLife, Item("fourth")})})), first, false},
        {Wire(Answer(1, {Group(0, {Item("first"), badColour, Item("fourth")})})), first, false},
        {Wire(Answer(1, {Group(0, many)})), manyShown, false},  // stops at the limit
        // Only the first item for kind 1; msg 3 is cached like 1.
        {Wire(Answer(3, {Group(1, {Item("a0"), Item("a1"), Item("a2")}), Group(0, {Item("b0"), Item("b1")})})),
         {L"a0", L"b0", L"b1"}, true},
        // Another message is used without caching.
        {Wire(textNumbers), {L"numbers"}, false,
         [](TVeskADReader& r) {
             EXPECT_EQ(r.Msg, 4);
             EXPECT_EQ(r.AdRefresh, 7200);
             EXPECT_EQ(r.AdVer, L"42");
             const TagVeskAdInfo& i = *r.AdGroup.at(0)->AdInfo.at(0);
             EXPECT_EQ(i.FontSize, -11);
             EXPECT_EQ(i.Rect.Right, 150);
             EXPECT_EQ(i.Interval, 9);
         }},
        // The service says stop; or nothing changed, but there is no cache.
        {"{\"msg\":2,\"adgroup\":[]}", none, false, [](TVeskADReader& r) { EXPECT_TRUE(r.Closing); }},
        {"{\"msg\":0}", none, false, [](TVeskADReader& r) { EXPECT_FALSE(r.Closing); }},
    };
    // A text that is not a whole number is no number.
    for (const json& bad : {json("5px"), json("99999999999"), json(1.5), json(nullptr)}) {
        json broken = Item("bad");
        broken["fontsize"] = bad;
        cases.push_back({Wire(Answer(1, {Group(0, {Item("good"), broken})})), good, false});
    }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Body.substr(0, 60));
        DeleteFileW((cache_ + L"UpdateInfo.txt").c_str());
        reported_.clear();
        server_.Set("/ad/ad1.php", c.Body);
        auto r = NewReader();
        RunReader(*r);
        EXPECT_EQ(Titles(), c.Shown);
        EXPECT_EQ(CachedAnswerExists(), c.Cached);
        if (c.Check) c.Check(*r);
    }
}

TEST_F(AdReaderTest, TheSettingsFileChoosesTheServiceAndTheDataVersionAskedFor) {
    const std::string base = Narrow(server_.BaseUrl());
    const std::string query = "?name=kfd&ver=1.22.59&lang=C%3A%5CVesk%20Reminder%5CLanguages%5CEnglish.ini&adver=";
    server_.SetFallback("{\"msg\":2}");
    const struct {
        const char* Name;
        std::string Text;  // of "Ad.txt"; none when empty
        std::string Target;
    } rows[] = {
        {"none", "", "/ad/ad1.php" + query + "0"},
        {"utf-8", "{\"adcheckurl\":\"" + base + "/elsewhere/ad.php\",\"adver\":\"v\xC3\xA9\"}",
         "/elsewhere/ad.php" + query + "v%C3%A9"},
        // Damaged: an address read before the damage stays; the version asked for is "0".
        {"no version", "{\"adcheckurl\":\"" + base + "/other.php\"}", "/other.php" + query + "0"},
        {"not json", "adver=7", "/ad/ad1.php" + query + "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        DeleteFileW((cache_ + L"Ad.txt").c_str());
        if (!row.Text.empty()) testsupport::WriteFileBytes(cache_ + L"Ad.txt", row.Text);
        RunReader(*NewReader());
        EXPECT_EQ(server_.Targets().back(), row.Target);
    }
}

TEST_F(AdReaderTest, NewAnswerIsReportedAndCachedAsAsciiWithItsPicturesAndServesTheNextRun) {
    const std::string base = Narrow(server_.BaseUrl());
    server_.Set("/img/banner.png", PngBytes(6, 4));
    server_.Set("/pics/deep/logo.png", PngBytes(8, 2));
    json banner = Item("Caf\xC3\xA9 \xE2\x98\x95", 0, base + "/img/banner.png");
    banner["link"] = "https://127.0.0.1/shop";
    json text = Item("text", 5, "/img/never.png");  // text only: the picture is not read
    text["link"] = "file:///C:/Windows/notepad.exe";
    json logo = Item("logo", 1, base + "/pics/deep/logo.png");
    logo["link"] = "C:\\Windows\\system32\\cmd.exe";
    const json answer = Answer(1, {Group(0, {banner, text, logo})});
    server_.Set("/ad/ad1.php", Wire(answer));
    auto r = NewReader();
    RunReader(*r);
    ASSERT_EQ(reported_.size(), 3u);
    // The text item is reported at once; pictures as their downloads end.
    EXPECT_EQ(reported_[0].Title, L"text");
    EXPECT_EQ(Shown(), (std::set<std::wstring>{L"Caf\u00e9 \u2615=6x4", L"logo=8x2", L"text=-1x-1"}));
    EXPECT_EQ(server_.Count("/img/never.png"), 0);
    EXPECT_EQ(CachedWidth(L"banner.png"), 6);
    EXPECT_EQ(CachedWidth(L"logo.png"), 8);
    EXPECT_EQ(r->AdCheckUrl + L" " + r->AdId + L" " + r->Lang + L" " + r->AdVer + L" " + std::to_wstring(r->AdRefresh),
              L"http://127.0.0.1:1/next.php set-9 English 41 3600");
    ASSERT_EQ(r->AdGroup.size(), 1u);
    const auto& infos = r->AdGroup[0]->AdInfo;
    // Only web addresses survive as click targets.
    EXPECT_EQ(infos.at(0)->Link + L"|" + infos.at(1)->Link + L"|" + infos.at(2)->Link, L"https://127.0.0.1/shop||");
    EXPECT_EQ(infos[2]->Index, 2);
    EXPECT_EQ(infos[2]->FontColor, 0x00FF0000);  // "#0000FF"
    EXPECT_EQ(infos[2]->Rect, fw::TRect(3, 2, 180, 100));
    // The cache holds the answer compact, in its member order, as plain ASCII.
    EXPECT_EQ(testsupport::ReadText(cache_ + L"UpdateInfo.txt"), Wire(answer));

    // The next run is told nothing changed: the cached answer and pictures serve, in answer order.
    server_.Set("/ad/ad1.php", "{\"msg\":0}");
    reported_.clear();
    r = NewReader();
    RunReader(*r);
    EXPECT_EQ(server_.Count("/img/"), 1);
    EXPECT_EQ(server_.Count("/pics/"), 1);
    ASSERT_EQ(Titles(), (std::vector<std::wstring>{L"Caf\u00e9 \u2615", L"text", L"logo"}));
    EXPECT_EQ(reported_[2].PngWidth, 8);
    EXPECT_EQ(r->AdVer, L"41");
}

TEST_F(AdReaderTest, DamagedPicturesAreFetchedAgainMissingOrNonPngOnesNeverShownOneFetchedTwiceCachedWhole) {
    const std::string base = Narrow(server_.BaseUrl());
    testsupport::WriteFileBytes(cache_ + L"banner.png", std::string("\x89PNG\r\n\x1a\ntruncated"));
    testsupport::WriteFileBytes(cache_ + L"empty.png", std::string());
    server_.Set("/img/banner.png", PngBytes(6, 4));
    server_.Set("/img/empty.png", PngBytes(2, 9));
    server_.Set("/img/page.png", "<html>moved</html>");
    server_.Set("/img/twice.png", PngBytes(9, 3), 200);
    server_.Set("/ad/ad1.php",
                Wire(Answer(1, {Group(0, {Item("banner", 0, base + "/img/banner.png"),
                                          Item("empty", 1, base + "/img/empty.png"), Item("after"),
                                          Item("bad", 0, base + "/img/page.png"),
                                          Item("missing", 0, base + "/img/gone.png"),
                                          Item("one", 2, base + "/img/twice.png"),
                                          Item("two", 3, base + "/img/twice.png")})})));
    RunReader(*NewReader());
    // The items after the damaged pictures are still read, and the pictures come from the server.
    EXPECT_EQ(Shown(), (std::set<std::wstring>{L"banner=6x4", L"empty=2x9", L"after=-1x-1", L"one=9x3", L"two=9x3"}));
    EXPECT_EQ(server_.Count("/img/twice.png"), 2);
    EXPECT_EQ(CachedWidth(L"banner.png"), 6);
    EXPECT_EQ(CachedWidth(L"empty.png"), 2);
    EXPECT_EQ(CachedWidth(L"twice.png"), 9);
    // Written through temporary files: nothing else is left.
    std::set<std::wstring> files;
    ListFiles(tmp_.Path(), L"", files);
    EXPECT_EQ(files, (std::set<std::wstring>{L"data\\", L"data\\UpdateInfo\\", L"data\\UpdateInfo\\UpdateInfo.txt",
                                             L"data\\UpdateInfo\\banner.png", L"data\\UpdateInfo\\empty.png",
                                             L"data\\UpdateInfo\\twice.png"}));
}

TEST_F(AdReaderTest, HostilePictureNamesNeverLeaveTheCacheFolder) {
    const std::string base = Narrow(server_.BaseUrl());
    server_.SetFallback(PngBytes(3, 3));
    const std::vector<std::string> names = {"..", "..\\..\\evil1.png", "C:evil2.png", "C:\\evil3.png",
                                            std::string(300, 'a') + ".png", "UpdateInfo.txt", "Ad.txt",
                                            "UPDATE~1.TXT", "CON.png", "lpt1", "evil4.png.", "ok.png"};
    std::vector<json> items;
    for (size_t k = 0; k < names.size(); ++k) items.push_back(Item("i" + std::to_string(k), 0, base + "/img/" + names[k]));
    const json answer = Answer(1, {Group(0, items)});
    server_.Set("/ad/ad1.php", Wire(answer));

    auto r = NewReader();
    RunReader(*r);
    // Unsafe names are shown, never stored; an address with a backslash is not fetched at all.
    const size_t fetchable =
        std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.find('\\') == std::string::npos; });
    EXPECT_EQ(reported_.size(), fetchable);
    for (const auto& info : r->AdGroup[0]->AdInfo)
        EXPECT_EQ(info->LocalFile.empty(), info->Title != L"i" + std::to_wstring(names.size() - 1)) << Narrow(info->Title);

    std::set<std::wstring> files;
    ListFiles(tmp_.Path(), L"", files);
    EXPECT_EQ(files, (std::set<std::wstring>{L"data\\", L"data\\UpdateInfo\\", L"data\\UpdateInfo\\UpdateInfo.txt",
                                             L"data\\UpdateInfo\\ok.png"}));
    EXPECT_EQ(testsupport::ReadText(cache_ + L"UpdateInfo.txt"), Wire(answer));
}

TEST_F(AdReaderTest, ItemsFreedDuringDownloadAreLeftAlone) {
    const std::string base = Narrow(server_.BaseUrl());
    server_.Set("/img/slow.png", PngBytes(5, 5), 600);
    server_.Set("/ad/ad1.php", Wire(Answer(1, {Group(0, {Item("slow", 0, base + "/img/slow.png")})})));

    // The service says stop while the picture is on its way.
    auto r = NewReader();
    r->Start();
    ASSERT_TRUE(PumpMessagesUntil([&] { return !r->AdGroup.empty(); }, 10000));
    r->ParseAdResponse("{\"msg\":2}");
    ASSERT_TRUE(PumpMessagesUntil([&] { return r->RunningThreads() == 0; }, 10000));
    EXPECT_TRUE(reported_.empty());

    // The reader goes while the picture is on its way.
    server_.Set("/img/slow2.png", PngBytes(5, 5), 600);
    server_.Set("/ad/ad1.php", Wire(Answer(1, {Group(0, {Item("slow2", 0, base + "/img/slow2.png")})})));
    fw::TPngImage* seen = nullptr;
    r = NewReader();
    r->OnAd = [&](fw::TObject*, TagVeskAdInfo* Info) { seen = Info->Png.get(); };
    r->Start();
    ASSERT_TRUE(PumpMessagesUntil([&] { return !r->AdGroup.empty(); }, 10000));
    r.reset();
    EXPECT_TRUE(PumpMessagesUntil([&] { return fw::FileExists(cache_ + L"slow2.png"); }, 10000));
    PumpMessagesFor(300);
    EXPECT_EQ(seen, nullptr);
}

TEST_F(AdReaderTest, DownloadPngTakesOnlyWebPicturesOfSaneSizeInTime) {
    testsupport::THttpTimeoutGuard timeout(300);
    server_.Set("/p.png", PngBytes(4, 7));
    server_.Set("/big.png", std::string(AdPictureMaxBytes + 1, 'x'));
    // Each byte well within the time-out; the whole picture would take seconds.
    server_.Set("/slow.png", THttpAnswer{THttpAnswer::Trickle, 200, PngBytes(4, 4)});
    auto png = DownloadPng(server_.BaseUrl() + L"/p.png");
    const bool big = bool(DownloadPng(server_.BaseUrl() + L"/big.png"));
    const bool slow = bool(DownloadPng(server_.BaseUrl() + L"/slow.png"));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->GetHeight(), 7);
    EXPECT_FALSE(big);
    EXPECT_FALSE(slow);
    EXPECT_FALSE(DownloadPng(L"file:///C:/windows/win.ini"));
    EXPECT_EQ(server_.Count("/"), 3);
}
