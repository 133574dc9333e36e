#include "fw_stdctrls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

template <class E, class... Args>
void Fire(const E& ev, Args&&... args) {
    E copy = ev;  // the handler may free the sender
    if (copy) copy(std::forward<Args>(args)...);
}

void EnsureCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    done = true;
}

// Splits a text into lines at CR LF, LF or CR; a final line break does not start another line.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring cur;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

// A day number and a time of day as one value. Days before 30 Dec 1899 are negative and carry
// their time of day as a fraction going further from zero (-1.75 is 29 Dec 1899, 18:00), the
// encoding DateOf and TimeOf read.
TDateTime JoinDayAndTime(TDateTime Day, TDateTime Time) {
    return Day >= 0 ? Day + Time : Day - Time;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring s;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) s += L"\r\n";
        s += lines[i];
    }
    return s;
}

}  // namespace

// =============================================================================================
// TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FAutoSize = true;
    FWidth = 65;
    FHeight = 17;
    FControlStyle |= csOpaque;
}

void TLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    UpdateOpaque();
    Invalidate();
}

void TLabel::UpdateOpaque() {
    // Only a label that fills its whole rectangle may be repainted without its parent.
    if (!FTransparent && FColor != clNone)
        FControlStyle |= csOpaque;
    else
        FControlStyle &= ~csOpaque;
}

UINT TLabel::TextFlags() const {
    UINT f = DT_NOCLIP | DT_EXPANDTABS;
    if (FWordWrap) f |= DT_WORDBREAK;
    switch (FAlignment) {
        case taLeftJustify: f |= DT_LEFT; break;
        case taRightJustify: f |= DT_RIGHT; break;
        case taCenter: f |= DT_CENTER; break;
    }
    return DrawTextBiDiModeFlags(f);
}

SIZE TLabel::MeasureText(int WidthLimit) const {
    // An empty caption still measures one line high.
    std::wstring text = GetText();
    if (text.empty()) text = L" ";
    TWindowDC dc(nullptr);
    TSelectObject font(dc.Get(), FFont->GetHandle());
    RECT r{0, 0, FWordWrap ? std::max(WidthLimit, 1) : 0, 0};
    std::wstring buf = text;
    DrawTextW(dc.Get(), buf.data(), static_cast<int>(buf.size()), &r, TextFlags() | DT_CALCRECT);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool TLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (IsLoading()) return false;
    SIZE s = MeasureText(NewWidth);
    if (!FWordWrap) NewWidth = s.cx;
    NewHeight = s.cy;
    return true;
}

void TLabel::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    int w = FWidth, h = FHeight;
    if (!CanAutoSize(w, h)) return;
    int left = FLeft;
    // A right-aligned single-line label keeps its right edge (a left-aligned one under
    // right-to-left alignment, which mirrors it).
    if ((TextFlags() & DT_RIGHT) && !FWordWrap) left = FLeft + FWidth - w;
    SetBounds(left, FTop, w, h);
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_TEXTCHANGED:
            AdjustBounds();
            Invalidate();
            return;
        case CM_FONTCHANGED:
            TGraphicControl::WndProc(Message);
            AdjustBounds();
            return;
        case CM_COLORCHANGED:
            UpdateOpaque();
            TGraphicControl::WndProc(Message);
            return;
        default:
            TGraphicControl::WndProc(Message);
    }
}

void TLabel::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    if (!FTransparent && FColor != clNone) {
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(FColor);
        c->FillRect(r);
    }
    c->GetBrush()->SetStyle(bsClear);
    std::wstring text = GetText();
    if (text.empty()) return;
    if (!FEnabled) c->GetFont()->SetColor(clGrayText);
    UINT flags = TextFlags();
    if (FLayout != tlTop) {
        TRect calc = r;
        c->DrawText(text, calc, flags | DT_CALCRECT);
        int dy = r.Height() - calc.Height();
        if (FLayout == tlCenter) dy /= 2;
        r.Top += dy;
    }
    c->DrawText(text, r, flags);
}

// =============================================================================================
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FWidth = 105;
    FHeight = 105;
    FPicture->OnChange = [this](TObject* s) { PictureChanged(s); };
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
}

void TImage::SetPicture(TPicture* Value) {
    if (Value)
        FPicture->Assign(Value);
    else
        FPicture->SetGraphic(nullptr);
    // Assign may or may not report a change; the picture is new either way.
    PictureChanged(FPicture.get());
}

void TImage::SetStretch(bool Value) {
    if (Value == FStretch) return;
    FStretch = Value;
    Repaint();
}

void TImage::SetCenter(bool Value) {
    if (Value == FCenter) return;
    FCenter = Value;
    Repaint();
}

void TImage::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Repaint();
}

void TImage::PictureChanged(TObject* Sender) {
    (void)Sender;
    if (FAutoSize && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
        SetBounds(FLeft, FTop, FPicture->GetWidth(), FPicture->GetHeight());
    // The picture is opaque only when it is a plain bitmap covering the whole control.
    TGraphic* g = FPicture->GetGraphic();
    bool opaque = g && dynamic_cast<TBitmap*>(g) && !dynamic_cast<TBitmap32*>(g) &&
                  (FStretch || (g->GetWidth() >= FWidth && g->GetHeight() >= FHeight));
    if (opaque)
        FControlStyle |= csOpaque;
    else
        FControlStyle &= ~csOpaque;
    if (!IsLoading()) Repaint();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (FPicture->GetWidth() <= 0 || FPicture->GetHeight() <= 0) return false;
    NewWidth = FPicture->GetWidth();
    NewHeight = FPicture->GetHeight();
    return true;
}

TRect TImage::DestRect() const {
    int w = FPicture->GetWidth(), h = FPicture->GetHeight();
    if (FStretch) return Rect(0, 0, FWidth, FHeight);
    if (FCenter) {
        int x = (FWidth - w) / 2, y = (FHeight - h) / 2;
        return Bounds(x, y, w, h);
    }
    return Bounds(0, 0, w, h);
}

void TImage::Paint() {
    TGraphic* g = FPicture->GetGraphic();
    if (!g || g->GetEmpty()) return;
    GetCanvas()->StretchDraw(DestRect(), g);
}

// =============================================================================================
// TPanel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
    FColor = clBtnFace;
}

void TPanel::SetBevelOuter(TBevelCut Value) {
    if (Value == FBevelOuter) return;
    FBevelOuter = Value;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut Value) {
    if (Value == FBevelInner) return;
    FBevelInner = Value;
    Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
    if (Value == FBevelWidth || Value < 1) return;
    FBevelWidth = Value;
    Invalidate();
}

void TPanel::WndProc(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        // Paint fills the whole client area; erasing first would only flicker.
        Message.Result = 1;
        return;
    }
    TCustomControl::WndProc(Message);
}

void TPanel::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    if (FColor != clNone) {
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(FColor);
        c->FillRect(r);
    }
    HDC dc = c->GetHandle();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        for (int i = 0; i < FBevelWidth; ++i) {
            RECT rr = r;
            if (cut == bvRaised)
                DrawEdge(dc, &rr, BDR_RAISEDINNER, BF_RECT);
            else if (cut == bvLowered)
                DrawEdge(dc, &rr, BDR_SUNKENOUTER, BF_RECT);
            r.Inflate(-1, -1);
        }
    };
    bevel(FBevelOuter);
    bevel(FBevelInner);
}

// =============================================================================================
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 121;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FTabStop = true;
    FControlStyle = csClickEvents | csDoubleClicks;
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SysClassName = L"EDIT";
    Params.Style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    if (FReadOnly) Params.Style |= ES_READONLY;
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    SendMessageW(FHandle, EM_SETLIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::DestroyWnd() {
    if (FHandle) FText = GetTextValue();
    TWinControl::DestroyWnd();
}

void TCustomEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (FHandle) SendMessageW(FHandle, EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle Value) {
    if (Value != bsNone) Value = bsSingle;
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    UpdateFrameStyle();
}

void TCustomEdit::UpdateFrameStyle() {
    if (!FHandle) return;
    // Style changes go to the live window; re-creating it would lose its text and state.
    LONG_PTR ex = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
    if (FBorderStyle == bsSingle)
        ex |= WS_EX_CLIENTEDGE;
    else
        ex &= ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomEdit::SetMaxLength(int Value) {
    if (Value < 0) Value = 0;
    FMaxLength = Value;
    if (FHandle) SendMessageW(FHandle, EM_SETLIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SelectAll() {
    if (FHandle) SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

int TCustomEdit::GetSelStart() const {
    if (!FHandle) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TCustomEdit::GetSelLength() const {
    if (!FHandle) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int Value) {
    if (FHandle) SendMessageW(FHandle, EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

void TCustomEdit::SetSelLength(int Value) {
    if (!FHandle) return;
    int start = GetSelStart();
    SendMessageW(FHandle, EM_SETSEL, static_cast<WPARAM>(start), start + Value);
}

void TCustomEdit::Change() {
    Fire(OnChange, this);
}

void TCustomEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CN_COMMAND:
            if (HIWORD(Message.WParam) == EN_CHANGE) {
                Change();
                return;
            }
            break;
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORSTATIC: {
            // Read-only and disabled edits ask with WM_CTLCOLORSTATIC; both get the control's colours.
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            TColor fc = FFont->GetColor();
            ::SetTextColor(dc, ColorToRGB(fc == clNone ? clWindowText : fc));
            TColor bc = FColor == clNone ? clWindow : FColor;
            ::SetBkColor(dc, ColorToRGB(bc));
            if (!FBrush || FBrushColor != bc) {
                FBrush.Reset(CreateSolidBrush(ColorToRGB(bc)));
                FBrushColor = bc;
            }
            Message.Result = reinterpret_cast<LRESULT>(FBrush.Get());
            return;
        }
        case CM_COLORCHANGED:
            TWinControl::WndProc(Message);
            if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
            return;
        default:
            break;
    }
    TWinControl::WndProc(Message);
}

// =============================================================================================
// TMemo

// The memo's lines as a view of its text: every change is written to the text at once.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TMemo* Memo) : FMemo(Memo) {}
    int GetCount() const override { return static_cast<int>(Lines().size()); }
    std::wstring Get(int index) const override {
        auto l = Lines();
        CheckIndex(index, static_cast<int>(l.size()));
        return l[static_cast<size_t>(index)];
    }
    void Put(int index, const std::wstring& s) override {
        auto l = Lines();
        CheckIndex(index, static_cast<int>(l.size()));
        l[static_cast<size_t>(index)] = s;
        Store(l);
    }
    TObject* GetObject(int index) const override {
        CheckIndex(index, GetCount());
        return nullptr;
    }
    void PutObject(int index, TObject* obj) override { CheckIndex(index, GetCount()); }
    void Insert(int index, const std::wstring& s) override {
        auto l = Lines();
        CheckIndex(index, static_cast<int>(l.size()) + 1);
        l.insert(l.begin() + index, s);
        Store(l);
    }
    void Delete(int index) override {
        auto l = Lines();
        CheckIndex(index, static_cast<int>(l.size()));
        l.erase(l.begin() + index);
        Store(l);
    }
    void Clear() override { Store({}); }

private:
    std::vector<std::wstring> Lines() const { return SplitLines(FMemo->GetText()); }
    void Store(const std::vector<std::wstring>& l) {
        // An empty last line is kept as a final line break.
        std::wstring text = JoinLines(l);
        if (!l.empty() && l.back().empty()) text += L"\r\n";
        FMemo->SetText(text);
    }
    TMemo* FMemo;
};

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)) {
    FWidth = 185;
    FHeight = 89;
}

TMemo::~TMemo() = default;

void TMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (FWantReturns) Params.Style |= ES_WANTRETURN;
    if (FWordWrap)
        Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (!FHandle) return;
    LONG_PTR st = GetWindowLongPtrW(FHandle, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL);
    if (Value == ssVertical || Value == ssBoth) st |= WS_VSCROLL;
    if (Value == ssHorizontal || Value == ssBoth) st |= WS_HSCROLL;
    SetWindowLongPtrW(FHandle, GWL_STYLE, st);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMemo::SetWordWrap(bool Value) {
    // Wrapping is a creation style of the system edit; it applies to the window made next.
    FWordWrap = Value;
}

void TMemo::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(Message);
        if (!FWantReturns) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::WndProc(Message);
}

// =============================================================================================
// TComboBox

// The items: kept here while there is no window, mirrored into the window's list when there is.
class TComboBoxStrings : public TStrings {
public:
    explicit TComboBoxStrings(TComboBox* Combo) : FCombo(Combo) {}
    int GetCount() const override { return static_cast<int>(FItems.size()); }
    std::wstring Get(int index) const override {
        CheckIndex(index, GetCount());
        return FItems[static_cast<size_t>(index)].s;
    }
    void Put(int index, const std::wstring& s) override {
        CheckIndex(index, GetCount());
        int sel = FCombo->GetItemIndex();
        Delete(index);
        Insert(index, s);
        if (sel == index) FCombo->SetItemIndex(sel);
    }
    TObject* GetObject(int index) const override {
        CheckIndex(index, GetCount());
        return FItems[static_cast<size_t>(index)].obj;
    }
    void PutObject(int index, TObject* obj) override {
        CheckIndex(index, GetCount());
        FItems[static_cast<size_t>(index)].obj = obj;
    }
    void Insert(int index, const std::wstring& s) override {
        CheckIndex(index, GetCount() + 1);
        FItems.insert(FItems.begin() + index, Item{s, nullptr});
        if (FCombo->FHandle)
            SendMessageW(FCombo->FHandle, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
        else if (FCombo->FItemIndex >= index && !FCombo->IsLoading())
            ++FCombo->FItemIndex;
    }
    void Delete(int index) override {
        CheckIndex(index, GetCount());
        FItems.erase(FItems.begin() + index);
        if (FCombo->FHandle) {
            SendMessageW(FCombo->FHandle, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        } else if (FCombo->IsLoading()) {
            // The index read from the description is applied in Loaded, to the final items.
        } else if (FCombo->FItemIndex == index) {
            FCombo->FItemIndex = -1;
        } else if (FCombo->FItemIndex > index) {
            --FCombo->FItemIndex;
        }
    }
    void Clear() override {
        FItems.clear();
        if (!FCombo->IsLoading()) FCombo->FItemIndex = -1;
        if (FCombo->FHandle) SendMessageW(FCombo->FHandle, CB_RESETCONTENT, 0, 0);
    }
    // Fills a new window's list.
    void Fill() {
        for (const Item& i : FItems)
            SendMessageW(FCombo->FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(i.s.c_str()));
    }

private:
    struct Item {
        std::wstring s;
        TObject* obj;
    };
    TComboBox* FCombo;
    std::vector<Item> FItems;
};

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TComboBoxStrings>(this)) {
    FWidth = 145;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FTabStop = true;
    FControlStyle = csClickEvents | csDoubleClicks;
}

TComboBox::~TComboBox() = default;

void TComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SysClassName = L"COMBOBOX";
    Params.Style |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (FStyle) {
        case csDropDown: Params.Style |= CBS_DROPDOWN; break;
        case csSimple: Params.Style |= CBS_SIMPLE; break;
        case csDropDownList: Params.Style |= CBS_DROPDOWNLIST; break;
    }
    // The window's height includes the dropped-down list; the closed box takes its own height
    // from the font.
    if (FStyle != csSimple) Params.Height = FHeight + FDropDownCount * 16 + 2;
}

void TComboBox::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    static_cast<TComboBoxStrings*>(FItems.get())->Fill();
    if (FItemIndex >= 0) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    if (FStyle == csDropDown && !FText.empty() && FItemIndex < 0) SetWindowTextW(FHandle, FText.c_str());
}

void TComboBox::DestroyWnd() {
    if (FHandle) {
        FItemIndex = static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
        if (FStyle == csDropDown) FText = GetTextValue();
    }
    TWinControl::DestroyWnd();
}

int TComboBox::GetItemIndex() const {
    if (FHandle) return static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
    return FItemIndex;
}

void TComboBox::SetItemIndex(int Value) {
    if (IsLoading()) {
        // A description may give the index before the items: kept as read, applied in Loaded.
        FItemIndex = Value;
        return;
    }
    if (Value < -1 || Value >= FItems->Count()) Value = -1;
    FItemIndex = Value;
    // CB_SETCURSEL sends no CBN_SELCHANGE: a selection made in code fires nothing.
    if (FHandle) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TComboBox::Loaded() {
    TWinControl::Loaded();
    SetItemIndex(FItemIndex);
}

bool TComboBox::GetDroppedDown() const {
    return FHandle && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBox::SetDroppedDown(bool Value) {
    if (FHandle) SendMessageW(FHandle, CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

void TComboBox::Change() {
    Fire(OnChange, this);
}

void TComboBox::WndProc(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        switch (HIWORD(Message.WParam)) {
            case CBN_SELCHANGE:
                FItemIndex = GetItemIndex();
                Change();
                return;
            case CBN_DROPDOWN:
                Fire(OnDropDown, this);
                return;
            case CBN_CLOSEUP:
                Fire(OnCloseUp, this);
                return;
            default:
                break;
        }
    }
    TWinControl::WndProc(Message);
}

// =============================================================================================
// TDateTimePicker

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner), FDateTime(Now()) {
    FWidth = 186;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FTabStop = true;
    FControlStyle = csClickEvents | csDoubleClicks;
}

void TDateTimePicker::CreateParams(TCreateParams& Params) {
    EnsureCommonControls();
    TWinControl::CreateParams(Params);
    Params.SysClassName = DATETIMEPICK_CLASSW;
    Params.Style |= WS_TABSTOP;
    if (FKind == dtkTime)
        Params.Style |= DTS_TIMEFORMAT;  // includes the up-down control
    else if (FDateMode == dmUpDown)
        Params.Style |= DTS_UPDOWN;
    else
        Params.Style |= DTS_SHORTDATEFORMAT;
}

void TDateTimePicker::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    PushValue();
}

void TDateTimePicker::DestroyWnd() {
    if (FHandle) FDateTime = GetDateTime();
    TWinControl::DestroyWnd();
}

void TDateTimePicker::SetKind(TDateTimeKind Value) {
    if (Value == FKind) return;
    FKind = Value;
    if (!FHandle) return;
    // Switching between date and time format is a style the control reads at any time.
    LONG_PTR st = GetWindowLongPtrW(FHandle, GWL_STYLE) & ~static_cast<LONG_PTR>(DTS_TIMEFORMAT | DTS_UPDOWN);
    if (Value == dtkTime)
        st |= DTS_TIMEFORMAT;
    else if (FDateMode == dmUpDown)
        st |= DTS_UPDOWN;
    SetWindowLongPtrW(FHandle, GWL_STYLE, st);
    SendMessageW(FHandle, DTM_SETFORMATW, 0, 0);  // back to the default format of the new style
    PushValue();
}

void TDateTimePicker::PushValue() {
    if (!FHandle) return;
    TDateTime v = FDateTime;
    // A time picker always shows a real day: a bare time of day goes with today's date.
    if (FKind == dtkTime && DateOf(v) == 0) v = JoinDayAndTime(Date(), TimeOf(v));
    SYSTEMTIME st = DateTimeToSystemTime(v);
    SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::GetDateTime() const {
    if (FHandle) {
        SYSTEMTIME st{};
        if (SendMessageW(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
            return SystemTimeToDateTime(st);
    }
    return FDateTime;
}

void TDateTimePicker::SetDateTime(TDateTime Value) {
    FDateTime = Value;
    if (FKind == dtkTime && DateOf(FDateTime) == 0) FDateTime = JoinDayAndTime(Date(), TimeOf(Value));
    PushValue();
}

TDateTime TDateTimePicker::GetDate() const {
    return DateOf(GetDateTime());
}

void TDateTimePicker::SetDate(TDateTime Value) {
    TDateTime cur = GetDateTime();
    SetDateTime(JoinDayAndTime(DateOf(Value), TimeOf(cur)));
}

TDateTime TDateTimePicker::GetTime() const {
    TDateTime v = GetDateTime();
    return TimeOf(v);
}

void TDateTimePicker::SetTime(TDateTime Value) {
    TDateTime day = DateOf(GetDateTime());
    if (day == 0) day = Date();
    SetDateTime(JoinDayAndTime(day, TimeOf(Value)));
}

void TDateTimePicker::WndProc(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
        if (hdr->code == DTN_DATETIMECHANGE) {
            FDateTime = GetDateTime();
            Fire(OnChange, this);
            Message.Result = 0;
            return;
        }
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
