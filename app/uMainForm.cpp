#include "uMainForm.h"

#include <algorithm>
#include <cstdlib>

#include "PublicFuns.h"
#include "RepeatRules.h"
#include "VeskLabel.h"
#include "fw_datetime.h"
#include "fw_formload.h"
#include "fw_png.h"
#include "PublicFunsReg.h"
#include "fw_shortcuts.h"
#include "uMain.h"
#include "uOnlineServices.h"
#include "uRemindDlg.h"

#include <shellapi.h>

#include <exception>

using namespace fw;

TfrmView* frmView = nullptr;

namespace {

// Pictures of imgStorage, by index.
enum {
    picEmptyUnfinished = 0,
    picEmptyArrow = 1,
    picEmptyCompleted = 2,
    picRecover = 3,
    picFinish = 4,
    picDelete = 5,
    picDetails = 6,
    picTestIdle = 7,
    picTestPlaying = 8,
};

const wchar_t kDefaultVoice[] = L"default.mp3";
const wchar_t kKeyPrefix[] = L"TfrmZUBMain";
// The text when no language source has the message ("please select at least one item").
const wchar_t kNoneSelectedDefault[] = L"\u8BF7\u81F3\u5C11\u9009\u62E9\u4E00\u9879";

std::wstring Tr(const std::wstring& Key, const std::wstring& Default) {
    return GetLangString(L"Translation", Key, Default);
}

void ShellExecuteMail(HWND Owner, const std::wstring& Verb, const std::wstring& File) {
    ShellExecuteW(Owner, Verb.c_str(), File.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Percent-encodes a text for a "mailto:" field (its UTF-8 bytes; only unreserved characters stay
// as they are): a mail handler's command line would otherwise be cut at the first quote or blank.
std::wstring MailtoEncode(const std::wstring& Text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (unsigned char b : WideToUtf8(Text)) {
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
            b == '_' || b == '~') {
            out += static_cast<wchar_t>(b);
        } else {
            out += L'%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

TShareMailLauncher& ShareMailLauncher() {
    static TShareMailLauncher l = ShellExecuteMail;
    return l;
}

// The same file, however the two names are spelt (relative, other case, short or long form).
bool SameFile(const std::wstring& A, const std::wstring& B) {
    auto full = [](const std::wstring& Name) {
        std::wstring buf(32768, L'\0');
        DWORD n = GetFullPathNameW(Name.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
        std::wstring path = n > 0 && n < buf.size() ? buf.substr(0, n) : Name;
        n = GetLongPathNameW(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n > 0 && n < buf.size()) path = buf.substr(0, n);
        return path;
    };
    return CompareText(full(A), full(B)) == 0;
}

// The language file name of a language file path: its name without the extension.
std::wstring LanguageNameOf(const std::wstring& Path) {
    std::wstring name = Path.substr(Path.find_last_of(L"\\/") == std::wstring::npos ? 0 : Path.find_last_of(L"\\/") + 1);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// The rule and time-left texts of the reminders are made in the language of their time: a
// switch of the language makes them again, and the list shows them at once rather than at its
// next rebuild.
void RenewReminderTexts(TfrmView& View) {
    if (!RemindFile) return;
    const fw::TDateTime now = fw::Now();
    for (TRmRecordStruct* r : RemindFile->Records) {
        r->DisplayText = View.FormatListText(r);
        if (!r->TimeLeftText.empty()) r->TimeLeftText = FormatTimeLeft(r->NextDue, now);
    }
    View.RepaintList();
}

// Posted by the visible window to itself when it is shown.
constexpr UINT kRestackNotice = WM_APP + 0x2A1;

// The notice window is topmost, yet a desktop that stacks windows in the order they are put on
// the screen shows a window shown after it over it: Wine's X11 desktop follows the order of
// Windows only for a window that becomes the first one, and leaves a window shown later on top of
// those shown before. So at a start with missed reminders the notice window came first and the
// visible window then covered its button. Putting the notice window on the screen again, without
// activating it, stacks it over this window there; reordering it does not (it is the first window
// already, and its own position handling keeps it topmost). The desktop may still raise this
// window while putting it up after the message that asks for this, so it is done once more a
// moment later. On Windows the notice window is on top already.
void RestackNotice() {
    if (!frmRemindDlg || !frmRemindDlg->HandleAllocated()) return;
    HWND h = frmRemindDlg->GetHandle();
    if (!IsWindowVisible(h)) return;
    ShowWindow(h, SW_HIDE);
    ShowWindow(h, SW_SHOWNOACTIVATE);
}

}  // namespace

void SetShareMailLauncher(TShareMailLauncher Launcher) {
    ShareMailLauncher() = Launcher ? std::move(Launcher) : TShareMailLauncher(ShellExecuteMail);
}

TfrmView::~TfrmView() {
    if (frmView == this) frmView = nullptr;
    SetRemindDlgListView(nullptr);
}

void TfrmView::DoDestroying() {
    StopTestSound();
    // The notice window and the shared frame must not point into a window that is going.
    SetRemindDlgListView(nullptr);
    if (SharedNcResource() == vkncrsrc1) SetSharedNcResource(nullptr);
    Timer1->SetEnabled(false);
    RemoveAppMessage();
    TfrmBase::DoDestroying();
}

// ---------------------------------------------------------------------------------------------
// Creation and language.

void TfrmView::FormCreate(TObject* Sender) {
    if (!frmView) frmView = this;
    TfrmBase::FormCreate(Sender);  // applies the language
    SetSharedNcResource(vkncrsrc1);

    FClock = std::make_unique<TSystemReminderClock>();
    FAnnouncer = std::make_unique<TRemindDlgAnnouncer>();
    FWriter = std::make_unique<TRemindFileWriter>(*RemindFile);
    FWriter->OnWriteError = [this](const std::wstring& Message) {
        msgdlg->MessageDlg(Tr(L"Confirm", L"Confirm"), Message, mtWarning, mbOK);
    };
    FScheduler = std::make_unique<TReminderScheduler>(*RemindFile, *FClock, *FAnnouncer, *this, *FWriter);
    FScheduler->SetInterval(static_cast<int>(Timer1->GetInterval()));
    SetRemindDlgListView(this);
    // The update check asks its question in this window's box.
    OnlineServices().SetUpdateMsgBox(msgdlg);

    // Reminders that fell due while the program was not running.
    FScheduler->CatchUpMissed();

    // Every queued message of the program passes here, so the menu's shortcuts work from each
    // of its windows.
    Application->OnMessage = [this](MSG& Msg, bool& Handled) { AppMessage(Msg, Handled); };
    FAppMessageSet = true;

    // The editor waits right of the list, in the same size.
    pnlDetails->SetBounds(pnlList->GetLeft() + pnlList->GetWidth(), pnlList->GetTop(), pnlList->GetWidth(),
                          pnlList->GetHeight());
    pnlDetails->SetVisible(false);

    TVeskCheckBox* week[7] = {ckbSundy, ckbMonday, ckbTuesday, ckbWednesday, ckbThursday, ckbFriday, ckbSaturday};
    // Every day box draws from the one skin the description gives ckbM1.
    auto takeSkin = [this](TVeskCheckBox* Box) {
        Box->SetImgCheckBox(ckbM1->GetImgCheckBox());
        Box->PrepareImages();
        Box->Invalidate();
    };
    for (int i = 0; i < 7; ++i) {
        WeekBoxes[i] = week[i];
        week[i]->SetCaption(GetShortDayName(i + 1));
        takeSkin(week[i]);
    }
    TVeskCheckBox* month[31] = {ckbM1,  ckbM2,  ckbM3,  ckbM4,  ckbM5,  ckbM6,  ckbM7,  ckbM8,  ckbM9,  ckbM10, ckbM11,
                                ckbM12, ckbM13, ckbM14, ckbM15, ckbM16, ckbM17, ckbM18, ckbM19, ckbM20, ckbM21, ckbM22,
                                ckbM23, ckbM24, ckbM25, ckbM26, ckbM27, ckbM28, ckbM29, ckbM30, ckbM31};
    std::copy(month, month + 31, MonthBoxes);
    for (int i = 1; i < 31; ++i) takeSkin(MonthBoxes[i]);

    OnlineServices().StartAd(imgad, this);

    btnUnfinish1Click(btnUnfinish);
}

void TfrmView::FormShow(TObject* Sender) {
    (void)Sender;
    // Settings not read yet ask for nothing (StoreLoaded does, once they are read).
    if (Config.AutoUpdate && RemindFile && RemindFile->Loaded()) OnlineServices().StartUpdateCheck(true);
    // Once this window is on the screen (the message comes after the showing), the notice window
    // is stacked over it again.
    if (HandleAllocated()) PostMessageW(GetHandle(), kRestackNotice, 0, 0);
}

void TfrmView::StoreLoaded() {
    FScheduler->CatchUpMissed();
    RenewList();
    if (GetVisible() && Config.AutoUpdate) OnlineServices().StartUpdateCheck(true);
}

void TfrmView::FormClose(TObject* Sender, TCloseAction& Action) {
    (void)Sender;
    Action = caHide;
    if (!ActiveReminderLeft() && frmZUBMain) frmZUBMain->Close();
}

void TfrmView::FormDestroy(TObject* Sender) {
    (void)Sender;
    RemoveAppMessage();
}

void TfrmView::RemoveAppMessage() {
    if (!FAppMessageSet) return;
    FAppMessageSet = false;
    if (Application) Application->OnMessage = nullptr;
}

bool TfrmView::ActiveReminderLeft() {
    if (frmZUBMain) return frmZUBMain->HasActiveReminder();
    if (!RemindFile) return false;
    return std::any_of(RemindFile->Records.begin(), RemindFile->Records.end(),
                       [](const TRmRecordStruct* r) { return IsReminderActive(*r); });
}

void TfrmView::WMSysCommand(TMessage& Message) {
    const WPARAM command = Message.WParam & 0xFFF0;
    if (command == SC_MINIMIZE || (command == SC_CLOSE && ActiveReminderLeft())) {
        Hide();
        Message.Result = 0;
        return;
    }
    TfrmBase::WndProc(Message);
}

void TfrmView::ApplyLanguage() {
    TFont* wf = GetFont();
    wf->SetCharset(GetLangCharset());
    wf->SetName(GetLangFontName());
    wf->SetSize(GetLangFontSize());
    const std::wstring prefix = kKeyPrefix;
    SetCaption(Tr(prefix + L".Caption", GetCaption()));
    for (int i = 0; i < GetComponentCount(); ++i) {
        TComponent* c = GetComponent(i);
        const std::wstring key = prefix + L"." + c->GetName() + L".caption";
        if (auto* btn = dynamic_cast<TVeskPngButton*>(c)) {
            TFont* fonts[] = {btn->GetFontNormal(),  btn->GetFontOver(),  btn->GetFontDown(),
                              btn->GetFontDisable(), btn->GetFontFocus(), btn->GetFontSelect()};
            for (TFont* f : fonts) AssignFontFace(f, wf);
            btn->SetCaption(Tr(key, btn->GetCaption()));
            if (btn->GetFontNormal()->GetStyle() & fsBold) {
                const int offset = static_cast<int>(btn->GetTag());
                for (TFont* f : fonts) f->SetSize(f->GetSize() + offset);
            }
            btn->Invalidate();
        } else if (auto* lbl = dynamic_cast<TLabel*>(c)) {
            AssignFontFace(lbl->GetFont(), wf);
            lbl->SetCaption(Tr(key, lbl->GetCaption()));
            lbl->Perform(CM_TEXTCHANGED, 0, 0);
            if (lbl->GetFont()->GetStyle() & fsBold) lbl->GetFont()->SetSize(static_cast<int>(lbl->GetTag()) + wf->GetSize());
        } else if (auto* vlbl = dynamic_cast<TVeskCustomLabel*>(c)) {
            AssignFontFace(vlbl->GetFont(), wf);
            vlbl->SetCaption(Tr(key, vlbl->GetCaption()));
            vlbl->Perform(CM_TEXTCHANGED, 0, 0);
            if (vlbl->GetFont()->GetStyle() & fsBold)
                vlbl->GetFont()->SetSize(static_cast<int>(vlbl->GetTag()) + wf->GetSize());
        }
    }
    btnUnfinish->GetFontNormal()->SetColor(clWhite);
    btnCompleted->GetFontNormal()->SetColor(clWhite);
    txCaption->GetFont()->SetSize(12);
    lbl2->GetFont()->SetColor(clWhite);
    btn1->SetHint(Tr(prefix + L".imgf.hint", L""));
    btn2->SetHint(Tr(prefix + L".imgt.hint", L""));
    btn3->SetHint(Tr(prefix + L".imgmail.hint", L""));
    btn4->SetHint(Tr(prefix + L".imghome.hint", L""));
    txCaption->SetCaption(ListMode() == 1 ? btnCompleted->GetCaption() : btnUnfinish->GetCaption());

    const int period = cbPeriod->GetIndex();
    cbPeriod->ClearItems();
    for (int n = 1; n <= 5; ++n)
        cbPeriod->AddItem()->SetCaption(Tr(prefix + L".cbPeriod.Item" + std::to_wstring(n), L"item"));
    const int voice = cbbVoice->GetIndex();
    cbbVoice->ClearItems();
    for (int n = 1; n <= 3; ++n)
        cbbVoice->AddItem()->SetCaption(Tr(prefix + L".cbbVoice.Item" + std::to_wstring(n), L"item"));
    // Keep the choices, now in the new words.
    if (period >= 0) cbPeriod->SetIndex(period);
    if (voice >= 0) cbbVoice->SetIndex(voice);

    msgdlg->SetBtnCaptionNo(Tr(L"msgdlg.btnNO", L"No"));
    msgdlg->SetBtnCaptionYes(Tr(L"msgdlg.btnYes", L"Yes"));
    msgdlg->SetBtnCaptionOk(Tr(L"msgdlg.btnOk", L"Ok"));
    // Replaced rather than formatted: a translation with other format codes cannot break it.
    lbl2->SetCaption(StringReplace(lbl2->GetCaption(), L"%s", AppVersionText()));
    BuildMainMenu();
}

// ---------------------------------------------------------------------------------------------
// The menus.

void TfrmView::BuildMainMenu() {
    const std::wstring prefix = kKeyPrefix;
    FLanguageItems.clear();
    ppmTrayIcon->ClearItems();
    const TNotifyEvent command = [](TObject* S) {
        if (frmZUBMain) frmZUBMain->MenuItemClick(S);
    };
    const TNotifyEvent language = [this](TObject* S) { LanguageItemClick(S); };
    for (int n = 1; n <= 10; ++n) {
        auto* item = new TVeskMenuItem;
        item->SetCaption(Tr(prefix + L".TrayMenuItem" + std::to_wstring(n), L""));
        item->SetTag(n);
        item->OnClick = command;
        switch (n) {
            case mcOnlineHelp:
                // Before the insertion, which registers the menu's shortcuts.
                item->SetShortCut(TextToShortCut(L"F1"));
                break;
            case mcAutoUpdate:
                item->SetChecked(Config.AutoUpdate);
                break;
            case mcCheckNews:
                item->SetChecked(Config.CheckNews);
                break;
            case mcStartWithWindows:
                item->SetChecked(RegValueExists(HKEY_CURRENT_USER, RunKeyPath, RunValueName, true));
                break;
            case mcLanguage: {
                TStringList names;
                ListLanguageFiles(names);
                // The active language is the file LangFile names; a name merely contained in the
                // path ("English" in "EnglishUK.ini") would mark a second item of the group.
                const std::wstring active = LanguageNameOf(LangFile);
                for (int i = 0; i < names.Count(); ++i) {
                    auto* sub = new TVeskMenuItem;
                    sub->SetCaption(LanguageDisplayName(names[i]));
                    sub->SetAutoCheck(true);
                    sub->SetRadioItem(true);
                    sub->SetGroupIndex(1);
                    sub->SetChecked(CompareText(names[i], active) == 0);
                    sub->OnClick = language;
                    item->InsertItem(sub);
                    FLanguageItems.emplace_back(sub, names[i]);
                }
                auto* translate = new TVeskMenuItem;
                translate->SetCaption(Tr(L"GetLang", L"Translate into..."));
                translate->SetTag(TranslateItemTag);
                translate->OnClick = language;
                item->InsertItem(translate);
                break;
            }
            default:
                break;
        }
        ppmTrayIcon->InsertItem(item);
    }
    auto line = [] {
        auto* item = new TVeskMenuItem;
        item->SetCaption(L"-");
        return item;
    };
    ppmTrayIcon->InsertItem(line(), 4);
    ppmTrayIcon->InsertItem(line(), 8);

    qzpmn1->ClearItems();
    const TNotifyEvent file = [this](TObject* S) { FileMenuClick(S); };
    const wchar_t* fileItems[] = {L"Backup", L"Restore"};
    for (int n = 1; n <= 2; ++n) {
        auto* item = new TVeskMenuItem;
        item->SetCaption(Tr(prefix + L".qzpmn.item" + std::to_wstring(n), fileItems[n - 1]));
        item->SetTag(n);
        item->OnClick = file;
        qzpmn1->InsertItem(item);
    }
}

std::wstring TfrmView::LanguageOfItem(const TVeskMenuItem* Item) const {
    for (const auto& [item, name] : FLanguageItems)
        if (item == Item) return name;
    return L"";
}

void TfrmView::LanguageItemClick(TObject* Sender) {
    auto* item = dynamic_cast<TVeskMenuItem*>(Sender);
    if (!item) return;
    if (item->GetTag() == TranslateItemTag) {
        OpenUrl(nullptr, TranslatePageUrl);
        return;
    }
    // The menu has toggled the item already: clicking the active language unchecks it only.
    const std::wstring name = LanguageOfItem(item);
    if (!item->GetChecked() || name.empty()) return;
    Config.Language = name;
    // The language is switched also when the setting cannot be written; the failure is
    // reported once the window speaks the new language.
    std::exception_ptr saveFailure;
    try {
        if (RemindFile) RemindFile->SaveConfig();
    } catch (...) {
        saveFailure = std::current_exception();
    }
    LangFile = AppDir() + L"Languages\\" + name + L".ini";
    LoadLangFile();
    ApplyLanguage();  // rebuilds the menus: the item is gone from here on
    if (frmZUBMain) frmZUBMain->ApplyLanguage();
    RenewReminderTexts(*this);
    if (saveFailure) std::rethrow_exception(saveFailure);
}

void TfrmView::FileMenuClick(TObject* Sender) {
    auto* item = dynamic_cast<TVeskMenuItem*>(Sender);
    if (!item || !RemindFile) return;
    if (item->GetTag() == 1) {
        if (!flsvdlg->Execute()) return;
        // A backup written over the data file itself would replace the settings and the store
        // with the backup's form of them.
        if (SameFile(flsvdlg->GetFileName(), RemindFile->GetFileName())) return;
        RemindFile->Backup(flsvdlg->GetFileName());
    } else if (item->GetTag() == 2) {
        if (!flpndlg->Execute()) return;
        std::exception_ptr failure;
        try {
            RemindFile->MergeFrom(flpndlg->GetFileName());
        } catch (...) {
            // The reminders added before the refused write are in the store: list them too.
            failure = std::current_exception();
        }
        RenewList();
        if (failure) std::rethrow_exception(failure);
    }
}

void TfrmView::VeskNcPaintor1ButtonClick(TVeskCoustomPaintor* Sender, TVeskNcBtnEnum Button) {
    if (Button != vnbSkin && Button != vnbMenu) return;
    TVeskCoustomPaintor* painter = Sender ? Sender : VeskNcPaintor1;
    const TRect r = painter->GetBtnRect(Button);
    int captionHeight = 0;
    if (TVeskNcResource* res = painter->GetResource()) captionHeight = res->GetFormCaption()->GetHeight();
    POINT p{r.Left, r.Bottom - captionHeight};
    ::ClientToScreen(GetHandle(), &p);
    (Button == vnbSkin ? qzpmn1 : ppmTrayIcon)->Popup(p.x, p.y);
}

void TfrmView::AppMessage(MSG& Msg, bool& Handled) {
    (void)Handled;  // the key goes on to its window as well
    if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return;
    ppmTrayIcon->HandleShortCut(KeyDataToShiftState(Msg.lParam), static_cast<WORD>(Msg.wParam));
}

void TfrmView::imgmailclick(TObject* Sender) {
    auto* c = dynamic_cast<TComponent*>(Sender);
    if (!c) return;
    switch (c->GetTag()) {
        case 1: {
            // Straight to the shell: the address carries a web link, which OpenUrl would hand
            // to the browser on some systems.
            const std::wstring body = std::wstring(L"<a href=\"") + ProductPageUrl +
                                      L"\">Please Try Vesk Reminder!</a> Please try Vesk Reminder! It will help you "
                                      L"manage your schedule as a memo and remind you anytime as a secretary. Great "
                                      L"freeware!.";
            const std::wstring mail = L"mailto:?subject=" + MailtoEncode(L"Please Try Vesk Reminder!") +
                                      L"&body=" + MailtoEncode(body);
            ShareMailLauncher()(GetHandle(), L"open", mail);
            break;
        }
        case 2:
            OpenUrl(GetHandle(), FacebookPageUrl);
            break;
        case 3:
            OpenUrl(GetHandle(), TwitterPageUrl);
            break;
        case 4:
            OpenUrl(GetHandle(), HomePageUrl);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// The advertisement panel.

void TfrmView::imgadclick(TObject* Sender) {
    OnlineServices().AdClick(Sender);
}

void TfrmView::imgadMouseEnter(TObject* Sender) {
    OnlineServices().AdMouseEnter(Sender);
}

void TfrmView::imgadMouseLeave(TObject* Sender) {
    OnlineServices().AdMouseLeave(Sender);
}

void TfrmView::imgadAfterDrawPaint(TObject* Sender, TCanvas* ACanvas) {
    OnlineServices().PaintAd(Sender, ACanvas);
}

// ---------------------------------------------------------------------------------------------
// Helpers.

int TfrmView::AskUser(const std::wstring& Key, const std::wstring& Default, uint8_t DlgType, TMsgDlgButtons Buttons) {
    return msgdlg->MessageDlg(Tr(L"Confirm", L"Confirm"), GetLangString(L"Messages", Key, Default), DlgType, Buttons);
}

TGraphic* TfrmView::StoragePicture(int Index) const {
    TQimImageCollection* images = imgStorage->GetImages();
    if (Index < 0 || Index >= images->GetCount()) return nullptr;
    return images->Items(Index)->GetPicture()->GetGraphic();
}

void TfrmView::SetButtonStrip(TVeskPngButton* Button, int Index) {
    if (auto* png = dynamic_cast<TPngImage*>(StoragePicture(Index))) {
        Button->SetImgButton(png);
        Button->Loaded();
        Button->Invalidate();
    }
}

void TfrmView::HideHoverButtons() {
    btnDetails->SetVisible(false);
    btnDelete->SetVisible(false);
}

bool TfrmView::InStore(const TRmRecordStruct* Record) {
    return Record && RemindFile && RemindFile->IndexOfRecord(Record) >= 0;
}

std::wstring TfrmView::FormatListText(const TRmRecordStruct* Record) const {
    return ::FormatListText(*Record, DefaultFormatSettings());
}

TVeskLvItem* TfrmView::AddListItem(TRmRecordStruct* Record) {
    TVeskLvItem* item = lbData->AddItem();
    item->SetCaption(L" ");
    item->SetData(Record);
    return item;
}

void TfrmView::RemoveListItem(TVeskLvItem* Item) {
    if (!Item || !lbData->HasItem(Item)) return;
    if (HoverItem() == Item) {
        btnDelete->SetTag(0);
        HideHoverButtons();
    }
    lbData->DeleteItem(Item);
}

// ---------------------------------------------------------------------------------------------
// The list.

void TfrmView::btnUnfinish1Click(TObject* Sender) {
    auto* s = dynamic_cast<TVeskPngButton*>(Sender);
    if (!s) return;
    // The click selected the tab; when the mode stays, so must the tabs.
    auto keepMode = [this] {
        (ListMode() == 1 ? btnCompleted : btnUnfinish)->SetBtnStatus(bsSelect);
        (ListMode() == 1 ? btnUnfinish : btnCompleted)->SetBtnStatus(bsNormal);
    };
    if (FSliding) {
        keepMode();
        return;
    }
    if (EditorShown()) {
        if (AskUser(L"ExitModify", L"", mtConfirmation, {mbYes, mbNo}) != mrYes) {
            keepMode();
            return;
        }
        StopTestSound();
        ToggleEditor();
    }
    s->SetBtnStatus(bsSelect);
    txCaption->SetCaption(s->GetCaption());
    txCaption->SetTag(s->GetTag());
    FillList(s == btnUnfinish);
    if (s == btnCompleted) {
        btnUnfinish->SetBtnStatus(bsNormal);
        SetButtonStrip(btnDelete, picDelete);
        btnDelete->SetHint(Tr(L"TfrmZUBMain.btnDelete.hint_2", L""));
        SetButtonStrip(btnDetails, picRecover);
        btnDetails->SetHint(Tr(L"TfrmZUBMain.btnDetails.hint_2", L""));
        btnNew->SetVisible(false);
    } else {
        btnNew->SetVisible(true);
        SetButtonStrip(btnDelete, picFinish);
        btnDelete->SetHint(Tr(L"TfrmZUBMain.btnDelete.hint_1", L""));
        SetButtonStrip(btnDetails, picDetails);
        btnDetails->SetHint(Tr(L"TfrmZUBMain.btnDetails.hint_1", L""));
        btnCompleted->SetBtnStatus(bsNormal);
    }
}

void TfrmView::RenewList() {
    if (FSliding || EditorShown())
        // The editor stays as it is (switching modes would ask to leave it): only the list behind
        // it is renewed.
        FillList(ListMode() == 0);
    else
        btnUnfinish1Click(ListMode() == 1 ? btnCompleted : btnUnfinish);
}

void TfrmView::FillList(bool Unfinished) {
    btnDelete->SetTag(0);
    HideHoverButtons();
    lbData->Clear();
    if (RemindFile) {
        for (TRmRecordStruct* r : RemindFile->Records) {
            const bool shown = Unfinished ? IsReminderActive(*r) : (r->EndTime > 0 && r->NextDue == 0);
            if (!shown) continue;
            AddListItem(r);
            r->DisplayText = FormatListText(r);
        }
    }
    RepaintList();
}

void TfrmView::RefreshListItem(TRmRecordStruct* Record) {
    if (!Record) return;
    TVeskLvItem* item = FindListItem(Record);
    if (ListMode() == 0) {
        // An item is added on the same test the whole list is filled with, so that a reminder
        // saved active (no next occurrence computed yet) does not go missing from the list.
        if (!item && IsReminderActive(*Record))
            AddListItem(Record);
        else if (item && !IsReminderActive(*Record))
            RemoveListItem(item);
    } else {
        if (!item && !IsReminderActive(*Record))
            AddListItem(Record);
        else if (item && IsReminderActive(*Record))
            RemoveListItem(item);
    }
    RepaintList();
}

void TfrmView::RepaintList() { lbData->RequestRepaint(); }

TVeskLvItem* TfrmView::FindListItem(const TRmRecordStruct* Record) const {
    for (TVeskLvItem* item : lbData->GetItems())
        if (item->Data == Record) return item;
    return nullptr;
}

TVeskLvItem* TfrmView::ItemAtPoint(const TPoint& Point) const {
    for (TVeskLvItem* item : lbData->GetItems()) {
        const TRect& r = item->ItemRect;
        if (item->Visible && Point.X >= r.Left && Point.X < r.Right && Point.Y >= r.Top && Point.Y < r.Bottom)
            return item;
    }
    return nullptr;
}

void TfrmView::CompleteItem(TVeskLvItem* Item) {
    if (!Item || !lbData->HasItem(Item)) return;
    auto* r = static_cast<TRmRecordStruct*>(Item->Data);
    if (!InStore(r)) return;
    const TDateTime oldEnd = r->EndTime, oldNext = r->NextDue;
    if (r->EndTime == 0) {
        r->EndTime = Now();
        r->NextDue = 0;
    } else if (ListMode() == 0) {
        // A finished reminder the notice window postponed: finishing it drops the pending
        // announcement. Clearing its completion time instead would make it active again for good
        // while its item leaves the unfinished list.
        r->NextDue = 0;
    } else {
        r->EndTime = 0;
    }
    try {
        SaveRecord(r);
    } catch (...) {
        // Not written: the reminder stays as the file has it, and in the list.
        r->EndTime = oldEnd;
        r->NextDue = oldNext;
        throw;
    }
    RemoveListItem(Item);
    HideHoverButtons();
}

void TfrmView::DeleteReminderItem(TVeskLvItem* Item) {
    if (!Item || !lbData->HasItem(Item)) return;
    auto* r = static_cast<TRmRecordStruct*>(Item->Data);
    if (InStore(r)) {
        // The notice window must not keep showing a record that is about to be freed.
        RemindDlgForgetRecord(r);
        if (FEditRecord == r) FEditRecord = nullptr;
        RemindFile->DeleteRecord(r);
    }
    RemoveListItem(Item);
    HideHoverButtons();
}

void TfrmView::lbDataItemAfterDraw(TCanvas* ACanvas, int Index, TVeskLvItem* AItem) {
    (void)Index;
    if (!AItem || !AItem->Data) return;
    const auto* r = static_cast<const TRmRecordStruct*>(AItem->Data);
    const TColor brush = ACanvas->GetBrush()->GetColor();
    const TBrushStyle brushStyle = ACanvas->GetBrush()->GetStyle();
    const int size = ACanvas->GetFont()->GetSize();
    const TColor color = ACanvas->GetFont()->GetColor();

    TRect rc = AItem->TextRect;
    rc.Top -= 8;
    rc.Bottom -= 8;
    rc.Right -= 55;
    ACanvas->GetBrush()->SetStyle(bsClear);
    // The row has one line for the name: the line breaks of a longer text show as blanks (drawn
    // as they are they would run into the line below), and an "&" is shown, not taken for a
    // mnemonic prefix.
    std::wstring name = StringReplace(r->Name, L"\r\n", L" ");
    std::replace(name.begin(), name.end(), L'\r', L' ');
    std::replace(name.begin(), name.end(), L'\n', L' ');
    TRect nameRect = rc;
    ACanvas->DrawText(name, nameRect, DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);

    rc.Top += 19;
    rc.Bottom += 19;
    ACanvas->GetFont()->SetSize(size - 1);
    ACanvas->GetFont()->SetColor(static_cast<TColor>(0x848484));
    const std::wstring text = ListMode() == 0 ? r->TimeLeftText + L"   " + r->DisplayText : r->DisplayText;
    ACanvas->DrawText(text, rc, DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);

    ACanvas->GetPen()->SetColor(static_cast<TColor>(0xD5D5D5));
    ACanvas->MoveTo(0, AItem->ItemRect.Bottom - 1);
    ACanvas->LineTo(AItem->ItemRect.Right + 4, AItem->ItemRect.Bottom - 1);

    ACanvas->GetBrush()->SetColor(brush);
    ACanvas->GetBrush()->SetStyle(brushStyle);
    ACanvas->GetFont()->SetSize(size);
    ACanvas->GetFont()->SetColor(color);
}

void TfrmView::lbDataDrawBackGround(TBitmap* ABmp, const TRect& ARect) {
    (void)ARect;
    if (lbData->Count() > 0) return;
    TCanvas* c = ABmp->GetCanvas();
    const int w = lbData->GetWidth(), h = lbData->GetHeight();
    const int fontSize = c->GetFont()->GetSize();
    const TColor fontColor = c->GetFont()->GetColor();
    const TBrushStyle brushStyle = c->GetBrush()->GetStyle();
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetColor(static_cast<TColor>(0xBDBDBD));
    TGraphic* pic = StoragePicture(ListMode() == 1 ? picEmptyCompleted : picEmptyUnfinished);
    TGraphic* arrow = StoragePicture(picEmptyArrow);
    if (ListMode() == 1 && pic) {
        const std::wstring text = GetLangString(L"Messages", L"NoneCopmpleted", L" ");
        const int x = (w - pic->GetWidth()) / 2;
        const int y = (h - pic->GetHeight()) / 2 - 30;
        c->Draw(x, y, pic);
        TRect tr{0, y + pic->GetHeight() + 10, w, y + pic->GetHeight() + 110};
        c->DrawText(text, tr, DT_CENTER | DT_NOPREFIX);
    } else if (ListMode() != 1 && pic && arrow) {
        const std::wstring text = GetLangString(L"Messages", L"NoneReminder", L" ");
        const int y = (h - pic->GetHeight()) / 2;
        c->Draw(35, y, pic);
        c->GetFont()->SetSize(16);
        c->GetFont()->SetColor(static_cast<TColor>(0xF6C892));
        const int left = pic->GetWidth() + 47;
        TRect tr{left, y + 20, left + 280, y + 120};
        c->DrawText(text, tr, DT_WORDBREAK | DT_NOPREFIX);
        c->Draw(w - arrow->GetWidth() - 55, 35, arrow);
    }
    c->GetFont()->SetSize(fontSize);
    c->GetFont()->SetColor(fontColor);
    c->GetBrush()->SetStyle(brushStyle);
}

void TfrmView::lbDataMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    (void)Sender;
    (void)Shift;
    TVeskLvItem* item = ItemAtPoint(TPoint{X, Y});
    btnDetails->SetVisible(item != nullptr);
    btnDelete->SetVisible(item != nullptr);
    if (item) {
        const TRect& r = item->ItemRect;
        btnDetails->SetTop(r.Top + (50 - btnDetails->GetHeight()) / 2);
        btnDelete->SetTop(btnDetails->GetTop());
        btnDelete->SetLeft(r.Right - btnDelete->GetWidth() - 5);
        btnDetails->SetLeft(btnDelete->GetLeft() - btnDetails->GetWidth() - 5);
        btnDelete->SetTag(reinterpret_cast<intptr_t>(item));
    } else {
        btnDelete->SetTag(0);
    }
}

void TfrmView::lbDataMouseLeave(TObject* Sender) {
    (void)Sender;
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(lbData->GetHandle(), &p);
    auto inside = [&](TControl* c) {
        return p.x >= c->GetLeft() && p.x < c->GetLeft() + c->GetWidth() && p.y >= c->GetTop() &&
               p.y < c->GetTop() + c->GetHeight();
    };
    if (!inside(btnDelete) && !inside(btnDetails)) HideHoverButtons();
}

void TfrmView::lbDataMouseWHEEL(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled) {
    (void)Sender;
    (void)Shift;
    (void)WheelDelta;
    (void)MousePos;
    (void)Handled;
    HideHoverButtons();
}

void TfrmView::btnDeleteClick(TObject* Sender) {
    (void)Sender;
    TVeskLvItem* item = HoverItem();
    if (FSliding || !item || !lbData->HasItem(item)) return;
    if (ListMode() == 1)
        DeleteReminderItem(item);
    else
        CompleteItem(item);
}

void TfrmView::btnDetailsClick(TObject* Sender) {
    (void)Sender;
    TVeskLvItem* item = HoverItem();
    // With the editor already shown, loading would slide it out again.
    if (FSliding || EditorShown() || !item || !lbData->HasItem(item)) return;
    LoadEditor(item);
}

// ---------------------------------------------------------------------------------------------
// The editor.

void TfrmView::btnNewClick(TObject* Sender) {
    (void)Sender;
    if (FSliding || EditorShown()) return;
    LoadEditor(nullptr);
}

void TfrmView::btnDoneClick(TObject* Sender) {
    (void)Sender;
    if (FSliding || !EditorShown()) return;
    StopTestSound();
    SaveEditor();
}

void TfrmView::btnBackClick(TObject* Sender) {
    (void)Sender;
    if (FSliding || !EditorShown()) return;
    StopTestSound();
    ToggleEditor();
}

void TfrmView::cbPeriodItemClick(TObject* Sender, TVeskCboxItem* Item) {
    (void)Sender;
    if (Item) ShowRepeatPanel(Item->GetIndex());
}

void TfrmView::cbbVoiceItemClick(TObject* Sender, TVeskCboxItem* Item) {
    (void)Sender;
    pnlVoice->SetVisible(Item && Item->GetIndex() == 2);
}

void TfrmView::btnSelFileClick(TObject* Sender) {
    (void)Sender;
    if (dlgOpen1->Execute()) edtVoice->SetText(dlgOpen1->GetFileName());
}

void TfrmView::btnTestClick(TObject* Sender) {
    (void)Sender;
    if (SoundDevice == 0 && !FSoundStarting) {
        FSoundStarting = true;
        FStopWhenOpened = false;
        PlaySoundFile(edtVoice->GetText(), GetHandle());
    } else {
        StopTestSound();
    }
}

void TfrmView::StopTestSound() {
    if (SoundDevice != 0) {
        StopSound(SoundDevice, HandleAllocated() ? GetHandle() : nullptr);
        SoundDevice = 0;
        SetButtonStrip(btnTest, picTestIdle);
    } else if (FSoundStarting) {
        // The sound names its device only in a notice still to come: stop it when it does.
        FStopWhenOpened = true;
    }
}

void TfrmView::McNotify(TMessage& Message) {
    const auto dev = static_cast<MCIDEVICEID>(Message.LParam);
    Message.Result = 0;
    // Only the test sound's own device is ever closed here: a notice naming another device (a late
    // one of a stopped sound) must not close an id that now belongs to the notice window's sound.
    switch (Message.WParam) {
        case MCI_NOTIFY_SUCCESSFUL:
            if (SoundDevice != 0) {
                // Playback ended.
                if (dev == 0 || dev == SoundDevice) {
                    SoundCommand(SoundDevice, MCI_CLOSE, 0, 0);
                    SoundDevice = 0;
                    SetButtonStrip(btnTest, picTestIdle);
                }
            } else if (FSoundStarting) {
                FSoundStarting = false;
                if (FStopWhenOpened) {
                    FStopWhenOpened = false;
                    StopSound(dev, GetHandle());
                    SetButtonStrip(btnTest, picTestIdle);
                } else {
                    SoundDevice = dev;
                    SetButtonStrip(btnTest, picTestPlaying);
                }
            }
            break;
        case MCI_NOTIFY_FAILURE: {
            // Our playing device failed: close it (PlaySoundFile closes a device whose play failed
            // itself and names none).
            const bool ours = FSoundStarting || dev == 0 || dev == SoundDevice;
            if (!ours) break;  // another device's: our sound plays on
            if (dev != 0 && dev == SoundDevice) SoundCommand(dev, MCI_CLOSE, 0, 0);
            if (dev == 0 || dev == SoundDevice) SoundDevice = 0;
            const bool quiet = FStopWhenOpened;
            FSoundStarting = false;
            FStopWhenOpened = false;
            SetButtonStrip(btnTest, picTestIdle);
            // A sound the user already stopped fails quietly.
            if (!quiet) AskUser(L"UnkonwFileType", L"Unkonw File Type", mtConfirmation, mbOK);
            break;
        }
        default:
            break;
    }
}

void TfrmView::CreateParams(TCreateParams& Params) {
    TfrmBase::CreateParams(Params);
    Params.ExStyle |= WS_EX_APPWINDOW;
}

void TfrmView::WndProc(TMessage& Message) {
    if (Message.Msg == kRestackNotice) {
        SetTimer(GetHandle(), kRestackNotice, 300, nullptr);
        RestackNotice();
        return;
    }
    if (Message.Msg == WM_TIMER && Message.WParam == kRestackNotice) {
        KillTimer(GetHandle(), kRestackNotice);
        RestackNotice();
        return;
    }
    if (Message.Msg == MM_MCINOTIFY) {
        McNotify(Message);
        return;
    }
    if (Message.Msg == WM_SYSCOMMAND) {
        WMSysCommand(Message);
        return;
    }
    TfrmBase::WndProc(Message);
}

void TfrmView::ShowRepeatPanel(int Period) {
    pnlDate->SetVisible(false);
    pnlWeek->SetVisible(false);
    pnlMonth->SetVisible(false);
    if (Period == 0 || Period == 4)
        pnlDate->SetVisible(true);
    else if (Period == 2)
        pnlWeek->SetVisible(true);
    else if (Period == 3)
        pnlMonth->SetVisible(true);
}

void TfrmView::SetEditItem(TVeskLvItem* Item) {
    SetWindowLongPtrW(pnlDetails->GetHandle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Item));
    FEditRecord = Item ? static_cast<TRmRecordStruct*>(Item->Data) : nullptr;
}

TVeskLvItem* TfrmView::GetEditItem() const {
    auto* item = reinterpret_cast<TVeskLvItem*>(GetWindowLongPtrW(pnlDetails->GetHandle(), GWLP_USERDATA));
    if (!item || !lbData->HasItem(item) || item->Data != FEditRecord) return nullptr;
    return item;
}

void TfrmView::LoadEditor(TVeskLvItem* Item) {
    HideHoverButtons();
    TRmRecordStruct* r = Item && lbData->HasItem(Item) ? static_cast<TRmRecordStruct*>(Item->Data) : nullptr;
    if (r && !InStore(r)) r = nullptr;
    if (r) {
        edName->SetText(r->Name);
        // A rule the program does not know (a damaged file) shows as "Once": the combo box
        // refuses the index and would otherwise keep the rule of the reminder edited before,
        // which a save would then store.
        const int period = r->Period <= 4 ? r->Period : 0;
        ShowRepeatPanel(period);
        cbPeriod->SetIndex(period);
        edTime->SetTime(r->WakeTime - static_cast<double>(static_cast<long long>(r->WakeTime)));
        int voice = 2;
        if (r->Voice.empty())
            voice = 0;
        else if (r->Voice == kDefaultVoice)
            voice = 1;
        else
            edtVoice->SetText(r->Voice);
        cbbVoiceItemClick(cbbVoice, cbbVoice->GetItem(voice));
        cbbVoice->SetIndex(voice);
        if (period == 0 || period == 1 || period == 4) {
            const double d = r->GetDate();
            if (HasOccurrence(d)) edDate->SetDate(d);
        } else if (r->Period == 2) {
            for (int i = 0; i < 7; ++i) WeekBoxes[i]->SetChecked(r->GetWeekDays(i));
        } else if (r->Period == 3) {
            for (int i = 0; i < 31; ++i) MonthBoxes[i]->SetChecked(r->GetMonthDays(i));
        }
        for (TVeskCheckBox* b : WeekBoxes) b->Invalidate();
        for (TVeskCheckBox* b : MonthBoxes) b->Invalidate();
    } else {
        Item = nullptr;
        ShowRepeatPanel(0);
        edName->SetText(L"");
        cbPeriod->SetIndex(0);
        const TDateTime now = Now();
        edDate->SetDate(static_cast<double>(static_cast<long long>(now)));
        edTime->SetTime(now - static_cast<double>(static_cast<long long>(now)));
        cbbVoice->SetIndex(0);
        cbbVoiceItemClick(cbbVoice, cbbVoice->GetItem(0));
    }
    SetEditItem(Item);
    ToggleEditor();
}

bool TfrmView::SaveEditor() {
    const std::wstring name = edName->GetText();
    if (name.empty()) {
        AskUser(L"RemindNameNULL", L"", mtWarning, mbOK);
        return false;
    }
    const int period = std::clamp(cbPeriod->GetIndex(), 0, 4);
    const double day = static_cast<double>(static_cast<long long>(edDate->GetDate()));
    const double tod = edTime->GetTime() - static_cast<double>(static_cast<long long>(edTime->GetTime()));
    if (period == 0 && day + tod < Now()) {
        AskUser(L"TimeOver", L"", mtWarning, mbOK);
        return false;
    }
    if (period == 2 && std::none_of(WeekBoxes, WeekBoxes + 7, [](TVeskCheckBox* b) { return b->GetChecked(); })) {
        AskUser(L"NoneSelected", kNoneSelectedDefault, mtWarning, mbOK);
        return false;
    }
    if (period == 3 && std::none_of(MonthBoxes, MonthBoxes + 31, [](TVeskCheckBox* b) { return b->GetChecked(); })) {
        AskUser(L"NoneSelected", kNoneSelectedDefault, mtWarning, mbOK);
        return false;
    }

    // The record being edited, when it is still the store's (the list item may have moved to the
    // other mode meanwhile; the record is what counts).
    TRmRecordStruct* edited = InStore(FEditRecord) ? FEditRecord : nullptr;
    std::unique_ptr<TRmRecordStruct> fresh;
    TRmRecordStruct* r = edited;
    if (!r) {
        fresh = std::make_unique<TRmRecordStruct>();
        fresh->CreateDateTime = Now();
        fresh->LastTime = fresh->CreateDateTime;
        r = fresh.get();
    }
    const TRmRecordStruct before = *r;
    r->EndTime = 0;
    r->NextDue = 0;
    r->Name = name;
    r->Period = static_cast<uint8_t>(period);
    r->WakeTime = tod;
    const int voice = cbbVoice->GetIndex();
    r->Voice = voice == 1 ? std::wstring(kDefaultVoice) : voice == 2 ? edtVoice->GetText() : std::wstring();
    if (period == 2) {
        for (int i = 0; i < 7; ++i) r->SetWeekDays(i, WeekBoxes[i]->GetChecked());
    } else if (period == 3) {
        for (int i = 0; i < 31; ++i) r->SetMonthDays(i, MonthBoxes[i]->GetChecked());
    } else {
        r->SetDate(day);
    }

    if (edited) {
        try {
            SaveRecord(r);
        } catch (...) {
            // Not written: the reminder stays as it was, and the editor keeps the inputs.
            *r = before;
            throw;
        }
        RefreshListItem(r);
    } else {
        RemindFile->AddRecord(r);  // on failure the record is still ours and is freed here
        fresh.release();
        r->DisplayText = FormatListText(r);
        AddListItem(r);
        RepaintList();
    }
    ToggleEditor();
    return true;
}

void TfrmView::ToggleEditor() {
    if (pnlList->GetVisible()) {
        pnlDetails->SetLeft(pnlList->GetLeft() + pnlList->GetWidth());
        SlidePanels(pnlList, pnlDetails, 30);
        pnlDetails->Repaint();
    } else {
        SlidePanels(pnlDetails, pnlList, -30);
        pnlList->Repaint();
    }
}

void TfrmView::SlidePanels(TControl* Out, TControl* In, int Step) {
    // Commands of the list and the editor are refused while the panels move (the loop below lets
    // clicks through).
    FSliding = true;
    // Both panels fill their container; the one coming in stops at its left edge.
    const int home = 0;
    // A step pointing away from home (or none) would move the panels for ever and hang the window.
    if (Step == 0)
        Step = In->GetLeft() - home;
    else if ((In->GetLeft() - home) * Step < 0)
        Step = -Step;
    In->SetVisible(true);
    try {
        while (In->GetLeft() != home) {
            Out->SetLeft(Out->GetLeft() - Step);
            In->SetLeft(In->GetLeft() - Step);
            const DWORD start = GetTickCount();
            do {
                Application->ProcessMessages();
            } while (GetTickCount() - start < 5);
            if (std::abs(In->GetLeft() - home) <= std::abs(Step)) Step = In->GetLeft() - home;
        }
    } catch (...) {
        FSliding = false;
        throw;
    }
    Out->SetVisible(false);
    FSliding = false;
}

// ---------------------------------------------------------------------------------------------
// The scheduler.

void TfrmView::timerTimer(TObject* Sender) {
    (void)Sender;
    if (FScheduler) FScheduler->Tick();
}

void TfrmView::SaveRecord(TRmRecordStruct* Record) { FScheduler->SaveRecord(Record); }
