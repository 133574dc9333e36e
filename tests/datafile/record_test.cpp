// Records written and read back: every field of every repeat rule, the file's sections and key
// order, and the list operations of the store.
#include "datafile_util.h"

#include "fw_datetime.h"

#include <functional>

using namespace datafiletest;

namespace {

const std::vector<std::wstring> kKeyOrder = {L"PERIOD",   L"CREATEDATETIME", L"LASTTIME",   L"WAKETIME",
                                             L"VOICE",    L"ENDTIME",        L"REPEAT_DATA"};

}  // namespace

TEST_F(DataFileTest, EveryRuleRoundTripsWithEveryField) {
    const fw::TDateTime base = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    std::vector<TRmRecordStruct> expected;
    {
        auto store = Open();
        for (uint8_t period = 0; period <= 4; ++period) {
            // Characters outside the ANSI code page, in the list and in a sound path.
            TRmRecordStruct* r = MakeRecord(period, base + period / 24.0,
                                            L"Rule " + std::to_wstring(period) + L" \u00E4\u65E5\u20AC\u0416\U0001F600");
            if (period == 1) r->Voice = L"";                              // mute
            if (period == 2) r->Voice = L"C:\\Sounds\\\u97F3\u0394.wav";  // a file
            if (period == 4) r->EndTime = fw::EncodeDateTime(2024, 4, 1, 0, 0, 0, 0);  // completed at midnight
            if (period == 3) r->EndTime = fw::EncodeDateTime(2024, 4, 2, 9, 8, 7, 0);
            r->RepeatData[20] = 0x7F;  // bytes the rule does not use are kept too
            store->AddRecord(r);
            expected.push_back(*r);
        }
    }
    const IniText ini = ReadIni(path);
    EXPECT_EQ(ini.encoding, fw::TEncoding::UTF16LE);
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::wstring>{L"UNFINISHED", L"R20240305140709", L"R20240305150709",
                                                             L"R20240305160709", L"R20240305170709",
                                                             L"R20240305180709", L"CONFIG"}));
    EXPECT_EQ(ini.Find(L"UNFINISHED")->keys[2], std::make_pair(std::wstring(L"R20240305160709"), expected[2].Name));
    for (const auto& s : ini.sections)
        if (s.name.size() == 15) EXPECT_EQ(s.KeyNames(), kKeyOrder) << testsupport::Narrow(s.name);
    const IniSection* weekly = ini.Find(L"R20240305160709");
    EXPECT_EQ(weekly->Value(L"CREATEDATETIME"), L"3/5/2024 4:07:09 PM");
    EXPECT_EQ(weekly->Value(L"LASTTIME"), L"3/5/2024 4:08:09 PM");
    EXPECT_EQ(weekly->Value(L"WAKETIME"), L"6:30:00 PM");
    EXPECT_EQ(weekly->Value(L"ENDTIME"), L"");
    // Monday and Friday, then byte 20 as it was left.
    EXPECT_EQ(weekly->Value(L"REPEAT_DATA"), L"000100000001" + std::wstring(28, L'0') + L"7F" + std::wstring(20, L'0'));
    EXPECT_EQ(ini.Find(L"R20240305150709")->Value(L"VOICE"), L"");  // mute: the key is there, empty
    EXPECT_EQ(ini.Find(L"R20240305180709")->Value(L"ENDTIME"), L"4/1/2024");  // no time at midnight
    EXPECT_EQ(ini.Find(L"R20240305170709")->Value(L"ENDTIME"), L"4/2/2024 9:08:07 AM");

    auto store = Open();
    ASSERT_EQ(store->Records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TRmRecordStruct &e = expected[i], &a = *store->Records[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(a.Name, e.Name);
        for (auto [x, y] : {std::pair{e.CreateDateTime, a.CreateDateTime}, {e.WakeTime, a.WakeTime},
                            {e.EndTime, a.EndTime}, {e.LastTime, a.LastTime}})
            EXPECT_NEAR(x, y, 0.5 / fw::SecsPerDay);  // texts carry whole seconds
        EXPECT_EQ(a.Voice, e.Voice);
        EXPECT_EQ(a.Period, e.Period);
        EXPECT_EQ(a.RepeatData, e.RepeatData);
        EXPECT_EQ(a.Section, e.Section);
    }
}

TEST_F(DataFileTest, OnlyAByteOfOneIsASetFlagAndDaysOutOfRangeAreNeverSet) {
    TRmRecordStruct odd;
    odd.RepeatData[2] = 2;
    odd.RepeatData[30] = 1;
    EXPECT_FALSE(odd.GetWeekDays(2));
    EXPECT_FALSE(odd.GetMonthDays(2));
    EXPECT_TRUE(odd.GetMonthDays(30));
    EXPECT_FALSE(odd.GetWeekDays(7));
    EXPECT_FALSE(odd.GetMonthDays(31));
    EXPECT_FALSE(odd.GetMonthDays(-1));
    const auto before = odd.RepeatData;
    odd.SetWeekDays(7, true);
    odd.SetMonthDays(31, true);
    odd.SetMonthDays(-1, true);
    EXPECT_EQ(odd.RepeatData, before);
}

TEST_F(DataFileTest, ListOperationsTouchOnlyRecordsOfTheStore) {
    const fw::TDateTime t = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    auto store = Open();
    TRmRecordStruct *a = MakeRecord(1, t, L"A"), *b = MakeRecord(1, t + 1, L"B");
    store->AddRecord(a);
    store->AddRecord(b);
    const auto afterAdd = testsupport::ReadFileBytes(path);
    // Adding again writes nothing, even with changed fields; a record outside the store is
    // neither written nor deleted (nor freed).
    a->Name = L"changed";
    store->AddRecord(a);
    std::unique_ptr<TRmRecordStruct> stranger(MakeRecord(2, t + 2, L"stranger"));
    store->UpdateRecord(stranger.get());
    store->DeleteRecord(stranger.get());
    EXPECT_EQ(testsupport::ReadFileBytes(path), afterAdd);
    EXPECT_EQ(store->Records.size(), 2u);
    EXPECT_EQ(stranger->Name, L"stranger");

    store->UpdateRecord(a);
    EXPECT_EQ(ReadIni(path).Find(L"UNFINISHED")->Value(L"R20240305140709"), L"changed");
    b->Voice = L"C:\\x.mp3";  // a sound file switched to mute leaves an empty VOICE
    store->UpdateRecord(b);
    b->Voice.clear();
    store->UpdateRecord(b);
    store->DeleteRecord(a);
    ASSERT_EQ(store->Records, std::vector<TRmRecordStruct*>{b});
    const IniText ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"R20240305140709"), nullptr);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->Value(L"R20240305140709"), L"<missing>");
    EXPECT_EQ(ini.Find(L"R20240306140709")->Value(L"VOICE"), L"");
}

TEST_F(DataFileTest, SettingsAreSavedInOrderAndTheMachineIdIsFetchedAtEveryLoad) {
    {
        auto store = Open();
        EXPECT_EQ(online.guidCalls, 1);
        EXPECT_FALSE(Config.MachineGuid.empty());
        EXPECT_EQ(Config.NewsId, -1);
        EXPECT_EQ(Config.Language, L"English");
        Config.AutoUpdate = false;
        Config.NewsId = 42;
        Config.Language = L"Deutsch";
        Config.SetupVer = L"1.14.52";
        store->SaveConfig();
        EXPECT_EQ(ReadIni(path).Find(L"CONFIG")->keys,
                  (std::vector<std::pair<std::wstring, std::wstring>>{{L"AUTEUPDATE", L"0"}, {L"CHECKNEWS", L"1"},
                                                                      {L"NEWSID", L"42"}, {L"Language", L"Deutsch"},
                                                                      {L"SetupVer", L"1.14.52"}}));
        Config.SetupVer = L"2.0.1";  // changed in memory only: the store's end writes it
    }
    Config = TConfig{};
    auto store = Open();
    EXPECT_EQ(online.guidCalls, 2);
    EXPECT_FALSE(Config.AutoUpdate);
    EXPECT_EQ(Config.NewsId, 42);
    EXPECT_EQ(Config.SetupVer, L"2.0.1");
    // The id is never stored in the file.
    for (const auto& kv : ReadIni(path).Find(L"CONFIG")->keys) EXPECT_NE(kv.second, Config.MachineGuid);
}

TEST_F(DataFileTest, AMissingFileReadsAsEmptyAndARefusedWriteNamesTheFile) {
    EXPECT_FALSE(fw::FileExists(Open()->GetFileName())) << "loading creates nothing";
    const std::wstring bad = dir.File(L"no such folder\\vk_rmind_data.dat");
    TRemindFile store(bad, us);
    EXPECT_TRUE(store.Records.empty());
    std::unique_ptr<TRmRecordStruct> r(MakeRecord(0, fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0), L"x"));
    try {
        store.AddRecord(r.get());
        ADD_FAILURE() << "no error raised";
    } catch (const fw::EIniFileException& e) {
        EXPECT_EQ(e.Message, L"Unable to write to " + bad);
    }
    EXPECT_TRUE(store.Records.empty()) << "not appended: the caller still owns it";
    EXPECT_THROW(store.SaveConfig(), fw::EIniFileException);

    // A folder that goes away under a running store: the record in memory keeps its new values.
    const std::wstring sub = dir.File(L"sub"), subFile = sub + L"\\vk_rmind_data.dat";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    TRemindFile good(subFile, us);
    TRmRecordStruct* g = MakeRecord(0, fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0), L"kept");
    good.AddRecord(g);
    ASSERT_TRUE(DeleteFileW(subFile.c_str()) && RemoveDirectoryW(sub.c_str()));
    g->Name = L"new text";
    EXPECT_THROW(good.UpdateRecord(g), fw::EIniFileException);
    EXPECT_EQ(g->Name, L"new text");
}

TEST_F(DataFileTest, EachOperationSavesTheFileOnce) {
    const fw::TDateTime t = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    const std::wstring other = dir.File(L"other.dat");
    {
        TRemindFile source(other, us);
        for (int i = 0; i < 20; ++i) source.AddRecord(MakeRecord(static_cast<uint8_t>(i % 5), t + 10 + i, L"restored"));
    }
    auto store = Open();
    int saves = 0;
    store->FileWriter = [&saves](const std::wstring& f, const std::vector<uint8_t>& b) {
        ++saves;
        return WriteFileAtomically(f, b);
    };
    TRmRecordStruct* a = MakeRecord(2, t, L"line one\r\nline two");
    struct Case { const char* what; std::function<void()> op; int saves; };
    const std::vector<Case> cases = {
        {"add", [&] { store->AddRecord(a); }, 1},
        {"update (escape marker taken out, nine keys)", [&] { a->Name = L"plain"; store->UpdateRecord(a); }, 1},
        {"update without a change", [&] { store->UpdateRecord(a); }, 0},
        {"complete", [&] { a->EndTime = t + 1; store->UpdateRecord(a); }, 1},
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
    ASSERT_EQ(store->Records.size(), 20u);
    const fw::TDateTime last = store->Records[19]->LastTime;
    store.reset();
    auto again = Open();
    ASSERT_EQ(again->Records.size(), 20u);
    EXPECT_EQ(again->Records[19]->LastTime, last);
    EXPECT_EQ(Config.NewsId, 7);
}

TEST_F(DataFileTest, ARefusedSaveLeavesTheFileAsItWasAndNothingHalfDone) {
    const fw::TDateTime t = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    const std::wstring other = dir.File(L"other.dat");
    {
        TRemindFile source(other, us);
        for (int i = 0; i < 3; ++i) source.AddRecord(MakeRecord(1, t + 10 + i, L"restored"));
    }
    auto store = Open();
    store->AddRecord(MakeRecord(1, t, L"first"));
    const auto before = testsupport::ReadFileBytes(path);
    bool refuse = true;
    store->FileWriter = [&refuse](const std::wstring& f, const std::vector<uint8_t>& b) {
        return !refuse && WriteFileAtomically(f, b);
    };
    std::unique_ptr<TRmRecordStruct> second(MakeRecord(2, t, L"same second"));
    EXPECT_THROW(store->AddRecord(second.get()), fw::EIniFileException);
    EXPECT_TRUE(second->Section.empty());
    EXPECT_EQ(second->CreateDateTime, t);
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
    const IniText ini = ReadIni(path);
    EXPECT_EQ(ini.Find(L"UNFINISHED")->keys, (std::vector<std::pair<std::wstring, std::wstring>>{
                                                 {L"R20240305140709", L"first"}}));
    EXPECT_EQ(ini.Find(L"CONFIG")->Value(L"NEWSID"), L"3");
    store->AddRecord(second.get());
    EXPECT_EQ(second.release()->Section, L"R20240305140710");
    store->MergeFrom(other);
    EXPECT_EQ(ReadIni(path).Find(L"UNFINISHED")->keys.size(), 5u);
}

TEST_F(DataFileTest, ChangesMadeByAnotherProgramAreKeptAndEverySaveIsSeenByOtherReaders) {
    auto store = Open();
    store->AddRecord(MakeRecord(1, fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0), L"mine"));
    fw::TIniFile(path).WriteString(L"OTHER", L"key", L"value");  // another program, behind the store's back
    store->Records[0]->Name = L"mine, changed";
    store->UpdateRecord(store->Records[0]);
    EXPECT_EQ(ReadIni(path).Find(L"OTHER")->Value(L"key"), L"value");
    EXPECT_EQ(ReadIni(path).Find(L"UNFINISHED")->Value(L"R20240305140709"), L"mine, changed");
    // The start-up reads the saved language through the profile functions: it finds every save.
    for (const wchar_t* language : {L"Fran\u00E7ais", L"Italiano", L"English"}) {
        Config.Language = language;
        store->SaveConfig();
        EXPECT_EQ(fw::TIniFile(path).ReadString(L"CONFIG", L"Language", L""), language);
    }
}

TEST_F(DataFileTest, ADeletedReminderListedTwiceByHandDoesNotComeBack) {
    WriteUtf16File(path,
               L"[UNFINISHED]\r\nR20240305140709=one\r\nR20240306140709=two\r\nr20240305140709=one again\r\n"
               L"[R20240305140709]\r\nPERIOD=1\r\n[R20240306140709]\r\nPERIOD=2\r\n[R20240305140709]\r\nPERIOD=3\r\n");
    {
        auto store = Open();
        ASSERT_EQ(store->Records.size(), 2u);
        EXPECT_EQ(store->Records[0]->Name, L"one");
        EXPECT_EQ(store->Records[0]->Period, 1);
        store->DeleteRecord(store->Records[0]);
    }
    auto store = Open();
    ASSERT_EQ(store->Records.size(), 1u);
    EXPECT_EQ(store->Records[0]->Name, L"two");
    EXPECT_EQ(ReadIni(path).Find(L"UNFINISHED")->KeyNames(), (std::vector<std::wstring>{L"R20240306140709"}));
}
