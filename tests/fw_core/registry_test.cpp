// TRegistry under a private key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

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

    std::wstring path_;
    HKEY key_ = nullptr;
};

}  // namespace

// Value types, sizes and reads are tested through the program's registry routines (registry).
TEST_F(RegistryTest, KeysOpenFromTheRootOrTheOpenKey) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(L"\\" + path_ + L"\\Run", true));
    EXPECT_EQ(reg.GetCurrentPath(), path_ + L"\\Run");
    EXPECT_TRUE(reg.WriteString(L"VeskReminder", L"\u6f22\u5b57"));
    // A failed open keeps the key that was open.
    EXPECT_FALSE(reg.OpenKey(L"\\" + path_ + L"\\Missing", false));
    EXPECT_EQ(reg.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(reg.ValueExists(L"VeskReminder"));
    // A path without the backslash is relative to the open key.
    ASSERT_TRUE(reg.OpenKey(L"Child", true));
    EXPECT_EQ(reg.GetCurrentPath(), path_ + L"\\Run\\Child");
    reg.CloseKey();
    // Checked against the plain API.
    wchar_t got[16] = {};
    DWORD size = sizeof got, type = 0;
    ASSERT_EQ(RegGetValueW(key_, L"Run", L"VeskReminder", RRF_RT_ANY, &type, got, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(got), L"\u6f22\u5b57");
    EXPECT_TRUE(reg.KeyExists(L"\\" + path_ + L"\\Run\\Child"));
    EXPECT_TRUE(reg.DeleteKey(path_ + L"\\Run"));
    EXPECT_FALSE(reg.KeyExists(path_ + L"\\Run\\Child"));
    // A key opened for reading refuses writes.
    ASSERT_TRUE(reg.OpenKeyReadOnly(path_));
    EXPECT_FALSE(reg.WriteString(L"x", L"y"));
    EXPECT_EQ(reg.GetLastError(), ERROR_ACCESS_DENIED);
}
