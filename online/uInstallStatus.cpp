#include "uInstallStatus.h"

#include "PublicFunsReg.h"
#include "UCheckNewThread.h"
#include "fw_handles.h"

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

    fw::TRegKey key;
    if (MachineGuidCreateKey(HKEY_CLASSES_ROOT, MachineGuidKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             RegAccessMask(false), nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return;  // no rights: the id serves this run only
    RegSetValueExW(key.Get(), MachineGuidValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(Guid.c_str()),
                   static_cast<DWORD>((Guid.size() + 1) * sizeof(wchar_t)));
}

// ---------------------------------------------------------------------------------------------
// Install-statistics post

const wchar_t* const InstallStatusProductId = L"18";

namespace {

const wchar_t* const kUserAgent = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)";
// With the trailing blank, as the statistics page has always been sent it.
const wchar_t* const kContentType = L"Content-Type: application/x-www-form-urlencoded \r\n";

std::string FormEncode(const std::wstring& S) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : fw::WideToUtf8(S)) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '*')
            out += static_cast<char>(c);
        else if (c == ' ')
            out += '+';
        else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string EncodeFormParams(const fw::TStrings& Params) {
    std::string body;
    for (int i = 0; i < Params.Count(); ++i) {
        std::wstring line = Params[i];
        size_t eq = line.find(L'=');
        std::wstring name = eq == std::wstring::npos ? line : line.substr(0, eq);
        std::wstring value = eq == std::wstring::npos ? std::wstring() : line.substr(eq + 1);
        if (i > 0) body += '&';
        body += FormEncode(name) + "=" + FormEncode(value);
    }
    return body;
}

std::wstring TSetupPostThread::StatisticsUrl() {
    return OnlineBaseUrl() + L"/install_statistics/index.php?p=install_statistics";
}

TSetupPostThread::TSetupPostThread(const std::wstring& AProductId, const std::wstring& AGuid,
                                   const std::wstring& AVersion)
    : fw::TThread(true),
      Params(std::make_unique<fw::TStringList>()),
      ProductId(AProductId),
      Version(AVersion),
      Guid(AGuid),
      Url(StatisticsUrl()) {
    SetFreeOnTerminate(true);
}

TSetupPostThread::~TSetupPostThread() = default;

void TSetupPostThread::Execute() {
    Params->Add(L"product_ver=" + Version);
    Params->Add(L"product_id=" + ProductId);
    Params->Add(L"gu_id=" + Guid);
    bool ok = false;
    try {
        ok = Post();
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        Failed = true;
        Terminate();
    }
}

TOnlineRequest TSetupPostThread::PostRequest() const {
    TOnlineRequest request;
    request.Method = L"POST";
    request.Url = Url;
    request.Headers = kContentType;
    request.UserAgent = kUserAgent;
    request.Body = EncodeFormParams(*Params);
    // The read time-out covers connecting and sending too: a post must never hang its thread.
    request.Timeout = ReadTimeout;
    return request;
}

bool TSetupPostThread::Post() {
    TOnlineResponse response;
    const bool ok = OnlineRequest(PostRequest(), response);
    // The answer is read (capped in size and in time) but not looked at.
    Response = std::move(response.Body);
    return ok && response.Status < 400;
}

void PostInstallStatus(const std::wstring& Version, const std::wstring& Guid) {
    TSetupPostThread* thread = nullptr;
    try {
        thread = new TSetupPostThread(InstallStatusProductId, Guid, Version);
        thread->Resume();
    } catch (...) {
        // Statistics never stand in the way of the program's start.
        if (thread && thread->GetSuspended()) thread->Free();
    }
}
