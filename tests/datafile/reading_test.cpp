// Reading what other writers left: a data file of the earlier program (ANSI, United States
// formats), UTF-16 and UTF-8 without their marks and files that do not decode.
#include "datafile_util.h"

using namespace datafiletest;

TEST_F(DataFileTest, AFileOfTheEarlierProgramReadsWholeAndBecomesUtf16AtTheFirstWriteWithoutLoss) {
    // As the earlier program wrote it: ANSI code page, "M/d/yyyy h:mm:ss tt", no byte-order mark;
    // then edited: short and lower-case repeat data, texts of another date format, a section of
    // another name with ISO dates and no PERIOD.
    WriteAnsi(path,
              L"[CONFIG]\r\nAUTEUPDATE=1\r\nCHECKNEWS=0\r\nNEWSID=17\r\nLanguage=Fran\u00E7ais\r\nSetupVer=1.14.52\r\n"
              L"[UNFINISHED]\r\nR20240305140709=Caf\u00E9 mit M\u00FCller\r\nR20240306081500=Weekly standup\r\n"
              L"R20231224180000=Geschenke\r\nRshort=By hand\r\n"
              L"[R20240305140709]\r\nPERIOD=0\r\nCREATEDATETIME=3/5/2024 2:07:09 PM\r\nLASTTIME=3/5/2024 2:07:09 PM\r\n"
              L"WAKETIME=6:30:00 PM\r\nVOICE=default.mp3\r\nENDTIME=\r\n"
              L"REPEAT_DATA=00000000000000000000008025E64000000000000000000000000000000000\r\n"
              L"[R20240306081500]\r\nPERIOD=2\r\nCREATEDATETIME=06.03.2024 08:15:00\r\nLASTTIME=3/11/2024 9:01:00 AM\r\n"
              L"WAKETIME=9:00:00 AM\r\nVOICE=C:\\Users\\me\\Music\\gong.wav\r\nENDTIME=20.03.2024 16:00:00\r\n"
              L"REPEAT_DATA=000101010101\r\n"
              L"[R20231224180000]\r\nPERIOD=4\r\nCREATEDATETIME=12/24/2023 6:00:00 PM\r\nLASTTIME=12/24/2024 7:00:00 PM\r\n"
              L"WAKETIME=7:00:00 PM\r\nVOICE=\r\nENDTIME=1/2/2025\r\n"
              L"REPEAT_DATA=0000000000000000000000801ce64000000000000000000000000000000000\r\n"
              L"[Rshort]\r\nCREATEDATETIME=2023-11-02 10:20:30\r\nLASTTIME=2024-03-06 07:08:09\r\n");
    const auto original = testsupport::ReadFileBytes(path);
    // The half-written copy a crash during an earlier save left beside the data file.
    testsupport::WriteFileBytes(path + L".tmp", std::vector<uint8_t>{0xFF, 0xFE, '[', 0});
    auto store = Open();
    EXPECT_FALSE(fw::FileExists(path + L".tmp"));
    EXPECT_FALSE(Config.CheckNews);
    EXPECT_EQ(Config.NewsId, 17);
    ASSERT_EQ(store->Records.size(), 4u);
    const TRmRecordStruct &once = *store->Records[0], &weekly = *store->Records[1], &yearly = *store->Records[2];
    EXPECT_EQ(once.Name, L"Caf\u00E9 mit M\u00FCller");
    EXPECT_EQ(once.CreateDateTime, kMoment);
    EXPECT_NEAR(once.WakeTime, fw::EncodeTime(18, 30, 0, 0), 1e-9);
    EXPECT_EQ(once.EndTime, 0.0);
    EXPECT_EQ(once.Voice, L"default.mp3");
    EXPECT_EQ(once.GetDate(), 45356.0);
    EXPECT_EQ(weekly.CreateDateTime, fw::EncodeDateTime(2024, 3, 6, 8, 15, 0, 0));  // from the section name
    EXPECT_NEAR(weekly.LastTime, fw::EncodeDateTime(2024, 3, 11, 9, 1, 0, 0), 1e-9);
    EXPECT_NE(weekly.EndTime, 0.0) << "a completion time that does not read keeps it completed";
    for (int d = 0; d < 7; ++d) EXPECT_EQ(weekly.GetWeekDays(d), d >= 1 && d <= 5) << d;
    EXPECT_EQ(yearly.EndTime, fw::EncodeDate(2025, 1, 2));
    EXPECT_EQ(yearly.GetDate(), fw::EncodeDate(2023, 12, 24));
    TRmRecordStruct& byHand = *store->Records[3];
    EXPECT_EQ(byHand.Period, 255);  // no PERIOD: matches no rule
    EXPECT_EQ(byHand.CreateDateTime, fw::EncodeDateTime(2023, 11, 2, 10, 20, 30, 0));
    EXPECT_EQ(byHand.LastTime, fw::EncodeDateTime(2024, 3, 6, 7, 8, 9, 0));
    EXPECT_EQ(testsupport::ReadFileBytes(path), original) << "loading alone changes nothing in the file";
    // The first write makes the file UTF-16 and writes the record back to its own section.
    byHand.Name = L"\u041F\u0440\u0438\u0432\u0435\u0442";
    store->UpdateRecord(&byHand);
    IniText ini(path);
    EXPECT_EQ(ini.GetEncoding(), fw::TEncoding::UTF16LE);
    EXPECT_EQ(ini.Sections(), (Lines{L"CONFIG", L"UNFINISHED", L"R20240305140709", L"R20240306081500",
                                     L"R20231224180000", L"Rshort"}));
    EXPECT_EQ(ini.Value(L"Rshort", L"CREATEDATETIME"), L"11/2/2023 10:20:30 AM");
    auto again = Open();
    EXPECT_EQ(Config.Language, L"Fran\u00E7ais");
    ASSERT_EQ(again->Records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Fields(*again->Records[i]), Fields(*store->Records[i]));
}

TEST_F(DataFileTest, AUtf16FileWithoutItsMarkLoadsWholeAndADamagedFileIsCopiedBeforeItsFirstSave) {
    // As some editors save it: UTF-16LE without a byte-order mark.
    std::wstring list = L"[CONFIG]\r\nLanguage=Deutsch\r\n[UNFINISHED]\r\n", body;
    for (int i = 0; i < 20; ++i) {
        const std::wstring s = L"R202403051407" + std::to_wstring(10 + i);
        list += s + L"=Erinnerung \u00E4\u20AC " + std::to_wstring(i) + L"\r\n";
        body += L"[" + s + L"]\r\nPERIOD=" + std::to_wstring(i % 5) + L"\r\nVOICE=default.mp3\r\n";
    }
    testsupport::WriteFileBytes(path, fw::EncodeText(list + body, fw::TEncoding::UTF16LE, false));
    std::vector<std::wstring> copies;
    auto keep = [&copies](const std::wstring& copy) { copies.push_back(copy); };
    {
        auto store = Open();
        store->OnDamagedCopy = keep;
        ASSERT_EQ(store->Records.size(), 20u);
        EXPECT_EQ(store->Records[7]->Name, L"Erinnerung \u00E4\u20AC 7");
        EXPECT_EQ(Config.Language, L"Deutsch");
        const std::wstring copy = dir.File(L"backup.dat");
        store->Backup(copy);  // a copy of a UTF-16 file is UTF-16 too
        IniText backup(copy);
        EXPECT_EQ(backup.GetEncoding(), fw::TEncoding::UTF16LE);
        EXPECT_EQ(backup.Value(L"UNFINISHED", L"R20240305140717"), L"Erinnerung \u00E4\u20AC 7");
        store->UpdateRecord(store->Records[3]);
    }
    EXPECT_TRUE(copies.empty());
    EXPECT_EQ(IniText(path).GetEncoding(), fw::TEncoding::UTF16LE);  // written with its mark from now on
    EXPECT_EQ(Open()->Records.back()->Name, L"Erinnerung \u00E4\u20AC 19");

    // Bytes that do not decode, and a NUL character: whatever can be read is kept, and so is a
    // copy of the original, one per damaged reading, none overwritten.
    const std::string damaged[] = {
        "\xEF\xBB\xBF[UNFINISHED]\r\nR20240305140709=ok\r\nR20240306140709=bad \xC3\x28 text\r\n"
        "[R20240305140709]\r\nPERIOD=1\r\n",
        std::string("[UNFINISHED]\r\nR20240305140709=nul\0here\r\n[R20240305140709]\r\nPERIOD=3\r\n", 62),
    };
    for (size_t round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::vector<uint8_t> original(damaged[round].begin(), damaged[round].end());
        testsupport::WriteFileBytes(path, original);
        auto store = Open();
        store->OnDamagedCopy = keep;
        ASSERT_FALSE(store->Records.empty());
        EXPECT_EQ(testsupport::ReadFileBytes(path), original);  // reading copies and changes nothing
        Config.NewsId = 5;
        store->SaveConfig();
        store->SaveConfig();
        ASSERT_EQ(copies.size(), round + 1);
        EXPECT_EQ(copies[round], path + (round == 0 ? L".damaged" : L".damaged.2"));
        EXPECT_EQ(testsupport::ReadFileBytes(copies[round]), original);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(copies[0]), std::vector<uint8_t>(damaged[0].begin(), damaged[0].end()));
}

TEST_F(DataFileTest, AUtf8FileWithoutAMarkReadsAsUtf8AndStaysWholeInItsBackupAndAfterItsFirstSave) {
    // As today's editors save the file by default: UTF-8, no byte-order mark.
    const std::wstring text = L"[CONFIG]\r\nCHECKNEWS=0\r\nLanguage=Fran\u00E7ais\r\n[UNFINISHED]\r\n"
                              L"R20240305140709=M\u00FCller \u20AC \u65E5\U0001F600\r\n"
                              L"[R20240305140709]\r\nPERIOD=1\r\nVOICE=C:\\T\u00F6ne\\gong.wav\r\n";
    testsupport::WriteFileBytes(path, fw::EncodeText(text, fw::TEncoding::UTF8, false));
    const auto original = testsupport::ReadFileBytes(path);
    const std::wstring name = L"M\u00FCller \u20AC \u65E5\U0001F600";
    EXPECT_EQ(ReadDataFileString(path, L"CONFIG", L"Language", L""), L"Fran\u00E7ais");  // as the start-up reads it
    auto store = Open();
    EXPECT_FALSE(Config.CheckNews);
    EXPECT_EQ(Config.Language, L"Fran\u00E7ais");
    ASSERT_EQ(store->Records.size(), 1u);
    EXPECT_EQ(store->Records[0]->Name, name);
    EXPECT_EQ(store->Records[0]->Voice, L"C:\\T\u00F6ne\\gong.wav");
    // The copy is UTF-8 too, with its mark, so that every reader takes it for UTF-8.
    const std::wstring copy = dir.File(L"backup.dat");
    store->Backup(copy);
    IniText backup(copy);
    EXPECT_EQ(backup.GetEncoding(), fw::TEncoding::UTF8);
    EXPECT_EQ(backup.Value(L"UNFINISHED", L"R20240305140709"), name);
    EXPECT_EQ(testsupport::ReadFileBytes(path), original);
    // The settings' save at the end is the first change: the file becomes UTF-16LE, texts intact.
    store.reset();
    IniText ini(path);
    EXPECT_EQ(ini.GetEncoding(), fw::TEncoding::UTF16LE);
    EXPECT_EQ(ini.Value(L"UNFINISHED", L"R20240305140709"), name);
    EXPECT_EQ(ini.Value(L"CONFIG", L"Language"), L"Fran\u00E7ais");
    EXPECT_EQ(Open()->Records[0]->Name, name);
    EXPECT_EQ(fw::TIniFile(path).ReadString(L"UNFINISHED", L"R20240305140709", L""), name);
    // Bytes beyond ASCII that are no UTF-8 keep a file in the ANSI code page; so does plain ASCII.
    WriteAnsi(path, L"[UNFINISHED]\r\nR20240305140709=Caf\u00E9 \u00C3\u00BC\r\n");
    EXPECT_EQ(Open()->Records[0]->Name, L"Caf\u00E9 \u00C3\u00BC");
}
