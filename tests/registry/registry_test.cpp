// The registry helpers on values of every type, and the machine id under a private
// HKEY_CLASSES_ROOT.
#include "PublicFunsReg.h"
#include "fixed_formats.h"
#include "test_support.h"
#include "uInstallStatus.h"
#include "uOnlineServicesImpl.h"
#include "uRemindFile.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// A private key under HKEY_CURRENT_USER, removed with everything below it afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        key = L"Software\\VeskReminderTests\\k" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(++counter);
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); }

    void Set(const std::wstring& name, DWORD type, const void* data, DWORD size, const std::wstring& at = L"") {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (at.empty() ? key : at).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(h);
    }
    std::wstring Read(const std::wstring& name, bool* opened = nullptr) {
        std::wstring v = L"untouched";
        const bool ok = RegReadString(HKEY_CURRENT_USER, key, name, true, v);
        if (opened) *opened = ok;
        return v;
    }

    std::wstring key;
};

}  // namespace

TEST_F(RegistryTest, WriteCreatesTheKeyAndRemoveReportsWhatHappened) {
    // A path from the root key, as the start-with-Windows value uses.
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"\\" + key + L"\\deeper", L"Name", L"C:\\prog.exe -os"));
    std::wstring v;
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, key + L"\\deeper", L"Name", false, v));
    EXPECT_EQ(v, L"C:\\prog.exe -os");
    // A root that is no key fails, and says so.
    EXPECT_FALSE(RegWriteString(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), key, L"N", L"v"));
    EXPECT_TRUE(RegRemoveValue(HKEY_CURRENT_USER, key + L"\\deeper", L"Name"));
    EXPECT_FALSE(RegRemoveValue(HKEY_CURRENT_USER, key + L"\\deeper", L"Name"));  // already gone
    EXPECT_FALSE(RegRemoveValue(HKEY_CURRENT_USER, key + L"\\none", L"x"));       // no such key
}

TEST_F(RegistryTest, ValueExistsUsesTheCallsOwnStatus) {
    Set(L"there", REG_SZ, L"v", 4);
    for (bool view : {false, true}) {
        EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key, L"there", view));
        // A stale error from earlier code must not turn a missing value into an existing one.
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key, L"absent", view));
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key + L"\\missing\\key", L"there", view));
    }
}

TEST_F(RegistryTest, EveryValueTypeReadsAsText) {
    auto bytes = [](const std::wstring& t) { return std::string(reinterpret_cast<const char*>(t.data()), t.size() * 2); };
    const std::wstring big = std::wstring(510, L'm') + std::wstring(2, L'\0');   // 1024 bytes
    const std::wstring edge = std::wstring(509, L'e') + std::wstring(2, L'\0');  // 1022 bytes
    const struct {
        DWORD type;
        std::string data;
        std::wstring text;
    } cases[] = {
        {REG_SZ, bytes(std::wstring(L"plain\0", 6)), L"plain"},
        {REG_SZ, bytes(L"abc"), L"abc"},  // no terminating NUL stored
        {REG_SZ, bytes(std::wstring(L"ab\0cd\0", 6)), L"ab"},
        {REG_EXPAND_SZ, bytes(std::wstring(L"%TEMP%\\x\0", 9)), L"%TEMP%\\x"},  // not expanded
        {REG_DWORD, std::string("\x78\x56\x34\x12", 4), L""},
        {REG_BINARY, bytes(std::wstring(L"bin\0tail", 8)), L"bin"},
        {REG_BINARY, bytes(L"abc"), L"abc"},  // no NUL: exactly the value's text, nothing behind it
        {REG_BINARY, std::string("A\0B\0C", 5), L"AB"},  // a lone last byte
        {REG_MULTI_SZ, bytes(std::wstring(L"a\0b\0\0", 5)), L"a\r\nb\r\n"},
        {REG_MULTI_SZ, bytes(big), L""},
        {REG_MULTI_SZ, bytes(edge), std::wstring(509, L'e') + L"\r\n"},
    };
    for (const auto& c : cases) {
        Set(L"v", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        bool opened = false;
        EXPECT_EQ(Read(L"v", &opened), c.text) << c.type << " " << c.data.size();
        EXPECT_TRUE(opened);
    }
    std::wstring v = L"x";
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, key + L"\\nope", L"sz", true, v));
    EXPECT_EQ(v, L"");
}

namespace {

// HKEY_CLASSES_ROOT of this process redirected to a private key under HKEY_CURRENT_USER.
class MachineIdTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root), ERROR_SUCCESS);
        guidKey = key + L"\\" + MachineGuidKey;
    }
    void TearDown() override {
        MachineGuidCreateKey = &RegCreateKeyExW;
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(root);
        RegistryTest::TearDown();
    }
    std::wstring Stored(DWORD* type = nullptr) {
        wchar_t buf[256] = {};
        DWORD size = sizeof buf, t = REG_NONE;
        if (RegGetValueW(HKEY_CURRENT_USER, guidKey.c_str(), L"ZUB", RRF_RT_ANY | RRF_NOEXPAND, &t, buf, &size) !=
            ERROR_SUCCESS)
            return L"<none>";
        if (type) *type = t;
        return buf;
    }
    static bool IsGuidText(const std::wstring& s) {
        static const std::wregex form(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
        return std::regex_match(s, form);
    }

    HKEY root = nullptr;
    std::wstring guidKey;
};

int failedCreates = 0;
LSTATUS WINAPI RefuseCreate(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY key, LPDWORD) {
    ++failedCreates;
    *key = nullptr;
    return ERROR_ACCESS_DENIED;
}

}  // namespace

TEST_F(MachineIdTest, CreatedOnceStableAndTakenByTheDataFile) {
    EXPECT_EQ(Stored(), L"<none>");
    std::wstring first, second;
    GetMachineGuid(first);
    EXPECT_TRUE(IsGuidText(first)) << testsupport::Narrow(first);
    DWORD type = 0;
    EXPECT_EQ(Stored(&type), first);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    GetMachineGuid(second);
    EXPECT_EQ(second, first);
    // The data file takes it at every load, through the online services the program hands over.
    TOnlineServicesImpl services;
    SetOnlineServices(&services);
    testsupport::TempDir dir;
    Config.MachineGuid.clear();
    TRemindFile file(dir.File(L"d.dat"), testsupport::EnUsFormats());
    SetOnlineServices(nullptr);
    EXPECT_EQ(Config.MachineGuid, first);
}

TEST_F(MachineIdTest, StoredValuesOfOtherTypes) {
    const DWORD number = 7;
    const std::wstring binary(L"{BIN}\0junk", 10), multi(L"one\0two\0\0", 9);
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
        const wchar_t* id;  // nullptr: replaced by a new id in a string value
    } cases[] = {
        {REG_DWORD, &number, sizeof number, nullptr},
        {REG_BINARY, binary.data(), 20, L"{BIN}"},  // read, not replaced
        {REG_MULTI_SZ, multi.data(), 18, L"one\r\ntwo\r\n"},
    };
    for (const auto& c : cases) {
        Set(L"ZUB", c.type, c.data, c.size, guidKey);
        std::wstring id;
        GetMachineGuid(id);
        DWORD type = 0;
        const std::wstring stored = Stored(&type);
        EXPECT_EQ(type, c.id ? c.type : static_cast<DWORD>(REG_SZ)) << c.type;
        EXPECT_EQ(id, c.id ? c.id : stored);
        EXPECT_TRUE(c.id || IsGuidText(id)) << testsupport::Narrow(id);
    }
}

TEST_F(MachineIdTest, WithoutRightsEveryCallMakesANewIdAndWritesNothing) {
    MachineGuidCreateKey = &RefuseCreate;
    failedCreates = 0;
    std::wstring a, b;
    GetMachineGuid(a);
    GetMachineGuid(b);
    EXPECT_EQ(failedCreates, 2);
    EXPECT_TRUE(IsGuidText(a) && IsGuidText(b));
    EXPECT_NE(a, b);
    EXPECT_EQ(Stored(), L"<none>");
}
