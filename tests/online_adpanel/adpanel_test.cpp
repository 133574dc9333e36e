// The advertisement panel on a picture control: layouts, hover colour, items replacing each other,
// the click, and the starter against a local service (also an item arriving after its window).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "PublicFuns.h"
#include "UAd.h"
#include "UCheckNewThread.h"
#include "VeskImage.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "local_http_server.h"
#include "skin_support.h"
#include "uRemindAd.h"
#include "window_test.h"

using namespace fw;
using testsupport::DibSurface;
using testsupport::Narrow;
using testsupport::PngBytes;
using testsupport::PumpMessagesUntil;

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kGrey = RGB(0x40, 0x40, 0x40), kRed = RGB(255, 0, 0),
               kGreen = RGB(0, 255, 0);
const TColor kTitle = 0x00FF0000;  // blue
const TColor kTitleOver = 0x00008000;  // dark green
const int kPanelLeft = 10, kPanelTop = 10, kPanelW = 202, kPanelH = 100;
const TRect kPanel(0, 0, kPanelW, kPanelH);
const TRect kNoInk(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
const wchar_t* const kFont = L"Tahoma";
const int kFontSize = 14;

std::unique_ptr<TPngImage> SolidPng(int w, int h, COLORREF c = kRed) { return testsupport::Strip(w, h, {c}); }

std::unique_ptr<TagVeskAdInfo> Item(int align, const TRect& rect, std::unique_ptr<TPngImage> png,
                                    const std::wstring& title = L"HIH") {
    auto i = std::make_unique<TagVeskAdInfo>();
    i->Align = align, i->Rect = rect, i->Png = std::move(png), i->Title = title;
    i->Link = L"http://example.invalid/ad", i->Tips = L"tip", i->Frame = 3, i->Interval = 9;
    i->FontName = kFont, i->FontSize = kFontSize, i->FontColor = kTitle, i->FontColorOver = kTitleOver;
    return i;
}

// Pixel measures of the title font, taken on a canvas of their own.
struct TitleMetrics {
    int HeightOfA, Width, Height;
};
TitleMetrics Measure(const std::wstring& title) {
    DibSurface dib(4, 4);
    TCanvas c(dib.Dc());
    c.GetFont()->SetName(kFont);
    c.GetFont()->SetSize(kFontSize);
    TitleMetrics m{c.TextHeight(L"a"), c.TextWidth(title), c.TextHeight(title)};
    c.SetHandle(nullptr);
    return m;
}

// The smallest rectangle holding every pixel of R that is neither white nor red (the title's ink).
TRect InkBox(const DibSurface& dib, const TRect& r) {
    TRect box = kNoInk;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const COLORREF c = dib.Color(x, y);
            if (c == kWhite || c == kRed) continue;
            box.Left = std::min<LONG>(box.Left, x);
            box.Top = std::min<LONG>(box.Top, y);
            box.Right = std::max<LONG>(box.Right, x + 1);
            box.Bottom = std::max<LONG>(box.Bottom, y + 1);
        }
    return box;
}

// Where the title's ink lands when drawn into T on a white surface of the panel's size.
TRect ExpectedInk(const std::wstring& title, TRect T, TColor color = kTitle, int size = kFontSize) {
    DibSurface dib(kPanelW, kPanelH, 0xFFFFFFFF);
    TCanvas c(dib.Dc());
    c.GetBrush()->SetStyle(bsClear);
    c.GetFont()->SetName(kFont);
    c.GetFont()->SetSize(size);
    c.GetFont()->SetColor(color);
    c.DrawText(title, T, DT_LEFT | DT_END_ELLIPSIS);
    c.SetHandle(nullptr);
    return InkBox(dib, kPanel);
}

class AdPanelTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        AdInfo.Clear();
        AdHover = false;
        SetWindowsVersionSource([](DWORD& major, DWORD& minor) { major = 6, minor = 1; });
        SetShellLauncher([this](HWND, const std::wstring& verb, const std::wstring& file, const std::wstring&, int) {
            Launched.push_back(verb + L" " + file);
        });
        Form = NewForm(240, 130, kGrey);
        Alive = Form->AliveToken();
        Image = testsupport::AddControl<TVeskImage>(Form, kPanelLeft, kPanelTop, kPanelW, kPanelH);
        Image->SetColor(clWhite);
        Image->SetStretch(true);
        // The visible window's handlers, as one-line forwards.
        Image->OnAfterPaint = [this](TObject*, TCanvas* c) {
            ++Paints;
            PaintAd(Image, c);
        };
        Image->OnMouseEnter = [](TObject* s) { AdMouseEnter(s); };
        Image->OnMouseLeave = [](TObject* s) { AdMouseLeave(s); };
        Image->OnClick = [](TObject*) { AdClick(); };
    }
    void TearDown() override {
        AdInfo.Clear();
        AdHover = false;
        SetShellLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
        WindowTest::TearDown();
    }
    void Arrive(const TagVeskAdInfo& item) { AdItemArrived(Image, &item); }
    void Arrive(int align, const TRect& rect, std::unique_ptr<TPngImage> png, const std::wstring& title = L"HIH") {
        Arrive(*Item(align, rect, std::move(png), title));
    }
    // The panel's pixels (panel coordinates).
    std::unique_ptr<DibSurface> Render() {
        auto form = testsupport::Render(Form);
        auto panel = std::make_unique<DibSurface>(kPanelW, kPanelH);
        BitBlt(panel->Dc(), 0, 0, kPanelW, kPanelH, form->Dc(), kPanelLeft, kPanelTop, SRCCOPY);
        return panel;
    }
    // Red exactly covers R.
    void ExpectPictureAt(const DibSurface& dib, const TRect& r) {
        EXPECT_EQ(dib.CountColor(r, kRed), r.Width() * r.Height());
        EXPECT_EQ(dib.CountColor(kPanel, kRed), r.Width() * r.Height());
    }
    bool Blank() { return Render()->CountColor(kPanel, kWhite) == kPanelW * kPanelH; }
    int TitleInk(const DibSurface& dib, TColor c) { return dib.CountColor(kPanel, COLORREF(c)); }

    testsupport::TPlainForm* Form = nullptr;
    TVeskImage* Image = nullptr;
    std::shared_ptr<bool> Alive;
    std::vector<std::wstring> Launched;
    int Paints = 0;
};

TEST_F(AdPanelTest, EachLayoutPlacesPictureAndTitleAlsoAtTheEndsOfTheNumberRange) {
    const TitleMetrics m = Measure(L"HIH"), m7 = Measure(L"HIHIHIH");
    ASSERT_GT(m7.Width, 40);
    const struct {
        int Align;
        TRect Rect;
        SIZE Png;  // {0, 0}: no picture
        std::wstring Title;
        TRect Picture, TitleRect;  // where the title is drawn; kNoInk: no title
    } cases[] = {
        // Picture left, title right, centred on the picture by the height of an "a".
        {0, TRect(0, 0, 120, 100), {60, 40}, L"HIH", TRect(0, 0, 60, 40),
         TRect(60, std::abs(40 - m.HeightOfA) / 2, 180, 100)},
        // Picture above, title below, at the item's offset.
        {1, TRect(20, 5, 200, 100), {50, 30}, L"HIH", TRect(20, 5, 70, 35), TRect(20, 35, 200, 100)},
        // Title left, the picture follows the whole title even when the title is cut.
        {2, TRect(10, 0, 50, 100), {30, 20}, L"HIHIHIH", TRect(10 + m7.Width, 0, 10 + m7.Width + 30, 20),
         TRect(10, std::abs(20 - m7.HeightOfA) / 2, 50, 100)},
        // Title above, picture below.
        {3, TRect(5, 2, 150, 100), {40, 20}, L"HIH", TRect(5, 2 + m.Height, 45, 2 + m.Height + 20),
         TRect(5, 2, 150, 100)},
        // Picture only, stretched over the panel, without title.
        {4, TRect(30, 30, 60, 60), {20, 10}, L"HIH", kPanel, kNoInk},
        // Without a picture the layouts with a title turn title-only; picture-only draws nothing.
        {0, TRect(4, 4, 200, 100), {0, 0}, L"HIH", TRect(), TRect(4, 4, 200, 100)},
        {3, TRect(4, 4, 200, 100), {0, 0}, L"HIH", TRect(), TRect(4, 4, 200, 100)},
        {4, TRect(4, 4, 200, 100), {0, 0}, L"HIH", TRect(), kNoInk},
        // Ends of the number range: no overflowing sums; a title outside the panel is not drawn.
        {0, TRect(0, 0, INT_MAX, 100), {60, 40}, L"HIH", TRect(0, 0, 60, 40),
         TRect(60, std::abs(40 - m.HeightOfA) / 2, 100000, 100)},
        {5, TRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), {0, 0}, L"HIH", TRect(), kNoInk},
        {5, TRect(INT_MAX - 10, 0, INT_MAX, 100), {0, 0}, L"HIH", TRect(), kNoInk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Align << (c.Png.cx ? "" : " without picture"));
        Arrive(c.Align, c.Rect, c.Png.cx ? SolidPng(c.Png.cx, c.Png.cy) : nullptr, c.Title);
        if (!c.Png.cx) Render();  // the first paint may only switch the layout
        auto dib = Render();
        ExpectPictureAt(*dib, c.Picture);
        EXPECT_EQ(InkBox(*dib, kPanel), c.TitleRect == kNoInk ? kNoInk : ExpectedInk(c.Title, c.TitleRect));
    }
}

TEST_F(AdPanelTest, TitleSizeIsTheItemsEvenWhenZeroOrNegativeAndSizeAndTitleStayWithinBounds) {
    // A big size first, so one not applied would show. 0: the default height; negative: a cell
    // height in pixels; absurd sizes are drawn at the largest sensible one.
    const std::pair<int, int> cases[] = {
        {30, 30}, {0, 0}, {-11, -11}, {100000, AdFontMaxSize}, {-100000, -AdFontMaxSize}};
    for (const auto& [size, drawn] : cases) {
        auto item = Item(5, TRect(4, 4, 200, 100), nullptr);
        item->FontSize = size;
        Arrive(*item);
        EXPECT_EQ(AdInfo.FontSize, size);
        auto dib = Render();
        EXPECT_EQ(Image->GetBufferCanvas()->GetFont()->GetSize(), drawn) << size;
        if (drawn == size) { EXPECT_EQ(InkBox(*dib, kPanel), ExpectedInk(L"HIH", TRect(4, 4, 200, 100), kTitle, size)); }
    }

    // Titles are cut, never leaving half of a character made of two UTF-16 units.
    const std::wstring huge(200000, L'W');
    auto item = Item(5, TRect(0, 0, 200, 100), nullptr, huge + L"\r\nsecond line");
    Arrive(*item);
    EXPECT_EQ(AdInfo.Title, huge.substr(0, AdTitleMaxChars));
    EXPECT_GT(TitleInk(*Render(), kTitle), 0);
    Arrive(*Item(5, TRect(0, 0, 200, 100), nullptr, std::wstring(AdTitleMaxChars - 1, L'W') + L"\U0001F600" + L"tail"));
    EXPECT_EQ(AdInfo.Title, std::wstring(AdTitleMaxChars - 1, L'W'));
}

TEST_F(AdPanelTest, ItemsReplaceEachOtherPictureIncluded) {
    Arrive(0, TRect(0, 0, 120, 100), SolidPng(60, 40));
    // An unknown layout keeps the picture and draws nothing; no item at all is ignored.
    Arrive(7, TRect(0, 0, 120, 100), nullptr);
    ASSERT_NE(AdInfo.Picture.get(), nullptr);
    EXPECT_EQ(AdInfo.Picture->GetWidth(), 60);
    EXPECT_TRUE(Blank());
    AdItemArrived(Image, nullptr);
    EXPECT_EQ(AdInfo.Align, 7);

    auto second = Item(1, TRect(0, 0, 200, 100), SolidPng(30, 30, kGreen), L"IIII");
    second->Link = L"https://example.invalid/second";
    Arrive(*second);
    // The panel keeps its own copy: the reader's picture may go.
    second->Png.reset();
    auto dib = Render();
    EXPECT_EQ(dib->CountColor(kPanel, kRed), 0);
    EXPECT_EQ(dib->CountColor(TRect(0, 0, 30, 30), kGreen), 900);
    AdClick();
    EXPECT_EQ(Launched, std::vector<std::wstring>{L"open https://example.invalid/second"});

    // A title-only item releases the earlier picture.
    Arrive(5, TRect(8, 6, 200, 100), SolidPng(60, 40), L"IHI");
    EXPECT_EQ(AdInfo.Picture.get(), nullptr);
    dib = Render();
    EXPECT_EQ(dib->CountColor(kPanel, kRed), 0);
    EXPECT_EQ(InkBox(*dib, kPanel), ExpectedInk(L"IHI", TRect(8, 6, 200, 100)));
}

TEST_F(AdPanelTest, HoverRepaintsTheTitleInItsOverColourAndBackAndTheClickOpensOnlyWebLinks) {
    // Before any item: nothing drawn, the click does nothing.
    EXPECT_TRUE(Blank());
    AdClick();
    Arrive(5, TRect(0, 0, 200, 100), nullptr);
    Form->Show();
    ASSERT_TRUE(PumpMessagesUntil([&] { return Paints > 0; }, 3000));

    for (bool over : {true, false}) {
        const int before = Paints;
        Image->Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(AdHover, over);
        EXPECT_TRUE(PumpMessagesUntil([&] { return Paints > before; }, 3000)) << "must repaint";
        auto dib = Render();
        EXPECT_GT(TitleInk(*dib, over ? kTitleOver : kTitle), 0);
        EXPECT_EQ(TitleInk(*dib, over ? kTitle : kTitleOver), 0);
    }

    // The click opens only web links.
    auto item = Item(5, TRect(0, 0, 200, 100), nullptr);
    for (const wchar_t* link : {L"", L"C:\\Windows\\system32\\calc.exe", L" http://example.invalid/leading-blank"}) {
        item->Link = link;
        Arrive(*item);
        AdClick();
    }
    EXPECT_TRUE(Launched.empty());
    for (const auto& link : {L"http://example.invalid/a", L"HTTPS://example.invalid/b"}) {
        item->Link = link;
        Arrive(*item);
        Image->OnClick(Image);
    }
    EXPECT_EQ(Launched, (std::vector<std::wstring>{L"open http://example.invalid/a", L"open HTTPS://example.invalid/b"}));
}

// --- The starter against a local service -----------------------------------------------------

std::string Answer(const std::wstring& base, int align) {
    using json = nlohmann::ordered_json;
    const json item = {{"align", align}, {"frame", 1}, {"title", "Served"}, {"tips", "tip"},
                       {"link", "http://example.invalid/served"}, {"imgsrc", Narrow(base) + "/img/served.png"},
                       {"fontcolor", "#0000FF"}, {"fontcolorover", "#008000"}, {"fontname", "Tahoma"},
                       {"fontsize", 14}, {"interval", 5}, {"life", 30},
                       {"rect", {{"bottom", 100}, {"right", 200}, {"top", 0}, {"left", 0}}}};
    const json group = {{"kind", 0}, {"page", 1}, {"adinfo", json::array({item})}};
    return json{{"msg", 3}, {"adcheckurl", ""}, {"adid", "set"}, {"adlang", "English"}, {"adver", "5"},
                {"adrefresh", 3600}, {"adgroup", json::array({group})}}
        .dump();
}

class AdStartTest : public AdPanelTest {
protected:
    void SetUp() override {
        AdPanelTest::SetUp();
        SetOnlineBaseUrl(Server.BaseUrl());
    }
    void TearDown() override {
        SetOnlineBaseUrl(L"");
        AdPanelTest::TearDown();
    }
    // Starts the panel's reader as the visible window does, counting the items it hands over.
    TVeskADReader* Start() {
        return StartAd(
            [this](TObject*, TagVeskAdInfo* i) {
                ++Arrived;
                AdItemArrived(Image, i);
            },
            Form);
    }
    bool WaitForReader(TVeskADReader* r) {
        return PumpMessagesUntil([&] { return r->RunningThreads() == 0; }, 20000);
    }

    testsupport::TempDir Dir;
    testsupport::TLocalHttpServer Server;
    // Folders that do not exist yet: the starter makes them.
    testsupport::TSwap<std::wstring> AppData{AppDataDir, Dir.Path() + L"\\Roaming\\Vesk_Reminder\\"};
    testsupport::TSwap<std::wstring> Lang{LangFile, L"C:\\Program Files\\Vesk Reminder\\Languages\\Deutsch & Co.ini"};
    testsupport::THttpTimeoutGuard Timeout{5000};
    int Arrived = 0;
};

TEST_F(AdStartTest, StartAdAsksTheServiceThePanelShowsTheItemButNotOnceItsWindowIsGone) {
    Server.Set("/ad/ad1.php", Answer(Server.BaseUrl(), 0));
    Server.Set("/img/served.png", PngBytes(50, 20));
    AdInfo.Align = 2;  // left over from before: cleared by the start
    TVeskADReader* reader = Start();
    EXPECT_EQ(AdInfo.Align, -1);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->CacheDir, AppDataDir + L"UpdateInfo\\");
    EXPECT_TRUE(DirectoryExists(AppDataDir + L"UpdateInfo"));
    ASSERT_TRUE(WaitForReader(reader));
    ASSERT_TRUE(PumpMessagesUntil([&] { return Arrived > 0; }, 5000));

    // The language value is a whole path: escaped.
    EXPECT_EQ(Server.Targets().at(0), "/ad/ad1.php?name=kfd&ver=" + Narrow(AppVersionText()) +
                                          "&lang=C%3A%5CProgram%20Files%5CVesk%20Reminder%5CLanguages%5CDeutsch%20%26%20Co.ini"
                                          "&adver=0");
    EXPECT_EQ(Arrived, 1);
    EXPECT_EQ(AdInfo.Title, L"Served");
    EXPECT_EQ(AdInfo.FontColor, TColor(0x00FF0000));
    EXPECT_TRUE(FileExists(reader->CacheDir + L"served.png"));
    ASSERT_NE(AdInfo.Picture.get(), nullptr);
    auto dib = Render();
    ExpectPictureAt(*dib, TRect(0, 0, 50, 20));

    // An item arriving after the window is gone is dropped; the answer itself was read.
    Server.SetDelay(300);
    reader = Start();
    Form->Free();
    ASSERT_FALSE(*Alive);
    ASSERT_TRUE(WaitForReader(reader));
    ASSERT_EQ(reader->AdGroup.size(), 1u);
    EXPECT_EQ(Arrived, 1);
}

}  // namespace
