// Records written and read back: every field of every repeat rule, the file's sections and key
// order, the settings, what each operation saves and what a refused save leaves.
#include "datafile_util.h"

#include <functional>

using namespace datafiletest;

TEST_F(DataFileTest, EveryRuleAndTheSettingsRoundTripWithEveryField) {
    std::vector<TRmRecordStruct> expected;
    {
        auto store = Open();
        for (uint8_t period = 0; period <= 4; ++period) {
            // Characters outside the ANSI code page, in the list and in a sound path.
            TRmRecordStruct* r = MakeRecord(period, kMoment + period / 24.0,
                                            L"Rule " + std::to_wstring(period) + L" \u00E4\u65E5\u20AC\u0416\U0001F600");
            if (period == 1) r->Voice = L"";                              // mute
            if (period == 2) r->Voice = L"C:\\Sounds\\\u97F3\u0394.wav";  // a file
            if (period == 4) r->EndTime = fw::EncodeDateTime(2024, 4, 1, 0, 0, 0, 0);  // completed at midnight
            if (period == 3) r->EndTime = fw::EncodeDateTime(2024, 4, 2, 9, 8, 7, 0);
            r->RepeatData[20] = 0x7F;  // bytes the rule does not use are kept too
            store->AddRecord(r);
            expected.push_back(*r);
        }
        Config.AutoUpdate = false;
        Config.NewsId = 42;
        Config.Language = L"Deutsch";
        Config.SetupVer = L"1.14.52";
        store->SaveConfig();
        EXPECT_EQ(IniText(path).Values(L"CONFIG"), (Lines{L"AUTEUPDATE=0", L"CHECKNEWS=1", L"NEWSID=42",
                                                          L"Language=Deutsch", L"SetupVer=1.14.52"}));
        Config.SetupVer = L"2.0.1";  // changed in memory only: the store's end writes it
    }
    IniText ini(path);
    EXPECT_EQ(ini.GetEncoding(), fw::TEncoding::UTF16LE);
    EXPECT_EQ(ini.Sections(), (Lines{L"UNFINISHED", L"R20240305140709", L"R20240305150709", L"R20240305160709",
                                     L"R20240305170709", L"R20240305180709", L"CONFIG"}));
    // The earlier program's keys, order and formats; Monday and Friday, then byte 20 as it was left.
    EXPECT_EQ(ini.Values(L"R20240305160709"),
              (Lines{L"PERIOD=2", L"CREATEDATETIME=3/5/2024 4:07:09 PM", L"LASTTIME=3/5/2024 4:08:09 PM",
                     L"WAKETIME=6:30:00 PM", L"VOICE=C:\\Sounds\\\u97F3\u0394.wav", L"ENDTIME=",
                     L"REPEAT_DATA=000100000001" + std::wstring(28, L'0') + L"7F" + std::wstring(20, L'0')}));
    EXPECT_EQ(ini.Value(L"R20240305150709", L"VOICE"), L"");             // mute: the key is there, empty
    EXPECT_EQ(ini.Value(L"R20240305180709", L"ENDTIME"), L"4/1/2024");  // no time at midnight
    EXPECT_EQ(ini.Value(L"R20240305170709", L"ENDTIME"), L"4/2/2024 9:08:07 AM");
    Config = TConfig{};
    auto store = Open();
    EXPECT_EQ(online.guidCalls, 2) << "the machine id is fetched at every load";
    ASSERT_FALSE(Config.MachineGuid.empty());
    EXPECT_FALSE(Config.AutoUpdate);
    EXPECT_EQ(Config.NewsId, 42);
    EXPECT_EQ(Config.SetupVer, L"2.0.1");
    for (const auto& line : ini.Values(L"CONFIG")) EXPECT_EQ(line.find(Config.MachineGuid), line.npos) << "stored";
    ASSERT_EQ(store->Records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Fields(*store->Records[i]), Fields(expected[i]));
}

TEST_F(DataFileTest, EachOperationSavesTheFileOnceAndOnlyForRecordsOfTheStore) {
    const std::wstring other = dir.File(L"other.dat");
    {
        TRemindFile source(other, us);
        for (int i = 0; i < 20; ++i)
            source.AddRecord(MakeRecord(static_cast<uint8_t>(i % 5), kMoment + 10 + i, L"restored"));
    }
    auto store = Open();
    int saves = 0;
    store->FileWriter = [&saves](const std::wstring& f, const std::vector<uint8_t>& b) {
        ++saves;
        return WriteFileAtomically(f, b);
    };
    TRmRecordStruct* a = MakeRecord(2, kMoment, L"line one\r\nline two");
    std::unique_ptr<TRmRecordStruct> stranger(MakeRecord(2, kMoment + 2, L"stranger"));
    struct Case { const char* what; std::function<void()> op; int saves; };
    const std::vector<Case> cases = {
        {"add", [&] { store->AddRecord(a); }, 1},
        {"add again, changed", [&] { a->Voice = L""; store->AddRecord(a); }, 0},
        {"update (escape marker taken out, nine keys)", [&] { a->Name = L"plain"; store->UpdateRecord(a); }, 1},
        {"update without a change", [&] { store->UpdateRecord(a); }, 0},
        {"update and delete of a record not in the store", [&] {
             store->UpdateRecord(stranger.get());
             store->DeleteRecord(stranger.get());
         }, 0},
        {"complete", [&] { a->EndTime = kMoment + 1; store->UpdateRecord(a); }, 1},
        {"settings", [&] { Config.NewsId = 7; store->SaveConfig(); }, 1},
        {"restore of twenty", [&] { store->MergeFrom(other); }, 1},
        {"delete", [&] { store->DeleteRecord(a); }, 1},
        {"twenty updates in one update", [&] {
             store->BeginUpdate();
             for (TRmRecordStruct* r : store->Records) r->LastTime += 1, store->UpdateRecord(r);
             store->EndUpdate();
         }, 1},
    };
    for (const Case& c : cases) {
        saves = 0;
        c.op();
        EXPECT_EQ(saves, c.saves) << c.what;
    }
    EXPECT_EQ(stranger->Name, L"stranger");  // neither written nor freed
    const fw::TDateTime last = store->Records[19]->LastTime;
    store.reset();
    auto again = Open();
    ASSERT_EQ(again->Records.size(), 20u);
    EXPECT_EQ(again->Records[19]->LastTime, last);
    EXPECT_EQ(Config.NewsId, 7);
    EXPECT_FALSE(IniText(path).SectionExists(L"R20240305140709")) << "deleted with its section";
}

TEST_F(DataFileTest, ARefusedSaveLeavesTheFileAsItWasAndNothingHalfDone) {
    const std::wstring other = dir.File(L"other.dat");
    {
        TRemindFile source(other, us);
        for (int i = 0; i < 3; ++i) source.AddRecord(MakeRecord(1, kMoment + 10 + i, L"restored"));
    }
    auto store = Open();
    store->AddRecord(MakeRecord(1, kMoment, L"first"));
    const auto before = testsupport::ReadFileBytes(path);
    bool refuse = true;
    store->FileWriter = [&refuse](const std::wstring& f, const std::vector<uint8_t>& b) {
        return !refuse && WriteFileAtomically(f, b);
    };
    std::unique_ptr<TRmRecordStruct> second(MakeRecord(2, kMoment, L"same second"));
    try {
        store->AddRecord(second.get());
        ADD_FAILURE() << "no error raised";
    } catch (const fw::EIniFileException& e) {
        EXPECT_EQ(e.Message, L"Unable to write to " + path);
    }
    EXPECT_TRUE(second->Section.empty());  // not added: the caller still owns it, as it was
    EXPECT_EQ(second->CreateDateTime, kMoment);
    EXPECT_THROW(store->MergeFrom(other), fw::EIniFileException);
    store->Records[0]->Name = L"changed";
    EXPECT_THROW(store->UpdateRecord(store->Records[0]), fw::EIniFileException);
    EXPECT_EQ(store->Records[0]->Name, L"changed");  // the record in memory keeps its new values
    EXPECT_THROW(store->DeleteRecord(store->Records[0]), fw::EIniFileException);
    EXPECT_EQ(store->Records.size(), 1u);
    EXPECT_EQ(testsupport::ReadFileBytes(path), before);

    // The store's text is the file's again: a later save carries none of the refused changes.
    refuse = false;
    Config.NewsId = 3;
    store->SaveConfig();
    IniText ini(path);
    EXPECT_EQ(ini.Values(L"UNFINISHED"), Lines{L"R20240305140709=first"});
    EXPECT_EQ(ini.Value(L"CONFIG", L"NEWSID"), L"3");
    store->AddRecord(second.get());
    EXPECT_EQ(second.release()->Section, L"R20240305140710");
    store->MergeFrom(other);
    EXPECT_EQ(IniText(path).Values(L"UNFINISHED").size(), 5u);
}

TEST_F(DataFileTest, OtherProgramsKeepTheirChangesSeeEverySaveAndTheirLocksHarmNothing) {
    auto store = Open();
    store->AddRecord(MakeRecord(1, kMoment, L"mine"));
    fw::TIniFile(path).WriteString(L"OTHER", L"key", L"value");  // another program, behind the store's back
    store->Records[0]->Name = L"mine, changed";
    store->UpdateRecord(store->Records[0]);
    EXPECT_EQ(IniText(path).Value(L"OTHER", L"key"), L"value");
    EXPECT_EQ(IniText(path).Value(L"UNFINISHED", L"R20240305140709"), L"mine, changed");
    // The start-up reads the saved language through the profile functions: it finds every save.
    for (const wchar_t* language : {L"Fran\u00E7ais", L"English", L"Italiano"}) {
        Config.Language = language;
        store->SaveConfig();
        EXPECT_EQ(fw::TIniFile(path).ReadString(L"CONFIG", L"Language", L""), language);
    }
    store.reset();
    // A file another program holds locked loads as empty, without an error, and stays intact: the
    // defaults are written over it neither while it is held nor once it is free.
    const auto before = testsupport::ReadFileBytes(path);
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::unique_ptr<TRemindFile> locked;
    EXPECT_NO_THROW(locked = Open());
    ASSERT_TRUE(locked && locked->Records.empty());
    EXPECT_FALSE(locked->Loaded());
    EXPECT_EQ(Config.Language, L"English");  // the default
    EXPECT_FALSE(locked->RetryLoad());
    CloseHandle(lock);
    EXPECT_THROW(locked->SaveConfig(), fw::EIniFileException);
    EXPECT_EQ(testsupport::ReadFileBytes(path), before);
    // Once free, a retry loads the settings and the reminders.
    EXPECT_TRUE(locked->RetryLoad());
    EXPECT_TRUE(locked->Loaded());
    EXPECT_EQ(locked->Records.size(), 1u);
    EXPECT_EQ(Config.Language, L"Italiano");
    EXPECT_FALSE(locked->RetryLoad()) << "loaded once";
    locked.reset();
    EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}
