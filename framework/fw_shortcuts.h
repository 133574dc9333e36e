// Keyboard shortcuts: the 16-bit shortcut code (virtual key in the low byte, Shift, Ctrl and Alt
// flags above) and its English text form ("Ctrl+S", "F1", "None").
#pragma once

#include "fw_base.h"

#include <cstdint>
#include <string>

namespace fw {

using TShortCut = uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// The code of a key with Shift, Ctrl and Alt taken from the shift state (other flags ignored).
TShortCut ShortCut(WORD Key, TShiftState Shift);
// Splits a code into its key (the bits below the modifier flags) and its shift state.
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Shift+", "Ctrl+", "Alt+" (in that order) before the key's English name; "" for a key that
// has no name (including 0).
std::wstring ShortCutToText(TShortCut ShortCut);
// The inverse of ShortCutToText, ignoring case and accepting the modifiers in any order; 0 for
// "None", an empty text and anything that names no key.
TShortCut TextToShortCut(const std::wstring& Text);

}  // namespace fw
