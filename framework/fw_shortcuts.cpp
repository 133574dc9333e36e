#include "fw_shortcuts.h"

namespace fw {

namespace {

// Fixed English names, so the text of a shortcut does not depend on the keyboard layout or the
// language of the system.
std::wstring KeyName(WORD Key) {
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return std::wstring(1, static_cast<wchar_t>(Key));
    if (Key >= VK_F1 && Key <= VK_F24) return L"F" + IntToStr(Key - VK_F1 + 1);
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return L"Num " + IntToStr(Key - VK_NUMPAD0);
    switch (Key) {
        case VK_BACK: return L"BkSp";
        case VK_TAB: return L"Tab";
        case VK_RETURN: return L"Enter";
        case VK_PAUSE: return L"Pause";
        case VK_ESCAPE: return L"Esc";
        case VK_SPACE: return L"Space";
        case VK_PRIOR: return L"PgUp";
        case VK_NEXT: return L"PgDn";
        case VK_END: return L"End";
        case VK_HOME: return L"Home";
        case VK_LEFT: return L"Left";
        case VK_UP: return L"Up";
        case VK_RIGHT: return L"Right";
        case VK_DOWN: return L"Down";
        case VK_INSERT: return L"Ins";
        case VK_DELETE: return L"Del";
        case VK_MULTIPLY: return L"Num *";
        case VK_ADD: return L"Num +";
        case VK_SUBTRACT: return L"Num -";
        case VK_DECIMAL: return L"Num .";
        case VK_DIVIDE: return L"Num /";
        case VK_OEM_1: return L";";
        case VK_OEM_PLUS: return L"=";
        case VK_OEM_COMMA: return L",";
        case VK_OEM_MINUS: return L"-";
        case VK_OEM_PERIOD: return L".";
        case VK_OEM_2: return L"/";
        case VK_OEM_3: return L"`";
        case VK_OEM_4: return L"[";
        case VK_OEM_5: return L"\\";
        case VK_OEM_6: return L"]";
        case VK_OEM_7: return L"'";
        default: return std::wstring();
    }
}

// Removes a leading modifier name ("Shift+", "Ctrl+", "Alt+", any case) and reports its flag.
bool TakeModifier(std::wstring& Text, TShortCut& Flags) {
    static const struct {
        const wchar_t* Name;
        TShortCut Flag;
    } kModifiers[] = {{L"Shift+", scShift}, {L"Ctrl+", scCtrl}, {L"Alt+", scAlt}};
    for (const auto& m : kModifiers) {
        std::wstring name = m.Name;
        // The key "+" itself is never named, so a modifier needs at least one character after it.
        if (Text.size() > name.size() && SameText(Text.substr(0, name.size()), name)) {
            Text.erase(0, name.size());
            Flags |= m.Flag;
            return true;
        }
    }
    return false;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
    TShortCut r = static_cast<TShortCut>(Key & 0xFF);
    if (Shift.Contains(ssShift)) r |= scShift;
    if (Shift.Contains(ssCtrl)) r |= scCtrl;
    if (Shift.Contains(ssAlt)) r |= scAlt;
    return r;
}

void ShortCutToKey(TShortCut Code, WORD& Key, TShiftState& Shift) {
    Key = static_cast<WORD>(Code & ~(scShift | scCtrl | scAlt));
    Shift = TShiftState();
    if (Code & scShift) Shift.Include(ssShift);
    if (Code & scCtrl) Shift.Include(ssCtrl);
    if (Code & scAlt) Shift.Include(ssAlt);
}

std::wstring ShortCutToText(TShortCut Code) {
    WORD key = static_cast<WORD>(Code & 0xFF);
    std::wstring name = KeyName(key);
    if (name.empty()) return std::wstring();
    std::wstring r;
    if (Code & scShift) r += L"Shift+";
    if (Code & scCtrl) r += L"Ctrl+";
    if (Code & scAlt) r += L"Alt+";
    return r + name;
}

TShortCut TextToShortCut(const std::wstring& Text) {
    std::wstring rest = Text;
    TShortCut flags = 0;
    while (TakeModifier(rest, flags)) {
    }
    if (rest.empty()) return 0;
    for (WORD key = 0x08; key <= 0xFF; ++key) {
        std::wstring name = KeyName(key);
        if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(flags | key);
    }
    return 0;
}

}  // namespace fw
