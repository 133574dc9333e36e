// The base window: the language's font on the window, its skinned buttons and labels with their
// size offsets, captions from the language file with the description as the last fallback, and
// the creation step reaching a derived window's own language step.
#include <gtest/gtest.h>

#include "PublicFuns.h"
#include "bf_forms.h"
#include "test_support.h"

using namespace testsupport;

namespace {

// A language file as the program writes them: UTF-16LE with a byte-order mark.
void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

const wchar_t kLang[] =
    L"[Translation]\r\n"
    L"DefaultFont=Courier New\r\n"
    L"DefaultFontSize=9\r\n"
    L"DefaultCharSet=RUSSIAN_CHARSET\r\n"
    L"TfrmBaseProbe.Caption=Probe window translated\r\n"
    L"TfrmBaseProbe.btnBold.caption=Fett\r\n"
    L"tfrmbaseprobe.LBLPLAIN.Caption=A much longer translated label text\r\n"
    L"TfrmBaseProbe.lblStd.caption=Never used\r\n"
    L"TfrmBaseOverride.Caption=Not for the override\r\n";

class BaseFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        UseLanguage(dir_.File(L"Test.ini"), kLang);
    }
    void TearDown() override {
        for (auto& f : forms_)
            if (*f.second) f.first->Free();
        UseLanguage(L"", nullptr);
    }
    void UseLanguage(const std::wstring& file, const wchar_t* text) {
        if (text) WriteLangFile(file, text);
        LangFile = file;
        LangIni.reset();
        MemLangIni.reset();
    }
    template <class T>
    T* Create() {
        T* f = fw::TForm::CreateForm<T>(nullptr);
        forms_.push_back({f, f->AliveToken()});
        return f;
    }
    static void ExpectFace(const fw::TFont* f, const std::wstring& name, int size, BYTE charset, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(f->GetName(), name);
        EXPECT_EQ(f->GetSize(), size);
        EXPECT_EQ(f->GetCharset(), charset);
    }

    TempDir dir_;
    std::vector<std::pair<fw::TForm*, std::shared_ptr<bool>>> forms_;
};

}  // namespace

TEST_F(BaseFormTest, DescriptionValuesReachTheDerivedWindow) {
    UseLanguage(dir_.File(L"Missing.ini"), nullptr);
    auto* f = Create<TfrmBaseProbe>();
    EXPECT_EQ(f->GetBorderStyle(), fw::bsNone);
    EXPECT_EQ(f->GetBorderIcons(), 0u);
    EXPECT_EQ(f->GetColor(), fw::clWindow);
    EXPECT_TRUE(f->GetDoubleBuffered());
    EXPECT_EQ(f->GetFont()->GetColor(), fw::clNavy);
    EXPECT_EQ(f->GetFont()->GetName(), L"Tahoma");
    EXPECT_EQ(f->GetFont()->GetSize(), 8);
    EXPECT_EQ(f->GetClientWidth(), 300);
}

TEST_F(BaseFormTest, WindowTakesTheLanguageFont) {
    auto* f = Create<TfrmBaseProbe>();
    ExpectFace(f->GetFont(), L"Courier New", 9, RUSSIAN_CHARSET, "window");
    // Colour and style of the description stay.
    EXPECT_EQ(f->GetFont()->GetColor(), fw::clNavy);
}

TEST_F(BaseFormTest, BoldButtonAddsItsTagToEveryStateFont) {
    auto* f = Create<TfrmBaseProbe>();
    TVeskPngButton* b = f->btnBold;
    const fw::TFont* fonts[] = {b->GetFontNormal(), b->GetFontOver(),   b->GetFontDown(),
                                b->GetFontDisable(), b->GetFontFocus(), b->GetFontSelect()};
    for (const fw::TFont* font : fonts) ExpectFace(font, L"Courier New", 9 + 2, RUSSIAN_CHARSET, "bold button");
    // The face is copied, the style is the button's own.
    EXPECT_TRUE(b->GetFontNormal()->GetStyle() & fw::fsBold);
    EXPECT_FALSE(b->GetFontOver()->GetStyle() & fw::fsBold);
}

TEST_F(BaseFormTest, ButtonWithPlainFontIgnoresItsTag) {
    auto* f = Create<TfrmBaseProbe>();
    TVeskPngButton* b = f->btnPlain;
    const fw::TFont* fonts[] = {b->GetFontNormal(), b->GetFontOver(),   b->GetFontDown(),
                                b->GetFontDisable(), b->GetFontFocus(), b->GetFontSelect()};
    for (const fw::TFont* font : fonts) ExpectFace(font, L"Courier New", 9, RUSSIAN_CHARSET, "plain button");
}

TEST_F(BaseFormTest, PlainLabelTakesLanguageSizePlusTag) {
    auto* f = Create<TfrmBaseProbe>();
    ExpectFace(f->lblPlain->GetFont(), L"Courier New", 9 + 1, RUSSIAN_CHARSET, "plain label");
    // A font of its own now: a later change of the window font does not overwrite it.
    EXPECT_FALSE(f->lblPlain->GetParentFont());
    f->GetFont()->SetSize(20);
    EXPECT_EQ(f->lblPlain->GetFont()->GetSize(), 10);
}

TEST_F(BaseFormTest, BoldLabelKeepsItsOwnFont) {
    auto* f = Create<TfrmBaseProbe>();
    ExpectFace(f->lblBold->GetFont(), L"Arial", 12, DEFAULT_CHARSET, "bold label");
}

TEST_F(BaseFormTest, CaptionsComeFromTheLanguageFile) {
    auto* f = Create<TfrmBaseProbe>();
    EXPECT_EQ(f->GetCaption(), L"Probe window translated");
    EXPECT_EQ(f->btnBold->GetCaption(), L"Fett");
    // Keys are found whatever their case in the file.
    EXPECT_EQ(f->lblPlain->GetCaption(), L"A much longer translated label text");
}

TEST_F(BaseFormTest, MissingKeysKeepTheDescriptionTexts) {
    auto* f = Create<TfrmBaseProbe>();
    EXPECT_EQ(f->btnPlain->GetCaption(), L"Plain button");
    EXPECT_EQ(f->lblBold->GetCaption(), L"Bold label");
}

TEST_F(BaseFormTest, PlainFrameworkLabelIsNotTouched) {
    auto* f = Create<TfrmBaseProbe>();
    EXPECT_EQ(f->lblStd->GetCaption(), L"Std label");
    // It follows the window font only through its parent font.
    EXPECT_TRUE(f->lblStd->GetParentFont());
    EXPECT_EQ(f->lblStd->GetFont()->GetSize(), 9);
}

TEST_F(BaseFormTest, TranslatedLabelFitsItsNewText) {
    UseLanguage(dir_.File(L"Missing.ini"), nullptr);
    auto* plain = Create<TfrmBaseProbe>();
    const int shortWidth = plain->lblPlain->GetWidth();
    UseLanguage(dir_.File(L"Test.ini"), kLang);
    auto* translated = Create<TfrmBaseProbe>();
    EXPECT_GT(shortWidth, 20) << "the label sizes itself to the description's text";
    EXPECT_GT(translated->lblPlain->GetWidth(), shortWidth);
}

TEST_F(BaseFormTest, WithoutLanguageFileTheDefaultsApply) {
    UseLanguage(dir_.File(L"Missing.ini"), nullptr);
    auto* f = Create<TfrmBaseProbe>();
    ExpectFace(f->GetFont(), L"Tahoma", 8, DEFAULT_CHARSET, "window");
    EXPECT_EQ(f->GetCaption(), L"Probe caption");
    EXPECT_EQ(f->btnBold->GetCaption(), L"Bold button");
    EXPECT_EQ(f->btnBold->GetFontDown()->GetSize(), 10);
    EXPECT_EQ(f->lblPlain->GetFont()->GetSize(), 9);
}

TEST_F(BaseFormTest, ApplyingAgainDoesNotGrowTheOffsets) {
    auto* f = Create<TfrmBaseProbe>();
    f->ApplyLanguage();
    f->ApplyLanguage();
    EXPECT_EQ(f->btnBold->GetFontNormal()->GetSize(), 11);
    EXPECT_EQ(f->lblPlain->GetFont()->GetSize(), 10);
    EXPECT_EQ(f->btnBold->GetCaption(), L"Fett");
}

TEST_F(BaseFormTest, LaterLanguageChangeReachesWindowsCreatedAfterIt) {
    auto* before = Create<TfrmBaseProbe>();
    UseLanguage(dir_.File(L"Other.ini"),
                L"[Translation]\r\nDefaultFont=Arial\r\nDefaultFontSize=11\r\nTfrmBaseProbe.btnBold.Caption=Bold\r\n");
    auto* after = Create<TfrmBaseProbe>();
    EXPECT_EQ(before->btnBold->GetCaption(), L"Fett");
    EXPECT_EQ(after->btnBold->GetCaption(), L"Bold");
    ExpectFace(after->GetFont(), L"Arial", 11, ANSI_CHARSET, "window after the change");
    EXPECT_EQ(after->btnBold->GetFontSelect()->GetSize(), 13);
}

TEST_F(BaseFormTest, CreationReachesTheDerivedLanguageStep) {
    auto* f = Create<TfrmBaseOverride>();
    EXPECT_EQ(f->OwnApplies, 1);
    // The base version did not run: caption and font are the description's.
    EXPECT_EQ(f->GetCaption(), L"Own caption");
    EXPECT_EQ(f->GetFont()->GetName(), L"Tahoma");
}
