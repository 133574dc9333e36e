// Shared pieces of the data-file tests: a fixture with a private folder and fixed formats, records
// with every field set, and a written file read back as it stands.
#pragma once
#include "fake_online_services.h"
#include "fixed_formats.h"
#include "fw_datetime.h"
#include "fw_inifiles.h"
#include "test_support.h"
#include "uRemindFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace datafiletest {

// Its section is R20240305140709.
const fw::TDateTime kMoment = fw::EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);

using Lines = std::vector<std::wstring>;

// The file as written: sections and keys in file order, values with their quotes.
class IniText : public fw::TMemIniFile {
public:
    using fw::TMemIniFile::TMemIniFile;
    std::wstring Value(const std::wstring& section, const std::wstring& key) {
        return ReadString(section, key, L"<missing>");
    }
    Lines Sections() {
        fw::TStringList list;
        ReadSections(list);
        return testsupport::Lines(list);
    }
    // The section's "key=value" lines.
    Lines Values(const std::wstring& section) {
        fw::TStringList list;
        ReadSectionValues(section, list);
        return testsupport::Lines(list);
    }
};

// Writes text in the ANSI code page, without a mark.
inline void WriteAnsi(const std::wstring& path, const std::wstring& text) {
    testsupport::WriteFileBytes(path, fw::EncodeText(text, fw::TEncoding::Ansi, false));
}
using testsupport::WriteUtf16File;

// Every stored field of a record (times to the second), to compare two records in one assertion.
inline std::string Fields(const TRmRecordStruct& r) {
    std::string s = fw::WideToUtf8(r.Section + L"|" + r.Name + L"|" + r.Voice) + "|" + std::to_string(r.Period);
    for (double t : {r.CreateDateTime, r.WakeTime, r.LastTime, r.EndTime})
        s += "|" + std::to_string(std::llround(t * 86400));
    for (uint8_t b : r.RepeatData) s += "," + std::to_string(b);
    return s;
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { Config = TConfig{}; }
    void TearDown() override { fw::SetClock({}); }
    std::unique_ptr<TRemindFile> Open() { return std::make_unique<TRemindFile>(path, us); }

    testsupport::TempDir dir;
    std::wstring path = dir.File(L"vk_rmind_data.dat");
    fw::TFormatSettings us = testsupport::EnUsFormats();
    // Gives the machine id and counts its calls.
    testsupport::TFakeOnlineServices online;
};

// A record with every field set, for rule `period`.
inline TRmRecordStruct* MakeRecord(uint8_t period, fw::TDateTime created, const std::wstring& name) {
    auto* r = new TRmRecordStruct;
    r->Name = name;
    r->CreateDateTime = created;
    r->WakeTime = fw::EncodeTime(18, 30, 0, 0);
    r->LastTime = created + fw::EncodeTime(0, 1, 0, 0);
    r->Voice = L"default.mp3";
    r->Period = period;
    switch (period) {
        case 2:
            r->SetWeekDays(1, true);
            r->SetWeekDays(5, true);
            break;
        default: r->SetDate(fw::DateOf(created) + 3); break;
    }
    return r;
}

}  // namespace datafiletest
