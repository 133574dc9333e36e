#include "fw_inifiles.h"

#include "fw_handles.h"

#include <algorithm>

namespace fw {

// --- TCustomIniFile --------------------------------------------------------------------------

TCustomIniFile::TCustomIniFile(const std::wstring& fileName)
    : FFileName(fileName), FFormatSettings(DefaultFormatSettings()) {}

void TCustomIniFile::ReadSectionValues(const std::wstring& section, TStrings& values) {
    TStringList keys;
    ReadSection(section, keys);
    values.BeginUpdate();
    values.Clear();
    for (int i = 0; i < keys.Count(); ++i)
        values.Add(keys[i] + L"=" + ReadString(section, keys[i], L""));
    values.EndUpdate();
}

bool TCustomIniFile::SectionExists(const std::wstring& section) {
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::wstring& section, const std::wstring& ident) {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) >= 0;
}

int TCustomIniFile::ReadInteger(const std::wstring& section, const std::wstring& ident, int def) {
    return IniStrToIntDef(ReadString(section, ident, L""), def);
}

void TCustomIniFile::WriteInteger(const std::wstring& section, const std::wstring& ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::wstring& section, const std::wstring& ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::wstring& section, const std::wstring& ident, bool value) {
    WriteString(section, ident, value ? L"1" : L"0");
}

TDateTime TCustomIniFile::ReadDateTime(const std::wstring& section, const std::wstring& ident, TDateTime def) {
    const std::wstring s = ReadString(section, ident, L"");
    TDateTime v;
    return !s.empty() && TryStrToDateTime(s, v, FFormatSettings) ? v : def;
}

TDateTime TCustomIniFile::ReadDate(const std::wstring& section, const std::wstring& ident, TDateTime def) {
    const std::wstring s = ReadString(section, ident, L"");
    TDateTime v;
    return !s.empty() && TryStrToDate(s, v, FFormatSettings) ? v : def;
}

TDateTime TCustomIniFile::ReadTime(const std::wstring& section, const std::wstring& ident, TDateTime def) {
    const std::wstring s = ReadString(section, ident, L"");
    TDateTime v;
    return !s.empty() && TryStrToTime(s, v, FFormatSettings) ? v : def;
}

void TCustomIniFile::WriteDateTime(const std::wstring& section, const std::wstring& ident, TDateTime value) {
    WriteString(section, ident, DateTimeToStr(value, FFormatSettings));
}

void TCustomIniFile::WriteDate(const std::wstring& section, const std::wstring& ident, TDateTime value) {
    WriteString(section, ident, DateToStr(value, FFormatSettings));
}

void TCustomIniFile::WriteTime(const std::wstring& section, const std::wstring& ident, TDateTime value) {
    WriteString(section, ident, TimeToStr(value, FFormatSettings));
}

// --- TIniFile --------------------------------------------------------------------------------

TIniFile::TIniFile(const std::wstring& fileName)
    : TCustomIniFile(fileName.empty() ? fileName : ExpandFileName(fileName)) {}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) {
    // The function copies at most size - 1 characters and then returns size - 1: only a result
    // below that is known to be whole.
    std::vector<wchar_t> buf(2048);
    while (true) {
        const DWORD size = static_cast<DWORD>(buf.size());
        const DWORD n = GetPrivateProfileStringW(section.c_str(), ident.c_str(), def.c_str(), buf.data(), size,
                                                 FFileName.c_str());
        if (n + 1 < size || size >= (1u << 26)) return std::wstring(buf.data(), std::min<DWORD>(n, size - 1));
        buf.resize(buf.size() * 4);
    }
}

std::vector<std::wstring> TIniFile::ReadList(const wchar_t* section) {
    // A short buffer gives size - 2 (the last name cut, then two NULs): grow and retry.
    std::vector<wchar_t> buf(16384);
    DWORD n;
    while (true) {
        const DWORD size = static_cast<DWORD>(buf.size());
        n = GetPrivateProfileStringW(section, nullptr, L"", buf.data(), size, FFileName.c_str());
        if (n + 2 < size || size >= (1u << 26)) break;
        buf.resize(buf.size() * 4);
    }
    std::vector<std::wstring> names;
    size_t i = 0;
    while (i < n && buf[i] != L'\0') {
        const size_t start = i;
        while (i < n && buf[i] != L'\0') ++i;
        names.emplace_back(buf.data() + start, i - start);
        ++i;
    }
    return names;
}

void TIniFile::ReadSection(const std::wstring& section, TStrings& keys) {
    const std::vector<std::wstring> names = ReadList(section.c_str());
    keys.BeginUpdate();
    keys.Clear();
    for (const auto& k : names) keys.Add(k);
    keys.EndUpdate();
}

void TIniFile::ReadSections(TStrings& sections) {
    const std::vector<std::wstring> names = ReadList(nullptr);
    sections.BeginUpdate();
    sections.Clear();
    for (const auto& k : names) sections.Add(k);
    sections.EndUpdate();
}

void TIniFile::PrepareWrite() {
    if (!FCreateUnicode || FFileName.empty() || FileExists(FFileName)) return;
    // CREATE_NEW: a file another writer made in the meantime is left alone. A failure here shows
    // up as the refused write that follows.
    TKernelHandle h(
        CreateFileW(FFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return;
    static const uint8_t kBom[2] = {0xFF, 0xFE};
    DWORD put = 0;
    WriteFile(h.Get(), kBom, 2, &put, nullptr);
}

void TIniFile::RaiseWriteError() { throw EIniFileException(Format(L"Unable to write to %s", {FFileName})); }

void TIniFile::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
    PrepareWrite();
    if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(), FFileName.c_str()))
        RaiseWriteError();
}

void TIniFile::EraseSection(const std::wstring& section) {
    // Nothing to erase in a file that does not exist; elsewhere a refusal is an error.
    if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FFileName.c_str()) && FileExists(FFileName))
        RaiseWriteError();
}

void TIniFile::DeleteKey(const std::wstring& section, const std::wstring& ident) {
    // A key that stayed in the file comes back at the next start (a deleted reminder would
    // reappear): a refusal is an error like any other write.
    if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FFileName.c_str()) && FileExists(FFileName))
        RaiseWriteError();
}

void TIniFile::UpdateFile() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, FFileName.c_str()); }

// --- TMemIniFile -----------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const std::wstring& fileName) : TCustomIniFile(fileName) { LoadFromFileName(); }

void TMemIniFile::LoadFromFileName() {
    Clear();
    if (FFileName.empty() || !FileExists(FFileName)) return;
    TStringList lines;
    lines.LoadFromFile(FFileName);
    FEncoding = lines.GetEncoding();
    ParseLines(lines);
}

void TMemIniFile::Clear() {
    FSections.clear();
    FIndex.clear();
}

TMemIniFile::Section* TMemIniFile::FindSection(const std::wstring& name) {
    const auto it = FIndex.find(FoldCase(name));
    return it == FIndex.end() ? nullptr : &FSections[it->second];
}

TMemIniFile::Section& TMemIniFile::AddSection(const std::wstring& name) {
    FSections.push_back(Section{name, FoldCase(name), {}, {}});
    FIndex.emplace(FSections.back().folded, FSections.size() - 1);
    return FSections.back();
}

TMemIniFile::Key* TMemIniFile::FindKey(Section& s, const std::wstring& name) {
    const auto it = s.index.find(FoldCase(name));
    return it == s.index.end() ? nullptr : &s.keys[it->second];
}

void TMemIniFile::AddKey(Section& s, const std::wstring& name, const std::wstring& value) {
    s.keys.push_back(Key{name, FoldCase(name), value});
    s.index.emplace(s.keys.back().folded, s.keys.size() - 1);
}

void TMemIniFile::Reindex() {
    FIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i) FIndex.emplace(FSections[i].folded, i);
}

void TMemIniFile::ParseLines(const TStrings& list) {
    Section* current = nullptr;
    for (int i = 0; i < list.Count(); ++i) {
        const std::wstring t = Trim(list[i]);
        if (t.empty() || t[0] == L';') continue;
        if (t[0] == L'[' && t.back() == L']' && t.size() >= 2) {
            // Blanks inside the brackets are no part of the name (as the profile functions read it).
            const std::wstring name = Trim(t.substr(1, t.size() - 2));
            current = FindSection(name);
            if (!current) current = &AddSection(name);
            continue;
        }
        if (!current) continue;
        const size_t eq = t.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = Trim(t.substr(0, eq));
        if (FindKey(*current, key)) continue;  // the first occurrence wins
        AddKey(*current, key, Trim(t.substr(eq + 1)));
    }
}

void TMemIniFile::SetStrings(const TStrings& list) {
    Clear();
    ParseLines(list);
}

void TMemIniFile::GetStrings(TStrings& list) const {
    list.BeginUpdate();
    list.Clear();
    for (const auto& s : FSections) {
        list.Add(L"[" + s.name + L"]");
        for (const auto& k : s.keys) list.Add(k.name + L"=" + k.value);
        list.Add(L"");
    }
    list.EndUpdate();
}

void TMemIniFile::Rename(const std::wstring& fileName, bool reload) {
    FFileName = fileName;
    if (reload) LoadFromFileName();
}

std::wstring TMemIniFile::ReadString(const std::wstring& section, const std::wstring& ident, const std::wstring& def) {
    Section* s = FindSection(section);
    if (!s) return def;
    Key* k = FindKey(*s, ident);
    return k ? k->value : def;
}

void TMemIniFile::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
    Section* s = FindSection(section);
    if (!s) s = &AddSection(section);
    if (Key* k = FindKey(*s, ident)) {
        k->value = value;
        return;
    }
    AddKey(*s, ident, value);
}

void TMemIniFile::ReadSection(const std::wstring& section, TStrings& keys) {
    keys.BeginUpdate();
    keys.Clear();
    if (Section* s = FindSection(section))
        for (const auto& k : s->keys) keys.Add(k.name);
    keys.EndUpdate();
}

void TMemIniFile::ReadSections(TStrings& sections) {
    sections.BeginUpdate();
    sections.Clear();
    for (const auto& s : FSections) sections.Add(s.name);
    sections.EndUpdate();
}

void TMemIniFile::ReadSectionValues(const std::wstring& section, TStrings& values) {
    values.BeginUpdate();
    values.Clear();
    if (Section* s = FindSection(section))
        for (const auto& k : s->keys) values.Add(k.name + L"=" + k.value);
    values.EndUpdate();
}

void TMemIniFile::EraseSection(const std::wstring& section) {
    const std::wstring f = FoldCase(section);
    for (auto it = FSections.begin(); it != FSections.end(); ++it)
        if (it->folded == f) {
            FSections.erase(it);
            Reindex();
            return;
        }
}

void TMemIniFile::DeleteKey(const std::wstring& section, const std::wstring& ident) {
    Section* s = FindSection(section);
    if (!s) return;
    const std::wstring f = FoldCase(ident);
    for (auto it = s->keys.begin(); it != s->keys.end(); ++it)
        if (it->folded == f) {
            s->keys.erase(it);
            s->index.clear();
            for (size_t i = 0; i < s->keys.size(); ++i) s->index.emplace(s->keys[i].folded, i);
            return;
        }
}

bool TMemIniFile::SectionExists(const std::wstring& section) {
    Section* s = FindSection(section);
    return s && !s->keys.empty();
}

bool TMemIniFile::ValueExists(const std::wstring& section, const std::wstring& ident) {
    Section* s = FindSection(section);
    return s && FindKey(*s, ident);
}

void TMemIniFile::UpdateFile() {
    if (FFileName.empty()) return;
    TStringList lines;
    GetStrings(lines);
    lines.SaveToFile(FFileName, FEncoding);
}

}  // namespace fw
