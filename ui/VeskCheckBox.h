// A windowless skinned check box or radio item drawn from a PNG strip of eight frames: the box at
// the left, the caption to its right, both following the state (normal, hovered, pressed,
// disabled) and the checked flag. It toggles on mouse down; radio items of one parent uncheck
// each other.
#pragma once

#include "VeskGraphicControl.h"
#include "fw_png.h"

#include <array>
#include <memory>
#include <string>

class TVeskCheckBox : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TVeskCheckBox)
    explicit TVeskCheckBox(fw::TComponent* AOwner);
    ~TVeskCheckBox() override;

    fw::TPngImage* GetImgCheckBox() const { return FImgCheckBox.get(); }
    // Copies the strip; the frames are cut again by Loaded (and the RadioItem setter).
    void SetImgCheckBox(fw::TPngImage* Value);
    fw::TPngImage* GetImgRadioBox() const { return FImgRadioBox.get(); }
    void SetImgRadioBox(fw::TPngImage* Value);
    int GetCheckStateCount() const { return FCheckStateCount; }
    void SetCheckStateCount(int Value) { FCheckStateCount = Value; }
    std::wstring GetCaption() const { return GetText(); }
    void SetCaption(const std::wstring& Value);
    fw::TColor GetFontColorNormal() const { return FFontColorNormal; }
    void SetFontColorNormal(fw::TColor Value);
    fw::TColor GetFontColorOver() const { return FFontColorOver; }
    void SetFontColorOver(fw::TColor Value);
    fw::TColor GetFontColorDown() const { return FFontColorDown; }
    void SetFontColorDown(fw::TColor Value);
    fw::TColor GetFontColorDisable() const { return FFontColorDisable; }
    void SetFontColorDisable(fw::TColor Value);
    bool GetChecked() const { return FChecked; }
    // Stores the flag only: no repaint, no OnCheck.
    void SetChecked(bool Value) { FChecked = Value; }
    bool GetRadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    int GetTextOffset() const { return FTextOffset; }
    void SetTextOffset(int Value);
    bool GetShowhint() const { return GetShowHint(); }
    void SetShowhint(bool Value) { SetShowHint(Value); }
    bool GetAutoShowHint() const { return FAutoShowHint; }
    void SetAutoShowHint(bool Value) { FAutoShowHint = Value; }

    // Frame i of the strip (0 unchecked normal, 1 checked normal, 2/3 over, 4/5 down,
    // 6/7 disabled); nullptr when the strip has none.
    fw::TPngImage* GetFrame(int Index) const { return Index >= 0 && Index < 8 ? FFrames[Index].get() : nullptr; }
    bool GetHovered() const { return FHovered; }
    bool GetPressed() const { return FPressed; }
    // Set by a paint in which the caption did not fit.
    bool GetCaptionTruncated() const { return FTruncated; }

    void Loaded() override;
    void PrepareImages();
    // Flips the box (a checked radio item stays checked), fires OnCheck and, for a radio item,
    // unchecks the other radio items of the parent.
    void Toggle();
    void UncheckRadioSiblings();

    void DoMouseEnter() override;
    void DoMouseLeave() override;

    fw::TNotifyEvent OnCheck;

protected:
    void WndProc(fw::TMessage& Message) override;
    void Paint() override;
    // Space toggles a focused box as a click does.
    void KeyDown(WORD& Key, fw::TShiftState Shift) override;

private:
    void CopyPng(fw::TPngImage* Target, fw::TPngImage* Source);
    void RestoreHint();

    std::unique_ptr<fw::TPngImage> FImgCheckBox;
    std::unique_ptr<fw::TPngImage> FImgRadioBox;
    int FCheckStateCount = 8;
    fw::TColor FFontColorNormal = fw::clBlack;
    fw::TColor FFontColorOver = fw::clBlue;
    fw::TColor FFontColorDown = fw::clNavy;
    fw::TColor FFontColorDisable = fw::clGray;
    bool FChecked = false;
    bool FRadioItem = false;
    int FTextOffset = 0;
    bool FAutoShowHint = true;

    bool FHovered = false;
    bool FPressed = false;
    std::array<std::unique_ptr<fw::TPngImage>, 8> FFrames;
    bool FTruncated = false;
    bool FHintSwapped = false;
    std::wstring FSavedHint;
    bool FSavedShowHint = false;
};
