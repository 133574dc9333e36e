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

// Width and height of the average letter in the canvas's current font.
SIZE AverageCharSize(TCanvas* Canvas) {
    std::wstring letters;
    for (wchar_t c = L'A'; c <= L'Z'; ++c) letters += c;
    for (wchar_t c = L'a'; c <= L'z'; ++c) letters += c;
    const SIZE ext = Canvas->TextExtent(letters);
    return SIZE{ext.cx / 52, ext.cy};
}

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

// The sizes the dialog is laid out with, all in client pixels.
struct TVeskMsgBox::TLayout {
    int horzMargin, vertMargin, horzSpacing, vertSpacing;
    int buttonWidth, buttonHeight, rowWidth;
    int iconW, iconH;
    int textW, textH;
    int clientWidth, clientHeight;
};

TMessageForm* TVeskMsgBox::CreateMessageForm(const std::wstring& Msg, uint8_t DlgType, TMsgDlgButtons Buttons) {
    auto* form = TForm::CreateNew<TMessageForm>(Application);
    try {
        form->SetBiDiMode(Application->GetBiDiMode());
        form->SetBorderStyle(bsDialog);
        form->SetPopupMode(pmAuto);
        form->SetPosition(poDesktopCenter);
        form->OnKeyDown = [form](TObject* Sender, WORD& Key, TShiftState Shift) { form->FormKeyDown(Sender, Key, Shift); };
        TPngImage* icon = GetIcon(DlgType);
        const TLayout l = Layout(form->GetCanvas(), Msg, icon, Buttons);
        SizeForm(form, l);
        AddIcon(form, icon, l);
        AddMessage(form, Msg, l);
        AddButtons(form, Buttons, l);
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

TVeskMsgBox::TLayout TVeskMsgBox::Layout(TCanvas* Canvas, const std::wstring& Msg, const TPngImage* Icon,
                                         TMsgDlgButtons Buttons) const {
    TLayout l{};
    // The average character of the form's font sets margins and spacing.
    const SIZE ch = AverageCharSize(Canvas);
    const int charW = ch.cx;
    const int charH = ch.cy;
    l.horzMargin = MulDiv(8, charW, 4);
    l.vertMargin = MulDiv(8, charH, 8);
    l.horzSpacing = MulDiv(10, charW, 4);
    l.vertSpacing = MulDiv(10, charH, 8);

    int n = 0;
    for (const auto& k : kBtnKinds)
        if (Buttons.Contains(k.btn)) ++n;
    l.buttonHeight = FImgBtn->GetHeight();
    l.buttonWidth = FButonStateCount > 0 ? static_cast<int>(RoundHalfEven(
                                               static_cast<long double>(FImgBtn->GetWidth()) / FButonStateCount))
                                         : 0;
    l.rowWidth = n > 0 ? l.buttonWidth * n + (n - 1) * l.horzSpacing : 0;

    const RECT textRect = MeasureMessage(Canvas->GetHandle(), Msg, 2 * l.rowWidth);
    l.textW = textRect.right - textRect.left;
    l.textH = textRect.bottom - textRect.top;
    l.iconW = Icon ? Icon->GetWidth() : 0;
    l.iconH = Icon ? Icon->GetHeight() : 0;
    l.clientWidth = 2 * l.horzMargin + std::max(l.rowWidth, l.iconW + l.textW + l.horzSpacing);
    l.clientHeight = l.buttonHeight + std::max(l.iconH, l.textH) + l.vertSpacing + 2 * l.vertMargin;
    return l;
}

RECT TVeskMsgBox::MeasureMessage(HDC Dc, const std::wstring& Msg, int MaxWidth) const {
    // The message on one line, or wrapped to MaxWidth (twice the button row) when it is wider.
    RECT r{0, 0, 0, 0};
    TSelectObject font(Dc, FFontMsg->GetHandle());
    DrawTextW(Dc, Msg.c_str(), static_cast<int>(Msg.size()), &r, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    if (r.right - r.left > MaxWidth) {
        r = RECT{0, 0, MaxWidth, 0};
        DrawTextW(Dc, Msg.c_str(), static_cast<int>(Msg.size()), &r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    }
    return r;
}

void TVeskMsgBox::SizeForm(TMessageForm* Form, const TLayout& L) {
    Form->SetClientWidth(L.clientWidth);
    Form->SetClientHeight(L.clientHeight);
    Form->SetBounds(Screen->GetWidth() / 2 - Form->GetWidth() / 2, Screen->GetHeight() / 2 - Form->GetHeight() / 2,
                    Form->GetWidth(), Form->GetHeight());
}

void TVeskMsgBox::AddIcon(TMessageForm* Form, TPngImage* Icon, const TLayout& L) {
    auto* image = new TImage(Form);
    image->SetName(L"Image");
    image->SetParent(Form);
    if (Icon) {
        TPicture pic;
        pic.Assign(Icon);
        image->SetPicture(&pic);
    }
    const int iconTop = L.vertMargin + (L.textH > L.iconH ? (L.textH - L.iconH) / 2 : 0);
    image->SetBounds(L.horzMargin, iconTop, L.iconW, L.iconH);
}

void TVeskMsgBox::AddMessage(TMessageForm* Form, const std::wstring& Msg, const TLayout& L) {
    auto* label = new TLabel(Form);
    label->SetName(L"Message");
    label->SetParent(Form);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    // Over a skinned client background the label must not paint a box of its own.
    label->SetTransparent(true);
    label->SetFont(FFontMsg.get());
    label->SetCaption(Msg);
    const int textTop = L.vertMargin + (L.iconH > L.textH ? (L.iconH - L.textH) / 2 : 0);
    label->SetBounds(L.horzMargin + L.iconW + L.horzSpacing, textTop, L.textW, L.textH);
}

void TVeskMsgBox::AddButtons(TMessageForm* Form, TMsgDlgButtons Buttons, const TLayout& L) {
    int x = (L.clientWidth - L.rowWidth) / 2;
    const int y = L.vertMargin + std::max(L.iconH, L.textH) + L.vertSpacing;
    for (const auto& k : kBtnKinds) {
        if (!Buttons.Contains(k.btn)) continue;
        auto* b = new TVeskPngButton(Form);
        b->SetParent(Form);
        b->SetButtonStateCount(FButonStateCount);
        b->SetImgButton(FImgBtn.get());
        b->SetFontNormal(FFontBtn.get());
        b->SetFontOver(FFontBtn.get());
        b->SetFontDown(FFontBtn.get());
        b->SetCaption(k.btn == mbYes ? FBtnCaptionYes : k.btn == mbNo ? FBtnCaptionNo : FBtnCaptionOk);
        // The slot of the row; the prepared frame keeps it when the strip divides evenly.
        b->SetBounds(x, y, L.buttonWidth, L.buttonHeight);
        b->Loaded();
        b->SetBounds(x, y, b->GetWidth(), b->GetHeight());
        x += b->GetWidth() + L.horzSpacing;
        b->SetModalResult(k.result);
        b->OnClick = [Form, b](TObject*) { Form->SetModalResult(b->GetModalResult()); };
        if (!Form->FFirstButton) Form->FFirstButton = b;
        Form->FLastButton = b;
    }
}

void TVeskMsgBox::PaintNc(TMessage& Message) {
    // OnAfterDrawBtn, fired by the composition, may free the component.
    std::shared_ptr<bool> alive = FAlive;
    TVeskCoustomPaintor::PaintNc(Message);
    if (!*alive || !FForm || !FResource || !FNcBitmap || !FForm->HandleAllocated()) return;
    TWindowDC ncDC = NonClientDC(Message);
    HDC dc = ncDC.Get();
    if (!dc) return;
    const TRect cr = ClientRectInWindow();
    ExcludeClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
    const SIZE ws = FormSize();
    BitBlt(dc, 0, 0, ws.cx, ws.cy, FNcBitmap->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TVeskMsgBox::PaintClient(TMessage& Message) {
    TVeskCoustomPaintor::PaintClient(Message);
    if (FDefaultProcessing || !FClientBitmap) return;
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    const int w = FClientBitmap->GetWidth(), h = FClientBitmap->GetHeight();
    StretchBlt(dc, 0, 0, w, h, FClientBitmap->GetCanvas()->GetHandle(), 0, 0, w, h, SRCCOPY);
    Message.Result = 1;
}
