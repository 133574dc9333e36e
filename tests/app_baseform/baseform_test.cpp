// The base window: the language's font and captions (the description as fallback) on the window
// and its skinned buttons and labels with size offsets; a derived window's own language step.
#include <gtest/gtest.h>

#include "app_window_test.h"
#include "bf_forms.h"

using namespace testsupport;

namespace {

const wchar_t kLang[] =
    L"[Translation]\r\n"
    L"DefaultFont=Courier New\r\n"
    L"DefaultFontSize=9\r\n"
    L"DefaultCharSet=RUSSIAN_CHARSET\r\n"
    L"TfrmBaseProbe.Caption=Probe window translated\r\n"
    L"TfrmBaseProbe.btnBold.caption=Fett\r\n"
    L"tfrmbaseprobe.LBLPLAIN.Caption=A much longer translated label text\r\n"
    L"TfrmBaseOverride.Caption=Not for the override\r\n";

class BaseFormTest : public AppWindowTest {
protected:
    void TearDown() override {
        AppWindowTest::TearDown();
        UseLanguage(L"");
    }
    static void ExpectFace(const fw::TFont* f, const std::wstring& name, int size, BYTE charset, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(f->GetName(), name);
        EXPECT_EQ(f->GetSize(), size);
        EXPECT_EQ(f->GetCharset(), charset);
    }
};

}  // namespace

TEST_F(BaseFormTest, WindowButtonsAndLabelsTakeTheLanguageFontAndCaptionsOnceOnly) {
    UseLanguage(Dir.File(L"Test.ini"), kLang);
    auto* f = Own(fw::TForm::CreateForm<TfrmBaseProbe>(nullptr));
    f->ApplyLanguage();  // again: the size offsets do not grow
    ExpectFace(f->GetFont(), L"Courier New", 9, RUSSIAN_CHARSET, "window");
    // Colour and style of the description stay.
    EXPECT_EQ(f->GetFont()->GetColor(), fw::clNavy);
    // A button with a bold normal font adds its tag to every state font; a plain one ignores it.
    for (auto [b, size] : {std::pair{f->btnBold, 9 + 2}, {f->btnPlain, 9}})
        for (const fw::TFont* font : {b->GetFontNormal(), b->GetFontOver(), b->GetFontDown(), b->GetFontDisable(),
                                      b->GetFontFocus(), b->GetFontSelect()})
            ExpectFace(font, L"Courier New", size, RUSSIAN_CHARSET, "button");
    // The face is copied, the style is the button's own.
    EXPECT_TRUE(f->btnBold->GetFontNormal()->GetStyle() & fw::fsBold);
    EXPECT_FALSE(f->btnBold->GetFontOver()->GetStyle() & fw::fsBold);

    ExpectFace(f->lblPlain->GetFont(), L"Courier New", 9 + 1, RUSSIAN_CHARSET, "plain label: size plus tag");
    // The plain label has a font of its own now: a later change of the window font does not reach it.
    f->GetFont()->SetSize(20);
    EXPECT_EQ(f->lblPlain->GetFont()->GetSize(), 10);

    EXPECT_EQ(f->GetCaption(), L"Probe window translated");
    EXPECT_EQ(f->btnBold->GetCaption(), L"Fett");
    // Keys are found whatever their case in the file.
    EXPECT_EQ(f->lblPlain->GetCaption(), L"A much longer translated label text");
    EXPECT_EQ(f->btnPlain->GetCaption(), L"Plain button");
}

TEST_F(BaseFormTest, WithoutLanguageFileTheDescriptionAppliesALaterFileReachesNewWindowsAndOwnSteps) {
    auto* plain = Own(fw::TForm::CreateForm<TfrmBaseProbe>(nullptr));
    ExpectFace(plain->GetFont(), L"Tahoma", 8, DEFAULT_CHARSET, "window");
    EXPECT_EQ(plain->GetCaption(), L"Probe caption");
    EXPECT_EQ(plain->btnBold->GetCaption(), L"Bold button");
    const int shortWidth = plain->lblPlain->GetWidth();
    EXPECT_GT(shortWidth, 20) << "the label sizes itself to the description's text";

    UseLanguage(Dir.File(L"Test.ini"), kLang);
    auto* after = Own(fw::TForm::CreateForm<TfrmBaseProbe>(nullptr));
    EXPECT_EQ(after->btnBold->GetCaption(), L"Fett");
    EXPECT_GT(after->lblPlain->GetWidth(), shortWidth);
    // A window with its own language step: creation runs it instead of the base version.
    auto* own = Own(fw::TForm::CreateForm<TfrmBaseOverride>(nullptr));
    EXPECT_EQ(own->OwnApplies, 1);
    EXPECT_EQ(own->GetCaption(), L"Own caption");
    EXPECT_EQ(own->GetFont()->GetName(), L"Tahoma");
}
