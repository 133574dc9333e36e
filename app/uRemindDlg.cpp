#include "uRemindDlg.h"

#include <algorithm>
#include <climits>

#include "PublicFuns.h"
#include "fw_datetime.h"
#include "fw_formload.h"

TfrmRemindDlg* frmRemindDlg = nullptr;

namespace {

IReminderListView* gListView = nullptr;
TTaskbarRectSource gTaskbarSource;

bool SystemTaskbarRect(RECT& Rect) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    return tray && GetWindowRect(tray, &Rect);
}

bool TaskbarRect(RECT& Rect) {
    bool found = gTaskbarSource ? gTaskbarSource(Rect) : SystemTaskbarRect(Rect);
    // A taskbar of no size (hidden, or a shell that keeps the window without showing it) gives no
    // edge to sit on.
    return found && Rect.right > Rect.left && Rect.bottom > Rect.top;
}

// The built-in shared resource; clears the global reference when its owner frees it.
class TSharedNcResource : public TVeskNcResource {
public:
    FW_CLASSNAME(TSharedNcResource)
    explicit TSharedNcResource(fw::TComponent* AOwner);
    ~TSharedNcResource() override;
};

TSharedNcResource* gBuiltInNcResource = nullptr;
TVeskNcResource* gOwnNcResource = nullptr;

TSharedNcResource::TSharedNcResource(fw::TComponent* AOwner) : TVeskNcResource(AOwner) {
    using fw::desc::Png;
    GetFormCaption()->SetImgBkgr(Png(L"nc_caption"));
    GetFormCaption()->SetHeight(26);
    GetFormCaption()->GetFont()->SetColor(fw::clWhite);
    GetFormBorder()->SetImgBkgr(Png(L"nc_border"));
    GetFormBorder()->SetLeft(1);
    GetFormBorder()->SetTop(1);
    GetFormBorder()->SetRight(1);
    GetFormBorder()->SetBottom(1);
    GetFormBorder()->SetShowNotDWM(false);
    GetFormLogo()->SetImgBtn(Png(L"nc_logo"));
    GetFormLogo()->SetBtnStateCount(1);
    const struct {
        TVeskCaptionBtn* Btn;
        const wchar_t* Skin;
    } buttons[] = {
        {GetBtnClose(), L"nc_btn_close"},    {GetBtnMinimize(), L"nc_btn_min"}, {GetBtnMaximize(), L"nc_btn_max"},
        {GetBtnMenu(), L"nc_btn_menu"},      {GetBtnSkin(), L"nc_btn_skin"},
    };
    for (const auto& b : buttons) {
        b.Btn->SetImgBtn(Png(b.Skin));
        b.Btn->SetBtnStateCount(3);
    }
    GetBtnMaximize()->SetImgRestore(Png(L"nc_btn_restore"));
    // What a description's loading ends with: the caption buttons cut into their state frames,
    // the border pieces and caption image prepared. Without it the frame has no buttons or border.
    Loaded();
}

TSharedNcResource::~TSharedNcResource() {
    if (gBuiltInNcResource == this) gBuiltInNcResource = nullptr;
}

constexpr int kMaxListedRows = 10;

// The notice window has no owner (it must not hang off another window), yet it goes with the
// application: this component, owned by the application, frees it when the application destroys
// its components at the end of the run, so that a sound still playing is stopped and closed.
class TRemindDlgKeeper : public fw::TComponent {
public:
    FW_CLASSNAME(TRemindDlgKeeper)
    explicit TRemindDlgKeeper(fw::TComponent* AOwner) : TComponent(AOwner) {}
    ~TRemindDlgKeeper() override;
};

TRemindDlgKeeper* gKeeper = nullptr;

TRemindDlgKeeper::~TRemindDlgKeeper() {
    if (gKeeper == this) gKeeper = nullptr;
    if (frmRemindDlg) frmRemindDlg->Free();
}

}  // namespace

TVeskNcResource* SharedNcResource() {
    if (gOwnNcResource) return gOwnNcResource;
    if (!gBuiltInNcResource) gBuiltInNcResource = new TSharedNcResource(fw::Application);
    return gBuiltInNcResource;
}

void SetSharedNcResource(TVeskNcResource* Resource) { gOwnNcResource = Resource; }

void SetRemindDlgListView(IReminderListView* View) { gListView = View; }

void SetTaskbarRectSource(TTaskbarRectSource Source) { gTaskbarSource = std::move(Source); }

// ---------------------------------------------------------------------------------------------

TfrmRemindDlg::~TfrmRemindDlg() {
    if (frmRemindDlg != this) return;
    frmRemindDlg = nullptr;
    // Freed directly (not by the keeper): the keeper has nothing left to do.
    if (gKeeper) {
        TRemindDlgKeeper* keeper = gKeeper;
        gKeeper = nullptr;
        keeper->Free();
    }
}

void TfrmRemindDlg::DoDestroying() {
    // The application ends while a sound plays: the device would stay open.
    StopPlaying();
    // A sound that was starting names its device only in a notice still waiting in the queue.
    if (FSoundStarting && HandleAllocated()) {
        MSG m;
        while (PeekMessageW(&m, GetHandle(), MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
            if (m.wParam == MCI_NOTIFY_SUCCESSFUL && m.lParam != 0)
                StopSound(static_cast<MCIDEVICEID>(m.lParam), GetHandle());
        FSoundStarting = false;
    }
    TfrmBase::DoDestroying();
}

void TfrmRemindDlg::FormCreate(fw::TObject* Sender) {
    TfrmBase::FormCreate(Sender);
    VeskNcPaintor1->SetResource(SharedNcResource());
    SoundDevice = 0;
    const std::wstring minutes = GetLangString(L"Translation", L"constMMs", L"");
    fw::TStrings* items = cbDelay->GetItems();
    items->Clear();
    items->Add(L"5 " + minutes);
    items->Add(L"10 " + minutes);
    items->Add(L"30 " + minutes);
    items->Add(L"1 " + GetLangString(L"Translation", L"constHH", L"H"));
    items->Add(L"4 " + GetLangString(L"Translation", L"constHHs", L""));
    cbDelay->SetItemIndex(0);
    lbl1->SetCaption(GetLangString(L"Translation", L"TfrmRemindDlg.btnDelay.Caption", L""));
    FNormalCaption = GetCaption();
    PlaceOverTray();
}

void TfrmRemindDlg::PlaceOverTray() {
    RECT r;
    TrayTop = 0;
    if (TaskbarRect(r)) {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        RECT screen = r;
        if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) screen = mi.rcMonitor;
        // The window sits in the screen corner next to the taskbar's end. A taskbar along the top
        // or a side edge has no top edge to sit on; the window then takes the bottom-right corner
        // of the screen beside it instead of leaving the screen.
        int bottom = r.top;
        int right = r.right;
        const bool horizontal = (r.right - r.left) >= (r.bottom - r.top);
        if (horizontal) {
            if (r.top - screen.top < screen.bottom - r.bottom) bottom = screen.bottom;  // along the top
        } else {
            bottom = std::min(r.bottom, screen.bottom);
            if (r.left - screen.left < screen.right - r.right) right = screen.right;  // left side
            else right = r.left;                                                       // right side
        }
        FScreenTop = screen.top;
        TrayTop = bottom;
        SetBounds(right - GetWidth(), std::max(bottom - GetHeight(), FScreenTop), GetWidth(), GetHeight());
    } else {
        // No taskbar yet (a logon start, a shell still coming up): the bottom-right corner of the
        // work area, never the top-left corner where a new window lands.
        RECT work;
        if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && work.right > work.left && work.bottom > work.top) {
            FScreenTop = work.top;
            SetBounds(std::max<int>(work.right - GetWidth(), work.left), std::max<int>(work.bottom - GetHeight(), work.top),
                      GetWidth(), GetHeight());
        }
    }
    SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TQimLBoxItem* TfrmRemindDlg::FindItem(const TRmRecordStruct* Record) const {
    for (int i = 0; i < lbReminds->Count(); ++i) {
        TQimLBoxItem* item = lbReminds->GetItem(i);
        if (item->GetData() == Record) return item;
    }
    return nullptr;
}

TRmRecordStruct* TfrmRemindDlg::LiveRecord(const TQimLBoxItem* Item) const {
    auto* rec = static_cast<TRmRecordStruct*>(Item ? Item->GetData() : nullptr);
    if (!rec) return nullptr;
    // The store may have freed the record (deleted, restored over) while it was listed here;
    // without a store every record it owned is gone.
    if (!RemindFile) return nullptr;
    const auto& recs = RemindFile->Records;
    return std::find(recs.begin(), recs.end(), rec) == recs.end() ? nullptr : rec;
}

void TfrmRemindDlg::AddReminders(const TReminderList& List, bool Missed) {
    if (List.empty()) return;
    // A listed due reminder must stay postponable: due reminders joining missed ones (or listed
    // before them) give the ordinary look, whose postponing applies to every listed reminder.
    const bool listsDue = GetVisible() && !FMissedLook && lbReminds->Count() > 0;
    SetMissedLook(Missed && !listsDue);
    for (TRmRecordStruct* r : List) {
        if (!r || FindItem(r)) continue;
        TQimLBoxItem* item = lbReminds->AddItem();
        item->SetCaption(r->Name);
        item->SetData(r);
        if (!r->Voice.empty() && SoundDevice == 0 && !FSoundStarting) StartSound(r->Voice);
    }
    // Placed at every announcement: the taskbar may not have had its place when the window was
    // made (a start with Windows), or may have moved since.
    PlaceAndSize();
    Show();
    BringToFront();
}

void TfrmRemindDlg::PlaceAndSize() {
    PlaceOverTray();
    if (TrayTop == 0) return;
    const int n = std::min(lbReminds->Count(), kMaxListedRows);
    lbReminds->SetHeight(lbReminds->GetItemheight() * n + 40);
    const int h = lbReminds->GetHeight() + 100;
    SetBounds(GetLeft(), std::max(TrayTop - h, FScreenTop), GetWidth(), h);
}

void TfrmRemindDlg::SetMissedLook(bool Value) {
    if (Value == FMissedLook) return;
    FMissedLook = Value;
    cbDelay->SetVisible(!Value);
    lbl1->SetVisible(!Value);
    SetCaption(Value ? GetLangString(L"Translation", L"TfrmRemindDlg.Caption_1", L"") : FNormalCaption);
}

void TfrmRemindDlg::ForgetRecord(TRmRecordStruct* Record) {
    TQimLBoxItem* item = Record ? FindItem(Record) : nullptr;
    if (!item) return;
    item->SetVisible(false);
    lbReminds->DeleteItem(item);
    if (lbReminds->Count() == 0 && GetVisible()) Close();
}

void TfrmRemindDlg::StartSound(const std::wstring& Voice) {
    // Only one sound at a time: the device of a sound is known only once its first notice comes,
    // and a second start before that would leave a device nobody closes.
    FSoundStarting = true;
    FStopWhenOpened = false;
    PlaySoundFile(Voice, GetHandle());
}

void TfrmRemindDlg::StopPlaying() {
    if (SoundDevice == 0) return;
    StopSound(SoundDevice, HandleAllocated() ? GetHandle() : nullptr);
    // No notice follows a stop.
    SoundDevice = 0;
}

void TfrmRemindDlg::FormClose(fw::TObject* Sender, fw::TCloseAction& Action) {
    (void)Sender;
    (void)Action;
    StopPlaying();
    // A sound whose device is not known yet is stopped as soon as it is.
    FStopWhenOpened = FSoundStarting;
    lbReminds->Clear();
}

void TfrmRemindDlg::McNotify(fw::TMessage& Message) {
    const auto dev = static_cast<MCIDEVICEID>(Message.LParam);
    Message.Result = 0;
    // Only this window's own device is ever closed here: a notice naming another device (a stray
    // or forged one) must not close a device id that the editor's test sound may be using.
    switch (Message.WParam) {
        case MCI_NOTIFY_SUCCESSFUL:
            if (SoundDevice != 0) {
                // Playback ended.
                if (dev == 0 || dev == SoundDevice) {
                    SoundCommand(SoundDevice, MCI_CLOSE, 0, 0);
                    SoundDevice = 0;
                }
            } else if (FSoundStarting && dev != 0) {
                FSoundStarting = false;
                if (FStopWhenOpened) {
                    FStopWhenOpened = false;
                    StopSound(dev, GetHandle());
                } else {
                    SoundDevice = dev;
                }
            }
            break;
        case MCI_NOTIFY_FAILURE:
            // The file failed to open or to play; no message for the user. A device that opened
            // and then failed is closed so it is not left behind.
            if (SoundDevice != 0) {
                if (dev == 0 || dev == SoundDevice) {
                    SoundCommand(SoundDevice, MCI_CLOSE, 0, 0);
                    SoundDevice = 0;
                }
            } else if (FSoundStarting) {
                // The failure of the sound being started (its routine closed what it opened).
                FSoundStarting = false;
                FStopWhenOpened = false;
            }
            break;
        default:
            break;
    }
}

void TfrmRemindDlg::WndProc(fw::TMessage& Message) {
    if (Message.Msg == MM_MCINOTIFY) {
        McNotify(Message);
        return;
    }
    if (Message.Msg == WM_WINDOWPOSCHANGING && Message.LParam)
        reinterpret_cast<WINDOWPOS*>(Message.LParam)->hwndInsertAfter = HWND_TOPMOST;
    TfrmBase::WndProc(Message);
}

void TfrmRemindDlg::lbRemindsItemClick(fw::TObject* Sender, TQimLBoxItem* AItem) {
    (void)Sender;
    if (!AItem) return;
    const fw::TRect ir = AItem->GetItemRect();
    const int x0 = ir.Left + AItem->GetTextRect().Width();
    const int y0 = ir.Top;
    POINT p;
    if (!GetCursorPos(&p)) return;
    ::ScreenToClient(lbReminds->GetHandle(), &p);
    if (p.x < x0 || p.x >= x0 + 32 || p.y < y0 || p.y >= y0 + 32) return;
    // Acknowledged. The record stays as it is: its announcement already moved its last-announced
    // time forward.
    AItem->SetVisible(false);
    lbReminds->DeleteItem(AItem);
    if (lbReminds->Count() == 0) Close();
}

void TfrmRemindDlg::lbRemindsAfterItemDraw(fw::TCanvas* ACanvas, int itemindex, TQimLBoxItem* AItem) {
    (void)itemindex;
    if (!ACanvas || !AItem) return;
    // The second line: the next occurrence under the name.
    if (TRmRecordStruct* rec = LiveRecord(AItem)) {
        const fw::TRect tr = AItem->GetTextRect();
        ACanvas->GetBrush()->SetStyle(fw::bsClear);
        ACanvas->GetFont()->SetColor(0x848484);
        ACanvas->TextOut(tr.Left, tr.Top + tr.Height(), rec->DisplayText);
    }
    // The check box goes to the right end of the row: the row moves left by the box's width.
    const fw::TRect ir = AItem->GetItemRect();
    const int w = ir.Width();
    const int h = ir.Height();
    const int L = ir.Left;
    const int W = AItem->GetCheckRect().Width();
    if (w > 0 && h > 0 && W > 0) {
        fw::TBitmap bmp;
        bmp.SetPixelFormat(fw::pf32bit);
        bmp.SetSize(w, h);
        bmp.GetCanvas()->CopyRect(fw::TRect(0, 0, w, h), ACanvas, ir);
        // The row's own background (plain, hovered or selected) under the moved content, as its
        // last column holds it: the list's colour there would leave a white seam before the box
        // and a white patch under it on a hovered row.
        ACanvas->CopyRect(ir, bmp.GetCanvas(), fw::TRect(w - 1, 0, w, h));
        // Only what the bitmap holds is copied back; the rest keeps that background.
        const int shift = W + L;
        if (shift < w)
            ACanvas->CopyRect(fw::TRect(L, ir.Top, L + w - shift, ir.Bottom), bmp.GetCanvas(),
                              fw::TRect(shift, 0, w, h));
        const int boxH = std::min(32, h);
        if (L + W <= w)
            ACanvas->CopyRect(fw::TRect(ir.Right - W, ir.Top, ir.Right, ir.Top + boxH), bmp.GetCanvas(),
                              fw::TRect(L, 0, L + W, boxH));
    }
    // The separator under the row.
    ACanvas->GetPen()->SetColor(0xD5D5D5);
    ACanvas->MoveTo(ir.Left, ir.Bottom - 1);
    ACanvas->LineTo(ir.Right, ir.Bottom - 1);
}

void TfrmRemindDlg::btnCompleteClick(fw::TObject* Sender) {
    (void)Sender;
    Close();
}

void TfrmRemindDlg::cbDelayChange(fw::TObject* Sender) {
    (void)Sender;
    const int index = cbDelay->GetItemIndex();
    const fw::TDateTime now = fw::Now();
    fw::TDateTime due = 0;
    switch (index) {
        case 0: due = fw::IncMinute(now, 5); break;
        case 1: due = fw::IncMinute(now, 10); break;
        case 2: due = fw::IncMinute(now, 30); break;
        case 3: due = fw::IncHour(now, 1); break;
        case 4: due = fw::IncHour(now, 4); break;
        default: return;  // nothing picked: nothing to postpone to
    }
    for (int i = 0; i < lbReminds->Count(); ++i) {
        TQimLBoxItem* item = lbReminds->GetItem(i);
        if (!item->GetVisible()) continue;
        TRmRecordStruct* rec = LiveRecord(item);
        if (!rec) continue;
        // Memory only: the data file keeps the reminder's own rule.
        rec->NextDue = due;
        if (gListView) gListView->RefreshListItem(rec);
    }
    PostMessageW(GetHandle(), WM_CLOSE, 0, 0);
}

void TfrmRemindDlg::Timer1Timer(fw::TObject* Sender) {
    (void)Sender;
    ClockFrame = ClockFrame == INT_MAX ? 0 : ClockFrame + 1;
    TQimImageCollection* images = QimImageStorage1->GetImages();
    const int index = ClockFrame % 3;
    if (index < images->Count()) imgClock->SetPicture(images->Items(index)->GetPicture());
    imgClock->Invalidate();
    // Shown while the taskbar gave no place to sit on: the shell may show (and size) its taskbar
    // only once a notification-area icon exists, and the first notice of a run (the missed
    // reminders) comes before the program's own icon. Once the taskbar has its place, the window
    // moves onto it with the height its rows need, as every later notice sits.
    RECT bar;
    if (TrayTop == 0 && GetVisible() && TaskbarRect(bar)) PlaceAndSize();
}

// ---------------------------------------------------------------------------------------------

namespace {

TfrmRemindDlg* RemindDlg() {
    if (!frmRemindDlg) {
        frmRemindDlg = fw::TForm::CreateForm<TfrmRemindDlg>(nullptr);
        // Made after the window (and the shared frame resource it made), so the application
        // destroys it, and with it the window, before that resource.
        if (!gKeeper && fw::Application) gKeeper = new TRemindDlgKeeper(fw::Application);
    }
    return frmRemindDlg;
}

}  // namespace

void ShowReminders(const TReminderList& List) {
    if (List.empty()) return;
    RemindDlg()->AddReminders(List);
}

void ShowMissedReminders(const TReminderList& List) {
    if (List.empty()) return;
    RemindDlg()->AddReminders(List, true);
}

void RemindDlgForgetRecord(TRmRecordStruct* Record) {
    if (frmRemindDlg) frmRemindDlg->ForgetRecord(Record);
}
