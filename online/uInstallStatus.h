// The machine id: a GUID kept in the registry and shared by every user and by 32-bit and 64-bit
// processes of the machine.
#pragma once
#include <windows.h>

#include <string>

// Where the id lives, under HKEY_CLASSES_ROOT.
extern const wchar_t* const MachineGuidKey;   // "CLSID\{3C85423B-CCCF-4008-9E6D-B1D7E014DBF6}"
extern const wchar_t* const MachineGuidValue; // "ZUB"

// Sets Guid to the machine id: the stored one, or a new GUID ("{XXXXXXXX-XXXX-...}", upper case)
// that is stored for the next runs when the key can be opened or created for writing. Without
// that right every call gives a new id and nothing is written. Never fails.
void GetMachineGuid(std::wstring& Guid);

// How the key is opened (created when missing) to store a new id: RegCreateKeyExW unless a test
// replaces it to play a user without rights.
using TMachineGuidCreateKey = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM,
                                                LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
extern TMachineGuidCreateKey MachineGuidCreateKey;
