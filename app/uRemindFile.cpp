#include "uRemindFile.h"

#include "fw_handles.h"
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
    fw::TKernelHandle h(
        CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD put = 0;
        ok = WriteFile(h.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) &&
             put > 0;
        done += put;
    }
    ok = ok && FlushFileBuffers(h.Get());
    // A failed close may still lose the written bytes: it counts as a failed write.
    return CloseHandle(h.Release()) && ok;
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

}  // namespace

// The data file's text held in memory, read and changed exactly as the Windows profile functions
// read and change a file (their parser, their rules for finding, adding and deleting sections and
// keys, their layout when writing), so that a file saved from it holds the same bytes the profile
// functions would have left.
// Reading: lines end at runs of CR and LF, blanks around them trimmed; "[name]" opens a section (up
// to its last "]", blanks around the name removed); a key line splits at its first "=", blanks
// around both parts removed; lines before the first section form a nameless one; a line without
// "=" is a key without a value; a NUL ends a name or value. Names compare ignoring case; of
// repeated sections only the first counts, of repeated keys the first; one pair of matching quotes
// around a value is removed; key lists leave out lines beginning ";" and lines without "=". One
// difference, on purpose: a line "=text" (no name) is left out of a key list, where the profile
// functions' list ends at it and would hide every reminder listed after it.
// Sections and keys are found through hash tables, so that reading or changing one costs the same
// in a file of ten reminders and in one of ten thousand.
class TProfileText : public fw::TCustomIniFile {
public:
    explicit TProfileText(const std::wstring& fileName) : fw::TCustomIniFile(fileName) {}

    // What the last Load found.
    enum class TState { Missing, Read, Unreadable };

    // Replaces the contents with the file's. A file that does not exist reads as empty; one that
    // cannot be read whole (locked by another program, too big for the memory left) reads as empty
    // too and is marked so: a text that is only part of the file must never be taken for it.
    TState Load(const TDataFileReader& read) {
        Clear();
        try {
            FStamp = Stamp(FFileName);
            if (!FStamp.exists) {
                // A missing file, or a folder that is gone: the first save creates it as UTF-16LE.
                FState = TState::Missing;
                FEncoding = fw::TEncoding::UTF16LE;
                return FState;
            }
            std::vector<uint8_t> bytes;
            if (!read || !read(FFileName, bytes)) {
                FState = TState::Unreadable;
                return FState;
            }
            ParseBytes(std::move(bytes));
        } catch (...) {
            Forget();
        }
        return FState;
    }
    // The text of bytes just saved. False (the text forgotten) when it could not be taken in whole.
    bool LoadFromBytes(std::vector<uint8_t>&& bytes) {
        Clear();
        try {
            ParseBytes(std::move(bytes));
            return true;
        } catch (...) {
            Forget();
            return false;
        }
    }
    // Empty, and marked as no reading of the file, until the file is read again.
    void Forget() {
        Clear();
        FState = TState::Unreadable;
    }

    // The whole file as the profile functions write it: the byte-order mark of its encoding, each
    // section's "[name]" line (none for the nameless one) and its key lines, CR LF line ends. The
    // bytes are made piece by piece, so that the whole text is never held a second time.
    std::vector<uint8_t> SaveToBytes() const {
        const bool wide = FEncoding == fw::TEncoding::UTF16LE || FEncoding == fw::TEncoding::UTF16BE;
        size_t chars = 0;
        ForEachPiece([&chars](const std::wstring& piece) { chars += piece.size(); });
        // Every encoding but ANSI carries its byte-order mark, as the profile functions write it.
        std::vector<uint8_t> out = fw::EncodeText(L"", FEncoding, FEncoding != fw::TEncoding::Ansi);
        out.reserve(out.size() + (wide ? 2 * chars : chars));
        ForEachPiece([this, &out](const std::wstring& piece) {
            const std::vector<uint8_t> bytes = fw::EncodeText(piece, FEncoding, false);
            out.insert(out.end(), bytes.begin(), bytes.end());
        });
        return out;
    }

    // --- reads, as GetPrivateProfileStringW answers them ---

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
        sections.BeginUpdate();
        sections.Clear();
        for (const auto& s : FSections)
            if (!s->name.empty()) sections.Add(s->name);
        sections.EndUpdate();
    }
    bool SectionExists(const std::wstring& section) override {
        const Section* s = FindSection(section);
        if (!s) return false;
        for (const Key& k : s->keys)
            if (Listed(k)) return true;
        return false;
    }
    bool ValueExists(const std::wstring& section, const std::wstring& ident) override {
        const Key* k = FindKey(section, ident);
        return k && Listed(*k);
    }

    // --- changes, as WritePrivateProfileStringW and WritePrivateProfileSectionW make them ---

    void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) override {
        SetString(section, ident, value, false);
    }
    // Takes out the first section of that name.
    void EraseSection(const std::wstring& section) override {
        const std::wstring f = Fold(section);
        for (size_t i = 0; i < FSections.size(); ++i)
            if (!FSections[i]->name.empty() && FSections[i]->folded == f) {
                FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(i));
                ReindexSections();
                FChanged = true;
                return;
            }
    }
    // Takes out the first key of that name, looking through every section of the name in turn.
    void DeleteKey(const std::wstring& section, const std::wstring& ident) override {
        const std::wstring fs = Fold(section), fk = Fold(ident);
        for (auto& s : FSections) {
            if (s->folded != fs) continue;
            const auto it = s->index.find(fk);
            if (it == s->index.end()) continue;
            const size_t at = it->second;
            s->keys.erase(s->keys.begin() + static_cast<std::ptrdiff_t>(at));
            // Of nameless key lines in a row only the first is read.
            if (at > 0 && at < s->keys.size() && s->keys[at - 1].name.empty() && s->keys[at].name.empty())
                FReparse = true;
            ReindexKeys(*s);
            FChanged = true;
            return;
        }
    }
    // Replaces the keys of a section (of every section of the name) with the given lines.
    void WriteSection(const std::wstring& section, const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
        const std::wstring f = Fold(section);
        // Usually a new section: none of the name to look through.
        if (FIndex.count(f))
            for (auto& s : FSections)
                if (s->folded == f && !s->keys.empty()) {
                    s->keys.clear();
                    s->index.clear();
                    FChanged = true;
                }
        for (const auto& [key, value] : lines) SetString(section, key, value, true);
    }
    void UpdateFile() override {}

    fw::TEncoding GetEncoding() const { return FEncoding; }
    void SetEncoding(fw::TEncoding e) {
        if (e != FEncoding) FChanged = true;
        FEncoding = e;
    }
    bool Changed() const { return FChanged; }
    TState State() const { return FState; }
    // The text held bytes that do not decode or NUL characters: read as well as it could be.
    bool Damaged() const { return FDamaged; }
    // UTF-16 or UTF-8 without its byte-order mark, which other readers of the file take for ANSI.
    bool Markless() const { return FMarkless; }
    // Whether the saved file, read again, could give another text than this one (a value with a
    // line break or blanks at its end, a key name the parser would split, an encoding that cannot
    // hold every character): then only that reading tells what the file holds.
    bool NeedsReparse() const {
        return FReparse || (FEncoding != fw::TEncoding::UTF16LE && FEncoding != fw::TEncoding::UTF16BE);
    }

    // Size and write time of a file, to tell whether it changed since it was read or written.
    struct TStamp {
        bool exists = false;
        uint64_t size = 0;
        uint64_t written = 0;
        bool operator==(const TStamp& o) const { return exists == o.exists && size == o.size && written == o.written; }
    };
    static TStamp Stamp(const std::wstring& fileName) {
        TStamp st;
        WIN32_FILE_ATTRIBUTE_DATA a{};
        if (!GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &a)) return st;
        st.exists = true;
        st.size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
        st.written = (static_cast<uint64_t>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
        return st;
    }
    const TStamp& GetStamp() const { return FStamp; }
    // The text is now what the file holds (written with its byte-order mark).
    void Saved(const TStamp& st) {
        FStamp = st;
        FState = TState::Read;
        FChanged = false;
        FReparse = false;
        FDamaged = false;
        FMarkless = false;
    }

private:
    struct Key {
        std::wstring name, value;
        bool hasValue = false;
    };
    struct Section {
        std::wstring name, folded;
        std::vector<Key> keys;
        std::unordered_map<std::wstring, size_t> index;  // folded name -> first key
    };

    static bool Listed(const Key& k) { return k.hasValue && !k.name.empty() && k.name[0] != L';'; }
    // Only the ASCII blanks and the old end-of-file mark; wide and no-break spaces are text.
    static bool IsBlank(wchar_t c) { return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }
    static std::wstring Fold(const std::wstring& s) { return FoldName(s); }
    static std::wstring TrimBlanks(const std::wstring& s) {
        size_t b = 0, e = s.size();
        TrimRange(s, b, e);
        return s.substr(b, e - b);
    }
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

    // A line holding the name (a key's, or a section's in brackets) reads back as exactly that
    // name; a key line's value reads back as that value.
    static bool PlainName(const std::wstring& n) {
        return !n.empty() && !IsBlank(n.front()) && !IsBlank(n.back()) && n.front() != L'[' &&
               n.find_first_of(L"\r\n=") == std::wstring::npos;
    }
    static bool PlainValue(const std::wstring& v) {
        return v.empty() || (!IsBlank(v.front()) && !IsBlank(v.back()) && v.find_first_of(L"\r\n") == std::wstring::npos);
    }

    // The pieces of the file's text in order, as SaveToBytes writes them.
    template <class F>
    void ForEachPiece(F&& put) const {
        static const std::wstring open = L"[", close = L"]\r\n", equals = L"=", end = L"\r\n";
        for (const auto& s : FSections) {
            if (!s->name.empty()) {
                put(open);
                put(s->name);
                put(close);
            }
            for (const Key& k : s->keys) {
                put(k.name);
                if (k.hasValue) {
                    put(equals);
                    put(k.value);
                }
                put(end);
            }
        }
    }

    void ParseBytes(std::vector<uint8_t>&& bytes) {
        const std::wstring text = Decode(bytes);
        std::vector<uint8_t>().swap(bytes);  // gone before the sections are built from the text
        Parse(text);
        // A NUL ends a name or value, which may then end in blanks that a reading takes out.
        FReparse = text.find(L'\0') != std::wstring::npos;
        FState = TState::Read;
    }

    // Zero bytes at odd offsets in most characters (and hardly any at even ones): UTF-16 in little-
    // endian order written without its byte-order mark, as some editors save it. The other way
    // round: big-endian. A data file's names and keys are mostly ASCII, which shows plainly.
    static fw::TEncoding GuessUtf16(const std::vector<uint8_t>& bytes) {
        const size_t n = std::min<size_t>(bytes.size(), 8192) / 2;
        if (n == 0) return fw::TEncoding::Ansi;
        size_t zeroOdd = 0, zeroEven = 0;
        for (size_t i = 0; i < n; ++i) {
            if (bytes[2 * i] == 0) ++zeroEven;
            if (bytes[2 * i + 1] == 0) ++zeroOdd;
        }
        if (zeroOdd * 2 > n && zeroEven * 8 < zeroOdd) return fw::TEncoding::UTF16LE;
        if (zeroEven * 2 > n && zeroOdd * 8 < zeroEven) return fw::TEncoding::UTF16BE;
        return fw::TEncoding::Ansi;
    }

    // Bytes beyond ASCII that all form valid UTF-8 sequences: what editors save by default now.
    // Text in the ANSI code page hardly ever does (an accented letter alone is no valid sequence).
    static bool IsUtf8BeyondAscii(const std::vector<uint8_t>& bytes) {
        if (std::none_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b >= 0x80; })) return false;
        return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<int>(bytes.size()), nullptr, 0) > 0;
    }

    // The encoding as the profile functions detect it (a byte-order mark, else the ANSI code page),
    // and a mark-less UTF-16 or UTF-8 text that they would take for ANSI and destroy.
    std::wstring Decode(const std::vector<uint8_t>& bytes) {
        FDamaged = false;
        FMarkless = false;
        size_t skip = 0;
        if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            FEncoding = fw::TEncoding::UTF8;
            skip = 3;
        } else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            FEncoding = fw::TEncoding::UTF16LE;
            skip = 2;
        } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
            FEncoding = fw::TEncoding::UTF16BE;
            skip = 2;
        } else {
            FEncoding = GuessUtf16(bytes);
            if (FEncoding == fw::TEncoding::Ansi && IsUtf8BeyondAscii(bytes)) FEncoding = fw::TEncoding::UTF8;
            FMarkless = FEncoding != fw::TEncoding::Ansi;
        }
        const uint8_t* p = bytes.data() + skip;
        const size_t size = bytes.size() - skip;
        std::wstring text;
        if (FEncoding == fw::TEncoding::UTF16LE || FEncoding == fw::TEncoding::UTF16BE) {
            const bool be = FEncoding == fw::TEncoding::UTF16BE;
            text.resize(size / 2);
            for (size_t i = 0; i < text.size(); ++i)
                text[i] = static_cast<wchar_t>(be ? (p[2 * i] << 8) | p[2 * i + 1] : p[2 * i] | (p[2 * i + 1] << 8));
            if (size % 2) FDamaged = true;
        } else if (size > 0) {
            const UINT cp = FEncoding == fw::TEncoding::UTF8 ? CP_UTF8 : CP_ACP;
            const char* c = reinterpret_cast<const char*>(p);
            const int n = static_cast<int>(size);
            if (MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, c, n, nullptr, 0) == 0) FDamaged = true;
            const int w = MultiByteToWideChar(cp, 0, c, n, nullptr, 0);
            text.resize(static_cast<size_t>(std::max(w, 0)));
            if (w > 0) MultiByteToWideChar(cp, 0, c, n, text.data(), w);
        }
        if (text.find(L'\0') != std::wstring::npos) FDamaged = true;
        return text;
    }

    void Parse(const std::wstring& text) {
        FSections.push_back(std::make_unique<Section>());  // the nameless section before the first header
        Section* current = FSections.back().get();
        bool prevKeyNameless = false, hasPrevKey = false;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = pos;
            while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
            size_t b = pos, e = end;
            pos = end;
            while (pos < text.size() && (text[pos] == L'\r' || text[pos] == L'\n')) ++pos;
            TrimRange(text, b, e);
            if (b == e) continue;
            if (text[b] == L'[') {
                size_t close = e;
                while (close > b && text[close - 1] != L']') --close;
                if (close > b + 1) {
                    size_t nb = b + 1, ne = close - 1;
                    TrimRange(text, nb, ne);
                    current = &AddSection(CutAtNul(text.substr(nb, ne - nb)));
                    hasPrevKey = false;
                    continue;
                }
            }
            Key k;
            size_t nameEnd = e;
            const size_t eq = text.find(L'=', b);
            if (eq != std::wstring::npos && eq < e) {
                size_t nb = b, ne = eq, vb = eq + 1, ve = e;
                TrimRange(text, nb, ne);
                TrimRange(text, vb, ve);
                nameEnd = ne;
                k.value = CutAtNul(text.substr(vb, ve - vb));
                k.hasValue = true;
            }
            // Of nameless lines in a row only the first is kept.
            if (nameEnd == b && hasPrevKey && prevKeyNameless) continue;
            k.name = CutAtNul(text.substr(b, nameEnd - b));
            hasPrevKey = true;
            prevKeyNameless = k.name.empty();
            current->index.try_emplace(Fold(k.name), current->keys.size());
            current->keys.push_back(std::move(k));
        }
    }

    Section& AddSection(const std::wstring& name) {
        FSections.push_back(std::make_unique<Section>());
        Section& s = *FSections.back();
        s.name = name;
        s.folded = Fold(name);
        if (!name.empty()) FIndex.try_emplace(s.folded, FSections.size() - 1);
        return s;
    }
    void ReindexSections() {
        FIndex.clear();
        for (size_t i = 0; i < FSections.size(); ++i)
            if (!FSections[i]->name.empty()) FIndex.try_emplace(FSections[i]->folded, i);
    }
    static void ReindexKeys(Section& s) {
        s.index.clear();
        for (size_t i = 0; i < s.keys.size(); ++i) s.index.try_emplace(Fold(s.keys[i].name), i);
    }
    Section* FindSection(const std::wstring& name) const {
        const std::wstring t = TrimBlanks(name);
        if (t.empty()) return nullptr;
        auto it = FIndex.find(Fold(t));
        return it == FIndex.end() ? nullptr : FSections[it->second].get();
    }
    Key* FindKey(const std::wstring& section, const std::wstring& ident) const {
        Section* s = FindSection(section);
        if (!s) return nullptr;
        auto it = s->index.find(Fold(TrimBlanks(ident)));
        return it == s->index.end() ? nullptr : &s->keys[it->second];
    }

    // A new key goes to the end of the first section of the name (a new section at the end of the
    // file); its name keeps what follows its leading blanks, the value loses its leading blanks.
    void SetString(const std::wstring& section, const std::wstring& ident, const std::wstring& value, bool append) {
        size_t vb = 0;
        while (vb < value.size() && IsBlank(value[vb])) ++vb;
        const std::wstring v = CutAtNul(value.substr(vb));
        Section* s = FindSection(section);
        if (!s) {
            size_t nb = 0;
            while (nb < section.size() && IsBlank(section[nb])) ++nb;
            s = &AddSection(CutAtNul(section.substr(nb)));
            if (!PlainName(s->name)) FReparse = true;
        }
        if (!PlainValue(v)) FReparse = true;
        Key* k = nullptr;
        if (!append) {
            auto it = s->index.find(Fold(TrimBlanks(ident)));
            if (it != s->index.end()) k = &s->keys[it->second];
        }
        if (k) {
            if (k->hasValue && k->value == v) return;  // no change
            k->value = v;
            k->hasValue = true;
            FChanged = true;
            return;
        }
        size_t kb = 0;
        while (kb < ident.size() && IsBlank(ident[kb])) ++kb;
        Key nk;
        nk.name = CutAtNul(ident.substr(kb));
        if (!PlainName(nk.name)) FReparse = true;
        nk.value = v;
        nk.hasValue = true;
        s->index.try_emplace(Fold(nk.name), s->keys.size());
        s->keys.push_back(std::move(nk));
        FChanged = true;
    }

    void Clear() {
        FSections.clear();
        FIndex.clear();
        FChanged = false;
        FDamaged = false;
        FMarkless = false;
        FReparse = false;
    }

    std::vector<std::unique_ptr<Section>> FSections;
    std::unordered_map<std::wstring, size_t> FIndex;  // folded name -> first section
    fw::TEncoding FEncoding = fw::TEncoding::UTF16LE;
    TState FState = TState::Missing;
    TStamp FStamp;
    bool FChanged = false;
    bool FDamaged = false;
    bool FMarkless = false;
    bool FReparse = false;
};

namespace {

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

bool ReadFileWhole(const std::wstring& FileName, std::vector<uint8_t>& Bytes) {
    fw::TKernelHandle h(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h.Get(), &size) && size.QuadPart < (1LL << 31);
    if (ok) {
        Bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < Bytes.size()) {
            DWORD got = 0;
            ok = ReadFile(h.Get(), Bytes.data() + done, static_cast<DWORD>(Bytes.size() - done), &got, nullptr) &&
                 got > 0;
            done += got;
        }
    }
    return ok;
}

std::wstring ReadDataFileString(const std::wstring& FileName, const std::wstring& Section, const std::wstring& Ident,
                                const std::wstring& Default) {
    TProfileText text(FileName);
    text.Load(ReadFileWhole);
    return text.ReadString(Section, Ident, Default);
}

bool WriteFileAtomically(const std::wstring& FileName, const std::vector<uint8_t>& Bytes) {
    const std::wstring tmp = FileName + L".tmp";
    if (!WriteDurably(tmp, Bytes)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    if (!MoveFileExW(tmp.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}

TRemindFile::TRemindFile(const std::wstring& FileName) : TRemindFile(FileName, fw::DefaultFormatSettings()) {}

TRemindFile::TRemindFile(const std::wstring& FileName, const fw::TFormatSettings& Settings)
    : fw::TIniFile(FileName), FileWriter(WriteFileAtomically), FileReader(ReadFileWhole) {
    SetFormatSettings(Settings);
    SetCreateUnicode(true);
    FText = std::make_unique<TProfileText>(FFileName);
    // What a save cut short left beside the file is no part of it.
    if (!FFileName.empty()) DeleteFileW((FFileName + L".tmp").c_str());
    LoadAll();
}

TRemindFile::~TRemindFile() {
    // Settings that were never read are not the user's: they are not written over the file's.
    if (FLoaded) {
        try {
            SaveConfig();
        } catch (...) {
            // The settings of this run are lost; there is nobody left to tell.
        }
    }
    ClearRecords();
}

std::unique_ptr<TRmRecordStruct> TRemindFile::ReadRecordFrom(fw::TCustomIniFile& Ini,
                                                             const fw::TFormatSettings& Settings,
                                                             const std::wstring& Section, const std::wstring& Key) {
    return ::ReadRecordFrom(Ini, Settings, Section, Key);
}

// --- the text and its saves ----------------------------------------------------------------

fw::EIniFileException TRemindFile::WriteError() const {
    return fw::EIniFileException(fw::Format(L"Unable to write to %s", {FFileName}));
}

void TRemindFile::Reload() {
    FText->Load(FileReader);
    FDamagedPending = FText->State() == TProfileText::TState::Read && FText->Damaged();
}

void TRemindFile::Refresh() {
    if (FText->State() == TProfileText::TState::Unreadable || !(TProfileText::Stamp(FFileName) == FText->GetStamp()))
        Reload();
}

void TRemindFile::BeginOperation(bool Changing) {
    if (FUpdateDepth++ == 0) Refresh();
    // The profile functions keep a file's encoding; one in the ANSI code page could not hold every
    // text, and one in UTF-8 without its mark is taken for ANSI by them, so either becomes UTF-16LE
    // with the first change (its text is the same either way).
    const fw::TEncoding e = FText->GetEncoding();
    if (Changing && FText->State() == TProfileText::TState::Read &&
        (e == fw::TEncoding::Ansi || (e == fw::TEncoding::UTF8 && FText->Markless())))
        FText->SetEncoding(fw::TEncoding::UTF16LE);
}

void TRemindFile::Commit() {
    if (--FUpdateDepth > 0) return;
    if (!FText->Changed()) return;
    try {
        SaveText();
    } catch (...) {
        // Whatever failed (a refused write, memory running out while the bytes were made), the
        // file is as it was, and so becomes the text: read anew, or forgotten until the file can
        // be read whole again.
        Reload();
        throw WriteError();
    }
}

template <class F>
void TRemindFile::Change(F&& Make) {
    BeginOperation(true);
    try {
        Make();
    } catch (...) {
        Abandon();
        throw WriteError();
    }
    Commit();
}

void TRemindFile::Abandon() {
    if (--FUpdateDepth > 0) return;
    if (FText->Changed()) Reload();
}

void TRemindFile::SaveText() {
    // A file that exists but could not be read whole (another program holds it locked, memory ran
    // short) is never replaced by what little the store knows of it; nor are the file's settings
    // and reminders by those of a store that never read them.
    if (!FLoaded || FText->State() == TProfileText::TState::Unreadable) throw WriteError();
    if (FDamagedPending) KeepDamagedCopy();
    std::vector<uint8_t> bytes = FText->SaveToBytes();
    if (FFileName.empty() || !FileWriter || !FileWriter(FFileName, bytes)) throw WriteError();
    // The profile functions read a file anew after writing it, which takes out what their parser
    // does not keep (blanks at the end of a value, a line break inside one): so does the store,
    // when its text holds such a thing. Should that reading fail, the next operation reads the file.
    if (FText->NeedsReparse() && !FText->LoadFromBytes(std::move(bytes))) return;
    FText->Saved(TProfileText::Stamp(FFileName));
}

void TRemindFile::KeepDamagedCopy() {
    // The original is on the disk as it was read (the text is reread whenever the file changes).
    std::wstring copy;
    for (int i = 1; i < 10000; ++i) {
        const std::wstring candidate = FFileName + L".damaged" + (i == 1 ? L"" : L"." + std::to_wstring(i));
        if (CopyFileW(FFileName.c_str(), candidate.c_str(), TRUE)) {
            copy = candidate;
            break;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
    }
    // Without its copy the original is not replaced.
    if (copy.empty()) throw WriteError();
    FDamagedPending = false;
    if (OnDamagedCopy) OnDamagedCopy(copy);
}

void TRemindFile::BeginUpdate() { BeginOperation(false); }

void TRemindFile::EndUpdate() { Commit(); }

// --- INI operations on the text --------------------------------------------------------------

std::wstring TRemindFile::ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) {
    if (FUpdateDepth == 0) Refresh();
    return FText->ReadString(section, ident, def);
}

void TRemindFile::ReadSection(const std::wstring& section, fw::TStrings& keys) {
    if (FUpdateDepth == 0) Refresh();
    FText->ReadSection(section, keys);
}

void TRemindFile::ReadSections(fw::TStrings& sections) {
    if (FUpdateDepth == 0) Refresh();
    FText->ReadSections(sections);
}

bool TRemindFile::SectionExists(const std::wstring& section) {
    if (FUpdateDepth == 0) Refresh();
    return FText->SectionExists(section);
}

bool TRemindFile::ValueExists(const std::wstring& section, const std::wstring& ident) {
    if (FUpdateDepth == 0) Refresh();
    return FText->ValueExists(section, ident);
}

void TRemindFile::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
    Change([&] { FText->WriteString(section, ident, value); });
}

void TRemindFile::EraseSection(const std::wstring& section) {
    Change([&] { FText->EraseSection(section); });
}

void TRemindFile::DeleteKey(const std::wstring& section, const std::wstring& ident) {
    Change([&] { FText->DeleteKey(section, ident); });
}

// --- the store's operations ------------------------------------------------------------------

void TRemindFile::LoadAll() {
    ClearRecords();
    Reload();
    LoadFromText();
}

bool TRemindFile::RetryLoad() {
    if (FLoaded) return false;
    Refresh();
    if (FText->State() == TProfileText::TState::Unreadable) return false;
    ClearRecords();
    LoadFromText();
    return FLoaded;
}

void TRemindFile::LoadFromText() {
    // A file another program holds locked reads as empty (as the profile functions see it), rather
    // than failing the start; so does one too big for the memory left. Neither is written until
    // it has been read.
    FLoaded = FText->State() != TProfileText::TState::Unreadable;
    TConfig config;
    std::vector<std::unique_ptr<TRmRecordStruct>> loaded;
    try {
        config.AutoUpdate = FText->ReadBool(kConfig, L"AUTEUPDATE", true);
        config.CheckNews = FText->ReadBool(kConfig, L"CHECKNEWS", true);
        config.NewsId = FText->ReadInteger(kConfig, L"NEWSID", -1);
        config.Language = FText->ReadString(kConfig, L"Language", L"English");
        config.SetupVer = FText->ReadString(kConfig, L"SetupVer", L"");
        ReadAllRecords(*FText, FFormatSettings, loaded);
        Records.reserve(loaded.size());
    } catch (...) {
        loaded.clear();
        FText->Forget();
        FLoaded = false;
        config = TConfig{};
    }
    OnlineServices().GetMachineGuid(config.MachineGuid);
    Config = std::move(config);
    for (auto& r : loaded) Records.push_back(r.release());
}

void TRemindFile::SaveConfig() {
    Change([this] {
        FText->WriteBool(kConfig, L"AUTEUPDATE", Config.AutoUpdate);
        FText->WriteBool(kConfig, L"CHECKNEWS", Config.CheckNews);
        FText->WriteInteger(kConfig, L"NEWSID", Config.NewsId);
        FText->WriteString(kConfig, L"Language", Config.Language);
        FText->WriteString(kConfig, L"SetupVer", Config.SetupVer);
    });
}

std::unique_ptr<TRmRecordStruct> TRemindFile::ReadRecord(const std::wstring& Section, const std::wstring& Key) {
    return ::ReadRecordFrom(*this, FFormatSettings, Section, Key);
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

void TRemindFile::WriteRecordKeys(const std::wstring& Section, TRmRecordStruct* Record) {
    const std::wstring s = SectionName(Record);
    Record->Section = s;
    // The same changes, in the same order, as the key writes the file has always had: the marker
    // of an escaped text goes when the text is plain again.
    if (!RecordNameNeedsEscape(Record->Name) && FText->ValueExists(s, kNameEscaped)) FText->DeleteKey(s, kNameEscaped);
    FText->WriteString(Section, s, ListValue(Record));
    for (const auto& [key, value] : RecordValues(Record)) FText->WriteString(s, key, value);
}

void TRemindFile::WriteRecord(const std::wstring& Section, TRmRecordStruct* Record) {
    Change([&] { WriteRecordKeys(Section, Record); });
}

void TRemindFile::WriteNewRecord(const std::wstring& Section, TRmRecordStruct* Record) {
    // The section does not exist yet: its keys go in as one section, the same lines in the same
    // order.
    const std::wstring s = SectionName(Record);
    Record->Section = s;
    FText->WriteString(Section, s, ListValue(Record));
    FText->WriteSection(s, RecordValues(Record));
}

int TRemindFile::IndexOfRecord(const TRmRecordStruct* Record) const {
    auto it = std::find(Records.begin(), Records.end(), Record);
    return it == Records.end() ? -1 : static_cast<int>(it - Records.begin());
}

bool TRemindFile::SectionInUse(const std::wstring& Section) {
    for (const TRmRecordStruct* r : Records)
        if (fw::AnsiSameText(r->Section, Section)) return true;
    return FText->SectionExists(Section) || FText->ValueExists(kUnfinished, Section);
}

void TRemindFile::AddRecord(TRmRecordStruct* Record) {
    if (!Record || IndexOfRecord(Record) >= 0) return;
    const std::wstring previousSection = Record->Section;
    const fw::TDateTime previousCreated = Record->CreateDateTime;
    try {
        Change([&] {
            // A new record gets its section here; so does a copy of a stored record, which would
            // otherwise overwrite the original's section. Two reminders made within one second
            // would share one too.
            if (Record->Section.empty() || SectionInUse(Record->Section)) {
                std::wstring s = ComputedSectionName(Record->CreateDateTime, FFormatSettings);
                while (SectionInUse(s)) {
                    Record->CreateDateTime = fw::IncSecond(Record->CreateDateTime);
                    s = ComputedSectionName(Record->CreateDateTime, FFormatSettings);
                }
                Record->Section = s;
            }
            WriteRecordKeys(kUnfinished, Record);
            Records.push_back(Record);
        });
    } catch (...) {
        // The caller keeps the record and may save it again: nothing of it is in the file.
        if (!Records.empty() && Records.back() == Record) Records.pop_back();
        Record->Section = previousSection;
        Record->CreateDateTime = previousCreated;
        throw;
    }
}

void TRemindFile::UpdateRecord(TRmRecordStruct* Record) {
    if (IndexOfRecord(Record) >= 0) WriteRecord(kUnfinished, Record);
}

void TRemindFile::EraseRecordSection(const std::wstring& Section, const std::wstring& SectionName) {
    Change([&] {
        // Each erase takes out the first of its name only. A file edited by hand may list a
        // reminder twice (or hold its section twice); the next one would bring the deleted
        // reminder back.
        static const std::wstring kGone = L"\x01\x02";
        for (int i = 0; i < 64; ++i) {
            FText->EraseSection(SectionName);
            if (!FText->SectionExists(SectionName)) break;
        }
        for (int i = 0; i < 64; ++i) {
            FText->DeleteKey(Section, SectionName);
            if (FText->ReadString(Section, SectionName, kGone) == kGone) break;
        }
    });
}

void TRemindFile::DeleteRecord(TRmRecordStruct* Record) {
    const int i = IndexOfRecord(Record);
    if (i < 0) return;
    EraseRecordSection(kUnfinished, SectionName(Record));
    Records.erase(Records.begin() + i);
    delete Record;
}

void TRemindFile::Backup(const std::wstring& FileName) {
    // The copy is read from the file itself, which holds every save; a file saved without its
    // byte-order mark is taken from the store's reading of it, which knows its encoding.
    Refresh();
    const bool markless = FText->State() == TProfileText::TState::Read && FText->Markless();
    fw::TMemIniFile copy(markless ? L"" : FFileName);
    if (markless) {
        const std::vector<uint8_t> bytes = FText->SaveToBytes();
        fw::TEncoding encoding;
        fw::TStringList lines;
        lines.SetText(fw::DecodeText(bytes.data(), bytes.size(), encoding));
        copy.SetStrings(lines);
        copy.SetEncoding(encoding);
    }
    copy.Rename(FileName, false);
    copy.EraseSection(kConfig);
    copy.WriteString(kBackup, L"BACKTIME", fw::DateToStr(fw::Date(), FFormatSettings));
    copy.UpdateFile();
}

void TRemindFile::MergeFrom(const std::wstring& FileName) {
    if (!fw::FileExists(FileName)) return;
    std::vector<std::unique_ptr<TRmRecordStruct>> other;
    try {
        TProfileText ini(FileName);
        if (ini.Load(ReadFileWhole) != TProfileText::TState::Read) return;  // an unreadable file adds nothing
        ReadAllRecords(ini, FFormatSettings, other);
    } catch (...) {
        return;  // and is not reported
    }
    const size_t before = Records.size();
    try {
        Change([&] {  // all of them with one save
            // The sections this file uses, gathered once rather than searched for each record.
            std::unordered_set<std::wstring> used;
            for (const TRmRecordStruct* r : Records) used.insert(FoldName(r->Section));
            fw::TStringList names;
            FText->ReadSections(names);
            for (int i = 0; i < names.Count(); ++i)
                if (FText->SectionExists(names[i])) used.insert(FoldName(names[i]));
            FText->ReadSection(kUnfinished, names);
            for (int i = 0; i < names.Count(); ++i) used.insert(FoldName(names[i]));

            Records.reserve(Records.size() + other.size());
            for (const auto& o : other) {
                if (!used.insert(FoldName(o->Section)).second) continue;
                auto copy = std::make_unique<TRmRecordStruct>(*o);
                WriteNewRecord(kUnfinished, copy.get());
                Records.push_back(copy.release());
            }
        });
    } catch (...) {
        // Nothing of the restore reached the file: none of it stays in the list either.
        for (size_t i = before; i < Records.size(); ++i) delete Records[i];
        Records.resize(before);
        throw;
    }
}

void TRemindFile::ClearRecords() {
    for (TRmRecordStruct* r : Records) delete r;
    Records.clear();
}
