// The about window: the program's version, texts from the language file with their fallbacks,
// the two links through the launcher seam, the frame taken from the visible window's look, the
// modal run of the menu command, and the picture as it is painted.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "PublicFuns.h"
#include "fw_timer.h"
#include "test_support.h"
#include "uAbout.h"

using namespace testsupport;

namespace {

void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

struct Launch {
    HWND owner;
    std::wstring verb, file, params;
    int show;
};

// Stands in for the visible window, which carries the title-bar look the about window borrows.
class TViewStandIn : public fw::TForm {
public:
    FW_CLASSNAME(TViewStandIn)
    TViewStandIn(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
};

std::unique_ptr<fw::TPngImage> Skin(const wchar_t* name) {
    auto p = std::make_unique<fw::TPngImage>();
    p->LoadFromResource(GetModuleHandleW(nullptr), name);
    return p;
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        fw::Application->ClearTerminated();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { Errors.push_back(e.Message); };
        SavedComposition = NcCompositionEnabledProc;
        SavedAllow = NcAllowNcPaintProc;
        NcCompositionEnabledProc = [] { return false; };
        NcAllowNcPaintProc = [](HWND) {};
        SetShellLauncher([this](HWND o, const std::wstring& v, const std::wstring& f, const std::wstring& p, int s) {
            Launches.push_back({o, v, f, p, s});
        });
        SetWindowsVersionSource([](DWORD& major, DWORD& minor) { major = 6, minor = 1; });
        UseLanguage(Dir.File(L"Missing.ini"), nullptr);
    }
    void TearDown() override {
        if (Timer) Timer->Free();
        for (auto it = Forms.rbegin(); it != Forms.rend(); ++it)
            if (*it->second) it->first->Free();
        SetShellLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
        UseLanguage(L"", nullptr);
        NcCompositionEnabledProc = SavedComposition;
        NcAllowNcPaintProc = SavedAllow;
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? "" : Narrow(Errors[0]));
    }
    void UseLanguage(const std::wstring& file, const wchar_t* text) {
        if (text) WriteLangFile(file, text);
        LangFile = file;
        LangIni.reset();
        MemLangIni.reset();
    }
    template <class T>
    T* Track(T* f) {
        Forms.push_back({f, f->AliveToken()});
        return f;
    }
    TfrmAbout* CreateAbout() { return Track(fw::TForm::CreateForm<TfrmAbout>(nullptr)); }
    // A live window named like the visible window, with its title-bar look "vkncrsrc1".
    TVeskNcResource* CreateViewStandIn() {
        auto* v = Track(fw::TForm::CreateNew<TViewStandIn>(nullptr));
        v->SetName(L"frmView");
        auto* r = new TVeskNcResource(v);
        r->SetName(L"vkncrsrc1");
        r->GetFormCaption()->SetImgBkgr(Skin(L"nc_caption").get());
        r->GetFormCaption()->SetHeight(26);
        r->GetFormBorder()->SetImgBkgr(Skin(L"nc_border").get());
        r->GetFormBorder()->SetLeft(1);
        r->GetFormBorder()->SetTop(1);
        r->GetFormBorder()->SetRight(1);
        r->GetFormBorder()->SetBottom(1);
        r->GetFormLogo()->SetImgBtn(Skin(L"nc_logo").get());
        r->GetFormLogo()->SetBtnStateCount(1);
        r->GetBtnClose()->SetImgBtn(Skin(L"nc_btn_close").get());
        r->Loaded();
        return r;
    }
    void Later(DWORD ms, std::function<void()> action) {
        if (Timer) Timer->Free();
        Timer = new fw::TTimer(nullptr);
        Timer->SetEnabled(false);
        Timer->SetInterval(ms);
        Timer->SetOnTimer([this, action](fw::TObject*) {
            Timer->SetEnabled(false);
            action();
        });
        Timer->SetEnabled(true);
    }
    static void ClickAt(fw::TForm* f, fw::TControl* c) {
        const LPARAM at = MAKELPARAM(c->GetLeft() + c->GetWidth() / 2, c->GetTop() + c->GetHeight() / 2);
        SendMessageW(f->GetHandle(), WM_MOUSEMOVE, 0, at);
        SendMessageW(f->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(f->GetHandle(), WM_LBUTTONUP, 0, at);
    }
    // The about window running modally, if any.
    static TfrmAbout* ModalAbout() {
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i)
            if (auto* a = dynamic_cast<TfrmAbout*>(fw::Screen->GetForm(i)); a && a->IsModal()) return a;
        return nullptr;
    }
    // About windows alive, shown or not.
    static int AboutCount() {
        int n = 0;
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i)
            if (dynamic_cast<TfrmAbout*>(fw::Screen->GetForm(i))) ++n;
        return n;
    }

    TempDir Dir;
    std::vector<Launch> Launches;
    std::vector<std::pair<fw::TForm*, std::shared_ptr<bool>>> Forms;
    std::vector<std::wstring> Errors;
    fw::TTimer* Timer = nullptr;
    TNcCompositionProc SavedComposition = nullptr;
    TNcAllowNcPaintProc SavedAllow = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Version and texts.

TEST_F(AboutTest, VersionLabelShowsTheProgramsOwnVersion) {
    // Even a language file that names the version label does not replace the version.
    UseLanguage(Dir.File(L"Test.ini"), L"[Translation]\r\nTfrmAbout.lblverinfo.caption=9.99.9\r\n");
    TfrmAbout* f = CreateAbout();
    TFileVersionInfo info;
    GetFileVersion(ExeDir() + L"\\test_app_about.exe", info);
    ASSERT_NE(info.dwFileVersionMS, 0u) << "the test program carries no version resource";
    EXPECT_EQ(f->lblverinfo->GetCaption(), VersionText(info));
    // The build's own version number.
    EXPECT_EQ(f->lblverinfo->GetCaption(), L"1.14.52");
}

TEST_F(AboutTest, WithoutLanguageFileTheBuiltInEnglishTextsApply) {
    TfrmAbout* f = CreateAbout();
    EXPECT_EQ(f->GetCaption(), L"About");
    EXPECT_EQ(f->lblver->GetCaption(), L"Current Version:");
    EXPECT_EQ(f->lblemail->GetCaption(), L"Email Support:");
    EXPECT_EQ(f->lblhome->GetCaption(), L"Official Homepage:");
    EXPECT_EQ(f->lblthanks->GetCaption(), L"Acknowledgements to the following:");
    // No text anywhere for these: the window's own ones stay.
    EXPECT_EQ(f->lbl1->GetCaption(), L"Vesk Reminder");
    EXPECT_FALSE(f->lblsupport->GetCaption().empty());
    EXPECT_NE(f->lblweb->GetCaption().find(L"http"), std::wstring::npos);
    // Window font of the base; the labels' own colours stay.
    EXPECT_EQ(f->lblver->GetFont()->GetName(), L"Tahoma");
    EXPECT_EQ(f->lblver->GetFont()->GetSize(), 8);
    EXPECT_EQ(f->lblver->GetFont()->GetColor(), fw::clBlack);
    EXPECT_EQ(f->lblemail->GetFont()->GetColor(), fw::TColor(0x383838));
    EXPECT_EQ(f->lblsupport->GetFont()->GetColor(), fw::TColor(0xA2661A));
    EXPECT_EQ(f->lblweb->GetFont()->GetColor(), fw::TColor(0xA2661A));
    // The acknowledgements: a read-only borderless list in italics, left alone by the language.
    EXPECT_TRUE(f->mmo1->GetReadOnly());
    EXPECT_EQ(f->mmo1->GetBorderStyle(), fw::bsNone);
    EXPECT_TRUE(f->mmo1->GetFont()->GetStyle() & fw::fsItalic);
    EXPECT_GT(f->mmo1->GetLines()->GetCount(), 0);
}

TEST_F(AboutTest, LanguageFileTextsAndFontReachTheWindow) {
    const int englishWidth = CreateAbout()->lblver->GetWidth();
    UseLanguage(Dir.File(L"Deutsch.ini"),
                L"[Translation]\r\n"
                L"DefaultFont=Courier New\r\n"
                L"DefaultFontSize=10\r\n"
                L"TfrmAbout.Caption=Info\r\n"
                // Written in other cases than the window asks for: keys ignore case.
                L"tfrmabout.LBLVER.caption=Aktuelle Version:\r\n"
                L"TfrmAbout.lblEmail.caption=E-Mail-Hilfe:\r\n"
                L"TfrmAbout.lblhome.caption=Startseite:\r\n"
                L"TfrmAbout.lblweb.caption=http://de.example.test/\r\n");
    TfrmAbout* f = CreateAbout();
    EXPECT_EQ(f->GetCaption(), L"Info");
    EXPECT_EQ(f->lblver->GetCaption(), L"Aktuelle Version:");
    EXPECT_EQ(f->lblemail->GetCaption(), L"E-Mail-Hilfe:");
    EXPECT_EQ(f->lblhome->GetCaption(), L"Startseite:");
    EXPECT_EQ(f->lblweb->GetCaption(), L"http://de.example.test/");
    // Missing from this file: the built-in English text.
    EXPECT_EQ(f->lblthanks->GetCaption(), L"Acknowledgements to the following:");
    // The plain labels take the language's face; the bold product name keeps its own.
    EXPECT_EQ(f->lblver->GetFont()->GetName(), L"Courier New");
    EXPECT_EQ(f->lblver->GetFont()->GetSize(), 10);
    EXPECT_EQ(f->lbl1->GetFont()->GetName(), L"Tahoma");
    EXPECT_EQ(f->lbl1->GetFont()->GetHeight(), -27);
    EXPECT_TRUE(f->lbl1->GetFont()->GetStyle() & fw::fsBold);
    // The label fits itself to the longer text in the larger face; the version's box stays.
    EXPECT_GT(f->lblver->GetWidth(), englishWidth);
    EXPECT_EQ(f->lblverinfo->GetWidth(), 126);
}

// ---------------------------------------------------------------------------------------------
// Links.

TEST_F(AboutTest, ClickingTheMailAddressStartsAMailToIt) {
    TfrmAbout* f = CreateAbout();
    f->Show();
    ClickAt(f, f->lblsupport);
    ASSERT_EQ(Launches.size(), 1u);
    EXPECT_EQ(Launches[0].owner, f->GetHandle());
    EXPECT_EQ(Launches[0].verb, L"open");
    EXPECT_EQ(Launches[0].file, L"mailto:" + f->lblsupport->GetCaption());
    EXPECT_EQ(Launches[0].params, L"");
    EXPECT_EQ(Launches[0].show, SW_SHOWNORMAL);
}

TEST_F(AboutTest, ClickingTheWebAddressOpensIt) {
    UseLanguage(Dir.File(L"Test.ini"), L"[Translation]\r\nTfrmAbout.lblweb.caption=HTTP://Local.Test/page\r\n");
    TfrmAbout* f = CreateAbout();
    f->Show();
    ClickAt(f, f->lblweb);
    ASSERT_EQ(Launches.size(), 1u);
    EXPECT_EQ(Launches[0].owner, f->GetHandle());
    EXPECT_EQ(Launches[0].file, L"HTTP://Local.Test/page");

    // Windows 8: web pages go to the browser by name, the mail address still to the shell.
    SetWindowsVersionSource([](DWORD& major, DWORD& minor) { major = 6, minor = 2; });
    ClickAt(f, f->lblweb);
    ClickAt(f, f->lblsupport);
    ASSERT_EQ(Launches.size(), 3u);
    EXPECT_EQ(Launches[1].file, L"IExplore.EXE");
    EXPECT_EQ(Launches[1].params, L"HTTP://Local.Test/page");
    EXPECT_EQ(Launches[2].file, L"mailto:" + f->lblsupport->GetCaption());
    EXPECT_EQ(Launches[2].params, L"");
}

TEST_F(AboutTest, ClickingTheOtherTextsOpensNothing) {
    TfrmAbout* f = CreateAbout();
    f->Show();
    for (fw::TControl* c : std::initializer_list<fw::TControl*>{f->lbl1, f->lblver, f->lblverinfo, f->lblemail,
                                                                 f->lblhome, f->lblthanks})
        ClickAt(f, c);
    EXPECT_TRUE(Launches.empty());
}

// ---------------------------------------------------------------------------------------------
// Frame and modal run.

TEST_F(AboutTest, FrameUsesTheVisibleWindowsLook) {
    TVeskNcResource* look = CreateViewStandIn();
    TfrmAbout* f = CreateAbout();
    EXPECT_EQ(f->VeskNcPaintor1->GetResource(), look);
    EXPECT_EQ(f->VeskNcPaintor1->GetForm(), f);
    EXPECT_TRUE(f->VeskNcPaintor1->IsHooked());
    EXPECT_EQ(f->VeskNcPaintor1->GetShowBtns(), TVeskShowNcBtns({vnbLogo, vnbClose}));
    EXPECT_FALSE(f->VeskNcPaintor1->GetResizeable());
    EXPECT_EQ(f->GetTag(), 10);
    EXPECT_EQ(f->GetClientWidth(), 476 - 2);  // the skinned border takes one pixel each side
}

TEST_F(AboutTest, MenuCommandShowsItModallyAndFreesItWhenClosed) {
    auto* owner = Track(fw::TForm::CreateNew<TViewStandIn>(nullptr));
    const int before = owner->GetComponentCount();
    bool sawModal = false;
    RECT seen{};
    Later(150, [&] {
        TfrmAbout* a = ModalAbout();
        ASSERT_NE(a, nullptr);
        sawModal = IsWindowVisible(a->GetHandle()) && a->GetOwner() == owner && AboutCount() == 1;
        GetWindowRect(a->GetHandle(), &seen);
        PostMessageW(a->GetHandle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ShowAboutWindow(owner), fw::mrCancel);
    EXPECT_TRUE(sawModal);
    EXPECT_EQ(AboutCount(), 0);
    EXPECT_EQ(owner->GetComponentCount(), before);
    // Centred on the desktop.
    const int cx = (seen.left + seen.right) / 2, cy = (seen.top + seen.bottom) / 2;
    EXPECT_NEAR(cx, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(AboutTest, CloseButtonEndsTheModalRunAndEachCommandMakesANewWindow) {
    CreateViewStandIn();
    std::vector<HWND> handles;
    for (int round = 0; round < 2; ++round) {
        Later(150, [&] {
            TfrmAbout* a = ModalAbout();
            ASSERT_NE(a, nullptr);
            handles.push_back(a->GetHandle());
            auto* p = a->VeskNcPaintor1;
            fw::TRect r = p->GetBtnRect(vnbClose);
            RECT wr{};
            GetWindowRect(a->GetHandle(), &wr);
            const LPARAM at = MAKELPARAM(wr.left + (r.Left + r.Right) / 2, wr.top + (r.Top + r.Bottom) / 2);
            const WPARAM hit = SendMessageW(a->GetHandle(), WM_NCHITTEST, 0, at);
            SendMessageW(a->GetHandle(), WM_NCMOUSEMOVE, hit, at);
            SendMessageW(a->GetHandle(), WM_NCLBUTTONDOWN, hit, at);
            SendMessageW(a->GetHandle(), WM_NCLBUTTONUP, hit, at);
        });
        EXPECT_EQ(ShowAboutWindow(nullptr), fw::mrCancel);
        EXPECT_EQ(AboutCount(), 0);
    }
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_NE(handles[0], handles[1]);
    EXPECT_FALSE(IsWindow(handles[0]));
    EXPECT_FALSE(IsWindow(handles[1]));
}

// ---------------------------------------------------------------------------------------------
// Painting.

TEST_F(AboutTest, PaintedWindowShowsTheProductPictureOverTheBackground) {
    TfrmAbout* f = CreateAbout();
    const int w = f->GetClientWidth(), h = f->GetClientHeight();
    DibSurface s(w, h);
    f->PaintTo(s.Dc(), 0, 0);
    const COLORREF back = fw::ColorToRGB(f->GetColor());

    auto pic = Skin(L"about_picture");
    ASSERT_EQ(pic->GetWidth(), 90);
    ASSERT_EQ(pic->GetHeight(), 88);
    ASSERT_TRUE(pic->HasAlpha());
    const int left = f->img1->GetLeft(), top = f->img1->GetTop();
    EXPECT_EQ(left, 39);
    EXPECT_EQ(top, 19);
    int opaque = 0, clear = 0;
    for (int y = 0; y < 88; ++y) {
        const uint8_t* rgb = pic->Scanline(y);
        const uint8_t* a = pic->AlphaScanline(y);
        for (int x = 0; x < 90; ++x) {
            if (a[x] == 255) {
                ++opaque;
                ASSERT_EQ(s.Color(left + x, top + y), RGB(rgb[3 * x + 2], rgb[3 * x + 1], rgb[3 * x]))
                    << "picture pixel " << x << "," << y;
            } else if (a[x] == 0) {
                ++clear;
                ASSERT_EQ(s.Color(left + x, top + y), back) << "transparent pixel " << x << "," << y;
            }
        }
    }
    // The picture has both kinds, so both checks above did look at something.
    EXPECT_GT(opaque, 100);
    EXPECT_GT(clear, 100);
    // Left of the picture: plain background.
    EXPECT_EQ(s.CountColor(RECT{0, 0, 30, 120}, back), 30 * 120);
}
