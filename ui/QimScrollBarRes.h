// One complete skin of the windowed scroll bar, held by a form so that bars created at run time
// copy it. Unlike the Vesk resource it has a split of its own for the back and a strip direction.
#pragma once

#include "QimUIType.h"
#include "fw_png.h"

#include <memory>

class TQimScrollBarRes : public fw::TComponent {
public:
    FW_CLASSNAME(TQimScrollBarRes)
    explicit TQimScrollBarRes(fw::TComponent* AOwner);
    ~TQimScrollBarRes() override;

    fw::TPngImage* GetImgBack() const { return FImgBack.get(); }
    void SetImgBack(fw::TPngImage* Value) { Copy(FImgBack, Value); }
    fw::TPngImage* GetImgSlider() const { return FImgSlider.get(); }
    void SetImgSlider(fw::TPngImage* Value) { Copy(FImgSlider, Value); }
    fw::TPngImage* GetImgBtnLT() const { return FImgBtnLT.get(); }
    void SetImgBtnLT(fw::TPngImage* Value) { Copy(FImgBtnLT, Value); }
    fw::TPngImage* GetImgBtnRB() const { return FImgBtnRB.get(); }
    void SetImgBtnRB(fw::TPngImage* Value) { Copy(FImgBtnRB, Value); }
    fw::TPngImage* GetImgCenter() const { return FImgCenter.get(); }
    void SetImgCenter(fw::TPngImage* Value) { Copy(FImgCenter, Value); }
    int GetSliderStateCount() const { return FSliderStateCount; }
    void SetSliderStateCount(int Value) { FSliderStateCount = Value; }
    TQimUIPadding* GetSliderSplit() const { return FSliderSplit.get(); }
    void SetSliderSplit(TQimUIPadding* Value) { FSliderSplit->Assign(Value); }
    int GetBtnoffSet() const { return FBtnoffSet; }
    void SetBtnoffSet(int Value) { FBtnoffSet = Value; }
    int GetBtnStateCount() const { return FBtnStateCount; }
    void SetBtnStateCount(int Value) { FBtnStateCount = Value; }
    int GetBackStateCount() const { return FBackStateCount; }
    void SetBackStateCount(int Value) { FBackStateCount = Value; }
    // The back is stretched in three parts exactly when BackSplit.Left < BackSplit.Right.
    TQimUIPadding* GetBackSplit() const { return FBackSplit.get(); }
    void SetBackSplit(TQimUIPadding* Value) { FBackSplit->Assign(Value); }
    int GetCenterStateCount() const { return FCenterStateCount; }
    void SetCenterStateCount(int Value) { FCenterStateCount = Value; }
    bool GetShowButton() const { return FShowButton; }
    void SetShowButton(bool Value) { FShowButton = Value; }
    bool GetJoinButton() const { return FJoinButton; }
    void SetJoinButton(bool Value) { FJoinButton = Value; }
    TSplitMode GetSplitMode() const { return FSplitMode; }
    void SetSplitMode(TSplitMode Value) { FSplitMode = Value; }

private:
    static void Copy(std::unique_ptr<fw::TPngImage>& Target, fw::TPngImage* Source);

    std::unique_ptr<fw::TPngImage> FImgBack;
    std::unique_ptr<fw::TPngImage> FImgSlider;
    std::unique_ptr<fw::TPngImage> FImgBtnLT;
    std::unique_ptr<fw::TPngImage> FImgBtnRB;
    std::unique_ptr<fw::TPngImage> FImgCenter;
    int FSliderStateCount = 4;
    std::unique_ptr<TQimUIPadding> FSliderSplit;
    int FBtnoffSet = 0;
    int FBtnStateCount = 4;
    int FBackStateCount = 2;
    std::unique_ptr<TQimUIPadding> FBackSplit;
    int FCenterStateCount = 4;
    bool FShowButton = true;
    bool FJoinButton = false;
    TSplitMode FSplitMode = SmHor;
};
