// TIniFile against the real profile functions.
#include <gtest/gtest.h>

#include "fw_inifiles.h"
#include "test_support.h"

using namespace fw;
using testsupport::Lines;
using testsupport::TempDir;

namespace {

std::wstring ReadAnsiFile(const std::wstring& path) {
    const auto b = testsupport::ReadFileBytes(path);
    TEncoding e;
    return DecodeText(b.data(), b.size(), e);
}

// A private folder and a file name in it.
class IniFile : public ::testing::Test {
protected:
    TempDir dir;
    const std::wstring path = dir.File(L"data.dat");
};

}  // namespace

TEST_F(IniFile, TypedValuesRoundTrip) {
    TIniFile ini(path);
    ini.WriteString(L"CONFIG", L"Language", L"Deutsch");
    ini.WriteInteger(L"CONFIG", L"NEWSID", -1);
    ini.WriteBool(L"CONFIG", L"AUTEUPDATE", false);
    ini.WriteBool(L"CONFIG", L"CHECKNEWS", true);
    for (const wchar_t* k : {L"0x1F", L"12abc"}) ini.WriteString(L"CONFIG", k, k);
    EXPECT_EQ(ini.ReadString(L"config", L"language", L"English"), L"Deutsch");
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"Missing", L"dflt"), L"dflt");
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"NEWSID", 5), -1);
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"0x1F", 5), 31);
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"12abc", 5), 5);
    EXPECT_FALSE(ini.ReadBool(L"CONFIG", L"AUTEUPDATE", true));
    ini.UpdateFile();
    const std::wstring text = ReadAnsiFile(ini.GetFileName());
    EXPECT_NE(text.find(L"AUTEUPDATE=0\r\nCHECKNEWS=1"), std::wstring::npos);
}

TEST_F(IniFile, LongValuesAndLargeSectionsComeBackWhole) {
    TIniFile ini(path);
    for (size_t len : {2048u, 70000u}) {
        std::wstring v;
        for (size_t i = 0; i < len; ++i) v += static_cast<wchar_t>(L'a' + i % 26);
        ini.WriteString(L"UNFINISHED", L"R" + IntToStr(static_cast<int64_t>(len)), v);
        EXPECT_EQ(ini.ReadString(L"UNFINISHED", L"R" + IntToStr(static_cast<int64_t>(len)), L""), v) << len;
    }
    // 3000 keys of 19 characters: far more than 16 K characters of key names.
    std::string text = "[CONFIG]\r\nLanguage=English\r\n[UNFINISHED]\r\n";
    std::vector<std::wstring> expected;
    for (int i = 0; i < 3000; ++i) {
        char key[32];
        snprintf(key, sizeof key, "R2024%02d%02d%08d", i % 12 + 1, i % 28 + 1, i);
        text += std::string(key) + "=Reminder " + std::to_string(i) + "\r\n";
        expected.push_back(testsupport::Widen(key));
    }
    for (int i = 0; i < 1500; ++i) text += "[R2023010112" + std::to_string(100000 + i) + "]\r\nPERIOD=1\r\n";
    const std::wstring big = dir.File(L"big.dat");
    testsupport::WriteFileBytes(big, text);
    TIniFile bigIni(big);
    TStringList keys;
    bigIni.ReadSection(L"UNFINISHED", keys);
    EXPECT_EQ(Lines(keys), expected);
    TStringList names;
    bigIni.ReadSections(names);
    ASSERT_EQ(names.Count(), 1502);
    EXPECT_EQ(names[1501], L"R2023010112101499");
}

TEST_F(IniFile, RelativeNamesBecomeAbsolute) {
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    {
        TIniFile ini(L"rel.ini");
        EXPECT_EQ(ini.GetFileName(), dir.File(L"rel.ini"));
        ini.WriteString(L"S", L"K", L"V");
        ini.UpdateFile();
    }
    SetCurrentDirectoryW(old);
    EXPECT_TRUE(FileExists(dir.File(L"rel.ini")));
}

TEST_F(IniFile, RefusedWriteNamesTheFile) {
    // A missing folder: the one failure that also happens when the tests run as root.
    const std::wstring bad = dir.File(L"missing\\folder\\data.dat");
    TIniFile ini(bad);
    try {
        ini.WriteString(L"CONFIG", L"Language", L"English");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message, L"Unable to write to " + bad);
    }
}

// A file another process holds open without sharing: every change is refused, and each refusal
// is reported instead of passing for a success (a deleted key that stays would bring a deleted
// reminder back). Released, the changes go through; in a missing file they do nothing.
TEST_F(IniFile, DeletionsAndRefusedChangesOfAnExistingFile) {
    testsupport::WriteFileBytes(path, std::string("[Empty]\r\n[UNFINISHED]\r\nR1=a\r\nR2=b\r\n[R1]\r\nPERIOD=0\r\n"));
    TIniFile ini(path);
    EXPECT_FALSE(ini.SectionExists(L"Empty"));  // a section counts only with a key
    EXPECT_TRUE(ini.ValueExists(L"UNFINISHED", L"r2"));
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(ini.WriteString(L"UNFINISHED", L"R3", L"c"), EIniFileException);
    EXPECT_THROW(ini.DeleteKey(L"UNFINISHED", L"R1"), EIniFileException);
    EXPECT_THROW(ini.EraseSection(L"R1"), EIniFileException);
    CloseHandle(lock);
    ini.DeleteKey(L"UNFINISHED", L"R1");
    ini.EraseSection(L"R1");
    ini.UpdateFile();
    EXPECT_FALSE(ini.SectionExists(L"R1"));
    TStringList values;
    ini.ReadSectionValues(L"UNFINISHED", values);
    EXPECT_EQ(Lines(values), (std::vector<std::wstring>{L"R2=b"}));
    EXPECT_EQ(ReadAnsiFile(path).find(L"PERIOD"), std::wstring::npos);
    // Deleting what is not there is no error.
    EXPECT_NO_THROW(ini.DeleteKey(L"NOSECTION", L"X"));
    TIniFile none(dir.File(L"none.dat"));
    EXPECT_NO_THROW(none.EraseSection(L"X"));
    EXPECT_NO_THROW(none.DeleteKey(L"X", L"Y"));
}
