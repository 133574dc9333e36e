// Texts and files that must come through unharmed: line breaks, quotes, reminders made within one
// second, a save that runs out of memory, a save killed half-way.
#include "datafile_util.h"

#include "process_support.h"

#include <random>

using namespace datafiletest;

namespace {

// The kill test starts this test program again as a child that saves until it is killed.
const wchar_t* const kChildFileVar = L"VR_DATAFILE_SAVING_CHILD";
const wchar_t* const kChildEventVar = L"VR_DATAFILE_SAVING_EVENT";

}  // namespace

TEST_F(DataFileTest, LineBreaksBlanksAndQuotesInATextSurvive) {
    const std::wstring multi = L"first line\r\nsecond \\n line\nthird\\\rend\\";
    const std::vector<std::wstring> names = {multi, L"  padded  ", L"\"quoted\"", L"'single'", L"\tx", L"\"", L"\"a",
                                             L"a\"", L" \"both\" ", L"\x1C" L"file sep\x1F", L"\x85next\x85",
                                             L"\u2000en\u3000", L"\u00A0nb\u00A0", L"\x1A", L"   ", L"=eq=", L";semi",
                                             L"[bracket]", L"#hash", L"plain"};
    {
        auto store = Open();
        for (size_t i = 0; i < names.size(); ++i) {
            TRmRecordStruct* r = MakeRecord(1, kMoment + static_cast<double>(i), names[i]);
            if (i > 0) r->Voice = names[i];
            store->AddRecord(r);
        }
    }
    EXPECT_EQ(IniText(path).Value(L"UNFINISHED", L"R20240306140709"), L"\"  padded  \"");
    {
        auto store = Open();
        ASSERT_EQ(store->Records.size(), names.size());
        fw::TIniFile profile(path);
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(testsupport::Narrow(names[i]));
            EXPECT_EQ(store->Records[i]->Name, names[i]);
            if (i == 0) continue;
            EXPECT_EQ(store->Records[i]->Voice, names[i]);
            // Any reader of the file sees the same text.
            EXPECT_EQ(profile.ReadString(L"UNFINISHED", store->Records[i]->Section, L""), names[i]);
        }
        // Once the text is plain again, it is stored plain.
        store->Records[0]->Name = L"C:\\new\\reminder";
        store->UpdateRecord(store->Records[0]);
    }
    EXPECT_EQ(IniText(path).Value(L"UNFINISHED", L"R20240305140709"), L"C:\\new\\reminder");
    EXPECT_EQ(Open()->Records[0]->Name, L"C:\\new\\reminder");
    // Texts of files without the marker are never taken for escapes.
    WriteAnsi(path, L"[UNFINISHED]\r\nR20240305140709=C:\\new\\r\\n file \\\\ x\r\n[R20240305140709]\r\nPERIOD=1\r\n");
    EXPECT_EQ(Open()->Records[0]->Name, L"C:\\new\\r\\n file \\\\ x");
}

TEST_F(DataFileTest, RecordsMadeWithinOneSecondGetSectionsOfTheirOwn) {
    const fw::TDateTime t = kMoment + fw::EncodeTime(0, 0, 0, 250);
    {
        auto store = Open();
        std::vector<std::wstring> sections;
        for (int i = 0; i < 3; ++i) {
            store->AddRecord(MakeRecord(1, t, L"same second " + std::to_wstring(i)));
            sections.push_back(store->Records.back()->Section);
        }
        // A copy of a stored record (same section) gets one of its own as well.
        auto* copy = new TRmRecordStruct(*store->Records[0]);
        store->AddRecord(copy);
        sections.push_back(copy->Section);
        EXPECT_EQ(sections, (Lines{L"R20240305140709", L"R20240305140710", L"R20240305140711", L"R20240305140712"}));
        EXPECT_EQ(fw::SecondOf(copy->CreateDateTime), 12);
    }
    // A section left in the file by a reminder that is not listed is not taken either.
    WriteUtf16File(path, L"[R20240305140709]\r\nPERIOD=1\r\n");
    Open()->AddRecord(MakeRecord(1, t, L"fresh"));
    auto again = Open();
    ASSERT_EQ(again->Records.size(), 1u);
    EXPECT_EQ(again->Records[0]->Section, L"R20240305140710");
}

TEST_F(DataFileTest, RunningOutOfMemoryInASaveAndItsRereadLosesNeitherTheFileNorTheReminders) {
    const std::wstring other = dir.File(L"other.dat");
    {
        TRemindFile source(other, us);
        source.AddRecord(MakeRecord(3, kMoment + 30, L"restored"));
        auto store = Open();
        for (int i = 0; i < 5; ++i)
            store->AddRecord(MakeRecord(static_cast<uint8_t>(i), kMoment + i, L"Reminder " + std::to_wstring(i)));
        Config.NewsId = 9;
        store->SaveConfig();
    }
    const auto before = testsupport::ReadFileBytes(path);
    auto store = Open();
    auto fields = [&store] {
        std::vector<std::string> f;
        for (const TRmRecordStruct* r : store->Records) f.push_back(Fields(*r));
        return f;
    };
    const std::vector<std::string> loaded = fields();
    // Memory runs out in the next `writes` saves and `reads` readings of the file.
    int writes = 0, reads = 0;
    store->FileWriter = [&writes](const std::wstring& f, const std::vector<uint8_t>& b) {
        if (writes > 0 && writes--) throw std::bad_alloc();
        return WriteFileAtomically(f, b);
    };
    store->FileReader = [&reads](const std::wstring& f, std::vector<uint8_t>& b) {
        if (reads > 0 && reads--) throw std::bad_alloc();
        return ReadFileWhole(f, b);
    };
    std::unique_ptr<TRmRecordStruct> added(MakeRecord(1, kMoment + 20, L"new"));
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"settings", [&] { Config.NewsId = 1, store->SaveConfig(); }},
        {"update", [&] { store->Records[2]->Voice = L"", store->UpdateRecord(store->Records[2]); }},
        {"add", [&] { store->AddRecord(added.get()); }},
        {"delete", [&] { store->DeleteRecord(store->Records[0]); }},
        {"restore", [&] { store->MergeFrom(other); }},
        {"batch", [&] {
             store->BeginUpdate();
             store->WriteString(L"CONFIG", L"Language", L"Deutsch");
             store->EndUpdate();
         }},
    };
    for (const auto& [what, op] : operations) {
        SCOPED_TRACE(what);
        // The save fails, so does the reading of the file that follows it, and the reading again
        // before the next save: that save must not write the empty text left in memory.
        writes = 1, reads = 2;
        EXPECT_THROW(op(), fw::EIniFileException);
        EXPECT_THROW(store->SaveConfig(), fw::EIniFileException);
        EXPECT_EQ(reads, 0);
        EXPECT_EQ(testsupport::ReadFileBytes(path), before);
        store->Records[2]->Voice = L"default.mp3";  // an update keeps its new values in memory
        EXPECT_EQ(fields(), loaded);
    }
    EXPECT_TRUE(added->Section.empty());  // never added: still the caller's
    // The next save that can read the file writes all of it.
    Config.NewsId = 3;
    store->SaveConfig();
    store.reset();
    auto again = Open();
    EXPECT_EQ(Config.NewsId, 3);
    EXPECT_EQ(Config.Language, L"English");
    ASSERT_EQ(again->Records.size(), loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i) EXPECT_EQ(Fields(*again->Records[i]), loaded[i]);
}

// Not a test of its own: the child process of the kill test below, which updates and saves a store
// in a loop until it is killed.
TEST(DataFileSavingChild, SavesUntilKilled) {
    const std::wstring file = testsupport::EnvVar(kChildFileVar);
    if (file.empty()) GTEST_SKIP() << "started by the kill test only";
    TRemindFile store(file, testsupport::EnUsFormats());
    ASSERT_FALSE(store.Records.empty());
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, testsupport::EnvVar(kChildEventVar).c_str());
    ASSERT_NE(ready, nullptr);
    SetEvent(ready);
    CloseHandle(ready);
    for (unsigned n = 0;; ++n) {
        TRmRecordStruct* r = store.Records[n % store.Records.size()];
        r->LastTime = fw::IncSecond(r->LastTime);
        r->Voice = L"C:\\sounds\\" + std::to_wstring(n) + L".wav";
        store.UpdateRecord(r);
        if (n % 16 == 0) {
            Config.NewsId = static_cast<int32_t>(n);
            store.SaveConfig();
        }
    }
}

TEST_F(DataFileTest, KillingTheProgramWhileItSavesLosesNoReminder) {
    const int count = 50;
    {
        auto store = Open();
        for (int i = 0; i < count; ++i)
            store->AddRecord(MakeRecord(static_cast<uint8_t>(i % 5), kMoment + i, L"Reminder " + std::to_wstring(i)));
    }
    const std::wstring event = L"vr_datafile_saving_" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, event.c_str());
    ASSERT_NE(ready, nullptr);
    SetEnvironmentVariableW(kChildFileVar, path.c_str());
    SetEnvironmentVariableW(kChildEventVar, event.c_str());
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    std::mt19937 rng(20261207u);
    for (int kill = 0; kill < 20; ++kill) {
        SCOPED_TRACE(kill);
        {
            testsupport::TChildProcess child;  // killed when it goes
            ASSERT_TRUE(child.Start(fw::GetModuleName(), L" --gtest_filter=DataFileSavingChild.*", nul));
            ASSERT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
            Sleep(5 + rng() % 60);  // some dozens of saves, cut at a random moment
        }
        auto store = Open();
        ASSERT_EQ(store->Records.size(), static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(store->Records[i]->Name, L"Reminder " + std::to_wstring(i));
        }
    }
    SetEnvironmentVariableW(kChildFileVar, nullptr);
    SetEnvironmentVariableW(kChildEventVar, nullptr);
    CloseHandle(nul);
    CloseHandle(ready);
}
