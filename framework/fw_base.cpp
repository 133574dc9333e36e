#include "fw_base.h"

#include "fw_handles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace fw {

TRect IntersectRects(const TRect& a, const TRect& b) {
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) return TRect();
    return r;
}

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    // Mouse messages carry no Alt flag.
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState GetShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
    return s;
}

COLORREF ColorToRGB(TColor c) {
    if (IsSysColor(c)) return GetSysColor(static_cast<int>(static_cast<uint32_t>(c) & 0xFF));
    return static_cast<COLORREF>(static_cast<uint32_t>(c) & 0x00FFFFFFu);
}

// ---------------------------------------------------------------------------------------------

const char* Exception::what() const noexcept {
    try {
        what_ = WideToUtf8(Message);
    } catch (...) {
        return "fw::Exception";
    }
    return what_.c_str();
}

std::wstring SysErrorMessage(DWORD code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    TLocalMemory owned(buf);
    std::wstring text;
    if (n && buf) text.assign(buf, n);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

void RaiseLastOSError(DWORD code) {
    std::wstring msg = L"System Error. Code: " + IntToStr(code) + L".";
    std::wstring sys = SysErrorMessage(code);
    if (!sys.empty()) msg += L"\r\n" + sys;
    throw EOSError(msg, code);
}

// ---------------------------------------------------------------------------------------------

int64_t RoundHalfEven(long double x) {
    return static_cast<int64_t>(std::nearbyint(x));
}

std::wstring IntToStr(int64_t value) { return std::to_wstring(value); }

std::wstring IntToHex(uint64_t value, int digits) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring s;
    do {
        s.insert(s.begin(), kHex[value & 0xF]);
        value >>= 4;
    } while (value);
    while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), L'0');
    return s;
}

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Parses [blanks][sign]("$"hex | decimal) into a magnitude; `hexLimit`/`decLimit` bound it.
bool ParseInteger(const std::wstring& s, bool& negative, bool& hex, uint64_t& magnitude, uint64_t limit) {
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        negative = s[i] == L'-';
        ++i;
    }
    hex = false;
    if (i < s.size() && s[i] == L'$') {
        hex = true;
        ++i;
    }
    if (i >= s.size()) return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        int d = hex ? HexDigit(s[i]) : (s[i] >= L'0' && s[i] <= L'9' ? s[i] - L'0' : -1);
        if (d < 0) return false;
        uint64_t base = hex ? 16 : 10;
        if (v > (limit - static_cast<uint64_t>(d)) / base) return false;
        v = v * base + static_cast<uint64_t>(d);
    }
    magnitude = v;
    return true;
}

}  // namespace

bool TryStrToInt(const std::wstring& s, int& value) {
    bool neg, hex;
    uint64_t m;
    if (!ParseInteger(s, neg, hex, m, 0xFFFFFFFFull)) return false;
    if (hex) {
        // "$FFFFFFFF" is the bit pattern of -1.
        uint32_t bits = static_cast<uint32_t>(m);
        int32_t v = static_cast<int32_t>(bits);
        value = neg ? static_cast<int>(0u - bits) : v;
        return true;
    }
    if (neg) {
        if (m > 0x80000000ull) return false;
        value = static_cast<int>(-static_cast<int64_t>(m));
    } else {
        if (m > 0x7FFFFFFFull) return false;
        value = static_cast<int>(m);
    }
    return true;
}

bool TryStrToInt64(const std::wstring& s, int64_t& value) {
    bool neg, hex;
    uint64_t m;
    if (!ParseInteger(s, neg, hex, m, std::numeric_limits<uint64_t>::max())) return false;
    if (hex) {
        value = neg ? static_cast<int64_t>(0ull - m) : static_cast<int64_t>(m);
        return true;
    }
    if (neg) {
        if (m > 0x8000000000000000ull) return false;
        value = static_cast<int64_t>(0ull - m);
    } else {
        if (m > 0x7FFFFFFFFFFFFFFFull) return false;
        value = static_cast<int64_t>(m);
    }
    return true;
}

int StrToIntDef(const std::wstring& s, int def) {
    int v;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(const std::wstring& s, int64_t def) {
    int64_t v;
    return TryStrToInt64(s, v) ? v : def;
}

int StrToInt(const std::wstring& s) {
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError(L"'" + s + L"' is not a valid integer value");
    return v;
}

int IniStrToIntDef(const std::wstring& s, int def) {
    if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) {
        uint64_t v = 0;
        for (size_t i = 2; i < s.size(); ++i) {
            int d = HexDigit(s[i]);
            if (d < 0) return def;
            v = v * 16 + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull) return def;
        }
        return static_cast<int>(static_cast<uint32_t>(v));
    }
    return StrToIntDef(s, def);
}

// ---------------------------------------------------------------------------------------------

std::wstring Trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] <= L' ') ++b;
    while (e > b && s[e - 1] <= L' ') --e;
    return s.substr(b, e - b);
}

std::wstring TrimLeft(const std::wstring& s) {
    size_t b = 0;
    while (b < s.size() && s[b] <= L' ') ++b;
    return s.substr(b);
}

std::wstring TrimRight(const std::wstring& s) {
    size_t e = s.size();
    while (e > 0 && s[e - 1] <= L' ') --e;
    return s.substr(0, e);
}

std::wstring UpperCase(const std::wstring& s) {
    std::wstring r = s;
    for (auto& c : r)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    return r;
}

std::wstring LowerCase(const std::wstring& s) {
    std::wstring r = s;
    for (auto& c : r)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return r;
}

int CompareText(const std::wstring& a, const std::wstring& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

// Locale-independent upper-case folding of every code unit (one unit in, one unit out).
std::wstring FoldCase(const std::wstring& s) {
    std::wstring r = s;
    if (!r.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s.data(), static_cast<int>(s.size()), r.data(),
                     static_cast<int>(r.size()));
    return r;
}

namespace {
std::wstring Fold(const std::wstring& s) { return FoldCase(s); }
}  // namespace

int AnsiCompareText(const std::wstring& a, const std::wstring& b) {
    std::wstring x = Fold(a), y = Fold(b);
    int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool AnsiSameText(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

size_t PosText(const std::wstring& sub, const std::wstring& s, size_t from) {
    if (from > s.size()) return std::wstring::npos;
    return Fold(s).find(Fold(sub), from);
}

bool StartsText(const std::wstring& prefix, const std::wstring& s) {
    return s.size() >= prefix.size() && AnsiSameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(const std::wstring& suffix, const std::wstring& s) {
    return s.size() >= suffix.size() && AnsiSameText(s.substr(s.size() - suffix.size()), suffix);
}

std::wstring StringReplace(const std::wstring& s, const std::wstring& from, const std::wstring& to, bool all,
                           bool ignoreCase) {
    if (from.empty()) return s;
    const std::wstring hay = ignoreCase ? Fold(s) : s;
    const std::wstring needle = ignoreCase ? Fold(from) : from;
    std::wstring out;
    size_t pos = 0;
    while (true) {
        size_t hit = hay.find(needle, pos);
        if (hit == std::wstring::npos) break;
        out.append(s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        if (!all) break;
    }
    out.append(s, pos, std::wstring::npos);
    return out;
}

std::wstring Format(const std::wstring& fmt, std::initializer_list<std::wstring> args) {
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < fmt.size(); ++i) {
        wchar_t c = fmt[i];
        if (c != L'%') {
            out += c;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == L'%') {
            out += L'%';
            ++i;
            continue;
        }
        // Flags, width and precision, then the conversion letter.
        size_t j = i + 1;
        // No blank flag: "100% sure" is text, not a conversion.
        while (j < fmt.size() && (fmt[j] == L'-' || fmt[j] == L'+' || fmt[j] == L'#' || fmt[j] == L'0'))
            ++j;
        while (j < fmt.size() && fmt[j] >= L'0' && fmt[j] <= L'9') ++j;
        if (j < fmt.size() && fmt[j] == L'.') {
            ++j;
            while (j < fmt.size() && fmt[j] >= L'0' && fmt[j] <= L'9') ++j;
        }
        if (j < fmt.size() && (fmt[j] == L's' || fmt[j] == L'd' || fmt[j] == L'u' || fmt[j] == L'x' || fmt[j] == L'X')) {
            if (next != args.end()) out += *next++;
            i = j;
        } else {
            out += L'%';  // stray: kept as written
        }
    }
    return out;
}

std::wstring Utf8ToWide(const char* data, size_t size) {
    if (size == 0) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0);
    std::wstring r(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), r.data(), n);
    return r;
}

std::wstring Utf8ToWide(const std::string& s) { return Utf8ToWide(s.data(), s.size()); }

std::string WideToUtf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    if (n) WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

std::wstring AnsiToWide(const char* data, size_t size, UINT codePage) {
    if (size == 0) return {};
    int n = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    std::wstring r(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), r.data(), n);
    return r;
}

std::wstring AnsiToWide(const std::string& s, UINT codePage) { return AnsiToWide(s.data(), s.size(), codePage); }

std::string WideToAnsi(const std::wstring& s, UINT codePage) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    if (n) WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

std::wstring BinToHex(const void* data, size_t size) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    const auto* p = static_cast<const uint8_t*>(data);
    std::wstring r;
    r.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        r += kHex[p[i] >> 4];
        r += kHex[p[i] & 0xF];
    }
    return r;
}

std::wstring BinToHex(const std::vector<uint8_t>& data) { return BinToHex(data.data(), data.size()); }

std::vector<uint8_t> HexToBin(const std::wstring& hex) {
    std::vector<uint8_t> r;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) break;
        r.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return r;
}

// ---------------------------------------------------------------------------------------------

namespace {

bool IsDelim(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t LastDelim(const std::wstring& p) {
    for (size_t i = p.size(); i > 0; --i)
        if (IsDelim(p[i - 1]) || p[i - 1] == L':') return i - 1;
    return std::wstring::npos;
}

}  // namespace

std::wstring ExtractFilePath(const std::wstring& path) {
    size_t d = LastDelim(path);
    return d == std::wstring::npos ? std::wstring() : path.substr(0, d + 1);
}

std::wstring ExtractFileDir(const std::wstring& path) {
    size_t d = LastDelim(path);
    if (d == std::wstring::npos) return {};
    // Keep the separator of a root ("C:\", "\").
    if (d > 0 && IsDelim(path[d]) && path[d - 1] != L':' && !IsDelim(path[d - 1])) return path.substr(0, d);
    return path.substr(0, d + 1);
}

std::wstring ExtractFileName(const std::wstring& path) {
    size_t d = LastDelim(path);
    return d == std::wstring::npos ? path : path.substr(d + 1);
}

std::wstring ExtractFileExt(const std::wstring& path) {
    std::wstring name = ExtractFileName(path);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext) {
    size_t d = LastDelim(path);
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (d != std::wstring::npos && dot < d)) return path + ext;
    return path.substr(0, dot) + ext;
}

std::wstring IncludeTrailingPathDelimiter(const std::wstring& path) {
    if (!path.empty() && IsDelim(path.back())) return path;
    return path + L"\\";
}

std::wstring ExcludeTrailingPathDelimiter(const std::wstring& path) {
    std::wstring r = path;
    while (!r.empty() && IsDelim(r.back())) r.pop_back();
    return r;
}

std::wstring ExpandFileName(const std::wstring& path) {
    if (path.empty()) return {};
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring r(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, r.data(), nullptr);
    r.resize(n);
    return r;
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::wstring& path) {
    std::wstring dir = ExcludeTrailingPathDelimiter(ExpandFileName(path));
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    std::wstring parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
    return CreateDirectoryW(dir.c_str(), nullptr) || DirectoryExists(dir);
}

std::wstring GetModuleName() {
    std::wstring buf(MAX_PATH, L'\0');
    while (true) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace fw
