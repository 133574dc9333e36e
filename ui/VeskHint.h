// The skinned balloon hint: a layered, per-pixel-alpha window showing a control's hint text in a
// nine-part body with an optional logo and title and an arrow pointing at the mouse cursor. It
// stays fully opaque for a pause, then fades out and hides.
#pragma once

#include "VeskDrawing.h"
#include "VeskType.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "fw_timer.h"

#include <array>
#include <memory>
#include <string>

// Where the arrow sits: 1..3 on the top edge (the balloon hangs below the cursor), 4..6 on the
// bottom edge (the balloon stands above it); left, centre, right along that edge.
enum TVeskArrowKind { AkNone, AkLeftTop, AkTopCenter, AkRightTop, AkleftBottom, AkBottomCenter, AkRightBottom };

// The balloon's window: borderless, never activated, layered once its handle exists.
class TVeskHintForm : public fw::TForm {
public:
    FW_CLASSNAME(TVeskHintForm)
    TVeskHintForm(const fw::TFormKey& Key, fw::TComponent* AOwner);

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void WndProc(fw::TMessage& Message) override;
};

class TveskHint : public fw::TComponent {
public:
    FW_CLASSNAME(TveskHint)
    explicit TveskHint(fw::TComponent* AOwner);
    ~TveskHint() override;

    void Loaded() override;

    // Shows the control's Hint at the mouse cursor.
    void ShowHintAt(fw::TControl* Control);
    // Hides the balloon at once.
    void HideHint();

    int GetAlphaWidth() const { return FAlphaWidth; }
    void SetAlphaWidth(int Value) { FAlphaWidth = Value; }
    int GetAlpha() const { return FAlpha; }
    void SetAlpha(int Value) { FAlpha = Value; }
    TVeskArrowKind GetArrowKind() const { return FArrowKind; }
    void SetArrowKind(TVeskArrowKind Value) { FArrowKind = Value; }
    int GetArrowStateCount() const { return FArrowStateCount; }
    void SetArrowStateCount(int Value) { FArrowStateCount = Value; }
    int GetInterVal() const { return FInterVal; }
    void SetInterVal(int Value) { FInterVal = Value; }
    fw::TPngImage* GetImgForm() const { return FImgForm.get(); }
    void SetImgForm(fw::TPngImage* Value);
    fw::TPngImage* GetImgArrow() const { return FImgArrow.get(); }
    void SetImgArrow(fw::TPngImage* Value);
    fw::TPngImage* GetImgLogo() const { return FImgLogo.get(); }
    void SetImgLogo(fw::TPngImage* Value);
    TVeskPadding* GetFormSplit() const { return FFormSplit.get(); }
    void SetFormSplit(TVeskPadding* Value);
    const std::wstring& GetHintText() const { return FHintText; }
    void SetHintText(const std::wstring& Value) { FHintText = Value; }
    fw::TFont* GetFontHint() const { return FFontHint.get(); }
    void SetFontHint(fw::TFont* Value);
    fw::TFont* GetFontTitle() const { return FFontTitle.get(); }
    void SetFontTitle(fw::TFont* Value);
    const std::wstring& GetHintTitle() const { return FHintTitle; }
    void SetHintTitle(const std::wstring& Value) { FHintTitle = Value; }
    int GetPauseTime() const { return FPauseTime; }
    void SetPauseTime(int Value) { FPauseTime = Value; }
    int GetDefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int Value) { FDefaultWidth = Value; }

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void BeforeDestruction() override;
    // The mouse cursor in screen coordinates (GetCursorPos).
    virtual fw::TPoint GetCursorPoint() const;
    // The work area the balloon must keep inside.
    virtual fw::TRect GetWorkArea() const;

    // Lays the balloon out for the cursor at (X, Y) and draws it into the bitmap.
    void LayoutHint(int X, int Y);
    void DrawHint();
    // Hands the bitmap to the layered window at the current Alpha.
    void PushHint();
    void PauseTimerTick(fw::TObject* Sender);
    void FadeTimerTick(fw::TObject* Sender);
    // The arrow's height over the body: the rows it adds to the balloon.
    int ArrowHeight() const;

    fw::TBitmap* GetBitmap() const { return FBitmap.get(); }
    TVeskHintForm* GetHintForm() const { return FHintForm; }
    fw::TTimer* GetPauseTimer() const { return FPauseTimer; }
    fw::TTimer* GetFadeTimer() const { return FFadeTimer; }
    const fw::TRect& GetTextRect() const { return FTextRect; }
    int GetFadeStep() const { return FFadeStep; }

private:
    void DropBodyPieces() { FBodyCut = false; for (auto& p : FBodyPieces) p.reset(); }

    int FAlphaWidth = 3;
    int FAlpha = 255;
    TVeskArrowKind FArrowKind = AkTopCenter;
    int FArrowStateCount = 6;
    int FInterVal = 33;
    std::unique_ptr<fw::TPngImage> FImgForm;
    std::unique_ptr<fw::TPngImage> FImgArrow;
    std::unique_ptr<fw::TPngImage> FImgLogo;
    std::unique_ptr<TVeskPadding> FFormSplit;
    std::wstring FHintText;
    std::unique_ptr<fw::TFont> FFontHint;
    std::unique_ptr<fw::TFont> FFontTitle;
    std::wstring FHintTitle;
    int FPauseTime = 5000;
    int FDefaultWidth = 300;

    std::unique_ptr<fw::TBitmap> FBitmap;
    TPng9Pieces FBodyPieces;
    bool FBodyCut = false;
    // The split the body pieces were cut at: a changed split cuts them again.
    int FCutSplit[4] = {0, 0, 0, 0};
    fw::TRect FTextRect;
    std::array<TPngPtr, 6> FArrowFrames;
    TVeskHintForm* FHintForm = nullptr;
    int FFadeStep = 5;
    fw::TTimer* FPauseTimer = nullptr;
    fw::TTimer* FFadeTimer = nullptr;
};
