// Backup copies and restoring them: encodings, what a copy holds, and which reminders come back.
#include "datafile_util.h"

using namespace datafiletest;

TEST_F(DataFileTest, ABackupKeepsTheFilesEncodingAndLeavesTheSettingsOut) {
    WriteAnsi(path,
              L"[CONFIG]\r\nAUTEUPDATE=1\r\nLanguage=Fran\u00E7ais\r\n"
              L"[UNFINISHED]\r\nR20240305140709=Caf\u00E9\r\nR20240306140709=second\r\n"
              L"[R20240305140709]\r\nPERIOD=1\r\nCREATEDATETIME=3/5/2024 2:07:09 PM\r\nVOICE=\r\n"
              L"[R20240306140709]\r\nPERIOD=2\r\nVOICE=default.mp3\r\n");
    const auto original = testsupport::ReadFileBytes(path);
    fw::SetClock([] { return fw::EncodeDateTime(2024, 7, 14, 9, 30, 0, 0); });
    const std::wstring copy = dir.File(L"veskreminddata.dat");
    auto store = Open();
    store->Backup(copy);
    EXPECT_EQ(testsupport::ReadFileBytes(path), original);  // the data file is not changed
    IniText ini(copy);
    EXPECT_EQ(ini.GetEncoding(), fw::TEncoding::Ansi);
    EXPECT_EQ(ini.Sections(), (Lines{L"UNFINISHED", L"R20240305140709", L"R20240306140709", L"BACKUP"}));
    EXPECT_EQ(ini.Values(L"BACKUP"), Lines{L"BACKTIME=7/14/2024"});
    // Each section, its keys, one blank line; the code page's byte, not UTF-8.
    const auto bytes = testsupport::ReadFileBytes(copy);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("[UNFINISHED]\r\nR20240305140709=Caf\xE9\r\nR20240306140709=second\r\n\r\n["),
              std::string::npos);
}

TEST_F(DataFileTest, RestoreAddsOnlyRemindersWhoseSectionsAreMissingAndNoneOfTheFilesOwnSections) {
    // A backup edited by hand: keys in the list that name the settings, the list and the backup date.
    const std::wstring other = dir.File(L"other.dat");
    WriteUtf16File(other,
               L"[UNFINISHED]\r\nCONFIG=settings\r\nR20240305140709=other text for a present one\r\n"
               L"unfinished=the list\r\nBackup=date\r\nR20240401100000=new one\r\n"
               L"[R20240305140709]\r\nPERIOD=4\r\nVOICE=x.mp3\r\n"
               L"[R20240401100000]\r\nPERIOD=3\r\nCREATEDATETIME=4/1/2024 10:00:00 AM\r\nLASTTIME=4/2/2024 10:00:00 AM\r\n"
               L"WAKETIME=7:15:00 AM\r\nVOICE=C:\\bell.wav\r\nENDTIME=\r\n"
               L"REPEAT_DATA=000001" + std::wstring(54, L'0') + L"ab\r\n"
               L"[CONFIG]\r\nLanguage=Other\r\nNEWSID=99\r\n[BACKUP]\r\nBACKTIME=3/5/2024\r\n");
    auto store = Open();
    store->AddRecord(MakeRecord(1, kMoment, L"present"));
    Config.Language = L"Mine";
    store->MergeFrom(dir.File(L"missing.dat"));  // a missing file: nothing, no error
    store->MergeFrom(other);
    ASSERT_EQ(store->Records.size(), 2u);
    EXPECT_EQ(store->Records[0]->Name, L"present");  // skipped, whatever the other file holds
    EXPECT_EQ(store->Records[0]->Period, 1);
    EXPECT_EQ(store->Records[1]->Section, L"R20240401100000");
    EXPECT_EQ(Config.Language, L"Mine");  // the other file's settings are not read
    EXPECT_EQ(Config.NewsId, -1);
    // Written at once, every key in the file's order, and nothing else.
    IniText ini(path);
    EXPECT_EQ(ini.Sections(), (Lines{L"UNFINISHED", L"R20240305140709", L"R20240401100000"}));
    EXPECT_EQ(ini.Values(L"R20240401100000"),
              (Lines{L"PERIOD=3", L"CREATEDATETIME=4/1/2024 10:00:00 AM", L"LASTTIME=4/2/2024 10:00:00 AM",
                     L"WAKETIME=7:15:00 AM", L"VOICE=C:\\bell.wav", L"ENDTIME=",
                     L"REPEAT_DATA=000001" + std::wstring(54, L'0') + L"AB"}));
    // Restoring the same file again, or the data file itself, adds nothing.
    store->MergeFrom(other);
    store->MergeFrom(path);
    EXPECT_EQ(store->Records.size(), 2u);
    EXPECT_EQ(IniText(path).Values(L"UNFINISHED").size(), 2u);
}

TEST_F(DataFileTest, HandEditedListsNeitherHideNorReviveNorDamageAnything) {
    // Keys in the list that name the settings, the list itself and the backup date; a key line
    // without a name (key by key it would end the list); a reminder listed twice with two sections.
    WriteUtf16File(path,
               L"[CONFIG]\r\nLanguage=Deutsch\r\nNEWSID=5\r\n"
               L"[UNFINISHED]\r\nCONFIG=settings\r\nR20240305140709=real\r\nunfinished=the list\r\nBackup=date\r\n"
               L"=no name\r\nR20240306140709=two\r\nr20240305140709=real again\r\n"
               L"[R20240305140709]\r\nPERIOD=1\r\n[R20240306140709]\r\nPERIOD=2\r\n[R20240305140709]\r\nPERIOD=3\r\n"
               L"[BACKUP]\r\nBACKTIME=3/5/2024\r\n");
    {
        auto store = Open();
        ASSERT_EQ(store->Records.size(), 2u);
        EXPECT_EQ(store->Records[0]->Name, L"real");
        EXPECT_EQ(store->Records[0]->Period, 1);
        EXPECT_EQ(store->Records[1]->Period, 2);
        store->UpdateRecord(store->Records[0]);
        store->DeleteRecord(store->Records[0]);
    }
    IniText ini(path);
    EXPECT_EQ(ini.Sections(), (Lines{L"CONFIG", L"UNFINISHED", L"R20240306140709", L"BACKUP"}));
    EXPECT_EQ(ini.Values(L"UNFINISHED"),
              (Lines{L"CONFIG=settings", L"unfinished=the list", L"Backup=date", L"=no name", L"R20240306140709=two"}));
    EXPECT_EQ(Open()->Records.size(), 1u) << "the deleted reminder does not come back";
}
