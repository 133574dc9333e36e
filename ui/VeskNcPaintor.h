// Skinned non-client area of top-level forms: a shared look (TVeskNcResource: caption, border,
// client background, caption buttons) and one painter per form (TVeskNcPaintor) that replaces the
// form's window procedure, answers the non-client messages itself and composes the caption bar,
// its buttons and the border off screen.
#pragma once

#include "VeskDrawing.h"
#include "VeskType.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "fw_stdctrls.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// The caption-bar buttons, by id. The ordinal is the bit of the id in TVeskShowNcBtns.
enum TVeskNcBtnEnum : uint8_t {
    vnbNULL = 0,
    vnbLogo = 1,
    vnbCustom1 = 2,
    vnbSkin = 3,
    vnbMenu = 4,
    vnbMinimize = 5,
    vnbMaximize = 6,
    vnbClose = 7,
};

// A set of button ids held in one byte.
class TVeskShowNcBtns {
public:
    constexpr TVeskShowNcBtns() = default;
    constexpr TVeskShowNcBtns(TVeskNcBtnEnum Id) : FBits(Bit(Id)) {}
    constexpr TVeskShowNcBtns(std::initializer_list<TVeskNcBtnEnum> Ids) {
        for (TVeskNcBtnEnum i : Ids) FBits = static_cast<uint8_t>(FBits | Bit(i));
    }
    static constexpr TVeskShowNcBtns FromBits(uint8_t Bits) {
        TVeskShowNcBtns s;
        s.FBits = Bits;
        return s;
    }
    constexpr uint8_t Bits() const { return FBits; }
    constexpr bool Contains(TVeskNcBtnEnum Id) const { return (FBits & Bit(Id)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TVeskShowNcBtns operator|(TVeskShowNcBtns O) const { return FromBits(uint8_t(FBits | O.FBits)); }
    constexpr bool operator==(const TVeskShowNcBtns&) const = default;

private:
    static constexpr uint8_t Bit(TVeskNcBtnEnum Id) { return static_cast<uint8_t>(1u << (Id & 7)); }
    uint8_t FBits = 0;
};
constexpr TVeskShowNcBtns operator|(TVeskNcBtnEnum A, TVeskNcBtnEnum B) {
    return TVeskShowNcBtns(A) | TVeskShowNcBtns(B);
}
constexpr TVeskShowNcBtns operator|(TVeskShowNcBtns A, TVeskNcBtnEnum B) { return A | TVeskShowNcBtns(B); }

// The hit-test code a button answers with (HTMENU, HTMINBUTTON ... or the private 100..102), and
// the button of a code (the first id whose code equals it; vnbNULL for none).
int NcBtnHitCode(TVeskNcBtnEnum Id);
TVeskNcBtnEnum NcBtnOfHitCode(int Code);
// True for the codes that belong to caption buttons.
bool IsNcBtnHitCode(int Code);

// Whether desktop composition is on (Windows 6.0 or later and DwmIsCompositionEnabled says so),
// and the call that lets the program paint the non-client area under composition. Both load
// dwmapi at run time; tests replace them.
using TNcCompositionProc = bool (*)();
using TNcAllowNcPaintProc = void (*)(HWND Wnd);
extern TNcCompositionProc NcCompositionEnabledProc;
extern TNcAllowNcPaintProc NcAllowNcPaintProc;
bool NcCompositionEnabled();

// Draws Png into Rect as a nine-grid cut at margins Split (stretching each piece into its cell);
// a split of all zeros stretches the whole picture. True only when the nine pieces were drawn.
bool DrawPng9Grid(fw::TCanvas* Canvas, const fw::TRect& Rect, fw::TPngImage* Png, TVeskPadding* Split);

// ---------------------------------------------------------------------------------------------
// Caption buttons.

class TVeskCaptionBtn : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskCaptionBtn)
    TVeskCaptionBtn();
    ~TVeskCaptionBtn() override;

    fw::TPngImage* GetImgBtn() const { return FImgBtn.get(); }
    // Copies the picture (nullptr empties it). The frames are cut again only by SplitImages.
    void SetImgBtn(fw::TPngImage* Value);
    int GetBtnStateCount() const { return FBtnStateCount; }
    void SetBtnStateCount(int Value) { FBtnStateCount = Value; }
    const std::wstring& GetHint() const { return FHint; }
    void SetHint(const std::wstring& Value) { FHint = Value; }
    TVeskNcBtnEnum GetId() const { return FId; }
    void SetId(TVeskNcBtnEnum Value) { FId = Value; }

    // Cuts ImgBtn into BtnStateCount frames (none when it is empty).
    virtual void SplitImages();
    // Frame Index (frame 0 for an index outside the states); nullptr without frames.
    virtual fw::TPngImage* GetStateImage(int Index);
    // The frame of State stretched into Rect; nothing without one.
    void Draw(fw::TCanvas* Canvas, const fw::TRect& Rect, int State);
    void Assign(fw::TPersistent* Source) override;

protected:
    static fw::TPngImage* FrameOf(std::vector<TPngPtr>& Frames, int Count, int Index);
    static void CutFrames(fw::TPngImage* Strip, int Count, std::vector<TPngPtr>& Frames);
    std::vector<TPngPtr> FStateImages;
    std::unique_ptr<fw::TPngImage> FImgBtn;
    TVeskNcBtnEnum FId = vnbNULL;
    int FBtnStateCount = 3;
    std::wstring FHint;
};

// The maximize button also carries the restore frames shown while the form is maximized; they are
// asked for with the state plus 10.
class TVeskMaxBtn : public TVeskCaptionBtn {
public:
    FW_CLASSNAME(TVeskMaxBtn)
    TVeskMaxBtn();
    ~TVeskMaxBtn() override;

    fw::TPngImage* GetImgRestore() const { return FImgRestore.get(); }
    void SetImgRestore(fw::TPngImage* Value);

    void SplitImages() override;
    fw::TPngImage* GetStateImage(int Index) override;
    void Assign(fw::TPersistent* Source) override;

private:
    std::unique_ptr<fw::TPngImage> FImgRestore;
    std::vector<TPngPtr> FRestoreImages;
};

// The logo at the left of the caption bar; Left and Top place it inside the bar.
class TVeskFormLogo : public TVeskCaptionBtn {
public:
    FW_CLASSNAME(TVeskFormLogo)
    TVeskFormLogo();

    int GetLeft() const { return FLeft; }
    void SetLeft(int Value) { FLeft = Value; }
    int GetTop() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    // The size of frame 0, or 0 x 0 without one.
    SIZE LogoSize() const;
    void Assign(fw::TPersistent* Source) override;

private:
    int FLeft = 4;
    int FTop = 0;
};

// ---------------------------------------------------------------------------------------------
// Looks of the parts of the non-client area.

// Size limits applied on WM_GETMINMAXINFO; -1 is no limit.
class TVeskWndFixSize : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskWndFixSize)
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value) { FMinWidth = Value; }
    int GetMinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value) { FMinHeight = Value; }
    int GetMaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value) { FMaxWidth = Value; }
    int GetMaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value) { FMaxHeight = Value; }
    void Assign(fw::TPersistent* Source) override;

private:
    int FMinWidth = -1, FMinHeight = -1, FMaxWidth = -1, FMaxHeight = -1;
};

class TVeskFormCaption : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskFormCaption)
    TVeskFormCaption();
    ~TVeskFormCaption() override;

    fw::TColor GetColorBkgr() const { return FColorBkgr; }
    // Stores the colour and rebuilds the 10 x 10 colour image.
    void SetColorBkgr(fw::TColor Value);
    fw::TPngImage* GetImgBkgr() const { return FImgBkgr.get(); }
    void SetImgBkgr(fw::TPngImage* Value);
    fw::TFont* GetFont() const { return FFont.get(); }
    void SetFont(fw::TFont* Value) { FFont->Assign(Value); }
    int GetTextTopFix() const { return FTextTopFix; }
    void SetTextTopFix(int Value) { FTextTopFix = Value; }
    int GetTextLeftFix() const { return FTextLeftFix; }
    void SetTextLeftFix(int Value) { FTextLeftFix = Value; }
    fw::TAlignment GetTextAlign() const { return FTextAlign; }
    void SetTextAlign(fw::TAlignment Value) { FTextAlign = Value; }
    const std::wstring& GetText() const { return FText; }
    void SetText(const std::wstring& Value) { FText = Value; }
    // Margins of the nine-grid of ImgBkgr.
    TVeskPadding* GetImgSplit() const { return FImgSplit.get(); }
    void SetImgSplit(TVeskPadding* Value) { FImgSplit->Assign(Value); }
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }
    fw::TPngImage* GetColorImage() const { return FColorImage.get(); }

    // After streaming: the background becomes its own first frame, or the colour image is made.
    void Prepare();
    void Assign(fw::TPersistent* Source) override;

private:
    fw::TColor FColorBkgr = fw::clActiveCaption;
    std::unique_ptr<fw::TPngImage> FImgBkgr;
    std::unique_ptr<fw::TFont> FFont;
    int FTextTopFix = 0;
    int FTextLeftFix = 2;
    fw::TAlignment FTextAlign = fw::taLeftJustify;
    std::wstring FText;
    std::unique_ptr<TVeskPadding> FImgSplit;
    int FHeight;
    TPngPtr FColorImage;
};

class TVeskFormClient : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskFormClient)
    TVeskFormClient();
    ~TVeskFormClient() override;

    fw::TColor GetColorBkgr() const { return FColorBkgr; }
    void SetColorBkgr(fw::TColor Value) { FColorBkgr = Value; }
    fw::TPngImage* GetImgBkgr() const { return FImgBkgr.get(); }
    void SetImgBkgr(fw::TPngImage* Value);
    TVeskPadding* GetImgSplit() const { return FImgSplit.get(); }
    void SetImgSplit(TVeskPadding* Value) { FImgSplit->Assign(Value); }
    void Assign(fw::TPersistent* Source) override;

private:
    fw::TColor FColorBkgr = fw::clWindow;
    std::unique_ptr<fw::TPngImage> FImgBkgr;
    std::unique_ptr<TVeskPadding> FImgSplit;
};

// The nine pieces of the border, in the order the border keeps them.
enum TVeskBorderPiece { bpTopLeft, bpTop, bpTopRight, bpRight, bpBottomRight, bpBottom, bpBottomLeft, bpLeft, bpCenter };

class TVeskFormBorder : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskFormBorder)
    TVeskFormBorder();
    ~TVeskFormBorder() override;

    fw::TColor GetColorBkgr() const { return FColorBkgr; }
    // Stores the colour and prepares the pieces again.
    void SetColorBkgr(fw::TColor Value);
    fw::TPngImage* GetImgBkgr() const { return FImgBkgr.get(); }
    void SetImgBkgr(fw::TPngImage* Value);
    int GetLeft() const { return FLeft; }
    void SetLeft(int Value) { FLeft = Value; }
    int GetTop() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int GetRight() const { return FRight; }
    void SetRight(int Value) { FRight = Value; }
    int GetBottom() const { return FBottom; }
    void SetBottom(int Value) { FBottom = Value; }
    bool GetShowNotDWM() const { return FShowNotDWM; }
    void SetShowNotDWM(bool Value) { FShowNotDWM = Value; }

    // (Left, Top, Right, Bottom), or all 0 when ShowNotDWM is set and composition is on.
    fw::TRect Margins() const;
    fw::TPngImage* GetPiece(TVeskBorderPiece Piece) const { return FPieces[Piece].get(); }
    // The pieces from the image cut at the margins, or from the colour when there is no image.
    void Prepare();
    void Assign(fw::TPersistent* Source) override;

private:
    fw::TColor FColorBkgr = fw::clActiveBorder;
    std::unique_ptr<fw::TPngImage> FImgBkgr;
    int FLeft, FTop, FRight, FBottom;
    bool FShowNotDWM = true;
    std::array<TPngPtr, 9> FPieces;
};

class TVeskNcResource;

// A composite skin (a picture under a shadow) split into its caption and client parts.
class TVeskFormSkin : public fw::TPersistent {
public:
    FW_CLASSNAME(TVeskFormSkin)
    explicit TVeskFormSkin(TVeskNcResource* AOwner);
    ~TVeskFormSkin() override;

    bool GetActive() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    fw::TPngImage* GetShadow() const { return FShadow.get(); }
    void SetShadow(fw::TPngImage* Value);
    fw::TPicture* GetSkin() const { return FSkin.get(); }
    void SetSkin(fw::TPicture* Value) { FSkin->Assign(Value); }
    int GetDrawMode() const { return FDrawMode; }
    void SetDrawMode(int Value) { FDrawMode = Value; }
    TVeskPadding* GetShadowSplit() const { return FShadowSplit.get(); }
    void SetShadowSplit(TVeskPadding* Value) { FShadowSplit->Assign(Value); }
    TVeskPadding* GetSkinSplit() const { return FSkinSplit.get(); }
    void SetSkinSplit(TVeskPadding* Value) { FSkinSplit->Assign(Value); }

    fw::TPngImage* GetComposite() const { return FComposite.get(); }
    fw::TPngImage* GetCaptionPart() const { return FCaptionPart.get(); }
    fw::TPngImage* GetClientPart() const { return FClientPart.get(); }
    void Prepare();

private:
    TVeskNcResource* FOwner;
    bool FActive = false;
    std::unique_ptr<fw::TPngImage> FShadow;
    std::unique_ptr<fw::TPicture> FSkin;
    int FDrawMode = 0;
    std::unique_ptr<TVeskPadding> FShadowSplit, FSkinSplit;
    TPngPtr FComposite, FCaptionPart, FClientPart;
};

// The delayed hint of the caption buttons: shown 2000 ms after it is scheduled, hidden 1500 ms
// later. Runs window timers 0 and 1 of its own window.
class TVeskNcHintWnd : public fw::THintWindow {
public:
    FW_CLASSNAME(TVeskNcHintWnd)
    explicit TVeskNcHintWnd(fw::TComponent* AOwner);
    ~TVeskNcHintWnd() override;

    void ScheduleHint(const std::wstring& Text);
    void HideHint();
    const fw::TRect& GetHintRect() const { return FHintRect; }
    const std::wstring& GetHintText() const { return FHintText; }
    bool IsShowing() const;

protected:
    void WndProc(fw::TMessage& Message) override;

private:
    fw::TRect FHintRect;
    std::wstring FHintText;
};

class TVeskNcResource : public fw::TComponent {
public:
    FW_CLASSNAME(TVeskNcResource)
    explicit TVeskNcResource(fw::TComponent* AOwner);
    ~TVeskNcResource() override;

    // The button of an id (nullptr for vnbNULL or anything outside 1..7).
    TVeskCaptionBtn* GetBtn(TVeskNcBtnEnum Id) const;
    TVeskFormLogo* GetFormLogo() const { return static_cast<TVeskFormLogo*>(FBtns[vnbLogo].get()); }
    TVeskCaptionBtn* GetBtnCustom1() const { return FBtns[vnbCustom1].get(); }
    TVeskCaptionBtn* GetBtnSkin() const { return FBtns[vnbSkin].get(); }
    TVeskCaptionBtn* GetBtnMenu() const { return FBtns[vnbMenu].get(); }
    TVeskCaptionBtn* GetBtnMinimize() const { return FBtns[vnbMinimize].get(); }
    TVeskMaxBtn* GetBtnMaximize() const { return static_cast<TVeskMaxBtn*>(FBtns[vnbMaximize].get()); }
    TVeskCaptionBtn* GetBtnClose() const { return FBtns[vnbClose].get(); }

    int GetBtnTopFix() const { return FBtnTopFix; }
    void SetBtnTopFix(int Value) { FBtnTopFix = Value; }
    int GetBtnRightFix() const { return FBtnRightFix; }
    void SetBtnRightFix(int Value) { FBtnRightFix = Value; }
    TVeskFormCaption* GetFormCaption() const { return FFormCaption.get(); }
    TVeskFormClient* GetFormClient() const { return FFormClient.get(); }
    TVeskFormBorder* GetFormBorder() const { return FFormBorder.get(); }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }
    TVeskFormSkin* GetLayerSkin() const { return FLayerSkin.get(); }
    // Kept for descriptions that assign it; never fired.
    fw::TNotifyEvent OnSkinChanged;

    void Loaded() override;
    void DrawCaptionBack(fw::TCanvas* Canvas, const fw::TRect& Rect);
    void DrawClientBack(fw::TCanvas* Canvas, const fw::TRect& Rect);
    // Schedules the caption-button hint at the cursor (only while ShowHint is on).
    void ShowBtnHint(const std::wstring& Text);
    void HideBtnHint();
    TVeskNcHintWnd* GetHintWnd() const { return FHintWnd; }

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    TVeskNcHintWnd* FHintWnd = nullptr;
    std::array<std::unique_ptr<TVeskCaptionBtn>, 8> FBtns;
    int FBtnTopFix = 0;
    int FBtnRightFix = 4;
    std::unique_ptr<TVeskFormCaption> FFormCaption;
    std::unique_ptr<TVeskFormClient> FFormClient;
    std::unique_ptr<TVeskFormBorder> FFormBorder;
    bool FShowHint = true;
    std::unique_ptr<TVeskFormSkin> FLayerSkin;
};

// ---------------------------------------------------------------------------------------------
// Painters.

class TVeskCoustomPaintor;
using TOnNcBtnClick = std::function<void(TVeskCoustomPaintor* Sender, TVeskNcBtnEnum BtnId)>;
using TOnDrawBtnEvent =
    std::function<void(TVeskCoustomPaintor* Sender, TVeskNcBtnEnum BtnId, fw::TCanvas* Canvas, fw::TRect Rect)>;

// Reasons for (re)applying the hook.
enum TVeskHookReason { hrLoaded = 0, hrAttach = 1, hrResource = 2, hrResizeable = 3, hrRecreate = 4 };

class TVeskCoustomPaintor : public fw::TComponent {
public:
    FW_CLASSNAME(TVeskCoustomPaintor)
    explicit TVeskCoustomPaintor(fw::TComponent* AOwner);
    ~TVeskCoustomPaintor() override;

    bool GetResizeable() const { return FResizeable; }
    void SetResizeable(bool Value);
    TVeskNcResource* GetResource() const { return FResource; }
    void SetResource(TVeskNcResource* Value);
    TVeskShowNcBtns GetShowBtns() const { return FShowBtns; }
    void SetShowBtns(TVeskShowNcBtns Value);
    TVeskWndFixSize* GetFixSize() const { return FFixSize.get(); }
    void SetFixSize(TVeskWndFixSize* Value) { FFixSize->Assign(Value); }
    bool GetShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value) { FShowCaption = Value; }
    bool GetShowBorder() const { return FShowBorder; }
    void SetShowBorder(bool Value) { FShowBorder = Value; }
    bool GetShowClient() const { return FShowClient; }
    void SetShowClient(bool Value) { FShowClient = Value; }

    TOnNcBtnClick OnButtonClick;
    TOnDrawBtnEvent OnAfterDrawBtn;
    // Kept for descriptions that assign it; never fired.
    fw::TNotifyEvent OnUpdateNc;

    // Attaches the painter to a form (nullptr detaches and gives the form its procedure back).
    virtual void Attach(fw::TForm* Form);
    void Loaded() override;
    // The rectangle of a button in window coordinates, as of the last non-client paint.
    fw::TRect GetBtnRect(TVeskNcBtnEnum BtnId) const;
    fw::TForm* GetForm() const { return FForm; }
    bool IsHooked() const { return static_cast<bool>(FSavedWndProc); }
    // The replacement window procedure of the hooked form.
    void WndProc(fw::TMessage& Message);
    // Hit test of a point in screen coordinates.
    int NcHitTest(const fw::TPoint& ScreenPos);

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    // Composes the non-client area into the non-client bitmap.
    virtual void PaintNc(fw::TMessage& Message);
    // Prepares the client bitmap and decides whether the form erases by itself.
    virtual void PaintClient(fw::TMessage& Message);
    // The form's window context for a WM_NCPAINT: whole, or clipped to the message's region.
    fw::TWindowDC NonClientDC(const fw::TMessage& Message) const;
    void HookWindow(TVeskHookReason Reason);
    void Unhook();
    int CaptionHeight() const;
    // The outer size of the form's window.
    SIZE FormSize() const;
    bool FormMaximized() const;
    fw::TRect ClientRectInWindow() const;
    void DrawCaptionButtons(fw::TCanvas* Canvas);
    void DrawBorder(fw::TCanvas* Canvas);
    void DrawCaptionText(fw::TCanvas* Canvas);
    // The handlers of WndProc, one per message it takes over before the form's own processing.
    void WMNcCalcSize(fw::TMessage& Message);
    void WMNcHitTest(fw::TMessage& Message);
    void WMNcActivate(fw::TMessage& Message);
    void WMGetMinMaxInfo(fw::TMessage& Message);
    void WMNcMouseMove(fw::TMessage& Message);
    void WMNcLButtonDown(fw::TMessage& Message);
    void WMNcLButtonUp(fw::TMessage& Message);
    void WMNcMouseLeave(fw::TMessage& Message);
    void AfterDefault(fw::TMessage& Message);
    void HideHint();
    void RepaintNc();

    DWORD FSavedStyle = 0;
    int FFrameMetric;
    fw::TWndMethodProc FSavedWndProc;
    int FHoverCode = 0;
    int FPressedCode = 0;
    fw::TRect FTextRect;
    std::array<fw::TRect, 8> FRects{};
    bool FResizeable = true;
    TVeskNcResource* FResource = nullptr;
    TVeskShowNcBtns FShowBtns;
    std::unique_ptr<TVeskWndFixSize> FFixSize;
    bool FShowCaption = true;
    bool FShowBorder = true;
    bool FShowClient = true;
    fw::TRect FMargins;
    bool FDefaultProcessing = true;
    fw::TForm* FForm = nullptr;
    std::unique_ptr<fw::TBitmap> FNcBitmap;
    std::unique_ptr<fw::TBitmap> FClientBitmap;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TVeskNcPaintor : public TVeskCoustomPaintor {
public:
    FW_CLASSNAME(TVeskNcPaintor)
    // A painter owned by a form attaches itself to it.
    explicit TVeskNcPaintor(fw::TComponent* AOwner);

protected:
    // Composes, then copies the caption strip and the border strips into the window.
    void PaintNc(fw::TMessage& Message) override;
    // Prepares, then puts the client bitmap on the erase context.
    void PaintClient(fw::TMessage& Message) override;
};
