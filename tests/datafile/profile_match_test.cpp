// The one-pass loading against key-by-key reads through the profile functions, on files edited by
// hand in every awkward way: both must see the same reminders with the same values.
#include "datafile_util.h"

#include <algorithm>

using namespace datafiletest;
using namespace std::string_literals;

namespace {

// The key names of "UNFINISHED" as the profile functions list them, repeats left out.
std::vector<std::wstring> ProfileKeys(const std::wstring& path) {
    fw::TIniFile profile(path);
    fw::TStringList keys;
    profile.ReadSection(L"UNFINISHED", keys);
    std::vector<std::wstring> r;
    for (int i = 0; i < keys.Count(); ++i)
        if (std::none_of(r.begin(), r.end(), [&](const std::wstring& k) { return fw::AnsiSameText(k, keys[i]); }))
            r.push_back(keys[i]);
    return r;
}

// Every loaded record equals the same record read key by key through the profile functions.
void ExpectRecordsMatchProfile(TRemindFile& store) {
    fw::TIniFile profile(store.GetFileName());
    for (const TRmRecordStruct* r : store.Records)
        EXPECT_EQ(Fields(*r),
                  Fields(*TRemindFile::ReadRecordFrom(profile, store.GetFormatSettings(), L"UNFINISHED", r->Section)));
}

void ExpectLoadMatchesProfile(const std::wstring& path, const fw::TFormatSettings& fs, size_t records) {
    TRemindFile store(path, fs);
    std::vector<std::wstring> loaded;
    for (const TRmRecordStruct* r : store.Records) loaded.push_back(r->Section);
    ASSERT_EQ(loaded, ProfileKeys(path));
    EXPECT_EQ(loaded.size(), records);
    ExpectRecordsMatchProfile(store);
}

// The hand edits shared by the encodings below.
const std::wstring kAwkward =
    L"stray line before any section\r\n" L"orphan=value\r\n" L"\r\n" L"  [UNFINISHED]  \r\n"
    L"R20240101000001=\"quoted text\"\r\n" L"  R20240101000002 \t=   padded value\t  \r\n"
    L";R20240101000003=a comment\r\n" L"R20240101000004='single'\r\n" L"R20240101000005=\"unbalanced\r\n"
    L"R20240101000006=\"\r\n" L"line without an equals sign\r\n" L"r20240101000007=lower case key\n"
    L"R20240101000001=a repeated key\r\n" L"R20240101000008=a = b = c\r\n" L"R20240101000009=\r\n"
    L"R20240101000010=\"\"\r\n" L"R20240101000011=end of file mark\x1A\r\n" L"R20240101000012=\tlone\rreturn\r\n"
    L"R20240101000013=nul \0 inside\r\n" L"#R20240101000014=hash is no comment\r\n"
    L"R20240101000015=\" both \"\r\n" L"R20240101000016='mixed\"\r\n" L"R20240101000017=\"a\"b\"\r\n"
    L"R20240101000018=\x1C\x1D\x1E\x1Fx\x1F\x85\r\n" L"R20240101000019=x\r\n" L"R20240101000020=x\r\n"
    L"R20240101000021=x\r\n" L"R20240101000022=x\r\n" L"[R20240101000001]\r\n" L"PERIOD = 3 \r\n"
    L"VOICE=\"C:\\a b\\c.wav\"\r\n" L"CREATEDATETIME=1/1/2024 12:00:01 AM\r\n" L"LASTTIME=2/3/2024 4:05:06 PM\r\n"
    L"WAKETIME=6:30:00 PM\r\n" L"REPEAT_DATA=0100010001\r\n" L"[ R20240101000002 ]\r\n" L"PERIOD=2\r\n"
    L"[R20240101000001]\r\n" L"VOICE=from the repeated section\r\n" L"ENDTIME=1/2/2024\r\n" L"[r20240101000007]\r\n"
    L"voice=lower.mp3\r\n" L"period=1\r\n" L"PERIOD=2\r\n" L"[R20240101000018]junk after\r\n" L"PERIOD=3\r\n"
    L"[R20240101000019\r\n" L"PERIOD=4\r\n" L"[R20240101000020]\rPERIOD=0\rVOICE=cr only\r"
    L"[R20240101000021]\nPERIOD=1\nVOICE=lf only\n" L"[R20240101000022]\r\n" L"\r\n" L"   \t \r\n"
    L"PERIOD=\"4\"\r\n" L"ENDTIME=garbage\r\n" L"VOICE=nul\0cut\r\n" L"[R2024010100\0 0023]\r\n" L"PERIOD=1\r\n"
    L"[UNFINISHED]\r\n" L"R20240101000024=in a repeated list section\r\n"s;

}  // namespace

TEST_F(DataFileTest, LoadingReadsEveryEncodingAsTheProfileFunctionsDo) {
    const std::wstring wide = kAwkward + L"[R20240101000012]\r\nVOICE=\u3000wide\u00A0\uFEFF\r\n";
    const std::vector<uint8_t> utf16 = fw::EncodeText(wide, fw::TEncoding::UTF16LE, true);
    // Characters of the code page, and bytes it does not define; UTF-8 with a bad sequence.
    const std::string ansi = fw::WideToAnsi(kAwkward) + "[R20240101000012]\r\nVOICE=Caf\xE9 \x80 \x81\x8D\x90 \xFF\r\n" +
                             "[R20240101000008]\r\nVOICE=\xC3\xA9\r\n";
    const std::string utf8 = "\xEF\xBB\xBF" + fw::WideToUtf8(kAwkward) +
                             "[R20240101000012]\r\nVOICE=\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 bad \xC3 \xFF end\r\n";
    for (const std::string& bytes : {ansi, utf8, std::string(utf16.begin(), utf16.end())}) {
        testsupport::WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        ExpectLoadMatchesProfile(path, us, 21);
    }
    // Lines far longer than any fixed buffer.
    const std::wstring huge(100000, L'h');
    WriteUtf16File(path, L"[UNFINISHED]\r\nR20240101000001=" + huge + L"\r\nR20240101000002=" + std::wstring(70000, L' ') +
                             L"x" + std::wstring(70000, L'\t') + L"\r\n[R20240101000001]\r\nVOICE=" + huge + L"\r\nPERIOD=1\r\n");
    ExpectLoadMatchesProfile(path, us, 2);
    {
        auto store = Open();
        EXPECT_EQ(store->Records[0]->Name, huge);
        store->Records[0]->Name += L"end";  // written whole as well
        store->UpdateRecord(store->Records[0]);
    }
    EXPECT_EQ(Open()->Records[0]->Name, huge + L"end");
}

TEST_F(DataFileTest, ChangesLeaveTheBytesTheProfileFunctionsWouldLeave) {
    // Each change made through the store and, on a copy of the same file, through the profile
    // functions themselves: both files hold the same bytes after every step.
    struct Step {
        const wchar_t* section;
        const wchar_t* key;    // nullptr: erase the section
        const wchar_t* value;  // nullptr: delete the key
    };
    const std::vector<Step> steps = {
        {L"UNFINISHED", L"R20240101000001", L"new text"},
        {L"R20240101000001", L"VOICE", L"  leading blanks go"},
        {L"r20240101000007", L"PERIOD", L"3"},
        {L"R20240101000022", L"PERIOD", L"\"4\""},  // the same value: nothing changes
        {L"UNFINISHED", L"R20240101000099", L"appended"},
        {L"NEW SECTION", L"KEY", L"value "},
        {L"R20240101000001", L"ENDTIME", nullptr},  // only in the repeated section
        {L"UNFINISHED", L"R20240101000005", nullptr},
        {L"R20240101000001", nullptr, nullptr},  // the first of two
        {L"R20240101000002", nullptr, nullptr},
        {L"R20240101000020", L"VOICE", L"cr only, changed"},
        {L"CONFIG", L"Language", L"Deutsch"},
        // What a reading of the saved file takes apart or trims: each shows at the step after it.
        {L"R20240101000001", L"VOICE", L"two\r\nlines=here"},
        {L"CONFIG", L"a=b", L"c"},
        {L"CONFIG", L"[x]", L"y"},
        {L"CONFIG", L"tab", L"x\t"},
        {L"OTHER ", L"K", L"v"},
        {L"NAMELESS", L"k", nullptr},  // two nameless lines meet
        {L"CONFIG", L"Language", L"English"},
    };
    const std::wstring text = kAwkward + L"[R20240101000012]\r\nVOICE=\u3000wide\u00A0\uFEFF\r\n" +
                              L"[NAMELESS]\r\n=first\r\nk=1\r\n=second\r\n";
    const std::vector<std::pair<const char*, fw::TEncoding>> encodings = {
        {"UTF-16LE", fw::TEncoding::UTF16LE}, {"UTF-8", fw::TEncoding::UTF8},
        {"UTF-16BE", fw::TEncoding::UTF16BE}, {"ANSI", fw::TEncoding::Ansi}};
    for (const auto& [name, encoding] : encodings) {
        SCOPED_TRACE(name);
        const std::wstring mine = dir.File(L"mine " + fw::AnsiToWide(name) + L".dat");
        const std::wstring theirs = dir.File(L"theirs " + fw::AnsiToWide(name) + L".dat");
        testsupport::WriteFileBytes(mine, fw::EncodeText(text, encoding, encoding != fw::TEncoding::Ansi));
        // An ANSI file becomes UTF-16LE with the store's first change, its text unchanged.
        if (encoding == fw::TEncoding::Ansi)
            WriteUtf16File(theirs, fw::AnsiToWide(fw::WideToAnsi(text)));
        else
            testsupport::WriteFileBytes(theirs, testsupport::ReadFileBytes(mine));
        TRemindFile store(mine, us);
        fw::TIniFile profile(theirs);
        const std::vector<fw::TCustomIniFile*> both = {&store, &profile};
        for (size_t i = 0; i < steps.size(); ++i) {
            for (fw::TCustomIniFile* ini : both) {
                const Step& s = steps[i];
                if (!s.key)
                    ini->EraseSection(s.section);
                else if (!s.value)
                    ini->DeleteKey(s.section, s.key);
                else
                    ini->WriteString(s.section, s.key, s.value);
            }
            ASSERT_EQ(testsupport::ReadFileBytes(mine), testsupport::ReadFileBytes(theirs)) << "step " << i;
        }
    }
}
