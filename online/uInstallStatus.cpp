#include "uInstallStatus.h"

#include "PublicFunsReg.h"
#include "uRemindFile.h"

#include <objbase.h>

const wchar_t* const MachineGuidKey = L"CLSID\\{3C85423B-CCCF-4008-9E6D-B1D7E014DBF6}";
const wchar_t* const MachineGuidValue = L"ZUB";

TMachineGuidCreateKey MachineGuidCreateKey = &RegCreateKeyExW;

void GetMachineGuid(std::wstring& Guid) {
    Guid.clear();
    RegReadString(HKEY_CLASSES_ROOT, MachineGuidKey, MachineGuidValue, true, Guid);
    if (!Guid.empty()) return;

    GUID id{};
    wchar_t text[40] = {};
    if (FAILED(CoCreateGuid(&id)) || StringFromGUID2(id, text, 40) == 0) return;
    Guid = text;

    HKEY key = nullptr;
    if (MachineGuidCreateKey(HKEY_CLASSES_ROOT, MachineGuidKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             RegAccessMask(false), nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;  // no rights: the id serves this run only
    RegSetValueExW(key, MachineGuidValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(Guid.c_str()),
                   static_cast<DWORD>((Guid.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

namespace {

// The data file fills the settings' machine id at every load; it sits below this layer and so
// takes the routine from here.
const bool kMachineGuidInstalled = [] {
    MachineGuidSource = &GetMachineGuid;
    return true;
}();

}  // namespace
