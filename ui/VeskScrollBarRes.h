// One complete scroll-bar skin held by a form, so that every bar created at run time can copy it.
#pragma once

#include "VeskType.h"
#include "fw_png.h"

#include <memory>

// Copies a picture into an owned one; nullptr empties it.
void AssignSkinPng(std::unique_ptr<fw::TPngImage>& Target, fw::TPngImage* Source);

// The skin pictures, their frame counts, the slider's split and the button offset: what a
// scroll-bar resource holds and every bar copies from it. TPad is the family's split-point record.
template <class TPad>
class TScrollBarSkin {
public:
    TScrollBarSkin()
        : FImgBack(std::make_unique<fw::TPngImage>()),
          FImgSlider(std::make_unique<fw::TPngImage>()),
          FImgBtnLT(std::make_unique<fw::TPngImage>()),
          FImgBtnRB(std::make_unique<fw::TPngImage>()),
          FImgCenter(std::make_unique<fw::TPngImage>()),
          FSliderSplit(std::make_unique<TPad>()) {}

    // Pictures are copied.
    fw::TPngImage* GetImgBack() const { return FImgBack.get(); }
    void SetImgBack(fw::TPngImage* Value) { AssignSkinPng(FImgBack, Value); }
    fw::TPngImage* GetImgSlider() const { return FImgSlider.get(); }
    void SetImgSlider(fw::TPngImage* Value) { AssignSkinPng(FImgSlider, Value); }
    fw::TPngImage* GetImgBtnLT() const { return FImgBtnLT.get(); }
    void SetImgBtnLT(fw::TPngImage* Value) { AssignSkinPng(FImgBtnLT, Value); }
    fw::TPngImage* GetImgBtnRB() const { return FImgBtnRB.get(); }
    void SetImgBtnRB(fw::TPngImage* Value) { AssignSkinPng(FImgBtnRB, Value); }
    fw::TPngImage* GetImgCenter() const { return FImgCenter.get(); }
    void SetImgCenter(fw::TPngImage* Value) { AssignSkinPng(FImgCenter, Value); }
    int GetSliderStateCount() const { return FSliderStateCount; }
    void SetSliderStateCount(int Value) { FSliderStateCount = Value; }
    // Edited in place through its own Left/Top/Right/Bottom.
    TPad* GetSliderSplit() const { return FSliderSplit.get(); }
    void SetSliderSplit(TPad* Value) { FSliderSplit->Assign(Value); }
    int GetBtnoffSet() const { return FBtnoffSet; }
    void SetBtnoffSet(int Value) { FBtnoffSet = Value; }
    int GetBtnStateCount() const { return FBtnStateCount; }
    void SetBtnStateCount(int Value) { FBtnStateCount = Value; }
    int GetBackStateCount() const { return FBackStateCount; }
    void SetBackStateCount(int Value) { FBackStateCount = Value; }
    int GetCenterStateCount() const { return FCenterStateCount; }
    void SetCenterStateCount(int Value) { FCenterStateCount = Value; }

    // Takes every value of another skin; the pictures and the split are copied.
    void CopySkin(const TScrollBarSkin& Source) {
        SetImgBack(Source.GetImgBack());
        SetImgBtnLT(Source.GetImgBtnLT());
        SetImgBtnRB(Source.GetImgBtnRB());
        SetImgSlider(Source.GetImgSlider());
        SetImgCenter(Source.GetImgCenter());
        SetBackStateCount(Source.GetBackStateCount());
        SetBtnStateCount(Source.GetBtnStateCount());
        SetSliderStateCount(Source.GetSliderStateCount());
        FSliderSplit->Assign(Source.GetSliderSplit());
        SetCenterStateCount(Source.GetCenterStateCount());
        SetBtnoffSet(Source.GetBtnoffSet());
    }

protected:
    ~TScrollBarSkin() = default;

    std::unique_ptr<fw::TPngImage> FImgBack;
    std::unique_ptr<fw::TPngImage> FImgSlider;
    std::unique_ptr<fw::TPngImage> FImgBtnLT;
    std::unique_ptr<fw::TPngImage> FImgBtnRB;
    std::unique_ptr<fw::TPngImage> FImgCenter;
    int FSliderStateCount = 4;
    std::unique_ptr<TPad> FSliderSplit;
    int FBtnoffSet = 0;
    int FBtnStateCount = 4;
    int FBackStateCount = 2;
    int FCenterStateCount = 4;
};

// Both scroll-bar resources: the skin and whether and how the arrow buttons show.
template <class TPad>
class TSkinScrollBarResCore : public fw::TComponent, public TScrollBarSkin<TPad> {
public:
    explicit TSkinScrollBarResCore(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}

    bool GetShowButton() const { return FShowButton; }
    void SetShowButton(bool Value) { FShowButton = Value; }
    bool GetJoinButton() const { return FJoinButton; }
    void SetJoinButton(bool Value) { FJoinButton = Value; }

private:
    bool FShowButton = true;
    bool FJoinButton = false;
};

class TVeskScrollBarRes : public TSkinScrollBarResCore<TVeskPadding> {
public:
    FW_CLASSNAME(TVeskScrollBarRes)
    using TSkinScrollBarResCore::TSkinScrollBarResCore;

    bool GetBackUseThree() const { return FBackUseThree; }
    void SetBackUseThree(bool Value) { FBackUseThree = Value; }

private:
    bool FBackUseThree = false;
};
