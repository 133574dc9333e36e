#include "PublicFunsReg.h"

#include "fw_registry.h"

#include <cstring>
#include <vector>

bool IsWow64() {
    HMODULE kernel = GetModuleHandleW(L"KERNEL32.DLL");
    if (!kernel) kernel = LoadLibraryW(L"KERNEL32.DLL");
    if (!kernel) return false;
    // Looked up at run time: neither function exists on every Windows the program runs on.
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    using TGetNativeSystemInfo = void(WINAPI*)(LPSYSTEM_INFO);
    auto isWow64Process = reinterpret_cast<TIsWow64Process>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
    auto getNativeSystemInfo = reinterpret_cast<TGetNativeSystemInfo>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetNativeSystemInfo")));
    if (!isWow64Process || !getNativeSystemInfo) return false;
    BOOL wow = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow) || !wow) return false;
    SYSTEM_INFO info{};
    getNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

bool Wow64 = IsWow64();

REGSAM RegAccessMask(bool ReadOnly) {
    REGSAM mask = ReadOnly ? KEY_READ : KEY_ALL_ACCESS;
    if (Wow64) mask |= KEY_WOW64_64KEY;
    return mask;
}

namespace {

REGSAM ReadAccess(bool use64View) { return use64View ? RegAccessMask(true) : KEY_READ; }

}  // namespace

bool RegWriteString(HKEY Root, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value) {
    fw::TRegistry reg(RegAccessMask(false));
    reg.SetRootKey(Root);
    return reg.OpenKey(Key, true) && reg.WriteString(Name, Value);
}

bool RegRemoveValue(HKEY Root, const std::wstring& Key, const std::wstring& Name) {
    fw::TRegistry reg(RegAccessMask(false));
    reg.SetRootKey(Root);
    return reg.OpenKey(Key, false) && reg.DeleteValue(Name);
}

bool RegValueExists(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64View) {
    fw::TRegistry reg(ReadAccess(Use64View));
    reg.SetRootKey(Root);
    if (!reg.OpenKeyReadOnly(Key)) {
        const LONG rc = reg.GetLastError();
        return rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND;
    }
    if (reg.ValueExists(Name)) return true;
    return reg.GetLastError() == ERROR_ACCESS_DENIED;
}

bool RegReadString(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Use64View,
                   std::wstring& Value) {
    Value.clear();
    fw::TRegistry reg(ReadAccess(Use64View));
    reg.SetRootKey(Root);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    fw::TRegDataInfo info;
    if (!reg.GetDataInfo(Name, info)) return true;
    switch (info.RegData) {
        case fw::rdString:
        case fw::rdExpandString:
            try {
                Value = reg.ReadString(Name);
            } catch (const fw::Exception&) {
                Value.clear();  // the value changed its type since the query
            }
            break;
        case fw::rdBinary: RegReadBinaryText(Root, Key, Name, Value, Use64View); break;
        case fw::rdInteger: break;
        default: RegReadMultiText(Root, Key, Name, Value, Use64View); break;
    }
    return true;
}

bool RegReadBinaryText(HKEY Root, const std::wstring& Key, const std::wstring& Name, std::wstring& Value,
                       bool Use64View) {
    Value.clear();
    fw::TRegistry reg(ReadAccess(Use64View));
    reg.SetRootKey(Root);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    const int size = reg.GetDataSize(Name);
    if (size <= 0) return true;
    // Exactly the value's bytes: text is taken only from what the registry filled in.
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    const int got = reg.ReadBinaryData(Name, bytes.data(), size);
    if (got <= 0) return true;
    Value.assign(static_cast<size_t>(got) / 2, L'\0');
    if (!Value.empty()) std::memcpy(Value.data(), bytes.data(), Value.size() * sizeof(wchar_t));
    const size_t nul = Value.find(L'\0');
    if (nul != std::wstring::npos) Value.resize(nul);
    return true;
}

bool RegReadMultiText(HKEY Root, const std::wstring& Key, const std::wstring& Name, std::wstring& Value,
                      bool Use64View) {
    Value.clear();
    fw::TRegistry reg(ReadAccess(Use64View));
    reg.SetRootKey(Root);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    // Zeroed, so that a short or odd-sized value never shows stale memory.
    std::vector<wchar_t> buf(65536 / sizeof(wchar_t), L'\0');
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    const LONG rc = RegQueryValueExW(reg.GetCurrentKey(), Name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buf.data()), &size);
    if (rc != ERROR_SUCCESS || size >= 1024) return true;
    // Every string ends in a NUL and the list in one more: each NUL but the last gives a line end.
    const int count = (static_cast<int>(size) - 4) / 2 + 1;
    for (int i = 0; i < count; ++i) {
        if (buf[i] == L'\0')
            Value += L"\r\n";
        else
            Value += buf[i];
    }
    return true;
}
