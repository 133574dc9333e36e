// Shared vocabulary of the Qim skins: their copy of the split-point record and their enumerations.
#pragma once

#include "fw_classes.h"

// Same properties, defaults, setter and assignment as TVeskPadding; the two do not assign to each
// other.
class TQimUIPadding : public fw::TPersistent {
public:
    FW_CLASSNAME(TQimUIPadding)
    TQimUIPadding() = default;

    int GetLeft() const { return FValues[0]; }
    int GetTop() const { return FValues[1]; }
    int GetRight() const { return FValues[2]; }
    int GetBottom() const { return FValues[3]; }
    void SetLeft(int Value) { SetValue(0, Value); }
    void SetTop(int Value) { SetValue(1, Value); }
    void SetRight(int Value) { SetValue(2, Value); }
    void SetBottom(int Value) { SetValue(3, Value); }
    int GetValue(int Index) const { return Index >= 0 && Index < 4 ? FValues[Index] : 0; }
    void SetValue(int Index, int Value) {
        if (Index >= 0 && Index < 4 && FValues[Index] != Value) FValues[Index] = Value;
    }
    bool IsEmpty() const { return FValues[0] == 0 && FValues[1] == 0 && FValues[2] == 0 && FValues[3] == 0; }
    void Assign(fw::TPersistent* Source) override;

private:
    int FValues[4] = {0, 0, 0, 0};
};

enum TSplitMode { SmHor, SmVer };
// The Qim scroll bar's orientation. Its values share their names with TVeskScrollkind's, so the
// enumeration is scoped: TQimUIScrollkind::skHor.
enum class TQimUIScrollkind { skHor, skVer };
enum TQimUIImageType { QimUnknown, QimICON, QimBMP, QimJPG, QimGIF, QimPNG };
