// The notice window: where it sits next to the taskbar, what it lists, acknowledging and
// postponing, the missed-reminders look, its sound over a fake MCI, and its painted rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "app_window_test.h"
#include "fake_sound.h"

using namespace testsupport;

namespace {

class FakeListView : public IReminderListView {
public:
    void RefreshListItem(TRmRecordStruct* Record) override { refreshed.push_back(Record); }
    void RepaintList() override {}
    std::vector<TRmRecordStruct*> refreshed;
};

class NoticeTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        SetRemindDlgListView(&view_);
        screenW_ = GetSystemMetrics(SM_CXSCREEN);
        screenH_ = GetSystemMetrics(SM_CYSCREEN);
        Taskbar = RECT{0, screenH_ - 40, screenW_, screenH_};
        OpenStore();
    }
    void TearDown() override {
        AppWindowTest::TearDown();
        fw::SetClock(nullptr);
        SetRemindDlgListView(nullptr);
    }
    // A reminder of the store (written to the data file once).
    TRmRecordStruct* Add(const std::wstring& name, const std::wstring& voice = L"") {
        auto* r = new TRmRecordStruct;
        r->Name = name;
        r->Voice = voice;
        r->CreateDateTime = 46000 + 0.001 * (++created_);
        r->WakeTime = 0.5;
        r->Period = 1;
        r->DisplayText = L"Daily 12:00";
        Store->AddRecord(r);
        return r;
    }
    TReminderList AddMany(int n) {
        TReminderList l;
        for (int i = 0; i < n; ++i) l.push_back(Add(L"Reminder " + std::to_wstring(i)));
        return l;
    }
    // Shows a voiced reminder and lets its sound start.
    void ShowVoiced(const std::wstring& name) {
        ShowReminders({Add(name, L"C:\\" + name + L".mp3")});
        Pump(50);
    }
    static std::vector<std::wstring> Captions() {
        std::vector<std::wstring> c;
        for (int i = 0; i < frmRemindDlg->lbReminds->Count(); ++i)
            c.push_back(frmRemindDlg->lbReminds->GetItem(i)->GetCaption());
        return c;
    }
    static bool Topmost() {
        return (GetWindowLongW(frmRemindDlg->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    static MCIDEVICEID Device() { return frmRemindDlg->GetSoundDevice(); }
    static void Notify(WPARAM how, LPARAM device) {
        PostMessageW(frmRemindDlg->GetHandle(), MM_MCINOTIFY, how, device);
        Pump(50);
    }

    TFakeSound sound_{21};  // device ids from 21
    FakeListView view_;
    int screenW_ = 0, screenH_ = 0;
    int created_ = 0;
};

}  // namespace

TEST_F(NoticeTest, SitsOnTheTaskbarAtAnyEdgeAndNeverAboveTheScreenTop) {
    const struct {
        const char* name;
        RECT bar;
        int rows;
        LONG right, bottom;  // bottom -1: the window's top is the screen's
    } cases[] = {
        {"bottom", Taskbar, 3, screenW_, Taskbar.top},
        {"top", {0, 0, screenW_, 40}, 2, screenW_, screenH_},
        {"left", {0, 0, 60, screenH_}, 2, screenW_, screenH_},
        {"right", {screenW_ - 60, 0, screenW_, screenH_}, 2, screenW_ - 60, screenH_},
        // Up to ten rows, then the list scrolls.
        {"half way up", {0, screenH_ / 2 + 10, screenW_, screenH_ / 2 + 40}, 15, screenW_, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bar.top >= 10 * 44 + 140) continue;  // the screen is too tall for the window to reach its top
        Taskbar = c.bar;
        ShowReminders(AddMany(c.rows));
        const RECT r = WindowRect(frmRemindDlg);
        EXPECT_EQ(r.right, c.right);
        EXPECT_EQ(c.bottom < 0 ? r.top : r.bottom, c.bottom < 0 ? 0 : c.bottom);
        EXPECT_GE(r.top, 0);
        EXPECT_GE(r.left, 0);
        EXPECT_EQ(r.bottom - r.top, std::min(c.rows, 10) * 44 + 40 + 100);
        EXPECT_EQ(frmRemindDlg->lbReminds->Count(), c.rows);
        EXPECT_TRUE(Topmost());
        frmRemindDlg->Free();
    }
}

TEST_F(NoticeTest, FirstAnnouncementOfARunSitsOnTheTaskbarAsEveryLaterOne) {
    // The shell may place its taskbar only once a notification-area icon exists, and a run's first
    // notice comes before the program's icon: the window moves onto the taskbar once it has a place.
    for (bool placeKnown : {true, false}) {
        SCOPED_TRACE(placeKnown ? "taskbar in place" : "taskbar without a place yet");
        Taskbar = placeKnown ? RECT{0, screenH_ - 20, screenW_, screenH_} : RECT{0, 0, 0, 0};
        const TReminderList rows = AddMany(1);
        ShowMissedReminders(rows);
        ASSERT_NE(frmRemindDlg, nullptr);
        Taskbar = RECT{0, screenH_ - 20, screenW_, screenH_};
        EXPECT_TRUE(PumpUntil([this] { return WindowRect(frmRemindDlg).bottom == Taskbar.top; }, 2000));
        const RECT first = WindowRect(frmRemindDlg);
        EXPECT_EQ(first.right, screenW_);
        EXPECT_EQ(first.bottom - first.top, 44 + 40 + 100);
        // A later announcement of the same rows sits exactly there.
        frmRemindDlg->btnCompleteClick(nullptr);
        ShowReminders(rows);
        const RECT later = WindowRect(frmRemindDlg);
        EXPECT_TRUE(EqualRect(&first, &later));
        frmRemindDlg->Free();
    }
}

TEST_F(NoticeTest, WithoutTaskbarKeepsItsOwnSizeInTheWorkAreaCornerAndStaysOnTop) {
    HasTaskbar = false;
    ShowReminders(AddMany(1));
    ASSERT_NE(frmRemindDlg, nullptr);
    const RECT first = WindowRect(frmRemindDlg);
    ShowReminders(AddMany(3));
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT r = WindowRect(frmRemindDlg);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.bottom - r.top, first.bottom - first.top);
    EXPECT_TRUE(Topmost());
    // Every reordering keeps it on top.
    SetWindowPos(frmRemindDlg->GetHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(Topmost());

    // The taskbar gets its place later: the next announcement sits on it.
    HasTaskbar = true;
    ShowReminders(AddMany(1));
    EXPECT_EQ(WindowRect(frmRemindDlg).bottom, Taskbar.top);
    EXPECT_EQ(WindowRect(frmRemindDlg).right, Taskbar.right);
}

TEST_F(NoticeTest, ListsEachRecordOnceAcknowledgesOneByItsSquareOrAllAndIsReused) {
    ShowReminders({});
    EXPECT_EQ(frmRemindDlg, nullptr);
    TReminderList l = AddMany(2);
    l[1]->Voice = L"b.mp3";
    const fw::TDateTime lastTime = l[0]->LastTime;
    ShowReminders({l[0]});
    ASSERT_NE(frmRemindDlg, nullptr);
    TfrmRemindDlg* first = frmRemindDlg;
    EXPECT_EQ(frmRemindDlg->VeskNcPaintor1->GetResource(), SharedNcResource());
    ShowReminders({l[0], l[1], l[0]});
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Reminder 0", L"Reminder 1"}));
    Pump(50);
    ASSERT_EQ(Device(), 21u);
    // A click on the item with the mouse at x pixels right of its text (negative: left of it).
    auto clickAt = [](TQimLBoxItem* item, int x) {
        frmRemindDlg->lbReminds->Repaint();
        Pump(50);
        const fw::TRect ir = item->GetItemRect();
        Hover(frmRemindDlg->lbReminds, x < 0 ? ir.Left + 2 : ir.Left + item->GetTextRect().Width() + x, ir.Top + 10);
        frmRemindDlg->lbRemindsItemClick(nullptr, item);
    };
    clickAt(frmRemindDlg->FindItem(l[0]), -1);
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 2);
    clickAt(frmRemindDlg->FindItem(l[0]), 10);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Reminder 1"}));
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_EQ(l[0]->LastTime, lastTime);

    // The last one closes the window and stops the sound.
    clickAt(frmRemindDlg->lbReminds->GetItem(0), 5);
    EXPECT_FALSE(frmRemindDlg->GetVisible());
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    EXPECT_EQ(Device(), 0u);
    // The next announcement shows the same window with only the new records; so it does after "OK".
    ShowReminders({l[0]});
    EXPECT_EQ(frmRemindDlg, first);
    EXPECT_TRUE(frmRemindDlg->GetVisible());
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Reminder 0"}));
    frmRemindDlg->btnCompleteClick(nullptr);
    EXPECT_FALSE(frmRemindDlg->GetVisible());
}

TEST_F(NoticeTest, PostponingChangesListedRecordsOfTheStoreInMemoryOnly) {
    const fw::TDateTime now = fw::EncodeDate(2026, 3, 29) + fw::EncodeTime(1, 40, 0, 0);
    fw::SetClock([now] { return now; });
    TRmRecordStruct* a = Add(L"A");
    TRmRecordStruct* b = Add(L"B");
    TRmRecordStruct* gone = Add(L"Gone");
    TRmRecordStruct* other = Add(L"Not listed");
    ShowReminders({a, b, gone});
    gone->NextDue = 3;
    // The store lets go of one record while it is listed.
    auto& recs = Store->Records;
    recs.erase(std::find(recs.begin(), recs.end(), gone));
    std::unique_ptr<TRmRecordStruct> keepGone(gone);

    const std::vector<uint8_t> before = ReadFileBytes(DataFile);
    // No delay picked: nothing to postpone to, and the window stays.
    frmRemindDlg->cbDelay->SetItemIndex(-1);
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_EQ(a->NextDue, 0);
    EXPECT_FALSE(PumpUntil([] { return !frmRemindDlg->GetVisible(); }, 200));
    frmRemindDlg->cbDelay->SetItemIndex(3);
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_EQ(a->NextDue, fw::IncHour(now, 1));
    EXPECT_EQ(b->NextDue, fw::IncHour(now, 1));
    EXPECT_EQ(gone->NextDue, 3);
    EXPECT_EQ(other->NextDue, 0);
    EXPECT_EQ(view_.refreshed, (std::vector<TRmRecordStruct*>{a, b}));
    EXPECT_EQ(ReadFileBytes(DataFile), before);
    EXPECT_TRUE(PumpUntil([] { return !frmRemindDlg->GetVisible(); }, 2000));

    // At the end of the run the store goes (freeing its records) before the notice window: they
    // are neither postponed nor painted.
    ShowReminders({a, b});
    a->NextDue = 7;
    RemindFile = nullptr;
    frmRemindDlg->cbDelay->SetItemIndex(0);
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_EQ(a->NextDue, 7);
    EXPECT_EQ(view_.refreshed.size(), 2u);
    ShowReminders(AddMany(1));  // still lists, by name
    TQimListBox* lb = frmRemindDlg->lbReminds;
    ASSERT_EQ(lb->Count(), 3);
    lb->Repaint();
    EXPECT_EQ(Render(lb, 0xFF00FF00)->CountColor(RECT{0, 0, lb->GetWidth(), lb->GetHeight()}, 0x848484), 0);
}

TEST_F(NoticeTest, EachDelayOfTheListPostponesByItsOwnTime) {
    const fw::TDateTime now = fw::EncodeDate(2026, 3, 29) + fw::EncodeTime(23, 40, 0, 0);
    fw::SetClock([now] { return now; });
    const std::pair<const wchar_t*, int> delays[] = {
        {L"5 Minutes", 5}, {L"10 Minutes", 10}, {L"30 Minutes", 30}, {L"1 Hour", 60}, {L"4 Hours", 240}};
    for (int i = 0; i < 5; ++i) {
        TRmRecordStruct* r = Add(L"A");
        ShowReminders({r});
        EXPECT_EQ(frmRemindDlg->cbDelay->GetItems()->Get(i), delays[i].first);
        frmRemindDlg->cbDelay->SetItemIndex(i);
        frmRemindDlg->cbDelayChange(nullptr);
        EXPECT_EQ(std::llround((r->NextDue - now) * 86400), delays[i].second * 60) << i;
        EXPECT_TRUE(PumpUntil([] { return !frmRemindDlg->GetVisible(); }, 2000)) << i;
    }
    EXPECT_EQ(frmRemindDlg->cbDelay->GetItems()->Count(), 5);
}

TEST_F(NoticeTest, MissedRemindersLookAndBackToOrdinaryInTheLanguagesTexts) {
    UseLanguage(Dir.File(L"Lang.ini"),
                L"[Translation]\r\n"
                L"TfrmRemindDlg.Caption=Hinweis\r\n"
                L"TfrmRemindDlg.Caption_1=Verpasst\r\n"
                L"TfrmRemindDlg.btnComplete.Caption=Erledigt\r\n"
                L"constMMs=Minuten\r\n"
                L"constHHs=Stunden\r\n");
    ShowMissedReminders({});
    EXPECT_EQ(frmRemindDlg, nullptr);
    ShowMissedReminders({Add(L"Missed one")});
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Verpasst");
    EXPECT_EQ(frmRemindDlg->btnComplete->GetCaption(), L"Erledigt");
    EXPECT_FALSE(frmRemindDlg->cbDelay->GetVisible());
    EXPECT_FALSE(frmRemindDlg->lbl1->GetVisible());

    // A due reminder joining shown missed ones makes an ordinary notice: it can be postponed.
    TRmRecordStruct* b = Add(L"Due now");
    ShowReminders({b});
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 2);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Hinweis");
    EXPECT_TRUE(frmRemindDlg->cbDelay->GetVisible());
    EXPECT_TRUE(frmRemindDlg->lbl1->GetVisible());
    frmRemindDlg->cbDelay->SetItemIndex(0);
    frmRemindDlg->cbDelayChange(nullptr);
    EXPECT_NE(b->NextDue, 0);
    EXPECT_TRUE(PumpUntil([] { return !frmRemindDlg->GetVisible(); }, 2000));

    // Missed ones alone look missed; joining listed due ones they leave the postponing.
    ShowMissedReminders({Add(L"Missed two")});
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Verpasst");
    EXPECT_FALSE(frmRemindDlg->cbDelay->GetVisible());
    frmRemindDlg->btnCompleteClick(nullptr);
    ShowReminders({b});
    ShowMissedReminders({Add(L"Missed three")});
    EXPECT_EQ(frmRemindDlg->lbReminds->Count(), 2);
    EXPECT_EQ(frmRemindDlg->GetCaption(), L"Hinweis");
    EXPECT_TRUE(frmRemindDlg->cbDelay->GetVisible());
    EXPECT_TRUE(frmRemindDlg->lbl1->GetVisible());
    fw::TStrings* items = frmRemindDlg->cbDelay->GetItems();
    EXPECT_EQ((std::vector<std::wstring>{items->Get(0), items->Get(4)}),
              (std::vector<std::wstring>{L"5 Minuten", L"4 Stunden"}));
}

// --- The sound -------------------------------------------------------------------------------

TEST_F(NoticeTest, OneSoundAtATimeFromOpenToEndAndNoticesOfOtherDevicesCloseNothing) {
    ShowReminders({Add(L"Mute")});
    EXPECT_EQ(sound_.Opens(), 0);
    // Idle: a notice it did not ask for (maybe the editor's test sound) is not taken for its own.
    Notify(MCI_NOTIFY_SUCCESSFUL, 55);
    EXPECT_EQ(Device(), 0u);

    // Two voiced reminders at once: only the first starts a device.
    ShowReminders({Add(L"A", L"default.mp3"), Add(L"B", L"C:\\sounds\\b.wav")});
    Pump(50);
    EXPECT_EQ(sound_.Opens(), 1);
    EXPECT_EQ(Device(), 21u);
    EXPECT_EQ(sound_.Count(MCI_PLAY, 21), 1);

    // A playing sound is not interrupted by a new reminder's.
    ShowVoiced(L"C");
    EXPECT_EQ(sound_.Opens(), 1);

    // The end of playback closes the device; the next reminder's sound plays.
    Notify(MCI_NOTIFY_SUCCESSFUL, 21);
    EXPECT_EQ(Device(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 21), 1);
    ShowVoiced(L"D");
    EXPECT_EQ(Device(), 22u);
    EXPECT_EQ(sound_.opened.back(), L"C:\\D.mp3");
    // MCI gives up on the playing device: it is closed and forgotten.
    Notify(MCI_NOTIFY_FAILURE, 22);
    EXPECT_EQ(Device(), 0u);
    EXPECT_EQ(sound_.Count(MCI_CLOSE, 22), 1);
    // A sound that fails to open leaves no device, and the next one plays.
    ShowVoiced(L"bad");
    EXPECT_EQ(Device(), 0u);
    ShowVoiced(L"good");
    EXPECT_EQ(Device(), 23u);
    // Notices of other devices close nothing while it plays.
    PostMessageW(frmRemindDlg->GetHandle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 56);
    Notify(MCI_NOTIFY_FAILURE, 57);
    for (MCIDEVICEID d : {55, 56, 57, 23}) EXPECT_EQ(sound_.Count(MCI_CLOSE, d), 0) << d;
    EXPECT_EQ(Device(), 23u);
}

// --- Painting --------------------------------------------------------------------------------

TEST_F(NoticeTest, RowsShowSecondLineAndSeparatorAndAHoveredRowKeepsItsBackground) {
    ShowReminders(AddMany(2));
    TQimListBox* lb = frmRemindDlg->lbReminds;
    lb->Repaint();
    Pump(100);
    auto s = Render(lb, 0xFF00FF00);
    TQimLBoxItem* item = lb->GetItem(0);
    const fw::TRect ir = item->GetItemRect(), tr = item->GetTextRect();
    ASSERT_GT(ir.Height(), 0);
    // The separator along the row's bottom edge, the grey second line below the name.
    EXPECT_GE(s->CountColor(RECT{ir.Left, ir.Bottom - 1, ir.Right, ir.Bottom}, 0xD5D5D5), ir.Width() * 9 / 10);
    EXPECT_GT(s->CountColor(RECT{ir.Left, tr.Top + tr.Height(), ir.Right, ir.Bottom - 1}, 0x848484), 0);
    const int w = item->GetCheckRect().Width();
    ASSERT_GT(w, 0);

    // A hovered row keeps its own background before the check circle and under it.
    MouseMove(lb, ir.Left + 60, (ir.Top + ir.Bottom) / 2);
    auto hot = Render(lb, 0xFF00FF00);
    const COLORREF hotBack = hot->Color(ir.Left + ir.Width() / 2, ir.Bottom - 3);
    ASSERT_NE(hotBack, fw::ColorToRGB(lb->GetColor()));
    EXPECT_EQ(hot->CountColor(RECT{ir.Right - w - 4, ir.Top, ir.Right - w, ir.Bottom - 1}, hotBack),
              4 * (ir.Height() - 1));
    EXPECT_EQ(hot->CountColor(RECT{ir.Right - w, ir.Top + 32, ir.Right, ir.Bottom - 1}, hotBack),
              w * (ir.Height() - 33));
}

// --- Records that go, and the end of the run -------------------------------------------------

// Last: its last way destroys every component of the application, as the end of the run does.
TEST_F(NoticeTest, EveryWayTheWindowGoesStopsItsSoundAlsoOneStillStarting) {
    const struct {
        const char* name;
        std::function<void()> go;
        bool freed;
    } ways[] = {{"closed", [] { frmRemindDlg->btnCompleteClick(nullptr); }, false},
                {"its last record forgotten", [this] { RemindDlgForgetRecord(Store->Records.back()); }, false},
                {"freed", [] { frmRemindDlg->Free(); }, true},
                {"the application's end", [] { fw::Application->DestroyForms(); }, true}};
    MCIDEVICEID device = 21;
    for (const auto& w : ways)
        for (bool started : {true, false}) {
            SCOPED_TRACE(std::string(w.name) + (started ? "" : ", before the sound named its device"));
            ShowReminders({Add(L"A", L"a.mp3")});
            if (started) {
                Pump(50);
                // No notice follows a stop: the window forgot the last device at once and plays again.
                ASSERT_EQ(Device(), device);
            }
            w.go();
            if (w.freed) EXPECT_EQ(frmRemindDlg, nullptr);
            else EXPECT_FALSE(frmRemindDlg->GetVisible());
            // A sound still starting is stopped when it names its device.
            Pump(50);
            EXPECT_EQ(sound_.Count(MCI_STOP, device), 1);
            EXPECT_EQ(sound_.Count(MCI_CLOSE, device), 1);
            if (!w.freed) { EXPECT_EQ(Device(), 0u); }
            ++device;
        }
}
