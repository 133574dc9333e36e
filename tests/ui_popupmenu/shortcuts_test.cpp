// Shortcut codes and their English text.
#include <gtest/gtest.h>

#include "fw_shortcuts.h"

using namespace fw;

TEST(ShortCuts, TextOfNoneAndEmptyIsZero) {
    EXPECT_EQ(0, TextToShortCut(L"None"));
    EXPECT_EQ(0, TextToShortCut(L""));
    EXPECT_EQ(0, TextToShortCut(L"Ctrl+"));
    EXPECT_EQ(0, TextToShortCut(L"NoSuchKey"));
    EXPECT_EQ(L"", ShortCutToText(0));
}

TEST(ShortCuts, KeysAndModifiersFromText) {
    EXPECT_EQ(VK_F1, TextToShortCut(L"F1"));
    EXPECT_EQ(scCtrl | 'S', TextToShortCut(L"Ctrl+S"));
    // Modifiers in any order and any case.
    EXPECT_EQ(scShift | scCtrl | scAlt | VK_DELETE, TextToShortCut(L"alt+SHIFT+ctrl+del"));
    EXPECT_EQ(scAlt | VK_F12, TextToShortCut(L"Alt+F12"));
    EXPECT_EQ(VK_RETURN, TextToShortCut(L"Enter"));
}

TEST(ShortCuts, TextPutsModifiersInFixedOrder) {
    EXPECT_EQ(L"Shift+Ctrl+Alt+A", ShortCutToText(scAlt | scCtrl | scShift | 'A'));
    EXPECT_EQ(L"Ctrl+F5", ShortCutToText(scCtrl | VK_F5));
    EXPECT_EQ(L"Esc", ShortCutToText(VK_ESCAPE));
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

TEST(ShortCuts, SplitIntoKeyAndShiftState) {
    WORD key = 0;
    TShiftState shift;
    ShortCutToKey(TextToShortCut(L"Shift+Ctrl+Z"), key, shift);
    EXPECT_EQ('Z', key);
    EXPECT_EQ(ssShift | ssCtrl, shift);
    ShortCutToKey(TextToShortCut(L"F1"), key, shift);
    EXPECT_EQ(VK_F1, key);
    EXPECT_TRUE(shift.Empty());
    EXPECT_EQ(TextToShortCut(L"Ctrl+Alt+K"), ShortCut('K', ssCtrl | ssAlt));
    // Mouse buttons in the shift state are not part of a shortcut.
    EXPECT_EQ(TextToShortCut(L"Shift+K"), ShortCut('K', ssShift | ssLeft));
}
