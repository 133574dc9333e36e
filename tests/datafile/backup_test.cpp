// Backup copies and restoring them: encodings, what a copy holds, and which reminders come back.
#include "datafile_util.h"

#include "fw_datetime.h"

using namespace datafiletest;

namespace {

const fw::TDateTime kMoment = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);

const std::wstring kAnsiFile =
    L"[CONFIG]\r\nAUTEUPDATE=1\r\nLanguage=Fran\u00E7ais\r\n"
    L"[UNFINISHED]\r\nR20240305140709=Caf\u00E9\r\nR20240306140709=second\r\n"
    L"[R20240305140709]\r\nPERIOD=1\r\nCREATEDATETIME=3/5/2024 2:07:09 PM\r\nVOICE=\r\n"
    L"; a comment line\r\n"
    L"[R20240306140709]\r\nPERIOD=2\r\nVOICE=default.mp3\r\n";

void FixClock(fw::TDateTime t) {
    fw::SetClock([t] { return t; });
}

}  // namespace

TEST_F(DataFileTest, BackupOfAnAnsiFileStaysAnsiAndLeavesTheSettingsOut) {
    WriteAnsi(path, kAnsiFile);
    const auto original = testsupport::ReadFileBytes(path);
    FixClock(fw::EncodeDateTime(2024, 7, 14, 9, 30, 0, 0));
    const std::wstring copy = dir.File(L"veskreminddata.dat");
    {
        auto store = Open();
        store->Backup(copy);
        EXPECT_EQ(testsupport::ReadFileBytes(path), original);  // the data file is not changed
    }
    const IniText ini = ReadIni(copy);
    EXPECT_EQ(ini.encoding, fw::TEncoding::Ansi);
    EXPECT_EQ(ini.SectionNames(),
              (std::vector<std::wstring>{L"UNFINISHED", L"R20240305140709", L"R20240306140709", L"BACKUP"}));
    EXPECT_EQ(ini.Find(L"UNFINISHED")->Value(L"R20240305140709"), L"Caf\u00E9");
    EXPECT_EQ(ini.Find(L"BACKUP")->keys,
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"BACKTIME", L"7/14/2024"}}));
    // Each section, its keys, one blank line; the comment is gone.
    const auto bytes = testsupport::ReadFileBytes(copy);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("comment"), std::string::npos);
    EXPECT_NE(text.find("[R20240305140709]\r\nPERIOD=1\r\nCREATEDATETIME=3/5/2024 2:07:09 PM\r\nVOICE=\r\n\r\n["),
              std::string::npos);
    EXPECT_NE(text.find("Caf\xE9"), std::string::npos);  // the code page's byte, not UTF-8
}

TEST_F(DataFileTest, BackupOfAUtf16FileStaysUtf16) {
    FixClock(fw::EncodeDateTime(2024, 12, 1, 0, 0, 0, 0));
    const std::wstring name = L"\u65E5\u672C \u20AC", copy = dir.File(L"backup.dat");
    {
        auto store = Open(de);
        store->AddRecord(MakeRecord(2, kMoment, name));
        store->Backup(copy);
    }
    const IniText ini = ReadIni(copy);
    EXPECT_EQ(ini.encoding, fw::TEncoding::UTF16LE);
    EXPECT_EQ(ini.Find(L"CONFIG"), nullptr);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->Value(L"R20240305140709"), name);
    EXPECT_EQ(ini.sections.back().keys, (std::vector<std::pair<std::wstring, std::wstring>>{{L"BACKTIME", L"01.12.2024"}}));
    // A file of settings only gives a copy of the date alone, which restores nothing.
    WriteAnsi(path, L"[CONFIG]\r\nNEWSID=4\r\n");
    auto store = Open();
    store->Backup(copy);
    EXPECT_EQ(ReadIni(copy).SectionNames(), (std::vector<std::wstring>{L"BACKUP"}));
    store->MergeFrom(copy);
    EXPECT_TRUE(store->Records.empty());
}

TEST_F(DataFileTest, MergeAddsOnlyRemindersWhoseSectionsAreMissing) {
    const std::wstring other = dir.File(L"other.dat");
    WriteUtf16File(other,
               L"[UNFINISHED]\r\nR20240305140709=other text for a present one\r\nR20240401100000=new one\r\n"
               L"[R20240305140709]\r\nPERIOD=4\r\nVOICE=x.mp3\r\n"
               L"[R20240401100000]\r\nPERIOD=3\r\nCREATEDATETIME=4/1/2024 10:00:00 AM\r\nLASTTIME=4/2/2024 10:00:00 AM\r\n"
               L"WAKETIME=7:15:00 AM\r\nVOICE=C:\\bell.wav\r\nENDTIME=\r\n"
               L"REPEAT_DATA=000001" + std::wstring(54, L'0') + L"ab\r\n"
               L"[CONFIG]\r\nLanguage=Other\r\nNEWSID=99\r\n");
    const auto otherBytes = testsupport::ReadFileBytes(other);
    auto store = Open();
    store->AddRecord(MakeRecord(1, kMoment, L"present"));
    Config.Language = L"Mine";
    store->MergeFrom(dir.File(L"missing.dat"));  // a missing file: nothing, no error
    store->MergeFrom(other);
    ASSERT_EQ(store->Records.size(), 2u);
    EXPECT_EQ(store->Records[0]->Name, L"present");  // skipped, whatever the other file holds
    EXPECT_EQ(store->Records[0]->Period, 1);
    const TRmRecordStruct* added = store->Records[1];
    EXPECT_EQ(added->Name, L"new one");
    EXPECT_EQ(added->Section, L"R20240401100000");
    EXPECT_TRUE(added->GetMonthDays(2));
    EXPECT_EQ(added->RepeatData[30], 0xAB);
    EXPECT_EQ(Config.Language, L"Mine");  // the other file's settings are not read
    EXPECT_EQ(Config.NewsId, -1);
    EXPECT_EQ(testsupport::ReadFileBytes(other), otherBytes);
    // Written at once, in the order of the list, with the file's key order.
    const IniText ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->KeyNames(), (std::vector<std::wstring>{L"R20240305140709", L"R20240401100000"}));
    EXPECT_EQ(ini.Find(L"R20240401100000")->KeyNames(),
              (std::vector<std::wstring>{L"PERIOD", L"CREATEDATETIME", L"LASTTIME", L"WAKETIME", L"VOICE", L"ENDTIME",
                                         L"REPEAT_DATA"}));
    EXPECT_EQ(ini.Find(L"R20240401100000")->Value(L"WAKETIME"), L"7:15:00 AM");
    // Merging the same file again, or the data file itself, adds nothing.
    store->MergeFrom(other);
    store->MergeFrom(path);
    EXPECT_EQ(store->Records.size(), 2u);
    EXPECT_EQ(ReadIni(path).Find(L"UNFINISHED")->keys.size(), 2u);
}

TEST_F(DataFileTest, ABackupMadeUnderAnotherDateFormatRestoresWithoutDuplicatesOrRevivals) {
    const std::wstring copy = dir.File(L"german.dat");
    {
        auto store = Open(de);
        store->AddRecord(MakeRecord(1, kMoment, L"shared"));
        TRmRecordStruct* done = MakeRecord(0, kMoment + 1, L"done\r\n  second line  ");
        done->EndTime = fw::EncodeDateTime(2024, 3, 6, 18, 0, 0, 0);
        store->AddRecord(done);
        store->AddRecord(MakeRecord(2, kMoment + 2, L"active"));
        store->Backup(copy);
    }
    // The data file now only has "shared", written under the other format.
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    {
        auto store = Open(us);
        store->AddRecord(MakeRecord(1, kMoment, L"shared"));
        store->MergeFrom(copy);
        store->MergeFrom(copy);
    }
    const IniText ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->keys.size(), 3u);
    EXPECT_EQ(ini.Find(L"R20240306140709")->Value(L"CREATEDATETIME"), L"3/6/2024 2:07:09 PM");
    auto store = Open(us);
    ASSERT_EQ(store->Records.size(), 3u);
    EXPECT_EQ(store->Records[1]->Name, L"done\r\n  second line  ");
    EXPECT_NE(store->Records[1]->EndTime, 0.0) << "stays completed";
    EXPECT_EQ(store->Records[1]->CreateDateTime, kMoment + 1);
    EXPECT_EQ(store->Records[2]->EndTime, 0.0);
}

TEST_F(DataFileTest, ListKeysNamingTheFilesOwnSectionsAreNoReminders) {
    // Hand edits: keys in the list that name the settings, the list itself and the backup date.
    const std::wstring listed =
        L"[CONFIG]\r\nLanguage=Deutsch\r\nNEWSID=5\r\n"
        L"[UNFINISHED]\r\nCONFIG=settings\r\nR20240305140709=real\r\nunfinished=the list\r\nBackup=date\r\n"
        L"[R20240305140709]\r\nPERIOD=1\r\n"
        L"[BACKUP]\r\nBACKTIME=3/5/2024\r\n";
    WriteUtf16File(path, listed);
    {
        auto store = Open();
        ASSERT_EQ(store->Records.size(), 1u);
        EXPECT_EQ(store->Records[0]->Name, L"real");
        store->UpdateRecord(store->Records[0]);
        store->DeleteRecord(store->Records[0]);
    }
    IniText ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"CONFIG")->Value(L"Language"), L"Deutsch");
    EXPECT_EQ(ini.Find(L"UNFINISHED")->KeyNames(), (std::vector<std::wstring>{L"CONFIG", L"unfinished", L"Backup"}));

    // Restoring such a file touches none of this file's own sections either.
    const std::wstring other = dir.File(L"other.dat");
    WriteUtf16File(other, listed);
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    auto store = Open();
    store->MergeFrom(other);
    ASSERT_EQ(store->Records.size(), 1u);
    EXPECT_EQ(store->Records[0]->Name, L"real");
    ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"CONFIG"), nullptr);
    EXPECT_EQ(ini.Find(L"BACKUP"), nullptr);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->KeyNames(), (std::vector<std::wstring>{L"R20240305140709"}));
}
