// Shared pieces of the data-file tests: a fixture with a private folder and fixed formats, and a
// reader that shows a written file as its sections and keys in file order.
#pragma once
#include "fake_online_services.h"
#include "fixed_formats.h"
#include "fw_strings.h"
#include "test_support.h"
#include "uRemindFile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace datafiletest {

struct IniSection {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    // The value of a key, or "<missing>".
    std::wstring Value(const std::wstring& key) const;
    std::vector<std::wstring> KeyNames() const;
};

struct IniText {
    fw::TEncoding encoding = fw::TEncoding::Ansi;
    std::vector<IniSection> sections;
    const IniSection* Find(const std::wstring& name) const;
    std::vector<std::wstring> SectionNames() const;
};

// The file as written: encoding from its byte-order mark, sections and "key=value" lines in order.
IniText ReadIni(const std::wstring& path);

// Writes text as the ANSI code page (no mark) or as UTF-16LE with its mark.
void WriteAnsi(const std::wstring& path, const std::wstring& text);
using testsupport::WriteUtf16File;

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<TRemindFile> Open(const fw::TFormatSettings& fs) { return std::make_unique<TRemindFile>(path, fs); }
    std::unique_ptr<TRemindFile> Open() { return Open(us); }

    testsupport::TempDir dir;
    std::wstring path = dir.File(L"vk_rmind_data.dat");
    fw::TFormatSettings us = testsupport::EnUsFormats();
    fw::TFormatSettings de = testsupport::GermanFormats();
    // Gives the machine id and counts its calls.
    testsupport::TFakeOnlineServices online;
};

// A record with every field set, for rule `period`.
TRmRecordStruct* MakeRecord(uint8_t period, fw::TDateTime created, const std::wstring& name);

}  // namespace datafiletest
