#include "fw_strings.h"

#include "fw_handles.h"

#include <algorithm>
#include <iterator>

namespace fw {

TEncoding DetectEncoding(const void* data, size_t size, size_t& bomSize) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bomSize = 2;
        return TEncoding::UTF16LE;
    }
    if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        bomSize = 2;
        return TEncoding::UTF16BE;
    }
    if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        bomSize = 3;
        return TEncoding::UTF8;
    }
    bomSize = 0;
    return TEncoding::Ansi;
}

std::wstring DecodeText(const void* data, size_t size, TEncoding& encoding) {
    size_t bom;
    encoding = DetectEncoding(data, size, bom);
    const auto* p = static_cast<const uint8_t*>(data) + bom;
    const size_t n = size - bom;
    switch (encoding) {
        case TEncoding::UTF16LE:
        case TEncoding::UTF16BE: {
            // A lone last byte cannot be a character; it is dropped.
            std::wstring r(n / 2, L'\0');
            for (size_t i = 0; i < r.size(); ++i) {
                const uint8_t a = p[2 * i], b = p[2 * i + 1];
                r[i] = encoding == TEncoding::UTF16LE ? static_cast<wchar_t>(a | (b << 8))
                                                      : static_cast<wchar_t>((a << 8) | b);
            }
            return r;
        }
        case TEncoding::UTF8:
            return Utf8ToWide(reinterpret_cast<const char*>(p), n);
        case TEncoding::Ansi:
        default:
            return AnsiToWide(reinterpret_cast<const char*>(p), n);
    }
}

std::vector<uint8_t> EncodeText(const std::wstring& text, TEncoding encoding, bool withBom) {
    std::vector<uint8_t> out;
    switch (encoding) {
        case TEncoding::UTF16LE:
        case TEncoding::UTF16BE: {
            const bool le = encoding == TEncoding::UTF16LE;
            out.reserve(text.size() * 2 + 2);
            if (withBom) {
                out.push_back(le ? 0xFF : 0xFE);
                out.push_back(le ? 0xFE : 0xFF);
            }
            for (wchar_t c : text) {
                const uint8_t lo = static_cast<uint8_t>(c & 0xFF), hi = static_cast<uint8_t>((c >> 8) & 0xFF);
                out.push_back(le ? lo : hi);
                out.push_back(le ? hi : lo);
            }
            return out;
        }
        case TEncoding::UTF8: {
            if (withBom) out = {0xEF, 0xBB, 0xBF};
            const std::string u = WideToUtf8(text);
            out.insert(out.end(), u.begin(), u.end());
            return out;
        }
        case TEncoding::Ansi:
        default: {
            const std::string a = WideToAnsi(text);
            return std::vector<uint8_t>(a.begin(), a.end());
        }
    }
}

std::vector<uint8_t> ReadFileToBytes(const std::wstring& fileName) {
    TKernelHandle h(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        const DWORD err = GetLastError();
        throw EFOpenError(Format(L"Cannot open file \"%s\". %s", {fileName, SysErrorMessage(err)}));
    }
    std::vector<uint8_t> data;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.Get(), &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF) {
        data.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < data.size()) {
            DWORD got = 0;
            if (!ReadFile(h.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr) || got == 0) break;
            done += got;
        }
        data.resize(done);
    }
    return data;
}

void WriteBytesToFile(const std::wstring& fileName, const void* data, size_t size) {
    TKernelHandle h(CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        const DWORD err = GetLastError();
        throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {fileName, SysErrorMessage(err)}));
    }
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    bool ok = true;
    while (done < size) {
        DWORD put = 0;
        if (!WriteFile(h.Get(), p + done, static_cast<DWORD>(size - done), &put, nullptr) || put == 0) {
            ok = false;
            break;
        }
        done += put;
    }
    const DWORD err = GetLastError();
    h.Reset();
    if (!ok) throw EStreamError(Format(L"Error writing file \"%s\". %s", {fileName, SysErrorMessage(err)}));
}

// --- TStrings --------------------------------------------------------------------------------

int TStrings::Add(const std::wstring& s) {
    const int i = GetCount();
    Insert(i, s);
    return i;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

int TStrings::AddObject(const std::wstring& s, TObject* obj) {
    const int i = Add(s);
    PutObject(i, obj);
    return i;
}

void TStrings::InsertObject(int index, const std::wstring& s, TObject* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::AddStrings(const TStrings& other) {
    if (&other == this) {
        const int n = GetCount();
        for (int i = 0; i < n; ++i) AddObject(Get(i), GetObject(i));
        return;
    }
    BeginUpdate();
    for (int i = 0; i < other.GetCount(); ++i) AddObject(other.Get(i), other.GetObject(i));
    EndUpdate();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this) return;
    BeginUpdate();
    Clear();
    FEncoding = other.FEncoding;
    AddStrings(other);
    EndUpdate();
}

void TStrings::Exchange(int a, int b) {
    CheckIndex(a, GetCount());
    CheckIndex(b, GetCount());
    const std::wstring sa = Get(a);
    TObject* oa = GetObject(a);
    Put(a, Get(b));
    PutObject(a, GetObject(b));
    Put(b, sa);
    PutObject(b, oa);
}

void TStrings::Move(int from, int to) {
    if (from == to) return;
    CheckIndex(from, GetCount());
    CheckIndex(to, GetCount());
    const std::wstring s = Get(from);
    TObject* o = GetObject(from);
    Delete(from);
    InsertObject(to, s, o);
}

int TStrings::CompareStrings(const std::wstring& a, const std::wstring& b) const {
    if (FCaseSensitive) {
        const int c = a.compare(b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return AnsiCompareText(a, b);
}

void TStrings::CheckIndex(int index, int count) {
    if (index < 0 || index >= count) throw EListError(L"List index out of bounds (" + IntToStr(index) + L")");
}

int TStrings::IndexOf(const std::wstring& s) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

std::wstring TStrings::GetName(int index) const {
    const std::wstring s = Get(index);
    const size_t p = s.find(L'=');
    return p == std::wstring::npos ? std::wstring() : s.substr(0, p);
}

std::wstring TStrings::GetValueFromIndex(int index) const {
    const std::wstring s = Get(index);
    const size_t p = s.find(L'=');
    return p == std::wstring::npos ? std::wstring() : s.substr(p + 1);
}

int TStrings::IndexOfName(const std::wstring& name) const {
    for (int i = 0; i < GetCount(); ++i) {
        const std::wstring s = Get(i);
        const size_t p = s.find(L'=');
        if (p != std::wstring::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::wstring TStrings::GetValue(const std::wstring& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::wstring() : GetValueFromIndex(i);
}

void TStrings::SetValue(const std::wstring& name, const std::wstring& value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i >= 0)
        Put(i, name + L"=" + value);
    else
        Add(name + L"=" + value);
}

std::wstring TStrings::GetText() const {
    std::wstring r;
    for (int i = 0; i < GetCount(); ++i) {
        r += Get(i);
        r += L"\r\n";
    }
    return r;
}

void TStrings::SetText(const std::wstring& text) {
    BeginUpdate();
    Clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t e = start;
        while (e < n && text[e] != L'\r' && text[e] != L'\n') ++e;
        Add(text.substr(start, e - start));
        if (e < n) e += (text[e] == L'\r' && e + 1 < n && text[e + 1] == L'\n') ? 2 : 1;  // CR LF counts once
        start = e;
    }
    EndUpdate();
}

void TStrings::LoadFromBytes(const void* data, size_t size) {
    TEncoding enc;
    const std::wstring text = DecodeText(data, size, enc);
    SetText(text);
    FEncoding = enc;
}

void TStrings::LoadFromStream(std::istream& in) {
    std::vector<char> buf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadFromBytes(buf.data(), buf.size());
}

void TStrings::LoadFromFile(const std::wstring& fileName) {
    const std::vector<uint8_t> data = ReadFileToBytes(fileName);
    LoadFromBytes(data.data(), data.size());
}

void TStrings::LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type) {
    HRSRC res = FindResourceW(module, name, type);
    HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
    const void* p = mem ? LockResource(mem) : nullptr;
    if (!p) {
        const std::wstring shown = IS_INTRESOURCE(name) ? L"#" + IntToStr(reinterpret_cast<ULONG_PTR>(name)) : name;
        throw EFOpenError(Format(L"Resource %s not found", {shown}));
    }
    LoadFromBytes(p, SizeofResource(module, res));
}

std::vector<uint8_t> TStrings::SaveToBytes(TEncoding encoding) const { return EncodeText(GetText(), encoding, true); }

void TStrings::SaveToStream(std::ostream& out, TEncoding encoding) const {
    const std::vector<uint8_t> b = SaveToBytes(encoding);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

void TStrings::SaveToFile(const std::wstring& fileName, TEncoding encoding) const {
    const std::vector<uint8_t> b = SaveToBytes(encoding);
    WriteBytesToFile(fileName, b.data(), b.size());
}

// --- TStringList -----------------------------------------------------------------------------

std::wstring TStringList::Get(int index) const {
    CheckIndex(index, GetCount());
    return FItems[static_cast<size_t>(index)].s;
}

void TStringList::Put(int index, const std::wstring& s) {
    if (FSorted) throw EListError(L"Operation not allowed on sorted list");
    CheckIndex(index, GetCount());
    FItems[static_cast<size_t>(index)].s = s;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index, GetCount());
    return FItems[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index, GetCount());
    FItems[static_cast<size_t>(index)].obj = obj;
}

void TStringList::Insert(int index, const std::wstring& s) {
    if (FSorted) throw EListError(L"Operation not allowed on sorted list");
    if (index < 0 || index > GetCount()) throw EListError(L"List index out of bounds (" + IntToStr(index) + L")");
    FItems.insert(FItems.begin() + index, Item{s, nullptr});
}

void TStringList::Delete(int index) {
    CheckIndex(index, GetCount());
    FItems.erase(FItems.begin() + index);
}

void TStringList::Clear() { FItems.clear(); }

int TStringList::Add(const std::wstring& s) {
    if (!FSorted) {
        FItems.push_back(Item{s, nullptr});
        return GetCount() - 1;
    }
    int i;
    if (Find(s, i)) {
        if (FDuplicates == dupIgnore) return i;
        if (FDuplicates == dupError) throw EListError(L"String list does not allow duplicates");
        // dupAccept: after the equal ones.
        while (i < GetCount() && CompareStrings(FItems[static_cast<size_t>(i)].s, s) == 0) ++i;
    }
    FItems.insert(FItems.begin() + i, Item{s, nullptr});
    return i;
}

int TStringList::IndexOf(const std::wstring& s) const {
    if (!FSorted) return TStrings::IndexOf(s);
    int i;
    return Find(s, i) ? i : -1;
}

void TStringList::SetCaseSensitive(bool v) {
    if (v == FCaseSensitive) return;
    FCaseSensitive = v;
    if (FSorted) Sort();
}

void TStringList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
}

bool TStringList::Find(const std::wstring& s, int& index) const {
    int lo = 0, hi = GetCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareStrings(FItems[static_cast<size_t>(mid)].s, s) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    index = lo;
    return lo < GetCount() && CompareStrings(FItems[static_cast<size_t>(lo)].s, s) == 0;
}

void TStringList::SetSorted(bool v) {
    if (v == FSorted) return;
    if (v) Sort();
    FSorted = v;
}

}  // namespace fw
