// Install statistics: the machine id (a GUID kept in the registry and shared by every user and
// by 32-bit and 64-bit processes of the machine) and the post that reports a changed program
// version with it.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "fw_strings.h"
#include "fw_thread.h"
#include "uOnlineRequest.h"

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

// ---------------------------------------------------------------------------------------------
// Install-statistics post.

// The product id sent as "product_id".
extern const wchar_t* const InstallStatusProductId;  // "18"

// Posts the form "product_ver", "product_id", "gu_id" to the statistics page of the product's web
// server on a thread of its own; nothing waits for it and nothing is reported, whatever happens.
void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid);

// The form fields encoded as an HTML form (UTF-8, names and values percent-encoded, blanks as
// "+", joined with "&").
std::string EncodeFormParams(const fw::TStrings& Params);

// One post of the install-statistics form. Created suspended and freeing itself when done.
class TSetupPostThread : public fw::TThread {
public:
    FW_CLASSNAME(TSetupPostThread)
    TSetupPostThread(const std::wstring& ProductId, const std::wstring& Guid, const std::wstring& Version);
    ~TSetupPostThread() override;

    // The form fields, "name=value" each.
    std::unique_ptr<fw::TStringList> Params;
    // The answer's body; not examined.
    std::string Response;
    std::wstring ProductId;
    std::wstring Version;
    std::wstring Guid;
    // Set when the post failed (no connection, time-out, an error status).
    std::atomic<bool> Failed{false};
    // Where the form goes; taken from the online base address at creation.
    std::wstring Url;
    // Time-out of the connection, the send and each read, in milliseconds.
    DWORD ReadTimeout = 5000;

    static std::wstring StatisticsUrl();
    // The request that posts Params (as they stand).
    TOnlineRequest PostRequest() const;

protected:
    void Execute() override;

private:
    bool Post();
};
