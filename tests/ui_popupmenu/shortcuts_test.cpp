// Shortcut codes and their English text.
#include <gtest/gtest.h>

#include "fw_shortcuts.h"

using namespace fw;

TEST(ShortCuts, TextAndCodes) {
    // Modifiers are read in any order and case and written in a fixed order.
    const struct {
        const wchar_t* Text;
        TShortCut Code;
        const wchar_t* Written;
    } cases[] = {
        {L"None", 0, L""},
        {L"", 0, L""},
        {L"Ctrl+", 0, L""},
        {L"NoSuchKey", 0, L""},
        {L"F1", VK_F1, L"F1"},
        {L"Ctrl+S", TShortCut(scCtrl | 'S'), L"Ctrl+S"},
        {L"alt+SHIFT+ctrl+del", TShortCut(scShift | scCtrl | scAlt | VK_DELETE), L"Shift+Ctrl+Alt+Del"},
        {L"Alt+F12", TShortCut(scAlt | VK_F12), L"Alt+F12"},
        {L"Enter", VK_RETURN, L"Enter"},
        {L"Esc", VK_ESCAPE, L"Esc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Code, TextToShortCut(c.Text)) << testing::PrintToString(std::wstring(c.Text));
        EXPECT_EQ(c.Written, ShortCutToText(c.Code));
    }
    // A key without a name gives no text at all, modifiers included.
    EXPECT_EQ(L"", ShortCutToText(scCtrl | 0xFF));
}

TEST(ShortCuts, EveryNamedKeyRoundTrips) {
    int named = 0;
    for (int key = 0; key <= 0xFF; ++key) {
        for (TShortCut mods : {TShortCut(0), scShift, TShortCut(scCtrl | scAlt)}) {
            TShortCut code = static_cast<TShortCut>(mods | key);
            std::wstring text = ShortCutToText(code);
            if (text.empty()) continue;
            ++named;
            EXPECT_EQ(code, TextToShortCut(text)) << key;
        }
    }
    // Letters, digits and the function keys at least.
    EXPECT_GE(named, 3 * (26 + 10 + 24));
}
