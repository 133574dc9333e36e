// TRegistry under a private key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <cstring>

#include "fw_registry.h"
#include "test_support.h"

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
    // A failed open keeps the key that was open.
    EXPECT_FALSE(reg.OpenKey(L"\\" + path_ + L"\\Missing", false));
    EXPECT_EQ(reg.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(reg.ValueExists(L"VeskReminder"));
    // A path without the backslash is relative to the open key.
    ASSERT_TRUE(reg.OpenKey(L"Child", true));
    EXPECT_EQ(reg.GetCurrentPath(), path_ + L"\\Run\\Child");
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(L"\\" + path_ + L"\\Run\\Child"));
    EXPECT_TRUE(reg.DeleteKey(path_ + L"\\Run"));
    EXPECT_FALSE(reg.KeyExists(path_ + L"\\Run\\Child"));
}

TEST_F(RegistryTest, ValueTypesSizesAndReads) {
    const DWORD dword = 0x11223344;
    const uint8_t binary[5] = {1, 2, 3, 0, 255};
    const struct {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD size;
        TRegDataType dataType;
        const wchar_t* text;  // nullptr: ReadString raises
    } cases[] = {
        {L"sz", REG_SZ, L"text", 10, rdString, L"text"},
        {L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30, rdExpandString, L"%SystemRoot%\\x"},  // not expanded
        {L"noterm", REG_SZ, L"abc", 6, rdString, L"abc"},  // no terminating NUL stored
        {L"embedded", REG_SZ, L"ab\0cd", 12, rdString, L"ab"},
        {L"dword", REG_DWORD, &dword, 4, rdInteger, nullptr},
        {L"bin", REG_BINARY, binary, 5, rdBinary, nullptr},
        {L"multi", REG_MULTI_SZ, L"a\0b\0", 10, rdUnknown, nullptr},
    };
    for (const auto& c : cases) SetRaw(c.name, c.type, c.data, c.size);
    TRegistry reg(KEY_READ);
    ASSERT_TRUE(reg.OpenKeyReadOnly(L"\\" + path_));
    for (const auto& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.name));
        EXPECT_EQ(reg.GetDataType(c.name), c.dataType);
        if (c.text)
            EXPECT_EQ(reg.ReadString(c.name), c.text);
        else
            EXPECT_THROW(reg.ReadString(c.name), ERegistryException);
    }
    EXPECT_EQ(reg.GetDataSize(L"multi"), 10);
    EXPECT_EQ(reg.GetDataSize(L"none"), -1);
    EXPECT_EQ(reg.ReadString(L"none"), L"");
    EXPECT_EQ(reg.ReadInteger(L"dword"), 0x11223344);
    uint8_t buf[16];
    memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ(reg.ReadBinaryData(L"bin", buf, sizeof buf), 5);
    EXPECT_EQ(memcmp(buf, binary, 5), 0);
    EXPECT_EQ(buf[5], 0xEE);
    EXPECT_EQ(reg.ReadBinaryData(L"bin", buf, 3), -1);  // does not fit
}

TEST_F(RegistryTest, WritesDeletesAndStatuses) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(path_, false));
    EXPECT_TRUE(reg.WriteString(L"name", L"\u6f22\u5b57"));
    EXPECT_TRUE(reg.WriteInteger(L"num", -2));
    // Checked against the plain API.
    wchar_t got[16] = {};
    DWORD size = sizeof got, type = 0;
    ASSERT_EQ(RegQueryValueExW(key_, L"name", nullptr, &type, reinterpret_cast<BYTE*>(got), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(got, size / 2), std::wstring(L"\u6f22\u5b57", 3));
    EXPECT_EQ(reg.ReadInteger(L"num"), -2);

    EXPECT_TRUE(reg.DeleteValue(L"name"));
    EXPECT_FALSE(reg.DeleteValue(L"name"));
    // The query leaves its status as the thread's last error (callers tell "missing" from "denied").
    SetLastError(0);
    EXPECT_FALSE(reg.ValueExists(L"name"));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // A key opened for reading refuses writes.
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly(path_));
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));
    EXPECT_EQ(reg.GetLastError(), ERROR_ACCESS_DENIED);
}
