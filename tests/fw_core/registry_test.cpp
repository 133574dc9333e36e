// TRegistry under a private key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <cstring>

#include "fw_registry.h"

using namespace fw;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = L"Software\\VeskFrameworkTest\\P" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    std::wstring path_;
    HKEY key_ = nullptr;
};

}  // namespace

TEST_F(RegistryTest, LeadingBackslashOpensFromTheRoot) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(L"\\" + path_ + L"\\Run", true));
    EXPECT_EQ(reg.GetCurrentPath(), path_ + L"\\Run");
    EXPECT_TRUE(reg.WriteString(L"VeskReminder", L"C:\\Program Files\\Vesk\\VeskReminder.exe -os"));
    reg.CloseKey();

    // Without create: an existing key opens, a missing one does not.
    ASSERT_TRUE(reg.OpenKey(L"\\" + path_ + L"\\Run", false));
    EXPECT_EQ(reg.ReadString(L"VeskReminder"), L"C:\\Program Files\\Vesk\\VeskReminder.exe -os");
    EXPECT_FALSE(reg.OpenKey(L"\\" + path_ + L"\\Missing", false));
    EXPECT_EQ(reg.GetLastError(), ERROR_FILE_NOT_FOUND);
    // A failed open keeps the key that was open.
    EXPECT_TRUE(reg.ValueExists(L"VeskReminder"));

    // A path without the backslash is relative to the open key.
    ASSERT_TRUE(reg.OpenKey(L"Child", true));
    EXPECT_EQ(reg.GetCurrentPath(), path_ + L"\\Run\\Child");
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(L"\\" + path_ + L"\\Run\\Child"));
    EXPECT_TRUE(reg.KeyExists(path_));
    EXPECT_FALSE(reg.KeyExists(path_ + L"\\Nope"));
    EXPECT_TRUE(reg.DeleteKey(path_ + L"\\Run"));
    EXPECT_FALSE(reg.KeyExists(path_ + L"\\Run\\Child"));
}

TEST_F(RegistryTest, ValueTypesSizesAndReads) {
    const wchar_t sz[] = L"text";
    const wchar_t expand[] = L"%SystemRoot%\\x";
    const DWORD dword = 0x11223344;
    const uint8_t binary[5] = {1, 2, 3, 0, 255};
    const wchar_t multi[] = L"a\0b\0";  // "a", NUL, "b", NUL, NUL
    SetRaw(L"sz", REG_SZ, sz, sizeof sz);
    SetRaw(L"expand", REG_EXPAND_SZ, expand, sizeof expand);
    SetRaw(L"dword", REG_DWORD, &dword, sizeof dword);
    SetRaw(L"bin", REG_BINARY, binary, sizeof binary);
    SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof multi);
    SetRaw(L"noterm", REG_SZ, L"abc", 6);  // no terminating NUL stored
    SetRaw(L"embedded", REG_SZ, L"ab\0cd", 12);

    TRegistry reg(KEY_READ);
    ASSERT_TRUE(reg.OpenKeyReadOnly(L"\\" + path_));
    EXPECT_EQ(reg.GetDataType(L"sz"), rdString);
    EXPECT_EQ(reg.GetDataType(L"expand"), rdExpandString);
    EXPECT_EQ(reg.GetDataType(L"dword"), rdInteger);
    EXPECT_EQ(reg.GetDataType(L"bin"), rdBinary);
    EXPECT_EQ(reg.GetDataType(L"multi"), rdUnknown);
    EXPECT_EQ(reg.GetDataSize(L"sz"), 10);
    EXPECT_EQ(reg.GetDataSize(L"multi"), 10);
    EXPECT_EQ(reg.GetDataSize(L"bin"), 5);
    EXPECT_EQ(reg.GetDataSize(L"none"), -1);

    EXPECT_EQ(reg.ReadString(L"sz"), L"text");
    EXPECT_EQ(reg.ReadString(L"expand"), L"%SystemRoot%\\x");  // not expanded
    EXPECT_EQ(reg.ReadString(L"noterm"), L"abc");
    EXPECT_EQ(reg.ReadString(L"embedded"), L"ab");
    EXPECT_EQ(reg.ReadString(L"none"), L"");
    EXPECT_THROW(reg.ReadString(L"dword"), ERegistryException);
    EXPECT_EQ(reg.ReadInteger(L"dword"), 0x11223344);

    uint8_t buf[16];
    memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ(reg.ReadBinaryData(L"bin", buf, sizeof buf), 5);
    EXPECT_EQ(memcmp(buf, binary, 5), 0);
    EXPECT_EQ(buf[5], 0xEE);
    EXPECT_EQ(reg.ReadBinaryData(L"bin", buf, 3), -1);  // does not fit
    wchar_t wbuf[8] = {};
    EXPECT_EQ(reg.ReadBinaryData(L"multi", wbuf, sizeof wbuf), 10);
    EXPECT_EQ(std::wstring(wbuf, 4), std::wstring(L"a\0b\0", 4));
}

TEST_F(RegistryTest, WritesDeletesAndStatuses) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(path_, false));
    EXPECT_TRUE(reg.WriteString(L"name", L"\u6f22\u5b57"));
    EXPECT_TRUE(reg.WriteExpandString(L"exp", L"%TEMP%"));
    EXPECT_TRUE(reg.WriteInteger(L"num", -2));
    const uint8_t data[3] = {9, 8, 7};
    EXPECT_TRUE(reg.WriteBinaryData(L"raw", data, 3));
    // Checked against the plain API.
    wchar_t got[16] = {};
    DWORD size = sizeof got, type = 0;
    ASSERT_EQ(RegQueryValueExW(key_, L"name", nullptr, &type, reinterpret_cast<BYTE*>(got), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(got, size / 2), std::wstring(L"\u6f22\u5b57", 3));
    EXPECT_EQ(reg.GetDataType(L"exp"), rdExpandString);
    EXPECT_EQ(reg.ReadInteger(L"num"), -2);
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Count(), 4);

    EXPECT_TRUE(reg.DeleteValue(L"name"));
    EXPECT_FALSE(reg.DeleteValue(L"name"));
    // The query leaves its status as the thread's last error (callers tell "missing" from "denied").
    SetLastError(0);
    EXPECT_FALSE(reg.ValueExists(L"name"));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    reg.CloseKey();
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));  // no key open
    // A key opened for reading refuses writes.
    ASSERT_TRUE(reg.OpenKeyReadOnly(path_));
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));
    EXPECT_EQ(reg.GetLastError(), ERROR_ACCESS_DENIED);
}
