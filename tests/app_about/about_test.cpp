// The about window: version, language texts and fallbacks, links, the visible window's look, the
// modal run of the menu command, the painted picture.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app_window_test.h"
#include "fw_timer.h"
#include "skin_resources.h"
#include "uAbout.h"

using namespace testsupport;

namespace {

class AboutTest : public AppWindowTest {
protected:
    void TearDown() override {
        AppWindowTest::TearDown();
        UseLanguage(L"");
    }
    TfrmAbout* CreateAbout() { return Own(fw::TForm::CreateForm<TfrmAbout>(nullptr)); }
    // The visible window's stand-in: its name and the title-bar look the about window borrows.
    TVeskNcResource* CreateViewStandIn() {
        auto* v = Own(fw::TForm::CreateNew<TPlainForm>(nullptr));
        v->SetName(L"frmView");
        TVeskNcResource* r = NcSkinResource(v);
        r->SetName(L"vkncrsrc1");
        return r;
    }
    static void ClickAt(fw::TForm* f, fw::TControl* c) {
        Click(f, c->GetLeft() + c->GetWidth() / 2, c->GetTop() + c->GetHeight() / 2);
    }
    // About windows alive, shown or not; Modal receives the one running modally, if any.
    static int AboutCount(TfrmAbout** Modal = nullptr) {
        int n = 0;
        for (int i = 0; i < fw::Screen->GetFormCount(); ++i)
            if (auto* a = dynamic_cast<TfrmAbout*>(fw::Screen->GetForm(i))) {
                ++n;
                if (Modal && a->IsModal()) *Modal = a;
            }
        return n;
    }

};

}  // namespace

TEST_F(AboutTest, LanguageFileTextsAndFontReachTheWindowButNotTheVersionAndTheAddressesOpen) {
    const int englishWidth = CreateAbout()->lblver->GetWidth();
    UseLanguage(Dir.File(L"Deutsch.ini"),
                L"[Translation]\r\n"
                L"DefaultFont=Courier New\r\n"
                L"DefaultFontSize=10\r\n"
                L"TfrmAbout.Caption=Info\r\n"
                // Written in other cases than the window asks for: keys ignore case.
                L"tfrmabout.LBLVER.caption=Aktuelle Version:\r\n"
                L"TfrmAbout.lblEmail.caption=E-Mail-Hilfe:\r\n"
                L"TfrmAbout.lblverinfo.caption=9.99.9\r\n"
                L"TfrmAbout.lblweb.caption=HTTP://Local.Test/page\r\n");
    TfrmAbout* f = CreateAbout();
    EXPECT_EQ(f->GetCaption(), L"Info");
    EXPECT_EQ(f->lblver->GetCaption(), L"Aktuelle Version:");
    EXPECT_EQ(f->lblemail->GetCaption(), L"E-Mail-Hilfe:");
    // Missing from this file: the built-in English text.
    EXPECT_EQ(f->lblthanks->GetCaption(), L"Acknowledgements to the following:");
    // The plain labels take the language's face; the bold product name keeps its own.
    EXPECT_EQ(f->lblver->GetFont()->GetName(), L"Courier New");
    EXPECT_EQ(f->lblver->GetFont()->GetSize(), 10);
    EXPECT_EQ(f->lbl1->GetFont()->GetName(), L"Tahoma");
    // The label fits itself to the longer text in the larger face.
    EXPECT_GT(f->lblver->GetWidth(), englishWidth);
    // A language file naming the version label does not replace the program's own version.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    TFileVersionInfo info;
    GetFileVersion(self, info);
    ASSERT_NE(info.dwFileVersionMS, 0u) << "the test program carries no version resource";
    EXPECT_EQ(f->lblverinfo->GetCaption(), VersionText(info));

    // Clicking the addresses opens them, the other texts nothing.
    f->Show();
    for (fw::TControl* c : std::initializer_list<fw::TControl*>{f->lbl1, f->lblver, f->lblverinfo, f->lblemail,
                                                                 f->lblhome, f->lblthanks})
        ClickAt(f, c);
    ClickAt(f, f->lblsupport);
    ClickAt(f, f->lblweb);
    // Windows 8: web pages go to the browser by name, the mail address still to the shell.
    SetWindowsVersionSource([](DWORD& major, DWORD& minor) { major = 6, minor = 2; });
    ClickAt(f, f->lblweb);
    ClickAt(f, f->lblsupport);
    const std::wstring mail = L"mailto:" + f->lblsupport->GetCaption();
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {mail, L""}, {L"HTTP://Local.Test/page", L""}, {L"IExplore.EXE", L"HTTP://Local.Test/page"}, {mail, L""}};
    ASSERT_EQ(Launched.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Launched[i].owner, f->GetHandle());
        EXPECT_EQ(std::make_pair(Launched[i].file, Launched[i].params), expected[i]) << i;
    }
}

TEST_F(AboutTest, EachCommandShowsANewCentredModalWindowInTheViewsLookFreedByItsCloseButton) {
    TVeskNcResource* look = CreateViewStandIn();
    auto* owner = static_cast<fw::TForm*>(look->GetOwner());
    const int before = owner->GetComponentCount();
    std::vector<HWND> handles;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Later(150, [&] {
            TfrmAbout* a = nullptr;
            ASSERT_EQ(AboutCount(&a), 1);
            ASSERT_NE(a, nullptr);
            handles.push_back(a->GetHandle());
            EXPECT_TRUE(IsWindowVisible(a->GetHandle()));
            EXPECT_EQ(a->GetOwner(), owner);
            EXPECT_EQ(a->VeskNcPaintor1->GetResource(), look);
            EXPECT_EQ(a->GetClientWidth(), 476 - 2);  // the skinned border takes one pixel each side
            RECT wr{};
            GetWindowRect(a->GetHandle(), &wr);
            EXPECT_NEAR((wr.left + wr.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
            EXPECT_NEAR((wr.top + wr.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
            const fw::TRect r = a->VeskNcPaintor1->GetBtnRect(vnbClose);
            const LPARAM at = MAKELPARAM(wr.left + (r.Left + r.Right) / 2, wr.top + (r.Top + r.Bottom) / 2);
            const WPARAM hit = SendMessageW(a->GetHandle(), WM_NCHITTEST, 0, at);
            SendMessageW(a->GetHandle(), WM_NCMOUSEMOVE, hit, at);
            SendMessageW(a->GetHandle(), WM_NCLBUTTONDOWN, hit, at);
            SendMessageW(a->GetHandle(), WM_NCLBUTTONUP, hit, at);
        });
        EXPECT_EQ(ShowAboutWindow(owner), fw::mrCancel);
        EXPECT_EQ(AboutCount(), 0);
        EXPECT_EQ(owner->GetComponentCount(), before);
    }
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_NE(handles[0], handles[1]);
    EXPECT_FALSE(IsWindow(handles[0]));
}

TEST_F(AboutTest, PaintedWindowShowsTheProductPictureOverTheBackground) {
    TfrmAbout* f = CreateAbout();
    DibSurface s(f->GetClientWidth(), f->GetClientHeight());
    f->PaintTo(s.Dc(), 0, 0);
    const COLORREF back = fw::ColorToRGB(f->GetColor());
    auto pic = Skin(L"about_picture");
    const int left = f->img1->GetLeft(), top = f->img1->GetTop();
    int opaque = 0, clear = 0;
    for (int y = 0; y < pic->GetHeight(); ++y) {
        const uint8_t* rgb = pic->Scanline(y);
        const uint8_t* a = pic->AlphaScanline(y);
        for (int x = 0; x < pic->GetWidth(); ++x) {
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
}
