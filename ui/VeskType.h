// Shared vocabulary of the Vesk skins: the split-point record and the state and layout enumerations.
#pragma once

#include "fw_classes.h"

// The two split points of a skin image: (Left, Top) is the first, (Right, Bottom) the second, both
// measured from the image's top-left corner unless a control says it reads them as margins.
// Each family has its own record class on this one core; TSelf is that class, so a record takes
// only its own family's records in assignment.
template <class TSelf>
class TSplitPaddingCore : public fw::TPersistent {
public:
    int GetLeft() const { return FValues[0]; }
    int GetTop() const { return FValues[1]; }
    int GetRight() const { return FValues[2]; }
    int GetBottom() const { return FValues[3]; }
    void SetLeft(int Value) { SetValue(0, Value); }
    void SetTop(int Value) { SetValue(1, Value); }
    void SetRight(int Value) { SetValue(2, Value); }
    void SetBottom(int Value) { SetValue(3, Value); }
    // Index 0 Left, 1 Top, 2 Right, 3 Bottom. No notification: owners read the record when they draw.
    int GetValue(int Index) const { return Index >= 0 && Index < 4 ? FValues[Index] : 0; }
    void SetValue(int Index, int Value) {
        if (Index >= 0 && Index < 4 && FValues[Index] != Value) FValues[Index] = Value;
    }
    bool IsEmpty() const { return FValues[0] == 0 && FValues[1] == 0 && FValues[2] == 0 && FValues[3] == 0; }
    void Assign(fw::TPersistent* Source) override {
        if (auto* p = dynamic_cast<TSelf*>(Source)) {
            for (int i = 0; i < 4; ++i) FValues[i] = p->GetValue(i);
            return;
        }
        fw::TPersistent::Assign(Source);
    }

private:
    int FValues[4] = {0, 0, 0, 0};
};

class TVeskPadding : public TSplitPaddingCore<TVeskPadding> {
public:
    FW_CLASSNAME(TVeskPadding)
};

enum TVeskBtnStatus { bsNormal, bsOver, bsDown, bsDisable, bsSelect, bsFocus };
enum TVeskLayout { vlGlphyLeft, vlGlphyTop, vlGlphyRight, vlGlphyBottom };
enum TVeskScrollkind { skHor, skVer };
enum TVeskListViewStyle { VvsIcon, VvsList, VvsReport };
