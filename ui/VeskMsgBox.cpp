// The skinned message box: layout of the dialog, its keys, and the frame painted by the component.
#include "VeskMsgBox.h"

#include <algorithm>

using namespace fw;

namespace {

int ShowRealBox(TVeskMsgBox* Sender, const std::wstring& Caption, const std::wstring& Msg, uint8_t DlgType,
                TMsgDlgButtons Buttons) {
    return Sender->ShowMessageForm(Caption, Msg, DlgType, Buttons);
}

// The buttons this box can caption, in the order they stand in the row.
struct TBtnKind {
    TMsgDlgBtn btn;
    int result;
};
constexpr TBtnKind kBtnKinds[] = {{mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}};

void CopyPng(TPngImage* Target, TPngImage* Source) {
    if (Source == Target) return;
    if (Source) {
        Target->Assign(Source);
    } else {
        TPngImage empty;
        Target->Assign(&empty);
    }
}

}  // namespace

TMessageDlgProc MessageDlgProc = ShowRealBox;

void ResetMessageDlgProc() { MessageDlgProc = ShowRealBox; }

// ---------------------------------------------------------------------------------------------
// TMessageForm

TMessageForm::TMessageForm(const TFormKey& Key, TComponent* AOwner) : TForm(Key, AOwner) { SetBorderIcons(0); }

void TMessageForm::FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {
    (void)Sender;
    (void)Shift;
    if (Key == VK_ESCAPE) {
        // A box without buttons still has to be closable from the keyboard.
        SetModalResult(FLastButton ? FLastButton->GetModalResult() : mrCancel);
    } else if (Key == VK_RETURN) {
        if (FFirstButton) SetModalResult(FFirstButton->GetModalResult());
    }
}

// ---------------------------------------------------------------------------------------------
// TVeskMsgBox

TVeskMsgBox::TVeskMsgBox(TComponent* AOwner)
    : TVeskCoustomPaintor(AOwner),
      FFontMsg(std::make_unique<TFont>()),
      FFontBtn(std::make_unique<TFont>()),
      FImgBtn(std::make_unique<TPngImage>()),
      FImgMsg(std::make_unique<TPngImage>()) {
    FButonStateCount = 4;
    SetShowBtns(vnbLogo | vnbClose);
    SetResizeable(false);
}

TVeskMsgBox::~TVeskMsgBox() = default;

void TVeskMsgBox::SetImgBtn(TPngImage* Value) { CopyPng(FImgBtn.get(), Value); }

void TVeskMsgBox::SetImgMsg(TPngImage* Value) { CopyPng(FImgMsg.get(), Value); }

void TVeskMsgBox::FreeIcons() {
    for (auto& i : FIcons) i.reset();
}

void TVeskMsgBox::Loaded() {
    TVeskCoustomPaintor::Loaded();
    FreeIcons();
    if (FImgMsg->GetEmpty()) return;
    for (int i = 0; i < 4; ++i) FIcons[size_t(i)] = GetStatePng(FImgMsg.get(), 4, i);
}

TPngImage* TVeskMsgBox::GetIcon(uint8_t DlgType) const {
    // Types beyond the four icons (mtCustom) show none.
    return DlgType < FIcons.size() ? FIcons[DlgType].get() : nullptr;
}

void TVeskMsgBox::RaiseOpenBox() {
    if (FForm && FForm->HandleAllocated()) BringWindowToTop(FForm->GetHandle());
}

int TVeskMsgBox::MessageDlg(const std::wstring& Caption, const std::wstring& Msg, uint8_t DlgType,
                            TMsgDlgButtons Buttons, int HelpCtx, int DefaultButton) {
    (void)HelpCtx;
    (void)DefaultButton;
    if (FForm) {
        // A box of ours is open already (a timer asked again): raise it instead of stacking.
        RaiseOpenBox();
        return mrCancel;
    }
    TMessageDlgProc proc = MessageDlgProc;
    if (!proc) return ShowMessageForm(Caption, Msg, DlgType, Buttons);
    return proc(this, Caption, Msg, DlgType, Buttons);
}

int TVeskMsgBox::ShowMessageForm(const std::wstring& Caption, const std::wstring& Msg, uint8_t DlgType,
                                 TMsgDlgButtons Buttons) {
    if (FForm) {
        RaiseOpenBox();
        return mrCancel;
    }
    // The component may be freed by a handler running inside the modal loop; the form is ours to
    // free either way.
    std::shared_ptr<bool> alive = FAlive;
    TMessageForm* form = CreateMessageForm(Msg, DlgType, Buttons);
    std::shared_ptr<bool> formAlive = form->AliveToken();
    auto finish = [&] {
        if (*alive && *formAlive) Attach(nullptr);
        if (*formAlive) form->Free();
    };
    int result = mrCancel;
    try {
        form->SetCaption(Caption);
        Attach(form);
        result = form->ShowModal();
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

TMessageForm* TVeskMsgBox::CreateMessageForm(const std::wstring& Msg, uint8_t DlgType, TMsgDlgButtons Buttons) {
    auto* form = TForm::CreateNew<TMessageForm>(Application);
    try {
        form->SetBorderStyle(bsDialog);
        form->SetPopupMode(pmAuto);
        form->SetPosition(poDesktopCenter);
        form->OnKeyDown = [form](TObject* Sender, WORD& Key, TShiftState Shift) { form->FormKeyDown(Sender, Key, Shift); };

        // The average character of the form's font sets margins and spacing.
        std::wstring letters;
        for (wchar_t c = L'A'; c <= L'Z'; ++c) letters += c;
        for (wchar_t c = L'a'; c <= L'z'; ++c) letters += c;
        TCanvas* canvas = form->GetCanvas();
        const SIZE ext = canvas->TextExtent(letters);
        const int charW = ext.cx / 52;
        const int charH = ext.cy;
        const int horzMargin = MulDiv(8, charW, 4);
        const int vertMargin = MulDiv(8, charH, 8);
        const int horzSpacing = MulDiv(10, charW, 4);
        const int vertSpacing = MulDiv(10, charH, 8);

        int n = 0;
        for (const auto& k : kBtnKinds)
            if (Buttons.Contains(k.btn)) ++n;
        const int btnHeight = FImgBtn->GetHeight();
        const int buttonWidth = FButonStateCount > 0
                                    ? static_cast<int>(RoundHalfEven(static_cast<long double>(FImgBtn->GetWidth()) /
                                                                     FButonStateCount))
                                    : 0;
        const int rowWidth = n > 0 ? buttonWidth * n + (n - 1) * horzSpacing : 0;

        // The message on one line, or wrapped to twice the button row when it is wider.
        RECT textRect{0, 0, 0, 0};
        {
            HDC dc = canvas->GetHandle();
            HGDIOBJ old = SelectObject(dc, FFontMsg->GetHandle());
            DrawTextW(dc, Msg.c_str(), static_cast<int>(Msg.size()), &textRect, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
            if (textRect.right - textRect.left > 2 * rowWidth) {
                textRect = RECT{0, 0, 2 * rowWidth, 0};
                DrawTextW(dc, Msg.c_str(), static_cast<int>(Msg.size()), &textRect,
                          DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
            }
            SelectObject(dc, old);
        }
        const int textW = textRect.right - textRect.left;
        const int textH = textRect.bottom - textRect.top;

        TPngImage* icon = GetIcon(DlgType);
        const int iconW = icon ? icon->GetWidth() : 0;
        const int iconH = icon ? icon->GetHeight() : 0;
        const int clientWidth = 2 * horzMargin + std::max(rowWidth, iconW + textW + horzSpacing);
        const int clientHeight = btnHeight + std::max(iconH, textH) + vertSpacing + 2 * vertMargin;
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
        form->SetBounds(Screen->GetWidth() / 2 - form->GetWidth() / 2, Screen->GetHeight() / 2 - form->GetHeight() / 2,
                        form->GetWidth(), form->GetHeight());

        auto* image = new TImage(form);
        image->SetName(L"Image");
        image->SetParent(form);
        if (icon) {
            TPicture pic;
            pic.Assign(icon);
            image->SetPicture(&pic);
        }
        const int iconTop = vertMargin + (textH > iconH ? (textH - iconH) / 2 : 0);
        image->SetBounds(horzMargin, iconTop, iconW, iconH);

        auto* label = new TLabel(form);
        label->SetName(L"Message");
        label->SetParent(form);
        label->SetAutoSize(false);
        label->SetWordWrap(true);
        // Over a skinned client background the label must not paint a box of its own.
        label->SetTransparent(true);
        label->SetFont(FFontMsg.get());
        label->SetCaption(Msg);
        const int textTop = vertMargin + (iconH > textH ? (iconH - textH) / 2 : 0);
        label->SetBounds(horzMargin + iconW + horzSpacing, textTop, textW, textH);

        int x = (clientWidth - rowWidth) / 2;
        const int y = vertMargin + std::max(iconH, textH) + vertSpacing;
        for (const auto& k : kBtnKinds) {
            if (!Buttons.Contains(k.btn)) continue;
            auto* b = new TVeskPngButton(form);
            b->SetParent(form);
            b->SetButtonStateCount(FButonStateCount);
            b->SetImgButton(FImgBtn.get());
            b->SetFontNormal(FFontBtn.get());
            b->SetFontOver(FFontBtn.get());
            b->SetFontDown(FFontBtn.get());
            b->SetCaption(k.btn == mbYes ? FBtnCaptionYes : k.btn == mbNo ? FBtnCaptionNo : FBtnCaptionOk);
            // The slot of the row; the prepared frame keeps it when the strip divides evenly.
            b->SetBounds(x, y, buttonWidth, btnHeight);
            b->Loaded();
            b->SetBounds(x, y, b->GetWidth(), b->GetHeight());
            x += b->GetWidth() + horzSpacing;
            b->SetModalResult(k.result);
            b->OnClick = [form, b](TObject*) { form->SetModalResult(b->GetModalResult()); };
            if (!form->FFirstButton) form->FFirstButton = b;
            form->FLastButton = b;
        }
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

void TVeskMsgBox::PaintNc(TMessage& Message) {
    // OnAfterDrawBtn, fired by the composition, may free the component.
    std::shared_ptr<bool> alive = FAlive;
    TVeskCoustomPaintor::PaintNc(Message);
    if (!*alive || !FForm || !FResource || !FNcBitmap || !FForm->HandleAllocated()) return;
    HWND h = FForm->GetHandle();
    HDC dc = Message.WParam == 1 ? GetWindowDC(h)
                                 : GetDCEx(h, reinterpret_cast<HRGN>(Message.WParam),
                                           DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_INTERSECTRGN);
    if (!dc) return;
    const TRect cr = ClientRectInWindow();
    ExcludeClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
    const SIZE ws = FormSize();
    BitBlt(dc, 0, 0, ws.cx, ws.cy, FNcBitmap->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    ReleaseDC(h, dc);
}

void TVeskMsgBox::PaintClient(TMessage& Message) {
    TVeskCoustomPaintor::PaintClient(Message);
    if (FDefaultProcessing || !FClientBitmap) return;
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    const int w = FClientBitmap->GetWidth(), h = FClientBitmap->GetHeight();
    StretchBlt(dc, 0, 0, w, h, FClientBitmap->GetCanvas()->GetHandle(), 0, 0, w, h, SRCCOPY);
    Message.Result = 1;
}
