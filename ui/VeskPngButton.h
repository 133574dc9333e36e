// The windowless push button of the skinned windows: a PNG strip cut into per-state frames and
// sized to the button (nine-part or three-part), an optional glyph, a caption in the font of the
// current state, and a selection logic that lets a row of buttons behave like tabs.
#pragma once

#include "VeskGraphicControl.h"
#include "VeskStdImageList.h"
#include "VeskType.h"
#include "fw_png.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

using TVeskPngBtnDraw = std::function<void(fw::TObject* Sender, fw::TCanvas* ACanvas)>;

class TVeskPngButton : public TVeskGraphicControl {
public:
    FW_CLASSNAME(TVeskPngButton)
    explicit TVeskPngButton(fw::TComponent* AOwner);
    ~TVeskPngButton() override;

    fw::TPngImage* GetImgButton() const { return FImgButton.get(); }
    // Copies the strip; the state images are cut again only by Loaded, ImgChange and ChangedState.
    void SetImgButton(fw::TPngImage* Value);
    fw::TPngImage* GetImgChange() const { return FImgChange.get(); }
    void SetImgChange(fw::TPngImage* Value);
    int GetButtonStateCount() const { return FButtonStateCount; }
    void SetButtonStateCount(int Value);
    // Two split points inside one frame: (Left, Top) and (Right, Bottom).
    TVeskPadding* GetImgSplit() const { return FImgSplit.get(); }
    void SetImgSplit(TVeskPadding* Value);
    bool GetChangedState() const { return FChangedState; }
    void SetChangedState(bool Value);

    fw::TFont* GetFontNormal() const { return FFonts[bsNormal].get(); }
    fw::TFont* GetFontOver() const { return FFonts[bsOver].get(); }
    fw::TFont* GetFontDown() const { return FFonts[bsDown].get(); }
    fw::TFont* GetFontDisable() const { return FFonts[bsDisable].get(); }
    fw::TFont* GetFontSelect() const { return FFonts[bsSelect].get(); }
    fw::TFont* GetFontFocus() const { return FFonts[bsFocus].get(); }
    void SetFontNormal(fw::TFont* Value) { SetStateFont(bsNormal, Value); }
    void SetFontOver(fw::TFont* Value) { SetStateFont(bsOver, Value); }
    void SetFontDown(fw::TFont* Value) { SetStateFont(bsDown, Value); }
    void SetFontDisable(fw::TFont* Value) { SetStateFont(bsDisable, Value); }
    void SetFontSelect(fw::TFont* Value) { SetStateFont(bsSelect, Value); }
    void SetFontFocus(fw::TFont* Value) { SetStateFont(bsFocus, Value); }

    bool GetCanSelect() const { return FCanSelect; }
    void SetCanSelect(bool Value) { FCanSelect = Value; }
    bool GetCanFocus() const { return FCanFocus; }
    void SetCanFocus(bool Value) { FCanFocus = Value; }
    std::wstring GetCaption() const { return GetText(); }
    void SetCaption(const std::wstring& Value);
    fw::TPngImage* GetGraph() const { return FGraph.get(); }
    void SetGraph(fw::TPngImage* Value);
    TVeskBtnStatus GetBtnStatus() const { return FBtnStatus; }
    void SetBtnStatus(TVeskBtnStatus Value);
    TVeskLayout GetLayout() const { return FLayout; }
    void SetLayout(TVeskLayout Value);
    int GetGraphTopFix() const { return FGraphTopFix; }
    void SetGraphTopFix(int Value);
    int GetGraphLeftFix() const { return FGraphLeftFix; }
    void SetGraphLeftFix(int Value);
    int GetCaptionTopFix() const { return FCaptionTopFix; }
    void SetCaptionTopFix(int Value);
    int GetCaptionLeftFix() const { return FCaptionLeftFix; }
    void SetCaptionLeftFix(int Value);
    bool GetOnlyUseCaptionLeftFix() const { return FOnlyUseCaptionLeftFix; }
    void SetOnlyUseCaptionLeftFix(bool Value);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool GetButtonTab() const { return FButtonTab; }
    void SetButtonTab(bool Value);
    // Any image list of the library.
    TVeskCustomImageList* GetImgList() const { return FImgList; }
    void SetImgList(TVeskCustomImageList* Value);
    int GetImgIndex() const { return FImgIndex; }
    void SetImgIndex(int Value) { FImgIndex = Value; }

    // The message box stores the dialog result of each button it makes here.
    int GetModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }

    // The prepared image of a state (nullptr when that state has none).
    fw::TPngImage* GetStateImage(TVeskBtnStatus State) const { return FStateImages[State].get(); }
    // Whether the caption did not fit at the last paint.
    bool GetCaptionTruncated() const { return FCaptionTruncated; }

    void Loaded() override;
    // Cuts the strip into state frames and sizes them to the button.
    void PrepareImages();
    // The selection step: OnSelect, then deselects the selected siblings of the same group.
    void Select();

    void DoMouseEnter() override;
    void DoMouseLeave() override;

    fw::TNotifyEvent OnSelect;
    fw::TNotifyEvent OnSelectChange;
    TVeskPngBtnDraw OnBeforeDraw;
    TVeskPngBtnDraw OnAfterDraw;

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void WndProc(fw::TMessage& Message) override;
    void Paint() override;
    void DrawButton();

private:
    void SetStateFont(TVeskBtnStatus State, fw::TFont* Value);
    void SetState(TVeskBtnStatus Value);
    static void CopyPng(fw::TPngImage* Target, fw::TPngImage* Source);
    void FreeStateImages();

    std::unique_ptr<fw::TPngImage> FImgButton;
    std::unique_ptr<fw::TPngImage> FImgChange;
    int FButtonStateCount = 4;
    std::unique_ptr<TVeskPadding> FImgSplit;
    bool FChangedState = false;
    std::array<std::unique_ptr<fw::TFont>, 6> FFonts;
    bool FCanSelect = false;
    bool FCanFocus = false;
    std::unique_ptr<fw::TPngImage> FGraph;
    TVeskBtnStatus FBtnStatus = bsNormal;
    TVeskLayout FLayout = vlGlphyLeft;
    int FGraphTopFix = 0;
    int FGraphLeftFix = 0;
    int FCaptionTopFix = 0;
    int FCaptionLeftFix = 0;
    bool FOnlyUseCaptionLeftFix = false;
    int FGroupIndex = -1;
    bool FButtonTab = false;
    TVeskCustomImageList* FImgList = nullptr;
    int FImgIndex = -1;
    int FModalResult = 0;

    std::array<std::unique_ptr<fw::TPngImage>, 6> FStateImages;
    bool FCaptionTruncated = false;
    // The control's own Hint and ShowHint while the caption stands in as the hint.
    bool FHintSwapped = false;
    std::wstring FSavedHint;
    bool FSavedShowHint = false;
};
