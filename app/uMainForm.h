// The visible window: the reminder list (unfinished or completed reminders) and the editor for one
// reminder, which slides in over the list. It owns the scheduler, whose timer it forwards, and is
// the list the scheduler and the notice window keep current.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "QimImageStorage.h"
#include "Scheduler.h"
#include "VeskCheckBox.h"
#include "VeskCombobox.h"
#include "VeskImage.h"
#include "VeskListView.h"
#include "VeskMsgBox.h"
#include "VeskNcPaintor.h"
#include "VeskPngButton.h"
#include "VeskPopupMenu.h"
#include "VeskScrollBarRes.h"
#include "fw_dialogs.h"
#include "fw_stdctrls.h"
#include "fw_timer.h"
#include "uBaseForm.h"
#include "uRemindFile.h"

// The shell call of the "share" link, which hands a "mailto:" address to the mail program itself
// (ShellExecuteW by default; tests record instead). An empty one restores the default.
using TShareMailLauncher = std::function<void(HWND Owner, const std::wstring& Verb, const std::wstring& File)>;
void SetShareMailLauncher(TShareMailLauncher Launcher);

// The web pages of the window's links.
constexpr const wchar_t* TranslatePageUrl = L"http://www.veskreminder.com/translate.html";
constexpr const wchar_t* ProductPageUrl = L"http://www.veskreminder.com/reminder/";
constexpr const wchar_t* FacebookPageUrl =
    L"http://www.facebook.com/plugins/likebox.php?href=http%3A%2F%2Fwww.facebook.com%2Fveskreminder";
constexpr const wchar_t* TwitterPageUrl = L"http://twitter.com/veskreminder";
// The Tag of the language submenu's last item, which opens the translation page.
constexpr int TranslateItemTag = 65535;

// Made by the hidden main window once the reminder store (RemindFile) is open: the window lists,
// schedules and writes that store's records.
class TfrmView : public TfrmBase, public IReminderListView {
public:
    FW_CLASSNAME(TfrmView)
    TfrmView(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
    ~TfrmView() override;
#include "uMainForm_form.h"

    // Lifecycle.
    void FormCreate(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);
    void FormClose(fw::TObject* Sender, fw::TCloseAction& Action);
    void FormDestroy(fw::TObject* Sender);
    // Texts of the window's own controls from the language file (keys "TfrmZUBMain.<name>..."),
    // then both menus in the new language.
    void ApplyLanguage() override;
    // The store has loaded late (its file was held by another program at start): the catch-up, the
    // list and the update check of a start happen now.
    void StoreLoaded();

    // The menus.
    void BuildMainMenu();
    void LanguageItemClick(fw::TObject* Sender);
    void FileMenuClick(fw::TObject* Sender);
    void VeskNcPaintor1ButtonClick(TVeskCoustomPaintor* Sender, TVeskNcBtnEnum Button);
    // The application's message hook: the window menu's shortcuts work from every window.
    void AppMessage(MSG& Msg, bool& Handled);
    void imgmailclick(fw::TObject* Sender);
    // The language file name (without ".ini") a language item stands for ('' for others).
    std::wstring LanguageOfItem(const TVeskMenuItem* Item) const;

    // The advertisement panel.
    void imgadclick(fw::TObject* Sender);
    void imgadMouseEnter(fw::TObject* Sender);
    void imgadMouseLeave(fw::TObject* Sender);
    void imgadAfterDrawPaint(fw::TObject* Sender, fw::TCanvas* ACanvas);

    // The list.
    void btnUnfinish1Click(fw::TObject* Sender);
    void lbDataDrawBackGround(fw::TBitmap* ABmp, const fw::TRect& ARect);
    void lbDataItemAfterDraw(fw::TCanvas* ACanvas, int Index, TVeskLvItem* AItem);
    void lbDataMouseMove(fw::TObject* Sender, fw::TShiftState Shift, int X, int Y);
    void lbDataMouseLeave(fw::TObject* Sender);
    void lbDataMouseWHEEL(fw::TObject* Sender, fw::TShiftState Shift, int WheelDelta, fw::TPoint MousePos,
                          bool& Handled);
    void btnDeleteClick(fw::TObject* Sender);
    void btnDetailsClick(fw::TObject* Sender);

    void FillList(bool Unfinished);
    // The list anew in its mode, after the store gained reminders.
    void RenewList();
    void RefreshListItem(TRmRecordStruct* Record) override;
    void RepaintList() override;
    TVeskLvItem* FindListItem(const TRmRecordStruct* Record) const;
    TVeskLvItem* ItemAtPoint(const fw::TPoint& Point) const;
    void CompleteItem(TVeskLvItem* Item);
    void DeleteReminderItem(TVeskLvItem* Item);
    // The list's rule text of a record, in the user's date and time format.
    std::wstring FormatListText(const TRmRecordStruct* Record) const;
    // 0 unfinished, 1 completed.
    int ListMode() const { return static_cast<int>(txCaption->GetTag()); }
    // The item the hover buttons act on (none when the mouse is over no item).
    TVeskLvItem* HoverItem() const { return reinterpret_cast<TVeskLvItem*>(btnDelete->GetTag()); }

    // The editor.
    void btnNewClick(fw::TObject* Sender);
    void btnDoneClick(fw::TObject* Sender);
    void btnBackClick(fw::TObject* Sender);
    void cbPeriodItemClick(fw::TObject* Sender, TVeskCboxItem* Item);
    void cbbVoiceItemClick(fw::TObject* Sender, TVeskCboxItem* Item);
    void btnSelFileClick(fw::TObject* Sender);
    void btnTestClick(fw::TObject* Sender);

    void LoadEditor(TVeskLvItem* Item);
    // Validates the inputs and creates or changes the record; true when it was saved.
    bool SaveEditor();
    void ShowRepeatPanel(int Period);
    void ToggleEditor();
    void SlidePanels(fw::TControl* Out, fw::TControl* In, int Step);
    void SetEditItem(TVeskLvItem* Item);
    // The list item being edited; none for a new reminder, and none once that item has left the
    // list (a tick may move the reminder to the other mode while the editor is open).
    TVeskLvItem* GetEditItem() const;
    bool EditorShown() const { return !pnlList->GetVisible(); }
    bool Sliding() const { return FSliding; }

    // The scheduler.
    void timerTimer(fw::TObject* Sender);
    void SaveRecord(TRmRecordStruct* Record);
    TReminderScheduler* GetScheduler() const { return FScheduler.get(); }

    MCIDEVICEID GetSoundDevice() const { return SoundDevice; }
    bool GetSoundStarting() const { return FSoundStarting; }

    TVeskCheckBox* WeekBoxes[7] = {};
    TVeskCheckBox* MonthBoxes[31] = {};

protected:
    // The application's main window stays hidden and only it gets a taskbar button from the
    // framework: this window asks for one of its own.
    void CreateParams(fw::TCreateParams& Params) override;
    void WndProc(fw::TMessage& Message) override;
    // Stops the test sound before the window goes.
    void DoDestroying() override;
    // Minimising and closing while reminders are active hide the window.
    void WMSysCommand(fw::TMessage& Message);

private:
    // Shows one of the window's messages (caption "Confirm") and returns the answer.
    int AskUser(const std::wstring& Key, const std::wstring& Default, uint8_t DlgType, TMsgDlgButtons Buttons);
    fw::TGraphic* StoragePicture(int Index) const;
    void SetButtonStrip(TVeskPngButton* Button, int Index);
    void HideHoverButtons();
    // Takes an item out of the list, forgetting every reference the window keeps to it.
    void RemoveListItem(TVeskLvItem* Item);
    TVeskLvItem* AddListItem(TRmRecordStruct* Record);
    // Whether the record is still one of the store's.
    static bool InStore(const TRmRecordStruct* Record);
    void McNotify(fw::TMessage& Message);
    // Stops the test sound, also one whose device has not been named yet.
    void StopTestSound();
    // The hidden main window's test when it exists, else the same test on the store.
    static bool ActiveReminderLeft();
    // Takes the window's message hook off the application again.
    void RemoveAppMessage();

    std::unique_ptr<TSystemReminderClock> FClock;
    std::unique_ptr<IReminderAnnouncer> FAnnouncer;
    std::unique_ptr<TRemindFileWriter> FWriter;
    std::unique_ptr<TReminderScheduler> FScheduler;
    // The record the editor was opened on (none for a new reminder).
    TRmRecordStruct* FEditRecord = nullptr;
    bool FSliding = false;
    MCIDEVICEID SoundDevice = 0;
    // A test sound was started and has not named its device yet.
    bool FSoundStarting = false;
    // That sound is to be stopped as soon as it names its device.
    bool FStopWhenOpened = false;
    // The file name each language item stands for.
    std::vector<std::pair<const TVeskMenuItem*, std::wstring>> FLanguageItems;
    bool FAppMessageSet = false;
};

// The single visible window.
extern TfrmView* frmView;
