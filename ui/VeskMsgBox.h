// The skinned message box: a non-visual component that shows a modal dialog with an icon for the
// dialog type, a word-wrapped message and a row of PNG buttons, inside a form whose frame the
// component paints itself (it is the dialog's non-client painter while the dialog is shown).
#pragma once

#include "VeskNcPaintor.h"
#include "VeskPngButton.h"
#include "fw_forms.h"
#include "fw_png.h"
#include "fw_stdctrls.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

// Dialog types; each selects the icon of the same index in ImgMsg.
enum TMsgDlgType : uint8_t { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Message-dialog buttons; member n of a button set is bit n.
enum TMsgDlgBtn : uint8_t {
    mbYes = 0,
    mbNo = 1,
    mbOK = 2,
    mbCancel = 3,
    mbAbort = 4,
    mbRetry = 5,
    mbIgnore = 6,
    mbAll = 7,
    mbNoToAll = 8,
    mbYesToAll = 9,
    mbHelp = 10,
    mbClose = 11,
};

// A set of message-dialog buttons held in a 16-bit word.
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(TMsgDlgBtn Btn) : FBits(Bit(Btn)) {}
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> Btns) {
        for (TMsgDlgBtn b : Btns) FBits = static_cast<uint16_t>(FBits | Bit(b));
    }
    static constexpr TMsgDlgButtons FromBits(uint16_t Bits) {
        TMsgDlgButtons s;
        s.FBits = Bits;
        return s;
    }
    constexpr uint16_t Bits() const { return FBits; }
    constexpr bool Contains(TMsgDlgBtn Btn) const { return (FBits & Bit(Btn)) != 0; }
    constexpr bool operator==(const TMsgDlgButtons&) const = default;

private:
    static constexpr uint16_t Bit(TMsgDlgBtn Btn) { return static_cast<uint16_t>(1u << (Btn & 15)); }
    uint16_t FBits = 0;
};

// The dialog form of the message box, built in code.
class TMessageForm : public fw::TForm {
public:
    FW_CLASSNAME(TMessageForm)
    TMessageForm(const fw::TFormKey& Key, fw::TComponent* AOwner);

    // Esc answers with the last button's result, Enter with the first button's.
    void FormKeyDown(fw::TObject* Sender, WORD& Key, fw::TShiftState Shift);
    TVeskPngButton* GetFirstButton() const { return FFirstButton; }
    TVeskPngButton* GetLastButton() const { return FLastButton; }

private:
    friend class TVeskMsgBox;
    TVeskPngButton* FFirstButton = nullptr;
    TVeskPngButton* FLastButton = nullptr;
};

class TVeskMsgBox;

// Answers MessageDlg calls. The default shows the real modal box (TVeskMsgBox::ShowMessageForm);
// tests put their own answer here so that nobody has to press a button.
using TMessageDlgProc = std::function<int(TVeskMsgBox* Sender, const std::wstring& Caption, const std::wstring& Msg,
                                          uint8_t DlgType, TMsgDlgButtons Buttons)>;
extern TMessageDlgProc MessageDlgProc;
// Puts the real modal box back into MessageDlgProc.
void ResetMessageDlgProc();

class TVeskMsgBox : public TVeskCoustomPaintor {
public:
    FW_CLASSNAME(TVeskMsgBox)
    explicit TVeskMsgBox(fw::TComponent* AOwner);
    ~TVeskMsgBox() override;

    fw::TFont* GetFontMsg() const { return FFontMsg.get(); }
    void SetFontMsg(fw::TFont* Value) { FFontMsg->Assign(Value); }
    fw::TFont* GetFontBtn() const { return FFontBtn.get(); }
    void SetFontBtn(fw::TFont* Value) { FFontBtn->Assign(Value); }
    // The button skin: a horizontal strip of ButonStateCount frames.
    fw::TPngImage* GetImgBtn() const { return FImgBtn.get(); }
    void SetImgBtn(fw::TPngImage* Value);
    // The type icons: a strip of four frames (warning, error, information, confirmation), cut by
    // Loaded.
    fw::TPngImage* GetImgMsg() const { return FImgMsg.get(); }
    void SetImgMsg(fw::TPngImage* Value);
    int GetButonStateCount() const { return FButonStateCount; }
    void SetButonStateCount(int Value) { FButonStateCount = Value; }
    const std::wstring& GetBtnCaptionYes() const { return FBtnCaptionYes; }
    void SetBtnCaptionYes(const std::wstring& Value) { FBtnCaptionYes = Value; }
    const std::wstring& GetBtnCaptionNo() const { return FBtnCaptionNo; }
    void SetBtnCaptionNo(const std::wstring& Value) { FBtnCaptionNo = Value; }
    const std::wstring& GetBtnCaptionOk() const { return FBtnCaptionOk; }
    void SetBtnCaptionOk(const std::wstring& Value) { FBtnCaptionOk = Value; }

    // The icon of a dialog type (nullptr for a type without one).
    fw::TPngImage* GetIcon(uint8_t DlgType) const;

    // Shows the box and returns the modal result (6 Yes, 7 No, 1 OK, 2 closed). While a box of
    // this component is open, raises it and returns 2 at once. The last two arguments are not
    // read.
    int MessageDlg(const std::wstring& Caption, const std::wstring& Msg, uint8_t DlgType, TMsgDlgButtons Buttons,
                   int HelpCtx = 0, int DefaultButton = 0);
    // The real box: builds the dialog, paints its frame while it is shown modally, frees it.
    int ShowMessageForm(const std::wstring& Caption, const std::wstring& Msg, uint8_t DlgType, TMsgDlgButtons Buttons);
    // Builds the dialog form (owned by the application; the caller frees it).
    TMessageForm* CreateMessageForm(const std::wstring& Msg, uint8_t DlgType, TMsgDlgButtons Buttons);

    void Loaded() override;

protected:
    // Composes, then copies the whole non-client area (everything outside the client) at once.
    void PaintNc(fw::TMessage& Message) override;
    // Prepares, then puts the client bitmap on the erase context.
    void PaintClient(fw::TMessage& Message) override;

private:
    struct TLayout;
    void FreeIcons();
    void RaiseOpenBox();
    // The steps of CreateMessageForm.
    TLayout Layout(fw::TCanvas* Canvas, const std::wstring& Msg, const fw::TPngImage* Icon,
                   TMsgDlgButtons Buttons) const;
    RECT MeasureMessage(HDC Dc, const std::wstring& Msg, int MaxWidth) const;
    static void SizeForm(TMessageForm* Form, const TLayout& L);
    static void AddIcon(TMessageForm* Form, fw::TPngImage* Icon, const TLayout& L);
    void AddMessage(TMessageForm* Form, const std::wstring& Msg, const TLayout& L);
    void AddButtons(TMessageForm* Form, TMsgDlgButtons Buttons, const TLayout& L);
    std::unique_ptr<fw::TFont> FFontMsg;
    std::unique_ptr<fw::TFont> FFontBtn;
    std::unique_ptr<fw::TPngImage> FImgBtn;
    std::unique_ptr<fw::TPngImage> FImgMsg;
    int FButonStateCount = 4;
    std::wstring FBtnCaptionYes, FBtnCaptionNo, FBtnCaptionOk;
    std::array<TPngPtr, 4> FIcons;
};
