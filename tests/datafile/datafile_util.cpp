#include "datafile_util.h"

#include "fw_datetime.h"

namespace datafiletest {

std::wstring IniSection::Value(const std::wstring& key) const {
    for (const auto& kv : keys)
        if (kv.first == key) return kv.second;
    return L"<missing>";
}

std::vector<std::wstring> IniSection::KeyNames() const {
    std::vector<std::wstring> r;
    for (const auto& kv : keys) r.push_back(kv.first);
    return r;
}

const IniSection* IniText::Find(const std::wstring& name) const {
    for (const auto& s : sections)
        if (s.name == name) return &s;
    return nullptr;
}

std::vector<std::wstring> IniText::SectionNames() const {
    std::vector<std::wstring> r;
    for (const auto& s : sections) r.push_back(s.name);
    return r;
}

IniText ReadIni(const std::wstring& path) {
    IniText r;
    const std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path);
    const std::wstring text = fw::DecodeText(bytes.data(), bytes.size(), r.encoding);
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++pos;
        if (line.empty()) continue;
        if (line.front() == L'[' && line.back() == L']') {
            r.sections.push_back(IniSection{line.substr(1, line.size() - 2), {}});
            continue;
        }
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos || r.sections.empty()) {
            // A stray line (a text cut by a line break would land here): keep it visible.
            if (!r.sections.empty()) r.sections.back().keys.push_back({line, L"<no equals sign>"});
            continue;
        }
        r.sections.back().keys.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
    return r;
}

void WriteAnsi(const std::wstring& path, const std::wstring& text) {
    testsupport::WriteFileBytes(path, fw::EncodeText(text, fw::TEncoding::Ansi, false));
}

void DataFileTest::SetUp() {
    Config = TConfig{};
}

void DataFileTest::TearDown() {
    fw::SetClock({});
}

TRmRecordStruct* MakeRecord(uint8_t period, fw::TDateTime created, const std::wstring& name) {
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
        case 3:
            r->SetMonthDays(0, true);
            r->SetMonthDays(14, true);
            r->SetMonthDays(30, true);
            break;
        default: r->SetDate(fw::DateOf(created) + 3); break;
    }
    return r;
}

}  // namespace datafiletest
