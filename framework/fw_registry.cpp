#include "fw_registry.h"

#include <cstring>
#include <utility>
#include <vector>

namespace fw {

namespace {

TRegDataType TypeOf(DWORD type) {
    switch (type) {
        case REG_SZ: return rdString;
        case REG_EXPAND_SZ: return rdExpandString;
        case REG_DWORD: return rdInteger;
        case REG_BINARY: return rdBinary;
        default: return rdUnknown;
    }
}

constexpr REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    FRootKey = root;
}

bool TRegistry::Fail(LONG rc) {
    FLastError = rc;
    return rc == ERROR_SUCCESS;
}

HKEY TRegistry::BaseFor(const std::wstring& key, std::wstring& relative) const {
    if (!key.empty() && key[0] == L'\\') {
        relative = key.substr(1);
        return FRootKey;
    }
    relative = key;
    return FCurrentKey ? FCurrentKey.Get() : FRootKey;
}

bool TRegistry::OpenKey(const std::wstring& key, bool canCreate) {
    std::wstring rel;
    HKEY base = BaseFor(key, rel);
    const bool fromRoot = base == FRootKey;
    TRegKey h;
    LONG rc;
    if (canCreate)
        rc = RegCreateKeyExW(base, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, h.Put(),
                             nullptr);
    else
        rc = RegOpenKeyExW(base, rel.c_str(), 0, FAccess, h.Put());
    if (!Fail(rc)) return false;
    const std::wstring path = fromRoot || FCurrentPath.empty() ? rel : FCurrentPath + L"\\" + rel;
    CloseKey();
    FCurrentKey = std::move(h);
    FCurrentPath = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& key) {
    std::wstring rel;
    HKEY base = BaseFor(key, rel);
    const bool fromRoot = base == FRootKey;
    TRegKey h;
    LONG rc = RegOpenKeyExW(base, rel.c_str(), 0, KEY_READ | (FAccess & kViewFlags), h.Put());
    if (rc != ERROR_SUCCESS)
        rc = RegOpenKeyExW(base, rel.c_str(), 0, KEY_QUERY_VALUE | (FAccess & kViewFlags), h.Put());
    if (!Fail(rc)) return false;
    const std::wstring path = fromRoot || FCurrentPath.empty() ? rel : FCurrentPath + L"\\" + rel;
    CloseKey();
    FCurrentKey = std::move(h);
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey() {
    FCurrentKey.Reset();
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::wstring& key) {
    std::wstring rel;
    HKEY base = BaseFor(key, rel);
    TRegKey h;
    LONG rc = RegOpenKeyExW(base, rel.c_str(), 0, KEY_QUERY_VALUE | (FAccess & kViewFlags), h.Put());
    // A key we may not read still exists.
    return rc == ERROR_SUCCESS || rc == ERROR_ACCESS_DENIED;
}

bool TRegistry::DeleteKey(const std::wstring& key) {
    std::wstring rel;
    HKEY base = BaseFor(key, rel);
    if (rel.empty()) return Fail(ERROR_INVALID_PARAMETER);
    return Fail(RegDeleteTreeW(base, rel.c_str()));
}

bool TRegistry::GetDataInfo(const std::wstring& name, TRegDataInfo& info) {
    info = TRegDataInfo{};
    DWORD type = REG_NONE, size = 0;
    const LONG rc = FCurrentKey ? RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &type, nullptr, &size)
                                : ERROR_INVALID_HANDLE;
    SetLastError(static_cast<DWORD>(rc));
    if (!Fail(rc)) return false;
    info.RegData = TypeOf(type);
    info.DataSize = size;
    return true;
}

bool TRegistry::ValueExists(const std::wstring& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

TRegDataType TRegistry::GetDataType(const std::wstring& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const std::wstring& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? static_cast<int>(info.DataSize) : -1;
}

std::wstring TRegistry::ReadString(const std::wstring& name) {
    if (!FCurrentKey) return {};
    // The value may change between the size query and the read: retry while it grows.
    std::vector<BYTE> buf(256);
    DWORD type = REG_NONE;
    LONG rc;
    while (true) {
        DWORD size = static_cast<DWORD>(buf.size());
        rc = RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &type, buf.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            buf.resize(size + 2);
            continue;
        }
        if (rc == ERROR_SUCCESS) buf.resize(size);
        break;
    }
    if (!Fail(rc)) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(Format(L"Invalid data type for '%s'", {name}));
    std::wstring s(buf.size() / 2, L'\0');
    if (!s.empty()) memcpy(s.data(), buf.data(), s.size() * 2);
    const size_t nul = s.find(L'\0');
    if (nul != std::wstring::npos) s.resize(nul);
    return s;
}

int TRegistry::ReadBinaryData(const std::wstring& name, void* buffer, int size) {
    if (!FCurrentKey || size < 0) return -1;
    DWORD type = REG_NONE, n = static_cast<DWORD>(size);
    const LONG rc = RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &n);
    if (!Fail(rc)) return -1;
    return static_cast<int>(n);
}

int TRegistry::ReadInteger(const std::wstring& name) {
    DWORD type = REG_NONE, v = 0, n = sizeof(v);
    const LONG rc = FCurrentKey ? RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &type,
                                                   reinterpret_cast<BYTE*>(&v), &n)
                                : ERROR_INVALID_HANDLE;
    if (!Fail(rc) || type != REG_DWORD) throw ERegistryException(Format(L"Invalid data type for '%s'", {name}));
    return static_cast<int>(v);
}

bool TRegistry::Write(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    if (!FCurrentKey) return Fail(ERROR_INVALID_HANDLE);
    return Fail(RegSetValueExW(FCurrentKey.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
}

bool TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
    return Write(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool TRegistry::WriteExpandString(const std::wstring& name, const std::wstring& value) {
    return Write(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool TRegistry::WriteInteger(const std::wstring& name, int value) {
    const DWORD v = static_cast<DWORD>(value);
    return Write(name, REG_DWORD, &v, sizeof(v));
}

bool TRegistry::WriteBinaryData(const std::wstring& name, const void* data, int size) {
    return Write(name, REG_BINARY, data, static_cast<DWORD>(size < 0 ? 0 : size));
}

bool TRegistry::DeleteValue(const std::wstring& name) {
    if (!FCurrentKey) return Fail(ERROR_INVALID_HANDLE);
    return Fail(RegDeleteValueW(FCurrentKey.Get(), name.c_str()));
}

void TRegistry::GetValueNames(TStrings& names) {
    names.Clear();
    if (!FCurrentKey) return;
    DWORD count = 0, maxLen = 0;
    if (RegQueryInfoKeyW(FCurrentKey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxLen,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> buf(maxLen + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        if (RegEnumValueW(FCurrentKey.Get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.Add(std::wstring(buf.data(), len));
    }
}

void TRegistry::GetKeyNames(TStrings& names) {
    names.Clear();
    if (!FCurrentKey) return;
    DWORD count = 0, maxLen = 0;
    if (RegQueryInfoKeyW(FCurrentKey.Get(), nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> buf(maxLen + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        if (RegEnumKeyExW(FCurrentKey.Get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.Add(std::wstring(buf.data(), len));
    }
}

}  // namespace fw
