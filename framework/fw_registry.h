// The registry: one open key at a time under a root key, with typed value access.
#pragma once
#include "fw_base.h"
#include "fw_handles.h"
#include "fw_strings.h"

#include <string>

namespace fw {

// REG_MULTI_SZ and the other types without a case here are rdUnknown.
enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    DWORD DataSize = 0;
};

class TRegistry {
public:
    // Root HKEY_CURRENT_USER; access KEY_ALL_ACCESS unless given.
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY GetRootKey() const { return FRootKey; }
    // Closes the open key.
    void SetRootKey(HKEY root);
    REGSAM GetAccess() const { return FAccess; }
    void SetAccess(REGSAM access) { FAccess = access; }
    HKEY GetCurrentKey() const { return FCurrentKey.Get(); }
    // The open key's path below the root, without a leading backslash.
    const std::wstring& GetCurrentPath() const { return FCurrentPath; }
    // The Win32 status of the last call that failed (ERROR_SUCCESS after a success).
    LONG GetLastError() const { return FLastError; }

    // Opens `key` with the access mask (creating it when `canCreate`) and makes it the open key.
    // A leading "\" means from the root key; otherwise a path is relative to the open key, if any.
    bool OpenKey(const std::wstring& key, bool canCreate);
    // Opens with KEY_READ (keeping the access mask's KEY_WOW64_* view flags).
    bool OpenKeyReadOnly(const std::wstring& key);
    void CloseKey();
    bool KeyExists(const std::wstring& key);
    // Deletes a key below the root (or the open key) with its subkeys.
    bool DeleteKey(const std::wstring& key);

    // The value queries set the thread's last error to their Win32 status.
    bool ValueExists(const std::wstring& name);
    bool GetDataInfo(const std::wstring& name, TRegDataInfo& info);
    TRegDataType GetDataType(const std::wstring& name);
    // Bytes of data, or -1 when the value does not exist.
    int GetDataSize(const std::wstring& name);

    // REG_SZ or REG_EXPAND_SZ, cut at the first NUL; '' when the value does not exist. Throws
    // ERegistryException for a value of another type.
    std::wstring ReadString(const std::wstring& name);
    // Copies the value's bytes (REG_BINARY or a type without a case) into `buffer`; returns the
    // number of bytes copied, or -1 when the value is missing or does not fit.
    int ReadBinaryData(const std::wstring& name, void* buffer, int size);
    // REG_DWORD; throws ERegistryException when the value is missing or of another type.
    int ReadInteger(const std::wstring& name);

    bool WriteString(const std::wstring& name, const std::wstring& value);
    bool WriteExpandString(const std::wstring& name, const std::wstring& value);
    bool WriteInteger(const std::wstring& name, int value);
    bool WriteBinaryData(const std::wstring& name, const void* data, int size);
    bool DeleteValue(const std::wstring& name);
    // Names of the open key's values / subkeys.
    void GetValueNames(TStrings& names);
    void GetKeyNames(TStrings& names);

private:
    // The key a path starts from and the path without its leading "\".
    HKEY BaseFor(const std::wstring& key, std::wstring& relative) const;
    bool Fail(LONG rc);
    bool Write(const std::wstring& name, DWORD type, const void* data, DWORD size);

    HKEY FRootKey = HKEY_CURRENT_USER;
    TRegKey FCurrentKey;
    std::wstring FCurrentPath;
    REGSAM FAccess = KEY_ALL_ACCESS;
    LONG FLastError = ERROR_SUCCESS;
};

}  // namespace fw
