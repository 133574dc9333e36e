#include "uRemindFile.h"

#include "fw_strings.h"
#include "uOnlineServices.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

TConfig Config;
TRemindFile* RemindFile = nullptr;

namespace {

const wchar_t* const kConfig = L"CONFIG";
const wchar_t* const kUnfinished = L"UNFINISHED";
const wchar_t* const kBackup = L"BACKUP";
// Beside a record's keys: "1" when the text in "UNFINISHED" carries backslash escapes.
const wchar_t* const kNameEscaped = L"NAME_ESCAPED";

constexpr size_t kDateOffset = 7;

// The fixed form tried when a date-time text does not parse in the user's format:
// 2024-03-05 14:07:09 (the date alone, or the time alone, also parse).
const fw::TFormatSettings& IsoFormat() {
    static const fw::TFormatSettings fs = [] {
        fw::TFormatSettings s;
        s.ShortDateFormat = L"yyyy/mm/dd";
        s.LongDateFormat = L"yyyy/mm/dd";
        s.ShortTimeFormat = L"hh:nn";
        s.LongTimeFormat = L"hh:nn:ss";
        s.DateSeparator = L'-';
        s.TimeSeparator = L':';
        s.TwoDigitYearCenturyWindow = 50;
        return s;
    }();
    return fs;
}

bool ParseDateTimeText(const std::wstring& text, const fw::TFormatSettings& fs, fw::TDateTime& value) {
    if (fw::Trim(text).empty()) return false;
    return fw::TryStrToDateTime(text, value, fs) || fw::TryStrToDateTime(text, value, IsoFormat());
}

bool ParseTimeText(const std::wstring& text, const fw::TFormatSettings& fs, fw::TDateTime& value) {
    if (fw::Trim(text).empty()) return false;
    return fw::TryStrToTime(text, value, fs) || fw::TryStrToTime(text, value, IsoFormat());
}

// Writes a whole new file and waits until its bytes are on the disk, so that moving it over
// another file can never leave a file without its contents after a power failure.
bool WriteDurably(const std::wstring& fileName, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD put = 0;
        ok = WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) && put > 0;
        done += put;
    }
    ok = ok && FlushFileBuffers(h);
    return CloseHandle(h) && ok;
}

// "R" followed by fourteen digits YYYYMMDDhhmmss that make a real moment.
bool SectionDateTime(const std::wstring& section, fw::TDateTime& value) {
    if (section.size() != 15 || section[0] != L'R') return false;
    int n[14];
    for (size_t i = 1; i < 15; ++i) {
        if (section[i] < L'0' || section[i] > L'9') return false;
        n[i - 1] = section[i] - L'0';
    }
    auto num = [&](int from, int count) {
        int v = 0;
        for (int i = 0; i < count; ++i) v = v * 10 + n[from + i];
        return v;
    };
    fw::TDateTime date = 0, time = 0;
    if (!fw::TryEncodeDate(num(0, 4), num(4, 2), num(6, 2), date)) return false;
    if (!fw::TryEncodeTime(num(8, 2), num(10, 2), num(12, 2), 0, time)) return false;
    // Days before 1899 count their time of day forward from midnight as well.
    value = date >= 0 ? date + time : date - time;
    return true;
}

// The profile functions trim blanks around a value and drop one pair of quotes around it when
// reading. A text that would lose something that way is written inside one more pair of quotes,
// which is exactly what the reading takes off again (for any reader of the file).
std::wstring ProtectValue(const std::wstring& value) {
    if (value.empty()) return value;
    auto blank = [](wchar_t c) { return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; };
    const wchar_t first = value.front(), last = value.back();
    const bool quoted = value.size() >= 2 && (first == L'"' || first == L'\'') && last == first;
    return blank(first) || blank(last) || quoted ? L"\"" + value + L"\"" : value;
}

std::wstring ComputedSectionName(fw::TDateTime createDateTime, const fw::TFormatSettings& fs) {
    return L"R" + fw::FormatDateTime(L"yyyymmddhhnnss", createDateTime, fs);
}

// Section and key names compare ignoring case; this is the form they are looked up by.
std::wstring FoldName(const std::wstring& s) {
    std::wstring f = s;
    if (!f.empty()) CharLowerBuffW(f.data(), static_cast<DWORD>(f.size()));
    return f;
}

// Reads one record from any INI object: this data file, or another file being merged.
std::unique_ptr<TRmRecordStruct> ReadRecordFrom(fw::TCustomIniFile& ini, const fw::TFormatSettings& fs,
                                                const std::wstring& section, const std::wstring& key) {
    auto r = std::make_unique<TRmRecordStruct>();
    r->Section = key;
    r->Name = ini.ReadString(section, key, L"");
    if (ini.ReadString(key, kNameEscaped, L"") == L"1") r->Name = UnescapeRecordName(r->Name);

    // The section name is the creation time in a fixed form; the CREATEDATETIME text depends on
    // the date format in force when it was written, so it is only the fallback.
    if (!SectionDateTime(key, r->CreateDateTime)) {
        if (!ParseDateTimeText(ini.ReadString(key, L"CREATEDATETIME", L""), fs, r->CreateDateTime))
            r->CreateDateTime = 0;
    }
    // A missing key reads as -1, kept in 8 bits: 255 matches no rule.
    r->Period = static_cast<uint8_t>(ini.ReadInteger(key, L"PERIOD", -1) & 0xFF);
    if (!ParseTimeText(ini.ReadString(key, L"WAKETIME", L""), fs, r->WakeTime)) r->WakeTime = 0;
    if (!ParseDateTimeText(ini.ReadString(key, L"LASTTIME", L""), fs, r->LastTime)) r->LastTime = 0;
    const std::wstring endText = ini.ReadString(key, L"ENDTIME", L"");
    if (!ParseDateTimeText(endText, fs, r->EndTime)) {
        r->EndTime = 0;
        // A completion time written under another date format must not bring the reminder back
        // to life: it stays completed, at the best moment known.
        if (!fw::Trim(endText).empty()) {
            r->EndTime = r->LastTime != 0 ? r->LastTime : r->CreateDateTime;
            if (r->EndTime == 0) r->EndTime = fw::IncSecond(0);
        }
    }
    r->Voice = ini.ReadString(key, L"VOICE", L"");

    const std::vector<uint8_t> bytes = fw::HexToBin(ini.ReadString(key, L"REPEAT_DATA", L""));
    std::copy_n(bytes.begin(), std::min(bytes.size(), r->RepeatData.size()), r->RepeatData.begin());
    return r;
}

// A whole INI file read in one pass, answering reads as the profile functions answer them: lines
// end at CR or LF, blanks around them trimmed; "[name]" opens a section (up to its last "]",
// blanks around the name removed); a key line splits at its first "=", blanks around both parts
// removed; lines before the first section form a nameless one; a line without "=" is a key without
// a value; a NUL ends a name or value. Names compare ignoring case; of repeated sections only the
// first counts, of repeated keys the first; one pair of matching quotes around a value is removed;
// key lists leave out lines beginning ";" and lines without "=". One difference, on purpose: a
// line "=text" (no name) is left out of a key list, where the profile functions' list ends at it
// and would hide every reminder listed after it.
// Loading a large data file key by key through the profile functions costs a search of the whole
// file for every value; this reads it once.
class TProfileSnapshot : public fw::TCustomIniFile {
public:
    explicit TProfileSnapshot(const std::wstring& fileName) : fw::TCustomIniFile(fileName) {
        if (!fw::FileExists(fileName)) return;
        const std::vector<uint8_t> bytes = fw::ReadFileToBytes(fileName);
        fw::TEncoding encoding;
        Parse(fw::DecodeText(bytes.data(), bytes.size(), encoding));
    }

    std::wstring ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) override {
        const Key* k = FindKey(section, ident);
        if (!k || !k->hasValue) return def;
        const std::wstring& v = k->value;
        if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
            return v.substr(1, v.size() - 2);
        return v;
    }
    void ReadSection(const std::wstring& section, fw::TStrings& keys) override {
        keys.BeginUpdate();
        keys.Clear();
        if (const Section* s = FindSection(section))
            for (const Key& k : s->keys)
                if (Listed(k)) keys.Add(k.name);
        keys.EndUpdate();
    }
    void ReadSections(fw::TStrings& sections) override {
        sections.Clear();
        for (const auto& s : FSections) sections.Add(s->name);
    }
    bool SectionExists(const std::wstring& section) override {
        const Section* s = FindSection(section);
        if (!s) return false;
        for (const Key& k : s->keys)
            if (Listed(k)) return true;
        return false;
    }
    void WriteString(const std::wstring&, const std::wstring&, const std::wstring&) override { ReadOnly(); }
    void EraseSection(const std::wstring&) override { ReadOnly(); }
    void DeleteKey(const std::wstring&, const std::wstring&) override { ReadOnly(); }
    void UpdateFile() override {}

private:
    struct Key {
        std::wstring name, value;
        bool hasValue = false;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
        std::unordered_map<std::wstring, size_t> index;  // folded name -> first key
    };

    static bool Listed(const Key& k) { return k.hasValue && !k.name.empty() && k.name[0] != L';'; }
    [[noreturn]] static void ReadOnly() { throw fw::Exception(L"A read-only copy of an INI file cannot be changed"); }

    // Only the ASCII blanks and the old end-of-file mark; wide and no-break spaces are text.
    static bool IsBlank(wchar_t c) { return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }
    static std::wstring Fold(const std::wstring& s) { return FoldName(s); }
    // The profile functions hand names and values out as C strings: a NUL ends them (blanks
    // before it stay, as the line was trimmed as a whole).
    static std::wstring CutAtNul(std::wstring s) {
        const size_t nul = s.find(L'\0');
        if (nul != std::wstring::npos) s.resize(nul);
        return s;
    }
    static void TrimRange(const std::wstring& text, size_t& b, size_t& e) {
        while (b < e && IsBlank(text[b])) ++b;
        while (e > b && IsBlank(text[e - 1])) --e;
    }

    void Parse(const std::wstring& text) {
        Section* current = nullptr;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find_first_of(L"\r\n", pos);
            if (end == std::wstring::npos) end = text.size();
            size_t b = pos, e = end;
            pos = end + 1;
            TrimRange(text, b, e);
            if (b == e) continue;
            if (text[b] == L'[') {
                size_t close = text.rfind(L']', e - 1);
                if (close != std::wstring::npos && close > b) {
                    size_t nb = b + 1, ne = close;
                    TrimRange(text, nb, ne);
                    current = &AddSection(CutAtNul(text.substr(nb, ne - nb)));
                    continue;
                }
            }
            if (!current) current = &AddSection(L"");
            Key k;
            const size_t eq = text.find(L'=', b);
            if (eq != std::wstring::npos && eq < e) {
                size_t nb = b, ne = eq, vb = eq + 1, ve = e;
                TrimRange(text, nb, ne);
                TrimRange(text, vb, ve);
                k.name = CutAtNul(text.substr(nb, ne - nb));
                k.value = CutAtNul(text.substr(vb, ve - vb));
                k.hasValue = true;
            } else {
                k.name = CutAtNul(text.substr(b, e - b));
            }
            current->index.try_emplace(Fold(k.name), current->keys.size());
            current->keys.push_back(std::move(k));
        }
    }

    Section& AddSection(const std::wstring& name) {
        FSections.push_back(std::make_unique<Section>());
        Section& s = *FSections.back();
        s.name = name;
        FIndex.try_emplace(Fold(name), FSections.size() - 1);
        return s;
    }
    const Section* FindSection(const std::wstring& name) const {
        auto it = FIndex.find(Fold(fw::Trim(name)));
        return it == FIndex.end() ? nullptr : FSections[it->second].get();
    }
    const Key* FindKey(const std::wstring& section, const std::wstring& ident) const {
        const Section* s = FindSection(section);
        if (!s) return nullptr;
        auto it = s->index.find(Fold(fw::Trim(ident)));
        return it == s->index.end() ? nullptr : &s->keys[it->second];
    }

    std::vector<std::unique_ptr<Section>> FSections;
    std::unordered_map<std::wstring, size_t> FIndex;  // folded name -> first section
};

bool IsFileSection(const std::wstring& name) {
    return fw::AnsiSameText(name, kConfig) || fw::AnsiSameText(name, kUnfinished) || fw::AnsiSameText(name, kBackup);
}

void ReadAllRecords(fw::TCustomIniFile& ini, const fw::TFormatSettings& fs,
                    std::vector<std::unique_ptr<TRmRecordStruct>>& out) {
    fw::TStringList keys;
    ini.ReadSection(kUnfinished, keys);
    // A key repeated by hand would give two records sharing one section: the first one counts,
    // as it does for the profile functions.
    std::unordered_set<std::wstring> seen;
    out.reserve(out.size() + keys.Count());
    for (int i = 0; i < keys.Count(); ++i) {
        const std::wstring key = keys[i];
        // A key naming one of the file's own sections (left by a hand edit) is no reminder: as
        // one, its writes would go into that section and deleting it would erase the settings or
        // the whole list.
        if (IsFileSection(key)) continue;
        if (!seen.insert(FoldName(key)).second) continue;
        out.push_back(ReadRecordFrom(ini, fs, kUnfinished, key));
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

bool TRmRecordStruct::GetWeekDays(int Index) const {
    return Index >= 0 && Index < 7 && RepeatData[Index] == 1;
}

void TRmRecordStruct::SetWeekDays(int Index, bool Value) {
    if (Index >= 0 && Index < 7) RepeatData[Index] = Value ? 1 : 0;
}

bool TRmRecordStruct::GetMonthDays(int Index) const {
    return Index >= 0 && Index < 31 && RepeatData[Index] == 1;
}

void TRmRecordStruct::SetMonthDays(int Index, bool Value) {
    if (Index >= 0 && Index < 31) RepeatData[Index] = Value ? 1 : 0;
}

double TRmRecordStruct::GetDate() const {
    static_assert(sizeof(double) == 8);
    double v;
    std::memcpy(&v, RepeatData.data() + kDateOffset, sizeof v);
    return v;
}

void TRmRecordStruct::SetDate(double Value) {
    std::memcpy(RepeatData.data() + kDateOffset, &Value, sizeof Value);
}

// ---------------------------------------------------------------------------------------------

bool RecordNameNeedsEscape(const std::wstring& Name) {
    return Name.find_first_of(L"\r\n") != std::wstring::npos;
}

std::wstring EscapeRecordName(const std::wstring& Name) {
    std::wstring r;
    r.reserve(Name.size() + 8);
    for (wchar_t c : Name) {
        switch (c) {
            case L'\\': r += L"\\\\"; break;
            case L'\r': r += L"\\r"; break;
            case L'\n': r += L"\\n"; break;
            default: r += c;
        }
    }
    return r;
}

std::wstring UnescapeRecordName(const std::wstring& Value) {
    std::wstring r;
    r.reserve(Value.size());
    for (size_t i = 0; i < Value.size(); ++i) {
        wchar_t c = Value[i];
        if (c == L'\\' && i + 1 < Value.size()) {
            const wchar_t n = Value[i + 1];
            if (n == L'\\' || n == L'r' || n == L'n') {
                r += n == L'\\' ? L'\\' : n == L'r' ? L'\r' : L'\n';
                ++i;
                continue;
            }
        }
        r += c;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------

TRemindFile::TRemindFile(const std::wstring& FileName) : TRemindFile(FileName, fw::DefaultFormatSettings()) {}

TRemindFile::TRemindFile(const std::wstring& FileName, const fw::TFormatSettings& Settings)
    : fw::TIniFile(FileName) {
    SetFormatSettings(Settings);
    SetCreateUnicode(true);
    LoadAll();
}

TRemindFile::~TRemindFile() {
    try {
        SaveConfig();
    } catch (...) {
        // The settings of this run are lost; there is nobody left to tell.
    }
    ClearRecords();
}

void TRemindFile::LoadAll() {
    ClearRecords();
    Config.AutoUpdate = ReadBool(kConfig, L"AUTEUPDATE", true);
    Config.CheckNews = ReadBool(kConfig, L"CHECKNEWS", true);
    Config.NewsId = ReadInteger(kConfig, L"NEWSID", -1);
    Config.Language = ReadString(kConfig, L"Language", L"English");
    Config.MachineGuid.clear();
    OnlineServices().GetMachineGuid(Config.MachineGuid);
    Config.SetupVer = ReadString(kConfig, L"SetupVer", L"");

    std::vector<std::unique_ptr<TRmRecordStruct>> loaded;
    // Flushed first, so that the copy read in one pass holds every write made so far.
    UpdateFile();
    try {
        TProfileSnapshot snapshot(FFileName);
        ReadAllRecords(snapshot, FFormatSettings, loaded);
    } catch (const fw::Exception&) {
        // A file another program holds locked: read it as the profile functions do (they see
        // it as empty), rather than failing the start.
        loaded.clear();
        ReadAllRecords(*this, FFormatSettings, loaded);
    }
    Records.reserve(loaded.size());
    for (auto& r : loaded) Records.push_back(r.release());
}

void TRemindFile::SaveConfig() {
    PrepareUnicodeFile();
    WriteBool(kConfig, L"AUTEUPDATE", Config.AutoUpdate);
    WriteBool(kConfig, L"CHECKNEWS", Config.CheckNews);
    WriteInteger(kConfig, L"NEWSID", Config.NewsId);
    WriteString(kConfig, L"Language", Config.Language);
    WriteString(kConfig, L"SetupVer", Config.SetupVer);
    UpdateFile();
}

std::unique_ptr<TRmRecordStruct> TRemindFile::ReadRecord(const std::wstring& Section, const std::wstring& Key) {
    return ReadRecordFrom(*this, FFormatSettings, Section, Key);
}

std::wstring TRemindFile::SectionName(const TRmRecordStruct* Record) const {
    if (!Record->Section.empty()) return Record->Section;
    return ComputedSectionName(Record->CreateDateTime, FFormatSettings);
}

std::vector<std::pair<std::wstring, std::wstring>> TRemindFile::RecordValues(const TRmRecordStruct* Record) const {
    const fw::TFormatSettings& fs = FFormatSettings;
    std::vector<std::pair<std::wstring, std::wstring>> v = {
        {L"PERIOD", fw::IntToStr(Record->Period)},
        {L"CREATEDATETIME", fw::DateTimeToStr(Record->CreateDateTime, fs)},
        {L"LASTTIME", fw::DateTimeToStr(Record->LastTime, fs)},
        {L"WAKETIME", fw::TimeToStr(Record->WakeTime, fs)},
        {L"VOICE", ProtectValue(Record->Voice)},
        {L"ENDTIME", Record->EndTime != 0 ? fw::DateTimeToStr(Record->EndTime, fs) : L""},
        {L"REPEAT_DATA", fw::BinToHex(Record->RepeatData.data(), Record->RepeatData.size())},
    };
    if (RecordNameNeedsEscape(Record->Name)) v.emplace_back(kNameEscaped, L"1");
    return v;
}

std::wstring TRemindFile::ListValue(const TRmRecordStruct* Record) {
    return ProtectValue(RecordNameNeedsEscape(Record->Name) ? EscapeRecordName(Record->Name) : Record->Name);
}

void TRemindFile::WriteRecord(const std::wstring& Section, TRmRecordStruct* Record) {
    PrepareUnicodeFile();
    const std::wstring s = SectionName(Record);
    Record->Section = s;
    // The marker goes before a plain text replaces an escaped one and comes after an escaped text
    // is written: cut short at any point, the file never holds a plain text under the marker (a
    // path's backslashes would be taken for escapes).
    if (!RecordNameNeedsEscape(Record->Name) && ValueExists(s, kNameEscaped)) DeleteKey(s, kNameEscaped);
    WriteString(Section, s, ListValue(Record));
    for (const auto& [key, value] : RecordValues(Record)) WriteString(s, key, value);
}

void TRemindFile::WriteNewRecord(const std::wstring& Section, TRmRecordStruct* Record) {
    PrepareUnicodeFile();
    const std::wstring s = SectionName(Record);
    Record->Section = s;
    WriteString(Section, s, ListValue(Record));
    // The section does not exist yet: its keys go in with one write instead of one each, the
    // same lines in the same order.
    std::wstring block;
    for (const auto& [key, value] : RecordValues(Record)) {
        block += key + L"=" + value;
        block += L'\0';
    }
    block += L'\0';
    if (!WritePrivateProfileSectionW(s.c_str(), block.c_str(), FFileName.c_str()))
        throw fw::EIniFileException(fw::Format(L"Unable to write to %s", {FFileName}));
}

int TRemindFile::IndexOfRecord(const TRmRecordStruct* Record) const {
    auto it = std::find(Records.begin(), Records.end(), Record);
    return it == Records.end() ? -1 : static_cast<int>(it - Records.begin());
}

bool TRemindFile::SectionInUse(const std::wstring& Section) {
    for (const TRmRecordStruct* r : Records)
        if (fw::AnsiSameText(r->Section, Section)) return true;
    return SectionExists(Section) || ValueExists(kUnfinished, Section);
}

void TRemindFile::AddRecord(TRmRecordStruct* Record) {
    if (!Record || IndexOfRecord(Record) >= 0) return;
    const std::wstring previousSection = Record->Section;
    const fw::TDateTime previousCreated = Record->CreateDateTime;
    // A new record gets its section here; so does a copy of a stored record, which would otherwise
    // overwrite the original's section. Two reminders made within one second would share one too.
    if (Record->Section.empty() || SectionInUse(Record->Section)) {
        std::wstring s = ComputedSectionName(Record->CreateDateTime, FFormatSettings);
        while (SectionInUse(s)) {
            Record->CreateDateTime = fw::IncSecond(Record->CreateDateTime);
            s = ComputedSectionName(Record->CreateDateTime, FFormatSettings);
        }
        Record->Section = s;
    }
    try {
        WriteRecord(kUnfinished, Record);
    } catch (...) {
        // The caller keeps the record and may save it again: that must not find a half-written
        // copy under this section and add the reminder a second time beside it.
        UndoNewSection(Record->Section);
        Record->Section = previousSection;
        Record->CreateDateTime = previousCreated;
        throw;
    }
    Records.push_back(Record);
}

void TRemindFile::UndoNewSection(const std::wstring& Section) {
    // Only ever called for a section that was free before the failed write.
    try {
        EraseRecordSection(kUnfinished, Section);
    } catch (...) {
        // The file refuses changes altogether; the error already on its way says so.
    }
}

void TRemindFile::UpdateRecord(TRmRecordStruct* Record) {
    if (IndexOfRecord(Record) >= 0) WriteRecord(kUnfinished, Record);
}

void TRemindFile::EraseRecordSection(const std::wstring& Section, const std::wstring& SectionName) {
    PrepareUnicodeFile();
    // Each call takes out the first of its name only. A file edited by hand may list a reminder
    // twice (or hold its section twice); the next one would bring the deleted reminder back.
    // Bounded, in case the file refuses the change.
    static const std::wstring kGone = L"\x01\x02";
    for (int i = 0; i < 64; ++i) {
        EraseSection(SectionName);
        if (!SectionExists(SectionName)) break;
    }
    for (int i = 0; i < 64; ++i) {
        DeleteKey(Section, SectionName);
        if (ReadString(Section, SectionName, kGone) == kGone) break;
    }
}

void TRemindFile::DeleteRecord(TRmRecordStruct* Record) {
    const int i = IndexOfRecord(Record);
    if (i < 0) return;
    EraseRecordSection(kUnfinished, SectionName(Record));
    Records.erase(Records.begin() + i);
    delete Record;
}

void TRemindFile::Backup(const std::wstring& FileName) {
    UpdateFile();  // the copy is read from the file itself
    fw::TMemIniFile copy(FFileName);
    copy.Rename(FileName, false);
    copy.EraseSection(kConfig);
    copy.WriteString(kBackup, L"BACKTIME", fw::DateToStr(fw::Date(), FFormatSettings));
    copy.UpdateFile();
}

void TRemindFile::MergeFrom(const std::wstring& FileName) {
    if (!fw::FileExists(FileName)) return;
    // Both files are read from disk below (the other one may be this one).
    UpdateFile();
    std::vector<std::unique_ptr<TRmRecordStruct>> other;
    try {
        TProfileSnapshot ini(FileName);
        ReadAllRecords(ini, FFormatSettings, other);
    } catch (...) {
        return;  // an unreadable file adds nothing and is not reported
    }
    // The sections this file uses, gathered once rather than searched for each record.
    std::unordered_set<std::wstring> used;
    for (const TRmRecordStruct* r : Records) used.insert(FoldName(r->Section));
    auto gather = [&used](fw::TCustomIniFile& ini) {
        fw::TStringList names;
        ini.ReadSections(names);
        for (int i = 0; i < names.Count(); ++i)
            if (ini.SectionExists(names[i])) used.insert(FoldName(names[i]));
        ini.ReadSection(kUnfinished, names);
        for (int i = 0; i < names.Count(); ++i) used.insert(FoldName(names[i]));
    };
    try {
        TProfileSnapshot mine(FFileName);
        gather(mine);
    } catch (const fw::Exception&) {
        gather(*this);  // this file cannot be read in one pass: ask the profile functions
    }

    for (const auto& o : other) {
        if (!used.insert(FoldName(o->Section)).second) continue;
        auto copy = std::make_unique<TRmRecordStruct>(*o);
        try {
            WriteNewRecord(kUnfinished, copy.get());
        } catch (...) {
            // A listed reminder without its section would block every later restore of it.
            UndoNewSection(copy->Section);
            throw;
        }
        Records.push_back(copy.release());
    }
}

void TRemindFile::ClearRecords() {
    for (TRmRecordStruct* r : Records) delete r;
    Records.clear();
}

void TRemindFile::PrepareUnicodeFile() {
    if (FFileName.empty() || !fw::FileExists(FFileName)) return;  // created as UTF-16 by the first write
    // Only the first bytes decide; the whole file is read only when it has to be converted.
    HANDLE h = CreateFileW(FFileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    uint8_t head[3] = {};
    DWORD got = 0;
    const BOOL ok = ReadFile(h, head, sizeof head, &got, nullptr);
    CloseHandle(h);
    if (!ok) return;
    size_t bom = 0;
    if (fw::DetectEncoding(head, got, bom) != fw::TEncoding::Ansi) return;

    // The profile functions read an ANSI file through the ANSI code page, so the same conversion
    // gives exactly the text they see. Written beside the file and then moved over it, so that a
    // failure leaves the original as it was (and the write that follows reports the problem).
    try {
        UpdateFile();
        WIN32_FILE_ATTRIBUTE_DATA attr{};
        if (!GetFileAttributesExW(FFileName.c_str(), GetFileExInfoStandard, &attr)) return;
        const uint64_t size = (static_cast<uint64_t>(attr.nFileSizeHigh) << 32) | attr.nFileSizeLow;
        const std::vector<uint8_t> bytes = fw::ReadFileToBytes(FFileName);
        // A read cut short must never replace the file: it stays as it is.
        if (bytes.size() != size) return;
        const std::wstring text = fw::AnsiToWide(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const std::vector<uint8_t> wide = fw::EncodeText(text, fw::TEncoding::UTF16LE, true);
        const std::wstring tmp = FFileName + L".tmp";
        if (!WriteDurably(tmp, wide)) {
            DeleteFileW(tmp.c_str());
            return;
        }
        if (!MoveFileExW(tmp.c_str(), FFileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            DeleteFileW(tmp.c_str());
        UpdateFile();
    } catch (const fw::Exception&) {
    }
}
